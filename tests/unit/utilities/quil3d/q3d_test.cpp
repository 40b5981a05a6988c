// The 3D view builder: settings, projection, levels, and whole runs in a
// drawing folder read back through the converters' TLC reader.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "host_record.h"
#include "q3d.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "satutil.h"
#include "temp_folder.h"

namespace {

const SatProgram* StackTestProgram(StackState& st) {
  static SatProgram p = {};
  p.displayName = "Quil3D";
  p.keys = StackKeys;
  p.defaults = StackDefaults;
  p.lists = StackLists(st);
  p.edition = &SatEditionPlain;
  return &p;
}

void Set(int slot, const char* v) { snprintf(UsfSlot(slot), SAT_SLOT_SIZE, "%s", v); }

std::unique_ptr<StackState> Fresh(const char* sfn, const std::vector<const char*>& layers, const char* z = "0",
                                  const char* x = "0", const char* stp = "10") {
  auto st = std::make_unique<StackState>();
  SatProgramSet(StackTestProgram(*st), st.get());
  SatSetup = SatSetupState();
  Set(STACK_SFN, sfn);
  Set(STACK_STP, stp);
  Set(STACK_AA1, z);
  Set(STACK_AA2, x);
  for (size_t k = 0; k < layers.size() && k < STACK_LAYERS; ++k)
    snprintf(st->layerText[k], SAT_SLOT_SIZE, "%s", layers[k]);
  StackSetupApply(*st, 0);
  return st;
}

std::string Header(const char* name, double scale = 1000) {
  char t[200];
  snprintf(t, sizeof t, "<H>\n%s\n7.0\n7.0\n%g\num\n01/01/26\n00:00:00\n3 0 0 100 100\n1 1 5 0\n</H>\n", name,
           scale);
  return t;
}

// The records of a written cell.
struct Poly {
  int32_t lyr, w;
  std::vector<int32_t> x, y;
};
struct Text {
  int32_t lyr, size, nv, o, x, y;
  std::string s;
};
struct Cell {
  bool there = false;
  CnvHdr hdr = {};
  std::vector<Poly> polys;
  std::vector<Text> texts;
  int boxes = 0;
};

Cell ReadBack(const char* name) {
  Cell c;
  auto in = std::make_unique<TlcIn>();
  memset(in.get(), 0, sizeof *in);
  if (!SatHostPathTo(in->path, sizeof in->path, name)) return c;
  TlcRewind(in.get());
  if (!in->open) return c;
  c.there = true;
  auto p = std::make_unique<CnvPath>();
  const char* line;
  while ((line = TlcNextLine(in.get())) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_HDR:
        EXPECT_EQ(ReadH(in.get(), &c.hdr), 1);
        break;
      case TLC_BOX:
        c.boxes++;
        break;
      case TLC_PATH: {
        EXPECT_EQ(ReadP(in.get(), p.get()), 1);
        Poly q{p->lyr, p->w, {}, {}};
        for (int i = 0; i < p->nv; ++i) {
          q.x.push_back(p->x[i]);
          q.y.push_back(p->y[i]);
        }
        c.polys.push_back(q);
        break;
      }
      case TLC_TEXT: {
        CnvText t;
        EXPECT_EQ(ReadT(in.get(), &t), 1);
        c.texts.push_back({t.lyr, t.size, t.nv, t.o, t.x, t.y, t.text});
        break;
      }
      default:
        break;
    }
  }
  TlcCloseRead(in.get());
  return c;
}

struct Q3dRun : ::testing::Test {
  std::string dir, old;
  void SetUp() override {
    EnterTempFolder("/tmp/q3dXXXXXX", &dir, &old);
    HostRecordInstall();
    CellInfoReset();
  }
  void TearDown() override {
    HostRecordRemove();
    LeaveTempFolder(dir, old);
  }
  void Write(const char* name, const std::string& text) { std::ofstream(dir + "/" + name) << text; }
};

