// The TLC-to-GDSII conversion: settings, text rows, the LDM layer map, the
// cell list, the polygon and box checks and the run itself. Platform-free;
// the program shows its dialogs around it and the host seam carries every
// message.
#ifndef QUIL_CONVERTERS_GDSOUT_H
#define QUIL_CONVERTERS_GDSOUT_H

#include <cstdint>
#include <ctime>

#include "cnvcells.h"
#include "cnvcommon.h"
#include "cnvldm.h"
#include "cnvtlc.h"
#include "gdsrec.h"
#include "layerset.h"

enum {
  GDSOUT_NKEYS = 20,
  GDSOUT_VALLEN = 256,
  GDSOUT_MAXCELLS = 8190,
  GDSOUT_MAXLDM = LDM_MAX,
  GDSOUT_ROWS = 4,
  GDSOUT_MAXVERTS = 200,  // polygons with more are reported
};

// Setting slots in the order of the settings file.
enum {
  GK_TFN, GK_GFN, GK_LDF, GK_WR2, GK_LSB, GK_LAM, GK_CSU, GK_MPW, GK_DLN, GK_FTR,
  GK_DRO, GK_LCN, GK_CTX, GK_MPP, GK_DPU, GK_WTX, GK_LFT, GK_TOP, GK_RGT, GK_BOT,
};
// Keys and default values of the settings file, each list ended by a null.
extern const char* const GdsOutKeys[GDSOUT_NKEYS + 1];
extern const char* const GdsOutDefaults[GDSOUT_NKEYS + 1];
extern const char* const GdsOutDisplayName;  // "GdsOut"

struct GdsTextRow {
  double size;   // TLC physical units
  int font;      // 0..3
  int texttype;  // 0..63
  double mag;
  double width;  // TLC physical units
  int vjust;     // T 0, C 4, B 8
};

// One entry of the layer table the LAYERS dialog shows.
typedef CnvLayerRow GdsLayerEntry;
enum { GDSOUT_LAYER_SELECTED = CNV_LAYER_SELECTED, GDSOUT_LAYERS = CNV_LAYERS };

typedef CnvCellEntry GdsCellEntry;

// Outcome of a path record's checks.
enum { GCHK_DROP = 0, GCHK_WRITE = 1, GCHK_ASPATH = 2 };

// What the Go command ends with.
enum { GO_ABORTED = 0, GO_DONE = 1, GO_ADDED = 2 };

struct GdsOutState {
  char val[GDSOUT_NKEYS][GDSOUT_VALLEN];
  char font[GDSOUT_ROWS * 6][GDSOUT_VALLEN];  // text rows as typed, row r column c at 6r + c
  GdsTextRow rows[GDSOUT_ROWS];
  LayerSet sel;  // selected TLC layers

  GdsLayerEntry layers[GDSOUT_LAYERS];
  int allLayers;  // the LAYERS dialog's "All Layers"

  LdmMap ldm;  // added: the run appended entries

  GdsCellEntry cells[GDSOUT_MAXCELLS + 1];  // 1-based
  int nCells;

  GdsCounts cur, max;
  int abort;

  // Taken from the settings when a run starts.
  double lambda;
  int csu, mpw, lsb;
  int lcn, ctx, mpp, dpu, wtx, dro;

  // The run's units and names.
  double tlcScale;
  char tlcUnit[17];
  char gdsUnit[8];
  double ratio;
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], mainName[CNV_PATHLEN], mainExt[CNV_PATHLEN];
  char curCell[36];
  char date[40], time[40];
  struct tm now;
  int fixedNow;  // keep now as set (tests, byte-exact comparisons)

  FILE* log;
  int* extAbort;  // the program's own abort flag (its progress dialog), or null

  // Program hooks, each may be null. The LDM question returns HOST_IDYES
  // (with *gds and *datatype filled), HOST_IDNO or HOST_IDCANCEL.
  int (*ldmAsk)(int tlcLayer, int* gds, int* datatype);
  void (*listLine)(const char* text);  // the DISPLAY message list
  void (*scaleLine)(const char* text);
  void (*showCounts)(const GdsCounts* cur, const GdsCounts* max);

  TlcIn in;      // the cell file being read
  CnvPath path;  // the element being converted
  CnvBox box;
  CnvText text;
  CnvCell cell;
  CnvHdr hdr;
  GdsRec rec;
  char gdsScratch[CNV_PATHLEN + 8];  // the stream file while it is written
};

// Defaults in every slot, tables emptied, hooks removed. The state is large
// (its output buffer alone is a megabyte): the program keeps one static
// instance, tests allocate theirs.
void GdsOutReset(GdsOutState* st);

// Completes the settings as the SETUP dialog's OK does; with check the three
// file names are checked too. Returns the number of names that failed.
int GdsOutSetupApply(GdsOutState* st, int check);
// Completes the four text rows from their texts (and writes the completed
// values back into the texts).
void GdsOutTextApply(GdsOutState* st);

// Layer selection.
void GdsOutSelParse(GdsOutState* st, const char* text);
int GdsOutSelTest(GdsOutState* st, int layer);

// The main cell's layer record into the layer table, each entry flagged as
// the selection holds it. 1 when layers were read; 0 after its message.
int GdsOutLayersRead(GdsOutState* st);
// The selection again from the table (every layer with allLayers), and its
// range text into ftr=.
void GdsOutLayersApply(GdsOutState* st);

// The closing of a run: on success writes the extended map or counts the
// bytes; fills text with the message and gives GO_DONE, GO_ADDED or
// GO_ABORTED.
int GdsOutClosing(GdsOutState* st, int converted, char* text, int size);

// LDM layer map: read (creating an empty map after asking when the file is
// missing), write, look a TLC layer up. Each returns 1 on success.
int LdmRead(GdsOutState* st, const char* path);
int LdmWrite(GdsOutState* st, const char* path);
int LdmLookup(GdsOutState* st, int tlcLayer, int* gds, int* datatype);

// GDS unit from a TLC physical unit: "um", "mil" or "nm" and metres per
// unit; unknown units warn and give "um".
void GdsUnitChoose(const char* tlcUnit, char* gdsUnit, int gdsUnitSize, double* metres);

// The checks before a box or path record is written. A box: 1 write, 0 drop.
int GdsCheckBox(GdsOutState* st, const CnvBox* b);
int GdsCheckPath(GdsOutState* st, CnvPath* p);

// One element each (the checks included); 0 when the conversion stops.
int GdsOutBox(GdsOutState* st, const CnvBox* b);
int GdsOutPath(GdsOutState* st, CnvPath* p);
int GdsOutText(GdsOutState* st, const CnvText* t);
int GdsOutSref(GdsOutState* st, const CnvCell* c);

// Builds the cell list from the main cell (closed over all references and
// sorted by rank). 1 on success.
int GdsOutCellList(GdsOutState* st);

// The whole conversion; 1 when it completed.
int GdsOutConvert(GdsOutState* st);

// The Go command after its dialog is up: converts, writes the extended LDM
// file and shows the closing message. GO_DONE, GO_ADDED or GO_ABORTED.
int GdsOutGo(GdsOutState* st);

// Notes to the message list and the log.
void GdsOutList(GdsOutState* st, const char* text);

#endif
