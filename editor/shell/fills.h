// The drawing's fixed picture data: the 22-colour palette, the three sets
// of 15 fill patterns (screen, fine, printing) and the marker images. The
// start-up makes the brushes, bitmaps and palette from them.
#ifndef QUIL_EDITOR_SHELL_FILLS_H
#define QUIL_EDITOR_SHELL_FILLS_H

#include <cstdint>

enum { PALETTE_COLOURS = 22, FILL_PATTERNS = 15 };

// Red, green, blue of palette entries 0..21.
extern const uint8_t PaletteRgb[PALETTE_COLOURS][3];

// Rows top to bottom, most significant bit leftmost; a set bit is painted.
extern const uint8_t FillScreen[FILL_PATTERNS][8];
extern const uint8_t FillFine[FILL_PATTERNS][8];
// 16 x 16: each row two bytes, leftmost byte first.
extern const uint8_t FillPrint[FILL_PATTERNS][32];

// Marker images, one bit a pixel, 16 pixels a row (two bytes, leftmost
// first): the small-object and vertex marker (7 rows), the last-vertex
// marker (7 rows), the origin marker (13 rows, 14 pixels used).
extern const uint8_t MarkVertex[7][2];
extern const uint8_t MarkLastVertex[7][2];
extern const uint8_t MarkOrigin[13][2];

// One pattern as rows of 16-bit words, the form monochrome bitmaps take
// (each 8-pixel screen row is repeated into both bytes of its word).
void FillWords8(const uint8_t rows[8], uint16_t out[8]);

#endif
