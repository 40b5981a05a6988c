// The TLC-to-DXF conversion: settings, the cell list and the run that writes
// one DXF Release 12 file of a main cell and every cell below it.
// Platform-free; the program shows its dialogs around it and the host seam
// carries every message.
#ifndef QUIL_CONVERTERS_DXFOUT_H
#define QUIL_CONVERTERS_DXFOUT_H

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "cnvcommon.h"
#include "cnvgeom.h"
#include "cnvout.h"
#include "cnvtlc.h"
#include "dxfnum.h"
#include "layerset.h"
#include "qfile.h"

enum {
  DXFOUT_NKEYS = 16,
  DXFOUT_VALLEN = 256,
  DXFOUT_MAXCELLS = 4095,
};

// Setting slots in the order of the settings file.
enum {
  DK_TFN, DK_XFN, DK_FTR, DK_LYN, DK_TXT, DK_VXL, DK_VXW, DK_P2P, DK_IPE, DK_MPP, DK_B2S, DK_WR2,
  DK_LFT, DK_TOP, DK_RGT, DK_BOT,
};
extern const char* const DxfOutKeys[DXFOUT_NKEYS + 1];

struct DxfCellEntry {
  char name[36];
  int rank;
  // Extent of the cell with everything below it, in its own database units.
  int have;
  double l, b, r, t;
};

struct DxfCounts {
  long polylines, solids, texts, inserts;
};

// The DXF file being written: buffered, every byte counted, any failed
// write remembered until the close.
typedef CnvTextOut DxfWriter;

struct DxfOutState {
  char val[DXFOUT_NKEYS][DXFOUT_VALLEN];
  // The file being written, beside the DXF file it replaces once whole.
  char scratch[CNV_PATHLEN + 8];
  LayerSet sel;
  CnvLayerRow layers[CNV_LAYERS];  // the main cell's layers, for the LAYERS dialog
  int allLayers;
  int texts, inlineEnds, outline, proper, solids, vertexWidths;

  DxfCellEntry cells[DXFOUT_MAXCELLS + 1];  // 1-based, entry 1 the main cell
  int nCells;
  unsigned char present[257];
  double s;  // database units per micrometre
  // Extents of the flattened main cell in database units (have: any seen).
  int have;
  double minX, minY, maxX, maxY;

  DxfCounts cur, max;
  int abort;
  int* extAbort;  // the program's own abort flag (its progress dialog), or null
  char curCell[36];
  char date[40], time[40];
  struct tm now;
  int fixedNow;
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], mainName[CNV_PATHLEN], mainExt[CNV_PATHLEN];

  FILE* log;
  void (*listLine)(const char* text);  // the DISPLAY message list
  void (*scaleLine)(const char* text);
  void (*showCounts)(const DxfCounts* cur, const DxfCounts* max);

  TlcIn in;
  CnvPath path;
  CnvBox box;
  CnvText text;
  CnvCell cell;
  CnvHdr hdr;
  CnvRing ring;
  DxfWriter w;
};

// Defaults in every slot, hooks removed. Large: keep one static instance or
// allocate it.
void DxfOutReset(DxfOutState* st);
// Completes the settings as the SETUP dialog's OK does; with check the
// file names are checked too. The number of names that failed.
int DxfOutSetupApply(DxfOutState* st, int check);
void DxfOutSelParse(DxfOutState* st, const char* text);
// The main cell's layer record into the layer table; 1 when layers were
// read, 0 after its message.
int DxfOutLayersRead(DxfOutState* st);
// The selection from the table, and its range text into ftr=.
void DxfOutLayersApply(DxfOutState* st);

// The whole conversion: 1 finished, 0 aborted or stopped.
int DxfOutRun(DxfOutState* st);
// "Completed ... %d Bytes in DXF File" or the abort text; the log closed.
int DxfOutClosing(DxfOutState* st, int converted, char* text, int size);

void DxfOutList(DxfOutState* st, const char* text);

#endif
