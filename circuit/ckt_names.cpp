// Node numbers' names, naming through texts, symbols and connectors, the
// device (pin) and connector tables, virtual nodes and the diagnostics.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"

namespace ckt {

namespace {

// Positions of the pins, rebuilt when the table changed.
struct PinPositions {
  std::unordered_map<uint64_t, int32_t> count;
  int32_t builtFor = -1;
  const CktDevice* table = nullptr;
  uint32_t generation = 0;
};

// Connector texts of the cell whose objects the store holds, read once for
// a run of placements of that cell (the caller reads a cell's objects only
// when the cell changes): position in the cell, sequence number, layer
// suffix; positioned 0 for a text without a position.
struct LowerText {
  int32_t x, y, seq, layer;
  int positioned;
};
struct LowerTexts {
  uint32_t generation = 0;
  int32_t cell = -1, np = -1, nv = -1;
  std::vector<LowerText> texts;
};

}  // namespace

struct CktNamesState {
  uint32_t generation = 0;  // tables emptied: cached views are stale
  PinPositions pinPos;
  LowerTexts lowerTexts;
};

CktNamesState* CktNamesStateNew() { return new CktNamesState(); }
void CktPartFree::operator()(CktNamesState* p) const { delete p; }

namespace {

std::string Lower(const char* s) {
  std::string r(s);
  for (char& c : r) c = (char)tolower((unsigned char)c);
  return r;
}

int TextPos(CktState& st, int32_t path, int32_t* x, int32_t* y) {
  CktPath* p = PathRec(st, path);
  if (!p || p->word >= 0 || !p->first) return 0;
  CktVertex* v = VtxRec(st, p->first);
  if (!v) return 0;
  *x = v->x;
  *y = v->y;
  return 1;
}

int TextOnLayer(CktState& st, int32_t path, int layer) {
  CktPath* p = PathRec(st, path);
  return p && p->word < 0 && (p->word & 0x1ff) == layer;
}

double Phys(CktState& st, int32_t v) { return st.run.scale > 0 ? v / st.run.scale : v; }

const char* CellNameOf(CktState& st, int32_t inst) { return InstanceCell(st, 0, inst)->name; }

// Candidate boxes and paths at a point: from the index when one is built,
// else every record; mode 3 takes only records after the own and smashed.
void PointCandidates(CktState& st, int32_t x, int32_t y, int lowerOnly, std::vector<int32_t>& boxes,
                     std::vector<int32_t>& paths) {
  boxes.clear();
  paths.clear();
  int32_t b0 = lowerOnly ? st.nodes.ownBoxes : 0, p0 = lowerOnly ? st.nodes.ownPaths : 0;
  if (IndexBuilt(st)) {
    IndexQueryPoint(st, x, y, boxes, paths);
    boxes.erase(std::remove_if(boxes.begin(), boxes.end(), [&](int32_t i) { return i <= b0; }), boxes.end());
    paths.erase(std::remove_if(paths.begin(), paths.end(), [&](int32_t i) { return i <= p0; }), paths.end());
    return;
  }
  for (int32_t i = b0 + 1; i <= st.store->nb; i++) boxes.push_back(i);
  for (int32_t i = p0 + 1; i <= st.store->np; i++) paths.push_back(i);
}

void SetPoint(CktState& st, int32_t x, int32_t y) {
  EdgeSlot& w = st.scan.slot[0];
  w.left = w.right = x;
  w.bottom = w.top = y;
}

// What a point operation does with the number of a found object.
void PointHit(CktState& st, int mode, int32_t k, int32_t* objNode, int objLayer) {
  if (mode == 0) {
    if (*objNode != 0 && k != 0 && NodeTextClash(st, k, *objNode)) return;
    *objNode = k;
  } else if (mode == 2) {
    if (k >= 0 && k < st.nodes.connCount) st.nodes.conn[k].node = *objNode;
  } else {
    if (k < 0 || k >= st.nodes.devCount) return;
    ConnectorNameClash(st, k, *objNode);
    CktDevice& d = st.nodes.dev[k];
    if (d.layer != 0 && d.layer != objLayer) return;
    d.node = *objNode;
  }
}

}  // namespace

void NodesReset(CktState& st) {
  if (!st.nodes.dev) st.nodes.dev = static_cast<CktDevice*>(calloc(CKT_MAX_DEVICES, sizeof(CktDevice)));
  if (!st.nodes.conn) st.nodes.conn = static_cast<CktConn*>(calloc(CKT_MAX_CONNECTORS, sizeof(CktConn)));
  if (!st.nodes.dev || !st.nodes.conn) abort();
  CktDevice* dev = st.nodes.dev;
  CktConn* conn = st.nodes.conn;
  int useIndex = st.nodes.useIndex;
  CktSymbol sym[CKT_MAX_SYMBOLS];
  memcpy(sym, st.nodes.sym, sizeof sym);
  int32_t symCount = st.nodes.symCount;
  memset(&st.nodes, 0, sizeof st.nodes);
  st.names->generation++;
  st.nodes.dev = dev;
  st.nodes.conn = conn;
  st.nodes.useIndex = useIndex;
  memcpy(st.nodes.sym, sym, sizeof sym);
  st.nodes.symCount = symCount;
}

void DeviceTableRelease(CktState& st) {
  free(st.nodes.dev);
  st.nodes.dev = nullptr;
  st.nodes.devCount = 0;
}

// ---- names ----

const char* NodeNameFull(CktState& st, int32_t node) {
  static char buf[CKT_VALUE + 24];
  if (node == 0) return "?";
  if (node < 0) {
    snprintf(buf, sizeof buf, "%s%lld", st.set.val[GRP_MAIN][S_VNP], -(long long)node);
    return buf;
  }
  if (node > CKT_SYMBOL_BASE) {
    int32_t j = node - CKT_SYMBOL_BASE;
    if (j >= 1 && j <= st.nodes.symCount) {
      snprintf(buf, sizeof buf, "%s", st.nodes.sym[j].text);
      return buf;
    }
    return "?";
  }
  if (!PathIsText(st, node)) return "?";
  TextOfPath(st, node, 7, buf, sizeof buf);
  return buf;
}

const char* NodeName(CktState& st, int32_t node) {
  static char buf[CKT_VALUE + 24];
  snprintf(buf, sizeof buf, "%s", NodeNameFull(st, node));
  char* semi = strchr(buf, ';');
  if (semi) *semi = 0;
  return buf;
}

int32_t FirstNumber(const char* text) {
  const char* p = text;
  while (*p && !isdigit((unsigned char)*p)) p++;
  int64_t v = 0;
  while (isdigit((unsigned char)*p)) {
    v = v * 10 + (*p++ - '0');
    if (v > INT32_MAX) return INT32_MAX;
  }
  return (int32_t)v;
}

int ConnectorLayerSuffix(const char* text) {
  const char* semi = strchr(text, ';');
  if (!semi) return 0;
  long v = strtol(semi + 1, nullptr, 10);
  return (v >= 1 && v <= 256) ? (int)v : 0;
}

namespace {
uint64_t PosKey(int32_t x, int32_t y) { return ((uint64_t)(uint32_t)x << 32) | (uint32_t)y; }

}  // namespace

int ConnectorAt(CktState& st, int32_t x, int32_t y) {
  PinPositions& p = st.names->pinPos;
  if (p.builtFor != st.nodes.devCount || p.table != st.nodes.dev || p.generation != st.names->generation) {
    p.count.clear();
    for (int32_t i = 0; i < st.nodes.devCount; i++) p.count[PosKey(st.nodes.dev[i].x, st.nodes.dev[i].y)]++;
    p.builtFor = st.nodes.devCount;
    p.table = st.nodes.dev;
    p.generation = st.names->generation;
  }
  return p.count.count(PosKey(x, y)) ? 1 : 0;
}

namespace {
int SuffixFits(CktState& st, int32_t number, int layer) {
  const char* full = NodeNameFull(st, number);
  const char* semi = strrchr(full, ';');
  if (!semi) return 1;
  long v = strtol(semi + 1, nullptr, 10);
  if (v == 0) return 1;
  if (v < 1 || v > 256 || !ConductorLayer(st, (int)v)) return 0;
  return v == (layer & 0x1ff);
}
}  // namespace

int SuffixFitsBox(CktState& st, int32_t number, int32_t box) {
  CktBox* b = BoxRec(st, box);
  return b ? SuffixFits(st, number, b->layer) : 0;
}

int SuffixFitsPath(CktState& st, int32_t number, int32_t path) {
  CktPath* p = PathRec(st, path);
  return p ? SuffixFits(st, number, p->word) : 0;
}

// ---- point operations ----

namespace {
// Whether a layer is a conductor, asked once per layer in a run of point
// operations (the trace table is searched for every ask otherwise).
struct ConductorMemo {
  int8_t known[512];  // -1 not asked yet
};

void ConductorMemoReset(ConductorMemo& m) { memset(m.known, -1, sizeof m.known); }

int ConductorKnown(CktState& st, ConductorMemo& m, int layer) {
  int8_t& k = m.known[layer & 0x1ff];
  if (k < 0) k = ConductorLayer(st, layer) ? 1 : 0;
  return k;
}

void BoxesAmong(CktState& st, const std::vector<int32_t>& boxes, int mode, int32_t x, int32_t y, int32_t k, ConductorMemo& cond) {
  for (int32_t i : boxes) {
    if (CktStopped(st)) return;
    CktBox* b = BoxRec(st, i);
    if (!b) return;
    // A box holds the point when its closed area does and it has an area:
    // what loading its outline clipped to the point would tell.
    if (!(b->left <= x && x <= b->right && b->bottom <= y && y <= b->top)) continue;
    if (!ConductorKnown(st, cond, b->layer)) continue;
    if (b->right <= b->left || b->top <= b->bottom) continue;
    if (mode == 0 && (HiddenLayer(st, b->layer) || !SuffixFitsBox(st, k, i))) continue;
    PointHit(st, mode, k, &b->node, b->layer & 0x1ff);
  }
}

void AreaPathsAmong(CktState& st, const std::vector<int32_t>& paths, int mode, int32_t x, int32_t y, int32_t k, ConductorMemo& cond) {
  for (int32_t i : paths) {
    if (CktStopped(st)) return;
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word < 0 || !ConductorKnown(st, cond, p->word)) continue;
    SetPoint(st, x, y);
    if (!LoadPathOutline(st, i, 1, 1, 0)) continue;
    if (mode == 0 && (HiddenLayer(st, p->word) || !SuffixFitsPath(st, k, i))) continue;
    st.scan.cross[0][0] = x;
    st.scan.cross[0][1] = x;
    st.scan.crossLast[0] = 1;
    ScanRowCrossings(st, 1, y);
    CrossingSort(st, 1);
    if (!CrossingsOverlap(st) && !OnHorizontalEdge(st, x, y)) continue;
    PointHit(st, mode, k, &p->node, p->word & 0x1ff);
  }
}
}  // namespace

void BoxesAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k) {
  static std::vector<int32_t> boxes, paths;
  PointCandidates(st, x, y, mode == 3, boxes, paths);
  ConductorMemo cond;
  ConductorMemoReset(cond);
  BoxesAmong(st, boxes, mode, x, y, k, cond);
}

void AreaPathsAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k) {
  static std::vector<int32_t> boxes, paths;
  PointCandidates(st, x, y, mode == 3, boxes, paths);
  ConductorMemo cond;
  ConductorMemoReset(cond);
  AreaPathsAmong(st, paths, mode, x, y, k, cond);
}

void LinesAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k) {
  static std::vector<int32_t> boxes, paths;
  PointCandidates(st, x, y, 0, boxes, paths);
  for (int32_t i : paths) {
    if (CktStopped(st)) return;
    CktPath* p = PathRec(st, i);
    if (!p) return;
    if (p->word < 0 || !ConductorLayer(st, p->word)) continue;
    int hit = 0;
    CktVertex* v = VtxRec(st, p->first);
    int guard = 0;
    while (v && !hit && guard++ <= CKT_PATH_VERTICES) {
      if (v->x == x && v->y == y) hit = 1;
      if (!v->next) break;
      CktVertex* w = VtxRec(st, v->next);
      if (!w) break;
      if (w->x == x && w->y == y) hit = 1;
      if (v->x == w->x && v->x == x && std::min(v->y, w->y) <= y && y <= std::max(v->y, w->y)) hit = 1;
      if (v->y == w->y && v->y == y && std::min(v->x, w->x) <= x && x <= std::max(v->x, w->x)) hit = 1;
      v = w;
    }
    if (!hit) continue;
    if (mode == 0) {
      if (p->node != 0 && k != 0 && NodeTextClash(st, k, p->node)) continue;
      p->node = k;
    } else if (mode == 2) {
      if (k >= 0 && k < st.nodes.connCount) st.nodes.conn[k].node = p->node;
    } else if (k >= 0 && k < st.nodes.devCount) {
      st.nodes.dev[k].node = p->node;
    }
  }
}

