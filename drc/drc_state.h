// State the rule checker's modules share during a run: the drawing's scale
// and unit, the abort flag and the stop code.
#ifndef QUIL_DRC_STATE_H
#define QUIL_DRC_STATE_H

#include <cstdint>

// Stop codes of a run.
enum {
  DRC_STOP_NONE = 0,
  DRC_STOP_MEMORY = 1,    // no memory for maps or store
  DRC_STOP_BP_READ = 2,   // a cell's boxes and paths could not be read
  DRC_STOP_C_READ = 3,    // a cell's instances could not be read
};

struct DrcShared {
  double scale;          // database units per physical unit (scale=)
  char physunit[32];     // physunit=
  int abortFlag;         // set by a confirmed Escape or an error box
  int stopCode;          // DRC_STOP_*
  int wineMode;          // winemods= of the main setup
};

extern DrcShared DrcG;

// Defaults: scale 1000, unit "um", flags clear.
void DrcSharedReset();

// Shows text captioned "Error ..." and sets the abort flag.
void DrcErrorShow(const char* text);

#endif
