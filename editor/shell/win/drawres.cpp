#include "drawres.h"

#include <cstring>

DrawResources DrawRes;

namespace {

HBRUSH BrushFromBits(int w, int h, const void* bits) {
  HBITMAP bmp = CreateBitmap(w, h, 1, 1, bits);
  if (!bmp) return nullptr;
  HBRUSH b = CreatePatternBrush(bmp);
  DeleteObject(bmp);  // the brush keeps its own copy
  return b;
}

HBRUSH Brush8(const uint8_t rows[8]) {
  uint16_t words[8];
  FillWords8(rows, words);
  // Monochrome bitmap rows are words, high byte first in memory.
  uint8_t bytes[16];
  for (int i = 0; i < 8; ++i) {
    bytes[2 * i] = (uint8_t)(words[i] >> 8);
    bytes[2 * i + 1] = (uint8_t)(words[i] & 0xFF);
  }
  return BrushFromBits(8, 8, bytes);
}

int MarkMake(int k, HDC windowDc, int w, int h, const uint8_t (*rows)[2]) {
  DrawRes.markBmp[k] = CreateBitmap(w, h, 1, 1, rows);
  DrawRes.markDc[k] = CreateCompatibleDC(windowDc);
  if (!DrawRes.markBmp[k] || !DrawRes.markDc[k]) return 0;
  SelectObject(DrawRes.markDc[k], DrawRes.markBmp[k]);
  return 1;
}

}  // namespace

int DrawResourcesCreate(HDC windowDc) {
  int ok = 1;
  for (int i = 0; i < FILL_PATTERNS; ++i) {
    DrawRes.screen[i] = Brush8(FillScreen[i]);
    DrawRes.fine[i] = Brush8(FillFine[i]);
    DrawRes.print[i] = BrushFromBits(16, 16, FillPrint[i]);
    ok = ok && DrawRes.screen[i] && DrawRes.fine[i] && DrawRes.print[i];
  }
  ok = MarkMake(MARK_VERTEX, windowDc, 16, 7, MarkVertex) && ok;
  ok = MarkMake(MARK_LAST_VERTEX, windowDc, 16, 7, MarkLastVertex) && ok;
  ok = MarkMake(MARK_ORIGIN, windowDc, 16, 13, MarkOrigin) && ok;
  DrawRes.dotPen = CreatePen(PS_DOT, 0, PALETTEINDEX(7));
  struct {
    WORD version, count;
    PALETTEENTRY entries[PALETTE_COLOURS];
  } lp;
  lp.version = 0x300;
  lp.count = PALETTE_COLOURS;
  for (int i = 0; i < PALETTE_COLOURS; ++i) {
    lp.entries[i].peRed = PaletteRgb[i][0];
    lp.entries[i].peGreen = PaletteRgb[i][1];
    lp.entries[i].peBlue = PaletteRgb[i][2];
    lp.entries[i].peFlags = 0;
  }
  DrawRes.palette = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
  return ok && DrawRes.dotPen && DrawRes.palette;
}

void DrawResourcesFree() {
  for (int i = 0; i < FILL_PATTERNS; ++i) {
    if (DrawRes.screen[i]) DeleteObject(DrawRes.screen[i]);
    if (DrawRes.fine[i]) DeleteObject(DrawRes.fine[i]);
    if (DrawRes.print[i]) DeleteObject(DrawRes.print[i]);
  }
  for (int k = 0; k < MARK_COUNT; ++k) {
    if (DrawRes.markDc[k]) DeleteDC(DrawRes.markDc[k]);
    if (DrawRes.markBmp[k]) DeleteObject(DrawRes.markBmp[k]);
  }
  if (DrawRes.dotPen) DeleteObject(DrawRes.dotPen);
  if (DrawRes.palette) DeleteObject(DrawRes.palette);
  DrawRes = DrawResources();
}
