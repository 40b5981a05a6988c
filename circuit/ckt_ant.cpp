#include "ckt_ant.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ckt_cap.h"
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

std::string Folded(const char* s) {
  std::string out(s);
  for (char& c : out) c = (char)tolower((unsigned char)c);
  return out;
}

int AntLayer(CktState& st, int pos) { return pos == 0 ? st.set.antChan : st.set.antLayer[pos - 1]; }

void Put(CktState& st, const std::string& s) { LogPut(st, s.c_str()); }

std::string Fmt(const char* f, ...) __attribute__((format(printf, 1, 2)));
std::string Fmt(const char* f, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, f);
  vsnprintf(buf, sizeof buf, f, ap);
  va_end(ap);
  return buf;
}

// Surface and perimeter of one object; 0 when it has no outline.
int Measure(CktState& st, int32_t rec, int isPath, double* area, double* perim) {
  if (!isPath) {
    CktBox* b = BoxRec(st, rec);
    double w = std::fabs((double)b->right - b->left), h = std::fabs((double)b->top - b->bottom);
    *area = w * h;
    *perim = 2 * (w + h);
    return 1;
  }
  if (!LoadPathOutline(st, rec, 0, 0, 0)) return 0;
  *area = (double)CapOutlineArea(st);
  *perim = EdgeListLength(st);
  return 1;
}

// Both measures of every listed node: each object on an antenna layer is
// measured once and added to the nodes of its name.
void Measures(CktState& st) {
  CktAntRec* rec = st.compile.ant;
  int32_t n = st.compile.nodeCount;
  if (!rec) return;
  std::unordered_map<std::string, std::vector<int32_t>> byName;
  for (int32_t k = 0; k < n; k++) {
    rec[k] = CktAntRec();
    rec[k].node = st.compile.nodeList[k];
    byName[Folded(NodeName(st, rec[k].node))].push_back(k);
  }
  std::unordered_map<int32_t, const std::vector<int32_t>*> byNode;
  auto add = [&](int32_t i, int isPath, int layer, int32_t node) {
    int pos[CKT_ANT_LAYERS], np = 0;
    for (int j = 0; j < CKT_ANT_LAYERS; j++)
      if (AntLayer(st, j) > 0 && AntLayer(st, j) == layer) pos[np++] = j;
    if (!np) return;
    // Many objects share a node: its name is looked up once.
    auto known = byNode.find(node);
    if (known == byNode.end()) {
      auto it = byName.find(Folded(NodeName(st, node)));
      known = byNode.emplace(node, it == byName.end() ? nullptr : &it->second).first;
    }
    if (!known->second) return;
    double area, perim;
    if (!Measure(st, i, isPath, &area, &perim)) return;
    for (int32_t k : *known->second)
      for (int j = 0; j < np; j++) {
        rec[k].area[pos[j]] += area;
        rec[k].perim[pos[j]] += perim;
      }
  };
  for (int32_t i = 1; i <= st.store->nb && !CktStopped(st); i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    add(i, 0, b->layer, b->node);
    if (i % 4096 == 0) AbortPoll(st, 10);
  }
  for (int32_t i = 1; i <= st.store->np && !CktStopped(st); i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word >= 0) add(i, 1, p->word, p->node);
    if (i % 4096 == 0) AbortPoll(st, 10);
  }
}

}  // namespace

int AntAlloc(CktState& st) {
  AntFree(st);
  st.compile.ant = static_cast<CktAntRec*>(calloc(CKT_ANT_MAX, sizeof(CktAntRec)));
  if (st.compile.ant) return 1;
  HostError("Unable to Allocate Antenna Rules Memory");
  st.run.abortFlag = 1;
  return 0;
}

void AntFree(CktState& st) {
  free(st.compile.ant);
  st.compile.ant = nullptr;
}

