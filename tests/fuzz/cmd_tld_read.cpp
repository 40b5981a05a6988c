// Import of one TLD file on any bytes, into an empty drawing: the cell
// list written afterwards reads back whole, names only valid cells with
// ranks 1..24, and every cell it names has its file.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "celltable.h"
#include "fuzz_folder.h"
#include "host.h"
#include "impexp.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void WriteAll(const char* path, const void* data, size_t size) {
  FILE* f = fopen(path, "wb");
  if (!f) abort();
  if (size && fwrite(data, 1, size, f) != size) abort();
  if (fclose(f) != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  (void)!system("rm -rf src dst");
  mkdir("src", 0755);
  mkdir("dst", 0755);
  WriteAll("src/f.tld", data, size);
  WriteAll("dst/QUIL7.CRF", "0\n", 2);
  StoreReset();
  CellTableReset();
  TlcLoadReset();
  TlcWriteReset();
  MainSetupReset();
  MainSetup.writeoldtlc = size > 0 && (data[0] & 1);
  ImpExpParams p = {};
  p.srcFolder = "src/";
  p.dstFolder = "dst/";
  p.name = "f";
  p.tld = 1;
  TlcImport(p);  // every question gets its first button: Yes
  CellTableReset();
  Check(CrfReadOther("dst/") == 1);
  for (int i = 1; i <= CellTable.count; ++i) {
    const CellEntry& e = CellTable.cells[i];
    Check(CellNameValid(e.name) == 1);
    Check(e.rank >= 1 && e.rank <= 24);
    Check(TlcOpen("dst/", e.name) == 1);
    TlcClose();
  }
  return 0;
}
