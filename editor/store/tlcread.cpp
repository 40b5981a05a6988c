#include "tlcread.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <utility>

#include "celltable.h"
#include "host.h"
#include "mainsetup.h"
#include "store.h"
#include "tlcwrite.h"

TlcRecordState TlcRec;
TlcLoadState TlcLoad;

namespace {

TlcLineIn* Input() {
  if (!TlcLoad.in) TlcLoad.in = new TlcLineIn();
  return TlcLoad.in;
}

// What the editor reads: layers 1..256, 32-bit widths, sizes and codes,
// coordinates within +-2^29, the first 1024 points of a longer path, text
// orientations 0..7 only, and old-form texts that read like an opening.
const TlcRecRules Rules = {
    1, LAYER_MAX,                     // layers
    INT32_MIN, INT32_MAX,             // widths and sizes
    -TLC_COORD_MAX, TLC_COORD_MAX,    // coordinates
    1, TLC_PATH_MAX,                  // points of a path
    4,                                // o x y r
    0, 0, 0,                          // instance codes, outline bit, text codes
    TLC_ORIENT_CHECK,
    1,                                // bare texts may read "=C"
    0,                                // counts are never negative
};

void Widen(int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (x0 > x1) std::swap(x0, x1);
  if (y0 > y1) std::swap(y0, y1);
  if (x0 < TlcLoad.ext[0]) TlcLoad.ext[0] = x0;
  if (y0 < TlcLoad.ext[1]) TlcLoad.ext[1] = y0;
  if (x1 > TlcLoad.ext[2]) TlcLoad.ext[2] = x1;
  if (y1 > TlcLoad.ext[3]) TlcLoad.ext[3] = y1;
}

void Message(const char* text, int warning) {
  if (warning)
    HostWarning(text);
  else
    HostError(text);
}

// Adding records to the store. Each returns 0 when the record was refused.
int AddBox() {
  if (Store.boxCount >= BOX_LIMIT) {
    Message("TLC Boxes Exceed Limit ... Load Aborted", 1);
    TlcLoad.boxLim = TlcLoad.error = 1;
    return 0;
  }
  int32_t* r = StoreBoxRec(Store.boxCount + 1);
  if (!r) {
    TlcLoad.error = 1;
    return 0;
  }
  Store.boxCount++;
  const TlcBoxRec& b = TlcRec.box;
  r[0] = b.lyr;
  r[1] = b.l;
  r[2] = b.b;
  r[3] = b.r;
  r[4] = b.t;
  return 1;
}

void VertexLimitHit() {
  if (!TlcLoad.vertexLim) Message("TLC Vertices Exceed Limit ... Load Aborted", 1);
  TlcLoad.vertexLim = TlcLoad.error = 1;
}

// A new path or text record; null when refused.
int32_t* NewPathRec() {
  if (Store.pathCount >= PATH_LIMIT) {
    Message("TLC Paths Exceed Limit ... Load Aborted", 1);
    TlcLoad.pathLim = TlcLoad.error = 1;
    return nullptr;
  }
  int32_t* p = StorePathRec(Store.pathCount + 1);
  if (!p) {
    TlcLoad.error = 1;
    return nullptr;
  }
  Store.pathCount++;
  return p;
}

// Appends one vertex to the chain whose last vertex is *last; 0 at the limit.
int AddVertex(int32_t word, int32_t x, int32_t y, int32_t* last) {
  if (Store.vertexCount >= VERTEX_LIMIT) {
    VertexLimitHit();
    return 0;
  }
  int32_t* v = StoreVertexRec(Store.vertexCount + 1);
  if (!v) {
    TlcLoad.error = 1;
    return 0;
  }
  int32_t n = ++Store.vertexCount;
  v[0] = word;
  v[1] = x;
  v[2] = y;
  v[3] = 0;
  if (*last > 0) {
    if (int32_t* prev = StoreVertexRec(*last)) prev[3] = n;
  }
  *last = n;
  return 1;
}

int AddPath() {
  int32_t* p = NewPathRec();
  if (!p) return 0;
  int32_t index = Store.pathCount;
  const TlcPathRec& q = TlcRec.path;
  p[0] = q.lyr;
  p[1] = q.w;
  p[2] = 0;
  if (Store.vertexCount >= VERTEX_LIMIT) {
    VertexLimitHit();
    return 0;
  }
  p[2] = Store.vertexCount + 1;
  int32_t last = 0;
  for (int i = 0; i < q.nv; ++i)
    if (!AddVertex(index, q.x[i], q.y[i], &last)) break;
  return 1;
}

int AddText() {
  int32_t* p = NewPathRec();
  if (!p) return 0;
  int32_t index = Store.pathCount;
  const TlcTextRec& t = TlcRec.text;
  p[0] = static_cast<int32_t>(static_cast<uint32_t>(t.lyr) | (static_cast<uint32_t>(t.o) << ORIENT_SHIFT) | TEXT_BIT);
  p[1] = t.size;
  p[2] = 0;
  if (Store.vertexCount >= VERTEX_LIMIT) {
    VertexLimitHit();
    return 0;
  }
  p[2] = Store.vertexCount + 1;
  int32_t last = 0;
  if (!AddVertex(index, t.x, t.y, &last)) return 0;
  int n = static_cast<int>(strlen(t.text));
  for (int i = 0; i < n; i += 8) {
    int32_t x, y;
    StoreTextPack(t.text + i, n - i, &x, &y);
    if (!AddVertex(static_cast<int32_t>(static_cast<uint32_t>(index) | VERTEX_CHAR), x, y, &last)) break;
  }
  return 1;
}

void ObjPrep() {
  Store.failed = 0;  // a page not made during this load fails it
  TlcLoad.objFailed = 0;
  TlcLoad.boxLim = TlcLoad.pathLim = TlcLoad.vertexLim = TlcLoad.instLim = 0;
  TlcLoad.error = 0;
  Store.boxCount = TlcLoad.baseBox;
  Store.pathCount = TlcLoad.basePath;
  Store.vertexCount = TlcLoad.baseVertex;
}

int ObjBody() {
  TlcLineIn* in = Input();
  if (TlcLoad.baseBox == 0 && TlcLoad.basePath == 0 && TlcLoad.baseVertex == 0) StoreFreeObjs();
  bool failed = false;
  while (const char* line = TlcLineGet(in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_B) {
      if (!TlcReadBox(0)) {
        Message("Box Record Read Error", 0);
        failed = true;
      } else if (!TlcLoad.boxLim) {
        AddBox();
      }
    } else if (tag == TLC_TAG_P) {
      int truncated = 0;
      if (!TlcReadPath(0, &truncated)) {
        Message("Path Record Read Error", 0);
        failed = true;
      } else {
        // A cut path is kept for viewing, but the load counts as failed so
        // the cut is never saved over the whole one.
        if (truncated) failed = true;
        if (!TlcLoad.pathLim && !TlcLoad.vertexLim) AddPath();
      }
    } else if (tag == TLC_TAG_T) {
      if (!TlcReadText(0)) {
        Message("Text Record Read Error", 0);
        failed = true;
      } else if (!TlcLoad.pathLim && !TlcLoad.vertexLim) {
        AddText();
      }
    } else if (tag != TLC_TAG_NONE) {
      TlcSkipRecord(tag);
    }
  }
  if (TlcClose() != 0) failed = true;
  if (failed || TlcLoad.error || Store.failed) {
    TlcLoad.objFailed = 1;
    return 1;
  }
  return 0;
}

void InstPrep(int level) {
  Store.failed = 0;
  TlcLoad.instFailed = 0;
  if (level == 0) TlcLoad.inst0Failed = 0;
  TlcLoad.instLim = 0;
  TlcLoad.error = 0;
}

void InstFail(int level) {
  TlcLoad.instFailed = 1;
  if (level == 0) TlcLoad.inst0Failed = 1;
}

int InstBody(int level) {
  TlcLineIn* in = Input();
  Store.instCount[level] = TlcLoad.baseInst;
  if (TlcLoad.baseInst == 0) {
    for (int l = level; l < STORE_LEVELS; ++l) {
      StoreFreeLevel(l);
      Store.instCount[l] = 0;
      Store.levelCell[l] = 0;
    }
  }
  bool failed = false;
  while (const char* line = TlcLineGet(in)) {
    int tag = TlcTagOf(line);
    if (tag != TLC_TAG_C) {
      if (tag != TLC_TAG_NONE) TlcSkipRecord(tag);
      continue;
    }
    int number = 0;
    if (TlcReadCell(0)) number = CellNumberForInstance(TlcRec.cel.name);
    if (!number) {
      Message("Cell Record Read Error", 0);
      failed = true;
      continue;
    }
    if (TlcLoad.instLim) continue;
    // The level being loaded is the one that fills up.
    if (Store.instCount[level] >= INST_LIMIT) {
      Message("TLC Cells Exceed Limit ... Load Aborted", 1);
      TlcLoad.instLim = TlcLoad.error = 1;
      continue;
    }
    int32_t* r = StoreCellRec(level, Store.instCount[level] + 1);
    if (!r) {
      failed = true;
      continue;
    }
    Store.instCount[level]++;
    const TlcCellRec& c = TlcRec.cel;
    r[0] = static_cast<int32_t>((static_cast<uint32_t>(number) & INST_CELL_MASK) |
                                (static_cast<uint32_t>(c.r) << 15) | (static_cast<uint32_t>(c.o) << ORIENT_SHIFT));
    r[1] = c.x;
    r[2] = c.y;
  }
  if (TlcClose() != 0) failed = true;
  if (failed || TlcLoad.error || Store.failed) {
    InstFail(level);
    return 1;
  }
  return 0;
}

}  // namespace

