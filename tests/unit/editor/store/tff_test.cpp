#include "font.h"

#include "host.h"
#include "host_record.h"
#include "mainsetup.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string s = ss.str();
  return std::vector<uint8_t>(s.begin(), s.end());
}

// Checks a whole font image the way the drawing code will use it.
void ExpectSoundFont(const uint8_t* font, const std::string& what) {
  for (int g = 0; g < TFF_GLYPHS; ++g) {
    const uint8_t* slot = font + g * TFF_SLOT;
    EXPECT_EQ(slot[TFF_SLOT - 1], TFF_END) << what << " glyph " << g + 32 << " has no end mark";
    int pos = 0, start, count, strokes = 0;
    while (TffStrokeNext(slot, &pos, &start, &count)) {
      ++strokes;
      EXPECT_GE(count, 2) << what << " glyph " << g + 32;
      // A stroke that closes would be filled on a filled layer.
      if (count >= 3) {
        EXPECT_NE(slot[start], slot[start + count - 1]) << what << " glyph " << g + 32 << " closes";
      }
    }
    if (g == 0)
      EXPECT_EQ(strokes, 0) << what << ": the space is empty";
    else
      EXPECT_GT(strokes, 0) << what << " glyph " << g + 32 << " is empty";
  }
}

std::string SourceDir() {
  const char* s = getenv("QUIL_SOURCE");
  return s ? s : ".";
}

class Tff : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tff_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    MainSetupReset();
    FontReset();
    rec_ = &HostRecordInstall();
  }
  void TearDown() override {
    HostRecordRemove();
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(system(cmd.c_str()), 0);
  }
  // A font file of n bytes whose byte i is (i * 7 + 3) & 0xFF.
  std::string Make(size_t n) {
    std::string path = dir_ + "/Test.tff";
    std::ofstream out(path, std::ios::binary);
    for (size_t i = 0; i < n; ++i) out.put(static_cast<char>((i * 7 + 3) & 0xFF));
    return path;
  }
  std::string dir_;
  HostRecord* rec_ = nullptr;
};

TEST_F(Tff, FileSizes) {
  struct Case {
    size_t size;
    int result;
    const char* message;  // null: none
  } cases[] = {
      {12287, 0, "Font File is Incorrect ... Using Default Font\n\nCheck for Correct File"},
      {12288, 1, nullptr},
      {12289, 1, nullptr},
      {40000, 1, nullptr},
      {0, 0, "Font File is Incorrect ... Using Default Font\n\nCheck for Correct File"},
  };
  for (const Case& c : cases) {
    rec_->messages.clear();
    FontReset();
    std::string path = Make(c.size);
    snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", path.c_str());
    EXPECT_EQ(TffRead(), c.result) << c.size;
    if (c.result) {
      // The first 12,288 bytes of the file, in order.
      for (size_t i = 0; i < TFF_SIZE; ++i)
        ASSERT_EQ(Font.table[i / TFF_SLOT][i % TFF_SLOT], (i * 7 + 3) & 0xFF) << c.size << " byte " << i;
      EXPECT_TRUE(rec_->messages.empty()) << c.size;
    } else {
      EXPECT_EQ(memcmp(Font.table, TffBuiltinFont(), TFF_SIZE), 0) << c.size << ": the built-in font";
      ASSERT_EQ(rec_->messages.size(), 1u) << c.size;
      EXPECT_EQ(rec_->messages[0].text, c.message);
      EXPECT_EQ(rec_->messages[0].captionKind, HOST_CAP_WARNING);
    }
  }
}

TEST_F(Tff, AShortFileAfterAGoodOneLeavesNoMixture) {
  snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", Make(12288).c_str());
  ASSERT_EQ(TffRead(), 1);
  snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", Make(6000).c_str());
  EXPECT_EQ(TffRead(), 0);
  EXPECT_EQ(memcmp(Font.table, TffBuiltinFont(), TFF_SIZE), 0);
}

