// The orders and counts behind the circuit and node list files: names
// sorted without case byte by byte however many virtual nodes there are,
// ties kept in table order, each name counted once, and the renumbering of
// the final checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ckt_compile.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

std::string Folded(CktState& st, int32_t node) {
  std::string s = NodeName(st, node);
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return s;
}

// A node list sorted by its names equals the list ordered by the folded
// names as unsigned bytes, equal names keeping their places: whether the
// virtual names are many (ranked by their numbers), few, scattered or
// beyond the tables, and whatever the prefix.
TEST(CktWrite, NodeListSortsByFoldedBytes) {
  std::vector<int32_t> dense;
  for (int32_t m = 150; m >= 1; m--) dense.push_back(-((m * 37) % 150 + 1));
  std::vector<int32_t> sixtyFour;
  for (int32_t m = 1; m <= 64; m++) sixtyFour.push_back(-(m * 4 + 1));
  struct Case {
    const char* what;
    const char* prefix;
    std::vector<int32_t> virtuals;
  } cases[] = {
      {"many dense", "vn", dense},
      {"upper-case prefix", "VN", dense},
      {"prefix cut at a semicolon", "n;x", dense},
      {"sixty-four spread out", "vn", sixtyFour},
      {"few and far", "vn", {-1, -7, -5000, -90000, -4194305, -2000000, -10, -100}},
  };
  const char* reals[] = {"vn3", "VN10", "vn1000", "a", "zz", "vn", "VN1", "vn99x", "vn0", "Vn20",
                         "~x", "\xc3\xa9t", "N", "n5", "vn150", "VN150"};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Engine e;
    CktState& st = e.st;
    CompileReset(st);
    CompileRun(st);  // allocates the node list; no main cell, so it stops
    st.run.abortFlag = 0;
    SetValue(st, GRP_MAIN, S_VNP, k.prefix);
    std::vector<int32_t> in;
    size_t r = 0;
    for (size_t i = 0; i < k.virtuals.size(); i++) {
      in.push_back(k.virtuals[i]);
      if (i % 9 == 4 && r < sizeof reals / sizeof reals[0]) in.push_back(Text(st, L_NODE, 0, 0, reals[r++]));
    }
    while (r < sizeof reals / sizeof reals[0]) in.push_back(Text(st, L_NODE, 0, 0, reals[r++]));
    in.push_back(in[3]);  // a repeated number stays where it is among its equals
    DeviceKeysForget(st);
    st.compile.nodeCount = 0;
    for (int32_t n : in) st.compile.nodeList[st.compile.nodeCount++] = n;
    ASSERT_EQ(SortNodeList(st), 0);
    std::vector<int32_t> want = in;
    std::stable_sort(want.begin(), want.end(), [&st](int32_t a, int32_t b) { return Folded(st, a) < Folded(st, b); });
    std::vector<int32_t> got(st.compile.nodeList, st.compile.nodeList + st.compile.nodeCount);
    EXPECT_EQ(got, want);
  }
}

// Each distinct name is one node of the results table: a real text equal
// to a virtual name (or to another real text but for case) adds none, and
// the first entry of a name tells its kind.
TEST(CktWrite, NodeKindsCountEachNameOnce) {
  for (int extra : {0, 100}) {
    SCOPED_TRACE(extra);
    Engine e;
    CktState& st = e.st;
    CompileReset(st);
    int32_t vn5 = Text(st, L_NODE, 0, 0, "VN5"), gnd = Text(st, L_NODE, 0, 0, "gnd"), GND = Text(st, L_NODE, 0, 0, "GND");
    int32_t nodes[] = {-5, vn5, -6, gnd, GND, vn5};
    st.nodes.devCount = 0;
    for (int32_t n : nodes) st.nodes.dev[st.nodes.devCount++] = CktDevice{1, 0, 0, 1, n, 0};
    for (int i = 0; i < extra; i++) st.nodes.dev[st.nodes.devCount++] = CktDevice{2, 0, 0, 1, -(10 + i), 0};
    DeviceKeysForget(st);
    CountNodeKinds(st);
    EXPECT_EQ(st.compile.kindVirtual, 2 + extra);
    EXPECT_EQ(st.compile.kindReal, 1);
    EXPECT_EQ(st.compile.kindSymbol, 0);
  }
}

