// File services of the installer: deleting, renaming, creating folders, listing,
// unpacking zip archives, MD5 signatures of files, writing settings files safely,
// and the error codes with their sentences.
//
// Every operation returns an int: 0 for success, otherwise a system error code
// (errno on Linux), a C library errno, a minizip code (negative) or one of the
// program's own codes 20001 and up; error_str() turns any of them into a sentence.
// Paths use "/" and folder paths end with "/"; app_path (empty) is put in front.
#pragma once
#include <fstream>
#include <string>
#include <vector>

extern const char* sErrFile;  // module of the last failure inside these services ("IO_UTILS")
extern int sErrLine;          // fixed number of the failing site, for the log lines

// Deletes a file, or, for a path ending in "/", an empty folder. An empty path gives 2.
int delete_file(const std::string& nuke_path);
// Clears the read-only state of a file when it is set.
int unlock_file(const std::string& path);
// Moves dir_name + old_name to dir_name + new_name; fails when the new name exists.
int rename_file(const std::string& dir_name, const std::string& old_name, const std::string& new_name);
// Creates one folder level (one trailing "/" is ignored); the parent must exist.
// An existing folder gives the system's "already exists" code.
int make_folder(const std::string& inFolder);
// 1 when a folder-creation result deserves a report (not 0, 17 or 183).
int show_make_dir_err(int err);
// Whether a deletion failure deserves a report: never.
int show_del_err(int err);
// Lists a folder (its path must end with "/"): names not starting with ".", sorted
// in byte order, with 1 for a folder and 0 for a file. Returns the count.
int opensave_getitems(const std::string& wrk_path, int file_type, std::vector<std::string>& out_files,
                      std::vector<unsigned long>& out_file_types);
// The MD5 of a file as 32 lower-case hex digits. A missing, unreadable or empty
// file gives 20006 and leaves outSig unchanged.
int calc_file_md5(const std::string& inFileName, std::string& outSig);

// Unpacks every member of a zip archive into out_directory, keeping the members'
// relative folders. Folder entries make one level each; "__MACOSX" metadata and
// symbolic links are passed over. An archive holding a member that would land
// outside out_directory (absolute, "..", ...) is refused whole with 20013 before
// anything is written. `out_file`, when given, gets the first member's name (or,
// with force_name, names the first file member's output). When `want_sig` is
// given, each file member must have that MD5 or the extraction fails with 20014.
// A member that fails leaves any older file at its place untouched.
int zip_to_file(const std::string& zip_file, const std::string& out_directory, std::string* out_file,
                int force_name, const std::string* want_sig = nullptr);

// The name an extraction writes to before it replaces `path`: a hidden file in the
// same folder, recognised by is_partial_name() so that leftovers of an interrupted
// run can be removed.
std::string partial_path_for(const std::string& path);
int is_partial_name(const std::string& name);

// 1 when `rel` is a relative path that stays inside its base folder: not empty,
// not absolute, no drive prefix, no empty, "." or ".." component ("\" counts as a
// separator here on every system). One trailing "/" (a folder) is allowed.
int is_safe_relative_path(const std::string& rel);

// The settings-file stream. It writes to a temporary name; close() puts the file
// in place only when everything was written, so a failed or interrupted save
// leaves the previous file as it was. After a failed close, fail() is true.
class ouf_stream : public std::ofstream {
 public:
  std::string final_path;  // the file being written
  std::string temp_path;   // where the bytes go until close()
  void close();
};
extern ouf_stream ouf;  // shared by the modules that write settings files

// Opens `ouf` on rel_path (its last three characters in lower case) and writes the
// header: bin_code 10000 binary ("i" and a little-endian version), 10001 text ("I",
// the version, " version", the copyright unless "no-copyright-string"). Creates a
// missing folder one level up. Returns 1 with the stream open, or 0 after an alert.
int ouf_open(const std::string& rel_path, int bin_code, int version, const std::string& copyright);

// The sentence for an error code: the program's table first, then the system's text.
std::string error_str(int code);
