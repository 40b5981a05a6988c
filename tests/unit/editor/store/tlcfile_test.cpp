// TLC cells through the editor's loaders and writers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "celltable.h"
#include "host.h"
#include "mainsetup.h"
#include "store.h"
#include "store_fixture.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

struct TlcFile : DrawingFolder {
  void SetUp() override {
    DrawingFolder::SetUp();
    SampleLayers();
    snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "12/10/26");
    snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "12:00:00");
  }
  // Registers a cell with its counts taken from the store.
  int Register(const char* name, int rank) {
    int cell = CellFindAdd(name);
    EXPECT_EQ(CrfWrite(name, cell, rank), 1);
    return cell;
  }
  // Loads objects and level-0 instances of cell; both results.
  std::pair<int, int> Load(int cell) { return {CellObjLoad(cell), CellInstLoad(cell, 0)}; }
};

// A store with every record kind: boxes, paths of 1, 5, 6 and 10 points, a
// polygon, texts of 0, 8 and 9 characters in several orientations, and
// instances with and without the outline flag.
void FillMixed(int lower) {
  AddBox(1, 0, 0, 100, 200);
  AddBox(256, -536870912, -5, 536870912, 5);
  AddPath(5, 500, {{0, 0}});
  AddPath(7, -1500, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}});
  AddPath(7, 1000, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}});
  AddPath(9, 0, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 20}, {5, 20}, {5, 30}, {0, 30}, {0, 40}, {-5, 40}});
  AddText(10, 800, 0, 10, 20, "");
  AddText(7, 800, 5, -10, 20, "VDDVDDVD");
  AddText(7, 1000, 7, 30, -20, "OUT_12345");
  AddInst(0, lower, 0, 100, 200);
  AddInst(0, lower, 6, -100, 200, 1);
}

TEST_F(TlcFile, BothFormsWriteReadWriteByteIdentical) {
  for (int old = 0; old <= 1; ++old) {
    ResetAllStores();
    SampleLayers();
    snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "12/10/26");
    snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "12:00:00");
    MainSetup.writeoldtlc = old;
    int lower = CellFindAdd("LOWER");
    FillMixed(lower);
    int cell = Register("MIXED", 2);
    ASSERT_EQ(TlcWriteCell("MIXED", "MIXED"), 0);
    std::string first = ReadFile("MIXED.tlc");
    EXPECT_EQ(first.rfind(old ? "=L\n10\nNWELL 1\n" : "<?xml version=\"1.0\"?>\n<TLC>\n<L>\n10\nNWELL 1\n", 0), 0u);
    EXPECT_EQ(first.find("</TLC>") == std::string::npos, old == 1);
    StoreReset();
    ASSERT_EQ(Load(cell), std::make_pair(0, 0));
    EXPECT_EQ(Store.heldCell, cell);
    EXPECT_EQ(Store.boxCount, 2);
    EXPECT_EQ(Store.pathCount, 7);
    EXPECT_EQ(Store.instCount[0], 2);
    ASSERT_EQ(TlcWriteCell("MIXED", "MIXED"), 0);
    EXPECT_EQ(ReadFile("MIXED.tlc"), first) << "old form " << old;
    EXPECT_TRUE(rec->messages.empty());
  }
}

