#include "redraw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "celltable.h"
#include "host.h"
#include "layerview.h"
#include "mainsetup.h"
#include "orient.h"
#include "palette.h"
#include "render.h"
#include "swap.h"
#include "tlcread.h"

RedrawState Rw;

void RedrawReset() {
  std::vector<int32_t> b, p;
  b.swap(Rw.boxIdx);
  p.swap(Rw.pathIdx);
  Rw = RedrawState();
  memset(Rw.lv, 0, sizeof Rw.lv);
  memset(Rw.held, 0, sizeof Rw.held);
  b.swap(Rw.boxIdx);
  p.swap(Rw.pathIdx);
}

int CurrentRank() {
  const CellEntry* e = CellEntryOf(Store.currentCell);
  return e ? (int)(e->rank & 0x1F) : 0;
}

int StoreUsable() {
  if (Rw.storeBad) return 0;
  return Store.currentCell == 0 || Store.heldCell == Store.currentCell;
}

int StoreReloadCurrent() {
  int cell = Store.currentCell;
  if (cell < 1 || cell > CELL_MAX) return 0;
  if (CellObjLoad(cell) != 0) return 0;
  if (CurrentRank() >= 2 && CellInstLoad(cell, 0) != 0) return 0;
  Rw.storeBad = 0;
  LayerIndexDrop();
  return 1;
}

void SwapFileDelete() {
  if (!Store.tempFolder[0]) return;
  char path[300];
  int n = snprintf(path, sizeof path, "%sSwap.bpv", Store.tempFolder);
  if (n > 0 && (size_t)n < sizeof path) remove(path);
  Store.swapCell = 0;
}

// --- per-layer index lists --------------------------------------------------

void LayerIndexDrop() {
  Rw.indexCell = -1;
  Rw.indexBoxes = Rw.indexPaths = -1;
}

static void IndexBuild(int paths, std::vector<int32_t>& idx, int32_t* start) {
  int32_t count = paths ? Store.pathCount : Store.boxCount;
  int32_t tally[258] = {0};
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t* r = paths ? StorePathRec(i) : StoreBoxRec(i);
    int layer = r ? (int)((uint32_t)r[0] & FLAG_LAYER_MASK) : 0;
    if (layer > 256) layer = 0;
    ++tally[layer + 1];
  }
  for (int l = 1; l < 258; ++l) tally[l] += tally[l - 1];
  memcpy(start, tally, sizeof tally);
  idx.resize((size_t)count);
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t* r = paths ? StorePathRec(i) : StoreBoxRec(i);
    int layer = r ? (int)((uint32_t)r[0] & FLAG_LAYER_MASK) : 0;
    if (layer > 256) layer = 0;
    idx[(size_t)tally[layer]++] = i;
  }
}

// Lists for what the store holds now. A lower cell's objects stay as they
// were loaded for the whole redraw, so its lists are kept while the same
// cell is held; the current cell's own objects are listed afresh.
static void IndexEnsure(int own) {
  if (!own && Rw.indexCell == Store.heldCell && Rw.indexBoxes == Store.boxCount &&
      Rw.indexPaths == Store.pathCount)
    return;
  IndexBuild(0, Rw.boxIdx, Rw.boxStart);
  IndexBuild(1, Rw.pathIdx, Rw.pathStart);
  Rw.indexCell = own ? -1 : Store.heldCell;
  Rw.indexBoxes = Store.boxCount;
  Rw.indexPaths = Store.pathCount;
}

static int IndexValid() {
  return Rw.indexBoxes == Store.boxCount && Rw.indexPaths == Store.pathCount &&
         (int32_t)Rw.boxIdx.size() == Store.boxCount && (int32_t)Rw.pathIdx.size() == Store.pathCount;
}

void DrawLayerBoxes(int layer, int k) {
  if (layer < 0 || layer > 256) return;
  if (IndexValid()) {
    for (int32_t j = Rw.boxStart[layer]; j < Rw.boxStart[layer + 1]; ++j) {
      if (Rd.drawAbort || Rd.cmdAbort) return;
      DrawBox(Rw.boxIdx[(size_t)j], k);
    }
    return;
  }
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    if (Rd.drawAbort || Rd.cmdAbort) return;
    const int32_t* r = StoreBoxRec(i);
    if (r && (int)((uint32_t)r[0] & FLAG_LAYER_MASK) == layer) DrawBox(i, k);
  }
}

