// Making a cell that does not exist yet (the NEWCELL offer), the load
// backup written after a load, and the table entry of Save as.
#ifndef QUIL_EDITOR_SHELL_CELLNAME_H
#define QUIL_EDITOR_SHELL_CELLNAME_H

struct CellNameHooks {
  // The NEWCELL dialog: the rank chosen for the new cell (1..24), 0 when
  // the user cancelled. Installed by the window code.
  int (*newCellRank)(const char* name) = nullptr;
};
extern CellNameHooks CellNameUi;

// Registers name with rank (outline -1 -1 1 1, counts 0), rewrites
// QUIL7.CRF and writes the empty cell file. A TLC file of that name that
// the drawing does not list yet (a converter's result awaiting Import, say)
// is overwritten only when the user agrees. 1 created, 0 not.
int NewCellCreate(const char* name, int rank);

// The whole offer for a name not in the cell table: the dialog, then
// NewCellCreate; a cancel shows "New Cell Aborted". 1 created, 0 not.
int NewCellOffer(const char* name);

// "Loadbkup.tlc" in the drawing folder from the store, naming the cell:
// 1 written.
int LoadBackupWrite(const char* cellName);

// Save as: a table entry newName copying the entry of cell current; 1
// added, 0 refused (table full, no current cell, name taken).
int CellSaveAsEntry(const char* newName, int current);

#endif
