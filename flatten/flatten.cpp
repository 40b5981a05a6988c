#include "flatten.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "host.h"
#include "layerset.h"
#include "namecheck.h"
#include "orient.h"
#include "q7tlcrw.h"
#include "safewrite.h"
#include "satsetup.h"
#include "satutil.h"
#include "tlcline.h"

namespace {

const char* const kKeys[] = {"mcn=", "ffp=", "wr2=", "ltc=", "flt=", "sms=", "kat=", "old=",
                             "nly=", "cly=", "dly=", "ply=", "lft=", "top=", "rgt=", "bot=", nullptr};
const char* const kDefaults[] = {"?", "", "QuilFlat.log", "-", "Y", "N", "N", "N",
                                 "1", "2", "3", "4", "0", "0", "0", "0"};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"},
    {SAT_ID_RUN, "Run", "MRUN"},
    {SAT_ID_SETUP, "Setup", "MSETUP"},
    {FLAT_ID_GO, "Go", "MGO"},
};

int CellRank(int index) {
  return (index >= 1 && index <= Cells.count) ? (Cells.cell[index].flags & 0x1f) : 0;
}

const char* CellName(int index) {
  return (index >= 1 && index <= Cells.count) ? Cells.cell[index].name : "";
}

int Aborted() { return SatFrame.abortFlag; }

// Reports a failed read of a cell file and stops the run.
int ReadFailed(const char* name) {
  if (TlcStore.lastMissing)
    ErrorShowF("%s.tlc File is Missing ... Can't Continue", name);
  else if (TlcLimitHit())
    ErrorShowF("Cell %s is too Large for the Record Store ... Can't Continue", name);
  else
    ErrorShowF("Records of %s.tlc can't be Read ... Can't Continue", name);
  return 0;
}

// A cell name becomes the name of a file read or written: one that climbs
// out of the folder, names a device or holds what no cell name may is
// refused before it gets there, wherever it came from.
int NameUsable(const char* name) {
  if (CellNameValid(name) && strlen(name) <= NAMLEN) return 1;
  ErrorShowF("Reserved or Incorrect Cellname \"%s\" ... Can't Continue", name);
  return 0;
}

// Every reference of depth d names a cell of the cell reference list.
int RefsKnown(const char* name, int d) {
  for (int32_t k = 1; k <= TlcStore.nA[d]; ++k) {
    int ci = getA(d, 0, k) & 0x3fff;
    if (ci == 0) {
      ErrorShowF("A Cell Placed in %s is not in the Cell Reference File ... Can't Continue", name);
      return 0;
    }
    if (!NameUsable(CellName(ci))) return 0;
  }
  return 1;
}

void Counters(FlatState* st, int final) {
  if (!final && !SatDisplayShown()) return;  // nobody to show them to
  char t[32];
  int64_t objects = st->total.boxes + st->total.paths + st->total.texts;
  if (final || objects % 10 == 0) {
    snprintf(t, sizeof t, "%lld", (long long)st->total.boxes);
    CounterShow(FLAT_ID_BOXES, t);
    snprintf(t, sizeof t, "%lld", (long long)st->total.paths);
    CounterShow(FLAT_ID_PATHS, t);
    snprintf(t, sizeof t, "%lld", (long long)st->total.texts);
    CounterShow(FLAT_ID_TEXTS, t);
    snprintf(t, sizeof t, "%lld", (long long)st->total.vertices);
    CounterShow(FLAT_ID_VERTICES, t);
  }
  if (final || st->total.cells % 10 == 0) {
    snprintf(t, sizeof t, "%lld", (long long)st->total.cells);
    CounterShow(FLAT_ID_CELLS, t);
  }
}

// Maps a point of the cell walked at depth d to the chosen cell: each
// placement from the innermost out.
int PointXform(FlatState* st, int d, int32_t* x, int32_t* y) {
  int64_t px = *x, py = *y;
  for (int k = d - 1; k >= 0; --k) {
    int64_t ox, oy;
    OrientPoint(TLCc[k].o, px, py, &ox, &oy);
    px = ox + TLCc[k].x;
    py = oy + TLCc[k].y;
  }
  if (px < -TLC_COORD_MAX || px > TLC_COORD_MAX || py < -TLC_COORD_MAX || py > TLC_COORD_MAX) {
    ErrorShowF("Flattened Coordinates Exceed the Drawing Range in %s ... Can't Continue", st->chosen);
    return 0;
  }
  *x = (int32_t)px;
  *y = (int32_t)py;
  return 1;
}

