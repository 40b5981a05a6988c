#include "render.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "font.h"
#include "layerview.h"
#include "mainsetup.h"
#include "orient.h"
#include "palette.h"
#include "redraw.h"

RenderState Rd;

static const double kPi = 3.14159265358979323846;

void RenderReset() {
  std::vector<double> wx, wy, ca, cb;
  std::vector<uint32_t> wv;
  std::vector<CanvasPt> dev;
  // The work buffers keep their room: out before the reset, back after it.
  auto trade = [&] {
    wx.swap(Rd.wx);
    wy.swap(Rd.wy);
    wv.swap(Rd.wv);
    dev.swap(Rd.dev);
    ca.swap(Rd.clipA);
    cb.swap(Rd.clipB);
  };
  trade();
  Rd = RenderState();
  trade();
}

void DrawStateReset() {
  Rd.printing = Rd.printDirect = Rd.printClip = Rd.darkField = Rd.printBW = 0;
  Rd.fullRes = Rd.mergeSolidFill = 0;
  Rd.erasePass = Rd.selOnly = Rd.noFillPass = Rd.ownFull = 0;
  Rd.inInst = Rd.instSelected = Rd.instErase = 0;
  Rd.altFill = Rd.convertText = 0;
  Rd.drawAbort = Rd.cmdAbort = Rd.quick = 0;
  Rd.xfLevel = -1;
  Rw.singleLayer = 0;
}

void DrawCanvasSet(const Canvas& c) {
  Rd.canvas = c;
  Rd.haveCanvas = 1;
}

void DrawViewSet(int32_t cx, int32_t cy, double width, int areaL, int areaT, int areaR, int areaB,
                 double aspect, int drawres, int celldrawres) {
  DrawView& v = Rd.view;
  if (!(width >= 1.0)) width = 1.0;
  if (!(aspect > 0)) aspect = 1.0;
  v.cx = cx;
  v.cy = cy;
  v.width = width;
  v.areaL = areaL;
  v.areaT = areaT;
  v.areaR = areaR > areaL ? areaR : areaL + 1;
  v.areaB = areaB > areaT ? areaB : areaT + 1;
  int w = v.areaR - v.areaL, h = v.areaB - v.areaT;
  v.ox = (v.areaL + v.areaR) / 2;
  v.oy = (v.areaT + v.areaB) / 2;
  v.sx = w / width;
  v.sy = v.sx * aspect;
  double hw = width / 2, hh = (width / 2) * ((double)h / w) / aspect;
  v.winL = (int32_t)std::floor(cx - hw);
  v.winR = (int32_t)std::ceil(cx + hw);
  v.winB = (int32_t)std::floor(cy - hh);
  v.winT = (int32_t)std::ceil(cy + hh);
  v.objMin = drawres > 0 ? (int32_t)(width / drawres) : 0;
  v.cellMin = celldrawres > 0 ? (int32_t)(width / celldrawres) : 0;
  // The clip square lies just outside the drawing area, so that nothing
  // clipped shows and filled polygons keep their corners.
  v.guardX = w / 2 + 2;
  v.guardY = h / 2 + 2;
}

void DrawToTop(double x, double y, double* tx, double* ty) {
  if (Rd.xfLevel < 0 || Rd.xfLevel >= STORE_LEVELS) {
    *tx = x;
    *ty = y;
    return;
  }
  const LevelXf& f = Rd.xf[Rd.xfLevel];
  *tx = f.a * x + f.b * y + (double)f.ox;
  *ty = f.c * x + f.d * y + (double)f.oy;
}

void DrawToDevice(double x, double y, double* dx, double* dy) {
  *dx = (x - Rd.view.cx) * Rd.view.sx;
  *dy = (Rd.view.cy - y) * Rd.view.sy;
}

int DrawAbortPoll(int every) {
  if (Rd.drawAbort || Rd.cmdAbort) return 1;
  if (Rd.abortPoll && ++Rd.pollCount >= every) {
    Rd.pollCount = 0;
    if (Rd.abortPoll()) Rd.drawAbort = 1;
  }
  return Rd.drawAbort || Rd.cmdAbort;
}

// --- colours, fills, styles -------------------------------------------------

static int LayerOk(int layer) { return layer >= 1 && layer <= LAYER_MAX; }

int LyrColour(int layer) {
  if (!LayerOk(layer)) return PAL_SELECT;
  int c = MainSetup.attr[layer - 1].colour;
  return c >= 0 && c < PAL_COLOURS ? c : PAL_SELECT;
}