void TlcLoadReset() {
  TlcLineIn* in = TlcLoad.in;
  if (in) TlcLineClose(in);
  memset(&TlcLoad, 0, sizeof TlcLoad);
  TlcLoad.in = in;
  memset(&TlcRec, 0, sizeof TlcRec);
}

int TlcOpen(const char* folder, const char* name) {
  TlcLineIn* in = Input();
  TlcLineClose(in);
  TlcLoad.open = 0;
  if (!name || !name[0]) return 0;
  char path[400];
  int n = snprintf(path, sizeof path, "%s%s.tlc", folder ? folder : "", name);
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) return 0;
  TlcPathTidy(path);
  if (!TlcLineOpenFile(in, path, 1)) return 0;
  TlcLoad.open = 1;
  return 1;
}

int TldOpen(const char* folder, const char* name) {
  TlcLineIn* in = Input();
  TlcLineClose(in);
  TlcLoad.open = 0;
  if (!name || !name[0]) return 0;
  char path[400];
  int n = snprintf(path, sizeof path, "%s%s.tld", folder ? folder : "", name);
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) return 0;
  TlcPathTidy(path);
  if (!TlcLineOpenFile(in, path, 1)) return 0;
  TlcLoad.open = 1;
  return 1;
}

void TlcOpenMem(const void* data, size_t size) {
  TlcLineIn* in = Input();
  TlcLineClose(in);
  TlcLineOpenMem(in, data, size, 1);
  TlcLoad.open = 1;
}

