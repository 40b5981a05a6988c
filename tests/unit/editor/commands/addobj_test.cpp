#include "cmdfixture.h"

#include "orient.h"

namespace {

struct Adding : CmdFixture {
  void SetUp() override {
    CmdFixture::SetUp();
    MakeCurrent("TOP", 2);
  }
  std::vector<std::pair<int32_t, int32_t>> Points(int32_t p) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (int32_t v = StorePathGet(2, p); v; v = StoreVertexGet(3, v))
      out.push_back({StoreVertexGet(1, v), StoreVertexGet(2, v)});
    return out;
  }
};

TEST_F(Adding, BoxesAreNormalised) {
  MainSetup.bplayer = 7;
  ASSERT_EQ(Script("obj b\nadd 0.01 0.02 0 0\nadd -1 5 1 -5\n"), 1);
  ASSERT_EQ(Store.boxCount, 2);
  const int32_t* q = StoreBoxRec(1);
  EXPECT_EQ(q[0], 7);
  EXPECT_EQ(q[1], 0);
  EXPECT_EQ(q[2], 0);
  EXPECT_EQ(q[3], 10);
  EXPECT_EQ(q[4], 20);
  EXPECT_EQ(StoreBoxGet(1, 2), -1000);
  EXPECT_EQ(StoreBoxGet(4, 2), 5000);
  EXPECT_EQ(Typed("add 1 2"), 0);  // a box needs two points
  EXPECT_EQ(LastMessage(), "Add has the Wrong Number of X,Y Coordinate Arguments\n\n4 were Expected but 2 were Found");
}

TEST_F(Adding, PathsGrowAfterTheSelectedVertex) {
  ASSERT_EQ(Script("obj p\nlayr 3\nwdth 0.5\nadd 0 0\nadd 1 0\nadd 2 0\naput\n"), 1);
  ASSERT_EQ(Store.pathCount, 1);
  EXPECT_EQ(StorePathGet(1, 1), 500);
  EXPECT_EQ(StorePathGet(0, 1) & 0x1FF, 3);
  using P = std::vector<std::pair<int32_t, int32_t>>;
  EXPECT_EQ(Points(1), (P{{0, 0}, {1000, 0}, {2000, 0}}));
  // Select the middle vertex, then add: the new vertex goes between it and
  // its successor and takes the selection.
  ASSERT_EQ(Typed("get 0.9 -0.1 1.1 0.1"), 1);
  ASSERT_EQ(Typed("add 1.5 1"), 1);
  EXPECT_EQ(Points(1), (P{{0, 0}, {1000, 0}, {1500, 1000}, {2000, 0}}));
  int32_t v, next, path;
  ASSERT_TRUE(SelVertexFind(&v, &next, &path));
  EXPECT_EQ(StoreVertexGet(1, v), 1500);
  EXPECT_EQ(StoreInvariants(), "");
  // Whatever the object kind, a selected vertex continues its path.
  ASSERT_EQ(Typed("obj b"), 1);
  ASSERT_EQ(Typed("add 1.6 1"), 0);  // a box would want four numbers...
  EXPECT_EQ(Key("add 1.6 1"), 1);   // ...but the key line gives one point
  EXPECT_EQ(Points(1).size(), 5u);
}

TEST_F(Adding, PathOf1024VerticesRefusesOneMore) {
  int32_t p = PathStart(1, 0, 0, 0);
  for (int i = 1; i < 1024; ++i) ASSERT_EQ(VertexInsert(Store.vertexCount, i, 0), 1);
  EXPECT_EQ(PathVertexCount(p), 1024);
  MainSetup.objname[0] = 'P';
  EXPECT_EQ(Typed("add 5 5"), 1);
  EXPECT_EQ(LastMessage(), "Single Path Vertex Limit was Exceeded");
  EXPECT_EQ(PathVertexCount(p), 1024);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Adding, TextsPackEightCharactersAVertex) {
  ASSERT_EQ(Script("tlyr 4\ntsiz 0.31\ntext 1 2 ABCDEFGH\ntext 3 4 ABCDEFGHI\n"), 1);
  ASSERT_EQ(Store.pathCount, 2);
  EXPECT_EQ(PathVertexCount(1), 2);
  EXPECT_EQ(PathVertexCount(2), 3);
  EXPECT_EQ((uint32_t)StorePathGet(0, 2), TEXT_BIT | 4u);
  EXPECT_EQ(StorePathGet(1, 2), 315);  // a multiple of 15
  int32_t v = StoreVertexGet(3, StoreVertexGet(3, StorePathGet(2, 2)));
  EXPECT_EQ((uint32_t)StoreVertexGet(1, v), 0x49000000u);  // 'I' and zero bytes
  EXPECT_EQ(StoreVertexGet(2, v), 0);
  char text[80];
  StoreTextGet(2, text, sizeof text);
  EXPECT_STREQ(text, "ABCDEFGHI");
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Adding, TextLongerThan64FromAScriptIsRefused) {
  std::string t65(65, 'X'), t64(64, 'Y');
  EXPECT_EQ(Script("text 0 0 " + t64 + "\ntext 1 1 " + t65 + "\ntext 2 2 Z\n"), 0);
  EXPECT_EQ(Store.pathCount, 1);
  EXPECT_EQ(LastMessage(), "Text is longer than 64 Characters");
}

