#include "ckt_scan.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_state.h"

namespace ckt {


namespace {

const double kPi = 3.14159265358979323846;

int32_t Snap(double v) {
  double r = v >= 0 ? v + 0.5 : v - 0.5;
  if (r > 2147483647.0) return INT32_MAX;
  if (r < -2147483648.0) return INT32_MIN;
  return (int32_t)r;
}

double SegAngle(double xa, double ya, double xb, double yb) {
  if (xb == xa) return yb > ya ? kPi / 2 : -kPi / 2;
  return atan2(yb - ya, xb - xa);
}

void OutPut(CktState& st, int i, double x, double y) {
  if (i < 0 || i >= CKT_OUTLINE_MAX + 8) {
    st.scan.overflow = 1;
    return;
  }
  st.scan.outX[i] = Snap(x);
  st.scan.outY[i] = Snap(y);
}

int Sign(int64_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// Crossings of a ring with the row at doubled height y2 (2y for row y,
// 2y + 1 for the half row above it), or of a column when column is set.
void Crossings(CktState& st, int s, int64_t y2, int column) {
  EdgeSlot& e = st.scan.slot[s];
  int32_t* out = st.scan.cross[s];
  int n = 0;
  st.scan.crossLast[s] = -1;
  if (e.last < 1) return;
  const int32_t* X = column ? e.y : e.x;
  const int32_t* Y = column ? e.x : e.y;
  int prev = 0;
  for (int i = e.last - 1; i >= 0 && !prev; i--) prev = Sign((int64_t)Y[i + 1] - Y[i]);
  if (!prev) return;
  for (int i = 0; i < e.last; i++) {
    if (n >= CKT_OUTLINE_MAX) {
      st.scan.overflow = 1;
      break;
    }
    if (i > 0) {
      int dp = Sign((int64_t)Y[i] - Y[i - 1]);
      if (dp) prev = dp;
    }
    int64_t ya = 2 * (int64_t)Y[i], yb = 2 * (int64_t)Y[i + 1];
    int d = Sign(yb - ya);
    if (ya == y2) {
      if (d != 0 && d == prev) out[n++] = X[i];
    } else if ((ya < y2 && y2 < yb) || (yb < y2 && y2 < ya)) {
      if (X[i] == X[i + 1]) {
        out[n++] = X[i];
      } else {
        double off = (double)((int64_t)X[i + 1] - X[i]) * (double)(y2 - ya) / (double)(yb - ya);
        int64_t v = (int64_t)X[i] + (int64_t)std::trunc(off);
        out[n++] = (int32_t)v;
      }
    }
  }
  st.scan.crossLast[s] = n - 1;
}

int RowMeets(CktState& st, int64_t y2) {
  Crossings(st, 0, y2, 0);
  Crossings(st, 1, y2, 0);
  CrossingSort(st, 0);
  CrossingSort(st, 1);
  return CrossingsOverlap(st);
}

int InClosedSpans(const int32_t* spans, int lastS, int32_t v) {
  for (int k = 0; k + 1 <= lastS; k += 2)
    if (spans[k] <= v && v <= spans[k + 1]) return 1;
  return 0;
}

// A non-vertical edge of either ring spans the open band (a, b).
int SlantInBand(CktState& st, int32_t a, int32_t b) {
  for (int s = 0; s < 2; s++) {
    const EdgeSlot& e = st.scan.slot[s];
    for (int i = 0; i < e.last; i++) {
      int32_t lo = std::min(e.y[i], e.y[i + 1]), hi = std::max(e.y[i], e.y[i + 1]);
      if (lo <= a && hi >= b && e.x[i] != e.x[i + 1]) return 1;
    }
  }
  return 0;
}

// Ranges [a0, a1] and [b0, b1] (any order) share a point.
int RangesMeet(int32_t a0, int32_t a1, int32_t b0, int32_t b1) {
  if (a0 > a1) std::swap(a0, a1);
  if (b0 > b1) std::swap(b0, b1);
  return a0 <= b1 && b0 <= a1;
}

}  // namespace

void ScanReset(CktState& st) {
  int literal = st.scan.literal;
  memset(&st.scan, 0, sizeof st.scan);
  st.scan.literal = literal;
  st.scan.crossLast[0] = st.scan.crossLast[1] = -1;
}

int EdgeListStart(CktState& st, int slot) {
  EdgeSlot& e = st.scan.slot[slot];
  e.x[0] = st.scan.outX[0]; e.y[0] = st.scan.outY[0];
  e.x[1] = st.scan.outX[1]; e.y[1] = st.scan.outY[1];
  e.last = 1;
  return slot;
}

void EdgeListAppend(CktState& st, int32_t x, int32_t y, int slot) {
  EdgeSlot& e = st.scan.slot[slot];
  if (e.x[e.last] != x || e.y[e.last] != y) {
    if (e.last >= CKT_OUTLINE_MAX) {
      st.scan.overflow = 1;
      return;
    }
    e.last++;
  }
  e.x[e.last] = x;
  e.y[e.last] = y;
}

void OutlineEdgeAppend(CktState& st, int j, int slot) {
  EdgeSlot& e = st.scan.slot[slot];
  if (e.last >= CKT_OUTLINE_MAX) {
    st.scan.overflow = 1;
    return;
  }
  EdgeListAppend(st, e.x[e.last], e.y[e.last], slot);
  EdgeListAppend(st, st.scan.outX[j], st.scan.outY[j], slot);
}

void PolygonToEdgeList(CktState& st, int slot) {
  EdgeListStart(st, slot);
  for (int i = 1; i <= st.scan.outLast - 1; i++) {
    if (st.scan.slot[slot].last >= CKT_OUTLINE_MAX) {
      st.scan.overflow = 1;
      break;
    }
    EdgeListAppend(st, st.scan.outX[i], st.scan.outY[i], slot);
    EdgeListAppend(st, st.scan.outX[i + 1], st.scan.outY[i + 1], slot);
  }
}

void PathOutlineToEdgeList(CktState& st, int slot) {
  int last = st.scan.outLast;
  if (last < 3) return;
  EdgeListStart(st, slot);
  for (int j = 3; j <= last; j += 2) OutlineEdgeAppend(st, j, slot);
  for (int i = last - 1; i >= 0; i -= 2) OutlineEdgeAppend(st, i, slot);
}

int PathSegmentOffsets(CktState& st, double h, int first, int hasNext, int extended) {
  double x0 = st.scan.x0, y0 = st.scan.y0, x1 = st.scan.x1, y1 = st.scan.y1;
  double a = SegAngle(x0, y0, x1, y1);
  double p = h * sin(a), q = h * cos(a);
  int last = st.scan.outLast;
  if (first) {
    double rx = x0 + p, ry = y0 - q, lx = x0 - p, ly = y0 + q;
    if (extended) {
      rx = Snap(rx) - q; ry = Snap(ry) - p;
      lx = Snap(lx) - q; ly = Snap(ly) - p;
    }
    OutPut(st, last, rx, ry);
    OutPut(st, last + 1, lx, ly);
    last += 1;
  } else if (st.scan.clip) {
    double k = st.scan.cornerSign;
    OutPut(st, last + 1, x0 + p - q * k, y0 - q - p * k);
    OutPut(st, last + 2, x0 - p + q * k, y0 + q + p * k);
    last += 2;
    st.scan.clip = 0;
  }
  double rx, ry, lx, ly;
  if (hasNext) {
    double b = SegAngle(x1, y1, st.scan.x2, st.scan.y2);
    double t = (b - a) / 2;
    double m;
    if (cos(t) == 0) {
      m = 2 * h;
      st.scan.cornerSign = 0;
    } else {
      m = h * sin(t) / cos(t);
      st.scan.cornerSign = m > 0 ? 1 : m < 0 ? -1 : 0;
    }
    if (fabs(m) > h) {
      st.scan.clip = 1;
      m = h * st.scan.cornerSign;
    }
    rx = x1 + p + m * cos(a); ry = y1 - q + m * sin(a);
    lx = x1 - p - m * cos(a); ly = y1 + q - m * sin(a);
  } else {
    rx = x1 + p; ry = y1 - q; lx = x1 - p; ly = y1 + q;
    if (extended) {
      rx = Snap(rx) + q; ry = Snap(ry) + p;
      lx = Snap(lx) + q; ly = Snap(ly) + p;
    }
  }
  OutPut(st, last + 1, rx, ry);
  OutPut(st, last + 2, lx, ly);
  return last + 2;
}

void PathOutline(CktState& st, int32_t path, int32_t width) {
  st.scan.outLast = 0;
  st.scan.clip = 0;
  st.scan.cornerSign = 0;
  CktPath* p = PathRec(st, path);
  if (!p || !p->first) return;
  int32_t vi = p->first;
  if (width == 0) {
    int i = 0;
    int guard = 0;
    while (vi && guard++ <= CKT_PATH_VERTICES) {
      CktVertex* v = VtxRec(st, vi);
      if (!v) break;
      if (i >= CKT_OUTLINE_MAX) {
        st.scan.overflow = 1;
        break;
      }
      st.scan.outX[i] = v->x;
      st.scan.outY[i] = v->y;
      i++;
      vi = v->next;
    }
    st.scan.outLast = i > 0 ? i - 1 : 0;
    return;
  }
  double h = fabs((double)width) * 0.5;
  int extended = width < 0;
  int first = 1;
  int guard = 0;
  while (vi && guard++ <= CKT_PATH_VERTICES) {
    CktVertex* v = VtxRec(st, vi);
    if (!v || !v->next) break;
    CktVertex* w = VtxRec(st, v->next);
    if (!w) break;
    if (st.scan.outLast >= CKT_OUTLINE_MAX - 4) {
      st.scan.overflow = 1;
      break;
    }
    st.scan.x0 = v->x; st.scan.y0 = v->y;
    st.scan.x1 = w->x; st.scan.y1 = w->y;
    CktVertex* u = w->next ? VtxRec(st, w->next) : nullptr;
    if (u) { st.scan.x2 = u->x; st.scan.y2 = u->y; }
    st.scan.outLast = PathSegmentOffsets(st, h, first, u != nullptr, extended);
    first = 0;
    vi = v->next;
  }
}

int LoadBoxOutline(CktState& st, int32_t box, int clip, int slot) {
  CktBox* b = BoxRec(st, box);
  if (!b) return 0;
  EdgeSlot& e = st.scan.slot[slot];
  e.left = b->left; e.bottom = b->bottom; e.right = b->right; e.top = b->top;
  if (b->right <= b->left || b->top <= b->bottom) return 0;
  if (clip) {
    const EdgeSlot& w = st.scan.slot[0];
    if (b->right < w.left || b->left > w.right || b->top < w.bottom || b->bottom > w.top) return 0;
  }
  st.scan.outX[0] = b->left;  st.scan.outY[0] = b->bottom;
  st.scan.outX[1] = b->right; st.scan.outY[1] = b->bottom;
  st.scan.outX[2] = b->right; st.scan.outY[2] = b->top;
  st.scan.outX[3] = b->left;  st.scan.outY[3] = b->top;
  st.scan.outX[4] = b->left;  st.scan.outY[4] = b->bottom;
  st.scan.outLast = 4;
  PolygonToEdgeList(st, slot);
  return 1;
}

int LoadPathOutline(CktState& st, int32_t path, int clip, int slot, int openAllowed) {
  CktPath* p = PathRec(st, path);
  if (!p || p->word < 0 || !p->first) return 0;
  CktVertex* v0 = VtxRec(st, p->first);
  if (!v0 || !v0->next) return 0;
  EdgeSlot& e = st.scan.slot[slot];
  PathBounds(st, path, &e.left, &e.bottom, &e.right, &e.top);
  if (clip) {
    const EdgeSlot& s0 = st.scan.slot[0];
    if (e.right < s0.left || e.left > s0.right || e.top < s0.bottom || e.bottom > s0.top) return 0;
  }
  PathOutline(st, path, p->width);
  if (p->width == 0) {
    int closed = st.scan.outX[0] == st.scan.outX[st.scan.outLast] && st.scan.outY[0] == st.scan.outY[st.scan.outLast];
    if (!closed && !openAllowed) return 0;
    PolygonToEdgeList(st, slot);
  } else {
    if (st.scan.outLast < 3) return 0;
    PathOutlineToEdgeList(st, slot);
    if (e.x[e.last] != e.x[0] || e.y[e.last] != e.y[0]) EdgeListAppend(st, e.x[0], e.y[0], slot);
  }
  return 1;
}

int PathBounds(CktState& st, int32_t path, int32_t* l, int32_t* b, int32_t* r, int32_t* t) {
  CktPath* p = PathRec(st, path);
  if (!p || p->word < 0 || !p->first) return 0;
  int64_t minX = 0x20000000, minY = 0x20000000, maxX = -0x20000000, maxY = -0x20000000;
  int32_t vi = p->first;
  int guard = 0, count = 0;
  while (vi && guard++ <= CKT_PATH_VERTICES) {
    CktVertex* v = VtxRec(st, vi);
    if (!v) break;
    count++;
    minX = std::min<int64_t>(minX, v->x); maxX = std::max<int64_t>(maxX, v->x);
    minY = std::min<int64_t>(minY, v->y); maxY = std::max<int64_t>(maxY, v->y);
    vi = v->next;
  }
  int64_t w = p->width < 0 ? -(int64_t)p->width : p->width;
  auto c32 = [](int64_t v) { return (int32_t)std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v)); };
  *l = c32(minX - w); *r = c32(maxX + w);
  *b = c32(minY - w); *t = c32(maxY + w);
  return count >= 2;
}

