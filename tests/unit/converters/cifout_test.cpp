#include "cifout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convtest.h"
#include "host.h"
#include "host_record.h"

namespace {

using OutState = OwnState<CifOutState, CifOutReset>;

bool Said(const HostRecord& h, const std::string& text) {
  for (const auto& m : h.messages)
    if (m.text == text) return true;
  return false;
}

bool SaidPart(const HostRecord& h, const std::string& text) {
  for (const auto& m : h.messages)
    if (m.text.find(text) != std::string::npos) return true;
  return false;
}

// Lines of the written file between the symbol's DS and DF.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < text.size()) {
    size_t e = text.find('\n', p);
    if (e == std::string::npos) e = text.size();
    out.push_back(text.substr(p, e - p));
    p = e + 1;
  }
  return out;
}

std::vector<std::string> Symbol(const std::string& text, int n) {
  std::vector<std::string> all = Lines(text), out;
  std::string head = "DS#" + std::to_string(n) + " ";
  bool in = false;
  for (const auto& l : all) {
    if (l.rfind(head, 0) == 0) in = true;
    if (in) out.push_back(l);
    if (in && l == "DF;") break;
  }
  return out;
}

struct OutRun {
  OutState own;
  CifOutState* st = own.st;
  WorkDir dir;
  HostRecord* host = &HostRecordInstall();
  OutRun() {
    st->fixedNow = 1;
    st->now.tm_year = 126;
    st->now.tm_mon = 0;
    st->now.tm_mday = 2;
    st->now.tm_hour = 10;
    snprintf(st->val[CK_TFN], CIFOUT_VALLEN, "TOP.tlc");
  }
  ~OutRun() { HostRecordRemove(); }
  int Go(const char* layers = "(LAYER 1 CIF= CMF);\n(LAYER 2 CIF= CPG);\n") {
    if (layers) WriteText("TOP.cif", layers);
    CifOutSetupApply(st, 0);
    CifOutSelParse(st, st->val[CK_FTR]);
    return CifOutGo(st);
  }
};

TEST(CifScale, FactorAndDenominator) {
  struct Case {
    double lambda, s, g;
    double f;
    int64_t fWhole;
    int d;
  } cases[] = {
      {1, 1000, 0.01, 1, 1, 10},
      {1, 100, 0.01, 1, 1, 1},
      {0.7, 10, 0.01, 7, 7, 1},  // 6.999999999999999 is 7
      {1, 3, 0.001, 3333333.333333333, 0, 10000},
      {2.5, 1000, 0.001, 25, 25, 10},
  };
  for (const Case& c : cases) {
    OutState own;
    own.st->lambda = c.lambda;
    own.st->s = c.s;
    own.st->g = c.g;
    ASSERT_EQ(CifScaleChoose(own.st), 1);
    EXPECT_NEAR(own.st->f, c.f, 1e-6) << c.lambda << " " << c.s;
    EXPECT_EQ(own.st->fWhole, c.fWhole) << c.lambda << " " << c.s;
    EXPECT_EQ(own.st->d, c.d) << c.lambda << " " << c.s;
  }
}

TEST(CifScale, RoundsAndStopsPast32Bits) {
  OutState own;
  CifOutState* st = own.st;
  st->lambda = 1;
  st->s = 3;
  st->g = 0.001;
  CifScaleChoose(st);
  int64_t v;
  ASSERT_EQ(CifScale(st, 3, &v), 1);
  EXPECT_EQ(v, 10000000);
  ASSERT_EQ(CifScale(st, -1, &v), 1);
  EXPECT_EQ(v, -3333333);
  HostRecord& host = HostRecordInstall();
  EXPECT_EQ(CifScale(st, 1000, &v), 0);  // 3.3e9
  EXPECT_EQ(st->abort, 1);
  EXPECT_TRUE(SaidPart(host, "exceeds 32 Bits"));
  HostRecordRemove();
}

