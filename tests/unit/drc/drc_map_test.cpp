// The word-parallel map passes against a plain pixel-by-pixel reference
// written straight from the rules of the passes, on random maps.
#include "drc_map.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "drc_oper.h"
#include "drc_state.h"
#include "host.h"
#include "host_record.h"

namespace {

// ---- pixel reference ----

struct Img {
  int w = 0, h = 0;  // h counts the three spare rows
  std::vector<unsigned char> p;
  int at(int x, int y) const {
    if (x < 0 || x >= w || y < 0 || y >= h) return 0;
    return p[(size_t)y * w + x];
  }
  void set(int x, int y, int v = 1) {
    if (x < 0 || x >= w || y < 0 || y >= h) return;
    p[(size_t)y * w + x] = (unsigned char)v;
  }
};

int W(DrcState& st) { return st.maps.mapw; }
int H(DrcState& st) { return st.maps.maph; }

Img Blank(DrcState& st) {
  Img m;
  m.w = W(st);
  m.h = H(st) + 3;
  m.p.assign((size_t)m.w * m.h, 0);
  return m;
}

Img FromMap(DrcState& st, const DrcMap& m) {
  Img r = Blank(st);
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x < W(st); ++x) r.set(x, y, MapGet(st, m, x, y));
  return r;
}

void ToMap(DrcState& st, const Img& i, const DrcMap& m) {
  MapClear(st, m);
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x < W(st); ++x) MapPut(st, m, x, y, i.at(x, y));
}

// Only the area proper is compared.
bool Same(DrcState& st, const Img& a, const Img& b) {
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x < W(st); ++x)
      if (a.at(x, y) != b.at(x, y)) {
        ADD_FAILURE() << "first difference at x=" << x << " y=" << y << " reference " << a.at(x, y);
        return false;
      }
  return true;
}

Img Noise(DrcState& st, std::mt19937& rng, double density) {
  Img m = Blank(st);
  std::bernoulli_distribution bit(density);
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x < W(st); ++x) m.set(x, y, bit(rng));
  return m;
}

Img Boxes(DrcState& st, std::mt19937& rng, int count, int maxSize) {
  Img m = Blank(st);
  std::uniform_int_distribution<int> px(-5, W(st) + 5), py(-5, H(st) + 5), sz(1, maxSize);
  for (int i = 0; i < count; ++i) {
    int x = px(rng), y = py(rng), a = sz(rng), b = sz(rng);
    for (int v = y; v < y + b && v < H(st); ++v)
      for (int u = x; u < x + a && u < W(st); ++u) m.set(u, v);
  }
  return m;
}

void RefShift(DrcState& st, Img& dst, const Img& src, int dx, int dy) {
  int y0 = dy > 0 ? 1 : 0, y1 = dy < 0 ? H(st) - 2 : H(st) - 1;
  for (int y = y0; y <= y1; ++y)
    for (int x = 0; x < W(st); ++x)
      if (src.at(x - dx, y - dy)) dst.set(x, y);
}

void RefHoleFill(DrcState& st, const Img& m, Img& w) {
  for (int y = 1; y <= H(st) - 2; ++y)
    for (int x = 0; x < W(st); ++x) {
      if (m.at(x, y)) continue;
      bool hz = m.at(x - 1, y) && m.at(x - 2, y) && m.at(x + 1, y) && m.at(x + 2, y);
      auto row = [&](int yy) { return (yy >= 0 && yy < H(st)) ? m.at(x, yy) : 0; };
      bool vt = row(y - 1) && row(y - 2) && row(y + 1) && row(y + 2);
      if (hz || vt) w.set(x, y);
    }
}

