#include "cmdfixture.h"

#include "cmdview.h"
#include "orient.h"
#include "redraw.h"

#include <random>

namespace {

// Stand-ins for the dialogs and the window: what they were asked, and the
// answers they give.
struct Stand {
  std::vector<int> redraws;        // kinds; 2 as 1000 + the layer drawn
  std::vector<int> grids;          // display grids drawn
  std::vector<int> swins;          // restore flags asked
  int slot = 0;                    // SWIN's answer
  std::vector<std::string> gridTexts;  // WDGRD's answers, in turn (none: Cancel)
  int gridAsked = 0;
  int depthAnswer = 0;
  const char* depth[3] = {"0", "24", "0"};
  int depthRankWindow = 0;
  int layerAnswer = 0;             // LYRTABLE pick: 0 cancel
  int layerAsked = -1;             // the initial layer offered
  int ctrl = 0;
  std::vector<int> tables;         // kind + 100 x rank
  void (*tableEdit)(int kind) = nullptr;
};
Stand* S = nullptr;

struct ViewCmd : CmdFixture {
  Stand stand;
  void SetUp() override {
    CmdFixture::SetUp();
    S = &stand;
    Rw.rankMode = Rw.rankLimit = Rw.lastRankLimit = 0;
    Rw.singleLayer = 0;
    CmdShell.redraw = [](int k) { S->redraws.push_back(k == 2 ? 1000 + Rw.singleLayerNo : k); };
    CmdShell.gridDraw = [](int n) { S->grids.push_back(n); };
    CmdShell.ctrlHeld = [] { return S->ctrl; };
  }
  void TearDown() override {
    Rw.rankMode = Rw.rankLimit = Rw.lastRankLimit = 0;
    CmdFixture::TearDown();
  }
  void Button(const char* name) {
    CmdStart(st, CmdIndexByName(name), 0);
    CmdPump(st);
  }
  void DialogsInstall() {
    CmdShell.swinDialog = [](int restore) {
      S->swins.push_back(restore);
      return S->slot;
    };
    CmdShell.gridDialog = [](int, int32_t, char* text, size_t size) {
      if (S->gridAsked >= (int)S->gridTexts.size()) return 0;
      snprintf(text, size, "%s", S->gridTexts[S->gridAsked++].c_str());
      return 1;
    };
    CmdShell.depthDialog = [] {
      if (S->depthAnswer == 1) (void)DepthApply(S->depth[0], S->depth[1], S->depth[2], S->depthRankWindow);
      return S->depthAnswer;
    };
    CmdShell.layerDialog = [](int initial, int* layer) {
      S->layerAsked = initial;
      *layer = S->layerAnswer;
      return S->layerAnswer != 0 ? 1 : 0;
    };
    CmdShell.layerTable = [](int kind, int rank) {
      S->tables.push_back(kind + 100 * rank);
      if (S->tableEdit) S->tableEdit(kind);
      return 1;
    };
  }
};

// --- line arguments ---------------------------------------------------------------

TEST_F(ViewCmd, LineArgumentsAreTakenClampedOrRefused) {
  struct Case {
    const char* line;
    int32_t MainSetupState::*key;
    int32_t want;           // the key afterwards
    const char* message;    // "" when accepted
  };
  const Case cases[] = {
      {"tlyr 0", &MainSetupState::tlayer, 1, ""},
      {"tlyr 300", &MainSetupState::tlayer, 256, ""},
      {"layr 7", &MainSetupState::bplayer, 7, ""},
      {"tlyr abc", &MainSetupState::tlayer, 2, "Tlyr needs a Layer Number"},
      {"layr 1.5", &MainSetupState::bplayer, 1, "Layr needs a Layer Number"},
      {"tlyr", &MainSetupState::tlayer, 2, "Tlyr needs a Layer Number"},
      {"clyr x", &MainSetupState::clayer, 1, "Clyr needs a Layer Number"},
      {"clyr 999", &MainSetupState::clayer, 256, ""},
      // Odd widths stay (scripts saved by the editor carry them)...
      {"wdth 0.003", &MainSetupState::pwidth, 3, ""},
      {"wdth -1048.576", &MainSetupState::pwidth, -1048576, ""},
      // ...but nothing beyond the editor's largest width.
      {"wdth 1048.578", &MainSetupState::pwidth, 0,
       "Path Width is Out of Range\n\nThe Largest Width is 1048576 Database Units"},
      {"wdth 600000", &MainSetupState::pwidth, 0, "Number is Missing or Out of Range"},
      {"tsiz 0.31", &MainSetupState::twidth, 315, ""},
  };
  MakeCurrent("TOP", 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    MainSetup.tlayer = 2;
    MainSetup.bplayer = 1;
    MainSetup.clayer = 1;
    MainSetup.pwidth = 0;
    rec->messages.clear();
    Typed(c.line);
    EXPECT_EQ(MainSetup.*c.key, c.want);
    EXPECT_EQ(LastMessage(), c.message);
  }
}

TEST_F(ViewCmd, ARefusedArgumentStopsTheScript) {
  for (const char* bad : {"tlyr x", "swin 0", "rwin 10", "swin two", "clyr", "wdth 2000"}) {
    SCOPED_TRACE(bad);
    MainSetup.tlayer = 2;
    EXPECT_EQ(Script(std::string(bad) + "\ntlyr 9\n"), 0);
    EXPECT_EQ(MainSetup.tlayer, 2);
  }
  EXPECT_EQ(LastMessage(), "Path Width is Out of Range\n\nThe Largest Width is 1048576 Database Units");
  rec->messages.clear();
  Script("rwin 10\n");
  EXPECT_EQ(LastMessage(), "Rwin needs a Window Number from 1 to 9");
}

// --- saved views ------------------------------------------------------------------

TEST_F(ViewCmd, SwinAndRwinFromLinesAndFromTheDialog) {
  View.width = 5000;
  View.cx = 100;
  View.cy = -200;
  ViewUpdate();
  ASSERT_EQ(Typed("swin 3"), 1);
  View.width = 90000;
  View.cx = View.cy = 7;
  ViewUpdate();
  ASSERT_EQ(Typed("rwin 3"), 1);
  EXPECT_DOUBLE_EQ(View.width, 5000);
  EXPECT_DOUBLE_EQ(View.cx, 100);
  EXPECT_DOUBLE_EQ(View.cy, -200);
  EXPECT_DOUBLE_EQ(MainSetup.saveWin[0].w, 90000);  // the last view
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1}));

  // Buttons ask SWIN; Cancel (0) saves and restores nothing.
  DialogsInstall();
  stand.slot = 9;
  Button("Swin");
  EXPECT_DOUBLE_EQ(MainSetup.saveWin[9].w, 5000);
  stand.slot = 0;
  View.width = 12345;
  ViewUpdate();
  Button("Rwin");
  EXPECT_DOUBLE_EQ(View.width, 12345);
  EXPECT_EQ(stand.swins, (std::vector<int>{0, 1}));
  stand.slot = 9;
  Button("Rwin");
  EXPECT_DOUBLE_EQ(View.width, 5000);
}

