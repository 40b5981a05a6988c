#include <cstring>
#include <ctime>

#include "drc_store.h"
#include "host.h"
#include "q7tlcrw.h"
#include "plot.h"
#include "satlib.h"
#include "satsetup.h"
#include "satutil.h"

PlotState::PlotState() {
  PlotSettingsReset(*this);
  // The defaults applied, so a first Go without a settings file has a font
  // and a paper area.
  ParamsApply(*this);
  PaperApply(*this);
  LayerTableBuild(*this);
  SetupApply(*this);
  out.clipped = 0;
  out.clipWarned = 0;
}

PlotState::~PlotState() {
  if (out.f) fclose(out.f);
}

namespace {
int StoreOutOfMemory() { return TlcStore.oomFlag; }
}  // namespace

void PlotUseStore(PlotState& st) {
  TlcStore.textMode = 0;  // texts are plotted
  st.walk.cw.src = DrcStoreSourceAll();
  st.walk.oom = StoreOutOfMemory;
}

int PlotSetupCheck(PlotState& st) {
  if (!st.setupChanged) return 0;
  HostMsgBox("??? ... Please do Main Setup Again", "Setup Changed ...", HOST_CAP_OWN, HOST_OK);
  return 1;
}

namespace {

void Status(PlotState& st, int id, const char* text) {
  if (st.walk.status) st.walk.status(id, text);
}

// A write or the close of the stream failed: the run stops, naming it.
void WriteFailed(PlotState& st) {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Unable to Write to Plotter or Plot File %s", st.out.name);
  st.abortFlag = 1;
  HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK);
}

}  // namespace

int PlotRun(PlotState& st) {
  PlotWalk& w = st.walk;
  st.abortFlag = 0;
  st.out.failed = 0;
  w.firstPass = 1;
  w.missingNoted = 0;
  w.objects = 0;
  st.out.pen = 0;
  st.out.clipped = 0;
  st.startSeconds = (double)time(nullptr);
  // The geometry of the settings as they are now, whatever dialogs were
  // closed how.
  if (!(st.scale > 0)) {
    HostMsgBox("Drawing Scale must be Greater than 0 ... Can't Continue", nullptr, HOST_CAP_ERROR, HOST_OK);
    st.abortFlag = 1;
    return 0;
  }
  if (PlotGeometry(st) != 0 || !st.geom.valid) {
    st.abortFlag = 1;
    return 0;
  }
  w.mainIndex = GetCinfo(st.set.v[PK_CLN]);
  if (!w.mainIndex) {
    st.abortFlag = 1;
    HostMsgBox("Cell to Plot is Missing ... Can't Continue", nullptr, HOST_CAP_ERROR, HOST_OK);
    return 0;
  }
  snprintf(st.out.name, sizeof st.out.name, "%s", st.set.plotFile);
  if (!st.out.capture) {
    st.out.f = PlotFileIsDrawing(st.out.name) ? nullptr : SatOpen(st.out.name, "w");
    if (!st.out.f) {
      HostMsgBox("Unable to Open Plotter or Plot File!", nullptr, HOST_CAP_ERROR, HOST_OK);
      HostPause(20);
      return 0;
    }
  }
  HeaderWrite(st);
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Plotting Main Cell %s ...", st.set.v[PK_CLN]);
  Status(st, 503, text);
  for (int L = 1; L <= 256; ++L) {
    if (st.abortFlag || st.out.failed || (w.oom && w.oom())) break;
    if (!LayerPlotted(st, L)) continue;
    st.out.lastX = st.out.lastY = 0;
    int row = LayerRow(st, L);
    const PlotLayerRow& r = st.set.rows[row];
    st.out.wantPen = r.pen;
    snprintf(text, sizeof text, "Paper Size (%s)   Plotter Origin (%s)", st.set.v[PK_PSZ],
             st.set.lowerLeft ? "Lower Left" : "Center");
    Status(st, 501, text);
    snprintf(text, sizeof text, "Layer (%d)   Pen (%d)   Dash (%s)   Fill (%s)", L, r.pen, r.dash[0] ? r.dash : "none",
             r.fill[0] ? r.fill : "none");
    Status(st, 502, text);
    w.layer = L;
    PlotLayerTree(st);
    PlotPut(st, "PU;");
    w.firstPass = 0;
  }
  // The trailer also after an abort: the plotter is left with its pen up.
  TrailerWrite(st);
  w.layer = 0;
  if (st.out.f) {
    if (ferror(st.out.f)) st.out.failed = 1;
    if (fclose(st.out.f) != 0) st.out.failed = 1;
    st.out.f = nullptr;
  }
  if (st.out.failed) WriteFailed(st);
  return 1;
}

void PlotClosing(PlotState& st, int result, char* text, size_t size) {
  if (!result || st.abortFlag || st.out.failed) {
    snprintf(text, size, "Aborted ... Plot may be Incomplete");
    return;
  }
  long s = (long)((double)time(nullptr) - st.startSeconds);
  if (s < 0) s = 0;
  char clipped[96] = "";
  if (st.out.clipped)
    snprintf(clipped, sizeof clipped, "Plot Units Clipped:  %lld\n\n", (long long)st.out.clipped);
  snprintf(text, size, "File or Port:  %s\n\nTotal Time:  %ldhr %ldmin %ldsec\n\n%sPlot Finished ...", st.out.name,
           s / 3600, (s % 3600) / 60, s % 60, clipped);
}
