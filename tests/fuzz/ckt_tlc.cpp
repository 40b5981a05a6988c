// TLC records of any content through the extractor's readers, then the
// outlines and crossings of what was stored and the names of its texts.
#include <cstddef>
#include <cstdint>

#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

using namespace ckt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CktState& st = *new CktState();  // one state for the whole fuzzing process
  static TlcLineIn* in = new TlcLineIn;
  static bool ready = false;
  if (!ready) {
    StoreReset(st);
    SetupDefaults(st);
    snprintf(st.set.val[GRP_TRACE][0], CKT_VALUE, "1 2 3 7");
    snprintf(st.set.val[GRP_TRACE][16], CKT_VALUE, "6");
    SetupApply(st, GRP_TRACE, 0);
    CellTableAdd(st, "INV", 2, 0, 0, 10, 10, 0, 0, 0, 2);
    CellTableAdd(st, "NMOS", 1, 0, 0, 10, 10, 0, 0, 0, 0);
    ready = true;
  }
  StoreFreeAll(st);
  CktRunBegin(st);
  StoreRunBegin(st);
  ScanReset(st);
  TlcLineOpenMem(in, data, size, 1);
  TlcReadObjsFrom(st, in, 1, 1, 0, 0, 0);
  TlcLineClose(in);
  TlcLineOpenMem(in, data, size, 1);
  TlcReadCFrom(st, in, 0);
  TlcLineClose(in);
  for (int32_t i = 1; i <= st.store->bankCount[0] && i <= 30; i++) {
    InstanceFetch(st, 0, i);
    InstanceFetch(st, 1, i);
  }
  for (int32_t i = 1; i <= st.store->np && i <= 50; i++) {
    NodeName(st, i);
    PathIsArea(st, i);
    if (LoadPathOutline(st, i, 0, 0, 1)) {
      const EdgeSlot& s = st.scan.slot[0];
      ScanRowCrossings(st, 0, s.bottom / 2 + s.top / 2);
      CrossingSort(st, 0);
      EdgeListLength(st);
    }
  }
  for (int32_t i = 1; i <= st.store->nb && i <= 50; i++) LoadBoxOutline(st, i, 0, 0);
  return 0;
}
