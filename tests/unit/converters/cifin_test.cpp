#include "cifin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cifout.h"
#include "convtest.h"
#include "host.h"
#include "host_record.h"
#include "satutil.h"

namespace {

using InState = OwnState<CifInState, CifInReset>;

bool Said(const HostRecord& h, const std::string& text) {
  for (const auto& m : h.messages)
    if (m.text == text) return true;
  return false;
}

// The records of a cell file, one string each ("B 1 0 0 10 10",
// "P 1 -10 2 0 0 100 0", "T 3 105 2 0 10 20 HELLO", "C INV 5 100 0"),
// and its header rank.
struct Cell {
  std::vector<std::string> recs;
  int rank = -1;
  std::string layers;
  bool exists = false;
};

Cell ReadCell(const std::string& name) {
  Cell c;
  std::string text;
  // Cell files are named as the tidied path gives them.
  FILE* f = SatOpen(PathFix((".\\Cif_files\\" + name + ".tlc").c_str()), "rb");
  if (f) {
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    fclose(f);
  }
  if (text.empty()) return c;
  c.exists = true;
  std::vector<std::string> lines;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    lines.push_back(text.substr(p, e - p));
    p = e + 1;
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& l = lines[i];
    auto body = [&](const char* end) {
      std::string out;
      for (++i; i < lines.size() && lines[i] != end; ++i) {
        std::string s = lines[i];
        if (s.rfind("<![CDATA[", 0) == 0) s = s.substr(9, s.size() - 12);
        while (!s.empty() && s.back() == ' ') s.pop_back();
        out += " " + s;
      }
      return out;
    };
    if (l == "<B>") c.recs.push_back("B" + body("</B>"));
    if (l == "<P>") c.recs.push_back("P" + body("</P>"));
    if (l == "<T>") c.recs.push_back("T" + body("</T>"));
    if (l == "<C>") c.recs.push_back("C" + body("</C>"));
    if (l == "<H>") {
      std::string h = body("</H>");
      // name, two versions, scale, unit, date, time, then the rank
      size_t k = 0;
      for (int f = 0; f < 7; ++f) k = h.find(' ', k + 1);
      c.rank = atoi(h.c_str() + k + 1);
    }
    if (l == "<L>") c.layers = body("</L>");
  }
  return c;
}

struct InRun {
  InState own;
  CifInState* st = own.st;
  WorkDir dir;
  HostRecord* host = &HostRecordInstall();
  InRun() {
    st->fixedNow = 1;
    snprintf(st->val[CI_CFN], CIFIN_VALLEN, "IN.cif");
  }
  ~InRun() { HostRecordRemove(); }
  int Go(const std::string& cif) {
    WriteText("IN.cif", cif);
    CifInSetupApply(st, 0);
    return CifInGo(st);
  }
};

const char* kLayers = "(LAYER 1 CIF= CMF);(LAYER 2 CIF= CPG);(LAYER 10 CIF= L10D0);(LAYER 11 CIF= L10D1);(LAYER 3 CIF= POLY);\n";

std::string Sym(int n, const char* name, const std::string& body, const char* scale = " 1 1") {
  return "DS " + std::to_string(n) + scale + ";\n9 " + name + ";\n" + body + "DF;\n";
}

