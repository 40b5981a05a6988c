// Extraction time of inverter arrays and of an inverter chain: the time per
// inverter must stay flat as the drawing grows.
//   ckt_bench [N ...]   (default 10 30 100 and a chain of 1000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "../tests/fixtures/circuit/ckt_fixture.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

using namespace ckt;

namespace {

double Extract(const cktfix::Drawing& d, int* boxes, int* errors) {
  // Each run on a fresh state of its own, as the program starts one.
  std::unique_ptr<CktState> own(new CktState());
  CktState& st = *own;
  char tmpl[] = "/tmp/ckt_bench_XXXXXX";
  std::string folder = std::string(mkdtemp(tmpl)) + "/";
  d.Write(folder);
  StoreReset(st);
  SetupDefaults(st);
  ScanReset(st);
  st.nodes.useIndex = 1;
  NodesReset(st);
  snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.c_str());
  CrfRead(st);
  const char* keys[][2] = {{"con0_0=", "2 5"}, {"con1_0=", "7"}, {"con2_0=", "9"}, {"ins0=", "6"},
                           {"ins1=", "8"},     {"nnl=", "10"},   {"col=", "11"}};
  for (auto& k : keys) {
    std::string line = std::string(k[0]) + k[1];
    std::vector<char> buf(line.begin(), line.end());
    buf.push_back(0);
    UsfReadLine(st, buf.data());
  }
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  auto t0 = std::chrono::steady_clock::now();
  int ok = ExtractRun(st, "TOP", nullptr);
  auto t1 = std::chrono::steady_clock::now();
  *boxes = st.store->nb;
  *errors = ok ? st.run.errCount : -1;
  StoreFreeAll(st);
  std::filesystem::remove_all(folder);
  return std::chrono::duration<double>(t1 - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; i++) sizes.push_back(atoi(argv[i]));
  bool chain = sizes.empty();
  if (sizes.empty()) sizes = {10, 30, 100};
  printf("%-22s %10s %10s %10s %12s %8s\n", "drawing", "inverters", "boxes", "seconds", "us/inverter", "errors");
  double prevPer = 0;
  for (int n : sizes) {
    int boxes, errors;
    double s = Extract(cktfix::InverterArray(n), &boxes, &errors);
    double per = s * 1e6 / (n * n);
    char name[40];
    snprintf(name, sizeof name, "array %dx%d", n, n);
    printf("%-22s %10d %10d %10.3f %12.1f %8d\n", name, n * n, boxes, s, per, errors);
    if (prevPer > 0) printf("%-22s growth of time per inverter: %.2f\n", "", per / prevPer);
    prevPer = per;
  }
  if (chain) {
    int boxes, errors;
    double s = Extract(cktfix::InverterChain(1000), &boxes, &errors);
    printf("%-22s %10d %10d %10.3f %12.1f %8d\n", "chain 1000", 1000, boxes, s, s * 1e6 / 1000, errors);
  }
  return 0;
}
