// The matrix router: settings and run values, tracks, node-list reading,
// and whole runs in a drawing folder read back record by record.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <cstring>

#include "cnvtlc.h"
#include "host.h"
#include "host_record.h"
#include "mx.h"
#include "satsetup.h"
#include "satutil.h"
#include "temp_folder.h"

namespace {

const SatProgram* MxTestProgram(MxState& st) {
  static SatProgram p = {};
  p.displayName = "QuilMx";
  p.keys = MxKeys;
  p.defaults = MxDefaults;
  p.lists = MxLists(st);
  p.edition = &SatEditionPlain;
  return &p;
}

void Set(int slot, const char* v) { snprintf(UsfSlot(slot), SAT_SLOT_SIZE, "%s", v); }

std::unique_ptr<MxState> Fresh(const std::vector<std::pair<int, const char*>>& slots = {}, double scale = 1) {
  auto st = std::make_unique<MxState>();
  SatProgramSet(MxTestProgram(*st), st.get());
  SatSetup = SatSetupState();
  SatSetup.scale = scale;
  for (auto& s : slots) Set(s.first, s.second);
  MxSetupApply(*st, 0);
  st->scale = scale;
  MxRunValuesSet(*st);
  return st;
}

// ---- settings and run values ----------------------------------------------

TEST(MxSetup, ApplyCases) {
  auto st = Fresh({{MX_CFN, "out\\ROUTED.XYZ"}, {MX_NFN, "c:\\nets\\Inv.NOD"}, {MX_CEC, "via.tlc"}, {MX_TXT, "yes"},
                   {MX_NPK, "x"}, {MX_NBL, "0"}, {MX_CBL, "300"}, {MX_CLN, "top"}});
  EXPECT_STREQ(UsfSlot(MX_CFN), "Out\\Routed.xyz");
  EXPECT_STREQ(st->set.resultFolder, "Out\\");
  EXPECT_STREQ(st->set.resultBase, "Routed");
  EXPECT_STREQ(st->set.nodeDrive, "C:");
  EXPECT_STREQ(st->set.nodeBase, "Inv");
  EXPECT_STREQ(st->set.endBase, "Via");
  EXPECT_EQ(st->set.txt, 1);
  EXPECT_STREQ(UsfSlot(MX_TXT), "YES");
  EXPECT_EQ(st->set.npk, 0);
  EXPECT_STREQ(UsfSlot(MX_NPK), "N");
  // Layers a drawing can't have are held to 1..256.
  EXPECT_EQ(st->set.nbl, 1);
  EXPECT_EQ(st->set.cbl, 256);
  EXPECT_STREQ(UsfSlot(MX_CBL), "256");
  EXPECT_STREQ(st->set.cell, "TOP");
  // Omit compares whole names, any case.
  snprintf(st->omit[3], SAT_SLOT_SIZE, "VDD");
  EXPECT_EQ(MxOmitted(*st, "vdd"), 1);
  EXPECT_EQ(MxOmitted(*st, "vdd1"), 0);
}

TEST(MxSetup, RunValues) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, const char*>> slots;
    double scale;
    int64_t nbw, nbs, cbw, cbs, base;
  };
  const Case cases[] = {
      {"widths below 2 become 2", {{MX_NBW, "0.001"}, {MX_CBW, "-0.0005"}}, 1000, 2, 8000, 2, 8000, 0},
      {"negative width taken absolute", {{MX_CBW, "-4"}}, 1, 3, 8, 4, 8, 0},
      {"base rounded to the pitch", {{MX_BXY, "13"}}, 1, 3, 8, 3, 8, 16},
      {"negative base rounds away from zero", {{MX_BXY, "-12"}}, 1, 3, 8, 3, 8, -16},
      {"base below half a pitch", {{MX_BXY, "3"}}, 1, 3, 8, 3, 8, 0},
      {"Neg negates the pitch", {{MX_POS, "N"}, {MX_BXY, "13"}}, 1, 3, -8, 3, 8, 16},
  };
  for (const Case& c : cases) {
    auto st = Fresh(c.slots, c.scale);
    EXPECT_EQ(st->run.nbw, c.nbw) << c.what;
    EXPECT_EQ(st->run.nbs, c.nbs) << c.what;
    EXPECT_EQ(st->run.cbw, c.cbw) << c.what;
    EXPECT_EQ(st->run.cbs, c.cbs) << c.what;
    EXPECT_EQ(st->run.base, c.base) << c.what;
  }
}

