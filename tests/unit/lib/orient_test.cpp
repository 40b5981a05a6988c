#include "orient.h"

#include <gtest/gtest.h>

namespace {

struct Mat {
  int a, b, c, d;
};

Mat Mul(Mat p, Mat q) {
  return {p.a * q.a + p.b * q.c, p.a * q.b + p.b * q.d, p.c * q.a + p.d * q.c, p.c * q.b + p.d * q.d};
}

// Each code built from first principles: mirror about the x axis for codes
// 4..7, then (code & 3) counter-clockwise quarter turns.
Mat Reference(int code) {
  const Mat turn = {0, -1, 1, 0};
  Mat m = (code >= 4) ? Mat{1, 0, 0, -1} : Mat{1, 0, 0, 1};
  for (int i = 0; i < (code & 3); ++i) m = Mul(turn, m);
  return m;
}

TEST(Orient, EachCodeMovesPointsAsTheTableSays) {
  // The table as users read it: where (x, y) goes under each code.
  struct Case {
    int code;
    int64_t ex, ey;  // image of (3, 7)
  } cases[] = {
      {0, 3, 7}, {1, -7, 3}, {2, -3, -7}, {3, 7, -3},
      {4, 3, -7}, {5, 7, 3}, {6, -3, 7}, {7, -7, -3},
  };
  for (const Case& c : cases) {
    int64_t x, y;
    OrientPoint(c.code, 3, 7, &x, &y);
    EXPECT_EQ(x, c.ex) << "code " << c.code;
    EXPECT_EQ(y, c.ey) << "code " << c.code;
    Mat r = Reference(c.code);
    EXPECT_EQ(x, r.a * 3 + r.b * 7) << "code " << c.code;
    EXPECT_EQ(y, r.c * 3 + r.d * 7) << "code " << c.code;
  }
}

TEST(Orient, CompositionMatchesMatrixProductForAllPairs) {
  for (int outer = 0; outer < 8; ++outer) {
    for (int inner = 0; inner < 8; ++inner) {
      Mat want = Mul(Reference(outer), Reference(inner));
      Mat got = Reference(OrientCompose(outer, inner));
      EXPECT_TRUE(want.a == got.a && want.b == got.b && want.c == got.c && want.d == got.d)
          << "outer " << outer << " inner " << inner << " gave " << OrientCompose(outer, inner);
    }
  }
}

TEST(Orient, InverseUndoesEveryCode) {
  for (int code = 0; code < 8; ++code) EXPECT_EQ(OrientCompose(OrientInverse(code), code), 0) << code;
}

TEST(Orient, ExtremeCoordinatesDoNotOverflow) {
  int64_t x, y;
  OrientPoint(2, INT32_MIN, INT32_MIN, &x, &y);
  EXPECT_EQ(x, -(int64_t)INT32_MIN);
  EXPECT_EQ(y, -(int64_t)INT32_MIN);
}

}  // namespace
