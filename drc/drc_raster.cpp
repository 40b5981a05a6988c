#include "drc_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "drc_map.h"
#include "drc_state.h"
#include "host.h"
#include "orient.h"

DrcRaster DrcRas;

namespace {

const double kPi = 3.14159265358979323846;

// Grid index of the loaded cell's boxes and paths by their bounding boxes in
// cell coordinates, so that an area visits only the objects near it. The
// maps do not depend on the order in which objects are filled.
struct ObjIndex {
  int cell = 0;
  int64_t x0 = 0, y0 = 0, cw = 1, ch = 1;
  int gx = 0, gy = 0;
  int32_t nb = 0, np = 0;
  std::vector<int32_t> start, items;
  std::vector<uint32_t> stamp;
  uint32_t epoch = 0;
};
ObjIndex Index;

bool Stopped() { return DrcG.abortFlag || DrcG.stopCode; }

void Orient(int code, int64_t* x, int64_t* y) {
  if ((code & 7) == 0) return;
  int64_t ox, oy;
  OrientPoint(code, *x, *y, &ox, &oy);
  *x = ox;
  *y = oy;
}

void PixelOf(int64_t x, int64_t y, int64_t* px, int64_t* py) {
  *px = DrcNearest((double)(x - DrcRas.areaL) / DrcRas.res);
  *py = DrcNearest((double)(y - DrcRas.areaB) / DrcRas.res);
}

void AppendPixel(int64_t x, int64_t y) {
  int64_t px, py;
  PixelOf(x, y, &px, &py);
  int n = DrcRas.npix;
  if (n > 0 && DrcRas.pixX[n - 1] == px && DrcRas.pixY[n - 1] == py) return;
  if (n >= DRC_POINTS) return;  // cannot happen: the lists hold the widest path
  DrcRas.pixX[n] = px;
  DrcRas.pixY[n] = py;
  DrcRas.npix = n + 1;
}

void AppendPoint(int64_t x, int64_t y) {
  if (DrcRas.npt >= DRC_POINTS) return;
  DrcRas.ptX[DrcRas.npt] = x;
  DrcRas.ptY[DrcRas.npt] = y;
  DrcRas.npt++;
}

void PixelList() {
  DrcRas.npix = 0;
  for (int i = 0; i < DrcRas.npt; ++i) AppendPixel(DrcRas.ptX[i], DrcRas.ptY[i]);
}

void PathRing() {
  DrcRas.npix = 0;
  int n = DrcRas.npt;
  if (n < 4) return;
  AppendPixel(DrcRas.ptX[0], DrcRas.ptY[0]);
  AppendPixel(DrcRas.ptX[1], DrcRas.ptY[1]);
  for (int i = 3; i < n; i += 2) AppendPixel(DrcRas.ptX[i], DrcRas.ptY[i]);
  int lastEven = (n - 1) % 2 == 0 ? n - 1 : n - 2;
  for (int i = lastEven; i >= 0; i -= 2) AppendPixel(DrcRas.ptX[i], DrcRas.ptY[i]);
}

inline int Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

void PolyFill(bool closure) {
  DrcRaster& r = DrcRas;
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
  const int mapw = DrcM.mapw, maph = DrcM.maph;
  // Row -1 is walked without drawing so that a top edge lying on row 0 is
  // left out as everywhere else.
  int64_t y0 = std::max<int64_t>(ymin, -1), y1 = std::min<int64_t>(ymax, maph - 1);
  if (y0 > y1 || xmax < 0 || xmin >= mapw) return;
  int w0 = (int)(std::max<int64_t>(xmin, 0) >> 6), w1 = (int)(std::min<int64_t>(xmax, mapw - 1) >> 6);
  uint64_t* span = MapRow(DrcM.W, maph);
  uint64_t* edge = MapRow(DrcM.W, maph + 1);
  uint64_t* flatRow = MapRow(DrcM.W, maph + 2);
  uint64_t* drawn = DrcM.tmp[0];
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
    uint64_t* wr = row >= 0 ? MapRow(DrcM.W, (int)row) : nullptr;
    uint64_t* rr = (row >= 0 && r.overlap) ? MapRow(DrcM.R, (int)row) : nullptr;
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
      SpanSet(edge, r.flat[f], r.flat[f + 1]);
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
          r.cross[nc++] = DrcNearest((double)X[k] + (double)(X[k + 1] - X[k]) * (double)(row - ya) / (double)(yb - ya));
      }
    }
    std::sort(r.cross, r.cross + nc);
    for (int c = 0; c + 1 < nc; c += 2) SpanSet(span, r.cross[c], r.cross[c + 1]);
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

