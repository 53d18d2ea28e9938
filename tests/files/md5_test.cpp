// MD5: the RFC 1321 test suite, piecewise feeding, and calc_file_md5 against md5sum.
#include <gtest/gtest.h>

#include <cstring>

#include "files/IO_UTILS.h"
#include "files/md5.h"
#include "support/fs_helpers.h"

static std::string md5_hex(const std::string& data, size_t piece) {
  MD5_CTX ctx;
  MD5Init(&ctx);
  for (size_t off = 0; off < data.size(); off += piece) {
    size_t n = std::min(piece, data.size() - off);
    MD5Update(&ctx, (const unsigned char*)data.data() + off, (unsigned)n);
  }
  MD5Final(&ctx);
  char hex[33];
  for (int k = 0; k < 16; k++) snprintf(hex + 2 * k, 3, "%02x", ctx.digest[k]);
  return hex;
}

TEST(Md5, Rfc1321TestSuiteInAnyPieces) {
  const struct {
    const char* input;
    const char* digest;
  } suite[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : suite)
    for (size_t piece : {1, 3, 63, 64, 65, 1000}) EXPECT_EQ(md5_hex(c.input, piece), c.digest) << c.input;
}

TEST(Md5, WideUpdateEqualsOneUpdate) {
  std::string data = random_bytes(300000, 7);  // several 65,535-byte slices and a tail
  MD5_CTX wide;
  MD5Init(&wide);
  MD5UpdateWide(&wide, (const unsigned char*)data.data(), (unsigned long)data.size());
  MD5Final(&wide);
  MD5_CTX one;
  MD5Init(&one);
  MD5Update(&one, (const unsigned char*)data.data(), (unsigned)data.size());
  MD5Final(&one);
  EXPECT_EQ(0, memcmp(wide.digest, one.digest, 16));
}

TEST(CalcFileMd5, EqualsMd5sumOnFilesOfManySizes) {
  TempDir dir;
  for (size_t size : {1, 55, 56, 57, 63, 64, 65, 119, 120, 4095, 4096, 65535, 65536, 65537, 1000003}) {
    std::string path = dir / ("f" + std::to_string(size));
    write_file(path, random_bytes(size, (unsigned)size));
    std::string sig;
    ASSERT_EQ(0, calc_file_md5(path, sig));
    EXPECT_EQ(md5sum_of(path), sig) << size;
  }
  write_file(dir / "abc", "abc");
  std::string sig;
  ASSERT_EQ(0, calc_file_md5(dir / "abc", sig));
  EXPECT_EQ("900150983cd24fb0d6963f7d28e17f72", sig);
}

TEST(CalcFileMd5, MissingOrEmptyFileGives20006AndKeepsTheOutput) {
  TempDir dir;
  write_file(dir / "empty", "");
  for (std::string path : {dir / "empty", dir / "missing"}) {
    std::string sig = "NONE";
    EXPECT_EQ(20006, calc_file_md5(path, sig)) << path;
    EXPECT_EQ("NONE", sig);
  }
}
