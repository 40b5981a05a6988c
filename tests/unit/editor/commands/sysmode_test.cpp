#include "cmdfixture.h"

#include <string>
#include <vector>

#include "sysmode.h"

namespace {

struct Organizing : CmdFixture {
  void AddCell(const char* name, int rank, const std::string& records) {
    WriteFile((std::string(name) + ".tlc").c_str(), records);
    CellTable.cells[CellFindAdd(name)].rank = rank;
  }
  std::vector<std::string> Order() {
    std::vector<std::string> out;
    for (int i = 1; i <= CellTable.count; ++i)
      out.push_back(std::string(CellTable.cells[i].name) + " " + std::to_string(CellTable.cells[i].rank));
    return out;
  }
};

const char kBox[] = "<B>\n5 0 0 10 20\n</B>\n";

TEST_F(Organizing, OrderOutlinesAndFiles) {
  struct Case {
    int alphasort;
    std::vector<std::string> order;
  } cases[] = {
      {0, {"AA 1", "ZZ 1", "MID 2", "TOP 3"}},
      {1, {"AA 1", "MID 2", "TOP 3", "ZZ 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.alphasort);
    CellTableReset();
    // The rank words carry bits above the rank, as a borrowed number would
    // leave them: no cell may be written as a missing one.
    AddCell("TOP", 3 | (4 << 6), "<C>\nMID\n1 0 0 1\n</C>\n");
    AddCell("ZZ", 1 | (1 << 6), kBox);
    AddCell("MID", 2 | (3 << 6), "<C>\nZZ\n0 100 0 0\n</C>\n<C>\nAA\n0 0 0 0\n</C>\n");
    AddCell("AA", 1, kBox);
    ASSERT_EQ(SysOrganize(c.alphasort), 1);
    EXPECT_EQ(Order(), c.order);
    EXPECT_TRUE(rec->messages.empty()) << rec->messages[0].text;
    const CellEntry* top = CellEntryOf(CellFind("TOP"));
    // MID spans x 0..110, y 0..20; turned by 90 degrees: x -20..0, y 0..110.
    EXPECT_EQ(std::vector<int>({top->l, top->b, top->r, top->t, top->nc}), std::vector<int>({-20, 0, 0, 110, 1}));
    std::string mid = ReadFile("MID.tlc");
    // Instances in table order, the outline flag kept, nothing wiped.
    EXPECT_LT(mid.find("<C>\nAA\n"), mid.find("<C>\nZZ\n")) << mid;
    EXPECT_EQ(mid.find("<<"), std::string::npos) << mid;
    EXPECT_NE(ReadFile("TOP.tlc").find("<C>\nMID\n1 0 0 1\n</C>"), std::string::npos);
    EXPECT_NE(ReadFile("QUIL7.CRF").find("TOP\n3 -20 0 0 110 0 0 0 1\n"), std::string::npos) << ReadFile("QUIL7.CRF");
  }
}

TEST_F(Organizing, SameNameInTwoCasesWarnsAndCompletes) {
  AddCell("INV", 1, kBox);
  // A second entry of the name in lower case, as a hand-edited list holds it.
  int n = ++CellTable.count;
  snprintf(CellTable.cells[n].name, sizeof CellTable.cells[n].name, "inv");
  CellTable.cells[n].rank = 1;
  WriteFile("inv.tlc", kBox);
  EXPECT_EQ(SysOrganize(1), 1);
  ASSERT_EQ(rec->messages.size(), 1u);
  EXPECT_EQ(rec->messages[0].text, "More than One Cell has the Same Name in the Cells List");
}

// A cell whose load was cut keeps its file as it was, and is named.
TEST_F(Organizing, ACutLoadIsNotSaved) {
  std::string longPath = "<P>\n5 0 1025\n";
  for (int i = 0; i < 1025; ++i) longPath += std::to_string(i) + " 0\n";
  longPath += "</P>\n";
  AddCell("LONG", 1, longPath);
  AddCell("OK", 1, kBox);
  EXPECT_EQ(SysOrganize(1), 0);
  EXPECT_EQ(ReadFile("LONG.tlc"), longPath);
  EXPECT_EQ(LastMessage(), "LONG did not Load Whole ... its TLC File is Left as it is");
  EXPECT_NE(ReadFile("OK.tlc").find("<H>"), std::string::npos);
}

// A drawing where TOP and TWO place LOW (TOP twice) and TOP places TWO.
struct SysOps : Organizing {
  void SetUp() override {
    Organizing::SetUp();
    AddCell("LOW", 1, "<B>\n5 0 0 10 20\n</B>\n<P>\n6 -3 2\n0 0 10 0\n</P>\n");
    AddCell("TWO", 2, "<C>\nLOW\n0 0 0 0\n</C>\n<B>\n7 0 0 1 1\n</B>\n");
    AddCell("TOP", 3, "<C>\nLOW\n0 50 0 0\n</C>\n<C>\nTWO\n0 0 0 1\n</C>\n<C>\nLOW\n2 9 9 0\n</C>\n");
    ASSERT_EQ(SysOrganize(1), 1);
    rec->messages.clear();
  }
  int Count(const std::string& s, const std::string& what) {
    int n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1)) ++n;
    return n;
  }
};

TEST_F(SysOps, RemoveAsksOncePerPlacingCellAndFixesBoth) {
  EXPECT_EQ(SysRemove("low"), 1);
  std::vector<std::string> texts = HostRecordTexts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[1], "Cell is Used in TOP\n\nContinue ?");
  EXPECT_EQ(texts[2], "Cell is Used in TWO\n\nContinue ?");
  EXPECT_EQ(Count(ReadFile("TOP.tlc"), "LOW"), 0);
  EXPECT_EQ(Count(ReadFile("TWO.tlc"), "LOW"), 0);
  EXPECT_EQ(Count(ReadFile("TOP.tlc"), "<C>\nTWO\n0 0 0 1\n</C>"), 1);
  EXPECT_TRUE(Exists("LOW.tlc"));
  EXPECT_EQ(CellFind("LOW"), 0);
  EXPECT_EQ(ReadFile("QUIL7.CRF").find("LOW"), std::string::npos);
  // A No at a placing cell aborts and leaves every file alone.
  rec->answers = {HOST_IDYES, HOST_IDNO};
  std::string two = ReadFile("TWO.tlc");
  EXPECT_EQ(SysRemove("TWO"), 0);
  EXPECT_EQ(ReadFile("TWO.tlc"), two);
  EXPECT_NE(CellFind("TWO"), 0);
}

