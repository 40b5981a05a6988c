// The drawing's cell table and its file, the cell reference list QUIL7.CRF.
// A cell's number is its 1-based position in the table; files name cells,
// the object store numbers them.
#ifndef QUIL_EDITOR_STORE_CELLTABLE_H
#define QUIL_EDITOR_STORE_CELLTABLE_H

#include <cstdint>

#include "mainsetup.h"  // RANK_MAX

enum {
  CELL_MAX = 8190,           // cells of a drawing
  CELL_NAME_SIZE = 36,       // at most 32 characters and the terminator
  CELL_NAME_MAX = 32,
  CELL_NUMBER_SPAN = 16384,  // every number an instance word can carry
  UNRESOLVED_FIRST = 8191,   // numbers of names not in the table start here
};

struct CellEntry {
  char name[CELL_NAME_SIZE];
  int32_t rank;  // rank 1..24 in bits 0-4 (Organize keeps more above)
  int32_t l, b, r, t;
  int32_t nb, np, nv, nc;
};

// Entries 1..count are the drawing's cells. An instance naming a cell that
// is not in the table gets a number from UNRESOLVED_FIRST up, whose entry
// holds only the name (rank 0, no extent), so that the name is written back
// unchanged and the instance never points at another cell. Entry 0 stays
// empty. The array spans every 14-bit number, so no instance word can index
// past it.
struct CellTableState {
  CellEntry cells[CELL_NUMBER_SPAN];
  int count;
  int unresolvedCount;
};

// Global: the one drawing's cell table, shared by every part of the editor.
extern CellTableState CellTable;

void CellTableReset();

// Entry n when it is one of the table's cells (1..count), else null.
const CellEntry* CellEntryOf(int n);
// The name an instance of cell number n carries: a table cell's or an
// unresolved name; null for 0 and for numbers that name nothing.
const char* CellNameOf(int n);
// Number of the table cell of that name (case ignored), 0 when none.
int CellFind(const char* name);
// The table cell of that name, appended when missing (rank 1, extent
// 0 0 1 1, counts 0); 0 when the table is full or the name fails the check.
int CellFindAdd(const char* name);
// The number an instance of name gets: the table cell, else its unresolved
// number (made on first use); 0 when neither can be given (the unresolved
// numbers are used up, or the name fails the cell name check).
int CellNumberForInstance(const char* name);

// Reads QUIL7.CRF (else CELLS7.DBD, else CELLS6.DBD) of the current folder:
// 0 when none opens, 1 when every entry was valid, 2 when entries were
// dropped (with the message).
int CrfRead();
// Updates entry cell (when name is given and cell and rank are non-zero) from
// the store, then writes QUIL7.CRF. 1 written, 0 not.
int CrfWrite(const char* name, int cell, int rank);
// Asks about each cell without a TLC file; the number reported.
int CrfCheckFiles();
// Another drawing's list (folder ends in a separator): 1 read, 0 not.
int CrfReadOther(const char* folder);
int CrfWriteOther(const char* folder);

#endif
