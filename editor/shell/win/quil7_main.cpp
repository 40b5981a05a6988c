// The editor's program entry and main window.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "host_win.h"

namespace {

const char kClassName[] = "QUIL7";
const char kTitle[] = "Quil 7.0.91";
const char kCmdLog[] = "QuilCmd.log";

// One command-line buffer serves typed lines, F-key lines and lines other
// programs hand over: 79 characters and the terminator.
enum { CMDLINE_SIZE = 80 };

struct EditorState {
  HWND mainWindow = nullptr;
  char cmdLine[CMDLINE_SIZE] = "";
};
EditorState Editor;

void CmdLogPut(const char* line) {
  FILE* f = fopen(kCmdLog, "at");
  if (!f) return;
  fprintf(f, "%s\n", line);
  fclose(f);
}

// A line that does not fit the buffer is refused whole: running a cut line
// could run a different command than the sender meant.
void CopyDataReceive(const COPYDATASTRUCT* cds) {
  if (!cds || !cds->lpData || cds->cbData == 0) return;
  const char* data = static_cast<const char*>(cds->lpData);
  size_t len = strnlen(data, cds->cbData);
  if (len > CMDLINE_SIZE - 1) {
    char note[64];
    snprintf(note, sizeof note, "refused: %u characters", (unsigned)len);
    CmdLogPut(note);
    return;
  }
  memcpy(Editor.cmdLine, data, len);
  Editor.cmdLine[len] = '\0';
  char note[CMDLINE_SIZE + 16];
  snprintf(note, sizeof note, "command: %s", Editor.cmdLine);
  CmdLogPut(note);
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COPYDATA:
      CopyDataReceive(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = sizeof icc;
  icc.dwICC = 0xFF;
  InitCommonControlsEx(&icc);

  WNDCLASSA wc = {};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return 0;

  Editor.mainWindow = CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, kTitle, 0x02CF0000,
                                      CW_USEDEFAULT, CW_USEDEFAULT, 800, 600, nullptr, nullptr,
                                      instance, nullptr);
  if (!Editor.mainWindow) return 0;
  HostWinInstall(Editor.mainWindow, "Quil7");
  ShowWindow(Editor.mainWindow, SW_SHOW);
  UpdateWindow(Editor.mainWindow);

  HACCEL accel = LoadAcceleratorsA(instance, "QUILACC");
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (accel && TranslateAcceleratorA(Editor.mainWindow, accel, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
