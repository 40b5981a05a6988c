// A fresh drawing folder for each test: a temporary folder made current,
// every store state reset, messages recorded.
#ifndef QUIL_TESTS_STORE_FIXTURE_H
#define QUIL_TESTS_STORE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host_record.h"
#include "store_objects.h"

struct DrawingFolder : ::testing::Test {
  std::string dir;
  std::string oldDir;
  HostRecord* rec = nullptr;
  void SetUp() override;
  void TearDown() override;
};

void ResetAllStores();

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

// The simple CMOS layer table of the sample drawing.
void SampleLayers();

#endif