// ---- tables ----

namespace {

const std::vector<LowerText>& LowerTextsOf(CktState& st, int32_t cell) {
  LowerTexts& m = st.names->lowerTexts;
  if (m.generation == st.names->generation && m.cell == cell && m.np == st.store->np && m.nv == st.store->nv)
    return m.texts;
  m.generation = st.names->generation;
  m.cell = cell;
  m.np = st.store->np;
  m.nv = st.store->nv;
  m.texts.clear();
  char text[CKT_TEXT_CHARS + 8];
  for (int32_t i = 1; i <= st.store->np; i++) {
    if (!TextOnLayer(st, i, st.set.col)) continue;
    LowerText t{0, 0, 0, 0, 0};
    if (TextPos(st, i, &t.x, &t.y)) {
      t.positioned = 1;
      TextOfPath(st, i, 10, text, sizeof text);
      t.seq = FirstNumber(text);
      t.layer = ConnectorLayerSuffix(text);
    }
    m.texts.push_back(t);
  }
  return m.texts;
}
}  // namespace

void LowerConnectorsCollect(CktState& st, int32_t instance, int32_t cell) {
  int first = 1;
  for (const LowerText& t : LowerTextsOf(st, cell)) {
    if (st.nodes.devCount >= CKT_MAX_DEVICES) {
      char msg[200];
      snprintf(msg, sizeof msg, "There are More Than %d Lower Connectors on %s ", CKT_MAX_DEVICES, st.run.cellName);
      ErrorCount(st, msg, 0);
      return;
    }
    if (!t.positioned) continue;
    int32_t x = t.x, y = t.y;
    const CktPlace& pl = st.store->place[0];
    PlaceTransform(st, 0, pl.x, pl.y, &x, &y);
    CktDevice& d = st.nodes.dev[st.nodes.devCount++];
    d.inst = instance;
    d.x = x;
    d.y = y;
    d.seq = t.seq;
    d.node = 0;
    d.layer = t.layer;
    if (first) st.nodes.devices++;
    first = 0;
  }
}

int SymbolAdd(CktState& st, int32_t cell, const char* text) {
  if (st.nodes.symCount >= CKT_MAX_SYMBOLS - 1) {
    char msg[200];
    snprintf(msg, sizeof msg, "Global Symbol Cell %s is One Too Many: at most %d Global Symbols ",
             st.store->cells[cell].name, CKT_MAX_SYMBOLS - 1);
    ErrorCount(st, msg, 0);
    return 0;
  }
  CktSymbol& s = st.nodes.sym[++st.nodes.symCount];
  s.cell = cell;
  snprintf(s.text, sizeof s.text, "%s", text);
  char* semi = strchr(s.text, ';');
  if (semi) *semi = 0;
  return 1;
}

namespace {
int32_t SymbolOfCell(CktState& st, int32_t cell) {
  for (int32_t j = 1; j <= st.nodes.symCount; j++)
    if (st.nodes.sym[j].cell == cell) return j;
  return 0;
}
}  // namespace

void SymbolsOnConnectors(CktState& st, int32_t instances) {
  // The symbol instances, in order, looked at for every open pin.
  std::vector<int32_t> symbols;
  for (int32_t i = 1; i <= instances; i++) {
    if (!InstRec(st, 0, i)) break;
    if (InstanceCell(st, 0, i)->flags & CELL_SYMBOL) symbols.push_back(i);
  }
  if (symbols.empty()) return;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    CktDevice& d = st.nodes.dev[e];
    if (d.node != 0) continue;
    for (int32_t i : symbols) {
      CktInst* a = InstRec(st, 0, i);
      if (!a || a->x != d.x || a->y != d.y) continue;
      int32_t j = SymbolOfCell(st, a->word & 0x3fff);
      if (j) {
        d.node = CKT_SYMBOL_BASE | j;
        break;
      }
    }
  }
}

void RealNamesOnConnectors(CktState& st) {
  st.nodes.directCount = 0;
  // Texts by position, each list in store order.
  std::unordered_map<uint64_t, std::vector<int32_t>> texts;
  for (int32_t i = 1; i <= st.store->np; i++) {
    int32_t x, y;
    if (TextOnLayer(st, i, st.set.nnl) && TextPos(st, i, &x, &y)) texts[PosKey(x, y)].push_back(i);
  }
  if (texts.empty()) return;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    CktDevice& d = st.nodes.dev[e];
    if (d.node != 0) continue;
    auto it = texts.find(PosKey(d.x, d.y));
    if (it == texts.end()) continue;
    for (int32_t t : it->second) {
      d.node = t;  // a later text on the same pin overwrites and counts again
      st.nodes.directCount++;
    }
  }
}

void RealNodesSearch(CktState& st) {
  for (int32_t i = 1; i <= st.store->np; i++) {
    if (i % 100 == 0 && AbortPoll(st, 0)) break;
    if (CktStopped(st)) break;
    if (!TextOnLayer(st, i, st.set.nnl)) continue;
    int32_t x, y;
    if (!TextPos(st, i, &x, &y) || ConnectorAt(st, x, y)) continue;
    st.nodes.realCount++;
    BoxesAtPoint(st, 0, x, y, i);
    LinesAtPoint(st, 0, x, y, i);
    AreaPathsAtPoint(st, 0, x, y, i);
  }
  AbortPoll(st, 10);
}

