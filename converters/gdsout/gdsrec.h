// GDSII Stream record writer: record headers, the data types, eight-byte
// reals, padded strings, one emitter per record kind, the XY coordinate
// limit and the optional record listing.
#ifndef QUIL_CONVERTERS_GDSREC_H
#define QUIL_CONVERTERS_GDSREC_H

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "qfile.h"

enum {
  GDS_OUTBUF = 1 << 20,
  GDS_MAXPOINTS = 8191,  // the most points one XY record can hold
};

// Counts of elements written into the current structure.
struct GdsCounts {
  int32_t boundaries, paths, texts, srefs;
};

struct GdsRec {
  QFile out;         // closed with the record writer on every path out
  int64_t bytes;     // everything written, equals the file size
  int ioError;       // a write or the close failed
  FILE* listing;     // GdsWrite.txt, or null
  int lsb;           // mantissa correction of eight-byte reals
  double ratio;      // GDS database units per TLC database unit
  int64_t iratio;    // ratio as an integer when it is one, else 0
  int* abortFlag;    // the conversion's abort flag
  GdsCounts counts;
  int32_t xy[2 * GDS_MAXPOINTS];
  size_t used;
  unsigned char buf[GDS_OUTBUF];
};

// Clears the state; a stream file still open is closed unchecked.
void GdsRecReset(GdsRec* r);

// Opens the stream file; 1 on success.
int GdsRecOpen(GdsRec* r, const char* path);
// Flushes and closes it; 1 when every byte reached the file.
int GdsRecClose(GdsRec* r);

// The coordinate ratio; an integral ratio multiplies exactly.
void GdsRecRatio(GdsRec* r, double ratio);

// Value x times the ratio, truncated toward zero (exact when the ratio is
// integral). Kept in 64 bits so the caller can see any overflow.
int64_t GdsScale(const GdsRec* r, int32_t v);

// The eight bytes of x in base-16 excess-64 form, mantissa truncated to 56
// bits, then the correction lsb added to its last place.
void GdsReal8(double x, int lsb, unsigned char out[8]);

void GdsWriteHeader(GdsRec* r);
void GdsWriteBgnLib(GdsRec* r, const struct tm* now);
void GdsWriteLibName(GdsRec* r, const char* name);
void GdsWriteUnits(GdsRec* r, double userPerDb, double metresPerDb);
void GdsWriteEndLib(GdsRec* r);
void GdsWriteBgnStr(GdsRec* r, const struct tm* now);
void GdsWriteStrName(GdsRec* r, const char* name);
void GdsWriteEndStr(GdsRec* r);
void GdsWriteBoundary(GdsRec* r);
void GdsWritePath(GdsRec* r);
void GdsWriteSref(GdsRec* r);
void GdsWriteText(GdsRec* r);
void GdsWriteLayer(GdsRec* r, int layer);
void GdsWriteDatatype(GdsRec* r, int datatype);
void GdsWriteWidth(GdsRec* r, int32_t width);
// Writes n points (TLC units, scaled here). A value past the 30-bit limit
// asks the user; one past 32 bits stops the conversion with a message.
// 0 when the record was not written and the abort flag is set.
int GdsWriteXY(GdsRec* r, const int32_t* x, const int32_t* y, int n);
void GdsWriteEndEl(GdsRec* r);
void GdsWriteSName(GdsRec* r, const char* name);
void GdsWriteTextType(GdsRec* r, int texttype);
void GdsWritePresentation(GdsRec* r, int font, int vjust);
void GdsWriteString(GdsRec* r, const char* text);
void GdsWriteStrans(GdsRec* r, int bits);
void GdsWriteMag(GdsRec* r, double mag);
void GdsWriteAngle(GdsRec* r, double degrees);
void GdsWritePathType(GdsRec* r, int type);

#endif
