// The satellites' record store and TLC reader: packing, limits, both record
// forms and the records that must be refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host.h"
#include "host_record.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satsetup.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

void Fresh() {
  TlcStoreReset();
  CellInfoReset();
  HostRecordInstall();
}

std::string Texts() {
  std::string s;
  for (auto& t : HostRecordTexts()) s += t + "|";
  return s;
}

}  // namespace

TEST(TlcStore, TextsArePackedEightCharactersAVertex) {
  struct Case {
    const char* text;
    int vertices;  // position vertex included
    uint32_t x1, y1, x2, y2;
  } cases[] = {
      {"ABCDEFGHI", 3, 0x41424344, 0x45464748, 0x49000000, 0},
      {"ABCDEFGHIJKLMNOPQ", 4, 0x41424344, 0x45464748, 0x494a4b4c, 0x4d4e4f50},
      {"", 1, 0, 0, 0, 0},
      {"\xe9t\xe9", 2, 0xe974e900, 0, 0, 0},  // bytes taken unsigned
  };
  for (const Case& c : cases) {
    Fresh();
    TLCt = {};
    TLCt.lyr = 7;
    TLCt.size = 15;
    TLCt.o = 5;
    TLCt.x = -3;
    TLCt.y = 9;
    snprintf(TLCt.text, sizeof TLCt.text, "%s", c.text);
    ASSERT_EQ(TlcMakeT(), 1) << c.text;
    EXPECT_EQ(TlcStore.nV, c.vertices) << c.text;
    EXPECT_EQ(getP(0, 1), (int32_t)(7 | 5 << 17 | 0x80000000u));
    int32_t v = getP(2, 1);
    EXPECT_EQ(getV(1, v), -3);
    EXPECT_EQ(getV(2, v), 9);
    if (c.vertices > 1) {
      int32_t v1 = getV(3, v);
      EXPECT_EQ(getV(0, v1), (int32_t)(1 | 0x80000000u));
      EXPECT_EQ((uint32_t)getV(1, v1), c.x1) << c.text;
      EXPECT_EQ((uint32_t)getV(2, v1), c.y1) << c.text;
      if (c.vertices > 2) {
        int32_t v2 = getV(3, v1);
        EXPECT_EQ((uint32_t)getV(1, v2), c.x2) << c.text;
        EXPECT_EQ((uint32_t)getV(2, v2), c.y2) << c.text;
      }
    }
    // The chain ends with next = 0 at the last vertex.
    EXPECT_EQ(getV(3, TlcStore.nV), 0);
    char back[TXTLEN + 1];
    TlcTextGet(1, back, sizeof back);
    EXPECT_STREQ(back, c.text);
  }
}

TEST(TlcStore, LimitsRefuseWholeRecordsWithTheirMessage) {
  struct Case {
    const char* what;
    int (*make)();
    int32_t* limit;
    int* flag;
    const char* message;
  } cases[] = {
      {"boxes", TlcMakeB, &TlcStore.limB, &TlcStore.BlimFlag, "TLC Boxes Exceed Limit ... Load Aborted"},
      {"paths", TlcMakeP, &TlcStore.limP, &TlcStore.PlimFlag, "TLC Paths Exceed Limit ... Load Aborted"},
      {"vertices", TlcMakeP, &TlcStore.limV, &TlcStore.VlimFlag, "TLC Vertices Exceed Limit ... Load Aborted"},
  };
  for (const Case& c : cases) {
    Fresh();
    *c.limit = 6;
    TLCb = {1, 0, 0, 1, 1};
    TLCp.lyr = 1;
    TLCp.w = 0;
    TLCp.nv = 4;
    for (int i = 0; i < 4; ++i) TLCp.x[i] = TLCp.y[i] = i;
    int stored = 0;
    for (int k = 0; k < 8; ++k) stored += c.make();
    // Vertices: one path of 4 fits in 6, the second would be cut: refused whole.
    int want = c.make == TlcMakeB ? 6 : (c.limit == &TlcStore.limV ? 1 : 6);
    EXPECT_EQ(stored, want) << c.what;
    EXPECT_EQ(*c.flag, 1) << c.what;
    EXPECT_EQ(HostRecordTexts().size(), 8u - want) << c.what;  // once per refused call
    EXPECT_EQ(HostRecordTexts().front(), c.message) << c.what;
    if (c.make == TlcMakeP) {
      // Every stored path is whole: its chain has all four vertices.
      for (int32_t p = 1; p <= TlcStore.nP; ++p) {
        int n = 0;
        for (int32_t v = getP(2, p); v; v = getV(3, v)) ++n;
        EXPECT_EQ(n, 4) << c.what;
      }
    }
    TlcLimitsReset();
    EXPECT_FALSE(TlcLimitHit());
  }
}

