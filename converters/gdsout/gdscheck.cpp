// Checks of boxes and path records before they become GDSII elements: what
// a reader would reject is removed, what can be repaired is repaired, the
// rest is reported.
#include <cstring>

#include "cnvcommon.h"
#include "cnvgeom.h"
#include "gdsout.h"
#include "host.h"

namespace {

void ListTo(void* ctx, const char* text) { GdsOutList(static_cast<GdsOutState*>(ctx), text); }

// The shared checks see the conversion through this.
CnvGeom Geom(GdsOutState* st) { return CnvGeom{st->tlcScale, st->mpp, st->curCell, &st->abort, ListTo, st}; }

void Where(GdsOutState* st, char* out, size_t size, int32_t x, int32_t y, int layer) {
  const CnvGeom g = Geom(st);
  CnvWhere(&g, out, size, x, y, layer);
}

void Note(GdsOutState* st, const char* what, int32_t x, int32_t y, int layer) {
  const CnvGeom g = Geom(st);
  CnvNote(&g, what, x, y, layer);
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

void CirculationCheck(GdsOutState* st, const CnvPath* p) {
  if (!CnvCirculationOk(p)) Note(st, "Poly Circulation not 360 deg", p->x[0], p->y[0], p->lyr);
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
  const CnvGeom g = Geom(st);
  CnvDupRemove(&g, p);
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

  CnvAngleCheck(&g, p);
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
      CnvClosingAngleCheck(&g, p);
    }
    return GCHK_WRITE;
  }
  return GCHK_WRITE;
}
