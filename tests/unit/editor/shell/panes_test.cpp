// Pane texts, title forms, progress and the cell extent.
#include "panes.h"
#include "render_fixture.h"

namespace {

TEST_F(RenderFixture, CountsPaneShowsTotalsOrTheSelection) {
  char t[200];
  SelCounts c;
  SelCountsCalc(&c);
  PaneCountsText(t, sizeof t, c);
  EXPECT_STREQ(t, " 0 Cells  0 Boxes  0 Paths  0 Text  0 Vertex");
  AddBox(1, 0, 0, 10, 10);
  AddBox(1, 0, 0, 10, 10, BOX_SEL_LEFT);
  AddPath(1, 0, {{0, 0}, {5, 5}});
  int32_t txt = AddText(1, 30, 0, 0, 0, "AB");
  AddInst(0, 1, 0, 0, 0);
  SelCountsCalc(&c);
  PaneCountsText(t, sizeof t, c);
  EXPECT_STREQ(t, " Active: 0 Cells  1 Boxes  0 Paths  0 Text  0 Vertex");
  StoreBoxSet(1, 0, 2);
  StorePathSet((int32_t)((uint32_t)StorePathGet(0, txt) | PATH_SELECTED), 0, txt);
  SelCountsCalc(&c);
  PaneCountsText(t, sizeof t, c);
  // A selected text counts as a text, not as a path.
  EXPECT_STREQ(t, " Active: 0 Cells  0 Boxes  0 Paths  1 Text  0 Vertex");
  StorePathSet((int32_t)((uint32_t)StorePathGet(0, txt) & ~PATH_SELECTED), 0, txt);
  SelCountsCalc(&c);
  PaneCountsText(t, sizeof t, c);
  EXPECT_STREQ(t, " 1 Cells  2 Boxes  1 Paths  1 Text  4 Vertex");
}

TEST(Panes, DepthPaneForms) {
  char t[200];
  struct Case {
    int rankWindow, vplus;
    const char* want;
  } cases[] = {
      {0, 0, " Depth(0-24)  View(1-10 )  Open(1-256)"},
      {1, 0, " Depth(0-24)  Rank(2)  View(1-10 )  Open(1-256)"},
      {0, 1, " Depth(0-24)  View+Open(1-5 )"},
      {1, 1, " Depth(0-24)  Rank(2)  View+Open(1-5 )"},
  };
  for (const Case& c : cases) {
    PaneDepthIn in{0, 24, 2, c.rankWindow, c.vplus, "1-10 ", "1-256", "1-5 "};
    PaneDepthText(t, sizeof t, in);
    EXPECT_STREQ(t, c.want);
  }
}

TEST(Panes, GridPaneForms) {
  char t[200];
  PaneGridIn in{};
  in.wgrid = 500;
  in.dgrid = 5000;
  in.scale = 1000;
  in.unit = "um";
  in.objKind = 1;
  in.layerName = "NONE";
  in.layer = 77;
  PaneGridText(t, sizeof t, in);
  EXPECT_STREQ(t, " Wgrd=0.5um  Obj=BOX  Layr= NONE (77)");
  in.gridShown = 1;
  in.objKind = 2;
  in.layerName = "POLY";
  in.layer = 5;
  in.pwidth = 1500;
  PaneGridText(t, sizeof t, in);
  EXPECT_STREQ(t, " Wgrd=0.5um  Dgrd=5um  Obj=PATH  Layr= POLY (5)  Wdth=1.5um");
  in.pwidth = 0;
  PaneGridText(t, sizeof t, in);
  EXPECT_STREQ(t, " Wgrd=0.5um  Dgrd=5um  Obj=POLY  Layr= POLY (5)  Wdth=0um");
  in.textMode = 1;
  in.tlayerName = "TEXT";
  in.tlayer = 10;
  in.twidth = 800;
  PaneGridText(t, sizeof t, in);
  EXPECT_STREQ(t, " Wgrd=0.5um  Dgrd=5um  Obj=TEXT  Layr= TEXT (10)  Size=0.8um");
  char small[12];
  PaneGridText(small, sizeof small, in);
  EXPECT_EQ(strlen(small), 11u);
}

TEST(Panes, TitleForms) {
  char t[300];
  TitleText(t, sizeof t, 0, "TOP", 3, "C:\\DRAWINGS\\DEMO", 1, "");
  EXPECT_STREQ(t, "Quil 7.0.91 beta2    Cell: TOP    Rank: 3    Folder: C:\\Drawings\\Demo  (Not Saved)");
  TitleText(t, sizeof t, 0, "INV", 2, "C:\\demo", 0, "TOP");
  EXPECT_STREQ(t, "Quil 7.0.91  beta2     E.I.P.   Cell: TOP.INV    Rank: 2    Folder: C:\\Demo  ");
  TitleText(t, sizeof t, 0, "", 0, "C:\\demo", 0, "");
  EXPECT_STREQ(t, "Quil 7.0.91 beta2    Cell: ?   Rank: 0    Folder: C:\\Demo");
  TitleText(t, sizeof t, 2, "INV", 0, "", 0, "");
  EXPECT_STREQ(t, "Quil 7.0.91 beta2     Loading INV ... Please Wait");
  TitleText(t, sizeof t, 11, "INV", 0, "", 0, "");
  EXPECT_STREQ(t, "Quil 7.0.91 beta2     Organizing ... Please Wait and DO NOT INTERRUPT");
}

TEST(Panes, ProgressText) {
  char t[200] = "old";
  EXPECT_EQ(ProgressText(t, sizeof t, "Drawing", 5, 0), 0);
  EXPECT_STREQ(t, "old");
  ProgressText(t, sizeof t, "Drawing", 7, 5);
  EXPECT_STREQ(t, " Drawing  100.0%    Press ESC to Abort  Press Space for Quick Draw");
  ProgressText(t, sizeof t, "Drawing", 1, 3);
  EXPECT_STREQ(t, " Drawing   33.3%    Press ESC to Abort  Press Space for Quick Draw");
}

TEST_F(RenderFixture, CellExtentOfAnEmptyCellAndOfALineBox) {
  int32_t e[4];
  CellExtentCalc(e);
  EXPECT_EQ(e[0], -1);
  EXPECT_EQ(e[1], -1);
  EXPECT_EQ(e[2], 1);
  EXPECT_EQ(e[3], 1);
  AddBox(1, 5, 5, 5, 9);
  CellExtentCalc(e);
  EXPECT_EQ(e[0], 5);
  EXPECT_EQ(e[1], 5);
  EXPECT_EQ(e[2], 7);
  EXPECT_EQ(e[3], 9);
}

}  // namespace