// Orientation of something of orientation o in the cell walked at depth d,
// seen from the chosen cell: composed by the same rule as the points.
int OrientUp(int d, int o) {
  for (int k = d - 1; k >= 0; --k) o = OrientCompose(TLCc[k].o, o);
  return o & 7;
}

int FlatWriteB(FlatState* st, int d) {
  if (d > 0) {
    int32_t x1 = TLCb.l, y1 = TLCb.b, x2 = TLCb.r, y2 = TLCb.t;
    if (!PointXform(st, d, &x1, &y1) || !PointXform(st, d, &x2, &y2)) return 0;
    TLCb.l = x1 < x2 ? x1 : x2;
    TLCb.r = x1 < x2 ? x2 : x1;
    TLCb.b = y1 < y2 ? y1 : y2;
    TLCb.t = y1 < y2 ? y2 : y1;
  }
  WriteB();
  st->depth[d].boxes++;
  st->total.boxes++;
  Counters(st, 0);
  return 1;
}

int FlatWriteP(FlatState* st, int d) {
  if (d > 0)
    for (int32_t i = 0; i < TLCp.nv; ++i)
      if (!PointXform(st, d, &TLCp.x[i], &TLCp.y[i])) return 0;
  WriteP();
  st->depth[d].paths++;
  st->total.paths++;
  st->depth[d].vertices += TLCp.nv;
  st->total.vertices += TLCp.nv;
  Counters(st, 0);
  return 1;
}

int FlatWriteT(FlatState* st, int d) {
  if (d > 0 && !PointXform(st, d, &TLCt.x, &TLCt.y)) return 0;
  TLCt.o = OrientUp(d, TLCt.o);
  int len = (int)strlen(TLCt.text);
  TLCt.nv = len > 0 ? (len - 1) / 8 + 2 : 2;
  WriteT();
  st->depth[d].texts++;
  st->total.texts++;
  st->depth[d].vertices += TLCt.nv;
  st->total.vertices += TLCt.nv;
  Counters(st, 0);
  return 1;
}

// A kept device reference at depth d: its place through the placements
// above it, its orientation composed by the same rule.
int FlatWriteC(FlatState* st, int d) {
  int32_t x = TLCc[d].x, y = TLCc[d].y;
  if (!PointXform(st, d, &x, &y)) return 0;
  tlccel& out = TLCc[FLAT_DEPTH_MAX + 1];
  memcpy(out.name, TLCc[d].name, sizeof out.name);
  out.o = OrientUp(d, TLCc[d].o);
  out.x = x;
  out.y = y;
  out.r = 0;
  WriteC(FLAT_DEPTH_MAX + 1);
  st->depth[d].cells++;
  st->total.cells++;
  Counters(st, 0);
  return 1;
}

int HasConText(FlatState* st, int index) {
  if (index < 1 || index > CELL_INFO_MAX) return 0;
  if (st->conText[index] >= 0) return st->conText[index];
  if (TlcReadBPV(CellName(index))) return -1;
  int found = 0;
  for (int32_t p = 1; p <= TlcStore.nP && !found; ++p) {
    int32_t w = getP(0, p);
    if (w < 1 && (w & 0x1ff) == st->conLyr) found = 1;
  }
  st->conText[index] = (signed char)found;
  return found;
}

int InDevArea(FlatState* st, int32_t x, int32_t y) {
  for (int i = 0; i < st->devAreas; ++i) {
    const FlatDevArea& a = st->areas[i];
    const CellInfo& c = Cells.cell[a.cell];
    int64_t x1, y1, x2, y2;
    OrientPoint(a.o, c.l, c.b, &x1, &y1);
    OrientPoint(a.o, c.r, c.t, &x2, &y2);
    int64_t l = (x1 < x2 ? x1 : x2) + a.x, r = (x1 < x2 ? x2 : x1) + a.x;
    int64_t b = (y1 < y2 ? y1 : y2) + a.y, t = (y1 < y2 ? y2 : y1) + a.y;
    if (x >= l && x <= r && y >= b && y <= t) return 1;
  }
  return 0;
}

