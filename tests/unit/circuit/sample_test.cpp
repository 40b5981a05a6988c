// The bundled sample drawing compiles with its own settings file: the
// inverter and the three-inverter chain give the device and subcircuit lines
// drawn, without a message, and the circuits simulate as inverters.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>

#include "ckt_compile.h"
#include "ckt_outside.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;
namespace fs = std::filesystem;

std::string SampleDir() {
  const char* src = getenv("QUIL_SOURCE");
  return std::string(src ? src : "../..") + "/samples/demo/";
}

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

// A copy of the sample compiled for one main cell; the sample itself is
// never written to.
struct SampleCompile {
  std::string folder;
  int result = -1;
  std::string cir, log;
  SampleCompile(CktState& st, const char* cell) {
    char tmpl[] = "/tmp/ckt_sample_XXXXXX";
    folder = std::string(mkdtemp(tmpl)) + "/";
    for (const auto& e : fs::directory_iterator(SampleDir()))
      if (e.is_regular_file()) fs::copy_file(e.path(), folder + e.path().filename().string());
    snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
    EXPECT_EQ(CrfRead(st), 0);
    EXPECT_EQ(UsfRead(st, (folder + "QuilCkt.usf").c_str()), 1);
    SetValue(st, GRP_MAIN, S_CFN, cell);
    for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
    CompileReset(st);
    result = CompileRun(st);
    CompileFinish(st, result, 1);
    cir = ReadAll(folder + cell + ".cir");
    log = ReadAll(folder + st.set.val[GRP_MAIN][S_WR2]);
  }
  ~SampleCompile() { fs::remove_all(folder); }
};

std::string Lf(std::string s) { return std::regex_replace(s, std::regex("\r"), ""); }

const char kInvLines[] =
    "MN OUT IN VSS VSS NMOD L=1u W=2u\n"
    "MP OUT IN VDD VDD PMOD L=1u W=4u\n";
// The sample keeps the default capacitor modes and has no layer pairs: the
// two headings without lines.
const char kCapHeadings[] = "\n* Node to Gnd Parasitic Caps\n\n* Node to Node Parasitic Caps\n";

TEST(CktSample, CompilesWithItsOwnSettings) {
  struct Case {
    const char* cell;
    std::string block;
  } cases[] = {
      {"INV", std::string("\n*** INV ***\n\n* INV IN OUT VDD VSS\n\n") + kInvLines + kCapHeadings},
      {"TOP", std::string("\n*** TOP.INV ***\n\n.SUBCKT INV IN OUT VDD VSS\n\n") + kInvLines + kCapHeadings +
                  ".ENDS\n\n*** TOP ***\n\n* TOP\n\n"
                  "X_1_INV IN vn1 VDD VSS INV\n"
                  "X_2_INV vn1 vn2 VDD VSS INV\n"
                  "X_3_INV vn2 OUT VDD VSS INV\n" + kCapHeadings},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.cell);
    Engine e;
    CktState& st = e.st;
    SampleCompile c(st, k.cell);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(st.run.errCount, 0);
    EXPECT_EQ(st.run.warnCount, 0);
    EXPECT_TRUE(e.rec->messages.empty()) << e.rec->messages.front().text;
    std::string cir = Lf(c.cir);
    // Models and supplies first, the sweep last.
    EXPECT_NE(cir.find("\n* Start of models.hdr\n"), std::string::npos) << cir;
    EXPECT_NE(cir.find(k.block + "\n* Start of sweep.ftr\n.DC VIN 0 3.3 0.1\n"), std::string::npos) << cir;
    EXPECT_NE(Lf(c.log).find("0 Warnings  0 Errors"), std::string::npos) << c.log;
  }
}

// The circuit files run as they are: the inverter and the chain of three
// both invert, and the chain switches more sharply than one inverter.
TEST(CktSample, NgspiceSeesInvertingCircuits) {
  if (!Have("ngspice")) GTEST_SKIP() << "ngspice is not installed";
  int rc;
  const double vdd = 3.3;
  std::map<int, double> curve[2];
  const char* cells[] = {"INV", "TOP"};
  for (int i = 0; i < 2; i++) {
    SCOPED_TRACE(cells[i]);
    Engine e;
    CktState& st = e.st;
    SampleCompile c(st, cells[i]);
    ASSERT_EQ(c.result, 1);
    std::string out = Shell("cd " + c.folder + " && timeout 60 ngspice -b " + cells[i] + ".cir", &rc);
    EXPECT_EQ(rc, 0) << out;
    EXPECT_EQ(out.find("rror"), std::string::npos) << out;
    curve[i] = DcTable(out);
    ASSERT_EQ(curve[i].size(), 34u) << out;
    EXPECT_GT(curve[i][0], 0.9 * vdd);
    EXPECT_LT(curve[i][33], 0.1 * vdd);
    for (int t = 1; t < 34; t++) EXPECT_LE(curve[i][t], curve[i][t - 1] + 1e-6) << t;
  }
  // Fewer input steps lie in the chain's transition band than in one
  // inverter's.
  auto between = [&](const std::map<int, double>& v) {
    int n = 0;
    for (const auto& p : v) n += p.second > 0.1 * vdd && p.second < 0.9 * vdd;
    return n;
  };
  EXPECT_LT(between(curve[1]), between(curve[0]));
}

}  // namespace
