#include "shellutil.h"
#include "version.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>


const char kProgramTitle[] = "Quil " QUIL_VERSION;
const char kVersion[] = QUIL_VERSION;
const char kEdition[] = QUIL_VERSION_TAG;

static void CopyText(char* out, size_t size, const char* s) {
  if (!size) return;
  snprintf(out, size, "%s", s ? s : "");
}

void DirNoSlash(char* out, size_t size, const char* path) {
  CopyText(out, size, path);
  size_t n = strlen(out);
  if (n > 0 && out[n - 1] == '\\') out[n - 1] = '\0';
}

void ArgPathUnquote(char* out, size_t size, const char* text) {
  if (!size) return;
  size_t limit = size < SHELL_PATH_SIZE ? size : (size_t)SHELL_PATH_SIZE;
  size_t j = 0;
  for (const char* p = text ? text : ""; *p && j + 1 < limit; ++p)
    if (*p != '"') out[j++] = *p;
  out[j] = '\0';
}

int ArgCellSplit(const char* arg, char* folder, size_t folderSize, char* cell, size_t cellSize) {
  char path[SHELL_PATH_SIZE];
  ArgPathUnquote(path, sizeof path, arg);
  // Blanks around the argument are not part of the path.
  size_t n = strlen(path);
  while (n && (path[n - 1] == ' ' || path[n - 1] == '\t')) path[--n] = '\0';
  const char* start = path;
  while (*start == ' ' || *start == '\t') ++start;
  CopyText(folder, folderSize, "");
  CopyText(cell, cellSize, "");
  if (!*start) return 0;
  const char* slash = strrchr(start, '\\');
  const char* colon = strchr(start, ':');
  const char* name = start;
  if (slash) {
    name = slash + 1;
    size_t len = (size_t)(slash - start);
    if (len == 2 && colon == start + 1) len = 3;  // keep "D:\" whole
    if (len == 0) len = 1;                        // "\x.tlc": the root
    if (len + 1 <= folderSize) {
      memcpy(folder, start, len);
      folder[len] = '\0';
    }
  } else if (colon && colon == start + 1) {
    name = colon + 1;
    if (folderSize > 2) snprintf(folder, folderSize, "%c:", start[0]);
  }
  size_t j = 0;
  for (const char* p = name; *p && *p != '.' && j + 1 < cellSize; ++p)
    cell[j++] = (char)toupper((unsigned char)*p);
  if (cellSize) cell[j] = '\0';
  return 1;
}

void ModuleFolder(char* out, size_t size, const char* modulePath) {
  CopyText(out, size, modulePath);
  char* slash = strrchr(out, '\\');
  if (slash) slash[1] = '\0';
  else CopyText(out, size, "");
}

int IsInstallFolder(const char* folder) {
  if (!folder || strlen(folder) < 2) return 0;
  const char* rest = folder + 2;
  return strcasecmp(rest, "\\quil7") == 0 || strcasecmp(rest, "\\quil7\\") == 0;
}

void RunMutexName(char* out, size_t size, const char* folder) {
  // FNV-1a over the lower-cased path without a trailing backslash; mutex
  // names may not hold backslashes.
  uint32_t h = 2166136261u;
  char dir[SHELL_PATH_SIZE];
  DirNoSlash(dir, sizeof dir, folder ? folder : "");
  for (const char* p = dir; *p; ++p) {
    char c = (char)tolower((unsigned char)*p);
    if (c == '/') c = '\\';
    h ^= (unsigned char)c;
    h *= 16777619u;
  }
  snprintf(out, size, "QUILRUN-%08x", (unsigned)h);
}

void TempFolderName(char* out, size_t size, char* parent, size_t parentSize,
                    const char* systemDrive, unsigned id) {
  CopyText(out, size, "");
  CopyText(parent, parentSize, "");
  if (!systemDrive || !*systemDrive) return;
  snprintf(parent, parentSize, "%s\\%s", systemDrive, "QuilTempFiles");
  snprintf(out, size, "%s\\%s\\%u\\", systemDrive, "QuilTempFiles", id);
}

int SystemDriveOf(char* out, size_t size, const char* windowsFolder) {
  CopyText(out, size, "");
  if (!windowsFolder || strlen(windowsFolder) < 2) return 0;
  char c = windowsFolder[0];
  if (c < 'A' || c > 'Z' || windowsFolder[1] != ':') return 0;
  snprintf(out, size, "%c:", c);
  return 1;
}

void RunListPush(char list[][SHELL_PATH_SIZE], const char* text) {
  if (!text) return;
  int found = RUN_LIST_MAX - 1;  // none equal: the oldest entry drops off
  for (int i = 0; i < RUN_LIST_MAX; ++i)
    if (strcasecmp(list[i], text) == 0) {
      found = i;
      break;
    }
  for (int i = found; i > 0; --i) memcpy(list[i], list[i - 1], SHELL_PATH_SIZE);
  snprintf(list[0], SHELL_PATH_SIZE, "%s", text);
}

