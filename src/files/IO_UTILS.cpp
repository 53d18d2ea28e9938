// File services.
//
// Sections: error codes and sentences; files and folders; listing; MD5 of files;
// path safety and partial names; zip extraction; the settings-file stream.
#include "files/IO_UTILS.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <unzip.h>

#include "files/md5.h"
#include "files/xmap.h"
#include "platform/plat_files.h"
#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_string.h"
#include "shell/hl_structs.h"

const char* sErrFile = "IO_UTILS";
int sErrLine = 0;

static int fail_at(int line, int code) {
  sErrFile = "IO_UTILS";
  sErrLine = line;
  return code;
}

// ---------------------------------------------------------------------------
// Error codes and sentences
// ---------------------------------------------------------------------------

struct err_msg {
  int code;
  const char* text;
};

// Searched first by error_str, by number only. Append new codes; never renumber.
static const err_msg kErrMsgs[] = {
    {20001, "We were unable to open a zip file. It may be missing or damaged"},
    {20002, "We were unable to read from a zip file. It may be missing or damaged"},
    {20003, "We were unable to create a zip file"},
    {20004, "We were unable to write to a zip file. It may be missing or damaged"},
    {20005, "We cannot compress a zip file because its source file resource fork is more than 2 GB. The source file is probably damaged"},
    {20006, "We could not open a file to read from it"},
    {20007, "We were unable to connct to the network due to an internal reconnect error"},
    {20008, "We wre unable to connect to the network due to a bad state error"},
    {20009, "We could not allocate a connection to the network"},
    {20010, "We could not write the incoming file from the web to disk"},
    {20011, "We could not find the server over the network"},
    {20012, "Part of the downloaded zip file is corrupted (the resource fork header is bad)"},
    {11, "Resource temporarily unavailable"},
    {35, "Resource deadlock avoided"},
    {36, "File name too long"},
    {38, "Function not implemented"},
    {39, "Directory not empty"},
    {88, "Wide character encoding error"},
    {7, "Argument list too long"},
    {13, "Permission denied. Perhaps you do not have access to a directory or file system"},
    {9, "Bad file descriptor"},
    {16, "Device busy"},
    {10, "No child processes"},
    {33, "Numerical argument out of domain"},
    {17, "File exists"},
    {14, "Bad address"},
    {27, "File too large"},
    {40, "File Position Error"},
    {4, "Interrupted system call"},
    {22, "Invalid argument"},
    {5, "Input/output error"},
    {21, "Is a directory"},
    {24, "Too many open files"},
    {31, "Too many links"},
    {23, "Too many open files in system"},
    {19, "Operation not supported by device"},
    {2, "No such file or directory"},
    {0, "No error detected"},
    {8, "Exec format error"},
    {77, "No locks available"},
    {12, "Out of memory"},
    {28, "No space left on device. Perhaps your hard drive is full"},
    {20, "Not a directory"},
    {25, "Inappropriate ioctl for device"},
    {6, "Device not configured"},
    {1, "Operation not permitted. Perhaps you do not have access to a directory or file system"},
    {32, "Broken pipe"},
    {34, "Result too large"},
    {30, "The destination file system is read-only"},
    {26, "Signal error"},
    {29, "Illegal seek"},
    {3, "No such process"},
    {99, "Unknown error"},
    {18, "Cross-device link"},
    // The program's own codes, added later.
    {20013, "The zip file holds a file that would land outside its folder"},
    {20014, "The unpacked file does not match its signature: the server sent a wrong or outdated file"},
    // minizip's codes.
    {UNZ_ERRNO, "The zip file could not be read from disk"},
    {UNZ_BADZIPFILE, "The zip file is damaged or is not a zip file"},
    {UNZ_INTERNALERROR, "The zip reader failed internally"},
    {UNZ_PARAMERROR, "The zip reader was called with a bad argument"},
    {UNZ_CRCERROR, "The zip file is corrupted: a file inside it does not match its checksum"},
    {-3, "The zip file is corrupted: its compressed data cannot be unpacked"},
    {0, nullptr},
};

