// Cell save, backups, copy files and the undo and redo stacks: the current
// cell is written whole as a TLC file before a change; Undo and Redo load
// such a file back.
#ifndef QUIL_EDITOR_COMMANDS_UNDO_H
#define QUIL_EDITOR_COMMANDS_UNDO_H

struct CmdEngineState;

enum { BACKUP_SLOTS = 10 };

struct UndoState {
  int noSave = 0;       // System Mode loops: CellSave does nothing
  int askFlag = 0;      // Run and the closing sequence ask before leaving
  int noUndo = 0;       // the last Undo found no file
  int lastTitleForm = 0;  // the busy title form last shown (tests)
};
// Global: the one drawing's undo and redo stacks, shared by the engine and the window.
extern UndoState Undo;

void UndoReset();

// Writes the store as cell's file: 1 nothing to write, 0 written, 1 failed
// (the old file kept; the modified flag stays).
int CellSave(int cell);
// The store as "<name>.tlc": "Loadbkup" in the drawing folder, other names
// in the temp folder. 0 written, 1 not.
int BackupWrite(const char* name, const char* cellName);
// 1 to go on loading the backup, 0 not (kinds 1 ReLoad, 2 Recover, 3 Redo,
// 4 Undo).
int BackupAsk(const char* name, int kind);
// Copies a cell file record by record through "Copybkup.tlc": 1, 2 written
// without records that could not be read (said), 0 failed.
int TlcCopyFile(const char* srcFolder, const char* dstFolder, const char* name);
// One layer operation over a cell file of the drawing folder (kind 1 move a
// to b, 2 copy a onto b, 3 delete a): 1, 0 failed (a file with a record that
// can't be read is left as it was).
int TlcLayerRewrite(int a, int b, const char* name, int kind);

// kind 1 load backup, 2 undo slot 0 in place, 3 redo push, 4 undo push.
// Edits call it with 4 before changing the cell; always (1) takes the
// backup also while a script runs.
void UndoSave(CmdEngineState& st, int kind, int always = 0);
void BackupStackPush(const char* stem);
void BackupStackPop(const char* stem);
// 0 loaded, 1 failed.
int BackupLoad(const char* name);
// 1 restored, 0 not.
int BackupRestore(CmdEngineState& st, int kind);
// Deletes both stacks, the swap file and the copy file.
void BackupFilesDelete();
// The current cell to its own file, then the cell table: 1 done, 0 failed
// (the modified flag stays).
int CellSaveNow();
// 0 when the user cancelled, 1 otherwise. closing: quilrunning= is clear.
int CellSavePrompt(int closing, int endSession);

// The slot file path "<temp><stem><n>" (without ".tlc").
void BackupSlotPath(char* out, int size, const char* stem, int n);

#endif
