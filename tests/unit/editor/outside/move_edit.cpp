// Edits a cell of a drawing folder with the editor's command engine, for the
// outside checks: loads the cell, runs each argument as a typed command
// line, saves the cell. Run in the drawing folder:
//   move_edit <cell> <line> [<line> ...]
// Messages go to stderr; exit status 0 when every line ran and the cell
// was saved.
#include <cstdio>

#include "celltable.h"
#include "cmdengine.h"
#include "host.h"
#include "layerview.h"
#include "mainsetup.h"
#include "pending.h"
#include "store.h"
#include "undo.h"
#include "view.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: move_edit <cell> [line ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  MainSetupReset();
  if (!MainSetupRead()) {
    fprintf(stderr, "no QUIL7.USF\n");
    return 1;
  }
  ViewReset();
  LayerViewReset();
  LyrView.viewOverride = LyrView.openOverride = 1;
  LyrActiveBuild();
  if (!DrawingCrfRead() || CellLoadByName(argv[1]) != 1) {
    fprintf(stderr, "can't load %s\n", argv[1]);
    return 1;
  }
  CmdEngineState st;
  for (int i = 2; i < argc; ++i) {
    if (CmdTypedLine(st, argv[i]) != 1 || st.scriptStop) {
      fprintf(stderr, "line refused: %s\n", argv[i]);
      return 1;
    }
    CmdPump(st);
  }
  return CellSaveNow() == 1 ? 0 : 1;
}