int LyrFillIndex(int layer) {
  if (Rd.noFillOvr) return 0;
  if (Rd.solidFillOvr) return FILL_SOLID;
  int f = LayerOk(layer) ? MainSetup.attr[layer - 1].fill : 0;
  if (f < 0 || f >= FILL_PATTERNS) f = 0;
  if (Rd.printing && !Rd.printClip) {
    static const int kSwap[FILL_PATTERNS] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 10, 9, 12, 11, 13, 14};
    f = kSwap[f];
  }
  return f;
}

int LyrLineStyle(int layer) {
  if (Rd.noDashOvr || !LayerOk(layer)) return 0;
  return MainSetup.attr[layer - 1].dash;
}

CanvasPaint DrawPaint(int colour, int style, int fill) {
  CanvasPaint p{};
  int c = colour >= 0 && colour < PAL_COLOURS ? colour : 0;
  if (Rd.printing && (c == PAL_OUTLINE || c == PAL_SELECT) && !Rd.darkField) c = 0;
  p.colour = c;
  if (Rd.printing && Rd.printBW) {
    p.useRgb = 1;
    p.r = p.g = p.b = Rd.darkField ? 255 : 0;
  } else if (Rd.printing && !Rd.printClip) {
    p.useRgb = 1;
    p.r = MainSetup.prnrgb[c].r;
    p.g = MainSetup.prnrgb[c].g;
    p.b = MainSetup.prnrgb[c].b;
  }
  p.style = (style >= 1 && style <= 4) || style == 6 ? style : 0;
  p.fill = fill >= 0 && fill < FILL_PATTERNS ? fill : 0;
  p.fillSet = Rd.printing && Rd.printDirect ? FILLSET_PRINT
              : MainSetup.finefill          ? FILLSET_FINE
                                            : FILLSET_SCREEN;
  if (Rd.printing || Rd.altFill) {
    p.mix = Rd.mergeSolidFill && Rd.darkField && Rd.printClip ? CANVAS_MIX_MERGE
                                                              : CANVAS_MIX_MASKMERGE;
  } else if (c != 0) {
    p.mix = p.fill == FILL_SOLID && !MainSetup.mergefills ? CANVAS_MIX_COPY : CANVAS_MIX_MERGE;
  } else {
    p.mix = CANVAS_MIX_MASKNOT;
  }
  return p;
}

// --- clipping and painting --------------------------------------------------

static int32_t RoundHalfAway(double v) {
  return (int32_t)(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5));
}

static void DeviceFinish(double dx, double dy, int* px, int* py) {
  int x = RoundHalfAway(dx) + (Rd.printing ? Rd.pageOx : Rd.view.ox);
  int y = RoundHalfAway(dy) + (Rd.printing ? Rd.pageOy : Rd.view.oy);
  if (MainSetup.winemods && !Rd.printing) {
    x = std::max(Rd.view.areaL - 1, std::min(Rd.view.areaR + 1, x));
    y = std::max(Rd.view.areaT - 1, std::min(Rd.view.areaB + 1, y));
  }
  *px = x;
  *py = y;
}

// Liang-Barsky against the guard square; 0 when nothing is left.
static int ClipSegment(double* x1, double* y1, double* x2, double* y2) {
  double gx = Rd.view.guardX, gy = Rd.view.guardY;
  double dx = *x2 - *x1, dy = *y2 - *y1;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {*x1 + gx, gx - *x1, *y1 + gy, gy - *y1};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return 0;
      continue;
    }
    double r = q[i] / p[i];
    if (p[i] < 0) {
      if (r > t1) return 0;
      if (r > t0) t0 = r;
    } else {
      if (r < t0) return 0;
      if (r < t1) t1 = r;
    }
  }
  double ax = *x1 + t0 * dx, ay = *y1 + t0 * dy;
  double bx = *x1 + t1 * dx, by = *y1 + t1 * dy;
  *x1 = ax;
  *y1 = ay;
  *x2 = bx;
  *y2 = by;
  return 1;
}

void DrawLineTop(const CanvasPaint& p, double x1, double y1, double x2, double y2) {
  if (!Rd.haveCanvas) return;
  double ax, ay, bx, by;
  DrawToDevice(x1, y1, &ax, &ay);
  DrawToDevice(x2, y2, &bx, &by);
  if (!ClipSegment(&ax, &ay, &bx, &by)) return;
  int px1, py1, px2, py2;
  DeviceFinish(ax, ay, &px1, &py1);
  DeviceFinish(bx, by, &px2, &py2);
  Rd.canvas.line(Rd.canvas.ctx, p, px1, py1, px2, py2);
}

