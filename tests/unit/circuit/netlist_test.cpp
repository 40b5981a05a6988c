// Compile of whole hierarchies into the circuit file, the node list file
// and the log, checked against hand-checked files and by outside tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <regex>
#include <sstream>
#include <string>

#include "ckt_compile.h"
#include "ckt_outside.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;
namespace fs = std::filesystem;

std::string Source() {
  const char* src = getenv("QUIL_SOURCE");
  return src ? src : "../..";
}
std::string Fixture() { return Source() + "/tests/fixtures/circuit/netlist/"; }
std::string Expected() { return Source() + "/tests/fixtures/circuit/netlist_expected/"; }

void WriteAll(const std::string& path, const std::string& s) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  fwrite(s.data(), 1, s.size(), f);
  fclose(f);
}

// Dates, times and the compile time of a run differ from run to run.
std::string Mask(std::string s) {
  s = std::regex_replace(s, std::regex("\r"), "");
  s = std::regex_replace(s, std::regex("[0-9][0-9]/[0-9][0-9]/[0-9][0-9]"), "MM/DD/YY");
  s = std::regex_replace(s, std::regex("[0-9][0-9]:[0-9][0-9]:[0-9][0-9]"), "HH:MM:SS");
  s = std::regex_replace(s, std::regex("Final Compile Time: [0-9]+ hr [0-9]+ min [0-9]+ sec"),
                         "Final Compile Time: T");
  return s;
}

// A copy of the fixture drawing, compiled with its own settings.
struct Compiled {
  std::string folder;
  int result = -1;
  std::string cir, nod, log;
  explicit Compiled(CktState& st, const char* cell, void (*tweak)(CktState&) = nullptr, void (*edit)(const std::string&) = nullptr) {
    char tmpl[] = "/tmp/ckt_netlist_XXXXXX";
    folder = std::string(mkdtemp(tmpl)) + "/";
    for (const auto& e : fs::directory_iterator(Fixture()))
      if (e.is_regular_file()) fs::copy_file(e.path(), folder + e.path().filename().string());
    if (edit) edit(folder);
    snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
    EXPECT_EQ(CrfRead(st), 0);
    UsfRead(st, (folder + "QuilCkt.usf").c_str());
    SetValue(st, GRP_MAIN, S_CFN, cell);
    if (tweak) tweak(st);
    for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
    CompileReset(st);
    result = CompileRun(st);
    CompileFinish(st, result, 1);
    cir = ReadAll(folder + cell + ".cir");
    nod = ReadAll(folder + cell + ".nod");
    log = ReadAll(folder + st.set.val[GRP_MAIN][S_WR2]);
  }
  ~Compiled() { fs::remove_all(folder); }
};

// Each file equals its hand-checked copy; QUIL_UPDATE_EXPECTED=1 writes
// the copies anew (to be read through before they are committed).
void Golden(const std::string& name, const std::string& text) {
  std::string path = Expected() + name;
  if (getenv("QUIL_UPDATE_EXPECTED")) WriteAll(path, Mask(text));
  EXPECT_EQ(Mask(text), ReadAll(path)) << name;
}

TEST(CktNetlist, CompilesToTheHandCheckedFiles) {
  for (const char* cell : {"INV", "NAND2", "CHAIN3"}) {
    SCOPED_TRACE(cell);
    Engine e;
    CktState& st = e.st;
    Compiled c(st, cell);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(st.run.errCount, 0);
    EXPECT_TRUE(e.rec->messages.empty()) << e.rec->messages.front().text;
    Golden(std::string(cell) + ".cir", c.cir);
    Golden(std::string(cell) + ".nod", c.nod);
    Golden(std::string(cell) + ".log", c.log);
  }
}

// The extracted netlists simulate: an inverter and an odd chain invert, an
// even chain does not. Models and supplies come from the header file, the
// sweep from the footer file.
TEST(CktNetlist, NgspiceSimulatesTheExtractedCircuits) {
  if (!Have("ngspice")) GTEST_SKIP() << "ngspice is not installed";
  const double vdd = 3.3;
  struct Case {
    const char* cell;
    bool inverts;
  } cases[] = {{"INV", true}, {"CHAIN3", true}, {"CHAIN2", false}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cell);
    Engine e;
    CktState& st = e.st;
    Compiled c(st, k.cell);
    ASSERT_EQ(c.result, 1);
    int rc;
    std::string out = Shell("cd " + c.folder + " && timeout 60 ngspice -b " + k.cell + ".cir", &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    std::map<int, double> v = DcTable(out);
    ASSERT_EQ(v.size(), 34u) << out;
    double low = v[0], high = v[33];
    if (k.inverts) {
      EXPECT_GT(low, 0.9 * vdd);
      EXPECT_LT(high, 0.1 * vdd);
    } else {
      EXPECT_LT(low, 0.1 * vdd);
      EXPECT_GT(high, 0.9 * vdd);
    }
  }
}

