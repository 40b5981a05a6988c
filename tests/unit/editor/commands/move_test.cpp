#include "cmdfixture.h"

#include "cmdmove.h"

namespace {

struct Move : CmdFixture {
  int low = 0;
  void SetUp() override {
    CmdFixture::SetUp();
    low = CellFindAdd("LOW");
    CellTable.cells[low].rank = 1;
    CellTable.cells[low].r = 10;
    CellTable.cells[low].t = 20;
    MakeCurrent("TOP", 2);
  }
  // A command with its points as the mouse gives them.
  void Run(const char* name, std::vector<std::pair<int32_t, int32_t>> pts = {}) {
    CmdStart(st, CmdIndexByName(name), 0);
    for (auto& p : pts) CmdPoint(st, p.first, p.second);
    CmdPump(st);
  }
  int32_t Path(std::vector<std::pair<int32_t, int32_t>> pts, int layer = 3, int32_t width = 0) {
    int32_t p = PathStart(layer, width, pts[0].first, pts[0].second);
    for (size_t i = 1; i < pts.size(); ++i) VertexInsert(Store.vertexCount, pts[i].first, pts[i].second);
    // Unselected, and the rest of the selection left as it is.
    for (int32_t v = StorePathGet(2, p); v; v = StoreVertexGet(3, v))
      StoreVertexSet(StoreVertexGet(0, v) & ~(int32_t)VERTEX_SELECTED, 0, v);
    PathSelSync(p);
    return p;
  }
  // Selects the vertices at positions k (0-based in chain order).
  void SelectVertices(int32_t p, std::vector<int> ks) {
    int k = 0;
    for (int32_t v = StorePathGet(2, p); v; v = StoreVertexGet(3, v), ++k)
      for (int want : ks)
        if (want == k) StoreVertexSet(StoreVertexGet(0, v) | VERTEX_SELECTED, 0, v);
    PathSelSync(p);
  }
  std::vector<std::vector<int32_t>> Points(int32_t p) {
    std::vector<std::vector<int32_t>> out;
    for (int32_t v = StorePathGet(2, p); v; v = StoreVertexGet(3, v))
      out.push_back({StoreVertexGet(1, v), StoreVertexGet(2, v), (StoreVertexGet(0, v) & VERTEX_SELECTED) ? 1 : 0});
    return out;
  }
  std::vector<int32_t> Box(int32_t b) {
    const int32_t* q = StoreBoxRec(b);
    return {q[0], q[1], q[2], q[3], q[4]};
  }
};

// The whole store as text, to see that a refused command changed nothing
// and that two ways of working give the same store.
std::string Dump() {
  std::string s;
  char t[96];
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    snprintf(t, sizeof t, "B%x %d %d %d %d\n", q[0], q[1], q[2], q[3], q[4]);
    s += t;
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* r = StorePathRec(p);
    snprintf(t, sizeof t, "P%x %d %d:", r[0], r[1], r[2]);
    s += t;
    for (int32_t v = r[2]; v > 0 && v <= Store.vertexCount; v = StoreVertexGet(3, v)) {
      snprintf(t, sizeof t, " %x,%d,%d", StoreVertexGet(0, v), StoreVertexGet(1, v), StoreVertexGet(2, v));
      s += t;
    }
    s += "\n";
  }
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    snprintf(t, sizeof t, "I%x %d %d\n", StoreCellGet(0, 0, i), StoreCellGet(0, 1, i), StoreCellGet(0, 2, i));
    s += t;
  }
  return s;
}

TEST_F(Move, BoxNormaliseSwapsCoordinatesWithTheirEdgeBits) {
  struct Case {
    int32_t in[5], out[5];
  } cases[] = {
      {{0x1001, 0, 0, 10, 10}, {0x1001, 0, 0, 10, 10}},
      {{0x2001, 10, 0, 0, 10}, {0x8001, 0, 0, 10, 10}},            // r < l: right bit becomes left
      {{0x1001, 0, 10, 10, 0}, {0x4001, 0, 0, 10, 10}},            // t < b: top bit becomes bottom
      {{0x9005, 10, 10, 0, 0}, {0x6005, 0, 0, 10, 10}},              // both axes
      {{(int32_t)(0x40000000 | 0xF007), 0, 0, 1, 1}, {0xF007, 0, 0, 1, 1}},  // the marked bit goes
  };
  for (const Case& c : cases) {
    StoreReset();
    BoxAdd(1, 0, 0, 1, 1);
    memcpy(StoreBoxRec(1), c.in, sizeof c.in);
    BoxNormalise(1);
    std::vector<int32_t> want(c.out, c.out + 5);
    EXPECT_EQ(Box(1), want) << std::hex << c.in[0];
  }
}

