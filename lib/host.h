// The one way platform-free code reaches the user. Engines call these; the
// program installs its real dialogs, the tests a recording double.
#ifndef QUIL_LIB_HOST_H
#define QUIL_LIB_HOST_H

#include <cstdio>

// Button sets of a message box (same values as the Win32 MB_ types, which the
// stored settings and the dialogs already use).
enum {
  HOST_OK = 0,
  HOST_OKCANCEL = 1,
  HOST_YESNOCANCEL = 3,
  HOST_YESNO = 4,
};

// Buttons a message box returns (Win32 IDOK.. values).
enum {
  HOST_IDOK = 1,
  HOST_IDCANCEL = 2,
  HOST_IDYES = 6,
  HOST_IDNO = 7,
};

// Which caption a message carries: "Error ...", "Warning ..." or the
// program's display name (or a caption of the caller's own).
enum HostCaptionKind {
  HOST_CAP_ERROR = 0,
  HOST_CAP_WARNING = 1,
  HOST_CAP_PROGRAM = 2,
  HOST_CAP_OWN = 3,
};

struct HostOps {
  // Shows text with the caption; caption is used as given for HOST_CAP_OWN
  // and may be null otherwise. Returns the HOST_ID* button pressed.
  int (*msgbox)(const char* text, const char* caption, int captionKind, int type);
  void (*status)(const char* text);
  void (*progress)(long done, long total);
  // Nonzero when the user asked to stop the current run.
  int (*abortPoll)();
  void (*pause)(int milliseconds);
};

// Installs the program's implementation; null restores the silent default
// (every question answered by its first button, nothing shown).
void HostSet(const HostOps* ops);
// For the engines' command-line drivers: each message one line on out
// ("error: ", "warning: " or "note: " before it), each question answered
// with answer (HOST_IDYES or HOST_IDNO), nothing else shown.
void HostConsoleSet(FILE* out, int answer);

int HostMsgBox(const char* text, const char* caption, int captionKind, int type);
int HostError(const char* text);    // "Error ..." caption, OK
int HostWarning(const char* text);  // "Warning ..." caption, OK
// Yes/No question with the given caption; HOST_IDYES or HOST_IDNO.
int HostAskYesNo(const char* text, const char* caption);
// Yes/No/Cancel question; HOST_IDYES, HOST_IDNO or HOST_IDCANCEL.
int HostAskYesNoCancel(const char* text, const char* caption);
void HostStatus(const char* text);
void HostProgress(long done, long total);
int HostAbortPoll();
void HostPause(int milliseconds);

#endif