TEST(CifTemplates, Expansion) {
  OutState own;
  CifOutState* st = own.st;
  st->nCif = 2;
  st->cif[0] = CifLayerRow{3, "CMF"};
  st->cif[1] = CifLayerRow{3, "OTHER"};
  st->fWhole = 1;
  st->f = 1;
  struct Case {
    const char* tmpl;
    const char* text;
    int lyr;
    const char* want;
  } cases[] = {
      {"94 <text> <x> <y> <lname>", "INPUT", 3, "94 INPUT 1200 -300 CMF;\n"},
      {"94 <text> <x> <y> <lname>", "IN;PUT", 4, "94 INPUT 1200 -300;\n"},
      {"94 <x> <y> <text>", "A B  C", 3, "94 1200 -300 A B  C;\n"},
      {"99 <LAYER> <size> <orien> <x> <y> <text>", "T", 3, "99 3 750 5 1200 -300 T;\n"},
      {"95 fixed <text>", "T", 3, "95 fixed T;\n"},
      {"94 <x>", "T", 3, ""},  // seven characters or fewer
      {"94", "T", 3, ""},
      {"94 <verylongtoken> <text>", "T", 3, "94 <verylongtoken> T;\n"},
  };
  for (const Case& c : cases) {
    CnvText t{};
    t.lyr = c.lyr;
    t.size = 750;
    t.o = 5;
    t.x = 1200;
    t.y = -300;
    snprintf(t.text, sizeof t.text, "%s", c.text);
    char out[600];
    int wrote = CifTextExpand(st, c.tmpl, &t, out, sizeof out);
    EXPECT_EQ(wrote, c.want[0] != 0) << c.tmpl;
    EXPECT_STREQ(out, c.want) << c.tmpl;
  }
  char tok[CIFOUT_TOKENS][CIFOUT_VALLEN];
  EXPECT_EQ(CifTemplateTokens("1 2 3 4 5 6 7 8 9 10", tok, CIFOUT_TOKENS), 10);
  EXPECT_EQ(CifTemplateTokens("1 2 3 4 5 6 7 8 9 10 11", tok, CIFOUT_TOKENS), -1);
}

TEST(CifTemplates, RememberedList) {
  OutState own;
  CifOutState* st = own.st;
  for (const char* t : {"91 <text>", "92 <text>", "93 <text>", "94 <text>", "95 <text>"}) CifTemplatePush(st, t);
  EXPECT_STREQ(st->templates[0], "95 <text>");
  EXPECT_STREQ(st->templates[4], "91 <text>");
  CifTemplatePush(st, "96 <text>");  // a sixth drops the oldest
  EXPECT_STREQ(st->templates[0], "96 <text>");
  EXPECT_STREQ(st->templates[4], "92 <text>");
  CifTemplatePush(st, "93 <TEXT>");  // a listed one only moves to the front
  const char* want[] = {"93 <TEXT>", "96 <text>", "95 <text>", "94 <text>", "92 <text>"};
  for (int i = 0; i < 5; ++i) EXPECT_STREQ(st->templates[i], want[i]) << i;
}

TEST(CifSetup, Completion) {
  OutState own;
  CifOutState* st = own.st;
  snprintf(st->val[CK_TFN], CIFOUT_VALLEN, "c:\\chips\\top.tlc");
  snprintf(st->val[CK_TMP], CIFOUT_VALLEN, "A4 <text>");
  st->val[CK_UEC][0] = 0;
  snprintf(st->val[CK_LAM], CIFOUT_VALLEN, "-500");
  CifOutSetupApply(st, 0);
  EXPECT_STREQ(st->val[CK_CFN], "C:\\Chips\\Top.cif");
  EXPECT_STREQ(st->val[CK_LFN], "C:\\Chips\\Top.cif");
  EXPECT_STREQ(st->val[CK_TMP], "94 <text>");
  EXPECT_STREQ(st->val[CK_UEC], "9");
  EXPECT_STREQ(st->val[CK_LAM], "100");
  EXPECT_STREQ(st->val[CK_WR2], "CifOut.log");
  st->val[CK_TMP][0] = 0;
  CifOutSetupApply(st, 0);
  EXPECT_STREQ(st->val[CK_TMP], CifDefaultTemplate);
}

