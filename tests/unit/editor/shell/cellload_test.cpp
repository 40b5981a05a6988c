#include "pending.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "celltable.h"
#include "host.h"
#include "host_record.h"
#include "mainsetup.h"
#include "view.h"
#include "store.h"
#include "tlcread.h"

namespace {

std::string SourceDir() {
  const char* src = getenv("QUIL_SOURCE");
  if (src) return src;
  std::string here = __FILE__;
  return here.substr(0, here.rfind("/tests/unit/"));
}

// A copy of the sample drawing as the current folder.
class SampleFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char buf[4096];
    old = getcwd(buf, sizeof buf) ? buf : ".";
    char tmpl[] = "/tmp/quilshell_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
    std::string cmd = "cp -r '" + SourceDir() + "/samples/demo/.' '" + dir + "/'";
    ASSERT_EQ(system(cmd.c_str()), 0);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    StoreReset();
    CellTableReset();
    TlcLoadReset();
    Cell = CurrentCell();
    MainSetupReset();
    ViewReset();
    rec = &HostRecordInstall();
    ASSERT_TRUE(DrawingCrfRead());
  }
  void TearDown() override {
    HostRecordRemove();
    StoreReset();
    CellTableReset();
    TlcLoadReset();
    if (chdir(old.c_str()) != 0) {
    }
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) {
    }
  }
  std::string old, dir;
  HostRecord* rec = nullptr;
};

TEST_F(SampleFolder, LoadByNameFillsTheCurrentCellAndItsCounts) {
  ASSERT_EQ(CellLoadByName("inv"), 1);
  EXPECT_STREQ(Cell.name, "INV");
  EXPECT_EQ(Cell.rank, 2);
  EXPECT_EQ(Cell.number, CellFind("INV"));
  EXPECT_EQ(Store.currentCell, Cell.number);
  const CellEntry* e = CellEntryOf(Cell.number);
  EXPECT_EQ(Cell.boxes, e->nb);
  EXPECT_EQ(Cell.paths + Cell.texts, e->np);
  EXPECT_EQ(Cell.vertices, e->nv);
  EXPECT_EQ(Cell.cells, e->nc);
  EXPECT_TRUE(rec->messages.empty());
}

TEST_F(SampleFolder, UnknownBadAndWrongRankNamesLoadNothing) {
  ASSERT_EQ(CellLoadByName("TOP"), 1);
  EXPECT_EQ(CellLoadByName("NOPE"), 0);
  EXPECT_EQ(CellLoadByName("A.B"), 0);
  CellTable.cells[CellFind("NMOS")].rank = 25;
  EXPECT_EQ(CellLoadByName("NMOS"), 0);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"New Cell Aborted",
                                                         "Illegal Character \".\" in Cellname",
                                                         "Rank Error"}));
  EXPECT_EQ(rec->messages[0].caption, "Cell Aborted");
  EXPECT_STREQ(Cell.name, "TOP");  // the current cell stays
}

TEST_F(SampleFolder, MissingCellFileReportsTheLoadFailure) {
  ASSERT_EQ(remove("PMOS.tlc"), 0);
  EXPECT_EQ(CellLoadByName("PMOS"), 0);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Loading PMOS TLC File Failed"});
  EXPECT_STREQ(Cell.name, "");
  EXPECT_EQ(Store.boxCount, 0);
}

TEST_F(SampleFolder, EachRankKeepsItsView) {
  MainSetup.rankView[2] = {0, 1, 1, 20000, 1000, -2000};
  MainSetup.rankView[3] = {0, 2, 1, 80000, 5000, 6000};
  MainSetup.wgrid[1] = 250;
  ASSERT_EQ(CellLoadByName("INV"), 1);  // rank 2
  EXPECT_DOUBLE_EQ(View.width, 20000);
  EXPECT_DOUBLE_EQ(View.cy, -2000);
  EXPECT_EQ(View.grid, 1);
  View.width = 30000;  // the user zooms
  ASSERT_EQ(CellLoadByName("TOP"), 1);  // rank 3
  EXPECT_DOUBLE_EQ(View.width, 80000);
  EXPECT_DOUBLE_EQ(View.cx, 5000);
  EXPECT_EQ(View.grid, 250);  // working grid preset 2
  EXPECT_EQ(MainSetup.rankView[2].winw, 30000);  // kept for rank 2
  CellNoneSet();
  EXPECT_EQ(Cell.rank, 0);
  EXPECT_EQ(Store.boxCount, 0);
}

TEST_F(SampleFolder, RecallListKeepsEachNameOnceMostRecentFirst) {
  ASSERT_EQ(CellLoadByName("INV"), 1);
  ASSERT_EQ(CellLoadByName("TOP"), 1);
  ASSERT_EQ(CellLoadByName("INV"), 1);
  EXPECT_STREQ(Cell.recall[0], "INV");
  EXPECT_STREQ(Cell.recall[1], "TOP");
  EXPECT_STREQ(Cell.recall[2], "");
  for (int i = 0; i < 12; ++i) {
    char name[8];
    snprintf(name, sizeof name, "C%d", i);
    RecallPush(name);
  }
  EXPECT_STREQ(Cell.recall[0], "C11");
  EXPECT_STREQ(Cell.recall[RECALL_MAX - 1], "C3");  // the oldest dropped off
}

}  // namespace
