#include "pagedtable.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

// 8 records of 12 bytes on 100-byte pages, 4 pages, and a limit of 30 that
// stops short of the 32 records the pages could hold: the stores' limits do
// the same (5,000,000 boxes on pages that hold 5,000,025).
using Table = PagedTable<PagedFields<3>, 100, 8, 4, 30>;

struct FreshTable {
  Table t = {};
  ~FreshTable() { PagedFree(t); }
};

TEST(PagedTable, IndicesLandOnTheirPageAndSlot) {
  struct Case {
    int32_t n;
    int page, slot;
  } cases[] = {
      {1, 0, 0}, {8, 0, 7}, {9, 1, 0}, {16, 1, 7}, {17, 2, 0}, {25, 3, 0}, {30, 3, 5},
  };
  for (const Case& c : cases) {
    FreshTable f;
    int failed = 0;
    PagedFields<3>* r = PagedRec(f.t, c.n, &failed);
    ASSERT_NE(r, nullptr) << c.n;
    EXPECT_EQ(failed, 0) << c.n;
    ASSERT_NE(f.t.page[c.page], nullptr) << c.n;
    EXPECT_EQ(r, f.t.page[c.page] + c.slot) << c.n;
    for (int p = 0; p < 4; ++p) {
      if (p == c.page) continue;
      EXPECT_EQ(f.t.page[p], nullptr) << c.n << " made page " << p;
    }
    EXPECT_EQ(f.t.top, c.page + 1) << c.n;
  }
}

TEST(PagedTable, EveryIndexHasARecordOfItsOwn) {
  FreshTable f;
  int failed = 0;
  for (int32_t n = 1; n <= 30; ++n) {
    PagedFields<3>* r = PagedRec(f.t, n, &failed);
    ASSERT_NE(r, nullptr) << n;
    // A new page reads as zero: nothing stored yet.
    EXPECT_EQ(r->f[0] | r->f[1] | r->f[2], 0) << n;
    r->f[0] = n;
    r->f[2] = -n;
  }
  for (int32_t n = 1; n <= 30; ++n) {
    PagedFields<3>* r = PagedFind(f.t, n);
    ASSERT_NE(r, nullptr) << n;
    EXPECT_EQ(r->f[0], n);
    EXPECT_EQ(r->f[2], -n);
    EXPECT_EQ(PagedRec(f.t, n, &failed), r) << n;  // found again, not made again
  }
  EXPECT_EQ(failed, 0);
  EXPECT_EQ(f.t.top, 4);
}

TEST(PagedTable, FindMakesNothingAndRecMakesEachPageOnce) {
  FreshTable f;
  int failed = 0;
  EXPECT_EQ(PagedFind(f.t, 12), nullptr);
  EXPECT_EQ(f.t.page[1], nullptr);
  PagedFields<3>* r = PagedRec(f.t, 12, &failed);
  ASSERT_NE(r, nullptr);
  PagedFields<3>* page1 = f.t.page[1];
  EXPECT_EQ(PagedFind(f.t, 12), r);
  EXPECT_EQ(PagedFind(f.t, 9), page1);  // the same page serves its neighbours
  EXPECT_EQ(PagedFind(f.t, 8), nullptr);  // the page before was never made
  EXPECT_EQ(PagedRec(f.t, 16, &failed), page1 + 7);
  EXPECT_EQ(f.t.page[1], page1);
  EXPECT_EQ(f.t.top, 2);
  // Growth below the highest page keeps the highest.
  ASSERT_NE(PagedPage(f.t, 0, &failed), nullptr);
  EXPECT_EQ(f.t.top, 2);
  EXPECT_EQ(failed, 0);
}

TEST(PagedTable, IndicesAndPagesOutsideTheTableAreRefused) {
  struct Case {
    int32_t n;
  } cases[] = {{0}, {-1}, {31}, {32}, {33}, {INT32_MIN}, {INT32_MAX}};
  FreshTable f;
  int failed = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(PagedRec(f.t, c.n, &failed), nullptr) << c.n;
    EXPECT_EQ(PagedFind(f.t, c.n), nullptr) << c.n;
  }
  for (int i : {-1, 4, INT_MAX}) EXPECT_EQ(PagedPage(f.t, i, &failed), nullptr) << i;
  for (int p = 0; p < 4; ++p) EXPECT_EQ(f.t.page[p], nullptr) << p;
  EXPECT_EQ(f.t.top, 0);
  EXPECT_EQ(failed, 0);  // a refusal is not an allocation failure
  // The last page exists for its slots below the limit only.
  ASSERT_NE(PagedRec(f.t, 30, &failed), nullptr);
  EXPECT_EQ(PagedFind(f.t, 31), nullptr);
  EXPECT_EQ(PagedRec(f.t, 31, &failed), nullptr);
}

TEST(PagedTable, FreeingFreesThePagesMadeAndEmptiesTheTable) {
  FreshTable f;
  int failed = 0;
  ASSERT_NE(PagedRec(f.t, 3, &failed), nullptr);
  ASSERT_NE(PagedRec(f.t, 20, &failed), nullptr);
  EXPECT_EQ(f.t.top, 3);
  EXPECT_EQ(PagedFree(f.t), 2);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(f.t.page[p], nullptr) << p;
  EXPECT_EQ(f.t.top, 0);
  EXPECT_EQ(PagedFind(f.t, 20), nullptr);
  EXPECT_EQ(PagedFree(f.t), 0);  // a second free finds nothing to free
  // The table is usable again; a made page is zero once more.
  PagedFields<3>* r = PagedRec(f.t, 20, &failed);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->f[0] | r->f[1] | r->f[2], 0);
  EXPECT_EQ(PagedFree(f.t), 1);
}

// The stores' own shapes: the last index of each is reachable and the next
// is refused, whatever room the last page has left.
TEST(PagedTable, TheStoresLastIndices) {
  using Boxes = PagedTable<PagedFields<5>, 8192, 409, 12225, 5000000>;
  using Vertices = PagedTable<PagedFields<4>, 8192, 512, 24415>;
  static Boxes boxes;
  static Vertices vertices;
  int failed = 0;
  ASSERT_NE(PagedRec(boxes, 5000000, &failed), nullptr);
  EXPECT_EQ(boxes.top, 12225);  // 5,000,000 is on the last page
  EXPECT_EQ(PagedRec(boxes, 5000001, &failed), nullptr);
  ASSERT_NE(PagedRec(vertices, 24415 * 512, &failed), nullptr);
  EXPECT_EQ(PagedRec(vertices, 24415 * 512 + 1, &failed), nullptr);
  EXPECT_EQ(vertices.top, 24415);
  EXPECT_EQ(PagedFree(boxes), 1);
  EXPECT_EQ(PagedFree(vertices), 1);
  EXPECT_EQ(failed, 0);
}

}  // namespace
