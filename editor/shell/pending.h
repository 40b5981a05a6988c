// The drawing as the start-up, the main window and the shutdown reach it:
// the cell table and the store behind thin calls, loading a cell by name,
// and stand-ins for the undo files, System Mode, Import and Export until
// their modules land (the signatures are the ones the shell keeps).
#ifndef QUIL_EDITOR_SHELL_PENDING_H
#define QUIL_EDITOR_SHELL_PENDING_H

#include <cstddef>

enum { RECALL_MAX = 9 };

struct CurrentCell {
  char name[40] = "";  // as written in the cell table; empty: no cell
  int rank = 0;
  int number = 0;
  int boxes = 0, paths = 0, texts = 0, cells = 0;  // paths without the texts
  long vertices = 0;
  int modified = 0;
  char recall[RECALL_MAX][40] = {};  // most recently loaded first
};
// Global: the cell being edited, shared by every part of the editor.
extern CurrentCell Cell;

// Takes equal entries out of the recall list and puts name in front.
void RecallPush(const char* name);
// Counts of the current cell from the store.
void CellCountsUpdate();

// Drawing load pieces. Results as the store gives them: 1 success.
int DrawingCrfRead();        // QUIL7.CRF into the cell table
int DrawingCrfWriteEmpty();  // an empty cell reference list
int DrawingSetupRead();      // QUIL7.USF
int DrawingSetupWrite();
int DrawingTffRead();
void DrawingObjKindSet();
int DrawingCrfCheckFiles();
int DrawingCellCount();
int DrawingLayerCount();
int DrawingCellExists(const char* name);
// The built-in defaults before any setup file is read (the font list is
// formed with the program folder).
void EditorDefaultsSet(const char* programFolder);
// The view's settings from the setup, and the view of a rank (its width,
// centre and working grid); the view kept back into the rank's keys.
void ViewFromSetup();
void ViewOfRank(int rank);
void ViewToRank(int rank);
int ObjKind();   // kind that Add makes: 1 box, 2 path, 3 cell
// quilrunning= of the setup (in memory).
int SetupQuilRunning();
void SetupQuilRunningSet(int on);
// F-key lines of the setup (fkey%d=): count and line i (1..11).
int SetupFKeyCount();
const char* SetupFKeyLine(int i);

// Cell loading and saving.
int CellLoadByName(const char* name);  // 1 loaded, 0 not (message shown)
void CellNoneSet();
int CellSavePrompt(int closing, int endSession);  // 0 when the user cancelled

// Undo and redo files; System Mode, Import, Export and Organize are the
// program's (the window's dialogs before the engines).
void BackupFilesDelete();
int SystemModeRun();
int ImportRun();
int ExportRun(const char* cellName);
void OrganizeUnattended();

#endif
