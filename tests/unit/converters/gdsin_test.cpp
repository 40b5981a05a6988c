#include "gdsin.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <strings.h>
#include <string>
#include <vector>

#include "cnvreal8.h"
#include "convtest.h"
#include "gdsrec.h"
#include "host.h"
#include "host_record.h"
#include "satutil.h"
#include "small_fs.h"

namespace {

// A GDSII stream built record by record.
struct Gds {
  std::string b;
  void Rec(int rt, int dt, const std::string& data) {
    size_t n = data.size() + 4;
    b += (char)(n >> 8);
    b += (char)(n & 0xFF);
    b += (char)rt;
    b += (char)dt;
    b += data;
  }
  void Raw(int rl, int rt, int dt, const std::string& data) {
    b += (char)(rl >> 8);
    b += (char)(rl & 0xFF);
    b += (char)rt;
    b += (char)dt;
    b += data;
  }
  static std::string I2(std::vector<int> v) {
    std::string s;
    for (int x : v) {
      s += (char)((x >> 8) & 0xFF);
      s += (char)(x & 0xFF);
    }
    return s;
  }
  static std::string I4(std::vector<int32_t> v) {
    std::string s;
    for (int32_t x : v) {
      uint32_t u = (uint32_t)x;
      for (int k = 3; k >= 0; --k) s += (char)((u >> (8 * k)) & 0xFF);
    }
    return s;
  }
  static std::string R8(std::vector<double> v) {
    std::string s;
    for (double x : v) {
      unsigned char o[8];
      GdsReal8(x, 0, o);
      s.append((const char*)o, 8);
    }
    return s;
  }
  static std::string Str(const std::string& t) {
    std::string s = t;
    if (s.size() & 1) s += '\0';
    return s;
  }
  Gds& Lib(double user = 0.001, double metres = 1e-9) {
    Rec(0x00, 2, I2({600}));
    Rec(0x01, 2, I2({126, 1, 2, 3, 4, 5, 126, 1, 2, 3, 4, 5}));
    Rec(0x02, 6, Str("LIB"));
    Rec(0x03, 5, R8({user, metres}));
    return *this;
  }
  Gds& Begin(const std::string& name) {
    Rec(0x05, 2, I2({126, 1, 2, 3, 4, 5, 126, 1, 2, 3, 4, 5}));
    Rec(0x06, 6, Str(name));
    return *this;
  }
  Gds& End() {
    Rec(0x07, 0, "");
    return *this;
  }
  Gds& EndLib() {
    Rec(0x04, 0, "");
    return *this;
  }
  Gds& Boundary(int layer, int dt, std::vector<int32_t> xy) {
    Rec(0x08, 0, "");
    Rec(0x0D, 2, I2({layer}));
    Rec(0x0E, 2, I2({dt}));
    Rec(0x10, 3, I4(xy));
    Rec(0x11, 0, "");
    return *this;
  }
  Gds& Path(int layer, int width, int type, std::vector<int32_t> xy, int bext = 0, int eext = 0) {
    Rec(0x09, 0, "");
    Rec(0x0D, 2, I2({layer}));
    Rec(0x0E, 2, I2({0}));
    Rec(0x21, 2, I2({type}));
    Rec(0x0F, 3, I4({width}));
    if (type == 4) {
      Rec(0x30, 3, I4({bext}));
      Rec(0x31, 3, I4({eext}));
    }
    Rec(0x10, 3, I4(xy));
    Rec(0x11, 0, "");
    return *this;
  }
  Gds& Sref(const std::string& name, int32_t x, int32_t y, int strans = 0, double angle = 0, double mag = 1) {
    Rec(0x0A, 0, "");
    Rec(0x12, 6, Str(name));
    Rec(0x1A, 1, I2({strans}));
    if (mag != 1) Rec(0x1B, 5, R8({mag}));
    if (angle != 0) Rec(0x1C, 5, R8({angle}));
    Rec(0x10, 3, I4({x, y}));
    Rec(0x11, 0, "");
    return *this;
  }
  Gds& Aref(const std::string& name, int cols, int rows, std::vector<int32_t> xy) {
    Rec(0x0B, 0, "");
    Rec(0x12, 6, Str(name));
    Rec(0x13, 2, I2({cols, rows}));
    Rec(0x10, 3, I4(xy));
    Rec(0x11, 0, "");
    return *this;
  }
  Gds& Text(int layer, int presentation, double mag, int32_t x, int32_t y, const std::string& s) {
    Rec(0x0C, 0, "");
    Rec(0x0D, 2, I2({layer}));
    Rec(0x16, 2, I2({0}));
    Rec(0x17, 1, I2({presentation}));
    if (mag != 1) Rec(0x1B, 5, R8({mag}));
    Rec(0x10, 3, I4({x, y}));
    Rec(0x19, 6, Str(s));
    Rec(0x11, 0, "");
    return *this;
  }
};

using InState = OwnState<GdsInState, GdsInReset>;

struct InRun {
  InState state;
  GdsInState* st = state.st;
  WorkDir dir;
  HostRecord* host;
  int closing = -1;
  char closingText[600] = "";
  InRun() {
    host = &HostRecordInstall();
    st->fixedNow = 1;
    st->now.tm_year = 126;
    st->now.tm_mon = 0;
    st->now.tm_mday = 2;
    snprintf(st->val[IK_CFN], GDSIN_VALLEN, "top.gds");
    snprintf(st->val[IK_CBB], GDSIN_VALLEN, "Y");
    snprintf(st->val[IK_CTX], GDSIN_VALLEN, "Y");
    WriteText("Top.ldm", "*LDM built from top.gds\n*gdslayer,datatype,tlclayer\n");
  }
  ~InRun() {
    GdsInReset(st);
    HostRecordRemove();
  }
  int Go(const Gds& g) {
    WriteText("top.gds", g.b);
    int ok = GdsInConvert(st);
    if (!ok && getenv("GDSIN_TEST_VERBOSE"))
      for (const auto& m : host->messages) fprintf(stderr, "message: %s\n", m.text.c_str());
    // The closing ends the log.
    closing = GdsInClosing(st, ok, closingText, sizeof closingText);
    return ok;
  }
  // Cell files are named as the tidied path gives them.
  std::string Cell(const std::string& name) {
    std::string p = PathFix((".\\Top_files\\" + name + ".tlc").c_str());
    FILE* f = SatOpen(p.c_str(), "rb");
    if (!f) return "";
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    fclose(f);
    return out;
  }
  std::string Log() { return ReadText(dir.path + "/Top_files/GdsIn.log"); }
  bool Said(const std::string& s) const {
    for (const auto& m : host->messages)
      if (m.text.find(s) != std::string::npos) return true;
    return false;
  }
};

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
  return n;
}