int PathIsArea(CktState& st, int32_t path) {
  CktPath* p = PathRec(st, path);
  if (!p || p->word < 0) return 0;
  if (p->width != 0) return 1;
  CktVertex* f = VtxRec(st, p->first);
  if (!f) return 0;
  CktVertex* v = f;
  int guard = 0;
  while (v->next && guard++ <= CKT_PATH_VERTICES) {
    CktVertex* n = VtxRec(st, v->next);
    if (!n) break;
    v = n;
  }
  return v != f && v->x == f->x && v->y == f->y;
}

void ScanRowCrossings(CktState& st, int slot, int32_t y) { Crossings(st, slot, 2 * (int64_t)y, 0); }
void ScanHalfRowCrossings(CktState& st, int slot, int32_t y) { Crossings(st, slot, 2 * (int64_t)y + 1, 0); }
void ScanColumnCrossings(CktState& st, int slot, int32_t x) { Crossings(st, slot, 2 * (int64_t)x, 1); }
void ScanHalfColumnCrossings(CktState& st, int slot, int32_t x) { Crossings(st, slot, 2 * (int64_t)x + 1, 1); }

void CrossingSort(CktState& st, int slot) {
  int n = st.scan.crossLast[slot] + 1;
  if (n > 1) std::sort(st.scan.cross[slot], st.scan.cross[slot] + n);
}

