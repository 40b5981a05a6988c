#include "cmdshow.h"

#include <cstdio>

#include "celltable.h"
#include "host.h"
#include "mainsetup.h"
#include "store.h"
#include "tlcread.h"

namespace {

double Phys(double v) { return v / (MainSetup.scale > 0 ? MainSetup.scale : 1.0); }

int Layer(int32_t flags) { return (int)((uint32_t)flags & FLAG_LAYER_MASK); }

int BoxList(InfoAddFn add, void* ctx) {
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (!q || !((uint32_t)q[0] & BOX_SEL_ALL)) continue;
    char line[120];
    snprintf(line, sizeof line, " Box #%d  Layr= %s (%d)", (int)i, LyrName(Layer(q[0])), Layer(q[0]));
    add(ctx, line);
    static const char* const names[4] = {"Left", "Bottom", "Right", "Top"};
    for (int f = 1; f <= 4; ++f) BoxFieldLine(f, i, names[f - 1], add, ctx);
    return 1;
  }
  return 0;
}

int PathList(InfoAddFn add, void* ctx) {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* r = StorePathRec(p);
    if (!r || !((uint32_t)r[0] & PATH_SELECTED)) continue;
    char line[160];
    snprintf(line, sizeof line, " Path/Text #%d  Layr= %s (%d)  Wdth/Size=%.*g", (int)p, LyrName(Layer(r[0])),
             Layer(r[0]), 9, Phys(r[1]));
    add(ctx, line);
    int n = 0;
    for (int32_t v = r[2]; v > 0 && v <= Store.vertexCount && n <= Store.vertexCount; v = StoreVertexGet(3, v)) {
      const int32_t* vr = StoreVertexRec(v);
      ++n;
      char mark = ((uint32_t)vr[0] & VERTEX_SELECTED) ? '*' : ' ';
      if ((uint32_t)vr[0] & VERTEX_CHAR) {
        char c[8];
        for (int k = 0; k < 8; ++k) {
          uint32_t w = (uint32_t)vr[1 + k / 4];
          char ch = (char)((w >> (8 * (3 - k % 4))) & 0xff);
          c[k] = ch >= ' ' && ch <= '~' ? ch : ' ';
        }
        snprintf(line, sizeof line, "%c %3d  %c%c%c%c%c%c%c%c", mark, n, c[0], c[1], c[2], c[3], c[4], c[5], c[6],
                 c[7]);
      } else {
        snprintf(line, sizeof line, "%c %-5d X=%.*g Y=%.*g", mark, n, 9, Phys(vr[1]), 9, Phys(vr[2]));
      }
      add(ctx, line);
    }
    return 1;
  }
  return 0;
}

}  // namespace

int CellInfoList(const char* name, InfoAddFn add, void* ctx) {
  int n = name ? CellFind(name) : 0;
  const CellEntry* e = CellEntryOf(n);
  if (!e) {
    HostError("Cell does Not Exist");
    return 0;
  }
  int rank = (int)(e->rank & 0x1F);
  for (int k = 0; k < STORE_LEVELS; ++k) Store.instCount[k] = 0;
  if (CellObjLoad(n) != 0 || (rank >= 2 && CellInstLoad(n, 0) != 0)) {
    char msg[96];
    snprintf(msg, sizeof msg, "Loading %s TLC File Failed", e->name);
    HostError(msg);
    return 0;
  }
  char line[200];
  CellInfoLabel(line, sizeof line, n, 0);
  add(ctx, line);
  ObjectsText(line, sizeof line);
  add(ctx, line);
  snprintf(line, sizeof line, "Outline:  L=%.*g  B=%.*g  R=%.*g  T=%.*g", 9, Phys(e->l), 9, Phys(e->b), 9,
           Phys(e->r), 9, Phys(e->t));
  add(ctx, line);
  for (int r = rank - 1; r >= 1; --r) RankCellsList(r, add, ctx);
  LayerCountsList(add, ctx);
  return 1;
}

int ShowListFill(const char* name, InfoAddFn add, void* ctx) {
  if (BoxList(add, ctx) || PathList(add, ctx)) return 1;
  return CellInfoList(name, add, ctx);
}
