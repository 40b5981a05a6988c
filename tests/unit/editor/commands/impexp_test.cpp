#include "cmdfixture.h"

#include <sys/stat.h>

#include <deque>
#include <regex>
#include <string>
#include <vector>

#include "impexp.h"
#include "satutil.h"

namespace {

// A cell file in the new form: header of the given rank, then records.
std::string CellText(const char* name, int rank, const std::string& records, double scale = 1000,
                     const char* unit = "um") {
  char head[400];
  snprintf(head, sizeof head,
           "<H>\n%s\n7.0\n7.0\n%g\n%s\n12/10/26\n12:00:00\n%d 0 0 10 10\n0 0 0 0\n</H>\n", name, scale, unit, rank);
  return head + records;
}

std::string Box(int layer, int l, int b, int r, int t) {
  return "<B>\n" + std::to_string(layer) + " " + std::to_string(l) + " " + std::to_string(b) + " " +
         std::to_string(r) + " " + std::to_string(t) + "\n</B>\n";
}

std::string Inst(const char* name, int o, int x, int y, int outline) {
  return std::string("<C>\n") + name + "\n" + std::to_string(o) + " " + std::to_string(x) + " " + std::to_string(y) +
         " " + std::to_string(outline) + "\n</C>\n";
}

const char kLayers[] = "<L>\n2\nMETAL 5\nPOLY 7\n</L>\n";

struct ImpExpTest : CmdFixture {
  static std::deque<int>& Answers() {
    static std::deque<int> a;
    return a;
  }
  static std::vector<std::string>& Asked() {
    static std::vector<std::string> a;
    return a;
  }
  void SetUp() override {
    CmdFixture::SetUp();
    Answers().clear();
    Asked().clear();
    ImpExp.pauses = 0;
    ImpExp.organize = nullptr;
    ImpExp.ynbox = [](const char* title, const char* label, const char* name) {
      Asked().push_back(std::string(title) + "|" + label + "|" + name);
      if (Answers().empty()) return int(YN_NO);
      int a = Answers().front();
      Answers().pop_front();
      return a;
    };
    MainSetup.mctlayer = 9;
    MainSetup.layerCount = 0;
    ASSERT_EQ(mkdir("src", 0755), 0);
    ASSERT_EQ(mkdir("dst", 0755), 0);
    WriteFile("dst/QUIL7.CRF", "0\n");
  }
  void TearDown() override {
    ImpExp.ynbox = nullptr;
    CmdFixture::TearDown();
  }
  static ImpExpParams Params(const char* name, int tld, const char* src = "src/", const char* dst = "dst/") {
    ImpExpParams p = {};
    p.srcFolder = src;
    p.dstFolder = dst;
    p.name = name;
    p.tld = tld;
    return p;
  }
  // The cell list file as name/rank pairs.
  std::vector<std::string> ListOf(const char* path) {
    std::vector<std::string> out;
    std::istringstream in(ReadFile(path));
    std::string count, name, data;
    std::getline(in, count);
    while (std::getline(in, name) && std::getline(in, data) && !name.empty())
      out.push_back(name + " " + data.substr(0, data.find(' ')));
    return out;
  }
};

// Cells of ranks 3, 1 and 2 are registered lowest first; a rank-0 header
// is no cell, and every instance of it becomes its name as a text on the
// Missing Cell Layer at the instance's position; the outline flag of an
// instance stays as read.
TEST_F(ImpExpTest, TldImportRegistersByRankAndTurnsRankZeroIntoTexts) {
  WriteFile("src/lib.tld", std::string("<?xml version=\"1.0\"?>\n<TLC>\n") + kLayers +
                               CellText("TOP", 3, Inst("MID", 0, 5, 5, 1) + Inst("GONE", 2, 70, 80, 0)) +
                               CellText("LOW", 1, Box(5, 0, 0, 10, 20)) +
                               CellText("MID", 2, Inst("LOW", 1, 100, 0, 0) + Box(7, -5, -5, 5, 5)) +
                               CellText("GONE", 0, Box(5, 0, 0, 1, 1)) + "</TLC>\n");
  ASSERT_EQ(TlcImport(Params("lib", 1)), 1);
  EXPECT_EQ(LastMessage(), "Import Complete ... 3 Cells + 2 Layers");
  EXPECT_EQ(ListOf("dst/QUIL7.CRF"), (std::vector<std::string>{"LOW 1", "MID 2", "TOP 3"}));
  EXPECT_FALSE(Exists("dst/GONE.tlc"));
  std::string top = ReadFile("dst/TOP.tlc");
  EXPECT_NE(top.find("<C>\nMID\n0 5 5 1\n</C>"), std::string::npos) << top;
  EXPECT_NE(top.find("<T>\n9 1000 2 0\n70 80\n<![CDATA[<<GONE>>]]>\n</T>"), std::string::npos) << top;
  EXPECT_EQ(top.find("GONE\n"), std::string::npos) << top;
  // MID's outline takes LOW turned by 90 degrees: LOW spans x 0..10,
  // y 0..20, turned it spans x -20..0 around (100, 0).
  ASSERT_EQ(CrfReadOther("dst/"), 1);
  const CellEntry* mid = CellEntryOf(CellFind("MID"));
  ASSERT_NE(mid, nullptr);
  EXPECT_EQ(std::vector<int>({mid->l, mid->b, mid->r, mid->t}), std::vector<int>({-5, -5, 100, 10}));
  EXPECT_EQ(std::vector<int>({mid->nb, mid->np, mid->nv, mid->nc}), std::vector<int>({1, 0, 0, 1}));
}

// An empty cell gets the store's outline of an empty cell, not an inverted
// one.
TEST_F(ImpExpTest, EmptyCellGetsTheSmallOutline) {
  WriteFile("src/EMPTY.tlc", CellText("EMPTY", 1, ""));
  ASSERT_EQ(TlcImport(Params("*", 0)), 1);
  ASSERT_EQ(CrfReadOther("dst/"), 1);
  const CellEntry* e = CellEntryOf(1);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(std::vector<int>({e->l, e->b, e->r, e->t}), std::vector<int>({-1, -1, 1, 1}));
}

// A layers-only file (as the converters write it: one layers record, no
// prolog) adds its layers and no cell.
TEST_F(ImpExpTest, LayersOnlyFileAddsLayers) {
  WriteFile("src/layers_chip.tld", kLayers);
  MainSetup.layerCount = 1;
  snprintf(MainSetup.layers[0].name, sizeof MainSetup.layers[0].name, "METAL");
  MainSetup.layers[0].number = 5;
  ASSERT_EQ(TlcImport(Params("layers_chip", 1)), 1);
  EXPECT_EQ(LastMessage(), "Import Complete ... 0 Cells + 1 Layers");
  EXPECT_EQ(MainSetup.layerCount, 2);
}

// Replacing existing cells: Yes to All needs its confirmation; a No there
// asks the same cell again, and later cells one by one.
TEST_F(ImpExpTest, YesToAllThenNoAsksOneByOneAgain) {
  WriteFile("dst/QUIL7.CRF", "3\nA\n1 0 0 1 1 0 0 0 0\nD\n1 0 0 1 1 0 0 0 0\nE\n1 0 0 1 1 0 0 0 0\n");
  for (const char* n : {"A", "D", "E"}) {
    WriteFile((std::string("src/") + n + ".tlc").c_str(), CellText(n, 1, Box(5, 0, 0, 3, 3)));
    WriteFile((std::string("dst/") + n + ".tlc").c_str(), "old");
  }
  Answers() = {YN_YES_ALL, YN_NO, YN_YES, YN_NO};
  rec->answers.push_back(HOST_IDNO);  // at "Remaining Drawing Cells will be Replaced"
  ASSERT_EQ(TlcImport(Params("*", 0)), 1);
  EXPECT_EQ(Asked(), (std::vector<std::string>{"Converting  *|Cell ...|A", "Converting  *|Cell ...|A",
                                               "Converting  *|Cell ...|D", "Converting  *|Cell ...|E"}));
  EXPECT_EQ(ReadFile("dst/A.tlc"), "old");
  EXPECT_NE(ReadFile("dst/D.tlc"), "old");
  EXPECT_EQ(ReadFile("dst/E.tlc"), "old");
  EXPECT_EQ(LastMessage(), "Import Complete ... 1 Cells + 0 Layers");
  // A confirmed Yes to All replaces the rest without asking.
  Answers() = {YN_YES_ALL};
  Asked().clear();
  rec->answers.push_back(HOST_IDYES);
  ASSERT_EQ(TlcImport(Params("*", 0)), 1);
  EXPECT_EQ(Asked().size(), 1u);
  EXPECT_NE(ReadFile("dst/E.tlc"), "old");
}

// Every listed cell's scale is compared, and the question comes once.
TEST_F(ImpExpTest, ScaleQuestionOnce) {
  MainSetup.scale = 100;
  WriteFile("src/A.tlc", CellText("A", 1, Box(5, 0, 0, 3, 3), 100));
  WriteFile("src/D.tlc", CellText("D", 1, Box(5, 0, 0, 3, 3), 1000));
  WriteFile("src/E.tlc", CellText("E", 1, Box(5, 0, 0, 3, 3), 1000));
  rec->answers.push_back(HOST_IDNO);
  EXPECT_EQ(TlcImport(Params("*", 0)), 0);
  int asked = 0;
  for (const auto& m : rec->messages) asked += m.text.find("Scales Do Not Agree?") != std::string::npos;
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(rec->messages[0].text,
            "D\n\nScales Do Not Agree?\n\nImport Scale= 1000 units per um\nDrawing Scale= 100 units per um\n\nContinue ?");
  EXPECT_EQ(LastMessage(), "Aborted ... Import may be Incomplete");
  EXPECT_EQ(ReadFile("dst/QUIL7.CRF"), "0\n");
}

// Bad input: each case's message, and the run never says complete.
TEST_F(ImpExpTest, BadInput) {
  struct Case {
    const char* what;
    const char* file;     // written into src/ (may be empty)
    std::string text;
    const char* name;
    int tld;
    int result;
    const char* said;     // first message
    const char* last;
  } cases[] = {
      {"missing TLD", "", "", "none", 1, 0, "TLD File {src}none is Missing ... Aborting", nullptr},
      {"reserved name", "", "", "CON", 1, 0, "Reserved or Incorrect Cellname CON", nullptr},
      {"too long a name", "", "", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", 0, 0,
       "Reserved or Incorrect Cellname ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", nullptr},
      {"pattern in a TLD name", "", "", "a*", 1, 0, "Reserved or Incorrect Cellname a*", nullptr},
      {"no files", "", "", "Q*", 0, 0, "No Named or Wildcard TLC Cell Files were Found", nullptr},
      {"bad box", "A.tlc", CellText("A", 1, "<B>\n5 0 0\n</B>\n" + Box(5, 0, 0, 1, 1)), "A", 0, 1,
       "Box Record Read Error", "Some Error Occurred ... Import may be Incorrect"},
      {"header rank out of range", "t.tld", CellText("A", 30, Box(5, 0, 0, 1, 1)), "t", 1, 1,
       "Cell A has Rank 30 outside 1..24", "Some Error Occurred ... Import may be Incorrect"},
      {"header name reserved", "t.tld", CellText("AUX", 1, Box(5, 0, 0, 1, 1)), "t", 1, 1,
       "Reserved or Incorrect Cellname AUX", "Some Error Occurred ... Import may be Incorrect"},
      {"path over the limit", "A.tlc", CellText("A", 1, [] {
         std::string p = "<P>\n5 0 1025\n";
         for (int i = 0; i < 1025; ++i) p += std::to_string(i) + " 0\n";
         return p + "</P>\n";
       }()),
       "A", 0, 1, "Path Vertex Count of 1025 exceeds Limit of 1024 ... Path will be Truncated",
       "Some Error Occurred ... Import may be Incorrect"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    (void)!system("rm -f src/* dst/*.tlc");
    WriteFile("dst/QUIL7.CRF", "0\n");
    if (c.file[0]) WriteFile((std::string("src/") + c.file).c_str(), c.text);
    rec->messages.clear();
    EXPECT_EQ(TlcImport(Params(c.name, c.tld)), c.result);
    ASSERT_FALSE(rec->messages.empty());
    // Folders are full paths.
    std::string first = rec->messages[0].text, said = c.said;
    size_t at = said.find("{src}");
    if (at != std::string::npos) said.replace(at, 5, PathFull("src/"));
    EXPECT_EQ(first, said);
    EXPECT_EQ(LastMessage(), c.last ? c.last : "Aborted ... Import may be Incomplete");
  }
}

TEST_F(ImpExpTest, MissingDestinationListAndFullTable) {
  WriteFile("src/A.tlc", CellText("A", 1, Box(5, 0, 0, 1, 1)));
  remove("dst/QUIL7.CRF");
  EXPECT_EQ(TlcImport(Params("A", 0)), 0);
  EXPECT_NE(rec->messages[0].text.find("Cell Reference File is Missing"), std::string::npos);
  // A full table stops the import with an error; the list stays whole.
  std::string crf = std::to_string(CELL_MAX) + "\n";
  for (int i = 0; i < CELL_MAX; ++i) crf += "C" + std::to_string(i) + "\n1 0 0 1 1 0 0 0 0\n";
  WriteFile("dst/QUIL7.CRF", crf);
  rec->messages.clear();
  EXPECT_EQ(TlcImport(Params("A", 0)), 0);
  EXPECT_EQ(rec->messages[0].text, "Cell Table is Full ... Import Stopped");
  EXPECT_FALSE(Exists("dst/A.tlc"));
  ASSERT_EQ(CrfReadOther("dst/"), 1);
  EXPECT_EQ(CellTable.count, CELL_MAX);
}

// The source drawing for the exports: TOP places MID (outline flag set),
// MID places LOW; OTHER is not placed.
struct ExportTest : ImpExpTest {
  void SetUp() override {
    ImpExpTest::SetUp();
    WriteFile("src/QUIL7.CRF",
              "4\nLOW\n1 0 0 10 20 1 0 0 0\nOTHER\n1 0 0 1 1 1 0 0 0\nMID\n2 -5 -5 100 10 1 0 0 1\nTOP\n3 -95 0 "
              "10 15 0 0 0 1\n");
    WriteFile("src/QUIL7.USF", "scale=1000\nphysunit=um\n");
    WriteFile("src/LOW.tlc", CellText("LOW", 1, Box(5, 0, 0, 10, 20)));
    WriteFile("src/OTHER.tlc", CellText("OTHER", 1, Box(5, 0, 0, 1, 1)));
    WriteFile("src/MID.tlc", CellText("MID", 2, Inst("LOW", 1, 100, 0, 0) + Box(7, -5, -5, 5, 5)));
    WriteFile("src/TOP.tlc", CellText("TOP", 3, Inst("MID", 6, 5, 5, 1)));
  }
};

// A TLC export of one cell takes every cell below it, copies the outline
// flags as read, and asks before replacing a file.
TEST_F(ExportTest, TlcExportTakesTheCellsBelow) {
  ASSERT_EQ(TlcExport(Params("TOP", 0, "src/", "out/")), 1);
  EXPECT_EQ(LastMessage(), "Export is Complete ... 3 Cells + 0 Layers");
  EXPECT_TRUE(Exists("out/LOW.tlc"));
  EXPECT_FALSE(Exists("out/OTHER.tlc"));
  EXPECT_NE(ReadFile("out/TOP.tlc").find("<C>\nMID\n6 5 5 1\n</C>"), std::string::npos);
  Answers() = {YN_NO_ALL};
  ASSERT_EQ(TlcExport(Params("TOP", 0, "src/", "out/")), 1);
  EXPECT_EQ(Asked().size(), 1u);
  EXPECT_EQ(Asked()[0], "Converting  TOP|File ...|LOW.tlc");
  EXPECT_EQ(LastMessage(), "Export is Complete ... 0 Cells + 0 Layers");
}

// A whole drawing as one TLD, imported into an empty drawing, gives the
// same cells, ranks, outlines and records.
TEST_F(ExportTest, TldRoundTrip) {
  rec->answers.push_back(HOST_IDYES);  // "Write Complete Drawing?"
  ASSERT_EQ(TlcExport(Params("all", 1, "src/", "out/")), 1);
  std::string tld = ReadFile("out/all.tld");
  EXPECT_EQ(tld.rfind("<?xml version=\"1.0\"?>\n<TLC>\n<R>\n4\nLOW\n1 0 0 10 20 1 0 0 0\n", 0), 0u) << tld;
  ASSERT_EQ(TlcImport(Params("all", 1, "out/", "dst/")), 1);
  EXPECT_EQ(LastMessage(), "Import Complete ... 4 Cells + 0 Layers");
  EXPECT_EQ(ListOf("dst/QUIL7.CRF"), ListOf("src/QUIL7.CRF"));
  ASSERT_EQ(CrfReadOther("dst/"), 1);
  CellTableState imported = CellTable;
  ASSERT_EQ(CrfReadOther("src/"), 1);
  for (int i = 1; i <= 4; ++i) {
    const CellEntry &a = CellTable.cells[i], &b = imported.cells[i];
    EXPECT_EQ(std::vector<int>({a.l, a.b, a.r, a.t, a.nc}), std::vector<int>({b.l, b.b, b.r, b.t, b.nc})) << a.name;
  }
  // The copies carry the closing line the hand-made sources lack.
  auto body = [](std::string s) {
    s = s.substr(s.find("</H>"));
    if (s.size() > 7 && s.compare(s.size() - 7, 7, "</TLC>\n") == 0) s.resize(s.size() - 7);
    return s;
  };
  for (const char* n : {"LOW", "OTHER", "MID", "TOP"})
    EXPECT_EQ(body(ReadFile((std::string("dst/") + n + ".tlc").c_str())),
              body(ReadFile((std::string("src/") + n + ".tlc").c_str())))
        << n;
}

// A TLD name that is no cell: No writes the layers alone, Cancel nothing.
TEST_F(ExportTest, TldOfLayersOnly) {
  MainSetup.layerCount = 1;
  snprintf(MainSetup.layers[0].name, sizeof MainSetup.layers[0].name, "METAL");
  MainSetup.layers[0].number = 5;
  rec->answers.push_back(HOST_IDNO);
  ASSERT_EQ(TlcExport(Params("lyr", 1, "src/", "out/")), 1);
  std::string t = ReadFile("out/lyr.tld");
  EXPECT_EQ(t, "<?xml version=\"1.0\"?>\n<TLC>\n<L>\n1\nMETAL 5\n</L>\n</TLC>\n");
  rec->answers.push_back(HOST_IDCANCEL);
  EXPECT_EQ(TlcExport(Params("x", 1, "src/", "out/")), 0);
  EXPECT_FALSE(Exists("out/x.tld"));
}

TEST_F(ExportTest, ExportRefusals) {
  struct Case {
    const char* name;
    int tld;
    const char* src;
    int result;
    const char* said;
  } cases[] = {
      {"a*", 1, "src/", 0, "Cellname or Filename is Required"},
      {"", 1, "src/", 0, "Cellname or Filename is Required"},
      {"NUL", 0, "src/", 0, "Reserved or Incorrect Cellname NUL"},
      {"TOP", 0, "nosrc/", 2, "Source "},
      {"ZZ*", 0, "src/", 0, "No Named or Wildcard Cells were Found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    rec->messages.clear();
    EXPECT_EQ(TlcExport(Params(c.name, c.tld, c.src, "out/")), c.result);
    ASSERT_FALSE(rec->messages.empty());
    bool seen = false;
    for (const auto& m : rec->messages) seen |= m.text.rfind(c.said, 0) == 0;
    EXPECT_TRUE(seen) << rec->messages[0].text;
  }
  // A listed cell without its file is not exported and the run says so.
  remove("src/LOW.tlc");
  rec->messages.clear();
  EXPECT_EQ(TlcExport(Params("TOP", 0, "src/", "out2/")), 1);
  EXPECT_EQ(LastMessage(), "Some Error Occurred ... Export may be Incorrect");
  EXPECT_FALSE(Exists("out2/LOW.tlc"));
}

TEST(NameMatching, Patterns) {
  struct {
    const char* pattern;
    const char* name;
    int match;
  } cases[] = {
      {"*", "INV", 1}, {"I*", "inv", 1}, {"?NV", "INV", 1}, {"IN", "INV", 0},
      {"*V", "INV", 1}, {"A*B*C", "AXXBYYC", 1}, {"A*B*C", "AXXBYY", 0}, {"", "A", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(NameMatch(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

}  // namespace
