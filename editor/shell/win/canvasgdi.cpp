#include "canvasgdi.h"

#include <cstring>

#include "drawres.h"
#include "mainsetup.h"

COLORREF GdiColourOf(const CanvasPaint& p) {
  if (p.useRgb) return RGB(p.r, p.g, p.b);
  int c = p.colour >= 0 && p.colour < PAL_COLOURS ? p.colour : 0;
  const SetupRgb& s = MainSetup.scnrgb[c];
  return RGB(s.r, s.g, s.b);
}

static GdiCanvas* G(void* ctx) { return static_cast<GdiCanvas*>(ctx); }

static void PenUse(GdiCanvas* g, const CanvasPaint& p) {
  COLORREF c = GdiColourOf(p);
  int style = p.style;
  if (g->pen && g->penColour == c && g->penStyle == style) return;
  HPEN pen = nullptr;
  if (g->wine) {
    static const int kPlain[5] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    pen = CreatePen(style >= 1 && style <= 4 ? kPlain[style] : PS_SOLID, 1, c);
  } else if (style >= 1 && style <= 4) {
    int n = 0;
    const int* d = DashTable(style, &n);
    DWORD dash[6];
    for (int i = 0; i < n; ++i) dash[i] = (DWORD)d[i];
    LOGBRUSH lb{BS_SOLID, c, 0};
    pen = ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT, 1, &lb, (DWORD)n, dash);
  } else if (style == 6) {
    LOGBRUSH lb{BS_SOLID, c, 0};
    pen = ExtCreatePen(PS_COSMETIC | PS_ALTERNATE, 1, &lb, 0, nullptr);
  }
  if (!pen) pen = CreatePen(PS_SOLID, 1, c);
  SelectObject(g->dc, pen);
  if (g->pen) DeleteObject(g->pen);
  g->pen = pen;
  g->penColour = c;
  g->penStyle = style;
}

static void GdiLine(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2) {
  GdiCanvas* g = G(ctx);
  PenUse(g, p);
  SetROP2(g->dc, R2_COPYPEN);
  SetBkMode(g->dc, TRANSPARENT);
  MoveToEx(g->dc, x1, y1, nullptr);
  LineTo(g->dc, x2, y2);
  LineTo(g->dc, x2 + 1, y2 + 1);
}

static void GdiRect(void* ctx, const CanvasPaint& p, int x1, int y1, int x2, int y2) {
  GdiCanvas* g = G(ctx);
  PenUse(g, p);
  SetROP2(g->dc, R2_COPYPEN);
  SetBkMode(g->dc, TRANSPARENT);
  POINT pts[5] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
  Polyline(g->dc, pts, 5);
}

