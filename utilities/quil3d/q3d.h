// The oblique 3D view builder: the boxes, paths and texts of a flat cell on
// the listed layers are turned about Z, tilted about X and lifted by their
// layer's place in the list, and written with a legend as the new cell
// "<cell>_3D". StackState holds every part of a run; the program (or a test)
// owns it, on the heap or static (it is large).
#ifndef QUIL_UTIL_Q3D_H
#define QUIL_UTIL_Q3D_H

#include <cstddef>
#include <cstdint>

#include "cnvgeom.h"
#include "cnvtlc.h"
#include "satlib.h"

enum {
  STACK_LAYERS = 16,  // entries of the layer list
  STACK_SUFFIX = 3,   // "_3D"
};

// Settings slots in the order of the file.
enum { STACK_SFN = 0, STACK_STP, STACK_AA1, STACK_AA2, STACK_OLD, STACK_LFT, STACK_TOP, STACK_RGT, STACK_BOT,
       STACK_SLOTS };

extern const char* const StackKeys[STACK_SLOTS + 1];
extern const char* const StackDefaults[STACK_SLOTS];

// How a run ended.
enum {
  STACK_ABORTED = 0,  // no result written; an old result cell is kept
  STACK_CREATED = 1,
  STACK_PARTIAL = 2,  // written, but objects named in warnings were left out
};

// The run values the apply step derives from the slots.
struct StackSet {
  char cell[NAMLEN + 1] = "";  // name part of sfn=
  int cellTooLong = 0;         // the name part did not fit a cell name
  long spacing = 10;           // physical units between levels
  int layers[STACK_LAYERS] = {};
  double z = 0, x = 0;         // radians
  double sinZ = 0, cosZ = 1, cosX = 1;
  int old = 0;
};

struct StackState {
  StackSet set;
  // The layer list as the settings file and the dialog hold it (l0= ..).
  char layerText[STACK_LAYERS][SAT_SLOT_SIZE] = {};
  SatUsfList lists[2];
  double scale = 1000.0;  // of the source header, for the run
  // Extent of everything projected (elements and legend).
  int64_t xMax = 0, xMin = 0, yMax = 0, yMin = 0;
  int64_t polys = 0, texts = 0, verts = 0;  // written
  int64_t leftOut = 0;                      // objects noted and not written
  int overflow = 0;                         // a projection left the 32-bit range
  int outcome = STACK_ABORTED;
  char result[NAMLEN + 1] = "";  // "<cell>_3D"
  // Records being read and written.
  TlcIn in;
  CnvHdr hdr;
  CnvBox box;
  CnvPath path;
  CnvText text;
  CnvRing ring;

  StackState();
  StackState(const StackState&) = delete;
  StackState& operator=(const StackState&) = delete;
};

// Level 1..16 of a layer: its first place in the list; 0 when not listed.
int StackLevel(const StackState& st, int32_t layer);
// Projects (x, y) of a layer at level k; the extent takes the point in. 0
// when the point leaves the 32-bit range of the drawing (overflow is set).
int StackProject(StackState& st, int k, int32_t x, int32_t y, int32_t* px, int32_t* py);
// The extent's start values.
void StackExtentReset(StackState& st);
// The element loop over the open source: 1 when the file was read to its
// end, 0 after a record that could not be read or a projection out of range
// (the message shown).
int StackReadElements(StackState& st);
// The legend after the elements; nothing (and a warning) when nothing was
// projected. 0 when it would leave the 32-bit range.
int StackLegend(StackState& st);
// Completes and normalises the slots and the layer list.
void StackSetupApply(StackState& st, int check);
// A run in the current folder: STACK_CREATED, STACK_PARTIAL or
// STACK_ABORTED (also kept in st.outcome).
int StackRun(StackState& st);
// The closing text of a run.
void StackResultText(const StackState& st, char* out, size_t size);
// The program table entries: the l0= .. l15= list of the settings file.
SatUsfList* StackLists(StackState& st);

#endif
