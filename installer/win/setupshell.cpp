// The installer's shell side: the user's shell folders read from the
// registry, shell links made through COM, and help files copied.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>

#include "satutil.h"
#include "setup.h"

namespace {

const char kCaption[] = "QUIL Installer";

// Opens the sub-key of key whose name equals name in any case; the names
// are found by enumeration, as the keys' own spelling may differ.
HKEY OpenByName(HKEY key, const char* name) {
  char found[129];
  for (DWORD i = 0;; ++i) {
    LONG r = RegEnumKeyA(key, i, found, sizeof found);
    if (r == ERROR_NO_MORE_ITEMS) return nullptr;
    if (r == ERROR_MORE_DATA) continue;  // longer than any name asked for
    if (r != ERROR_SUCCESS) return nullptr;
    if (SatStricmp(found, name) == 0) {
      HKEY sub;
      if (RegOpenKeyExA(key, found, 0, KEY_READ, &sub) != ERROR_SUCCESS) return nullptr;
      return sub;
    }
  }
}

struct KeyHolder {
  HKEY k = nullptr;
  ~KeyHolder() {
    if (k) RegCloseKey(k);
  }
};

// Shows the progress line, pauses, makes the link's folder and the link.
int MakeLink(const char* shellName, const char* line, const char* folderTail, const char* linkName,
             const char* target, const char* description, const char* workDir) {
  SetupProgressLine(line);
  SetupPause(500);
  char shell[129];
  if (!SetupShellFolder(shellName, shell, sizeof shell)) {
    SetupError(4);
    return 4;
  }
  char folder[300], link[300];
  if (folderTail) {
    if (!SatFormat(folder, sizeof folder, "%s\\%s", shell, folderTail)) {
      SetupError(3);
      return 3;
    }
    SatMkdir(folder);
  } else {
    snprintf(folder, sizeof folder, "%s", shell);
  }
  if (!SatFormat(link, sizeof link, "%s\\%s.lnk", folder, linkName)) {
    SetupError(3);
    return 3;
  }
  if (SetupShortcut(target, link, description, workDir) < 0) {
    SetupError(3);
    return 3;
  }
  return 1;
}

void Fail(const char* what) {
  MessageBoxA(nullptr, what, kCaption, MB_OK);
  MessageBoxA(nullptr, "Failed to create shortcut", kCaption, MB_OK);
}

}  // namespace

int SetupShellFolder(const char* name, char* out, size_t size) {
  static const char* const kPath[] = {"Software", "Microsoft", "Windows", "CurrentVersion", "Explorer",
                                      "Shell Folders"};
  if (!out || size == 0) return 0;
  out[0] = 0;
  KeyHolder keys[6];
  HKEY key = HKEY_CURRENT_USER;
  for (int i = 0; i < 6; ++i) {
    keys[i].k = OpenByName(key, kPath[i]);
    if (!keys[i].k) return 0;
    key = keys[i].k;
  }
  char value[260];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof value;
    LONG r = RegEnumValueA(key, i, value, &n, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return 0;
    if (r == ERROR_MORE_DATA) continue;
    if (r != ERROR_SUCCESS) return 0;
    if (SatStricmp(value, name) != 0) continue;
    // Up to 128 bytes of data; a longer value counts as missing.
    char data[129];
    DWORD type = 0, len = 128;
    if (RegQueryValueExA(key, value, nullptr, &type, (BYTE*)data, &len) != ERROR_SUCCESS) return 0;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return 0;
    data[len < 128 ? len : 128] = 0;
    if (!data[0] || strlen(data) >= size) return 0;
    snprintf(out, size, "%s", data);
    return 1;
  }
}

long SetupShortcut(const char* target, const char* link, const char* description, const char* workDir) {
  HRESULT hr = CoInitialize(nullptr);
  if (FAILED(hr)) {
    Fail("Failed to initialize COM system");
    return (long)hr;
  }
  IShellLinkA* sl = nullptr;
  hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&sl);
  if (FAILED(hr)) {
    Fail("Failed at create instance");
    CoUninitialize();
    return (long)hr;
  }
  sl->SetPath(target);
  sl->SetDescription(description);
  sl->SetWorkingDirectory(workDir);
  IPersistFile* pf = nullptr;
  hr = sl->QueryInterface(IID_IPersistFile, (void**)&pf);
  if (FAILED(hr)) {
    Fail("Failed at query interface");
  } else {
    WCHAR wide[260];
    if (!MultiByteToWideChar(CP_ACP, 0, link, -1, wide, 260)) {
      hr = E_FAIL;
    } else {
      hr = pf->Save(wide, TRUE);
    }
    if (FAILED(hr)) Fail("Failed at save shortcut");
    pf->Release();
  }
  sl->Release();
  CoUninitialize();
  return (long)hr;
}

int SetupStartMenuItem(const char* base) {
  char line[200], target[64], work[64];
  snprintf(line, sizeof line, "Creating %s Start Menu Item", base);
  snprintf(target, sizeof target, "%s\\Quil7.exe", Setup.quilPath);
  snprintf(work, sizeof work, "%s\\%s", Setup.quilPath, base);
  return MakeLink("Start Menu", line, "Programs\\Quil 7", base, target, "QUIL 7 Drawing", work);
}

int SetupDesktopIcon(const char* base) {
  char line[200], target[64], work[64];
  snprintf(line, sizeof line, "Creating %s Desktop Icon", base);
  snprintf(target, sizeof target, "%s\\Quil7.exe", Setup.quilPath);
  snprintf(work, sizeof work, "%s\\%s", Setup.quilPath, base);
  return MakeLink("Desktop", line, nullptr, base, target, "QUIL 7 Drawing", work);
}

int SetupFolderIcon(const char* folder, const char* title) {
  char line[200], target[64];
  snprintf(line, sizeof line, "Creating %s Desktop Icon", title);
  snprintf(target, sizeof target, "%s\\Quil7.exe", Setup.quilPath);
  return MakeLink("Desktop", line, nullptr, title, target, "QUIL 7 Drawing", folder);
}

int SetupHelpIcon() {
  char target[64];
  snprintf(target, sizeof target, "%s\\Helprun7.exe", Setup.quilPath);
  return MakeLink("Desktop", "Creating Desktop Help Icon", nullptr, "QUIL 7 Help", target, "QUIL 7 Help",
                  Setup.quilPath);
}

int SetupHelpMenuItem() {
  char target[64];
  snprintf(target, sizeof target, "%s\\Helprun7.exe", Setup.quilPath);
  return MakeLink("Start Menu", "Creating Help Start Menu Item", "Programs\\Quil 7", "QUIL 7 Help", target,
                  "QUIL 7 Help", Setup.quilPath);
}

void SetupCopyHelp(const char* folder) {
  char pattern[300];
  if (!SatFormat(pattern, sizeof pattern, "%s\\*.chm", folder)) return;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(pattern, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    char from[600], to[300];
    if (!SatFormat(from, sizeof from, "%s\\%s", folder, fd.cFileName) ||
        !SatFormat(to, sizeof to, "%s\\%s", Setup.helpPath, fd.cFileName))
      continue;
    if (SatStricmp(fd.cFileName, "Addonindex.chm") == 0) {
      // The add-on index is the user's to extend: only a newer one replaces it.
      WIN32_FILE_ATTRIBUTE_DATA dst;
      if (GetFileAttributesExA(to, GetFileExInfoStandard, &dst) &&
          CompareFileTime(&dst.ftLastWriteTime, &fd.ftLastWriteTime) > 0)
        continue;
    }
    SatCopyFile(from, to);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}
