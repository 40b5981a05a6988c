// Win32 side of the host seam. Until a program brings its own dialogs the
// plain system message box serves.
#ifndef QUIL_LIB_WIN_HOST_WIN_H
#define QUIL_LIB_WIN_HOST_WIN_H

#include <windows.h>

// Installs the Win32 host for a program: owner window of its messages and the
// display name used as the program caption.
void HostWinInstall(HWND owner, const char* displayName);
void HostWinSetOwner(HWND owner);

#endif
