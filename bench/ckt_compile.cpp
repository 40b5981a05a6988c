// Compile time (circuit file, node list file and log) of N x N inverter
// arrays: the time per transistor must stay flat as the array grows.
//   ckt_compile [--keep DIR] [--best R] [N ...]   (default 10 30 100, best of 3)
// With --keep each drawing stays in DIR/N for the outside comparison
// (bench/ckt_compile.sh writes its GDSII file and runs klayout on it).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../tests/fixtures/circuit/ckt_fixture.h"
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
double Compile(CktState& st, const std::string& folder, int* errors, long* cirBytes) {
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

}  // namespace

int main(int argc, char** argv) {
  HostConsoleSet(stderr, HOST_IDNO);
  std::unique_ptr<CktState> st(new CktState());
  std::string keep;
  int best = 3;
  std::vector<int> sizes;
  for (int i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--keep") == 0 && i + 1 < argc) keep = argv[++i];
    else if (strcmp(argv[i], "--best") == 0 && i + 1 < argc) best = atoi(argv[++i]);
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
    double s = Compile(*st, folder, &errors, &bytes);
    for (int r = 1; r < best; r++) {
      double t = Compile(*st, folder, &errors, &bytes);
      if (t < s) s = t;
    }
    long transistors = 2L * n * n;
    double per = s * 1e6 / (double)transistors;
    char name[40];
    snprintf(name, sizeof name, "array %dx%d", n, n);
    printf("%-16s %12ld %10.3f %12ld %14.2f %8d\n", name, transistors, s, bytes, per, errors);
    if (prevPer > 0) printf("%-16s growth of time per transistor: %.2f\n", "", per / prevPer);
    prevPer = per;
    if (keep.empty()) std::filesystem::remove_all(folder);
  }
  return 0;
}