// ---- projection and levels -----------------------------------------------

TEST(Q3dProject, Table) {
  struct Case {
    const char* what;
    const char* z;
    const char* x;
    int k;
    int32_t px, py, ex, ey;
  };
  // Spacing 10 um at 1000 units: a level lifts by 10000.
  const Case cases[] = {
      {"both angles 0 leave the point, level 1 not lifted", "0", "0", 1, 120, -35, 120, -35},
      {"level 3 lifted twice the spacing", "0", "0", 3, 120, -35, 120, 19965},
      {"Z 90 turns a quarter left", "90", "0", 1, 100, 0, 0, 100},
      {"X 60 halves y (truncated toward zero)", "0", "60", 1, 7, 9, 7, 4},
      {"negative values truncate toward zero", "0", "60", 1, -7, -9, -7, -4},
      {"45 and 60", "45", "60", 2, 1000, 0, 707, 10353},
  };
  for (const Case& c : cases) {
    auto st = Fresh("Inv", {"1"}, c.z, c.x);
    st->scale = 1000;
    int32_t px = 0, py = 0;
    ASSERT_EQ(StackProject(*st, c.k, c.px, c.py, &px, &py), 1) << c.what;
    EXPECT_EQ(px, c.ex) << c.what;
    EXPECT_EQ(py, c.ey) << c.what;
  }
}

TEST(Q3dProject, BeyondThirtyTwoBitsIsRefused) {
  auto st = Fresh("Inv", {"1"}, "0", "0", "1000000");
  st->scale = 1000;
  int32_t px = 0, py = 0;
  EXPECT_EQ(StackProject(*st, 3, 0, 0, &px, &py), 1);  // 2 x 1e9 units of lift still fit
  EXPECT_EQ(StackProject(*st, 4, 0, 0, &px, &py), 0);  // 3 x 1e9 do not
  EXPECT_EQ(st->overflow, 1);
  auto rot = Fresh("Inv", {"1"}, "45", "0");
  EXPECT_EQ(StackProject(*rot, 1, 2000000000, -2000000000, &px, &py), 0);
}

TEST(Q3dLevel, FirstPlaceInTheList) {
  auto st = Fresh("Inv", {"5", "", "7", "5", "0", "300", "-4"});
  EXPECT_EQ(StackLevel(*st, 5), 1);  // listed twice: the first place
  EXPECT_EQ(StackLevel(*st, 7), 3);  // an empty entry is a gap
  EXPECT_EQ(StackLevel(*st, 9), 0);
  EXPECT_EQ(StackLevel(*st, 0), 0);  // a gap is no layer
  // Numbers are held to the layers a drawing has, and the field says so.
  EXPECT_EQ(StackLevel(*st, 256), 6);
  EXPECT_STREQ(st->layerText[5], "256");
  EXPECT_STREQ(st->layerText[6], "");
  EXPECT_EQ(st->set.layers[6], 0);
}

TEST(Q3dSetup, RunValues) {
  auto st = Fresh("c:\\other\\folder\\Alu.TLC", {"1"}, "45", "60", "12");
  EXPECT_STREQ(st->set.cell, "Alu");
  EXPECT_EQ(st->set.spacing, 12);
  EXPECT_DOUBLE_EQ(st->set.z, 45 * 0.017453292519444445);
  EXPECT_DOUBLE_EQ(st->set.cosX, std::cos(60 * 0.017453292519444445));
  EXPECT_EQ(st->set.old, 0);
  EXPECT_STREQ(UsfSlot(STACK_OLD), "N");
}

// ---- whole runs ----------------------------------------------------------

