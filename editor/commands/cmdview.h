// The view and setting commands: redraws layer by layer, saved views,
// depth and rank windows, grids, layer sets and attributes, the layer that
// Clyr gives the selection, and the rules their dialogs apply.
#ifndef QUIL_EDITOR_COMMANDS_CMDVIEW_H
#define QUIL_EDITOR_COMMANDS_CMDVIEW_H

#include <cstddef>
#include <cstdint>

struct CmdEngineState;

enum {
  SAVED_VIEW_SLOTS = 9,        // Swin and Rwin slots 1..9
  PATH_WIDTH_MAX = 1048576,    // database units
  TEXT_SIZE_MIN = 15,
  TEXT_SIZE_MAX = 9830400,
  DGRID_DRAW_MAX = 134217728,  // a display grid beyond this is not drawn
};

// Clears the marked bit of every box and path of the current cell (every
// view change does, so that the next redraw sees each object afresh).
void ObjMarkClear();
// Widens ext (left, bottom, right, top) by the boxes, paths and texts of
// the current cell.
void ObjectExtents(int64_t ext[4]);
// The Fit extents of the current cell: objects and level-0 instances;
// -1 -1 1 1 for an empty cell; never of zero width or height.
void FitExtents(int32_t ext[4]);

// WDTH and CWTH: the text typed into the dialog as it is handed back (a
// lone "*" unchanged, else the magnitude, "-" in front when Extended).
void WidthDlgText(const char* typed, int extended, char* out, size_t size);
// WidthAsk's test of a handed-back text: 1 accepted with the width (0 is
// a polygon), 0 when the dialog must show again. star: 1 for a text with
// "*", -1 for "-*", else 0.
int WidthAccept(const char* text, double scale, int32_t* width, int* star);
// SizeAsk's test: 1 accepted (magnitude 15..9830400), 0 show again.
int SizeAccept(const char* text, double scale, int32_t* size);

// The next preset index of the working (display 0) or display grid after
// current: 1..10 in a ring, the first positive one; 1 when none is.
int GridNext(int display, int current);

// DPTH's Apply over the texts of its three fields and its check box: the
// rank window, or the depth window clamped (top 0..23, bottom 0..24 and
// not above top). 0, with nothing changed, when a field it takes is not a
// number: the dialog stays.
int DepthApply(const char* top, const char* bottom, const char* rank, int rankWindow);
// DPTH's buttons 1305..1308 over topdepth= and botdepth= (cellRank: the
// loaded cell's rank). 1 when id is one of them.
int DepthButton(int id, int cellRank);

// --- handlers -----------------------------------------------------------------
void HandlerSdrw(CmdEngineState& st);  // Sdrw and Rdrw
void HandlerLdrw(CmdEngineState& st);
void HandlerSwin(CmdEngineState& st);
void HandlerRwin(CmdEngineState& st);
void HandlerDpth(CmdEngineState& st);
void HandlerGrid(CmdEngineState& st);
void HandlerWgrd(CmdEngineState& st);  // Wgrd and Dgrd
void HandlerAttr(CmdEngineState& st);
void HandlerLayerSet(CmdEngineState& st);  // View and Open
void HandlerClyr(CmdEngineState& st);

#endif
