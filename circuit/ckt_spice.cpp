// The Spice circuit file's definition blocks and the node list file's
// blocks of one compiled cell, the sorts of the device table and the node
// list, and the node kind counts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ckt_compile.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_store.h"

namespace ckt {

namespace {

std::string Fold(const char* s) {
  std::string r(s ? s : "");
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return r;
}

// Byte order of folded names, bytes taken unsigned.
bool FoldLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return (unsigned char)x < (unsigned char)y;
  });
}

double Phys(int32_t v) { return g_cktRun.scale > 0 ? v / g_cktRun.scale : v; }

int HasBlank(const char* s) { return strpbrk(s, " \t") != nullptr; }

// Names already reported as holding a blank, per cell.
std::unordered_set<std::string> g_blankSeen;
int32_t g_blankCell = -1;

void BlankCheck(const char* what, const char* name, int32_t cell) {
  if (!HasBlank(name)) return;
  if (g_blankCell != cell) {
    g_blankSeen.clear();
    g_blankCell = cell;
  }
  std::string key = std::string(what) + "\x01" + name;
  if (!g_blankSeen.insert(key).second) return;
  // A blank splits the name into two fields, shifting every node after it.
  char msg[400];
  snprintf(msg, sizeof msg, "%s \"%.120s\" in %s holds a Blank ... the Line would Shift its Nodes ", what, name,
           g_store->cells[cell].name);
  ErrorCount(msg, 0);
}

// Names of node numbers in the cell being written, each built once: the
// sorts, counts and both files ask for them again and again.
struct NameMemo {
  std::unordered_map<int32_t, std::pair<std::string, std::string>> names;  // name, folded
};
NameMemo g_names;

const std::pair<std::string, std::string>& Named(int32_t node) {
  auto it = g_names.names.find(node);
  if (it != g_names.names.end()) return it->second;
  std::string n = NodeName(node);
  std::string f = Fold(n.c_str());
  return g_names.names.emplace(node, std::make_pair(n, f)).first->second;
}
const std::string& NameOf(int32_t node) { return Named(node).first; }
const std::string& FoldedName(int32_t node) { return Named(node).second; }

// Order of the folded names as integers: equal names share a rank, so the
// sorts and the grouping compare numbers.
std::unordered_map<std::string, int32_t> g_rankOf;
std::unordered_map<int32_t, int32_t> g_nodeRank;

void RanksBuild(const std::vector<std::string>& names) {
  std::vector<std::string> all;
  all.reserve(g_rankOf.size() + names.size());
  for (auto& kv : g_rankOf) all.push_back(kv.first);
  for (auto& n : names)
    if (!g_rankOf.count(n)) all.push_back(n);
  std::sort(all.begin(), all.end(), FoldLess);
  all.erase(std::unique(all.begin(), all.end()), all.end());
  g_rankOf.clear();
  for (size_t i = 0; i < all.size(); i++) g_rankOf.emplace(all[i], (int32_t)i);
  g_nodeRank.clear();
}

int32_t NodeRank(int32_t node) {
  auto it = g_nodeRank.find(node);
  if (it != g_nodeRank.end()) return it->second;
  auto r = g_rankOf.find(FoldedName(node));
  if (r == g_rankOf.end()) {
    RanksBuild({FoldedName(node)});
    r = g_rankOf.find(FoldedName(node));
  }
  return g_nodeRank.emplace(node, r->second).first->second;
}

// Ranks of every node the device table, the connectors and the node list
// name, built in one sort.
int g_ranksReady = 0;  // the table's nodes are ranked for this cell

void NodeRanksPrepare(const std::vector<int32_t>& more = {}) {
  if (g_ranksReady && more.empty()) return;
  g_ranksReady = 1;
  std::unordered_set<int32_t> nodes(more.begin(), more.end());
  for (int32_t e = 0; e < g_nodes.devCount; e++) nodes.insert(g_nodes.dev[e].node);
  for (int32_t i = 0; i < g_nodes.connCount; i++) nodes.insert(g_nodes.conn[i].node);
  for (int32_t i = 0; i < g_compile.nodeCount; i++) nodes.insert(g_compile.nodeList[i]);
  std::vector<std::string> names;
  for (int32_t n : nodes)
    if (!g_rankOf.count(FoldedName(n))) names.push_back(FoldedName(n));
  if (!names.empty()) RanksBuild(names);
}

// Rank of the folded device text of every instance of the cell, computed
// once.
std::vector<int32_t> g_devKey;
std::vector<std::string> g_devName;  // device text up to its first blank or newline
int32_t g_devKeyInstances = -1;

