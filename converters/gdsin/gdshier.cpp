// The hierarchy passes (structure table and ranks) and the cell names.
#include <cctype>
#include <cstring>

#include "gdsin.h"
#include "gdsinpriv.h"
#include "host.h"
#include "namecheck.h"

namespace {

uint32_t Hash(const char* name, int upper) {
  uint32_t h = 2166136261u;
  for (const unsigned char* p = (const unsigned char*)name; *p; ++p) {
    unsigned c = upper ? (unsigned)toupper(*p) : *p;
    h = (h ^ c) * 16777619u;
  }
  return h & (GDSIN_HASH - 1);
}

void Upper(char* out, const char* in, size_t size) {
  snprintf(out, size, "%s", in);
  for (char* p = out; *p; ++p) *p = (char)toupper((unsigned char)*p);
}

// Finds in one of the hash tables; key: 0 exact name, 1 name without case,
// 2 cell name.
int Find(int32_t* table, const char* name, int key) {
  GdsInState& s = GdsInSt;
  uint32_t h = Hash(name, key == 1);
  for (int probe = 0; probe < GDSIN_HASH; ++probe) {
    int32_t i = table[(h + (uint32_t)probe) & (GDSIN_HASH - 1)];
    if (i == 0) return 0;
    const GdsStruct& e = s.st[i];
    if (key == 0 && strcmp(e.name, name) == 0) return i;
    if (key == 1 && CnvSameName(e.name, name)) return i;
    if (key == 2 && strcmp(e.cell, name) == 0) return i;
  }
  return 0;
}

void Insert(int32_t* table, const char* name, int key, int index) {
  uint32_t h = Hash(name, key == 1);
  for (int probe = 0; probe < GDSIN_HASH; ++probe) {
    int32_t& slot = table[(h + (uint32_t)probe) & (GDSIN_HASH - 1)];
    if (slot == 0) {
      slot = index;
      return;
    }
  }
}

int Omitted(const char* name) {
  for (int i = 0; i < GDSIN_OMITS; ++i)
    if (GdsInSt.omit[i][0] && strcmp(GdsInSt.omit[i], name) == 0) return 1;
  return 0;
}

void LogText(const char* text) {
  if (GdsInSt.log) fputs(text, GdsInSt.log);
}

void RankWarn(GdsStruct& e) {
  if (e.rankWarned) return;
  e.rankWarned = 1;
  char msg[400];
  snprintf(msg, sizeof msg,
           "Maximum Rank of %d has been reached in %s\n\nThe GDS file may be nested too deeply or it is possible that "
           "the GDS file\ncontains recursively nested structures\n\nRank of cell will be set at maximum rank and "
           "conversion will continue",
           GDSIN_MAXRANK, e.name);
  HostWarning(msg);
}

// One record of a hierarchy pass; 0 ends the pass (ENDLIB or a stop).
int HierRecord() {
  GdsInState& s = GdsInSt;
  char name[GDSIN_NAMELEN + 1], msg[200];
  switch (s.rt) {
    case GR_HEADER:
      if (!GdsSkip()) return 0;
      snprintf(msg, sizeof msg, "Building Hierarchy ... Pass %d", s.pass);
      GdsCounter(500, msg);
      GdsPoll(500);
      return 1;
    case GR_BGNLIB: {
      if (!GdsReadData()) return 0;
      if (s.pass == 1) {
        int y = GdsReadInt2(0);
        if (y < 1900) y += 1900;
        snprintf(msg, sizeof msg, "GDS Date is %d-%d-%d  %d:%02d:%02d", GdsReadInt2(1), GdsReadInt2(2), y,
                 GdsReadInt2(3), GdsReadInt2(4), GdsReadInt2(5));
        GdsInList(msg);
      }
      return 1;
    }
    case GR_LIBNAME: {
      if (s.rl >= 1024) return GdsFail("GDS Data Type is Wrong");
      if (!GdsReadData()) return 0;
      if (s.pass == 1) {
        char lib[GDSIN_STRLEN + 1];
        GdsString(lib, GDSIN_STRLEN);
        char text[GDSIN_STRLEN + 40];
        snprintf(text, sizeof text, "Library Name is %s", lib);
        GdsInList(text);
      }
      return 1;
    }
    case GR_UNITS: {
      if (!GdsReadData()) return 0;
      if (!GdsUnitsSet(GdsReal8At(0), GdsReal8At(1), s.pass == 1)) return 0;
      if (s.pass == 1) {
        snprintf(msg, sizeof msg, "Scales: GDS= %.*g Database Units per %s  TLC= %.*g per %s", 9, s.G, s.unit, 9,
                 s.tlcScale, s.unit);
        GdsInList(msg);
        LogText("\nHierachy Build:\n\n");
        LogText("Lower Structure Rank --> Higher Cell New Rank\n");
        LogText("-------------------------------------------------\n\n");
      }
      return 1;
    }
    case GR_BGNSTR:
      if (!GdsSkip()) return 0;
      GdsProgress();
      return 1;
    case GR_STRNAME: {
      if (!GdsReadData()) return 0;
      GdsString(name, GDSIN_NAMELEN);
      s.highRank = 0;
      s.cur = 0;
      s.omitted = Omitted(name);
      snprintf(s.curName, sizeof s.curName, "%s", name);
      if (s.omitted) return 1;
      if (s.pass == 2) {
        int other = Find(s.hashUpper, name, 1);
        if (other && strcmp(s.st[other].name, name) != 0) {
          char text[200];
          snprintf(text, sizeof text,
                   "%s <- ? -> %s\n\nMore than one Structure with the same uppercase name has been found\n\nContinue "
                   "or Abort with ESC.",
                   s.st[other].name, name);
          HostWarning(text);
        }
      }
      int i = Find(s.hashName, name, 0);
      if (i && s.st[i].defined == s.pass) {
        // A second definition is not converted, so it does not rank either.
        s.omitted = 1;
        return 1;
      }
      if (!i) {
        if (s.nSt >= GDSIN_MAXSTRUCT - 1) {
          s.nSt = GDSIN_MAXSTRUCT;
          return GdsFail("Too Many Structures (cells) in GDS File");
        }
        i = ++s.nSt;
        GdsStruct& e = s.st[i];
        memset(&e, 0, sizeof e);
        snprintf(e.name, sizeof e.name, "%s", name);
        e.rank = 1;
        Insert(s.hashName, name, 0, i);
        if (!Find(s.hashUpper, name, 1)) Insert(s.hashUpper, name, 1, i);
        s.changed = 1;
      }
      s.st[i].defined = s.pass;
      s.cur = i;
      s.curRank = s.st[i].rank;
      if (s.curRank > GDSIN_MAXRANK) {
        s.curRank = GDSIN_MAXRANK;
        RankWarn(s.st[i]);
      }
      snprintf(msg, sizeof msg, "Structure: %.32s  Present rank: %d", name, s.curRank);
      GdsCounter(519, msg);
      return 1;
    }
    case GR_SNAME: {
      if (!GdsReadData()) return 0;
      if (s.omitted || s.pass == 1 || !s.cur) return 1;
      GdsString(name, GDSIN_NAMELEN);
      int i = Find(s.hashName, name, 0);
      if (!i) return 1;
      int r = s.st[i].rank;
      if (r > s.highRank) s.highRank = r;
      if (s.highRank >= s.curRank) {
        int want = s.highRank + 1;
        // A cycle would raise the ranks pass after pass: they stop at the
        // highest rank instead.
        if (want > GDSIN_MAXRANK) {
          want = GDSIN_MAXRANK;
          RankWarn(s.st[s.cur]);
        }
        if (want != s.curRank) {
          s.curRank = want;
          s.changed = 1;
          if (s.log) fprintf(s.log, "%s %d --> %s %d\n", name, r, s.curName, want);
        }
      }
      return 1;
    }
    case GR_ENDSTR:
      if (!GdsSkip()) return 0;
      if (!s.omitted && s.cur) s.st[s.cur].rank = s.curRank;
      s.cur = 0;
      GdsProgress();
      return 1;
    case GR_ENDLIB:
      s.passEnded = 1;
      return 0;
    default:
      return GdsSkip();
  }
}

}  // namespace

