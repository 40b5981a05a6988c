#include "inflate.h"

#include <cstring>

namespace {

// Table entry kinds. A base entry carries its extra-bit count in the low
// four bits; a link entry carries its sub-table's width there.
enum : uint8_t {
  OP_LIT = 0x00,
  OP_BASE = 0x10,
  OP_END = 0x20,
  OP_LINK = 0x40,
  OP_BAD = 0x80,
};

const int kMaxBits = 15;

// Lengths 3..258 for codes 257..287 and distances for codes 0..31; the last
// entries of each are codes the format reserves (extra 99: invalid).
const uint16_t kLenBase[31] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27, 31,
                               35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258, 0,  0};
const uint8_t kLenExtra[31] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                               3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0, 99, 99};
const uint16_t kDistBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,  25,  33,
                                49,   65,   97,   129,  193,  257,   385,   513,   769, 1025, 1537,
                                2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 0,   0};
const uint8_t kDistExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,  6,
                                7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 99, 99};
const uint8_t kClenOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

// ---- CRC-32 ------------------------------------------------------------

struct CrcTables {
  uint32_t t[8][256];
  CrcTables() {
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][n] = c;
    }
    // Eight bytes a step: each further table is the first advanced by a byte.
    for (uint32_t n = 0; n < 256; ++n)
      for (int k = 1; k < 8; ++k) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xff];
  }
};

const CrcTables& Crc() {
  static const CrcTables tables;
  return tables;
}

// ---- input ---------------------------------------------------------------

// Refills the input buffer from the member's remaining bytes; 0 at its end.
int Refill(InflateState* st) {
  if (st->inLeft == 0) return 0;
  size_t want = st->inLeft < (uint64_t)INFLATE_INBUF ? (size_t)st->inLeft : (size_t)INFLATE_INBUF;
  size_t got;
  if (st->inFile) {
    got = fread(st->inBuf, 1, want, st->inFile);
  } else {
    memcpy(st->inBuf, st->inMem, want);
    st->inMem += want;
    got = want;
  }
  st->inPos = 0;
  st->inLen = got;
  // A short read is the end of the file: nothing more will come.
  st->inLeft = got < want ? 0 : st->inLeft - got;
  return got > 0;
}

// Makes at least n (<= 32) bits available; 0 when the member ends first.
inline int Need(InflateState* st, int n) {
  while (st->bitCount < n) {
    if (st->inPos == st->inLen && !Refill(st)) return 0;
    st->bitBuf |= (uint64_t)st->inBuf[st->inPos++] << st->bitCount;
    st->bitCount += 8;
  }
  return 1;
}

// Tops the bit buffer up as far as the input allows, to 56 bits at least.
inline void Fill(InflateState* st) {
  while (st->bitCount <= 56) {
    if (st->inPos == st->inLen && !Refill(st)) return;
    st->bitBuf |= (uint64_t)st->inBuf[st->inPos++] << st->bitCount;
    st->bitCount += 8;
  }
}

inline uint32_t Peek(const InflateState* st, int n) { return (uint32_t)(st->bitBuf & ((1ull << n) - 1)); }

inline void Drop(InflateState* st, int n) {
  st->bitBuf >>= n;
  st->bitCount -= n;
}

// ---- output --------------------------------------------------------------

// Writes the window's first n bytes, within the member's size.
int Flush(InflateState* st, size_t n) {
  if (n == 0) return INFLATE_OK;
  size_t keep = n;
  if (st->outCount + n > st->outLimit) {
    keep = (size_t)(st->outLimit - st->outCount);
    st->overrun = 1;
  }
  Crc32Update(&st->crc, st->window, keep);
  if (st->outFile && keep && fwrite(st->window, 1, keep, st->outFile) != keep) return INFLATE_WRITE_FAILED;
  st->outCount += keep;
  return st->overrun ? INFLATE_BAD_DATA : INFLATE_OK;
}

