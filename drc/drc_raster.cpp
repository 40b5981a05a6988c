#include "drc_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "drc_map.h"
#include "drc_state.h"
#include "host.h"
#include "namecheck.h"
#include "orient.h"


namespace {

bool Stopped(DrcState& st) { return st.g.abortFlag || st.g.stopCode; }

void PixelOf(DrcState& st, int64_t x, int64_t y, int64_t* px, int64_t* py) {
  *px = CwNearest((double)(x - st.ras.areaL) / st.ras.res);
  *py = CwNearest((double)(y - st.ras.areaB) / st.ras.res);
}

void AppendPixel(DrcState& st, int64_t x, int64_t y) {
  int64_t px, py;
  PixelOf(st, x, y, &px, &py);
  int n = st.ras.npix;
  if (n > 0 && st.ras.pixX[n - 1] == px && st.ras.pixY[n - 1] == py) return;
  if (n >= DRC_POINTS) return;  // cannot happen: the lists hold the widest path
  st.ras.pixX[n] = px;
  st.ras.pixY[n] = py;
  st.ras.npix = n + 1;
}

void AppendPoint(DrcState& st, int64_t x, int64_t y) {
  if (st.ras.npt >= DRC_POINTS) return;
  st.ras.ptX[st.ras.npt] = x;
  st.ras.ptY[st.ras.npt] = y;
  st.ras.npt++;
}

void PutPoint(void* ctx, int64_t x, int64_t y) { AppendPoint(*static_cast<DrcState*>(ctx), x, y); }

void PixelList(DrcState& st) {
  st.ras.npix = 0;
  for (int i = 0; i < st.ras.npt; ++i) AppendPixel(st, st.ras.ptX[i], st.ras.ptY[i]);
}

void PathRing(DrcState& st) {
  st.ras.npix = 0;
  int n = st.ras.npt;
  if (n < 4) return;
  AppendPixel(st, st.ras.ptX[0], st.ras.ptY[0]);
  AppendPixel(st, st.ras.ptX[1], st.ras.ptY[1]);
  for (int i = 3; i < n; i += 2) AppendPixel(st, st.ras.ptX[i], st.ras.ptY[i]);
  int lastEven = (n - 1) % 2 == 0 ? n - 1 : n - 2;
  for (int i = lastEven; i >= 0; i -= 2) AppendPixel(st, st.ras.ptX[i], st.ras.ptY[i]);
}

inline int Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

void PolyFill(DrcState& st, bool closure) {
  DrcRaster& r = st.ras;
  if (closure && (r.npt < 1 || r.ptX[0] != r.ptX[r.npt - 1] || r.ptY[0] != r.ptY[r.npt - 1])) return;
  if (r.npix < 1) return;
  int n = r.npix;
  if (r.pixX[n - 1] != r.pixX[0] || r.pixY[n - 1] != r.pixY[0]) {
    r.pixX[n] = r.pixX[0];
    r.pixY[n] = r.pixY[0];
    ++n;
  }
  const int64_t* X = r.pixX;
  const int64_t* Y = r.pixY;
  int64_t ymin = Y[0], ymax = Y[0], xmin = X[0], xmax = X[0];
  for (int i = 1; i < n; ++i) {
    ymin = std::min(ymin, Y[i]);
    ymax = std::max(ymax, Y[i]);
    xmin = std::min(xmin, X[i]);
    xmax = std::max(xmax, X[i]);
  }
  const int mapw = st.maps.mapw, maph = st.maps.maph;
  // Row -1 is walked without drawing so that a top edge lying on row 0 is
  // left out as everywhere else.
  int64_t y0 = std::max<int64_t>(ymin, -1), y1 = std::min<int64_t>(ymax, maph - 1);
  if (y0 > y1 || xmax < 0 || xmin >= mapw) return;
  int w0 = (int)(std::max<int64_t>(xmin, 0) >> 6), w1 = (int)(std::min<int64_t>(xmax, mapw - 1) >> 6);
  uint64_t* span = MapRow(st.maps, st.maps.W, maph);
  uint64_t* edge = MapRow(st.maps, st.maps.W, maph + 1);
  uint64_t* flatRow = MapRow(st.maps, st.maps.W, maph + 2);
  uint64_t* drawn = st.maps.tmp[0];
  for (int j = w0; j <= w1; ++j) span[j] = 0;

  // Direction of the last edge before edge k whose ends differ in y.
  int edges = n - 1;
  int d = 0;
  for (int k = edges - 1; k >= 0 && d == 0; --k) d = Sign(Y[k + 1] - Y[k]);
  for (int k = 0; k < edges; ++k) {
    r.lastDir[k] = (int8_t)d;
    int e = Sign(Y[k + 1] - Y[k]);
    if (e) d = e;
  }

  for (int64_t row = y0; row <= y1; ++row) {
    uint64_t* wr = row >= 0 ? MapRow(st.maps, st.maps.W, (int)row) : nullptr;
    uint64_t* rr = (row >= 0 && r.overlap) ? MapRow(st.maps, st.maps.R, (int)row) : nullptr;
    int nf = 0;
    for (int k = 0; k < edges && nf + 2 <= DRC_CROSS; ++k)
      if (Y[k] == row && Y[k + 1] == row) {
        r.flat[nf++] = X[k];
        r.flat[nf++] = X[k + 1];
      }
    for (int j = w0; j <= w1; ++j) flatRow[j] = 0;
    for (int j = w0; j <= w1; ++j) drawn[j] = 0;
    for (int f = 0; f < nf; f += 2) {
      for (int j = w0; j <= w1; ++j) edge[j] = 0;
      SpanSet(st, edge, r.flat[f], r.flat[f + 1]);
      for (int j = w0; j <= w1; ++j) {
        uint64_t t = edge[j] & ~span[j];
        drawn[j] |= t;
        if (wr) {
          if (rr) rr[j] |= t & wr[j];
          wr[j] |= t;
        }
        flatRow[j] |= edge[j];
        span[j] &= ~edge[j];
      }
    }
    for (int j = w0; j <= w1; ++j) span[j] = 0;
    int nc = 0;
    for (int k = 0; k < edges && nc < DRC_CROSS; ++k) {
      int64_t ya = Y[k], yb = Y[k + 1];
      int e = Sign(yb - ya);
      if (ya == row) {
        if (e != 0 && r.lastDir[k] == e) r.cross[nc++] = X[k];
      } else if ((row > ya && row < yb) || (row < ya && row > yb)) {
        if (X[k + 1] == X[k]) r.cross[nc++] = X[k];
        else
          r.cross[nc++] = CwNearest((double)X[k] + (double)(X[k + 1] - X[k]) * (double)(row - ya) / (double)(yb - ya));
      }
    }
    std::sort(r.cross, r.cross + nc);
    for (int c = 0; c + 1 < nc; c += 2) SpanSet(st, span, r.cross[c], r.cross[c + 1]);
    if (wr)
      for (int j = w0; j <= w1; ++j) {
        uint64_t t = span[j] & ~flatRow[j];
        if (rr) rr[j] |= t & wr[j];
        wr[j] |= t;
      }
    // The next row's flat edges are top edges where this row was drawn, its
    // bottom edges included: a part one row high keeps that one row.
    for (int j = w0; j <= w1; ++j) span[j] |= drawn[j];
  }
  r.objects++;
}

void PathFetch(DrcState& st, const DrcPathRec& p, int depth, int32_t w) {
  DrcRaster& r = st.ras;
  r.npt = 0;
  r.join = CwJoin{};
  int nv = std::min<int32_t>(p.nv, DRC_MAXV);
  int64_t m = w < 0 ? -(int64_t)w : w;
  int64_t a = m / 2;
  bool first = true;
  for (int i = 0; i + 1 < nv; ++i) {
    int64_t x0 = p.xy[2 * i], y0 = p.xy[2 * i + 1];
    if (m > 0) {
      int64_t x1 = p.xy[2 * i + 2], y1 = p.xy[2 * i + 3];
      bool next = i + 2 < nv;
      int64_t x2 = next ? p.xy[2 * i + 4] : 0, y2 = next ? p.xy[2 * i + 5] : 0;
      CwPoint(st.walk, depth, &x0, &y0);
      CwPoint(st.walk, depth, &x1, &y1);
      if (next) CwPoint(st.walk, depth, &x2, &y2);
      CwPathOutline(&r.join, a, first, next, w < 0, x0, y0, x1, y1, x2, y2, PutPoint, &st);
      first = false;
    } else {
      CwPoint(st.walk, depth, &x0, &y0);
      AppendPoint(st, x0, y0);
    }
  }
  if (m == 0 && nv > 0) {
    int64_t x = p.xy[2 * (nv - 1)], y = p.xy[2 * (nv - 1) + 1];
    CwPoint(st.walk, depth, &x, &y);
    AppendPoint(st, x, y);
  }
}

void ReadError(DrcState& st, const char* cell, int code) {
  HostMsgBox(cell, "TLC Read Error ...", HOST_CAP_OWN, HOST_OK);
  HostPause(20);
  st.g.stopCode = code;
}

// Cells are files "<name>.tlc" of the drawing folder: a name that is no
// usable cell name (one leading out of the folder, a device name, ...) is
// never read.
bool NameReadable(DrcState& st, const char* cell) {
  if (CellNameValid(cell)) return true;
  CellNameCheck(cell, 0);
  ReadError(st, cell, DRC_STOP_C_READ);
  return false;
}

int WalkStopped(void* user) { return Stopped(*static_cast<DrcState*>(user)); }

void WalkReadError(void* user, const char* cell, int code) {
  ReadError(*static_cast<DrcState*>(user), cell, code == CW_STOP_C_READ ? DRC_STOP_C_READ : DRC_STOP_BP_READ);
}

int WalkNameReadable(void* user, const char* cell) { return NameReadable(*static_cast<DrcState*>(user), cell); }

void WalkBox(void* user, const CwBoxRec& b, int depth) { MapBox(*static_cast<DrcState*>(user), b, depth); }

void WalkPath(void* user, const CwPathRec& p, int depth) { MapPath(*static_cast<DrcState*>(user), p, depth); }

}  // namespace

