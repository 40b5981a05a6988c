// Deflate streams written bit by bit for the decoder's tests: stored, fixed
// and dynamic blocks, right or wrong on purpose.
#ifndef QUIL_TESTS_UNIT_INSTALLER_DEFLATE_WRITER_H
#define QUIL_TESTS_UNIT_INSTALLER_DEFLATE_WRITER_H

#include <cstdint>
#include <vector>

struct Bits {
  std::vector<uint8_t> out;
  uint64_t acc = 0;
  int n = 0;
  // Least significant bit first, as the format packs fields.
  void Put(uint32_t v, int k) {
    acc |= (uint64_t)v << n;
    n += k;
    while (n >= 8) {
      out.push_back((uint8_t)acc);
      acc >>= 8;
      n -= 8;
    }
  }
  // Huffman codes go most significant bit first.
  void Code(uint32_t code, int len) {
    for (int i = len - 1; i >= 0; --i) Put((code >> i) & 1, 1);
  }
  void Align() {
    if (n % 8) Put(0, 8 - n % 8);
  }
  std::vector<uint8_t> Done() {
    Align();
    return out;
  }
};

// Canonical codes for a set of lengths (0: no code).
inline std::vector<uint32_t> Canonical(const std::vector<int>& lens) {
  int count[16] = {0};
  for (int l : lens) ++count[l];
  count[0] = 0;
  uint32_t next[16] = {0};
  uint32_t code = 0;
  for (int len = 1; len < 16; ++len) {
    code = (code + count[len - 1]) << 1;
    next[len] = code;
  }
  std::vector<uint32_t> codes(lens.size(), 0);
  for (size_t i = 0; i < lens.size(); ++i)
    if (lens[i]) codes[i] = next[lens[i]]++;
  return codes;
}

inline void StoredBlock(Bits& b, const std::vector<uint8_t>& data, bool last, bool badNlen = false) {
  b.Put(last ? 1 : 0, 1);
  b.Put(0, 2);
  b.Align();
  uint32_t len = (uint32_t)data.size();
  b.Put(len, 16);
  b.Put((~len & 0xffff) ^ (badNlen ? 1 : 0), 16);
  for (uint8_t c : data) b.Put(c, 8);
}

// Fixed-code symbols.
inline void FixedLit(Bits& b, int sym) {
  if (sym < 144) b.Code(0x30 + sym, 8);
  else if (sym < 256) b.Code(0x190 + (sym - 144), 9);
  else if (sym < 280) b.Code(sym - 256, 7);
  else b.Code(0xc0 + (sym - 280), 8);
}
inline void FixedDist(Bits& b, int code) { b.Code(code, 5); }

// A dynamic block's header with every length sent as itself: code-length
// codes 0..15 all 4 bits long (a complete set), HCLEN covering all 19.
// nlit and ndist are sent as given, even where the format forbids them.
inline void DynamicHeader(Bits& b, const std::vector<int>& lit, const std::vector<int>& dist, bool last) {
  b.Put(last ? 1 : 0, 1);
  b.Put(2, 2);
  b.Put((uint32_t)(lit.size() - 257), 5);
  b.Put((uint32_t)(dist.size() - 1), 5);
  b.Put(15, 4);
  static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  for (int i = 0; i < 19; ++i) b.Put(order[i] < 16 ? 4 : 0, 3);
  for (int l : lit) b.Code((uint32_t)l, 4);
  for (int l : dist) b.Code((uint32_t)l, 4);
}

#endif
