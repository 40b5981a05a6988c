#include "canvasgdi.h"

#include <cstring>

#include "mainsetup.h"

GdiResources GdiRes;

COLORREF GdiColourOf(const CanvasPaint& p) {
  if (p.useRgb) return RGB(p.r, p.g, p.b);
  int c = p.colour >= 0 && p.colour < PAL_COLOURS ? p.colour : 0;
  const SetupRgb& s = MainSetup.scnrgb[c];
  return RGB(s.r, s.g, s.b);
}

static HBITMAP MonoBitmap(int w, int h, const uint8_t* rows, int rowBytes) {
  // Device-dependent bitmaps want rows padded to 16 bits.
  uint8_t bits[16 * 2];
  int stride = (w + 15) / 16 * 2;
  memset(bits, 0, sizeof bits);
  for (int y = 0; y < h && y < 16; ++y)
    for (int b = 0; b < rowBytes && b < stride; ++b) bits[y * stride + b] = rows[y * rowBytes + b];
  return CreateBitmap(w, h, 1, 1, bits);
}

int GdiResourcesMake() {
  if (GdiRes.made) return 1;
  for (int set = 0; set < 3; ++set)
    for (int i = 0; i < FILL_PATTERNS; ++i) {
      int n = set == FILLSET_PRINT ? 16 : 8;
      GdiRes.patBmp[set][i] = MonoBitmap(n, n, FillPatternRows(set, i), n / 8);
      GdiRes.patBrush[set][i] = GdiRes.patBmp[set][i] ? CreatePatternBrush(GdiRes.patBmp[set][i]) : nullptr;
    }
  HDC screen = GetDC(nullptr);
  for (int k = 0; k < MARK_KINDS; ++k) {
    const MarkerImage* m = MarkerImageOf(k);
    GdiRes.markBmp[k] = MonoBitmap(m->width, m->height, &m->rows[0][0], 2);
    GdiRes.markDc[k] = CreateCompatibleDC(screen);
    GdiRes.markOld[k] = GdiRes.markDc[k] ? SelectObject(GdiRes.markDc[k], GdiRes.markBmp[k]) : nullptr;
  }
  ReleaseDC(nullptr, screen);
  struct {
    LOGPALETTE lp;
    PALETTEENTRY more[PAL_COLOURS];
  } pal;
  pal.lp.palVersion = 0x300;
  pal.lp.palNumEntries = PAL_COLOURS;
  for (int i = 0; i < PAL_COLOURS; ++i) {
    PALETTEENTRY& e = i == 0 ? pal.lp.palPalEntry[0] : pal.more[i - 1];
    e.peRed = PaletteRgb[i].r;
    e.peGreen = PaletteRgb[i].g;
    e.peBlue = PaletteRgb[i].b;
    e.peFlags = 0;
  }
  GdiRes.palette = CreatePalette(&pal.lp);
  GdiRes.made = 1;
  return 1;
}

void GdiResourcesFree() {
  if (!GdiRes.made) return;
  for (int set = 0; set < 3; ++set)
    for (int i = 0; i < FILL_PATTERNS; ++i) {
      if (GdiRes.patBrush[set][i]) DeleteObject(GdiRes.patBrush[set][i]);
      if (GdiRes.patBmp[set][i]) DeleteObject(GdiRes.patBmp[set][i]);
    }
  for (int k = 0; k < MARK_KINDS; ++k) {
    if (GdiRes.markDc[k]) {
      SelectObject(GdiRes.markDc[k], GdiRes.markOld[k]);
      DeleteDC(GdiRes.markDc[k]);
    }
    if (GdiRes.markBmp[k]) DeleteObject(GdiRes.markBmp[k]);
  }
  if (GdiRes.palette) DeleteObject(GdiRes.palette);
  memset(&GdiRes, 0, sizeof GdiRes);
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
  int set = p.fillSet >= 0 && p.fillSet < 3 ? p.fillSet : 0;
  HBRUSH brush = GdiRes.patBrush[set][p.fill];
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
  if (image < 0 || image >= MARK_KINDS || !GdiRes.markDc[image]) return;
  const MarkerImage* m = MarkerImageOf(image);
  CanvasPaint p{};
  p.colour = colour;
  SetTextColor(g->dc, RGB(0, 0, 0));
  SetBkColor(g->dc, RGB(255, 255, 255));
  BitBlt(g->dc, x, y, m->width, m->height, GdiRes.markDc[image], 0, 0, 0x00220326);  // DSna
  SetBkColor(g->dc, GdiColourOf(p));
  BitBlt(g->dc, x, y, m->width, m->height, GdiRes.markDc[image], 0, 0, SRCPAINT);
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
