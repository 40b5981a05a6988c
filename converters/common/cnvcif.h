// The CIF tokenizer both CIF programs share: character classes, names and
// numbers of a command, and the CIF layer file (one "(LAYER n CIF= name);"
// comment per row).
#ifndef QUIL_CONVERTERS_CNVCIF_H
#define QUIL_CONVERTERS_CNVCIF_H

#include <cstddef>
#include <cstdint>

enum {
  CIF_SEP = 0,    // anything else: blanks, commas, ...
  CIF_SEMI = 1,   // ';'
  CIF_OPEN = 2,   // '('
  CIF_CLOSE = 3,  // ')'
  CIF_UPPER = 4,
  CIF_DIGIT = 5,
  CIF_MINUS = 6,
  CIF_LOWER = 7,
  CIF_END = -1,   // no more characters
};

enum {
  CIF_LAYERNAME = 15,  // characters of a CIF layer name
  CIF_LAYERROWS = 256,
};

// CIF text in memory, read one character at a time.
struct CifSrc {
  const unsigned char* data;
  size_t size, pos;
  int ch;   // the last character read (0 at the end)
  int cls;  // its class
};

void CifSrcSet(CifSrc* s, const void* data, size_t size);
int CifClass(int ch);
// Next character: its class (CIF_END at the end of the text).
int CifGetChar(CifSrc* s);
// 1 while the current command has characters left.
int CifMore(const CifSrc* s);
// Skips to the end of the current command (past its ';').
void CifSkipCommand(CifSrc* s);
// A name: upper-case letters and digits collected (lower-case letters,
// brackets and '-' passed over), ended by a separator after at least one
// of them or by ';'. Cut to size - 1 characters; its length (0 at ';').
int CifGetName(CifSrc* s, char* out, int size);
// A number of the current command: digits, and with sign a '-' before or
// among them. It ends at a separator or an upper-case letter after at least
// one digit, or at ';'. *v saturates at 2^62. 1 when digits were read.
int CifGetInt(CifSrc* s, int64_t* v, int sign);

struct CifLayerRow {
  int tlc;                         // TLC layer 1..256
  char name[CIF_LAYERNAME + 1];    // CIF layer name
};

// Reads the rows of a CIF layer file (or a CIF file holding such comments)
// into rows (at most max). With strict the words LAYER and CIF= must be in
// upper case. *more counts rows past max (may be null). The number of rows
// kept; 0 when the file can't be opened or holds none.
int CifLayerFileRead(const char* path, CifLayerRow* rows, int max, int strict, int* more);
// The same over text in memory.
int CifLayerTextRead(const void* data, size_t size, CifLayerRow* rows, int max, int strict, int* more);

// Reads a whole file into a buffer the caller frees with free(); null when
// it can't be opened or read.
unsigned char* CifFileLoad(const char* path, size_t* size);

#endif
