// The extractor's record store: the cell collection, paged boxes, paths,
// vertices and 24 instance banks with a node field on boxes and paths, and
// the placement stack that composes instance transforms.
#ifndef QUIL_CIRCUIT_CKT_STORE_H
#define QUIL_CIRCUIT_CKT_STORE_H

#include <cstdint>

#include "pagedtable.h"

namespace ckt {

struct CktState;

enum {
  CKT_MAX_CELLS = 8190,
  CKT_MAX_BOXES = 5000000,
  CKT_MAX_PATHS = 2500000,
  CKT_MAX_VERTICES = 12500000,
  CKT_MAX_INSTANCES = 1000000,
  CKT_BANKS = 24,
  CKT_PAGE_BYTES = 8192,
  CKT_BOX_PER_PAGE = 341,
  CKT_PATH_PER_PAGE = 512,
  CKT_VTX_PER_PAGE = 512,
  CKT_INST_PER_PAGE = 682,
  CKT_BOX_PAGES = 14663,
  CKT_PATH_PAGES = 4883,
  CKT_VTX_PAGES = 24415,
  CKT_INST_PAGES = 1467,
  CKT_PATH_VERTICES = 1040,  // most vertices of a path record
  CKT_TEXT_CHARS = 80,
};

// Cell flag bits.
enum {
  CELL_RANK_MASK = 0x1f,
  CELL_FILE_MISSING = 1 << 24,  // reported once a run
  CELL_NODE_TEXT_DONE = 1 << 25,
  CELL_CONN_TEXT_DONE = 1 << 26,
  CELL_SYMBOL = 1 << 27,
  CELL_DEVICE_NO_CONN = 1 << 28,
  CELL_UPPER_NO_CONN = 1 << 29,
  CELL_COMPILED = 1 << 30,
};

const int32_t CKT_TEXT_BIT = (int32_t)0x80000000u;

struct CktCell {
  char name[36];
  int32_t flags;
  int32_t left, bottom, right, top;
  int32_t nb, np, nv, nc;
};

struct CktBox { int32_t layer, left, bottom, right, top, node; };
struct CktPath { int32_t word, width, first, node; };
struct CktVertex { int32_t owner, x, y, next; };
struct CktInst { int32_t word, x, y; };

struct CktPlace {
  char name[33];
  int32_t cell;
  int rank;
  int32_t x, y;
  int orient;
  int32_t left, bottom, right, top;  // level 0: the instance's area
  int outline, symbol, device;
};

struct CktStore {
  char folder[260];  // prefix of the cell files ("" = current folder)
  int32_t cellCount;
  CktCell cells[CKT_MAX_CELLS + 1];  // entry 0: the unknown cell
  char curName[36];                  // last cell found by GetCinfo
  int32_t curIndex, curRank;

  PagedTable<CktBox, CKT_PAGE_BYTES, CKT_BOX_PER_PAGE, CKT_BOX_PAGES> boxPage;
  PagedTable<CktPath, CKT_PAGE_BYTES, CKT_PATH_PER_PAGE, CKT_PATH_PAGES> pathPage;
  PagedTable<CktVertex, CKT_PAGE_BYTES, CKT_VTX_PER_PAGE, CKT_VTX_PAGES> vtxPage;
  PagedTable<CktInst, CKT_PAGE_BYTES, CKT_INST_PER_PAGE, CKT_INST_PAGES, CKT_MAX_INSTANCES> instPage[CKT_BANKS];
  int32_t nb, np, nv, nt;
  int32_t bankCount[CKT_BANKS];
  // Changed with every change of a bank to a value it never had before, so
  // a reader can tell that a bank still holds what it put there.
  uint64_t bankStamp[CKT_BANKS];
  int bLim, pLim, vLim, aLim;  // limit flags, cleared at the start of a run
  int limitHit;                // a limit was hit in this run