TEST_F(SysOps, ReNameAsksBeforeReplacingAFileAndRenamesInstances) {
  WriteFile("BASE.tlc", "removed");
  rec->answers = {HOST_IDNO};
  EXPECT_EQ(SysReName("LOW", "BASE"), 0);
  EXPECT_EQ(ReadFile("BASE.tlc"), "removed");
  EXPECT_EQ(SysReName("LOW", "BASE"), 1);
  EXPECT_EQ(Count(ReadFile("TOP.tlc"), "<C>\nBASE\n"), 2);
  EXPECT_EQ(Count(ReadFile("TWO.tlc"), "<C>\nBASE\n"), 1);
  EXPECT_NE(ReadFile("BASE.tlc").find("<B>\n5 0 0 10 20\n</B>"), std::string::npos);
  EXPECT_NE(CellFind("BASE"), 0);
  EXPECT_EQ(CellFind("LOW"), 0);
  EXPECT_EQ(SysReName("BASE", "TOP"), 0);
  EXPECT_EQ(LastMessage(), "Cell Already Exists");
  EXPECT_EQ(SysReName("NONE", "X"), 0);
  EXPECT_EQ(LastMessage(), "Cell does Not Exist");
}

TEST_F(SysOps, ReRankMinimisesAndRaises) {
  // Everything at rank 24 first: "*" brings each to its lowest rank.
  for (int i = 1; i <= CellTable.count; ++i) CellTable.cells[i].rank = 24 - i;
  EXPECT_EQ(SysReRank("*", 0), 1);
  EXPECT_EQ(CellTable.cells[CellFind("LOW")].rank, 1);
  EXPECT_EQ(CellTable.cells[CellFind("TWO")].rank, 2);
  EXPECT_EQ(CellTable.cells[CellFind("TOP")].rank, 3);
  // A cell set to 1 while it places a rank-2 cell rises back to 3.
  EXPECT_EQ(SysReRank("TOP", 1), 1);
  EXPECT_EQ(CellTable.cells[CellFind("TOP")].rank, 3);
  EXPECT_NE(ReadFile("TOP.tlc").find("\n3 "), std::string::npos);
  struct {
    const char* name;
    int rank;
    const char* said;
  } bad[] = {{"*", 3, "No Rank should be Entered"}, {"NONE", 2, "Cell does Not Exist"}, {"TOP", 25, "Wrong Rank Entered"}};
  for (const auto& c : bad) {
    EXPECT_EQ(SysReRank(c.name, c.rank), 0);
    EXPECT_EQ(LastMessage(), c.said);
  }
  // Each cell's placed cells were read once per operation.
  SysInstanceReads = 0;
  EXPECT_EQ(SysReRank("*", 0), 1);
  EXPECT_EQ(SysInstanceReads, CellTable.count);
}

