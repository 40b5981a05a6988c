// Command-line driver of the ZIP walk for the outside checks:
//   zip_unpack x <archive> <folder>   expands; exit status is the result code
//   zip_unpack crc <file>...          prints each file's CRC-32 in hex
// Messages go to stderr, one line each.
#include <cstdio>
#include <cstring>
#include <string>

#include "host.h"
#include "inflate.h"
#include "zipextract.h"

int main(int argc, char** argv) {
  if (argc >= 4 && strcmp(argv[1], "x") == 0) {
    HostConsoleSet(stderr, HOST_IDYES);
    std::string target = argv[3];
    // The installer hands the walk its folder with a backslash at the end.
    target += '\\';
    ZipRun run;
    return ZipExtract(argv[2], target.c_str(), &run);
  }
  if (argc >= 3 && strcmp(argv[1], "crc") == 0) {
    for (int i = 2; i < argc; ++i) {
      FILE* f = fopen(argv[i], "rb");
      if (!f) return 3;
      uint32_t reg;
      Crc32Update(&reg, nullptr, 0);
      uint8_t buf[70000];
      size_t got;
      uint32_t crc = 0;
      while ((got = fread(buf, 1, sizeof buf, f)) > 0) crc = Crc32Update(&reg, buf, got);
      crc = Crc32Update(&reg, buf, 0);
      fclose(f);
      printf("%08x %s\n", crc, argv[i]);
    }
    return 0;
  }
  fprintf(stderr, "usage: zip_unpack x <archive> <folder> | crc <file>...\n");
  return 3;
}
