// The drawing's settings as read from and written to QUIL7.USF. One struct
// holds them all; MainSetupReset restores the built-in defaults (a value
// initialised MainSetupState has only the scale, unit and layer matching
// defaults: use MainSetupReset for the rest).
#ifndef QUIL_EDITOR_STORE_MAINSETUP_H
#define QUIL_EDITOR_STORE_MAINSETUP_H

#include <cstdint>
#include <cstdio>

enum {
  LAYER_MAX = 256,
  LAYER_NAME_SIZE = 16,
  LAYER_NAME_KEPT = 8,  // characters of a layer name that are kept
  PHYSUNIT_SIZE = 17,
  RANK_MAX = 24,
  FONT_MAX = 10,        // font slots 1..5 are the program's own, 6..10 the file's
  FONT_OWN = 5,
  FONT_PATH_SIZE = 256,
  RES_MAX = 32,
  RES_COMMENT_SIZE = 25,
  FKEY_MAX = 11,
  CMDLINE_SIZE = 80,
  CMDLINE_MAX = 24,
  SCRIPTFILE_MAX = 24,
  SETUP_PATH_SIZE = 260,
  GRID_PRESETS = 10,
  SAVEWIN_MAX = 10,
  PALETTE_SIZE = 22,
  RECENT_MAX = 16,
  LAYERSTR_SIZE = 1024,  // a set of every other layer needs about 460
  SETUP_LINE_SIZE = 1023,  // a line of the file is read in pieces of 1022
};

// Bits of a layer-table row's flag word.
enum {
  LAYER_VIEW_BIT = 0x4000,  // the row is in the view set
  LAYER_OPEN_BIT = 0x2000,  // the row is in the open set
};

struct LayerEntry {
  char name[LAYER_NAME_SIZE];  // at most 8 characters are kept
  int number;                  // 1..256; 0 is an empty row
  int flags;                   // LAYER_VIEW_BIT, LAYER_OPEN_BIT
};

struct LayerAttr {
  int32_t colour;  // palette index 0..21
  int32_t fill;    // fill pattern 0..14 (0 none, 13 solid)
  int32_t dash;    // line style (0 solid, 1..4 dashed, 6 alternate pixels)
};

struct SheetRes {
  double sheet, endCorr, cornerCorr, width;
  char comment[RES_COMMENT_SIZE];
};

// The view kept per rank: grid display flag, working and display grid
// index, view width and centre (database units).
struct RankView {
  int32_t vgrid, nwgrid, ndgrid, winw, winx, winy;
};

struct SavedWin {
  double w, x, y;
};

// One palette entry as the display uses it: red, green, blue and a fourth
// byte that the file never touches.
struct SetupRgb {
  uint8_t r, g, b, flags;
};

struct MainSetupState {
  // Integer settings, in the order of the file.
  int32_t alphasort, bplayer, clayer, csize, cwidth, topdepth, botdepth, lasttopdepth,
      lastbotdepth, smallcelloutl, drawres, celldrawres, notips, nrset, arcsegs, prnbw,
      pwidth, twidth, tlayer, polytobox, togs, screentop, screenleft, screenright,
      screenbottom, screenmode, lockframe, quilrunning, askonsave;
  int layerNumOnly = 1;  // layers match by number alone (Import)
  int32_t unduponsave, reversedraw, vplusoshow, layertableon, nosmallactive, texttoolbar,
      autoorganize, leftcmdmenu, writeoldtlc, winemods, mergefills, flashsave, mctlayer,
      buildmode, cmdstep, turnsegs, arcturns, spiraltype, notogdraw, stdmsgbox, cntrtools,
      finefill;

  // Real settings, in the order of the file.
  double caval, cfval, rval, prnhshift, prnvshift, prnupi, ovszdist, reszmult, rotangle;
  double scale = 1000.0;  // database units per physical unit; always > 0
  double xarcctr, yarcctr, xarcradius, yarcradius, arcpitch, printlimit, polarangle, aspect;

