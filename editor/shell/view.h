// The editor's view of the current cell: the view width and centre, the
// drawing area it is shown in, the mapping between world points (database
// units) and pixels, grid and polar snapping, fit and the measuring readout.
// Everything here is arithmetic; the window code feeds it the mouse and the
// area and draws what it returns.
#ifndef QUIL_EDITOR_SHELL_VIEW_H
#define QUIL_EDITOR_SHELL_VIEW_H

#include <cstddef>
#include <cstdint>

enum : int32_t { ROUND_LIMIT = 536870912 };  // 2^29, the drawable range

// Nearest integer, halves away from zero. Non-finite input gives 0 and
// values beyond the int32 range saturate, so no caller meets undefined
// conversions.
int32_t RoundNear(double v);
// RoundNear limited to -2^29..2^29; every world/screen conversion uses it.
int32_t RoundClamp(double v);

// atan2(y, x), with x = 0 giving +pi/2 for y > 0 and -pi/2 otherwise.
double AngleOf(double x, double y);

struct ViewPoint {
  int32_t x = 0, y = 0;    // database units
  int32_t px = 0, py = 0;  // pixels in the main window's client area
};

struct DrawArea {
  int left = 0, top = 0, right = 0, bottom = 0;
  int ox = 0, oy = 0;      // centre pixel
  double aspect = 1.0;     // height / width
};

struct ViewState {
  // The view: width and centre, database units.
  double width = 10000.0, cx = 0.0, cy = 0.0;
  // Derived by ViewUpdate.
  int32_t cxi = 0, cyi = 0;
  int32_t winLeft = 0, winRight = 0, winTop = 0, winBottom = 0;
  double sx = 0.0, sy = 0.0;                     // pixels per database unit
  double readX = 0.0, readY = 0.0, readW = 0.0;  // physical units
  int32_t objMin = 0, cellMin = 0;               // small-object thresholds

  DrawArea area;

  // Settings that the view reads (copied from the drawing's setup).
  double scale = 1000.0;     // database units per physical unit
  double aspectSetup = 1.0;  // a pixel's height over its width
  int drawres = 1000, celldrawres = 200;
  int printing = 0;          // square pixels while a print transform is on
  double polarAngle = 45.0;  // degrees
  int32_t grid = 1;          // working grid, database units
  uint32_t togs = 642;       // toggle word

  // Cursor points of the last mouse move.
  ViewPoint snapped, freePt;
  // Anchor slots of the running command (1..4; slot 0 unused) and its step.
  ViewPoint slot[5];
  int step = 0;
  int polarAllowed = 0;      // the running step lets the polar rule apply
  int rubberShown = 0;

  // Measuring (keys Z and Space).
  ViewPoint measRef, measLast;
  double measRun = 0.0;
  int measChain = 0;
  int justDrawn = 0;
};

// Global: the one drawing window's view, read by the engine, renderer and window.
extern ViewState View;

enum : uint32_t {
  TOG_SNAP = 0x1,
  TOG_MARKS = 0x4,
  TOG_POLAR = 0x40,
};

void ViewReset();

// Clamps width and centre and derives the world window, the scales, the
// readouts and the thresholds. Does nothing to the derived values while the
// drawing area is empty (a minimised or tiny window).
void ViewUpdate();
int DrawAreaEmpty(const DrawArea& a);

// World point to pixels, clamped into the drawing area's clip rectangle.
void ViewToScreen(int32_t x, int32_t y, int32_t* px, int32_t* py);

// The view that shows a rectangle with a 10 % margin; ViewUpdate follows.
void ViewFitExtents(double left, double bottom, double right, double top);

// Mouse pixel to the grid-snapped and to the free cursor point (View.snapped,
// View.freePt). Return 0 and leave the points alone for an empty area.
int GridSnap(int mx, int my);
int CursorFree(int mx, int my);

// Keeps the point's distance from the anchor and puts it on the polar line.
void PolarSnap(ViewPoint* p);

// Polar dialog result: the angle taken into 0..90, or clearing polar mode.
void PolarSet(int ok, double degrees);

// Measuring: set = 1 (Z) takes the reference, set = 0 (Space) measures from
// it. ctrl is the Ctrl key's state. Writes the pane text for Space into
// text (empty for Z); returns 1 when a point marker is wanted at the
// measured point, 0 otherwise, -1 when nothing happened.
int Measure(int set, int ctrl, char* text, size_t size);

// The cursor readout of pane 601 for the cursor point p at the current step.
// toolClass is the tool-strip class, cmdName the running command's name.
void CursorReadoutText(char* out, size_t size, int toolClass, const char* cmdName,
                       const ViewPoint& p);

// Typed coordinate (physical units) to database units: refuses non-finite
// values and values beyond +-2^29 database units.
int TypedToDb(double v, double scale, int32_t* out);

#endif
