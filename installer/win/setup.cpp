// SETUP.EXE: installs the system from the archive it carries. A hidden main
// window drives the dialogs through two private messages: WM_USER+1 installs
// the system (drive, folders, archive, program files, help and its
// shortcuts), WM_USER+2 the zips the user picks (drawings, help pages).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "host.h"
#include "msgbox.h"
#include "satutil.h"
#include "setup.h"
#include "setupcore.h"
#include "setupres.h"
#include "version.h"
#include "zipextract.h"

SetupState Setup;

namespace {

const UINT WM_SETUP_SYSTEM = WM_USER + 1;
const UINT WM_SETUP_ZIPS = WM_USER + 2;
const char kSetupZip[] = "Quil_setup.zip";

// ---- host seam: plain boxes, the Escape key, the PAUSE dialog -------------

int SetupMsgBox(const char* text, const char* caption, int kind, int type) {
  return MessageBoxA(nullptr, text, kind == HOST_CAP_OWN ? caption : nullptr, (UINT)type);
}
void SetupStatus(const char* text) { SetupProgressLine(text); }
void SetupProgress(long, long) {}
int SetupAbortPoll() {
  int esc = Setup.escPending || (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
  Setup.escPending = 0;
  return esc;
}
void SetupHostPause(int ms) {
  if (PauseRun(Setup.inst, Setup.display ? Setup.display : Setup.main, ms) == 1 && Setup.escapeForm)
    Setup.escPending = 1;
}
const HostOps kSetupHost = {SetupMsgBox, SetupStatus, SetupProgress, SetupAbortPoll, SetupHostPause};

void Plain(const char* text) { MessageBoxA(nullptr, text, nullptr, MB_OK); }

void PlainPath(const char* fmt, const char* path) {
  char text[400];
  snprintf(text, sizeof text, fmt, path);
  Plain(text);
}

// ---- the ZIP walk's seams ------------------------------------------------

int SetupSetTime(const char* path, unsigned dosDate, unsigned dosTime) {
  FILETIME local, ft;
  if (!DosDateTimeToFileTime((WORD)dosDate, (WORD)dosTime, &local) || !LocalFileTimeToFileTime(&local, &ft)) return 0;
  HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BOOL ok = SetFileTime(h, &ft, &ft, &ft);
  CloseHandle(h);
  return ok ? 1 : 0;
}

// ---- the progress dialog -------------------------------------------------

INT_PTR CALLBACK DisplayProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      // Escape reaches the walk through the key state, not here.
      return LOWORD(wParam) == IDCANCEL;
    default:
      (void)dlg;
      return FALSE;
  }
}

void DisplayOpen(int escapeForm) {
  if (!Setup.display) Setup.display = CreateDialogA(Setup.inst, "DISPLAY", Setup.main, DisplayProc);
  Setup.escapeForm = escapeForm;
  Setup.escPending = 0;
  if (Setup.display) {
    SetDlgItemTextA(Setup.display, IDC_D_GROUP, escapeForm ? "Files Installed   ESC=Abort" : "Files Installed");
    ShowWindow(Setup.display, SW_SHOW);
  }
}

void DisplayClose() {
  if (Setup.display) DestroyWindow(Setup.display);
  Setup.display = nullptr;
  Setup.escapeForm = 0;
}

// ---- SETUP1 ---------------------------------------------------------------

INT_PTR CALLBACK FolderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

void ReadDrive(HWND dlg) {
  char text[64];
  GetDlgItemTextA(dlg, IDC_S1_DRIVE, text, sizeof text);
  // Whatever is typed first is the drive; a wrong one is caught when its
  // free space is asked.
  if (text[0]) SetupSetDrive(text[0]);
}