TEST(CifCallTransform, CommandOrder) {
  struct Case {
    const char* text;
    int64_t a, b;
    int o;
    int64_t x, y;
    long skewed;
  } cases[] = {
      {" T 100 0;", 1, 1, 0, 100, 0, 0},
      {" R 0 1 T 100 0;", 1, 1, 1, 100, 0, 0},
      {" R -1 0 T 100 0;", 1, 1, 2, 100, 0, 0},
      {" R 0 -1 T 100 0;", 1, 1, 3, 100, 0, 0},
      {" MY T 100 0;", 1, 1, 4, 100, 0, 0},
      {" MY R 0 1 T 100 0;", 1, 1, 5, 100, 0, 0},
      {" MY R -1 0 T 100 0;", 1, 1, 6, 100, 0, 0},
      {" MY R 0 -1 T 100 0;", 1, 1, 7, 100, 0, 0},
      {" MX;", 1, 1, 6, 0, 0, 0},
      {" R 0 1 MX;", 1, 1, 5, 0, 0, 0},
      {" T 100 0 R 0 1;", 1, 1, 1, 0, 100, 0},   // the placement turns too
      {" T 100 0 MY T 0 5;", 1, 1, 4, 100, 5, 0},
      {" T 10 20 T 5 5;", 1, 1, 0, 15, 25, 0},    // translations add up
      {" T 100 -30;", 1, 10, 0, 10, -3, 0},
      {" R 1 1 T 4 4;", 1, 1, 0, 4, 4, 1},
      {"T100 0;", 1, 1, 0, 100, 0, 0},
  };
  for (const Case& c : cases) {
    std::string t = c.text;
    CifSrc s;
    CifSrcSet(&s, t.data(), t.size());
    int o = -1;
    int64_t x = -1, y = -1;
    long skewed = 0;
    CifCallTransform(&s, c.a, c.b, &o, &x, &y, &skewed);
    EXPECT_EQ(o, c.o) << c.text;
    EXPECT_EQ(x, c.x) << c.text;
    EXPECT_EQ(y, c.y) << c.text;
    EXPECT_EQ(skewed, c.skewed) << c.text;
  }
}

TEST(CifInRun, Commands) {
  struct Case {
    const char* name;
    std::string body;
    const char* scale;
    std::vector<std::string> recs;
  } cases[] = {
      {"box", "LCMF;\nB 10 4 0 0;\n", " 1 1", {"B 1 -5 -2 5 2"}},
      {"odd box keeps its length", "LCMF;\nB 5 3 0 0;\n", " 1 1", {"B 1 -2 -1 3 2"}},
      {"box with direction along x", "LCMF;\nB 10 4 0 0 5 0;\n", " 1 1", {"B 1 -5 -2 5 2"}},
      {"box turned a quarter", "LCMF;\nB 10 4 0 0 0 1;\n", " 1 1", {"P 1 0 5 2 -5 2 5 -2 5 -2 -5 2 -5"}},
      {"scaled", "LCPG;\nB 100 40 1000 0;\n", " 1 10", {"B 2 95 -2 105 2"}},
      {"no scale is 1/1", "LCMF;\nB 10 4 0 0;\n", "", {"B 1 -5 -2 5 2"}},
      {"unknown layer", "LX9;\nB 2 2 1 1;\n", " 1 1", {"B 64 0 0 2 2"}},
      {"whole layer names", "LL10D1;\nB 2 2 1 1;\nLL10D0;\nB 2 2 1 1;\n", " 1 1", {"B 11 0 0 2 2", "B 10 0 0 2 2"}},
      {"four characters when unique", "LPOLYSI;\nB 2 2 1 1;\nLL10D2;\nB 2 2 1 1;\n", " 1 1", {"B 3 0 0 2 2", "B 64 0 0 2 2"}},
      {"polygon", "LCMF;\nP 0 0 10 0 10 10;\n", " 1 1", {"P 1 0 3 0 0 10 0 10 10"}},
      {"wire", "LCMF;\nW 4 0 0 100 0;\n", " 1 1", {"P 1 -4 2 0 0 100 0"}},
      {"text by the default template", "94 HELLO 10,20 CPG;\n", " 1 1", {"T 2 105 2 0 10 20 HELLO"}},
      {"text without its fields", "94 HELLO 10;\n", " 1 1", {}},
      {"round flash", "LCMF;\nR 10 0 0;\n", " 1 1", {}},
  };
  for (const Case& c : cases) {
    InRun run;
    WriteText("IN.lay", kLayers);
    snprintf(run.st->val[CI_LFN], CIFIN_VALLEN, "IN.lay");
    ASSERT_EQ(run.Go(Sym(1, "TOP", c.body, c.scale) + "E\n"), 1) << c.name;
    Cell cell = ReadCell("TOP");
    EXPECT_EQ(cell.recs, c.recs) << c.name;
    EXPECT_TRUE(Said(*run.host, "Completed ... 1 TLC Files Made\n\nUse Import to Register Cells in Drawing")) << c.name;
  }
}

