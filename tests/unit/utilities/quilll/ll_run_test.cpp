// Whole runs: the Boolean operations over an in-memory drawing, the
// hierarchy against its flat copy, minimum-size notes across area edges, and
// runs on a drawing folder with the result cell written through a scratch
// file.
#include <filesystem>
#include <fstream>

#include "drc_memsrc.h"
#include "host.h"
#include "host_record.h"
#include "ll_test_support.h"
#include "orient.h"
#include "q7tlcrw.h"
#include "satutil.h"
#include "temp_folder.h"

namespace {

int64_t Area(const std::vector<LlBox>& v) {
  int64_t a = 0;
  for (const LlBox& b : v) a += (int64_t)(b.r - b.l) * (b.t - b.b);
  return a;
}

std::vector<std::string> ListLines, AreaLines;
void ListStatus(int id, const char* t, int) {
  if (id == 514) AreaLines.push_back(t);
}
void ListClear() { ListLines.clear(); }
void ListAdd(const char* t) { ListLines.push_back(t); }
int ListExists() { return 1; }
const SatDisplayOps kList = {ListStatus, ListClear, ListAdd, ListExists};

struct RunCase {
  const char* what;
  std::vector<std::pair<int, std::string>> slots;
  int64_t area;
};

TEST(LlRun, BooleanOperations) {
  HostRecordInstall();
  DrcMemDrawing d;
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top, "<B>\n1 0 0 40 30\n</B>\n<B>\n2 20 10 60 50\n</B>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  const RunCase cases[] = {
      {"AND", {{LL_LOG, "0"}}, 400},
      {"OR", {{LL_LOG, "1"}}, 2400},
      {"XOR", {{LL_LOG, "2"}}, 2000},
      {"A NOT B", {{LL_LOG, "0"}, {LL_NOTB, "Y"}}, 800},
      {"B is TRUE copies A", {{LL_LOG, "0"}, {LL_LBT, "Y"}}, 1200},
      {"XOR of a layer with itself", {{LL_LOG, "2"}, {LL_LAYRB, "1"}}, 0},
      {"NOT C stops at the boundary", {{LL_LOG, "0"}, {LL_LAYRA, "5"}, {LL_LAYRB, "6"}, {LL_NOTC, "Y"}}, 10000},
      {"code from the settings file", {{LL_LOG, "9"}}, 400},
      {"as polygons", {{LL_LOG, "2"}, {LL_POLY, "Y"}}, -1},
  };
  for (const RunCase& c : cases) {
    auto st = LlFresh();
    SetSlots({{LL_RES, "0.001"}, {LL_BR, "0.1"}, {LL_BT, "0.1"}});
    SetSlots(c.slots);
    LlSetupApply(*st, 0);
    std::vector<LlBox> out;
    std::vector<std::vector<int32_t>> polys;
    st->boxOut = &out;
    st->polyOut = &polys;
    ASSERT_EQ(LlRunSource(*st, &d.src, top), 1) << c.what;
    if (c.area >= 0) {
      EXPECT_EQ(Area(out), c.area) << c.what;
    } else {
      EXPECT_TRUE(out.empty());
      EXPECT_EQ(polys.size(), 2u);  // the two L-shaped halves of the XOR
    }
  }
  HostRecordRemove();
}

