#include "dxfin.h"

#include <gtest/gtest.h>

#include <cmath>

#include <string>
#include <vector>

#include "convtest.h"
#include "host.h"
#include "host_record.h"
#include "satutil.h"
#include "small_fs.h"

namespace {

using DxfState = OwnState<DxfInState, DxfInReset>;

bool Said(const HostRecord& h, const std::string& text) {
  for (const auto& m : h.messages)
    if (m.text == text) return true;
  return false;
}

bool SaidStart(const HostRecord& h, const std::string& start) {
  for (const auto& m : h.messages)
    if (m.text.rfind(start, 0) == 0) return true;
  return false;
}

const char* kCompleted = "Completed ... %d TLC Files Made\n\nUse Import to Register Cells in Drawing";

std::string CompletedText(int n) {
  char t[200];
  snprintf(t, sizeof t, kCompleted, n);
  return t;
}

// The records of a cell file, one string each ("P 1 0 3 0 0 10 0 10 10",
// "T 5 150 2 0 10 20 HI", "C CELLA 6 100 0 0", "B 1 0 0 10 20"), the rank of
// its header and its layer record.
struct Cell {
  std::vector<std::string> recs;
  int rank = -1;
  std::string layers;
  bool exists = false;
};

// A file of the cell folder, found as the tidied path names it.
std::string ReadOut(const std::string& name) {
  std::string text;
  FILE* f = SatOpen(PathFix(("out\\" + name).c_str()), "rb");
  if (!f) return text;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  fclose(f);
  return text;
}

Cell ReadCell(const std::string& name) {
  Cell c;
  std::string text = ReadOut(name + ".tlc");
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
      size_t k = 0;
      for (int f = 0; f < 7; ++f) k = h.find(' ', k + 1);
      c.rank = atoi(h.c_str() + k + 1);
    }
    if (l == "<L>") c.layers = body("</L>");
  }
  return c;
}

// A DXF file from its parts: groups as "code\nvalue\n" pairs.
std::string G(int code, const std::string& v) { return std::to_string(code) + "\n" + v + "\n"; }
std::string G(int code, double v) {
  char t[64];
  snprintf(t, sizeof t, "%.10g", v);
  return G(code, std::string(t));
}

std::string LayerTable(const std::vector<std::string>& names) {
  std::string s = G(0, "SECTION") + G(2, "TABLES") + G(0, "TABLE") + G(2, "LAYER") + G(70, "5");
  for (const auto& n : names) s += G(0, "LAYER") + G(2, n) + G(70, "0") + G(62, "7") + G(6, "CONTINUOUS");
  return s + G(0, "ENDTAB") + G(0, "ENDSEC");
}

std::string Header(double textSize) {
  return G(0, "SECTION") + G(2, "HEADER") + G(9, "$ACADVER") + G(1, "AC1009") + G(9, "$TEXTSIZE") +
         G(40, textSize) + G(0, "ENDSEC");
}

std::string Blocks(const std::string& body) { return G(0, "SECTION") + G(2, "BLOCKS") + body + G(0, "ENDSEC"); }

std::string Block(const std::string& name, const std::string& body, double bx = 0, double by = 0) {
  return G(0, "BLOCK") + G(8, "0") + G(2, name) + G(70, "0") + G(10, bx) + G(20, by) + G(30, "0") + body +
         G(0, "ENDBLK") + G(8, "0");
}

std::string Entities(const std::string& body) {
  return G(0, "SECTION") + G(2, "ENTITIES") + body + G(0, "ENDSEC") + G(0, "EOF");
}

std::string Dxf(const std::string& entities, const std::string& blocks = "", double textSize = 2.5,
                const std::vector<std::string>& layers = {"0", "M1", "M2"}) {
  return Header(textSize) + LayerTable(layers) + (blocks.empty() ? "" : Blocks(blocks)) + Entities(entities);
}

std::string Vertex(double x, double y, double bulge = 0) {
  return G(0, "VERTEX") + G(8, "M1") + G(10, x) + G(20, y) + G(30, "0") + (bulge != 0 ? G(42, bulge) : "");
}

std::string Polyline(const std::vector<std::string>& vertices, double width = 0, int flags = 0,
                     const char* layer = "M1") {
  std::string s = G(0, "POLYLINE") + G(8, layer) + G(66, "1") + G(10, "0") + G(20, "0") + G(30, "0");
  if (width != 0) s += G(40, width) + G(41, width);
  if (flags) s += G(70, std::to_string(flags));
  for (const auto& v : vertices) s += v;
  return s + G(0, "SEQEND") + G(8, layer);
}