TEST_F(Q3dRun, AnglesZeroLiftEachLevelAndWriteTheResultHeader) {
  Write("Inv.tlc", "<?xml version=\"1.0\"?>\n<TLC>\n" + Header("INV") +
                       "<B>\n1 0 0 40 30\n</B>\n"
                       "<B>\n2 10 10 20 20\n</B>\n"
                       "<B>\n3 0 0 5 5\n</B>\n"  // not listed
                       "<C>\nSUB\n0 100 100 0\n</C>\n"
                       "<P>\n2 0 3\n0 0 10 0 10 10\n</P>\n"
                       "<T>\n1 8 2 0\n5 6\n<![CDATA[A]]>\n</T>\n</TLC>\n");
  auto st = Fresh("Inv", {"1", "", "2"});
  ASSERT_EQ(StackRun(*st), STACK_CREATED);
  Cell c = ReadBack("Inv_3D.tlc");
  ASSERT_TRUE(c.there);
  EXPECT_EQ(c.boxes, 0);
  // 3 elements and 2 legend squares; 1 text and 2 legend texts.
  ASSERT_EQ(c.polys.size(), 5u);
  ASSERT_EQ(c.texts.size(), 3u);
  EXPECT_EQ(c.polys[0].x, (std::vector<int32_t>{0, 40, 40, 0, 0}));
  EXPECT_EQ(c.polys[0].y, (std::vector<int32_t>{0, 0, 30, 30, 0}));
  EXPECT_EQ(c.polys[1].y, (std::vector<int32_t>{20010, 20010, 20020, 20020, 20010}));  // level 3
  EXPECT_EQ(c.polys[2].y, (std::vector<int32_t>{20000, 20000, 20010}));
  EXPECT_EQ(c.polys[2].w, 0);
  EXPECT_EQ(c.texts[0].x, 5);
  EXPECT_EQ(c.texts[0].y, 6);
  EXPECT_EQ(c.texts[0].s, "A");
  EXPECT_EQ(c.texts[0].size, 8);
  // The result's own header: name, rank 1, counts written, extent drawn.
  EXPECT_STREQ(c.hdr.name, "INV_3D");
  EXPECT_EQ(c.hdr.rank, 1);
  EXPECT_EQ(c.hdr.nb, 0);
  EXPECT_EQ(c.hdr.np, 8);
  EXPECT_EQ(c.hdr.nv, 5 + 5 + 3 + 2 + 5 + 5 + 2 + 2);
  EXPECT_EQ(c.hdr.nc, 0);
  EXPECT_EQ(c.hdr.l, 0);
  EXPECT_EQ(c.hdr.b, 0);
  EXPECT_DOUBLE_EQ(c.hdr.scale, 1000);
  // Legend: w = 40 / 20 = 2; level 3's square ends at 3 x 10000 + 1.
  EXPECT_EQ(c.hdr.r, 40 + 2 + 2 + 1);
  EXPECT_EQ(c.hdr.t, 30000 + 1);
  char text[SAT_TEXT_SIZE];
  StackResultText(*st, text, sizeof text);
  EXPECT_STREQ(text, "Inv_3D.tlc Created\n\nUse Import to Register Cell in Drawing");
}

TEST_F(Q3dRun, LegendPlaces) {
  // Extent x 0..200 (w = 10), y from -50; spacing 2 at scale 100: step 200.
  Write("Leg.tlc", Header("LEG", 100) + "<B>\n4 0 -50 200 0\n</B>\n<B>\n9 0 0 1 1\n</B>\n");
  auto st = Fresh("Leg", {"4", "0", "9", "4"}, "0", "0", "2");
  ASSERT_EQ(StackRun(*st), STACK_CREATED);
  Cell c = ReadBack("Leg_3D.tlc");
  ASSERT_EQ(c.texts.size(), 2u);  // layer 4 named once
  struct Want {
    int32_t lyr, x, y;
    const char* s;
  };
  const Want want[] = {{4, 210, 1 * 200 - 50, "4"}, {9, 210, 3 * 200 - 50, "9"}};
  for (int i = 0; i < 2; ++i) {
    const Text& t = c.texts[i];
    EXPECT_EQ(t.lyr, want[i].lyr);
    EXPECT_EQ(t.x, want[i].x);
    EXPECT_EQ(t.y, want[i].y);
    EXPECT_EQ(t.s, want[i].s);
    EXPECT_EQ(t.size, 3);
    EXPECT_EQ(t.nv, 2);
    EXPECT_EQ(t.o, 0);
    const Poly& sq = c.polys[2 + i];
    EXPECT_EQ(sq.lyr, want[i].lyr);
    EXPECT_EQ(sq.x, (std::vector<int32_t>{220, 225, 225, 220, 220}));
    int32_t y = want[i].y;
    EXPECT_EQ(sq.y, (std::vector<int32_t>{y, y, y + 5, y + 5, y}));
  }
}

