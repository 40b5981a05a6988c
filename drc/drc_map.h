// One-bit raster maps of a checking area, the working registers of a check,
// the table of saved maps and the word-parallel operations on them.
//
// A map is MAPH + 3 rows of `stride` 64-bit words (stride = MAPW / 64 + 1).
// Pixel x of row y is bit 63 - (x mod 64) of word x / 64 of row y: bit 63 is
// the leftmost pixel of a word. Row 0 is the bottom of the area. Rows MAPH ..
// MAPH + 2 are the rasteriser's scratch rows and the last word of every row is
// spare; every operation here covers rows 0 .. MAPH - 1 and pixels
// 0 .. MAPW - 1 only, and reads pixels outside that area as clear.
#ifndef QUIL_DRC_MAP_H
#define QUIL_DRC_MAP_H

#include <cstdint>

struct DrcState;

struct DrcMap {
  uint64_t* w;  // null until allocated
};

enum { DRC_SLOTS = 16 };

struct DrcMapSlot {
  int tag;     // 0 free, 1 "S", 2 "R", n + 2 layer n
  int valid;   // saved during the current area
  uint64_t* w;
};

struct DrcMapSet {
  int k;        // map factor 1, 2, 4 or 8
  int nw;       // words of a row holding pixels (MAPW / 64)
  int stride;   // words of a row in storage (nw + 1)
  int mapw;     // 512 k pixel columns
  int maph;     // 320 k pixel rows
  int allocated;
  // The eight working maps, allocated together in this order.
  DrcMap GR, GS, R, S, W, KR, KS, D;
  DrcMapSlot slot[DRC_SLOTS];
  uint64_t* tmp[4];  // row scratch of the passes (stride words each)
};

// Frees everything and sets the size of factor 1.
void DrcMapReset(DrcState& st);
// Fixes the map size for the map factor k (1, 2, 4, 8). Only while no map is
// allocated; the saved maps must have been released too.
void DrcMapSize(DrcState& st, int k);

int MapAlloc(DrcState& st);         // 1, or 0 when an allocation failed (nothing is kept)
void MapFree(DrcState& st);
void LayerMapFree(DrcState& st);    // releases every saved map

// Tag of a saved-map name: leading integer n >= 1 gives n + 2, "S" (any case)
// 1, anything else ("R", "0", "-3", "XYZ") 2.
int MapNameTag(const char* name);
// Copies the map into the slot of the name (or the first free slot). 0 saved;
// 1 not saved: the table is full or memory ran out (error shown, abort set).
int MapSlotStore(DrcState& st, const DrcMap& m, const char* name);
// Copies the slot of the name into dst. 0 copied; 1 the name was not saved in
// the current area (dst unchanged).
int MapRetrieve(DrcState& st, DrcMap& dst, const char* name);
// Marks every saved map as stale: called at the start of each area.
void MapSlotsInvalidate(DrcState& st);

inline uint64_t* MapRow(const DrcMapSet& ms, const DrcMap& m, int y) { return m.w + (int64_t)y * ms.stride; }
int MapGet(const DrcState& st, const DrcMap& m, int x, int y);
void MapPut(const DrcState& st, const DrcMap& m, int x, int y, int v);

void MapClear(const DrcState& st, const DrcMap& m);
void MapNot(const DrcState& st, const DrcMap& m);
void MapEdgeClear(const DrcState& st, const DrcMap& m);
void MapCopy(const DrcState& st, const DrcMap& dst, const DrcMap& src);
void MapOr(const DrcState& st, const DrcMap& dst, const DrcMap& src);
void MapAnd(const DrcState& st, const DrcMap& dst, const DrcMap& src);
void MapXor(const DrcState& st, const DrcMap& dst, const DrcMap& src);
void MapSwap(DrcMap& a, DrcMap& b);
int MapAnySet(const DrcState& st, const DrcMap& m);
int MapAnyClear(const DrcState& st, const DrcMap& m);    // interior rows 1..MAPH-2, pixels 1..MAPW-2
// Clears every pixel outside x in [g, MAPW - g), y in [g, MAPH - g); 1 when a
// pixel inside is set.
int MapGuardClip(const DrcState& st, const DrcMap& m, int g);
int64_t MapCount(const DrcState& st, const DrcMap& m);   // set pixels (tests and reports)

// ---- shift, expand, gauge ----

enum DrcDir { DIR_E, DIR_W, DIR_N, DIR_S, DIR_NE, DIR_SE, DIR_NW, DIR_SW };

// dst |= src moved one pixel in direction d.
void MapShift(DrcState& st, const DrcMap& dst, const DrcMap& src, int d);
// Sets in W every clear pixel of m (rows 1..MAPH-2) whose two neighbours on
// each side are set, along the row or along the column.
void MapHoleFill(DrcState& st, const DrcMap& m);
// Sets in W every pixel that separates x and y by exactly one pixel.
void MapContactMark(DrcState& st, const DrcMap& x, const DrcMap& y);

// EXPR (mode 0), EXPRS (1), EXPLRS (2) with target argument + n; 1 when the
// abort flag or a stop code ended it, else 0.
int DrcExpand(DrcState& st, int mode, int argument, int n);
// GAGR (mode 0), GAGRS (1) with width argument + n; the abort flag or stop code.
int DrcGauge(DrcState& st, int mode, int argument, int n);
// Gap gauge of p into dst with width g; face gauge of p against q.
void MapGapGauge(DrcState& st, const DrcMap& p, int64_t g, const DrcMap& dst);
void MapFaceGauge(DrcState& st, const DrcMap& p, const DrcMap& q, int64_t g, const DrcMap& dst);
// The marking of SIZE: from p into R with width g.
void MapSizeMark(DrcState& st, const DrcMap& p, int64_t g);

#endif
