// The compile driver: one run over the main cell's hierarchy in a script
// pass (when connector scripts are wanted) and a Spice pass, and the
// writing of every compiled cell's blocks while its nodes are in the store.
#include "ckt_compile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "ckt_ant.h"
#include "ckt_cap.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_script.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"

namespace ckt {

namespace {

void FilesClose(CktState& st) {
  QFileClose(&st.compile.cir);
  QFileClose(&st.compile.nod);
}

std::string InFolder(CktState& st, const char* name) {
  if (!name[0] || name[0] == '/' || name[0] == '\\' || strchr(name, ':')) return name;
  return std::string(st.store->folder) + name;
}

// Asks about a header or footer file that cannot be read; 1 when the user
// cancels the run.
int CopyOrAsk(CktState& st, const char* path, const char* missing) {
  if (!path[0] || CktCopyFile(st, path) == 0) return 0;
  return HostMsgBox(missing, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL;
}

// Title of a cell: its name, or with full names the names from the main
// cell down to it joined with ".".
std::string Title(CktState& st, int32_t cell) {
  if (!st.set.flag[S_SFC]) return st.store->cells[cell].name;
  std::string t;
  int depth = st.extract.depthCounter;
  if (depth < 0) depth = 0;
  if (depth > 23) depth = 23;
  for (int i = 0; i <= depth; i++) {
    if (i) t += ".";
    t += i == depth ? st.store->cells[cell].name : st.extract.hierName[i];
  }
  return t;
}

// The blocks of one extracted cell in the circuit file, the node list file
// and the log (the program's counters first).
void CellWrite(CktState& st, int32_t cell, int isMain) {
  // The instances of this cell are in bank 0 again after its lower cells.
  st.compile.instances = st.store->bankCount[0];
  st.compile.lines = 0;
  st.compile.nodeCount = 0;  // the last cell's node numbers mean nothing here
  DeviceTextsForget(st);
  DeviceKeysForget(st);
  CountNodeKinds(st);
  if (st.compile.cellShown) st.compile.cellShown(st, cell, isMain);
  if (CktStopped(st)) return;
  if (st.compile.scriptPass) {
    ScriptWrite(st, cell);
    return;
  }
  if (st.set.flag[S_TTS] && !TrackWrite(st, cell)) return;
  const CktCell& c = st.store->cells[cell];
  char msg[300];
  if (SortDevicePins(st)) return;

  std::string title = "\n*** " + Title(st, cell) + " ***\n";
  CktPrint(st, title.c_str());
  StatusLine(st, "Writing Spice Circuit File", 1);
  if (st.compile.nod) fprintf(st.compile.nod.get(), "\n[%s]", c.name);
  SpiceSubcktLine(st, st.compile.instances, cell);
  if (CktStopped(st)) return;

  StatusLine(st, "Writing Device and Subcircuit Lines", 1);
  if (st.set.flag[S_SDN] && (SortDeviceNames(st) || SortDevicePins(st))) return;
  ByInstanceBuild(st);
  int32_t prev = -1;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    int32_t k = st.nodes.dev[e].inst;
    if (k == prev) continue;
    prev = k;
    const CktCell* lower = InstanceCell(st, 0, k);
    if (lower->flags & (CELL_SYMBOL | CELL_DEVICE_NO_CONN | CELL_UPPER_NO_CONN)) continue;
    SpiceDeviceLine(st, k, st.compile.instances, cell);
    if (CktStopped(st)) return;
  }
  NodeListCreate(st);
  if (SortNodeList(st)) return;
  if (st.set.flag[S_CVL] && !st.nodes.schematic && !st.set.antOn) {
    StatusLine(st, "Finding Objects on Virtual Nodes", 1);
    VirtualObjectsLog(st);
    VirtualRemovedList(st);
  }
  CapWrite(st);
  if (CktStopped(st)) return;

  if (st.compile.nod) {
    StatusLine(st, "Writing Node List File", 1);
    if (SortNodNodes(st)) return;
    NodWrite(st, cell);
  }
  ResultsTable(st, isMain);
  if (st.set.antOn && !st.nodes.schematic && !st.set.flag[S_CSO]) {
    AntWrite(st, cell);
    if (CktStopped(st)) return;
  }
  if (!isMain) CktPrint(st, ".ENDS\n");
  if (st.compile.lines == 0) {
    snprintf(msg, sizeof msg,
             isMain ? "Main %s Definition Block has no Device or Subcircuit Lines "
                    : "Subcircuit %s Definition Block has no Device or Subcircuit Lines ",
             c.name);
    ErrorCount(st, msg, 0);
  }
  if (isMain) st.compile.connectorsOnMain = st.nodes.connCount;
}

// The start of a run and its checks: the run's date and time, counters and
// per-run memories cleared, the node list's memory, the main cell in the
// collection. The main cell's index, or 0 when the run cannot start.
int32_t CompileCheck(CktState& st) {
  FilesClose(st);
  QFileClose(&st.run.log);
  time_t now = time(nullptr);
  st.compile.start = (int64_t)now;
  strftime(st.compile.date, sizeof st.compile.date, "%m/%d/%y", localtime(&now));
  strftime(st.compile.time, sizeof st.compile.time, "%H:%M:%S", localtime(&now));
  CktRunBegin(st);
  StoreRunBegin(st);
  NodesReset(st);
  PafForget(st);
  DeviceKeysForget(st);
  LowerCacheUse(st, 1);
  st.compile.scriptPass = 0;
  st.compile.connectorsOnMain = 0;
  st.extract.depthCounter = 0;
  st.extract.scriptPass = 0;
  for (int32_t i = 1; i <= st.store->cellCount; i++) st.store->cells[i].flags &= ~(0x7f << 24);

  if (!st.compile.nodeList) st.compile.nodeList = static_cast<int32_t*>(calloc(CKT_NODE_LIST_MAX, sizeof(int32_t)));
  if (!st.compile.nodeList) {
    HostError("Unable to Allocate Device Table Memory");
    st.run.abortFlag = 1;
    return 0;
  }
  if (st.set.antOn && !AntAlloc(st)) return 0;

  char mainName[CKT_VALUE];
  snprintf(mainName, sizeof mainName, "%s", st.set.val[GRP_MAIN][S_CFN]);
  int32_t main = GetCinfo(st, mainName);
  if (!main) {
    char msg[600];
    snprintf(msg, sizeof msg, "Cell %.200s is Missing ... Can't Continue", mainName);
    HostError(msg);
    st.run.abortFlag = 1;
    snprintf(st.set.val[GRP_MAIN][S_CFN], CKT_VALUE, "?");
    return 0;
  }
  return main;
}

// The compile log with its title; 0 when it cannot be written.
int CompileOpenLog(CktState& st, const CktCell& mc) {
  st.run.log = QFileOpen(InFolder(st, st.set.val[GRP_MAIN][S_WR2]).c_str(), "w");
  if (!st.run.log) {
    HostError("Unable to Write Log File ... Can't Continue");
    st.run.abortFlag = 1;
    return 0;
  }
  fprintf(st.run.log.get(), "*** Compile Log for %s  %s  %s  %s\n\nNote: Read Text with Fixed Pitch Font\n", mc.name,
          CKT_VERSION, st.compile.date, st.compile.time);
  return 1;
}

// The node list file (when wanted) and the circuit file with their titles,
// then the header file; 0 when a file cannot be written. A header file the
// user gives up on leaves the files open and the run aborted.
// Opens "<cell><ext>" in the drawing's folder with its buffer and writes its
// title line; 0 (the run aborted) when it can't be written.
int OutputOpen(CktState& st, QFile* f, char* buf, size_t bufSize, const CktCell& mc, const char* ext,
                      const char* kind, const char* title, const char* note) {
  char name[100];
  snprintf(name, sizeof name, "%s%s", mc.name, ext);
  *f = QFileOpen(InFolder(st, name).c_str(), "w");
  if (!*f) {
    char msg[80];
    snprintf(msg, sizeof msg, "Unable to Write %s File ... Can't Continue", kind);
    HostError(msg);
    st.run.abortFlag = 1;
    return 0;
  }
  setvbuf(f->get(), buf, _IOFBF, bufSize);
  fprintf(f->get(), "*** %s of %s - QuilCkt  %s  %s  %s\n\n%s\n", title, mc.name, CKT_VERSION, st.compile.date,
          st.compile.time, note);
  return 1;
}

int CompileOpenFiles(CktState& st, const CktCell& mc) {
  if (st.set.flag[S_WNF] && !OutputOpen(st, &st.compile.nod, st.nodBuf, sizeof st.nodBuf, mc, ".nod", "NOD",
                                        "Node List", "Note: Read Text with Fixed Pitch Font"))
    return 0;
  if (!OutputOpen(st, &st.compile.cir, st.cirBuf, sizeof st.cirBuf, mc, ".cir", "CIR", "Spice Circuit File",
                  "*Note: Read Text with Fixed Pitch Font"))
    return 0;
  if (CopyOrAsk(st, st.set.val[GRP_MAIN][S_HFN], "Header File is Missing ... Continue or Cancel"))
    st.run.abortFlag = 1;
  return 1;
}

// One pass over the hierarchy: the script pass (1) or the Spice pass (0).
// -1 when the run stops, 1 when it is finished, 0 when the Spice pass
// follows.
int CompilePass(CktState& st, int32_t main, int pass) {
  const CktCell& mc = st.store->cells[main];
  st.compile.scriptPass = st.extract.scriptPass = pass;
  LogPut(st, pass ? "\n\n**** Start of Script Compile ****\n" : "\n\n**** Start of Spice Compile ****\n");
  StatusLine2(st, pass ? "Compiling Connector Script File" : "Compiling Spice Circuit File", 0);
  if (!pass && !CompileOpenFiles(st, mc)) return -1;
  if (!CktStopped(st)) {
    GlobalSymbols(st, main);
    StatusLine(st, "Starting Recursive Compile", 1);
  }
  if (!CktStopped(st) && (mc.nc == 0 || (mc.flags & CELL_RANK_MASK) < 2)) {
    HostError("No Lower Cells in Main Cell");
    st.run.abortFlag = 1;
    return -1;
  }
  if (!CktStopped(st)) {
    TlcReadC(st, mc.name, 0);
    st.extract.depthCounter = 0;
    memcpy(st.extract.hierName[0], mc.name, sizeof st.extract.hierName[0] - 1);
    st.extract.hierName[0][sizeof st.extract.hierName[0] - 1] = 0;
    if (CellCompile(st, main, st.store->bankCount[0], 1) < 0) st.run.abortFlag = 1;
  }
  if (!pass && !CktStopped(st)) {
    if (CopyOrAsk(st, st.set.val[GRP_MAIN][S_FFN], "Footer File is Missing ... Continue or Cancel"))
      st.run.abortFlag = 1;
    CktPrint(st, "\n.END\n");
  }
  if (st.run.oomFlag) {
    HostError("Fatal Object Manager Error");
    return -1;
  }
  if (st.run.abortFlag) return -1;
  if (!pass) return 1;
  for (int32_t i = 1; i <= st.store->cellCount; i++) st.store->cells[i].flags &= ~CELL_COMPILED;
  return st.set.flag[S_CSO] ? 1 : 0;
}

}  // namespace

void CompileReset(CktState& st) {
  FilesClose(st);
  AntFree(st);
  int32_t* list = st.compile.nodeList;
  void (*shown)(CktState&, int32_t, int) = st.compile.cellShown;
  st.compile = CktCompile();
  st.compile.nodeList = list;
  st.compile.cellShown = shown;
}

int CompileRun(CktState& st) {
  int32_t main = CompileCheck(st);
  if (!main) return 0;
  st.compile.mainCell = main;
  st.extract.mainCell = main;
  if (!CompileOpenLog(st, st.store->cells[main])) return 0;

  // The program's hook shows the counters; the writing follows it.
  if (st.extract.cellDone != CellWrite) st.compile.cellShown = st.extract.cellDone;
  st.extract.cellDone = CellWrite;

  int scriptWanted = st.set.flag[S_WAR] || st.set.flag[S_WAV];
  int result = 0;
  for (int pass = scriptWanted ? 1 : 0; pass >= 0; pass--) {
    st.compile.scriptsRead = scriptWanted && pass == 0;
    int r = CompilePass(st, main, pass);
    if (r != 0) {
      result = r > 0;
      break;
    }
  }
  st.extract.cellDone = st.compile.cellShown;
  st.compile.scriptPass = st.extract.scriptPass = 0;
  st.compile.scriptsRead = 0;
  LowerCacheUse(st, 0);
  if (st.compile.cir) fflush(st.compile.cir.get());
  if (st.compile.nod) fflush(st.compile.nod.get());
  return result;
}

const char* CompileFinish(CktState& st, int result, int batch) {
  static char text[800];
  int64_t secs = (int64_t)time(nullptr) - st.compile.start;
  if (secs < 0) secs = 0;
  int h = (int)(secs / 3600), m = (int)(secs / 60 % 60), s = (int)(secs % 60);
  char cell[CKT_VALUE];
  snprintf(cell, sizeof cell, "%s", PathFix(st.set.val[GRP_MAIN][S_CFN]));
  if (result)
    snprintf(text, sizeof text,
             "\nFinished ...\n\nCircuit File:  %s.cir\n\n%d Warnings  %d Errors\n\nFinal Compile Time: %d hr %d min %d sec",
             cell, st.run.warnCount, st.run.errCount, h, m, s);
  else
    snprintf(text, sizeof text, "Aborted ... Files may be Incomplete");
  FilesClose(st);
  AntFree(st);
  LowerCacheUse(st, 0);
  int show = st.run.warnCount || st.run.errCount || !batch || !result;
  if (!result && st.run.log) fprintf(st.run.log.get(), "\n%d Warnings  %d Errors\n", st.run.warnCount, st.run.errCount);
  // The log always ends with the outcome, also when no box is shown.
  if (show) ErrLogBox(st, text);
  else LogPut(st, "\n"), LogPut(st, text), LogPut(st, "\n\n");
  QFileClose(&st.run.log);
  return text;
}

}  // namespace ckt
