#include "ckt_load.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"
#include "namecheck.h"

namespace ckt {

namespace {

TlcLineIn* Source() {
  static TlcLineIn* in = nullptr;
  if (!in) in = static_cast<TlcLineIn*>(calloc(1, sizeof(TlcLineIn)));
  if (!in) abort();
  return in;
}

int OpenCell(CktState& st, TlcLineIn* in, const char* name) {
  if (!name || !name[0]) return 0;
  char path[400];
  const char* exts[2] = {"TLC", "tlc"};
  for (const char* ext : exts) {
    snprintf(path, sizeof path, "%s%s.%s", st.store->folder, name, ext);
    if (TlcLineOpenFile(in, path, 1)) return 1;
  }
  return 0;
}

// A record that cannot be read: the user sees it, the run counts it.
void ReadFailed(CktState& st, const char* text, int abortRun) {
  st.run.errCount++;
  if (st.run.log) fprintf(st.run.log.get(), "\nERROR ... %s\n", text);
  HostError(text);
  HostPause(20);
  if (abortRun) st.run.abortFlag = 1;
}

// A listed cell whose file cannot be opened would give open pins or lost
// geometry without a word: a counted error naming it, once a run.
void CellFileMissing(CktState& st, const char* name) {
  int32_t i = GetCinfo(st, name);
  if (!i) return;
  CktCell& c = st.store->cells[i];
  if (c.flags & CELL_FILE_MISSING) return;
  c.flags |= CELL_FILE_MISSING;
  char msg[200];
  snprintf(msg, sizeof msg, "Cell %s is in the Cell Reference File but its TLC File is Missing ", c.name);
  ErrorCount(st, msg, 0);
}

// What the extractor reads: layers 0 and up, widths, sizes and coordinates
// within +-2^29, up to 1040 path points (a longer path is refused), any
// orientation code (masked) and outline flag (nonzero is set).
const TlcRecRules CktRules = {
    0, INT32_MAX,                    // layers
    -TLC_COORD_MAX, TLC_COORD_MAX,   // widths and sizes
    -TLC_COORD_MAX, TLC_COORD_MAX,   // coordinates
    1, CKT_PATH_VERTICES,            // points of a path
    4,                               // o x y r
    1, 1, 1,                         // instance codes, outline nonzero, text codes
    TLC_ORIENT_MASK,
    0,                               // texts never read like openings
    0,                               // (no header is read)
};

int ReadObjs(CktState& st, const char* name, int own, int keepTexts, int64_t dx, int64_t dy, int depth) {
  // A cell's own objects replace the last ones read even when there is no
  // file to read: an instance of a cell missing from the list would else be
  // given the connectors of the cell read before it.
  if (own) {
    int32_t nt = st.store->nt;
    StoreFreeObjs(st);
    if (keepTexts == 2) st.store->nt = nt;
  }
  if (!name || !name[0]) return 1;
  TlcLineIn* in = Source();
  if (!OpenCell(st, in, name)) {
    CellFileMissing(st, name);
    return 1;
  }
  int bad = TlcReadObjsFrom(st, in, own, keepTexts, dx, dy, depth);
  if (TlcLineClose(in)) bad = 1;
  return bad;
}

}  // namespace

int ReadB(TlcLineIn* in, CktBoxRec* r) { return TlcParseBox(in, &CktRules, r) == TLC_REC_OK ? 1 : 0; }

int ReadP(TlcLineIn* in, CktPathRec* r) { return TlcParsePath(in, &CktRules, r, nullptr) == TLC_REC_OK ? 1 : 0; }

int ReadT(TlcLineIn* in, CktTextRec* r) { return TlcParseText(in, &CktRules, r) == TLC_REC_OK ? 1 : 0; }

int ReadC(TlcLineIn* in, CktCellRec* r) { return TlcParseCell(in, &CktRules, r) == TLC_REC_OK ? 1 : 0; }

int TlcReadObjsFrom(CktState& st, TlcLineIn* in, int own, int keepTexts, int64_t dx, int64_t dy, int depth) {
  static CktPathRec path;
  CktBoxRec box;
  CktTextRec text;
  int bad = 0;
  const char* line;
  CktPlacing t;
  PlacingOf(st, depth, dx, dy, &t);
  while ((line = TlcLineGet(in)) != nullptr) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_B) {
      if (!ReadB(in, &box)) {
        ReadFailed(st, "Box Record Read Error", !own);
        bad = 1;
        continue;
      }
      if (!TraceTableLayer(st, box.lyr) || st.store->bLim) continue;
      // A lower cell's box is placed before it is stored: the turns map a
      // box onto a box, and TlcMakeB puts the corners in order.
      if (!own) {
        PlacingApply(t, box.l, box.b, &box.l, &box.b);
        PlacingApply(t, box.r, box.t, &box.r, &box.t);
      }
      if (!TlcMakeB(st, box.lyr, box.l, box.b, box.r, box.t)) continue;
    } else if (tag == TLC_TAG_P) {
      int status = TlcParsePath(in, &CktRules, &path, nullptr);
      if (status != TLC_REC_OK) {
        char msg[80];
        TlcPathErrorText(status, CKT_PATH_VERTICES, msg, sizeof msg);
        ReadFailed(st, msg, !own);
        bad = 1;
        continue;
      }
      if (!TraceTableLayer(st, path.lyr) || st.store->pLim || st.store->vLim) continue;
      if (!own)
        for (int v = 0; v < path.nv; v++) PlacingApply(t, path.x[v], path.y[v], &path.x[v], &path.y[v]);
      TlcMakeP(st, path.lyr, path.w, path.nv, path.x, path.y);
    } else if (tag == TLC_TAG_T && own) {
      if (!ReadT(in, &text)) {
        ReadFailed(st, "Text Record Read Error", 0);
        bad = 1;
        continue;
      }
      if (!TextLayer(st, text.lyr) || st.store->pLim || st.store->vLim) continue;
      int32_t nt = st.store->nt;
      TlcMakeT(st, text.lyr, text.size, text.o, text.x, text.y, text.text);
      if (keepTexts == 2) st.store->nt = nt;
    }
    if (CktStopped(st) && st.run.oomFlag) break;
  }
  return bad;
}