static void GdiPolygon(void* ctx, const CanvasPaint& p, const CanvasPt* pts, int n) {
  GdiCanvas* g = G(ctx);
  if (n < 3 || p.fill <= 0 || p.fill >= FILL_PATTERNS) return;
  HBRUSH brush = p.fillSet == FILLSET_PRINT ? DrawRes.print[p.fill]
                 : p.fillSet == FILLSET_FINE ? DrawRes.fine[p.fill]
                                             : DrawRes.screen[p.fill];
  if (!brush) return;
  static POINT buf[256];
  POINT* pp = buf;
  POINT* big = nullptr;
  if (n > 256) {
    big = (POINT*)HeapAlloc(GetProcessHeap(), 0, sizeof(POINT) * (size_t)n);
    if (!big) return;
    pp = big;
  }
  for (int i = 0; i < n; ++i) {
    pp[i].x = pts[i].x;
    pp[i].y = pts[i].y;
  }
  HGDIOBJ oldPen = SelectObject(g->dc, GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = SelectObject(g->dc, brush);
  SetPolyFillMode(g->dc, ALTERNATE);
  SetBkMode(g->dc, OPAQUE);
  SetTextColor(g->dc, RGB(0, 0, 0));
  COLORREF c = GdiColourOf(p);
  // Set pattern bits paint in the background colour, clear bits in black,
  // which merging and masking leave without effect.
  switch (p.mix) {
    case CANVAS_MIX_MASKMERGE:
      SetBkColor(g->dc, RGB(255, 255, 255));
      SetROP2(g->dc, R2_MASKNOTPEN);
      Polygon(g->dc, pp, n);
      SetBkColor(g->dc, c);
      SetROP2(g->dc, R2_MERGEPEN);
      break;
    case CANVAS_MIX_MERGE:
      SetBkColor(g->dc, c);
      SetROP2(g->dc, R2_MERGEPEN);
      break;
    case CANVAS_MIX_MASKNOT:
      SetBkColor(g->dc, RGB(255, 255, 255));
      SetROP2(g->dc, R2_MASKNOTPEN);
      break;
    default:
      SetBkColor(g->dc, c);
      SetROP2(g->dc, R2_COPYPEN);
      break;
  }
  Polygon(g->dc, pp, n);
  SetROP2(g->dc, R2_COPYPEN);
  SetBkMode(g->dc, TRANSPARENT);
  SelectObject(g->dc, oldBrush);
  SelectObject(g->dc, oldPen);
  if (big) HeapFree(GetProcessHeap(), 0, big);
}

static void GdiMarker(void* ctx, int image, int x, int y, int colour) {
  GdiCanvas* g = G(ctx);
  if (image < 0 || image >= MARKER_KINDS) return;
  int k = image == MARKER_ORIGIN ? MARK_ORIGIN : image == MARKER_LAST ? MARK_LAST_VERTEX : MARK_VERTEX;
  HDC src = DrawRes.markDc[k];
  if (!src) return;
  const MarkerImage* m = MarkerImageOf(image);
  CanvasPaint p{};
  p.colour = colour;
  SetTextColor(g->dc, RGB(0, 0, 0));
  SetBkColor(g->dc, RGB(255, 255, 255));
  BitBlt(g->dc, x, y, m->width, m->height, src, 0, 0, 0x00220326);  // DSna
  SetBkColor(g->dc, GdiColourOf(p));
  BitBlt(g->dc, x, y, m->width, m->height, src, 0, 0, SRCPAINT);
}

static void GdiDot(void* ctx, const CanvasPaint& p, int x, int y, int w, int h, int mode) {
  GdiCanvas* g = G(ctx);
  if (mode == 0) {
    SetPixelV(g->dc, x, y, RGB(255, 255, 255));
  } else if (mode == 1) {
    CanvasPaint white = p;
    white.useRgb = 1;
    white.r = white.g = white.b = 255;
    white.style = 0;
    PenUse(g, white);
    SetROP2(g->dc, R2_XORPEN);
    MoveToEx(g->dc, x, y, nullptr);
    LineTo(g->dc, x + 1, y);
    SetROP2(g->dc, R2_COPYPEN);
  } else {
    HBRUSH b = CreateSolidBrush(GdiColourOf(p));
    RECT r{x, y, x + w, y + h};
    FillRect(g->dc, &r, b);
    DeleteObject(b);
  }
}

Canvas GdiCanvasMake(GdiCanvas* g) {
  g->pen = nullptr;
  g->penStyle = -1;
  Canvas c;
  c.ctx = g;
  c.line = GdiLine;
  c.rect = GdiRect;
  c.polygon = GdiPolygon;
  c.marker = GdiMarker;
  c.dot = GdiDot;
  return c;
}

void GdiCanvasEnd(GdiCanvas* g) {
  if (g->dc) SelectObject(g->dc, GetStockObject(WHITE_PEN));
  if (g->dc) SelectObject(g->dc, GetStockObject(NULL_BRUSH));
  if (g->pen) DeleteObject(g->pen);
  g->pen = nullptr;
  g->penStyle = -1;
}
