// The editor's program entry: start-up in a drawing folder, the drawing
// load, the message loop, and the shutdown that undoes the start-up.
#include <windows.h>
#include <commctrl.h>
#include <direct.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cmdengine.h"
#include "editorcmd.h"
#include "drawres.h"
#include "pending.h"
#include "mainsetup.h"
#include "redraw.h"
#include "shellwin.h"
#include "store.h"
#include "swap.h"
#include "trace.h"
#include "view.h"

ShellWinState Sw;
CmdEngineState EditorCmd;

namespace {

const char kClassName[] = "QUIL7";

const char kStartMessage[] =
    "The default folder does not exist or it does not contain a drawing.\nThe Quil Editor and its "
    "utilities must run in a Drawing Folder\n\n1. Browse to a Drawing Folder and click a TLC file to "
    "load that cell.\n2. Click OK to run in that Drawing Folder, or Cancel to exit\n\nTo create a new "
    "Drawing Folder add its name as a subfolder to the current folder and click New.";

int IsDrawingFolder() {
  static const char* const kNames[] = {"QUIL7.CRF", "CELLS7.DBD", "CELLS6.DBD"};
  for (const char* n : kNames) {
    FILE* f = fopen(n, "r");
    if (f) {
      fclose(f);
      return 1;
    }
  }
  return 0;
}

void ScreenMetricsInit() {
  Sw.cxFull = GetSystemMetrics(SM_CXFULLSCREEN);
  Sw.cyFull = GetSystemMetrics(SM_CYFULLSCREEN);
  Sw.cxScreen = GetSystemMetrics(SM_CXSCREEN);
  Sw.cyScreen = GetSystemMetrics(SM_CYSCREEN);
  Sw.cyCaption = GetSystemMetrics(SM_CYCAPTION);
  Sw.cyMenu = GetSystemMetrics(SM_CYMENU);
  Sw.cxEdge = GetSystemMetrics(SM_CXEDGE);
  Sw.cyEdge = GetSystemMetrics(SM_CYEDGE);
  Sw.toolClass = ToolClassOfScreen(Sw.cxFull);
  HDC dc = GetDC(nullptr);
  TEXTMETRICA tm;
  if (dc && GetTextMetricsA(dc, &tm)) {
    Sw.lineHeight = tm.tmHeight;
    Sw.charWidth = tm.tmAveCharWidth;
    Sw.panelWidth = 13 * tm.tmAveCharWidth;
  }
  if (dc) ReleaseDC(nullptr, dc);
}

void VersionText() {
  OSVERSIONINFOA v = {};
  v.dwOSVersionInfoSize = sizeof v;
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
  BOOL ok = GetVersionExA(&v);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  if (!ok) {
    snprintf(Sw.winVersion, sizeof Sw.winVersion, "Unknown Windows Version");
    return;
  }
  SystemVersionText(Sw.winVersion, sizeof Sw.winVersion, v.dwPlatformId == VER_PLATFORM_WIN32_NT,
                    (int)v.dwMajorVersion, (int)v.dwMinorVersion, v.szCSDVersion);
}

// The program folder comes from the module's own file name: the first
// blank-separated word of the command line breaks on install paths with
// blanks.
void ProgramFolderFind() {
  char module[SHELL_PATH_SIZE] = "";
  GetModuleFileNameA(nullptr, module, sizeof module);
  ModuleFolder(Sw.progFolder, sizeof Sw.progFolder, module);
  if (module[0] && module[1] == ':') snprintf(Sw.progDrive, sizeof Sw.progDrive, "%c:", module[0]);
}

// The folder as the file system knows it, links followed, so that two
// editors reaching one drawing by different ways share one name; the path
// as given when it can't be resolved.
void FolderResolve(char* out, size_t size, const char* folder) {
  snprintf(out, size, "%s", folder);
  HANDLE h = CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  char path[SHELL_PATH_SIZE];
  DWORD n = GetFinalPathNameByHandleA(h, path, sizeof path, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  CloseHandle(h);
  if (n == 0 || n >= sizeof path) return;
  // The long-path prefix is not part of the folder's name.
  const char* p = strncmp(path, "\\\\?\\", 4) == 0 ? path + 4 : path;
  snprintf(out, size, "%s", p);
}

int RunMutexCreate() {
  char name[64], folder[SHELL_PATH_SIZE];
  FolderResolve(folder, sizeof folder, Sw.drawFolder);
  RunMutexName(name, sizeof name, folder);
  if (Sw.runMutex) return Sw.mutexExisted;
  Sw.runMutex = CreateMutexA(nullptr, TRUE, name);
  Sw.mutexExisted = GetLastError() == ERROR_ALREADY_EXISTS;
  return Sw.mutexExisted;
}

int DrawingInUseCheck() {
  // A stale quilrunning= alone (an editor that did not close) does not
  // refuse; the mutex of this drawing tells whether an editor runs on it.
  if (RunMutexCreate() && SetupQuilRunning()) {
    MsgBoxShow(Sw.main, "You are Running More than One Instance of QUIL on the Same Drawing",
               "Same Drawing", MB_ICONHAND);
    return 0;
  }
  SetupQuilRunningSet(1);
  DrawingSetupWrite();
  return 1;
}

int DrawingLoad() {
  if (!DrawingCrfRead() && !DrawingCrfWriteEmpty()) {
    ErrorShow("Unable to Write QUIL7.CRF File ... Unknown Reason");
    return 0;
  }
  if (!DrawingSetupRead() && !DrawingSetupWrite()) {
    ErrorShow("Unable to Write QUIL7.USF File ... Unknown Reason");
    return 0;
  }
  if (!DrawingInUseCheck()) return 0;
  DrawingObjKindSet();
  DrawingTffRead();
  return 1;
}

int TempFolderCreate() {
  if (!Sw.tempFolder[0]) return 0;
  _mkdir(Sw.tempParent);  // shared parent; may exist already
  char dir[SHELL_PATH_SIZE];
  DirNoSlash(dir, sizeof dir, Sw.tempFolder);
  if (_mkdir(dir) == 0) return 1;
  if (errno == EEXIST) {
    WarningShow("Old Temp Folder Exists ... Files will be Overwritten");
    return 1;
  }
  // Without a temp folder of its own the editor keeps its files in the
  // drawing folder, as it does without flashsave=.
  WarningShow("Unable to Create Temp Folder ... Unknown Reason");
  Sw.tempFolder[0] = '\0';
  return 0;
}

int TempFolderRemove() {
  if (!Sw.tempFolder[0]) return 1;
  SwapFileDelete();
  char dir[SHELL_PATH_SIZE];
  DirNoSlash(dir, sizeof dir, Sw.tempFolder);
  if (_rmdir(dir) != 0 && errno == ENOTEMPTY) {
    WarningShow("Temp Folder Not Empty\n\nDelete Files Manually");
    return 0;
  }
  _rmdir(Sw.tempParent);  // only when no other editor uses it
  return 1;
}

// The spare folder lies in the system's temp folder, named per editor like
// the temp folder, so that editors on read-only drawings keep apart.
void SpareFolderName() {
  char sys[SHELL_PATH_SIZE] = "";
  DWORD n = GetTempPathA(sizeof sys, sys);
  if (n == 0 || n >= sizeof sys) return;
  char base[SHELL_PATH_SIZE];
  DirNoSlash(base, sizeof base, sys);
  TempFolderName(Sw.spareFolder, sizeof Sw.spareFolder, Sw.spareParent, sizeof Sw.spareParent, base,
                 (unsigned)GetCurrentProcessId());
  snprintf(Store.spareFolder, sizeof Store.spareFolder, "%s", Sw.spareFolder);
}

// Takes away what the spare folder got: only a swap file, made on demand.
void SpareFolderRemove() {
  if (!Sw.spareFolder[0]) return;
  SwapSpareDelete();
  char dir[SHELL_PATH_SIZE];
  DirNoSlash(dir, sizeof dir, Sw.spareFolder);
  _rmdir(dir);
  _rmdir(Sw.spareParent);  // only when no other editor uses it
}

void WindowRectSave() {
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(Sw.main, &wp)) return;
  if (wp.showCmd == SW_SHOWNORMAL) {
    RECT r;
    GetWindowRect(Sw.main, &r);
    MainSetup.screenleft = r.left;
    MainSetup.screentop = r.top;
    MainSetup.screenright = r.right;
    MainSetup.screenbottom = r.bottom;
    MainSetup.screenmode = 1;
  } else {
    MainSetup.screenmode = 0;
  }
}

// The shell's switches from the drawing's setup.
void SettingsPull() {
  Sw.wineMode = MainSetup.winemods;
  Sw.stdMsgBox = MainSetup.stdmsgbox;
  Sw.noTogDraw = MainSetup.notogdraw;
  Sw.lockFrame = MainSetup.lockframe;
  Sw.textToolbar = MainSetup.texttoolbar;
  Sw.cntrTools = MainSetup.cntrtools;
  Sw.leftCmdMenu = MainSetup.leftcmdmenu;
  Sw.screenMode = MainSetup.screenmode;
  Sw.flashSave = MainSetup.flashsave;
  Sw.autoOrganize = MainSetup.autoorganize;
  ViewFromSetup();
  ViewOfRank(0);
}

void Hints() {
  int cells = DrawingCellCount(), layers = DrawingLayerCount();
  if (cells == 0 && layers > 0)
    MsgBoxShow(Sw.main,
               "There are no cells but some layers are defined.\n\nUse the Import command to copy cells "
               "and their layers into this drawing from another similar drawing,\nor create new "
               "cells.\n\nAdd any additional layers with the Cnfg command Layers Editor. Set the check "
               "boxes in View and\nOpen to make the layers visible and editable.\n\nCreate cells with "
               "the Load command. Select a layer with the Layr command and a box, poly/path or\ncell "
               "object with the Obj command. Draw or insert objects using the Add command.\n\nFor more "
               "information read Quil7 Help.",
               "No Cells", MB_OK);
  else if (cells == 0)
    MsgBoxShow(Sw.main,
               "The drawing is empty. There are no cells and there are no layers defined.\n\nUse the "
               "Import command to copy cells and their layers into this drawing from another "
               "similar\ndrawing, or use the Cnfg command Layers Editor to define layers, and then "
               "create new cells.\n\nLayers should should appear in the View and Open commands. Set "
               "the check boxes in View\nand Open to make those layers visible and editable.\n\nCreate "
               "new cells with the Load command. Select a layer with the Layr command and a box,\npath "
               "or cell object with the Obj command. Draw or insert objects using the Add "
               "command.\n\nFor more information read Quil7 Help.",
               "Empty Drawing", MB_OK);
  else if (layers == 0)
    MsgBoxShow(Sw.main,
               "There are some cells but there are no layers defined. You will not be able to see the "
               "cells.\n\nUse the Import command to copy cells and their layers into this drawing from "
               "another similar\ndrawing, or use the Cnfg command Layers Editor to define "
               "layers.\n\nLayers should should appear in the View and Open commands.Set the check "
               "boxes in View\nand Open to make those layers visible and editable.\n\nFor more "
               "information read Quil7 Help.",
               "No Layers", MB_OK);
}

// The STARTUP loop: returns 0 when the user gave up.
int DrawingFolderLoop() {
  while (!IsDrawingFolder()) {
    char folder[256] = "", cell[256] = "";
    int r = StartupDlgRun(folder, sizeof folder, cell, sizeof cell, kStartMessage);
    if (r == 0) return 0;
    if (r == 1) {
      if (folder[0] && !SetCurrentDirectoryA(folder)) {
        ErrorShow("Unable to Change Folder ... Unknown Reason");
        continue;
      }
      char upper[SHELL_PATH_SIZE];
      ArgCellSplit(cell, upper, 0, Sw.cellToOpen, sizeof Sw.cellToOpen);
      (void)upper;
      if (IsDrawingFolder()) continue;
      char cur[SHELL_PATH_SIZE] = "", text[SHELL_PATH_SIZE + 200];
      GetCurrentDirectoryA(sizeof cur, cur);
      snprintf(text, sizeof text,
               "%s is not a Drawing Folder\n\nMake it into an EMPTY Drawing Folder ?\n\nCreate new "
               "cells or use Import to add cells from other drawings",
               cur);
      if (MsgBoxShow(Sw.main, text, "Drawing Folder ?", MB_YESNO) == IDYES) {
        if (DrawingCrfWriteEmpty())
          MsgBoxShow(Sw.main, "Empty Cell Reference File was Written\n\nFolder is now a Drawing Folder",
                     "New Drawing Folder", MB_OK);
        else
          ErrorShow("Unable to Write QUIL7.CRF File ... Unknown Reason");
      }
      continue;
    }
    // New: make the typed folder and enter it.
    if (_mkdir(folder) != 0) {
      if (errno == EEXIST) {
        ErrorShow("Folder already Exists");
        continue;
      }
      if (errno == ENOENT) {
        ErrorShow("Unable to Create Folder ... Unknown Reason");
        continue;
      }
    }
    if (!SetCurrentDirectoryA(folder)) {
      ErrorShow("Unable to Change Folder ... Unknown Reason");
      continue;
    }
  }
  return 1;
}

void ResourcesFree() {
  ToolBitmapsFree();
  if (Sw.markDc) DeleteDC(Sw.markDc);
  if (Sw.markBmp) DeleteObject(Sw.markBmp);
  Sw.markDc = nullptr;
  Sw.markBmp = nullptr;
  Sw.dotPen = nullptr;  // one of the drawing resources
  DrawResourcesFree();
}

}  // namespace

