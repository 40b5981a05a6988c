// TLC records as the satellite programs hold them, and the limits of their
// paged record store. One current record of each kind is shared by the
// readers and the writers, so a record just read can be written again.
#ifndef QUIL_LIB_Q7TLCDEF_H
#define QUIL_LIB_Q7TLCDEF_H

#include <cstdint>

#include "tlcrec.h"

enum {
  NRANK = 23,  // deepest depth of the cell-reference store
};

// Store limits and layout: 8192-byte blocks, records of 32-bit fields.
enum : int32_t {
  BMAX = 5000000,
  PMAX = 2500000,
  VMAX = 12500000,
  AMAX = 1000000,
  TLC_BLOCK_BYTES = 8192,
  TLCS_BOX_FIELDS = 5,
  TLCS_PATH_FIELDS = 3,
  TLCS_VERT_FIELDS = 4,
  TLCS_CEL_FIELDS = 3,
  TLCS_BOX_PER_BLOCK = TLC_BLOCK_BYTES / (TLCS_BOX_FIELDS * 4),    // 409
  TLCS_PATH_PER_BLOCK = TLC_BLOCK_BYTES / (TLCS_PATH_FIELDS * 4),  // 682
  TLCS_VERT_PER_BLOCK = TLC_BLOCK_BYTES / (TLCS_VERT_FIELDS * 4),  // 512
  TLCS_CEL_PER_BLOCK = TLC_BLOCK_BYTES / (TLCS_CEL_FIELDS * 4),    // 682
  TLCS_BOX_BLOCKS = 12225,
  TLCS_PATH_BLOCKS = 3666,
  TLCS_VERT_BLOCKS = 24415,
  TLCS_CEL_BLOCKS = 1467,  // per depth
};

// Bits of a stored path word, vertex owner and cell-reference word.
constexpr uint32_t TXHB = 0x80000000u;  // the path is a text; vertex holds characters
inline int32_t ORHB(int o) { return (int32_t)((uint32_t)(o & 7) << 17); }
inline int32_t OTHB(int r) { return (int32_t)((uint32_t)(r & 1) << 15); }
inline int32_t CNHB(int index) { return index & 0x3fff; }

// The current records.
extern tlchdr TLCh;
extern tlcbox TLCb;
extern tlcpath TLCp;
extern tlctext TLCt;
extern tlccel TLCc[NRANK + 2];  // one placement per depth 0..24

#endif