int ListFind(FlatState* st, const char* name) {
  for (int i = 1; i <= st->listCount; ++i)
    if (SatStricmp(st->list[i].name, name) == 0) return i;
  return 0;
}

int FlatListAdd(FlatState* st) {
  for (int32_t k = 1; k <= TlcStore.nA[0]; ++k) {
    int ci = getA(0, 0, k) & 0x3fff;
    const char* name = CellName(ci);
    if (ListFind(st, name)) continue;
    if (st->listCount >= FLAT_LIST_MAX) {
      ErrorShowF("Too Many Cells in the Hierarchy ... %d Max TLC Cells ... Can't Continue", FLAT_LIST_MAX);
      return 0;
    }
    FlatListEntry& e = st->list[++st->listCount];
    snprintf(e.name, sizeof e.name, "%s", name);
    for (char* p = e.name; *p; ++p) *p = (char)toupper((unsigned char)*p);
    e.rank = CellRank(ci);
    e.added = 1;
  }
  return 1;
}

void FlatLogTitle(const char* title) {
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%s\n", title);
  LogPut();
  char dashes[80];
  memset(dashes, '-', 79);
  dashes[79] = '\0';
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%s\n", dashes);
  LogPut();
}

void FlatLogCounts(FlatState* st, const char* name) {
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%-34s%-10lld%-10lld%-10lld%-10lld%-10lld\n", name,
           (long long)st->total.boxes, (long long)st->total.paths, (long long)st->total.texts,
           (long long)st->total.vertices, (long long)st->total.cells);
  LogPut();
}

int TextWanted(FlatState* st, int depth) {
  if (!st->flatten) return 1;
  int lyr = TLCt.lyr;
  if (lyr == st->nodeLyr) return depth == 0 || st->keepAll || InDevArea(st, TLCt.x, TLCt.y);
  if (lyr == st->devLyr) {
    if (!InDevArea(st, TLCt.x, TLCt.y)) return 0;
    char renamed[TXTLEN + 1];
    char first[2] = {TLCt.text[0], '\0'};
    snprintf(renamed, sizeof renamed, "%s_%d", first, ++st->devTextNumber);
    snprintf(TLCt.text, sizeof TLCt.text, "%s", renamed);
    return 1;
  }
  if (lyr == st->paramLyr) return InDevArea(st, TLCt.x, TLCt.y);
  if (lyr == st->conLyr) return 0;
  return 1;
}

// Writes the boxes, paths and texts of the store, read for the cell walked
// at depth.
int WriteObjects(FlatState* st, int depth) {
  for (int32_t n = 1; n <= TlcStore.nB; ++n) {
    TLCb.lyr = getB(0, n);
    if (!LyrSelTest(&st->layers, TLCb.lyr)) continue;
    TLCb.l = getB(1, n);
    TLCb.b = getB(2, n);
    TLCb.r = getB(3, n);
    TLCb.t = getB(4, n);
    if (!FlatWriteB(st, depth)) return 0;
  }
  for (int32_t n = 1; n <= TlcStore.nP; ++n) {
    int32_t w = getP(0, n);
    int lyr = w & 0x1ff;
    if (!LyrSelTest(&st->layers, lyr)) continue;
    int32_t v = getP(2, n);
    if (w >= 1) {
      TLCp.lyr = lyr;
      TLCp.w = getP(1, n);
      TLCp.nv = 0;
      while (v && TLCp.nv < PVSIZ) {
        TLCp.x[TLCp.nv] = getV(1, v);
        TLCp.y[TLCp.nv] = getV(2, v);
        TLCp.nv++;
        v = getV(3, v);
      }
      if (TLCp.nv > 0 && !FlatWriteP(st, depth)) return 0;
    } else {
      TLCt.lyr = lyr;
      TLCt.size = getP(1, n);
      TLCt.o = (w >> 17) & 7;
      TLCt.x = getV(1, v);
      TLCt.y = getV(2, v);
      TlcTextGet(n, TLCt.text, sizeof TLCt.text);
      if (TextWanted(st, depth) && !FlatWriteT(st, depth)) return 0;
    }
  }
  return 1;
}

}  // namespace

