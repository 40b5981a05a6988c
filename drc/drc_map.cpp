#include "drc_map.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "drc_state.h"


namespace {

const int64_t kMaxG = 1 << 30;

uint64_t* MapBlock(const DrcState& st) {
  size_t words = (size_t)(st.maps.maph + 3) * (size_t)st.maps.stride;
  return static_cast<uint64_t*>(std::calloc(words, sizeof(uint64_t)));
}

// The eight working maps in their allocation order.
void WorkMaps(DrcState& st, DrcMap* out[8]) {
  DrcMapSet& m = st.maps;
  DrcMap* all[8] = {&m.GR, &m.GS, &m.R, &m.S, &m.W, &m.KR, &m.KS, &m.D};
  for (int i = 0; i < 8; ++i) out[i] = all[i];
}

int Stopped(const DrcState& st) { return st.g.abortFlag || st.g.stopCode; }

// Word j of a row read d pixels to the right: out(x) = r(x + d), clear
// outside the row.
inline uint64_t WordAt(const uint64_t* r, int nw, int64_t j) {
  return (j >= 0 && j < nw) ? r[j] : 0;
}

struct Shifter {
  int64_t q;
  int s;
  void Set(int64_t d) {
    q = d >= 0 ? d / 64 : -((-d + 63) / 64);
    s = (int)(d - q * 64);
  }
  inline uint64_t At(const uint64_t* r, int nw, int64_t j) const {
    uint64_t a = WordAt(r, nw, j + q);
    if (s == 0) return a;
    return (a << s) | (WordAt(r, nw, j + q + 1) >> (64 - s));
  }
};

// out = r read d pixels to the right.
void RowGet(const DrcState& st, const uint64_t* r, int64_t d, uint64_t* out) {
  const int nw = st.maps.nw;
  Shifter sh;
  sh.Set(d);
  for (int j = 0; j < nw; ++j) out[j] = sh.At(r, nw, j);
}

// dst(x) |= src(x - d).
void RowOrMoved(const DrcState& st, uint64_t* dst, const uint64_t* src, int64_t d) {
  const int nw = st.maps.nw;
  Shifter sh;
  sh.Set(-d);
  for (int j = 0; j < nw; ++j) dst[j] |= sh.At(src, nw, j);
}

bool RowAnySet(const DrcState& st, const uint64_t* r) {
  for (int j = 0; j < st.maps.nw; ++j)
    if (r[j]) return true;
  return false;
}

// Row mask of the pixels x <= last (all clear when last < 0).
void RowLimit(const DrcState& st, uint64_t* out, int64_t last) {
  for (int j = 0; j < st.maps.nw; ++j) {
    int64_t first = (int64_t)j * 64;
    if (last >= first + 63) out[j] = ~0ull;
    else if (last < first) out[j] = 0;
    else out[j] = ~0ull << (63 - (last - first));
  }
}

// One-pixel moves of a whole row: E takes the pixel from the left.
// z = a & ~b (& lim): where a run of a ends; whether any does.
inline bool RunEnds(uint64_t* z, const uint64_t* a, const uint64_t* b, const uint64_t* lim, int nw) {
  bool any = false;
  for (int j = 0; j < nw; ++j) {
    z[j] = a[j] & ~b[j] & (lim ? lim[j] : ~uint64_t(0));
    any |= z[j] != 0;
  }
  return any;
}

// z &= ~t: the runs still open; whether any is.
inline bool RunsLeft(uint64_t* z, const uint64_t* t, int nw) {
  bool any = false;
  for (int j = 0; j < nw; ++j) {
    z[j] &= ~t[j];
    any |= z[j] != 0;
  }
  return any;
}

inline uint64_t MoveE(const uint64_t* r, int j) { return (r[j] >> 1) | (j > 0 ? r[j - 1] << 63 : 0); }
inline uint64_t MoveW(const uint64_t* r, int j, int nw) {
  return (r[j] << 1) | (j + 1 < nw ? r[j + 1] >> 63 : 0);
}

}  // namespace

