// The native matrix router on a drawing folder, as the program runs it:
// QUIL7.USF gives scale and unit, the cell reference list must be there,
// QuilMx.usf (when there) gives the settings and key=value arguments change
// them (omit0= .. omit23= the omit list). Questions are answered Yes or OK;
// messages go to standard output; exit status 0 when the run completed.
//   mxrun FOLDER [key=value ...]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host.h"
#include "mx.h"
#include "satlib.h"
#include "satsetup.h"

namespace {

void Apply(void* st, int check) { MxSetupApply(*static_cast<MxState*>(st), check); }
int Run(void* st) { return MxRun(*static_cast<MxState*>(st)); }
void Closing(void* st, int result, char* text, size_t size) {
  MxResultText(*static_cast<MxState*>(st), result, text, size);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mxrun FOLDER [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stdout, HOST_IDYES);
  auto st = std::make_unique<MxState>();
  static SatProgram prog = {};
  prog.displayName = "QuilMx";
  prog.keys = MxKeys;
  prog.defaults = MxDefaults;
  prog.lists = MxLists(*st);
  prog.setupApply = Apply;
  prog.run = Run;
  prog.closing = Closing;
  prog.edition = &SatEditionPlain;
  SatProgramSet(&prog, st.get());
  std::filesystem::current_path(argv[1]);
  if (UsfMainRead() != 0 || SatCrfReadAs("QUIL7.CRF File Error ... Keeping Valid Cells") != 0) {
    std::printf("not a drawing folder: %s\n", argv[1]);
    return 1;
  }
  UsfRead();
  for (int i = 2; i < argc; ++i) {
    for (int k = 0; k < MX_SLOTS; ++k) {
      size_t n = std::strlen(MxKeys[k]);
      if (std::strncmp(argv[i], MxKeys[k], n) == 0) std::snprintf(UsfSlot(k), SAT_SLOT_SIZE, "%s", argv[i] + n);
    }
    int k = -1, used = 0;
    if (std::sscanf(argv[i], "omit%d=%n", &k, &used) == 1 && used > 0 && k >= 0 && k < MX_OMITS)
      std::snprintf(st->omit[k], SAT_SLOT_SIZE, "%s", argv[i] + used);
  }
  MxSetupApply(*st, 0);
  int r = SatGoRun();
  return r == 1 && st->completed && !st->skipped ? 0 : 1;
}
