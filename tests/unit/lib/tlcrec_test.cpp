#include "tlcrec.h"

#include <cstring>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Three sets of rules as the programs use them: narrow (layers 1..256,
// 1024 points kept, a long path cut), the satellites' (1040 points, any
// instance code, text orientation kept as written) and wide (every 32-bit
// value, three instance fields, empty paths, masked orientations).
TlcRecRules Narrow() {
  TlcRecRules r{};
  r.layerMin = 1, r.layerMax = 256;
  r.sizeMin = INT32_MIN, r.sizeMax = INT32_MAX;
  r.coordMin = -TLC_COORD_MAX, r.coordMax = TLC_COORD_MAX;
  r.pathMin = 1, r.pathMax = 1024;
  r.cellFields = 4;
  r.textOrient = TLC_ORIENT_CHECK;
  r.textBareTags = 1;
  return r;
}

TlcRecRules Sat() {
  TlcRecRules r{};
  r.layerMin = INT32_MIN, r.layerMax = INT32_MAX;
  r.sizeMin = INT32_MIN, r.sizeMax = INT32_MAX;
  r.coordMin = -TLC_COORD_MAX, r.coordMax = TLC_COORD_MAX;
  r.pathMin = 1, r.pathMax = PVSIZ;
  r.cellFields = 4;
  r.cellCodesAny = 1;
  r.textOrient = TLC_ORIENT_KEEP;
  return r;
}

TlcRecRules Wide() {
  TlcRecRules r{};
  r.layerMin = INT32_MIN, r.layerMax = INT32_MAX;
  r.sizeMin = INT32_MIN, r.sizeMax = INT32_MAX;
  r.coordMin = INT32_MIN, r.coordMax = INT32_MAX;
  r.pathMin = 0, r.pathMax = PVSIZ;
  r.cellFields = 3;
  r.textOrient = TLC_ORIENT_MASK;
  r.countsSigned = 1;
  return r;
}

TlcRecRules Ckt() {
  TlcRecRules r = Sat();
  r.layerMin = 0;
  r.sizeMin = -TLC_COORD_MAX, r.sizeMax = TLC_COORD_MAX;
  r.outlineNonzero = 1;
  r.textCodesAny = 1;
  r.textOrient = TLC_ORIENT_MASK;
  return r;
}

struct Src {
  std::string text;
  std::unique_ptr<TlcLineIn> in{new TlcLineIn};
  explicit Src(std::string t) : text(std::move(t)) { TlcLineOpenMem(in.get(), text.data(), text.size(), 1); }
  // What the next scan of the file finds after the record.
  std::string Next() {
    const char* l = TlcLineGet(in.get());
    return l ? l : "(end)";
  }
};

// Points "x y" for i = 0..n-1 with x = i, y = -i, five a line.
std::string Points(int n) {
  std::string s;
  for (int i = 0; i < n; ++i) {
    s += std::to_string(i) + " " + std::to_string(-i) + " ";
    if (i % 5 == 4 || i == n - 1) s += "\n";
  }
  return s;
}

