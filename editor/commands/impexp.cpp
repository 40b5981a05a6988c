#include "impexp.h"

#include <dirent.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "host.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "orient.h"
#include "satutil.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"
#include "undo.h"

ImpExpState ImpExp;

namespace {

// Names of the list by their upper-case form, so that finding one is not a
// walk over the whole list for every instance read.
std::unordered_map<std::string, int> ListIndex;

std::string Upper(const char* s) {
  std::string u(s ? s : "");
  for (char& c : u) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return u;
}

int ListFind(const char* name) {
  auto it = ListIndex.find(Upper(name));
  return it == ListIndex.end() ? -1 : it->second;
}

void ListReindex() {
  ListIndex.clear();
  for (int i = 0; i < ImpExp.count; ++i) ListIndex.emplace(Upper(ImpExp.list[i].name), i);
}

// A new list entry of that name (upper-cased, cut to 32), or null when full.
ImportItem* ListAdd(const char* name) {
  if (ImpExp.count >= CELL_MAX) return nullptr;
  ImportItem* it = &ImpExp.list[ImpExp.count];
  memset(it, 0, sizeof *it);
  TlcCopyCut(it->name, name, CELL_NAME_MAX, 1);
  ListIndex.emplace(Upper(it->name), ImpExp.count);
  ++ImpExp.count;
  return it;
}

void SortByRank() {
  std::stable_sort(ImpExp.list, ImpExp.list + ImpExp.count,
                   [](const ImportItem& a, const ImportItem& b) { return a.rank < b.rank; });
  ListReindex();
}

int Say(const char* text, int type = HOST_OK) { return HostMsgBox(text, ImpExp.caption, HOST_CAP_OWN, type); }

void Fault(const char* text) {
  Say(text);
  ImpExp.error = 1;
}

void Status(const char* text, int ms) {
  HostStatus(text);
  if (ImpExp.pauses) HostPause(ms);
}

// Folder as a full path ending in a separator; "" is the current folder.
void FolderFull(char* out, size_t size, const char* folder) {
  snprintf(out, size, "%s", PathFull(folder ? folder : ""));
}

// The typed name or pattern must become a file name: * and ? only where a
// pattern is allowed, and the library's check on the rest.
int TypedNameValid(const char* name, int pattern) {
  char probe[CELL_NAME_SIZE + 8];
  if (strlen(name) > CELL_NAME_MAX) return 0;
  snprintf(probe, sizeof probe, "%s", name);
  if (pattern)
    for (char* q = probe; *q; ++q)
      if (*q == '*' || *q == '?') *q = 'A';
  return CellNameValid(probe);
}

long FileBytes(const char* folder, const char* name, const char* ext) {
  char path[400];
  snprintf(path, sizeof path, "%s%s%s", folder, name, ext);
  TlcPathTidy(path);
  long long n = SatFileSize(path);
  return n < 0 ? 0 : static_cast<long>(n);
}

bool FileThere(const char* folder, const char* name, const char* ext) {
  char path[400];
  snprintf(path, sizeof path, "%s%s%s", folder, name, ext);
  TlcPathTidy(path);
  FILE* f = fopen(path, "rb");
  if (!f) return false;
  fclose(f);
  return true;
}

// The Yes, No, Yes to All, No to All answers for an existing cell or file:
// 1 to replace it, 0 to keep it.
int ReplaceAsk(const char* title, const char* label, const char* shown, const char* allText) {
  if (ImpExp.yesAll) return 1;
  if (ImpExp.noAll) return 0;
  for (;;) {
    int a;
    if (ImpExp.ynbox) {
      a = ImpExp.ynbox(title, label, shown);
    } else {
      char msg[200];
      snprintf(msg, sizeof msg, "%s\n%s\n\nAlready Exists ... Replace?", label, shown);
      int b = HostMsgBox(msg, title, HOST_CAP_OWN, HOST_YESNOCANCEL);
      a = b == HOST_IDYES ? YN_YES : b == HOST_IDCANCEL ? YN_NO_ALL : YN_NO;
    }
    switch (a) {
      case YN_YES:
        return 1;
      case YN_NO_ALL:
        ImpExp.noAll = 1;
        return 0;
      case YN_YES_ALL:
        // Only a confirmed Yes to All holds for the rest; else this one is
        // asked again.
        if (HostMsgBox(allText, nullptr, HOST_CAP_WARNING, HOST_YESNO) == HOST_IDYES) {
          ImpExp.yesAll = 1;
          return 1;
        }
        continue;
      default:
        return 0;
    }
  }
}

// Skips the data lines of a cell list record (its opening just read).
void SkipCellList() {
  int64_t n = 0;
  if (!TlcReadInts(TlcLoad.in, &n, 1)) return;
  for (int64_t i = 0; i < 2 * n; ++i)
    if (!TlcReadDataLine(TlcLoad.in)) return;
}

// --- copying records -------------------------------------------------------

// Copies one record (its opening just read) to the open output. Layers are
// merged into the layer table and, when writeLayers is set, the whole table
// is written in their place. 0 when the record could not be read (said).
int CopyRecord(int tag, int writeLayers) {
  switch (tag) {
    case TLC_TAG_C: {
      if (!TlcReadCell(0)) {
        Fault("Cell Record Read Error");
        return 0;
      }
      // A placed cell that is not there to import becomes its name as a
      // text; every other instance keeps its name and its outline flag.
      int k = ListFind(TlcRec.cel.name);
      if (k >= 0 && ImpExp.list[k].rank == 0)
        TlcWriteMissing(ImpExp.list[k].name);
      else
        TlcWriteCellRec();
      return 1;
    }
    case TLC_TAG_B:
      if (!TlcReadBox(0)) {
        Fault("Box Record Read Error");
        return 0;
      }
      TlcWriteBox();
      return 1;
    case TLC_TAG_P: {
      int cut = 0;
      if (!TlcReadPath(0, &cut) || cut) {
        char text[80];
        TlcPathErrorText(cut ? TLC_REC_LONG : TLC_REC_BAD, TLC_PATH_MAX, text, sizeof text);
        Fault(text);
        return 0;
      }
      TlcWritePath();
      return 1;
    }
    case TLC_TAG_T:
      if (!TlcReadText(0)) {
        Fault("Text Record Read Error");
        return 0;
      }
      TlcWriteText();
      return 1;
    case TLC_TAG_L:
      ImpExp.layers += TlcLayerMerge();
      if (writeLayers) TlcWriteLayers();
      return 1;
    case TLC_TAG_R:
      SkipCellList();
      return 1;
    case TLC_TAG_H:
      if (!TlcReadHeader(0)) {
        Fault("Header Record Read Error");
        return 0;
      }
      TlcWriteHeader();
      return 1;
    default:
      TlcSkipRecord(tag);
      return 1;
  }
}

// Finishes the output of item it in dst: 1 written, 0 not (said).
int CellFinish(const char* dst, ImportItem* it) {
  if (TlcFinish() != 0) {
    char msg[400];
    snprintf(msg, sizeof msg, "Unable to Write %s%s.tlc", dst, it->name);
    Fault(msg);
    return 0;
  }
  it->copied = 1;
  ++ImpExp.cells;
  char msg[120];
  snprintf(msg, sizeof msg, "%s.tlc  %ld Bytes", it->name, FileBytes(dst, it->name, ".tlc"));
  Status(msg, 100);
  return 1;
}

// --- Import ----------------------------------------------------------------

void MissingSaid(const char* name) {
  char msg[400];
  snprintf(msg, sizeof msg,
           "%s.tlc is Missing at the Source\n\nIf it does not Exist in the Drawing, the Text \"<<%s>>\"\nwill be "
           "Created on Layer %d at the Missing Cell's Ref. Point.",
           name, name, MainSetup.mctlayer);
  Fault(msg);
}

// The ".tlc" files of the source folder whose names match, in name order.
std::vector<std::string> TlcFilesMatching(const char* src, const char* pattern) {
  std::vector<std::string> names;
  std::string dir = src;
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\') && dir[dir.size() - 2] != ':') dir.pop_back();
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return names;
  while (struct dirent* e = readdir(d)) {
    std::string f = e->d_name;
    if (f.size() < 5) continue;
    std::string ext = Upper(f.substr(f.size() - 4).c_str());
    if (ext != ".TLC") continue;
    std::string stem = f.substr(0, f.size() - 4);
    // Scratch and backup files fail the name check: they are no cells.
    if (stem.size() > CELL_NAME_MAX || !CellNameValid(stem.c_str())) continue;
    if (NameMatch(pattern, stem.c_str())) names.push_back(stem);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  return names;
}

// The scale, unit, extents and counts of a cell's header, as the import
// takes them (the rank is judged by each caller).
void ItemFromHeader(ImportItem* it, const TlcHeaderRec& h) {
  it->scale = h.scale;
  TlcCopyCut(it->unit, h.unit, TLC_VERSION_MAX, 0);
  it->l = h.l;
  it->b = h.b;
  it->r = h.r;
  it->t = h.t;
  it->nb = h.nb;
  it->np = h.np;
  it->nv = h.nv;
  it->nc = h.nc;
}

int ListFromTlcFiles(const char* src, const char* pattern) {
  Status("Building Cell List from TLC Files ...", 200);
  std::vector<std::string> files = TlcFilesMatching(src, pattern);
  if (files.empty()) {
    Say("No Named or Wildcard TLC Cell Files were Found");
    return 0;
  }
  for (const std::string& f : files) {
    if (ImpExp.count >= CELL_MAX) {
      if (Say("There are Too Many TLC Files\n\nPartially Convert ?", HOST_YESNO) != HOST_IDYES) return 0;
      break;
    }
    if (ListFind(f.c_str()) >= 0) continue;  // one cell file in two cases of letters
    ImportItem* it = ListAdd(f.c_str());
    char msg[80];
    snprintf(msg, sizeof msg, "Reading %s.tlc ...", it->name);
    Status(msg, 100);
    if (!TlcOpen(src, f.c_str())) {
      MissingSaid(it->name);
      continue;
    }
    TlcRec.hdr.name[0] = 0;
    int ok = TlcHeaderScan();
    TlcClose();
    const TlcHeaderRec& h = TlcRec.hdr;
    if (!ok) {
      ImpExp.error = 1;  // said by the header reader
      continue;
    }
    if (!h.name[0] || h.rank < 0 || h.rank > RANK_MAX) {
      Fault("Header Record Read Error");
      continue;
    }
    // Rank 0 marks a cell not to be registered, as in a TLD file.
    it->rank = h.rank;
    ItemFromHeader(it, h);
  }
  return 1;
}

// Asks about the scale once, when any cell differs from the drawing.
int ScaleAgrees() {
  for (int i = 0; i < ImpExp.count; ++i) {
    const ImportItem& it = ImpExp.list[i];
    if (it.rank < 1) continue;
    double s = MainSetup.scale;
    bool same = std::fabs(it.scale - s) <= 1e-9 * std::fabs(s) && SatStricmp(it.unit, MainSetup.physunit) == 0;
    if (same) continue;
    char msg[400];
    snprintf(msg, sizeof msg,
             "%s\n\nScales Do Not Agree?\n\nImport Scale= %.*g units per %s\nDrawing Scale= %.*g units per "
             "%s\n\nContinue ?",
             it.name, 9, it.scale, it.unit, 9, s, MainSetup.physunit);
    return Say(msg, HOST_YESNO) == HOST_IDYES;
  }
  return 1;
}

// Copies one listed TLC file into the destination: 1, 0 when the import
// must stop (its file can't be written).
int ImportTlcCell(const char* src, const char* dst, ImportItem* it) {
  char msg[120];
  snprintf(msg, sizeof msg, "Importing %s ...", it->name);
  Status(msg, 100);
  if (!TlcOpen(src, it->name)) {
    MissingSaid(it->name);
    return 1;
  }
  if (!TlcCreate(dst, it->name)) {
    TlcClose();
    ImpExp.error = 1;
    return 0;
  }
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (tag != TLC_TAG_NONE) CopyRecord(tag, 1);
  }
  if (TlcClose() != 0) Fault("Cell Record Read Error");
  return CellFinish(dst, it);
}

// Copies the chosen cells of the open TLD file in one pass over it: 1, 0
// when the import must stop.
int ImportTldCells(const char* dst) {
  ImportItem* cur = nullptr;
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_NONE) continue;
    if (tag != TLC_TAG_H) {
      if (cur || tag == TLC_TAG_L || tag == TLC_TAG_R)
        CopyRecord(tag, 0);
      else
        TlcSkipRecord(tag);
      continue;
    }
    // A header ends the cell before it.
    if (cur && !CellFinish(dst, cur)) return 0;
    cur = nullptr;
    if (!TlcReadHeader(0)) continue;  // said when the list was built
    int k = ListFind(TlcRec.hdr.name);
    if (k < 0 || !ImpExp.list[k].doit || ImpExp.list[k].copied) continue;
    ImportItem* it = &ImpExp.list[k];
    char msg[120];
    snprintf(msg, sizeof msg, "Importing %s from TLD File ...", it->name);
    Status(msg, 100);
    if (!TlcCreate(dst, it->name)) {
      Fault("Unable to Write TLC File from TLD File");
      return 0;
    }
    TlcWriteHeader();
    cur = it;
  }
  if (cur && !CellFinish(dst, cur)) return 0;
  return 1;
}

