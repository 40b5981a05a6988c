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
  GdsInReset();
  snprintf(GdsInSt.val[IK_CFN], GDSIN_VALLEN, "fuzz.gds");
  snprintf(GdsInSt.val[IK_TPH], GDSIN_VALLEN, "out/");
  snprintf(GdsInSt.val[IK_LDF], GDSIN_VALLEN, "fuzz.ldm");
  const int flags[] = {IK_CTX, IK_COP, IK_CBB, IK_MLF, IK_NAM, IK_WTX};
  for (int k : flags) snprintf(GdsInSt.val[k], GDSIN_VALLEN, "Y");
  if (size > 0 && (data[0] & 1)) snprintf(GdsInSt.val[IK_OLD], GDSIN_VALLEN, "Y");
  snprintf(GdsInSt.omit[0], GDSIN_VALLEN, "OMITTED");
  snprintf(GdsInSt.font[1], GDSIN_VALLEN, "-");
  snprintf(GdsInSt.font[3], GDSIN_VALLEN, "Y");
  snprintf(GdsInSt.font[5], GDSIN_VALLEN, "Y");
  GdsInSt.newName = NewName;
  GdsInSt.ldmAsk = Ldm;
  Named = 0;
  remove("fuzz.ldm");
  GdsSourceMem(&GdsInSt.src, data, (int64_t)size);
  char text[1200];
  GdsInClosing(GdsInConvert(), text, sizeof text);
  GdsInSt.src.mem = nullptr;
  return 0;
}