void DrcMapReset(DrcState& st) {
  MapFree(st);
  LayerMapFree(st);
  for (auto& t : st.maps.tmp) {
    std::free(t);
    t = nullptr;
  }
  st.maps.k = 0;
  DrcMapSize(st, 1);
}

void DrcMapSize(DrcState& st, int k) {
  if (k != 1 && k != 2 && k != 4 && k != 8) k = 1;
  if (st.maps.k == k) return;
  st.maps.k = k;
  st.maps.mapw = 512 * k;
  st.maps.maph = 320 * k;
  st.maps.nw = st.maps.mapw / 64;
  st.maps.stride = st.maps.nw + 1;
  for (auto& t : st.maps.tmp) {
    std::free(t);
    t = nullptr;
  }
}

int MapAlloc(DrcState& st) {
  if (st.maps.allocated) return 1;
  for (auto& t : st.maps.tmp) {
    if (!t) t = static_cast<uint64_t*>(std::calloc((size_t)st.maps.stride, sizeof(uint64_t)));
    if (!t) return 0;
  }
  DrcMap* work[8];
  WorkMaps(st, work);
  for (DrcMap* m : work) {
    m->w = MapBlock(st);
    if (!m->w) {
      MapFree(st);
      return 0;
    }
  }
  st.maps.allocated = 1;
  return 1;
}

void MapFree(DrcState& st) {
  DrcMap* work[8];
  WorkMaps(st, work);
  for (int i = 7; i >= 0; --i) {
    std::free(work[i]->w);
    work[i]->w = nullptr;
  }
  st.maps.allocated = 0;
}

void LayerMapFree(DrcState& st) {
  for (auto& s : st.maps.slot) {
    std::free(s.w);
    s.w = nullptr;
    s.tag = 0;
    s.valid = 0;
  }
}

int MapNameTag(const char* name) {
  const char* p = name;
  while (*p == ' ') ++p;
  if (std::isdigit((unsigned char)*p)) {
    long n = std::strtol(p, nullptr, 10);
    if (n >= 1 && n < 1000000) return (int)n + 2;
    return 2;
  }
  if ((p[0] == 'S' || p[0] == 's') && p[1] == 0) return 1;
  return 2;
}

int MapSlotStore(DrcState& st, const DrcMap& m, const char* name) {
  int t = MapNameTag(name);
  DrcMapSlot* s = nullptr;
  for (auto& c : st.maps.slot)
    if (c.tag == t) {
      s = &c;
      break;
    }
  if (!s) {
    for (auto& c : st.maps.slot)
      if (c.tag == 0) {
        s = &c;
        break;
      }
    if (!s) {
      DrcErrorShow(st, "Saved Map Table Full (16 Maps) ... Can't Continue");
      return 1;
    }
    if (!s->w) s->w = MapBlock(st);
    if (!s->w) {
      DrcErrorShow(st, "Map Storage Allocation Failed");
      return 1;
    }
    s->tag = t;
  }
  std::memcpy(s->w, m.w, sizeof(uint64_t) * (size_t)st.maps.stride * (size_t)(st.maps.maph + 3));
  s->valid = 1;
  return 0;
}

int MapRetrieve(DrcState& st, DrcMap& dst, const char* name) {
  int t = MapNameTag(name);
  for (auto& c : st.maps.slot)
    if (c.tag == t && c.valid && c.w) {
      DrcMap src = {c.w};
      MapCopy(st, dst, src);
      return 0;
    }
  return 1;
}

void MapSlotsInvalidate(DrcState& st) {
  for (auto& c : st.maps.slot) c.valid = 0;
}

int MapGet(const DrcState& st, const DrcMap& m, int x, int y) {
  if (x < 0 || x >= st.maps.mapw || y < 0 || y >= st.maps.maph + 3) return 0;
  return (int)((MapRow(st.maps, m, y)[x >> 6] >> (63 - (x & 63))) & 1);
}

