#include "ckt_extract.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_store.h"
#include "host.h"

namespace ckt {

CktExtract g_extract;

namespace {

int InList(const char (*list)[33], int n, const char* name) {
  for (int i = 0; i < n; i++)
    if (list[i][0] && strcasecmp(list[i], name) == 0) return 1;
  return 0;
}

int Outlined(const CktPlace& p) { return p.outline && !g_set.flag[S_OTL]; }

}  // namespace

int CellSmashed(int32_t cell) {
  const CktCell& c = g_store->cells[cell];
  return (c.flags & CELL_RANK_MASK) == 1 && !(c.flags & CELL_SYMBOL) && InList(g_set.smash, 32, c.name);
}

int CellOmitted(int32_t cell) {
  const CktCell& c = g_store->cells[cell];
  return !g_set.compileAll && !(c.flags & CELL_SYMBOL) && InList(g_set.omit, 20, c.name);
}

void GlobalSymbols(int32_t mainCell) {
  StatusLine("Examining Cell Collection", 0);
  for (int32_t i = 1; i <= g_store->cellCount && !CktStopped(); i++) {
    CktCell& c = g_store->cells[i];
    TlcReadCellObjs(c.name);
    if ((c.flags & CELL_RANK_MASK) == 1) c.flags |= CELL_DEVICE_NO_CONN;
    else if (i != mainCell) c.flags |= CELL_UPPER_NO_CONN;
    for (int32_t p = 1; p <= g_store->np; p++) {
      CktPath* r = PathRec(p);
      if (r && r->word < 0 && (r->word & 0x1ff) == g_set.col) {
        c.flags &= ~(CELL_DEVICE_NO_CONN | CELL_UPPER_NO_CONN);
        break;
      }
    }
  }
  AbortPoll(10);
  StatusLine("Finding Global Symbols", 0);
  g_nodes.symCount = 0;
  char text[CKT_TEXT_CHARS + 8];
  for (int32_t i = 1; i <= g_store->cellCount && !CktStopped(); i++) {
    CktCell& c = g_store->cells[i];
    if ((c.flags & CELL_RANK_MASK) != 1) continue;
    TlcReadCellObjs(c.name);
    for (int32_t p = 1; p <= g_store->np; p++) {
      CktPath* r = PathRec(p);
      if (r && r->word < 0 && (r->word & 0x1ff) == g_set.nnl) {
        TextOfPath(p, 10, text, sizeof text);
        // Beyond the table's 63 entries the cell is counted as an error
        // instead of being dropped in silence.
        if (SymbolAdd(i, text)) c.flags |= CELL_SYMBOL;
        break;
      }
    }
  }
  AbortPoll(10);
}

void SmashLoad(int32_t instances) {
  for (int32_t i = 1; i <= instances && !CktStopped(); i++) {
    InstanceFetch(0, i);
    const CktPlace& p = g_store->place[0];
    if (p.symbol) g_extract.symbolInstances++;
    if (CellSmashed(p.cell)) {
      TlcReadLower(p.name, p.x, p.y, 0);
      g_extract.smashedCells++;
    }
  }
}

void LowerFlatten(int d) {
  if (d < 0 || d >= CKT_BANKS) return;
  const CktPlace& p = g_store->place[d];
  int smashed = CellSmashed(p.cell);
  if ((p.symbol || d >= g_nodes.levelDepth) && !(smashed && d <= g_nodes.levelDepth)) return;
  if (Outlined(p)) return;
  if (g_nodes.schematic && p.rank <= 1) return;
  TlcReadLower(p.name, g_store->accX, g_store->accY, d);
  // Below the level depth only smashed cells are loaded: without any the
  // lower instances need not be read.
  int anySmash = 0;
  for (int i = 0; i < 32 && !anySmash; i++) anySmash = g_set.smash[i][0] != 0;
  if (p.rank >= 2 && d + 1 < CKT_BANKS && (d + 1 < g_nodes.levelDepth || anySmash)) {
    char name[33];
    snprintf(name, sizeof name, "%s", p.name);
    TlcReadC(name, d + 1);
    int32_t n = g_store->bankCount[d + 1];
    for (int32_t i = 1; i <= n && !CktStopped(); i++) {
      InstanceFetch(d + 1, i);
      LowerFlatten(d + 1);
    }
  }
}

void LowerLoad() {
  int32_t prev = -1;
  for (int32_t e = 0; e < g_nodes.devCount && !CktStopped(); e++) {
    int32_t inst = g_nodes.dev[e].inst;
    if (inst == prev) continue;
    prev = inst;
    InstanceFetch(0, inst);
    LowerFlatten(0);
    g_extract.lowerCells++;
  }
  AbortPoll(10);
}

int CellExtract(int32_t cell, int32_t n, int isMain) {
  CktCell& c = g_store->cells[cell];
  snprintf(g_cktRun.cellName, sizeof g_cktRun.cellName, "%s", c.name);
  int rank = c.flags & CELL_RANK_MASK;
  NodesReset();
  g_scan.overflow = 0;
  g_nodes.schematic = g_set.flag[S_SCH];
  int depth = rank - 1;
  if (!g_nodes.schematic && !(g_set.flag[S_ALD] || g_set.antOn)) depth = g_set.cld < depth ? g_set.cld : depth;
  g_nodes.levelDepth = depth;
  g_extract.smashedCells = g_extract.lowerCells = g_extract.symbolInstances = 0;
  char msg[300];
  snprintf(msg, sizeof msg, "\n\n*** Compiling %s ***\n", c.name);
  LogPut(msg);
  snprintf(msg, sizeof msg, "Using %s Rules at Level Depth %d\n", g_nodes.schematic ? "Schematic" : "Layout", depth);
  LogPut("\nMessages:\n");
  LogPut(msg);

  StatusLine("Searching for Devices", 1);
  int32_t inStore = -1;  // the store still holds this cell's objects
  for (int32_t j = 1; j <= n && !CktStopped(); j++) {
    InstanceFetch(0, j);
    const CktPlace& p = g_store->place[0];
    if (CellOmitted(p.cell) || Outlined(p)) continue;
    if (p.cell != inStore) TlcReadCellObjs(p.name);
    inStore = p.cell;
    LowerConnectorsCollect(j, p.cell);
  }
  if (CktStopped()) return -1;
  NoLowerCells(cell);
  LowerConnectorTwice(cell);
  if (CktStopped()) return -1;

  StatusLine("Loading Cell Boxes and Paths", 1);
  TlcReadBPV(c.name);
  snprintf(msg, sizeof msg, "%d Cells  %d Boxes  %d Paths  %d Text", (int)n, (int)g_store->nb,
           (int)(g_store->np - g_store->nt), (int)g_store->nt);
  LogList(msg, g_set.flag[S_SOC] ? 3 : 2);
  if (CktStopped()) return -1;

  StatusLine("Finding Real Node Names Directly on Connectors", 1);
  SymbolsOnConnectors(n);
  RealNamesOnConnectors();
  int32_t nb0 = g_store->nb, np0 = g_store->np;
  SmashLoad(n);
  g_nodes.ownBoxes = g_store->nb;
  g_nodes.ownPaths = g_store->np;
  if (g_store->nb != nb0 || g_store->np != np0) {
    snprintf(msg, sizeof msg, "%d Boxes  %d Paths Added from %d Smashed Cells, %d Boxes  %d Paths  %d Text Total",
             (int)(g_store->nb - nb0), (int)(g_store->np - np0), (int)g_extract.smashedCells, (int)g_store->nb,
             (int)(g_store->np - g_store->nt), (int)g_store->nt);
    LogList(msg, g_set.flag[S_SOC] ? 3 : 2);
  }
  nb0 = g_store->nb;
  np0 = g_store->np;
  LowerLoad();
  if (g_store->nb != nb0 || g_store->np != np0) {
    snprintf(msg, sizeof msg, "%d Boxes  %d Paths Added from %d Lower Cells, %d Boxes  %d Paths  %d Text Total",
             (int)(g_store->nb - nb0), (int)(g_store->np - np0), (int)g_extract.lowerCells, (int)g_store->nb,
             (int)(g_store->np - g_store->nt), (int)g_store->nt);
    LogList(msg, g_set.flag[S_SOC] ? 3 : 2);
  }
  if (CktStopped()) return -1;
  if (g_nodes.useIndex) IndexBuild();

  StatusLine("Searching for Real Nodes", 1);
  RealNodesSearch();
  StatusLine("Searching for Symbol Nodes", 1);
  SymbolNodesSearch(n);
  StatusLine("Searching for Connectors", 1);
  ConnectorSearch(cell);
  ConnectorNumberTwice(cell);
  if (CktStopped()) { IndexDrop(); return -1; }

  if (g_nodes.schematic) {
    SchematicPasses(0);
    StatusLine("Creating Schematic Virtual Nodes", 1);
    SchematicVirtualNodesCreate();
    SchematicPasses(1);
  } else {
    StatusLine("Connecting Real Nodes", 1);
    NodeRelax(0);
    StatusLine("Creating Virtual Nodes", 1);
    StatusLine2("", 0);
    VirtualNodesCreate();
    StatusLine("Connecting and Reducing Virtual Nodes", 1);
    NodeRelax(1);
  }
  if (CktStopped()) { IndexDrop(); return -1; }

  StatusLine("Doing Final Sorts and Checks before Writing Spice File", 1);
  RealSameNames();
  VirtualCondense();
  VirtualNameClash();
  PassBack();
  ConnectionKinds();
  ConnectorNodesCapture();
  NoNodeConnector(cell);
  ConnectorsSameNode(cell);
  OpenPins();
  StatusLine("Checking for Same Connector Sequence Numbers", 0);
  ShortedPins();
  if (CktStopped()) { IndexDrop(); return -1; }

  if (g_scan.overflow) {
    // Points or crossings beyond the outline buffers were dropped: some
    // connection of this cell may be missing.
    snprintf(msg, sizeof msg, "Cell %s has an Outline of more than %d Points ... Connections may be Missing ", c.name,
             (int)CKT_OUTLINE_MAX);
    ErrorCount(msg, 0);
    g_scan.overflow = 0;
  }
  if (g_set.flag[S_CNL] || g_set.flag[S_CNT]) NodeTextReport(cell);
  if (g_set.flag[S_CCL] || g_set.flag[S_CCT]) ConnectorTextReport(cell);
  if (g_extract.cellDone) g_extract.cellDone(cell, isMain);
  IndexDrop();
  snprintf(msg, sizeof msg, "%s %s Done", isMain ? "Main Circuit" : "Subcircuit", c.name);
  StatusLine(msg, 0);
  c.flags |= CELL_COMPILED;
  return CktStopped() ? -1 : 1;
}

int CellCompile(int32_t cell, int32_t n, int isMain) {
  if (CktStopped()) return -1;
  CktCell& c = g_store->cells[cell];
  if ((c.flags & CELL_COMPILED) || (c.flags & CELL_UPPER_NO_CONN) || CellOmitted(cell) || n == 0) return 0;
  g_extract.depthCounter++;
  char msg[200];
  for (int32_t i = 1; i <= n; i++) {
    InstanceFetch(0, i);
    CktPlace p = g_store->place[0];
    if (p.outline && !g_set.flag[S_OTL]) {
      snprintf(msg, sizeof msg, "Cell %s in %s is Outlined", p.name, c.name);
      LogList(msg, 1);
      snprintf(msg, sizeof msg, "\nWARNING ... Cell %s in %s is Outlined", p.name, c.name);
      LogPut(msg);
    }
    // A cell compiled already in this pass (or one that is never compiled)
    // would return at once: its instances are not read, nor this cell's
    // read back, which would make a cell of n placements cost n^2.
    const CktCell& lower = g_store->cells[p.cell];
    int pending = !(lower.flags & (CELL_COMPILED | CELL_UPPER_NO_CONN));
    if (pending && p.rank > 1 && !CellOmitted(p.cell) && !(p.outline && !g_set.flag[S_OTL]) &&
        g_extract.depthCounter < CKT_BANKS) {
      snprintf(g_extract.hierName[g_extract.depthCounter], sizeof g_extract.hierName[0], "%s", p.name);
      TlcReadC(p.name, 0);
      int r = CellCompile(p.cell, g_store->bankCount[0], 0);
      TlcReadC(c.name, 0);
      if (r < 0) {
        g_extract.depthCounter--;
        return -1;
      }
    }
    if (AbortPoll(0) || CktStopped()) {
      g_extract.depthCounter--;
      return -1;
    }
  }
  g_extract.depthCounter--;
  // The script pass leaves the main cell to the Spice pass unless asked.
  if (isMain && g_extract.scriptPass && !g_set.flag[S_WMC]) return 1;
  return CellExtract(cell, n, isMain);
}

int ExtractRun(const char* mainName, const char* logPath) {
  CktRunBegin();
  StoreRunBegin();
  NodesReset();
  g_extract.depthCounter = 0;
  for (int32_t i = 1; i <= g_store->cellCount; i++) g_store->cells[i].flags &= ~(0x7f << 24);
  char msg[300];
  int32_t main = GetCinfo(mainName);
  if (!main) {
    snprintf(msg, sizeof msg, "Cell %s is Missing ... Can't Continue", mainName ? mainName : "");
    HostError(msg);
    g_cktRun.abortFlag = 1;
    snprintf(g_set.val[GRP_MAIN][S_CFN], CKT_VALUE, "?");
    return 0;
  }
  g_extract.mainCell = main;
  if (logPath) {
    g_cktRun.log = fopen(logPath, "w");
    if (!g_cktRun.log) {
      HostError("Unable to Write Log File ... Can't Continue");
      g_cktRun.abortFlag = 1;
      return 0;
    }
    time_t now = time(nullptr);
    char date[16], tim[16];
    strftime(date, sizeof date, "%m/%d/%y", localtime(&now));
    strftime(tim, sizeof tim, "%H:%M:%S", localtime(&now));
    fprintf(g_cktRun.log, "*** Compile Log for %s  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n",
            g_store->cells[main].name, CKT_VERSION, date, tim);
    LogPut("\n\n**** Start of Spice Compile ****\n");
  }
  GlobalSymbols(main);
  StatusLine("Starting Recursive Compile", 1);
  int result = 1;
  if (g_store->cells[main].nc == 0 || (g_store->cells[main].flags & CELL_RANK_MASK) < 2) {
    HostError("No Lower Cells in Main Cell");
    g_cktRun.abortFlag = 1;
    result = 0;
  } else {
    TlcReadC(g_store->cells[main].name, 0);
    if (CellCompile(main, g_store->bankCount[0], 1) < 0) g_cktRun.abortFlag = 1;
    if (g_cktRun.oomFlag) {
      HostError("Fatal Object Manager Error");
      result = 0;
    } else if (g_cktRun.abortFlag) {
      result = 0;
    }
  }
  snprintf(msg, sizeof msg, "%s ... %d Warnings  %d Errors", result ? "Extraction Finished" : "Aborted",
           g_cktRun.warnCount, g_cktRun.errCount);
  LogList(msg, 3);
  if (g_cktRun.log) {
    fclose(g_cktRun.log);
    g_cktRun.log = nullptr;
  }
  return result;
}

}  // namespace ckt