int ImportRun(const ImpExpParams& p, const char* src, const char* dst) {
  const char* name = p.name ? p.name : "";
  if (!TypedNameValid(name, !p.tld)) {
    char msg[120];
    snprintf(msg, sizeof msg, "Reserved or Incorrect Cellname %.40s", name);
    Say(msg);
    return 0;
  }
  if (!CrfReadOther(dst)) {
    char msg[400];
    snprintf(msg, sizeof msg, "Destination %s Cell Reference File is Missing", dst);
    Say(msg);
    return 0;
  }
  if (p.tld) {
    Status("Building Cell List from TLD File ...", 200);
    if (!TldOpen(src, name)) {
      char msg[400];
      snprintf(msg, sizeof msg, "TLD File %s%s is Missing ... Aborting", src, name);
      Say(msg);
      return 0;
    }
    int whole = TldListHeaders();
    TlcClose();
    if (!whole && Say("There are Too Many TLC Files\n\nPartially Convert ?", HOST_YESNO) != HOST_IDYES) return 0;
  } else if (!ListFromTlcFiles(src, name)) {
    return 0;
  }
  SortByRank();
  if (!ScaleAgrees()) return 0;

  char title[80];
  snprintf(title, sizeof title, "Converting  %.40s", name);
  int stopped = 0;
  for (int i = 0; i < ImpExp.count && !stopped; ++i) {
    ImportItem* it = &ImpExp.list[i];
    if (it->rank < 1 || it->rank > RANK_MAX) continue;
    if (CellFind(it->name) &&
        !ReplaceAsk(title, "Cell ...", it->name, "Remaining Drawing Cells will be Replaced\n\nContinue ?"))
      continue;
    int n = CellFindAdd(it->name);
    if (!n) {
      Fault("Cell Table is Full ... Import Stopped");
      stopped = 1;
      break;
    }
    CellTable.cells[n].rank = it->rank;
    it->doit = 1;
    if (!p.tld && !ImportTlcCell(src, dst, it)) stopped = 1;
  }
  if (p.tld && !stopped) {
    if (!TldOpen(src, name)) {
      char msg[400];
      snprintf(msg, sizeof msg, "TLD File %s%s is Missing ... Aborting", src, name);
      Say(msg);
      return 0;
    }
    if (!ImportTldCells(dst)) stopped = 1;
    TlcClose();
    Status("Adding Any New Layers ...", 200);
  }
  // Outlines and counts from the files written, lower ranks first so that
  // each cell finds its subcells' outlines current.
  for (int i = 0; i < ImpExp.count; ++i) {
    ImportItem* it = &ImpExp.list[i];
    if (!it->copied) continue;
    int n = CellFind(it->name);
    if (!n) continue;
    CellEntry e = CellTable.cells[n];
    if (!TlcFileExtent(dst, it->name, &e)) ImpExp.error = 1;
    e.rank = it->rank;
    CellTable.cells[n] = e;
  }
  // The list names every cell whose file was written, also after a stop.
  Status("Writing Cells File ...", 200);
  if (CrfWriteOther(dst) != 1) {
    char msg[400];
    snprintf(msg, sizeof msg, "Unable to Write %sQUIL7.CRF", dst);
    Fault(msg);
    return 0;
  }
  if (stopped) return 0;
  if (p.organize && ImpExp.organize) ImpExp.organize();
  Status(" ... OK !", 200);
  return 1;
}

