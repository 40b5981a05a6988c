#include "store.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

// Large pages for reservations where the system offers them.
#if defined(__linux__)
#define STORE_LARGE_PAGES 1
#include <sys/mman.h>
#endif

#include "celltable.h"
#include "host.h"
#include "orient.h"

StoreState Store;

namespace {

// The record's fields, its page made on first use (counted for the figures).
template <typename Table>
int32_t* RecOf(Table& table, int32_t index) {
  auto* r = PagedFind(table, index);
  if (!r) {
    r = PagedRec(table, index, &Store.failed);
    if (!r) return nullptr;
    Store.pagesMade++;
  }
  return r->f;
}

// A zero-filled block of size bytes (a multiple of the system's page), null
// when it can't be had. Filling millions of records on fresh memory costs
// mostly the system's faults, one per 4 KB touched; where the system has
// large pages the block lies on 2 MB boundaries and asks for them, one fault
// per 2 MB.
char* BlockMake(size_t size) {
#ifdef STORE_LARGE_PAGES
  const uintptr_t large = uintptr_t(2) << 20;
  const size_t span = size + large;
  void* m = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (m == MAP_FAILED) return nullptr;
  const uintptr_t from = reinterpret_cast<uintptr_t>(m);
  const uintptr_t at = (from + large - 1) & ~(large - 1);
  if (at > from) munmap(m, at - from);
  if (from + span > at + size) munmap(reinterpret_cast<void*>(at + size), from + span - (at + size));
  madvise(reinterpret_cast<void*>(at), size, MADV_HUGEPAGE);
  return reinterpret_cast<char*>(at);
#else
  return static_cast<char*>(calloc(1, size));
#endif
}

void BlockFree(char* bytes, size_t size) {
#ifdef STORE_LARGE_PAGES
  munmap(bytes, size);
#else
  (void)size;
  free(bytes);
#endif
}

template <typename Table>
void FreePages(Table& table) {
  // A reservation's pages go back with their block, not one by one.
  for (int k = 0; k < Store.blockCount;) {
    StoreBlock& b = Store.blocks[k];
    if (b.table != &table) {
      ++k;
      continue;
    }
    for (int i = b.first; i <= b.last; ++i) table.page[i] = nullptr;
    Store.pagesMade -= b.last - b.first + 1;
    BlockFree(b.bytes, static_cast<size_t>(b.last - b.first + 1) * STORE_PAGE_BYTES);
    b = Store.blocks[--Store.blockCount];
  }
  Store.pagesMade -= PagedFree(table);
}

// Makes the pages of records count+1 .. count+more+1 (the record after the
// last too: the capacity checks make its page ahead) that are missing, as
// one block: the run of missing pages from the first one, up to the first
// page that exists or the table's end.
template <typename T, int B, int P, int M, int32_t X>
void Reserve(PagedTable<T, B, P, M, X>& table, int32_t count, int64_t more) {
  static_assert(B == STORE_PAGE_BYTES, "a block is cut into store pages");
  if (more <= 0 || count < 0 || Store.blockCount >= STORE_BLOCKS) return;
  const int64_t lastIndex = std::min<int64_t>(int64_t(count) + more + 1, X);
  int first = count / P;
  const int end = static_cast<int>((lastIndex - 1) / P);
  while (first <= end && table.page[first]) ++first;
  int last = first;
  while (last < end && !table.page[last + 1]) ++last;
  if (first > end || last - first + 1 < STORE_BLOCK_MIN_PAGES) return;
  char* bytes = BlockMake(static_cast<size_t>(last - first + 1) * STORE_PAGE_BYTES);
  if (!bytes) return;
  for (int i = first; i <= last; ++i) table.page[i] = reinterpret_cast<T*>(bytes + int64_t(i - first) * B);
  if (table.top <= last) table.top = last + 1;
  Store.pagesMade += last - first + 1;
  Store.blocks[Store.blockCount++] = StoreBlock{&table, bytes, first, last};
}

int Limit(int32_t count, int32_t limit, const char* message, int32_t* (*rec)(int32_t)) {
  if (count >= limit) {
    HostMsgBox(message, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL);
    Store.limFlag = 1;
    return 1;
  }
  Store.limFlag = rec(count + 2) ? 0 : 1;
  return Store.limFlag;
}

int32_t* Level0Rec(int32_t index) { return StoreCellRec(0, index); }

}  // namespace