int32_t DevKey(int32_t inst) {
  if (inst < 0 || (size_t)inst >= g_devKey.size()) return -1;
  return g_devKey[(size_t)inst];
}

void DevKeysBuild() {
  int32_t n = g_compile.instances;
  std::vector<std::string> text((size_t)n + 1);
  g_devName.assign((size_t)n + 1, std::string());
  for (int32_t k = 1; k <= n; k++) {
    std::string t = DeviceText(g_set.dvl, k, n);
    text[(size_t)k] = Fold(t.c_str());
    g_devName[(size_t)k] = t.substr(0, t.find_first_of(" \n"));
  }
  std::vector<std::string> order(text.begin(), text.end());
  std::sort(order.begin(), order.end(), FoldLess);
  order.erase(std::unique(order.begin(), order.end()), order.end());
  std::unordered_map<std::string, int32_t> rank;
  for (size_t i = 0; i < order.size(); i++) rank.emplace(order[i], (int32_t)i);
  g_devKey.assign((size_t)n + 1, -1);
  for (int32_t k = 1; k <= n; k++) g_devKey[(size_t)k] = rank[text[(size_t)k]];
  g_devKeyInstances = n;
}

void SortShow(const char* title, int32_t n, int done) {
  if (n <= 100) return;
  char msg[120];
  snprintf(msg, sizeof msg, done ? "%s ... Done" : "%s", title);
  StatusLine2(msg, 1);
}

// Entries of each instance, in table order.
std::unordered_map<int32_t, std::vector<int32_t>> g_byInst;

void ByInstBuild() {
  g_byInst.clear();
  for (int32_t e = 0; e < g_nodes.devCount; e++) g_byInst[g_nodes.dev[e].inst].push_back(e);
}

const char* ResolvePath(const char* name, char* out, size_t size) {
  if (!name[0] || name[0] == '/' || name[0] == '\\' || strchr(name, ':')) snprintf(out, size, "%s", name);
  else snprintf(out, size, "%s%s", g_store->folder, name);
  return out;
}

}  // namespace

void CktPrint(const char* text) {
  if (g_compile.scriptPass || !g_compile.cir || !text) return;
  fputs(text, g_compile.cir);
}

int CktWrap(int column, int len) {
  if (column + len <= CKT_WRAP_COLUMN) return column + len;
  if (len < 2) {
    CktPrint("\n");
    return 0;
  }
  CktPrint("\n+");
  return len;
}

int CktCopyFile(const char* path) {
  char full[600];
  FILE* f = fopen(ResolvePath(path, full, sizeof full), "r");
  if (!f) return 1;
  char msg[400];
  snprintf(msg, sizeof msg, "\n* Start of %s\n", path);
  CktPrint(msg);
  int c;
  char one[2] = {0, 0};
  while ((c = getc(f)) != EOF) {
    if (c == '\r') continue;
    one[0] = (char)c;
    CktPrint(one);
  }
  fclose(f);
  snprintf(msg, sizeof msg, "\n* End of %s\n", path);
  CktPrint(msg);
  return 0;
}

namespace {

// Alias text of a parameter text that begins with "@"; the text itself
// otherwise.
std::string ParamResolved(const char* param) {
  if (param[0] != '@') return param;
  char path[600];
  return PafLookupMemo(param + 1, ResolvePath(g_set.val[GRP_MAIN][S_PAF], path, sizeof path));
}

void Piece(const char* text) {
  g_compile.column = CktWrap(g_compile.column, (int)strlen(text));
  CktPrint(text);
}

}  // namespace

void SpiceSubcktLine(int32_t instances, int32_t cell) {
  const char* name = g_store->cells[cell].name;
  int isMain = cell == g_compile.mainCell;
  char buf[CKT_ALIAS_MAX + CKT_PARAM_MAX + 64];
  snprintf(buf, sizeof buf, isMain ? "\n* %s" : "\n.SUBCKT %s", name);
  CktPrint(buf);
  g_compile.column = (int)strlen(buf);
  for (int32_t i = 0; i < g_nodes.connCount; i++) {
    std::string node = NameOf(g_nodes.conn[i].node);
    if (node == "?") {
      snprintf(buf, sizeof buf, "Node Name %d in %s Definition Line is Unknown ", (int)g_nodes.conn[i].seq, name);
      if (ErrorCount(buf, 0)) break;
    }
    BlankCheck("Node Name", node.c_str(), cell);
    snprintf(buf, sizeof buf, " %s", node.c_str());
    Piece(buf);
  }
  std::string param = ParamText(g_set.pml, 0, instances);
  if (param[0] == '@') {
    param = ParamResolved(param.c_str());
    if (param == "?") {
      snprintf(buf, sizeof buf, "Parameter on %s Definition Line is Unknown ", name);
      ErrorCount(buf, 0);
    }
  }
  if (!param.empty()) snprintf(buf, sizeof buf, " %s\n", param.c_str());
  else snprintf(buf, sizeof buf, "\n");
  Piece(buf);
  if (g_compile.column != 0) CktPrint("\n");
}

