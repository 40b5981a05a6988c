// An open C file owned by a scope: it is closed on every path out, so a run
// that gives up half-way never leaves a handle behind. Writers that must
// know whether the last bytes reached the disk close explicitly with
// QFileClose and report its result; the destructor only tidies up.
#ifndef QUIL_LIB_QFILE_H
#define QUIL_LIB_QFILE_H

#include <cstdio>

struct QFile {
  FILE* fp = nullptr;

  QFile() = default;
  explicit QFile(FILE* f) : fp(f) {}
  QFile(const QFile&) = delete;
  QFile& operator=(const QFile&) = delete;
  QFile(QFile&& o) noexcept : fp(o.fp) { o.fp = nullptr; }
  QFile& operator=(QFile&& o) noexcept {
    if (this != &o) {
      if (fp) fclose(fp);
      fp = o.fp;
      o.fp = nullptr;
    }
    return *this;
  }
  ~QFile() {
    if (fp) fclose(fp);
  }

  explicit operator bool() const { return fp != nullptr; }
  FILE* get() const { return fp; }
  // Hands the file on; the caller closes it.
  FILE* release() {
    FILE* f = fp;
    fp = nullptr;
    return f;
  }
};

inline QFile QFileOpen(const char* path, const char* mode) { return QFile(fopen(path, mode)); }

// Closes now: 1 when every buffered byte was written and the close went
// through, 0 on an I/O error (an empty handle counts as closed).
inline int QFileClose(QFile* f) {
  if (!f->fp) return 1;
  int err = ferror(f->fp);
  int rc = fclose(f->fp);
  f->fp = nullptr;
  return (err == 0 && rc == 0) ? 1 : 0;
}

#endif
