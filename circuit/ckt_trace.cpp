// Layer tracing: node numbers spread from object to touching object through
// the trace table until nothing changes.
#include <algorithm>
#include <bitset>
#include <map>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

namespace ckt {

namespace {

// Grids of object bounding boxes; the cells of level (i, j) are 8^i times
// the finest width and 8^j times the finest height. An object sits in the
// grid where it spans at most a few cells each way, so long thin wires
// (supply rails) cost no more than small shapes.
struct GridLevel {
  int64_t cw = 1, ch = 1;
  double perX = 1, perY = 1;  // 1 / cw, 1 / ch
  int gx = 1, gy = 1;
  std::vector<int32_t> head;   // CSR offsets, gx * gy + 1
  std::vector<int32_t> items;  // encoded: box n as n, path n as -n
};

enum { kLevels = 6, kMostSpan = 4 };

enum { kLayers = 512 };

// The objects of one layer alone: a pass wants one or a few layers, and
// the others would only be fetched to be rejected.
struct LayerGrid {
  std::vector<GridLevel> level;  // made when a query first asks for the layer
  std::vector<int> used;
  std::vector<int32_t> srcBoxes, srcPaths;  // store order; paths: areas only
  std::vector<int32_t> gridPaths;           // paths with bounds, texts left out
};

struct Grid {
  int built = 0;
  int64_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // extent of all objects
  GridLevel level[kLevels * kLevels];
  std::vector<int> used;  // levels holding objects
  std::vector<LayerGrid> layer;  // kLayers entries once built
  std::vector<int> layersPresent;
  std::vector<int32_t> bl, bb, br, bt;  // bounds of boxes, 1-based
  std::vector<int32_t> pl, pb, pr, pt;  // bounds of paths; pl > pr when none
  std::vector<uint32_t> stampB, stampP;
  uint32_t stamp = 0;
  std::vector<int8_t> boxLevel, pathLevel;  // level of each object in its current grid
};
// Geometry is fixed while numbers spread, but the relaxation visits every
// source again and again until nothing changes. So each object that can be
// a source gets, once, the list of objects whose bounds meet its own on the
// layers some pass traces its layer to (in store order, as the index gives
// them), and each pair's touch test is made at most once. A source is not
// visited while none of its contacts on the pass's layers could take its
// number or be compared with it (known from the numbers as they were when
// last looked at, and nothing on its list has changed since): the visit
// would do nothing. Visits that are made happen in the same order with the
// same numbers as before, so the results and the messages stay the same.
typedef std::bitset<kLayers> LayerMask;

struct PassSpec {
  int kind, level, merged, src, tgt;
};

struct Contacts {
  int built = 0;
  std::vector<int32_t> headB, headP;  // CSR into item; boxes 1..nb, paths 1..np
  std::vector<int32_t> item;          // box n as n, path n as -n
  std::vector<uint8_t> touch;         // per item: 0 not tested, 1 touches, 2 apart
  std::vector<int32_t> revHeadB, revHeadP, rev;  // who lists an object
  std::vector<int16_t> layB, layP;
  std::vector<uint8_t> srcStateP;  // path sources: 0 not tried, 1 outline loads, 2 not
  uint32_t tick = 0;
  // Per source: dirty, the tick of the last change of its number or a
  // contact's; act, the layers (as bits, see bitOf) of the contacts a visit
  // would act on with the numbers as they were at tick actAt - 1. A pass
  // whose layers miss them all need not visit. Untested pairs count as
  // acting, so every touch test is still made on the first visit that would
  // have made it. The states lie in the order the passes walk them (by
  // layer, boxes then paths, store order) so a pass reads them in a row.
  // node: the source's number as of tick nodeAt - 1 (most sources fail the
  // sign a pass wants, and pass after pass would read the number again).
  struct SrcState {
    uint32_t dirty, actAt;
    uint64_t act;
    int32_t node;
    uint32_t nodeAt;
  };
  std::vector<SrcState> st;
  // A pass that visited nothing visits nothing again while no source of its
  // layer has changed: passes keep the tick of such a run.
  std::vector<uint32_t> layerDirty;  // per layer: last tick a source of it changed
  std::map<uint64_t, uint32_t> idleSince;
  std::vector<int32_t> pollsB, pollsP;  // per layer: abort polls of a walk, -1 not counted yet
  std::vector<int32_t> slotB, slotP;  // object -> its state; -1 for no source
  std::vector<int32_t> baseB, baseP;  // per layer: slot of its first box, path
  uint8_t bitOf[kLayers] = {};  // layer -> bit; layers past the 63rd share bit 63
  std::vector<LayerMask> wanted;  // per source layer: the layers any pass traces it to
  int32_t nb = 0;
  std::vector<int32_t> node;
  // While the relaxation runs the numbers above are the ones that count;
  // those changed go back to the store when it ends.
  int live = 0;
  std::vector<uint8_t> changed;
  std::vector<int32_t> changes;
};
}  // namespace

struct CktTraceState {
  Grid grid;
  Contacts contacts;
};

CktTraceState* CktTraceStateNew() { return new CktTraceState(); }
void CktPartFree::operator()(CktTraceState* p) const { delete p; }

namespace {

void LayerGridMake(CktState& st, int layer);

void CellRange(int64_t lo, int64_t hi, int64_t origin, double perUnit, int n, int* a, int* b);

// Cell sizes of a set of levels over the extent for a number of objects.
void Dims(CktState& st, GridLevel* levels, int64_t objects) {
  const Grid& g = st.trace->grid;
  int sd = 1;
  while ((int64_t)sd * sd < objects && sd < 2048) sd++;
  for (int i = 0; i < kLevels; i++)
    for (int j = 0; j < kLevels; j++) {
      GridLevel& gl = levels[i * kLevels + j];
      int64_t sx = (int64_t)1 << (3 * i), sy = (int64_t)1 << (3 * j);
      gl.gx = (int)std::max<int64_t>(1, sd / sx);
      gl.gy = (int)std::max<int64_t>(1, sd / sy);
      gl.cw = std::max<int64_t>(1, (g.x1 - g.x0) / gl.gx + 1);
      gl.ch = std::max<int64_t>(1, (g.y1 - g.y0) / gl.gy + 1);
      gl.perX = 1.0 / (double)gl.cw;
      gl.perY = 1.0 / (double)gl.ch;
    }
}

// Level of an object: the finest each way where it spans few cells.
int LevelIn(CktState& st, const GridLevel* levels, int32_t l, int32_t b, int32_t r, int32_t t) {
  const Grid& g = st.trace->grid;
  int li = kLevels - 1, lj = kLevels - 1;
  for (int i = 0; i < kLevels - 1; i++) {
    const GridLevel& gl = levels[i * kLevels];
    int a0, a1;
    CellRange(l, r, g.x0, gl.perX, gl.gx, &a0, &a1);
    if (a1 - a0 + 1 <= kMostSpan) {
      li = i;
      break;
    }
  }
  for (int j = 0; j < kLevels - 1; j++) {
    const GridLevel& gl = levels[j];
    int a0, a1;
    CellRange(b, t, g.y0, gl.perY, gl.gy, &a0, &a1);
    if (a1 - a0 + 1 <= kMostSpan) {
      lj = j;
      break;
    }
  }
  return li * kLevels + lj;
}

// Fills the cells of the used levels with the objects (each in the level
// boxLevel/pathLevel give it), in store order within a cell.
void FillLevels(CktState& st, GridLevel* levels, const std::vector<int>& used, const std::vector<int32_t>& boxIds,
                const std::vector<int32_t>& pathIds) {
  Grid& g = st.trace->grid;
  std::vector<std::vector<int32_t>> counts(kLevels * kLevels);
  for (int lv : used) counts[lv].assign((size_t)levels[lv].gx * levels[lv].gy, 0);
  for (int pass = 0; pass < 2; pass++) {
    if (pass == 1)
      for (int lv : used) {
        GridLevel& gl = levels[lv];
        int cells = gl.gx * gl.gy;
        gl.head.assign(cells + 1, 0);
        for (int c = 0; c < cells; c++) gl.head[c + 1] = gl.head[c] + counts[lv][c];
        gl.items.assign(gl.head[cells], 0);
        std::fill(counts[lv].begin(), counts[lv].end(), 0);
      }
    auto place = [&](int lv, int32_t code, int32_t l, int32_t b, int32_t r, int32_t t) {
      GridLevel& gl = levels[lv];
      std::vector<int32_t>& cnt = counts[lv];
      int ax, bx, ay, by;
      CellRange(l, r, g.x0, gl.perX, gl.gx, &ax, &bx);
      CellRange(b, t, g.y0, gl.perY, gl.gy, &ay, &by);
      for (int cy = ay; cy <= by; cy++)
        for (int cx = ax; cx <= bx; cx++) {
          int c = cy * gl.gx + cx;
          if (pass == 0) cnt[c]++;
          else gl.items[gl.head[c] + cnt[c]++] = code;
        }
    };
    for (int32_t i : boxIds) place(g.boxLevel[i], i, g.bl[i], g.bb[i], g.br[i], g.bt[i]);
    for (int32_t i : pathIds) place(g.pathLevel[i], -i, g.pl[i], g.pb[i], g.pr[i], g.pt[i]);
  }
}

// Cells lo..hi falls in. A product by the cells per unit instead of a
// division by the cell size: any mapping that keeps order serves, since
// objects are put in and looked for the same way.
void CellRange(int64_t lo, int64_t hi, int64_t origin, double perUnit, int n, int* a, int* b) {
  int64_t ia = (int64_t)((double)(lo - origin) * perUnit), ib = (int64_t)((double)(hi - origin) * perUnit);
  if (lo < origin) ia = 0;
  if (hi < origin) ib = -1;
  *a = (int)std::max<int64_t>(0, std::min<int64_t>(n - 1, ia));
  *b = (int)std::min<int64_t>(n - 1, ib);
}

int Meets(int32_t l, int32_t b, int32_t r, int32_t t, int32_t L, int32_t B, int32_t R, int32_t T) {
  return !(r < L || l > R || t < B || b > T);
}

// Candidates of the window in store order: boxes, paths.
void QueryStart(CktState& st, std::vector<int32_t>& boxes, std::vector<int32_t>& paths) {
  Grid& g = st.trace->grid;
  boxes.clear();
  paths.clear();
  if (++g.stamp == 0) {
    std::fill(g.stampB.begin(), g.stampB.end(), 0);
    std::fill(g.stampP.begin(), g.stampP.end(), 0);
    g.stamp = 1;
  }
}

// Adds the candidates of one set of levels (unsorted, no repeats within
// the current stamp).
void QueryLevels(CktState& st, const GridLevel* levels, const std::vector<int>& used, int32_t L, int32_t B, int32_t R,
                 int32_t T, std::vector<int32_t>& boxes, std::vector<int32_t>& paths) {
  Grid& g = st.trace->grid;
  for (int lv : used) {
    const GridLevel& gl = levels[lv];
    int ax, bx, ay, by;
    CellRange(L, R, g.x0, gl.perX, gl.gx, &ax, &bx);
    CellRange(B, T, g.y0, gl.perY, gl.gy, &ay, &by);
    for (int cy = ay; cy <= by; cy++)
      for (int cx = ax; cx <= bx; cx++) {
        int c = cy * gl.gx + cx;
        for (int32_t k = gl.head[c]; k < gl.head[c + 1]; k++) {
          int32_t code = gl.items[k];
          if (code > 0) {
            if (g.stampB[code] == g.stamp) continue;
            g.stampB[code] = g.stamp;
            if (Meets(g.bl[code], g.bb[code], g.br[code], g.bt[code], L, B, R, T)) boxes.push_back(code);
          } else {
            int32_t n = -code;
            if (g.stampP[n] == g.stamp) continue;
            g.stampP[n] = g.stamp;
            if (Meets(g.pl[n], g.pb[n], g.pr[n], g.pt[n], L, B, R, T)) paths.push_back(n);
          }
        }
      }
  }
}

void IndexQuery(CktState& st, int32_t L, int32_t B, int32_t R, int32_t T, std::vector<int32_t>& boxes,
                std::vector<int32_t>& paths) {
  QueryStart(st, boxes, paths);
  QueryLevels(st, st.trace->grid.level, st.trace->grid.used, L, B, R, T, boxes, paths);
  std::sort(boxes.begin(), boxes.end());
  std::sort(paths.begin(), paths.end());
}

// Candidates on the target layer (and, when merged, on the level's merged
// layers): the same objects the full query gives once its layer test is
// applied, in store order.
void IndexQueryTargets(CktState& st, int32_t L, int32_t B, int32_t R, int32_t T, int merged, int level, int tgtLayer,
                       std::vector<int32_t>& boxes, std::vector<int32_t>& paths) {
  Grid& g = st.trace->grid;
  QueryStart(st, boxes, paths);
  for (int l : g.layersPresent)
    if (l == tgtLayer || (merged && TraceLayerIn(st, l, level, 1))) {
      if (g.layer[l].level.empty()) LayerGridMake(st, l);
      QueryLevels(st, g.layer[l].level.data(), g.layer[l].used, L, B, R, T, boxes, paths);
    }
  std::sort(boxes.begin(), boxes.end());
  std::sort(paths.begin(), paths.end());
}

const int32_t kNoBounds = 1;

// The walk over every object without the index (the reference the
// contacts must match). lazyBox: a source box whose ring is put into slot 0
// only when some target is tested against it (its bounds are there
// already); most visits find every candidate on the source's node and test
// nothing.
void TargetsOf(CktState& st, int kind, int level, int merged, int tgtLayer, int32_t s, int32_t selfBox, int32_t selfPath,
               int32_t lazyBox) {
  for (int32_t i = 1; i <= st.store->nb; i++) {
    if (CktStopped(st)) return;
    if (i == selfBox) continue;
    CktBox* b = BoxRec(st, i);
    if (!b) return;
    int layer = b->layer & 0x1ff;
    if (!(layer == tgtLayer || (merged && TraceLayerIn(st, layer, level, 1)))) continue;
    int32_t d = b->node;
    if (d == s || (s < 0 && d < 0 && s < d)) continue;
    if (lazyBox) {
      LoadBoxOutline(st, lazyBox, 0, 0);
      lazyBox = 0;
    }
    if (!LoadBoxOutline(st, i, 1, 1)) continue;
    if (!AreasOverlapOnRows(st, kind, i, 0, s)) AreasShareEdge(st, kind, i, 0, s);
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    if (CktStopped(st)) return;
    if (i == selfPath) continue;
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word < 0 || !PathIsArea(st, i)) continue;
    int layer = p->word & 0x1ff;
    if (!(layer == tgtLayer || (merged && TraceLayerIn(st, layer, level, 1)))) continue;
    int32_t d = p->node;
    if (d == s || (s < 0 && d < 0 && s < d)) continue;
    if (lazyBox) {
      LoadBoxOutline(st, lazyBox, 0, 0);
      lazyBox = 0;
    }
    if (!LoadPathOutline(st, i, 1, 1, 0)) continue;
    if (!AreasOverlapOnRows(st, kind, i, 1, s)) AreasShareEdge(st, kind, i, 1, s);
  }
}

int SignFits(int kind, int32_t n) {
  if (n == 0) return 0;
  if (kind == 0) return n > 0;
  if (kind == 1) return n < 0;
  return 1;
}


// The passes of level i in one round of the relaxation, in their order
// (the rounds repeat the same passes): the level's conductors, then its
// conductors to insulators and on. up: the rising sweep (levels 0..6),
// else the falling one (7..1).
template <class F>
void PassesOfLevel(CktState& st, int a, int i, int up, F&& pass) {
  auto levelSteps = [&](int level) {
    int mergedCount = 0;
    for (int k = 0; k < CKT_LIST; k++)
      if (st.set.merged[level][k]) mergedCount++;
    for (int k = 0; k < CKT_LIST && !CktStopped(st); k++) pass(PassSpec{a, level, 0, st.set.traced[level][k], 0});
    if (mergedCount > 1)
      for (int k = 0; k < CKT_LIST && !CktStopped(st); k++) pass(PassSpec{a, level, 1, st.set.merged[level][k], 0});
  };
  levelSteps(i);
  if (up) {
    for (int m = 0; m < CKT_LIST; m++)
      for (int l = 0; l < CKT_LIST; l++)
        if (st.set.traced[i][m] && st.set.insul[i][l]) pass(PassSpec{2, i, 0, st.set.traced[i][m], st.set.insul[i][l]});
    for (int l = 0; l < CKT_LIST; l++)
      for (int m = 0; m < CKT_LIST; m++)
        if (st.set.traced[i + 1][l] && st.set.insul[i][m]) pass(PassSpec{3, i, 0, st.set.insul[i][m], st.set.traced[i + 1][l]});
    for (int n = 0; n < CKT_LIST; n++)
      for (int m = 0; m < CKT_LIST; m++)
        if (st.set.insul[i][n] && st.set.insul[i + 1][m]) pass(PassSpec{4, i, 0, st.set.insul[i][n], st.set.insul[i + 1][m]});
  } else {
    int n = i;
    for (int m = 0; m < CKT_LIST; m++)
      for (int l = 0; l < CKT_LIST; l++)
        if (st.set.traced[n][m] && st.set.insul[n - 1][l]) pass(PassSpec{2, n, 0, st.set.traced[n][m], st.set.insul[n - 1][l]});
    for (int l = 0; l < CKT_LIST; l++)
      for (int m = 0; m < CKT_LIST; m++)
        if (st.set.insul[n - 1][l] && st.set.traced[n - 1][m]) pass(PassSpec{3, n, 0, st.set.insul[n - 1][l], st.set.traced[n - 1][m]});
    for (int l = 0; l < CKT_LIST; l++)
      for (int m = 0; m < CKT_LIST; m++)
        if (st.set.insul[n][l] && st.set.insul[n - 1][m]) pass(PassSpec{4, n, 0, st.set.insul[n][l], st.set.insul[n - 1][m]});
  }
}

// The layers a pass looks at for targets; an empty mask for a pass that
// does nothing.
LayerMask TargetMask(CktState& st, const PassSpec& p, int* srcLayer) {
  LayerMask m;
  *srcLayer = p.src;
  if (p.src <= 0 || p.src >= kLayers) return m;
  if (p.kind >= 2 && p.tgt == 0) return m;
  int tgt = p.kind <= 1 ? p.src : p.tgt;
  if (tgt > 0 && tgt < kLayers) m.set((size_t)tgt);
  if (p.merged)
    for (int l = 0; l < kLayers; l++)
      if (TraceLayerIn(st, l, p.level, 1)) m.set((size_t)l);
  return m;
}

// The numbers as the store has them, one after another (boxes 1..nb, then
// path n at nb + n): the passes read them far more often than they change.
inline int32_t NodeOf(CktState& st, int32_t code) { return st.trace->contacts.node[(size_t)(code > 0 ? code : st.trace->contacts.nb - code)]; }

void NodesMirror(CktState& st) {
  Contacts& c = st.trace->contacts;
  for (Contacts::SrcState& ss : c.st) {
    if (ss.actAt != 0xffffffffu) ss.actAt = 0;  // dead sources stay dead
    ss.nodeAt = 0;
  }
  c.idleSince.clear();
  int32_t nb = st.store->nb, np = st.store->np;
  c.nb = nb;
  c.node.assign((size_t)nb + np + 1, 0);
  c.changed.assign((size_t)nb + np + 1, 0);
  c.changes.clear();
  c.live = 1;
  CktBox* b = nullptr;
  for (int32_t i = 1; i <= nb; i++) {
    b = (i - 1) % CKT_BOX_PER_PAGE ? b + 1 : BoxRec(st, i);  // records of a page lie together
    if (!b) return;
    c.node[(size_t)i] = b->node;
  }
  for (int32_t i = 1; i <= np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word >= 0) c.node[(size_t)nb + i] = p->node;  // texts take no part
  }
}

