// Files written whole through a scratch file: the old file survives every
// failure, and no scratch file is left behind either way.
#include "safewrite.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "small_fs.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// Writes text through a SafeWrite; failed is passed to the commit.
int WriteThrough(const std::string& path, const std::string& text, int failed) {
  SafeWrite sw;
  if (!SafeWriteOpen(&sw, path.c_str())) return -1;
  int bad = fwrite(text.data(), 1, text.size(), sw.f.get()) != text.size();
  return SafeWriteCommit(&sw, failed || bad);
}

TEST(SafeWrite, ReplacesOnlyAWholeNewFile) {
  TempFolder t;
  struct Case {
    const char* what;
    bool oldThere;
    int failed;
    int result;
    const char* after;  // null: no file
  } cases[] = {
      {"new file", false, 0, 1, "new"},
      {"replaces the old one", true, 0, 1, "new"},
      {"failed run keeps the old one", true, 1, 0, "old"},
      {"failed run makes no file", false, 1, 0, nullptr},
  };
  for (const Case& c : cases) {
    fs::remove("A.tlc");
    if (c.oldThere) t.Write("A.tlc", "old");
    EXPECT_EQ(WriteThrough("A.tlc", "new", c.failed), c.result) << c.what;
    EXPECT_EQ(fs::exists("A.tlc"), c.after != nullptr) << c.what;
    if (c.after) {
      EXPECT_EQ(ReadText("A.tlc"), c.after) << c.what;
    }
    EXPECT_FALSE(fs::exists("A.tlc.tmp")) << c.what;
  }
  SafeWrite sw;
  EXPECT_EQ(SafeWriteOpen(&sw, ""), 0);
  EXPECT_EQ(SafeWriteOpen(&sw, std::string(400, 'a').c_str()), 0);  // path too long: nothing opened
  EXPECT_FALSE(sw.f);
}

TEST(SafeWrite, FullDiskKeepsTheOldFile) {
  MountedFolder small(64);
  if (!small.mounted) GTEST_SKIP() << small.reason;
  std::string path = small.path + "/BIG.gds";
  std::string old(20 * 1024, 'o');
  ASSERT_EQ(WriteThrough(path, old, 0), 1);
  // Larger than what is left: the write or the flush at the close fails.
  EXPECT_EQ(WriteThrough(path, std::string(60 * 1024, 'n'), 0), 0);
  EXPECT_EQ(ReadText(path), old);
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

}  // namespace
