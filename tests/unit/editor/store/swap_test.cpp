#include "swap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../../../support/small_fs.h"
#include "store.h"
#include "store_fixture.h"

namespace {

using SwapFile = DrawingFolder;

TEST_F(SwapFile, SizesFollowTheCounts) {
  struct Case {
    int boxes, paths, pointsEach;
  } cases[] = {{0, 0, 0}, {1, 0, 0}, {3, 2, 4}, {0, 1, 1}};
  for (const Case& c : cases) {
    StoreReset();
    for (int i = 0; i < c.boxes; ++i) AddBox(1, i, i, i + 1, i + 1);
    for (int i = 0; i < c.paths; ++i) {
      std::vector<std::pair<int32_t, int32_t>> pts;
      for (int k = 0; k < c.pointsEach; ++k) pts.push_back({k, -k});
      AddPath(2, 10, pts);
    }
    ASSERT_EQ(SwapWrite(), 0);
    size_t b = c.boxes, p = c.paths, v = static_cast<size_t>(c.paths * c.pointsEach);
    std::string f = ReadFile("Swap.bpv");
    EXPECT_EQ(f.size(), 20 * (b + 1) + 12 * (p + 1) + 16 * (v + 1));
    if (!b && !p) {
      EXPECT_EQ(f, std::string(48, '\0'));
    }
  }
  // Little-endian fields.
  StoreReset();
  AddBox(0x102, 0x01020304, -2, 3, 4);
  ASSERT_EQ(SwapWrite(), 0);
  std::string f = ReadFile("Swap.bpv");
  EXPECT_EQ(f.substr(0, 8), std::string("\x02\x01\x00\x00\x04\x03\x02\x01", 8));
  EXPECT_EQ(f.substr(8, 4), std::string("\xfe\xff\xff\xff", 4));
}

TEST_F(SwapFile, RoundTripAndTruncation) {
  AddBox(3, 0, 0, 10, 10);
  AddPath(7, -500, {{0, 0}, {100, 0}, {100, 100}});
  AddText(10, 800, 6, 5, 5, "ROUNDTRIPTEXT");
  ASSERT_EQ(SwapWrite(), 0);
  std::string whole = ReadFile("Swap.bpv");
  int32_t counts[3] = {Store.boxCount, Store.pathCount, Store.vertexCount};
  std::vector<int32_t> vertices;
  for (int32_t i = 1; i <= Store.vertexCount; ++i)
    for (int f = 0; f < 4; ++f) vertices.push_back(StoreVertexGet(f, i));
  StoreReset();
  ASSERT_EQ(SwapRead(), 0);
  EXPECT_EQ(Store.boxCount, counts[0]);
  EXPECT_EQ(Store.pathCount, counts[1]);
  EXPECT_EQ(Store.vertexCount, counts[2]);
  std::vector<int32_t> again;
  for (int32_t i = 1; i <= Store.vertexCount; ++i)
    for (int f = 0; f < 4; ++f) again.push_back(StoreVertexGet(f, i));
  EXPECT_EQ(again, vertices);
  char text[32];
  StoreTextGet(2, text, sizeof text);
  EXPECT_STREQ(text, "ROUNDTRIPTEXT");
  // Cut inside the vertex run: the vertices read so far, and a failure.
  WriteFile("Swap.bpv", whole.substr(0, whole.size() - 16 - 10));
  EXPECT_EQ(SwapRead(), 1);
  EXPECT_EQ(Store.boxCount, 1);
  EXPECT_EQ(Store.vertexCount, counts[2] - 1);
  WriteFile("Swap.bpv", "");
  EXPECT_EQ(SwapRead(), 1);
  remove("Swap.bpv");
  EXPECT_EQ(SwapRead(), 1);
}

TEST_F(SwapFile, ARecordThatWouldEndItsRunIsRefused) {
  AddBox(1, 0, 0, 1, 1);
  AddBox(1, 0, 0, 2, 2);
  StoreBoxSet(0, 0, 1);
  EXPECT_EQ(SwapWrite(), 2);
  StoreReset();
  AddPath(1, 0, {{0, 0}});
  StoreVertexSet(0, 0, 1);
  EXPECT_EQ(SwapWrite(), 4);
}

TEST_F(SwapFile, OutAndInFollowTheCellNumbers) {
  AddBox(1, 0, 0, 1, 1);
  SwapOut();  // no current cell: nothing
  EXPECT_FALSE(FileExists("Swap.bpv"));
  Store.currentCell = Store.heldCell = 4;
  SwapOut();
  EXPECT_EQ(Store.swapCell, 4);
  StoreReset();
  Store.currentCell = 4;
  Store.swapCell = 4;
  Store.heldCell = 9;  // a nested cell was loaded
  SwapIn();
  EXPECT_EQ(Store.heldCell, 4);
  EXPECT_EQ(Store.boxCount, 1);
  Store.boxCount = 7;
  SwapIn();  // already held: nothing
  EXPECT_EQ(Store.boxCount, 7);
  Store.heldCell = 9;
  remove("Swap.bpv");
  SwapIn();
  EXPECT_EQ(HostRecordTexts(),
            std::vector<std::string>{"Swap File Failed to Read ... Try an Undo to Recover Previous Objects"});
  EXPECT_EQ(Store.heldCell, 9);
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "no/such/folder/");
  Store.heldCell = 4;
  SwapOut();
  EXPECT_EQ(HostRecordTexts().back(), "Swap File Failed to Write ... Try an Undo to Recover Previous Objects");
}

