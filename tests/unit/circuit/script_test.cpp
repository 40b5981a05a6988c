// Connector and tracking scripts: which nodes get a connector and where,
// the script read back into connector texts, and the tracking lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ckt_compile.h"
#include "ckt_script.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

struct Folder {
  std::string dir;
  Folder() {
    char tmpl[] = "/tmp/ckt_script_XXXXXX";
    dir = std::string(mkdtemp(tmpl)) + "/";
  }
  ~Folder() {
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) ADD_FAILURE() << cmd;
  }
};

void WriteAll(const std::string& path, const std::string& s) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  fwrite(s.data(), 1, s.size(), f);
  fclose(f);
}

struct ScriptCell {
  Engine e;
  CktState& st = e.st;
  Folder folder;
  ScriptCell() {
    StandardTrace(st);
    SetValue(st, GRP_MAIN, S_COL, "11");
    SetValue(st, GRP_MAIN, S_TTL, "20");
    SetValue(st, GRP_MAIN, S_WAR, "Y");
    SetValue(st, GRP_MAIN, S_WAV, "Y");
    SetupApply(st, GRP_MAIN, 0);
    snprintf(st.store->folder, sizeof st.store->folder, "%s", folder.dir.c_str());
    snprintf(st.store->cells[1].name, sizeof st.store->cells[1].name, "TOP");
    st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
  }
};

// Connectors 1 to 5 exist (3 on node Q): new ones go on from 6, real nodes
// first, then virtual nodes at a box's centre or a path's first vertex.
TEST(CktScript, NewConnectorsFollowTheHighestNumber) {
  ScriptCell c;
  CktState& st = c.st;
  int32_t r = Text(st, L_NODE, 100, 100, "R");
  int32_t q = Text(st, L_NODE, 2000, 100, "Q");
  for (const char* n : {"1", "2", "4", "5"}) Text(st, L_CONN, 9000, 9000, n);
  Text(st, L_CONN, 2050, 150, "3");
  BoxRec(st, Box(st, L_METAL1, 50, 50, 500, 500))->node = r;
  BoxRec(st, Box(st, L_METAL1, 2000, 0, 2500, 500))->node = q;
  BoxRec(st, Box(st, L_CONTACT, 0, 0, 10, 21))->node = -1;
  BoxRec(st, Box(st, L_METAL1, 0, 0, 10, 21))->node = -3;  // conductor only: no connector
  PathRec(st, Path(st, L_VIA, 10, {{300, 400}, {300, 900}}))->node = -2;
  BoxRec(st, Box(st, L_METAL1, 600, 600, 700, 700))->node = 0;
  st.nodes.ownBoxes = st.store->nb;
  st.nodes.ownPaths = st.store->np;
  EXPECT_EQ(ConnMaxSeq(st), 5);
  ASSERT_EQ(ScriptWrite(st, 1), 1);
  EXPECT_EQ(ReadAll(c.folder.dir + "top_ctxt.txt"),
            "tlyr 11\ntext 0.1000 0.1000 6\ntext 0.0050 0.0100 7\ntext 0.3000 0.4000 8\n");
}

TEST(CktScript, ReadBackAddsConnectorTexts) {
  ScriptCell c;
  CktState& st = c.st;
  st.run.log = QFile(tmpfile());
  // The last line has no line end: its text keeps every character.
  WriteAll(c.folder.dir + "top_ctxt.txt", "tlyr 11\nTEXT 1.5 2.25 7\nbogus line\ntext x 1 2\ntext 3 4e9 9\ntext 3 4 12");
  int32_t before = st.store->np;
  c.e.rec->answers = {HOST_IDNO, HOST_IDNO};  // go on after each counted error
  EXPECT_EQ(ScriptRead(st, 1), 2);
  EXPECT_EQ(st.run.errCount, 2);  // a word for x, and y beyond the range
  ASSERT_EQ(st.store->np, before + 2);
  struct Want {
    int32_t x, y;
    const char* text;
  } want[] = {{1500, 2250, "7"}, {3000, 4000, "12"}};
  for (int k = 0; k < 2; k++) {
    int32_t p = before + 1 + k;
    char text[64];
    TextOfPath(st, p, 10, text, sizeof text);
    EXPECT_STREQ(text, want[k].text);
    CktVertex* v = VtxRec(st, PathRec(st, p)->first);
    EXPECT_EQ(v->x, want[k].x);
    EXPECT_EQ(v->y, want[k].y);
    EXPECT_EQ(PathRec(st, p)->word & 0x1ffff, 11);
  }
  remove((c.folder.dir + "top_ctxt.txt").c_str());
  EXPECT_EQ(ScriptRead(st, 1), 0);
  FILE* f = st.run.log.get();
  fflush(f);
  rewind(f);
  char buf[4096] = "";
  buf[fread(buf, 1, sizeof buf - 1, f)] = 0;
  EXPECT_NE(std::string(buf).find("Unable to find Connector Script File top_ctxt.txt \n"), std::string::npos) << buf;
}

// A box gives its centre, an open line each segment's middle, a polygon
// its first segment's; a y of ten characters stands apart from x.
TEST(CktScript, TrackingLines) {
  ScriptCell c;
  CktState& st = c.st;
  int32_t a = Text(st, L_NODE, 0, 0, "A");
  BoxRec(st, Box(st, L_METAL1, 0, 0, 1000, 3000))->node = a;
  BoxRec(st, Box(st, L_METAL1, 0, 1999999000, 1000, 2000001000))->node = a;
  BoxRec(st, Box(st, L_CONTACT, 0, 0, 1000, 3000))->node = a;  // no conductor
  PathRec(st, Path(st, L_METAL1, 0, {{0, 0}, {2000, 0}, {2000, 4000}, {6000, 4000}}))->node = a;
  PathRec(st, Path(st, L_POLY, 0, {{0, 0}, {2000, 0}, {2000, 2000}, {0, 0}}))->node = -4;
  ASSERT_EQ(TrackWrite(st, 1), 1);
  EXPECT_EQ(ReadAll(c.folder.dir + "top_track.txt"),
            "tlyr 20\n"
            "text       0.50      1.50 A\n"
            "text       0.50 2000000.00 A\n"
            "text       1.00      0.00 A\n"
            "text       2.00      2.00 A\n"
            "text       4.00      4.00 A\n"
            "text       1.00      0.00 vn4\n");
}

TEST(CktScript, PointsOnPaths) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t p = Path(st, L_METAL1, 0, {{0, 0}, {10, 0}, {10, 10}, {20, 20}});
  int32_t ins = Path(st, L_CONTACT, 0, {{0, 0}, {10, 0}});
  struct Case {
    int32_t x, y;
    int want;
  } cases[] = {{0, 0, 1}, {5, 0, 1}, {10, 5, 1}, {15, 15, 0}, {20, 20, 1}, {11, 0, 0}, {5, 1, 0}};
  for (const Case& k : cases) EXPECT_EQ(PointOnPath(st, k.x, k.y, p), k.want) << k.x << "," << k.y;
  EXPECT_EQ(PointOnPath(st, 5, 0, ins), 0);  // only conductors count
}

}  // namespace
