#include "cnvcommon.h"

#include <cctype>
#include <cstring>

#include "host.h"

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
  int len = (int)strnlen(text, (size_t)textSize - 1);
  text[len] = 0;
  int bit = 0;
  while (bit < 64) {
    if (len > 1019) return;
    if (!((mask >> bit) & 1)) {
      ++bit;
      continue;
    }
    int first = bit;
    while (bit + 1 < 64 && ((mask >> (bit + 1)) & 1)) ++bit;
    char part[48];
    if (bit == first)
      snprintf(part, sizeof part, "%d ", offset + first + 1);
    else
      snprintf(part, sizeof part, "%d-%d ", offset + first + 1, offset + bit + 1);
    int plen = (int)strlen(part);
    if (len + plen >= textSize) return;
    memcpy(text + len, part, (size_t)plen + 1);
    len += plen;
    ++bit;
  }
}

int CnvSameName(const char* a, const char* b) {
  if (!a || !b) return 0;
  for (; *a && *b; ++a, ++b)
    if (toupper((unsigned char)*a) != toupper((unsigned char)*b)) return 0;
  return *a == *b;
}

int FileNameCheck(const char* name) {
  static const char illegal[] = " \"*+'`./:;<=>?\\|()%";
  static const char* const reserved[] = {
      "P",     "B",     "CON",    "PRN",      "AUX",      "NUL",    "CLOCK$", "COM1",
      "COM2",  "COM3",  "COM4",   "LPT1",     "LPT2",     "LPT3",   "Copybkup", "Loadbkup",
      "UFILE0", "UFILE1", "UFILE2", "UFILE3", "UFILE4", "UFILE5", "UFILE6", "UFILE7",
      "UFILE8", "UFILE9", "QUIL7"};
  if (!name || !*name) return 0;
  int faults = 0;
  char msg[160];
  for (const char* p = name; *p; ++p) {
    unsigned char c = (unsigned char)*p;
    if (c < 0x20 || c >= 0x80) {
      snprintf(msg, sizeof msg, "Illegal Character \"0x%02x\" in Filename", c);
      HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
      ++faults;
    } else if (strchr(illegal, c)) {
      snprintf(msg, sizeof msg, "Illegal Character \"%c\" in Filename", c);
      HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
      ++faults;
    }
  }
  for (const char* r : reserved) {
    if (CnvSameName(r, name)) {
      snprintf(msg, sizeof msg, "Reserved or Incorrect Filename \"%.40s\"", name);
      HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
      ++faults;
      break;
    }
  }
  if (strlen(name) > CNV_NAMLEN) {
    snprintf(msg, sizeof msg, "File Cellname \"%.100s\" is too Long", name);
    HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
    ++faults;
  }
  return faults ? 1 : 0;
}

void CnvAbortPoll(int ms, int* abortFlag) {
  if (HostAbortPoll() && abortFlag) *abortFlag = 1;
  if ((!abortFlag || !*abortFlag) && ms > 0) HostPause(ms);
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
