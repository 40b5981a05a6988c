#include "cmdfixture.h"

namespace {

struct LineCmd : CmdFixture {};

enum Src { TYPED, KEY, SCRIPT };

int RunAs(LineCmd& f, Src src, const char* line) {
  if (src == KEY) return f.Key(line);
  if (src == TYPED) return f.Typed(line);
  return f.Script(std::string(line) + "\n");
}

TEST_F(LineCmd, AcceptanceAndMessages) {
  struct Case {
    Src src;
    const char* line;
    int ok;
    const char* message;  // exact last message, "" for none
  } cases[] = {
      {TYPED, "get 1 2 3", 0,
       "Get has the Wrong Number of X,Y Coordinate Arguments\n\n4 were Expected but 3 were Found"},
      {SCRIPT, "get 1 2 3", 0,
       "Get has the Wrong Number of X,Y Coordinate Arguments\n\n4 were Expected but 3 were Found"},
      {KEY, "get 1 2 3", 1, ""},
      {TYPED, "print", 0, "PRINT is not available as a Command Line"},
      {TYPED, "Cmd", 0, "CMD is not available as a Command Line"},
      {KEY, "res", 0, "RES is not available as an Fkey"},
      {KEY, "cap", 0, "CAP is not available as an Fkey"},
      {TYPED, "nope 1 2", 0, "NOPE is not available as a Command Line"},
      {TYPED, "fit 3", 1, ""},  // tokens after the coordinates are the handler's
      {TYPED, "cntr 1", 0,
       "Cntr has the Wrong Number of X,Y Coordinate Arguments\n\n2 were Expected but 1 were Found"},
      {TYPED, "; a comment", 1, ""},
      {TYPED, "* another", 1, ""},
      {TYPED, "", 1, ""},
      {TYPED, "x", 1, ""},
      {TYPED, ",,", 0, ""},
      {TYPED, "cntr inf 0", 0, "Cntr has a Coordinate out of Range\n\ninf"},
      {TYPED, "cntr nan 0", 0, "Cntr has a Coordinate out of Range\n\nnan"},
      {TYPED, "cntr 1e300 0", 0, "Cntr has a Coordinate out of Range\n\n1e300"},
      {TYPED, "cntr 536871 0", 0, "Cntr has a Coordinate out of Range\n\n536871"},
      {TYPED, "cntr 536870 0", 1, ""},
  };
  for (const Case& c : cases) {
    rec->messages.clear();
    st = CmdEngineState();
    EXPECT_EQ(RunAs(*this, c.src, c.line), c.ok) << c.line;
    EXPECT_EQ(LastMessage(), c.message) << c.line;
  }
}

TEST_F(LineCmd, PointsGoToNearestWithHalvesAwayFromZero) {
  MainSetup.scale = 100;
  ASSERT_EQ(Typed("cntr 0.125 -0.125"), 1);
  EXPECT_DOUBLE_EQ(View.cx, 13);
  EXPECT_DOUBLE_EQ(View.cy, -13);
  int32_t v;
  struct {
    double in;
    int32_t out;
  } cases[] = {{0.125, 13}, {-0.125, -13}, {0.124, 12}, {0.005, 1}, {-0.005, -1}, {0, 0}};
  for (auto& c : cases) {
    ASSERT_TRUE(CmdCoordConvert(c.in, 100, &v)) << c.in;
    EXPECT_EQ(v, c.out) << c.in;
  }
}

TEST_F(LineCmd, KeyLineWithFewerNumbersSendsWhatItHas) {
  // point 1 from the first pair, point 2 as (third number, 0): the window
  // is normalised, the delta keeps the signed difference.
  ASSERT_EQ(CmdKeyLine(st, "get 1 2 3"), 1);
  EXPECT_EQ(View.slot[1].x, 1000);
  EXPECT_EQ(View.slot[1].y, 0);
  EXPECT_EQ(View.slot[2].x, 3000);
  EXPECT_EQ(View.slot[2].y, 2000);
  EXPECT_EQ(st.dx, 2000);
  EXPECT_EQ(st.dy, -2000);
}

TEST_F(LineCmd, ZoomLineOfTheRuleChecker) {
  ASSERT_EQ(Key("zoom 0,0 100,100"), 1);
  EXPECT_DOUBLE_EQ(View.cx, 50000);
  EXPECT_DOUBLE_EQ(View.cy, 50000);
  EXPECT_DOUBLE_EQ(View.width, 110000);
  EXPECT_EQ(CmdTable[st.current].id, 127);  // Get again afterwards
}

TEST_F(LineCmd, BuildModeRefusesOtherCommandsAndAborts) {
  MainSetup.buildmode = 1;
  EXPECT_EQ(Script("aput\nDel\nfit\n"), 0);
  std::vector<std::string> want = {"DEL is not avaiable as a Build Command",
                                   "Aput and Get sent to clear Command\n\nUse Undo to return to Original Drawing"};
  EXPECT_EQ(HostRecordTexts(), want);
  EXPECT_EQ(rec->messages[1].caption, "Script Aborted");
  EXPECT_EQ(Typed("fit"), 1);
}

TEST_F(LineCmd, ScriptsSkipCommentsStopAtARefusedLineAndRestorePending) {
  MakeCurrent("TOP", 1);
  CmdStart(st, CmdIndexByName("Fget"), 0);
  ASSERT_EQ(st.pending, 1);
  EXPECT_EQ(Script("; c\n* c\n\nobj b\nadd 0 0 1 1\nget 1 2 3\nadd 2 2 3 3\n"), 0);
  EXPECT_EQ(Store.boxCount, 1);  // before the refused line: done; after: not
  EXPECT_EQ(st.pending, 1);  // Fget pending again
  EXPECT_EQ(st.current, 1);
  EXPECT_EQ(View.step, 1);
  EXPECT_EQ(Exists("Undobkup0.tlc"), true);  // undoable
}

// In the window a restart is posted, and it runs while a box is up: a
// refused line's message must not leave a command of the script armed.
TEST_F(LineCmd, TheCommandPendingBeforeAScriptComesBackHoweverItEnds) {
  struct Case {
    const char* script;
    int ok;
    int step;  // 1 for a cancel in step mode on the third line
  } cases[] = {
      {"obj b\nadd 0 0 1 1\n", 1, 0},
      {"obj b\nadd 0 0 1 1\nsmsh\nadd 2 2 3 3\n", 0, 0},
      {"obj b\nadd 0 0 1 1\nget 1 2 3\nadd 2 2 3 3\n", 0, 0},
      {"obj b\nadd 0 0 1 1\nnope\nadd 2 2 3 3\n", 0, 0},
      {"obj b\nadd 0 0 1 1\ncntr 1e300 0\nadd 2 2 3 3\n", 0, 0},
      {"obj b\nadd 0 0 1 1\nadd 2 2 3 3\n", 0, 1},
  };
  const int fget = CmdIndexByName("Fget");
  for (const Case& c : cases) {
    MakeCurrent("TOP", 1);
    st = CmdEngineState();
    rec->whileBoxUp = [this] { CmdPump(st); };
    MainSetup.cmdstep = c.step;
    rec->answers.clear();
    if (c.step) rec->answers = {HOST_IDOK, HOST_IDOK, HOST_IDCANCEL};
    CmdStart(st, fget, 0);
    EXPECT_EQ(Script(c.script), c.ok) << c.script;
    EXPECT_EQ(st.pending, fget) << c.script;
    EXPECT_EQ(st.current, fget) << c.script;
    rec->whileBoxUp = nullptr;
  }
}

TEST_F(LineCmd, AnOverlongScriptLineIsRefusedNotSplit) {
  MakeCurrent("TOP", 1);
  std::string longLine = "add 0 0 1 1" + std::string(70, ' ') + "get 0 0 9 9";
  EXPECT_EQ(Script("obj b\nadd 5 5 6 6\n" + longLine + "\nadd 7 7 8 8\n"), 0);
  EXPECT_EQ(Store.boxCount, 1);
  EXPECT_NE(LastMessage().find("longer than 79 Characters"), std::string::npos);
  // A line of exactly 79 characters still runs.
  std::string ok79 = "add 9 9 10 10" + std::string(79 - 13 - 2, ' ') + ";x";
  ASSERT_EQ(ok79.size(), 79u);
  EXPECT_EQ(Script("obj b\n" + ok79 + "\n"), 1);
  EXPECT_EQ(Store.boxCount, 2);
}

TEST_F(LineCmd, StepModeCancelAborts) {
  MakeCurrent("TOP", 1);
  MainSetup.cmdstep = 1;
  rec->answers = {HOST_IDOK, HOST_IDOK, HOST_IDCANCEL};
  EXPECT_EQ(Script("obj b\nadd 0 0 1 1\nadd 2 2 3 3\n"), 0);
  EXPECT_EQ(Store.boxCount, 1);
  ASSERT_GE(rec->messages.size(), 4u);
  EXPECT_EQ(rec->messages[0].caption, "Script Command Line");
  EXPECT_EQ(rec->messages[0].text, "obj b");
  EXPECT_EQ(rec->messages.back().caption, "Script Aborted");
}

TEST_F(LineCmd, MissingScriptFile) {
  EXPECT_EQ(CmdScriptRun(st, "nothere.txt"), 0);
  EXPECT_EQ(LastMessage(), "File is Missing");
}

TEST_F(LineCmd, FKeysAndNavigationKeys) {
  MainSetup.fkeyCount = 2;
  snprintf(MainSetup.fkeys[0], sizeof MainSetup.fkeys[0], "print");
  snprintf(MainSetup.fkeys[1], sizeof MainSetup.fkeys[1], "xpnd");
  EXPECT_EQ(CmdFKey(st, 1400), 0);
  EXPECT_EQ(LastMessage(), "PRINT is not available as an Fkey");
  double w = View.width;
  EXPECT_EQ(CmdFKey(st, 1401), 1);
  EXPECT_DOUBLE_EQ(View.width, w * 1.5);
  EXPECT_EQ(CmdFKey(st, 1402), 0);  // beyond the defined count
  EXPECT_STREQ(CmdNavLine(40045), "Cntr 0 0");
  EXPECT_STREQ(CmdNavLine(40043), "Del");
  EXPECT_EQ(CmdNavLine(40048), nullptr);
  EXPECT_EQ(Key(CmdNavLine(40050)), 1);  // Last
  EXPECT_DOUBLE_EQ(View.width, w);
}

TEST_F(LineCmd, TypedPointsAndIncrementalMove) {
  static double gx, gy;
  CmdShell.pointDialog = [](int axis, double* x, double* y) {
    if (axis == 3) {
      *x = 1500;  // database units counted by the arrow buttons
      *y = -20;
      return 1;
    }
    *x = gx;
    *y = gy;
    return 1;
  };
  CmdStart(st, CmdIndexByName("Cntr"), 0);
  gx = 2.5;
  gy = -1;
  CmdTypedPoint(st, 0);
  EXPECT_DOUBLE_EQ(View.cx, 2500);
  EXPECT_DOUBLE_EQ(View.cy, -1000);
  CmdPump(st);
  gx = INFINITY;
  CmdStart(st, CmdIndexByName("Cntr"), 0);
  CmdTypedPoint(st, 1);
  EXPECT_EQ(LastMessage(), "Point is Out of Range");
  // Ctrl with Mov forms the key line "MOV 0 0 1.5 -0.02" and runs it: the
  // selected box moves by the units the arrow buttons counted.
  BoxAdd(1, 0, 0, 10, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, Store.boxCount);
  CmdStart(st, CmdIndexByName("Mov"), 1);
  CmdPump(st);
  EXPECT_EQ(StoreBoxGet(1, Store.boxCount), 1500);
  EXPECT_EQ(StoreBoxGet(2, Store.boxCount), -20);
}

TEST_F(LineCmd, HistoriesKeepTheirWidths) {
  static std::string file(259, 'a');
  CmdShell.cmdDialog = [](char*, size_t, char* f, size_t size) {
    snprintf(f, size, "%s", file.c_str());
    return (int)CMD_DLG_SCRIPT;
  };
  CmdRun(st);
  EXPECT_EQ(std::string(MainSetup.scriptfile[0]), file);
  EXPECT_EQ(LastMessage(), "File is Missing");
  CmdShell.cmdDialog = [](char* l, size_t size, char*, size_t) {
    snprintf(l, size, "Fit");
    return (int)CMD_DLG_LINE;
  };
  snprintf(MainSetup.cmdline[3], sizeof MainSetup.cmdline[3], "fit");
  snprintf(MainSetup.cmdline[0], sizeof MainSetup.cmdline[0], "zoom");
  CmdRun(st);
  EXPECT_STREQ(MainSetup.cmdline[0], "Fit");
  EXPECT_STREQ(MainSetup.cmdline[1], "zoom");
  EXPECT_STRNE(MainSetup.cmdline[3], "fit");  // the old equal entry is gone
}

}  // namespace
