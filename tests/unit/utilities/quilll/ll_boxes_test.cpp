// Result maps into boxes and polygons; the edge-indexed merge and polygon
// build against their pairwise forms.
#include <random>

#include "host_record.h"
#include "ll_test_support.h"

namespace {

struct BoxTest : ::testing::Test {
  void SetUp() override {
    rec = &HostRecordInstall();
    st = LlFresh(1);
    st->set.layC = 3;
    LlMapClear(st->result);
    st->polyOut = &polys;
  }
  void TearDown() override { HostRecordRemove(); }
  void Rect(int l, int b, int r, int t) {  // cells l..r-1, b..t-1
    for (int y = b; y < t; ++y)
      for (int x = l; x < r; ++x) LlMapBitSet(st->result, x, y, 1);
  }
  std::vector<LlBox> Live() {
    std::vector<LlBox> v;
    for (const LlBox& b : st->boxes)
      if (b.layer) v.push_back(b);
    return v;
  }
  HostRecord* rec = nullptr;
  std::unique_ptr<LlState> st;
  std::vector<std::vector<int32_t>> polys;
};

bool Same(const LlBox& a, const LlBox& b) { return a.l == b.l && a.b == b.b && a.r == b.r && a.t == b.t; }

TEST_F(BoxTest, MapsIntoBoxes) {
  struct Case {
    const char* what;
    std::vector<std::array<int, 4>> rects;
    std::vector<LlBox> boxes;  // after extraction and merge
  } cases[] = {
      {"full map", {{0, 0, 1024, 1024}}, {{3, 0, 0, 1024, 1024}}},
      {"column 1023", {{1023, 5, 1024, 7}}, {{3, 1023, 5, 1024, 7}}},
      {"stacked equal widths", {{2, 2, 6, 4}, {2, 4, 6, 9}}, {{3, 2, 2, 6, 9}}},
      {"side by side", {{2, 2, 6, 4}, {7, 2, 9, 4}}, {{3, 2, 2, 6, 4}, {3, 7, 2, 9, 4}}},
      {"L shape", {{0, 0, 8, 2}, {0, 2, 3, 6}}, {{3, 0, 0, 8, 2}, {3, 0, 2, 3, 6}}},
  };
  for (const Case& c : cases) {
    LlMapClear(st->result);
    for (auto& r : c.rects) Rect(r[0], r[1], r[2], r[3]);
    LlMapToBoxes(*st);
    LlBoxMerge(*st);
    std::vector<LlBox> v = Live();
    ASSERT_EQ(v.size(), c.boxes.size()) << c.what;
    for (size_t k = 0; k < v.size(); ++k) EXPECT_TRUE(Same(v[k], c.boxes[k])) << c.what << " " << k;
  }
  // Only the guard row set: nothing.
  LlMapClear(st->result);
  for (int x = 0; x < 1024; ++x) LlMapBitSet(st->result, x, 1024, 1);
  LlMapToBoxes(*st);
  EXPECT_TRUE(st->boxes.empty());
  // Map cells of 5 units at an area origin.
  st = LlFresh(5);
  st->set.layC = 3;
  st->L = 100;
  st->B = -50;
  LlMapClear(st->result);
  LlMapBitSet(st->result, 2, 1, 1);
  LlMapToBoxes(*st);
  ASSERT_EQ(st->boxes.size(), 1u);
  EXPECT_TRUE(Same(st->boxes[0], {3, 110, -45, 115, -40}));
}

TEST_F(BoxTest, PolygonBuild) {
  // L shape: one ring of six corners and its closing point.
  Rect(0, 0, 8, 2);
  Rect(0, 2, 3, 6);
  LlMapToBoxes(*st);
  LlBoxMerge(*st);
  ASSERT_EQ(LlPolyBuild(*st), 1);
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_EQ(polys[0], (std::vector<int32_t>{0, 0, 0, 6, 3, 6, 3, 2, 8, 2, 8, 0, 0, 0}));
  EXPECT_TRUE(Live().empty());
  EXPECT_EQ(st->totVerts, 7);
}

TEST_F(BoxTest, StaircaseReduction) {
  struct Case {
    int vxr, factor, step;
    size_t points;
  } cases[] = {
      {1, 1, 1, 7},    // one-cell steps become one diagonal: a triangle-like ring
      {0, 1, 1, 0},    // without reduction every step stays
      {1, 1, 3, 0},    // steps longer than L stay
      {1, 3, 3, 7},    // unless the poly factor reaches them
  };
  for (const Case& c : cases) {
    st = LlFresh(1);
    st->set.layC = 3;
    st->polyOut = &polys;
    polys.clear();
    st->set.vxr = c.vxr;
    st->set.polyFactor = c.factor;
    LlMapClear(st->result);
    // A staircase rising to the right: row band k covers columns 0 .. (k+1)*step.
    for (int k = 0; k < 10; ++k) Rect(0, k * c.step, (k + 1) * c.step, (k + 1) * c.step);
    LlMapToBoxes(*st);
    LlBoxMerge(*st);
    ASSERT_EQ(LlPolyBuild(*st), 1);
    ASSERT_EQ(polys.size(), 1u);
    size_t n = polys[0].size() / 2;
    if (c.points)
      EXPECT_LE(n, c.points) << c.vxr << c.factor << c.step;
    else
      EXPECT_EQ(n, 2u * 10 + 3) << c.vxr << c.factor << c.step;
  }
}

TEST_F(BoxTest, StackOf254Boxes) {
  // Alternating widths so nothing merges: 254 boxes make 1016 points.
  auto build = [&](int vxr, int boxes) {
    st = LlFresh(1);
    st->set.layC = 3;
    st->polyOut = &polys;
    polys.clear();
    st->set.vxr = vxr;
    rec->messages.clear();
    LlMapClear(st->result);
    for (int k = 0; k < boxes; ++k) Rect(0, k, k % 2 ? 4 : 6, k + 1);
    LlMapToBoxes(*st);
    LlBoxMerge(*st);
    return LlPolyBuild(*st);
  };
  build(0, 254);
  EXPECT_EQ(st->abortFlag, 1);
  ASSERT_EQ(polys.size(), 1u);  // still written
  ASSERT_EQ(rec->messages.size(), 1u);
  EXPECT_EQ(rec->messages[0].text,
            "Vertex Limit of 1024 was exceeded during Poly Build ... Try a lower Resolution or Vertex Reduction ");
  st->abortFlag = 0;
  build(0, 253);
  EXPECT_EQ(st->abortFlag, 0);
  EXPECT_EQ(polys.size(), 1u);
  build(1, 255);
  EXPECT_EQ(st->abortFlag, 0);
  EXPECT_EQ(polys.size(), 2u);  // the 255th box starts a polygon of its own
  EXPECT_TRUE(rec->messages.empty());
}

TEST_F(BoxTest, AcuteFix) {
  struct Case {
    std::vector<int32_t> in, out;
    const char* warning;
  } cases[] = {
      // A right-angled ring needs nothing.
      {{0, 0, 0, 5, 5, 5, 5, 0, 0, 0}, {0, 0, 0, 5, 5, 5, 5, 0, 0, 0}, nullptr},
      // A diagonal meeting a horizontal edge at 45 degrees inside: a point is
      // inserted one step along.
      {{0, 0, 5, 5, 10, 5, 10, 0, 0, 0}, {0, 0, 0, 1, 5, 5, 10, 5, 10, 0, 0, 0}, nullptr},
      // Two vertical segments in a row: not fixed.
      {{0, 0, 0, 5, 0, 9, 9, 0, 0, 0}, {0, 0, 0, 5, 0, 9, 9, 0, 0, 0}, "Acute Angle is 0 deg ... Not Fixed"},
  };
  for (const Case& c : cases) {
    rec->messages.clear();
    st->ringN = (int)c.in.size() / 2;
    for (int k = 0; k < st->ringN; ++k) {
      st->ringX[k] = c.in[2 * k];
      st->ringY[k] = c.in[2 * k + 1];
    }
    int n = LlAcuteFix(*st, st->ringN);
    std::vector<int32_t> got;
    for (int k = 0; k < n; ++k) {
      got.push_back(st->ringX[k]);
      got.push_back(st->ringY[k]);
    }
    EXPECT_EQ(got, c.out);
    if (c.warning) {
      ASSERT_EQ(rec->messages.size(), 1u);
      EXPECT_EQ(rec->messages[0].text, c.warning);
    } else {
      EXPECT_TRUE(rec->messages.empty());
    }
  }
}

// Random maps: the indexed merge and polygon build give exactly what the
// pairwise passes give.
TEST_F(BoxTest, IndexedFormsAgreeWithPairwise) {
  std::mt19937 rng(11);
  for (int round = 0; round < 30; ++round) {
    LlMapClear(st->result);
    int n = 5 + (int)(rng() % 60);
    for (int k = 0; k < n; ++k) {
      int l = (int)(rng() % 200), b = (int)(rng() % 200);
      int w = 1 + (int)(rng() % (round % 3 == 0 ? 4 : 40)), h = 1 + (int)(rng() % 30);
      Rect(l, b, l + w, b + h);
    }
    for (int vxr = 0; vxr < 2; ++vxr) {
      st->set.vxr = vxr;
      LlMapToBoxes(*st);
      std::vector<LlBox> start = st->boxes;
      LlBoxMerge(*st);
      std::vector<LlBox> fast = st->boxes;
      st->boxes = start;
      LlBoxMergePairwise(*st);
      ASSERT_EQ(fast.size(), st->boxes.size());
      for (size_t k = 0; k < fast.size(); ++k)
        ASSERT_TRUE(Same(fast[k], st->boxes[k]) && (fast[k].layer == 0) == (st->boxes[k].layer == 0)) << round;
      std::vector<LlBox> merged = st->boxes;
      polys.clear();
      LlPolyBuild(*st);
      std::vector<std::vector<int32_t>> fastPolys = polys;
      st->boxes = merged;
      polys.clear();
      LlPolyBuildPairwise(*st);
      ASSERT_EQ(fastPolys, polys) << round;
      st->abortFlag = 0;
    }
  }
}

}  // namespace
