// Checks of names that become file names: cell names (a cell is the file
// "<name>.tlc") and the names of files the programs write.
#ifndef QUIL_LIB_NAMECHECK_H
#define QUIL_LIB_NAMECHECK_H

// 0 when the name passes, 1 when any fault was found. Every fault is shown
// through the host seam (caption the program's display name), and the check
// goes on to the end. An empty name, or "*" when starAllowed, passes.
int CellNameCheck(const char* name, int starAllowed);
// The same check in file-name wording.
int FileNameCheck(const char* name);
// The same check without messages: 1 when the name is a usable, non-empty
// cell name. Readers of stored names use it before a name reaches a file.
int CellNameValid(const char* name);

#endif
