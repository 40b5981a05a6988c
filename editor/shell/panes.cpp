#include "panes.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "celltable.h"
#include "layerview.h"
#include "redraw.h"
#include "mainsetup.h"
#include "store.h"
#include "version.h"

static const char kTitleProgram[] = "Quil " QUIL_VERSION;
static const char kTitleEdition[] = QUIL_VERSION_TAG;

void SelCountsCalc(SelCounts* c) {
  memset(c, 0, sizeof *c);
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* r = StoreBoxRec(i);
    if (r && ((uint32_t)r[0] & BOX_SEL_ALL)) ++c->boxes;
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* r = StorePathRec(i);
    if (!r) continue;
    uint32_t f = (uint32_t)r[0];
    if (f & TEXT_BIT) ++c->allTexts;
    if (f & PATH_SELECTED) {
      ++c->paths;
      if (f & TEXT_BIT) ++c->texts;
    }
  }
  for (int32_t i = 1; i <= Store.vertexCount; ++i) {
    const int32_t* r = StoreVertexRec(i);
    if (r && ((uint32_t)r[0] & VERTEX_SELECTED) && !((uint32_t)r[0] & VERTEX_CHAR)) ++c->vertices;
  }
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    const int32_t* r = StoreCellRec(0, i);
    if (r && ((uint32_t)r[0] & INST_SELECTED)) ++c->cells;
  }
  c->allBoxes = Store.boxCount;
  c->allPaths = Store.pathCount;
  c->allVertices = Store.vertexCount;
  c->allCells = Store.instCount[0];
}

void PaneCountsText(char* out, size_t size, const SelCounts& c) {
  if (c.vertices || c.paths || c.boxes || c.cells)
    snprintf(out, size, " Active: %d Cells  %d Boxes  %d Paths  %d Text  %ld Vertex", (int)c.cells,
             (int)c.boxes, (int)(c.paths - c.texts), (int)c.texts, (long)c.vertices);
  else
    snprintf(out, size, " %d Cells  %d Boxes  %d Paths  %d Text  %ld Vertex", (int)c.allCells,
             (int)c.allBoxes, (int)(c.allPaths - c.allTexts), (int)c.allTexts, (long)c.allVertices);
}

void PaneDepthText(char* out, size_t size, const PaneDepthIn& in) {
  const char* v = in.viewText ? in.viewText : "";
  const char* o = in.openText ? in.openText : "";
  const char* a = in.activeText ? in.activeText : "";
  if (in.vplusoshow) {
    if (in.rankWindow)
      snprintf(out, size, " Depth(%d-%d)  Rank(%d)  View+Open(%s)", in.top, in.bot, in.rankLimit, a);
    else
      snprintf(out, size, " Depth(%d-%d)  View+Open(%s)", in.top, in.bot, a);
  } else if (in.rankWindow) {
    snprintf(out, size, " Depth(%d-%d)  Rank(%d)  View(%s)  Open(%s)", in.top, in.bot, in.rankLimit, v, o);
  } else {
    snprintf(out, size, " Depth(%d-%d)  View(%s)  Open(%s)", in.top, in.bot, v, o);
  }
}

static size_t Len(const char* s, size_t size) { return strnlen(s, size); }

void PaneGridText(char* out, size_t size, const PaneGridIn& in) {
  if (!size) return;
  double scale = in.scale > 0 ? in.scale : 1.0;
  const char* u = in.unit ? in.unit : "";
  if (in.gridShown)
    snprintf(out, size, " Wgrd=%-.5g%s  Dgrd=%-.5g%s  ", in.wgrid / scale, u, in.dgrid / scale, u);
  else
    snprintf(out, size, " Wgrd=%-.5g%s  ", in.wgrid / scale, u);
  size_t n = Len(out, size);
  char* p = out + n;
  size_t rest = size - n;
  if (in.textMode) {
    snprintf(p, rest, "Obj=TEXT  Layr= %s (%d)  Size=%-.5g%s", in.tlayerName ? in.tlayerName : "NONE",
             in.tlayer, in.twidth / scale, u);
    return;
  }
  const char* lname = in.layerName ? in.layerName : "NONE";
  if (in.objKind == 1) {
    snprintf(p, rest, "Obj=BOX  Layr= %s (%d)", lname, in.layer);
  } else if (in.objKind == 2) {
    snprintf(p, rest, "%s  Layr= %s (%d)  Wdth=%-.5g%s", in.pwidth != 0 ? "Obj=PATH" : "Obj=POLY", lname,
             in.layer, in.pwidth / scale, u);
  } else if (in.objKind == 3) {
    snprintf(p, rest, "Obj=%s", in.cellName ? in.cellName : "");
  }
}

