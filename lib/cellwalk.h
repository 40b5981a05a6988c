// The walk of a cell hierarchy for the raster tools (rule checker, layer
// logic): every instance whose cell extent meets the current area is entered
// depth first, its sub-instances before its own objects, the main cell's own
// objects last; every box and path is handed to the tool with the depth of
// the placement stack that carries it into main-cell coordinates. Also the
// outline of a wide path, which both tools build the same way.
#ifndef QUIL_LIB_CELLWALK_H
#define QUIL_LIB_CELLWALK_H

#include <cstdint>
#include <vector>

enum {
  CW_LEVELS = 24,  // placement levels
};

// Why a walk stopped on a cell.
enum {
  CW_STOP_BP_READ = 2,  // its boxes and paths could not be read
  CW_STOP_C_READ = 3,   // its instances could not be read
};

struct CwBoxRec {
  int32_t layer, l, b, r, t;
};

// A path or polygon (width 0, closed when its last vertex equals its first);
// word0 holds the layer in bits 0-8 and marks a text with bit 31.
struct CwPathRec {
  uint32_t word0;
  int32_t width;
  int32_t nv;
  const int32_t* xy;  // x0 y0 x1 y1 ...
};

struct CwCellInfo {
  char name[33];
  int rank;
  int32_t l, b, r, t;
  int32_t nInst;
};

struct CwInstRec {
  uint32_t word;  // cell index bits 0-13, orientation bits 17-19
  int32_t x, y;
};

// Where the walk gets cells from: the satellites' record store in the
// programs, an in-memory drawing in tests and tools. Every function returns 0
// on success.
struct CwCellSource {
  void* ctx;
  // Cell table entry of a 1-based index (0 or unknown: rank 0).
  int (*cellInfo)(void* ctx, int index, CwCellInfo* out);
  // Reads a cell's boxes and paths into the store (one cell at a time).
  int (*readObjects)(void* ctx, const char* cell);
  int32_t (*boxCount)(void* ctx);
  void (*box)(void* ctx, int32_t i, CwBoxRec* out);  // 1-based
  int32_t (*pathCount)(void* ctx);
  void (*path)(void* ctx, int32_t i, CwPathRec* out);
  // Reads a cell's instances into bank `level` (freeing deeper banks).
  int (*readInstances)(void* ctx, const char* cell, int level);
  int32_t (*instCount)(void* ctx, int level);
  void (*inst)(void* ctx, int level, int32_t i, CwInstRec* out);
};

struct CwPlace {
  char name[33];
  int cell, rank, orient;
  int64_t x, y;  // turned by the outer levels: the sum of 0..d is level d's origin
  int32_t l, b, r, t;
};

// Grid index of the loaded cell's boxes and paths by their bounding boxes in
// cell coordinates, so that an area visits only the objects near it. The
// tools' maps do not depend on the order in which objects are filled.
struct CwObjIndex {
  int cell = 0;
  int64_t x0 = 0, y0 = 0, cw = 1, ch = 1;
  int gx = 0, gy = 0;
  int32_t nb = 0, np = 0;
  std::vector<int32_t> start, items;
  std::vector<uint32_t> stamp;
  uint32_t epoch = 0;
};

struct CellWalk {
  // Set by the tool before a walk.
  const CwCellSource* src = nullptr;
  int mainCell = 0;                       // index in the cell table
  int64_t areaL = 0, areaB = 0, areaR = 0, areaT = 0;
  // 0: any instance of a known cell (rank above 0) is entered. 1: ranks must
  // fall along the walk: a top-level instance is entered for ranks 1..23, a
  // deeper one only below the rank of the level above it (a cell list whose
  // ranks disagree with the placements can then never loop).
  int ranksFall = 0;
  void* user = nullptr;
  void (*box)(void* user, const CwBoxRec& b, int depth) = nullptr;
  void (*path)(void* user, const CwPathRec& p, int depth) = nullptr;
  int (*stopped)(void* user) = nullptr;
  // A cell's objects (CW_STOP_BP_READ) or instances (CW_STOP_C_READ) could
  // not be read; the tool reports and records its stop.
  void (*readError)(void* user, const char* cell, int code) = nullptr;
  // 0 refuses a cell name before its file is read (the tool reports); null
  // takes every name.
  int (*nameReadable)(void* user, const char* cell) = nullptr;

  // Walk state.
  CwPlace stack[CW_LEVELS] = {};
  int64_t offX = 0, offY = 0;  // origin of the level being mapped
  int inArea = 0;
  int loadedCell = 0;          // cell whose objects are in the store
  CwObjIndex index;
};

// Walks the main cell over the area (instances first, its own objects last).
void CwWalk(CellWalk& w);
// The loaded-cell memory: forget it so the next walk reads every cell anew.
void CwForget(CellWalk& w);

// Instance i of bank d into stack[d] (cell, rank, orientation, name, its
// offset turned by the outer levels); box gets the placed cell's extents in
// main-cell coordinates (left, bottom, right, top). 0 when the instance's cell
// is not in the cell table (rank 0, no extents). For tools that walk on their
// own terms (the plotter).
int CwPlaceFetch(CellWalk& w, int d, int32_t i, int64_t box[4]);
// Box corners at depth (-1 main cell) into main-cell coordinates, ordered.
void CwCorners(const CellWalk& w, int depth, int64_t* l, int64_t* b, int64_t* r, int64_t* t);
// A point at depth into main-cell coordinates.
void CwPoint(const CellWalk& w, int depth, int64_t* x, int64_t* y);

// Nearest integer, halves away from zero.
int64_t CwNearest(double v);

// The outline of one segment P0-P1 of a wide path (P2 the next vertex when
// hasNext): pairs of points, right side first, handed to put. h is half the
// width; extended ends reach h beyond the first and last vertex. join
// carries a bevelled corner from one segment to the next (clear it for each
// path).
struct CwJoin {
  int mark;
  double sign;
};
void CwPathOutline(CwJoin* join, int64_t h, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0,
                   int64_t x1, int64_t y1, int64_t x2, int64_t y2, void (*put)(void* ctx, int64_t x, int64_t y),
                   void* ctx);

#endif