namespace {

TEST_F(RenderFixture, RankLayerSetsComeFromTheSetupMasks) {
  MainSetup.layerCount = 3;
  for (int i = 0; i < 3; ++i) MainSetup.layers[i].number = 7 + i;
  MainSetup.vmap[2][0] = 0x5;  // the first and third rows
  MainSetup.omap[2][0] = 0x2;  // the second row
  LyrView.viewOverride = 0;
  RankLayerSetsApply(2);
  EXPECT_TRUE(LyrViewTest(7));
  EXPECT_FALSE(LyrViewTest(8));
  EXPECT_TRUE(LyrViewTest(9));
  EXPECT_TRUE(LyrSelTest(&LyrView.open, 8));
  EXPECT_FALSE(LyrSelTest(&LyrView.open, 7));
  EXPECT_FALSE(LyrActiveLayerTest(8));
}

}  // namespace

namespace {

TEST_F(RenderFixture, LayerNameOrNone) {
  MainSetup.layerCount = 2;
  snprintf(MainSetup.layers[0].name, sizeof MainSetup.layers[0].name, "POLY");
  MainSetup.layers[0].number = 5;
  snprintf(MainSetup.layers[1].name, sizeof MainSetup.layers[1].name, "OTHER");
  MainSetup.layers[1].number = 5;
  EXPECT_STREQ(LyrName(5), "POLY");
  EXPECT_STREQ(LyrName(6), "NONE");
  EXPECT_STREQ(LyrName(0), "NONE");
}

}  // namespace

namespace {

void Collect(void* ctx, const char* line) { static_cast<std::vector<std::string>*>(ctx)->push_back(line); }

TEST_F(RenderFixture, InformationTexts) {
  int c1 = TableCell("LEAF", 1, -500, 0, 1500, 2000, 0, 0);
  int top = TableCell("TOPC", 2, 0, 0, 1, 1, 0, 0);
  Store.currentCell = top;
  char t[200];
  CellInfoLabel(t, sizeof t, c1, 0);
  EXPECT_STREQ(t, "LEAF (1)");
  CellInfoLabel(t, sizeof t, c1, 12);
  EXPECT_STREQ(t, "LEAF (1) #12");
  AddBox(3, 1000, -2500, 3000, 4000, BOX_SEL_BOTTOM);
  AddPath(3, 0, {{0, 0}, {1, 1}});
  AddText(3, 30, 0, 0, 0, "AB");
  for (int i = 0; i < 12345; ++i) AddInst(0, c1, 0, i, 0);
  ObjectsText(t, sizeof t);
  EXPECT_STREQ(t, "Objects:  12345 Cells  1 Boxes   2 Paths (4 Vtx)");
  Store.currentCell = c1;
  OutlineText(t, sizeof t);
  EXPECT_STREQ(t, "Outline:  L=-0.5  B=0  R=1.5  T=2");
  LevelPush(0, 7);
  LevelPosText(t, sizeof t, 0);
  EXPECT_STREQ(t, " X=0.006  Y=0  O=0");
  std::vector<std::string> lines;
  RankCellsList(1, Collect, &lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Rank 1 Cells:");
  EXPECT_EQ(lines[1], " 12345  LEAF");  // width 4 from 10,000 on
  lines.clear();
  BoxFieldLine(2, 1, "Bottom", Collect, &lines);
  BoxFieldLine(1, 1, "Left", Collect, &lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "* Bottom=-2.5");
  EXPECT_EQ(lines[1], "  Left=1");
  lines.clear();
  LayerCountsList(Collect, &lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Object Counts:" + std::string(17, ' ') + "( Boxes" + std::string(15, ' ') + "Paths" +
                          std::string(16, ' ') + "Text )");
  EXPECT_EQ(lines[1], "       Layer     3" + std::string(23, ' ') + "1" + std::string(23, ' ') + "1" +
                          std::string(23, ' ') + "1");
}

}  // namespace
