#include "cnvcommon.h"

#include <cctype>
#include <cstring>

#include "host.h"
#include "layerset.h"

const char* PathUpper(const char* name) {
  static char buf[CNV_PATHLEN];
  snprintf(buf, sizeof buf, "%s", name ? name : "");
  for (char* p = buf; *p; ++p) *p = (char)toupper((unsigned char)*p);
  return buf;
}

void PathUnquote(const char* arg, char* out, int outSize) {
  if (!out || outSize <= 0) return;
  int n = 0;
  if (arg) {
    for (int i = 0; arg[i] && i < CNV_PATHLEN; ++i) {
      if (arg[i] == '"') continue;
      if (n + 1 >= outSize) break;
      out[n++] = arg[i];
    }
  }
  out[n] = 0;
}

int CnvArgTake(const char* cmdLine, char* arg, int argSize) {
  if (!arg || argSize <= 0) return 0;
  arg[0] = 0;
  if (!cmdLine || !*cmdLine) return 0;
  PathUnquote(cmdLine, arg, argSize);
  CnvClip(arg, 0);
  return arg[0] != 0;
}

int CrfMissing() {
  static const char* const names[] = {"QUIL7.CRF", "CELLS7.DBD", "CELLS6.DBD"};
  for (const char* name : names) {
    FILE* f = fopen(name, "rt");
    if (f) {
      fclose(f);
      return 0;
    }
  }
  return 1;
}

FILE* OutFileOpen(const char* path) {
  if (!path || !*path) return nullptr;
  return fopen(path, "wb");
}

double AngleWrap(double a) {
  while (a > 3.1415926) a -= 6.2831852;
  while (a < -3.1415926) a += 6.2831852;
  return a;
}

void LayerSelText(char* text, int textSize, uint64_t mask, int offset) {
  if (!text || textSize <= 0) return;
  LyrRangeText(mask, offset, text, (size_t)textSize);
}

int CnvSameName(const char* a, const char* b) {
  if (!a || !b) return 0;
  for (; *a && *b; ++a, ++b)
    if (toupper((unsigned char)*a) != toupper((unsigned char)*b)) return 0;
  return *a == *b;
}

void CnvAbortPoll(int ms, int* abortFlag) {
  if (HostAbortPoll() && abortFlag) *abortFlag = 1;
  if ((!abortFlag || !*abortFlag) && ms > 0) HostPause(ms);
}

void CnvNow(struct tm* now, int fixed) {
  if (fixed || !now) return;
  time_t t = time(nullptr);
  struct tm* lt = localtime(&t);
  if (lt) *now = *lt;
}

void CnvTakeNow(struct tm* now, int fixed, char* date, int dateSize, char* clock, int clockSize) {
  CnvNow(now, fixed);
  snprintf(date, (size_t)dateSize, "%02d/%02d/%02d", now->tm_mon + 1, now->tm_mday, now->tm_year % 100);
  snprintf(clock, (size_t)clockSize, "%02d:%02d:%02d", now->tm_hour, now->tm_min, now->tm_sec);
}

int CnvYesNo(char* value, int size) {
  for (char* p = value; *p; ++p) *p = (char)toupper((unsigned char)*p);
  if (value[0] == 'Y') return 1;
  snprintf(value, (size_t)size, "N");
  return 0;
}

int CnvFileClose(FILE** f) {
  if (!*f) return 1;
  int bad = ferror(*f) != 0;
  if (fclose(*f) != 0) bad = 1;
  *f = nullptr;
  return !bad;
}

int CnvLogClosing(FILE** log, int converted, char* text, int size) {
  if (*log) fprintf(*log, "\n%s\n", text);
  if (!CnvFileClose(log) && converted) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
    converted = 0;
  }
  return converted;
}

int CnvGoShow(int outcome, int aborted, const char* text) {
  if (outcome == aborted)
    HostError(text);
  else
    HostMsgBox(text, nullptr, HOST_CAP_PROGRAM, HOST_OK);
  return outcome;
}

char* CnvClip(char* text, int n) {
  if (!text) return text;
  size_t len = strlen(text);
  while (len > 0 && ((unsigned char)text[len - 1] < '!' || (unsigned char)text[len - 1] > '~')) --len;
  text[len] = 0;
  if (n > 0 && len > (size_t)n) text[n] = 0;
  return text;
}

static void CopyPart(char* out, const char* from, size_t len) {
  if (!out) return;
  if (len >= CNV_PATHLEN) len = CNV_PATHLEN - 1;
  memcpy(out, from, len);
  out[len] = 0;
}

void CnvPathSplit(const char* path, char* drive, char* folder, char* name, char* ext) {
  if (!path) path = "";
  const char* p = path;
  size_t dlen = (p[0] && p[1] == ':') ? 2 : 0;
  CopyPart(drive, p, dlen);
  p += dlen;
  const char* lastSep = nullptr;
  for (const char* q = p; *q; ++q)
    if (*q == '\\' || *q == '/') lastSep = q;
  const char* base = lastSep ? lastSep + 1 : p;
  CopyPart(folder, p, (size_t)(base - p));
  const char* dot = strrchr(base, '.');
  if (!dot) dot = base + strlen(base);
  CopyPart(name, base, (size_t)(dot - base));
  CopyPart(ext, dot, strlen(dot));
}

void CnvLdmCaption(const char* ldmPath, char* text, int size) {
  if (!text || size <= 0) return;
  char n[CNV_PATHLEN], e[CNV_PATHLEN];
  CnvPathSplit(ldmPath, nullptr, nullptr, n, e);
  snprintf(text, (size_t)size, "Building %s%s", n, e);
}

int CnvFileNamesCheck(const char* const* paths, int count) {
  int faults = 0;
  for (int k = 0; k < count; ++k) {
    char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
    CnvPathSplit(paths[k], d, f, n, e);
    faults += FileNameCheck(n);
  }
  return faults;
}
