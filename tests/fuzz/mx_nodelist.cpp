// Node lists read by the matrix router: any text, against three placed cells
// with a few connectors. The reader must stay within its limits and keep
// every bus's connector buses on connectors the cells have.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "host.h"
#include "mx.h"
#include "satlib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MxState* st = nullptr;
  static SatProgram prog = {};
  if (!st) {
    st = new MxState();
    prog.displayName = "QuilMx";
    prog.keys = MxKeys;
    prog.defaults = MxDefaults;
    prog.lists = MxLists(*st);
    prog.edition = &SatEditionPlain;
    SatProgramSet(&prog, st);
    snprintf(UsfSlot(MX_NFN), SAT_SLOT_SIZE, "inv.nod");
    snprintf(st->omit[0], SAT_SLOT_SIZE, "vdd");
    MxSetupApply(*st, 0);
    const char* devs[3] = {"M1", "M2", "X_1_INV"};
    for (int i = 0; i < 3; ++i) {
      MxPlaced p;
      p.name = "DEV";
      p.dev = devs[i];
      p.x = 100 * i;
      for (int c = 1; c < 6; ++c) p.conn.push_back({10 * c, 5, c});
      st->placed.push_back(p);
    }
  }
  SatFrame.abortFlag = 0;
  st->skipped = 0;
  MxNodeBusBuild(*st, reinterpret_cast<const char*>(data), size);
  if (st->buses.size() > (size_t)MX_MAX_BUSES) __builtin_trap();
  for (const MxBus& b : st->buses) {
    if (b.conns.size() > (size_t)MX_MAX_CONN_BUSES) __builtin_trap();
    for (const MxConnBus& c : b.conns)
      if (c.num < 1 || c.num > 5) __builtin_trap();
  }
  return 0;
}
