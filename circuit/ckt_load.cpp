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

int Fits32(int64_t v) { return v >= -TLC_COORD_MAX && v <= TLC_COORD_MAX; }

int ReadObjs(CktState& st, const char* name, int own, int keepTexts, int64_t dx, int64_t dy, int depth) {
  if (!name || !name[0]) return 1;
  TlcLineIn* in = Source();
  if (own) {
    int32_t nt = st.store->nt;
    StoreFreeObjs(st);
    if (keepTexts == 2) st.store->nt = nt;
  }
  if (!OpenCell(st, in, name)) {
    CellFileMissing(st, name);
    return 1;
  }
  int bad = TlcReadObjsFrom(st, in, own, keepTexts, dx, dy, depth);
  if (TlcLineClose(in)) bad = 1;
  return bad;
}

}  // namespace

void TlcRighteousBox(CktBoxRec* r) {
  if (r->right < r->left) { int32_t s = r->left; r->left = r->right; r->right = s; }
  if (r->top < r->bottom) { int32_t s = r->bottom; r->bottom = r->top; r->top = s; }
}

int ReadB(TlcLineIn* in, CktBoxRec* r) {
  int64_t v[5];
  if (!TlcReadInts(in, v, 5)) return 0;
  if (v[0] < 0 || v[0] > 0x7fffffff) return 0;
  for (int k = 1; k < 5; k++)
    if (!Fits32(v[k])) return 0;
  *r = CktBoxRec{(int32_t)v[0], (int32_t)v[1], (int32_t)v[2], (int32_t)v[3], (int32_t)v[4]};
  TlcRighteousBox(r);
  return 1;
}

// A vertex count outside 1..1040 does not fit the record: the record is
// refused (its points are still read past, so the next record is found).
int ReadP(TlcLineIn* in, CktPathRec* r) {
  int64_t v[3];
  if (!TlcReadInts(in, v, 3)) return 0;
  if (v[0] < 0 || v[0] > 0x7fffffff || !Fits32(v[1])) return 0;
  if (v[2] < 1) return 0;
  int ok = TlcReadPoints(in, v[2], CKT_PATH_VERTICES, r->x, r->y, TLC_COORD_MAX);
  if (!ok || v[2] > CKT_PATH_VERTICES) return 0;
  r->layer = (int32_t)v[0];
  r->width = (int32_t)v[1];
  r->nv = (int)v[2];
  return 1;
}

int ReadT(TlcLineIn* in, CktTextRec* r) {
  int64_t v[4], p[2];
  if (!TlcReadInts(in, v, 4)) return 0;
  if (!TlcReadInts(in, p, 2)) return 0;
  const char* line = TlcReadDataLine(in);
  if (!line) return 0;
  if (v[0] < 0 || v[0] > 0x7fffffff || !Fits32(v[1]) || !Fits32(p[0]) || !Fits32(p[1])) return 0;
  r->layer = (int32_t)v[0];
  r->size = (int32_t)v[1];
  r->orient = (int)(v[3] & 7);
  r->x = (int32_t)p[0];
  r->y = (int32_t)p[1];
  TlcTextOfLine(line, r->text, CKT_TEXT_CHARS);
  return 1;
}

int ReadC(TlcLineIn* in, CktCellRec* r) {
  const char* line = TlcReadDataLine(in);
  if (!line) return 0;
  TlcCopyCut(r->name, line, TLC_NAME_MAX, 1);
  int64_t v[4];
  if (!TlcReadInts(in, v, 4)) return 0;
  if (!Fits32(v[1]) || !Fits32(v[2])) return 0;
  r->orient = (int)(v[0] & 7);
  r->x = (int32_t)v[1];
  r->y = (int32_t)v[2];
  r->outline = v[3] ? 1 : 0;
  return 1;
}

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
      if (!TraceTableLayer(st, box.layer) || st.store->bLim) continue;
      // A lower cell's box is placed before it is stored: the turns map a
      // box onto a box, and TlcMakeB puts the corners in order.
      if (!own) {
        PlacingApply(t, box.left, box.bottom, &box.left, &box.bottom);
        PlacingApply(t, box.right, box.top, &box.right, &box.top);
      }
      if (!TlcMakeB(st, box.layer, box.left, box.bottom, box.right, box.top)) continue;
    } else if (tag == TLC_TAG_P) {
      if (!ReadP(in, &path)) {
        ReadFailed(st, "Path Record Read Error", !own);
        bad = 1;
        continue;
      }
      if (!TraceTableLayer(st, path.layer) || st.store->pLim || st.store->vLim) continue;
      if (!own)
        for (int v = 0; v < path.nv; v++) PlacingApply(t, path.x[v], path.y[v], &path.x[v], &path.y[v]);
      TlcMakeP(st, path.layer, path.width, path.nv, path.x, path.y);
    } else if (tag == TLC_TAG_T && own) {
      if (!ReadT(in, &text)) {
        ReadFailed(st, "Text Record Read Error", 0);
        bad = 1;
        continue;
      }
      if (!TextLayer(st, text.layer) || st.store->pLim || st.store->vLim) continue;
      int32_t nt = st.store->nt;
      TlcMakeT(st, text.layer, text.size, text.orient, text.x, text.y, text.text);
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
    if (!st.store->aLim) TlcMakeC(st, level, rec.name, rec.orient, rec.x, rec.y, rec.outline);
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