// The inverter subcircuit extracted from the chain matches a hand-written
// netlist in netgen's compare; a reference with gate and drain swapped
// does not.
// The chain with ground capacitors on its own wires in each unit: the
// simulator reads every capacitor line without a warning, one value written
// in pF, fF and aF gives one output edge, and a larger coefficient makes the
// edge come later.
struct CapRun {
  const char* unit;
  const char* area;  // per square micron, in the unit
};
CapRun g_capRun;

void CapTranTweak(CktState& st) {
  SetValue(st, GRP_MAIN, S_HFN, "tran.hdr");
  SetValue(st, GRP_MAIN, S_FFN, "tran.ftr");
  SetValue(st, GRP_CAP, 0, g_capRun.unit);
  SetValue(st, GRP_CAP, 1, "1");
  SetValue(st, GRP_CAP, 2, "7");
  SetValue(st, GRP_CAP, 18, "0");
  SetValue(st, GRP_CAP, 34, g_capRun.area);
}

void CapTranFiles(const std::string& folder) {
  WriteAll(folder + "tran.hdr",
           ".MODEL NMOD NMOS (LEVEL=1 VTO=0.7 KP=110U LAMBDA=0.04)\n"
           ".MODEL PMOD PMOS (LEVEL=1 VTO=-0.7 KP=50U LAMBDA=0.05)\n"
           "VDD VDD 0 DC 3.3\nVSS VSS 0 DC 0\nVIN IN 0 PULSE(0 3.3 1N 0.1N 0.1N 300N 600N)\n");
  WriteAll(folder + "tran.ftr", ".TRAN 0.1N 150N\n.PRINT TRAN V(OUT)\n");
}

// The first time after the input's rise at which the output falls through
// half the supply; -1 when it never does.
double FallTime(const std::string& out) {
  std::regex row("^[0-9]+\\t([-+0-9.e]+)\\t([-+0-9.e]+)");
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    std::smatch m;
    if (std::regex_search(line, m, row) && std::stod(m[1]) > 1e-9 && std::stod(m[2]) < 1.65) return std::stod(m[1]);
    start = end + 1;
  }
  return -1;
}

TEST(CktNetlist, NgspiceRunsTheCapacitorsOfEachUnit) {
  if (!Have("ngspice")) GTEST_SKIP() << "ngspice is not installed";
  const CapRun runs[] = {{"pF", "200"}, {"fF", "2e5"}, {"aF", "2e8"}, {"pF", "2000"}};
  double edge[4];
  for (int i = 0; i < 4; i++) {
    SCOPED_TRACE(runs[i].unit);
    g_capRun = runs[i];
    Engine e;
    CktState& st = e.st;
    Compiled c(st, "CHAIN3", CapTranTweak, CapTranFiles);
    ASSERT_EQ(c.result, 1);
    EXPECT_NE(c.cir.find("\nC_vn1 vn1 0 "), std::string::npos) << c.cir;
    int rc;
    std::string out = Shell("cd " + c.folder + " && timeout 60 ngspice -b CHAIN3.cir", &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("arning"), std::string::npos) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    edge[i] = FallTime(out);
    ASSERT_GT(edge[i], 0) << c.cir << out;
  }
  EXPECT_NEAR(edge[1], edge[0], edge[0] * 0.01);
  EXPECT_NEAR(edge[2], edge[0], edge[0] * 0.01);
  EXPECT_GT(edge[3], edge[0] * 1.5);
}

// Capacitors and the antenna table as the CAP and ANT dialogs set them in
// the program's own test: the files are the program's reference.
void CapAntTweak(CktState& st) {
  SetValue(st, GRP_CAP, 0, "fF");
  SetValue(st, GRP_CAP, 1, "3");
  SetValue(st, GRP_CAP, 2, "7");
  SetValue(st, GRP_CAP, 18, "0");
  SetValue(st, GRP_CAP, 34, "200");
  SetValue(st, GRP_CAP, 50, "0.5");
  const char* ant[] = {"Y", "N", "2", "5", "7"};
  for (int i = 0; i < 5; i++) SetValue(st, GRP_ANT, i, ant[i]);
  SetValue(st, GRP_ANT, 11, "0.5");
  SetValue(st, GRP_ANT, 12, "2");
}