// A small hierarchy: TOP calls MID (twice, turned) and INV; MID calls INV.
void Hierarchy() {
  std::string calls;
  for (int o = 0; o < 8; ++o) calls += "<C>\nINV\n" + std::to_string(o) + " " + std::to_string(100 * o) + " 0 0\n</C>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 3,
                               "<C>\nMID\n0 0 0 0\n</C>\n<B>\n1 0 0 20 10\n</B>\n<B>\n2 0 0 5 4\n</B>\n"
                               "<T>\n3 1000 3 0\n1200 -300\n<![CDATA[IN;PUT]]>\n</T>\n<B>\n7 0 0 10 10\n</B>\n",
                               100));
  WriteText("MID.tlc", TlcCell("MID", 2, calls + "<P>\n1 10 3\n0 0 100 0 100 100\n</P>\n"
                                                 "<P>\n1 -10 2\n0 0 100 0\n</P>\n<P>\n2 0 5\n0 0 10 0 10 10 0 10 0 0\n</P>\n",
                               100));
  WriteText("INV.tlc", TlcCell("INV", 1, "<B>\n1 -10 -10 10 10\n</B>\n", 100));
}

TEST(CifOutRun, WritesTheHierarchy) {
  OutRun run;
  Hierarchy();
  ASSERT_EQ(run.Go(), 1);
  std::string cif = ReadText("TOP.cif");
  auto lines = Lines(cif);
  EXPECT_EQ(lines[0], "(CIF file of TOP.tlc made by CIFOUT  01/02/26  10:00:00);");
  EXPECT_EQ(lines[1], "(CIF Grid= 0.01um  Lambda= 1);");
  EXPECT_EQ(lines[3], "(LAYER 1 CIF= CMF);");
  EXPECT_EQ(lines[4], "(LAYER 2 CIF= CPG);");
  EXPECT_EQ(lines[6], "(#1 INV);");
  EXPECT_EQ(lines[7], "(#2 MID);");
  EXPECT_EQ(lines[8], "(#3 TOP);");
  EXPECT_EQ(Symbol(cif, 1), (std::vector<std::string>{"DS#1 1/1;", "9 INV;", "LCMF;", "B 20 20 0 0;", "DF;"}));
  EXPECT_EQ(Symbol(cif, 2),
            (std::vector<std::string>{"DS#2 1/1;", "9 MID;", "LCMF;", "W 10 5 0 100 0 100 95;", "W 10 0 0 100 0;",
                                      "LCPG;", "P 0 0 10 0 10 10 0 10 0 0;", "C 1 T 0 0;", "C 1 R 0 1 T 100 0;",
                                      "C 1 R -1 0 T 200 0;", "C 1 R 0 -1 T 300 0;", "C 1 MY T 400 0;",
                                      "C 1 MY R 0 1 T 500 0;", "C 1 MY R -1 0 T 600 0;", "C 1 MY R 0 -1 T 700 0;",
                                      "DF;"}));
  // The odd box (5 long) can't be centred on the grid: its exact corners.
  EXPECT_EQ(Symbol(cif, 3), (std::vector<std::string>{"DS#3 1/1;", "9 TOP;", "LCMF;", "B 20 10 10 5;", "LCPG;",
                                                      "P 0 0 5 0 5 4 0 4 0 0;", "94 INPUT 1200 -300;",
                                                      "C 2 T 0 0;", "DF;"}));
  EXPECT_EQ(cif.substr(cif.size() - 7), "C#3;\nE\n");
  EXPECT_TRUE(Said(*run.host, "Completed ... " + std::to_string(cif.size()) + " Bytes in CIF File"));
  EXPECT_EQ(run.st->w.bytes, (int64_t)cif.size());
  std::string log = ReadText("CifOut.log");
  EXPECT_NE(log.find("Path Ends Extended at X=0 Y=0 L=1 in MID"), std::string::npos);
  EXPECT_FALSE(SaidPart(*run.host, "Can't Center Box"));
}

