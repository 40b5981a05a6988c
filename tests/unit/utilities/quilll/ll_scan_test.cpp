// Boxes, polygons and wide paths into the scan map, the rounding question,
// and the walk as this tool uses it.
#include <string>

#include "drc_memsrc.h"
#include "host_record.h"
#include "ll_test_support.h"

namespace {

std::vector<std::string> Asked;
int Answer = LL_RND_IGNORE;
int AskRound(const char* text) {
  Asked.push_back(text);
  return Answer;
}

struct ScanTest : ::testing::Test {
  void SetUp() override {
    st = LlFresh(1);
    st->layer = 1;
    st->ops.roundoff = AskRound;
    Asked.clear();
    Answer = LL_RND_IGNORE;
    LlMapClear(st->scan);
  }
  void Box(int32_t l, int32_t b, int32_t r, int32_t t) { LlScanBox(*st, {1, l, b, r, t}, -1); }
  void Path(std::vector<int32_t> xy, int32_t w) {
    CwPathRec p = {1, w, (int32_t)(xy.size() / 2), xy.data()};
    LlScanPath(*st, p, -1);
  }
  std::string Rows(int x0, int x1, int y0, int y1) {
    std::string s;
    for (int y = y1; y >= y0; --y) {
      for (int x = x0; x <= x1; ++x) s += LlMapBitGet(st->scan, x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  std::unique_ptr<LlState> st;
};

TEST_F(ScanTest, BoxCoversItsTopRowUntilTrimmed) {
  Box(0, 0, 10, 10);
  EXPECT_EQ(LlMapCount(st->scan), 110);
  EXPECT_EQ(LlMapBitGet(st->scan, 9, 10), 1);
  EXPECT_EQ(LlMapBitGet(st->scan, 10, 0), 0);
  LlMapTrimTops(st->scan);
  EXPECT_EQ(LlMapCount(st->scan), 100);
  EXPECT_EQ(LlMapBitGet(st->scan, 9, 9), 1);
  // Flat boxes, another layer and boxes wholly beside the area set nothing.
  LlMapClear(st->scan);
  Box(3, 4, 9, 4);
  Box(3, 4, 3, 9);
  LlScanBox(*st, {2, 0, 0, 10, 10}, -1);
  Box(-20, 0, -10, 10);
  Box(0, 2000, 10, 2010);
  EXPECT_EQ(LlMapCount(st->scan), 0);
  EXPECT_TRUE(Asked.empty());
}

TEST_F(ScanTest, RoundingIsAskedHalfACellOffTheGrid) {
  struct Case {
    int32_t x;
    size_t asked;
  } cases[] = {{24, 0}, {25, 3}, {-7, 3}};  // 2.4, 2.5 and -0.7 map cells of 10 units
  for (const Case& c : cases) {
    st = LlFresh(10);
    st->layer = 1;
    st->ops.roundoff = AskRound;
    Asked.clear();
    Box(c.x, 0, 100, 100);
    EXPECT_EQ(Asked.size(), c.asked) << c.x;  // one question per corner converted (the first twice)
  }
  EXPECT_EQ(Asked[0], "Warning ...\n\n Rounding Occurred at  X=-0.007  Y=0");
  // Ignore All stops the questions; Abort stops the object and the run.
  Asked.clear();
  Answer = LL_RND_ALL;
  Box(25, 0, 100, 100);
  Box(35, 0, 100, 100);
  EXPECT_EQ(Asked.size(), 1u);
  st = LlFresh(10);
  st->layer = 1;
  st->ops.roundoff = AskRound;
  Answer = LL_RND_ABORT;
  Box(25, 0, 100, 100);
  EXPECT_EQ(st->abortFlag, 1);
  EXPECT_EQ(LlMapCount(st->scan), 0);
  // Ignore Paths is quiet only for wide paths.
  st = LlFresh(10);
  st->layer = 1;
  st->ops.roundoff = AskRound;
  Asked.clear();
  Answer = LL_RND_PATHS;
  Path({5, 5, 105, 5}, 20);
  size_t afterPath = Asked.size();
  Path({5, 5, 105, 5}, 20);
  EXPECT_EQ(Asked.size(), afterPath);
  Box(25, 0, 100, 100);
  EXPECT_GT(Asked.size(), afterPath);
  st->abortFlag = 0;
}

TEST_F(ScanTest, PolygonCrossings) {
  // A triangle with its apex on row 6: the apex gives no crossing (a local
  // top), the vertex in the middle of a monotone side gives one.
  Path({0, 0, 12, 0, 6, 6, 0, 0}, 0);
  EXPECT_EQ(Rows(0, 12, 0, 6),
            ".............\n"
            ".....##......\n"
            "....####.....\n"
            "...######....\n"
            "..########...\n"
            ".##########..\n"
            "############.\n");
  LlMapClear(st->scan);
  Path({0, 0, 6, 0, 6, 3, 6, 6, 0, 6, 0, 0}, 0);  // (6,3) in the middle of a side
  EXPECT_EQ(LlMapCount(st->scan), 6 * 7);
  // An open zero-width path covers nothing.
  LlMapClear(st->scan);
  Path({0, 0, 10, 0, 10, 10, 0, 10}, 0);
  EXPECT_EQ(LlMapCount(st->scan), 0);
}

TEST_F(ScanTest, WidePaths) {
  struct Case {
    const char* what;
    std::vector<int32_t> xy;
    int32_t w;
    int64_t l, b, r, t;  // box of set cells (inclusive rows)
  } cases[] = {
      {"square ends", {10, 20, 50, 20}, 8, 10, 16, 49, 24},
      {"extended ends", {10, 20, 50, 20}, -8, 6, 16, 53, 24},
      {"vertical", {30, 10, 30, 40}, 6, 27, 10, 32, 40},
  };
  for (const Case& c : cases) {
    LlMapClear(st->scan);
    Path(c.xy, c.w);
    EXPECT_EQ(LlMapCount(st->scan), (c.r - c.l + 1) * (c.t - c.b + 1)) << c.what;
    EXPECT_EQ(LlMapBitGet(st->scan, c.l, c.b), 1) << c.what;
    EXPECT_EQ(LlMapBitGet(st->scan, c.r, c.t), 1) << c.what;
  }
  // A 180-degree turn: the joint is bevelled, so the next segment starts
  // with two more points, and nothing spills beyond the width.
  LlMapClear(st->scan);
  Path({10, 20, 50, 20, 30, 20}, 8);
  EXPECT_EQ(st->npt, 8);
  int64_t inside = 0;
  for (int y = 16; y <= 24; ++y)
    for (int x = 6; x <= 54; ++x) inside += LlMapBitGet(st->scan, x, y);
  EXPECT_GT(inside, 0);
  EXPECT_EQ(LlMapCount(st->scan), inside);
}

TEST_F(ScanTest, LongestPathIsKeptWhole) {
  // 1040 vertices in a row: the outline holds 2080 points and must not be
  // cut short, or the far end of the path would be lost.
  std::vector<int32_t> xy;
  for (int i = 0; i < 1040; ++i) {
    xy.push_back(i);
    xy.push_back(300);
  }
  Path(xy, 4);
  EXPECT_EQ(st->npt, 2 * 1040);
  EXPECT_EQ(LlMapBitGet(st->scan, 1020, 300), 1);
  EXPECT_EQ(LlMapBitGet(st->scan, 1, 300), 1);
  EXPECT_EQ(LlMapCount(st->scan), 1024 * 5);
}

TEST(LlWalk, PlacedCellOutsideTheAreaIsNeverRead) {
  auto st = LlFresh(1);
  DrcMemDrawing d;
  int a = DrcMemAddCell(d, "A");
  DrcMemReadTlc(d, a, "<B>\n1 0 0 10 10\n</B>\n");
  int far = DrcMemAddCell(d, "FAR");
  DrcMemReadTlc(d, far, "<B>\n1 0 0 10 10\n</B>\n");
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top, "<C>\nA\n0 5 5 0\n</C>\n<C>\nFAR\n0 50000 0 0\n</C>\n<C>\nGHOST\n0 0 0 0\n</C>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  st->src = &d.src;
  st->mainCell = top;
  st->layer = 1;
  CwForget(st->walk);
  LlScanLayer(*st);
  EXPECT_EQ(d.reads, 2);  // A and the main cell
  EXPECT_EQ(LlMapCount(st->scan), 110);
  EXPECT_EQ(LlMapBitGet(st->scan, 5, 5), 1);
}

TEST(LlWalk, RanksMustFallAlongTheWalk) {
  // A cell whose listed rank is not below its parent's is not entered.
  auto st = LlFresh(1);
  DrcMemDrawing d;
  int a = DrcMemAddCell(d, "A");
  DrcMemReadTlc(d, a, "<B>\n1 0 0 10 10\n</B>\n");
  int mid = DrcMemAddCell(d, "MID");
  DrcMemReadTlc(d, mid, "<C>\nA\n0 0 0 0\n</C>\n");
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top, "<C>\nMID\n0 0 0 0\n</C>\n");
  DrcMemFinish(d);
  d.cells[a - 1].rank = 2;  // as high as MID
  DrcMemSource(d);
  st->src = &d.src;
  st->mainCell = top;
  st->layer = 1;
  LlScanLayer(*st);
  EXPECT_EQ(LlMapCount(st->scan), 0);
  d.cells[a - 1].rank = 1;
  CwForget(st->walk);
  LlScanLayer(*st);
  EXPECT_EQ(LlMapCount(st->scan), 110);
}

}  // namespace
