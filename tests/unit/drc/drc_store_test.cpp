// The walk over TLC files read through the satellites' store equals the walk
// over the same cells held in memory.
#include "drc_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drc_map.h"
#include "drc_memsrc.h"
#include "drc_raster.h"
#include "drc_state.h"
#include "host_record.h"
#include "satsetup.h"

namespace {

namespace fs = std::filesystem;

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostRecordInstall();
    ASSERT_EQ(MapAlloc(st), 1);
    DrcStoreReset();
    old = fs::current_path();
    dir = fs::temp_directory_path() / ("drcstore_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    fs::current_path(dir);
  }
  void TearDown() override {
    fs::current_path(old);
    fs::remove_all(dir);
    DrcStoreReset();
    HostRecordRemove();
  }
  // Writes the cells as TLC files and the cell reference list, and keeps the
  // same cells in memory.
  void Cells3(const std::vector<std::pair<std::string, std::string>>& cells) {
    for (auto& c : cells) {
      int i = DrcMemAddCell(mem, c.first.c_str());
      ASSERT_EQ(DrcMemReadTlc(mem, i, c.second.c_str()), 0);
      std::ofstream(dir / (c.first + ".TLC")) << "<?xml version=\"1.0\"?>\n<TLC>\n" << c.second << "</TLC>\n";
    }
    DrcMemFinish(mem);
    std::ofstream crf(dir / "QUIL7.CRF");
    crf << mem.cells.size() << "\n";
    for (const DrcMemCell& c : mem.cells)
      crf << c.name << "\n"
          << c.rank << " " << c.l << " " << c.b << " " << c.r << " " << c.t << " " << c.boxes.size() << " "
          << c.paths.size() << " 0 " << c.insts.size() << "\n";
    crf.close();
    ASSERT_EQ(SatCrfRead(), 0);
  }
  std::vector<uint64_t> Walk(const DrcCellSource* src, int mainCell) {
    st.ras.src = src;
    st.ras.mainCell = mainCell;
    DrcRasterForget(st);
    MapMainCell(st);
    return std::vector<uint64_t>(st.maps.W.w, st.maps.W.w + (size_t)st.maps.stride * st.maps.maph);
  }
  fs::path old, dir;
  DrcMemDrawing mem;
  DrcState st;
};

TEST_F(StoreTest, TlcFilesWalkLikeTheirMemoryCopy) {
  std::string mid, top;
  for (int o = 0; o < 8; ++o) mid += "<C>\nA\n" + std::to_string(o) + " " + std::to_string(100 * o) + " 7 0\n</C>\n";
  for (int o = 0; o < 8; ++o)
    top += "<C>\nMID\n" + std::to_string(o) + " " + std::to_string(1000 * (o % 4)) + " " +
           std::to_string(1000 * (o / 4)) + " 0\n</C>\n";
  top += "<B>\n1 -50 -50 -20 -20\n</B>\n<T>\n1 10 1 0\n5 5\nLABEL\n</T>\n";
  Cells3({{"A",
           "<B>\n1 0 0 40 10\n</B>\n<P>\n1 6 3\n0 20 30 20 30 50\n</P>\n"
           "<P>\n1 0 4\n-10 -10 -5 -20 0 -10 -10 -10\n</P>\n<B>\n2 0 0 9 9\n</B>\n"},
          {"MID", mid},
          {"TOP", top}});
  DrcMemSource(mem);
  for (int layer : {1, 2}) {
    st.ras.layer = layer;
    st.ras.areaL = -1500;
    st.ras.areaB = -1500;
    st.ras.res = 10;
    st.ras.areaR = -1500 + 5120;
    st.ras.areaT = -1500 + 3200;
    int topIndex = DrcStoreFind(nullptr, "top");
    ASSERT_GT(topIndex, 0);
    std::vector<uint64_t> fromStore = Walk(DrcStoreSource(st), topIndex);
    int64_t count = MapCount(st, st.maps.W);
    std::vector<uint64_t> fromMemory = Walk(&mem.src, DrcMemFind(mem, "TOP"));
    EXPECT_GT(count, 0) << layer;
    EXPECT_EQ(MapCount(st, st.maps.W), count) << layer;
    EXPECT_TRUE(fromStore == fromMemory) << layer;
  }
  EXPECT_EQ(st.g.stopCode, 0);
}

