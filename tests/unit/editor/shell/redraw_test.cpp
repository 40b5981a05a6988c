// The redraw walk over a three-level hierarchy: depth and rank windows,
// counters, placements, the swap file and cells that can't be loaded.
#include <sys/stat.h>

#include "host.h"

#include "palette.h"
#include "render_fixture.h"
#include "swap.h"

namespace {

struct HierFixture : RenderFixture {
  int c1 = 0, c2 = 0, c3 = 0;
  int timers = 0;
  static HierFixture* self;

  void SetUp() override {
    RenderFixture::SetUp();
    self = this;
    // C1 (rank 1): a layer-1 box. C2 (rank 2): a layer-2 box over C1.
    // C3 (rank 3, current): its own layer-3 box, C2 at the origin and C1
    // on its own to the left.
    WriteCell("C1", 1, 0, 0, 100, 100, {{1, 0, 0, 100, 100}}, {});
    WriteCell("C2", 2, 0, 0, 300, 300, {{2, 0, 0, 300, 300}}, {{"C1", 0, 0, 0}});
    WriteCell("C3", 3, -400, -400, 300, 300, {{3, -400, -400, -300, -300}},
              {{"C2", 0, 0, 0}, {"C1", 0, -200, 0}});
    c1 = TableCell("C1", 1, 0, 0, 100, 100, 1, 0);
    c2 = TableCell("C2", 2, 0, 0, 300, 300, 1, 1);
    c3 = TableCell("C3", 3, -400, -400, 300, 300, 1, 2);
    ASSERT_EQ(CellObjLoad(c3), 0);
    ASSERT_EQ(CellInstLoad(c3, 0), 0);
    Store.currentCell = c3;
    Rw.timerStart = [] { ++self->timers; };
  }

