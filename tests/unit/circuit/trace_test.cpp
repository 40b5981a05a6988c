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
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 10, 0, 20, 10), c = Box(st, L_METAL1, 0, 10, 10, 20);
  int32_t far = Box(st, L_METAL1, 50, 50, 60, 60);
  int32_t t = Text(st, L_NODE, 5, 5, "OUT");
  RealNodesSearch(st);
  EXPECT_EQ(BoxNode(st, a), t);
  ConnectPass(st, 0, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(st, b), t);
  EXPECT_EQ(BoxNode(st, c), t);
  EXPECT_EQ(BoxNode(st, far), 0);
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 1"), 1);
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 2"), 1);  // finds nothing new
  EXPECT_EQ(StatusCount(e, "Connecting Layer 7 Conductors ... Pass 3"), 0);
}

TEST(CktTrace, VirtualPassNeverSpreadsFromRealObjects) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t t = Text(st, L_NODE, 5, 5, "A");
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 10, 0, 20, 10);
  BoxRec(st, a)->node = t;
  BoxRec(st, b)->node = -4;
  ConnectPass(st, 1, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(st, b), -4);
  ConnectPass(st, 0, 1, 0, L_METAL1, 0);
  EXPECT_EQ(BoxNode(st, b), t);  // the real pass does
}

TEST(CktTrace, LargerVirtualNumberWins) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 5, 5, 15, 15), c = Path(st, L_METAL1, 2, {{15, 10}, {30, 10}});
  BoxRec(st, a)->node = -7;
  BoxRec(st, b)->node = -3;
  PathRec(st, c)->node = -9;
  NodeRelax(st, 1);
  EXPECT_EQ(BoxNode(st, a), -3);
  EXPECT_EQ(BoxNode(st, b), -3);
  EXPECT_EQ(PathNode(st, c), -3);
}

TEST(CktTrace, DifferentRealNamesOnOneNodeAreReportedAndKept) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 10, 0, 20, 10);
  int32_t ta = Text(st, L_NODE, 5, 5, "A"), tb = Text(st, L_NODE, 15, 5, "B");
  e.rec->answers.assign(20, HOST_IDNO);
  RealNodesSearch(st);
  NodeRelax(st, 0);
  EXPECT_EQ(BoxNode(st, a), ta);
  EXPECT_EQ(BoxNode(st, b), tb);
  EXPECT_GE(e.Count("has Real Node Text \"A\" and \"B\" on the Same Node"), 1);
  EXPECT_EQ(st.run.abortFlag, 0);
}

TEST(CktTrace, MergedLayersJoinEachOtherButNotTheInsulators) {
  Engine e;
  CktState& st = e.st;
  SetValue(st, GRP_TRACE, 0, "46");
  SetValue(st, GRP_TRACE, 8, "46 8");
  SetValue(st, GRP_TRACE, 1, "7");
  SetValue(st, GRP_TRACE, 16, "6");
  SetValue(st, GRP_MAIN, S_NNL, "10");
  SetupApply(st, GRP_TRACE, 0);
  SetupApply(st, GRP_MAIN, 0);
  Box(st, 46, 0, 0, 10, 10);
  int32_t joined = Box(st, 8, 10, 0, 20, 10);
  int32_t lone8 = Box(st, 8, 100, 0, 110, 10);
  Box(st, L_CONTACT, 102, 2, 108, 8);
  int32_t metal = Box(st, L_METAL1, 100, 0, 110, 10);
  int32_t t1 = Text(st, L_NODE, 5, 5, "D");
  int32_t t2 = Text(st, L_NODE, 105, 5, "E");
  RealNodesSearch(st);
  EXPECT_EQ(BoxNode(st, lone8), t2);
  EXPECT_EQ(BoxNode(st, metal), t2);  // the text names every conductor under it
  BoxRec(st, metal)->node = 0;
  NodeRelax(st, 0);
  EXPECT_EQ(BoxNode(st, joined), t1);
  EXPECT_EQ(BoxNode(st, metal), 0);  // layer 8 is not traced, so it reaches no contact
  EXPECT_GE(StatusCount(e, "Merging Conductors on Layers 46 8 ... Pass 1"), 1);
}