std::vector<int32_t> Rect(int32_t l, int32_t b, int32_t r, int32_t t) { return {l, b, r, b, r, t, l, t, l, b}; }

// ---- record table and values ------------------------------------------------

TEST(GdsInRecords, LengthAndDataTypeOfEachRecord) {
  struct Case {
    int rt, rl, dt;
    int want;  // 0 accepted, 1 length refused, 2 data type refused
  } cases[] = {
      {0x00, 6, 2, 0},    {0x00, 8, 2, 1},   {0x00, 6, 3, 2},  {0x01, 28, 2, 0}, {0x01, 26, 2, 1},
      {0x02, 10, 6, 0},   {0x02, 9, 6, 1},   {0x02, 2, 6, 1},  {0x03, 20, 5, 0}, {0x03, 20, 3, 2},
      {0x04, 4, 0, 0},    {0x04, 6, 3, 0},   {0x05, 28, 2, 0}, {0x06, 4, 6, 0},  {0x07, 4, 0, 0},
      {0x07, 6, 0, 1},    {0x08, 4, 0, 0},   {0x09, 4, 0, 0},  {0x0A, 4, 0, 0},  {0x0B, 4, 0, 0},
      {0x0C, 4, 0, 0},    {0x0D, 6, 2, 0},   {0x0D, 6, 3, 2},  {0x0E, 6, 2, 0},  {0x0F, 8, 3, 0},
      {0x0F, 6, 3, 1},    {0x10, 44, 3, 0},  {0x10, 4, 3, 0},  {0x10, 10, 3, 1}, {0x10, 44, 2, 2},
      {0x11, 4, 0, 0},    {0x12, 6, 6, 0},   {0x13, 8, 2, 0},  {0x15, 4, 0, 0},  {0x16, 6, 2, 0},
      {0x17, 6, 1, 0},    {0x17, 6, 2, 2},   {0x19, 12, 6, 0}, {0x1A, 6, 1, 0},  {0x1B, 12, 5, 0},
      {0x1C, 12, 5, 0},   {0x1C, 8, 5, 1},   {0x1F, 48, 6, 0}, {0x20, 48, 6, 0}, {0x21, 6, 2, 0},
      {0x21, 4, 2, 1},    {0x22, 6, 2, 0},   {0x23, 8, 6, 0},  {0x26, 6, 1, 0},  {0x2A, 6, 2, 0},
      {0x2B, 6, 2, 0},    {0x2C, 8, 6, 0},   {0x2D, 4, 0, 0},  {0x2E, 6, 2, 0},  {0x2F, 8, 3, 0},
      {0x30, 8, 3, 0},    {0x31, 8, 3, 0},   {0x37, 6, 6, 0},  {0x38, 4, 0, 0},  {0x39, 6, 2, 0},
      {0x3A, 6, 6, 0},    {0x3B, 6, 2, 0},   {0x18, 6, 2, 0},  {0x18, 7, 2, 1},  {0x3C, 2, 0, 1},
  };
  for (const Case& c : cases) {
    int what = -1;
    int ok = GdsRecordCheck(c.rl, c.rt, c.dt, &what);
    EXPECT_EQ(ok, c.want == 0) << std::hex << c.rt << " " << c.rl << " " << c.dt;
    EXPECT_EQ(what, c.want) << std::hex << c.rt << " " << c.rl << " " << c.dt;
  }
  EXPECT_STREQ(GdsRecordRuleOf(0x2D)->name, "BOX");
  EXPECT_EQ(GdsRecordRuleOf(0x18)->name, nullptr);  // SPACING: skipped as unknown
}

TEST(GdsInRecords, EightByteReals) {
  struct Case {
    unsigned char b[8];
    double want;
  } cases[] = {
      {{0x41, 0x10, 0, 0, 0, 0, 0, 0}, 1.0},
      {{0xC1, 0x10, 0, 0, 0, 0, 0, 0}, -1.0},
      {{0x3E, 0x41, 0x89, 0x37, 0x4B, 0xC6, 0xA7, 0xF0}, 0.001},
      {{0, 0, 0, 0, 0, 0, 0, 0}, 0.0},
      {{0x42, 0x5A, 0, 0, 0, 0, 0, 0}, 90.0},
      // The exponent is held to 16^30.
      {{0x7F, 0x10, 0, 0, 0, 0, 0, 0}, std::pow(16.0, 29)},
      {{0x01, 0x10, 0, 0, 0, 0, 0, 0}, std::pow(16.0, -31)},
  };
  for (const Case& c : cases) EXPECT_NEAR(GdsReal8Read(c.b), c.want, std::fabs(c.want) * 1e-15) << c.want;
  // Whatever the writer encodes reads back to within its 56-bit mantissa.
  for (double v : {1e-9, 1e-3, 0.5, 2.0, 90.0, 180.0, 270.0, 1000.0, -0.0254, 3.14159265358979, 1e-6, 2.54e-8}) {
    unsigned char o[8];
    GdsReal8(v, 0, o);
    EXPECT_NEAR(GdsReal8Read(o), v, std::fabs(v) * 1e-15) << v;
  }
}

TEST(GdsInRecords, ResolutionDivisor) {
  InState own;
  GdsInState* st = own.st;
  HostRecordInstall();
  GdsInReset(st);
  st->tlcScale = 1000;
  ASSERT_TRUE(GdsUnitsSet(st, 0.001, 1e-9, 1));
  EXPECT_EQ(st->cap, 1000);  // G below 100000 caps the divisor
  struct Step {
    int32_t v;
    int64_t div, minDiv;
  } steps[] = {{0, 100000, 100000}, {5000, 1000, 1000}, {-250, 250, 250}, {100, 50, 50}, {7, 1, 1}, {9000, 1, 1}};
  st->div = st->minDiv = 100000;
  for (const Step& s : steps) {
    GdsDivisorAdd(st, s.v);
    EXPECT_EQ(st->div, s.div) << s.v;
    EXPECT_EQ(st->minDiv, s.minDiv) << s.v;
  }
  GdsInReset(st);
  st->tlcScale = 1;
  ASSERT_TRUE(GdsUnitsSet(st, 1.0, 1e-6, 1));
  int clamped = 0;
  EXPECT_EQ(GdsCoord(st, 600000000, &clamped), 536870912);
  EXPECT_EQ(clamped, 1);
  clamped = 0;
  EXPECT_EQ(GdsCoord(st, -600000000, &clamped), -536870912);
  st->f = 0.5;
  EXPECT_EQ(GdsCoord(st, 3, nullptr), 2);  // halves away from zero
  EXPECT_EQ(GdsCoord(st, -3, nullptr), -2);
  HostRecordRemove();
}

