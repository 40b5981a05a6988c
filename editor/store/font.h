// The text font: 96 glyph slots of 128 bytes (characters 32..127), as the
// font files hold them. A byte (x << 4) | y is a point on the 16 x 16 grid,
// 0xFF ends a stroke and a second 0xFF the glyph; an empty slot starts with
// 0xFF. The editor always has a usable font: the built-in one stands in for
// a missing or short file.
#ifndef QUIL_EDITOR_STORE_FONT_H
#define QUIL_EDITOR_STORE_FONT_H

#include <cstdint>

enum {
  TFF_GLYPHS = 96,
  TFF_SLOT = 128,
  TFF_SIZE = TFF_GLYPHS * TFF_SLOT,  // 12,288 bytes, no header
  TFF_END = 0xFF,
};

struct FontState {
  uint8_t table[TFF_GLYPHS][TFF_SLOT];
};

extern FontState Font;

// The built-in font, in the file layout (TFF_SIZE bytes).
const uint8_t* TffBuiltinFont();

// Restores the built-in font (also used by tests).
void FontReset();

// Reads the font file named by the setup's "tffname=": 1 when all 12,288
// bytes were read (a longer file is read up to that size), 0 when the file
// was missing or short and the built-in font is in use; the user is told
// which, unless Wine mode is on.
int TffRead();

// The slot of a character, or null for a code outside 32..127.
const uint8_t* TffSlot(int code);

// Walks the strokes of a slot without ever leaving it, whatever its bytes
// hold. Start with *pos = 0; each call that gives 1 has found a stroke of
// *count points at slot[*start .. *start + *count); 0 means the glyph ended.
int TffStrokeNext(const uint8_t* slot, int* pos, int* start, int* count);

// The largest x of a glyph's points, or -1 for an empty glyph.
int TffGlyphMaxX(const uint8_t* slot);

#endif
