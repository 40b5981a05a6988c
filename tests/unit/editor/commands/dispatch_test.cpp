#include "cmdfixture.h"

#include <algorithm>

namespace {

struct Dispatch : CmdFixture {
  int Index(const char* name) { return CmdIndexByName(name); }
  // Get waiting for its second point at (0, 0).
  void GetWaits() {
    CmdStart(st, 0, 0);
    CmdPoint(st, 0, 0);
    ASSERT_EQ(View.step, 2);
    ASSERT_EQ(st.current, 0);
  }
};

TEST_F(Dispatch, ViewCommandDuringGetsSecondPointResumesGet) {
  MakeCurrent("TOP", 1);
  BoxAdd(1, 100, 100, 200, 200);
  GetWaits();
  double cx = View.cx;
  CmdStart(st, Index("Left"), 0);
  EXPECT_LT(View.cx, cx);
  EXPECT_EQ(CmdPump(st), 1);  // the step back
  EXPECT_EQ(st.current, 0);
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(panes.back(), " Get  (Pt.2)");
  EXPECT_EQ(st.stateSaved, 0);
  CmdPoint(st, 300, 300);  // completes the window
  EXPECT_EQ(StoreBoxGet(0, 1) & BOX_SEL_ALL, (int32_t)BOX_SEL_ALL);
  CmdPump(st);
  EXPECT_EQ(View.step, 1);  // Get again from its first point
}

TEST_F(Dispatch, TwoViewCommandsInTurnEachResumeGet) {
  GetWaits();
  for (const char* v : {"Right", "Xpnd"}) {
    CmdStart(st, Index(v), 0);
    CmdPump(st);
    EXPECT_EQ(st.current, 0) << v;
    EXPECT_EQ(View.step, 2) << v;
    EXPECT_EQ(View.slot[1].x, 0);
  }
}

TEST_F(Dispatch, ViewCommandDuringAWaitingViewCommandBringsBackTheFirst) {
  GetWaits();
  CmdStart(st, Index("Zoom"), 0);
  CmdPoint(st, 10, 10);  // Zoom waits for its second point
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(CmdTable[st.current].name, std::string("Zoom"));
  CmdStart(st, Index("Left"), 0);  // nothing saved again
  CmdPump(st);
  EXPECT_EQ(st.current, 0);  // Get, Zoom is dropped
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(View.slot[1].x, 0);
}

TEST_F(Dispatch, ANewPointCommandDropsAKeptState) {
  GetWaits();
  CmdStart(st, Index("Zoom"), 0);  // keeps Get's state, waits for its point
  EXPECT_EQ(st.stateSaved, 1);
  CmdStart(st, Index("Fget"), 0);  // the user picks another command instead
  EXPECT_EQ(st.stateSaved, 0);
  CmdStart(st, Index("Left"), 0);
  CmdPump(st);
  EXPECT_EQ(st.current, Index("Fget"));  // not Get's old state
  EXPECT_EQ(View.step, 1);
}

TEST_F(Dispatch, CmdLeavesTheWaitingCommandAlone) {
  GetWaits();
  CmdStart(st, Index("Cmd"), 0);  // no dialog: cancelled
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(st.current, 0);
  EXPECT_EQ(st.queued, 0);
}

TEST_F(Dispatch, PointsOutsideTheStepsStoreNothing) {
  CmdStart(st, Index("Aput"), 0);  // one-shot: ends and restarts Get
  View.slot[1].x = 77;
  View.step = 0;
  st.current = 0;
  CmdPoint(st, 5, 5);  // step 0: nothing stored, the handler runs (asks pt 1)
  EXPECT_EQ(View.slot[1].x, 77);
  EXPECT_EQ(View.step, 1);
  View.step = 5;
  CmdPoint(st, 6, 6);
  EXPECT_EQ(View.slot[1].x, 77);
}

TEST_F(Dispatch, WindowCornersNormaliseButTheDeltaKeepsItsSign) {
  CmdStart(st, 0, 0);
  CmdPoint(st, 100, 200);
  CmdPoint(st, -50, 20);
  EXPECT_EQ(View.slot[1].x, -50);
  EXPECT_EQ(View.slot[1].y, 20);
  EXPECT_EQ(View.slot[2].x, 100);
  EXPECT_EQ(View.slot[2].y, 200);
  EXPECT_EQ(st.dx, -150);
  EXPECT_EQ(st.dy, -180);
}

TEST_F(Dispatch, RestartStartsThePendingCommand) {
  CmdStart(st, Index("Fget"), 0);
  CmdStart(st, Index("Aput"), 0);  // one-shot, posts the restart
  EXPECT_EQ(st.pending, Index("Fget"));
  EXPECT_EQ(CmdPump(st), 1);
  EXPECT_EQ(st.current, Index("Fget"));
  EXPECT_EQ(View.step, 1);
}

TEST_F(Dispatch, GuardsAndTheirMessages) {
  View.togs |= 0x200;  // texts hidden
  struct {
    const char* name;
    int refused;
  } cases[] = {{"Del", 1}, {"Add", 0}, {"Arc", 0}, {"Get", 1}, {"Pend", 0}};
  for (auto& c : cases) {
    rec->messages.clear();
    st.current = Index(c.name);
    EXPECT_EQ(CmdGuardVisible(st), c.refused) << c.name;
    EXPECT_EQ(LastMessage(), c.refused ? "Command is blocked because Text may not be Visible" : "") << c.name;
  }
  st.scriptRunning = 1;
  st.current = Index("Del");
  EXPECT_EQ(CmdGuardVisible(st), 0);
  EXPECT_EQ(CmdGuardCells(st), 0);
  st.scriptRunning = 0;
  View.togs &= ~0x200u;
  MainSetup.topdepth = 2;
  EXPECT_EQ(CmdGuardVisible(st), 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because some Depth Levels may not be Visible");
  MainSetup.topdepth = 0;
  MainSetup.botdepth = 5;
  View.togs |= 0x8;
  st.current = Index("Cget");
  EXPECT_EQ(CmdGuardCells(st), 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because Cells may not be Visible");
  st.current = Index("Get");
  EXPECT_EQ(CmdGuardCells(st), 0);
}

TEST_F(Dispatch, PromptShowsTheShiftTwin) {
  static int shift = 0;
  CmdShell.shiftHeld = [] { return shift; };
  CmdStart(st, Index("Cget"), 0);
  EXPECT_EQ(panes.back(), " Cget  (Pt.1)");
  shift = 1;
  CmdPrompt(st, 1);
  EXPECT_EQ(panes.back(), " Cput  (Pt.1)");
  CmdPrompt(st, 0);
  EXPECT_EQ(panes.back(), " Cget  (Pt.1)");
  shift = 0;
}

TEST_F(Dispatch, LaterCommandsRefuseCleanly) {
  GetWaits();
  for (const char* name : {"Rot", "Res", "Smsh", "Info"}) {
    CmdStart(st, Index(name), 0);  // a button: the prompt pane says so
    EXPECT_EQ(panes.back(), std::string(name) + " is not available in this Edition");
    EXPECT_TRUE(rec->messages.empty());
    EXPECT_EQ(CmdPump(st), 0);
    EXPECT_EQ(st.current, 0);  // Get still waits for its point 2
    EXPECT_EQ(View.step, 2);
  }
  EXPECT_EQ(Script("fit\nsmsh\nfit\n"), 0);  // a script stops there, told why
  EXPECT_EQ(LastMessage(), "Smsh is not available in this Edition");
}

// Without their dialog the setting commands say so instead of doing
// nothing, and leave the setting as it was.
TEST_F(Dispatch, SettingCommandsWithoutTheirDialogSaySo) {
  struct Case {
    const char* name;
    int32_t* setting;
  } cases[] = {{"Layr", &MainSetup.bplayer}, {"Tlyr", &MainSetup.tlayer},
               {"Wdth", &MainSetup.pwidth}, {"Tsiz", &MainSetup.twidth}};
  for (const Case& c : cases) {
    *c.setting = 7;
    panes.clear();
    CmdStart(st, Index(c.name), 0);
    CmdPump(st);
    EXPECT_NE(std::find(panes.begin(), panes.end(), std::string(c.name) + " is not available in this Edition"),
              panes.end())
        << c.name;
    EXPECT_EQ(*c.setting, 7) << c.name;
  }
}

}  // namespace
