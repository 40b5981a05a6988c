// The run driver: every check of the range over the checking window, area by
// area, with the log, the restart point and the stop codes.
#ifndef QUIL_DRC_RUN_H
#define QUIL_DRC_RUN_H

#include <cstdint>
#include <cstdio>

#include "drc_raster.h"

struct DrcState;

struct DrcRunState {
  const DrcCellSource* src;  // where cells come from
  // Finds a cell of the collection by name; 1-based index or 0.
  int (*findCell)(void* ctx, const char* name);
  char folder[260];          // drawing folder ("" the current one)
  char dateText[32], timeText[32];  // empty: now
  FILE* log;
  int k;                     // map factor of the check
  int mapDoubled;
  int64_t areasDone;
  double startSeconds;
  int pauseMs;               // 10, or 20 in Wine mode
  int64_t areaVisits;        // areas run in this program (tests, figures)
  int lastLimitAsk;
  // Called when an area's list ended (the program updates DISPLAY); may be null.
  void (*areaDone)(DrcState& st);
  DrcCellSource storeSrc;    // the record store's source, its context this state
};

void DrcRunReset(DrcState& st);
// Every part of the engine back to its start: shared state, maps, settings,
// operators, raster and run (the store is the program's own).
void DrcEngineReset(DrcState& st);
// Writes a line to the open log (nothing when none is open).
void DrcLogPut(const DrcState& st, const char* text);
void LogHeader(DrcState& st);
void LogCheckHeader(DrcState& st);
// The editor's argument form "cell cx cy w": at most 14 tokens of at most 32
// characters; token 1 becomes the cell when the collection holds it, and with
// four tokens the window centred on (cx, cy), w wide and 0.8 w high, is
// applied (with name checks).
void DrcApplyArguments(DrcState& st, const char* args);
// One run over the checks csn= .. cfn=; 1 all done, 0 aborted or failed.
int DrcRun(DrcState& st);
// Go: the run, then the final text (appended to the log, shown), releases.
// Returns DrcRun's result.
int DrcGo(DrcState& st);

#endif
