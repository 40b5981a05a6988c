// Shared set-up of the extractor tests: a clean engine, a trace table, and
// small makers of records.
#ifndef QUIL_TESTS_CKT_SUPPORT_H
#define QUIL_TESTS_CKT_SUPPORT_H

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"
#include "host_record.h"

namespace ckttest {

using namespace ckt;

// Layers of the test drawings.
enum { L_ACTIVE = 2, L_POLY = 5, L_CONTACT = 6, L_METAL1 = 7, L_VIA = 8, L_METAL2 = 9, L_NODE = 10, L_CONN = 11 };

// The whole of a file; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
  std::string s;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  fclose(f);
  return s;
}

inline void SetValue(CktState& st, int group, int slot, const char* text) {
  snprintf(st.set.val[group][slot], CKT_VALUE, "%s", text);
}

// Active and poly traced at level 1, contact between 1 and 2, metal 1 at
// level 2, via, metal 2 at level 3; node texts on 10, connectors on 11.
inline void StandardTrace(CktState& st) {
  SetValue(st, GRP_TRACE, 0, "2 5");
  SetValue(st, GRP_TRACE, 1, "7");
  SetValue(st, GRP_TRACE, 2, "9");
  SetValue(st, GRP_TRACE, 16, "6");
  SetValue(st, GRP_TRACE, 17, "8");
  SetValue(st, GRP_MAIN, S_NNL, "10");
  SetValue(st, GRP_MAIN, S_COL, "11");
  SetupApply(st, GRP_TRACE, 0);
  SetupApply(st, GRP_MAIN, 0);
}

// A fresh extractor state of the test's own, with the host recorded.
struct Engine {
  HostRecord* rec;
  std::unique_ptr<CktState> own{new CktState()};
  CktState& st = *own;
  explicit Engine(bool literal = false) {
    rec = &HostRecordInstall();
    StoreReset(st);
    SetupDefaults(st);
    st.scan.literal = literal ? 1 : 0;
    ScanReset(st);
    st.nodes.useIndex = literal ? 0 : 1;
    NodesReset(st);
    CktRunBegin(st);
    StoreRunBegin(st);
  }
  ~Engine() { HostRecordRemove(); }
  // Texts of the recorded messages that contain the part.
  int Count(const char* part) const {
    int n = 0;
    for (const HostMessage& m : rec->messages)
      if (m.text.find(part) != std::string::npos) n++;
    return n;
  }
};

inline int32_t Box(CktState& st, int layer, int32_t l, int32_t b, int32_t r, int32_t t) {
  TlcMakeB(st, layer, l, b, r, t);
  return st.store->nb;
}

inline int32_t Path(CktState& st, int layer, int32_t w, std::vector<std::pair<int32_t, int32_t>> pts) {
  std::vector<int32_t> x, y;
  for (auto& p : pts) { x.push_back(p.first); y.push_back(p.second); }
  TlcMakeP(st, layer, w, (int)pts.size(), x.data(), y.data());
  return st.store->np;
}

inline int32_t Text(CktState& st, int layer, int32_t x, int32_t y, const char* s) {
  TlcMakeT(st, layer, 10, 0, x, y, s);
  return st.store->np;
}

inline int32_t BoxNode(CktState& st, int32_t i) { return BoxRec(st, i)->node; }
inline int32_t PathNode(CktState& st, int32_t i) { return PathRec(st, i)->node; }

}  // namespace ckttest

#endif
