#include "celltable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "host.h"
#include "store.h"
#include "store_fixture.h"

namespace {

using CellTableFile = DrawingFolder;

struct Want {
  const char* name;
  int rank, l, b, r, t, nb, np, nv, nc;
};

void ExpectTable(const std::vector<Want>& want) {
  ASSERT_EQ(CellTable.count, static_cast<int>(want.size()));
  for (size_t i = 0; i < want.size(); ++i) {
    const CellEntry& e = CellTable.cells[i + 1];
    const Want& w = want[i];
    EXPECT_STREQ(e.name, w.name);
    EXPECT_EQ(e.rank, w.rank) << w.name;
    int got[] = {e.l, e.b, e.r, e.t, e.nb, e.np, e.nv, e.nc};
    int exp[] = {w.l, w.b, w.r, w.t, w.nb, w.np, w.nv, w.nc};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(got[k], exp[k]) << w.name << " field " << k;
  }
}

TEST_F(CellTableFile, ReadCases) {
  const std::string drop = "QUIL7.CRF File Error ... Keeping Valid Cells";
  struct Case {
    const char* what;
    const char* file;
    int result;
    std::vector<Want> table;
    std::vector<std::string> messages;
  } cases[] = {
      {"plain", "2\ninv\n2 -5 -6 7 8 1 2 3 4\nNMOS\n1 0 0 10 10 3 0 0 0\n\n", 1,
       {{"INV", 2, -5, -6, 7, 8, 1, 2, 3, 4}, {"NMOS", 1, 0, 0, 10, 10, 3, 0, 0, 0}}, {}},
      {"rank 0 dropped", "3\nA\n1 0 0 1 1 0 0 0 0\nB\n0 0 0 1 1 0 0 0 0\nC\n3 0 0 1 1 0 0 0 0\n", 2,
       {{"A", 1, 0, 0, 1, 1, 0, 0, 0, 0}, {"C", 3, 0, 0, 1, 1, 0, 0, 0, 0}}, {drop}},
      {"rank 25 dropped", "1\nA\n25 0 0 1 1 0 0 0 0\n", 2, {}, {drop}},
      {"short file", "5\nX\n1\nY\n1\nZ\n1\n", 2,
       {{"X", 1, 0, 0, 1, 1, 0, 0, 0, 0}, {"Y", 1, 0, 0, 1, 1, 0, 0, 0, 0}, {"Z", 1, 0, 0, 1, 1, 0, 0, 0, 0}},
       {drop}},
      {"name without data line", "1\nA\n", 2, {}, {drop}},
      {"only the rank", "1\nA\n4\r\n", 1, {{"A", 4, 0, 0, 1, 1, 0, 0, 0, 0}}, {}},
      {"new drawing", "0\n\n", 1, {}, {}},
      {"bad names dropped", "4\nA.B\n1\nCON\n1\n\n1\nOK\n1\n", 2, {{"OK", 1, 0, 0, 1, 1, 0, 0, 0, 0}}, {drop}},
      {"malformed field", "2\nA\n1 0 x 1 1\nB\n1 0 0 1 1 -1\n", 2, {}, {drop}},
      {"value past 32 bits", "1\nA\n1 0 0 4294967296 1\n", 2, {}, {drop}},
      {"count not a number", "x\nA\n1\n", 2, {}, {drop}},
      {"name longer than 32", "1\nABCDEFGHIJKLMNOPQRSTUVWXYZ0123456\n1\n", 2, {}, {drop}},
      {"DEL in a name", "2\nAB\x7f" "C\n1\nOK\n1\n", 2, {{"OK", 1, 0, 0, 1, 1, 0, 0, 0, 0}}, {drop}},
      {"same name in another case", "3\nabc\n1\nABC\n2\nD\n1\n", 2,
       {{"ABC", 1, 0, 0, 1, 1, 0, 0, 0, 0}, {"D", 1, 0, 0, 1, 1, 0, 0, 0, 0}},
       {"Cell ABC is Listed Twice in QUIL7.CRF ... the First Entry is Kept", drop}},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    WriteFile("QUIL7.CRF", c.file);
    EXPECT_EQ(CrfRead(), c.result) << c.what;
    ExpectTable(c.table);
    EXPECT_EQ(HostRecordTexts(), c.messages) << c.what;
  }
}

TEST_F(CellTableFile, OlderNamesAreReadWhenTheListIsMissing) {
  EXPECT_EQ(CrfRead(), 0);
  WriteFile("CELLS6.DBD", "1\nSIX\n1\n");
  EXPECT_EQ(CrfRead(), 1);
  {
    // A fault is reported against the list actually read.
    HostRecordInstall();
    WriteFile("CELLS6.DBD", "2\nSIX\n1\n");
    EXPECT_EQ(CrfRead(), 2);
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"CELLS6.DBD File Error ... Keeping Valid Cells"});
    WriteFile("CELLS6.DBD", "1\nSIX\n1\n");
    EXPECT_EQ(CrfRead(), 1);
  }
  ExpectTable({{"SIX", 1, 0, 0, 1, 1, 0, 0, 0, 0}});
  WriteFile("CELLS7.DBD", "1\nSEVEN\n1\n");
  EXPECT_EQ(CrfRead(), 1);
  ExpectTable({{"SEVEN", 1, 0, 0, 1, 1, 0, 0, 0, 0}});
  WriteFile("QUIL7.CRF", "1\nQUIL\n1\n");
  EXPECT_EQ(CrfRead(), 1);
  ExpectTable({{"QUIL", 1, 0, 0, 1, 1, 0, 0, 0, 0}});
}

