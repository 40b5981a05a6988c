// A table of fixed-size records on pages made on first use: a cell of
// millions of objects needs no contiguous memory and an empty one costs
// nothing. Record n (from 1) lives on page (n-1)/PerPage at slot
// (n-1)%PerPage; no record moves when others are added.
//
// The table is plain data: all bytes zero is the empty table, so it sits in
// stores that are zero-initialised, calloc'ed or cleared with memset. Its
// owner frees it (PagedFree); nothing is freed behind its back.
#ifndef QUIL_LIB_PAGEDTABLE_H
#define QUIL_LIB_PAGEDTABLE_H

#include <cstdint>
#include <cstdlib>

// T: the record; PageBytes: the bytes allocated a page; PerPage: records a
// page; Pages: the most pages; MaxIndex: the largest index taken (the
// store's own limit; at most what the pages hold).
template <typename T, int PageBytes, int PerPage, int Pages, int32_t MaxIndex = PerPage * Pages>
struct PagedTable {
  static_assert(PerPage > 0 && Pages > 0, "a table has pages and records on them");
  static_assert(sizeof(T) * PerPage <= static_cast<size_t>(PageBytes), "a page holds its records");
  static_assert(MaxIndex >= 1 && static_cast<int64_t>(MaxIndex) <= static_cast<int64_t>(PerPage) * Pages,
                "every index the table takes has a page");
  using Record = T;
  T* page[Pages];
  int top;  // one past the highest page made, so freeing walks only what was used
};

// A record of N 32-bit fields, as the stores keep boxes, paths and vertices.
template <int N>
struct PagedFields {
  enum { FIELDS = N };
  int32_t f[N];
};

// Record n when its page exists, else null (also for n outside 1..MaxIndex).
// The stores' loops ask for records millions of times: one compare, one
// division by a constant and one load.
template <typename T, int B, int P, int M, int32_t X>
inline T* PagedFind(const PagedTable<T, B, P, M, X>& t, int32_t n) {
  uint32_t i = static_cast<uint32_t>(n) - 1u;  // n below 1 wraps above X
  if (i >= static_cast<uint32_t>(X)) return nullptr;
  T* p = t.page[i / static_cast<uint32_t>(P)];
  return p ? p + i % static_cast<uint32_t>(P) : nullptr;
}

// Page i (from 0), made zero-filled on first use so that an untouched record
// reads as nothing at all. Null when i is outside the table, or when the page
// can't be allocated, which also sets *failed.
template <typename T, int B, int P, int M, int32_t X>
T* PagedPage(PagedTable<T, B, P, M, X>& t, int i, int* failed) {
  if (i < 0 || i >= M) return nullptr;
  if (!t.page[i]) {
    T* p = static_cast<T*>(calloc(1, B));
    if (!p) {
      *failed = 1;
      return nullptr;
    }
    t.page[i] = p;
    if (t.top <= i) t.top = i + 1;
  }
  return t.page[i];
}

// Record n, its page made on first use; null for n outside 1..MaxIndex or a
// page that can't be allocated (*failed set).
template <typename T, int B, int P, int M, int32_t X>
inline T* PagedRec(PagedTable<T, B, P, M, X>& t, int32_t n, int* failed) {
  uint32_t i = static_cast<uint32_t>(n) - 1u;
  if (i >= static_cast<uint32_t>(X)) return nullptr;
  T* p = PagedPage(t, static_cast<int>(i / static_cast<uint32_t>(P)), failed);
  return p ? p + i % static_cast<uint32_t>(P) : nullptr;
}

// Frees every page made and nulls its pointer; the number of pages freed.
template <typename T, int B, int P, int M, int32_t X>
int PagedFree(PagedTable<T, B, P, M, X>& t) {
  int freed = 0;
  for (int i = 0; i < t.top; ++i) {
    if (t.page[i]) {
      free(t.page[i]);
      t.page[i] = nullptr;
      ++freed;
    }
  }
  t.top = 0;
  return freed;
}

#endif
