// Map files (16-colour PCX with the area's corners in the header) and the
// MAPPER picture they are copied from, drawn off-screen so that a covered
// window never spoils a file.
#ifndef QUIL_DRC_PCX_H
#define QUIL_DRC_PCX_H

#include <cstddef>
#include <cstdint>

#include "drc_map.h"

struct DrcState;

enum { PCX_MAX_BPL = 128, PCX_MAX_ROWS = 16384 };

// Palette index of an RGB colour (0x00BBGGRR): blue, green, red not 0 give
// planes 0, 1, 2; any component above 224 plane 3.
int PcxIndexOf(uint32_t rgb);
// A global because it is a constant table, the same for every run.
extern const uint8_t PcxPalette[16][3];

// The MAPPER picture: one palette index a pixel, row 0 at the top.
struct DrcMapper {
  int w, hm, lh, h;      // width, map height, text line height, picture height
  int copyW, copyRows;   // the rectangle a map file takes
  int created;
  uint8_t* pix;
};

// Builds the empty picture for the current map size with the guard band of a
// pixels (frame, dotted guard-band line). 1, or 0 without memory.
int MapperCreate(DrcState& st, int a);
void MapperFree(DrcState& st);
// Paints map d with the colour and pitch into the picture.
void MapperPaint(DrcState& st, const DrcMap& d, uint32_t rgb, int pitch);
int BlockAnySet(const DrcState& st, const DrcMap& d, int x, int y);

// Writes a map file of width / 8 * 8 pixels and `rows` rows from the
// picture at (left, top). 1, or 0 after "Can't Open Map File" (shown only
// with `messages`); a file that could not be completed is removed.
int PcxWrite(const DrcState& st, const char* path, int left, int top, int width, int rows, int32_t areaL, int32_t areaB,
             int32_t areaR, int32_t areaT, int messages = 1);
// One plane line in the run-length code into out (at most 2 n bytes).
int PcxRunEncode(const uint8_t* line, int n, uint8_t* out);

struct PcxInfo {
  int width, height;     // shown size: x max + 1 by y max + 1
  int bytesPerLine;
  int32_t areaL, areaB, areaR, areaT;
};

// Checks a map file's header (and decodes its pixels into a palette-index
// buffer of width x height that the caller frees, unless headerOnly). 1, or 0
// after "Can't Open Map File" or "Not QUILDRC Map File" when `messages`.
int PcxRead(const char* path, int headerOnly, PcxInfo* info, uint8_t** pixels, int messages);
// The header check alone on 128 bytes.
int PcxHeaderOk(const uint8_t* h, PcxInfo* info);
// Decodes a whole file held in memory (fuzzing and tests). 1 or 0.
int PcxDecode(const uint8_t* data, size_t size, PcxInfo* info, uint8_t** pixels);

// Map files of this program in a folder: "<cell>_<check>_<n>.pcx" whose
// header passes the check. Deletes them; returns how many.
int PcxDeleteOwn(const char* folder, const char* cell);
// Highest n of "<cell>_<check>_<n>.pcx" in the folder, 0 when none.
int PcxHighestSeq(const char* folder, const char* cell, int check);

#endif
