// The object renderer: one object of the store at a time, from database
// units through the instance levels and the view onto a canvas, with the
// layer's colour, fill and line style, the guard-band clip, wide-path
// outlines, the small-object cut, selection colours and markers; texts in
// the stroke font and instance outlines with their cell names.
#ifndef QUIL_EDITOR_SHELL_RENDER_H
#define QUIL_EDITOR_SHELL_RENDER_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "canvas.h"
#include "store.h"

// The view as the renderer needs it; the window code fills it from the live
// view before a redraw (DrawViewSet).
struct DrawView {
  int32_t cx = 0, cy = 0;        // view centre, database units
  double sx = 1.0, sy = 1.0;     // pixels per database unit
  int32_t winL = 0, winB = 0, winR = 0, winT = 0;  // the view window
  double width = 1.0;            // view width, database units
  int32_t objMin = 0;            // small-object size (width / drawres=)
  int32_t cellMin = 0;           // small-cell size (width / celldrawres=)
  int areaL = 0, areaT = 0, areaR = 0, areaB = 0;  // drawing area, pixels
  int ox = 0, oy = 0;            // the pixel of the view centre
  int guardX = 0, guardY = 0;    // half-sizes of the clip square, pixels
};

// The composed placement of one instance level: top = M x p + (ox, oy).
struct LevelXf {
  int a = 1, b = 0, c = 0, d = 1;
  int64_t ox = 0, oy = 0;
};

// Toggle word bits the display reads.
enum : uint32_t {
  TOG_HIDE = 0x8,
  TOG_INST = 0x10,
  TOG_NAMES = 0x20,
  TOG_ORIGIN = 0x80,
  TOG_TEXTS = 0x200,
  TOG_VERTS = 0x400,
};

struct RenderState {
  Canvas canvas{};
  int haveCanvas = 0;
  DrawView view;

  // Printing and its modes.
  int printing = 0, printDirect = 0, printClip = 0, darkField = 0, printBW = 0;
  int fullRes = 0, mergeSolidFill = 0;
  int pageOx = 0, pageOy = 0;
  int printDpi = 0;  // printer page origin (the centre while printing)

  // Passes and states of the object being drawn.
  int erasePass = 0, selOnly = 0, noFillPass = 0, ownFull = 0;
  int inInst = 0, instSelected = 0, instErase = 0;
  int altFill = 0;        // a Draw with Alt held: fills as when printing
  int ctrl = 0;           // Ctrl held: nothing is small
  int convertText = 0;    // texts become polygons (Smsh)
  int noFillOvr = 0, solidFillOvr = 0, noDashOvr = 0;
  uint32_t togs = 642;

  // Abort flags and the poll that sets the drawing abort (Esc).
  int drawAbort = 0, cmdAbort = 0, quick = 0;
  int nameColour = 7;  // colour of the cell name inside an outline
  int (*abortPoll)() = nullptr;
  int pollCount = 0;

  // The level whose placement applies (-1: the current cell's own objects).
  int xfLevel = -1;
  LevelXf xf[STORE_LEVELS];

  // Counters of the last full redraw.
  int64_t boxesDrawn = 0, pathsDrawn = 0, textsDrawn = 0, instsExpanded = 0;
  int32_t smallest = 0;

  // Work buffers, sized on first use for the largest path.
  std::vector<double> wx, wy;       // outline points, database units
  std::vector<uint32_t> wv;         // their vertex words
  std::vector<CanvasPt> dev;        // a polygon after the clip
  std::vector<double> clipA, clipB; // polygon clip work (x, y pairs)
};

extern RenderState Rd;

// Clears every flag, counter and level; keeps the buffers' memory.
void RenderReset();
// Clears the pass, abort, print and mode flags (before a new command).
void DrawStateReset();

void DrawCanvasSet(const Canvas& c);
// The view of a drawing area (pixels, right and bottom exclusive as the
// client rectangle gives them) showing width database units around
// (cx, cy); aspect is a pixel's height over its width, drawres and
// celldrawres the small-size divisors.
void DrawViewSet(int32_t cx, int32_t cy, double width, int areaL, int areaT, int areaR,
                 int areaB, double aspect, int drawres, int celldrawres);

// A database point of level Rd.xfLevel into the top cell.
void DrawToTop(double x, double y, double* tx, double* ty);
// A top-cell point to device pixels relative to the view centre.
void DrawToDevice(double x, double y, double* dx, double* dy);

// The fill index and line style of a layer as they are drawn now.
int LyrFillIndex(int layer);
int LyrLineStyle(int layer);
int LyrColour(int layer);
// The paint of colour c on the target in force (the printer's colour
// mapping, black and white, dark field).
CanvasPaint DrawPaint(int colour, int style, int fill);

// Primitives in top-cell database coordinates; each is clipped and painted.
void DrawLineTop(const CanvasPaint& p, double x1, double y1, double x2, double y2);
void DrawRectTop(const CanvasPaint& p, double x1, double y1, double x2, double y2);
// A filled polygon; the points are closed by the first one.
void DrawPolyTop(const CanvasPaint& p, const double* xs, const double* ys, int n);

// Objects of the store at instance level k (own objects: k = -1).
void DrawBox(int32_t n, int k);
void DrawPathObj(int32_t n, int k);
void DrawTextObj(int32_t n, int k);
void DrawPathVertexMarkers(int32_t n);
void DrawVertexMark(int32_t v, int colour);
void DrawMarker(int image, int32_t x, int32_t y, int colour);  // top-cell point
void DrawOriginMark();

// Single-object updates for command handlers.
void BoxErase(int32_t n);
void BoxRedraw(int32_t n);
void PathErase(int32_t n);
void PathRedraw(int32_t n);

// Boxes with any edge bit, paths and texts with the selected bit. Pass 1:
// all, in the selection-only pass; pass 0: those off the view set (or off
// the layer in single-layer mode), in full.
void DrawMarkedBoxes(int pass);
void DrawMarkedPaths(int pass);

// One character at the pen position (index 0 starts a text); returns the
// advance. x0, y0 is the reference point in the level's coordinates.
int32_t DrawGlyph(int code, int k, int32_t x0, int32_t y0, int32_t size, int orient, int index,
                  const CanvasPaint& p);
void DrawCellName(const char* name, int32_t l, int32_t b, int32_t r, int32_t t);
// A multiple of 15, at least 15.
int32_t TextSizeRound(double v);

// The wide outline of a path's vertices (database units, level coordinates):
// fills Rd.wx/wy/wv with the closed outline order and returns the point
// count (0 when the path has fewer than two vertices).
int PathOutline(const int32_t* xs, const int32_t* ys, const uint32_t* words, int n,
                int32_t width);

// Polls the drawing abort every so many objects (1 when set).
int DrawAbortPoll(int every);

#endif
