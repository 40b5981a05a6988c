// Map files: the run-length code, the header, reading back with bounds, and
// which files a run may delete.
#include "drc_pcx.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "drc_map.h"
#include "drc_state.h"
#include "host.h"
#include "host_record.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> Encode(const std::vector<uint8_t>& line) {
  std::vector<uint8_t> out(2 * line.size() + 2);
  out.resize((size_t)PcxRunEncode(line.data(), (int)line.size(), out.data()));
  return out;
}

std::vector<uint8_t> FileBytes(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

class PcxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(MapAlloc(st), 1);
    dir = fs::temp_directory_path() / ("drcpcx_" + std::to_string(::getpid()));
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string P(const char* name) { return (dir / name).string(); }
  fs::path dir;
  DrcState st;
};

TEST_F(PcxTest, RunLengthCode) {
  EXPECT_EQ(Encode(std::vector<uint8_t>(128, 0)), (std::vector<uint8_t>{0xFF, 0, 0xFF, 0, 0xC2, 0}));
  EXPECT_EQ(Encode({0xC5}), (std::vector<uint8_t>{0xC1, 0xC5}));
  EXPECT_EQ(Encode({1, 2, 2, 0xBF}), (std::vector<uint8_t>{1, 0xC2, 2, 0xBF}));
  EXPECT_EQ(PcxIndexOf(0x0000FF), 12);  // red
  EXPECT_EQ(PcxIndexOf(0x00FF00), 10);  // green
  EXPECT_EQ(PcxIndexOf(0xBFBFBF), 7);
  EXPECT_EQ(PcxIndexOf(0), 0);
}

TEST_F(PcxTest, WriteThenReadBackTheMapperPicture) {
  ASSERT_EQ(MapperCreate(st, 14), 1);
  EXPECT_EQ(st.mapper.w, 544);
  EXPECT_EQ(st.mapper.hm, 336);
  MapClear(st, st.maps.D);
  for (int x = 100; x < 140; ++x) MapPut(st, st.maps.D, x, 50, 1);
  MapperPaint(st, st.maps.D, 0x0000FF, 1);
  ASSERT_EQ(PcxWrite(st, P("T_1_1.pcx").c_str(), 0, 0, 700, 300, -1000, 2, 3000000, -7), 1);
  std::vector<uint8_t> b = FileBytes(P("T_1_1.pcx"));
  ASSERT_GE(b.size(), 128u);
  EXPECT_EQ(b[0], 10);
  EXPECT_EQ(b[1], 3);
  EXPECT_EQ(b[66], 87);  // 700 / 8 bytes a line
  EXPECT_EQ(b[8] | (b[9] << 8), 695);
  EXPECT_EQ(b[10] | (b[11] << 8), 299);
  EXPECT_EQ(b[80], 0xFF);
  EXPECT_EQ(b[81], 0xFF);
  EXPECT_EQ(b[82], 0xFC);
  EXPECT_EQ(b[83], 0x18);
  PcxInfo info;
  uint8_t* pix = nullptr;
  ASSERT_EQ(PcxRead(P("T_1_1.pcx").c_str(), 0, &info, &pix, 1), 1);
  // The whole image is shown: x max + 1 by y max + 1.
  EXPECT_EQ(info.width, 696);
  EXPECT_EQ(info.height, 300);
  EXPECT_EQ(info.areaL, -1000);
  EXPECT_EQ(info.areaB, 2);
  EXPECT_EQ(info.areaR, 3000000);
  EXPECT_EQ(info.areaT, -7);
  // The map row 50 is drawn at picture row hm - 8 - 50 from column 16 + 100.
  EXPECT_EQ(pix[(size_t)(336 - 8 - 50) * 696 + 116], 12);
  EXPECT_EQ(pix[(size_t)(336 - 8 - 50) * 696 + 115], 0);
  EXPECT_EQ(pix[(size_t)8 * 696 + 8], 15);  // the white frame
  for (int y = 0; y < 300; ++y)
    for (int x = 0; x < 696; ++x) {
      int want = (x < st.mapper.w && y < st.mapper.h) ? st.mapper.pix[(size_t)y * st.mapper.w + x] : 0;
      ASSERT_EQ(pix[(size_t)y * 696 + x], want) << x << "," << y;
    }
  std::free(pix);
}