void DrawLayerPaths(int layer, int k) {
  if (layer < 0 || layer > 256) return;
  if (IndexValid()) {
    for (int32_t j = Rw.pathStart[layer]; j < Rw.pathStart[layer + 1]; ++j) {
      if (Rd.drawAbort || Rd.cmdAbort) return;
      DrawPathObj(Rw.pathIdx[(size_t)j], k);
    }
    return;
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    if (Rd.drawAbort || Rd.cmdAbort) return;
    const int32_t* r = StorePathRec(i);
    if (r && (int)((uint32_t)r[0] & FLAG_LAYER_MASK) == layer) DrawPathObj(i, k);
  }
}

void DrawLevelLayers(int k) {
  IndexEnsure(k < 0);
  int save = Rd.xfLevel;
  Rd.xfLevel = k;
  if (Rw.singleLayer) {
    DrawLayerBoxes(Rw.singleLayerNo, k);
    DrawLayerPaths(Rw.singleLayerNo, k);
  } else {
    for (int j = 1; j <= 256; ++j) {
      int layer = MainSetup.reversedraw ? 257 - j : j;
      if (!LyrView.viewOverride && !LyrViewTest(layer)) continue;
      if (Rw.boxStart[layer + 1] == Rw.boxStart[layer] &&
          Rw.pathStart[layer + 1] == Rw.pathStart[layer] && IndexValid())
        continue;
      DrawLayerBoxes(layer, k);
      DrawLayerPaths(layer, k);
      if (DrawAbortPoll(1)) break;
    }
  }
  Rd.xfLevel = save;
}

// --- the instance stack -----------------------------------------------------

void LevelPush(int k, int i) {
  if (k < 0 || k >= STORE_LEVELS) return;
  InstLevel& L = Rw.lv[k];
  memset(&L, 0, sizeof L);
  const int32_t* rec = StoreCellRec(k, i);
  if (!rec) return;
  uint32_t word = (uint32_t)rec[0];
  L.cell = (int)(word & INST_CELL_MASK);
  L.orient = (int)((word >> ORIENT_SHIFT) & ORIENT_MASK);
  const CellEntry* e = CellEntryOf(L.cell);
  const char* name = CellNameOf(L.cell);
  snprintf(L.name, sizeof L.name, "%s", name ? name : "");
  L.rank = e ? (int)(e->rank & 0x1F) : 0;
  LevelXf outer;  // identity for level 0
  if (k > 0) outer = Rd.xf[k - 1];
  L.x = outer.a * (int64_t)rec[1] + outer.b * (int64_t)rec[2];
  L.y = outer.c * (int64_t)rec[1] + outer.d * (int64_t)rec[2];
  const int* m = OrientMatrix[L.orient];
  LevelXf& f = Rd.xf[k];
  f.a = outer.a * m[0] + outer.b * m[2];
  f.b = outer.a * m[1] + outer.b * m[3];
  f.c = outer.c * m[0] + outer.d * m[2];
  f.d = outer.c * m[1] + outer.d * m[3];
  f.ox = (k > 0 ? outer.ox : 0) + L.x;
  f.oy = (k > 0 ? outer.oy : 0) + L.y;
  int64_t cl = e ? e->l : 0, cb = e ? e->b : 0, cr = e ? e->r : 0, ct = e ? e->t : 0;
  int64_t x1 = f.a * cl + f.b * cb + f.ox, y1 = f.c * cl + f.d * cb + f.oy;
  int64_t x2 = f.a * cr + f.b * ct + f.ox, y2 = f.c * cr + f.d * ct + f.oy;
  L.l = std::min(x1, x2);
  L.r = std::max(x1, x2);
  L.b = std::min(y1, y2);
  L.t = std::max(y1, y2);
  const DrawView& v = Rd.view;
  L.inView = !(L.r < v.winL || L.l > v.winR || L.t < v.winB || L.b > v.winT);
  L.small = (L.r - L.l) <= v.cellMin && (L.t - L.b) <= v.cellMin && !Rd.ctrl && !Rd.fullRes;
  L.outline = (word & INST_OUTLINE) != 0;
  if (k == 0) {
    L.selected = (word & INST_SELECTED) != 0;
    L.visible = 1;
    if (Rw.updateRegion) {
      double ax, ay, bx, by;
      DrawToDevice((double)L.l, (double)L.t, &ax, &ay);
      DrawToDevice((double)L.r, (double)L.b, &bx, &by);
      double x1d = std::max(ax + v.ox, (double)v.areaL), x2d = std::min(bx + v.ox, (double)v.areaR);
      double y1d = std::max(ay + v.oy, (double)v.areaT), y2d = std::min(by + v.oy, (double)v.areaB);
      L.visible = !(x2d < Rw.updL || x1d > Rw.updR || y2d < Rw.updT || y1d > Rw.updB);
    }
  }
}

