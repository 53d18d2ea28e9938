// MD5 message digest (RFC 1321), with the reference interface: MD5Init, then
// MD5Update over the data in any number of pieces, then MD5Final, which leaves the
// 16 digest bytes in `digest`.
#pragma once
#include <cstdint>
#include <string>

struct MD5_CTX {
  uint32_t i[2];             // number of bits hashed, low word first
  uint32_t buf[4];           // the state A, B, C, D
  unsigned char in[64];      // the pending input block
  unsigned char digest[16];  // the result, after MD5Final
};

void MD5Init(MD5_CTX* ctx);
void MD5Update(MD5_CTX* ctx, const unsigned char* inBuf, unsigned int inLen);
void MD5Final(MD5_CTX* ctx);
// Feeds a buffer of any 32-bit length in slices of at most 65,535 bytes; the
// digest equals one update over the whole buffer.
void MD5UpdateWide(MD5_CTX* ctx, const unsigned char* inBuf, unsigned long inLenWide);
// The 16 digest bytes as a signature: 32 lower-case hexadecimal digits.
std::string MD5_signature(const unsigned char digest[16]);