TEST_F(Move, MovOfBoxEdges) {
  struct Case {
    int32_t bits, dx, dy;
    std::vector<int32_t> box;  // flags, l, b, r, t after the move
  } cases[] = {
      {0xF000, 5, 7, {0xF001, 5, 7, 105, 107}},       // the whole box moves
      {0x2000, 30, 0, {0x2001, 0, 0, 130, 100}},      // the right edge stretches it
      {0x1000, 0, -50, {0x1001, 0, 0, 100, 50}},      // top edge down: only t
      {0x1000, 0, -150, {0x4001, 0, -50, 100, 0}},    // below b: t and b swap, the bit goes to the bottom
      {0x8000, 150, 0, {0x2001, 100, 0, 150, 100}},   // left past right
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    BoxAdd(1, 0, 0, 100, 100);
    StoreBoxSet(1 | c.bits, 0, 1);
    Run("Mov", {{0, 0}, {c.dx, c.dy}});
    EXPECT_EQ(Box(1), c.box) << std::hex << c.bits << std::dec << " " << c.dx << "," << c.dy;
  }
}

TEST_F(Move, MovMovesSelectedVerticesTextsAndInstances) {
  int32_t p = Path({{0, 0}, {100, 0}, {100, 100}});
  SelectVertices(p, {1});
  TextAdd(2, 300, 0, 50, 50, "VDD");
  StoreVertexSet(StoreVertexGet(0, StorePathGet(2, 2)) | VERTEX_SELECTED, 0, StorePathGet(2, 2));
  PathSelSync(2);
  InstAdd(low, 0, 10, 10);
  InstAdd(low, 0, 20, 20);
  StoreCellSet(StoreCellGet(0, 0, 2) | INST_SELECTED, 0, 0, 2);
  char chars[16];
  StoreTextGet(2, chars, sizeof chars);
  Run("Mov", {{0, 0}, {3, 4}});
  EXPECT_EQ(Points(p), (std::vector<std::vector<int32_t>>{{0, 0, 0}, {103, 4, 1}, {100, 100, 0}}));
  EXPECT_EQ(StoreVertexGet(1, StorePathGet(2, 2)), 53);
  char after[16];
  StoreTextGet(2, after, sizeof after);
  EXPECT_STREQ(after, chars);
  EXPECT_EQ(StoreCellGet(0, 1, 1), 10);
  EXPECT_EQ(StoreCellGet(0, 1, 2), 23);
  EXPECT_EQ(StoreCellGet(0, 2, 2), 24);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Move, CpyCopiesTakeTheSelection) {
  BoxAdd(1, 0, 0, 10, 10);
  BoxAdd(1, 20, 0, 30, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  StoreBoxSet(1 | BOX_SEL_RIGHT, 0, 2);  // not whole: not copied
  InstAdd(low, 3, 5, 5);
  StoreCellSet(StoreCellGet(0, 0, 1) | INST_SELECTED, 0, 0, 1);
  Run("Cpy", {{0, 0}, {100, 0}});
  ASSERT_EQ(Store.boxCount, 3);
  EXPECT_EQ(Box(1)[0], 1);
  EXPECT_EQ(Box(3), (std::vector<int32_t>{1 | (int32_t)BOX_SEL_ALL, 100, 0, 110, 10}));
  ASSERT_EQ(Store.instCount[0], 2);
  EXPECT_EQ(StoreCellGet(0, 0, 1) & INST_SELECTED, 0);
  EXPECT_EQ(StoreCellGet(0, 0, 2), (int32_t)(low | (3 << ORIENT_SHIFT) | INST_SELECTED));
  EXPECT_EQ(StoreCellGet(0, 1, 2), 105);
  // Copy again: only the copies are selected, so one more of each.
  Run("Cpy", {{0, 0}, {100, 0}});
  EXPECT_EQ(Store.boxCount, 4);
  EXPECT_EQ(Store.instCount[0], 3);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Move, CpyOfPathVertices) {
  static int ctrl = 0;
  CmdShell.ctrlHeld = [] { return ctrl; };
  struct Case {
    int ctrl;
    std::vector<int> selected;
    std::vector<std::vector<int32_t>> copy;
  } cases[] = {
      {0, {1}, {{105, 0, 1}}},  // the middle vertex alone: a one-vertex path
      {1, {1}, {{5, 0, 0}, {105, 0, 1}, {105, 100, 0}}},
      {0, {0, 2}, {{5, 0, 1}, {105, 100, 1}}},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    int32_t p = Path({{0, 0}, {100, 0}, {100, 100}}, 3, 40);
    SelectVertices(p, c.selected);
    ctrl = c.ctrl;
    Run("Cpy", {{0, 0}, {5, 0}});
    ASSERT_EQ(Store.pathCount, 2);
    EXPECT_EQ(Points(2), c.copy) << c.ctrl;
    EXPECT_EQ(StorePathGet(1, 2), 40);
    EXPECT_EQ(StorePathGet(0, 1) & PATH_SELECTED, 0);
    EXPECT_EQ(StorePathGet(0, 2) & PATH_SELECTED, PATH_SELECTED);
    for (auto& v : Points(1)) EXPECT_EQ(v[2], 0);
  }
  ctrl = 0;
}

TEST_F(Move, CpyOfATextKeepsItsCharacters) {
  TextAdd(2, 300, 0, 50, 50, "ABCDEFGHIJ");
  StoreVertexSet(StoreVertexGet(0, 1) | VERTEX_SELECTED, 0, 1);
  PathSelSync(1);
  Run("Cpy", {{0, 0}, {7, 9}});
  ASSERT_EQ(Store.pathCount, 2);
  char text[32];
  StoreTextGet(2, text, sizeof text);
  EXPECT_STREQ(text, "ABCDEFGHIJ");
  EXPECT_EQ(StoreVertexGet(1, StorePathGet(2, 2)), 57);
  EXPECT_EQ(StoreInvariants(), "");
}

// A path copy needs room for all of its vertices: with room for fewer the
// path is not copied at all, and the pass stops there.
TEST_F(Move, CpyRefusesAPathWithoutRoomForAllItsVertices) {
  int32_t p = Path({{0, 0}, {10, 0}, {10, 10}, {0, 10}});
  SelectVertices(p, {0, 1, 2, 3});
  BoxAdd(1, 0, 0, 5, 5);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  const int32_t real = Store.vertexCount;
  // Pretend the vertex store is two short of full: the records past the
  // real ones are never read.
  Store.vertexCount = VERTEX_LIMIT - 2;
  StorePathSet(StorePathGet(2, p), 2, p);
  Run("Cpy", {{0, 0}, {100, 0}});
  EXPECT_EQ(Store.pathCount, 1);
  EXPECT_EQ(Store.vertexCount, VERTEX_LIMIT - 2);
  EXPECT_EQ(Store.boxCount, 1);  // the pass stopped at the path
  EXPECT_EQ(LastMessage(), "Vertex Limit Exceeded");
  EXPECT_EQ(Points(p).size(), 4u);
  Store.vertexCount = real;
}

TEST_F(Move, OutOfRangeRefusesTheWholeCommand) {
  const int32_t L = CMD_COORD_LIMIT;
  int32_t p = Path({{0, 0}, {100, 0}});
  SelectVertices(p, {0, 1});
  BoxAdd(1, 0, 0, 10, 10);
  BoxAdd(1, L - 100, 0, L - 50, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 2);
  InstAdd(low, 0, 5, 5);
  StoreCellSet(StoreCellGet(0, 0, 1) | INST_SELECTED, 0, 0, 1);
  const std::string before = Dump();
  struct Case {
    const char* cmd;
    std::vector<std::pair<int32_t, int32_t>> pts;
  } cases[] = {
      {"Mov", {{0, 0}, {100, 0}}},
      {"Cpy", {{0, 0}, {100, 0}}},
      {"Wmov", {{-10, -10}, {L, 20}, {0, 0}, {51, 0}}},
      {"Qmov", {{-10, -10}, {L, 20}, {0, 0}, {51, 0}}},
      {"Orig", {{-51, 0}}},
  };
  for (const Case& c : cases) {
    rec->messages.clear();
    Run(c.cmd, c.pts);
    EXPECT_EQ(Dump(), before) << c.cmd;
    EXPECT_NE(LastMessage().find("Out of Range"), std::string::npos) << c.cmd;
  }
  // Within range each of them works.
  Run("Mov", {{0, 0}, {50, 0}});
  EXPECT_EQ(StoreBoxGet(3, 2), L);
  // Instances: Cmov of one at the edge.
  StoreReset();
  MakeCurrent("TOP", 2);
  InstAdd(low, 0, L - 5, 0);
  Run("Cmov", {{L - 10, -10}, {L + 20, 30}, {0, 0}, {6, 0}});
  EXPECT_EQ(StoreCellGet(0, 1, 1), L - 5);
  Run("Cmov", {{L - 10, -10}, {L + 20, 30}, {0, 0}, {5, 0}});
  EXPECT_EQ(StoreCellGet(0, 1, 1), L);
}

TEST_F(Move, WmovAgainstQmovOnAHalfWindow) {
  struct Case {
    const char* cmd;
    int32_t x1, y1, x2, y2;
    std::vector<int32_t> box;
  } cases[] = {
      // The window covers the left half of the box: Qmov takes the left
      // edge, Wmov nothing (the left edge is not wholly inside).
      {"Qmov", -10, 10, 50, 90, {1, 5, 0, 100, 100}},
      {"Wmov", -10, 10, 50, 90, {1, 0, 0, 100, 100}},
      // With the whole left edge inside, Wmov moves it too.
      {"Wmov", -10, -10, 50, 110, {1, 5, 0, 100, 100}},
      {"Qmov", -10, -10, 50, 110, {1, 5, 0, 100, 100}},
      // The whole box inside moves it.
      {"Wmov", -10, -10, 110, 110, {1, 5, 0, 105, 100}},
      // Cmov moves no boxes.
      {"Cmov", -10, -10, 110, 110, {1, 0, 0, 100, 100}},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    BoxAdd(1, 0, 0, 100, 100);
    Run(c.cmd, {{c.x1, c.y1}, {c.x2, c.y2}, {0, 0}, {5, 0}});
    EXPECT_EQ(Box(1), c.box) << c.cmd << " " << c.x1;
  }
}

TEST_F(Move, WindowMovesOfVerticesAndInstances) {
  int32_t p = Path({{0, 0}, {100, 0}, {100, 100}});
  TextAdd(2, 300, 0, 10, 10, "T");
  InstAdd(low, 0, 100, 100);  // extent 100..110 x 100..120
  InstAdd(low, 0, 500, 500);
  const int32_t tc = StoreVertexGet(1, StoreVertexGet(3, StorePathGet(2, 2)));
  Run("Wmov", {{-5, -5}, {150, 150}, {0, 0}, {1, 2}});
  EXPECT_EQ(Points(p), (std::vector<std::vector<int32_t>>{{1, 2, 0}, {101, 2, 0}, {101, 102, 0}}));
  EXPECT_EQ(StoreVertexGet(1, StorePathGet(2, 2)), 11);
  EXPECT_EQ(StoreVertexGet(1, StoreVertexGet(3, StorePathGet(2, 2))), tc);
  EXPECT_EQ(StoreCellGet(0, 1, 1), 101);
  EXPECT_EQ(StoreCellGet(0, 1, 2), 500);
  Run("Qmov", {{-5, -5}, {150, 150}, {0, 0}, {1, 0}});
  EXPECT_EQ(StoreCellGet(0, 1, 1), 101);  // Qmov leaves instances
  // A Cmov double click picks the instance under the point.
  CmdStart(st, CmdIndexByName("Cmov"), 0);
  CmdPoint(st, 505, 510);
  CmdDoubleClick(st);
  CmdPoint(st, 0, 0);
  CmdPoint(st, 0, 7);
  CmdPump(st);
  EXPECT_EQ(StoreCellGet(0, 2, 2), 507);
  EXPECT_EQ(StoreCellGet(0, 2, 1), 102);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Move, DelRemovesWithOneCompaction) {
  struct Case {
    std::vector<int> selected;
    int paths;  // paths left
    std::vector<std::vector<int32_t>> left;
  } cases[] = {
      {{0, 1}, 1, {}},  // one vertex left: the path goes
      {{1}, 2, {{0, 0, 0}, {100, 100, 0}}},
      {{0}, 2, {{100, 0, 0}, {100, 100, 0}}},
      {{0, 1, 2}, 1, {}},  // all of it
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    int32_t other = Path({{5, 5}, {6, 6}});  // before: its numbers stay
    int32_t p = Path({{0, 0}, {100, 0}, {100, 100}});
    int32_t after = Path({{7, 7}, {8, 8}, {9, 9}});  // after: renumbered
    (void)other;
    (void)after;
    SelectVertices(p, c.selected);
    Run("Del");
    EXPECT_EQ(Store.pathCount, c.paths + 1) << c.selected.size();
    if (!c.left.empty()) {
      EXPECT_EQ(Points(2), c.left);
    }
    EXPECT_EQ(Points(Store.pathCount), (std::vector<std::vector<int32_t>>{{7, 7, 0}, {8, 8, 0}, {9, 9, 0}}));
    EXPECT_EQ(StoreInvariants(), "");
  }
}

TEST_F(Move, DelOfBoxesTextsAndInstances) {
  for (int i = 0; i < 6; ++i) BoxAdd(1, i * 10, 0, i * 10 + 5, 5);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 2);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 5);
  StoreBoxSet(1 | BOX_SEL_LEFT, 0, 6);  // only an edge: stays
  BoxAdd(7, 0, 0, 1, 1);
  StoreBoxSet(7 | BOX_SEL_ALL, 0, 7);
  // Layer 7 not active (hidden or closed): its selected box stays.
  LayerSetClear(&LyrView.active);
  for (int n = 1; n <= 256; ++n)
    if (n != 7) LyrSelSet(&LyrView.active, n);
  TextAdd(2, 300, 0, 10, 10, "ABCDEFGHIJKL");
  TextAdd(2, 300, 0, 20, 20, "KEEP");
  StoreVertexSet(StoreVertexGet(0, 1) | VERTEX_SELECTED, 0, 1);
  PathSelSync(1);
  for (int i = 0; i < 4; ++i) InstAdd(low, 0, i, i);
  StoreCellSet(StoreCellGet(0, 0, 1) | INST_SELECTED, 0, 0, 1);
  StoreCellSet(StoreCellGet(0, 0, 3) | INST_SELECTED, 0, 0, 3);
  Run("Del");
  ASSERT_EQ(Store.boxCount, 5);
  EXPECT_EQ(StoreBoxGet(1, 2), 20);
  EXPECT_EQ(StoreBoxGet(1, 4), 50);
  ASSERT_EQ(Store.pathCount, 1);
  char text[16];
  StoreTextGet(1, text, sizeof text);
  EXPECT_STREQ(text, "KEEP");
  ASSERT_EQ(Store.instCount[0], 2);
  EXPECT_EQ(StoreCellGet(0, 1, 1), 1);
  EXPECT_EQ(StoreCellGet(0, 1, 2), 3);
  EXPECT_EQ(StoreInvariants(), "");
}

