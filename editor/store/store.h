// The editor's object store: the boxes, paths, texts, vertices and cell
// instances of the cell being edited, in fixed-size records on 8192-byte
// pages made on first use. Records are reached by 1-based index; record n of
// a kind lives on page (n-1)/per-page at slot (n-1)%per-page.
#ifndef QUIL_EDITOR_STORE_STORE_H
#define QUIL_EDITOR_STORE_STORE_H

#include <cstdint>

#include "pagedtable.h"

enum {
  STORE_PAGE_BYTES = 8192,

  BOX_FIELDS = 5,  // flags, l, b, r, t
  BOX_PER_PAGE = 409,
  BOX_PAGES = 12225,
  BOX_LIMIT = 5000000,
  BOX_INDEX_MAX = 5000025,

  PATH_FIELDS = 3,  // flags, width or size, first vertex
  PATH_PER_PAGE = 682,
  PATH_PAGES = 3666,
  PATH_LIMIT = 2500000,
  PATH_INDEX_MAX = 2500212,

  VERTEX_FIELDS = 4,  // word, x, y, next
  VERTEX_PER_PAGE = 512,
  VERTEX_PAGES = 24415,
  VERTEX_LIMIT = 12500000,
  VERTEX_INDEX_MAX = 12500001,

  INST_FIELDS = 3,  // word, x, y
  INST_PER_PAGE = 682,
  INST_PAGES = 1467,
  INST_LIMIT = 1000000,
  INST_INDEX_MAX = 1000001,

  STORE_LEVELS = 24,

  STORE_BLOCKS = 64,          // reservations a store holds at once
  STORE_BLOCK_MIN_PAGES = 64, // fewer missing pages are made one by one
};

// Flag word bits.
enum : uint32_t {
  FLAG_LAYER_MASK = 0x1FF,
  BOX_SEL_TOP = 0x1000,
  BOX_SEL_RIGHT = 0x2000,
  BOX_SEL_BOTTOM = 0x4000,
  BOX_SEL_LEFT = 0x8000,
  BOX_SEL_ALL = 0xF000,
  PATH_SELECTED = 0x10000,
  TEXT_BIT = 0x80000000u,
  ORIENT_SHIFT = 17,  // orientation 0..7 in bits 17-19
  ORIENT_MASK = 0x7,
  OBJ_MARKED = 0x40000000,
  VERTEX_SELECTED = 0x10000000,
  VERTEX_CHAR = 0x80000000u,  // a character vertex of a text
  INST_CELL_MASK = 0x3FFF,
  INST_OUTLINE = 0x8000,
  INST_SELECTED = 0x10000,
};

using StoreBoxTable = PagedTable<PagedFields<BOX_FIELDS>, STORE_PAGE_BYTES, BOX_PER_PAGE, BOX_PAGES, BOX_INDEX_MAX>;
using StorePathTable = PagedTable<PagedFields<PATH_FIELDS>, STORE_PAGE_BYTES, PATH_PER_PAGE, PATH_PAGES, PATH_INDEX_MAX>;
using StoreVertexTable =
    PagedTable<PagedFields<VERTEX_FIELDS>, STORE_PAGE_BYTES, VERTEX_PER_PAGE, VERTEX_PAGES, VERTEX_INDEX_MAX>;
using StoreInstTable = PagedTable<PagedFields<INST_FIELDS>, STORE_PAGE_BYTES, INST_PER_PAGE, INST_PAGES, INST_INDEX_MAX>;

// Pages made together in one allocation by a reservation; they go back
// together when their table is freed.
struct StoreBlock {
  const void* table;  // the table whose pages they are
  char* bytes;
  int first, last;    // page numbers in that table
};

struct StoreState {
  StoreBoxTable boxPages;
  StorePathTable pathPages;
  StoreVertexTable vertexPages;
  StoreInstTable instPages[STORE_LEVELS];
  int32_t boxCount;
  int32_t pathCount;
  int32_t vertexCount;
  int32_t instCount[STORE_LEVELS];
  int heldCell;                  // the cell whose objects the store holds
  int levelCell[STORE_LEVELS];   // per level 1..23, whose instances it holds
  int currentCell;               // the cell being edited (0 = none)
  int swapCell;                  // the cell whose objects Swap.bpv holds
  int failed;                    // a page could not be made
  int limFlag;                   // result of the last capacity check
  int64_t pagesMade;             // pages allocated so far (for tests and figures)
  char tempFolder[260];          // where Swap.bpv lives ("" = the drawing folder)
  char spareFolder[260];         // this editor's folder in the system's temp folder, for a
                                 // swap file the temp folder can't take ("" = none)
  int swapSpare;                 // the swap file was last written to the spare folder
  StoreBlock blocks[STORE_BLOCKS];
  int blockCount;
};

// Global: the one object store of the cell being edited, shared by every part of the editor.
extern StoreState Store;

// Frees every page and clears all counts and cell numbers (also for tests).
void StoreReset();

int32_t StoreBoxGet(int field, int32_t index);
int StoreBoxSet(int32_t value, int field, int32_t index);
int32_t StorePathGet(int field, int32_t index);
int StorePathSet(int32_t value, int field, int32_t index);
int32_t StoreVertexGet(int field, int32_t index);
int StoreVertexSet(int32_t value, int field, int32_t index);
int32_t StoreCellGet(int level, int field, int32_t index);
int StoreCellSet(int32_t value, int level, int field, int32_t index);

// The record itself (its fields in order), making its page; null when the
// index is outside the kind's range or the page can't be made. For loops
// that touch every field.
int32_t* StoreBoxRec(int32_t index);
int32_t* StorePathRec(int32_t index);
int32_t* StoreVertexRec(int32_t index);
int32_t* StoreCellRec(int level, int32_t index);

// Room for count more records of a kind after its count (instances: level
// 0), made before a pass that adds them: the missing pages from there on,
// as far as the kind's last index, come in one allocation instead of one
// each as the records arrive. Only a speed-up: the pass still checks every
// record's room, and when the block can't be had, or too few pages are
// missing, nothing is made and the pages come one by one as before.
void StoreBoxReserve(int64_t count);
void StorePathReserve(int64_t count);
void StoreVertexReserve(int64_t count);
void StoreCellReserve(int64_t count);

// Capacity checks before one object is added: 0 when it fits, 1 when not.
int StoreBoxLim();
int StorePathLim();
int StoreVertexLim();
int StoreCellLim();

void StoreFreeObjs();
void StoreFreeLevel(int level);
void StoreFreeAll();

// Bytes of the pages made now (the store's own size).
int64_t StoreBytes();

// Text packing: 8 characters a vertex, four big-endian bytes in x, four in y.
void StoreTextPack(const char* group, int n, int32_t* x, int32_t* y);
// The characters of text path index (from its character vertices) into out
// (size outSize, NUL-terminated); returns the length. Stops at the chain's
// end, at a NUL byte or when out is full; a chain longer than the vertex
// count (a loop) ends there.
int StoreTextGet(int32_t index, char* out, int outSize);
// Vertex count of a text of n characters in a TLC file.
int TextVertexCount(int n);

// Extent of the current objects and level-0 instances (instances by their
// cell's outline from the cell table); an empty cell gives -1 -1 1 1.
void StoreExtentCalc(int32_t ext[4]);

#endif
