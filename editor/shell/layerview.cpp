#include "layerview.h"

#include "mainsetup.h"

LayerViewState LyrView;

void LayerViewReset() { LyrView = LayerViewState(); }

static void BuildFromRows(int bit, LayerSet* out) {
  LayerSetClear(&LyrView.scratch);
  for (int i = 0; i < LAYER_MAX; ++i) {
    const LayerEntry& row = MainSetup.layers[i];
    if (row.flags & bit) LyrMaskSet(row.number);
  }
  *out = LyrView.scratch;
}

void LyrViewBuild() { BuildFromRows(LAYER_VIEW_BIT, &LyrView.view); }
void LyrOpenBuild() { BuildFromRows(LAYER_OPEN_BIT, &LyrView.open); }

void LyrActiveBuild() {
  for (int w = 0; w < LAYERSET_WORDS; ++w) {
    uint64_t open = LyrView.openOverride ? ~uint64_t(0) : LyrView.open.w[w];
    uint64_t view = LyrView.viewOverride ? ~uint64_t(0) : LyrView.view.w[w];
    LyrView.active.w[w] = open & view;
  }
}

int LyrViewTest(int n) { return LyrSelTest(&LyrView.view, n); }

int LyrActiveLayerTest(int n) { return LyrSelTest(&LyrView.active, n); }

static int KindBit(int kind) { return kind == LYR_KIND_OPEN ? LAYER_OPEN_BIT : LAYER_VIEW_BIT; }

uint64_t LyrRowMaskGet(int kind, int g) {
  if (g < 0 || g >= LAYER_MAX / 64) return 0;
  int bit = KindBit(kind);
  uint64_t mask = 0;
  for (int j = 0; j < 64; ++j)
    if (MainSetup.layers[64 * g + j].flags & bit) mask |= uint64_t(1) << j;
  return mask;
}

void LyrRowMaskSet(int kind, uint64_t mask, int g) {
  if (g < 0 || g >= LAYER_MAX / 64) return;
  int bit = KindBit(kind);
  for (int j = 0; j < 64; ++j) {
    LayerEntry& row = MainSetup.layers[64 * g + j];
    if ((mask >> j) & 1)
      row.flags |= bit;
    else
      row.flags &= ~bit;
  }
}

void LyrMaskSet(int n) { LyrSelSet(&LyrView.scratch, n); }

void LyrSetText(char* text, size_t size) { LyrSetText(&LyrView.scratch, text, size); }
