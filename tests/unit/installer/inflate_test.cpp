// The deflate decoder on streams written bit by bit: every block type, the
// window's wrap, and a table of streams the format forbids, each with the
// code it must give and never an output past the member's size.
#include "inflate.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "deflate_writer.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Outcome {
  int code;
  Bytes out;
  uint32_t crc;
  int overrun;
};

Outcome Decode(const Bytes& stream, uint64_t limit = UINT64_MAX, FILE* to = nullptr) {
  auto st = std::make_unique<InflateState>();
  FILE* f = to ? to : tmpfile();
  InflateBegin(st.get(), nullptr, stream.data(), stream.size(), f, limit);
  Outcome o;
  o.code = Inflate(st.get());
  InflateFree(st.get());
  o.crc = Crc32Update(&st->crc, st->window, 0);
  o.overrun = st->overrun;
  if (!to) {
    fflush(f);
    rewind(f);
    int c;
    while ((c = fgetc(f)) != EOF) o.out.push_back((uint8_t)c);
    fclose(f);
  }
  return o;
}

uint32_t CrcOf(const Bytes& b) {
  uint32_t reg;
  Crc32Update(&reg, nullptr, 0);
  return Crc32Update(&reg, b.data(), b.size());
}

Bytes Random(size_t n, unsigned seed) {
  std::mt19937 g(seed);
  Bytes b(n);
  for (auto& c : b) c = (uint8_t)g();
  return b;
}

TEST(Crc32, CheckValueAndPieces) {
  const char* nine = "123456789";
  uint32_t reg;
  EXPECT_EQ(Crc32Update(&reg, nullptr, 0), 0u);
  EXPECT_EQ(Crc32Update(&reg, (const uint8_t*)nine, 9), 0xCBF43926u);
  EXPECT_EQ(Crc32Update(&reg, (const uint8_t*)nine, 0), 0xCBF43926u);  // length 0 reads it
  // Any split gives the CRC of the whole, through both the 8-byte and the
  // byte-at-a-time paths.
  Bytes data = Random(1000, 7);
  uint32_t whole = CrcOf(data);
  for (size_t cut : {0, 1, 7, 8, 9, 500, 999}) {
    Crc32Update(&reg, nullptr, 0);
    Crc32Update(&reg, data.data(), cut);
    EXPECT_EQ(Crc32Update(&reg, data.data() + cut, data.size() - cut), whole) << cut;
  }
}

TEST(Inflate, EveryBlockTypeDecodes) {
  {
    Bits b;
    StoredBlock(b, {}, true);
    Outcome o = Decode(b.Done());
    EXPECT_EQ(o.code, 0);
    EXPECT_TRUE(o.out.empty());
  }
  {
    // Over a window's worth in several stored blocks: written in pieces,
    // one CRC for the whole member.
    Bytes all;
    Bits b;
    for (int i = 0; i < 3; ++i) {
      Bytes part = Random(20000, i);
      StoredBlock(b, part, i == 2);
      all.insert(all.end(), part.begin(), part.end());
    }
    Outcome o = Decode(b.Done());
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(o.out, all);
    EXPECT_EQ(o.crc, CrcOf(all));
  }
  {
    // Fixed codes: literals, a short match, then the longest one.
    Bits b;
    b.Put(1, 1);
    b.Put(1, 2);
    for (char c : std::string("abc")) FixedLit(b, c);
    FixedLit(b, 257);  // length 3
    FixedDist(b, 2);   // distance 3
    FixedLit(b, 285);  // length 258
    FixedDist(b, 0);   // distance 1
    FixedLit(b, 256);
    Outcome o = Decode(b.Done());
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(std::string(o.out.begin(), o.out.end()), "abcabc" + std::string(258, 'c'));
  }
  {
    // A dynamic block whose distance set has a single code.
    std::vector<int> lit(258, 0), dist = {1};
    lit['a'] = 1;
    lit[256] = 2;
    lit[257] = 2;
    std::vector<uint32_t> lc = Canonical(lit);
    Bits b;
    DynamicHeader(b, lit, dist, true);
    b.Code(lc['a'], 1);
    b.Code(lc[257], 2);
    b.Code(0, 1);  // distance 1
    b.Code(lc[256], 2);
    Outcome o = Decode(b.Done());
    EXPECT_EQ(o.code, 0);
    EXPECT_EQ(std::string(o.out.begin(), o.out.end()), "aaaa");
  }
  {
    // A match reaching a whole window back, across the window's wrap.
    Bytes first = Random(40000, 3);
    Bits b;
    StoredBlock(b, first, false);
    b.Put(1, 1);
    b.Put(1, 2);
    FixedLit(b, 285);  // 258 bytes
    FixedDist(b, 29);  // base 24577 ...
    b.Put(32768 - 24577, 13);
    FixedLit(b, 256);
    Outcome o = Decode(b.Done());
    ASSERT_EQ(o.code, 0);
    ASSERT_EQ(o.out.size(), 40258u);
    for (size_t i = 40000; i < 40258; ++i) ASSERT_EQ(o.out[i], o.out[i - 32768]) << i;
  }
}