TEST(TlcStore, GetAndPutRefuseIndicesAndFieldsOutOfRange) {
  Fresh();
  struct Case {
    int field;
    int32_t n;
  } bad[] = {{0, 0}, {0, -1}, {0, BMAX + 1}, {5, 1}, {-1, 1}};
  for (const Case& c : bad) {
    EXPECT_EQ(putB(7, c.field, c.n), 0) << c.field << " " << c.n;
    EXPECT_EQ(getB(c.field, c.n), 0);
  }
  EXPECT_EQ(putB(7, 4, BMAX), 1);
  EXPECT_EQ(getB(4, BMAX), 7);
  EXPECT_EQ(putA(9, 23, 2, 1), 1);
  EXPECT_EQ(putA(9, 24, 2, 1), 0);
  EXPECT_EQ(allocV(TLCS_VERT_BLOCKS - 1), 1);
  EXPECT_EQ(allocV(TLCS_VERT_BLOCKS), 0);
  EXPECT_EQ(TLCS_BOX_PER_BLOCK, 409);
  EXPECT_EQ(TLCS_PATH_PER_BLOCK, 682);
  EXPECT_EQ(TLCS_VERT_PER_BLOCK, 512);
  EXPECT_EQ(TLCS_CEL_PER_BLOCK, 682);
  TlcStoreReset();
}

// Blocks are made on first touch in any order, many to an allocation: every
// record keeps its own values, a block never touched reads as zeros, and a
// freed table reads as nothing, also where its memory serves again.
TEST(TlcStore, RecordsOfManyBlocksKeepTheirValues) {
  Fresh();
  const int32_t boxes = 300 * TLCS_BOX_PER_BLOCK + 7;  // past the small allocations
  const int32_t order[] = {BMAX, boxes, 1, BMAX / 2};   // blocks made out of order first
  for (int32_t n : order) ASSERT_EQ(putB(n, 4, n), 1) << n;
  for (int32_t n = 1; n <= boxes; ++n)
    for (int f = 0; f < 5; ++f) ASSERT_EQ(putB(n * 5 + f, f, n), 1);
  for (int32_t v = 1; v <= 2 * TLCS_VERT_PER_BLOCK; ++v) ASSERT_EQ(putV(-v, 1, v), 1);
  int32_t wrong = 0;
  for (int32_t n = 1; n <= boxes; ++n)
    for (int f = 0; f < 5; ++f) wrong += getB(f, n) != n * 5 + f;
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(getB(4, BMAX), BMAX);
  EXPECT_EQ(getB(4, BMAX / 2), BMAX / 2);
  EXPECT_EQ(getB(0, BMAX / 2), 0);            // the rest of a touched record
  EXPECT_EQ(getB(4, boxes + 1), 0);           // past the last record written
  EXPECT_EQ(getB(4, 2 * boxes), 0);           // a block never touched
  EXPECT_EQ(getV(1, 2 * TLCS_VERT_PER_BLOCK), -2 * TLCS_VERT_PER_BLOCK);
  freeBPV();
  EXPECT_EQ(getB(4, boxes), 0);
  EXPECT_EQ(getV(1, 1), 0);
  // The next read gets the same memory again, and it holds nothing of the last.
  for (int32_t n : order) ASSERT_EQ(putB(1, 0, n), 1);
  for (int32_t n = 1; n <= boxes; ++n) ASSERT_EQ(putB(1, 0, n), 1);
  int32_t stale = 0;
  for (int32_t n = 1; n <= boxes; ++n)
    for (int f = 1; f < 5; ++f) stale += getB(f, n) != 0;
  EXPECT_EQ(stale, 0);
  EXPECT_EQ(getB(4, BMAX), 0);
  EXPECT_EQ(getB(0, BMAX), 1);
  EXPECT_EQ(TlcStore.oomFlag, 0);
  TlcStoreReset();
}