void NodesWriteBack(CktState& st) {
  Contacts& c = st.trace->contacts;
  if (!c.live) return;
  for (int32_t id : c.changes) {
    if (id <= c.nb) {
      CktBox* b = BoxRec(st, id);
      if (b) b->node = c.node[(size_t)id];
    } else {
      CktPath* p = PathRec(st, id - c.nb);
      if (p) p->node = c.node[(size_t)id];
    }
    c.changed[(size_t)id] = 0;
  }
  c.changes.clear();
  c.live = 0;
}

// AreaMerge on the numbers of the relaxation.
void ContactsMerge(CktState& st, int32_t code, int32_t s);

inline int Stopped(CktState& st) { return st.run.abortFlag || st.run.oomFlag; }

void ContactsDrop(CktState& st) { st.trace->contacts = Contacts(); }

// The lists of contacts, by pairs: objects sit in a uniform grid of about
// one cell per object and a pair is met in the one cell that holds the
// lower left corner of where their bounds meet. Objects that span many
// cells (rails, wells) ask the index instead. Each list is then put in
// store order, boxes first, as the index gives candidates.
void ContactsCollect(CktState& st) {
  Contacts& c = st.trace->contacts;
  Grid& g = st.trace->grid;
  int32_t nb = st.store->nb, np = st.store->np;
  LayerMask anyWanted;
  for (const LayerMask& m : c.wanted) anyWanted |= m;
  struct Part {
    int32_t code;
    int32_t ax, bx, ay, by;  // its cells
    int16_t layer;
    uint8_t src, big;
  };
  std::vector<Part> part;
  part.reserve((size_t)nb + np);
  std::vector<int32_t> partB(nb + 1, -1), partP(np + 1, -1);
  auto join = [&](int32_t code, int layer) {
    uint8_t src = c.wanted[(size_t)layer].any();
    if (!src && !anyWanted.test((size_t)layer)) return;
    (code > 0 ? partB[code] : partP[-code]) = (int32_t)part.size();
    part.push_back(Part{code, 0, 0, 0, 0, (int16_t)layer, src, 0});
  };
  struct Bounds {
    int32_t l, b, r, t;
  };
  auto bounds = [&](int32_t code) {
    return code > 0 ? Bounds{g.bl[code], g.bb[code], g.br[code], g.bt[code]}
                    : Bounds{g.pl[-code], g.pb[-code], g.pr[-code], g.pt[-code]};
  };
  for (int32_t i = 1; i <= nb; i++)
    if (g.br[i] > g.bl[i] && g.bt[i] > g.bb[i]) join(i, c.layB[i]);
  for (int32_t i = 1; i <= np; i++)
    if (c.layP[i] >= 0) join(-i, c.layP[i]);
  std::vector<int32_t> owner, target;  // directed pairs
  owner.reserve(2 * ((size_t)nb + np));
  target.reserve(2 * ((size_t)nb + np));
  auto emit = [&](const Part& a, const Part& b) {
    if (a.src && c.wanted[(size_t)a.layer].test((size_t)b.layer)) {
      owner.push_back(a.code > 0 ? a.code : nb - a.code);
      target.push_back(b.code);
    }
    if (b.src && c.wanted[(size_t)b.layer].test((size_t)a.layer)) {
      owner.push_back(b.code > 0 ? b.code : nb - b.code);
      target.push_back(a.code);
    }
  };
  int32_t n = (int32_t)part.size();
  if (n > 0) {
    int side = 1;
    while ((int64_t)side * side < n && side < 4096) side++;
    // Any mapping that keeps order serves, as long as it is the same for
    // every object: a product instead of a division.
    double sx = side / ((double)(g.x1 - g.x0) + 1), sy = side / ((double)(g.y1 - g.y0) + 1);
    auto cellX = [&](int32_t x) { return std::min(side - 1, std::max(0, (int)(((double)x - g.x0) * sx))); };
    auto cellY = [&](int32_t y) { return std::min(side - 1, std::max(0, (int)(((double)y - g.y0) * sy))); };
    std::vector<int32_t> head((size_t)side * side + 1, 0), cellOf;
    std::vector<int32_t> big;
    for (int pass = 0; pass < 2; pass++) {
      if (pass == 1) {
        for (size_t k = 1; k < head.size(); k++) head[k] += head[k - 1];
        cellOf.assign((size_t)head.back(), 0);
      }
      for (int32_t k = 0; k < n; k++) {
        Part& o = part[(size_t)k];
        if (pass == 0) {
          Bounds ob = bounds(o.code);
          o.ax = cellX(ob.l);
          o.bx = cellX(ob.r);
          o.ay = cellY(ob.b);
          o.by = cellY(ob.t);
          if ((int64_t)(o.bx - o.ax + 1) * (o.by - o.ay + 1) > 16) {
            o.big = 1;
            big.push_back(k);
          }
        }
        if (o.big) continue;
        for (int cy = o.ay; cy <= o.by; cy++)
          for (int cx = o.ax; cx <= o.bx; cx++) {
            size_t cell = (size_t)cy * side + cx;
            if (pass == 0) head[cell + 1]++;
            else cellOf[(size_t)head[cell]++] = k;
          }
      }
    }
    // head[cell] is now the end of the cell's run, head[cell - 1] its start.
    for (int cy = 0; cy < side; cy++)
      for (int cx = 0; cx < side; cx++) {
        size_t cell = (size_t)cy * side + cx;
        int32_t from = cell ? head[cell - 1] : 0, to = head[cell];
        for (int32_t p = from; p < to; p++)
          for (int32_t q = p + 1; q < to; q++) {
            const Part& a = part[(size_t)cellOf[(size_t)p]];
            const Part& b = part[(size_t)cellOf[(size_t)q]];
            if (std::max(a.ax, b.ax) != cx || std::max(a.ay, b.ay) != cy) continue;
            Bounds ab = bounds(a.code), bb = bounds(b.code);
            if (Meets(ab.l, ab.b, ab.r, ab.t, bb.l, bb.b, bb.r, bb.t)) emit(a, b);
          }
      }
    std::vector<int32_t> boxes, paths;
    for (int32_t k : big) {
      const Part& a = part[(size_t)k];
      Bounds ab = bounds(a.code);
      IndexQuery(st, ab.l, ab.b, ab.r, ab.t, boxes, paths);
      auto with = [&](int32_t other) {
        if (other < 0 || other == k) return;
        const Part& b = part[(size_t)other];
        if (b.big && other < k) return;  // met from the other side
        emit(a, b);
      };
      for (int32_t j : boxes) with(partB[j]);
      for (int32_t j : paths) with(partP[j]);
    }
  }
  // Lists by owner (boxes 1..nb, then paths as nb + n), each in store order.
  std::vector<int32_t> head((size_t)nb + np + 2, 0);
  for (int32_t o : owner) head[(size_t)o + 1]++;
  for (size_t k = 1; k < head.size(); k++) head[k] += head[k - 1];
  c.item.assign(owner.size(), 0);
  std::vector<int32_t> fill(head.begin(), head.end());
  for (size_t k = 0; k < owner.size(); k++) c.item[(size_t)fill[(size_t)owner[k]]++] = target[k];
  auto key = [nb](int32_t code) { return code > 0 ? code : nb - code; };
  for (size_t o = 1; o + 1 < head.size(); o++)
    if (head[o + 1] - head[o] > 1)
      std::sort(c.item.begin() + head[o], c.item.begin() + head[o + 1],
                [&](int32_t x, int32_t y) { return key(x) < key(y); });
  c.headB.assign(head.begin(), head.begin() + nb + 2);
  c.headP.assign((size_t)np + 2, 0);
  for (int32_t i = 0; i <= np + 1; i++) c.headP[(size_t)i] = head[(size_t)(nb + i)];
  c.headP[0] = 0;
}

