// Run control of the circuit extractor: abort and out-of-memory flags, the
// counted errors of a run, the compile log and the status lines. Everything
// reaches the user through the host seam.
#ifndef QUIL_CIRCUIT_CKT_RUN_H
#define QUIL_CIRCUIT_CKT_RUN_H

#include <cstdint>
#include <cstdio>

#include "qfile.h"
#include "version.h"

namespace ckt {

struct CktState;

#define CKT_DISPLAY_NAME "QuilCkt"
#define CKT_VERSION QUIL_VERSION
#define CKT_VERSION2 QUIL_VERSION_TAG

struct CktRun {
  int abortFlag;
  int oomFlag;
  int warnCount;
  int errCount;
  QFile log;            // compile log, empty when none is open
  int pollEverySecond;  // the program polls at most once a second; tests every time
  int64_t lastPollSecond;
  double scale;         // database units per physical unit (QUIL7.USF)
  char physUnit[17];
  int noTips, stdMsgBox, textToolbar, wineMods;
  char cellName[36];    // cell being compiled, for the messages
  // Lines given to LogList, kept so that the program's list box and the
  // tests can see them; the log keeps getting lines after the cap.
  int listCount;
  // The program's message list; without one list lines go to the status.
  void (*listAdd)(const char* text);
  void (*listClear)();
  void (*status2)(const char* text);  // the second status line, when shown apart
};


// Back to the start state (closes the log); for tests and program start.
void CktRunReset(CktState& st);

// Starts a run: clears counts and flags (abort, out of memory).
void CktRunBegin(CktState& st);

// Counted error: the counter grows, the log gets "\nERROR ... %s\n" and the
// user is asked "Abort Compile ?" (fatal: OK only, abort flag set). Returns
// 1 when the run is to stop.
int ErrorCount(CktState& st, const char* text, int fatal);

// Warning of a run: the warning counter and "\nWARNING ... %s\n" in the log.
void WarningCount(CktState& st, const char* text);

// Message output: mode 0 clears the list, 1 adds to it, 3 adds and writes
// "%s\n" to the log, 2 log only, 4 "\n%s\n\n" to the log and shown with the
// program's caption. The list is capped at 20,000 lines; the log never is.
void LogList(CktState& st, const char* text, int mode);

// "\n%s\n\n" to the log and the text shown with the program's caption.
void ErrLogBox(CktState& st, const char* text);

// Writes text to the open log (nothing without one).
void LogPut(CktState& st, const char* text);

// Status lines; with poll the abort poll runs and its result is returned.
int StatusLine(CktState& st, const char* text, int poll);
int StatusLine2(CktState& st, const char* text, int poll);

// Asks the host whether Escape was pressed; a confirmed abort sets the abort
// flag. Pauses |ms|. Returns nonzero when the run is to stop.
int AbortPoll(CktState& st, int ms);

// Nonzero when the abort or the out-of-memory flag is set.
int CktStopped(CktState& st);

}  // namespace ckt

#endif
