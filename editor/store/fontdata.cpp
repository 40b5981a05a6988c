// The editor's own stroke font. Each glyph is written as strokes separated
// by blanks; a stroke is a run of points, two hexadecimal digits each (x then
// y on the 16 x 16 grid). The baseline is y 3, capitals and digits reach
// y 15, the lower case x-height is y 11 and descenders go down to y 0.
// Round letters are drawn as two open strokes: a stroke that closes would be
// filled on a layer with a fill pattern and turn the letter into a blob.
#include "font.h"

#include <cstring>

namespace {

const char* const kGlyphs[TFF_GLYPHS] = {
    "",                                                  // space
    "1F16 1413",                                         // !
    "1F1C 4F4C",                                         // "
    "2F23 6F63 0B8B 0787",                               // #
    "8C6E2E0C0B29698786642406 4F42",                     // $
    "038F 1F0E0D1C2C3D3E2F 6655546373848576",            // %
    "832C2E3F5F6E6C0705234387",                          // &
    "2F2C",                                              // '
    "4F2D1A152240",                                      // (
    "0F2D3A352200",                                      // )
    "4E46 1D77 7D17",                                    // *
    "4D45 0989",                                         // +
    "242311",                                            // ,
    "1979",                                              // -
    "1413",                                              // .
    "036F",                                              // /
    "5F2F0D052353 53757D5F 156C",                        // 0
    "2D5F53 2373",                                       // 1
    "0D2F6F8D8B0383",                                    // 2
    "0D2F6F8D8B6939 698785632305",                       // 3
    "636F0787",                                          // 4
    "8F0F0A6A8885632305",                                // 5
    "7E5F2F0D0523638587692907",                          // 6
    "0F8F33",                                            // 7
    "290B0D2F6F 6F8D8B6929 2907052363858769",            // 8
    "143363858D6F2F0D0B29698B",                          // 9
    "1B1A 1413",                                         // :
    "1B1A 141301",                                       // ;
    "7E0974",                                            // <
    "0B7B 0777",                                         // =
    "0E7904",                                            // >
    "0D2F6F8D8B4846 4443",                               // ?
    "6B6776878C6F2F0D052373 6A5B3B2A28375768",           // @
    "034F83 1676",                                       // A
    "030F6F8D8B6909 6987856303",                         // B
    "8D6F2F0D05236385",                                  // C
    "030F5F8C 8C865303",                                 // D
    "8F0F0383 0969",                                     // E
    "8F0F03 0969",                                       // F
    "8D6F2F0D052363858858",                              // G
    "030F 838F 0989",                                    // H
    "2F6F 4F43 2363",                                    // I
    "8F85632305",                                        // J
    "030F 8F07 3A83",                                    // K
    "0F0383",                                            // L
    "030F57AFA3",                                        // M
    "030F838F",                                          // N
    "6F2F0D052363 63858D6F",                             // O
    "030F6F8D8B6909",                                    // P
    "6F2F0D052363 63858D6F 5683",                        // Q
    "030F6F8D8B6909 4983",                               // R
    "8D6F2F0D0B29698785632305",                          // S
    "0F8F 4F43",                                         // T
    "0F052363858F",                                      // U
    "0F438F",                                            // V
    "0F235783AF",                                        // W
    "0F83 038F",                                         // X
    "0F498F 4943",                                       // Y
    "0F8F0383",                                          // Z
    "4F1F1040",                                          // [
    "0F63",                                              // backslash
    "0F3F3000",                                          // ]
    "1B4F7B",                                            // ^
    "0080",                                              // _
    "1F3C",                                              // `
    "6B63 694B2B0905234365",                             // a
    "0F03 092B4B6965432305",                             // b
    "6A4B2B0905234364",                                  // c
    "6F63 694B2B0905234365",                             // d
    "0767694B2B0905234364",                              // e
    "6E5F3F2E23 0B5B",                                   // f
    "6B61401001 694B2B0905234365",                       // g
    "0F03 092B4B6963",                                   // h
    "1B13 1E1D",                                         // i
    "3B312000 3E3D",                                     // j
    "0F03 6B05 2763",                                    // k
    "1F142333",                                          // l
    "0B03 092B3B4943 496B7B8983",                        // m
    "0B03 092B4B6963",                                   // n
    "4B2B09052343 4365694B",                             // o
    "0B00 092B4B6965432305",                             // p
    "6B60 694B2B0905234365",                             // q
    "0B03 082A4B5B6A",                                   // r
    "6A4B2B0A0827476664432304",                          // s
    "2E24335364 0B5B",                                   // t
    "0B05234365 6B63",                                   // u
    "0B336B",                                            // v
    "0B2348638B",                                        // w
    "0B63 036B",                                         // x
    "0B34 6B10",                                         // y
    "0B6B0363",                                          // z
    "5F3E3A18363150",                                    // {
    "2F20",                                              // |
    "1F3E3A58363110",                                    // }
    "082A587A",                                          // ~
    "030F8F83 8303",                                     // 127: an open box
};

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Builds the file image once, at start-up.
struct Builtin {
  uint8_t bytes[TFF_SIZE];
  Builtin() {
    memset(bytes, TFF_END, sizeof bytes);
    for (int g = 0; g < TFF_GLYPHS; ++g) {
      uint8_t* slot = bytes + g * TFF_SLOT;
      int n = 0;
      const char* p = kGlyphs[g];
      bool inStroke = false;
      // Leave room for the stroke end and the glyph end.
      while (*p && n < TFF_SLOT - 2) {
        if (*p == ' ') {
          if (inStroke) slot[n++] = TFF_END;
          inStroke = false;
          ++p;
          continue;
        }
        int x = HexDigit(p[0]);
        int y = p[1] ? HexDigit(p[1]) : -1;
        if (x < 0 || y < 0) break;
        slot[n++] = static_cast<uint8_t>((x << 4) | y);
        inStroke = true;
        p += 2;
      }
      // The rest of the slot is already 0xFF: stroke end and glyph end.
    }
  }
};

}  // namespace

const uint8_t* TffBuiltinFont() {
  static const Builtin font;
  return font.bytes;
}
