#include "cnvout.h"

#include <cstdarg>
#include <cstdio>

void CnvOutStart(CnvTextOut* w) {
  w->bytes = 0;
  w->ioError = 0;
  w->used = 0;
}

void CnvOutFlush(CnvTextOut* w) {
  if (w->used == 0) return;
  if (!w->out || fwrite(w->buf, 1, w->used, w->out.get()) != w->used) w->ioError = 1;
  w->used = 0;
}

int CnvOutClose(CnvTextOut* w) {
  if (w->out) {
    CnvOutFlush(w);
    if (!QFileClose(&w->out)) w->ioError = 1;
  }
  return !w->ioError;
}

void CnvOutPrintf(CnvTextOut* w, const char* fmt, ...) {
  char text[1024];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  if (n < 0) return;
  CnvOutPut(w, text, (size_t)(n < (int)sizeof text ? n : (int)sizeof text - 1));
}
