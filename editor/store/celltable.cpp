#include "celltable.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>

#include "host.h"
#include "namecheck.h"
#include "safewrite.h"
#include "store.h"
#include "tlcline.h"

CellTableState CellTable;

namespace {

bool SameName(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = toupper(static_cast<unsigned char>(*a)), cb = toupper(static_cast<unsigned char>(*b));
    if (ca != cb) return false;
    if (!ca) return true;
  }
}

void Preset(CellEntry* e) {
  memset(e, 0, sizeof *e);
  snprintf(e->name, sizeof e->name, "NONE");
  e->rank = 1;
  e->r = 1;
  e->t = 1;
}

std::unique_ptr<TlcLineIn> NewSource() { return std::unique_ptr<TlcLineIn>(new TlcLineIn); }

// Opens the first list of names that exists in folder (may be "").
const char* const kListFiles[] = {"QUIL7.CRF", "CELLS7.DBD", "CELLS6.DBD"};

// Returns 1 + the index in kListFiles of the list opened, 0 when none.
int OpenList(TlcLineIn* in, const char* folder, int names, int tlcMode) {
  const char* const* files = kListFiles;
  for (int i = 0; i < names; ++i) {
    char path[400];
    int n = snprintf(path, sizeof path, "%s%s", folder, files[i]);
    if (n < 0 || static_cast<size_t>(n) >= sizeof path) return 0;
    if (TlcLineOpenFile(in, path, tlcMode)) {
      in->maxChars = TLC_LINE_LIMIT;
      return i + 1;
    }
  }
  return 0;
}

// Parses a data line into e (rank first); 1 when the rank is 1..24 and
// every field present is a number in range (missing ones keep the preset).
int ParseData(const char* line, CellEntry* e, int* rankOut) {
  int64_t v[9];
  const char* p = line;
  int n = 0;
  while (n < 9) {
    const char* q = TlcNextInt(p, &v[n]);
    if (!q) break;
    p = q;
    ++n;
  }
  while (*p == ' ' || *p == '\t') ++p;
  if (n == 0) {
    *rankOut = 0;
    return 0;
  }
  *rankOut = (v[0] >= INT32_MIN && v[0] <= INT32_MAX) ? static_cast<int>(v[0]) : 0;
  if (v[0] < 1 || v[0] > RANK_MAX) return 0;
  if (n < 9 && *p) return 0;  // a malformed field
  for (int i = 1; i < n; ++i) {
    bool count = i >= 5;
    if (v[i] > INT32_MAX || v[i] < (count ? 0 : INT32_MIN)) return 0;
  }
  int32_t* fields[] = {&e->rank, &e->l, &e->b, &e->r, &e->t, &e->nb, &e->np, &e->nv, &e->nc};
  for (int i = 0; i < n; ++i) *fields[i] = static_cast<int32_t>(v[i]);
  return 1;
}

int WriteList(const char* path) {
  for (int i = 1; i <= CellTable.count; ++i) {
    int rank = CellTable.cells[i].rank & 0x1F;
    if (rank < 1 || rank > RANK_MAX) {
      char msg[160];
      snprintf(msg, sizeof msg, "Cell %s has Rank %d outside 1..24 ... QUIL7.CRF not Written", CellTable.cells[i].name,
               rank);
      HostError(msg);
      return 0;
    }
  }
  SafeWrite sw;
  if (!SafeWriteOpen(&sw, path)) return 0;
  int bad = fprintf(sw.f.get(), "%d\n", CellTable.count) < 0;
  for (int i = 1; i <= CellTable.count && !bad; ++i) {
    const CellEntry& e = CellTable.cells[i];
    bad = fprintf(sw.f.get(), "%s\n%d %d %d %d %d %d %d %d %d\n", e.name, static_cast<int>(e.rank & 0x1F), e.l, e.b, e.r,
                  e.t, e.nb, e.np, e.nv, e.nc) < 0;
  }
  if (!bad) bad = fprintf(sw.f.get(), "\n") < 0;
  return SafeWriteCommit(&sw, bad);
}

}  // namespace

