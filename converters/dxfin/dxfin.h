// The DXF-to-TLC conversion: settings with the layer map, the layer scan,
// the group reader, the block table with its ranks and cell names, and the
// run that writes one TLC cell file per block and one for the ENTITIES
// section. Platform-free; the program shows its dialogs around it and the
// host seam (host.h) carries every message box.
#ifndef QUIL_CONVERTERS_DXFIN_H
#define QUIL_CONVERTERS_DXFIN_H

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "cnvcommon.h"
#include "satlib.h"

enum {
  DXFIN_NKEYS = 24,
  DXFIN_VALLEN = 256,
  DXFIN_MAXBLOCKS = 4095,   // block table entries, the main cell included
  DXFIN_LAYERROWS = 36,     // rows of the layer map
  DXFIN_LAYERNAME = 20,     // characters of a DXF layer name kept
  DXFIN_NAMELEN = 32,       // cell names
  DXFIN_BLOCKNAMELEN = 255, // block names: told apart beyond the cut of their cell names
  DXFIN_LINEMAX = 1023,     // characters of one line of the DXF file
  DXFIN_MAXPOINTS = 1024,   // points of one figure
  DXFIN_BREAKAT = 1011,     // a polyline passing this many points is broken
  DXFIN_MAXRANK = 24,
  DXFIN_MAXPASSES = 25,     // hierarchy passes before blocks count as cyclic
  DXFIN_TEXTMAX = 64,       // characters kept of a text
  DXFIN_MAXREFS = 1000000,  // references one INSERT array may make
  DXFIN_INBUF = 1 << 20,
  DXFIN_HASH = 8192,        // slots of the block-name hash (a power of two)
};

// Setting slots in the order of the settings file.
enum {
  DI_DFN, DI_TFN, DI_TPH, DI_PSU, DI_LSU, DI_CVA, DI_CVC, DI_CVL, DI_CVS, DI_CTX, DI_COA, DI_COP,
  DI_CWP, DI_LYR, DI_OMT, DI_S2B, DI_OLD, DI_AGD, DI_SEG, DI_WR2, DI_LFT, DI_TOP, DI_RGT, DI_BOT,
};
// Keys and default values of the settings file, each list ended by a null.
extern const char* const DxfInKeys[DXFIN_NKEYS + 1];
extern const char* const DxfInDefaults[DXFIN_NKEYS + 1];
extern const char* const DxfInDisplayName;  // "DxfIn"
// Go's refusal while no layer scan found layers.
extern const char* const DxfInLayersFirst;

// One row of the layer map: a DXF layer found by the scan and the TLC layer
// its figures go to (0: not mapped, an entity on it stops the run).
struct DxfLayerRow {
  char name[DXFIN_LAYERNAME + 1];
  int tlc;
};

struct DxfBlock {
  char name[DXFIN_BLOCKNAMELEN + 1];  // upper case
  char cell[DXFIN_NAMELEN + 1];       // the TLC cell it becomes
  int rank;
  int defined;   // its BLOCK was met in the DXF file
  int tlcFound;  // a cell file of its name was in the cell folder before the run
  int written;   // its cell file was written in this run
  int isMain;    // the ENTITIES section's cell (the last entry)
};

// Counts of one cell (the DISPLAY items and the log row).
struct DxfInCounts {
  long paths, texts, vertices, calls, boxes;
};

// The DXF file, read one group (two lines) at a time.
struct DxfSrc {
  FILE* f;
  const unsigned char* mem;
  int64_t memSize;
  int64_t base;  // file offset of buf[0]
  size_t len, pos;
  int eof;
  long line;     // lines read so far
  unsigned char buf[DXFIN_INBUF];
};

// Settings and the state of one conversion. Large (the block table and the
// input buffer): the program keeps one static instance, tests allocate
// theirs; it must start zeroed, since open files it holds are closed by
// DxfInReset.
struct DxfInState {
  char val[DXFIN_NKEYS][DXFIN_VALLEN];
  // The settings file's layer-map rows: lnam%d= the TLC layer number texts,
  // lnum%d= the DXF layer names.
  char lnam[DXFIN_LAYERROWS][DXFIN_VALLEN];
  char lnum[DXFIN_LAYERROWS][DXFIN_VALLEN];

  // The layer map as the scan found it and the LAYERS dialog numbered it.
  DxfLayerRow layers[DXFIN_LAYERROWS];
  int nLayers;  // 0 until a scan found layers