int TlcClose() {
  TlcLoad.open = 0;
  return TlcLineClose(Input());
}

int TlcReadHeader(int widen) {
  (void)widen;
  return TlcParseHeader(Input(), &Rules, &TlcRec.hdr) == TLC_REC_OK ? 1 : 0;
}

int TlcReadCell(int widen) {
  TlcCellRec& c = TlcRec.cel;
  if (TlcParseCell(Input(), &Rules, &c) != TLC_REC_OK) return 0;
  if (widen) {
    const CellEntry* e = CellEntryOf(CellFind(c.name));
    if (e)
      Widen(int64_t(c.x) + e->l, int64_t(c.y) + e->b, int64_t(c.x) + e->r, int64_t(c.y) + e->t);
    else
      Widen(c.x, c.y, c.x, c.y);
  }
  return 1;
}

int TlcReadBox(int widen) {
  TlcBoxRec& b = TlcRec.box;
  if (TlcParseBox(Input(), &Rules, &b) != TLC_REC_OK) return 0;
  if (widen) Widen(b.l, b.b, b.r, b.t);
  return 1;
}

int TlcReadPath(int widen, int* truncated) {
  if (truncated) *truncated = 0;
  TlcPathRec& p = TlcRec.path;
  int32_t announced = 0;
  int st = TlcParsePath(Input(), &Rules, &p, &announced);
  if (st == TLC_REC_BAD) return 0;
  if (st == TLC_REC_LONG) {
    char msg[160];
    snprintf(msg, sizeof msg, "Path Vertex Count of %d exceeds Limit of %d ... Path will be Truncated",
             static_cast<int>(announced), TLC_PATH_MAX);
    HostError(msg);
    if (truncated) *truncated = 1;
  }
  if (widen) {
    int64_t half = p.w / 2;
    for (int i = 0; i < p.nv; ++i) Widen(p.x[i] - half, p.y[i] - half, p.x[i] + half, p.y[i] + half);
  }
  return 1;
}