TEST_F(PcxTest, BadFilesAreRefusedWithBounds) {
  HostRecord& rec = HostRecordInstall();
  PcxInfo info;
  uint8_t* pix = nullptr;
  EXPECT_EQ(PcxRead(P("missing.pcx").c_str(), 0, &info, &pix, 1), 0);
  EXPECT_EQ(rec.messages.back().text, "Can't Open Map File");
  uint8_t h[128] = {10, 3, 1, 1};
  auto le = [&](int at, int v) {
    h[at] = (uint8_t)v;
    h[at + 1] = (uint8_t)(v >> 8);
  };
  le(8, 1023);
  le(10, 9);
  le(12, 200);
  le(14, 200);
  h[65] = 4;
  le(66, 128);
  EXPECT_EQ(PcxHeaderOk(h, &info), 1);
  struct Case {
    int at, value;
  } bad[] = {{0, 11}, {2, 0}, {3, 8}, {65, 3}, {12, 300}, {66, 129}, {66, 0}, {8, 1024}, {4, 1}};
  for (auto& c : bad) {
    uint8_t k[128];
    std::memcpy(k, h, 128);
    k[c.at] = (uint8_t)c.value;
    if (c.at == 66 || c.at == 8 || c.at == 12) {
      k[c.at] = (uint8_t)c.value;
      k[c.at + 1] = (uint8_t)(c.value >> 8);
    }
    EXPECT_EQ(PcxHeaderOk(k, &info), 0) << c.at;
  }
  // A run past the end of its row, and a file cut short, stay in bounds.
  std::vector<uint8_t> f(h, h + 128);
  for (int i = 0; i < 40; ++i) {
    f.push_back(0xFF);
    f.push_back(0xAA);
  }
  ASSERT_EQ(PcxDecode(f.data(), f.size(), &info, &pix), 1);
  EXPECT_EQ(info.width, 1024);
  EXPECT_EQ(info.height, 10);
  std::free(pix);
  {
    std::ofstream o(P("bad.pcx"), std::ios::binary);
    o.write("not a map file at all", 21);
  }
  EXPECT_EQ(PcxRead(P("bad.pcx").c_str(), 1, &info, &pix, 1), 0);
  EXPECT_EQ(rec.messages.back().text, "Not QUILDRC Map File");
  HostRecordRemove();
}

TEST_F(PcxTest, OnlyOwnMapFilesAreDeleted) {
  ASSERT_EQ(MapperCreate(st, 4), 1);
  for (const char* n : {"TOP_1_1.pcx", "top_2_13.PCX", "TOP_3_2.pcx", "OTHER_1_1.pcx"})
    ASSERT_EQ(PcxWrite(st, P(n).c_str(), 0, 0, 64, 8, 0, 0, 1, 1), 1);
  {
    std::ofstream(P("TOP_9_9.pcx")) << "a picture of the user's";
    std::ofstream(P("holiday.pcx")) << "x";
    std::ofstream(P("TOP.cmd")) << "zoom 1,1 2,2";
  }
  EXPECT_EQ(PcxHighestSeq(dir.string().c_str(), "TOP", 2), 13);
  EXPECT_EQ(PcxHighestSeq(dir.string().c_str(), "TOP", 4), 0);
  EXPECT_EQ(PcxDeleteOwn(dir.string().c_str(), "TOP"), 3);
  EXPECT_TRUE(fs::exists(dir / "OTHER_1_1.pcx"));
  EXPECT_TRUE(fs::exists(dir / "TOP_9_9.pcx"));
  EXPECT_TRUE(fs::exists(dir / "holiday.pcx"));
  EXPECT_TRUE(fs::exists(dir / "TOP.cmd"));
  EXPECT_FALSE(fs::exists(dir / "TOP_1_1.pcx"));
}

TEST_F(PcxTest, PitchPatterns) {
  ASSERT_EQ(MapperCreate(st, 0), 1);
  MapClear(st, st.maps.D);
  MapNot(st, st.maps.D);
  auto count = [this](int pitch) {
    MapperCreate(st, 0);
    MapperPaint(st, st.maps.D, 0x00FF00, pitch);
    int n = 0;
    for (int i = 0; i < 40; ++i)
      for (int j = 0; j < 40; ++j) n += st.mapper.pix[(size_t)(st.mapper.hm - 8 - i) * st.mapper.w + 16 + j] == 10;
    return n;
  };
  EXPECT_EQ(count(1), 1600);
  EXPECT_EQ(count(0), 1600);
  EXPECT_EQ(count(2), 800);  // chequer
  EXPECT_EQ(count(3), 400);  // every second block both ways
  EXPECT_EQ(count(4), 200);
}

}  // namespace
