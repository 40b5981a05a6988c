#include "cnvldm.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"
#include "satutil.h"

void LdmMapClear(LdmMap* m) {
  m->n = 0;
  m->added = 0;
}

int LdmMapWrite(const LdmMap* m, const char* path, const char* builtFrom) {
  FILE* f = (path && *path) ? SatOpen(path, "wt") : nullptr;
  if (!f) return 0;
  fprintf(f, "*LDM built from %s\n*gdslayer,datatype,tlclayer\n", builtFrom ? builtFrom : "");
  for (int i = 0; i < m->n; ++i) fprintf(f, "%d,%d,%d\n", m->e[i].gds, m->e[i].datatype, m->e[i].tlc);
  int bad = ferror(f) != 0;
  if (fclose(f) != 0) bad = 1;
  return bad ? 0 : 1;
}

int LdmMapAdd(LdmMap* m, int gds, int datatype, int tlc) {
  if (m->n >= LDM_MAX) return 0;
  m->e[m->n].gds = gds;
  m->e[m->n].datatype = datatype;
  m->e[m->n].tlc = tlc;
  ++m->n;
  return 1;
}

// Splits a map line at blanks and commas; 1 when three numbers stand there.
static int LdmLine(const char* p, int v[3]) {
  int n = 0;
  while (*p && n < 3) {
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
    if (!*p) break;
    char* end = nullptr;
    long x = strtol(p, &end, 10);
    if (end == p) return 0;
    if (x < -100000 || x > 100000) x = -1;
    v[n++] = (int)x;
    p = end;
    while (*p && *p != ' ' && *p != ',' && *p != '\t') ++p;
  }
  return n == 3;
}

int LdmMapRead(LdmMap* m, const char* path, const char* caption, const char* builtFrom, int maxNumber) {
  LdmMapClear(m);
  char d[CNV_PATHLEN], fo[CNV_PATHLEN], name[CNV_PATHLEN], ext[CNV_PATHLEN], msg[2 * CNV_PATHLEN + 60];
  CnvPathSplit(path, d, fo, name, ext);
  errno = 0;
  FILE* f = (path && *path) ? SatOpen(path, "rt") : nullptr;
  if (!f) {
    if (!path || !*path || errno != ENOENT) return 0;
    snprintf(msg, sizeof msg, "LDM File %s%s will be Created ... OK?", name, ext);
    if (HostAskYesNo(msg, caption) != HOST_IDYES) return 0;
    return LdmMapWrite(m, path, builtFrom);
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
    // Entries out of range would map onto layers no file can hold.
    if (!LdmLine(p, v) || v[0] < 0 || v[0] > maxNumber || v[1] < 0 || v[1] > maxNumber || v[2] < 1 || v[2] > 256) {
      ok = 0;
      break;
    }
    if (!LdmMapAdd(m, v[0], v[1], v[2])) {
      snprintf(msg, sizeof msg, "Too Many Entries in LDM File %s%s (Max %d)", name, ext, LDM_MAX);
      HostError(msg);
      ok = 0;
    }
  }
  if (ferror(f)) ok = 0;
  fclose(f);
  if (!ok) m->n = 0;
  return ok;
}