TEST(GdsInRecords, UnitsThatCantBeUsedStop) {
  InState own;
  GdsInState* st = own.st;
  HostRecord& h = HostRecordInstall();
  for (double user : {0.0, -0.001}) {
    GdsInReset(st);
    EXPECT_FALSE(GdsUnitsSet(st, user, 1e-9, 1));
    EXPECT_EQ(st->abort, 1);
    ASSERT_FALSE(h.messages.empty());
    EXPECT_EQ(h.messages.back().text, "GDS Units are Incorrect ... Can't Continue");
  }
  // A database unit larger than the user unit keeps a divisor of at least 1.
  GdsInReset(st);
  EXPECT_TRUE(GdsUnitsSet(st, 10.0, 1e-5, 0));
  EXPECT_EQ(st->cap, 1);
  struct Unit {
    double metres;
    const char* name;
  } units[] = {{1e-9, "um"}, {1e-12, "nm"}, {2.54e-8, "mil"}};
  for (const Unit& u : units) {
    GdsInReset(st);
    ASSERT_TRUE(GdsUnitsSet(st, 0.001, u.metres, 1));
    EXPECT_STREQ(st->unit, u.name);
  }
  HostRecordRemove();
}

// ---- hierarchy and names ---------------------------------------------------------

TEST(GdsInHierarchy, RanksOfStructuresListedTopDown) {
  InRun r;
  GdsInState* st = r.st;
  Gds g;
  g.Lib();
  g.Begin("TOP").Sref("MID", 0, 0).End();
  g.Begin("MID").Sref("LEAF", 0, 0).End();
  g.Begin("LEAF").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.Begin("OTHER").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  ASSERT_EQ(st->nSt, 4);
  const char* names[] = {"TOP", "MID", "LEAF", "OTHER"};
  int ranks[] = {3, 2, 1, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(st->structs[i + 1].name, names[i]);
    EXPECT_EQ(st->structs[i + 1].rank, ranks[i]) << names[i];
  }
  EXPECT_EQ(st->pass, 4);  // top-down order needs one pass per level, then one without change
  EXPECT_NE(r.Cell("TOP").find("3 0 0 100 100"), std::string::npos);
  // Bottom-up, the same ranks come in fewer passes.
  InRun r2;
  st = r2.st;
  Gds u;
  u.Lib();
  u.Begin("LEAF").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  u.Begin("MID").Sref("LEAF", 0, 0).End();
  u.Begin("TOP").Sref("MID", 0, 0).End();
  u.EndLib();
  ASSERT_TRUE(r2.Go(u));
  EXPECT_EQ(st->structs[3].rank, 3);
  EXPECT_EQ(st->pass, 3);
}

TEST(GdsInHierarchy, RecursiveStructuresStopAtTheHighestRank) {
  InRun r;
  GdsInState* st = r.st;
  Gds g;
  g.Lib();
  g.Begin("MID").Sref("LEAF", 0, 0).End();
  g.Begin("LEAF").Sref("MID", 0, 0).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_EQ(st->structs[1].rank, 24);
  EXPECT_EQ(st->structs[2].rank, 24);
  EXPECT_LE(st->pass, 25);
  EXPECT_TRUE(r.Said("Maximum Rank of 24 has been reached in"));
}

TEST(GdsInHierarchy, NamesThatDifferOnlyInCase) {
  InRun r;
  GdsInState* st = r.st;
  static std::vector<std::string> asked;
  asked.clear();
  st->newName = [](const char* structName, char* tried) {
    asked.push_back(std::string(structName) + "|" + tried);
    snprintf(tried, 33, "%s_2", structName);
    for (char* p = tried; *p; ++p)
      if (*p == ' ') *p = '_';
    return 1;
  };
  Gds g;
  g.Lib();
  g.Begin("abc").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.Begin("ABC").Boundary(1, 0, Rect(0, 0, 20, 20)).End();
  g.Begin("my cell").Sref("abc", 0, 0).Sref("ABC", 5, 5).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_TRUE(r.Said("abc <- ? -> ABC\n\nMore than one Structure with the same uppercase name has been found"));
  ASSERT_EQ(asked.size(), 2u);
  EXPECT_EQ(asked[0], "ABC|ABC");
  EXPECT_EQ(asked[1], "my cell|MY CELL");  // the suggestion is the name in capitals
  EXPECT_STREQ(st->structs[1].cell, "ABC");
  EXPECT_STREQ(st->structs[2].cell, "ABC_2");
  EXPECT_STREQ(st->structs[3].cell, "MY_CELL_2");
  std::string top = r.Cell("MY_CELL_2");
  EXPECT_NE(top.find("<C>\nABC\n0 0 0 0\n</C>"), std::string::npos);
  EXPECT_NE(top.find("<C>\nABC_2\n0 5 5 0\n</C>"), std::string::npos);
}

// Names alike in their first 32 characters are still two structures: the
// second cut name clashes and is asked for, and its references follow it.
TEST(GdsInHierarchy, LongNamesAlikeInTheirFirst32Characters) {
  InRun r;
  GdsInState* st = r.st;
  static std::vector<std::string> asked;
  asked.clear();
  st->newName = [](const char* structName, char* tried) {
    asked.push_back(structName);
    snprintf(tried, 33, "%.30s_2", structName);
    return 1;
  };
  const std::string stem(32, 'L');
  Gds g;
  g.Lib();
  g.Begin(stem + "_ONE").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.Begin(stem + "_TWO").Boundary(1, 0, Rect(0, 0, 20, 20)).End();
  g.Begin("TOP").Sref(stem + "_ONE", 0, 0).Sref(stem + "_TWO", 5, 5).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  ASSERT_EQ(st->nSt, 3);
  EXPECT_EQ(asked, std::vector<std::string>{stem + "_TWO"});
  EXPECT_EQ(st->structs[1].cell, stem);
  EXPECT_EQ(st->structs[2].cell, std::string(30, 'L') + "_2");
  EXPECT_EQ(r.Log().find("Defined Again"), std::string::npos);
  EXPECT_NE(r.Cell(stem).find("<B>\n1 0 0 10 10\n</B>"), std::string::npos);
  EXPECT_NE(r.Cell(std::string(30, 'L') + "_2").find("<B>\n1 0 0 20 20\n</B>"), std::string::npos);
  std::string top = r.Cell("TOP");
  EXPECT_NE(top.find("<C>\n" + stem + "\n0 0 0 0\n</C>"), std::string::npos) << top;
  EXPECT_NE(top.find("<C>\n" + std::string(30, 'L') + "_2\n0 5 5 0\n</C>"), std::string::npos) << top;
}

