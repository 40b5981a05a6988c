// Layer rasteriser and hierarchy walk: the boxes, polygons and wide paths of
// one layer of a cell and everything placed below it, carried through the
// placement stack into main-cell coordinates and filled into the work map W.
#ifndef QUIL_DRC_RASTER_H
#define QUIL_DRC_RASTER_H

#include <cstdint>
#include <vector>

#include "cellwalk.h"

struct DrcState;

enum {
  DRC_MAXV = 1040,                    // vertices of a path record
  DRC_LEVELS = 24,                    // placement levels
  DRC_POINTS = 4 * DRC_MAXV + 8,      // outline points of the widest path
  DRC_CROSS = 2 * DRC_POINTS,         // crossings or flat-edge ends of a row
};

// The walk and its records are the common ones (lib/cellwalk.h).
typedef CwBoxRec DrcBoxRec;
typedef CwPathRec DrcPathRec;
typedef CwCellInfo DrcCellInfo;
typedef CwInstRec DrcInstRec;
typedef CwCellSource DrcCellSource;

struct DrcRaster {
  // Set by the run driver per area.
  int64_t areaL, areaB, areaR, areaT;  // database units
  double res;                          // database units per pixel
  int layer;
  int sizeMode, overlap;
  const DrcCellSource* src;
  int mainCell;                        // index in the cell table
  // Lists of the current object.
  int64_t ptX[DRC_POINTS], ptY[DRC_POINTS];
  int npt;
  int64_t pixX[DRC_POINTS + 1], pixY[DRC_POINTS + 1];
  int npix;
  int64_t cross[DRC_CROSS];
  int64_t flat[DRC_CROSS];
  int8_t lastDir[DRC_POINTS + 1];
  CwJoin join;
  int64_t objects;  // objects filled since the last reset (figures)
};

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
