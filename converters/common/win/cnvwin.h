// What the converter programs share around their engines: the command
// line's file, the settings slots copied to and from the engine, the run and
// its end, the common part of the SETUP dialog and the guards of Go. A
// converter program is then its engine, its tables and its own dialogs.
#ifndef QUIL_CONVERTERS_CNVWIN_H
#define QUIL_CONVERTERS_CNVWIN_H

#include <windows.h>

#include "cnvcommon.h"
#include "satframe.h"

// The engine's setting values: count of them, size bytes each.
struct CnvSlots {
  char* values;
  int size;
  int count;
};

struct CnvBrowse {
  int button, edit;
  const char* filter;
  const char* title;
};

// The count of a table's entries.
template <class T, int N>
constexpr int CnvCount(T (&)[N]) {
  return N;
}

// The SETUP dialog's controls: edit edits[k] holds slot k (an id <= 0 has
// none), check box checks[k] slot firstCheck + k.
struct CnvSetup {
  const int* edits;
  int editCount;
  const int* checks;
  int checkCount;
  int firstCheck;
  const CnvBrowse* browse;
  int browseCount;
};

// A converter program around its engine. The program owns the one and
// hands it to SatWinMain: the frame gives it to every hook below.
struct CnvProgram {
  void* engine;  // the engine's state
  CnvSlots slots;
  // The command line's file goes into argSlot and empties the staleSlots
  // that follow from it.
  int argSlot;
  int staleSlots[2];
  // The engine's completion of the settings (and of its text rows); from a
  // SETUP dialog's OK fromSetup is 1.
  void (*apply)(void* engine, int fromSetup);
  // Optional: after the command line's file was taken.
  void (*argTaken)(void* engine);
  int (*convert)(void* engine);  // the run, with the engine's callbacks set
  // The closing message from the run's result; gives the result kept.
  int (*closing)(void* engine, int result, char* text, int size);
  int keepOpen;  // the result that keeps a command-line run open
  const CnvSetup* setup;
  // DISPLAY's caption: displayTitle with the value of displaySlot; a
  // progress bar progressId (0: none) runs from 0 to 100.
  const char* displayTitle;
  int displaySlot;
  int progressId;
  const char* setupFirst;  // Go's refusal before SETUP (and Layers) ran
  int hasLayers;           // Go also waits for the LAYERS dialog
  int listId;  // the list box of the program's own DISPLAY (CnvDisplayDlgProc)
  // Its question on Cancel and closing; null: "Aborting Conversion ... OK?".
  const char* displayQuestion = nullptr;

  // The program's run state, set by CnvWinStart.
  int setupNotDone = 1;
  int layersNotDone = 0;
  int cmdLineMode = 0;  // a file on the command line asks for one run
  int argPending = 0;   // that file is not in the settings yet
  char arg[CNV_PATHLEN + 1] = "";
};

// At program start: a fresh run state, and the command line's file taken.
void CnvWinStart(CnvProgram* cp, const char* cmdLine);
// The program's start once its engine is wired: CnvWinStart, then the frame
// with cp as the state of every hook.
int CnvWinMain(HINSTANCE instance, const SatWinProgram* win, CnvProgram* cp, const char* cmdLine);

// The callbacks every converter engine has: its message lines go to the
// DISPLAY list and the log, and the frame's abort flag stops it.
void CnvListLine(const char* text);
template <class Engine>
void CnvEngineWire(Engine* st) {
  st->listLine = CnvListLine;
  st->extAbort = &SatFrame.abortFlag;
}

void CnvSlotsToEngine(const CnvProgram* cp);
void CnvEngineToSlots(const CnvProgram* cp);

// The hooks of the program tables; st is the CnvProgram.
void CnvSetupApply(void* st, int flag);
int CnvRun(void* st);
void CnvClosing(void* st, int result, char* text, size_t size);
void CnvDisplayInit(void* st, HWND dialog);
// A converter's own DISPLAY: as the frame's, but Cancel and closing ask in
// the dialog's own words (the Esc poll keeps the converter's older spelling).
INT_PTR CALLBACK CnvDisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
void CnvCreated(void* st);
const char* CnvGoRefused(void* st);

// The SETUP dialog's common messages: the slots shown and taken, Browse,
// OK applying the settings, Cancel. TRUE when the message was handled.
INT_PTR CnvSetupDlg(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
// The SETUP dialog of a program that needs no more than the above.
INT_PTR CALLBACK CnvSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

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
