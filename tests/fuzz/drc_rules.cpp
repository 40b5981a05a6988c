// Rule files of any content: every check is read, its operator lines are
// checked, and nothing may read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "drc_oper.h"
#include "drc_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DrcCheckRec chk;
  DrcCheckReset(chk);
  DrcRuleSrc s;
  DrcRuleSrcMem(&s, reinterpret_cast<const char*>(data), size);
  for (int i = 0; i < 10000; ++i) {
    int r = DrcCheckRead(chk, &s);
    for (int k = 0; k < chk.nops; ++k) {
      if (std::strlen(chk.op[k]) > DRC_OPMAX) __builtin_trap();
      DrcOpParsed op;
      DrcOperatorParse(chk.op[k], &op);
    }
    if (std::strlen(chk.title) >= DRC_TITLE) __builtin_trap();
    if (r == -1) break;
  }
  return 0;
}
