// Moving, copying and deleting what is selected, the path surgery commands
// (Cut, Join, Vstp, Prev), Orig and Step, with the store routines they
// share: box normalisation, record removal and the vertex compaction that
// keeps the vertex store dense. Platform-free.
#ifndef QUIL_EDITOR_COMMANDS_CMDMOVE_H
#define QUIL_EDITOR_COMMANDS_CMDMOVE_H

#include <cstdint>
#include <vector>

struct CmdEngineState;
struct SelWindow;

// --- store routines -------------------------------------------------------------
// Swaps l and r (with their edge bits) when r < l, then b and t; clears the
// flag bits above the four edge bits (the marked bit).
void BoxNormalise(int32_t box);
// Shift every later record one place down. PathRemove leaves the vertices'
// owner words to VertexSweep.
void BoxRemove(int32_t n);
void PathRemove(int32_t n);
void InstRemove(int32_t n);
// Removes the k vertex records after index first (first + 1 .. first + k),
// lowering every successor and first-vertex index past the gap by k.
void VertexCompact(int32_t first, int32_t k);
// Removes paths of fewer than two vertices and vertices no chain reaches,
// in one pass with a remap of record numbers; every vertex gets its owner's
// number. progress: show the count in the progress pane.
void VertexSweep(int progress);
// Takes the selected vertices out of path p's chain (records stay until
// VertexSweep) and clears the path's selected flag.
void VertexUnlinkSelected(int32_t p);
// Reverses path p's chain in place (Prev, Join).
void PathReverse(int32_t p);

// --- cores ----------------------------------------------------------------------
// What a pass works on: record numbers of the store, in store order.
struct MoveSet {
  std::vector<int32_t> boxes;  // boxes with all four edges selected (copy) or any edge (move)
  std::vector<int32_t> paths;  // selected paths
  std::vector<int32_t> insts;  // selected level-0 instances
};

// The selection as the move core (anyEdge 1) or copy core (0) sees it.
void MoveSetCollect(MoveSet* s, int anyEdge);
// 1 when moving (or copying) the set keeps every coordinate it touches
// within +-2^29 for every x shift of 0 .. (nx - 1) x dx and y shift of
// 0 .. (ny - 1) x dy: nx, ny are the columns and rows of a Step array (2, 2
// for a single move by (dx, dy)).
int MoveSetRangeOk(const MoveSet& s, int copy, int allVertices, int64_t dx, int64_t dy, int64_t nx = 2,
                   int64_t ny = 2);
// The move core over a set: instances (mode 2), selected positive vertices,
// selected box edges (then BoxNormalise). No checks: the caller has made
// them.
void MoveSetApply(CmdEngineState& st, const MoveSet& s, int32_t dx, int32_t dy);
// The copy core over a set: appends displaced copies that take the
// selection; out (may be null) receives the copies' record numbers, the
// next walk's set. allVertices: Ctrl held (every vertex of a path copied).
// 1 done, 0 stopped (capacity or Esc; the copies made so far stay).
int CopySetApply(CmdEngineState& st, const MoveSet& s, int32_t dx, int32_t dy, int allVertices, MoveSet* out);

// Mov's and Cpy's work: the range check, the undo backup, the core. 1 done,
// 0 refused (reported, nothing changed) or a copy pass stopped.
int MoveCore(CmdEngineState& st, int32_t dx, int32_t dy);
int CopyCore(CmdEngineState& st, int32_t dx, int32_t dy, int allVertices);

// The answers of the STEP dialog (and of a Step line): counts Nx, Ny, the
// pitches Dx, Dy in database units and "Step Sequential".
struct StepAnswers {
  int nx = 1, ny = 1;
  int32_t dx = 0, dy = 0;
  int sequential = 0;
};
// Step: an Nx x Ny array of the selection by repeated copies (counts
// clamped to 1..1024, each pitch cut below 2^29 / N). Takes the undo backup
// itself, also in a script. 1 done, 0 refused (reported: nothing selected
// out of range) or stopped by Esc after a row.
int StepCore(CmdEngineState& st, const StepAnswers& a);

// 0 Wmov, 1 Qmov, 2 Cmov over the window w: the range check, the undo
// backup, the window move core; overlap: the double-click rule for Cmov's
// instances. 1 done, 0 refused (reported, nothing changed).
int WindowMoveCore(CmdEngineState& st, int which, const SelWindow& w, int overlap, int32_t dx, int32_t dy);

// Del's work: selected instances, whole boxes and paths' selected vertices
// go (texts whole), then the sweep.
void DeleteCore(CmdEngineState& st);
// Cut's, Join's, Vstp's work: 1 when something changed.
int CutCore(CmdEngineState& st);
int JoinCore(CmdEngineState& st);
int VertexStepCore(int back);
// Reverses every selected non-text path.
void PathsReverseCore();
// Orig: shifts everything by (-x, -y), undo backup first: 1 done, 0
// refused (out of range, nothing changed).
int OrigCore(CmdEngineState& st, int32_t x, int32_t y);

// The last answers of the STEP dialog (its initial values).
struct CmdMoveState {
  StepAnswers stepLast;
};
// Global: the one editor's move-command settings.
extern CmdMoveState CmdMove;

// --- handlers -------------------------------------------------------------------
void HandlerMov(CmdEngineState& st);
void HandlerCpy(CmdEngineState& st);
void HandlerWmov(CmdEngineState& st);  // Wmov, Qmov, Cmov
void HandlerStep(CmdEngineState& st);
void HandlerDel(CmdEngineState& st);
void HandlerCut(CmdEngineState& st);
void HandlerJoin(CmdEngineState& st);
void HandlerVstp(CmdEngineState& st);
void HandlerPrev(CmdEngineState& st);
void HandlerOrig(CmdEngineState& st);

#endif