TEST(CifOutRun, LayerRowsAndOptions) {
  struct Case {
    const char* name;
    const char* layers;
    std::vector<std::pair<int, const char*>> keys;
    std::vector<std::string> inv;  // symbol 1
  } cases[] = {
      {"two rows for one layer write it twice", "(LAYER 1 CIF= CMF);(LAYER 1 CIF= CM2);", {},
       {"DS#1 1/1;", "9 INV;", "LCMF;", "B 20 20 0 0;", "LCM2;", "B 20 20 0 0;", "DF;"}},
      {"a layer without a row is not written", "(LAYER 2 CIF= CPG);", {}, {"DS#1 1/1;", "9 INV;", "DF;"}},
      {"an unselected layer is not written", "(LAYER 1 CIF= CMF);", {{CK_FTR, "2-5"}}, {"DS#1 1/1;", "9 INV;", "DF;"}},
      {"boxes to polygons", "(LAYER 1 CIF= CMF);", {{CK_B2P, "Y"}},
       {"DS#1 1/1;", "9 INV;", "LCMF;", "P -10 -10 10 -10 10 10 -10 10 -10 -10;", "DF;"}},
      {"grid .001 scales by ten", "(LAYER 1 CIF= CMF);", {{CK_CG1, "N"}},
       {"DS#1 1/1;", "9 INV;", "LCMF;", "B 200 200 0 0;", "DF;"}},
  };
  for (const Case& c : cases) {
    OutRun run;
    Hierarchy();
    for (auto& k : c.keys) snprintf(run.st->val[k.first], CIFOUT_VALLEN, "%s", k.second);
    WriteText("LAY.cif", c.layers);
    snprintf(run.st->val[CK_LFN], CIFOUT_VALLEN, "LAY.cif");
    ASSERT_EQ(run.Go(nullptr), 1) << c.name << ": " << (run.host->messages.empty() ? "" : run.host->messages[0].text);
    std::string cif = ReadText("TOP.cif");
    EXPECT_EQ(Symbol(cif, 1), c.inv) << c.name;
    // Every row goes to the head, selected or not.
    EXPECT_NE(cif.find(std::string(c.layers).substr(0, 17)), std::string::npos) << c.name;
  }
}

TEST(CifOutRun, PathsAsPolygonsAndFoldingEnds) {
  OutRun run;
  WriteText("TOP.tlc", TlcCell("TOP", 1,
                               "<P>\n1 10 2\n0 0 100 0\n</P>\n"   // becomes its outline with p2p
                               "<P>\n1 -10 2\n0 0 100 0\n</P>\n",
                               100));
  snprintf(run.st->val[CK_P2P], CIFOUT_VALLEN, "Y");
  ASSERT_EQ(run.Go("(LAYER 1 CIF= CMF);"), 1);
  EXPECT_EQ(Symbol(ReadText("TOP.cif"), 1),
            (std::vector<std::string>{"DS#1 1/1;", "9 TOP;", "LCMF;", "P 0 -5 0 5 100 5 100 -5 0 -5;",
                                      "P -5 -5 -5 5 105 5 105 -5 -5 -5;", "DF;"}));

  OutRun fold;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<P>\n1 20 2\n0 0 15 0\n</P>\n", 100));
  ASSERT_EQ(fold.Go("(LAYER 1 CIF= CMF);"), 1);
  EXPECT_EQ(Symbol(ReadText("TOP.cif"), 1),
            (std::vector<std::string>{"DS#1 1/1;", "9 TOP;", "LCMF;", "P 0 -10 0 10 15 10 15 -10 0 -10;", "DF;"}));
  EXPECT_NE(ReadText("CifOut.log").find("Questionable Path End"), std::string::npos);
}