  CktPlace place[CKT_BANKS];
  int64_t accX, accY;
};


// Allocates the store on first use and empties it; frees all pages.
void StoreReset(CktState& st);
// Frees the box, path and vertex pages (counts 0).
void StoreFreeObjs(CktState& st);
// StoreFreeObjs and every instance bank.
void StoreFreeAll(CktState& st);
// Start of a run: limit flags cleared so an earlier hit drops nothing now.
void StoreRunBegin(CktState& st);

// Record access; allocates the page on first use. Null for an index out of
// range or when the page cannot be had (which sets the out-of-memory flag).
// The tracing and loading ask for records hundreds of thousands of times:
// a record on a page that exists is found inline, the rest out of line.
CktBox* BoxRecNew(CktState& st, int32_t n);
CktPath* PathRecNew(CktState& st, int32_t n);
CktVertex* VtxRecNew(CktState& st, int32_t n);
CktInst* InstRecNew(CktState& st, int bank, int32_t n);
// Defined with the state (ckt_state.h), whose store they read.
inline CktBox* BoxRec(CktState& st, int32_t n);
inline CktPath* PathRec(CktState& st, int32_t n);
inline CktVertex* VtxRec(CktState& st, int32_t n);
inline CktInst* InstRec(CktState& st, int bank, int32_t n);
// Field 0..3 of path n (word, width, first vertex, node); 0 when missing.
int32_t PathGet(CktState& st, int field, int32_t n);
// Field 0..2 of instance n of a bank; 0 when missing.
int32_t getA(CktState& st, int bank, int field, int32_t n);
void freeCEL(CktState& st, int bank);

// Cell collection.
void CellTableClear(CktState& st);
// Adds a cell (tests and the reader); returns its index or 0 when full.
int32_t CellTableAdd(CktState& st, const char* name, int rank, int32_t l, int32_t b, int32_t r, int32_t t,
                     int32_t nb, int32_t np, int32_t nv, int32_t nc);
int32_t GetCinfo(CktState& st, const char* name);
const CktCell* InstanceCell(CktState& st, int bank, int32_t n);

// Limit checks: 1 (with the message) when the limit is reached.
int TlcBLim(CktState& st);
int TlcPLim(CktState& st);
int TlcVLim(CktState& st);
int TlcALim(CktState& st, int bank);

// Record makers; each stores nothing when its limit check reports.
// 1 when stored.
int TlcMakeB(CktState& st, int32_t layer, int32_t l, int32_t b, int32_t r, int32_t t);
// 1 when every point was stored.
int TlcMakeP(CktState& st, int32_t layer, int32_t width, int nv, const int32_t* x, const int32_t* y);
int TlcMakeT(CktState& st, int32_t layer, int32_t size, int orient, int32_t x, int32_t y, const char* text);
int TlcMakeC(CktState& st, int level, const char* name, int orient, int32_t x, int32_t y, int outline);
// The same for a cell already looked up (its index in the collection, 0 for
// an unknown one).
int TlcMakeCOf(CktState& st, int level, int32_t cell, int orient, int32_t x, int32_t y, int outline);

// Text helpers: 1 when path n is a text; its characters (at most maxVtx
// character vertices) into out (size outSize).
int PathIsText(CktState& st, int32_t n);
void TextOfPath(CktState& st, int32_t n, int maxVtx, char* out, int outSize);

// Placement stack.
void InstanceFetch(CktState& st, int level, int32_t n);
// Turns (x, y) by the orientations of entries depth down to 0 and adds
// (dx, dy); the result is clamped to 32 bits.
void PlaceTransform(CktState& st, int depth, int64_t dx, int64_t dy, int32_t* x, int32_t* y);
// Both corners of box b placed so, and put in order again.
void PlaceBox(CktState& st, CktBox* b, int depth, int64_t dx, int64_t dy);

// PlaceTransform's turns composed once, for placing many points the same
// way: x' = a x + b y + dx, y' = c x + d y + dy, clamped to 32 bits.
struct CktPlacing { int64_t a, b, c, d, dx, dy; };
void PlacingOf(CktState& st, int depth, int64_t dx, int64_t dy, CktPlacing* t);
inline void PlacingApply(const CktPlacing& t, int32_t x, int32_t y, int32_t* ox, int32_t* oy) {
  int64_t px = t.a * x + t.b * y + t.dx, py = t.c * x + t.d * y + t.dy;
  *ox = px > INT32_MAX ? INT32_MAX : px < INT32_MIN ? INT32_MIN : (int32_t)px;
  *oy = py > INT32_MAX ? INT32_MAX : py < INT32_MIN ? INT32_MIN : (int32_t)py;
}

}  // namespace ckt

#endif
