#include "drc_text.h"

#include <cstdio>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"

namespace {

const char* DistMark(const DrcState& st) { return st.x.geo.notWhole ? "?" : ""; }
const char* ResMark(const DrcState& st) {
  if (st.x.geo.resChanged) return "*";
  return st.set.v[K_RES][0] ? "?" : "";
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

void DrcMapsText(const DrcState& st, char* out, size_t size) {
  std::snprintf(out, size, "Maps: %d Check  %d Total  %d Files", st.x.mapsCheck, st.x.mapsRun, st.x.pcxFiles);
}

void DrcDisplayLine(const DrcState& st, int id, char* out, size_t size, double msPerArea) {
  const DrcGeom& g = st.x.geo;
  const double sc = st.g.scale > 0 ? st.g.scale : 1;
  const char* u = st.g.physunit;
  int64_t left = g.totalAreas - DrcAreaCount(g, st.x.areaB, st.x.areaL);
  switch (id) {
    case 501:
      std::snprintf(out, size, "Cell: %s    Check %d: %s", st.set.v[K_CLN], st.chk.counter, st.chk.title);
      break;
    case 502:
      std::snprintf(out, size, "%lld of %lld Areas Completed    Dist= %.*g%s%s   Res= %.*g%s%s   Rescale= %.*g   Map= %dx%d%s",
                    (long long)left, (long long)g.totalAreas, 6, g.distance, u, DistMark(st), 6, g.resolution, u,
                    ResMark(st), 6, DrcNum(st, K_RSCL), st.maps.mapw, st.maps.maph, st.run.mapDoubled ? "*" : "");
      break;
    case 503:
      std::snprintf(out, size,
                    "Region: L=%.*g  B=%.*g  R=%.*g  T=%.*g%s    Area: L=%.*g  B=%.*g  R=%.*g  T=%.*g%s", 5,
                    g.winL / sc, 5, g.winB / sc, 5, g.winR / sc, 5, g.winT / sc, u, 5, st.x.areaL / sc, 5,
                    st.x.areaB / sc, 5, st.x.areaR / sc, 5, st.x.areaT / sc, u);
      break;
    case 505: {
      int64_t remaining = DrcAreaCount(g, st.x.areaB, st.x.areaL);
      int secs = (int)(remaining * msPerArea / 1000);
      std::snprintf(out, size, "Est. Check Time: %d hr %d min %d sec ", secs / 3600, secs / 60 % 60, secs % 60);
      break;
    }
    default:
      if (size) out[0] = 0;
  }
}

void DrcMapperLine(const DrcState& st, int id, char* out, size_t size) {
  const DrcGeom& g = st.x.geo;
  const double sc = st.g.scale > 0 ? st.g.scale : 1;
  const char* u = st.g.physunit;
  switch (id) {
    case 501:
      std::snprintf(out, size, "Cell: %s   Check %d: %s", st.set.v[K_CLN], st.chk.counter, st.chk.title);
      break;
    case 502:
      std::snprintf(out, size, "Area: L=%.*g  B=%.*g  R=%.*g  T=%.*g %s", 5, st.x.areaL / sc, 5, st.x.areaB / sc, 5,
                    st.x.areaR / sc, 5, st.x.areaT / sc, u);
      break;
    case 503:
      std::snprintf(out, size, "Dist= %.*g%s%s  Res= %.*g%s%s  Rescale= %.*g  Map= %dx%d", 5, g.distance, u,
                    DistMark(st), 5, g.resolution, u, ResMark(st), 5, DrcNum(st, K_RSCL), st.maps.mapw, st.maps.maph);
      break;
    default:
      if (size) out[0] = 0;
  }
}

int DrcChecksList(DrcState& st, DrcRuleSrc* src, void (*add)(void* ctx, const char* line), void* ctx) {
  DrcCheckReset(st.chk);
  int n = 0;
  for (;;) {
    int r = DrcCheckRead(st.chk, src);
    if (r == -1 && !st.chk.anything) break;
    if (st.chk.reachedEof) break;
    char line[160];
    std::snprintf(line, sizeof line, "%d %s", st.chk.counter, st.chk.title);
    add(ctx, line);
    ++n;
    if (r == -1) break;
  }
  return n;
}
