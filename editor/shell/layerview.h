// Which layers are drawn (the view set) and which may be picked (the open
// set), built from the layer table's row flags; the active set is both.
// Each set has an override that stands for every layer.
#ifndef QUIL_EDITOR_SHELL_LAYERVIEW_H
#define QUIL_EDITOR_SHELL_LAYERVIEW_H

#include "layerset.h"

#include <cstddef>
#include <cstdint>

enum { LYR_KIND_VIEW = 0, LYR_KIND_OPEN = 1 };

struct LayerViewState {
  LayerSet view;
  LayerSet open;
  LayerSet active;
  LayerSet scratch;  // built here, then copied
  int viewOverride;  // 1: every layer is drawn
  int openOverride;  // 1: every layer is open
};

// Global: the one drawing's layer sets, read by the engine, renderer and window.
extern LayerViewState LyrView;

void LayerViewReset();

// The view / open set from every row of the layer table whose view / open
// bit is set (row numbers outside 1..256 are ignored).
void LyrViewBuild();
void LyrOpenBuild();
// active = (all or open) AND (all or view), word by word.
void LyrActiveBuild();

// 1 when layer n is in the view set; 0 for n outside 1..256.
int LyrViewTest(int n);
// 1 when layer n is in the active set: what picking of an object on layer n
// asks (the layer is bits 0-8 of the object's flag word).
int LyrActiveLayerTest(int n);

// Rows 64g .. 64g + 63 of the layer table as a mask (bit j = row 64g + j)
// of their view (LYR_KIND_VIEW) or open (LYR_KIND_OPEN) bits; and the
// reverse, setting the bit where the mask has it and clearing it elsewhere.
uint64_t LyrRowMaskGet(int kind, int g);
void LyrRowMaskSet(int kind, uint64_t mask, int g);

// Sets layer n (1..256) in the scratch set; other n are ignored.
void LyrMaskSet(int n);
// The scratch set as range text ("1-5 9 ").
void LyrSetText(char* text, size_t size);

#endif