void CornersXform(int depth, int64_t* l, int64_t* b, int64_t* rr, int64_t* t) {
  for (int n = depth; n >= 0; --n) {
    int o = DrcRas.stack[n].orient;
    if (o) {
      Orient(o, l, b);
      Orient(o, rr, t);
    }
  }
  if (*l > *rr) std::swap(*l, *rr);
  if (*b > *t) std::swap(*b, *t);
  *l += DrcRas.offX;
  *rr += DrcRas.offX;
  *b += DrcRas.offY;
  *t += DrcRas.offY;
}

void PlaceXform(int depth, int64_t* x, int64_t* y) {
  for (int n = depth; n >= 0; --n) Orient(DrcRas.stack[n].orient, x, y);
  *x += DrcRas.offX;
  *y += DrcRas.offY;
}

void StorePoint(double x, double y) { AppendPoint(DrcNearest(x), DrcNearest(y)); }

// Outline points of one segment P0-P1 (P2 the next vertex when present).
void PathOutline(int64_t a, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0, int64_t x1,
                 int64_t y1, int64_t x2, int64_t y2) {
  DrcRaster& r = DrcRas;
  double t = (x1 == x0) ? (y1 > y0 ? kPi / 2 : -kPi / 2) : std::atan2((double)(y1 - y0), (double)(x1 - x0));
  double u = a * std::sin(t), v = a * std::cos(t);
  if (first) {
    int64_t rx = DrcNearest(x0 + u), ry = DrcNearest(y0 - v);
    int64_t lx = DrcNearest(x0 - u), ly = DrcNearest(y0 + v);
    if (extended) {
      AppendPoint(DrcNearest(rx - v), DrcNearest(ry - u));
      AppendPoint(DrcNearest(lx - v), DrcNearest(ly - u));
    } else {
      AppendPoint(rx, ry);
      AppendPoint(lx, ly);
    }
  } else if (r.joinMark) {
    double g = r.joinSign;
    StorePoint(x0 + u - g * v, y0 - v - g * u);
    StorePoint(x0 - u + g * v, y0 + v + g * u);
    r.joinMark = 0;
  }
  if (!hasNext) {
    int64_t rx = DrcNearest(x1 + u), ry = DrcNearest(y1 - v);
    int64_t lx = DrcNearest(x1 - u), ly = DrcNearest(y1 + v);
    if (extended) {
      AppendPoint(DrcNearest(rx + v), DrcNearest(ry + u));
      AppendPoint(DrcNearest(lx + v), DrcNearest(ly + u));
    } else {
      AppendPoint(rx, ry);
      AppendPoint(lx, ly);
    }
    return;
  }
  double t2 = (x2 == x1) ? (y2 > y1 ? kPi / 2 : -kPi / 2) : std::atan2((double)(y2 - y1), (double)(x2 - x1));
  double h = (t2 - t) / 2, D, g;
  if (std::cos(h) == 0) {
    g = 0;
    D = 2.0 * a;
  } else {
    D = a * std::sin(h) / std::cos(h);
    g = D > 0 ? 1 : (D < 0 ? -1 : 0);
  }
  if (std::fabs(D) > a) {
    D = a * g;
    r.joinMark = 1;
    r.joinSign = g;
  }
  StorePoint(x1 + u + D * std::cos(t), y1 - v + D * std::sin(t));
  StorePoint(x1 - u - D * std::cos(t), y1 + v - D * std::sin(t));
}

