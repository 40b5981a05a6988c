// Moving, copying and deleting the selection; Cut, Join, Vstp, Prev, Orig
// and Step. Every change is checked first and made whole: a command that
// would put a coordinate beyond +-2^29 or a path beyond 1024 vertices is
// refused before anything changes.
#include "cmdmove.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdtable.h"
#include "host.h"
#include "layerview.h"
#include "mainsetup.h"
#include "pending.h"
#include "store.h"
#include "undo.h"
#include "view.h"

CmdMoveState CmdMove;

namespace {

const int32_t kOwnerMask = 0x0FFFFFFF;
const int64_t kLimit = CMD_COORD_LIMIT;
const char kRangeMsg[] = "Objects would be moved Out of Range\n\nNothing was Changed";
const char kVertexMsg[] = "Single Path Vertex Limit was Exceeded";

int IsText(int32_t flags) { return ((uint32_t)flags & TEXT_BIT) != 0; }
int Positive(int32_t word) { return word > 0; }
int VertexSelected(int32_t word) { return word > 0 && (word & VERTEX_SELECTED) != 0; }
int LayerActive(int32_t flags) { return LyrActiveLayerTest(flags & FLAG_LAYER_MASK); }
int InRange(int64_t v) { return v >= -kLimit && v <= kLimit; }

void Pane602(const char* text) {
  if (CmdShell.pane) CmdShell.pane(602, text);
}

void Progress(const char* text, long done, long total) {
  if (CmdShell.progress) CmdShell.progress(text, done, total);
}

// Esc polled every so many records: the poll asks the window system.
int EscStop(CmdEngineState& st, long n) {
  if (st.abort) return 1;
  if ((n & 1023) != 0 || !CmdShell.escPoll) return 0;
  if (CmdShell.escPoll()) st.abort = 1;
  return st.abort;
}

void RedrawAll() {
  RedrawRequest(0);
  RedrawRequest(1);
}

// Walks a chain; never longer than the store holds (a damaged chain ends).
template <class F>
void ChainWalk(int32_t first, F f) {
  int32_t v = first;
  for (int32_t guard = 0; v > 0 && v <= Store.vertexCount && guard <= Store.vertexCount; ++guard) {
    int32_t* vr = StoreVertexRec(v);
    if (!vr) return;
    int32_t next = vr[3];
    f(v, vr);
    v = next;
  }
}

int ChainLength(int32_t first) {
  int n = 0;
  ChainWalk(first, [&](int32_t, int32_t*) { ++n; });
  return n;
}

int32_t ChainLast(int32_t first) {
  int32_t last = 0;
  ChainWalk(first, [&](int32_t v, int32_t*) { last = v; });
  return last;
}

// The extent of the coordinates a change touches, per axis.
struct Span {
  int64_t lo = INT64_MAX, hi = INT64_MIN;
  void Add(int64_t v) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  // 1 when every shift of 0 .. (n - 1) x d keeps the span in range.
  int Ok(int64_t d, int64_t n) const {
    if (lo > hi) return 1;
    int64_t far = d * (n - 1);
    return InRange(lo + std::min<int64_t>(0, far)) && InRange(hi + std::max<int64_t>(0, far)) && InRange(lo) &&
           InRange(hi);
  }
};

}  // namespace

// --- store routines -------------------------------------------------------------

void BoxNormalise(int32_t box) {
  int32_t* q = StoreBoxRec(box);
  if (!q) return;
  if (q[3] < q[1]) {
    std::swap(q[1], q[3]);
    int32_t l = q[0] & BOX_SEL_LEFT, r = q[0] & BOX_SEL_RIGHT;
    q[0] &= ~(int32_t)(BOX_SEL_LEFT | BOX_SEL_RIGHT);
    if (l) q[0] |= BOX_SEL_RIGHT;
    if (r) q[0] |= BOX_SEL_LEFT;
  }
  if (q[4] < q[2]) {
    std::swap(q[2], q[4]);
    int32_t b = q[0] & BOX_SEL_BOTTOM, t = q[0] & BOX_SEL_TOP;
    q[0] &= ~(int32_t)(BOX_SEL_BOTTOM | BOX_SEL_TOP);
    if (b) q[0] |= BOX_SEL_TOP;
    if (t) q[0] |= BOX_SEL_BOTTOM;
  }
  q[0] &= 0xFFFF;
}

void BoxRemove(int32_t n) {
  if (n < 1 || n > Store.boxCount) return;
  for (int32_t i = n; i < Store.boxCount; ++i) memcpy(StoreBoxRec(i), StoreBoxRec(i + 1), sizeof(int32_t) * BOX_FIELDS);
  --Store.boxCount;
}

void PathRemove(int32_t n) {
  if (n < 1 || n > Store.pathCount) return;
  for (int32_t i = n; i < Store.pathCount; ++i)
    memcpy(StorePathRec(i), StorePathRec(i + 1), sizeof(int32_t) * PATH_FIELDS);
  --Store.pathCount;
}

void InstRemove(int32_t n) {
  if (n < 1 || n > Store.instCount[0]) return;
  for (int32_t i = n; i < Store.instCount[0]; ++i)
    memcpy(StoreCellRec(0, i), StoreCellRec(0, i + 1), sizeof(int32_t) * INST_FIELDS);
  --Store.instCount[0];
}

