#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "../../fixtures/circuit/ckt_fixture.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

struct Folder {
  std::string path;
  Folder() {
    char tmpl[] = "/tmp/ckt_drawing_XXXXXX";
    path = std::string(mkdtemp(tmpl)) + "/";
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

// Pins of the main cell after its extraction: (instance, sequence) -> name.
std::map<std::pair<int, int>, std::string> g_pins;
std::map<int, std::string> g_conns;

void Capture(CktState& st, int32_t, int isMain) {
  if (!isMain) return;
  g_pins.clear();
  g_conns.clear();
  for (int32_t i = 0; i < st.nodes.devCount; i++)
    g_pins[std::make_pair((int)st.nodes.dev[i].inst, (int)st.nodes.dev[i].seq)] = NodeName(st, st.nodes.dev[i].node);
  for (int32_t i = 0; i < st.nodes.connCount; i++) g_conns[st.nodes.conn[i].seq] = NodeName(st, st.nodes.conn[i].node);
}

std::string Pin(int inst, int seq) { return g_pins[std::make_pair(inst, seq)]; }

// Writes the drawing, reads its cell list and runs the extraction of TOP.
int RunTop(CktState& st, Engine& e, const cktfix::Drawing& d, const Folder& f, bool answerNo = true) {
  EXPECT_TRUE(d.Write(f.path));
  snprintf(st.store->folder, sizeof st.store->folder, "%s", f.path.c_str());
  EXPECT_EQ(CrfRead(st), 0);
  StandardTrace(st);
  if (answerNo) e.rec->answers.assign(200, HOST_IDNO);
  st.extract.cellDone = Capture;
  int r = ExtractRun(st, "TOP", (f.path + "QuilCkt.log").c_str());
  st.extract.cellDone = nullptr;
  return r;
}

const char* const kDiagnostics[] = {
    "has no Lower Device or Subcircuit Cells",  "has more than One Connector ",
    "has more than One Connector Sequence Number", "has Real Node Text",
    "on the Same Conductor Object",             "on the Same Connector at",
    "on an Unknown Node",                       "on the Same Node ",
    " is Open",                                 "Shorted by the Same Connector Sequence Number",
};

int Diagnostics(const Engine& e) {
  int n = 0;
  for (const char* d : kDiagnostics) n += e.Count(d);
  return n;
}

TEST(CktExtract, InverterArrayGivesCleanNodes) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  ASSERT_EQ(RunTop(st, e, cktfix::InverterArray(2), f), 1);
  EXPECT_EQ(Diagnostics(e), 0);
  EXPECT_EQ(st.run.errCount, 0);
  ASSERT_EQ(g_pins.size(), 16u);
  for (int i = 1; i <= 4; i++) {
    EXPECT_EQ(Pin(i, 3), "VDD") << i;
    EXPECT_EQ(Pin(i, 4), "GND") << i;
    EXPECT_EQ(Pin(i, 1).substr(0, 2), "vn") << i;
    EXPECT_NE(Pin(i, 1), Pin(i, 2)) << i;
    for (int j = i + 1; j <= 4; j++) EXPECT_NE(Pin(i, 2), Pin(j, 2));
  }
  std::string log;
  FILE* fp = fopen((f.path + "QuilCkt.log").c_str(), "r");
  ASSERT_NE(fp, nullptr);
  char buf[512];
  while (fgets(buf, sizeof buf, fp)) log += buf;
  fclose(fp);
  EXPECT_NE(log.find("*** Compile Log for TOP"), std::string::npos);
  EXPECT_NE(log.find("*** Compiling INV ***"), std::string::npos);
  EXPECT_NE(log.find("Extraction Finished ... 0 Warnings  0 Errors"), std::string::npos);
}

TEST(CktExtract, InverterChainJoinsEachOutputToTheNextInput) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  ASSERT_EQ(RunTop(st, e, cktfix::InverterChain(4), f), 1);
  EXPECT_EQ(Diagnostics(e), 0);
  for (int i = 1; i < 4; i++) EXPECT_EQ(Pin(i, 2), Pin(i + 1, 1)) << i;
  EXPECT_NE(Pin(1, 1), Pin(1, 2));
  EXPECT_EQ(Pin(4, 3), "VDD");
}

// Builders of one fixture per diagnostic: TOP holds what provokes it.
using Build = void (*)(cktfix::Drawing&);

void Transistor(cktfix::Drawing& d) { cktfix::AddTransistor(d, "NMOS"); }

struct DiagCase {
  const char* message;
  Build build;
};