TEST_F(CellTableFile, WriteUpdatesTheEntryFromTheStore) {
  EXPECT_EQ(CrfWrite("", 0, 0), 1);
  EXPECT_EQ(ReadFile("QUIL7.CRF"), "0\n\n");
  int a = CellFindAdd("nmos");
  EXPECT_EQ(CellFindAdd("NMOS"), a);
  EXPECT_EQ(CellFind("Nmos"), a);
  AddBox(1, -10, -20, 30, 40);
  AddPath(2, 0, {{0, 0}, {1, 1}, {0, 1}});
  AddText(10, 100, 0, 0, 0, "ABCDEFGHI");  // 9 x 100 x 0.81667 long
  EXPECT_EQ(CrfWrite("NMOS", a, 1), 1);
  EXPECT_EQ(ReadFile("QUIL7.CRF"), "1\nNMOS\n1 -10 -20 735 100 1 2 6 0\n\n");
  // The list reads back as written.
  CellTableReset();
  EXPECT_EQ(CrfRead(), 1);
  ExpectTable({{"NMOS", 1, -10, -20, 735, 100, 1, 2, 6, 0}});
}

TEST_F(CellTableFile, RankOutsideTheRangeIsNeverWritten) {
  int a = CellFindAdd("A");
  EXPECT_EQ(CrfWrite("A", a, 1), 1);
  std::string before = ReadFile("QUIL7.CRF");
  for (int rank : {37, 32, 25, -1}) {
    HostRecordInstall();
    EXPECT_EQ(CrfWrite("A", a, rank), 0) << rank;
    EXPECT_EQ(CellTable.cells[a].rank, 1);
    EXPECT_EQ(ReadFile("QUIL7.CRF"), before);
    EXPECT_EQ(HostRecordTexts().size(), 1u);
  }
  // Organize's bits above the rank are not written.
  CellTable.cells[a].rank = 3 | (9 << 6);
  EXPECT_EQ(CrfWrite("", 0, 0), 1);
  EXPECT_EQ(ReadFile("QUIL7.CRF"), "1\nA\n3 -1 -1 1 1 0 0 0 0\n\n");
  CellTable.cells[a].rank = 0;
  EXPECT_EQ(CrfWrite("", 0, 0), 0);
}

TEST_F(CellTableFile, FindAddRefusesBadNamesAndAFullTable) {
  EXPECT_EQ(CellFindAdd("A.B"), 0);
  EXPECT_EQ(CellFindAdd(""), 0);
  EXPECT_EQ(CellFindAdd("LPT1"), 0);
  CellTable.count = CELL_MAX;
  EXPECT_EQ(CellFindAdd("NEW"), 0);
  EXPECT_EQ(CellEntryOf(CELL_MAX + 1), nullptr);
  EXPECT_EQ(CellEntryOf(0), nullptr);
}

TEST_F(CellTableFile, CheckFilesAsksPerMissingFile) {
  WriteFile("QUIL7.CRF", "3\nD\n1\nE\n1\nF\n1\n");
  ASSERT_EQ(CrfRead(), 1);
  WriteFile("E.tlc", "");
  EXPECT_EQ(CrfCheckFiles(), 2);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{
                                   "D.tlc File is Missing\n\nImport or Create a cell with that name\n\nOK to Continue "
                                   "Search, Cancel to End Search",
                                   "F.tlc File is Missing\n\nImport or Create a cell with that name\n\nOK to Continue "
                                   "Search, Cancel to End Search"}));
  HostRecord& r = HostRecordInstall();
  r.answers.push_back(HOST_IDCANCEL);
  EXPECT_EQ(CrfCheckFiles(), 1);
}

TEST_F(CellTableFile, AnotherDrawingsList) {
  ASSERT_EQ(mkdir("other", 0700), 0);
  WriteFile("other/QUIL7.CRF", "3\n  inv\n\t2 0 0 5 5 1 1 1 1\nbad\n0 1 1 2 2\nCON\n1\n");
  ASSERT_EQ(CrfReadOther("other/"), 1);
  // Only what was read whole and valid is kept, as for the drawing's own
  // list: an entry with a bad rank or a name that must not become a file
  // name is dropped and said, never kept as an empty slot to be written back.
  ASSERT_EQ(CellTable.count, 1);
  EXPECT_STREQ(CellTable.cells[1].name, "INV");
  EXPECT_EQ(CellTable.cells[1].nc, 1);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"QUIL7.CRF File Error ... Keeping Valid Cells"}));
  EXPECT_EQ(CrfReadOther("nowhere/"), 0);
  ASSERT_EQ(mkdir("out", 0700), 0);
  CellTable.count = 1;
  EXPECT_EQ(CrfWriteOther("out/"), 1);
  EXPECT_EQ(ReadFile("out/QUIL7.CRF"), "1\nINV\n2 0 0 5 5 1 1 1 1\n\n");
  // A list that announces more entries than it holds keeps those read.
  WriteFile("other/QUIL7.CRF", "4\nA\n1 0 0 2 2 1 0 0 0\nD\n2\n");
  ASSERT_EQ(CrfReadOther("other/"), 1);
  ASSERT_EQ(CellTable.count, 2);
  EXPECT_STREQ(CellTable.cells[2].name, "D");
  EXPECT_EQ(CellTable.cells[2].rank, 2);
}

}  // namespace
