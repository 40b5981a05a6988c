#include "font.h"

#include "host.h"
#include "mainsetup.h"

#include <cstdio>
#include <cstring>

namespace {

FontState BuiltinState() {
  FontState s;
  memcpy(s.table, TffBuiltinFont(), TFF_SIZE);
  return s;
}

}  // namespace

FontState Font = BuiltinState();

void FontReset() { memcpy(Font.table, TffBuiltinFont(), TFF_SIZE); }

int TffRead() {
  FILE* f = fopen(MainSetup.tffname, "rb");
  if (f) {
    // Read into a scratch table: a short file must not leave half a font.
    uint8_t scratch[TFF_SIZE];
    size_t got = fread(scratch, 1, TFF_SIZE, f);
    fclose(f);
    if (got == TFF_SIZE) {
      memcpy(Font.table, scratch, TFF_SIZE);
      return 1;
    }
    if (!MainSetup.winemods)
      HostWarning("Font File is Incorrect ... Using Default Font\n\nCheck for Correct File");
  } else if (!MainSetup.winemods) {
    HostWarning("Font File is Missing ... Using Default Font\n\nCheck for Correct File");
  }
  FontReset();
  return 0;
}

const uint8_t* TffSlot(int code) {
  if (code < 32 || code > 127) return nullptr;
  return Font.table[code - 32];
}

int TffStrokeNext(const uint8_t* slot, int* pos, int* start, int* count) {
  if (!slot || *pos < 0 || *pos >= TFF_SLOT) return 0;
  // 0xFF where a stroke would begin: the glyph ends (an empty glyph, or the
  // second 0xFF after a stroke).
  if (slot[*pos] == TFF_END) {
    *pos = TFF_SLOT;
    return 0;
  }
  int p = *pos;
  *start = p;
  while (p < TFF_SLOT && slot[p] != TFF_END) ++p;
  *count = p - *start;
  // Past the stroke's end mark; the end of the slot ends the glyph too.
  *pos = p < TFF_SLOT ? p + 1 : TFF_SLOT;
  return 1;
}

int TffGlyphMaxX(const uint8_t* slot) {
  int pos = 0, start, count, best = -1;
  while (TffStrokeNext(slot, &pos, &start, &count))
    for (int i = 0; i < count; ++i) {
      int x = slot[start + i] >> 4;
      if (x > best) best = x;
    }
  return best;
}
