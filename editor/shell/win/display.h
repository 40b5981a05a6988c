// The drawing area of the main window: the current cell drawn through the
// renderer onto the window's device context.
#ifndef QUIL_EDITOR_SHELL_WIN_DISPLAY_H
#define QUIL_EDITOR_SHELL_WIN_DISPLAY_H

#include <windows.h>

// The Esc poll and the 500 ms timer of the redraw.
void DisplayInit(HWND main);
// A full redraw of the drawing area on dc: background, the cell with its
// hierarchy, grid and origin marker. kind 3 is the print-resolution preview.
void DisplayDraw(HDC dc, int kind);

// The selected boxes and paths drawn again in the selection colour, over
// what is on the screen (command completion after a selection).
void DisplaySelectedDraw(HDC dc);

// Panes 602 (counts of the selection or of the cell) and 604 (depth window
// and layer sets), as command completion leaves them.
// Display grid n (0 custom, 1..10 presets) over the drawing as it stands.
void DisplayGridDraw(HDC dc, int n);
void DisplayPanesUpdate();

// The busy cursor (IDC_APPSTARTING) on, or the arrow.
void CursorBusy(int on);
// Busy cursor, the busy title form kind with name, then half a second.
void BusyTitle(int kind, const char* name);
// Pane 602 during long work; nothing when total is 0.
void ProgressShow(const char* text, long done, long total);

#endif
