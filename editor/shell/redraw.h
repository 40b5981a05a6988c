// The redraw driver: the current cell with its hierarchy, lower cells first
// and the cell's own objects last, within the depth or rank window, with the
// swap file keeping the current cell's objects while lower cells pass
// through the store.
#ifndef QUIL_EDITOR_SHELL_REDRAW_H
#define QUIL_EDITOR_SHELL_REDRAW_H

#include <cstdint>
#include <vector>

#include "store.h"

struct InstLevel {
  char name[36];
  int cell, rank;
  int64_t x, y;           // position turned by the outer levels
  int orient;
  int64_t l, b, r, t;     // the cell's extent in the top cell, ordered
  int outline;            // outline-only (bit 15 of the instance word)
  int selected;           // level 0 only
  int inView, small, visible;
};

struct RedrawState {
  InstLevel lv[STORE_LEVELS];
  int held[STORE_LEVELS];  // per level 1..23: whose instances it holds
  int fullRedraw = 0;
  int singleLayer = 0, singleLayerNo = 1;
  int rankMode = 0, rankLimit = 0;
  int lastRankLimit = 0;  // the limit before the last DPTH change
  // Repaint of an update region: instances off it are left alone.
  int updateRegion = 0, updL = 0, updT = 0, updR = 0, updB = 0;
  // Edit in place: the parent's name and placement of the current cell.
  int eip = 0;
  char eipParent[36] = "";
  int eipOrient = 0;
  int32_t eipX = 0, eipY = 0;
  int objLoadFailed = 0, nestedLoadFailed = 0;
  // The swap file could not be written: no lower cell is loaded over the
  // current cell's objects in this redraw; instances show as outlines.
  int noExpand = 0;
  // The swap file could not be read back: the store does not hold the
  // current cell; edits and saves must be refused until it is reloaded.
  int storeBad = 0;
  int hatchErase = 0;      // the redraw after an instance was deselected
  int gridShown = 0;
  void (*timerStart)() = nullptr;  // timer 1, 500 ms

  // Per-layer index lists of the store's boxes and paths: built once per
  // store content, so a layer's pass touches only its own objects.
  std::vector<int32_t> boxIdx, pathIdx;
  int32_t boxStart[258], pathStart[258];
  int indexCell = -1;            // the cell the lists were built for
  int32_t indexBoxes = -1, indexPaths = -1;
};

extern RedrawState Rw;

void RedrawReset();

// The current cell's rank (0 when none).
int CurrentRank();

void DrawAll(int n);
void InstRedraw(int n);
void InstErase(int n);
void DrawInstTree(int n);
void DrawLevel(int k);
void DrawSubtree(int k);
void DrawCellObjects(int k);
void DrawLevelObjects(int k);
// Own objects: k = -1.
void DrawLevelLayers(int k);
void DrawLayerBoxes(int layer, int k);
void DrawLayerPaths(int layer, int k);
void LevelPush(int k, int i);
void DrawInstOutline(int k);
void DrawGrid(int n);

// Forgets the per-layer lists (after anything changed the store).
void LayerIndexDrop();

// 1 when the store holds the current cell's objects (or no cell is
// current): what edits and saves must ask first.
int StoreUsable();
// After a failed swap read: reloads the current cell from its file.
int StoreReloadCurrent();

// Removes the swap file of a temp folder (before the folder goes at exit);
// nothing when the swap file lies in the drawing folder.
void SwapFileDelete();

#endif