void ContactsBuild(CktState& st) {
  Contacts& c = st.trace->contacts;
  Grid& g = st.trace->grid;
  ContactsDrop(st);
  c.wanted.assign(kLayers, LayerMask());
  for (int up = 1; up >= 0; up--)
    for (int i = up ? 0 : 7; up ? i <= 6 : i >= 1; i += up ? 1 : -1)
      PassesOfLevel(st, 0, i, up, [&](const PassSpec& p) {
        int src;
        LayerMask m = TargetMask(st, p, &src);
        if (m.any()) c.wanted[(size_t)src] |= m;
      });
  int32_t nb = st.store->nb, np = st.store->np;
  c.layB.assign(nb + 1, 0);
  c.layP.assign(np + 1, -1);  // -1: never a target (text, line or no bounds)
  for (int32_t i = 1; i <= nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) return;
    c.layB[i] = (int16_t)(b->layer & 0x1ff);
  }
  for (int32_t i = 1; i <= np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word >= 0 && g.pl[i] <= g.pr[i] && PathIsArea(st, i)) c.layP[i] = (int16_t)(p->word & 0x1ff);
  }
  ContactsCollect(st);
  c.touch.assign(c.item.size(), 0);
  // Who lists each object: a change of its number wakes them.
  c.revHeadB.assign(nb + 2, 0);
  c.revHeadP.assign(np + 2, 0);
  for (int32_t code : c.item) (code > 0 ? c.revHeadB[code + 1] : c.revHeadP[-code + 1])++;
  for (int32_t i = 1; i <= nb + 1; i++) c.revHeadB[i] += c.revHeadB[i - 1];
  c.revHeadP[0] = c.revHeadB[nb + 1];
  for (int32_t i = 1; i <= np + 1; i++) c.revHeadP[i] += c.revHeadP[i - 1];
  c.rev.assign(c.item.size(), 0);
  std::vector<int32_t> fillB(c.revHeadB.begin(), c.revHeadB.end()), fillP(c.revHeadP.begin(), c.revHeadP.end());
  for (int32_t i = 1; i <= nb; i++)
    for (int32_t k = c.headB[i]; k < c.headB[i + 1]; k++) {
      int32_t code = c.item[k];
      c.rev[code > 0 ? fillB[code]++ : fillP[-code]++] = i;
    }
  for (int32_t i = 1; i <= np; i++)
    for (int32_t k = c.headP[i]; k < c.headP[i + 1]; k++) {
      int32_t code = c.item[k];
      c.rev[code > 0 ? fillB[code]++ : fillP[-code]++] = -i;
    }
  c.srcStateP.assign(np + 1, 0);
  c.slotB.assign(nb + 1, -1);
  c.slotP.assign(np + 1, -1);
  c.baseB.assign(kLayers, 0);
  c.baseP.assign(kLayers, 0);
  int32_t slots = 0;
  for (int l = 0; l < kLayers; l++) {
    const LayerGrid& lg = g.layer[l];
    c.baseB[l] = slots;
    for (int32_t i : lg.srcBoxes) c.slotB[i] = slots++;
    c.baseP[l] = slots;
    for (int32_t i : lg.srcPaths) c.slotP[i] = slots++;
  }
  c.st.assign((size_t)slots, Contacts::SrcState{0, 0, 0, 0, 0});
  c.layerDirty.assign(kLayers, 0);
  c.pollsB.assign(kLayers, -1);
  c.pollsP.assign(kLayers, -1);
  NodesMirror(st);
  int bits = 0;
  for (int l : g.layersPresent) c.bitOf[l] = (uint8_t)std::min(bits++, 63);
  c.built = 1;
}