void RefContact(DrcState& st, const Img& X, const Img& Y, Img& w) {
  for (int y = 1; y <= H(st) - 2; ++y)
    for (int x = 0; x < W(st); ++x) {
      auto pat = [&](const Img& a, const Img& b) {
        bool hz = a.at(x - 1, y) && !a.at(x, y) && !b.at(x, y) && b.at(x + 1, y);
        bool vt = a.at(x, y - 1) && !a.at(x, y) && !a.at(x, y + 1) && !b.at(x, y - 1) && !b.at(x, y) &&
                  b.at(x, y + 1);
        return hz || vt;
      };
      if (pat(X, Y) || pat(Y, X)) w.set(x, y);
    }
}

struct RefRegs {
  Img R, S, W, GR, GS;
};

void RefExpand(DrcState& st, RefRegs& g, int mode, int argument, int n) {
  double t = argument + n, a = 0, b = 0;
  g.W = Blank(st);
  g.GR = g.R;
  if (mode) g.GS = g.S;
  bool first = true;
  const int od[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  const int dd[4][2] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}};
  while (a + b < t) {
    g.R = g.GR;
    if (mode) g.S = g.GS;
    if (mode == 0 && first) RefHoleFill(st, g.GR, g.W);
    first = false;
    bool ortho = b + 2 > 0.7071 * a;
    for (int i = 0; i < 4; ++i) {
      int dx = ortho ? od[i][0] : dd[i][0], dy = ortho ? od[i][1] : dd[i][1];
      RefShift(st, g.GR, g.R, dx, dy);
      if (mode == 0) {
        RefHoleFill(st, g.GR, g.W);
        continue;
      }
      RefShift(st, g.GS, g.S, dx, dy);
      if (mode == 1) {
        for (int y = 0; y < H(st); ++y)
          for (int x = 0; x < W(st); ++x)
            if (g.GR.at(x, y) && g.GS.at(x, y)) g.W.set(x, y);
      } else {
        RefContact(st, g.GR, g.GS, g.W);
      }
    }
    if (ortho) a += 2;
    else b += 2;
  }
  if (first) {
    if (mode == 0) {
      RefHoleFill(st, g.GR, g.W);
    } else {
      for (int y = 0; y < H(st); ++y)
        for (int x = 0; x < W(st); ++x) g.R.set(x, y, g.R.at(x, y) && g.S.at(x, y));
      g.W = g.R;
    }
  }
  g.R = g.W;
  g.S = g.GR;
  if (mode)
    for (int y = 0; y < H(st); ++y)
      for (int x = 0; x < W(st); ++x)
        if (g.GS.at(x, y)) g.S.set(x, y);
}

void MarkDrop(DrcState& st, Img& w, int x, int y) {
  if (x >= 0 && x < W(st) && y >= 0 && y < H(st)) w.set(x, y);
}

void RefGap(DrcState& st, const Img& p, int g, Img& w) {
  if (g <= 1) return;
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x <= W(st) - 1 - g; ++x)
      if (p.at(x, y) && !p.at(x + 1, y))
        for (int k = 1; k < g; ++k)
          if (p.at(x + 1 + k, y)) {
            MarkDrop(st, w, x + k / 2, y);
            break;
          }
  for (int x = 0; x < W(st); ++x)
    for (int y = 0; y <= H(st) - 1 - g; ++y)
      if (p.at(x, y) && !p.at(x, y + 1))
        for (int k = 1; k < g; ++k)
          if (p.at(x, y + 1 + k)) {
            MarkDrop(st, w, x, y + k / 2);
            break;
          }
}

void RefFace(DrcState& st, const Img& p, const Img& q, int g, Img& w) {
  if (g <= 0) return;
  auto scan = [&](const Img& a, const Img& b) {
    for (int y = 0; y < H(st); ++y)
      for (int x = 0; x <= W(st) - 1 - g; ++x)
        if (a.at(x, y) && !a.at(x + 1, y))
          for (int j = 0; j < g; ++j)
            if (!b.at(x + j, y) && b.at(x + j + 1, y)) {
              MarkDrop(st, w, x + j / 2, y);
              break;
            }
    for (int x = 0; x < W(st); ++x)
      for (int y = 0; y <= H(st) - 1 - g; ++y)
        if (a.at(x, y) && !a.at(x, y + 1))
          for (int j = 0; j < g; ++j)
            if (!b.at(x, y + j) && b.at(x, y + j + 1)) {
              MarkDrop(st, w, x, y + j / 2);
              break;
            }
  };
  scan(p, q);
  scan(q, p);
}