void PathFetch(const DrcPathRec& p, int depth, int32_t w) {
  DrcRaster& r = DrcRas;
  r.npt = 0;
  r.joinMark = 0;
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
      PlaceXform(depth, &x0, &y0);
      PlaceXform(depth, &x1, &y1);
      if (next) PlaceXform(depth, &x2, &y2);
      PathOutline(a, first, next, w < 0, x0, y0, x1, y1, x2, y2);
      first = false;
    } else {
      PlaceXform(depth, &x0, &y0);
      AppendPoint(x0, y0);
    }
  }
  if (m == 0 && nv > 0) {
    int64_t x = p.xy[2 * (nv - 1)], y = p.xy[2 * (nv - 1) + 1];
    PlaceXform(depth, &x, &y);
    AppendPoint(x, y);
  }
}

void SetOffset(int depth) {
  DrcRas.offX = DrcRas.offY = 0;
  for (int n = 0; n <= depth; ++n) {
    DrcRas.offX += DrcRas.stack[n].x;
    DrcRas.offY += DrcRas.stack[n].y;
  }
}

void ReadError(const char* cell, int code) {
  HostMsgBox(cell, "TLC Read Error ...", HOST_CAP_OWN, HOST_OK);
  HostPause(20);
  DrcG.stopCode = code;
}

void IndexBuild(int cell) {
  ObjIndex& x = Index;
  const DrcCellSource* s = DrcRas.src;
  x.cell = cell;
  x.nb = s->boxCount(s->ctx);
  x.np = s->pathCount(s->ctx);
  int32_t n = x.nb + x.np;
  // Bounds kept in 32 bits (clamped) to keep the index small.
  std::vector<int32_t> bb((size_t)n * 4);
  int64_t o[4];
  int64_t l = INT64_MAX, b = INT64_MAX, r = INT64_MIN, t = INT64_MIN;
  DrcBoxRec bx;
  DrcPathRec p;
  for (int32_t i = 0; i < n; ++i) {
    if (i < x.nb) {
      s->box(s->ctx, i + 1, &bx);
      o[0] = std::min(bx.l, bx.r);
      o[1] = std::min(bx.b, bx.t);
      o[2] = std::max(bx.l, bx.r);
      o[3] = std::max(bx.b, bx.t);
    } else {
      s->path(s->ctx, i - x.nb + 1, &p);
      int nv = std::min<int32_t>(p.nv, DRC_MAXV);
      int64_t m = p.width < 0 ? -(int64_t)p.width : p.width;
      o[0] = o[1] = INT64_MAX / 4;
      o[2] = o[3] = INT64_MIN / 4;
      for (int k = 0; k < nv && p.xy; ++k) {
        o[0] = std::min<int64_t>(o[0], p.xy[2 * k] - m);
        o[1] = std::min<int64_t>(o[1], p.xy[2 * k + 1] - m);
        o[2] = std::max<int64_t>(o[2], p.xy[2 * k] + m);
        o[3] = std::max<int64_t>(o[3], p.xy[2 * k + 1] + m);
      }
      if (nv < 1 || !p.xy) o[0] = o[1] = o[2] = o[3] = 0;
    }
    for (int k = 0; k < 4; ++k) {
      o[k] = std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, o[k]));
      bb[(size_t)i * 4 + k] = (int32_t)o[k];
    }
    l = std::min(l, o[0]);
    b = std::min(b, o[1]);
    r = std::max(r, o[2]);
    t = std::max(t, o[3]);
  }
  if (n == 0) l = b = r = t = 0;
  int g = (int)std::sqrt((double)n / 4.0);
  g = std::max(1, std::min(g, 1024));
  x.gx = x.gy = g;
  x.x0 = l;
  x.y0 = b;
  x.cw = std::max<int64_t>(1, (r - l) / g + 1);
  x.ch = std::max<int64_t>(1, (t - b) / g + 1);
  auto col = [&](int64_t v) { return (int)std::max<int64_t>(0, std::min<int64_t>(g - 1, (v - x.x0) / x.cw)); };
  auto row = [&](int64_t v) { return (int)std::max<int64_t>(0, std::min<int64_t>(g - 1, (v - x.y0) / x.ch)); };
  x.start.assign((size_t)g * g + 1, 0);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t* o = &bb[(size_t)i * 4];
    for (int v = row(o[1]); v <= row(o[3]); ++v)
      for (int u = col(o[0]); u <= col(o[2]); ++u) x.start[(size_t)v * g + u + 1]++;
  }
  for (size_t k = 1; k < x.start.size(); ++k) x.start[k] += x.start[k - 1];
  x.items.assign((size_t)x.start.back(), 0);
  std::vector<int32_t> fill(x.start.begin(), x.start.end() - 1);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t* o = &bb[(size_t)i * 4];
    for (int v = row(o[1]); v <= row(o[3]); ++v)
      for (int u = col(o[0]); u <= col(o[2]); ++u) x.items[(size_t)fill[(size_t)v * g + u]++] = i;
  }
  x.stamp.assign((size_t)n, 0);
  x.epoch = 0;
}

