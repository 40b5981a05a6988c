// The layer-logic tool's engine: two layers of a cell's hierarchy are
// rasterised area by area into one-bit maps, combined by AND, OR or XOR
// (each side and the result optionally inverted), and the result map is
// written back as boxes or polygons on a third layer of a new cell file.
// LlState holds every part of a run; the program (or a test) owns it.
#ifndef QUIL_UTIL_LL_H
#define QUIL_UTIL_LL_H

#include <cstdint>
#include <cstdio>
#include <vector>

#include "cellwalk.h"

enum {
  LL_STRIPS = 32,          // strips of 32 columns
  LL_COLS = 1024,
  LL_ROWS = 1025,          // rows 0..1023 and the guard row 1024
  LL_STRIP_WORDS = 1026,
  LL_MAX_BOXES = 5000000,  // boxes of one area
  LL_POLY_STACK = 1016,    // corner points of a polygon's box stack
  LL_RING = 1024,          // points of a polygon ring
  LL_MAX_AREAS = 100000,   // areas the count shows
  LL_PATH_V = 1040,        // vertices of a path record
  // Outline of the widest path: two points per vertex and two per bevelled
  // join, plus the closing point.
  LL_POINTS = 4 * LL_PATH_V + 8,
  LL_CROSS = LL_POINTS,    // crossings of one row
};

// Settings slots in the order of the file.
enum {
  LL_CLN = 0, LL_TLC, LL_LAYRA, LL_LAYRB, LL_LAYRC, LL_RES, LL_SIZ, LL_PRES, LL_BL, LL_BB, LL_BR, LL_BT,
  LL_SHW, LL_WR2, LL_LOG, LL_NOTA, LL_NOTB, LL_NOTC, LL_POLY, LL_VXR, LL_LBT, LL_OLD, LL_LFT, LL_TOP,
  LL_RGT, LL_BOT, LL_SLOTS
};

extern const char* const LlKeys[LL_SLOTS + 1];
extern const char* const LlDefaults[LL_SLOTS];

// Error codes of a run.
enum { LL_ERR_NONE = 0, LL_ERR_MEMORY = 1, LL_ERR_BP = 2, LL_ERR_C = 3 };

// Answers of the rounding warning.
enum { LL_RND_IGNORE = 0, LL_RND_PATHS = 1, LL_RND_ALL = 2, LL_RND_ABORT = 3 };

struct LlMap {
  uint32_t* w = nullptr;  // strip s, row r: w[s * LL_STRIP_WORDS + r]
};

struct LlBox {
  int32_t layer, l, b, r, t;
};

// The run values the apply step derives from the slots.
struct LlRunSet {
  int layA = 1, layB = 2, layC = 3, op = 0;
  int poly = 0, vxr = 0, nota = 0, notb = 0, notc = 0, lbt = 0, old = 0;
  int mapMs = 0;
  double res = 1, pres = 1;  // physical units, rounded to database units
  double fallback = 1;       // an empty resolution field takes this
  int64_t m = 1;             // map cell in database units
  int polyFactor = 1;
  int64_t minSize = 0;       // database units
  double bl = 0, bb = 0, br = 100, bt = 100;
  int fitPending = 0;
  double fitL = 0, fitB = 0, fitR = 0, fitT = 0;
};

struct LlState;

// What the engine asks of its program beyond the host seam. Null members
// take the quiet answer (rounding: Ignore; map view: none).
struct LlOps {
  int (*roundoff)(const char* text);         // LL_RND_*
  void (*mapShow)(LlState& st, int ms);      // shows the result map of the area
  void (*mapClose)(LlState& st);
  void (*caption)(const char* text);         // caption of the progress display
};

struct LlState {
  LlRunSet set;
  double scale = 1000.0;
  char unit[17] = "um";
  int& abortFlag;  // the frame's: set by Esc, an error box or a fatal limit
  int errorCode = 0;
  LlOps ops = {};

  // Maps.
  LlMap scan, mapA, result;
  // Area.
  int64_t L = 0, B = 0, R = 0, T = 0;  // current area
  int64_t S = 1024;                    // area size
  int64_t L0 = 0, B0 = 0, RL = 0, TL = 0;
  // Cell walk and cell source.
  CellWalk walk;
  const CwCellSource* src = nullptr;
  int mainCell = 0;
  int layer = 0;        // layer being scanned
  int inPath = 0;       // outlining a wide path
  int ignorePaths = 0, ignoreAll = 0;
  // Lists of the object being scanned.
  int64_t ptX[LL_POINTS], ptY[LL_POINTS];
  int npt = 0;
  int64_t mx[LL_POINTS + 1], my[LL_POINTS + 1];
  int nmp = 0;
  int64_t cross[LL_CROSS];
  int stopConv = 0;     // Abort chosen in the rounding warning
  CwJoin join = {};
  // Boxes of the area.
  std::vector<LlBox> boxes;
  int64_t areaBoxes = 0, areaPolys = 0, areaVerts = 0;
  int64_t totBoxes = 0, totPolys = 0, totVerts = 0;
  // Result writing goes through the TLC writer (lib); the polygon ring.
  int32_t ringX[LL_RING + 8], ringY[LL_RING + 8];
  int ringKeep[LL_RING + 8];
  int ringN = 0;
  // Result of the last run.
  int completed = 0;
  // Cell name and boundary slots kept while the setup dialog is open.
  char kept[5][256] = {};