void StoreReset() {
  StoreFreeAll();
  Store.boxCount = Store.pathCount = Store.vertexCount = 0;
  for (int i = 0; i < STORE_LEVELS; ++i) {
    Store.instCount[i] = 0;
    Store.levelCell[i] = 0;
  }
  Store.heldCell = Store.currentCell = Store.swapCell = 0;
  Store.failed = Store.limFlag = 0;
  Store.tempFolder[0] = 0;
  Store.spareFolder[0] = 0;
  Store.swapSpare = 0;
}

int32_t* StoreBoxRec(int32_t index) { return RecOf(Store.boxPages, index); }
int32_t* StorePathRec(int32_t index) { return RecOf(Store.pathPages, index); }
int32_t* StoreVertexRec(int32_t index) { return RecOf(Store.vertexPages, index); }
int32_t* StoreCellRec(int level, int32_t index) {
  if (level < 0 || level >= STORE_LEVELS) return nullptr;
  return RecOf(Store.instPages[level], index);
}

int32_t StoreBoxGet(int field, int32_t index) {
  if (field < 0 || field >= BOX_FIELDS) return 0;
  int32_t* r = StoreBoxRec(index);
  return r ? r[field] : 0;
}
int StoreBoxSet(int32_t value, int field, int32_t index) {
  if (field < 0 || field >= BOX_FIELDS) return 0;
  int32_t* r = StoreBoxRec(index);
  if (!r) return 0;
  r[field] = value;
  return 1;
}
int32_t StorePathGet(int field, int32_t index) {
  if (field < 0 || field >= PATH_FIELDS) return 0;
  int32_t* r = StorePathRec(index);
  return r ? r[field] : 0;
}
int StorePathSet(int32_t value, int field, int32_t index) {
  if (field < 0 || field >= PATH_FIELDS) return 0;
  int32_t* r = StorePathRec(index);
  if (!r) return 0;
  r[field] = value;
  return 1;
}
int32_t StoreVertexGet(int field, int32_t index) {
  if (field < 0 || field >= VERTEX_FIELDS) return 0;
  int32_t* r = StoreVertexRec(index);
  return r ? r[field] : 0;
}
int StoreVertexSet(int32_t value, int field, int32_t index) {
  if (field < 0 || field >= VERTEX_FIELDS) return 0;
  int32_t* r = StoreVertexRec(index);
  if (!r) return 0;
  r[field] = value;
  return 1;
}
int32_t StoreCellGet(int level, int field, int32_t index) {
  if (field < 0 || field >= INST_FIELDS) return 0;
  int32_t* r = StoreCellRec(level, index);
  return r ? r[field] : 0;
}
int StoreCellSet(int32_t value, int level, int field, int32_t index) {
  if (field < 0 || field >= INST_FIELDS) return 0;
  int32_t* r = StoreCellRec(level, index);
  if (!r) return 0;
  r[field] = value;
  return 1;
}

void StoreBoxReserve(int64_t count) { Reserve(Store.boxPages, Store.boxCount, count); }
void StorePathReserve(int64_t count) { Reserve(Store.pathPages, Store.pathCount, count); }
void StoreVertexReserve(int64_t count) { Reserve(Store.vertexPages, Store.vertexCount, count); }
void StoreCellReserve(int64_t count) { Reserve(Store.instPages[0], Store.instCount[0], count); }

int StoreBoxLim() { return Limit(Store.boxCount, BOX_LIMIT, "Box Limit Exceeded", StoreBoxRec); }
int StorePathLim() { return Limit(Store.pathCount, PATH_LIMIT, "Path Limit Exceeded", StorePathRec); }
int StoreVertexLim() { return Limit(Store.vertexCount, VERTEX_LIMIT, "Vertex Limit Exceeded", StoreVertexRec); }
int StoreCellLim() { return Limit(Store.instCount[0], INST_LIMIT, "Cell Limit Exceeded", Level0Rec); }

void StoreFreeObjs() {
  FreePages(Store.boxPages);
  FreePages(Store.pathPages);
  FreePages(Store.vertexPages);
}

void StoreFreeLevel(int level) {
  if (level < 0 || level >= STORE_LEVELS) return;
  FreePages(Store.instPages[level]);
}

