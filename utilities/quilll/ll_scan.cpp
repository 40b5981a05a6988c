// One layer of the cell's hierarchy into the scan map: the walk hands over
// every box and path; their points become map points (with a question when a
// point lies half a map cell or more off the grid) and are filled row by row.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

#include "host.h"
#include "ll.h"
#include "q7tlcrw.h"
#include "satsetup.h"

namespace {

// Columns min(a, b) .. max(a, b) - 1 of row y, clipped to the map.
void SpanSet(LlMap& m, int64_t y, int64_t a, int64_t b) {
  if (y < 0 || y >= LL_ROWS) return;
  if (a > b) std::swap(a, b);
  if (a < 0) a = 0;
  if (b > LL_COLS) b = LL_COLS;
  if (a >= b) return;
  int64_t last = b - 1;
  int s0 = (int)(a >> 5), s1 = (int)(last >> 5);
  uint32_t m0 = 0xffffffffu >> (a & 31);
  uint32_t m1 = 0xffffffffu << (31 - (last & 31));
  uint32_t* w = m.w + (size_t)y;
  if (s0 == s1) {
    w[(size_t)s0 * LL_STRIP_WORDS] |= m0 & m1;
    return;
  }
  w[(size_t)s0 * LL_STRIP_WORDS] |= m0;
  for (int s = s0 + 1; s < s1; ++s) w[(size_t)s * LL_STRIP_WORDS] = 0xffffffffu;
  w[(size_t)s1 * LL_STRIP_WORDS] |= m1;
}

inline int Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

void AppendPoint(LlState& st, int64_t x, int64_t y) {
  if (st.npt >= LL_POINTS) return;  // cannot happen: the list holds the widest path
  st.ptX[st.npt] = x;
  st.ptY[st.npt] = y;
  st.npt++;
}

void PutPoint(void* ctx, int64_t x, int64_t y) { AppendPoint(*static_cast<LlState*>(ctx), x, y); }

// A map point unless it equals the last one; 0 after Abort.
int AppendMap(LlState& st, int64_t x, int64_t y) {
  int64_t px, py;
  if (!LlRoundoffWarn(st, x, y, &px, &py)) return 0;
  int n = st.nmp;
  if (n > 0 && st.mx[n - 1] == px && st.my[n - 1] == py) return 1;
  if (n >= LL_POINTS) return 1;
  st.mx[n] = px;
  st.my[n] = py;
  st.nmp = n + 1;
  return 1;
}

// The closing point, then the fill.
void FillList(LlState& st) {
  int n = st.nmp;
  if (n < 1) return;
  if (st.mx[n - 1] != st.mx[0] || st.my[n - 1] != st.my[0]) {
    st.mx[n] = st.mx[0];
    st.my[n] = st.my[0];
    st.nmp = n + 1;
  }
  LlPolyFill(st, st.scan);
}

bool Stopped(const LlState& st) { return st.abortFlag || st.errorCode; }

int WalkStopped(void* user) { return Stopped(*static_cast<LlState*>(user)); }

void WalkReadError(void* user, const char*, int code) {
  static_cast<LlState*>(user)->errorCode = code == CW_STOP_C_READ ? LL_ERR_C : LL_ERR_BP;
}

void WalkBox(void* user, const CwBoxRec& b, int depth) { LlScanBox(*static_cast<LlState*>(user), b, depth); }

void WalkPath(void* user, const CwPathRec& p, int depth) { LlScanPath(*static_cast<LlState*>(user), p, depth); }

}  // namespace

int LlRoundoffWarn(LlState& st, int64_t x, int64_t y, int64_t* px, int64_t* py) {
  double m = (double)st.set.m;
  double fx = (double)(x - st.L) / m, fy = (double)(y - st.B) / m;
  int64_t rx = CwNearest(fx), ry = CwNearest(fy);
  *px = rx;
  *py = ry;
  if (st.ignoreAll || (st.inPath && st.ignorePaths)) return 1;
  if (rx == (int64_t)std::trunc(fx) && ry == (int64_t)std::trunc(fy)) return 1;
  char text[256];
  std::snprintf(text, sizeof text, "Warning ...\n\n Rounding Occurred at  X=%.*g  Y=%.*g", 9, (double)x / st.scale, 9,
                (double)y / st.scale);
  int a = st.ops.roundoff ? st.ops.roundoff(text) : LL_RND_IGNORE;
  if (a == LL_RND_PATHS) st.ignorePaths = 1;
  if (a == LL_RND_ALL) st.ignoreAll = 1;
  if (a == LL_RND_ABORT) {
    st.abortFlag = 1;
    return 0;
  }
  return 1;
}

