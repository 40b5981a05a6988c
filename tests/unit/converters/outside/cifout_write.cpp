// Writes the CIF file of a TLC hierarchy with the native engine, for the
// checks by outside readers and for the benchmark:
//   cifout_write <main cell file> [key=value ...]
// Settings keys are those of the settings file (cg1=Y, lfn=..., ...).
// Messages go to stderr; exit status 0 when the run completed.
#include <cstdio>

#include "cifout.h"
#include "tool_args.h"

static CifOutState State;  // its output buffer is a megabyte: not on the stack

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: cifout_write <main.tlc> [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  CifOutState* st = &State;
  CifOutReset(st);
  snprintf(st->val[CK_TFN], CIFOUT_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) tool::KeyTake(argv[i], CifOutKeys, CIFOUT_NKEYS, &st->val[0][0], CIFOUT_VALLEN);
  CifOutSetupApply(st, 0);
  CifOutSelParse(st, st->val[CK_FTR]);
  int r = CifOutGo(st);
  printf("%lld bytes\n", (long long)st->w.bytes);
  return r ? 0 : 1;
}
