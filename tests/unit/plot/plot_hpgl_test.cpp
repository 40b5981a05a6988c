// The HP-GL writer and the plot geometry: coordinates, clipping, segment
// streams, header and trailer.
#include <cmath>

#include "plot_fixture.h"

namespace {

using HpglTest = PlotTest;

// A Main Setup of the given window on paper A, applied and computed.
void MainSetup(PlotState& st, const char* unit, const char* origin, const char* l, const char* b, const char* r,
           const char* t, const char* psc, const char* rot) {
  snprintf(st.physunit, sizeof st.physunit, "%s", unit);
  snprintf(st.set.v[PK_ORG], PLOT_TEXT, "%s", origin);
  const char* w[4] = {l, b, r, t};
  for (int k = 0; k < 4; ++k) snprintf(st.set.v[PK_WLF + k], PLOT_TEXT, "%s", w[k]);
  snprintf(st.set.v[PK_PSC], PLOT_TEXT, "%s", psc);
  snprintf(st.set.v[PK_ROT], PLOT_TEXT, "%s", rot);
  PaperApply(st);
  SetupApply(st);
}

TEST_F(HpglTest, PointsReachPlotterUnitsToScale) {
  struct Case {
    const char* unit;
    const char* origin;
    double x;
    int want;
  } cases[] = {
      {"um", "L", 10000, 40},     // 10 um at plot scale 100: 1 mm of paper
      {"lam", "L", 10000, 40},
      {"mil", "L", 10000, 1016},  // 10 mils at 100: one inch
      {"MILS", "L", -10000, -1016},
      {"um", "C", 50000, 0},      // the window centre lands on 0
      {"um", "C", 60000, 40},
  };
  for (const Case& c : cases) {
    MainSetup(st, c.unit, c.origin, "0", "0", "100", "100", "100", "N");
    ASSERT_EQ(PlotGeometry(st), 0) << c.unit;
    EXPECT_EQ(PlotX(st, c.x), c.want) << c.unit << " " << c.origin << " " << c.x;
    EXPECT_EQ(PlotY(st, c.x), c.want) << c.unit << " " << c.origin << " " << c.x;
  }
}

TEST_F(HpglTest, MaxScaleFillsThePaperExactly) {
  // Paper A, border 0.5: a 10 x 7.5 inch area; a 100 x 50 um window.
  MainSetup(st, "um", "L", "0", "0", "100", "50", "100", "N");
  ASSERT_EQ(PlotGeometry(st), 0);
  EXPECT_NEAR(st.geom.maxScale, 2540, 1e-6);
  snprintf(st.set.v[PK_PSC], PLOT_TEXT, "2540");
  ASSERT_EQ(PlotGeometry(st), 0);
  EXPECT_EQ(PlotX(st, 100000), st.geom.p2x - st.geom.p1x);
  MainSetup(st, "mil", "L", "0", "0", "100", "50", "100", "N");
  ASSERT_EQ(PlotGeometry(st), 0);
  EXPECT_NEAR(st.geom.maxScale, 100, 1e-9);
  // Turned, the window's height runs along the paper's width.
  MainSetup(st, "um", "L", "0", "0", "100", "50", "100", "Y");
  ASSERT_EQ(PlotGeometry(st), 0);
  EXPECT_NEAR(st.geom.maxScale, std::min(254000.0 / 50, 254000.0 * 0.75 / 100), 1e-6);
}

TEST_F(HpglTest, RefusedGeometries) {
  MainSetup(st, "um", "L", "5", "0", "5", "100", "100", "N");
  EXPECT_EQ(PlotGeometry(st), 2);
  EXPECT_FALSE(st.geom.valid);
  EXPECT_EQ(Messages().back(), "Null Draw Window ... Window Must Have Area!");
  MainSetup(st, "inch", "L", "0", "0", "100", "100", "100", "N");
  EXPECT_EQ(PlotGeometry(st), 1);
  EXPECT_EQ(Messages().back(), "Drawing Physical Units must be \"um\", \"mil\", \"mils\" or \"lam\"");
}

TEST_F(HpglTest, RotatedInputWindowKeepsItsCornersInOrder) {
  MainSetup(st, "um", "L", "10", "20", "110", "70", "100", "Y");
  ASSERT_EQ(PlotGeometry(st), 0);
  // Unturned: (40, 80) - (440, 280); a quarter turn counter-clockwise.
  EXPECT_EQ(st.geom.iw[0], -280);
  EXPECT_EQ(st.geom.iw[1], 40);
  EXPECT_EQ(st.geom.iw[2], -80);
  EXPECT_EQ(st.geom.iw[3], 440);
}

TEST_F(HpglTest, ClippedValuesWarnOnceAndAreCounted) {
  EXPECT_EQ(ClipUnits(st, 40000), 32767);
  EXPECT_EQ(ClipUnits(st, -40000), -32767);
  EXPECT_EQ(ClipUnits(st, -12.9), -12);
  EXPECT_EQ(ClipUnits(st, 32767.9), 32767);
  EXPECT_EQ(st.out.clipped, 3);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(HostRecordGet().messages[0].caption, "Plot Units Clipped ...");
  st.out.clipWarned = 0;
  ClipUnits(st, -40000);
  EXPECT_EQ(Messages().back(),
            "Too Many Plotter Units for Paper Size or Origin !\n\nPlot Units were less than -32767\n\nUnits will be "
            "clipped to -32767");
}

TEST_F(HpglTest, SegmentStreams) {
  struct Case {
    const char* name;
    int rot, pen, wantPen, dash, fill, solid, angle, kind;
    double x1, y1, x2, y2;
    const char* want;
  } cases[] = {
      {"line", 0, 1, 1, 0, 0, 0, 0, SEG_LINE, 10, 20, 30, 40, "PU;LT;PA10,20;PD;PA30,40;"},
      {"turned line", 1, 1, 1, 0, 0, 0, 0, SEG_LINE, 100, 0, 100, 50, "PU;LT;PA0,100;PD;PA-50,100;"},
      {"dashed", 0, 1, 1, 1, 0, 0, 0, SEG_LINE, 1, 2, 3, 4, "PU;LT3,1.5;PA1,2;PD;PA3,4;"},
      {"hatched box on a new pen", 0, 1, 2, 0, 1, 0, 45, SEG_RECT, 10, 20, 30, 40,
       "SP2;LT;FT3,101.60,45;PU;PA10,20;PD;RA30,40;LT;LT;PU;PA10,20;PD;ER20,20;"},
      {"solid box", 0, 2, 2, 0, 1, 1, 0, SEG_RECT, 0, 0, 5, 6, "LT;PT0.2;FT2;PU;PA0,0;PD;RA5,6;LT;LT;PU;PA0,0;PD;ER5,6;"},
      {"box outline", 0, 2, 2, 0, 0, 0, 0, SEG_RECT, 0, 0, 5, 6, "LT;PU;PA0,0;PD;ER5,6;"},
      {"clipped", 0, 1, 1, 0, 0, 0, 0, SEG_LINE, 40000, 0, -40000, 1, "PU;LT;PA32767,0;PD;PA-32767,1;"},
  };
  for (const Case& c : cases) {
    out.clear();
    st.set.rot = c.rot;
    st.set.pts = 0.2;
    st.out.pen = c.pen;
    st.out.wantPen = c.wantPen;
    st.out.dash = c.dash;
    st.out.lineType = 3;
    st.out.fill = c.fill;
    st.out.solid = c.solid;
    st.out.angle = c.angle;
    st.out.lastX = st.out.lastY = 0;
    st.out.x1 = c.x1;
    st.out.y1 = c.y1;
    st.out.x2 = c.x2;
    st.out.y2 = c.y2;
    SegmentOut(st, c.kind);
    EXPECT_EQ(out, c.want) << c.name;
    EXPECT_EQ(st.out.x1, c.x1) << c.name << ": operands restored";
  }
  // A line that starts where the last ended keeps the pen down.
  out.clear();
  st.set.rot = 0;
  st.out.dash = 0;
  st.out.lastX = 5;
  st.out.lastY = 6;
  st.out.x1 = 5;
  st.out.y1 = 6;
  st.out.x2 = 7;
  st.out.y2 = 8;
  SegmentOut(st, SEG_LINE);
  EXPECT_EQ(out, "LT;PA5,6;PD;PA7,8;");
}

TEST_F(HpglTest, ClosedPolygonWithSolidFill) {
  st.set.pts = 0.2;
  st.out.pen = st.out.wantPen = 1;
  st.out.fill = st.out.solid = 1;
  const int64_t xs[] = {0, 10, 10, 0, 0}, ys[] = {0, 0, 10, 10, 0};
  for (int k = 0; k < 5; ++k) {
    st.walk.x[k] = xs[k];
    st.walk.y[k] = ys[k];
  }
  st.walk.n = 4;
  PolyDraw(st);
  EXPECT_EQ(out, "PU;PA0,0;PM0;PD10,0,10,10,0,10,0,0;PU;PM2;LT;PT0.2;FT2;FP;LT;EP;");
  // Without its closing vertex it is open: no fill, and retraced back.
  out.clear();
  st.walk.n = 3;
  st.set.ret = 1;
  PolyDraw(st);
  EXPECT_EQ(out, "PU;PA0,0;PM0;PD10,0,10,10,0,10,10,10,10,0,0,0;PU;PM2;LT;EP;");
  EXPECT_EQ(st.out.openPoly, 0);
}

TEST_F(HpglTest, ControlCodes) {
  struct Case {
    const char* in;
    std::string want;
  } cases[] = {
      {"ESC.(ESC.I81;;17:", "\x1b.(\x1b.I81;;17:"},
      {"ESCESC", "\x1b" "ESC"},
      {"%E;ES", "%E;ES"},
      {"", ""},
  };
  for (const Case& c : cases) {
    char buf[PLOT_TEXT];
    ControlCodes(c.in, buf, sizeof buf);
    EXPECT_EQ(std::string(buf), c.want) << c.in;
  }
  std::string longText(400, 'x');
  char buf[PLOT_TEXT];
  ControlCodes(longText.c_str(), buf, sizeof buf);
  EXPECT_EQ(strlen(buf), 255u);
}

TEST_F(HpglTest, HeaderAndTrailer) {
  snprintf(st.set.v[PK_VEL], PLOT_TEXT, "200");
  snprintf(st.set.v[PK_INI], PLOT_TEXT, "ESC.Y");
  snprintf(st.set.v[PK_FIN], PLOT_TEXT, "ESC.Z");
  ParamsApply(st);
  EXPECT_STREQ(st.set.v[PK_VEL], "127.");
  MainSetup(st, "um", "L", "0", "0", "100", "50", "100", "N");
  ASSERT_EQ(PlotGeometry(st), 0);
  HeaderWrite(st);
  EXPECT_EQ(out, "\x1b.YIN;IP508,508,10668,8128;IW0,0,400,200;VS127.0;SC;");
  out.clear();
  TrailerWrite(st);
  EXPECT_EQ(out, "PU;LT;SP0;\x1b.Z");
}

}  // namespace