TEST(GdsInHierarchy, NameCheck) {
  InState own;
  GdsInState* st = own.st;
  HostRecordInstall();
  GdsInReset(st);
  struct Case {
    std::string name;
    int bad;
  } cases[] = {
      {"", 1},          {std::string(32, 'A'), 0}, {std::string(33, 'A'), 1}, {"a b", 1},  {"x.y", 1},
      {"p(1)", 1},      {"50%", 1},                {"CON", 1},                 {"con", 1}, {"ok_name-2", 0},
      {"\x80" "abc", 1}, {"tab\there", 1},         {"Loadbkup", 1},            {"B", 1},   {"LPT1", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(GdsNameBad(st, c.name.c_str()), c.bad) << c.name;
  HostRecordRemove();
}

TEST(GdsInHierarchy, AbortedNewNameEndsTheRun) {
  InRun r;
  GdsInState* st = r.st;
  Gds g;
  g.Lib();
  g.Begin("bad.name").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.EndLib();
  EXPECT_FALSE(r.Go(g));  // no dialog to ask: the run is aborted
  EXPECT_STREQ(st->structs[1].cell, "NONAME");
}

TEST(GdsInHierarchy, OmittedStructureBecomesMarker) {
  InRun r;
  GdsInState* st = r.st;
  snprintf(st->omit[3], GDSIN_VALLEN, "SKIP");
  snprintf(st->val[IK_MCL], GDSIN_VALLEN, "7");
  Gds g;
  g.Lib();
  g.Begin("TOP").Sref("SKIP", 100, 200).End();
  g.Begin("SKIP").Boundary(1, 0, Rect(0, 0, 10, 10)).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_EQ(st->nSt, 1);
  EXPECT_EQ(st->structs[1].rank, 1);
  EXPECT_NE(r.Cell("TOP").find("<T>\n7 1000 2 0\n100 200\n<![CDATA[<<SKIP>>]]>\n</T>"), std::string::npos);
  EXPECT_NE(r.Log().find("Structure SKIP is Missing ... Text Marker Added"), std::string::npos);
  EXPECT_EQ(r.Cell("SKIP"), "");
}

// ---- elements ---------------------------------------------------------------------

TEST(GdsInElements, RectanglesBecomeBoxesInEveryWinding) {
  InRun r;
  Gds g;
  g.Lib();
  g.Begin("TOP");
  g.Boundary(1, 0, {0, 0, 10, 0, 10, 20, 0, 20, 0, 0});    // counter-clockwise, horizontal first
  g.Boundary(1, 0, {0, 0, 0, 20, 10, 20, 10, 0, 0, 0});    // clockwise, vertical first
  g.Boundary(1, 0, {10, 20, 0, 20, 0, 0, 10, 0, 10, 20});  // starting at the top right
  g.Boundary(1, 0, {0, 0, 10, 0, 10, 20, 0, 10, 0, 0});    // not a rectangle
  g.Path(2, 10, 0, {0, 0, 10, 0, 10, 20, 0, 20, 0, 0});    // a path stays a path
  g.Rec(0x2D, 0, "");                                      // a BOX element
  g.Rec(0x0D, 2, Gds::I2({1}));
  g.Rec(0x2E, 2, Gds::I2({0}));
  g.Rec(0x10, 3, Gds::I4({0, 0, 10, 0, 10, 20, 0, 20, 0, 0}));
  g.Rec(0x11, 0, "");
  g.End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string c = r.Cell("TOP");
  EXPECT_EQ(Count(c, "<B>\n1 0 0 10 20\n</B>"), 4);
  EXPECT_EQ(Count(c, "<P>\n1 0 5\n"), 1);
  EXPECT_EQ(Count(c, "<P>\n2 10 5\n"), 1);
  EXPECT_NE(c.find("1 0 0 100 100\n4 2 10 0\n</H>"), std::string::npos) << c;  // rank, outline, counts
}

TEST(GdsInElements, PathTypesAndWidths) {
  InRun r;
  GdsInState* st = r.st;
  snprintf(st->val[IK_LSU], GDSIN_VALLEN, "2000");  // f = 2
  Gds g;
  g.Lib();
  g.Begin("TOP");
  g.Path(1, 10, 0, {0, 0, 100, 0});
  g.Path(1, 10, 2, {0, 0, 100, 0});
  g.Path(1, -500, 0, {0, 0, 100, 0});  // absolute width
  g.Path(1, 10, 1, {0, 0, 100, 0});
  g.Path(1, 10, 4, {0, 0, 100, 0}, 3, 7);
  g.Path(1, 10, 4, {0, 0, 0, 100}, -2, 0);
  g.Path(1, 10, 9, {0, 0, 100, 0});
  g.End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string c = r.Cell("TOP");
  EXPECT_NE(c.find("<P>\n1 20 2\n0 0 200 0 \n</P>\n<P>\n1 -20 2\n0 0 200 0 \n</P>\n<P>\n1 1000 2\n"),
            std::string::npos)
      << c;
  EXPECT_NE(c.find("<P>\n1 -20 2\n0 0 200 0 \n</P>\n<P>\n1 20 2\n-6 0 214 0"), std::string::npos) << c;
  // Custom ends: the extensions become the ends of a flush path.
  EXPECT_NE(c.find("<P>\n1 20 2\n0 4 0 200"), std::string::npos) << c;
  std::string log = r.Log();
  EXPECT_NE(log.find("Round Path End Type ...\n\nChanged to Extended in TOP"), std::string::npos);
  EXPECT_NE(log.find("Custom Path End Type ...\n\nChanged to Extended in TOP"), std::string::npos);
  EXPECT_NE(log.find("Illegal Path End Type= 9 in TOP"), std::string::npos);
}

TEST(GdsInElements, ReferencesInAllOrientationsAndArrays) {
  InRun r;
  Gds g;
  g.Lib();
  g.Begin("TOP");
  for (int o = 0; o < 8; ++o) g.Sref("SUB", o * 100, 0, o >= 4 ? 0x8000 : 0, 90.0 * (o & 3));
  g.Sref("SUB", 0, 0, 0, -90);  // a negative angle turns the other way round
  g.Aref("SUB", 3, 2, {0, 0, 300, 30, 0, 200});
  g.End();
  g.Begin("SUB").Boundary(1, 0, Rect(0, 0, 10, 10)).End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string c = r.Cell("TOP");
  for (int o = 0; o < 8; ++o) {
    char want[64];
    snprintf(want, sizeof want, "<C>\nSUB\n%d %d 0 0\n</C>", o, o * 100);
    EXPECT_NE(c.find(want), std::string::npos) << o;
  }
  EXPECT_NE(c.find("<C>\nSUB\n3 0 0 0\n</C>"), std::string::npos);
  EXPECT_EQ(Count(c, "<C>"), 15);
  const int pos[6][2] = {{0, 0}, {0, 100}, {100, 10}, {100, 110}, {200, 20}, {200, 120}};
  for (auto& p : pos) {
    char want[64];
    snprintf(want, sizeof want, "<C>\nSUB\n0 %d %d 0\n</C>", p[0], p[1]);
    EXPECT_NE(c.find(want), std::string::npos) << p[0] << "," << p[1];
  }
  EXPECT_NE(r.Log().find("Array Structure Found in GDS, 3 x 2 Stepping of SUB Substituted"), std::string::npos);
}

TEST(GdsInElements, TextsWithPresentationAndMagnification) {
  InRun r;
  GdsInState* st = r.st;
  // Row 1 (font 1): 0.1 um, magnification and justification applied.
  const char* row1[] = {"0.1", "1", "-", "Y", "N", "Y"};
  for (int c = 0; c < 6; ++c) snprintf(st->font[6 + c], GDSIN_VALLEN, "%s", row1[c]);
  snprintf(st->font[0], GDSIN_VALLEN, "0.007");
  Gds g;
  g.Lib();
  g.Begin("TOP");
  g.Text(5, 0x10 | 0x08, 1, 0, 0, "BOTTOM");         // font 1, bottom: h = 100 -> 105
  g.Text(5, 0x10 | 0x00, 1, 0, 1000, "TOP");         // top: moves down by h
  g.Text(5, 0x10 | 0x04, 2, 0, 2000, "MID");         // middle, magnification 2: 200 -> 195
  g.Text(6, 0x00, 1, 0, 3000, "SMALL");              // font 0: 7 -> 15
  g.Text(6, 0x10 | 0x08, 1, 0, 4000, "A\nB");        // two lines
  g.Text(300, 0x00, 1, 0, 0, "FAR");                 // no such TLC layer
  g.End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string c = r.Cell("TOP");
  EXPECT_NE(c.find("<T>\n5 105 2 0\n0 0\n<![CDATA[BOTTOM]]>"), std::string::npos) << c;
  EXPECT_NE(c.find("<T>\n5 105 2 0\n0 895\n<![CDATA[TOP]]>"), std::string::npos) << c;
  EXPECT_NE(c.find("<T>\n5 195 2 0\n0 1903\n<![CDATA[MID]]>"), std::string::npos) << c;
  EXPECT_NE(c.find("<T>\n6 15 2 0\n0 3000\n<![CDATA[SMALL]]>"), std::string::npos) << c;
  EXPECT_NE(c.find("<T>\n6 105 2 0\n0 4000\n<![CDATA[A]]>"), std::string::npos) << c;
  EXPECT_NE(c.find("<T>\n6 105 2 0\n0 3888\n<![CDATA[B]]>"), std::string::npos) << c;
  EXPECT_EQ(c.find("FAR"), std::string::npos);
  EXPECT_NE(r.Log().find("Text Layer 300 is out of Range 1-256 ... Text Dropped in TOP"), std::string::npos);
}

TEST(GdsInElements, LayersRecordGrowsOverTheCells) {
  InRun r;
  WriteText("Top.ldm", "*LDM\n1,0,11\n2,0,12\n300,0,13\n300,7,14\n");
  Gds g;
  g.Lib();
  g.Begin("C1").Boundary(2, 0, Rect(0, 0, 10, 10)).End();
  g.Begin("C2").Boundary(1, 0, Rect(0, 0, 10, 10)).Boundary(300, 0, Rect(0, 0, 1, 1)).End();
  g.Begin("C3").Boundary(300, 7, Rect(0, 0, 1, 1)).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_NE(r.Cell("C1").find("<L>\n1\nGDS12 12\n</L>"), std::string::npos);
  EXPECT_NE(r.Cell("C2").find("<L>\n3\nGDS12 12\nGDS11 11\nGDS13 13\n</L>"), std::string::npos);
  // Layer numbers are not cut to nine bits, nor datatypes to six.
  EXPECT_NE(r.Cell("C3").find("<B>\n14 0 0 1 1\n</B>"), std::string::npos);
}

TEST(GdsInElements, MissingLayersAskAndGrowTheMap) {
  InRun r;
  GdsInState* st = r.st;
  static int asks;
  asks = 0;
  st->ldmAsk = [](int gds, int dt, int* tlc) -> int {
    ++asks;
    *tlc = gds * 10 + dt;
    return HOST_IDYES;
  };
  Gds g;
  g.Lib();
  g.Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5)).Boundary(1, 3, Rect(0, 0, 5, 5)).Boundary(1, 0, Rect(0, 0, 6, 6));
  g.End().EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_EQ(asks, 2);
  EXPECT_EQ(r.closing, GI_ADDED);
  EXPECT_STREQ(r.closingText, "Layers have been Added to the LDM File Top.ldm.\n\nRun GdsIn Again");
  EXPECT_EQ(ReadText("Top.ldm"), "*LDM built from Top.gds\n*gdslayer,datatype,tlclayer\n1,0,10\n1,3,13\n");
}

