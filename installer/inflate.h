// The installer's decoder of deflated ZIP members and its CRC-32. Compressed
// bytes come from an open file or from memory, never past the member's
// compressed size; decoded bytes go through a 32 KB window (which is also the
// history for back-references) to the output file, never past the member's
// uncompressed size.
#ifndef QUIL_INSTALLER_INFLATE_H
#define QUIL_INSTALLER_INFLATE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum {
  INFLATE_WSIZE = 32768,
  INFLATE_INBUF = 16384,
};

// Result codes of Inflate and of each block.
enum {
  INFLATE_OK = 0,
  INFLATE_BAD_DATA = 1,     // a code, length, distance or header the stream can't have
  INFLATE_BAD_CODES = 2,    // block type 3, or a code set that can't be built
  INFLATE_NO_MEMORY = 3,    // a decoding table outgrew its room
  INFLATE_WRITE_FAILED = 4, // the output file took fewer bytes than it was given
};

// Results of InflateBuildTable.
enum {
  INFLATE_SET_COMPLETE = 0,
  INFLATE_SET_INCOMPLETE = 1,
  INFLATE_SET_OVERSUBSCRIBED = 2,  // also a length over 15
  INFLATE_SET_NO_ROOM = 3,
};

// One entry of a decoding table.
struct InflateEntry {
  uint8_t op;    // what the entry is (see inflate.cpp)
  uint8_t bits;  // code bits taken at this level
  uint16_t val;  // literal, base, or where the sub-table starts
};

enum {
  INFLATE_LIT_ROOM = 2048,
  INFLATE_DIST_ROOM = 1536,  // room for the widest incomplete distance set too
  INFLATE_CLEN_ROOM = 128,
};

struct InflateTable {
  int root = 0;  // first-level lookup width
  InflateEntry* entries = nullptr;
  int room = 0;
};

// The decoder's whole state for one member; ZipExtract keeps one and the
// tests and the benchmark make their own.
struct InflateState {
  // Input.
  FILE* inFile = nullptr;            // read from this file ...
  const uint8_t* inMem = nullptr;    // ... or from memory when no file
  uint64_t inLeft = 0;               // compressed bytes not yet taken in
  uint8_t inBuf[INFLATE_INBUF];
  size_t inPos = 0, inLen = 0;
  uint64_t bitBuf = 0;
  int bitCount = 0;

  // Output.
  FILE* outFile = nullptr;           // null: decoded bytes are only counted
  uint64_t outLimit = UINT64_MAX;    // the member's uncompressed size
  uint8_t window[INFLATE_WSIZE];
  size_t winPos = 0;
  uint64_t outCount = 0;             // bytes flushed from the window so far
  uint32_t crc = 0;                  // running register (not complemented)
  int overrun = 0;                   // the stream held more than outLimit bytes

  // Tables: the fixed ones are built on a member's first fixed block and
  // kept until InflateFree.
  InflateEntry litRoom[INFLATE_LIT_ROOM], distRoom[INFLATE_DIST_ROOM], clenRoom[INFLATE_CLEN_ROOM];
  InflateEntry fixedLitRoom[INFLATE_LIT_ROOM], fixedDistRoom[INFLATE_DIST_ROOM];
  int fixedBuilt = 0;
};

// Prepares st for a member read from file (or from mem when file is null) of
// compressed size inSize, writing at most outLimit bytes to out.
void InflateBegin(InflateState* st, FILE* in, const uint8_t* mem, uint64_t inSize, FILE* out, uint64_t outLimit);

// Decodes blocks until the last one, then flushes the window. INFLATE_OK or
// the code of the first block that failed.
int Inflate(InflateState* st);
// Forgets the fixed tables (after each member).
void InflateFree(InflateState* st);

// Builds a decoding table from n code lengths. Codes below nSimple are
// literals (their value is the code), except that code 256 ends a block when
// nSimple is 257; a code c at or past nSimple stands for base[c - nSimple]
// with extra[c - nSimple] extra bits, and extra[] of 99 marks a code that
// may never appear. Unused places of an incomplete set decode as invalid.
int InflateBuildTable(const uint8_t* lengths, int n, int nSimple, const uint16_t* base, const uint8_t* extra,
                      InflateTable* table);

// The ZIP CRC-32 register, as one running value: Crc32Update(reg, nullptr, 0)
// presets it; otherwise it is updated over the bytes. The result is the CRC
// of everything since the preset (the register complemented).
uint32_t Crc32Update(uint32_t* reg, const uint8_t* buf, size_t len);

#endif
