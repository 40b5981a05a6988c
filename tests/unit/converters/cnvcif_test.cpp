#include "cnvcif.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convtest.h"

namespace {

TEST(CifTokens, NamesAndNumbers) {
  // Each command: what the readers take from it, in order.
  struct Case {
    const char* text;
    int sign;
    std::vector<long long> numbers;
  } cases[] = {
      {"B 10 4 -5 0;", 1, {10, 4, -5, 0}},
      {"B 10 4 -5 0;", 0, {10, 4, 5, 0}},
      {"T100,-200;", 1, {100, -200}},
      {"1-2;", 1, {-12}},
      {"12abc34 5;", 1, {1234, 5}},
      {"99999999999999999999999 1;", 1, {1LL << 62, 1}},
      {";", 1, {}},
  };
  for (const Case& c : cases) {
    CifSrc s;
    std::string t = c.text;
    CifSrcSet(&s, t.data(), t.size());
    if (t[0] == 'B' || t[0] == 'T') CifGetChar(&s);
    std::vector<long long> got;
    int64_t v;
    while (CifGetInt(&s, &v, c.sign)) got.push_back(v);
    EXPECT_EQ(got, c.numbers) << c.text;
    EXPECT_FALSE(CifMore(&s)) << c.text;
  }
}

TEST(CifTokens, NumberLeavesTheNextLetter) {
  std::string t = "C 2T 100 0;";
  CifSrc s;
  CifSrcSet(&s, t.data(), t.size());
  CifGetChar(&s);
  int64_t v;
  ASSERT_TRUE(CifGetInt(&s, &v, 1));
  EXPECT_EQ(v, 2);
  EXPECT_EQ(CifGetChar(&s), CIF_UPPER);
  EXPECT_EQ(s.ch, 'T');
}

TEST(CifTokens, Names) {
  struct Case {
    const char* text;
    const char* name;
  } cases[] = {
      {" CMF;", "CMF"},
      {" c-M(f)F X;", "MF"},
      {" L10D1 ;", "L10D1"},
      {" ;", ""},
      {" ABCDEFGHIJKLMNOPQRSTUVWXYZ;", "ABCDEFGHIJKLMNO"},
  };
  for (const Case& c : cases) {
    std::string t = c.text;
    CifSrc s;
    CifSrcSet(&s, t.data(), t.size());
    char name[16];
    CifGetName(&s, name, sizeof name);
    EXPECT_STREQ(name, c.name) << c.text;
  }
}

TEST(CifLayerFile, Rows) {
  struct Case {
    const char* text;
    int strict;
    std::vector<std::string> rows;  // "layer name"
  } cases[] = {
      {"(LAYER 1 CIF= CMF);\n(LAYER 2 CIF=CPG);", 0, {"1 CMF", "2 CPG"}},
      {"(LAYER 3 cif= CAA);", 0, {"3 CAA"}},
      {"(LAYER 3 cif= CAA);", 1, {}},
      {"(layer 3 CIF= CAA);", 0, {}},
      {"(CIF file of TOP);\n(LAYER 10 CIF= L10D1);\nDS#1 1/10;\nL L10D1;", 1, {"10 L10D1"}},
      {"LAYER 1 CIF= CMF;", 0, {}},          // not a comment
      {"(LAYER 0 CIF= A);(LAYER 257 CIF= B);(LAYER 5 CIF= );", 0, {}},
      {"(XLAYER 4 junk CIF= NAME1234567890ABCDEF);", 1, {"4 NAME1234567890A"}},
      {"(LAYER 1 CIF= A);(LAYER 1 CIF= B)", 0, {"1 A", "1 B"}},
  };
  for (const Case& c : cases) {
    std::string t = c.text;
    CifLayerRow rows[4];
    int more = -1;
    int n = CifLayerTextRead(t.data(), t.size(), rows, 4, c.strict, &more);
    std::vector<std::string> got;
    for (int i = 0; i < n; ++i) got.push_back(std::to_string(rows[i].tlc) + " " + rows[i].name);
    EXPECT_EQ(got, c.rows) << c.text;
    EXPECT_EQ(more, 0) << c.text;
  }
}

TEST(CifLayerFile, RowsPastTheTableAreCounted) {
  WorkDir dir;
  std::string t;
  for (int i = 1; i <= 260; ++i) t += "(LAYER " + std::to_string(1 + i % 256) + " CIF= N" + std::to_string(i) + ");\n";
  WriteText("many.cif", t);
  static CifLayerRow rows[CIF_LAYERROWS];
  int more = 0;
  EXPECT_EQ(CifLayerFileRead("many.cif", rows, CIF_LAYERROWS, 1, &more), CIF_LAYERROWS);
  EXPECT_EQ(more, 4);
  EXPECT_STREQ(rows[255].name, "N256");
  EXPECT_EQ(CifLayerFileRead("missing.cif", rows, CIF_LAYERROWS, 1, &more), 0);
}

}  // namespace
