// Writes the DXF file of a TLC hierarchy with the native engine, for the
// checks by outside readers and for the benchmark:
//   dxfout_write <main cell file> [key=value ...]
// Settings keys are those of the settings file (b2s=Y, xfn=..., ...).
// Messages go to stderr; exit status 0 when the run completed.
#include <cstdio>

#include "dxfout.h"
#include "tool_args.h"

static DxfOutState State;  // its output buffer is a megabyte: not on the stack

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: dxfout_write <main.tlc> [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDOK);
  DxfOutState* st = &State;
  DxfOutReset(st);
  snprintf(st->val[DK_TFN], DXFOUT_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) tool::KeyTake(argv[i], DxfOutKeys, DXFOUT_NKEYS, &st->val[0][0], DXFOUT_VALLEN);
  DxfOutSetupApply(st, 0);
  DxfOutSelParse(st, st->val[DK_FTR]);
  char text[200];
  int r = DxfOutClosing(st, DxfOutRun(st), text, sizeof text);
  printf("%s\n", text);
  return r ? 0 : 1;
}
