// How the renderer reads the display's fixed tables (fills.h holds the
// palette, the three pattern sets and the marker bitmaps): the printer's
// default colours, the dash tables of the user line styles, pattern bits and
// marker placement. The screen canvas and the tests read the same bits.
#ifndef QUIL_EDITOR_SHELL_PALETTE_H
#define QUIL_EDITOR_SHELL_PALETTE_H

#include <cstdint>

#include "fills.h"

enum {
  PAL_COLOURS = 22,
  PAL_BACKGROUND = 0,   // also the erase colour
  PAL_OUTLINE = 7,      // instance outlines
  PAL_SELECT = 15,      // selection
  FILL_SOLID = 13,
  FILL_HATCH = 14,      // the hatch of a selected outline-only instance
};

// Which pattern set a fill uses.
enum { FILLSET_SCREEN = 0, FILLSET_FINE = 1, FILLSET_PRINT = 2 };

struct PalRgb {
  uint8_t r, g, b;
};

// The printer table before the setup file changes it.
extern const PalRgb PrinterRgbDefault[PAL_COLOURS];

// Dash and gap lengths of line style 1..4 (device units); count 0 for any
// other style.
const int* DashTable(int style, int* count);

// Rows of a pattern, top row first, most significant bit leftmost: 8 bytes
// for the screen and fine sets (8 x 8), 32 bytes for the printing set
// (16 x 16, two bytes a row, left byte first). Index outside 0..14 gives the
// empty pattern.
const uint8_t* FillPatternRows(int set, int index);
// Whether pixel (x, y) of the plane is painted by the pattern, the pattern
// repeating from (0, 0): what a pattern brush aligned at the origin shows.
int FillPatternBit(int set, int index, int x, int y);

// Marker images: 16 pixels wide, two bytes a row. The small-object marker
// is the vertex marker's image.
enum { MARKER_SMALL = 0, MARKER_VERTEX = 1, MARKER_LAST = 2, MARKER_ORIGIN = 3, MARKER_KINDS = 4 };
struct MarkerImage {
  int width, height;  // 16 x 7, or 16 x 13 for the origin
  int hotX, hotY;     // the pixel that sits on the marked point
  uint8_t rows[13][2];
};
const MarkerImage* MarkerImageOf(int kind);

#endif
