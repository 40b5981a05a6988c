#include "layerset.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> Members(const LayerSet& s) {
  std::vector<int> out;
  for (int n = 1; n <= 256; ++n)
    if (LyrSelTest(&s, n)) out.push_back(n);
  return out;
}

std::vector<int> Span(int a, int b) {
  std::vector<int> out;
  for (int n = a; n <= b; ++n) out.push_back(n);
  return out;
}

TEST(LayerSet, LayerBitsFollowTheStoredWordLayout) {
  // Files and other programs hold these words: layer n is bit (n-1)%64 of
  // word (n-1)/64.
  struct Case {
    int layer, word;
    uint64_t bit;
  } cases[] = {{1, 0, 1}, {64, 0, 1ull << 63}, {65, 1, 1}, {128, 1, 1ull << 63},
               {129, 2, 1}, {200, 3, 1ull << 7}, {256, 3, 1ull << 63}};
  for (const Case& c : cases) {
    LayerSet s;
    LayerSetClear(&s);
    LyrSelSet(&s, c.layer);
    for (int w = 0; w < 4; ++w)
      EXPECT_EQ(s.w[w], w == c.word ? c.bit : 0u) << "layer " << c.layer << " word " << w;
    EXPECT_EQ(LyrSelTest(&s, c.layer), 1);
  }
}

TEST(LayerSet, NumbersOutsideTheLayerRangeAreNeitherSetNorFound) {
  LayerSet s;
  LayerSetAll(&s);
  for (int n : {0, -1, 257, 300, -2147483647 - 1, 2147483647}) {
    EXPECT_EQ(LyrSelTest(&s, n), 0) << n;
    LayerSet t;
    LayerSetClear(&t);
    LyrSelSet(&t, n);
    EXPECT_TRUE(LayerSetEmpty(&t)) << n;
  }
}

TEST(LayerSet, RangeTokens) {
  struct Case {
    const char* token;
    std::vector<int> layers;
  } cases[] = {
      {"7", {7}},
      {"-", Span(1, 256)},
      {"12-", Span(12, 256)},
      {"-5", Span(1, 5)},
      {"9-3", Span(3, 9)},
      {"0", {}},
      {"300", {}},
      {"250-300", Span(250, 256)},
      {"0-0", Span(1, 256)},
      {"abc", {}},
      // Only the first seven characters count: "1234567" then "-9" is cut.
      {"12345679-9", {}},
      {"100-1209", Span(100, 120)},
      {"5--3", Span(1, 5)},
  };
  for (const Case& c : cases) {
    LayerSet s;
    LayerSetClear(&s);
    LyrSelRange(&s, c.token);
    EXPECT_EQ(Members(s), c.layers) << c.token;
  }
}

TEST(LayerSet, ParseClearsFirstExceptForAnEmptyText) {
  struct Case {
    const char* text;
    std::vector<int> layers;  // starting from the set {200}
  } cases[] = {
      {"1-3 7", {1, 2, 3, 7}},
      {"", {200}},
      {"   ", {200}},
      {"0", {}},
      {"300", {}},
      {"  4   6-5 ", {4, 5, 6}},
      {"1,2", {1}},       // commas do not split: atoi of "1,2" is 1
      {"1\t2", {1}},      // nor do tabs
      {"-", Span(1, 256)},
  };
  for (const Case& c : cases) {
    LayerSet s;
    LayerSetClear(&s);
    LyrSelSet(&s, 200);
    LyrSelParse(&s, c.text);
    EXPECT_EQ(Members(s), c.layers) << "'" << c.text << "'";
  }
}

TEST(LayerSet, ParseOfAVeryLongTokenStaysInBounds) {
  std::string text(5000, '9');
  text += " 3";
  LayerSet s;
  LayerSetClear(&s);
  LyrSelParse(&s, text.c_str());
  EXPECT_EQ(Members(s), std::vector<int>({3}));
}

TEST(LayerSet, RangeTextOfOneWord) {
  struct Case {
    uint64_t mask;
    int offset;
    const char* text;
  } cases[] = {
      {0, 0, ""},
      {0x17C, 0, "3-7 9 "},  // bits 3..7 and 9 as layer numbers 3-7 and 9
      {1, 0, "1 "},
      {3, 0, "1-2 "},
      {~0ull, 0, "1-64 "},
      {~0ull, 192, "193-256 "},
      {1ull << 63, 64, "128 "},
      {0x5, 128, "129 131 "},
  };
  for (const Case& c : cases) {
    char text[64] = "";
    LyrRangeText(c.mask, c.offset, text, sizeof text);
    EXPECT_STREQ(text, c.text) << std::hex << c.mask;
  }
}

TEST(LayerSet, SetTextReadsBackAsTheSameSet) {
  LayerSet sets[4];
  LayerSetClear(&sets[0]);
  LayerSetAll(&sets[1]);
  LayerSetClear(&sets[2]);
  for (int n = 1; n <= 256; n += 2) LyrSelSet(&sets[2], n);  // the longest text
  LayerSetClear(&sets[3]);
  for (int n : {1, 2, 3, 64, 65, 100, 128, 129, 255, 256}) LyrSelSet(&sets[3], n);
  for (const LayerSet& s : sets) {
    char text[1100];
    LyrSetText(&s, text, sizeof text);
    LayerSet back;
    LayerSetClear(&back);
    LyrSelParse(&back, text);
    EXPECT_EQ(Members(back), Members(s)) << text;
  }
  char text[64];
  LyrSetText(&sets[1], text, sizeof text);
  EXPECT_STREQ(text, "1-64 65-128 129-192 193-256 ");
}

TEST(LayerSet, RangeTextNeverOverrunsASmallBuffer) {
  LayerSet odd;
  LayerSetClear(&odd);
  for (int n = 1; n <= 256; n += 2) LyrSelSet(&odd, n);
  for (size_t size : {1u, 2u, 3u, 5u, 17u}) {
    std::vector<char> buf(size + 8, 'Z');
    LyrSetText(&odd, buf.data(), size);
    EXPECT_LT(std::string(buf.data()).size(), size);
    for (size_t i = size; i < buf.size(); ++i) EXPECT_EQ(buf[i], 'Z');
  }
}

}  // namespace
