#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "convtest.h"
#include "gdsout.h"
#include "host.h"
#include "host_record.h"

namespace {

using OutState = OwnState<GdsOutState, GdsOutReset>;

struct Listed {
  static std::vector<std::string>& lines() {
    static std::vector<std::string> v;
    return v;
  }
  static void Add(const char* t) { lines().push_back(t); }
};

void Prepare(GdsOutState* st, int protocol) {
  GdsOutReset(st);
  st->mpp = protocol;
  st->tlcScale = 1000;
  snprintf(st->curCell, sizeof st->curCell, "TOP");
  st->listLine = Listed::Add;
  Listed::lines().clear();
}

void Fill(CnvPath* p, int w, std::vector<std::pair<int, int>> pts) {
  p->lyr = 5;
  p->w = w;
  p->nv = (int)pts.size();
  for (size_t i = 0; i < pts.size(); ++i) {
    p->x[i] = pts[i].first;
    p->y[i] = pts[i].second;
  }
}

bool Has(const std::vector<std::string>& v, const std::string& s) {
  for (const auto& t : v)
    if (t.find(s) != std::string::npos) return true;
  return false;
}

TEST(GdsCheckPath, TableOfShapes) {
  OutState own;
  auto* st = own.st;
  using P = std::vector<std::pair<int, int>>;
  const P square = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}};
  const P openSquare = {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}};
  const P eight = {{0, 0}, {1000, 1000}, {1000, 0}, {0, 1000}, {0, 0}};
  const P sharp = {{0, 0}, {2000, 0}, {0, 1000}, {0, 0}};  // about 27 degrees at (2000,0)
  struct Case {
    const char* name;
    int protocol;
    int w;
    P pts;
    std::vector<int> answers;
    int want;
    int wantNv;
    std::vector<std::string> notes;  // each must appear in the list
    std::vector<std::string> absent;
    int wantAbort;
  } cases[] = {
      {"closed square", 0, 0, square, {}, GCHK_WRITE, 5, {}, {"Acute", "Circulation"}, 0},
      {"open square becomes a path", 0, 0, openSquare, {}, GCHK_ASPATH, 4,
       {"Open Poly Changed to Path at X=0 Y=0 L=5 in TOP"}, {}, 0},
      {"two points become a path", 0, 0, {{0, 0}, {500, 0}}, {}, GCHK_ASPATH, 2,
       {"Poly Line Segment Changed to Path at X=0 Y=0 L=5 in TOP"}, {}, 0},
      {"folded", 0, 0, {{0, 0}, {500, 0}, {0, 0}}, {}, GCHK_DROP, 3, {"Folded Poly at X=0 Y=0 L=5 in TOP"}, {}, 0},
      {"single point", 0, 0, {{1500, 2500}}, {}, GCHK_DROP, 1,
       {"Single Point Removed at X=1.5 Y=2.5 L=5 in TOP"}, {}, 0},
      {"duplicates collapse to one point", 1, 300, {{7, 7}, {7, 7}, {7, 7}}, {}, GCHK_DROP, 1,
       {"Duplicate Vertex Removed at X=0.007 Y=0.007", "Single Point Removed"}, {}, 0},
      {"duplicate removed first", 0, 0, {{0, 0}, {1000, 0}, {1000, 0}, {1000, 1000}, {0, 1000}, {0, 0}}, {},
       GCHK_WRITE, 5, {"Duplicate Vertex Removed at X=1 Y=0 L=5 in TOP"}, {}, 0},
      {"wide path kept", 0, -200, {{0, 0}, {1000, 0}, {1000, 1000}}, {}, GCHK_WRITE, 3, {}, {}, 0},
      {"protocol: open square closed", 1, 0, openSquare, {HOST_IDOK}, GCHK_WRITE, 5,
       {"Open Poly Closed at X=0 Y=0 L=5 in TOP"}, {"Acute"}, 0},
      {"protocol: open square cancelled", 1, 0, openSquare, {HOST_IDCANCEL}, GCHK_DROP, 4, {}, {}, 1},
      {"protocol: segment removed", 1, 0, {{0, 0}, {500, 0}}, {HOST_IDOK}, GCHK_DROP, 2,
       {"Line Segment Removed at X=0 Y=0 L=5 in TOP"}, {}, 0},
      {"protocol: folded removed", 1, 0, {{0, 0}, {500, 0}, {0, 0}}, {HOST_IDOK}, GCHK_DROP, 3,
       {"Folded Poly Removed at X=0 Y=0 L=5in TOP"}, {}, 0},
      {"protocol: figure eight", 1, 0, eight, {}, GCHK_WRITE, 5, {"Poly Circulation not 360 deg at X=0 Y=0"}, {}, 0},
      {"protocol: square is clean", 1, 0, square, {}, GCHK_WRITE, 5, {}, {"Acute", "Circulation", "Duplicate"}, 0},
      {"protocol: sharp triangle", 1, 0, sharp, {}, GCHK_WRITE, 4, {"Acute Poly/Path Angle in Poly at X=2 Y=0"},
       {"Circulation"}, 0},
      {"protocol: 45-degree path corner", 1, 100, {{0, 0}, {1000, 0}, {0, 1000}}, {}, GCHK_WRITE, 3,
       {"Acute Poly/Path Angle in Poly at X=1 Y=0"}, {}, 0},
      {"protocol: right-angle path", 1, 100, {{0, 0}, {1000, 0}, {1000, 1000}}, {}, GCHK_WRITE, 3, {}, {"Acute"}, 0},
  };
  for (const Case& c : cases) {
    Prepare(st, c.protocol);
    HostRecord& host = HostRecordInstall();
    for (int a : c.answers) host.answers.push_back(a);
    static CnvPath p;
    Fill(&p, c.w, c.pts);
    EXPECT_EQ(GdsCheckPath(st, &p), c.want) << c.name;
    EXPECT_EQ(p.nv, c.wantNv) << c.name;
    EXPECT_EQ(st->abort, c.wantAbort) << c.name;
    for (const auto& n : c.notes) EXPECT_TRUE(Has(Listed::lines(), n)) << c.name << ": " << n;
    for (const auto& n : c.absent) EXPECT_FALSE(Has(Listed::lines(), n)) << c.name << ": " << n;
    EXPECT_TRUE(host.answers.empty()) << c.name << ": a question was not asked";
    HostRecordRemove();
  }
}

