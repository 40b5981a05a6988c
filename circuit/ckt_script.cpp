#include "ckt_script.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "host.h"

namespace ckt {

namespace {

const int32_t kVirtualFloor = -100000;

std::string InFolder(CktState& st, const std::string& name) { return std::string(st.store->folder) + name; }

int TextLayerOf(const CktPath* p) { return (int)((uint32_t)p->word & 0x1ffff); }

// Texts on the connector layer with their positions; own = the cell's own.
struct ConnText {
  int32_t rec, x, y;
  int own;
};

std::vector<ConnText> ConnectorTexts(CktState& st) {
  std::vector<ConnText> out;
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word >= 0 || TextLayerOf(p) != st.set.col || !p->first) continue;
    CktVertex* v = VtxRec(st, p->first);
    if (v) out.push_back(ConnText{i, v->x, v->y, i <= st.nodes.ownPaths});
  }
  return out;
}

// Boxes and paths of each node, own ones first, each in record order.
struct NodeObjs {
  std::unordered_map<int32_t, std::vector<int32_t>> boxes, paths;
  int32_t lowest = 0;
};

void NodeObjsBuild(CktState& st, NodeObjs* o) {
  for (int32_t i = 1; i <= st.store->nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    o->boxes[b->node].push_back(i);
    o->lowest = std::min(o->lowest, b->node);
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0) continue;
    o->paths[p->node].push_back(i);
    o->lowest = std::min(o->lowest, p->node);
  }
  o->lowest = std::max(o->lowest, kVirtualFloor);
}

const std::vector<int32_t>& Of(const std::unordered_map<int32_t, std::vector<int32_t>>& m, int32_t node) {
  static const std::vector<int32_t> kNone;
  auto it = m.find(node);
  return it == m.end() ? kNone : it->second;
}

int OnSegment(int64_t x, int64_t y, int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
  if ((x2 - x1) * (y - y1) != (y2 - y1) * (x - x1)) return 0;
  return x >= std::min(x1, x2) && x <= std::max(x1, x2) && y >= std::min(y1, y2) && y <= std::max(y1, y2);
}

// The point inside path p's outline, its edges included.
int InPathOutline(CktState& st, int32_t p, int32_t x, int32_t y) {
  CktPath* r = PathRec(st, p);
  if (r->width == 0 && !PathIsArea(st, p)) return PointOnPath(st, x, y, p);
  if (!LoadPathOutline(st, p, 0, 0, 0)) return 0;
  const EdgeSlot& e = st.scan.slot[0];
  for (int i = 0; i < e.last; i++)
    if (OnSegment(x, y, e.x[i], e.y[i], e.x[i + 1], e.y[i + 1])) return 1;
  ScanRowCrossings(st, 0, y);
  CrossingSort(st, 0);
  for (int i = 0; i + 1 <= st.scan.crossLast[0]; i += 2)
    if (x >= st.scan.cross[0][i] && x <= st.scan.cross[0][i + 1]) return 1;
  return 0;
}

int HasConnLayout(CktState& st, const NodeObjs& o, const std::vector<ConnText>& texts, int32_t node) {
  for (const ConnText& t : texts) {
    for (int32_t b : Of(o.boxes, node)) {
      CktBox* r = BoxRec(st, b);
      if (!HiddenLayer(st, r->layer) && t.x >= r->left && t.x <= r->right && t.y >= r->bottom && t.y <= r->top)
        return 1;
    }
    for (int32_t p : Of(o.paths, node))
      if (InPathOutline(st, p, t.x, t.y)) return 1;
  }
  return 0;
}

int HasConnSchematic(CktState& st, const NodeObjs& o, const std::vector<ConnText>& texts, int32_t node) {
  for (const ConnText& t : texts) {
    if (!t.own) continue;
    for (int32_t p : Of(o.paths, node))
      if (PointOnPath(st, t.x, t.y, p)) return 1;
  }
  return 0;
}

void ScriptText(CktState& st, FILE* f, int32_t x, int32_t y, int32_t number) {
  char msg[64];
  snprintf(msg, sizeof msg, "%d Script Commands Written", (int)++st.compile.scriptLines);
  StatusLine2(st, msg, 0);
  const double g = st.run.scale > 0 ? st.run.scale : 1.0;
  if (f) fprintf(f, "text %.4f %.4f %d\n", x / g, y / g, (int)number);
}