// --- Export ----------------------------------------------------------------

// "scale=" and "physunit=" of the source's setup file: 1, 0 when missing.
int SourceSetup(const char* src, double* scale, char* unit, size_t unitSize) {
  char path[400];
  snprintf(path, sizeof path, "%sQUIL7.USF", src);
  TlcPathTidy(path);
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  *scale = 1000.0;
  snprintf(unit, unitSize, "um");
  char line[300];
  while (fgets(line, sizeof line, f)) {
    TlcTidy(line, 1);
    double v;
    if (strncmp(line, "scale=", 6) == 0 && TlcNextDouble(line + 6, &v) && v > 0) *scale = v;
    if (strncmp(line, "physunit=", 9) == 0) TlcCopyCut(unit, line + 9, static_cast<int>(unitSize) - 1, 0);
  }
  fclose(f);
  return 1;
}

// Adds every cell placed at any depth below the listed ones: 1, 0 when the
// user stopped at the list's limit.
int ListComplete(const char* src) {
  int full = 0;
  for (int i = 0; i < ImpExp.count; ++i) {
    ImportItem* it = &ImpExp.list[i];
    char msg[120];
    snprintf(msg, sizeof msg, "Reading %s.tlc ...", it->name);
    Status(msg, 100);
    if (!TlcOpen(src, it->name)) {
      snprintf(msg, sizeof msg, "%s.tlc is Missing ... False Cell may be Created", it->name);
      HostWarning(msg);
      ImpExp.error = 1;
      it->doit = 0;
      continue;
    }
    while (const char* line = TlcLineGet(TlcLoad.in)) {
      int tag = TlcTagOf(line);
      if (tag == TLC_TAG_NONE) continue;
      if (tag != TLC_TAG_C) {
        TlcSkipRecord(tag);
        continue;
      }
      if (!TlcReadCell(0) || full || ListFind(TlcRec.cel.name) >= 0) continue;
      if (ImpExp.count >= CELL_MAX) {
        if (Say("Too Many TLC Files\n\nPartially Convert ?", HOST_YESNO) != HOST_IDYES) {
          TlcClose();
          return 0;
        }
        full = 1;
        continue;
      }
      ImportItem* add = ListAdd(TlcRec.cel.name);
      const CellEntry* e = CellEntryOf(CellFind(add->name));
      add->rank = e ? (e->rank & 0x1F) : 0;
      add->doit = 1;
    }
    TlcClose();
  }
  return 1;
}