int CrossingsOverlap(CktState& st) {
  int l0 = st.scan.crossLast[0], l1 = st.scan.crossLast[1];
  if (l0 < 1 || l1 < 1) return 0;
  for (int i = 0; i <= l0; i++)
    if (InClosedSpans(st.scan.cross[1], l1, st.scan.cross[0][i])) return 1;
  for (int i = 0; i <= l1; i++)
    if (InClosedSpans(st.scan.cross[0], l0, st.scan.cross[1][i])) return 1;
  return 0;
}

int64_t SpanOverlapLength(CktState& st) {
  int l0 = st.scan.crossLast[0], l1 = st.scan.crossLast[1];
  if (l0 < 1 || l1 < 1) return 0;
  int64_t sum = 0;
  for (int i = 0; i + 1 <= l0; i += 2)
    for (int j = 0; j + 1 <= l1; j += 2) {
      int64_t lo = std::max(st.scan.cross[0][i], st.scan.cross[1][j]);
      int64_t hi = std::min(st.scan.cross[0][i + 1], st.scan.cross[1][j + 1]);
      if (hi > lo) sum += hi - lo;
    }
  return sum;
}

int CrossingsInSpans(CktState& st) {
  int l0 = st.scan.crossLast[0], l1 = st.scan.crossLast[1];
  if (l0 < 1 || l1 < 1) return 0;
  int count = 0;
  for (int a = 0; a < 2; a++) {
    const int32_t* spans = st.scan.cross[a];
    int ls = a ? l1 : l0;
    const int32_t* pts = st.scan.cross[1 - a];
    int lp = a ? l0 : l1;
    for (int i = 0; i <= lp; i++)
      for (int k = 0; k + 1 <= ls; k += 2)
        if (spans[k] <= pts[i] && pts[i] < spans[k + 1]) count++;
  }
  return count;
}