std::string Insert(const std::string& name, double x, double y, const std::string& more = "") {
  return G(0, "INSERT") + G(8, "0") + G(2, name) + G(10, x) + G(20, y) + G(30, "0") + more;
}

std::string WithCrLf(const std::string& s) {
  std::string out;
  for (char ch : s) {
    if (ch == '\n') out += '\r';
    out += ch;
  }
  return out;
}

// One conversion in a fresh folder: IN.dxf into out/, the main cell TOP,
// DXF units at scale 1 unless a test says otherwise, M1 -> 1, M2 -> 2, 0 ->
// 3.
struct DxfRun {
  DxfState own;
  DxfInState* st = own.st;
  WorkDir dir;
  HostRecord* host = &HostRecordInstall();
  std::vector<std::string> asked;  // names NEWNAME was asked about
  std::vector<std::string> answers;
  DxfRun() {
    st->fixedNow = 1;
    Set(DI_DFN, "IN.dxf");
    Set(DI_TPH, "out");
    Set(DI_TFN, "out/TOP.tlc");
    Set(DI_LSU, "1");
  }
  ~DxfRun() { HostRecordRemove(); }
  void Set(int k, const char* v) { snprintf(st->val[k], DXFIN_VALLEN, "%s", v); }
  void Map(const char* name, const char* tlc) {
    for (int i = 0; i < st->nLayers; ++i)
      if (strcmp(st->layers[i].name, name) == 0) snprintf(st->lnam[i], DXFIN_VALLEN, "%s", tlc);
    DxfInLayersTake(st);
  }
  int Go(const std::string& dxf) {
    WriteText("IN.dxf", dxf);
    DxfInSetupApply(st, 0);
    if (!DxfInLayerScan(st)) return -1;
    Map("M1", "1");
    Map("M2", "2");
    Map("0", "3");
    return DxfInGo(st);
  }
};

DxfRun* Current;
int Answer(const char* illegal, char* tried) {
  Current->asked.push_back(illegal);
  if (Current->answers.empty()) return 0;
  // An empty answer takes the proposal.
  if (!Current->answers.front().empty()) snprintf(tried, DXFIN_NAMELEN + 1, "%s", Current->answers.front().c_str());
  Current->answers.erase(Current->answers.begin());
  return 1;
}

// ---- geometry routines ----------------------------------------------------------------

TEST(DxfOrient, AnglesAndMirrors) {
  struct Case {
    double angle;
    int flags, o;
  } cases[] = {
      {0, 0, 0},     {45, 0, 0},    {45.01, 0, 1},  {90, 0, 1},   {135, 0, 1},   {180, 0, 2},
      {225, 0, 2},   {270, 0, 3},   {315, 0, 3},    {315.5, 0, 0}, {-90, 0, 3},  {450, 0, 1},
      {-630, 0, 1},  {0, 4, 4},     {90, 4, 5},     {0, 2, 6},    {90, 2, 7},    {0, 6, 2},
      {270, 2, 5},
  };
  for (const Case& c : cases) EXPECT_EQ(DxfOrient(c.angle, c.flags), c.o) << c.angle << " " << c.flags;
}

TEST(DxfBulgeArc, HalfCircleAndLimits) {
  int32_t x[400], y[400];
  int clamped = -1;
  // A bulge of 1 is a half circle; positive turns counter-clockwise from
  // (0,0) to (100,0), so below the chord.
  int n = DxfBulgeArc(0, 0, 100, 0, 1, 45, x, y, 400, &clamped);
  ASSERT_EQ(n, 3);
  EXPECT_EQ(clamped, 0);
  EXPECT_EQ(x[0], 15);
  EXPECT_EQ(y[0], -35);
  EXPECT_EQ(x[1], 50);
  EXPECT_EQ(y[1], -50);
  EXPECT_EQ(x[2], 85);
  EXPECT_EQ(y[2], -35);
  for (int i = 0; i < n; ++i) {
    double r = std::hypot(x[i] - 50.0, y[i]);
    EXPECT_NEAR(r, 50, 1);
  }
  // Negative: the other side.
  n = DxfBulgeArc(0, 0, 100, 0, -1, 45, x, y, 400, &clamped);
  ASSERT_EQ(n, 3);
  EXPECT_EQ(y[1], 50);
  // Too small an arc for two segments adds nothing.
  EXPECT_EQ(DxfBulgeArc(0, 0, 100, 0, 0.1, 45, x, y, 400, &clamped), 0);
  EXPECT_EQ(DxfBulgeArc(0, 0, 0, 0, 1, 5, x, y, 400, &clamped), 0);
  // Past 270 degrees: held there, with the flag.
  n = DxfBulgeArc(0, 0, 100, 0, 5, 45, x, y, 400, &clamped);
  EXPECT_EQ(clamped, 1);
  EXPECT_EQ(n, 4);  // the limit lies a hair under 270 degrees: 5 segments of 45
  // Points beyond the coordinate range are refused.
  EXPECT_EQ(DxfBulgeArc(536870000, 0, 536870900, 0, 2, 5, x, y, 400, &clamped), -1);
}

