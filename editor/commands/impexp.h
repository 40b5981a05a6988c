// Import and Export: cells move between drawings as TLC files or as one TLD
// file. The dialogs belong to the program; these engines take what the user
// typed, ask their questions through the host seam and the answer hook, and
// report through the host's status line (the progress window).
//
// A TLD file is TLC record text: the prolog, for a whole drawing a cell list
// record "<R>" (count, then name and "rank l b r t nb np nv nc" lines), the
// layers record, then per cell its header and its records up to the next
// header, and "</TLC>". The old form has no prolog nor closing lines.
#ifndef QUIL_EDITOR_COMMANDS_IMPEXP_H
#define QUIL_EDITOR_COMMANDS_IMPEXP_H

#include <cstdint>

#include "celltable.h"

// Answers of the Yes, No, Yes to All, No to All box (closing it is No).
enum { YN_YES = 1, YN_NO = 2, YN_YES_ALL = 3, YN_NO_ALL = 4 };

// One source cell of an Import, or one cell of an Export.
struct ImportItem {
  char name[CELL_NAME_SIZE];
  int32_t rank;  // 0: missing at the source or no header read
  double scale;
  char unit[20];
  int32_t l, b, r, t;
  int32_t nb, np, nv, nc;
  int doit;    // to be copied
  int copied;  // its file was written
};

struct ImpExpParams {
  const char* srcFolder;  // "" is the current folder
  const char* dstFolder;
  const char* name;       // TLC: a name or a pattern with * and ?; TLD: the file
  int tld;                // 1: one TLD file
  int organize;           // Always Organize (after Import, before Export)
};

struct ImpExpState {
  int cells;      // cells imported or exported
  int layers;     // layers added (Import) or written (Export)
  int error;      // something went wrong; the run says so at its end
  int yesAll, noAll;
  int pauses;     // progress pauses (the program sets it; tests leave it 0)
  const char* caption;  // "Importing ..." or "Exporting ..."
  // The Yes/No/Yes to All/No to All box: title, label ("Cell ..." or
  // "File ...") and the name; null asks a Yes/No/Cancel box instead (Cancel
  // is No to All).
  int (*ynbox)(const char* title, const char* label, const char* name);
  // Organize unattended (the command engine's); null: none.
  void (*organize)();
  int count;
  ImportItem list[CELL_MAX];
};

// Global: the one Import or Export that runs.
extern ImpExpState ImpExp;

// Clears the counters, flags, answers and the list (hooks and pauses stay).
void ImpExpReset();

// Import into the cell table and files of the destination: 1 run to the end,
// 0 cancelled or stopped.
int TlcImport(const ImpExpParams& p);
// Export of the source drawing's cells: 1 run to the end, 0 cancelled or
// stopped, 2 when the source has no cell reference list or setup file.
int TlcExport(const ImpExpParams& p);

// Lists every header of the TLD file open as the current TLC input into the
// list (the file is read once): 1, 0 when the list would pass CELL_MAX (the
// first CELL_MAX are kept). Names that fail the cell name check and ranks
// outside 1..24 give rank 0 and set the error flag.
int TldListHeaders();

// Extent and counts of a cell file, by the rules of the store's extent:
// instances by their orientation and their cell's table outline, an empty
// cell -1 -1 1 1, a zero width or height grown to 2. 1 when read whole.
int TlcFileExtent(const char* folder, const char* name, CellEntry* e);

// Case-ignoring match of a name against a pattern with * and ?.
int NameMatch(const char* pattern, const char* name);

#endif
