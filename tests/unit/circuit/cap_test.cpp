// Parasitic capacitors: the ground and pair lines of a small cell whose
// values are worked out by hand, the table's lookups and the settings.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ckt_cap.h"
#include "ckt_compile.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

// Scale 1000 units to the micron. Nodes named by texts:
//   A    metal 1 box 10 x 2 um                    ground 0.5*20 + 0.1*24 = 12.4
//   B    metal 2 box 10 x 2 um over half of A     no ground entry for metal 2
//   C    metal 1 box 4 x 2 um against A's left    ground 0.5*8 + 0.1*12 = 5.2
//   A_B  metal 1 polygon 4 x 3 um                 ground 0.5*12 + 0.1*14 = 7.4
//   0    metal 2 box 2 x 2 um, half over A's lower edge
// A and B: overlap 10 um2 * 2 + crossings 14 um * 0.3 = 24.2; 0 and A:
// overlap 2 um2 * 2 + crossings 6 um * 0.3 = 5.8. A and C share a layer.
// A metal 1 box of A brought up from a lower cell is not measured.
struct Cell {
  Engine e;
  CktState& st = e.st;
  std::string cir;
  Cell(const char* capn, const char* unit = "pF", bool swapped = false) {
    StandardTrace(st);
    SetValue(st, GRP_CAP, 0, unit);
    SetValue(st, GRP_CAP, 1, capn);
    const char* pair[2][4] = {{"7", "0", "0.5", "0.1"}, {swapped ? "9" : "7", swapped ? "7" : "9", "2", "0.3"}};
    for (int i = 0; i < 2; i++) {
      SetValue(st, GRP_CAP, 2 + i, pair[i][0]);
      SetValue(st, GRP_CAP, 18 + i, pair[i][1]);
      SetValue(st, GRP_CAP, 34 + i, pair[i][2]);
      SetValue(st, GRP_CAP, 50 + i, pair[i][3]);
    }
    SetupApply(st, GRP_CAP, 0);
    int32_t a = Text(st, L_NODE, 0, 0, "A"), b = Text(st, L_NODE, 0, 0, "B"), c = Text(st, L_NODE, 0, 0, "C");
    int32_t ab = Text(st, L_NODE, 0, 0, "A_B"), z = Text(st, L_NODE, 0, 0, "0");
    BoxRec(st, Box(st, L_METAL1, 0, 0, 10000, 2000))->node = a;
    BoxRec(st, Box(st, L_METAL2, 5000, 0, 15000, 2000))->node = b;
    BoxRec(st, Box(st, L_METAL1, -4000, 0, 0, 2000))->node = c;
    BoxRec(st, Box(st, L_METAL2, 2000, -1000, 4000, 1000))->node = z;
    PathRec(st, Path(st, L_METAL1, 0, {{0, 10000}, {4000, 10000}, {4000, 13000}, {0, 13000}, {0, 10000}}))->node = ab;
    st.nodes.ownBoxes = st.store->nb;
    st.nodes.ownPaths = st.store->np;
    BoxRec(st, Box(st, L_METAL1, 50000, 0, 60000, 2000))->node = a;
    st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
    // Every wire's node listed, as mode 4 does, whatever the mode of the case.
    int flags = st.set.capFlags;
    st.set.capFlags = 4;
    NodeListCreate(st);
    SortNodeList(st);
    st.set.capFlags = flags;
    FILE* f = tmpfile();
    st.compile.cir = QFile(f);
    CapWrite(st);
    fflush(f);
    rewind(f);
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) cir.append(buf, n);
  }
};

const char kGround[] = "\n* Node to Gnd Parasitic Caps\n";
const char kPairs[] = "\n* Node to Node Parasitic Caps\n";

