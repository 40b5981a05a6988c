// What the renderer paints on: a few primitives in device pixels, already
// clipped and offset to the drawing area. The screen and printer editions
// paint them with GDI; the recording edition keeps them so that tests and
// benchmarks see exactly what would be drawn.
#ifndef QUIL_EDITOR_SHELL_CANVAS_H
#define QUIL_EDITOR_SHELL_CANVAS_H

#include <cstdint>
#include <vector>

// How a fill meets what is already there.
enum {
  CANVAS_MIX_COPY = 0,       // pattern pixels take the colour, the rest stays
                             // (the solid pattern: everything painted)
  CANVAS_MIX_MERGE = 1,      // pattern pixels ORed with the colour
  CANVAS_MIX_MASKNOT = 2,    // pattern pixels cleared to black
  CANVAS_MIX_MASKMERGE = 3,  // cleared first, then take exactly the colour
};

struct CanvasPaint {
  int colour;     // palette index 0..21
  int useRgb;     // 1: paint rgb (printing in colour or black and white)
  uint8_t r, g, b;
  int style;      // line style: 0 solid, 1..4 dash tables, 6 alternate pixels
  int fill;       // fill pattern index of polygons
  int fillSet;    // FILLSET_*
  int mix;        // CANVAS_MIX_* of polygons
};

struct CanvasPt {
  int32_t x, y;
};

struct Canvas {
  void* ctx;
  // A line whose end pixel is painted too.
  void (*line)(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2);
  // A rectangle outline through the corners, starting at (x1, y1).
  void (*rect)(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2);
  // A polygon filled with the pattern, alternate fill, no edge.
  void (*polygon)(void* ctx, const CanvasPaint& p, const CanvasPt* pts, int n);
  // A marker image with its top-left corner at (x, y).
  void (*marker)(void* ctx, int image, int x, int y, int colour);
  // One grid point: mode 0 a white pixel, 1 an exclusive-or pixel, 2 a
  // printed dot of w x h pixels in the paint's colour.
  void (*dot)(void* ctx, const CanvasPaint& p, int x, int y, int w, int h, int mode);
};

// --- the recording canvas ---------------------------------------------------
enum { REC_LINE = 1, REC_RECT = 2, REC_POLYGON = 3, REC_MARKER = 4, REC_DOT = 5 };

struct RecOp {
  int kind;
  CanvasPaint paint;
  int image;                   // markers
  std::vector<CanvasPt> pts;   // line and rect: two points
};

struct RecCanvas {
  std::vector<RecOp> ops;
  int keep = 1;                 // 0: count only (benchmarks)
  int64_t counts[6] = {0, 0, 0, 0, 0, 0};
};

// A canvas that appends to rec.
Canvas RecCanvasMake(RecCanvas* rec);

#endif