TEST(CktTrace, ASingleMergedLayerRunsNoMergedPass) {
  Engine e;
  CktState& st = e.st;
  SetValue(st, GRP_TRACE, 0, "46");
  SetValue(st, GRP_TRACE, 8, "8");
  SetupApply(st, GRP_TRACE, 0);
  Box(st, 46, 0, 0, 10, 10);
  NodeRelax(st, 0);
  for (const std::string& s : e.rec->statuses) EXPECT_EQ(s.find("Merging"), std::string::npos) << s;
}

TEST(CktTrace, ViaOnContactPassesTheNodeWithoutAConductorBetween) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t poly = Box(st, L_POLY, 0, 0, 20, 20);
  Box(st, L_CONTACT, 5, 5, 10, 10);
  Box(st, L_VIA, 5, 5, 10, 10);
  int32_t m2 = Box(st, L_METAL2, 0, 0, 20, 20);
  int32_t m2far = Box(st, L_METAL2, 100, 0, 120, 20);
  int32_t t = Text(st, L_NODE, 1, 1, "G");
  BoxesAtPoint(st, 0, 1, 1, t);  // poly and metal 2 both lie under the text: name poly only
  BoxRec(st, m2)->node = 0;
  NodeRelax(st, 0);
  EXPECT_EQ(BoxNode(st, poly), t);
  EXPECT_EQ(BoxNode(st, m2), t);
  EXPECT_EQ(BoxNode(st, m2far), 0);
  EXPECT_GE(StatusCount(e, "Tracing Layer 6 Insulators to Layer 8 Insulators"), 1);
}

TEST(CktTrace, VirtualNodesAreCreatedAndCondensed) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 20, 0, 30, 10), c = Box(st, L_METAL1, 40, 0, 50, 10);
  int32_t ins = Box(st, L_CONTACT, 60, 0, 70, 10);
  int32_t open = Path(st, L_METAL1, 0, {{0, 50}, {10, 50}});
  VirtualNodesCreate(st);
  EXPECT_EQ(BoxNode(st, a), -1);
  EXPECT_EQ(BoxNode(st, b), -2);
  EXPECT_EQ(BoxNode(st, c), -3);
  EXPECT_EQ(BoxNode(st, ins), 0);  // no conductor: no number
  EXPECT_EQ(PathNode(st, open), 0);
  BoxRec(st, a)->node = -2;
  BoxRec(st, b)->node = -7;
  BoxRec(st, c)->node = -7;
  VirtualCondense(st);
  EXPECT_EQ(BoxNode(st, a), -1);
  EXPECT_EQ(BoxNode(st, b), -2);
  EXPECT_EQ(BoxNode(st, c), -2);
  EXPECT_EQ(SmallestNode(st), -2);
  EXPECT_EQ(LargestNodeBelow(st, -1), -2);
  EXPECT_EQ(LargestNodeBelow(st, -2), -5000000);
}

TEST(CktTrace, ManyInitialVirtualNodesAsk) {
  for (int extra : {0, 1}) {
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    for (int i = 0; i < CKT_VIRTUAL_WARN + extra; i++) TlcMakeB(st, L_METAL1, i * 3, 0, i * 3 + 1, 1);
    e.rec->answers = {HOST_IDCANCEL};
    VirtualNodesCreate(st);
    EXPECT_EQ(e.Count("Initial Virtual Nodes were Created"), extra);
    EXPECT_EQ(st.run.abortFlag, extra);
  }
}

