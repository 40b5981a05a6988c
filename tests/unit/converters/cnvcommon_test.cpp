#include "cnvcommon.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cnvcells.h"
#include "cnvtlc.h"
#include "convtest.h"
#include "host_record.h"

namespace {

TEST(CnvCommon, PathUnquoteKeepsBlanks) {
  char out[CNV_PATHLEN + 1];
  PathUnquote("\"C:\\My Chips\\top.tlc\"", out, sizeof out);
  EXPECT_STREQ(out, "C:\\My Chips\\top.tlc");
  char small[6];
  PathUnquote("\"abcdefgh\"", small, sizeof small);
  EXPECT_STREQ(small, "abcde");
}

TEST(CnvCommon, ArgTakeGivesTheFileOrNothing) {
  struct Case {
    const char* cmdLine;
    int taken;
    const char* arg;
  } cases[] = {
      {"\"C:\\My Chips\\top.gds\" ", 1, "C:\\My Chips\\top.gds"},
      {"top.tlc", 1, "top.tlc"},
      {"  \"\" ", 0, ""},
      {"", 0, ""},
      {nullptr, 0, ""},
  };
  for (const Case& c : cases) {
    char arg[CNV_PATHLEN + 1] = "old";
    EXPECT_EQ(CnvArgTake(c.cmdLine, arg, sizeof arg), c.taken) << (c.cmdLine ? c.cmdLine : "null");
    EXPECT_STREQ(arg, c.arg);
  }
  char small[4];
  EXPECT_EQ(CnvArgTake("abcdef", small, sizeof small), 1);
  EXPECT_STREQ(small, "abc");
}

TEST(CnvCommon, LdmCaptionNamesTheMapFile) {
  char text[40];
  CnvLdmCaption("C:\\Work\\chip.ldm", text, sizeof text);
  EXPECT_STREQ(text, "Building chip.ldm");
  CnvLdmCaption("", text, sizeof text);
  EXPECT_STREQ(text, "Building ");
  char tiny[12];
  CnvLdmCaption(std::string(300, 'x').c_str(), tiny, sizeof tiny);  // cut, never overrun
  EXPECT_STREQ(tiny, "Building xx");
}

TEST(CnvCommon, YesNoSettings) {
  struct Case {
    const char* in;
    int yes;
    const char* out;
  } cases[] = {{"y", 1, "Y"}, {"yes", 1, "YES"}, {"N", 0, "N"}, {"", 0, "N"}, {"maybe", 0, "N"}, {" Y", 0, "N"}};
  for (const Case& c : cases) {
    char v[8];
    snprintf(v, sizeof v, "%s", c.in);
    EXPECT_EQ(CnvYesNo(v, sizeof v), c.yes) << c.in;
    EXPECT_STREQ(v, c.out);
  }
}

TEST(CnvCommon, TakeNowKeepsASetTime) {
  struct tm now = {};
  now.tm_year = 126;
  now.tm_mon = 11;
  now.tm_mday = 9;
  now.tm_hour = 7;
  now.tm_min = 5;
  now.tm_sec = 3;
  char date[40], clock[40];
  CnvTakeNow(&now, 1, date, sizeof date, clock, sizeof clock);
  EXPECT_STREQ(date, "12/09/26");
  EXPECT_STREQ(clock, "07:05:03");
  CnvTakeNow(&now, 0, date, sizeof date, clock, sizeof clock);  // the clock's own time
  EXPECT_NE(now.tm_year, 0);
}

TEST(CnvCommon, FileCloseForgetsTheFile) {
  WorkDir dir;
  FILE* f = nullptr;
  EXPECT_EQ(CnvFileClose(&f), 1);  // nothing open
  f = fopen("out.txt", "wt");
  ASSERT_NE(f, nullptr);
  fputs("text\n", f);
  EXPECT_EQ(CnvFileClose(&f), 1);
  EXPECT_EQ(f, nullptr);
  f = fopen("out.txt", "rt");  // a write to a read-only stream fails
  ASSERT_NE(f, nullptr);
  fputs("more", f);
  EXPECT_EQ(CnvFileClose(&f), 0);
  EXPECT_EQ(f, nullptr);
}

TEST(CnvCommon, LayerSelTextRanges) {
  struct Case {
    uint64_t mask;
    int offset;
    const char* want;
  } cases[] = {
      {0x47, 0, "1-3 7 "},
      {0, 64, ""},
      {1ULL << 63, 192, "256 "},
      {~0ULL, 64, "65-128 "},
      {0x5, 128, "129 131 "},
  };
  for (const Case& c : cases) {
    char text[1100] = "";
    LayerSelText(text, sizeof text, c.mask, c.offset);
    EXPECT_STREQ(text, c.want);
  }
  char tiny[5] = "";
  LayerSelText(tiny, sizeof tiny, 0x5555, 0);  // never overruns
  EXPECT_STREQ(tiny, "1 3 ");
}

TEST(CnvCommon, CrfMissingFindsTheOlderNames) {
  WorkDir dir;
  EXPECT_EQ(CrfMissing(), 1);
  WriteText("CELLS6.DBD", "0\n");
  EXPECT_EQ(CrfMissing(), 0);
}

TEST(CnvCommon, AngleWrapAndPathSplit) {
  EXPECT_NEAR(AngleWrap(4.0), 4.0 - 6.2831852, 1e-12);
  EXPECT_NEAR(AngleWrap(-7.0), -7.0 + 6.2831852, 1e-12);
  EXPECT_NEAR(AngleWrap(-13.0), -13.0 + 2 * 6.2831852, 1e-12);
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
  CnvPathSplit("C:\\Work\\Chip\\top.v1.tlc", d, f, n, e);
  EXPECT_STREQ(d, "C:");
  EXPECT_STREQ(f, "\\Work\\Chip\\");
  EXPECT_STREQ(n, "top.v1");
  EXPECT_STREQ(e, ".tlc");
  CnvPathSplit("plain", d, f, n, e);
  EXPECT_STREQ(n, "plain");
  EXPECT_STREQ(e, "");
}

TEST(CnvCommon, FileNameCheckMessages) {
  HostRecord& h = HostRecordInstall();
  EXPECT_EQ(FileNameCheck("GOOD_1"), 0);
  EXPECT_EQ(FileNameCheck("A B."), 1);
  EXPECT_EQ(h.messages.size(), 2u);
  EXPECT_EQ(h.messages[0].text, "Illegal Character \" \" in Filename");
  h.messages.clear();
  EXPECT_EQ(FileNameCheck("lpt1"), 1);
  EXPECT_EQ(h.messages[0].text, "Reserved or Incorrect Filename \"lpt1\"");
  h.messages.clear();
  EXPECT_EQ(FileNameCheck(std::string(33, 'A').c_str()), 1);
  EXPECT_EQ(h.messages[0].text, "File Cellname \"" + std::string(33, 'A') + "\" is too Long");
  HostRecordRemove();
}

TEST(CnvTlc, RecordsOfBothForms) {
  WorkDir dir;
  WriteText("CELL.tlc",
            "=H\ncell\n7.0.91\n7.0.91\n1000\num\n01/01/26\n10:00:00\n2 0 0 9 9\n1 1 2 1\n"
            "  =B\n5 10 20 0 0\n"
            "<P>\n7 -40 12\n0 0 1 1 2 2 3 3 4 4 \n5 5 6 6 7 7 8 8 9 9 \n10 10 11 11 \n</P>\n"
            "<P>\n7 0 3\n1 2\n3 4\n5 6\n</P>\n"
            "=T\n3 100 2 6\n-5 7\nhello world\n"
            "<T>\n3 100 2 1\n0 0\n<![CDATA[a <b> c]]>\n</T>\n"
            "=C\nsub\n13 -5 6\n");
  static TlcIn in;
  ASSERT_EQ(TlcOpenRead(&in, "", "", "CELL"), 1);
  std::unique_ptr<CnvHdr> h(new CnvHdr);
  ASSERT_EQ(TlcReadH(&in, h.get()), 1);
  EXPECT_STREQ(h->name, "CELL");
  EXPECT_EQ(h->scale, 1000);
  EXPECT_EQ(h->rank, 2);
  std::unique_ptr<CnvPath> p(new CnvPath);
  CnvBox b;
  CnvText t;
  CnvCell c;
  int paths = 0, texts = 0;
  const char* line;
  while ((line = TlcNextLine(&in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_BOX:
        ASSERT_EQ(ReadB(&in, &b), 1);
        EXPECT_EQ(b.l, 0);
        EXPECT_EQ(b.r, 10);
        EXPECT_EQ(b.t, 20);
        break;
      case TLC_PATH:
        ASSERT_EQ(ReadP(&in, p.get()), 1);
        if (paths++ == 0) {
          EXPECT_EQ(p->nv, 12);
          EXPECT_EQ(p->w, -40);
          EXPECT_EQ(p->x[11], 11);
        } else {
          EXPECT_EQ(p->nv, 3);
          EXPECT_EQ(p->y[2], 6);
        }
        break;
      case TLC_TEXT:
        ASSERT_EQ(ReadT(&in, &t), 1);
        EXPECT_STREQ(t.text, texts++ == 0 ? "hello world" : "a <b> c");
        break;
      case TLC_CELL:
        ASSERT_EQ(ReadC(&in, &c), 1);
        EXPECT_STREQ(c.name, "SUB");
        EXPECT_EQ(c.o, 5);
        break;
    }
  }
  EXPECT_EQ(paths, 2);
  EXPECT_EQ(texts, 2);
  TlcCloseRead(&in);
}

TEST(CnvTlc, PathRecordsBeyondTheBufferFailButKeepTheFileInStep) {
  WorkDir dir;
  std::string pts;
  for (int i = 0; i < 1100; ++i) pts += std::to_string(i) + " 0 " + ((i % 5 == 4) ? "\n" : "");
  WriteText("LONG.tlc", "<P>\n1 10 1100\n" + pts + "</P>\n<B>\n1 0 0 1 1\n</B>\n");
  static TlcIn in;
  ASSERT_EQ(TlcOpenRead(&in, "", "", "LONG"), 1);
  std::unique_ptr<CnvPath> p(new CnvPath);
  ASSERT_EQ(TlcLineKind(TlcNextLine(&in)), TLC_PATH);
  EXPECT_EQ(ReadP(&in, p.get()), 0);  // never cut short silently
  EXPECT_EQ(p->nv, CNV_PVSIZ);
  EXPECT_EQ(p->cut, 1);
  EXPECT_EQ(p->x[CNV_PVSIZ - 1], CNV_PVSIZ - 1);
  EXPECT_EQ(TlcLineKind(TlcNextLine(&in)), TLC_OTHER);  // "</P>"
  EXPECT_EQ(TlcLineKind(TlcNextLine(&in)), TLC_BOX);
  TlcCloseRead(&in);
}

// The writers' cell walk: how names are kept and compared, and the order.
// Placed names come upper-cased from the records; the main cell "mid" is
// placed again as "MID" by LEAF.
TEST(CnvCells, WalkKeepsComparesAndOrdersAsAsked) {
  struct Case {
    const char* name;
    int upper, noCase, descending;
    std::vector<std::string> order;
  } cases[] = {
      {"as they stand", 0, 0, 0, {"LEAF", "mid", "MID"}},
      {"kept upper-cased", 1, 0, 0, {"LEAF", "MID"}},
      {"compared without case", 0, 1, 0, {"LEAF", "mid"}},
      {"descending", 1, 1, 1, {"MID", "LEAF"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir;
    HostRecordInstall();
    WriteText("mid.tlc", TlcCell("MID", 2, "<C>\nLEAF\n0 0 0 0\n</C>\n"));
    WriteText("MID.tlc", TlcCell("MID", 2, "<C>\nLEAF\n0 0 0 0\n</C>\n"));
    WriteText("LEAF.tlc", TlcCell("LEAF", 1, "<C>\nMID\n0 0 0 0\n</C>\n"));
    std::unique_ptr<TlcIn> in(new TlcIn());
    CnvHdr hdr;
    CnvCell cell;
    CnvCellEntry cells[9];
    int n = 0, abort = 0;
    CnvCellWalk w = {cells, &n, 8, in.get(), &hdr, &cell, "", "", c.upper, c.noCase, c.descending,
                     "%s Missing", "Cell Read Error", &abort, nullptr, nullptr, nullptr, nullptr};
    ASSERT_EQ(CnvCellListWalk(&w, "mid"), 1);
    std::vector<std::string> order;
    for (int i = 1; i <= n; ++i) order.push_back(cells[i].name);
    EXPECT_EQ(order, c.order);
    HostRecordRemove();
  }
}

TEST(CnvCells, WalkStops) {
  struct Case {
    const char* name;
    const char* top;
    int max;
    const char* message;
  } cases[] = {
      {"missing cell", "<C>\nGONE\n0 0 0 0\n</C>\n", 8, "GONE Missing"},
      {"bad placement", "<C>\nLEAF\n0 0\n</C>\n", 8, "Cell Read Error"},
      {"name outside the folder", "<C>\n..\\LEAF\n0 0 0 0\n</C>\n", 8, "Incorrect Cell Name \"..\\LEAF\" in TOP.tlc"},
      {"too many", "<C>\nLEAF\n0 0 0 0\n</C>\n", 1, "Too Many Cells (Max 1) ... Can't Continue"},
      {"no header", nullptr, 8, "Header Record Read Error ... Can't Continue"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WorkDir dir;
    HostRecord& host = HostRecordInstall();
    WriteText("TOP.tlc", c.top ? TlcCell("TOP", 2, c.top) : std::string("<TLC>\n</TLC>\n"));
    WriteText("LEAF.tlc", TlcCell("LEAF", 1, ""));
    std::unique_ptr<TlcIn> in(new TlcIn());
    CnvHdr hdr;
    CnvCell cell;
    CnvCellEntry cells[9];
    int n = 0, abort = 0;
    CnvCellWalk w = {cells, &n, c.max, in.get(), &hdr, &cell, "", "", 0, 0, 0,
                     "%s Missing", "Cell Read Error", &abort, nullptr, nullptr, nullptr, nullptr};
    EXPECT_EQ(CnvCellListWalk(&w, "TOP"), 0);
    EXPECT_EQ(abort, 1);
    bool said = false;
    for (const auto& m : host.messages) said = said || m.text.find(c.message) != std::string::npos;
    EXPECT_TRUE(said);
    HostRecordRemove();
  }
}

}  // namespace
