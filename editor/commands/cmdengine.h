// The command engine: the dispatcher of the command table (start, point,
// restart, step back, view commands interrupting and resuming a command),
// the command-line language and the line runner, and the handlers of the
// selection and adding commands. Platform-free: it reaches the window only
// through CmdShell and the user through the host seam.
//
// The window's messages map to calls:
//   WM_USER+1 (index)  -> CmdStart(st, index, ctrl)
//   WM_USER+3          -> CmdRestart(st)
//   WM_USER+4          -> CmdStepBack(st)
//   WM_USER+6 (x, y)   -> CmdPoint(st, x, y)
//   double click       -> CmdDoubleClick(st)
//   Esc                -> CmdAbortSet() then CmdHandlerCall(st)
// The engine asks for WM_USER+3 and WM_USER+4 through CmdShell.post; without
// a window they wait in a queue that CmdPump runs.
#ifndef QUIL_EDITOR_COMMANDS_CMDENGINE_H
#define QUIL_EDITOR_COMMANDS_CMDENGINE_H

#include <cstddef>
#include <cstdint>

#include "view.h"

struct StepAnswers;

enum {
  CMD_POST_RESTART = 3,  // WM_USER+3
  CMD_POST_BACK = 4,     // WM_USER+4
  CMD_LINE_SIZE = 80,    // a command line: 79 characters and the NUL
  CMD_SCRIPT_PATH = 260,
  CMD_TEXT_MAX = 64,     // characters of a text
  CMD_COORD_LIMIT = 536870912,  // 2^29 database units
};

// Results of the CMD dialog.
enum { CMD_DLG_CANCEL = 0, CMD_DLG_LINE = 1, CMD_DLG_SCRIPT = 2 };

// What the engine asks of the shell; the window code installs these. Every
// hook may be left null: the engine then does without (no redraw, no pane)
// or, for a dialog, takes it as cancelled.
struct CmdShellHooks {
  void (*redraw)(int kind);                // RedrawRequest: 0 erase, 1 all
  void (*pane)(int id, const char* text);  // PaneTextSet
  // Asks for WM_USER+3 or +4 after the current message; null: the engine's
  // own queue (CmdPump).
  void (*post)(int what);
  // The shell's part of a handler step's end (panes, title, cursor).
  void (*done)(int mode);
  int (*shiftHeld)();
  int (*ctrlHeld)();
  // Long passes: ProgressShow in pane 602 and the Esc poll (1 stop).
  void (*progress)(const char* text, long done, long total);
  int (*escPoll)();
  // CMD dialog: fills line (typed) or file (script); CMD_DLG_*.
  int (*cmdDialog)(char* line, size_t lineSize, char* file, size_t fileSize);
  // TEXT dialog: text holds the initial text; 1 OK, 0 Cancel.
  int (*textDialog)(char* text, size_t size);
  // ARC dialog over arcsegs= and arcdir=: 1 OK, 0 Cancel.
  int (*arcDialog)();
  // SPIRAL dialog over the spiral keys (values normalised): 1 OK, 0 Cancel.
  int (*spiralDialog)();
  // ANYLIST "Available Objects": "B", "P" or a cell name; 1 chosen, 0 not.
  int (*objectList)(char* out, size_t size);
  // NOCELL dialog: a cell name; 1 OK, 0 Cancel.
  int (*nocellDialog)(char* out, size_t size);
  // LYRTABLE, WDTH and TSIZ for the dialog forms of Layr/Tlyr, Wdth, Tsiz:
  // 1 with the value, 0 cancelled.
  int (*layerDialog)(int initial, int* layer);
  int (*widthDialog)(int32_t initial, int32_t* width);
  int (*sizeDialog)(int32_t initial, int32_t* size);
  // LCELL: a cell name to load; 1 OK. SCELL: 0 Cancel, 1 the current
  // cell (script set for "Save as Script"), 2 a new cell of that name.
  int (*loadDialog)(char* name, size_t size);
  int (*saveDialog)(char* name, size_t size, int* script);
  // PKEY/PKEX (axis 0/1) and INCMOV (axis 3): physical units; 1 OK.
  int (*pointDialog)(int axis, double* x, double* y);
  // STEP: a holds the last answers; 1 OK with the new ones, 0 Cancel.
  int (*stepDialog)(StepAnswers* a);

  // The view and setting commands' dialogs. LYRTABLE over the row flags of
  // the rank's view (kind 0) or open (kind 1) set: 1 done. ATTR: 1 OK.
  int (*layerTable)(int kind, int rank);
  int (*attrDialog)();
  // SWIN for saving (restore 0) or restoring (1): the slot 1..9, 0 Cancel.
  int (*swinDialog)(int restore);
  // DPTH over the depth and rank settings: 0 Cancel, 1 Apply, 2 Last.
  int (*depthDialog)();
  // WDGRD for the working (display 0) or display grid: the text typed,
  // 1 OK, 0 Cancel.
  int (*gridDialog)(int display, int32_t initial, char* text, size_t size);
  // Display grid n drawn over the drawing as it stands.
  void (*gridDraw)(int n);
  // CNFG's buttons: EDLIST over the layers (0), F-key lines (1), font
  // files (2) or the resistance table (3); COLORS. 1 OK.
  int (*listEditor)(int kind);
  int (*colorsDialog)();
};
// Global: the one window installs the hooks once at its creation.
extern CmdShellHooks CmdShell;

