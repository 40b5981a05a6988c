#include "cmdfixture.h"

#include "cmdshow.h"

namespace {

struct ShowList : CmdFixture {
  std::vector<std::string> lines;
  static void Add(void* ctx, const char* line) { static_cast<ShowList*>(ctx)->lines.push_back(line); }
  void SetUp() override {
    CmdFixture::SetUp();
    MainSetup.layers[0] = LayerEntry{"METAL1", 7, LAYER_VIEW_BIT};
    MainSetup.layerCount = 1;
  }
};

TEST_F(ShowList, CellInfoListsWhatACellIsMadeOf) {
  MakeCurrent("LOW", 1);
  BoxAdd(7, 0, 0, 1000, 500);
  CellTable.cells[Cell.number].r = 1000;
  CellTable.cells[Cell.number].t = 500;
  ASSERT_EQ(TlcWriteCell("LOW", "LOW"), 0);
  StoreReset();
  int top = MakeCurrent("TOP", 2);
  int low = CellFind("LOW");
  InstAdd(low, 0, 0, 0);
  InstAdd(low, 3, 5000, 0);
  BoxAdd(7, 0, 0, 10, 10);
  BoxAdd(7, 0, 0, 20, 20);
  TextAdd(2, 300, 0, 0, 0, "T");
  CellTable.cells[top].l = -500;
  CellTable.cells[top].r = 5500;
  CellTable.cells[top].t = 1000;
  ASSERT_EQ(TlcWriteCell("TOP", "TOP"), 0);
  StoreReset();

  ASSERT_EQ(CellInfoList("top", Add, this), 1);
  const std::vector<std::string> want = {
      "TOP (2)",
      "Objects:  2 Cells  2 Boxes   1 Paths (2 Vtx)",
      "Outline:  L=-0.5  B=0  R=5.5  T=1",
      "Rank 1 Cells:",
      "        2  LOW",
      "Object Counts:                 ( Boxes               Paths                Text )",
      "       Layer     2                       0                       0                       1",
      "       Layer     7                       2                       0                       0",
  };
  EXPECT_EQ(lines, want);
  EXPECT_TRUE(rec->messages.empty());

  lines.clear();
  EXPECT_EQ(CellInfoList("NONE", Add, this), 0);
  EXPECT_EQ(LastMessage(), "Cell does Not Exist");
  CellFindAdd("GONE");  // in the table, without a file
  EXPECT_EQ(CellInfoList("GONE", Add, this), 0);
  EXPECT_EQ(LastMessage(), "Loading GONE TLC File Failed");
  EXPECT_TRUE(lines.empty());
}

TEST_F(ShowList, TheSelectionComesFirst) {
  MakeCurrent("TOP", 1);
  BoxAdd(7, -1500, 0, 2000, 250);
  StoreBoxRec(1)[0] |= BOX_SEL_LEFT | BOX_SEL_TOP;
  ASSERT_EQ(ShowListFill("TOP", Add, this), 1);
  EXPECT_EQ(lines, (std::vector<std::string>{" Box #1  Layr= METAL1 (7)", "* Left=-1.5", "  Bottom=0",
                                             "  Right=2", "* Top=0.25"}));
  lines.clear();
  StoreBoxRec(1)[0] &= ~(int32_t)BOX_SEL_ALL;
  int32_t p = PathStart(7, -250, 0, 0);
  VertexInsert(Store.vertexCount, 1000, 2000);
  (void)p;
  TextAdd(2, 300, 0, 5, 5, "HELLO WORLD");
  ASSERT_EQ(ShowListFill("TOP", Add, this), 1);
  EXPECT_EQ(lines, (std::vector<std::string>{" Path/Text #1  Layr= METAL1 (7)  Wdth/Size=-0.25", "  1     X=0 Y=0",
                                             "* 2     X=1 Y=2"}));
  lines.clear();
  SelClearAll();
  StoreVertexRec(StorePathGet(2, 2))[0] |= VERTEX_SELECTED;
  PathSelSync(2);
  ASSERT_EQ(ShowListFill("TOP", Add, this), 1);
  EXPECT_EQ(lines, (std::vector<std::string>{" Path/Text #2  Layr= NONE (2)  Wdth/Size=0.3", "* 1     X=0.005 Y=0.005",
                                             "    2  HELLO WO", "    3  RLD     "}));
}

}  // namespace