void ContactsChanged(CktState& st, int32_t code, int32_t now) {
  Contacts& c = st.trace->contacts;
  if (!c.built) return;
  if (c.tick >= 0xfffffff0u) {
    // Out of ticks: every source is looked at afresh from here.
    for (Contacts::SrcState& ss : c.st) ss.dirty = ss.actAt = ss.nodeAt = 0;
    std::fill(c.layerDirty.begin(), c.layerDirty.end(), 0);
    c.idleSince.clear();
    c.tick = 0;
  }
  size_t id = (size_t)(code > 0 ? code : c.nb - code);
  if (id < c.node.size()) {
    c.node[id] = now;
    if (c.live && !c.changed[id]) {
      c.changed[id] = 1;
      c.changes.push_back((int32_t)id);
    }
  }
  uint32_t t = ++c.tick;
  auto mark = [&](int32_t o) {
    int32_t slot = o > 0 ? c.slotB[o] : c.slotP[-o];
    if (slot < 0) return;
    c.st[(size_t)slot].dirty = t;
    c.layerDirty[(size_t)(o > 0 ? c.layB[o] : c.layP[-o] >= 0 ? c.layP[-o] : PathRec(st, -o)->word & 0x1ff)] = t;
  };
  int32_t from, to;
  if (code > 0) {
    if (code >= (int32_t)c.slotB.size()) return;
    from = c.revHeadB[code];
    to = c.revHeadB[code + 1];
  } else {
    if (-code >= (int32_t)c.slotP.size()) return;
    from = c.revHeadP[-code];
    to = c.revHeadP[-code + 1];
  }
  mark(code);
  for (int32_t k = from; k < to; k++) mark(c.rev[k]);
}

