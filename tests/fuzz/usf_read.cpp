// Any bytes as a main setup file: reading must stay in bounds, and what the
// writer makes of the result must read back to the same text.
#include "mainsetup.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The writer's text for the settings in force.
char* WriteToMemory(size_t* size) {
  char* buf = nullptr;
  FILE* f = open_memstream(&buf, size);
  if (!f) abort();
  MainSetupWriteStream(f);
  fclose(f);
  return buf;
}

void ReadFromMemory(const uint8_t* data, size_t size) {
  MainSetupReset();
  if (size == 0) return;
  FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
  if (!f) abort();
  MainSetupReadStream(f);
  fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadFromMemory(data, size);
  size_t n1 = 0;
  char* first = WriteToMemory(&n1);
  ReadFromMemory(reinterpret_cast<const uint8_t*>(first), n1);
  size_t n2 = 0;
  char* second = WriteToMemory(&n2);
  if (n1 != n2 || memcmp(first, second, n1) != 0) abort();
  free(first);
  free(second);

  // The early read of the same bytes.
  MainSetupReset();
  if (size) {
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!f) abort();
    MainSetupReadEarlyStream(f);
    fclose(f);
  }
  return 0;
}