void SymbolNodesSearch(CktState& st, int32_t instances) {
  st.nodes.symbolCount = 0;
  for (int32_t i = 1; i <= instances && !CktStopped(st); i++) {
    CktInst* a = InstRec(st, 0, i);
    if (!a) break;
    const CktCell* c = InstanceCell(st, 0, i);
    if (!(c->flags & CELL_SYMBOL) || ConnectorAt(st, a->x, a->y)) continue;
    st.nodes.symbolCount++;
    int32_t j = SymbolOfCell(st, a->word & 0x3fff);
    if (!j) continue;
    int32_t n = CKT_SYMBOL_BASE | j;
    BoxesAtPoint(st, 0, a->x, a->y, n);
    LinesAtPoint(st, 0, a->x, a->y, n);
    AreaPathsAtPoint(st, 0, a->x, a->y, n);
  }
  AbortPoll(st, 10);
}

void ConnectorSearch(CktState& st, int32_t cell) {
  (void)cell;
  st.nodes.connCount = 0;
  char text[CKT_TEXT_CHARS + 8];
  char msg[200];
  for (int32_t i = 1; i <= st.store->np && !CktStopped(st); i++) {
    if (!TextOnLayer(st, i, st.set.col)) continue;
    if (st.nodes.connCount >= CKT_MAX_CONNECTORS) {
      snprintf(msg, sizeof msg, "There are Too Many Connectors on %s ", st.run.cellName);
      ErrorCount(st, msg, 0);
      break;
    }
    int32_t x, y;
    if (!TextPos(st, i, &x, &y)) continue;
    TextOfPath(st, i, 10, text, sizeof text);
    CktConn& c = st.nodes.conn[st.nodes.connCount++];
    c.text = i;
    c.x = x;
    c.y = y;
    c.seq = FirstNumber(text);
    c.node = 0;
    if (c.seq == 0) {
      snprintf(msg, sizeof msg, "Connector Text on %s has no Sequence Number ", st.run.cellName);
      if (ErrorCount(st, msg, 0)) break;
    }
  }
  std::stable_sort(st.nodes.conn, st.nodes.conn + st.nodes.connCount,
                   [](const CktConn& a, const CktConn& b) { return a.seq < b.seq; });
}

void PassBack(CktState& st) {
  StatusLine2(st, "Passing Node Names back to Open or Virtual Connectors ", 1);
  static std::vector<int32_t> boxes, paths;
  ConductorMemo cond;
  ConductorMemoReset(cond);
  for (int32_t e = 0; e < st.nodes.devCount && !CktStopped(st); e++) {
    CktDevice& d = st.nodes.dev[e];
    if (d.node > 0) continue;
    if (st.nodes.schematic) {
      LinesAtPoint(st, 1, d.x, d.y, e);
    } else {
      // One look-up of the candidates serves the boxes and the paths.
      PointCandidates(st, d.x, d.y, 1, boxes, paths);
      BoxesAmong(st, boxes, 3, d.x, d.y, e, cond);
      AreaPathsAmong(st, paths, 3, d.x, d.y, e, cond);
    }
  }
}

void ConnectorNodesCapture(CktState& st) {
  for (int32_t e = 0; e < st.nodes.connCount && !CktStopped(st); e++) {
    CktConn& c = st.nodes.conn[e];
    if (c.node != 0) continue;
    if (st.nodes.schematic) {
      LinesAtPoint(st, 2, c.x, c.y, e);
    } else {
      BoxesAtPoint(st, 2, c.x, c.y, e);
      LinesAtPoint(st, 2, c.x, c.y, e);
      AreaPathsAtPoint(st, 2, c.x, c.y, e);
    }
  }
}

void ConnectionKinds(CktState& st) {
  st.nodes.pinReal = st.nodes.pinVirtual = st.nodes.pinSymbol = 0;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    int32_t n = st.nodes.dev[e].node;
    if (n < 0) st.nodes.pinVirtual++;
    else if (n > CKT_SYMBOL_BASE) st.nodes.pinSymbol++;
    else if (n > 0) st.nodes.pinReal++;
  }
  st.nodes.pinReal -= st.nodes.directCount;
  st.nodes.pinDirect = st.nodes.directCount;
}

// ---- virtual nodes ----

void VirtualNodesCreate(CktState& st) {
  st.nodes.virtualCount = 0;
  for (int32_t i = 1; i <= st.store->nb && !CktStopped(st); i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    if (ConductorLayer(st, b->layer) && b->node == 0) b->node = -++st.nodes.virtualCount;
  }
  for (int32_t i = 1; i <= st.store->np && !CktStopped(st); i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0 || !PathIsArea(st, i)) continue;
    if (ConductorLayer(st, p->word) && p->node == 0) p->node = -++st.nodes.virtualCount;
  }
  if (st.nodes.virtualCount > CKT_VIRTUAL_WARN) {
    char msg[200];
    snprintf(msg, sizeof msg,
             "%d Initial Virtual Nodes were Created\n\nExpect a Long Compile Time ... Continue or Cancel",
             (int)st.nodes.virtualCount);
    if (HostMsgBox(msg, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL) st.run.abortFlag = 1;
  }
}

void SchematicVirtualNodesCreate(CktState& st) {
  st.nodes.virtualCount = 0;
  for (int32_t i = 1; i <= st.store->np && !CktStopped(st); i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0 || PathIsArea(st, i)) continue;
    if (ConductorLayer(st, p->word) && p->node == 0) p->node = -++st.nodes.virtualCount;
  }
  AbortPoll(st, 10);
}

namespace {
// Hands f the node number of every box, then of every path that is not a
// text (a text's word is negative), each by reference. The records of a
// page lie side by side, so one look-up serves a page.
template <class F>
void EachObjectNode(CktState& st, F f) {
  for (int32_t i = 1; i <= st.store->nb;) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    int32_t run = std::min<int32_t>(st.store->nb - i + 1, CKT_BOX_PER_PAGE - (i - 1) % CKT_BOX_PER_PAGE);
    for (int32_t k = 0; k < run; k++) f(b[k].node);
    i += run;
  }
  for (int32_t i = 1; i <= st.store->np;) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    int32_t run = std::min<int32_t>(st.store->np - i + 1, CKT_PATH_PER_PAGE - (i - 1) % CKT_PATH_PER_PAGE);
    for (int32_t k = 0; k < run; k++)
      if (p[k].word >= 0) f(p[k].node);
    i += run;
  }
}

