#include "view.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

// A 1000 x 500 pixel drawing area at the origin, centre (500, 250).
void Area1000x500() {
  ViewReset();
  View.area.left = 0;
  View.area.top = 0;
  View.area.right = 1000;
  View.area.bottom = 500;
  View.area.ox = 500;
  View.area.oy = 250;
  View.area.aspect = 0.5;
}

TEST(Round, NearestWithHalvesAwayFromZeroAndTheClamp) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double in;
    int32_t near, clamp;
  } cases[] = {
      {2.5, 3, 3},
      {-2.5, -3, -3},
      {0.49999, 0, 0},
      {-0.5, -1, -1},
      {1e12, INT32_MAX, 536870912},
      {-1e12, INT32_MIN, -536870912},
      {536870912.0, 536870912, 536870912},
      {536870911.4, 536870911, 536870911},
      {-536870913.0, -536870913, -536870912},
      {inf, 0, 536870912},
      {-inf, 0, -536870912},
      {nan, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundNear(c.in), c.near) << c.in;
    EXPECT_EQ(RoundClamp(c.in), c.clamp) << c.in;
  }
}

TEST(View, UpdateClampsWidthAndCentre) {
  struct Case {
    double w, cx, cy;
    double wantW, wantCx, wantCy;
  } cases[] = {
      {50, 0, 0, 100, 0, 0},
      {1000, 600000000, 0, 1000, 542239121.12, 0},
      {1000, -600000000, 0, 1000, -542239121.12, 0},
      {2e9, 0, 0, 1084479242.24, 0, 0},
      // The vertical limit uses half the width times the window aspect.
      {1000, 0, 600000000, 1000, 0, 542239621.12 - 250},
  };
  for (const Case& c : cases) {
    Area1000x500();
    View.width = c.w;
    View.cx = c.cx;
    View.cy = c.cy;
    ViewUpdate();
    EXPECT_DOUBLE_EQ(View.width, c.wantW);
    EXPECT_NEAR(View.cx, c.wantCx, 1e-6);
    EXPECT_NEAR(View.cy, c.wantCy, 1e-6);
  }
}

TEST(View, UpdateDerivesWindowScalesReadoutsAndThresholds) {
  Area1000x500();
  View.width = 10000;
  View.cx = 1000.7;
  View.cy = -500.7;
  ViewUpdate();
  EXPECT_EQ(View.cxi, 1000);
  EXPECT_EQ(View.cyi, -500);  // toward zero
  EXPECT_EQ(View.winLeft, -4000);
  EXPECT_EQ(View.winRight, 6000);
  EXPECT_EQ(View.winTop, 2000);
  EXPECT_EQ(View.winBottom, -3000);
  EXPECT_DOUBLE_EQ(View.sx, 0.1);
  EXPECT_DOUBLE_EQ(View.readX, 1.0);
  EXPECT_DOUBLE_EQ(View.readW, 10.0);
  EXPECT_EQ(View.objMin, 10);
  EXPECT_EQ(View.cellMin, 50);
}

TEST(View, EmptyAreaGivesNoDivisionByZero) {
  ViewReset();  // area 0 x 0, as for a minimised window
  View.width = 1000;
  ViewUpdate();
  EXPECT_TRUE(std::isfinite(View.sx));
  EXPECT_FALSE(GridSnap(10, 10));
  EXPECT_FALSE(CursorFree(10, 10));
  ViewFitExtents(0, 0, 100, 100);
  EXPECT_TRUE(std::isfinite(View.width));
}

TEST(View, FitUsesTheMarginAndTheGoverningSide) {
  Area1000x500();
  ViewFitExtents(0, 0, 100, 100);
  EXPECT_DOUBLE_EQ(View.width, 220);  // the height governs
  EXPECT_DOUBLE_EQ(View.cx, 50);
  EXPECT_DOUBLE_EQ(View.cy, 50);
  ViewFitExtents(-300, 0, 100, 10);
  EXPECT_NEAR(View.width, 440, 1e-9);  // the width governs
  EXPECT_DOUBLE_EQ(View.cx, -100);
}

TEST(View, ScreenPointsStayInsideTheClipRectangle) {
  Area1000x500();
  View.width = 1000;
  ViewUpdate();
  struct Case {
    int32_t x, y, px, py;
  } cases[] = {
      {0, 0, 500, 250},
      {100, 100, 600, 150},
      {536870912, 0, 1000, 250},
      {-536870912, -536870912, 0, 500},
      {0, 536870912, 500, 0},
  };
  for (const Case& c : cases) {
    int32_t px, py;
    ViewToScreen(c.x, c.y, &px, &py);
    EXPECT_EQ(px, c.px) << c.x << "," << c.y;
    EXPECT_EQ(py, c.py) << c.x << "," << c.y;
  }
}

TEST(View, GridSnapRoundsToTheGridAndKeepsTheMouseInsideTheArea) {
  Area1000x500();
  View.width = 1000;  // one unit per pixel
  ViewUpdate();
  View.grid = 100;
  struct Case {
    int mx, my;
    int32_t sx, sy, fx, fy;
  } cases[] = {
      {500, 250, 0, 0, 0, 0},
      {649, 100, 100, 200, 149, 150},
      {651, 100, 200, 200, 151, 150},
      {-50, 900, -500, -200, -499, -249},  // kept one pixel inside
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(GridSnap(c.mx, c.my));
    ASSERT_TRUE(CursorFree(c.mx, c.my));
    EXPECT_EQ(View.snapped.x, c.sx) << c.mx;
    EXPECT_EQ(View.snapped.y, c.sy) << c.my;
    EXPECT_EQ(View.freePt.x, c.fx) << c.mx;
    EXPECT_EQ(View.freePt.y, c.fy) << c.my;
  }
}