int FlattenCell(FlatState* st, const char* name, int depth) {
  if (Aborted()) return 0;
  if (depth > FLAT_DEPTH_MAX) {
    ErrorShowF("Cell Hierarchy Deeper than %d Levels below %s ... Can't Continue", FLAT_DEPTH_MAX + 1, st->chosen);
    return 0;
  }
  st->depth[depth] = FlatCounts();
  st->devAreas = 0;
  AbortPoll(10);
  if (Aborted()) return 0;
  int rank = CellRank(GetCinfo(name));
  if (rank > 1) {
    if (TlcReadC(name, depth)) return ReadFailed(name);
    if (!RefsKnown(name, depth)) return 0;
    if (st->flatten) {
      for (int32_t k = 1; k <= TlcStore.nA[depth]; ++k) {
        int32_t word = getA(depth, 0, k);
        int ci = word & 0x3fff;
        if (CellRank(ci) != 1) continue;
        int has = HasConText(st, ci);
        if (has < 0) return ReadFailed(CellName(ci));
        if (!has) continue;
        if (st->devAreas >= FLAT_DEVAREA_MAX) {
          ErrorShow("Cell Info Table is Full ... Can't Continue");
          return 0;
        }
        FlatDevArea& a = st->areas[st->devAreas++];
        a.x = getA(depth, 1, k);
        a.y = getA(depth, 2, k);
        a.o = (word >> 17) & 7;
        a.cell = ci;
      }
    }
  } else if (st->flatten) {
    return 1;  // device cells stay placed references
  }
  if (TlcReadBPV(name)) return ReadFailed(name);
  if (!WriteObjects(st, depth)) return 0;
  if (rank <= 1) return 1;
  for (int32_t k = 1; k <= TlcStore.nA[depth]; ++k) {
    if (Aborted()) return 0;
    int32_t word = getA(depth, 0, k);
    int ci = word & 0x3fff;
    tlccel& c = TLCc[depth];
    snprintf(c.name, sizeof c.name, "%s", CellName(ci));
    c.o = (word >> 17) & 7;
    c.x = getA(depth, 1, k);
    c.y = getA(depth, 2, k);
    c.r = 0;
    int childRank = CellRank(ci);
    if (st->flatten && childRank == 1) {
      if (!FlatWriteC(st, depth)) return 0;
    } else if (childRank > 0) {
      char child[NAMLEN + 1];
      snprintf(child, sizeof child, "%s", c.name);
      if (!FlattenCell(st, child, depth + 1)) return 0;
    }
  }
  return 1;
}

void FlatReset(FlatState* st) {
  SatProgramSet(&FlatProgram, st);
  free(st->areas);
  memset(st, 0, sizeof *st);
  st->flatten = 1;
  st->nodeLyr = 1;
  st->conLyr = 2;
  st->devLyr = 3;
  st->paramLyr = 4;
}

