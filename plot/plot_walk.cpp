#include <algorithm>
#include <utility>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "plot.h"
#include "satlib.h"

namespace {

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

void Status(PlotState& st, int id, const char* fmt, const char* name) {
  if (!st.walk.status) return;
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, fmt, name);
  st.walk.status(id, text);
}

void SetOffsets(PlotState& st, int d) {
  CellWalk& cw = st.walk.cw;
  cw.offX = cw.offY = 0;
  for (int n = 0; n <= d; ++n) {
    cw.offX += cw.stack[n].x;
    cw.offY += cw.stack[n].y;
  }
}

void OutlinePut(void* ctx, int64_t x, int64_t y) {
  PlotWalk& w = *static_cast<PlotWalk*>(ctx);
  if (w.n + 1 >= PLOT_POINTS) return;
  ++w.n;
  w.x[w.n] = x;
  w.y[w.n] = y;
}

void Segment(PlotState& st, int a, int b, int kind) {
  PlotWalk& w = st.walk;
  st.out.x1 = PlotX(st, (double)w.x[a]);
  st.out.y1 = PlotY(st, (double)w.y[a]);
  st.out.x2 = PlotX(st, (double)w.x[b]);
  st.out.y2 = PlotY(st, (double)w.y[b]);
  SegmentOut(st, kind);
}

void OutlineBoxDraw(PlotState& st, int d) {
  const int64_t* bx = st.walk.box[d];
  st.out.x1 = PlotX(st, (double)bx[0]);
  st.out.y1 = PlotY(st, (double)bx[1]);
  st.out.x2 = PlotX(st, (double)bx[2]);
  st.out.y2 = PlotY(st, (double)bx[3]);
  st.out.wantPen = st.set.opn;
  st.out.fill = st.out.solid = st.out.angle = 0;
  st.out.dash = st.walk.lastReadFailed;
  st.out.lineType = st.walk.lastReadFailed ? 2 : 0;
  SegmentOut(st, SEG_RECT);
  TextString(st, st.walk.cw.stack[d].name, bx[0], bx[1], bx[2], bx[3]);
}

void PlotObjects(PlotState& st, int d) {
  PlotWalk& w = st.walk;
  const DrcCellSource* s = w.cw.src;
  int32_t nb = s->boxCount(s->ctx);
  DrcBoxRec b;
  for (int32_t i = 1; i <= nb; ++i) {
    s->box(s->ctx, i, &b);
    if ((b.layer & 0x1ff) == w.layer) PlotBoxObj(st, b, d);
    w.objects++;
    if (PlotStopped(st)) return;
  }
  int32_t np = s->pathCount(s->ctx);
  DrcPathRec p;
  for (int32_t i = 1; i <= np; ++i) {
    s->path(s->ctx, i, &p);
    if ((int)(p.word0 & 0x1ff) == w.layer) PlotPathObj(st, p, d);
    w.objects++;
    if (PlotStopped(st)) return;
  }
}

// The store holds one cell's objects: a cell placed again right after
// itself (an array) is not read again within the pass.
int ReadObjects(PlotState& st, const char* name) {
  PlotWalk& w = st.walk;
  if (w.loaded[0] && strcmp(w.loaded, name) == 0) return 0;
  w.loaded[0] = '\0';
  if (w.cw.src->readObjects(w.cw.src->ctx, name) != 0) return 1;
  snprintf(w.loaded, sizeof w.loaded, "%s", name);
  return 0;
}

void PlotLowerCell(PlotState& st, int d) {
  PlotWalk& w = st.walk;
  const char* name = w.cw.stack[d].name;
  int failed = ReadObjects(st, name);
  Status(st, 504, "Plotting Lower Cell %s ...", name);
  w.lastReadFailed = failed;
  if (failed) {
    w.readErrBPV = 1;
    OutlineBoxDraw(st, d);
    return;
  }
  SetOffsets(st, d);
  PlotObjects(st, d);
}

