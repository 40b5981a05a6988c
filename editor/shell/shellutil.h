// Small platform-free pieces of the editor's shell: start-up arguments and
// folders, window-rectangle sanity, layout choices, the command-line buffer
// rules and the information texts.
#ifndef QUIL_EDITOR_SHELL_SHELLUTIL_H
#define QUIL_EDITOR_SHELL_SHELLUTIL_H

#include <cstddef>
#include <cstdint>

enum {
  SHELL_PATH_SIZE = 260,
  SHELL_LINE_SIZE = 80,  // the command-line buffer: 79 characters and the NUL
};

extern const char kProgramTitle[];  // "Quil 7.0.91"
extern const char kVersion[];       // "7.0.91"
extern const char kEdition[];       // "beta2"

// --- paths -----------------------------------------------------------------
// Copy without a trailing backslash.
void DirNoSlash(char* out, size_t size, const char* path);
// Copy without double quotes, at most 259 characters; empty for null.
void ArgPathUnquote(char* out, size_t size, const char* text);
// A cell-file argument split into its folder (drive and folder, no trailing
// backslash; empty when the argument names no folder) and its cell name
// (upper case, no extension). Returns 0 for an empty argument.
int ArgCellSplit(const char* arg, char* folder, size_t folderSize, char* cell, size_t cellSize);
// The folder part of a module path ("C:\a b\QUIL7.EXE" -> "C:\a b\").
void ModuleFolder(char* out, size_t size, const char* modulePath);
// Whether a typed STARTUP folder is the install folder ("\quil7" from the
// third character on, any case, with or without a trailing backslash).
int IsInstallFolder(const char* folder);
// Name of the run mutex for a drawing folder: one per normalised path, so an
// editor on another drawing never counts.
void RunMutexName(char* out, size_t size, const char* folder);
// The temp folder of this editor: "<drive>\QuilTempFiles\<id>\"; the parent
// "<drive>\QuilTempFiles" goes to parent. Empty without a system drive.
void TempFolderName(char* out, size_t size, char* parent, size_t parentSize,
                    const char* systemDrive, unsigned id);
// "C:" when the Windows folder starts with a drive letter, else empty.
int SystemDriveOf(char* out, size_t size, const char* windowsFolder);

// --- run-application lists (16 entries of 260, most recent first) ---------
enum { RUN_LIST_MAX = 16 };
// Moves text to the front (adds it, dropping the oldest, when not there;
// compared without regard to case; written as given).
void RunListPush(char list[][SHELL_PATH_SIZE], const char* text);
// Deletes the first entry equal to text; 1 when one was.
int RunListDelete(char list[][SHELL_PATH_SIZE], const char* text);
void RunListClean(char list[][SHELL_PATH_SIZE]);
// The command line that starts an application with an argument: the program
// quoted when it holds a blank, a blank, the argument. 0 when the program
// is empty or the line does not fit.
int RunLineForm(char* out, size_t size, const char* program, const char* argument);
// Wine mode's form of a path: what precedes the first backslash dropped,
// backslashes turned into slashes.
void UnixPathForm(char* out, size_t size, const char* path);

// --- window and layout ------------------------------------------------------
struct WinRect {
  int left, top, right, bottom;
};
// Makes a saved main-window rectangle usable on this screen.
void WindowRectSanitize(WinRect* r, int cxFull, int cyFull, int cyCaption);
// Tool-strip class of a full-screen width: 0 up to 640, 1, 2, 3 above 1024.
int ToolClassOfScreen(int cxFull);
// Largest class whose measured strip is narrower than the client width.
int ToolClassPick(const int widths[4], int clientWidth);
// Largest command-panel layout whose measured height is below the space.
int PanelLayoutPick(const int heights[6], int available);
// Template names.
void ToolbarTemplate(char* out, size_t size, int toolClass, int textToolbar);
void MenuTemplates(char* shown, char* hidden, size_t size, int layout);

struct LayoutInput {
  int clientLeft, clientTop, clientRight, clientBottom;
  int toolHeight, bottomHeight, panelWidth;
  int leftCmdMenu;
};
struct LayoutArea {
  int left, top, right, bottom, ox, oy;
  double aspect;
  int empty;  // no drawing area: skip layout of the view and any redraw
};
void DrawAreaCompute(const LayoutInput& in, LayoutArea* out);

// --- command lines ---------------------------------------------------------
// A line handed over by another program: at most 79 characters up to the
// first NUL within cb bytes. A longer line is refused whole (returns 0) and
// the buffer is left as it was.
int CmdLineAccept(char* buf, size_t size, const void* data, size_t cb);
// F-key command id 1400..1410 to the line number 1..11, 0 when the id is
// not an F-key or its line is not defined (count lines defined).
int FKeyLineIndex(int id, int count);
// Copies an F-key line into the 80-character buffer, cut at 79.
void FKeyLineCopy(char* buf, size_t size, const char* line);

// --- toggles ----------------------------------------------------------------
struct ToggleKey {
  uint32_t bits;
  int redraw;  // 1: Draw posted afterwards unless notogdraw= is set
};
// The toggle a WM_CHAR key flips (A, D, C, H, I, N, R, T, V; either case);
// bits 0 for other keys.
ToggleKey ToggleKeyOf(int ch);
// The toggle a bottom-bar check button (700..710) acts on; for 700 and 701
// set says whether the bit is set or cleared, for the others it flips.
struct ToggleButton {
  uint32_t bits;
  int mode;    // 0 none, 1 set, 2 clear, 3 flip, 4 polar dialog
  int redraw;
};
ToggleButton ToggleButtonOf(int id);
// Whether check button id shows checked for a toggle word.
int ToggleChecked(int id, uint32_t togs);

// --- information texts ------------------------------------------------------
void InfoAllocText(char* out, size_t size, const char* winVersion, const char* progFolder,
                   int wineMode);
void BuildHistoryText(char* out, size_t size, const char* buildDate);
void ObjectInfoText(char* out, size_t size, int boxes, int paths, int texts, int cells);
// "Windows ... %s" text and code for a platform id and version numbers.
int SystemVersionText(char* out, size_t size, int platformNt, int major, int minor,
                      const char* servicePack);

#endif
