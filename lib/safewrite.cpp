#include "safewrite.h"

#include <cstring>

int SafeWriteOpen(SafeWrite* sw, const char* path, const char* mode) {
  sw->f = QFile();
  sw->path[0] = sw->scratch[0] = 0;
  if (!path || !path[0]) return 0;
  int n = snprintf(sw->path, sizeof sw->path, "%s", path);
  if (n < 0 || static_cast<size_t>(n) >= sizeof sw->path) return 0;
  if (!SafeWriteScratchName(sw->scratch, sizeof sw->scratch, path)) return 0;
  sw->f = QFileOpen(sw->scratch, mode);
  return sw->f ? 1 : 0;
}

int SafeWriteCommit(SafeWrite* sw, int failed) {
  if (!sw->f) return 0;
  if (fflush(sw->f.get()) != 0) failed = 1;
  if (!QFileClose(&sw->f)) failed = 1;
  if (failed) {
    remove(sw->scratch);
    return 0;
  }
  return SafeWriteReplace(sw->scratch, sw->path);
}

int SafeWriteScratchName(char* out, size_t size, const char* path) {
  if (!out || !size) return 0;
  out[0] = 0;
  if (!path || !path[0]) return 0;
  int n = snprintf(out, size, "%s.tmp", path);
  return n >= 0 && static_cast<size_t>(n) < size;
}

int SafeWriteReplace(const char* scratch, const char* path) {
  if (rename(scratch, path) == 0) return 1;
  // Where rename does not replace an existing file, move the old one aside
  // first and put it back when the new one can't take its place.
  char old[320];
  int n = snprintf(old, sizeof old, "%s.old", path);
  if (n < 0 || static_cast<size_t>(n) >= sizeof old) {
    remove(scratch);
    return 0;
  }
  remove(old);
  if (rename(path, old) != 0) {
    remove(scratch);
    return 0;
  }
  if (rename(scratch, path) != 0) {
    rename(old, path);
    remove(scratch);
    return 0;
  }
  remove(old);
  return 1;
}