// A value per node number: numbers 1..dense in a table, others in a map.
struct NumberTable {
  std::vector<int32_t> dense;
  std::unordered_map<int32_t, int32_t> other;
};

int32_t& NumberAt(NumberTable& t, int32_t n) {
  if (n >= 0 && (size_t)n < t.dense.size()) return t.dense[(size_t)n];
  return t.other[n];
}
}  // namespace

int32_t LargestNodeBelow(CktState& st, int32_t limit) {
  int32_t best = -5000000;
  EachObjectNode(st, [&](int32_t n) {
    if (n < limit && n > best) best = n;
  });
  return best;
}

int32_t SmallestNode(CktState& st) {
  int32_t m = -1;
  EachObjectNode(st, [&](int32_t n) { m = std::min(m, n); });
  return m;
}

// The distinct virtual numbers, larger first, become -1, -2, ...; one pass
// over the records with a table gives what renumbering value by value gives.
// The table is indexed by magnitude, which the numbers made by the tracing
// keep small; beyond that a sorted list serves.
void VirtualCondense(CktState& st) {
  StatusLine2(st, "Condensing and Sorting Virtual Nodes", 0);
  AbortPoll(st, 10);
  const int32_t kDense = 1 << 22;
  std::vector<int32_t> to;  // new number by magnitude; 0 keeps the old
  std::vector<int32_t> far;  // numbers of larger magnitude
  EachObjectNode(st, [&](int32_t n) {
    if (n >= 0) return;
    if (n < -kDense) {
      far.push_back(n);
      return;
    }
    size_t m = (size_t)-n;
    if (m >= to.size()) to.resize(std::max(m + 1, to.size() * 2), 0);
    to[m] = 1;
  });
  std::sort(far.begin(), far.end(), [](int32_t a, int32_t b) { return a > b; });
  far.erase(std::unique(far.begin(), far.end()), far.end());
  int32_t next = 0;
  for (size_t m = 1; m < to.size(); m++) {
    if (!to[m]) continue;
    to[m] = next < CKT_MAX_VIRTUAL ? -++next : 0;
  }
  std::unordered_map<int32_t, int32_t> farTo;
  for (int32_t n : far)
    if (next < CKT_MAX_VIRTUAL) farTo[n] = -++next;
  if (next == 0) return;
  auto renumber = [&](int32_t& node) {
    if (node >= 0) return;
    if (node >= -kDense) {
      int32_t v = (size_t)-node < to.size() ? to[(size_t)-node] : 0;
      if (v) node = v;
      return;
    }
    auto it = farTo.find(node);
    if (it != farTo.end()) node = it->second;
  };
  // Only a record look-up (out of memory) can stop the run here, so the
  // stop is asked once per page; a stopped run still renumbers up to the
  // tenth record, as a walk that asks every tenth record does.
  int stopped = CktStopped(st);
  for (int32_t i = 1; i <= st.store->nb;) {
    if (stopped && i % 10 == 0) return;
    CktBox* b = BoxRec(st, i);
    stopped = CktStopped(st);
    if (!b) break;
    int32_t run = std::min<int32_t>(st.store->nb - i + 1, CKT_BOX_PER_PAGE - (i - 1) % CKT_BOX_PER_PAGE);
    for (int32_t k = 0; k < run; k++, i++) {
      if (stopped && i % 10 == 0) return;
      renumber(b[k].node);
    }
  }
  for (int32_t i = 1; i <= st.store->np;) {
    if (stopped && i % 10 == 0) return;
    CktPath* p = PathRec(st, i);
    stopped = CktStopped(st);
    if (!p) break;
    int32_t run = std::min<int32_t>(st.store->np - i + 1, CKT_PATH_PER_PAGE - (i - 1) % CKT_PATH_PER_PAGE);
    for (int32_t k = 0; k < run; k++, i++) {
      if (stopped && i % 10 == 0) return;
      if (p[k].word >= 0) renumber(p[k].node);
    }
  }
}

// Objects whose real names are equal (ignoring case) take the number of the
// first of them, boxes first. Only real numbers take part, for paths too:
// a virtual path whose printed name happens to equal a real text keeps its
// own net (the clash is reported by VirtualNameClash). One walk: a number
// is named when the records first show it, which is the order in which the
// first of each name is met, and every record takes its number's first.
void RealSameNames(CktState& st) {
  StatusLine2(st, "Correcting Real Node Same Names", 0);
  AbortPoll(st, 10);
  NumberTable to;  // the number each real number becomes; 0 while unseen
  to.dense.assign((size_t)std::max<int32_t>(st.store->np, 0) + 1, 0);
  std::unordered_map<std::string, int32_t> first;
  EachObjectNode(st, [&](int32_t& n) {
    if (n <= 0) return;
    int32_t& t = NumberAt(to, n);
    if (!t) t = first.emplace(Lower(NodeName(st, n)), n).first->second;
    n = t;
  });
}

namespace {
// The magnitude of a virtual node a name would be (prefix, then 1 to 6
// digits not starting with 0, case ignored); 0 for none.
long VirtualNameNumber(const char* name, const char* prefix, size_t pl) {
  if (strncasecmp(name, prefix, pl) != 0) return 0;
  const char* d = name + pl;
  if (!*d || *d == '0' || strspn(d, "0123456789") != strlen(d) || strlen(d) > 6) return 0;
  return atol(d);
}
}  // namespace

