// Map files of any content: the header check and the bounded decoder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "drc_pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PcxInfo info;
  uint8_t* pix = nullptr;
  if (PcxDecode(data, size, &info, &pix)) {
    if (info.width < 1 || info.width > 8 * PCX_MAX_BPL || info.height < 1 || info.height > PCX_MAX_ROWS)
      __builtin_trap();
    // Decoded pixels are palette indices (the first and last rows checked;
    // reads and writes out of bounds are the sanitizer's to catch).
    for (int x = 0; x < info.width; ++x)
      if (pix[x] > 15 || pix[(size_t)(info.height - 1) * info.width + x] > 15) __builtin_trap();
  }
  std::free(pix);
  return 0;
}
