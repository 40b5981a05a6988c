// The walk's cell source over the satellites' record store: cells are read
// from their TLC files in the current (drawing) folder one at a time, the
// cell table is the one read from the cell reference list.
#ifndef QUIL_DRC_STORE_H
#define QUIL_DRC_STORE_H

#include "drc_raster.h"

struct DrcState;

// The record store is one per program, so this adapter's vertex buffer and
// read count stay globals beside it.

// A source reading "<cell>.TLC" files through the satellites' store. Its
// context is st, whose stop code hears of a store out of memory.
const DrcCellSource* DrcStoreSource(DrcState& st);
// The same source without a state, its paths with their vertices also for
// texts (the plotter draws them); a store out of memory shows in
// TlcStore.oomFlag only.
const DrcCellSource* DrcStoreSourceAll();
// Cell-table index of a name (case ignored), 0 when absent.
int DrcStoreFind(void* ctx, const char* name);
// Object reads since the last reset (tests and figures).
long DrcStoreReads();
void DrcStoreReset();

#endif