void SpiceDeviceLine(int32_t k, int32_t instances, int32_t cell) {
  std::vector<int32_t> scan;
  const std::vector<int32_t>* entries;
  auto it = g_byInst.find(k);
  if (!g_byInst.empty() && it != g_byInst.end()) {
    entries = &it->second;
  } else {
    for (int32_t e = 0; e < g_nodes.devCount; e++)
      if (g_nodes.dev[e].inst == k) scan.push_back(e);
    entries = &scan;
  }
  if (entries->empty()) return;
  InstanceFetch(0, k);
  const CktPlace place = g_store->place[0];
  char buf[CKT_ALIAS_MAX + CKT_PARAM_MAX + 64];
  std::string text = DeviceText(g_set.dvl, k, instances);
  if (place.rank < 2 && text == "?") {
    // A line named "?" is no device to a simulator: the user hears of it.
    snprintf(buf, sizeof buf, "Device Cell %s at X=%.*g Y=%.*g has no Device Text", place.name, 9, Phys(place.x), 9,
             Phys(place.y));
    WarningCount(buf);
  }
  BlankCheck("Device Text", text.c_str(), cell);
  CktPrint(text.c_str());
  g_compile.column = (int)text.size();
  int32_t lastPin = 0;
  int first = 1;
  for (int32_t e : *entries) {
    const CktDevice& d = g_nodes.dev[e];
    if (d.node == 0) {
      snprintf(buf, sizeof buf, "Node Name %d in Device Line for %s in %s is Unknown ", (int)d.seq, place.name,
               g_store->cells[cell].name);
      if (ErrorCount(buf, 0)) break;
    }
    if (!first && d.seq == lastPin) continue;
    first = 0;
    lastPin = d.seq;
    const std::string& node = NameOf(d.node);
    BlankCheck("Node Name", node.c_str(), cell);
    snprintf(buf, sizeof buf, " %s", node.c_str());
    Piece(buf);
  }
  std::string param = ParamText(g_set.pml, k, instances);
  if (param[0] == '@') {
    std::string alias = ParamResolved(param.c_str());
    if (place.rank == 1 && (strcasecmp(alias.c_str(), param.c_str() + 1) == 0 || alias == "?")) {
      snprintf(buf, sizeof buf, "There is a Possible Incorrect Parameter or Alias for Device Cell %s at X=%.*g Y=%.*g ",
               place.name, 9, Phys(place.x), 9, Phys(place.y));
      ErrorCount(buf, 0);
    }
    param = alias;
  }
  snprintf(buf, sizeof buf, " %s\n", param.c_str());
  Piece(buf);
  g_compile.lines++;
}

void NodeListCreate() {
  StatusLine2("Creating Node List", 0);
  g_compile.nodeCount = 0;
  if (!g_compile.nodeList) return;
  // Every name that can come in is ranked before the first is added.
  std::vector<int32_t> objs;
  if (g_set.capFlags & 4) {
    for (int32_t i = 1; i <= g_store->nb; i++)
      if (CktBox* b = BoxRec(i)) objs.push_back(b->node);
    for (int32_t i = 1; i <= g_store->np; i++)
      if (CktPath* p = PathRec(i)) objs.push_back(p->node);
  }
  NodeRanksPrepare(objs);
  std::unordered_set<int32_t> seen;
  char msg[200];
  auto add = [&](int32_t node) -> int {
    int32_t key = NodeRank(node);
    if (seen.count(key)) return 1;
    if (g_compile.nodeCount >= CKT_NODE_LIST_MAX) return 0;
    seen.insert(key);
    g_compile.nodeList[g_compile.nodeCount++] = node;
    return 1;
  };
  for (int32_t e = 0; e < g_nodes.devCount; e++) {
    if (g_nodes.dev[e].node == 0) continue;
    if (!add(g_nodes.dev[e].node)) {
      snprintf(msg, sizeof msg, "Node List is Full because of %d required Node Connections ", (int)g_nodes.devCount);
      ErrorCount(msg, 0);
      return;
    }
  }
  if (!(g_set.capFlags & 4)) return;
  for (int32_t i = 1; i <= g_store->nb; i++) {
    CktBox* b = BoxRec(i);
    if (!b) break;
    if (!ConductorLayer(b->layer) || b->node == 0) continue;
    if (!add(b->node)) {
      ErrorCount("The Node List is Full ", 0);
      return;
    }
  }
  for (int32_t i = 1; i <= g_store->np; i++) {
    CktPath* p = PathRec(i);
    if (!p) break;
    if (p->word < 0 || !ConductorLayer(p->word) || p->node == 0) continue;
    if (!add(p->node)) {
      ErrorCount("The Node List is Full ", 0);
      return;
    }
  }
}

