// Stroke-font texts: glyph advance and spacing, sizes, orientation, and the
// names written into outline boxes.
#include "plot_fixture.h"

namespace {

class TextTest : public PlotTest {
 protected:
  void SetUp() override {
    PlotTest::SetUp();
    memset(st.font.table, TFF_END, sizeof st.font.table);
    // 'A': one stroke along the bottom, 15 units wide; 'B': one stroke up
    // the left side (no width); ' ' stays empty.
    Glyph('A', {0x00, 0xF0});
    Glyph('B', {0x00, 0x0F});
    Glyph('C', {0x00, 0xF0, 0xFF, 0x0F, 0xFF, 0xFF, 0x55});  // a second stroke of one point... ended
    st.set.ppm = 0;
    st.set.tsr = 0.2;
    st.out.pen = st.out.wantPen = 1;
  }
  void Glyph(int c, std::vector<uint8_t> bytes) {
    memcpy(st.font.table[c - 32], bytes.data(), bytes.size());
    st.font.table[c - 32][bytes.size()] = TFF_END;
  }
  // Start points of every line segment written ("PA x,y;PD;").
  std::vector<std::pair<int, int>> Starts() {
    std::vector<std::pair<int, int>> v;
    size_t p = 0;
    while ((p = out.find("PA", p)) != std::string::npos) {
      int x, y;
      if (sscanf(out.c_str() + p, "PA%d,%d;PD;", &x, &y) == 2 && out.compare(out.find(';', p) + 1, 3, "PD;") == 0)
        v.push_back({x, y});
      ++p;
    }
    return v;
  }
  void Text(const char* text, int size, int orient = 0) {
    out.clear();
    PlotTest::Text(cell, 1, size, orient, 0, 0, text);
    DrcMemPath& m = d.cells[cell - 1].paths.back();
    DrcPathRec p = {m.word0, m.width, (int32_t)(m.xy.size() / 2), m.xy.data()};
    PlotTextObj(st, p, -1);
  }
  int cell = DrcMemAddCell(d, "T");
};

TEST_F(TextTest, AdvanceAndSpacing) {
  struct Case {
    const char* text;
    int size;
    std::vector<std::pair<int, int>> starts;
  } cases[] = {
      // "B" starts at the width of "A" plus 0.2 x 150.
      {"AB", 150, {{0, 0}, {180, 0}}},
      // A blank advances by a third of the size plus the spacing.
      {"A B", 150, {{0, 0}, {260, 0}}},
      // A glyph without width advances as a blank.
      {"BA", 150, {{0, 0}, {80, 0}}},
      // Size 10 is drawn at 15.
      {"AB", 10, {{0, 0}, {18, 0}}},
      {"C", 150, {{0, 0}}},
      {"A\x01" "A", 150, {{0, 0}, {180, 0}}},  // outside 32..127: skipped, no advance
  };
  for (const Case& c : cases) {
    Text(c.text, c.size);
    EXPECT_EQ(Starts(), c.starts) << c.text << " " << c.size << "\n" << out;
  }
  Text("A", 10);
  EXPECT_NE(out.find("PA15,0;"), std::string::npos) << out;
}

TEST_F(TextTest, OrientationTurnsEveryGlyphPoint) {
  Text("AB", 150, 1);
  // (gx, gy) -> (-gy, gx): "A" runs up, "B" starts 180 further up and runs
  // to the left.
  EXPECT_EQ(out, "LT;PA0,0;PD;PA0,150;PU;LT;PA0,180;PD;PA-150,180;");
}

TEST_F(TextTest, StrokesArePolygonsInPolyModeWhenLongEnough) {
  st.set.ppm = 1;
  // Two strokes of one and two segments: line segments.
  Glyph('D', {0x00, 0xF0, 0xFF, 0xF0, 0x00, 0x0F});
  Text("D", 15);
  EXPECT_EQ(out, "LT;PA0,0;PD;PA15,0;LT;PA15,0;PD;PA0,0;LT;PA0,0;PD;PA0,15;");
  // Three segments: an open polygon, not filled.
  Glyph('F', {0x00, 0xF0, 0xFE, 0x0E});
  st.out.fill = st.out.solid = 1;
  Text("F", 15);
  EXPECT_EQ(out, "PU;PA0,0;PM0;PD15,0,15,14,0,14;PU;PM2;LT;EP;");
}

TEST_F(TextTest, OutlineBoxNames) {
  struct Case {
    double a;
    int64_t want;
  } cases[] = {{281, 285}, {7.4, 15}, {0, 15}, {22.5, 30}, {-44, 45}, {1e12, 9830400}};
  for (const Case& c : cases) EXPECT_EQ(TextHeightRound(c.a), c.want) << c.a;
  // A 3000 x 1500 box: height 285, starting 142 in on the bottom edge.
  TextString(st, "A", 1000, 2000, 4000, 3500);
  EXPECT_EQ(out, "PU;LT;PA1142,2000;PD;PA1427,2000;");
}

TEST_F(TextTest, TextsOutsideTheWindowOrTooSmallAreSkipped) {
  // "AB" and its end fill one vertex: a box of 8 x 150 units.
  st.geom.dl = 1201;
  Text("AB", 150);
  EXPECT_EQ(out, "");
  st.geom.dl = 1200;
  Text("AB", 150);
  EXPECT_NE(out, "");
  st.geom.minSize = 200;
  Text("AB", 150);
  EXPECT_EQ(out, "");
}

}  // namespace
