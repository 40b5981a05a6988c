#include "ckt_extract.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_script.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"

namespace ckt {


namespace {

int InList(const char (*list)[33], int n, const char* name) {
  for (int i = 0; i < n; i++)
    if (list[i][0] && strcasecmp(list[i], name) == 0) return 1;
  return 0;
}

int Outlined(CktState& st, const CktPlace& p) { return p.outline && !st.set.flag[S_OTL]; }

}  // namespace

int CellSmashed(CktState& st, int32_t cell) {
  const CktCell& c = st.store->cells[cell];
  return (c.flags & CELL_RANK_MASK) == 1 && !(c.flags & CELL_SYMBOL) && InList(st.set.smash, 32, c.name);
}

int CellOmitted(CktState& st, int32_t cell) {
  const CktCell& c = st.store->cells[cell];
  return !st.set.compileAll && !(c.flags & CELL_SYMBOL) && InList(st.set.omit, 20, c.name);
}

void GlobalSymbols(CktState& st, int32_t mainCell) {
  StatusLine(st, "Examining Cell Collection", 0);
  for (int32_t i = 1; i <= st.store->cellCount && !CktStopped(st); i++) {
    CktCell& c = st.store->cells[i];
    TlcReadCellObjs(st, c.name);
    if ((c.flags & CELL_RANK_MASK) == 1) c.flags |= CELL_DEVICE_NO_CONN;
    else if (i != mainCell) c.flags |= CELL_UPPER_NO_CONN;
    for (int32_t p = 1; p <= st.store->np; p++) {
      CktPath* r = PathRec(st, p);
      if (r && r->word < 0 && (r->word & 0x1ff) == st.set.col) {
        c.flags &= ~(CELL_DEVICE_NO_CONN | CELL_UPPER_NO_CONN);
        break;
      }
    }
  }
  AbortPoll(st, 10);
  StatusLine(st, "Finding Global Symbols", 0);
  st.nodes.symCount = 0;
  char text[CKT_TEXT_CHARS + 8];
  for (int32_t i = 1; i <= st.store->cellCount && !CktStopped(st); i++) {
    CktCell& c = st.store->cells[i];
    if ((c.flags & CELL_RANK_MASK) != 1) continue;
    TlcReadCellObjs(st, c.name);
    for (int32_t p = 1; p <= st.store->np; p++) {
      CktPath* r = PathRec(st, p);
      if (r && r->word < 0 && (r->word & 0x1ff) == st.set.nnl) {
        TextOfPath(st, p, 10, text, sizeof text);
        // Beyond the table's 63 entries the cell is counted as an error
        // instead of being dropped in silence.
        if (SymbolAdd(st, i, text)) c.flags |= CELL_SYMBOL;
        break;
      }
    }
  }
  AbortPoll(st, 10);
}

void SmashLoad(CktState& st, int32_t instances) {
  for (int32_t i = 1; i <= instances && !CktStopped(st); i++) {
    InstanceFetch(st, 0, i);
    const CktPlace& p = st.store->place[0];
    if (p.symbol) st.extract.symbolInstances++;
    if (CellSmashed(st, p.cell)) {
      TlcReadLower(st, p.name, p.x, p.y, 0);
      st.extract.smashedCells++;
    }
  }
}

void LowerFlatten(CktState& st, int d) {
  if (d < 0 || d >= CKT_BANKS) return;
  const CktPlace& p = st.store->place[d];
  int smashed = CellSmashed(st, p.cell);
  if ((p.symbol || d >= st.nodes.levelDepth) && !(smashed && d <= st.nodes.levelDepth)) return;
  if (Outlined(st, p)) return;
  if (st.nodes.schematic && p.rank <= 1) return;
  TlcReadLower(st, p.name, st.store->accX, st.store->accY, d);
  // Below the level depth only smashed cells are loaded: without any the
  // lower instances need not be read.
  int anySmash = 0;
  for (int i = 0; i < 32 && !anySmash; i++) anySmash = st.set.smash[i][0] != 0;
  if (p.rank >= 2 && d + 1 < CKT_BANKS && (d + 1 < st.nodes.levelDepth || anySmash)) {
    char name[33];
    snprintf(name, sizeof name, "%s", p.name);
    TlcReadC(st, name, d + 1);
    int32_t n = st.store->bankCount[d + 1];
    for (int32_t i = 1; i <= n && !CktStopped(st); i++) {
      InstanceFetch(st, d + 1, i);
      LowerFlatten(st, d + 1);
    }
  }
}

void LowerLoad(CktState& st) {
  int32_t prev = -1;
  for (int32_t e = 0; e < st.nodes.devCount && !CktStopped(st); e++) {
    int32_t inst = st.nodes.dev[e].inst;
    if (inst == prev) continue;
    prev = inst;
    InstanceFetch(st, 0, inst);
    LowerFlatten(st, 0);
    st.extract.lowerCells++;
  }
  AbortPoll(st, 10);
}

namespace {

// The cell's run settings (rules, level depth) and its heading in the log.
void CellExtractStart(CktState& st, int32_t cell) {
  CktCell& c = st.store->cells[cell];
  snprintf(st.run.cellName, sizeof st.run.cellName, "%s", c.name);
  int rank = c.flags & CELL_RANK_MASK;
  NodesReset(st);
  st.scan.overflow = 0;
  st.nodes.schematic = st.set.flag[S_SCH];
  int depth = rank - 1;
  if (!st.nodes.schematic && !(st.set.flag[S_ALD] || st.set.antOn)) depth = st.set.cld < depth ? st.set.cld : depth;
  st.nodes.levelDepth = depth;
  st.extract.smashedCells = st.extract.lowerCells = st.extract.symbolInstances = 0;
  char msg[300];
  snprintf(msg, sizeof msg, "\n\n*** Compiling %s ***\n", c.name);
  LogPut(st, msg);
  snprintf(msg, sizeof msg, "Using %s Rules at Level Depth %d\n", st.nodes.schematic ? "Schematic" : "Layout", depth);
  LogPut(st, "\nMessages:\n");
  LogPut(st, msg);
}

// The lower cells' connectors, then the cell's own, smashed and lower
// geometry into the store; -1 when the run stops.
int CellLoad(CktState& st, int32_t cell, int32_t n) {
  const CktCell& c = st.store->cells[cell];
  char msg[300];
  StatusLine(st, "Searching for Devices", 1);
  int32_t inStore = -1;  // the store still holds this cell's objects
  for (int32_t j = 1; j <= n && !CktStopped(st); j++) {
    InstanceFetch(st, 0, j);
    const CktPlace& p = st.store->place[0];
    if (CellOmitted(st, p.cell) || Outlined(st, p)) continue;
    if (p.cell != inStore) {
      TlcReadCellObjs(st, p.name);
      // The lower cell's pins include the connectors its script added.
      if (st.compile.scriptsRead && p.rank > 1) ScriptRead(st, p.cell);
    }
    inStore = p.cell;
    LowerConnectorsCollect(st, j, p.cell);
  }
  if (CktStopped(st)) return -1;
  NoLowerCells(st, cell);
  LowerConnectorTwice(st, cell);
  if (CktStopped(st)) return -1;

  StatusLine(st, "Loading Cell Boxes and Paths", 1);
  TlcReadBPV(st, c.name);
  if (st.compile.scriptsRead && (c.flags & CELL_RANK_MASK) > 1 && (cell != st.extract.mainCell || st.set.flag[S_WMC]))
    ScriptRead(st, cell);
  snprintf(msg, sizeof msg, "%d Cells  %d Boxes  %d Paths  %d Text", (int)n, (int)st.store->nb,
           (int)(st.store->np - st.store->nt), (int)st.store->nt);
  LogList(st, msg, st.set.flag[S_SOC] ? 3 : 2);
  if (CktStopped(st)) return -1;

  StatusLine(st, "Finding Real Node Names Directly on Connectors", 1);
  SymbolsOnConnectors(st, n);
  RealNamesOnConnectors(st);
  int32_t nb0 = st.store->nb, np0 = st.store->np;
  SmashLoad(st, n);
  st.nodes.ownBoxes = st.store->nb;
  st.nodes.ownPaths = st.store->np;
  if (st.store->nb != nb0 || st.store->np != np0) {
    snprintf(msg, sizeof msg, "%d Boxes  %d Paths Added from %d Smashed Cells, %d Boxes  %d Paths  %d Text Total",
             (int)(st.store->nb - nb0), (int)(st.store->np - np0), (int)st.extract.smashedCells, (int)st.store->nb,
             (int)(st.store->np - st.store->nt), (int)st.store->nt);
    LogList(st, msg, st.set.flag[S_SOC] ? 3 : 2);
  }
  nb0 = st.store->nb;
  np0 = st.store->np;
  LowerLoad(st);
  if (st.store->nb != nb0 || st.store->np != np0) {
    snprintf(msg, sizeof msg, "%d Boxes  %d Paths Added from %d Lower Cells, %d Boxes  %d Paths  %d Text Total",
             (int)(st.store->nb - nb0), (int)(st.store->np - np0), (int)st.extract.lowerCells, (int)st.store->nb,
             (int)(st.store->np - st.store->nt), (int)st.store->nt);
    LogList(st, msg, st.set.flag[S_SOC] ? 3 : 2);
  }
  if (CktStopped(st)) return -1;
  return 0;
}

// Node numbers and names from the loaded geometry, then the checks of the
// connectors and pins; -1 when the run stops.
int CellTrace(CktState& st, int32_t cell, int32_t n) {
  StatusLine(st, "Searching for Real Nodes", 1);
  RealNodesSearch(st);
  StatusLine(st, "Searching for Symbol Nodes", 1);
  SymbolNodesSearch(st, n);
  StatusLine(st, "Searching for Connectors", 1);
  ConnectorSearch(st, cell);
  ConnectorNumberTwice(st, cell);
  if (CktStopped(st)) return -1;

  if (st.nodes.schematic) {
    SchematicPasses(st, 0);
    StatusLine(st, "Creating Schematic Virtual Nodes", 1);
    SchematicVirtualNodesCreate(st);
    SchematicPasses(st, 1);
  } else {
    StatusLine(st, "Connecting Real Nodes", 1);
    NodeRelax(st, 0);
    StatusLine(st, "Creating Virtual Nodes", 1);
    StatusLine2(st, "", 0);
    VirtualNodesCreate(st);
    StatusLine(st, "Connecting and Reducing Virtual Nodes", 1);
    NodeRelax(st, 1);
  }
  if (CktStopped(st)) return -1;

  StatusLine(st, "Doing Final Sorts and Checks before Writing Spice File", 1);
  RealSameNames(st);
  VirtualCondense(st);
  VirtualNameClash(st);
  PassBack(st);
  ConnectionKinds(st);
  ConnectorNodesCapture(st);
  NoNodeConnector(st, cell);
  ConnectorsSameNode(st, cell);
  OpenPins(st);
  StatusLine(st, "Checking for Same Connector Sequence Numbers", 0);
  ShortedPins(st);
  return CktStopped(st) ? -1 : 0;
}

}  // namespace

int CellExtract(CktState& st, int32_t cell, int32_t n, int isMain) {
  CellExtractStart(st, cell);
  if (CellLoad(st, cell, n) < 0) return -1;
  if (st.nodes.useIndex) IndexBuild(st);
  if (CellTrace(st, cell, n) < 0) {
    IndexDrop(st);
    return -1;
  }
  CktCell& c = st.store->cells[cell];
  char msg[300];
  if (st.scan.overflow) {
    // Points or crossings beyond the outline buffers were dropped: some
    // connection of this cell may be missing.
    snprintf(msg, sizeof msg, "Cell %s has an Outline of more than %d Points ... Connections may be Missing ", c.name,
             (int)CKT_OUTLINE_MAX);
    ErrorCount(st, msg, 0);
    st.scan.overflow = 0;
  }
  if (st.set.flag[S_CNL] || st.set.flag[S_CNT]) NodeTextReport(st, cell);
  if (st.set.flag[S_CCL] || st.set.flag[S_CCT]) ConnectorTextReport(st, cell);
  if (st.extract.cellDone) st.extract.cellDone(st, cell, isMain);
  IndexDrop(st);
  snprintf(msg, sizeof msg, "%s %s Done", isMain ? "Main Circuit" : "Subcircuit", c.name);
  StatusLine(st, msg, 0);
  c.flags |= CELL_COMPILED;
  return CktStopped(st) ? -1 : 1;
}

int CellCompile(CktState& st, int32_t cell, int32_t n, int isMain) {
  if (CktStopped(st)) return -1;
  CktCell& c = st.store->cells[cell];
  if ((c.flags & CELL_COMPILED) || (c.flags & CELL_UPPER_NO_CONN) || CellOmitted(st, cell) || n == 0) return 0;
  st.extract.depthCounter++;
  char msg[200];
  for (int32_t i = 1; i <= n; i++) {
    InstanceFetch(st, 0, i);
    CktPlace p = st.store->place[0];
    if (p.outline && !st.set.flag[S_OTL]) {
      snprintf(msg, sizeof msg, "Cell %s in %s is Outlined", p.name, c.name);
      LogList(st, msg, 1);
      snprintf(msg, sizeof msg, "\nWARNING ... Cell %s in %s is Outlined", p.name, c.name);
      LogPut(st, msg);
    }
    // A cell compiled already in this pass (or one that is never compiled)
    // would return at once: its instances are not read, nor this cell's
    // read back, which would make a cell of n placements cost n^2.
    const CktCell& lower = st.store->cells[p.cell];
    int pending = !(lower.flags & (CELL_COMPILED | CELL_UPPER_NO_CONN));
    if (pending && p.rank > 1 && !CellOmitted(st, p.cell) && !(p.outline && !st.set.flag[S_OTL]) &&
        st.extract.depthCounter < CKT_BANKS) {
      snprintf(st.extract.hierName[st.extract.depthCounter], sizeof st.extract.hierName[0], "%s", p.name);
      TlcReadC(st, p.name, 0);
      int r = CellCompile(st, p.cell, st.store->bankCount[0], 0);
      TlcReadC(st, c.name, 0);
      if (r < 0) {
        st.extract.depthCounter--;
        return -1;
      }
    }
    if (AbortPoll(st, 0) || CktStopped(st)) {
      st.extract.depthCounter--;
      return -1;
    }
  }
  st.extract.depthCounter--;
  // The script pass leaves the main cell to the Spice pass unless asked.
  if (isMain && st.extract.scriptPass && !st.set.flag[S_WMC]) return 1;
  return CellExtract(st, cell, n, isMain);
}

int ExtractRun(CktState& st, const char* mainName, const char* logPath) {
  CktRunBegin(st);
  StoreRunBegin(st);
  NodesReset(st);
  st.extract.depthCounter = 0;
  for (int32_t i = 1; i <= st.store->cellCount; i++) st.store->cells[i].flags &= ~(0x7f << 24);
  char msg[300];
  int32_t main = GetCinfo(st, mainName);
  if (!main) {
    snprintf(msg, sizeof msg, "Cell %s is Missing ... Can't Continue", mainName ? mainName : "");
    HostError(msg);
    st.run.abortFlag = 1;
    snprintf(st.set.val[GRP_MAIN][S_CFN], CKT_VALUE, "?");
    return 0;
  }
  st.extract.mainCell = main;
  if (logPath) {
    st.run.log = QFileOpen(logPath, "w");
    if (!st.run.log) {
      HostError("Unable to Write Log File ... Can't Continue");
      st.run.abortFlag = 1;
      return 0;
    }
    time_t now = time(nullptr);
    char date[16], tim[16];
    strftime(date, sizeof date, "%m/%d/%y", localtime(&now));
    strftime(tim, sizeof tim, "%H:%M:%S", localtime(&now));
    fprintf(st.run.log.get(), "*** Compile Log for %s  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n",
            st.store->cells[main].name, CKT_VERSION, date, tim);
    LogPut(st, "\n\n**** Start of Spice Compile ****\n");
  }
  GlobalSymbols(st, main);
  StatusLine(st, "Starting Recursive Compile", 1);
  int result = 1;
  if (st.store->cells[main].nc == 0 || (st.store->cells[main].flags & CELL_RANK_MASK) < 2) {
    HostError("No Lower Cells in Main Cell");
    st.run.abortFlag = 1;
    result = 0;
  } else {
    TlcReadC(st, st.store->cells[main].name, 0);
    if (CellCompile(st, main, st.store->bankCount[0], 1) < 0) st.run.abortFlag = 1;
    if (st.run.oomFlag) {
      HostError("Fatal Object Manager Error");
      result = 0;
    } else if (st.run.abortFlag) {
      result = 0;
    }
  }
  snprintf(msg, sizeof msg, "%s ... %d Warnings  %d Errors", result ? "Extraction Finished" : "Aborted",
           st.run.warnCount, st.run.errCount);
  LogList(st, msg, 3);
  QFileClose(&st.run.log);
  return result;
}

}  // namespace ckt
