// Area maps: 32 strips of 32 columns, one word a row, the leftmost column in
// the most significant bit; and the grid of areas over the boundary.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "ll.h"
#include "satlib.h"

namespace {

const size_t kWords = (size_t)LL_STRIPS * LL_STRIP_WORDS;

inline uint32_t* Word(LlMap& m, int s, int r) { return m.w + (size_t)s * LL_STRIP_WORDS + r; }

int Alloc(LlMap& m) {
  if (m.w) return 1;
  m.w = static_cast<uint32_t*>(std::calloc(kWords, sizeof(uint32_t)));
  return m.w != nullptr;
}

void Free(LlMap& m) {
  std::free(m.w);
  m.w = nullptr;
}

// Rows 0..1024 of every strip through f.
template <class F>
void EachWord(LlMap& m, F f) {
  for (int s = 0; s < LL_STRIPS; ++s) {
    uint32_t* w = Word(m, s, 0);
    for (int r = 0; r < LL_ROWS; ++r) f(w[r], (size_t)s * LL_STRIP_WORDS + r);
  }
}

}  // namespace

LlState::LlState() : abortFlag(SatFrame.abortFlag) {}

LlState::~LlState() { LlMapsFree(*this); }

int LlMapsAlloc(LlState& st) {
  int ok = Alloc(st.scan);
  ok = Alloc(st.mapA) && ok;
  ok = Alloc(st.result) && ok;
  return ok;
}

void LlMapsFree(LlState& st) {
  Free(st.scan);
  Free(st.mapA);
  Free(st.result);
}

void LlMapClear(LlMap& m) {
  EachWord(m, [](uint32_t& w, size_t) { w = 0; });
}
void LlMapFill(LlMap& m) {
  EachWord(m, [](uint32_t& w, size_t) { w = 0xffffffffu; });
}
void LlMapNot(LlMap& m) {
  EachWord(m, [](uint32_t& w, size_t) { w = ~w; });
}
void LlMapCopy(LlMap& dst, const LlMap& src) {
  EachWord(dst, [&](uint32_t& w, size_t k) { w = src.w[k]; });
}
void LlMapAnd(LlMap& a, const LlMap& b) {
  EachWord(a, [&](uint32_t& w, size_t k) { w &= b.w[k]; });
}
void LlMapOr(LlMap& a, const LlMap& b) {
  EachWord(a, [&](uint32_t& w, size_t k) { w |= b.w[k]; });
}
void LlMapXor(LlMap& a, const LlMap& b) {
  EachWord(a, [&](uint32_t& w, size_t k) { w ^= b.w[k]; });
}

void LlMapBitSet(LlMap& m, int64_t x, int64_t y, int on) {
  if (x < 0 || x >= LL_COLS || y < 0 || y >= LL_ROWS) return;
  uint32_t bit = 0x80000000u >> (x & 31);
  uint32_t* w = Word(m, (int)(x >> 5), (int)y);
  if (on)
    *w |= bit;
  else
    *w &= ~bit;
}

int LlMapBitGet(const LlMap& m, int64_t x, int64_t y) {
  if (x < 0 || x >= LL_COLS || y < 0 || y >= LL_ROWS) return 0;
  uint32_t bit = 0x80000000u >> (x & 31);
  return (m.w[(size_t)(x >> 5) * LL_STRIP_WORDS + (size_t)y] & bit) ? 1 : 0;
}

void LlMapTrimTops(LlMap& m) {
  // Upward, so each row is compared with its upper neighbour as it was: a
  // run of set cells loses exactly its topmost row; the guard row stays.
  for (int s = 0; s < LL_STRIPS; ++s) {
    uint32_t* w = Word(m, s, 0);
    for (int r = 0; r < LL_ROWS - 1; ++r) w[r] &= w[r + 1];
  }
}

int64_t LlMapCount(const LlMap& m) {
  int64_t n = 0;
  for (int s = 0; s < LL_STRIPS; ++s)
    for (int r = 0; r < LL_ROWS; ++r) n += __builtin_popcount(m.w[(size_t)s * LL_STRIP_WORDS + r]);
  return n;
}

void LlMapClip(const LlState& st, LlMap& m) {
  // 64 bits: (RL - L) x 1024 leaves 32 bits once a map cell reaches 2048.
  if (st.RL < st.R && st.RL >= st.L) {
    int64_t k = ((st.RL - st.L) * 1024) / st.S;
    for (int64_t c = k; c < LL_COLS; ++c) {
      if (c >= 0 && (c & 31) == 0 && c + 32 <= LL_COLS) {
        uint32_t* w = Word(m, (int)(c >> 5), 0);
        for (int r = 0; r < LL_ROWS; ++r) w[r] = 0;
        c += 31;
        continue;
      }
      for (int r = 0; r < LL_ROWS; ++r) LlMapBitSet(m, c, r, 0);
    }
  }
  if (st.TL < st.T && st.TL >= st.B) {
    int64_t k = ((st.TL - st.B) * 1024) / st.S;
    if (k <= 1024)
      for (int s = 0; s < LL_STRIPS; ++s) {
        uint32_t* w = Word(m, s, 0);
        for (int64_t r = k; r < LL_ROWS; ++r) w[r] = 0;
      }
  }
}

int LlGridSet(LlState& st) {
  double v[4] = {st.set.bl * st.scale, st.set.bb * st.scale, st.set.br * st.scale, st.set.bt * st.scale};
  for (double x : v)
    if (!(x > -2147483648.0 && x < 2147483648.0)) return 0;
  st.L0 = (int64_t)v[0];
  st.B0 = (int64_t)v[1];
  st.RL = (int64_t)v[2];
  st.TL = (int64_t)v[3];
  st.S = st.set.m * 1024;
  return 1;
}

int64_t LlAreaCount(const LlState& st, int64_t i, int64_t j) {
  int64_t n = 0;
  for (;; ++j, i = 0) {
    int64_t b = st.B0 + j * st.S;
    if (b >= st.TL) break;
    for (;; ++i) {
      int64_t l = st.L0 + i * st.S;
      if (l >= st.RL) break;
      if (++n >= LL_MAX_AREAS) return n;
    }
  }
  return n;
}

void LlAreaSet(LlState& st, int64_t i, int64_t j) {
  st.L = st.L0 + i * st.S;
  st.B = st.B0 + j * st.S;
  st.R = st.L + st.S;
  st.T = st.B + st.S;
}
