// The writers' cell list: the main cell and every cell placed below it,
// each read once, then ordered by rank so that a cell comes before the
// cells that place it.
#ifndef QUIL_CONVERTERS_CNVCELLS_H
#define QUIL_CONVERTERS_CNVCELLS_H

#include "cnvtlc.h"

struct CnvCellEntry {
  char name[36];
  int rank;
};

// How one writer walks its cells. The list is 1-based; entry 1 is the main
// cell, which the walk puts there first.
struct CnvCellWalk {
  CnvCellEntry* cells;  // max + 1 entries
  int* count;
  int max;
  TlcIn* in;
  CnvHdr* hdr;    // each cell's header, as read
  CnvCell* cell;  // each placement, as read
  const char* drive;
  const char* folder;
  int upper;   // names are kept upper-cased
  int noCase;  // names are compared without regard to case
  int descending;  // highest rank first
  const char* missing;        // "%s... Missing ..." with the cell's name
  const char* cellReadError;  // a placement that fails to read
  int* abort;
  void* ctx;
  // Optional: before a cell's file is opened (0 stops the walk), after its
  // header was read, and before the sort (0 stops it).
  int (*reading)(void* ctx, int i);
  void (*header)(void* ctx, int i);
  int (*sorting)(void* ctx);
};

// The walk from the main cell: 1 with the list sorted, 0 after a stop (its message shown, the
// abort flag set) or an abort.
int CnvCellListWalk(const CnvCellWalk* w, const char* mainName);
// The entry of a name, by the walk's comparison; 0 when absent.
int CnvCellFind(const CnvCellWalk* w, const char* name);

#endif