double EdgeListLength(CktState& st) {
  const EdgeSlot& e = st.scan.slot[0];
  double sum = 0;
  for (int i = 0; i < e.last; i++) {
    double dx = (double)e.x[i + 1] - e.x[i], dy = (double)e.y[i + 1] - e.y[i];
    sum += sqrt(dx * dx + dy * dy);
  }
  return sum;
}

int OnHorizontalEdge(CktState& st, int32_t x, int32_t y) {
  const EdgeSlot& e = st.scan.slot[1];
  for (int i = 0; i < e.last; i++)
    if (e.y[i] == y && e.y[i + 1] == y && RangesMeet(e.x[i], e.x[i + 1], x, x)) return 1;
  return 0;
}

// Row test of the two rings. The integer rows come first; rows through a
// bottom or top edge find no crossings, so when they find nothing the half
// rows between them are tried too, which catches areas overlapping by a
// single unit. The fast form tests one row per band between vertex heights
// where every edge crossing the band is vertical (all rows of such a band
// have the same crossings) and walks the other bands row by row.
int SlotsTouchRows(CktState& st) {
  const EdgeSlot& a = st.scan.slot[0];
  const EdgeSlot& b = st.scan.slot[1];
  int64_t lo = std::max(a.bottom, b.bottom), hi = std::min(a.top, b.top);
  if (lo > hi) return 0;
  if (st.scan.literal) {
    for (int64_t y = lo; y <= hi; y++)
      if (RowMeets(st, 2 * y)) return 1;
    for (int64_t y = lo; y < hi; y++)
      if (RowMeets(st, 2 * y + 1)) return 1;
    return 0;
  }
  static std::vector<int32_t> ys;
  ys.clear();
  ys.reserve((size_t)(a.last + b.last + 4));
  ys.push_back((int32_t)lo);
  ys.push_back((int32_t)hi);
  for (const EdgeSlot* e : {&a, &b})
    for (int i = 0; i <= e->last; i++)
      if (e->y[i] > lo && e->y[i] < hi) ys.push_back(e->y[i]);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  for (int32_t y : ys)
    if (RowMeets(st, 2 * (int64_t)y)) return 1;
  for (size_t k = 0; k + 1 < ys.size(); k++) {
    int64_t y0 = ys[k], y1 = ys[k + 1];
    if (!SlantInBand(st, (int32_t)y0, (int32_t)y1)) {
      if (RowMeets(st, y1 - y0 >= 2 ? 2 * (y0 + 1) : 2 * y0 + 1)) return 1;
      continue;
    }
    for (int64_t y = y0 + 1; y < y1; y++)
      if (RowMeets(st, 2 * y)) return 1;
    for (int64_t y = y0; y < y1; y++)
      if (RowMeets(st, 2 * y + 1)) return 1;
  }
  return 0;
}

