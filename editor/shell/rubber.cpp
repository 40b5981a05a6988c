#include "rubber.h"

#include "view.h"

RubberState Rubber;

void RubberReset() { Rubber = RubberState(); }

RubberFig RubberFigureAt(int x, int y) {
  RubberFig f;
  const RubberState& r = Rubber;
  switch (r.kind) {
    case FIG_LINE:
      f.n = 2;
      f.pts[0][0] = r.ax, f.pts[0][1] = r.ay;
      f.pts[1][0] = x, f.pts[1][1] = y;
      break;
    case FIG_TWO_LINES:
      f.n = 3;
      f.pts[0][0] = r.ax, f.pts[0][1] = r.ay;
      f.pts[1][0] = x, f.pts[1][1] = y;
      f.pts[2][0] = r.tx, f.pts[2][1] = r.ty;
      break;
    case FIG_RECT: {
      f.isRect = 1;
      int l = r.ax < x ? r.ax : x, rt = r.ax < x ? x : r.ax;
      int t = r.ay < y ? r.ay : y, b = r.ay < y ? y : r.ay;
      f.rect[0] = l, f.rect[1] = t, f.rect[2] = rt + 1, f.rect[3] = b + 1;
      break;
    }
    case FIG_PLACE:
      f.isRect = 1;
      f.rect[0] = x + r.placeL, f.rect[1] = y + r.placeB;
      f.rect[2] = x + r.placeR, f.rect[3] = y + r.placeT;
      break;
    default:
      break;
  }
  return f;
}

void BoxOrder(int32_t* l, int32_t* b, int32_t* r, int32_t* t) {
  if (*l > *r) {
    int32_t s = *l;
    *l = *r;
    *r = s;
  }
  if (*b > *t) {
    int32_t s = *b;
    *b = *t;
    *t = s;
  }
}

void PlaceOutlineCalc(int32_t l, int32_t b, int32_t r, int32_t t, double kx, double ky) {
  // Screen y runs down: the bottom edge lies below the cursor.
  Rubber.placeL = RoundClamp(l * kx);
  Rubber.placeB = RoundClamp(-(double)b * ky);
  Rubber.placeR = RoundClamp(r * kx);
  Rubber.placeT = RoundClamp(-(double)t * ky);
}