// A temp folder that can't take the swap file -- missing, read-only, full --
// sends it to the spare folder, made as needed, and it is read back from
// there; no part-written file stays behind. Once the temp folder takes the
// file again, the file is written and read there.
TEST_F(SwapFile, AFolderThatCantTakeTheFileSendsItToTheSpareFolder) {
  enum How { MISSING, READ_ONLY, FULL };
  for (How how : {MISSING, READ_ONLY, FULL}) {
    SCOPED_TRACE(how);
    StoreReset();
    MountedFolder fs(64);
    if (how != MISSING && !fs.mounted) GTEST_SKIP() << fs.reason;
    std::string temp = how == MISSING ? "no/such/folder/" : fs.path + "/";
    if (how == READ_ONLY) {
      ASSERT_TRUE(fs.MakeReadOnly());
    }
    if (how == FULL) {
      FILE* f = fopen((temp + "filler").c_str(), "wb");
      ASSERT_NE(f, nullptr);
      std::string chunk(4096, 'x');
      while (fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size()) {
      }
      fclose(f);
    }
    std::string spare = dir + "/spare" + std::to_string(how) + "/QuilTempFiles/77/";
    snprintf(Store.tempFolder, sizeof Store.tempFolder, "%s", temp.c_str());
    snprintf(Store.spareFolder, sizeof Store.spareFolder, "%s", spare.c_str());
    AddBox(3, 0, 0, 10, 10);
    AddPath(7, -500, {{0, 0}, {100, 0}, {100, 100}});
    ASSERT_EQ(SwapWrite(), 0);
    EXPECT_TRUE(FileExists(spare + "Swap.bpv"));
    EXPECT_FALSE(FileExists(temp + "Swap.bpv"));
    Store.boxCount = Store.pathCount = Store.vertexCount = 0;
    ASSERT_EQ(SwapRead(), 0);
    EXPECT_EQ(Store.boxCount, 1);
    EXPECT_EQ(Store.pathCount, 1);
    EXPECT_EQ(Store.vertexCount, 3);
    EXPECT_EQ(StoreBoxGet(3, 1), 10);
    SwapSpareDelete();
    EXPECT_FALSE(FileExists(spare + "Swap.bpv"));
  }
  // The temp folder takes it again: written and read there.
  Store.tempFolder[0] = '\0';
  ASSERT_EQ(SwapWrite(), 0);
  EXPECT_TRUE(FileExists("Swap.bpv"));
  EXPECT_FALSE(FileExists(std::string(Store.spareFolder) + "Swap.bpv"));
  Store.boxCount = 0;
  ASSERT_EQ(SwapRead(), 0);
  EXPECT_EQ(Store.boxCount, 1);
}

// Every record of a store filled to its limits goes out and comes back; the
// end records after full runs keep the runs apart.
TEST_F(SwapFile, FullSizeStoreRoundTrip) {
  Store.boxCount = BOX_LIMIT;
  Store.pathCount = PATH_LIMIT;
  Store.vertexCount = VERTEX_LIMIT;
  for (int32_t i = 1; i <= BOX_LIMIT; ++i) {
    int32_t* r = StoreBoxRec(i);
    r[0] = 1 + i % 256;
    r[1] = i;
  }
  for (int32_t i = 1; i <= PATH_LIMIT; ++i) {
    int32_t* r = StorePathRec(i);
    r[0] = 1 + i % 256;
    r[2] = 5 * i;
  }
  for (int32_t i = 1; i <= VERTEX_LIMIT; ++i) {
    int32_t* r = StoreVertexRec(i);
    r[0] = 1 + (i - 1) / 5;
    r[2] = -i;
  }
  ASSERT_EQ(SwapWrite(), 0);
  StoreReset();
  ASSERT_EQ(SwapRead(), 0);
  EXPECT_EQ(Store.boxCount, BOX_LIMIT);
  EXPECT_EQ(Store.pathCount, PATH_LIMIT);
  EXPECT_EQ(Store.vertexCount, VERTEX_LIMIT);
  EXPECT_EQ(StoreBoxGet(1, BOX_LIMIT), BOX_LIMIT);
  EXPECT_EQ(StorePathGet(2, PATH_LIMIT), 5 * PATH_LIMIT);
  EXPECT_EQ(StoreVertexGet(2, VERTEX_LIMIT), -VERTEX_LIMIT);
  remove("Swap.bpv");
}

}  // namespace
