// The program's folder picker behind GetFilePathFromUser: the desktop's own
// folder dialog when one is installed, otherwise a chooser drawn in the window.
// Both run as modal windows of the frame loop, so the window stays drawn and
// the installer step waits until the user has answered.
#pragma once
#include <string>

// Asks the user for a folder, starting at `default_dir` (the drawn chooser at
// its nearest existing parent when it does not exist). The desktop dialog (zenity or kdialog) is used when installed and the
// option "--own_folder_chooser" is absent; while it is open the window shows a
// note with a Cancel button (window 996). Otherwise window 998 offers a path
// field, the list of the folder's parent and child folders (a click opens one,
// the wheel scrolls), Cancel and OK (Return is OK). Returns 1 with *chosen set to
// the folder (ending with "/"), 0 when cancelled or the program is closing.
int DOVAVI_folder_chooser(const char* prompt, const char* default_dir, std::string* chosen);

// The folder the drawn chooser lists for a typed path: the path itself when it
// is a folder, else its nearest existing parent; "/" (the root) as a last resort.
// The result ends with "/".
std::string folder_chooser_listed_folder(const std::string& typed);
