// The antenna table and the listing of objects on virtual nodes, on a small
// cell whose areas are worked out by hand.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ckt_ant.h"
#include "ckt_compile.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

std::string LogOf(CktState& st) {
  FILE* f = st.run.log.get();
  fflush(f);
  rewind(f);
  std::string s;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

// Scale 1000 units to the micron, the cell 10 x 10 um. Channel on active,
// antenna layers poly, metal 1, none, and 300 (taken as 256); thickness
// 0.5 um for poly, 2 um for metal 1.
//   G  active 1 x 1, poly 2 x 1, metal 3 x 1 um
//   g  metal 1 x 1 um: the same name, so one row holding both
//   W  metal 1 x 2 um: no channel, no ratios
//   an object without node on metal 2: the row "?"
struct AntCell {
  Engine e;
  CktState& st = e.st;
  explicit AntCell(const char* edge, long width = 10000) {
    StandardTrace(st);
    const char* ant[] = {"Y", edge, "2", "5", "7", "0", "300", "", "", "", "", "0.5", "2"};
    for (int i = 0; i < 13; i++) SetValue(st, GRP_ANT, i, ant[i]);
    SetupApply(st, GRP_ANT, 0);
    CktCell& c = st.store->cells[1];
    snprintf(c.name, sizeof c.name, "TOP");
    c.left = c.bottom = 0;
    c.right = width;
    c.top = 10000;
    int32_t g = Text(st, L_NODE, 0, 0, "G"), g2 = Text(st, L_NODE, 0, 0, "g"), w = Text(st, L_NODE, 0, 0, "W");
    BoxRec(st, Box(st, L_ACTIVE, 0, 0, 1000, 1000))->node = g;
    BoxRec(st, Box(st, L_POLY, 0, 0, 2000, 1000))->node = g;
    BoxRec(st, Box(st, L_METAL1, 0, 0, 3000, 1000))->node = g;
    BoxRec(st, Box(st, L_METAL1, 5000, 5000, 6000, 6000))->node = g2;
    BoxRec(st, Box(st, L_METAL1, 0, 2000, 1000, 4000))->node = w;
    Box(st, L_METAL2, 0, 0, 10, 10);
    st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
    st.run.log = QFile(tmpfile());
    EXPECT_EQ(AntAlloc(st), 1);
    AntWrite(st, 1);
  }
};

TEST(CktAnt, SurfaceTableWorkedOutByHand) {
  AntCell c("N");
  const std::string want =
      "\n\nAntenna (Surface) Areas:   Region (Cell) Area: 100   Micron Scale: 1.00   Areas are in sq-um\n\n"
      "                 4 Nodes           2           5           7         256         5/2       All/2\n"
      "                  ------      ------      ------      ------      ------      ------      ------\n"
      "                       ?        0.00        0.00        0.00        0.00\n"
      "                       G        1.00        2.00        4.00        0.00        2.00        6.00\n"
      "                       W        0.00        0.00        2.00        0.00\n"
      "                              ------      ------      ------      ------\n"
      "        Total for Layer:        1.00        2.00        6.00        0.00\n"
      "      Layer Density Pct:        1.00        2.00        6.00        0.00\n\n";
  EXPECT_EQ(LogOf(c.st), want);
}

// Edge mode: thickness times perimeter on the antenna layers, the surface
// on the channel and in the density row. A cell without area has density 0.
TEST(CktAnt, EdgeModeAndEmptyRegion) {
  AntCell c("Y", 0);
  std::string log = LogOf(c.st);
  EXPECT_NE(log.find("Antenna (Edge) Areas:   Region (Cell) Area: 0   "), std::string::npos) << log;
  // poly 0.5 * 6 um, metal 2 * (8 + 4) um
  EXPECT_NE(log.find("\n                       G        1.00        3.00       24.00        0.00        3.00       27.00\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("\n      Layer Density Pct:        0.00        0.00        0.00        0.00\n\n"), std::string::npos)
      << log;
  EXPECT_EQ(log.find("nan"), std::string::npos);
  EXPECT_EQ(log.find("inf"), std::string::npos);
  AntFree(c.st);
  EXPECT_EQ(c.st.compile.ant, nullptr);
}

TEST(CktAnt, VirtualNodeObjectsAndRemovedNumbers) {
  struct Case {
    const char* name;
    const char* all;
    int virtuals;
    std::string want;
  };
  const std::string removed = "Virtual Node 2 was Removed\n";
  const Case cases[] = {
      {"all objects", "Y", 2,
       "\n\nConductor Layer Objects on Virtual Nodes:\nvn1:\n    Box on Layer 7 at X=1 Y=2\n"
       "    Path on Layer 5 at X=3 Y=4\nvn3:\n    Path on Layer 7 at X=5 Y=6\n" + removed},
      {"first object", "N", 2,
       "\n\nConductor Layer Objects on Virtual Nodes:\nvn1:\n    Box on Layer 7 at X=1 Y=2\nvn3:\n"
       "    Path on Layer 7 at X=5 Y=6\n" + removed},
      {"no virtual pins", "Y", 0, "\n\nConductor Layer Objects on Virtual Nodes: None\n" + removed},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    SetValue(st, GRP_MAIN, S_CVA, k.all);
    SetupApply(st, GRP_MAIN, 0);
    BoxRec(st, Box(st, L_METAL1, 1000, 2000, 1500, 2500))->node = -1;
    BoxRec(st, Box(st, L_CONTACT, 0, 0, 10, 10))->node = -1;  // no conductor
    PathRec(st, Path(st, L_POLY, 100, {{3000, 4000}, {3000, 9000}}))->node = -1;
    PathRec(st, Path(st, L_METAL1, 100, {{5000, 6000}, {7000, 6000}}))->node = -3;
    st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
    st.compile.nodeList[0] = -1;
    st.compile.nodeList[1] = -3;
    st.compile.nodeCount = 2;
    st.compile.kindVirtual = k.virtuals;
    st.run.log = QFile(tmpfile());
    VirtualObjectsLog(st);
    VirtualRemovedList(st);
    EXPECT_EQ(LogOf(st), k.want);
  }
}

}  // namespace
