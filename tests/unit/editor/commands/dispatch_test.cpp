#include "cmdfixture.h"

namespace {

struct Dispatch : CmdFixture {
  int Index(const char* name) { return CmdIndexByName(name); }
  // Get waiting for its second point at (0, 0).
  void GetWaits() {
    CmdStart(0, 0);
    CmdPoint(0, 0);
    ASSERT_EQ(View.step, 2);
    ASSERT_EQ(CmdEngine.current, 0);
  }
};

TEST_F(Dispatch, ViewCommandDuringGetsSecondPointResumesGet) {
  MakeCurrent("TOP", 1);
  BoxAdd(1, 100, 100, 200, 200);
  GetWaits();
  double cx = View.cx;
  CmdStart(Index("Left"), 0);
  EXPECT_LT(View.cx, cx);
  EXPECT_EQ(CmdPump(), 1);  // the step back
  EXPECT_EQ(CmdEngine.current, 0);
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(panes.back(), " Get  (Pt.2)");
  EXPECT_EQ(CmdEngine.stateSaved, 0);
  CmdPoint(300, 300);  // completes the window
  EXPECT_EQ(StoreBoxGet(0, 1) & BOX_SEL_ALL, (int32_t)BOX_SEL_ALL);
  CmdPump();
  EXPECT_EQ(View.step, 1);  // Get again from its first point
}

TEST_F(Dispatch, TwoViewCommandsInTurnEachResumeGet) {
  GetWaits();
  for (const char* v : {"Right", "Xpnd"}) {
    CmdStart(Index(v), 0);
    CmdPump();
    EXPECT_EQ(CmdEngine.current, 0) << v;
    EXPECT_EQ(View.step, 2) << v;
    EXPECT_EQ(View.slot[1].x, 0);
  }
}

TEST_F(Dispatch, ViewCommandDuringAWaitingViewCommandBringsBackTheFirst) {
  GetWaits();
  CmdStart(Index("Zoom"), 0);
  CmdPoint(10, 10);  // Zoom waits for its second point
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(CmdTable[CmdEngine.current].name, std::string("Zoom"));
  CmdStart(Index("Left"), 0);  // nothing saved again
  CmdPump();
  EXPECT_EQ(CmdEngine.current, 0);  // Get, Zoom is dropped
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(View.slot[1].x, 0);
}

TEST_F(Dispatch, ANewPointCommandDropsAKeptState) {
  GetWaits();
  CmdStart(Index("Zoom"), 0);  // keeps Get's state, waits for its point
  EXPECT_EQ(CmdEngine.stateSaved, 1);
  CmdStart(Index("Fget"), 0);  // the user picks another command instead
  EXPECT_EQ(CmdEngine.stateSaved, 0);
  CmdStart(Index("Left"), 0);
  CmdPump();
  EXPECT_EQ(CmdEngine.current, Index("Fget"));  // not Get's old state
  EXPECT_EQ(View.step, 1);
}

TEST_F(Dispatch, CmdLeavesTheWaitingCommandAlone) {
  GetWaits();
  CmdStart(Index("Cmd"), 0);  // no dialog: cancelled
  EXPECT_EQ(View.step, 2);
  EXPECT_EQ(CmdEngine.current, 0);
  EXPECT_EQ(CmdEngine.queued, 0);
}

TEST_F(Dispatch, PointsOutsideTheStepsStoreNothing) {
  CmdStart(Index("Aput"), 0);  // one-shot: ends and restarts Get
  View.slot[1].x = 77;
  View.step = 0;
  CmdEngine.current = 0;
  CmdPoint(5, 5);  // step 0: nothing stored, the handler runs (asks pt 1)
  EXPECT_EQ(View.slot[1].x, 77);
  EXPECT_EQ(View.step, 1);
  View.step = 5;
  CmdPoint(6, 6);
  EXPECT_EQ(View.slot[1].x, 77);
}

TEST_F(Dispatch, WindowCornersNormaliseButTheDeltaKeepsItsSign) {
  CmdStart(0, 0);
  CmdPoint(100, 200);
  CmdPoint(-50, 20);
  EXPECT_EQ(View.slot[1].x, -50);
  EXPECT_EQ(View.slot[1].y, 20);
  EXPECT_EQ(View.slot[2].x, 100);
  EXPECT_EQ(View.slot[2].y, 200);
  EXPECT_EQ(CmdEngine.dx, -150);
  EXPECT_EQ(CmdEngine.dy, -180);
}

TEST_F(Dispatch, RestartStartsThePendingCommand) {
  CmdStart(Index("Fget"), 0);
  CmdStart(Index("Aput"), 0);  // one-shot, posts the restart
  EXPECT_EQ(CmdEngine.pending, Index("Fget"));
  EXPECT_EQ(CmdPump(), 1);
  EXPECT_EQ(CmdEngine.current, Index("Fget"));
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
    CmdEngine.current = Index(c.name);
    EXPECT_EQ(CmdGuardVisible(), c.refused) << c.name;
    EXPECT_EQ(LastMessage(), c.refused ? "Command is blocked because Text may not be Visible" : "") << c.name;
  }
  CmdEngine.scriptRunning = 1;
  CmdEngine.current = Index("Del");
  EXPECT_EQ(CmdGuardVisible(), 0);
  EXPECT_EQ(CmdGuardCells(), 0);
  CmdEngine.scriptRunning = 0;
  View.togs &= ~0x200u;
  MainSetup.topdepth = 2;
  EXPECT_EQ(CmdGuardVisible(), 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because some Depth Levels may not be Visible");
  MainSetup.topdepth = 0;
  MainSetup.botdepth = 5;
  View.togs |= 0x8;
  CmdEngine.current = Index("Cget");
  EXPECT_EQ(CmdGuardCells(), 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because Cells may not be Visible");
  CmdEngine.current = Index("Get");
  EXPECT_EQ(CmdGuardCells(), 0);
}

TEST_F(Dispatch, PromptShowsTheShiftTwin) {
  static int shift = 0;
  CmdShell.shiftHeld = [] { return shift; };
  CmdStart(Index("Cget"), 0);
  EXPECT_EQ(panes.back(), " Cget  (Pt.1)");
  shift = 1;
  CmdPrompt(1);
  EXPECT_EQ(panes.back(), " Cput  (Pt.1)");
  CmdPrompt(0);
  EXPECT_EQ(panes.back(), " Cget  (Pt.1)");
  shift = 0;
}

TEST_F(Dispatch, LaterCommandsRefuseCleanly) {
  GetWaits();
  for (const char* name : {"Del", "Mov", "Smsh", "Info"}) {
    CmdStart(Index(name), 0);  // a button: the prompt pane says so
    EXPECT_EQ(panes.back(), std::string(name) + " is not available in this Edition");
    EXPECT_TRUE(rec->messages.empty());
    EXPECT_EQ(CmdPump(), 0);
    EXPECT_EQ(CmdEngine.current, 0);  // Get still waits for its point 2
    EXPECT_EQ(View.step, 2);
  }
  EXPECT_EQ(Script("fit\nsmsh\nfit\n"), 0);  // a script stops there, told why
  EXPECT_EQ(LastMessage(), "Smsh is not available in this Edition");
}

}  // namespace
