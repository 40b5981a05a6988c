// Selection by window: box edges, path vertices and cell instances carry
// their selection in their own flag words.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdtable.h"
#include "celltable.h"
#include "host.h"
#include "layerview.h"
#include "orient.h"
#include "pending.h"
#include "store.h"
#include "undo.h"

static int Inside(int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; }

int ExtentOutside(int32_t a, int32_t c, int32_t wlo, int32_t whi) {
  return (a < wlo && c < wlo) || (a > whi && c > whi);
}

int BoxEdgeTest(const int32_t* q, const SelWindow& w, int* l, int* r, int* b, int* t) {
  *l = Inside(q[1], w.x1, w.x2);
  *r = Inside(q[3], w.x1, w.x2);
  *b = Inside(q[2], w.y1, w.y2);
  *t = Inside(q[4], w.y1, w.y2);
  return *l || *r || *b || *t;
}

static int LayerActive(int32_t flags) { return LyrActiveLayerTest(flags & FLAG_LAYER_MASK); }

void SelWindowBoxes(const SelWindow& w, int kind) {
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* q = StoreBoxRec(i);
    if (!q || !LayerActive(q[0])) continue;
    int l, r, b, t;
    if (!BoxEdgeTest(q, w, &l, &r, &b, &t)) continue;
    int yOver = !ExtentOutside(q[2], q[4], w.y1, w.y2);
    int xOver = !ExtentOutside(q[1], q[3], w.x1, w.x2);
    if (l && yOver) q[0] |= BOX_SEL_LEFT;
    if (r && yOver) q[0] |= BOX_SEL_RIGHT;
    if (b && xOver) q[0] |= BOX_SEL_BOTTOM;
    if (t && xOver) q[0] |= BOX_SEL_TOP;
    if (kind == 1 && xOver && yOver) q[0] |= BOX_SEL_ALL;
  }
}

void UnselWindowBoxes(const SelWindow& w, int kind, int id) {
  if (id == ID_TPUT) return;
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* q = StoreBoxRec(i);
    if (!q || !(q[0] & BOX_SEL_ALL)) continue;
    int l, r, b, t;
    if (!BoxEdgeTest(q, w, &l, &r, &b, &t)) continue;
    if (ExtentOutside(q[1], q[3], w.x1, w.x2) || ExtentOutside(q[2], q[4], w.y1, w.y2)) continue;
    if (kind == 1) {
      q[0] &= ~(int32_t)BOX_SEL_ALL;
      continue;
    }
    if (l) q[0] &= ~(int32_t)BOX_SEL_LEFT;
    if (r) q[0] &= ~(int32_t)BOX_SEL_RIGHT;
    if (b) q[0] &= ~(int32_t)BOX_SEL_BOTTOM;
    if (t) q[0] &= ~(int32_t)BOX_SEL_TOP;
  }
}

static int IsTextFlags(int32_t f) { return ((uint32_t)f & TEXT_BIT) != 0; }

// Walks a chain without ever looping longer than the store holds.
#define FOR_CHAIN(v, first)                                                     \
  for (int32_t v = (first), guard_ = 0; v > 0 && v <= Store.vertexCount && guard_ <= Store.vertexCount; \
       v = StoreVertexGet(3, v), ++guard_)

void PathSelSync(int32_t p) {
  int32_t* rec = StorePathRec(p);
  if (!rec) return;
  int any = 0;
  FOR_CHAIN(v, rec[2]) {
    int32_t word = StoreVertexGet(0, v);
    if (word > 0 && (word & VERTEX_SELECTED)) any = 1;
  }
  if (any)
    rec[0] |= PATH_SELECTED;
  else
    rec[0] &= ~(int32_t)PATH_SELECTED;
}