  // Filled boxes per layer colour 1..3 in the last redraw.
  std::vector<int> Fills() {
    std::vector<int> n(4, 0);
    for (const RecOp& op : canvas.ops)
      if (op.kind == REC_POLYGON && op.paint.colour >= 1 && op.paint.colour <= 3) ++n[op.paint.colour];
    return n;
  }
  int Outlines(int colour) {
    int n = 0;
    for (const RecOp& op : canvas.ops) n += op.kind == REC_RECT && op.paint.colour == colour;
    return n;
  }
  void Redraw() {
    canvas.ops.clear();
    DrawAll(0);
  }
};
HierFixture* HierFixture::self = nullptr;

TEST_F(HierFixture, DepthAndRankWindowsChooseWhatIsDrawn) {
  struct Case {
    const char* what;
    int top, bot, rankMode, rankLimit;
    int l1, l2, l3, outlines;
  } cases[] = {
      {"everything", 0, 24, 0, 0, 2, 1, 1, 0},
      {"botdepth 0: outlines of the top instances", 0, 0, 0, 0, 0, 0, 1, 2},
      {"botdepth 1: one level expanded", 0, 1, 0, 0, 1, 1, 1, 0},
      {"topdepth 1: no own objects", 1, 24, 0, 0, 2, 1, 0, 0},
      {"topdepth 2: only the second level's objects", 2, 24, 0, 0, 1, 0, 0, 0},
      {"rank 1: the rank-1 instance only", 0, 24, 1, 1, 1, 0, 0, 0},
      {"rank 2: the rank-2 instance with its contents", 0, 24, 1, 2, 1, 1, 0, 0},
      {"rank 0: own objects only", 0, 24, 1, 0, 0, 0, 1, 0},
  };
  for (const Case& c : cases) {
    MainSetup.topdepth = c.top;
    MainSetup.botdepth = c.bot;
    Rw.rankMode = c.rankMode;
    Rw.rankLimit = c.rankLimit;
    Redraw();
    std::vector<int> f = Fills();
    EXPECT_EQ(f[1], c.l1) << c.what;
    EXPECT_EQ(f[2], c.l2) << c.what;
    EXPECT_EQ(f[3], c.l3) << c.what;
    EXPECT_EQ(Outlines(PAL_OUTLINE), c.outlines) << c.what;
    // The window is put back and the store holds the current cell again.
    EXPECT_EQ(MainSetup.topdepth, c.top) << c.what;
    EXPECT_EQ(MainSetup.botdepth, c.bot) << c.what;
    EXPECT_EQ(Store.heldCell, c3) << c.what;
    EXPECT_EQ(Store.boxCount, 1) << c.what;
    EXPECT_EQ(StoreBoxGet(1, 1), -400) << c.what;
  }
  EXPECT_EQ(timers, 8);
}

TEST_F(HierFixture, CountersTellWhatTheLastRedrawDrew) {
  Redraw();
  EXPECT_EQ(Rd.boxesDrawn, 4);
  EXPECT_EQ(Rd.instsExpanded, 3);
  EXPECT_EQ(Rd.pathsDrawn, 0);
  Redraw();
  EXPECT_EQ(Rd.boxesDrawn, 4);
}

TEST_F(HierFixture, InstancesArePlacedThroughEveryLevel) {
  // C2 turned a quarter (code 1) at (500, 0): its C1 box (0..100, 0..100)
  // lands on x -100..0 turned, then + 500: 400..500, y 0..100.
  StoreCellSet((int32_t)((uint32_t)c2 | (1u << ORIENT_SHIFT)), 0, 0, 1);
  StoreCellSet(500, 0, 1, 1);
  View(0, 0, 2000);
  Redraw();
  const RecOp* c1box = nullptr;
  for (auto* op : Ops(REC_POLYGON))
    if (op->paint.colour == 1 && op->pts[0].x > 600) c1box = op;
  ASSERT_NE(c1box, nullptr);
  int minx = 1 << 30, maxx = -(1 << 30), miny = 1 << 30, maxy = -(1 << 30);
  for (auto& p : c1box->pts) {
    minx = std::min(minx, p.x);
    maxx = std::max(maxx, p.x);
    miny = std::min(miny, p.y);
    maxy = std::max(maxy, p.y);
  }
  EXPECT_EQ(minx, 500 + 200);  // half a pixel per unit
  EXPECT_EQ(maxx, 500 + 250);
  EXPECT_EQ(miny, 500 - 50);
  EXPECT_EQ(maxy, 500);
}

TEST_F(HierFixture, LowerCellWithoutItsFileIsADottedHighlightedOutline) {
  ASSERT_EQ(remove("C1.tlc"), 0);
  Redraw();
  std::vector<int> f = Fills();
  EXPECT_EQ(f[1], 0);
  EXPECT_EQ(f[2], 1);
  EXPECT_EQ(f[3], 1);
  int dotted = 0;
  for (const RecOp& op : canvas.ops) dotted += op.kind == REC_RECT && op.paint.colour == 15 && op.paint.style == 2;
  EXPECT_EQ(dotted, 2);
  EXPECT_EQ(Store.heldCell, c3);
  EXPECT_EQ(Store.boxCount, 1);
}

TEST_F(HierFixture, EscapeLeavesTheRemainingInstancesAsDottedOutlines) {
  Rd.abortPoll = [] { return 1; };
  Redraw();
  std::vector<int> f = Fills();
  EXPECT_EQ(f[1] + f[2], 0);
  int dotted = 0;
  for (const RecOp& op : canvas.ops) dotted += op.kind == REC_RECT && op.paint.style == 2;
  EXPECT_EQ(dotted, 2);
  EXPECT_EQ(Store.heldCell, c3);
}

TEST_F(HierFixture, FailedSwapWriteLoadsNoLowerCellOverTheCurrentOne) {
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "%s", "/nonexistent/quil/");
  StoreBoxSet(-444, 1, 1);  // an unsaved change
  Redraw();
  ASSERT_FALSE(rec->messages.empty());
  EXPECT_EQ(rec->messages[0].text, "Swap File Failed to Write ... Try an Undo to Recover Previous Objects");
  std::vector<int> f = Fills();
  EXPECT_EQ(f[1] + f[2], 0);
  EXPECT_EQ(f[3], 1);
  int dotted = 0;
  for (const RecOp& op : canvas.ops)
    dotted += op.kind == REC_RECT && op.paint.style == 2 && op.paint.colour == PAL_OUTLINE;
  EXPECT_EQ(dotted, 2);
  EXPECT_EQ(Store.heldCell, c3);
  EXPECT_EQ(StoreBoxGet(1, 1), -444);
  EXPECT_TRUE(StoreUsable());
}

// A drawing folder that can't take the swap file (read-only) is drawn with
// its whole hierarchy, without a word: the file goes to the spare folder.
TEST_F(HierFixture, ASwapFileTheFolderCantTakeGoesToTheSpareFolder) {
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "%s", "/nonexistent/quil/");
  std::string spare = dir + "/spare/QuilTempFiles/9/";
  snprintf(Store.spareFolder, sizeof Store.spareFolder, "%s", spare.c_str());
  StoreBoxSet(-444, 1, 1);  // an unsaved change
  Redraw();
  EXPECT_TRUE(rec->messages.empty()) << rec->messages[0].text;
  std::vector<int> f = Fills();
  EXPECT_EQ(f[1], 2);
  EXPECT_EQ(f[2], 1);
  EXPECT_EQ(f[3], 1);
  EXPECT_EQ(Outlines(PAL_OUTLINE), 0);
  EXPECT_EQ(Store.heldCell, c3);
  EXPECT_EQ(StoreBoxGet(1, 1), -444);
  EXPECT_TRUE(std::ifstream(spare + "Swap.bpv").good());
}