void SetupApply(FlatState* st, int flag) {
  char* mcn = UsfSlot(FLAT_MCN);
  for (char* p = mcn; *p; ++p) *p = (char)toupper((unsigned char)*p);
  if (flag == 1) {
    // A name that can't be a cell can't exist either: one report is enough.
    if (!CellNameCheck(mcn, 0)) CellExists(mcn, 0);
  }
  st->flatten = UsfFlag(FLAT_FLT);
  st->keepAll = UsfFlag(FLAT_KAT);
  WriteOldTlc = UsfFlag(FLAT_OLD);
  char* ffp = UsfSlot(FLAT_FFP);
  if (!ffp[0]) snprintf(ffp, SAT_SLOT_SIZE, "%s", st->flatten ? ".\\Flat_files\\" : ".\\Smsh_files");
  char folder[SAT_PATH_SIZE];
  if (!PathFixTo(folder, sizeof folder, ffp) || !PathSlash(folder, sizeof folder)) folder[0] = '\0';
  snprintf(st->outFolder, sizeof st->outFolder, "%s", folder);
  TlcOutputSet(folder);
  char name[SAT_PATH_SIZE];
  if (!PathFixTo(name, sizeof name, mcn)) name[0] = '\0';
  if (!SatFormat(st->outPath, sizeof st->outPath, "%s%s%s%s.tlc", TlcWriter.drive, TlcWriter.folder, name,
                 st->flatten ? "_flat" : "_smsh"))
    st->outPath[0] = '\0';
  char* ltc = UsfSlot(FLAT_LTC);
  if (!ltc[0]) snprintf(ltc, SAT_SLOT_SIZE, "-");
  LyrSelParse(&st->layers, ltc);
  const char* dflt[4] = {"1", "2", "3", "4"};
  int* lyr[4] = {&st->nodeLyr, &st->conLyr, &st->devLyr, &st->paramLyr};
  for (int k = 0; k < 4; ++k) {
    char* s = UsfSlot(FLAT_NLY + k);
    if (!s[0]) snprintf(s, SAT_SLOT_SIZE, "%s", dflt[k]);
    int v = atoi(s);
    v = v < 1 ? 1 : (v > 256 ? 256 : v);
    *lyr[k] = v;
    snprintf(s, SAT_SLOT_SIZE, "%d", v);
  }
  char* wr2 = UsfSlot(FLAT_WR2);
  if (!wr2[0]) snprintf(wr2, SAT_SLOT_SIZE, "QuilFlat.log");
  SatRectFit(FLAT_LFT, FLAT_TOP, FLAT_RGT, FLAT_BOT);
}

// A fresh run: counters cleared, then the settings and the chosen cell
// checked and the output folder made.
static int RunCheck(FlatState* st) {
  SatDateTime(st->date, st->timeText);
  st->total = FlatCounts();
  for (auto& d : st->depth) d = FlatCounts();
  st->devTextNumber = 0;
  st->devAreas = 0;
  st->listCount = 0;
  memset(st->conText, -1, sizeof st->conText);
  TlcLimitsReset();
  SatFrame.abortFlag = 0;
  if (!st->areas) st->areas = static_cast<FlatDevArea*>(calloc(FLAT_DEVAREA_MAX, sizeof(FlatDevArea)));
  if (!st->areas) {
    ErrorShow("Unable to Allocate Enough Memory");
    return 0;
  }
  const char* mcn = UsfSlot(FLAT_MCN);
  if (!st->outFolder[0] || !st->outPath[0]) {
    ErrorShow("Path of Cell Files is too Long ... Can't Continue");
    return 0;
  }
  if (st->flatten && !PathDiffer("", st->outFolder)) {
    ErrorShow("Cell Files will be written to the Drawing Folder ... Can't Continue");
    return 0;
  }
  if (!GetCinfo(mcn)) {
    ErrorShowF("Cell \"%s\" does Not Exist ... Can't Continue", mcn);
    return 0;
  }
  if (!NameUsable(mcn)) return 0;  // a name Setup refused is not run
  if (!FolderMake(st->outFolder)) return 0;
  return 1;
}

