#include "satsetup.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "namecheck.h"
#include "satlib.h"
#include "satutil.h"

CellInfoTable Cells;

namespace {

int KeyIs(const char* line, const char* key) {
  size_t n = strlen(key);
  for (size_t i = 0; i < n; ++i) {
    if (!line[i] || tolower((unsigned char)line[i]) != tolower((unsigned char)key[i])) return 0;
  }
  return 1;
}

const char* AfterEquals(const char* line) {
  const char* e = strchr(line, '=');
  return e ? e + 1 : "";
}

// "<prefix><digits>=" at the start of line: the number, or -1.
int NumberedKey(const char* line, const char* prefix) {
  if (!KeyIs(line, prefix)) return -1;
  const char* p = line + strlen(prefix);
  if (!isdigit((unsigned char)*p)) return -1;
  long v = 0;
  while (isdigit((unsigned char)*p)) {
    if (v < 100000) v = v * 10 + (*p - '0');
    ++p;
  }
  return *p == '=' ? (int)v : -1;
}

void CellDefaults(CellInfo& c) {
  snprintf(c.name, sizeof c.name, "NONE");
  c.flags = 1;
  c.l = c.b = 0;
  c.r = c.t = 1;
  c.nb = c.np = c.nv = c.nc = 0;
}

}  // namespace

void CellInfoReset() {
  Cells.count = 0;
  Cells.curName[0] = '\0';
  Cells.curIndex = Cells.curRank = 0;
  memset(Cells.cell, 0, sizeof Cells.cell);
}

int UsfMainRead() {
  FILE* f = SatOpen("QUIL7.USF", "r");
  if (!f) return 1;
  char line[1024];
  while (fgets(line, sizeof line, f)) {
    strclip(line, 0);
    size_t len = strlen(line);
    if (KeyIs(line, "scale=")) {
      if (len > 6) {
        // A scale such as 0.5 is a real number of units.
        char* end = nullptr;
        double v = strtod(AfterEquals(line), &end);
        if (end != AfterEquals(line) && v > 0) SatSetup.scale = v;
      }
    } else if (KeyIs(line, "notips=")) {
      if (len > 7) SatSetup.notips = atoi(AfterEquals(line));
    } else if (KeyIs(line, "physunit=")) {
      if (len > 9) snprintf(SatSetup.physunit, sizeof SatSetup.physunit, "%s", AfterEquals(line));
    } else if (KeyIs(line, "stdmsgbox=")) {
      if (len > 7) SatSetup.stdmsgbox = atoi(AfterEquals(line));
    } else if (KeyIs(line, "texttoolbar=")) {
      if (len > 7) SatSetup.texttoolbar = atoi(AfterEquals(line));
    } else if (KeyIs(line, "winemods=")) {
      if (len > 7) SatSetup.winemods = atoi(AfterEquals(line));
    }
  }
  fclose(f);
  return 0;
}

int UsfReadKey(int i, const char* key, char* line) {
  if (!line[0] || !KeyIs(line, key)) return 0;
  snprintf(UsfSlot(i), SAT_SLOT_SIZE, "%s", strlen(line) > strlen(key) ? AfterEquals(line) : "");
  line[0] = '\0';
  return 1;
}

int UsfReadRecent(int i, char* line) {
  if (!line[0]) return 0;
  if (NumberedKey(line, "rdp") == i) {
    snprintf(SatFrame.recentApp[i], SAT_PATH_SIZE, "%s", AfterEquals(line));
    line[0] = '\0';
    return 1;
  }
  if (NumberedKey(line, "rdf") == i) {
    snprintf(SatFrame.recentFile[i], SAT_PATH_SIZE, "%s", AfterEquals(line));
    line[0] = '\0';
    return 1;
  }
  return 0;
}

int UsfFlag(int i) {
  char* s = UsfSlot(i);
  for (char* p = s; *p; ++p) *p = (char)toupper((unsigned char)*p);
  if (s[0] == 'Y') return 1;
  if (i >= 0 && i < SAT_SLOTS) snprintf(s, SAT_SLOT_SIZE, "N");
  return 0;
}

