#include "store.h"

#include <gtest/gtest.h>

#include <string>

#include "celltable.h"
#include "host.h"
#include "store_fixture.h"

namespace {

using StorePages = DrawingFolder;

TEST_F(StorePages, RecordsLandOnThePagesTheirIndexGives) {
  struct Case {
    const char* kind;
    int32_t* (*rec)(int32_t);
    const void* (*page)(int);
    int32_t last, next;  // last index of page 0, first of page 1
  } cases[] = {
      {"box", StoreBoxRec, [](int i) -> const void* { return Store.boxPages.page[i]; }, 409, 410},
      {"path", StorePathRec, [](int i) -> const void* { return Store.pathPages.page[i]; }, 682, 683},
      {"vertex", StoreVertexRec, [](int i) -> const void* { return Store.vertexPages.page[i]; }, 512, 513},
  };
  for (const Case& c : cases) {
    StoreReset();
    ASSERT_NE(c.rec(c.last), nullptr) << c.kind;
    EXPECT_NE(c.page(0), nullptr) << c.kind;
    EXPECT_EQ(c.page(1), nullptr) << c.kind;
    ASSERT_NE(c.rec(c.next), nullptr) << c.kind;
    EXPECT_NE(c.page(1), nullptr) << c.kind;
    EXPECT_EQ(static_cast<const void*>(c.rec(1)), c.page(0)) << c.kind;
    EXPECT_EQ(static_cast<const void*>(c.rec(c.next)), c.page(1)) << c.kind;
    EXPECT_EQ(Store.pagesMade, 2) << c.kind;
  }
  StoreReset();
  EXPECT_EQ(StorePathSet(7, 2, 682), 1);
  EXPECT_EQ(StorePathSet(8, 2, 683), 1);
  EXPECT_EQ(StorePathGet(2, 682), 7);
  EXPECT_EQ(StorePathGet(2, 683), 8);
  EXPECT_EQ(Store.pagesMade, 2);
  ASSERT_NE(StoreCellRec(5, 683), nullptr);
  EXPECT_NE(Store.instPages[5].page[1], nullptr);
  EXPECT_EQ(Store.instPages[0].page[1], nullptr);
}

TEST_F(StorePages, AGetterMakesThePageOnceAndIsZero) {
  EXPECT_EQ(StoreBoxGet(3, 1000), 0);
  EXPECT_EQ(Store.pagesMade, 1);
  EXPECT_EQ(StoreBoxGet(0, 1001), 0);
  EXPECT_EQ(Store.pagesMade, 1);
  EXPECT_EQ(StoreBytes(), 8192);
  StoreFreeAll();
  EXPECT_EQ(Store.pagesMade, 0);
}

TEST_F(StorePages, IndicesAndFieldsOutsideTheirRangeAreRefused) {
  struct Case {
    const char* what;
    int32_t got;
  } gets[] = {
      {"box 0", StoreBoxGet(0, 0)},           {"box -1", StoreBoxGet(0, -1)},
      {"box field 5", StoreBoxGet(5, 1)},     {"box field -1", StoreBoxGet(-1, 1)},
      {"box past", StoreBoxGet(0, BOX_INDEX_MAX + 1)},
      {"path past", StorePathGet(0, PATH_INDEX_MAX + 1)},
      {"vertex past", StoreVertexGet(0, VERTEX_INDEX_MAX + 1)},
      {"inst past", StoreCellGet(0, 0, INST_INDEX_MAX + 1)},
      {"inst level 24", StoreCellGet(24, 0, 1)},
      {"inst level -1", StoreCellGet(-1, 0, 1)},
  };
  for (const Case& c : gets) EXPECT_EQ(c.got, 0) << c.what;
  EXPECT_EQ(StoreBoxSet(1, 0, 0), 0);
  EXPECT_EQ(StoreVertexSet(1, 4, 1), 0);
  EXPECT_EQ(StoreCellSet(1, 24, 0, 1), 0);
  EXPECT_EQ(Store.pagesMade, 0);
  // The last index of each kind is usable.
  EXPECT_EQ(StoreBoxSet(9, 4, BOX_INDEX_MAX), 1);
  EXPECT_EQ(StorePathSet(9, 2, PATH_INDEX_MAX), 1);
  EXPECT_EQ(StoreVertexSet(9, 3, VERTEX_INDEX_MAX), 1);
  EXPECT_EQ(StoreCellSet(9, 23, 2, INST_INDEX_MAX), 1);
  EXPECT_EQ(StoreBoxGet(4, BOX_INDEX_MAX), 9);
}

TEST_F(StorePages, CapacityChecksAtTheLimits) {
  struct Case {
    const char* message;
    int32_t* count;
    int32_t limit;
    int (*check)();
  } cases[] = {
      {"Box Limit Exceeded", &Store.boxCount, BOX_LIMIT, StoreBoxLim},
      {"Path Limit Exceeded", &Store.pathCount, PATH_LIMIT, StorePathLim},
      {"Vertex Limit Exceeded", &Store.vertexCount, VERTEX_LIMIT, StoreVertexLim},
      {"Cell Limit Exceeded", &Store.instCount[0], INST_LIMIT, StoreCellLim},
  };
  for (const Case& c : cases) {
    StoreReset();
    HostRecord& r = HostRecordInstall();
    *c.count = c.limit - 1;
    EXPECT_EQ(c.check(), 0) << c.message;
    EXPECT_EQ(Store.limFlag, 0);
    EXPECT_TRUE(r.messages.empty());
    EXPECT_EQ(Store.pagesMade, 1);  // only the page of the next record
    *c.count = c.limit;
    r.answers.push_back(HOST_IDOK);  // fails whatever the answer
    EXPECT_EQ(c.check(), 1) << c.message;
    EXPECT_EQ(Store.limFlag, 1);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, c.message);
    EXPECT_EQ(r.messages[0].captionKind, HOST_CAP_WARNING);
    EXPECT_EQ(r.messages[0].type, HOST_OKCANCEL);
  }
}

