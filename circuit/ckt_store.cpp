#include "ckt_store.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>

#include "ckt_run.h"
#include "host.h"
#include "orient.h"

namespace ckt {
CktStore* g_store = nullptr;

namespace {

// A hit is an error of the run that met it; the flags are cleared when the
// next run starts, so a later run loads whole cells again.
int LimitHit(int* flag, const char* text) {
  g_cktRun.errCount++;
  if (g_cktRun.log) fprintf(g_cktRun.log, "\nERROR ... %s\n", text);
  HostWarning(text);
  HostPause(20);
  *flag = 1;
  g_store->limitHit = 1;
  return 1;
}

void CopyUpper(char* dst, int size, const char* src) {
  int i = 0;
  for (; src[i] && i < size - 1; i++) dst[i] = (char)toupper((unsigned char)src[i]);
  dst[i] = 0;
}

uint64_t g_bankTick = 0;  // never reset: a stamp is not given twice
void BankChanged(int bank) { g_store->bankStamp[bank] = ++g_bankTick; }

int32_t Clamp32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return (int32_t)v;
}

}  // namespace

void StoreReset() {
  if (!g_store) {
    g_store = static_cast<CktStore*>(calloc(1, sizeof(CktStore)));
    if (!g_store) abort();  // nothing of the program can run without it
  }
  StoreFreeAll();
  char folder[260];
  memcpy(folder, g_store->folder, sizeof folder);
  memset(g_store, 0, sizeof(CktStore));
  memcpy(g_store->folder, folder, sizeof folder);
  CellTableClear();
}

void StoreFreeObjs() {
  PagedFree(g_store->boxPage);
  PagedFree(g_store->pathPage);
  PagedFree(g_store->vtxPage);
  g_store->nb = g_store->np = g_store->nv = g_store->nt = 0;
}

void freeCEL(int bank) {
  if (bank < 0 || bank >= CKT_BANKS) return;
  PagedFree(g_store->instPage[bank]);
  g_store->bankCount[bank] = 0;
  BankChanged(bank);
}

void StoreFreeAll() {
  StoreFreeObjs();
  for (int b = 0; b < CKT_BANKS; b++) freeCEL(b);
}

void StoreRunBegin() {
  g_store->bLim = g_store->pLim = g_store->vLim = g_store->aLim = 0;
  g_store->limitHit = 0;
}

CktBox* BoxRecNew(int32_t n) { return PagedRec(g_store->boxPage, n, &g_cktRun.oomFlag); }
CktPath* PathRecNew(int32_t n) { return PagedRec(g_store->pathPage, n, &g_cktRun.oomFlag); }
CktVertex* VtxRecNew(int32_t n) { return PagedRec(g_store->vtxPage, n, &g_cktRun.oomFlag); }
CktInst* InstRecNew(int bank, int32_t n) {
  if (bank < 0 || bank >= CKT_BANKS) return nullptr;
  return PagedRec(g_store->instPage[bank], n, &g_cktRun.oomFlag);
}

int32_t PathGet(int field, int32_t n) {
  CktPath* p = PathRec(n);
  if (!p) return 0;
  switch (field) {
    case 0: return p->word;
    case 1: return p->width;
    case 2: return p->first;
    case 3: return p->node;
  }
  return 0;
}

int32_t getA(int bank, int field, int32_t n) {
  CktInst* a = InstRec(bank, n);
  if (!a) return 0;
  return field == 0 ? a->word : field == 1 ? a->x : field == 2 ? a->y : 0;
}

namespace {
// Names of the collection, upper case, to the first entry of each: a drawing
// of many cells and a million placements looks each placement up.
struct CellIndex {
  std::unordered_map<std::string, int32_t> first;
  int32_t builtFor = -1;
  const CktStore* store = nullptr;
};
CellIndex g_cellIndex;

int32_t CellLookup(const char* name) {
  CellIndex& x = g_cellIndex;
  if (x.builtFor != g_store->cellCount || x.store != g_store) {
    x.first.clear();
    for (int32_t i = 1; i <= g_store->cellCount; i++) x.first.emplace(g_store->cells[i].name, i);
    x.builtFor = g_store->cellCount;
    x.store = g_store;
  }
  char key[40];
  CopyUpper(key, sizeof key, name);
  if (strlen(name) >= sizeof key - 1) return 0;
  auto it = x.first.find(key);
  return it == x.first.end() ? 0 : it->second;
}
}  // namespace