TEST_F(StoreTest, MissingCellFilesStopTheWalk) {
  Cells3({{"A", "<B>\n1 0 0 40 10\n</B>\n"}, {"TOP", "<C>\nA\n0 0 0 0\n</C>\n"}});
  fs::remove(dir / "A.TLC");
  st.ras.layer = 1;
  st.ras.res = 1;
  st.ras.areaR = 512;
  st.ras.areaT = 320;
  Walk(DrcStoreSource(st), DrcStoreFind(nullptr, "TOP"));
  EXPECT_EQ(st.g.stopCode, DRC_STOP_BP_READ);
  ASSERT_FALSE(HostRecordGet().messages.empty());
  EXPECT_EQ(HostRecordGet().messages.back().text, "A");
  EXPECT_EQ(HostRecordGet().messages.back().caption, "TLC Read Error ...");
}

// An instance list read without error stays in its level's bank for the
// next walk: the file is not read again (a file changed in between shows
// it). A read at a shallower level frees the deeper banks, a list that did
// not read is read (and reported) again, and a new run reads everything anew.
TEST_F(StoreTest, InstanceListsReadOnceAWhileTheirBankHoldsThem) {
  auto write = [&](const char* name, int x) {
    std::ofstream(dir / name) << "<?xml version=\"1.0\"?>\n<TLC>\n<C>\nA\n0 " << x << " 0 0\n</C>\n</TLC>\n";
  };
  write("TOP.TLC", 5);
  write("MID.TLC", 7);
  const DrcCellSource* src = DrcStoreSource(st);
  auto firstX = [&](int level) {
    DrcInstRec r = {0, 0, 0};
    if (src->instCount(src->ctx, level) < 1) return -1;
    src->inst(src->ctx, level, 1, &r);
    return (int)r.x;
  };
  ASSERT_EQ(src->readInstances(src->ctx, "TOP", 0), 0);
  ASSERT_EQ(src->readInstances(src->ctx, "MID", 1), 0);
  write("TOP.TLC", 50);
  write("MID.TLC", 70);
  ASSERT_EQ(src->readInstances(src->ctx, "TOP", 0), 0);
  ASSERT_EQ(src->readInstances(src->ctx, "MID", 1), 0);
  EXPECT_EQ(firstX(0), 5);
  EXPECT_EQ(firstX(1), 7);
  ASSERT_EQ(src->readInstances(src->ctx, "MID", 0), 0);  // level 0 read: level 1 freed
  EXPECT_EQ(firstX(0), 70);
  EXPECT_EQ(firstX(1), -1);
  ASSERT_EQ(src->readInstances(src->ctx, "TOP", 1), 0);
  EXPECT_EQ(firstX(1), 50);

  std::ofstream(dir / "BAD.TLC") << "<C>\nA\n0 1\n</C>\n";
  for (int k = 0; k < 2; ++k) EXPECT_EQ(src->readInstances(src->ctx, "BAD", 0), 1);
  size_t errors = 0;
  for (auto& m : HostRecordGet().messages) errors += m.text == "Cell Record Read Error";
  EXPECT_EQ(errors, 2u);

  ASSERT_EQ(src->readInstances(src->ctx, "TOP", 0), 0);
  write("TOP.TLC", 500);
  DrcStoreReset();
  ASSERT_EQ(src->readInstances(src->ctx, "TOP", 0), 0);
  EXPECT_EQ(firstX(0), 500);
}

}  // namespace
