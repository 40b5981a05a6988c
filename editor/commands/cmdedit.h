// The editing operations of the command engine over the object store:
// selection by window, adding boxes, paths, texts, instances, arcs and
// spirals, and the handlers that run them step by step.
#ifndef QUIL_EDITOR_COMMANDS_CMDEDIT_H
#define QUIL_EDITOR_COMMANDS_CMDEDIT_H

#include <cstdint>

struct CmdEngineState;

enum { PATH_VERTEX_MAX = 1024 };

// The selection window, corners normalised, bounds inclusive.
struct SelWindow {
  int32_t x1, y1, x2, y2;
};

// --- selection --------------------------------------------------------------
// Command ids the passes tell apart.
enum {
  ID_GET = 127, ID_FGET = 122, ID_TGET = 156, ID_CGET = 107, ID_AGET = 101, ID_WGET = 164,
  ID_PUT = 142, ID_FPUT = 125, ID_TPUT = 158, ID_CPUT = 113, ID_APUT = 102,
  ID_PBEG = 139, ID_PEND = 140, ID_OUTL = 137, ID_FULL = 126, ID_ADD = 100, ID_TEXT = 155,
  ID_ARC = 103, ID_CMD = 109, ID_MOV = 133,
};

// Box edge bits of the edge test: left, right, bottom, top within the window.
int BoxEdgeTest(const int32_t* box, const SelWindow& w, int* l, int* r, int* b, int* t);
// 1 when [lo, hi] misses [wlo, whi]: both below or both above.
int ExtentOutside(int32_t a, int32_t c, int32_t wlo, int32_t whi);
// kind 0 edges, 1 whole. id: the command's id (Tput/Tget/Pbeg/Pend rules).
void SelWindowBoxes(const SelWindow& w, int kind);
void UnselWindowBoxes(const SelWindow& w, int kind, int id);
void SelWindowPaths(const SelWindow& w, int kind, int id);
void UnselWindowPaths(const SelWindow& w, int kind, int id);
void PathSelSync(int32_t path);
// The Get and Put cores at step 2 (shift: Shift held).
void SelGetCore(CmdEngineState& st, const SelWindow& w, int id, int shift);
void SelPutCore(const SelWindow& w, int id, int shift);
// The instance pass. mode 0 select, 1 unselect, 2 move the selected by
// (dx, dy), 3 copy the selected (copies displaced and selected, appended),
// 6 move those passing the window test, 7 outline (want: the outline state
// wanted). overlap: a double click's point test. Returns the number changed.
// Asks NOCELL when nothing changed in modes 0, 1, 7 and askCell is set.
int CellInstApply(CmdEngineState& st, const SelWindow& w, int mode, int want, int overlap, int askCell,
                  int32_t dx = 0, int32_t dy = 0);
// One instance's operation of mode (as above, no tests): 1 changed, 0 not;
// mode 3 returns the copy's record number (0: the store is full).
int CellInstOne(int32_t i, int mode, int want, int32_t dx, int32_t dy);
// 1 when level-0 instance i passes the window test (overlap: a double
// click's point test).
int InstWindowTest(int32_t i, const SelWindow& w, int overlap);
// Extent of level-0 instance i in the current cell.
void InstExtent(int32_t i, int32_t ext[4]);
void SelClearAll();

// --- adding -------------------------------------------------------------------
// First selected vertex of the first selected non-text path: 1 found.
int SelVertexFind(int32_t* vertex, int32_t* next, int32_t* path);
// Vertex count of a path's chain (loops stop at the store's vertex count).
int PathVertexCount(int32_t path);
// Inserts (x, y) after selected vertex v: 1 inserted, 0 refused (message).
int VertexInsert(int32_t v, int32_t x, int32_t y);
// A new box (normalised): 1, 0 refused.
int BoxAdd(int layer, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// A new selected path of one vertex: its index, 0 refused.
int32_t PathStart(int layer, int32_t width, int32_t x, int32_t y);
// A new text: 1, 0 refused (empty, too long, capacity).
int TextAdd(int layer, int32_t size, int orient, int32_t x, int32_t y, const char* text);
// A new instance of cell at (x, y): 1, 0 refused (rank, capacity).
int InstAdd(int cell, int orient, int32_t x, int32_t y);
// The vertices of an arc from selected vertex S about c to e (segments n,
// ccw 1 or 0) inserted after S: 1 done, 0 refused without change.
int ArcInsert(CmdEngineState& st, int32_t cx, int32_t cy, int32_t ex, int32_t ey, int n, int ccw);
// The spiral of the current spiral settings: 1 made, 0 refused.
int SpiralMake(CmdEngineState& st);
// Vertices the spiral settings would make (for the limit check).
int SpiralVertexCount();
// Deletes path p and its vertices (the vertex store kept dense).
void PathDelete(int32_t p);

// --- handlers -----------------------------------------------------------------
void HandlerGet(CmdEngineState& st);      // Get, Tget, Wget
void HandlerFget(CmdEngineState& st);     // Fget, Aget, Pbeg, Pend
void HandlerPut(CmdEngineState& st);      // Put, Tput
void HandlerFput(CmdEngineState& st);
void HandlerCget(CmdEngineState& st);
void HandlerCput(CmdEngineState& st);
void HandlerAput(CmdEngineState& st);
void HandlerOutlFull(CmdEngineState& st);
void HandlerObj(CmdEngineState& st);
// Add's object kind from objname= (box when it names nothing usable).
void HandlerObjKindLoad(CmdEngineState& st);
void HandlerAdd(CmdEngineState& st);
void HandlerText(CmdEngineState& st);
void HandlerArc(CmdEngineState& st);
void HandlerLayr(CmdEngineState& st);
void HandlerTlyr(CmdEngineState& st);
void HandlerWdth(CmdEngineState& st);
void HandlerTsiz(CmdEngineState& st);
// View commands of the table that this engine carries out.
void HandlerView(CmdEngineState& st);

// Dialog rules. SPIRAL's OK over the spiral keys: 1 when the dialog may
// close (both radii non-zero). ARC: 1 when the segment count is accepted,
// 0 when it was lowered to 1023 and the dialog stays. NEWCELL's rank.
int SpiralSettingsNormalise();
int ArcSegsAccept(int32_t* segs);
int NewCellRank(long n);

// The drawing defaults' text size rule: multiple of 15, 15..9830400.
int32_t TextSizeRound(int32_t s);

#endif