TEST(MxSetup, TextNumber) {
  const std::pair<const char*, int> cases[] = {{"12", 12}, {"C7", 7}, {"in3x4", 3}, {"none", 0}, {"", 0}};
  for (auto& c : cases) EXPECT_EQ(TextNumber(c.first), c.second) << c.first;
}

TEST(MxTrack, CompactionSharesOnlyDisjointSpans) {
  auto st = Fresh();
  st->buses.resize(4);
  MxTrackInit(*st);
  EXPECT_EQ(MxTrackFind(*st, 0, 10), 0);
  EXPECT_EQ(MxTrackFind(*st, 10, 20), 1);  // touching ends overlap
  EXPECT_EQ(MxTrackFind(*st, 21, 30), 0);
  EXPECT_EQ(MxTrackFind(*st, 30, 11), 2);  // ends ordered; above the highest overlap
  // A track holds 512 spans; the next is refused with a message.
  HostRecordInstall();
  auto full = Fresh();
  full->buses.resize(1);
  MxTrackInit(*full);
  for (int i = 0; i < MX_MAX_SPANS; ++i) ASSERT_EQ(MxTrackFind(*full, 10 * i, 10 * i + 5), 0);
  EXPECT_EQ(MxTrackFind(*full, 10 * MX_MAX_SPANS, 10 * MX_MAX_SPANS + 5), -1);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Too Many Buses on Track 0 ... the Limit is 512"});
  HostRecordRemove();
  auto two = Fresh();
  two->buses.resize(2);
  MxTrackInit(*two);
  EXPECT_EQ(MxTrackFind(*two, 0, 10), 0);
  EXPECT_EQ(MxTrackFind(*two, 11, 20), 0);
}

// ---- node list -------------------------------------------------------------

// Placed cells with device names and connectors 1..3 at x = 10 n.
void Devices(MxState& st, const std::vector<std::string>& names) {
  st.placed.clear();
  int64_t x = 0;
  for (const std::string& n : names) {
    MxPlaced p;
    p.name = "DEV";
    p.dev = n;
    p.x = x;
    for (int c = 1; c <= 3; ++c) p.conn.push_back({10 * c, 5, c});
    st.placed.push_back(p);
    x += 100;
  }
}

struct NodCase {
  const char* what;
  std::string text;
  std::vector<std::string> names;  // buses made
  std::vector<size_t> conns;       // connector buses of each
  int ok;
};

TEST(MxNodeList, Reading) {
  std::string longLine = " ";
  std::vector<std::string> many;
  for (int i = 0; i < 60; ++i) longLine += " M1.1 ";
  longLine += " M12.3 ";  // past 200 characters: read whole
  const NodCase cases[] = {
      {"the whole block name, any case", "[INVX]\nA:1\n M1.1 \n::\n[inv]\nB:0\n M1.2  M2.2 \n::\n", {"B"}, {2}, 1},
      {"a block without :: ends at the next block", "[INV]\nA:0\n M1.1 \n[OTHER]\nB:0\n M1.2 \n", {"A"}, {1}, 1},
      {"every entry of a long line", "[INV]\nA:0\n" + longLine + "\n::\n", {"A"}, {61}, 1},
      {"the ? node is left unrouted", "[INV]\n?:0\n M1.1  M2.1 \nB:0\n M1.3 \n::\n", {"?", "B"}, {0, 1}, 1},
      {"connector 0 makes nothing", "[INV]\nA:0\n M1.0 \n::\n", {"A"}, {0}, 1},
      {"omitted nodes make no bus", "[INV]\nVDD:0\n M1.1 \nvdd1:0\n M1.2 \n::\n", {"vdd1"}, {1}, 1},
      {"entries before the first node", "[INV]\n M1.1 \nA:0\n M2.2 \n::\n", {"A"}, {1}, 1},
      {"no block", "[NAND]\nA:0\n M1.1 \n::\n", {}, {}, 0},
      {"an unknown device", "[INV]\nA:0\n M9.1 \n::\n", {"A"}, {0}, 0},
  };
  for (const NodCase& c : cases) {
    HostRecordInstall();
    auto st = Fresh({{MX_NFN, "inv.nod"}});
    snprintf(st->omit[0], SAT_SLOT_SIZE, "vdd");
    Devices(*st, {"M1", "M2", "M12"});
    SatFrame.abortFlag = 0;
    EXPECT_EQ(MxNodeBusBuild(*st, c.text.data(), c.text.size()), c.ok) << c.what;
    std::vector<std::string> names;
    std::vector<size_t> conns;
    for (const MxBus& b : st->buses) {
      names.push_back(b.name);
      conns.push_back(b.conns.size());
    }
    EXPECT_EQ(names, c.names) << c.what;
    EXPECT_EQ(conns, c.conns) << c.what;
  }
  HostRecordRemove();
}