int SlotsTouchEdges(CktState& st) {
  const EdgeSlot& a = st.scan.slot[0];
  const EdgeSlot& b = st.scan.slot[1];
  for (int pass = 0; pass < 2; pass++) {  // vertical edges, then horizontal
    for (int i = 0; i < a.last; i++) {
      int av = pass == 0 ? a.x[i] == a.x[i + 1] : a.y[i] == a.y[i + 1];
      if (!av) continue;
      for (int j = 0; j < b.last; j++) {
        if (pass == 0) {
          if (b.x[j] != b.x[j + 1] || b.x[j] != a.x[i]) continue;
          if (RangesMeet(a.y[i], a.y[i + 1], b.y[j], b.y[j + 1])) return 1;
        } else {
          if (b.y[j] != b.y[j + 1] || b.y[j] != a.y[i]) continue;
          if (RangesMeet(a.x[i], a.x[i + 1], b.x[j], b.x[j + 1])) return 1;
        }
      }
    }
  }
  return 0;
}

namespace {
int SharedVertex(CktState& st) {
  const EdgeSlot& a = st.scan.slot[0];
  const EdgeSlot& b = st.scan.slot[1];
  for (int i = 0; i <= a.last; i++)
    for (int j = 0; j <= b.last; j++)
      if (a.x[i] == b.x[j] && a.y[i] == b.y[j]) return 1;
  return 0;
}

int VertexOnSegments(CktState& st, int segSlot, int vtxSlot) {
  const EdgeSlot& s = st.scan.slot[segSlot];
  const EdgeSlot& v = st.scan.slot[vtxSlot];
  for (int i = 0; i < s.last; i++) {
    for (int j = 0; j <= v.last; j++) {
      if (s.x[i] == s.x[i + 1] && v.x[j] == s.x[i] && RangesMeet(s.y[i], s.y[i + 1], v.y[j], v.y[j])) return 1;
      if (s.y[i] == s.y[i + 1] && v.y[j] == s.y[i] && RangesMeet(s.x[i], s.x[i + 1], v.x[j], v.x[j])) return 1;
    }
  }
  return 0;
}
}  // namespace