// Node numbers of the cell's boxes, then paths, each once; virtual ones
// left out.
void ScriptNodeList(CktState& st) {
  st.compile.nodeCount = 0;
  if (!st.compile.nodeList) return;
  std::unordered_set<int32_t> seen;
  auto add = [&](int32_t node) {
    if (node < 0 || seen.count(node)) return 1;
    if (st.compile.nodeCount >= CKT_NODE_LIST_MAX) {
      char msg[80];
      snprintf(msg, sizeof msg, "Script Node List is Full at %d Nodes ", (int)st.compile.nodeCount);
      ErrorCount(st, msg, 0);
      return 0;
    }
    seen.insert(node);
    st.compile.nodeList[st.compile.nodeCount++] = node;
    return 1;
  };
  for (int32_t i = 1; i <= st.store->nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b || !add(b->node)) return;
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word >= 0 && !add(p->node)) return;
  }
}

// Nodes that are named by a real node text of the cell; node 0 and global
// symbols have no text whose place a connector could take.
int RealNamed(CktState& st, int32_t node) { return node > 0 && node <= CKT_SYMBOL_BASE && PathIsText(st, node); }

int32_t FirstOnLayer(CktState& st, const NodeObjs& o, int32_t node, int (*test)(CktState&, int), int32_t* x,
                     int32_t* y) {
  const int32_t ob = st.nodes.ownBoxes, op = st.nodes.ownPaths;
  // The cell's own boxes, its own paths, then those brought up from below.
  for (int pass = 0; pass < 2; pass++) {
    for (int32_t b : Of(o.boxes, node)) {
      if ((b <= ob) != (pass == 0)) continue;
      CktBox* r = BoxRec(st, b);
      if (!test(st, r->layer)) continue;
      *x = (int32_t)(((int64_t)r->left + r->right) / 2);
      *y = (int32_t)(((int64_t)r->bottom + r->top) / 2);
      return 1;
    }
    for (int32_t p : Of(o.paths, node)) {
      if ((p <= op) != (pass == 0)) continue;
      CktPath* r = PathRec(st, p);
      CktVertex* v = r->first ? VtxRec(st, r->first) : nullptr;
      if (!v || !test(st, r->word)) continue;
      *x = v->x;
      *y = v->y;
      return 1;
    }
  }
  return 0;
}

int32_t FirstPathOn(CktState& st, const NodeObjs& o, int32_t node, int32_t* x, int32_t* y) {
  for (int32_t p : Of(o.paths, node)) {
    CktPath* r = PathRec(st, p);
    CktVertex* v = r->first ? VtxRec(st, r->first) : nullptr;
    if (!v || !TracedLayer(st, r->word)) continue;
    *x = v->x;
    *y = v->y;
    return 1;
  }
  return 0;
}

}  // namespace

int PointOnPath(CktState& st, int32_t x, int32_t y, int32_t p) {
  CktPath* r = PathRec(st, p);
  if (!r || r->word < 0 || !ConductorLayer(st, r->word) || !r->first) return 0;
  CktVertex* v = VtxRec(st, r->first);
  int guard = 0;
  while (v && guard++ <= CKT_PATH_VERTICES) {
    if (v->x == x && v->y == y) return 1;
    CktVertex* n = v->next ? VtxRec(st, v->next) : nullptr;
    if (!n) break;
    if (v->x == n->x && x == v->x && y >= std::min(v->y, n->y) && y <= std::max(v->y, n->y)) return 1;
    if (v->y == n->y && y == v->y && x >= std::min(v->x, n->x) && x <= std::max(v->x, n->x)) return 1;
    v = n;
  }
  return 0;
}

int32_t ConnMaxSeq(CktState& st) {
  int32_t m = 0;
  char text[CKT_TEXT_CHARS + 8];
  for (const ConnText& t : ConnectorTexts(st)) {
    TextOfPath(st, t.rec, 10, text, sizeof text);
    m = std::max(m, FirstNumber(text));
  }
  return m;
}

