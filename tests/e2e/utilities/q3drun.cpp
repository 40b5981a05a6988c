// The native 3D view builder on a drawing folder, as the program runs it:
// the cell reference list must be there, Quil3D.usf (when there) gives the
// settings and key=value arguments change them (l0= .. l15= the layer
// list). Messages go to standard output; exit status 0 when the result was
// created.
//   q3drun FOLDER [key=value ...]
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cnvcommon.h"
#include "host.h"
#include "q3d.h"
#include "satlib.h"
#include "satsetup.h"

namespace {

void Apply(void* st, int check) { StackSetupApply(*static_cast<StackState*>(st), check); }
int Run(void* st) { return StackRun(*static_cast<StackState*>(st)) != STACK_ABORTED; }
void Closing(void* st, int result, char* text, size_t size) {
  StackState& s = *static_cast<StackState*>(st);
  if (!result) s.outcome = STACK_ABORTED;
  StackResultText(s, text, size);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: q3drun FOLDER [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stdout, HOST_IDYES);
  auto st = std::make_unique<StackState>();
  static SatProgram prog = {};
  prog.displayName = "Quil3D";
  prog.keys = StackKeys;
  prog.defaults = StackDefaults;
  prog.lists = StackLists(*st);
  prog.setupApply = Apply;
  prog.run = Run;
  prog.closing = Closing;
  prog.edition = &SatEditionPlain;
  SatProgramSet(&prog, st.get());
  std::filesystem::current_path(argv[1]);
  if (UsfMainRead() != 0 || CrfMissing()) {
    std::printf("not a drawing folder: %s\n", argv[1]);
    return 1;
  }
  UsfRead();
  for (int i = 2; i < argc; ++i) {
    for (int k = 0; k < STACK_SLOTS; ++k) {
      size_t n = std::strlen(StackKeys[k]);
      if (std::strncmp(argv[i], StackKeys[k], n) == 0) std::snprintf(UsfSlot(k), SAT_SLOT_SIZE, "%s", argv[i] + n);
    }
    int k = -1, used = 0;
    if (std::sscanf(argv[i], "l%d=%n", &k, &used) == 1 && used > 0 && k >= 0 && k < STACK_LAYERS)
      std::snprintf(st->layerText[k], SAT_SLOT_SIZE, "%s", argv[i] + used);
  }
  StackSetupApply(*st, 0);
  int r = SatGoRun();
  return r == 1 && st->outcome == STACK_CREATED ? 0 : 1;
}
