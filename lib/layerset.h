// A set of layers 1..256 and its text form. The editor's view and open sets,
// the satellites' layer filters and the setup file all use this one layout:
// four 64-bit words, layer n being bit (n - 1) % 64 of word (n - 1) / 64.
#ifndef QUIL_LIB_LAYERSET_H
#define QUIL_LIB_LAYERSET_H

#include <cstddef>
#include <cstdint>

enum { LAYERSET_WORDS = 4, LAYERSET_LAYERS = 256 };

// Longest text LyrRangeText keeps growing: appending stops once the text is
// longer than this many characters.
enum { LAYERSET_TEXT_LIMIT = 1019 };

struct LayerSet {
  uint64_t w[LAYERSET_WORDS];
};

void LayerSetClear(LayerSet* set);
// Every layer 1..256.
void LayerSetAll(LayerSet* set);
int LayerSetEmpty(const LayerSet* set);

// Sets layer n when 1 <= n <= 256; any other n does nothing.
void LyrSelSet(LayerSet* set, int n);
// 1 when 1 <= n <= 256 and layer n is in the set, else 0.
int LyrSelTest(const LayerSet* set, int n);
// One token of a layer text: "7" one layer; "a-b" every layer between a and
// b in either order, a missing or zero a meaning 1 and a missing or zero b
// meaning 256 ("-" is all, "12-" is 12..256, "-5" 1..5, "9-3" 3..9). Only the
// first 7 characters of the token count.
void LyrSelRange(LayerSet* set, const char* token);
// A whole layer text such as "1-5 9 12-", tokens split at blanks. An empty
// text (or only blanks) leaves the set unchanged; otherwise the set is
// cleared first.
void LyrSelParse(LayerSet* set, const char* text);

// Appends the set bits of one 64-bit word as ranges: bit i - 1 stands for
// layer offset + i; each single layer or run "a-b" is followed by one blank
// (bits 3..7 and 9 at offset 0 give "3-7 9 "). Never writes past size bytes
// (the text is always terminated) and stops appending once the text is
// longer than LAYERSET_TEXT_LIMIT characters. An empty word appends nothing.
void LyrRangeText(uint64_t mask, int offset, char* text, size_t size);
// The whole set as one text (the four words at offsets 0, 64, 128, 192);
// the text is emptied first.
void LyrSetText(const LayerSet* set, char* text, size_t size);

#endif
