#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ckt_load.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

int ReadOwn(CktState& st, const std::string& text) {
  static TlcLineIn in;
  TlcLineOpenMem(&in, text.data(), text.size(), 1);
  int bad = TlcReadObjsFrom(st, &in, 1, 1, 0, 0, 0);
  TlcLineClose(&in);
  return bad;
}

TEST(CktLoad, RecordsOfBothFormsWithLayerFilters) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int bad = ReadOwn(st, 
      "<?xml version=\"1.0\"?>\n<TLC>\n"
      "<B>\n7 10 20 0 5\n</B>\n"            // corners the wrong way round
      "   <B>\n6 0 0 4 4\n</B>\n"           // tag after blanks; an insulator is loaded
      "<B> box\n7 0 0 1 1\n"                // not a tag line: ignored
      "=B\n1 0 0 9 9\n"                     // layer not in the trace table
      "<P>\n7 4 7\n0 0 10 0 10 10 20 10 20 20\n30 20 30 30\n</P>\n"  // over two lines
      "<T>\n10 5 4 3\n1 2\n<![CDATA[ABCDEFGHIJKLMNOPQ]]>\n</T>\n"
      "<T>\n3 5 2 0\n1 2\nNOTLOADED\n</T>\n"
      "=T\n11 5 2 0\n7 8\n4 OUT\n"
      "<L>\n1\nMET 7\n</L>\n<H>\nX\n</H>\n</TLC>\n");
  EXPECT_EQ(bad, 0);
  ASSERT_EQ(st.store->nb, 2);
  EXPECT_EQ(BoxRec(st, 1)->left, 0);
  EXPECT_EQ(BoxRec(st, 1)->bottom, 5);
  EXPECT_EQ(BoxRec(st, 1)->right, 10);
  EXPECT_EQ(BoxRec(st, 1)->top, 20);
  EXPECT_EQ(BoxRec(st, 2)->layer, 6);
  ASSERT_EQ(st.store->np, 3);
  EXPECT_EQ(st.store->nt, 2);
  // The path: seven vertices; then the 17-character text: position and
  // three character vertices.
  EXPECT_EQ(st.store->nv, 7 + 4 + 2);
  CktVertex* last = VtxRec(st, 7);
  EXPECT_EQ(last->x, 30);
  EXPECT_EQ(last->y, 30);
  EXPECT_EQ(last->next, 0);
  EXPECT_STREQ(NodeName(st, 2), "ABCDEFGHIJKLMNOPQ");
  EXPECT_EQ((PathGet(st, 0, 2) >> 17) & 7, 3);
  char buf[90];
  TextOfPath(st, 3, 10, buf, sizeof buf);
  EXPECT_STREQ(buf, "4 OUT");
}

struct BadCase {
  const char* name;
  std::string text;
  const char* message;
  int boxesAfter;  // the box after the bad record is still read
};

TEST(CktLoad, BadRecordsAreReportedAndReadingGoesOn) {
  std::string many = "<P>\n7 2 1041\n";
  for (int i = 0; i < 1041; i++) many += std::to_string(i) + " 0\n";
  const BadCase cases[] = {
      {"pair split across lines", "<P>\n7 2 2\n0 0 5\n0\n</P>\n<B>\n7 0 0 1 1\n</B>\n", "Path Record Read Error", 1},
      {"vertex count above 1040", many + "</P>\n<B>\n7 0 0 1 1\n</B>\n",
       "Path Record Read Error ... More than 1040 Vertices", 1},
      {"vertex count 0", "<P>\n7 2 0\n</P>\n<B>\n7 0 0 1 1\n</B>\n", "Path Record Read Error", 1},
      {"vertex count negative", "<P>\n7 2 -3\n1 1 2 2\n</P>\n<B>\n7 0 0 1 1\n</B>\n", "Path Record Read Error", 1},
      {"missing box field", "<B>\n7 0 0 1\n</B>\n<B>\n7 0 0 1 1\n</B>\n", "Box Record Read Error", 1},
      {"box coordinate beyond 32 bits", "<B>\n7 0 0 1 99999999999\n</B>\n<B>\n7 0 0 1 1\n</B>\n",
       "Box Record Read Error", 1},
      {"text without its text line", "<T>\n10 5 2 0\n1 2\n<B>\n7 0 0 1 1\n</B>\n", "Text Record Read Error", 1},
      {"record cut by the end", "<P>\n7 2 3\n0 0 5 5\n", "Path Record Read Error", 0},
  };
  for (const BadCase& c : cases) {
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    EXPECT_EQ(ReadOwn(st, c.text), 1) << c.name;
    EXPECT_EQ(e.Count(c.message), 1) << c.name;
    EXPECT_EQ(st.store->nb, c.boxesAfter) << c.name;
    EXPECT_EQ(st.store->np, 0) << c.name;
    EXPECT_EQ(st.run.errCount, 1) << c.name;
  }
}

