// Compile of whole hierarchies into the circuit file, the node list file
// and the log, checked against hand-checked files and by outside tools.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
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

}  // namespace
