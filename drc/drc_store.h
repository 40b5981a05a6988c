// The walk's cell source over the satellites' record store: cells are read
// from their TLC files in the current (drawing) folder one at a time, the
// cell table is the one read from the cell reference list.
#ifndef QUIL_DRC_STORE_H
#define QUIL_DRC_STORE_H

#include "drc_raster.h"

// A source reading "<cell>.TLC" files through the satellites' store.
const DrcCellSource* DrcStoreSource();
// Cell-table index of a name (case ignored), 0 when absent.
int DrcStoreFind(void* ctx, const char* name);
// Object reads since the last reset (tests and figures).
long DrcStoreReads();
void DrcStoreReset();

#endif