TEST(GdsInElements, LayerMapFiles) {
  struct Case {
    const char* map;  // null: no file
    int answer;       // to the question whether to create it
    bool ok;
  } cases[] = {
      {"*LDM\n1,0,5\n", HOST_IDYES, true},
      {"*LDM\n1 0 5\n; comment\n", HOST_IDYES, true},
      {"*LDM\n1,0\n", HOST_IDYES, false},      // two numbers only
      {"*LDM\n1,0,300\n", HOST_IDYES, false},  // no such TLC layer
      {"*LDM\n-1,0,5\n", HOST_IDYES, false},
      {"*LDM\n40000,65535,5\n", HOST_IDYES, true},  // a stream file's numbers are unsigned
      {"*LDM\n65536,0,5\n", HOST_IDYES, false},
      {nullptr, HOST_IDYES, true},
      {nullptr, HOST_IDNO, false},
  };
  for (const Case& c : cases) {
    InRun r;
    remove("Top.ldm");
    if (c.map) WriteText("Top.ldm", c.map);
    r.host->answers.push_back(c.answer);
    Gds g;
    g.Lib().Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5)).End().EndLib();
    EXPECT_EQ(r.Go(g) != 0, c.ok) << (c.map ? c.map : "none");
    if (!c.ok) {
      EXPECT_TRUE(r.Said("LDM File is Incorrect or Missing ... Can't Continue"));
    }
    if (!c.map) {
      EXPECT_TRUE(r.Said("LDM File Top.ldm will be Created ... OK?"));
    }
    if (!c.map && c.ok) {
      EXPECT_EQ(ReadText("Top.ldm"), "*LDM built from Top.gds\n*gdslayer,datatype,tlclayer\n");
    }
  }
}