TEST(CktTrace, SameNamesIgnoringCaseShareOneNumber) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10), b = Box(st, L_METAL1, 100, 0, 110, 10);
  int32_t p = Path(st, L_METAL1, 4, {{200, 0}, {220, 0}});
  Text(st, L_NODE, 5, 5, "VDD");
  int32_t t2 = Text(st, L_NODE, 105, 5, "vdd");
  Text(st, L_NODE, 210, 0, "Vdd;7");
  RealNodesSearch(st);
  EXPECT_EQ(BoxNode(st, b), t2);
  RealSameNames(st);
  EXPECT_EQ(BoxNode(st, b), BoxNode(st, a));
  EXPECT_EQ(PathNode(st, p), BoxNode(st, a));
}

TEST(CktTrace, VirtualPathNamedLikeARealTextKeepsItsNetAndIsReported) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 10);
  int32_t p = Path(st, L_METAL1, 4, {{200, 0}, {220, 0}});
  int32_t q = Path(st, L_METAL1, 4, {{300, 0}, {320, 0}});
  Text(st, L_NODE, 5, 5, "vn2");
  e.rec->answers = {HOST_IDNO};
  RealNodesSearch(st);
  VirtualNodesCreate(st);  // p gets -1, q gets -2
  EXPECT_EQ(PathNode(st, q), -2);
  RealSameNames(st);
  EXPECT_EQ(PathNode(st, q), -2);
  EXPECT_GT(BoxNode(st, a), 0);
  VirtualCondense(st);
  VirtualNameClash(st);
  EXPECT_EQ(e.Count("has Real Node Text \"vn2\" Equal to the Name of a Virtual Node"), 1);
  EXPECT_EQ(PathNode(st, p), -1);
}

struct SuffixCase {
  const char* text;
  bool metal, poly;
};

TEST(CktTrace, LayerSuffixLimitsTheText) {
  const SuffixCase cases[] = {{"OUT;7", true, false}, {"OUT;0", true, true}, {"OUT", true, true}, {"OUT;6", false, false}};
  for (const SuffixCase& c : cases) {
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    int32_t metal = Box(st, L_METAL1, 0, 0, 10, 10), poly = Box(st, L_POLY, 0, 0, 10, 10);
    Text(st, L_NODE, 5, 5, c.text);
    RealNodesSearch(st);
    EXPECT_EQ(BoxNode(st, metal) != 0, c.metal) << c.text;
    EXPECT_EQ(BoxNode(st, poly) != 0, c.poly) << c.text;
    if (c.metal) {
      EXPECT_STREQ(NodeName(st, BoxNode(st, metal)), "OUT");
      EXPECT_EQ(strncmp(NodeNameFull(st, BoxNode(st, metal)), c.text, 8), 0);
    }
  }
}

TEST(CktTrace, HiddenLayerIsInvisibleToTextButNotToLines) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  SetValue(st, GRP_MAIN, S_HCL, "7");
  SetupApply(st, GRP_MAIN, 0);
  int32_t metal = Box(st, L_METAL1, 0, 0, 10, 10);
  int32_t line = Path(st, L_METAL1, 0, {{5, 5}, {5, 20}});
  int32_t t = Text(st, L_NODE, 5, 5, "H");
  RealNodesSearch(st);
  EXPECT_EQ(BoxNode(st, metal), 0);
  EXPECT_EQ(PathNode(st, line), t);
}

TEST(CktTrace, TextOnAPinNamesThePinAndNotTheGeometry) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t metal = Box(st, L_METAL1, 0, 0, 10, 10);
  int32_t t = Text(st, L_NODE, 5, 5, "IN");
  st.nodes.dev[0] = CktDevice{1, 5, 5, 1, 0, 0};
  st.nodes.devCount = 1;
  RealNamesOnConnectors(st);
  EXPECT_EQ(st.nodes.dev[0].node, t);
  EXPECT_EQ(st.nodes.directCount, 1);
  RealNodesSearch(st);
  EXPECT_EQ(BoxNode(st, metal), 0);
  ConnectionKinds(st);
  EXPECT_EQ(st.nodes.pinDirect, 1);
  EXPECT_EQ(st.nodes.pinReal, 0);
}

