#include "cnvcells.h"

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"
#include "namecheck.h"

namespace {

int Fail(const CnvCellWalk* w, const char* text) {
  HostError(text);
  *w->abort = 1;
  return 0;
}

int Add(const CnvCellWalk* w, const char* name) {
  if (*w->count >= w->max) {
    char msg[80];
    snprintf(msg, sizeof msg, "Too Many Cells (Max %d) ... Can't Continue", w->max);
    return Fail(w, msg);
  }
  CnvCellEntry& e = w->cells[++*w->count];
  snprintf(e.name, sizeof e.name, "%s", w->upper ? PathUpper(name) : name);
  e.rank = 0;
  return 1;
}

// Reads cell i's header and appends every cell it places that the list
// lacks. The file is open; the caller closes it.
int ReadCell(const CnvCellWalk* w, int i) {
  if (!TlcReadH(w->in, w->hdr)) return Fail(w, "Header Record Read Error ... Can't Continue");
  if (w->header) w->header(w->ctx, i);
  w->cells[i].rank = w->hdr->rank;
  TlcRewind(w->in);
  const char* line;
  while ((line = TlcNextLine(w->in)) != nullptr) {
    if (TlcLineKind(line) != TLC_CELL) continue;
    if (!ReadC(w->in, w->cell)) return Fail(w, w->cellReadError);
    if (!CellNameValid(w->cell->name)) {
      // The name becomes a file path: "..\\x" must not reach outside.
      char msg[CNV_PATHLEN + 80];
      snprintf(msg, sizeof msg, "Incorrect Cell Name \"%s\" in %s.tlc ... Can't Continue", w->cell->name,
               w->cells[i].name);
      return Fail(w, msg);
    }
    if (!CnvCellFind(w, w->cell->name) && !Add(w, w->cell->name)) return 0;
  }
  return 1;
}

}  // namespace

int CnvCellFind(const CnvCellWalk* w, const char* name) {
  for (int i = 1; i <= *w->count; ++i)
    if (w->noCase ? CnvSameName(w->cells[i].name, name) : strcmp(w->cells[i].name, name) == 0) return i;
  return 0;
}

int CnvCellListWalk(const CnvCellWalk* w, const char* mainName) {
  *w->count = 0;
  if (!Add(w, mainName)) return 0;
  // The list grows while it is walked: every cell reached at any depth is
  // read once.
  for (int i = 1; i <= *w->count && !*w->abort; ++i) {
    if (w->reading && !w->reading(w->ctx, i)) return 0;
    if (!TlcOpenRead(w->in, w->drive, w->folder, w->cells[i].name)) {
      char msg[CNV_PATHLEN + 80];
      snprintf(msg, sizeof msg, w->missing, w->cells[i].name);
      return Fail(w, msg);
    }
    int ok = ReadCell(w, i);
    TlcCloseRead(w->in);
    if (!ok) return 0;
  }
  if (*w->abort) return 0;
  if (w->sorting && !w->sorting(w->ctx)) return 0;
  // Insertion sort: cells of equal rank keep the order in which they were
  // found (an exchange sort would not).
  CnvCellEntry* c = w->cells;
  for (int i = 2; i <= *w->count; ++i) {
    CnvCellEntry e = c[i];
    int j = i - 1;
    while (j >= 1 && (w->descending ? c[j].rank < e.rank : c[j].rank > e.rank)) {
      c[j + 1] = c[j];
      --j;
    }
    c[j + 1] = e;
  }
  return 1;
}