TEST_F(StorePages, AReservationMakesTheMissingRunInOneBlock) {
  const int32_t P = BOX_PER_PAGE;
  const int32_t nearEnd = BOX_INDEX_MAX - 70 * P;
  struct Case {
    const char* what;
    int32_t count;   // boxes held
    int premade;     // a page made before (-1 none)
    int64_t more;    // room asked for
    int first, last; // the block's pages (-1: none made)
  } cases[] = {
      {"after the held records", 1, 0, 100 * P, 1, 100},
      {"up to a page that exists", 0, 100, 200 * P, 0, 99},
      {"too few pages missing", 0, -1, 10 * P, -1, -1},
      {"none asked", 0, -1, 0, -1, -1},
      {"less than none", 0, -1, -5, -1, -1},
      {"cut at the table's end", nearEnd, -1, int64_t(1) << 40, nearEnd / P, BOX_PAGES - 1},
  };
  for (const Case& c : cases) {
    StoreReset();
    Store.boxCount = c.count;
    if (c.premade >= 0) {
      ASSERT_NE(StoreBoxRec(c.premade * P + 1), nullptr);
    }
    const int64_t before = Store.pagesMade;
    StoreBoxReserve(c.more);
    const int made = c.first < 0 ? 0 : c.last - c.first + 1;
    EXPECT_EQ(Store.pagesMade, before + made) << c.what;
    EXPECT_EQ(Store.blockCount, made ? 1 : 0) << c.what;
    for (int i = 0; i < BOX_PAGES; ++i) {
      const bool inBlock = made && i >= c.first && i <= c.last;
      EXPECT_EQ(Store.boxPages.page[i] != nullptr, inBlock || i == c.premade) << c.what << " page " << i;
      if (inBlock && i > c.first) {
        const char* at = reinterpret_cast<const char*>(Store.boxPages.page[i]);
        EXPECT_EQ(at - reinterpret_cast<const char*>(Store.boxPages.page[c.first]), int64_t(i - c.first) * STORE_PAGE_BYTES);
      }
    }
    if (made) {
      // The block's records read as nothing and take what is put in them.
      const int32_t last = (c.last + 1) * P;
      EXPECT_EQ(StoreBoxGet(4, last), 0) << c.what;
      EXPECT_EQ(StoreBoxSet(77, 4, last), 1);
      EXPECT_EQ(StoreBoxGet(4, last), 77);
      EXPECT_EQ(Store.pagesMade, before + made) << c.what;
    }
    StoreFreeAll();
    EXPECT_EQ(Store.pagesMade, 0) << c.what;
    EXPECT_EQ(Store.blockCount, 0) << c.what;
    EXPECT_EQ(Store.boxPages.page[c.first < 0 ? 0 : c.first], nullptr) << c.what;
  }
  StoreReset();
}