int SlotsLinesTouch(CktState& st) { return SharedVertex(st) || VertexOnSegments(st, 0, 1) || VertexOnSegments(st, 1, 0); }

int BoxesTouch(int32_t l0, int32_t b0, int32_t r0, int32_t t0, int32_t l1, int32_t b1, int32_t r1, int32_t t1) {
  int xMeet = std::max(l0, l1) <= std::min(r0, r1), yMeet = std::max(b0, b1) <= std::min(t0, t1);
  if (xMeet && std::max(b0, b1) < std::min(t0, t1)) return 1;
  if (yMeet && (l0 == l1 || l0 == r1 || r0 == l1 || r0 == r1)) return 1;
  return xMeet && (b0 == b1 || b0 == t1 || t0 == b1 || t0 == t1);
}

int AreasOverlapOnRows(CktState& st, int kind, int32_t target, int targetIsPath, int32_t srcNode) {
  if (!SlotsTouchRows(st)) return 0;
  return AreaMerge(st, kind, target, targetIsPath, srcNode);
}

int AreasShareEdge(CktState& st, int kind, int32_t target, int targetIsPath, int32_t srcNode) {
  if (!SlotsTouchEdges(st)) return 0;
  return AreaMerge(st, kind, target, targetIsPath, srcNode);
}

int LinesShareVertex(CktState& st, int kind, int32_t srcNode, int32_t target) {
  if (!SharedVertex(st)) return 0;
  return LineMerge(st, kind, srcNode, target);
}

int VertexOnLine(CktState& st, int kind, int32_t srcNode, int32_t target, int segSlot, int vtxSlot) {
  if (!VertexOnSegments(st, segSlot, vtxSlot)) return 0;
  return LineMerge(st, kind, srcNode, target);
}

}  // namespace ckt