TEST(TlcRec, Box) {
  struct Case {
    const char* what;
    TlcRecRules rules;
    std::string text;
    int status;
    tlcbox want;
    std::string next;
  };
  const Case cases[] = {
      {"corners ordered", Narrow(), "5 10 20 0 0\n</B>\n", TLC_REC_OK, {5, 0, 0, 10, 20}, "</B>"},
      {"blanks and tabs", Narrow(), " 7\t-3   4 \t 9 8\nx\n", TLC_REC_OK, {7, -3, 4, 9, 8}, "x"},
      {"missing corner", Narrow(), "5 1 2 3\n", TLC_REC_BAD, {}, "(end)"},
      {"letters in a field", Narrow(), "5 1 2 3x 4\n", TLC_REC_BAD, {}, "(end)"},
      {"an opening line is given back", Narrow(), "<P>\n1 2 3\n", TLC_REC_BAD, {}, "<P>"},
      {"end of file", Narrow(), "", TLC_REC_BAD, {}, "(end)"},
      {"layer 0 narrow", Narrow(), "0 0 0 1 1\n", TLC_REC_BAD, {}, "(end)"},
      {"layer 257 narrow", Narrow(), "257 0 0 1 1\n", TLC_REC_BAD, {}, "(end)"},
      {"layer 256 narrow", Narrow(), "256 0 0 1 1\n", TLC_REC_OK, {256, 0, 0, 1, 1}, "(end)"},
      {"layer 0 extractor", Ckt(), "0 0 0 1 1\n", TLC_REC_OK, {0, 0, 0, 1, 1}, "(end)"},
      {"negative layer extractor", Ckt(), "-1 0 0 1 1\n", TLC_REC_BAD, {}, "(end)"},
      {"negative layer satellite", Sat(), "-1 0 0 1 1\n", TLC_REC_OK, {-1, 0, 0, 1, 1}, "(end)"},
      {"corner at 2^29", Sat(), "1 536870912 0 -536870912 1\n", TLC_REC_OK, {1, -536870912, 0, 536870912, 1}, "(end)"},
      {"corner past 2^29", Sat(), "1 536870913 0 1 1\n", TLC_REC_BAD, {}, "(end)"},
      {"corner past 2^29 wide", Wide(), "1 536870913 0 -2147483648 1\n", TLC_REC_OK,
       {1, INT32_MIN, 0, 536870913, 1}, "(end)"},
      {"corner past 32 bits wide", Wide(), "1 2147483648 0 1 1\n", TLC_REC_BAD, {}, "(end)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Src s(c.text);
    tlcbox b{-9, -9, -9, -9, -9};
    EXPECT_EQ(TlcParseBox(s.in.get(), &c.rules, &b), c.status);
    tlcbox want = c.status == TLC_REC_BAD ? tlcbox{-9, -9, -9, -9, -9} : c.want;  // refused: untouched
    EXPECT_EQ(b.lyr, want.lyr);
    EXPECT_EQ(b.l, want.l);
    EXPECT_EQ(b.b, want.b);
    EXPECT_EQ(b.r, want.r);
    EXPECT_EQ(b.t, want.t);
    EXPECT_EQ(s.Next(), c.next);
  }
}

TEST(TlcRec, PathPointsAndLimits) {
  struct Case {
    const char* what;
    TlcRecRules rules;
    std::string text;
    int status;
    int nv;  // points kept
  };
  const Case cases[] = {
      {"five a line", Sat(), "3 100 12\n" + Points(12), TLC_REC_OK, 12},
      {"one a line", Sat(), "3 100 3\n0 0\n1 -1\n\n2 -2\n", TLC_REC_OK, 3},
      {"1024 kept by the narrow rules", Narrow(), "3 0 1024\n" + Points(1024), TLC_REC_OK, 1024},
      {"1025 cut to 1024", Narrow(), "3 0 1025\n" + Points(1025), TLC_REC_LONG, 1024},
      {"1500 cut to 1024", Narrow(), "3 0 1500\n" + Points(1500), TLC_REC_LONG, 1024},
      {"1040 kept by the satellites", Sat(), "3 0 1040\n" + Points(1040), TLC_REC_OK, 1040},
      {"1041 cut to 1040", Sat(), "3 0 1041\n" + Points(1041), TLC_REC_LONG, 1040},
      {"x and y split over two lines", Sat(), "3 0 2\n0 0 1\n-1\n", TLC_REC_BAD, 0},
      {"fewer points than announced", Sat(), "3 0 4\n0 0 1 -1 2 -2\n", TLC_REC_BAD, 0},
      {"no points narrow", Narrow(), "3 0 0\n", TLC_REC_BAD, 0},
      {"no points wide", Wide(), "3 0 0\n", TLC_REC_OK, 0},
      {"negative count wide", Wide(), "3 0 -1\n", TLC_REC_BAD, 0},
      {"count past 32 bits", Wide(), "3 0 2147483648\n" + Points(3), TLC_REC_BAD, 0},
      {"point past 2^29", Sat(), "3 0 1\n536870913 0\n", TLC_REC_BAD, 0},
      {"layer 300 narrow", Narrow(), "300 0 1\n0 0\n", TLC_REC_BAD, 0},
      {"width past 2^29 extractor", Ckt(), "3 536870913 1\n0 0\n", TLC_REC_BAD, 0},
      {"width past 2^29 satellite", Sat(), "3 536870913 1\n0 0\n", TLC_REC_OK, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Src s(c.text + "<T>\n");
    auto p = std::make_unique<tlcpath>();
    p->lyr = p->w = p->nv = -9;
    int32_t announced = -9;
    EXPECT_EQ(TlcParsePath(s.in.get(), &c.rules, p.get(), &announced), c.status);
    if (c.status == TLC_REC_BAD) {
      EXPECT_EQ(p->lyr, -9);
      EXPECT_EQ(p->nv, -9);
    } else {
      EXPECT_EQ(p->nv, c.nv);
      EXPECT_EQ(announced, std::stoi(c.text.substr(c.text.find(' ', 2) + 1)));
      for (int i = 0; i < c.nv; ++i) {
        ASSERT_EQ(p->x[i], i) << i;
        ASSERT_EQ(p->y[i], -i) << i;
      }
    }
    // Every announced point is passed, also those not kept: the next record
    // is found (a refused record may stop at the bad line instead).
    if (c.status != TLC_REC_BAD) {
      EXPECT_EQ(s.Next(), "<T>");
    }
  }
  // The converters take every 32-bit point but the lowest (it has no
  // opposite).
  const struct {
    const char* text;
    int status;
  } wide[] = {{"3 0 2\n536870913 -2147483647 2147483647 0\n", TLC_REC_OK}, {"3 0 1\n-2147483648 0\n", TLC_REC_BAD}};
  for (const auto& w : wide) {
    SCOPED_TRACE(w.text);
    Src s(w.text);
    auto p = std::make_unique<tlcpath>();
    const TlcRecRules rules = Wide();
    EXPECT_EQ(TlcParsePath(s.in.get(), &rules, p.get(), nullptr), w.status);
    if (w.status == TLC_REC_OK) {
      EXPECT_EQ(p->x[0], 536870913);
      EXPECT_EQ(p->y[0], -2147483647);
      EXPECT_EQ(p->x[1], 2147483647);
    }
  }
  // The widest record still has its spare place to close a polygon.
  EXPECT_GE(sizeof(tlcpath::x) / sizeof(int32_t), size_t(PVSIZ) + 1);
}

// The readers' message for a path they did not take: one over the limit
// names the limit; a short buffer still gets a terminated message.
TEST(TlcRec, PathErrorText) {
  const struct {
    int status, limit;
    size_t size;
    const char* text;
  } cases[] = {
      {TLC_REC_BAD, 1040, 80, "Path Record Read Error"},
      {TLC_REC_LONG, 1040, 80, "Path Record Read Error ... More than 1040 Vertices"},
      {TLC_REC_LONG, 1024, 80, "Path Record Read Error ... More than 1024 Vertices"},
      {TLC_REC_LONG, 1040, 23, "Path Record Read Error"},
      {TLC_REC_BAD, 1040, 5, "Path"},
  };
  for (const auto& c : cases) {
    char buf[96];
    memset(buf, 'x', sizeof buf);
    TlcPathErrorText(c.status, c.limit, buf, c.size);
    EXPECT_STREQ(buf, c.text) << c.status << " " << c.size;
    EXPECT_EQ(buf[c.size], 'x') << c.size;  // nothing written past the size
  }
  TlcPathErrorText(TLC_REC_LONG, 1040, nullptr, 80);  // no buffer: nothing done
}

TEST(TlcRec, Text) {
  struct Case {
    const char* what;
    TlcRecRules rules;
    std::string text;
    int status;
    tlctext want;
    std::string next;
  };
  const std::string eighty(80, 'q');
  const Case cases[] = {
      {"tagged text", Narrow(), "2 100 3 1\n10 20\n<![CDATA[HELLO WORLD]]>\n</T>\n", TLC_REC_OK,
       {2, 100, 3, 1, 10, 20, "HELLO WORLD"}, "</T>"},
      {"bare text", Sat(), "2 100 2 0\n-5 7\nvdd!\n", TLC_REC_OK, {2, 100, 2, 0, -5, 7, "vdd!"}, "(end)"},
      {"cut to 80", Sat(), "2 1 12 0\n0 0\n" + eighty + "zz\n", TLC_REC_OK, {2, 1, 12, 0, 0, 0, ""}, "(end)"},
      {"bare '=C' is a text where old texts may be", Narrow(), "2 1 2 0\n0 0\n=C\n", TLC_REC_OK,
       {2, 1, 2, 0, 0, 0, "=C"}, "(end)"},
      {"bare '=C' opens a record elsewhere", Sat(), "2 1 2 0\n0 0\n=C\n", TLC_REC_BAD, {}, "=C"},
      {"'<B>' opens a record everywhere", Narrow(), "2 1 2 0\n0 0\n<B>\n", TLC_REC_BAD, {}, "<B>"},
      {"orientation 9 checked", Narrow(), "2 1 2 9\n0 0\nA\n", TLC_REC_BAD, {}, "A"},
      {"orientation 9 masked", Wide(), "2 1 2 9\n0 0\nA\n", TLC_REC_OK, {2, 1, 2, 1, 0, 0, "A"}, "(end)"},
      {"orientation 9 kept", Sat(), "2 1 2 9\n0 0\nA\n", TLC_REC_OK, {2, 1, 2, 9, 0, 0, "A"}, "(end)"},
      {"orientation past 32 bits", Wide(), "2 1 2 4294967297\n0 0\nA\n", TLC_REC_BAD, {}, "A"},
      {"orientation past 32 bits extractor", Ckt(), "2 1 2 4294967297\n0 0\nA\n", TLC_REC_OK,
       {2, 1, 2, 1, 0, 0, "A"}, "(end)"},
      {"position line missing", Sat(), "2 1 2 0\n<T>\n", TLC_REC_BAD, {}, "<T>"},
      {"text line missing", Sat(), "2 1 2 0\n0 0\n", TLC_REC_BAD, {}, "(end)"},
      {"position past 2^29", Sat(), "2 1 2 0\n0 536870913\nA\n", TLC_REC_BAD, {}, "A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Src s(c.text);
    tlctext t{};
    t.lyr = -9;
    snprintf(t.text, sizeof t.text, "old");
    EXPECT_EQ(TlcParseText(s.in.get(), &c.rules, &t), c.status);
    if (c.status == TLC_REC_BAD) {
      EXPECT_EQ(t.lyr, -9);
      EXPECT_STREQ(t.text, "old");
    } else {
      EXPECT_EQ(t.lyr, c.want.lyr);
      EXPECT_EQ(t.size, c.want.size);
      EXPECT_EQ(t.nv, c.want.nv);
      EXPECT_EQ(t.o, c.want.o);
      EXPECT_EQ(t.x, c.want.x);
      EXPECT_EQ(t.y, c.want.y);
      EXPECT_STREQ(t.text, c.want.text[0] ? c.want.text : eighty.c_str());
    }
    EXPECT_EQ(s.Next(), c.next);
  }
}

TEST(TlcRec, Cell) {
  struct Case {
    const char* what;
    TlcRecRules rules;
    std::string text;
    int status;
    tlccel want;
  };
  const std::string longName(40, 'n');
  const Case cases[] = {
      {"name upper-cased", Narrow(), "  inv_x1  \n3 100 -200 1\n", TLC_REC_OK, {"INV_X1", 3, 100, -200, 1}},
      {"name cut to 32", Narrow(), longName + "\n0 0 0 0\n", TLC_REC_OK, {"", 0, 0, 0, 0}},
      {"orientation and outline masked", Narrow(), "A\n9 0 0 3\n", TLC_REC_OK, {"A", 1, 0, 0, 1}},
      {"outline 2: low bit", Sat(), "A\n0 0 0 2\n", TLC_REC_OK, {"A", 0, 0, 0, 0}},
      {"outline 2: nonzero", Ckt(), "A\n0 0 0 2\n", TLC_REC_OK, {"A", 0, 0, 0, 1}},
      {"outline missing", Sat(), "A\n3 100 -200\n", TLC_REC_BAD, {}},
      {"three fields", Wide(), "A\n3 100 -200\n", TLC_REC_OK, {"A", 3, 100, -200, 0}},
      {"orientation past 32 bits", Narrow(), "A\n4294967297 0 0 0\n", TLC_REC_BAD, {}},
      {"orientation past 32 bits satellite", Sat(), "A\n4294967297 0 0 0\n", TLC_REC_OK, {"A", 1, 0, 0, 0}},
      {"x past 2^29", Sat(), "A\n0 536870913 0 0\n", TLC_REC_BAD, {}},
      {"x past 2^29 wide", Wide(), "A\n0 536870913 0\n", TLC_REC_OK, {"A", 0, 536870913, 0, 0}},
      {"name line is an opening", Sat(), "<B>\n", TLC_REC_BAD, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Src s(c.text);
    tlccel got{"old", -9, -9, -9, -9};
    EXPECT_EQ(TlcParseCell(s.in.get(), &c.rules, &got), c.status);
    if (c.status == TLC_REC_BAD) {
      EXPECT_STREQ(got.name, "old");
      EXPECT_EQ(got.o, -9);
      continue;
    }
    EXPECT_STREQ(got.name, c.want.name[0] ? c.want.name : std::string(32, 'N').c_str());
    EXPECT_EQ(got.o, c.want.o);
    EXPECT_EQ(got.x, c.want.x);
    EXPECT_EQ(got.y, c.want.y);
    EXPECT_EQ(got.r, c.want.r);
  }
}

TEST(TlcRec, Header) {
  const std::string head = "top\n7.0.91\n7.0.91-and-much-longer\n";
  const std::string tail = "um\n12/10/26xx\n23:59:59\n3 -10 -20 100 200\n";
  struct Case {
    const char* what;
    TlcRecRules rules;
    std::string text;
    int status;
    double scale;
  };
  const Case cases[] = {
      {"whole", Narrow(), head + "1000\n" + tail + "4 5 60 7\n", TLC_REC_OK, 1000},
      {"bad scale", Wide(), head + "abc\n" + tail + "4 5 60 7\n", TLC_REC_SCALE, 0},
      {"negative scale", Wide(), head + "-2.5\n" + tail + "4 5 60 7\n", TLC_REC_SCALE, -2.5},
      {"scale line missing", Wide(), head + "<C>\n", TLC_REC_BAD, 0},
      {"negative count", Narrow(), head + "1000\n" + tail + "4 -5 60 7\n", TLC_REC_BAD, 0},
      {"negative count signed", Wide(), head + "1000\n" + tail + "4 -5 60 7\n", TLC_REC_OK, 1000},
      {"count missing", Wide(), head + "1000\n" + tail + "4 5 60\n", TLC_REC_BAD, 0},
      {"extent past 32 bits", Wide(), head + "1000\n" + "um\nd\nt\n3 0 0 2147483648 0\n4 5 60 7\n", TLC_REC_BAD, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Src s(c.text);
    tlchdr h{};
    snprintf(h.name, sizeof h.name, "old");
    EXPECT_EQ(TlcParseHeader(s.in.get(), &c.rules, &h), c.status);
    if (c.status == TLC_REC_BAD) {
      EXPECT_STREQ(h.name, "old");
      continue;
    }
    EXPECT_STREQ(h.name, "TOP");
    EXPECT_STREQ(h.ver1, "7.0.91");
    EXPECT_STREQ(h.ver2, "7.0.91-and-much-");
    EXPECT_EQ(h.scale, c.scale);
    EXPECT_STREQ(h.unit, "um");
    EXPECT_STREQ(h.date, "12/10/26");
    EXPECT_STREQ(h.time, "23:59:59");
    EXPECT_EQ(h.rank, 3);
    EXPECT_EQ(h.l, -10);
    EXPECT_EQ(h.t, 200);
    EXPECT_EQ(h.np, c.rules.countsSigned && c.text.find("4 -5") != std::string::npos ? -5 : 5);
    EXPECT_EQ(h.nc, 7);
  }
}

}  // namespace
