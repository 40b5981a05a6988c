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
int Find(GdsInState* st, int32_t* table, const char* name, int key) {
  uint32_t h = Hash(name, key == 1);
  for (int probe = 0; probe < GDSIN_HASH; ++probe) {
    int32_t i = table[(h + (uint32_t)probe) & (GDSIN_HASH - 1)];
    if (i == 0) return 0;
    const GdsStruct& e = st->structs[i];
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

int Omitted(GdsInState* st, const char* name) {
  for (int i = 0; i < GDSIN_OMITS; ++i)
    if (st->omit[i][0] && strcmp(st->omit[i], name) == 0) return 1;
  return 0;
}

void LogText(GdsInState* st, const char* text) {
  if (st->log) fputs(text, st->log);
}

void RankWarn(GdsStruct& e) {
  if (e.rankWarned) return;
  e.rankWarned = 1;
  char msg[GDSIN_SNAMELEN + 400];
  snprintf(msg, sizeof msg,
           "Maximum Rank of %d has been reached in %s\n\nThe GDS file may be nested too deeply or it is possible that "
           "the GDS file\ncontains recursively nested structures\n\nRank of cell will be set at maximum rank and "
           "conversion will continue",
           GDSIN_MAXRANK, e.name);
  HostWarning(msg);
}

// One record of a hierarchy pass; 0 ends the pass (ENDLIB or a stop).
int HierRecord(GdsInState* st) {
  char name[GDSIN_SNAMELEN + 1], msg[200];
  switch (st->rt) {
    case GR_HEADER:
      if (!GdsSkip(st)) return 0;
      snprintf(msg, sizeof msg, "Building Hierarchy ... Pass %d", st->pass);
      GdsCounter(st, 500, msg);
      GdsPoll(st, 500);
      return 1;
    case GR_BGNLIB: {
      if (!GdsReadData(st)) return 0;
      if (st->pass == 1) {
        int y = GdsReadInt2(st, 0);
        if (y < 1900) y += 1900;
        snprintf(msg, sizeof msg, "GDS Date is %d-%d-%d  %d:%02d:%02d", GdsReadInt2(st, 1), GdsReadInt2(st, 2), y,
                 GdsReadInt2(st, 3), GdsReadInt2(st, 4), GdsReadInt2(st, 5));
        GdsInList(st, msg);
      }
      return 1;
    }
    case GR_LIBNAME: {
      if (st->rl >= 1024) return GdsFail(st, "GDS Data Type is Wrong");
      if (!GdsReadData(st)) return 0;
      if (st->pass == 1) {
        char lib[GDSIN_STRLEN + 1];
        GdsString(st, lib, GDSIN_STRLEN);
        char text[GDSIN_STRLEN + 40];
        snprintf(text, sizeof text, "Library Name is %s", lib);
        GdsInList(st, text);
      }
      return 1;
    }
    case GR_UNITS: {
      if (!GdsReadData(st)) return 0;
      if (!GdsUnitsSet(st, GdsReal8At(st, 0), GdsReal8At(st, 1), st->pass == 1)) return 0;
      if (st->pass == 1) {
        snprintf(msg, sizeof msg, "Scales: GDS= %.*g Database Units per %s  TLC= %.*g per %s", 9, st->G, st->unit, 9,
                 st->tlcScale, st->unit);
        GdsInList(st, msg);
        LogText(st, "\nHierachy Build:\n\n");
        LogText(st, "Lower Structure Rank --> Higher Cell New Rank\n");
        LogText(st, "-------------------------------------------------\n\n");
      }
      return 1;
    }
    case GR_BGNSTR:
      if (!GdsSkip(st)) return 0;
      GdsProgress(st);
      return 1;
    case GR_STRNAME: {
      if (!GdsReadData(st)) return 0;
      GdsString(st, name, GDSIN_SNAMELEN);
      st->highRank = 0;
      st->cur = 0;
      st->omitted = Omitted(st, name);
      snprintf(st->curName, sizeof st->curName, "%s", name);
      if (st->omitted) return 1;
      if (st->pass == 2) {
        int other = Find(st, st->hashUpper, name, 1);
        if (other && strcmp(st->structs[other].name, name) != 0) {
          char text[2 * GDSIN_SNAMELEN + 200];
          snprintf(text, sizeof text,
                   "%s <- ? -> %s\n\nMore than one Structure with the same uppercase name has been found\n\nContinue "
                   "or Abort with ESC.",
                   st->structs[other].name, name);
          HostWarning(text);
        }
      }
      int i = Find(st, st->hashName, name, 0);
      if (i && st->structs[i].defined == st->pass) {
        // A second definition is not converted, so it does not rank either.
        st->omitted = 1;
        return 1;
      }
      if (!i) {
        if (st->nSt >= GDSIN_MAXSTRUCT - 1) {
          st->nSt = GDSIN_MAXSTRUCT;
          return GdsFail(st, "Too Many Structures (cells) in GDS File");
        }
        i = ++st->nSt;
        GdsStruct& e = st->structs[i];
        memset(&e, 0, sizeof e);
        snprintf(e.name, sizeof e.name, "%s", name);
        e.rank = 1;
        Insert(st->hashName, name, 0, i);
        if (!Find(st, st->hashUpper, name, 1)) Insert(st->hashUpper, name, 1, i);
        st->changed = 1;
      }
      st->structs[i].defined = st->pass;
      st->cur = i;
      st->curRank = st->structs[i].rank;
      if (st->curRank > GDSIN_MAXRANK) {
        st->curRank = GDSIN_MAXRANK;
        RankWarn(st->structs[i]);
      }
      snprintf(msg, sizeof msg, "Structure: %.32s  Present rank: %d", name, st->curRank);
      GdsCounter(st, 519, msg);
      return 1;
    }
    case GR_SNAME: {
      if (!GdsReadData(st)) return 0;
      if (st->omitted || st->pass == 1 || !st->cur) return 1;
      GdsString(st, name, GDSIN_SNAMELEN);
      int i = Find(st, st->hashName, name, 0);
      if (!i) return 1;
      int r = st->structs[i].rank;
      if (r > st->highRank) st->highRank = r;
      if (st->highRank >= st->curRank) {
        int want = st->highRank + 1;
        // A cycle would raise the ranks pass after pass: they stop at the
        // highest rank instead.
        if (want > GDSIN_MAXRANK) {
          want = GDSIN_MAXRANK;
          RankWarn(st->structs[st->cur]);
        }
        if (want != st->curRank) {
          st->curRank = want;
          st->changed = 1;
          if (st->log) fprintf(st->log, "%s %d --> %s %d\n", name, r, st->curName, want);
        }
      }
      return 1;
    }
    case GR_ENDSTR:
      if (!GdsSkip(st)) return 0;
      if (!st->omitted && st->cur) st->structs[st->cur].rank = st->curRank;
      st->cur = 0;
      GdsProgress(st);
      return 1;
    case GR_ENDLIB:
      st->passEnded = 1;
      return 0;
    default:
      return GdsSkip(st);
  }
}

}  // namespace

int GdsStructFind(GdsInState* st, const char* name) { return name ? Find(st, st->hashName, name, 0) : 0; }

int GdsHierarchy(GdsInState* st) {
  st->changed = 1;
  st->pass = 0;
  // The pass count does not hang on HEADER records: a file without one
  // still ends its passes.
  while (st->changed && st->pass < 25 && !st->abort) {
    st->changed = 0;
    ++st->pass;
    GdsSourceRewind(&st->src);
    st->firstHeader = 1;
    st->passEnded = 0;
    st->cur = 0;
    st->omitted = 0;
    while (GdsReadHeader(st)) {
      if (!HierRecord(st)) break;
      GdsPoll(st, 0);
      if (st->abort) break;
    }
    if (st->abort || !st->passEnded) return 0;
    GdsPoll(st, 500);
  }
  return st->abort ? 0 : 1;
}

int GdsNameBad(GdsInState* st, const char* name) {
  if (!name || !name[0] || strlen(name) > GDSIN_NAMELEN) return 1;
  for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
    if (*p < 0x21 || *p >= 0x80 || strchr(" \"*+'`./:;<=>?\\|()%", *p)) return 1;
  if (!CellNameValid(name)) return 1;
  char up[GDSIN_NAMELEN + 1];
  Upper(up, name, sizeof up);
  if (Find(st, st->hashCell, up, 2)) return 1;
  if (st->nSt > GDSIN_MAXSTRUCT) return 1;
  return 0;
}

int GdsCellNames(GdsInState* st) {
  GdsCounter(st, 500, "Making Cell Names ...");
  GdsPoll(st, 50);
  if (st->abort) return 0;
  for (int i = 1; i <= st->nSt; ++i) {
    GdsStruct& e = st->structs[i];
    char tried[GDSIN_NAMELEN + 1];
    // A cut name that clashes with an earlier cell is asked for like any
    // other clash: the structures stay apart.
    snprintf(tried, sizeof tried, "%.*s", GDSIN_NAMELEN, e.name);
    while (GdsNameBad(st, tried)) {
      char up[GDSIN_NAMELEN + 1];
      Upper(up, tried, sizeof up);
      snprintf(tried, sizeof tried, "%s", up);
      if (!st->newName || !st->newName(e.name, tried)) {
        snprintf(e.cell, sizeof e.cell, "NONAME");
        st->abort = 1;
        return 0;
      }
      tried[GDSIN_NAMELEN] = 0;
    }
    Upper(e.cell, tried, sizeof e.cell);
    Insert(st->hashCell, e.cell, 2, i);
    char msg[GDSIN_SNAMELEN + GDSIN_NAMELEN + 40];
    snprintf(msg, sizeof msg, "Structure %s --> Cell %s", e.name, e.cell);
    GdsCounter(st, 519, msg);
  }
  return 1;
}
