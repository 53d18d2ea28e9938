// POSIX file services: errno is the error code, "/" the only separator.
#include "platform/plat_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

const int PLAT_ERR_NOT_FOUND = ENOENT;
const int PLAT_ERR_EXISTS = EEXIST;
const int PLAT_ERR_NOT_EMPTY = ENOTEMPTY;

int PLAT_windows_paths() { return 0; }

static int result_of(int rc) { return rc == 0 ? 0 : errno; }

int PLAT_delete_file(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  return result_of(unlink(path.c_str()));
}

int PLAT_remove_folder(const std::string& path) {
  int rc = rmdir(path.c_str());
  if (rc != 0 && errno == EEXIST) return ENOTEMPTY;  // some systems say EEXIST
  return result_of(rc);
}

int PLAT_make_folder(const std::string& path) { return result_of(mkdir(path.c_str(), 0777)); }

int PLAT_replace_file(const std::string& from, const std::string& to) {
  return result_of(rename(from.c_str(), to.c_str()));
}

int PLAT_rename_noreplace(const std::string& from, const std::string& to) {
#ifdef SYS_renameat2
  long rc = syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1 /* RENAME_NOREPLACE */);
  if (rc == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
#endif
  // File systems without the flag: check first (a race here only loses to a
  // folder created in the same instant, which rename then refuses if non-empty).
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return EEXIST;
  return result_of(rename(from.c_str(), to.c_str()));
}

int PLAT_get_readonly(const std::string& path, int* is_readonly) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  *is_readonly = (st.st_mode & S_IWUSR) ? 0 : 1;
  return 0;
}

int PLAT_clear_readonly(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  return result_of(chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR));
}

int PLAT_set_executable(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno;
  mode_t mode = st.st_mode & 07777;
  // Execute wherever read is allowed, as chmod +x does under the usual umask.
  mode |= (mode & 0444) >> 2;
  return result_of(chmod(path.c_str(), mode));
}

int PLAT_path_kind(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return 0;
  return S_ISDIR(st.st_mode) ? 2 : 1;
}

int64_t PLAT_file_size(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return -1;
  return (int64_t)st.st_size;
}

int PLAT_list_folder(const std::string& path, std::vector<PLAT_dir_entry>& out) {
  out.clear();
  DIR* d = opendir(path.c_str());
  if (!d) return errno;
  while (struct dirent* e = readdir(d)) {
    if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0) continue;
    PLAT_dir_entry entry{e->d_name, 0};
    if (e->d_type == DT_DIR) {
      entry.is_folder = 1;
    } else if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      entry.is_folder = PLAT_path_kind(path + e->d_name) == 2;
    }
    out.push_back(entry);
  }
  closedir(d);
  return 0;
}

int PLAT_map_file(const std::string& path, PLAT_mapping& m, int* open_ok) {
  m = PLAT_mapping();
  *open_ok = 0;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    int err = S_ISDIR(st.st_mode) ? EISDIR : errno;
    close(fd);
    return err;
  }
  *open_ok = 1;
  if (st.st_size == 0) {  // nothing to map: reads as missing
    close(fd);
    return 0;
  }
  void* p = mmap(nullptr, (size_t)st.st_size, PROT_READ, MAP_PRIVATE, fd, 0);
  if (p == MAP_FAILED) {
    int err = errno;
    close(fd);
    return err;
  }
  madvise(p, (size_t)st.st_size, MADV_SEQUENTIAL);
  m.base = (unsigned char*)p;
  m.size = (uint64_t)st.st_size;
  m.file = fd;
  return 0;
}

void PLAT_unmap_file(PLAT_mapping& m) {
  if (m.base) munmap(m.base, (size_t)m.size);
  if (m.file >= 0) close((int)m.file);
  m = PLAT_mapping();
}

std::string PLAT_error_text(int code) {
  if (code <= 0) return std::string();
  char buf[256];
  // GNU strerror_r returns the text, possibly not in buf.
  const char* s = strerror_r(code, buf, sizeof buf);
  std::string text = s ? s : "";
  if (text.rfind("Unknown error", 0) == 0) return std::string();
  return text;
}

int PLAT_last_error() { return errno; }

int PLAT_hash_from_mapping() { return 0; }
