// Small routines shared by the format converters: names, paths, the output
// file, the abort poll, file-name checks, angles and layer-range texts.
#ifndef QUIL_CONVERTERS_CNVCOMMON_H
#define QUIL_CONVERTERS_CNVCOMMON_H

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "namecheck.h"  // FileNameCheck of the setup dialogs

enum {
  CNV_PATHLEN = 260,  // file paths
  CNV_NAMLEN = 32,    // cell names
};

// Copies name (at most 259 characters) into a static buffer, upper-cased.
const char* PathUpper(const char* name);

// Copies a command-line argument (at most 260 characters, cut) into out
// (outSize bytes) without any double-quote character.
void PathUnquote(const char* arg, char* out, int outSize);

// The command line's file: unquoted, without trailing blanks, into arg
// (argSize bytes). 1 when there is one.
int CnvArgTake(const char* cmdLine, char* arg, int argSize);

// 0 when the current folder holds a cell reference file (any of its three
// names), else 1.
int CrfMissing();

// Opens path for binary writing; null when it can't.
FILE* OutFileOpen(const char* path);

// Brings an angle into -pi..pi.
double AngleWrap(double a);

// Appends the layers set in one 64-bit mask (offset 0, 64, 128 or 192 gives
// its first layer minus one) to text as ranges "a-b " or "a "; text holds
// textSize bytes and is never overrun; appending stops once it passes 1019
// characters.
void LayerSelText(char* text, int textSize, uint64_t mask, int offset);

// One row of the main cell's layer table that the layer-table dialog pages
// through and the selection is built from.
struct CnvLayerRow {
  char name[16];  // 8 characters used; "NONE" when empty
  int word;       // TLC layer in bits 0-8, CNV_LAYER_SELECTED when selected
};
enum { CNV_LAYER_SELECTED = 0x4000, CNV_LAYERS = 256 };

// The converters' abort poll: the host asks the user when Esc is down and
// returns nonzero on a Yes, which sets *abortFlag; unless aborted, a pause
// of ms milliseconds keeps the windows painted.
void CnvAbortPoll(int ms, int* abortFlag);

// The wall clock into *now, unless fixed (a set time kept for byte-exact
// comparisons).
void CnvNow(struct tm* now, int fixed);
// CnvNow, then its "mm/dd/yy" into date and "hh:mm:ss" into clock (each of
// the given size) for the log heads.
void CnvTakeNow(struct tm* now, int fixed, char* date, int dateSize, char* clock, int clockSize);

// A "Y"/"N" setting: upper-cased; 1 when it begins with "Y", else it
// becomes "N" (value holds size bytes).
int CnvYesNo(char* value, int size);

// Closes *f (when open) and forgets it: 0 when a write or the close failed.
int CnvFileClose(FILE** f);
// The end of a run: the closing text (already "Completed ..." or the abort
// text) goes into the log, which is closed; a log that could not be written
// whole turns a completed run into an aborted one. Gives the run's result.
int CnvLogClosing(FILE** log, int converted, char* text, int size);

// The closing message of a run: shown as an error when the outcome equals
// aborted, else as the program's message. Returns the outcome.
int CnvGoShow(int outcome, int aborted, const char* text);

// 1 when the two names are equal without regard to case.
int CnvSameName(const char* a, const char* b);

// Trailing characters outside '!'..'~' removed; cut to n characters when
// n > 0. Returns text.
char* CnvClip(char* text, int n);

// Splits a file path into drive ("C:" or ""), folder (with its trailing
// separator, or ""), name and extension (with its '.', or ""). Each part is
// cut to fit its buffer of CNV_PATHLEN bytes.
void CnvPathSplit(const char* path, char* drive, char* folder, char* name, char* ext);
// "Building <name><ext>" of the map file at ldmPath into text (size
// bytes): the caption of the question about a layer the map lacks.
void CnvLdmCaption(const char* ldmPath, char* text, int size);
// The file-name faults of the setup's files, by their base names.
int CnvFileNamesCheck(const char* const* paths, int count);

#endif