const DiagCase kCases[] = {
    {"TOP (2) has no Lower Device or Subcircuit Cells", [](cktfix::Drawing& d) {
       d.Add("BLOB", 1, 0, 0, 10, 10).Box(7, 0, 0, 10, 10);
       d.Add("TOP", 2, 0, 0, 10, 10).Inst("BLOB", 0, 0, 0);
     }},
    {"Cell DUP in TOP has more than One Connector 3", [](cktfix::Drawing& d) {
       d.Add("DUP", 1, 0, 0, 20, 10).Box(7, 0, 0, 20, 10).Text(11, 2, 5, "3").Text(11, 18, 5, "3");
       d.Add("TOP", 2, 0, 0, 20, 10).Inst("DUP", 0, 0, 0);
     }},
    {"Cell TOP has more than One Connector Sequence Number 5", [](cktfix::Drawing& d) {
       Transistor(d);
       d.Add("TOP", 2, 0, 0, 100, 100).Inst("NMOS", 0, 0, 0).Box(7, 50, 50, 60, 60).Box(7, 70, 50, 80, 60)
           .Text(11, 55, 55, "5").Text(11, 75, 55, "5");
     }},
    {"Cell TOP has Real Node Text \"A\" and \"B\" on the Same Node", [](cktfix::Drawing& d) {
       Transistor(d);
       d.Add("TOP", 2, 0, 0, 100, 100).Inst("NMOS", 0, 0, 0).Box(7, 50, 50, 60, 60).Box(7, 60, 50, 70, 60)
           .Text(10, 55, 55, "A").Text(10, 65, 55, "B");
     }},
    {"Cell TOP has Node Text \"B\" and \"A\" on the Same Conductor Object", [](cktfix::Drawing& d) {
       Transistor(d);
       d.Add("TOP", 2, 0, 0, 100, 100).Inst("NMOS", 0, 0, 0).Box(7, 50, 50, 70, 60)
           .Text(10, 55, 55, "A").Text(10, 65, 55, "B");
     }},
    {"Cell DEV has Node Names \"M\" and \"P\" on the Same Connector", [](cktfix::Drawing& d) {
       d.Add("DEV", 1, 0, 0, 20, 10).Box(7, 0, 0, 20, 10).Box(5, 0, 0, 10, 10).Text(11, 5, 5, "1").Text(11, 15, 5, "2");
       d.Add("TOP", 2, 0, 0, 20, 10).Inst("DEV", 0, 0, 0).Text(10, 1, 1, "M;7").Text(10, 2, 2, "P;5");
     }},
    {"Cell TOP has Connector 1 at X=0.09 Y=0.09 on an Unknown Node ?", [](cktfix::Drawing& d) {
       Transistor(d);
       d.Add("TOP", 2, 0, 0, 100, 100).Inst("NMOS", 0, 0, 0).Text(11, 90, 90, "1");
     }},
    {"Cell TOP has Connectors 1 at X=0.052 Y=0.055 and 2 at X=0.058 Y=0.055 on the Same Node", [](cktfix::Drawing& d) {
       Transistor(d);
       d.Add("TOP", 2, 0, 0, 100, 100).Inst("NMOS", 0, 0, 0).Box(7, 50, 50, 60, 60)
           .Text(11, 52, 55, "1").Text(11, 58, 55, "2");
     }},
    {"Connector 1 on OPEN at X=0.05 Y=0.05 is Open", [](cktfix::Drawing& d) {
       d.Add("OPEN", 1, 0, 0, 10, 10).Box(7, 0, 0, 10, 10).Text(11, 50, 50, "1").Text(11, 5, 5, "2");
       d.Add("TOP", 2, 0, 0, 60, 60).Inst("OPEN", 0, 0, 0);
     }},
    {"Cell SHORT has Nodes vn1 and vn2 Shorted by the Same Connector Sequence Number 3", [](cktfix::Drawing& d) {
       d.Add("SHORT", 1, 0, 0, 40, 10).Box(7, 0, 0, 10, 10).Box(7, 30, 0, 40, 10).Text(11, 5, 5, "3").Text(11, 35, 5, "3");
       d.Add("TOP", 2, 0, 0, 40, 10).Inst("SHORT", 0, 0, 0);
     }},
};

TEST(CktExtract, EachDiagnosticFiresOnceOnItsOwnDrawing) {
  for (const DiagCase& c : kCases) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d;
    c.build(d);
    // The real-name clash is raised at every comparison; answering Yes
    // stops the run at the first.
    bool stopAtFirst = strstr(c.message, "Real Node Text") != nullptr;
    RunTop(st, e, d, f, !stopAtFirst);
    EXPECT_EQ(e.Count(c.message), 1) << c.message;
    EXPECT_GE(st.run.errCount, 1) << c.message;
  }
}

TEST(CktExtract, NoDiagnosticOnTheInverterDrawings) {
  for (int chain = 0; chain < 2; chain++) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    RunTop(st, e, chain ? cktfix::InverterChain(3) : cktfix::InverterArray(3), f);
    EXPECT_EQ(Diagnostics(e), 0) << chain;
    EXPECT_EQ(st.run.errCount, 0) << chain;
  }
}