TEST(View, PolarSnapKeepsTheDistanceOnTheChosenAngle) {
  Area1000x500();
  View.togs |= TOG_POLAR;
  View.rubberShown = 1;
  View.step = 2;
  View.slot[1].x = 1000;
  View.slot[1].y = 1000;
  struct Case {
    double angle;
    int32_t x, y, wx, wy;
  } cases[] = {
      {0, 1300, 1400, 1500, 1000},   // horizontal, to the cursor's side
      {0, 700, 600, 500, 1000},
      {90, 1300, 1400, 1000, 1500},  // vertical
      {90, 700, 600, 1000, 500},
      // exactly left at 45 degrees: dy = 0 counts as up
      {45, 900, 1000, 929, 1071},
  };
  for (const Case& c : cases) {
    View.polarAngle = c.angle;
    ViewPoint p;
    p.x = c.x;
    p.y = c.y;
    PolarSnap(&p);
    EXPECT_EQ(p.x, c.wx) << c.angle;
    EXPECT_EQ(p.y, c.wy) << c.angle;
  }
  View.rubberShown = 0;  // no rubber band: no constraint
  ViewPoint p;
  p.x = 1234;
  p.y = 99;
  PolarSnap(&p);
  EXPECT_EQ(p.x, 1234);
}

TEST(View, PolarDialogResultIsTakenIntoRange) {
  struct Case {
    int ok;
    double in, angle;
    int on;
  } cases[] = {{1, 30, 30, 1}, {1, 120, 90, 1}, {1, -5, 0, 1}, {1, NAN, 0, 1}, {0, 30, 45, 0}};
  for (const Case& c : cases) {
    ViewReset();
    PolarSet(c.ok, c.in);
    EXPECT_DOUBLE_EQ(View.polarAngle, c.angle);
    EXPECT_EQ((View.togs & TOG_POLAR) != 0, c.on != 0);
  }
}

TEST(View, MeasureFromTheReference) {
  ViewReset();
  char text[128];
  View.freePt.x = 1000;
  View.freePt.y = 2000;
  EXPECT_EQ(Measure(1, 0, text, sizeof text), 1);  // reference marker
  EXPECT_EQ(Measure(0, 0, text, sizeof text), 0);
  EXPECT_STREQ(text, " dx=0  dy=0  dist=0  ang=-90");
  View.freePt.x = 4000;
  View.freePt.y = 6000;
  Measure(0, 0, text, sizeof text);
  EXPECT_STREQ(text, " dx=3  dy=4  dist=5  ang=53.13");
  // Ctrl chains: the reference moves to the last point and distances add.
  View.freePt.x = 4000;
  View.freePt.y = 7000;
  EXPECT_EQ(Measure(0, 1, text, sizeof text), 1);
  EXPECT_STREQ(text, " dx=0  dy=1  dist=6  ang=90");
  // Nothing while the just-drawn flag is set.
  View.justDrawn = 1;
  EXPECT_EQ(Measure(1, 0, text, sizeof text), -1);
  EXPECT_STREQ(text, "");
}

TEST(View, CursorReadoutForms) {
  ViewReset();
  View.slot[1].x = 1000;
  View.slot[1].y = 1000;
  ViewPoint p;
  p.x = 4000;
  p.y = 5000;
  struct Case {
    int toolClass, step;
    const char* cmd;
    const char* want;
  } cases[] = {
      {2, 2, "Add", " x=4  y=5   dx=3  dy=4   dist=5   ang=53.1301033"},
      {1, 2, "Add", " x=4  y=5   dx=3  dy=4"},  // narrow screens never show dist
      {3, 2, "Get", " x=4  y=5   dx=3  dy=4"},
      {3, 1, "Add", " x=4  y=5"},
      {3, 3, "Add", " x=4  y=5"},
      {3, 3, "Arc", " x=4  y=5   dx=4  dy=5   dist=6.40312424   ang=51.3401926"},
      {3, 4, "Get", " x=4  y=5   dx=4  dy=5   dist=6.40312424   ang=51.3401926"},
  };
  for (const Case& c : cases) {
    View.step = c.step;
    char text[200];
    CursorReadoutText(text, sizeof text, c.toolClass, c.cmd, p);
    EXPECT_EQ(std::string(text), c.want) << c.toolClass << " " << c.step << " " << c.cmd;
  }
}

TEST(View, TypedPointsRefuseNonFiniteAndOutOfRangeValues) {
  struct Case {
    double v, scale;
    int ok;
    int32_t out;
  } cases[] = {
      {1.2345, 1000, 1, 1235},
      {-0.0025, 1000, 1, -3},
      {536870.912, 1000, 1, 536870912},
      {536870.913, 1000, 0, 0},
      {-1e30, 1000, 0, 0},
      {NAN, 1000, 0, 0},
      {INFINITY, 1000, 0, 0},
      {1, NAN, 0, 0},
  };
  for (const Case& c : cases) {
    int32_t out = 0;
    EXPECT_EQ(TypedToDb(c.v, c.scale, &out), c.ok) << c.v;
    if (c.ok) {
      EXPECT_EQ(out, c.out) << c.v;
    }
  }
}

TEST(View, AngleOfAlongTheAxes) {
  EXPECT_DOUBLE_EQ(AngleOf(0, 0), -std::acos(0.0));
  EXPECT_DOUBLE_EQ(AngleOf(0, 2), std::acos(0.0));
  EXPECT_DOUBLE_EQ(AngleOf(-1, 0), std::acos(-1.0));
}

}  // namespace