INT_PTR CALLBACK DriveDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowTextA(dlg, Setup.caption);
      char text[1200];
      snprintf(text, sizeof text,
               "Installing on %s.\n\nSetup makes the %s folder on the drive below and expands the system into it; "
               "its archives are kept in %s and its help pages in %s. Drawings you pick in the next step get a "
               "Start Menu item under %s. The help gets a %s Start Menu item and a %s Desktop Icon.\n\n"
               "Type the drive letter and click Install System, or make a New Drawing Folder.",
               Setup.osText, "Quil7", "Quil7\\Zips", "Quil7\\Help", "Programs\\Quil 7", "QUIL 7 Help",
               "QUIL 7 Help");
      SetDlgItemTextA(dlg, IDC_S1_TEXT, text);
      SetDlgItemTextA(dlg, IDC_S1_DRIVE, Setup.drive);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          ReadDrive(dlg);
          EndDialog(dlg, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
        case IDC_S1_NEWFOLDER:
          ReadDrive(dlg);
          DialogBoxParamA(Setup.inst, "SETUP3", dlg, FolderDlgProc, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- SETUP2 ---------------------------------------------------------------

void ZipsIconBoxes(HWND dlg) {
  for (int i = 0; i < Setup.zips.count; ++i) {
    int on = IsDlgButtonChecked(dlg, IDC_S2_INSTALL0 + i) == BST_CHECKED &&
             !SetupZipNoShortcut(Setup.zips.zips[i].name);
    EnableWindow(GetDlgItem(dlg, IDC_S2_ICON0 + i), on);
  }
}

INT_PTR CALLBACK ZipsDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      SetWindowTextA(dlg, Setup.caption);
      char text[800];
      snprintf(text, sizeof text,
               "Zip files have been detected. Check those that you want to be installed. Zips that end in \"help\" "
               "are browser readable. Check the box to the left to create a Desktop Icon for drawings.\n\nIf you "
               "don't see a Zip file you want installed, Finish NOW, add the file to the %s folder and rerun this "
               "installer.\n\nFor a new installation or update keep the default checked boxes.",
               "Quil7\\Zips");
      SetDlgItemTextA(dlg, IDC_S2_TEXT, text);
      for (int i = 0; i < SETUP_ZIPS; ++i) {
        EnableWindow(GetDlgItem(dlg, IDC_S2_INSTALL0 + i), FALSE);
        EnableWindow(GetDlgItem(dlg, IDC_S2_ICON0 + i), FALSE);
      }
      for (int i = 0; i < Setup.zips.count; ++i) {
        const SetupZip& z = Setup.zips.zips[i];
        SetDlgItemTextA(dlg, IDC_S2_INSTALL0 + i, z.name);
        EnableWindow(GetDlgItem(dlg, IDC_S2_INSTALL0 + i), TRUE);
        CheckDlgButton(dlg, IDC_S2_INSTALL0 + i, SetupZipCheckedByDefault(z.name) ? BST_CHECKED : BST_UNCHECKED);
      }
      ZipsIconBoxes(dlg);
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id >= IDC_S2_INSTALL0 && id < IDC_S2_INSTALL0 + SETUP_ZIPS) {
        ZipsIconBoxes(dlg);
        return TRUE;
      }
      switch (id) {
        case IDC_S2_CLEAR:
          for (int i = 0; i < SETUP_ZIPS; ++i) {
            CheckDlgButton(dlg, IDC_S2_INSTALL0 + i, BST_UNCHECKED);
            CheckDlgButton(dlg, IDC_S2_ICON0 + i, BST_UNCHECKED);
          }
          ZipsIconBoxes(dlg);
          return TRUE;
        case IDOK:
          for (int i = 0; i < Setup.zips.count; ++i) {
            Setup.zips.zips[i].install = IsDlgButtonChecked(dlg, IDC_S2_INSTALL0 + i) == BST_CHECKED;
            Setup.zips.zips[i].icon = IsDlgButtonChecked(dlg, IDC_S2_ICON0 + i) == BST_CHECKED &&
                                      IsWindowEnabled(GetDlgItem(dlg, IDC_S2_ICON0 + i));
          }
          EndDialog(dlg, 1);
          return TRUE;
        case IDC_S2_BACK:
          EndDialog(dlg, 2);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
        default:
          return FALSE;
      }
    }
    default:
      return FALSE;
  }
}