TEST(GdsCheckPath, ProtocolQuestionTexts) {
  OutState own;
  auto* st = own.st;
  Prepare(st, 1);
  HostRecord& host = HostRecordInstall();
  static CnvPath p;
  Fill(&p, 0, {{0, 0}, {1000, 0}, {1000, 1000}, {0, 1000}});
  GdsCheckPath(st, &p);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Open Poly at X=0 Y=0 L=5\n\nClose or Cancel Conversion?");
  EXPECT_EQ(host.messages[0].type, HOST_OKCANCEL);
  EXPECT_EQ(host.messages[0].captionKind, HOST_CAP_WARNING);
  HostRecordRemove();
}

TEST(GdsCheckPath, AFullRecordCanStillBeClosed) {
  OutState own;
  auto* st = own.st;
  Prepare(st, 1);
  HostRecordInstall();
  static CnvPath p;
  p.lyr = 1;
  p.w = 0;
  p.nv = CNV_PVSIZ;
  for (int i = 0; i < CNV_PVSIZ; ++i) {  // a staircase, open
    p.x[i] = (i + 1) / 2 * 10;
    p.y[i] = i / 2 * 10;
  }
  EXPECT_EQ(GdsCheckPath(st, &p), GCHK_WRITE);
  EXPECT_EQ(p.nv, CNV_PVSIZ + 1);
  EXPECT_EQ(p.x[CNV_PVSIZ], p.x[0]);
  EXPECT_TRUE(Has(Listed::lines(), "More than 200 Vertices in Poly"));
  HostRecordRemove();
}

TEST(GdsCheckBox, CrushedBoxes) {
  OutState own;
  auto* st = own.st;
  struct Case {
    int protocol;
    CnvBox b;
    int answer;
    int want;
    const char* note;
    int abort;
  } cases[] = {
      {0, {3, 0, 0, 1000, 2000}, 0, 1, nullptr, 0},
      {0, {3, 500, 0, 500, 2000}, 0, 1, "Crushed Box at X=0.5 Y=0 L=3 in TOP", 0},
      {1, {3, 0, 100, 1000, 100}, HOST_IDOK, 0, "Crushed Box Removed at X=0 Y=0.1 L=3 in TOP", 0},
      {1, {3, 0, 100, 1000, 100}, HOST_IDCANCEL, 0, nullptr, 1},
  };
  for (const Case& c : cases) {
    Prepare(st, c.protocol);
    HostRecord& host = HostRecordInstall();
    if (c.answer) host.answers.push_back(c.answer);
    EXPECT_EQ(GdsCheckBox(st, &c.b), c.want);
    EXPECT_EQ(st->abort, c.abort);
    if (c.note) {
      EXPECT_TRUE(Has(Listed::lines(), c.note)) << c.note;
    }
    if (c.protocol) {
      ASSERT_EQ(host.messages.size(), 1u);
      EXPECT_EQ(host.messages[0].text, "Crushed Box at X=0 Y=0.1 L=3\n\nRemove or Cancel Conversion?");
    }
    HostRecordRemove();
  }
}

}  // namespace
