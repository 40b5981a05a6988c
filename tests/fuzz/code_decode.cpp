// Any bytes as a file to decode, first as UU, then as Base64: a decode
// either completes or leaves nothing behind, and never leaves a scratch
// file or a file outside the folder it writes to.
#include "fuzz_folder.h"
#include "host.h"
#include "quilcode.h"
#include "satlib.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Files(const char* folder) {
  std::vector<std::string> out;
  DIR* d = opendir(folder);
  if (!d) return out;
  while (dirent* e = readdir(d))
    if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) out.push_back(e->d_name);
  closedir(d);
  return out;
}

// The output folder is emptied between the two decoders.
void Empty(const char* folder) {
  for (const std::string& f : Files(folder)) remove((std::string(folder) + "/" + f).c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  FILE* f = fopen("in.txt", "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  mkdir("out", 0777);
  Empty("out");
  HostSet(nullptr);  // every question gets its first answer, nothing shown

  // A fresh coder state for each decoder, as the program starts with.
  CodeState uu;
  SatFrame.abortFlag = 0;
  int r = CodeUuDecode(&uu, "in.txt", "out");
  std::vector<std::string> made = Files("out");
  if (r != 0 && r != CODE_UU_DECODED) abort();
  if (made.size() != (r ? 1u : 0u)) abort();
  for (const std::string& m : made)
    if (m.find(".tmp") != std::string::npos || m.find('/') != std::string::npos) abort();
  if (Files(".").size() != 2) abort();  // in.txt and out: nothing escaped the folder
  Empty("out");

  CodeState b64;
  SatFrame.abortFlag = 0;
  r = CodeB64Decode(&b64, "in.txt", "out/back.bin");
  made = Files("out");
  if (r != 0 && r != CODE_B64_DECODED) abort();
  if (made.size() != (r ? 1u : 0u)) abort();
  if (r && made[0] != "back.bin") abort();
  if (r) {
    // What was decoded is what the sum covers.
    FILE* b = fopen("out/back.bin", "rb");
    if (!b) abort();
    fseek(b, 0, SEEK_END);
    long n = ftell(b);
    fclose(b);
    if ((uint64_t)n != b64.sum.length) abort();
    // Base64 gives three bytes for at most four characters.
    if ((size_t)n > size) abort();
  }
  Empty("out");
  return 0;
}
