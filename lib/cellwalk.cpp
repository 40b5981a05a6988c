#include "cellwalk.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

#include "orient.h"

namespace {

const double kPi = 3.14159265358979323846;

bool Stopped(const CellWalk& w) { return w.stopped && w.stopped(w.user); }

void ReadError(CellWalk& w, const char* cell, int code) {
  if (w.readError) w.readError(w.user, cell, code);
}

bool NameOk(CellWalk& w, const char* cell) { return !w.nameReadable || w.nameReadable(w.user, cell); }

void Orient(int code, int64_t* x, int64_t* y) {
  if ((code & 7) == 0) return;
  int64_t ox, oy;
  OrientPoint(code, *x, *y, &ox, &oy);
  *x = ox;
  *y = oy;
}

void IndexBuild(CellWalk& w, int cell) {
  CwObjIndex& x = w.index;
  const CwCellSource* s = w.src;
  x.cell = cell;
  x.nb = s->boxCount(s->ctx);
  x.np = s->pathCount(s->ctx);
  int32_t n = x.nb + x.np;
  // Bounds kept in 32 bits (clamped) to keep the index small.
  std::vector<int32_t> bb((size_t)n * 4);
  int64_t o[4];
  int64_t l = INT64_MAX, b = INT64_MAX, r = INT64_MIN, t = INT64_MIN;
  CwBoxRec bx;
  CwPathRec p;
  for (int32_t i = 0; i < n; ++i) {
    if (i < x.nb) {
      s->box(s->ctx, i + 1, &bx);
      o[0] = std::min(bx.l, bx.r);
      o[1] = std::min(bx.b, bx.t);
      o[2] = std::max(bx.l, bx.r);
      o[3] = std::max(bx.b, bx.t);
    } else {
      s->path(s->ctx, i - x.nb + 1, &p);
      int64_t m = p.width < 0 ? -(int64_t)p.width : p.width;
      o[0] = o[1] = INT64_MAX / 4;
      o[2] = o[3] = INT64_MIN / 4;
      for (int k = 0; k < p.nv && p.xy; ++k) {
        o[0] = std::min<int64_t>(o[0], p.xy[2 * k] - m);
        o[1] = std::min<int64_t>(o[1], p.xy[2 * k + 1] - m);
        o[2] = std::max<int64_t>(o[2], p.xy[2 * k] + m);
        o[3] = std::max<int64_t>(o[3], p.xy[2 * k + 1] + m);
      }
      if (p.nv < 1 || !p.xy) o[0] = o[1] = o[2] = o[3] = 0;
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

void InverseXform(const CellWalk& w, int depth, int64_t* px, int64_t* py) {
  *px -= w.offX;
  *py -= w.offY;
  for (int n = 0; n <= depth; ++n) Orient(OrientInverse(w.stack[n].orient), px, py);
}

void MapAllObjects(CellWalk& w, int depth) {
  const CwCellSource* s = w.src;
  CwObjIndex& x = w.index;
  CwBoxRec b;
  CwPathRec p;
  if (x.cell == w.loadedCell && x.cell != 0 && x.gx > 0) {
    // The area in the cell's own coordinates.
    int64_t ax0 = w.areaL, ay0 = w.areaB, ax1 = w.areaR, ay1 = w.areaT;
    InverseXform(w, depth, &ax0, &ay0);
    InverseXform(w, depth, &ax1, &ay1);
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
    for (int64_t v = v0; v <= v1; ++v)
      for (int64_t u = u0; u <= u1; ++u) {
        size_t k = (size_t)v * x.gx + (size_t)u;
        for (int32_t q = x.start[k]; q < x.start[k + 1]; ++q) {
          int32_t i = x.items[(size_t)q];
          if (x.stamp[(size_t)i] == x.epoch) continue;
          x.stamp[(size_t)i] = x.epoch;
          if (Stopped(w)) return;
          if (i < x.nb) {
            s->box(s->ctx, i + 1, &b);
            w.box(w.user, b, depth);
          } else {
            s->path(s->ctx, i - x.nb + 1, &p);
            w.path(w.user, p, depth);
          }
        }
      }
    return;
  }
  int32_t nb = s->boxCount(s->ctx);
  for (int32_t i = 1; i <= nb && !Stopped(w); ++i) {
    s->box(s->ctx, i, &b);
    w.box(w.user, b, depth);
  }
  int32_t np = s->pathCount(s->ctx);
  for (int32_t i = 1; i <= np && !Stopped(w); ++i) {
    s->path(s->ctx, i, &p);
    w.path(w.user, p, depth);
  }
}

bool LoadObjects(CellWalk& w, int cell, const char* name) {
  if (cell == w.loadedCell) return true;
  w.loadedCell = 0;
  if (w.src->readObjects(w.src->ctx, name) != 0) {
    ReadError(w, name, CW_STOP_BP_READ);
    return false;
  }
  w.loadedCell = cell;
  IndexBuild(w, cell);
  return true;
}

void SetOffset(CellWalk& w, int depth) {
  w.offX = w.offY = 0;
  for (int n = 0; n <= depth; ++n) {
    w.offX += w.stack[n].x;
    w.offY += w.stack[n].y;
  }
}

void PlaceStackPush(CellWalk& w, int d, int32_t i) {
  int64_t box[4];
  CwPlaceFetch(w, d, i, box);
  w.inArea = box[2] >= w.areaL && box[0] <= w.areaR && box[1] <= w.areaT && box[3] >= w.areaB;
}

bool RankEntered(const CellWalk& w, int d) {
  int rank = w.stack[d].rank;
  if (!w.ranksFall) return rank > 0;
  if (d == 0) return rank >= 1 && rank <= CW_LEVELS - 1;
  return rank > 0 && rank < w.stack[d - 1].rank;
}

void MapInstances(CellWalk& w, int d) {
  const CwCellSource* s = w.src;
  for (int32_t i = 1; i <= s->instCount(s->ctx, d); ++i) {
    PlaceStackPush(w, d, i);
    CwPlace& e = w.stack[d];
    if (!w.inArea || !RankEntered(w, d)) continue;
    CwCellInfo info;
    std::memset(&info, 0, sizeof info);
    s->cellInfo(s->ctx, e.cell, &info);
    if (!NameOk(w, e.name)) break;
    if (info.nInst > 0) {
      if (d + 1 >= CW_LEVELS || s->readInstances(s->ctx, e.name, d + 1) != 0) {
        ReadError(w, e.name, CW_STOP_C_READ);
        break;
      }
      MapInstances(w, d + 1);
    }
    if (Stopped(w)) break;
    if (!LoadObjects(w, e.cell, e.name)) break;
    SetOffset(w, d);
    MapAllObjects(w, d);
    if (Stopped(w)) break;
  }
}

}  // namespace

int CwPlaceFetch(CellWalk& w, int d, int32_t i, int64_t box[4]) {
  const CwCellSource* s = w.src;
  CwInstRec in = {0, 0, 0};
  s->inst(s->ctx, d, i, &in);
  CwPlace& e = w.stack[d];
  CwCellInfo info;
  std::memset(&info, 0, sizeof info);
  e.cell = (int)(in.word & 0x3fff);
  int known = e.cell != 0 && s->cellInfo(s->ctx, e.cell, &info) == 0;
  if (!known) info.rank = 0;
  e.rank = info.rank & 0x1f;
  e.orient = (int)((in.word >> 17) & 7);
  std::memcpy(e.name, info.name, sizeof e.name);
  e.name[32] = 0;
  int64_t x = in.x, y = in.y;
  for (int n = d - 1; n >= 0; --n) Orient(w.stack[n].orient, &x, &y);
  e.x = x;
  e.y = y;
  e.l = info.l;
  e.b = info.b;
  e.r = info.r;
  e.t = info.t;
  int64_t l = e.l, b = e.b, rr = e.r, t = e.t;
  for (int n = d; n >= 0; --n) {
    int o = w.stack[n].orient;
    if (o) {
      Orient(o, &l, &b);
      Orient(o, &rr, &t);
    }
  }
  int64_t sx = 0, sy = 0;
  for (int n = 0; n <= d; ++n) {
    sx += w.stack[n].x;
    sy += w.stack[n].y;
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

void CwForget(CellWalk& w) {
  w.loadedCell = 0;
  w.index = CwObjIndex();
}

int64_t CwNearest(double v) { return (int64_t)(v >= 0 ? std::trunc(v + 0.5) : std::trunc(v - 0.5)); }

void CwCorners(const CellWalk& w, int depth, int64_t* l, int64_t* b, int64_t* r, int64_t* t) {
  for (int n = depth; n >= 0; --n) {
    int o = w.stack[n].orient;
    if (o) {
      Orient(o, l, b);
      Orient(o, r, t);
    }
  }
  if (*l > *r) std::swap(*l, *r);
  if (*b > *t) std::swap(*b, *t);
  *l += w.offX;
  *r += w.offX;
  *b += w.offY;
  *t += w.offY;
}

void CwPoint(const CellWalk& w, int depth, int64_t* x, int64_t* y) {
  for (int n = depth; n >= 0; --n) Orient(w.stack[n].orient, x, y);
  *x += w.offX;
  *y += w.offY;
}

void CwWalk(CellWalk& w) {
  const CwCellSource* s = w.src;
  if (!s) return;
  CwCellInfo info;
  std::memset(&info, 0, sizeof info);
  if (s->cellInfo(s->ctx, w.mainCell, &info) != 0) {
    ReadError(w, "?", CW_STOP_BP_READ);
    return;
  }
  if (!NameOk(w, info.name)) return;
  if (info.nInst > 0) {
    if (s->readInstances(s->ctx, info.name, 0) != 0) {
      ReadError(w, info.name, CW_STOP_C_READ);
      return;
    }
    MapInstances(w, 0);
  }
  if (Stopped(w)) return;
  if (!LoadObjects(w, w.mainCell, info.name)) return;
  w.offX = w.offY = 0;
  MapAllObjects(w, -1);
}

void CwPathOutline(CwJoin* join, int64_t a, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0,
                   int64_t x1, int64_t y1, int64_t x2, int64_t y2, void (*put)(void* ctx, int64_t x, int64_t y),
                   void* ctx) {
  auto store = [&](double x, double y) { put(ctx, CwNearest(x), CwNearest(y)); };
  double t = (x1 == x0) ? (y1 > y0 ? kPi / 2 : -kPi / 2) : std::atan2((double)(y1 - y0), (double)(x1 - x0));
  double u = a * std::sin(t), v = a * std::cos(t);
  if (first) {
    int64_t rx = CwNearest(x0 + u), ry = CwNearest(y0 - v);
    int64_t lx = CwNearest(x0 - u), ly = CwNearest(y0 + v);
    if (extended) {
      put(ctx, CwNearest(rx - v), CwNearest(ry - u));
      put(ctx, CwNearest(lx - v), CwNearest(ly - u));
    } else {
      put(ctx, rx, ry);
      put(ctx, lx, ly);
    }
  } else if (join->mark) {
    double g = join->sign;
    store(x0 + u - g * v, y0 - v - g * u);
    store(x0 - u + g * v, y0 + v + g * u);
    join->mark = 0;
  }
  if (!hasNext) {
    int64_t rx = CwNearest(x1 + u), ry = CwNearest(y1 - v);
    int64_t lx = CwNearest(x1 - u), ly = CwNearest(y1 + v);
    if (extended) {
      put(ctx, CwNearest(rx + v), CwNearest(ry + u));
      put(ctx, CwNearest(lx + v), CwNearest(ly + u));
    } else {
      put(ctx, rx, ry);
      put(ctx, lx, ly);
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
    join->mark = 1;
    join->sign = g;
  }
  store(x1 + u + D * std::cos(t), y1 - v + D * std::sin(t));
  store(x1 - u - D * std::cos(t), y1 + v - D * std::sin(t));
}
