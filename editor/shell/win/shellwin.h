// The Win32 side of the editor's shell: the program-wide window state and
// the routines the start-up, the main window procedure and the panels share.
#ifndef QUIL_EDITOR_SHELL_WIN_SHELLWIN_H
#define QUIL_EDITOR_SHELL_WIN_SHELLWIN_H

#include <windows.h>

#include "shellutil.h"

enum {
  WM_CMDSTART = WM_USER + 1,
  WM_CMDRESUME = WM_USER + 3,
  WM_CMDBACK = WM_USER + 4,
  WM_CMDPOINT = WM_USER + 6,
  WM_REDRAW = WM_USER + 7,
  WM_RELAYOUT = WM_USER + 8,
};

enum { ID_DRAW = 31, ID_LOAD = 19, ID_SWAP = 2019, TOOL_BITMAP_COUNT = 22 };

struct ShellWinState {
  HINSTANCE inst = nullptr;
  HWND main = nullptr;
  HDC dc = nullptr;
  HACCEL accel = nullptr;

  // Panels.
  HWND toolStrip = nullptr, toolFill = nullptr, bottom = nullptr;
  HWND fillSide = nullptr, fillGap = nullptr, fillBottom = nullptr;
  HWND panel[2] = {nullptr, nullptr};  // "Menu 1", "Menu 2"
  int panelSwapped = 0;                // 1 while "Menu 2" is shown
  HBITMAP toolBmp[TOOL_BITMAP_COUNT] = {};
  int toolWidths[4] = {0, 0, 0, 0};
  int panelHeights[6] = {0, 0, 0, 0, 0, 0};
  int toolClass = 0, panelLayout = 0;
  int panelWidth = 80, lineHeight = 16, charWidth = 7;
  int toolHeight = 0, bottomHeight = 0;
  int measuring = 0;  // panels built only to measure them
  int measured = 0;   // the strip and panel sizes are known

  // Screen metrics.
  int cxFull = 800, cyFull = 600, cxScreen = 800, cyScreen = 600;
  int cyCaption = 20, cyMenu = 20, cxEdge = 2, cyEdge = 2;

  // Folders and names.
  char progFolder[SHELL_PATH_SIZE] = "";
  char progDrive[3] = "";
  char drawFolder[SHELL_PATH_SIZE] = "";
  char sysDrive[3] = "";
  char tempFolder[SHELL_PATH_SIZE] = "";
  char tempParent[SHELL_PATH_SIZE] = "";
  // This editor's folder in the system's temp folder, for a swap file the
  // drawing's own folder can't take; made only when used.
  char spareFolder[SHELL_PATH_SIZE] = "";
  char spareParent[SHELL_PATH_SIZE] = "";
  char cellToOpen[SHELL_PATH_SIZE] = "";
  char winVersion[128] = "";

  // Settings read from the drawing's setup.
  int wineMode = 0, stdMsgBox = 0, noTogDraw = 0, lockFrame = 0, textToolbar = 0;
  int cntrTools = 0, leftCmdMenu = 0, screenMode = 0, flashSave = 0, autoOrganize = 0;
  WinRect rect = {0, 0, 0, 0};

  // Run state.
  HANDLE runMutex = nullptr;
  int mutexExisted = 0;
  int errorFlag = 0;
  int endSession = 0, closing = 0, shutdownDone = 0;
  int started = 0;           // the drawing is loaded and the editor owns it
  int noRedraw = 0, redrawKind = 0, redrawing = 0, fullDraw = 0;
  int modalDepth = 0;        // modal dialogs or message boxes open
  int crossHair = 0, crossShown = 0, markShown = 0, sysCursorShown = 1;
  int shiftKept = 0;
  int doubleClick = 0;
  int askFlag = 0;
  int cmdAbort = 0, drawAbort = 0;  // Esc seen; cleared when the next command starts
  POINT cursor = {0, 0}, markAt = {0, 0};
  int countBoxes = 0, countPaths = 0, countTexts = 0, countCells = 0;  // last redraw
  char cmdLine[SHELL_LINE_SIZE] = "";
  HBITMAP markBmp = nullptr;
  HDC markDc = nullptr;
  HPEN dotPen = nullptr;
};

extern ShellWinState Sw;

// Message boxes and the pause (the editor's editions).
int MsgBoxShow(HWND owner, const char* text, const char* caption, int type);
int MsgBoxWait(HWND owner, const char* text, const char* caption, int type);
int ErrorShow(const char* text);
int WarningShow(const char* text);
int WarningAsk(const char* text);
int PauseShow(int milliseconds);
void EditorHostInstall();

// Start-up dialogs.
int StartupDlgRun(char* folder, size_t folderSize, char* cell, size_t cellSize, const char* message);
HWND LogoShow();
// The RUNNER dialog; on Run the chosen application starts with the file.
int RunnerRun();
// The POLAR dialog: the angle of polar mode, or polar mode off (Cancel).
void PolarAsk();

// Layout and panels.
void MainLayout();
void ToolStripCreate();
void CmdPanelsCreate(int measure);
void PanelHeightsMeasure();
void ToolWidthsMeasure();
void PanelSwap();
void TogglePanelSync();
void PaneTextSet(int id, const char* text);
void TitleShow(int kind);
void ToolBitmapsFree();

// Feedback on the drawing area.
void CursorClear();
void CursorShowSys(int on);
void CursorMarkMove(int x, int y);
void CrossLinesToggle();
void RubberDraw();
void RubberMove();
void RubberShow(int on);
void MarkerAt(int px, int py);

// Main window.
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// 0 when a close is given up because the cell could not be saved.
int MainShutdown();
void ToggleRefresh();
int KeyCtrlHeld();
int KeyAltHeld();
int KeyF1Held();
int KeyShiftHeld();
// The command's and the drawing's abort flags, else Esc down (which sets it).
int KeyEscAbort();
int DrawEscAbort();

#endif
