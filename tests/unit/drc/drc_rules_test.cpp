// Rule files into checks, and the pixel geometry a check gets.
#include "drc_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drc_geom.h"

namespace {

struct Read {
  int result;
  std::string title;
  std::vector<std::string> ops;
  std::string fault;
};

std::vector<Read> ReadAll(DrcCheckRec& chk, const std::string& text, int maxChecks = 20) {
  DrcCheckReset(chk);
  DrcRuleSrc s;
  DrcRuleSrcMem(&s, text.data(), text.size());
  std::vector<Read> out;
  for (int i = 0; i < maxChecks; ++i) {
    int r = DrcCheckRead(chk, &s);
    Read rd{r, chk.title, {}, chk.fault};
    for (int k = 0; k < chk.nops; ++k) rd.ops.push_back(chk.op[k]);
    out.push_back(rd);
    if (r == -1) break;
  }
  return out;
}

const char* kRules =
    "; a comment line: distance= 99\n"
    "title= 1.1 Well width\n"
    "distance= 12 lam (SUBM DEEP)\n"
    "resolution = .5\n"
    "operators = {\n"
    "  map,41        ;make a bitmap of p-well\n"
    "  dsp , 41 , Y , 3\n"
    "  push,41 * star comment: exp,99\n"
    "  expr,1.5\n"
    "  notr }\n"
    "T i t l e= Second\n"
    "D ist= 3\n"
    "GUARD= 2\n"
    "location= -5.5 , 7\n"
    "op=<testr> \n";

TEST(RuleFile, ChecksReadWithTheirQuirks) {
  DrcCheckRec chk;
  auto r = ReadAll(chk, kRules);
  ASSERT_GE(r.size(), 3u);
  EXPECT_EQ(r[0].result, 1);
  EXPECT_EQ(r[0].title, " 1.1 Well width");
  EXPECT_EQ(r[0].ops, (std::vector<std::string>{"map,41", "dsp,41,Y,3", "push,41", "expr,1.5", "notr"}));
  EXPECT_EQ(r[0].fault, "");
  EXPECT_EQ(r[1].result, 1);
  EXPECT_EQ(r[1].title, " Second");
  EXPECT_EQ(r[1].ops, (std::vector<std::string>{"testr"}));
  EXPECT_EQ(r[2].result, -1);
  EXPECT_EQ(r[2].title, "");
  // Values of the second check; DISTANCE persists, RESOLUTION too, but only
  // the first check has its own RESOLUTION line.
  ReadAll(chk, kRules, 1);
  EXPECT_DOUBLE_EQ(chk.DISTANCE, 12);
  EXPECT_DOUBLE_EQ(chk.RESOLUTION, 0.5);
  EXPECT_EQ(chk.resolutionGiven, 1);
  ReadAll(chk, kRules, 2);
  EXPECT_DOUBLE_EQ(chk.DISTANCE, 3);
  EXPECT_DOUBLE_EQ(chk.GUARDBAND, 2);
  EXPECT_EQ(chk.resolutionGiven, 0);
  EXPECT_EQ(std::string(chk.ckl), "-5.5");
  EXPECT_EQ(std::string(chk.ckb), "7");
  EXPECT_EQ(chk.counter, 2);
}

TEST(RuleFile, KeywordSpellings) {
  DrcCheckRec chk;
  for (const char* kw : {"Distance", "DI", "dist", "d i s t", "DiStAnCe"}) {
    auto r = ReadAll(chk, std::string(kw) + "= 10\n");
    EXPECT_DOUBLE_EQ(chk.DISTANCE, 10) << kw;
    EXPECT_EQ(r.back().result, -1);
  }
  ReadAll(chk, ";distance= 10\n*distance= 11\n");
  EXPECT_DOUBLE_EQ(chk.DISTANCE, 0);
}

TEST(RuleFile, OperatorListEdges) {
  DrcCheckRec chk;
  struct Case {
    std::string text;
    int result;
    std::vector<std::string> ops;
    std::string fault;
  } cases[] = {
      // A letter before the "{": no operator lines, reported.
      {"title=a\noperators= map,41\n", 0, {}, "OPERATORS without \"{\""},
      // No closing brace: the list runs to the end of the file.
      {"title=a\nop={\nmap,1\nnotr", 1, {"map,1", "notr"}, ""},
      // A closing brace in a line stores what came before it.
      {"title=a\nop={map,1 notr}junk\n", 1, {"map,1notr"}, ""},
      // A comment longer than any buffer is still only a comment.
      {"title=a\nop={\nnotr ;" + std::string(400, 'x') + "\nclr\n}", 1, {"notr", "clr"}, ""},
      // Blank lines and a lone comment keep nothing.
      {"title=a\nop={\n\n   ;c\n  *c\nclr}\n", 1, {"clr"}, ""},
  };
  for (auto& c : cases) {
    auto r = ReadAll(chk, c.text, 1);
    EXPECT_EQ(r[0].result, c.result) << c.text;
    EXPECT_EQ(r[0].ops, c.ops) << c.text;
    EXPECT_EQ(r[0].fault, c.fault) << c.text;
  }
}

TEST(RuleFile, OverlongLinesAndTooManyLinesAreRefused) {
  DrcCheckRec chk;
  std::string longLine = "title=a\nop={\nmap," + std::string(120, '1') + "\nclr}\n";
  auto r = ReadAll(chk, longLine, 1);
  EXPECT_EQ(r[0].fault, "Operator Line Longer than 100 Characters");
  EXPECT_EQ(r[0].ops, (std::vector<std::string>{"clr"}));  // the rest is not a new line

  std::string exact = "title=a\nop={\n" + std::string(100, 'a') + "\n}";
  r = ReadAll(chk, exact, 1);
  EXPECT_EQ(r[0].fault, "");
  ASSERT_EQ(r[0].ops.size(), 1u);

  std::string many = "title=a\nop={\n";
  for (int i = 0; i < 101; ++i) many += "clr\n";
  many += "}\n";
  r = ReadAll(chk, many, 1);
  EXPECT_EQ(r[0].fault, "More than 100 Operator Lines in Check");
  EXPECT_EQ(r[0].ops.size(), 100u);
}

TEST(RuleFile, TitlesAndLocationEdges) {
  DrcCheckRec chk;
  auto r = ReadAll(chk, "title=" + std::string(150, 'T') + "=notakeyword\nop={clr}", 1);
  EXPECT_EQ(r[0].title.size(), 99u);
  EXPECT_EQ(r[0].ops, (std::vector<std::string>{"clr"}));
  ReadAll(chk, "location= 12\n", 1);
  EXPECT_EQ(std::string(chk.ckl), "12");
  EXPECT_EQ(std::string(chk.ckb), "");
  // A check without OPERATORS at the end of the file keeps its title.
  r = ReadAll(chk, "title=last one\n");
  EXPECT_EQ(r[0].result, -1);
  EXPECT_EQ(r[0].title, "last one");
  EXPECT_EQ(chk.anything, 1);
  // CRLF line ends do not reach titles or operator lines.
  r = ReadAll(chk, "title=crlf\r\nop={\r\nnotr\r\n}\r\n", 1);
  EXPECT_EQ(r[0].title, "crlf");
  EXPECT_EQ(r[0].ops, (std::vector<std::string>{"notr"}));
}

// ---- pixel geometry ----

DrcGeomInput Input(double dist, double res, int given) {
  DrcGeomInput in = {};
  in.scale = 1000;
  in.winLeft = 0;
  in.winBottom = 0;
  in.winRight = 100;
  in.winTop = 100;
  in.rescale = 1;
  in.res = "";
  in.dis = "";
  in.arp = 0.1;
  in.ckl = "";
  in.ckb = "";
  in.DISTANCE = dist;
  in.RESOLUTION = res;
  in.resolutionGiven = given;
  in.mapw = 512;
  in.maph = 320;
  return in;
}

TEST(PixelGeometry, Cases) {
  struct Case {
    double dist, res;
    int given;
    const char* resOverride;
    double pix;
    int n;
  } cases[] = {
      {3, 0.25, 1, "", 250, 11},     // divisor 250, quotient 12
      {3, 0, 0, "", 100, 29},        // automatic: min(0.1, 0.3)
      {0.007, 0, 0, "", 1, 6},       // 7 units: no even quotient
      {0.007, 0.003, 1, "", 1, 6},
      {0, 0.002, 1, "", 2, -1},      // no distance: the resolution alone
      {3, 0.25, 0, "0.5", 500, 5},   // Test Res overrides
  };
  for (auto& c : cases) {
    DrcGeomInput in = Input(c.dist, c.res, c.given);
    in.res = c.resOverride;
    DrcGeom g;
    ASSERT_EQ(DrcPixelGeometry(in, &g), 1);
    EXPECT_EQ(g.pixUnits, c.pix) << c.dist << " " << c.res;
    EXPECT_EQ(g.N, c.n) << c.dist << " " << c.res;
  }
  DrcGeom g;
  DrcGeomInput in = Input(3, 0.25, 1);
  DrcPixelGeometry(in, &g);
  EXPECT_EQ(g.distUnits, 3000);
  EXPECT_EQ(g.guard, 4 * 250 + 3000);
  EXPECT_EQ(g.stepX, 512 * 250 - 2 * 4000);
  EXPECT_EQ(g.areaL, -4000);
  EXPECT_EQ(g.areaB, -4000);
  EXPECT_EQ(g.resGiven, 1);
  in.scale = 0;
  EXPECT_EQ(DrcPixelGeometry(in, &g), 0);
  EXPECT_EQ(DrcDivisorSearch(3000, 250), 250);
  EXPECT_EQ(DrcDivisorSearch(7, 100), 1);
}

TEST(PixelGeometry, RestartPointAndAreaCount) {
  DrcGeomInput in = Input(3, 0.25, 1);
  DrcGeom g;
  // Restart coordinates are numbers, not integers.
  in.ckl = "20.5um";
  in.ckb = "-1.5um";
  DrcPixelGeometry(in, &g);
  EXPECT_EQ(g.areaL, 20500);
  EXPECT_EQ(g.areaB, -1500);
  EXPECT_EQ(g.restartIgnored, 0);
  // Only the bottom given: the row starts at the window left.
  in.ckl = "";
  DrcPixelGeometry(in, &g);
  EXPECT_EQ(g.areaL, 0);
  // A restart point outside the window is ignored.
  in.ckl = "-500";
  in.ckb = "0";
  DrcPixelGeometry(in, &g);
  EXPECT_EQ(g.restartIgnored, 1);
  EXPECT_EQ(g.areaL, -4000);
  // A window wholly in negative coordinates still gets its areas.
  in = Input(3, 0.25, 1);
  in.winLeft = -300;
  in.winBottom = -200;
  in.winRight = -100;
  in.winTop = -50;
  DrcPixelGeometry(in, &g);
  // step x 120000, step y 72000: columns -304000, -184000 (2), rows
  // -204000, -132000, -60000 (3).
  EXPECT_EQ(g.totalAreas, 6);
  EXPECT_EQ(DrcAreaCount(g, g.areaB, g.areaL + g.stepX), 5);
  EXPECT_EQ(DrcAreaCount(g, g.winT + 1, g.areaL), 0);
  // Huge windows are capped, never overflow.
  in = Input(0.002, 0.001, 1);
  in.winLeft = -2e6;
  in.winRight = 2e6;
  in.winBottom = -2e6;
  in.winTop = 2e6;
  DrcPixelGeometry(in, &g);
  EXPECT_EQ(g.totalAreas, (int64_t)DRC_AREA_CAP);
}

}  // namespace