void RefSize(DrcState& st, const Img& p, int g, Img& r) {
  int J = g >= 1 ? g + 1 : 1;
  auto pin = [&](int x, int y) { return (x >= 0 && x < W(st) && y >= 0 && y < H(st)) ? p.at(x, y) : 0; };
  for (int y = 0; y < H(st); ++y)
    for (int x = 0; x <= W(st) - 1 - g; ++x)
      if (!pin(x, y) && pin(x + 1, y)) {
        int s = x + 1;
        for (int j = 1; j <= g; ++j) {
          int k = s + j - 1;
          if (!(pin(k, y) && pin(k + 1, y))) MarkDrop(st, r, k, y);
        }
        if (pin(x + 1 + J, y)) MarkDrop(st, r, x + 1 + J, y);
      }
  for (int x = 0; x < W(st); ++x)
    for (int y = 0; y <= H(st) - 1 - g; ++y)
      if (!pin(x, y) && pin(x, y + 1)) {
        int s = y + 1;
        for (int j = 1; j <= g; ++j) {
          int k = s + j - 1;
          if (!(pin(x, k) && pin(x, k + 1))) MarkDrop(st, r, x, k);
        }
        if (pin(x, y + 1 + J)) MarkDrop(st, r, x, y + 1 + J);
      }
}

class MapTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(MapAlloc(st), 1); }
  DrcState st;
};

TEST_F(MapTest, BooleanOperationsEqualThePixelRule) {
  std::mt19937 rng(11);
  for (int round = 0; round < 3; ++round) {
    Img a = Noise(st, rng, 0.5), b = Noise(st, rng, 0.3);
    struct Case {
      const char* name;
      void (*op)(const DrcState&, const DrcMap&, const DrcMap&);
      int (*pix)(int, int);
    } cases[] = {
        {"or", MapOr, [](int x, int y) { return x | y; }},
        {"and", MapAnd, [](int x, int y) { return x & y; }},
        {"xor", MapXor, [](int x, int y) { return x ^ y; }},
    };
    for (auto& c : cases) {
      SCOPED_TRACE(c.name);
      ToMap(st, a, st.maps.R);
      ToMap(st, b, st.maps.S);
      c.op(st, st.maps.R, st.maps.S);
      Img want = Blank(st);
      for (int y = 0; y < H(st); ++y)
        for (int x = 0; x < W(st); ++x) want.set(x, y, c.pix(a.at(x, y), b.at(x, y)));
      EXPECT_TRUE(Same(st, want, FromMap(st, st.maps.R)));
    }
    ToMap(st, a, st.maps.R);
    ToMap(st, b, st.maps.S);
    MapSwap(st.maps.R, st.maps.S);
    EXPECT_TRUE(Same(st, b, FromMap(st, st.maps.R)));
    EXPECT_TRUE(Same(st, a, FromMap(st, st.maps.S)));
  }
}

TEST_F(MapTest, EdgeClearAndEmptinessTests) {
  MapClear(st, st.maps.R);
  EXPECT_EQ(MapAnySet(st, st.maps.R), 0);
  MapNot(st, st.maps.R);
  MapEdgeClear(st, st.maps.R);
  EXPECT_EQ(MapCount(st, st.maps.R), (int64_t)(W(st) - 2) * (H(st) - 2));
  EXPECT_EQ(MapGet(st, st.maps.R, 0, 5), 0);
  EXPECT_EQ(MapGet(st, st.maps.R, W(st) - 1, 5), 0);
  EXPECT_EQ(MapGet(st, st.maps.R, 5, 0), 0);
  EXPECT_EQ(MapGet(st, st.maps.R, 5, H(st) - 1), 0);
  EXPECT_EQ(MapGet(st, st.maps.R, 1, 1), 1);
  EXPECT_EQ(MapAnyClear(st, st.maps.R), 0);  // full apart from its frame
  MapPut(st, st.maps.R, 200, 100, 0);
  EXPECT_EQ(MapAnyClear(st, st.maps.R), 1);
  EXPECT_EQ(MapAnySet(st, st.maps.R), 1);
}

