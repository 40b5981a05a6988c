// The installer program's state and the routines its two files share.
#ifndef QUIL_INSTALLER_WIN_SETUP_H
#define QUIL_INSTALLER_WIN_SETUP_H

#include <windows.h>

#include "setupcore.h"

struct SetupState {
  HINSTANCE inst = nullptr;
  HWND main = nullptr;
  HWND display = nullptr;  // the modeless progress dialog while open
  char caption[64] = "";
  char osText[160] = "Unknown";
  char drive[3] = "c:";
  char quilPath[16] = "";  // X:\Quil7
  char zipsPath[24] = "";  // X:\Quil7\Zips
  char helpPath[24] = "";  // X:\Quil7\Help
  const void* archive = nullptr;
  DWORD archiveSize = 0;
  SetupZipList zips;
  int abort = 0;         // Escape, or a fatal expansion
  int shortcutFail = 0;  // a shortcut failed: later drawing shortcuts are skipped
  int escapeForm = 0;    // the progress dialog takes Escape (zip installation)
  int escPending = 0;    // Escape ended a pause; the walk's next question hears it
  int fileCount = 0;
};
extern SetupState Setup;

void SetupSetDrive(char letter);
void SetupListAdd(const char* text);
void SetupProgressLine(const char* text);
// Pauses ms milliseconds in the PAUSE dialog; a negative ms first sets the
// abort flag when Escape is down.
void SetupPause(int ms);
void SetupError(int code);

// setupshell.cpp: shell folders, shortcuts and help files.
// The named value of the user's shell folders (up to 128 bytes); 0 when a
// key or the value is missing or the value too long.
int SetupShellFolder(const char* name, char* out, size_t size);
// A shell link; the last COM result, negative on failure.
long SetupShortcut(const char* target, const char* link, const char* description, const char* workDir);
// Makers: 1 done, 3 the link failed, 4 no such shell folder.
int SetupStartMenuItem(const char* base);
int SetupDesktopIcon(const char* base);
int SetupFolderIcon(const char* folder, const char* title);
int SetupHelpIcon();
int SetupHelpMenuItem();
void SetupCopyHelp(const char* folder);

#endif