// --- pan and zoom ------------------------------------------------------------------------

TEST_F(ViewCmd, ViewChangesClampAndClearTheMarks) {
  MakeCurrent("TOP", 1);
  BoxAdd(1, 0, 0, 10, 10);
  int32_t p = PathStart(1, 0, 0, 0);
  struct Case {
    const char* line;
    double width0;
    double width;  // after
  };
  const Case cases[] = {
      {"xpnd", 1000000000, 1084479242.24},  // the widest view
      {"zoom 1 1 1 1", 50000, 100},         // the narrowest
      {"left", 4000, 4000},
      {"fit", 4000, 0},                     // 0: not checked here
      {"last", 4000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    View.width = c.width0;
    View.cx = View.cy = 0;
    ViewUpdate();
    StoreBoxRec(1)[0] |= OBJ_MARKED;
    StorePathRec(p)[0] |= OBJ_MARKED;
    ASSERT_EQ(Typed(c.line), 1);
    if (c.width) {
      EXPECT_DOUBLE_EQ(View.width, c.width);
    }
    EXPECT_EQ(StoreBoxGet(0, 1) & OBJ_MARKED, 0);
    EXPECT_EQ(StorePathGet(0, p) & OBJ_MARKED, 0);
  }
}

TEST_F(ViewCmd, LastTwiceReturnsToTheFirstView) {
  View.width = 3000;
  View.cx = 10;
  ViewUpdate();
  Typed("xpnd");
  Typed("last");
  EXPECT_DOUBLE_EQ(View.width, 3000);
  Typed("last");
  EXPECT_DOUBLE_EQ(View.width, 4500);
  Typed("last");
  EXPECT_DOUBLE_EQ(View.width, 3000);
  EXPECT_DOUBLE_EQ(View.cx, 10);
}

// --- Fit extents -----------------------------------------------------------------------

TEST_F(ViewCmd, FitExtentsCoverTextsInEveryOrientationAndWidePaths) {
  // "AB" at size 100: length RoundNear(2 x 100 x 0.81667) = 163.
  struct Case {
    int orient;
    int32_t l, b, r, t;
  };
  const Case cases[] = {
      {0, 1000, 2000, 1163, 2100}, {1, 900, 2000, 1000, 2163}, {2, 837, 1900, 1000, 2000},
      {3, 1000, 1837, 1100, 2000}, {4, 1000, 1900, 1163, 2000}, {5, 1000, 2000, 1100, 2163},
      {6, 837, 2000, 1000, 2100}, {7, 900, 1837, 1000, 2000},
  };
  MakeCurrent("TOP", 1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orient);
    StoreReset();
    Store.currentCell = Store.heldCell = Cell.number;
    ASSERT_EQ(TextAdd(1, 101, c.orient, 1000, 2000, "AB"), 1);  // size 101 counts as 100
    int32_t e[4];
    FitExtents(e);
    EXPECT_EQ(e[0], c.l);
    EXPECT_EQ(e[1], c.b);
    EXPECT_EQ(e[2], c.r);
    EXPECT_EQ(e[3], c.t);
  }
  StoreReset();
  int32_t e[4];
  FitExtents(e);
  EXPECT_EQ((std::vector<int32_t>{e[0], e[1], e[2], e[3]}), (std::vector<int32_t>{-1, -1, 1, 1}));
  PathStart(1, -101, 500, 500);  // half of |width| by integer division
  FitExtents(e);
  EXPECT_EQ((std::vector<int32_t>{e[0], e[1], e[2], e[3]}), (std::vector<int32_t>{450, 450, 550, 550}));
  StoreReset();
  BoxAdd(1, 7, 7, 7, 7);  // no width: two units
  FitExtents(e);
  EXPECT_EQ((std::vector<int32_t>{e[0], e[1], e[2], e[3]}), (std::vector<int32_t>{7, 7, 9, 9}));
}

