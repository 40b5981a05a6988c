#include <gtest/gtest.h>

#include <random>

#include "ckt_support.h"

namespace {

using namespace ckttest;

// An object of a touch case: a box, or a path of a width (0 = polygon or
// line) through points.
struct Obj {
  bool box;
  int32_t w;
  std::vector<std::pair<int32_t, int32_t>> pts;  // box: (l, b), (r, t)
};

Obj B(int32_t l, int32_t b, int32_t r, int32_t t) { return Obj{true, 0, {{l, b}, {r, t}}}; }
Obj P(int32_t w, std::vector<std::pair<int32_t, int32_t>> pts) { return Obj{false, w, pts}; }

// Loads a into slot 0 and b into slot 1 the way tracing does; -1 when a
// loader refuses an object.
int Touch(CktState& st, const Obj& a, const Obj& b, bool lines) {
  auto make = [&st](const Obj& o) {
    if (o.box) return Box(st, L_METAL1, o.pts[0].first, o.pts[0].second, o.pts[1].first, o.pts[1].second);
    return Path(st, L_METAL1, o.w, o.pts);
  };
  int32_t ia = make(a), ib = make(b);
  int ok = a.box ? LoadBoxOutline(st, ia, 0, 0) : LoadPathOutline(st, ia, 0, 0, lines);
  if (!ok) return -1;
  ok = b.box ? LoadBoxOutline(st, ib, 0, 1) : LoadPathOutline(st, ib, 0, 1, lines);
  if (!ok) return -1;
  if (lines) return SlotsLinesTouch(st);
  return SlotsTouchRows(st) || SlotsTouchEdges(st);
}

struct TouchCase {
  const char* name;
  Obj a, b;
  bool lines;
  int want;  // 1 touch, 0 not, -1 refused by a loader
};

TEST(CktScan, TouchCasesAgreeInBothRowMethods) {
  const TouchCase cases[] = {
      {"abut on a vertical edge", B(0, 0, 10, 10), B(10, 0, 20, 10), false, 1},
      {"abut on a horizontal edge", B(0, 0, 10, 10), B(0, 10, 10, 20), false, 1},
      {"meet at a corner", B(0, 0, 10, 10), B(10, 10, 20, 20), false, 1},
      {"one unit apart", B(0, 0, 10, 10), B(11, 0, 20, 10), false, 0},
      {"one unit apart vertically", B(0, 0, 10, 10), B(0, 11, 10, 20), false, 0},
      {"degenerate box", B(0, 0, 10, 10), B(5, 0, 5, 10), false, -1},
      {"flat box", B(0, 0, 10, 10), B(0, 5, 10, 5), false, -1},
      {"one-unit overlap of staggered boxes", B(0, 0, 10, 5), B(2, 4, 8, 9), false, 1},
      {"one-unit-high box inside", B(0, 0, 10, 3), B(2, 1, 8, 2), false, 1},
      {"overlap", B(0, 0, 10, 10), B(5, 5, 15, 15), false, 1},
      {"T of wide paths", P(4, {{0, 0}, {20, 0}}), P(4, {{10, 0}, {10, 10}}), false, 1},
      {"wide path ending short of a box", P(4, {{0, 0}, {10, 0}}), B(12, -1, 20, 1), false, 0},
      {"negative width reaches the box", P(-4, {{0, 0}, {10, 0}}), B(12, -1, 20, 1), false, 1},
      {"slanted polygons overlapping", P(0, {{0, 0}, {10, 0}, {0, 10}, {0, 0}}), P(0, {{4, 4}, {12, 4}, {12, 12}, {4, 4}}),
       false, 1},
      {"slanted polygons apart", P(0, {{0, 0}, {10, 0}, {0, 10}, {0, 0}}), P(0, {{7, 7}, {15, 7}, {15, 15}, {7, 7}}), false,
       0},
      {"open line refused by layout rules", P(0, {{0, 0}, {10, 0}, {10, 10}}), B(0, 0, 10, 10), false, -1},
      {"T of lines", P(0, {{0, 0}, {10, 0}}), P(0, {{5, 0}, {5, 8}}), true, 1},
      {"L of lines", P(0, {{0, 0}, {10, 0}}), P(0, {{10, 0}, {10, 8}}), true, 1},
      {"X of lines", P(0, {{0, 0}, {10, 10}}), P(0, {{0, 10}, {10, 0}}), true, 0},
      {"end on a vertical line", P(0, {{5, -5}, {5, 5}}), P(0, {{0, 2}, {5, 2}}), true, 1},
  };
  for (bool literal : {true, false}) {
    for (const TouchCase& c : cases) {
      Engine e(literal);
      CktState& st = e.st;
      EXPECT_EQ(Touch(st, c.a, c.b, c.lines), c.want) << c.name << (literal ? " (row by row)" : " (fast)");
    }
  }
}

TEST(CktScan, IntegerRowsAloneMissAOneUnitOverlap) {
  Engine e(true);
  CktState& st = e.st;
  int32_t a = Box(st, L_METAL1, 0, 0, 10, 5), b = Box(st, L_METAL1, 2, 4, 8, 9);
  LoadBoxOutline(st, a, 0, 0);
  LoadBoxOutline(st, b, 1, 1);
  for (int32_t y = 4; y <= 5; y++) {
    ScanRowCrossings(st, 0, y);
    ScanRowCrossings(st, 1, y);
    CrossingSort(st, 0);
    CrossingSort(st, 1);
    EXPECT_EQ(CrossingsOverlap(st), 0) << y;
  }
  EXPECT_EQ(SlotsTouchEdges(st), 0);
  ScanHalfRowCrossings(st, 0, 4);
  ScanHalfRowCrossings(st, 1, 4);
  CrossingSort(st, 0);
  CrossingSort(st, 1);
  EXPECT_EQ(CrossingsOverlap(st), 1);
  EXPECT_EQ(SpanOverlapLength(st), 6);
}

TEST(CktScan, CrossingsAtVerticesAndSlantedEdges) {
  Engine e;
  CktState& st = e.st;
  int32_t diamond = Path(st, L_METAL1, 0, {{5, 0}, {10, 5}, {5, 10}, {0, 5}, {5, 0}});
  ASSERT_EQ(LoadPathOutline(st, diamond, 0, 0, 0), 1);
  struct Row { int32_t y; std::vector<int32_t> want; };
  const Row rows[] = {{0, {}}, {10, {}}, {5, {0, 10}}, {2, {3, 7}}};
  for (const Row& r : rows) {
    ScanRowCrossings(st, 0, r.y);
    CrossingSort(st, 0);
    std::vector<int32_t> got(st.scan.cross[0], st.scan.cross[0] + st.scan.crossLast[0] + 1);
    EXPECT_EQ(got, r.want) << "row " << r.y;
  }
  // An offset of -2.5 along a slanted edge adds -2.
  int32_t tri = Path(st, L_METAL1, 0, {{0, 0}, {10, 0}, {5, 10}, {0, 0}});
  ASSERT_EQ(LoadPathOutline(st, tri, 0, 0, 0), 1);
  ScanRowCrossings(st, 0, 5);
  CrossingSort(st, 0);
  ASSERT_EQ(st.scan.crossLast[0], 1);
  EXPECT_EQ(st.scan.cross[0][0], 3);
  EXPECT_EQ(st.scan.cross[0][1], 8);
  // A monotone chain with a vertex in the middle counts once.
  int32_t step = Path(st, L_METAL1, 0, {{0, 0}, {10, 0}, {10, 5}, {12, 10}, {0, 10}, {0, 0}});
  ASSERT_EQ(LoadPathOutline(st, step, 0, 0, 0), 1);
  ScanRowCrossings(st, 0, 5);
  EXPECT_EQ(st.scan.crossLast[0], 1);
  ScanColumnCrossings(st, 0, 5);
  CrossingSort(st, 0);
  EXPECT_EQ(st.scan.cross[0][0], 0);
  EXPECT_EQ(st.scan.cross[0][1], 10);
}

TEST(CktScan, NegativeWidthLengthensBothEnds) {
  Engine e;
  CktState& st = e.st;
  int32_t pos = Path(st, L_METAL1, 10, {{0, 0}, {100, 0}});
  int32_t neg = Path(st, L_METAL1, -10, {{0, 0}, {100, 0}});
  auto extentX = [&st](int32_t p) {
    LoadPathOutline(st, p, 0, 0, 0);
    const EdgeSlot& s = st.scan.slot[0];
    int32_t lo = s.x[0], hi = s.x[0];
    for (int i = 0; i <= s.last; i++) {
      lo = std::min(lo, s.x[i]);
      hi = std::max(hi, s.x[i]);
    }
    EXPECT_EQ(s.x[0], s.x[s.last]);
    EXPECT_EQ(s.y[0], s.y[s.last]);
    return std::make_pair(lo, hi);
  };
  EXPECT_EQ(extentX(pos), std::make_pair(0, 100));
  EXPECT_EQ(extentX(neg), std::make_pair(-5, 105));
  EXPECT_DOUBLE_EQ(EdgeListLength(st), 2 * 110 + 2 * 10);
}

TEST(CktScan, WidePathOfTheMostVerticesKeepsEveryPoint) {
  Engine e;
  CktState& st = e.st;
  std::vector<std::pair<int32_t, int32_t>> pts;
  for (int i = 0; i < CKT_PATH_VERTICES; i++) pts.push_back({i * 20, (i % 2) * 20});
  int32_t p = Path(st, L_METAL1, 6, pts);
  ASSERT_EQ(LoadPathOutline(st, p, 0, 0, 0), 1);
  EXPECT_EQ(st.scan.overflow, 0);
  EXPECT_EQ(st.scan.slot[0].last, 2 * CKT_PATH_VERTICES);  // both sides and the closing point
  // The far end is part of the ring, so a box there touches it.
  int32_t far = Box(st, L_METAL1, 1039 * 20 + 2, 15, 1039 * 20 + 10, 25);
  ASSERT_EQ(LoadBoxOutline(st, far, 1, 1), 1);
  EXPECT_EQ(SlotsTouchRows(st), 1);
}

// The worked-out test of two boxes against the ring walk in both row
// methods, over every placement of a small box around a fixed one: apart,
// a unit apart, abutting, corners, overlaps of one unit, containment.
TEST(CktScan, BoxesTouchAgreesWithTheRingWalk) {
  for (bool literal : {true, false}) {
    Engine e(literal);
    CktState& st = e.st;
    int32_t a = Box(st, L_METAL1, 0, 0, 6, 4);
    ASSERT_EQ(LoadBoxOutline(st, a, 0, 0), 1);
    int touching = 0, apart = 0;
    for (int32_t l = -4; l <= 7; l++)
      for (int32_t w = 1; w <= 8; w++)
        for (int32_t b = -4; b <= 5; b++)
          for (int32_t h = 1; h <= 6; h++) {
            int32_t n = Box(st, L_METAL1, l, b, l + w, b + h);
            ASSERT_EQ(LoadBoxOutline(st, n, 0, 1), 1);
            int walk = SlotsTouchRows(st) || SlotsTouchEdges(st);
            ASSERT_EQ(BoxesTouch(0, 0, 6, 4, l, b, l + w, b + h), walk)
                << "box " << l << "," << b << " " << l + w << "," << b + h << (literal ? " (row by row)" : " (fast)");
            (walk ? touching : apart)++;
          }
    EXPECT_GT(touching, 100);
    EXPECT_GT(apart, 100);
  }
}

// Fast touch test and spatial index against the row-by-row walk of every
// object: random small layouts must end with the same node numbers.
struct Layout {
  std::vector<Obj> objs;
  std::vector<int> layers;
  std::vector<std::pair<int32_t, int32_t>> texts;
};

Layout RandomLayout(std::mt19937& rng) {
  Layout lay;
  std::uniform_int_distribution<int> coord(0, 40), size(0, 12), kind(0, 9), layerPick(0, 5), count(4, 60);
  const int layers[] = {L_ACTIVE, L_POLY, L_METAL1, L_METAL1, L_CONTACT, L_VIA};
  int n = count(rng);
  for (int i = 0; i < n; i++) {
    int k = kind(rng);
    int32_t x = coord(rng), y = coord(rng);
    if (k < 6) {
      lay.objs.push_back(B(x, y, x + size(rng), y + size(rng)));
    } else if (k < 8) {
      std::vector<std::pair<int32_t, int32_t>> pts{{x, y}};
      int segs = 1 + size(rng) % 3;
      for (int s = 0; s < segs; s++) {
        int dir = size(rng) % 3;
        x += dir == 1 ? 0 : size(rng);
        y += dir == 0 ? 0 : size(rng) - (dir == 2 ? 6 : 0);
        pts.push_back({x, y});
      }
      int32_t w = (size(rng) % 5 + 1) * ((size(rng) % 4) ? 1 : -1);
      lay.objs.push_back(P(w, pts));
    } else {
      lay.objs.push_back(P(0, {{x, y}, {x + size(rng), y}, {x + size(rng) / 2, y + size(rng) + 1}, {x, y}}));
    }
    lay.layers.push_back(layers[layerPick(rng)]);
  }
  // Now and then a rail across the whole layout: objects that span many
  // cells of the contact grid take another way to their contacts.
  if (kind(rng) < 3) {
    int32_t y = coord(rng);
    lay.objs.push_back(B(-5, y, 60, y + 1 + size(rng) % 3));
    lay.layers.push_back(layers[layerPick(rng)]);
  }
  int nt = size(rng) % 6;
  for (int i = 0; i < nt; i++) lay.texts.push_back({coord(rng), coord(rng)});
  return lay;
}

// The numbers of every object, the error count and the messages in order.
std::vector<int32_t> Extract(const Layout& lay, bool literal, std::string* messages) {
  Engine e(literal);
  CktState& st = e.st;
  StandardTrace(st);
  for (size_t i = 0; i < lay.objs.size(); i++) {
    const Obj& o = lay.objs[i];
    if (o.box) TlcMakeB(st, lay.layers[i], o.pts[0].first, o.pts[0].second, o.pts[1].first, o.pts[1].second);
  }
  for (size_t i = 0; i < lay.objs.size(); i++) {
    const Obj& o = lay.objs[i];
    if (!o.box) Path(st, lay.layers[i], o.w, o.pts);
  }
  char name[16];
  for (size_t i = 0; i < lay.texts.size(); i++) {
    snprintf(name, sizeof name, "N%d", (int)i);
    Text(st, L_NODE, lay.texts[i].first, lay.texts[i].second, name);
  }
  e.rec->answers.assign(1000, HOST_IDNO);  // name clashes do not abort
  if (!literal) IndexBuild(st);
  RealNodesSearch(st);
  NodeRelax(st, 0);
  VirtualNodesCreate(st);
  NodeRelax(st, 1);
  RealSameNames(st);
  VirtualCondense(st);
  IndexDrop(st);
  std::vector<int32_t> nodes;
  for (int32_t i = 1; i <= st.store->nb; i++) nodes.push_back(BoxNode(st, i));
  for (int32_t i = 1; i <= st.store->np; i++) nodes.push_back(PathNode(st, i));
  nodes.push_back(st.run.errCount);
  *messages = "";
  for (const HostMessage& m : e.rec->messages) *messages += m.text + "\n";
  return nodes;
}

TEST(CktScan, FastTouchTestMatchesTheRowByRowMethod) {
  std::mt19937 rng(20261210);
  int connected = 0, clashes = 0;
  for (int round = 0; round < 300; round++) {
    Layout lay = RandomLayout(rng);
    std::string slowText, fastText;
    std::vector<int32_t> slow = Extract(lay, true, &slowText);
    std::vector<int32_t> fast = Extract(lay, false, &fastText);
    ASSERT_EQ(slow, fast) << "round " << round;
    ASSERT_EQ(slowText, fastText) << "round " << round;
    if (slowText.find("on the Same Node") != std::string::npos) clashes++;
    for (size_t i = 0; i + 1 < slow.size(); i++)
      if (slow[i] == -1 && i > 0) connected++;
  }
  EXPECT_GT(connected, 100);  // the layouts do connect things
  EXPECT_GT(clashes, 10);      // and join differently named nodes
}

}  // namespace
