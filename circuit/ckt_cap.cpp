#include "ckt_cap.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ckt_compile.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

namespace ckt {

namespace {

std::string Folded(const char* s) {
  std::string out(s);
  for (char& c : out) c = (char)tolower((unsigned char)c);
  return out;
}

// One measured object: a box or a path of the cell's own or smashed records
// on a conductor layer, with its extents and the name of its node.
struct CapObj {
  int32_t rec;
  int isPath;
  int layer;
  int32_t left, bottom, right, top;
  int name;  // index into the pass's names
};

// The objects of the cell grouped by node name (folded), each group boxes
// first, then paths, in record order.
struct CapIndex {
  std::vector<std::string> names;  // as NodeName gives them
  std::unordered_map<std::string, int> byName;
  std::vector<CapObj> objs;
  std::vector<std::vector<int>> ofName;
  std::unordered_set<std::string> written;  // capacitor names of the block
  double scale, stm;
  char unit[8];
  double unitDiv;
};

int NameId(CapIndex& x, const char* name) {
  std::string key = Folded(name);
  auto it = x.byName.find(key);
  if (it != x.byName.end()) return it->second;
  int id = (int)x.names.size();
  x.names.push_back(name);
  x.byName.emplace(key, id);
  x.ofName.emplace_back();
  return id;
}

void IndexBuild(CktState& st, CapIndex& x) {
  x.scale = st.run.scale > 0 ? st.run.scale : 1.0;
  x.stm = st.set.stm > 0 ? st.set.stm : 1.0;
  const char* u = st.set.val[GRP_CAP][0];
  // Circuit simulators read "aF" as farads with a warning; the same value in
  // fF is understood everywhere.
  if (strcasecmp(u, "aF") == 0) {
    snprintf(x.unit, sizeof x.unit, "fF");
    x.unitDiv = 1000.0;
  } else {
    snprintf(x.unit, sizeof x.unit, "%.2s", strcasecmp(u, "fF") == 0 || strcasecmp(u, "pF") == 0 ? u : "pF");
    x.unitDiv = 1.0;
  }
  int32_t nb = std::min(st.nodes.ownBoxes, st.store->nb), np = std::min(st.nodes.ownPaths, st.store->np);
  for (int32_t i = 1; i <= nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    if (!ConductorLayer(st, b->layer)) continue;
    CapObj o = {i, 0, b->layer, b->left, b->bottom, b->right, b->top, NameId(x, NodeName(st, b->node))};
    x.objs.push_back(o);
  }
  for (int32_t i = 1; i <= np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0 || !ConductorLayer(st, p->word)) continue;
    CapObj o = {i, 1, p->word, 0, 0, 0, 0, 0};
    if (!PathBounds(st, i, &o.left, &o.bottom, &o.right, &o.top)) continue;
    o.name = NameId(x, NodeName(st, p->node));
    x.objs.push_back(o);
  }
  for (int k = 0; k < (int)x.objs.size(); k++) x.ofName[(size_t)x.objs[(size_t)k].name].push_back(k);
}

int Load(CktState& st, const CapObj& o, int slot, int clip) {
  return o.isPath ? LoadPathOutline(st, o.rec, clip, slot, 0) : LoadBoxOutline(st, o.rec, clip, slot);
}

// A name of the block not used before: a node "A_B" to ground and the
// nodes A and B would both be "C_A_B", and a simulator stops at the second.
std::string CapName(CapIndex& x, const std::string& want) {
  std::string name = want;
  for (int n = 2; x.written.count(Folded(name.c_str())); n++) name = want + "_" + std::to_string(n);
  x.written.insert(Folded(name.c_str()));
  return name;
}

void CapLine(CktState& st, CapIndex& x, const std::string& name, const std::string& a, const char* b, double v) {
  std::string line = CapName(x, name) + " " + a + " " + b + " ";
  char num[40];
  snprintf(num, sizeof num, "%.*g", 9, v / x.unitDiv);
  line += num;
  line += x.unit;
  line += "\n";
  CktPrint(st, line.c_str());
  st.compile.lines++;
}

double CapNodeGnd(CktState& st, CapIndex& x, const char* name) {
  if (IsGroundName(name)) return 0;
  auto it = x.byName.find(Folded(name));
  double t = 0;
  if (it != x.byName.end()) {
    const double s = x.scale, m = x.stm;
    for (int k : x.ofName[(size_t)it->second]) {
      const CapObj& o = x.objs[(size_t)k];
      double a = CapGndArea(st, o.layer), f = CapGndFringe(st, o.layer);
      if (a == 0 && f == 0) continue;
      double area, perim;
      if (!o.isPath) {
        double w = std::abs((double)o.right - o.left), h = std::abs((double)o.top - o.bottom);
        area = w * h;
        perim = 2 * (w + h);
      } else {
        if (!Load(st, o, 0, 0)) continue;
        area = (double)CapOutlineArea(st);
        perim = EdgeListLength(st);
      }
      if (a != 0) t += a * area / (s * s) * m * m;
      if (f != 0) t += f * perim / s * m;
    }
  }
  if (t > 0) CapLine(st, x, std::string("C_") + name, name, "0", t);
  return t;
}

double CapNodePair(CktState& st, CapIndex& x, int ia, int ib) {
  const std::string& A = x.names[(size_t)ia];
  const std::string& B = x.names[(size_t)ib];
  if (CktStopped(st) || ia == ib) return 0;
  if ((st.set.capFlags & 1) && (IsGroundName(A.c_str()) || IsGroundName(B.c_str()))) return 0;
  double sa = 0, sf = 0;
  const double s = x.scale;
  for (int kx : x.ofName[(size_t)ia]) {
    const CapObj& X = x.objs[(size_t)kx];
    if (!CapLayerListed(st, X.layer)) continue;
    int loaded = 0;
    for (int ky : x.ofName[(size_t)ib]) {
      const CapObj& Y = x.objs[(size_t)ky];
      if (Y.layer == X.layer || !CapLayerListed(st, Y.layer)) continue;
      double a = CapPairArea(st, X.layer, Y.layer), f = CapPairFringe(st, X.layer, Y.layer);
      if (a == 0 && f == 0) continue;
      if (Y.right < X.left || Y.left > X.right || Y.top < X.bottom || Y.bottom > X.top) continue;
      if (!loaded && !Load(st, X, 0, 0)) break;
      loaded = 1;
      if (!Load(st, Y, 1, 1)) continue;
      sa += a * (double)CapOverlapArea(st) / (s * s);
      sf += f * (double)CapOverlapPerimeter(st) / s;
    }
  }
  double t = x.stm * x.stm * sa + x.stm * sf;
  if (t != 0) CapLine(st, x, "C_" + A + "_" + B, A, B.c_str(), t);
  return t;
}

// The node or pair being measured is shown when the clock has moved on,
// with the poll: a line per node would cost more than the measures.
int PassStatus(CktState& st, int64_t* shown, const char* text) {
  int64_t now = (int64_t)time(nullptr);
  if (now == *shown) return 0;
  *shown = now;
  return StatusLine2(st, text, 1);
}

void CapGndPass(CktState& st, CapIndex& x) {
  char msg[CKT_VALUE + 40];
  int64_t shown = -1;
  for (int32_t i = 0; i < st.compile.nodeCount && !CktStopped(st); i++) {
    std::string name = NodeName(st, st.compile.nodeList[i]);
    snprintf(msg, sizeof msg, "Node %s to Gnd", name.c_str());
    if (PassStatus(st, &shown, msg)) break;
    if (name != "0") CapNodeGnd(st, x, name.c_str());
  }
}

// Only pairs of nodes whose objects meet can have a capacitance; they are
// visited in the order of the node list, first node outer.
void CapPairPass(CktState& st, CapIndex& x) {
  int32_t n = st.compile.nodeCount;
  if (n < 2) return;
  std::vector<int> pos((size_t)n);
  std::vector<std::vector<int32_t>> posOf(x.names.size());
  for (int32_t i = 0; i < n; i++) {
    pos[(size_t)i] = NameId(x, NodeName(st, st.compile.nodeList[i]));
    if ((size_t)pos[(size_t)i] >= posOf.size()) posOf.resize((size_t)pos[(size_t)i] + 1);
    posOf[(size_t)pos[(size_t)i]].push_back(i);
  }
  // Names whose listed objects' extents meet (touching counts).
  std::vector<int> order;
  for (int k = 0; k < (int)x.objs.size(); k++)
    if (CapLayerListed(st, x.objs[(size_t)k].layer)) order.push_back(k);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return x.objs[(size_t)a].left < x.objs[(size_t)b].left; });
  std::vector<std::vector<int>> meets(x.names.size());
  for (size_t a = 0; a < order.size(); a++) {
    const CapObj& A = x.objs[(size_t)order[a]];
    for (size_t b = a + 1; b < order.size(); b++) {
      const CapObj& B = x.objs[(size_t)order[b]];
      if (B.left > A.right) break;
      if (A.name == B.name || A.layer == B.layer || B.bottom > A.top || B.top < A.bottom) continue;
      meets[(size_t)A.name].push_back(B.name);
      meets[(size_t)B.name].push_back(A.name);
    }
    if (a % 1000 == 0 && AbortPoll(st, 0)) return;
  }
  char msg[2 * CKT_VALUE + 40];
  int64_t shown = -1;
  std::vector<int32_t> js;
  for (int32_t i = 0; i < n && !CktStopped(st); i++) {
    js.clear();
    std::vector<int>& m = meets[(size_t)pos[(size_t)i]];
    std::sort(m.begin(), m.end());
    m.erase(std::unique(m.begin(), m.end()), m.end());
    for (int id : m)
      if ((size_t)id < posOf.size())
        for (int32_t j : posOf[(size_t)id])
          if (j > i) js.push_back(j);
    std::sort(js.begin(), js.end());
    for (int32_t j : js) {
      snprintf(msg, sizeof msg, "Node %s to Node %s", x.names[(size_t)pos[(size_t)i]].c_str(),
               x.names[(size_t)pos[(size_t)j]].c_str());
      if (PassStatus(st, &shown, msg)) return;
      CapNodePair(st, x, pos[(size_t)i], pos[(size_t)j]);
    }
  }
}