// --- layer by layer ------------------------------------------------------------------------

TEST_F(ViewCmd, SdrwAndRdrwDrawTheViewSetLayerByLayer) {
  LyrView.viewOverride = 0;
  LayerSetClear(&LyrView.view);
  LyrSelSet(&LyrView.view, 3);
  LyrSelSet(&LyrView.view, 200);
  Button("Sdrw");
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1003, 1200}));
  EXPECT_TRUE(stand.grids.empty());
  EXPECT_EQ(Rw.singleLayer, 0);
  stand.redraws.clear();
  MainSetup.rankView[0].vgrid = 1;
  MainSetup.rankView[0].ndgrid = 4;
  Button("Rdrw");
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1200, 1003}));
  EXPECT_EQ(stand.grids, (std::vector<int>{4}));
  EXPECT_EQ(Rw.singleLayer, 0);
}

TEST_F(ViewCmd, LdrwOffersTheLastLayerAndDrawsOnlyTheChosenOne) {
  DialogsInstall();
  stand.layerAnswer = 0;
  Button("Ldrw");
  EXPECT_EQ(stand.layerAsked, 1);
  EXPECT_TRUE(stand.redraws.empty());  // cancelled
  stand.layerAnswer = 12;
  Button("Ldrw");
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1}));
  stand.layerAnswer = 0;
  Button("Ldrw");
  EXPECT_EQ(stand.layerAsked, 12);
  EXPECT_EQ(Rw.singleLayer, 0);
}

