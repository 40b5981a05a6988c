// The command engine at three sizes each, to show that the work grows
// linearly: a script of N box adds; select-all (Fget over everything) and
// unselect (Aput) on a cell of N boxes; one undo backup of that cell against
// its save. Run in a scratch folder of its own:
//   cmd_bench            prints one line per measurement
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
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

int main() {
  char tmpl[] = "/tmp/cmd_bench_XXXXXX";
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
  return 0;
}