TEST(CifOutRun, LongPolygonsWrapSixPointsToALine) {
  OutRun run;
  std::string pts;
  for (int i = 0; i < 7; ++i) pts += std::to_string(i) + " " + std::to_string(i * i) + " ";
  pts += "0 0";
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<P>\n1 0 8\n" + pts + "\n</P>\n", 100));
  ASSERT_EQ(run.Go("(LAYER 1 CIF= CMF);"), 1);
  auto sym = Symbol(ReadText("TOP.cif"), 1);
  ASSERT_EQ(sym.size(), 6u);
  EXPECT_EQ(sym[3], "P 0 0 1 1 2 4 3 9 4 16 5 25");
  EXPECT_EQ(sym[4], "  6 36 0 0;");
}

TEST(CifOutRun, CentringNeedsAQuestionOnlyWhereCornersCannotBeExact) {
  OutRun run;
  // s = 3 at grid .001: f = 3333333.33..; a box 0..3 is exactly 0..10000000
  // but the box 0..1 has no exact corner.
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 3 3\n</B>\n<B>\n1 0 0 1 1\n</B>\n", 3));
  snprintf(run.st->val[CK_CG1], CIFOUT_VALLEN, "N");
  run.host->answers.push_back(HOST_IDOK);
  ASSERT_EQ(run.Go("(LAYER 1 CIF= CMF);"), 1);
  auto sym = Symbol(ReadText("TOP.cif"), 1);
  EXPECT_EQ(sym[0], "DS#1 1/10000;");
  EXPECT_EQ(sym[3], "B 10000000 10000000 5000000 5000000;");
  EXPECT_EQ(sym[4], "B 3333333 3333333 1666667 1666667;");
  int asked = 0;
  for (auto& m : run.host->messages)
    if (m.text == "Can't Center Box at X=0 Y=0 L=1 in TOP\n\nContinue or Cancel Conversion?") ++asked;
  EXPECT_EQ(asked, 1);
}

