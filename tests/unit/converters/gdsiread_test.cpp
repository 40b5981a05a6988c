#include "gdsiread.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "convtest.h"

namespace {

const std::string kDel = "\x7f";

std::string Poly(int layer, const std::vector<int>& xy, const char* layerField = nullptr) {
  char head[64];
  snprintf(head, sizeof head, "?1040000000000100 %s %04d", layerField ? layerField : ("L" + std::to_string(layer)).c_str(),
           (int)xy.size() / 2);
  std::string s = head;
  for (int v : xy) s += std::to_string(v) + "!";
  return s;
}

std::string Place(const char* orient, const char* name, int x, int y) {
  return std::string("?1030000000000104 F 1!2!3!4!") + orient + "!" + name + "!" + std::to_string(x) + "!" +
         std::to_string(y) + "!";
}

std::string Cell(const std::string& name, const std::string& objects) { return "!1" + name + " " + objects + kDel; }

struct GdsiRunned {
  WorkDir dir;
  GdsiState st;
  std::string con;
  int rc = 0;
  explicit GdsiRunned(const std::string& input, bool write = true) {
    GdsiReset(&st);
    st.fixedNow = 1;
    if (write) WriteText("CALMA.TXT", input);
    char* buf = nullptr;
    size_t len = 0;
    st.con = open_memstream(&buf, &len);
    rc = GdsiRun(&st, (dir.path + "/CALMA.TXT").c_str());
    fclose(st.con);
    con.assign(buf, len);
    free(buf);
  }
  std::string Cell(const char* name) { return ReadText(dir.path + "/" + name + ".tlc"); }
};

TEST(GdsiRead, PolygonsPlacementsAndRanks) {
  GdsiRunned r(Cell("LEAF", Poly(5, {0, 0, 10, 0, 10, 10, 0, 10}) + "?1190000000000104 junk ") +
               Cell("TOP", Place("0001B0", "LEAF", 100, -200) + Place("0001D0", "LEAF", 5, 6)));
  EXPECT_EQ(r.rc, 0);
  EXPECT_NE(r.con.find("\n2 Cells Created\n"), std::string::npos);
  std::string leaf = r.Cell("LEAF"), top = r.Cell("TOP");
  EXPECT_EQ(leaf.rfind("<?xml version=\"1.0\"?>\n<TLC>\n<P>\n5 0 5\n0 0 10 0 10 10 0 10 0 0 \n</P>\n<H>\nLEAF\n7.0.0\n7.0.0\n100\num\n", 0),
            0u);
  EXPECT_NE(leaf.find("\n1 0 0 1000 1000\n0 1 5 0\n</H>\n<L>\n1\nL5 5\n</L>\n</TLC>\n"), std::string::npos);
  EXPECT_NE(top.find("<C>\nLEAF\n4 100 -200 0\n</C>\n<C>\nLEAF\n2 5 6 0\n</C>\n"), std::string::npos);
  EXPECT_NE(top.find("\n2 0 0 1000 1000\n0 0 0 2\n</H>\n"), std::string::npos);
}

TEST(GdsiRead, LayerListHoldsThirtyTwo) {
  std::string objs;
  for (int l = 1; l <= 33; ++l) objs += Poly(l, {0, 0, 1, 0, 1, 1});
  GdsiRunned r(Cell("MANY", objs));
  std::string c = r.Cell("MANY");
  EXPECT_NE(c.find("<L>\n32\nL1 1\n"), std::string::npos);
  EXPECT_NE(c.find("L32 32\n</L>"), std::string::npos);
  EXPECT_EQ(c.find("L33 33"), std::string::npos);
  EXPECT_NE(c.find("<P>\n33 0 4\n"), std::string::npos);  // still written
}

// Input that is dropped is reported, never written, and the run fails.
TEST(GdsiRead, BadInputIsReportedAndSkipped) {
  std::vector<int> big;
  for (int i = 0; i < 1033; ++i) {
    big.push_back(i);
    big.push_back(0);
  }
  struct Case {
    const char* name;
    std::string input;
    const char* report;
    const char* notFile;  // a file that must not exist ("" none)
    const char* keeps;    // text the good cell still holds ("" none)
  } cases[] = {
      {"nameless header", "!X " + Poly(1, {0, 0, 1, 1}) + kDel, "Cell Header without Name", "", ""},
      {"header without 1 keeps no name",
       Cell("A", Poly(1, {0, 0, 1, 0, 1, 1})) + "!X " + Poly(2, {0, 0, 1, 1}) + kDel, "Cell Header without Name", "",
       "<P>\n1 0 4\n"},
      {"outside name", Cell("..\\EVIL", Poly(1, {0, 0, 1, 1})) + Cell("T", Place("0001A0", "..\\EVIL", 0, 0)),
       "Incorrect Cell Name", "../EVIL", ""},
      {"device name", Cell("CON", Poly(1, {0, 0, 1, 1})), "Incorrect Cell Name", "CON", ""},
      {"same cell twice", Cell("A", Poly(1, {0, 0, 1, 0, 1, 1})) + Cell("A", Poly(2, {0, 0, 1, 1})),
       "Cell Made Before in this File", "", "<P>\n1 0 4\n"},
      {"layer 0", Cell("A", Poly(0, {0, 0, 1, 1}, "L0")), "Layer outside 1..256", "", ""},
      {"layer 257", Cell("A", Poly(0, {0, 0, 1, 1}, "L257")), "Layer outside 1..256", "", ""},
      {"far coordinate", Cell("A", Poly(1, {0, 0, 536870913, 1})), "Coordinate beyond 2^29", "", ""},
      {"too many vertices", Cell("A", Poly(1, big) + Poly(2, {0, 0, 1, 1})), "Too Many Vertices", "", "<P>\n2 0 3\n"},
      {"end inside cell", "!1A " + Poly(1, {0, 0, 1, 1}), "File Ended inside Cell A", "", "<P>\n1 0 3\n"},
      {"placement of skipped cell", Cell("CON", "") + Cell("T", Place("0001A0", "CON", 0, 0)),
       "Placement of Skipped Cell CON in T", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GdsiRunned r(c.input);
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(r.con.find(c.report), std::string::npos) << r.con;
    EXPECT_NE(r.con.find("Files may be Incomplete"), std::string::npos);
    if (*c.notFile) {
      EXPECT_EQ(ReadText(r.dir.path + "/" + c.notFile + ".tlc"), "");
    }
    if (*c.keeps) {
      EXPECT_NE(r.Cell("A").find(c.keeps), std::string::npos);
    }
  }
  EXPECT_EQ(ReadText("/tmp/EVIL.tlc"), "");
}

TEST(GdsiRead, MissingInputFails) {
  GdsiRunned r("", false);
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.con.find("Calma is File Missing"), std::string::npos);
}

TEST(GdsiRead, UnknownCodesAndOrientationsGoOn) {
  GdsiRunned r(Cell("T", "?9999 x " + Place("0001A0", "L", 0, 0) + Place("0009Z0", "L", 1, 1)) + Cell("L", ""));
  EXPECT_NE(r.con.find("??? Unknown Object Code 9999 in T"), std::string::npos);
  EXPECT_NE(r.con.find("??? Unknown Cell Orientation 0009Z0 in T"), std::string::npos);
  EXPECT_NE(r.Cell("T").find("<C>\nL\n0 1 1 0\n</C>\n"), std::string::npos);  // keeps the last one
  EXPECT_EQ(r.rc, 0);
}

}  // namespace
