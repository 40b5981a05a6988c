#include "cnvgeom.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"

namespace {

const double kPi = 3.1415926;

int Same(const CnvPath* p, int i, int j) { return p->x[i] == p->x[j] && p->y[i] == p->y[j]; }

// Turn between segments a and b, folded into 0..pi.
double Turn(double ax, double ay, double bx, double by) {
  double t = std::fabs(std::atan2(by, bx) - std::atan2(ay, ax));
  if (t > kPi) t = 6.2831853 - t;
  return t;
}

// The corner at vertex j between i -> j and j -> k.
void Corner(const CnvGeom* g, const CnvPath* p, int i, int j, int k, int closing) {
  double ax = (double)p->x[j] - p->x[i], ay = (double)p->y[j] - p->y[i];
  double bx = (double)p->x[k] - p->x[j], by = (double)p->y[k] - p->y[j];
  if ((ax == 0 && ay == 0) || (bx == 0 && by == 0)) {
    CnvNote(g, "Duplicate Vertices", p->x[j], p->y[j], p->lyr);
    return;
  }
  if (Turn(ax, ay, bx, by) > 1.571) {
    if (closing)
      CnvNote(g, "Acute Poly Angle when Closed", p->x[0], p->y[0], p->lyr);
    else
      CnvNote(g, "Acute Poly/Path Angle in Poly", p->x[j], p->y[j], p->lyr);
  }
}

// A question about the element at (x, y): "<what> at X.. in <cell>".
int Ask(const CnvGeom* g, const char* what, const char* question, int32_t x, int32_t y, int layer) {
  char where[96], head[256];
  CnvWhere(g, where, sizeof where, x, y, layer);
  snprintf(head, sizeof head, "%s at %s in %s", what, where, g->cell ? g->cell : "");
  return CnvAskText(g, head, question);
}

}  // namespace

int64_t CnvRound(double v) { return v < 0 ? -(int64_t)std::floor(-v + 0.5) : (int64_t)std::floor(v + 0.5); }

void CnvWhere(const CnvGeom* g, char* out, size_t size, int32_t x, int32_t y, int layer) {
  double sc = g->scale > 0 ? g->scale : 1;
  snprintf(out, size, "X=%.*g Y=%.*g L=%d", 9, x / sc, 9, y / sc, layer);
}

void CnvNoteText(const CnvGeom* g, const char* text) {
  if (g->list) g->list(g->ctx, text);
}

void CnvNote(const CnvGeom* g, const char* what, int32_t x, int32_t y, int layer) {
  char where[96], msg[256];
  CnvWhere(g, where, sizeof where, x, y, layer);
  snprintf(msg, sizeof msg, "%s at %s in %s", what, where, g->cell ? g->cell : "");
  CnvNoteText(g, msg);
}

