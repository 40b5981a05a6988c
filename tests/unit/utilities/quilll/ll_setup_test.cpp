// Settings apply, the area grid and clip, and the word-parallel maps against
// a bit-by-bit reference.
#include <random>

#include "host_record.h"
#include "ll_test_support.h"

namespace {

struct ApplyCase {
  const char* what;
  std::vector<std::pair<int, std::string>> in;
  std::vector<std::pair<int, std::string>> slots;  // expected slot texts
};

TEST(LlSetup, ApplyNormalisesEverySlot) {
  const ApplyCase cases[] = {
      {"extension replaced", {{LL_TLC, "x.abc"}}, {{LL_TLC, "X.tlc"}}},
      {"extension added", {{LL_TLC, "x"}}, {{LL_TLC, "X.tlc"}}},
      {"empty result stays", {{LL_TLC, ""}}, {{LL_TLC, ""}}},
      {"layers clamped", {{LL_LAYRA, "0"}, {LL_LAYRB, "-3"}, {LL_LAYRC, "999"}},
       {{LL_LAYRA, "1"}, {LL_LAYRB, "0"}, {LL_LAYRC, "256"}}},
      {"empty layers", {{LL_LAYRA, ""}, {LL_LAYRB, ""}, {LL_LAYRC, ""}},
       {{LL_LAYRA, "1"}, {LL_LAYRB, "2"}, {LL_LAYRC, "3"}}},
      {"resolution below one unit", {{LL_RES, "0.0004"}}, {{LL_RES, "0.001um"}}},
      {"resolution rounded", {{LL_RES, "0.0016"}}, {{LL_RES, "0.002um"}}},
      {"poly factor at least 1", {{LL_RES, "1"}, {LL_PRES, "0.5"}}, {{LL_PRES, "1um"}}},
      {"poly factor at most 100", {{LL_RES, "1"}, {LL_PRES, "250"}}, {{LL_PRES, "100um"}}},
      {"right equal to left", {{LL_BL, "5"}, {LL_BR, "5"}}, {{LL_BR, "5.1um"}}},
      {"top equal to bottom", {{LL_BB, "-2"}, {LL_BT, "-2"}}, {{LL_BT, "-1.9um"}}},
      {"negative map time", {{LL_SHW, "-1"}}, {{LL_SHW, "0"}}},
      {"operation outside 0..2", {{LL_LOG, "7"}}, {{LL_LOG, "0"}}},
      {"flags", {{LL_POLY, "yes"}, {LL_VXR, "x"}}, {{LL_POLY, "YES"}, {LL_VXR, "N"}}},
      {"empty log name", {{LL_WR2, ""}}, {{LL_WR2, "Quilll.log"}}},
      {"minimum size", {{LL_SIZ, "-0.0046"}}, {{LL_SIZ, "0.005um"}}},
      {"cell upper-cased", {{LL_CLN, "inv"}}, {{LL_CLN, "INV"}}},
  };
  for (const ApplyCase& c : cases) {
    auto st = LlFresh();
    SetSlots(c.in);
    LlSetupApply(*st, 0);
    for (auto& e : c.slots) EXPECT_STREQ(UsfSlot(e.first), e.second.c_str()) << c.what;
  }
}

TEST(LlSetup, RunValues) {
  struct Case {
    std::vector<std::pair<int, std::string>> in;
    int64_t m;
    int factor, mapMs, op;
  } cases[] = {
      {{{LL_RES, "0.0016"}}, 2, 100, 0, 0},
      {{{LL_RES, "0.0016"}, {LL_PRES, "0.0031"}}, 2, 1, 0, 0},
      {{{LL_RES, "1.001"}}, 1001, 1, 0, 0},  // rounded, not cut to 1000
      {{{LL_RES, "0.002"}, {LL_PRES, "0.5"}}, 2, 100, 0, 0},
      {{{LL_SHW, "2"}, {LL_LOG, "2"}}, 1000, 1, 2000, 2},
      {{{LL_LOG, "-1"}}, 1000, 1, 0, 0},
  };
  for (const Case& c : cases) {
    auto st = LlFresh();
    SetSlots(c.in);
    LlSetupApply(*st, 0);
    EXPECT_EQ(st->set.m, c.m);
    EXPECT_EQ(st->set.polyFactor, c.factor);
    EXPECT_EQ(st->set.mapMs, c.mapMs);
    EXPECT_EQ(st->set.op, c.op);
  }
}

TEST(LlSetup, FitTakesTheCellExtentsOnce) {
  auto st = LlFresh();
  Cells.count = 1;
  snprintf(Cells.cell[1].name, sizeof Cells.cell[1].name, "INV");
  Cells.cell[1].flags = 1;
  Cells.cell[1].l = -500;
  Cells.cell[1].b = 0;
  Cells.cell[1].r = 2500;
  Cells.cell[1].t = 3000;
  EXPECT_EQ(LlFit(*st, "nosuch"), 0);
  ASSERT_EQ(LlFit(*st, "inv"), 1);
  LlSetupApply(*st, 0);
  EXPECT_STREQ(UsfSlot(LL_BL), "-0.5um");
  EXPECT_STREQ(UsfSlot(LL_BT), "3um");
  SetSlots({{LL_BT, "7"}});
  LlSetupApply(*st, 0);
  EXPECT_STREQ(UsfSlot(LL_BT), "7um");
}

TEST(LlSetup, CancelAfterFitRestoresCellAndBoundary) {
  auto st = LlFresh();
  Cells.count = 1;
  snprintf(Cells.cell[1].name, sizeof Cells.cell[1].name, "INV");
  Cells.cell[1].flags = 1;
  Cells.cell[1].r = 2500;
  Cells.cell[1].t = 3000;
  SetSlots({{LL_CLN, "TOP"}, {LL_BR, "7"}});
  LlSetupApply(*st, 0);
  LlSetupKeep(*st);
  SetSlots({{LL_CLN, "INV"}});
  ASSERT_EQ(LlFit(*st, "INV"), 1);
  LlSetupApply(*st, 0);
  EXPECT_STREQ(UsfSlot(LL_BR), "2.5um");
  LlSetupCancel(*st);
  EXPECT_STREQ(UsfSlot(LL_CLN), "TOP");
  EXPECT_STREQ(UsfSlot(LL_BR), "7um");
  EXPECT_STREQ(UsfSlot(LL_BT), "100um");
  EXPECT_DOUBLE_EQ(st->set.br, 7);
}

TEST(LlGrid, AreaCountAndClip) {
  struct Case {
    double br, bt;
    int64_t m;
    int64_t count;
  } cases[] = {
      {2.048, 1.024, 1, 2},
      {2.049, 1.024, 1, 3},
      {2.048, 1.025, 1, 4},
      {0.0011, 0.0011, 1, 1},
  };
  for (const Case& c : cases) {
    auto st = LlFresh(c.m);
    st->set.br = c.br;
    st->set.bt = c.bt;
    ASSERT_EQ(LlGridSet(*st), 1);
    EXPECT_EQ(LlAreaCount(*st, 0, 0), c.count) << c.br;
  }
  // The third column of 0,0,2049,1024 keeps one map column.
  auto st = LlFresh(1);
  st->set.br = 2.049;
  st->set.bt = 1.024;
  LlGridSet(*st);
  LlAreaSet(*st, 2, 0);
  LlMapFill(st->scan);
  LlMapClip(*st, st->scan);
  EXPECT_EQ(LlMapCount(st->scan), 1025);  // column 0 of rows 0..1024
  EXPECT_EQ(LlMapBitGet(st->scan, 0, 1023), 1);
  EXPECT_EQ(LlMapBitGet(st->scan, 1, 0), 0);
  // An area at the boundary's right edge is cleared whole.
  st->set.br = 2.048;
  LlGridSet(*st);
  LlMapFill(st->scan);
  LlMapClip(*st, st->scan);
  EXPECT_EQ(LlMapCount(st->scan), 0);
}

TEST(LlGrid, ClipOfLargeMapCellsDoesNotOverflow) {
  // m = 4096: (RL - L) x 1024 is 3e9, past 32 bits.
  auto st = LlFresh(4096);
  st->set.br = 3000;
  st->set.bt = 1e5;
  LlGridSet(*st);
  LlAreaSet(*st, 0, 0);
  LlMapFill(st->scan);
  LlMapClip(*st, st->scan);
  EXPECT_EQ(LlMapBitGet(st->scan, 731, 5), 1);
  EXPECT_EQ(LlMapBitGet(st->scan, 732, 5), 0);
}

TEST(LlGrid, BoundaryBeyondThirtyTwoBitsIsRefused) {
  auto st = LlFresh(1);
  st->set.br = 3e6;  // 3e9 units
  EXPECT_EQ(LlGridSet(*st), 0);
  st->set.br = 2e6;
  EXPECT_EQ(LlGridSet(*st), 1);
}

// The word-parallel operations against one bit at a time.
TEST(LlMaps, OperationsMatchBitByBit) {
  auto st = LlFresh();
  std::mt19937 rng(7);
  auto randomize = [&](LlMap& m) {
    for (int y = 0; y < LL_ROWS; ++y)
      for (int x = 0; x < LL_COLS; ++x) LlMapBitSet(m, x, y, (rng() % 5) < 2);
  };
  LlMap b;
  b.w = static_cast<uint32_t*>(calloc((size_t)LL_STRIPS * LL_STRIP_WORDS, 4));
  enum { AND, OR, XOR, NOT, COPY, TRIM, FILL, CLEAR };
  for (int op = AND; op <= CLEAR; ++op) {
    randomize(st->mapA);
    randomize(b);
    std::vector<int> ref((size_t)LL_COLS * LL_ROWS);
    for (int y = 0; y < LL_ROWS; ++y)
      for (int x = 0; x < LL_COLS; ++x) {
        int a = LlMapBitGet(st->mapA, x, y), v = LlMapBitGet(b, x, y), up = LlMapBitGet(st->mapA, x, y + 1);
        int r = 0;
        switch (op) {
          case AND: r = a & v; break;
          case OR: r = a | v; break;
          case XOR: r = a ^ v; break;
          case NOT: r = !a; break;
          case COPY: r = v; break;
          case TRIM: r = y == 1024 ? a : (a && up); break;
          case FILL: r = 1; break;
          case CLEAR: r = 0; break;
        }
        ref[(size_t)y * LL_COLS + x] = r;
      }
    switch (op) {
      case AND: LlMapAnd(st->mapA, b); break;
      case OR: LlMapOr(st->mapA, b); break;
      case XOR: LlMapXor(st->mapA, b); break;
      case NOT: LlMapNot(st->mapA); break;
      case COPY: LlMapCopy(st->mapA, b); break;
      case TRIM: LlMapTrimTops(st->mapA); break;
      case FILL: LlMapFill(st->mapA); break;
      case CLEAR: LlMapClear(st->mapA); break;
    }
    int bad = 0;
    for (int y = 0; y < LL_ROWS; ++y)
      for (int x = 0; x < LL_COLS; ++x) bad += LlMapBitGet(st->mapA, x, y) != ref[(size_t)y * LL_COLS + x];
    EXPECT_EQ(bad, 0) << op;
  }
  // Outside the map nothing is set or read.
  LlMapClear(st->mapA);
  LlMapBitSet(st->mapA, 1024, 0, 1);
  LlMapBitSet(st->mapA, 0, 1025, 1);
  LlMapBitSet(st->mapA, -1, 3, 1);
  EXPECT_EQ(LlMapCount(st->mapA), 0);
  EXPECT_EQ(LlMapBitGet(st->mapA, -1, 0), 0);
  free(b.w);
}

}  // namespace