TEST(CifInRun, OptionsAndTemplates) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> keys;
    std::string body;
    std::vector<std::string> recs;
  } cases[] = {
      {"close open polygons", {{CI_COP, "Y"}}, "LCMF;\nP 0 0 10 0 10 10;\n", {"P 1 0 4 0 0 10 0 10 10 0 0"}},
      {"polygons to boxes", {{CI_P2B, "Y"}}, "LCMF;\nP 0 0 10 0 10 20 0 20 0 0;\n", {"B 1 0 0 10 20"}},
      {"not a rectangle stays", {{CI_P2B, "Y"}}, "LCMF;\nP 0 0 10 0 10 20 5 20 0 0;\n",
       {"P 1 0 5 0 0 10 0 10 20 5 20 0 0"}},
      {"inline paths", {{CI_MIP, "Y"}}, "LCMF;\nW 4 0 0 100 0;\n", {"P 1 4 2 -2 0 102 0"}},
      {"text last takes the rest", {{CI_TMP, "94 <x> <y> <text>"}}, "94 10 20 A B  C;\n", {"T 64 105 2 0 10 20 A B  C"}},
      {"default template keeps one word", {}, "94 A B 1 2;\n", {"T 64 105 2 0 0 1 A"}},
      {"size scaled like coordinates",
       {{CI_TMP, "94 <text> <size> <x> <y> <layer>"}},
       "94 T 300 1 2 3;\n",
       {"T 3 30 2 0 0 0 T"}},  // DS 1 1 10: 300 / 10 = 30, x 1/10 = 0
      {"text cut to 64", {{CI_TMP, "94 <x> <y> <text>"}}, "94 0 0 " + std::string(70, 'A') + ";\n",
       {"T 64 105 9 0 0 0 " + std::string(64, 'A')}},
  };
  for (const Case& c : cases) {
    InRun run;
    WriteText("IN.lay", kLayers);
    snprintf(run.st->val[CI_LFN], CIFIN_VALLEN, "IN.lay");
    for (auto& k : c.keys) snprintf(run.st->val[k.first], CIFIN_VALLEN, "%s", k.second);
    const char* scale = std::string(c.name) == "size scaled like coordinates" ? " 1 10" : " 1 1";
    ASSERT_EQ(run.Go(Sym(1, "TOP", c.body, scale) + "E\n"), 1) << c.name;
    EXPECT_EQ(ReadCell("TOP").recs, c.recs) << c.name;
  }
}

TEST(CifInRun, RanksNamesAndLayers) {
  InRun run;
  std::string cif = std::string(kLayers) + "(#1 LEAF);\n(#2 MID);\n(#3 TOP);\n" +
                    Sym(3, "TOP", "C 2 T 0 0;\nC 1 MY R 0 1 T 100 0;\n") + Sym(1, "LEAF", "LCMF;\nB 2 2 1 1;\n") +
                    Sym(2, "MID", "C 1 T 5 5;\n") + "C 3;\nE\n";
  ASSERT_EQ(run.Go(cif), 1);
  Cell top = ReadCell("TOP"), mid = ReadCell("MID"), leaf = ReadCell("LEAF");
  EXPECT_EQ(top.rank, 3);
  EXPECT_EQ(mid.rank, 2);
  EXPECT_EQ(leaf.rank, 1);
  EXPECT_EQ(top.recs, (std::vector<std::string>{"C MID 0 0 0 0", "C LEAF 5 100 0 0"}));
  EXPECT_EQ(mid.recs, (std::vector<std::string>{"C LEAF 0 5 5 0"}));
  EXPECT_EQ(leaf.layers, " 5 CMF 1 CPG 2 L10D0 10 L10D1 11 POLY 3");
  EXPECT_TRUE(Said(*run.host, "Completed ... 3 TLC Files Made\n\nUse Import to Register Cells in Drawing"));
}