void PlotDescend(PlotState& st, int d) {
  PlotWalk& w = st.walk;
  const DrcCellSource* s = w.cw.src;
  int32_t count = s->instCount(s->ctx, d);
  for (int32_t i = 1; i <= count; ++i) {
    if (st.abortFlag || st.out.failed || (w.oom && w.oom())) return;
    DrcInstRec in = {0, 0, 0};
    s->inst(s->ctx, d, i, &in);
    w.outlined[d] = (in.word >> 15) & 1;
    if (!CwPlaceFetch(w.cw, d, i, w.box[d])) {
      // An instance of a cell the cell list does not hold has neither name
      // nor extents: it is left out, and said once a run.
      if (!w.missingNoted) {
        w.missingNoted = 1;
        ProgramShow("Instances of Cells Missing from the Cell List are not Plotted");
      }
      continue;
    }
    const int64_t* bx = w.box[d];
    if (bx[2] < st.geom.dl || bx[0] > st.geom.dr || bx[1] > st.geom.dt || bx[3] < st.geom.db) continue;
    if (!w.outlined[d] || st.set.dol) {
      if (w.cw.stack[d].rank > 1) {
        if (d + 1 >= PLOT_LEVELS || s->readInstances(s->ctx, w.cw.stack[d].name, d + 1) != 0) {
          w.readErrC = 1;
          w.lastReadFailed = 1;
          OutlineBoxDraw(st, d);
        } else {
          w.lastReadFailed = 0;
          PlotDescend(st, d + 1);
        }
      }
      if (st.abortFlag || st.out.failed) return;
      PlotLowerCell(st, d);
    } else if (w.firstPass) {
      OutlineBoxDraw(st, d);
    }
  }
}

}  // namespace

int PlotStopped(PlotState& st) {
  if (HostAbortPoll()) st.abortFlag = 1;
  return st.abortFlag || st.out.failed || (st.walk.oom && st.walk.oom());
}

void PlaceStackXform(PlotState& st, int d, int64_t* x, int64_t* y) {
  if (d >= 0) CwPoint(st.walk.cw, d, x, y);
}

void PlotLayerTree(PlotState& st) {
  PlotWalk& w = st.walk;
  const DrcCellSource* s = w.cw.src;
  w.readErrBPV = w.readErrC = 0;
  w.lastReadFailed = 0;
  w.loaded[0] = '\0';  // every pass reads the cell files anew
  const char* main = st.set.v[PK_CLN];
  // A main cell that places no cells (as the cell list tells) is read once,
  // for its objects.
  DrcCellInfo info;
  int places = !w.mainIndex || s->cellInfo(s->ctx, w.mainIndex, &info) != 0 || info.nInst > 0;
  if (places) {
    if (s->readInstances(s->ctx, main, 0) == 0)
      PlotDescend(st, 0);
    else
      w.readErrC = 1;
  }
  if (st.abortFlag || st.out.failed || (w.oom && w.oom())) return;
  Status(st, 503, "Plotting Main Cell %s ...", main);
  if (ReadObjects(st, main) != 0) {
    w.readErrBPV = 1;
    return;
  }
  w.cw.offX = w.cw.offY = 0;
  PlotObjects(st, -1);
}

void PlotBoxObj(PlotState& st, const DrcBoxRec& bx, int d) {
  const PlotGeom& g = st.geom;
  int64_t l = bx.l, b = bx.b, r = bx.r, t = bx.t;
  if (Abs(l - r) < g.minSize && Abs(b - t) < g.minSize) return;
  CwCorners(st.walk.cw, d, &l, &b, &r, &t);
  if (r < g.dl || l > g.dr || t < g.db || b > g.dt) return;
  int layer = bx.layer & 0x1ff;
  st.out.wantPen = LayerPen(st, layer);
  LayerDash(st, layer);
  LayerFill(st, layer);
  st.out.x1 = PlotX(st, (double)l);
  st.out.y1 = PlotY(st, (double)b);
  st.out.x2 = PlotX(st, (double)r);
  st.out.y2 = PlotY(st, (double)t);
  SegmentOut(st, SEG_RECT);
}

void PlotPathObj(PlotState& st, const DrcPathRec& p, int d) {
  const PlotGeom& g = st.geom;
  PlotOut& o = st.out;
  int layer = (int)(p.word0 & 0x1ff);
  o.wantPen = LayerPen(st, layer);
  o.fill = o.solid = o.angle = 0;
  o.dash = 0;
  if (st.set.ppm) LayerFill(st, layer);
  if (p.word0 & 0x80000000u) {
    PlotTextObj(st, p, d);
    return;
  }
  if (p.nv < 2 || !p.xy) return;
  int64_t l = p.xy[0], r = p.xy[0], b = p.xy[1], t = p.xy[1];
  for (int32_t i = 1; i < p.nv; ++i) {
    l = std::min<int64_t>(l, p.xy[2 * i]);
    r = std::max<int64_t>(r, p.xy[2 * i]);
    b = std::min<int64_t>(b, p.xy[2 * i + 1]);
    t = std::max<int64_t>(t, p.xy[2 * i + 1]);
  }
  int64_t wAbs = Abs(p.width);
  if (r - l < g.minSize && t - b < g.minSize && wAbs < g.minSize) return;
  CwCorners(st.walk.cw, d, &l, &b, &r, &t);
  if (r + wAbs < g.dl || l - wAbs > g.dr || t + wAbs < g.db || b - wAbs > g.dt) return;
  PathFetch(st, p, d);
  LayerDash(st, layer);
  if (p.width == 0 || wAbs < g.minSize) {
    if (!st.set.ppm || st.walk.n < 3) {
      PolylineDraw(st);
    } else {
      if (p.width != 0) o.openPoly = 1;
      PolyDraw(st);
    }
  } else if (st.set.ppm && st.walk.n > 2) {
    PathOutlinePoly(st);
  } else {
    PathOutlineDraw(st);
  }
}

