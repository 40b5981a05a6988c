// Writes the GDSII file of a TLC hierarchy with the native engine, for the
// checks by outside readers and for the benchmark:
//   gdsout_write <main cell file> [key=value ...]
// Settings keys are those of the settings file (ctx=Y, csu=1000, ...).
// Messages go to stderr; exit status 0 when the run completed.
#include <cstdio>
#include <cstring>

#include "gdsout.h"
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

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: gdsout_write <main.tlc> [key=value ...]\n");
    return 2;
  }
  HostSet(&kOps);
  GdsOutReset();
  snprintf(GdsOutSt.val[GK_TFN], GDSOUT_VALLEN, "%s", argv[1]);
  for (int i = 2; i < argc; ++i) {
    const char* eq = strchr(argv[i], '=');
    if (!eq) continue;
    for (int k = 0; k < GDSOUT_NKEYS; ++k)
      if (strncmp(argv[i], GdsOutKeys[k], (size_t)(eq - argv[i] + 1)) == 0 &&
          strlen(GdsOutKeys[k]) == (size_t)(eq - argv[i] + 1))
        snprintf(GdsOutSt.val[k], GDSOUT_VALLEN, "%s", eq + 1);
    if (strncmp(argv[i], "font", 4) == 0) {
      int slot = -1;
      if (sscanf(argv[i] + 4, "%d=", &slot) == 1 && slot >= 0 && slot < GDSOUT_ROWS * 6)
        snprintf(GdsOutSt.font[slot], GDSOUT_VALLEN, "%s", eq + 1);
    }
  }
  GdsOutSetupApply(0);
  GdsOutSelParse(GdsOutSt.val[GK_FTR]);
  int r = GdsOutGo();
  printf("%lld bytes\n", (long long)GdsOutSt.rec.bytes);
  return r == GO_DONE ? 0 : 1;
}