void MapPut(const DrcState& st, const DrcMap& m, int x, int y, int v) {
  if (x < 0 || x >= st.maps.mapw || y < 0 || y >= st.maps.maph + 3) return;
  uint64_t bit = 1ull << (63 - (x & 63));
  if (v) MapRow(st.maps, m, y)[x >> 6] |= bit;
  else MapRow(st.maps, m, y)[x >> 6] &= ~bit;
}

// ---- Boolean ----

#define MAP_LOOP(body)                                 \
  for (int y = 0; y < st.maps.maph; ++y) {                \
    uint64_t* d = MapRow(st.maps, dst, y);                      \
    const uint64_t* s = MapRow(st.maps, src, y);                \
    for (int j = 0; j < st.maps.nw; ++j) { body; }        \
  }

void MapClear(const DrcState& st, const DrcMap& m) {
  for (int y = 0; y < st.maps.maph; ++y) std::memset(MapRow(st.maps, m, y), 0, sizeof(uint64_t) * st.maps.nw);
}

void MapNot(const DrcState& st, const DrcMap& m) {
  for (int y = 0; y < st.maps.maph; ++y) {
    uint64_t* r = MapRow(st.maps, m, y);
    for (int j = 0; j < st.maps.nw; ++j) r[j] = ~r[j];
  }
}

void MapEdgeClear(const DrcState& st, const DrcMap& m) {
  const uint64_t left = ~(1ull << 63), right = ~1ull;
  for (int y = 0; y < st.maps.maph; ++y) {
    uint64_t* r = MapRow(st.maps, m, y);
    r[0] &= left;
    r[st.maps.nw - 1] &= right;
  }
  std::memset(MapRow(st.maps, m, 0), 0, sizeof(uint64_t) * st.maps.nw);
  std::memset(MapRow(st.maps, m, st.maps.maph - 1), 0, sizeof(uint64_t) * st.maps.nw);
}

void MapCopy(const DrcState& st, const DrcMap& dst, const DrcMap& src) {
  if (dst.w == src.w) return;
  for (int y = 0; y < st.maps.maph; ++y)
    std::memcpy(MapRow(st.maps, dst, y), MapRow(st.maps, src, y), sizeof(uint64_t) * st.maps.nw);
}

void MapOr(const DrcState& st, const DrcMap& dst, const DrcMap& src) { MAP_LOOP(d[j] |= s[j]) }
void MapAnd(const DrcState& st, const DrcMap& dst, const DrcMap& src) { MAP_LOOP(d[j] &= s[j]) }
void MapXor(const DrcState& st, const DrcMap& dst, const DrcMap& src) { MAP_LOOP(d[j] ^= s[j]) }

void MapSwap(DrcMap& a, DrcMap& b) {
  uint64_t* t = a.w;
  a.w = b.w;
  b.w = t;
}

int MapAnySet(const DrcState& st, const DrcMap& m) {
  for (int y = 0; y < st.maps.maph; ++y)
    if (RowAnySet(st, MapRow(st.maps, m, y))) return 1;
  return 0;
}

int MapAnyClear(const DrcState& st, const DrcMap& m) {
  const int nw = st.maps.nw;
  for (int y = 1; y < st.maps.maph - 1; ++y) {
    const uint64_t* r = MapRow(st.maps, m, y);
    for (int j = 0; j < nw; ++j) {
      uint64_t v = r[j];
      if (j == 0) v |= 1ull << 63;
      if (j == nw - 1) v |= 1ull;
      if (v != ~0ull) return 1;
    }
  }
  return 0;
}

int MapGuardClip(const DrcState& st, const DrcMap& m, int g) {
  if (g < 0) g = 0;
  uint64_t* keep = st.maps.tmp[0];
  // keep = pixels g .. MAPW - g - 1
  RowLimit(st, keep, (int64_t)st.maps.mapw - g - 1);
  for (int j = 0; j < st.maps.nw; ++j) {
    int64_t first = (int64_t)j * 64;
    if (g >= first + 64) keep[j] = 0;
    else if (g > first) keep[j] &= ~0ull >> (g - first);
  }
  int any = 0;
  for (int y = 0; y < st.maps.maph; ++y) {
    uint64_t* r = MapRow(st.maps, m, y);
    if (y < g || y >= st.maps.maph - g) {
      std::memset(r, 0, sizeof(uint64_t) * st.maps.nw);
      continue;
    }
    for (int j = 0; j < st.maps.nw; ++j) {
      r[j] &= keep[j];
      if (r[j]) any = 1;
    }
  }
  return any;
}

