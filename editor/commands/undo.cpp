#include "undo.h"

#include <cstdio>
#include <cstring>
#include <utility>
#include <strings.h>

#include "celltable.h"
#include "cmdengine.h"
#include "host.h"
#include "mainsetup.h"
#include "pending.h"
#include "safewrite.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"

UndoState Undo;

void UndoReset() { Undo = UndoState(); }

static const char kLoad[] = "Loadbkup";
static const char kUndo[] = "Undobkup";
static const char kRedo[] = "Redobkup";

static const char* FolderOf(const char* name) { return strcasecmp(name, kLoad) == 0 ? "" : Store.tempFolder; }

void BackupSlotPath(char* out, int size, const char* stem, int n) {
  snprintf(out, (size_t)size, "%s%s%d", Store.tempFolder, stem, n);
}

int CellSave(int cell) {
  if (cell == 0 || Undo.noSave) return 0;
  const CellEntry* e = CellEntryOf(cell);
  if (!e) return 1;
  return TlcWriteCell(e->name, e->name) == 0 ? 0 : 1;
}

int BackupWrite(const char* name, const char* cellName) {
  if (!name || !cellName || !cellName[0]) return 1;
  char stem[400];
  int n = snprintf(stem, sizeof stem, "%s%s", FolderOf(name), name);
  if (n < 0 || n >= (int)sizeof stem) return 1;
  return TlcWriteBackup(stem, cellName);
}

int BackupAsk(const char* name, int kind) {
  if (!name) return 0;
  int found = 0;
  TlcRec.hdr.name[0] = '\0';  // a file without a header names no cell
  if (TlcOpen(FolderOf(name), name)) {
    found = TlcHeaderScan();
    TlcClose();
  }
  char msg[300];
  const TlcHeaderRec& h = TlcRec.hdr;
  switch (kind) {
    case 1:
    case 2: {
      const char* cap = kind == 1 ? "ReLoad Backup" : "Recover";
      if (!found) {
        HostMsgBox(kind == 1 ? "No Load Backup File" : "No Recover File", cap, HOST_CAP_OWN, HOST_OK);
        return 0;
      }
      snprintf(msg, sizeof msg, "%s contains:\n%s  %s  %s\n\nDo you want to load it as the Current Cell ?",
               kind == 1 ? "Load Backup" : "Recover Backup", h.name, h.date, h.time);
      return HostAskYesNo(msg, cap) == HOST_IDYES;
    }
    case 3:
      if (!found) HostMsgBox("No More Redo ...", "Redo", HOST_CAP_OWN, HOST_OK);
      return found;
    case 4:
      if (!found) {
        HostMsgBox("No More Undo ...", "Undo", HOST_CAP_OWN, HOST_OK);
        Undo.noUndo = 1;
      }
      return found;
    default:
      return 0;
  }
}

// Copies a cell file record by record into the scratch file of the source
// folder, passing each object through the layer operation (kind 0: none),
// then puts the scratch file in place of the destination.
static int CopyRecords(const char* src, const char* dst, const char* name, int a, int b, int kind) {
  char msg[400];
  if (!name || !name[0] || !TlcOpen(src, name)) {
    snprintf(msg, sizeof msg, "Unable to Read %s TLC File", name ? name : "");
    HostError(msg);
    return 0;
  }
  if (!TlcCreate(src, "Copybkup")) {
    TlcClose();
    if (kind)
      snprintf(msg, sizeof msg, "Unable to Write %s TLC File", name);
    else
      snprintf(msg, sizeof msg, "Unable to Write %s%s TLC File", src, name);
    HostError(msg);
    return 0;
  }
  TlcWriteLayers();
  int bad = 0;  // a record was not read: the copy lacks it
  auto ReadFault = [](const char* text) {
    HostError(text);
    return 1;
  };
  auto layerOp = [&](int32_t* layer, void (*write)()) {
    if (kind == 3 && *layer == a) return;
    if (kind == 1 && *layer == a) *layer = b;
    write();
    if (kind == 2 && *layer == a) {
      *layer = b;
      write();
    }
  };
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    switch (TlcTagOf(line)) {
      case TLC_TAG_H:
        if (TlcReadHeader(0)) TlcWriteHeader();
        else bad = ReadFault("Header Record Read Error");
        break;
      case TLC_TAG_C:
        // The outline flag goes with the instance, as read.
        if (TlcReadCell(0)) TlcWriteCellRec();
        else bad = ReadFault("Cell Record Read Error");
        break;
      case TLC_TAG_B:
        if (TlcReadBox(0)) {
          TlcBoxRec& r = TlcRec.box;
          if (r.l > r.r) std::swap(r.l, r.r);
          if (r.b > r.t) std::swap(r.b, r.t);
          layerOp(&r.lyr, TlcWriteBox);
        } else {
          bad = ReadFault("Box Record Read Error");
        }
        break;
      case TLC_TAG_P: {
        int cut = 0;
        if (TlcReadPath(0, &cut) && !cut) {
          layerOp(&TlcRec.path.lyr, TlcWritePath);
        } else {
          char text[80];
          TlcPathErrorText(cut ? TLC_REC_LONG : TLC_REC_BAD, TLC_PATH_MAX, text, sizeof text);
          bad = ReadFault(text);
        }
        break;
      }
      case TLC_TAG_T:
        if (TlcReadText(0)) layerOp(&TlcRec.text.lyr, TlcWriteText);
        else bad = ReadFault("Text Record Read Error");
        break;
      case TLC_TAG_NONE:
        break;
      default:
        TlcSkipRecord(TlcTagOf(line));
    }
  }
  if (TlcClose() != 0) bad = 1;
  if (bad && kind) {
    // A rewrite in place that met a record it could not read would lose
    // that record: the file stays as it was.
    TlcDrop();
    snprintf(msg, sizeof msg, "%s TLC File has Unreadable Records ... Left Unchanged", name);
    HostError(msg);
    return 0;
  }
  if (TlcFinish() != 0) {
    snprintf(msg, sizeof msg, "Unable to Write %s%s TLC File", src, name);
    HostError(msg);
    return 0;
  }
  // The scratch copy replaces the destination only when whole.
  char from[400], to[400];
  snprintf(from, sizeof from, "%sCopybkup.tlc", src);
  int n = snprintf(to, sizeof to, "%s%s.tlc", dst, name);
  if (n < 0 || n >= (int)sizeof to) return 0;
  TlcPathTidy(from);
  TlcPathTidy(to);
  FILE* in = fopen(from, "rb");
  if (!in) return 0;
  SafeWrite sw;
  if (!SafeWriteOpen(&sw, to)) {
    fclose(in);
    snprintf(msg, sizeof msg, "Unable to Write %.300s TLC File", to);
    HostError(msg);
    return 0;
  }
  char buf[8192];
  size_t got;
  int failed = 0;
  while ((got = fread(buf, 1, sizeof buf, in)) > 0)
    if (fwrite(buf, 1, got, sw.f.get()) != got) failed = 1;
  if (ferror(in)) failed = 1;
  fclose(in);
  if (!SafeWriteCommit(&sw, failed)) {
    snprintf(msg, sizeof msg, "Unable to Write %.300s TLC File", to);
    HostError(msg);
    return 0;
  }
  return bad ? 2 : 1;
}

