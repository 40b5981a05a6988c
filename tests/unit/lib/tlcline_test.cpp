#include "tlcline.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Source {
  std::string text;
  std::unique_ptr<TlcLineIn> in{new TlcLineIn};
  explicit Source(std::string t, int tlcMode = 1) : text(std::move(t)) {
    TlcLineOpenMem(in.get(), text.data(), text.size(), tlcMode);
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    while (const char* l = TlcLineGet(in.get())) out.push_back(l);
    return out;
  }
};

TEST(TlcLine, LinesAreTidiedAndLongLinesCutNotSplit) {
  std::string longLine(300, 'a');
  Source s("  <B>  \r\n\tx y\t\n" + longLine + "Z\nlast\xff\x01");
  auto lines = s.Lines();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "<B>");
  EXPECT_EQ(lines[1], "x y");
  EXPECT_EQ(lines[2], std::string(TLC_LINE_MAX, 'a'));  // the rest is dropped, not a new line
  EXPECT_EQ(lines[3], "last");

  Source crf("  name  \n", 0);  // other readers keep leading blanks
  EXPECT_EQ(crf.Lines(), std::vector<std::string>{"  name"});
}

TEST(TlcLine, EmptySourceAndTrailingNewline) {
  EXPECT_TRUE(Source("").Lines().empty());
  EXPECT_EQ(Source("a\n").Lines(), std::vector<std::string>{"a"});
  EXPECT_EQ(Source("\n\n").Lines(), (std::vector<std::string>{"", ""}));
}

TEST(TlcLine, FileSourceReadsAcrossChunks) {
  char path[] = "/tmp/tlcline_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* f = fdopen(fd, "wb");
  // Lines of varying length so that some straddle the chunk boundary.
  std::vector<std::string> want;
  size_t bytes = 0;
  for (int i = 0; bytes < 3 * TLC_CHUNK; ++i) {
    std::string l = std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'x');
    want.push_back(l);
    fprintf(f, "%s\r\n", l.c_str());
    bytes += l.size() + 2;
  }
  fclose(f);
  std::unique_ptr<TlcLineIn> in(new TlcLineIn);
  ASSERT_EQ(TlcLineOpenFile(in.get(), path, 1), 1);
  std::vector<std::string> got;
  while (const char* l = TlcLineGet(in.get())) got.push_back(l);
  EXPECT_EQ(TlcLineClose(in.get()), 0);
  EXPECT_EQ(got, want);
  remove(path);
  EXPECT_EQ(TlcLineOpenFile(in.get(), "/nonexistent/x.tlc", 1), 0);
}

// A line is kept the same wherever it stands: whole in the bytes at hand,
// or split across two chunks of a file. What is kept: the first maxChars
// bytes, up to a NUL byte, without trailing characters outside '!'..'~' and,
// for TLC readers, without leading blanks and tabs.
TEST(TlcLine, ALineReadsTheSameWhereverItStands) {
  auto model = [](const std::string& raw, int tlcMode) {
    std::string s = raw.substr(0, TLC_LINE_MAX);
    s = s.substr(0, s.find('\0'));
    while (!s.empty() && !(s.back() >= '!' && s.back() <= '~')) s.pop_back();
    if (tlcMode) s.erase(0, s.find_first_not_of(" \t") == std::string::npos ? s.size() : s.find_first_not_of(" \t"));
    return s;
  };
  const std::string lines[] = {
      " \t<B> \r",
      std::string("ab \0cd", 6),
      std::string("\0  x", 4),
      std::string(300, ' ') + "x",
      "  " + std::string(300, 'a'),
      std::string(TLC_LINE_MAX - 1, 'b') + " \t",
      "\xff\x01 x \x7f",
      "",
  };
  char path[] = "/tmp/tlcline_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  for (const std::string& line : lines) {
    for (int tlcMode : {0, 1}) {
      std::string want = model(line, tlcMode);
      EXPECT_EQ(Source(line + "\n", tlcMode).Lines(), std::vector<std::string>{want});
      // The line starts k bytes before the end of the first chunk.
      for (size_t k : {size_t{1}, size_t{2}, line.size() / 2 + 1, line.size(), line.size() + 1}) {
        if (k < 1 || k > TLC_CHUNK - 1) continue;
        std::string text(TLC_CHUNK - k - 1, 'f');
        text += "\n" + line + "\nend\n";
        FILE* f = fopen(path, "wb");
        ASSERT_NE(f, nullptr);
        fwrite(text.data(), 1, text.size(), f);
        fclose(f);
        std::unique_ptr<TlcLineIn> in(new TlcLineIn);
        ASSERT_EQ(TlcLineOpenFile(in.get(), path, tlcMode), 1);
        std::vector<std::string> got;
        while (const char* l = TlcLineGet(in.get())) got.push_back(l);
        TlcLineClose(in.get());
        ASSERT_EQ(got.size(), 3u) << k;
        EXPECT_EQ(got[1], want) << "line of " << line.size() << " bytes at " << k << " mode " << tlcMode;
        EXPECT_EQ(got[2], "end");
      }
    }
  }
  remove(path);
}

TEST(TlcLine, TagsMatchTheWholeLineOnly) {
  struct Case {
    const char* line;
    int open, close;
  } cases[] = {
      {"<B>", 'B', 0}, {"=B", 'B', 0}, {"<L>", 'L', 0}, {"=R", 'R', 0}, {"<T>", 'T', 0},
      {"=C", 'C', 0}, {"</B>", 0, 'B'}, {"</TLC>", 0, 0}, {"<TLC>", 0, 0}, {"<B> x", 0, 0},
      {"=Cx", 0, 0},  {"<b>", 0, 0},   {"=X", 0, 0},    {"", 0, 0},      {"<B", 0, 0},
      {"= C", 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TlcTagOf(c.line), c.open) << c.line;
    EXPECT_EQ(TlcCloseTagOf(c.line), c.close) << c.line;
  }
}

