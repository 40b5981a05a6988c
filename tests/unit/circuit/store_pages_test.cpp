// The extractor store's pages: where records land and the last index each
// kind takes, found inline once a page exists and out of line before.
#include <gtest/gtest.h>

#include "ckt_support.h"

namespace {

using namespace ckttest;

TEST(CktStorePages, RecordsLandOnThePagesTheirIndexGives) {
  struct Case {
    const char* kind;
    const void* (*rec)(int32_t);
    const void* (*page)(int);
    int32_t last, next;  // last index of page 0, first of page 1
    int32_t max;         // the largest index taken
  } cases[] = {
      {"box", [](int32_t n) -> const void* { return BoxRec(n); },
       [](int i) -> const void* { return g_store->boxPage.page[i]; }, 341, 342, 14663 * 341},
      {"path", [](int32_t n) -> const void* { return PathRec(n); },
       [](int i) -> const void* { return g_store->pathPage.page[i]; }, 512, 513, 4883 * 512},
      {"vertex", [](int32_t n) -> const void* { return VtxRec(n); },
       [](int i) -> const void* { return g_store->vtxPage.page[i]; }, 512, 513, 24415 * 512},
      {"instance", [](int32_t n) -> const void* { return InstRec(23, n); },
       [](int i) -> const void* { return g_store->instPage[23].page[i]; }, 682, 683, 1000000},
  };
  for (const Case& c : cases) {
    Engine e;
    ASSERT_NE(c.rec(c.last), nullptr) << c.kind;
    EXPECT_NE(c.page(0), nullptr) << c.kind;
    EXPECT_EQ(c.page(1), nullptr) << c.kind;
    EXPECT_EQ(c.rec(1), c.page(0)) << c.kind;
    ASSERT_NE(c.rec(c.next), nullptr) << c.kind;
    EXPECT_EQ(c.rec(c.next), c.page(1)) << c.kind;
    EXPECT_NE(c.rec(c.max), nullptr) << c.kind;
    EXPECT_EQ(c.rec(c.max + 1), nullptr) << c.kind;
    EXPECT_EQ(c.rec(0), nullptr) << c.kind;
    EXPECT_EQ(c.rec(-1), nullptr) << c.kind;
    EXPECT_EQ(g_cktRun.oomFlag, 0) << c.kind;
  }
  Engine e;
  EXPECT_EQ(InstRec(24, 1), nullptr);
  EXPECT_EQ(InstRec(-1, 1), nullptr);
  EXPECT_EQ(g_store->instPage[0].page[0], nullptr);  // a bank's pages are its own
}

TEST(CktStorePages, FreeingEmptiesTheTablesAndARecordReadsZeroAgain) {
  Engine e;
  BoxRec(5000)->node = 9;
  PathRec(1)->node = 9;
  InstRec(4, 700)->x = 9;
  StoreFreeObjs();
  EXPECT_EQ(g_store->boxPage.page[5000 / 341], nullptr);
  EXPECT_EQ(g_store->pathPage.page[0], nullptr);
  EXPECT_NE(g_store->instPage[4].page[1], nullptr);  // the banks are kept
  EXPECT_EQ(BoxRec(5000)->node, 0);
  freeCEL(4);
  EXPECT_EQ(g_store->instPage[4].page[1], nullptr);
  EXPECT_EQ(getA(4, 1, 700), 0);
}

}  // namespace
