#include "sysmode.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "celltable.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "satutil.h"
#include "undo.h"
#include "host.h"
#include "panes.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

std::string Upper(const char* s) {
  std::string u(s);
  for (char& c : u) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return u;
}

// Loads a cell's objects and level-0 instances: 1 when the load was whole,
// so that saving the store would give back everything the file holds; 2
// when loaded but not fit to be saved; 0 when the load failed.
int LoadWhole(int cell) {
  const CellEntry* e = CellEntryOf(cell);
  if (!e || !TlcOpen("", e->name)) return 0;
  TlcClose();
  int objs = CellObjLoad(cell);
  int insts = CellInstLoad(cell, 0);
  if (objs < 0 || insts < 0) return 0;  // refused by a limit check
  if (objs != 0 || insts != 0) return 2;
  // An instance of a cell that is not in the table would lose nothing on
  // saving, but its cell's place in the order is unknown.
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    if (!c || static_cast<int>(c[0] & INST_CELL_MASK) > CellTable.count) return 2;
  }
  return 1;
}

// Level-0 instances in table order (stable: equal cells keep their order).
void InstancesSort() {
  int32_t n = Store.instCount[0];
  std::vector<std::array<int32_t, 3>> recs;
  recs.reserve(static_cast<size_t>(n));
  for (int32_t i = 1; i <= n; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    if (!c) return;
    recs.push_back({c[0], c[1], c[2]});
  }
  std::stable_sort(recs.begin(), recs.end(), [](const std::array<int32_t, 3>& a, const std::array<int32_t, 3>& b) {
    return (a[0] & INST_CELL_MASK) < (b[0] & INST_CELL_MASK);
  });
  for (int32_t i = 1; i <= n; ++i) {
    int32_t* c = StoreCellRec(0, i);
    for (int k = 0; k < 3; ++k) c[k] = recs[static_cast<size_t>(i - 1)][static_cast<size_t>(k)];
  }
}

int ListWrite() {
  if (CrfWrite("", 0, 0) == 1) return 1;
  HostError("Unable to Write QUIL7.CRF File");
  return 0;
}

}  // namespace

int SysOrganize(int alphasort) {
  HostStatus("Organizing ...\n\nPlease Wait and DO NOT INTERRUPT");
  int n = CellTable.count;
  // Ranks are bits 0-4 of the rank word; nothing else may reach a file.
  for (int i = 1; i <= n; ++i) CellTable.cells[i].rank &= 0x1F;

  // Names equal but for case: one warning per pair.
  std::vector<std::string> names;
  for (int i = 1; i <= n; ++i) names.push_back(Upper(CellTable.cells[i].name));
  std::sort(names.begin(), names.end());
  for (size_t i = 0; i < names.size();) {
    size_t j = i;
    while (j < names.size() && names[j] == names[i]) ++j;
    size_t g = j - i;
    for (size_t pairs = g * (g - 1) / 2; pairs > 0; --pairs)
      HostWarning("More than One Cell has the Same Name in the Cells List");
    i = j;
  }

  std::stable_sort(CellTable.cells + 1, CellTable.cells + 1 + n, [alphasort](const CellEntry& a, const CellEntry& b) {
    if (!alphasort && a.rank != b.rank) return a.rank < b.rank;
    return strcmp(a.name, b.name) < 0;
  });

  // Outlines and counts, lower ranks first so that a cell's subcells are
  // current before the cell itself.
  std::vector<std::vector<int>> byRank(RANK_MAX + 1);
  for (int i = 1; i <= n; ++i) {
    int r = CellTable.cells[i].rank;
    if (r >= 1 && r <= RANK_MAX) byRank[static_cast<size_t>(r)].push_back(i);
  }
  bool stepEnded = false;
  for (int r = 1; r <= RANK_MAX && !stepEnded; ++r) {
    for (int i : byRank[static_cast<size_t>(r)]) {
      CellEntry& e = CellTable.cells[i];
      int ok = LoadWhole(i);
      if (!ok) {
        char msg[120];
        snprintf(msg, sizeof msg, "Loading %s TLC File Failed", e.name);
        HostError(msg);
        stepEnded = true;
        break;
      }
      int32_t ext[4];
      CellExtentCalc(ext);
      e.l = ext[0];
      e.b = ext[1];
      e.r = ext[2];
      e.t = ext[3];
      e.nb = Store.boxCount;
      e.np = Store.pathCount;
      e.nv = Store.vertexCount;
      e.nc = Store.instCount[0];
    }
  }
  if (!ListWrite()) return 0;

  // Every file rewritten with its instances in table order; a cell whose
  // load was not whole keeps its file and is named.
  int result = 1;
  for (int i = 1; i <= n; ++i) {
    CellEntry& e = CellTable.cells[i];
    if (LoadWhole(i) != 1) {
      char msg[160];
      snprintf(msg, sizeof msg, "%s did not Load Whole ... its TLC File is Left as it is", e.name);
      HostWarning(msg);
      result = 0;
      continue;
    }
    InstancesSort();
    if (TlcWriteCell(e.name, e.name) != 0) result = 0;
  }
  if (!ListWrite()) return 0;
  return result;
}

