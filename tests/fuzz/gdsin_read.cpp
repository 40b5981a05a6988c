// The GDSII reader on arbitrary bytes: the hierarchy passes, the cell names
// and the conversion pass write their files into a private folder; every
// question is answered, names that can't be used get numbered ones.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fuzz_folder.h"
#include "gdsin.h"
#include "host.h"

namespace {

int Named = 0;
// One state for every input; static, as it is megabytes large.
GdsInState State;

int NewName(const char*, char* tried) {
  snprintf(tried, GDSIN_NAMELEN + 1, "FZ%d", ++Named);
  return 1;
}

int Ldm(int gds, int datatype, int* tlc) {
  *tlc = (gds + datatype) % 256 + 1;
  return HOST_IDYES;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  static bool once = false;
  if (!once) {
    HostSet(nullptr);  // every message answered with its first button
    once = true;
  }
  GdsInState* st = &State;
  GdsInReset(st);
  snprintf(st->val[IK_CFN], GDSIN_VALLEN, "fuzz.gds");
  snprintf(st->val[IK_TPH], GDSIN_VALLEN, "out/");
  snprintf(st->val[IK_LDF], GDSIN_VALLEN, "fuzz.ldm");
  const int flags[] = {IK_CTX, IK_COP, IK_CBB, IK_MLF, IK_NAM, IK_WTX};
  for (int k : flags) snprintf(st->val[k], GDSIN_VALLEN, "Y");
  if (size > 0 && (data[0] & 1)) snprintf(st->val[IK_OLD], GDSIN_VALLEN, "Y");
  snprintf(st->omit[0], GDSIN_VALLEN, "OMITTED");
  snprintf(st->font[1], GDSIN_VALLEN, "-");
  snprintf(st->font[3], GDSIN_VALLEN, "Y");
  snprintf(st->font[5], GDSIN_VALLEN, "Y");
  st->newName = NewName;
  st->ldmAsk = Ldm;
  Named = 0;
  remove("fuzz.ldm");
  GdsSourceMem(&st->src, data, (int64_t)size);
  char text[1200];
  GdsInClosing(st, GdsInConvert(st), text, sizeof text);
  st->src.mem = nullptr;
  return 0;
}