TEST(MxNodeList, LimitsOnInsertAndWarnings) {
  HostRecordInstall();
  auto st = Fresh({{MX_NFN, "inv.nod"}});
  Devices(*st, {"M1"});
  std::string text = "[INV]\n";
  for (int i = 0; i < 600; ++i) text += "n" + std::to_string(i) + ":0\n M1.1 \n";
  SatFrame.abortFlag = 0;
  EXPECT_EQ(MxNodeBusBuild(*st, text.data(), text.size()), 0);
  EXPECT_EQ(st->buses.size(), (size_t)MX_MAX_BUSES);
  EXPECT_EQ(HostRecordTexts().back(), "Too Many Node Buses ... the Limit is 511");
  // A connector the cell lacks: OK skips it, Cancel stops the run.
  for (int answer : {HOST_IDOK, HOST_IDCANCEL}) {
    HostRecordInstall().answers.push_back(answer);
    auto s2 = Fresh({{MX_NFN, "inv.nod"}});
    Devices(*s2, {"M1"});
    SatFrame.abortFlag = 0;
    std::string t = "[INV]\nA:0\n M1.7  M1.2 \n::\n";
    EXPECT_EQ(MxNodeBusBuild(*s2, t.data(), t.size()), answer == HOST_IDOK ? 1 : 0);
    EXPECT_EQ(HostRecordTexts()[0], "Connector 7 in Node List is Not a Connector on Cell DEV ... Bus not Made");
    EXPECT_EQ(s2->buses[0].conns.size(), answer == HOST_IDOK ? 1u : 0u);
    EXPECT_EQ(s2->skipped, 1);
  }
  HostRecordRemove();
}

TEST(MxSort, ShortAndLong) {
  for (int shortFirst : {1, 0}) {
    auto st = Fresh({{MX_SST, "Y"}, {MX_SBS, shortFirst ? "Y" : "N"}});
    const int64_t spans[][2] = {{0, 10}, {0, 30}, {5, 25}, {0, 5}};
    for (auto& s : spans) {
      MxBus b;
      b.name = std::to_string(s[1] - s[0]);
      b.lo = s[0];
      b.hi = s[1];
      st->buses.push_back(b);
    }
    MxBusSort(*st);
    std::vector<std::string> order;
    for (const MxBus& b : st->buses) order.push_back(b.name);
    // The exchange sort moves the larger length forward under Short.
    if (shortFirst)
      EXPECT_EQ(order, (std::vector<std::string>{"30", "20", "10", "5"}));
    else
      EXPECT_EQ(order, (std::vector<std::string>{"5", "10", "20", "30"}));
  }
}

// ---- whole runs -------------------------------------------------------------

struct Rec {
  std::vector<std::string> lines;
  CnvHdr hdr = {};
  bool there = false;
};

