// Read-only TLC reading for the converters that write other formats: one
// record at a time from an open cell file, nothing stored.
#ifndef QUIL_CONVERTERS_CNVTLC_H
#define QUIL_CONVERTERS_CNVTLC_H

#include <cstdint>
#include <cstdio>

#include "tlcrec.h"

struct CnvLayerRow;
struct LayerSet;

enum {
  CNV_PVSIZ = PVSIZ,   // vertices a TLC path record may carry
  CNV_TEXTLEN = TXTLEN,  // characters of a text as read
};

typedef tlchdr CnvHdr;
typedef tlccel CnvCell;  // r is not read (always 0)
typedef tlcbox CnvBox;
typedef tlctext CnvText;

// The record's spare place lets an open polygon of a full record be closed.
struct CnvPath : tlcpath {
  int cut;  // the record held more than CNV_PVSIZ vertices (it fails to read)
};

// The cell file being read. Large (a line source with its buffer): keep it
// static or on the heap.
struct TlcIn {
  TlcLineIn src;
  int open;
  char path[3 * 260 + 8];
};

// Opens "%s%s%s.tlc" (drive, folder, name) for reading; 1 on success.
int TlcOpenRead(TlcIn* in, const char* drive, const char* folder, const char* name);
void TlcCloseRead(TlcIn* in);
void TlcRewind(TlcIn* in);

// Next line of the file, tidied (leading blanks and tabs, trailing
// characters outside '!'..'~' removed; long lines cut). Null at the end.
const char* TlcNextLine(TlcIn* in);

// Record kinds that a line opens (either record form).
enum { TLC_OTHER = 0, TLC_HDR, TLC_CELL, TLC_BOX, TLC_PATH, TLC_TEXT, TLC_LAYERS };
int TlcLineKind(const char* line);

// Parse the lines after an opening tag; 0 when a field is missing or
// malformed, a value does not fit 32 bits, or the file ends; else 1.
int ReadH(TlcIn* in, CnvHdr* h);
int ReadC(TlcIn* in, CnvCell* c);
int ReadB(TlcIn* in, CnvBox* b);
int ReadP(TlcIn* in, CnvPath* p);
int ReadT(TlcIn* in, CnvText* t);

// Skips to the header record and reads it: 1 when read; 0 when the file has
// no header or it can't be read (the caller reports it).
int TlcReadH(TlcIn* in, CnvHdr* h);
// The same, telling the two failures apart: 1 read, 0 the file ended
// without a header, -1 the header could not be read.
int TlcFindHeader(TlcIn* in, CnvHdr* h);

// The writers' layer table: the <L> list of the main TLC file at tlcPath
// into CNV_LAYERS rows (names cut to nameWidth characters, "NONE" in the
// rows after them), each marked selected as sel has it. maskNumber takes a
// layer number modulo 512 before its range check, as the GDSII writer reads
// it. 0, with the message, when the file or its layers are missing (the
// latter in the program's words, noLayers).
int CnvLayersRead(TlcIn* in, const char* tlcPath, CnvLayerRow* rows, int nameWidth, int maskNumber,
                  const LayerSet* sel, const char* noLayers = "No Layers in Main TLC File");
// The rows' choice into sel (every layer when all), and its text, cut to a
// setting's 255 characters, into ftr unless empty.
void CnvLayersApply(const CnvLayerRow* rows, int all, LayerSet* sel, char* ftr, size_t ftrSize);

#endif
