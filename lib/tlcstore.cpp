// The satellites' paged record store: fixed-size records in 8192-byte
// blocks made on first touch, addressed by 1-based index.
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "pagedtable.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satsetup.h"

TlcStoreState TlcStore;

tlchdr TLCh;
tlcbox TLCb;
tlcpath TLCp;
tlctext TLCt;
tlccel TLCc[NRANK + 2];

namespace {

template <int Fields, int PerBlock, int Blocks, int32_t Max>
using BlockTable = PagedTable<PagedFields<Fields>, TLC_BLOCK_BYTES, PerBlock, Blocks, Max>;

struct Blocks {
  BlockTable<TLCS_BOX_FIELDS, TLCS_BOX_PER_BLOCK, TLCS_BOX_BLOCKS, BMAX> box;
  BlockTable<TLCS_PATH_FIELDS, TLCS_PATH_PER_BLOCK, TLCS_PATH_BLOCKS, PMAX> path;
  BlockTable<TLCS_VERT_FIELDS, TLCS_VERT_PER_BLOCK, TLCS_VERT_BLOCKS, VMAX> vert;
  BlockTable<TLCS_CEL_FIELDS, TLCS_CEL_PER_BLOCK, TLCS_CEL_BLOCKS, AMAX> cel[NRANK + 1];
};
Blocks Store;

// The field of record n; null for n outside 1..the store's limit, a field
// outside the record, or a block that can't be had.
template <typename Table>
int32_t* Field(Table& table, int field, int32_t n) {
  if (field < 0 || field >= Table::Record::FIELDS) return nullptr;
  auto* r = PagedRec(table, n, &TlcStore.oomFlag);
  return r ? r->f + field : nullptr;
}

int Limit(int32_t count, int32_t limit, int* flag, const char* what) {
  if (count < limit) return 0;
  char text[128];
  snprintf(text, sizeof text, "TLC %s Exceed Limit ... Load Aborted", what);
  MessageBoxPause(text, HOST_CAP_WARNING, HOST_OK);
  *flag = 1;
  return 1;
}

}  // namespace

void freeBPV() {
  PagedFree(Store.box);
  PagedFree(Store.path);
  PagedFree(Store.vert);
  TlcStore.nB = TlcStore.nP = TlcStore.nV = 0;
}

void freeCEL(int depth) {
  if (depth < 0 || depth > NRANK) return;
  PagedFree(Store.cel[depth]);
  TlcStore.nA[depth] = 0;
}

void TlcStoreReset() {
  freeBPV();
  for (int d = 0; d <= NRANK; ++d) freeCEL(d);
  TlcStore = TlcStoreState();
  memset(&TLCh, 0, sizeof TLCh);
  memset(&TLCb, 0, sizeof TLCb);
  memset(&TLCp, 0, sizeof TLCp);
  memset(&TLCt, 0, sizeof TLCt);
  memset(TLCc, 0, sizeof TLCc);
}

void TlcLimitsReset() {
  TlcStore.BlimFlag = TlcStore.PlimFlag = TlcStore.VlimFlag = TlcStore.AlimFlag = 0;
  TlcStore.oomFlag = 0;
}

int TlcLimitHit() {
  return TlcStore.BlimFlag || TlcStore.PlimFlag || TlcStore.VlimFlag || TlcStore.AlimFlag ||
         TlcStore.oomFlag;
}

int allocB(int i) { return PagedPage(Store.box, i, &TlcStore.oomFlag) != nullptr; }
int allocP(int i) { return PagedPage(Store.path, i, &TlcStore.oomFlag) != nullptr; }
int allocV(int i) { return PagedPage(Store.vert, i, &TlcStore.oomFlag) != nullptr; }
int allocA(int depth, int i) {
  if (depth < 0 || depth > NRANK) return 0;
  return PagedPage(Store.cel[depth], i, &TlcStore.oomFlag) != nullptr;
}

int32_t getB(int field, int32_t n) {
  int32_t* p = Field(Store.box, field, n);
  return p ? *p : 0;
}
int32_t getP(int field, int32_t n) {
  int32_t* p = Field(Store.path, field, n);
  return p ? *p : 0;
}
int32_t getV(int field, int32_t n) {
  int32_t* p = Field(Store.vert, field, n);
  return p ? *p : 0;
}
int32_t getA(int depth, int field, int32_t n) {
  if (depth < 0 || depth > NRANK) return 0;
  int32_t* p = Field(Store.cel[depth], field, n);
  return p ? *p : 0;
}

