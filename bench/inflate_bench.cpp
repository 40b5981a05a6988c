// The installer's deflate decoder on a .gz file: the gzip header is passed
// over, the deflate stream inflated straight from the file into an output
// file with its CRC-32, and the CRC and length checked against the gzip
// trailer. Prints the wall time.
//   inflate_bench <file.gz> <output>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "inflate.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: inflate_bench <file.gz> <output>\n");
    return 2;
  }
  auto t0 = std::chrono::steady_clock::now();
  FILE* in = fopen(argv[1], "rb");
  FILE* out = fopen(argv[2], "wb");
  if (!in || !out) return 2;
  uint8_t h[10];
  if (fread(h, 1, 10, in) != 10 || h[0] != 0x1f || h[1] != 0x8b || h[2] != 8) return 2;
  int flags = h[3];
  if (flags & 4) {  // extra field
    int lo = fgetc(in), hi = fgetc(in);
    fseek(in, lo | hi << 8, SEEK_CUR);
  }
  for (int bit : {8, 16})  // name, comment
    if (flags & bit)
      while (fgetc(in) > 0) {
      }
  if (flags & 2) fseek(in, 2, SEEK_CUR);
  long start = ftell(in);
  fseek(in, -8, SEEK_END);
  long end = ftell(in);
  uint8_t t[8];
  if (fread(t, 1, 8, in) != 8) return 2;
  uint32_t wantCrc = (uint32_t)(t[0] | t[1] << 8 | t[2] << 16 | (uint32_t)t[3] << 24);
  uint32_t wantLen = (uint32_t)(t[4] | t[5] << 8 | t[6] << 16 | (uint32_t)t[7] << 24);
  fseek(in, start, SEEK_SET);

  std::unique_ptr<InflateState> st(new InflateState);
  InflateBegin(st.get(), in, nullptr, (uint64_t)(end - start), out, UINT64_MAX);
  int code = Inflate(st.get());
  InflateFree(st.get());
  uint32_t crc = Crc32Update(&st->crc, st->window, 0);
  int closed = fclose(out) == 0;
  fclose(in);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  printf("quil inflate: %.3f s, %llu bytes, code %d, crc %08x %s, length %s\n", s,
         (unsigned long long)st->outCount, code, crc, crc == wantCrc ? "right" : "WRONG",
         (uint32_t)st->outCount == wantLen ? "right" : "WRONG");
  return code == 0 && closed && crc == wantCrc && (uint32_t)st->outCount == wantLen ? 0 : 1;
}
