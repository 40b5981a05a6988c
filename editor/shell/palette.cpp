#include "palette.h"


const PalRgb PrinterRgbDefault[PAL_COLOURS] = {
    {0, 0, 0},       {0, 0, 192},     {0, 192, 0},     {0, 192, 192},   {192, 0, 0},
    {192, 0, 192},   {192, 128, 0},   {192, 192, 192}, {127, 127, 127}, {0, 0, 255},
    {0, 255, 0},     {0, 255, 255},   {255, 0, 0},     {255, 0, 255},   {255, 255, 0},
    {255, 255, 255}, {255, 160, 0},   {160, 255, 0},   {0, 255, 160},   {0, 160, 255},
    {255, 0, 160},   {160, 0, 255},
};

static const int kDash1[] = {10, 10};
static const int kDash2[] = {2, 5};
static const int kDash3[] = {10, 5, 2, 5};
static const int kDash4[] = {10, 5, 2, 5, 2, 5};

const int* DashTable(int style, int* count) {
  switch (style) {
    case 1: *count = 2; return kDash1;
    case 2: *count = 2; return kDash2;
    case 3: *count = 4; return kDash3;
    case 4: *count = 6; return kDash4;
    default: *count = 0; return nullptr;
  }
}

const uint8_t* FillPatternRows(int set, int index) {
  if (index < 0 || index >= FILL_PATTERNS) index = 0;
  if (set == FILLSET_PRINT) return FillPrint[index];
  return set == FILLSET_FINE ? FillFine[index] : FillScreen[index];
}

int FillPatternBit(int set, int index, int x, int y) {
  const uint8_t* rows = FillPatternRows(set, index);
  int n = set == FILLSET_PRINT ? 16 : 8;
  int px = ((x % n) + n) % n, py = ((y % n) + n) % n;
  if (n == 8) return (rows[py] >> (7 - px)) & 1;
  return (rows[2 * py + px / 8] >> (7 - px % 8)) & 1;
}

static MarkerImage Marker(int h, int hotY, const uint8_t (*rows)[2]) {
  MarkerImage m{};
  m.width = 16;
  m.height = h;
  m.hotX = 7;
  m.hotY = hotY;
  for (int r = 0; r < h; ++r) {
    m.rows[r][0] = rows[r][0];
    m.rows[r][1] = rows[r][1];
  }
  return m;
}

const MarkerImage* MarkerImageOf(int kind) {
  static const MarkerImage kMarkers[MARKER_KINDS] = {
      Marker(7, 3, MarkVertex), Marker(7, 3, MarkVertex), Marker(7, 3, MarkLastVertex),
      Marker(13, 6, MarkOrigin)};
  if (kind < 0 || kind >= MARKER_KINDS) kind = MARKER_SMALL;
  return &kMarkers[kind];
}