TEST_F(SysOps, ReSizeClampsAndKeepsPathWidths) {
  struct Case {
    double mult;
    const char* box;   // LOW's box afterwards
    const char* path;  // LOW's path line afterwards
  } cases[] = {
      {150, "<B>\n5 0 0 1000 2000\n</B>", "<P>\n6 -300 2\n"},
      {0, "<B>\n5 0 0 10 20\n</B>", "<P>\n6 -3 2\n"},  // 0.01 of the result above
      {0.01, "<B>\n5 0 0 0 0\n</B>", "<P>\n6 -2 2\n"},  // a width never rounds to a polygon
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mult);
    EXPECT_EQ(SysReSize("LOW", c.mult), 1);
    std::string low = ReadFile("LOW.tlc");
    EXPECT_NE(low.find(c.box), std::string::npos) << low;
    EXPECT_NE(low.find(c.path), std::string::npos) << low;
  }
  // A cell that would leave the coordinate range is skipped and named.
  AddCell("BIG", 1, "<B>\n5 0 0 536870000 1\n</B>\n");
  rec->messages.clear();
  EXPECT_EQ(SysReSize("BIG", 2), 1);
  EXPECT_EQ(HostRecordTexts()[1], "BIG would Exceed the Coordinate Range ... Not Resized");
  EXPECT_NE(ReadFile("BIG.tlc").find("536870000"), std::string::npos);
}

TEST_F(SysOps, ReLayerMovesAndAsksForAFullTarget) {
  rec->answers = {HOST_IDYES, HOST_IDNO};  // go on; no to "Layer 6 in LOW is Not Empty"
  EXPECT_EQ(SysReLayer("LOW", 5, 6, 1), 1);
  EXPECT_NE(ReadFile("LOW.tlc").find("<B>\n5 0 0 10 20"), std::string::npos);
  EXPECT_EQ(SysReLayer("*", 5, 9, 1), 1);
  EXPECT_NE(ReadFile("LOW.tlc").find("<B>\n9 0 0 10 20"), std::string::npos);
  EXPECT_EQ(SysReLayer("*", 0, 9, 1), 0);
  EXPECT_EQ(LastMessage(), "Wrong Layers");
  EXPECT_EQ(SysReLayer("*", 300, 0, 3), 0);
  EXPECT_EQ(LastMessage(), "Wrong Layer");
}

TEST_F(SysOps, ScaleNote) {
  MainSetup.scale = 1000;
  snprintf(MainSetup.physunit, sizeof MainSetup.physunit, "um");
  char note[300];
  SysScaleNote(note, sizeof note);
  EXPECT_EQ(std::string(note),
            "Max. Size will be +/-536870.912 um.\n\nIMPORTANT: If Scale is changed use Organize to rewrite\nall TLC "
            "files and ReSize to correct the Physical Size of any cells");
}

}  // namespace