std::string error_str(int code) {
  for (const err_msg* m = kErrMsgs; m->text; m++)
    if (m->code == code) return m->text;
  std::string text = PLAT_error_text(code);
  if (!text.empty()) return text;
  return "Unknown error (code " + std::to_string(code) + ")";
}

// ---------------------------------------------------------------------------
// Files and folders
// ---------------------------------------------------------------------------

static std::string without_trailing_slash(const std::string& path) {
  if (!path.empty() && path.back() == '/') return path.substr(0, path.size() - 1);
  return path;
}

int delete_file(const std::string& nuke_path) {
  if (nuke_path.empty()) return 2;
  const std::string full = app_path + nuke_path;
  if (full.back() == '/') {
    int err = PLAT_remove_folder(without_trailing_slash(full));
    return err ? fail_at(670, err) : 0;
  }
  int err = PLAT_delete_file(full);
  return err ? fail_at(673, err) : 0;
}

int unlock_file(const std::string& path) {
  int readonly = 0;
  int err = PLAT_get_readonly(path, &readonly);
  if (err) return err;
  return readonly ? PLAT_clear_readonly(path) : 0;
}

int rename_file(const std::string& dir_name, const std::string& old_name, const std::string& new_name) {
  int err = PLAT_rename_noreplace(without_trailing_slash(dir_name + old_name),
                                  without_trailing_slash(dir_name + new_name));
  return err ? fail_at(734, err) : 0;
}

int make_folder(const std::string& inFolder) {
  int err = PLAT_make_folder(without_trailing_slash(inFolder));
  return err ? fail_at(756, err) : 0;
}

int show_make_dir_err(int err) { return (err == 0 || err == 183 || err == 17) ? 0 : 1; }

int show_del_err(int) { return 0; }

// ---------------------------------------------------------------------------
// Listing
// ---------------------------------------------------------------------------

int opensave_getitems(const std::string& wrk_path, int, std::vector<std::string>& out_files,
                      std::vector<unsigned long>& out_file_types) {
  out_files.clear();
  out_file_types.clear();
  const std::string full = app_path + wrk_path;
  if (full.size() > 3 && full.back() != '/' && full.back() != '\\')
    __DOVAVI_alert(0, "Working path does not appear to be a directory!",
                   "This is not consistent with my labelling practices!",
                   "I need to end all paths with the directory indicator!", full, t_exit, "IO_UTILS", 907);

  std::vector<PLAT_dir_entry> entries;
  if (PLAT_list_folder(full, entries) != 0) return 0;
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [](const PLAT_dir_entry& e) { return e.name.empty() || e.name[0] == '.'; }),
                entries.end());
  std::sort(entries.begin(), entries.end(),
            [](const PLAT_dir_entry& a, const PLAT_dir_entry& b) { return a.name < b.name; });
  for (const PLAT_dir_entry& e : entries) {
    out_files.push_back(e.name);
    out_file_types.push_back(e.is_folder ? 1 : 0);
  }
  return (int)out_files.size();
}

// ---------------------------------------------------------------------------
// MD5 of files
// ---------------------------------------------------------------------------

static const size_t kHashChunk = 256 * 1024;

int calc_file_md5(const std::string& inFileName, std::string& outSig) {
  if (PLAT_hash_from_mapping()) {
    xmap_class m(inFileName);
    if (!m.mBegin || m.mEnd == m.mBegin) return 20006;  // missing, unreadable or empty
    MD5_CTX ctx;
    MD5Init(&ctx);
    for (const unsigned char* p = m.mBegin; p < m.mEnd;) {
      const size_t n = (size_t)(m.mEnd - p) < kHashChunk ? (size_t)(m.mEnd - p) : kHashChunk;
      MD5UpdateWide(&ctx, (unsigned char*)p, (unsigned long)n);
      p += n;
    }
    MD5Final(&ctx);
    outSig = MD5_signature(ctx.digest);
    return 0;
  }
  // Read in large pieces rather than mapped: on Linux, setting up the page
  // tables of a mapping costs more than copying the pages out of the cache.
  FILE* f = fopen((app_path + inFileName).c_str(), "rb");
  if (!f) return 20006;
  std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[kHashChunk]);
  MD5_CTX ctx;
  MD5Init(&ctx);
  uint64_t total = 0;
  size_t n = 0;
  while (buf && (n = fread(buf.get(), 1, kHashChunk, f)) > 0) {
    MD5UpdateWide(&ctx, buf.get(), (unsigned long)n);
    total += n;
  }
  const bool failed = !buf || ferror(f) || total == 0;  // an empty file has no signature
  fclose(f);
  if (failed) return 20006;
  MD5Final(&ctx);
  outSig = MD5_signature(ctx.digest);
  return 0;
}