TEST(CifInRun, LongPolygonsAndWires) {
  InRun run;
  std::string poly = "P", wire = "W 2";
  for (int i = 0; i < 1030; ++i) {
    poly += " " + std::to_string(i) + " " + std::to_string(i % 2);
    wire += " " + std::to_string(i) + " " + std::to_string(i % 2);
  }
  ASSERT_EQ(run.Go(std::string(kLayers) + Sym(1, "TOP", "LCMF;\n" + poly + ";\n" + wire + ";\n") + "E\n"), 1);
  Cell c = ReadCell("TOP");
  ASSERT_EQ(c.recs.size(), 2u);  // the polygon is not cut; the wire goes on
  EXPECT_EQ(c.recs[0].substr(0, 12), "P 1 -2 1024 ");
  EXPECT_EQ(c.recs[1].substr(0, 9), "P 1 -2 7 ");
  EXPECT_EQ(c.recs[1].substr(9, 9), "1023 1 10");
  std::string log = ReadText("CifIn.log");
  EXPECT_NE(log.find("Polygon of more than 1024 Points Skipped at X=0 Y=0 L=1 in TOP"), std::string::npos);
}

TEST(CifInRun, NamesGoThroughTheQuestion) {
  InRun run;
  static std::vector<std::string> asked;
  asked.clear();
  run.st->newName = [](const char* name, char* tried) {
    asked.push_back(name);
    snprintf(tried, 33, "NEW%d", (int)asked.size());
    return 1;
  };
  std::string cif = std::string(kLayers) + "DS 1;\n9 CON;\nDF;\nDS 2;\n9 inv;\nDF;\nDS 3;\n9 INV;\nDF;\nDS 4;\n9 ;\nDF;\n"
                    "DS 5;\n9 ;\nDF;\nE\n";
  ASSERT_EQ(run.Go(cif), 1);
  EXPECT_EQ(asked, (std::vector<std::string>{"CON", "INV", "NONAME"}));
  for (const char* n : {"NEW1", "INV", "NEW2", "NONAME", "NEW3"}) EXPECT_TRUE(ReadCell(n).exists) << n;
}

TEST(CifInRun, BadInputStops) {
  struct Case {
    const char* name;
    std::string cif;
    const char* message;
  } cases[] = {
      {"two ends", Sym(1, "A", "") + "E;\nE\n", "CIF File has Too Many End Commands ... Break Up File"},
      {"no symbols", "E\n", "Cell Info is Incorrect or Missing"},
      {"b = 0", Sym(1, "A", "", " 1 0") + "E\n", "Symbol #1 Scale 1/0 is Incorrect ... Can't Continue"},
      {"nested DS", "DS 1;\n9 A;\nDS 2;\n9 A2;\nDF;\nDF;\nE\n", "DS #2 inside Symbol A ... Can't Continue"},
      {"lone DF", "DF;\n" + Sym(1, "A", "") + "E\n", "DF without its DS ... Can't Continue"},
      {"cycle", Sym(1, "A", "C 2;\n") + Sym(2, "Y", "C 1;\n") + "E\n",
       "Symbol Y Calls Itself or is Nested Deeper than 24 Levels ... Can't Continue"},
      {"too far", Sym(1, "A", "LCMF;\nB 2 2 999999999999 0;\n") + "E\n", "Coordinate out of Range in A ... Can't Continue"},
      {"long digits", Sym(1, "A", "LCMF;\nB 2 2 99999999999999999999999999999 0;\n") + "E\n",
       "Coordinate out of Range in A ... Can't Continue"},
      {"unended", "DS 1;\n9 A;\nLCMF;\nB 2 2 0 0;\n", "Symbol A is not Ended ... Can't Continue"},
      {"reserved name", Sym(1, "A", "") + Sym(2, "CON", "") + "E\n",
       "Symbol Name \"CON\" can't be a Cell Name ... Can't Continue"},
      {"no layers", "(nothing);\n" + Sym(1, "A", "") + "E\n", "Layer Info is Incorrect or Missing"},
  };
  for (const Case& c : cases) {
    InRun run;
    std::string cif = c.cif;
    if (std::string(c.name) != "no layers") cif = kLayers + cif;
    EXPECT_EQ(run.Go(cif), 0) << c.name;
    EXPECT_TRUE(Said(*run.host, c.message)) << c.name << ": " << (run.host->messages.empty() ? "" : run.host->messages[0].text);
    EXPECT_TRUE(Said(*run.host, "Aborted ... Files may be Incomplete")) << c.name;
    EXPECT_FALSE(ReadCell("A").exists) << c.name << ": a failed run leaves no cell";
  }
}