TEST(CktExtract, RunFailuresAreReported) {
  {
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d = cktfix::InverterArray(1);
    ASSERT_TRUE(d.Write(f.path));
    snprintf(st.store->folder, sizeof st.store->folder, "%s", f.path.c_str());
    CrfRead(st);
    EXPECT_EQ(ExtractRun(st, "NAND", nullptr), 0);
    EXPECT_EQ(e.Count("Cell NAND is Missing ... Can't Continue"), 1);
    EXPECT_STREQ(st.set.val[GRP_MAIN][S_CFN], "?");
    EXPECT_EQ(ExtractRun(st, "NMOS", nullptr), 0);
    EXPECT_EQ(e.Count("No Lower Cells in Main Cell"), 1);
  }
  {
    // A broken record in a lower cell is an error of the run; read while
    // flattening it stops the run.
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d = cktfix::InverterArray(1);
    d.Get("INV").body += "<B>\n7 0 0\n</B>\n";
    EXPECT_EQ(RunTop(st, e, d, f), 0);
    EXPECT_GE(e.Count("Box Record Read Error"), 1);
    EXPECT_GE(st.run.errCount, 1);
  }
}

TEST(CktExtract, ABoxLimitHitInOneRunDoesNotDropBoxesOfTheNext) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  ASSERT_TRUE(cktfix::InverterArray(1).Write(f.path));
  snprintf(st.store->folder, sizeof st.store->folder, "%s", f.path.c_str());
  CrfRead(st);
  StandardTrace(st);
  st.store->bLim = 1;  // left over from an earlier run
  st.extract.cellDone = Capture;
  EXPECT_EQ(ExtractRun(st, "TOP", nullptr), 1);
  st.extract.cellDone = nullptr;
  EXPECT_EQ(Pin(1, 3), "VDD");
  EXPECT_GT(st.store->nb, 10);
}

}  // namespace

namespace {

// The bundled sample drawing, extracted with its own settings file: the
// chain of three inverters joins each output to the next input, the rails
// reach every inverter through the metal 2 straps, and nothing is reported.
TEST(CktExtract, SampleDrawing) {
  const char* src = getenv("QUIL_SOURCE");
  std::string folder = std::string(src ? src : "../..") + "/samples/demo/";
  ASSERT_TRUE(std::filesystem::exists(folder + "QUIL7.CRF")) << "no sample drawing at " << folder;
  Engine e;
  CktState& st = e.st;
  snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
  ASSERT_EQ(CrfRead(st), 0);
  ASSERT_EQ(UsfRead(st, (folder + "QuilCkt.usf").c_str()), 1);
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_CFN], "TOP");
  st.extract.cellDone = Capture;
  EXPECT_EQ(ExtractRun(st, "TOP", nullptr), 1);
  st.extract.cellDone = nullptr;
  EXPECT_EQ(Diagnostics(e), 0);
  EXPECT_EQ(st.run.errCount, 0);
  EXPECT_TRUE(e.rec->messages.empty()) << e.rec->messages.front().text;
  // Pins of the three inverters: 1 IN, 2 OUT, 3 VDD, 4 VSS.
  EXPECT_EQ(Pin(1, 1), "IN");
  EXPECT_EQ(Pin(3, 2), "OUT");
  for (int k = 1; k <= 3; k++) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Pin(k, 3), "VDD");
    EXPECT_EQ(Pin(k, 4), "VSS");
  }
  EXPECT_EQ(Pin(1, 2).rfind("vn", 0), 0u) << Pin(1, 2);
  EXPECT_EQ(Pin(2, 2).rfind("vn", 0), 0u) << Pin(2, 2);
  EXPECT_EQ(Pin(1, 2), Pin(2, 1));
  EXPECT_EQ(Pin(2, 2), Pin(3, 1));
  EXPECT_NE(Pin(1, 2), Pin(2, 2));
  EXPECT_EQ(g_pins.size(), 12u);
}

}  // namespace

// An instance of a cell missing from the cell list has no objects of its
// own: it must not be given the connectors of whatever cell was read before
// it (they were reported as open pins of a cell with a blank name).
TEST(CktExtract, AnUnlistedCellBringsNoConnectors) {
  const bool ghostFirst[] = {false, true};
  for (bool first : ghostFirst) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d;
    cktfix::AddTransistor(d, "NMOS");
    cktfix::Cell& top = d.Add("TOP", 2, 0, 0, 200, 100);
    if (first) top.Inst("GHOST", 0, 100, 0);
    top.Inst("NMOS", 0, 0, 0);
    if (!first) top.Inst("GHOST", 0, 100, 0);
    RunTop(st, e, d, f);
    EXPECT_EQ(e.Count(" on  at "), 0) << first;
    EXPECT_EQ(e.Count(" is Open"), 0) << first;
    int nmos = first ? 2 : 1;
    ASSERT_EQ(g_pins.size(), 3u) << first;
    for (const auto& pin : g_pins) EXPECT_EQ(pin.first.first, nmos) << first;
  }
}