TEST_F(Q3dRun, WidePathBecomesItsProjectedOutline) {
  Write("Wp.tlc", Header("WP") + "<P>\n1 10 2\n0 0 100 0\n</P>\n<P>\n1 -10 2\n0 50 100 50\n</P>\n");
  auto st = Fresh("Wp", {"1"}, "0", "60");
  ASSERT_EQ(StackRun(*st), STACK_CREATED);
  Cell c = ReadBack("Wp_3D.tlc");
  ASSERT_GE(c.polys.size(), 2u);
  struct Want {
    int32_t l, r, b, t;
  };
  // Flush ends (0..100 x -5..5), extended ends (-5..105 x 45..55); y halved
  // by cos 60 and truncated toward zero.
  const Want want[] = {{0, 100, -2, 2}, {-5, 105, 22, 27}};
  for (int i = 0; i < 2; ++i) {
    const Poly& p = c.polys[i];
    EXPECT_EQ(p.w, 0);
    ASSERT_GE(p.x.size(), 5u);
    EXPECT_EQ(p.x.front(), p.x.back());
    EXPECT_EQ(p.y.front(), p.y.back());
    EXPECT_EQ(*std::min_element(p.x.begin(), p.x.end()), want[i].l);
    EXPECT_EQ(*std::max_element(p.x.begin(), p.x.end()), want[i].r);
    EXPECT_EQ(*std::min_element(p.y.begin(), p.y.end()), want[i].b);
    EXPECT_EQ(*std::max_element(p.y.begin(), p.y.end()), want[i].t);
  }
}

