#include "host_win.h"

#include <cstdio>

#include "host.h"

namespace {

struct HostWinState {
  HWND owner = nullptr;
  char displayName[64] = "Quil";
};
HostWinState HostWin;

int WinMsgBox(const char* text, const char* caption, int kind, int type) {
  const char* cap = HostWin.displayName;
  UINT icon = MB_ICONINFORMATION;
  switch (kind) {
    case HOST_CAP_ERROR: cap = "Error ..."; icon = MB_ICONERROR; break;
    case HOST_CAP_WARNING: cap = "Warning ..."; icon = MB_ICONWARNING; break;
    case HOST_CAP_OWN: if (caption) cap = caption; icon = MB_ICONQUESTION; break;
    default: break;
  }
  if (type == HOST_OK && kind == HOST_CAP_OWN) icon = MB_ICONINFORMATION;
  return MessageBoxA(HostWin.owner, text, cap, (UINT)type | icon);
}

void WinStatus(const char*) {}
void WinProgress(long, long) {}

int WinAbortPoll() {
  if (GetAsyncKeyState(VK_ESCAPE) & 0x8000) {
    return WinMsgBox("Aborting ... OK?", HostWin.displayName, HOST_CAP_OWN, HOST_YESNO) == HOST_IDYES;
  }
  return 0;
}

void WinPause(int ms) {
  // Keep the windows painting while a long run waits.
  DWORD end = GetTickCount() + (DWORD)(ms < 0 ? 0 : ms);
  MSG msg;
  do {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(1);
  } while ((int)(end - GetTickCount()) > 0);
}

const HostOps kWinOps = {WinMsgBox, WinStatus, WinProgress, WinAbortPoll, WinPause};

}  // namespace

void HostWinInstall(HWND owner, const char* displayName) {
  HostWin.owner = owner;
  if (displayName) snprintf(HostWin.displayName, sizeof HostWin.displayName, "%s", displayName);
  HostSet(&kWinOps);
}

void HostWinSetOwner(HWND owner) { HostWin.owner = owner; }