int UsfRead() {
  const SatProgram* prog = SatFrame.prog;
  if (!prog) return 1;
  char name[SAT_PATH_SIZE];
  snprintf(name, sizeof name, "%s.usf", prog->displayName);
  FILE* f = SatOpen(name, "r");
  if (!f) return 1;
  char line[SAT_SLOT_SIZE + 8];
  while (fGetLine(line, SAT_SLOT_SIZE, f)) {
    strclip(line, 255);
    for (int i = 0; prog->keys && i < SAT_SLOTS && prog->keys[i]; ++i) UsfReadKey(i, prog->keys[i], line);
    for (int i = 0; i < SAT_RECENT; ++i) UsfReadRecent(i, line);
    if (!line[0] || !prog->lists) continue;
    for (SatUsfList* l = prog->lists; l->key; ++l) {
      int n = NumberedKey(line, l->key);
      if (n < 0) continue;
      if (n >= l->max) {
        // A stored list longer than the table: the rest is refused, not
        // written past the table's end.
        char text[SAT_TEXT_SIZE];
        snprintf(text, sizeof text, "Too Many %s Entries in %s.usf ... %d Kept", l->key,
                 prog->displayName, l->max);
        WarningShow(text);
      } else {
        snprintf(l->data + (size_t)n * (size_t)l->size, (size_t)l->size, "%s", AfterEquals(line));
      }
      line[0] = '\0';
      break;
    }
  }
  fclose(f);
  if (prog->setupApply) prog->setupApply(SatFrame.st, 0);
  return 0;
}

int UsfWrite() {
  const SatProgram* prog = SatFrame.prog;
  if (!prog) return 1;
  if (prog->setupApply) prog->setupApply(SatFrame.st, 0);
  char name[SAT_PATH_SIZE];
  snprintf(name, sizeof name, "%s.usf", prog->displayName);
  FILE* f = SatOpen(name, "w");
  if (!f) return 1;
  int bad = 0;
  for (int i = 0; prog->keys && i < SAT_SLOTS && prog->keys[i]; ++i)
    if (fprintf(f, "%s%s\n", prog->keys[i], SatFrame.slots[i]) < 0) bad = 1;
  for (int i = 0; i < SAT_RECENT; ++i) {
    if (fprintf(f, "rdp%d=%s\n", i, SatFrame.recentApp[i]) < 0) bad = 1;
    if (fprintf(f, "rdf%d=%s\n", i, SatFrame.recentFile[i]) < 0) bad = 1;
  }
  for (SatUsfList* l = prog->lists; l && l->key; ++l) {
    for (int n = 0; n < l->max; ++n) {
      const char* v = l->data + (size_t)n * (size_t)l->size;
      if (v[0] && fprintf(f, "%s%d=%s\n", l->key, n, v) < 0) bad = 1;
    }
  }
  if (ferror(f)) bad = 1;
  if (fclose(f) != 0) bad = 1;
  return bad;
}

void RecentPush(char list[][260], const char* text) {
  if (!text || !text[0]) return;
  char keep[SAT_PATH_SIZE];
  snprintf(keep, sizeof keep, "%s", text);
  int found = SAT_RECENT - 1;
  for (int i = 0; i < SAT_RECENT; ++i) {
    if (SatStricmp(list[i], keep) == 0) {
      found = i;
      break;
    }
  }
  for (int i = found; i > 0; --i) memcpy(list[i], list[i - 1], SAT_PATH_SIZE);
  memcpy(list[0], keep, SAT_PATH_SIZE);
}

int RecentDelete(char list[][260], const char* text) {
  if (!text) return 0;
  for (int i = 0; i < SAT_RECENT; ++i) {
    if (list[i][0] && SatStricmp(list[i], text) == 0) {
      for (int k = i; k + 1 < SAT_RECENT; ++k) memcpy(list[k], list[k + 1], SAT_PATH_SIZE);
      list[SAT_RECENT - 1][0] = '\0';
      return 1;
    }
  }
  return 0;
}

void RecentClean(char list[][260]) {
  for (int i = 0; i < SAT_RECENT; ++i) list[i][0] = '\0';
}

int SatCrfRead() { return SatCrfReadAs("CELLS7.CRF File Error ... Keeping Valid Cells"); }