int64_t MapCount(const DrcState& st, const DrcMap& m) {
  int64_t n = 0;
  for (int y = 0; y < st.maps.maph; ++y) {
    const uint64_t* r = MapRow(st.maps, m, y);
    for (int j = 0; j < st.maps.nw; ++j) n += __builtin_popcountll(r[j]);
  }
  return n;
}

// ---- shifts ----

void MapShift(DrcState& st, const DrcMap& dst, const DrcMap& src, int d) {
  const int nw = st.maps.nw, h = st.maps.maph;
  int dy = 0, dx = 0;
  switch (d) {
    case DIR_E: dx = 1; break;
    case DIR_W: dx = -1; break;
    case DIR_N: dy = 1; break;
    case DIR_S: dy = -1; break;
    case DIR_NE: dx = 1; dy = 1; break;
    case DIR_SE: dx = 1; dy = -1; break;
    case DIR_NW: dx = -1; dy = 1; break;
    default: dx = -1; dy = -1; break;
  }
  int y0 = dy > 0 ? 1 : 0, y1 = dy < 0 ? h - 2 : h - 1;
  for (int y = y0; y <= y1; ++y) {
    uint64_t* o = MapRow(st.maps, dst, y);
    const uint64_t* s = MapRow(st.maps, src, y - dy);
    if (dx == 0)
      for (int j = 0; j < nw; ++j) o[j] |= s[j];
    else if (dx > 0)
      for (int j = 0; j < nw; ++j) o[j] |= MoveE(s, j);
    else
      for (int j = 0; j < nw; ++j) o[j] |= MoveW(s, j, nw);
  }
}

void MapHoleFill(DrcState& st, const DrcMap& m) {
  const int nw = st.maps.nw, h = st.maps.maph;
  for (int y = 1; y <= h - 2; ++y) {
    const uint64_t* r = MapRow(st.maps, m, y);
    const uint64_t* a1 = MapRow(st.maps, m, y + 1);
    const uint64_t* b1 = MapRow(st.maps, m, y - 1);
    const uint64_t* a2 = y + 2 <= h - 1 ? MapRow(st.maps, m, y + 2) : nullptr;
    const uint64_t* b2 = y >= 2 ? MapRow(st.maps, m, y - 2) : nullptr;
    uint64_t* o = MapRow(st.maps, st.maps.W, y);
    for (int j = 0; j < nw; ++j) {
      uint64_t c = r[j];
      if (c == ~0ull) continue;
      uint64_t lw = j > 0 ? r[j - 1] : 0, rw = j + 1 < nw ? r[j + 1] : 0;
      uint64_t l1 = (c >> 1) | (lw << 63), l2 = (c >> 2) | (lw << 62);
      uint64_t r1 = (c << 1) | (rw >> 63), r2 = (c << 2) | (rw >> 62);
      uint64_t hz = l1 & l2 & r1 & r2;
      uint64_t vt = a2 && b2 ? (a1[j] & b1[j] & a2[j] & b2[j]) : 0;
      o[j] |= ~c & (hz | vt);
    }
  }
}

