// The satellites' paged record store: fixed-size records in 8192-byte
// blocks made on first touch, addressed by 1-based index.
#include <cstdlib>
#include <cstring>

#include "host.h"
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

struct Blocks {
  int32_t* box[TLCS_BOX_BLOCKS];
  int32_t* path[TLCS_PATH_BLOCKS];
  int32_t* vert[TLCS_VERT_BLOCKS];
  int32_t* cel[NRANK + 1][TLCS_CEL_BLOCKS];
  // One past the highest block made in each table, so freeing a small cell
  // does not walk every slot of the table.
  int boxTop, pathTop, vertTop, celTop[NRANK + 1];
};
Blocks Store;

int* TopOf(int32_t** table) {
  if (table == Store.box) return &Store.boxTop;
  if (table == Store.path) return &Store.pathTop;
  if (table == Store.vert) return &Store.vertTop;
  for (int d = 0; d <= NRANK; ++d)
    if (table == Store.cel[d]) return &Store.celTop[d];
  return nullptr;
}

int32_t* Block(int32_t** table, int count, int i) {
  if (i < 0 || i >= count) return nullptr;
  if (!table[i]) {
    table[i] = static_cast<int32_t*>(calloc(1, TLC_BLOCK_BYTES));
    if (!table[i]) {
      TlcStore.oomFlag = 1;
      return nullptr;
    }
    int* top = TopOf(table);
    if (top && *top < i + 1) *top = i + 1;
  }
  return table[i];
}

int32_t* Field(int32_t** table, int blocks, int perBlock, int fields, int32_t limit, int field,
               int32_t n) {
  if (n < 1 || n > limit || field < 0 || field >= fields) return nullptr;
  int32_t* b = Block(table, blocks, (int)((n - 1) / perBlock));
  if (!b) return nullptr;
  return b + ((n - 1) % perBlock) * fields + field;
}

void FreeTable(int32_t** table, int count) {
  int* top = TopOf(table);
  int n = top ? *top : count;
  for (int i = 0; i < n && i < count; ++i) {
    free(table[i]);
    table[i] = nullptr;
  }
  if (top) *top = 0;
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
  FreeTable(Store.box, TLCS_BOX_BLOCKS);
  FreeTable(Store.path, TLCS_PATH_BLOCKS);
  FreeTable(Store.vert, TLCS_VERT_BLOCKS);
  TlcStore.nB = TlcStore.nP = TlcStore.nV = 0;
}

void freeCEL(int depth) {
  if (depth < 0 || depth > NRANK) return;
  FreeTable(Store.cel[depth], TLCS_CEL_BLOCKS);
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

int allocB(int i) { return Block(Store.box, TLCS_BOX_BLOCKS, i) != nullptr; }
int allocP(int i) { return Block(Store.path, TLCS_PATH_BLOCKS, i) != nullptr; }
int allocV(int i) { return Block(Store.vert, TLCS_VERT_BLOCKS, i) != nullptr; }
int allocA(int depth, int i) {
  if (depth < 0 || depth > NRANK) return 0;
  return Block(Store.cel[depth], TLCS_CEL_BLOCKS, i) != nullptr;
}

int32_t getB(int field, int32_t n) {
  int32_t* p = Field(Store.box, TLCS_BOX_BLOCKS, TLCS_BOX_PER_BLOCK, TLCS_BOX_FIELDS, BMAX, field, n);
  return p ? *p : 0;
}
int32_t getP(int field, int32_t n) {
  int32_t* p = Field(Store.path, TLCS_PATH_BLOCKS, TLCS_PATH_PER_BLOCK, TLCS_PATH_FIELDS, PMAX, field, n);
  return p ? *p : 0;
}
int32_t getV(int field, int32_t n) {
  int32_t* p = Field(Store.vert, TLCS_VERT_BLOCKS, TLCS_VERT_PER_BLOCK, TLCS_VERT_FIELDS, VMAX, field, n);
  return p ? *p : 0;
}
int32_t getA(int depth, int field, int32_t n) {
  if (depth < 0 || depth > NRANK) return 0;
  int32_t* p = Field(Store.cel[depth], TLCS_CEL_BLOCKS, TLCS_CEL_PER_BLOCK, TLCS_CEL_FIELDS, AMAX, field, n);
  return p ? *p : 0;
}

int putB(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.box, TLCS_BOX_BLOCKS, TLCS_BOX_PER_BLOCK, TLCS_BOX_FIELDS, BMAX, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putP(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.path, TLCS_PATH_BLOCKS, TLCS_PATH_PER_BLOCK, TLCS_PATH_FIELDS, PMAX, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putV(int32_t value, int field, int32_t n) {
  int32_t* p = Field(Store.vert, TLCS_VERT_BLOCKS, TLCS_VERT_PER_BLOCK, TLCS_VERT_FIELDS, VMAX, field, n);
  if (!p) return 0;
  *p = value;
  return 1;
}
int putA(int32_t value, int depth, int field, int32_t n) {
  if (depth < 0 || depth > NRANK) return 0;
  int32_t* p = Field(Store.cel[depth], TLCS_CEL_BLOCKS, TLCS_CEL_PER_BLOCK, TLCS_CEL_FIELDS, AMAX, field, n);
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
