// The extraction run over a cell hierarchy: global symbols, the bottom-up
// walk of the cells and, per cell, the loading of its own and its lower
// cells' geometry followed by naming, tracing and the checks.
#ifndef QUIL_CIRCUIT_CKT_EXTRACT_H
#define QUIL_CIRCUIT_CKT_EXTRACT_H

#include <cstdint>

namespace ckt {

struct CktState;

struct CktExtract {
  int32_t mainCell;
  int depthCounter;
  int32_t smashedCells, lowerCells, symbolInstances;
  // Called after each cell's extraction while its nodes are in the store.
  void (*cellDone)(CktState& st, int32_t cell, int main);
  // The first pass of a compile that writes connector scripts only.
  int scriptPass;
  // Names of the cells from the main cell (level 0) down to the one being
  // compiled, for the full subcircuit titles.
  char hierName[24][33];
};


int CellSmashed(CktState& st, int32_t cell);
int CellOmitted(CktState& st, int32_t cell);

// Flags of every cell and the global symbol table.
void GlobalSymbols(CktState& st, int32_t mainCell);

void SmashLoad(CktState& st, int32_t instances);
void LowerLoad(CktState& st);
void LowerFlatten(CktState& st, int depth);

// One cell whose instances are in bank 0: 1 done, 0 not needed, -1 stop.
int CellExtract(CktState& st, int32_t cell, int32_t instances, int isMain);
int CellCompile(CktState& st, int32_t cell, int32_t instances, int isMain);

// The whole run for the main cell (cell collection and settings in place);
// logPath null writes no log. 1 finished, 0 aborted or failed. The store
// keeps the main cell's nodes until StoreFreeAll.
int ExtractRun(CktState& st, const char* mainName, const char* logPath);

}  // namespace ckt

#endif
