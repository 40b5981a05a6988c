// Texts in the stroke font, cell names and instance outlines.
#include "font.h"
#include "palette.h"
#include "render_fixture.h"

namespace {

// Glyph 'A': one diagonal stroke (0,0)-(15,15); 'B': a closed triangle;
// ' ' stays empty.
void TestFont() {
  uint8_t* a = Font.table['A' - 32];
  memset(a, 0xFF, TFF_SLOT);
  a[0] = 0x00;
  a[1] = 0xFF;
  uint8_t* b = Font.table['B' - 32];
  memset(b, 0xFF, TFF_SLOT);
  const uint8_t tri[] = {0x00, 0xA0, 0x0A, 0x00};
  memcpy(b, tri, sizeof tri);
  memset(Font.table[0], 0xFF, TFF_SLOT);
}

struct TextFixture : RenderFixture {
  void SetUp() override {
    RenderFixture::SetUp();
    TestFont();
    Rd.togs = 0;
  }
};

TEST_F(TextFixture, AdvanceIsGlyphWidthPlusSpacing) {
  CanvasPaint p = DrawPaint(1, 0, 0);
  struct Case {
    int code;
    int32_t size, advance;
  } cases[] = {
      {' ', 15, 5 + 4},      // empty glyph: size / 3, plus trunc(0.26667 size)
      {'B', 30, 20 + 8},     // widest point gx 10: 30 x 10 / 15
      {31, 30, 0},           // outside the font: nothing, no advance
      {128, 30, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(DrawGlyph(c.code, -1, 0, 0, c.size, 0, 0, p), c.advance) << c.code;
  // A glyph whose points all lie at gx 0 counts as size / 3 wide.
  EXPECT_EQ(DrawGlyph('A', -1, 0, 0, 30, 0, 0, p), 10 + 8);
}

TEST_F(TextFixture, CharactersFollowEachOtherAtThePenPosition) {
  AddText(1, 30, 0, 100, 0, "B B\x01" "B");
  DrawTextObj(1, -1);
  // Three triangles (closed strokes filled) at pen 0, 28 + 18 = 46 (B, then
  // the blank's 10 + 8), and 46 + 28 = 74; the control character adds
  // nothing.
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 3u);
  int firstX[3];
  for (int i = 0; i < 3; ++i) {
    firstX[i] = 1 << 30;
    for (auto& pt : polys[i]->pts) firstX[i] = std::min(firstX[i], pt.x);
  }
  EXPECT_EQ(firstX[0], 500 + 100);
  EXPECT_EQ(firstX[1], 500 + 100 + 46);
  EXPECT_EQ(firstX[2], 500 + 100 + 74);
  EXPECT_EQ(Rd.textsDrawn, 1);
}

TEST_F(TextFixture, SmallTextIsDrawnAtTheLeastSizeAndTheStoreKeepsItsSize) {
  AddText(1, 10, 0, 0, 0, "B");
  DrawTextObj(1, -1);
  EXPECT_EQ(StorePathGet(1, 1), 10);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  int maxx = 0;
  for (auto& pt : polys[0]->pts) maxx = std::max(maxx, pt.x);
  EXPECT_EQ(maxx, 500 + 10);  // 15 x 10 / 15
}

TEST_F(TextFixture, TextTurnsWithItsOrientation) {
  AddText(1, 30, 1, 0, 0, "B");  // a quarter turn: x along +y
  DrawTextObj(1, -1);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  int miny = 1 << 30;
  for (auto& pt : polys[0]->pts) miny = std::min(miny, pt.y);
  EXPECT_EQ(miny, 500 - 20);  // the glyph's width now goes up the screen
}

TEST_F(TextFixture, HiddenTextsDrawNothingNotEvenTheirMarker) {
  Rd.togs = TOG_TEXTS;
  Rd.ownFull = 1;
  AddText(1, 30, 0, 0, 0, "B");
  DrawTextObj(1, -1);
  EXPECT_TRUE(canvas.ops.empty());
  Rd.togs = 0;
  DrawTextObj(1, -1);
  EXPECT_EQ(Ops(REC_MARKER).size(), 1u);
}

TEST_F(TextFixture, CellNameSizeIsAMultipleOfFifteen) {
  EXPECT_EQ(TextSizeRound(3), 15);
  EXPECT_EQ(TextSizeRound(29), 30);
  EXPECT_EQ(TextSizeRound(40), 45);
  Rd.togs = 0;
  DrawCellName("B", 0, 0, 360, 360);
  EXPECT_TRUE(canvas.ops.empty());  // names only with toggle N
  Rd.togs = TOG_NAMES;
  DrawCellName("B", 0, 0, 360, 360);  // 360 / 12 = 30: size 30
  auto lines = Ops(REC_LINE);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]->pts[0].x, 500 + 15);  // starts at left + size / 2
  EXPECT_EQ(lines[0]->pts[0].y, 500);
  EXPECT_EQ(lines[0]->pts[1].x, 500 + 15 + 20);
  DrawCellName("", 0, 0, 360, 360);
  EXPECT_EQ(Ops(REC_LINE).size(), 3u);
}

}  // namespace
