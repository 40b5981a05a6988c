#include "view.h"

#include <cmath>
#include <cstdio>
#include <cstring>

ViewState View;

static const double kHalfPi = 1.57079632679489661923;

void ViewReset() { View = ViewState(); }

int32_t RoundNear(double v) {
  if (!std::isfinite(v)) return 0;
  double r = v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5);
  if (r >= 2147483647.0) return INT32_MAX;
  if (r <= -2147483648.0) return INT32_MIN;
  return (int32_t)r;
}

int32_t RoundClamp(double v) {
  if (std::isnan(v)) return 0;
  if (v >= (double)ROUND_LIMIT) return ROUND_LIMIT;
  if (v <= -(double)ROUND_LIMIT) return -ROUND_LIMIT;
  return RoundNear(v);
}

double AngleOf(double x, double y) {
  if (x == 0) return y > 0 ? kHalfPi : -kHalfPi;
  return std::atan2(y, x);
}

int DrawAreaEmpty(const DrawArea& a) { return a.right - a.left <= 0 || a.bottom - a.top <= 0; }

static const double kWidthMax = 1084479242.24;
static const double kCentreMax = 542239621.12;

void ViewUpdate() {
  ViewState& v = View;
  if (!(v.width >= 100.0)) v.width = 100.0;  // also catches NaN
  if (v.width > kWidthMax) v.width = kWidthMax;
  if (!std::isfinite(v.cx)) v.cx = 0;
  if (!std::isfinite(v.cy)) v.cy = 0;
  double aspect = DrawAreaEmpty(v.area) ? 1.0 : v.area.aspect;
  double h = v.width / 2;
  if (v.cx + h > kCentreMax) v.cx = kCentreMax - h;
  if (v.cx - h < -kCentreMax) v.cx = h - kCentreMax;
  double vv = h * aspect;
  if (v.cy + vv > kCentreMax) v.cy = kCentreMax - vv;
  if (v.cy - vv < -kCentreMax) v.cy = vv - kCentreMax;
  v.cxi = (int32_t)v.cx;  // toward zero; the clamps keep it in range
  v.cyi = (int32_t)v.cy;
  double scale = v.scale > 0 ? v.scale : 1.0;
  v.readX = v.cxi / scale;
  v.readY = v.cyi / scale;
  v.readW = std::trunc(v.width) / scale;
  v.objMin = v.drawres > 0 ? (int32_t)(v.width / v.drawres) : 0;
  v.cellMin = v.celldrawres > 0 ? (int32_t)(v.width / v.celldrawres) : 0;
  if (DrawAreaEmpty(v.area)) return;  // nothing to map onto
  double asp = v.aspectSetup > 0 ? v.aspectSetup : 1.0;
  double hh = (v.width / 2 * aspect) / asp;
  v.winLeft = RoundClamp(v.cxi - v.width / 2);
  v.winRight = RoundClamp(v.cxi + v.width / 2);
  v.winTop = RoundClamp(v.cyi + hh);
  v.winBottom = RoundClamp(v.cyi - hh);
  v.sx = (v.area.right - v.area.left) / v.width;
  v.sy = v.printing ? v.sx : v.sx * asp;
}

void ViewToScreen(int32_t x, int32_t y, int32_t* px, int32_t* py) {
  const ViewState& v = View;
  int32_t sx = RoundClamp((double)(x - (int64_t)v.cxi) * v.sx) + v.area.ox;
  int32_t sy = v.area.oy - RoundClamp((double)(y - (int64_t)v.cyi) * v.sy);
  if (sx < v.area.left) sx = v.area.left;
  if (sx > v.area.right) sx = v.area.right;
  if (sy < v.area.top) sy = v.area.top;
  if (sy > v.area.bottom) sy = v.area.bottom;
  *px = sx;
  *py = sy;
}

void ViewFitExtents(double left, double bottom, double right, double top) {
  ViewState& v = View;
  v.cx = (left + right) / 2;
  v.cy = (bottom + top) / 2;
  double aspect = DrawAreaEmpty(v.area) || v.area.aspect <= 0 ? 1.0 : v.area.aspect;
  double w1 = 1.1 * std::fabs(right - left);
  double w2 = 1.1 * std::fabs(top - bottom) * v.aspectSetup / aspect;
  v.width = w1 > w2 ? w1 : w2;
}

static int MouseToWorld(int mx, int my, int32_t g, int outer, ViewPoint* out) {
  const ViewState& v = View;
  if (DrawAreaEmpty(v.area)) return 0;
  int px = mx, py = my;
  if (px < v.area.left + 1) px = v.area.left + 1;
  if (px > v.area.right - 1) px = v.area.right - 1;
  if (py < v.area.top + 1) py = v.area.top + 1;
  if (py > v.area.bottom - 1) py = v.area.bottom - 1;
  double u = v.width / (v.area.right - v.area.left);
  double asp = v.aspectSetup > 0 ? v.aspectSetup : 1.0;
  double wx = u * (px - v.area.ox) + v.cxi;
  double wy = u * ((v.area.oy - py) / asp) + v.cyi;
  if (outer) {
    out->x = RoundClamp((double)g * RoundClamp(wx / g));
    out->y = RoundClamp((double)g * RoundClamp(wy / g));
  } else {
    out->x = RoundClamp(wx);
    out->y = RoundClamp(wy);
  }
  if (v.polarAllowed) PolarSnap(out);
  ViewToScreen(out->x, out->y, &out->px, &out->py);
  return 1;
}