// Copies the object and instance records of a cell file to the open TLD.
int TldCellBody(const char* src, const ImportItem& it) {
  char msg[120];
  snprintf(msg, sizeof msg, "Unable to Write Cell %s to TLD File", it.name);
  if (!TlcOpen(src, it.name)) {
    Fault(msg);
    return 0;
  }
  int ok = 1;
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_NONE) continue;
    if (tag == TLC_TAG_H || tag == TLC_TAG_L || tag == TLC_TAG_R) {
      TlcSkipRecord(tag);
      continue;
    }
    if (tag == TLC_TAG_C) {
      // Instances go as read, names and outline flags unchanged.
      if (TlcReadCell(0))
        TlcWriteCellRec();
      else
        ok = 0;
      continue;
    }
    int saved = ImpExp.error;
    if (!CopyRecord(tag, 0)) ok = 0;
    ImpExp.error = saved;
  }
  if (TlcClose() != 0) ok = 0;
  if (!ok) Fault(msg);
  return ok;
}

int ExportTld(const char* src, const char* dst, const char* name, int whole, int layersOnly, double scale,
              const char* unit) {
  if (FileThere(dst, name, ".tld") &&
      HostMsgBox("TLD File Exists and will be Replaced using Current Drawing Cells\n\nContinue ?", nullptr,
                 HOST_CAP_WARNING, HOST_YESNO) != HOST_IDYES)
    return 0;
  errno = 0;
  int quiet = TlcWrite.quiet;
  TlcWrite.quiet = 1;
  int made = TldCreate(dst, name);
  TlcWrite.quiet = quiet;
  if (!made) {
    char msg[80];
    snprintf(msg, sizeof msg, "Unable to Write TLD File ... Error %d", errno);
    Fault(msg);
    return 0;
  }
  Status("Writing TLD File ...", 200);
  if (whole) TldWriteCellList();
  TlcWriteLayers();
  ImpExp.layers = MainSetup.layerCount;
  for (int i = 0; i < ImpExp.count && !layersOnly; ++i) {
    const ImportItem& it = ImpExp.list[i];
    if (!it.doit) continue;
    char msg[120];
    snprintf(msg, sizeof msg, "Writing %s to TLD File ...", it.name);
    Status(msg, 100);
    const CellEntry* e = CellEntryOf(CellFind(it.name));
    TlcHeaderRec& h = TlcRec.hdr;
    TlcCopyCut(h.name, it.name, TLC_NAME_MAX, 1);
    snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
    snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
    h.scale = scale;
    TlcCopyCut(h.unit, unit, TLC_VERSION_MAX, 0);
    TlcNow(h.date, h.time);
    int rank = e ? (e->rank & 0x1F) : it.rank;
    h.rank = rank ? rank : 1;
    h.l = e ? e->l : 0;
    h.b = e ? e->b : 0;
    h.r = e ? e->r : 1;
    h.t = e ? e->t : 1;
    h.nb = e ? e->nb : 0;
    h.np = e ? e->np : 0;
    h.nv = e ? e->nv : 0;
    h.nc = e ? e->nc : 0;
    TlcWriteHeader();
    if (TldCellBody(src, it)) ++ImpExp.cells;
  }
  if (TlcFinish() != 0) {
    char msg[400];
    snprintf(msg, sizeof msg, "Unable to Write %s%s TLD File", dst, name);
    Fault(msg);
    return 0;
  }
  char msg[120];
  snprintf(msg, sizeof msg, "%s.tld  %ld Bytes", name, FileBytes(dst, name, ".tld"));
  Status(msg, 100);
  return 1;
}