void MapContactMark(DrcState& st, const DrcMap& xm, const DrcMap& ym) {
  const int nw = st.maps.nw, h = st.maps.maph;
  for (int y = 1; y <= h - 2; ++y) {
    const uint64_t* x0 = MapRow(st.maps, xm, y);
    const uint64_t* xd = MapRow(st.maps, xm, y - 1);
    const uint64_t* xu = MapRow(st.maps, xm, y + 1);
    const uint64_t* y0 = MapRow(st.maps, ym, y);
    const uint64_t* yd = MapRow(st.maps, ym, y - 1);
    const uint64_t* yu = MapRow(st.maps, ym, y + 1);
    uint64_t* o = MapRow(st.maps, st.maps.W, y);
    for (int j = 0; j < nw; ++j) {
      uint64_t xc = x0[j], yc = y0[j];
      if (xc == ~0ull || yc == ~0ull) continue;
      uint64_t xl = MoveE(x0, j), xr = MoveW(x0, j, nw);
      uint64_t yl = MoveE(y0, j), yr = MoveW(y0, j, nw);
      uint64_t free0 = ~xc & ~yc;
      uint64_t hz = free0 & ((xl & yr) | (yl & xr));
      uint64_t vt = free0 & ((xd[j] & ~xu[j] & ~yd[j] & yu[j]) | (yd[j] & ~yu[j] & ~xd[j] & xu[j]));
      o[j] |= hz | vt;
    }
  }
}

// ---- expansion ----

namespace {

void OverlapInto(DrcState& st, const DrcMap& w, const DrcMap& a, const DrcMap& b) {
  for (int y = 0; y < st.maps.maph; ++y) {
    uint64_t* o = MapRow(st.maps, w, y);
    const uint64_t* p = MapRow(st.maps, a, y);
    const uint64_t* q = MapRow(st.maps, b, y);
    for (int j = 0; j < st.maps.nw; ++j) o[j] |= p[j] & q[j];
  }
}

void GrowOne(DrcState& st, int mode, int dir) {
  MapShift(st, st.maps.GR, st.maps.R, dir);
  if (mode == 0) {
    MapHoleFill(st, st.maps.GR);
    return;
  }
  MapShift(st, st.maps.GS, st.maps.S, dir);
  if (mode == 1) OverlapInto(st, st.maps.W, st.maps.GR, st.maps.GS);
  else MapContactMark(st, st.maps.GR, st.maps.GS);
}

}  // namespace

int DrcExpand(DrcState& st, int mode, int argument, int n) {
  double t = (double)argument + n, a = 0, b = 0;
  MapClear(st, st.maps.W);
  MapCopy(st, st.maps.GR, st.maps.R);
  if (mode) MapCopy(st, st.maps.GS, st.maps.S);
  bool first = true;
  while (a + b < t) {
    if (Stopped(st)) return 1;
    MapCopy(st, st.maps.R, st.maps.GR);
    if (mode) MapCopy(st, st.maps.S, st.maps.GS);
    if (mode == 0 && first) MapHoleFill(st, st.maps.GR);
    first = false;
    static const int kOrtho[4] = {DIR_E, DIR_W, DIR_N, DIR_S};
    static const int kDiag[4] = {DIR_NE, DIR_SW, DIR_NW, DIR_SE};
    bool ortho = b + 2 > 0.7071 * a;
    for (int i = 0; i < 4; ++i) GrowOne(st, mode, ortho ? kOrtho[i] : kDiag[i]);
    if (ortho) a += 2;
    else b += 2;
  }
  if (first) {
    if (mode == 0) {
      MapHoleFill(st, st.maps.GR);
    } else {
      MapAnd(st, st.maps.R, st.maps.S);
      MapCopy(st, st.maps.W, st.maps.R);
    }
  }
  MapCopy(st, st.maps.R, st.maps.W);
  MapCopy(st, st.maps.S, st.maps.GR);
  if (mode) MapOr(st, st.maps.S, st.maps.GS);
  return 0;
}

// ---- gauges ----