void DrcRasterReset(DrcState& st) {
  st.walk = CellWalk();
  std::memset(&st.ras, 0, sizeof st.ras);
  st.ras.res = 1;
}

void DrcRasterForget(DrcState& st) { CwForget(st.walk); }

int64_t DrcNearest(double v) { return CwNearest(v); }

void SpanSet(const DrcState& st, uint64_t* row, int64_t x0, int64_t x1) {
  if (x0 > x1) std::swap(x0, x1);
  if (x0 < 0) x0 = 0;
  if (x1 > st.maps.mapw) x1 = st.maps.mapw;
  if (x0 >= x1) return;
  int64_t last = x1 - 1;
  int64_t j0 = x0 >> 6, j1 = last >> 6;
  uint64_t m0 = ~0ull >> (x0 & 63);
  uint64_t m1 = ~0ull << (63 - (last & 63));
  if (j0 == j1) {
    row[j0] |= m0 & m1;
    return;
  }
  row[j0] |= m0;
  for (int64_t j = j0 + 1; j < j1; ++j) row[j] = ~0ull;
  row[j1] |= m1;
}

void MapBox(DrcState& st, const DrcBoxRec& bx, int depth) {
  DrcRaster& r = st.ras;
  if ((bx.layer & 0x1ff) != r.layer || st.g.abortFlag) return;
  int64_t l = bx.l, b = bx.b, rr = bx.r, t = bx.t;
  CwCorners(st.walk, depth, &l, &b, &rr, &t);
  if (rr < r.areaL || l > r.areaR || t < r.areaB || b > r.areaT) return;
  {
    // What the polygon fill makes of a box, without walking its edges: rows
    // pb .. pt - 1, its one row when flat.
    int64_t pl, pb, pr, pt;
    PixelOf(st, l, b, &pl, &pb);
    PixelOf(st, rr, t, &pr, &pt);
    if (pl == pr) return;
    int64_t y0 = pb, y1 = pt - 1;
    if (pt == pb) y1 = pb;
    y0 = std::max<int64_t>(y0, 0);
    y1 = std::min<int64_t>(y1, st.maps.maph - 1);
    if (y0 > y1) return;
    int64_t c0 = std::max<int64_t>(pl, 0), c1 = std::min<int64_t>(pr, st.maps.mapw);
    if (c0 >= c1) return;
    int w0 = (int)(c0 >> 6), w1 = (int)((c1 - 1) >> 6);
    uint64_t* tmp = MapRow(st.maps, st.maps.W, st.maps.maph);
    for (int j = w0; j <= w1; ++j) tmp[j] = 0;
    SpanSet(st, tmp, c0, c1);
    for (int64_t y = y0; y <= y1; ++y) {
      uint64_t* wr = MapRow(st.maps, st.maps.W, (int)y);
      if (r.overlap) {
        uint64_t* rw = MapRow(st.maps, st.maps.R, (int)y);
        for (int j = w0; j <= w1; ++j) rw[j] |= tmp[j] & wr[j];
      }
      for (int j = w0; j <= w1; ++j) wr[j] |= tmp[j];
    }
    r.objects++;
  }
}