void DrawRectTop(const CanvasPaint& p, double x1, double y1, double x2, double y2) {
  if (!Rd.haveCanvas) return;
  double ax, ay, bx, by;
  DrawToDevice(x1, y1, &ax, &ay);
  DrawToDevice(x2, y2, &bx, &by);
  double gx = Rd.view.guardX, gy = Rd.view.guardY;
  if (std::max(ax, bx) < -gx || std::min(ax, bx) > gx || std::max(ay, by) < -gy ||
      std::min(ay, by) > gy)
    return;
  // Sides beyond the guard lie outside the area: clamping keeps them there.
  ax = std::max(-gx, std::min(gx, ax));
  bx = std::max(-gx, std::min(gx, bx));
  ay = std::max(-gy, std::min(gy, ay));
  by = std::max(-gy, std::min(gy, by));
  int px1, py1, px2, py2;
  DeviceFinish(ax, ay, &px1, &py1);
  DeviceFinish(bx, by, &px2, &py2);
  Rd.canvas.rect(Rd.canvas.ctx, p, px1, py1, px2, py2);
}

// One Sutherland-Hodgman stage: keeps the side where s * (coord) <= g.
static void ClipStage(const std::vector<double>& in, std::vector<double>& out, int axis,
                      double s, double g) {
  out.clear();
  size_t n = in.size() / 2;
  if (!n) return;
  for (size_t i = 0; i < n; ++i) {
    size_t j = (i + 1) % n;
    double ax = in[2 * i], ay = in[2 * i + 1], bx = in[2 * j], by = in[2 * j + 1];
    double ca = s * (axis ? ay : ax), cb = s * (axis ? by : bx);
    int ina = ca <= g, inb = cb <= g;
    if (ina) {
      out.push_back(ax);
      out.push_back(ay);
    }
    if (ina != inb) {
      double t = (g - ca) / (cb - ca);
      out.push_back(ax + t * (bx - ax));
      out.push_back(ay + t * (by - ay));
    }
  }
}

void DrawPolyTop(const CanvasPaint& p, const double* xs, const double* ys, int n) {
  if (!Rd.haveCanvas || n < 3) return;
  std::vector<double>& a = Rd.clipA;
  std::vector<double>& b = Rd.clipB;
  a.clear();
  double minx = 1e300, maxx = -1e300, miny = 1e300, maxy = -1e300;
  for (int i = 0; i < n; ++i) {
    double dx, dy;
    DrawToDevice(xs[i], ys[i], &dx, &dy);
    a.push_back(dx);
    a.push_back(dy);
    minx = std::min(minx, dx);
    maxx = std::max(maxx, dx);
    miny = std::min(miny, dy);
    maxy = std::max(maxy, dy);
  }
  double gx = Rd.view.guardX, gy = Rd.view.guardY;
  if (maxx < -gx || minx > gx || maxy < -gy || miny > gy) return;
  // The polygon is clipped whole, so the part inside keeps its fill even
  // where it covers a corner of the area.
  if (minx < -gx || maxx > gx || miny < -gy || maxy > gy) {
    ClipStage(a, b, 0, 1, gx);
    ClipStage(b, a, 0, -1, gx);
    ClipStage(a, b, 1, 1, gy);
    ClipStage(b, a, 1, -1, gy);
  }
  std::vector<CanvasPt>& d = Rd.dev;
  d.clear();
  size_t m = a.size() / 2;
  for (size_t i = 0; i < m; ++i) {
    int x, y;
    DeviceFinish(a[2 * i], a[2 * i + 1], &x, &y);
    if (!d.empty() && d.back().x == x && d.back().y == y) continue;
    d.push_back({x, y});
  }
  while (d.size() > 1 && d.back().x == d.front().x && d.back().y == d.front().y) d.pop_back();
  if (d.size() < 3) return;
  d.push_back(d.front());
  Rd.canvas.polygon(Rd.canvas.ctx, p, d.data(), (int)d.size());
}

static int FillWanted(int fill) { return fill != 0 && !Rd.noFillPass && !Rd.selOnly; }

// --- markers ----------------------------------------------------------------

void DrawMarker(int image, int32_t x, int32_t y, int colour) {
  if (Rd.printing || !Rd.haveCanvas) return;
  double tx, ty, dx, dy;
  DrawToTop(x, y, &tx, &ty);
  DrawToDevice(tx, ty, &dx, &dy);
  if (std::fabs(dx) > Rd.view.guardX || std::fabs(dy) > Rd.view.guardY) return;
  int px, py;
  DeviceFinish(dx, dy, &px, &py);
  const MarkerImage* m = MarkerImageOf(image);
  Rd.canvas.marker(Rd.canvas.ctx, image, px - m->hotX, py - m->hotY, colour);
}

void DrawOriginMark() {
  if (!(Rd.togs & TOG_ORIGIN)) return;
  int save = Rd.xfLevel;
  Rd.xfLevel = -1;
  DrawMarker(MARKER_ORIGIN, 0, 0, PAL_SELECT);
  Rd.xfLevel = save;
}

