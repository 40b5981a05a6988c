// Boxes, the guard-band clip, the small-object cut, colours of selection
// and printing, and the fixed tables.
#include "palette.h"
#include "render_fixture.h"

namespace {

TEST_F(RenderFixture, BoxIsFourEdgesThenItsFill) {
  MainSetup.attr[3] = {4, 5, 0};
  AddBox(4, -100, -50, 100, 50);
  DrawBox(1, -1);
  ASSERT_EQ(canvas.ops.size(), 5u);
  // left, bottom, right, top
  const int want[4][4] = {{400, 550, 400, 450}, {400, 550, 600, 550}, {600, 550, 600, 450}, {400, 450, 600, 450}};
  for (int i = 0; i < 4; ++i) {
    const RecOp& op = canvas.ops[i];
    EXPECT_EQ(op.kind, REC_LINE);
    EXPECT_EQ(op.paint.colour, 4);
    EXPECT_EQ(op.pts[0].x, want[i][0]);
    EXPECT_EQ(op.pts[0].y, want[i][1]);
    EXPECT_EQ(op.pts[1].x, want[i][2]);
    EXPECT_EQ(op.pts[1].y, want[i][3]);
  }
  const RecOp& fill = canvas.ops[4];
  EXPECT_EQ(fill.kind, REC_POLYGON);
  EXPECT_EQ(fill.paint.fill, 5);
  EXPECT_EQ(fill.paint.mix, CANVAS_MIX_MERGE);
  EXPECT_EQ(Rd.boxesDrawn, 1);
}

TEST_F(RenderFixture, SelectedEdgeIsSolidSelectionColourOnADashedLayer) {
  MainSetup.attr[0] = {1, 13, 3};
  AddBox(1, 0, 0, 100, 100, BOX_SEL_RIGHT);
  DrawBox(1, -1);
  auto lines = Ops(REC_LINE);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[2]->paint.colour, 15);
  EXPECT_EQ(lines[2]->paint.style, 0);
  EXPECT_EQ(lines[0]->paint.colour, 1);
  EXPECT_EQ(lines[0]->paint.style, 3);
  // Solid fill copies its colour unless fills merge.
  EXPECT_EQ(Ops(REC_POLYGON)[0]->paint.mix, CANVAS_MIX_COPY);
}

TEST_F(RenderFixture, SelectionOnlyPassDrawsOnlySelectedEdgesWithoutFill) {
  AddBox(1, 0, 0, 100, 100, BOX_SEL_TOP | BOX_SEL_LEFT);
  DrawMarkedBoxes(1);
  auto lines = Ops(REC_LINE);
  ASSERT_EQ(lines.size(), 2u);
  for (auto* l : lines) EXPECT_EQ(l->paint.colour, 15);
  EXPECT_TRUE(Ops(REC_POLYGON).empty());
  EXPECT_EQ(Rd.selOnly, 0);
}

TEST_F(RenderFixture, PolygonOverAViewCornerKeepsItsFill) {
  // A triangle whose inside holds the top-left corner of the area while
  // none of its vertices is near it.
  AddPath(1, 0, {{-3000, 3000}, {3000, 3000}, {-3000, -3000}, {-3000, 3000}});
  DrawPathObj(1, -1);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_TRUE(PolyContains(*polys[0], 1, 1));
  EXPECT_TRUE(PolyContains(*polys[0], 400, 100));
  EXPECT_FALSE(PolyContains(*polys[0], 900, 900));
  for (auto& p : polys[0]->pts) {
    EXPECT_GE(p.x, -2);
    EXPECT_LE(p.x, 1002);
    EXPECT_GE(p.y, -2);
    EXPECT_LE(p.y, 1002);
  }
  // Edges off the area are left out; the two that cross it are cut.
  for (auto* l : Ops(REC_LINE))
    for (auto& p : l->pts) {
      EXPECT_GE(p.x, -2);
      EXPECT_LE(p.x, 1002);
    }
}

TEST_F(RenderFixture, ObjectsOffTheViewAreMarkedInTheOwnPass) {
  AddBox(1, 5000, 5000, 5100, 5100);
  Rd.ownFull = 1;
  DrawBox(1, -1);
  EXPECT_TRUE(canvas.ops.empty());
  EXPECT_TRUE((uint32_t)StoreBoxGet(0, 1) & OBJ_MARKED);
  View(5000, 5000, 1000);
  DrawBox(1, -1);
  EXPECT_FALSE((uint32_t)StoreBoxGet(0, 1) & OBJ_MARKED);
  EXPECT_EQ(Ops(REC_POLYGON).size(), 1u);
}

