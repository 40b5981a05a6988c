#include "store_fixture.h"

#include <fstream>
#include <sstream>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "celltable.h"
#include "mainsetup.h"
#include "store.h"
#include "temp_folder.h"
#include "tlcread.h"
#include "tlcwrite.h"

void ResetAllStores() {
  StoreReset();
  CellTableReset();
  TlcLoadReset();
  TlcWriteReset();
  MainSetupReset();
}

void DrawingFolder::SetUp() {
  ASSERT_NO_FATAL_FAILURE(EnterTempFolder("/tmp/quilstore_XXXXXX", &dir, &oldDir));
  ResetAllStores();
  rec = &HostRecordInstall();
}

void DrawingFolder::TearDown() {
  HostRecordRemove();
  ResetAllStores();
  LeaveTempFolder(dir, oldDir);
}

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream f(path, std::ios::binary);
  f << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool FileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

void SampleLayers() {
  static const char* const names[] = {"NWELL", "ACTIVE", "PSEL", "NSEL", "POLY",
                                      "CONTACT", "METAL1", "VIA", "METAL2", "TEXT"};
  MainSetup.layerCount = 10;
  for (int i = 0; i < 10; ++i) {
    snprintf(MainSetup.layers[i].name, sizeof MainSetup.layers[i].name, "%s", names[i]);
    MainSetup.layers[i].number = i + 1;
  }
}