// The device table's sorts: pins in number order within each instance's
// own places, then by device text (equal texts but for case keep the table
// order), and for the node list by name, device text and pin, ties kept.
TEST(CktWrite, DeviceSortsKeepTableOrderOnTies) {
  Engine e;
  CktState& st = e.st;
  CompileReset(st);
  SetValue(st, GRP_MAIN, S_DVL, "12");
  SetupApply(st, GRP_MAIN, 0);
  CellTableAdd(st, "DEV", 1, 0, 0, 10, 10, 0, 0, 0, 0);
  CellTableAdd(st, "TOP", 2, 0, 0, 100, 100, 0, 0, 0, 4);
  for (int32_t x : {0, 20, 40, 60}) TlcMakeC(st, 0, "DEV", 0, x, 0, 0);
  Text(st, 12, 5, 5, "B");
  Text(st, 12, 25, 5, "a");
  Text(st, 12, 45, 5, "A");  // the fourth instance has none: "?"
  int32_t q = Text(st, L_NODE, 500, 500, "Q");
  DeviceTextsForget(st);
  DeviceKeysForget(st);
  st.compile.instances = 4;
  struct Pin {
    int32_t inst, seq, node;
  };
  const Pin table[] = {{1, 2, -1}, {1, 1, q}, {3, 1, -2}, {2, 1, -2}, {4, 1, -1}, {3, 2, q}, {2, 2, -1}};
  st.nodes.devCount = 0;
  for (const Pin& p : table) st.nodes.dev[st.nodes.devCount++] = CktDevice{p.inst, 0, 0, p.seq, p.node, 0};
  auto pins = [&st] {
    std::string s;
    for (int32_t i = 0; i < st.nodes.devCount; i++) {
      const CktDevice& d = st.nodes.dev[i];
      s += std::to_string(d.inst) + "." + std::to_string(d.seq) + "=" + NodeName(st, d.node) + " ";
    }
    return s;
  };
  ASSERT_EQ(SortDevicePins(st), 0);
  EXPECT_EQ(pins(), "1.1=Q 1.2=vn1 3.1=vn2 2.1=vn2 4.1=vn1 3.2=Q 2.2=vn1 ");
  ASSERT_EQ(SortDeviceNames(st), 0);
  EXPECT_EQ(pins(), "4.1=vn1 3.1=vn2 2.1=vn2 3.2=Q 2.2=vn1 1.1=Q 1.2=vn1 ");
  ASSERT_EQ(SortNodNodes(st), 0);
  EXPECT_EQ(pins(), "3.2=Q 1.1=Q 4.1=vn1 2.2=vn1 1.2=vn1 3.1=vn2 2.1=vn2 ");
  char tmpl[] = "/tmp/ckt_write_XXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  st.compile.nod = QFile(fdopen(fd, "w"));
  NodWrite(st, 2);
  QFileClose(&st.compile.nod);
  EXPECT_EQ(ReadAll(tmpl), "\nQ:0\n A.2  B.1 \nvn1:0\n ?.1  a.2  B.2 \nvn2:0\n A.1  a.1 \n::\n");
  remove(tmpl);
}