void FolderTidy(char* out, size_t size, const char* folder) {
  if (!size) return;
  snprintf(out, size, "%s", folder ? folder : "");
  for (size_t i = 0; out[i]; ++i) {
    out[i] = (char)tolower((unsigned char)out[i]);
    if (i == 0 || out[i - 1] == '\\') out[i] = (char)toupper((unsigned char)out[i]);
  }
}

void TitleText(char* out, size_t size, int kind, const char* name, int rank, const char* folder,
               int notSaved, const char* eipParent) {
  const char* P = kTitleProgram;
  const char* E = kTitleEdition;
  const char* nm = name ? name : "";
  char tidy[300];
  FolderTidy(tidy, sizeof tidy, folder);
  static const char* const kBusy[12] = {
      nullptr,
      "%s %s     Saving %s ... Please Wait",
      "%s %s     Loading %s ... Please Wait",
      "%s %s     Exporting %s ...",
      "%s %s     Importing %s ...",
      "%s %s     Saving Undo Backup ... Please Wait",
      "%s %s     Loading Undo Backup ... Please Wait",
      "%s %s     Saving Redo Backup ... Please Wait",
      "%s %s     Loading Redo Backup ... Please Wait",
      "%s %s     Saving Load Backup ... Please Wait",
      "%s %s     Loading Load Backup ... Please Wait",
      "%s %s     Organizing ... Please Wait and DO NOT INTERRUPT",
  };
  if (kind >= 1 && kind <= 11) {
    if (kind <= 4) snprintf(out, size, kBusy[kind], P, E, nm);
    else snprintf(out, size, kBusy[kind], P, E);
    return;
  }
  const char* ns = notSaved ? "(Not Saved)" : "";
  if (!nm[0])
    snprintf(out, size, "%s %s    Cell: ?   Rank: 0    Folder: %s", P, E, tidy);
  else if (eipParent && eipParent[0])
    snprintf(out, size, "%s  %s     E.I.P.   Cell: %s.%s    Rank: %d    Folder: %s  %s", P, E, eipParent, nm,
             rank, tidy, ns);
  else
    snprintf(out, size, "%s %s    Cell: %s    Rank: %d    Folder: %s  %s", P, E, nm, rank, tidy, ns);
}

int ProgressText(char* out, size_t size, const char* text, int64_t done, int64_t total) {
  if (total == 0) return 0;
  double d = (double)(done < total ? done : total);
  snprintf(out, size, " %s  %5.1f%%    Press ESC to Abort  Press Space for Quick Draw", text ? text : "",
           d / (double)total * 100.0);
  return 1;
}

void CellExtentCalc(int32_t ext[4]) {
  StoreExtentCalc(ext);
  if (ext[0] > ext[2]) {
    int32_t t = ext[0];
    ext[0] = ext[2];
    ext[2] = t;
  }
  if (ext[1] > ext[3]) {
    int32_t t = ext[1];
    ext[1] = ext[3];
    ext[3] = t;
  }
  if (ext[2] == ext[0]) ext[2] = ext[0] + 2;
  if (ext[3] == ext[1]) ext[3] = ext[1] + 2;
}

void RankLayerSetsApply(int rank) {
  if (rank < 0 || rank > RANK_MAX) return;
  for (int g = 0; g < 4; ++g) {
    LyrRowMaskSet(LYR_KIND_VIEW, MainSetup.vmap[rank][g], g);
    LyrRowMaskSet(LYR_KIND_OPEN, MainSetup.omap[rank][g], g);
  }
  LyrViewBuild();
  LyrOpenBuild();
  LyrActiveBuild();
}

const char* LyrName(int n) {
  for (int i = 0; i < MainSetup.layerCount && i < LAYER_MAX; ++i)
    if (MainSetup.layers[i].number == n && n >= 1) return MainSetup.layers[i].name;
  return "NONE";
}

static double Phys(double v) { return v / (MainSetup.scale > 0 ? MainSetup.scale : 1.0); }

void CellInfoLabel(char* out, size_t size, int i, int k) {
  const CellEntry* e = CellEntryOf(i);
  if (!e) {
    snprintf(out, size, "%s", "");
    return;
  }
  if (k) snprintf(out, size, "%s (%d) #%d", e->name, (int)(e->rank & 0x1F), k);
  else snprintf(out, size, "%s (%d)", e->name, (int)(e->rank & 0x1F));
}