void InverseXform(int depth, int64_t* px, int64_t* py) {
  *px -= DrcRas.offX;
  *py -= DrcRas.offY;
  for (int n = 0; n <= depth; ++n) Orient(OrientInverse(DrcRas.stack[n].orient), px, py);
}

void MapAllObjects(int depth) {
  const DrcCellSource* s = DrcRas.src;
  ObjIndex& x = Index;
  if (x.cell == DrcRas.loadedCell && x.cell != 0 && x.gx > 0) {
    // The area in the cell's own coordinates.
    int64_t ax0 = DrcRas.areaL, ay0 = DrcRas.areaB, ax1 = DrcRas.areaR, ay1 = DrcRas.areaT;
    InverseXform(depth, &ax0, &ay0);
    InverseXform(depth, &ax1, &ay1);
    if (ax0 > ax1) std::swap(ax0, ax1);
    if (ay0 > ay1) std::swap(ay0, ay1);
    int64_t u0 = (ax0 - x.x0) / x.cw - 1, u1 = (ax1 - x.x0) / x.cw + 1;
    int64_t v0 = (ay0 - x.y0) / x.ch - 1, v1 = (ay1 - x.y0) / x.ch + 1;
    u0 = std::max<int64_t>(u0, 0);
    v0 = std::max<int64_t>(v0, 0);
    u1 = std::min<int64_t>(u1, x.gx - 1);
    v1 = std::min<int64_t>(v1, x.gy - 1);
    if (++x.epoch == 0) {
      std::fill(x.stamp.begin(), x.stamp.end(), 0);
      x.epoch = 1;
    }
    DrcBoxRec b;
    DrcPathRec p;
    for (int64_t v = v0; v <= v1; ++v)
      for (int64_t u = u0; u <= u1; ++u) {
        size_t k = (size_t)v * x.gx + (size_t)u;
        for (int32_t q = x.start[k]; q < x.start[k + 1]; ++q) {
          int32_t i = x.items[(size_t)q];
          if (x.stamp[(size_t)i] == x.epoch) continue;
          x.stamp[(size_t)i] = x.epoch;
          if (Stopped()) return;
          if (i < x.nb) {
            s->box(s->ctx, i + 1, &b);
            MapBox(b, depth);
          } else {
            s->path(s->ctx, i - x.nb + 1, &p);
            MapPath(p, depth);
          }
        }
      }
    return;
  }
  int32_t nb = s->boxCount(s->ctx);
  DrcBoxRec b;
  for (int32_t i = 1; i <= nb && !Stopped(); ++i) {
    s->box(s->ctx, i, &b);
    MapBox(b, depth);
  }
  int32_t np = s->pathCount(s->ctx);
  DrcPathRec p;
  for (int32_t i = 1; i <= np && !Stopped(); ++i) {
    s->path(s->ctx, i, &p);
    MapPath(p, depth);
  }
}

