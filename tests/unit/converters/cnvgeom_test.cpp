#include "cnvgeom.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host.h"
#include "host_record.h"

namespace {

using Pts = std::vector<std::pair<int, int>>;

struct Notes {
  std::vector<std::string> lines;
  int abort = 0;
  CnvGeom g{};
  explicit Notes(int mpp) {
    g = CnvGeom{1000, mpp, "TOP", &abort, Add, this};
  }
  static void Add(void* ctx, const char* text) { static_cast<Notes*>(ctx)->lines.push_back(text); }
  bool Has(const std::string& s) const {
    for (const auto& t : lines)
      if (t.find(s) != std::string::npos) return true;
    return false;
  }
};

CnvPath* Path(int w, const Pts& pts) {
  static CnvPath p;
  p.lyr = 5;
  p.w = w;
  p.cut = 0;
  p.nv = (int)pts.size();
  for (size_t i = 0; i < pts.size(); ++i) {
    p.x[i] = pts[i].first;
    p.y[i] = pts[i].second;
  }
  return &p;
}

Pts RingPts(const CnvRing& r) {
  Pts out;
  for (int i = 0; i < r.n; ++i) out.push_back({r.x[i], r.y[i]});
  return out;
}

TEST(PathToPoly, Outlines) {
  struct Case {
    const char* name;
    int w;
    Pts path;
    Pts ring;
  } cases[] = {
      {"flush ends", 10, {{0, 0}, {100, 0}}, {{0, -5}, {0, 5}, {100, 5}, {100, -5}, {0, -5}}},
      {"extended ends", -10, {{0, 0}, {100, 0}}, {{-5, -5}, {-5, 5}, {105, 5}, {105, -5}, {-5, -5}}},
      {"right-angle mitre",
       10,
       {{0, 0}, {100, 0}, {100, 100}},
       {{0, -5}, {0, 5}, {95, 5}, {95, 100}, {105, 100}, {105, -5}, {0, -5}}},
      {"repeated points pass over",
       10,
       {{0, 0}, {0, 0}, {100, 0}, {100, 0}},
       {{0, -5}, {0, 5}, {100, 5}, {100, -5}, {0, -5}}},
      {"odd width halves truncated", 11, {{0, 0}, {0, 100}}, {{5, 0}, {-5, 0}, {-5, 100}, {5, 100}, {5, 0}}},
  };
  static CnvRing ring;
  for (const Case& c : cases) {
    ASSERT_EQ(PathToPoly(Path(c.w, c.path), &ring), 1) << c.name;
    EXPECT_EQ(RingPts(ring), c.ring) << c.name;
  }
  EXPECT_EQ(PathToPoly(Path(10, {{3, 3}, {3, 3}}), &ring), 0);
  EXPECT_EQ(ring.n, 0);
}

TEST(PathToPoly, SharpTurnIsCutSquare) {
  // 135 degrees: a mitre would reach 13 units beyond the corner; cut, the
  // outer side keeps to the half width with two points.
  static CnvRing ring;
  ASSERT_EQ(PathToPoly(Path(10, {{0, 0}, {100, 0}, {0, 100}}), &ring), 1);
  const Pts want = {{0, -5}, {0, 5}, {95, 5}, {93, 0}, {-4, 96}, {4, 104}, {107, 0}, {105, -5}, {0, -5}};
  EXPECT_EQ(RingPts(ring), want);
}

TEST(PathToPoly, LongPathsKeepTheWholeRing) {
  // A zig-zag of sharp turns: every joint is cut, so the ring has about
  // four points per vertex; none may be dropped.
  Pts pts;
  for (int i = 0; i < CNV_PVSIZ; ++i) pts.push_back({i * 10, (i % 2) * 1000});
  static CnvRing ring;
  ASSERT_EQ(PathToPoly(Path(20, pts), &ring), 1);
  EXPECT_GT(ring.n, 2 * CNV_PVSIZ + 1);
  EXPECT_EQ(ring.x[0], ring.x[ring.n - 1]);
  EXPECT_EQ(ring.y[0], ring.y[ring.n - 1]);
}

TEST(PathEndsPullIn, Ends) {
  struct Case {
    const char* name;
    int w;
    Pts path;
    int result;
    Pts after;
    std::vector<std::string> notes;
    std::vector<std::string> absent;
  } cases[] = {
      {"straight", 20, {{0, 0}, {1000, 0}}, 1, {{10, 0}, {990, 0}}, {"Path Ends Extended at X=0 Y=0 L=5 in TOP"},
       {"Questionable"}},
      {"short first segment", 20, {{0, 0}, {15, 0}, {15, 1000}}, 1, {{10, 0}, {15, 0}, {15, 990}},
       {"Questionable Path End at X=0 Y=0 L=5 in TOP"}, {}},
      {"coincident end stays", 20, {{0, 0}, {0, 0}, {0, 1000}}, 1, {{0, 0}, {0, 0}, {0, 990}},
       {"Possible Coincidence at X=0 Y=0 L=5 in TOP"}, {}},
      {"end shorter than the pull folds", 20, {{0, 0}, {8, 0}, {8, 1000}}, 0, {{0, 0}, {8, 0}, {8, 1000}},
       {"Path Ends Extended"}, {}},
      {"two points closer than the width", 20, {{0, 0}, {15, 0}}, 0, {{0, 0}, {15, 0}}, {}, {}},
      {"diagonal", 20, {{0, 0}, {1000, 1000}}, 1, {{7, 7}, {993, 993}}, {}, {}},
  };
  for (const Case& c : cases) {
    Notes n(0);
    CnvPath* p = Path(c.w, c.path);
    EXPECT_EQ(PathEndsPullIn(&n.g, p), c.result) << c.name;
    Pts after;
    for (int i = 0; i < p->nv; ++i) after.push_back({p->x[i], p->y[i]});
    EXPECT_EQ(after, c.after) << c.name;
    for (const auto& s : c.notes) EXPECT_TRUE(n.Has(s)) << c.name << ": " << s;
    for (const auto& s : c.absent) EXPECT_FALSE(n.Has(s)) << c.name << ": " << s;
  }
}

TEST(BoxCheck, CrushedBoxes) {
  struct Case {
    int mpp;
    CnvBox b;
    int answer;
    int want;
    const char* note;
    int abort;
  } cases[] = {
      {0, {3, 0, 0, 1000, 2000}, 0, 1, nullptr, 0},
      {0, {3, 500, 0, 500, 2000}, 0, 1, "Crushed Box at X=0.5 Y=0 L=3 TOP", 0},
      {1, {3, 0, 100, 1000, 100}, HOST_IDOK, 0, "Crushed Box Removed at X=0 Y=0.1 L=3 in TOP", 0},
      {1, {3, 0, 100, 1000, 100}, HOST_IDCANCEL, 0, nullptr, 1},
  };
  for (const Case& c : cases) {
    Notes n(c.mpp);
    HostRecord& host = HostRecordInstall();
    if (c.answer) host.answers.push_back(c.answer);
    EXPECT_EQ(BoxCheck(&n.g, &c.b), c.want);
    EXPECT_EQ(n.abort, c.abort);
    if (c.note) {
      EXPECT_TRUE(n.Has(c.note)) << c.note;
    }
    if (c.mpp) {
      ASSERT_EQ(host.messages.size(), 1u);
      EXPECT_EQ(host.messages[0].text, "Crushed Box at X=0 Y=0.1 L=3 in TOP\n\nRemove It or Cancel Conversion?");
    } else {
      EXPECT_TRUE(host.messages.empty());
    }
    HostRecordRemove();
  }
}

TEST(PolyCleanUp, Shapes) {
  const Pts square = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
  const Pts openSquare = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
  struct Case {
    const char* name;
    int mpp;
    int w;
    Pts pts;
    int answer;
    int want, wantW, wantNv, abort;
    const char* note;
  } cases[] = {
      {"single point", 0, 0, {{1500, 2500}}, 0, 0, 0, 1, 0, "Single Point Removed at X=1.5 Y=2.5 L=5 in TOP"},
      {"segment becomes a path", 0, 0, {{0, 0}, {500, 0}}, 0, 1, 2, 2, 0, "Line Segment Changed to Path at X=0 Y=0"},
      {"folded", 0, 0, {{0, 0}, {10, 10}, {0, 0}}, 0, 0, 0, 3, 0, "Folded Poly at X=0 Y=0 L=5 in TOP"},
      {"open becomes a path", 0, 0, openSquare, 0, 1, 2, 4, 0, "Open Poly Changed to Path at X=0 Y=0"},
      {"closed kept", 0, 0, square, 0, 1, 0, 5, 0, nullptr},
      {"path kept", 0, 30, openSquare, 0, 1, 30, 4, 0, nullptr},
      {"protocol: segment removed", 1, 0, {{0, 0}, {500, 0}}, HOST_IDOK, 0, 0, 2, 0, "Line Segment Removed at X=0"},
      {"protocol: folded removed", 1, 0, {{0, 0}, {10, 10}, {0, 0}}, HOST_IDOK, 0, 0, 3, 0,
       "Folded Poly Removed at X=0 Y=0 L=5 in TOP"},
      {"protocol: open closed", 1, 0, openSquare, HOST_IDOK, 1, 0, 5, 0, "Open Poly Closed at X=0 Y=0 L=5 in TOP"},
      {"protocol: open cancelled", 1, 0, openSquare, HOST_IDCANCEL, 0, 0, 4, 1, nullptr},
  };
  for (const Case& c : cases) {
    Notes n(c.mpp);
    HostRecord& host = HostRecordInstall();
    if (c.answer) host.answers.push_back(c.answer);
    CnvPath* p = Path(c.w, c.pts);
    EXPECT_EQ(PolyCleanUp(&n.g, p), c.want) << c.name;
    EXPECT_EQ(p->w, c.wantW) << c.name;
    EXPECT_EQ(p->nv, c.wantNv) << c.name;
    EXPECT_EQ(n.abort, c.abort) << c.name;
    if (c.note) {
      EXPECT_TRUE(n.Has(c.note)) << c.name;
    }
    EXPECT_TRUE(host.answers.empty()) << c.name << ": a question was not asked";
    HostRecordRemove();
  }
}

TEST(PolyCleanUp, ProtocolQuestionNamesTheCell) {
  Notes n(1);
  HostRecord& host = HostRecordInstall();
  PolyCleanUp(&n.g, Path(0, {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}}));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Open Poly at X=0 Y=0 L=5 in TOP\n\nClose It or Cancel Conversion?");
  HostRecordRemove();
}

