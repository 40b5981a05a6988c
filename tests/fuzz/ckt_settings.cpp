// QuilCkt.usf lines of any content, then the check of every group.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "ckt_run.h"
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
  std::vector<char> line;
  for (size_t i = 0; i <= size; i++) {
    if (i == size || data[i] == '\n') {
      if (line.size() > 255) line.resize(255);  // the reader keeps 255 characters a line
      line.push_back(0);
      UsfReadLine(st, line.data());
      line.clear();
    } else {
      line.push_back((char)data[i]);
    }
  }
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 1);
  SetupBatchTokens(st, st.set.val[GRP_MAIN][S_HFN]);
  PathFix(st.set.val[GRP_MAIN][S_PAF]);
  return 0;
}
