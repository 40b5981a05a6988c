// An in-memory drawing as a cell source for the walk: cells with boxes,
// paths and instances, filled from TLC record text or by hand. The native
// tools and tests use it where the program uses the record store.
#ifndef QUIL_DRC_MEMSRC_H
#define QUIL_DRC_MEMSRC_H

#include <cstdint>
#include <string>
#include <vector>

#include "drc_raster.h"

struct DrcMemPath {
  uint32_t word0;
  int32_t width;
  std::vector<int32_t> xy;
};

struct DrcMemInst {
  std::string cell;
  int orient;
  int32_t x, y;
};

struct DrcMemCell {
  std::string name;  // upper case
  int rank;
  int32_t l, b, r, t;  // extents as the cell reference list gives them
  std::vector<DrcBoxRec> boxes;
  std::vector<DrcMemPath> paths;
  std::vector<DrcMemInst> insts;
};

struct DrcMemDrawing {
  std::vector<DrcMemCell> cells;  // index + 1 is the cell-table index
  // Store state of the walk.
  int loaded = 0;                 // cell whose objects are "in the store"
  int64_t reads = 0;              // object reads (figures and tests)
  std::vector<DrcInstRec> bank[DRC_LEVELS];
  DrcCellSource src = {};
};

// Cell-table index (1-based) of a name, ignoring case; 0 when absent.
int DrcMemFind(const DrcMemDrawing& d, const char* name);
// Adds (or empties) a cell; returns its index.
int DrcMemAddCell(DrcMemDrawing& d, const char* name);
// Reads TLC records ("<B>", "<P>", "<C>" or "=B", "=P", "=C"; texts and all
// other lines skipped) into a cell. 0, or 1 on a malformed record.
int DrcMemReadTlc(DrcMemDrawing& d, int cell, const char* text);
// Ranks and extents of every cell from its contents (lowest cells first).
void DrcMemFinish(DrcMemDrawing& d);
// Sets up d.src for the walk.
void DrcMemSource(DrcMemDrawing& d);

#endif
