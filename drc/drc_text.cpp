#include "drc_text.h"

#include <cstdio>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"

namespace {

const char* DistMark() { return DrcX.geo.notWhole ? "?" : ""; }
const char* ResMark() {
  if (DrcX.geo.resChanged) return "*";
  return DrcSet.v[K_RES][0] ? "?" : "";
}

}  // namespace

void DrcZoomText(char* out, size_t size, int32_t l, int32_t b, int32_t r, int32_t t, double scale) {
  if (!(scale > 0)) scale = 1;
  std::snprintf(out, size, "zoom %.*g,%.*g %.*g,%.*g", 9, l / scale, 9, b / scale, 9, r / scale, 9, t / scale);
}

void DrcTimeText(char* out, size_t size, int seconds) {
  if (seconds < 0) seconds = 0;
  std::snprintf(out, size, "DRC Time: %d hr %d min %d sec", seconds / 3600, seconds / 60 % 60, seconds % 60);
}

void DrcMapsText(char* out, size_t size) {
  std::snprintf(out, size, "Maps: %d Check  %d Total  %d Files", DrcX.mapsCheck, DrcX.mapsRun, DrcX.pcxFiles);
}

void DrcDisplayLine(int id, char* out, size_t size, double msPerArea) {
  const DrcGeom& g = DrcX.geo;
  const double sc = DrcG.scale > 0 ? DrcG.scale : 1;
  const char* u = DrcG.physunit;
  int64_t left = g.totalAreas - DrcAreaCount(g, DrcX.areaB, DrcX.areaL);
  switch (id) {
    case 501:
      std::snprintf(out, size, "Cell: %s    Check %d: %s", DrcSet.v[K_CLN], DrcChk.counter, DrcChk.title);
      break;
    case 502:
      std::snprintf(out, size, "%lld of %lld Areas Completed    Dist= %.*g%s%s   Res= %.*g%s%s   Rescale= %.*g   Map= %dx%d%s",
                    (long long)left, (long long)g.totalAreas, 6, g.distance, u, DistMark(), 6, g.resolution, u,
                    ResMark(), 6, DrcNum(K_RSCL), DrcM.mapw, DrcM.maph, DrcRunS.mapDoubled ? "*" : "");
      break;
    case 503:
      std::snprintf(out, size,
                    "Region: L=%.*g  B=%.*g  R=%.*g  T=%.*g%s    Area: L=%.*g  B=%.*g  R=%.*g  T=%.*g%s", 5,
                    g.winL / sc, 5, g.winB / sc, 5, g.winR / sc, 5, g.winT / sc, u, 5, DrcX.areaL / sc, 5,
                    DrcX.areaB / sc, 5, DrcX.areaR / sc, 5, DrcX.areaT / sc, u);
      break;
    case 505: {
      int64_t remaining = DrcAreaCount(g, DrcX.areaB, DrcX.areaL);
      int secs = (int)(remaining * msPerArea / 1000);
      std::snprintf(out, size, "Est. Check Time: %d hr %d min %d sec ", secs / 3600, secs / 60 % 60, secs % 60);
      break;
    }
    default:
      if (size) out[0] = 0;
  }
}

void DrcMapperLine(int id, char* out, size_t size) {
  const DrcGeom& g = DrcX.geo;
  const double sc = DrcG.scale > 0 ? DrcG.scale : 1;
  const char* u = DrcG.physunit;
  switch (id) {
    case 501:
      std::snprintf(out, size, "Cell: %s   Check %d: %s", DrcSet.v[K_CLN], DrcChk.counter, DrcChk.title);
      break;
    case 502:
      std::snprintf(out, size, "Area: L=%.*g  B=%.*g  R=%.*g  T=%.*g %s", 5, DrcX.areaL / sc, 5, DrcX.areaB / sc, 5,
                    DrcX.areaR / sc, 5, DrcX.areaT / sc, u);
      break;
    case 503:
      std::snprintf(out, size, "Dist= %.*g%s%s  Res= %.*g%s%s  Rescale= %.*g  Map= %dx%d", 5, g.distance, u,
                    DistMark(), 5, g.resolution, u, ResMark(), 5, DrcNum(K_RSCL), DrcM.mapw, DrcM.maph);
      break;
    default:
      if (size) out[0] = 0;
  }
}

int DrcChecksList(DrcRuleSrc* src, void (*add)(void* ctx, const char* line), void* ctx) {
  DrcCheckReset();
  int n = 0;
  for (;;) {
    int r = DrcCheckRead(src);
    if (r == -1 && !DrcChk.anything) break;
    if (DrcChk.reachedEof) break;
    char line[160];
    std::snprintf(line, sizeof line, "%d %s", DrcChk.counter, DrcChk.title);
    add(ctx, line);
    ++n;
    if (r == -1) break;
  }
  return n;
}