// ---- settings ----------------------------------------------------------------------------

TEST(DxfInSettings, Completion) {
  DxfState own;
  DxfInState* st = own.st;
  WorkDir dir;
  snprintf(st->val[DI_DFN], DXFIN_VALLEN, "c:\\work\\chip.txt");
  snprintf(st->val[DI_LSU], DXFIN_VALLEN, "-2.5");
  snprintf(st->val[DI_SEG], DXFIN_VALLEN, "90");
  snprintf(st->val[DI_AGD], DXFIN_VALLEN, "cw");
  snprintf(st->val[DI_PSU], DXFIN_VALLEN, "%s", "");
  snprintf(st->val[DI_TPH], DXFIN_VALLEN, "%s", "");
  DxfInSetupApply(st, 0);
  EXPECT_STREQ(st->val[DI_DFN], "C:\\Work\\Chip.dxf");
  EXPECT_STREQ(st->val[DI_TPH], ".\\Dxf_files\\");
  EXPECT_STREQ(st->val[DI_TFN], ".\\Dxf_files\\Chip.tlc");
  EXPECT_STREQ(st->val[DI_PSU], "um");
  EXPECT_STREQ(st->val[DI_LSU], "2.5");
  EXPECT_DOUBLE_EQ(st->s, 2.5);
  EXPECT_STREQ(st->val[DI_SEG], "45");
  EXPECT_STREQ(st->val[DI_AGD], "CW");
  EXPECT_EQ(st->cw, 1);
  snprintf(st->val[DI_AGD], DXFIN_VALLEN, "left");
  snprintf(st->val[DI_SEG], DXFIN_VALLEN, "-0.5");
  snprintf(st->val[DI_LSU], DXFIN_VALLEN, "0");
  DxfInSetupApply(st, 0);
  EXPECT_STREQ(st->val[DI_AGD], "CCW");
  EXPECT_STREQ(st->val[DI_SEG], "1");
  EXPECT_STREQ(st->val[DI_LSU], "1");
  EXPECT_EQ(st->writeAll, 1);
  DxfInSetupApply(st, 1);
  EXPECT_EQ(st->writeAll, 0);
}

TEST(DxfInSettings, FileKeepsTheLayerRows) {
  WorkDir dir;
  DxfState a, b;
  snprintf(a.st->val[DI_DFN], DXFIN_VALLEN, "x.dxf");
  snprintf(a.st->lnam[0], DXFIN_VALLEN, "12");
  snprintf(a.st->lnum[0], DXFIN_VALLEN, "METAL 1");
  snprintf(a.st->lnam[35], DXFIN_VALLEN, "256");
  snprintf(a.st->lnum[35], DXFIN_VALLEN, "LAST");
  ASSERT_EQ(DxfInUsfWrite(a.st, "DxfIn.usf"), 0);
  std::string text = ReadText("DxfIn.usf");
  EXPECT_EQ(text.find("dfn="), 0u);
  EXPECT_LT(text.find("bot="), text.find("lnam0=12\n"));
  EXPECT_LT(text.find("lnam35=256\n"), text.find("lnum0=METAL 1\n"));
  ASSERT_EQ(DxfInUsfRead(b.st, "DxfIn.usf"), 0);
  EXPECT_STREQ(b.st->lnam[0], "12");
  EXPECT_STREQ(b.st->lnum[0], "METAL 1");
  EXPECT_STREQ(b.st->lnum[35], "LAST");
  EXPECT_STREQ(b.st->val[DI_DFN], a.st->val[DI_DFN]);
  EXPECT_EQ(DxfInUsfRead(b.st, "missing.usf"), 1);
}

// ---- layer scan ------------------------------------------------------------------------