#include "drc_state.h"
#include "drc_text.h"

namespace {

TEST(Texts, ZoomTimeAndChecksList) {
  DrcState st;
  char t[200];
  DrcZoomText(t, sizeof t, 0, 0, 50000, 20000, 1000);
  EXPECT_STREQ(t, "zoom 0,0 50,20");
  DrcZoomText(t, sizeof t, -1400, 27800, 49800, 59800, 1000);
  EXPECT_STREQ(t, "zoom -1.4,27.8 49.8,59.8");
  DrcTimeText(t, sizeof t, 3725);
  EXPECT_STREQ(t, "DRC Time: 1 hr 2 min 5 sec");
  std::string rules = "title= one\nop={clr}\ntitle= two\nop={clr}\ntitle= three\nop={\nclr\n";
  DrcRuleSrc s;
  DrcRuleSrcMem(&s, rules.data(), rules.size());
  std::vector<std::string> lines;
  int n = DrcChecksList(st, &s, [](void* ctx, const char* line) {
    static_cast<std::vector<std::string>*>(ctx)->push_back(line);
  }, &lines);
  EXPECT_EQ(n, 2);  // the third runs into the end of the file
  EXPECT_EQ(lines, (std::vector<std::string>{"1  one", "2  two"}));
}

}  // namespace
