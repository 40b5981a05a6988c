#include "store_fixture.h"

#include <fstream>
#include <sstream>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "celltable.h"
#include "mainsetup.h"
#include "store.h"
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
  char buf[4096];
  oldDir = getcwd(buf, sizeof buf) ? buf : ".";
  char tmpl[] = "/tmp/quilstore_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  dir = tmpl;
  ASSERT_EQ(chdir(dir.c_str()), 0);
  ResetAllStores();
  rec = &HostRecordInstall();
}

void DrawingFolder::TearDown() {
  HostRecordRemove();
  ResetAllStores();
  if (chdir(oldDir.c_str()) != 0) {
  }
  std::string cmd = "rm -rf '" + dir + "'";
  if (system(cmd.c_str()) != 0) {
  }
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

int32_t AddBox(int layer, int32_t l, int32_t b, int32_t r, int32_t t) {
  int32_t n = ++Store.boxCount;
  int32_t v[5] = {layer, l, b, r, t};
  for (int f = 0; f < 5; ++f) StoreBoxSet(v[f], f, n);
  return n;
}

int32_t AddPath(int layer, int32_t width, const std::vector<std::pair<int32_t, int32_t>>& pts) {
  int32_t n = ++Store.pathCount;
  StorePathSet(layer, 0, n);
  StorePathSet(width, 1, n);
  StorePathSet(Store.vertexCount + 1, 2, n);
  for (size_t i = 0; i < pts.size(); ++i) {
    int32_t v = ++Store.vertexCount;
    StoreVertexSet(n, 0, v);
    StoreVertexSet(pts[i].first, 1, v);
    StoreVertexSet(pts[i].second, 2, v);
    StoreVertexSet(i + 1 < pts.size() ? v + 1 : 0, 3, v);
  }
  return n;
}

int32_t AddText(int layer, int32_t size, int o, int32_t x, int32_t y, const std::string& text) {
  int32_t n = ++Store.pathCount;
  StorePathSet(static_cast<int32_t>(static_cast<uint32_t>(layer) | (uint32_t(o) << ORIENT_SHIFT) | TEXT_BIT), 0, n);
  StorePathSet(size, 1, n);
  int32_t v = ++Store.vertexCount;
  StorePathSet(v, 2, n);
  StoreVertexSet(n, 0, v);
  StoreVertexSet(x, 1, v);
  StoreVertexSet(y, 2, v);
  StoreVertexSet(0, 3, v);
  for (size_t i = 0; i < text.size(); i += 8) {
    int32_t cx, cy;
    StoreTextPack(text.c_str() + i, static_cast<int>(text.size() - i), &cx, &cy);
    int32_t w = ++Store.vertexCount;
    StoreVertexSet(w, 3, w - 1);
    StoreVertexSet(static_cast<int32_t>(static_cast<uint32_t>(n) | VERTEX_CHAR), 0, w);
    StoreVertexSet(cx, 1, w);
    StoreVertexSet(cy, 2, w);
    StoreVertexSet(0, 3, w);
  }
  return n;
}

int32_t AddInst(int level, int cell, int o, int32_t x, int32_t y, int outline) {
  int32_t n = ++Store.instCount[level];
  StoreCellSet(static_cast<int32_t>((uint32_t(cell) & INST_CELL_MASK) | (outline ? uint32_t(INST_OUTLINE) : 0u) |
                                    (uint32_t(o) << ORIENT_SHIFT)),
               level, 0, n);
  StoreCellSet(x, level, 1, n);
  StoreCellSet(y, level, 2, n);
  return n;
}

void SampleLayers() {
  static const char* const names[] = {"NWELL", "ACTIVE", "PSEL", "NSEL", "POLY",
                                      "CONTACT", "METAL1", "VIA", "METAL2", "TEXT"};
  MainSetup.layerCount = 10;
  for (int i = 0; i < 10; ++i) {
    snprintf(MainSetup.layers[i].name, sizeof MainSetup.layers[i].name, "%s", names[i]);
    MainSetup.layers[i].number = i + 1;
  }
}