int GridSnap(int mx, int my) {
  int32_t g = View.grid > 1 ? View.grid : 1;
  return MouseToWorld(mx, my, g, 1, &View.snapped);
}

int CursorFree(int mx, int my) { return MouseToWorld(mx, my, 1, 0, &View.freePt); }

void PolarSnap(ViewPoint* p) {
  const ViewState& v = View;
  if (!(v.togs & TOG_POLAR) || !v.rubberShown) return;
  const ViewPoint& a = v.step == 2 ? v.slot[1] : v.slot[3];
  double g = (v.togs & TOG_SNAP) && v.grid > 1 ? v.grid : 1;
  double ddx = (double)p->x - a.x, ddy = (double)p->y - a.y;
  double sx = ddx >= 0 ? 1 : -1, sy = ddy >= 0 ? 1 : -1;
  double r = std::sqrt(ddx * ddx + ddy * ddy);
  double ang = v.polarAngle * 0.017453292222222222;
  p->y = RoundClamp(g * RoundClamp((a.y + sy * r * std::sin(ang)) / g));
  p->x = RoundClamp(g * RoundClamp((a.x + sx * r * std::cos(ang)) / g));
}

void PolarSet(int ok, double degrees) {
  if (!ok) {
    View.togs &= ~TOG_POLAR;
    return;
  }
  if (!(degrees >= 0)) degrees = 0;  // NaN too
  if (degrees >= 90) degrees = 90;
  View.polarAngle = degrees;
  View.togs |= TOG_POLAR;
}

int Measure(int set, int ctrl, char* text, size_t size) {
  ViewState& v = View;
  if (size) text[0] = '\0';
  if (v.justDrawn) return -1;
  ViewPoint p = (v.togs & TOG_SNAP) ? v.snapped : v.freePt;
  if (set) {
    v.measRef = p;
    v.measLast = p;
    v.measRun = 0;
    v.measChain = 0;
    return 1;  // the reference marker
  }
  if (ctrl && v.measChain) v.measRef = v.measLast;
  double scale = v.scale > 0 ? v.scale : 1.0;
  double dx = ((double)p.x - v.measRef.x) / scale;
  double dy = ((double)p.y - v.measRef.y) / scale;
  double dist = std::sqrt(dx * dx + dy * dy);
  if (ctrl) dist += v.measRun;
  v.measRun = dist;
  v.measLast = p;
  v.measChain = 1;
  double ang = AngleOf(dx, dy) * 57.295780490442965;
  snprintf(text, size, " dx=%.*g  dy=%.*g  dist=%.*g  ang=%.*g", 6, dx, 6, dy, 6, dist, 4, ang);
  return (v.togs & TOG_MARKS) || ctrl ? 1 : 0;
}

static int NameIn(const char* name, const char* const* list) {
  for (; *list; ++list)
    if (name && strcasecmp(name, *list) == 0) return 1;
  return 0;
}

void CursorReadoutText(char* out, size_t size, int toolClass, const char* cmdName,
                       const ViewPoint& p) {
  static const char* const kNoDist[] = {"Qmov", "Cmov", "Wmov", "Get",  "Fget", "Tget",
                                        "Cget", "Wget", "Aget", "Put",  "Fput", "Tput",
                                        "Cput", "Pbeg", "Pend", "Cap",  "Res",  nullptr};
  const ViewState& v = View;
  double scale = v.scale > 0 ? v.scale : 1.0;
  int step = v.step;
  double x = p.x / scale, y = p.y / scale;
  const ViewPoint& prev = step >= 1 && step <= 5 ? v.slot[step - 1] : v.slot[0];
  double dx = ((double)p.x - prev.x) / scale, dy = ((double)p.y - prev.y) / scale;
  int distForm = 0;
  if (toolClass >= 2) {
    if (step == 4) distForm = 1;
    else if (step == 3) distForm = cmdName && strcasecmp(cmdName, "Arc") == 0;
    else if (step == 2) distForm = !NameIn(cmdName, kNoDist);
  }
  if (distForm) {
    double dist = std::sqrt(dx * dx + dy * dy);
    double ang = AngleOf(dx, dy) * 57.295780490442965;
    snprintf(out, size, " x=%.*g  y=%.*g   dx=%.*g  dy=%.*g   dist=%.*g   ang=%.*g", 9, x, 9, y,
             9, dx, 9, dy, 9, dist, 9, ang);
  } else if (step == 1 || step == 3) {
    snprintf(out, size, " x=%.*g  y=%.*g", 9, x, 9, y);
  } else {
    snprintf(out, size, " x=%.*g  y=%.*g   dx=%.*g  dy=%.*g", 9, x, 9, y, 9, dx, 9, dy);
  }
}

int TypedToDb(double v, double scale, int32_t* out) {
  if (!std::isfinite(v) || !std::isfinite(scale)) return 0;
  double d = v * scale;
  if (!std::isfinite(d) || d > (double)ROUND_LIMIT || d < -(double)ROUND_LIMIT) return 0;
  *out = RoundNear(d);
  return 1;
}