// The per-command state that CmdStateSave keeps while a view command runs.
struct CmdState {
  ViewPoint slot[5];
  int step;
  int pointMode;
  int32_t dx, dy;
  int current;
  int mode;
  uint32_t togs;
  int keyLine;
  int doubleClick;
};

// The engine's run state. The program owns one and hands it to every entry
// point; a test or a benchmark makes its own (a new object is a fresh start).
struct CmdEngineState {
  int current = 0;     // index of the command whose handler runs (Get)
  int pending = 0;     // last started point command
  int mode = 0;        // mode word of the current command
  int pointMode = 0;   // 2: the first two points are a window's corners
  int32_t dx = 0, dy = 0;  // point 2 minus point 1, or 4 minus 3
  int doubleClick = 0;     // point 2 came from a double click
  int stateSaved = 0;
  CmdState saved{};

  int keyLine = 0;     // a key, tool or other program's line is running
  int typedLine = 0;   // a line typed in the CMD dialog is running
  int scriptRunning = 0;
  int scriptStop = 0;  // a handler asked the script to stop after this line
  int cmdRunning = 0;  // a command line or script runs (undo per line)
  int lineBackupTaken = 0;  // the running line's one undo backup is taken
  int wantsZeroPoint = 0;   // the running command asked X/Y for (0, 0) first
  int abort = 0;            // Esc or a cancelled dialog

  // The rest of the running line after the command's coordinates, for the
  // handlers that take arguments from a line.
  char lineArgs[CMD_LINE_SIZE] = "";
  int lineArgCount = 0;     // numbers read from the line

  // Object kind of Add: 1 box, 2 path, 3 instance of objCell.
  int objKind = 0;          // 0: not yet taken from objname=
  int objCell = 0;

  // Posted messages waiting (no window): CMD_POST_*.
  int queue[16];
  int queued = 0;
  int queueDropped = 0;

  // The last typed point of PKEY/PKEX (physical units).
  double lastTypedX = 0, lastTypedY = 0;

  int ldrwLayer = 1;  // the layer Ldrw offered and drew last
};

// --- dispatch -------------------------------------------------------------
void CmdStart(CmdEngineState& st, int index, int ctrl);
// 1 when this edition carries out the command (the others refuse).
int CmdImplemented(int index);
// Says that the command can't be carried out in this edition (a line or a
// script is stopped, a button only told in the prompt pane).
void CmdNotAvailable(CmdEngineState& st, int index);
void CmdPoint(CmdEngineState& st, int32_t x, int32_t y);
void CmdDoubleClick(CmdEngineState& st);
void CmdRestart(CmdEngineState& st);
void CmdStepBack(CmdEngineState& st);
// The current command's handler (after a point, Esc, a step back).
void CmdHandlerCall(CmdEngineState& st);
// Handler step end: the shell's part, then restart or resume by the mode.
void CmdDone(CmdEngineState& st, int mode);
// Runs the posted messages that wait in the engine's own queue (no window);
// the number run. Stops after limit messages.
int CmdPump(CmdEngineState& st, int limit = 1000);
// " %s  (Pt.%d)" into pane 600; flag 1 shows a Shift-held twin's name.
void CmdPrompt(CmdEngineState& st, int flag);
// Guards: 1 (reported) when the edit must not run.
int CmdGuardVisible(CmdEngineState& st);
int CmdGuardCells(CmdEngineState& st);
void ScriptAbort(CmdEngineState& st);
void RedrawRequest(int kind);
void CmdStateSave(CmdEngineState& st);
void CmdStateRestore(CmdEngineState& st);

// --- command lines ---------------------------------------------------------
// Parses and runs one line (at most CMD_LINE_SIZE - 1 characters) under the
// current flags: 1 run or skipped, 0 refused (reported).
int CmdLineRun(CmdEngineState& st, const char* line);
// A key line (F-key, navigation key, WM_COPYDATA, INCMOV): key-line rules.
int CmdKeyLine(CmdEngineState& st, const char* line);
// A typed line (what the CMD dialog hands back).
int CmdTypedLine(CmdEngineState& st, const char* line);
// Runs a script file; 1 when it ran to its end, 0 when it stopped early or
// did not open.
int CmdScriptRun(CmdEngineState& st, const char* path);
// Cmd(st, line) runs line as a key line when the key-line flag is set, else
// as a typed line (the rule checker's and other programs' lines).
int Cmd(CmdEngineState& st, const char* line);
// The handler of Cmd: the CMD dialog, then the line typed or the script
// chosen.
void CmdRun(CmdEngineState& st);
// The fixed line of a navigation accelerator id (40043..40050), or null.
const char* CmdNavLine(int id);
// F-key id 1400..1410: runs its line as a key line; 0 when none is defined.
int CmdFKey(CmdEngineState& st, int id);
// Y and X keys (axis 0 PKEY, 1 PKEX): asks for a point and sends it.
void CmdTypedPoint(CmdEngineState& st, int axis);
// Ctrl+Mov: the INCMOV dialog's displacement as "MOV 0 0 dx dy".
void CmdIncMove(CmdEngineState& st);

// Physical units to database units as lines and dialogs convert them:
// RoundNear(v x scale); 0 for a non-finite value or one beyond +-2^29.
int CmdCoordConvert(double v, double scale, int32_t* out);

// The Save button: SCELL, then the cell (or its script, or a new cell of
// another name) written. 1 written.
int CmdSave();

// The stand-in names that the shell calls.
int CmdAskCellName(char* name, size_t size);
int CmdAskPoint(int axis, double* x, double* y);

#endif
