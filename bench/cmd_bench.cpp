// The command engine at three sizes each, to show that the work grows
// linearly: a script of N box adds; select-all (Fget over everything) and
// unselect (Aput) on a cell of N boxes; one undo backup of that cell against
// its save; on a flat cell of N boxes, select all then Mov and Cpy, Del of a
// window holding half, and Step 100 x 100 of a 100-box selection, each with
// its undo backup; then klayout's anchors (transform, copy, flatten of the
// same array) when klayout is on the path. Run in a scratch folder:
//   cmd_bench [folder of cmd_klayout.py]   prints one line per measurement
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdmove.h"
#include "cmdtable.h"
#include "layerview.h"
#include "mainsetup.h"
#include "pending.h"
#include "../tests/support/cmd_fresh.h"
#include "store.h"
#include "undo.h"
#include "view.h"

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void Fresh() {
  CmdFreshState(0, 0);
  UndoReset();
  int top = CellFindAdd("TOP");
  CellTable.cells[top].rank = 1;
  Cell = CurrentCell();
  snprintf(Cell.name, sizeof Cell.name, "TOP");
  Cell.number = top;
  Cell.rank = 1;
  Store.currentCell = Store.heldCell = top;
}

void Boxes(int n) {
  for (int i = 0; i < n; ++i) BoxAdd(1 + i % 7, (i % 1000) * 20, (i / 1000) * 20, (i % 1000) * 20 + 10, (i / 1000) * 20 + 10);
}

void Report(const char* what, int n, double s) {
  printf("%-28s n=%8d  %8.3f s  %8.1f ns/item\n", what, n, s, s * 1e9 / n);
  fflush(stdout);
}

}  // namespace

void Points(CmdEngineState& st, const char* name, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  CmdStart(st, CmdIndexByName(name), 0);
  CmdPoint(st, x1, y1);
  CmdPoint(st, x2, y2);
  CmdPump(st);
}

// The move, copy, delete and step commands on n boxes (1000 a row, pitch
// 20), each timed with its undo backup.
int Edits(int n) {
  Fresh();
  CmdEngineState st;
  Boxes(n);
  Points(st, "Fget", -1, -1, 2000000, 2000000);
  double t = Now();
  Points(st, "Mov", 0, 0, 1000, 1000);
  Report("Mov of all (undo incl.)", n, Now() - t);
  if (StoreBoxGet(1, n) != (n - 1) % 1000 * 20 + 1000) return 10;
  t = Now();
  Points(st, "Cpy", 0, 0, 5000, 0);
  Report("Cpy of all (undo incl.)", n, Now() - t);
  if (Store.boxCount != 2 * n) return 11;
  BackupFilesDelete();

  Fresh();
  Boxes(n);
  const int32_t half = (n / 1000) / 2 * 20;  // rows below this hold half
  t = Now();
  Points(st, "Fget", -1, -1, 2000000, half - 1);
  double sel = Now() - t;
  t = Now();
  CmdStart(st, CmdIndexByName("Del"), 0);
  CmdPump(st);
  Report("Fget of half", n, sel);
  Report("Del of half (undo incl.)", n, Now() - t);
  if (Store.boxCount != n - n / 2) return 12;
  BackupFilesDelete();

  Fresh();
  Boxes(n);
  Points(st, "Fget", -1, -1, 1990, 10);  // the first 100 boxes
  StepAnswers a;
  a.nx = a.ny = 100;
  a.dx = 20000;
  a.dy = 20000;
  t = Now();
  if (!StepCore(st, a)) return 13;
  Report("Step 100x100 of 100 boxes", n, Now() - t);
  if (Store.boxCount != n + 999900) return 14;
  BackupFilesDelete();
  return 0;
}

int main(int argc, char** argv) {
  char tmpl[] = "/tmp/cmd_bench_XXXXXX";
  const char* klayoutDir = argc > 1 ? argv[1] : nullptr;
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;
  for (int n : {2500, 5000, 10000}) {
    Fresh();
    CmdEngineState st;
    FILE* f = fopen("adds.txt", "w");
    fprintf(f, "obj b\n");
    for (int i = 0; i < n; ++i) fprintf(f, "add %d %d %d.5 %d.5\n", i % 100, i / 100, i % 100, i / 100);
    fclose(f);
    double t = Now();
    if (!CmdScriptRun(st, "adds.txt") || Store.boxCount != n) return 2;
    CmdPump(st);
    Report("script of box adds", n, Now() - t);
  }
  for (int n : {250000, 500000, 1000000}) {
    Fresh();
    CmdEngineState st;
    Boxes(n);
    double t = Now();
    CmdStart(st, CmdIndexByName("Fget"), 0);
    CmdPoint(st, -1, -1);
    CmdPoint(st, 2000000, 2000000);
    double sel = Now() - t;
    if ((StoreBoxGet(0, n) & BOX_SEL_ALL) != BOX_SEL_ALL) return 3;
    t = Now();
    CmdStart(st, CmdIndexByName("Aput"), 0);
    double unsel = Now() - t;
    if (StoreBoxGet(0, n) & BOX_SEL_ALL) return 4;
    Report("select all (Fget)", n, sel);
    Report("unselect (Aput)", n, unsel);
    t = Now();
    UndoSave(st, 4);
    double backup = Now() - t;
    t = Now();
    if (CellSave(Cell.number) != 0) return 5;
    double save = Now() - t;
    Report("undo backup", n, backup);
    Report("cell save", n, save);
    BackupFilesDelete();
    remove("TOP.tlc");
  }
  for (int n : {250000, 500000, 1000000})
    if (int r = Edits(n)) return r;
  if (klayoutDir) {
    std::string cmd = std::string("klayout -b -r '") + klayoutDir +
                      "/cmd_klayout.py' -rd sizes=250000,500000,1000000";
    fflush(stdout);
    if (system(cmd.c_str()) != 0) return 20;
  }
  return 0;
}