void CountNodeKinds() {
  g_compile.kindReal = g_compile.kindVirtual = g_compile.kindSymbol = 0;
  NodeRanksPrepare();
  std::vector<char> seen(g_rankOf.size() + 1, 0);
  for (int32_t e = 0; e < g_nodes.devCount; e++) {
    int32_t n = g_nodes.dev[e].node;
    size_t r = (size_t)NodeRank(n);
    if (r >= seen.size()) seen.resize(r + 1, 0);
    if (seen[r]) continue;
    seen[r] = 1;
    if (n > CKT_SYMBOL_BASE) g_compile.kindSymbol++;
    else if (n > 0) g_compile.kindReal++;
    else g_compile.kindVirtual++;
  }
}

// The sorts order by folded names with the keys computed once per entry.
// Entries of equal keys keep their table order, so the pins of one
// instance stay together even when two instances share a device text.
int SortNodeList() {
  int32_t n = g_compile.nodeCount;
  if (n < 2) return 0;
  SortShow("Sorting Node List", n, 0);
  NodeRanksPrepare();
  std::vector<std::pair<int32_t, int32_t>> v((size_t)n);
  for (int32_t i = 0; i < n; i++) v[(size_t)i] = {NodeRank(g_compile.nodeList[i]), g_compile.nodeList[i]};
  std::stable_sort(v.begin(), v.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (int32_t i = 0; i < n; i++) g_compile.nodeList[i] = v[(size_t)i].second;
  SortShow("Sorting Node List", n, 1);
  return CktStopped();
}

int SortDeviceNames() {
  int32_t n = g_nodes.devCount;
  if (n < 2) return 0;
  SortShow("Sorting Device and Subcircuit Names", n, 0);
  if (g_devKeyInstances != g_compile.instances) DevKeysBuild();
  std::stable_sort(g_nodes.dev, g_nodes.dev + n,
                   [](const CktDevice& a, const CktDevice& b) { return DevKey(a.inst) < DevKey(b.inst); });
  SortShow("Sorting Device and Subcircuit Names", n, 1);
  return CktStopped();
}

// The pins of each instance in pin order, each instance keeping the table
// positions it had.
int SortDevicePins() {
  int32_t n = g_nodes.devCount;
  if (n < 2) return 0;
  if (n > 100) StatusLine2("Sorting Device or Subcircuit Node Order", 1);
  std::vector<int32_t> pos((size_t)n);
  for (int32_t e = 0; e < n; e++) pos[(size_t)e] = e;
  std::stable_sort(pos.begin(), pos.end(), [](int32_t a, int32_t b) { return g_nodes.dev[a].inst < g_nodes.dev[b].inst; });
  std::vector<CktDevice> group;
  for (size_t k = 0; k < pos.size();) {
    size_t e = k + 1;
    while (e < pos.size() && g_nodes.dev[pos[e]].inst == g_nodes.dev[pos[k]].inst) e++;
    if (e - k > 1) {
      group.clear();
      for (size_t i = k; i < e; i++) group.push_back(g_nodes.dev[pos[i]]);
      std::stable_sort(group.begin(), group.end(), [](const CktDevice& a, const CktDevice& b) { return a.seq < b.seq; });
      for (size_t i = k; i < e; i++) g_nodes.dev[pos[i]] = group[i - k];
    }
    k = e;
  }
  if (n > 100) StatusLine2("Sorting Device or Subcircuit Node Order... Done", 1);
  return CktStopped();
}

int SortNodNodes() {
  int32_t n = g_nodes.devCount;
  if (n < 2) return 0;
  SortShow("Sorting Node Names", n, 0);
  if (g_devKeyInstances != g_compile.instances) DevKeysBuild();
  NodeRanksPrepare();
  struct Key {
    int32_t node, dev, seq, index;
  };
  std::vector<Key> keys((size_t)n);
  for (int32_t e = 0; e < n; e++) {
    const CktDevice& d = g_nodes.dev[e];
    keys[(size_t)e] = {NodeRank(d.node), DevKey(d.inst), d.seq, e};
  }
  std::stable_sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
    if (a.node != b.node) return a.node < b.node;
    if (a.dev != b.dev) return a.dev < b.dev;
    return a.seq < b.seq;
  });
  std::vector<CktDevice> old(g_nodes.dev, g_nodes.dev + n);
  for (int32_t e = 0; e < n; e++) g_nodes.dev[e] = old[(size_t)keys[(size_t)e].index];
  SortShow("Sorting Device Node Order", n, 1);
  return CktStopped();
}

