// The contents of the SHOWLIST dialog: what a cell is made of, and what the
// selection is.
#ifndef QUIL_EDITOR_COMMANDS_CMDSHOW_H
#define QUIL_EDITOR_COMMANDS_CMDSHOW_H

#include "panes.h"

// Loads cell name's objects (and, from rank 2, its level-0 instances) into
// the store and lists "%s (%d)", its objects and outline, the cells of each
// lower rank it places and its per-layer counts. 0 (reported) when the cell
// is not in the table or its file can't be loaded. The caller keeps the
// current cell's objects out of the way first.
int CellInfoList(const char* name, InfoAddFn add, void* ctx);
// The first selected box with its edges, else the first selected path or
// text with its vertices or characters, else CellInfoList of name.
int ShowListFill(const char* name, InfoAddFn add, void* ctx);

#endif