double Lookup(CktState& st, int p, int q, int fringe, int ground) {
  for (const CktCap& c : st.set.cap) {
    int hit = ground ? ((c.layer1 == p && c.layer2 == 0) || (c.layer1 == 0 && c.layer2 == p))
                     : ((c.layer1 == p && c.layer2 == q) || (c.layer1 == q && c.layer2 == p));
    if (hit) return fringe ? c.fringe : c.area;
  }
  return 0;
}

}  // namespace

double CapGndArea(CktState& st, int layer) { return Lookup(st, layer, 0, 0, 1); }
double CapGndFringe(CktState& st, int layer) { return Lookup(st, layer, 0, 1, 1); }
double CapPairArea(CktState& st, int p, int q) { return p == q ? 0 : Lookup(st, p, q, 0, 0); }
double CapPairFringe(CktState& st, int p, int q) { return p == q ? 0 : Lookup(st, p, q, 1, 0); }

int CapLayerListed(CktState& st, int layer) {
  for (const CktCap& c : st.set.cap)
    if (c.layer1 == layer || c.layer2 == layer) return 1;
  return 0;
}

int IsGroundName(const char* name) { return !strcmp(name, "0") || !strcmp(name, "00") || !strcmp(name, "000"); }

int64_t CapOutlineArea(CktState& st) {
  const EdgeSlot& e = st.scan.slot[0];
  int64_t sum = 0;
  for (int64_t y = e.bottom; y < e.top; y++) {
    ScanHalfRowCrossings(st, 0, (int32_t)y);
    CrossingSort(st, 0);
    for (int i = 0; i + 1 <= st.scan.crossLast[0]; i += 2) sum += (int64_t)st.scan.cross[0][i + 1] - st.scan.cross[0][i];
  }
  return sum;
}