TEST(CktNetlist, CapacitorsAndAntennaTableOfTheChain) {
  Engine e;
  CktState& st = e.st;
  Compiled c(st, "CHAIN3", CapAntTweak);
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(st.run.errCount, 0);
  EXPECT_NE(c.cir.find("\nC_vn1 vn1 0 "), std::string::npos) << c.cir;
  EXPECT_NE(c.log.find("Antenna (Surface) Areas:"), std::string::npos) << c.log;
  EXPECT_EQ(st.compile.ant, nullptr);  // released with the run
  Golden("CHAIN3_capant.cir", c.cir);
  Golden("CHAIN3_capant.log", c.log);
}

// Connector scripts of the chain (every cell, the main cell too) read back
// in the Spice pass give the circuit and node list of the same drawing with
// the scripts' texts saved into its cells and no scripts asked for.
void ScriptsTweak(CktState& st) {
  SetValue(st, GRP_MAIN, S_WAR, "Y");
  SetValue(st, GRP_MAIN, S_WAV, "Y");
  SetValue(st, GRP_MAIN, S_WMC, "Y");
}

std::string g_scripts;  // folder of the first compile, read by the second

std::string Folded(std::string s) {
  for (char& c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// Each "text x y n" line as a connector text of the cell's file.
void ScriptsSaved(const std::string& folder) {
  for (const char* cell : {"INV", "CHAIN3"}) {
    std::string script = ReadAll(g_scripts + Folded(cell) + "_ctxt.txt");
    ASSERT_FALSE(script.empty()) << cell;
    std::string records;
    std::istringstream in(script);
    std::string word;
    double x, y;
    std::string n;
    while (in >> word) {
      if (word == "tlyr") {
        in >> word;
        continue;
      }
      in >> x >> y >> n;
      records += "<T>\n12 2 2 0\n" + std::to_string(lround(x * 1000)) + " " + std::to_string(lround(y * 1000)) +
                 "\n<![CDATA[" + n + "]]>\n</T>\n";
    }
    std::string path = folder + cell + ".tlc";
    std::string tlc = ReadAll(path);
    size_t end = tlc.rfind("</TLC>");
    ASSERT_NE(end, std::string::npos);
    WriteAll(path, tlc.substr(0, end) + records + tlc.substr(end));
  }
}

TEST(CktNetlist, ConnectorScriptsReadBackAsIfSaved) {
  Engine e1;
  Compiled scripted(e1.st, "CHAIN3", ScriptsTweak);
  ASSERT_EQ(scripted.result, 1);
  EXPECT_NE(scripted.log.find("Writing Connector Script File chain3_ctxt.txt"), std::string::npos) << scripted.log;
  g_scripts = scripted.folder;
  Engine e2;
  Compiled saved(e2.st, "CHAIN3", nullptr, ScriptsSaved);
  ASSERT_EQ(saved.result, 1);
  EXPECT_EQ(Mask(scripted.cir), Mask(saved.cir));
  EXPECT_EQ(Mask(scripted.nod), Mask(saved.nod));
  // The chain's own nodes got connectors: its node lines carry numbers.
  EXPECT_NE(saved.nod.find("\nvn1:"), std::string::npos) << saved.nod;
  EXPECT_EQ(saved.nod.find("\nvn1:0\n"), std::string::npos) << saved.nod;
}

TEST(CktNetlist, NetgenMatchesTheExtractedInverter) {
  if (!Have("netgen-lvs")) GTEST_SKIP() << "netgen-lvs is not installed";
  Engine e;
  CktState& st = e.st;
  Compiled c(st, "CHAIN3");
  ASSERT_EQ(c.result, 1);
  std::string ref = Expected() + "inv_ref.sp";
  WriteAll(c.folder + "bad_ref.sp", std::regex_replace(ReadAll(ref), std::regex("MN1 OUT IN"), "MN1 IN OUT"));
  struct Case {
    std::string ref;
    bool match;
  } cases[] = {{ref, true}, {c.folder + "bad_ref.sp", false}};
  for (const Case& k : cases) {
    int rc;
    std::string out = Shell("cd " + c.folder + " && timeout 120 netgen-lvs -batch lvs \"CHAIN3.cir INV\" \"" + k.ref +
                              " INV\" /dev/null comp.out",
                          &rc);
    std::string comp = ReadAll(c.folder + "comp.out");
    bool matched = out.find("Circuits match uniquely.") != std::string::npos;
    EXPECT_EQ(matched, k.match) << out << comp;
    if (k.match) {
      EXPECT_NE(comp.find("Circuits match uniquely."), std::string::npos) << comp;
    }
  }
}

}  // namespace

namespace {

// Replaces text in one file of the copied drawing.
void Replace(const std::string& path, const std::string& from, const std::string& to) {
  std::string s = ReadAll(path);
  size_t at = s.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  s.replace(at, from.size(), to);
  WriteAll(path, s);
}

int Seen(const Engine& e, const char* part) { return e.Count(part); }

TEST(CktNetlist, LinesWrapAtColumnHundred) {
  struct Case {
    int column, len, result;
    const char* written;
  } cases[] = {
      {60, 40, 100, ""},      // exactly at the limit stays on the line
      {60, 41, 41, "\n+"},    // past it: a continuation line
      {100, 1, 0, "\n"},      // a lone newline piece ends the line plainly
      {0, 100, 100, ""},
  };
  Engine e;
  CktState& st = e.st;
  char tmpl[] = "/tmp/ckt_wrap_XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  for (const Case& k : cases) {
    st.compile.cir = QFile(fdopen(dup(fd), "w+"));
    ASSERT_TRUE(st.compile.cir);
    st.compile.scriptPass = 0;
    EXPECT_EQ(CktWrap(st, k.column, k.len), k.result);
    fflush(st.compile.cir.get());
    QFileClose(&st.compile.cir);
    std::string got = ReadAll(tmpl);
    EXPECT_EQ(got, k.written) << k.column << "+" << k.len;
    if (ftruncate(fd, 0) != 0) ADD_FAILURE();
    lseek(fd, 0, SEEK_SET);
  }
  close(fd);
  remove(tmpl);
}

// Long port names continue on "+" lines; the definition line is followed
// by one empty line.
TEST(CktNetlist, ALongPortListContinuesOnPlusLines) {
  Engine e;
  CktState& st = e.st;
  Compiled c(st, "INV", nullptr, [](const std::string& f) {
    const char* names[][2] = {{"[IN]]", "[INPUT_NODE_OF_THE_INVERTER_CELL_A]]"},
                              {"[OUT]]", "[OUTPUT_NODE_OF_THE_INVERTER_CELL_]]"},
                              {"[VDD]]", "[POSITIVE_SUPPLY_OF_THE_INVERTER__]]"},
                              {"[VSS]]", "[NEGATIVE_SUPPLY_OF_THE_INVERTER__]]"}};
    for (auto& n : names) Replace(f + "INV.tlc", std::string("<![CDATA") + n[0], std::string("<![CDATA") + n[1]);
  });
  EXPECT_EQ(c.result, 1);
  EXPECT_NE(c.cir.find("\n* INV INPUT_NODE_OF_THE_INVERTER_CELL_A OUTPUT_NODE_OF_THE_INVERTER_CELL_\n"
                       "+ POSITIVE_SUPPLY_OF_THE_INVERTER__ NEGATIVE_SUPPLY_OF_THE_INVERTER__\n\n"
                       "M1 OUTPUT_NODE_OF_THE_INVERTER_CELL_ INPUT_NODE_OF_THE_INVERTER_CELL_A\n"
                       "+ NEGATIVE_SUPPLY_OF_THE_INVERTER__ NEGATIVE_SUPPLY_OF_THE_INVERTER__ NMOD L=1u W=2u\n"),
            std::string::npos)
      << c.cir;
}

TEST(CktNetlist, AliasLookup) {
  char tmpl[] = "/tmp/ckt_paf_XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  close(fd);
  WriteAll(tmpl,
           "NMOS = <NMOD W=2u L=1u>\n"
           "Multi=<PMOD L=1u\n+ W=4u>\n"
           "Empty = <>\n"
           "A_VERY_LONG_ALIAS_NAME_THAT_RUNS_ON_AND_ON_AND_ON_PAST_ANY_BUFFER_THE_READER_KEEPS=<long>\n"
           "W = <width alias>\n");
  struct Case {
    const char* name;
    const char* path;
    const char* result;
  } cases[] = {
      {"nmos", tmpl, "NMOD W=2u L=1u"},            // names compare without case
      {"MULTI", tmpl, "PMOD L=1u\n+ W=4u"},       // newlines are kept
      {"Empty", tmpl, "?"},                        // an empty alias
      {"W", tmpl, "width alias"},                  // never "W=" inside another entry's brackets
      {"L", tmpl, "L"},                            // nor "L=": a missing alias is its own name
      {"PMOD", tmpl, "PMOD"},
      {"NMOS", "/nonexistent/aliases.paf", "NMOS"},  // a missing file is no error
      {"A_VERY_LONG_ALIAS_NAME_THAT_RUNS_ON_AND_ON_AND_ON_PAST_ANY_BUFFER_THE_READER_KEEPS", tmpl,
       "A_VERY_LONG_ALIAS_NAME_THAT_RUNS_ON_AND_ON_AND_ON_PAST_ANY_BUFFER_THE_READER_KEEPS"},
  };
  for (const Case& k : cases) EXPECT_STREQ(PafLookup(k.name, k.path), k.result) << k.name;
  remove(tmpl);
}

// A block of fewer than two entries is closed too, so the next block does
// not absorb it.
TEST(CktNetlist, NodeBlocksAreAlwaysClosed) {
  Engine e;
  CktState& st = e.st;
  NodesReset(st);
  CompileReset(st);
  char tmpl[] = "/tmp/ckt_nod_XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  st.compile.nod = QFile(fdopen(fd, "w"));
  st.nodes.devCount = 0;
  NodWrite(st, 1);
  st.nodes.dev[0] = CktDevice{1, 0, 0, 2, -3, 0};
  st.nodes.devCount = 1;
  NodWrite(st, 1);
  QFileClose(&st.compile.nod);
  EXPECT_EQ(ReadAll(tmpl), "\n::\n\nvn3:0\n ?.2 \n::\n");
  remove(tmpl);
}

TEST(CktNetlist, NamesSortWithoutCaseByteByByte) {
  Engine e;
  CktState& st = e.st;
  CompileReset(st);
  CompileRun(st);  // allocates the node list; no main cell, so it stops
  st.run.abortFlag = 0;
  int32_t dat = Text(st, L_NODE, 0, 0, "dat_"), Dat = Text(st, L_NODE, 0, 0, "Dat"), q1 = Text(st, L_NODE, 0, 0, "q1"),
          Q = Text(st, L_NODE, 0, 0, "Q"), Q_ = Text(st, L_NODE, 0, 0, "Q_");
  int32_t in[] = {-2, dat, -11, Q_, -1, q1, -10, Dat, Q};
  DeviceKeysForget(st);  // names of an earlier store are stale
  st.compile.nodeCount = 0;
  for (int32_t n : in) st.compile.nodeList[st.compile.nodeCount++] = n;
  EXPECT_EQ(SortNodeList(st), 0);
  std::string order;
  for (int32_t i = 0; i < st.compile.nodeCount; i++) order += std::string(NodeName(st, st.compile.nodeList[i])) + " ";
  EXPECT_EQ(order, "Dat dat_ Q q1 Q_ vn1 vn10 vn11 vn2 ");
}

// Which instance a device text belongs to.
TEST(CktNetlist, DeviceTextSelection) {
  struct Case {
    const char* what;
    int32_t x, y;
    const char* texts[4];  // of instances 1..3 and of the cell itself
  } cases[] = {
      {"inside one instance", 5, 5, {"T", "?", "?", ""}},
      {"on an edge of one", 0, 8, {"T", "?", "?", "T"}},  // edges are outside for the cell
      {"inside two that overlap", 12, 5, {"?", "?", "?", ""}},
      {"on an origin on a neighbour's edge", 10, 0, {"?", "T", "?", "T"}},
      {"outside all", 100, 100, {"?", "?", "?", "T"}},
      {"inside one enclosed by a big one", 45, 5, {"?", "?", "T", ""}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Engine e;
    CktState& st = e.st;
    CellTableAdd(st, "DEV", 1, 0, 0, 15, 10, 0, 0, 0, 0);
    CellTableAdd(st, "BIG", 1, 0, 0, 60, 30, 0, 0, 0, 0);
    CellTableAdd(st, "TOP", 2, 0, 0, 200, 200, 0, 0, 0, 3);
    TlcMakeC(st, 0, "DEV", 0, 0, 0, 0);    // 0..15 x 0..10
    TlcMakeC(st, 0, "DEV", 0, 10, 0, 0);   // 10..25: overlaps the first
    TlcMakeC(st, 0, "DEV", 0, 40, 0, 0);   // 40..55 x 0..10, inside the fourth
    TlcMakeC(st, 0, "BIG", 0, 30, -10, 0); // 30..90 x -10..20
    Text(st, L_NODE, k.x, k.y, "T");
    DeviceTextsForget(st);
    for (int i = 1; i <= 3; i++) EXPECT_STREQ(DeviceText(st, L_NODE, i, 4), k.texts[i - 1]) << i;
    EXPECT_STREQ(DeviceText(st, L_NODE, 0, 4), k.texts[3]);
    EXPECT_STREQ(DeviceText(st, L_NODE, -1, 4), "Lower Cell Number Error");
  }
}

// Parameter texts inside one instance join top first; one beginning with
// "+" starts a new line; without any the cell name stands as its alias.
TEST(CktNetlist, ParameterTextsJoinTopFirst) {
  Engine e;
  CktState& st = e.st;
  CellTableAdd(st, "DEV", 1, 0, 0, 20, 20, 0, 0, 0, 0);
  TlcMakeC(st, 0, "DEV", 0, 0, 0, 0);
  TlcMakeC(st, 0, "DEV", 0, 100, 0, 0);
  Text(st, L_NODE, 5, 5, "+ W=4u");
  Text(st, L_NODE, 5, 15, "PMOD");
  Text(st, L_NODE, 5, 10, " L=1u");
  DeviceTextsForget(st);
  EXPECT_STREQ(ParamText(st, L_NODE, 1, 2), "PMOD L=1u\n+ W=4u");
  EXPECT_STREQ(ParamText(st, L_NODE, 2, 2), "@DEV");
  EXPECT_STREQ(ParamText(st, L_NODE, 0, 2), "");
}

// Bad input: each is reported, counted and logged; the log ends with the
// outcome and the error count.
TEST(CktNetlist, BadInputIsReportedAndCounted) {
  struct Case {
    const char* what;
    const char* cell;
    void (*tweak)(CktState&);
    void (*edit)(const std::string&);
    std::vector<int> answers;
    int result;
    const char* message;
    int times;
    const char* logEnd;
  } cases[] = {
      {"a listed cell without its file", "INV", nullptr,
       [](const std::string& f) { fs::remove(f + "NMOS.tlc"); }, std::vector<int>(20, HOST_IDNO), 1,
       "Cell NMOS is in the Cell Reference File but its TLC File is Missing", 1, "Errors"},
      {"a blank in a node name", "INV", nullptr,
       [](const std::string& f) { Replace(f + "INV.tlc", "[OUT]]", "[MY OUT]]"); }, std::vector<int>(20, HOST_IDNO),
       1, "Node Name \"MY OUT\" in INV holds a Blank", 1, "0 Warnings  1 Errors"},
      {"a blank in a device text", "INV", nullptr,
       [](const std::string& f) { Replace(f + "INV.tlc", "[M1]]", "[M 1]]"); }, std::vector<int>(20, HOST_IDNO),
       1, "Device Text \"M 1\" in INV holds a Blank", 1, "0 Warnings  1 Errors"},
      {"an unreadable alias file", "INV", [](CktState& st) { SetValue(st, GRP_MAIN, S_PAF, "missing.paf"); }, nullptr,
       std::vector<int>(20, HOST_IDNO), 1, "There is a Possible Incorrect Parameter or Alias for Device Cell", 2,
       "0 Warnings  2 Errors"},
      {"a header file that is missing, cancelled", "INV", [](CktState& st) { SetValue(st, GRP_MAIN, S_HFN, "none.hdr"); }, nullptr,
       {HOST_IDCANCEL}, 0, "Header File is Missing ... Continue or Cancel", 1, "Aborted ... Files may be Incomplete"},
      {"a header file that is missing, continued", "INV", [](CktState& st) { SetValue(st, GRP_MAIN, S_HFN, "none.hdr"); }, nullptr,
       {HOST_IDOK}, 1, "Header File is Missing ... Continue or Cancel", 1, "0 Warnings  0 Errors"},
      {"a footer file that is missing", "INV", [](CktState& st) { SetValue(st, GRP_MAIN, S_FFN, "none.ftr"); }, nullptr,
       {HOST_IDCANCEL}, 0, "Footer File is Missing ... Continue or Cancel", 1, "Aborted ... Files may be Incomplete"},
      {"a subcircuit cell without connectors", "CHAIN3", nullptr,
       [](const std::string& f) {
         // The connector texts go to a layer the compile does not read.
         for (int i = 0; i < 4; i++) Replace(f + "INV.tlc", "<T>\n12 ", "<T>\n10 ");
       },
       std::vector<int>(20, HOST_IDNO), 1, "Definition Block has no Device or Subcircuit Lines", 1, "Errors"},
      {"a port on no conductor", "INV", nullptr,
       [](const std::string& f) { Replace(f + "INV.tlc", "15 20\n<![CDATA[1 IN]]>", "15 100\n<![CDATA[1 IN]]>"); },
       std::vector<int>(20, HOST_IDNO), 1, "Node Name 1 in INV Definition Line is Unknown", 1, "Errors"},
      {"pins on layers that are not traced", "INV",
       [](CktState& st) {
         SetValue(st, GRP_TRACE, 0, "5");
         SetValue(st, GRP_TRACE, 1, "9");
       },
       nullptr, std::vector<int>(40, HOST_IDNO), 1, "Node Name 3 in Device Line for NMOS in INV is Unknown", 1,
       "Errors"},
      {"a main cell without lower cells", "NMOS", nullptr, nullptr, {}, 0, "No Lower Cells in Main Cell", 1,
       "Aborted ... Files may be Incomplete"},
      {"a main cell not in the drawing", "NOSUCH", nullptr, nullptr, {}, 0, "Cell NOSUCH is Missing ... Can't Continue",
       1, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Engine e;
    CktState& st = e.st;
    e.rec->answers.assign(k.answers.begin(), k.answers.end());
    Compiled c(st, k.cell, k.tweak, k.edit);
    EXPECT_EQ(c.result, k.result);
    EXPECT_EQ(Seen(e, k.message), k.times) << ::testing::PrintToString(HostRecordTexts());
    if (k.logEnd[0]) {
      EXPECT_NE(c.log.find(k.logEnd), std::string::npos) << c.log;
      EXPECT_GT(c.log.size(), 0u);
    }
    if (st.run.errCount > 0) {
      EXPECT_NE(c.log.find("ERROR ... "), std::string::npos);
      EXPECT_NE(c.log.find(std::to_string(st.run.errCount) + " Errors"), std::string::npos) << c.log;
    }
    // A run that stopped never ends its circuit file as a finished one.
    if (!k.result && !strstr(k.message, "Footer")) {
      EXPECT_EQ(c.cir.find(".END\n"), std::string::npos);
    }
  }
}

// Connector scripts asked for: the first pass writes no circuit file; with
// both passes the circuit file is the one of a plain compile.
TEST(CktNetlist, ScriptPassWithoutScripts) {
  {
    Engine e;
    CktState& st = e.st;
    Compiled c(st, "CHAIN3", [](CktState& st) {
      SetValue(st, GRP_MAIN, S_WAR, "Y");
      SetValue(st, GRP_MAIN, S_CSO, "Y");
    });
    EXPECT_EQ(c.result, 1);
    EXPECT_TRUE(c.cir.empty());
    EXPECT_NE(c.log.find("**** Start of Script Compile ****"), std::string::npos);
    EXPECT_EQ(c.log.find("**** Start of Spice Compile ****"), std::string::npos);
    EXPECT_EQ(st.run.errCount, 0);
  }
  {
    Engine e;
    CktState& st = e.st;
    Compiled c(st, "CHAIN3", [](CktState& st) { SetValue(st, GRP_MAIN, S_WAR, "Y"); });
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(Mask(c.cir), ReadAll(Expected() + "CHAIN3.cir"));
    EXPECT_EQ(Mask(c.nod), ReadAll(Expected() + "CHAIN3.nod"));
    // The main cell waits for the Spice pass.
    size_t script = c.log.find("Start of Script Compile"), spice = c.log.find("Start of Spice Compile");
    ASSERT_NE(spice, std::string::npos);
    EXPECT_EQ(c.log.substr(script, spice - script).find("Compiling CHAIN3"), std::string::npos);
  }
}

}  // namespace

namespace {

// Two instances that share a device text keep their pins together, each on
// its own complete device line, and sort after the instances of a smaller
// text; the node list orders by name, device text and pin.
TEST(CktNetlist, SharedDeviceTextsKeepEachInstanceWhole) {
  Engine e;
  CktState& st = e.st;
  Compiled c(st, "NAND2", nullptr, [](const std::string& f) {
    Replace(f + "NAND2.tlc", "[M1]]", "[Z9]]");
    Replace(f + "NAND2.tlc", "[M2]]", "[Z9]]");
  });
  EXPECT_EQ(c.result, 1);
  EXPECT_NE(c.cir.find("M3 OUT A VDD VDD PMOD L=1u W=4u\n"
                       "M4 OUT B VDD VDD PMOD L=1u\n+ W=4u\n"
                       "Z9 vn1 A VSS VSS NMOD L=1u W=2u\n"
                       "Z9 OUT B vn1 vn1 NMOD L=1u W=2u\n"),
            std::string::npos)
      << c.cir;
  EXPECT_NE(c.nod.find("vn1:0\n Z9.1  Z9.3  Z9.4 \n"), std::string::npos) << c.nod;
}

}  // namespace

#include "../../fixtures/circuit/ckt_fixture.h"

namespace {

// A 30 x 30 array: INV is compiled once, every placement gets its line in
// name order, and every pin is listed under its node.
TEST(CktNetlist, ArrayCompilesEveryPlacementOnce) {
  Engine e;
  CktState& st = e.st;
  char tmpl[] = "/tmp/ckt_array_XXXXXX";
  std::string folder = std::string(mkdtemp(tmpl)) + "/";
  cktfix::Drawing d = cktfix::InverterArray(30);
  d.Get("INV").Text(12, 2, -3, "MN");  // the PMOS keeps none: a warning each
  ASSERT_TRUE(d.Write(folder));
  WriteAll(folder + "a.paf", "NMOS=<NMOD>\nPMOS=<PMOD>\n");
  snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
  ASSERT_EQ(CrfRead(st), 0);
  StandardTrace(st);
  SetValue(st, GRP_MAIN, S_CFN, "TOP");
  SetValue(st, GRP_MAIN, S_PAF, "a.paf");
  SetValue(st, GRP_MAIN, S_DVL, "12");
  SetValue(st, GRP_MAIN, S_PML, "13");
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  CompileReset(st);
  int r = CompileRun(st);
  CompileFinish(st, r, 1);
  EXPECT_EQ(r, 1);
  EXPECT_EQ(st.run.errCount, 0);
  EXPECT_EQ(st.run.warnCount, 1);  // INV is compiled once
  EXPECT_EQ(e.Count("Device Cell PMOS at X=0 Y=0.03 has no Device Text"), 0);  // a list line, no box
  std::string cir = ReadAll(folder + "TOP.cir"), nod = ReadAll(folder + "TOP.nod");
  EXPECT_NE(cir.find("\nMN "), std::string::npos);
  EXPECT_NE(cir.find("\n? "), std::string::npos);
  size_t subckts = 0, lines = 0;
  for (size_t at = 0; (at = cir.find("\n.SUBCKT ", at)) != std::string::npos; at++) subckts++;
  for (size_t at = 0; (at = cir.find("\nX_", at)) != std::string::npos; at++) lines++;
  EXPECT_EQ(subckts, 1u);
  EXPECT_EQ(lines, 900u);
  // Names sort byte by byte without case: digits before the underscore.
  size_t x1 = cir.find("\nX_1_INV "), x10 = cir.find("\nX_10_INV "), x100 = cir.find("\nX_100_INV "),
         x2 = cir.find("\nX_2_INV ");
  EXPECT_LT(x100, x10);
  EXPECT_LT(x10, x1);
  EXPECT_LT(x1, x2);
  size_t entries = 0;
  for (size_t at = 0; (at = nod.find("_INV.", at)) != std::string::npos; at++) entries++;
  EXPECT_EQ(entries, 3600u);
  for (const std::string& line : {std::string("\nVDD:0\n"), std::string("\nGND:0\n")})
    EXPECT_NE(nod.find(line), std::string::npos);
  fs::remove_all(folder);
}

}  // namespace

namespace {

// Lower cells are parsed once a run: a broken record in one is still
// reported (and stops the run when read for flattening), and a cell file
// changed between two runs is read anew.
TEST(CktNetlist, LowerCellsAreReadAnewEachRun) {
  {
    Engine e;
    CktState& st = e.st;
    e.rec->answers.assign(20, HOST_IDNO);
    Compiled c(st, "CHAIN3", nullptr, [](const std::string& f) {
      Replace(f + "INV.tlc", "<TLC>\n", "<TLC>\n<B>\n7 0 0\n</B>\n");
    });
    EXPECT_EQ(c.result, 0);
    EXPECT_GE(e.Count("Box Record Read Error"), 1);
    EXPECT_EQ(c.cir.find(".END\n"), std::string::npos);
  }
  // A run reads the parsed copy; the next run starts without it.
  Engine e;
  CktState& st = e.st;
  char tmpl[] = "/tmp/ckt_lower_XXXXXX";
  std::string folder = std::string(mkdtemp(tmpl)) + "/";
  snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
  StandardTrace(st);
  CellTableAdd(st, "LOW", 1, 0, 0, 10, 10, 0, 0, 0, 0);
  WriteAll(folder + "LOW.tlc", "<TLC>\n<B>\n7 0 0 10 10\n</B>\n</TLC>\n");
  LowerCacheUse(st, 1);
  EXPECT_EQ(TlcReadLower(st, "LOW", 100, 0, 0), 0);
  EXPECT_EQ(TlcReadLower(st, "LOW", 200, 0, 0), 0);
  ASSERT_EQ(st.store->nb, 2);
  EXPECT_EQ(BoxRec(st, 2)->left, 200);
  EXPECT_EQ(BoxRec(st, 2)->right, 210);
  LowerCacheUse(st, 0);
  LowerCacheUse(st, 1);
  WriteAll(folder + "LOW.tlc", "<TLC>\n<B>\n7 0 0 20 10\n</B>\n<B>\n9 0 0 5 5\n</B>\n</TLC>\n");
  EXPECT_EQ(TlcReadLower(st, "LOW", 0, 0, 0), 0);
  ASSERT_EQ(st.store->nb, 4);
  EXPECT_EQ(BoxRec(st, 3)->right, 20);
  EXPECT_EQ(BoxRec(st, 4)->layer, 9);
  LowerCacheUse(st, 0);
  // A file gone before the next run is missed, not served from a copy.
  LowerCacheUse(st, 1);
  fs::remove(folder + "LOW.tlc");
  EXPECT_EQ(TlcReadLower(st, "LOW", 0, 0, 0), 1);
  EXPECT_EQ(TlcReadLower(st, "LOW", 0, 0, 0), 1);
  EXPECT_EQ(st.store->nb, 4);
  EXPECT_EQ(e.Count("Cell LOW is in the Cell Reference File but its TLC File is Missing"), 1);
  LowerCacheUse(st, 0);
  fs::remove_all(folder);
}

}  // namespace