void VirtualNameClash(CktState& st) {
  const char* prefix = st.set.val[GRP_MAIN][S_VNP];
  size_t pl = strlen(prefix);
  // A real number is a text's or a symbol's (any other is named "?"). When
  // none of those is named like a virtual node, which is usual, no clash
  // can be and the objects need not be walked; the texts are asked first
  // only while they are fewer than the boxes.
  if (st.store->np < st.store->nb) {
    int possible = 0;
    for (int32_t t = 1; t <= st.store->np && !possible; t++)
      possible = PathIsText(st, t) && VirtualNameNumber(NodeName(st, t), prefix, pl) != 0;
    for (int32_t j = 1; j <= st.nodes.symCount && !possible; j++)
      possible = VirtualNameNumber(NodeName(st, CKT_SYMBOL_BASE | j), prefix, pl) != 0;
    if (!possible) return;
  }
  // The distinct real numbers in ascending order: text numbers marked in a
  // table, any larger ones sorted after them.
  std::vector<char> realMark((size_t)std::max<int32_t>(st.store->np, 0) + 1, 0);
  std::vector<int32_t> beyond;
  std::vector<char> virt;  // by magnitude, up to the condensed range
  auto note = [&](int32_t n) {
    if (n > 0) {
      if ((size_t)n < realMark.size()) realMark[(size_t)n] = 1;
      else beyond.push_back(n);
    } else if (n < 0 && n >= -CKT_MAX_VIRTUAL) {
      if ((size_t)-n >= virt.size()) virt.resize((size_t)-n + 1, 0);
      virt[(size_t)-n] = 1;
    }
  };
  EachObjectNode(st, note);
  if (virt.empty()) return;  // no virtual name to clash with
  std::sort(beyond.begin(), beyond.end());
  beyond.erase(std::unique(beyond.begin(), beyond.end()), beyond.end());
  std::vector<int32_t> real;
  for (size_t n = 1; n < realMark.size(); n++)
    if (realMark[n]) real.push_back((int32_t)n);
  real.insert(real.end(), beyond.begin(), beyond.end());
  for (int32_t n : real) {
    const char* name = NodeName(st, n);
    long v = VirtualNameNumber(name, prefix, pl);
    if (v == 0) continue;
    if ((size_t)v < virt.size() && virt[(size_t)v]) {
      char msg[300];
      snprintf(msg, sizeof msg, "Cell %s has Real Node Text \"%s\" Equal to the Name of a Virtual Node ",
               st.run.cellName, name);
      if (ErrorCount(st, msg, 0)) return;
    }
  }
}

// ---- diagnostics ----

int RealNamesClash(CktState& st, int32_t a, int32_t b) {
  if (a <= 0 || b <= 0) return 0;
  std::string na = NodeName(st, a), nb = NodeName(st, b);
  if (strcasecmp(na.c_str(), nb.c_str()) != 0) {
    char msg[400];
    snprintf(msg, sizeof msg, "Cell %s has Real Node Text \"%s\" and \"%s\" on the Same Node ", st.run.cellName,
             na.c_str(), nb.c_str());
    ErrorCount(st, msg, 0);
  }
  return 1;
}

int NodeTextClash(CktState& st, int32_t newNode, int32_t oldNode) {
  std::string nn = NodeName(st, newNode), no = NodeName(st, oldNode);
  if (strcasecmp(nn.c_str(), no.c_str()) == 0) return 0;
  char msg[400];
  snprintf(msg, sizeof msg, "Cell %s has Node Text \"%s\" and \"%s\" on the Same Conductor Object ", st.run.cellName,
           nn.c_str(), no.c_str());
  return ErrorCount(st, msg, 0);
}

void ConnectorNameClash(CktState& st, int32_t pin, int32_t number) {
  if (pin < 0 || pin >= st.nodes.devCount) return;
  const CktDevice& d = st.nodes.dev[pin];
  // One number has one name: only a different number can clash (most
  // objects at a pin are on its node already).
  if (d.node <= 0 || d.node == number) return;
  std::string np = NodeName(st, d.node), nn = NodeName(st, number);
  if (strcasecmp(np.c_str(), nn.c_str()) == 0) return;
  char msg[400];
  snprintf(msg, sizeof msg, "Cell %s has Node Names \"%s\" and \"%s\" on the Same Connector at X=%.*g Y=%.*g ",
           CellNameOf(st, d.inst), np.c_str(), nn.c_str(), 9, Phys(st, d.x), 9, Phys(st, d.y));
  ErrorCount(st, msg, 0);
}

void NoLowerCells(CktState& st, int32_t cell) {
  if (st.nodes.devCount != 0) return;
  char msg[200];
  snprintf(msg, sizeof msg, "%s (%d) has no Lower Device or Subcircuit Cells ", st.store->cells[cell].name,
           (int)st.store->cells[cell].flags);
  ErrorCount(st, msg, 0);
}

namespace {
// Groups of device entries with the same instance and sequence number, in
// instance and sequence order, each group in table order. The entries are
// put together by instance in one counting pass; only an instance's own
// few entries are sorted.
std::vector<std::vector<int32_t>> PinGroups(CktState& st) {
  int32_t n = st.nodes.devCount;
  std::vector<std::vector<int32_t>> groups;
  if (n < 2) return groups;
  int32_t top = 0, dense = 1;
  for (int32_t i = 0; i < n; i++) {
    int32_t k = st.nodes.dev[i].inst;
    if (k < 0 || k > CKT_MAX_INSTANCES) dense = 0;
    else top = std::max(top, k);
  }
  std::vector<int32_t> idx((size_t)n);
  int inOrder = 1;  // the entries come by instance already (they are collected so)
  for (int32_t i = 1; i < n && inOrder; i++) inOrder = st.nodes.dev[i - 1].inst <= st.nodes.dev[i].inst;
  if (inOrder) {
    for (int32_t i = 0; i < n; i++) idx[(size_t)i] = i;
  } else if (dense) {
    std::vector<int32_t> start((size_t)top + 2, 0);
    for (int32_t i = 0; i < n; i++) start[(size_t)st.nodes.dev[i].inst + 1]++;
    for (size_t k = 1; k < start.size(); k++) start[k] += start[k - 1];
    for (int32_t i = 0; i < n; i++) idx[(size_t)start[(size_t)st.nodes.dev[i].inst]++] = i;
  } else {
    for (int32_t i = 0; i < n; i++) idx[(size_t)i] = i;
    std::stable_sort(idx.begin(), idx.end(),
                     [&st](int32_t a, int32_t b) { return st.nodes.dev[a].inst < st.nodes.dev[b].inst; });
  }
  std::vector<std::pair<int32_t, int32_t>> run;  // sequence number, entry
  for (size_t k = 0; k < idx.size();) {
    size_t e = k + 1;
    while (e < idx.size() && st.nodes.dev[idx[e]].inst == st.nodes.dev[idx[k]].inst) e++;
    // A few pins with distinct numbers (the usual case) form no group.
    int repeated = e - k > 8;
    for (size_t i = k; i < e && !repeated; i++)
      for (size_t j = i + 1; j < e && !repeated; j++) repeated = st.nodes.dev[idx[i]].seq == st.nodes.dev[idx[j]].seq;
    if (repeated) {
      run.clear();
      for (size_t i = k; i < e; i++) run.emplace_back(st.nodes.dev[idx[i]].seq, idx[i]);
      std::sort(run.begin(), run.end());
      for (size_t i = 0; i < run.size();) {
        size_t j = i + 1;
        while (j < run.size() && run[j].first == run[i].first) j++;
        if (j - i > 1) {
          std::vector<int32_t> g;
          for (size_t m = i; m < j; m++) g.push_back(run[m].second);
          groups.push_back(g);
        }
        i = j;
      }
    }
    k = e;
  }
  return groups;
}
}  // namespace