int64_t CapOverlapArea(CktState& st) {
  const EdgeSlot &a = st.scan.slot[0], &b = st.scan.slot[1];
  int64_t sum = 0;
  // Rows where only one slot lies add nothing.
  for (int64_t y = std::max(a.bottom, b.bottom); y < std::min(a.top, b.top); y++) {
    ScanHalfRowCrossings(st, 0, (int32_t)y);
    ScanHalfRowCrossings(st, 1, (int32_t)y);
    CrossingSort(st, 0);
    CrossingSort(st, 1);
    sum += SpanOverlapLength(st);
  }
  return sum;
}

int64_t CapOverlapPerimeter(CktState& st) {
  const EdgeSlot &a = st.scan.slot[0], &b = st.scan.slot[1];
  int64_t count = 0;
  for (int64_t y = std::max(a.bottom, b.bottom); y < std::min(a.top, b.top); y++) {
    ScanHalfRowCrossings(st, 0, (int32_t)y);
    ScanHalfRowCrossings(st, 1, (int32_t)y);
    CrossingSort(st, 0);
    CrossingSort(st, 1);
    count += CrossingsInSpans(st);
  }
  for (int64_t x = std::max(a.left, b.left); x < std::min(a.right, b.right); x++) {
    ScanHalfColumnCrossings(st, 0, (int32_t)x);
    ScanHalfColumnCrossings(st, 1, (int32_t)x);
    CrossingSort(st, 0);
    CrossingSort(st, 1);
    count += CrossingsInSpans(st);
  }
  return count;
}

void CapWrite(CktState& st) {
  if (st.nodes.schematic || !(st.set.capFlags & 3) || CktStopped(st)) return;
  // A table without a coefficient gives no line: the headings alone.
  int any = 0;
  for (const CktCap& c : st.set.cap) any |= c.area != 0 || c.fringe != 0;
  CapIndex x;
  if (any) IndexBuild(st, x);
  if (st.set.capFlags & 1) {
    StatusLine(st, "Writing Parasitic Capacitors", 1);
    StatusLine2(st, "Node to Ground Capacitors", 0);
    CktPrint(st, "\n* Node to Gnd Parasitic Caps\n");
    if (any) CapGndPass(st, x);
  }
  if ((st.set.capFlags & 2) && !CktStopped(st)) {
    StatusLine(st, "Writing Parasitic Capacitors", 1);
    StatusLine2(st, "Node to Node Capacitors", 0);
    CktPrint(st, "\n* Node to Node Parasitic Caps\n");
    if (any) CapPairPass(st, x);
  }
  StatusLine2(st, "", 0);
}

}  // namespace ckt