TEST(CktLoad, InstancesOfUnknownCellsAndOrientations) {
  Engine e;
  CktState& st = e.st;
  CellTableAdd(st, "INV", 2, 0, 0, 1, 1, 0, 0, 0, 1);
  std::string text = "<C>\n  inv\n13 5 6 1\n</C>\n<C>\nGHOST\n0 1 2 0\n</C>\n<C>\nINV\n1 2\n</C>\n";
  static TlcLineIn in;
  TlcLineOpenMem(&in, text.data(), text.size(), 1);
  TlcReadCFrom(st, &in, 0);
  ASSERT_EQ(st.store->bankCount[0], 2);
  EXPECT_EQ(getA(st, 0, 0, 1) & 0x3fff, 1);
  EXPECT_EQ((getA(st, 0, 0, 1) >> 17) & 7, 13 & 7);
  EXPECT_EQ((getA(st, 0, 0, 1) >> 15) & 1, 1);
  EXPECT_EQ(getA(st, 0, 0, 2) & 0x3fff, 0);
  EXPECT_EQ(e.Count("Cell Record Read Error"), 1);
}

// The banks 0..3 as (count, then word x y of each placement).
std::vector<int32_t> Banks(CktState& st) {
  std::vector<int32_t> v;
  for (int b = 0; b < 4; b++) {
    v.push_back(st.store->bankCount[b]);
    for (int32_t i = 1; i <= st.store->bankCount[b]; i++)
      for (int f = 0; f < 3; f++) v.push_back(getA(st, b, f, i));
  }
  return v;
}