TEST(CifInRun, DeepHierarchyStopsPastTheTopRank) {
  InRun run;
  std::string cif = kLayers;
  for (int i = 1; i <= 25; ++i) cif += Sym(i, ("S" + std::to_string(i)).c_str(), i > 1 ? "C " + std::to_string(i - 1) + ";\n" : "");
  EXPECT_EQ(run.Go(cif + "E\n"), 0);
  EXPECT_TRUE(Said(*run.host, "Symbol S25 Calls Itself or is Nested Deeper than 24 Levels ... Can't Continue"));
}

TEST(CifInRun, OutsideGeometryIsNoted) {
  InRun run;
  ASSERT_EQ(run.Go(std::string(kLayers) + "LCMF;\nB 2 2 0 0;\n" + Sym(1, "A", "LCMF;\nB 2 2 0 0;\n") + "P 0 0 1 1 1 0;\nE\n"),
            1);
  EXPECT_EQ(ReadCell("A").recs, (std::vector<std::string>{"B 1 -1 -1 1 1"}));
  EXPECT_NE(ReadText("CifIn.log").find("2 Objects outside Symbol Definitions"), std::string::npos);
}

TEST(CifInRun, UnwritableCellIsNeverCompleted) {
  InRun run;
  SatMkdir(".\\Cif_files\\");
  SatMkdir(".\\Cif_files\\A.tlc.tmp\\");
  EXPECT_EQ(run.Go(std::string(kLayers) + Sym(1, "A", "") + "E\n"), 0);
  EXPECT_TRUE(Said(*run.host, "Unable to Write A.tlc File ... Can't Continue"));
  EXPECT_FALSE(Said(*run.host, "Completed ... 1 TLC Files Made\n\nUse Import to Register Cells in Drawing"));
}

