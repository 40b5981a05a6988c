// The native rule checker on a drawing folder: every "<name>.tlc" of the
// folder is a cell; QUIL7.USF gives scale and unit, QuilDrc.usf the
// settings. Messages go to standard output. Arguments after the folder are
// the editor's argument form ("TOP cx cy w").
//   drcrun FOLDER [--date D] [--time T] [--quiet] [ARGS...]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "drc_map.h"
#include "drc_memsrc.h"
#include "drc_oper.h"
#include "drc_raster.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "host.h"

namespace fs = std::filesystem;

namespace {

int Box(const char* text, const char* caption, int kind, int type) {
  const char* cap = kind == HOST_CAP_ERROR ? "Error ..." : kind == HOST_CAP_WARNING ? "Warning ..." : caption;
  std::printf("[%s] %s\n", cap ? cap : "QuilDrc", text);
  return (type == HOST_YESNO || type == HOST_YESNOCANCEL) ? HOST_IDYES : HOST_IDOK;
}
void Status(const char*) {}
void Progress(long, long) {}
int Poll() { return 0; }
void Pause(int) {}
const HostOps kOps = {Box, Status, Progress, Poll, Pause};

DrcMemDrawing Drawing;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: drcrun FOLDER [--date D] [--time T] [ARGS...]\n");
    return 2;
  }
  HostSet(&kOps);
  DrcSharedReset();
  DrcMapReset();
  DrcSetupReset();
  DrcExecReset();
  DrcRasterReset();
  DrcRunReset();
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
  std::ifstream usf(dir / "QUIL7.USF");
  std::string line;
  while (std::getline(usf, line)) {
    if (line.rfind("scale=", 0) == 0) DrcG.scale = std::atof(line.c_str() + 6);
    if (line.rfind("physunit=", 0) == 0) {
      std::string u = line.substr(9);
      while (!u.empty() && (unsigned char)u.back() <= ' ') u.pop_back();
      std::snprintf(DrcG.physunit, sizeof DrcG.physunit, "%s", u.c_str());
    }
  }
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string ext = e.path().extension().string();
    if (ext != ".tlc" && ext != ".TLC") continue;
    std::ifstream f(e.path());
    std::stringstream s;
    s << f.rdbuf();
    int c = DrcMemAddCell(Drawing, e.path().stem().string().c_str());
    if (DrcMemReadTlc(Drawing, c, s.str().c_str()) != 0) std::printf("bad records in %s\n", e.path().c_str());
  }
  DrcMemFinish(Drawing);
  DrcMemSource(Drawing);
  DrcUsfRead((dir / "QuilDrc.usf").string().c_str());
  std::snprintf(DrcRunS.folder, sizeof DrcRunS.folder, "%s", dir.string().c_str());
  DrcRunS.src = &Drawing.src;
  DrcRunS.findCell = [](void* ctx, const char* name) { return DrcMemFind(*static_cast<DrcMemDrawing*>(ctx), name); };
  DrcApplyArguments(args.c_str());
  int r = DrcGo();
  DrcUsfWrite((dir / "QuilDrc.usf").string().c_str());
  DrcMapReset();
  return r == 1 ? 0 : 1;
}