void AntNodeList(CktState& st) {
  StatusLine2(st, "Creating Node List", 0);
  st.compile.nodeCount = 0;
  if (!st.compile.nodeList) return;
  std::unordered_set<int32_t> seen;
  char msg[120];
  auto add = [&](int32_t node) {
    if (seen.count(node)) return 1;
    if (st.compile.nodeCount >= CKT_ANT_MAX) {
      snprintf(msg, sizeof msg, "Node List is Full at Node List Create %d ", (int)st.compile.nodeCount);
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

// Both walks share one pass over the objects: the perimeters and the
// areas of the same objects are taken together.
void AntPerimeters(CktState& st) { Measures(st); }
void AntAreas(CktState&) {}

void AntReport(CktState& st, int32_t cell) {
  const CktAntRec* rec = st.compile.ant;
  if (!rec) return;
  const double s = st.set.stm > 0 ? st.set.stm : 1.0, g = st.run.scale > 0 ? st.run.scale : 1.0;
  const CktCell& c = st.store->cells[cell];
  double region = ((double)c.right - c.left) * ((double)c.top - c.bottom) * s * s / (g * g);
  int active[CKT_ANT_LAYERS], na = 0;
  for (int j = 0; j < CKT_ANT_LAYERS; j++)
    if (AntLayer(st, j) > 0) active[na++] = j;
  Put(st, Fmt("\n\nAntenna %s Areas:   Region (Cell) Area: %.0f   Micron Scale: %.2f   Areas are in sq-um\n\n",
              st.set.antEdge ? "(Edge)" : "(Surface)", region, s));
  std::string line = Fmt("%18d%6s", (int)st.compile.nodeCount, "Nodes");
  for (int k = 0; k < na; k++) line += Fmt("%12d", AntLayer(st, active[k]));
  line += Fmt("%12s", Fmt("%d/%d", AntLayer(st, 1), AntLayer(st, 0)).c_str());
  line += Fmt("%13s", Fmt("All/%d\n", AntLayer(st, 0)).c_str());
  line += Fmt("%24s", "------");
  for (int k = 0; k < na; k++) line += Fmt("%12s", "------");
  line += Fmt("%12s%13s", "------", "------\n");
  Put(st, line);
  double total[CKT_ANT_LAYERS] = {0}, surface[CKT_ANT_LAYERS] = {0};
  // One reused line per node: the table has a row for each of thousands.
  std::string prev;
  char num[48];
  auto addNum = [&](double v) {
    snprintf(num, sizeof num, "%12.2f", v);
    line += num;
  };
  for (int32_t i = 0; i < st.compile.nodeCount; i++) {
    const char* name = NodeName(st, rec[i].node);
    if (i > 0 && strcasecmp(name, prev.c_str()) == 0) continue;
    prev = name;
    double area[CKT_ANT_LAYERS];
    for (int j = 0; j < CKT_ANT_LAYERS; j++) {
      area[j] = rec[i].area[j] * s * s / (g * g);
      if (st.set.antEdge && j > 0) area[j] = st.set.antThick[j - 1] * rec[i].perim[j] * s / g;
    }
    line.assign(12, ' ');
    if (prev.size() < 12) line.append(12 - prev.size(), ' ');
    line += prev;
    for (int k = 0; k < na; k++) {
      addNum(area[active[k]]);
      total[active[k]] += area[active[k]];
      surface[active[k]] += rec[i].area[active[k]] * s * s / (g * g);
    }
    if (rec[i].area[0] != 0) {
      double all = 0;
      for (int j = 1; j < CKT_ANT_LAYERS; j++) all += area[j];
      addNum(area[1] / area[0]);
      addNum(all / area[0]);
    }
    line += "\n";
    Put(st, line);
  }
  line = Fmt("%24s", "");
  for (int k = 0; k < na; k++) line += Fmt("%12s", "------");
  line += "\n";
  line += Fmt("%24s", "Total for Layer:");
  for (int k = 0; k < na; k++) line += Fmt("%12.2f", total[active[k]]);
  line += "\n";
  line += Fmt("%24s", "Layer Density Pct:");
  // A cell without extents has no density to speak of.
  for (int k = 0; k < na; k++) line += Fmt("%12.2f", region > 0 ? 100 * surface[active[k]] / region : 0.0);
  line += "\n\n";
  Put(st, line);
}

void AntWrite(CktState& st, int32_t cell) {
  StatusLine(st, "Writing Antenna Rules Table", 1);
  AntNodeList(st);
  if (CktStopped(st) || SortNodeList(st)) return;
  AntPerimeters(st);
  AntAreas(st);
  if (CktStopped(st)) return;
  AntReport(st, cell);
  if (st.set.flag[S_CVL]) {
    StatusLine(st, "Finding Antenna Layer Objects on Virtual Nodes", 1);
    VirtualObjectsLog(st);
  }
}

void VirtualObjectsLog(CktState& st) {
  if (st.compile.kindVirtual == 0) {
    LogPut(st, "\n\nConductor Layer Objects on Virtual Nodes: None\n");
    return;
  }
  const int ant = st.set.antOn;
  LogPut(st, ant ? "\n\nAntenna Layer Conductor Objects on Virtual Nodes:\n" : "\n\nConductor Layer Objects on Virtual Nodes:\n");
  auto counts = [&](int layer) {
    if (!ant) return ConductorLayer(st, layer) != 0;
    for (int j = 0; j < CKT_ANT_LAYERS; j++)
      if (AntLayer(st, j) > 0 && AntLayer(st, j) == layer) return true;
    return false;
  };
  // The objects of each virtual node, gathered in one pass.
  std::unordered_map<int32_t, std::vector<int32_t>> boxes, paths;
  for (int32_t i = 0; i < st.compile.nodeCount; i++)
    if (st.compile.nodeList[i] < 0) boxes[st.compile.nodeList[i]], paths[st.compile.nodeList[i]];
  for (int32_t i = 1; i <= st.store->nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    auto it = boxes.find(b->node);
    if (b->node < 0 && it != boxes.end() && counts(b->layer)) it->second.push_back(i);
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    auto it = paths.find(p->node);
    if (p->word >= 0 && p->node < 0 && it != paths.end() && counts(p->word)) it->second.push_back(i);
  }
  const double g = st.run.scale > 0 ? st.run.scale : 1.0;
  const int all = st.set.flag[S_CVA];
  for (int32_t i = 0; i < st.compile.nodeCount; i++) {
    int32_t v = st.compile.nodeList[i];
    if (v >= 0) continue;
    std::string text = Fmt("%s%d:\n", st.set.val[GRP_MAIN][S_VNP], (int)-(int64_t)v);
    int listed = 0;
    for (int32_t b : boxes[v]) {
      if (!all && listed) break;
      CktBox* r = BoxRec(st, b);
      text += Fmt("    Box on Layer %d at X=%.*g Y=%.*g\n", (int)r->layer, 9, r->left / g, 9, r->bottom / g);
      listed++;
    }
    for (int32_t p : paths[v]) {
      if (!all && listed) break;
      CktPath* r = PathRec(st, p);
      CktVertex* f = r->first ? VtxRec(st, r->first) : nullptr;
      if (!f) continue;
      text += Fmt("    Path on Layer %d at X=%.*g Y=%.*g\n", (int)r->word, 9, f->x / g, 9, f->y / g);
      listed++;
    }
    Put(st, text);
  }
}

void VirtualRemovedList(CktState& st) {
  int32_t m = 0;
  std::unordered_set<int32_t> held;
  for (int32_t i = 0; i < st.compile.nodeCount; i++) {
    int32_t v = st.compile.nodeList[i];
    if (v < 0) held.insert(v);
    m = std::min(m, v);
  }
  std::string text;
  for (int64_t v = m; v <= -1; v++)
    if (!held.count((int32_t)v)) text += Fmt("Virtual Node %lld was Removed\n", (long long)-v);
  Put(st, text);
}

}  // namespace ckt