// Select one vertex by the rules of the command; 1 when the path was touched.
static int VertexSelect(int32_t p, int32_t v, int isText, int id) {
  int32_t* rec = StoreVertexRec(v);
  if (!rec || rec[0] < 0) return 0;
  if (id == ID_PEND || id == ID_PBEG) {
    if (isText) return 0;
    int32_t first = StorePathGet(2, p);
    int unsel = id == ID_PEND ? rec[3] != 0 : v != first;
    if (unsel)
      rec[0] &= ~(int32_t)VERTEX_SELECTED;
    else
      rec[0] |= VERTEX_SELECTED;
    return 1;
  }
  rec[0] |= VERTEX_SELECTED;
  return 1;
}

void SelWindowPaths(const SelWindow& w, int kind, int id) {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t* rec = StorePathRec(p);
    if (!rec || !LayerActive(rec[0])) continue;
    int isText = IsTextFlags(rec[0]);
    if ((id == ID_TGET || id == ID_TPUT) && !isText) continue;
    int touched = 0;
    FOR_CHAIN(v, rec[2]) {
      int32_t* vr = StoreVertexRec(v);
      if (vr[0] < 0) continue;
      if (!Inside(vr[1], w.x1, w.x2) || !Inside(vr[2], w.y1, w.y2)) continue;
      if (VertexSelect(p, v, isText, id)) touched = 1;
      if (touched && kind == 1) break;
    }
    if (touched && kind == 1) {
      FOR_CHAIN(v, rec[2]) VertexSelect(p, v, isText, id);
    }
    if (touched) PathSelSync(p);
  }
}

void UnselWindowPaths(const SelWindow& w, int kind, int id) {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t* rec = StorePathRec(p);
    if (!rec || !(rec[0] & PATH_SELECTED)) continue;
    if ((id == ID_TGET || id == ID_TPUT) && !IsTextFlags(rec[0])) continue;
    int inside = 0;
    FOR_CHAIN(v, rec[2]) {
      int32_t* vr = StoreVertexRec(v);
      if (vr[0] < 0 || !Inside(vr[1], w.x1, w.x2) || !Inside(vr[2], w.y1, w.y2)) continue;
      inside = 1;
      vr[0] &= ~(int32_t)VERTEX_SELECTED;
    }
    if (inside && kind == 1) {
      FOR_CHAIN(v, rec[2]) {
        int32_t* vr = StoreVertexRec(v);
        if (vr[0] > 0) vr[0] &= ~(int32_t)VERTEX_SELECTED;
      }
    }
    PathSelSync(p);
  }
}

static int SkipsBoxes(int id) { return id == ID_PBEG || id == ID_PEND || id == ID_TGET || id == ID_TPUT; }

void SelGetCore(CmdEngineState& st, const SelWindow& w, int id, int shift) {
  int kind = (id == ID_GET || id == ID_TGET || id == ID_WGET) ? 0 : 1;
  if (id == ID_WGET || id == ID_AGET) CellInstApply(st, w, 0, 0, st.doubleClick, 0);
  if (!shift) {
    if (!SkipsBoxes(id)) SelWindowBoxes(w, kind);
    SelWindowPaths(w, kind, id);
  } else {
    if (!SkipsBoxes(id)) UnselWindowBoxes(w, kind, id);
    UnselWindowPaths(w, kind, id);
  }
}

void SelPutCore(const SelWindow& w, int id, int shift) {
  int kind = id == ID_FPUT ? 1 : 0;
  if (!shift) {
    UnselWindowPaths(w, kind, id);
    UnselWindowBoxes(w, kind, id);
  } else {
    if (!SkipsBoxes(id)) SelWindowBoxes(w, kind);
    SelWindowPaths(w, kind, id);
  }
}