// ---- bad input ---------------------------------------------------------------------

TEST(GdsInBadInput, BrokenRecordsStopWithTheirOffset) {
  struct Case {
    const char* what;
    std::string tail;
    const char* message;
  } cases[] = {
      {"short", std::string("\x00\x02\x08\x00", 4), "GDS Record Length is Wrong: RL=2  RT=8  DT=0"},
      {"odd", std::string("\x00\x07\x19\x06" "ABC", 7), "GDS Record Length is Wrong: RL=7  RT=19  DT=6"},
      {"xy", std::string("\x00\x0A\x10\x03" "ABCDEF", 10), "GDS Record Length is Wrong: RL=A  RT=10  DT=3"},
      {"type", std::string("\x00\x06\x0D\x03\x00\x01", 6), "GDS Data Type is Wrong: RL=6  RT=D  DT=3"},
      {"dt", std::string("\x00\x04\x08\x07", 4), "Data Type Error ... Can't Continue"},
      {"rt", std::string("\x00\x04\x50\x00", 4), "Too Many Nulls in GDS Header ... Can't Continue"},
      {"cut", std::string("\x00\x2C\x10\x03\x00\x00", 6), "GDS File Read Past End"},
      {"end", std::string(""), "GDS File Read Past End"},
  };
  for (const Case& c : cases) {
    InRun r;
    Gds g;
    g.Lib();
    g.Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5));
    size_t offset = g.b.size();
    g.b += c.tail;
    EXPECT_FALSE(r.Go(g)) << c.what;
    ASSERT_FALSE(r.host->messages.empty()) << c.what;
    EXPECT_EQ(r.host->messages.back().text.find(c.message), 0u) << c.what << ": " << r.host->messages.back().text;
    char where[64];
    snprintf(where, sizeof where, "Stopped at Record Offset %zu", offset);
    EXPECT_NE(r.Log().find(where), std::string::npos) << c.what << r.Log();
    // No cell claims to be complete.
    EXPECT_EQ(r.Cell("TOP"), "") << c.what;
  }
}

TEST(GdsInBadInput, LeadingNullsAndLongStrings) {
  InRun r;
  Gds g;
  g.b.assign(200, '\0');  // 100 zero words are allowed
  g.Lib();
  g.Begin("TOP");
  g.Text(1, 0, 1, 0, 0, std::string(1500, 'x'));  // longer than the buffer: the rest is skipped
  g.Boundary(1, 0, Rect(0, 0, 5, 5));
  g.End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string c = r.Cell("TOP");
  EXPECT_NE(c.find("<![CDATA[" + std::string(64, 'x') + "]]>"), std::string::npos);
  EXPECT_NE(c.find("<B>\n1 0 0 5 5\n</B>"), std::string::npos);
  InRun r2;
  Gds h;
  h.b.assign(202, '\0');
  h.Lib().EndLib();
  EXPECT_FALSE(r2.Go(h));
  EXPECT_TRUE(r2.Said("Too Many Nulls in GDS Header ... Can't Continue"));
}

// Twice the signed area of a closed ring of points.
int64_t Area2(const std::vector<int64_t>& xy) {
  int64_t a = 0;
  size_t n = xy.size() / 2;
  for (size_t i = 0; i < n; ++i) {
    size_t j = (i + 1) % n;
    a += xy[2 * i] * xy[2 * j + 1] - xy[2 * j] * xy[2 * i + 1];
  }
  return a;
}

// A boundary beyond the vertex limit keeps its whole area: it is split into
// closed polygons within the limit, and the log names it.
TEST(GdsInBadInput, BoundaryOverTheVertexLimitIsSplit) {
  struct Case {
    int teeth;  // a comb: its base, then teeth of 4 vertices each
    bool split;
  } cases[] = {{255, false}, {400, true}, {1800, true}};
  for (const Case& c : cases) {
    InRun r;
    std::vector<int32_t> xy = {0, 0, 20 * c.teeth, 0};
    for (int i = c.teeth - 1; i >= 0; --i) {
      int32_t x = 20 * i;
      xy.insert(xy.end(), {x + 20, 100, x + 10, 100, x + 10, 200, x, 200});
    }
    xy.insert(xy.end(), {0, 0});
    int nIn = (int)xy.size() / 2;
    Gds g;
    g.Lib().Begin("TOP").Boundary(1, 0, xy).End().EndLib();
    ASSERT_TRUE(r.Go(g)) << c.teeth;
    // The <P> records of the cell: each closed, within the limit; their
    // areas add up to the comb's.
    std::string cell = r.Cell("TOP");
    int64_t total = 0;
    int pieces = 0;
    for (size_t p = cell.find("<P>\n"); p != std::string::npos; p = cell.find("<P>\n", p + 1)) {
      const char* q = cell.c_str() + p + 4;
      char* end;
      strtol(q, &end, 10);
      strtol(end, &end, 10);
      long nv = strtol(end, &end, 10);
      std::vector<int64_t> pts;
      for (long k = 0; k < 2 * nv; ++k) pts.push_back(strtoll(end, &end, 10));
      ASSERT_LE(nv, 1024) << c.teeth;
      ASSERT_GE(nv, 4) << c.teeth;
      EXPECT_EQ(pts[0], pts[2 * nv - 2]) << c.teeth;
      EXPECT_EQ(pts[1], pts[2 * nv - 1]) << c.teeth;
      int64_t a = Area2(pts);
      EXPECT_GT(a, 0) << c.teeth << " piece " << pieces;  // same winding as the comb
      total += a;
      ++pieces;
    }
    int64_t want = 2 * (20LL * c.teeth * 100 + 10LL * c.teeth * 100);
    EXPECT_EQ(total, want) << c.teeth;
    EXPECT_EQ(pieces > 1, c.split) << c.teeth;
    std::string note = "Boundary of " + std::to_string(nIn) + " Vertices Split into " + std::to_string(pieces) +
                       " Polygons in TOP";
    EXPECT_EQ(r.Log().find(note) != std::string::npos, c.split) << note;
  }
}

TEST(GdsInBadInput, StructureDefinedTwiceKeepsItsFirstCell) {
  InRun r;
  GdsInState* st = r.st;
  Gds g;
  g.Lib();
  g.Begin("TOP").Sref("SUB", 0, 0).End();
  g.Begin("SUB").Boundary(1, 0, Rect(0, 0, 5, 5)).End();
  g.Begin("SUB").Boundary(1, 0, Rect(0, 0, 7, 7)).Sref("TOP", 0, 0).End();
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  EXPECT_EQ(st->files, 2);
  EXPECT_EQ(st->structs[1].rank, 2);  // the second definition's reference does not count
  EXPECT_EQ(st->structs[2].rank, 1);
  std::string sub = r.Cell("SUB");
  EXPECT_NE(sub.find("<B>\n1 0 0 5 5\n</B>"), std::string::npos) << sub;
  EXPECT_EQ(sub.find("1 0 0 7 7"), std::string::npos) << sub;
  EXPECT_NE(r.Log().find("Structure SUB is Defined Again ... Second Definition Skipped"), std::string::npos);
}