void PathOutlineAdd(PlotState& st, CwJoin& join, int64_t a, bool first, bool hasNext, bool square, int64_t x1,
                    int64_t y1, int64_t x2, int64_t y2, int64_t x3, int64_t y3) {
  if (st.set.pcl) {
    st.out.dash = 1;
    st.out.lineType = 4;
    st.out.x1 = PlotX(st, (double)x1);
    st.out.y1 = PlotY(st, (double)y1);
    st.out.x2 = PlotX(st, (double)x2);
    st.out.y2 = PlotY(st, (double)y2);
    SegmentOut(st, SEG_LINE);
  }
  CwPathOutline(&join, a, first, hasNext, square, x1, y1, x2, y2, x3, y3, OutlinePut, &st.walk);
}

void PathFetch(PlotState& st, const DrcPathRec& p, int d) {
  PlotWalk& w = st.walk;
  w.n = -1;
  int32_t nv = p.nv < DRC_MAXV ? p.nv : DRC_MAXV;
  if (p.width == 0 || Abs(p.width) < st.geom.minSize) {
    for (int32_t i = 0; i < nv; ++i) {
      int64_t x = p.xy[2 * i], y = p.xy[2 * i + 1];
      PlaceStackXform(st, d, &x, &y);
      w.x[i] = x;
      w.y[i] = y;
    }
    w.n = nv - 1;
    return;
  }
  CwJoin join = {0, 0.0};
  int64_t a = Abs(p.width) / 2;
  for (int32_t i = 0; i + 1 < nv; ++i) {
    int64_t x1 = p.xy[2 * i], y1 = p.xy[2 * i + 1], x2 = p.xy[2 * i + 2], y2 = p.xy[2 * i + 3];
    bool next = i + 2 < nv;
    int64_t x3 = next ? p.xy[2 * i + 4] : 0, y3 = next ? p.xy[2 * i + 5] : 0;
    PlaceStackXform(st, d, &x1, &y1);
    PlaceStackXform(st, d, &x2, &y2);
    if (next) PlaceStackXform(st, d, &x3, &y3);
    PathOutlineAdd(st, join, a, i == 0, next, p.width < 0, x1, y1, x2, y2, x3, y3);
  }
}

void PolylineDraw(PlotState& st) {
  for (int k = 0; k < st.walk.n; ++k) Segment(st, k, k + 1, SEG_LINE);
}

void PolyDraw(PlotState& st) {
  PlotWalk& w = st.walk;
  int n = w.n;
  if (n < 3) {
    st.out.openPoly = 0;
    return;
  }
  Segment(st, 0, 1, SEG_POLY_START);
  for (int k = 2; k <= n; ++k) Segment(st, k - 1, k, SEG_POLY_POINT);
  if (PlotX(st, (double)w.x[n]) != PlotX(st, (double)w.x[0]) || PlotY(st, (double)w.y[n]) != PlotY(st, (double)w.y[0])) {
    st.out.openPoly = 1;
    if (st.set.ret)
      for (int k = n - 1; k >= 0; --k) Segment(st, k + 1, k, SEG_POLY_POINT);
  }
  SegmentOut(st, SEG_POLY_END);
  st.out.openPoly = 0;
}

void PathOutlineDraw(PlotState& st) {
  int n = st.walk.n;
  if (n <= 2) return;
  int prev = 1;
  Segment(st, 0, 1, SEG_LINE);
  for (int k = 3; k <= n; k += 2) {
    Segment(st, prev, k, SEG_LINE);
    prev = k;
  }
  for (int k = n - 1; k >= 2; k -= 2) {
    Segment(st, prev, k, SEG_LINE);
    prev = k;
  }
  Segment(st, prev, 0, SEG_LINE);
}

void PathOutlinePoly(PlotState& st) {
  int n = st.walk.n;
  if (n <= 2) return;
  Segment(st, 0, 1, SEG_POLY_START);
  int prev = 1;
  for (int k = 3; k <= n; k += 2) {
    Segment(st, prev, k, SEG_POLY_POINT);
    prev = k;
  }
  for (int k = n - 1; k >= 2; k -= 2) {
    Segment(st, prev, k, SEG_POLY_POINT);
    prev = k;
  }
  Segment(st, prev, 0, SEG_POLY_POINT);
  SegmentOut(st, SEG_POLY_END);
}