void LowerConnectorTwice(CktState& st, int32_t cell) {
  char msg[300];
  for (const auto& g : PinGroups(st))
    for (size_t i = 0; i < g.size(); i++)
      for (size_t j = i + 1; j < g.size(); j++) {
        const CktDevice& d = st.nodes.dev[g[i]];
        snprintf(msg, sizeof msg, "Cell %s in %s has more than One Connector %d ", CellNameOf(st, d.inst),
                 st.store->cells[cell].name, (int)d.seq);
        if (ErrorCount(st, msg, 0)) return;
      }
}

void ShortedPins(CktState& st) {
  char msg[400];
  for (const auto& g : PinGroups(st))
    for (size_t i = 0; i < g.size(); i++)
      for (size_t j = i + 1; j < g.size(); j++) {
        const CktDevice &a = st.nodes.dev[g[i]], &b = st.nodes.dev[g[j]];
        if (a.node == 0 || b.node == 0) continue;
        std::string na = NodeName(st, a.node), nb = NodeName(st, b.node);
        if (strcasecmp(na.c_str(), nb.c_str()) == 0) continue;
        snprintf(msg, sizeof msg, "Cell %s has Nodes %s and %s Shorted by the Same Connector Sequence Number %d ",
                 CellNameOf(st, a.inst), na.c_str(), nb.c_str(), (int)a.seq);
        if (ErrorCount(st, msg, 0)) return;
      }
}

void OpenPins(CktState& st) {
  char msg[300];
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    const CktDevice& d = st.nodes.dev[e];
    if (d.node != 0) continue;
    snprintf(msg, sizeof msg, "Connector %d on %s at X=%.*g Y=%.*g is Open\n\nConnect Rules may be Wrong", (int)d.seq,
             CellNameOf(st, d.inst), 9, Phys(st, d.x), 9, Phys(st, d.y));
    if (ErrorCount(st, msg, 0)) return;
  }
}

void ConnectorNumberTwice(CktState& st, int32_t cell) {
  char msg[300];
  for (int32_t i = 0; i < st.nodes.connCount; i++) {
    int32_t j = i + 1;
    while (j < st.nodes.connCount && st.nodes.conn[j].seq == st.nodes.conn[i].seq) j++;
    for (int32_t a = i; a < j; a++)
      for (int32_t b = a + 1; b < j; b++) {
        snprintf(msg, sizeof msg, "Cell %s has more than One Connector Sequence Number %d ",
                 st.store->cells[cell].name, (int)st.nodes.conn[a].seq);
        if (ErrorCount(st, msg, 0)) return;
      }
    i = j - 1;
  }
}

void NoNodeConnector(CktState& st, int32_t cell) {
  char msg[400];
  for (int32_t i = 0; i < st.nodes.connCount; i++) {
    const CktConn& c = st.nodes.conn[i];
    const char* name = NodeName(st, c.node);
    if (strcmp(name, "?") != 0) continue;
    snprintf(msg, sizeof msg,
             "Cell %s has Connector %d at X=%.*g Y=%.*g on an Unknown Node %s\n\nCheck Connection Rules in Setup",
             st.store->cells[cell].name, (int)c.seq, 9, Phys(st, c.x), 9, Phys(st, c.y), name);
    if (ErrorCount(st, msg, 0)) return;
  }
}

void ConnectorsSameNode(CktState& st, int32_t cell) {
  std::vector<std::string> names((size_t)st.nodes.connCount);
  std::vector<int32_t> idx((size_t)st.nodes.connCount);
  for (int32_t i = 0; i < st.nodes.connCount; i++) {
    names[(size_t)i] = Lower(NodeName(st, st.nodes.conn[i].node));
    idx[(size_t)i] = i;
  }
  std::stable_sort(idx.begin(), idx.end(), [&](int32_t a, int32_t b) { return names[(size_t)a] < names[(size_t)b]; });
  char msg[500];
  for (size_t k = 0; k < idx.size();) {
    size_t e = k + 1;
    while (e < idx.size() && names[(size_t)idx[e]] == names[(size_t)idx[k]]) e++;
    if (names[(size_t)idx[k]] != "?") {
      std::vector<int32_t> g(idx.begin() + (long)k, idx.begin() + (long)e);
      std::sort(g.begin(), g.end());
      for (size_t i = 0; i < g.size(); i++)
        for (size_t j = i + 1; j < g.size(); j++) {
          const CktConn &a = st.nodes.conn[g[i]], &b = st.nodes.conn[g[j]];
          if (a.seq == b.seq) continue;
          snprintf(msg, sizeof msg,
                   "Cell %s has Connectors %d at X=%.*g Y=%.*g and %d at X=%.*g Y=%.*g on the Same Node %s",
                   st.store->cells[cell].name, (int)a.seq, 9, Phys(st, a.x), 9, Phys(st, a.y), (int)b.seq, 9, Phys(st, b.x), 9,
                   Phys(st, b.y), NodeName(st, a.node));
          if (ErrorCount(st, msg, 0)) return;
        }
    }
    k = e;
  }
}

