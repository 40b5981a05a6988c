// Interactive feedback figures in drawing-area pixels: the rubber band from
// the last point to the cursor, the selection rectangle, the two-segment
// line and the outline of a cell being placed. The window code draws them
// in exclusive-or mode, so drawing a figure twice removes it.
#ifndef QUIL_EDITOR_SHELL_RUBBER_H
#define QUIL_EDITOR_SHELL_RUBBER_H

#include <cstdint>

enum {
  FIG_NONE = 0,
  FIG_LINE = 1,
  FIG_RECT = 2,
  FIG_TWO_LINES = 3,
  FIG_PLACE = 4,
};

struct RubberState {
  int kind = FIG_NONE;
  int ax = 0, ay = 0;          // anchor
  int tx = 0, ty = 0;          // third point (two-segment line)
  int cx = 0, cy = 0;          // cursor the figure is shown at
  int shown = 0;
  int placeL = 0, placeB = 0, placeR = 0, placeT = 0;  // outline offsets
};
extern RubberState Rubber;

void RubberReset();

// A figure ready to draw: a polyline of n points or a rectangle whose right
// and bottom edges are included (one pixel added for the GDI rectangle).
struct RubberFig {
  int isRect = 0;
  int n = 0;
  int pts[3][2] = {};
  int rect[4] = {};  // left, top, right, bottom
};
// The current figure at cursor (x, y); n 0 and no rectangle for FIG_NONE.
RubberFig RubberFigureAt(int x, int y);

// Swaps so that l <= r and b <= t.
void BoxOrder(int32_t* l, int32_t* b, int32_t* r, int32_t* t);
// Placement outline offsets of a cell's extents at kx, ky pixels per unit.
void PlaceOutlineCalc(int32_t l, int32_t b, int32_t r, int32_t t, double kx, double ky);

#endif