// Within a run a cell read again into the bank it fills keeps its
// placements; whatever came between (another cell, a deeper read, a record
// added, a limit reached, a file gone) must leave the banks exactly as the
// reader without the run's copy leaves them.
TEST(CktLoad, PlacementsKeptWithinARunEqualTheReadersBanks) {
  char tmpl[] = "/tmp/ckt_load_XXXXXX";
  std::string folder = std::string(mkdtemp(tmpl)) + "/";
  auto write = [&](const char* name, const char* body) {
    FILE* f = fopen((folder + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    fprintf(f, "<TLC>\n%s</TLC>\n", body);
    fclose(f);
  };
  write("A.tlc", "<C>\nLEAF\n0 1 2 0\n</C>\n<C>\nLEAF\n1 3 4 0\n</C>\n");
  write("B.tlc", "<C>\nLEAF\n2 5 6 1\n</C>\n");
  // Read the ordinary way (a record is broken), yet two placements as A.
  write("BAD.tlc", "<C>\nLEAF\n4 8 9 0\n</C>\n<C>\nLEAF\n1\n</C>\n<C>\nB\n0 7 7 0\n</C>\n");
  write("LEAF.tlc", "<B>\n7 0 0 1 1\n</B>\n");
  std::vector<std::vector<int32_t>> seen[2];
  for (int cached = 0; cached < 2; cached++) {
    Engine e;
    CktState& st = e.st;
    snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
    CellTableAdd(st, "LEAF", 1, 0, 0, 1, 1, 1, 0, 0, 0);
    CellTableAdd(st, "A", 2, 0, 0, 9, 9, 0, 0, 0, 2);
    CellTableAdd(st, "B", 2, 0, 0, 9, 9, 0, 0, 0, 1);
    CellTableAdd(st, "GONE", 2, 0, 0, 9, 9, 0, 0, 0, 1);
    CellTableAdd(st, "BAD", 2, 0, 0, 9, 9, 0, 0, 0, 3);
    LowerCacheUse(st, cached);
    std::vector<std::vector<int32_t>>& s = seen[cached];
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 2); s.push_back(Banks(st));
    TlcReadC(st, "A", 1); s.push_back(Banks(st));  // the deeper bank is emptied
    TlcReadC(st, "B", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcMakeC(st, 1, "B", 0, 7, 7, 0);
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 0); s.push_back(Banks(st));  // the same cell at two levels
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcReadC(st, "GONE", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    TlcReadC(st, "BAD", 1); s.push_back(Banks(st));
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    st.store->aLim = 1;  // after a limit every read leaves the bank empty
    TlcReadC(st, "A", 1); s.push_back(Banks(st));
    EXPECT_EQ(e.Count("Cell GONE is in the Cell Reference File but its TLC File is Missing"), 1) << cached;
    EXPECT_EQ(e.Count("Cell Record Read Error"), 1) << cached;
    EXPECT_EQ(st.run.errCount, 2) << cached;
    LowerCacheUse(st, 0);
  }
  ASSERT_EQ(seen[0].size(), seen[1].size());
  for (size_t i = 0; i < seen[0].size(); i++) EXPECT_EQ(seen[1][i], seen[0][i]) << "step " << i;
  EXPECT_EQ(seen[0][0][1], 2);  // bank 0 empty, bank 1 A's two
  EXPECT_EQ(seen[0].back()[0 + 1 + 3 * 2], 0);  // bank 1 empty after the limit
  std::filesystem::remove_all(folder);
}

struct CrfCase {
  const char* name;
  std::string text;
  int cells;
  bool warned;
  std::vector<std::string> names;
};

TEST(CktLoad, CellReferenceListKeepsExactlyTheValidEntriesInOrder) {
  const CrfCase cases[] = {
      {"all valid", "2\nINV\n2 0 0 10 10 1 2 3 4\nnmos \r\n1 0 0 5 5 7 0 0 0\n", 2, false, {"INV", "NMOS"}},
      {"count says 5, 4 valid", "5\nA\n1 0 0 1 1 0 0 0 0\nB\n0 0 0 1 1 0 0 0 0\nC\n1 0 0 1 1 0 0 0 0\n"
                                "D\n2 0 0 1 1 0 0 0 1\nE\n1 0 0 1 1 0 0 0 0\n", 4, true, {"A", "C", "D", "E"}},
      {"short number line and bad name", "3\nA\n1 0 0\nB.C\n1 0 0 1 1 0 0 0 0\nD\n1 0 0 1 1 0 0 0 0\n", 1, true, {"D"}},
      {"count beyond the end", "3\nA\n1 0 0 1 1 0 0 0 0\n", 1, true, {"A"}},
      {"no count", "", 0, false, {}},
  };
  for (const CrfCase& c : cases) {
    Engine e;
    CktState& st = e.st;
    static TlcLineIn in;
    TlcLineOpenMem(&in, c.text.data(), c.text.size(), 0);
    CrfReadFrom(st, &in);
    EXPECT_EQ(st.store->cellCount, c.cells) << c.name;
    EXPECT_EQ(e.Count("Wrong Number of Cells was Read ... Keeping Original Cells"), c.warned ? 1 : 0) << c.name;
    for (size_t i = 0; i < c.names.size(); i++) EXPECT_EQ(st.store->cells[i + 1].name, c.names[i]) << c.name;
  }
}

TEST(CktLoad, CellReferenceListIsCappedAtTheTableSize) {
  Engine e;
  CktState& st = e.st;
  std::string text = "8200\n";
  for (int i = 0; i < 8200; i++) text += "C" + std::to_string(i) + "\n1 0 0 1 1 0 0 0 0\n";
  static TlcLineIn in;
  TlcLineOpenMem(&in, text.data(), text.size(), 0);
  CrfReadFrom(st, &in);
  EXPECT_EQ(st.store->cellCount, CKT_MAX_CELLS);
  EXPECT_STREQ(st.store->cells[CKT_MAX_CELLS].name, "C8189");
  EXPECT_EQ(e.Count("Only 8190 are Kept"), 1);
  EXPECT_EQ(e.Count("Wrong Number of Cells"), 0);
}

}  // namespace

namespace {

// The extractor's readers accept what its own files hold and the other
// programs refuse (layer 0, any orientation code, any outline value) and
// refuse what the others take (widths past 2^29, paths past 1040 points).
TEST(CktLoad, RecordReadersTakeTheExtractorsNumbers) {
  struct Case {
    const char* what;
    char kind;
    std::string text;
    int ok;
    int32_t field;  // box and path: layer; text: orientation; instance: outline
  };
  std::string points;
  for (int i = 0; i < 1041; i++) points += "1 1\n";
  const Case cases[] = {
      {"layer 0 box", 'B', "0 0 0 5 5\n", 1, 0},
      {"negative layer box", 'B', "-1 0 0 5 5\n", 0, 0},
      {"corner past 2^29", 'B', "1 0 0 536870913 5\n", 0, 0},
      {"1040 points", 'P', "3 10 1040\n" + points.substr(4), 1, 3},
      {"1041 points refused", 'P', "3 10 1041\n" + points, 0, 0},
      {"no points", 'P', "3 10 0\n", 0, 0},
      {"width past 2^29", 'P', "3 536870913 1\n0 0\n", 0, 0},
      {"orientation masked", 'T', "2 10 2 9\n0 0\nA\n", 1, 1},
      {"orientation past 32 bits", 'T', "2 10 2 4294967306\n0 0\nA\n", 1, 2},
      {"size past 2^29", 'T', "2 536870913 2 0\n0 0\nA\n", 0, 0},
      {"outline 2 is set", 'C', "INV\n0 0 0 2\n", 1, 1},
      {"outline missing", 'C', "INV\n0 0 0\n", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    static TlcLineIn in;
    TlcLineOpenMem(&in, c.text.data(), c.text.size(), 1);
    static CktPathRec p;
    CktBoxRec b{};
    CktTextRec t{};
    CktCellRec r{};
    int ok = 0, field = 0;
    switch (c.kind) {
      case 'B': ok = ReadB(&in, &b), field = b.lyr; break;
      case 'P': ok = ReadP(&in, &p), field = p.lyr; break;
      case 'T': ok = ReadT(&in, &t), field = t.o; break;
      default: ok = ReadC(&in, &r), field = r.r; break;
    }
    TlcLineClose(&in);
    EXPECT_EQ(ok, c.ok);
    if (ok) {
      EXPECT_EQ(field, c.field);
    }
  }
}

}  // namespace