void LlPolyFill(LlState& st, LlMap& map) {
  const int64_t* X = st.mx;
  const int64_t* Y = st.my;
  int n = st.nmp;  // Q0 .. Qn-1 with Qn-1 = Q0
  if (n < 2) return;
  int edges = n - 1;
  int64_t ymin = Y[0], ymax = Y[0];
  for (int k = 1; k < n; ++k) {
    ymin = std::min(ymin, Y[k]);
    ymax = std::max(ymax, Y[k]);
  }
  ymin = std::max<int64_t>(ymin, 0);
  ymax = std::min<int64_t>(ymax, 1024);
  // Direction of the last edge before each edge whose ends differ in y.
  static thread_local int8_t prev[LL_POINTS + 1];
  int d = 0;
  for (int k = edges - 1; k >= 0 && d == 0; --k) d = Sign(Y[k + 1] - Y[k]);
  for (int k = 0; k < edges; ++k) {
    prev[k] = (int8_t)d;
    int e = Sign(Y[k + 1] - Y[k]);
    if (e) d = e;
  }
  int64_t* c = st.cross;
  for (int64_t y = ymin; y <= ymax; ++y) {
    int nc = 0;
    for (int k = 0; k < edges && nc + 2 <= LL_CROSS; ++k)
      if (Y[k] == y && Y[k + 1] == y) {
        c[nc++] = X[k];
        c[nc++] = X[k + 1];
      }
    std::sort(c, c + nc);
    for (int p = 0; p + 1 < nc; p += 2) SpanSet(map, y, c[p], c[p + 1]);
    nc = 0;
    for (int k = 0; k < edges && nc < LL_CROSS; ++k) {
      int64_t ya = Y[k], yb = Y[k + 1];
      int e = Sign(yb - ya);
      if (ya == y) {
        if (e != 0 && prev[k] == e) c[nc++] = X[k];
      } else if ((y > ya && y < yb) || (y < ya && y > yb)) {
        if (X[k + 1] == X[k])
          c[nc++] = X[k];
        else
          c[nc++] = CwNearest((double)(X[k + 1] - X[k]) * (double)(y - ya) / (double)(yb - ya) + (double)X[k]);
      }
    }
    std::sort(c, c + nc);
    for (int p = 0; p + 1 < nc; p += 2) SpanSet(map, y, c[p], c[p + 1]);
  }
}

void LlPathOutline(LlState& st, int64_t h, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0,
                   int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  CwPathOutline(&st.join, h, first, hasNext, extended, x0, y0, x1, y1, x2, y2, PutPoint, &st);
}

void LlScanBox(LlState& st, const CwBoxRec& bx, int depth) {
  if ((bx.layer & 0x1ff) != st.layer || st.abortFlag) return;
  int64_t l = bx.l, b = bx.b, r = bx.r, t = bx.t;
  CwCorners(st.walk, depth, &l, &b, &r, &t);
  if ((l < st.L && r < st.L) || (l > st.R && r > st.R) || (b < st.B && t < st.B) || (b > st.T && t > st.T)) return;
  // The five corners as the fill would take them (each may ask about
  // rounding); a box fills rows bottom..top and columns left..right - 1, and
  // nothing when it is flat in either direction.
  int64_t cx[5] = {l, r, r, l, l}, cy[5] = {b, b, t, t, b};
  int64_t px[5], py[5];
  st.inPath = 0;
  for (int k = 0; k < 5; ++k)
    if (!LlRoundoffWarn(st, cx[k], cy[k], &px[k], &py[k])) return;
  int64_t pl = px[0], pr = px[1], pb = py[0], pt = py[2];
  if (pl == pr || pb == pt) return;
  int64_t y0 = std::max<int64_t>(pb, 0), y1 = std::min<int64_t>(pt, 1024);
  for (int64_t y = y0; y <= y1; ++y) SpanSet(st.scan, y, pl, pr);
}

