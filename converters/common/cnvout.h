// The converters' buffered text output: every byte counted for the closing
// message, write errors collected and checked once at the close.
#ifndef QUIL_CONVERTERS_CNVOUT_H
#define QUIL_CONVERTERS_CNVOUT_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "qfile.h"

enum { CNV_OUTBUF = 1 << 20 };

struct CnvTextOut {
  QFile out;
  int64_t bytes;
  int ioError;
  size_t used;
  char buf[CNV_OUTBUF];
};

// Counters and buffer back to empty; the file is the caller's to open.
void CnvOutStart(CnvTextOut* w);
void CnvOutFlush(CnvTextOut* w);
// Flushes and closes the file when it is open: 0 when any write failed.
int CnvOutClose(CnvTextOut* w);
void CnvOutPrintf(CnvTextOut* w, const char* fmt, ...) __attribute__((format(printf, 2, 3)));

// Called for every number written: kept inline.
inline void CnvOutPut(CnvTextOut* w, const char* text, size_t n) {
  w->bytes += (int64_t)n;
  while (n > 0) {
    if (w->used == sizeof w->buf) CnvOutFlush(w);
    size_t k = sizeof w->buf - w->used;
    if (k > n) k = n;
    memcpy(w->buf + w->used, text, k);
    w->used += k;
    text += k;
    n -= k;
  }
}

inline void CnvOutPuts(CnvTextOut* w, const char* text) { CnvOutPut(w, text, strlen(text)); }

#endif
