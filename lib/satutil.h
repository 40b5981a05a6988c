// Line reading, path tidying and file opening shared by the satellites.
#ifndef QUIL_LIB_SATUTIL_H
#define QUIL_LIB_SATUTIL_H

#include <cstddef>
#include <cstdio>

// Reads one line (at most n - 1 characters; the rest of a longer line is
// skipped) and copies it to buffer without its leading blanks and tabs.
// Null at end of file or on a read error (ferror tells which).
char* fGetLine(char* buffer, int n, FILE* stream);
// Removes trailing characters outside '!'..'~'; then cuts to n when n > 0.
char* strclip(char* text, int n);
// fclose when open: 0 on success, EOF when the close failed; 1 for null.
int closefile(FILE* stream);

// Tidied copy in a static buffer: lower case, first character and every
// character after a backslash upper case, "X:" followed by a backslash.
// A path that would not fit 260 characters gives "" (PathTooLong is then 1).
const char* PathFix(const char* path);
int PathTooLong();
// Same into the caller's buffer: 0 when it does not fit.
int PathFixTo(char* out, size_t size, const char* path);
// Appends a backslash unless empty or already there; 0 when it does not fit.
int PathSlash(char* path, size_t size);
// Unix form for Wine mode, in a static buffer.
const char* PathToUnix(const char* path);
// Full form of a folder name (the current folder for ""), ending with a
// separator, in a static buffer.
const char* PathFull(const char* name);
// 1 when the two names are different folders.
int PathDiffer(const char* a, const char* b);
// Drive "X:" of the program's path from its command line: 1 and the drive,
// or 0 and "".
int ProgDriveFrom(const char* cmdline, char drive[3]);
// The command line of RunProgram: the program quoted when it holds a blank,
// one blank, the argument. 0 when the program is empty or it does not fit.
int RunCommandLine(char* out, size_t size, const char* program, const char* argument);

// snprintf that reports a cut: 1 when the whole text fit, else 0 (and "").
int SatFormat(char* out, size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// Compares without regard to case (ASCII).
int SatStricmp(const char* a, const char* b);

// Opens a file named in the system's own form (drive letters, backslashes).
// Off Windows the backslashes become slashes, a drive is dropped and names
// are matched without regard to case, as the programs expect.
FILE* SatOpen(const char* path, const char* mode);
// Creates one folder: 0 made, 1 it exists already, 2 invalid (a part of the
// path is missing or the name is bad), 3 the folder it goes in can't be
// written (read-only drawing or no permission).
enum { SAT_MKDIR_MADE = 0, SAT_MKDIR_THERE = 1, SAT_MKDIR_INVALID = 2, SAT_MKDIR_DENIED = 3 };
int SatMkdir(const char* path);
// The path SatOpen would open, for writers that open files themselves
// (through a scratch file, for instance); 0 when it does not fit.
int SatHostPathTo(char* out, size_t size, const char* path);
int SatRemove(const char* path);
// Puts a complete scratch file in the place of path (lib/safewrite.h); on
// failure the scratch is removed and path kept. 1 when replaced.
int SatReplace(const char* scratch, const char* path);
// Size of a file in bytes, -1 when it can't be had.
long long SatFileSize(const char* path);
// Copies a file whole: 1 done, 0 failed.
int SatCopyFile(const char* from, const char* to);

#endif