// ---- SETUP3 ---------------------------------------------------------------

void FolderBrowse(HWND dlg) {
  char file[MAX_PATH] = "anyfile";
  OPENFILENAMEA ofn;
  memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dlg;
  ofn.lpstrFilter = "Folder Files\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrTitle = "Available Folders ... Click Open to return Folder";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOVALIDATE;
  if (!GetOpenFileNameA(&ofn)) return;
  // The chosen file's drive and folder, with the backslash.
  if (ofn.nFileOffset > 0 && ofn.nFileOffset < sizeof file) file[ofn.nFileOffset] = 0;
  SetDlgItemTextA(dlg, IDC_S3_PATH, file);
}

int FolderCreate(HWND dlg) {
  char raw[260], path[260], title[128];
  GetDlgItemTextA(dlg, IDC_S3_PATH, raw, sizeof raw);
  GetDlgItemTextA(dlg, IDC_S3_TITLE, title, sizeof title);
  size_t n = strlen(raw);
  while (n > 3 && raw[n - 1] == '\\') raw[--n] = 0;
  if (!n || !SetupPathFix(path, sizeof path, raw)) {
    PlainPath("Unable to create %s Folder ... Can't continue", raw);
    return 0;
  }
  int made = SatMkdir(path);
  if (made == SAT_MKDIR_THERE) {
    PlainPath("%s Folder already Exists", path);
    return 0;
  }
  if (made != SAT_MKDIR_MADE) {
    PlainPath("Unable to create %s Folder ... Can't continue", path);
    return 0;
  }
  if (!title[0]) {
    // No title given: the folder's own name.
    const char* last = strrchr(path, '\\');
    snprintf(title, sizeof title, "%s", last ? last + 1 : path);
  }
  SetupFolderIcon(path, title);
  char crf[300];
  snprintf(crf, sizeof crf, "%s\\QUIL7.CRF", path);
  FILE* f = fopen(crf, "wt");
  int ok = f && fputs("0\n", f) >= 0;
  if (f && fclose(f) != 0) ok = 0;
  if (!ok) {
    PlainPath("Unable to write %s file ... Can't continue", crf);
    return 0;
  }
  return 1;
}

INT_PTR CALLBACK FolderDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, IDC_S3_TEXT,
                      "Setup will create a new Drawing Folder.\n\n1. Browse to an existing folder and click Open.\n"
                      "2. Add a Drawing Folder name as a subfolder and click OK.\n\nA Shortcut Icon will also be "
                      "added to the Desktop.");
      SetDlgItemTextA(dlg, IDC_S3_PATH, "");
      SetDlgItemTextA(dlg, IDC_S3_TITLE, "");
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_S3_BROWSE:
          FolderBrowse(dlg);
          return TRUE;
        case IDOK:
          if (FolderCreate(dlg)) EndDialog(dlg, 1);
          return TRUE;
        case IDCANCEL:
          EndDialog(dlg, 0);
          return TRUE;
        default:
          return FALSE;
      }
    default:
      return FALSE;
  }
}

// ---- the install steps ---------------------------------------------------

// Expands one zip into a folder, made first; the walk's result.
int ZipExpandOne(const char* zipFolder, const char* zipName, const char* target) {
  int made = SatMkdir(target);
  DWORD attr = GetFileAttributesA(target);
  if ((made != SAT_MKDIR_MADE && made != SAT_MKDIR_THERE) || attr == INVALID_FILE_ATTRIBUTES ||
      !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
    PlainPath("Unable to create %s Folder ... Can't continue", target);
    return ZIP_FATAL;
  }
  char line[600], zipPath[300], targetSlash[300];
  snprintf(line, sizeof line, "Expanding %s\\%s in the %s Folder", zipFolder, zipName, target);
  SetupProgressLine(line);
  if (!SatFormat(zipPath, sizeof zipPath, "%s\\%s", zipFolder, zipName) ||
      !SatFormat(targetSlash, sizeof targetSlash, "%s\\", target)) {
    PlainPath("Unable to open %s file ... Can't continue", zipName);
    return ZIP_FATAL;
  }
  ZipRun run;
  run.pauseMs = 100;
  run.escapeTest = Setup.escapeForm;
  int r = ZipExtract(zipPath, targetSlash, &run);
  if (run.abort) Setup.abort = 1;
  return r;
}

