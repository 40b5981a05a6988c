#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cmddlgrule.h"
#include "mainsetup.h"

namespace {

struct DlgRules : ::testing::Test {
  void SetUp() override {
    MainSetupReset();
    MainSetup.scale = 1000;
  }
};

TEST_F(DlgRules, ScaleTakesWholeMagnitudesOnly) {
  struct Case {
    const char* text;
    int accepted;
    double scale;
  };
  const Case cases[] = {
      {"-250", 1, 250},  {"0", 1, 1000},   {"", 1, 1000},         {"abc", 1, 1000},
      {"100", 1, 100},   {"1", 1, 1},      {"536870912", 1, 536870912},
      {"0.5", 0, 0},     {"12.25", 0, 0},  {"536870913", 0, 0},   {"1e300", 0, 0},
  };
  for (const Case& c : cases) {
    double s = -1;
    EXPECT_EQ(ScaleAccept(c.text, &s), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(s, c.scale) << c.text;
    }
  }
}

TEST_F(DlgRules, LengthsShowAtNineDigits) {
  struct Case {
    double dbu, scale;
    const char* want;
  };
  const Case cases[] = {{1234567891, 1000, "1234567.89"}, {250, 1000, "0.25"}, {-5, 100, "-0.05"},
                        {1, 3, "0.333333333"}};
  for (const Case& c : cases) {
    char out[32];
    DlgLength(out, sizeof out, c.dbu, c.scale);
    EXPECT_STREQ(out, c.want);
  }
  char out[32];
  DlgNumber(out, sizeof out, 1.0 / 3, DLG_DIGITS_VALUE);
  EXPECT_STREQ(out, "0.333333");
  DlgNumber(out, sizeof out, 45.123456, DLG_DIGITS_POLAR);
  EXPECT_STREQ(out, "45.12");
}

TEST_F(DlgRules, StepCountsAreWholeAndDistancesRounded) {
  StepSettings s{};
  ASSERT_EQ(StepAccept("7", "0.0125", "5", "-2", 1, 1000, &s), 1);
  EXPECT_EQ(s.nx, 7);
  EXPECT_EQ(s.ny, 5);
  EXPECT_EQ(s.dx, 13);  // halves away from zero
  EXPECT_EQ(s.dy, -2000);
  EXPECT_EQ(s.sequential, 1);
  const char* bad[][4] = {{"7.5", "1", "1", "1"}, {"x", "1", "1", "1"}, {"1", "1", "1", "y"},
                          {"1", "600000", "1", "1"}};
  for (auto& b : bad) EXPECT_EQ(StepAccept(b[0], b[1], b[2], b[3], 0, 1000, &s), 0) << b[0] << b[3];
}

TEST_F(DlgRules, ResRowsStopAtOneAndThirtyTwo) {
  struct Case {
    int row, delta, want;
  };
  const Case cases[] = {{1, -1, 1}, {2, -1, 1}, {31, 1, 32}, {32, 1, 32}, {5, 1, 6}};
  for (const Case& c : cases) EXPECT_EQ(ResRowStep(c.row, c.delta), c.want) << c.row << c.delta;
  MainSetup.res[31] = SheetRes{25.5, 0.1, 0.56, 2, "poly"};
  char out[200];
  ResRowText(out, sizeof out, 32, 1);
  EXPECT_STREQ(out, "R/sq=25.5\nEnd=0.1\nCnr=0.56\nWdth=2\npoly");
  ResRowText(out, sizeof out, 40, 0);
  EXPECT_STREQ(out, "SheetRes=25.5\nEndCorrection=0.1\nCornerCorrection=0.56\nPathWdth=2\npoly");
}

TEST_F(DlgRules, CnfgClampsAndReportsWhatNeedsALayoutOrARestart) {
  struct Case {
    const char *aspect, *drawres, *celldrawres;
    double wantAspect;
    int wantDrawres, wantCell;
    int result;
  };
  const Case cases[] = {
      {"3", "20", "5", 2, 50, 10, CNFG_RELAYOUT},
      {"0.1", "1000", "200", 0.5, 1000, 200, CNFG_RELAYOUT},
      {"1", "60", "x", 1, 1000, 200, CNFG_AGAIN},  // no number: nothing stored
      {"", "60", "10", 1, 1000, 200, CNFG_AGAIN},
  };
  for (const Case& c : cases) {
    MainSetup.aspect = 1;
    MainSetup.drawres = 1000;
    MainSetup.celldrawres = 200;
    CnfgForm f;
    CnfgFormFill(&f);
    snprintf(f.aspect, sizeof f.aspect, "%s", c.aspect);
    snprintf(f.drawres, sizeof f.drawres, "%s", c.drawres);
    snprintf(f.celldrawres, sizeof f.celldrawres, "%s", c.celldrawres);
    EXPECT_EQ(CnfgApply(f), c.result) << c.aspect;
    EXPECT_EQ(MainSetup.aspect, c.wantAspect) << c.aspect;
    EXPECT_EQ(MainSetup.drawres, c.wantDrawres) << c.drawres;
    EXPECT_EQ(MainSetup.celldrawres, c.wantCell) << c.celldrawres;
  }
  // Presets: the magnitude in database units; the checks and the outline
  // bits as ticked; notips= is set whenever the dialog opens.
  MainSetup.notips = 0;
  MainSetup.smallcelloutl = 8 | 2;
  CnfgForm f;
  CnfgFormFill(&f);
  EXPECT_EQ(MainSetup.notips, 1);
  EXPECT_EQ(f.checks[0], 1);
  EXPECT_EQ(f.outline[1], 1);
  snprintf(f.wgrid[2], sizeof f.wgrid[2], "-0.0125");
  snprintf(f.dgrid[9], sizeof f.dgrid[9], "2");
  f.outline[1] = 0;
  f.outline[2] = 1;
  f.checks[14] = !MainSetup.flashsave;  // flashsave=
  f.checks[13] = !MainSetup.winemods;   // winemods=
  EXPECT_EQ(CnfgApply(f), CNFG_RELAYOUT | CNFG_RESTART);
  EXPECT_EQ(MainSetup.wgrid[2], 13);
  EXPECT_EQ(MainSetup.dgrid[9], 2000);
  EXPECT_EQ(MainSetup.smallcelloutl, 8 | 4);
  EXPECT_EQ(CnfgChecks[14].id, 2103);
}

}  // namespace
