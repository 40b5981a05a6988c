// The satellites' TLC writer: record layout of both forms and failed writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "q7tlcrw.h"
#include "satlib.h"

namespace fs = std::filesystem;

namespace {

std::string WriteOne(int oldForm, void (*fill)(), void (*write)()) {
  fs::path old = fs::current_path();
  char tmpl[] = "/tmp/quilwrXXXXXX";
  fs::path dir = mkdtemp(tmpl);
  fs::current_path(dir);
  WriteOldTlc = oldForm;
  TlcOutputSet("");
  EXPECT_EQ(SatTlcCreate("OUT"), 1);
  fill();
  write();
  EXPECT_EQ(TlcWriteClose(), 1);
  std::ifstream f("Out.tlc");
  std::stringstream s;
  s << f.rdbuf();
  fs::current_path(old);
  fs::remove_all(dir);
  WriteOldTlc = 0;
  return s.str();
}

void Path(int n) {
  TLCp.lyr = 3;
  TLCp.w = -2;
  TLCp.nv = n;
  for (int i = 0; i < n; ++i) {
    TLCp.x[i] = i;
    TLCp.y[i] = -i;
  }
}

}  // namespace

TEST(TlcWrite, PathsTakeFiveVerticesALine) {
  const char* prolog = "<?xml version=\"1.0\"?>\n<TLC>\n";
  struct Case {
    int n;
    const char* body;
  } cases[] = {
      {5, "<P>\n3 -2 5\n0 0 1 -1 2 -2 3 -3 4 -4 \n</P>\n"},
      {6, "<P>\n3 -2 6\n0 0 1 -1 2 -2 3 -3 4 -4 \n5 -5 \n</P>\n"},
      {10, "<P>\n3 -2 10\n0 0 1 -1 2 -2 3 -3 4 -4 \n5 -5 6 -6 7 -7 8 -8 9 -9 \n</P>\n"},
      {0, "<P>\n3 -2 0\n</P>\n"},
  };
  static int n;
  for (const Case& c : cases) {
    n = c.n;
    std::string got = WriteOne(0, [] { Path(n); }, WriteP);
    EXPECT_EQ(got, std::string(prolog) + c.body + "</TLC>\n") << c.n;
  }
}

TEST(TlcWrite, RecordsInBothForms) {
  struct Case {
    const char* what;
    int oldForm;
    void (*fill)();
    void (*write)();
    const char* text;
  } cases[] = {
      {"box ordered", 1, [] { TLCb = {4, 10, 20, 0, 0}; }, WriteB, "=B\n4 0 0 10 20\n"},
      {"text old form", 1,
       [] {
         TLCt = {};
         TLCt.lyr = 2, TLCt.size = 15, TLCt.nv = 2, TLCt.o = 3, TLCt.x = -1, TLCt.y = 7;
         snprintf(TLCt.text, sizeof TLCt.text, "VDD");
       },
       WriteT, "=T\n2 15 2 3\n-1 7\nVDD\n"},
      {"text tagged", 0, [] { snprintf(TLCt.text, sizeof TLCt.text, "VDD"); }, WriteT,
       "<?xml version=\"1.0\"?>\n<TLC>\n<T>\n2 15 2 3\n-1 7\n<![CDATA[VDD]]>\n</T>\n</TLC>\n"},
      {"reference outline always 0", 1,
       [] {
         TLCc[3] = {};
         snprintf(TLCc[3].name, sizeof TLCc[3].name, "INV1");
         TLCc[3].o = 6, TLCc[3].x = 5, TLCc[3].y = -5, TLCc[3].r = 1;
       },
       [] { WriteC(3); }, "=C\nINV1\n6 5 -5 0\n"},
  };
  for (const Case& c : cases) EXPECT_EQ(WriteOne(c.oldForm, c.fill, c.write), c.text) << c.what;
}

TEST(TlcWrite, HeaderScaleTakesNineDigits) {
  struct Case {
    double scale;
    const char* line;
  } cases[] = {{1000, "\n1000\n"}, {0.001, "\n0.001\n"}, {1.0 / 3, "\n0.333333333\n"}};
  static double scale;
  for (const Case& c : cases) {
    scale = c.scale;
    std::string got = WriteOne(1, [] {
      TLCh = {};
      snprintf(TLCh.name, sizeof TLCh.name, "TOP_FLAT");
      TLCh.scale = scale;
      snprintf(TLCh.unit, sizeof TLCh.unit, "um");
      snprintf(TLCh.date, sizeof TLCh.date, "12/10/26");
      snprintf(TLCh.time, sizeof TLCh.time, "13:00:00");
      TLCh.rank = 2;
      TLCh.nb = 9;
      TLCh.nv = 50;
    }, WriteH);
    EXPECT_EQ(got, std::string("=H\nTOP_FLAT\n7.0.91\n7.0.91") + c.line + "um\n12/10/26\n13:00:00\n2 0 0 0 0\n9 0 50 0\n");
  }
}

TEST(TlcWrite, FailedWritesAndPathsTooLongAreReported) {
  if (fs::exists("/dev/full")) {
    TlcOutputSet("/dev/");
    // PathFix would capitalise the name; open the device by its own name.
    TlcWriter.file = fopen("/dev/full", "w");
    ASSERT_TRUE(TlcWriter.file);
    TlcWriter.failed = 0;
    TLCb = {1, 0, 0, 1, 1};
    for (int i = 0; i < 2000; ++i) WriteB();
    EXPECT_EQ(TlcWriteClose(), 0);
  }
  std::string folder(250, 'a');
  EXPECT_EQ(TlcOutputSet(folder.c_str()), 1);
  EXPECT_EQ(SatTlcCreate("A_VERY_LONG_CELL_NAME"), 0);  // the path would pass 259 characters
  EXPECT_EQ(TlcOutputSet(std::string(300, 'a').c_str()), 0);
  TlcOutputSet("");
}
