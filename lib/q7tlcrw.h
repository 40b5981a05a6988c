// Reading TLC cell files into the satellites' paged record store, and
// writing TLC cell files, in either record form.
#ifndef QUIL_LIB_Q7TLCRW_H
#define QUIL_LIB_Q7TLCRW_H

#include <cstdint>
#include <cstdio>

#include "q7tlcdef.h"

// ---- record store ----------------------------------------------------

struct TlcStoreState {
  int32_t nB = 0, nP = 0, nV = 0;
  int32_t nA[NRANK + 1] = {};
  // Limits; the store's own unless a test lowers them.
  int32_t limB = BMAX, limP = PMAX, limV = VMAX, limA = AMAX;
  int BlimFlag = 0, PlimFlag = 0, VlimFlag = 0, AlimFlag = 0;
  int oomFlag = 0;       // a block could not be allocated
  int lastMissing = 0;   // the last read found no file
  int textMode = 0;      // 0 keep texts, 1 drop them (layer tools, rule checker)
  int cellNoOutline = 0; // ReadC takes o, x, y only (record-at-a-time converters)
};
extern TlcStoreState TlcStore;

// Frees every block and clears counts and flags (start of a run, tests).
void TlcStoreReset();
// Clears the limit flags: each run starts with a store that takes records.
void TlcLimitsReset();
int TlcLimitHit();  // any limit flag or the out-of-memory flag is set

int allocB(int i);
int allocP(int i);
int allocV(int i);
int allocA(int depth, int i);
int32_t getB(int field, int32_t n);
int32_t getP(int field, int32_t n);
int32_t getV(int field, int32_t n);
int32_t getA(int depth, int field, int32_t n);
int putB(int32_t value, int field, int32_t n);
int putP(int32_t value, int field, int32_t n);
int putV(int32_t value, int field, int32_t n);
int putA(int32_t value, int depth, int field, int32_t n);
void freeBPV();
void freeCEL(int depth);

int TlcBLim();
int TlcPLim();
int TlcVLim();
int TlcALim();
int TlcMakeB();
int TlcMakeP();
int TlcMakeT();
int TlcMakeC(int level);

// Unpacks the text of stored path n (a text) into out; its length.
int TlcTextGet(int32_t n, char* out, int size);

// Applies orientation code 0..7 to a point in place; other codes leave it.
void OrientXY(int o, int32_t* x, int32_t* y);

// ---- reading ---------------------------------------------------------

extern FILE* rTLCfile;
int ReadB();
int ReadP();
int ReadT();
int ReadC(int level);
const char* getCDATAtext(const char* line);
// 0 read; 1 empty name, no file (TlcStore.lastMissing), a record that did
// not parse, a limit reached, or a read error of the file.
int TlcReadBPV(const char* name);
int TlcReadC(const char* name, int level);
// Record at a time, for programs that convert records as they read them
// instead of storing them: open "<name>.TLC", then for each record tag
// returned ('H', 'L', 'C', 'B', 'P', 'T', ...) call its reader (ReadB ...);
// TlcReadEnd closes and gives 1 when the file could not be read whole.
int TlcReadOpen(const char* name);
int TlcReadTag();
int TlcReadEnd();

// The same reads from the reader's own line source after the caller opened
// it (on memory, for instance): TlcLineOpenMem (TlcReaderSource (), ...).
struct TlcLineIn;
TlcLineIn* TlcReaderSource();
int TlcReadBPVSource();
int TlcReadCSource(int level);

// ---- writing ---------------------------------------------------------

struct TlcWriterState {
  FILE* file = nullptr;
  int oldForm = 0;        // WriteOldTlc
  int failed = 0;         // a write failed since SatTlcCreate
  char drive[3] = "";     // output drive and folder
  char folder[260] = "";
  char path[260] = "";    // the cell file SatTlcCreate stands for
  int hold = 0;           // cells are written to scratch files kept for TlcSettle
  char scratch[270] = ""; // the open scratch file (with hold): path + ".tmp"
};
extern TlcWriterState TlcWriter;
extern int& WriteOldTlc;
extern FILE*& wTLCfile;

// Splits a tidied output folder into drive and folder; 0 when too long.
int TlcOutputSet(const char* folder);
// Opens "<drive><folder><name>.tlc" (tidied) for a satellite's output: 1
// opened (prolog written unless the old form), 0 when it can't be opened or
// its path is too long. (The editor's cell file opener is TlcCreate.)
int SatTlcCreate(const char* name);
void WriteH();
void WriteC(int level);
void WriteB();
void WriteP();
void WriteT();
// Closing line (new form) and close: 1 when everything reached the file.
// With hold a failed scratch is removed (the old cell file stays) and a
// complete one waits for TlcSettle.
int TlcWriteClose();
// Closes and removes a cell file left open by a run that stopped: a cell
// cut short must not pass for a whole one (with hold: its scratch file).
void TlcAbandon();
// The held scratch of cell name: keep puts it in the place of the old cell
// file, else it is removed. 1 when the cell file holds the new content.
int TlcSettle(const char* name, int keep);

#endif