int TlcReadText(int widen) {
  TlcTextRec& t = TlcRec.text;
  if (TlcParseText(Input(), &Rules, &t) != TLC_REC_OK) return 0;
  if (widen) {
    int64_t len = static_cast<int64_t>(strlen(t.text));
    Widen(t.x, t.y, t.x + len * t.size / 3 * 2, int64_t(t.y) + t.size);
  }
  return 1;
}

void TlcSkipRecord(int tag) {
  TlcLineIn* in = Input();
  int64_t v[3];
  switch (tag) {
    case TLC_TAG_B:
      TlcReadDataLine(in);
      break;
    case TLC_TAG_C:
      if (TlcReadDataLine(in)) TlcReadDataLine(in);
      break;
    case TLC_TAG_T:
      if (TlcReadDataLine(in) && TlcReadDataLine(in)) {
        const char* line = TlcLineGet(in);
        if (line && line[0] == '<' && TlcTagOf(line) != TLC_TAG_NONE) TlcLineUnget(in);
      }
      break;
    case TLC_TAG_H:
      for (int i = 0; i < 9 && TlcReadDataLine(in); ++i) {
      }
      break;
    case TLC_TAG_P:
      if (TlcReadInts(in, v, 3) && v[2] > 0) TlcReadPoints(in, v[2], 0, nullptr, nullptr, INT64_MAX);
      break;
    case TLC_TAG_L:
      if (TlcReadInts(in, v, 1))
        for (int64_t i = 0; i < v[0] && TlcReadDataLine(in); ++i) {
        }
      break;
    default:
      break;
  }
}

int TlcHeaderScan() {
  TlcHeaderRec& h = TlcRec.hdr;
  h.scale = MainSetup.scale;
  snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
  snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
  TlcCopyCut(h.unit, MainSetup.physunit, TLC_VERSION_MAX, 0);
  TlcNow(h.date, h.time);
  h.rank = 24;
  int32_t s = (MainSetup.scale > 0 && MainSetup.scale < 2147483647.0) ? static_cast<int32_t>(MainSetup.scale) : 0;
  h.l = h.b = 0;
  h.r = h.t = s;
  h.nb = h.np = h.nv = h.nc = 0;
  TlcLineIn* in = Input();
  while (const char* line = TlcLineGet(in)) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_H) {
      if (TlcReadHeader(0)) return 1;
      Message("Header Record Read Error", 0);
      TlcLoad.error = 1;
      return 0;
    }
    if (tag != TLC_TAG_NONE) TlcSkipRecord(tag);
  }
  return 1;
}

int TlcLayerMerge() {
  TlcLineIn* in = Input();
  int64_t count = 0;
  if (!TlcReadInts(in, &count, 1)) return 0;
  int added = 0;
  for (int64_t i = 0; i < count; ++i) {
    const char* line = TlcReadDataLine(in);
    if (!line) break;
    if (MainSetup.layerCount >= LAYER_MAX) {
      HostStatus("Layer Table is Full\n\nRemove Unused or Duplicate Layers");
      break;
    }
    char upper[TLC_LINE_LIMIT + 2];
    TlcCopyCut(upper, line, TLC_LINE_LIMIT, 1);
    char name[9];
    int n = 0;
    const char* p = upper;
    while (*p == ' ' || *p == '\t') ++p;
    while (*p && *p != ' ' && *p != '\t') {
      if (n < 8) name[n++] = *p;
      ++p;
    }
    name[n] = 0;
    int64_t number = 0;
    if (!n || !TlcNextInt(p, &number) || number < 1 || number > LAYER_MAX) continue;
    bool found = false;
    for (int k = 0; k < MainSetup.layerCount && !found; ++k) {
      const LayerEntry& e = MainSetup.layers[k];
      if (e.number != number) continue;
      if (MainSetup.layerNumOnly) {
        found = true;
      } else {
        char other[LAYER_NAME_SIZE];
        TlcCopyCut(other, e.name, LAYER_NAME_SIZE - 1, 1);
        found = strcmp(other, name) == 0;
      }
    }
    if (found) continue;
    LayerEntry& e = MainSetup.layers[MainSetup.layerCount++];
    snprintf(e.name, sizeof e.name, "%s", name);
    e.number = static_cast<int>(number);
    ++added;
  }
  return added;
}

