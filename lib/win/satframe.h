// The Win32 frame of every satellite program: start-up, main window, tool
// bar, Help/Run/Setup/Go with their guards, the common dialogs (MSGBOX,
// PAUSE, RUNNER, ANYLIST) and the DISPLAY pattern. A program declares a
// SatWinProgram around its SatProgram table and calls SatWinMain.
#ifndef QUIL_LIB_WIN_SATFRAME_H
#define QUIL_LIB_WIN_SATFRAME_H

#include <windows.h>
#include <commdlg.h>

#include "host.h"
#include "satlib.h"

struct SatWinProgram {
  const SatProgram* prog;
  // The program's SETUP and DISPLAY dialogs (null: SatDisplayProc); both
  // get the program's state as WM_INITDIALOG's lParam.
  DLGPROC setupProc;
  DLGPROC displayProc;
  // These hooks get the program's state, as given to SatWinMain.
  void (*displayInit)(void* st, HWND dialog);  // caption and the like, on WM_INITDIALOG
  // Program buttons, asked before the frame's Setup and Go: 1 when handled.
  int (*command)(void* st, HWND main, int id);
  // Optional. created: after the main window read its settings, unless the
  // start failed. goRefused: the message shown instead of Go while the
  // program is not ready for a run, null when Go may go.
  void (*created)(void* st);
  const char* (*goRefused)(void* st);
  // Optional, for the programs that carry more than the common frame (the
  // rule checker, the extractor); null keeps the frame's own way.
  const HostOps* host = nullptr;  // the program's message seam instead of the frame's
  // After the main setup file was read, before the window is made: the
  // start-up failure flag and SatWin.goAtStart may be set here.
  void (*started)() = nullptr;
  int (*crfRead)() = nullptr;  // the start-up check of the cell reference file: 1 missing
  // The program's own settings file, read at creation and written with the
  // window rectangle at close, instead of the settings slots.
  void (*settingsRead)() = nullptr;
  void (*settingsSave)(HWND main) = nullptr;
  void (*placed)(HWND main) = nullptr;  // after the tool bar placed the window, before it shows
  // First look at a main window message: 1 when handled (the result is 0).
  int (*message)(HWND main, UINT msg, WPARAM wParam, LPARAM lParam) = nullptr;
  int (*busy)() = nullptr;  // commands are ignored while it gives 1; null: while DISPLAY exists
  // WM_CLOSE or WM_DESTROY during a run: 1 when refused (a program may ask
  // its close question here); null: refused while DISPLAY exists and the
  // abort flag is clear.
  int (*closeRefused)(HWND main, UINT msg) = nullptr;
  // The modeless dialogs that see the messages first, in order, ended by a
  // null; null: DISPLAY alone.
  HWND* const* dialogs = nullptr;
  void (*ended)() = nullptr;  // after the message loop
};

struct SatWinState {
  HINSTANCE inst = nullptr;
  const SatWinProgram* win = nullptr;
  HWND main = nullptr, toolbar = nullptr, display = nullptr, displayList = nullptr, runner = nullptr;
  HACCEL accel = nullptr;
  HBITMAP bitmaps[16] = {};
  char title[128] = "";
  // Metrics
  int capH = 0, menuBtnW = 0, menuBtnH = 0, capBtnW = 0, capBtnH = 0, menuH = 0;
  int frameW = 0, frameH = 0, fullW = 0, fullH = 0, screenW = 0, screenH = 0, edgeW = 0, edgeH = 0;
  int charW = 8, charMaxW = 8, charH = 16;
  char cmdLine[2 * SAT_PATH_SIZE + 8] = "";
  int goAtStart = 0;  // a command line asked for a run: Go once the window shows
};
extern SatWinState SatWin;

// Runs the program; st is its state, which the frame hands to every hook of
// its tables.
int SatWinMain(HINSTANCE instance, const SatWinProgram* win, void* st);
// Closes the main window once the closing message and the progress dialog
// are gone: a command line that asked for one run ends the program after it.
void SatCloseAfterRun();
// Saves the settings and ends the message loop at once, the window left as
// it is (a close asked for during a run, once the run is over).
void SatMainQuit();

// The owner of a question asked during a run: the progress dialog while it
// is up, else the main window.
HWND SatOwner();
// Cancel and closing end a modal dialog with 0: 1 when msg was one of them.
int SatDlgCancel(HWND dialog, UINT msg, WPARAM wParam);

void WinMetricsInit();
int ProgDrive();
int RunProgram(const char* program, const char* argument);
void ToolbarPlace();
INT_PTR CALLBACK ToolbarProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

int MsgBoxShow(HWND owner, const char* text, const char* caption, UINT type);
int PauseShow(HWND owner, int ms);
void FileSelInit(OPENFILENAMEA* ofn, char* file);
// The open dialog for a SETUP edit: the chosen file goes into control edit.
// 1 when a file was chosen.
int SatBrowse(HWND dialog, int edit, const char* filter, const char* title);
// A SETUP dialog's controls and the settings slots: edit edits[k] holds
// slot k (an id <= 0 has none), check box checks[k] slot firstCheck + k as
// "Y" or "N". Show fills the controls, Take the slots.
void SatSlotsShow(HWND dialog, const int* edits, int editCount, const int* checks, int checkCount, int firstCheck);
void SatSlotsTake(HWND dialog, const int* edits, int editCount, const int* checks, int checkCount, int firstCheck);
INT_PTR CALLBACK RunnerProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AnyListProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SatDisplayProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

#endif