int ExportTlc(const char* src, const char* dst, const char* name) {
  char title[80];
  snprintf(title, sizeof title, "Converting  %.40s", name);
  ImpExp.layers = MainSetup.layerCount;
  for (int i = 0; i < ImpExp.count; ++i) {
    const ImportItem& it = ImpExp.list[i];
    if (!it.doit) continue;
    char shown[48];
    snprintf(shown, sizeof shown, "%s.tlc", it.name);
    if (FileThere(dst, it.name, ".tlc") &&
        !ReplaceAsk(title, "File ...", shown, "Remaining TLC Files will be Replaced using Current Drawing Cells\n\nContinue ?"))
      continue;
    char msg[120];
    snprintf(msg, sizeof msg, "Exporting %s ...", it.name);
    Status(msg, 100);
    int r = TlcCopyFile(src, dst, it.name);
    if (r != 1) ImpExp.error = 1;
    if (r == 0) continue;
    ++ImpExp.cells;
    snprintf(msg, sizeof msg, "%s.tlc  %ld Bytes", it.name, FileBytes(dst, it.name, ".tlc"));
    Status(msg, 100);
  }
  return 1;
}

int ExportRun(const ImpExpParams& p, const char* src, const char* dst) {
  const char* name = p.name ? p.name : "";
  char msg[400];
  if (!TypedNameValid(name, !p.tld)) {
    snprintf(msg, sizeof msg, "Reserved or Incorrect Cellname %.40s", name);
    Say(msg);
    return 0;
  }
  if (MainSetup.common[0] && !PathDiffer(dst, MainSetup.common)) {
    Say("Common Folder is Read Only");
    return 0;
  }
  int made = SatMkdir(dst);
  if (made == 0) {
    snprintf(msg, sizeof msg, "Folder %s was Created", dst);
    Say(msg);
  } else if (made != SAT_MKDIR_THERE) {
    snprintf(msg, sizeof msg, "Destination Folder %s is Invalid", dst);
    Say(msg);
    return 0;
  }
  if (!CrfReadOther(src)) {
    snprintf(msg, sizeof msg, "Source %s Cell Reference File is Missing", src);
    Say(msg);
    return 2;
  }
  double scale = 1000.0;
  char unit[TLC_VERSION_MAX + 1];
  if (!SourceSetup(src, &scale, unit, sizeof unit)) {
    Say("Main Setup File at Source is Missing\n\nRun QUIL on that drawing to Create One");
    return 2;
  }
  if (p.organize && ImpExp.organize) ImpExp.organize();
  int whole = 0, layersOnly = 0;
  if (!p.tld || CellFind(name)) {
    Status(p.tld ? "Building Cell List of Named Cell for TLD File ..." : "Building Cell List for TLC Files ...", 200);
    for (int i = 1; i <= CellTable.count; ++i) {
      const CellEntry& e = CellTable.cells[i];
      if (!NameMatch(name, e.name) || !CellNameValid(e.name)) continue;
      ImportItem* it = ListAdd(e.name);
      if (!it) break;
      it->rank = e.rank & 0x1F;
      it->doit = 1;
    }
    if (!ImpExp.count) {
      Fault("No Named or Wildcard Cells were Found");
      return 0;
    }
    if (!ListComplete(src)) return 0;
  } else {
    int a = Say(
        "Filename is not the Name of a Cell\n\nYou can write a TLD File of the Complete Drawing or just the "
        "Layers\n\nWrite Complete Drawing?",
        HOST_YESNOCANCEL);
    if (a == HOST_IDYES) {
      Status("Building List of All Cells for TLD File ...", 200);
      whole = 1;
      for (int i = 1; i <= CellTable.count; ++i) {
        ImportItem* it = ListAdd(CellTable.cells[i].name);
        if (!it) break;
        it->rank = CellTable.cells[i].rank & 0x1F;
        it->doit = 1;
      }
    } else if (a == HOST_IDNO) {
      Status("Building List of Layers for TLD File ...", 200);
      layersOnly = 1;
    } else {
      return 0;
    }
  }
  snprintf(msg, sizeof msg, "Export Scale= %.*g units per %s", 9, scale, unit);
  Status(msg, 200);
  Status("Sorting Cells ...", 200);
  SortByRank();
  int r = p.tld ? ExportTld(src, dst, name, whole, layersOnly, scale, unit) : ExportTlc(src, dst, name);
  if (!r) return 0;
  Status(" ... OK !", 200);
  return 1;
}

}  // namespace