TEST_F(TlcFile, OldFormTextsThatWouldNotReadBackBareAreWrapped) {
  MainSetup.writeoldtlc = 1;
  struct Case {
    const char* text;
    const char* line;
  } cases[] = {
      {"=C", "\n=C\n"},
      {"plain text", "\nplain text\n"},
      {"", "\n\n"},
      {"  lead", "\n<![CDATA[  lead]]>\n"},
      {"caf\xe9", "\n<![CDATA[caf\xe9]]>\n"},
      {"trail ", "\n<![CDATA[trail ]]>\n"},
      {"<B>", "\n<![CDATA[<B>]]>\n"},
      {"<![CDATA[x]]>", "\n<![CDATA[<![CDATA[x]]>]]>\n"},
  };
  for (const Case& c : cases) AddText(10, 100, 0, 0, 0, c.text);
  int cell = Register("OLD", 1);
  ASSERT_EQ(TlcWriteCell("OLD", "OLD"), 0);
  std::string f = ReadFile("OLD.tlc");
  for (const Case& c : cases) EXPECT_NE(f.find(std::string("0 0") + c.line), std::string::npos) << c.text;
  StoreReset();
  ASSERT_EQ(CellObjLoad(cell), 0);
  ASSERT_EQ(Store.pathCount, 8);
  for (int i = 0; i < 8; ++i) {
    char text[100];
    StoreTextGet(i + 1, text, sizeof text);
    EXPECT_STREQ(text, cases[i].text);
  }
  ASSERT_EQ(TlcWriteCell("OLD", "OLD"), 0);
  EXPECT_EQ(ReadFile("OLD.tlc"), f);
  // A control character is written as '_' first, so the line stays bare
  // and the next save writes the same.
  StoreReset();
  AddText(10, 100, 0, 0, 0, "ctl\x02");
  ASSERT_EQ(CrfWrite("OLD", cell, 1), 1);
  ASSERT_EQ(TlcWriteCell("OLD", "OLD"), 0);
  f = ReadFile("OLD.tlc");
  EXPECT_NE(f.find("\nctl_\n"), std::string::npos);
  ASSERT_EQ(CellObjLoad(cell), 0);
  ASSERT_EQ(TlcWriteCell("OLD", "OLD"), 0);
  EXPECT_EQ(ReadFile("OLD.tlc"), f);
}

TEST_F(TlcFile, RecordLayouts) {
  int lower = CellFindAdd("LOWER");
  FillMixed(lower);
  AddBox(2, 50, 60, 10, 20);  // stored reversed, written ordered
  int32_t bare = AddPath(3, 0, {});
  StorePathSet(0, 2, bare);  // a path left without points is not written
  Register("MIXED", 2);
  ASSERT_EQ(TlcWriteCell("MIXED", "MIXED"), 0);
  std::string f = ReadFile("MIXED.tlc");
  const char* expected[] = {
      "<P>\n7 -1500 5\n0 0 1 1 2 2 3 3 4 4 \n</P>\n",
      "<P>\n7 1000 6\n0 0 1 1 2 2 3 3 4 4 \n5 5 \n</P>\n",
      "<P>\n9 0 10\n0 0 10 0 10 10 0 10 0 20 \n5 20 5 30 0 30 0 40 -5 40 \n</P>\n",
      "<T>\n10 800 2 0\n10 20\n<![CDATA[]]>\n</T>\n",
      "<T>\n7 800 2 5\n-10 20\n<![CDATA[VDDVDDVD]]>\n</T>\n",
      "<T>\n7 1000 3 7\n30 -20\n<![CDATA[OUT_12345]]>\n</T>\n",
      "<C>\nLOWER\n6 -100 200 1\n</C>\n",
      "<B>\n2 10 20 50 60\n</B>\n",
      "<B>\n1 0 0 100 200\n</B>\n",
      "<B>\n256 -536870912 -5 536870912 5\n</B>\n",
      "<H>\nMIXED\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n2 ",
  };
  for (const char* e : expected) EXPECT_NE(f.find(e), std::string::npos) << e;
  EXPECT_EQ(f.find("<P>\n3 "), std::string::npos);
}

TEST_F(TlcFile, RankOneCellGetsNoInstancesAndOrganizeBitsDoNotHideObjects) {
  int lower = CellFindAdd("LOWER");
  AddBox(1, 0, 0, 1, 1);
  AddInst(0, lower, 0, 0, 0);
  int cell = Register("DEV", 1);
  ASSERT_EQ(TlcWriteCell("DEV", "DEV"), 0);
  std::string f = ReadFile("DEV.tlc");
  EXPECT_EQ(f.find("<C>"), std::string::npos);
  EXPECT_NE(f.find("<B>"), std::string::npos);
  // Organize keeps the old number above bit 5: the rank is still 2, and the
  // cell's own objects are written, never a missing-cell text.
  CellTable.cells[cell].rank = 2 | (37 << 6);
  ASSERT_EQ(TlcWriteCell("DEV", "DEV"), 0);
  f = ReadFile("DEV.tlc");
  EXPECT_NE(f.find("<C>\nLOWER\n"), std::string::npos);
  EXPECT_NE(f.find("<B>\n1 0 0 1 1\n"), std::string::npos);
  EXPECT_EQ(f.find("<<"), std::string::npos);
  // A rank word whose low bits are no rank refuses the save and keeps the file.
  CellTable.cells[cell].rank = 25;
  EXPECT_EQ(TlcWriteCell("DEV", "DEV"), 1);
  EXPECT_EQ(TlcWrite.lastWriteFailed, 1);
  EXPECT_EQ(ReadFile("DEV.tlc"), f);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Rank of DEV is outside 1..24 ... Cell not Saved"});
}

