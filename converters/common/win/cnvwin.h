// What the converter programs share around their engines: the command
// line's file, the settings slots copied to and from the engine, the end of
// a run, and the common part of the SETUP dialog. A converter program is
// then its engine, its tables and its own dialogs.
#ifndef QUIL_CONVERTERS_CNVWIN_H
#define QUIL_CONVERTERS_CNVWIN_H

#include <windows.h>

#include "cnvcommon.h"

struct CnvWinState {
  int setupNotDone;
  int cmdLineMode;  // a file on the command line asks for one run
  int argPending;   // that file is not in the settings yet
  char arg[CNV_PATHLEN + 1];
  int lastResult;
};
// The program's one: the frame calls the hooks that use it without a context.
extern CnvWinState CnvWin;

// The engine's setting values: count of them, size bytes each.
struct CnvSlots {
  char* values;
  int size;
  int count;
};

// At program start: a fresh state with the result aborted, and the command
// line's file taken.
void CnvWinStart(const char* cmdLine, int aborted);

void CnvSlotsToEngine(const CnvSlots* slots);
void CnvEngineToSlots(const CnvSlots* slots);

// A command-line file still pending goes into file (size bytes); the values
// it makes stale are emptied and the setup counts as done. 1 when there was
// one.
int CnvArgApply(char* file, int size, char* const* stale, int staleCount);

// The end of a run: its result kept; after a command-line run the program
// closes, unless the result is keepOpen (the user must look at something).
void CnvWinClosing(int result, int keepOpen);

struct CnvBrowse {
  int button, edit;
  const char* filter;
  const char* title;
};

struct CnvSetup {
  const int* edits;
  int editCount;
  const int* checks;
  int checkCount;
  int firstCheck;  // settings slot of the first check box
  const CnvBrowse* browse;
  int browseCount;
  void (*apply)(int flag);  // the program's completion of the settings
};

// The SETUP dialog's common messages: the slots shown and taken, Browse,
// OK applying the settings, Cancel. TRUE when the message was handled.
INT_PTR CnvSetupDlg(HWND dialog, UINT msg, WPARAM wParam, const CnvSetup* setup);

// The question about a layer the map lacks, in the program's "LDM" dialog:
// its caption built from the map's name, the question in textId, and up to
// two number fields filled with values. HOST_IDYES with the values read
// back, HOST_IDNO (the layer as it is) or HOST_IDCANCEL (the run ends).
struct CnvLdmAsk {
  const char* ldmPath;
  int textId;
  char text[120];
  int fieldIds[2];
  int values[2];
  int fieldCount;
};
int CnvLdmAskShow(CnvLdmAsk* ask);

#endif