static int SmallMarkerWanted() {
  return (Rd.selOnly || Rd.erasePass) && !MainSetup.nosmallactive;
}

void DrawVertexMark(int32_t v, int colour) {
  const int32_t* r = StoreVertexRec(v);
  if (!r) return;
  DrawMarker(r[3] ? MARKER_VERTEX : MARKER_LAST, r[1], r[2], colour);
}

// --- the view test ----------------------------------------------------------

// The level-coordinate rectangle in the top cell, ordered.
static void RectToTop(double l, double b, double r, double t, double* L, double* B, double* R,
                      double* T) {
  double x1, y1, x2, y2;
  DrawToTop(l, b, &x1, &y1);
  DrawToTop(r, t, &x2, &y2);
  *L = std::min(x1, x2);
  *R = std::max(x1, x2);
  *B = std::min(y1, y2);
  *T = std::max(y1, y2);
}

static int MissesView(double L, double B, double R, double T) {
  const DrawView& v = Rd.view;
  return R < v.winL || L > v.winR || T < v.winB || B > v.winT;
}

static void SmallestSeen(int64_t w, int64_t h) {
  int64_t d;
  if (w == 0) d = h > 0 ? h : 1;
  else if (h == 0) d = w;
  else d = std::min(w, h);
  if (d < Rd.smallest || Rd.smallest <= 0) Rd.smallest = (int32_t)std::min<int64_t>(d, INT32_MAX);
}

static int ObjColour(int layer) {
  int c = LyrColour(layer);
  if (Rd.inInst) {
    if (Rd.instSelected) c = PAL_SELECT;
    if (Rd.instErase) c = 0;
  }
  return c;
}

// An object out of the view is marked, while its own cell is drawn in
// full, for a later redraw; one in it loses the mark. 1 when out.
static int ViewMark(int32_t* rec, uint32_t flags, int out) {
  if (out) {
    if (Rd.ownFull) rec[0] = (int32_t)(flags | OBJ_MARKED);
    return 1;
  }
  if (Rd.ownFull) rec[0] = (int32_t)(flags & ~(uint32_t)OBJ_MARKED);
  return 0;
}

// The colour, fill and line style of an object's layer; an erase pass
// (for paths and texts) draws in colour 0 with solid lines.
static void ObjLook(uint32_t flags, int erase, int* colour, int* fill, int* style) {
  int layer = (int)(flags & FLAG_LAYER_MASK);
  *colour = ObjColour(layer);
  *fill = LyrFillIndex(layer);
  *style = LyrLineStyle(layer);
  if (erase) {
    *colour = 0;
    *style = 0;
  }
}

// The level whose placement applies, for the length of one object.
struct LevelScope {
  int save;
  explicit LevelScope(int k) : save(Rd.xfLevel) { Rd.xfLevel = k; }
  ~LevelScope() { Rd.xfLevel = save; }
};

// --- boxes ------------------------------------------------------------------

void DrawBox(int32_t n, int k) {
  DrawAbortPoll(256);
  int32_t* rec = StoreBoxRec(n);
  if (!rec) return;
  LevelScope scope(k);
  uint32_t flags = (uint32_t)rec[0];
  int64_t l = rec[1], b = rec[2], r = rec[3], t = rec[4];
  int64_t w = l > r ? l - r : r - l, h = b > t ? b - t : t - b;
  SmallestSeen(w, h);
  if (Rd.fullRes && w == 0 && h == 0) return;
  int32_t smin = Rd.view.objMin;
  if (w < smin && h < smin && !Rd.ctrl && !Rd.fullRes) {
    if (SmallMarkerWanted()) DrawMarker(MARKER_SMALL, (int32_t)l, (int32_t)b, Rd.erasePass ? 0 : PAL_SELECT);
    return;
  }
  double L, B, R, T;
  RectToTop((double)l, (double)b, (double)r, (double)t, &L, &B, &R, &T);
  if (ViewMark(rec, flags, MissesView(L, B, R, T))) return;
  int colour, fill, style;
  ObjLook(flags, 0, &colour, &fill, &style);
  // Corners in the top cell: (l,b), (l,t), (r,b), (r,t).
  double lbx, lby, ltx, lty, rbx, rby, rtx, rty;
  DrawToTop((double)l, (double)b, &lbx, &lby);
  DrawToTop((double)l, (double)t, &ltx, &lty);
  DrawToTop((double)r, (double)b, &rbx, &rby);
  DrawToTop((double)r, (double)t, &rtx, &rty);
  double xs[4] = {lbx, rbx, rtx, ltx}, ys[4] = {lby, rby, rty, lty};
  if (Rd.erasePass && !Rd.selOnly) {
    CanvasPaint p = DrawPaint(0, 0, fill);
    if (fill && !Rd.noFillPass) DrawPolyTop(p, xs, ys, 4);
    DrawLineTop(p, lbx, lby, ltx, lty);
    DrawLineTop(p, ltx, lty, rtx, rty);
    DrawLineTop(p, rtx, rty, rbx, rby);
    DrawLineTop(p, rbx, rby, lbx, lby);
    return;
  }
  struct Edge {
    double x1, y1, x2, y2;
    uint32_t bit;
  } edges[4] = {{lbx, lby, ltx, lty, BOX_SEL_LEFT},
                {lbx, lby, rbx, rby, BOX_SEL_BOTTOM},
                {rbx, rby, rtx, rty, BOX_SEL_RIGHT},
                {ltx, lty, rtx, rty, BOX_SEL_TOP}};
  CanvasPaint pen = DrawPaint(colour, style, fill);
  CanvasPaint sel = DrawPaint(PAL_SELECT, 0, fill);
  for (const Edge& e : edges) {
    if (flags & e.bit) DrawLineTop(sel, e.x1, e.y1, e.x2, e.y2);
    else if (!Rd.selOnly || colour == PAL_SELECT) DrawLineTop(pen, e.x1, e.y1, e.x2, e.y2);
  }
  if (FillWanted(fill)) DrawPolyTop(pen, xs, ys, 4);
  ++Rd.boxesDrawn;
}