// --- grids -------------------------------------------------------------------------------

TEST_F(ViewCmd, WgrdCyclesThroughThePositivePresets) {
  struct Case {
    int32_t presets[GRID_PRESETS];
    int from;
    std::vector<int> then;  // indexes after each Wgrd
  };
  const Case cases[] = {
      {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 9, {10, 1, 2}},
      {{0, -5, 25, 0, 0, 0, 0, 0, 0, -1}, 1, {3, 3, 3}},
      {{0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 4, {1, 1}},
      {{10, 0, 0, 0, 50, 0, 0, 0, 0, 0}, 0, {1, 5, 1}},  // from the custom grid
  };
  for (const Case& c : cases) {
    memcpy(MainSetup.wgrid, c.presets, sizeof c.presets);
    MainSetup.rankView[0].nwgrid = c.from;
    for (size_t k = 0; k < c.then.size(); ++k) {
      Button("Wgrd");
      EXPECT_EQ(MainSetup.rankView[0].nwgrid, c.then[k]) << "from " << c.from << " step " << k;
    }
    int32_t g = GridValue(0, c.then.back());
    EXPECT_EQ(View.grid, g > 1 ? g : 1);
  }
}

TEST_F(ViewCmd, CtrlWgrdTakesTheCustomGridUntilAValidOneOrCancel) {
  DialogsInstall();
  stand.ctrl = 1;
  stand.gridTexts = {"abc", "-2", "0.25"};
  MainSetup.rankView[0].nwgrid = 3;
  Button("Wgrd");
  EXPECT_EQ(stand.gridAsked, 3);
  EXPECT_EQ(MainSetup.wgridCustom, 250);
  EXPECT_EQ(MainSetup.rankView[0].nwgrid, 0);
  EXPECT_EQ(View.grid, 250);
  stand.gridTexts.clear();  // Cancel
  stand.gridAsked = 0;
  MainSetup.rankView[0].nwgrid = 3;
  Button("Wgrd");
  EXPECT_EQ(MainSetup.rankView[0].nwgrid, 3);
  EXPECT_EQ(MainSetup.wgridCustom, 250);
}

TEST_F(ViewCmd, DgrdRedrawsAShownGridOnlyWhenItChanged) {
  DialogsInstall();
  RankView& rv = MainSetup.rankView[0];
  int32_t presets[GRID_PRESETS] = {100, 0, 300, 0, 0, 0, 0, 0, 0, 0};
  memcpy(MainSetup.dgrid, presets, sizeof presets);
  rv.ndgrid = 1;
  rv.vgrid = 1;
  Rw.gridShown = 1;
  Button("Dgrd");
  EXPECT_EQ(rv.ndgrid, 3);
  EXPECT_EQ(stand.grids, (std::vector<int>{1, 3}));  // the old off, the new on
  stand.grids.clear();
  rv.vgrid = 0;
  Button("Dgrd");
  EXPECT_TRUE(stand.grids.empty());  // not shown
  rv.vgrid = 1;
  memset(MainSetup.dgrid, 0, sizeof MainSetup.dgrid);
  MainSetup.dgrid[0] = 100;
  rv.ndgrid = 1;
  Button("Dgrd");
  EXPECT_TRUE(stand.grids.empty());  // the index did not change
  stand.ctrl = 1;
  stand.gridTexts = {"200000"};  // 2e8: beyond what is drawn
  Button("Dgrd");
  EXPECT_EQ(rv.ndgrid, 0);
  EXPECT_TRUE(stand.grids.empty());
  stand.gridTexts = {"0.05"};
  stand.gridAsked = 0;
  Rw.gridShown = 1;
  Button("Dgrd");
  EXPECT_EQ(MainSetup.dgridCustom, 50);
  EXPECT_EQ(stand.grids, (std::vector<int>{1, 0}));
}

TEST_F(ViewCmd, GridTogglesTheFlagAndDrawsTheCurrentGrid) {
  MakeCurrent("TOP", 2);
  MainSetup.rankView[2].vgrid = 0;
  MainSetup.rankView[2].ndgrid = 0;
  Button("Grid");
  EXPECT_EQ(MainSetup.rankView[2].vgrid, 1);
  Button("Grid");
  EXPECT_EQ(MainSetup.rankView[2].vgrid, 0);
  EXPECT_EQ(stand.grids, (std::vector<int>{0, 0}));
}

// --- depth and rank windows --------------------------------------------------------------

TEST_F(ViewCmd, DepthApplyClampsAndKeepsBottomNotAboveTop) {
  struct Case {
    const char *top, *bot, *rank;
    int rankWindow;
    int applied, wantTop, wantBot, wantRankMode, wantRank;
  };
  const Case cases[] = {
      {"5", "3", "0", 0, 1, 5, 5, 0, 0},    {"-2", "30", "0", 0, 1, 0, 24, 0, 0},
      {"40", "2", "0", 0, 1, 23, 23, 0, 0}, {"x", "3", "0", 0, 0, 0, 24, 0, 0},
      {"1", "", "0", 0, 0, 0, 24, 0, 0},    {"1", "2", "30", 1, 1, 0, 24, 1, 24},
      {"1", "2", "-1", 1, 1, 0, 24, 1, 0},  {"x", "y", "4", 1, 1, 0, 24, 1, 4},
      {"1", "2", "z", 1, 0, 0, 24, 0, 0},
  };
  for (const Case& c : cases) {
    MainSetup.topdepth = 0;
    MainSetup.botdepth = 24;
    Rw.rankMode = Rw.rankLimit = 0;
    EXPECT_EQ(DepthApply(c.top, c.bot, c.rank, c.rankWindow), c.applied) << c.top << "/" << c.bot;
    EXPECT_EQ(MainSetup.topdepth, c.wantTop) << c.top << "/" << c.bot;
    EXPECT_EQ(MainSetup.botdepth, c.wantBot) << c.top << "/" << c.bot;
    EXPECT_EQ(Rw.rankMode, c.wantRankMode);
    if (c.rankWindow) {
      EXPECT_EQ(Rw.rankLimit, c.wantRank);
    }
  }
}

TEST_F(ViewCmd, DepthButtonsMoveTheLevels) {
  struct Case {
    int id, top, bot, rank, wantTop, wantBot;
  };
  const Case cases[] = {
      {1305, 2, 24, 6, 2, 5}, {1305, 0, 9, 0, 0, 0},  {1306, 4, 9, 6, 0, 9},
      {1307, 3, 9, 6, 2, 2},  {1307, 1, 9, 6, 0, 0},  {1308, 2, 9, 6, 3, 3},
      {1308, 5, 9, 6, 5, 5},  // at most the cell's rank - 1
  };
  for (const Case& c : cases) {
    MainSetup.topdepth = c.top;
    MainSetup.botdepth = c.bot;
    EXPECT_EQ(DepthButton(c.id, c.rank), 1);
    EXPECT_EQ(MainSetup.topdepth, c.wantTop) << c.id << " from " << c.top;
    EXPECT_EQ(MainSetup.botdepth, c.wantBot) << c.id << " from " << c.top;
  }
  EXPECT_EQ(DepthButton(1283, 6), 0);
}

TEST_F(ViewCmd, DpthKeepsTheLastWindowAndLastExchangesIt) {
  DialogsInstall();
  MainSetup.topdepth = 0;
  MainSetup.botdepth = 24;
  stand.depthAnswer = 1;
  stand.depth[0] = "5";
  stand.depth[1] = "3";
  Button("Dpth");
  EXPECT_EQ(MainSetup.topdepth, 5);
  EXPECT_EQ(MainSetup.botdepth, 5);
  EXPECT_EQ(MainSetup.lasttopdepth, 0);
  EXPECT_EQ(MainSetup.lastbotdepth, 24);
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1}));
  stand.depthAnswer = 2;
  Button("Dpth");
  EXPECT_EQ(MainSetup.topdepth, 0);
  EXPECT_EQ(MainSetup.botdepth, 24);
  EXPECT_EQ(MainSetup.lasttopdepth, 5);
  // The rank window: its limit, and the one before it.
  stand.depthAnswer = 1;
  stand.depthRankWindow = 1;
  stand.depth[2] = "3";
  Button("Dpth");
  EXPECT_EQ(Rw.rankMode, 1);
  EXPECT_EQ(Rw.rankLimit, 3);
  EXPECT_EQ(Rw.lastRankLimit, 0);
  EXPECT_EQ(MainSetup.lasttopdepth, 5);  // the depth window kept its last
  stand.depthAnswer = 2;
  Button("Dpth");
  EXPECT_EQ(Rw.rankLimit, 0);
  EXPECT_EQ(Rw.lastRankLimit, 3);
  // A restricted rank window blocks edits that may not see everything.
  MakeCurrent("TOP", 2);
  rec->messages.clear();
  EXPECT_EQ(CmdGuardVisible(st), 1);
  EXPECT_EQ(LastMessage(), "Command is blocked because all Ranks may not be Visible");
  EXPECT_EQ(CmdGuardCells(st), 1);
}

