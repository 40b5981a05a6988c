// The matrix router's engine: the cells placed in an original cell are
// wired from the circuit extractor's node list. Every node becomes one
// straight node bus on a track of its own (or shared, with compaction) and
// every pin one straight connector bus from the pin to that track, with a
// connector-end cell where the two meet. MxState holds every part of a run;
// the program (or a test) owns it.
#ifndef QUIL_UTIL_MX_H
#define QUIL_UTIL_MX_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "satlib.h"
#include "tlcrec.h"

enum {
  MX_MAX_CELLS = 1024,      // placed cells of the original cell
  MX_CONNECTORS = 256,      // connector numbers 0..255 a cell may carry
  MX_MAX_BUSES = 511,       // node buses
  MX_MAX_CONN_BUSES = 1023, // connector buses of one node bus
  MX_MAX_SPANS = 512,       // spans on one track
  MX_OMITS = 24,
  MX_LAYER_MAX = 256,
};

// Settings slots in the order of the file.
enum {
  MX_CLN = 0, MX_CFN, MX_NFN, MX_CEC, MX_NBL, MX_NBW, MX_NBS, MX_CBL, MX_CBW, MX_CBS, MX_NTL, MX_CTL, MX_DTL,
  MX_BXY, MX_WR2, MX_PATH, MX_BOX, MX_IGS, MX_TXT, MX_NPK, MX_SST, MX_SBS, MX_SBL, MX_HOR, MX_VRT, MX_POS,
  MX_NEG, MX_CLF, MX_CRT, MX_EXB, MX_STP, MX_SCE, MX_OLD, MX_LFT, MX_TOP, MX_RGT, MX_BOT, MX_SLOTS
};

extern const char* const MxKeys[MX_SLOTS + 1];
extern const char* const MxDefaults[MX_SLOTS];

// Values the apply step derives from the slots; lengths in physical units
// until the run converts them.
struct MxSet {
  char cell[NAMLEN + 1] = "";
  char resultDrive[4] = "", resultFolder[SAT_PATH_SIZE] = "", resultBase[SAT_PATH_SIZE] = "";
  char nodeDrive[4] = "", nodeFolder[SAT_PATH_SIZE] = "", nodeBase[SAT_PATH_SIZE] = "";
  char endBase[SAT_PATH_SIZE] = "";
  int nbl = 49, cbl = 51, ntl = 4, ctl = 5, dtl = 6;
  double nbw = 3, nbs = 8, cbw = 3, cbs = 8, bxy = 0;
  int boxes = 0, igs = 0, txt = 1, npk = 0, sst = 0, shortFirst = 1, hor = 1, pos = 1, right = 0, exb = 0,
      stp = 0, sce = 0, old = 0;
};

// Run values in database units.
struct MxRunValues {
  int64_t nbw = 2, nbs = 2, cbw = 2, cbs = 2, base = 0;
};

struct MxSlotConn {
  int64_t x = 0, y = 0;
  int num = 0;  // 0: unused
};

struct MxPlaced {
  std::string name;
  int64_t x = 0, y = 0;
  int o = 0;
  std::string dev;
  int64_t l = 0, b = 0, r = 0, t = 0;
  // The connectors the cell carries (numbers 1..255), turned by the
  // placement; a few a cell, so a short list rather than a table of 256.
  std::vector<MxSlotConn> conn;
};

// Connector n of a placed cell; null when the cell has none of that number.
const MxSlotConn* MxConnFind(const MxPlaced& p, int n);

struct MxConnBus {
  int64_t x, y;
  int num;
};

struct MxBus {
  std::string name;
  int seq = 0;
  int64_t lo = 0, hi = 0;  // span along the bus; lo > hi while empty
  std::vector<MxConnBus> conns;
  int unrouted = 0;        // the "?" node
};

struct MxSpan {
  int64_t lo, hi;
};

struct MxState {
  MxSet set;
  MxRunValues run;
  char omit[MX_OMITS][SAT_SLOT_SIZE] = {};
  SatUsfList lists[2];
  double scale = 1000.0;
  int rank = 1;
  int64_t L = 0, B = 0, R = 0, T = 0;  // the original cell's extent
  std::vector<MxPlaced> placed;
  std::vector<MxBus> buses;
  std::vector<std::vector<MxSpan>> tracks;
  int track = 0;  // last track without compaction
  int steps = 0;  // connected buses stepped so far
  // Counters.
  long nodeBuses = 0, connBuses = 0, connEnds = 0, labels = 0, skipped = 0;
  long spacingWarnings = 0;
  // What the result holds, for its header.
  int64_t nb = 0, np = 0, nv = 0, nc = 0;
  int64_t xl = 0, yb = 0, xr = 0, yt = 0;
  int anyDrawn = 0;
  int completed = 0;
  char result[NAMLEN + 1] = "";

  MxState();
  MxState(const MxState&) = delete;
  MxState& operator=(const MxState&) = delete;
};

// ---- settings ----
void MxSetupApply(MxState& st, int check);
void MxRunValuesSet(MxState& st);
int MxOmitted(const MxState& st, const char* name);
SatUsfList* MxLists(MxState& st);
// The first decimal number in a text; 0 when it has none.
int TextNumber(const char* text);

// ---- node list and buses ----
// Reads the block of the node file's base name out of the node-list text
// into node buses. 0 on failure (the message shown).
int MxNodeBusBuild(MxState& st, const char* text, size_t size);
// One entry "device.connector" of node bus index bus.
void MxNodeListMatch(MxState& st, const char* entry, int bus);
void MxConnectorText(MxState& st);
void MxBusSort(MxState& st);
void MxTrackInit(MxState& st);
// The track of a span with compaction: just above the highest track that
// holds an overlapping span, else 0; the span is stored there. -1 when the
// track holds its limit (the message shown).
int MxTrackFind(MxState& st, int64_t lo, int64_t hi);
// Every bus in table order (written through the TLC writer).
void MxRoute(MxState& st);
void MxSpacingCheck(MxState& st);

// ---- cells ----
int MxCellInfoLoad(MxState& st);
int MxConnectorLoad(MxState& st);
int MxDeviceText(MxState& st);

// ---- run ----
// The Go command in the current folder: 1 completed, 0 aborted (no result
// written, an old result cell kept).
int MxRun(MxState& st);
void MxResultText(const MxState& st, int ok, char* out, size_t size);

#endif
