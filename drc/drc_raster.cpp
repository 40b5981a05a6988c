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

const double kPi = 3.14159265358979323846;


bool Stopped(DrcState& st) { return st.g.abortFlag || st.g.stopCode; }

void Orient(int code, int64_t* x, int64_t* y) {
  if ((code & 7) == 0) return;
  int64_t ox, oy;
  OrientPoint(code, *x, *y, &ox, &oy);
  *x = ox;
  *y = oy;
}

void PixelOf(DrcState& st, int64_t x, int64_t y, int64_t* px, int64_t* py) {
  *px = DrcNearest((double)(x - st.ras.areaL) / st.ras.res);
  *py = DrcNearest((double)(y - st.ras.areaB) / st.ras.res);
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
          r.cross[nc++] = DrcNearest((double)X[k] + (double)(X[k + 1] - X[k]) * (double)(row - ya) / (double)(yb - ya));
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

void CornersXform(DrcState& st, int depth, int64_t* l, int64_t* b, int64_t* rr, int64_t* t) {
  for (int n = depth; n >= 0; --n) {
    int o = st.ras.stack[n].orient;
    if (o) {
      Orient(o, l, b);
      Orient(o, rr, t);
    }
  }
  if (*l > *rr) std::swap(*l, *rr);
  if (*b > *t) std::swap(*b, *t);
  *l += st.ras.offX;
  *rr += st.ras.offX;
  *b += st.ras.offY;
  *t += st.ras.offY;
}

void PlaceXform(DrcState& st, int depth, int64_t* x, int64_t* y) {
  for (int n = depth; n >= 0; --n) Orient(st.ras.stack[n].orient, x, y);
  *x += st.ras.offX;
  *y += st.ras.offY;
}

// Outline points of one segment P0-P1 (P2 the next vertex when present).
void PathOutline(DrcState& st, int64_t a, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0, int64_t x1,
                 int64_t y1, int64_t x2, int64_t y2) {
  DrcRaster& r = st.ras;
  DrcOutline o = {r.ptX, r.ptY, r.npt, DRC_POINTS, r.joinMark, r.joinSign};
  DrcOutlineSegment(o, a, first, hasNext, extended, x0, y0, x1, y1, x2, y2);
  r.npt = o.n;
  r.joinMark = o.joinMark;
  r.joinSign = o.joinSign;
}

void PathFetch(DrcState& st, const DrcPathRec& p, int depth, int32_t w) {
  DrcRaster& r = st.ras;
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
      PlaceXform(st, depth, &x0, &y0);
      PlaceXform(st, depth, &x1, &y1);
      if (next) PlaceXform(st, depth, &x2, &y2);
      PathOutline(st, a, first, next, w < 0, x0, y0, x1, y1, x2, y2);
      first = false;
    } else {
      PlaceXform(st, depth, &x0, &y0);
      AppendPoint(st, x0, y0);
    }
  }
  if (m == 0 && nv > 0) {
    int64_t x = p.xy[2 * (nv - 1)], y = p.xy[2 * (nv - 1) + 1];
    PlaceXform(st, depth, &x, &y);
    AppendPoint(st, x, y);
  }
}

void SetOffset(DrcState& st, int depth) {
  st.ras.offX = st.ras.offY = 0;
  for (int n = 0; n <= depth; ++n) {
    st.ras.offX += st.ras.stack[n].x;
    st.ras.offY += st.ras.stack[n].y;
  }
}

void ReadError(DrcState& st, const char* cell, int code) {
  HostMsgBox(cell, "TLC Read Error ...", HOST_CAP_OWN, HOST_OK);
  HostPause(20);
  st.g.stopCode = code;
}

// Cells are files "<name>.tlc" of the drawing folder: a name that would lead
// out of it is never read. (The cell list reader has refused every other
// fault of a name already.)
bool NameReadable(DrcState& st, const char* cell) {
  bool escapes = false;
  for (const char* p = cell; *p; ++p) {
    unsigned char c = (unsigned char)*p;
    if (c == '/' || c == '\\' || c == ':' || c < 0x20 || c == 0x7f) escapes = true;
  }
  if (std::strcmp(cell, ".") == 0 || std::strcmp(cell, "..") == 0) escapes = true;
  if (!escapes) return true;
  CellNameCheck(cell, 0);
  ReadError(st, cell, DRC_STOP_C_READ);
  return false;
}