inline uint64_t Produced(const InflateState* st) { return st->outCount + st->winPos; }

// ---- tables --------------------------------------------------------------

inline uint32_t Reverse(uint32_t code, int len) {
  uint32_t r = 0;
  for (int i = 0; i < len; ++i, code >>= 1) r = (r << 1) | (code & 1);
  return r;
}

InflateEntry EntryFor(int sym, int nSimple, const uint16_t* base, const uint8_t* extra, int bits) {
  InflateEntry e;
  e.bits = (uint8_t)bits;
  if (sym < nSimple) {
    e.op = (nSimple == 257 && sym == 256) ? OP_END : OP_LIT;
    e.val = (uint16_t)sym;
  } else if (extra[sym - nSimple] == 99) {
    e.op = OP_BAD;
    e.val = 0;
  } else {
    e.op = (uint8_t)(OP_BASE | extra[sym - nSimple]);
    e.val = base[sym - nSimple];
  }
  return e;
}

// ---- blocks --------------------------------------------------------------

// Decodes one symbol; nullptr when the member ended or the code is invalid
// (the caller tells which by the bits left).
inline const InflateEntry* Decode(InflateState* st, const InflateTable& t) {
  const InflateEntry* e = &t.entries[Peek(st, t.root)];
  if (e->op & OP_LINK) {
    if (st->bitCount < e->bits) return nullptr;
    int root = e->bits;
    int sub = e->op & 0x0f;
    uint32_t idx = (uint32_t)(st->bitBuf >> root) & ((1u << sub) - 1);
    Drop(st, root);
    e = &t.entries[e->val + idx];
  }
  if (e->op & OP_BAD || st->bitCount < e->bits) return nullptr;
  Drop(st, e->bits);
  return e;
}

// Writes the window out once it is full; the position restarts at 0.
inline int WindowCheck(InflateState* st) {
  if (st->winPos != INFLATE_WSIZE) return INFLATE_OK;
  st->winPos = 0;
  return Flush(st, INFLATE_WSIZE);
}

inline int PutByte(InflateState* st, uint8_t b) {
  st->window[st->winPos++] = b;
  return WindowCheck(st);
}

int Copy(InflateState* st, uint32_t dist, uint32_t len) {
  size_t src = (st->winPos - dist) & (INFLATE_WSIZE - 1);
  while (len > 0) {
    size_t n = len;
    if (n > INFLATE_WSIZE - st->winPos) n = INFLATE_WSIZE - st->winPos;
    if (n > INFLATE_WSIZE - src) n = INFLATE_WSIZE - src;
    uint8_t* to = st->window + st->winPos;
    const uint8_t* from = st->window + src;
    if (dist >= n) {
      memmove(to, from, n);  // a distance of the whole window reads the slot it writes
    } else {
      for (size_t i = 0; i < n; ++i) to[i] = from[i];  // overlapping: byte order matters
    }
    st->winPos += n;
    src = (src + n) & (INFLATE_WSIZE - 1);
    len -= (uint32_t)n;
    int r = WindowCheck(st);
    if (r) return r;
  }
  return INFLATE_OK;
}

int Codes(InflateState* st, const InflateTable& lit, const InflateTable& dist) {
  for (;;) {
    Fill(st);
    const InflateEntry* e = Decode(st, lit);
    if (!e) return INFLATE_BAD_DATA;
    if (e->op == OP_LIT) {
      int r = PutByte(st, (uint8_t)e->val);
      if (r) return r;
      continue;
    }
    if (e->op == OP_END) return INFLATE_OK;
    int ex = e->op & 0x0f;
    if (st->bitCount < ex) return INFLATE_BAD_DATA;
    uint32_t len = e->val + Peek(st, ex);
    Drop(st, ex);
    Fill(st);
    const InflateEntry* d = Decode(st, dist);
    if (!d || !(d->op & OP_BASE)) return INFLATE_BAD_DATA;
    ex = d->op & 0x0f;
    if (st->bitCount < ex) return INFLATE_BAD_DATA;
    uint32_t back = d->val + Peek(st, ex);
    Drop(st, ex);
    // Only what this member produced may be referred to.
    if (back > Produced(st)) return INFLATE_BAD_DATA;
    int r = Copy(st, back, len);
    if (r) return r;
  }
}