// A visit merges into (or compares with) a touching contact of number d
// only so.
inline int Acts(int32_t s, int32_t d) {
  return d != s && (d == 0 || (d < 0 && s > d) || (s > 0 && d > 0));
}

uint64_t MaskBits(CktState& st, const LayerMask& mask) {
  uint64_t m = 0;
  for (int l : st.trace->grid.layersPresent)
    if (mask.test((size_t)l)) m |= (uint64_t)1 << st.trace->contacts.bitOf[l];
  return m;
}

// The layers of source code's contacts a visit would act on now.
uint64_t ActsNow(CktState& st, int32_t code, int32_t s) {
  Contacts& c = st.trace->contacts;
  int32_t from = code > 0 ? c.headB[code] : c.headP[-code];
  int32_t to = code > 0 ? c.headB[code + 1] : c.headP[-code + 1];
  uint64_t m = 0;
  for (int32_t k = from; k < to; k++) {
    if (c.touch[k] == 2) continue;
    int32_t j = c.item[k];
    int32_t d = NodeOf(st, j);
    // An untested pair whose numbers pass the visit's first check would be
    // tested: it counts.
    if (c.touch[k] == 0 ? !(d == s || (s < 0 && d < 0 && s < d)) : Acts(s, d))
      m |= (uint64_t)1 << c.bitOf[j > 0 ? c.layB[j] : c.layP[-j]];
  }
  return m;
}

// One visit of source code (node s) over its contacts on the pass's
// layers.
void ContactsVisit(CktState& st, const LayerMask& mask, int32_t code, int32_t s) {
  Contacts& c = st.trace->contacts;
  int32_t from = code > 0 ? c.headB[code] : c.headP[-code];
  int32_t to = code > 0 ? c.headB[code + 1] : c.headP[-code + 1];
  int srcLoaded = 0;
  for (int32_t k = from; k < to; k++) {
    if (Stopped(st)) return;
    int32_t j = c.item[k];
    if (!mask.test((size_t)(j > 0 ? c.layB[j] : c.layP[-j]))) continue;
    int32_t d = NodeOf(st, j);
    if (d == s || (s < 0 && d < 0 && s < d)) continue;
    uint8_t t = c.touch[k];
    if (t == 0 && code > 0 && j > 0) {
      const Grid& g = st.trace->grid;
      t = BoxesTouch(g.bl[code], g.bb[code], g.br[code], g.bt[code], g.bl[j], g.bb[j], g.br[j], g.bt[j]) ? 1 : 2;
      c.touch[k] = t;
    } else if (t == 0) {
      if (!srcLoaded) {
        if (code > 0) LoadBoxOutline(st, code, 0, 0);
        else LoadPathOutline(st, -code, 0, 0, 0);
        srcLoaded = 1;
      }
      int loaded = j > 0 ? LoadBoxOutline(st, j, 1, 1) : LoadPathOutline(st, -j, 1, 1, 0);
      t = loaded && (SlotsTouchRows(st) || SlotsTouchEdges(st)) ? 1 : 2;
      c.touch[k] = t;
    }
    if (t != 1) continue;
    ContactsMerge(st, j, s);
  }
}