void VertexCompact(int32_t first, int32_t k) {
  const int32_t n = Store.vertexCount;
  if (k <= 0 || first < 0 || first + k > n) return;
  for (int32_t i = first + k + 1; i <= n; ++i)
    memcpy(StoreVertexRec(i - k), StoreVertexRec(i), sizeof(int32_t) * VERTEX_FIELDS);
  Store.vertexCount = n - k;
  for (int32_t i = 1; i <= Store.vertexCount; ++i) {
    int32_t* vr = StoreVertexRec(i);
    if (vr[3] > first + k) vr[3] -= k;
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t* pr = StorePathRec(p);
    if (pr[2] > first + k) pr[2] -= k;
  }
}

void VertexSweep(int progress) {
  const int32_t np = Store.pathCount, nv = Store.vertexCount;
  // New numbers of the paths that keep two or more vertices.
  std::vector<int32_t> pathMap((size_t)np + 1, 0);
  int32_t paths = 0;
  for (int32_t p = 1; p <= np; ++p)
    if (ChainLength(StorePathGet(2, p)) >= 2) pathMap[p] = ++paths;
  // Each vertex reached by a kept chain gets its owner; a vertex a chain
  // reaches a second time (a loop or a shared tail) ends that chain.
  std::vector<int32_t> owner((size_t)nv + 1, 0);
  for (int32_t p = 1; p <= np; ++p) {
    if (!pathMap[p]) continue;
    int32_t prev = 0;
    for (int32_t v = StorePathGet(2, p); v > 0 && v <= nv; v = StoreVertexGet(3, v)) {
      if (owner[v]) {
        StoreVertexSet(0, 3, prev);
        break;
      }
      owner[v] = pathMap[p];
      prev = v;
    }
  }
  std::vector<int32_t> map((size_t)nv + 1, 0);
  int32_t to = 0;
  for (int32_t v = 1; v <= nv; ++v)
    if (owner[v]) map[v] = ++to;
  if (progress && to < nv) {
    char text[64];
    snprintf(text, sizeof text, "Deleting Vertices ... %ld", (long)(nv - to));
    Progress(text, (long)(nv - to), (long)(nv - to));
  }
  for (int32_t v = 1; v <= nv; ++v) {
    if (!owner[v]) continue;
    int32_t* src = StoreVertexRec(v);
    int32_t rec[VERTEX_FIELDS] = {(src[0] & ~kOwnerMask) | owner[v], src[1], src[2],
                                  src[3] > 0 && src[3] <= nv ? map[src[3]] : 0};
    memcpy(StoreVertexRec(map[v]), rec, sizeof rec);
  }
  Store.vertexCount = to;
  for (int32_t p = 1; p <= np; ++p) {
    if (!pathMap[p]) continue;
    int32_t* src = StorePathRec(p);
    int32_t first = src[2];
    int32_t rec[PATH_FIELDS] = {src[0], src[1], map[first]};
    memcpy(StorePathRec(pathMap[p]), rec, sizeof rec);
  }
  Store.pathCount = paths;
}

void VertexUnlinkSelected(int32_t p) {
  int32_t* pr = StorePathRec(p);
  if (!pr) return;
  int32_t prev = 0;
  ChainWalk(pr[2], [&](int32_t v, int32_t* vr) {
    if (!VertexSelected(vr[0])) {
      prev = v;
      return;
    }
    if (prev == 0)
      pr[2] = vr[3];
    else
      StoreVertexSet(vr[3], 3, prev);
  });
  pr[0] &= ~(int32_t)PATH_SELECTED;
}

void PathReverse(int32_t p) {
  int32_t* pr = StorePathRec(p);
  if (!pr) return;
  int32_t prev = 0;
  ChainWalk(pr[2], [&](int32_t v, int32_t* vr) {
    vr[3] = prev;
    prev = v;
  });
  if (prev) pr[2] = prev;
}

// --- cores ----------------------------------------------------------------------

void MoveSetCollect(MoveSet* s, int anyEdge) {
  s->boxes.clear();
  s->paths.clear();
  s->insts.clear();
  if (Cell.rank >= 2)
    for (int32_t i = 1; i <= Store.instCount[0]; ++i)
      if (StoreCellGet(0, 0, i) & INST_SELECTED) s->insts.push_back(i);
  for (int32_t p = 1; p <= Store.pathCount; ++p)
    if (StorePathGet(0, p) & PATH_SELECTED) s->paths.push_back(p);
  for (int32_t b = 1; b <= Store.boxCount; ++b) {
    int32_t f = StoreBoxGet(0, b) & BOX_SEL_ALL;
    if (anyEdge ? f != 0 : f == (int32_t)BOX_SEL_ALL) s->boxes.push_back(b);
  }
}