TEST(CktTrace, SchematicLinesJoinAtTeesNotAtCrossings) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  int32_t a = Path(st, L_METAL1, 0, {{0, 0}, {20, 0}});
  int32_t tee = Path(st, L_METAL1, 0, {{10, 0}, {10, 10}});
  int32_t cross = Path(st, L_METAL1, 0, {{30, -5}, {40, 5}});
  int32_t cross2 = Path(st, L_METAL1, 0, {{30, 5}, {40, -5}});
  int32_t ring = Path(st, L_METAL1, 0, {{10, 10}, {15, 10}, {15, 15}, {10, 10}});
  int32_t t = Text(st, L_NODE, 0, 0, "S");
  RealNodesSearch(st);
  EXPECT_EQ(PathNode(st, a), t);
  PathRec(st, cross)->node = Text(st, L_NODE, 30, -5, "X");
  SchematicPasses(st, 0);
  EXPECT_EQ(PathNode(st, tee), t);
  EXPECT_EQ(PathNode(st, ring), t);  // a closed polygon is a target
  EXPECT_EQ(PathNode(st, cross2), 0);
  SchematicVirtualNodesCreate(st);
  EXPECT_EQ(PathNode(st, cross2), -1);
  EXPECT_EQ(PathNode(st, ring), t);
}

TEST(CktTrace, SixtyFourthGlobalSymbolIsCounted) {
  Engine e;
  CktState& st = e.st;
  st.nodes.symCount = 0;
  for (int i = 1; i <= 63; i++) EXPECT_EQ(SymbolAdd(st, i, "VDD"), 1);
  e.rec->answers = {HOST_IDNO};
  EXPECT_EQ(SymbolAdd(st, 64, "GND"), 0);
  EXPECT_EQ(st.run.errCount, 1);
  EXPECT_EQ(e.Count("at most 63 Global Symbols"), 1);
  EXPECT_STREQ(NodeName(st, CKT_SYMBOL_BASE | 63), "VDD");
  EXPECT_STREQ(NodeName(st, CKT_SYMBOL_BASE | 64), "?");
  st.nodes.symCount = 0;
}

TEST(CktTrace, NamesOfNumbers) {
  Engine e;
  CktState& st = e.st;
  int32_t t = Text(st, L_NODE, 0, 0, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
  EXPECT_EQ(strlen(NodeName(st, t)), 56u);
  EXPECT_STREQ(NodeName(st, 0), "?");
  EXPECT_STREQ(NodeName(st, -7), "vn7");
  EXPECT_STREQ(NodeName(st, INT32_MIN), "vn2147483648");
  EXPECT_STREQ(NodeName(st, Path(st, L_METAL1, 2, {{0, 0}, {5, 0}})), "?");
  EXPECT_EQ(FirstNumber("pin12x3"), 12);
  EXPECT_EQ(FirstNumber("none"), 0);
  EXPECT_EQ(FirstNumber("99999999999999"), INT32_MAX);
  EXPECT_EQ(ConnectorLayerSuffix("3;49"), 49);
  EXPECT_EQ(ConnectorLayerSuffix("3;300"), 0);
}

TEST(CktTrace, AbortDuringTracingStopsTheLoops) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  for (int i = 0; i < 400; i++) TlcMakeB(st, L_METAL1, i * 10, 0, i * 10 + 10, 10);
  BoxRec(st, 1)->node = Text(st, L_NODE, 0, 0, "A");
  e.rec->abortAfterPolls = 0;
  e.rec->answers = {HOST_IDYES, HOST_IDYES};
  NodeRelax(st, 0);
  EXPECT_EQ(st.run.abortFlag, 1);
  EXPECT_EQ(e.Count("Abort Compile ... OK ?"), 1);
  EXPECT_EQ(BoxNode(st, 400), 0);
}

}  // namespace