int MainShutdown() {
  if (Sw.shutdownDone) return 1;
  Sw.shutdownDone = 1;
  // An editor refused or stopped before it owned the drawing leaves the
  // drawing's files alone.
  if (Sw.started) {
    SetupQuilRunningSet(0);
    WindowRectSave();
    ViewToRank(Cell.rank);
    snprintf(MainSetup.cellname, sizeof MainSetup.cellname, "%s", Cell.name);
    Sw.closing = 1;
    if (!CellSavePrompt(1, Sw.endSession) && !Sw.endSession) {
      // The edit exists only in memory: the editor stays, still running.
      Sw.closing = 0;
      Sw.shutdownDone = 0;
      SetupQuilRunningSet(1);
      TitleShow(0);
      return 0;
    }
    if (Sw.autoOrganize) OrganizeUnattended();
    StoreFreeAll();
    BackupFilesDelete();
    TempFolderRemove();
    SpareFolderRemove();
    DrawingSetupWrite();
    ShellTrace("shutdown");
  }
  CursorShowSys(1);
  SetCursor(LoadCursor(nullptr, IDC_ARROW));
  PostQuitMessage(0);
  return 1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  const DWORD startTick = GetTickCount();
  Sw.inst = instance;
  INITCOMMONCONTROLSEX icc;
  icc.dwSize = 8;
  icc.dwICC = 0xFF;
  InitCommonControlsEx(&icc);
  VersionText();
  ProgramFolderFind();

  ScreenMetricsInit();
  ViewReset();
  EditorHostInstall();
  EditorDefaultsSet(Sw.progFolder);
  MainSetupReadEarly();
  Sw.rect = {MainSetup.screenleft, MainSetup.screentop, MainSetup.screenright, MainSetup.screenbottom};
  Sw.screenMode = MainSetup.screenmode;
  Sw.lockFrame = MainSetup.lockframe;
  Sw.textToolbar = MainSetup.texttoolbar;
  Sw.wineMode = MainSetup.winemods;

  WinRect r = Sw.rect;
  WindowRectSanitize(&r, Sw.cxFull, Sw.cyFull, Sw.cyCaption);
  Sw.rect = r;

  WNDCLASSA wc = {};
  wc.style = 0x0B;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "QUIL1");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  wc.lpszClassName = kClassName;
  if (!RegisterClassA(&wc)) return 0;
  Sw.accel = LoadAcceleratorsA(instance, "QUILACC");

  char folder[SHELL_PATH_SIZE] = "";
  if (ArgCellSplit(cmdLine, folder, sizeof folder, Sw.cellToOpen, sizeof Sw.cellToOpen) && folder[0]) {
    if (!SetCurrentDirectoryA(folder)) {
      ErrorShow("Unable to Change Folder ... Unknown Reason");
      return 0;
    }
  }

  DWORD style = Sw.lockFrame ? 0x02CB0000 : 0x02CF0000;
  Sw.main = CreateWindowExA(WS_EX_CLIENTEDGE, kClassName, kProgramTitle, style, Sw.rect.left, Sw.rect.top,
                            Sw.rect.right - Sw.rect.left, Sw.rect.bottom - Sw.rect.top, nullptr, nullptr,
                            instance, nullptr);
  if (!Sw.main) return 0;
  EditorHostInstall();

  if (!DrawingFolderLoop()) {
    PostMessageA(Sw.main, WM_CLOSE, 0, 0);
    return 0;
  }
  GetCurrentDirectoryA(sizeof Sw.drawFolder, Sw.drawFolder);

  ShellTrace("folder %lu ms", (unsigned long)(GetTickCount() - startTick));
  HWND logo = LogoShow();
  PauseShow(1000);
  // A close that arrived during a modal wait has ended the editor already.
  if (Sw.shutdownDone) return 0;

  if (!DrawingLoad()) {
    if (logo) DestroyWindow(logo);
    PostMessageA(Sw.main, WM_CLOSE, 0, 0);
    return 0;
  }
  Sw.started = 1;
  ShellTrace("loaded %lu ms", (unsigned long)(GetTickCount() - startTick));
  SettingsPull();
  if (!Sw.cellToOpen[0]) {
    snprintf(Sw.cellToOpen, sizeof Sw.cellToOpen, "%s", MainSetup.cellname);
    for (char* p = Sw.cellToOpen; *p; ++p) *p = (char)toupper((unsigned char)*p);
  }
  DrawingCrfCheckFiles();
  View.togs &= ~(0x8u | 0x200u);
  ToolWidthsMeasure();
  PanelHeightsMeasure();
  ShellTrace("measured %lu ms", (unsigned long)(GetTickCount() - startTick));
  char windows[SHELL_PATH_SIZE] = "";
  GetWindowsDirectoryA(windows, sizeof windows);
  SystemDriveOf(Sw.sysDrive, sizeof Sw.sysDrive, windows);
  if (Sw.flashSave)
    TempFolderName(Sw.tempFolder, sizeof Sw.tempFolder, Sw.tempParent, sizeof Sw.tempParent, Sw.sysDrive,
                   (unsigned)GetCurrentProcessId());
  if (logo) DestroyWindow(logo);
  ShowWindow(Sw.main, Sw.screenMode ? SW_SHOW : SW_MAXIMIZE);
  // A window shown at its saved size gets no WM_SIZE: lay it out here.
  if (!Sw.toolStrip) SendMessageA(Sw.main, WM_RELAYOUT, 0, 0);
  UpdateWindow(Sw.main);
  SetFocus(Sw.main);
  TogglePanelSync();
  TitleShow(0);

  ShellTrace("shown %lu ms", (unsigned long)(GetTickCount() - startTick));
  Hints();
  if (Sw.shutdownDone) {
    ResourcesFree();
    return 0;
  }
  TempFolderCreate();
  snprintf(Store.tempFolder, sizeof Store.tempFolder, "%s", Sw.tempFolder);
  SpareFolderName();
  if (Sw.cellToOpen[0] && !DrawingCellExists(Sw.cellToOpen)) Sw.cellToOpen[0] = '\0';
  PostMessageA(Sw.main, WM_COMMAND, ID_LOAD, 0);

  DrawResourcesCreate(Sw.dc);
  Sw.dotPen = DrawRes.dotPen;
  ShellTrace("ready %s", Sw.drawFolder);
  ShellTrace("loop %lu ms", (unsigned long)(GetTickCount() - startTick));

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (Sw.accel && TranslateAcceleratorA(Sw.main, Sw.accel, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ResourcesFree();
  if (Sw.runMutex) CloseHandle(Sw.runMutex);
  return static_cast<int>(msg.wParam);
}