long SysInstanceReads = 0;

namespace {

int Ask(const char* text, const char* caption) { return HostAskYesNo(text, caption) == HOST_IDYES; }

void Say(const char* text, const char* caption) { HostMsgBox(text, caption, HOST_CAP_OWN, HOST_OK); }

// The typed name: checked, upper-cased, cut to 32; "" when it fails.
void TypedName(char* out, const char* name, int starAllowed) {
  out[0] = 0;
  if (!name || !name[0] || CellNameCheck(name, starAllowed) != 0) return;
  TlcCopyCut(out, name, CELL_NAME_MAX, 1);
}

// The cells each cell places (table numbers), read once.
std::vector<std::vector<int>> PlacedSets() {
  int n = CellTable.count;
  std::vector<std::vector<int>> sets(static_cast<size_t>(n) + 1);
  for (int i = 1; i <= n; ++i) {
    const CellEntry& e = CellTable.cells[i];
    if (!TlcOpen("", e.name)) continue;
    ++SysInstanceReads;
    std::vector<int>& s = sets[static_cast<size_t>(i)];
    while (const char* line = TlcLineGet(TlcLoad.in)) {
      int tag = TlcTagOf(line);
      if (tag == TLC_TAG_NONE) continue;
      if (tag != TLC_TAG_C) {
        TlcSkipRecord(tag);
        continue;
      }
      if (!TlcReadCell(0)) continue;
      int k = CellFind(TlcRec.cel.name);
      if (k && std::find(s.begin(), s.end(), k) == s.end()) s.push_back(k);
    }
    TlcClose();
  }
  return sets;
}

// Rewrites a cell file of the drawing line by line: instance records of
// oldName are dropped (newName null) or renamed; everything else is copied.
// A record that can't be read leaves the file as it was. 1, 0 not written.
int RewriteInstances(const char* file, const char* oldName, const char* newName) {
  char msg[160];
  if (!TlcOpen("", file)) {
    snprintf(msg, sizeof msg, "Unable to Read %s TLC File", file);
    HostError(msg);
    return 0;
  }
  if (!TlcCreateBare("", file)) {
    TlcClose();
    return 0;
  }
  int bad = 0;
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (TlcCloseTagOf(line) == TLC_TAG_C) continue;  // written with its record
    if (tag != TLC_TAG_C) {
      TlcWriteRaw(line);
      continue;
    }
    if (!TlcReadCell(0)) {
      HostError("Cell Record Read Error");
      bad = 1;
      break;
    }
    if (SatStricmp(TlcRec.cel.name, oldName) == 0) {
      if (!newName) continue;
      TlcCopyCut(TlcRec.cel.name, newName, TLC_NAME_MAX, 1);
    }
    TlcWriteCellRec();
  }
  if (TlcClose() != 0) bad = 1;
  if (bad) {
    TlcDrop();
    snprintf(msg, sizeof msg, "%s TLC File has Unreadable Records ... Left Unchanged", file);
    HostError(msg);
    return 0;
  }
  if (TlcFinishBare() != 0) {
    snprintf(msg, sizeof msg, "Unable to Write %s TLC File", file);
    HostError(msg);
    return 0;
  }
  return 1;
}

int Finish() {
  SysOrganize(MainSetup.alphasort);
  return 1;
}

