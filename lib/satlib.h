// The common frame of the satellite programs, the part that needs no window
// system: the program table each satellite declares, the frame state, the
// message shorthands, the abort flag, the progress display seam and the run
// log. The Win32 frame (lib/win/satframe.h) drives it.
#ifndef QUIL_LIB_SATLIB_H
#define QUIL_LIB_SATLIB_H

#include <cstddef>
#include <cstdio>

#include "version.h"

enum {
  SAT_PATH_SIZE = 260,
  SAT_SLOT_SIZE = 256,  // a settings value: 255 characters
  SAT_SLOTS = 40,       // settings keys a program may have (the router has 37)
  SAT_RECENT = 16,      // entries of each run-application list
  SAT_TEXT_SIZE = 1024, // message texts
  SAT_LIST_MAX = 20000, // lines the progress list keeps
};

// Small behaviours in which the library's two editions differ. The editor,
// the extractor, the rule checker and the plotter use the first edition
// (SatEditionEditor), the other satellites the second (SatEditionPlain).
struct SatEdition {
  int hideUnusedButtons;     // MSGBOX hides the buttons a type does not use (else greys them)
  int runnerRestoresFolder;  // RUNNER sets the start folder back after it ends
  int pauseAfterReadError;   // the TLC reader pauses after showing a record error
  int runNeedsApp;           // Run refuses an empty application instead of starting it
};
extern const SatEdition SatEditionEditor;
extern const SatEdition SatEditionPlain;

// A numbered list the settings file keeps as "<key><n>=" lines, n from 0,
// such as font%d=, omit%d=, template%d=, lnam%d= and lnum%d=.
struct SatUsfList {
  const char* key;  // "font" for font0= .. ; null ends a table
  int max;          // entries the storage holds
  int size;         // bytes of one entry
  char* data;       // max * size bytes
};

// A tool bar button: its command id, its text on TOOLBAR1 and its bitmap
// on TOOLBAR2.
struct SatButton {
  int id;
  const char* text;
  const char* bitmap;
};

enum { SAT_ID_HELP = 10, SAT_ID_RUN = 11, SAT_ID_SETUP = 12 };

// Everything that makes one satellite program out of the common frame.
struct SatProgram {
  const char* displayName;  // "QuilFlat": captions, title, settings file, messages
  const char* className;    // display name + "7"
  const char* icon;         // display name in capitals
  const char* accel;        // display name in capitals + "AC"
  const char* helpPage;     // page of the help file
  const char* limitsText;   // Ctrl+A lines after "Version %s %s\n\n", up to two %d
  int limits[2];
  const char* const* keys;  // settings keys, null-terminated, at most SAT_SLOTS
  const char* const* defaults;  // default value per key (null = "")
  SatUsfList* lists;        // extra keyed lists, null or ended by a null key
  // The hooks get the program's state, as given to SatProgramSet.
  void (*setupApply)(void* st, int flag);  // completes and checks the settings
  int (*run)(void* st);     // the work of Go: 1 finished, 0 aborted or failed
  // The closing message of a run: fills text from the run's result.
  void (*closing)(void* st, int result, char* text, size_t size);
  const SatButton* buttons; // Help, Run, Setup, program buttons, Go last
  int buttonCount;
  const SatEdition* edition;
  const char* abortQuestion;  // "Aborting ... OK?" unless a converter words it otherwise
};

// Options the main setup file gives every satellite.
struct SatSetupState {
  double scale = 1000.0;  // database units per physical unit
  char physunit[17] = "um";
  int notips = 0;
  int stdmsgbox = 0;
  int texttoolbar = 0;
  int winemods = 0;
};
extern SatSetupState SatSetup;

