// Trace-table values of any content: the parse and the layer tests, then
// one relaxation over a few fixed boxes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_store.h"

using namespace ckt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    CktRunReset();
    StoreReset();
    ready = true;
  }
  SetupDefaults();
  // The input is cut into the 24 values at newlines.
  int slot = 0;
  size_t start = 0;
  for (size_t i = 0; i <= size && slot < 24; i++) {
    if (i == size || data[i] == '\n') {
      size_t n = i - start;
      if (n > CKT_VALUE - 1) n = CKT_VALUE - 1;
      memcpy(g_set.val[GRP_TRACE][slot], data + start, n);
      g_set.val[GRP_TRACE][slot][n] = 0;
      slot++;
      start = i + 1;
    }
  }
  SetupApply(GRP_TRACE, 0);
  for (int l = 0; l <= 300; l++) {
    ConductorLayer(l);
    InsulatorLayer(l);
    TracedLayer(l);
  }
  StoreFreeAll();
  CktRunBegin();
  StoreRunBegin();
  ScanReset();
  NodesReset();
  for (int i = 0; i < 12; i++) TlcMakeB(1 + (i * 7) % 12, i * 5, 0, i * 5 + 6, 6);
  BoxRec(1)->node = -1;
  NodeRelax(1);
  VirtualNodesCreate();
  NodeRelax(1);
  VirtualCondense();
  return 0;
}