int SatCrfReadAs(const char* badCountText) {
  FILE* f = SatOpen("QUIL7.CRF", "r");
  if (!f) f = SatOpen("CELLS7.DBD", "r");
  if (!f) f = SatOpen("CELLS6.DBD", "r");
  if (!f) return 1;
  Cells.count = 0;
  char line[1024];
  int announced = 0;
  if (fgets(line, sizeof line, f)) announced = atoi(strclip(line, 0));
  if (announced < 0) announced = 0;
  int valid = 0, tooMany = 0;
  for (int i = 0; i < announced; ++i) {
    if (!fgets(line, sizeof line, f)) break;
    // The whole name is checked before it is cut to size: a name becomes a
    // file name, so one that leaves the drawing, names a device or only
    // matches another cell after the cut must never reach a path.
    char name[NAMLEN + 1];
    strclip(line, 0);
    bool nameOk = strlen(line) <= NAMLEN && CellNameValid(line);
    snprintf(name, sizeof name, "%.*s", (int)NAMLEN, line);
    if (!fgets(line, sizeof line, f)) break;
    if (valid >= CELL_INFO_MAX) {
      tooMany = 1;
      break;
    }
    CellInfo& c = Cells.cell[valid + 1];
    CellDefaults(c);
    for (char* p = name; *p; ++p) *p = (char)toupper((unsigned char)*p);
    snprintf(c.name, sizeof c.name, "%s", name);
    int32_t v[9];
    int got = 0;
    for (const char* p = line; got < 9;) {
      while (*p == ' ' || *p == '\t') ++p;
      if (!*p || *p == '\r' || *p == '\n') break;
      char* end = nullptr;
      long long n = strtoll(p, &end, 10);
      if (end == p) break;
      v[got++] = (int32_t)(n > INT32_MAX ? INT32_MAX : n < INT32_MIN ? INT32_MIN : n);
      p = end;
    }
    if (!nameOk || got < 1 || v[0] < 1 || v[0] > 24) continue;  // a bad entry is left out, not kept in place
    c.flags = v[0];
    int32_t* fields[8] = {&c.l, &c.b, &c.r, &c.t, &c.nb, &c.np, &c.nv, &c.nc};
    for (int k = 1; k < got; ++k) *fields[k - 1] = v[k];
    ++valid;
  }
  fclose(f);
  Cells.count = valid;
  if (tooMany) {
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text, "Too Many Cells in Cell Reference File ... %d Kept", CELL_INFO_MAX);
    WarningShow(text);
  } else if (valid != announced) {
    WarningShow(badCountText);
  }
  return 0;
}

int GetCinfo(const char* name) {
  Cells.curName[0] = '\0';
  Cells.curIndex = Cells.curRank = 0;
  if (!name || !name[0]) return 0;
  for (int i = 1; i <= Cells.count; ++i) {
    if (SatStricmp(Cells.cell[i].name, name) == 0) {
      snprintf(Cells.curName, sizeof Cells.curName, "%s", Cells.cell[i].name);
      Cells.curIndex = i;
      Cells.curRank = Cells.cell[i].flags & 0x1f;
      return i;
    }
  }
  return 0;
}

const char* CellInfoText(int i) {
  static char text[NAMLEN + 16];
  if (i < 1 || i > Cells.count) {
    text[0] = '\0';
    return text;
  }
  snprintf(text, sizeof text, "%s (%d)", Cells.cell[i].name, Cells.cell[i].flags & 0x1f);
  return text;
}

int CellExists(const char* name, int starAllowed) {
  if (name && starAllowed && strcmp(name, "*") == 0) return 1;
  if (GetCinfo(name)) return 1;
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Cell \"%s\" does Not Exist", name ? name : "");
  MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
  return 0;
}

void SetupMissingShow() {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text,
           "The Current Folder is %s\n\nThe Main Setup File is Missing\n\nStart a QUIL Drawing to Create "
           "One\n\nThis Program Should Run from a Drawing Folder",
           SatFrame.startFolder);
  ErrorShow(text);
}

void CrfMissingShow() {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text,
           "The Current Folder is %s\n\nThe Cell Reference File is Missing and is not a Drawing "
           "Folder\n\nThis Program Should Run from a Drawing Folder",
           SatFrame.startFolder);
  ErrorShow(text);
}

int FolderMake(const char* path) {
  if (!path || !path[0]) return 1;
  char text[SAT_TEXT_SIZE];
  switch (SatMkdir(path)) {
    case 0:
      snprintf(text, sizeof text, "Folder %s was Created", path);
      MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
      return 1;
    case 1:
      return 1;
    case SAT_MKDIR_DENIED:
      snprintf(text, sizeof text, "Folder %s can't be Created ... the Drawing Folder can't be Written", path);
      ErrorShow(text);
      return 0;
    default:
      snprintf(text, sizeof text, "Folder %s is Invalid", path);
      ErrorShow(text);
      return 0;
  }
}
