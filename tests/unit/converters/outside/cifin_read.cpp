// Turns a CIF file into TLC cells with the native engine, for the checks
// against outside writers and for the benchmark:
//   cifin_read <file.cif> [key=value ...]
// Settings keys are those of the settings file (tfp=..., lfn=..., ...).
// A name that can't be a cell is refused (the run stops). Messages go to
// stderr; exit status 0 when the run completed.
#include <cstdio>

#include "cifin.h"
#include "tool_args.h"

static CifInState State;

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: cifin_read <file.cif> [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  CifInState* st = &State;
  CifInReset(st);
  snprintf(st->val[CI_CFN], CIFIN_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) tool::KeyTake(argv[i], CifInKeys, CIFIN_NKEYS, &st->val[0][0], CIFIN_VALLEN);
  CifInSetupApply(st, 0);
  int r = CifInGo(st);
  printf("%d cells\n", st->files);
  return r ? 0 : 1;
}