TEST(DxfInLayers, ScanAndFaults) {
  {
    DxfRun run;
    WriteText("IN.dxf", LayerTable({"0", "Metal One Long Name Cut Here", "m2", "M2"}) + Entities(""));
    ASSERT_EQ(DxfInLayerScan(run.st), 3);
    EXPECT_STREQ(run.st->layers[1].name, "Metal One Long Name ");
    EXPECT_STREQ(run.st->lnum[2], "m2");
  }
  {
    DxfRun run;
    WriteText("IN.dxf", Entities(""));
    EXPECT_EQ(DxfInLayerScan(run.st), 0);
    EXPECT_TRUE(Said(*run.host, "Layers Not Found in DXF File ... Can't Continue"));
  }
  {
    DxfRun run;
    run.Set(DI_DFN, "NONE.dxf");
    EXPECT_EQ(DxfInLayerScan(run.st), 0);
    EXPECT_TRUE(Said(*run.host, "DXF File is Missing ... Can't Continue"));
  }
  {
    DxfRun run;  // Go before any scan
    EXPECT_EQ(DxfInGo(run.st), 0);
    EXPECT_TRUE(Said(*run.host, DxfInLayersFirst));
  }
}

// ---- entities ----------------------------------------------------------------------------

TEST(DxfInRun, Entities) {
  struct Case {
    const char* name;
    std::vector<std::pair<int, const char*>> keys;
    std::string entities;
    std::vector<std::string> recs;
  } cases[] = {
      {"line", {}, G(0, "LINE") + G(8, "M1") + G(10, 0) + G(20, 0) + G(11, 10) + G(21, 5), {"P 1 0 2 0 0 10 5"}},
      {"line on no layer goes to 64", {}, G(0, "LINE") + G(10, 0) + G(20, 0) + G(11, 10) + G(21, 5),
       {"P 64 0 2 0 0 10 5"}},
      {"lines not converted: an empty cell gets its marker", {{DI_CVL, "N"}}, G(0, "LINE") + G(8, "M1") + G(11, 10),
       {"T 256 1 2 0 0 0 <<TOP>>"}},
      {"scale rounds halves away", {{DI_LSU, "10"}},
       G(0, "LINE") + G(8, "M2") + G(10, 0.05) + G(20, -0.05) + G(11, 0.04) + G(21, -0.15),
       {"P 2 0 2 1 -1 0 -2"}},
      {"circle seg 45", {{DI_SEG, "45"}}, G(0, "CIRCLE") + G(8, "M1") + G(10, 0) + G(20, 0) + G(40, 100),
       {"P 1 0 9 100 0 71 71 0 100 -71 71 -100 0 -71 -71 0 -100 71 -71 100 0"}},
      {"arc 0 to 90", {{DI_SEG, "45"}}, G(0, "ARC") + G(8, "M1") + G(10, 0) + G(20, 0) + G(40, 10) + G(50, 0) + G(51, 90),
       {"P 1 0 3 10 0 7 7 0 10"}},
      {"arc closed as a sector", {{DI_SEG, "45"}, {DI_COA, "Y"}},
       G(0, "ARC") + G(8, "M1") + G(10, 0) + G(20, 0) + G(40, 10) + G(50, 0) + G(51, 90),
       {"P 1 0 5 10 0 7 7 0 10 0 0 10 0"}},
      {"arc smaller than a segment", {{DI_SEG, "45"}},
       G(0, "ARC") + G(8, "M1") + G(10, 0) + G(20, 0) + G(40, 100) + G(50, 0) + G(51, 10), {"P 1 0 2 100 0 98 17"}},
      {"solid outline order", {},
       G(0, "SOLID") + G(8, "M1") + G(10, 0) + G(20, 0) + G(11, 10) + G(21, 0) + G(12, 0) + G(22, 5) + G(13, 10) +
           G(23, 5),
       {"P 1 0 5 0 0 10 0 10 5 0 5 0 0"}},
      {"solid triangle", {},
       G(0, "SOLID") + G(8, "M1") + G(10, 0) + G(20, 0) + G(11, 10) + G(21, 0) + G(12, 0) + G(22, 5) + G(13, 0) +
           G(23, 5),
       {"P 1 0 4 0 0 10 0 0 5 0 0"}},
      {"solid to box", {{DI_S2B, "Y"}},
       G(0, "SOLID") + G(8, "M2") + G(10, 10) + G(20, 5) + G(11, 0) + G(21, 5) + G(12, 0) + G(22, 0) + G(13, 10) +
           G(23, 0),
       {"B 2 0 0 10 5"}},
      {"solid of three corners", {}, G(0, "SOLID") + G(8, "M1") + G(10, 0) + G(20, 0) + G(11, 10) + G(21, 0) + G(12, 0) + G(22, 5),
       {"T 256 1 2 0 0 0 <<TOP>>"}},
      {"text", {{DI_LSU, "100"}},
       G(0, "TEXT") + G(8, "M2") + G(10, 1) + G(20, 2) + G(40, 1.5) + G(1, " Hi there ") + G(50, 90),
       {"T 2 150 3 1 100 200  Hi there"}},
      {"text without height takes $TEXTSIZE", {{DI_LSU, "100"}}, G(0, "TEXT") + G(8, "M2") + G(1, "A"),
       {"T 2 255 2 0 0 0 A"}},
      {"text backward and cut to 64", {},
       G(0, "TEXT") + G(8, "M1") + G(40, 1000) + G(71, "2") + G(1, std::string(70, 'x')),
       {"T 1 1005 9 6 0 0 " + std::string(64, 'x')}},
      {"open polyline", {}, Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}), {"P 1 0 3 0 0 10 0 10 10"}},
      {"closed flag closes", {}, Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}, 0, 1),
       {"P 1 0 4 0 0 10 0 10 10 0 0"}},
      {"closed flag of a wide polyline", {}, Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}, 2, 1),
       {"P 1 2 4 0 0 10 0 10 10 0 0"}},
      {"closed already stays", {}, Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10), Vertex(0, 0)}, 0, 1),
       {"P 1 0 4 0 0 10 0 10 10 0 0"}},
      {"two points never close", {{DI_COP, "Y"}}, Polyline({Vertex(0, 0), Vertex(10, 0)}, 0, 1),
       {"P 1 0 2 0 0 10 0"}},
      {"close open polylines of width 0", {{DI_COP, "Y"}},
       Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}) + Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}, 2),
       {"P 1 0 4 0 0 10 0 10 10 0 0", "P 1 2 3 0 0 10 0 10 10"}},
      {"close polylines with width", {{DI_CWP, "Y"}}, Polyline({Vertex(0, 0), Vertex(10, 0), Vertex(10, 10)}, 2),
       {"P 1 2 4 0 0 10 0 10 10 0 0"}},
      {"bulge between vertices", {{DI_SEG, "45"}}, Polyline({Vertex(0, 0, 1), Vertex(100, 0)}),
       {"P 1 0 5 0 0 15 -35 50 -50 85 -35 100 0"}},
      {"closing bulge of a closed circle", {{DI_SEG, "45"}}, Polyline({Vertex(0, 0, 1), Vertex(100, 0, 1)}, 0, 1),
       {"P 1 0 9 0 0 15 -35 50 -50 85 -35 100 0 85 35 50 50 15 35 0 0"}},
      {"bulge on the last vertex closes", {{DI_SEG, "45"}}, Polyline({Vertex(0, 0), Vertex(0, 100), Vertex(100, 0, 1)}),
       {"P 1 0 7 0 0 0 100 100 0 85 35 50 50 15 35 0 0"}},
      {"insert mirrored by a negative 41, unscaled", {},
       Insert("CELLA", 100, 0, G(41, -2) + G(42, 2)), {"C CELLA 6 100 0 0"}},
      {"insert rotated and mirrored in y", {}, Insert("CELLA", 0, 0, G(42, -1) + G(50, 90)), {"C CELLA 5 0 0 0"}},
      {"insert array", {},
       Insert("CELLA", 1, 2, G(70, "2") + G(71, "2") + G(44, 10) + G(45, 20)),
       {"C CELLA 0 1 2 0", "C CELLA 0 11 2 0", "C CELLA 0 1 22 0", "C CELLA 0 11 22 0"}},
      {"missing block gets a marker", {}, Insert("NOSUCH", 5, 6), {"T 256 1 3 0 5 6 <<NOSUCH>>"}},
      {"shape is not converted", {}, G(0, "SHAPE") + G(8, "M1") + G(10, 1) + G(20, 1), {"T 256 1 2 0 0 0 <<TOP>>"}},
  };
  for (const Case& c : cases) {
    for (int crlf = 0; crlf < 2; ++crlf) {
      DxfRun run;
      for (const auto& kv : c.keys) run.Set(kv.first, kv.second);
      std::string dxf = Dxf(c.entities, Block("CELLA", G(0, "LINE") + G(8, "M1") + G(11, 1)), 2.5);
      ASSERT_EQ(run.Go(crlf ? WithCrLf(dxf) : dxf), 1) << c.name << (crlf ? " CRLF" : " LF");
      EXPECT_EQ(ReadCell("TOP").recs, c.recs) << c.name << (crlf ? " CRLF" : " LF");
      EXPECT_TRUE(Said(*run.host, CompletedText(2))) << c.name;
    }
  }
}

