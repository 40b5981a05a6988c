// The display's fixed tables: the 22-colour palette, the printer's default
// colours, the dash tables of the user line styles, the three sets of fill
// patterns and the marker images. Both the screen canvas and the tests read
// them from here, so what is drawn and what is checked are the same bits.
#ifndef QUIL_EDITOR_SHELL_PALETTE_H
#define QUIL_EDITOR_SHELL_PALETTE_H

#include <cstdint>

enum {
  PAL_COLOURS = 22,
  PAL_BACKGROUND = 0,   // also the erase colour
  PAL_OUTLINE = 7,      // instance outlines
  PAL_SELECT = 15,      // selection
  FILL_PATTERNS = 15,   // 0 none .. 14; 13 solid
  FILL_SOLID = 13,
  FILL_HATCH = 14,      // the hatch of a selected outline-only instance
};

// Which pattern set a fill uses.
enum { FILLSET_SCREEN = 0, FILLSET_FINE = 1, FILLSET_PRINT = 2 };

struct PalRgb {
  uint8_t r, g, b;
};

extern const PalRgb PaletteRgb[PAL_COLOURS];
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

// Marker images: 16 pixels wide, two bytes a row.
enum { MARK_SMALL = 0, MARK_VERTEX = 1, MARK_LAST = 2, MARK_ORIGIN = 3, MARK_KINDS = 4 };
struct MarkerImage {
  int width, height;  // 16 x 7, or 16 x 13 for the origin
  int hotX, hotY;     // the pixel that sits on the marked point
  uint8_t rows[13][2];
};
const MarkerImage* MarkerImageOf(int kind);

#endif