TEST_F(Move, UndoAfterDelRestoresTheCell) {
  BoxAdd(1, 0, 0, 10, 10);
  int32_t p = Path({{0, 0}, {100, 0}, {100, 100}});
  SelectVertices(p, {1});
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  SelClearAll();
  ASSERT_EQ(CellSaveNow(), 1);
  const std::string saved = Dump();
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  SelectVertices(p, {1});
  Run("Del");
  EXPECT_EQ(Store.boxCount, 0);
  ASSERT_EQ(BackupRestore(st, 4), 1);
  SelClearAll();
  EXPECT_EQ(Dump(), saved);
}

TEST_F(Move, JoinCases) {
  struct Case {
    const char* what;
    std::vector<std::pair<int32_t, int32_t>> a, b;
    std::vector<int> selA, selB;
    std::vector<std::vector<int32_t>> joined;
  } cases[] = {
      {"last to first", {{0, 0}, {10, 0}}, {{20, 0}, {30, 0}}, {1}, {0}, {{0, 0, 0}, {10, 0, 0}, {20, 0, 0}, {30, 0, 0}}},
      {"two first vertices: A reversed",
       {{0, 0}, {10, 0}},
       {{20, 0}, {30, 0}},
       {0},
       {0},
       {{10, 0, 0}, {0, 0, 0}, {20, 0, 0}, {30, 0, 0}}},
      {"two last vertices: B reversed",
       {{0, 0}, {10, 0}},
       {{20, 0}, {30, 0}},
       {1},
       {1},
       {{0, 0, 0}, {10, 0, 0}, {30, 0, 0}, {20, 0, 0}}},
      {"coinciding ends keep one vertex",
       {{0, 0}, {10, 0}},
       {{10, 0}, {10, 10}},
       {1},
       {0},
       {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    int32_t a = Path(c.a, 3, 20), b = Path(c.b, 4, 30);
    SelectVertices(a, c.selA);
    SelectVertices(b, c.selB);
    Run("Join");
    ASSERT_EQ(Store.pathCount, 1) << c.what;
    EXPECT_EQ(Points(1), c.joined) << c.what;
    EXPECT_EQ(StorePathGet(1, 1), 20) << c.what;
    EXPECT_EQ(StorePathGet(0, 1) & 0x1FF, 3) << c.what;
    EXPECT_EQ(StoreInvariants(), "") << c.what;
  }
}

TEST_F(Move, JoinClosesOnePathAndKeepsTheVertexLimit) {
  int32_t p = Path({{0, 0}, {10, 0}, {10, 10}});
  SelectVertices(p, {0, 2});
  Run("Join");
  EXPECT_EQ(Points(p), (std::vector<std::vector<int32_t>>{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 0, 0}}));
  EXPECT_EQ(StoreInvariants(), "");
  // Already closed: nothing happens.
  SelectVertices(p, {0, 3});
  std::string before = Dump();
  Run("Join");
  EXPECT_EQ(Dump(), before);

  // 1024 vertices: closing would make 1025.
  StoreReset();
  MakeCurrent("TOP", 2);
  std::vector<std::pair<int32_t, int32_t>> big;
  for (int i = 0; i < PATH_VERTEX_MAX; ++i) big.push_back({i, i % 2});
  p = Path(big);
  SelectVertices(p, {0, PATH_VERTEX_MAX - 1});
  before = Dump();
  Run("Join");
  EXPECT_EQ(Dump(), before);
  EXPECT_EQ(LastMessage(), "Single Path Vertex Limit was Exceeded");
  // Two paths whose sum passes 1024 (1000 + 30), and one that just fits.
  for (int extra : {30, 24}) {
    StoreReset();
    MakeCurrent("TOP", 2);
    rec->messages.clear();
    big.resize(1000);
    int32_t a = Path(big);
    std::vector<std::pair<int32_t, int32_t>> small;
    for (int i = 0; i < extra; ++i) small.push_back({5000 + i, 0});
    int32_t b = Path(small);
    SelectVertices(a, {999});
    SelectVertices(b, {0});
    before = Dump();
    Run("Join");
    if (extra == 30) {
      EXPECT_EQ(Dump(), before);
      EXPECT_EQ(LastMessage(), "Single Path Vertex Limit was Exceeded");
    } else {
      EXPECT_EQ(Store.pathCount, 1);
      EXPECT_EQ(Points(1).size(), 1024u);
      EXPECT_EQ(StoreInvariants(), "");
    }
  }
}

TEST_F(Move, CutVstpPrev) {
  static int ctrl = 0;
  CmdShell.ctrlHeld = [] { return ctrl; };
  int32_t p = Path({{0, 0}, {1, 0}, {2, 0}, {3, 0}}, 5, 60);
  SelectVertices(p, {2});
  Run("Vstp");
  EXPECT_EQ(Points(p)[3][2], 1);
  Run("Vstp");  // at the last vertex nothing changes
  EXPECT_EQ(Points(p)[3][2], 1);
  ctrl = 1;
  Run("Vstp");
  EXPECT_EQ(Points(p)[2][2], 1);
  ctrl = 0;
  Run("Cut");
  ASSERT_EQ(Store.pathCount, 2);
  EXPECT_EQ(Points(1), (std::vector<std::vector<int32_t>>{{0, 0, 0}, {1, 0, 0}, {2, 0, 1}}));
  EXPECT_EQ(Points(2), (std::vector<std::vector<int32_t>>{{2, 0, 0}, {3, 0, 0}}));
  EXPECT_EQ(StorePathGet(1, 2), 60);
  EXPECT_EQ(StorePathGet(0, 2), 5);
  EXPECT_EQ(StoreInvariants(), "");
  SelectVertices(2, {0});
  Run("Cut");  // two selected paths: nothing
  EXPECT_EQ(Store.pathCount, 2);
  Run("Prev");
  EXPECT_EQ(Points(1), (std::vector<std::vector<int32_t>>{{2, 0, 1}, {1, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(Points(2), (std::vector<std::vector<int32_t>>{{3, 0, 0}, {2, 0, 1}}));
  EXPECT_EQ(StoreInvariants(), "");
  // A text is never cut.
  StoreReset();
  MakeCurrent("TOP", 2);
  TextAdd(2, 300, 0, 0, 0, "ABCDEFGHIJ");
  StoreVertexSet(StoreVertexGet(0, 1) | VERTEX_SELECTED, 0, 1);
  PathSelSync(1);
  Run("Cut");
  EXPECT_EQ(Store.pathCount, 1);
}

TEST_F(Move, OrigKeepsTextCharacters) {
  BoxAdd(1, 10, 10, 20, 20);
  StoreBoxSet(1 | OBJ_MARKED, 0, 1);
  TextAdd(2, 300, 0, 50, 50, "ABCDEFGHIJ");
  InstAdd(low, 0, 100, 100);
  const int32_t c1 = StoreVertexGet(1, 2), c2 = StoreVertexGet(2, 2);
  Run("Orig", {{10, 5}});
  EXPECT_EQ(Box(1), (std::vector<int32_t>{1, 0, 5, 10, 15}));
  EXPECT_EQ(StoreVertexGet(1, 1), 40);
  EXPECT_EQ(StoreVertexGet(2, 1), 45);
  EXPECT_EQ(StoreVertexGet(1, 2), c1);
  EXPECT_EQ(StoreVertexGet(2, 2), c2);
  char text[16];
  StoreTextGet(1, text, sizeof text);
  EXPECT_STREQ(text, "ABCDEFGHIJ");
  EXPECT_EQ(StoreCellGet(0, 1, 1), 90);
}

// Step walks the selection as lists of records; doing the same copies one
// command at a time, rescanning the store for each, gives the same store.
TEST_F(Move, StepEqualsRepeatedCopies) {
  for (int sequential : {0, 1}) {
    auto fill = [&] {
      StoreReset();
      MakeCurrent("TOP", 2);
      BoxAdd(1, 0, 0, 10, 10);
      StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
      int32_t p = Path({{0, 0}, {5, 5}, {9, 0}}, 3, -4);
      SelectVertices(p, {0, 1, 2});
      TextAdd(2, 300, 0, 1, 1, "ABCDEFGHIJ");
      StoreVertexSet(StoreVertexGet(0, StorePathGet(2, 2)) | VERTEX_SELECTED, 0, StorePathGet(2, 2));
      PathSelSync(2);
      InstAdd(low, 5, 3, 3);
      StoreCellSet(StoreCellGet(0, 0, 1) | INST_SELECTED, 0, 0, 1);
      BoxAdd(1, 50, 50, 60, 60);  // unselected: stays alone
    };
    const int nx = 4, ny = 3, dx = 100, dy = 70;
    fill();
    StepAnswers a;
    a.nx = nx;
    a.ny = ny;
    a.dx = dx;
    a.dy = dy;
    a.sequential = sequential;
    ASSERT_EQ(StepCore(st, a), 1);
    const std::string stepped = Dump();
    fill();
    for (int row = 1; row <= ny; ++row) {
      for (int col = 2; col <= nx; ++col) CopyCore(st, (!sequential && row % 2 == 0) ? -dx : dx, 0, 0);
      if (row == ny) break;
      CopyCore(st, 0, dy, 0);
      if (sequential) MoveCore(st, -(nx - 1) * dx, 0);
    }
    EXPECT_EQ(Dump(), stepped) << sequential;
    EXPECT_EQ(Store.boxCount, nx * ny + 1);
    EXPECT_EQ(Store.instCount[0], nx * ny);
    EXPECT_EQ(StoreInvariants(), "");
  }
}

// A Step big enough to have its room made at once (boxes, paths, vertices
// and instances, each more than a block's worth) gives the same store as the
// same Step whose pages all exist beforehand, made one by one.
TEST_F(Move, StepWithItsRoomMadeAtOnceEqualsPageByPage) {
  const int nx = 13, ny = 13, copies = nx * ny - 1;
  auto fill = [&] {
    StoreReset();
    MakeCurrent("TOP", 2);
    for (int i = 0; i < 160; ++i) {
      BoxAdd(1 + i % 5, i * 10, 0, i * 10 + 5, 5);
      StoreBoxSet(StoreBoxGet(0, i + 1) | BOX_SEL_ALL, 0, i + 1);
    }
    BoxAdd(1, 0, -50, 5, -45);  // unselected
    for (int i = 0; i < 250; ++i) SelectVertices(Path({{i, 10}, {i, 20}, {i + 5, 25}}, 3, 2), {0, 2});
    for (int i = 0; i < 10; ++i) {
      TextAdd(2, 300, i % 8, i * 40, 40, "ABCDEFGHIJ");
      const int32_t t = Store.pathCount;
      StoreVertexSet(StoreVertexGet(0, StorePathGet(2, t)) | VERTEX_SELECTED, 0, StorePathGet(2, t));
      PathSelSync(t);
    }
    for (int i = 0; i < 260; ++i) {
      InstAdd(low, i % 8, i * 20, 60);
      StoreCellSet(StoreCellGet(0, 0, i + 1) | INST_SELECTED, 0, 0, i + 1);
    }
  };
  StepAnswers a;
  a.nx = nx;
  a.ny = ny;
  a.dx = 3000;
  a.dy = 200;
  fill();
  ASSERT_EQ(StepCore(st, a), 1);
  EXPECT_EQ(Store.blockCount, 4);
  EXPECT_EQ(Store.boxCount, 161 + 160 * copies);
  EXPECT_EQ(Store.pathCount, 260 * (copies + 1));
  EXPECT_EQ(Store.instCount[0], 260 * (copies + 1));
  EXPECT_EQ(StoreInvariants(), "");
  const std::string reserved = Dump();
  fill();
  // Every page the copies could take, made first (more than they take).
  for (int32_t i = 1; i <= Store.boxCount * (copies + 1) + 1; i += BOX_PER_PAGE) StoreBoxRec(i);
  for (int32_t i = 1; i <= Store.pathCount * (copies + 1) + 1; i += PATH_PER_PAGE) StorePathRec(i);
  for (int32_t i = 1; i <= Store.vertexCount * (copies + 1) + 1; i += VERTEX_PER_PAGE) StoreVertexRec(i);
  for (int32_t i = 1; i <= Store.instCount[0] * (copies + 1) + 1; i += INST_PER_PAGE) StoreCellRec(0, i);
  ASSERT_EQ(StepCore(st, a), 1);
  EXPECT_EQ(Store.blockCount, 0);
  EXPECT_EQ(Dump(), reserved);
}

TEST_F(Move, StepPlacesTheArray) {
  struct Case {
    int sequential;
    std::vector<int32_t> lefts, bottoms;  // of the copies in the order made
  } cases[] = {
      {0, {0, 100, 200, 200, 100, 0}, {0, 0, 0, 50, 50, 50}},
      {1, {0, 100, 200, 0, 100, 200}, {0, 0, 0, 50, 50, 50}},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 2);
    BoxAdd(1, 0, 0, 10, 10);
    StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
    char line[64];
    snprintf(line, sizeof line, "step 3 2 0.1 0.05%s", c.sequential ? " 1" : "");
    ASSERT_EQ(Typed(line), 1);
    ASSERT_EQ(Store.boxCount, 6);
    std::vector<int32_t> l, b;
    for (int i = 1; i <= 6; ++i) {
      l.push_back(StoreBoxGet(1, i));
      b.push_back(StoreBoxGet(2, i));
    }
    EXPECT_EQ(l, c.lefts) << c.sequential;
    EXPECT_EQ(b, c.bottoms) << c.sequential;
    EXPECT_EQ(StoreBoxGet(0, 6) & BOX_SEL_ALL, (int32_t)BOX_SEL_ALL);
  }
}

TEST_F(Move, StepRefusals) {
  const int32_t L = CMD_COORD_LIMIT;
  BoxAdd(1, L - 1000, 0, L - 900, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  const std::string before = Dump();
  struct Case {
    const char* line;
    const char* message;
  } cases[] = {
      {"step 3 2 abc 0.05", "Step needs"},
      {"step 3 2 0.1", "Step needs"},
      {"step 0 2 0.1 0.1", "Step needs"},
      {"step 1.5 2 0.1 0.1", "Step needs"},
      {"step 3 2 0.1 0.1 7", "Step needs"},
      {"step 3 1 0.5 0", "Out of Range"},  // the pitch is fine, the selection lies near the edge
  };
  for (const Case& c : cases) {
    rec->messages.clear();
    Typed(c.line);
    EXPECT_EQ(Dump(), before) << c.line;
    EXPECT_NE(LastMessage().find(c.message), std::string::npos) << c.line << ": " << LastMessage();
  }
  // A script stops at the refused line.
  EXPECT_EQ(Script("step 3 2 abc 0.05\nstep 2 1 -1 0\n"), 0);
  EXPECT_EQ(Dump(), before);
  // Counts beyond 1024 would be clamped in the dialog form; the pitch is
  // cut below 2^29 / N.
  StoreReset();
  MakeCurrent("TOP", 2);
  BoxAdd(1, 0, 0, 1, 1);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  StepAnswers a;
  a.nx = 2;
  a.ny = 1;
  a.dx = L;
  ASSERT_EQ(StepCore(st, a), 1);
  EXPECT_EQ(StoreBoxGet(1, 2), L / 2 - 1);
}

TEST_F(Move, StoreRoutines) {
  // VertexCompact: records 2..3 go; later indices fall by 2.
  int32_t a = Path({{0, 0}, {1, 1}});
  int32_t b = Path({{2, 2}, {3, 3}});
  int32_t c = Path({{4, 4}, {5, 5}});
  (void)a;
  StorePathSet(0, 2, b);
  VertexCompact(2, 2);
  EXPECT_EQ(Store.vertexCount, 4);
  EXPECT_EQ(StorePathGet(2, c), 3);
  EXPECT_EQ(Points(c), (std::vector<std::vector<int32_t>>{{4, 4, 0}, {5, 5, 0}}));
  EXPECT_EQ(Points(1), (std::vector<std::vector<int32_t>>{{0, 0, 0}, {1, 1, 0}}));
  // VertexSweep removes the empty path and renumbers the owners.
  VertexSweep(0);
  EXPECT_EQ(Store.pathCount, 2);
  EXPECT_EQ(StoreInvariants(), "");
  // Record removal shifts the later ones down.
  for (int i = 0; i < 3; ++i) BoxAdd(1, i, 0, i + 1, 1);
  BoxRemove(2);
  EXPECT_EQ(Store.boxCount, 2);
  EXPECT_EQ(StoreBoxGet(1, 2), 2);
  for (int i = 0; i < 3; ++i) InstAdd(low, 0, i, 0);
  InstRemove(1);
  EXPECT_EQ(Store.instCount[0], 2);
  EXPECT_EQ(StoreCellGet(0, 1, 1), 1);
  PathRemove(1);
  EXPECT_EQ(Store.pathCount, 1);
  VertexSweep(0);  // owners follow the shifted path records
  EXPECT_EQ(StoreInvariants(), "");
}

// Ctrl+Mov opens INCMOV once; the line it forms runs as a Mov even while
// Ctrl is still held.
TEST_F(Move, CtrlMovOpensIncmovOnce) {
  static int asked = 0;
  asked = 0;
  CmdShell.ctrlHeld = [] { return 1; };
  CmdShell.pointDialog = [](int axis, double* x, double* y) {
    ++asked;
    EXPECT_EQ(axis, 3);
    *x = 2000;  // database units: 2 at scale 1000
    *y = -1000;
    return 1;
  };
  BoxAdd(1, 0, 0, 10, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  CmdStart(st, CmdIndexByName("Mov"), 1);
  CmdPump(st);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Box(1), (std::vector<int32_t>{1 | (int32_t)BOX_SEL_ALL, 2000, -1000, 2010, -990}));
}

// Typed points for a move are displacements: Y or X first sends (0, 0).
TEST_F(Move, TypedPointIsADisplacement) {
  CmdShell.pointDialog = [](int, double* x, double* y) {
    *x = 0.003;
    *y = 0.004;
    return 1;
  };
  BoxAdd(1, 0, 0, 10, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  CmdStart(st, CmdIndexByName("Mov"), 0);
  CmdTypedPoint(st, 0);
  CmdPump(st);
  EXPECT_EQ(StoreBoxGet(1, 1), 3);
  EXPECT_EQ(StoreBoxGet(2, 1), 4);
  // Mov waits again: the next typed point moves by the same again.
  CmdTypedPoint(st, 0);
  CmdPump(st);
  EXPECT_EQ(StoreBoxGet(1, 1), 6);
  // Another command started drops the displacement rule.
  CmdStart(st, CmdIndexByName("Get"), 0);
  EXPECT_EQ(st.wantsZeroPoint, 0);
}

TEST_F(Move, GuardsRefuseHiddenEdits) {
  BoxAdd(1, 0, 0, 10, 10);
  StoreBoxSet(1 | BOX_SEL_ALL, 0, 1);
  View.togs |= 0x200;  // texts hidden
  Run("Del");
  EXPECT_EQ(Store.boxCount, 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because Text may not be Visible");
  Run("Mov", {{0, 0}, {5, 5}});
  EXPECT_EQ(StoreBoxGet(1, 1), 0);
  // A script line passes the guards.
  ASSERT_EQ(Typed("del"), 1);
  EXPECT_EQ(Store.boxCount, 0);
}

}  // namespace