int WriteArchive() {
  char path[300];
  snprintf(path, sizeof path, "%s\\%s", Setup.zipsPath, kSetupZip);
  FILE* f = fopen(path, "wb");
  if (!f) return 0;
  int ok = fwrite(Setup.archive, 1, Setup.archiveSize, f) == Setup.archiveSize;
  if (fclose(f) != 0) ok = 0;
  if (!ok) remove(path);
  return ok;
}

// Lists the zips of a folder; with copyTo each is copied there too, else
// only zips not of the fixed list are taken.
void ListZips(const char* folder, const char* copyTo) {
  char pattern[300];
  snprintf(pattern, sizeof pattern, "%s\\*.zip", folder);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!copyTo && SetupZipKnown(fd.cFileName)) continue;
    int r = SetupZipListAdd(&Setup.zips, fd.cFileName);
    if (r == SETUP_LIST_TOO_LONG) {
      char line[400];
      snprintf(line, sizeof line, "%s ... name too long for the list, skipped", fd.cFileName);
      SetupListAdd(line);
      continue;
    }
    if (r == SETUP_LIST_FULL) break;
    if (copyTo && r == SETUP_LIST_ADDED) {
      const char* name = Setup.zips.zips[Setup.zips.count - 1].name;
      char from[600], to[300];
      snprintf(from, sizeof from, "%s\\%s", folder, fd.cFileName);
      snprintf(to, sizeof to, "%s\\%s", copyTo, name);
      if (!SatCopyFile(from, to)) PlainPath("Unable to copy %s to the Zips Folder", name);
    }
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

void SetupSystem() {
  Setup.abort = 0;
  if (DialogBoxParamA(Setup.inst, "SETUP1", Setup.main, DriveDlgProc, 0) != 1) {
    DestroyWindow(Setup.main);
    return;
  }
  char root[8];
  snprintf(root, sizeof root, "%s\\", Setup.drive);
  DWORD a, b, c, d;
  const char* failure = nullptr;
  char text[400];
  if (!GetDiskFreeSpaceA(root, &a, &b, &c, &d)) {
    snprintf(text, sizeof text, "Drive %s does not seem to exist", Setup.drive);
    failure = text;
  } else if (SatMkdir(Setup.quilPath) > SAT_MKDIR_THERE) {
    snprintf(text, sizeof text, "Unable to create %s Folder ... Can't continue", "Quil7");
    failure = text;
  } else if (Setup.archiveSize > 0 && SatMkdir(Setup.zipsPath) > SAT_MKDIR_THERE) {
    snprintf(text, sizeof text, "Unable to open %s Folder ... Can't continue", Setup.zipsPath);
    failure = text;
  } else if (Setup.archiveSize > 0 && !WriteArchive()) {
    snprintf(text, sizeof text, "Unable to create main Zip file ... Can't continue");
    failure = text;
  }
  if (failure) {
    Plain(failure);
    SetupError(ZIP_FATAL);
    DestroyWindow(Setup.main);
    return;
  }

  char path[300];
  for (const char* m : SetupManifests) {
    snprintf(path, sizeof path, "%s\\%s.manifest", Setup.quilPath, m);
    DeleteFileA(path);
  }
  snprintf(path, sizeof path, "%s\\Quil7.zip", Setup.zipsPath);
  DeleteFileA(path);
  snprintf(path, sizeof path, "%s\\Setup7.zip", Setup.zipsPath);
  DeleteFileA(path);

  DisplayOpen(0);
  SetCurrentDirectoryA(root);
  int r = ZipExpandOne(Setup.zipsPath, kSetupZip, Setup.quilPath);
  if (r != ZIP_OK) {
    SetupError(r);
    if (r == ZIP_FATAL) {
      // Nothing more is made for programs that may not be there.
      DisplayClose();
      DestroyWindow(Setup.main);
      return;
    }
  }

  Setup.zips.count = 0;
  ListZips(Setup.quilPath, Setup.zipsPath);
  ListZips(Setup.zipsPath, nullptr);

  if (SatMkdir(Setup.helpPath) > SAT_MKDIR_THERE) {
    DisplayClose();
    snprintf(text, sizeof text, "Unable to create %s Folder ... Can't continue", "Quil7\\Help");
    Plain(text);
    SetupError(ZIP_FATAL);
    DestroyWindow(Setup.main);
    return;
  }
  SetupCopyHelp(Setup.quilPath);
  if (SetupHelpMenuItem() != 1) Setup.shortcutFail = 1;
  if (SetupHelpIcon() != 1) Setup.shortcutFail = 1;
  DisplayClose();
  PostMessageA(Setup.main, WM_SETUP_ZIPS, 0, 0);
}