void MapGapGauge(DrcState& st, const DrcMap& p, int64_t g, const DrcMap& dst) {
  if (g <= 1 || g > kMaxG) return;
  const int nw = st.maps.nw, h = st.maps.maph;
  uint64_t *lim = st.maps.tmp[0], *z = st.maps.tmp[1], *t = st.maps.tmp[2], *mk = st.maps.tmp[3];
  RowLimit(st, lim, (int64_t)st.maps.mapw - 1 - g);
  // Rows: a run ends at x, the gap is k pixels long, k < g.
  for (int y = 0; y < h; ++y) {
    const uint64_t* r = MapRow(st.maps, p, y);
    uint64_t* o = MapRow(st.maps, dst, y);
    RowGet(st, r, 1, t);
    bool any = RunEnds(z, r, t, lim, nw);
    for (int64_t k = 1; any && k < g; ++k) {
      if (k >= 2) {
        RowGet(st, r, k, t);
        if (!RunsLeft(z, t, nw)) break;
      }
      RowGet(st, r, k + 1, t);
      bool hit = false;
      for (int j = 0; j < nw; ++j) {
        mk[j] = z[j] & t[j];
        hit |= mk[j] != 0;
      }
      if (hit) RowOrMoved(st, o, mk, k / 2);
    }
  }
  // Columns, 64 at a time.
  for (int64_t y = 0; y <= (int64_t)h - 1 - g; ++y) {
    const uint64_t* r = MapRow(st.maps, p, (int)y);
    const uint64_t* r1 = MapRow(st.maps, p, (int)y + 1);
    bool any = RunEnds(z, r, r1, nullptr, nw);
    for (int64_t k = 1; any && k < g; ++k) {
      if (k >= 2 && !RunsLeft(z, MapRow(st.maps, p, (int)(y + k)), nw)) break;
      const uint64_t* re = MapRow(st.maps, p, (int)(y + k + 1));
      uint64_t* o = MapRow(st.maps, dst, (int)(y + k / 2));
      for (int j = 0; j < nw; ++j) o[j] |= z[j] & re[j];
    }
  }
}

namespace {

// Rows half of the face gauge: runs of p ending at x against q rising at
// x + j (j < g).
void FaceRows(DrcState& st, const DrcMap& p, const DrcMap& q, int64_t g, const DrcMap& dst) {
  const int nw = st.maps.nw, h = st.maps.maph;
  uint64_t *lim = st.maps.tmp[0], *z = st.maps.tmp[1], *t = st.maps.tmp[2], *e = st.maps.tmp[3];
  RowLimit(st, lim, (int64_t)st.maps.mapw - 1 - g);
  for (int y = 0; y < h; ++y) {
    const uint64_t* pr = MapRow(st.maps, p, y);
    const uint64_t* qr = MapRow(st.maps, q, y);
    uint64_t* o = MapRow(st.maps, dst, y);
    RowGet(st, pr, 1, t);
    bool any = RunEnds(z, pr, t, lim, nw);
    for (int64_t k = 0; any && k < g; ++k) {
      RowGet(st, qr, k, t);
      RowGet(st, qr, k + 1, e);
      bool hit = false;
      any = false;
      for (int j = 0; j < nw; ++j) {
        uint64_t edge = ~t[j] & e[j];
        uint64_t m = z[j] & edge;
        z[j] &= ~edge;
        e[j] = m;
        hit |= m != 0;
        any |= z[j] != 0;
      }
      if (hit) RowOrMoved(st, o, e, k / 2);
    }
  }
}

void FaceCols(DrcState& st, const DrcMap& p, const DrcMap& q, int64_t g, const DrcMap& dst) {
  const int nw = st.maps.nw, h = st.maps.maph;
  uint64_t* z = st.maps.tmp[1];
  for (int64_t y = 0; y <= (int64_t)h - 1 - g; ++y) {
    const uint64_t* pr = MapRow(st.maps, p, (int)y);
    const uint64_t* p1 = MapRow(st.maps, p, (int)y + 1);
    bool any = RunEnds(z, pr, p1, nullptr, nw);
    for (int64_t k = 0; any && k < g; ++k) {
      const uint64_t* qk = MapRow(st.maps, q, (int)(y + k));
      const uint64_t* qk1 = MapRow(st.maps, q, (int)(y + k + 1));
      uint64_t* o = MapRow(st.maps, dst, (int)(y + k / 2));
      any = false;
      for (int j = 0; j < nw; ++j) {
        uint64_t edge = ~qk[j] & qk1[j];
        o[j] |= z[j] & edge;
        z[j] &= ~edge;
        any |= z[j] != 0;
      }
    }
  }
}

}  // namespace