int CellLoadLim(int cell) {
  const CellEntry* e = CellEntryOf(cell);
  if (!e) return -1;
  char msg[200];
  msg[0] = 0;
  int64_t boxes = int64_t(TlcLoad.baseBox) + e->nb;
  int64_t paths = int64_t(TlcLoad.basePath) + e->np;
  int64_t vertices = int64_t(TlcLoad.baseVertex) + e->nv;
  if (boxes > BOX_LIMIT)
    snprintf(msg, sizeof msg, "%s Total Box Count of %lld will Exceed Limit ... Load Aborted", e->name,
             static_cast<long long>(boxes));
  if (paths > PATH_LIMIT)
    snprintf(msg, sizeof msg, "%s Total Path Count of %lld will Exceed Limit ... Load Aborted", e->name,
             static_cast<long long>(paths));
  if (vertices > VERTEX_LIMIT)
    snprintf(msg, sizeof msg, "%s Total Vertex Count of %lld will Exceed Limit ... Load Aborted", e->name,
             static_cast<long long>(vertices));
  if (msg[0]) {
    HostWarning(msg);
    return -1;
  }
  return 0;
}

int CellObjLoad(int cell) {
  TlcLoad.baseBox = TlcLoad.basePath = TlcLoad.baseVertex = 0;
  const CellEntry* e = CellEntryOf(cell);
  if (!e) {
    TlcLoad.objFailed = 1;
    return 1;
  }
  if (CellLoadLim(cell) != 0) return -1;
  Store.heldCell = 0;
  if (TlcReadObjs(e->name) != 0) return 1;
  Store.heldCell = cell;
  return 0;
}

int CellObjAppend(int cell) {
  TlcLoad.baseBox = Store.boxCount;
  TlcLoad.basePath = Store.pathCount;
  TlcLoad.baseVertex = Store.vertexCount;
  const CellEntry* e = CellEntryOf(cell);
  int result;
  if (!e) {
    TlcLoad.objFailed = 1;
    result = 1;
  } else if (CellLoadLim(cell) != 0) {
    result = -1;
  } else {
    result = TlcReadObjs(e->name);
  }
  TlcLoad.baseBox = TlcLoad.basePath = TlcLoad.baseVertex = 0;
  return result;
}

int CellInstLoadAt(int cell, int level) {
  const CellEntry* e = CellEntryOf(cell);
  if (!e || level < 0 || level >= STORE_LEVELS) {
    InstFail((level < 0 || level >= STORE_LEVELS) ? 1 : level);
    return 1;
  }
  int64_t total = int64_t(TlcLoad.baseInst) + e->nc;
  if (total > INST_LIMIT) {
    char msg[200];
    snprintf(msg, sizeof msg, "%s Total Cell Count of %lld will Exceed Limit ... Load Aborted", e->name,
             static_cast<long long>(total));
    HostWarning(msg);
    return -1;
  }
  if (TlcReadInsts(e->name, level) != 0) return 1;
  Store.levelCell[level] = cell;
  return 0;
}

int CellInstLoad(int cell, int level) {
  TlcLoad.baseInst = 0;
  return CellInstLoadAt(cell, level);
}

int CellInstAppend(int cell) {
  TlcLoad.baseInst = Store.instCount[0];
  int result = CellInstLoadAt(cell, 0);
  TlcLoad.baseInst = 0;
  return result;
}

int TlcReadObjs(const char* name) {
  ObjPrep();
  if (!name || !name[0] || !TlcOpen("", name)) {
    TlcLoad.objFailed = 1;
    return 1;
  }
  return ObjBody();
}

int TlcReadObjsIn() {
  ObjPrep();
  return ObjBody();
}

int TlcReadInsts(const char* name, int level) {
  if (level < 0 || level >= STORE_LEVELS) {
    TlcLoad.instFailed = 1;
    return 1;
  }
  InstPrep(level);
  if (!name || !name[0]) {
    InstFail(level);
    return 1;
  }
  Store.instCount[level] = TlcLoad.baseInst;
  if (!TlcOpen("", name)) {
    InstFail(level);
    return 1;
  }
  return InstBody(level);
}

int TlcReadInstsIn(int level) {
  if (level < 0 || level >= STORE_LEVELS) {
    TlcClose();
    TlcLoad.instFailed = 1;
    return 1;
  }
  InstPrep(level);
  return InstBody(level);
}