void MapPath(DrcState& st, const DrcPathRec& p, int depth) {
  DrcRaster& r = st.ras;
  if ((int)(p.word0 & 0x1ff) != r.layer || st.g.abortFlag) return;
  if (p.word0 & 0x80000000u) return;
  if (p.nv < 2 || !p.xy) return;
  int nv = std::min<int32_t>(p.nv, DRC_MAXV);
  int64_t l = p.xy[0], rr = p.xy[0], b = p.xy[1], t = p.xy[1];
  for (int i = 1; i < nv; ++i) {
    l = std::min<int64_t>(l, p.xy[2 * i]);
    rr = std::max<int64_t>(rr, p.xy[2 * i]);
    b = std::min<int64_t>(b, p.xy[2 * i + 1]);
    t = std::max<int64_t>(t, p.xy[2 * i + 1]);
  }
  CwCorners(st.walk, depth, &l, &b, &rr, &t);
  int64_t w = p.width, m = w < 0 ? -w : w;
  if (rr + m < r.areaL || l - m > r.areaR || t + m < r.areaB || b - m > r.areaT) return;
  PathFetch(st, p, depth, p.width);
  if (r.sizeMode && !(w == 0 && r.npt == 5)) return;
  if (m > 0) PathRing(st);
  else PixelList(st);
  PolyFill(st, m == 0);
}

void MapMainCell(DrcState& st) {
  DrcRaster& r = st.ras;
  MapClear(st, st.maps.W);
  if (!r.src) return;
  CellWalk& w = st.walk;
  w.src = r.src;
  w.mainCell = r.mainCell;
  w.areaL = r.areaL;
  w.areaB = r.areaB;
  w.areaR = r.areaR;
  w.areaT = r.areaT;
  w.ranksFall = 0;
  w.user = &st;
  w.box = WalkBox;
  w.path = WalkPath;
  w.stopped = WalkStopped;
  w.readError = WalkReadError;
  w.nameReadable = WalkNameReadable;
  CwWalk(w);
}

void MapSized(DrcState& st, int64_t g) {
  MapClear(st, st.maps.R);
  MapClear(st, st.maps.W);
  st.ras.sizeMode = 1;
  MapMainCell(st);
  st.ras.sizeMode = 0;
  MapEdgeClear(st, st.maps.W);
  MapSizeMark(st, st.maps.W, g);
  MapCopy(st, st.maps.S, st.maps.W);
  MapEdgeClear(st, st.maps.R);
}
