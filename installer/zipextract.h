// The installer's walk over a ZIP file's local headers: every member is
// checked (name, method, flags, sizes) before anything is written, decoded
// into a scratch file beside its place, and moved into place only after its
// CRC-32 and length were found right. The central directory is never read
// and no folders are made: the installer's archives are packed flat.
#ifndef QUIL_INSTALLER_ZIPEXTRACT_H
#define QUIL_INSTALLER_ZIPEXTRACT_H

#include <cstddef>

// Overall results, the largest met wins.
enum {
  ZIP_OK = 0,
  ZIP_DAMAGED = 1,  // a member was damaged or refused, or its time not set
  ZIP_FATAL = 2,    // a file could not be opened or written, or no memory
};

// What one run of ZipExtract needs from its caller.
struct ZipRun {
  int pauseMs = 0;     // pause after each member found right (0: none)
  int escapeTest = 0;  // before each pause, ask the host whether to stop
  int abort = 0;       // set by that question; the walk ends after the member
};

// The seams to the platform: each may be null.
struct ZipHooks {
  // One line of the installer's file list ("... OK").
  void (*listAdd)(const char* line);
  // Gives the file the member's DOS date and time; 1 when done.
  int (*setTime)(const char* path, unsigned dosDate, unsigned dosTime);
};

// Installs the hooks (null: none); the previous ones are dropped.
void ZipSetHooks(const ZipHooks* hooks);

// Expands every member of zipPath into target (a folder name ending with a
// backslash). Messages go through the host seam.
int ZipExtract(const char* zipPath, const char* target, ZipRun* run);

// 1 when a member name may become a file in the target folder: a plain
// file name, no folder part, drive, device or name Windows would alter.
// Otherwise 0, and why in *why: 1 a folder part, 2 a name not allowed.
int ZipNameSafe(const char* name, size_t len, int* why);

#endif
