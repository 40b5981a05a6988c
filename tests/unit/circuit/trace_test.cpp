#include <gtest/gtest.h>

#include <algorithm>

#include "ckt_support.h"

namespace {

using namespace ckttest;

int StatusCount(const Engine& e, const std::string& s) {
  return (int)std::count(e.rec->statuses.begin(), e.rec->statuses.end(), s);
}

TEST(CktTrace, RealNodeSpreadsToTouchingBoxesInOnePass) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 10, 0, 20, 10), c = Box(L_METAL1, 0, 10, 10, 20);
  int32_t far = Box(L_METAL1, 50, 50, 60, 60);
  int32_t t = Text(L_NODE, 5, 5, "OUT");
  RealNodesSearch();
  EXPECT_EQ(BoxNode(a), t);
  ConnectPass(0, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(b), t);
  EXPECT_EQ(BoxNode(c), t);
  EXPECT_EQ(BoxNode(far), 0);
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 1"), 1);
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 2"), 1);  // finds nothing new
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 3"), 0);
}

TEST(CktTrace, VirtualPassNeverSpreadsFromRealObjects) {
  Engine e;
  StandardTrace();
  int32_t t = Text(L_NODE, 5, 5, "A");
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 10, 0, 20, 10);
  BoxRec(a)->node = t;
  BoxRec(b)->node = -4;
  ConnectPass(1, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(b), -4);
  ConnectPass(0, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(b), t);  // the real pass does
}

TEST(CktTrace, LargerVirtualNumberWins) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 5, 5, 15, 15), c = Path(L_METAL1, 2, {{15, 10}, {30, 10}});
  BoxRec(a)->node = -7;
  BoxRec(b)->node = -3;
  PathRec(c)->node = -9;
  NodeRelax(1);
  EXPECT_EQ(BoxNode(a), -3);
  EXPECT_EQ(BoxNode(b), -3);
  EXPECT_EQ(PathNode(c), -3);
}

TEST(CktTrace, DifferentRealNamesOnOneNodeAreReportedAndKept) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 10, 0, 20, 10);
  int32_t ta = Text(L_NODE, 5, 5, "A"), tb = Text(L_NODE, 15, 5, "B");
  e.rec->answers.assign(20, HOST_IDNO);
  RealNodesSearch();
  NodeRelax(0);
  EXPECT_EQ(BoxNode(a), ta);
  EXPECT_EQ(BoxNode(b), tb);
  EXPECT_GE(e.Count("has Real Node Text \"A\" and \"B\" on the Same Node"), 1);
  EXPECT_EQ(g_cktRun.abortFlag, 0);
}

TEST(CktTrace, MergedLayersJoinEachOtherButNotTheInsulators) {
  Engine e;
  SetValue(GRP_TRACE, 0, "46");
  SetValue(GRP_TRACE, 8, "46 8");
  SetValue(GRP_TRACE, 1, "7");
  SetValue(GRP_TRACE, 16, "6");
  SetValue(GRP_MAIN, S_NNL, "10");
  SetupApply(GRP_TRACE, 0);
  SetupApply(GRP_MAIN, 0);
  Box(46, 0, 0, 10, 10);
  int32_t joined = Box(8, 10, 0, 20, 10);
  int32_t lone8 = Box(8, 100, 0, 110, 10);
  Box(L_CONTACT, 102, 2, 108, 8);
  int32_t metal = Box(L_METAL1, 100, 0, 110, 10);
  int32_t t1 = Text(L_NODE, 5, 5, "D");
  int32_t t2 = Text(L_NODE, 105, 5, "E");
  RealNodesSearch();
  EXPECT_EQ(BoxNode(lone8), t2);
  EXPECT_EQ(BoxNode(metal), t2);  // the text names every conductor under it
  BoxRec(metal)->node = 0;
  NodeRelax(0);
  EXPECT_EQ(BoxNode(joined), t1);
  EXPECT_EQ(BoxNode(metal), 0);  // layer 8 is not traced, so it reaches no contact
  EXPECT_GE(StatusCount(e, "Merging Conductors on Layers 46 8 ... Pass 1"), 1);
}

TEST(CktTrace, ASingleMergedLayerRunsNoMergedPass) {
  Engine e;
  SetValue(GRP_TRACE, 0, "46");
  SetValue(GRP_TRACE, 8, "8");
  SetupApply(GRP_TRACE, 0);
  Box(46, 0, 0, 10, 10);
  NodeRelax(0);
  for (const std::string& s : e.rec->statuses) EXPECT_EQ(s.find("Merging"), std::string::npos) << s;
}

