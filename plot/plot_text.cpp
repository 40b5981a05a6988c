#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <cstring>

#include "host.h"
#include "plot.h"
#include "orient.h"
#include "satlib.h"
#include "satutil.h"

int FontLoad(PlotState& st) {
  // The built-in font first: whatever a file does not cover is taken from it.
  memcpy(st.font.table, TffBuiltinFont(), TFF_SIZE);
  FILE* f = st.set.fontFile[0] ? SatOpen(st.set.fontFile, "rb") : nullptr;
  if (!f) {
    if (st.set.v[PK_TFN][0]) {
      WarningShow("Font File is Incorrect or Missing ... Using Standard Font");
      st.set.v[PK_TFN][0] = '\0';
    }
    return 0;
  }
  uint8_t* bytes = &st.font.table[0][0];
  size_t got = fread(bytes, 1, TFF_SIZE, f);
  fclose(f);
  if (got < TFF_SIZE) {
    // The glyph the file ends in ends there.
    size_t end = (got / TFF_SLOT + 1) * TFF_SLOT;
    memset(bytes + got, TFF_END, end - got);
  }
  return 1;
}

int64_t TextHeightRound(double a) {
  double v = std::floor(std::fabs(a) / 15 + 0.5) * 15;
  if (v < 15) return 15;
  if (v > 9830400) return 9830400;
  return (int64_t)v;
}

void GlyphDraw(PlotState& st, int c, int d, int64_t x0, int64_t y0, int64_t size, int orient, int index) {
  PlotWalk& w = st.walk;
  if (index == 0) st.font.advance = 0;
  if (c < 32 || c > 127) return;
  const uint8_t* slot = st.font.table[c - 32];
  int64_t width = 0;
  int pos = 0, start = 0, count = 0;
  while (TffStrokeNext(slot, &pos, &start, &count)) {
    for (int k = 0; k < count; ++k) {
      uint8_t b = slot[start + k];
      int64_t gx = size * (b >> 4) / 15, gy = size * (b & 0x0F) / 15;
      if (gx > width) width = gx;
      int64_t x = gx + st.font.advance, y = gy;
      if (orient & 7) OrientPoint(orient & 7, gx + st.font.advance, gy, &x, &y);
      x += x0;
      y += y0;
      PlaceStackXform(st, d, &x, &y);
      w.x[k] = x;
      w.y[k] = y;
    }
    w.n = count - 1;
    if (w.n < 1) continue;
    if (st.set.ppm && w.n > 2)
      PolyDraw(st);
    else
      PolylineDraw(st);
  }
  if (width == 0) width = size / 3;
  st.font.advance += width + (int64_t)((double)size * st.set.tsr);
}

void PlotTextObj(PlotState& st, const DrcPathRec& p, int d) {
  const PlotGeom& g = st.geom;
  if (p.nv < 1 || !p.xy) return;
  int layer = (int)(p.word0 & 0x1ff);
  int orient = (int)((p.word0 >> 17) & 7);
  int64_t L = 8 * (int64_t)(p.nv - 1);
  LayerDash(st, layer);
  int64_t size = p.width < 15 ? 15 : p.width;
  if (size < g.minSize) return;
  int64_t x0 = p.xy[0], y0 = p.xy[1];
  int64_t ex = L * size, ey = size;
  OrientPoint(orient, L * size, size, &ex, &ey);
  int64_t l = x0, b = y0, r = x0 + ex, t = y0 + ey;
  if (d >= 0) {
    PlaceStackXform(st, d, &l, &b);
    PlaceStackXform(st, d, &r, &t);
  }
  if (l > r) std::swap(l, r);
  if (b > t) std::swap(b, t);
  if (r < g.dl || l > g.dr || t < g.db || b > g.dt) return;
  int index = 0;
  for (int32_t v = 1; v < p.nv; ++v) {
    uint32_t words[2] = {(uint32_t)p.xy[2 * v], (uint32_t)p.xy[2 * v + 1]};
    for (uint32_t word : words)
      for (int k = 3; k >= 0; --k) GlyphDraw(st, (int)((word >> (8 * k)) & 0xFF), d, x0, y0, size, orient, index++);
  }
}

void TextString(PlotState& st, const char* name, int64_t l, int64_t b, int64_t r, int64_t t) {
  int64_t size = TextHeightRound((double)((std::llabs(t - b) + std::llabs(r - l)) / 16));
  int64_t x0 = l + size / 2;
  size_t len = strlen(name);
  for (size_t i = 0; i <= len; ++i) GlyphDraw(st, (unsigned char)name[i], -1, x0, b, size, 0, (int)i);
}
