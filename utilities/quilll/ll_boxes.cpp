// The result map into geometry: bands of identical rows into boxes, boxes
// that continue each other merged, and, for Convert to Poly, stacks of boxes
// joined into rectilinear polygons with optional vertex reduction.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <unordered_map>

#include "ll.h"
#include "q7tlcrw.h"
#include "satlib.h"

namespace {

inline uint32_t RowWord(const LlMap& m, int s, int r) { return m.w[(size_t)s * LL_STRIP_WORDS + (size_t)r]; }

bool RowEmpty(const LlMap& m, int r) {
  for (int s = 0; s < LL_STRIPS; ++s)
    if (RowWord(m, s, r)) return false;
  return true;
}

bool RowsDiffer(const LlMap& m, int a, int b) {
  for (int s = 0; s < LL_STRIPS; ++s)
    if (RowWord(m, s, a) != RowWord(m, s, b)) return true;
  return false;
}

inline int Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

// ---- polygon ring ----------------------------------------------------

// Moves the kept points to the front.
void Compact(LlState& st) {
  int n = 0;
  for (int k = 0; k < st.ringN; ++k)
    if (st.ringKeep[k]) {
      st.ringX[n] = st.ringX[k];
      st.ringY[n] = st.ringY[k];
      st.ringKeep[n] = 1;
      ++n;
    }
  st.ringN = n;
}

void KeepAll(LlState& st) {
  for (int k = 0; k < st.ringN; ++k) st.ringKeep[k] = 1;
}

void DropDuplicates(LlState& st) {
  KeepAll(st);
  for (int k = 0; k + 1 < st.ringN; ++k)
    if (st.ringX[k] == st.ringX[k + 1] && st.ringY[k] == st.ringY[k + 1]) st.ringKeep[k] = 0;
  Compact(st);
}

void DropVerticalMiddles(LlState& st) {
  KeepAll(st);
  for (int k = 1; k + 1 < st.ringN; ++k)
    if (st.ringX[k] == st.ringX[k - 1] && st.ringX[k] == st.ringX[k + 1]) st.ringKeep[k] = 0;
  Compact(st);
}

void Staircase(LlState& st, int64_t L) {
  KeepAll(st);
  const int32_t* X = st.ringX;
  const int32_t* Y = st.ringY;
  for (int k = 1; k <= st.ringN - 3; ++k) {
    int64_t d0x = (int64_t)X[k] - X[k - 1], d0y = (int64_t)Y[k] - Y[k - 1];
    int64_t d1x = (int64_t)X[k + 1] - X[k], d1y = (int64_t)Y[k + 1] - Y[k];
    int64_t d2x = (int64_t)X[k + 2] - X[k + 1], d2y = (int64_t)Y[k + 2] - Y[k + 1];
    if (d0x != 0 || std::llabs(d0y) > L || d1y != 0 || std::llabs(d1x) > L || d2x != 0 || std::llabs(d2y) > L)
      continue;
    if (d0y > 0 && d1x > 0 && d2y > 0) st.ringKeep[k + 1] = 0;
    else if (d0y < 0 && d1x > 0 && d2y < 0) st.ringKeep[k] = 0;
    else if (d0y < 0 && d1x < 0 && d2y < 0) st.ringKeep[k + 1] = 0;
    else if (d0y > 0 && d1x < 0 && d2y > 0) st.ringKeep[k + 1] = 0;
  }
  Compact(st);
}

void EqualSlopes(LlState& st) {
  KeepAll(st);
  const int32_t* X = st.ringX;
  const int32_t* Y = st.ringY;
  for (int k = 1; k + 1 < st.ringN; ++k) {
    if (X[k] == X[k - 1] || X[k] == X[k + 1]) continue;
    double s1 = (double)((int64_t)Y[k + 1] - Y[k]) / (double)((int64_t)X[k + 1] - X[k]);
    double s0 = (double)((int64_t)Y[k] - Y[k - 1]) / (double)((int64_t)X[k] - X[k - 1]);
    if (s1 == s0) st.ringKeep[k] = 0;
  }
  Compact(st);
}

void Insert(LlState& st, int at, int32_t x, int32_t y) {
  for (int k = st.ringN; k > at; --k) {
    st.ringX[k] = st.ringX[k - 1];
    st.ringY[k] = st.ringY[k - 1];
  }
  st.ringX[at] = x;
  st.ringY[at] = y;
  st.ringN++;
}

double Angle(int64_t dx, int64_t dy) {
  if (dx != 0) return std::atan2((double)dy, (double)dx);
  return 1.5707963 * Sign(dy);
}

void WritePoly(LlState& st) {
  TLCp.lyr = st.set.layC;
  TLCp.w = 0;
  TLCp.nv = st.ringN;
  for (int k = 0; k < st.ringN; ++k) {
    TLCp.x[k] = st.ringX[k];
    TLCp.y[k] = st.ringY[k];
  }
  if (TlcWriter.file) WriteP();
  if (st.polyOut) st.polyOut->push_back(std::vector<int32_t>());
  if (st.polyOut)
    for (int k = 0; k < st.ringN; ++k) {
      st.polyOut->back().push_back(st.ringX[k]);
      st.polyOut->back().push_back(st.ringY[k]);
    }
  st.areaPolys++;
  st.areaVerts += st.ringN;
  st.totPolys++;
  st.totVerts += st.ringN;
}

// Ring of the stacked boxes, reduced and written. 0 after a fatal limit.
int RingFinish(LlState& st, const std::vector<int32_t>& stack) {
  int nb = (int)stack.size();
  st.ringN = 0;
  for (int k = 0; k < nb; ++k) {
    const LlBox& b = st.boxes[(size_t)stack[(size_t)k]];
    Insert(st, st.ringN, b.l, b.b);
    Insert(st, st.ringN, b.l, b.t);
  }
  for (int k = nb - 1; k >= 0; --k) {
    const LlBox& b = st.boxes[(size_t)stack[(size_t)k]];
    Insert(st, st.ringN, b.r, b.t);
    Insert(st, st.ringN, b.r, b.b);
  }
  Insert(st, st.ringN, st.ringX[0], st.ringY[0]);
  DropDuplicates(st);
  DropVerticalMiddles(st);
  if (st.set.vxr) {
    Staircase(st, st.set.m * st.set.polyFactor);
    DropDuplicates(st);
    DropVerticalMiddles(st);
    EqualSlopes(st);
  }
  st.ringN = LlAcuteFix(st, st.ringN);
  if (st.set.vxr && st.ringN >= LL_POLY_STACK) {
    char text[200];
    std::snprintf(text, sizeof text, "Vertex Limit of %d was exceeded after Vertex Reduction ... Fatal Error ", 1024);
    ErrorShow(text);
    st.abortFlag = 1;
    return 0;
  }
  WritePoly(st);
  return 1;
}

// Ends a stack that reached the limit: 1 to end it quietly (Reduce
// Vertices), 0 after the warning that stops the run.
void StackFull(LlState& st) {
  if (st.set.vxr) return;
  char text[200];
  std::snprintf(text, sizeof text,
                "Vertex Limit of %d was exceeded during Poly Build ... Try a lower Resolution or Vertex Reduction ",
                1024);
  WarningShow(text);
  st.abortFlag = 1;
}

}  // namespace