int64_t Mul(int64_t v, double m) {
  double r = static_cast<double>(v) * m;
  return static_cast<int64_t>(r < 0 ? -std::floor(-r + 0.5) : std::floor(r + 0.5));
}

// Resizes the cell held in the store; 0 when a coordinate would leave the
// drawing's range (nothing changed then).
int StoreResize(int rank, double m) {
  auto fits = [](int64_t v) { return v >= -TLC_COORD_MAX && v <= TLC_COORD_MAX; };
  for (int pass = 0; pass < 2; ++pass) {
    bool apply = pass == 1;
    for (int32_t i = 1; i <= Store.boxCount; ++i) {
      int32_t* q = StoreBoxRec(i);
      for (int k = 1; k <= 4; ++k) {
        int64_t v = Mul(q[k], m);
        if (!fits(v)) return 0;
        if (apply) q[k] = static_cast<int32_t>(v);
      }
    }
    for (int32_t i = 1; i <= Store.vertexCount; ++i) {
      int32_t* v = StoreVertexRec(i);
      if (static_cast<uint32_t>(v[0]) & VERTEX_CHAR) continue;
      int64_t x = Mul(v[1], m), y = Mul(v[2], m);
      if (!fits(x) || !fits(y)) return 0;
      if (apply) {
        v[1] = static_cast<int32_t>(x);
        v[2] = static_cast<int32_t>(y);
      }
    }
    if (rank >= 2)
      for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
        int32_t* c = StoreCellRec(0, i);
        int64_t x = Mul(c[1], m), y = Mul(c[2], m);
        if (!fits(x) || !fits(y)) return 0;
        if (apply) {
          c[1] = static_cast<int32_t>(x);
          c[2] = static_cast<int32_t>(y);
        }
      }
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    int32_t* p = StorePathRec(i);
    if (p[0] <= 0) {
      // Text sizes: multiples of 15 within 15..9830400.
      int64_t size = static_cast<int64_t>(static_cast<double>(p[1]) * m);
      size = (size + 7) / 15 * 15;
      p[1] = static_cast<int32_t>(std::min<int64_t>(9830400, std::max<int64_t>(15, size)));
      continue;
    }
    if (p[1] == 0) continue;
    // A width that rounds to 0 would make the path a polygon: it keeps its
    // end style and at least 2 units.
    int64_t w = Mul(p[1], m);
    if (std::llabs(w) < 2) w = p[1] < 0 ? -2 : 2;
    p[1] = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, w)));
  }
  return 1;
}

}  // namespace

int SysRemove(const char* typed) {
  const char* cap = "Remove";
  char name[CELL_NAME_SIZE];
  TypedName(name, typed, 0);
  if (!name[0]) return 0;
  int cell = CellFind(name);
  if (!cell) {
    Say("Cell does Not Exist", cap);
    return 0;
  }
  char msg[300];
  snprintf(msg, sizeof msg,
           "%s will be Removed from the Cell Collection, but the TLC File will NOT be Deteted\n\nTo Recover a cell use "
           "Import to Restore the Cell\n\nYou Sure ?",
           name);
  if (!Ask(msg, cap)) return 0;
  std::vector<std::vector<int>> sets = PlacedSets();
  std::vector<int> users;
  for (int i = 1; i <= CellTable.count; ++i) {
    const std::vector<int>& s = sets[static_cast<size_t>(i)];
    if (i == cell || std::find(s.begin(), s.end(), cell) == s.end()) continue;
    snprintf(msg, sizeof msg, "Cell is Used in %s\n\nContinue ?", CellTable.cells[i].name);
    if (!Ask(msg, cap)) return 0;
    users.push_back(i);
  }
  HostStatus("Fixing Cell Files ...");
  int ok = 1;
  for (int u : users)
    if (!RewriteInstances(CellTable.cells[u].name, name, nullptr)) ok = 0;
  if (!ok) {
    // A file that still places the cell must keep finding it.
    Say("Some Cell Files could not be Fixed ... the Cell is Not Removed", cap);
    return 0;
  }
  for (int i = cell; i < CellTable.count; ++i) CellTable.cells[i] = CellTable.cells[i + 1];
  --CellTable.count;
  if (!ListWrite()) return 0;
  return Finish();
}