void ImpExpReset() {
  int pauses = ImpExp.pauses;
  auto ynbox = ImpExp.ynbox;
  auto organize = ImpExp.organize;
  ImpExp.cells = ImpExp.layers = ImpExp.error = 0;
  ImpExp.yesAll = ImpExp.noAll = 0;
  ImpExp.count = 0;
  ImpExp.caption = "";
  ImpExp.pauses = pauses;
  ImpExp.ynbox = ynbox;
  ImpExp.organize = organize;
  ListIndex.clear();
}

int NameMatch(const char* pattern, const char* name) {
  const char* p = pattern;
  const char* n = name;
  const char* star = nullptr;
  const char* back = nullptr;
  while (*n) {
    if (*p == '*') {
      star = p++;
      back = n;
    } else if (*p && (*p == '?' || toupper(static_cast<unsigned char>(*p)) == toupper(static_cast<unsigned char>(*n)))) {
      ++p;
      ++n;
    } else if (star) {
      p = star + 1;
      n = ++back;
    } else {
      return 0;
    }
  }
  while (*p == '*') ++p;
  return *p == 0;
}

int TldListHeaders() {
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_NONE) continue;
    if (tag == TLC_TAG_R) {
      SkipCellList();
      continue;
    }
    if (tag != TLC_TAG_H) {
      TlcSkipRecord(tag);
      continue;
    }
    if (!TlcReadHeader(0)) {
      Fault("Header Record Read Error");
      continue;
    }
    const TlcHeaderRec& h = TlcRec.hdr;
    char msg[120];
    if (strlen(h.name) > CELL_NAME_MAX || !CellNameValid(h.name)) {
      snprintf(msg, sizeof msg, "Reserved or Incorrect Cellname %.40s", h.name);
      Fault(msg);
      continue;
    }
    if (ListFind(h.name) >= 0) {
      snprintf(msg, sizeof msg, "Cell %s is Twice in the TLD File ... the First is Imported", h.name);
      Fault(msg);
      continue;
    }
    if (ImpExp.count >= CELL_MAX) return 0;
    ImportItem* it = ListAdd(h.name);
    // Rank 0 marks a cell that is not to be registered: its instances
    // become texts of its name.
    it->rank = h.rank;
    if (h.rank < 0 || h.rank > RANK_MAX) {
      snprintf(msg, sizeof msg, "Cell %s has Rank %d outside 1..24", it->name, static_cast<int>(h.rank));
      Fault(msg);
      it->rank = 0;
    }
    ItemFromHeader(it, h);
  }
  return 1;
}