TEST_F(TlcFile, ReadWriteReadReachesAFixedPoint) {
  // Written by hand the way other writers do: both forms mixed, leading
  // blanks, trailing blanks and CR, reversed corners, points spread over
  // lines, records in any order, unknown lines.
  WriteFile("HAND.tlc",
            "=H\nhand\nx\ny\n1000\num\n01/01/01\n00:00:00\n1 0 0 1 1\n0 0 0 0\n"
            "  <B>  \r\n  5 100 100 0 0\r\n</B>\r\n"
            "something else\n"
            "=P\n7 10 3\n0 0\n5 5\n\n10 10\n"
            "=T\n10 800 9 4\n1 2\n  =C\n"
            "<T>\n10 800 2 0\n3 4\n<![CDATA[ a]]>b ]]>\n</T>\n"
            "=B\n1 -1 -2 3 4\n");
  int cell = CellFindAdd("HAND");
  ASSERT_EQ(CellObjLoad(cell), 0);
  EXPECT_EQ(Store.boxCount, 2);
  EXPECT_EQ(StoreBoxGet(1, 1), 0);
  EXPECT_EQ(StoreBoxGet(3, 1), 100);
  EXPECT_EQ(Store.pathCount, 3);
  char text[100];
  StoreTextGet(2, text, sizeof text);
  EXPECT_STREQ(text, "=C");
  StoreTextGet(3, text, sizeof text);
  EXPECT_STREQ(text, " a]]>b ");
  ASSERT_EQ(CrfWrite("HAND", cell, 1), 1);
  ASSERT_EQ(TlcWriteCell("HAND", "HAND"), 0);
  std::string once = ReadFile("HAND.tlc");
  ASSERT_EQ(CellObjLoad(cell), 0);
  ASSERT_EQ(CrfWrite("HAND", cell, 1), 1);
  ASSERT_EQ(TlcWriteCell("HAND", "HAND"), 0);
  EXPECT_EQ(ReadFile("HAND.tlc"), once);
  EXPECT_TRUE(rec->messages.empty());
}

TEST_F(TlcFile, TagsMatchWholeLinesAndRecordsAreConsumedWhole) {
  // An old-form text reading "=C" is a text, not an instance; "<B> x" opens
  // nothing; a path's lines are never taken for records.
  WriteFile("T.tlc",
            "=T\n10 800 2 0\n0 0\n=C\n"
            "<B> x\n1 0 0 5 5\n"
            "=C\nINV\n0 1 2 0\n");
  int cell = CellFindAdd("T");
  CellFindAdd("INV");
  ASSERT_EQ(Load(cell), std::make_pair(0, 0));
  EXPECT_EQ(Store.boxCount, 0);
  EXPECT_EQ(Store.pathCount, 1);
  EXPECT_EQ(Store.instCount[0], 1);
  EXPECT_EQ(StoreCellGet(0, 1, 1), 1);
  EXPECT_TRUE(rec->messages.empty());
}

