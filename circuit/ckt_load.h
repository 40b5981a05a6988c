// Readers that fill the extractor's store from TLC cell files and the cell
// collection from the cell reference file.
#ifndef QUIL_CIRCUIT_CKT_LOAD_H
#define QUIL_CIRCUIT_CKT_LOAD_H

#include <cstdint>

#include "tlcrec.h"

namespace ckt {

struct CktState;

// The records are the library's; an instance's r is the extractor's
// outline flag, 1 for any nonzero value.
typedef tlcbox CktBoxRec;
typedef tlcpath CktPathRec;
typedef tlctext CktTextRec;
typedef tlccel CktCellRec;

// Cell collection from QUIL7.CRF (else CELLS7.DBD, CELLS6.DBD) in the store's
// folder; 0 read, 1 no file. At most 8190 cells are kept (a warning says so)
// and exactly the valid entries, in file order.
int CrfRead(CktState& st);
// The same from one file.
int CrfReadFile(CktState& st, const char* path);

// Record readers after their tag line; 1 when read. A path of more than
// 1040 points is refused.
int ReadB(TlcLineIn* in, CktBoxRec* r);
int ReadP(TlcLineIn* in, CktPathRec* r);
int ReadT(TlcLineIn* in, CktTextRec* r);
int ReadC(TlcLineIn* in, CktCellRec* r);
using ::TlcRighteousBox;

// The compiled cell's own objects (store freed first); 0 when read cleanly.
int TlcReadBPV(CktState& st, const char* name);
// The same, leaving the text counter as it was.
int TlcReadCellObjs(CktState& st, const char* name);
// Appends a lower cell's boxes and paths moved into the compiled cell.
int TlcReadLower(CktState& st, const char* name, int64_t dx, int64_t dy, int depth);
// The same from the run's parsed copy of the cell file: 1 with *result set
// when served, 0 when the file must be read the ordinary way.
int LowerCacheRead(CktState& st, const char* name, int64_t dx, int64_t dy, int depth, int* result);
void LowerCacheForget(CktState& st);
// On for a compile run (emptied either way).
void LowerCacheUse(CktState& st, int on);
// A lower cell's placements from the run's cache (as TlcReadC would read
// them); 0 when the file must be read the ordinary way.
int LowerCacheReadC(CktState& st, const char* name, int level, int* result);
// Instance records of a cell into a bank.
int TlcReadC(CktState& st, const char* name, int level);

// Reader passes over an opened source (the fuzz targets and the tests feed
// memory through these).
int TlcReadObjsFrom(CktState& st, TlcLineIn* in, int own, int keepTexts, int64_t dx, int64_t dy, int depth);
int TlcReadCFrom(CktState& st, TlcLineIn* in, int level);
int CrfReadFrom(CktState& st, TlcLineIn* in);

}  // namespace ckt

#endif
