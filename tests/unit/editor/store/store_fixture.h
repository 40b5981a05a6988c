// A fresh drawing folder for each test: a temporary folder made current,
// every store state reset, messages recorded.
#ifndef QUIL_TESTS_STORE_FIXTURE_H
#define QUIL_TESTS_STORE_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host_record.h"

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

// Objects added the way the commands add them.
int32_t AddBox(int layer, int32_t l, int32_t b, int32_t r, int32_t t);
int32_t AddPath(int layer, int32_t width, const std::vector<std::pair<int32_t, int32_t>>& pts);
int32_t AddText(int layer, int32_t size, int o, int32_t x, int32_t y, const std::string& text);
int32_t AddInst(int level, int cell, int o, int32_t x, int32_t y, int outline = 0);

// The simple CMOS layer table of the sample drawing.
void SampleLayers();

#endif