TEST(DxfInRun, SegmentEdgeCases) {
  {
    // seg 7: 51 steps of whole 7 degrees, the last vertex at 350.
    DxfRun run;
    run.Set(DI_SEG, "7");
    ASSERT_EQ(run.Go(Dxf(G(0, "CIRCLE") + G(8, "M1") + G(40, 1000))), 1);
    Cell c = ReadCell("TOP");
    ASSERT_EQ(c.recs.size(), 1u);
    std::vector<long> v;
    for (size_t p = 2; p < c.recs[0].size();) {
      size_t e = c.recs[0].find(' ', p);
      v.push_back(atol(c.recs[0].substr(p, e - p).c_str()));
      if (e == std::string::npos) break;
      p = e + 1;
    }
    ASSERT_EQ(v[2], 52);  // 0, 7, ... 350 and the first again
    EXPECT_EQ(v[3 + 2 * 50], 985);   // cos 350 * 1000
    EXPECT_EQ(v[4 + 2 * 50], -174);  // sin 350 * 1000
    EXPECT_EQ(v[3 + 2 * 51], 1000);
  }
  for (const char* dir : {"CCW", "CW"}) {
    // 350 to 10: 20 degrees one way, 340 the other; 340 / 10 segments both.
    DxfRun run;
    run.Set(DI_SEG, "10");
    run.Set(DI_AGD, dir);
    ASSERT_EQ(run.Go(Dxf(G(0, "ARC") + G(8, "M1") + G(40, 1000) + G(50, 350) + G(51, 10))), 1) << dir;
    Cell c = ReadCell("TOP");
    ASSERT_EQ(c.recs.size(), 1u);
    EXPECT_EQ(c.recs[0].rfind("P 1 0 35 985 -174 ", 0), 0u) << dir << c.recs[0];
    // The ends lie at 10 degrees either way.
    EXPECT_NE(c.recs[0].find(" 985 174", c.recs[0].size() - 12), std::string::npos) << dir << c.recs[0];
    if (std::string(dir) == "CCW")
      EXPECT_NE(c.recs[0].find(" 1000 0 "), std::string::npos) << c.recs[0];  // passes 0 degrees
    else
      EXPECT_NE(c.recs[0].find(" -1000 "), std::string::npos) << c.recs[0];  // passes 180 degrees
  }
}