void ContactsMerge(CktState& st, int32_t code, int32_t s) {
  if (s == 0) return;
  int32_t d = NodeOf(st, code);
  if (s > 0 && d > 0) {
    RealNamesClash(st, s, d);
    return;
  }
  if (d > 0) return;
  if (d == 0 || (d < 0 && s > d)) {
    st.nodes.passFlag = 1;
    st.nodes.cycleFlag = 1;
    ContactsChanged(st, code, s);
  }
}

// The source loops of one pass over the contacts: the same sources in the
// same order as the walk without them, with the abort poll at the same
// objects. 1 when the pass is to end the tracing.
int ContactsPass(CktState& st, int kind, const LayerMask& mask, uint64_t bits, uint64_t key, int srcLayer) {
  Contacts& c = st.trace->contacts;
  const LayerGrid& src = st.trace->grid.layer[srcLayer];
  auto idle = c.idleSince.find(key);
  if (idle != c.idleSince.end() && c.layerDirty[(size_t)srcLayer] <= idle->second) {
    // Nothing to visit: only the abort polls the walk would make.
    for (int isPath = 0; isPath < 2; isPath++) {
      std::vector<int32_t>& polls = isPath ? c.pollsP : c.pollsB;
      if (polls[(size_t)srcLayer] < 0) {
        int32_t n = 0, nextPoll = 100;
        for (int32_t i : isPath ? src.srcPaths : src.srcBoxes)
          if (i >= nextPoll) {
            nextPoll = (i / 100 + 1) * 100;
            n++;
          }
        polls[(size_t)srcLayer] = n;
      }
      for (int32_t n = 0; n < polls[(size_t)srcLayer]; n++)
        if (AbortPoll(st, 0)) break;
      if (AbortPoll(st, 0) || CktStopped(st)) return 1;
    }
    return 0;
  }
  int visited = 0;
  for (int isPath = 0; isPath < 2; isPath++) {
    const std::vector<int32_t>& list = isPath ? src.srcPaths : src.srcBoxes;
    Contacts::SrcState* states = c.st.data() + (isPath ? c.baseP[srcLayer] : c.baseB[srcLayer]);
    int32_t nextPoll = 100;
    for (size_t k = 0; k < list.size(); k++) {
      int32_t i = list[k];
      if (i >= nextPoll) {
        nextPoll = (i / 100 + 1) * 100;
        if (AbortPoll(st, 0)) break;
      }
      if (Stopped(st)) break;
      Contacts::SrcState& ss = states[k];
      if (ss.dirty < ss.actAt && !(ss.act & bits)) continue;
      int32_t code = isPath ? -i : i;
      if (ss.dirty >= ss.nodeAt) {
        ss.node = NodeOf(st, code);
        ss.nodeAt = c.tick + 1;
      }
      int32_t s = ss.node;
      if (!SignFits(kind, s)) continue;
      int dead = 0;
      if (isPath) {
        // An outline that fails to load once never loads: geometry is fixed.
        uint8_t& state = c.srcStateP[(size_t)i];
        if (state == 0) state = PathIsArea(st, i) && LoadPathOutline(st, i, 0, 0, 0) ? 1 : 2;
        dead = state != 1;
      } else {
        dead = st.trace->grid.br[i] <= st.trace->grid.bl[i] || st.trace->grid.bt[i] <= st.trace->grid.bb[i];
      }
      if (dead) {
        // Never a source: passed over at once from now on.
        ss.act = 0;
        ss.actAt = 0xffffffffu;
        continue;
      }
      if (ss.dirty >= ss.actAt) {
        ss.act = ActsNow(st, code, s);
        ss.actAt = c.tick + 1;
      }
      if (ss.act & bits) {
        visited = 1;
        ContactsVisit(st, mask, code, s);
      }
    }
    if (AbortPoll(st, 0) || CktStopped(st)) return 1;
  }
  if (visited) c.idleSince.erase(key);
  else c.idleSince[key] = c.tick;
  return 0;
}

}  // namespace

void IndexDrop(CktState& st) {
  st.trace->grid = Grid();
  ContactsDrop(st);
}


void IndexBuild(CktState& st) {
  IndexDrop(st);
  Grid& g = st.trace->grid;
  int32_t nb = st.store->nb, np = st.store->np;
  g.bl.assign(nb + 1, 0); g.bb.assign(nb + 1, 0); g.br.assign(nb + 1, 0); g.bt.assign(nb + 1, 0);
  g.pl.assign(np + 1, kNoBounds); g.pb.assign(np + 1, 0); g.pr.assign(np + 1, 0); g.pt.assign(np + 1, 0);
  g.stampB.assign(nb + 1, 0);
  g.stampP.assign(np + 1, 0);
  int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
  int32_t count = 0;
  for (int32_t i = 1; i <= nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    g.bl[i] = b->left; g.bb[i] = b->bottom; g.br[i] = b->right; g.bt[i] = b->top;
    minX = std::min<int64_t>(minX, b->left); maxX = std::max<int64_t>(maxX, b->right);
    minY = std::min<int64_t>(minY, b->bottom); maxY = std::max<int64_t>(maxY, b->top);
    count++;
  }
  for (int32_t i = 1; i <= np; i++) {
    int32_t l, b, r, t;
    if (!PathBounds(st, i, &l, &b, &r, &t)) continue;
    g.pl[i] = l; g.pb[i] = b; g.pr[i] = r; g.pt[i] = t;
    minX = std::min<int64_t>(minX, l); maxX = std::max<int64_t>(maxX, r);
    minY = std::min<int64_t>(minY, b); maxY = std::max<int64_t>(maxY, t);
    count++;
  }
  g.built = 1;
  g.layer.assign(kLayers, LayerGrid());
  if (count == 0) return;
  g.x0 = minX;
  g.y0 = minY;
  g.x1 = maxX;
  g.y1 = maxY;
  Dims(st, g.level, count);
  g.boxLevel.assign(nb + 1, 0);
  g.pathLevel.assign(np + 1, -1);
  std::vector<int> filled(kLevels * kLevels, 0);
  for (int32_t i = 1; i <= nb; i++) {
    g.boxLevel[i] = (int8_t)LevelIn(st, g.level, g.bl[i], g.bb[i], g.br[i], g.bt[i]);
    filled[g.boxLevel[i]] = 1;
  }
  for (int32_t i = 1; i <= np; i++)
    if (g.pl[i] <= g.pr[i]) {
      g.pathLevel[i] = (int8_t)LevelIn(st, g.level, g.pl[i], g.pb[i], g.pr[i], g.pt[i]);
      filled[g.pathLevel[i]] = 1;
    }
  for (int lv = 0; lv < kLevels * kLevels; lv++)
    if (filled[lv]) g.used.push_back(lv);
  std::vector<int32_t> allBoxes, allPaths;
  allBoxes.reserve((size_t)nb);
  for (int32_t i = 1; i <= nb; i++) allBoxes.push_back(i);
  for (int32_t i = 1; i <= np; i++)
    if (g.pathLevel[i] >= 0) allPaths.push_back(i);
  FillLevels(st, g.level, g.used, allBoxes, allPaths);
  // Per layer, the sources of the passes; a layer's own grid is made only
  // when a query asks for it. Paths that are texts never take part.
  CktBox* b = nullptr;
  for (int32_t i = 1; i <= nb; i++) {
    b = (i - 1) % CKT_BOX_PER_PAGE ? b + 1 : BoxRec(st, i);  // records of a page lie together
    if (!b) break;
    g.layer[b->layer & 0x1ff].srcBoxes.push_back(i);
  }
  for (int32_t i = 1; i <= np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0) continue;
    if (PathIsArea(st, i)) g.layer[p->word & 0x1ff].srcPaths.push_back(i);
    if (g.pathLevel[i] >= 0) g.layer[p->word & 0x1ff].gridPaths.push_back(i);
  }
  for (int l = 0; l < kLayers; l++)
    if (!g.layer[l].srcBoxes.empty() || !g.layer[l].gridPaths.empty()) g.layersPresent.push_back(l);
}

