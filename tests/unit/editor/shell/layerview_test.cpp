#include "layerview.h"

#include "mainsetup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Row {
  int number;
  int flags;
};

class LayerView : public ::testing::Test {
 protected:
  void SetUp() override {
    MainSetupReset();
    LayerViewReset();
  }
  static void Rows(const std::vector<Row>& rows) {
    for (size_t i = 0; i < rows.size(); ++i) {
      MainSetup.layers[i].number = rows[i].number;
      MainSetup.layers[i].flags = rows[i].flags;
    }
    MainSetup.layerCount = static_cast<int>(rows.size());
  }
  static std::vector<int> Members(const LayerSet& s) {
    std::vector<int> out;
    for (int n = 1; n <= 256; ++n)
      if (LyrSelTest(&s, n)) out.push_back(n);
    return out;
  }
};

const int V = LAYER_VIEW_BIT, O = LAYER_OPEN_BIT;

TEST_F(LayerView, SetsComeFromTheRowsFlags) {
  Rows({{1, V | O}, {2, V}, {3, O}, {0, V | O}, {300 & 0x1FF, V | O}, {5, 0}, {5, V}, {256, O}, {7, V | O}});
  LyrViewBuild();
  LyrOpenBuild();
  LyrActiveBuild();
  // Row 0 and numbers above 256 are in neither set; two rows of layer 5:
  // either row's bit puts it in.
  EXPECT_EQ(Members(LyrView.view), std::vector<int>({1, 2, 5, 7}));
  EXPECT_EQ(Members(LyrView.open), std::vector<int>({1, 3, 7, 256}));
  EXPECT_EQ(Members(LyrView.active), std::vector<int>({1, 7}));
  EXPECT_EQ(LyrViewTest(2), 1);
  EXPECT_EQ(LyrViewTest(3), 0);
  EXPECT_EQ(LyrViewTest(0), 0);
  EXPECT_EQ(LyrViewTest(257), 0);
  EXPECT_EQ(LyrActiveLayerTest(7), 1);
  EXPECT_EQ(LyrActiveLayerTest(2), 0);
}

TEST_F(LayerView, Overrides) {
  Rows({{1, V | O}, {2, V}, {3, O}});
  LyrViewBuild();
  LyrOpenBuild();
  struct Case {
    int viewOverride, openOverride;
    std::vector<int> active;  // among layers 1..4
  } cases[] = {
      {0, 0, {1}},
      {1, 0, {1, 3}},  // every layer drawn, picking still needs open
      {0, 1, {1, 2}},
      {1, 1, {1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    LyrView.viewOverride = c.viewOverride;
    LyrView.openOverride = c.openOverride;
    LyrActiveBuild();
    std::vector<int> got;
    for (int n = 1; n <= 4; ++n)
      if (LyrActiveLayerTest(n)) got.push_back(n);
    EXPECT_EQ(got, c.active) << c.viewOverride << c.openOverride;
    EXPECT_EQ(LyrActiveLayerTest(256), c.viewOverride && c.openOverride);
  }
}

TEST_F(LayerView, RowMasksMapRowsToBits) {
  LyrRowMaskSet(LYR_KIND_VIEW, 0x5ull | (1ull << 63), 1);  // rows 64, 66, 127
  LyrRowMaskSet(LYR_KIND_OPEN, ~0ull, 3);                   // rows 192..255
  EXPECT_EQ(MainSetup.layers[64].flags, V);
  EXPECT_EQ(MainSetup.layers[65].flags, 0);
  EXPECT_EQ(MainSetup.layers[66].flags, V);
  EXPECT_EQ(MainSetup.layers[127].flags, V);
  EXPECT_EQ(MainSetup.layers[192].flags, O);
  EXPECT_EQ(LyrRowMaskGet(LYR_KIND_VIEW, 1), 0x5ull | (1ull << 63));
  EXPECT_EQ(LyrRowMaskGet(LYR_KIND_OPEN, 1), 0u);
  EXPECT_EQ(LyrRowMaskGet(LYR_KIND_OPEN, 3), ~0ull);
  // Setting clears the bit where the mask has none, and leaves the other kind.
  MainSetup.layers[66].flags |= O;
  LyrRowMaskSet(LYR_KIND_VIEW, 0x1, 1);
  EXPECT_EQ(MainSetup.layers[66].flags, O);
  EXPECT_EQ(LyrRowMaskGet(LYR_KIND_VIEW, 4), 0u);  // no such group
  LyrRowMaskSet(LYR_KIND_VIEW, ~0ull, -1);            // ignored
}

TEST_F(LayerView, ScratchTextForTheStatusLineAndTheSetupFile) {
  for (int n : {3, 4, 5, 6, 7, 9, 0, 257, 64, 65}) LyrMaskSet(n);
  char text[64];
  LyrSetText(text, sizeof text);
  EXPECT_STREQ(text, "3-7 9 64 65 ");
}

}  // namespace