int Stored(InflateState* st) {
  Drop(st, st->bitCount & 7);
  if (!Need(st, 32)) return INFLATE_BAD_DATA;
  uint32_t len = Peek(st, 16);
  uint32_t nlen = (uint32_t)(st->bitBuf >> 16) & 0xffff;
  Drop(st, 32);
  if (len != (~nlen & 0xffff)) return INFLATE_BAD_DATA;
  // Whole bytes still in the bit buffer come first.
  while (len > 0 && st->bitCount >= 8) {
    int r = PutByte(st, (uint8_t)Peek(st, 8));
    Drop(st, 8);
    if (r) return r;
    --len;
  }
  while (len > 0) {
    if (st->inPos == st->inLen && !Refill(st)) return INFLATE_BAD_DATA;
    size_t n = st->inLen - st->inPos;
    if (n > len) n = len;
    if (n > INFLATE_WSIZE - st->winPos) n = INFLATE_WSIZE - st->winPos;
    memcpy(st->window + st->winPos, st->inBuf + st->inPos, n);
    st->inPos += n;
    st->winPos += n;
    len -= (uint32_t)n;
    int r = WindowCheck(st);
    if (r) return r;
  }
  return INFLATE_OK;
}

int Fixed(InflateState* st) {
  InflateTable lit{7, st->fixedLitRoom, INFLATE_LIT_ROOM}, dist{5, st->fixedDistRoom, INFLATE_DIST_ROOM};
  if (!st->fixedBuilt) {
    uint8_t l[288];
    int i = 0;
    for (; i < 144; ++i) l[i] = 8;
    for (; i < 256; ++i) l[i] = 9;
    for (; i < 280; ++i) l[i] = 7;
    for (; i < 288; ++i) l[i] = 8;
    if (InflateBuildTable(l, 288, 257, kLenBase, kLenExtra, &lit) != INFLATE_SET_COMPLETE) return INFLATE_NO_MEMORY;
    uint8_t d[32];
    for (i = 0; i < 32; ++i) d[i] = 5;
    if (InflateBuildTable(d, 32, 0, kDistBase, kDistExtra, &dist) != INFLATE_SET_COMPLETE) return INFLATE_NO_MEMORY;
    st->fixedBuilt = 1;
  }
  return Codes(st, lit, dist);
}