TEST(TlcRead, BothFormsGiveTheSameStore) {
  const char* tagged =
      "<?xml version=\"1.0\"?>\n<TLC>\n<H>\nCELL\n7.0.91\n7.0.91\n1000\num\n01/01/26\n00:00:00\n1 0 0 1 1\n1 2 3 0\n</H>\n"
      "<B>\n3 10 20 0 0\n</B>\n"
      "  <P>\n5 -4 12\n0 0 1 1 2 2 3 3 4 4 \n5 5 6 6 7 7 8 8 9 9 \n10 10 11 11 \n</P>\n"
      "<P>\n6 0 3\n0 0\n1 1\n2 2\n</P>\n"
      "<T>\n8 15 3 6\n1 2\n<![CDATA[ABCDEFGHI]]>\n</T>\n</TLC>\n";
  const char* old =
      "=H\nCELL\n7.0.91\n7.0.91\n1000\num\n01/01/26\n00:00:00\n1 0 0 1 1\n1 2 3 0\n"
      "=B\n3 0 0 10 20\n=P\n5 -4 12\n0 0 1 1 2 2 3 3 4 4\n5 5 6 6 7 7 8 8 9 9\n10 10 11 11\n"
      "=P\n6 0 3\n0 0 1 1 2 2\n=T\n8 15 3 6\n1 2\nABCDEFGHI\n";
  for (const char* text : {tagged, old}) {
    TempFolder t;
    t.Write("CELL.TLC", text);
    Fresh();
    ASSERT_EQ(TlcReadBPV("CELL"), 0) << Texts();
    EXPECT_EQ(TlcStore.nB, 1);
    EXPECT_EQ(getB(1, 1), 0);  // corners ordered
    EXPECT_EQ(getB(3, 1), 10);
    EXPECT_EQ(getB(4, 1), 20);
    ASSERT_EQ(TlcStore.nP, 3);
    int n = 0;
    for (int32_t v = getP(2, 1); v; v = getV(3, v), ++n) EXPECT_EQ(getV(1, v), n);
    EXPECT_EQ(n, 12);
    EXPECT_EQ(getP(1, 1), -4);
    char back[TXTLEN + 1];
    TlcTextGet(3, back, sizeof back);
    EXPECT_STREQ(back, "ABCDEFGHI");
    EXPECT_EQ((getP(0, 3) >> 17) & 7, 6);
  }
}

TEST(TlcRead, BadRecordsAreReportedAndTheRestIsRead) {
  struct Case {
    const char* name;
    const char* record;
    const char* message;
  } cases[] = {
      {"path of 0 vertices", "<P>\n1 0 0\n</P>\n", "Path Record Read Error"},
      {"path of -3 vertices", "<P>\n1 0 -3\n</P>\n", "Path Record Read Error"},
      {"path over the buffer", "<P>\n1 0 1041\n", "Path Record Read Error ... More than 1040 Vertices"},
      {"pair split over lines", "<P>\n1 0 2\n0 0 5\n5\n</P>\n", "Path Record Read Error"},
      {"path cut short", "<P>\n1 0 3\n0 0 1 1\n</P>\n", "Path Record Read Error"},
      {"box field missing", "<B>\n1 0 0 5\n</B>\n", "Box Record Read Error"},
      {"box field not a number", "<B>\n1 0 0 5 x\n</B>\n", "Box Record Read Error"},
      {"box number over 32 bits", "<B>\n1 0 0 5 4294967296\n</B>\n", "Box Record Read Error"},
      {"text without its text line", "<T>\n1 15 2 0\n0 0", "Text Record Read Error"},
  };
  for (const Case& c : cases) {
    TempFolder t;
    std::string body = std::string("<B>\n1 0 0 1 1\n</B>\n") + c.record;
    if (std::string(c.name) == "path over the buffer") {
      for (int i = 0; i < 1041; ++i) body += std::to_string(i) + " 0\n";
      body += "</P>\n";
    }
    body += "<B>\n2 0 0 2 2\n</B>\n";
    t.Write("CELL.TLC", body);
    Fresh();
    EXPECT_EQ(TlcReadBPV("CELL"), 1) << c.name;
    EXPECT_EQ(Texts(), std::string(c.message) + "|") << c.name;
    // Boxes on both sides of the bad record are there (unless the bad record
    // swallowed the closing lines it waited for).
    EXPECT_GE(TlcStore.nB, 1) << c.name;
    EXPECT_EQ(getB(0, 1), 1) << c.name;
  }
}