  // Settings as a run takes them.
  double s;     // TLC units per physical unit (a DXF unit counts as one)
  double seg;   // degrees per segment of curves
  int cw;       // "Arc Direction" CW
  int cva, cvc, cvl, cvs, ctx, coa, cop, cwp, lyr, omt, s2b, old;
  // Set at start and after every Go, cleared by the SETUP dialog: while
  // clear, a block whose cell file is already in the cell folder keeps it.
  int writeAll;

  // Blocks, 0-based; the main cell is the last entry during a run.
  DxfBlock blocks[DXFIN_MAXBLOCKS + 1];
  int nBlocks;
  int highestRank;
  int32_t blockHash[DXFIN_HASH];  // block index + 1 by name, 0 empty

  // Paths of the run.
  char outFolder[CNV_PATHLEN];
  char dxfName[CNV_PATHLEN];  // base name of the DXF file
  char mainName[CNV_PATHLEN];
  char date[40], time[40];
  struct tm now;
  int fixedNow;  // tests: keep now as set, for byte-exact files

  DxfInCounts cur, max;
  int files;   // cell files made
  int notes;   // notes given (a run may still complete)
  int abort;
  int* extAbort;
  FILE* log;

  // Program hooks, each may be null. newName is the NEWNAME dialog: the
  // name that failed in illegal, the proposal in tried (DXFIN_NAMELEN + 1
  // bytes), which comes back with the answer; 0 for "Abort Conversion".
  // Without it a failing name stops the run.
  int (*newName)(const char* illegal, char* tried);
  void (*listLine)(const char* text);         // the DISPLAY message list
  void (*counter)(int id, const char* text);  // DISPLAY items 500..520

  // Where the BLOCKS section's groups begin (after its name), for the
  // hierarchy passes after the first.
  int blocksSeen;
  int64_t blocksAt;
  long blocksLine;
  double textHeight;  // $TEXTSIZE of the HEADER section, DXF units

  DxfSrc src;
};

// Defaults in every slot, tables emptied, hooks removed, writeAll set.
void DxfInReset(DxfInState* st);
// Completes the settings as the SETUP dialog's OK does; fromSetup checks
// the file names too and clears writeAll. The number of names that failed.
int DxfInSetupApply(DxfInState* st, int fromSetup);

// The settings file without the frame: keys, then the 36 lnam and 36 lnum
// rows. Read: 1 when the file is missing (the state keeps its values).
// Write: 0 written, 1 when it can't be written whole.
int DxfInUsfRead(DxfInState* st, const char* path);
int DxfInUsfWrite(DxfInState* st, const char* path);
// The frame's list table for the lnam%d= and lnum%d= rows of st (three
// entries, the last ending the table).
void DxfInUsfLists(DxfInState* st, SatUsfList lists[3]);

// The Layers command's scan of the DXF file's layer table into the layer
// map (names, and lnum%d=); rows keep their numbers from lnam%d=. The
// number of rows; 0 after the message when the file or its layers are
// missing.
int DxfInLayerScan(DxfInState* st);
// After the LAYERS dialog wrote the rows' number texts into lnam: the
// numbers into the layer map.
void DxfInLayersTake(DxfInState* st);

// Orientation code 0..7 of a DXF angle in degrees with the mirror flags of
// a TEXT (2: mirrored in x, 4: mirrored in y).
int DxfOrient(double angle, int flags);
// The points of a bulge arc from (x0,y0) to (x1,y1) in TLC units, end
// points excluded, into x, y (room for max); seg degrees per segment. The
// count of points; *clamped is set when the bulge had to be held to 270
// degrees. -1 when a point falls outside the TLC coordinate range.
int DxfBulgeArc(int32_t x0, int32_t y0, int32_t x1, int32_t y1, double bulge, double seg, int32_t* x,
                int32_t* y, int max, int* clamped);

// The whole conversion (the layer scan must have found layers): 1 when it
// completed, 0 stopped or aborted. Sets writeAll at its end.
int DxfInRun(DxfInState* st);
// "Completed ... %d TLC Files Made\n\nUse Import to Register Cells in
// Drawing" or "Aborted ... Files may be Incomplete" into text; the log
// gets it and is closed. Gives the run's result (a log that failed turns
// completion into an abort).
int DxfInClosing(DxfInState* st, int converted, char* text, int size);
// Run, then the closing message shown; 1 when it completed.
int DxfInGo(DxfInState* st);

// Notes to the message list and the log.
void DxfInList(DxfInState* st, const char* text);

#endif
