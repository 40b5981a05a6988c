// The DXF reader on arbitrary bytes: the bytes are the DXF file; the cells go
// into a private folder. The first byte picks the options, the second the
// curve segment; every scanned layer is mapped (one of them to 0 when the
// first byte's top bit is set). Names that can't be used get numbered ones.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "dxfin.h"
#include "fuzz_folder.h"
#include "host.h"

namespace {

int Named = 0;
DxfInState State;

int NewName(const char*, char* tried) {
  snprintf(tried, DXFIN_NAMELEN + 1, "FZ%d", ++Named);
  return 1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  static bool once = false;
  if (!once) {
    HostSet(nullptr);  // every message answered with its first button
    once = true;
  }
  FILE* f = fopen("fuzz.dxf", "wb");
  if (!f) return 0;
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  DxfInState* st = &State;
  DxfInReset(st);
  snprintf(st->val[DI_DFN], DXFIN_VALLEN, "fuzz.dxf");
  snprintf(st->val[DI_TPH], DXFIN_VALLEN, "out/");
  snprintf(st->val[DI_TFN], DXFIN_VALLEN, "out/MAIN.tlc");
  int pick = size ? data[0] : 0;
  const int flags[] = {DI_COA, DI_COP, DI_CWP, DI_S2B, DI_OLD, DI_OMT, DI_LYR};
  for (int k = 0; k < 7; ++k) snprintf(st->val[flags[k]], DXFIN_VALLEN, "%s", (pick >> k) & 1 ? "Y" : "N");
  snprintf(st->val[DI_AGD], DXFIN_VALLEN, "%s", (pick & 0x20) ? "CW" : "CCW");
  snprintf(st->val[DI_SEG], DXFIN_VALLEN, "%d", size > 1 ? data[1] % 50 : 5);
  snprintf(st->val[DI_LSU], DXFIN_VALLEN, "%s", (pick & 0x10) ? "1000" : "1");
  DxfInSetupApply(st, 0);
  st->newName = NewName;
  Named = 0;
  if (DxfInLayerScan(st)) {
    for (int i = 0; i < st->nLayers; ++i) snprintf(st->lnam[i], DXFIN_VALLEN, "%d", i + 1);
    if (pick & 0x80) snprintf(st->lnam[0], DXFIN_VALLEN, "0");
    DxfInLayersTake(st);
    char text[300];
    DxfInClosing(st, DxfInRun(st), text, sizeof text);
  }
  DxfInReset(st);
  return 0;
}
