#include "rubber.h"

#include <gtest/gtest.h>

namespace {

TEST(Rubber, FiguresFromAnchorToCursor) {
  RubberReset();
  Rubber.ax = 100;
  Rubber.ay = 50;
  Rubber.tx = 300;
  Rubber.ty = 60;

  Rubber.kind = FIG_NONE;
  RubberFig f = RubberFigureAt(10, 10);
  EXPECT_EQ(f.n, 0);
  EXPECT_EQ(f.isRect, 0);

  Rubber.kind = FIG_LINE;
  f = RubberFigureAt(10, 20);
  ASSERT_EQ(f.n, 2);
  EXPECT_EQ(f.pts[0][0], 100);
  EXPECT_EQ(f.pts[1][1], 20);

  Rubber.kind = FIG_TWO_LINES;
  f = RubberFigureAt(10, 20);
  ASSERT_EQ(f.n, 3);
  EXPECT_EQ(f.pts[1][0], 10);
  EXPECT_EQ(f.pts[2][0], 300);

  // Corners ordered whichever way the cursor went; right and bottom included.
  Rubber.kind = FIG_RECT;
  struct Case {
    int x, y, l, t, r, b;
  } cases[] = {{150, 80, 100, 50, 151, 81}, {20, 10, 20, 10, 101, 51}, {100, 50, 100, 50, 101, 51}};
  for (const Case& c : cases) {
    f = RubberFigureAt(c.x, c.y);
    ASSERT_EQ(f.isRect, 1);
    EXPECT_EQ(f.rect[0], c.l);
    EXPECT_EQ(f.rect[1], c.t);
    EXPECT_EQ(f.rect[2], c.r);
    EXPECT_EQ(f.rect[3], c.b);
  }
}

TEST(Rubber, PlacementOutlineFollowsTheCursor) {
  RubberReset();
  PlaceOutlineCalc(-100, -50, 200, 150, 0.5, 0.5);
  Rubber.kind = FIG_PLACE;
  RubberFig f = RubberFigureAt(400, 300);
  ASSERT_EQ(f.isRect, 1);
  EXPECT_EQ(f.rect[0], 350);  // left of the cursor
  EXPECT_EQ(f.rect[1], 325);  // bottom edge below it on screen
  EXPECT_EQ(f.rect[2], 500);
  EXPECT_EQ(f.rect[3], 225);
}

TEST(Rubber, BoxOrderSwapsEachAxis) {
  int32_t l = 5, b = 9, r = -5, t = 1;
  BoxOrder(&l, &b, &r, &t);
  EXPECT_EQ(l, -5);
  EXPECT_EQ(r, 5);
  EXPECT_EQ(b, 1);
  EXPECT_EQ(t, 9);
}

}  // namespace