// --- paths ------------------------------------------------------------------

static std::vector<int32_t> gVx, gVy;
static std::vector<uint32_t> gVw;
static std::vector<int32_t> gVi;

// The vertex chain of path n; the chain is followed no further than the
// store holds vertices, so a damaged chain can't loop.
static int PathGather(int32_t first) {
  gVx.clear();
  gVy.clear();
  gVw.clear();
  gVi.clear();
  int32_t v = first;
  int64_t guard = Store.vertexCount;
  while (v > 0 && v <= Store.vertexCount && guard-- > 0) {
    const int32_t* r = StoreVertexRec(v);
    if (!r) break;
    gVw.push_back((uint32_t)r[0]);
    gVx.push_back(r[1]);
    gVy.push_back(r[2]);
    gVi.push_back(v);
    v = r[3];
  }
  return (int)gVx.size();
}

static double AngleAt(double dx, double dy) {
  if (dx == 0) return dy > 0 ? kPi / 2 : -kPi / 2;
  return std::atan2(dy, dx);
}

int PathOutline(const int32_t* xs, const int32_t* ys, const uint32_t* words, int n,
                int32_t width) {
  Rd.wx.clear();
  Rd.wy.clear();
  Rd.wv.clear();
  // Repeated vertices make no segment; keep the first of each run.
  std::vector<int> idx;
  idx.reserve(n);
  for (int i = 0; i < n; ++i)
    if (idx.empty() || xs[i] != xs[idx.back()] || ys[i] != ys[idx.back()]) idx.push_back(i);
  int m = (int)idx.size();
  if (m < 2) return 0;
  double hw = std::fabs((double)width) / 2;
  int neg = width < 0;
  // Pairs (right, left) of each segment end, in order.
  std::vector<double> rx, ry, lx, ly;
  std::vector<uint32_t> pw;
  size_t cap = 2 * (size_t)m + 2;
  rx.reserve(cap);
  ry.reserve(cap);
  lx.reserve(cap);
  ly.reserve(cap);
  pw.reserve(cap);
  auto push = [&](double ax, double ay, double bx, double by, uint32_t w) {
    rx.push_back(ax);
    ry.push_back(ay);
    lx.push_back(bx);
    ly.push_back(by);
    pw.push_back(w);
  };
  int prevBevel = 0;
  double prevQ = 0;
  for (int j = 0; j + 1 < m; ++j) {
    int i1 = idx[j], i2 = idx[j + 1];
    double x1 = xs[i1], y1 = ys[i1], x2 = xs[i2], y2 = ys[i2];
    double a = AngleAt(x2 - x1, y2 - y1);
    double ca = std::cos(a), sa = std::sin(a);
    double s = hw * sa, c = hw * ca;
    if (j == 0) {
      double ex = neg ? hw * ca : 0, ey = neg ? hw * sa : 0;
      push(x1 + s - ex, y1 - c - ey, x1 - s - ex, y1 + c - ey, words[i1]);
    }
    if (prevBevel) {
      double qx = prevQ * hw * ca, qy = prevQ * hw * sa;
      push(x1 + s - qx, y1 - c - qy, x1 - s + qx, y1 + c + qy, words[i1]);
    }
    if (j + 2 < m) {
      int i3 = idx[j + 2];
      double a2 = AngleAt(xs[i3] - x2, ys[i3] - y2);
      double turn = a2 - a;
      while (turn > kPi) turn -= 2 * kPi;
      while (turn <= -kPi) turn += 2 * kPi;
      double t = turn / 2;
      double mm, q;
      if (std::fabs(std::cos(t)) < 1e-12) {
        mm = 2 * hw;
        q = 0;
      } else {
        mm = hw * std::tan(t);
        q = mm > 0 ? 1 : mm < 0 ? -1 : 0;
      }
      prevBevel = std::fabs(mm) > hw;
      if (prevBevel) mm = q * hw;
      prevQ = q;
      push(x2 + s + mm * ca, y2 - c + mm * sa, x2 - s - mm * ca, y2 + c - mm * sa, words[i2]);
    } else {
      double ex = neg ? hw * ca : 0, ey = neg ? hw * sa : 0;
      push(x2 + s + ex, y2 - c + ey, x2 - s + ex, y2 + c + ey, words[i2]);
    }
  }
  // Right start, left points forward, right points backward.
  auto out = [&](double x, double y, uint32_t v) {
    Rd.wx.push_back(x);
    Rd.wy.push_back(y);
    Rd.wv.push_back(v);
  };
  size_t k = rx.size();
  out(rx[0], ry[0], pw[0]);
  for (size_t i = 0; i < k; ++i) out(lx[i], ly[i], pw[i]);
  for (size_t i = k; i-- > 1;) out(rx[i], ry[i], pw[i]);
  return (int)Rd.wx.size();
}

