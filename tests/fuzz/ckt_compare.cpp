// Two node lists of any content (split at the first zero byte) compared both
// ways, the block name taken from the input's first line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "ckt_compare.h"
#include "ckt_state.h"
#include "ckt_store.h"

using namespace ckt;

namespace {
void Write(const std::string& path, const uint8_t* data, size_t size) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(data, 1, size, f);
  fclose(f);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CktState& st = *new CktState();  // one state for the whole fuzzing process
  static std::string dir;
  if (dir.empty()) {
    char tmpl[] = "/tmp/fuzz_ckt_compare_XXXXXX";
    if (!mkdtemp(tmpl)) return 0;
    dir = std::string(tmpl) + "/";
    StoreReset(st);
  }
  const uint8_t* zero = static_cast<const uint8_t*>(memchr(data, 0, size));
  size_t first = zero ? (size_t)(zero - data) : size;
  Write(dir + "a.nod", data, first);
  Write(dir + "b.nod", zero ? zero + 1 : data, zero ? size - first - 1 : 0);
  std::string block;
  for (size_t i = 0; i < first && data[i] != '\n' && block.size() < 40; i++)
    if (data[i] != '[' && data[i] != ']' && data[i] != '\r') block += (char)data[i];
  snprintf(st.set.val[GRP_LVS][0], CKT_VALUE, "%sa.nod", dir.c_str());
  snprintf(st.set.val[GRP_LVS][1], CKT_VALUE, "%sb.nod", dir.c_str());
  snprintf(st.set.val[GRP_LVS][2], CKT_VALUE, "%s", block.c_str());
  snprintf(st.set.val[GRP_LVS][3], CKT_VALUE, "%slvs.log", dir.c_str());
  st.set.val[GRP_LVS][4][0] = 0;
  NodeCompareRun(st);
  return 0;
}