int LlMapToBoxes(LlState& st) {
  st.boxes.clear();
  st.areaBoxes = 0;
  int j = 0, i = 1;
  while (i <= 1024) {
    if (RowEmpty(st.result, j)) {
      j = j + 1;
      i = j;
      if (j >= 1024) break;
    } else if (i == 1024 || RowsDiffer(st.result, i, j)) {
      LlRowGroupToBoxes(st, j, i);
      j = i;
      if (st.abortFlag) break;
    }
    ++i;
  }
  st.areaBoxes = (int64_t)st.boxes.size();
  return 1;
}

void LlRowGroupToBoxes(LlState& st, int j, int i) {
  int64_t m = st.set.m;
  int32_t yb = (int32_t)(st.B + j * m), yt = (int32_t)(st.B + i * m);
  int open = 0;
  int64_t start = 0;
  for (int s = 0; s < LL_STRIPS; ++s) {
    uint32_t w = RowWord(st.result, s, j);
    if ((w == 0 && !open) || (w == 0xffffffffu && open)) continue;
    for (int b = 0; b < 32; ++b) {
      int on = (w >> (31 - b)) & 1;
      int64_t x = s * 32 + b;
      if (on && !open) {
        open = 1;
        start = x;
      } else if (!on && open) {
        open = 0;
        if (st.abortFlag) return;
        if ((int64_t)st.boxes.size() >= LL_MAX_BOXES) {
          char text[120];
          std::snprintf(text, sizeof text, "Cell Box Limit of %d was Exceeded", LL_MAX_BOXES);
          ErrorShow(text);
          st.abortFlag = 1;
          return;
        }
        st.boxes.push_back({st.set.layC, (int32_t)(st.L + start * m), yb, (int32_t)(st.L + x * m), yt});
      }
    }
  }
  if (open && !st.abortFlag) {
    if ((int64_t)st.boxes.size() >= LL_MAX_BOXES) {
      char text[120];
      std::snprintf(text, sizeof text, "Cell Box Limit of %d was Exceeded", LL_MAX_BOXES);
      ErrorShow(text);
      st.abortFlag = 1;
      return;
    }
    st.boxes.push_back({st.set.layC, (int32_t)(st.L + start * m), yb, (int32_t)(st.L + 1024 * m), yt});
  }
}