TEST_F(TlcFile, FieldsOutOfRangeAreRecordReadErrors) {
  struct Case {
    const char* record;
    const char* message;
  } cases[] = {
      {"<B>\n0 0 0 1 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n257 0 0 1 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n512 0 0 1 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n1 0 0 536870913 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n1 0 0 4294967297 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n1 0 0 1\n</B>\n", "Box Record Read Error"},
      {"<B>\n1 0 0 1 x\n</B>\n", "Box Record Read Error"},
      {"<P>\n0 10 1\n0 0 \n</P>\n", "Path Record Read Error"},
      {"<P>\n5 10 0\n</P>\n", "Path Record Read Error"},
      {"<P>\n5 10 -3\n0 0 \n</P>\n", "Path Record Read Error"},
      {"<P>\n5 2147483648 1\n0 0 \n</P>\n", "Path Record Read Error"},
      {"<P>\n5 10 2\n0 0 1\n1 \n</P>\n", "Path Record Read Error"},
      {"<P>\n5 10 3\n0 0 1 1 \n</P>\n", "Path Record Read Error"},
      {"<T>\n10 800 2 -1\n0 0\n<![CDATA[A]]>\n</T>\n", "Text Record Read Error"},
      {"<T>\n10 800 2 8\n0 0\n<![CDATA[A]]>\n</T>\n", "Text Record Read Error"},
      {"<T>\n0 800 2 0\n0 0\n<![CDATA[A]]>\n</T>\n", "Text Record Read Error"},
      {"<T>\n10 800 2 0\n0 -536870913\n<![CDATA[A]]>\n</T>\n", "Text Record Read Error"},
      {"<T>\n10 800 2 0\n0 0\n", "Text Record Read Error"},
  };
  int cell = CellFindAdd("BAD");
  for (const Case& c : cases) {
    HostRecordInstall();
    // The good box after the bad record is still read.
    WriteFile("BAD.tlc", std::string(c.record) + "<B>\n3 0 0 1 1\n</B>\n");
    EXPECT_EQ(CellObjLoad(cell), 1) << c.record;
    EXPECT_EQ(TlcLoad.objFailed, 1);
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{c.message}) << c.record;
    EXPECT_EQ(Store.boxCount, 1) << c.record;
    EXPECT_EQ(StoreBoxGet(0, 1), 3) << c.record;
    EXPECT_EQ(Store.pathCount, 0) << c.record;
  }
  // Instances: a malformed record is reported and fails the load.
  HostRecordInstall();
  WriteFile("BAD.tlc", "<C>\nX\n0 0 536870913 0\n</C>\n<C>\nY\n0 0 0\n</C>\n<C>\nZ\n1 2 3 0\n</C>\n");
  EXPECT_EQ(CellInstLoad(cell, 0), 1);
  EXPECT_EQ(TlcLoad.inst0Failed, 1);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"Cell Record Read Error", "Cell Record Read Error"}));
  EXPECT_EQ(Store.instCount[0], 1);
}

TEST_F(TlcFile, PathVertexLimitOfTheEditor) {
  int cell = CellFindAdd("LONG");
  for (int n : {1024, 1025, 1040, 1500}) {
    HostRecordInstall();
    std::string f = "<P>\n7 0 " + std::to_string(n) + "\n";
    for (int i = 0; i < n; ++i) f += std::to_string(i) + " " + std::to_string(-i) + (i % 5 == 4 ? " \n" : " ");
    f += "\n</P>\n<B>\n1 0 0 1 1\n</B>\n";
    WriteFile("LONG.tlc", f);
    int result = CellObjLoad(cell);
    EXPECT_EQ(Store.boxCount, 1) << n;  // the record's lines were consumed whole
    EXPECT_EQ(Store.vertexCount, n > 1024 ? 1024 : n) << n;
    if (n <= 1024) {
      EXPECT_EQ(result, 0);
      EXPECT_TRUE(rec->messages.empty());
    } else {
      // Kept for viewing, but the load fails so the cut is never saved as the cell.
      EXPECT_EQ(result, 1) << n;
      EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Path Vertex Count of " + std::to_string(n) +
                                                            " exceeds Limit of 1024 ... Path will be Truncated"});
    }
  }
}