namespace {

// Names of the table by their upper-case form. The table is changed in
// place by many hands, so a hit is checked against the entry and the index
// is made again when it no longer fits; a miss is confirmed by a walk, so the
// answer is always the table's.
struct NameIndex {
  std::unordered_map<std::string, int> at;
  int builtFor = -1;  // the count when made
};
NameIndex Index;

std::string KeyOf(const char* name) {
  std::string k(name);
  for (char& c : k) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return k;
}

void IndexBuild() {
  Index.at.clear();
  for (int i = 1; i <= CellTable.count; ++i) Index.at.emplace(KeyOf(CellTable.cells[i].name), i);
  Index.builtFor = CellTable.count;
}

int IndexHit(const std::string& key, const char* name) {
  auto it = Index.at.find(key);
  if (it == Index.at.end()) return 0;
  int n = it->second;
  return (n >= 1 && n <= CellTable.count && SameName(CellTable.cells[n].name, name)) ? n : -1;
}

}  // namespace

void CellTableReset() {
  memset(&CellTable, 0, sizeof CellTable);
  Index.at.clear();
  Index.builtFor = -1;
}

const CellEntry* CellEntryOf(int n) {
  if (n < 1 || n > CellTable.count || n > CELL_MAX) return nullptr;
  return &CellTable.cells[n];
}

const char* CellNameOf(int n) {
  if (const CellEntry* e = CellEntryOf(n)) return e->name;
  if (n >= UNRESOLVED_FIRST && n < UNRESOLVED_FIRST + CellTable.unresolvedCount) return CellTable.cells[n].name;
  return nullptr;
}

int CellFind(const char* name) {
  if (!name || !name[0]) return 0;
  std::string key = KeyOf(name);
  int n = IndexHit(key, name);
  if (n > 0) return n;
  if (n < 0 || Index.builtFor != CellTable.count) {
    IndexBuild();
    n = IndexHit(key, name);
    if (n > 0) return n;
  }
  for (int i = 1; i <= CellTable.count; ++i)
    if (SameName(CellTable.cells[i].name, name)) {
      IndexBuild();  // an entry renamed in place: the index is behind
      return i;
    }
  return 0;
}

int CellFindAdd(const char* name) {
  int n = CellFind(name);
  if (n) return n;
  if (CellTable.count >= CELL_MAX || !CellNameValid(name)) return 0;
  CellEntry* e = &CellTable.cells[++CellTable.count];
  Preset(e);
  TlcCopyCut(e->name, name, CELL_NAME_MAX, 1);
  if (Index.builtFor == CellTable.count - 1) {
    Index.at.emplace(KeyOf(e->name), CellTable.count);
    Index.builtFor = CellTable.count;
  }
  return CellTable.count;
}

int CellNumberForInstance(const char* name) {
  if (!name || !name[0]) return 0;
  int n = CellFind(name);
  if (n) return n;
  // A name that no cell can carry is no reference to keep.
  if (!CellNameValid(name)) return 0;
  for (int i = 0; i < CellTable.unresolvedCount; ++i)
    if (SameName(CellTable.cells[UNRESOLVED_FIRST + i].name, name)) return UNRESOLVED_FIRST + i;
  if (UNRESOLVED_FIRST + CellTable.unresolvedCount >= CELL_NUMBER_SPAN) return 0;
  CellEntry* e = &CellTable.cells[UNRESOLVED_FIRST + CellTable.unresolvedCount];
  memset(e, 0, sizeof *e);
  TlcCopyCut(e->name, name, CELL_NAME_MAX, 1);
  return UNRESOLVED_FIRST + CellTable.unresolvedCount++;
}

