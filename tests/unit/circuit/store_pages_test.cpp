// The extractor store's pages: where records land and the last index each
// kind takes, found inline once a page exists and out of line before.
#include <gtest/gtest.h>

#include "ckt_support.h"

namespace {

using namespace ckttest;

TEST(CktStorePages, RecordsLandOnThePagesTheirIndexGives) {
  struct Case {
    const char* kind;
    const void* (*rec)(CktState&, int32_t);
    const void* (*page)(CktState&, int);
    int32_t last, next;  // last index of page 0, first of page 1
    int32_t max;         // the largest index taken
  } cases[] = {
      {"box", [](CktState& st, int32_t n) -> const void* { return BoxRec(st, n); },
       [](CktState& st, int i) -> const void* { return st.store->boxPage.page[i]; }, 341, 342, 14663 * 341},
      {"path", [](CktState& st, int32_t n) -> const void* { return PathRec(st, n); },
       [](CktState& st, int i) -> const void* { return st.store->pathPage.page[i]; }, 512, 513, 4883 * 512},
      {"vertex", [](CktState& st, int32_t n) -> const void* { return VtxRec(st, n); },
       [](CktState& st, int i) -> const void* { return st.store->vtxPage.page[i]; }, 512, 513, 24415 * 512},
      {"instance", [](CktState& st, int32_t n) -> const void* { return InstRec(st, 23, n); },
       [](CktState& st, int i) -> const void* { return st.store->instPage[23].page[i]; }, 682, 683, 1000000},
  };
  for (const Case& c : cases) {
    Engine e;
    CktState& st = e.st;
    ASSERT_NE(c.rec(st, c.last), nullptr) << c.kind;
    EXPECT_NE(c.page(st, 0), nullptr) << c.kind;
    EXPECT_EQ(c.page(st, 1), nullptr) << c.kind;
    EXPECT_EQ(c.rec(st, 1), c.page(st, 0)) << c.kind;
    ASSERT_NE(c.rec(st, c.next), nullptr) << c.kind;
    EXPECT_EQ(c.rec(st, c.next), c.page(st, 1)) << c.kind;
    EXPECT_NE(c.rec(st, c.max), nullptr) << c.kind;
    EXPECT_EQ(c.rec(st, c.max + 1), nullptr) << c.kind;
    EXPECT_EQ(c.rec(st, 0), nullptr) << c.kind;
    EXPECT_EQ(c.rec(st, -1), nullptr) << c.kind;
    EXPECT_EQ(st.run.oomFlag, 0) << c.kind;
  }
  Engine e;
  CktState& st = e.st;
  EXPECT_EQ(InstRec(st, 24, 1), nullptr);
  EXPECT_EQ(InstRec(st, -1, 1), nullptr);
  EXPECT_EQ(st.store->instPage[0].page[0], nullptr);  // a bank's pages are its own
}

TEST(CktStorePages, FreeingEmptiesTheTablesAndARecordReadsZeroAgain) {
  Engine e;
  CktState& st = e.st;
  BoxRec(st, 5000)->node = 9;
  PathRec(st, 1)->node = 9;
  InstRec(st, 4, 700)->x = 9;
  StoreFreeObjs(st);
  EXPECT_EQ(st.store->boxPage.page[5000 / 341], nullptr);
  EXPECT_EQ(st.store->pathPage.page[0], nullptr);
  EXPECT_NE(st.store->instPage[4].page[1], nullptr);  // the banks are kept
  EXPECT_EQ(BoxRec(st, 5000)->node, 0);
  freeCEL(st, 4);
  EXPECT_EQ(st.store->instPage[4].page[1], nullptr);
  EXPECT_EQ(getA(st, 4, 1, 700), 0);
}

}  // namespace
