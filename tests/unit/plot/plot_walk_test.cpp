// The hierarchy walk one layer at a time, objects to HP-GL, wide path
// outlines and whole plot runs.
#include "plot_fixture.h"
#include "temp_folder.h"

namespace {

class WalkTest : public PlotTest {
 protected:
  void Layer(int row, int layer, int pen, const char* fill = "") {
    snprintf(st.set.v[PK_L0 + row], PLOT_TEXT, "%d", layer);
    snprintf(st.set.v[PK_P0 + row], PLOT_TEXT, "%d", pen);
    snprintf(st.set.v[PK_F0 + row], PLOT_TEXT, "%s", fill);
    LayerTableBuild(st);
  }
  void Main(const char* cell) { snprintf(st.set.v[PK_CLN], PLOT_TEXT, "%s", cell); }
  void Pass(int layer) {
    out.clear();
    st.walk.layer = layer;
    st.walk.firstPass = 1;
    PlotLayerTree(st);
  }
};

// A source over the in-memory drawing whose instances of one cell carry the
// outline flag and whose objects of another cannot be read.
struct Wrapped {
  static DrcMemDrawing* d;
  static int outlined;
  static std::string unreadable;
  static void Inst(void* ctx, int level, int32_t i, DrcInstRec* out) {
    d->src.inst(ctx, level, i, out);
    if ((int)(out->word & 0x3fff) == outlined) out->word |= 1u << 15;
  }
  static int Read(void* ctx, const char* cell) {
    if (unreadable == cell) return 1;
    return d->src.readObjects(ctx, cell);
  }
  static DrcCellSource Source(DrcMemDrawing& drawing) {
    d = &drawing;
    DrcCellSource s = drawing.src;
    s.inst = Inst;
    s.readObjects = Read;
    return s;
  }
};
DrcMemDrawing* Wrapped::d = nullptr;
int Wrapped::outlined = 0;
std::string Wrapped::unreadable;

TEST_F(WalkTest, InstancesAgainstTheWindow) {
  Cell("A", "<B>\n1 0 0 10 10\n</B>\n");
  Cell("TOP", "<C>\nA\n0 100 0 0\n</C>\n<C>\nA\n0 -10 0 0\n</C>\n<C>\nA\n0 -11 0 0\n</C>\n<C>\nA\n1 0 -15 0\n</C>\n");
  Finish();
  Layer(0, 1, 1);
  Main("TOP");
  st.geom.dl = 0;
  st.geom.db = 0;
  st.geom.dr = 100;
  st.geom.dt = 100;
  Pass(1);
  // At 100 and at -10 the instance touches the window; at -11 it misses it;
  // turned (orientation 1) at y -15 it covers -15..-5 and misses it too.
  EXPECT_EQ(out, "SP1;LT;PU;PA100,0;PD;ER10,10;LT;PU;PA-10,0;PD;ER10,10;");
}

TEST_F(WalkTest, EachPassReadsEveryCellOnceInARow) {
  Cell("A", "<B>\n1 0 0 10 10\n</B>\n");
  Cell("B", "<B>\n1 0 0 10 10\n</B>\n");
  Cell("TOP", "<C>\nA\n0 0 0 0\n</C>\n<C>\nA\n0 20 0 0\n</C>\n<C>\nB\n0 40 0 0\n</C>\n<C>\nA\n0 60 0 0\n</C>\n");
  Finish();
  Layer(0, 1, 1);
  Main("TOP");
  Pass(1);
  EXPECT_EQ(Count(out, "ER10,10;"), 4);
  EXPECT_EQ(d.reads, 4);  // A, B, A again, TOP
  Pass(1);
  EXPECT_EQ(d.reads, 8);
}

TEST_F(WalkTest, SmallBoxesAndPathsAreDropped) {
  struct Case {
    const char* tlc;
    int drawn;
  } cases[] = {
      {"<B>\n1 0 0 1 1\n</B>\n", 0},
      {"<B>\n1 0 0 1 100\n</B>\n", 1},
      {"<P>\n1 0 2\n0 0 1 1\n</P>\n", 0},
      {"<P>\n1 4 2\n0 0 1 1\n</P>\n", 1},
      {"<P>\n1 0 2\n0 0 0 9\n</P>\n", 1},
  };
  for (const Case& c : cases) {
    d = DrcMemDrawing();
    Cell("TOP", c.tlc);
    Finish();
    Layer(0, 1, 1);
    Main("TOP");
    st.geom.minSize = 2;
    Pass(1);
    EXPECT_EQ(!out.empty(), c.drawn != 0) << c.tlc << out;
  }
}

TEST_F(WalkTest, WidePathOutlinePoints) {
  struct Case {
    std::vector<int32_t> xy;
    int32_t width;
    std::vector<int64_t> want;  // x y of each point
  } cases[] = {
      {{0, 0, 100, 0}, 10, {0, -5, 0, 5, 100, -5, 100, 5}},
      {{0, 0, 100, 0}, -10, {-5, -5, -5, 5, 105, -5, 105, 5}},
      // A right angle: mitred corner points, |k| = a.
      {{0, 0, 100, 0, 100, 100}, 10, {0, -5, 0, 5, 105, -5, 95, 5, 105, 100, 95, 100}},
      // Sharper than a right angle: two extra points at the corner.
      {{0, 0, 100, 0, 0, 10}, 10, {0, -5, 0, 5, 105, -5, 95, 5, 105, 4, 95, -4, 0, 15, 0, 5}},
  };
  for (const Case& c : cases) {
    DrcPathRec p = {1, c.width, (int32_t)(c.xy.size() / 2), c.xy.data()};
    st.geom.minSize = 1;
    PathFetch(st, p, -1);
    std::vector<int64_t> got;
    for (int k = 0; k <= st.walk.n; ++k) {
      got.push_back(st.walk.x[k]);
      got.push_back(st.walk.y[k]);
    }
    EXPECT_EQ(got, c.want) << c.width << " " << c.xy.size();
    EXPECT_EQ(st.walk.n % 2, 1);
  }
}

TEST_F(WalkTest, WholePathsOfTheLargestRecord) {
  // A thin path and a zigzag wide path of the most vertices a record holds:
  // every segment is drawn, none is cut, and no list overflows.
  std::vector<int32_t> thin, wide;
  for (int i = 0; i < DRC_MAXV; ++i) {
    thin.push_back(i * 10);
    thin.push_back(0);
    wide.push_back(i * 10);
    wide.push_back(i % 2 ? 200 : 0);  // sharp turns: extra points at each
  }
  st.set.ppm = 0;
  DrcPathRec p = {1, 0, DRC_MAXV, thin.data()};
  st.out.lastX = -1;
  PlotPathObj(st, p, -1);
  EXPECT_EQ(Count(out, "PD;"), DRC_MAXV - 1);
  EXPECT_NE(out.find("PA10390,0;"), std::string::npos);
  out.clear();
  DrcPathRec q = {1, 40, DRC_MAXV, wide.data()};
  PathFetch(st, q, -1);
  EXPECT_GT(st.walk.n, 2 * DRC_MAXV);
  EXPECT_LT(st.walk.n, PLOT_POINTS);
  PlotPathObj(st, q, -1);
  EXPECT_EQ(Count(out, "PD;"), st.walk.n + 1);
}

TEST_F(WalkTest, OutlinedInstanceIsABoxInTheOutlinePenOnce) {
  int a = Cell("A", "<B>\n1 0 0 3000 1500\n</B>\n");
  Cell("TOP", "<C>\nA\n0 0 0 0\n</C>\n<B>\n1 5000 0 5010 10\n</B>\n");
  Finish();
  Wrapped::outlined = a;
  DrcCellSource src = Wrapped::Source(d);
  st.walk.cw.src = &src;
  Layer(0, 1, 3);
  Layer(1, 2, 4);
  snprintf(st.set.v[PK_OPN], PLOT_TEXT, "6");
  ParamsApply(st);
  Main("TOP");
  st.out.pen = 3;
  st.out.wantPen = 3;
  Pass(1);
  // The box in pen 6, its name 285 high from 142 in, then TOP's own box back
  // in its layer's pen.
  ASSERT_EQ(out.substr(0, 30), "SP6;LT;PU;PA0,0;PD;ER3000,1500");
  EXPECT_NE(out.find("PA142,"), std::string::npos);
  EXPECT_EQ(Count(out, "ER3000,1500;"), 1);
  EXPECT_NE(out.find("SP3;LT;PU;PA5000,0;PD;ER10,10;"), std::string::npos);
  st.walk.firstPass = 0;
  out.clear();
  st.walk.layer = 2;
  PlotLayerTree(st);
  EXPECT_EQ(out, "");
  // Drawn in full on request.
  snprintf(st.set.v[PK_DOL], PLOT_TEXT, "Y");
  ParamsApply(st);
  Pass(1);
  EXPECT_EQ(Count(out, "ER3000,1500;"), 1);
  EXPECT_EQ(out.find("SP6;"), std::string::npos);
}

TEST_F(WalkTest, UnreadableCellsStandAsDashedBoxes) {
  Cell("A", "<B>\n1 0 0 10 10\n</B>\n");
  Cell("TOP", "<C>\nA\n0 0 0 0\n</C>\n<B>\n1 50 0 60 10\n</B>\n");
  Finish();
  Wrapped::outlined = 0;
  Wrapped::unreadable = "A";  // the file is not there any more
  DrcCellSource src = Wrapped::Source(d);
  st.walk.cw.src = &src;
  Layer(0, 1, 1);
  Main("TOP");
  st.out.pen = st.out.wantPen = 1;
  Pass(1);
  ASSERT_EQ(out.substr(0, 28), "LT2,1.5;PU;PA0,0;PD;ER10,10;");
  EXPECT_NE(out.find("LT;PU;PA50,0;PD;ER10,10;"), std::string::npos);
}

TEST_F(WalkTest, InstancesOfUnknownCellsAreSkippedWithOneNote) {
  Cell("A", "<B>\n1 0 0 10 10\n</B>\n");
  Cell("TOP", "<C>\nGHOST\n0 0 0 0\n</C>\n<C>\nGHOST\n0 5 0 0\n</C>\n<C>\nA\n0 20 0 0\n</C>\n");
  Finish();
  Layer(0, 1, 1);
  Main("TOP");
  Pass(1);
  EXPECT_EQ(out, "SP1;LT;PU;PA20,0;PD;ER10,10;");
  EXPECT_EQ(Messages(), std::vector<std::string>{"Instances of Cells Missing from the Cell List are not Plotted"});
}

TEST_F(WalkTest, ThreeLevelsAndOrientations) {
  Cell("LEAF", "<B>\n1 0 0 20 10\n</B>\n<P>\n1 0 3\n0 0 5 5 0 10\n</P>\n");
  Cell("MID", "<C>\nLEAF\n1 100 0 0\n</C>\n");
  Cell("TOP", "<C>\nMID\n4 1000 2000 0\n</C>\n");
  Finish();
  Layer(0, 1, 1);
  Main("TOP");
  st.set.ppm = 0;
  Pass(1);
  // LEAF turned a quarter (1) at (100, 0) in MID; MID mirrored in y (4) at
  // (1000, 2000): (x, y) -> (100 - y, x) -> (1100 - y, 2000 - x).
  EXPECT_EQ(out,
            "SP1;LT;PU;PA1090,1980;PD;ER10,20;"
            "PU;LT;PA1100,2000;PD;PA1095,1995;LT;PA1095,1995;PD;PA1090,2000;");
}

TEST_F(WalkTest, ARun) {
  TempFolder tmp;
  Cell("A", "<B>\n1 0 0 5000 5000\n</B>\n<B>\n2 0 0 5000 5000\n</B>\n");
  Cell("TOP", "<C>\nA\n0 0 0 0\n</C>\n");
  Finish();
  Layer(0, 1, 1);
  Layer(1, 2, 2, "s");
  Layer(2, 1, 5);  // layer 1 again: once, with the first row's pen
  Main("TOP");
  snprintf(st.set.v[PK_PFN], PLOT_TEXT, "top.plt");
  snprintf(st.set.v[PK_WRT], PLOT_TEXT, "10");
  snprintf(st.set.v[PK_WTP], PLOT_TEXT, "10");
  SetupApply(st);
  st.out.capture = nullptr;
  ASSERT_EQ(PlotRun(st), 1);
  std::string plot = tmp.Read("top.plt");
  EXPECT_EQ(plot,
            "IN;IP508,508,10668,8128;IW0,0,40,40;VS10.0;SC;"
            "SP1;LT;PU;PA0,0;PD;ER20,20;PU;"
            "SP2;LT;PT0.2;FT2;PU;PA0,0;PD;RA20,20;LT;LT;PU;PA0,0;PD;ER20,20;PU;"
            "PU;LT;SP0;");
  char text[SAT_TEXT_SIZE];
  PlotClosing(st, 1, text, sizeof text);
  EXPECT_EQ(std::string(text), "File or Port:  top.plt\n\nTotal Time:  0hr 0min 0sec\n\nPlot Finished ...");

  // Escape with Yes inside the layer loop: the trailer is written and the
  // run reported aborted.
  HostRecordGet().abortAfterPolls = 0;
  ASSERT_EQ(PlotRun(st), 1);
  plot = tmp.Read("top.plt");
  EXPECT_EQ(plot.substr(plot.size() - 10), "PU;LT;SP0;");
  EXPECT_EQ(Count(plot, "ER"), 1);
  PlotClosing(st, 1, text, sizeof text);
  EXPECT_STREQ(text, "Aborted ... Plot may be Incomplete");
  HostRecordGet().abortAfterPolls = -1;
}

TEST_F(WalkTest, RunsThatCannotStartOrFinish) {
  TempFolder tmp;
  Cell("TOP", "<B>\n1 0 0 10 10\n</B>\n");
  Finish();
  Layer(0, 1, 1);
  struct Case {
    const char *cell, *file, *right;
    int result;
    const char* message;
    double scale = 1000;
  } cases[] = {
      {"GHOST", "top.plt", "10", 0, "Cell to Plot is Missing ... Can't Continue"},
      {"TOP", "nofolder/top.plt", "10", 0, "Unable to Open Plotter or Plot File!"},
      {"TOP", "top.plt", "0", 0, "Null Draw Window ... Window Must Have Area!"},
      {"TOP", "/dev/full", "10", 1, "Unable to Write to Plotter or Plot File /dev/full"},
      {"TOP", "top.plt", "10", 0, "Drawing Scale must be Greater than 0 ... Can't Continue", 0},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    Main(c.cell);
    snprintf(st.set.v[PK_PFN], PLOT_TEXT, "%s", c.file);
    snprintf(st.set.v[PK_WRT], PLOT_TEXT, "%s", c.right);
    snprintf(st.set.v[PK_WTP], PLOT_TEXT, "10");
    SetupApply(st);
    snprintf(st.set.plotFile, sizeof st.set.plotFile, "%s", c.file);
    st.scale = c.scale;
    st.out.capture = nullptr;
    EXPECT_EQ(PlotRun(st), c.result) << c.file;
    ASSERT_FALSE(Messages().empty()) << c.file;
    EXPECT_EQ(Messages().back(), c.message);
    char text[SAT_TEXT_SIZE];
    PlotClosing(st, c.result, text, sizeof text);
    EXPECT_STREQ(text, "Aborted ... Plot may be Incomplete") << c.file;
  }
}

TEST_F(WalkTest, GoWaitsForTheMainSetup) {
  EXPECT_EQ(PlotSetupCheck(st), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{"??? ... Please do Main Setup Again"});
  EXPECT_EQ(HostRecordGet().messages[0].caption, "Setup Changed ...");
  st.setupChanged = 0;
  EXPECT_EQ(PlotSetupCheck(st), 0);
  EXPECT_EQ(Messages().size(), 1u);
}

}  // namespace