int putB(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.box, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putP(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.path, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putV(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.vert, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putA(int32_t value, int depth, int field, int32_t n) {
  if (depth < 0 || depth > NRANK) return 0;
  int32_t* p = Field(Store.cel[depth], field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}

int TlcBLim() { return Limit(TlcStore.nB, TlcStore.limB, &TlcStore.BlimFlag, "Boxes"); }
int TlcPLim() { return Limit(TlcStore.nP, TlcStore.limP, &TlcStore.PlimFlag, "Paths"); }
int TlcVLim() { return Limit(TlcStore.nV, TlcStore.limV, &TlcStore.VlimFlag, "Vertices"); }
int TlcALim() { return Limit(TlcStore.nA[0], TlcStore.limA, &TlcStore.AlimFlag, "Cells"); }

int TlcMakeB() {
  if (TlcBLim()) return 0;
  int32_t n = TlcStore.nB + 1;
  if (!putB(TLCb.lyr, 0, n) || !putB(TLCb.l, 1, n) || !putB(TLCb.b, 2, n) || !putB(TLCb.r, 3, n) ||
      !putB(TLCb.t, 4, n))
    return 0;
  TlcStore.nB = n;
  return 1;
}

// Room for `need` more vertices, else the vertex limit's warning. A record
// is stored whole or not at all: a path cut short would be a different shape.
static int VertRoom(int32_t need) {
  if (TlcStore.nV <= TlcStore.limV - need) return 1;
  int32_t keep = TlcStore.nV;
  TlcStore.nV = TlcStore.limV;
  TlcVLim();
  TlcStore.nV = keep;
  return 0;
}

int TlcMakeP() {
  if (TlcPLim()) return 0;
  if (TLCp.nv < 1 || TLCp.nv > PVSIZ) return 0;
  if (!VertRoom(TLCp.nv)) return 0;
  int32_t p = TlcStore.nP + 1;
  int32_t first = TlcStore.nV + 1;
  if (!putP(TLCp.lyr, 0, p) || !putP(TLCp.w, 1, p) || !putP(first, 2, p)) return 0;
  for (int32_t i = 0; i < TLCp.nv; ++i) {
    int32_t v = first + i;
    if (!putV(p, 0, v) || !putV(TLCp.x[i], 1, v) || !putV(TLCp.y[i], 2, v) ||
        !putV(i + 1 < TLCp.nv ? v + 1 : 0, 3, v))
      return 0;
  }
  TlcStore.nP = p;
  TlcStore.nV = first + TLCp.nv - 1;
  return 1;
}

int TlcMakeT() {
  if (TlcPLim()) return 0;
  char buf[TXTLEN + 8] = {};
  snprintf(buf, sizeof buf, "%s", TLCt.text);
  int len = (int)strlen(buf);
  int32_t need = 1 + (len + 7) / 8;
  if (!VertRoom(need)) return 0;
  int32_t p = TlcStore.nP + 1;
  int32_t first = TlcStore.nV + 1;
  int32_t word = (TLCt.lyr & 0x1ff) | ORHB(TLCt.o) | (int32_t)TXHB;
  if (!putP(word, 0, p) || !putP(TLCt.size, 1, p) || !putP(first, 2, p)) return 0;
  if (!putV(p, 0, first) || !putV(TLCt.x, 1, first) || !putV(TLCt.y, 2, first) ||
      !putV(need > 1 ? first + 1 : 0, 3, first))
    return 0;
  for (int32_t k = 1; k < need; ++k) {
    const unsigned char* c = reinterpret_cast<const unsigned char*>(buf) + (k - 1) * 8;
    uint32_t x = (uint32_t)c[0] << 24 | (uint32_t)c[1] << 16 | (uint32_t)c[2] << 8 | c[3];
    uint32_t y = (uint32_t)c[4] << 24 | (uint32_t)c[5] << 16 | (uint32_t)c[6] << 8 | c[7];
    int32_t v = first + k;
    if (!putV((int32_t)((uint32_t)p | TXHB), 0, v) || !putV((int32_t)x, 1, v) || !putV((int32_t)y, 2, v) ||
        !putV(k + 1 < need ? v + 1 : 0, 3, v))
      return 0;
  }
  TlcStore.nP = p;
  TlcStore.nV = first + need - 1;
  return 1;
}

int TlcMakeC(int level) {
  if (level < 0 || level > NRANK) return 0;
  if (Limit(TlcStore.nA[level], TlcStore.limA, &TlcStore.AlimFlag, "Cells")) return 0;
  const tlccel& c = TLCc[level];
  int32_t n = TlcStore.nA[level] + 1;
  int32_t word = CNHB(GetCinfo(c.name)) | OTHB(c.r) | ORHB(c.o);
  if (!putA(word, level, 0, n) || !putA(c.x, level, 1, n) || !putA(c.y, level, 2, n)) return 0;
  TlcStore.nA[level] = n;
  return 1;
}

int TlcTextGet(int32_t n, char* out, int size) {
  if (!out || size < 1) return 0;
  out[0] = '\0';
  int len = 0;
  int32_t v = getP(2, n);
  if (v) v = getV(3, v);  // the first vertex holds the position
  int guard = 0;
  while (v && guard++ < TXTLEN) {
    uint32_t w[2] = {(uint32_t)getV(1, v), (uint32_t)getV(2, v)};
    for (int k = 0; k < 8; ++k) {
      char c = (char)((w[k / 4] >> (24 - 8 * (k % 4))) & 0xff);
      if (!c) break;
      if (len + 1 < size) out[len++] = c;
    }
    v = getV(3, v);
  }
  out[len] = '\0';
  return len;
}
