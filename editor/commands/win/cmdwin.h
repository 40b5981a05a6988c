// The command engine's Win32 side: its dialogs installed as the engine's
// hooks on the main window.
#ifndef QUIL_EDITOR_COMMANDS_WIN_CMDWIN_H
#define QUIL_EDITOR_COMMANDS_WIN_CMDWIN_H

#include <windows.h>

// A command dialog over the main window, counted as modal so the window's
// own handling waits: the dialog's result, 0 when it could not be shown.
int CmdDlgModal(const char* tmpl, DLGPROC proc, LPARAM param);
// Cancel and closing end every command dialog with 0 (CMD_DLG_CANCEL): 1
// when msg was one of them.
int CmdDlgCancel(HWND dlg, UINT msg, WPARAM wParam);

// Installs the dialogs and the posting of WM_USER+3/+4 (after WM_CREATE set
// Sw.main).
void CmdWinInstall();
// The view and setting commands' dialogs (part of CmdWinInstall).
void CmdDialogsInstall();
// STEP over the counts and pitches of s (shown, then taken): 1 OK.
struct StepAnswers;
int StepDialogRun(StepAnswers* s);
// CNFG over the drawing configuration: 1 OK (stored), 0 Cancel.
int CnfgDialogRun();
// SCALE over scale= and physunit=: 1 OK (stored), 0 Cancel.
int ScaleDialogRun();

#endif
