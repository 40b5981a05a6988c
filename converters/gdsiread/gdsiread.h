// The old Calma GDS-I text form into TLC cell files, one per cell, beside
// the input. Platform-free: the console program wraps it.
#ifndef QUIL_CONVERTERS_GDSIREAD_H
#define QUIL_CONVERTERS_GDSIREAD_H

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

enum {
  GDSI_NAMELEN = 32,
  GDSI_MAXLAYERS = 32,     // layers listed in the layer record
  GDSI_MAXVERTS = 1032,    // polygon vertices; the closing one makes 1033
  GDSI_FIELDLEN = 64,      // longest field kept; the rest is read and dropped
};

struct GdsiState {
  FILE* in;
  FILE* con;  // progress and reports
  char drive[260], folder[260];
  int cells;      // files written
  int dropped;    // cells, polygons or placements left out
  int incomplete; // a file could not be finished
  int layers[GDSI_MAXLAYERS], nLayers;
  std::vector<std::string> made;    // cells of this run (a file is never reopened)
  std::vector<std::string> failed;  // cells refused by name
  char date[16], time[16];
  struct tm now;
  int fixedNow;
  int orient;  // the last placement's orientation
  int ch;      // the current character
};

void GdsiReset(GdsiState* st);
// Converts the file at path; reports go to st->con. The process exit
// status: 0 when every cell was written whole, 1 otherwise (a missing input
// too).
int GdsiRun(GdsiState* st, const char* path);
// The usage text.
void GdsiUsage(FILE* con);

#endif