void MapFaceGauge(DrcState& st, const DrcMap& p, const DrcMap& q, int64_t g, const DrcMap& dst) {
  if (g <= 0 || g > kMaxG) return;
  FaceRows(st, p, q, g, dst);
  FaceRows(st, q, p, g, dst);
  FaceCols(st, p, q, g, dst);
  FaceCols(st, q, p, g, dst);
}

int DrcGauge(DrcState& st, int mode, int argument, int n) {
  int64_t g = (int64_t)argument + n;
  MapClear(st, st.maps.W);
  MapCopy(st, st.maps.GR, st.maps.R);
  if (mode == 1) MapCopy(st, st.maps.GS, st.maps.S);
  if (mode == 0) MapGapGauge(st, st.maps.R, g, st.maps.W);
  else MapFaceGauge(st, st.maps.R, st.maps.S, g, st.maps.W);
  MapCopy(st, st.maps.R, st.maps.W);
  MapCopy(st, st.maps.S, st.maps.GR);
  if (mode == 1) MapOr(st, st.maps.S, st.maps.GS);
  return st.g.abortFlag ? st.g.abortFlag : st.g.stopCode;
}

void MapSizeMark(DrcState& st, const DrcMap& p, int64_t g) {
  if (g > kMaxG) return;
  const int nw = st.maps.nw, h = st.maps.maph;
  const DrcMap& dst = st.maps.R;
  int64_t jEnd = g >= 1 ? g + 1 : 1;
  uint64_t *lim = st.maps.tmp[0], *sp = st.maps.tmp[1], *t = st.maps.tmp[2], *u = st.maps.tmp[3];
  RowLimit(st, lim, (int64_t)st.maps.mapw - 1 - (g > 0 ? g : 0));
  for (int y = 0; y < h; ++y) {
    const uint64_t* r = MapRow(st.maps, p, y);
    uint64_t* o = MapRow(st.maps, dst, y);
    RowGet(st, r, 1, t);
    bool any = false;
    for (int j = 0; j < nw; ++j) {
      sp[j] = ~r[j] & t[j] & lim[j];
      any |= sp[j] != 0;
    }
    if (!any) continue;
    for (int64_t jj = 1; jj <= g; ++jj) {
      RowGet(st, r, jj, t);
      RowGet(st, r, jj + 1, u);
      for (int j = 0; j < nw; ++j) u[j] = sp[j] & ~(t[j] & u[j]);
      RowOrMoved(st, o, u, jj);
    }
    RowGet(st, r, 1 + jEnd, t);
    for (int j = 0; j < nw; ++j) u[j] = sp[j] & t[j];
    RowOrMoved(st, o, u, 1 + jEnd);
  }
  int64_t ylast = (int64_t)h - 1 - (g > 0 ? g : 0);
  for (int64_t y = 0; y <= ylast; ++y) {
    const uint64_t* r = MapRow(st.maps, p, (int)y);
    const uint64_t* r1 = y + 1 < h ? MapRow(st.maps, p, (int)y + 1) : nullptr;
    if (!r1) break;
    bool any = false;
    for (int j = 0; j < nw; ++j) {
      sp[j] = ~r[j] & r1[j];
      any |= sp[j] != 0;
    }
    if (!any) continue;
    for (int64_t jj = 1; jj <= g; ++jj) {
      int64_t yk = y + jj;
      if (yk >= h) break;
      const uint64_t* a = MapRow(st.maps, p, (int)yk);
      const uint64_t* b = yk + 1 < h ? MapRow(st.maps, p, (int)yk + 1) : nullptr;
      uint64_t* o = MapRow(st.maps, dst, (int)yk);
      for (int j = 0; j < nw; ++j) o[j] |= sp[j] & ~(a[j] & (b ? b[j] : 0));
    }
    int64_t ye = y + 1 + jEnd;
    if (ye < h) {
      const uint64_t* a = MapRow(st.maps, p, (int)ye);
      uint64_t* o = MapRow(st.maps, dst, (int)ye);
      for (int j = 0; j < nw; ++j) o[j] |= sp[j] & a[j];
    }
  }
}
