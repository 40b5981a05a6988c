// The editor as a fresh start leaves it, for the command tests, the command
// fuzzer and the command benchmark: setup, cell table, store and view
// cleared, scale 1000, every layer active. The command engine's state is the
// caller's own object, fresh when made.
#ifndef QUIL_TESTS_SUPPORT_CMD_FRESH_H
#define QUIL_TESTS_SUPPORT_CMD_FRESH_H

#include "celltable.h"
#include "layerview.h"
#include "mainsetup.h"
#include "store.h"
#include "view.h"

// A view area of width x height centred on its middle; 0 leaves the view
// as reset.
inline void CmdFreshState(int width, int height) {
  MainSetupReset();
  MainSetup.scale = 1000;
  CellTableReset();
  StoreReset();
  ViewReset();
  if (width > 0 && height > 0) {
    View.area.right = width;
    View.area.bottom = height;
    View.area.ox = width / 2;
    View.area.oy = height / 2;
    ViewUpdate();
  }
  View.togs = 0;
  LayerViewReset();
  LyrView.viewOverride = LyrView.openOverride = 1;
  LyrActiveBuild();
}

#endif
