#include "drc_geom.h"

#include <cmath>
#include <cstdlib>

double DrcRound(double v) { return v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5); }

int64_t DrcDivisorSearch(int64_t du, int64_t limit) {
  if (limit < 1) limit = 1;
  if (du > 0 && limit > du) limit = du;
  for (int64_t i = limit; i >= 1; --i) {
    int64_t q = (int64_t)DrcRound((double)du / (double)i);
    if (q * i == du && q % 2 == 0) return i;
  }
  return 1;
}

namespace {

bool Filled(const char* t) {
  if (!t) return false;
  while (*t == ' ' || *t == '\t') ++t;
  return *t != 0;
}

}  // namespace

int DrcPixelGeometry(const DrcGeomInput& in, DrcGeom* g) {
  *g = DrcGeom();
  const double sc = in.scale;
  if (!(sc > 0)) return 0;
  g->winL = (int64_t)std::trunc(in.winLeft * sc);
  g->winB = (int64_t)std::trunc(in.winBottom * sc);
  g->winR = (int64_t)std::trunc(in.winRight * sc);
  g->winT = (int64_t)std::trunc(in.winTop * sc);

  double DIST = in.DISTANCE, RES = in.RESOLUTION;
  double distance = DrcRound(DIST * in.rescale * sc) / sc;
  double resolution = DrcRound(RES * in.rescale * sc) / sc;
  g->resGiven = in.resolutionGiven ? 1 : 0;
  if (Filled(in.res)) {
    RES = std::fabs(std::atof(in.res));
    resolution = DrcRound(RES * sc) / sc;
    g->resGiven = 1;
  }
  if (Filled(in.dis)) {
    DIST = std::fabs(std::atof(in.dis));
    distance = DrcRound(DIST * sc) / sc;
  }
  resolution = std::fmax(resolution, 1.0 / sc);
  double pix, du;
  if (!(distance > 0)) {
    pix = DrcRound(resolution * sc);
    du = DrcRound(distance * sc);
  } else if (g->resGiven) {
    resolution = std::fmin(resolution, distance * 0.5);
    resolution = std::fmax(resolution, 1.0 / sc);
    pix = DrcRound(resolution * sc);
    du = DrcRound(distance * sc);
    double p = (double)DrcDivisorSearch((int64_t)du, (int64_t)std::trunc(resolution * sc));
    if (p != pix) g->resChanged = 1;
    pix = p;
  } else {
    double lim = std::fmin(in.arp, distance * 0.1);
    lim = std::fmax(lim, 1.0 / sc);
    du = DrcRound(distance * sc);
    pix = (double)DrcDivisorSearch((int64_t)du, (int64_t)std::trunc(lim * sc));
    g->resAuto = 1;
  }
  if (pix < 1) pix = 1;
  resolution = pix / sc;
  if (DrcRound(distance / resolution) != du / pix) g->notWhole = 1;
  g->distance = distance;
  g->resolution = resolution;
  g->distUnits = du;
  g->pixUnits = pix;
  g->pixelSize = std::fmax(1.0, resolution * sc);
  g->N = (int)DrcRound((distance - resolution) / resolution);
  if (in.GUARDBAND == 0) g->guard = (int64_t)DrcRound(4 * pix + du);
  else g->guard = (int64_t)DrcRound(in.GUARDBAND * sc + 4 * pix);
  g->stepX = (int64_t)DrcRound(in.mapw * g->pixelSize - 2.0 * g->guard);
  g->stepY = (int64_t)DrcRound(in.maph * g->pixelSize - 2.0 * g->guard);

  // First area. A restart point is read as a number and must lie on the
  // window (a stale one from another window would skip or invent areas).
  bool l = Filled(in.ckl), b = Filled(in.ckb);
  int64_t rl = l ? (int64_t)DrcRound(std::atof(in.ckl) * sc) : 0;
  int64_t rb = b ? (int64_t)DrcRound(std::atof(in.ckb) * sc) : 0;
  if ((l && (rl < g->winL - g->guard || rl > g->winR)) || (b && (rb < g->winB - g->guard || rb > g->winT))) {
    g->restartIgnored = 1;
    l = b = false;
  }
  if (!l && !b) {
    g->areaL = g->winL - g->guard;
    g->areaB = g->winB - g->guard;
  } else {
    g->areaL = l ? rl : g->winL;
    g->areaB = b ? rb : g->winB;
  }
  g->areaR = g->areaL + 2 * g->guard + g->stepX;
  g->areaT = g->areaB + 2 * g->guard + g->stepY;
  g->totalAreas = DrcAreaCount(*g, g->winB - g->guard, g->winL - g->guard);
  g->skippedAreas = g->totalAreas - DrcAreaCount(*g, g->areaB, g->areaL);
  return 1;
}

int64_t DrcAreaCount(const DrcGeom& g, int64_t bottom, int64_t left) {
  if (bottom > g.winT || g.stepX <= 0 || g.stepY <= 0) return 0;
  int64_t rowStart = g.winL - g.guard;
  int64_t perRow = g.winR >= rowStart ? (g.winR - rowStart) / g.stepX + 1 : 0;
  int64_t first = g.winR >= left ? (g.winR - left) / g.stepX + 1 : 0;
  int64_t rows = (g.winT - bottom) / g.stepY;  // rows after the first
  const int64_t cap = DRC_AREA_CAP;
  if (perRow > 0 && rows > cap / perRow) return cap;
  int64_t n = first + rows * perRow;
  return n > cap ? cap : n;
}