TEST_F(MapTest, GuardClipKeepsTheCoreOnly) {
  for (int g : {0, 1, 40, 63, 64, 65, 100}) {
    SCOPED_TRACE(g);
    MapClear(st, st.maps.R);
    MapNot(st, st.maps.R);
    EXPECT_EQ(MapGuardClip(st, st.maps.R, g), 1);
    EXPECT_EQ(MapCount(st, st.maps.R), (int64_t)(W(st) - 2 * g) * (H(st) - 2 * g));
    EXPECT_EQ(MapGet(st, st.maps.R, g, g), 1);
    EXPECT_EQ(MapGet(st, st.maps.R, W(st) - g - 1, H(st) - g - 1), 1);
    if (g > 0) {
      EXPECT_EQ(MapGet(st, st.maps.R, g - 1, g), 0);
      EXPECT_EQ(MapGet(st, st.maps.R, W(st) - g, H(st) / 2), 0);
      EXPECT_EQ(MapGet(st, st.maps.R, W(st) / 2, H(st) - g), 0);
    }
  }
  // Pixels only in the guard band: nothing remains.
  MapClear(st, st.maps.R);
  MapPut(st, st.maps.R, 39, 200, 1);
  MapPut(st, st.maps.R, 300, W(st) - 40, 1);
  EXPECT_EQ(MapGuardClip(st, st.maps.R, 40), 0);
  EXPECT_EQ(MapAnySet(st, st.maps.R), 0);
}

TEST_F(MapTest, SavedMapsByName) {
  HostRecord& rec = HostRecordInstall();
  EXPECT_EQ(MapNameTag("0"), 2);
  EXPECT_EQ(MapNameTag("-3"), 2);
  EXPECT_EQ(MapNameTag("XYZ"), 2);
  EXPECT_EQ(MapNameTag("r"), 2);
  EXPECT_EQ(MapNameTag("s"), 1);
  EXPECT_EQ(MapNameTag("41"), 43);
  MapClear(st, st.maps.R);
  MapPut(st, st.maps.R, 7, 7, 1);
  EXPECT_EQ(MapSlotStore(st, st.maps.R, "s"), 0);
  MapClear(st, st.maps.S);
  EXPECT_EQ(MapRetrieve(st, st.maps.S, "S"), 0);
  EXPECT_EQ(MapGet(st, st.maps.S, 7, 7), 1);
  // Sixteen names fill the table; a seventeenth is an error, not a silent skip.
  for (int n = 1; n <= 15; ++n) EXPECT_EQ(MapSlotStore(st, st.maps.R, std::to_string(n).c_str()), 0);
  EXPECT_EQ(st.g.abortFlag, 0);
  EXPECT_EQ(MapSlotStore(st, st.maps.R, "99"), 1);
  EXPECT_EQ(st.g.abortFlag, 1);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].captionKind, HOST_CAP_ERROR);
  // Overwriting a taken name still works.
  EXPECT_EQ(MapSlotStore(st, st.maps.R, "15"), 0);
  // A never-saved name, and every name after the area changes, is missing.
  EXPECT_EQ(MapRetrieve(st, st.maps.S, "99"), 1);
  MapSlotsInvalidate(st);
  EXPECT_EQ(MapRetrieve(st, st.maps.S, "S"), 1);
  HostRecordRemove();
}

