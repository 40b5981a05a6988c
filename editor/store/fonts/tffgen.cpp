// Makes the five font files shipped beside the editor from its built-in
// font, and renders a font as a picture to look at:
//   tffgen <folder>                  writes Font1.tff .. Font5.tff
//   tffgen --preview <out.pgm> [file.tff]
// Font1 is the built-in font itself; Font2 slants it, Font3 doubles every
// stroke one step to the right (bold), Font4 is bold and slanted, Font5 is
// drawn wider.
#include "font.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

typedef void (*PointMap)(int* x, int* y);

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// Points stay inside 0..14 in x, so no point can read as the end mark 0xFF.
void Slant(int* x, int* y) { *x = Clamp(*x + static_cast<int>(std::lround((*y - 3) / 4.0)), 0, 14); }
void Wide(int* x, int*) { *x = Clamp(static_cast<int>(std::lround(*x * 1.4)), 0, 14); }
void Bold(int* x, int*) { *x = Clamp(*x + 1, 0, 14); }

// Rewrites every stroke of src through map; with bold, a copy of each stroke
// one step to the right follows it when the slot has room.
void Restyle(const uint8_t* src, uint8_t* dst, PointMap map, bool bold) {
  memset(dst, TFF_END, TFF_SIZE);
  for (int g = 0; g < TFF_GLYPHS; ++g) {
    const uint8_t* in = src + g * TFF_SLOT;
    uint8_t* out = dst + g * TFF_SLOT;
    int n = 0, pos = 0, start, count;
    while (TffStrokeNext(in, &pos, &start, &count)) {
      for (int copy = 0; copy < (bold ? 2 : 1); ++copy) {
        if (n + count + 2 > TFF_SLOT) break;
        for (int i = 0; i < count; ++i) {
          int x = in[start + i] >> 4, y = in[start + i] & 15;
          if (map) map(&x, &y);
          if (copy) Bold(&x, &y);
          out[n++] = static_cast<uint8_t>((x << 4) | y);
        }
        out[n++] = TFF_END;
      }
    }
  }
}

int WriteFile(const char* path, const uint8_t* bytes) {
  FILE* f = fopen(path, "wb");
  if (!f) return 0;
  size_t put = fwrite(bytes, 1, TFF_SIZE, f);
  return (fclose(f) == 0 && put == TFF_SIZE) ? 1 : 0;
}

// A greyscale picture of all 96 glyphs, 16 to a row, on a dotted grid that
// marks the baseline and the cap height.
int Preview(const char* out, const uint8_t* font) {
  const int px = 5, cell = 18 * px, cols = 16, rows = 6;
  const int w = cols * cell, h = rows * cell;
  std::vector<uint8_t> img(static_cast<size_t>(w) * h, 255);
  auto plot = [&](int x, int y, uint8_t v) {
    if (x >= 0 && x < w && y >= 0 && y < h) img[static_cast<size_t>(y) * w + x] = v;
  };
  for (int g = 0; g < TFF_GLYPHS; ++g) {
    int ox = (g % cols) * cell + px, oy = (g / cols) * cell + px;
    auto X = [&](int gx) { return ox + gx * px; };
    auto Y = [&](int gy) { return oy + (15 - gy) * px; };
    for (int gx = 0; gx < 16; gx += 1) {
      plot(X(gx), Y(3), 180);
      plot(X(gx), Y(15), 210);
      plot(X(gx), Y(0), 225);
    }
    const uint8_t* slot = font + g * TFF_SLOT;
    int pos = 0, start, count;
    while (TffStrokeNext(slot, &pos, &start, &count)) {
      for (int i = 0; i < count; ++i) {
        int x0 = X(slot[start + i] >> 4), y0 = Y(slot[start + i] & 15);
        int x1 = x0, y1 = y0;
        if (i + 1 < count) x1 = X(slot[start + i + 1] >> 4), y1 = Y(slot[start + i + 1] & 15);
        int steps = std::abs(x1 - x0) > std::abs(y1 - y0) ? std::abs(x1 - x0) : std::abs(y1 - y0);
        for (int s = 0; s <= steps; ++s) {
          int x = steps ? x0 + (x1 - x0) * s / steps : x0;
          int y = steps ? y0 + (y1 - y0) * s / steps : y0;
          for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) plot(x + dx, y + dy, 0);
        }
      }
    }
  }
  FILE* f = fopen(out, "wb");
  if (!f) return 0;
  fprintf(f, "P5\n%d %d\n255\n", w, h);
  fwrite(img.data(), 1, img.size(), f);
  return fclose(f) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && !strcmp(argv[1], "--preview")) {
    std::vector<uint8_t> font(TffBuiltinFont(), TffBuiltinFont() + TFF_SIZE);
    if (argc >= 4) {
      FILE* f = fopen(argv[3], "rb");
      if (!f || fread(font.data(), 1, TFF_SIZE, f) != TFF_SIZE) {
        fprintf(stderr, "tffgen: can't read %s\n", argv[3]);
        return 1;
      }
      fclose(f);
    }
    return Preview(argv[2], font.data()) ? 0 : 1;
  }
  if (argc != 2) {
    fprintf(stderr, "usage: tffgen <folder> | tffgen --preview <out.pgm> [file.tff]\n");
    return 2;
  }
  static uint8_t styled[5][TFF_SIZE];
  memcpy(styled[0], TffBuiltinFont(), TFF_SIZE);
  Restyle(TffBuiltinFont(), styled[1], Slant, false);
  Restyle(TffBuiltinFont(), styled[2], nullptr, true);
  Restyle(TffBuiltinFont(), styled[3], Slant, true);
  Restyle(TffBuiltinFont(), styled[4], Wide, false);
  for (int i = 0; i < 5; ++i) {
    char path[1024];
    snprintf(path, sizeof path, "%s/Font%d.tff", argv[1], i + 1);
    if (!WriteFile(path, styled[i])) {
      fprintf(stderr, "tffgen: can't write %s\n", path);
      return 1;
    }
  }
  return 0;
}
