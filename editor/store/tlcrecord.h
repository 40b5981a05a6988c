// The record buffers of TLC cell files, one a record kind, shared by the
// readers and the writers: a record just read can be written again as it is.
#ifndef QUIL_EDITOR_STORE_TLCRECORD_H
#define QUIL_EDITOR_STORE_TLCRECORD_H

#include <cstdint>

#include "tlcrec.h"

enum {
  TLC_PATH_MAX = 1024,  // points of a path in the editor
};

typedef tlchdr TlcHeaderRec;
typedef tlccel TlcCellRec;
typedef tlcbox TlcBoxRec;
typedef tlcpath TlcPathRec;
typedef tlctext TlcTextRec;

struct TlcRecordState {
  TlcHeaderRec hdr;
  TlcCellRec cel;
  TlcBoxRec box;
  TlcPathRec path;
  TlcTextRec text;
};

extern TlcRecordState TlcRec;

#endif