int32_t ConnRealLayout(CktState& st, FILE* f, int32_t n) {
  ScriptNodeList(st);
  NodeObjs o;
  NodeObjsBuild(st, &o);
  std::vector<ConnText> texts = ConnectorTexts(st);
  for (int32_t i = 0; i < st.compile.nodeCount && !CktStopped(st); i++) {
    int32_t node = st.compile.nodeList[i];
    if (!RealNamed(st, node) || HasConnLayout(st, o, texts, node)) continue;
    int32_t x, y;
    if (!FirstOnLayer(st, o, node, TracedLayer, &x, &y)) continue;
    CktVertex* at = VtxRec(st, PathRec(st, node)->first);
    if (!at) continue;
    ScriptText(st, f, at->x, at->y, ++n);
  }
  return n;
}

int32_t ConnVirtualLayout(CktState& st, FILE* f, int32_t n) {
  NodeObjs o;
  NodeObjsBuild(st, &o);
  std::vector<ConnText> texts = ConnectorTexts(st);
  for (int32_t v = -1; v >= o.lowest && !CktStopped(st); v--) {
    if (HasConnLayout(st, o, texts, v)) continue;
    int32_t x, y;
    if (FirstOnLayer(st, o, v, InsulatorLayer, &x, &y)) ScriptText(st, f, x, y, ++n);
  }
  return n;
}

int32_t ConnRealSchematic(CktState& st, FILE* f, int32_t n) {
  ScriptNodeList(st);
  NodeObjs o;
  NodeObjsBuild(st, &o);
  std::vector<ConnText> texts = ConnectorTexts(st);
  for (int32_t i = 0; i < st.compile.nodeCount; i++) {
    int32_t node = st.compile.nodeList[i];
    if (AbortPoll(st, 0)) break;
    if (node == 0 || node > CKT_SYMBOL_BASE || HasConnSchematic(st, o, texts, node)) continue;
    int32_t x, y;
    if (FirstPathOn(st, o, node, &x, &y)) ScriptText(st, f, x, y, ++n);
  }
  return n;
}

int32_t ConnVirtualSchematic(CktState& st, FILE* f, int32_t n) {
  NodeObjs o;
  NodeObjsBuild(st, &o);
  std::vector<ConnText> texts = ConnectorTexts(st);
  for (int32_t v = -1; v >= o.lowest; v--) {
    if (AbortPoll(st, 0)) break;
    if (HasConnSchematic(st, o, texts, v)) continue;
    int32_t x, y;
    if (FirstPathOn(st, o, v, &x, &y)) ScriptText(st, f, x, y, ++n);
  }
  return n;
}

int ScriptWrite(CktState& st, int32_t cell) {
  const CktCell& c = st.store->cells[cell];
  StatusLine(st, "Writing Connector Script File", 1);
  std::string name = std::string(c.name) + "_ctxt.txt";
  name = PathFix(name.c_str());
  QFile f = QFileOpen(InFolder(st, name).c_str(), "w");
  if (!f) {
    HostMsgBox("Unable to Write Connector Script File ... Can't Continue", nullptr, HOST_CAP_ERROR, HOST_OK);
    st.run.abortFlag = 1;
    return 0;
  }
  char msg[400];
  snprintf(msg, sizeof msg, "Writing Connector Script File %s\n", name.c_str());
  LogPut(st, msg);
  fprintf(f.get(), "tlyr %d\n", st.set.col);
  st.compile.scriptLines = 0;
  int32_t n = ConnMaxSeq(st);
  int war = st.set.flag[S_WAR], wav = st.set.flag[S_WAV];
  if (!st.nodes.schematic) {
    if (war) n = ConnRealLayout(st, f.get(), n);
    if (wav) n = ConnVirtualLayout(st, f.get(), n);
  } else {
    if (war) n = ConnRealSchematic(st, f.get(), n);
    if (wav) n = ConnVirtualSchematic(st, f.get(), n);
  }
  snprintf(msg, sizeof msg, "%d Script Commands Written\n", (int)st.compile.scriptLines);
  LogPut(st, msg);
  QFileClose(&f);
  return 1;
}

