#include "cmdtable.h"

#include <gtest/gtest.h>

#include <set>

#include "cmdengine.h"
#include "view.h"

namespace {

TEST(CmdTable, IdsAndNamesFindTheirEntries) {
  struct Case {
    int id;
    const char* name;
    int index;
  } cases[] = {{127, "get", 0}, {12, "PRINT", 76}, {22, "Left", 65}, {29, "zoom", 70},
               {31, "Draw", 74}, {109, "Cmd", 77}, {166, "Wmov", 13}};
  for (const Case& c : cases) {
    EXPECT_EQ(CmdIndexById(c.id), c.index) << c.id;
    EXPECT_EQ(CmdIndexByName(c.name), c.index) << c.name;
  }
  EXPECT_EQ(CmdIndexById(13), -1);  // System is the shell's own
  EXPECT_EQ(CmdIndexByName("Nope"), -1);
  EXPECT_EQ(CmdIndexByName(nullptr), -1);
  std::set<int> ids;
  for (const CmdEntry& e : CmdTable) ids.insert(e.id);
  EXPECT_EQ(ids.size(), (size_t)CMD_COUNT);  // every id names one entry
}

TEST(CmdTable, OnlyResCapPrintAndCmdStayOffCommandLines) {
  for (int i = 0; i < CMD_COUNT; ++i) {
    bool off = i == 50 || i == 51 || i == 76 || i == 77;
    EXPECT_EQ(CmdLineAllowed(i) == 0, off) << CmdTable[i].name;
    EXPECT_EQ(CmdKeyAllowed(i) == 0, off) << CmdTable[i].name;
  }
  EXPECT_EQ(CmdCoords(70), 4);  // Zoom carries two points
  EXPECT_EQ(CmdKind(74), 0);    // Draw is a view command
}

int redraws = 0;
void CountRedraw(int) { ++redraws; }

TEST(CmdLineStub, ZoomLineFromTheRuleCheckerSetsTheView) {
  ViewReset();
  View.area.right = 1000;
  View.area.bottom = 1000;
  View.area.ox = View.area.oy = 500;
  CmdEngineState st;
  CmdShell.redraw = CountRedraw;
  redraws = 0;
  st.keyLine = 1;
  EXPECT_EQ(Cmd(st, "zoom 0,0 100,100"), 1);
  EXPECT_DOUBLE_EQ(View.cx, 50000);
  EXPECT_DOUBLE_EQ(View.cy, 50000);
  EXPECT_DOUBLE_EQ(View.width, 110000);
  EXPECT_GT(redraws, 0);
  // Bad numbers and out-of-range points change nothing.
  EXPECT_EQ(Cmd(st, "zoom 0,0 100"), 0);
  EXPECT_EQ(Cmd(st, "zoom 0,0 1e30,1"), 0);
  EXPECT_EQ(Cmd(st, "zoom nan,0 1,1"), 0);
  EXPECT_DOUBLE_EQ(View.width, 110000);
  // Print may not stand on a key line.
  EXPECT_EQ(Cmd(st, "Print"), 0);
  EXPECT_EQ(Cmd(st, "Fit"), 1);
}

}  // namespace