static int BothSelected(uint32_t a, uint32_t b) {
  return (a & VERTEX_SELECTED) && (b & VERTEX_SELECTED);
}

void DrawPathVertexMarkers(int32_t n) {
  if (!(Rd.ownFull || Rd.erasePass || Rd.ctrl)) return;
  const int32_t* p = StorePathRec(n);
  if (!p || ((uint32_t)p[0] & TEXT_BIT)) return;
  int layer = (int)((uint32_t)p[0] & FLAG_LAYER_MASK);
  int cnt = PathGather(p[2]);
  for (int i = 0; i < cnt; ++i) {
    int colour;
    if (gVw[i] & VERTEX_SELECTED) colour = Rd.erasePass ? 0 : PAL_SELECT;
    else if (Rd.togs & TOG_VERTS) colour = Rd.erasePass ? 0 : LyrColour(layer);
    else continue;
    DrawMarker(i + 1 < cnt ? MARKER_VERTEX : MARKER_LAST, gVx[i], gVy[i], colour);
  }
}

void DrawPathObj(int32_t n, int k) {
  DrawAbortPoll(256);
  int32_t* rec = StorePathRec(n);
  if (!rec) return;
  uint32_t flags = (uint32_t)rec[0];
  if (flags & TEXT_BIT) {
    DrawTextObj(n, k);
    return;
  }
  LevelScope scope(k);
  int32_t width = rec[1];
  int cnt = PathGather(rec[2]);
  if (cnt < 2) return;
  int64_t minx = 0x20000000, miny = 0x20000000, maxx = -0x20000000, maxy = -0x20000000;
  for (int i = 0; i < cnt; ++i) {
    minx = std::min<int64_t>(minx, gVx[i]);
    maxx = std::max<int64_t>(maxx, gVx[i]);
    miny = std::min<int64_t>(miny, gVy[i]);
    maxy = std::max<int64_t>(maxy, gVy[i]);
  }
  int64_t w = maxx - minx, h = maxy - miny;
  SmallestSeen(w, h);
  if (Rd.fullRes && w == 0 && h == 0) return;
  int64_t aw = width < 0 ? -(int64_t)width : width;
  int32_t smin = Rd.view.objMin;
  if (w < smin && h < smin && aw < smin && !Rd.ctrl && !Rd.fullRes) {
    if (SmallMarkerWanted()) DrawMarker(MARKER_SMALL, gVx[0], gVy[0], Rd.erasePass ? 0 : PAL_SELECT);
    return;
  }
  double L, B, R, T;
  RectToTop((double)(minx - aw), (double)(miny - aw), (double)(maxx + aw), (double)(maxy + aw), &L,
            &B, &R, &T);
  if (ViewMark(rec, flags, MissesView(L, B, R, T))) return;
  int colour, fill, style;
  ObjLook(flags, Rd.erasePass, &colour, &fill, &style);
  CanvasPaint pen = DrawPaint(colour, style, fill);
  CanvasPaint sel = DrawPaint(PAL_SELECT, 0, fill);
  int thin = width == 0 || (aw < smin && !Rd.ctrl);
  const double* px;
  const double* py;
  const uint32_t* pv;
  int pn;
  std::vector<double> tx, ty;
  if (thin) {
    tx.resize(cnt);
    ty.resize(cnt);
    for (int i = 0; i < cnt; ++i) DrawToTop(gVx[i], gVy[i], &tx[i], &ty[i]);
    px = tx.data();
    py = ty.data();
    pv = gVw.data();
    pn = cnt;
  } else {
    pn = PathOutline(gVx.data(), gVy.data(), gVw.data(), cnt, width);
    for (int i = 0; i < pn; ++i) DrawToTop(Rd.wx[i], Rd.wy[i], &Rd.wx[i], &Rd.wy[i]);
    px = Rd.wx.data();
    py = Rd.wy.data();
    pv = Rd.wv.data();
    if (pn < 4) pn = 0;
  }
  int segs = thin ? pn - 1 : pn;
  for (int i = 0; i < segs; ++i) {
    int j = (i + 1) % pn;
    if (!Rd.erasePass && BothSelected(pv[i], pv[j])) DrawLineTop(sel, px[i], py[i], px[j], py[j]);
    else if (!Rd.selOnly || colour == PAL_SELECT) DrawLineTop(pen, px[i], py[i], px[j], py[j]);
  }
  if (FillWanted(fill) && pn > 0) {
    if (!thin) DrawPolyTop(pen, px, py, pn);
    else if (width == 0 && gVx[0] == gVx[cnt - 1] && gVy[0] == gVy[cnt - 1]) DrawPolyTop(pen, px, py, pn);
  }
  ++Rd.pathsDrawn;
  if (!Rd.inInst) DrawPathVertexMarkers(n);
}