void LlScanPath(LlState& st, const CwPathRec& p, int depth) {
  if ((int)(p.word0 & 0x1ff) != st.layer || st.abortFlag) return;
  if (p.word0 & 0x80000000u) return;
  if (p.nv < 2 || !p.xy) return;
  int nv = std::min<int32_t>(p.nv, LL_PATH_V);
  int64_t l = p.xy[0], r = p.xy[0], b = p.xy[1], t = p.xy[1];
  for (int i = 1; i < nv; ++i) {
    l = std::min<int64_t>(l, p.xy[2 * i]);
    r = std::max<int64_t>(r, p.xy[2 * i]);
    b = std::min<int64_t>(b, p.xy[2 * i + 1]);
    t = std::max<int64_t>(t, p.xy[2 * i + 1]);
  }
  CwCorners(st.walk, depth, &l, &b, &r, &t);
  int64_t w = p.width, aw = w < 0 ? -w : w;
  if (r + aw < st.L || l - aw > st.R || t + aw < st.B || b - aw > st.T) return;
  st.npt = 0;
  st.nmp = 0;
  st.join = CwJoin{};
  if (aw == 0) {
    // A polygon: filled only when closed.
    if (p.xy[0] != p.xy[2 * (nv - 1)] || p.xy[1] != p.xy[2 * (nv - 1) + 1]) return;
    for (int i = 0; i < nv; ++i) {
      int64_t x = p.xy[2 * i], y = p.xy[2 * i + 1];
      CwPoint(st.walk, depth, &x, &y);
      AppendPoint(st, x, y);
    }
    st.inPath = 0;
    for (int i = 0; i < st.npt; ++i)
      if (!AppendMap(st, st.ptX[i], st.ptY[i])) return;
    FillList(st);
    return;
  }
  int64_t h = aw / 2;
  for (int i = 0; i + 1 < nv; ++i) {
    int64_t x0 = p.xy[2 * i], y0 = p.xy[2 * i + 1], x1 = p.xy[2 * i + 2], y1 = p.xy[2 * i + 3];
    bool next = i + 2 < nv;
    int64_t x2 = next ? p.xy[2 * i + 4] : 0, y2 = next ? p.xy[2 * i + 5] : 0;
    CwPoint(st.walk, depth, &x0, &y0);
    CwPoint(st.walk, depth, &x1, &y1);
    if (next) CwPoint(st.walk, depth, &x2, &y2);
    LlPathOutline(st, h, i == 0, next, w < 0, x0, y0, x1, y1, x2, y2);
  }
  int n = st.npt;
  if (n < 4) return;
  st.inPath = 1;
  bool ok = AppendMap(st, st.ptX[0], st.ptY[0]) && AppendMap(st, st.ptX[1], st.ptY[1]);
  for (int i = 3; ok && i < n; i += 2) ok = AppendMap(st, st.ptX[i], st.ptY[i]);
  int lastEven = (n - 1) % 2 == 0 ? n - 1 : n - 2;
  for (int i = lastEven; ok && i >= 0; i -= 2) ok = AppendMap(st, st.ptX[i], st.ptY[i]);
  st.inPath = 0;
  if (ok) FillList(st);
}

void LlScanLayer(LlState& st) {
  LlMapClear(st.scan);
  CellWalk& w = st.walk;
  w.src = st.src;
  w.mainCell = st.mainCell;
  w.areaL = st.L;
  w.areaB = st.B;
  w.areaR = st.R;
  w.areaT = st.T;
  w.ranksFall = 1;
  w.user = &st;
  w.box = WalkBox;
  w.path = WalkPath;
  w.stopped = WalkStopped;
  w.readError = WalkReadError;
  w.nameReadable = nullptr;
  CwWalk(w);
}

// ---- the record store, each cell file parsed once a run --------------------