TEST_F(RenderFixture, SmallObjectsAreCutAtTheDrawResolution) {
  View(0, 0, 1000, 100);  // small below 10 units
  AddBox(1, 0, 0, 9, 9);
  AddBox(1, 0, 0, 9, 10);
  AddPath(1, 0, {{0, 0}, {5, 5}});
  struct Case {
    int32_t n;
    bool path;
    size_t ops;
  } cases[] = {{1, false, 0}, {2, false, 5}, {1, true, 0}};
  for (const Case& c : cases) {
    canvas.ops.clear();
    if (c.path) DrawPathObj(c.n, -1);
    else DrawBox(c.n, -1);
    EXPECT_EQ(canvas.ops.size(), c.ops) << c.n << " " << c.path;
  }
  // The selection pass marks what it cut; Ctrl draws it.
  canvas.ops.clear();
  Rd.selOnly = 1;
  DrawBox(1, -1);
  Rd.selOnly = 0;
  ASSERT_EQ(canvas.ops.size(), 1u);
  EXPECT_EQ(canvas.ops[0].kind, REC_MARKER);
  EXPECT_EQ(canvas.ops[0].image, MARKER_SMALL);
  EXPECT_EQ(canvas.ops[0].paint.colour, 15);
  EXPECT_EQ(canvas.ops[0].pts[0].x, 500 - 7);
  EXPECT_EQ(canvas.ops[0].pts[0].y, 500 - 3);
  canvas.ops.clear();
  Rd.ctrl = 1;
  DrawBox(1, -1);
  EXPECT_EQ(canvas.ops.size(), 5u);
  EXPECT_EQ(Rd.smallest, 5);  // the path's 5 x 5 extent
}

TEST_F(RenderFixture, EraseDrawsInTheBackgroundColour) {
  AddBox(1, 0, 0, 100, 100);
  BoxErase(1);
  ASSERT_FALSE(canvas.ops.empty());
  for (const RecOp& op : canvas.ops) EXPECT_EQ(op.paint.colour, 0);
  EXPECT_EQ(Ops(REC_POLYGON)[0]->paint.mix, CANVAS_MIX_MASKNOT);
  EXPECT_EQ(Rd.erasePass, 0);
}

TEST_F(RenderFixture, PrintingMapsColoursAndExchangesHatches) {
  struct Case {
    int printing, clip, bw, dark, colour;
    int wantColour, useRgb, r, g, b;
  } cases[] = {
      {0, 0, 0, 0, 15, 15, 0, 0, 0, 0},        // screen: palette index
      {1, 0, 0, 0, 15, 0, 1, 0, 0, 0},         // white prints black
      {1, 0, 0, 0, 7, 0, 1, 0, 0, 0},          // so does light grey
      {1, 0, 0, 1, 15, 15, 1, 255, 255, 255},  // unless dark field
      {1, 0, 0, 0, 9, 9, 1, 0, 0, 255},        // the printer's own blue
      {1, 0, 1, 0, 4, 4, 1, 0, 0, 0},          // black and white
      {1, 0, 1, 1, 4, 4, 1, 255, 255, 255},    // white on dark field
      {1, 1, 0, 0, 9, 9, 0, 0, 0, 0},          // clipboard: palette index
  };
  for (const Case& c : cases) {
    Rd.printing = c.printing;
    Rd.printClip = c.clip;
    Rd.printBW = c.bw;
    Rd.darkField = c.dark;
    CanvasPaint p = DrawPaint(c.colour, 0, 0);
    EXPECT_EQ(p.colour, c.wantColour) << c.colour;
    EXPECT_EQ(p.useRgb, c.useRgb) << c.colour;
    if (p.useRgb) {
      EXPECT_EQ(p.r, c.r);
      EXPECT_EQ(p.g, c.g);
      EXPECT_EQ(p.b, c.b);
    }
  }
  MainSetup.attr[0].fill = 9;
  MainSetup.attr[1].fill = 12;
  Rd.printing = 1;
  Rd.printClip = 0;
  EXPECT_EQ(LyrFillIndex(1), 10);
  EXPECT_EQ(LyrFillIndex(2), 11);
  Rd.printClip = 1;
  EXPECT_EQ(LyrFillIndex(1), 9);
  Rd.printing = 0;
  Rd.solidFillOvr = 1;
  EXPECT_EQ(LyrFillIndex(1), 13);
  Rd.noFillOvr = 1;
  EXPECT_EQ(LyrFillIndex(1), 0);
}