TEST(TlcRead, LongPathReadsWholeAndNextRecordStaysInStep) {
  TempFolder t;
  std::string body = "<P>\n1 0 1040\n";
  for (int i = 0; i < 1040; ++i) body += std::to_string(i) + " " + std::to_string(-i) + (i % 3 == 2 ? "\n" : " ");
  body += "\n</P>\n<P>\n1 0 1100\n";
  for (int i = 0; i < 1100; ++i) body += "1 1\n";
  body += "</P>\n<B>\n4 0 0 1 1\n</B>\n";
  t.Write("CELL.TLC", body);
  Fresh();
  EXPECT_EQ(TlcReadBPV("CELL"), 1);
  EXPECT_EQ(TlcStore.nP, 1);
  EXPECT_EQ(TlcStore.nV, 1040);
  EXPECT_EQ(getV(2, 1040), -1039);
  EXPECT_EQ(TlcStore.nB, 1);  // the box after the refused path is read as a box
  EXPECT_EQ(getB(0, 1), 4);
}

TEST(TlcRead, CellReferencesGetTheirCellIndexPerDepth) {
  TempFolder t;
  t.Write("QUIL7.CRF", "2\nINV1\n1 0 0 1 1 0 0 0 0\nTOP\n2 0 0 1 1 0 0 0 2\n\n");
  t.Write("TOP.TLC",
          "<C>\ninv1\n13 100 -200 1\n</C>\n<C>\nGHOST\n2 5 6 0\n</C>\n=C\nINV1\n3 100 -200\n");
  Fresh();
  ASSERT_EQ(SatCrfRead(), 0);
  EXPECT_EQ(TlcReadC("TOP", 2), 1);  // the third record lacks r
  EXPECT_EQ(Texts(), "Cell Record Read Error|");
  ASSERT_EQ(TlcStore.nA[2], 2);
  EXPECT_EQ(getA(2, 0, 1), 1 | 1 << 15 | 5 << 17);  // index 1, outline, o & 7
  EXPECT_EQ(getA(2, 1, 1), 100);
  EXPECT_EQ(getA(2, 2, 1), -200);
  EXPECT_EQ(getA(2, 0, 2) & 0x3fff, 0);  // not in the list
  // Deeper depths are freed by a read at a shallower one; depth 24 refused.
  ASSERT_EQ(putA(1, 5, 0, 1), 1);
  TlcStore.nA[5] = 1;
  EXPECT_EQ(TlcReadC("TOP", 24), 1);
  EXPECT_EQ(TlcStore.nA[5], 1);
  TlcReadC("TOP", 3);
  EXPECT_EQ(TlcStore.nA[5], 0);
  EXPECT_EQ(TlcStore.nA[2], 2);
  EXPECT_EQ(TlcReadC("NOFILE", 0), 1);
  EXPECT_EQ(TlcStore.lastMissing, 1);
  EXPECT_EQ(TlcReadBPV(""), 1);
}