Rec ReadBack(const char* name) {
  Rec r;
  auto in = std::make_unique<TlcIn>();
  std::memset(in.get(), 0, sizeof *in);
  if (!SatHostPathTo(in->path, sizeof in->path, name)) return r;
  TlcRewind(in.get());
  if (!in->open) return r;
  r.there = true;
  auto p = std::make_unique<CnvPath>();
  const char* line;
  while ((line = TlcNextLine(in.get())) != nullptr) {
    char t[300];
    switch (TlcLineKind(line)) {
      case TLC_HDR:
        ReadH(in.get(), &r.hdr);
        break;
      case TLC_BOX: {
        CnvBox b;
        ReadB(in.get(), &b);
        snprintf(t, sizeof t, "B %d %d %d %d %d", b.lyr, b.l, b.b, b.r, b.t);
        r.lines.push_back(t);
        break;
      }
      case TLC_PATH: {
        ReadP(in.get(), p.get());
        std::string s = "P " + std::to_string(p->lyr) + " " + std::to_string(p->w);
        for (int i = 0; i < p->nv; ++i) s += " " + std::to_string(p->x[i]) + " " + std::to_string(p->y[i]);
        r.lines.push_back(s);
        break;
      }
      case TLC_TEXT: {
        CnvText x;
        ReadT(in.get(), &x);
        snprintf(t, sizeof t, "T %d %s %d %d", x.lyr, x.text, x.x, x.y);
        r.lines.push_back(t);
        break;
      }
      case TLC_CELL: {
        CnvCell c;
        ReadC(in.get(), &c);
        snprintf(t, sizeof t, "C %s %d %d", c.name, c.x, c.y);
        r.lines.push_back(t);
        break;
      }
    }
  }
  TlcCloseRead(in.get());
  return r;
}

struct MxRunFx : ::testing::Test {
  std::string dir, old;
  void SetUp() override {
    EnterTempFolder("/tmp/mxXXXXXX", &dir, &old);
    HostRecordInstall();
    CellInfoReset();
  }
  void TearDown() override {
    HostRecordRemove();
    LogClose();
    LeaveTempFolder(dir, old);
  }
  void Write(const char* name, const std::string& text) { std::ofstream(dir + "/" + name) << text; }
  // DEV carries connectors 1 and 2 on layer 5; TOP places it twice with the
  // device texts M1 and M2 on layer 6 (the second only when asked).
  void Drawing(bool secondText = true, const std::string& extraCrf = "") {
    Write("DEV.tlc", "<B>\n1 0 0 20 10\n</B>\n<T>\n5 1 2 0\n0 10\n<![CDATA[1]]>\n</T>\n"
                     "<T>\n5 1 2 0\n20 10\n<![CDATA[2]]>\n</T>\n");
    Write("END.tlc", "<B>\n50 -2 -2 2 2\n</B>\n");
    std::string top = "<C>\nDEV\n0 0 0 0\n</C>\n<C>\nDEV\n0 100 0 0\n</C>\n<T>\n6 1 2 0\n5 5\n<![CDATA[M1]]>\n</T>\n";
    if (secondText) top += "<T>\n6 1 2 0\n105 5\n<![CDATA[M2]]>\n</T>\n";
    Write("TOP.tlc", top);
    Write("QUIL7.CRF", "3\nDEV\n1 0 0 20 10 1 2 2 0\nEND\n1 -2 -2 2 2 1 0 0 0\nTOP\n2 0 0 120 10 0 2 2 2\n" + extraCrf);
    SatSetup.scale = 1;
    ASSERT_EQ(SatCrfRead(), 0);
  }
  std::unique_ptr<MxState> Setup(const std::vector<std::pair<int, const char*>>& more = {}) {
    std::vector<std::pair<int, const char*>> slots = {
        {MX_CLN, "TOP"}, {MX_CFN, "RES"}, {MX_NFN, "top.nod"}, {MX_CEC, "END"}, {MX_WR2, "mx.log"}};
    for (auto& m : more) slots.push_back(m);
    return Fresh(slots, 1);
  }
};

bool Has(const Rec& r, const std::string& s) { return std::find(r.lines.begin(), r.lines.end(), s) != r.lines.end(); }