TEST_F(MapTest, PushKeepsRInSAndTakesTheSavedMap) {
  HostRecordInstall();
  MapClear(st, st.maps.R);
  MapPut(st, st.maps.R, 3, 3, 1);
  ASSERT_EQ(MapSlotStore(st, st.maps.R, "5"), 0);
  MapClear(st, st.maps.R);
  MapPut(st, st.maps.R, 4, 4, 1);
  ASSERT_EQ(MapSlotStore(st, st.maps.R, "R"), 0);
  MapClear(st, st.maps.R);
  MapPut(st, st.maps.R, 9, 9, 1);
  MapClear(st, st.maps.S);
  DrcOpParsed op = {OP_PUSH, 0, "5", 0};
  EXPECT_EQ(DrcOperatorRun(st, op), 1);
  EXPECT_EQ(MapGet(st, st.maps.S, 9, 9), 1);
  EXPECT_EQ(MapGet(st, st.maps.R, 3, 3), 1);
  EXPECT_EQ(MapGet(st, st.maps.R, 9, 9), 0);
  op = {OP_PUSHR, 0, "", 0};
  EXPECT_EQ(DrcOperatorRun(st, op), 1);
  EXPECT_EQ(MapGet(st, st.maps.S, 3, 3), 1);
  EXPECT_EQ(MapGet(st, st.maps.S, 9, 9), 0);
  EXPECT_EQ(MapGet(st, st.maps.R, 4, 4), 1);
  EXPECT_EQ(MapGet(st, st.maps.R, 3, 3), 0);
  // A name never saved: a rule error, and both maps stay as they were.
  op = {OP_PUSH, 0, "8", 0};
  EXPECT_EQ(DrcOperatorRun(st, op), -2);
  EXPECT_EQ(MapGet(st, st.maps.S, 3, 3), 1);
  EXPECT_EQ(MapGet(st, st.maps.R, 4, 4), 1);
  HostRecordRemove();
}

TEST_F(MapTest, ShiftsHoleFillAndContactEqualTheReference) {
  std::mt19937 rng(5);
  const int dirs[8][3] = {{DIR_E, 1, 0},   {DIR_W, -1, 0}, {DIR_N, 0, 1},   {DIR_S, 0, -1},
                          {DIR_NE, 1, 1},  {DIR_SE, 1, -1}, {DIR_NW, -1, 1}, {DIR_SW, -1, -1}};
  for (int round = 0; round < 2; ++round) {
    Img a = Noise(st, rng, round ? 0.8 : 0.4), b = Noise(st, rng, 0.5);
    for (auto& d : dirs) {
      ToMap(st, a, st.maps.R);
      ToMap(st, b, st.maps.GR);
      MapShift(st, st.maps.GR, st.maps.R, d[0]);
      Img want = b;
      RefShift(st, want, a, d[1], d[2]);
      EXPECT_TRUE(Same(st, want, FromMap(st, st.maps.GR))) << "direction " << d[0];
    }
    ToMap(st, a, st.maps.GR);
    MapClear(st, st.maps.W);
    MapHoleFill(st, st.maps.GR);
    Img w = Blank(st);
    RefHoleFill(st, a, w);
    EXPECT_TRUE(Same(st, w, FromMap(st, st.maps.W)));
    Img c = Noise(st, rng, 0.3), e = Noise(st, rng, 0.3);
    ToMap(st, c, st.maps.GR);
    ToMap(st, e, st.maps.GS);
    MapClear(st, st.maps.W);
    MapContactMark(st, st.maps.GR, st.maps.GS);
    w = Blank(st);
    RefContact(st, c, e, w);
    EXPECT_TRUE(Same(st, w, FromMap(st, st.maps.W)));
  }
}

TEST_F(MapTest, ExpansionsEqualTheReference) {
  std::mt19937 rng(7);
  struct Case {
    int mode, argument, n;
  } cases[] = {{0, -1, 11}, {0, 0, 0}, {0, 2, 1}, {1, 1, 4}, {1, -3, 1}, {2, -1, 6}, {2, 0, 0}};
  for (auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "mode " << c.mode << " T " << c.argument + c.n);
    RefRegs g;
    g.R = Boxes(st, rng, 120, 24);
    g.S = Boxes(st, rng, 120, 24);
    ToMap(st, g.R, st.maps.R);
    ToMap(st, g.S, st.maps.S);
    EXPECT_EQ(DrcExpand(st, c.mode, c.argument, c.n), 0);
    RefExpand(st, g, c.mode, c.argument, c.n);
    EXPECT_TRUE(Same(st, g.R, FromMap(st, st.maps.R)));
    EXPECT_TRUE(Same(st, g.S, FromMap(st, st.maps.S)));
  }
}