int MoveSetRangeOk(const MoveSet& s, int copy, int allVertices, int64_t dx, int64_t dy, int64_t nx, int64_t ny) {
  Span x, y;
  for (int32_t i : s.insts) {
    x.Add(StoreCellGet(0, 1, i));
    y.Add(StoreCellGet(0, 2, i));
  }
  for (int32_t p : s.paths)
    ChainWalk(StorePathGet(2, p), [&](int32_t, int32_t* vr) {
      if (!Positive(vr[0])) return;
      if (!(vr[0] & VERTEX_SELECTED) && !(copy && allVertices)) return;
      x.Add(vr[1]);
      y.Add(vr[2]);
    });
  for (int32_t b : s.boxes) {
    const int32_t* q = StoreBoxRec(b);
    int32_t f = copy ? (int32_t)BOX_SEL_ALL : q[0];
    if (f & BOX_SEL_LEFT) x.Add(q[1]);
    if (f & BOX_SEL_RIGHT) x.Add(q[3]);
    if (f & BOX_SEL_BOTTOM) y.Add(q[2]);
    if (f & BOX_SEL_TOP) y.Add(q[4]);
  }
  return x.Ok(dx, nx) && y.Ok(dy, ny);
}

void MoveSetApply(CmdEngineState& st, const MoveSet& s, int32_t dx, int32_t dy) {
  (void)st;
  for (int32_t i : s.insts) CellInstOne(i, 2, 0, dx, dy);
  for (int32_t p : s.paths)
    ChainWalk(StorePathGet(2, p), [&](int32_t, int32_t* vr) {
      if (!VertexSelected(vr[0])) return;
      vr[1] += dx;
      vr[2] += dy;
    });
  for (int32_t b : s.boxes) {
    int32_t* q = StoreBoxRec(b);
    if (q[0] & BOX_SEL_LEFT) q[1] += dx;
    if (q[0] & BOX_SEL_RIGHT) q[3] += dx;
    if (q[0] & BOX_SEL_BOTTOM) q[2] += dy;
    if (q[0] & BOX_SEL_TOP) q[4] += dy;
    BoxNormalise(b);
  }
}

// The vertices a copy of path p takes: the selected ones (all with
// allVertices) and a text's characters.
static int PathCopyNeed(int32_t p, int allVertices) {
  int need = 0;
  ChainWalk(StorePathGet(2, p), [&](int32_t, int32_t* vr) {
    if (allVertices || vr[0] < 0 || (vr[0] & VERTEX_SELECTED)) ++need;
  });
  return need;
}

// One path's copy: the whole path or nothing. Its new number, 0 when it
// has nothing to copy, -1 refused (the store is full).
static int32_t PathCopy(int32_t p, int32_t dx, int32_t dy, int allVertices) {
  int32_t* src = StorePathRec(p);
  const int need = PathCopyNeed(p, allVertices);
  if (need == 0) return 0;
  if (StorePathLim() != 0 || StoreVertexLim() != 0) return -1;
  if ((int64_t)Store.vertexCount + need > VERTEX_LIMIT) {
    HostError("Vertex Limit Exceeded");
    return -1;
  }
  const int32_t np = Store.pathCount + 1, v0 = Store.vertexCount + 1;
  int32_t* dst = StorePathRec(np);
  if (!dst || !StoreVertexRec(v0 + need - 1)) return -1;
  Store.pathCount = np;
  dst[0] = src[0] | PATH_SELECTED;
  dst[1] = src[1];
  dst[2] = v0;
  int32_t at = v0;
  ChainWalk(src[2], [&](int32_t, int32_t* vr) {
    int isChar = vr[0] < 0;
    if (!(allVertices || isChar || (vr[0] & VERTEX_SELECTED))) return;
    int32_t* nr = StoreVertexRec(at);
    nr[0] = (vr[0] & ~kOwnerMask) | np;
    nr[1] = isChar ? vr[1] : vr[1] + dx;
    nr[2] = isChar ? vr[2] : vr[2] + dy;
    nr[3] = at + 1 < v0 + need ? at + 1 : 0;
    ++at;
    if (!isChar) vr[0] &= ~(int32_t)VERTEX_SELECTED;
  });
  Store.vertexCount = v0 + need - 1;
  src[0] &= ~(int32_t)PATH_SELECTED;
  return np;
}

int CopySetApply(CmdEngineState& st, const MoveSet& s, int32_t dx, int32_t dy, int allVertices, MoveSet* out) {
  if (out) {
    out->boxes.clear();
    out->paths.clear();
    out->insts.clear();
  }
  long n = 0;
  for (int32_t i : s.insts) {
    int32_t c = CellInstOne(i, 3, 0, dx, dy);
    if (!c) return 0;
    if (out) out->insts.push_back(c);
  }
  for (int32_t p : s.paths) {
    if (EscStop(st, ++n)) return 0;
    int32_t c = PathCopy(p, dx, dy, allVertices);
    if (c < 0) return 0;
    if (c > 0 && out) out->paths.push_back(c);
  }
  for (int32_t b : s.boxes) {
    if (EscStop(st, ++n)) return 0;
    if (StoreBoxLim() != 0) return 0;
    int32_t c = Store.boxCount + 1;
    int32_t* d = StoreBoxRec(c);
    int32_t* q = StoreBoxRec(b);
    if (!d || !q) return 0;
    Store.boxCount = c;
    d[0] = q[0] & ~(int32_t)OBJ_MARKED;
    d[1] = q[1] + dx;
    d[2] = q[2] + dy;
    d[3] = q[3] + dx;
    d[4] = q[4] + dy;
    q[0] &= ~(int32_t)BOX_SEL_ALL;
    if (out) out->boxes.push_back(c);
  }
  return 1;
}

