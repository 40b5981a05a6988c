// Converts a GDSII file into TLC cells with the native engine, for the
// checks by outside writers, the end-to-end comparison and the benchmark:
//   gdsin_read <file.gds> [key=value ...]
// Settings keys are those of the settings file (tph=out\, ctx=Y, font0=...,
// omit0=...). Layers missing from the map keep their GDS number; a name
// that can't be used ends the run. Messages go to stderr; exit status 0
// when the run completed.
#include <cstdio>
#include <cstring>

#include "gdsin.h"
#include "host.h"

namespace {

int Print(const char* text, const char*, int kind, int type) {
  fprintf(stderr, "%s: %s\n", kind == HOST_CAP_ERROR ? "error" : kind == HOST_CAP_WARNING ? "warning" : "note", text);
  return (type == HOST_YESNO || type == HOST_YESNOCANCEL) ? HOST_IDYES : HOST_IDOK;
}
void Quiet(const char*) {}
void NoProgress(long, long) {}
int NoAbort() { return 0; }
void NoPause(int) {}
const HostOps kOps = {Print, Quiet, NoProgress, NoAbort, NoPause};

int Slot(const char* arg, const char* stem, int count) {
  size_t n = strlen(stem);
  int slot = -1;
  if (strncmp(arg, stem, n) == 0 && sscanf(arg + n, "%d=", &slot) == 1 && slot >= 0 && slot < count) return slot;
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: gdsin_read <file.gds> [key=value ...]\n");
    return 2;
  }
  HostSet(&kOps);
  GdsInReset();
  snprintf(GdsInSt.val[IK_CFN], GDSIN_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) {
    const char* eq = strchr(argv[i], '=');
    if (!eq) continue;
    size_t klen = (size_t)(eq - argv[i] + 1);
    for (int k = 0; k < GDSIN_NKEYS; ++k)
      if (strlen(GdsInKeys[k]) == klen && strncmp(argv[i], GdsInKeys[k], klen) == 0)
        snprintf(GdsInSt.val[k], GDSIN_VALLEN, "%s", eq + 1);
    int slot = Slot(argv[i], "font", GDSIN_FONTS);
    if (slot >= 0) snprintf(GdsInSt.font[slot], GDSIN_VALLEN, "%s", eq + 1);
    slot = Slot(argv[i], "omit", GDSIN_OMITS);
    if (slot >= 0) snprintf(GdsInSt.omit[slot], GDSIN_VALLEN, "%s", eq + 1);
  }
  GdsInSetupApply(0);
  int r = GdsInGo();
  printf("%d files\n", GdsInSt.files);
  return r == GI_DONE ? 0 : 1;
}