// --- texts ------------------------------------------------------------------

static int64_t gPen = 0;

int32_t TextSizeRound(double v) {
  if (!(v > 0)) return 15;
  double m = std::floor(v / 15 + 0.5);
  if (m < 1) m = 1;
  if (m > 600000) m = 600000;
  return (int32_t)(m * 15);
}

int32_t DrawGlyph(int code, int k, int32_t x0, int32_t y0, int32_t size, int orient, int index,
                  const CanvasPaint& p) {
  if (index == 0) gPen = 0;
  if (code < 32 || code > 127) return 0;
  const uint8_t* slot = TffSlot(code);
  int64_t sz = size;
  int64_t wmax = 0;
  int empty = !slot || slot[0] == TFF_END;
  int draw = !(Rd.selOnly && p.colour != PAL_SELECT);
  if (!empty) {
    int save = Rd.xfLevel;
    Rd.xfLevel = k;
    int pos = 0, start = 0, count = 0;
    double xs[TFF_SLOT], ys[TFF_SLOT];
    while (TffStrokeNext(slot, &pos, &start, &count)) {
      int np = 0;
      for (int i = 0; i < count && np < TFF_SLOT; ++i) {
        int gx = slot[start + i] >> 4, gy = slot[start + i] & 15;
        int64_t sx = sz * gx / 15;
        wmax = std::max(wmax, sx);
        int64_t ox, oy;
        OrientPoint(orient, sx + gPen, sz * gy / 15, &ox, &oy);
        DrawToTop((double)(ox + x0), (double)(oy + y0), &xs[np], &ys[np]);
        ++np;
      }
      if (!draw) continue;
      for (int i = 0; i + 1 < np; ++i) DrawLineTop(p, xs[i], ys[i], xs[i + 1], ys[i + 1]);
      if (np == 1) DrawLineTop(p, xs[0], ys[0], xs[0], ys[0]);
      int closed = np > 2 && slot[start] == slot[start + count - 1];
      if (closed && p.fill && !Rd.noFillPass && !Rd.selOnly) DrawPolyTop(p, xs, ys, np);
    }
    Rd.xfLevel = save;
  }
  if (wmax == 0) wmax = sz / 3;
  int64_t adv = wmax + (int64_t)(0.26667 * (double)sz);
  gPen += adv;
  return (int32_t)adv;
}