int32_t NodConnectorSeq(const char* name) {
  for (int32_t i = 0; i < g_nodes.connCount; i++)
    if (strcasecmp(NodeName(g_nodes.conn[i].node), name) == 0) return g_nodes.conn[i].seq;
  return 0;
}

void NodWrite(int32_t cell) {
  (void)cell;
  FILE* f = g_compile.nod;
  if (!f || g_compile.scriptPass) return;
  // The connectors' names once, first connector of a name winning.
  NodeRanksPrepare();
  std::unordered_map<int32_t, int32_t> seqOf;
  for (int32_t i = 0; i < g_nodes.connCount; i++) seqOf.emplace(NodeRank(g_nodes.conn[i].node), g_nodes.conn[i].seq);
  int32_t prev = -1;
  int started = 0;
  int len = 0;
  if (g_devKeyInstances != g_compile.instances) DevKeysBuild();
  std::string out;
  char num[24];
  for (int32_t e = 0; e < g_nodes.devCount; e++) {
    const CktDevice& d = g_nodes.dev[e];
    int32_t folded = NodeRank(d.node);
    if (!started || folded != prev) {
      started = 1;
      prev = folded;
      auto it = seqOf.find(folded);
      snprintf(num, sizeof num, ":%d\n", it == seqOf.end() ? 0 : (int)it->second);
      out += "\n";
      out += NameOf(d.node);
      out += num;
      len = 0;
    } else if (len >= 101) {
      out += "\n";
      len = 0;
    }
    const std::string& dev = (d.inst >= 1 && (size_t)d.inst < g_devName.size()) ? g_devName[(size_t)d.inst] : "?";
    snprintf(num, sizeof num, "%d", (int)d.seq);
    out += " ";
    out += dev;
    out += ".";
    out += num;
    out += " ";
    len += (int)(dev.size() + strlen(num) + 3);
  }
  fwrite(out.data(), 1, out.size(), f);
  // Every block is closed, also one of fewer than two entries: the readers
  // take "::" as its end.
  fputs("\n::\n", f);
}

void ResultsTable(int isMain) {
  FILE* f = g_cktRun.log;
  if (!f) return;
  fputs("\nCompile Results:\n", f);
  if (isMain) fprintf(f, "%6s%25s%34s", "", "Main Circuit Nodes", "Lower Cell Connection Types\n");
  else fprintf(f, "%6s%23s%36s", "", "Subcircuit Nodes", "Lower Cell Connection Types\n");
  fprintf(f, "%7s%6s%8s%7s%7s%7s%6s%7s%8s%7s%7s\n", "Devices", "(Real", "Virtual", "Symbol", "Total)", "(Count",
          "Real", "Direct", "Virtual", "Symbol", "Total)");
  const CktNodes& n = g_nodes;
  int kinds = g_compile.kindReal + g_compile.kindVirtual + g_compile.kindSymbol;
  int conns = n.pinReal + n.pinDirect + n.pinVirtual + n.pinSymbol;
  fprintf(f, "%6.1d %5.1d%8.1d%7.1d%6.1d%8.1d%6.1d%7.1d%8.1d%7.1d%6.1d\n", (int)n.devices, g_compile.kindReal,
          g_compile.kindVirtual, g_compile.kindSymbol, kinds, (int)n.devCount, (int)n.pinReal, (int)n.pinDirect,
          (int)n.pinVirtual, (int)n.pinSymbol, conns);
}

// ---- one compiled cell ----

void DeviceKeysForget() {
  g_ranksReady = 0;
  g_names.names.clear();
  g_rankOf.clear();
  g_nodeRank.clear();
  g_devKey.clear();
  g_devKeyInstances = -1;
  g_byInst.clear();
}

void ByInstanceBuild() { ByInstBuild(); }

}  // namespace ckt
