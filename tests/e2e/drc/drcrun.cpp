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
  DrcEngineReset();
  fs::path dir = argv[1];
  std::string args;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--date") && i + 1 < argc) {
      std::snprintf(DrcRunS.dateText, sizeof DrcRunS.dateText, "%s", argv[++i]);
    } else if (!std::strcmp(argv[i], "--time") && i + 1 < argc) {
      std::snprintf(DrcRunS.timeText, sizeof DrcRunS.timeText, "%s", argv[++i]);
    } else {
      args += std::string(args.empty() ? "" : " ") + argv[i];
    }
  }
  fs::current_path(dir);
  if (UsfMainRead() != 0 || SatCrfRead() != 0) {
    std::printf("not a drawing folder: %s\n", dir.c_str());
    return 1;
  }
  DrcG.scale = SatSetup.scale;
  std::snprintf(DrcG.physunit, sizeof DrcG.physunit, "%s", SatSetup.physunit);
  DrcStoreReset();
  DrcUsfRead("QuilDrc.usf");
  DrcRunS.src = DrcStoreSource();
  DrcRunS.findCell = DrcStoreFind;
  DrcApplyArguments(args.c_str());
  int r = DrcGo();
  DrcUsfWrite("QuilDrc.usf");
  DrcMapReset();
  return r == 1 ? 0 : 1;
}