void LlBoxMergePairwise(LlState& st) {
  std::vector<LlBox>& v = st.boxes;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i].layer == 0) continue;
    LlBox c = v[i];
    for (size_t j = i + 1; j < v.size(); ++j) {
      LlBox& o = v[j];
      if (o.layer == 0) continue;
      if (c.b == o.t && c.l == o.l && c.r == o.r) {
        c.b = o.b;
        o.layer = 0;
      }
      if (o.layer && c.r == o.l && c.t == o.t && c.b == o.b) {
        c.r = o.r;
        o.layer = 0;
      }
      if (o.layer && c.t == o.b && c.l == o.l && c.r == o.r) {
        c.t = o.t;
        o.layer = 0;
      }
      if (o.layer && c.l == o.r && c.t == o.t && c.b == o.b) {
        c.l = o.l;
        o.layer = 0;
      }
    }
    v[i] = c;
  }
}

namespace {

// The live boxes sorted by three sides and their index; a dropped box is
// skipped through "next live" links that shorten as they are followed. The
// boxes of an area lie on its grid, so a side is its map line (0..1024, 11
// bits) and a whole entry packs into 64 bits: three sides and the index.
struct EdgeIndex {
  std::vector<uint64_t> e;
  std::vector<int32_t> up, pos;
  std::vector<int32_t> row;  // where the entries of each first side start

  static uint64_t Pack(uint32_t a, uint32_t b, uint32_t c, uint32_t idx) {
    return ((uint64_t)a << 45) | ((uint64_t)b << 34) | ((uint64_t)c << 23) | idx;
  }
  template <class Key>
  void Build(const std::vector<LlBox>& v, Key key) {
    // Counted into rows by the first side, then each row sorted: the searches
    // stay within one row.
    row.assign(2050, 0);
    size_t live = 0;
    for (const LlBox& o : v)
      if (o.layer) {
        row[(size_t)key(o)[0] + 1]++;
        ++live;
      }
    for (size_t k = 1; k < row.size(); ++k) row[k] += row[k - 1];
    e.assign(live, 0);
    std::vector<int32_t> fill(row.begin(), row.end() - 1);
    for (size_t j = 0; j < v.size(); ++j)
      if (v[j].layer) {
        std::array<uint32_t, 3> k = key(v[j]);
        e[(size_t)fill[k[0]]++] = Pack(k[0], k[1], k[2], (uint32_t)j);
      }
    for (size_t k = 0; k + 1 < row.size(); ++k)
      if (row[k + 1] - row[k] > 1) std::sort(e.begin() + row[k], e.begin() + row[k + 1]);
    up.resize(e.size() + 1);
    for (size_t k = 0; k <= e.size(); ++k) up[k] = (int32_t)k;
    pos.assign(v.size(), -1);
    for (size_t k = 0; k < e.size(); ++k) pos[(size_t)(e[k] & 0x7fffff)] = (int32_t)k;
  }
  int32_t Find(int32_t x) {
    while (up[(size_t)x] != x) {
      up[(size_t)x] = up[(size_t)up[(size_t)x]];
      x = up[(size_t)x];
    }
    return x;
  }
  void Drop(int32_t j) {
    int32_t p = pos[(size_t)j];
    if (p >= 0) up[(size_t)p] = p + 1;
  }
  // Lowest live index above `after` with this key; INT32_MAX when none.
  int32_t First(uint32_t a, uint32_t b, uint32_t c, int32_t after) {
    if (a > 2047 || b > 2047 || c > 2047) return INT32_MAX;
    uint64_t probe = Pack(a, b, c, (uint32_t)(after + 1));
    int32_t p = (int32_t)(std::lower_bound(e.begin() + row[a], e.begin() + row[a + 1], probe) - e.begin());
    p = Find(p);
    if ((size_t)p >= e.size()) return INT32_MAX;
    uint64_t x = e[(size_t)p];
    return (x >> 23) == (probe >> 23) ? (int32_t)(x & 0x7fffff) : INT32_MAX;
  }
};

}  // namespace