// The frame's per-process state.
struct SatFrameState {
  const SatProgram* prog = nullptr;
  void* st = nullptr;  // the program's state, handed to every hook
  char startFolder[SAT_PATH_SIZE] = "";
  char progDrive[3] = "";
  int abortFlag = 0;      // set by ErrorShow, a Yes to the abort question, closing DISPLAY
  int startFail = 0;      // main setup or cell reference file missing
  int running = 0;        // a run is going (DISPLAY exists)
  char slots[SAT_SLOTS][SAT_SLOT_SIZE] = {};
  char recentApp[SAT_RECENT][SAT_PATH_SIZE] = {};
  char recentFile[SAT_RECENT][SAT_PATH_SIZE] = {};
  char curApp[SAT_PATH_SIZE] = "Notepad.exe";
  char curFile[SAT_PATH_SIZE] = "";
  FILE* log = nullptr;
  char logLine[SAT_TEXT_SIZE + 8] = "";
  int listLines = 0;      // lines in the progress list this run
  char shared[SAT_PATH_SIZE] = "";  // text handed back by ANYLIST and the like
  int fullW = 0, fullH = 0;  // full-screen client size, for keeping the window on screen
};
extern SatFrameState SatFrame;

// Installs the program table with the state its hooks are given, and resets
// the frame state and the settings to the table's defaults (also used by
// tests).
void SatProgramSet(const SatProgram* prog, void* st = nullptr);
void SatSetupReset();
const char* SatDisplayName();
const SatEdition& SatEditionGet();

// Slot of the program's key table; "" for a slot out of range.
char* UsfSlot(int i);
// An engine's own table of settings values (count entries of valueSize
// bytes, in the order of the program's keys) from the slots, and back; as
// many as the program table has keys, each cut to fit.
void UsfSlotsToValues(char* values, int valueSize, int count);
void UsfValuesToSlots(const char* values, int valueSize, int count);

// Messages. Each returns the button pressed.
int MsgShow(const char* text, const char* caption, int type);  // own caption
int ErrorShow(const char* text);    // sets the abort flag
int WarningShow(const char* text);
int ProgramShow(const char* text);  // caption: the display name
// A message inside long work, followed by a 20 ms pause.
int MessageBoxPause(const char* text, int captionKind, int type);
int ErrorShowF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
int WarningShowF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Esc polled: asks the abort question, a Yes sets the abort flag; then,
// unless aborted or ms <= 0, a pause of |ms|.
void AbortPoll(int ms);

// Progress dialog seam. The Win32 frame installs the dialog's controls;
// without them status lines go to HostStatus and the list is dropped.
struct SatDisplayOps {
  // A status line (counter 0) or a counter (1) of DISPLAY.
  void (*status)(int id, const char* text, int counter);
  void (*listClear)();
  void (*listAdd)(const char* text);
  int (*exists)();  // DISPLAY and its list are there
};
void SatDisplaySet(const SatDisplayOps* ops);
void StatusShow(int id, const char* text);
// 1 while a DISPLAY dialog shows the run.
int SatDisplayShown();
// A counter of DISPLAY: set without taking the focus or pausing.
void CounterShow(int id, const char* text);

// The run log. LogOpen creates it (0 when it can't), LogClose closes it and
// gives 0 when anything written was lost.
int LogOpen(const char* path);
int LogClose();
void LogPut();
// 0 clear list; 1 list; 2 log; 3 list and log; 4 log and a message.
void LogList(const char* text, int mode);
int LogNote(const char* text);
// "*** <title>  7.0.91  <date>  <time>" and the fixed-pitch note.
void LogHeader(const char* title, const char* date, const char* timeText);
// 1 when a write to the open log failed.
int LogFailed();
// The Go command's work without its windows: clears the abort flag, runs
// the program's run routine, writes and shows the closing message, closes
// the log and the output file. The run's result.
int SatGoRun();
// The two halves of SatGoRun, for a frame that restores its window between.
int SatRunWork();
void SatRunFinish(int result);
// Keeps a saved window rectangle (slots l, t, r, b) on the full screen.
void SatRectFit(int l, int t, int r, int b);

// Today's date "MM/DD/YY" and time "HH:MM:SS".
void SatDateTime(char date[9], char timeText[9]);

#endif