// The writer's output read back: the same cells, ranks, calls and texts, and
// per layer the same ground.
TEST(CifRoundTrip, HierarchyComesBack) {
  WorkDir dir;
  HostRecord& host = HostRecordInstall();
  std::string calls;
  for (int o = 0; o < 8; ++o) calls += "<C>\nLEAF\n" + std::to_string(o) + " " + std::to_string(1000 * o) + " 50 0\n</C>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 3,
                               "<L>\n2\nCMF 1\nCPG 2\n</L>\n<C>\nMID\n0 0 0 0\n</C>\n<B>\n1 0 0 20 10\n</B>\n"
                               "<B>\n2 0 0 5 3\n</B>\n<T>\n2 105 2 3\n1200 -300\n<![CDATA[IN PUT]]>\n</T>\n",
                               100));
  WriteText("MID.tlc", TlcCell("MID", 2, calls + "<P>\n1 -10 3\n0 0 100 0 100 100\n</P>\n"
                                                 "<P>\n1 10 3\n0 200 100 200 100 300\n</P>\n"
                                                 "<P>\n2 0 5\n0 0 10 0 10 10 0 10 0 0\n</P>\n", 100));
  WriteText("LEAF.tlc", TlcCell("LEAF", 1, "<B>\n1 -11 -10 10 10\n</B>\n", 100));
  WriteText("TOP.cif", "(LAYER 1 CIF= CMF);\n(LAYER 2 CIF= CPG);\n");
  {
    OwnState<CifOutState, CifOutReset> out;
    snprintf(out.st->val[CK_TFN], CIFOUT_VALLEN, "TOP.tlc");
    snprintf(out.st->val[CK_LTX], CIFOUT_VALLEN, "Y");
    CifOutSetupApply(out.st, 0);
    ASSERT_EQ(CifOutGo(out.st), 1);
  }
  {
    InState in;
    snprintf(in.st->val[CI_CFN], CIFIN_VALLEN, "TOP.cif");
    snprintf(in.st->val[CI_TMP], CIFIN_VALLEN, "99 <layer> <size> <orien> <x> <y> <text>");
    snprintf(in.st->val[CI_P2B], CIFIN_VALLEN, "Y");
    CifInSetupApply(in.st, 0);
    ASSERT_EQ(CifInGo(in.st), 1);
  }
  Cell top = ReadCell("TOP"), mid = ReadCell("MID"), leaf = ReadCell("LEAF");
  EXPECT_EQ(top.rank, 3);
  EXPECT_EQ(mid.rank, 2);
  EXPECT_EQ(leaf.rank, 1);
  // The odd box went out as its exact corners and came back a box.
  EXPECT_EQ(top.recs, (std::vector<std::string>{"B 1 0 0 20 10", "B 2 0 0 5 3", "T 2 105 2 3 1200 -300 IN PUT",
                                                "C MID 0 0 0 0"}));
  // Flush ends come back as ends reaching beyond end points pulled in by
  // half the width: the same ground.
  std::vector<std::string> midWant = {"P 1 -10 3 0 0 100 0 100 100", "P 1 -10 3 5 200 100 200 100 295",
                                      "B 2 0 0 10 10"};
  for (int o = 0; o < 8; ++o) midWant.push_back("C LEAF " + std::to_string(o) + " " + std::to_string(1000 * o) + " 50 0");
  EXPECT_EQ(mid.recs, midWant);
  EXPECT_EQ(leaf.recs, (std::vector<std::string>{"B 1 -11 -10 10 10"}));
  HostRecordRemove();
  (void)host;
}

}  // namespace

namespace {

TEST(CifInRun, WhatIsLeftOutIsCounted) {
  InRun run;
  snprintf(run.st->val[CI_TMP], CIFIN_VALLEN, "94 <x> <y> <text>");
  std::string body = "LCMF;\nR 10 0 0;\nR 4 5 5;\nC 2 R 1 1 T 3 4;\n94 0 0 " + std::string(65, 'B') + ";\n";
  ASSERT_EQ(run.Go(std::string(kLayers) + "(LAYER 12 CIF= LONGNAME123);\n" + Sym(2, "LEAF", "") +
                   Sym(1, "TOP", body) + "E\n"),
            1);
  std::string log = ReadText("CifIn.log");
  for (const char* note : {"2 Round Flashes were Skipped", "1 Rotations off the Axes were Left Out",
                           "1 Texts were Cut to 64 Characters"})
    EXPECT_NE(log.find(note), std::string::npos) << note;
  Cell top = ReadCell("TOP");
  EXPECT_EQ(top.recs[0], "C LEAF 0 3 4 0");  // placed, unturned
  // A cell file's layer names hold eight characters.
  EXPECT_NE(top.layers.find(" LONGNAME 12"), std::string::npos) << top.layers;
}

}  // namespace