TEST(DxfInRun, LongPolylineBreaks) {
  DxfRun run;
  std::vector<std::string> v;
  for (int i = 0; i < 1500; ++i) v.push_back(Vertex(i, i % 2));
  ASSERT_EQ(run.Go(Dxf(Polyline(v, 3))), 1);
  Cell c = ReadCell("TOP");
  ASSERT_EQ(c.recs.size(), 2u);
  EXPECT_EQ(c.recs[0].rfind("P 1 3 1012 0 0 1 1 ", 0), 0u);
  // The second starts where the first ended.
  EXPECT_EQ(c.recs[1].rfind("P 1 3 489 1011 1 1012 0 ", 0), 0u);
  EXPECT_TRUE(Said(*run.host, CompletedText(1)));
  EXPECT_NE(ReadText("DxfIn.log").find("Polyline Broken into Pieces in TOP\n"), std::string::npos);
}

TEST(DxfInRun, BlocksRanksAndNames) {
  DxfRun run;
  std::string blocks = Block("LEAF", Polyline({Vertex(0, 0), Vertex(1, 0), Vertex(1, 1)}), 5, 5) +
                       Block("MID", Insert("LEAF", 0, 0) + Insert("leaf", 10, 0)) + Block("EMPTY", "");
  ASSERT_EQ(run.Go(Dxf(Insert("MID", 0, 0) + Insert("EMPTY", 1, 1), blocks)), 1);
  Cell leaf = ReadCell("LEAF"), mid = ReadCell("MID"), top = ReadCell("TOP"), empty = ReadCell("EMPTY");
  EXPECT_EQ(leaf.rank, 1);
  // The base point is the cell's origin.
  EXPECT_EQ(leaf.recs, std::vector<std::string>{"P 1 0 3 -5 -5 -4 -5 -4 -4"});
  EXPECT_EQ(mid.rank, 2);
  EXPECT_EQ(mid.recs, (std::vector<std::string>{"C LEAF 0 0 0 0", "C LEAF 0 10 0 0"}));
  EXPECT_EQ(empty.recs, std::vector<std::string>{"T 256 1 3 0 0 0 <<EMPTY>>"});
  EXPECT_EQ(top.rank, 3);
  EXPECT_EQ(top.layers, " 3 0 3 M1 1 M2 2");
  std::string log = ReadText("DxfIn.log");
  EXPECT_NE(log.find("\n4 Cells in New Cell Collection\n"), std::string::npos);
  // Sorted by rank.
  EXPECT_LT(log.find("LEAF                              1       Y     N     LEAF"),
            log.find("MID                               2       Y     N     MID"));
  EXPECT_TRUE(Said(*run.host, CompletedText(4)));
}

