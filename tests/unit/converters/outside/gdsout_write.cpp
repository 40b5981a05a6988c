// Writes the GDSII file of a TLC hierarchy with the native engine, for the
// checks by outside readers and for the benchmark:
//   gdsout_write <main cell file> [key=value ...]
// Settings keys are those of the settings file (ctx=Y, csu=1000, ...).
// Messages go to stderr; exit status 0 when the run completed.
#include <cstdio>

#include "gdsout.h"
#include "tool_args.h"

static GdsOutState State;  // its output buffer is a megabyte: not on the stack

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: gdsout_write <main.tlc> [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  GdsOutState* st = &State;
  GdsOutReset(st);
  snprintf(st->val[GK_TFN], GDSOUT_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) {
    tool::KeyTake(argv[i], GdsOutKeys, GDSOUT_NKEYS, &st->val[0][0], GDSOUT_VALLEN);
    tool::SlotTake(argv[i], "font", GDSOUT_ROWS * 6, &st->font[0][0], GDSOUT_VALLEN);
  }
  GdsOutSetupApply(st, 0);
  GdsOutSelParse(st, st->val[GK_FTR]);
  int r = GdsOutGo(st);
  printf("%lld bytes\n", (long long)st->rec.bytes);
  return r == GO_DONE ? 0 : 1;
}