// A dynamic block header with its code-length codes given: the lengths of
// the 19 code-length symbols in their sending order, then raw bits.
Bits CustomHeader(const std::vector<int>& clenInOrder) {
  Bits b;
  b.Put(1, 1);
  b.Put(2, 2);
  b.Put(0, 5);  // 257 literal/length codes
  b.Put(0, 5);  // 1 distance code
  b.Put((uint32_t)(clenInOrder.size() - 4), 4);
  for (int l : clenInOrder) b.Put((uint32_t)l, 3);
  return b;
}

TEST(Inflate, ForbiddenStreamsGiveTheirCodes) {
  auto fixedStart = [](Bits& b) {
    b.Put(1, 1);
    b.Put(1, 2);
  };
  auto dynamic = [](std::vector<int> lit, std::vector<int> dist, bool endCode) {
    Bits b;
    DynamicHeader(b, lit, dist, true);
    if (endCode) {
      std::vector<uint32_t> lc = Canonical(lit);
      b.Code(lc[256], lit[256]);
    }
    return b.Done();
  };
  std::vector<int> litA(258, 0);
  litA['a'] = 1;
  litA[256] = 2;
  litA[257] = 2;

  struct Case {
    const char* what;
    Bytes stream;
    int code;
    bool headerFault = false;  // caught before any byte is decoded
  };
  std::vector<Case> cases;
  {
    Bits b;
    fixedStart(b);
    FixedLit(b, 'a');
    FixedLit(b, 257);
    FixedDist(b, 1);  // distance 2 after one byte
    FixedLit(b, 256);
    cases.push_back({"distance past the output", b.Done(), 1});
  }
  for (int sym : {286, 287}) {
    Bits b;
    fixedStart(b);
    FixedLit(b, 'a');
    FixedLit(b, sym);
    FixedLit(b, 256);
    cases.push_back({sym == 286 ? "length code 286" : "length code 287", b.Done(), 1});
  }
  for (int d : {30, 31}) {
    Bits b;
    fixedStart(b);
    FixedLit(b, 'a');
    FixedLit(b, 257);
    FixedDist(b, d);
    FixedLit(b, 256);
    cases.push_back({d == 30 ? "distance code 30" : "distance code 31", b.Done(), 1});
  }
  {
    std::vector<int> lit = litA;
    lit.resize(287, 0);
    cases.push_back({"HLIT over 286", dynamic(lit, {1}, true), 1, true});
    cases.push_back({"HDIST over 30", dynamic(litA, std::vector<int>(31, 5), true), 1, true});
  }
  {
    // Code-length symbols 16, 0, 1, 2 of two bits each; the first sent is 16.
    std::vector<int> clen(18, 0);
    clen[0] = 2;   // 16
    clen[3] = 2;   // 0
    clen[15] = 2;  // 2
    clen[17] = 2;  // 1
    Bits b = CustomHeader(clen);
    b.Code(3, 2);  // 16: repeat the previous length, of which there is none
    b.Put(0, 2);
    cases.push_back({"first repeat code 16", b.Done(), 1, true});
  }
  {
    // More than a window of output follows, which a decoder without the
    // check would write out before the stream runs dry.
    std::vector<int> lit(258, 0);
    lit['a'] = 1;
    lit[257] = 1;
    Bits b;
    DynamicHeader(b, lit, {1}, true);
    b.Code(0, 1);  // 'a'
    for (int i = 0; i < 12000; ++i) {
      b.Code(1, 1);  // length 3
      b.Code(0, 1);  // distance 1
    }
    cases.push_back({"no end-of-block code", b.Done(), 1, true});
  }
  {
    std::vector<int> lit(258, 0);
    lit['a'] = lit['b'] = lit[256] = 1;
    cases.push_back({"over-subscribed literal set", dynamic(lit, {1}, true), 2, true});
    lit['b'] = 0;
    lit[256] = 2;
    cases.push_back({"incomplete literal set", dynamic(lit, {1}, true), 1, true});
    cases.push_back({"over-subscribed distance set", dynamic(litA, {1, 1, 1}, true), 2, true});
  }
  {
    std::vector<int> clen(19, 0);
    clen[3] = clen[4] = clen[5] = 1;
    cases.push_back({"over-subscribed code-length set", CustomHeader(clen).Done(), 2, true});
    std::vector<int> one(19, 0);
    one[3] = 2;
    cases.push_back({"incomplete code-length set", CustomHeader(one).Done(), 1, true});
  }
  {
    Bits b;
    StoredBlock(b, Random(10, 1), true, true);
    cases.push_back({"NLEN not the complement of LEN", b.Done(), 1});
  }
  {
    Bits b;
    StoredBlock(b, Random(100, 2), true);
    Bytes s = b.Done();
    s.resize(s.size() - 50);
    cases.push_back({"end of file in a stored block", s, 1});
  }
  {
    Bits b;
    fixedStart(b);
    for (char c : std::string("abcdef")) FixedLit(b, c);
    cases.push_back({"end of file in a fixed block", b.Done(), 1});
    Bytes head = dynamic(litA, {1}, true);
    head.resize(6);
    cases.push_back({"end of file in a dynamic header", head, 1});
  }
  {
    Bits b;
    StoredBlock(b, Random(10, 4), false);
    cases.push_back({"no last block", b.Done(), 1});
  }
  {
    Bits b;
    b.Put(1, 1);
    b.Put(3, 2);
    cases.push_back({"block type 3", b.Done(), 2});
  }
  cases.push_back({"empty stream", {}, 1});

  for (const Case& c : cases) {
    Outcome o = Decode(c.stream);
    EXPECT_EQ(o.code, c.code) << c.what;
    if (c.headerFault) {
      EXPECT_TRUE(o.out.empty()) << c.what;
    }
  }
}