// The distinct virtual numbers become -1, -2, ... from the largest down,
// also numbers far beyond the usual range; real names equal but for case
// take the number of the first object that shows one, symbols too.
TEST(CktWrite, FinalChecksRenumber) {
  {
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    const int32_t virt[] = {-5, -5000000, -4194305, -4194304, -2, -5, -4194305};
    const int32_t want[] = {-2, -5, -4, -3, -1, -2, -4};
    for (size_t i = 0; i < sizeof virt / sizeof virt[0]; i++) BoxRec(st, Box(st, L_METAL1, 0, 0, 1, 1))->node = virt[i];
    VirtualCondense(st);
    for (size_t i = 0; i < sizeof want / sizeof want[0]; i++) EXPECT_EQ(BoxNode(st, (int32_t)i + 1), want[i]) << i;
  }
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  st.nodes.symCount = 0;
  SymbolAdd(st, 0, "gnd");
  SymbolAdd(st, 0, "GND");
  int32_t vdd = Text(st, L_NODE, 0, 0, "VDD"), vdd2 = Text(st, L_NODE, 0, 0, "vdd"), other = Text(st, L_NODE, 0, 0, "X");
  const int32_t real[] = {vdd2, CKT_SYMBOL_BASE | 2, vdd, CKT_SYMBOL_BASE | 1, other, -3};
  const int32_t after[] = {vdd2, CKT_SYMBOL_BASE | 2, vdd2, CKT_SYMBOL_BASE | 2, other, -3};
  for (int32_t n : real) BoxRec(st, Box(st, L_METAL1, 0, 0, 1, 1))->node = n;
  RealSameNames(st);
  for (size_t i = 0; i < sizeof after / sizeof after[0]; i++) EXPECT_EQ(BoxNode(st, (int32_t)i + 1), after[i]) << i;
  st.nodes.symCount = 0;
}

// Which placement a device text belongs to, the same whether the
// placements are few (each looked at) or many (found through an index):
// padding placements far away change nothing, one placed at the text's own
// point takes it from the others.
TEST(CktWrite, DeviceTextOwnerWithManyPlacements) {
  struct Case {
    const char* what;
    int32_t x, y;
    const char* texts[4];  // of instances 1..3 and of the cell itself
    bool shareOrigin;      // a padding placement sits at the text's point
  } cases[] = {
      {"inside one instance", 5, 5, {"T", "?", "?", ""}, false},
      {"on an edge of one", 0, 8, {"T", "?", "?", "T"}, false},
      {"inside two that overlap", 12, 5, {"?", "?", "?", ""}, false},
      {"on an origin on a neighbour's edge", 10, 0, {"?", "T", "?", "T"}, false},
      {"on an origin shared by another placement", 10, 0, {"?", "?", "?", "T"}, true},
      {"outside all", 100, 100, {"?", "?", "?", "T"}, false},
      {"inside one enclosed by a big one", 45, 5, {"?", "?", "T", ""}, false},
  };
  for (const Case& k : cases)
    for (int padding : {0, 40}) {
      SCOPED_TRACE(std::string(k.what) + " padding " + std::to_string(padding));
      Engine e;
      CktState& st = e.st;
      CellTableAdd(st, "DEV", 1, 0, 0, 15, 10, 0, 0, 0, 0);
      CellTableAdd(st, "BIG", 1, 0, 0, 60, 30, 0, 0, 0, 0);
      CellTableAdd(st, "TOP", 2, 0, 0, 200, 200, 0, 0, 0, 4 + padding);
      TlcMakeC(st, 0, "DEV", 0, 0, 0, 0);     // 0..15 x 0..10
      TlcMakeC(st, 0, "DEV", 0, 10, 0, 0);    // 10..25: overlaps the first
      TlcMakeC(st, 0, "DEV", 0, 40, 0, 0);    // 40..55 x 0..10, inside the fourth
      TlcMakeC(st, 0, "BIG", 0, 30, -10, 0);  // 30..90 x -10..20
      for (int i = 0; i < padding; i++) {
        bool here = k.shareOrigin && i == padding / 2;
        TlcMakeC(st, 0, "DEV", 0, here ? k.x : 5000 + 40 * (i % 8), here ? k.y : 5000 + 40 * (i / 8), 0);
      }
      Text(st, L_NODE, k.x, k.y, "T");
      DeviceTextsForget(st);
      int32_t n = 4 + padding;
      if (k.shareOrigin && padding == 0) continue;  // needs the padding placement
      for (int i = 1; i <= 3; i++) EXPECT_STREQ(DeviceText(st, L_NODE, i, n), k.texts[i - 1]) << i;
      EXPECT_STREQ(DeviceText(st, L_NODE, 0, n), k.texts[3]);
    }
}

}  // namespace