int TlcCopyFile(const char* srcFolder, const char* dstFolder, const char* name) {
  return CopyRecords(srcFolder ? srcFolder : "", dstFolder ? dstFolder : "", name, 0, 0, 0);
}

int TlcLayerRewrite(int a, int b, const char* name, int kind) {
  if (kind < 1 || kind > 3) return 0;
  return CopyRecords("", "", name, a, b, kind);
}

// --- undo and redo ---------------------------------------------------------------

static void SlotFile(char* out, size_t size, const char* stem, int n) {
  snprintf(out, size, "%s%s%d.tlc", Store.tempFolder, stem, n);
  TlcPathTidy(out);
}

void BackupStackPush(const char* stem) {
  char from[400], to[400];
  SlotFile(to, sizeof to, stem, BACKUP_SLOTS - 1);
  remove(to);
  for (int i = BACKUP_SLOTS - 2; i >= 0; --i) {
    SlotFile(from, sizeof from, stem, i);
    SlotFile(to, sizeof to, stem, i + 1);
    rename(from, to);
  }
}

void BackupStackPop(const char* stem) {
  char from[400], to[400];
  SlotFile(to, sizeof to, stem, 0);
  remove(to);
  for (int i = 1; i < BACKUP_SLOTS; ++i) {
    SlotFile(from, sizeof from, stem, i);
    SlotFile(to, sizeof to, stem, i - 1);
    rename(from, to);
  }
}

static void TitleForm(int form) { Undo.lastTitleForm = form; }

// Pushes the stack and writes the cell as its slot 0; 0 when written (a
// failed write takes the push back).
static int PushWrite(const char* stem) {
  BackupStackPush(stem);
  char name[32];
  snprintf(name, sizeof name, "%s0", stem);
  if (BackupWrite(name, Cell.name) != 0) {
    BackupStackPop(stem);
    return 1;
  }
  return 0;
}

void UndoSave(CmdEngineState& st, int kind, int always) {
  if (!Cell.name[0]) return;
  switch (kind) {
    case 1:
      BackupWrite(kLoad, Cell.name);
      TitleForm(9);
      break;
    case 2: {
      char name[32];
      snprintf(name, sizeof name, "%s0", kUndo);
      BackupWrite(name, Cell.name);
      break;
    }
    case 3:
      PushWrite(kRedo);
      TitleForm(7);
      Cell.modified = 1;
      break;
    case 4:
      // Every change marks the cell; a line or script keeps one backup for
      // all the changes it makes.
      Cell.modified = 1;
      if (st.cmdRunning && !always) {
        if (st.lineBackupTaken) return;
        st.lineBackupTaken = 1;
      }
      PushWrite(kUndo);
      TitleForm(5);
      break;
  }
}

