// The running program and the system it runs on.
#pragma once
#include <string>
#include <vector>

// Full file name of the running program, in the system's own form.
std::string PLAT_program_file();

// Asks the desktop to open `url` with its default handler, without waiting for it.
// Returns 0 when the request could be made.
int PLAT_open_url(const std::string& url);

// Standard folders, each ending with a separator, or "" when the system cannot
// say. In the system's own form (on Windows "C:\Users\x\Desktop/" or the
// temporary folder "C:\Users\x\Temp\"); set_path_to_right_dirchars makes them
// the program's.
std::string PLAT_desktop_folder();   // the user's desktop
std::string PLAT_apps_folder();      // where this user installs applications
std::string PLAT_temp_folder();      // the temporary folder
std::string PLAT_settings_folder();  // where the installer keeps its preferences ("" = the drive root of the apps folder)
// 1 when new installations go to the root of the drive holding the applications
// folder (Windows: C:\Vantrel\), 0 when into the applications folder itself.
int PLAT_install_at_drive_root();

// Bytes available to this user on the file system holding `path`; 0 on success.
int PLAT_free_space(const std::string& path, unsigned long long* bytes);

// Roots of mounted optical and removable media, each ending with its separator
// ("/media/disc/"; on Windows the roots of optical drives, such as "D:\").
std::vector<std::string> PLAT_removable_media_roots();

// The operating-system code of the files this system runs: 1 Macintosh, 2 Windows, 3 Linux.
int PLAT_download_os();

// 1 when standard input (0), output (1) or error (2) is an interactive terminal.
int PLAT_is_terminal(int stream);
// Columns of the terminal on standard output; 80 when unknown.
int PLAT_terminal_width();
