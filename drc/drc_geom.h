// Pixel geometry of a check: pixel size, distance in pixels, guard band,
// area steps and the first area of the tiling of the checking window.
#ifndef QUIL_DRC_GEOM_H
#define QUIL_DRC_GEOM_H

#include <cstdint>

// What the geometry is computed from.
struct DrcGeomInput {
  double scale;                 // database units per physical unit
  double winLeft, winBottom, winRight, winTop;  // physical units
  double rescale;               // rscl=
  const char* res;              // res= (empty: none)
  const char* dis;              // dis=
  double arp;                   // arp= largest automatic resolution
  const char* ckl;              // restart left (empty: none)
  const char* ckb;              // restart bottom
  double DISTANCE, RESOLUTION, GUARDBAND;  // the check's values, physical
  int resolutionGiven;          // the check has a RESOLUTION line
  int mapw, maph;               // map size in pixels
};

struct DrcGeom {
  int64_t winL, winB, winR, winT;  // database units
  double distance, resolution;     // physical units after rounding
  double distUnits, pixUnits;      // database units
  double pixelSize;                // pixel units, at least 1
  int N;                           // distance in pixels less one
  int64_t guard;                   // database units
  int64_t stepX, stepY;
  int64_t areaL, areaB, areaR, areaT;  // first area
  int64_t totalAreas, skippedAreas;
  int notWhole, resGiven, resChanged, resAuto;
  int restartIgnored;              // a restart point outside the window was dropped
};

// Halves away from zero.
double DrcRound(double v);
// The largest pixel in 1 .. max(1, limit) database units that divides the
// distance into an even number of pixels; 1 when none does.
int64_t DrcDivisorSearch(int64_t distUnits, int64_t limit);
// 1, or 0 when the scale is not positive (nothing computed).
int DrcPixelGeometry(const DrcGeomInput& in, DrcGeom* g);
// Areas the tiling visits from the area at (left, bottom) to the end of the
// window, counted as the area loop walks them; at most DRC_AREA_CAP.
enum { DRC_AREA_CAP = 1000000 };
int64_t DrcAreaCount(const DrcGeom& g, int64_t bottom, int64_t left);

#endif