namespace {

// A layer's grid is sized for its own objects: one of few objects needs
// no more cells than it has objects. Each object has one layer, so the
// level tables are shared.
void LayerGridMake(CktState& st, int l) {
  Grid& g = st.trace->grid;
  LayerGrid& lg = g.layer[l];
  lg.level.assign(kLevels * kLevels, GridLevel());
  lg.used.clear();
  Dims(st, lg.level.data(), (int64_t)(lg.srcBoxes.size() + lg.gridPaths.size()));
  std::vector<int> lf(kLevels * kLevels, 0);
  for (int32_t i : lg.srcBoxes) {
    g.boxLevel[i] = (int8_t)LevelIn(st, lg.level.data(), g.bl[i], g.bb[i], g.br[i], g.bt[i]);
    lf[g.boxLevel[i]] = 1;
  }
  for (int32_t i : lg.gridPaths) {
    g.pathLevel[i] = (int8_t)LevelIn(st, lg.level.data(), g.pl[i], g.pb[i], g.pr[i], g.pt[i]);
    lf[g.pathLevel[i]] = 1;
  }
  for (int lv = 0; lv < kLevels * kLevels; lv++)
    if (lf[lv]) lg.used.push_back(lv);
  FillLevels(st, lg.level.data(), lg.used, lg.srcBoxes, lg.gridPaths);
}

}  // namespace

int AreaMerge(CktState& st, int kind, int32_t target, int targetIsPath, int32_t s) {
  (void)kind;
  if (s == 0) return 1;
  int32_t* d = nullptr;
  if (targetIsPath) {
    CktPath* p = PathRec(st, target);
    if (p) d = &p->node;
  } else {
    CktBox* b = BoxRec(st, target);
    if (b) d = &b->node;
  }
  if (!d) return 1;
  if (s > 0 && *d > 0) {
    RealNamesClash(st, s, *d);
    return 1;
  }
  if (*d > 0) return 1;
  if (*d == 0 || (*d < 0 && s > *d)) {
    *d = s;
    st.nodes.passFlag = 1;
    st.nodes.cycleFlag = 1;
    ContactsChanged(st, targetIsPath ? -target : target, s);
  }
  return 1;
}

int LineMerge(CktState& st, int kind, int32_t s, int32_t target) {
  CktPath* p = PathRec(st, target);
  if (!p) return 1;
  int32_t d = p->node;
  if (RealNamesClash(st, s, d)) return 1;
  // Only a change asks for another pass: otherwise two virtual lines that
  // touch would keep the loop running to its limit.
  if (kind == 0) {
    if (d != s) {
      p->node = s;
      st.nodes.passFlag = 1;
    }
  } else if (d < 0 && s > d) {
    p->node = s;
    st.nodes.passFlag = 1;
  }
  return 1;
}

namespace {
// The source loops of one pass over every object, the abort poll once per
// 100 objects. 1 when the pass is to end the tracing.
int WalkPass(CktState& st, int kind, int level, int merged, int srcLayer, int tgtLayer) {
  int32_t polled = 0;
  for (int32_t i = 1; i <= st.store->nb; i++) {
    if (i / 100 != polled) {
      polled = i / 100;
      if (AbortPoll(st, 0)) break;
    }
    if (CktStopped(st)) break;
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    if (!SignFits(kind, b->node) || (b->layer & 0x1ff) != srcLayer) continue;
    int32_t s = b->node;
    if (b->right <= b->left || b->top <= b->bottom) continue;
    EdgeSlot& w = st.scan.slot[0];
    w.left = b->left; w.bottom = b->bottom; w.right = b->right; w.top = b->top;
    TargetsOf(st, kind, level, merged, tgtLayer, s, i, 0, i);
  }
  if (AbortPoll(st, 0) || CktStopped(st)) return 1;
  polled = 0;
  for (int32_t i = 1; i <= st.store->np; i++) {
    if (i / 100 != polled) {
      polled = i / 100;
      if (AbortPoll(st, 0)) break;
    }
    if (CktStopped(st)) break;
    CktPath* pr = PathRec(st, i);
    if (!pr) break;
    if (pr->word < 0 || !SignFits(kind, pr->node) || (pr->word & 0x1ff) != srcLayer) continue;
    if (!PathIsArea(st, i)) continue;
    int32_t s = pr->node;
    if (!LoadPathOutline(st, i, 0, 0, 0)) continue;
    TargetsOf(st, kind, level, merged, tgtLayer, s, 0, i, 0);
  }
  return AbortPoll(st, 0) || CktStopped(st);
}

// One pass of the relaxation, its numbers where the relaxation keeps them.
void PassWalk(CktState& st, int kind, int level, int merged, int srcLayer, int tgtLayer) {
  if (CktStopped(st) || srcLayer == 0) return;
  if (kind >= 2 && tgtLayer == 0) return;
  if (kind <= 1) tgtLayer = srcLayer;
  int p = 1;
  char status[400];
  for (;;) {
    st.nodes.passFlag = 0;
    if (kind <= 1) {
      if (merged)
        snprintf(status, sizeof status, "Merging Conductors on Layers %.255s ... Pass %d", st.set.mergedText[level & 7], p);
      else
        snprintf(status, sizeof status, "Connecting Layer %d Conductors ... Pass %d", srcLayer, p);
    } else if (kind == 2) {
      snprintf(status, sizeof status, "Tracing Layer %d Conductors to Layer %d Insulators", srcLayer, tgtLayer);
    } else if (kind == 3) {
      snprintf(status, sizeof status, "Tracing Layer %d Insulators to Layer %d Conductors", srcLayer, tgtLayer);
    } else {
      snprintf(status, sizeof status, "Tracing Layer %d Insulators to Layer %d Insulators", srcLayer, tgtLayer);
    }
    StatusLine2(st, status, 0);
    if (kind <= 1) p++;
    // With the index built the contacts serve (the source layer's objects
    // in the same order); without it every object is walked.
    const LayerGrid* src = !st.trace->grid.layer.empty() && srcLayer > 0 && srcLayer < kLayers ? &st.trace->grid.layer[srcLayer] : nullptr;
    if (src && st.nodes.useIndex && !st.trace->contacts.built) ContactsBuild(st);
    if (src && st.trace->contacts.built) {
      int sl;
      LayerMask mask = TargetMask(st, PassSpec{kind, level, merged, srcLayer, tgtLayer}, &sl);
      uint64_t key = (uint64_t)kind | (uint64_t)level << 4 | (uint64_t)merged << 8 | (uint64_t)srcLayer << 12 |
                     (uint64_t)tgtLayer << 24;
      if (ContactsPass(st, kind, mask, MaskBits(st, mask), key, srcLayer)) return;
    } else if (WalkPass(st, kind, level, merged, srcLayer, tgtLayer)) {
      return;
    }
    if (!st.nodes.passFlag) return;
    if (kind <= 1 && p >= 100) return;
    if (kind == 2 || kind == 3) return;
  }
}

}  // namespace