// Runs that must not leave a result: the old result cell stays as it was.
TEST_F(Q3dRun, FailuresKeepTheOldResult) {
  struct Case {
    const char* what;
    const char* sfn;
    std::string source;
    const char* stp;
    std::vector<std::string> messages;
  };
  const std::string ok = "<B>\n1 0 0 10 10\n</B>\n";
  const Case cases[] = {
      {"no header", "Cut", "<TLC>\n" + ok, "10", {"TLC Header Missing"}},
      {"unreadable header", "Cut", "<H>\nCUT\n7.0\n", "10", {"Header Record Read Error", "TLC Header Missing"}},
      {"bad box after good ones", "Cut", Header("CUT") + ok + "<B>\n1 0 0 x 10\n</B>\n", "10",
       {"Box Record Read Error"}},
      {"bad path", "Cut", Header("CUT") + "<P>\n1 0 3\n0 0 1 1\n</P>\n", "10", {"Path Record Read Error"}},
      {"bad text", "Cut", Header("CUT") + "<T>\n1 8\n</T>\n", "10", {"Text Record Read Error"}},
      {"missing source", "Nothere", "", "10", {"TLC File is Missing"}},
      {"lift beyond 32 bits", "Cut", Header("CUT") + "<B>\n2 0 0 10 10\n</B>\n", "3000000",
       {"Projection Beyond the Drawing's 32-bit Range ... Can't Continue"}},
      {"30-character name", "Abcdefghijabcdefghijabcdefghij", Header("X") + ok, "10",
       {"Result Name Abcdefghijabcdefghijabcdefghij_3D Longer than 32 Characters ... Can't Continue"}},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    std::string file = std::string(c.sfn) + ".tlc";
    if (!c.source.empty()) Write(file.c_str(), c.source);
    std::string oldResult = std::string(c.sfn) + "_3D.tlc";
    Write(oldResult.c_str(), "old result\n");
    auto st = Fresh(c.sfn, {"1", "2"}, "0", "0", c.stp);
    EXPECT_EQ(StackRun(*st), STACK_ABORTED) << c.what;
    EXPECT_EQ(HostRecordTexts(), c.messages) << c.what;
    std::ifstream f(dir + "/" + oldResult);
    std::string kept((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "old result\n") << c.what;
    EXPECT_FALSE(std::filesystem::exists(dir + "/" + oldResult + ".tmp")) << c.what;
    char text[SAT_TEXT_SIZE];
    StackResultText(*st, text, sizeof text);
    EXPECT_STREQ(text, "Aborted ... Files may be Incomplete") << c.what;
  }
}

TEST_F(Q3dRun, NothingProjectedGivesNoLegendAndAWarning) {
  Write("Empty.tlc", Header("EMPTY") + "<B>\n3 0 0 10 10\n</B>\n");
  auto st = Fresh("Empty", {"1"});
  ASSERT_EQ(StackRun(*st), STACK_CREATED);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Nothing Projected on the Listed Layers ... No Legend"});
  Cell c = ReadBack("Empty_3D.tlc");
  ASSERT_TRUE(c.there);
  EXPECT_TRUE(c.polys.empty());
  EXPECT_TRUE(c.texts.empty());
  EXPECT_EQ(c.hdr.np, 0);
  EXPECT_EQ(c.hdr.r, 0);
  EXPECT_EQ(c.hdr.t, 0);
}

TEST_F(Q3dRun, OutlineLongerThanARecordIsLeftOutWithAWarning) {
  // A zig-zag of 600 points: its outline needs more than 1040 points.
  std::string p = "<P>\n1 4 600\n";
  for (int i = 0; i < 600; ++i) p += std::to_string(i * 20) + " " + std::to_string((i % 2) * 20) + "\n";
  p += "</P>\n";
  Write("Zig.tlc", Header("ZIG") + p + "<B>\n1 0 0 10 10\n</B>\n");
  auto st = Fresh("Zig", {"1"});
  ASSERT_EQ(StackRun(*st), STACK_PARTIAL);
  std::vector<std::string> msgs = HostRecordTexts();
  ASSERT_EQ(msgs.size(), 1u);
  EXPECT_EQ(msgs[0], "Path Outline Longer than a Record at X=0 Y=0 L=1 in Zig ... Left Out");
  Cell c = ReadBack("Zig_3D.tlc");
  ASSERT_EQ(c.polys.size(), 2u);  // the box and the legend square
  char text[SAT_TEXT_SIZE];
  StackResultText(*st, text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("Zig_3D.tlc Created with 1 Objects Left Out", 0), 0u);
}

TEST_F(Q3dRun, OldRecordFormAndAReplacedResult) {
  Write("Old.tlc", Header("OLD") + "<B>\n1 0 0 10 10\n</B>\n");
  Write("Old_3D.tlc", "stale\n");
  auto st = Fresh("Old", {"1"});
  Set(STACK_OLD, "y");
  StackSetupApply(*st, 0);
  ASSERT_EQ(StackRun(*st), STACK_CREATED);
  std::ifstream f(dir + "/Old_3D.tlc");
  std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all.rfind("=P\n1 0 5\n", 0), 0u);
  EXPECT_EQ(all.find("<TLC>"), std::string::npos);
  Cell c = ReadBack("Old_3D.tlc");
  EXPECT_EQ(c.polys.size(), 2u);
}

}  // namespace
