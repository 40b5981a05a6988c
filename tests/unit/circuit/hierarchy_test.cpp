#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "../../fixtures/circuit/ckt_fixture.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

struct Folder {
  std::string path;
  Folder() {
    char tmpl[] = "/tmp/ckt_hier_XXXXXX";
    path = std::string(mkdtemp(tmpl)) + "/";
  }
  ~Folder() { std::filesystem::remove_all(path); }
};

// What the main cell ended with: its boxes (layer, node name) and pins.
struct Result {
  std::vector<std::pair<int, std::string>> boxes;
  std::vector<std::string> pins;
  int ownBoxes = 0;
};
Result g_result;

void Keep(CktState& st, int32_t, int isMain) {
  if (!isMain) return;
  g_result = Result();
  for (int32_t i = 1; i <= st.store->nb; i++) g_result.boxes.push_back({BoxRec(st, i)->layer, NodeName(st, BoxRec(st, i)->node)});
  for (int32_t i = 0; i < st.nodes.devCount; i++) g_result.pins.push_back(NodeName(st, st.nodes.dev[i].node));
  g_result.ownBoxes = st.nodes.ownBoxes;
}

int Extract(CktState& st, Engine& e, const cktfix::Drawing& d, const Folder& f, void (*settings)(CktState&) = nullptr) {
  EXPECT_TRUE(d.Write(f.path));
  snprintf(st.store->folder, sizeof st.store->folder, "%s", f.path.c_str());
  EXPECT_EQ(CrfRead(st), 0);
  StandardTrace(st);
  if (settings) settings(st);
  e.rec->answers.assign(100, HOST_IDNO);
  st.extract.cellDone = Keep;
  int r = ExtractRun(st, "TOP", nullptr);
  st.extract.cellDone = nullptr;
  return r;
}

TEST(CktHierarchy, SmashedCellsBecomeOwnGeometry) {
  for (int smash = 0; smash < 2; smash++) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d;
    cktfix::AddTransistor(d, "NMOS");
    d.Add("RES", 1, 0, 0, 100, 10).Box(7, 0, 0, 100, 10);  // no connector text
    d.Add("TOP", 2, 0, 0, 200, 100).Inst("NMOS", 0, 0, 0).Inst("RES", 0, 30, 0).Text(10, 120, 5, "OUT");
    void (*smashRes)(CktState&) = [](CktState& st) {
      SetValue(st, GRP_SMASH, 0, "res");
      SetupApply(st, GRP_SMASH, 0);
    };
    int r = Extract(st, e, d, f, smash ? smashRes : nullptr);
    EXPECT_EQ(r, 1);
    // Smashed, the resistor's metal joins the drain to the text OUT.
    bool found = false;
    for (auto& b : g_result.boxes)
      if (b.second == "OUT") found = true;
    EXPECT_EQ(found, smash == 1);
    if (smash) {
      EXPECT_EQ(g_result.pins[0], "OUT");  // the drain pin
      EXPECT_EQ(g_result.ownBoxes, 1);
    }
    EXPECT_EQ(e.Count(" is Open"), 0);
  }
}

TEST(CktHierarchy, OmittedAndOutlinedInstancesAreLeftOut) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  cktfix::Drawing d;
  cktfix::AddTransistor(d, "NMOS");
  cktfix::AddTransistor(d, "PMOS");
  d.Add("TOP", 2, 0, 0, 200, 100).Inst("NMOS", 0, 0, 0).Inst("PMOS", 0, 50, 0, 1);
  EXPECT_EQ(Extract(st, e, d, f), 1);
  EXPECT_EQ(g_result.pins.size(), 3u);  // the outlined PMOS gives no pins
  EXPECT_EQ(e.Count("Cell PMOS in TOP is Outlined"), 0);  // list line, not a box
  Engine e2;
  Folder f2;
  EXPECT_EQ(Extract(e2.st, e2, d, f2, [](CktState& st) {
              SetValue(st, GRP_OMIT, 0, "nmos");
              SetValue(st, GRP_MAIN, S_OTL, "Y");
              for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
            }),
            1);
  EXPECT_EQ(g_result.pins.size(), 3u);  // now PMOS only
}

TEST(CktHierarchy, DepthLimitAndFullDepth) {
  for (int full = 0; full < 2; full++) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    cktfix::Drawing d = cktfix::InverterArray(1);
    void (*limit)(CktState&) = [](CktState& st) {
      SetValue(st, GRP_MAIN, S_ALD, "N");
      SetValue(st, GRP_MAIN, S_CLD, "1");
      SetupApply(st, GRP_MAIN, 0);
    };
    Extract(st, e, d, f, full ? nullptr : limit);
    // INV's own boxes come in at depth 0; the transistors' only at depth 1.
    int actives = 0;
    for (auto& b : g_result.boxes) actives += (b.first == 2);
    EXPECT_EQ(actives, full ? 4 : 0) << full;
  }
}

// Everything the main cell was flattened to: each box, each path with its
// points, in store order.
std::vector<std::vector<int32_t>> g_geometry;
void KeepGeometry(CktState& st, int32_t cell, int isMain) {
  Keep(st, cell, isMain);
  if (!isMain) return;
  g_geometry.clear();
  for (int32_t i = 1; i <= st.store->nb; i++) {
    const CktBox* b = BoxRec(st, i);
    g_geometry.push_back({b->layer, b->left, b->bottom, b->right, b->top});
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    const CktPath* p = PathRec(st, i);
    std::vector<int32_t> v = {p->word, p->width};
    for (int32_t k = p->first; k && v.size() < 4000; k = VtxRec(st, k)->next) {
      v.push_back(VtxRec(st, k)->x);
      v.push_back(VtxRec(st, k)->y);
    }
    g_geometry.push_back(v);
  }
}

