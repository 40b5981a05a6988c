// The HPGL plotter's engine: its settings as texts with their apply steps,
// the plot layer and paper tables, the plot geometry, the HP-GL writer, the
// walk of a cell's hierarchy one layer at a time and the stroke-font text.
// All of a plot's state is one PlotState; the program (or a test) owns it
// and hands it to every entry point.
#ifndef QUIL_PLOT_PLOT_H
#define QUIL_PLOT_PLOT_H

#include <cstdint>
#include <cstdio>
#include <string>

#include "cellwalk.h"
#include "drc_raster.h"
#include "font.h"

enum PlotKey {
  // Main Setup
  PK_CLN, PK_PFN, PK_TFN, PK_WLF, PK_WBT, PK_WRT, PK_WTP, PK_ROT, PK_PSC,
  // Parameters
  PK_TSR, PK_PTS, PK_PPM, PK_RET, PK_PCL, PK_DOL, PK_MSZ, PK_LAM, PK_OPN, PK_VEL, PK_INI, PK_FIN,
  // Paper
  PK_PSU, PK_ORG, PK_PSZ, PK_DSZ, PK_FSZ, PK_BDR, PK_PBM, PK_PLM, PK_PTM, PK_PRM,
  // Layers: 16 rows of layer, pen, dash and fill
  PK_L0, PK_P0 = PK_L0 + 16, PK_D0 = PK_P0 + 16, PK_F0 = PK_D0 + 16,
  PK_COUNT = PK_F0 + 16,
};

enum {
  PLOT_TEXT = 256,      // a setting text: 255 characters
  PLOT_ROWS = 16,       // rows of the plot layer table
  PLOT_PAPERS = 10,
  PLOT_UNITS_PER_INCH = 1016,
  PLOT_CLIP = 32767,
  PLOT_LEVELS = CW_LEVELS,
  // Outline points of the widest path: two a segment and two more at each
  // sharp corner.
  PLOT_POINTS = 4 * DRC_MAXV + 8,
};

// Kinds of SegmentOut.
enum { SEG_LINE = 1, SEG_RECT = 2, SEG_POLY_START = 4, SEG_POLY_POINT = 8, SEG_POLY_END = 16 };

struct PlotLayerRow {
  int layer;      // 0: empty row
  int pen;        // 0 when its text is empty
  char dash[16];
  char fill[16];
};

struct PlotPaper {
  const char* name;
  double w, h;  // inches
};
extern const PlotPaper PlotPapers[PLOT_PAPERS];
extern const char* const PlotKeyName[PK_COUNT];

struct PlotSettings {
  char v[PK_COUNT][PLOT_TEXT];
  // Numbers the apply steps derive from the texts.
  double tsr = 0, pts = 0, msz = 0, lam = 1, vel = 0, dsz = 0, fsz = 0, bdr = 0;
  int ppm = 0, ret = 0, pcl = 0, dol = 0, opn = 1, rot = 0;
  int paper = 0;        // index in PlotPapers
  int lowerLeft = 1;    // origin: Lower Left, else Center
  double areaL = 0, areaB = 0, areaR = 0, areaT = 0;  // paper area, inches
  char plotFile[260] = "";
  char fontFile[260] = "";
  PlotLayerRow rows[PLOT_ROWS] = {};
};

struct PlotGeom {
  int p1x = 0, p1y = 0, p2x = 0, p2y = 0;
  int iw[4] = {0, 0, 0, 0};          // input window, plotter units
  double wl = 0, wb = 0, wr = 0, wt = 0;  // Drawing Window, physical units
  int64_t cxd = 0, cyd = 0;          // its centre, database units
  int64_t dl = 0, db = 0, dr = 0, dt = 0;  // the window in database units, ordered
  double unit = 0.04;                // plotter inches per physical unit x 1000
  double plotScale = 100;
  double maxScale = 0;
  int64_t minSize = 0;
  double dashLen = 0;                // percent of the P1-P2 diagonal
  double fillSpacing = 0;            // plotter units
  int valid = 0;                     // computed with a usable window and scale
};

struct PlotOut {
  FILE* f = nullptr;
  std::string* capture = nullptr;    // tests: the stream goes here instead
  char name[260] = "";
  int failed = 0;                    // a write or the close failed
  int pen = 0, wantPen = 0;
  double lastX = 0, lastY = 0;
  int dash = 0, lineType = 0;
  int fill = 0, solid = 0, angle = 0;
  int openPoly = 0;
  double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int64_t clipped = 0;               // values clipped since the count was reset
  int clipWarned = 0;
};

struct PlotWalk {
  // The cell source, the placement stack and the origin of the level being
  // drawn; the plotter walks on its own terms (layer passes, outlined
  // instances) with the shared fetch and transforms.
  CellWalk cw;
  int64_t box[PLOT_LEVELS][4] = {};  // placed extents, main-cell coordinates
  int outlined[PLOT_LEVELS] = {};
  int64_t x[PLOT_POINTS], y[PLOT_POINTS];
  int n = -1;                        // last point index
  int readErrBPV = 0, readErrC = 0, lastReadFailed = 0;
  int layer = 0;
  int firstPass = 0;
  int missingNoted = 0;              // instances of cells not in the cell table
  char loaded[PLOT_TEXT] = "";
  int mainIndex = 0;                 // the main cell's index in the cell table (0 unknown)
  int64_t objects = 0;               // records looked at (figures)
  int (*oom)() = nullptr;            // the store ran out of memory
  void (*status)(int id, const char* text) = nullptr;
};