TEST_F(TlcFile, UnresolvedInstanceNamesAreKeptAndWrittenBack) {
  int known = CellFindAdd("KNOWN");
  WriteFile("TOP.tlc",
            "<C>\nghost\n1 10 20 0\n</C>\n<C>\nKNOWN\n0 0 0 0\n</C>\n<C>\nGHOST\n2 5 5 1\n</C>\n"
            "<C>\nOTHER\n0 1 1 0\n</C>\n");
  int top = CellFindAdd("TOP");
  ASSERT_EQ(Load(top), std::make_pair(0, 0));
  ASSERT_EQ(Store.instCount[0], 4);
  int ghost = StoreCellGet(0, 0, 1) & INST_CELL_MASK;
  EXPECT_GE(ghost, UNRESOLVED_FIRST);
  EXPECT_EQ(StoreCellGet(0, 0, 3) & INST_CELL_MASK, ghost);  // the same name, the same number
  EXPECT_EQ(StoreCellGet(0, 0, 2) & INST_CELL_MASK, known);
  EXPECT_NE(StoreCellGet(0, 0, 4) & INST_CELL_MASK, ghost);
  EXPECT_EQ(CellEntryOf(ghost), nullptr);  // no table entry is read for it
  EXPECT_STREQ(CellNameOf(ghost), "GHOST");
  EXPECT_EQ(CellNameOf(0), nullptr);
  ASSERT_EQ(CrfWrite("TOP", top, 2), 1);
  ASSERT_EQ(TlcWriteCell("TOP", "TOP"), 0);
  std::string f = ReadFile("TOP.tlc");
  EXPECT_NE(f.find("<C>\nGHOST\n1 10 20 0\n</C>\n<C>\nKNOWN\n0 0 0 0\n</C>\n<C>\nGHOST\n2 5 5 1\n</C>\n"
                   "<C>\nOTHER\n0 1 1 0\n</C>\n"),
            std::string::npos);
  EXPECT_EQ(CellObjLoad(ghost), 1);  // never a file of its own
  // A name that no cell can carry is a malformed record.
  HostRecordInstall();
  WriteFile("TOP.tlc", "<C>\nA.B\n0 0 0 0\n</C>\n<C>\nCON\n0 0 0 0\n</C>\n<C>\nOK\n0 0 0 0\n</C>\n");
  EXPECT_EQ(CellInstLoad(top, 0), 1);
  EXPECT_EQ(Store.instCount[0], 1);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"Cell Record Read Error", "Cell Record Read Error"}));
}

TEST_F(TlcFile, LimitChecksBeforeTheFileIsOpened) {
  struct Case {
    int field;  // 0 nb, 1 np, 2 nv
    int32_t value;
    const char* message;
  } cases[] = {
      {0, BOX_LIMIT + 1, "BIG Total Box Count of 5000001 will Exceed Limit ... Load Aborted"},
      {1, PATH_LIMIT + 1, "BIG Total Path Count of 2500001 will Exceed Limit ... Load Aborted"},
      {2, VERTEX_LIMIT + 1, "BIG Total Vertex Count of 12500001 will Exceed Limit ... Load Aborted"},
  };
  int big = CellFindAdd("BIG");  // no file: a load that got to it would fail with 1
  for (const Case& c : cases) {
    HostRecordInstall();
    StoreReset();
    AddBox(1, 0, 0, 1, 1);
    CellEntry& e = CellTable.cells[big];
    e.nb = e.np = e.nv = 0;
    (&e.nb)[c.field] = c.value;
    EXPECT_EQ(CellObjLoad(big), -1);
    EXPECT_EQ(Store.boxCount, 1);  // the store keeps its objects
    EXPECT_EQ(StoreBoxGet(3, 1), 1);
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{c.message});
  }
  // Appending counts what the store holds already.
  CellTable.cells[big].nb = BOX_LIMIT;
  CellTable.cells[big].np = CellTable.cells[big].nv = 0;
  EXPECT_EQ(CellObjAppend(big), -1);
  CellTable.cells[big].nc = INST_LIMIT + 1;
  HostRecordInstall();
  EXPECT_EQ(CellInstLoad(big, 0), -1);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"BIG Total Cell Count of 1000001 will Exceed Limit ... Load Aborted"});
}