// --- layer sets and attributes --------------------------------------------------------------

TEST_F(ViewCmd, ViewKeepsTheTextOfAScatteredSetThroughTheSetupFile) {
  DialogsInstall();
  MakeCurrent("TOP", 3);
  for (int i = 0; i < LAYER_MAX; ++i) {
    MainSetup.layers[i].number = i + 1;
    MainSetup.layers[i].flags = LAYER_VIEW_BIT | LAYER_OPEN_BIT;
  }
  MainSetup.layerCount = LAYER_MAX;
  // The table leaves every other layer in the view set.
  stand.tableEdit = [](int) {
    for (int i = 0; i < LAYER_MAX; ++i)
      MainSetup.layers[i].flags = (i % 2 == 0) ? LAYER_VIEW_BIT | LAYER_OPEN_BIT : LAYER_OPEN_BIT;
  };
  Button("View");
  EXPECT_EQ(stand.tables, (std::vector<int>{300}));
  EXPECT_EQ(MainSetup.vmap[3][0], 0x5555555555555555ull);
  EXPECT_EQ(MainSetup.vmap[3][3], 0x5555555555555555ull);
  EXPECT_TRUE(LyrViewTest(255));
  EXPECT_FALSE(LyrViewTest(256));
  std::string text = MainSetup.viewstr[3];
  EXPECT_GT(text.size(), 450u);
  EXPECT_EQ(text.substr(0, 6), "1 3 5 ");
  EXPECT_EQ(text.substr(text.size() - 4), "255 ");
  EXPECT_EQ(stand.redraws, (std::vector<int>{0, 1}));
  // The whole text comes back with the next start.
  MainSetupReset();
  ASSERT_EQ(MainSetupRead(), 1);
  EXPECT_EQ(std::string(MainSetup.viewstr[3]), text.substr(0, text.find_last_not_of(' ') + 1));
  EXPECT_EQ(MainSetup.vmap[3][2], 0x5555555555555555ull);

  stand.redraws.clear();
  Button("Open");
  EXPECT_EQ(stand.tables.back(), 301);
  EXPECT_EQ(MainSetup.omap[3][1], ~0ull);
  EXPECT_TRUE(stand.redraws.empty());  // Open does not redraw
}

