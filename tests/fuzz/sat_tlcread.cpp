// The satellites' TLC reader on arbitrary bytes: boxes, paths and texts into
// the paged store, then the cell references at a depth.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "host.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "tlcline.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool once = false;
  if (!once) {
    HostSet(nullptr);  // every message answered silently
    once = true;
  }
  TlcStore.limB = 2000;  // small limits reach the limit paths quickly
  TlcStore.limP = 500;
  TlcStore.limV = 4000;
  TlcStore.limA = 300;
  freeBPV();
  TlcLimitsReset();
  TlcLineOpenMem(TlcReaderSource(), data, size, 1);
  TlcReadBPVSource();
  TlcLineClose(TlcReaderSource());
  // Walk what was stored: every chain must end inside the store.
  for (int32_t p = 1; p <= TlcStore.nP; ++p) {
    int guard = 0;
    for (int32_t v = getP(2, p); v && guard <= PVSIZ + 16; v = getV(3, v)) ++guard;
    if (guard > PVSIZ + 16) __builtin_trap();
    char text[TXTLEN + 1];
    TlcTextGet(p, text, sizeof text);
  }
  for (int depth : {0, 7}) {
    freeCEL(depth);
    TlcLineOpenMem(TlcReaderSource(), data, size, 1);
    TlcReadCSource(depth);
    TlcLineClose(TlcReaderSource());
  }
  return 0;
}
