// Settings files, the cell reference list and the folder checks of the
// satellite programs.
#ifndef QUIL_LIB_SATSETUP_H
#define QUIL_LIB_SATSETUP_H

#include <cstdint>

#include "q7tlcdef.h"

enum { CELL_INFO_MAX = 8190 };

struct CellInfo {
  char name[NAMLEN + 1];
  int32_t flags;  // rank in the low 5 bits
  int32_t l, b, r, t;
  int32_t nb, np, nv, nc;
};

struct CellInfoTable {
  CellInfo cell[CELL_INFO_MAX + 1];  // 1..count; 0 unused
  int count = 0;
  char curName[NAMLEN + 1] = "";     // set by GetCinfo
  int curIndex = 0;
  int curRank = 0;
};
extern CellInfoTable Cells;
void CellInfoReset();

// QUIL7.USF of the current folder: 1 when it can't be opened.
int UsfMainRead();
// The program's own settings file "<display name>.usf": 1 when missing.
int UsfRead();
// 0 written, 1 when it can't be created or a write failed.
int UsfWrite();
// One settings line against slot i's key; 1 when taken (the line is then emptied).
int UsfReadKey(int i, const char* key, char* line);
// One settings line against the run-application lists' entry i.
int UsfReadRecent(int i, char* line);
// 1 when slot i begins with "Y" (upper-cased first); else it becomes "N".
int UsfFlag(int i);

// Run-application lists: move (or add) text to the front; delete the first
// entry equal to text (1 when one was); empty the whole list.
void RecentPush(char list[][260], const char* text);
int RecentDelete(char list[][260], const char* text);
void RecentClean(char list[][260]);

// QUIL7.CRF (or CELLS7.DBD, CELLS6.DBD) into the cell information table: 1
// when none opens. (The editor's own reader, CrfRead, fills its cell table.)
int SatCrfRead();
// The same with the program's own warning when the count disagrees.
int SatCrfReadAs(const char* badCountText);
int GetCinfo(const char* name);
const char* CellInfoText(int i);
int CellExists(const char* name, int starAllowed);
void SetupMissingShow();
void CrfMissingShow();
// Creates an output folder: 1 made or there, 0 invalid.
int FolderMake(const char* path);

#endif
