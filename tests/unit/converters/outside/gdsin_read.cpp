// Converts a GDSII file into TLC cells with the native engine, for the
// checks by outside writers, the end-to-end comparison and the benchmark:
//   gdsin_read <file.gds> [key=value ...]
// Settings keys are those of the settings file (tph=out\, ctx=Y, font0=...,
// omit0=...). Layers missing from the map keep their GDS number; a name
// that can't be used ends the run. Messages go to stderr; exit status 0
// when the run completed.
#include <cstdio>

#include "gdsin.h"
#include "tool_args.h"

static GdsInState State;  // megabytes: not on the stack

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: gdsin_read <file.gds> [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  GdsInState* st = &State;
  GdsInReset(st);
  snprintf(st->val[IK_CFN], GDSIN_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) {
    tool::KeyTake(argv[i], GdsInKeys, GDSIN_NKEYS, &st->val[0][0], GDSIN_VALLEN);
    tool::SlotTake(argv[i], "font", GDSIN_FONTS, &st->font[0][0], GDSIN_VALLEN);
    tool::SlotTake(argv[i], "omit", GDSIN_OMITS, &st->omit[0][0], GDSIN_VALLEN);
  }
  GdsInSetupApply(st, 0);
  int r = GdsInGo(st);
  printf("%d files\n", st->files);
  return r == GI_DONE ? 0 : 1;
}
