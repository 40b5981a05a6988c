// Turns a DXF file into TLC cells with the native engine, for the checks
// against outside writers and for the benchmark:
//   dxfin_read <file.dxf> [key=value ...] [lnam<n>=<tlc> ...] [map:<layer>=<tlc> ...]
// Settings keys are those of the settings file (tph=..., lsu=..., ...). The
// layer table is scanned first; map:<layer>=<tlc> numbers the row of that
// DXF layer, map:*=<tlc> every row left unnumbered. A block name that can't
// be a cell takes the proposed name, numbered when it is taken. Messages go
// to stderr; exit status 0 when the run completed.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "dxfin.h"
#include "tool_args.h"

static DxfInState State;  // the block table and the input buffer: not on the stack

static char LastAnswer[DXFIN_NAMELEN + 1];
static int Asked;

static int NewName(const char* illegal, char* tried) {
  // A repeated question means the proposal was taken already.
  if (strcmp(illegal, LastAnswer) == 0 || strcmp(tried, "?") == 0 || !tried[0]) {
    char base[DXFIN_NAMELEN + 1];
    snprintf(base, sizeof base, "%s", strcmp(tried, "?") == 0 || !tried[0] ? "BLOCK" : tried);
    snprintf(tried, DXFIN_NAMELEN + 1, "%.24s_%d", base, ++Asked);
  }
  snprintf(LastAnswer, sizeof LastAnswer, "%s", tried);
  return 1;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: dxfin_read <file.dxf> [key=value ...] [lnam<n>=<tlc> ...] [map:<layer>=<tlc> ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  DxfInState* st = &State;
  DxfInReset(st);
  snprintf(st->val[DI_DFN], DXFIN_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) tool::KeyTake(argv[i], DxfInKeys, DXFIN_NKEYS, &st->val[0][0], DXFIN_VALLEN);
  DxfInSetupApply(st, 0);
  if (!DxfInLayerScan(st)) return 1;
  for (int i = 2; i < argc; ++i) tool::SlotTake(argv[i], "lnam", DXFIN_LAYERROWS, &st->lnam[0][0], DXFIN_VALLEN);
  const char* all = nullptr;
  for (int i = 2; i < argc; ++i) {
    if (strncmp(argv[i], "map:", 4) != 0) continue;
    const char* eq = strrchr(argv[i], '=');
    if (!eq) continue;
    char name[DXFIN_VALLEN];
    snprintf(name, sizeof name, "%.*s", (int)(eq - argv[i] - 4), argv[i] + 4);
    if (strcmp(name, "*") == 0) {
      all = eq + 1;
      continue;
    }
    for (int r = 0; r < st->nLayers; ++r)
      if (CnvSameName(st->layers[r].name, name)) snprintf(st->lnam[r], DXFIN_VALLEN, "%s", eq + 1);
  }
  DxfInLayersTake(st);
  if (all)
    for (int r = 0; r < st->nLayers; ++r)
      if (!st->layers[r].tlc) snprintf(st->lnam[r], DXFIN_VALLEN, "%s", all);
  DxfInLayersTake(st);
  st->newName = NewName;
  int r = DxfInGo(st);
  printf("%d cells\n", st->files);
  return r ? 0 : 1;
}