int RunListDelete(char list[][SHELL_PATH_SIZE], const char* text) {
  if (!text) return 0;
  for (int i = 0; i < RUN_LIST_MAX; ++i) {
    if (!list[i][0] || strcasecmp(list[i], text) != 0) continue;
    for (int j = i; j < RUN_LIST_MAX - 1; ++j) memcpy(list[j], list[j + 1], SHELL_PATH_SIZE);
    list[RUN_LIST_MAX - 1][0] = '\0';
    return 1;
  }
  return 0;
}

void RunListClean(char list[][SHELL_PATH_SIZE]) {
  for (int i = 0; i < RUN_LIST_MAX; ++i) list[i][0] = '\0';
}

int RunLineForm(char* out, size_t size, const char* program, const char* argument) {
  if (!size) return 0;
  out[0] = '\0';
  if (!program || !program[0]) return 0;
  const char* q = strchr(program, ' ') && program[0] != '"' ? "\"" : "";
  int n = snprintf(out, size, "%s%s%s %s", q, program, q, argument ? argument : "");
  if (n < 0 || (size_t)n >= size) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

void UnixPathForm(char* out, size_t size, const char* path) {
  const char* src = path ? path : "";
  const char* bs = strchr(src, '\\');
  if (bs) src = bs;
  snprintf(out, size, "%s", src);
  for (char* p = out; *p; ++p)
    if (*p == '\\') *p = '/';
}

void WindowRectSanitize(WinRect* r, int cxFull, int cyFull, int cyCaption) {
  if (r->right <= r->left || r->right == 0) r->right = cxFull;
  if (r->bottom <= r->top || r->bottom == 0) r->bottom = cyFull;
  if (r->right > cxFull) r->right = cxFull;
  if (r->bottom > cyFull + cyCaption) r->bottom = cyFull + cyCaption;
  if (r->left < 0) r->left = 0;
  if (r->top < 0) r->top = 0;
  // A left edge past the capped right edge would give a window of no width.
  if (r->left >= r->right) r->left = 0;
  if (r->top >= r->bottom) r->top = 0;
}

int ToolClassOfScreen(int cx) { return cx > 1024 ? 3 : cx > 800 ? 2 : cx > 640 ? 1 : 0; }

int ToolClassPick(const int widths[4], int clientWidth) {
  for (int k = 3; k >= 0; --k)
    if (widths[k] < clientWidth) return k;
  return 0;
}

int PanelLayoutPick(const int heights[6], int available) {
  for (int n = 5; n >= 0; --n)
    if (heights[n] < available) return n;
  return 0;
}

void ToolbarTemplate(char* out, size_t size, int k, int textToolbar) {
  if (k < 0 || k > 3) {
    snprintf(out, size, "TOOLBAR1");
    return;
  }
  snprintf(out, size, "TOOLBAR%d", textToolbar ? 2 * k : 2 * k + 1);
}

void MenuTemplates(char* shown, char* hidden, size_t size, int layout) {
  if (layout < 0 || layout > 5) layout = 0;
  snprintf(shown, size, "MENUBTNS%d", 2 * layout);
  snprintf(hidden, size, "MENUBTNS%d", 2 * layout + 1);
}

void DrawAreaCompute(const LayoutInput& in, LayoutArea* a) {
  a->top = in.clientTop + in.toolHeight;
  a->bottom = in.clientBottom - in.bottomHeight;
  if (in.leftCmdMenu) {
    a->left = in.clientLeft + in.panelWidth;
    a->right = in.clientRight - 8;
  } else {
    a->left = in.clientLeft + 8;
    a->right = in.clientRight - in.panelWidth;
  }
  a->ox = (a->left + a->right) / 2;
  a->oy = (a->top + a->bottom) / 2;
  a->empty = a->right - a->left <= 0 || a->bottom - a->top <= 0;
  a->aspect = a->empty ? 1.0 : (double)(a->bottom - a->top) / (a->right - a->left);
}

int CmdLineAccept(char* buf, size_t size, const void* data, size_t cb) {
  if (!data || size == 0) return 0;
  const char* text = static_cast<const char*>(data);
  size_t len = strnlen(text, cb);
  size_t cap = size < SHELL_LINE_SIZE ? size : (size_t)SHELL_LINE_SIZE;
  if (len > cap - 1) return 0;
  memcpy(buf, text, len);
  buf[len] = '\0';
  return 1;
}

int FKeyLineIndex(int id, int count) {
  if (id < 1400 || id > 1410) return 0;
  int n = id - 1399;
  return n <= count ? n : 0;
}

void FKeyLineCopy(char* buf, size_t size, const char* line) {
  if (!size) return;
  size_t cap = size < SHELL_LINE_SIZE ? size : (size_t)SHELL_LINE_SIZE;
  snprintf(buf, cap, "%s", line ? line : "");
}

ToggleKey ToggleKeyOf(int ch) {
  switch (toupper(ch)) {
    case 'A': return {0x1, 0};
    case 'D': return {0x4, 0};
    case 'C': return {0x2, 1};
    case 'H': return {0x8, 1};
    case 'I': return {0x10, 1};
    case 'N': return {0x20, 1};
    case 'R': return {0x80, 1};
    case 'T': return {0x200, 1};
    case 'V': return {0x400, 1};
    default: return {0, 0};
  }
}

ToggleButton ToggleButtonOf(int id) {
  switch (id) {
    case 700: return {0x1, 1, 0};
    case 701: return {0x1, 2, 0};
    case 702: return {0x2, 3, 1};
    case 703: return {0x4, 3, 0};
    case 704: return {0x8, 3, 1};
    case 705: return {0x10, 3, 1};
    case 706: return {0x20, 3, 1};
    case 707: return {0x40, 4, 0};
    case 708: return {0x80, 3, 1};
    case 709: return {0x200, 3, 1};
    case 710: return {0x400, 3, 1};
    default: return {0, 0, 0};
  }
}

int ToggleChecked(int id, uint32_t togs) {
  if (id == 700) return (togs & 0x1) != 0;
  if (id == 701) return (togs & 0x1) == 0;
  if (id >= 702 && id <= 708) return (togs & (0x2u << (id - 702))) != 0;
  if (id == 709) return (togs & 0x200) != 0;
  if (id == 710) return (togs & 0x400) != 0;
  return 0;
}

void InfoAllocText(char* out, size_t size, const char* winVersion, const char* progFolder,
                   int wineMode) {
  int n = snprintf(
      out, size,
      "Version %s %s\nRunning on %s\n\nQuil System Path %s\n\nMax Ranks: %d\nMax Cell "
      "Collection: %d Cells\n\nMax Objects/Cell:\n    %d Boxes\n    %d Paths\n    %d "
      "Vertices\n    %d Cells\n\nOther:\n    Max Draw Width +/- %d units\n    TLC Line Max "
      "Characters %d\n    Cellname Max Characters %d\n    Text Max Characters %d  Min Size %d "
      "units  Max size %d units\n    Poly/Paths Max Segments %d  Min Width 0/%d units  Max Width "
      "%d units",
      kVersion, kEdition, winVersion ? winVersion : "", progFolder ? progFolder : "", 24, 8190,
      5000000, 2500000, 12500000, 1000000, 536870912, 255, 32, 64, 15, 9830400, 1023, 2, 1048576);
  if (wineMode && n >= 0 && (size_t)n < size)
    snprintf(out + n, size - (size_t)n, "\n\nWine Mode is On");
}

void BuildHistoryText(char* out, size_t size, const char* buildDate) {
  snprintf(out, size, "Version %s\n\nBuild Date %s", kVersion, buildDate ? buildDate : "");
}

void ObjectInfoText(char* out, size_t size, int boxes, int paths, int texts, int cells) {
  snprintf(out, size,
           "Objects Drawn:\n    Boxes %d\n    Paths %d\n    Text %d\n    Cells %d\n\nObject "
           "Record Size:\n    Box %d  Path %d  Vtx %d  Cell %d\n\nObject Records per Block:\n    "
           "Box %d  Path %d  Vtx %d  Cell %d",
           boxes, paths, texts, cells, 20, 12, 16, 12, 409, 682, 512, 682);
}

int SystemVersionText(char* out, size_t size, int platformNt, int major, int minor,
                      const char* sp) {
  const char* s = sp ? sp : "";
  if (!platformNt) {
    snprintf(out, size, "Unknown Windows Version");
    return 0;
  }
  if (major == 4) { snprintf(out, size, "Windows NT 4.0 %s", s); return 4; }
  if (major == 5 && minor == 0) { snprintf(out, size, "Windows 2000 %s", s); return 5; }
  if (major == 5) { snprintf(out, size, "Windows XP %s or Later", s); return 6; }
  if (major == 6 && minor == 0) { snprintf(out, size, "Windows Vista %s", s); return 7; }
  if (major == 6 && minor == 1) { snprintf(out, size, "Windows 7 %s", s); return 8; }
  if (major == 6 && minor == 2) { snprintf(out, size, "Windows 8 %s", s); return 9; }
  if (major == 6 && minor == 3) { snprintf(out, size, "Windows 8.1 %s", s); return 10; }
  if (major == 10 && minor == 0) { snprintf(out, size, "Windows 10 %s", s); return 11; }
  snprintf(out, size, "Unknown Windows Version");
  return 0;
}
