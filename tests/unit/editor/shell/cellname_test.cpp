// New cells offered by name, the overwrite question for an unlisted file,
// the load backup and the Save as entry.
#include "cellname.h"
#include "host.h"
#include "render_fixture.h"
#include "tlcwrite.h"

namespace {

struct CellNameFixture : RenderFixture {
  void SetUp() override {
    RenderFixture::SetUp();
    TlcWriteReset();
    CellNameUi.newCellRank = nullptr;
  }
  void TearDown() override {
    CellNameUi.newCellRank = nullptr;
    RenderFixture::TearDown();
  }
  static std::string Read(const std::string& path) {
    std::ifstream f(path);
    std::string s((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return s;
  }
};

TEST_F(CellNameFixture, CancelledOfferMakesNothing) {
  CellNameUi.newCellRank = [](const char*) { return 0; };
  EXPECT_EQ(NewCellOffer("FRESH"), 0);
  ASSERT_EQ(rec->messages.size(), 1u);
  EXPECT_EQ(rec->messages[0].text, "New Cell Aborted");
  EXPECT_EQ(rec->messages[0].caption, "Cell Aborted");
  EXPECT_EQ(CellFind("FRESH"), 0);
  EXPECT_FALSE(std::ifstream("FRESH.tlc").good());
}

TEST_F(CellNameFixture, AcceptedOfferRegistersAndWritesAnEmptyCell) {
  CellNameUi.newCellRank = [](const char*) { return 2; };
  EXPECT_EQ(NewCellOffer("FRESH"), 1);
  int n = CellFind("FRESH");
  ASSERT_NE(n, 0);
  const CellEntry* e = CellEntryOf(n);
  EXPECT_EQ(e->rank, 2);
  EXPECT_EQ(e->l, -1);
  EXPECT_EQ(e->t, 1);
  EXPECT_NE(Read("QUIL7.CRF").find("FRESH"), std::string::npos);
  // The file reads back as an empty cell of that name.
  Store.boxCount = 5;
  EXPECT_EQ(CellObjLoad(n), 0);
  EXPECT_EQ(Store.boxCount, 0);
  EXPECT_NE(Read("FRESH.tlc").find("FRESH"), std::string::npos);
}

TEST_F(CellNameFixture, UnlistedFileOfTheNameIsOverwrittenOnlyWhenTheUserAgrees) {
  WriteCell("WAITING", 1, 0, 0, 10, 10, {{1, 0, 0, 10, 10}}, {});
  std::string before = Read("WAITING.tlc");
  rec->answers.push_back(HOST_IDNO);
  EXPECT_EQ(NewCellCreate("WAITING", 1), 0);
  EXPECT_EQ(Read("WAITING.tlc"), before);
  EXPECT_EQ(CellFind("WAITING"), 0);
  ASSERT_GE(rec->messages.size(), 1u);
  EXPECT_NE(rec->messages[0].text.find("WAITING.tlc Exists"), std::string::npos);
  rec->answers.push_back(HOST_IDYES);
  EXPECT_EQ(NewCellCreate("WAITING", 1), 1);
  EXPECT_NE(Read("WAITING.tlc"), before);
  EXPECT_NE(CellFind("WAITING"), 0);
}

TEST_F(CellNameFixture, LoadBackupNamesTheCellAndSaveAsCopiesTheEntry) {
  int n = TableCell("INV", 2, -5, -5, 5, 5, 1, 0);
  AddBox(3, 0, 0, 4, 4);
  EXPECT_EQ(LoadBackupWrite("INV"), 1);
  std::string b = Read("Loadbkup.tlc");
  EXPECT_NE(b.find("<H>\nINV\n"), std::string::npos);
  EXPECT_NE(b.find("3 0 0 4 4"), std::string::npos);
  EXPECT_EQ(CellSaveAsEntry("INV2", n), 1);
  const CellEntry* e = CellEntryOf(CellFind("INV2"));
  ASSERT_NE(e, nullptr);
  EXPECT_STREQ(e->name, "INV2");
  EXPECT_EQ(e->rank, 2);
  EXPECT_EQ(e->l, -5);
  EXPECT_EQ(CellSaveAsEntry("INV2", n), 0);
  EXPECT_EQ(CellSaveAsEntry("OTHER", 0), 0);
}

}  // namespace

#include "pending.h"

namespace {

TEST_F(CellNameFixture, LoadingByNameWritesTheLoadBackupAndMakesNewCells) {
  WriteCell("LEAF", 1, 0, 0, 10, 10, {{2, 0, 0, 10, 10}}, {});
  TableCell("LEAF", 1, 0, 0, 10, 10, 1, 0);
  ASSERT_EQ(CellLoadByName("leaf"), 1);
  EXPECT_NE(Read("Loadbkup.tlc").find("<H>\nLEAF\n"), std::string::npos);
  EXPECT_EQ(Store.boxCount, 1);
  // An unknown name: cancelled, nothing changes; accepted, the new empty
  // cell becomes current.
  EXPECT_EQ(CellLoadByName("NEWONE"), 0);
  EXPECT_STREQ(Cell.name, "LEAF");
  CellNameUi.newCellRank = [](const char*) { return 1; };
  ASSERT_EQ(CellLoadByName("NEWONE"), 1);
  EXPECT_STREQ(Cell.name, "NEWONE");
  EXPECT_EQ(Store.boxCount, 0);
  EXPECT_STREQ(Cell.recall[0], "NEWONE");
  EXPECT_STREQ(Cell.recall[1], "LEAF");
  CellNoneSet();
}

}  // namespace
