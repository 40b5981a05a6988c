// TffBuild's engine: one character drawing (a TLC cell of polygons on the
// 16 x 16 grid) put into its slot of a text font file, the font file read
// and written whole, and the batch arguments. Platform-free; the program
// (win/tffbuild7.cpp) adds the hidden window and the TFFDLG dialog.
#ifndef QUIL_ACCESSORIES_TFFBUILD_H
#define QUIL_ACCESSORIES_TFFBUILD_H

#include <cstdint>

#include "cnvtlc.h"
#include "font.h"

enum {
  TFF_PATHLEN = 260,      // font and character file paths: 259 characters
  TFF_TOKENS = 3,         // font file, character file, character
  TFF_VERTEX_ROOM = 126,  // vertex bytes a slot takes; the last two end it
  TFF_NO_CHAR = 0xFF,     // no character to assign
};

struct TffState {
  uint8_t table[TFF_SIZE];
  char fontPath[TFF_PATHLEN];
  char charPath[TFF_PATHLEN];
  int ch = TFF_NO_CHAR;
  // The slot being built and its next free position.
  uint8_t slot[TFF_SLOT];
  int next = 0;
  int dropped = 0;   // vertices that did not fit the slot
  int refused = 0;   // a vertex off the grid: the character is not assigned
  int polygons = 0;  // polygons placed
  int error = 0;     // an error box was shown
  CnvHdr hdr{};
  char tokens[TFF_TOKENS + 1][TFF_PATHLEN];  // 1..3 used
  int count = 1;
  TffState() {
    fontPath[0] = charPath[0] = 0;
    for (auto& t : tokens) t[0] = 0;
  }
};

// The state as a fresh program starts with it: an empty font and slot.
// The program owns its one TffState; every call below works on the one it
// is handed.
void TffReset(TffState* st);

// The command line's tokens into st->tokens: the count as TffRun takes it
// (1 none, 2..4 one to three tokens), or 0 after the error box for more
// than three tokens (nothing is stored then).
int TffArgs(TffState* st, const char* args);

// 1 read; 0 the file is missing; -1 it ends before 12,288 bytes.
int TffFontRead(TffState* st, const char* path);
// Written whole through a scratch file: 1 written, 0 not (the old file
// stays).
int TffFontWrite(const TffState* st, const char* path);

// The path's vertices as one polygon of the slot being built.
void TffGlyphAdd(TffState* st, const CnvPath* p, int pathNo);
// Every record of the open character file; paths go to TffGlyphAdd.
void TffCharRead(TffState* st, TlcIn* in);

// One attempt: the font read (or made when missing and the user agrees),
// the character file checked, and with assign set and a character of
// 32..127 the slot replaced and the font written. 1 when the character was
// assigned.
int TffBuildOnce(TffState* st, const char* fontPath, const char* charPath, int ch, int assign);

// The batch form from the tokens (count as TffArgs gave it).
int TffBatch(TffState* st, int count);

void TffError(TffState* st, const char* text);
void TffWarning(const char* text);

#endif
