// The CodeView "NB11" symbol data a linker may store in a PE program file: the
// reader behind PLAT_lookup_symbol on Windows, kept apart so that it can be
// tested on images made in memory. Every read is checked against the image's
// size; a damaged image only yields less. Allocates nothing (crash-safe).
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/plat_debug.h"

// Record kinds and layouts that the reader walks.
struct cv_subsection_dir_header {
  uint16_t header_len, entry_len;
  uint32_t entry_count, lfo_next, flags;
};
struct cv_subsection_dir_entry {
  uint16_t sstIndex, modIndex;  // subsection kind, module number
  uint32_t lfo, len;            // offset from the start of the symbol data, length
};
struct cv_module_seginfo {
  uint16_t seg_num, pad;  // section number counted from 1
  uint32_t offset, len;
};
enum {
  CV_SST_MODULE = 0x120,     // module description: its code ranges and name
  CV_SST_ALIGN_SYM = 0x125,  // aligned symbols of one module
  CV_SST_SRC_MODULE = 0x127, // source lines of one module
  CV_S_LPROC = 0x100A,       // local procedure
  CV_S_GPROC = 0x100B,       // global procedure
};

// Fills the function, file and line fields of `out` for the address `address`,
// which lies `rel` bytes above the load address of the module whose file image
// is `image` (`size` bytes). Fields without data keep what they hold. Returns 1
// when the image carries NB11 data at all.
int nb11_lookup(const unsigned char* image, size_t size, uint64_t rel, const void* address, PLAT_symbol* out);