bool LoadObjects(int cell, const char* name) {
  if (cell == DrcRas.loadedCell) return true;
  DrcRas.loadedCell = 0;
  if (DrcRas.src->readObjects(DrcRas.src->ctx, name) != 0) {
    ReadError(name, DRC_STOP_BP_READ);
    return false;
  }
  DrcRas.loadedCell = cell;
  IndexBuild(cell);
  return true;
}

void PlaceStackPush(int d, int32_t i) {
  DrcRaster& r = DrcRas;
  const DrcCellSource* s = r.src;
  DrcInstRec in = {0, 0, 0};
  s->inst(s->ctx, d, i, &in);
  DrcPlace& e = r.stack[d];
  DrcCellInfo info;
  std::memset(&info, 0, sizeof info);
  e.cell = (int)(in.word & 0x3fff);
  if (e.cell == 0 || s->cellInfo(s->ctx, e.cell, &info) != 0) info.rank = 0;
  e.rank = info.rank & 0x1f;
  e.orient = (int)((in.word >> 17) & 7);
  std::memcpy(e.name, info.name, sizeof e.name);
  e.name[32] = 0;
  int64_t x = in.x, y = in.y;
  for (int n = d - 1; n >= 0; --n) Orient(r.stack[n].orient, &x, &y);
  e.x = x;
  e.y = y;
  e.l = info.l;
  e.b = info.b;
  e.r = info.r;
  e.t = info.t;
  int64_t l = e.l, b = e.b, rr = e.r, t = e.t;
  for (int n = d; n >= 0; --n) {
    int o = r.stack[n].orient;
    if (o) {
      Orient(o, &l, &b);
      Orient(o, &rr, &t);
    }
  }
  int64_t sx = 0, sy = 0;
  for (int n = 0; n <= d; ++n) {
    sx += r.stack[n].x;
    sy += r.stack[n].y;
  }
  l += sx;
  rr += sx;
  b += sy;
  t += sy;
  if (l > rr) std::swap(l, rr);
  if (b > t) std::swap(b, t);
  r.inArea = rr >= r.areaL && l <= r.areaR && b <= r.areaT && t >= r.areaB;
}

void MapInstances(int d) {
  DrcRaster& r = DrcRas;
  const DrcCellSource* s = r.src;
  for (int32_t i = 1; i <= s->instCount(s->ctx, d); ++i) {
    PlaceStackPush(d, i);
    DrcPlace& e = r.stack[d];
    if (!r.inArea || e.rank <= 0) continue;
    DrcCellInfo info;
    std::memset(&info, 0, sizeof info);
    s->cellInfo(s->ctx, e.cell, &info);
    if (info.nInst > 0) {
      if (d + 1 >= DRC_LEVELS || s->readInstances(s->ctx, e.name, d + 1) != 0) {
        ReadError(e.name, DRC_STOP_C_READ);
        break;
      }
      MapInstances(d + 1);
    }
    if (Stopped()) break;
    if (!LoadObjects(e.cell, e.name)) break;
    SetOffset(d);
    MapAllObjects(d);
    if (Stopped()) break;
  }
}

}  // namespace

void DrcRasterReset() {
  Index = ObjIndex();
  std::memset(&DrcRas, 0, sizeof DrcRas);
  DrcRas.res = 1;
}

void DrcRasterForget() {
  DrcRas.loadedCell = 0;
  Index = ObjIndex();
}

int64_t DrcNearest(double v) { return (int64_t)(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5)); }

