#include "trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

void ShellTrace(const char* fmt, ...) {
  const char* path = getenv("QUIL7_TRACE");
  if (!path || !*path) return;
  FILE* f = fopen(path, "ab");  // plain LF lines on every platform
  if (!f) return;
  va_list ap;
  va_start(ap, fmt);
  vfprintf(f, fmt, ap);
  va_end(ap);
  fputc('\n', f);
  fclose(f);
}