TEST(CktTrace, ViaOnContactPassesTheNodeWithoutAConductorBetween) {
  Engine e;
  StandardTrace();
  int32_t poly = Box(L_POLY, 0, 0, 20, 20);
  Box(L_CONTACT, 5, 5, 10, 10);
  Box(L_VIA, 5, 5, 10, 10);
  int32_t m2 = Box(L_METAL2, 0, 0, 20, 20);
  int32_t m2far = Box(L_METAL2, 100, 0, 120, 20);
  int32_t t = Text(L_NODE, 1, 1, "G");
  BoxesAtPoint(0, 1, 1, t);  // poly and metal 2 both lie under the text: name poly only
  BoxRec(m2)->node = 0;
  NodeRelax(0);
  EXPECT_EQ(BoxNode(poly), t);
  EXPECT_EQ(BoxNode(m2), t);
  EXPECT_EQ(BoxNode(m2far), 0);
  EXPECT_GE(StatusCount(e, "Tracing Layer 6 Insulators to Layer 8 Insulators"), 1);
}

TEST(CktTrace, VirtualNodesAreCreatedAndCondensed) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 20, 0, 30, 10), c = Box(L_METAL1, 40, 0, 50, 10);
  int32_t ins = Box(L_CONTACT, 60, 0, 70, 10);
  int32_t open = Path(L_METAL1, 0, {{0, 50}, {10, 50}});
  VirtualNodesCreate();
  EXPECT_EQ(BoxNode(a), -1);
  EXPECT_EQ(BoxNode(b), -2);
  EXPECT_EQ(BoxNode(c), -3);
  EXPECT_EQ(BoxNode(ins), 0);  // no conductor: no number
  EXPECT_EQ(PathNode(open), 0);
  BoxRec(a)->node = -2;
  BoxRec(b)->node = -7;
  BoxRec(c)->node = -7;
  VirtualCondense();
  EXPECT_EQ(BoxNode(a), -1);
  EXPECT_EQ(BoxNode(b), -2);
  EXPECT_EQ(BoxNode(c), -2);
  EXPECT_EQ(SmallestNode(), -2);
  EXPECT_EQ(LargestNodeBelow(-1), -2);
  EXPECT_EQ(LargestNodeBelow(-2), -5000000);
}

TEST(CktTrace, ManyInitialVirtualNodesAsk) {
  for (int extra : {0, 1}) {
    Engine e;
    StandardTrace();
    for (int i = 0; i < CKT_VIRTUAL_WARN + extra; i++) TlcMakeB(L_METAL1, i * 3, 0, i * 3 + 1, 1);
    e.rec->answers = {HOST_IDCANCEL};
    VirtualNodesCreate();
    EXPECT_EQ(e.Count("Initial Virtual Nodes were Created"), extra);
    EXPECT_EQ(g_cktRun.abortFlag, extra);
  }
}

TEST(CktTrace, SameNamesIgnoringCaseShareOneNumber) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10), b = Box(L_METAL1, 100, 0, 110, 10);
  int32_t p = Path(L_METAL1, 4, {{200, 0}, {220, 0}});
  Text(L_NODE, 5, 5, "VDD");
  int32_t t2 = Text(L_NODE, 105, 5, "vdd");
  Text(L_NODE, 210, 0, "Vdd;7");
  RealNodesSearch();
  EXPECT_EQ(BoxNode(b), t2);
  RealSameNames();
  EXPECT_EQ(BoxNode(b), BoxNode(a));
  EXPECT_EQ(PathNode(p), BoxNode(a));
}

TEST(CktTrace, VirtualPathNamedLikeARealTextKeepsItsNetAndIsReported) {
  Engine e;
  StandardTrace();
  int32_t a = Box(L_METAL1, 0, 0, 10, 10);
  int32_t p = Path(L_METAL1, 4, {{200, 0}, {220, 0}});
  int32_t q = Path(L_METAL1, 4, {{300, 0}, {320, 0}});
  Text(L_NODE, 5, 5, "vn2");
  e.rec->answers = {HOST_IDNO};
  RealNodesSearch();
  VirtualNodesCreate();  // p gets -1, q gets -2
  EXPECT_EQ(PathNode(q), -2);
  RealSameNames();
  EXPECT_EQ(PathNode(q), -2);
  EXPECT_GT(BoxNode(a), 0);
  VirtualCondense();
  VirtualNameClash();
  EXPECT_EQ(e.Count("has Real Node Text \"vn2\" Equal to the Name of a Virtual Node"), 1);
  EXPECT_EQ(PathNode(p), -1);
}

struct SuffixCase {
  const char* text;
  bool metal, poly;
};

TEST(CktTrace, LayerSuffixLimitsTheText) {
  const SuffixCase cases[] = {{"OUT;7", true, false}, {"OUT;0", true, true}, {"OUT", true, true}, {"OUT;6", false, false}};
  for (const SuffixCase& c : cases) {
    Engine e;
    StandardTrace();
    int32_t metal = Box(L_METAL1, 0, 0, 10, 10), poly = Box(L_POLY, 0, 0, 10, 10);
    Text(L_NODE, 5, 5, c.text);
    RealNodesSearch();
    EXPECT_EQ(BoxNode(metal) != 0, c.metal) << c.text;
    EXPECT_EQ(BoxNode(poly) != 0, c.poly) << c.text;
    if (c.metal) {
      EXPECT_STREQ(NodeName(BoxNode(metal)), "OUT");
      EXPECT_EQ(strncmp(NodeNameFull(BoxNode(metal)), c.text, 8), 0);
    }
  }
}