int TlcFileExtent(const char* folder, const char* name, CellEntry* e) {
  if (!TlcOpen(folder, name)) return 0;
  int64_t l = TLC_COORD_MAX, b = TLC_COORD_MAX, r = -TLC_COORD_MAX, t = -TLC_COORD_MAX;
  int64_t nb = 0, np = 0, nv = 0, nc = 0;
  auto widen = [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    l = std::min(l, x0);
    b = std::min(b, y0);
    r = std::max(r, x1);
    t = std::max(t, y1);
  };
  int ok = 1;
  while (const char* line = TlcLineGet(TlcLoad.in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_B) {
      if (!TlcReadBox(0)) {
        ok = 0;
        continue;
      }
      const TlcBoxRec& q = TlcRec.box;
      widen(q.l, q.b, q.r, q.t);
      ++nb;
    } else if (tag == TLC_TAG_P) {
      int cut = 0;
      if (!TlcReadPath(0, &cut)) {
        ok = 0;
        continue;
      }
      if (cut) ok = 0;
      const TlcPathRec& q = TlcRec.path;
      int64_t half = std::llabs(static_cast<int64_t>(q.w)) / 2;
      for (int i = 0; i < q.nv; ++i) widen(q.x[i] - half, q.y[i] - half, q.x[i] + half, q.y[i] + half);
      ++np;
      nv += q.nv;
    } else if (tag == TLC_TAG_T) {
      if (!TlcReadText(0)) {
        ok = 0;
        continue;
      }
      const TlcTextRec& q = TlcRec.text;
      int n = static_cast<int>(strlen(q.text));
      int64_t size = 2 * (std::llabs(static_cast<int64_t>(q.size)) / 2);
      int64_t length = std::llround(n * static_cast<double>(size) * 0.81667);
      int64_t x1, y1;
      OrientPoint(q.o, length, size, &x1, &y1);
      widen(q.x, q.y, q.x + x1, q.y + y1);
      ++np;
      nv += TextVertexCount(n);
    } else if (tag == TLC_TAG_C) {
      if (!TlcReadCell(0)) {
        ok = 0;
        continue;
      }
      ++nc;
      const TlcCellRec& c = TlcRec.cel;
      const CellEntry* s = CellEntryOf(CellFind(c.name));
      if (!s) continue;
      int64_t ax, ay, bx, by;
      OrientPoint(c.o, s->l, s->b, &ax, &ay);
      OrientPoint(c.o, s->r, s->t, &bx, &by);
      widen(ax + c.x, ay + c.y, bx + c.x, by + c.y);
    } else if (tag != TLC_TAG_NONE) {
      TlcSkipRecord(tag);
    }
  }
  if (TlcClose() != 0) ok = 0;
  if (nb + np + nc == 0) {
    l = b = -1;
    r = t = 1;
  }
  if (r == l) r = l + 2;
  if (t == b) t = b + 2;
  auto clamp = [](int64_t v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
  e->l = clamp(l);
  e->b = clamp(b);
  e->r = clamp(r);
  e->t = clamp(t);
  e->nb = clamp(nb);
  e->np = clamp(np);
  e->nv = clamp(nv);
  e->nc = clamp(nc);
  return ok;
}

int TlcImport(const ImpExpParams& p) {
  ImpExpReset();
  ImpExp.caption = "Importing ...";
  if (p.tld && (!p.name || !p.name[0])) {
    Say("Cellname or Filename is Required");
    return 0;
  }
  char src[300], dst[300];
  FolderFull(src, sizeof src, p.srcFolder);
  FolderFull(dst, sizeof dst, p.dstFolder);
  int r = ImportRun(p, src, dst);
  char msg[120];
  if (r == 0)
    snprintf(msg, sizeof msg, "Aborted ... Import may be Incomplete");
  else if (ImpExp.error)
    snprintf(msg, sizeof msg, "Some Error Occurred ... Import may be Incorrect");
  else
    snprintf(msg, sizeof msg, "Import Complete ... %d Cells + %d Layers", ImpExp.cells, ImpExp.layers);
  Say(msg);
  return r;
}

int TlcExport(const ImpExpParams& p) {
  ImpExpReset();
  ImpExp.caption = "Exporting ...";
  const char* name = p.name ? p.name : "";
  if (p.tld && (!name[0] || strpbrk(name, "*?"))) {
    Say("Cellname or Filename is Required");
    return 0;
  }
  char src[300], dst[300];
  FolderFull(src, sizeof src, p.srcFolder);
  FolderFull(dst, sizeof dst, p.dstFolder);
  int r = ExportRun(p, src, dst);
  if (r == 2) return 2;
  char msg[120];
  if (r == 0)
    snprintf(msg, sizeof msg, "Aborted ... Export may be Incomplete");
  else if (ImpExp.error)
    snprintf(msg, sizeof msg, "Some Error Occurred ... Export may be Incorrect");
  else
    snprintf(msg, sizeof msg, "Export is Complete ... %d Cells + %d Layers", ImpExp.cells, ImpExp.layers);
  Say(msg);
  return r;
}
