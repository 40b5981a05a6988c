// Lines and records of TLC cell files (and of the other line-based drawing
// files: the cell reference list reads through the same line source).
//
// A TLC file is text, one item a line. Lines are tidied before use: trailing
// characters outside '!'..'~' are removed, and TLC readers also remove
// leading blanks and tabs. A record opens at a line that equals one of the
// opening tags of either form exactly ("<B>" or "=B", ...); its data lines
// follow. Number fields are separated by blanks or tabs.
//
// Everything here is bounded: a line longer than the source's limit keeps its
// first characters and the rest of it is dropped (never split into a second
// line), numbers of any length parse without overflow into 64 bits and are
// range-checked by the caller.
#ifndef QUIL_LIB_TLCLINE_H
#define QUIL_LIB_TLCLINE_H

#include <cstddef>
#include <cstdint>
#include <cstdio>

enum {
  TLC_LINE_MAX = 254,   // characters of a TLC line kept
  TLC_LINE_LIMIT = 1022, // the most any line source keeps
  TLC_NAME_MAX = 32,    // cell names
  TLC_VERSION_MAX = 16, // versions and the physical unit
  TLC_DATE_MAX = 8,     // date and time
  TLC_TEXT_MAX = 80,    // text of a text record
  TLC_CHUNK = 65536,    // bytes read from a file at a time
};

// Coordinates of every drawing stay within +-2^29.
static const int64_t TLC_COORD_MAX = 536870912;

// Record tags; the letter of each is the tag's letter.
enum TlcTag {
  TLC_TAG_NONE = 0,
  TLC_TAG_L = 'L',  // layers
  TLC_TAG_H = 'H',  // header
  TLC_TAG_R = 'R',  // TLD cell start
  TLC_TAG_C = 'C',  // cell instance
  TLC_TAG_B = 'B',  // box
  TLC_TAG_P = 'P',  // path or polygon
  TLC_TAG_T = 'T',  // text
};

// A line source: a file read in chunks, or bytes in memory. Large (it holds
// its chunk buffer): keep it static or on the heap.
struct TlcLineIn {
  FILE* file;
  const unsigned char* mem;  // memory source, or the chunk buffer
  size_t memLen;
  size_t memPos;
  int eof;         // no more bytes
  int ioError;     // a read failed
  int tlcMode;     // 1: leading blanks and tabs removed too
  int maxChars;    // characters kept of a line (at most TLC_LINE_LIMIT)
  int pushedBack;  // the last line is given again by the next get
  int64_t lineNo;  // lines read so far
  char line[TLC_LINE_LIMIT + 2];
  unsigned char chunk[TLC_CHUNK];
};

// Opens a file for reading (binary: "\r\n" endings are tidied away like any
// other trailing control character). tlcMode 1 for TLC readers. 1 when open.
int TlcLineOpenFile(TlcLineIn* in, const char* path, int tlcMode);
// Reads from memory that must outlive the source.
void TlcLineOpenMem(TlcLineIn* in, const void* data, size_t size, int tlcMode);
// Closes; 0 when no read error was seen, 1 otherwise. Safe to call twice.
int TlcLineClose(TlcLineIn* in);

// The next tidied line (valid until the next call), or null at the end.
const char* TlcLineGet(TlcLineIn* in);
// Makes the next TlcLineGet return the line just returned again.
void TlcLineUnget(TlcLineIn* in);

// Removes trailing characters outside '!'..'~' and, with lead set, leading
// blanks and tabs; in place; returns s.
char* TlcTidy(char* s, int lead);
// Copies at most max characters of src into dst (size max + 1), upper-cased
// when upper is set.
void TlcCopyCut(char* dst, const char* src, int max, int upper);

// The tag letter when the whole line is an opening tag of either form
// ("<B>" or "=B"), else TLC_TAG_NONE.
int TlcTagOf(const char* line);
// The tag letter when the whole line is a closing tag ("</B>").
int TlcCloseTagOf(const char* line);

// Parses one integer field (optional sign, decimal digits) starting after any
// blanks and tabs; the field must end at a blank, tab or the line's end.
// Returns the position after it, or null when there is no such field. Values
// beyond 64 bits saturate (they fail every range check).
const char* TlcNextInt(const char* s, int64_t* v);
// Parses one floating field; null when none or not finite.
const char* TlcNextDouble(const char* s, double* v);
// Parses up to n integer fields; the number parsed before the first missing
// or malformed one.
int TlcParseInts(const char* s, int64_t* v, int n);

// Reads the next line and its first n integer fields. 1 when all n were
// there; 0 at the end, on a short or malformed line, or when the line opens
// a record (it is then given back, so the next record is not lost).
int TlcReadInts(TlcLineIn* in, int64_t* v, int n);
// Reads the next line whole, for name, version and text lines. Null at the
// end or when it opens a record (given back as above).
const char* TlcReadDataLine(TlcLineIn* in);

// Reads nv point pairs from the following lines: pairs may spread over any
// number of lines, but x and y of one pair stand on one line; empty lines are
// passed over. The first min(nv, keep) pairs are stored in x, y; the rest are
// read and dropped. Every coordinate must lie within +-coordMax.
// Returns 1 when all nv pairs were read, 0 when not (end, a malformed or odd
// line, a value out of range, or a line opening a record, which is given
// back).
int TlcReadPoints(TlcLineIn* in, int64_t nv, int keep, int32_t* x, int32_t* y, int64_t coordMax);

// The text of a text line: what lies between a leading "<![CDATA[" and the
// last "]]>", else the whole line; at most max characters into out (size
// max + 1).
void TlcTextOfLine(const char* line, char* out, int max);

#endif