void CellTableClear() {
  g_cellIndex.builtFor = -1;
  g_store->cellCount = 0;
  memset(&g_store->cells[0], 0, sizeof(CktCell));
  g_store->curName[0] = 0;
  g_store->curIndex = g_store->curRank = 0;
}

int32_t CellTableAdd(const char* name, int rank, int32_t l, int32_t b, int32_t r, int32_t t,
                     int32_t nb, int32_t np, int32_t nv, int32_t nc) {
  if (g_store->cellCount >= CKT_MAX_CELLS) return 0;
  int32_t i = ++g_store->cellCount;
  CktCell* c = &g_store->cells[i];
  memset(c, 0, sizeof *c);
  CopyUpper(c->name, 33, name);
  c->flags = rank & CELL_RANK_MASK;
  c->left = l; c->bottom = b; c->right = r; c->top = t;
  c->nb = nb; c->np = np; c->nv = nv; c->nc = nc;
  return i;
}

int32_t GetCinfo(const char* name) {
  g_store->curName[0] = 0;
  g_store->curIndex = g_store->curRank = 0;
  if (!name || !name[0]) return 0;
  int32_t found = CellLookup(name);
  for (int32_t i = found; i >= 1 && i <= found; i++) {
    if (strcasecmp(g_store->cells[i].name, name) == 0) {
      snprintf(g_store->curName, sizeof g_store->curName, "%s", g_store->cells[i].name);
      g_store->curIndex = i;
      g_store->curRank = g_store->cells[i].flags & CELL_RANK_MASK;
      return i;
    }
  }
  return 0;
}

const CktCell* InstanceCell(int bank, int32_t n) {
  if (n < 1 || n > CKT_MAX_INSTANCES) return &g_store->cells[0];
  CktInst* a = InstRec(bank, n);
  if (!a) return &g_store->cells[0];
  int32_t c = a->word & 0x3fff;
  if (c > g_store->cellCount) c = 0;
  return &g_store->cells[c];
}

int TlcBLim() {
  return g_store->nb >= CKT_MAX_BOXES ? LimitHit(&g_store->bLim, "TLC Boxes Exceed Limit ... Load Aborted") : 0;
}
int TlcPLim() {
  return g_store->np >= CKT_MAX_PATHS ? LimitHit(&g_store->pLim, "TLC Paths Exceed Limit ... Load Aborted") : 0;
}
int TlcVLim() {
  return g_store->nv >= CKT_MAX_VERTICES ? LimitHit(&g_store->vLim, "TLC Vertices Exceed Limit ... Load Aborted") : 0;
}
// The bank being filled is the one tested: deeper banks fill while bank 0
// is still small.
int TlcALim(int bank) {
  if (bank < 0 || bank >= CKT_BANKS) return 1;
  return g_store->bankCount[bank] >= CKT_MAX_INSTANCES
             ? LimitHit(&g_store->aLim, "TLC Cells Exceed Limit ... Load Aborted")
             : 0;
}

int TlcMakeB(int32_t layer, int32_t l, int32_t b, int32_t r, int32_t t) {
  if (TlcBLim()) return 0;
  CktBox* x = BoxRec(g_store->nb + 1);
  if (!x) return 0;
  g_store->nb++;
  if (r < l) { int32_t s = l; l = r; r = s; }
  if (t < b) { int32_t s = b; b = t; t = s; }
  *x = CktBox{layer, l, b, r, t, 0};
  return 1;
}

