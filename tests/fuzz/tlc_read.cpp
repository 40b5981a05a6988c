// The editor's TLC loaders on any bytes: objects, instances and the header,
// then the cell written back and read again. Checks that what is stored is
// always in range and that a written cell reads back to the same store.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "celltable.h"
#include "fuzz_folder.h"
#include "mainsetup.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

void Setup() {
  static bool done = false;
  if (done) return;
  done = true;
  snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "01/01/26");
  snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "00:00:00");
}

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckStore() {
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* b = StoreBoxRec(i);
    Check(b && b[0] >= 1 && b[0] <= 256 && b[1] <= b[3] && b[2] <= b[4]);
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    Check(p && (p[0] & 0x1FF) >= 1 && (p[0] & 0x1FF) <= 256);
    Check(p[2] >= 0 && p[2] <= Store.vertexCount);
  }
  for (int32_t i = 1; i <= Store.vertexCount; ++i) {
    const int32_t* v = StoreVertexRec(i);
    Check(v && v[3] >= 0 && v[3] <= Store.vertexCount && (v[0] & 0x7FFFFFFF) >= 1);
  }
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    Check(c && CellNameOf(c[0] & INST_CELL_MASK) != nullptr);
  }
}

std::string ReadAll(const char* path) {
  std::string s;
  FILE* f = fopen(path, "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  fclose(f);
  return s;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  Setup();
  StoreReset();
  CellTableReset();
  TlcLoadReset();
  MainSetupReset();
  MainSetup.writeoldtlc = size > 0 && (data[0] & 1);
  CellFindAdd("INV");
  CellFindAdd("NMOS");
  int cell = CellFindAdd("FUZZ");

  TlcOpenMem(data, size);
  int objs = TlcReadObjsIn();
  TlcOpenMem(data, size);
  int insts = TlcReadInstsIn(0);
  CheckStore();
  TlcOpenMem(data, size);
  TlcHeaderScan();
  TlcClose();

  // A cell that loaded cleanly writes and reads back to the same file.
  if (objs == 0 && insts == 0) {
    if (CrfWrite("FUZZ", cell, 2) != 1) return 0;
    Check(TlcWriteCell("FUZZ", "FUZZ") == 0);
    std::string first = ReadAll("FUZZ.tlc");
    StoreReset();
    Check(CellObjLoad(cell) == 0);
    Check(CellInstLoad(cell, 0) == 0);
    CheckStore();
    Check(CrfWrite("FUZZ", cell, 2) == 1);
    Check(TlcWriteCell("FUZZ", "FUZZ") == 0);
    Check(ReadAll("FUZZ.tlc") == first);
  }
  return 0;
}