static void LevelClear(int k) {
  Rw.lv[k].orient = 0;
  Rw.lv[k].x = Rw.lv[k].y = 0;
  Rw.lv[k].selected = 0;
}

static int Aborted() { return Rd.drawAbort || Rd.cmdAbort; }

// --- outlines ---------------------------------------------------------------

static int gLoadFailedOutline = 0;

void DrawInstOutline(int k) {
  if (k < 0 || k >= STORE_LEVELS || !Rd.haveCanvas) return;
  const InstLevel& L = Rw.lv[k];
  int top = MainSetup.topdepth, bot = MainSetup.botdepth;
  int failed = gLoadFailedOutline;
  int style = 0;
  if (((Rd.togs & TOG_INST) && Rd.inInst) || k >= bot || k + 1 < top) style = 2;
  int sco = MainSetup.smallcelloutl;
  if (L.small) {
    if (sco & 1) style = 0;
    else if (sco & 2) style = 6;
    else if (sco & 4) style = 0;
  }
  if (L.outline) style = 0;
  if (Aborted() || Rd.quick || failed || Rw.noExpand) style = 2;
  int selected = Rw.lv[0].selected;
  int colour = selected || failed ? PAL_SELECT : PAL_OUTLINE;
  if (Rd.instErase) colour = 0;
  int save = Rd.xfLevel;
  Rd.xfLevel = -1;
  double l = (double)L.l, b = (double)L.b, r = (double)L.r, t = (double)L.t;
  double xs[4] = {l, r, r, l}, ys[4] = {b, b, t, t};
  int hatchable = L.outline || (L.small && k == 0);
  if (Rw.hatchErase && hatchable) DrawPolyTop(DrawPaint(0, 0, FILL_HATCH), xs, ys, 4);
  if (selected && hatchable && !Rd.instErase)
    DrawPolyTop(DrawPaint(PAL_SELECT, 0, FILL_HATCH), xs, ys, 4);
  if (!(L.small && sco != 1 && sco != 2) || selected)
    DrawRectTop(DrawPaint(colour, style, 0), l, b, r, t);
  Rd.xfLevel = save;
  if (((Rd.togs & TOG_INST) && k == 0) || (selected && L.small && !MainSetup.nosmallactive)) {
    Rd.xfLevel = -1;
    DrawMarker(MARKER_SMALL, (int32_t)std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, L.x + (k > 0 ? Rd.xf[k - 1].ox : 0))),
               (int32_t)std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, L.y + (k > 0 ? Rd.xf[k - 1].oy : 0))),
               colour);
    Rd.xfLevel = save;
  }
  if (!Aborted() && !Rd.quick && !L.small) {
    Rd.nameColour = colour;
    DrawCellName(L.name, (int32_t)std::max<int64_t>(INT32_MIN, L.l), (int32_t)std::max<int64_t>(INT32_MIN, L.b),
                 (int32_t)std::min<int64_t>(INT32_MAX, L.r), (int32_t)std::min<int64_t>(INT32_MAX, L.t));
  }
}

static void OutlineFailed(int k) {
  gLoadFailedOutline = 1;
  DrawInstOutline(k);
  gLoadFailedOutline = 0;
}

// --- the walk ---------------------------------------------------------------

void DrawCellObjects(int k) {
  const InstLevel& L = Rw.lv[k];
  if (Store.heldCell != L.cell || L.cell == 0) {
    if (CellObjLoad(L.cell) != 0) {
      Rw.objLoadFailed = 1;
      OutlineFailed(k);
      Rw.objLoadFailed = 0;
      return;
    }
  }
  DrawLevelObjects(k);
}

void DrawLevelObjects(int k) { DrawLevelLayers(k); }

