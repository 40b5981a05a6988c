#include "pending.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "cellname.h"
#include "celltable.h"
#include "font.h"
#include "host.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "objkind.h"
#include "store.h"
#include "redraw.h"
#include "tlcread.h"
#include "trace.h"
#include "view.h"

CurrentCell Cell;

static struct {
  int objKind = OBJ_BOX;
  int objCell = 0;
} Pending;

int DrawingCrfRead() { return CrfRead() != 0; }

int DrawingCrfWriteEmpty() {
  CellTableReset();
  return CrfWrite(nullptr, 0, 0);
}

int DrawingSetupRead() { return MainSetupRead(); }
int DrawingSetupWrite() { return MainSetupWrite(); }
int DrawingTffRead() { return TffRead(); }

static int CellFindFn(const char* name) { return CellFind(name); }

void DrawingObjKindSet() {
  Pending.objKind = ObjKindSet(MainSetup.objname, sizeof MainSetup.objname, CellFindFn, &Pending.objCell);
}

int ObjKind() { return Pending.objKind; }

int DrawingCrfCheckFiles() { return CrfCheckFiles(); }
int DrawingCellCount() { return CellTable.count; }

int DrawingLayerCount() {
  int n = 0;
  for (int i = 0; i < MainSetup.layerCount && i < LAYER_MAX; ++i)
    if (MainSetup.layers[i].number > 0) ++n;
  return n;
}

void EditorDefaultsSet(const char* programFolder) {
  MainSetupReset();
  MainSetupFontsDefault(programFolder, 0);
}

void ViewFromSetup() {
  View.scale = MainSetup.scale > 0 ? MainSetup.scale : 1000.0;
  View.aspectSetup = MainSetup.aspect > 0 ? MainSetup.aspect : 1.0;
  View.drawres = MainSetup.drawres;
  View.celldrawres = MainSetup.celldrawres;
  View.polarAngle = MainSetup.polarangle;
  View.togs = (uint32_t)MainSetup.togs;
}

void ViewOfRank(int rank) {
  if (rank < 0 || rank > RANK_MAX) return;
  const RankView& r = MainSetup.rankView[rank];
  View.width = r.winw;
  View.cx = r.winx;
  View.cy = r.winy;
  int g = r.nwgrid;
  View.grid = GridValue(0, g) > 1 ? GridValue(0, g) : 1;
  ViewUpdate();
}

void ViewToRank(int rank) {
  if (rank < 0 || rank > RANK_MAX) return;
  RankView& r = MainSetup.rankView[rank];
  r.winw = (int32_t)View.width;  // ViewUpdate keeps all three in int32 range
  r.winx = (int32_t)View.cx;
  r.winy = (int32_t)View.cy;
  MainSetup.togs = (int32_t)View.togs;
}

int DrawingCellExists(const char* name) { return name && name[0] && CellFind(name) != 0; }

int SetupQuilRunning() { return MainSetup.quilrunning; }
void SetupQuilRunningSet(int on) { MainSetup.quilrunning = on; }
int SetupFKeyCount() { return MainSetup.fkeyCount; }

const char* SetupFKeyLine(int i) {
  if (i < 1 || i > MainSetup.fkeyCount || i > FKEY_MAX) return "";
  return MainSetup.fkeys[i - 1];
}

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
    // A name not in the drawing is offered as a new cell (NEWCELL).
    if (!NewCellOffer(name)) return 0;
    n = CellFind(name);
    if (!n) return 0;
  }
  const CellEntry* e = CellEntryOf(n);
  int rank = e ? (e->rank & 0x1f) : 0;
  if (rank < 1 || rank > RANK_MAX) {
    HostError("Rank Error");
    return 0;
  }
  ViewToRank(Cell.rank);  // the view of the cell being left stays with its rank
  CellNoneSet();
  if (CellObjLoad(n) != 0 || (rank >= 2 && CellInstLoad(n, 0) != 0)) {
    LoadFailed(e->name);
    CellNoneSet();
    return 0;
  }
  RecallPush(e->name);
  snprintf(Cell.name, sizeof Cell.name, "%s", e->name);
  Cell.number = n;
  Cell.rank = rank;
  Store.currentCell = n;
  ViewOfRank(rank);
  BackupFilesDelete();
  Rw.storeBad = 0;
  LoadBackupWrite(Cell.name);
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
  // Freeing leaves the counts to the caller: records past a freed page
  // must not count as objects.
  Store.boxCount = Store.pathCount = Store.vertexCount = 0;
  for (int i = 0; i < STORE_LEVELS; ++i) {
    Store.instCount[i] = 0;
    Store.levelCell[i] = 0;
  }
  Store.heldCell = 0;
  ViewOfRank(0);
}

// CellSavePrompt and BackupRestore live with the command engine's undo
// stacks; deleting the stack files belongs to every cell load.
void BackupFilesDelete() {
  char path[400];
  static const char* const stems[] = {"Undobkup", "Redobkup"};
  for (const char* stem : stems)
    for (int i = 0; i < 10; ++i) {
      snprintf(path, sizeof path, "%s%s%d.tlc", Store.tempFolder, stem, i);
      remove(path);
    }
  snprintf(path, sizeof path, "%sSwap.bpv", Store.tempFolder);
  remove(path);
  remove("Copybkup.tlc");
}
