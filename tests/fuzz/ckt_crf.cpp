// Cell reference lists of any content.
#include <cstddef>
#include <cstdint>

#include "ckt_load.h"
#include "ckt_run.h"
#include "ckt_state.h"
#include "ckt_store.h"

using namespace ckt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CktState& st = *new CktState();  // one state for the whole fuzzing process
  static TlcLineIn* in = new TlcLineIn;
  static bool ready = false;
  if (!ready) {
    StoreReset(st);
    ready = true;
  }
  TlcLineOpenMem(in, data, size, 0);
  in->maxChars = 1022;
  CrfReadFrom(st, in);
  TlcLineClose(in);
  for (int32_t i = 1; i <= st.store->cellCount && i <= 20; i++) GetCinfo(st, st.store->cells[i].name);
  return 0;
}
