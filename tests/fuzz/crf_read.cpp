// The cell reference list readers on any bytes. A list that was read is
// written and must read back to the same table.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "celltable.h"
#include "fuzz_folder.h"
#include "namecheck.h"
#include "store.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  FILE* f = fopen("QUIL7.CRF", "wb");
  if (!f) return 0;
  fwrite(data, 1, size, f);
  fclose(f);
  CellTableReset();
  int r = CrfRead();
  Check(r == 1 || r == 2);
  Check(CellTable.count >= 0 && CellTable.count <= CELL_MAX);
  for (int i = 1; i <= CellTable.count; ++i) {
    const CellEntry& e = CellTable.cells[i];
    Check(memchr(e.name, 0, sizeof e.name) != nullptr);
    Check((e.rank & 0x1F) >= 1 && (e.rank & 0x1F) <= 24);
  }
  static CellTableState first;
  first = CellTable;
  Check(CrfWrite("", 0, 0) == 1);
  CellTableReset();
  Check(CrfRead() == 1);
  Check(CellTable.count == first.count);
  for (int i = 1; i <= first.count; ++i)
    Check(memcmp(&first.cells[i], &CellTable.cells[i], sizeof(CellEntry)) == 0);
  // Another drawing's list keeps only valid entries read whole.
  if (CrfReadOther("./") == 1) {
    Check(CellTable.count >= 0 && CellTable.count <= CELL_MAX);
    for (int i = 1; i <= CellTable.count; ++i) Check(CellNameValid(CellTable.cells[i].name) == 1);
  }
  return 0;
}