int SysReName(const char* typedOld, const char* typedNew) {
  const char* cap = "ReName";
  char from[CELL_NAME_SIZE], to[CELL_NAME_SIZE];
  TypedName(from, typedOld, 0);
  TypedName(to, typedNew, 0);
  if (!from[0] || !to[0]) return 0;
  int cell = CellFind(from);
  if (!cell) {
    Say("Cell does Not Exist", cap);
    return 0;
  }
  if (CellFind(to)) {
    Say("Cell Already Exists", cap);
    return 0;
  }
  char msg[300];
  if (TlcOpen("", to)) {
    TlcClose();
    snprintf(msg, sizeof msg, "%s.tlc Exists (a Removed Cell ?)\n\nReplace it ?", to);
    if (!Ask(msg, cap)) return 0;
  }
  snprintf(msg, sizeof msg, "Renaming Cell %s to %s ...", from, to);
  HostStatus(msg);
  if (LoadWhole(cell) != 1) {
    snprintf(msg, sizeof msg, "Loading %s TLC File Failed", from);
    HostError(msg);
    return 0;
  }
  int rank = CellTable.cells[cell].rank & 0x1F;
  std::vector<std::vector<int>> sets = PlacedSets();
  int ok = 1;
  for (int i = 1; i <= CellTable.count; ++i) {
    const std::vector<int>& s = sets[static_cast<size_t>(i)];
    if ((CellTable.cells[i].rank & 0x1F) <= rank || std::find(s.begin(), s.end(), cell) == s.end()) continue;
    if (!RewriteInstances(CellTable.cells[i].name, from, to)) ok = 0;
  }
  // The store still holds the cell (the rewrites read files only).
  TlcCopyCut(CellTable.cells[cell].name, to, CELL_NAME_MAX, 1);
  if (!ListWrite()) return 0;
  if (TlcWriteCell(to, to) != 0) ok = 0;
  Finish();
  return ok;
}

int SysReSize(const char* typed, double mult) {
  const char* cap = "ReSize";
  char name[CELL_NAME_SIZE];
  TypedName(name, typed, 1);
  if (!name[0]) return 0;
  bool all = strcmp(name, "*") == 0;
  int only = all ? 0 : CellFind(name);
  if (!all && !only) {
    Say("Cell does Not Exist", cap);
    return 0;
  }
  if (!(mult >= 0.01)) mult = 0.01;
  if (mult > 100) mult = 100;
  if (!Ask("You Sure ?", cap)) return 0;
  char msg[200];
  snprintf(msg, sizeof msg, "Resizing %s by a factor of %.*g ...", all ? "All Cells" : name, 9, mult);
  HostStatus(msg);
  for (int i = 1; i <= CellTable.count; ++i) {
    if (!all && i != only) continue;
    CellEntry& e = CellTable.cells[i];
    if (LoadWhole(i) != 1) {
      snprintf(msg, sizeof msg, "%s did not Load Whole ... Not Resized", e.name);
      HostWarning(msg);
      continue;
    }
    if (!StoreResize(e.rank & 0x1F, mult)) {
      snprintf(msg, sizeof msg, "%s would Exceed the Coordinate Range ... Not Resized", e.name);
      HostWarning(msg);
      continue;
    }
    if (TlcWriteCell(e.name, e.name) != 0) continue;
    int32_t* f[] = {&e.l, &e.b, &e.r, &e.t};
    for (int32_t* v : f) *v = static_cast<int32_t>(std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, Mul(*v, mult))));
  }
  return Finish();
}