TEST(CktTrace, HiddenLayerIsInvisibleToTextButNotToLines) {
  Engine e;
  StandardTrace();
  SetValue(GRP_MAIN, S_HCL, "7");
  SetupApply(GRP_MAIN, 0);
  int32_t metal = Box(L_METAL1, 0, 0, 10, 10);
  int32_t line = Path(L_METAL1, 0, {{5, 5}, {5, 20}});
  int32_t t = Text(L_NODE, 5, 5, "H");
  RealNodesSearch();
  EXPECT_EQ(BoxNode(metal), 0);
  EXPECT_EQ(PathNode(line), t);
}

TEST(CktTrace, TextOnAPinNamesThePinAndNotTheGeometry) {
  Engine e;
  StandardTrace();
  int32_t metal = Box(L_METAL1, 0, 0, 10, 10);
  int32_t t = Text(L_NODE, 5, 5, "IN");
  g_nodes.dev[0] = CktDevice{1, 5, 5, 1, 0, 0};
  g_nodes.devCount = 1;
  RealNamesOnConnectors();
  EXPECT_EQ(g_nodes.dev[0].node, t);
  EXPECT_EQ(g_nodes.directCount, 1);
  RealNodesSearch();
  EXPECT_EQ(BoxNode(metal), 0);
  ConnectionKinds();
  EXPECT_EQ(g_nodes.pinDirect, 1);
  EXPECT_EQ(g_nodes.pinReal, 0);
}

TEST(CktTrace, SchematicLinesJoinAtTeesNotAtCrossings) {
  Engine e;
  StandardTrace();
  int32_t a = Path(L_METAL1, 0, {{0, 0}, {20, 0}});
  int32_t tee = Path(L_METAL1, 0, {{10, 0}, {10, 10}});
  int32_t cross = Path(L_METAL1, 0, {{30, -5}, {40, 5}});
  int32_t cross2 = Path(L_METAL1, 0, {{30, 5}, {40, -5}});
  int32_t ring = Path(L_METAL1, 0, {{10, 10}, {15, 10}, {15, 15}, {10, 10}});
  int32_t t = Text(L_NODE, 0, 0, "S");
  RealNodesSearch();
  EXPECT_EQ(PathNode(a), t);
  PathRec(cross)->node = Text(L_NODE, 30, -5, "X");
  SchematicPasses(0);
  EXPECT_EQ(PathNode(tee), t);
  EXPECT_EQ(PathNode(ring), t);  // a closed polygon is a target
  EXPECT_EQ(PathNode(cross2), 0);
  SchematicVirtualNodesCreate();
  EXPECT_EQ(PathNode(cross2), -1);
  EXPECT_EQ(PathNode(ring), t);
}

TEST(CktTrace, SixtyFourthGlobalSymbolIsCounted) {
  Engine e;
  g_nodes.symCount = 0;
  for (int i = 1; i <= 63; i++) EXPECT_EQ(SymbolAdd(i, "VDD"), 1);
  e.rec->answers = {HOST_IDNO};
  EXPECT_EQ(SymbolAdd(64, "GND"), 0);
  EXPECT_EQ(g_cktRun.errCount, 1);
  EXPECT_EQ(e.Count("at most 63 Global Symbols"), 1);
  EXPECT_STREQ(NodeName(CKT_SYMBOL_BASE | 63), "VDD");
  EXPECT_STREQ(NodeName(CKT_SYMBOL_BASE | 64), "?");
  g_nodes.symCount = 0;
}

TEST(CktTrace, NamesOfNumbers) {
  Engine e;
  int32_t t = Text(L_NODE, 0, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
  EXPECT_EQ(strlen(NodeName(t)), 56u);
  EXPECT_STREQ(NodeName(0), "?");
  EXPECT_STREQ(NodeName(-7), "vn7");
  EXPECT_STREQ(NodeName(INT32_MIN), "vn2147483648");
  EXPECT_STREQ(NodeName(Path(L_METAL1, 2, {{0, 0}, {5, 0}})), "?");
  EXPECT_EQ(FirstNumber("pin12x3"), 12);
  EXPECT_EQ(FirstNumber("none"), 0);
  EXPECT_EQ(FirstNumber("99999999999999"), INT32_MAX);
  EXPECT_EQ(ConnectorLayerSuffix("3;49"), 49);
  EXPECT_EQ(ConnectorLayerSuffix("3;300"), 0);
}

TEST(CktTrace, AbortDuringTracingStopsTheLoops) {
  Engine e;
  StandardTrace();
  for (int i = 0; i < 400; i++) TlcMakeB(L_METAL1, i * 10, 0, i * 10 + 10, 10);
  BoxRec(1)->node = Text(L_NODE, 0, 0, "A");
  e.rec->abortAfterPolls = 0;
  e.rec->answers = {HOST_IDYES, HOST_IDYES};
  NodeRelax(0);
  EXPECT_EQ(g_cktRun.abortFlag, 1);
  EXPECT_EQ(e.Count("Abort Compile ... OK ?"), 1);
  EXPECT_EQ(BoxNode(400), 0);
}

}  // namespace