// The cell list: the chosen cell and every cell below it, by rank.
static int RunList(FlatState* st) {
  const char* mcn = UsfSlot(FLAT_MCN);
  st->listCount = 1;
  snprintf(st->list[1].name, sizeof st->list[1].name, "%s", mcn);
  st->list[1].added = 0;
  char text[SAT_TEXT_SIZE];
  for (int i = 1; i <= st->listCount; ++i) {
    if (Aborted()) return 0;
    FlatListEntry& e = st->list[i];
    snprintf(text, sizeof text, "Reading %s ...", e.name);
    StatusShow(FLAT_ID_OPERATION, text);
    e.rank = CellRank(GetCinfo(e.name));
    if (e.rank >= 2) {
      if (TlcReadC(e.name, 0)) return ReadFailed(e.name);
      if (!RefsKnown(e.name, 0) || !FlatListAdd(st)) return 0;
    }
    AbortPoll(10);
  }
  if (Aborted()) return 0;
  StatusShow(FLAT_ID_OPERATION, "Sorting Cells ...");
  int n = st->listCount;
  for (int k = 1; k < n; ++k)
    for (int j = k + 1; j <= n; ++j)
      if (st->list[j].rank < st->list[k].rank) std::swap(st->list[j], st->list[k]);
  // Cells of the chosen cell's rank below it (a hierarchy cut at the top
  // rank) tie with it, and the exchange sort may leave any of them last:
  // the chosen cell, the only entry not added, goes last whatever the sort did.
  for (int k = 1; k < n; ++k) {
    if (st->list[k].added) continue;
    FlatListEntry chosen = st->list[k];
    memmove(&st->list[k], &st->list[k + 1], (size_t)(n - k) * sizeof st->list[0]);
    st->list[n] = chosen;
    break;
  }
  AbortPoll(10);
  if (Aborted()) return 0;
  return 1;
}

static int RunLogOpen(FlatState* st) {
  char logName[SAT_PATH_SIZE];
  if (!PathFixTo(logName, sizeof logName, UsfSlot(FLAT_WR2)) || !LogOpen(logName)) {
    ErrorShow("Unable to Write Log File ... Can't Continue");
    return 0;
  }
  LogHeader("QuilFlat Conversion Log", st->date, st->timeText);
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "Flat/Smashed TLC File Name: %s\n\n", st->outPath);
  LogPut();
  return 1;
}

// Opens the scratch file for a copied file: the old copy stays until the
// new one is complete.
static int OutputOpen(SafeWrite* sw, const char* path, const char* mode) {
  char host[SAT_PATH_SIZE];
  return SatHostPathTo(host, sizeof host, path) && SafeWriteOpen(sw, host, mode);
}

static int CopyThrough(const char* src, const char* dst) {
  QFile in(SatOpen(src, "rb"));
  if (!in) return 0;
  SafeWrite sw;
  if (!OutputOpen(&sw, dst, "wb")) return 0;
  char buf[65536];
  size_t got;
  int failed = 0;
  while ((got = fread(buf, 1, sizeof buf, in.get())) > 0)
    if (fwrite(buf, 1, got, sw.f.get()) != got) failed = 1;
  if (ferror(in.get())) failed = 1;
  return SafeWriteCommit(&sw, failed);
}

// A device cell below the chosen one, copied as it is into the output folder.
static int CopyDeviceCell(FlatListEntry& e) {
  StatusShow(FLAT_ID_OPERATION, "Writing Device Cells ...");
  char src[SAT_PATH_SIZE], dst[SAT_PATH_SIZE], raw[SAT_PATH_SIZE];
  if (!SatFormat(raw, sizeof raw, "%s.tlc", e.name) || !PathFixTo(src, sizeof src, raw)) src[0] = '\0';
  LogList(src, 3);
  if (e.rank != 1) return 1;
  if (!SatFormat(raw, sizeof raw, "%s%s%s.tlc", TlcWriter.drive, TlcWriter.folder, e.name) ||
      !PathFixTo(dst, sizeof dst, raw)) {
    ErrorShowF("Path of %s is too Long ... Can't Continue", e.name);
    return 0;
  }
  StatusShow(FLAT_ID_TARGET, dst);
  if (!CopyThrough(src, dst)) {
    if (SatFileSize(src) < 0)
      ErrorShowF("%s.tlc File is Missing ... Can't Continue", e.name);
    else
      ErrorShowF("Unable to Write %s ... Can't Continue", dst);
    return 0;
  }
  return 1;
}

