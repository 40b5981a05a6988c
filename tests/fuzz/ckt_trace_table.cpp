// Trace-table values of any content: the parse and the layer tests, then
// one relaxation over a few fixed boxes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

using namespace ckt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CktState& st = *new CktState();  // one state for the whole fuzzing process
  static bool ready = false;
  if (!ready) {
    StoreReset(st);
    ready = true;
  }
  SetupDefaults(st);
  // The input is cut into the 24 values at newlines.
  int slot = 0;
  size_t start = 0;
  for (size_t i = 0; i <= size && slot < 24; i++) {
    if (i == size || data[i] == '\n') {
      size_t n = i - start;
      if (n > CKT_VALUE - 1) n = CKT_VALUE - 1;
      memcpy(st.set.val[GRP_TRACE][slot], data + start, n);
      st.set.val[GRP_TRACE][slot][n] = 0;
      slot++;
      start = i + 1;
    }
  }
  SetupApply(st, GRP_TRACE, 0);
  for (int l = 0; l <= 300; l++) {
    ConductorLayer(st, l);
    InsulatorLayer(st, l);
    TracedLayer(st, l);
  }
  StoreFreeAll(st);
  CktRunBegin(st);
  StoreRunBegin(st);
  ScanReset(st);
  NodesReset(st);
  for (int i = 0; i < 12; i++) TlcMakeB(st, 1 + (i * 7) % 12, i * 5, 0, i * 5 + 6, 6);
  BoxRec(st, 1)->node = -1;
  NodeRelax(st, 1);
  VirtualNodesCreate(st);
  NodeRelax(st, 1);
  VirtualCondense(st);
  return 0;
}