TEST_F(RenderFixture, TablesHoldTheirValues) {
  EXPECT_EQ(PaletteRgb[9][0], 32);
  EXPECT_EQ(PrinterRgbDefault[9].r, 0);
  EXPECT_EQ(PrinterRgbDefault[9].b, 255);
  for (int i = 0; i < PAL_COLOURS; ++i)
    if (i != 9) {
      EXPECT_EQ(PrinterRgbDefault[i].r, PaletteRgb[i][0]) << i;
      EXPECT_EQ(PrinterRgbDefault[i].g, PaletteRgb[i][1]) << i;
      EXPECT_EQ(PrinterRgbDefault[i].b, PaletteRgb[i][2]) << i;
    }
  int n;
  const int* d = DashTable(4, &n);
  ASSERT_EQ(n, 6);
  EXPECT_EQ(d[0], 10);
  EXPECT_EQ(d[5], 5);
  DashTable(5, &n);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(FillPatternRows(FILLSET_SCREEN, 10)[1], 0x01);
  EXPECT_EQ(FillPatternRows(FILLSET_FINE, 10)[1], 0x11);
  EXPECT_EQ(FillPatternRows(FILLSET_FINE, 5)[2], 0x44);
  EXPECT_EQ(FillPatternBit(FILLSET_SCREEN, 9, 3, 3), 1);
  EXPECT_EQ(FillPatternBit(FILLSET_SCREEN, 9, 11, 3), 1);  // repeats every 8
  EXPECT_EQ(FillPatternBit(FILLSET_SCREEN, 9, 4, 3), 0);
  EXPECT_EQ(FillPatternBit(FILLSET_PRINT, 9, 12, 12), 1);
  EXPECT_EQ(FillPatternBit(FILLSET_PRINT, 11, 4, 12), 1);
  EXPECT_EQ(FillPatternBit(FILLSET_PRINT, 10, 15, 0), 1);
  EXPECT_EQ(FillPatternRows(FILLSET_PRINT, 5)[8], 0x10);
  EXPECT_EQ(FillPatternRows(FILLSET_PRINT, 6)[0], 0x10);
  EXPECT_EQ(FillPatternRows(FILLSET_PRINT, 1)[1], 0x80);
  EXPECT_EQ(FillPatternRows(FILLSET_PRINT, 1)[14], 0x80);
  EXPECT_EQ(FillPatternRows(FILLSET_PRINT, 14)[0], 0x00);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(FillPatternBit(FILLSET_PRINT, 13, x, y), 1);
}

}  // namespace

namespace {

TEST_F(RenderFixture, ExtremeCoordinatesAndSizesDrawWithinTheGuard) {
  const int32_t lo = INT32_MIN, hi = INT32_MAX;
  AddBox(1, lo, lo, hi, hi);
  AddBox(2, hi - 1, lo, hi, hi);
  AddPath(1, lo, {{lo, lo}, {hi, hi}, {lo, hi}});
  AddPath(2, hi, {{0, 0}, {hi, 0}});
  AddPath(3, 0, {{lo, 0}, {hi, 1}, {0, hi}, {lo, 0}});
  AddText(1, hi, 5, lo, hi, "ABCDEFGHIJ");
  AddText(2, lo, 3, 0, 0, "X");
  Rd.togs = 0;
  Rd.ownFull = 1;
  Rd.ctrl = 1;
  DrawLevelLayers(-1);
  // Instances at the far corners, turned.
  int c = TableCell("FAR", 1, lo, lo, hi, hi, 0, 0);
  int top = TableCell("TOPC", 2, 0, 0, 1, 1, 0, 0);
  Store.currentCell = Store.heldCell = top;
  AddInst(0, c, 7, hi, lo);
  AddInst(0, c, 2, lo, hi, 1);
  DrawAll(0);
  for (const RecOp& op : canvas.ops) {
    if (op.kind == REC_MARKER || op.kind == REC_DOT) continue;
    for (auto& p : op.pts) {
      EXPECT_GE(p.x, -2);
      EXPECT_LE(p.x, 1002);
      EXPECT_GE(p.y, -2);
      EXPECT_LE(p.y, 1002);
    }
  }
  EXPECT_FALSE(canvas.ops.empty());
}

}  // namespace
