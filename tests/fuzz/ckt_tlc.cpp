// TLC records of any content through the extractor's readers, then the
// outlines and crossings of what was stored and the names of its texts.
#include <cstddef>
#include <cstdint>

#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_store.h"

using namespace ckt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TlcLineIn* in = new TlcLineIn;
  static bool ready = false;
  if (!ready) {
    CktRunReset();
    StoreReset();
    SetupDefaults();
    snprintf(g_set.val[GRP_TRACE][0], CKT_VALUE, "1 2 3 7");
    snprintf(g_set.val[GRP_TRACE][16], CKT_VALUE, "6");
    SetupApply(GRP_TRACE, 0);
    CellTableAdd("INV", 2, 0, 0, 10, 10, 0, 0, 0, 2);
    CellTableAdd("NMOS", 1, 0, 0, 10, 10, 0, 0, 0, 0);
    ready = true;
  }
  StoreFreeAll();
  CktRunBegin();
  StoreRunBegin();
  ScanReset();
  TlcLineOpenMem(in, data, size, 1);
  TlcReadObjsFrom(in, 1, 1, 0, 0, 0);
  TlcLineClose(in);
  TlcLineOpenMem(in, data, size, 1);
  TlcReadCFrom(in, 0);
  TlcLineClose(in);
  for (int32_t i = 1; i <= g_store->bankCount[0] && i <= 30; i++) {
    InstanceFetch(0, i);
    InstanceFetch(1, i);
  }
  for (int32_t i = 1; i <= g_store->np && i <= 50; i++) {
    NodeName(i);
    PathIsArea(i);
    if (LoadPathOutline(i, 0, 0, 1)) {
      const EdgeSlot& s = g_scan.slot[0];
      ScanRowCrossings(0, s.bottom / 2 + s.top / 2);
      CrossingSort(0);
      EdgeListLength();
    }
  }
  for (int32_t i = 1; i <= g_store->nb && i <= 50; i++) LoadBoxOutline(i, 0, 0);
  return 0;
}