int TlcMakeP(int32_t layer, int32_t width, int nv, const int32_t* x, const int32_t* y) {
  if (TlcPLim()) return 0;
  CktPath* p = PathRec(g_store->np + 1);
  if (!p) return 0;
  g_store->np++;
  *p = CktPath{layer, width, 0, 0};
  if (g_store->nv >= CKT_MAX_VERTICES) {
    TlcVLim();
    return 0;
  }
  int32_t last = 0;
  int all = 1;
  for (int i = 0; i < nv; i++) {
    if (TlcVLim()) { all = 0; break; }
    CktVertex* v = VtxRec(g_store->nv + 1);
    if (!v) { all = 0; break; }
    g_store->nv++;
    *v = CktVertex{g_store->np, x[i], y[i], g_store->nv + 1};
    if (!p->first) p->first = g_store->nv;
    last = g_store->nv;
  }
  if (last) {
    CktVertex* v = VtxRec(last);
    if (v) v->next = 0;
  }
  return all;
}

int TlcMakeT(int32_t layer, int32_t size, int orient, int32_t x, int32_t y, const char* text) {
  if (TlcPLim()) return 0;
  CktPath* p = PathRec(g_store->np + 1);
  if (!p) return 0;
  g_store->np++;
  g_store->nt++;
  int32_t me = g_store->np;
  *p = CktPath{(int32_t)((uint32_t)(layer & 0x1ffff) | ((uint32_t)(orient & 7) << 17) | 0x80000000u), size, 0, 0};
  if (g_store->nv >= CKT_MAX_VERTICES) {
    TlcVLim();
    return 0;
  }
  CktVertex* v = VtxRec(g_store->nv + 1);
  if (!v) return 0;
  g_store->nv++;
  p->first = g_store->nv;
  *v = CktVertex{me, x, y, 0};
  int32_t prev = g_store->nv;
  char buf[CKT_TEXT_CHARS + 8];
  memset(buf, 0, sizeof buf);
  snprintf(buf, CKT_TEXT_CHARS + 1, "%s", text ? text : "");
  int n = (int)strlen(buf);
  for (int g = 0; g < n; g += 8) {
    if (TlcVLim()) break;
    CktVertex* c = VtxRec(g_store->nv + 1);
    if (!c) break;
    g_store->nv++;
    uint32_t hx = 0, hy = 0;
    for (int k = 0; k < 4; k++) hx = (hx << 8) | (unsigned char)buf[g + k];
    for (int k = 4; k < 8; k++) hy = (hy << 8) | (unsigned char)buf[g + k];
    *c = CktVertex{(int32_t)((uint32_t)me | 0x80000000u), (int32_t)hx, (int32_t)hy, 0};
    CktVertex* pv = VtxRec(prev);
    if (pv) pv->next = g_store->nv;
    prev = g_store->nv;
  }
  return 1;
}

int TlcMakeCOf(int level, int32_t cell, int orient, int32_t x, int32_t y, int outline) {
  if (level < 0 || level >= CKT_BANKS) return 0;
  if (TlcALim(level)) return 0;
  CktInst* a = InstRec(level, g_store->bankCount[level] + 1);
  if (!a) return 0;
  g_store->bankCount[level]++;
  BankChanged(level);
  a->word = (cell & 0x3fff) | ((outline ? 1 : 0) << 15) | ((orient & 7) << 17);
  a->x = x;
  a->y = y;
  return 1;
}

int TlcMakeC(int level, const char* name, int orient, int32_t x, int32_t y, int outline) {
  if (level < 0 || level >= CKT_BANKS) return 0;
  return TlcMakeCOf(level, GetCinfo(name), orient, x, y, outline);
}

int PathIsText(int32_t n) {
  CktPath* p = PathRec(n);
  return p && p->word < 0;
}

void TextOfPath(int32_t n, int maxVtx, char* out, int outSize) {
  int k = 0;
  out[0] = 0;
  CktPath* p = PathRec(n);
  if (!p || p->word >= 0 || !p->first) return;
  CktVertex* v = VtxRec(p->first);
  int32_t next = v ? v->next : 0;
  for (int c = 0; c < maxVtx && next; c++) {
    CktVertex* cv = VtxRec(next);
    if (!cv || cv->owner >= 0) break;
    uint32_t w[2] = {(uint32_t)cv->x, (uint32_t)cv->y};
    for (int h = 0; h < 2; h++)
      for (int s = 24; s >= 0; s -= 8) {
        char ch = (char)((w[h] >> s) & 0xff);
        if (!ch) goto done;
        if (k < outSize - 1) out[k++] = ch;
      }
    next = cv->next;
  }
done:
  out[k] = 0;
}

