#include <gtest/gtest.h>

#include "ckt_support.h"
#include "orient.h"

namespace {

using namespace ckttest;

// Orientation codes as plain 2x2 matrices, independent of the library.
struct M { int a, b, c, d; };
M Mat(int code) {
  M r{1, 0, 0, 1};
  if (code >= 4) r = M{1, 0, 0, -1};  // mirror y first
  for (int k = 0; k < (code & 3); k++) r = M{-r.c, -r.d, r.a, r.b};  // then quarter turns
  return r;
}
void Apply(const M& m, int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
  *ox = m.a * x + m.b * y;
  *oy = m.c * x + m.d * y;
}

TEST(CktStore, PlacementStackTwoLevelsDeepForAllOrientations) {
  for (int o0 = 0; o0 < 8; o0++)
    for (int o1 = 0; o1 < 8; o1++) {
      Engine e;
      CktState& st = e.st;
      StandardTrace(st);
      CellTableAdd(st, "TOP", 3, 0, 0, 100, 100, 0, 0, 0, 1);
      CellTableAdd(st, "MID", 2, -10, -20, 30, 40, 0, 0, 0, 1);
      CellTableAdd(st, "LEAF", 1, 0, 0, 5, 5, 1, 0, 0, 0);
      TlcMakeC(st, 0, "MID", o0, 1000, 2000, 0);
      TlcMakeC(st, 1, "LEAF", o1, 30, 70, 0);
      InstanceFetch(st, 0, 1);
      InstanceFetch(st, 1, 1);
      // A box corner (3, 4) of LEAF and its placement through MID into TOP.
      int32_t x = 3, y = 4;
      PlaceTransform(st, 1, st.store->accX, st.store->accY, &x, &y);
      int64_t ix, iy, ox, oy;
      Apply(Mat(o1), 3, 4, &ix, &iy);
      ix += 30;
      iy += 70;
      Apply(Mat(o0), ix, iy, &ox, &oy);
      EXPECT_EQ(x, ox + 1000) << o0 << " " << o1;
      EXPECT_EQ(y, oy + 2000) << o0 << " " << o1;
      // Composed once for placing many points: the same places, clamped
      // alike at both ends of the range.
      for (int64_t dx : {(int64_t)st.store->accX, (int64_t)INT32_MAX - 5, (int64_t)INT32_MIN + 5}) {
        int32_t px = 3, py = -4, qx, qy;
        CktPlacing t;
        PlacingOf(st, 1, dx, -dx, &t);
        PlacingApply(t, 3, -4, &qx, &qy);
        PlaceTransform(st, 1, dx, -dx, &px, &py);
        EXPECT_EQ(qx, px) << o0 << " " << o1 << " " << dx;
        EXPECT_EQ(qy, py) << o0 << " " << o1 << " " << dx;
      }
      // The level-0 area is the cell's extent turned and moved.
      int64_t ax, ay, bx, by;
      Apply(Mat(o0), -10, -20, &ax, &ay);
      Apply(Mat(o0), 30, 40, &bx, &by);
      const CktPlace& p = st.store->place[0];
      EXPECT_EQ(p.left, std::min(ax, bx) + 1000);
      EXPECT_EQ(p.top, std::max(ay, by) + 2000);
      EXPECT_EQ(st.store->place[1].rank, 1);
      EXPECT_STREQ(st.store->place[1].name, "LEAF");
    }
}

TEST(CktStore, TextOfSeventeenCharactersTakesThreeCharacterVertices) {
  Engine e;
  CktState& st = e.st;
  int32_t t = Text(st, L_NODE, 5, 6, "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ(st.store->nv, 4);  // position and three character vertices
  EXPECT_EQ(st.store->nt, 1);
  EXPECT_LT(PathGet(st, 0, t), 0);
  EXPECT_EQ((PathGet(st, 0, t) >> 17) & 7, 0);
  char buf[100];
  TextOfPath(st, t, 10, buf, sizeof buf);
  EXPECT_STREQ(buf, "ABCDEFGHIJKLMNOPQ");
  CktVertex* v = VtxRec(st, 2);
  EXPECT_EQ((uint32_t)v->x, 0x41424344u);  // first character in the highest byte
  EXPECT_LT(v->owner, 0);
  EXPECT_EQ(VtxRec(st, 4)->next, 0);
}

TEST(CktStore, InstancesOfUnknownCellsGetIndexZero) {
  Engine e;
  CktState& st = e.st;
  CellTableAdd(st, "INV", 2, 0, 0, 1, 1, 0, 0, 0, 1);
  TlcMakeC(st, 0, "inv", 5, 1, 2, 1);
  TlcMakeC(st, 0, "NOPE", 0, 1, 2, 0);
  EXPECT_EQ(getA(st, 0, 0, 1) & 0x3fff, 1);
  EXPECT_EQ((getA(st, 0, 0, 1) >> 17) & 7, 5);
  EXPECT_EQ((getA(st, 0, 0, 1) >> 15) & 1, 1);
  EXPECT_EQ(getA(st, 0, 0, 2) & 0x3fff, 0);
  EXPECT_STREQ(InstanceCell(st, 0, 2)->name, "");
  EXPECT_STREQ(InstanceCell(st, 0, 1)->name, "INV");
  EXPECT_EQ(getA(st, 0, 0, 2000000), 0);
}

TEST(CktStore, LimitHitIsCountedAndClearedForTheNextRun) {
  Engine e;
  CktState& st = e.st;
  st.store->nb = CKT_MAX_BOXES;  // as if the store were full
  EXPECT_EQ(TlcMakeB(st, 7, 0, 0, 1, 1), 0);
  EXPECT_EQ(st.store->bLim, 1);
  EXPECT_EQ(e.Count("TLC Boxes Exceed Limit ... Load Aborted"), 1);
  EXPECT_EQ(st.run.errCount, 1);
  st.store->nb = 0;
  StoreRunBegin(st);
  CktRunBegin(st);
  EXPECT_EQ(st.store->bLim, 0);
  EXPECT_EQ(TlcMakeB(st, 7, 0, 0, 1, 1), 1);
  EXPECT_EQ(st.run.errCount, 0);
}

TEST(CktStore, InstanceLimitTestsTheBankBeingFilled) {
  Engine e;
  CktState& st = e.st;
  CellTableAdd(st, "INV", 2, 0, 0, 1, 1, 0, 0, 0, 1);
  st.store->bankCount[3] = CKT_MAX_INSTANCES;
  EXPECT_EQ(TlcMakeC(st, 3, "INV", 0, 0, 0, 0), 0);
  EXPECT_EQ(e.Count("TLC Cells Exceed Limit ... Load Aborted"), 1);
  st.store->bankCount[3] = 0;
  StoreRunBegin(st);
  EXPECT_EQ(TlcMakeC(st, 0, "INV", 0, 0, 0, 0), 1);
  EXPECT_EQ(TlcMakeC(st, 3, "INV", 0, 0, 0, 0), 1);
}

TEST(CktStore, PathsAndBoxesAreStoredAsGiven) {
  Engine e;
  CktState& st = e.st;
  int32_t b = Box(st, L_METAL1, 10, 20, 0, 5);  // corners the wrong way round
  EXPECT_EQ(BoxRec(st, b)->left, 0);
  EXPECT_EQ(BoxRec(st, b)->top, 20);
  int32_t p = Path(st, L_METAL1, 4, {{0, 0}, {5, 0}, {5, 5}});
  EXPECT_EQ(PathGet(st, 2, p), 1);
  EXPECT_EQ(VtxRec(st, 3)->next, 0);
  EXPECT_EQ(VtxRec(st, 2)->owner, p);
  EXPECT_EQ(PathGet(st, 3, p), 0);
  EXPECT_EQ(PathGet(st, 1, 0), 0);
}

}  // namespace