void LlBoxMerge(LlState& st) {
  // The pairwise pass visits the later boxes in index order and only a match
  // changes the current box, so the next box it merges is the lowest later
  // index among the boxes that match the current sides: boxes are found by
  // the three sides each test compares.
  std::vector<LlBox>& v = st.boxes;
  int32_t n = (int32_t)v.size();
  const int64_t m = st.set.m;
  bool onGrid = n < (1 << 23);
  for (const LlBox& o : v) {
    if (!onGrid) break;
    int64_t sides[4] = {o.l - st.L, o.r - st.L, o.b - st.B, o.t - st.B};
    for (int64_t d : sides)
      if (d < 0 || d > 1024 * m || d % m) onGrid = false;
  }
  if (!onGrid) {
    LlBoxMergePairwise(st);
    return;
  }
  auto X = [&](int32_t x) { return (uint32_t)((x - st.L) / m); };
  auto Y = [&](int32_t y) { return (uint32_t)((y - st.B) / m); };
  EdgeIndex below, right, above, left;  // keyed by what box j offers
  below.Build(v, [&](const LlBox& o) { return std::array<uint32_t, 3>{Y(o.t), X(o.l), X(o.r)}; });
  right.Build(v, [&](const LlBox& o) { return std::array<uint32_t, 3>{X(o.l), Y(o.t), Y(o.b)}; });
  above.Build(v, [&](const LlBox& o) { return std::array<uint32_t, 3>{Y(o.b), X(o.l), X(o.r)}; });
  left.Build(v, [&](const LlBox& o) { return std::array<uint32_t, 3>{X(o.r), Y(o.t), Y(o.b)}; });
  auto drop = [&](int32_t j) {
    below.Drop(j);
    right.Drop(j);
    above.Drop(j);
    left.Drop(j);
  };
  for (int32_t i = 0; i < n; ++i) {
    if (v[(size_t)i].layer == 0) continue;
    drop(i);
    LlBox c = v[(size_t)i];
    int32_t p = i;
    for (;;) {
      int32_t j = std::min(std::min(below.First(Y(c.b), X(c.l), X(c.r), p), right.First(X(c.r), Y(c.t), Y(c.b), p)),
                           std::min(above.First(Y(c.t), X(c.l), X(c.r), p), left.First(X(c.l), Y(c.t), Y(c.b), p)));
      if (j == INT32_MAX) break;
      LlBox& o = v[(size_t)j];
      drop(j);
      if (c.b == o.t && c.l == o.l && c.r == o.r) {
        c.b = o.b;
        o.layer = 0;
      }
      if (o.layer && c.r == o.l && c.t == o.t && c.b == o.b) {
        c.r = o.r;
        o.layer = 0;
      }
      if (o.layer && c.t == o.b && c.l == o.l && c.r == o.r) {
        c.t = o.t;
        o.layer = 0;
      }
      if (o.layer && c.l == o.r && c.t == o.t && c.b == o.b) {
        c.l = o.l;
        o.layer = 0;
      }
      p = j;
    }
    v[(size_t)i] = c;
  }
}