TEST_F(ViewCmd, DialogFormsOfLaterIssuesAreNotAvailable) {
  for (const char* name : {"Attr", "View", "Open", "Ldrw", "Dpth", "Swin", "Layr", "Tlyr", "Wdth", "Tsiz"}) {
    SCOPED_TRACE(name);
    panes.clear();
    Button(name);
    ASSERT_FALSE(panes.empty());
    EXPECT_NE(std::find(panes.begin(), panes.end(), std::string(name) + " is not available in this Edition"),
              panes.end());
  }
  EXPECT_TRUE(rec->messages.empty());  // buttons tell only the pane
  // A script that names one stops there, and says why.
  MainSetup.tlayer = 2;
  EXPECT_EQ(Script("attr\ntlyr 9\n"), 0);
  EXPECT_EQ(LastMessage(), "Attr is not available in this Edition");
  EXPECT_EQ(MainSetup.tlayer, 2);
}

// --- Clyr ------------------------------------------------------------------------------------

TEST_F(ViewCmd, ClyrMovesWholeSelectedObjectsOnly) {
  MakeCurrent("TOP", 1);
  BoxAdd(1, 0, 0, 100, 100);      // all edges selected
  BoxAdd(1, 200, 0, 300, 100);    // some edges
  BoxAdd(1, 400, 0, 500, 100);    // none
  int32_t p = PathStart(2, 10, 0, 0);
  VertexInsert(Store.vertexCount, 50, 50);
  int32_t q = PathStart(2, 10, 900, 900);
  StoreVertexRec(StorePathGet(2, q))[0] &= ~(int32_t)VERTEX_SELECTED;
  PathSelSync(q);
  TextAdd(3, 30, 0, 0, 0, "T");
  int32_t t = Store.pathCount;
  StoreVertexRec(StorePathGet(2, t))[0] |= VERTEX_SELECTED;
  PathSelSync(t);
  StoreBoxRec(1)[0] |= BOX_SEL_ALL | OBJ_MARKED;
  StoreBoxRec(2)[0] |= BOX_SEL_LEFT | BOX_SEL_TOP;
  ASSERT_EQ(Typed("clyr 9"), 1);
  EXPECT_EQ(StoreBoxGet(0, 1) & 0x1FF, 9);
  EXPECT_EQ(StoreBoxGet(0, 1) & OBJ_MARKED, 0);
  EXPECT_EQ(StoreBoxGet(0, 1) & BOX_SEL_ALL, (int32_t)BOX_SEL_ALL);
  EXPECT_EQ(StoreBoxGet(0, 2) & 0x1FF, 1);
  EXPECT_EQ(StoreBoxGet(0, 3) & 0x1FF, 1);
  EXPECT_EQ(StorePathGet(0, p) & 0x1FF, 9);
  EXPECT_EQ(StorePathGet(0, q) & 0x1FF, 2);
  EXPECT_EQ((uint32_t)StorePathGet(0, t), TEXT_BIT | PATH_SELECTED | 9u);
  EXPECT_EQ(MainSetup.clayer, 9);
  EXPECT_EQ(Cell.modified, 1);
  EXPECT_EQ(StoreInvariants(), "");

  // The dialog form: the guard first, then the layer table; Cancel ends.
  DialogsInstall();
  stand.layerAnswer = 0;
  Button("Clyr");
  EXPECT_EQ(stand.layerAsked, 9);
  EXPECT_EQ(StorePathGet(0, p) & 0x1FF, 9);
  stand.layerAnswer = 4;
  Button("Clyr");
  EXPECT_EQ(StorePathGet(0, p) & 0x1FF, 4);
  MainSetup.topdepth = 1;
  stand.layerAnswer = 5;
  stand.layerAsked = -1;
  Button("Clyr");
  EXPECT_EQ(stand.layerAsked, -1);  // blocked before the table
  EXPECT_EQ(StorePathGet(0, p) & 0x1FF, 4);
}

