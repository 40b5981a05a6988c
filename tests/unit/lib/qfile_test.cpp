#include "qfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "temp_folder.h"

TEST(QFile, ClosesOnScopeExitAndHandsOn) {
  TempFolder dir;
  std::string path = (dir.dir / "a.txt").string();
  {
    QFile f = QFileOpen(path.c_str(), "w");
    ASSERT_TRUE(f);
    fputs("abc", f.get());
  }  // closed here: the bytes are on disk
  FILE* in = fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  char buf[8] = {};
  ASSERT_NE(fgets(buf, sizeof buf, in), nullptr);
  EXPECT_STREQ(buf, "abc");
  fclose(in);

  QFile g = QFileOpen(path.c_str(), "r");
  QFile h(std::move(g));
  EXPECT_FALSE(g);
  FILE* raw = h.release();
  EXPECT_FALSE(h);
  EXPECT_EQ(fclose(raw), 0);
}

TEST(QFile, ExplicitCloseReportsWriteErrors) {
  QFile none;
  EXPECT_EQ(QFileClose(&none), 1);
  EXPECT_FALSE(QFileOpen("/nonexistent-dir/x", "w"));
#ifdef __linux__
  QFile full = QFileOpen("/dev/full", "w");
  ASSERT_TRUE(full);
  fputs("data that cannot land", full.get());
  EXPECT_EQ(QFileClose(&full), 0);
  EXPECT_FALSE(full);
#endif
}
