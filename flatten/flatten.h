// The cell flattener: the hierarchy below one cell written as one cell,
// either flattened (device cells kept as placed references, circuit texts
// kept by their rules) or smashed (everything brought up).
#ifndef QUIL_FLATTEN_FLATTEN_H
#define QUIL_FLATTEN_FLATTEN_H

#include <cstdint>

#include "q7tlcdef.h"
#include "satlib.h"

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

struct FlatState {
  // Derived from the settings by SetupApply.
  int flatten = 1;
  int keepAll = 0;
  int nodeLyr = 1, conLyr = 2, devLyr = 3, paramLyr = 4;
  char outPath[SAT_PATH_SIZE] = "";
  char outFolder[SAT_PATH_SIZE] = "";
  // Run data.
  int listCount = 0;
  char date[9] = "", timeText[9] = "";
  FlatCounts total = {};
  FlatCounts depth[FLAT_DEPTH_MAX + 2] = {};
  int devTextNumber = 0;
  int devAreas = 0;
  char chosen[NAMLEN + 1] = "";  // the cell being flattened
};
extern FlatState Flat;

// The flattener's program table (display name "QuilFlat").
extern const SatProgram FlatProgram;

void FlatReset();  // settings to their defaults, run state cleared
void SetupApply(int flag);
int FlattenRun();
int FlattenCell(const char* name, int depth);
// Closing message of a run.
void FlatClosing(int result, char* text, size_t size);

#endif