TEST(GdsInBadInput, HugeArrayIsRefusedBeforeExpansion) {
  InRun r;
  Gds g;
  g.Lib();
  g.Begin("TOP").Aref("SUB", 65535, 65535, {0, 0, 65535, 0, 0, 65535}).End();
  g.Begin("SUB").Boundary(1, 0, Rect(0, 0, 1, 1)).End().EndLib();
  EXPECT_FALSE(r.Go(g));
  EXPECT_TRUE(r.Said("Array Structure of 65535 x 65535 in TOP exceeds the Drawing Limit ... Can't Continue"));
  EXPECT_EQ(r.Cell("TOP"), "");
}

TEST(GdsInBadInput, ChangesToTheGeometryAreLogged) {
  InRun r;
  GdsInState* st = r.st;
  snprintf(st->val[IK_LSU], GDSIN_VALLEN, "1");
  Gds g;
  g.Lib(1.0, 1e-6);
  g.Begin("TOP");
  g.Boundary(1, 0, {0, 0, 600000000, 0, 600000000, 5, 0, 0});
  g.Sref("SUB", 0, 0, 0, 45);
  g.Sref("SUB", 0, 0, 0x0004, 0, 2.0);
  g.Rec(0x08, 0, "");  // a boundary without points
  g.Rec(0x0D, 2, Gds::I2({1}));
  g.Rec(0x11, 0, "");
  g.End();
  g.Begin("SUB").Boundary(1, 0, Rect(0, 0, 1, 1)).End().EndLib();
  ASSERT_TRUE(r.Go(g));
  std::string log = r.Log();
  EXPECT_NE(log.find("Coordinates Held to the TLC Limit of 536870912 in TOP"), std::string::npos);
  EXPECT_NE(r.Cell("TOP").find("0 0 536870912 0 536870912 5 0 0"), std::string::npos);
  EXPECT_NE(log.find("Angle 45 is not a Multiple of 90 ... Ignored in TOP"), std::string::npos);
  EXPECT_NE(log.find("Magnification 2 Ignored in TOP"), std::string::npos);
  EXPECT_NE(log.find("Absolute Magnification or Angle Flag Ignored in TOP"), std::string::npos);
  EXPECT_NE(log.find("Boundary without Points Dropped in TOP"), std::string::npos);
  EXPECT_EQ(Count(r.Cell("TOP"), "<P>"), 1);
}

TEST(GdsInBadInput, TextsOnLayersBeyondTheTlcRangeAreLogged) {
  struct Case {
    int layer;
    const char* note;  // empty: the text is kept
  } cases[] = {
      {256, ""},
      {257, "Text Layer 257 is out of Range 1-256 ... Text Dropped in TOP"},
      {1000, "Text Layer 1000 is out of Range 1-256 ... Text Dropped in TOP"},
      {32767, "Text Layer 32767 is out of Range 1-256 ... Text Dropped in TOP"},
  };
  for (const Case& c : cases) {
    InRun r;
    Gds g;
    g.Lib().Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5)).Text(c.layer, 0, 1, 10, 20, "LBL").End().EndLib();
    ASSERT_TRUE(r.Go(g)) << c.layer;
    bool kept = r.Cell("TOP").find("LBL") != std::string::npos;
    EXPECT_EQ(kept, c.note[0] == 0) << c.layer;
    if (c.note[0]) {
      EXPECT_NE(r.Log().find(c.note), std::string::npos) << c.layer << "\n" << r.Log();
    }
  }
}

// ---- the run -------------------------------------------------------------------------

TEST(GdsInRun, OutputFolderMustNotBeTheDrawingFolder) {
  InRun r;
  GdsInState* st = r.st;
  snprintf(st->val[IK_TPH], GDSIN_VALLEN, ".\\");
  Gds g;
  g.Lib().EndLib();
  EXPECT_FALSE(r.Go(g));
  ASSERT_FALSE(r.host->messages.empty());
  EXPECT_EQ(r.host->messages[0].text, "Cell Files will be Written to the Drawing Folder ... Can't Continue");
}

TEST(GdsInRun, OutputFolderThatCantBeWritten) {
  MountedFolder ro(64);
  if (!ro.mounted) GTEST_SKIP() << ro.reason;
  if (!ro.MakeReadOnly()) GTEST_SKIP() << "remount refused";
  InRun r;
  GdsInState* st = r.st;
  std::string out = ro.path + "/cells/";
  snprintf(st->val[IK_TPH], GDSIN_VALLEN, "%s", out.c_str());
  Gds g;
  g.Lib().Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5)).End().EndLib();
  EXPECT_FALSE(r.Go(g));
  // The folder name is shown as tidied, which may change its case.
  EXPECT_EQ(strcasecmp(st->outFolder, out.c_str()), 0) << st->outFolder;
  EXPECT_TRUE(r.Said("Folder " + std::string(st->outFolder) +
                     " can't be Created ... the Drawing Folder can't be Written"));
}

// A run that fails on a full disk leaves the cell files of the run before it
// as they were, and no scratch file; only the log tells of the failure.
TEST(GdsInRun, FailedRunKeepsTheEarlierCells) {
  MountedFolder fs(64);
  if (!fs.mounted) GTEST_SKIP() << fs.reason;
  std::string out = fs.path + "/cells/";
  std::map<std::string, std::string> first;
  {
    InRun r;
    snprintf(r.st->val[IK_TPH], GDSIN_VALLEN, "%s", out.c_str());
    Gds g;
    g.Lib();
    g.Begin("TOP").Boundary(3, 0, Rect(0, 0, 5, 5)).Sref("SUB", 1, 2).End();
    g.Begin("SUB").Boundary(2, 0, Rect(0, 0, 5, 5)).End();
    g.EndLib();
    ASSERT_TRUE(r.Go(g));
    for (const auto& e : std::filesystem::directory_iterator(out))
      if (e.path().extension() == ".tlc") first[e.path().filename().string()] = ReadText(e.path().string());
    ASSERT_EQ(first.size(), 2u);
  }
  InRun r;
  snprintf(r.st->val[IK_TPH], GDSIN_VALLEN, "%s", out.c_str());
  Gds g;
  g.Lib();
  g.Begin("TOP").Boundary(3, 0, Rect(0, 0, 6, 6)).Sref("SUB", 1, 2).End();
  g.Begin("SUB");
  for (int i = 0; i < 4000; ++i) g.Boundary(2, 0, {0, 0, 10 + i, 0, 10 + i, 7, 3, 9, 0, 0});  // some 160 KB of cell
  g.End();
  g.EndLib();
  EXPECT_FALSE(r.Go(g));
  EXPECT_STREQ(r.closingText, "Aborted ... Files may be Incomplete");
  std::map<std::string, std::string> now;
  for (const auto& e : std::filesystem::directory_iterator(out)) {
    std::string name = e.path().filename().string();
    if (name != "GdsIn.log") now[name] = ReadText(e.path().string());
  }
  auto sizes = [](const std::map<std::string, std::string>& m) {
    std::string out;
    for (const auto& e : m) out += e.first + " " + std::to_string(e.second.size()) + "; ";
    return out;
  };
  EXPECT_TRUE(now == first) << "now: " << sizes(now) << " before: " << sizes(first);
}