void DrawTextObj(int32_t n, int k) {
  if (Rd.togs & TOG_TEXTS) return;
  int32_t* rec = StorePathRec(n);
  if (!rec) return;
  LevelScope scope(k);
  uint32_t flags = (uint32_t)rec[0];
  // Texts below the least size are drawn at it; the stored size stays.
  int32_t size = rec[1] < 15 ? 15 : rec[1];
  const int32_t* ref = StoreVertexRec(rec[2]);
  if (rec[2] < 1 || rec[2] > Store.vertexCount || !ref) return;
  int32_t x0 = ref[1], y0 = ref[2];
  int chars = 0;
  int64_t guard = Store.vertexCount;
  for (int32_t v = ref[3]; v > 0 && v <= Store.vertexCount && guard-- > 0;) {
    const int32_t* r = StoreVertexRec(v);
    if (!r) break;
    ++chars;
    v = r[3];
  }
  int orient = (int)((flags >> ORIENT_SHIFT) & ORIENT_MASK);
  int64_t ew = (int64_t)size * 8 * chars;
  int64_t ex, ey;
  OrientPoint(orient, ew, size, &ex, &ey);
  double l = x0, b = y0, r = (double)(x0 + ex), t = (double)(y0 + ey);
  if (l > r) std::swap(l, r);
  if (b > t) std::swap(b, t);
  if (size < Rd.view.objMin && !Rd.ctrl && !Rd.fullRes) {
    if (SmallMarkerWanted()) DrawMarker(MARKER_SMALL, x0, y0, Rd.erasePass ? 0 : PAL_SELECT);
    if (!Rd.convertText) return;
  }
  double L, B, R, T;
  RectToTop(l, b, r, t, &L, &B, &R, &T);
  if (ViewMark(rec, flags, MissesView(L, B, R, T) && !Rd.convertText)) return;
  int colour, fill, style;
  ObjLook(flags, Rd.erasePass, &colour, &fill, &style);
  if (!Rd.printing && (Rd.ownFull || Rd.ctrl || Rd.instErase))
    DrawMarker(MARKER_SMALL, x0, y0, (flags & PATH_SELECTED) && !Rd.erasePass ? PAL_SELECT : colour);
  CanvasPaint pen = DrawPaint(colour, style, fill);
  char text[1024];
  int len = StoreTextGet(n, text, sizeof text);
  int index = 0;
  for (int i = 0; i < len; ++i) {
    int c = (unsigned char)text[i];
    if (c < 32 || c > 127) continue;
    DrawGlyph(c, k, x0, y0, size, orient, index++, pen);
  }
  ++Rd.textsDrawn;
}

void DrawCellName(const char* name, int32_t l, int32_t b, int32_t r, int32_t t) {
  if (!name || !name[0] || !(Rd.togs & TOG_NAMES)) return;
  int64_t w = (int64_t)r - l, h = (int64_t)t - b;
  if (w < 0) w = -w;
  if (h < 0) h = -h;
  int32_t size = TextSizeRound((double)std::min(w, h) / 12);
  int32_t x0 = std::min(l, r) + size / 2, y0 = std::min(b, t);
  CanvasPaint p = DrawPaint(Rd.nameColour, 0, 0);
  int save = Rd.xfLevel;
  Rd.xfLevel = -1;
  int index = 0;
  for (const char* s = name; *s; ++s) DrawGlyph((unsigned char)*s, -1, x0, y0, size, 0, index++, p);
  Rd.xfLevel = save;
}

// --- single objects and marked objects --------------------------------------

void BoxErase(int32_t n) {
  Rd.erasePass = 1;
  DrawBox(n, -1);
  Rd.erasePass = 0;
}

void BoxRedraw(int32_t n) {
  int32_t* r = StoreBoxRec(n);
  if (r) r[0] = (int32_t)((uint32_t)r[0] & ~(uint32_t)OBJ_MARKED);
  DrawBox(n, -1);
}

void PathErase(int32_t n) {
  Rd.ownFull = 1;
  Rd.erasePass = 1;
  DrawPathObj(n, -1);
  Rd.erasePass = 0;
  Rd.ownFull = 0;
}

void PathRedraw(int32_t n) {
  int32_t* r = StorePathRec(n);
  if (r) r[0] = (int32_t)((uint32_t)r[0] & ~(uint32_t)OBJ_MARKED);
  Rd.ownFull = 1;
  DrawPathObj(n, -1);
  Rd.ownFull = 0;
}

static int OffShown(int layer) {
  if (Rw.singleLayer) return layer != Rw.singleLayerNo;
  return !LyrView.viewOverride && !LyrViewTest(layer);
}

// The selected objects of one kind: pass 1 all of them in the selection
// colour only, pass 0 those on layers the view leaves out.
static void DrawMarked(int pass, int32_t count, int32_t* (*recOf)(int32_t), uint32_t selBits,
                       void (*draw)(int32_t, int)) {
  int saveSel = Rd.selOnly;
  if (pass) Rd.selOnly = 1;
  for (int32_t i = 1; i <= count; ++i) {
    if (DrawAbortPoll(256)) break;
    const int32_t* r = recOf(i);
    if (!r || !((uint32_t)r[0] & selBits)) continue;
    if (!pass && !OffShown((int)((uint32_t)r[0] & FLAG_LAYER_MASK))) continue;
    draw(i, -1);
  }
  Rd.selOnly = saveSel;
}

void DrawMarkedBoxes(int pass) { DrawMarked(pass, Store.boxCount, StoreBoxRec, BOX_SEL_ALL, DrawBox); }

void DrawMarkedPaths(int pass) { DrawMarked(pass, Store.pathCount, StorePathRec, PATH_SELECTED, DrawPathObj); }
