// The MSGBOX and PAUSE dialogs bound to no program: the satellite frame and
// the editor each bind them to their own instance, main window, options and
// metrics.
#ifndef QUIL_LIB_WIN_MSGBOX_H
#define QUIL_LIB_WIN_MSGBOX_H

#include <windows.h>

// How one program shows its boxes.
struct MsgBoxBinding {
  HINSTANCE inst;
  HWND main;              // owner of the MSGBOX dialog, whoever asked
  int plain;              // the system message box serves (stdmsgbox= or Wine mode)
  int charW, charH;       // screen font metrics of the sizing
  int edgeW;
  int hideUnused;         // buttons a type does not use are hidden, else greyed
  // The editor's box: its text reaches the window's width less two edges
  // (else the client's width), and only a greyed Cancel is refused (else
  // every greyed or hidden button).
  int editorBox;
};

// MessageBoxA(owner, ...) with the full type when plain boxes are on, else
// MSGBOX with type & 7; a null text or caption shows "Error ...". The button
// pressed, -1 when the dialog could not be shown.
int MsgBoxRun(const MsgBoxBinding& b, HWND owner, const char* text, const char* caption, UINT type);

// The PAUSE dialog for ms milliseconds: 0 when the time ran out, 1 on Esc,
// -1 when it could not be shown.
int PauseRun(HINSTANCE inst, HWND owner, int ms);

#endif