TEST_F(StorePages, ReservationsAreBoundedAndGoWithTheirTable) {
  const int32_t run = STORE_BLOCK_MIN_PAGES * VERTEX_PER_PAGE;
  for (int k = 0; k < STORE_BLOCKS; ++k) {
    Store.vertexCount = k * run;
    StoreVertexReserve(run - 1);
  }
  EXPECT_EQ(Store.blockCount, STORE_BLOCKS);
  EXPECT_EQ(Store.pagesMade, int64_t(STORE_BLOCKS) * STORE_BLOCK_MIN_PAGES);
  // The list is full: no block for any table, records come page by page.
  const int64_t full = Store.pagesMade;
  Store.vertexCount = STORE_BLOCKS * run;
  StoreVertexReserve(run - 1);
  StoreBoxReserve(100 * BOX_PER_PAGE);
  EXPECT_EQ(Store.blockCount, STORE_BLOCKS);
  EXPECT_EQ(Store.pagesMade, full);
  EXPECT_NE(StoreVertexRec(Store.vertexCount + 1), nullptr);
  EXPECT_EQ(Store.pagesMade, full + 1);
  StoreFreeObjs();
  EXPECT_EQ(Store.pagesMade, 0);
  EXPECT_EQ(Store.blockCount, 0);
  // A table's blocks go with it; another's stay.
  Store.vertexCount = 0;
  StoreCellReserve(100 * INST_PER_PAGE);
  StoreVertexReserve(100 * VERTEX_PER_PAGE);
  EXPECT_EQ(Store.blockCount, 2);
  StoreFreeLevel(0);
  EXPECT_EQ(Store.blockCount, 1);
  EXPECT_EQ(Store.instPages[0].page[0], nullptr);
  EXPECT_NE(Store.vertexPages.page[0], nullptr);
  EXPECT_EQ(Store.pagesMade, 101);
  StoreReset();
  EXPECT_EQ(Store.pagesMade, 0);
  EXPECT_EQ(Store.blockCount, 0);
}

TEST_F(StorePages, TextPacking) {
  struct Case {
    std::string text;
    int charVertices;
    int tlcCount;
  } cases[] = {
      {"", 0, 2}, {"A", 1, 2}, {"ABCDEFGH", 1, 2}, {"ABCDEFGHI", 2, 3}, {std::string(17, 'x'), 3, 4},
  };
  for (const Case& c : cases) {
    StoreReset();
    int32_t t = AddText(10, 800, 3, 5, 6, c.text);
    EXPECT_EQ(Store.vertexCount, 1 + c.charVertices) << c.text;
    EXPECT_EQ(TextVertexCount(static_cast<int>(c.text.size())), c.tlcCount) << c.text;
    char out[100];
    EXPECT_EQ(StoreTextGet(t, out, sizeof out), static_cast<int>(c.text.size()));
    EXPECT_EQ(std::string(out), c.text);
  }
  int32_t x, y;
  StoreTextPack("ABCDEFGHI", 9, &x, &y);
  EXPECT_EQ(static_cast<uint32_t>(x), 0x41424344u);
  EXPECT_EQ(static_cast<uint32_t>(y), 0x45464748u);
  StoreTextPack("I", 1, &x, &y);
  EXPECT_EQ(static_cast<uint32_t>(x), 0x49000000u);
  EXPECT_EQ(y, 0);
  // 0xE9 second: bits 16-23, the first character untouched, no sign spill.
  StoreTextPack("A\xe9", 2, &x, &y);
  EXPECT_EQ(static_cast<uint32_t>(x), 0x41E90000u);
  StoreTextPack("\xe9", 1, &x, &y);
  EXPECT_EQ(static_cast<uint32_t>(x), 0xE9000000u);
  // A text read back into a short buffer is cut, never overrun.
  StoreReset();
  int32_t t = AddText(10, 800, 0, 0, 0, "ABCDEFGHIJ");
  char small[4];
  EXPECT_EQ(StoreTextGet(t, small, sizeof small), 3);
  EXPECT_STREQ(small, "ABC");
}

TEST_F(StorePages, TextChainThatLoopsEnds) {
  int32_t t = AddText(10, 800, 0, 0, 0, "ABCDEFGHIJKLMNOP");
  StoreVertexSet(2, 3, 3);  // the last character vertex points back
  char out[200];
  int n = StoreTextGet(t, out, sizeof out);
  EXPECT_LE(n, 8 * Store.vertexCount);
}

TEST_F(StorePages, ExtentOverBoxesPathsTextsAndInstances) {
  int32_t ext[4];
  StoreExtentCalc(ext);
  EXPECT_EQ(ext[0], -1);
  EXPECT_EQ(ext[3], 1);
  AddBox(1, 0, 0, 100, 50);
  AddPath(2, 20, {{200, 0}, {300, 0}});
  StoreExtentCalc(ext);
  EXPECT_EQ(ext[0], 0);
  EXPECT_EQ(ext[1], -10);
  EXPECT_EQ(ext[2], 310);
  EXPECT_EQ(ext[3], 50);
  int cell = CellFindAdd("NMOS");
  CellTable.cells[cell].l = -10;
  CellTable.cells[cell].b = -20;
  CellTable.cells[cell].r = 10;
  CellTable.cells[cell].t = 20;
  AddInst(0, cell, 1, 1000, 0);  // turned: x spans -20..20 about 1000
  StoreExtentCalc(ext);
  EXPECT_EQ(ext[2], 1020);
  EXPECT_EQ(ext[1], -10);
}

}  // namespace