struct PlotFont {
  uint8_t table[TFF_GLYPHS][TFF_SLOT];
  int64_t advance = 0;
};

struct PlotState {
  PlotSettings set;
  PlotGeom geom;
  PlotOut out;
  PlotWalk walk;
  PlotFont font;
  double scale = 1000;               // database units per physical unit
  char physunit[32] = "um";
  int abortFlag = 0;
  int setupChanged = 1;
  double startSeconds = 0;

  PlotState();
  ~PlotState();
  PlotState(const PlotState&) = delete;
  PlotState& operator=(const PlotState&) = delete;
};

// ---- settings (plot_settings.cpp) ----
void PlotSettingsReset(PlotState& st);
// Shortest text of v with at most digits significant digits; an integral
// value keeps a trailing point ("100.").
void PlotNumText(char* out, size_t size, double v, int digits);
// Name check of plot and font base names: 1 when a fault was shown.
int PlotNameCheck(const char* base);
void SetupApply(PlotState& st);
void ParamsApply(PlotState& st);
void PaperApply(PlotState& st);
void LayerTableBuild(PlotState& st);
int LayerRow(const PlotState& st, int layer);
int LayerPen(const PlotState& st, int layer);
void LayerDash(PlotState& st, int layer);
void LayerFill(PlotState& st, int layer);
int LayerPlotted(const PlotState& st, int layer);
// Drawing Window from the cell table's extents of cell (1 when found).
int FitToCell(PlotState& st, const char* cell);
// A settings line against the four groups: 1 when taken.
int PlotUsfLine(PlotState& st, const char* line);
// Reads "QuilHpgl.usf" of the current folder (1 when missing) and applies.
int HpglUsfRead(PlotState& st);
// Applies, then writes; 1 when it can't be written.
int HpglUsfWrite(PlotState& st);
// The editor's tokens "cell l b r t" (the command line after the program).
void PlotArguments(PlotState& st, const char* args);

// ---- HP-GL writer and geometry (plot_hpgl.cpp) ----
// 0 when the geometry was computed; 1 for an unknown physical unit, 2 for a
// null window or no scale (messages shown).
int PlotGeometry(PlotState& st);
int PlotX(PlotState& st, double x);
int PlotY(PlotState& st, double y);
int ClipUnits(PlotState& st, double v);
void PlotPut(PlotState& st, const char* text);
void PlotPutF(PlotState& st, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void SegmentOut(PlotState& st, int kind);
void HeaderWrite(PlotState& st);
void TrailerWrite(PlotState& st);
// Control-code text with each "ESC" made the escape character.
void ControlCodes(const char* text, char* out, size_t size);
// 1 when a name is a drawing file of the folder (a cell file, the cell list,
// a settings file), which a plot must never overwrite.
int PlotFileIsDrawing(const char* name);

// ---- walk (plot_walk.cpp) ----
void PlotLayerTree(PlotState& st);
// One segment of a wide path: its outline points go after the walk's last
// point (n); points past the lists are dropped.
void PathOutlineAdd(PlotState& st, CwJoin& join, int64_t a, bool first, bool hasNext, bool square, int64_t x1,
                    int64_t y1, int64_t x2, int64_t y2, int64_t x3, int64_t y3);
void PathFetch(PlotState& st, const DrcPathRec& p, int d);
void PolylineDraw(PlotState& st);
void PolyDraw(PlotState& st);
void PathOutlineDraw(PlotState& st);
void PathOutlinePoly(PlotState& st);
void PlotBoxObj(PlotState& st, const DrcBoxRec& b, int d);
void PlotPathObj(PlotState& st, const DrcPathRec& p, int d);
void PlaceStackXform(PlotState& st, int d, int64_t* x, int64_t* y);
// Escape polled after an object: 1 when the run is to stop.
int PlotStopped(PlotState& st);

// ---- text (plot_text.cpp) ----
// Loads the font file (the built-in font when there is none); 1 when read.
int FontLoad(PlotState& st);
void PlotTextObj(PlotState& st, const DrcPathRec& p, int d);
void GlyphDraw(PlotState& st, int c, int d, int64_t x0, int64_t y0, int64_t size, int orient, int index);
void TextString(PlotState& st, const char* name, int64_t l, int64_t b, int64_t r, int64_t t);
int64_t TextHeightRound(double a);

// ---- run (plot_run.cpp) ----
// The plot of the Main Setup cell: 0 when it could not start (cell missing,
// output not opened, no geometry), 1 when the trailer was written. The
// closing text (shown by the caller) goes into text.
int PlotRun(PlotState& st);
void PlotClosing(PlotState& st, int result, char* text, size_t size);
// Cells come from the drawing folder's cell files through the satellites'
// record store (released by TlcStoreReset after a run).
void PlotUseStore(PlotState& st);
// The setup-changed rule: 1 (with its message) while Go must wait.
int PlotSetupCheck(PlotState& st);

#endif