void IndexBuild(DrcState& st, int cell) {
  DrcObjIndex& x = st.index;
  const DrcCellSource* s = st.ras.src;
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

void InverseXform(DrcState& st, int depth, int64_t* px, int64_t* py) {
  *px -= st.ras.offX;
  *py -= st.ras.offY;
  for (int n = 0; n <= depth; ++n) Orient(OrientInverse(st.ras.stack[n].orient), px, py);
}

void MapAllObjects(DrcState& st, int depth) {
  const DrcCellSource* s = st.ras.src;
  DrcObjIndex& x = st.index;
  if (x.cell == st.ras.loadedCell && x.cell != 0 && x.gx > 0) {
    // The area in the cell's own coordinates.
    int64_t ax0 = st.ras.areaL, ay0 = st.ras.areaB, ax1 = st.ras.areaR, ay1 = st.ras.areaT;
    InverseXform(st, depth, &ax0, &ay0);
    InverseXform(st, depth, &ax1, &ay1);
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
          if (Stopped(st)) return;
          if (i < x.nb) {
            s->box(s->ctx, i + 1, &b);
            MapBox(st, b, depth);
          } else {
            s->path(s->ctx, i - x.nb + 1, &p);
            MapPath(st, p, depth);
          }
        }
      }
    return;
  }
  int32_t nb = s->boxCount(s->ctx);
  DrcBoxRec b;
  for (int32_t i = 1; i <= nb && !Stopped(st); ++i) {
    s->box(s->ctx, i, &b);
    MapBox(st, b, depth);
  }
  int32_t np = s->pathCount(s->ctx);
  DrcPathRec p;
  for (int32_t i = 1; i <= np && !Stopped(st); ++i) {
    s->path(s->ctx, i, &p);
    MapPath(st, p, depth);
  }
}

bool LoadObjects(DrcState& st, int cell, const char* name) {
  if (cell == st.ras.loadedCell) return true;
  st.ras.loadedCell = 0;
  if (st.ras.src->readObjects(st.ras.src->ctx, name) != 0) {
    ReadError(st, name, DRC_STOP_BP_READ);
    return false;
  }
  st.ras.loadedCell = cell;
  IndexBuild(st, cell);
  return true;
}

void PlaceStackPush(DrcState& st, int d, int32_t i) {
  DrcRaster& r = st.ras;
  int64_t box[4];
  DrcPlaceFetch(r.stack, r.src, d, i, box);
  r.inArea = box[2] >= r.areaL && box[0] <= r.areaR && box[1] <= r.areaT && box[3] >= r.areaB;
}

void MapInstances(DrcState& st, int d) {
  DrcRaster& r = st.ras;
  const DrcCellSource* s = r.src;
  for (int32_t i = 1; i <= s->instCount(s->ctx, d); ++i) {
    PlaceStackPush(st, d, i);
    DrcPlace& e = r.stack[d];
    if (!r.inArea || e.rank <= 0) continue;
    DrcCellInfo info;
    std::memset(&info, 0, sizeof info);
    s->cellInfo(s->ctx, e.cell, &info);
    if (!NameReadable(st, e.name)) break;
    if (info.nInst > 0) {
      if (d + 1 >= DRC_LEVELS || s->readInstances(s->ctx, e.name, d + 1) != 0) {
        ReadError(st, e.name, DRC_STOP_C_READ);
        break;
      }
      MapInstances(st, d + 1);
    }
    if (Stopped(st)) break;
    if (!LoadObjects(st, e.cell, e.name)) break;
    SetOffset(st, d);
    MapAllObjects(st, d);
    if (Stopped(st)) break;
  }
}

}  // namespace

int DrcPlaceFetch(DrcPlace* stack, const DrcCellSource* s, int d, int32_t i, int64_t box[4]) {
  DrcInstRec in = {0, 0, 0};
  s->inst(s->ctx, d, i, &in);
  DrcPlace& e = stack[d];
  DrcCellInfo info;
  std::memset(&info, 0, sizeof info);
  e.cell = (int)(in.word & 0x3fff);
  int known = e.cell != 0 && s->cellInfo(s->ctx, e.cell, &info) == 0;
  if (!known) info.rank = 0;
  e.rank = info.rank & 0x1f;
  e.orient = (int)((in.word >> 17) & 7);
  std::memcpy(e.name, info.name, sizeof e.name);
  e.name[32] = 0;
  int64_t x = in.x, y = in.y;
  for (int n = d - 1; n >= 0; --n) Orient(stack[n].orient, &x, &y);
  e.x = x;
  e.y = y;
  e.l = info.l;
  e.b = info.b;
  e.r = info.r;
  e.t = info.t;
  int64_t l = e.l, b = e.b, rr = e.r, t = e.t;
  for (int n = d; n >= 0; --n) {
    int o = stack[n].orient;
    if (o) {
      Orient(o, &l, &b);
      Orient(o, &rr, &t);
    }
  }
  int64_t sx = 0, sy = 0;
  for (int n = 0; n <= d; ++n) {
    sx += stack[n].x;
    sy += stack[n].y;
  }
  l += sx;
  rr += sx;
  b += sy;
  t += sy;
  if (l > rr) std::swap(l, rr);
  if (b > t) std::swap(b, t);
  box[0] = l;
  box[1] = b;
  box[2] = rr;
  box[3] = t;
  return known;
}