int MoveCore(CmdEngineState& st, int32_t dx, int32_t dy) {
  MoveSet s;
  MoveSetCollect(&s, 1);
  if (!MoveSetRangeOk(s, 0, 0, dx, dy)) {
    HostError(kRangeMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4);
  MoveSetApply(st, s, dx, dy);
  return 1;
}

int CopyCore(CmdEngineState& st, int32_t dx, int32_t dy, int allVertices) {
  MoveSet s;
  MoveSetCollect(&s, 0);
  if (!MoveSetRangeOk(s, 1, allVertices, dx, dy)) {
    HostError(kRangeMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4);
  return CopySetApply(st, s, dx, dy, allVertices, nullptr);
}

int StepCore(CmdEngineState& st, const StepAnswers& in) {
  StepAnswers a = in;
  a.nx = std::max(1, std::min(1024, a.nx));
  a.ny = std::max(1, std::min(1024, a.ny));
  auto cut = [](int32_t d, int n) {
    int32_t lim = (int32_t)(kLimit / n);
    int64_t m = d < 0 ? -(int64_t)d : d;
    if (m >= lim) m = lim - 1;
    return (int32_t)(d < 0 ? -m : m);
  };
  a.dx = cut(a.dx, a.nx);
  a.dy = cut(a.dy, a.ny);
  MoveSet cur;
  MoveSetCollect(&cur, 0);
  if (cur.boxes.empty() && cur.paths.empty() && cur.insts.empty()) return 1;
  // Serpentine or sequential, every copy lies between the first column and
  // the last, the first row and the last.
  if (!MoveSetRangeOk(cur, 1, 0, a.dx, a.dy, a.nx, a.ny)) {
    HostError(kRangeMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4, 1);
  // Every copy has what the first one has: the store's room for all of
  // them is made at once rather than page by page as they arrive.
  const int64_t copies = (int64_t)a.nx * a.ny - 1;
  int64_t paths = 0, vertices = 0;
  for (int32_t p : cur.paths)
    if (int need = PathCopyNeed(p, 0)) {
      ++paths;
      vertices += need;
    }
  StoreBoxReserve(copies * (int64_t)cur.boxes.size());
  StorePathReserve(copies * paths);
  StoreVertexReserve(copies * vertices);
  StoreCellReserve(copies * (int64_t)cur.insts.size());
  const long total = (long)a.nx * a.ny;
  long done = 1;
  MoveSet next;
  for (int row = 1; row <= a.ny; ++row) {
    int32_t dx = (!a.sequential && row % 2 == 0) ? -a.dx : a.dx;
    for (int col = 2; col <= a.nx; ++col) {
      if (!CopySetApply(st, cur, dx, 0, 0, &next)) return 0;
      std::swap(cur, next);
      Progress("Stepping ...", ++done, total);
    }
    if (row == a.ny) break;
    if (!CopySetApply(st, cur, 0, a.dy, 0, &next)) return 0;
    std::swap(cur, next);
    if (a.sequential && a.nx > 1) MoveSetApply(st, cur, -(a.nx - 1) * a.dx, 0);
    Progress("Stepping ...", ++done, total);
    if (CmdShell.escPoll && CmdShell.escPoll()) st.abort = 1;
    if (st.abort) return 0;
  }
  return 1;
}

int WindowMoveCore(CmdEngineState& st, int which, const SelWindow& w, int overlap, int32_t dx, int32_t dy) {
  const int wmov = which == 0, qmov = which == 1, cmov = which == 2;
  auto inside = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
  // The edges of a box that move: bits of BOX_SEL_*.
  auto edges = [&](const int32_t* q) -> int32_t {
    int l, r, b, t;
    if (!BoxEdgeTest(q, w, &l, &r, &b, &t)) return 0;
    int32_t m = 0;
    if (qmov) {
      int yOver = !ExtentOutside(q[2], q[4], w.y1, w.y2), xOver = !ExtentOutside(q[1], q[3], w.x1, w.x2);
      if (l && yOver) m |= BOX_SEL_LEFT;
      if (r && yOver) m |= BOX_SEL_RIGHT;
      if (b && xOver) m |= BOX_SEL_BOTTOM;
      if (t && xOver) m |= BOX_SEL_TOP;
    } else {
      int yIn = inside(q[2], w.y1, w.y2) && inside(q[4], w.y1, w.y2);
      int xIn = inside(q[1], w.x1, w.x2) && inside(q[3], w.x1, w.x2);
      if (l && yIn) m |= BOX_SEL_LEFT;
      if (r && yIn) m |= BOX_SEL_RIGHT;
      if (b && xIn) m |= BOX_SEL_BOTTOM;
      if (t && xIn) m |= BOX_SEL_TOP;
    }
    return m;
  };
  auto vertexIn = [&](const int32_t* vr) { return Positive(vr[0]) && inside(vr[1], w.x1, w.x2) && inside(vr[2], w.y1, w.y2); };
  const int insts = (wmov || cmov) && Cell.rank >= 2;
  const int objs = wmov || qmov;
  // First the check over everything that would move, then the move.
  Span x, y;
  if (insts)
    for (int32_t i = 1; i <= Store.instCount[0]; ++i)
      if (InstWindowTest(i, w, wmov ? 0 : overlap)) {
        x.Add(StoreCellGet(0, 1, i));
        y.Add(StoreCellGet(0, 2, i));
      }
  if (objs) {
    for (int32_t b = 1; b <= Store.boxCount; ++b) {
      const int32_t* q = StoreBoxRec(b);
      if (!LayerActive(q[0])) continue;
      int32_t m = edges(q);
      if (m & BOX_SEL_LEFT) x.Add(q[1]);
      if (m & BOX_SEL_RIGHT) x.Add(q[3]);
      if (m & BOX_SEL_BOTTOM) y.Add(q[2]);
      if (m & BOX_SEL_TOP) y.Add(q[4]);
    }
    for (int32_t p = 1; p <= Store.pathCount; ++p) {
      if (!LayerActive(StorePathGet(0, p))) continue;
      ChainWalk(StorePathGet(2, p), [&](int32_t, int32_t* vr) {
        if (!vertexIn(vr)) return;
        x.Add(vr[1]);
        y.Add(vr[2]);
      });
    }
  }
  if (!x.Ok(dx, 2) || !y.Ok(dy, 2)) {
    HostError(kRangeMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4);
  if (insts) CellInstApply(st, w, 6, 0, wmov ? 0 : overlap, 0, dx, dy);
  if (!objs) return 1;
  for (int32_t b = 1; b <= Store.boxCount; ++b) {
    int32_t* q = StoreBoxRec(b);
    if (!LayerActive(q[0])) continue;
    int32_t m = edges(q);
    if (!m) continue;
    if (m & BOX_SEL_LEFT) q[1] += dx;
    if (m & BOX_SEL_RIGHT) q[3] += dx;
    if (m & BOX_SEL_BOTTOM) q[2] += dy;
    if (m & BOX_SEL_TOP) q[4] += dy;
    BoxNormalise(b);
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    if (!LayerActive(StorePathGet(0, p))) continue;
    ChainWalk(StorePathGet(2, p), [&](int32_t, int32_t* vr) {
      if (!vertexIn(vr)) return;
      vr[1] += dx;
      vr[2] += dy;
    });
  }
  return 1;
}

void DeleteCore(CmdEngineState& st) {
  Pane602("Deleting ...");
  long n = 0;
  if (Cell.rank >= 2 && !st.abort) {
    const int32_t count = Store.instCount[0];
    std::vector<char> drop((size_t)count + 1, 0);
    int any = 0;
    for (int32_t i = count; i >= 1; --i) {
      if (EscStop(st, ++n)) break;
      if (StoreCellGet(0, 0, i) & INST_SELECTED) drop[i] = any = 1;
    }
    if (any) {
      Progress("Deleting Cells ...", count, count);
      int32_t to = 0;
      for (int32_t i = 1; i <= count; ++i) {
        if (drop[i]) continue;
        if (++to != i) memcpy(StoreCellRec(0, to), StoreCellRec(0, i), sizeof(int32_t) * INST_FIELDS);
      }
      Store.instCount[0] = to;
    }
  }
  if (!st.abort) {
    const int32_t count = Store.boxCount;
    std::vector<char> drop((size_t)count + 1, 0);
    int any = 0;
    for (int32_t b = count; b >= 1; --b) {
      if (EscStop(st, ++n)) break;
      int32_t f = StoreBoxGet(0, b);
      if ((f & BOX_SEL_ALL) == (int32_t)BOX_SEL_ALL && LayerActive(f)) drop[b] = any = 1;
    }
    if (any) {
      Progress("Deleting Boxes ...", count, count);
      int32_t to = 0;
      for (int32_t b = 1; b <= count; ++b) {
        if (drop[b]) continue;
        if (++to != b) memcpy(StoreBoxRec(to), StoreBoxRec(b), sizeof(int32_t) * BOX_FIELDS);
      }
      Store.boxCount = to;
    }
  }
  int anyPath = 0;
  if (!st.abort) {
    for (int32_t p = Store.pathCount; p >= 1; --p) {
      if (EscStop(st, ++n)) break;
      int32_t* pr = StorePathRec(p);
      if (!(pr[0] & PATH_SELECTED) || !LayerActive(pr[0])) continue;
      anyPath = 1;
      if (IsText(pr[0]))
        pr[2] = 0;  // the sweep takes the text and its characters
      else
        VertexUnlinkSelected(p);
    }
    if (anyPath) Progress("Deleting Paths ...", Store.pathCount, Store.pathCount);
  }
  // What the pass took out of chains goes even when Esc stopped it.
  if (anyPath) VertexSweep(1);
}

int CutCore(CmdEngineState& st) {
  int selected = 0;
  for (int32_t p = 1; p <= Store.pathCount; ++p)
    if (StorePathGet(0, p) & PATH_SELECTED) ++selected;
  if (selected != 1) return 0;
  int32_t cut = 0;
  for (int32_t v = 1; v <= Store.vertexCount && !cut; ++v) {
    const int32_t* vr = StoreVertexRec(v);
    if (!VertexSelected(vr[0]) || vr[3] == 0) continue;
    int32_t owner = vr[0] & kOwnerMask;
    int32_t f = StorePathGet(0, owner);
    if (IsText(f) || StorePathGet(2, owner) == v) continue;
    cut = v;
  }
  if (!cut) return 0;
  if (StoreVertexLim() != 0 || StorePathLim() != 0) return 0;
  UndoSave(st, 4);
  int32_t* vr = StoreVertexRec(cut);
  const int32_t old = vr[0] & kOwnerMask;
  const int32_t np = Store.pathCount + 1, nv = Store.vertexCount + 1;
  int32_t* pr = StorePathRec(np);
  int32_t* nr = StoreVertexRec(nv);
  if (!pr || !nr) return 0;
  vr = StoreVertexRec(cut);
  Store.pathCount = np;
  Store.vertexCount = nv;
  nr[0] = (vr[0] & ~kOwnerMask & ~(int32_t)VERTEX_SELECTED) | np;
  nr[1] = vr[1];
  nr[2] = vr[2];
  nr[3] = vr[3];
  vr[3] = 0;
  const int32_t* op = StorePathRec(old);
  pr[0] = op[0] & ~(int32_t)PATH_SELECTED;
  pr[1] = op[1];
  pr[2] = nv;
  ChainWalk(nv, [&](int32_t, int32_t* r) { r[0] = (r[0] & ~kOwnerMask) | np; });
  // Vertices selected after the cut point travel with the new path.
  PathSelSync(np);
  PathSelSync(old);
  return 1;
}

int JoinCore(CmdEngineState& st) {
  int selected = 0;
  for (int32_t p = 1; p <= Store.pathCount; ++p)
    if (StorePathGet(0, p) & PATH_SELECTED) ++selected;
  if (selected != 1 && selected != 2) return 0;
  // The first two selected ends, in store order, of non-text paths.
  int32_t end[2] = {0, 0};
  int found = 0;
  for (int32_t v = 1; v <= Store.vertexCount && found < 2; ++v) {
    const int32_t* vr = StoreVertexRec(v);
    if (!VertexSelected(vr[0])) continue;
    int32_t owner = vr[0] & kOwnerMask;
    if (owner < 1 || owner > Store.pathCount || IsText(StorePathGet(0, owner))) continue;
    if (StorePathGet(2, owner) != v && vr[3] != 0) continue;
    end[found++] = v;
  }
  if (found < 2) return 0;
  int32_t a = StoreVertexGet(0, end[0]) & kOwnerMask, b = StoreVertexGet(0, end[1]) & kOwnerMask;
  auto same = [](int32_t u, int32_t v) {
    return StoreVertexGet(1, u) == StoreVertexGet(1, v) && StoreVertexGet(2, u) == StoreVertexGet(2, v);
  };
  if (a == b) {
    // Both ends of one path: closing it adds a copy of its first vertex.
    if (same(end[0], end[1])) return 0;
    int32_t first = StorePathGet(2, a);
    if (ChainLength(first) + 1 > PATH_VERTEX_MAX) {
      HostError(kVertexMsg);
      st.scriptStop = 1;
      return 0;
    }
    if (StoreVertexLim() != 0) return 0;
    UndoSave(st, 4);
    int32_t last = ChainLast(first);
    int32_t nv = Store.vertexCount + 1;
    int32_t* nr = StoreVertexRec(nv);
    if (!nr) return 0;
    Store.vertexCount = nv;
    const int32_t* fr = StoreVertexRec(first);
    nr[0] = fr[0] & ~(int32_t)VERTEX_SELECTED;
    nr[1] = fr[1];
    nr[2] = fr[2];
    nr[3] = 0;
    StoreVertexSet(nv, 3, last);
    for (int k = 0; k < 2; ++k) StoreVertexSet(StoreVertexGet(0, end[k]) & ~(int32_t)VERTEX_SELECTED, 0, end[k]);
    PathSelSync(a);
    return 1;
  }
  int join = same(end[0], end[1]);
  if (ChainLength(StorePathGet(2, a)) + ChainLength(StorePathGet(2, b)) - join > PATH_VERTEX_MAX) {
    HostError(kVertexMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4);
  if (StorePathGet(2, a) == end[0] && StoreVertexGet(3, end[0]) != 0) PathReverse(a);
  if (StoreVertexGet(3, end[1]) == 0 && StorePathGet(2, b) != end[1]) PathReverse(b);
  for (int k = 0; k < 2; ++k) StoreVertexSet(StoreVertexGet(0, end[k]) & ~(int32_t)VERTEX_SELECTED, 0, end[k]);
  int32_t bFirst = StorePathGet(2, b);
  int32_t link = join ? StoreVertexGet(3, bFirst) : bFirst;
  StoreVertexSet(link, 3, end[0]);
  StorePathSet(0, 2, b);
  StorePathSet(StorePathGet(0, a) & ~(int32_t)PATH_SELECTED, 0, a);
  StorePathSet(StorePathGet(0, b) & ~(int32_t)PATH_SELECTED, 0, b);
  // The sweep drops B and the joint's second vertex and renumbers owners.
  VertexSweep(0);
  int32_t na = a > b ? a - 1 : a;
  PathSelSync(na);
  return 1;
}

int VertexStepCore(int back) {
  int paths = 0, verts = 0;
  int32_t path = 0, sel = 0;
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t f = StorePathGet(0, p);
    if (!(f & PATH_SELECTED)) continue;
    ++paths;
    ChainWalk(StorePathGet(2, p), [&](int32_t v, int32_t* vr) {
      if (!VertexSelected(vr[0])) return;
      ++verts;
      if (!path && !IsText(f)) {
        path = p;
        sel = v;
      }
    });
  }
  if (paths != 1 || verts != 1 || !path) return 0;
  int32_t to = 0;
  if (!back) {
    to = StoreVertexGet(3, sel);
  } else {
    ChainWalk(StorePathGet(2, path), [&](int32_t v, int32_t* vr) {
      if (vr[3] == sel) to = v;
    });
  }
  if (!to) return 0;
  StoreVertexSet(StoreVertexGet(0, sel) & ~(int32_t)VERTEX_SELECTED, 0, sel);
  StoreVertexSet(StoreVertexGet(0, to) | VERTEX_SELECTED, 0, to);
  return 1;
}

void PathsReverseCore() {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t f = StorePathGet(0, p);
    if (!(f & PATH_SELECTED) || IsText(f) || ChainLength(StorePathGet(2, p)) < 2) continue;
    PathReverse(p);
  }
}

int OrigCore(CmdEngineState& st, int32_t x, int32_t y) {
  const int insts = Cell.rank >= 2;
  Span sx, sy;
  for (int32_t b = 1; b <= Store.boxCount; ++b) {
    const int32_t* q = StoreBoxRec(b);
    sx.Add(q[1]);
    sx.Add(q[3]);
    sy.Add(q[2]);
    sy.Add(q[4]);
  }
  for (int32_t v = 1; v <= Store.vertexCount; ++v) {
    const int32_t* vr = StoreVertexRec(v);
    if (!Positive(vr[0])) continue;
    sx.Add(vr[1]);
    sy.Add(vr[2]);
  }
  if (insts)
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      sx.Add(StoreCellGet(0, 1, i));
      sy.Add(StoreCellGet(0, 2, i));
    }
  if (!sx.Ok(-(int64_t)x, 2) || !sy.Ok(-(int64_t)y, 2)) {
    HostError(kRangeMsg);
    st.scriptStop = 1;
    return 0;
  }
  UndoSave(st, 4);
  for (int32_t b = 1; b <= Store.boxCount; ++b) {
    int32_t* q = StoreBoxRec(b);
    q[0] &= ~(int32_t)OBJ_MARKED;
    q[1] -= x;
    q[3] -= x;
    q[2] -= y;
    q[4] -= y;
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t* pr = StorePathRec(p);
    pr[0] &= ~(int32_t)OBJ_MARKED;
  }
  for (int32_t v = 1; v <= Store.vertexCount; ++v) {
    int32_t* vr = StoreVertexRec(v);
    if (!Positive(vr[0])) continue;
    vr[1] -= x;
    vr[2] -= y;
  }
  if (insts)
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      int32_t* c = StoreCellRec(0, i);
      c[1] -= x;
      c[2] -= y;
    }
  return 1;
}

// --- handlers -------------------------------------------------------------------

namespace {

int Ctrl() { return CmdShell.ctrlHeld ? CmdShell.ctrlHeld() : 0; }
int LineArgsGiven(CmdEngineState& st) { return st.typedLine || st.scriptRunning; }

// A one-shot command's work is done at its step-0 call; the points a line
// carries for it afterwards find step 5 and store nothing.
void OneShotEnd(CmdEngineState& st) {
  View.step = 5;
  CmdDone(st, st.mode);
}

// Point 1 and point 2 of a move vector; 1 at step 2 with the delta ready.
int VectorSteps(CmdEngineState& st) {
  if (st.abort && View.step > 0) {
    st.wantsZeroPoint = 0;
    CmdDone(st, st.mode);
    return 0;
  }
  switch (View.step) {
    case 0:
      View.togs |= TOG_SNAP;
      View.step = 1;
      st.wantsZeroPoint = 1;  // a typed point is a displacement
      CmdPrompt(st, 0);
      return 0;
    case 1:
      View.step = 2;
      st.wantsZeroPoint = 0;
      CmdPrompt(st, 0);
      return 0;
    case 2:
      st.wantsZeroPoint = 0;
      View.rubberShown = 0;
      return 1;
    default:
      CmdDone(st, st.mode);
      return 0;
  }
}

int GuardsBoth(CmdEngineState& st) { return CmdGuardVisible(st) || CmdGuardCells(st); }

}  // namespace

void HandlerMov(CmdEngineState& st) {
  if (!VectorSteps(st)) return;
  if (!GuardsBoth(st) && MoveCore(st, st.dx, st.dy)) RedrawAll();
  CmdDone(st, st.mode);
}

void HandlerCpy(CmdEngineState& st) {
  if (!VectorSteps(st)) return;
  if (!GuardsBoth(st)) {
    CopyCore(st, st.dx, st.dy, Ctrl());
    RedrawAll();
  }
  CmdDone(st, st.mode);
}

void HandlerWmov(CmdEngineState& st) {
  const int id = CmdTable[st.current].id;
  const int which = id == 143 ? 1 : id == 110 ? 2 : 0;
  static const char* const kWin[] = {" Win-  (Pt.%d)", " Qck-  (Pt.%d)", " Cel-  (Pt.%d)"};
  if (st.abort && View.step > 0) {
    st.wantsZeroPoint = 0;
    st.doubleClick = 0;
    CmdDone(st, st.mode);
    return;
  }
  char prompt[32];
  switch (View.step) {
    case 0:
    case 1:
      View.step += 1;
      if (View.step == 2) st.pointMode = 2;
      snprintf(prompt, sizeof prompt, kWin[which], View.step);
      if (CmdShell.pane) CmdShell.pane(600, prompt);
      return;
    case 2:
    case 3:
      View.step += 1;
      if (View.step == 3) View.togs |= TOG_SNAP;
      st.wantsZeroPoint = View.step == 3;
      snprintf(prompt, sizeof prompt, " -Mov  (Pt.%d)", View.step - 2);
      if (CmdShell.pane) CmdShell.pane(600, prompt);
      return;
    case 4:
      break;
    default:
      CmdDone(st, st.mode);
      return;
  }
  st.wantsZeroPoint = 0;
  View.rubberShown = 0;
  int refused = ((which == 0 || which == 1) && CmdGuardVisible(st)) || ((which == 0 || which == 2) && CmdGuardCells(st));
  if (!refused) {
    SelWindow w;
    w.x1 = std::min(View.slot[1].x, View.slot[2].x);
    w.x2 = std::max(View.slot[1].x, View.slot[2].x);
    w.y1 = std::min(View.slot[1].y, View.slot[2].y);
    w.y2 = std::max(View.slot[1].y, View.slot[2].y);
    if (WindowMoveCore(st, which, w, st.doubleClick, st.dx, st.dy)) RedrawAll();
  }
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

// A Step line: "Nx Ny Dx Dy" with an optional sequential flag (1).
static int StepArgs(CmdEngineState& st, StepAnswers* a) {
  char buf[CMD_LINE_SIZE];
  snprintf(buf, sizeof buf, "%s", st.lineArgs);
  char* tok[6] = {};
  int n = 0;
  for (char* t = strtok(buf, " ,\t"); t && n < 6; t = strtok(nullptr, " ,\t")) tok[n++] = t;
  if (n != 4 && n != 5) return 0;
  double v[5];
  for (int i = 0; i < n; ++i) {
    char* end = nullptr;
    v[i] = strtod(tok[i], &end);
    if (end == tok[i] || *end) return 0;
  }
  auto count = [](double c, int* out) {
    if (!(c >= 1 && c <= 1024) || c != (int)c) return 0;
    *out = (int)c;
    return 1;
  };
  if (!count(v[0], &a->nx) || !count(v[1], &a->ny)) return 0;
  if (!CmdCoordConvert(v[2], MainSetup.scale, &a->dx) || !CmdCoordConvert(v[3], MainSetup.scale, &a->dy)) return 0;
  a->sequential = 0;
  if (n == 5) {
    if (v[4] != 0 && v[4] != 1) return 0;
    a->sequential = v[4] != 0;
  }
  return 1;
}

void HandlerStep(CmdEngineState& st) {
  if (View.step != 0) return;
  StepAnswers a = CmdMove.stepLast;
  if (LineArgsGiven(st)) {
    if (!StepArgs(st, &a)) {
      HostError("Step needs Nx Ny Dx Dy (and 1 for Sequential)\n\nNx and Ny are whole numbers 1 to 1024");
      st.scriptStop = 1;
      OneShotEnd(st);
      return;
    }
  } else if (!CmdShell.stepDialog) {
    CmdNotAvailable(st, st.current);
    OneShotEnd(st);
    return;
  } else if (!CmdShell.stepDialog(&a)) {
    OneShotEnd(st);
    return;
  }
  CmdMove.stepLast = a;
  if (!GuardsBoth(st)) {
    StepCore(st, a);
    RedrawAll();
  }
  OneShotEnd(st);
}

void HandlerDel(CmdEngineState& st) {
  if (View.step != 0) return;
  if (!GuardsBoth(st)) {
    UndoSave(st, 4, 1);
    DeleteCore(st);
    RedrawAll();
  }
  OneShotEnd(st);
}

void HandlerCut(CmdEngineState& st) {
  if (View.step != 0) return;
  if (!CmdGuardVisible(st) && CutCore(st)) RedrawAll();
  OneShotEnd(st);
}

void HandlerJoin(CmdEngineState& st) {
  if (View.step != 0) return;
  if (!CmdGuardVisible(st) && JoinCore(st)) RedrawAll();
  OneShotEnd(st);
}

void HandlerVstp(CmdEngineState& st) {
  if (View.step != 0) return;
  if (!CmdGuardVisible(st) && VertexStepCore(Ctrl())) RedrawAll();
  OneShotEnd(st);
}

void HandlerPrev(CmdEngineState& st) {
  if (View.step != 0) return;
  if (!CmdGuardVisible(st)) {
    UndoSave(st, 4);
    Pane602("Reversing ...");
    PathsReverseCore();
    RedrawAll();
  }
  OneShotEnd(st);
}

void HandlerOrig(CmdEngineState& st) {
  if (st.abort && View.step > 0) {
    CmdDone(st, st.mode);
    return;
  }
  if (View.step == 0) {
    View.togs |= TOG_SNAP;
    View.step = 1;
    if (CmdShell.pane) CmdShell.pane(600, " Orig (0,0 Pt.)");
    return;
  }
  if (View.step != 1) return;
  if (OrigCore(st, View.slot[1].x, View.slot[1].y)) RedrawAll();
  OneShotEnd(st);
}