void DrawSubtree(int k) {
  if (k < 0 || k >= STORE_LEVELS) return;
  const InstLevel& L = Rw.lv[k];
  ++Rd.instsExpanded;
  if (L.rank > 1 && k + 1 < STORE_LEVELS) {
    if (Rw.held[k + 1] != L.cell || Store.levelCell[k + 1] != L.cell) {
      if (CellInstLoad(L.cell, k + 1) != 0) {
        Rw.nestedLoadFailed = 1;
        Rw.held[k + 1] = 0;
      } else {
        Rw.held[k + 1] = L.cell;
      }
    }
    DrawLevel(k + 1);
  }
  if ((!Rw.rankMode && k + 1 >= MainSetup.topdepth) || (Rw.rankMode && L.rank <= Rw.rankLimit))
    DrawCellObjects(k);
  Rw.nestedLoadFailed = 0;
}

void DrawLevel(int k) {
  if (k < 1 || k >= STORE_LEVELS) return;
  if (Rw.nestedLoadFailed) {
    OutlineFailed(k - 1);
    Rw.nestedLoadFailed = 0;
    return;
  }
  int bot = MainSetup.botdepth;
  int32_t count = Store.instCount[k];
  for (int32_t i = 1; i <= count; ++i) {
    DrawAbortPoll(16);
    LevelPush(k, i);
    const InstLevel& L = Rw.lv[k];
    if (L.rank >= Rw.lv[k - 1].rank) {
      DrawInstOutline(k);
    } else if (!L.inView) {
    } else if (Rw.singleLayer) {
      if (Aborted()) {
      } else if (L.outline || k > bot) {
        DrawInstOutline(k);
      } else if (!L.small) {
        DrawSubtree(k);
      }
    } else if (!Aborted() && !L.outline && !L.small) {
      if (k < bot) DrawSubtree(k);
    } else if (k < bot) {
      DrawInstOutline(k);
    }
    LevelClear(k);
  }
}

void DrawInstTree(int n) {
  Rd.inInst = 1;
  LevelPush(0, n);
  const InstLevel& L = Rw.lv[0];
  Rd.instSelected = L.selected;
  int bot = MainSetup.botdepth;
  int curRank = CurrentRank();
  if (L.rank == 0 || L.rank >= curRank) {
    DrawInstOutline(0);
  } else {
    int shown = L.inView && (!Rw.updateRegion || L.visible);
    int go;
    if (shown && !(Rd.togs & TOG_HIDE)) go = !Rw.rankMode || L.rank == Rw.rankLimit;
    else go = Rw.rankMode && L.rank == Rw.rankLimit;
    if (go) {
      if (Rw.noExpand) {
        if (bot > 0) DrawInstOutline(0);
      } else if (Rw.singleLayer) {
        if (Aborted()) {
        } else if (L.outline || bot == 0) {
          DrawInstOutline(0);
        } else if (!L.small) {
          DrawSubtree(0);
        }
      } else if (Aborted() || L.outline || L.small || bot == 0) {
        // With no level expanded the top instances still show where they are.
        DrawInstOutline(0);
      } else {
        if (Rd.togs & TOG_INST) DrawInstOutline(0);
        DrawSubtree(0);
      }
    }
  }
  Rd.inInst = 0;
  Rd.instSelected = 0;
}

static void SwapInAfter() {
  int cur = Store.currentCell;
  if (cur < 1 || cur > CELL_MAX || Store.heldCell == cur || Store.swapCell != cur || Rw.storeBad)
    return;
  if (SwapRead() != 0) {
    HostError("Swap File Failed to Read ... Try an Undo to Recover Previous Objects");
    Rw.storeBad = 1;
    const CellEntry* e = CellEntryOf(cur);
    char q[160];
    snprintf(q, sizeof q, "Reload %s from its TLC File?", e ? e->name : "");
    if (HostAskYesNo(q, "Swap File") == HOST_IDYES && StoreReloadCurrent()) return;
    Store.heldCell = 0;
    return;
  }
  Store.heldCell = cur;
  LayerIndexDrop();
}