// The run's parsed copy of the lower cells must flatten exactly as reading
// the files: every orientation at every level, a cell placed both directly
// and inside others, the same cell placed again and again (its placements
// kept) and other cells between.
TEST(CktHierarchy, ParsedCopyFlattensAsTheFiles) {
  cktfix::Drawing d;
  d.Add("LEAF", 1, 0, 0, 20, 10)
      .Box(7, 0, 0, 10, 10).Box(2, 12, 1, 20, 4).Path(9, 2, {{0, 0}, {15, 0}, {15, 8}})
      .Text(11, 0, 0, "1").Text(11, 20, 4, "2");
  d.Add("MID", 2, 0, 0, 40, 60)
      .Inst("LEAF", 3, 20, 0).Inst("LEAF", 4, 0, 40).Box(7, 0, 0, 3, 50).Text(11, 0, 0, "1 A");
  d.Add("OTHER", 2, 0, 0, 30, 30).Inst("LEAF", 6, 25, 5).Box(9, 0, 0, 30, 3).Text(11, 0, 1, "1 B");
  d.Add("BIG", 3, 0, 0, 200, 200)
      .Inst("MID", 5, 100, 0).Inst("OTHER", 0, 0, 100).Inst("MID", 2, 50, 150).Text(11, 100, 0, "1 C");
  cktfix::Cell& top = d.Add("TOP", 4, 0, 0, 2000, 400);
  top.Inst("MID", 0, 0, 0).Inst("MID", 1, 200, 0).Inst("LEAF", 7, 300, 0).Inst("OTHER", 0, 400, 0);
  top.Inst("MID", 2, 500, 0).Inst("BIG", 3, 600, 0).Inst("BIG", 4, 900, 0).Inst("MID", 7, 1200, 0);
  top.Box(7, 0, 380, 1300, 382).Text(10, 0, 381, "RAIL");
  std::vector<std::vector<int32_t>> geometry[2];
  std::vector<std::string> pins[2], messages[2];
  for (int cached = 0; cached < 2; cached++) {
    Engine e;
    CktState& st = e.st;
    Folder f;
    e.rec->answers.assign(100, HOST_IDNO);
    LowerCacheUse(st, cached);
    EXPECT_TRUE(d.Write(f.path));
    snprintf(st.store->folder, sizeof st.store->folder, "%s", f.path.c_str());
    EXPECT_EQ(CrfRead(st), 0);
    StandardTrace(st);
    st.extract.cellDone = KeepGeometry;
    EXPECT_EQ(ExtractRun(st, "TOP", nullptr), 1);
    st.extract.cellDone = nullptr;
    LowerCacheUse(st, 0);
    geometry[cached] = g_geometry;
    pins[cached] = g_result.pins;
    for (const HostMessage& m : e.rec->messages) messages[cached].push_back(m.text);
  }
  // A LEAF brings 3 objects, a MID 7, an OTHER 4, a BIG 18; TOP has 2.
  EXPECT_EQ(geometry[0].size(), 2u + 4 * 7 + 3 + 4 + 2 * 18);
  EXPECT_EQ(geometry[1], geometry[0]);
  EXPECT_EQ(pins[1], pins[0]);
  EXPECT_EQ(messages[1], messages[0]);
}

TEST(CktHierarchy, GlobalSymbolNamesWhatItIsPlacedOn) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  cktfix::Drawing d;
  cktfix::AddTransistor(d, "NMOS");
  d.Add("VDD", 1, 0, 0, 1, 1).Text(10, 0, 0, "VDD");
  d.Add("TOP", 2, 0, 0, 200, 100).Inst("NMOS", 0, 0, 0).Inst("VDD", 0, 5, 5).Inst("VDD", 0, 25, 5);
  EXPECT_EQ(Extract(st, e, d, f), 1);
  // On the source pin directly, and on the drain metal under its origin.
  ASSERT_EQ(g_result.pins.size(), 3u);
  EXPECT_EQ(g_result.pins[2], "VDD");
  EXPECT_EQ(g_result.pins[0], "VDD");
  EXPECT_EQ(st.run.errCount, 0);
}

TEST(CktHierarchy, SchematicRulesConnectLines) {
  Engine e;
  CktState& st = e.st;
  Folder f;
  cktfix::Drawing d;
  d.Add("R", 1, 0, 0, 10, 10).Path(7, 0, {{0, 0}, {10, 0}}).Text(11, 0, 0, "1").Text(11, 10, 0, "2");
  d.Add("TOP", 2, 0, 0, 100, 100)
      .Inst("R", 0, 0, 0).Inst("R", 0, 50, 0)
      .Path(7, 0, {{10, 0}, {30, 0}, {30, 20}}).Path(7, 0, {{30, 10}, {50, 10}, {50, 0}})
      .Text(10, 30, 20, "MID");
  EXPECT_EQ(Extract(st, e, d, f, [](CktState& st) { SetValue(st, GRP_MAIN, S_SCH, "Y"); SetupApply(st, GRP_MAIN, 0); }), 1);
  ASSERT_EQ(g_result.pins.size(), 4u);
  EXPECT_EQ(g_result.pins[1], "MID");  // first R's pin 2
  EXPECT_EQ(g_result.pins[2], "MID");  // second R's pin 1, through the T joint
  // Device geometry is not brought up under schematic rules: the outer pins
  // touch no line of TOP.
  EXPECT_EQ(g_result.pins[0], "?");
  EXPECT_EQ(e.Count(" is Open"), 2);
}

}  // namespace
