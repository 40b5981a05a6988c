// A fresh empty folder made current for the length of a test, then left and
// removed. TempFolder is the scoped form; EnterTempFolder/LeaveTempFolder
// serve a fixture's SetUp and TearDown (Enter fails the test when the folder
// cannot be made or entered).
#ifndef QUIL_TESTS_TEMP_FOLDER_H
#define QUIL_TESTS_TEMP_FOLDER_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct TempFolder {
  std::filesystem::path dir, old;
  TempFolder() {
    old = std::filesystem::current_path();
    char tmpl[] = "/tmp/quiltmpXXXXXX";
    dir = mkdtemp(tmpl);
    std::filesystem::current_path(dir);
  }
  ~TempFolder() {
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  void Write(const std::string& name, const std::string& text) { std::ofstream(dir / name) << text; }
  std::string Read(const std::string& name) {
    std::ifstream f(dir / name);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
};

// tmpl ends in XXXXXX, as mkdtemp wants it.
inline void EnterTempFolder(const char* tmpl, std::string* dir, std::string* oldDir) {
  char buf[4096];
  *oldDir = getcwd(buf, sizeof buf) ? buf : ".";
  char name[256];
  snprintf(name, sizeof name, "%s", tmpl);
  ASSERT_NE(mkdtemp(name), nullptr);
  *dir = name;
  ASSERT_EQ(chdir(dir->c_str()), 0);
}

inline void LeaveTempFolder(const std::string& dir, const std::string& oldDir) {
  if (chdir(oldDir.c_str()) != 0) {
  }
  std::string cmd = "rm -rf '" + dir + "'";
  if (system(cmd.c_str()) != 0) {
  }
}

#endif
