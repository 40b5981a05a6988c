// Setting texts and their apply steps, the layer and paper tables, the
// settings file and the editor's command-line tokens.
#include "plot_fixture.h"
#include "temp_folder.h"

namespace {

using SettingsTest = PlotTest;

void Set(PlotState& st, int key, const char* text) { snprintf(st.set.v[key], PLOT_TEXT, "%s", text); }

TEST_F(SettingsTest, NumbersAreWrittenBackShortWithATrailingPoint) {
  struct Case {
    double v;
    int digits;
    const char* want;
  } cases[] = {{100, 9, "100."}, {0.2, 3, "0.2"}, {46, 4, "46."}, {-5.35, 4, "-5.35"}, {0.00098, 9, "0.00098"},
               {1.0 / 3, 3, "0.333"}, {1e12, 9, "1e+12"}, {-0.0, 4, "0."}};
  for (const Case& c : cases) {
    char t[PLOT_TEXT];
    PlotNumText(t, sizeof t, c.v, c.digits);
    EXPECT_STREQ(t, c.want) << c.v;
  }
}

TEST_F(SettingsTest, LayerRows) {
  struct Case {
    const char *layer, *pen, *dash, *fill;
    int wantLayer, wantPen;
    const char *wantDash, *wantFill;
  } cases[] = {
      {"5", "2", "", "s", 5, 2, "", "S"},
      {"5", "2", "", "45.5", 5, 2, "", "46."},
      {"5", "2", "", "0", 5, 2, "", ""},
      {"5", "2", "", "200", 5, 2, "", ""},
      {"5", "2", "", "-5", 5, 2, "", ""},
      {"5", "2", "", "SOLID", 5, 2, "", ""},
      {"300", "12", "9", "180", 256, 8, "6", "180."},
      {"-3", "0", "-1", "1", 1, 1, "0", "1."},
      {"", "", "", "", 0, 0, "", ""},
  };
  for (const Case& c : cases) {
    Set(st, PK_L0 + 3, c.layer);
    Set(st, PK_P0 + 3, c.pen);
    Set(st, PK_D0 + 3, c.dash);
    Set(st, PK_F0 + 3, c.fill);
    LayerTableBuild(st);
    const PlotLayerRow& r = st.set.rows[3];
    EXPECT_EQ(r.layer, c.wantLayer) << c.layer;
    EXPECT_EQ(r.pen, c.wantPen) << c.pen;
    EXPECT_STREQ(r.dash, c.wantDash) << c.dash;
    EXPECT_STREQ(r.fill, c.wantFill) << c.fill;
    EXPECT_STREQ(st.set.v[PK_F0 + 3], c.wantFill) << c.fill;
  }
}

TEST_F(SettingsTest, LookupsTakeTheFirstRowOfALayer) {
  Set(st, PK_L0 + 2, "5");
  Set(st, PK_P0 + 2, "4");
  Set(st, PK_F0 + 2, "s");
  Set(st, PK_D0 + 2, "2");
  Set(st, PK_L0 + 7, "5");
  Set(st, PK_P0 + 7, "6");
  Set(st, PK_F0 + 7, "30");
  Set(st, PK_L0 + 0, "9");
  Set(st, PK_P0 + 0, "3");
  Set(st, PK_F0 + 0, "60");
  LayerTableBuild(st);
  EXPECT_EQ(LayerRow(st, 5), 2);
  EXPECT_EQ(LayerPen(st, 5), 4);
  LayerFill(st, 5);
  EXPECT_TRUE(st.out.fill && st.out.solid);
  LayerDash(st, 5);
  EXPECT_TRUE(st.out.dash);
  EXPECT_EQ(st.out.lineType, 2);
  EXPECT_TRUE(LayerPlotted(st, 5));
  // A layer of no row: row 0's pen and fill, and it is not plotted.
  EXPECT_FALSE(LayerPlotted(st, 6));
  EXPECT_EQ(LayerPen(st, 6), 3);
  LayerFill(st, 6);
  EXPECT_TRUE(st.out.fill && !st.out.solid);
  EXPECT_EQ(st.out.angle, 60);
  LayerDash(st, 6);
  EXPECT_FALSE(st.out.dash);
}

TEST_F(SettingsTest, PaperAreas) {
  struct Case {
    const char *size, *origin, *border;
    const char* wantSize;
    double l, b, r, t;
  } cases[] = {
      {"a4", "L", ".5", "A4", 0.5, 0.5, 11.25, 7.75},
      {"a4", "C", ".5", "A4", -5.35, -3.6, 5.35, 3.6},
      {"F", "L", ".5", "A", 0.5, 0.5, 10.5, 8},
      {"E", "x", "1", "E", -21, -16, 21, 16},
      {"A", "L", "5", "A", 5, 5, 6, 6},  // a border eating the paper: an inch is kept
  };
  for (const Case& c : cases) {
    Set(st, PK_PSZ, c.size);
    Set(st, PK_ORG, c.origin);
    Set(st, PK_BDR, c.border);
    Set(st, PK_PLM, "99");  // typed area fields are replaced
    PaperApply(st);
    EXPECT_STREQ(st.set.v[PK_PSZ], c.wantSize) << c.size;
    EXPECT_NEAR(st.set.areaL, c.l, 1e-9) << c.size << c.origin;
    EXPECT_NEAR(st.set.areaB, c.b, 1e-9) << c.size << c.origin;
    EXPECT_NEAR(st.set.areaR, c.r, 1e-9) << c.size << c.origin;
    EXPECT_NEAR(st.set.areaT, c.t, 1e-9) << c.size << c.origin;
    EXPECT_NEAR(atof(st.set.v[PK_PLM]), c.l, 1e-9);
  }
}

TEST_F(SettingsTest, SpacingsAndParameters) {
  struct Case {
    int key;
    const char* in;
    const char* want;
  } cases[] = {
      {PK_DSZ, "0.07", "0.05"}, {PK_DSZ, "3", "1."},    {PK_FSZ, "0.33", "0.35"}, {PK_TSR, "0.5", "0.533"},
      {PK_TSR, "7", "1."},      {PK_PTS, "0.04", "0.1"}, {PK_PTS, "0.36", "0.4"},  {PK_OPN, "12", "8"},
      {PK_OPN, "x", "1"},       {PK_VEL, "200", "127."}, {PK_VEL, "0", "1."},      {PK_PPM, "yes", "YES"},
      {PK_RET, "no", "N"},      {PK_MSZ, "-2", "2."},    {PK_PSU, "-1", "0.00098"},
  };
  for (const Case& c : cases) {
    PlotSettingsReset(st);
    Set(st, c.key, c.in);
    ParamsApply(st);
    PaperApply(st);
    EXPECT_STREQ(st.set.v[c.key], c.want) << PlotKeyName[c.key] << c.in;
  }
  EXPECT_TRUE(Messages().empty());
  struct Warned {
    int key;
    const char* in;
    const char* want;
    const char* message;
  } warned[] = {
      {PK_LAM, "0", "0.01", "Lambda is too Small"},
      {PK_LAM, "1000", "100.", "Lambda is too Large"},
      {PK_MSZ, "0", "0.001", "Minimum Size is too Small"},
      {PK_MSZ, "5000", "1000.", "Minimum Size is too Large"},
  };
  for (const Warned& c : warned) {
    HostRecordInstall();
    PlotSettingsReset(st);
    Set(st, c.key, c.in);
    ParamsApply(st);
    EXPECT_STREQ(st.set.v[c.key], c.want) << c.in;
    ASSERT_EQ(Messages().size(), 1u) << c.in;
    EXPECT_EQ(Messages()[0], c.message);
    EXPECT_EQ(HostRecordGet().messages[0].captionKind, HOST_CAP_WARNING);
  }
}

TEST_F(SettingsTest, PlotAndFontFileNames) {
  struct Case {
    const char *cell, *plot;
    const char* want;
    bool warned;
  } cases[] = {
      {"inv", "COM1", "COM1", false},
      {"inv", "LPT2", "LPT2", false},
      {"inv", "", "Inv.plt", false},
      {"inv", "a+b.plt", "Plotfile.plt", true},
      {"inv", "nul", "Plotfile.plt", true},
      {"inv", "c:\\plots\\top.plt", "c:\\plots\\top.plt", false},
      {"inv", "INV.TLC", "Plotfile.plt", true},
      {"inv", "quil7.crf", "Plotfile.plt", true},
      {"inv", "QuilHpgl.usf", "Plotfile.plt", true},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    Set(st, PK_CLN, c.cell);
    Set(st, PK_PFN, c.plot);
    SetupApply(st);
    EXPECT_STREQ(st.set.v[PK_CLN], "INV");
    EXPECT_STREQ(st.set.plotFile, c.want) << c.plot;
    EXPECT_EQ(!Messages().empty(), c.warned) << c.plot;
  }
  HostRecordInstall();
  Set(st, PK_PFN, "\xe9t\xe9");
  SetupApply(st);
  EXPECT_EQ(Messages()[0], "Illegal Character \"0xffffffe9\"");
  EXPECT_EQ(HostRecordGet().messages[0].captionKind, HOST_CAP_PROGRAM);
}

TEST_F(SettingsTest, FontFileFallsBackToTheBuiltInFont) {
  TempFolder tmp;
  // A short file: the glyphs it covers, the glyph it ends in ended, the rest
  // built in.
  std::string part(TFF_SLOT + 3, '\x11');
  tmp.Write("mine.tff", part);
  Set(st, PK_TFN, "mine");
  SetupApply(st);
  EXPECT_STREQ(st.set.fontFile, "Mine.tff");
  EXPECT_EQ(st.font.table[0][5], 0x11);
  EXPECT_EQ(st.font.table[1][2], 0x11);
  EXPECT_EQ(st.font.table[1][3], TFF_END);
  EXPECT_EQ(st.font.table[1][TFF_SLOT - 1], TFF_END);
  EXPECT_EQ(memcmp(st.font.table[2], TffBuiltinFont() + 2 * TFF_SLOT, TFF_SIZE - 2 * TFF_SLOT), 0);
  EXPECT_TRUE(Messages().empty());
  // A missing file: warned once, the setting emptied, the built-in font.
  Set(st, PK_TFN, "gone.tff");
  SetupApply(st);
  SetupApply(st);
  EXPECT_EQ(Messages(), std::vector<std::string>{"Font File is Incorrect or Missing ... Using Standard Font"});
  EXPECT_STREQ(st.set.v[PK_TFN], "");
  EXPECT_EQ(memcmp(st.font.table, TffBuiltinFont(), TFF_SIZE), 0);
}

TEST_F(SettingsTest, DefaultsAreAppliedAtStart) {
  PlotState fresh;
  EXPECT_EQ(memcmp(fresh.font.table, TffBuiltinFont(), TFF_SIZE), 0);
  EXPECT_NEAR(fresh.set.areaR, 10.5, 1e-9);
  EXPECT_NEAR(fresh.set.areaT, 8, 1e-9);
  EXPECT_EQ(fresh.set.rows[0].pen, 1);
  EXPECT_EQ(fresh.set.rows[15].pen, 8);
  EXPECT_EQ(fresh.set.rows[0].layer, 0);
  EXPECT_TRUE(fresh.set.ppm);
  EXPECT_EQ(fresh.setupChanged, 1);
}

TEST_F(SettingsTest, SettingsFileRoundTrip) {
  TempFolder tmp;
  EXPECT_EQ(HpglUsfRead(st), 1);  // missing: defaults stay
  tmp.Write("QuilHpgl.usf",
            "CLN=top\nl1=7\nL10=9\np10=3\nf1=s\npsz=b\nlam=0\nrdp0=Notepad.exe\nrdf0=top.plt\nxyz=1\n");
  ASSERT_EQ(HpglUsfRead(st), 0);
  EXPECT_STREQ(st.set.v[PK_CLN], "TOP");
  EXPECT_EQ(st.set.rows[1].layer, 7);
  EXPECT_EQ(st.set.rows[10].layer, 9);
  EXPECT_EQ(st.set.rows[10].pen, 3);
  EXPECT_STREQ(st.set.rows[1].fill, "S");
  EXPECT_EQ(st.set.paper, 1);
  EXPECT_STREQ(SatFrame.recentApp[0], "Notepad.exe");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Lambda is too Small"});
  ASSERT_EQ(HpglUsfWrite(st), 0);
  std::string text = tmp.Read("QuilHpgl.usf");
  EXPECT_EQ(text.substr(0, 9), "cln=TOP\np");
  EXPECT_NE(text.find("\nl1=7\n"), std::string::npos);
  EXPECT_NE(text.find("\nlam=0.01\n"), std::string::npos);
  EXPECT_NE(text.find("\nf15=\nrdp0=Notepad.exe\nrdf0=top.plt\n"), std::string::npos);
  EXPECT_EQ(Count(text, "\n"), PK_COUNT + 32);
}

TEST_F(SettingsTest, EditorTokens) {
  CellInfoReset();
  Cells.count = 2;
  snprintf(Cells.cell[1].name, sizeof Cells.cell[1].name, "TOP");
  snprintf(Cells.cell[2].name, sizeof Cells.cell[2].name, "INV");
  struct Case {
    const char* args;
    const char* cell;
    const char *l, *b, *r, *t;
  } cases[] = {
      {"inv 0 0 100 50", "INV", "0.", "0.", "100.", "50."},
      {"inv 1 2 3", "INV", "5.", "6.", "7.", "8."},     // four tokens: the window stays whole
      {"inv 1 2", "INV", "5.", "6.", "7.", "8."},       // three: the cell only
      {"ghost 1 2 3 4", "TOP", "1.", "2.", "3.", "4."},  // no such cell: the saved one stays
      {"   ", "TOP", "5.", "6.", "7.", "8."},
  };
  for (const Case& c : cases) {
    Set(st, PK_CLN, "TOP");
    const char* w[4] = {"5", "6", "7", "8"};
    for (int k = 0; k < 4; ++k) Set(st, PK_WLF + k, w[k]);
    SetupApply(st);
    PlotArguments(st, c.args);
    EXPECT_STREQ(st.set.v[PK_CLN], c.cell) << c.args;
    EXPECT_STREQ(st.set.v[PK_WLF], c.l) << c.args;
    EXPECT_STREQ(st.set.v[PK_WBT], c.b) << c.args;
    EXPECT_STREQ(st.set.v[PK_WRT], c.r) << c.args;
    EXPECT_STREQ(st.set.v[PK_WTP], c.t) << c.args;
  }
}

TEST_F(SettingsTest, FitToCell) {
  CellInfoReset();
  Cells.count = 1;
  CellInfo& c = Cells.cell[1];
  snprintf(c.name, sizeof c.name, "TOP");
  c.l = -1500;
  c.b = 0;
  c.r = 3000;
  c.t = 12345;
  EXPECT_EQ(FitToCell(st, "top"), 1);
  EXPECT_STREQ(st.set.v[PK_WLF], "-1.5");
  EXPECT_STREQ(st.set.v[PK_WTP], "12.345");
  EXPECT_EQ(FitToCell(st, "ghost"), 0);
  EXPECT_STREQ(st.set.v[PK_WLF], "-1.5");
}

}  // namespace