TEST(DxfInRun, NamesThroughNewName) {
  {
    // A block named like the main cell, two names equal in their first 32
    // characters, and a name no cell may have.
    DxfRun run;
    Current = &run;
    run.st->newName = Answer;
    run.answers = {"", "SECOND", "DOTTED", "MAIN"};
    std::string longA = std::string(32, 'A') + "1", longB = std::string(32, 'A') + "2";
    std::string blocks = Block(longA, G(0, "LINE") + G(8, "M1") + G(11, 1)) +
                         Block(longB, G(0, "LINE") + G(8, "M1") + G(11, 2)) +
                         Block("A.B", G(0, "LINE") + G(8, "M1") + G(11, 3)) + Block("TOP", G(0, "LINE") + G(8, "M1") + G(11, 4));
    ASSERT_EQ(run.Go(Dxf(Insert(longA, 0, 0) + Insert(longB, 0, 0) + Insert("A.B", 0, 0) + Insert("TOP", 0, 0), blocks)), 1);
    EXPECT_EQ(run.asked, (std::vector<std::string>{longA, longB, "A.B", "TOP"}))
        << "asked " << run.asked.size();
    EXPECT_EQ(ReadCell("MAIN").recs,
              (std::vector<std::string>{"C " + std::string(32, 'A') + " 0 0 0 0", "C SECOND 0 0 0 0", "C DOTTED 0 0 0 0",
                                        "C TOP 0 0 0 0"}));
    EXPECT_EQ(ReadCell("TOP").recs, std::vector<std::string>{"P 1 0 2 0 0 4 0"});
    EXPECT_NE(ReadText("DxfIn.log").find("Block A.B --> Cell DOTTED\n"), std::string::npos);
  }
  {
    // "Abort Conversion".
    DxfRun run;
    Current = &run;
    run.st->newName = Answer;
    EXPECT_EQ(run.Go(Dxf(Insert("A B", 0, 0), Block("A B", G(0, "LINE") + G(8, "M1")))), 0);
    ASSERT_EQ(run.asked.size(), 1u);
    EXPECT_TRUE(Said(*run.host, "Aborted ... Files may be Incomplete"));
    EXPECT_FALSE(ReadCell("TOP").exists);
  }
}

TEST(DxfInRun, Stops) {
  struct Case {
    const char* name;
    std::string dxf;
    std::string message;  // start of the error shown
  } cases[] = {
      {"layer mapped to 0", Dxf(G(0, "LINE") + G(8, "M3") + G(11, 1), "", 2.5, {"0", "M1", "M2", "M3"}),
       "Entity Layer Not in Layer Table"},
      {"layer not in the table", Dxf(G(0, "LINE") + G(8, "OTHER") + G(11, 1)), "Entity Layer Not in Layer Table"},
      {"cyclic blocks",
       Dxf(Insert("A", 0, 0), Block("A", Insert("B", 0, 0)) + Block("B", Insert("A", 0, 0))),
       "Block "},
      {"coordinate past the range", Dxf(G(0, "LINE") + G(8, "M1") + G(10, 6e8) + G(11, 1)),
       "Coordinate out of Range at Line "},
      {"coordinate not a number", Dxf(G(0, "LINE") + G(8, "M1") + G(10, "nan") + G(11, 1)),
       "Coordinate out of Range at Line "},
      {"insert array too large",
       Dxf(Insert("CELLA", 0, 0, G(70, "1001") + G(71, "1000")), Block("CELLA", G(0, "LINE") + G(8, "M1"))),
       "INSERT of CELLA Asks for 1001000 References"},
      {"group code not a number", Dxf(G(0, "LINE") + "8x\nM1\n"), "Group Code Expected at Line "},
      {"line too long", Dxf(G(0, "LINE") + G(1, std::string(1100, 'x'))), "Line "},
  };
  for (const Case& c : cases) {
    DxfRun run;
    ASSERT_EQ(run.Go(c.dxf), 0) << c.name;
    EXPECT_TRUE(SaidStart(*run.host, c.message)) << c.name;
    EXPECT_TRUE(Said(*run.host, "Aborted ... Files may be Incomplete")) << c.name;
    EXPECT_FALSE(ReadCell("TOP").exists) << c.name;
  }
}