void InstanceFetch(int level, int32_t n) {
  if (level < 0 || level >= CKT_BANKS) return;
  CktPlace* e = &g_store->place[level];
  int32_t word = 0, x = 0, y = 0;
  if (n >= 1 && n <= CKT_MAX_INSTANCES) {
    word = getA(level, 0, n);
    x = getA(level, 1, n);
    y = getA(level, 2, n);
  }
  int32_t ci = word & 0x3fff;
  if (ci > g_store->cellCount) ci = 0;
  const CktCell* c = &g_store->cells[ci];
  e->cell = ci;
  e->outline = (word >> 15) & 1;
  e->orient = (word >> 17) & 7;
  e->rank = c->flags & CELL_RANK_MASK;
  e->symbol = (c->flags & CELL_SYMBOL) ? 1 : 0;
  e->device = (c->flags & CELL_DEVICE_NO_CONN) ? 1 : 0;
  memcpy(e->name, c->name, sizeof e->name - 1);
  e->name[sizeof e->name - 1] = 0;
  if (level == 0) {
    int64_t l = c->left, b = c->bottom, r = c->right, t = c->top;
    if (e->orient) {
      OrientPoint(e->orient, c->left, c->bottom, &l, &b);
      OrientPoint(e->orient, c->right, c->top, &r, &t);
    }
    if (l > r) { int64_t s = l; l = r; r = s; }
    if (b > t) { int64_t s = b; b = t; t = s; }
    e->left = Clamp32(l + x); e->bottom = Clamp32(b + y);
    e->right = Clamp32(r + x); e->top = Clamp32(t + y);
  }
  int64_t tx = x, ty = y;
  for (int k = level - 1; k >= 0; k--) OrientPoint(g_store->place[k].orient, tx, ty, &tx, &ty);
  e->x = Clamp32(tx);
  e->y = Clamp32(ty);
  int64_t ax = 0, ay = 0;
  for (int k = 0; k <= level; k++) {
    ax += g_store->place[k].x;
    ay += g_store->place[k].y;
  }
  g_store->accX = ax;
  g_store->accY = ay;
}

void PlaceTransform(int depth, int64_t dx, int64_t dy, int32_t* x, int32_t* y) {
  int64_t tx = *x, ty = *y;
  if (depth >= CKT_BANKS) depth = CKT_BANKS - 1;
  for (int k = depth; k >= 0; k--) OrientPoint(g_store->place[k].orient, tx, ty, &tx, &ty);
  *x = Clamp32(tx + dx);
  *y = Clamp32(ty + dy);
}

void PlacingOf(int depth, int64_t dx, int64_t dy, CktPlacing* t) {
  // The images of the unit vectors are the columns; the turns are exact in
  // 64 bits, so placing with them equals PlaceTransform point by point.
  int64_t ax = 1, ay = 0, bx = 0, by = 1;
  if (depth >= CKT_BANKS) depth = CKT_BANKS - 1;
  for (int k = depth; k >= 0; k--) {
    int o = g_store->place[k].orient;
    OrientPoint(o, ax, ay, &ax, &ay);
    OrientPoint(o, bx, by, &bx, &by);
  }
  *t = CktPlacing{ax, bx, ay, by, dx, dy};
}

void PlaceBox(CktBox* b, int depth, int64_t dx, int64_t dy) {
  int32_t x0 = b->left, y0 = b->bottom, x1 = b->right, y1 = b->top;
  PlaceTransform(depth, dx, dy, &x0, &y0);
  PlaceTransform(depth, dx, dy, &x1, &y1);
  b->left = x0 < x1 ? x0 : x1;
  b->right = x0 < x1 ? x1 : x0;
  b->bottom = y0 < y1 ? y0 : y1;
  b->top = y0 < y1 ? y1 : y0;
}
}  // namespace ckt