TEST(TlcRead, CdataTextsAndLongLines) {
  struct Case {
    const char* line;
    const char* text;
  } cases[] = {
      {"<![CDATA[A B]]>", "A B"},
      {"<![CDATA[unclosed", "<![CDATA[unclosed"},
      {"plain text", "plain text"},
      {"<![CDATA[]]>", ""},
  };
  for (const Case& c : cases) EXPECT_STREQ(getCDATAtext(c.line), c.text);
  TempFolder t;
  std::string longText(120, 'x');
  t.Write("CELL.TLC", "<T>\n1 15 2 0\n0 0\n" + longText + "\n</T>\n<B>\n1 0 0 1 1\n</B>\n");
  Fresh();
  EXPECT_EQ(TlcReadBPV("CELL"), 0);
  char back[TXTLEN + 1];
  TlcTextGet(1, back, sizeof back);
  EXPECT_EQ(std::string(back), longText.substr(0, 80));
  EXPECT_EQ(TlcStore.nB, 1);
}

TEST(TlcRead, RecordAtATimeAndTheEditionsOfTheReader) {
  TempFolder t;
  t.Write("CELL.TLC", "<H>\nCELL\n</H>\n=C\nA\n2 5 6\n<B>\n1 0 0 1 1\n</B>\n<P>\n1 0 0\n</P>\n<T>\n3 15 2 0\n0 0\nX\n</T>\n");
  Fresh();
  TlcStore.cellNoOutline = 1;  // converters read references without the outline flag
  ASSERT_EQ(TlcReadOpen("cell"), 1);
  std::string tags;
  int ok = 0;
  for (int tag; (tag = TlcReadTag()) != 0;) {
    tags += (char)tag;
    if (tag == 'C') ok += ReadC(0);
    if (tag == 'B') ok += ReadB();
    if (tag == 'P') ok += ReadP();
    if (tag == 'T') ok += ReadT();
  }
  EXPECT_EQ(TlcReadEnd(), 0);
  EXPECT_EQ(tags, "HCBPT");
  EXPECT_EQ(ok, 3);  // the path of no vertices fails
  EXPECT_STREQ(TLCc[0].name, "A");
  EXPECT_EQ(TLCc[0].x, 5);
  EXPECT_STREQ(TLCt.text, "X");
  EXPECT_EQ(TlcReadOpen("none"), 0);
  EXPECT_EQ(TlcStore.lastMissing, 1);
  TlcStore.cellNoOutline = 0;

  // The plain edition pauses after a record error, the other does not; a
  // reader that drops texts stores none.
  t.Write("BAD.TLC", "<B>\n1 0\n</B>\n<T>\n3 15 2 0\n0 0\nX\n</T>\n");
  struct Case {
    const SatEdition* edition;
    int textMode;
    size_t pauses;
    int32_t paths;
  } cases[] = {{&SatEditionPlain, 0, 1, 1}, {&SatEditionEditor, 1, 0, 0}};
  for (const Case& c : cases) {
    Fresh();
    static SatProgram prog = {};
    prog.displayName = "Test";
    prog.edition = c.edition;
    SatProgramSet(&prog);
    TlcStore.textMode = c.textMode;
    EXPECT_EQ(TlcReadBPV("BAD"), 1);
    EXPECT_EQ(HostRecordGet().pauses.size(), c.pauses);
    EXPECT_EQ(TlcStore.nP, c.paths);
    SatProgramSet(nullptr);
  }
  TlcStore.textMode = 0;
}

TEST(TlcRead, OrientXYMovesPointsByTheirCode) {
  struct Case {
    int o;
    int32_t x, y;
  } cases[] = {{0, 3, 5}, {1, -5, 3}, {2, -3, -5}, {3, 5, -3}, {4, 3, -5}, {5, 5, 3}, {6, -3, 5}, {7, -5, -3}, {8, 3, 5}, {-1, 3, 5}};
  for (const Case& c : cases) {
    int32_t x = 3, y = 5;
    OrientXY(c.o, &x, &y);
    EXPECT_EQ(x, c.x) << c.o;
    EXPECT_EQ(y, c.y) << c.o;
  }
}