void LevelPosText(char* out, size_t size, int k) {
  if (k < 0 || k >= STORE_LEVELS) k = 0;
  const InstLevel& L = Rw.lv[k];
  snprintf(out, size, " X=%.*g  Y=%.*g  O=%-d", 9, Phys((double)L.x), 9, Phys((double)L.y), L.orient);
}

void ObjectsText(char* out, size_t size) {
  snprintf(out, size, "Objects:  %-d Cells  %-d Boxes   %-d Paths (%-ld Vtx)", (int)Store.instCount[0],
           (int)Store.boxCount, (int)Store.pathCount, (long)Store.vertexCount);
}

void OutlineText(char* out, size_t size) {
  const CellEntry* e = CellEntryOf(Store.currentCell);
  double l = e ? e->l : 0, b = e ? e->b : 0, r = e ? e->r : 0, t = e ? e->t : 0;
  snprintf(out, size, "Outline:  L=%.*g  B=%.*g  R=%.*g  T=%.*g", 9, Phys(l), 9, Phys(b), 9, Phys(r), 9,
           Phys(t));
}

void RankCellsList(int r, InfoAddFn add, void* ctx) {
  char line[120];
  snprintf(line, sizeof line, "Rank %d Cells:", r);
  add(ctx, line);
  for (int c = 1; c <= CellTable.count; ++c) {
    const CellEntry* e = CellEntryOf(c);
    if (!e || (int)(e->rank & 0x1F) != r) continue;
    long n = 0;
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      const int32_t* rec = StoreCellRec(0, i);
      if (rec && (int)((uint32_t)rec[0] & INST_CELL_MASK) == c) ++n;
    }
    if (!n) continue;
    int w = n < 10 ? 8 : n < 100 ? 7 : n < 1000 ? 6 : n < 10000 ? 5 : 4;
    snprintf(line, sizeof line, " %*ld  %s", w, n, e->name);
    add(ctx, line);
  }
}

void BoxFieldLine(int f, int32_t box, const char* name, InfoAddFn add, void* ctx) {
  static const uint32_t kBits[5] = {0, BOX_SEL_LEFT, BOX_SEL_BOTTOM, BOX_SEL_RIGHT, BOX_SEL_TOP};
  const int32_t* rec = StoreBoxRec(box);
  if (!rec || f < 1 || f > 4) return;
  char line[120];
  snprintf(line, sizeof line, "%c %s=%.*g", ((uint32_t)rec[0] & kBits[f]) ? '*' : ' ', name ? name : "", 9,
           Phys(rec[f]));
  add(ctx, line);
}

static int CountWidth(long n) { return n < 10 ? 24 : n < 100 ? 23 : n < 1000 ? 22 : n < 10000 ? 21 : 20; }

void LayerCountsList(InfoAddFn add, void* ctx) {
  static long boxes[LAYER_MAX + 1], paths[LAYER_MAX + 1], texts[LAYER_MAX + 1];
  memset(boxes, 0, sizeof boxes);
  memset(paths, 0, sizeof paths);
  memset(texts, 0, sizeof texts);
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* r = StoreBoxRec(i);
    int l = r ? (int)((uint32_t)r[0] & FLAG_LAYER_MASK) : 0;
    if (l >= 1 && l <= LAYER_MAX) ++boxes[l];
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* r = StorePathRec(i);
    int l = r ? (int)((uint32_t)r[0] & FLAG_LAYER_MASK) : 0;
    if (l < 1 || l > LAYER_MAX) continue;
    if ((uint32_t)r[0] & TEXT_BIT) ++texts[l];
    else ++paths[l];
  }
  char line[200];
  snprintf(line, sizeof line, "Object Counts:%*s%*s%*s", 24, "( Boxes", 20, "Paths", 22, "Text )");
  add(ctx, line);
  for (int l = 1; l <= LAYER_MAX; ++l) {
    if (!boxes[l] && !paths[l] && !texts[l]) continue;
    int lw = l < 10 ? 6 : l < 100 ? 5 : 4;
    snprintf(line, sizeof line, "%*s%*.1d%*.1d%*.1d", 12, "Layer", lw, l, CountWidth(boxes[l]), (int)boxes[l],
             CountWidth(paths[l]), (int)paths[l]);
    size_t n = strlen(line);
    snprintf(line + n, sizeof line - n, "%*.1d", CountWidth(texts[l]), (int)texts[l]);
    add(ctx, line);
  }
}