// The chosen cell: the one output cell.
static int WriteChosen(FlatState* st, FlatListEntry& e) {
  StatusShow(FLAT_ID_OPERATION, st->flatten ? "Writing Flat Cell File ..." : "Writing Smashed Cell File ...");
  char outName[NAMLEN + 1];
  if (!SatFormat(outName, sizeof outName, "%s%s", e.name, st->flatten ? "_FLAT" : "_SMSH")) {
    // A name the cell files could not hold whole.
    ErrorShowF("Cellname \"%s%s\" is too Long ... Can't Continue", e.name, st->flatten ? "_FLAT" : "_SMSH");
    return 0;
  }
  FlatLogTitle(
      st->flatten
          ? "\nFlattened Cell:\n\nCellname                         Boxes     Paths     Text     (Vertex)   Cells"
          : "\nSmashed Cell:\n\nCellname                         Boxes     Paths     Text     (Vertex)   Cells");
  StatusShow(FLAT_ID_TARGET, st->outPath);
  const char* failText = st->flatten ? "Unable to Write Flat TLC File" : "Unable to Write Smashed TLC File";
  // The cell goes to a scratch file beside the old result, which a run that
  // fails (full disk, a bad record, Esc) must leave as it was.
  TlcWriter.hold = 1;
  int created = SatTlcCreate(outName);
  TlcWriter.hold = 0;
  if (!created) {
    ErrorShow(failText);
    return 0;
  }
  snprintf(st->chosen, sizeof st->chosen, "%s", e.name);
  if (!FlattenCell(st, e.name, 0)) {
    TlcAbandon();
    return 0;
  }
  memset(&TLCh, 0, sizeof TLCh);
  snprintf(TLCh.name, sizeof TLCh.name, "%s", outName);
  TLCh.scale = SatSetup.scale;
  snprintf(TLCh.unit, sizeof TLCh.unit, "%s", SatSetup.physunit);
  SatDateTime(TLCh.date, TLCh.time);
  TLCh.rank = st->flatten ? 2 : 1;
  TLCh.nb = (int32_t)st->total.boxes;
  TLCh.np = (int32_t)(st->total.paths + st->total.texts);
  TLCh.nv = (int32_t)st->total.vertices;
  TLCh.nc = (int32_t)st->total.cells;
  WriteH();
  if (!TlcWriteClose() || !TlcSettle(outName, 1)) {
    ErrorShow(failText);
    return 0;
  }
  Counters(st, 1);
  FlatLogCounts(st, outName);
  AbortPoll(10);
  return 1;
}

int FlattenRun(FlatState* st) {
  if (!RunCheck(st) || !RunList(st) || !RunLogOpen(st)) return 0;
  int n = st->listCount;
  StatusShow(FLAT_ID_OPERATION, "Writing Flat Cells ...");
  for (int i = 1; i <= n; ++i) {
    if (Aborted()) return 0;
    FlatListEntry& e = st->list[i];
    if (i < n && !st->flatten) continue;
    if (i < n ? !CopyDeviceCell(e) : !WriteChosen(st, e)) return 0;
  }
  if (Aborted()) return 0;
  // The closing message gives the output file's size: no file, no success.
  if (SatFileSize(st->outPath) < 0) {
    ErrorShow(st->flatten ? "Unable to Write Flat TLC File" : "Unable to Write Smashed TLC File");
    return 0;
  }
  return 1;
}

void FlatClosing(FlatState* st, int result, char* text, size_t size) {
  if (!result) {
    snprintf(text, size, "Aborted ... Files may be Incomplete");
    return;
  }
  snprintf(text, size, "Completed ... %lld Bytes in TLC File\n\nUse Import to Register Cell in Drawing",
           SatFileSize(st->outPath));
}

namespace {

void HookSetupApply(void* st, int flag) { SetupApply(static_cast<FlatState*>(st), flag); }
int HookRun(void* st) { return FlattenRun(static_cast<FlatState*>(st)); }
void HookClosing(void* st, int result, char* text, size_t size) {
  FlatClosing(static_cast<FlatState*>(st), result, text, size);
}

}  // namespace

const SatProgram FlatProgram = {
    "QuilFlat",
    "QuilFlat7",
    "QUILFLAT",
    "QUILFLATAC",
    "QUILFLAT.HTM",
    "%d Max TLC Cells\n%d Max Device Cells per Cell",
    {FLAT_LIST_MAX, 16380},
    kKeys,
    kDefaults,
    nullptr,
    HookSetupApply,
    HookRun,
    HookClosing,
    kButtons,
    (int)(sizeof kButtons / sizeof kButtons[0]),
    &SatEditionPlain,
    "Aborting ... OK?",
};