namespace {

// Reads a cell reference list of folder into the table, keeping the entries
// read whole and valid: 0 when none opens, 1 when every announced entry was
// taken, 2 when entries were dropped or the list ended early (said).
int ReadList(const char* folder, int names, int tlcMode) {
  auto in = NewSource();
  int opened = OpenList(in.get(), folder, names, tlcMode);
  if (!opened) return 0;
  const char* file = kListFiles[opened - 1];
  const char* line = TlcLineGet(in.get());
  int64_t announced = 0;
  bool countOk = line && TlcNextInt(line, &announced) && announced >= 0;
  if (!countOk) announced = 0;
  int64_t want = announced > CELL_MAX ? int64_t(CELL_MAX) : announced;
  CellTableReset();
  int count = 0;
  for (int64_t i = 0; i < want; ++i) {
    CellEntry e;
    Preset(&e);
    line = TlcLineGet(in.get());
    if (!line) break;
    char name[TLC_LINE_LIMIT + 2];
    snprintf(name, sizeof name, "%s", line);
    line = TlcLineGet(in.get());
    if (!line) break;
    int rank = 0;
    // A name that can't be a file name is dropped like a bad rank: the cell
    // could never be loaded or saved under it.
    if (!ParseData(line, &e, &rank) || strlen(name) > CELL_NAME_MAX || !CellNameValid(name)) continue;
    TlcCopyCut(e.name, name, CELL_NAME_MAX, 1);
    // Names differing only in case are one cell file: a second entry would
    // be saved over the first one's.
    bool twice = false;
    for (int k = 1; k <= count && !twice; ++k) twice = SameName(CellTable.cells[k].name, e.name);
    if (twice) {
      char msg[160];
      snprintf(msg, sizeof msg, "Cell %s is Listed Twice in %s ... the First Entry is Kept", e.name, file);
      HostWarning(msg);
      continue;
    }
    CellTable.cells[++count] = e;
  }
  TlcLineClose(in.get());
  CellTable.count = count;
  if (!countOk || count < announced) {
    char msg[80];
    snprintf(msg, sizeof msg, "%s File Error ... Keeping Valid Cells", file);
    HostError(msg);
    return 2;
  }
  return 1;
}

}  // namespace

int CrfRead() { return ReadList("", 3, 0); }

int CrfWrite(const char* name, int cell, int rank) {
  if (name && name[0] && cell && rank) {
    if (rank < 1 || rank > RANK_MAX || cell < 1 || cell > CELL_MAX) {
      char msg[160];
      snprintf(msg, sizeof msg, "Cell %.32s has Rank %d outside 1..24 ... QUIL7.CRF not Written", name, rank);
      HostError(msg);
      return 0;
    }
    if (cell > CellTable.count) return 0;
    int32_t ext[4];
    StoreExtentCalc(ext);
    CellEntry& e = CellTable.cells[cell];
    TlcCopyCut(e.name, name, CELL_NAME_MAX, 1);
    e.rank = rank;
    e.l = ext[0];
    e.b = ext[1];
    e.r = ext[2];
    e.t = ext[3];
    e.nb = Store.boxCount;
    e.np = Store.pathCount;
    e.nv = Store.vertexCount;
    e.nc = Store.instCount[0];
  }
  return WriteList("QUIL7.CRF");
}

int CrfCheckFiles() {
  int missing = 0;
  for (int i = 1; i <= CellTable.count; ++i) {
    char path[64];
    snprintf(path, sizeof path, "%s.tlc", CellTable.cells[i].name);
    FILE* f = fopen(path, "rb");
    if (f) {
      fclose(f);
      continue;
    }
    ++missing;
    char msg[200];
    snprintf(msg, sizeof msg,
             "%s File is Missing\n\nImport or Create a cell with that name\n\nOK to Continue Search, Cancel to End "
             "Search",
             path);
    if (HostMsgBox(msg, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL) break;
  }
  return missing;
}

int CrfReadOther(const char* folder) {
  // Only the entries read whole are kept: a list cut short must not come
  // back with empty slots that a later write would store.
  return ReadList(folder ? folder : "", 2, 1) ? 1 : 0;
}

int CrfWriteOther(const char* folder) {
  char path[400];
  int n = snprintf(path, sizeof path, "%sQUIL7.CRF", folder ? folder : "");
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) return 0;
  return WriteList(path);
}