int TlcReadBPV(CktState& st, const char* name) { return ReadObjs(st, name, 1, 1, 0, 0, 0); }
int TlcReadCellObjs(CktState& st, const char* name) { return ReadObjs(st, name, 1, 2, 0, 0, 0); }
int TlcReadLower(CktState& st, const char* name, int64_t dx, int64_t dy, int depth) {
  int r;
  if (LowerCacheRead(st, name, dx, dy, depth, &r)) return r;
  return ReadObjs(st, name, 0, 0, dx, dy, depth);
}

int TlcReadCFrom(CktState& st, TlcLineIn* in, int level) {
  CktCellRec rec;
  const char* line;
  while ((line = TlcLineGet(in)) != nullptr) {
    if (TlcTagOf(line) != TLC_TAG_C) continue;
    if (!ReadC(in, &rec)) {
      ReadFailed(st, "Cell Record Read Error", 0);
      continue;
    }
    if (!st.store->aLim) TlcMakeC(st, level, rec.name, rec.o, rec.x, rec.y, rec.r);
  }
  return 0;
}

int TlcReadC(CktState& st, const char* name, int level) {
  if (!name || !name[0] || level < 0 || level > 23) return 1;
  // The main cell's placements are read again after each lower cell's
  // compile: within a run they come from the parsed copy.
  int r;
  if (LowerCacheReadC(st, name, level, &r)) return r;
  TlcLineIn* in = Source();
  // The bank is emptied first: a cell whose file is missing must not be
  // compiled with the instances of the cell read before it.
  for (int b = level; b < CKT_BANKS; b++) freeCEL(st, b);
  st.store->bankCount[level] = 0;
  if (!OpenCell(st, in, name)) {
    CellFileMissing(st, name);
    return 1;
  }
  TlcReadCFrom(st, in, level);
  return TlcLineClose(in) ? 1 : 0;
}

int CrfReadFrom(CktState& st, TlcLineIn* in) {
  CellTableClear(st);
  const char* line = TlcLineGet(in);
  int64_t count = 0;
  if (line) TlcParseInts(line, &count, 1);
  if (count > CKT_MAX_CELLS) {
    char msg[160];
    snprintf(msg, sizeof msg, "The Cell Reference File Lists %lld Cells ... Only %d are Kept", (long long)count,
             CKT_MAX_CELLS);
    HostWarning(msg);
  }
  int64_t valid = 0;
  for (int64_t e = 1; e <= count; e++) {
    const char* nameLine = TlcLineGet(in);
    if (!nameLine) break;
    char name[TLC_LINE_LIMIT + 2];
    snprintf(name, sizeof name, "%s", nameLine);
    TlcTidy(name, 0);
    const char* numLine = TlcLineGet(in);
    if (!numLine) break;
    int64_t v[9];
    int n = TlcParseInts(numLine, v, 9);
    // A name that cannot be a cell file's name is no valid entry.
    if (n < 9 || v[0] < 1 || v[0] > 24 || !CellNameValid(name)) continue;
    int ok = 1;
    for (int k = 1; k < 9; k++)
      if (v[k] < INT32_MIN || v[k] > INT32_MAX) ok = 0;
    if (!ok) continue;
    valid++;
    if (st.store->cellCount < CKT_MAX_CELLS)
      CellTableAdd(st, name, (int)v[0], (int32_t)v[1], (int32_t)v[2], (int32_t)v[3], (int32_t)v[4], (int32_t)v[5],
                   (int32_t)v[6], (int32_t)v[7], (int32_t)v[8]);
  }
  if (valid != count) HostWarning("Wrong Number of Cells was Read ... Keeping Original Cells");
  return 0;
}

int CrfReadFile(CktState& st, const char* path) {
  TlcLineIn* in = Source();
  if (!TlcLineOpenFile(in, path, 0)) return 1;
  in->maxChars = 1022;
  CrfReadFrom(st, in);
  TlcLineClose(in);
  return 0;
}

int CrfRead(CktState& st) {
  const char* names[3] = {"QUIL7.CRF", "CELLS7.DBD", "CELLS6.DBD"};
  char path[400];
  for (const char* n : names) {
    snprintf(path, sizeof path, "%s%s", st.store->folder, n);
    FILE* f = fopen(path, "rb");
    if (!f) continue;
    fclose(f);
    return CrfReadFile(st, path);
  }
  return 1;
}

}  // namespace ckt
