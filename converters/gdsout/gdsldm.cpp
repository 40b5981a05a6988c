// The LDM layer map: which GDS layer and datatype each TLC layer becomes.
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "gdsout.h"
#include "host.h"

static void LdmNames(const char* path, char* name, char* ext) {
  char d[CNV_PATHLEN], f[CNV_PATHLEN];
  CnvPathSplit(path, d, f, name, ext);
}

int LdmWrite(const char* path) {
  GdsOutState& s = GdsOutSt;
  FILE* f = (path && *path) ? fopen(path, "wt") : nullptr;
  if (!f) return 0;
  fprintf(f, "*LDM built from %s%s\n*gdslayer,datatype,tlclayer\n", s.mainName, s.mainExt);
  for (int i = 0; i < s.nLdm; ++i) fprintf(f, "%d,%d,%d\n", s.ldm[i].gds, s.ldm[i].datatype, s.ldm[i].tlc);
  int bad = ferror(f) != 0;
  if (fclose(f) != 0) bad = 1;
  return bad ? 0 : 1;
}

// Splits a map line at blanks and commas; 1 when three numbers stand there.
static int LdmLine(const char* line, int v[3]) {
  int n = 0;
  const char* p = line;
  while (*p && n < 3) {
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
    if (!*p) break;
    char* end = nullptr;
    long x = strtol(p, &end, 10);
    if (end == p) return 0;  // not a number
    if (x < -100000 || x > 100000) x = -1;
    v[n++] = (int)x;
    p = end;
    while (*p && *p != ' ' && *p != ',' && *p != '\t') ++p;
  }
  return n == 3;
}

int LdmRead(const char* path) {
  GdsOutState& s = GdsOutSt;
  s.nLdm = 0;
  s.ldmAdded = 0;
  char name[CNV_PATHLEN], ext[CNV_PATHLEN], msg[2 * CNV_PATHLEN + 60];
  LdmNames(path, name, ext);
  errno = 0;
  FILE* f = (path && *path) ? fopen(path, "rt") : nullptr;
  if (!f) {
    if (!path || !*path || errno != ENOENT) return 0;
    snprintf(msg, sizeof msg, "LDM File %s%s will be Created ... OK?", name, ext);
    if (HostAskYesNo(msg, GdsOutDisplayName) != HOST_IDYES) return 0;
    return LdmWrite(path);
  }
  char line[256];
  int ok = 1;
  while (ok && fgets(line, sizeof line, f)) {
    size_t len = strlen(line);
    if (len == sizeof line - 1 && line[len - 1] != '\n') {
      int c;
      while ((c = getc(f)) != EOF && c != '\n') {
      }
    }
    CnvClip(line, 80);
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p == ';' || *p == '*' || !*p) continue;
    int v[3];
    // A map entry out of range would write a wrapped layer number.
    if (!LdmLine(p, v) || v[0] < 0 || v[0] > 32767 || v[1] < 0 || v[1] > 32767 || v[2] < 1 || v[2] > 256) {
      ok = 0;
      break;
    }
    if (s.nLdm >= GDSOUT_MAXLDM) {
      snprintf(msg, sizeof msg, "Too Many Entries in LDM File %s%s (Max %d)", name, ext, GDSOUT_MAXLDM);
      HostError(msg);
      ok = 0;
      break;
    }
    s.ldm[s.nLdm].gds = v[0];
    s.ldm[s.nLdm].datatype = v[1];
    s.ldm[s.nLdm].tlc = v[2];
    ++s.nLdm;
  }
  fclose(f);
  if (!ok) s.nLdm = 0;
  return ok;
}

int LdmLookup(int tlcLayer, int* gds, int* datatype) {
  GdsOutState& s = GdsOutSt;
  for (int i = 0; i < s.nLdm; ++i)
    if (s.ldm[i].tlc == tlcLayer) {
      *gds = s.ldm[i].gds;
      *datatype = s.ldm[i].datatype;
      return 1;
    }
  int g = tlcLayer, d = 0;
  int answer = s.ldmAsk ? s.ldmAsk(tlcLayer, &g, &d) : HOST_IDNO;
  if (answer == HOST_IDYES) {
    if (s.nLdm >= GDSOUT_MAXLDM) {
      char msg[80];
      snprintf(msg, sizeof msg, "Too Many Layers in LDM File (Max %d) ... Can't Continue", GDSOUT_MAXLDM);
      HostError(msg);
      s.abort = 1;
      return 0;
    }
    if (g < 0) g = 0;
    if (g > 256) g = 256;
    if (d < 0) d = 0;
    if (d > 63) d = 63;
    s.ldm[s.nLdm].gds = g;
    s.ldm[s.nLdm].datatype = d;
    s.ldm[s.nLdm].tlc = tlcLayer;
    ++s.nLdm;
    s.ldmAdded = 1;
    *gds = g;
    *datatype = d;
    return 1;
  }
  if (answer == HOST_IDNO) {
    *gds = tlcLayer;
    *datatype = 0;
    return 1;
  }
  s.abort = 1;
  return 0;
}