void SetupZips() {
  INT_PTR r = DialogBoxParamA(Setup.inst, "SETUP2", Setup.main, ZipsDlgProc, 0);
  if (r == 2) {
    PostMessageA(Setup.main, WM_SETUP_SYSTEM, 0, 0);
    return;
  }
  if (r != 1) {
    DestroyWindow(Setup.main);
    return;
  }
  DisplayOpen(1);
  char root[8];
  snprintf(root, sizeof root, "%s\\", Setup.drive);
  SetCurrentDirectoryA(root);
  Setup.fileCount = 0;
  if (Setup.display) {
    SendDlgItemMessageA(Setup.display, IDC_D_LIST, LB_RESETCONTENT, 0, 0);
    SetDlgItemTextA(Setup.display, IDC_D_COUNT, "0 Files");
  }
  for (int i = 0; i < Setup.zips.count && !Setup.abort; ++i) {
    const SetupZip& z = Setup.zips.zips[i];
    char base[SETUP_ZIP_NAME];
    if (!SetupZipBase(z.name, base, sizeof base) || !z.install) continue;
    char target[300];
    if (SetupZipIsHelp(z.name))
      snprintf(target, sizeof target, "%s\\%s", Setup.helpPath, base);
    else
      snprintf(target, sizeof target, "%s\\%s", Setup.quilPath, base);
    int res = ZipExpandOne(Setup.zipsPath, z.name, target);
    if (res != ZIP_OK) {
      SetupError(res);
      if (res == ZIP_FATAL) Setup.abort = 1;
      continue;
    }
    SetupCopyHelp(target);
    if (Setup.abort || Setup.shortcutFail || SetupZipNoShortcut(z.name)) continue;
    if (SetupStartMenuItem(base) != 1) Setup.shortcutFail = 1;
    if (z.icon && !Setup.shortcutFail && SetupDesktopIcon(base) != 1) Setup.shortcutFail = 1;
  }
  DisplayClose();
  if (Setup.shortcutFail) {
    MessageBoxA(nullptr, "Start Menu or Desktop Items Aborted ... Main Installation should be OK", "QUIL Installer",
                MB_OK);
    Setup.shortcutFail = 0;
  }
  if (Setup.abort) {
    MessageBoxA(nullptr, "Aborted ... Installation may not be complete", "QUIL Installer", MB_OK);
    Setup.abort = 0;
  }
  PostMessageA(Setup.main, WM_SETUP_ZIPS, 0, 0);
}

LRESULT CALLBACK SetupWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: {
      Setup.main = hwnd;
      HRSRC res = FindResourceA(Setup.inst, "ZIP1", "ZIPFILE");
      HGLOBAL data = res ? LoadResource(Setup.inst, res) : nullptr;
      Setup.archive = data ? LockResource(data) : nullptr;
      Setup.archiveSize = (res && Setup.archive) ? SizeofResource(Setup.inst, res) : 0;
      PostMessageA(hwnd, WM_SETUP_SYSTEM, 0, 0);
      return 0;
    }
    case WM_SETUP_SYSTEM:
      SetupSystem();
      return 0;
    case WM_SETUP_ZIPS:
      SetupZips();
      return 0;
    case WM_CLOSE:
      DisplayClose();
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      DisplayClose();
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wParam, lParam);
  }
}