void SpanSet(uint64_t* row, int64_t x0, int64_t x1) {
  if (x0 > x1) std::swap(x0, x1);
  if (x0 < 0) x0 = 0;
  if (x1 > DrcM.mapw) x1 = DrcM.mapw;
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

void MapBox(const DrcBoxRec& bx, int depth) {
  DrcRaster& r = DrcRas;
  if ((bx.layer & 0x1ff) != r.layer || DrcG.abortFlag) return;
  int64_t l = bx.l, b = bx.b, rr = bx.r, t = bx.t;
  CornersXform(depth, &l, &b, &rr, &t);
  if (rr < r.areaL || l > r.areaR || t < r.areaB || b > r.areaT) return;
  {
    // What the polygon fill makes of a box, without walking its edges: rows
    // pb .. pt - 1, its one row when flat.
    int64_t pl, pb, pr, pt;
    PixelOf(l, b, &pl, &pb);
    PixelOf(rr, t, &pr, &pt);
    if (pl == pr) return;
    int64_t y0 = pb, y1 = pt - 1;
    if (pt == pb) y1 = pb;
    y0 = std::max<int64_t>(y0, 0);
    y1 = std::min<int64_t>(y1, DrcM.maph - 1);
    if (y0 > y1) return;
    int64_t c0 = std::max<int64_t>(pl, 0), c1 = std::min<int64_t>(pr, DrcM.mapw);
    if (c0 >= c1) return;
    int w0 = (int)(c0 >> 6), w1 = (int)((c1 - 1) >> 6);
    uint64_t* tmp = MapRow(DrcM.W, DrcM.maph);
    for (int j = w0; j <= w1; ++j) tmp[j] = 0;
    SpanSet(tmp, c0, c1);
    for (int64_t y = y0; y <= y1; ++y) {
      uint64_t* wr = MapRow(DrcM.W, (int)y);
      if (r.overlap) {
        uint64_t* rw = MapRow(DrcM.R, (int)y);
        for (int j = w0; j <= w1; ++j) rw[j] |= tmp[j] & wr[j];
      }
      for (int j = w0; j <= w1; ++j) wr[j] |= tmp[j];
    }
    r.objects++;
  }
}

void MapPath(const DrcPathRec& p, int depth) {
  DrcRaster& r = DrcRas;
  if ((int)(p.word0 & 0x1ff) != r.layer || DrcG.abortFlag) return;
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
  CornersXform(depth, &l, &b, &rr, &t);
  int64_t w = p.width, m = w < 0 ? -w : w;
  if (rr + m < r.areaL || l - m > r.areaR || t + m < r.areaB || b - m > r.areaT) return;
  PathFetch(p, depth, p.width);
  if (r.sizeMode && !(w == 0 && r.npt == 5)) return;
  if (m > 0) PathRing();
  else PixelList();
  PolyFill(m == 0);
}

void MapMainCell() {
  DrcRaster& r = DrcRas;
  const DrcCellSource* s = r.src;
  MapClear(DrcM.W);
  if (!s) return;
  DrcCellInfo info;
  std::memset(&info, 0, sizeof info);
  if (s->cellInfo(s->ctx, r.mainCell, &info) != 0) {
    ReadError("?", DRC_STOP_BP_READ);
    return;
  }
  if (info.nInst > 0) {
    if (s->readInstances(s->ctx, info.name, 0) != 0) {
      ReadError(info.name, DRC_STOP_C_READ);
      return;
    }
    MapInstances(0);
  }
  if (Stopped()) return;
  if (!LoadObjects(r.mainCell, info.name)) return;
  r.offX = r.offY = 0;
  MapAllObjects(-1);
}

void MapSized(int64_t g) {
  MapClear(DrcM.R);
  MapClear(DrcM.W);
  DrcRas.sizeMode = 1;
  MapMainCell();
  DrcRas.sizeMode = 0;
  MapEdgeClear(DrcM.W);
  MapSizeMark(DrcM.W, g);
  MapCopy(DrcM.S, DrcM.W);
  MapEdgeClear(DrcM.R);
}