void InstExtent(int32_t i, int32_t ext[4]) {
  const int32_t* c = StoreCellRec(0, i);
  ext[0] = ext[1] = ext[2] = ext[3] = 0;
  if (!c) return;
  const CellEntry* e = CellEntryOf(c[0] & INST_CELL_MASK);
  int32_t l = e ? e->l : 0, b = e ? e->b : 0, r = e ? e->r : 0, t = e ? e->t : 0;
  int o = (c[0] >> ORIENT_SHIFT) & ORIENT_MASK;
  int64_t x1, y1, x2, y2;
  OrientPoint(o, l, b, &x1, &y1);
  OrientPoint(o, r, t, &x2, &y2);
  auto clamp = [](int64_t v) -> int32_t {
    return (int32_t)std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, v));
  };
  ext[0] = clamp(std::min(x1, x2) + c[1]);
  ext[1] = clamp(std::min(y1, y2) + c[2]);
  ext[2] = clamp(std::max(x1, x2) + c[1]);
  ext[3] = clamp(std::max(y1, y2) + c[2]);
}

int InstWindowTest(int32_t i, const SelWindow& w, int overlap) {
  int32_t e[4];
  InstExtent(i, e);
  if (overlap) return e[0] <= w.x2 && e[2] >= w.x1 && e[1] <= w.y2 && e[3] >= w.y1;
  return e[0] >= w.x1 && e[2] <= w.x2 && e[1] >= w.y1 && e[3] <= w.y2;
}

int CellInstOne(int32_t i, int mode, int want, int32_t dx, int32_t dy) {
  int32_t* c = StoreCellRec(0, i);
  if (!c) return 0;
  switch (mode) {
    case 0:
      if (c[0] & INST_SELECTED) return 0;
      c[0] |= INST_SELECTED;
      return 1;
    case 1:
      if (!(c[0] & INST_SELECTED)) return 0;
      c[0] &= ~(int32_t)INST_SELECTED;
      return 1;
    case 2:
    case 6:
      c[1] += dx;
      c[2] += dy;
      return 1;
    case 3: {
      if (StoreCellLim() != 0) return 0;
      int32_t n = Store.instCount[0] + 1;
      int32_t* d = StoreCellRec(0, n);
      c = StoreCellRec(0, i);  // the page table may have grown
      if (!d || !c) return 0;
      Store.instCount[0] = n;
      d[0] = c[0] | INST_SELECTED;
      d[1] = c[1] + dx;
      d[2] = c[2] + dy;
      c[0] &= ~(int32_t)INST_SELECTED;
      return n;
    }
    case 7:
      if (((c[0] & INST_OUTLINE) != 0) == (want != 0)) return 0;
      c[0] ^= INST_OUTLINE;
      return 1;
  }
  return 0;
}

int CellInstApply(CmdEngineState& st, const SelWindow& w, int mode, int want, int overlap, int askCell, int32_t dx,
                  int32_t dy) {
  if (Cell.rank < 2) return 0;
  if (CmdGuardCells(st)) return 0;
  int changed = 0;
  // Copies are appended: the pass visits the instances that were there
  // when it began.
  const int32_t count = Store.instCount[0];
  for (int32_t i = 1; i <= count; ++i) {
    int32_t* c = StoreCellRec(0, i);
    if (!c) continue;
    if ((mode == 1 || mode == 2 || mode == 3) && !(c[0] & INST_SELECTED)) continue;
    if (mode != 2 && mode != 3 && !InstWindowTest(i, w, overlap)) continue;
    int r = CellInstOne(i, mode, want, dx, dy);
    if (mode == 3 && r == 0) break;  // the store is full: the copies made stay
    changed += r != 0;
  }
  if (changed == 0 && askCell && (mode == 0 || mode == 1 || mode == 7)) {
    char name[CELL_NAME_SIZE + 4] = "";
    if (CmdShell.nocellDialog && CmdShell.nocellDialog(name, sizeof name) && name[0]) {
      int n = CellFind(name);
      const CellEntry* e = CellEntryOf(n);
      if (e && (e->rank & 0x1f) < Cell.rank) {
        for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
          int32_t* c = StoreCellRec(0, i);
          if (c && (int)(c[0] & INST_CELL_MASK) == n) changed += CellInstOne(i, mode, want, 0, 0) != 0;
        }
      }
    }
  }
  return changed;
}

