// The command engine's entry points as the shell calls them. This edition
// is a stand-in: it records what reaches it (for the end-to-end tests, when
// QUIL7_TRACE names a file) and carries out only the zoom line that other
// programs send, so that the shell's routes can be driven and observed. The
// engine proper replaces the bodies, keeping these signatures.
#ifndef QUIL_EDITOR_COMMANDS_CMDENGINE_H
#define QUIL_EDITOR_COMMANDS_CMDENGINE_H

#include <cstddef>

// What the engine asks of the shell; the window code installs these.
struct CmdShellHooks {
  void (*redraw)(int kind);                  // RedrawRequest: 0 erase, 1 all
  void (*pane)(int id, const char* text);    // PaneTextSet
};
extern CmdShellHooks CmdShell;

struct CmdEngineState {
  int current = 0;     // index of the command whose handler runs (Get)
  int pending = 0;     // last started point command
  int keyLine = 0;     // a key, tool or other program's line is running
  int scriptRunning = 0;
  int wantsZeroPoint = 0;  // the running command asked X/Y for (0, 0) first
};
extern CmdEngineState CmdEngine;

void CmdEngineReset();

// WM_USER+1: start the command with this table index (ctrl: Ctrl held).
void CmdStart(int index, int ctrl);
// The current command's handler (after a point, Esc, a step back).
void CmdHandlerCall();
// Runs one command line; 1 when it ran, 0 when refused.
int Cmd(const char* line);
// Handler step end (the shell's part of it is the window's).
void CmdDone(int mode);
// The LCELL, SCELL, PKEX/PKEY, INCMOV dialogs of the engine: 0 Cancel.
int CmdAskCellName(char* name, size_t size);
int CmdAskPoint(int axis, double* x, double* y);

#endif
