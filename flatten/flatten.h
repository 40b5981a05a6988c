// The cell flattener: the hierarchy below one cell written as one cell,
// either flattened (device cells kept as placed references, circuit texts
// kept by their rules) or smashed (everything brought up).
#ifndef QUIL_FLATTEN_FLATTEN_H
#define QUIL_FLATTEN_FLATTEN_H

#include <cstdint>

#include "layerset.h"
#include "q7tlcdef.h"
#include "satlib.h"
#include "satsetup.h"

// Settings slots, in the order of the settings file.
enum {
  FLAT_MCN, FLAT_FFP, FLAT_WR2, FLAT_LTC, FLAT_FLT, FLAT_SMS, FLAT_KAT, FLAT_OLD,
  FLAT_NLY, FLAT_CLY, FLAT_DLY, FLAT_PLY, FLAT_LFT, FLAT_TOP, FLAT_RGT, FLAT_BOT,
};

// Controls of the DISPLAY dialog the run writes to.
enum {
  FLAT_ID_OPERATION = 500,
  FLAT_ID_TARGET = 502,
  FLAT_ID_BOXES = 503,
  FLAT_ID_PATHS = 504,
  FLAT_ID_TEXTS = 505,
  FLAT_ID_VERTICES = 506,
  FLAT_ID_CELLS = 507,
  FLAT_ID_GO = 13,
};

enum {
  FLAT_LIST_MAX = 8190,     // cells of one hierarchy
  FLAT_DEVAREA_MAX = 16379, // device areas of one cell
  FLAT_DEPTH_MAX = 23,      // deepest placement the reference store keeps
};

struct FlatCounts {
  int64_t boxes, paths, texts, vertices, cells;
};

struct FlatListEntry {
  char name[NAMLEN + 1];
  int rank;
  int added;
};

struct FlatDevArea {
  int32_t x, y;
  int o, cell;
};

struct FlatState {
  // Derived from the settings by SetupApply.
  int flatten;
  int keepAll;
  int nodeLyr, conLyr, devLyr, paramLyr;
  char outPath[SAT_PATH_SIZE];
  char outFolder[SAT_PATH_SIZE];
  LayerSet layers;  // the "Layers to Convert" filter
  // Run data.
  int listCount;
  char date[9], timeText[9];
  FlatCounts total;
  FlatCounts depth[FLAT_DEPTH_MAX + 2];
  int devTextNumber;
  int devAreas;
  char chosen[NAMLEN + 1];  // the cell being flattened
  FlatListEntry list[FLAT_LIST_MAX + 1];
  FlatDevArea* areas;                      // FLAT_DEVAREA_MAX, taken by the first run
  signed char conText[CELL_INFO_MAX + 1];  // -1 not known yet
};

// The flattener's program table (display name "QuilFlat"); the frame hands
// its hooks the state FlatReset was given last.
extern const SatProgram FlatProgram;

// Settings to their defaults, run state cleared, and the program table
// installed with st as the state of its hooks. The state starts zeroed (static, or new FlatState()); it holds the
// cell list, so it does not belong on the stack.
void FlatReset(FlatState* st);
void SetupApply(FlatState* st, int flag);
int FlattenRun(FlatState* st);
int FlattenCell(FlatState* st, const char* name, int depth);
// Closing message of a run.
void FlatClosing(FlatState* st, int result, char* text, size_t size);

#endif
