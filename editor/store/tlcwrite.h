// The editor's TLC writers: the record writers (new "<B>" form or old "=B"
// form, chosen by writeoldtlc=), the cell writer with its "Save as Script"
// form, the selection writer of Copy, and the missing-cell text.
//
// Every file is written through a scratch file and replaces the old one only
// when every write and the close succeeded.
#ifndef QUIL_EDITOR_STORE_TLCWRITE_H
#define QUIL_EDITOR_STORE_TLCWRITE_H

#include <cstddef>
#include <cstdio>

#include "safewrite.h"
#include "tlcrecord.h"
#include "version.h"

#define TLC_VERSION QUIL_VERSION

struct TlcWriteState {
  SafeWrite out;
  int open;
  int ioError;          // a write failed since the file was opened
  int lastWriteFailed;
  int scriptFlag;       // "Save as Script": the next TlcWriteCell writes a script
  int quiet;            // failures of this write are not said
  int backupFailSaid;   // a failed backup was said: quiet until one is written again
  int scriptCounts[4];  // running numbers: instances, boxes, paths, texts
  double copyDx, copyDy;  // Copy offset in physical units
  char fixedDate[TLC_DATE_MAX + 1];  // when set, used instead of the clock
  char fixedTime[TLC_DATE_MAX + 1];
  size_t used;
  char buf[1 << 16];
};

extern TlcWriteState TlcWrite;

// Closes any open output (dropping it) and clears the state (also for tests).
void TlcWriteReset();

// Date "mm/dd/yy" and time "hh:mm:ss" of writing.
void TlcNow(char date[TLC_DATE_MAX + 1], char time[TLC_DATE_MAX + 1]);
// Tidies a file name in place: drive letter and the first character after
// each backslash upper-cased, a backslash put after a bare "X:".
void TlcPathTidy(char* path);

// Opens "<folder><name>.tlc" for writing and writes the prolog unless the
// old form is set: 1, or 0 with the message.
int TlcCreate(const char* folder, const char* name);
// Opens "<folder><name>.tld" the same way ("Unable to Write %s TLD File").
int TldCreate(const char* folder, const char* name);
// The cell list record of a whole-drawing TLD: every table entry as the cell
// reference list holds it.
void TldWriteCellList();
// Opens "<folder><name>.tlc" for a rewrite line by line: no prolog.
int TlcCreateBare(const char* folder, const char* name);
// Finishes such a file (no closing line added): as TlcFinish.
int TlcFinishBare();
// One line as it stands, and its line end.
void TlcWriteRaw(const char* line);
// Drops the open file unwritten (the old one stays).
void TlcDrop();
// Finishes the open file: 0 when it replaced the old one, 1 when a write
// failed (the old file is kept).
int TlcFinish();

// Record writers: one record from the record buffer TlcRec to the open file.
void TlcWriteHeader();
void TlcWriteLayers();
void TlcWriteCellRec();
void TlcWriteBox();
void TlcWritePath();
void TlcWriteText();
// A text "<<name>>" in place of an instance whose cell is missing, at the
// position of the instance record just read.
void TlcWriteMissing(const char* name);
// The header that precedes it when a whole cell is written as that text.
void TlcWriteMissingHeader(const char* name);

// Writes the current cell from the store to "<stem>.tlc" (or "<stem>.txt"
// as a script): 0 written, 1 not.
int TlcWriteCell(const char* stem, const char* cellName);
// TlcWriteCell for a backup: a failing backup is said once, and not again
// until a backup has been written (each edit takes one: a full disk must not
// cost a message box per edit).
int TlcWriteBackup(const char* stem, const char* cellName);
// Writes the selected objects as cell cellName (appended when it exists):
// 0 written, 1 not.
int CopyWrite(const char* cellName);

#endif
