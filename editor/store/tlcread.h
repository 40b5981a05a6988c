// Loading TLC cells into the object store: the record readers, the limit
// checks made before and during a load, and the loaders of objects and of
// cell instances into one of the 24 instance levels.
#ifndef QUIL_EDITOR_STORE_TLCREAD_H
#define QUIL_EDITOR_STORE_TLCREAD_H

#include <cstddef>
#include <cstdint>

#include "tlcrecord.h"

struct TlcLoadState {
  TlcLineIn* in;  // the current input (made on first use, kept)
  int open;
  int32_t baseBox, basePath, baseVertex, baseInst;
  int boxLim, pathLim, vertexLim, instLim;
  int error;
  int objFailed;    // last object load failed
  int inst0Failed;  // last level-0 instance load failed
  int instFailed;   // last instance load failed
  int64_t ext[4];   // extent accumulator: min x, min y, max x, max y
};

extern TlcLoadState TlcLoad;

// Closes the input, clears every flag and the record buffers (also for
// tests).
void TlcLoadReset();

// Opens "<folder><name>.tlc" as the current input; 1 when open.
int TlcOpen(const char* folder, const char* name);
// Opens "<folder><name>.tld" as the current input; 1 when open.
int TldOpen(const char* folder, const char* name);
// Makes bytes in memory the current input (tests and fuzzing).
void TlcOpenMem(const void* data, size_t size);
// Closes the current input; 0 when no read error was seen.
int TlcClose();

// Record readers: read the data lines of one record (its opening line just
// read) into TlcRec; 1 when read, 0 at the end, on a missing field or a value
// out of range. widen: widen the extent accumulator.
int TlcReadHeader(int widen);
int TlcReadCell(int widen);
int TlcReadBox(int widen);
// Paths of more than 1024 points show the message and keep the first 1024;
// *truncated (may be null) tells the caller, who must not treat it as read
// whole.
int TlcReadPath(int widen, int* truncated);
int TlcReadText(int widen);
// Consumes a record of a kind the caller does not want.
void TlcSkipRecord(int tag);

// Presets the header buffer and reads the file's first header: 1 when read
// (or no header: the presets stay), 0 on a malformed header (with message).
int TlcHeaderScan();
// Reads a layers record (its opening line just read) and adds unknown
// layers to the layer table; the number added.
int TlcLayerMerge();

int CellLoadLim(int cell);
int CellObjLoad(int cell);
int CellObjAppend(int cell);
int CellInstLoadAt(int cell, int level);
int CellInstLoad(int cell, int level);
int CellInstAppend(int cell);

// The loaders below the entry points. The -In forms read the current input
// (already open) and close it.
int TlcReadObjs(const char* name);
int TlcReadInsts(const char* name, int level);
int TlcReadObjsIn();
int TlcReadInstsIn(int level);

#endif