  // Written polygons as x y lists (tests); null when not wanted.
  std::vector<std::vector<int32_t>>* polyOut = nullptr;
  // Boxes written (tests); null when not wanted.
  std::vector<LlBox>* boxOut = nullptr;

  LlState();
  ~LlState();
  LlState(const LlState&) = delete;
  LlState& operator=(const LlState&) = delete;
};

// ---- maps ------------------------------------------------------------
int LlMapsAlloc(LlState& st);  // 0 when a map can't be had
void LlMapsFree(LlState& st);
void LlMapClear(LlMap& m);
void LlMapFill(LlMap& m);
void LlMapNot(LlMap& m);
void LlMapCopy(LlMap& dst, const LlMap& src);
void LlMapAnd(LlMap& a, const LlMap& b);
void LlMapOr(LlMap& a, const LlMap& b);
void LlMapXor(LlMap& a, const LlMap& b);
void LlMapClip(const LlState& st, LlMap& m);
void LlMapBitSet(LlMap& m, int64_t x, int64_t y, int on);
int LlMapBitGet(const LlMap& m, int64_t x, int64_t y);
void LlMapTrimTops(LlMap& m);
int64_t LlMapCount(const LlMap& m);  // set cells of rows 0..1024

// ---- area grid -------------------------------------------------------
// Boundary into database units and the area size; 0 when the boundary lies
// beyond the 32-bit range of the drawing.
int LlGridSet(LlState& st);
// Areas whose lower-left corner lies strictly left of RL and strictly below
// TL, counted from area (i, j) on (at most LL_MAX_AREAS).
int64_t LlAreaCount(const LlState& st, int64_t i, int64_t j);
void LlAreaSet(LlState& st, int64_t i, int64_t j);

// ---- scan conversion -------------------------------------------------
// Map point of a database point in the current area; asks about rounding.
// 1 to go on, 0 after Abort.
int LlRoundoffWarn(LlState& st, int64_t x, int64_t y, int64_t* px, int64_t* py);
// Fills the closed map point list mx/my (nmp points) into the scan map.
void LlPolyFill(LlState& st, LlMap& m);
// Outline of one segment of a wide path into the point list.
void LlPathOutline(LlState& st, int64_t h, bool first, bool hasNext, bool extended, int64_t x0, int64_t y0,
                   int64_t x1, int64_t y1, int64_t x2, int64_t y2);
void LlScanBox(LlState& st, const CwBoxRec& b, int depth);
void LlScanPath(LlState& st, const CwPathRec& p, int depth);
// The current layer of the whole hierarchy into the scan map.
void LlScanLayer(LlState& st);

// ---- boxes and polygons ----------------------------------------------
int LlMapToBoxes(LlState& st);
void LlRowGroupToBoxes(LlState& st, int j, int i);
void LlBoxMerge(LlState& st);
int LlPolyBuild(LlState& st);
int LlAcuteFix(LlState& st, int n);
// The pairwise forms the indexed ones must agree with (tests).
void LlBoxMergePairwise(LlState& st);
int LlPolyBuildPairwise(LlState& st);

// ---- settings and run --------------------------------------------------
// Completes and normalises the slots (the frame's settings slots).
void LlSetupApply(LlState& st, int check);
// Fit: the boundary of the next apply from the cell's extents; 0 when the
// cell is not in the cell list.
int LlFit(LlState& st, const char* cell);
// The setup dialog's Cancel: the cell name and boundary as they were when
// the dialog opened (List and Fit may have changed them).
void LlSetupKeep(LlState& st);
void LlSetupCancel(LlState& st);
// The cell list: the library's reader with this tool's warning.
int LlCellListRead();
// The run over the record store (cells read from the current folder).
int LlRun(LlState& st);
// The run over a given cell source (tests, benchmarks).
int LlRunSource(LlState& st, const CwCellSource* src, int mainCell);
// The result text of a run ("Completed ..." or "Aborted ...").
void LlResultText(const LlState& st, int ok, long seconds, char* out, size_t size);
// The cell source over the record store that reads each cell file once a run.
const CwCellSource* LlStoreSource(LlState& st);
void LlStoreForget();

#endif
