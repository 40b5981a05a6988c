// The sample drawing through both readers: the satellites' store holds the
// same objects and placements as the editor's store after loading each cell.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "celltable.h"
#include "host_record.h"
#include "mainsetup.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "store.h"
#include "tlcread.h"

namespace fs = std::filesystem;

namespace {

std::string SampleDir() {
  const char* s = getenv("QUIL_SOURCE");
  return std::string(s ? s : QUIL_SOURCE_DIR) + "/samples/demo";
}

struct Objects {
  std::vector<std::string> boxes, paths, texts, insts;
  void Sort() {
    for (auto* v : {&boxes, &paths, &texts, &insts}) std::sort(v->begin(), v->end());
  }
};

// The objects as the editor's loader stored them.
Objects EditorObjects(const std::string& name, int level) {
  Objects o;
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    std::ostringstream s;
    s << (StoreBoxGet(0, i) & FLAG_LAYER_MASK);
    for (int f = 1; f < 5; ++f) s << " " << StoreBoxGet(f, i);
    o.boxes.push_back(s.str());
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    uint32_t flags = (uint32_t)StorePathGet(0, i);
    std::ostringstream s;
    s << (flags & FLAG_LAYER_MASK) << " " << StorePathGet(1, i);
    int32_t v = StorePathGet(2, i);
    if (flags & TEXT_BIT) {
      char text[128];
      StoreTextGet(i, text, sizeof text);
      s << " " << ((flags >> ORIENT_SHIFT) & ORIENT_MASK) << " " << StoreVertexGet(1, v) << " "
        << StoreVertexGet(2, v) << " " << text;
      o.texts.push_back(s.str());
    } else {
      for (; v; v = StoreVertexGet(3, v)) s << " " << StoreVertexGet(1, v) << " " << StoreVertexGet(2, v);
      o.paths.push_back(s.str());
    }
  }
  for (int32_t i = 1; i <= Store.instCount[level]; ++i) {
    int32_t w = StoreCellGet(level, 0, i);
    const CellEntry* e = CellEntryOf(w & INST_CELL_MASK);
    std::ostringstream s;
    s << (e ? e->name : "?") << " " << ((w >> ORIENT_SHIFT) & ORIENT_MASK) << " " << ((w & INST_OUTLINE) != 0)
      << " " << StoreCellGet(level, 1, i) << " " << StoreCellGet(level, 2, i);
    o.insts.push_back(s.str());
  }
  (void)name;
  o.Sort();
  return o;
}

Objects SatelliteObjects(int depth) {
  Objects o;
  for (int32_t i = 1; i <= TlcStore.nB; ++i) {
    std::ostringstream s;
    s << getB(0, i);
    for (int f = 1; f < 5; ++f) s << " " << getB(f, i);
    o.boxes.push_back(s.str());
  }
  for (int32_t i = 1; i <= TlcStore.nP; ++i) {
    int32_t w = getP(0, i);
    std::ostringstream s;
    s << (w & 0x1ff) << " " << getP(1, i);
    int32_t v = getP(2, i);
    if (w < 1) {
      char text[TXTLEN + 1];
      TlcTextGet(i, text, sizeof text);
      s << " " << ((w >> 17) & 7) << " " << getV(1, v) << " " << getV(2, v) << " " << text;
      o.texts.push_back(s.str());
    } else {
      for (; v; v = getV(3, v)) s << " " << getV(1, v) << " " << getV(2, v);
      o.paths.push_back(s.str());
    }
  }
  for (int32_t i = 1; i <= TlcStore.nA[depth]; ++i) {
    int32_t w = getA(depth, 0, i);
    int ci = w & 0x3fff;
    std::ostringstream s;
    s << (ci ? Cells.cell[ci].name : "?") << " " << ((w >> 17) & 7) << " " << ((w >> 15) & 1) << " "
      << getA(depth, 1, i) << " " << getA(depth, 2, i);
    o.insts.push_back(s.str());
  }
  o.Sort();
  return o;
}

}  // namespace

TEST(SampleDrawing, SatelliteReaderSeesWhatTheEditorLoads) {
  fs::path old = fs::current_path();
  fs::path dir = SampleDir();
  ASSERT_TRUE(fs::exists(dir / "QUIL7.CRF"));
  fs::current_path(dir);  // both readers only read
  HostRecordInstall();
  StoreReset();
  CellTableReset();
  TlcLoadReset();
  MainSetupReset();
  ASSERT_EQ(CrfRead(), 1);
  TlcStoreReset();
  CellInfoReset();
  ASSERT_EQ(SatCrfRead(), 0);
  ASSERT_EQ(Cells.count, CellTable.count);
  int compared = 0;
  for (int c = 1; c <= CellTable.count; ++c) {
    std::string name = CellTable.cells[c].name;
    StoreReset();
    ASSERT_EQ(CellObjLoad(c), 0) << name;
    ASSERT_EQ(CellInstLoad(c, 0), 0) << name;
    Objects ed = EditorObjects(name, 0);
    ASSERT_EQ(TlcReadBPV(name.c_str()), 0) << name;
    ASSERT_EQ(TlcReadC(name.c_str(), 3), 0) << name;
    Objects sat = SatelliteObjects(3);
    EXPECT_EQ(sat.boxes, ed.boxes) << name;
    EXPECT_EQ(sat.paths, ed.paths) << name;
    EXPECT_EQ(sat.texts, ed.texts) << name;
    EXPECT_EQ(sat.insts, ed.insts) << name;
    compared += (int)(ed.boxes.size() + ed.paths.size() + ed.texts.size() + ed.insts.size());
  }
  EXPECT_GT(compared, 40);
  EXPECT_TRUE(HostRecordTexts().empty());
  fs::current_path(old);
  StoreReset();
  TlcStoreReset();
}
