// The publisher's archives: the signature pass over a product file, one file
// compressed into its own archive with minizip's writer, and the check that an
// archive of an earlier release still holds exactly the same file.
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <unzip.h>
#include <zip.h>
#include <zlib.h>

#include "files/md5.h"
#include "platform/plat_files.h"
#include "publish/publish.h"

static const size_t kChunk = 1 << 20;

file_fingerprint fingerprint_file(const std::string& path) {
  PLAT_mapping m;
  int open_ok = 0;
  const int err = PLAT_map_file(path, m, &open_ok);
  if (err != 0) throw publish_error(path + ": cannot read the file (" + PLAT_error_text(err) + ")");
  file_fingerprint fp;
  MD5_CTX ctx;
  MD5Init(&ctx);
  uLong crc = crc32_z(0L, Z_NULL, 0);
  if (m.base) {
    MD5UpdateWide(&ctx, m.base, (unsigned long)m.size);
    crc = crc32_z(crc, m.base, (z_size_t)m.size);
    fp.size = m.size;
  }
  PLAT_unmap_file(m);
  MD5Final(&ctx);
  fp.md5 = MD5_signature(ctx.digest);
  fp.crc = (uint32_t)crc;
  return fp;
}

// Names outside plain ASCII are stored as UTF-8 and flagged so, for other unzip tools.
static uLong name_flags(const std::string& member) {
  for (unsigned char c : member)
    if (c >= 0x80) return 1 << 11;
  return 0;
}

static zip_fileinfo member_info(unsigned mode, int64_t mtime) {
  zip_fileinfo info = {};
  info.external_fa = (uLong)(0100000u | (mode & 07777u)) << 16;  // a regular file with its mode
  time_t t = (time_t)mtime;
  static std::mutex localtime_lock;  // std::localtime shares one result between threads
  std::lock_guard<std::mutex> hold(localtime_lock);
  const struct tm* lt = std::localtime(&t);
  if (lt && lt->tm_year + 1900 >= 1980) {
    info.tmz_date.tm_sec = (uInt)lt->tm_sec;
    info.tmz_date.tm_min = (uInt)lt->tm_min;
    info.tmz_date.tm_hour = (uInt)lt->tm_hour;
    info.tmz_date.tm_mday = (uInt)lt->tm_mday;
    info.tmz_date.tm_mon = (uInt)lt->tm_mon;
    info.tmz_date.tm_year = (uInt)(lt->tm_year + 1900);
  } else {
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
  }
  return info;
}

static const uLong kMadeByUnix = 3 << 8;  // "version made by": Unix, so the mode is read

void zip_file_as_member(const std::string& src, const std::string& member, const std::string& zip_path,
                        unsigned mode, int64_t mtime, int level, const std::string& want_md5,
                        const std::atomic<int>* stop) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(fopen(src.c_str(), "rb"), fclose);
  if (!in) throw publish_error(src + ": cannot read the file");
  const int64_t size = PLAT_file_size(src);
  zipFile z = zipOpen64(zip_path.c_str(), APPEND_STATUS_CREATE);
  if (!z) throw publish_error(zip_path + ": cannot create the archive");
  zip_fileinfo info = member_info(mode, mtime);
  std::string problem;
  int err = zipOpenNewFileInZip4_64(z, member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, level,
                                    0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix,
                                    name_flags(member), size > 0xFFFFFFF0LL ? 1 : 0);
  if (err != ZIP_OK) problem = zip_path + ": cannot start the archive's member (minizip error " + std::to_string(err) + ")";
  MD5_CTX ctx;
  MD5Init(&ctx);
  std::unique_ptr<unsigned char[]> buf(new unsigned char[kChunk]);
  while (problem.empty()) {
    if ((stop && *stop) || publish_stop) {
      problem = "interrupted";
      break;
    }
    const size_t n = fread(buf.get(), 1, kChunk, in.get());
    if (n == 0) {
      if (ferror(in.get())) problem = src + ": reading the file failed";
      break;
    }
    MD5Update(&ctx, buf.get(), (unsigned)n);
    if (zipWriteInFileInZip(z, buf.get(), (unsigned)n) != ZIP_OK)
      problem = zip_path + ": writing the archive failed (is the disk full?)";
  }
  if (err == ZIP_OK && zipCloseFileInZip(z) != ZIP_OK && problem.empty())
    problem = zip_path + ": writing the archive failed (is the disk full?)";
  if (zipClose(z, nullptr) != ZIP_OK && problem.empty())
    problem = zip_path + ": writing the archive failed (is the disk full?)";
  if (problem.empty()) {
    MD5Final(&ctx);
    if (MD5_signature(ctx.digest) != want_md5) problem = src + ": the file changed while it was being published";
  }
  if (!problem.empty()) {
    PLAT_delete_file(zip_path);
    throw publish_error(problem);
  }
}

void zip_bytes_as_member(const std::string& zip_path, const std::string& member, const std::string& bytes) {
  zipFile z = zipOpen64(zip_path.c_str(), APPEND_STATUS_CREATE);
  if (!z) throw publish_error(zip_path + ": cannot create the archive");
  zip_fileinfo info = member_info(0644, (int64_t)time(nullptr));
  bool ok = zipOpenNewFileInZip4_64(z, member.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                    nullptr, 0, kMadeByUnix, 0, bytes.size() > 0xFFFFFFF0u) == ZIP_OK;
  // Written in slices: the writer takes at most 4 GB per call.
  for (size_t at = 0; ok && at < bytes.size(); at += kChunk) {
    const size_t n = bytes.size() - at < kChunk ? bytes.size() - at : kChunk;
    ok = zipWriteInFileInZip(z, bytes.data() + at, (unsigned)n) == ZIP_OK;
  }
  ok = zipCloseFileInZip(z) == ZIP_OK && ok;
  ok = zipClose(z, nullptr) == ZIP_OK && ok;
  if (!ok) {
    PLAT_delete_file(zip_path);
    throw publish_error(zip_path + ": writing the archive failed (is the disk full?)");
  }
}

int archive_holds(const std::string& zip_path, const std::string& member, uint64_t size, uint32_t crc,
                  bool runnable) {
  unzFile z = unzOpen64(zip_path.c_str());
  if (!z) return 0;
  int ok = 0;
  unz_global_info64 global;
  unz_file_info64 info;
  char name[1024];
  if (unzGetGlobalInfo64(z, &global) == UNZ_OK && global.number_entry == 1 && unzGoToFirstFile(z) == UNZ_OK &&
      unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK) {
    const bool unix_member = (info.version >> 8) == 3;
    const bool member_runnable = unix_member && ((info.external_fa >> 16) & 0111) != 0;
    ok = info.size_filename < sizeof name && member == name && info.uncompressed_size == size &&
         (uint32_t)info.crc == crc && member_runnable == runnable;
  }
  unzClose(z);
  return ok;
}
