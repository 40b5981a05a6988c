// The CIF reader on arbitrary bytes: the bytes are the CIF file, its layer
// file and its cell file at once; the cells go into a private folder. The
// first byte picks the options and the text template; names that can't be
// used get numbered ones.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "cifin.h"
#include "fuzz_folder.h"
#include "host.h"

namespace {

int Named = 0;
CifInState State;

int NewName(const char*, char* tried) {
  snprintf(tried, CIFIN_NAMELEN + 1, "FZ%d", ++Named);
  return 1;
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
  FILE* f = fopen("fuzz.cif", "wb");
  if (!f) return 0;
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  CifInState* st = &State;
  CifInReset(st);
  snprintf(st->val[CI_CFN], CIFIN_VALLEN, "fuzz.cif");
  snprintf(st->val[CI_TFP], CIFIN_VALLEN, "out/");
  int pick = size ? data[0] : 0;
  const int flags[] = {CI_COP, CI_P2B, CI_MIP, CI_MLF, CI_OMT, CI_OLD, CI_CG1};
  for (int k = 0; k < 7; ++k) snprintf(st->val[flags[k]], CIFIN_VALLEN, "%s", (pick >> k) & 1 ? "Y" : "N");
  static const char* const templates[] = {"94 <text> <x> <y> <lname>", "94 <x> <y> <text>",
                                          "99 <layer> <size> <orien> <x> <y> <text>", "9"};
  snprintf(st->val[CI_TMP], CIFIN_VALLEN, "%s", templates[(pick >> 6) & 3]);
  st->newName = NewName;
  Named = 0;
  char text[300];
  CifInClosing(st, CifInConvert(st), text, sizeof text);
  return 0;
}
