// The GDS-I reader on arbitrary bytes: the bytes are the input file; the
// cells go into a private folder, the reports nowhere.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "fuzz_folder.h"
#include "gdsiread.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  FILE* f = fopen("CALMA.TXT", "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  static GdsiState st;
  GdsiReset(&st);
  st.fixedNow = 1;
  st.con = fopen("/dev/null", "w");
  if (!st.con) return 0;
  GdsiRun(&st, "CALMA.TXT");
  fclose(st.con);
  return 0;
}
