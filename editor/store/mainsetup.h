// The drawing's settings as read from and written to QUIL7.USF. One struct
// holds them all; MainSetupReset restores the built-in defaults.
#ifndef QUIL_EDITOR_STORE_MAINSETUP_H
#define QUIL_EDITOR_STORE_MAINSETUP_H

enum { LAYER_MAX = 256, LAYER_NAME_SIZE = 16, PHYSUNIT_SIZE = 17 };

struct LayerEntry {
  char name[LAYER_NAME_SIZE];  // at most 8 characters are kept
  int number;                  // 1..256
};

struct MainSetupState {
  double scale = 1000.0;               // database units per physical unit
  char physunit[PHYSUNIT_SIZE] = "um";
  int layerNumOnly = 0;                // layers match by number alone
  LayerEntry layers[LAYER_MAX] = {};   // the layer table, in file order
  int layerCount = 0;
  int writeOldTlc = 0;                 // writeoldtlc=: TLC writers use the "=X" form
  int mctLayer = 256;                  // mctlayer=: layer of the missing-cell text
};

extern MainSetupState MainSetup;

// Restores every setting to its built-in default (also used by tests).
void MainSetupReset();

#endif
