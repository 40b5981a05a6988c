#include "layerset.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void LayerSetClear(LayerSet* set) {
  for (int i = 0; i < LAYERSET_WORDS; ++i) set->w[i] = 0;
}

void LayerSetAll(LayerSet* set) {
  for (int i = 0; i < LAYERSET_WORDS; ++i) set->w[i] = ~uint64_t(0);
}

int LayerSetEmpty(const LayerSet* set) {
  for (int i = 0; i < LAYERSET_WORDS; ++i)
    if (set->w[i]) return 0;
  return 1;
}

void LyrSelSet(LayerSet* set, int n) {
  if (n < 1 || n > LAYERSET_LAYERS) return;
  set->w[(n - 1) / 64] |= uint64_t(1) << ((n - 1) % 64);
}

int LyrSelTest(const LayerSet* set, int n) {
  if (n < 1 || n > LAYERSET_LAYERS) return 0;
  return (set->w[(n - 1) / 64] >> ((n - 1) % 64)) & 1 ? 1 : 0;
}

// atoi of a short piece that cannot overflow: the piece holds at most 7
// characters, so any value fits an int.
static int PieceNumber(const char* piece) { return atoi(piece); }

void LyrSelRange(LayerSet* set, const char* token) {
  if (!token) return;
  char t[8];
  size_t n = 0;
  while (n < 7 && token[n]) {
    t[n] = token[n];
    ++n;
  }
  t[n] = '\0';
  char* dash = strchr(t, '-');
  if (!dash) {
    LyrSelSet(set, PieceNumber(t));
    return;
  }
  *dash = '\0';
  int a = PieceNumber(t);
  int b = PieceNumber(dash + 1);
  if (a == 0) a = 1;
  if (b == 0) b = LAYERSET_LAYERS;
  int lo = a < b ? a : b;
  int hi = a < b ? b : a;
  // Only layers 1..256 can be set: clip the run instead of walking a
  // possibly huge range one number at a time.
  if (lo < 1) lo = 1;
  if (hi > LAYERSET_LAYERS) hi = LAYERSET_LAYERS;
  for (int i = lo; i <= hi; ++i) LyrSelSet(set, i);
}

void LyrSelParse(LayerSet* set, const char* text) {
  if (!text) return;
  const char* p = text;
  while (*p == ' ') ++p;
  if (!*p) return;
  LayerSetClear(set);
  while (*p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    char token[8];
    size_t n = 0;
    while (*p && *p != ' ') {
      if (n < sizeof token - 1) token[n++] = *p;
      ++p;
    }
    token[n] = '\0';
    LyrSelRange(set, token);
  }
}

// Appends one piece; gives 0 once the text may no longer grow.
static int Append(char* text, size_t size, const char* piece) {
  size_t len = strlen(text);
  if (len > LAYERSET_TEXT_LIMIT) return 0;
  size_t add = strlen(piece);
  if (len + add + 1 > size) return 0;
  memcpy(text + len, piece, add + 1);
  return 1;
}

void LyrRangeText(uint64_t mask, int offset, char* text, size_t size) {
  if (!text || size == 0 || mask == 0) return;
  char piece[32];
  int i = 1;
  while (i <= 64) {
    if (!((mask >> (i - 1)) & 1)) {
      ++i;
      continue;
    }
    int first = i;
    while (i + 1 <= 64 && ((mask >> i) & 1)) ++i;
    if (i > first)
      snprintf(piece, sizeof piece, "%d-%d ", offset + first, offset + i);
    else
      snprintf(piece, sizeof piece, "%d ", offset + first);
    if (!Append(text, size, piece)) return;
    ++i;
  }
}

void LyrSetText(const LayerSet* set, char* text, size_t size) {
  if (!text || size == 0) return;
  text[0] = '\0';
  for (int g = 0; g < LAYERSET_WORDS; ++g) LyrRangeText(set->w[g], 64 * g, text, size);
}
