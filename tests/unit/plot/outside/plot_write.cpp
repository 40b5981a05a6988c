// Plots a drawing folder as the program does, without its windows: the
// folder's QUIL7.USF, cell list and QuilHpgl.usf, optionally the editor's
// tokens, then one Go. Usage: plot_write <folder> [cell l b r t]
// With PLOT_MAX_SCALE=1 in the environment the plot scale is the Main
// Setup's Max Scale first.
// Messages go to stderr; the exit code is 0 when the plot finished.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host.h"
#include "plot.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satsetup.h"

int main(int argc, char** argv) {
  if (argc < 2 || chdir(argv[1]) != 0) {
    fprintf(stderr, "usage: plot_write <folder> [cell l b r t]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDNO);
  if (UsfMainRead() || SatCrfRead()) {
    fprintf(stderr, "not a drawing folder: %s\n", argv[1]);
    return 2;
  }
  static PlotState st;
  st.scale = SatSetup.scale;
  snprintf(st.physunit, sizeof st.physunit, "%s", SatSetup.physunit);
  HpglUsfRead(st);
  std::string args;
  for (int i = 2; i < argc; ++i) args += std::string(i > 2 ? " " : "") + argv[i];
  if (!args.empty()) PlotArguments(st, args.c_str());
  const char* max = getenv("PLOT_MAX_SCALE");
  if (max && max[0] == '1' && PlotGeometry(st) == 0 && st.geom.valid) {
    PlotNumText(st.set.v[PK_PSC], PLOT_TEXT, st.geom.maxScale / st.set.lam, 9);
    SetupApply(st);
  }
  PlotUseStore(st);
  auto t0 = std::chrono::steady_clock::now();
  int result = PlotRun(st);
  double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  TlcStoreReset();
  char text[SAT_TEXT_SIZE];
  PlotClosing(st, result, text, sizeof text);
  fprintf(stderr, "%s\nseconds %.3f objects %lld\n", text, s, (long long)st.walk.objects);
  return result && !st.abortFlag ? 0 : 1;
}