TEST(PolyCirculationCheck, Windings) {
  struct Case {
    const char* name;
    Pts pts;
    bool note;
  } cases[] = {
      {"square anticlockwise", {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}, false},
      {"square clockwise", {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}}, false},
      {"figure eight", {{0, 0}, {10, 10}, {10, 0}, {0, 10}, {0, 0}}, true},
      {"open: not checked", {{0, 0}, {10, 10}, {10, 0}, {0, 10}}, false},
  };
  for (const Case& c : cases) {
    Notes n(0);
    PolyCirculationCheck(&n.g, Path(0, c.pts));
    EXPECT_EQ(n.Has("Poly Circulation not 360 deg at X=0 Y=0 L=5"), c.note) << c.name;
    EXPECT_FALSE(n.Has(" in TOP")) << c.name;
  }
}

TEST(BoxToPoly, ClosedRing) {
  CnvBox b{7, 1, 2, 3, 4};
  static CnvPath p;
  BoxToPoly(&b, &p);
  EXPECT_EQ(p.lyr, 7);
  EXPECT_EQ(p.w, 0);
  ASSERT_EQ(p.nv, 5);
  const int xs[] = {1, 3, 3, 1, 1}, ys[] = {2, 2, 4, 4, 2};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(p.x[i], xs[i]);
    EXPECT_EQ(p.y[i], ys[i]);
  }
}

}  // namespace
