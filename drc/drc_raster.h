// Layer rasteriser and hierarchy walk: the boxes, polygons and wide paths of
// one layer of a cell and everything placed below it, carried through the
// placement stack into main-cell coordinates and filled into the work map W.
#ifndef QUIL_DRC_RASTER_H
#define QUIL_DRC_RASTER_H

#include <cstdint>
#include <vector>

struct DrcState;

enum {
  DRC_MAXV = 1040,                    // vertices of a path record
  DRC_LEVELS = 24,                    // placement levels
  DRC_POINTS = 4 * DRC_MAXV + 8,      // outline points of the widest path
  DRC_CROSS = 2 * DRC_POINTS,         // crossings or flat-edge ends of a row
};

struct DrcBoxRec {
  int32_t layer, l, b, r, t;
};

// A path or polygon (width 0, closed when its last vertex equals its first);
// word0 holds the layer in bits 0-8 and marks a text with bit 31.
struct DrcPathRec {
  uint32_t word0;
  int32_t width;
  int32_t nv;
  const int32_t* xy;  // x0 y0 x1 y1 ...
};

struct DrcCellInfo {
  char name[33];
  int rank;
  int32_t l, b, r, t;
  int32_t nInst;
};

struct DrcInstRec {
  uint32_t word;  // cell index bits 0-13, orientation bits 17-19
  int32_t x, y;
};

// Where the walk gets cells from: the satellites' record store in the
// program, an in-memory drawing in tests and tools. Every function returns 0
// on success.
struct DrcCellSource {
  void* ctx;
  // Cell table entry of a 1-based index (0 or unknown: rank 0).
  int (*cellInfo)(void* ctx, int index, DrcCellInfo* out);
  // Reads a cell's boxes and paths into the store (one cell at a time).
  int (*readObjects)(void* ctx, const char* cell);
  int32_t (*boxCount)(void* ctx);
  void (*box)(void* ctx, int32_t i, DrcBoxRec* out);  // 1-based
  int32_t (*pathCount)(void* ctx);
  void (*path)(void* ctx, int32_t i, DrcPathRec* out);
  // Reads a cell's instances into bank `level` (freeing deeper banks).
  int (*readInstances)(void* ctx, const char* cell, int level);
  int32_t (*instCount)(void* ctx, int level);
  void (*inst)(void* ctx, int level, int32_t i, DrcInstRec* out);
};

struct DrcPlace {
  char name[33];
  int cell, rank, orient;
  int64_t x, y;
  int32_t l, b, r, t;
};

struct DrcRaster {
  // Set by the run driver per area.
  int64_t areaL, areaB, areaR, areaT;  // database units
  double res;                          // database units per pixel
  int layer;
  int sizeMode, overlap;
  const DrcCellSource* src;
  int mainCell;                        // index in the cell table
  int loadedCell;                      // cell whose objects are in the store
  // Walk state.
  DrcPlace stack[DRC_LEVELS];
  int64_t offX, offY;
  int inArea;
  // Lists of the current object.
  int64_t ptX[DRC_POINTS], ptY[DRC_POINTS];
  int npt;
  int64_t pixX[DRC_POINTS + 1], pixY[DRC_POINTS + 1];
  int npix;
  int64_t cross[DRC_CROSS];
  int64_t flat[DRC_CROSS];
  int8_t lastDir[DRC_POINTS + 1];
  int joinMark;
  double joinSign;
  int64_t objects;  // objects filled since the last reset (figures)
};

// Grid index of the loaded cell's boxes and paths by their bounding boxes in
// cell coordinates, so that an area visits only the objects near it. The
// maps do not depend on the order in which objects are filled.
struct DrcObjIndex {
  int cell = 0;
  int64_t x0 = 0, y0 = 0, cw = 1, ch = 1;
  int gx = 0, gy = 0;
  int32_t nb = 0, np = 0;
  std::vector<int32_t> start, items;
  std::vector<uint32_t> stamp;
  uint32_t epoch = 0;
};

// Pieces of the walk the plotter shares.
// Instance i of level d into stack[d]: cell, rank, orientation, name, and the
// offset turned by the enclosing levels; box gets the placed cell's extents
// in main-cell coordinates (left, bottom, right, top, ordered). 0 when the
// instance's cell is not in the cell table (rank 0, no extents).
int DrcPlaceFetch(DrcPlace* stack, const DrcCellSource* s, int d, int32_t i, int64_t box[4]);
// A point of a level-d cell turned by the orientations of levels d .. 0; the
// offsets are the caller's to add.
void DrcPlaceOrient(const DrcPlace* stack, int d, int64_t* x, int64_t* y);

// Outline of a wide path, built segment by segment into the caller's lists:
// a = half width, extended for square ends; P2 is the vertex after P1 when
// hasNext. Points past cap are dropped (lists sized for the widest path hold
// them all).
struct DrcOutline {
  int64_t* x;
  int64_t* y;
  int n, cap;
  int joinMark;     // a sharp corner is pending
  double joinSign;
};
void DrcOutlineSegment(DrcOutline& o, int64_t a, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0,
                       int64_t x1, int64_t y1, int64_t x2, int64_t y2);

void DrcRasterReset(DrcState& st);
// The loaded-cell memory: forget it so the next walk reads every cell anew.
void DrcRasterForget(DrcState& st);

int64_t DrcNearest(double v);

// One record at placement depth (-1 main cell).
void MapBox(DrcState& st, const DrcBoxRec& b, int depth);
void MapPath(DrcState& st, const DrcPathRec& p, int depth);
// Sets pixels min(x0,x1) .. max(x0,x1) - 1 of a row, clipped.
void SpanSet(const DrcState& st, uint64_t* row, int64_t x0, int64_t x1);

// Walk of the current layer over the main cell into W (clears W first).
void MapMainCell(DrcState& st);
// The rasterising step of SIZE with gauge width g.
void MapSized(DrcState& st, int64_t g);

#endif
