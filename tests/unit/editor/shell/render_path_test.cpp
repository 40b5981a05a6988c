// Wide-path outlines: mitres, bevels, end styles and the size of the
// largest path.
#include <cmath>

#include "render_fixture.h"

namespace {

using Pts = std::vector<std::pair<int32_t, int32_t>>;

struct Outline {
  std::vector<double> x, y;
};

Outline OutlineOf(const Pts& pts, int32_t width) {
  std::vector<int32_t> xs, ys;
  std::vector<uint32_t> ws;
  for (auto& p : pts) {
    xs.push_back(p.first);
    ys.push_back(p.second);
    ws.push_back(1);
  }
  int n = PathOutline(xs.data(), ys.data(), ws.data(), (int)xs.size(), width);
  Outline o;
  o.x.assign(Rd.wx.begin(), Rd.wx.begin() + n);
  o.y.assign(Rd.wy.begin(), Rd.wy.begin() + n);
  return o;
}

void ExpectOutline(const Outline& o, const std::vector<std::pair<double, double>>& want) {
  ASSERT_EQ(o.x.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(o.x[i], want[i].first, 1e-6) << "point " << i;
    EXPECT_NEAR(o.y[i], want[i].second, 1e-6) << "point " << i;
  }
}

TEST_F(RenderFixture, RightAngleIsMitredToTheOffsetCorners) {
  // Right start, left side forward, right side backward.
  ExpectOutline(OutlineOf({{0, 0}, {100, 0}, {100, 100}}, 20),
                {{0, -10}, {0, 10}, {90, 10}, {90, 100}, {110, 100}, {110, -10}});
}

TEST_F(RenderFixture, TurnBeyondNinetyDegreesIsBevelled) {
  // 135 degrees: a mitre would reach 24 units past the corner's offset line.
  Outline o = OutlineOf({{0, 0}, {100, 0}, {0, 100}}, 20);
  ASSERT_EQ(o.x.size(), 8u);  // four pairs: start, corner, bevel start, end
  double h = 10 / std::sqrt(2.0);
  ExpectOutline(o, {{0, -10},
                    {0, 10},
                    {90, 10},
                    {100 - h - h, 0},
                    {-h, 100 - h},
                    {h, 100 + h},
                    {100 + h + h, 0},
                    {110, -10}});
  for (double x : o.x) EXPECT_LE(x, 100 + 2 * h + 1e-6);
}

TEST_F(RenderFixture, TurnAcrossTheAngleSeamStaysAMitre) {
  // From 170 degrees to -170 degrees is a 20-degree turn, not 340.
  Outline o = OutlineOf({{0, 0}, {-1000, 176}, {-2000, 0}}, 20);
  EXPECT_EQ(o.x.size(), 6u);
}

TEST_F(RenderFixture, EndStyleFollowsTheSignOfTheWidth) {
  struct Case {
    int32_t width;
    double first, last;
  } cases[] = {{20, 0, 100}, {-20, -10, 110}};
  for (const Case& c : cases) {
    Outline o = OutlineOf({{0, 0}, {100, 0}}, c.width);
    ASSERT_EQ(o.x.size(), 4u);
    EXPECT_DOUBLE_EQ(o.x[0], c.first) << c.width;
    EXPECT_DOUBLE_EQ(o.x[1], c.first) << c.width;
    EXPECT_DOUBLE_EQ(o.x[2], c.last) << c.width;
    EXPECT_DOUBLE_EQ(o.x[3], c.last) << c.width;
  }
}

TEST_F(RenderFixture, NegativeWidthPathIsDrawnPastItsEndVertex) {
  View(0, 0, 1000);
  AddPath(1, -40, {{-200, 0}, {200, 0}});
  DrawPathObj(1, -1);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  int maxx = -100000, minx = 100000;
  for (auto& p : polys[0]->pts) {
    maxx = std::max(maxx, p.x);
    minx = std::min(minx, p.x);
  }
  EXPECT_EQ(minx, 500 - 220);
  EXPECT_EQ(maxx, 500 + 220);
}

TEST_F(RenderFixture, PathOfTheMostVerticesIsDrawnWhole) {
  // 1024 vertices, every joint a hairpin: each of the 1022 bevelled, 4092 outline
  // points, twice what a 2048-point buffer holds.
  Pts pts;
  for (int i = 0; i < 1024; ++i) pts.push_back({i * 10, (i % 2) * 10000});
  View(5000, 5000, 12000);
  AddPath(1, 4, pts);
  Rd.ctrl = 1;  // draw it wide whatever the zoom
  DrawPathObj(1, -1);
  EXPECT_EQ((int)Rd.wx.size(), 4092);
  EXPECT_EQ(Ops(REC_LINE).size(), 4092u);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  // The far end of the path is in the fill.
  int maxx = 0;
  for (auto& p : polys[0]->pts) maxx = std::max(maxx, p.x);
  EXPECT_GE(maxx, 500 + (int)((10230 - 5000) * (1000.0 / 12000)) - 1);
}

TEST_F(RenderFixture, ThinPathIsAPolylineAndOpenPolygonIsNotFilled) {
  AddPath(1, 0, {{0, 0}, {100, 0}, {100, 100}});
  AddPath(2, 0, {{0, 0}, {100, 0}, {100, 100}, {0, 0}});
  DrawPathObj(1, -1);
  EXPECT_EQ(Ops(REC_LINE).size(), 2u);
  EXPECT_TRUE(Ops(REC_POLYGON).empty());
  DrawPathObj(2, -1);
  EXPECT_EQ(Ops(REC_LINE).size(), 5u);
  EXPECT_EQ(Ops(REC_POLYGON).size(), 1u);
}

TEST_F(RenderFixture, SelectedSegmentsAreDrawnInTheSelectionColour) {
  MainSetup.attr[0].dash = 1;
  AddPath(1, 0, {{0, 0}, {100, 0}}, VERTEX_SELECTED);
  AddPath(1, 0, {{0, 50}, {100, 50}});
  DrawPathObj(1, -1);
  DrawPathObj(2, -1);
  auto lines = Ops(REC_LINE);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]->paint.colour, 15);
  EXPECT_EQ(lines[0]->paint.style, 0);
  EXPECT_EQ(lines[1]->paint.colour, 1);
  EXPECT_EQ(lines[1]->paint.style, 1);
}

}  // namespace