TEST(DxfInRun, GroupReaderTolerance) {
  // Blanks around codes and keywords, and mixed line ends, read alike;
  // text values keep their blanks.
  DxfRun run;
  std::string dxf = Dxf(std::string("  0\r\nLINE  \n  8\nM1 \r\n 10\n 1.5 \n 20\n2\n 11\n3\n 21\n4\n") +
                        "0\nTEXT\n8\nM1\n1\n  spaced  \r\n");
  ASSERT_EQ(run.Go(dxf), 1);
  EXPECT_EQ(ReadCell("TOP").recs, (std::vector<std::string>{"P 1 0 2 2 2 3 4", "T 1 15 3 0 0 0   spaced"}));
}

TEST(DxfInRun, LayerRecordAndTld) {
  DxfRun run;
  run.Set(DI_LYR, "Y");
  WriteText("IN.dxf", Dxf(G(0, "LINE") + G(8, "Metal one wide") + G(11, 1), "", 2.5, {"Metal one wide", "unused"}));
  DxfInSetupApply(run.st, 0);
  ASSERT_EQ(DxfInLayerScan(run.st), 2);
  snprintf(run.st->lnam[0], DXFIN_VALLEN, "7");
  DxfInLayersTake(run.st);
  ASSERT_EQ(DxfInGo(run.st), 1);
  Cell c = ReadCell("TOP");
  EXPECT_EQ(c.layers, " 1 Metal_on 7");
  EXPECT_EQ(ReadOut("layers_IN.tld"), "<L>\n2\nMetal_on 7\nunused 0\n</L>\n</TLC>\n");
}

TEST(DxfInRun, PreviousCellsKeptAfterSetup) {
  DxfRun run;
  std::string dxf = Dxf(Insert("CELLA", 0, 0), Block("CELLA", G(0, "LINE") + G(8, "M1") + G(11, 1)));
  ASSERT_EQ(run.Go(dxf), 1);
  WriteText("Out/Cella.tlc", "=H\nCELLA\n7.0.91\n7.0.91\n1\num\n01/01/01\n00:00:00\n5 0 0 1 1\n0 0 0 0\n");
  // SETUP's OK: the next Go keeps the cell file found, and its old-form
  // rank lifts the entry and the main cell above it.
  DxfInSetupApply(run.st, 1);
  ASSERT_EQ(DxfInGo(run.st), 1);
  EXPECT_EQ(ReadOut("CELLA.tlc").rfind("=H\nCELLA", 0), 0u);
  EXPECT_EQ(ReadCell("TOP").rank, 6);
  EXPECT_EQ(run.st->writeAll, 1);
  // A Go after that writes every block again.
  ASSERT_EQ(DxfInGo(run.st), 1);
  EXPECT_EQ(ReadCell("CELLA").recs, std::vector<std::string>{"P 1 0 2 0 0 1 0"});
}

TEST(DxfInRun, WriteFailureNeverCompletes) {
  MountedFolder fs(64);
  if (!fs.mounted) GTEST_SKIP() << fs.reason;
  DxfRun run;
  std::string out = fs.path + "/";
  run.Set(DI_TPH, out.c_str());
  run.Set(DI_TFN, (out + "TOP.tlc").c_str());
  std::vector<std::string> v;
  for (int i = 0; i < 1000; ++i) v.push_back(Vertex(i * 1000, i));
  std::string ents;
  for (int k = 0; k < 10; ++k) ents += Polyline(v, 3);
  ASSERT_EQ(run.Go(Dxf(ents)), 0);
  EXPECT_TRUE(SaidStart(*run.host, "Unable to Write "));
  EXPECT_TRUE(Said(*run.host, "Aborted ... Files may be Incomplete"));
}

}  // namespace