int Dynamic(InflateState* st) {
  if (!Need(st, 14)) return INFLATE_BAD_DATA;
  int nlit = (int)Peek(st, 5) + 257;
  Drop(st, 5);
  int ndist = (int)Peek(st, 5) + 1;
  Drop(st, 5);
  int nclen = (int)Peek(st, 4) + 4;
  Drop(st, 4);
  // Codes 286-287 and 30-31 can never be used, so sets naming them are bad.
  if (nlit > 286 || ndist > 30) return INFLATE_BAD_DATA;

  uint8_t lens[286 + 30];
  uint8_t clen[19] = {0};
  for (int i = 0; i < nclen; ++i) {
    if (!Need(st, 3)) return INFLATE_BAD_DATA;
    clen[kClenOrder[i]] = (uint8_t)Peek(st, 3);
    Drop(st, 3);
  }
  InflateTable ct{7, st->clenRoom, INFLATE_CLEN_ROOM};
  int r = InflateBuildTable(clen, 19, 19, nullptr, nullptr, &ct);
  if (r != INFLATE_SET_COMPLETE) return r;

  int total = nlit + ndist;
  for (int i = 0; i < total;) {
    Fill(st);
    const InflateEntry* e = Decode(st, ct);
    if (!e) return INFLATE_BAD_DATA;
    int sym = e->val;
    if (sym < 16) {
      lens[i++] = (uint8_t)sym;
      continue;
    }
    int rep;
    uint8_t fill = 0;
    if (sym == 16) {
      if (i == 0) return INFLATE_BAD_DATA;  // nothing to repeat
      if (st->bitCount < 2) return INFLATE_BAD_DATA;
      fill = lens[i - 1];
      rep = 3 + (int)Peek(st, 2);
      Drop(st, 2);
    } else if (sym == 17) {
      if (st->bitCount < 3) return INFLATE_BAD_DATA;
      rep = 3 + (int)Peek(st, 3);
      Drop(st, 3);
    } else {
      if (st->bitCount < 7) return INFLATE_BAD_DATA;
      rep = 11 + (int)Peek(st, 7);
      Drop(st, 7);
    }
    if (i + rep > total) return INFLATE_BAD_DATA;
    while (rep-- > 0) lens[i++] = fill;
  }
  if (lens[256] == 0) return INFLATE_BAD_DATA;  // a block that could never end

  InflateTable lit{9, st->litRoom, INFLATE_LIT_ROOM}, dist{6, st->distRoom, INFLATE_DIST_ROOM};
  r = InflateBuildTable(lens, nlit, 257, kLenBase, kLenExtra, &lit);
  if (r == INFLATE_SET_INCOMPLETE) return INFLATE_BAD_DATA;
  if (r != INFLATE_SET_COMPLETE) return r;
  r = InflateBuildTable(lens + nlit, ndist, 0, kDistBase, kDistExtra, &dist);
  if (r != INFLATE_SET_COMPLETE && r != INFLATE_SET_INCOMPLETE) return r;
  return Codes(st, lit, dist);
}

}  // namespace

uint32_t Crc32Update(uint32_t* reg, const uint8_t* buf, size_t len) {
  if (!buf) {
    *reg = 0xffffffffu;
    return 0;
  }
  const CrcTables& t = Crc();
  uint32_t c = *reg;
  while (len >= 8) {
    uint32_t a = c ^ ((uint32_t)buf[0] | (uint32_t)buf[1] << 8 | (uint32_t)buf[2] << 16 | (uint32_t)buf[3] << 24);
    c = t.t[7][a & 0xff] ^ t.t[6][(a >> 8) & 0xff] ^ t.t[5][(a >> 16) & 0xff] ^ t.t[4][a >> 24] ^ t.t[3][buf[4]] ^
        t.t[2][buf[5]] ^ t.t[1][buf[6]] ^ t.t[0][buf[7]];
    buf += 8;
    len -= 8;
  }
  while (len-- > 0) c = t.t[0][(c ^ *buf++) & 0xff] ^ (c >> 8);
  *reg = c;
  return ~c;
}

