#include "pending.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "trace.h"

CurrentCell Cell;

static int FileReadable(const char* name) {
  FILE* f = fopen(name, "rb");
  if (!f) return 0;
  fclose(f);
  return 1;
}

static struct {
  int quilRunning = 0;
} Pending;

int DrawingCrfRead() { return FileReadable("QUIL7.CRF") || FileReadable("CELLS7.DBD") || FileReadable("CELLS6.DBD"); }

int DrawingCrfWriteEmpty() {
  FILE* f = fopen("QUIL7.CRF", "wt");
  if (!f) return 0;
  int ok = fputs("0\n", f) >= 0;
  return fclose(f) == 0 && ok;
}

int DrawingSetupRead() { return 1; }
int DrawingSetupWrite() { return 1; }
int DrawingTffRead() { return 1; }
void DrawingObjKindSet() {}
int DrawingCrfCheckFiles() { return 1; }
int DrawingCellCount() { return 0; }
int DrawingLayerCount() { return 0; }

int DrawingCellExists(const char* name) {
  if (!name || !*name) return 0;
  char file[64];
  snprintf(file, sizeof file, "%.40s.tlc", name);
  return FileReadable(file);
}

int SetupQuilRunning() { return Pending.quilRunning; }
void SetupQuilRunningSet(int on) { Pending.quilRunning = on; }
int SetupFKeyCount() { return 0; }
const char* SetupFKeyLine(int) { return ""; }

int CellLoadByName(const char* name) {
  ShellTrace("load %s", name ? name : "");
  if (!DrawingCellExists(name)) return 0;
  snprintf(Cell.name, sizeof Cell.name, "%.32s", name);
  for (char* p = Cell.name; *p; ++p) *p = (char)toupper((unsigned char)*p);
  Cell.rank = 1;
  Cell.number = 1;
  return 1;
}

void CellNoneSet() { Cell = CurrentCell(); }

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
void StoreFreeAll() {}