TEST_F(MapTest, GaugesAndSizeMarkEqualTheReference) {
  std::mt19937 rng(3);
  for (int g : {-1, 0, 1, 2, 5, 12, 70}) {
    SCOPED_TRACE(g);
    Img p = Boxes(st, rng, 150, 30), q = Boxes(st, rng, 150, 30);
    ToMap(st, p, st.maps.R);
    MapClear(st, st.maps.W);
    MapGapGauge(st, st.maps.R, g, st.maps.W);
    Img w = Blank(st);
    RefGap(st, p, g, w);
    EXPECT_TRUE(Same(st, w, FromMap(st, st.maps.W))) << "gap";

    ToMap(st, q, st.maps.S);
    MapClear(st, st.maps.W);
    MapFaceGauge(st, st.maps.R, st.maps.S, g, st.maps.W);
    w = Blank(st);
    RefFace(st, p, q, g, w);
    EXPECT_TRUE(Same(st, w, FromMap(st, st.maps.W))) << "face";

    ToMap(st, p, st.maps.W);
    MapClear(st, st.maps.R);
    MapSizeMark(st, st.maps.W, g);
    Img r = Blank(st);
    RefSize(st, p, g, r);
    EXPECT_TRUE(Same(st, r, FromMap(st, st.maps.R))) << "size";
  }
}

// Two bars with a gap of s pixels, horizontally and vertically: EXPR marks the
// gap exactly when s < T + 2 for even T.
TEST_F(MapTest, ExpandMarksGapsBelowTargetPlusTwo) {
  for (int t : {0, 2, 4, 10}) {
    for (int s = 1; s <= t + 4; ++s) {
      for (int vertical = 0; vertical < 2; ++vertical) {
        MapClear(st, st.maps.R);
        for (int a = 50; a < 250; ++a)
          for (int b = 20; b < 80; ++b) {
            int x = vertical ? a : b, y = vertical ? b : a;
            int x2 = vertical ? a : b + 60 + s, y2 = vertical ? b + 60 + s : a;
            MapPut(st, st.maps.R, x, y, 1);
            MapPut(st, st.maps.R, x2, y2, 1);
          }
        DrcExpand(st, 0, t, 0);
        EXPECT_EQ(MapAnySet(st, st.maps.R), s < t + 2 ? 1 : 0) << "T " << t << " gap " << s << " vertical " << vertical;
      }
    }
  }
}

TEST_F(MapTest, GapGaugeFlagsWidthsBelowG) {
  // A width check: bars of width w inverted and gap-gauged with g.
  for (int g : {2, 6, 12}) {
    for (int wdt = 1; wdt <= g + 2; ++wdt) {
      MapClear(st, st.maps.R);
      for (int y = 40; y < 200; ++y)
        for (int x = 100; x < 100 + wdt; ++x) MapPut(st, st.maps.R, x, y, 1);
      MapNot(st, st.maps.R);
      MapEdgeClear(st, st.maps.R);
      DrcGauge(st, 0, g, 0);
      EXPECT_EQ(MapAnySet(st, st.maps.R), wdt < g ? 1 : 0) << "g " << g << " width " << wdt;
    }
  }
}

TEST_F(MapTest, ExpandStopsAtTheAbortFlag) {
  MapClear(st, st.maps.R);
  st.g.abortFlag = 1;
  EXPECT_EQ(DrcExpand(st, 0, 4, 0), 1);
  st.g.abortFlag = 0;
}

}  // namespace