TEST_F(MxRunFx, RoutesNodesWithTheirPins) {
  Drawing();
  Write("top.nod", "[TOP]\nA:1\n M1.1  M2.1 \nB:2\n M1.2 \n::\n");
  auto st = Setup();
  ASSERT_EQ(MxRun(*st), 1) << ::testing::PrintToString(HostRecordTexts());
  Rec r = ReadBack("RES.tlc");
  ASSERT_TRUE(r.there);
  // A on track 1 (y 8) between its pins, label and number at its left end.
  EXPECT_TRUE(Has(r, "P 49 3 0 8 100 8"));
  EXPECT_TRUE(Has(r, "T 4 A 0 8"));
  EXPECT_TRUE(Has(r, "T 5 1 0 8"));
  EXPECT_TRUE(Has(r, "P 51 3 0 10 0 8"));
  EXPECT_TRUE(Has(r, "P 51 3 100 10 100 8"));
  EXPECT_TRUE(Has(r, "C END 0 8"));
  EXPECT_TRUE(Has(r, "C END 100 8"));
  // B has one pin: no node bus line, but its connector bus, end, label and number.
  EXPECT_TRUE(Has(r, "P 51 3 20 10 20 16"));
  EXPECT_TRUE(Has(r, "C END 20 16"));
  EXPECT_TRUE(Has(r, "T 4 B 20 16"));
  EXPECT_TRUE(Has(r, "T 5 2 20 16"));
  for (const std::string& l : r.lines) EXPECT_NE(l.rfind("P 49 3 20 16", 0), 0u) << l;
  EXPECT_EQ(st->nodeBuses, 2);
  EXPECT_EQ(st->connBuses, 3);
  EXPECT_EQ(st->connEnds, 2);
  EXPECT_EQ(st->labels, 2);
  EXPECT_STREQ(r.hdr.name, "RES");
  EXPECT_EQ(r.hdr.rank, 2);
  EXPECT_EQ(r.hdr.nc, 2 + 3);
  EXPECT_EQ(r.hdr.np, 4 + 2 + 4);  // paths (1 + 3), copied texts 2, labels and numbers 4
  // The extent drawn: the placed cells, the ends (+-2 about their places) and
  // the buses' half widths.
  EXPECT_EQ(r.hdr.l, -2);
  EXPECT_EQ(r.hdr.b, 0);
  EXPECT_EQ(r.hdr.r, 120);
  EXPECT_EQ(r.hdr.t, 18);
  char text[SAT_TEXT_SIZE];
  MxResultText(*st, 1, text, sizeof text);
  EXPECT_EQ(std::string(text),
            "Res.tlc Completed\n\n2 Node Buses\n3 Connector Buses\n2 Connector Ends\n2 Node Labels\n\nUse Import to "
            "Register Cell in Drawing");
}

TEST_F(MxRunFx, VerticalBoxesNegativePitch) {
  Drawing();
  Write("top.nod", "[TOP]\nA:0\n M1.1  M1.2 \n::\n");
  auto st = Setup({{MX_HOR, "N"}, {MX_BOX, "Y"}, {MX_POS, "N"}, {MX_TXT, "N"}});
  ASSERT_EQ(MxRun(*st), 1);
  Rec r = ReadBack("RES.tlc");
  // Both pins have y 10: the bus along y is a point, so no node bus; the
  // connector buses run left to track 1 at x = -8.
  EXPECT_TRUE(Has(r, "B 51 -8 9 0 11"));
  EXPECT_TRUE(Has(r, "B 51 -8 9 20 11"));
  EXPECT_TRUE(Has(r, "C END -8 10"));
}

TEST_F(MxRunFx, ExtendAndStep) {
  Drawing();
  Write("top.nod", "[TOP]\nA:1\n M1.1 \nB:2\n M1.2 \nC:3\n M2.1 \n::\n");
  auto st = Setup({{MX_EXB, "Y"}, {MX_STP, "Y"}, {MX_CBS, "4"}});
  ASSERT_EQ(MxRun(*st), 1);
  Rec r = ReadBack("RES.tlc");
  // L = 0, p = 4: low ends at -8, then each connected bus p further left.
  EXPECT_TRUE(Has(r, "P 49 3 -8 8 0 8"));
  EXPECT_TRUE(Has(r, "P 49 3 -12 16 20 16"));
  EXPECT_TRUE(Has(r, "P 49 3 -16 24 100 24"));
  EXPECT_TRUE(Has(r, "C END -16 24"));
}