TEST_F(Adding, EditingATextKeepsItUntilOk) {
  ASSERT_EQ(Typed("text 1 1 OLD"), 1);
  static int answer = 0;
  static std::string seen;
  CmdShell.textDialog = [](char* t, size_t size) {
    seen = t;
    if (answer) snprintf(t, size, "NEW");
    return answer;
  };
  int32_t size = StorePathGet(1, 1);
  auto clickText = [&] {
    CmdStart(st, CmdIndexByName("Text"), 0);
    CmdPoint(st, 1000, 1000);
    CmdPump(st);
  };
  answer = 0;  // Cancel: the text stays, nothing backed up
  clickText();
  EXPECT_EQ(seen, "OLD");
  char text[80];
  ASSERT_EQ(Store.pathCount, 1);
  StoreTextGet(1, text, sizeof text);
  EXPECT_STREQ(text, "OLD");
  EXPECT_FALSE(Exists("Undobkup1.tlc"));
  answer = 1;
  MainSetup.twidth = 900;  // the edited text keeps its own size
  clickText();
  ASSERT_EQ(Store.pathCount, 1);
  StoreTextGet(1, text, sizeof text);
  EXPECT_STREQ(text, "NEW");
  EXPECT_EQ(StorePathGet(1, 1), size);
  EXPECT_TRUE(Exists("Undobkup1.tlc"));
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Adding, InstancesWithOrientationTokens) {
  int low = CellFindAdd("LOW");
  CellTable.cells[low].rank = 1;
  int same = CellFindAdd("PEER");
  CellTable.cells[same].rank = 2;
  ASSERT_EQ(Script("obj LOW\nadd 1 2 5\nadd 3 4 13\nadd 5 6\nadd 7 8 -1\n"), 1);
  ASSERT_EQ(Store.instCount[0], 4);
  int want[] = {5, 5, 0, 7};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ((StoreCellGet(0, 0, i + 1) >> ORIENT_SHIFT) & 7, want[i]) << i;
    EXPECT_EQ(StoreCellGet(0, 0, i + 1) & INST_CELL_MASK, low);
  }
  EXPECT_EQ(StoreCellGet(0, 1, 1), 1000);
  EXPECT_EQ(Script("obj PEER\nadd 0 0\nadd 1 1\n"), 0);
  EXPECT_EQ(LastMessage(), "Rank of Cell PEER is Too High for Current Cell");
  EXPECT_EQ(Store.instCount[0], 4);
}

TEST_F(Adding, NoCellLoaded) {
  Cell = CurrentCell();
  EXPECT_EQ(Script("obj b\nadd 0 0 1 1\nadd 2 2 3 3\n"), 0);
  EXPECT_EQ(LastMessage(), "No Cell is Present\n\nYou must Load an Existing Cell or use Load to create a New Cell");
  EXPECT_EQ(Store.boxCount, 0);
}

TEST_F(Adding, OrientationCompositionMatchesMatrices) {
  auto mul = [](const int* a, const int* b, int* out) {
    out[0] = a[0] * b[0] + a[1] * b[2];
    out[1] = a[0] * b[1] + a[1] * b[3];
    out[2] = a[2] * b[0] + a[3] * b[2];
    out[3] = a[2] * b[1] + a[3] * b[3];
  };
  for (int outer = 0; outer < 8; ++outer)
    for (int inner = 0; inner < 8; ++inner) {
      int m[4];
      mul(OrientMatrix[outer], OrientMatrix[inner], m);
      int c = OrientCompose(outer, inner);
      EXPECT_EQ(std::vector<int>(m, m + 4), std::vector<int>(OrientMatrix[c], OrientMatrix[c] + 4))
          << outer << " after " << inner;
      int ro = outer & 3, mo = outer >> 2, ri = inner & 3, mi = inner >> 2;
      int rule = ((ro + ri - 2 * (mo == 1 && (ri & 1))) % 4 + 4) % 4 + 4 * (mo ^ mi);
      EXPECT_EQ(c, rule) << outer << " after " << inner;
    }
}

struct Arcs : Adding {
  void Arc(const char* dir, int segs, int32_t cx, int32_t cy, int32_t ex, int32_t ey) {
    MainSetup.arcsegs = segs;
    snprintf(MainSetup.arcdir, sizeof MainSetup.arcdir, "%s", dir);
    CmdShell.arcDialog = [] { return 1; };
    CmdStart(st, CmdIndexByName("Arc"), 0);
    CmdPoint(st, cx, cy);
    CmdPoint(st, ex, ey);
    CmdPump(st);
  }
};

