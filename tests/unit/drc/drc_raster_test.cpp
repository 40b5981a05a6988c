// Boxes, polygons and wide paths into pixels, and the hierarchy walk.
#include "drc_raster.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "drc_map.h"
#include "drc_memsrc.h"
#include "drc_state.h"
#include "host_record.h"

namespace {

class RasterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MapAlloc(st), 1);
    Area(0, 0, 1);
    st.ras.layer = 1;
    MapClear(st, st.maps.W);
    MapClear(st, st.maps.R);
  }
  void Area(int64_t l, int64_t b, double res) {
    st.ras.areaL = l;
    st.ras.areaB = b;
    st.ras.res = res;
    st.ras.areaR = l + (int64_t)(st.maps.mapw * res);
    st.ras.areaT = b + (int64_t)(st.maps.maph * res);
  }
  void Path(std::vector<int32_t> xy, int32_t width, int layer = 1) {
    DrcPathRec p = {(uint32_t)layer, width, (int32_t)(xy.size() / 2), xy.data()};
    MapPath(st, p, -1);
  }
  std::string Rows(int x0, int x1, int y0, int y1) {
    std::string s;
    for (int y = y1; y >= y0; --y) {
      for (int x = x0; x <= x1; ++x) s += MapGet(st, st.maps.W, x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  bool OnlyRect(int l, int b, int r, int t) {  // pixels l..r-1, b..t-1
    return MapCount(st, st.maps.W) == (int64_t)(r - l) * (t - b) && MapGet(st, st.maps.W, l, b) && MapGet(st, st.maps.W, r - 1, t - 1);
  }
  DrcState st;
};

TEST_F(RasterTest, BoxesKeepLeftAndBottomEdges) {
  MapBox(st, {1, 0, 0, 10, 10}, -1);
  EXPECT_TRUE(OnlyRect(0, 0, 10, 10));
  MapClear(st, st.maps.W);
  MapBox(st, {2, 0, 0, 10, 10}, -1);  // another layer
  EXPECT_EQ(MapCount(st, st.maps.W), 0);
  MapBox(st, {1, 3, 4, 9, 4}, -1);  // bottom and top on one row: that row
  EXPECT_EQ(MapCount(st, st.maps.W), 6);
  EXPECT_EQ(MapGet(st, st.maps.W, 3, 4), 1);
  MapClear(st, st.maps.W);
  MapBox(st, {1, 5, 0, 5, 9}, -1);  // left and right on one column: nothing
  EXPECT_EQ(MapCount(st, st.maps.W), 0);
  MapBox(st, {1, 3, 4, 9, 5}, -1);  // one row high: that row, not its top edge too
  EXPECT_EQ(MapCount(st, st.maps.W), 6);
  EXPECT_EQ(MapGet(st, st.maps.W, 3, 5), 0);
  MapClear(st, st.maps.W);
  Path({3, 4, 9, 4, 9, 5, 3, 5, 3, 4}, 0);
  EXPECT_EQ(MapCount(st, st.maps.W), 6);
  MapClear(st, st.maps.W);
  // An L whose foot is one row high.
  Path({0, 0, 10, 0, 10, 1, 2, 1, 2, 6, 0, 6, 0, 0}, 0);
  EXPECT_EQ(MapCount(st, st.maps.W), 10 + 5 * 2);
  MapClear(st, st.maps.W);
}

TEST_F(RasterTest, RandomBoxesMatchThePixelRule) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> c(-400, 1400), s(1, 300);
  Area(-50, -30, 2.5);
  for (int i = 0; i < 200; ++i) {
    MapClear(st, st.maps.W);
    int l = c(rng), b = c(rng), r = l + s(rng), t = b + s(rng);
    MapBox(st, {1, l, b, r, t}, -1);
    auto px = [](double v) { return DrcNearest(v); };
    int64_t pl = px((l + 50) / 2.5), pr = px((r + 50) / 2.5), pb = px((b + 30) / 2.5), pt = px((t + 30) / 2.5);
    int64_t cl = std::max<int64_t>(pl, 0), cr = std::min<int64_t>(pr, st.maps.mapw);
    int64_t cb = std::max<int64_t>(pb, 0), ct = std::min<int64_t>(pt, st.maps.maph);
    int64_t want = (cr > cl && ct > cb) ? (cr - cl) * (ct - cb) : 0;
    // Flat: its one row.
    if (pb == pt && pb >= 0 && pb < st.maps.maph && cr > cl) want = cr - cl;
    ASSERT_EQ(MapCount(st, st.maps.W), want) << l << " " << b << " " << r << " " << t;
    // The same rectangle as a closed polygon goes through the general fill.
    std::vector<uint64_t> box(st.maps.W.w, st.maps.W.w + (size_t)st.maps.stride * st.maps.maph);
    MapClear(st, st.maps.W);
    Path({l, b, r, b, r, t, l, t, l, b}, 0);
    std::vector<uint64_t> poly(st.maps.W.w, st.maps.W.w + (size_t)st.maps.stride * st.maps.maph);
    ASSERT_TRUE(box == poly) << l << " " << b << " " << r << " " << t;
  }
}

TEST_F(RasterTest, PolygonsDiamondAndOpenLines) {
  Path({5, 0, 10, 5, 5, 10, 0, 5, 5, 0}, 0);
  EXPECT_EQ(Rows(0, 10, 0, 10),
            "...........\n"
            "....##.....\n"
            "...####....\n"
            "..######...\n"
            ".########..\n"
            "##########.\n"
            ".########..\n"
            "..######...\n"
            "...####....\n"
            "....##.....\n"
            "...........\n");
  MapClear(st, st.maps.W);
  Path({5, 0, 10, 5, 5, 10, 0, 5}, 0);  // not closed: a line, nothing
  EXPECT_EQ(MapCount(st, st.maps.W), 0);
  Path({0, 0, 10, 0, 10, 10, 0, 10, 0, 0}, 0);  // a closed square fills
  EXPECT_TRUE(OnlyRect(0, 0, 10, 10));
}

TEST_F(RasterTest, WidePathEnds) {
  Area(-100, -100, 1);
  Path({0, 0, 10, 0}, 4);
  EXPECT_TRUE(OnlyRect(100, 98, 110, 102));  // x 0..9, y -2..1
  MapClear(st, st.maps.W);
  Path({0, 0, 10, 0}, -4);
  EXPECT_TRUE(OnlyRect(98, 98, 112, 102));  // x -2..11
  MapClear(st, st.maps.W);
  Path({0, 0, 0, 10}, 5);  // odd width loses one unit
  EXPECT_TRUE(OnlyRect(98, 100, 102, 110));
}

TEST_F(RasterTest, MitresOfBends) {
  Area(-100, -100, 1);
  Path({0, 0, 10, 0, 10, 10}, 4);
  EXPECT_EQ(st.ras.npt, 6);  // one mitre point on each side
  // The L covers its two legs including the outer corner square.
  EXPECT_EQ(MapGet(st, st.maps.W, 100 + 11, 100 - 2), 1);
  EXPECT_EQ(MapGet(st, st.maps.W, 100 + 12, 100 - 2), 0);
  MapClear(st, st.maps.W);
  Path({0, 0, 20, 0, 0, 4}, 4);  // sharper than 90 degrees: clipped join
  EXPECT_EQ(st.ras.npt, 8);
  // A path of the largest vertex count is drawn to its last vertex.
  MapClear(st, st.maps.W);
  std::vector<int32_t> zig;
  for (int i = 0; i < DRC_MAXV; ++i) {
    zig.push_back(i / 2 * 2);
    zig.push_back(i % 2 == 0 ? 0 : 300);
  }
  Area(-100, -100, 4);
  Path(zig, 2);
  EXPECT_EQ(st.ras.npt, 4 * (DRC_MAXV - 1) - 2 + 2);
  EXPECT_EQ(st.ras.ptX[st.ras.npt - 1], 1038 - 1);  // the last vertex's end
  EXPECT_EQ(st.ras.ptY[st.ras.npt - 1], 300);
}

TEST_F(RasterTest, SizeModeAndOverlapRecording) {
  st.ras.sizeMode = 1;
  Path({0, 0, 10, 0}, 4);
  Path({0, 0, 10, 0, 10, 10, 5, 15, 0, 10, 0, 0}, 0);  // six vertices
  EXPECT_EQ(MapCount(st, st.maps.W), 0);
  Path({0, 0, 10, 0, 10, 10, 0, 10, 0, 0}, 0);
  MapBox(st, {1, 20, 20, 30, 30}, -1);
  EXPECT_EQ(MapCount(st, st.maps.W), 200);
  st.ras.sizeMode = 0;
  MapClear(st, st.maps.W);
  st.ras.overlap = 1;
  MapBox(st, {1, 0, 0, 10, 10}, -1);
  MapBox(st, {1, 5, 5, 15, 15}, -1);
  st.ras.overlap = 0;
  EXPECT_EQ(MapCount(st, st.maps.R), 25);
  EXPECT_EQ(MapGet(st, st.maps.R, 5, 5), 1);
  EXPECT_EQ(MapCount(st, st.maps.W), 175);
}

// A cell A with a box, a path and a polygon, placed in all eight
// orientations two levels down, against a flat copy made with the same
// transforms: the same pixels.
TEST_F(RasterTest, HierarchyOfEightOrientationsEqualsItsFlatCopy) {
  DrcMemDrawing d;
  int a = DrcMemAddCell(d, "A");
  ASSERT_EQ(DrcMemReadTlc(d, a,
                          "<B>\n1 0 0 40 10\n</B>\n"
                          "<P>\n1 6 3\n0 20 30 20 30 50\n</P>\n"
                          "<P>\n1 0 4\n-10 -10 -5 -20 0 -10 -10 -10\n</P>\n"
                          "<T>\n1 10 1 0\n5 5\nTXT\n</T>\n"),
            0);
  int mid = DrcMemAddCell(d, "MID");
  std::string midText;
  for (int o = 0; o < 8; ++o)
    midText += "<C>\nA\n" + std::to_string(o) + " " + std::to_string(100 * o) + " 7 0\n</C>\n";
  ASSERT_EQ(DrcMemReadTlc(d, mid, midText.c_str()), 0);
  int top = DrcMemAddCell(d, "TOP");
  std::string topText;
  for (int o = 0; o < 8; ++o)
    topText += "<C>\nmid\n" + std::to_string(o) + " " + std::to_string(1000 * (o % 4)) + " " +
               std::to_string(1000 * (o / 4)) + " 0\n</C>\n";
  topText += "<B>\n1 -50 -50 -20 -20\n</B>\n";
  ASSERT_EQ(DrcMemReadTlc(d, top, topText.c_str()), 0);
  DrcMemFinish(d);
  EXPECT_EQ(d.cells[top - 1].rank, 3);

  // The flat copy, with the transforms written out by hand.
  DrcMemDrawing f;
  int flat = DrcMemAddCell(f, "FLAT");
  DrcMemCell& fc = f.cells[flat - 1];
  const DrcMemCell& ac = d.cells[a - 1];
  auto turn = [](int o, int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
    const int m[8][4] = {{1, 0, 0, 1},  {0, -1, 1, 0}, {-1, 0, 0, -1}, {0, 1, -1, 0},
                         {1, 0, 0, -1}, {0, 1, 1, 0},  {-1, 0, 0, 1},  {0, -1, -1, 0}};
    *ox = m[o][0] * x + m[o][1] * y;
    *oy = m[o][2] * x + m[o][3] * y;
  };
  for (int ot = 0; ot < 8; ++ot)
    for (int om = 0; om < 8; ++om) {
      auto place = [&](int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
        int64_t u, v;
        turn(om, x, y, &u, &v);
        u += 100 * om;
        v += 7;
        turn(ot, u, v, ox, oy);
        *ox += 1000 * (ot % 4);
        *oy += 1000 * (ot / 4);
      };
      for (const DrcBoxRec& b : ac.boxes) {
        int64_t x0, y0, x1, y1;
        place(b.l, b.b, &x0, &y0);
        place(b.r, b.t, &x1, &y1);
        fc.boxes.push_back({1, (int32_t)std::min(x0, x1), (int32_t)std::min(y0, y1), (int32_t)std::max(x0, x1),
                            (int32_t)std::max(y0, y1)});
      }
      for (const DrcMemPath& p : ac.paths) {
        DrcMemPath q = p;
        for (size_t i = 0; i + 1 < q.xy.size(); i += 2) {
          int64_t x, y;
          place(p.xy[i], p.xy[i + 1], &x, &y);
          q.xy[i] = (int32_t)x;
          q.xy[i + 1] = (int32_t)y;
        }
        fc.paths.push_back(q);
      }
    }
  fc.boxes.push_back({1, -50, -50, -20, -20});
  DrcMemFinish(f);

  for (double res : {10.0, 13.0}) {
    Area(-1500, -1500, res);
    DrcMemSource(d);
    st.ras.src = &d.src;
    st.ras.mainCell = top;
    DrcRasterForget(st);
    MapMainCell(st);
    std::vector<uint64_t> hier(st.maps.W.w, st.maps.W.w + (size_t)st.maps.stride * st.maps.maph);
    int64_t hierCount = MapCount(st, st.maps.W);
    DrcMemSource(f);
    st.ras.src = &f.src;
    st.ras.mainCell = flat;
    DrcRasterForget(st);
    MapMainCell(st);
    std::vector<uint64_t> flatMap(st.maps.W.w, st.maps.W.w + (size_t)st.maps.stride * st.maps.maph);
    EXPECT_GT(hierCount, 300);
    EXPECT_EQ(MapCount(st, st.maps.W), hierCount) << res;
    EXPECT_TRUE(hier == flatMap) << res;
  }
  EXPECT_EQ(st.g.stopCode, 0);
}

TEST_F(RasterTest, WalkReadsCellsOnceAndSkipsWhatMissesTheArea) {
  HostRecord& rec = HostRecordInstall();
  DrcMemDrawing d;
  int a = DrcMemAddCell(d, "A");
  DrcMemReadTlc(d, a, "<B>\n1 0 0 10 10\n</B>\n");
  int b = DrcMemAddCell(d, "SMALL");
  DrcMemReadTlc(d, b, "<B>\n1 0 0 5 5\n</B>\n");
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top,
                "<C>\nA\n0 0 0 0\n</C>\n<C>\nA\n0 20 0 0\n</C>\n<C>\nSMALL\n0 40 0 0\n</C>\n<C>\nA\n0 60 0 0\n</C>\n"
                "<C>\nA\n0 90000 0 0\n</C>\n<C>\nGHOST\n0 0 0 0\n</C>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  st.ras.src = &d.src;
  st.ras.mainCell = top;
  DrcRasterForget(st);
  MapMainCell(st);
  // A, A (no re-read), SMALL, A again, the main cell; the far A and the unknown
  // cell are never read.
  EXPECT_EQ(d.reads, 4);
  EXPECT_EQ(MapCount(st, st.maps.W), 3 * 100 + 25);
  // A second walk after Forget reads again (a changed cell is never stale).
  DrcRasterForget(st);
  MapMainCell(st);
  EXPECT_EQ(d.reads, 8);

  // 25 levels: the cell at level 24 is refused with stop code 3.
  DrcMemDrawing deep;
  int prev = DrcMemAddCell(deep, "L0");
  DrcMemReadTlc(deep, prev, "<B>\n1 0 0 5 5\n</B>\n");
  for (int i = 1; i <= 25; ++i) {
    int c = DrcMemAddCell(deep, ("L" + std::to_string(i)).c_str());
    DrcMemReadTlc(deep, c, ("<C>\nL" + std::to_string(i - 1) + "\n0 1 1 0\n</C>\n").c_str());
  }
  DrcMemFinish(deep);
  DrcMemSource(deep);
  st.ras.src = &deep.src;
  st.ras.mainCell = DrcMemFind(deep, "L25");
  DrcRasterForget(st);
  MapMainCell(st);
  EXPECT_EQ(st.g.stopCode, DRC_STOP_C_READ);
  ASSERT_FALSE(rec.messages.empty());
  EXPECT_EQ(rec.messages.back().caption, "TLC Read Error ...");
  EXPECT_EQ(rec.messages.back().text, "L1");
  HostRecordRemove();
}

}  // namespace