void OsText() {
  OSVERSIONINFOA v;
  memset(&v, 0, sizeof v);
  v.dwOSVersionInfoSize = sizeof v;  // 148
  snprintf(Setup.osText, sizeof Setup.osText, "Unknown");
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExA(&v)) return;
#pragma GCC diagnostic pop
  SetupOsText(Setup.osText, sizeof Setup.osText, v.dwPlatformId == VER_PLATFORM_WIN32_NT, (int)v.dwMajorVersion,
              (int)v.dwMinorVersion, v.szCSDVersion);
}

}  // namespace

void SetupSetDrive(char letter) {
  if (letter >= 'A' && letter <= 'Z') letter = (char)(letter - 'A' + 'a');
  Setup.drive[0] = letter;
  Setup.drive[1] = ':';
  Setup.drive[2] = 0;
  snprintf(Setup.quilPath, sizeof Setup.quilPath, "%s\\Quil7", Setup.drive);
  snprintf(Setup.zipsPath, sizeof Setup.zipsPath, "%s\\Quil7\\Zips", Setup.drive);
  snprintf(Setup.helpPath, sizeof Setup.helpPath, "%s\\Quil7\\Help", Setup.drive);
}

void SetupListAdd(const char* text) {
  if (!Setup.display) return;
  HWND list = GetDlgItem(Setup.display, IDC_D_LIST);
  LRESULT at = SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
  if (at >= 0) SendMessageA(list, LB_SETTOPINDEX, (WPARAM)at, 0);
  ++Setup.fileCount;
  char count[32];
  snprintf(count, sizeof count, "%d Files", Setup.fileCount);
  SetDlgItemTextA(Setup.display, IDC_D_COUNT, count);
}

void SetupProgressLine(const char* text) {
  if (Setup.display) SetDlgItemTextA(Setup.display, IDC_D_LINE, text);
}

void SetupPause(int ms) {
  if (ms < 0 && (GetAsyncKeyState(VK_ESCAPE) & 0x8000)) Setup.abort = 1;
  PauseRun(Setup.inst, Setup.display ? Setup.display : Setup.main, ms < 0 ? -ms : ms);
}

void SetupError(int code) {
  const char* text;
  switch (code) {
    case 1: text = "Non-fatal error occurred ... Installation may not be complete"; break;
    case 2: text = "Fatal error occurred ... Check the cause and run again."; break;
    case 3:
      text = "Start Menu or Desktop Icon error occurred ... The QUIL system files should have been installed "
             "correctly, but Start Menu or Desktop Icons may not have been. These items are a convenience and are "
             "not really necessary to run QUIL. You should be able to manually create them.";
      break;
    case 4: text = "Start menu folder not found in registry ... Start menu items will not be created"; break;
    default: text = "Unknown error"; break;
  }
  MessageBoxA(nullptr, text, "QUIL Installer", MB_OK);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  Setup.inst = inst;
  SetupSetDrive('C');
  snprintf(Setup.caption, sizeof Setup.caption, "QUIL Setup   %s %s", QUIL_VERSION, QUIL_VERSION_TAG);
  HostSet(&kSetupHost);
  ZipHooks hooks{SetupListAdd, SetupSetTime};
  ZipSetHooks(&hooks);

  WNDCLASSA wc;
  memset(&wc, 0, sizeof wc);
  wc.lpfnWndProc = SetupWndProc;
  wc.hInstance = inst;
  wc.hIcon = LoadIconA(inst, "SETUPICON");
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  wc.lpszClassName = "QUIL Installer";
  if (!RegisterClassA(&wc)) return 1;
  InitCommonControls();
  OsText();
  if (!CreateWindowA("QUIL Installer", Setup.caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300,
                     nullptr, nullptr, inst, nullptr))
    return 1;
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (Setup.display && IsDialogMessageA(Setup.display, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}