  // Text settings.
  char arcdir[8];
  char capunits[16];
  char objname[256];
  char physunit[PHYSUNIT_SIZE] = "um";
  char common[256];
  char tffname[248];
  char cellname[36];

  LayerEntry layers[LAYER_MAX];  // the layer table, in file order
  int layerCount;

  char fonts[FONT_MAX][FONT_PATH_SIZE];  // slot i + 1 is fonts[i]
  int fontCount;
  SheetRes res[RES_MAX];
  int resCount;
  char fkeys[FKEY_MAX][CMDLINE_SIZE];
  int fkeyCount;

  LayerAttr attr[LAYER_MAX];  // attr[n - 1] belongs to layer n
  int32_t wgrid[GRID_PRESETS];  // presets 1..10
  int32_t dgrid[GRID_PRESETS];
  // Grid index 0: the custom value given through WDGRD (not in the file).
  int32_t wgridCustom = 0, dgridCustom = 0;
  RankView rankView[RANK_MAX + 1];  // ranks 0..24; the file holds 1..24
  char viewstr[RANK_MAX + 1][LAYERSTR_SIZE];
  char openstr[RANK_MAX + 1][LAYERSTR_SIZE];
  SavedWin saveWin[SAVEWIN_MAX];  // slot 0 is written, never read back
  uint64_t vmap[RANK_MAX + 1][4];  // per rank: view rows, four 64-row words
  uint64_t omap[RANK_MAX + 1][4];  // per rank: open rows
  char cmdline[CMDLINE_MAX][CMDLINE_SIZE];
  char scriptfile[SCRIPTFILE_MAX][SETUP_PATH_SIZE];
  SetupRgb scnrgb[PALETTE_SIZE];
  SetupRgb prnrgb[PALETTE_SIZE];
  char rdp[RECENT_MAX][SETUP_PATH_SIZE];
  char rdf[RECENT_MAX][SETUP_PATH_SIZE];
};

// Global: the one drawing's setup file, read and written by every part of the editor.
extern MainSetupState MainSetup;

// Working (display = 0) or display (display = 1) grid n: 0 the custom value,
// 1..10 the presets; 0 for any other n.
inline int32_t GridValue(int display, int n) {
  if (n == 0) return display ? MainSetup.dgridCustom : MainSetup.wgridCustom;
  if (n < 1 || n > GRID_PRESETS) return 0;
  return display ? MainSetup.dgrid[n - 1] : MainSetup.wgrid[n - 1];
}

// Restores every setting to its built-in default (also used by tests).
void MainSetupReset();

// Editor defaults that depend on where the program lies: font slots 1..5
// become "<folder>Font1.tff" .. "<folder>Font5.tff" and the first of them the
// current font file. In Wine mode the folder is given in its Unix form (what
// precedes the first backslash dropped, backslashes turned into '/').
void MainSetupFontsDefault(const char* programFolder, int wineMode);

// File names in the current folder.
extern const char* const MainSetupFileName;     // "QUIL7.USF"
extern const char* const MainSetupOldFileName;  // "QUIL6.USF"

// Reads the window keys only, before the main window exists: 1 when a file
// was read, 0 (nothing changed) when neither file opens.
int MainSetupReadEarly();
// Reads the whole file (QUIL7.USF, else QUIL6.USF): 1 when a file was read,
// 0 when neither opened (the caller then writes the default file).
int MainSetupRead();
// Writes QUIL7.USF whole: 1, or 0 when it can't be written completely.
int MainSetupWrite();

// The same on open streams (tests, fuzzing).
void MainSetupReadStream(FILE* f);
void MainSetupReadEarlyStream(FILE* f);
int MainSetupWriteStream(FILE* f);

// Offers one line (already without its line end) to every key; the line is
// tidied first. Returns 1 when a key took it.
int MainSetupLine(char* line);

// Drawing load's part: reads QUIL7.USF; when neither file exists it writes
// the default file and then tells the user so ("A Default Setup File was
// written to the Drawing Folder"), or reports "Unable to Write QUIL7.USF File
// ... Unknown Reason" when that fails. Returns 1 when the drawing has a setup
// file afterwards.
int MainSetupLoad();

#endif