namespace {

struct CachedObjs {
  int failed = 0;
  std::vector<CwBoxRec> boxes;
  std::vector<uint32_t> word;
  std::vector<int32_t> width, start, nv;
  std::vector<int32_t> xy;
};

struct CachedInsts {
  int failed = 0;
  std::vector<CwInstRec> inst;
};

struct StoreCache {
  LlState* st = nullptr;
  std::unordered_map<std::string, CachedObjs> objs;
  std::unordered_map<std::string, CachedInsts> insts;
  const CachedObjs* cur = nullptr;
  const CachedInsts* bank[CW_LEVELS] = {};
  CwCellSource src = {};
};

StoreCache Cache;

std::string Key(const char* cell) {
  std::string k(cell ? cell : "");
  for (char& c : k) c = (char)toupper((unsigned char)c);
  return k;
}

int SInfo(void*, int index, CwCellInfo* out) {
  std::memset(out, 0, sizeof *out);
  if (index < 1 || index > Cells.count) return 1;
  const CellInfo& c = Cells.cell[index];
  std::snprintf(out->name, sizeof out->name, "%s", c.name);
  out->rank = c.flags & 0x1f;
  out->l = c.l;
  out->b = c.b;
  out->r = c.r;
  out->t = c.t;
  out->nInst = c.nc;
  return 0;
}

int SReadObjects(void*, const char* cell) {
  Cache.cur = nullptr;
  if (!cell || !cell[0]) return 1;
  std::string k = Key(cell);
  auto it = Cache.objs.find(k);
  if (it == Cache.objs.end()) {
    CachedObjs o;
    TlcStore.textMode = 1;
    int r = TlcReadBPV(cell);
    if (TlcStore.oomFlag && Cache.st) Cache.st->errorCode = LL_ERR_MEMORY;
    o.failed = r != 0;
    o.boxes.reserve((size_t)TlcStore.nB);
    for (int32_t i = 1; i <= TlcStore.nB; ++i)
      o.boxes.push_back({getB(0, i), getB(1, i), getB(2, i), getB(3, i), getB(4, i)});
    for (int32_t i = 1; i <= TlcStore.nP; ++i) {
      uint32_t word = (uint32_t)getP(0, i);
      if (word & TXHB) continue;
      o.word.push_back(word);
      o.width.push_back(getP(1, i));
      o.start.push_back((int32_t)o.xy.size());
      int32_t v = getP(2, i), n = 0;
      while (v > 0 && n < PVSIZ) {
        o.xy.push_back(getV(1, v));
        o.xy.push_back(getV(2, v));
        ++n;
        v = getV(3, v);
      }
      o.nv.push_back(n);
    }
    freeBPV();
    it = Cache.objs.emplace(k, std::move(o)).first;
  }
  if (it->second.failed) return 1;
  Cache.cur = &it->second;
  return 0;
}

int32_t SBoxCount(void*) { return Cache.cur ? (int32_t)Cache.cur->boxes.size() : 0; }
void SBox(void*, int32_t i, CwBoxRec* out) { *out = Cache.cur->boxes[(size_t)i - 1]; }
int32_t SPathCount(void*) { return Cache.cur ? (int32_t)Cache.cur->word.size() : 0; }
void SPath(void*, int32_t i, CwPathRec* out) {
  size_t k = (size_t)i - 1;
  out->word0 = Cache.cur->word[k];
  out->width = Cache.cur->width[k];
  out->nv = Cache.cur->nv[k];
  out->xy = Cache.cur->xy.data() + Cache.cur->start[k];
}

int SReadInstances(void*, const char* cell, int level) {
  if (!cell || !cell[0] || level < 0 || level > NRANK) return 1;
  for (int d = level; d < CW_LEVELS; ++d) Cache.bank[d] = nullptr;
  std::string k = Key(cell);
  auto it = Cache.insts.find(k);
  if (it == Cache.insts.end()) {
    CachedInsts c;
    int r = TlcReadC(cell, level);
    // A record that does not parse is skipped (the reader said so); only a
    // missing file or a store out of memory fails the read.
    if (TlcStore.oomFlag && Cache.st) Cache.st->errorCode = LL_ERR_MEMORY;
    c.failed = r != 0 && (TlcStore.lastMissing || TlcStore.oomFlag);
    for (int32_t i = 1; i <= TlcStore.nA[level]; ++i)
      c.inst.push_back({(uint32_t)getA(level, 0, i), getA(level, 1, i), getA(level, 2, i)});
    freeCEL(level);
    it = Cache.insts.emplace(k, std::move(c)).first;
  }
  if (it->second.failed) return 1;
  Cache.bank[level] = &it->second;
  return 0;
}

int32_t SInstCount(void*, int level) {
  return level >= 0 && level < CW_LEVELS && Cache.bank[level] ? (int32_t)Cache.bank[level]->inst.size() : 0;
}
void SInst(void*, int level, int32_t i, CwInstRec* out) { *out = Cache.bank[level]->inst[(size_t)i - 1]; }

}  // namespace

const CwCellSource* LlStoreSource(LlState& st) {
  Cache.st = &st;
  Cache.src = {&st, SInfo, SReadObjects, SBoxCount, SBox, SPathCount, SPath, SReadInstances, SInstCount, SInst};
  return &Cache.src;
}

void LlStoreForget() {
  Cache.objs.clear();
  Cache.insts.clear();
  Cache.cur = nullptr;
  for (auto& b : Cache.bank) b = nullptr;
}