TEST(CifOutRun, FailuresAreNeverCompleted) {
  struct Case {
    const char* name;
    std::string top;
    const char* layers;
    const char* cifPath;
    const char* tmpl;
    const char* message;
  } cases[] = {
      {"missing main", "", "(LAYER 1 CIF= A);", nullptr, nullptr, "Main TLC File is Missing ... Can't Continue"},
      {"no scale", TlcCell("TOP", 1, "", 0), "(LAYER 1 CIF= A);", nullptr, nullptr,
       "TLC Scale is Missing ... Can't Continue"},
      {"missing cell", TlcCell("TOP", 2, "<C>\nSUB\n0 0 0 0\n</C>\n"), "(LAYER 1 CIF= A);", nullptr, nullptr,
       "SUB.tlc File is Missing ... Can't Continue"},
      {"rank", TlcCell("TOP", 25, ""), "(LAYER 1 CIF= A);", nullptr, nullptr, "TOP Rank is Incorrect ... Can't Continue"},
      {"no layer rows", TlcCell("TOP", 1, ""), "(nothing);", nullptr, nullptr,
       "CIF Layer File is Incorrect or Missing ... Can't Continue"},
      {"unwritable", TlcCell("TOP", 1, ""), "(LAYER 1 CIF= A);", "nofolder/TOP.cif", nullptr,
       "Unable to Write CIF File ... Can't Continue"},
      {"bad box", TlcCell("TOP", 1, "<B>\n1 0 0\n</B>\n"), "(LAYER 1 CIF= A);", nullptr, nullptr,
       "Box Record Read Error ... Can't Continue"},
      {"too far", TlcCell("TOP", 1, "<B>\n1 0 0 2000000000 10\n</B>\n", 1), "(LAYER 1 CIF= A);", nullptr, nullptr,
       "Coordinate exceeds 32 Bits in CIF File ... Can't Continue"},
      {"template", TlcCell("TOP", 1, ""), "(LAYER 1 CIF= A);", nullptr, "94 1 2 3 4 5 6 7 8 9 10",
       "Too Many Tokens in Text Template ... Can't Continue"},
      {"outside path", TlcCell("TOP", 2, "<C>\n..\\SUB\n0 0 0 0\n</C>\n"), "(LAYER 1 CIF= A);", nullptr, nullptr,
       "Incorrect Cell Name \"..\\SUB\" in TOP.tlc ... Can't Continue"},
  };
  for (const Case& c : cases) {
    OutRun run;
    if (!c.top.empty()) WriteText("TOP.tlc", c.top);
    WriteText("LAY.cif", c.layers);
    snprintf(run.st->val[CK_LFN], CIFOUT_VALLEN, "LAY.cif");
    if (c.cifPath) snprintf(run.st->val[CK_CFN], CIFOUT_VALLEN, "%s", c.cifPath);
    if (c.tmpl) snprintf(run.st->val[CK_TMP], CIFOUT_VALLEN, "%s", c.tmpl);
    EXPECT_EQ(run.Go(nullptr), 0) << c.name;
    EXPECT_TRUE(Said(*run.host, c.message)) << c.name << ": " << (run.host->messages.empty() ? "" : run.host->messages[0].text);
    EXPECT_TRUE(Said(*run.host, "Aborted ... Files may be Incomplete")) << c.name;
    EXPECT_FALSE(SaidPart(*run.host, "Completed")) << c.name;
    EXPECT_TRUE(ReadText("TOP.cif").empty()) << c.name << ": nothing half-written is left";
    EXPECT_TRUE(ReadText("TOP.cif.tmp").empty()) << c.name;
  }
}

TEST(CifOutRun, AFailedRunKeepsTheOldFile) {
  OutRun run;
  WriteText("TOP.cif", "old");
  WriteText("LAY.cif", "(LAYER 1 CIF= A);");
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0\n</B>\n"));
  snprintf(run.st->val[CK_LFN], CIFOUT_VALLEN, "LAY.cif");
  EXPECT_EQ(run.Go(nullptr), 0);
  EXPECT_EQ(ReadText("TOP.cif"), "old");
}

}  // namespace

namespace {

TEST(CifOutRun, BoundsStopOrAreNoted) {
  {
    OutRun run;
    std::string refs;
    for (int i = 0; i < CIFOUT_MAXCELLS; ++i) refs += "<C>\nC" + std::to_string(i) + "\n0 0 0 0\n</C>\n";
    WriteText("TOP.tlc", TlcCell("TOP", 2, refs));
    for (int i = 0; i < CIFOUT_MAXCELLS; ++i) WriteText("C" + std::to_string(i) + ".tlc", TlcCell("C", 1, ""));
    EXPECT_EQ(run.Go(), 0);
    EXPECT_TRUE(Said(*run.host, "Too Many Cells (Max 8190) ... Can't Continue"));
  }
  {
    // Rows past the table's 256 are noted and left out; the run goes on.
    OutRun run;
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 20 10\n</B>\n", 100));
    std::string rows;
    for (int i = 0; i < 258; ++i) rows += "(LAYER " + std::to_string(1 + i % 256) + " CIF= N" + std::to_string(i) + ");\n";
    ASSERT_EQ(run.Go(rows.c_str()), 1);
    EXPECT_NE(ReadText("CifOut.log").find("2 Layers past 256 in the CIF Layer File are Ignored"), std::string::npos);
    std::string cif = ReadText("TOP.cif");
    EXPECT_NE(cif.find("(LAYER 256 CIF= N255);"), std::string::npos);
    EXPECT_EQ(cif.find("CIF= N256"), std::string::npos);
  }
}

}  // namespace
