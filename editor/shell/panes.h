// The texts of the status panes, the window title in its normal and busy
// forms, the progress text, the selection counts and the current cell's
// extent: what command completion writes after every step.
#ifndef QUIL_EDITOR_SHELL_PANES_H
#define QUIL_EDITOR_SHELL_PANES_H

#include <cstddef>
#include <cstdint>

struct SelCounts {
  int32_t boxes, paths, texts, vertices, cells;           // selected
  int32_t allBoxes, allPaths, allTexts, allVertices, allCells;  // the cell's
};

// Counts the selection and the totals of the store's current objects.
void SelCountsCalc(SelCounts* c);

// Pane 602: " Active: ..." while anything is selected, else the totals.
void PaneCountsText(char* out, size_t size, const SelCounts& c);

// Pane 604. rankWindow: the rank window is restricted (rank mode).
struct PaneDepthIn {
  int top, bot, rankLimit, rankWindow, vplusoshow;
  const char* viewText;    // "1-256" while the view override is on
  const char* openText;
  const char* activeText;  // view + open
};
void PaneDepthText(char* out, size_t size, const PaneDepthIn& in);

// Pane 603: grids and the object that Add (or Text) makes.
struct PaneGridIn {
  int gridShown;
  double wgrid, dgrid, scale;  // grids in database units
  const char* unit;
  int textMode;                // mode bit 0x80: Text
  int objKind;                 // 1 box, 2 path, 3 cell
  const char* cellName;
  const char* layerName;       // "NONE" for a number without a row
  int layer;
  double pwidth;               // database units
  const char* tlayerName;
  int tlayer;
  double twidth;
};
void PaneGridText(char* out, size_t size, const PaneGridIn& in);

// The main window title. Kind 0 with a cell, kind 0 without (name empty),
// kinds 1..11 the busy forms; eipParent non-empty gives the edit-in-place
// form. folder is the drawing folder as the user sees it.
void TitleText(char* out, size_t size, int kind, const char* name, int rank, const char* folder,
               int notSaved, const char* eipParent);
// The drawing folder in its tidy form: lower case, capitals at the drive
// letter and after each backslash.
void FolderTidy(char* out, size_t size, const char* folder);

// Pane 602 during long work; 0 (nothing written) when total is 0.
int ProgressText(char* out, size_t size, const char* text, int64_t done, int64_t total);

// Extents of the current cell: (-1, -1, 1, 1) for an empty cell; a zero
// width or height grows to 2.
void CellExtentCalc(int32_t ext[4]);

// The name of layer n from the layer table (its first row of that number),
// or "NONE".
const char* LyrName(int n);

// --- information texts ------------------------------------------------------
// Lines of the information lists go to add (the SHOWLIST list box, or a
// test's record).
typedef void (*InfoAddFn)(void* ctx, const char* line);

// "%s (%d)" name and rank of cell i; with k not 0 " #%d" follows.
void CellInfoLabel(char* out, size_t size, int i, int k);
// " X=%.*g  Y=%.*g  O=%-d": position (physical units) and orientation of
// level k of the instance stack.
void LevelPosText(char* out, size_t size, int k);
// "Objects:  %-d Cells  %-d Boxes   %-d Paths (%-ld Vtx)" of the store.
void ObjectsText(char* out, size_t size);
// "Outline:  L=.. B=.. R=.. T=.." of the current cell's table entry.
void OutlineText(char* out, size_t size);
// "Rank %d Cells:" then " %*d  %s" for each cell of rank r placed in the
// current cell (level 0), with its number of instances.
void RankCellsList(int r, InfoAddFn add, void* ctx);
// "%c %s=%.*g": '*' when the box's edge bit of field f (1 left, 2 bottom,
// 3 right, 4 top) is set; the field's value in physical units.
void BoxFieldLine(int f, int32_t box, const char* name, InfoAddFn add, void* ctx);
// The per-layer counts of boxes, paths and texts of the store.
void LayerCountsList(InfoAddFn add, void* ctx);

// The view and open layer sets kept for a rank (0..24) put into the layer
// table's row flags and rebuilt as the drawing's sets.
void RankLayerSetsApply(int rank);

#endif