int LlPolyBuildPairwise(LlState& st) {
  std::vector<LlBox>& v = st.boxes;
  std::vector<int32_t> stack;
  for (size_t i = 0; i < v.size() && !st.abortFlag; ++i) {
    if (v[i].layer == 0) continue;
    stack.assign(1, (int32_t)i);
    v[i].layer = 0;
    size_t cur = i;
    for (size_t j = i + 1; j < v.size(); ++j) {
      const LlBox& o = v[j];
      if (o.layer == 0 || o.b != v[cur].t || !(o.l < v[cur].r && o.r > v[cur].l)) continue;
      stack.push_back((int32_t)j);
      v[j].layer = 0;
      cur = j;
      if ((int)stack.size() * 4 >= LL_POLY_STACK) {
        StackFull(st);
        break;
      }
    }
    if (!RingFinish(st, stack)) return 0;
  }
  return 1;
}

int LlPolyBuild(LlState& st) {
  // The stack takes the lowest later live box whose bottom is the current
  // top and that overlaps it: boxes are found by their bottom edge.
  std::vector<LlBox>& v = st.boxes;
  std::unordered_map<int32_t, std::vector<int32_t>> byBottom;
  for (size_t j = 0; j < v.size(); ++j)
    if (v[j].layer) byBottom[v[j].b].push_back((int32_t)j);
  std::vector<int32_t> stack;
  for (size_t i = 0; i < v.size() && !st.abortFlag; ++i) {
    if (v[i].layer == 0) continue;
    stack.assign(1, (int32_t)i);
    v[i].layer = 0;
    int32_t cur = (int32_t)i;
    for (;;) {
      auto it = byBottom.find(v[(size_t)cur].t);
      if (it == byBottom.end()) break;
      std::vector<int32_t>& list = it->second;
      int32_t found = -1;
      for (auto q = std::upper_bound(list.begin(), list.end(), cur); q != list.end(); ++q) {
        const LlBox& o = v[(size_t)*q];
        if (o.layer && o.l < v[(size_t)cur].r && o.r > v[(size_t)cur].l) {
          found = *q;
          break;
        }
      }
      if (found < 0) break;
      stack.push_back(found);
      v[(size_t)found].layer = 0;
      cur = found;
      if ((int)stack.size() * 4 >= LL_POLY_STACK) {
        StackFull(st);
        break;
      }
    }
    if (!RingFinish(st, stack)) return 0;
  }
  return 1;
}

int LlAcuteFix(LlState& st, int n) {
  st.ringN = n;
  if (n < 3) return n;
  int32_t* X = st.ringX;
  int32_t* Y = st.ringY;
  int64_t s = st.set.m;
  for (int k = 0; k < st.ringN - 1;) {
    int nn = st.ringN;
    int64_t inx, iny;
    if (k == 0) {
      inx = (int64_t)X[nn - 1] - X[nn - 2];
      iny = (int64_t)Y[nn - 1] - Y[nn - 2];
    } else {
      inx = (int64_t)X[k] - X[k - 1];
      iny = (int64_t)Y[k] - Y[k - 1];
    }
    int64_t outx = (int64_t)X[k + 1] - X[k], outy = (int64_t)Y[k + 1] - Y[k];
    bool inH = iny == 0, inV = inx == 0, outH = outy == 0, outV = outx == 0;
    if ((inH && outH) || (inV && outV)) {
      WarningShow("Acute Angle is 0 deg ... Not Fixed");
      return st.ringN;
    }
    double turn = std::fabs(Angle(outx, outy) - Angle(inx, iny));
    if (turn > 3.1415926) turn = 6.2831853 - turn;
    if (turn > 1.571 && st.ringN < LL_RING - 1) {
      bool done = true;
      if (k == 0)
        Insert(st, 1, X[0], (int32_t)(Y[0] + s));
      else if (inV)
        Insert(st, k + 1, (int32_t)(X[k] + Sign(outx) * s), Y[k]);
      else if (outV)
        Insert(st, k, (int32_t)(X[k] - Sign(inx) * s), Y[k]);
      else if (inH)
        Insert(st, k + 1, X[k], (int32_t)(Y[k] + Sign(outy) * s));
      else if (outH)
        Insert(st, k, X[k], (int32_t)(Y[k] - Sign(iny) * s));
      else
        done = false;
      if (done) {
        k += 2;
        continue;
      }
    }
    ++k;
  }
  return st.ringN;
}