namespace {
void ReportLine(CktState& st, const char* text, int listOn, int logOn) {
  if (listOn && logOn) LogList(st, text, 3);
  else if (listOn) LogList(st, text, 1);
  else if (logOn) LogList(st, text, 2);
}

int BoxHolds(const CktBox* b, int32_t x, int32_t y) {
  return b->left <= x && x <= b->right && b->bottom <= y && y <= b->top;
}

int AreaPathHolds(CktState& st, int32_t i, int32_t x, int32_t y) {
  SetPoint(st, x, y);
  if (!LoadPathOutline(st, i, 1, 1, 0)) return 0;
  st.scan.cross[0][0] = x;
  st.scan.cross[0][1] = x;
  st.scan.crossLast[0] = 1;
  ScanRowCrossings(st, 1, y);
  CrossingSort(st, 1);
  return CrossingsOverlap(st) || OnHorizontalEdge(st, x, y);
}
}  // namespace

void NodeTextReport(CktState& st, int32_t cell) {
  CktCell& c = st.store->cells[cell];
  if (c.flags & CELL_NODE_TEXT_DONE) return;
  c.flags |= CELL_NODE_TEXT_DONE;
  int listOn = st.set.flag[S_CNT], logOn = st.set.flag[S_CNL];
  char line[400];
  for (int32_t i = 1; i <= st.nodes.ownPaths && !CktStopped(st); i++) {
    if (!TextOnLayer(st, i, st.set.nnl)) continue;
    int32_t x, y;
    if (!TextPos(st, i, &x, &y)) continue;
    std::string name = NodeName(st, i);
    if (ConnectorAt(st, x, y)) {
      snprintf(line, sizeof line, "Node Text \"%s\" at X=%.*g Y=%.*g in %s is located on a Connector ", name.c_str(), 9,
               Phys(st, x), 9, Phys(st, y), c.name);
      ReportLine(st, line, listOn, logOn);
      continue;
    }
    int found = 0;
    static std::vector<int32_t> boxes, paths;
    PointCandidates(st, x, y, 0, boxes, paths);
    for (int32_t b : boxes) {
      CktBox* bx = BoxRec(st, b);
      if (!bx) break;
      if (!BoxHolds(bx, x, y) || !ConductorLayer(st, bx->layer) || HiddenLayer(st, bx->layer) || !SuffixFitsBox(st, i, b)) continue;
      if (bx->right <= bx->left || bx->top <= bx->bottom) continue;
      snprintf(line, sizeof line, "Node Text \"%s\" at X=%.*g Y=%.*g in %s is on a Conductor Layer %d Box", name.c_str(),
               9, Phys(st, x), 9, Phys(st, y), c.name, bx->layer & 0x1ff);
      ReportLine(st, line, listOn, logOn);
      found = 1;
    }
    for (int32_t p : paths) {
      CktPath* pr = PathRec(st, p);
      if (!pr) break;
      if (pr->word < 0 || !ConductorLayer(st, pr->word) || HiddenLayer(st, pr->word) || !SuffixFitsPath(st, i, p)) continue;
      if (!AreaPathHolds(st, p, x, y)) continue;
      snprintf(line, sizeof line, "Node Text \"%s\" at X=%.*g Y=%.*g in %s is on a Conductor Layer %d Path",
               name.c_str(), 9, Phys(st, x), 9, Phys(st, y), c.name, pr->word & 0x1ff);
      ReportLine(st, line, listOn, logOn);
      found = 1;
    }
    if (!found) {
      snprintf(line, sizeof line, "Node Text \"%s\" at X=%.*g Y=%.*g in %s is NOT on a Conductor or Connector ",
               name.c_str(), 9, Phys(st, x), 9, Phys(st, y), c.name);
      ReportLine(st, line, listOn, logOn);
    }
  }
}

void ConnectorTextReport(CktState& st, int32_t cell) {
  CktCell& c = st.store->cells[cell];
  if (c.flags & CELL_CONN_TEXT_DONE) return;
  c.flags |= CELL_CONN_TEXT_DONE;
  int listOn = st.set.flag[S_CCT], logOn = st.set.flag[S_CCL];
  char line[400];
  char text[CKT_TEXT_CHARS + 8];
  for (int32_t i = 1; i <= st.nodes.ownPaths && !CktStopped(st); i++) {
    if (!TextOnLayer(st, i, st.set.col)) continue;
    int32_t x, y;
    if (!TextPos(st, i, &x, &y)) continue;
    TextOfPath(st, i, 10, text, sizeof text);
    int found = 0;
    static std::vector<int32_t> boxes, paths;
    PointCandidates(st, x, y, 0, boxes, paths);
    for (int32_t b : boxes) {
      CktBox* bx = BoxRec(st, b);
      if (!bx) break;
      if (!BoxHolds(bx, x, y) || !ConductorLayer(st, bx->layer) || HiddenLayer(st, bx->layer)) continue;
      if (bx->right <= bx->left || bx->top <= bx->bottom) continue;
      snprintf(line, sizeof line, "Connector Text \"%s\" at X=%.*g Y=%.*g in %s is on Conductor Layer %d Box", text, 9,
               Phys(st, x), 9, Phys(st, y), c.name, bx->layer & 0x1ff);
      ReportLine(st, line, listOn, logOn);
      found = 1;
    }
    for (int32_t p : paths) {
      CktPath* pr = PathRec(st, p);
      if (!pr) break;
      if (pr->word < 0 || !ConductorLayer(st, pr->word) || HiddenLayer(st, pr->word) || !AreaPathHolds(st, p, x, y)) continue;
      snprintf(line, sizeof line, "Connector Text \"%s\" at X=%.*g Y=%.*g in %s is on Conductor Layer %d Path", text,
               9, Phys(st, x), 9, Phys(st, y), c.name, pr->word & 0x1ff);
      ReportLine(st, line, listOn, logOn);
      found = 1;
    }
    if (!found) {
      snprintf(line, sizeof line, "Connector Text \"%s\" at X=%.*g Y=%.*g in %s is NOT on a Conductor Layer ", text, 9,
               Phys(st, x), 9, Phys(st, y), c.name);
      ReportLine(st, line, listOn, logOn);
    }
  }
}

}  // namespace ckt
