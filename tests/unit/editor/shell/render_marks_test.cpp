// Markers, instance hatches and the display grid.
#include "palette.h"
#include "render_fixture.h"

namespace {

TEST_F(RenderFixture, VertexMarkersShowSelectedVerticesAndWithToggleVAllOthers) {
  AddPath(1, 0, {{0, 0}, {100, 0}, {100, 100}});
  StoreVertexSet((int32_t)(1u | VERTEX_SELECTED), 0, 2);
  Rd.ownFull = 1;
  Rd.togs = 0;
  DrawPathObj(1, -1);
  auto marks = Ops(REC_MARKER);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0]->image, MARKER_VERTEX);
  EXPECT_EQ(marks[0]->paint.colour, 15);
  EXPECT_EQ(marks[0]->pts[0].x, 600 - 7);
  canvas.ops.clear();
  Rd.togs = TOG_VERTS;
  DrawPathObj(1, -1);
  marks = Ops(REC_MARKER);
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0]->paint.colour, 1);
  EXPECT_EQ(marks[2]->image, MARKER_LAST);
  // Inside an instance no markers; while printing none either.
  canvas.ops.clear();
  Rd.printing = 1;
  DrawPathObj(1, -1);
  EXPECT_TRUE(Ops(REC_MARKER).empty());
}

TEST_F(RenderFixture, GridPointsAreSkippedWhenCloserThanSixPixels) {
  MainSetup.dgrid[0] = 5;    // 5 pixels apart: skipped
  MainSetup.dgrid[1] = 100;  // 100 pixels apart
  DrawGrid(1);
  EXPECT_TRUE(canvas.ops.empty());
  DrawGrid(2);
  auto dots = Ops(REC_DOT);
  // x from -500 while below 500, y from 500 while above -500: 10 x 10.
  EXPECT_EQ(dots.size(), 100u);
  EXPECT_EQ(dots[0]->pts[0].x, 0);
  EXPECT_EQ(dots[0]->pts[0].y, 0);
  EXPECT_EQ(Rw.gridShown, 2);
  // Index 0 is the custom grid given through WDGRD; past 10 there is none.
  canvas.ops.clear();
  MainSetup.dgridCustom = 250;
  DrawGrid(0);
  EXPECT_EQ(Ops(REC_DOT).size(), 16u);  // -500, -250, 0, 250 each way
  EXPECT_EQ(Rw.gridShown, 0);
  canvas.ops.clear();
  DrawGrid(11);
  EXPECT_TRUE(canvas.ops.empty());
}

TEST_F(RenderFixture, SelectedOutlineOnlyInstanceIsHatchedInTheSelectionColour) {
  int c = TableCell("SUB", 1, 0, 0, 200, 200, 0, 0);
  int top = TableCell("TOPC", 2, 0, 0, 200, 200, 0, 1);
  Store.currentCell = Store.heldCell = top;
  StoreCellSet((int32_t)((uint32_t)c | INST_OUTLINE | INST_SELECTED), 0, 0, AddInst(0, c, 0, 0, 0));
  Rd.togs = TOG_NAMES;
  DrawAll(0);
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_EQ(polys[0]->paint.fill, FILL_HATCH);
  EXPECT_EQ(polys[0]->paint.colour, 15);
  auto rects = Ops(REC_RECT);
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0]->paint.colour, 15);
  EXPECT_EQ(rects[0]->paint.style, 0);  // outline-only: solid
  EXPECT_FALSE(Ops(REC_LINE).empty());  // the name SUB
}

TEST_F(RenderFixture, InstanceOfTooHighARankIsAnOutlineNeverExpanded) {
  int c = TableCell("PEER", 2, 0, 0, 200, 200, 1, 0);
  int top = TableCell("TOPC", 2, 0, 0, 200, 200, 0, 1);
  WriteCell("PEER", 2, 0, 0, 200, 200, {{1, 0, 0, 200, 200}}, {});
  Store.currentCell = Store.heldCell = top;
  AddInst(0, c, 0, 0, 0);
  DrawAll(0);
  EXPECT_TRUE(Ops(REC_POLYGON).empty());
  ASSERT_EQ(Ops(REC_RECT).size(), 1u);
  EXPECT_EQ(Rd.instsExpanded, 0);
}

TEST_F(RenderFixture, WineModeKeepsDeviceCoordinatesNextToTheArea) {
  MainSetup.winemods = 1;
  AddBox(1, -5000, -5000, 5000, 5000);
  DrawBox(1, -1);
  for (const RecOp& op : canvas.ops)
    for (auto& p : op.pts) {
      EXPECT_GE(p.x, -1);
      EXPECT_LE(p.x, 1001);
      EXPECT_GE(p.y, -1);
      EXPECT_LE(p.y, 1001);
    }
  auto polys = Ops(REC_POLYGON);
  ASSERT_EQ(polys.size(), 1u);
  EXPECT_TRUE(PolyContains(*polys[0], 500, 500));
}

}  // namespace

namespace {

TEST_F(RenderFixture, SmallObjectMarkerOfAnInstanceSitsAtItsPlacedPoint) {
  View(0, 0, 1000, 100);
  AddBox(1, 0, 0, 5, 5);
  Rd.xf[0].ox = 300;
  Rd.xf[0].oy = 100;
  Rd.inInst = 1;
  Rd.selOnly = 1;
  DrawBox(1, 0);
  auto marks = Ops(REC_MARKER);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0]->pts[0].x, 500 + 300 - 7);
  EXPECT_EQ(marks[0]->pts[0].y, 500 - 100 - 3);
  EXPECT_EQ(Rd.xfLevel, -1);
}

}  // namespace