// --- dialog rules of the settings ----------------------------------------------------------

TEST(ViewRules, WidthAndSizeTextsAreAcceptedOrAskedAgain) {
  struct Case {
    const char* text;
    double scale;
    int accepted;
    int32_t value;
    int star;
  };
  const Case widths[] = {
      {"0.02", 100, 1, 2, 0},      {"0.03", 100, 0, 0, 0},   {"0", 100, 1, 0, 0},
      {"*", 1000, 1, 0, 1},        {"-*", 1000, 1, 0, -1},   {"-0.5", 1000, 1, -500, 0},
      {"1048.576", 1000, 1, 1048576, 0}, {"1048.578", 1000, 0, 0, 0}, {"0.001", 1000, 0, 0, 0},
      {"abc", 1000, 0, 0, 0},
  };
  for (const Case& c : widths) {
    int32_t w = -7;
    int star = 9;
    EXPECT_EQ(WidthAccept(c.text, c.scale, &w, &star), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(w, c.value) << c.text;
    }
    EXPECT_EQ(star, c.star) << c.text;
  }
  const Case sizes[] = {
      {"0.015", 1000, 1, 15, 0}, {"0.014", 1000, 0, 0, 0}, {"9830.4", 1000, 1, 9830400, 0},
      {"9830.5", 1000, 0, 0, 0}, {"-1", 1000, 1, -1000, 0}, {"x", 1000, 0, 0, 0},
  };
  for (const Case& c : sizes) {
    int32_t s = -7;
    EXPECT_EQ(SizeAccept(c.text, c.scale, &s), c.accepted) << c.text;
    if (c.accepted) {
      EXPECT_EQ(s, c.value) << c.text;
    }
  }
  struct TextCase {
    const char* typed;
    int extended;
    const char* want;
  };
  const TextCase texts[] = {{"-5", 0, "5"}, {"5", 1, "-5"}, {"*", 1, "*"}, {" 2.5", 0, "2.5"}, {"-*", 1, "-*"}};
  for (const TextCase& c : texts) {
    char out[16];
    WidthDlgText(c.typed, c.extended, out, sizeof out);
    EXPECT_STREQ(out, c.want) << c.typed;
  }
}