void DrawAll(int n) {
  int saveTop = MainSetup.topdepth, saveBot = MainSetup.botdepth;
  if (Rw.rankMode || Rw.singleLayer) {
    MainSetup.topdepth = 0;
    MainSetup.botdepth = std::max(0, CurrentRank() - 1);
  }
  Rd.boxesDrawn = Rd.pathsDrawn = Rd.textsDrawn = Rd.instsExpanded = 0;
  memset(Rw.held, 0, sizeof Rw.held);
  Rw.fullRedraw = 1;
  Rw.noExpand = 0;
  Rd.smallest = (int32_t)std::min(Rd.view.width, 2147483647.0);
  LayerIndexDrop();
  int cur = Store.currentCell;
  // Nothing is loaded over a cell without instances: its objects stay put.
  int loads = Store.instCount[0] > 0 || Rw.eip;
  if (!loads) {
  } else if (cur >= 1 && cur <= CELL_MAX && Store.heldCell == cur && !Rw.storeBad) {
    if (SwapWrite() != 0) {
      HostError("Swap File Failed to Write ... Try an Undo to Recover Previous Objects");
      Rw.noExpand = 1;
    } else {
      Store.swapCell = cur;
    }
  } else if (Rw.storeBad || (cur && Store.heldCell != cur && Store.swapCell != cur)) {
    // The current cell's objects are safe nowhere: load nothing over them.
    Rw.noExpand = 1;
  }
  if (n > 0) {
    DrawAbortPoll(1);
    if (n <= Store.instCount[0]) DrawInstTree(n);
    SwapInAfter();
  } else {
    if (Rw.eip && !Rw.noExpand) {
      int parent = CellFind(Rw.eipParent);
      if (parent && CellObjLoad(parent) == 0) {
        LevelXf& f = Rd.xf[0];
        const int* m = OrientMatrix[Rw.eipOrient & 7];
        f.a = m[0];
        f.b = m[1];
        f.c = m[2];
        f.d = m[3];
        f.ox = Rw.eipX;
        f.oy = Rw.eipY;
        Rd.inInst = 1;
        DrawLevelLayers(0);
        Rd.inInst = 0;
      } else if (parent) {
        Rw.objLoadFailed = 1;
      }
    }
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      DrawAbortPoll(1);
      DrawInstTree(i);
      LevelClear(0);
    }
  }
  MainSetup.topdepth = saveTop;
  MainSetup.botdepth = saveBot;
  if (n <= 0) {
    SwapInAfter();
    if (((MainSetup.topdepth == 0 && !Rw.rankMode) || (Rw.rankMode && Rw.rankLimit == 0)) &&
        StoreUsable()) {
      Rd.ownFull = 1;
      Rd.inInst = 0;
      DrawLevelLayers(-1);
      Rd.ownFull = 0;
    }
  }
  Rw.fullRedraw = 0;
  if (Rw.timerStart) Rw.timerStart();
  Rw.objLoadFailed = 0;
  Rd.altFill = 0;
}

void InstRedraw(int n) {
  if (n <= 0 || CurrentRank() <= 1) return;
  DrawAll(n);
  Rd.instErase = 0;
  Rw.hatchErase = 0;
}

void InstErase(int n) {
  if (n <= 0 || CurrentRank() <= 1) return;
  Rd.instErase = 1;
  DrawAll(n);
  Rd.instErase = 0;
  Rw.hatchErase = 0;
}

void DrawGrid(int n) {
  if (n < 0 || n > GRID_PRESETS || !Rd.haveCanvas) return;
  int64_t p = GridValue(1, n);
  const DrawView& v = Rd.view;
  double ppu = Rd.view.sx;
  if (p <= 0 || (double)p * ppu <= 5.0) return;
  int64_t step = std::max<int64_t>(p, 1);
  int64_t x0 = (int64_t)std::llround((double)v.winL / p) * p;
  int64_t y0 = (int64_t)std::llround((double)v.winT / p) * p;
  CanvasPaint paint = DrawPaint(Rd.printing ? (Rd.darkField ? PAL_SELECT : 0) : PAL_SELECT, 0, 0);
  if (Rd.printing) {
    paint.useRgb = 1;
    paint.r = paint.g = paint.b = Rd.darkField ? 255 : 0;
  }
  int mode = Rd.printing ? 2 : MainSetup.winemods ? 1 : 0;
  int dw = 1, dh = 1;
  if (Rd.printing && Rd.printDpi > 200) {
    dw = 2;
    dh = Rd.printDirect ? 3 : 2;
  }
  for (int64_t y = y0; y > v.winB; y -= step) {
    for (int64_t x = x0; x < v.winR; x += step) {
      double dx, dy;
      DrawToDevice((double)x, (double)y, &dx, &dy);
      if (std::fabs(dx) > v.guardX || std::fabs(dy) > v.guardY) continue;
      int px = (int)std::lround(dx) + (Rd.printing ? Rd.pageOx : v.ox);
      int py = (int)std::lround(dy) + (Rd.printing ? Rd.pageOy : v.oy);
      Rd.canvas.dot(Rd.canvas.ctx, paint, px, py, dw, dh, mode);
    }
  }
  Rw.gridShown = n;
}
