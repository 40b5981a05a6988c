#include "cmdfixture.h"

namespace {

struct Select : CmdFixture {
  // Runs a window command over (x1, y1)-(x2, y2) with the mouse.
  void Window(const char* name, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    CmdStart(st, CmdIndexByName(name), 0);
    CmdPoint(st, x1, y1);
    CmdPoint(st, x2, y2);
    CmdPump(st);
  }
  std::vector<int> SelectedVertices(int32_t p) {
    std::vector<int> out;
    int k = 0;
    for (int32_t v = StorePathGet(2, p); v; v = StoreVertexGet(3, v), ++k)
      if (StoreVertexGet(0, v) > 0 && (StoreVertexGet(0, v) & VERTEX_SELECTED)) out.push_back(k);
    return out;
  }
  int32_t ThreeVertexPath() {
    int32_t p = PathStart(3, 0, 0, 0);
    VertexInsert(Store.vertexCount, 100, 0);
    VertexInsert(Store.vertexCount, 100, 100);
    SelClearAll();
    return p;
  }
};

TEST_F(Select, BoxEdgesByWindow) {
  MakeCurrent("TOP", 1);
  struct Case {
    const char* cmd;
    int32_t x1, y1, x2, y2;
    int32_t bits;
  } cases[] = {
      {"Get", 10, 10, 20, 20, 0},           // inside the box: nothing
      {"Fget", 10, 10, 20, 20, 0},
      {"Get", 90, 10, 110, 90, 0x2000},     // the right edge only
      {"Fget", 90, 10, 110, 90, 0xF000},
      {"Get", -10, 10, 10, 90, 0x8000},     // left edge
      {"Get", 10, 90, 20, 110, 0x1000},     // top edge
      {"Get", 10, -10, 20, 10, 0x4000},     // bottom
      {"Get", -10, -10, 110, 110, 0xF000},  // all four
      {"Get", 90, 110, 110, 120, 0},        // right edge in x, but y misses
      {"Tget", -10, -10, 110, 110, 0},      // texts only
      {"Pbeg", -10, -10, 110, 110, 0},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 1);
    BoxAdd(1, 0, 0, 100, 100);
    Window(c.cmd, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(StoreBoxGet(0, 1) & 0xF000, c.bits) << c.cmd << " " << c.x1 << "," << c.y1;
  }
}

TEST_F(Select, PutAndShiftUnselect) {
  MakeCurrent("TOP", 1);
  static int shift = 0;
  CmdShell.shiftHeld = [] { return shift; };
  BoxAdd(1, 0, 0, 100, 100);
  Window("Get", -10, -10, 110, 110);
  Window("Put", 90, 10, 110, 90);  // only the right edge lies inside
  EXPECT_EQ(StoreBoxGet(0, 1) & 0xF000, 0xD000);
  Window("Fput", 90, 10, 110, 90);
  EXPECT_EQ(StoreBoxGet(0, 1) & 0xF000, 0);
  shift = 1;
  Window("Put", -10, -10, 110, 110);  // Put with Shift selects
  EXPECT_EQ(StoreBoxGet(0, 1) & 0xF000, 0xF000);
  Window("Get", 90, 10, 110, 90);  // Get with Shift unselects
  EXPECT_EQ(StoreBoxGet(0, 1) & 0xF000, 0xD000);
  shift = 0;
}

TEST_F(Select, PathVertices) {
  MakeCurrent("TOP", 1);
  struct Case {
    const char* cmd;
    int32_t x1, y1, x2, y2;
    std::vector<int> selected;
  } cases[] = {
      {"Get", 90, -10, 110, 10, {1}},
      {"Fget", 90, -10, 110, 10, {0, 1, 2}},
      {"Pend", -10, -10, 110, 110, {2}},
      {"Pbeg", -10, -10, 110, 110, {0}},
      {"Tget", -10, -10, 110, 110, {}},
      {"Get", 200, 200, 300, 300, {}},
  };
  for (const Case& c : cases) {
    StoreReset();
    MakeCurrent("TOP", 1);
    int32_t p = ThreeVertexPath();
    Window(c.cmd, c.x1, c.y1, c.x2, c.y2);
    EXPECT_EQ(SelectedVertices(p), c.selected) << c.cmd;
    EXPECT_EQ((StorePathGet(0, p) & PATH_SELECTED) != 0, !c.selected.empty()) << c.cmd;
    EXPECT_EQ(StoreInvariants(), "");
  }
}

TEST_F(Select, TextsByReferencePoint) {
  MakeCurrent("TOP", 1);
  TextAdd(2, 300, 0, 50, 50, "VDD");
  int32_t p = ThreeVertexPath();
  Window("Tget", -10, -10, 110, 110);
  EXPECT_NE(StorePathGet(0, 1) & PATH_SELECTED, 0);
  EXPECT_EQ(SelectedVertices(p), std::vector<int>{});
  Window("Tput", -10, -10, 110, 110);
  EXPECT_EQ(StorePathGet(0, 1) & PATH_SELECTED, 0);
  Window("Pend", -10, -10, 110, 110);  // texts are ignored by Pbeg and Pend
  EXPECT_EQ(StorePathGet(0, 1) & PATH_SELECTED, 0);
  EXPECT_EQ(StoreInvariants(), "");
}

struct Inst : Select {
  int low = 0;
  void SetUp() override {
    Select::SetUp();
    low = CellFindAdd("LOW");
    CellTable.cells[low].rank = 1;
    CellTable.cells[low].l = 0;
    CellTable.cells[low].b = 0;
    CellTable.cells[low].r = 10;
    CellTable.cells[low].t = 20;
    MakeCurrent("TOP", 2);
    InstAdd(low, 0, 100, 100);  // extent 100..110 x 100..120
    InstAdd(low, 1, 500, 500);  // turned: -20..0 x 0..10 -> 480..500 x 500..510
  }
  int Sel(int i) { return (StoreCellGet(0, 0, i) & INST_SELECTED) != 0; }
};

TEST_F(Inst, WindowsDoubleClickAndNocell) {
  static int asked = 0;
  asked = 0;
  CmdShell.nocellDialog = [](char* out, size_t size) {
    ++asked;
    snprintf(out, size, "LOW");
    return 1;
  };
  Window("Cget", 90, 90, 115, 125);
  EXPECT_EQ(Sel(1), 1);
  EXPECT_EQ(Sel(2), 0);
  Window("Cput", 0, 0, 1000, 1000);
  EXPECT_EQ(Sel(1), 0);
  Window("Cget", 479, 499, 501, 511);
  EXPECT_EQ(Sel(2), 1);
  EXPECT_EQ(asked, 0);
  Window("Cget", 95, 95, 105, 105);  // partly over: no instance, NOCELL: all LOW
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Sel(1), 1);
  SelClearAll();
  Window("Wget", 95, 95, 105, 105);  // Wget never asks
  EXPECT_EQ(asked, 1);
  // A double click as the second point picks the instance under the point.
  CmdStart(st, CmdIndexByName("Cget"), 0);
  CmdPoint(st, 105, 110);
  CmdDoubleClick(st);
  EXPECT_EQ(Sel(1), 1);
  EXPECT_EQ(Sel(2), 0);
}

TEST_F(Inst, OutlineAndAputAndRankOne) {
  Window("Outl", 0, 0, 1000, 1000);
  EXPECT_NE(StoreCellGet(0, 0, 1) & INST_OUTLINE, 0);
  EXPECT_NE(StoreCellGet(0, 0, 2) & INST_OUTLINE, 0);
  Window("Full", 0, 0, 200, 200);
  EXPECT_EQ(StoreCellGet(0, 0, 1) & INST_OUTLINE, 0);
  EXPECT_NE(StoreCellGet(0, 0, 2) & INST_OUTLINE, 0);
  Window("Aget", 0, 0, 1000, 1000);
  EXPECT_EQ(Sel(1) + Sel(2), 2);
  CmdStart(st, CmdIndexByName("Aput"), 0);
  EXPECT_EQ(Sel(1) + Sel(2), 0);
  Cell.rank = 1;  // in a cell of rank 1 the instance pass does nothing
  Window("Cget", 0, 0, 1000, 1000);
  EXPECT_EQ(Sel(1) + Sel(2), 0);
}

}  // namespace