void ConnectPass(CktState& st, int kind, int level, int merged, int srcLayer, int tgtLayer) {
  if (st.trace->contacts.built) NodesMirror(st);
  PassWalk(st, kind, level, merged, srcLayer, tgtLayer);
  NodesWriteBack(st);
}

namespace {
void RemainStatus(CktState& st) {
  char status[120];
  snprintf(status, sizeof status, "Connecting and Reducing Virtual Nodes ... %d Remain", (int)VirtualNodesLeft(st));
  StatusLine(st, status, 0);
}
}  // namespace

int IndexBuilt(CktState& st) { return st.trace->grid.built; }

void IndexQueryPoint(CktState& st, int32_t x, int32_t y, std::vector<int32_t>& boxes, std::vector<int32_t>& paths) {
  IndexQuery(st, x, y, x, y, boxes, paths);
}

void NodeRelax(CktState& st, int a) {
  int own = st.nodes.useIndex && !st.trace->grid.built;
  if (own) IndexBuild(st);
  // Numbers changed since the last relaxation without the contacts seeing
  // it: every source is looked at afresh.
  if (st.trace->contacts.built) NodesMirror(st);
  auto walk = [&st](const PassSpec& p) { PassWalk(st, p.kind, p.level, p.merged, p.src, p.tgt); };
  do {
    st.nodes.cycleFlag = 0;
    for (int i = 0; i <= 6 && !CktStopped(st); i++) PassesOfLevel(st, a, i, 1, walk);
    if (a == 1) RemainStatus(st);
    for (int n = 7; n >= 1 && !CktStopped(st); n--) PassesOfLevel(st, a, n, 0, walk);
    if (a == 1) RemainStatus(st);
  } while (!CktStopped(st) && st.nodes.cycleFlag);
  NodesWriteBack(st);
  if (own) IndexDrop(st);
}

void LineTargets(CktState& st, int kind, int layer, int32_t s) {
  static std::vector<int32_t> boxes, paths;
  const EdgeSlot& w = st.scan.slot[0];
  int useIndex = st.nodes.useIndex && st.trace->grid.built;
  if (useIndex) IndexQueryTargets(st, w.left, w.bottom, w.right, w.top, 0, 0, layer & 0x1ff, boxes, paths);
  int32_t np = useIndex ? (int32_t)paths.size() : st.store->np;
  for (int32_t k = 0; k < np; k++) {
    if (CktStopped(st)) return;
    int32_t i = useIndex ? paths[k] : k + 1;
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word < 0 || (p->word & 0x1ff) != layer || p->width != 0 || p->node == s) continue;
    if (!LoadPathOutline(st, i, 1, 1, 1)) continue;
    if (LinesShareVertex(st, kind, s, i)) continue;
    if (VertexOnLine(st, kind, s, i, 0, 1)) continue;
    VertexOnLine(st, kind, s, i, 1, 0);
  }
}

void SchematicPasses(CktState& st, int kind) {
  int own = st.nodes.useIndex && !st.trace->grid.built;
  if (own) IndexBuild(st);
  char status[120];
  for (int p = 1; p <= 99 && !CktStopped(st); p++) {
    snprintf(status, sizeof status, kind == 0 ? "Connecting Schematic Real Nodes ... Pass %d"
                                              : "Connecting Schematic Virtual Nodes ... Pass %d", p);
    StatusLine(st, status, 0);
    st.nodes.passFlag = 0;
    for (int32_t v = 1; v <= st.store->np; v++) {
      if (AbortPoll(st, 0) || CktStopped(st)) break;
      CktPath* pr = PathRec(st, v);
      if (!pr) break;
      if (pr->word < 0 || PathIsArea(st, v)) continue;
      int layer = pr->word & 0x1ff;
      if (!ConductorLayer(st, layer)) continue;
      int32_t s = pr->node;
      if (kind == 0 ? s <= 0 : s >= 0) continue;
      if (!LoadPathOutline(st, v, 0, 0, 1)) continue;
      LineTargets(st, kind, layer, s);
    }
    if (!st.nodes.passFlag) break;
  }
  if (own) IndexDrop(st);
}

// Counted after every sweep of the relaxation: one mark per number (the
// virtual numbers are dense from -1 down) instead of sorting them all.
int32_t VirtualNodesLeft(CktState& st) {
  static std::vector<uint8_t> mark;
  static std::vector<int32_t> seen;
  seen.clear();
  int32_t lowest = 0;
  auto note = [&](int32_t n) {
    if (n >= 0) return;
    seen.push_back(n);
    lowest = std::min(lowest, n);
  };
  if (st.trace->contacts.live) {
    for (size_t id = 1; id < st.trace->contacts.node.size(); id++) note(st.trace->contacts.node[id]);
  } else {
    CktBox* b = nullptr;
    for (int32_t i = 1; i <= st.store->nb; i++) {
      b = (i - 1) % CKT_BOX_PER_PAGE ? b + 1 : BoxRec(st, i);  // records of a page lie together
      if (!b) break;
      note(b->node);
    }
    for (int32_t i = 1; i <= st.store->np; i++) {
      CktPath* p = PathRec(st, i);
      if (!p) break;
      if (p->word >= 0) note(p->node);
    }
  }
  int64_t range = -(int64_t)lowest;
  if (range > 4 * (int64_t)seen.size() + 1024) {
    std::sort(seen.begin(), seen.end());
    return (int32_t)(std::unique(seen.begin(), seen.end()) - seen.begin());
  }
  mark.assign((size_t)range + 1, 0);
  int32_t count = 0;
  for (int32_t n : seen) {
    uint8_t& m = mark[(size_t)(-(int64_t)n)];
    count += !m;
    m = 1;
  }
  return count;
}

}  // namespace ckt
