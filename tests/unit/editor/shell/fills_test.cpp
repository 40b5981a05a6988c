#include "fills.h"

#include <gtest/gtest.h>

namespace {

int Bit16(const uint8_t* pattern, int row, int col) {
  return (pattern[2 * row + col / 8] >> (7 - col % 8)) & 1;
}

TEST(Fills, ScreenFineAndPrintSetsAgreeOnTheirMotifs) {
  for (int i = 0; i < FILL_PATTERNS; ++i) {
    if (i >= 9 && i <= 12) continue;  // the fine set hatches these closer
    for (int r = 0; r < 8; ++r) EXPECT_EQ(FillFine[i][r], FillScreen[i][r]) << i;
  }
  for (int r = 0; r < 8; ++r) {
    EXPECT_EQ(FillScreen[0][r], 0);
    EXPECT_EQ(FillScreen[13][r], 0xFF);
  }
  int set13 = 0, set14 = 0;
  for (int r = 0; r < 16; ++r)
    for (int c = 0; c < 16; ++c) {
      set13 += Bit16(FillPrint[13], r, c);
      set14 += Bit16(FillPrint[14], r, c);
    }
  EXPECT_EQ(set13, 256);
  EXPECT_EQ(set14, 0);
  // The diagonals: one pixel a row, stepping right (9), left (10), and both
  // shifted by eight rows (11, 12).
  for (int r = 0; r < 16; ++r) {
    int n9 = 0;
    for (int c = 0; c < 16; ++c) n9 += Bit16(FillPrint[9], r, c);
    EXPECT_EQ(n9, 1);
    EXPECT_EQ(Bit16(FillPrint[9], r, r), 1);
    EXPECT_EQ(Bit16(FillPrint[10], r, 15 - r), 1);
    EXPECT_EQ(Bit16(FillPrint[11], r, (r + 8) % 16), 1);
    EXPECT_EQ(Bit16(FillPrint[12], r, 15 - (r + 8) % 16), 1);
  }
  EXPECT_EQ(FillPrint[1][0], 0x00);
  EXPECT_EQ(FillPrint[1][1], 0x80);
  EXPECT_EQ(FillPrint[2][0], 0x80);  // rows 0 and 7 swapped against 1
  EXPECT_EQ(FillPrint[6][0], FillPrint[5][8]);
}

TEST(Fills, PaletteKeyEntriesAndWords) {
  const uint8_t black[3] = {0, 0, 0}, grey[3] = {192, 192, 192}, white[3] = {255, 255, 255};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(PaletteRgb[0][k], black[k]);   // background
    EXPECT_EQ(PaletteRgb[7][k], grey[k]);    // instance outlines
    EXPECT_EQ(PaletteRgb[15][k], white[k]);  // selection
  }
  uint16_t words[8];
  FillWords8(FillScreen[9], words);
  EXPECT_EQ(words[0], 0x8080);
  EXPECT_EQ(words[7], 0x0101);
}

}  // namespace