// An incomplete distance set is accepted, and its table needs more room
// than any complete one: it must still fit, not end as "out of memory".
TEST(Inflate, AWideIncompleteDistanceSetFits) {
  const uint8_t lens[30] = {13, 13, 10, 12, 13, 0, 9, 9, 11, 7, 13, 0, 12, 8, 14,
                            13, 14, 10, 15, 11, 0, 9, 13, 15, 15, 11, 7, 10, 15, 14};
  static const uint16_t base[30] = {0};
  static const uint8_t extra[30] = {0};
  auto st = std::make_unique<InflateState>();
  InflateTable t{6, st->distRoom, INFLATE_DIST_ROOM};
  EXPECT_EQ(InflateBuildTable(lens, 30, 0, base, extra, &t), INFLATE_SET_INCOMPLETE);
}

TEST(Inflate, NeverWritesPastTheMembersSize) {
  Bytes data = Random(100000, 5);
  Bits b;
  StoredBlock(b, Bytes(data.begin(), data.begin() + 60000), false);
  StoredBlock(b, Bytes(data.begin() + 60000, data.end()), true);
  Bytes s = b.Done();
  for (uint64_t limit : {0ull, 60ull, 32768ull, 32769ull, 99999ull}) {
    Outcome o = Decode(s, limit);
    EXPECT_EQ(o.code, 1) << limit;
    EXPECT_EQ(o.overrun, 1) << limit;
    ASSERT_EQ(o.out.size(), limit);
    EXPECT_TRUE(std::equal(o.out.begin(), o.out.end(), data.begin())) << limit;
  }
  EXPECT_EQ(Decode(s, 100000).code, 0);
}

TEST(Inflate, ReadsNothingPastTheMember) {
  Bits b;
  StoredBlock(b, Random(50000, 6), true);
  Bytes s = b.Done();
  FILE* in = tmpfile();
  ASSERT_NE(in, nullptr);
  fwrite(s.data(), 1, s.size(), in);
  fputs("NEXT MEMBER", in);
  rewind(in);
  auto st = std::make_unique<InflateState>();
  InflateBegin(st.get(), in, nullptr, s.size(), nullptr, UINT64_MAX);
  EXPECT_EQ(Inflate(st.get()), 0);
  EXPECT_EQ(ftell(in), (long)s.size());
  fclose(in);
}

TEST(Inflate, AFailedWriteIsItsOwnCode) {
  FILE* full = fopen("/dev/full", "wb");
  if (!full) GTEST_SKIP() << "no /dev/full here";
  Bits b;
  StoredBlock(b, Random(40000, 8), true);
  EXPECT_EQ(Decode(b.Done(), UINT64_MAX, full).code, INFLATE_WRITE_FAILED);
  fclose(full);
}

}  // namespace