void SelClearAll() {
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* q = StoreBoxRec(i);
    if (q) q[0] &= ~(int32_t)BOX_SEL_ALL;
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    int32_t* rec = StorePathRec(p);
    if (!rec || !(rec[0] & PATH_SELECTED)) continue;
    rec[0] &= ~(int32_t)PATH_SELECTED;
    FOR_CHAIN(v, rec[2]) {
      int32_t* vr = StoreVertexRec(v);
      if (vr[0] > 0) vr[0] &= ~(int32_t)VERTEX_SELECTED;
    }
  }
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    int32_t* c = StoreCellRec(0, i);
    if (c) c[0] &= ~(int32_t)INST_SELECTED;
  }
}

// --- handlers -----------------------------------------------------------------

static int Shift() { return CmdShell.shiftHeld ? CmdShell.shiftHeld() : 0; }
static int CurrentId(CmdEngineState& st) { return CmdTable[st.current].id; }

// The two-point window protocol; 1 at step 2 with the window ready.
static int WindowSteps(CmdEngineState& st, SelWindow* w) {
  if (st.abort && View.step > 0) {
    CmdDone(st, st.mode);
    return 0;
  }
  switch (View.step) {
    case 0:
      View.togs &= ~(uint32_t)0x1;
      View.step = 1;
      CmdPrompt(st, 1);
      return 0;
    case 1:
      View.step = 2;
      st.pointMode = 2;
      CmdPrompt(st, 1);
      return 0;
    case 2:
      w->x1 = std::min(View.slot[1].x, View.slot[2].x);
      w->x2 = std::max(View.slot[1].x, View.slot[2].x);
      w->y1 = std::min(View.slot[1].y, View.slot[2].y);
      w->y2 = std::max(View.slot[1].y, View.slot[2].y);
      View.rubberShown = 0;
      return 1;
    default:
      CmdDone(st, st.mode);
      return 0;
  }
}

static void GetFamily(CmdEngineState& st) {
  SelWindow w;
  if (!WindowSteps(st, &w)) return;
  int id = CurrentId(st);
  int shift = Shift();
  if (!CmdGuardVisible(st)) SelGetCore(st, w, id, shift);
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

void HandlerGet(CmdEngineState& st) { GetFamily(st); }
void HandlerFget(CmdEngineState& st) { GetFamily(st); }

static void PutFamily(CmdEngineState& st) {
  SelWindow w;
  if (!WindowSteps(st, &w)) return;
  int id = CurrentId(st);
  // The Put family passes only the guard for objects that may be hidden.
  if (!CmdGuardVisible(st)) SelPutCore(w, id, Shift());
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

void HandlerPut(CmdEngineState& st) { PutFamily(st); }
void HandlerFput(CmdEngineState& st) { PutFamily(st); }

void HandlerCget(CmdEngineState& st) {
  SelWindow w;
  if (!WindowSteps(st, &w)) return;
  CellInstApply(st, w, Shift() ? 1 : 0, 0, st.doubleClick, 1);
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

void HandlerCput(CmdEngineState& st) {
  SelWindow w;
  if (!WindowSteps(st, &w)) return;
  CellInstApply(st, w, Shift() ? 0 : 1, 0, st.doubleClick, 1);
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

void HandlerOutlFull(CmdEngineState& st) {
  SelWindow w;
  if (!WindowSteps(st, &w)) return;
  int want = CurrentId(st) == ID_OUTL ? 1 : 0;
  if (Shift()) want = !want;
  UndoSave(st, 4);
  CellInstApply(st, w, 7, want, st.doubleClick, 1);
  st.doubleClick = 0;
  CmdDone(st, st.mode);
}

void HandlerAput(CmdEngineState& st) {
  SelClearAll();
  RedrawRequest(1);
  CmdDone(st, st.mode);
}