TEST_F(Arcs, VertexCountsAndPoints) {
  int32_t p = PathStart(1, 0, 1000, 0);
  Arc("ccw", 4, 0, 0, 0, 1000);  // a quarter: 3 between and the end
  auto pts = Points(p);
  ASSERT_EQ(pts.size(), 5u);
  EXPECT_EQ(pts[2], std::make_pair(707, 707));
  EXPECT_EQ(pts[4], std::make_pair(0, 1000));
  StoreReset();
  MakeCurrent("TOP", 2);
  p = PathStart(1, 0, 1000, 0);
  Arc("cw", 4, 0, 0, 0, 1000);  // clockwise the long way: three quarters
  pts = Points(p);
  ASSERT_EQ(pts.size(), 5u);
  EXPECT_EQ(pts[1], std::make_pair(383, -924));
  StoreReset();
  MakeCurrent("TOP", 2);
  p = PathStart(1, 0, 1000, 0);
  Arc("ccw", 8, 0, 0, 1000, 0);  // equal angles: a full circle of 8 segments
  EXPECT_EQ(Points(p).size(), 9u);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Arcs, TooManyVerticesRefuseOnceAndChangeNothing) {
  int32_t p = PathStart(1, 0, 0, 0);
  for (int i = 1; i < 1000; ++i) VertexInsert(Store.vertexCount, i, 0);
  int32_t nv = Store.vertexCount;
  Arc("ccw", 100, 500, 500, 0, 1000);
  EXPECT_EQ(PathVertexCount(p), 1000);
  EXPECT_EQ(Store.vertexCount, nv);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Single Path Vertex Limit was Exceeded"});
  Arc("up", 10, 500, 500, 0, 1000);  // neither cw nor ccw: nothing
  EXPECT_EQ(Store.vertexCount, nv);
}

TEST_F(Arcs, Spirals) {
  CmdShell.spiralDialog = [] { return 1; };
  struct Case {
    int type, turns, segs;
    int vertices;
  } cases[] = {{0, 3, 4, 14}, {1, 2, 8, 18}, {2, 3, 10, 31}, {3, 2, 8, 17}, {4, 1, 6, 8}, {5, 1, 10, 11},
               {2, 1, 1023, 1024}};
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    MainSetup.spiraltype = c.type;
    MainSetup.arcturns = c.turns;
    MainSetup.turnsegs = c.segs;
    MainSetup.xarcradius = MainSetup.yarcradius = 10;
    MainSetup.arcpitch = 2;
    MainSetup.xarcctr = MainSetup.yarcctr = 0;
    CmdStart(st, CmdIndexByName("Arc"), 0);
    CmdPump(st);
    ASSERT_EQ(Store.pathCount, 1) << c.type;
    EXPECT_EQ(PathVertexCount(1), c.vertices) << c.type;
    EXPECT_EQ(StoreInvariants(), "") << c.type;
  }
  // One over the limit: one message, nothing made.
  StoreReset();
  MakeCurrent("TOP", 2);
  rec->messages.clear();
  MainSetup.spiraltype = 2;
  MainSetup.arcturns = 1;
  MainSetup.turnsegs = 1024;
  CmdStart(st, CmdIndexByName("Arc"), 0);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Path Vertex Count exceeds Limit of 1024"});
  EXPECT_EQ(Store.pathCount, 0);
  EXPECT_EQ(Store.vertexCount, 0);
}

TEST(DialogRules, SpiralArcAndNewCell) {
  MainSetupReset();
  MainSetup.spiraltype = 2;
  MainSetup.arcturns = 10;
  MainSetup.turnsegs = 200;
  MainSetup.xarcradius = 5;
  MainSetup.yarcradius = 0;
  MainSetup.arcpitch = 1;
  EXPECT_EQ(SpiralSettingsNormalise(), 1);
  EXPECT_EQ(MainSetup.turnsegs, 102);
  EXPECT_EQ(MainSetup.yarcradius, 1);  // raised to the pitch
  MainSetup.xarcradius = MainSetup.yarcradius = MainSetup.arcpitch = 0;
  EXPECT_EQ(SpiralSettingsNormalise(), 0);
  int32_t segs = 5000;
  EXPECT_EQ(ArcSegsAccept(&segs), 0);
  EXPECT_EQ(segs, 1023);
  EXPECT_EQ(ArcSegsAccept(&segs), 1);
  EXPECT_EQ(NewCellRank(0), 1);
  EXPECT_EQ(NewCellRank(30), 24);
  EXPECT_EQ(NewCellRank(12), 12);
}

}  // namespace
