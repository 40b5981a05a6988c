// The record buffers of TLC cell files, one a record kind, shared by the
// readers and the writers: a record just read can be written again as it is.
#ifndef QUIL_EDITOR_STORE_TLCRECORD_H
#define QUIL_EDITOR_STORE_TLCRECORD_H

#include <cstdint>

#include "tlcline.h"

enum {
  TLC_PATH_MAX = 1024,  // points of a path in the editor
};

struct TlcHeaderRec {
  char name[TLC_NAME_MAX + 1];
  char version1[TLC_VERSION_MAX + 1];
  char version2[TLC_VERSION_MAX + 1];
  double scale;
  char unit[TLC_VERSION_MAX + 1];
  char date[TLC_DATE_MAX + 1];
  char time[TLC_DATE_MAX + 1];
  int32_t rank, l, b, r, t;
  int32_t nb, np, nv, nc;
};

struct TlcCellRec {
  char name[TLC_NAME_MAX + 1];
  int32_t o, x, y, r;
};

struct TlcBoxRec {
  int32_t layer, l, b, r, t;
};

struct TlcPathRec {
  int32_t layer, width, nv;
  int32_t x[TLC_PATH_MAX], y[TLC_PATH_MAX];
};

struct TlcTextRec {
  int32_t layer, size, nv, o, x, y;
  char text[TLC_TEXT_MAX + 1];
};

struct TlcRecordState {
  TlcHeaderRec hdr;
  TlcCellRec cel;
  TlcBoxRec box;
  TlcPathRec path;
  TlcTextRec text;
};

extern TlcRecordState TlcRec;

#endif