void DrcPlaceOrient(const DrcPlace* stack, int d, int64_t* x, int64_t* y) {
  for (int n = d; n >= 0; --n) Orient(stack[n].orient, x, y);
}

void DrcRasterReset(DrcState& st) {
  st.index = DrcObjIndex();
  std::memset(&st.ras, 0, sizeof st.ras);
  st.ras.res = 1;
}

void DrcRasterForget(DrcState& st) {
  st.ras.loadedCell = 0;
  st.index = DrcObjIndex();
}

int64_t DrcNearest(double v) { return (int64_t)(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5)); }

namespace {

void OutlinePut(DrcOutline& o, int64_t x, int64_t y) {
  if (o.n >= o.cap) return;
  o.x[o.n] = x;
  o.y[o.n] = y;
  o.n++;
}

void OutlineStore(DrcOutline& o, double x, double y) { OutlinePut(o, DrcNearest(x), DrcNearest(y)); }

}  // namespace

void DrcOutlineSegment(DrcOutline& r, int64_t a, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0, int64_t x1,
                 int64_t y1, int64_t x2, int64_t y2) {
  double t = (x1 == x0) ? (y1 > y0 ? kPi / 2 : -kPi / 2) : std::atan2((double)(y1 - y0), (double)(x1 - x0));
  double u = a * std::sin(t), v = a * std::cos(t);
  if (first) {
    int64_t rx = DrcNearest(x0 + u), ry = DrcNearest(y0 - v);
    int64_t lx = DrcNearest(x0 - u), ly = DrcNearest(y0 + v);
    if (extended) {
      OutlinePut(r, DrcNearest(rx - v), DrcNearest(ry - u));
      OutlinePut(r, DrcNearest(lx - v), DrcNearest(ly - u));
    } else {
      OutlinePut(r, rx, ry);
      OutlinePut(r, lx, ly);
    }
  } else if (r.joinMark) {
    double g = r.joinSign;
    OutlineStore(r, x0 + u - g * v, y0 - v - g * u);
    OutlineStore(r, x0 - u + g * v, y0 + v + g * u);
    r.joinMark = 0;
  }
  if (!hasNext) {
    int64_t rx = DrcNearest(x1 + u), ry = DrcNearest(y1 - v);
    int64_t lx = DrcNearest(x1 - u), ly = DrcNearest(y1 + v);
    if (extended) {
      OutlinePut(r, DrcNearest(rx + v), DrcNearest(ry + u));
      OutlinePut(r, DrcNearest(lx + v), DrcNearest(ly + u));
    } else {
      OutlinePut(r, rx, ry);
      OutlinePut(r, lx, ly);
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
  OutlineStore(r, x1 + u + D * std::cos(t), y1 - v + D * std::sin(t));
  OutlineStore(r, x1 - u - D * std::cos(t), y1 + v - D * std::sin(t));
}


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
  CornersXform(st, depth, &l, &b, &rr, &t);
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
  CornersXform(st, depth, &l, &b, &rr, &t);
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
  const DrcCellSource* s = r.src;
  MapClear(st, st.maps.W);
  if (!s) return;
  DrcCellInfo info;
  std::memset(&info, 0, sizeof info);
  if (s->cellInfo(s->ctx, r.mainCell, &info) != 0) {
    ReadError(st, "?", DRC_STOP_BP_READ);
    return;
  }
  if (!NameReadable(st, info.name)) return;
  if (info.nInst > 0) {
    if (s->readInstances(s->ctx, info.name, 0) != 0) {
      ReadError(st, info.name, DRC_STOP_C_READ);
      return;
    }
    MapInstances(st, 0);
  }
  if (Stopped(st)) return;
  if (!LoadObjects(st, r.mainCell, info.name)) return;
  r.offX = r.offY = 0;
  MapAllObjects(st, -1);
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