// Random view and setting lines among additions and selections: the store
// holds together and the view stays within its bounds after each.
TEST_F(ViewCmd, RandomViewAndSettingLinesKeepTheStoreWhole) {
  MakeCurrent("TOP", 2);
  Cell.name[0] = '\0';  // no undo files: thousands of lines stay quick
  std::mt19937 rng(11);
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto coord = [&] { return std::to_string(num(-40, 40) * 0.25); };
  static const char* fixed[] = {"xpnd", "left", "right", "up", "dn", "fit", "last", "draw",
                                "wgrd", "dgrd", "grid", "sdrw", "rdrw", "aput", "obj b", "obj p"};
  for (int i = 0; i < 2000; ++i) {
    std::string line;
    switch (num(0, 7)) {
      case 0: line = fixed[num(0, 15)]; break;
      case 1: line = "zoom " + coord() + " " + coord() + " " + coord() + " " + coord(); break;
      case 2: line = std::string(num(0, 1) ? "swin " : "rwin ") + std::to_string(num(-1, 11)); break;
      case 3: line = std::string(num(0, 1) ? "clyr " : "tlyr ") + std::to_string(num(-5, 300)); break;
      case 4: line = std::string(num(0, 1) ? "wdth " : "tsiz ") + coord(); break;
      case 5: line = "get " + coord() + " " + coord() + " " + coord() + " " + coord(); break;
      default:
        line = "add " + coord() + " " + coord();
        if (st.objKind == 1) line += " " + coord() + " " + coord();
        break;
    }
    if (num(0, 1)) Typed(line.c_str());
    else Key(line.c_str());
    ASSERT_EQ(StoreInvariants(), "") << i << ": " << line;
    ASSERT_GE(View.width, 100) << line;
    ASSERT_LE(View.width, 1084479242.24) << line;
    ASSERT_EQ(Rw.singleLayer, 0) << line;
  }
  EXPECT_GT(Store.boxCount + Store.pathCount, 50);
}

}  // namespace
