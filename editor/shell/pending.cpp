#include "pending.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "celltable.h"
#include "host.h"
#include "namecheck.h"
#include "store.h"
#include "tlcread.h"
#include "trace.h"

CurrentCell Cell;

static struct {
  int quilRunning = 0;
} Pending;

int DrawingCrfRead() { return CrfRead() != 0; }

int DrawingCrfWriteEmpty() {
  CellTableReset();
  return CrfWrite(nullptr, 0, 0);
}

int DrawingSetupRead() { return 1; }
int DrawingSetupWrite() { return 1; }
int DrawingTffRead() { return 1; }
void DrawingObjKindSet() {}
int DrawingCrfCheckFiles() { return CrfCheckFiles(); }
int DrawingCellCount() { return CellTable.count; }
int DrawingLayerCount() { return 0; }

int DrawingCellExists(const char* name) { return name && name[0] && CellFind(name) != 0; }

int SetupQuilRunning() { return Pending.quilRunning; }
void SetupQuilRunningSet(int on) { Pending.quilRunning = on; }
int SetupFKeyCount() { return 0; }
const char* SetupFKeyLine(int) { return ""; }

void RecallPush(const char* name) {
  if (!name || !name[0]) return;
  char keep[40];
  snprintf(keep, sizeof keep, "%.36s", name);
  int j = 0;
  for (int i = 0; i < RECALL_MAX; ++i) {
    if (Cell.recall[i][0] && strcasecmp(Cell.recall[i], keep) != 0) {
      if (j != i) memcpy(Cell.recall[j], Cell.recall[i], sizeof Cell.recall[j]);
      ++j;
    }
  }
  for (; j < RECALL_MAX; ++j) Cell.recall[j][0] = '\0';
  memmove(Cell.recall[1], Cell.recall[0], sizeof Cell.recall[0] * (RECALL_MAX - 1));
  snprintf(Cell.recall[0], sizeof Cell.recall[0], "%s", keep);
}

void CellCountsUpdate() {
  int texts = 0;
  for (int32_t i = 1; i <= Store.pathCount; ++i)
    if ((uint32_t)StorePathGet(0, i) & TEXT_BIT) ++texts;
  Cell.boxes = Store.boxCount;
  Cell.paths = Store.pathCount - texts;
  Cell.texts = texts;
  Cell.vertices = Store.vertexCount;
  Cell.cells = Store.instCount[0];
}

static void LoadFailed(const char* name) {
  char msg[96];
  snprintf(msg, sizeof msg, "Loading %.40s TLC File Failed", name);
  HostError(msg);
}

int CellLoadByName(const char* name) {
  ShellTrace("load %s", name ? name : "");
  if (!name || !name[0] || CellNameCheck(name, 0)) return 0;
  int n = CellFind(name);
  if (!n) {
    // A new cell is made through the NEWCELL dialog of the command engine;
    // until it exists the offer ends as a cancel does.
    HostMsgBox("New Cell Aborted", "Cell Aborted", HOST_CAP_OWN, HOST_OK);
    return 0;
  }
  const CellEntry* e = CellEntryOf(n);
  int rank = e ? (e->rank & 0x1f) : 0;
  if (rank < 1 || rank > RANK_MAX) {
    HostError("Rank Error");
    return 0;
  }
  CellNoneSet();
  if (CellObjLoad(n) != 0 || (rank >= 2 && CellInstLoad(n, 0) != 0)) {
    LoadFailed(e->name);
    StoreFreeAll();
    return 0;
  }
  RecallPush(e->name);
  snprintf(Cell.name, sizeof Cell.name, "%s", e->name);
  Cell.number = n;
  Cell.rank = rank;
  Store.currentCell = n;
  BackupFilesDelete();
  Cell.modified = 0;
  CellCountsUpdate();
  return 1;
}

void CellNoneSet() {
  Cell.name[0] = '\0';
  Cell.rank = Cell.number = 0;
  Cell.boxes = Cell.paths = Cell.texts = Cell.cells = 0;
  Cell.vertices = 0;
  Cell.modified = 0;
  Store.currentCell = 0;
  StoreFreeAll();
}

int CellSavePrompt(int, int) { return 1; }
int BackupRestore(int kind) {
  ShellTrace("restore %d", kind);
  return 0;
}
void BackupFilesDelete() {}
int SystemModeRun() { return 0; }
int ImportRun() { return 0; }
int ExportRun(const char*) { return 0; }
void OrganizeUnattended() {}
