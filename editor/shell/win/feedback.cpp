// Exclusive-or feedback on the drawing area: the editor's own cursor mark,
// the cross-hair and measuring markers. Each is removed by drawing it again.
#include <windows.h>

#include "rubber.h"
#include "shellwin.h"
#include "view.h"

namespace {

// 16 x 15 mark: a cross with an open centre, white bits invert the screen.
const WORD kMarkBits[15] = {0x0100, 0x0100, 0x0100, 0x0100, 0x0100, 0x0000, 0x0000, 0xFC7E,
                            0x0000, 0x0000, 0x0100, 0x0100, 0x0100, 0x0100, 0x0100};

void MarkBitmapMake() {
  if (Sw.markDc || !Sw.dc) return;
  // Monochrome bitmap rows are word aligned, high bit first.
  BYTE bits[15 * 2];
  for (int i = 0; i < 15; ++i) {
    bits[2 * i] = (BYTE)(kMarkBits[i] >> 8);
    bits[2 * i + 1] = (BYTE)(kMarkBits[i] & 0xFF);
  }
  Sw.markBmp = CreateBitmap(16, 15, 1, 1, bits);
  Sw.markDc = CreateCompatibleDC(Sw.dc);
  if (Sw.markDc && Sw.markBmp) SelectObject(Sw.markDc, Sw.markBmp);
}

void MarkDraw(POINT p) {
  MarkBitmapMake();
  if (!Sw.markDc) return;
  BitBlt(Sw.dc, p.x - 7, p.y - 7, 16, 15, Sw.markDc, 0, 0, SRCINVERT);
}

void CrossDraw(POINT p) {
  int old = SetROP2(Sw.dc, R2_XORPEN);
  HGDIOBJ pen = SelectObject(Sw.dc, Sw.dotPen ? (HGDIOBJ)Sw.dotPen : GetStockObject(WHITE_PEN));
  int bk = SetBkMode(Sw.dc, TRANSPARENT);
  MoveToEx(Sw.dc, p.x, View.area.top, nullptr);
  LineTo(Sw.dc, p.x, View.area.bottom);
  MoveToEx(Sw.dc, View.area.left, p.y, nullptr);
  LineTo(Sw.dc, View.area.right, p.y);
  SelectObject(Sw.dc, pen);
  SetBkMode(Sw.dc, bk);
  SetROP2(Sw.dc, old);
}

void FigureDraw(int x, int y) {
  RubberFig f = RubberFigureAt(x, y);
  if (!f.isRect && f.n < 2) return;
  int old = SetROP2(Sw.dc, R2_XORPEN);
  HGDIOBJ pen = SelectObject(Sw.dc, Sw.dotPen ? (HGDIOBJ)Sw.dotPen : GetStockObject(WHITE_PEN));
  HGDIOBJ brush = SelectObject(Sw.dc, GetStockObject(NULL_BRUSH));
  int bk = SetBkMode(Sw.dc, TRANSPARENT);
  if (f.isRect) {
    Rectangle(Sw.dc, f.rect[0], f.rect[1], f.rect[2], f.rect[3]);
  } else {
    POINT p[3];
    for (int i = 0; i < f.n; ++i) p[i] = {f.pts[i][0], f.pts[i][1]};
    Polyline(Sw.dc, p, f.n);
  }
  SetBkMode(Sw.dc, bk);
  SelectObject(Sw.dc, brush);
  SelectObject(Sw.dc, pen);
  SetROP2(Sw.dc, old);
}

}  // namespace

void RubberDraw() {
  if (!Sw.dc) return;
  // At the cursor mark: the snapped point, not the raw mouse.
  FigureDraw(Sw.markAt.x, Sw.markAt.y);
  Rubber.cx = Sw.markAt.x;
  Rubber.cy = Sw.markAt.y;
}

void RubberMove() {
  if (!Sw.dc || !Rubber.shown) return;
  FigureDraw(Rubber.cx, Rubber.cy);
  RubberDraw();
}

void RubberShow(int on) {
  if (on == Rubber.shown || !Sw.dc) return;
  if (on) RubberDraw();
  else FigureDraw(Rubber.cx, Rubber.cy);
  Rubber.shown = on;
  View.rubberShown = on;
}

void CursorShowSys(int on) {
  if (on == Sw.sysCursorShown) return;
  POINT keep;
  GetCursorPos(&keep);
  if (on) {
    while (ShowCursor(TRUE) < 0) {
    }
  } else {
    while (ShowCursor(FALSE) >= 0) {
    }
  }
  SetCursorPos(keep.x, keep.y);
  Sw.sysCursorShown = on;
}

void CursorClear() {
  if (!Sw.dc) return;
  RubberShow(0);
  if (Sw.markShown) MarkDraw(Sw.markAt);
  if (Sw.crossShown) CrossDraw(Sw.markAt);
  Sw.markShown = Sw.crossShown = 0;
}

void CursorMarkMove(int x, int y) {
  if (!Sw.dc) return;
  CursorClear();
  Sw.markAt.x = x;
  Sw.markAt.y = y;
  MarkDraw(Sw.markAt);
  Sw.markShown = 1;
  if (Sw.crossHair) {
    CrossDraw(Sw.markAt);
    Sw.crossShown = 1;
  }
}

void CrossLinesToggle() {
  CursorClear();
  Sw.crossHair = !Sw.crossHair;
}

void MarkerAt(int px, int py) {
  if (!Sw.dc) return;
  int old = SetROP2(Sw.dc, R2_XORPEN);
  HGDIOBJ pen = SelectObject(Sw.dc, GetStockObject(WHITE_PEN));
  HGDIOBJ brush = SelectObject(Sw.dc, GetStockObject(NULL_BRUSH));
  Rectangle(Sw.dc, px - 3, py - 3, px + 4, py + 4);
  SelectObject(Sw.dc, brush);
  SelectObject(Sw.dc, pen);
  SetROP2(Sw.dc, old);
}