int BackupLoad(const char* name) {
  char stem[400];
  int n = snprintf(stem, sizeof stem, "%s%s", FolderOf(name), name);
  if (n < 0 || n >= (int)sizeof stem) return 1;
  TlcLoad.baseBox = TlcLoad.basePath = TlcLoad.baseVertex = TlcLoad.baseInst = 0;
  if (TlcReadObjs(stem) != 0) return 1;
  if (Cell.rank >= 1) {
    TlcLoad.baseInst = 0;
    if (TlcReadInsts(stem, 0) != 0) return 1;
  }
  Store.heldCell = Cell.number;
  CellCountsUpdate();
  return 0;
}

int BackupRestore(CmdEngineState& st, int kind) {
  static const char* const files[] = {"", "Loadbkup", "Undobkup0", "Redobkup0", "Undobkup0"};
  if (kind < 1 || kind > 4) return 0;
  if (!BackupAsk(files[kind], kind)) return 0;
  int n = CellFind(TlcRec.hdr.name);
  if (!n) {
    HostError("Cell does Not Exist");
    return 0;
  }
  if (!Cell.name[0]) {
    const CellEntry* e = CellEntryOf(n);
    snprintf(Cell.name, sizeof Cell.name, "%s", e->name);
  }
  Cell.number = CellFind(Cell.name);
  const CellEntry* cur = CellEntryOf(Cell.number);
  Cell.rank = cur ? (cur->rank & 0x1f) : 0;
  Store.currentCell = Cell.number;
  if (kind <= 2) {
    if (BackupLoad(files[kind]) != 0) return 0;
    if (kind == 1) TitleForm(10);
    CmdStart(st, 0, 0);
    return 1;
  }
  const char* from = kind == 3 ? kRedo : kUndo;
  const char* to = kind == 3 ? kUndo : kRedo;
  int pushed = 0;
  if (Cell.rank != 0 && (kind == 4 || !st.cmdRunning)) {
    if (PushWrite(to) != 0) return 0;
    pushed = 1;
  }
  if (BackupLoad(files[kind]) != 0) {
    // Put the cell and both stacks back as they were.
    if (pushed) {
      char back[32];
      snprintf(back, sizeof back, "%s0", to);
      BackupLoad(back);
      BackupStackPop(to);
    }
    return 0;
  }
  BackupStackPop(from);
  TitleForm(kind == 3 ? 8 : 6);
  Cell.modified = 1;
  return 1;
}

static void RankViewSave() {
  ViewToRank(Cell.rank);
  MainSetupWrite();
}

// The cell to its own file, then the cell table; 1 done, 0 failed (the
// modified flag stays and the caller's action is given up).
int CellSaveNow() {
  TitleForm(1);
  // The cell's header carries its table entry: bring the entry up to date
  // first, and put it back when the file can't be written.
  CellEntry* e = Cell.number >= 1 && Cell.number <= CellTable.count ? &CellTable.cells[Cell.number] : nullptr;
  CellEntry kept{};
  if (e) {
    kept = *e;
    int32_t ext[4];
    StoreExtentCalc(ext);
    e->l = ext[0];
    e->b = ext[1];
    e->r = ext[2];
    e->t = ext[3];
    e->nb = Store.boxCount;
    e->np = Store.pathCount;
    e->nv = Store.vertexCount;
    e->nc = Store.instCount[0];
  }
  if (CellSave(Cell.number) != 0) {
    if (e) *e = kept;
    Cell.modified = 1;
    return 0;
  }
  CrfWrite(Cell.name, Cell.number, Cell.rank);
  Cell.modified = 0;
  RankViewSave();
  return 1;
}

int CellSavePrompt(int closing, int endSession) {
  if (!Cell.name[0] || Cell.rank == 0) {
    RankViewSave();
    Cell.modified = 0;
    return 1;
  }
  if (endSession) return CellSaveNow();
  if (!Cell.modified && !MainSetup.askonsave && !Undo.askFlag) {
    RankViewSave();
    return 1;
  }
  if (!TlcOpen("", Cell.name)) return CellSaveNow();
  TlcClose();
  char msg[400];
  const char* tail = "Save the Current Cell as %s to Hard Drive ?\n\nAny Old File will be Replaced";
  char q[200];
  snprintf(q, sizeof q, tail, Cell.name);
  int answer;
  if (closing && !Cell.modified) {
    answer = HOST_IDNO;
  } else {
    if (closing)
      snprintf(msg, sizeof msg, "Quil Editor is Closing and the Cell may have Modified ...\n\n%s", q);
    else if (!Cell.modified)
      snprintf(msg, sizeof msg, "%s", q);
    else
      snprintf(msg, sizeof msg, "Cell may have been Modified ...\n\n%s", q);
    answer = closing ? HostAskYesNo(msg, "Confirm Save ...") : HostAskYesNoCancel(msg, "Confirm Save ...");
  }
  Undo.askFlag = 0;
  if (answer == HOST_IDCANCEL) return 0;
  if (answer == HOST_IDNO) {
    // The edit stays in memory only: still modified until saved or reloaded.
    RankViewSave();
    return 1;
  }
  return CellSaveNow();
}