int ScriptRead(CktState& st, int32_t cell) {
  const CktCell& c = st.store->cells[cell];
  std::string name = PathFix((std::string(c.name) + "_ctxt.txt").c_str());
  QFile f = QFileOpen(InFolder(st, name).c_str(), "r");
  char msg[400];
  if (!f) {
    snprintf(msg, sizeof msg, "Unable to find Connector Script File %s ", name.c_str());
    LogList(st, msg, 2);
    return 0;
  }
  const double g = st.run.scale > 0 ? st.run.scale : 1.0;
  int added = 0, lineNo = 0;
  std::string line;
  char buf[512];
  while (fgets(buf, sizeof buf, f.get())) {
    line += buf;
    if (line.back() != '\n' && !feof(f.get())) continue;
    lineNo++;
    std::vector<std::string> tok;
    size_t i = 0;
    while (i < line.size()) {
      while (i < line.size() && isspace((unsigned char)line[i])) i++;
      size_t s = i;
      while (i < line.size() && !isspace((unsigned char)line[i])) i++;
      if (i > s) tok.push_back(line.substr(s, i - s));
    }
    line.clear();
    if (tok.empty() || strcasecmp(tok[0].c_str(), "text") != 0) continue;
    char* end1 = nullptr;
    char* end2 = nullptr;
    double x = tok.size() > 2 ? strtod(tok[1].c_str(), &end1) * g : NAN;
    double y = tok.size() > 2 ? strtod(tok[2].c_str(), &end2) * g : NAN;
    // A line the editor would not take either is counted, not guessed at.
    if (tok.size() < 3 || *end1 || *end2 || !(std::fabs(x) < 2147483647.0) || !(std::fabs(y) < 2147483647.0)) {
      snprintf(msg, sizeof msg, "Line %d of Connector Script File %s is not a Text Line in Range ", lineNo, name.c_str());
      if (ErrorCount(st, msg, 0)) break;
      continue;
    }
    const char* text = tok.size() > 3 ? tok[3].c_str() : "";
    if (TlcMakeT(st, st.set.col, (int32_t)std::lround(g), 0, (int32_t)std::lround(x), (int32_t)std::lround(y), text))
      added++;
  }
  if (added) {
    snprintf(msg, sizeof msg, "%d Connectors Added from %s_ctxt.txt Script file", added, c.name);
    LogList(st, msg, 1);
  }
  return added;
}

int TrackWrite(CktState& st, int32_t cell) {
  const CktCell& c = st.store->cells[cell];
  StatusLine(st, "Writing Node Track Script File", 1);
  std::string name = PathFix((std::string(c.name) + "_track.txt").c_str());
  QFile f = QFileOpen(InFolder(st, name).c_str(), "w");
  if (!f) {
    HostMsgBox("Unable to Write Node Name Script File ... Can't Continue", nullptr, HOST_CAP_ERROR, HOST_OK);
    st.run.abortFlag = 1;
    return 0;
  }
  char msg[400];
  snprintf(msg, sizeof msg, "Writing Node Track Script File %s\n", name.c_str());
  LogPut(st, msg);
  // A line per conductor of the cell and its lower cells: buffered, and
  // each node named once.
  std::vector<char> buf(1 << 16);
  setvbuf(f.get(), buf.data(), _IOFBF, buf.size());
  fprintf(f.get(), "tlyr %d\n", st.set.ttl);
  const double g = st.run.scale > 0 ? st.run.scale : 1.0;
  std::unordered_map<int32_t, std::string> names;
  auto line = [&](int64_t x, int64_t y, int32_t node) {
    auto it = names.find(node);
    if (it == names.end()) it = names.emplace(node, NodeName(st, node)).first;
    char xs[40], ys[40];
    snprintf(xs, sizeof xs, "%10.2f", (double)x / g);
    snprintf(ys, sizeof ys, "%10.2f", (double)y / g);
    // Ten characters hold the number and its blank until y needs them all.
    fprintf(f.get(), "text %s%s%s %s\n", xs, ys[0] == ' ' ? "" : " ", ys, it->second.c_str());
  };
  for (int32_t i = 1; i <= st.store->nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    if (ConductorLayer(st, b->layer)) line(((int64_t)b->left + b->right) / 2, ((int64_t)b->bottom + b->top) / 2, b->node);
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0 || !ConductorLayer(st, p->word) || !p->first) continue;
    int polygon = p->width == 0 && PathIsArea(st, i);
    CktVertex* v = VtxRec(st, p->first);
    int guard = 0;
    while (v && v->next && guard++ <= CKT_PATH_VERTICES) {
      CktVertex* n = VtxRec(st, v->next);
      if (!n) break;
      line(((int64_t)v->x + n->x) / 2, ((int64_t)v->y + n->y) / 2, p->node);
      if (polygon) break;
      v = n;
    }
  }
  return QFileClose(&f);
}

}  // namespace ckt