// A drawing over three levels with every orientation, and its flat copy:
// the results are the same boxes.
TEST(LlRun, HierarchyEqualsItsFlatCopy) {
  HostRecordInstall();
  DrcMemDrawing d, f;
  const char* leafText =
      "<B>\n1 0 0 40 20\n</B>\n<B>\n2 10 5 30 60\n</B>\n"
      "<P>\n1 0 5\n50 0 90 0 90 30 50 0\n</P>\n"  // a closed slanted polygon
      "<P>\n2 8 3\n0 70 40 110 80 110\n</P>\n"    // a wide path with a mitre
      "<P>\n1 -6 2\n100 10 100 60\n</P>\n";       // extended ends
  int leaf = DrcMemAddCell(d, "LEAF");
  DrcMemReadTlc(d, leaf, leafText);
  int mid = DrcMemAddCell(d, "MID");
  std::string midText;
  for (int o = 0; o < 8; ++o)
    midText += "<C>\nLEAF\n" + std::to_string(o) + " " + std::to_string(300 * (o % 4)) + " " +
               std::to_string(300 * (o / 4)) + " 0\n</C>\n";
  DrcMemReadTlc(d, mid, midText.c_str());
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top, "<C>\nMID\n0 200 200 0\n</C>\n<C>\nMID\n5 1900 1400 0\n</C>\n<B>\n2 0 0 2100 60\n</B>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  // The flat copy by hand.
  int flat = DrcMemAddCell(f, "FLAT");
  DrcMemCell& fc = f.cells[flat - 1];
  DrcMemDrawing leafOnly;
  int l1 = DrcMemAddCell(leafOnly, "L");
  DrcMemReadTlc(leafOnly, l1, leafText);
  const DrcMemCell& lc = leafOnly.cells[0];
  struct Place {
    int o;
    int64_t x, y;
  };
  for (Place outer : {Place{0, 200, 200}, Place{5, 1900, 1400}})
    for (int o = 0; o < 8; ++o) {
      Place inner{o, 300 * (o % 4), 300 * (o / 4)};
      auto place = [&](int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
        int64_t a, b;
        OrientPoint(inner.o, x, y, &a, &b);
        a += inner.x;
        b += inner.y;
        OrientPoint(outer.o, a, b, ox, oy);
        *ox += outer.x;
        *oy += outer.y;
      };
      for (const DrcBoxRec& b : lc.boxes) {
        int64_t x0, y0, x1, y1;
        place(b.l, b.b, &x0, &y0);
        place(b.r, b.t, &x1, &y1);
        fc.boxes.push_back({b.layer, (int32_t)std::min(x0, x1), (int32_t)std::min(y0, y1),
                            (int32_t)std::max(x0, x1), (int32_t)std::max(y0, y1)});
      }
      for (const DrcMemPath& p : lc.paths) {
        DrcMemPath q = p;
        for (size_t i = 0; i + 1 < q.xy.size(); i += 2) {
          int64_t x, y;
          place(p.xy[i], p.xy[i + 1], &x, &y);
          q.xy[i] = (int32_t)x;
          q.xy[i + 1] = (int32_t)y;
        }
        fc.paths.push_back(q);
      }
    }
  fc.boxes.push_back({2, 0, 0, 2100, 60});
  DrcMemFinish(f);
  DrcMemSource(f);
  for (const char* op : {"0", "1", "2"}) {
    std::vector<LlBox> hier, flatOut;
    for (int pass = 0; pass < 2; ++pass) {
      auto st = LlFresh();
      // Map cells of 7 units over three areas in x and two in y.
      SetSlots({{LL_RES, "0.007"}, {LL_BL, "-0.5"}, {LL_BB, "-0.3"}, {LL_BR, "2.5"}, {LL_BT, "1.8"}, {LL_LOG, op}});
      LlSetupApply(*st, 0);
      st->boxOut = pass ? &flatOut : &hier;
      ASSERT_EQ(LlRunSource(*st, pass ? &f.src : &d.src, pass ? flat : top), 1);
    }
    EXPECT_GT(hier.size(), 10u);
    ASSERT_EQ(hier.size(), flatOut.size()) << op;
    for (size_t k = 0; k < hier.size(); ++k)
      EXPECT_TRUE(hier[k].l == flatOut[k].l && hier[k].b == flatOut[k].b && hier[k].r == flatOut[k].r &&
                  hier[k].t == flatOut[k].t)
          << op << " " << k;
  }
  HostRecordRemove();
}