int InflateBuildTable(const uint8_t* lengths, int n, int nSimple, const uint16_t* base, const uint8_t* extra,
                      InflateTable* table) {
  int count[kMaxBits + 1] = {0};
  for (int i = 0; i < n; ++i) {
    if (lengths[i] > kMaxBits) return INFLATE_SET_OVERSUBSCRIBED;
    ++count[lengths[i]];
  }
  const int root = table->root;
  const int rootSize = 1 << root;
  if (rootSize > table->room) return INFLATE_SET_NO_ROOM;
  InflateEntry bad{OP_BAD, 1, 0};
  for (int i = 0; i < rootSize; ++i) table->entries[i] = bad;
  count[0] = 0;
  int maxLen = 0;
  for (int len = 1; len <= kMaxBits; ++len)
    if (count[len]) maxLen = len;
  if (maxLen == 0) return INFLATE_SET_COMPLETE;  // no codes: every lookup is invalid

  // Over-subscribed or incomplete?
  int left = 1;
  for (int len = 1; len <= kMaxBits; ++len) {
    left <<= 1;
    left -= count[len];
    if (left < 0) return INFLATE_SET_OVERSUBSCRIBED;
  }
  int result = left > 0 ? INFLATE_SET_INCOMPLETE : INFLATE_SET_COMPLETE;

  // Symbols sorted by length, then value: the canonical code order.
  int offs[kMaxBits + 2];
  offs[1] = 0;
  for (int len = 1; len <= kMaxBits; ++len) offs[len + 1] = offs[len] + count[len];
  int sorted[320];
  for (int i = 0; i < n; ++i)
    if (lengths[i]) sorted[offs[lengths[i]]++] = i;

  int remaining[kMaxBits + 1];
  memcpy(remaining, count, sizeof remaining);
  int used = rootSize;
  uint32_t code = 0;  // canonical code, most significant bit first
  int k = 0;
  int curSubStart = -1;
  uint32_t curPrefix = UINT32_MAX;
  int curSubBits = 0;
  for (int len = 1; len <= maxLen; ++len) {
    for (int c = 0; c < count[len]; ++c, ++k, ++code) {
      int sym = sorted[k];
      uint32_t rev = Reverse(code, len);
      if (len <= root) {
        InflateEntry e = EntryFor(sym, nSimple, base, extra, len);
        for (uint32_t idx = rev; idx < (uint32_t)rootSize; idx += 1u << len) table->entries[idx] = e;
      } else {
        uint32_t prefix = rev & (uint32_t)(rootSize - 1);
        if (prefix != curPrefix) {
          // A new sub-table, wide enough for the codes under this prefix.
          int bits = len - root;
          int room = 1 << bits;
          while (bits + root < maxLen) {
            room -= remaining[bits + root];
            if (room <= 0) break;
            ++bits;
            room <<= 1;
          }
          int size = 1 << bits;
          if (used + size > table->room) return INFLATE_SET_NO_ROOM;
          for (int i = 0; i < size; ++i) table->entries[used + i] = bad;
          table->entries[prefix] = InflateEntry{(uint8_t)(OP_LINK | bits), (uint8_t)root, (uint16_t)used};
          curSubStart = used;
          curSubBits = bits;
          curPrefix = prefix;
          used += size;
        }
        int subLen = len - root;
        InflateEntry e = EntryFor(sym, nSimple, base, extra, subLen);
        for (uint32_t idx = rev >> root; idx < (1u << curSubBits); idx += 1u << subLen)
          table->entries[curSubStart + idx] = e;
      }
      --remaining[len];
    }
    code <<= 1;
  }
  return result;
}

void InflateBegin(InflateState* st, FILE* in, const uint8_t* mem, uint64_t inSize, FILE* out, uint64_t outLimit) {
  st->inFile = in;
  st->inMem = mem;
  st->inLeft = inSize;
  st->inPos = st->inLen = 0;
  st->bitBuf = 0;
  st->bitCount = 0;
  st->outFile = out;
  st->outLimit = outLimit;
  st->winPos = 0;
  st->outCount = 0;
  st->overrun = 0;
  Crc32Update(&st->crc, nullptr, 0);
}

int Inflate(InflateState* st) {
  for (;;) {
    if (!Need(st, 3)) return INFLATE_BAD_DATA;
    int last = (int)Peek(st, 1);
    int type = (int)(st->bitBuf >> 1) & 3;
    Drop(st, 3);
    int r;
    switch (type) {
      case 0: r = Stored(st); break;
      case 1: r = Fixed(st); break;
      case 2: r = Dynamic(st); break;
      default: r = INFLATE_BAD_CODES; break;
    }
    if (r) return r;
    if (last) break;
  }
  int r = Flush(st, st->winPos);
  st->winPos = 0;
  return r;
}

void InflateFree(InflateState* st) { st->fixedBuilt = 0; }
