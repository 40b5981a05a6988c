// Compile of whole hierarchies into the circuit file, the node list file
// and the log, checked against hand-checked files and by outside tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <filesystem>
#include <map>
#include <sys/wait.h>
#include <regex>
#include <string>

#include "ckt_compile.h"
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

std::string ReadAll(const std::string& path) {
  std::string s;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  fclose(f);
  return s;
}

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
  explicit Compiled(const char* cell, void (*tweak)() = nullptr, const std::string& from = Fixture()) {
    char tmpl[] = "/tmp/ckt_netlist_XXXXXX";
    folder = std::string(mkdtemp(tmpl)) + "/";
    for (const auto& e : fs::directory_iterator(from))
      if (e.is_regular_file()) fs::copy_file(e.path(), folder + e.path().filename().string());
    snprintf(g_store->folder, sizeof g_store->folder, "%s", folder.c_str());
    EXPECT_EQ(CrfRead(), 0);
    UsfRead((folder + "QuilCkt.usf").c_str());
    SetValue(GRP_MAIN, S_CFN, cell);
    if (tweak) tweak();
    for (int g = 0; g < CKT_GROUPS; g++) SetupApply(g, 0);
    CompileReset();
    result = CompileRun();
    CompileFinish(result, 1);
    cir = ReadAll(folder + cell + ".cir");
    nod = ReadAll(folder + cell + ".nod");
    log = ReadAll(folder + g_set.val[GRP_MAIN][S_WR2]);
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
    Compiled c(cell);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(g_cktRun.errCount, 0);
    EXPECT_TRUE(e.rec->messages.empty()) << e.rec->messages.front().text;
    Golden(std::string(cell) + ".cir", c.cir);
    Golden(std::string(cell) + ".nod", c.nod);
    Golden(std::string(cell) + ".log", c.log);
  }
}

// Output of a shell command (stdout and stderr); its exit status in *rc.
std::string Shell(const std::string& cmd, int* rc) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) {
    *rc = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  *rc = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

bool Have(const char* tool) {
  int rc;
  Shell(std::string("command -v ") + tool, &rc);
  return rc == 0;
}

// v(out) against the input sweep of ngspice's printed DC table.
std::map<int, double> DcTable(const std::string& out) {
  std::map<int, double> v;
  std::regex row("^[0-9]+\\t([-+0-9.e]+)\\t([-+0-9.e]+)");
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    std::smatch m;
    if (std::regex_search(line, m, row)) v[(int)lround(std::stod(m[1]) * 10)] = std::stod(m[2]);
    start = end + 1;
  }
  return v;
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
    Compiled c(k.cell);
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
TEST(CktNetlist, NetgenMatchesTheExtractedInverter) {
  if (!Have("netgen-lvs")) GTEST_SKIP() << "netgen-lvs is not installed";
  Engine e;
  Compiled c("CHAIN3");
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