TEST(LlRun, MinimumSizeNotesIgnoreCutsAtInnerAreaEdges) {
  HostRecordInstall();
  SatDisplaySet(&kList);
  DrcMemDrawing d;
  int top = DrcMemAddCell(d, "TOP");
  // Crosses the edge between the two areas at x = 1024; the second box is
  // truly narrow.
  DrcMemReadTlc(d, top, "<B>\n1 1000 0 1100 50\n</B>\n<B>\n1 200 300 204 400\n</B>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  auto st = LlFresh();
  SetSlots({{LL_RES, "0.001"}, {LL_BR, "2.048"}, {LL_BT, "1.024"}, {LL_SIZ, "0.005"}, {LL_LBT, "Y"}});
  LlSetupApply(*st, 0);
  std::vector<LlBox> out;
  st->boxOut = &out;
  ListLines.clear();
  ASSERT_EQ(LlRunSource(*st, &d.src, top), 1);
  EXPECT_EQ(out.size(), 3u);  // written all the same
  EXPECT_EQ(ListLines, std::vector<std::string>{"Box Under Minimum Size at X= 0.2 Y= 0.3"});
  SatDisplaySet(nullptr);
  HostRecordRemove();
}

TEST(LlRun, AreasOnTheBoundaryEdgesAreNotVisited) {
  HostRecordInstall();
  SatDisplaySet(&kList);
  DrcMemDrawing d;
  int top = DrcMemAddCell(d, "TOP");
  DrcMemReadTlc(d, top, "<B>\n1 0 0 3000 3000\n</B>\n");
  DrcMemFinish(d);
  DrcMemSource(d);
  auto st = LlFresh();
  SetSlots({{LL_RES, "0.001"}, {LL_BR, "2.048"}, {LL_BT, "1.024"}, {LL_LBT, "Y"}});
  LlSetupApply(*st, 0);
  std::vector<LlBox> out;
  st->boxOut = &out;
  AreaLines.clear();
  ASSERT_EQ(LlRunSource(*st, &d.src, top), 1);
  // Two areas, each shown before and after its work.
  EXPECT_EQ(AreaLines, (std::vector<std::string>{"Area: L=0um B=0um R=1.024um T=1.024um",
                                                 "Area: L=0um B=0um R=1.024um T=1.024um",
                                                 "Area: L=1.024um B=0um R=2.048um T=1.024um",
                                                 "Area: L=1.024um B=0um R=2.048um T=1.024um"}));
  EXPECT_EQ(Area(out), 2048 * 1024);
  SatDisplaySet(nullptr);
  HostRecordRemove();
}

// ---- runs in a drawing folder ----------------------------------------------

int RunCurrent(void* st) { return LlRun(*static_cast<LlState*>(st)); }
void Closing(void* st, int result, char* text, size_t size) {
  LlResultText(*static_cast<LlState*>(st), result, 0, text, size);
}

struct FolderRun : ::testing::Test {
  void SetUp() override {
    rec = &HostRecordInstall();
    st = LlFresh();
    prog = *LlTestProgram();
    prog.run = RunCurrent;
    prog.closing = Closing;
    SatProgramSet(&prog, st.get());
    folder.Write("QUIL7.CRF", "2\nINV\n1 0 0 100 100 2 0 0 0\nRES\n1 0 0 10 10 1 0 0 0\n");
    folder.Write("INV.tlc", "<?xml version=\"1.0\"?>\n<TLC>\n<B>\n1 0 0 40 30\n</B>\n<B>\n2 20 10 60 50\n</B>\n</TLC>\n");
    folder.Write("RES.tlc", OldRes);
    ASSERT_EQ(LlCellListRead(), 0);
    SetSlots({{LL_CLN, "INV"}, {LL_TLC, "res"}, {LL_RES, "0.001"}, {LL_BR, "0.1"}, {LL_BT, "0.1"}});
    LlSetupApply(*st, 0);
  }
  void TearDown() override {
    TlcWriter.hold = 0;
    HostRecordRemove();
  }
  bool Exists(const char* n) { return std::filesystem::exists(folder.dir / n); }
  static constexpr const char* OldRes = "<?xml version=\"1.0\"?>\n<TLC>\n<B>\n9 0 0 1 1\n</B>\n</TLC>\n";
  TempFolder folder;
  HostRecord* rec = nullptr;
  std::unique_ptr<LlState> st;
  SatProgram prog;
};

TEST_F(FolderRun, CompletedResultCarriesItsHeaderAfterTheObjects) {
  rec->answers = {HOST_IDYES};  // overwrite RES
  ASSERT_EQ(SatGoRun(), 1);
  std::string res = folder.Read("RES.tlc");
  size_t h = res.find("<H>\nRES\n7.0.91\n7.0.91\n1000\num\n");
  ASSERT_NE(h, std::string::npos) << res;
  EXPECT_EQ(res.rfind("<B>\n3 20 10 40 30\n</B>\n", h), 28u);
  EXPECT_NE(res.find("\n1 0 0 1000 0\n1 0 0 0\n</H>\n</TLC>\n", h), std::string::npos) << res;
  EXPECT_FALSE(Exists("RES.tlc.tmp"));
  std::string log = folder.Read("Quilll.log");
  EXPECT_EQ(log.find("*** QUIL Layer Logic Conversion Log  7.0.91  "), 0u);
  EXPECT_NE(log.find("\n\nCell: INV\nResult Cell File: Res.tlc\nOutput Layer 3\nMap Resolution= 0.001um\n"
                     "Poly Resolution= 0.1um\nMinimum Size= 0um\n\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("Completed ... 1 Boxes  0 Poly  0 Vertices"), std::string::npos);
}

TEST_F(FolderRun, RunThatStopsKeepsTheOldCell) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
  } cases[] = {
      {"Esc during the run", [&] { rec->abortAfterPolls = 0; }},
      {"missing cell file", [&] { std::filesystem::remove(folder.dir / "INV.tlc"); }},
      {"bad box record", [&] { folder.Write("INV.tlc", "<B>\n1 0 x\n</B>\n"); }},
  };
  for (const Case& c : cases) {
    rec->answers = {HOST_IDYES};
    rec->abortAfterPolls = -1;
    rec->polls = 0;
    rec->messages.clear();
    c.arrange();
    EXPECT_EQ(SatGoRun(), 0) << c.what;
    EXPECT_EQ(folder.Read("RES.tlc"), OldRes) << c.what;
    EXPECT_FALSE(Exists("RES.tlc.tmp")) << c.what;
    ASSERT_FALSE(rec->messages.empty());
    EXPECT_EQ(rec->messages.back().text, "Aborted ... TLC File may be Incomplete") << c.what;
  }
}

TEST_F(FolderRun, RefusedNames) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::string>> slots;
    const char* message;  // the first message shown
  } cases[] = {
      {"result is the cell", {{LL_TLC, "Inv.tlc"}}, "Writing to the Original Cell File ... Not Allowed"},
      {"log is a cell file", {{LL_WR2, "inv.tlc"}}, "Log File Name Stands for a Drawing File ... Not Allowed"},
      {"log is the cell list", {{LL_WR2, "quil7.crf"}}, "Log File Name Stands for a Drawing File ... Not Allowed"},
      {"log is the result", {{LL_TLC, "new"}, {LL_WR2, "New.tlc"}},
       "Log File Name Stands for a Drawing File ... Not Allowed"},
      {"device name as cell", {{LL_CLN, "CON"}}, nullptr},
      {"unknown cell", {{LL_CLN, "NOSUCH"}}, "Cell \"NOSUCH\" does Not Exist"},
  };
  for (const Case& c : cases) {
    SetUp();
    rec->answers = {HOST_IDYES};
    SetSlots(c.slots);  // straight from a settings file: no apply checks
    EXPECT_EQ(SatGoRun(), 0) << c.what;
    ASSERT_FALSE(rec->messages.empty()) << c.what;
    if (c.message) EXPECT_EQ(rec->messages[rec->messages.size() - 2].text, c.message) << c.what;
    EXPECT_EQ(rec->messages.back().text, "Aborted ... TLC File may be Incomplete") << c.what;
    EXPECT_EQ(folder.Read("RES.tlc"), OldRes) << c.what;
    EXPECT_EQ(folder.Read("INV.tlc").substr(0, 5), "<?xml") << c.what;
    EXPECT_FALSE(Exists("Quilll.log")) << c.what;
    EXPECT_EQ(folder.Read("QUIL7.CRF").substr(0, 4), "2\nIN") << c.what;
    EXPECT_FALSE(Exists("New.tlc")) << c.what;
    TearDown();
  }
}

TEST_F(FolderRun, DeclinedOverwriteWritesNothing) {
  rec->answers = {HOST_IDNO};
  EXPECT_EQ(SatGoRun(), 0);
  EXPECT_EQ(rec->messages[0].text, "Result Cell Exists ... Overwrite?");
  EXPECT_EQ(folder.Read("RES.tlc"), OldRes);
}

TEST(LlCellList, KeepsExactlyTheValidEntries) {
  HostRecord& rec = HostRecordInstall();
  TempFolder folder;
  CellInfoReset();
  folder.Write("QUIL7.CRF", "3\nA\n1 0 0 5 5\nB\n0 0 0 5 5\nC\n2 0 0 9 9\n");
  ASSERT_EQ(LlCellListRead(), 0);
  ASSERT_EQ(Cells.count, 2);
  EXPECT_STREQ(Cells.cell[1].name, "A");
  EXPECT_STREQ(Cells.cell[2].name, "C");
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].text, "QUIL7.CRF File Error ... Keeping Valid Cells");
  HostRecordRemove();
}

}  // namespace
