// The mapped file reader.
#include "files/xmap.h"

#include <cstring>

#include "shell/PlatformUtils.h"
#include "shell/UTL_Debug.h"
#include "shell/hl_alert.h"
#include "shell/hl_string.h"
#include "shell/hl_structs.h"

xmap_class::xmap_class(const std::string& path) {
  if (!path.empty()) mBegin = retry(path);
}

xmap_class::~xmap_class() { release(); }

void xmap_class::release() {
  PLAT_unmap_file(mMapping);
  mBegin = mCrt = mEnd = nullptr;
}

unsigned char* xmap_class::retry(const std::string& path) {
  // Only the program's separator may appear: under the Windows rules "\" and ":"
  // after the drive prefix are a programming error.
  if (g_windows_paths) {
    for (size_t i = path_has_drive_prefix(path) ? 3 : 0; i < path.size(); i++) {
      if (path[i] == '\\' || path[i] == ':') {
        __DOVAVI_alert(0, "OOPS!", "I got a bad dirchar! I only want '/'!", "The path in question is:",
                       path, t_exit, "xmap", 128);
        break;
      }
    }
  }
  const std::string full = app_path + path;
  check_len(full);

  release();
  int open_ok = 0;
  int err = PLAT_map_file(full, mMapping, &open_ok);
  if (err != 0 && open_ok) {
    __DOVAVI_alert(0, "Xmapped file ran out of memory", "", "", "", t_alert, "xmap", 197);
    xer << "Mem file error.  Err=" << err << ", file=" << full << "\n";
    return nullptr;
  }
  if (err != 0 || !mMapping.base) return nullptr;
  mBegin = mCrt = mMapping.base;
  mEnd = mBegin + mMapping.size;
  return mBegin;
}

void xmap_class::skip_blanks() {
  while (mCrt < mEnd && is_blank(*mCrt)) mCrt++;
}

void xmap_class::skip_to_eol() {
  while (mCrt < mEnd && !is_line_end(*mCrt)) mCrt++;
}

void xmap_class::skip_line_ends() {
  while (mCrt < mEnd && (is_line_end(*mCrt) || is_blank(*mCrt))) mCrt++;
}

int xmap_class::read_int() {
  skip_blanks();
  int sign = 1;
  if (mCrt < mEnd && *mCrt == '-') {
    sign = -1;
    mCrt++;
  }
  if (mCrt < mEnd && *mCrt == '+') mCrt++;
  // Characters are not validated: each counts as a decimal digit. Unsigned
  // arithmetic keeps an absurdly long "number" from being undefined behaviour.
  unsigned int value = 0;
  while (mCrt < mEnd && !is_blank(*mCrt) && !is_line_end(*mCrt)) value = value * 10u + (unsigned)(*mCrt++ - '0');
  return sign * (int)value;
}

std::string xmap_class::read_word() {
  skip_blanks();
  const unsigned char* start = mCrt;
  while (mCrt < mEnd && !is_blank(*mCrt) && !is_line_end(*mCrt)) mCrt++;
  return std::string((const char*)start, (size_t)(mCrt - start));
}

std::string xmap_class::read_rest_of_line() {
  skip_blanks();
  const unsigned char* start = mCrt;
  skip_to_eol();
  return std::string((const char*)start, (size_t)(mCrt - start));
}

bool xmap_class::take_keyword(const char* word, bool line_end_ok) {
  const size_t n = strlen(word);
  const size_t left = (size_t)(mEnd - mCrt);
  if (left < n || memcmp(mCrt, word, n) != 0) return false;
  const bool ends = left == n || is_line_end(mCrt[n]);
  if (!(left > n && is_blank(mCrt[n])) && !(line_end_ok && ends)) return false;
  mCrt += n;
  return true;
}

int xmap_class::check_file(int type, const int* versions, const char* keyword, std::string* rest) {
  if (type != 10000 && type != 10001)
    __DOVAVI_alert(0, "Bad check_file type!", crt_path, "", "", t_exit, "xmap", 12);
  if (!mBegin || mBegin == mEnd) return 0;
  mCrt = mBegin;

  int version = 0;
  if (type == 10000) {
    unsigned char letter = *mCrt++;
    if (letter == 'a') {
      rev_inf_bin = 1;
    } else if (letter == 'i') {
      rev_inf_bin = 0;
    } else {
      return 0;
    }
    if (mEnd - mCrt >= 4) {
      unsigned char b[4] = {mCrt[0], mCrt[1], mCrt[2], mCrt[3]};
      uint32_t v = rev_inf_bin ? ((uint32_t)b[0] << 24 | (uint32_t)b[1] << 16 | (uint32_t)b[2] << 8 | b[3])
                               : ((uint32_t)b[3] << 24 | (uint32_t)b[2] << 16 | (uint32_t)b[1] << 8 | b[0]);
      version = (int)v;
      mCrt += 4;
    }
  } else {
    unsigned char first = *mCrt;
    skip_blanks();
    skip_to_eol();
    skip_line_ends();
    if (first != 'A' && first != 'I') return 0;
    version = read_int();
    skip_blanks();
    const unsigned char* start = mCrt;
    skip_to_eol();
    if (rest) *rest = std::string((const char*)start, (size_t)(mCrt - start));
    skip_line_ends();
  }

  bool accepted = false;
  for (const int* v = versions; v && *v; v++)
    if (*v == version) accepted = true;
  if (!accepted) return 0;

  if (type == 10001 && keyword) {
    skip_blanks();
    if (!take_keyword(keyword, true)) return 0;  // the cursor stays in front of the word
    skip_to_eol();
    skip_line_ends();
  }
  return version;
}
