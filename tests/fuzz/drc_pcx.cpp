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
    // Every decoded pixel is a palette index.
    for (size_t i = 0; i < (size_t)info.width * info.height; ++i)
      if (pix[i] > 15) __builtin_trap();
  }
  std::free(pix);
  return 0;
}