TEST_F(HierFixture, FailedSwapReadMarksTheStoreAndOffersTheCellFile) {
  for (int answer : {HOST_IDNO, HOST_IDYES}) {
    HostRecordInstall().answers.push_back(answer);
    rec = &HostRecordGet();
    Rd.abortPoll = [] {
      remove("Swap.bpv");
      return 0;
    };
    canvas.ops.clear();
    DrawAll(1);
    Rd.abortPoll = nullptr;
    ASSERT_GE(rec->messages.size(), 2u);
    EXPECT_EQ(rec->messages[0].text, "Swap File Failed to Read ... Try an Undo to Recover Previous Objects");
    EXPECT_EQ(rec->messages[1].text, "Reload C3 from its TLC File?");
    if (answer == HOST_IDNO) {
      EXPECT_FALSE(StoreUsable());
      // Nothing is loaded over it while it is unusable.
      canvas.ops.clear();
      DrawAll(0);
      EXPECT_EQ(Fills()[1] + Fills()[2] + Fills()[3], 0);
      EXPECT_TRUE(StoreReloadCurrent());
    }
    EXPECT_TRUE(StoreUsable());
    EXPECT_EQ(Store.heldCell, c3);
    EXPECT_EQ(Store.boxCount, 1);
    EXPECT_EQ(Store.instCount[0], 2);
  }
}

TEST_F(HierFixture, SwapFileOfATempFolderGoesAtExit) {
  ASSERT_EQ(mkdir("tmp", 0700), 0);
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "%s/tmp/", dir.c_str());
  Redraw();
  EXPECT_TRUE(std::ifstream("tmp/Swap.bpv").good());
  SwapFileDelete();
  EXPECT_FALSE(std::ifstream("tmp/Swap.bpv").good());
  EXPECT_EQ(rmdir("tmp"), 0);
  // Without a temp folder the file stays with the drawing.
  Store.tempFolder[0] = '\0';
  Redraw();
  SwapFileDelete();
  EXPECT_TRUE(std::ifstream("Swap.bpv").good());
}

TEST_F(HierFixture, OneInstanceRedrawKeepsTheDepthWindow) {
  MainSetup.topdepth = 1;
  MainSetup.botdepth = 5;
  Rw.rankMode = 1;
  Rw.rankLimit = 2;
  canvas.ops.clear();
  DrawAll(1);
  EXPECT_EQ(MainSetup.topdepth, 1);
  EXPECT_EQ(MainSetup.botdepth, 5);
  EXPECT_EQ(Fills()[2], 1);
  EXPECT_EQ(Fills()[3], 0);
}

TEST_F(RenderFixture, LayersAreDrawnInTurnKeepingStoreOrderWithinALayer) {
  AddBox(2, 0, 0, 10, 10);
  AddBox(1, 20, 0, 30, 10);
  AddBox(2, 40, 0, 50, 10);
  AddBox(1, 60, 0, 70, 10);
  for (int reversed : {0, 1}) {
    MainSetup.reversedraw = reversed;
    canvas.ops.clear();
    DrawLevelLayers(-1);
    std::vector<int> xs;
    for (auto* op : Ops(REC_POLYGON)) xs.push_back(op->pts[0].x - 500);
    std::vector<int> want = reversed ? std::vector<int>{0, 40, 20, 60} : std::vector<int>{20, 60, 0, 40};
    EXPECT_EQ(xs, want) << reversed;
  }
  // Layers out of the view set are not drawn; one layer alone in its mode.
  MainSetup.reversedraw = 0;
  LyrView.viewOverride = 0;
  LyrSelSet(&LyrView.view, 2);
  canvas.ops.clear();
  DrawLevelLayers(-1);
  EXPECT_EQ(Ops(REC_POLYGON).size(), 2u);
  Rw.singleLayer = 1;
  Rw.singleLayerNo = 1;
  canvas.ops.clear();
  DrawLevelLayers(-1);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 2u);
  EXPECT_EQ(polys[0]->paint.colour, 1);
}

}  // namespace