int SysReRank(const char* typed, int rank) {
  const char* cap = "ReRank";
  char name[CELL_NAME_SIZE];
  TypedName(name, typed, 1);
  if (!name[0]) return 0;
  bool all = strcmp(name, "*") == 0;
  int only = 0;
  if (all && rank != 0) {
    Say("No Rank should be Entered", cap);
    return 0;
  }
  if (!all) {
    only = CellFind(name);
    if (!only) {
      Say("Cell does Not Exist", cap);
      return 0;
    }
    if (rank < 1 || rank > RANK_MAX) {
      Say("Wrong Rank Entered", cap);
      return 0;
    }
  }
  if (!Ask("Cell Collection will be ReRanked\n\nContinue ?", cap)) return 0;
  HostStatus("Adjusting Ranks of All Cells\n\nPlease Wait and DO NOT INTERRUPT");
  for (int i = 1; i <= CellTable.count; ++i) CellTable.cells[i].rank &= 0x1F;
  if (!ListWrite()) return 0;
  if (only) CellTable.cells[only].rank = rank;
  std::vector<std::vector<int>> sets = PlacedSets();
  bool changed = true, failed = false;
  int passes = 0;
  while (changed && !failed) {
    changed = false;
    if (++passes > 26) {
      failed = true;
      break;
    }
    for (int i = 1; i <= CellTable.count && !failed; ++i) {
      int need = 1;
      for (int k : sets[static_cast<size_t>(i)]) need = std::max(need, CellTable.cells[k].rank + 1);
      if (need > RANK_MAX) {
        failed = true;
        break;
      }
      int& r = CellTable.cells[i].rank;
      int to = all ? need : std::max(r, need);
      if (to != r) {
        r = to;
        changed = true;
      }
    }
  }
  if (failed) {
    HostWarning("ReRank Failed\n\nCell Files or Cell Hierarchy might be Corrupted");
    CrfRead();
    return 0;
  }
  if (!ListWrite()) return 0;
  // Each file comes to carry its cell's rank in its header through the
  // Organize that follows: it loads and saves every cell.
  return Finish();
}

int SysReLayer(const char* typed, int a, int b, int kind) {
  const char* cap = "ReLayer";
  char name[CELL_NAME_SIZE];
  TypedName(name, typed, 1);
  if (!name[0] || kind < 1 || kind > 3) return 0;
  bool all = strcmp(name, "*") == 0;
  int only = all ? 0 : CellFind(name);
  if (!all && !only) {
    Say("Cell does Not Exist", cap);
    return 0;
  }
  if (kind != 3 && (a < 1 || a > LAYER_MAX || b < 1 || b > LAYER_MAX)) {
    Say("Wrong Layers", cap);
    return 0;
  }
  if (kind == 3 && (a < 1 || a > LAYER_MAX)) {
    Say("Wrong Layer", cap);
    return 0;
  }
  if (HostMsgBox("These operations can make changes to your drawing that can be hard to repair\n\nYou should ALWAYS use "
                 "Export to make a TLD backup file of the whole drawing\n\nContinue ?",
                 nullptr, HOST_CAP_WARNING, HOST_YESNO) != HOST_IDYES)
    return 0;
  char msg[200];
  if (kind == 1)
    snprintf(msg, sizeof msg, "Moving Layer %d to %d\n\nPlease Wait and DO NOT INTERRUPT", a, b);
  else if (kind == 2)
    snprintf(msg, sizeof msg, "Copying Layer %d to %d\n\nPlease Wait and DO NOT INTERRUPT", a, b);
  else
    snprintf(msg, sizeof msg, "Deleting Layer %d\n\nPlease Wait and DO NOT INTERRUPT", a);
  HostStatus(msg);
  for (int i = 1; i <= CellTable.count; ++i) {
    if (!all && i != only) continue;
    const CellEntry& e = CellTable.cells[i];
    if (CellObjLoad(i) != 0) continue;
    if (kind != 3) {
      bool used = false;
      for (int32_t k = 1; k <= Store.boxCount && !used; ++k) used = static_cast<int>(StoreBoxRec(k)[0] & FLAG_LAYER_MASK) == b;
      for (int32_t k = 1; k <= Store.pathCount && !used; ++k) {
        const int32_t* p = StorePathRec(k);
        used = p[0] > 0 && static_cast<int>(p[0] & FLAG_LAYER_MASK) == b;
      }
      if (used) {
        snprintf(msg, sizeof msg, "Layer %d in %s is Not Empty\n\nContinue ?", b, e.name);
        if (!Ask(msg, cap)) continue;
      }
    }
    TlcLayerRewrite(a, b, e.name, kind);
  }
  return Finish();
}

void SysScaleNote(char* out, int size) {
  double s = MainSetup.scale > 0 ? MainSetup.scale : 1.0;
  snprintf(out, static_cast<size_t>(size),
           "Max. Size will be +/-%.*g %s.\n\nIMPORTANT: If Scale is changed use Organize to rewrite\nall TLC files and "
           "ReSize to correct the Physical Size of any cells",
           9, 536870912.0 / s, MainSetup.physunit);
}