TEST_F(Tff, AMissingFile) {
  struct Case {
    int wine;
    size_t messages;
  } cases[] = {{0, 1}, {1, 0}};
  for (const Case& c : cases) {
    rec_->messages.clear();
    MainSetup.winemods = c.wine;
    snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s/None.tff", dir_.c_str());
    EXPECT_EQ(TffRead(), 0);
    EXPECT_EQ(memcmp(Font.table, TffBuiltinFont(), TFF_SIZE), 0);
    ASSERT_EQ(rec_->messages.size(), c.messages) << "wine " << c.wine;
    if (c.messages) {
      EXPECT_EQ(rec_->messages[0].text, "Font File is Missing ... Using Default Font\n\nCheck for Correct File");
    }
  }
  // Wine mode also silences the short-file warning.
  MainSetup.winemods = 1;
  snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", Make(100).c_str());
  EXPECT_EQ(TffRead(), 0);
  EXPECT_TRUE(rec_->messages.empty());
}

TEST(TffGlyphs, WalkingStopsAtTheEndOfTheSlotWhateverItHolds) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;  // the rest of the slot is filled with fill
    uint8_t fill;
    std::vector<int> counts;     // points of each stroke found
  } cases[] = {
      {"no end mark at all", {}, 0x11, {128}},
      {"one stroke, end mark in the last byte", {}, 0x22, {127}},
      {"empty", {0xFF}, 0x33, {}},
      {"two strokes then the glyph end", {1, 2, 0xFF, 3, 0xFF, 0xFF}, 0x44, {2, 1}},
      {"a stroke running into the slot end", {1, 0xFF}, 0x55, {1, 126}},
  };
  for (const Case& c : cases) {
    // Exactly one slot on the heap: any read past it is caught.
    std::unique_ptr<uint8_t[]> slot(new uint8_t[TFF_SLOT]);
    memset(slot.get(), c.fill, TFF_SLOT);
    if (!c.bytes.empty()) memcpy(slot.get(), c.bytes.data(), c.bytes.size());
    if (std::string(c.what) == "one stroke, end mark in the last byte") slot[TFF_SLOT - 1] = 0xFF;
    std::vector<int> counts;
    int pos = 0, start, count;
    while (TffStrokeNext(slot.get(), &pos, &start, &count)) {
      ASSERT_LE(start + count, TFF_SLOT) << c.what;
      counts.push_back(count);
      ASSERT_LE(counts.size(), 128u) << c.what;
    }
    EXPECT_EQ(counts, c.counts) << c.what;
    EXPECT_EQ(TffStrokeNext(slot.get(), &pos, &start, &count), 0) << c.what << ": stays ended";
  }
}

TEST(TffGlyphs, TheBuiltInFontIsCompleteAndSound) {
  ExpectSoundFont(TffBuiltinFont(), "built-in");
  EXPECT_EQ(TffGlyphMaxX(TffBuiltinFont()), -1);                    // space
  EXPECT_EQ(TffGlyphMaxX(TffBuiltinFont() + ('M' - 32) * TFF_SLOT), 10);
  EXPECT_EQ(TffSlot(31), nullptr);
  EXPECT_EQ(TffSlot(128), nullptr);
  EXPECT_NE(TffSlot(127), nullptr);
}

TEST(TffGlyphs, TheShippedFontFilesAreWholeAndTheFirstIsTheBuiltInFont) {
  for (int i = 1; i <= 5; ++i) {
    std::string path = SourceDir() + "/editor/store/fonts/Font" + std::to_string(i) + ".tff";
    std::vector<uint8_t> bytes = FileBytes(path);
    ASSERT_EQ(bytes.size(), size_t(TFF_SIZE)) << path;
    ExpectSoundFont(bytes.data(), path);
    if (i == 1) {
      EXPECT_EQ(memcmp(bytes.data(), TffBuiltinFont(), TFF_SIZE), 0)
          << "Font1.tff is out of date: run tffgen editor/store/fonts";
    }
  }
}

}  // namespace
