// Compile time (circuit file, node list file and log) of N x N inverter
// arrays: the time per transistor must stay flat as the array grows.
//   ckt_compile [--keep DIR] [--best R] [--outputs] [N ...]   (default 10 30 100, best of 3)
// With --keep each drawing stays in DIR/N for the outside comparison
// (bench/ckt_compile.sh writes its GDSII file and runs klayout on it).
// With --outputs each array is also compiled with capacitors (ground and
// pair lines) and with antenna rules, each against the plain compile of the
// same run, and its node list is compared with a renamed copy of itself.
#include <cctype>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../tests/fixtures/circuit/ckt_fixture.h"
#include "ckt_compare.h"
#include "ckt_compile.h"
#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"

using namespace ckt;

namespace {

// Each run starts the benchmark's one state afresh, as a compile of the
// program does, keeping the tables it made (their memory is touched once).
// Capacitors to ground and between nodes (capn= 3: modes 1 and 2) on the
// metal, poly and active layers.
const std::vector<const char*> kCapKeys = {
    "capu=fF",    "capn=3",     "layer1_0=7", "layer2_0=0", "capa_0=0.03", "capf_0=0.04",
    "layer1_1=5", "layer2_1=0", "capa_1=0.1", "capf_1=0.05", "layer1_2=5", "layer2_2=7",
    "capa_2=0.06", "capf_2=0.02", "layer1_3=2", "layer2_3=7", "capa_3=0.05", "capf_3=0.01"};
// Antenna rules: poly over the channel (active), metal 1 and metal 2.
const std::vector<const char*> kAntKeys = {"eant=Y",     "edge=N",      "antchan=2",   "antlyr1=5",
                                           "antlyr2=7",  "antlyr3=9",   "antthk1=0.5", "antthk2=1",
                                           "antthk3=2"};

double Compile(CktState& st, const std::string& folder, int* errors, long* cirBytes,
               const std::vector<const char*>& extra = {}) {
  CktRunReset(st);
  StoreReset(st);
  SetupDefaults(st);
  ScanReset(st);
  st.nodes.useIndex = 1;
  NodesReset(st);
  CompileReset(st);
  snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
  CrfRead(st);
  const char* keys[] = {"cfn=TOP", "con0_0=2 5", "con1_0=7", "con2_0=9", "ins0=6", "ins1=8", "nnl=10",
                        "col=11",  "dvl=12",     "pml=13",   "paf=bench.paf", "cnl=N", getenv("CKT_BENCH_ALD") ? getenv("CKT_BENCH_ALD") : "ald=Y"};
  for (const char* k : keys) {
    std::vector<char> buf(k, k + strlen(k) + 1);
    UsfReadLine(st, buf.data());
  }
  for (const char* k : extra) {
    std::vector<char> buf(k, k + strlen(k) + 1);
    UsfReadLine(st, buf.data());
  }
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  auto t0 = std::chrono::steady_clock::now();
  int ok = CompileRun(st);
  CompileFinish(st, ok, 1);
  auto t1 = std::chrono::steady_clock::now();
  *errors = ok ? st.run.errCount : -1;
  std::error_code ec;
  *cirBytes = (long)std::filesystem::file_size(folder + "TOP.cir", ec);
  StoreFreeAll(st);
  return std::chrono::duration<double>(t1 - t0).count();
}

// Best of r compiles with these extra settings.
double BestCompile(CktState& st, const std::string& folder, int r, int* errors, long* bytes,
                   const std::vector<const char*>& extra = {}) {
  double s = Compile(st, folder, errors, bytes, extra);
  for (int i = 1; i < r; i++) {
    double t = Compile(st, folder, errors, bytes, extra);
    if (t < s) s = t;
  }
  return s;
}

// A copy of the node list as another list of the same circuit would give
// it: the block named with the suffix _SCH and the virtual nodes renamed.
bool RenamedCopy(const std::string& from, const std::string& to) {
  FILE* in = fopen(from.c_str(), "r");
  if (!in) return false;
  FILE* out = fopen(to.c_str(), "w");
  if (!out) {
    fclose(in);
    return false;
  }
  char line[4096];
  while (fgets(line, sizeof line, in)) {
    if (strcmp(line, "[TOP]\n") == 0) fputs("[TOP_SCH]\n", out);
    else if (line[0] == 'v' && line[1] == 'n' && isdigit((unsigned char)line[2])) fprintf(out, "sch_%s", line);
    else fputs(line, out);
  }
  fclose(in);
  return fclose(out) == 0;
}

// Best of r compares of TOP.nod with its renamed copy, both directions.
double BestCompare(CktState& st, const std::string& folder, int r, int* errors) {
  double best = 0;
  for (int i = 0; i < r; i++) {
    std::string files[] = {folder + "TOP.nod", folder + "top_sch.nod", "TOP", folder + "LvsError.log", "_SCH"};
    for (int k = 0; k < 5; k++) snprintf(st.set.val[GRP_LVS][k], CKT_VALUE, "%s", files[k].c_str());
    st.compare.errors = 0;
    auto t0 = std::chrono::steady_clock::now();
    int ok = NodeCompareRun(st);
    auto t1 = std::chrono::steady_clock::now();
    *errors = ok ? st.compare.errors : -1;
    double t = std::chrono::duration<double>(t1 - t0).count();
    if (i == 0 || t < best) best = t;
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  HostConsoleSet(stderr, HOST_IDNO);
  std::unique_ptr<CktState> st(new CktState());
  std::string keep;
  int best = 3;
  bool outputs = false;
  std::vector<int> sizes;
  for (int i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
    else if (strcmp(argv[i], "--best") == 0 && i + 1 < argc) best = atoi(argv[++i]);
    else if (strcmp(argv[i], "--outputs") == 0) outputs = true;
    else sizes.push_back(atoi(argv[i]));
  }
  if (sizes.empty()) sizes = {10, 30, 100};
  printf("%-16s %12s %10s %12s %14s %8s\n", "drawing", "transistors", "seconds", "cir bytes", "us/transistor",
         "errors");
  double prevPer = 0;
  for (int n : sizes) {
    std::string folder;
    if (!keep.empty()) {
      folder = keep + "/" + std::to_string(n) + "/";
      std::filesystem::remove_all(folder);
      std::filesystem::create_directories(folder);
    } else {
      char tmpl[] = "/tmp/ckt_compile_XXXXXX";
      folder = std::string(mkdtemp(tmpl)) + "/";
    }
    cktfix::Drawing d = cktfix::InverterArray(n);
    d.Get("INV").Text(12, 2, -3, "MN").Text(12, 2, 33, "MP");  // device texts
    d.Write(folder);
    FILE* f = fopen((folder + "bench.paf").c_str(), "w");
    if (f) {
      fputs("NMOS=<NMOD L=1u W=2u>\nPMOS=<PMOD L=1u W=4u>\n", f);
      fclose(f);
    }
    int errors;
    long bytes;
    double s = BestCompile(*st, folder, best, &errors, &bytes);
    long transistors = 2L * n * n;
    double per = s * 1e6 / (double)transistors;
    char name[40];
    snprintf(name, sizeof name, "array %dx%d", n, n);
    printf("%-16s %12ld %10.3f %12ld %14.2f %8d\n", name, transistors, s, bytes, per, errors);
    if (prevPer > 0) printf("%-16s growth of time per transistor: %.2f\n", "", per / prevPer);
    prevPer = per;
    if (outputs) {
      // The machine's speed drifts: the outputs are timed between two plain
      // compiles and set against the faster of the two.
      int e2, eCap, eAnt;
      long b2, bCap, bAnt;
      double cap = BestCompile(*st, folder, best, &eCap, &bCap, kCapKeys);
      double ant = BestCompile(*st, folder, best, &eAnt, &bAnt, kAntKeys);
      double plain = BestCompile(*st, folder, best, &e2, &b2);
      double base = std::min(s, plain);
      std::string size = std::to_string(n) + "x" + std::to_string(n);
      printf("%-16s %12s %10.3f %12ld %14s %8d\n", ("plain " + size).c_str(), "(again)", plain, b2, "", e2);
      printf("%-16s %12s %10.3f %12ld %14s %8d  %.2fx plain\n", ("cap " + size).c_str(), "modes 1+2", cap, bCap, "",
             eCap, cap / base);
      printf("%-16s %12s %10.3f %12ld %14s %8d  %.2fx plain\n", ("ant " + size).c_str(), "antenna", ant, bAnt, "",
             eAnt, ant / base);
      if (!RenamedCopy(folder + "TOP.nod", folder + "top_sch.nod")) {
        printf("no node list to compare\n");
      } else {
        std::error_code ec;
        long nodBytes = (long)std::filesystem::file_size(folder + "TOP.nod", ec);
        double cmp = BestCompare(*st, folder, best, &e2);
        printf("%-16s %12s %10.3f %12ld %14s %8d  (nod bytes, compare errors)\n", ("compare " + size).c_str(),
               "renamed", cmp, nodBytes, "", e2);
      }
    }
    if (keep.empty()) std::filesystem::remove_all(folder);
  }
  return 0;
}
