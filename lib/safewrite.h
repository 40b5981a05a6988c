// Files written whole through a scratch file in the same folder: the old
// file is replaced only after every write and the close succeeded, so a
// failed write never destroys it.
#ifndef QUIL_LIB_SAFEWRITE_H
#define QUIL_LIB_SAFEWRITE_H

#include <cstdio>

#include "qfile.h"

struct SafeWrite {
  QFile f;  // the scratch file while open
  char path[300];
  char scratch[310];
};

// Opens the scratch file for path; 1 when open (sw->f is ready). mode is
// "wb", or "w" for text files whose line ends the system chooses.
int SafeWriteOpen(SafeWrite* sw, const char* path, const char* mode = "wb");
// Closes; with failed unset and a clean close, replaces path by the scratch
// file. 1 when path now holds the new content, 0 when the old one was kept.
int SafeWriteCommit(SafeWrite* sw, int failed);

// For writers that own their file: the scratch name of path ("<path>.tmp");
// 0 when it does not fit.
int SafeWriteScratchName(char* out, size_t size, const char* path);
// Puts the complete scratch file in the place of path; on failure the
// scratch is removed and path kept. 1 when path holds the new content.
int SafeWriteReplace(const char* scratch, const char* path);

#endif
