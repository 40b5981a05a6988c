// The compile driver: one run over the main cell's hierarchy in a script
// pass (when connector scripts are wanted) and a Spice pass, and the
// writing of every compiled cell's blocks while its nodes are in the store.
#include "ckt_compile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_store.h"
#include "host.h"

namespace ckt {

CktCompile g_compile;

namespace {

void FilesClose() {
  if (g_compile.cir) fclose(g_compile.cir);
  if (g_compile.nod) fclose(g_compile.nod);
  g_compile.cir = g_compile.nod = nullptr;
}

// Buffers of the circuit and node list files: a cell writes a line per
// placement, and the stream's own small buffer would make a system call
// every few lines.
char g_cirBuf[1 << 16], g_nodBuf[1 << 16];

std::string InFolder(const char* name) {
  if (!name[0] || name[0] == '/' || name[0] == '\\' || strchr(name, ':')) return name;
  return std::string(g_store->folder) + name;
}

// Asks about a header or footer file that cannot be read; 1 when the user
// cancels the run.
int CopyOrAsk(const char* path, const char* missing) {
  if (!path[0] || CktCopyFile(path) == 0) return 0;
  return HostMsgBox(missing, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL;
}

// Title of a cell: its name, or with full names the names from the main
// cell down to it joined with ".".
std::string Title(int32_t cell) {
  if (!g_set.flag[S_SFC]) return g_store->cells[cell].name;
  std::string t;
  int depth = g_extract.depthCounter;
  if (depth < 0) depth = 0;
  if (depth > 23) depth = 23;
  for (int i = 0; i <= depth; i++) {
    if (i) t += ".";
    t += i == depth ? g_store->cells[cell].name : g_extract.hierName[i];
  }
  return t;
}

// The blocks of one extracted cell in the circuit file, the node list file
// and the log (the program's counters first).
void CellWrite(int32_t cell, int isMain) {
  // The instances of this cell are in bank 0 again after its lower cells.
  g_compile.instances = g_store->bankCount[0];
  g_compile.lines = 0;
  g_compile.nodeCount = 0;  // the last cell's node numbers mean nothing here
  DeviceTextsForget();
  DeviceKeysForget();
  CountNodeKinds();
  if (g_compile.cellShown) g_compile.cellShown(cell, isMain);
  if (g_compile.scriptPass || CktStopped()) return;
  const CktCell& c = g_store->cells[cell];
  char msg[300];
  if (SortDevicePins()) return;

  std::string title = "\n*** " + Title(cell) + " ***\n";
  CktPrint(title.c_str());
  StatusLine("Writing Spice Circuit File", 1);
  if (g_compile.nod) fprintf(g_compile.nod, "\n[%s]", c.name);
  SpiceSubcktLine(g_compile.instances, cell);
  if (CktStopped()) return;

  StatusLine("Writing Device and Subcircuit Lines", 1);
  if (g_set.flag[S_SDN] && (SortDeviceNames() || SortDevicePins())) return;
  ByInstanceBuild();
  int32_t prev = -1;
  for (int32_t e = 0; e < g_nodes.devCount; e++) {
    int32_t k = g_nodes.dev[e].inst;
    if (k == prev) continue;
    prev = k;
    const CktCell* lower = InstanceCell(0, k);
    if (lower->flags & (CELL_SYMBOL | CELL_DEVICE_NO_CONN | CELL_UPPER_NO_CONN)) continue;
    SpiceDeviceLine(k, g_compile.instances, cell);
    if (CktStopped()) return;
  }
  NodeListCreate();
  if (SortNodeList()) return;

  if (g_compile.nod) {
    StatusLine("Writing Node List File", 1);
    if (SortNodNodes()) return;
    NodWrite(cell);
  }
  ResultsTable(isMain);
  if (!isMain) CktPrint(".ENDS\n");
  if (g_compile.lines == 0) {
    snprintf(msg, sizeof msg,
             isMain ? "Main %s Definition Block has no Device or Subcircuit Lines "
                    : "Subcircuit %s Definition Block has no Device or Subcircuit Lines ",
             c.name);
    ErrorCount(msg, 0);
  }
  if (isMain) g_compile.connectorsOnMain = g_nodes.connCount;
}

}  // namespace

void CompileReset() {
  FilesClose();
  int32_t* list = g_compile.nodeList;
  void (*shown)(int32_t, int) = g_compile.cellShown;
  memset(&g_compile, 0, sizeof g_compile);
  g_compile.nodeList = list;
  g_compile.cellShown = shown;
}

int CompileRun() {
  FilesClose();
  if (g_cktRun.log) {
    fclose(g_cktRun.log);
    g_cktRun.log = nullptr;
  }
  time_t now = time(nullptr);
  g_compile.start = (int64_t)now;
  strftime(g_compile.date, sizeof g_compile.date, "%m/%d/%y", localtime(&now));
  strftime(g_compile.time, sizeof g_compile.time, "%H:%M:%S", localtime(&now));
  CktRunBegin();
  StoreRunBegin();
  NodesReset();
  PafForget();
  DeviceKeysForget();
  LowerCacheUse(1);
  g_compile.scriptPass = 0;
  g_compile.connectorsOnMain = 0;
  g_extract.depthCounter = 0;
  g_extract.scriptPass = 0;
  for (int32_t i = 1; i <= g_store->cellCount; i++) g_store->cells[i].flags &= ~(0x7f << 24);

  if (!g_compile.nodeList) g_compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
  if (!g_compile.nodeList) {
    HostError("Unable to Allocate Device Table Memory");
    g_cktRun.abortFlag = 1;
    return 0;
  }

  char msg[600];
  char mainName[CKT_VALUE];
  snprintf(mainName, sizeof mainName, "%s", g_set.val[GRP_MAIN][S_CFN]);
  int32_t main = GetCinfo(mainName);
  if (!main) {
    snprintf(msg, sizeof msg, "Cell %.200s is Missing ... Can't Continue", mainName);
    HostError(msg);
    g_cktRun.abortFlag = 1;
    snprintf(g_set.val[GRP_MAIN][S_CFN], CKT_VALUE, "?");
    return 0;
  }
  g_compile.mainCell = main;
  g_extract.mainCell = main;
  const CktCell& mc = g_store->cells[main];

  g_cktRun.log = fopen(InFolder(g_set.val[GRP_MAIN][S_WR2]).c_str(), "w");
  if (!g_cktRun.log) {
    HostError("Unable to Write Log File ... Can't Continue");
    g_cktRun.abortFlag = 1;
    return 0;
  }
  fprintf(g_cktRun.log, "*** Compile Log for %s  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n", mc.name,
          CKT_VERSION, g_compile.date, g_compile.time);

  // The program's hook shows the counters; the writing follows it.
  if (g_extract.cellDone != CellWrite) g_compile.cellShown = g_extract.cellDone;
  g_extract.cellDone = CellWrite;

  int scriptWanted = g_set.flag[S_WAR] || g_set.flag[S_WAV];
  int result = 0;
  for (int pass = scriptWanted ? 1 : 0; pass >= 0; pass--) {
    g_compile.scriptPass = g_extract.scriptPass = pass;
    LogPut(pass ? "\n\n**** Start of Script Compile ****\n" : "\n\n**** Start of Spice Compile ****\n");
    StatusLine2(pass ? "Compiling Connector Script File" : "Compiling Spice Circuit File", 0);
    if (!pass) {
      if (g_set.flag[S_WNF]) {
        snprintf(msg, sizeof msg, "%s.nod", mc.name);
        g_compile.nod = fopen(InFolder(msg).c_str(), "w");
        if (!g_compile.nod) {
          HostError("Unable to Write NOD File ... Can't Continue");
          g_cktRun.abortFlag = 1;
          break;
        }
        setvbuf(g_compile.nod, g_nodBuf, _IOFBF, sizeof g_nodBuf);
        fprintf(g_compile.nod, "*** Node List of %s - QuilCkt  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n",
                mc.name, CKT_VERSION, g_compile.date, g_compile.time);
      }
      snprintf(msg, sizeof msg, "%s.cir", mc.name);
      g_compile.cir = fopen(InFolder(msg).c_str(), "w");
      if (!g_compile.cir) {
        HostError("Unable to Write CIR File ... Can't Continue");
        g_cktRun.abortFlag = 1;
        break;
      }
      setvbuf(g_compile.cir, g_cirBuf, _IOFBF, sizeof g_cirBuf);
      fprintf(g_compile.cir, "*** Spice Circuit File of %s - QuilCkt  %s  %s  %s\n\n*Note: Read Text with Fixed Pitch Font\n",
              mc.name, CKT_VERSION, g_compile.date, g_compile.time);
      if (CopyOrAsk(g_set.val[GRP_MAIN][S_HFN], "Header File is Missing ... Continue or Cancel"))
        g_cktRun.abortFlag = 1;
    }
    if (!CktStopped()) {
      GlobalSymbols(main);
      StatusLine("Starting Recursive Compile", 1);
    }
    if (!CktStopped() && (mc.nc == 0 || (mc.flags & CELL_RANK_MASK) < 2)) {
      HostError("No Lower Cells in Main Cell");
      g_cktRun.abortFlag = 1;
      break;
    }
    if (!CktStopped()) {
      TlcReadC(mc.name, 0);
      g_extract.depthCounter = 0;
      memcpy(g_extract.hierName[0], mc.name, sizeof g_extract.hierName[0] - 1);
      g_extract.hierName[0][sizeof g_extract.hierName[0] - 1] = 0;
      if (CellCompile(main, g_store->bankCount[0], 1) < 0) g_cktRun.abortFlag = 1;
    }
    if (!pass && !CktStopped()) {
      if (CopyOrAsk(g_set.val[GRP_MAIN][S_FFN], "Footer File is Missing ... Continue or Cancel"))
        g_cktRun.abortFlag = 1;
      CktPrint("\n.END\n");
    }
    if (g_cktRun.oomFlag) {
      HostError("Fatal Object Manager Error");
      break;
    }
    if (g_cktRun.abortFlag) break;
    if (!pass) {
      result = 1;
      break;
    }
    for (int32_t i = 1; i <= g_store->cellCount; i++) g_store->cells[i].flags &= ~CELL_COMPILED;
    if (g_set.flag[S_CSO]) {
      result = 1;
      break;
    }
  }
  g_extract.cellDone = g_compile.cellShown;
  g_compile.scriptPass = g_extract.scriptPass = 0;
  LowerCacheUse(0);
  if (g_compile.cir) fflush(g_compile.cir);
  if (g_compile.nod) fflush(g_compile.nod);
  return result;
}

const char* CompileFinish(int result, int batch) {
  static char text[800];
  int64_t secs = (int64_t)time(nullptr) - g_compile.start;
  if (secs < 0) secs = 0;
  int h = (int)(secs / 3600), m = (int)(secs / 60 % 60), s = (int)(secs % 60);
  char cell[CKT_VALUE];
  snprintf(cell, sizeof cell, "%s", PathFix(g_set.val[GRP_MAIN][S_CFN]));
  if (result)
    snprintf(text, sizeof text,
             "\nFinished ...\n\nCircuit File:  %s.cir\n\n%d Warnings  %d Errors\n\nFinal Compile Time: %d hr %d min %d sec",
             cell, g_cktRun.warnCount, g_cktRun.errCount, h, m, s);
  else
    snprintf(text, sizeof text, "Aborted ... Files may be Incomplete");
  FilesClose();
  LowerCacheUse(0);
  int show = g_cktRun.warnCount || g_cktRun.errCount || !batch || !result;
  if (!result && g_cktRun.log) fprintf(g_cktRun.log, "\n%d Warnings  %d Errors\n", g_cktRun.warnCount, g_cktRun.errCount);
  // The log always ends with the outcome, also when no box is shown.
  if (show) ErrLogBox(text);
  else LogPut("\n"), LogPut(text), LogPut("\n\n");
  if (g_cktRun.log) {
    fclose(g_cktRun.log);
    g_cktRun.log = nullptr;
  }
  return text;
}

}  // namespace ckt
