// The deflate decoder on any bytes: it ends with a code, never writes past
// the member's size, and its CRC covers exactly what it wrote.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "inflate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::unique_ptr<InflateState> st(new InflateState);
  // The first two bytes choose the member's size, so overruns are reached.
  uint64_t limit = size >= 2 ? (uint64_t)(data[0] | data[1] << 8) * 4 : UINT64_MAX;
  const uint8_t* stream = size >= 2 ? data + 2 : data;
  size_t n = size >= 2 ? size - 2 : size;
  InflateBegin(st.get(), nullptr, stream, n, nullptr, limit);
  int code = Inflate(st.get());
  InflateFree(st.get());
  if (code < 0 || code > INFLATE_WRITE_FAILED) abort();
  if (st->outCount > limit) abort();
  if (st->overrun && code == 0) abort();
  return 0;
}
