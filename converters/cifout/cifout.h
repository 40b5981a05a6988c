// The TLC-to-CIF conversion: settings and text templates, the TLC layer
// table of the LAYERS dialog, the CIF layer table, the cell list, the CIF
// scale and the run itself. Platform-free; the program shows its dialogs
// around it and the host seam carries every message.
#ifndef QUIL_CONVERTERS_CIFOUT_H
#define QUIL_CONVERTERS_CIFOUT_H

#include <cstdint>
#include <ctime>
#include <vector>

#include "cnvcells.h"
#include "cnvcif.h"
#include "cnvcommon.h"
#include "cnvgeom.h"
#include "cnvout.h"
#include "cnvtlc.h"
#include "layerset.h"
#include "qfile.h"

enum {
  CIFOUT_NKEYS = 18,
  CIFOUT_VALLEN = 256,
  CIFOUT_MAXCELLS = 8190,
  CIFOUT_TEMPLATES = 5,
  CIFOUT_TOKENS = 10,  // tokens of a text template
  CIFOUT_LAYERS = CNV_LAYERS,
  CIFOUT_LAYER_SELECTED = CNV_LAYER_SELECTED,
};

// Setting slots in the order of the settings file.
enum {
  CK_TFN, CK_LFN, CK_CFN, CK_LAM, CK_FTR, CK_CG1, CK_CG2, CK_LTX, CK_MPP,
  CK_P2P, CK_B2P, CK_TMP, CK_UEC, CK_WR2, CK_LFT, CK_TOP, CK_RGT, CK_BOT,
};
extern const char* const CifOutKeys[CIFOUT_NKEYS + 1];
extern const char* const CifOutDisplayName;  // "CifOut"
extern const char* const CifDefaultTemplate;  // "94 <text> <x> <y> <lname>"
extern const char* const CifQuilTemplate;     // "99 <layer> <size> <orien> <x> <y> <text>"

// A row of the LAYERS dialog: 4 characters of the name used, "NONE" when
// free.
typedef CnvLayerRow CifTlcLayer;

typedef CnvCellEntry CifCellEntry;

struct CifCounts {
  long boxes, polys, wires, texts, calls;
};

// The CIF file being written: buffered, every byte counted, any failed
// write remembered until the close.
typedef CnvTextOut CifWriter;

// One cell's records, read once and kept by kind; boxes and paths also by
// layer, so each CIF layer row takes its own in file order.
struct CifCellRecords {
  struct Item {
    int kind;  // 0 box, 1 path
    int32_t index;
  };
  std::vector<CnvBox> boxes;
  struct PathRef {
    int32_t lyr, w, nv;
    int64_t at;  // first vertex in xy
  };
  std::vector<PathRef> paths;
  std::vector<int32_t> xy;  // x, y pairs
  std::vector<Item> byLayer[257];
  std::vector<CnvText> texts;
  std::vector<CnvCell> calls;
};

struct CifOutState {
  char val[CIFOUT_NKEYS][CIFOUT_VALLEN];
  char templates[CIFOUT_TEMPLATES][CIFOUT_VALLEN];
  LayerSet sel;
  CifTlcLayer layers[CIFOUT_LAYERS];
  int allLayers;

  CifCellEntry cells[CIFOUT_MAXCELLS + 1];  // 1-based
  int nCells;
  CifLayerRow cif[CIF_LAYERROWS];
  int nCif;

  // The run's scale: TLC scale s, CIF grid g, lambda; each database unit is
  // f CIF units, written over the symbol denominator d.
  double s, g, lambda, f;
  int64_t fWhole;  // f when it is a whole number, else 0
  int d;
  int mpp, p2p, b2p, ltx;
  char tmpl[CIFOUT_VALLEN];

  CifCounts cur, max;
  long totalCalls;
  int abort;
  int* extAbort;  // the program's own abort flag (its progress dialog), or null
  char curCell[36];
  char date[40], time[40];
  struct tm now;
  int fixedNow;
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], mainName[CNV_PATHLEN], mainExt[CNV_PATHLEN];
  char mainUnit[20];

  FILE* log;
  void (*listLine)(const char* text);  // the DISPLAY message list
  void (*scaleLine)(const char* text);
  void (*showCounts)(const CifCounts* cur, const CifCounts* max);

  TlcIn in;
  CnvPath path;
  CnvBox box;
  CnvText text;
  CnvCell cell;
  CnvHdr hdr;
  CnvRing ring;
  CifCellRecords recs;
  CifWriter w;
  char scratch[CNV_PATHLEN + 8];
};

// Defaults in every slot, tables emptied, hooks removed. Large: the program
// keeps one static instance, tests allocate theirs.
void CifOutReset(CifOutState* st);

// Completes the settings as the SETUP dialog's OK does; with check the three
// file names are checked too. The number of names that failed.
int CifOutSetupApply(CifOutState* st, int check);
// Puts a template typed in SETUP in front of the remembered ones.
void CifTemplatePush(CifOutState* st, const char* text);

void CifOutSelParse(CifOutState* st, const char* text);
// The main cell's layer record into the layer table; 1 when layers were
// read, 0 after its message.
int CifOutLayersRead(CifOutState* st);
// The selection from the table, and its range text into ftr=.
void CifOutLayersApply(CifOutState* st);

// The CIF scale from lambda, s and g (f, fWhole, d). 1 when usable.
int CifScaleChoose(CifOutState* st);
// v database units in CIF units, rounded; 0 with the stop message when it
// does not fit 32 bits.
int CifScale(CifOutState* st, int64_t v, int64_t* out);

// The text command(s) of one text by template tmpl into out (size bytes);
// 0 when the template writes nothing.
int CifTextExpand(CifOutState* st, const char* tmpl, const CnvText* t, char* out, int size);
// Splits a template into its tokens (each whole); the count, or -1 when it
// has more than CIFOUT_TOKENS.
int CifTemplateTokens(const char* tmpl, char tokens[][CIFOUT_VALLEN], int max);

// The whole conversion; 1 when it completed. The closing message into text.
int CifOutConvert(CifOutState* st);
int CifOutClosing(CifOutState* st, int converted, char* text, int size);
// Convert, then the closing message shown; 1 when it completed.
int CifOutGo(CifOutState* st);

void CifOutList(CifOutState* st, const char* text);

#endif
