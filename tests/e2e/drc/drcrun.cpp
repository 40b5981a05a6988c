// The native rule checker on a drawing folder, as the program runs it: the
// cell reference list and the TLC files are read through the satellites'
// store, QUIL7.USF gives scale and unit, QuilDrc.usf the settings. Messages go to standard output. Arguments after the folder are
// the editor's argument form ("TOP cx cy w").
//   drcrun FOLDER [--date D] [--time T] [--quiet] [ARGS...]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_raster.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "drc_store.h"
#include "host.h"
#include "satlib.h"
#include "satsetup.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: drcrun FOLDER [--date D] [--time T] [ARGS...]\n");
    return 2;
  }
  HostConsoleSet(stdout, HOST_IDYES);
  static DrcState st;  // the run's one state, as the program holds it
  fs::path dir = argv[1];
  std::string args;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--date") && i + 1 < argc) {
      std::snprintf(st.run.dateText, sizeof st.run.dateText, "%s", argv[++i]);
    } else if (!std::strcmp(argv[i], "--time") && i + 1 < argc) {
      std::snprintf(st.run.timeText, sizeof st.run.timeText, "%s", argv[++i]);
    } else {
      args += std::string(args.empty() ? "" : " ") + argv[i];
    }
  }
  fs::current_path(dir);
  if (UsfMainRead() != 0 || SatCrfRead() != 0) {
    std::printf("not a drawing folder: %s\n", dir.c_str());
    return 1;
  }
  st.g.scale = SatSetup.scale;
  std::snprintf(st.g.physunit, sizeof st.g.physunit, "%s", SatSetup.physunit);
  DrcStoreReset();
  DrcUsfRead(st, "QuilDrc.usf");
  st.run.src = DrcStoreSource(st);
  st.run.findCell = DrcStoreFind;
  DrcApplyArguments(st, args.c_str());
  int r = DrcGo(st);
  DrcUsfWrite(st, "QuilDrc.usf");
  DrcMapReset(st);
  return r == 1 ? 0 : 1;
}
