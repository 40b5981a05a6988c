// The native layer-logic engine on a drawing folder, as the program runs
// it: QUIL7.USF gives scale and unit, the cell reference list and the TLC
// files are read through the satellites' store, Quilll.usf (when there)
// gives the settings and key=value arguments change them. Questions are
// answered Yes; messages go to standard output.
//   llrun FOLDER [key=value ...]
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "host.h"
#include "ll.h"
#include "satlib.h"
#include "satsetup.h"

namespace {

LlState St;
time_t Start;

void Apply(void* st, int check) { LlSetupApply(*static_cast<LlState*>(st), check); }
int Run(void* st) {
  Start = std::time(nullptr);
  return LlRun(*static_cast<LlState*>(st));
}
void Closing(void* st, int result, char* text, size_t size) {
  LlResultText(*static_cast<LlState*>(st), result, (long)(std::time(nullptr) - Start), text, size);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: llrun FOLDER [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stdout, HOST_IDYES);
  static SatProgram prog = {};
  prog.displayName = "QuilLL";
  prog.keys = LlKeys;
  prog.defaults = LlDefaults;
  prog.setupApply = Apply;
  prog.run = Run;
  prog.closing = Closing;
  prog.edition = &SatEditionPlain;
  SatProgramSet(&prog, &St);
  std::filesystem::current_path(argv[1]);
  if (UsfMainRead() != 0 || LlCellListRead() != 0) {
    std::printf("not a drawing folder: %s\n", argv[1]);
    return 1;
  }
  UsfRead();
  St.set.fallback = 1.0 / SatSetup.scale;
  for (int i = 2; i < argc; ++i)
    for (int k = 0; k < LL_SLOTS; ++k) {
      size_t n = std::strlen(LlKeys[k]);
      if (std::strncmp(argv[i], LlKeys[k], n) == 0) std::snprintf(UsfSlot(k), SAT_SLOT_SIZE, "%s", argv[i] + n);
    }
  LlSetupApply(St, 0);
  int r = SatGoRun();
  return r == 1 ? 0 : 1;
}
