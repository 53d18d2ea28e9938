// Zip archives for tests, through minizip's writer.
#include "support/zip_maker.h"

#include <stdexcept>
#include <zip.h>

void make_zip(const std::string& path, const std::vector<zip_member>& members) {
  zipFile z = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (!z) throw std::runtime_error("zipOpen64 failed: " + path);
  for (const zip_member& m : members) {
    zip_fileinfo info = {};
    uLong version_made_by = 0;
    if (m.unix_mode) {
      info.external_fa = (uLong)m.unix_mode << 16;
      version_made_by = 3 << 8;  // Unix
    }
    int method = m.store ? 0 : Z_DEFLATED;
    int level = m.store ? 0 : Z_DEFAULT_COMPRESSION;
    int err = zipOpenNewFileInZip4_64(z, m.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, method, level,
                                      0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                      version_made_by, 0, m.bytes.size() > 0xFFFFFFF0u);
    if (err != ZIP_OK) throw std::runtime_error("zipOpenNewFileInZip failed");
    if (!m.bytes.empty() && zipWriteInFileInZip(z, m.bytes.data(), (unsigned)m.bytes.size()) != ZIP_OK)
      throw std::runtime_error("zipWriteInFileInZip failed");
    zipCloseFileInZip(z);
  }
  if (zipClose(z, nullptr) != ZIP_OK) throw std::runtime_error("zipClose failed");
}