TEST_F(TlcFile, InstanceLimitIsTheLevelBeingLoaded) {
  WriteFile("SUB.tlc", "<C>\nA\n0 0 0 0\n</C>\n<C>\nA\n0 5 5 0\n</C>\n");
  int sub = CellFindAdd("SUB");
  CellFindAdd("A");
  // A full level 0 does not stop a load into level 3.
  Store.instCount[0] = INST_LIMIT;
  ASSERT_EQ(CellInstLoad(sub, 3), 0);
  EXPECT_EQ(Store.instCount[3], 2);
  EXPECT_EQ(Store.levelCell[3], sub);
  EXPECT_EQ(Store.instCount[0], INST_LIMIT);
  // Appending to level 0 stops at its own limit, with the message.
  Store.instCount[0] = INST_LIMIT - 1;
  EXPECT_EQ(CellInstAppend(sub), 1);
  EXPECT_EQ(Store.instCount[0], INST_LIMIT);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"TLC Cells Exceed Limit ... Load Aborted"});
  // Loading a level frees it and every deeper one.
  ASSERT_EQ(CellInstLoad(sub, 2), 0);
  EXPECT_EQ(Store.instCount[3], 0);
  EXPECT_EQ(Store.levelCell[3], 0);
  EXPECT_EQ(Store.instPages[3].page[0], nullptr);
  EXPECT_EQ(TlcReadInsts("SUB", 24), 1);
}

TEST_F(TlcFile, LimitsDuringALoad) {
  WriteFile("L.tlc", "<B>\n1 0 0 1 1\n</B>\n<B>\n1 0 0 2 2\n</B>\n<P>\n1 0 3\n0 0 1 1 2 2\n</P>\n");
  int cell = CellFindAdd("L");
  // Append after a store that is one box and two vertices short of full.
  Store.boxCount = BOX_LIMIT - 1;
  Store.vertexCount = VERTEX_LIMIT - 2;
  EXPECT_EQ(CellObjAppend(cell), 1);
  EXPECT_EQ(Store.boxCount, BOX_LIMIT);
  EXPECT_EQ(Store.pathCount, 1);
  EXPECT_EQ(Store.vertexCount, VERTEX_LIMIT);
  EXPECT_EQ(StoreVertexGet(3, VERTEX_LIMIT), 0);  // the chain ends at the limit
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"TLC Boxes Exceed Limit ... Load Aborted",
                                                         "TLC Vertices Exceed Limit ... Load Aborted"}));
}

TEST_F(TlcFile, FailedSaveKeepsTheOldFile) {
  AddBox(1, 0, 0, 1, 1);
  int cell = Register("KEEP", 1);
  ASSERT_EQ(TlcWriteCell("KEEP", "KEEP"), 0);
  std::string before = ReadFile("KEEP.tlc");
  AddBox(2, 0, 0, 5, 5);
  ASSERT_EQ(CrfWrite("KEEP", cell, 1), 1);
  // Every write fails: the scratch file is a device that is always full.
  ASSERT_EQ(symlink("/dev/full", "KEEP.tlc.tmp"), 0);
  EXPECT_EQ(TlcWriteCell("KEEP", "KEEP"), 1);
  EXPECT_EQ(TlcWrite.lastWriteFailed, 1);
  EXPECT_EQ(ReadFile("KEEP.tlc"), before);
  EXPECT_FALSE(FileExists("KEEP.tlc.tmp"));
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Unable to Write KEEP.tlc File"});
  HostRecordGet().messages.clear();
  // A scratch file that can't be made: the message, the old file kept.
  ASSERT_EQ(mkdir("KEEP.tlc.tmp", 0700), 0);
  EXPECT_EQ(TlcWriteCell("KEEP", "KEEP"), 1);
  EXPECT_EQ(ReadFile("KEEP.tlc"), before);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Unable to Write KEEP.tlc File"});
  rmdir("KEEP.tlc.tmp");
  EXPECT_EQ(TlcWriteCell("KEEP", "KEEP"), 0);
  EXPECT_NE(ReadFile("KEEP.tlc"), before);
  EXPECT_EQ(TlcWriteCell("KEEP", ""), 1);
  EXPECT_EQ(TlcWriteCell("KEEP", "NOTACELL"), 1);
}

