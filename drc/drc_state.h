// The rule checker's state: the drawing's scale and unit, the abort flag and
// the stop code every module reads, and DrcState, the one object holding
// every module's part of a run. The program (or a test) owns the instance and
// hands it to each entry point as `st`.
#ifndef QUIL_DRC_STATE_H
#define QUIL_DRC_STATE_H

#include <cstdint>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_pcx.h"
#include "drc_raster.h"
#include "drc_rules.h"
#include "drc_run.h"
#include "drc_setup.h"

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

struct DrcState {
  DrcShared g{};
  DrcSettings set{};
  DrcMapSet maps{};
  DrcCheckRec chk{};     // the check read last from the rule file
  DrcExec x{};
  DrcRaster ras{};
  CellWalk walk;         // the hierarchy walk and its loaded-cell memory
  DrcMapper mapper{};
  DrcRunState run{};

  // Every part at its start, as DrcEngineReset leaves it.
  DrcState();
  // Releases the maps and the picture and closes an open log.
  ~DrcState();
  DrcState(const DrcState&) = delete;
  DrcState& operator=(const DrcState&) = delete;
};

// Defaults: scale 1000, unit "um", flags clear.
void DrcSharedReset(DrcState& st);

// Shows text captioned "Error ..." and sets the abort flag.
void DrcErrorShow(DrcState& st, const char* text);

#endif
