#include "cellname.h"

#include <cstdio>
#include <cstring>

#include "celltable.h"
#include "host.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "tlcwrite.h"

CellNameHooks CellNameUi;

static int FileExists(const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  fclose(f);
  return 1;
}

static int EmptyCellWrite(const CellEntry* e) {
  if (!TlcCreate("", e->name)) return 0;
  TlcWriteLayers();
  TlcHeaderRec& h = TlcRec.hdr;
  memset(&h, 0, sizeof h);
  snprintf(h.name, sizeof h.name, "%.*s", (int)sizeof h.name - 1, e->name);
  snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
  snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
  h.scale = MainSetup.scale;
  snprintf(h.unit, sizeof h.unit, "%.*s", (int)sizeof h.unit - 1, MainSetup.physunit);
  TlcNow(h.date, h.time);
  h.rank = e->rank & 0x1F;
  h.l = e->l;
  h.b = e->b;
  h.r = e->r;
  h.t = e->t;
  TlcWriteHeader();
  return TlcFinish() == 0;
}

int NewCellCreate(const char* name, int rank) {
  if (!name || !name[0] || CellNameCheck(name, 0) != 0 || rank < 1 || rank > RANK_MAX) return 0;
  if (CellFind(name)) return 0;
  if (CellTable.count >= CELL_MAX) {
    HostError("Cell Table is Full ... New Cell Aborted");
    return 0;
  }
  char path[CELL_NAME_SIZE + 8];
  snprintf(path, sizeof path, "%s.tlc", name);
  if (FileExists(path)) {
    char q[200];
    snprintf(q, sizeof q,
             "%s Exists but is Not Registered in the Drawing\n(Use Import to Register Cell in Drawing)\n\n"
             "Overwrite it with an Empty Cell ?",
             path);
    if (HostAskYesNo(q, "New Cell") != HOST_IDYES) {
      HostMsgBox("New Cell Aborted", "Cell Aborted", HOST_CAP_OWN, HOST_OK);
      return 0;
    }
  }
  int n = CellFindAdd(name);
  if (!n) return 0;
  CellEntry* e = &CellTable.cells[n];
  e->rank = rank;
  e->l = e->b = -1;
  e->r = e->t = 1;
  e->nb = e->np = e->nv = e->nc = 0;
  int ok = CrfWrite(nullptr, 0, 0);
  if (!EmptyCellWrite(e)) ok = 0;
  return ok ? 1 : 0;
}

int NewCellOffer(const char* name) {
  int rank = CellNameUi.newCellRank ? CellNameUi.newCellRank(name) : 0;
  if (rank < 1 || rank > RANK_MAX) {
    HostMsgBox("New Cell Aborted", "Cell Aborted", HOST_CAP_OWN, HOST_OK);
    return 0;
  }
  return NewCellCreate(name, rank);
}

int LoadBackupWrite(const char* cellName) { return TlcWriteBackup("Loadbkup", cellName) == 0; }

int CellSaveAsEntry(const char* newName, int current) {
  const CellEntry* cur = CellEntryOf(current);
  if (!cur || !newName || !newName[0] || CellTable.count >= CELL_MAX || CellFind(newName)) return 0;
  CellEntry copy = *cur;
  int n = CellFindAdd(newName);
  if (!n) return 0;
  CellEntry* e = &CellTable.cells[n];
  char keep[CELL_NAME_SIZE];
  memcpy(keep, e->name, sizeof keep);
  *e = copy;
  memcpy(e->name, keep, sizeof keep);
  return CrfWrite(nullptr, 0, 0) ? 1 : 0;
}