TEST(CktCap, LinesOfEachModeWorkedOutByHand) {
  struct Case {
    const char* name;
    const char* capn;
    const char* unit;
    bool swapped;
    std::string want;
  };
  const std::string ground = std::string(kGround) + "C_A A 0 12.4pF\nC_A_B A_B 0 7.4pF\nC_C C 0 5.2pF\n";
  const Case cases[] = {
      // The pair line's name meets the ground line of A_B: it gets a suffix.
      // Ground nodes have no pair line when ground lines are written.
      {"ground and pairs", "3", "pF", false, ground + kPairs + "C_A_B_2 A B 24.2pF\n"},
      {"pairs alone take ground nodes", "2", "pF", false, std::string(kPairs) + "C_0_A 0 A 5.8pF\nC_A_B A B 24.2pF\n"},
      {"the table's pair read either way", "2", "fF", true, std::string(kPairs) + "C_0_A 0 A 5.8fF\nC_A_B A B 24.2fF\n"},
      {"ground alone", "1", "pF", false, ground},
      {"unknown unit", "1", "nF", false, ground},
      {"aF written as fF", "1", "aF", false,
       std::string(kGround) + "C_A A 0 0.0124fF\nC_A_B A_B 0 0.0074fF\nC_C C 0 0.0052fF\n"},
      {"mode 8 is no mode", "8", "pF", false, ""},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Cell c(k.capn, k.unit, k.swapped);
    EXPECT_EQ(c.cir, k.want);
    // Each capacitor line counts as a line of the block.
    int lines = 0;
    for (size_t at = k.want.find("\nC_"); at != std::string::npos; at = k.want.find("\nC_", at + 1)) lines++;
    EXPECT_EQ(c.st.compile.lines, lines);
  }
}

TEST(CktCap, LookupsTakeTheFirstMatchingPair) {
  Engine e;
  CktState& st = e.st;
  st.set.cap[0] = CktCap{9, 7, 1.5, 0.25};
  st.set.cap[1] = CktCap{7, 9, 99, 99};
  st.set.cap[2] = CktCap{0, 7, 3, 4};
  st.set.cap[3] = CktCap{7, 7, 5, 6};
  EXPECT_EQ(CapPairArea(st, 7, 9), 1.5);
  EXPECT_EQ(CapPairFringe(st, 7, 9), 0.25);
  EXPECT_EQ(CapPairArea(st, 7, 7), 0);  // one layer has no pair capacitance
  EXPECT_EQ(CapGndArea(st, 7), 3);
  EXPECT_EQ(CapGndFringe(st, 7), 4);
  EXPECT_EQ(CapGndArea(st, 9), 0);
  EXPECT_EQ(CapLayerListed(st, 9), 1);
  EXPECT_EQ(CapLayerListed(st, 5), 0);
  for (const char* g : {"0", "00", "000"}) EXPECT_EQ(IsGroundName(g), 1) << g;
  for (const char* g : {"0000", "O", "", "01"}) EXPECT_EQ(IsGroundName(g), 0) << g;
}

// Sampled half a unit into each row, a 10 x 10 polygon is 100 units as its
// box is, and a triangle half of its square.
TEST(CktCap, OutlineAreasSampleMidRows) {
  Engine e;
  CktState& st = e.st;
  int32_t sq = Path(st, L_METAL1, 0, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
  int32_t tri = Path(st, L_METAL1, 0, {{0, 0}, {100, 0}, {0, 100}, {0, 0}});
  ASSERT_TRUE(LoadPathOutline(st, sq, 0, 0, 0));
  EXPECT_EQ(CapOutlineArea(st), 100);
  EXPECT_EQ(EdgeListLength(st), 40);
  ASSERT_TRUE(LoadPathOutline(st, tri, 0, 0, 0));
  EXPECT_NEAR((double)CapOutlineArea(st), 5000, 100);
}

// Mode 4 lists every wire's node, so a wire on no device pin gets its
// ground line; without it only the device pins' nodes are listed.
TEST(CktCap, ModeFourListsWiresWithoutPins) {
  for (int mode : {1, 5}) {
    SCOPED_TRACE(mode);
    Engine e;
    CktState& st = e.st;
    StandardTrace(st);
    st.set.cap[0] = CktCap{7, 0, 1, 0};
    st.set.capFlags = mode;
    BoxRec(st, Box(st, L_METAL1, 0, 0, 1000, 1000))->node = Text(st, L_NODE, 0, 0, "W");
    st.nodes.ownBoxes = st.store->nb;
    st.nodes.ownPaths = st.store->np;
    st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
    NodeListCreate(st);
    FILE* f = tmpfile();
    st.compile.cir = QFile(f);
    CapWrite(st);
    fflush(f);
    rewind(f);
    char buf[256] = "";
    size_t n = fread(buf, 1, sizeof buf - 1, f);
    buf[n] = 0;
    EXPECT_EQ(std::string(buf), std::string(kGround) + (mode == 5 ? "C_W W 0 1pF\n" : ""));
  }
}

}  // namespace
