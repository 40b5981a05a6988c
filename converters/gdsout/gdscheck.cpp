// Checks of boxes and path records before they become GDSII elements: what
// a reader would reject is removed, what can be repaired is repaired, the
// rest is reported.
#include <cmath>
#include <cstring>

#include "cnvcommon.h"
#include "gdsout.h"
#include "host.h"

namespace {

const double kPi = 3.1415926;

// "X=.. Y=.. L=.." of a point in TLC physical units.
void Where(GdsOutState* st, char* out, size_t size, int32_t x, int32_t y, int layer) {
  double sc = st->tlcScale > 0 ? st->tlcScale : 1;
  snprintf(out, size, "X=%.*g Y=%.*g L=%d", 9, x / sc, 9, y / sc, layer);
}

// A note "<what> at X=.. Y=.. L=.. in <cell>".
void Note(GdsOutState* st, const char* what, int32_t x, int32_t y, int layer) {
  char where[96], msg[256];
  Where(st, where, sizeof where, x, y, layer);
  snprintf(msg, sizeof msg, "%s at %s in %s", what, where, st->curCell);
  GdsOutList(st, msg);
}

// The protocol question "<what> at X=.. Y=.. L=..\n\n<question>"; 1 on OK,
// 0 on Cancel (the conversion ends).
int Ask(GdsOutState* st, const char* what, const char* question, int32_t x, int32_t y, int layer) {
  char where[96], msg[256];
  Where(st, where, sizeof where, x, y, layer);
  snprintf(msg, sizeof msg, "%s at %s\n\n%s", what, where, question);
  if (HostMsgBox(msg, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDOK) return 1;
  st->abort = 1;
  return 0;
}

// Turn between segments a and b, folded into 0..pi.
double Turn(double ax, double ay, double bx, double by) {
  double t = std::fabs(std::atan2(by, bx) - std::atan2(ay, ax));
  if (t > kPi) t = 6.2831853 - t;
  return t;
}

// Checks the corner at vertex j between i -> j and j -> k.
void Corner(GdsOutState* st, const CnvPath* p, int i, int j, int k, int closing) {
  double ax = (double)p->x[j] - p->x[i], ay = (double)p->y[j] - p->y[i];
  double bx = (double)p->x[k] - p->x[j], by = (double)p->y[k] - p->y[j];
  if ((ax == 0 && ay == 0) || (bx == 0 && by == 0)) {
    Note(st, "Duplicate Vertices", p->x[j], p->y[j], p->lyr);
    return;
  }
  if (Turn(ax, ay, bx, by) > 1.571) {
    if (closing)
      Note(st, "Acute Poly Angle when Closed", p->x[0], p->y[0], p->lyr);
    else
      Note(st, "Acute Poly/Path Angle in Poly", p->x[j], p->y[j], p->lyr);
  }
}

void AngleCheck(GdsOutState* st, const CnvPath* p) {
  for (int i = 0; i + 2 < p->nv; ++i) Corner(st, p, i, i + 1, i + 2, 0);
}

// After a polygon was closed: the two corners the closing made.
void ClosingAngleCheck(GdsOutState* st, const CnvPath* p) {
  int n = p->nv;
  if (n < 4) return;
  Corner(st, p, n - 3, n - 2, n - 1, 1);
  Corner(st, p, n - 2, 0, 1, 1);
}

void CirculationCheck(GdsOutState* st, const CnvPath* p) {
  int n = p->nv;
  if (n < 4 || p->x[0] != p->x[n - 1] || p->y[0] != p->y[n - 1]) return;
  // Distinct corners, the closing repeat of the first left out.
  int idx[CNV_PVSIZ + 1];
  int m = 0;
  for (int i = 0; i < n - 1; ++i) {
    if (m > 0 && p->x[i] == p->x[idx[m - 1]] && p->y[i] == p->y[idx[m - 1]]) continue;
    idx[m++] = i;
  }
  while (m > 1 && p->x[idx[m - 1]] == p->x[idx[0]] && p->y[idx[m - 1]] == p->y[idx[0]]) --m;
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
  if (!(s > 6.220353447 && s < 6.346017153)) Note(st, "Poly Circulation not 360 deg", p->x[0], p->y[0], p->lyr);
}

}  // namespace

int GdsCheckBox(GdsOutState* st, const CnvBox* b) {
  if (b->l != b->r && b->b != b->t) return 1;
  if (!st->mpp) {
    Note(st, "Crushed Box", b->l, b->b, b->lyr);
    return 1;
  }
  if (!Ask(st, "Crushed Box", "Remove or Cancel Conversion?", b->l, b->b, b->lyr)) return 0;
  Note(st, "Crushed Box Removed", b->l, b->b, b->lyr);
  return 0;
}

int GdsCheckPath(GdsOutState* st, CnvPath* p) {
  int i = 1;
  while (i < p->nv) {
    if (p->x[i] == p->x[i - 1] && p->y[i] == p->y[i - 1]) {
      Note(st, "Duplicate Vertex Removed", p->x[i], p->y[i], p->lyr);
      memmove(&p->x[i], &p->x[i + 1], sizeof p->x[0] * (size_t)(p->nv - i - 1));
      memmove(&p->y[i], &p->y[i + 1], sizeof p->y[0] * (size_t)(p->nv - i - 1));
      --p->nv;
    } else {
      ++i;
    }
  }
  int n = p->nv;
  int32_t x0 = n > 0 ? p->x[0] : 0, y0 = n > 0 ? p->y[0] : 0;
  if (n > GDSOUT_MAXVERTS) {
    char what[64];
    snprintf(what, sizeof what, "More than %d Vertices in Poly", GDSOUT_MAXVERTS);
    Note(st, what, x0, y0, p->lyr);
  }
  if (n <= 1) {
    Note(st, "Single Point Removed", x0, y0, p->lyr);
    return GCHK_DROP;
  }
  int closed = p->x[n - 1] == x0 && p->y[n - 1] == y0;
  if (!st->mpp) {
    if (p->w != 0) return GCHK_WRITE;
    if (n == 2) {
      Note(st, "Poly Line Segment Changed to Path", x0, y0, p->lyr);
      return GCHK_ASPATH;
    }
    if (n == 3 && closed) {
      Note(st, "Folded Poly", x0, y0, p->lyr);
      return GCHK_DROP;
    }
    if (!closed) {
      Note(st, "Open Poly Changed to Path", x0, y0, p->lyr);
      return GCHK_ASPATH;
    }
    return GCHK_WRITE;
  }

  AngleCheck(st, p);
  if (p->w == 0) CirculationCheck(st, p);
  if (p->w != 0) return GCHK_WRITE;
  if (n == 2) {
    if (!Ask(st, "Line Segment", "Remove or Cancel Conversion?", x0, y0, p->lyr)) return GCHK_DROP;
    Note(st, "Line Segment Removed", x0, y0, p->lyr);
    return GCHK_DROP;
  }
  if (n == 3 && closed) {
    if (!Ask(st, "Folded Poly", "Remove or Cancel Conversion?", x0, y0, p->lyr)) return GCHK_DROP;
    char where[96], msg[256];
    Where(st, where, sizeof where, x0, y0, p->lyr);
    snprintf(msg, sizeof msg, "Folded Poly Removed at %sin %s", where, st->curCell);
    GdsOutList(st, msg);
    return GCHK_DROP;
  }
  if (!closed) {
    if (!Ask(st, "Open Poly", "Close or Cancel Conversion?", x0, y0, p->lyr)) return GCHK_DROP;
    // The record keeps one spare place, so even a full one can be closed.
    if (n < CNV_PVSIZ + 1) {
      Note(st, "Open Poly Closed", x0, y0, p->lyr);
      p->x[n] = x0;
      p->y[n] = y0;
      p->nv = n + 1;
      ClosingAngleCheck(st, p);
    }
    return GCHK_WRITE;
  }
  return GCHK_WRITE;
}
