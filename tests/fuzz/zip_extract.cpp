// The ZIP walk on any bytes: it ends with 0, 1 or 2, and whatever the names
// say, nothing is written but plain files inside the target folder.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_folder.h"
#include "zipextract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace fs = std::filesystem;
  std::string root = FuzzFolderEnter();
  std::error_code ec;
  fs::remove_all(root + "/t", ec);
  fs::create_directories(root + "/t/out", ec);
  std::string zip = root + "/t/in.zip";
  FILE* f = fopen(zip.c_str(), "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  ZipRun run;
  int code = ZipExtract(zip.c_str(), (root + "/t/out\\").c_str(), &run);
  if (code < 0 || code > 2) abort();
  // Only the archive and the target folder beside it ...
  for (const auto& e : fs::directory_iterator(root + "/t", ec))
    if (e.path().filename() != "in.zip" && e.path().filename() != "out") abort();
  // ... and only plain files in the target.
  for (const auto& e : fs::directory_iterator(root + "/t/out", ec))
    if (!e.is_regular_file()) abort();
  FuzzFolderLeave();
  return 0;
}
