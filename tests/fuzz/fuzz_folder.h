// A private scratch folder for fuzz targets whose engines read and write
// files by name in the current folder. It is entered for one input and left
// after it: libFuzzer resolves relative corpus and artifact paths against the
// folder it was started in, so the process must be back there between
// inputs. The folder and everything in it go when the process ends.
#ifndef QUIL_TESTS_FUZZ_FUZZ_FOLDER_H
#define QUIL_TESTS_FUZZ_FUZZ_FOLDER_H

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>
#include <vector>

struct FuzzFolderState {
  std::string home;     // where the fuzzer was started
  std::string scratch;  // made on first use
};

inline FuzzFolderState& FuzzFolder() {
  static FuzzFolderState st;
  return st;
}

inline void FuzzFolderRemove() {
  FuzzFolderState& st = FuzzFolder();
  if (st.scratch.empty()) return;
  std::error_code ec;
  if (!st.home.empty() && chdir(st.home.c_str()) != 0) {
    // Nothing to do about it at exit; the folder is removed all the same.
  }
  std::filesystem::remove_all(st.scratch, ec);
  st.scratch.clear();
}

// Makes the scratch folder (once) and enters it; aborts when it cannot,
// since every input would then test nothing.
inline const char* FuzzFolderEnter() {
  FuzzFolderState& st = FuzzFolder();
  if (st.scratch.empty()) {
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) abort();
    st.home = buf;
    std::error_code ec;
    std::string tmpl = (std::filesystem::temp_directory_path(ec) / "quilfuzz_XXXXXX").string();
    if (ec || !mkdtemp(&tmpl[0])) abort();
    st.scratch = tmpl;
    atexit(FuzzFolderRemove);
  }
  if (chdir(st.scratch.c_str()) != 0) abort();
  return st.scratch.c_str();
}

inline void FuzzFolderLeave() {
  FuzzFolderState& st = FuzzFolder();
  if (!st.home.empty() && chdir(st.home.c_str()) != 0) abort();
}

// For LLVMFuzzerInitialize: a crash inside an input leaves the process in
// the scratch folder, so the artifact would be written there and lost; unless
// the caller chose a prefix, artifacts go to the folder the fuzzer was
// started in.
inline int FuzzFolderInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i)
    if (strncmp((*argv)[i], "-artifact_prefix=", 17) == 0) return 0;
  char buf[4096];
  if (!getcwd(buf, sizeof buf)) return 0;
  static std::string prefix;
  static std::vector<char*> args;
  prefix = std::string("-artifact_prefix=") + buf + "/";
  args.assign(*argv, *argv + *argc);
  args.push_back(&prefix[0]);
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
  return 0;
}

// Entered for the length of one input.
struct FuzzFolderScope {
  FuzzFolderScope() { FuzzFolderEnter(); }
  ~FuzzFolderScope() { FuzzFolderLeave(); }
  FuzzFolderScope(const FuzzFolderScope&) = delete;
  FuzzFolderScope& operator=(const FuzzFolderScope&) = delete;
};

#endif