TEST_F(MxRunFx, LeftOutNodesAreLoggedAndTheRunSaysSo) {
  Drawing();
  Write("top.nod", "[TOP]\n?:0\n M1.1  M2.1 \nC:0\n M1.0 \nA:0\n M1.2  M2.2 \n::\n");
  auto st = Setup();
  ASSERT_EQ(MxRun(*st), 1);
  LogClose();
  std::string logName;
  for (auto& e : std::filesystem::directory_iterator(dir))
    if (SatStricmp(e.path().filename().c_str(), "mx.log") == 0) logName = e.path().string();
  std::ifstream f(logName);
  std::string log((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(log.find("Node ? Left Unrouted"), std::string::npos) << log;
  EXPECT_NE(log.find("Node C Matched No Connector ... No Bus Made"), std::string::npos) << log;
  Rec r = ReadBack("RES.tlc");
  EXPECT_FALSE(Has(r, "T 4 ? 0 8"));
  EXPECT_TRUE(Has(r, "P 49 3 20 8 120 8"));  // A on the first track
  char text[SAT_TEXT_SIZE];
  MxResultText(*st, 1, text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("Res.tlc Written", 0), 0u) << text;
  EXPECT_NE(std::string(text).find("2 Items Left Out"), std::string::npos);
}

TEST_F(MxRunFx, FailuresLeaveNoResult) {
  struct Case {
    const char* what;
    bool secondText;
    std::vector<std::pair<int, const char*>> slots;
    std::string extraCrf;
    const char* message;
  };
  const Case cases[] = {
      {"a placed cell without device text", false, {}, "", "No Device Text on Cell DEV"},
      {"the result named like the original", true, {{MX_CFN, "top"}}, "",
       "Connected Cell has the Same Name as the Original Cell ... Can't Continue"},
      {"the result named like the end cell", true, {{MX_CFN, "End"}}, "",
       "Connected Cell has the Same Name as the Connector End Cell ... Can't Continue"},
      {"the result named like a placed cell", true, {{MX_CFN, "dev"}, {MX_CLN, "TOP"}}, "",
       "Connected Cell DEV is Placed in TOP ... Can't Continue"},
      {"a log named like a cell file", true, {{MX_WR2, "RES.tlc"}}, "",
       "Log File Name Stands for a Drawing File ... Not Allowed"},
      {"a missing node file", true, {{MX_NFN, "none.nod"}}, "", "Node File None.nod is Missing ... Can't Continue"},
  };
  for (const Case& c : cases) {
    HostRecordInstall().answers.push_back(HOST_IDYES);
    CellInfoReset();
    Drawing(c.secondText, c.extraCrf);
    Write("top.nod", "[TOP]\nA:1\n M1.1 \n::\n");
    std::string oldName = std::string(c.slots.empty() || c.slots[0].first != MX_CFN ? "RES" : "Dev") + ".tlc";
    Write("RES.tlc", "old\n");
    auto st = Setup(c.slots);
    EXPECT_EQ(MxRun(*st), 0) << c.what;
    auto texts = HostRecordTexts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), c.message), texts.end())
        << c.what << ": " << ::testing::PrintToString(texts);
    std::ifstream f(dir + "/RES.tlc");
    std::string kept((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(kept, "old\n") << c.what;
    for (auto& e : std::filesystem::directory_iterator(dir))
      EXPECT_NE(e.path().extension(), ".tmp") << c.what;
    char text[SAT_TEXT_SIZE];
    MxResultText(*st, 0, text, sizeof text);
    EXPECT_STREQ(text, "Aborted ... File may be Incomplete");
    LogClose();
  }
}

TEST_F(MxRunFx, MorePlacedCellsThanTheTableHoldsAreRefused) {
  Drawing();
  std::string top;
  for (int i = 0; i <= MX_MAX_CELLS; ++i) top += "<C>\nDEV\n0 " + std::to_string(30 * i) + " 0 0\n</C>\n";
  Write("TOP.tlc", top);
  Write("top.nod", "[TOP]\nA:1\n M1.1 \n::\n");
  auto st = Setup();
  EXPECT_EQ(MxRun(*st), 0);
  auto texts = HostRecordTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0], "Too Many Placed Cells in TOP ... the Limit is 1024");
  EXPECT_FALSE(ReadBack("RES.tlc").there);
}

TEST_F(MxRunFx, ConnectorTextAbove255IsAWarningNamingIt) {
  Drawing();
  Write("DEV.tlc", "<T>\n5 1 2 0\n0 10\n<![CDATA[1]]>\n</T>\n<T>\n5 1 2 0\n5 10\n<![CDATA[C300]]>\n</T>\n");
  Write("top.nod", "[TOP]\nA:0\n M1.1  M2.1 \n::\n");
  auto st = Setup();
  ASSERT_EQ(MxRun(*st), 1);
  auto texts = HostRecordTexts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts[0], "Connector Text \"C300\" on Cell DEV is Numbered Above 255 ... Left Out");
}

}  // namespace