TEST_F(TlcFile, SaveAsScript) {
  int lower = CellFindAdd("LOWER");
  AddBox(7, 1000, 2000, 3500, 4000);
  AddPath(5, 500, {{0, 0}, {1500, 0}});
  AddText(7, 800, 1, 250, 500, "VDD");
  AddInst(0, lower, 3, 10000, 0);
  Register("SCR", 2);
  TlcWrite.scriptFlag = 1;
  ASSERT_EQ(TlcWriteCell("SCR", "SCR"), 0);
  EXPECT_EQ(TlcWrite.scriptFlag, 0);
  EXPECT_EQ(ReadFile("SCR.txt"),
            "*** Script for SCR (2)  7.0.91  12/10/26  12:00:00\naput\n"
            "\n*cell1\nobj LOWER\nadd 10 0 3\n"
            "\n*box1\nobj b\nlayr 7\nadd 1 2 3.5 4\n"
            "\n*path1\nobj p\nlayr 5\nwdth 0.5\nadd 0 0\nadd 1.5 0\naput\n"
            "\n*text1\ntlyr 7\ntsiz 0.8\ntext 0.25 0.5 VDD\n"
            "\nfit\n");
  EXPECT_FALSE(FileExists("SCR.tlc"));
}

TEST_F(TlcFile, CopyWriteNewAndAppended) {
  int lower = CellFindAdd("LOWER");
  CellTable.cells[lower].rank = 2;
  AddBox(1, 0, 0, 10, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  AddBox(2, 0, 0, 10, 10);  // not selected
  int32_t p = AddPath(5, 0, {{0, 0}, {10, 0}, {10, 10}});
  StorePathSet(5 | PATH_SELECTED, 0, p);
  int32_t t = AddText(7, 800, 0, 1, 1, "ABCDEFGHI");
  StorePathSet(StorePathGet(0, t) | PATH_SELECTED, 0, t);
  AddInst(0, lower, 0, 0, 0);
  StoreCellSet(StoreCellGet(0, 0, 1) | INST_SELECTED, 0, 0, 1);
  TlcWrite.copyDx = 1;  // physical units: 1000 database units
  TlcWrite.copyDy = -0.5;
  ASSERT_EQ(CopyWrite("PIECE"), 0);
  std::string f = ReadFile("PIECE.tlc");
  EXPECT_NE(f.find("<C>\nLOWER\n0 1000 -500 0\n</C>\n<B>\n1 1000 -500 1010 -490\n</B>\n"), std::string::npos);
  EXPECT_NE(f.find("<P>\n5 0 3\n1000 -500 1010 -500 1010 -490 \n</P>\n"), std::string::npos);
  EXPECT_NE(f.find("1001 -499\n<![CDATA[ABCDEFGHI]]>"), std::string::npos);
  // The header comes last: rank 3 (above LOWER's 2), extent 0 0 1 0, counts.
  EXPECT_NE(f.find("<H>\nPIECE\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n3 0 0 1 0\n1 2 6 1\n</H>\n</TLC>\n"),
            std::string::npos);
  // Into an existing cell: appended after its "</TLC>", and still readable.
  int piece = CellFindAdd("PIECE");
  CellTable.cells[piece].rank = 3;
  ASSERT_EQ(CopyWrite("PIECE"), 0);
  std::string g = ReadFile("PIECE.tlc");
  EXPECT_EQ(g.rfind(f, 0), 0u);
  EXPECT_EQ(g.substr(f.size()).find("<?xml"), std::string::npos);
  StoreReset();
  ASSERT_EQ(CellObjLoad(piece), 0);
  EXPECT_EQ(Store.boxCount, 2);
  EXPECT_EQ(Store.pathCount, 4);
  // Names that can't be file names are refused before anything is written.
  EXPECT_EQ(CopyWrite("CON"), 1);
  EXPECT_EQ(CopyWrite("A.B"), 1);
  EXPECT_FALSE(FileExists("CON.tlc"));
}

TEST_F(TlcFile, MissingCellTextAndHeader) {
  TlcRec.cel.x = 300;
  TlcRec.cel.y = 400;
  ASSERT_EQ(TlcCreate("", "MISS"), 1);
  TlcWriteMissingHeader("GONE");
  TlcWriteMissing("GONE");
  ASSERT_EQ(TlcFinish(), 0);
  std::string f = ReadFile("MISS.tlc");
  // "<<GONE>>" is 8 characters: r = 300 + 8 * 1000 / 3 * 2, t = 400 + 1000.
  EXPECT_NE(f.find("1 0 0 5632 1400\n0 1 2 0\n</H>\n<T>\n256 1000 2 0\n300 400\n<![CDATA[<<GONE>>]]>\n</T>\n"),
            std::string::npos);
}

TEST_F(TlcFile, RecordReadersWidenTheExtent) {
  int inv = CellFindAdd("INV");
  CellTable.cells[inv].l = -10;
  CellTable.cells[inv].b = -20;
  CellTable.cells[inv].r = 30;
  CellTable.cells[inv].t = 40;
  struct Case {
    const char* record;
    int64_t ext[4];
  } cases[] = {
      {"<B>\n1 5 6 -7 -8\n", {-7, -8, 5, 6}},
      {"<P>\n1 10 2\n0 0 100 -50\n", {-5, -55, 105, 5}},
      // 3 characters of size 300: x .. x + 3 x 300 / 3 x 2, y .. y + 300.
      {"<T>\n1 300 2 0\n10 20\nABC\n", {10, 20, 610, 320}},
      {"<C>\ninv\n3 1000 2000 0\n", {990, 1980, 1030, 2040}},  // orientation not applied
      {"<C>\nGHOST\n0 7 8 0\n", {7, 8, 7, 8}},
  };
  for (const Case& c : cases) {
    TlcOpenMem(c.record, strlen(c.record));
    TlcLoad.ext[0] = TlcLoad.ext[1] = INT64_MAX;
    TlcLoad.ext[2] = TlcLoad.ext[3] = INT64_MIN;
    int tag = TlcTagOf(TlcLineGet(TlcLoad.in));
    int ok = tag == 'B' ? TlcReadBox(1) : tag == 'P' ? TlcReadPath(1, nullptr) : tag == 'T' ? TlcReadText(1) : TlcReadCell(1);
    TlcClose();
    ASSERT_EQ(ok, 1) << c.record;
    for (int k = 0; k < 4; ++k) EXPECT_EQ(TlcLoad.ext[k], c.ext[k]) << c.record << " " << k;
  }
}

TEST_F(TlcFile, HeaderScanAndLayerMerge) {
  WriteFile("H.tlc", "=T\n1 1 2 0\n0 0\n=H\n=H\nhname\nx\nx\n250\nnm\nd\nt\n3 -1 -2 3 4\n1 2 3 4\n");
  ASSERT_EQ(TlcOpen("", "H"), 1);
  ASSERT_EQ(TlcHeaderScan(), 1);
  TlcClose();
  EXPECT_STREQ(TlcRec.hdr.name, "HNAME");  // the text's "=H" line was its text
  EXPECT_EQ(TlcRec.hdr.scale, 250);
  EXPECT_EQ(TlcRec.hdr.nc, 4);
  WriteFile("N.tlc", "<B>\n1 0 0 1 1\n</B>\n");
  ASSERT_EQ(TlcOpen("", "N"), 1);
  ASSERT_EQ(TlcHeaderScan(), 1);  // no header: the presets
  TlcClose();
  EXPECT_EQ(TlcRec.hdr.rank, 24);
  EXPECT_EQ(TlcRec.hdr.r, 1000);
  WriteFile("BADH.tlc", "<H>\nX\nv\nv\nzero\n");
  ASSERT_EQ(TlcOpen("", "BADH"), 1);
  EXPECT_EQ(TlcHeaderScan(), 0);
  TlcClose();
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Header Record Read Error"});

  MainSetup.layerNumOnly = 0;  // match on number and name
  WriteFile("LY.tlc", "<L>\n5\nmetal1 7\nMETAL3 11\nbad\nPOLY 300\nnwell2 1\n</L>\n");
  ASSERT_EQ(TlcOpen("", "LY"), 1);
  ASSERT_STREQ(TlcLineGet(TlcLoad.in), "<L>");
  EXPECT_EQ(TlcLayerMerge(), 2);  // METAL3 11 and NWELL2 1 (same number, other name)
  TlcClose();
  EXPECT_EQ(MainSetup.layerCount, 12);
  EXPECT_STREQ(MainSetup.layers[10].name, "METAL3");
  MainSetup.layerNumOnly = 1;
  ASSERT_EQ(TlcOpen("", "LY"), 1);
  TlcLineGet(TlcLoad.in);
  EXPECT_EQ(TlcLayerMerge(), 0);
  TlcClose();
}

}  // namespace