int CnvAskText(const CnvGeom* g, const char* head, const char* question) {
  char msg[400];
  snprintf(msg, sizeof msg, "%s\n\n%s", head, question);
  if (HostMsgBox(msg, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDOK) return 1;
  if (g->abortFlag) *g->abortFlag = 1;
  return 0;
}

void CnvDupRemove(const CnvGeom* g, CnvPath* p) {
  int i = 1;
  while (i < p->nv) {
    if (Same(p, i, i - 1)) {
      CnvNote(g, "Duplicate Vertex Removed", p->x[i], p->y[i], p->lyr);
      memmove(&p->x[i], &p->x[i + 1], sizeof p->x[0] * (size_t)(p->nv - i - 1));
      memmove(&p->y[i], &p->y[i + 1], sizeof p->y[0] * (size_t)(p->nv - i - 1));
      --p->nv;
    } else {
      ++i;
    }
  }
}

void CnvAngleCheck(const CnvGeom* g, const CnvPath* p) {
  for (int i = 0; i + 2 < p->nv; ++i) Corner(g, p, i, i + 1, i + 2, 0);
}

void CnvClosingAngleCheck(const CnvGeom* g, const CnvPath* p) {
  int n = p->nv;
  if (n < 4) return;
  Corner(g, p, n - 3, n - 2, n - 1, 1);
  Corner(g, p, n - 2, 0, 1, 1);
}

int CnvCirculationOk(const CnvPath* p) {
  int n = p->nv;
  if (n < 4 || !Same(p, 0, n - 1)) return 1;
  // Distinct corners, the closing repeat of the first left out.
  static int idx[CNV_PVSIZ + 1];
  int m = 0;
  for (int i = 0; i < n - 1 && m <= CNV_PVSIZ; ++i) {
    if (m > 0 && Same(p, i, idx[m - 1])) continue;
    idx[m++] = i;
  }
  while (m > 1 && Same(p, idx[m - 1], idx[0])) --m;
  double sum = 0;
  if (m >= 2) {
    double prev = 0;
    for (int k = 0; k <= m; ++k) {
      int a = idx[k % m], b = idx[(k + 1) % m];
      double dir = std::atan2((double)p->y[b] - p->y[a], (double)p->x[b] - p->x[a]);
      if (k > 0) sum += AngleWrap(dir - prev);
      prev = dir;
    }
  }
  double s = std::fabs(sum);
  return s > 6.220353447 && s < 6.346017153;
}

void PolyCirculationCheck(const CnvGeom* g, const CnvPath* p) {
  if (CnvCirculationOk(p)) return;
  char where[96], msg[160];
  CnvWhere(g, where, sizeof where, p->x[0], p->y[0], p->lyr);
  snprintf(msg, sizeof msg, "Poly Circulation not 360 deg at %s", where);
  CnvNoteText(g, msg);
}

void BoxToPoly(const CnvBox* b, CnvPath* p) {
  const int32_t xs[5] = {b->l, b->r, b->r, b->l, b->l};
  const int32_t ys[5] = {b->b, b->b, b->t, b->t, b->b};
  p->lyr = b->lyr;
  p->w = 0;
  p->nv = 5;
  p->cut = 0;
  for (int i = 0; i < 5; ++i) {
    p->x[i] = xs[i];
    p->y[i] = ys[i];
  }
}

namespace {

// The two sides of an outline as they are built: right and left offsets,
// one pair per used vertex and per cut corner.
struct Sides {
  int n;
  int32_t rx[2 * (CNV_PVSIZ + 1)], ry[2 * (CNV_PVSIZ + 1)];
  int32_t lx[2 * (CNV_PVSIZ + 1)], ly[2 * (CNV_PVSIZ + 1)];
};

int32_t Clamp32(int64_t v) { return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : (int32_t)v; }

void PairAdd(Sides* s, double rx, double ry, double lx, double ly) {
  if (s->n >= 2 * (CNV_PVSIZ + 1)) return;
  s->rx[s->n] = Clamp32(CnvRound(rx));
  s->ry[s->n] = Clamp32(CnvRound(ry));
  s->lx[s->n] = Clamp32(CnvRound(lx));
  s->ly[s->n] = Clamp32(CnvRound(ly));
  ++s->n;
}

}  // namespace

int PathToPoly(const CnvPath* p, CnvRing* ring) {
  ring->n = 0;
  // Repeated points make no segment: they are passed over.
  static int32_t vx[CNV_PVSIZ + 1], vy[CNV_PVSIZ + 1];
  int m = 0;
  for (int i = 0; i < p->nv && i <= CNV_PVSIZ; ++i) {
    if (m > 0 && vx[m - 1] == p->x[i] && vy[m - 1] == p->y[i]) continue;
    vx[m] = p->x[i];
    vy[m] = p->y[i];
    ++m;
  }
  if (m < 2) return 0;
  double hw = (double)((p->w < 0 ? -(int64_t)p->w : (int64_t)p->w) / 2);
  double ext = p->w < 0 ? hw : 0;
  static Sides s;
  s.n = 0;
  int clipped = 0;
  double sign = 0;
  for (int k = 1; k < m; ++k) {
    double qx = vx[k - 1], qy = vy[k - 1], px = vx[k], py = vy[k];
    double a = std::atan2(py - qy, px - qx);
    double ux = std::cos(a), uy = std::sin(a);
    double nx = -uy, ny = ux;
    if (k == 1) {
      PairAdd(&s, qx - hw * nx - ext * ux, qy - hw * ny - ext * uy, qx + hw * nx - ext * ux, qy + hw * ny - ext * uy);
    } else if (clipped) {
      PairAdd(&s, qx - hw * nx - sign * hw * ux, qy - hw * ny - sign * hw * uy, qx + hw * nx + sign * hw * ux,
              qy + hw * ny + sign * hw * uy);
      clipped = 0;
    }
    if (k + 1 < m) {
      double t = (std::atan2((double)vy[k + 1] - py, (double)vx[k + 1] - px) - a) / 2;
      double b;
      double c = std::cos(t);
      if (std::fabs(c) < 1e-12) {
        b = 0;
        sign = 0;
        clipped = 1;
      } else {
        double A = hw * std::sin(t) / c;
        sign = A > 0 ? 1 : A < 0 ? -1 : 0;
        if (std::fabs(A) > hw) {
          clipped = 1;
          b = hw * sign;
        } else {
          b = A;
        }
      }
      PairAdd(&s, px - hw * nx + b * ux, py - hw * ny + b * uy, px + hw * nx - b * ux, py + hw * ny - b * uy);
    } else {
      PairAdd(&s, px - hw * nx + ext * ux, py - hw * ny + ext * uy, px + hw * nx + ext * ux, py + hw * ny + ext * uy);
    }
  }
  if (s.n < 2) return 0;
  int n = 0;
  ring->x[n] = s.rx[0];
  ring->y[n++] = s.ry[0];
  for (int i = 0; i < s.n; ++i) {
    ring->x[n] = s.lx[i];
    ring->y[n++] = s.ly[i];
  }
  for (int i = s.n - 1; i >= 0; --i) {
    ring->x[n] = s.rx[i];
    ring->y[n++] = s.ry[i];
  }
  ring->n = n;
  return 1;
}

namespace {

// A whole-unit shift of hw along (dx, dy), each component moved a hair
// away from zero before it is truncated.
void Shift(double dx, double dy, int32_t hw, int64_t* sx, int64_t* sy) {
  double a = std::atan2(dy, dx);
  double cx = hw * std::cos(a), cy = hw * std::sin(a);
  cx += cx > 0 ? 0.001 : cx < 0 ? -0.001 : 0;
  cy += cy > 0 ? 0.001 : cy < 0 ? -0.001 : 0;
  *sx = (int64_t)cx;
  *sy = (int64_t)cy;
}

// One end: vertex e moves toward its neighbour f. 0 when the end segment
// is no longer than the pull (the end would fold over), 2 when e and f
// coincide, else 1 with the shift.
int EndShift(const CnvGeom* g, const CnvPath* p, int e, int f, int32_t hw, int64_t* sx, int64_t* sy) {
  double dx = (double)p->x[f] - p->x[e], dy = (double)p->y[f] - p->y[e];
  *sx = *sy = 0;
  if (dx == 0 && dy == 0) {
    CnvNote(g, "Possible Coincidence", p->x[e], p->y[e], p->lyr);
    return 2;
  }
  Shift(dx, dy, hw, sx, sy);
  int64_t len = (int64_t)std::sqrt(dx * dx + dy * dy);
  int64_t slen = (int64_t)std::sqrt((double)(*sx * *sx + *sy * *sy));
  if (len < slen + 10) CnvNote(g, "Questionable Path End", p->x[e], p->y[e], p->lyr);
  return 1;
}

}  // namespace

int PathEndsPullIn(const CnvGeom* g, CnvPath* p) {
  int n = p->nv;
  if (n < 2 || p->w <= 0) return 1;
  CnvNote(g, "Path Ends Extended", p->x[0], p->y[0], p->lyr);
  int32_t hw = p->w / 2;
  int64_t fx, fy, lx, ly;
  int first = EndShift(g, p, 0, 1, hw, &fx, &fy);
  int last = EndShift(g, p, n - 1, n - 2, hw, &lx, &ly);
  // An end no longer than the pull would turn back on itself: its ground is
  // kept only by the outline. Two points pulled toward each other meet half
  // way.
  double need = n == 2 ? 2.0 * hw : (double)hw;
  double l0 = std::hypot((double)p->x[1] - p->x[0], (double)p->y[1] - p->y[0]);
  double l1 = std::hypot((double)p->x[n - 2] - p->x[n - 1], (double)p->y[n - 2] - p->y[n - 1]);
  if ((first == 1 && l0 <= need) || (last == 1 && l1 <= need)) return 0;
  if (last == 1) {
    p->x[n - 1] = Clamp32(p->x[n - 1] + lx);
    p->y[n - 1] = Clamp32(p->y[n - 1] + ly);
  }
  if (first == 1) {
    p->x[0] = Clamp32(p->x[0] + fx);
    p->y[0] = Clamp32(p->y[0] + fy);
  }
  return 1;
}

int BoxCheck(const CnvGeom* g, const CnvBox* b) {
  if (b->l != b->r && b->b != b->t) return 1;
  char where[96], msg[256];
  CnvWhere(g, where, sizeof where, b->l, b->b, b->lyr);
  if (!g->mpp) {
    snprintf(msg, sizeof msg, "Crushed Box at %s %s", where, g->cell ? g->cell : "");
    CnvNoteText(g, msg);
    return 1;
  }
  if (!Ask(g, "Crushed Box", "Remove It or Cancel Conversion?", b->l, b->b, b->lyr)) return 0;
  CnvNote(g, "Crushed Box Removed", b->l, b->b, b->lyr);
  return 0;
}

int PolyCleanUp(const CnvGeom* g, CnvPath* p) {
  int n = p->nv;
  int32_t x0 = n > 0 ? p->x[0] : 0, y0 = n > 0 ? p->y[0] : 0;
  if (n <= 1) {
    CnvNote(g, "Single Point Removed", x0, y0, p->lyr);
    return 0;
  }
  int closed = Same(p, 0, n - 1);
  if (!g->mpp) {
    if (p->w != 0) return 1;
    if (n == 2) {
      p->w = 2;
      CnvNote(g, "Line Segment Changed to Path", x0, y0, p->lyr);
      return 1;
    }
    if (n == 3 && closed) {
      CnvNote(g, "Folded Poly", x0, y0, p->lyr);
      return 0;
    }
    if (!closed) {
      p->w = 2;
      CnvNote(g, "Open Poly Changed to Path", x0, y0, p->lyr);
    }
    return 1;
  }
  CnvAngleCheck(g, p);
  if (p->w != 0) return 1;
  PolyCirculationCheck(g, p);
  if (n == 2) {
    if (!Ask(g, "Line Segment", "Remove It or Cancel Conversion?", x0, y0, p->lyr)) return 0;
    CnvNote(g, "Line Segment Removed", x0, y0, p->lyr);
    return 0;
  }
  if (n == 3 && closed) {
    if (!Ask(g, "Folded Poly", "Remove It or Cancel Conversion?", x0, y0, p->lyr)) return 0;
    CnvNote(g, "Folded Poly Removed", x0, y0, p->lyr);
    return 0;
  }
  if (!closed) {
    if (!Ask(g, "Open Poly", "Close It or Cancel Conversion?", x0, y0, p->lyr)) return 0;
    // The record keeps one spare place, so even a full one can be closed.
    if (n <= CNV_PVSIZ) {
      p->x[n] = x0;
      p->y[n] = y0;
      p->nv = n + 1;
      CnvNote(g, "Open Poly Closed", x0, y0, p->lyr);
    }
    CnvClosingAngleCheck(g, p);
  }
  return 1;
}