TEST(GdsInRun, FilesOfARun) {
  InRun r;
  GdsInState* st = r.st;
  snprintf(st->val[IK_MLF], GDSIN_VALLEN, "Y");
  snprintf(st->val[IK_NAM], GDSIN_VALLEN, "Y");
  snprintf(st->val[IK_WTX], GDSIN_VALLEN, "Y");
  Gds g;
  g.Lib();
  g.Begin("TOP").Boundary(3, 0, Rect(0, 0, 5, 5)).Sref("SUB", 1, 2).End();
  g.Begin("SUB").Boundary(2, 0, Rect(0, 0, 5, 5)).End();
  g.Rec(0x18, 2, Gds::I2({5}));  // SPACING: listed as unknown
  g.EndLib();
  ASSERT_TRUE(r.Go(g));
  ASSERT_EQ(r.closing, GI_DONE);
  EXPECT_EQ(std::string(r.closingText).find("Completed ...\n\n2 TLC Files have been created in the .\\Top_files\\ folder"), 0u);
  std::string out = r.dir.path + "/Top_files/";
  EXPECT_EQ(ReadText(out + "layers_Top.tld"), "<L>\n2\nGDS3 3\nGDS2 2\n</L>\n");
  std::string nam = ReadText(out + "Top.nam");
  EXPECT_EQ(nam.find("Structure Name to Cell Name/Rank List for Top.gds\n\nTOP"), 0u) << nam;
  std::string lst = ReadText(out + "GdsRead.txt");
  EXPECT_NE(lst.find("  06  18  02    ??? Unknown Record Type 18 ... Check a GDSII Format Reference\n"),
            std::string::npos);
  EXPECT_NE(lst.find("  08  06  06    STRNAME TOP[NUL]\n"), std::string::npos);
  EXPECT_NE(lst.find("  2C  10  03    XY       0       0\n                         5       0\n"), std::string::npos);
  std::string log = r.Log();
  EXPECT_EQ(log.find("*** GDS to TLC Conversion Log  7.0.91  01/02/26  00:00:00\n\n"), 0u);
  EXPECT_NE(log.find("TOP                               2     TOP"), std::string::npos);
  EXPECT_NE(log.find("\nMin Feature=0.001um\nScales: GDS=1000units/um  TLC=1000units/um\n"), std::string::npos);
}

TEST(GdsInRun, OldFormAndOmittedLayersRecord) {
  struct Case {
    const char* old;
    const char* omt;
    const char* want;
  } cases[] = {
      {"Y", "N", "=B\n1 0 0 5 5\n=H\nTOP\n"},
      {"Y", "Y", "=B\n1 0 0 5 5\n=H\nTOP\n"},
      {"N", "Y", "<?xml version=\"1.0\"?>\n<TLC>\n<B>\n1 0 0 5 5\n</B>\n<H>\nTOP\n"},
  };
  for (const Case& c : cases) {
    InRun r;
    GdsInState* st = r.st;
    snprintf(st->val[IK_OLD], GDSIN_VALLEN, "%s", c.old);
    snprintf(st->val[IK_OMT], GDSIN_VALLEN, "%s", c.omt);
    Gds g;
    g.Lib().Begin("TOP").Boundary(1, 0, Rect(0, 0, 5, 5)).End().EndLib();
    ASSERT_TRUE(r.Go(g));
    std::string cell = r.Cell("TOP");
    EXPECT_EQ(cell.find(c.want), 0u) << cell;
    bool layers = cell.find(c.old[0] == 'Y' ? "=L\n1\nGDS1 1\n" : "<L>") != std::string::npos;
    EXPECT_EQ(layers, c.omt[0] == 'N') << cell;
    EXPECT_EQ(cell.find("</TLC>") != std::string::npos, c.old[0] == 'N') << cell;
  }
}

TEST(GdsInRun, SetupCompletion) {
  InState own;
  GdsInState* st = own.st;
  HostRecordInstall();
  GdsInReset(st);
  snprintf(st->val[IK_CFN], GDSIN_VALLEN, "c:\\chips\\top.strm");
  snprintf(st->val[IK_LSU], GDSIN_VALLEN, "-0");
  snprintf(st->val[IK_LZL], GDSIN_VALLEN, "999");
  st->val[IK_MCL][0] = 0;
  snprintf(st->val[IK_CTX], GDSIN_VALLEN, "yes");
  GdsInSetupApply(st, 0);
  EXPECT_STREQ(st->val[IK_CFN], "C:\\Chips\\Top.gds");
  EXPECT_STREQ(st->val[IK_TPH], ".\\Top_files\\");
  EXPECT_STREQ(st->val[IK_LDF], "C:\\Chips\\Top.ldm");
  EXPECT_STREQ(st->val[IK_LSU], "1");
  EXPECT_STREQ(st->val[IK_LZL], "256");
  EXPECT_STREQ(st->val[IK_MCL], "1");
  EXPECT_STREQ(st->val[IK_CTX], "YES");
  EXPECT_EQ(st->ctx, 1);
  // Text rows: empty size is the row number, "-" matches nothing.
  st->tlcScale = 1000;
  snprintf(st->font[6 * 2 + 1], GDSIN_VALLEN, "-");
  snprintf(st->font[6 * 2 + 2], GDSIN_VALLEN, "999");
  snprintf(st->font[6 * 3 + 0], GDSIN_VALLEN, "-0.0001");
  GdsInTextApply(st);
  EXPECT_EQ(st->rows[0].size, 1000);
  EXPECT_EQ(st->rows[2].font, -1);
  EXPECT_EQ(st->rows[2].texttype, 256);
  EXPECT_EQ(st->rows[3].size, 1);
  EXPECT_STREQ(st->font[6 * 3], "0.001");
  GdsInReset(st);
  HostRecordRemove();
}

}  // namespace