// ---------------------------------------------------------------------------
// Path safety and partial names
// ---------------------------------------------------------------------------

int is_safe_relative_path(const std::string& rel) {
  std::string p = rel;
  if (!p.empty() && p.back() == '/') p.pop_back();
  if (p.empty()) return 0;
  if (p[0] == '/' || p[0] == '\\') return 0;
  if (p.size() >= 2 && p[1] == ':' && isalpha((unsigned char)p[0])) return 0;  // "C:" drive forms
  size_t start = 0;
  while (true) {
    size_t end = p.find_first_of("/\\", start);
    std::string part = p.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (part.empty() || part == "." || part == "..") return 0;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return 1;
}

static const char kPartialPrefix[] = ".vantrel-partial-";

std::string partial_path_for(const std::string& path) {
  // Under the Windows rules a file at a drive root (C:\x.prf) has only the
  // drive's own backslash before its name.
  size_t slash = path.find_last_of(g_windows_paths ? "/\\" : "/");
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string partial = kPartialPrefix + name;
  const size_t max_name = 255;  // longest file name on the usual file systems
  if (partial.size() > max_name) partial.resize(max_name);
  return folder + partial;
}

int is_partial_name(const std::string& name) { return name.rfind(kPartialPrefix, 0) == 0; }

// ---------------------------------------------------------------------------
// Zip extraction
// ---------------------------------------------------------------------------

int unzip_symlink(void*, const std::string&, const unz_file_info64&) { return 0; }
int unzip_resource_fork(void*, const std::string&, const unz_file_info64&) { return 0; }

static const size_t kUnzipChunk = 1 << 20;

// Writes the current member to a partial file, hashing as it goes, and puts it in
// place only after minizip has confirmed the member's checksum (and, when asked,
// the MD5 matched): a failure leaves the older file untouched.
int unzip_file(void* archive, const std::string& inPath, const unz_file_info64& info,
               const std::string* want_sig) {
  const std::string partial = partial_path_for(inPath);
  int err = 0;
  FILE* out = nullptr;
  bool member_open = false;
  std::unique_ptr<unsigned char[]> chunk(new (std::nothrow) unsigned char[kUnzipChunk]);
  MD5_CTX ctx;
  MD5Init(&ctx);
  uint64_t total = 0;

  if (!chunk) {
    err = fail_at(1491, 12);
    goto done;
  }
  if ((err = unzOpenCurrentFile(archive)) != 0) {
    err = fail_at(1488, err);
    goto done;
  }
  member_open = true;
  out = fopen(partial.c_str(), "wb");
  if (!out) {
    err = fail_at(1500, errno ? errno : 5);
    goto done;
  }
  while (true) {
    int n = unzReadCurrentFile(archive, chunk.get(), (unsigned)kUnzipChunk);
    if (n < 0) {  // the compressed data is damaged
      err = fail_at(1493, 20002);
      goto done;
    }
    if (n == 0) break;
    MD5Update(&ctx, chunk.get(), (unsigned)n);
    if (fwrite(chunk.get(), 1, (size_t)n, out) != (size_t)n) {
      err = fail_at(1508, ferror(out) && errno ? errno : 28);
      goto done;
    }
    total += (uint64_t)n;
  }
  if (total != info.uncompressed_size) {
    err = fail_at(1493, 20002);
    goto done;
  }
  member_open = false;
  if ((err = unzCloseCurrentFile(archive)) != 0) {  // reports a checksum mismatch
    err = fail_at(1495, err);
    goto done;
  }
  if (fclose(out) != 0) {
    out = nullptr;
    err = fail_at(1508, errno ? errno : 5);
    goto done;
  }
  out = nullptr;
  if (want_sig) {
    MD5Final(&ctx);
    if (MD5_signature(ctx.digest) != *want_sig) {
      err = fail_at(1512, 20014);
      goto done;
    }
  }
  // Members made on a Unix system carry their mode: keep programs runnable.
  if ((info.version >> 8) == 3 && ((info.external_fa >> 16) & 0111)) PLAT_set_executable(partial);
  if ((err = PLAT_replace_file(partial, inPath)) != 0) {
    err = fail_at(1510, err);
    goto done;
  }

done:
  if (member_open) unzCloseCurrentFile(archive);
  if (out) fclose(out);
  if (err) {
    PLAT_delete_file(partial);
    xer << "Zip to file failed with error " << err << ". file = " << sErrFile << " line = " << sErrLine
        << ". inFile=" << inPath << ".\n";
  }
  return err;
}

// Reads the current member's information and its whole stored name.
static int current_member(void* archive, unz_file_info64& info, std::string& name) {
  int err = unzGetCurrentFileInfo64(archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) return err;
  std::vector<char> buf(info.size_filename + 1, 0);
  err = unzGetCurrentFileInfo64(archive, &info, buf.data(), (uLong)buf.size(), nullptr, 0, nullptr, 0);
  if (err != UNZ_OK) return err;
  name.assign(buf.data(), info.size_filename);
  return UNZ_OK;
}

static bool is_folder_entry(const std::string& name) { return !name.empty() && name.back() == '/'; }
static bool is_macosx(const std::string& name) { return name.rfind("__MACOSX", 0) == 0; }

// Every member must stay inside the output folder; checked before anything is written.
static int check_members(void* archive, const std::string* forced_name) {
  int err = unzGoToFirstFile(archive);
  bool first_file = true;
  while (err == UNZ_OK) {
    unz_file_info64 info;
    std::string name;
    if ((err = current_member(archive, info, name)) != UNZ_OK) return err;
    if (forced_name && first_file && !is_folder_entry(name)) {
      name = *forced_name;
      first_file = false;
    }
    if (!is_safe_relative_path(name)) {
      xer << "UNZIP zip_to_file refused the member '" << name << "': it would land outside its folder.\n";
      return 20013;
    }
    err = unzGoToNextFile(archive);
  }
  return err == UNZ_END_OF_LIST_OF_FILE ? 0 : err;
}

int zip_to_file(const std::string& zip_file_in, const std::string& out_directory_in, std::string* out_file,
                int force_name, const std::string* want_sig) {
  const std::string zip_file = app_path + zip_file_in;
  const std::string out_directory = app_path + out_directory_in;
  int err = 0;
  void* archive = unzOpen64(zip_file.c_str());
  if (!archive) {
    xer << "OK I am about to report that I could not open a zip file for extraction!\n";
    xer << "That incoming file is " << zip_file << "\n";
    xer << "In c-form, it is " << zip_file.c_str() << "\n";
    xer << "The size is " << zip_file.size() << "\n";
    err = fail_at(1686, 20001);
  } else {
    const std::string forced = (force_name && out_file) ? *out_file : std::string();
    err = check_members(archive, (force_name && out_file) ? &forced : nullptr);
    if (err) fail_at(1700, err);
    bool first = true, first_file = true;
    if (!err) {
      unzGoToFirstFile(archive);
      while (true) {
        unz_file_info64 info;
        std::string name;
        err = current_member(archive, info, name);
        if (err != UNZ_OK) {
          xer << "unzGetCurrentFileInfo err != UNZ_OK! err=" << err << "\n";
          break;
        }
        if (out_file && first && !force_name) *out_file = name;
        first = false;
        std::string out_name = name;
        if (force_name && out_file && first_file && !is_folder_entry(name)) out_name = forced;
        const std::string out_path = out_directory + out_name;
        int r = 0;
        if (is_folder_entry(name)) {
          if (!is_macosx(name)) {
            r = make_folder(out_path);
            if (!show_make_dir_err(r)) r = 0;
          }
        } else {
          first_file = false;
          unsigned unix_mode = (unsigned)(info.external_fa >> 16);
          if (is_macosx(name)) {
            r = unzip_resource_fork(archive, out_path, info);
          } else if ((unix_mode & 0xA000) == 0xA000) {
            r = unzip_symlink(archive, out_path, info);
          } else {
            r = unzip_file(archive, out_path, info, want_sig);
          }
        }
        if (r != 0) {
          xer << "UNZIP zip_to_file failed with err=" << r << "\n";
          err = r;
          fail_at(1725, r);
          break;
        }
        err = unzGoToNextFile(archive);
        if (err != UNZ_OK) break;
      }
      if (err == UNZ_END_OF_LIST_OF_FILE) {
        err = 0;
      } else if (err != 0 && sErrLine != 1725) {
        fail_at(1736, err);
      }
    }
    unzClose(archive);
  }
  if (err) {
    xer << "Zip to file failed with error err = " << err << ". file = " << sErrFile << " line = " << sErrLine
        << ". zip_file=" << zip_file << ", out_directory=" << out_directory << ".\n";
  }
  return err;
}

// ---------------------------------------------------------------------------
// The settings-file stream
// ---------------------------------------------------------------------------

ouf_stream ouf;

void ouf_stream::close() {
  if (!is_open()) return;
  flush();
  bool written = good();
  std::ofstream::close();
  written = written && !fail();
  if (written && PLAT_replace_file(temp_path, final_path) == 0) return;
  PLAT_delete_file(temp_path);
  xer << "Could not save the file " << final_path << "; the previous version is kept.\n";
  setstate(std::ios::failbit);
}

int ouf_open(const std::string& rel_path, int bin_code, int version, const std::string& copyright) {
  if (bin_code != 10000 && bin_code != 10001)
    __DOVAVI_alert(0, "Bad ouf_open type!", rel_path, "", "", t_exit, "IO_UTILS", 1010);
  std::string full = app_path + rel_path;
  if (full.size() > 3)
    for (size_t i = full.size() - 3; i < full.size(); i++)
      if (full[i] >= 'A' && full[i] <= 'Z') full[i] = (char)(full[i] - 'A' + 'a');
  check_len(full);

  for (int attempt = 0; attempt < 2; attempt++) {
    ouf.clear();
    if (ouf.is_open()) ouf.std::ofstream::close();
    ouf.final_path = full;
    ouf.temp_path = partial_path_for(full);
    ouf.clear();
    if (bin_code == 10000) {
      ouf.open(ouf.temp_path, std::ios::out | std::ios::binary | std::ios::trunc);
      unsigned char header[5] = {'i', (unsigned char)version, (unsigned char)(version >> 8),
                                 (unsigned char)(version >> 16), (unsigned char)(version >> 24)};
      if (ouf.good()) ouf.write((const char*)header, 5);
    } else {
      ouf.open(ouf.temp_path, std::ios::out | std::ios::trunc);
      ouf.setf(std::ios::fixed, std::ios::floatfield);
      if (ouf.good()) {
        ouf << "I\n" << version << " version";
        if (copyright != "no-copyright-string") ouf << copyright;
        ouf << "\n";
      }
    }
    if (ouf.good()) return 1;
    if (attempt == 0) {
      size_t slash = full.rfind('/');
      if (slash != std::string::npos) make_folder(full.substr(0, slash + 1));
    }
  }
  ouf.clear();
  if (ouf.is_open()) ouf.std::ofstream::close();
  PLAT_delete_file(ouf.temp_path);
  __DOVAVI_alert(0,
                 "I could not save the file! Could the directory that the file sits in be missing? Or flagged as "
                 "READ-ONLY by the operating system? (Windows machines typically do this).",
                 full, "Could the file be flagged as read-only? This happens in Windows if you copy it from a CD!",
                 "Try putting this app in the background and then flag the file as NOT read-only, or creating the "
                 "folder listed in the path above.",
                 t_alert, "IO_UTILS", 1064);
  return 0;
}