int GdsStructFind(const char* name) { return name ? Find(GdsInSt.hashName, name, 0) : 0; }

int GdsHierarchy() {
  GdsInState& s = GdsInSt;
  s.changed = 1;
  s.pass = 0;
  // The pass count does not hang on HEADER records: a file without one
  // still ends its passes.
  while (s.changed && s.pass < 25 && !s.abort) {
    s.changed = 0;
    ++s.pass;
    GdsSourceRewind(&s.src);
    s.firstHeader = 1;
    s.passEnded = 0;
    s.cur = 0;
    s.omitted = 0;
    while (GdsReadHeader()) {
      if (!HierRecord()) break;
      GdsPoll(0);
      if (s.abort) break;
    }
    if (s.abort || !s.passEnded) return 0;
    GdsPoll(500);
  }
  return s.abort ? 0 : 1;
}

int GdsNameBad(const char* name) {
  GdsInState& s = GdsInSt;
  if (!name || !name[0] || strlen(name) > GDSIN_NAMELEN) return 1;
  for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
    if (*p < 0x21 || *p >= 0x80 || strchr(" \"*+'`./:;<=>?\\|()%", *p)) return 1;
  if (!CellNameValid(name)) return 1;
  char up[GDSIN_NAMELEN + 1];
  Upper(up, name, sizeof up);
  if (Find(s.hashCell, up, 2)) return 1;
  if (s.nSt > GDSIN_MAXSTRUCT) return 1;
  return 0;
}

int GdsCellNames() {
  GdsInState& s = GdsInSt;
  GdsCounter(500, "Making Cell Names ...");
  GdsPoll(50);
  if (s.abort) return 0;
  for (int i = 1; i <= s.nSt; ++i) {
    GdsStruct& e = s.st[i];
    char tried[GDSIN_NAMELEN + 1];
    snprintf(tried, sizeof tried, "%s", e.name);
    while (GdsNameBad(tried)) {
      char up[GDSIN_NAMELEN + 1];
      Upper(up, tried, sizeof up);
      snprintf(tried, sizeof tried, "%s", up);
      if (!s.newName || !s.newName(e.name, tried)) {
        snprintf(e.cell, sizeof e.cell, "NONAME");
        s.abort = 1;
        return 0;
      }
      tried[GDSIN_NAMELEN] = 0;
    }
    Upper(e.cell, tried, sizeof e.cell);
    Insert(s.hashCell, e.cell, 2, i);
    char msg[100];
    snprintf(msg, sizeof msg, "Structure %s --> Cell %s", e.name, e.cell);
    GdsCounter(519, msg);
  }
  return 1;
}
