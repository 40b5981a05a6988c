// The satellites' paged record store: fixed-size records in 8192-byte
// blocks made on first touch, addressed by 1-based index.
#include <cstdlib>
#include <cstring>

#if defined(__linux__)
#include <sys/mman.h>
#endif

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

// Blocks are cut from slabs of several blocks, zeroed when made, so that a
// cell of a million boxes costs a few dozen allocations, not thousands. A
// table's first slabs double (1, 1, 2, 4, 8, 16 blocks) so a small cell
// stays small; from 32 blocks on a slab is 2 MB, aligned to its size so the
// system may back it with large pages: reading a big cell is otherwise
// mostly page faults. A block stays where it is until its table is freed;
// the slabs of a freed table are kept for its next read (a tool reads cell
// after cell, or the same cell once a pass) and given back at a reset.
enum {
  SLAB_BLOCKS = 256,
  SLAB_BYTES = SLAB_BLOCKS * TLC_BLOCK_BYTES,
  SLAB_SMALL_COUNT = 6,  // slabs of 1, 1, 2, 4, 8 and 16 blocks come first
};

void* SlabMake(size_t bytes) {
#if defined(__linux__)
  if (bytes == SLAB_BYTES) {
    void* p = nullptr;
    if (posix_memalign(&p, SLAB_BYTES, bytes) != 0) return nullptr;
    madvise(p, bytes, MADV_HUGEPAGE);  // a hint; without it the slab works the same
    memset(p, 0, bytes);
    return p;
  }
#endif
  return calloc(1, bytes);
}

template <int Fields, int PerBlock, int Blocks, int32_t Max>
struct BlockTable {
  using Record = PagedFields<Fields>;
  enum {
    PER_BLOCK = PerBlock,
    BLOCKS = Blocks,
    MAX_INDEX = Max,
    MAX_SLABS = SLAB_SMALL_COUNT + (Blocks + SLAB_BLOCKS - 1) / SLAB_BLOCKS,
  };
  PagedTable<Record, TLC_BLOCK_BYTES, PerBlock, Blocks, Max> pages;
  char* slab[MAX_SLABS];
  int slabs;   // slabs made (kept while the table is freed)
  int used;    // slabs cut from since the table was last freed
  char* next;  // the next block of the last slab used
  int left;    // blocks not yet cut from it
};

// Blocks of slab k of a table of `blocks` blocks: always the same for the
// same k, so a kept slab serves the same place again.
int SlabSpan(int k, int blocks) {
  int before = k < SLAB_SMALL_COUNT + 1 ? (k ? 1 << (k - 1) : 0) : (1 << (SLAB_SMALL_COUNT - 1)) + SLAB_BLOCKS * (k - SLAB_SMALL_COUNT);
  int span = k < SLAB_SMALL_COUNT ? (k ? 1 << (k - 1) : 1) : SLAB_BLOCKS;
  if (span > blocks - before) span = blocks - before;
  return span;
}

// Block i (from 0) of the table, made on first use; null outside the table
// or when no slab can be had (the out-of-memory flag is then set).
template <typename Table>
typename Table::Record* Block(Table& t, int i) {
  if (i < 0 || i >= Table::BLOCKS) return nullptr;
  if (t.pages.page[i]) return t.pages.page[i];
  if (t.left == 0) {
    int k = t.used;
    // A table makes each of its blocks once at most, so neither holds.
    if (k >= Table::MAX_SLABS) return nullptr;
    int span = SlabSpan(k, Table::BLOCKS);
    if (span < 1) return nullptr;
    size_t bytes = static_cast<size_t>(span) * TLC_BLOCK_BYTES;
    char* p;
    if (k < t.slabs) {
      p = t.slab[k];
      memset(p, 0, bytes);  // an untouched record reads as nothing
    } else {
      p = static_cast<char*>(SlabMake(bytes));
      if (!p) {
        TlcStore.oomFlag = 1;
        return nullptr;
      }
      t.slab[t.slabs++] = p;
    }
    ++t.used;
    t.next = p;
    t.left = span;
  }
  auto* b = reinterpret_cast<typename Table::Record*>(t.next);
  t.next += TLC_BLOCK_BYTES;
  --t.left;
  t.pages.page[i] = b;
  if (t.pages.top <= i) t.pages.top = i + 1;
  return b;
}

// Record n (from 1), its block made on first use; null for n outside
// 1..the store's limit or a block that can't be had.
template <typename Table>
inline typename Table::Record* Rec(Table& t, int32_t n) {
  auto* r = PagedFind(t.pages, n);
  if (r) return r;
  uint32_t i = static_cast<uint32_t>(n) - 1u;  // n below 1 wraps above the limit
  if (i >= static_cast<uint32_t>(Table::MAX_INDEX)) return nullptr;
  if (!Block(t, static_cast<int>(i / static_cast<uint32_t>(Table::PER_BLOCK)))) return nullptr;
  return PagedFind(t.pages, n);
}

// Empties the table; its slabs are kept for the next read unless giveBack.
template <typename Table>
void TableFree(Table& t, int giveBack) {
  for (int i = 0; i < t.pages.top; ++i) t.pages.page[i] = nullptr;
  t.pages.top = 0;
  t.used = t.left = 0;
  t.next = nullptr;
  if (!giveBack) return;
  for (int k = 0; k < t.slabs; ++k) free(t.slab[k]);
  t.slabs = 0;
}

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
  auto* r = Rec(table, n);
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
  TableFree(Store.box, 0);
  TableFree(Store.path, 0);
  TableFree(Store.vert, 0);
  TlcStore.nB = TlcStore.nP = TlcStore.nV = 0;
}

void freeCEL(int depth) {
  if (depth < 0 || depth > NRANK) return;
  TableFree(Store.cel[depth], 0);
  TlcStore.nA[depth] = 0;
}

void TlcStoreReset() {
  TableFree(Store.box, 1);
  TableFree(Store.path, 1);
  TableFree(Store.vert, 1);
  for (int d = 0; d <= NRANK; ++d) TableFree(Store.cel[d], 1);
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

int allocB(int i) { return Block(Store.box, i) != nullptr; }
int allocP(int i) { return Block(Store.path, i) != nullptr; }
int allocV(int i) { return Block(Store.vert, i) != nullptr; }
int allocA(int depth, int i) {
  if (depth < 0 || depth > NRANK) return 0;
  return Block(Store.cel[depth], i) != nullptr;
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
  auto* r = Rec(Store.box, n);
  if (!r) return 0;
  r->f[0] = TLCb.lyr;
  r->f[1] = TLCb.l;
  r->f[2] = TLCb.b;
  r->f[3] = TLCb.r;
  r->f[4] = TLCb.t;
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
