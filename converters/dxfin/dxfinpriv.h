// What the parts of the DXF reader share and the program does not need.
#ifndef QUIL_CONVERTERS_DXFINPRIV_H
#define QUIL_CONVERTERS_DXFINPRIV_H

#include <cstdint>

#include "cnvgeom.h"
#include "dxfin.h"

// The TLC coordinate range.
#define DXF_RANGE 536870912.0

// One group: its code, its value as text (blanks trimmed except for texts),
// and the line of its code.
struct DxfGroup {
  int code;
  int len;
  long line;
  char val[DXFIN_LINEMAX + 1];
};

void DxfSrcFile(DxfSrc* s, FILE* f);
void DxfSrcMem(DxfSrc* s, const unsigned char* data, int64_t size);
// Reading goes on at offset, counting lines from line; 0 when the file
// can't seek.
int DxfSrcSeek(DxfSrc* s, int64_t offset, long line);
// Offset of the next byte to be read.
int64_t DxfSrcTell(const DxfSrc* s);

// 1 a group read, 0 the end of the file, -1 a line that breaks the pairing
// (message shown, abort set).
int DxfGroupRead(DxfInState* st, DxfGroup* g);
double DxfReal(const DxfGroup* g);
long DxfInt(const DxfGroup* g);
// The value equals the upper-case word without regard to case.
int DxfIs(const DxfGroup* g, const char* word);

// 1 when v is finite and within the TLC coordinate range.
int DxfInRange(double v);
// The arc points DxfBulgeArc inserts for this bulge (bounds the breaking of
// long polylines).
int DxfBulgeCount(double bulge, double seg);

// The stop of a run: message shown as an error, abort set; gives -1.
int DxfFail(DxfInState* st, const char* text);

#endif