TEST(TlcLine, IntegerFieldsParseInto64BitsWithoutOverflow) {
  struct Case {
    const char* s;
    int n;  // fields parsed of 5
    int64_t first;
  } cases[] = {
      {"1 -2 +3\t4  5", 5, 1},
      {"  7", 1, 7},
      {"2147483648 0", 2, INT64_C(2147483648)},
      {"-2147483649", 1, INT64_C(-2147483649)},
      {"99999999999999999999999999999 1", 2, INT64_C(1) << 58},  // saturates, then fails range checks
      {"12abc 3", 0, 0},
      {"1.5", 0, 0},
      {"-", 0, 0},
      {"", 0, 0},
      {"4 x 5", 1, 4},
  };
  for (const Case& c : cases) {
    int64_t v[5] = {};
    EXPECT_EQ(TlcParseInts(c.s, v, 5), c.n) << c.s;
    if (c.n) {
      EXPECT_EQ(v[0], c.first) << c.s;
    }
  }
  double d = 0;
  EXPECT_NE(TlcNextDouble(" 1000 ", &d), nullptr);
  EXPECT_EQ(d, 1000.0);
  EXPECT_NE(TlcNextDouble("2.5e3", &d), nullptr);
  EXPECT_EQ(d, 2500.0);
  for (const char* bad : {"", "inf", "nan", "0x10", "1e999", "abc", "1.0x"}) EXPECT_EQ(TlcNextDouble(bad, &d), nullptr) << bad;
}

TEST(TlcLine, DataLinesGiveBackARecordOpeningSoItIsNotLost) {
  Source s("1 2\n<B>\n1 2 3 4 5\n");
  int64_t v[3];
  EXPECT_EQ(TlcReadInts(s.in.get(), v, 3), 0);  // too few fields
  EXPECT_EQ(TlcReadInts(s.in.get(), v, 1), 0);  // a record opens here
  EXPECT_STREQ(TlcLineGet(s.in.get()), "<B>");
  EXPECT_EQ(TlcReadInts(s.in.get(), v, 3), 1);
  EXPECT_EQ(v[2], 3);
  EXPECT_EQ(TlcReadInts(s.in.get(), v, 1), 0);  // end
}

TEST(TlcLine, PointsSpreadOverLinesReadTheSame) {
  const char* layouts[] = {
      "0 0 10 0 10 10 0 10 5 5 \n1 1 \n",
      "0 0\n10 0\n10 10\n0 10\n5 5\n1 1\n",
      "0 0 10 0\n\n10 10 0 10 5 5 1 1 \n</P>\n",
      "0 0 10 0 10 10 0 10 5 5 1 1 99 99\n",  // what follows the last pair is ignored
  };
  for (const char* text : layouts) {
    Source s(text);
    int32_t x[6], y[6];
    ASSERT_EQ(TlcReadPoints(s.in.get(), 6, 6, x, y, TLC_COORD_MAX), 1) << text;
    EXPECT_EQ(x[1], 10);
    EXPECT_EQ(y[2], 10);
    EXPECT_EQ(x[5], 1);
  }
}

TEST(TlcLine, PointFaults) {
  struct Case {
    const char* text;
    int64_t nv;
  } cases[] = {
      {"0 0 10\n0 5 5\n", 3},         // a pair split over two lines
      {"0 0 10 0\n", 3},              // end of file
      {"0 0\n<B>\n1 1\n", 2},         // a record opens
      {"0 536870913\n", 1},           // beyond +-2^29
      {"0 0 x 1\n", 2},               // not a number
  };
  for (const Case& c : cases) {
    Source s(c.text);
    int32_t x[4], y[4];
    EXPECT_EQ(TlcReadPoints(s.in.get(), c.nv, 4, x, y, TLC_COORD_MAX), 0) << c.text;
  }
  // Pairs beyond what is kept are still read and checked.
  Source s("1 1 2 2 3 3 4 4\n5 5\n");
  int32_t x[2] = {}, y[2] = {};
  EXPECT_EQ(TlcReadPoints(s.in.get(), 5, 2, x, y, TLC_COORD_MAX), 1);
  EXPECT_EQ(x[1], 2);
  EXPECT_EQ(TlcLineGet(s.in.get()), nullptr);
}

TEST(TlcLine, TextOfLine) {
  struct Case {
    const char* line;
    int max;
    const char* text;
  } cases[] = {
      {"<![CDATA[VDD]]>", 80, "VDD"},
      {"<![CDATA[]]>", 80, ""},
      {"<![CDATA[a]]>b]]>", 80, "a]]>b"},
      {"<![CDATA[open", 80, "<![CDATA[open"},
      {"=C", 80, "=C"},
      {"plain text", 5, "plain"},
      {"<![CDATA[0123456789]]>", 4, "0123"},
  };
  for (const Case& c : cases) {
    char out[81];
    TlcTextOfLine(c.line, out, c.max);
    EXPECT_STREQ(out, c.text) << c.line;
  }
}

TEST(TlcLine, CopyCutAndTidy) {
  char out[5];
  TlcCopyCut(out, "abcdefg", 4, 1);
  EXPECT_STREQ(out, "ABCD");
  TlcCopyCut(out, nullptr, 4, 0);
  EXPECT_STREQ(out, "");
  char s[] = " \t x \x7f\x80";
  EXPECT_STREQ(TlcTidy(s, 1), "x");
}

}  // namespace
