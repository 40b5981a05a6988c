// The records of a TLC cell file (header, cell instance, box, path, text) and
// one parser for each, over the line source of tlcline.
//
// Every program that reads cell files parses them here. The programs do not
// all accept the same numbers (the editor takes layers 1..256 only, the
// extractor takes any orientation code and masks it, the converters take
// every 32-bit coordinate, ...): what a program accepts is its TlcRecRules,
// kept with its reader. A parser gives a status; the caller shows its own
// message.
#ifndef QUIL_LIB_TLCREC_H
#define QUIL_LIB_TLCREC_H

#include <cstddef>
#include <cstdint>

#include "tlcline.h"

enum {
  NAMLEN = TLC_NAME_MAX,         // cell name characters
  PVSIZ = 1040,                  // path points the satellites keep
  TXTLEN = TLC_TEXT_MAX,         // text characters as read
  TLC_VERSION_LEN = TLC_VERSION_MAX,
  TLC_UNIT_LEN = TLC_VERSION_MAX,
  TLC_STAMP_LEN = TLC_DATE_MAX,  // date and time
};

struct tlchdr {
  char name[NAMLEN + 1];
  char ver1[TLC_VERSION_LEN + 1];
  char ver2[TLC_VERSION_LEN + 1];
  double scale;
  char unit[TLC_UNIT_LEN + 1];
  char date[TLC_STAMP_LEN + 1];
  char time[TLC_STAMP_LEN + 1];
  int32_t rank, l, b, r, t;
  int32_t nb, np, nv, nc;
};

struct tlccel {
  char name[NAMLEN + 1];
  int32_t o, x, y, r;
};

struct tlcbox {
  int32_t lyr, l, b, r, t;
};

// One spare place behind the largest record, so that an open polygon of a
// full record can be closed in place.
struct tlcpath {
  int32_t lyr, w, nv;
  int32_t x[PVSIZ + 1], y[PVSIZ + 1];
};

struct tlctext {
  int32_t lyr, size, nv, o, x, y;
  char text[TXTLEN + 1];
};

// How a text's orientation field is taken.
enum {
  TLC_ORIENT_KEEP = 0,   // as written (it must fit 32 bits)
  TLC_ORIENT_MASK = 1,   // its low three bits
  TLC_ORIENT_CHECK = 2,  // 0..7 only, anything else refuses the record
};

// What a program's reader accepts.
struct TlcRecRules {
  int64_t layerMin, layerMax;  // layer numbers of boxes, paths and texts
  int64_t sizeMin, sizeMax;    // path widths and text sizes
  int64_t coordMin, coordMax;  // positions and corners; path points lie
                               // within +-coordMax
  int pathMin;                 // fewest points a path record may announce
  int pathMax;                 // points kept of a path, at most PVSIZ
  int cellFields;              // 4: o x y r; 3: o x y (r is then 0)
  int cellCodesAny;            // an instance's o and r may be any integer
                               // (else they must fit 32 bits)
  int outlineNonzero;          // r is 1 for any nonzero value (else its low bit)
  int textCodesAny;            // a text's nv and o may be any integer
  int textOrient;              // TLC_ORIENT_...
  int textBareTags;            // a bare text may read like an old-form
                               // opening ("=C"); only "<X>" ends the record
  int countsSigned;            // the header's counts may be negative
};

// Results of the parsers.
enum {
  TLC_REC_BAD = 0,    // a field missing, malformed or out of range, or the
                      // end of the file: the record is not taken
  TLC_REC_OK = 1,
  TLC_REC_LONG = 2,   // a path of more points than the rules keep: nv is
                      // pathMax and the first points are there
  TLC_REC_SCALE = 3,  // a header read whole whose scale is no positive
                      // number (0 when it did not parse)
};

// Each reads the data lines of one record, its opening line just read. A
// line that opens a record is never taken as data: it is given back, so the
// next record is not lost. On TLC_REC_BAD the record's fields are left as
// they were (a path's points may be overwritten). Every point a path record
// announces is read, also beyond those kept, so the next record starts
// where it should.
int TlcParseHeader(TlcLineIn* in, const TlcRecRules* rules, tlchdr* h);
int TlcParseCell(TlcLineIn* in, const TlcRecRules* rules, tlccel* c);
int TlcParseBox(TlcLineIn* in, const TlcRecRules* rules, tlcbox* b);
// *announced (may be null): the point count the record gave, for a message
// about a path cut short.
int TlcParsePath(TlcLineIn* in, const TlcRecRules* rules, tlcpath* p, int32_t* announced);
int TlcParseText(TlcLineIn* in, const TlcRecRules* rules, tlctext* t);

// The message for a path record a reader did not take (status from
// TlcParsePath): a path of more points than the reader keeps (limit) says
// so, the user would else look for a damaged file. Always terminated within
// size.
void TlcPathErrorText(int status, int limit, char* buf, size_t size);

// Orders a box's corners: l <= r and b <= t.
void TlcRighteousBox(tlcbox* b);

#endif