void StoreFreeAll() {
  StoreFreeObjs();
  for (int i = 0; i < STORE_LEVELS; ++i) StoreFreeLevel(i);
}

int64_t StoreBytes() { return Store.pagesMade * STORE_PAGE_BYTES; }

void StoreTextPack(const char* group, int n, int32_t* x, int32_t* y) {
  unsigned char b[8] = {};
  for (int i = 0; i < n && i < 8; ++i) b[i] = static_cast<unsigned char>(group[i]);
  uint32_t ux = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
  uint32_t uy = (uint32_t(b[4]) << 24) | (uint32_t(b[5]) << 16) | (uint32_t(b[6]) << 8) | b[7];
  *x = static_cast<int32_t>(ux);
  *y = static_cast<int32_t>(uy);
}

int StoreTextGet(int32_t index, char* out, int outSize) {
  if (!out || outSize < 1) return 0;
  out[0] = 0;
  int len = 0;
  int32_t* p = StorePathRec(index);
  if (!p) return 0;
  int32_t* first = StoreVertexRec(p[2]);
  if (!first) return 0;
  int32_t v = first[3];
  int32_t steps = 0;
  while (v > 0 && steps++ < Store.vertexCount) {
    int32_t* r = StoreVertexRec(v);
    if (!r) break;
    uint32_t words[2] = {static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2])};
    for (uint32_t w : words) {
      for (int s = 24; s >= 0; s -= 8) {
        char c = static_cast<char>((w >> s) & 0xFF);
        if (!c || len + 1 >= outSize) {
          out[len] = 0;
          return len;
        }
        out[len++] = c;
      }
    }
    v = r[3];
  }
  out[len] = 0;
  return len;
}

int TextVertexCount(int n) { return n > 0 ? (n - 1) / 8 + 2 : 2; }

void StoreExtentCalc(int32_t ext[4]) {
  if (Store.boxCount <= 0 && Store.pathCount <= 0 && Store.instCount[0] <= 0) {
    ext[0] = ext[1] = -1;
    ext[2] = ext[3] = 1;
    return;
  }
  int64_t l = 536870912, b = 536870912, r = -536870912, t = -536870912;
  auto widen = [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    if (x0 < l) l = x0;
    if (y0 < b) b = y0;
    if (x1 > r) r = x1;
    if (y1 > t) t = y1;
  };
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (q) widen(q[1], q[2], q[3], q[4]);
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p) continue;
    if (p[0] <= 0) {
      const int32_t* v = StoreVertexRec(p[2]);
      if (!v) continue;
      char text[256];
      int n = StoreTextGet(i, text, sizeof text);
      int64_t size = 2 * (std::llabs(p[1]) / 2);
      int64_t length = std::llround(n * static_cast<double>(size) * 0.81667);
      int o = (static_cast<uint32_t>(p[0]) >> ORIENT_SHIFT) & ORIENT_MASK;
      int64_t x1, y1;
      OrientPoint(o, length, size, &x1, &y1);
      widen(v[1], v[2], v[1] + x1, v[2] + y1);
      continue;
    }
    int64_t half = std::llabs(p[1]) / 2;
    int32_t vi = p[2];
    for (int32_t steps = 0; vi > 0 && steps < Store.vertexCount; ++steps) {
      const int32_t* v = StoreVertexRec(vi);
      if (!v) break;
      widen(v[1] - half, v[2] - half, v[1] + half, v[2] + half);
      vi = v[3];
    }
  }
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    if (!c) continue;
    const CellEntry* e = CellEntryOf(c[0] & INST_CELL_MASK);
    if (!e) continue;
    int o = (static_cast<uint32_t>(c[0]) >> ORIENT_SHIFT) & ORIENT_MASK;
    int64_t ax, ay, bx, by;
    OrientPoint(o, e->l, e->b, &ax, &ay);
    OrientPoint(o, e->r, e->t, &bx, &by);
    widen(ax + c[1], ay + c[2], bx + c[1], by + c[2]);
  }
  if (r == l) r = l + 2;
  if (t == b) t = b + 2;
  if (l > r) std::swap(l, r);
  if (b > t) std::swap(b, t);
  auto clamp = [](int64_t v) { return static_cast<int32_t>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v); };
  ext[0] = clamp(l);
  ext[1] = clamp(b);
  ext[2] = clamp(r);
  ext[3] = clamp(t);
}
