// The satellites' TLC reader: both record forms, records in any order.
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satutil.h"

FILE* rTLCfile = nullptr;

namespace {

enum { LINE_SIZE = 255 };

// One tidied line of the record being read; null at the end of the file.
char* NextLine(char* line) {
  if (!fGetLine(line, LINE_SIZE, rTLCfile)) return nullptr;
  return strclip(line, 0);
}

// Up to max whole 32-bit integers from line; their count, or -1 when a
// field is not a number or does not fit 32 bits.
int Ints(const char* line, int32_t* out, int max) {
  int n = 0;
  const char* p = line;
  for (;;) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return n;
    if (n == max) return n;
    errno = 0;
    char* end = nullptr;
    long long v = strtoll(p, &end, 10);
    if (end == p || (*end && *end != ' ' && *end != '\t')) return -1;
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) return -1;
    out[n++] = (int32_t)v;
    p = end;
  }
}

int IntsLine(int32_t* out, int want) {
  char line[LINE_SIZE + 1];
  if (!NextLine(line)) return 0;
  return Ints(line, out, want) == want;
}

void RecordError(const char* text) {
  if (SatEditionGet().pauseAfterReadError)
    MessageBoxPause(text, HOST_CAP_ERROR, HOST_OK);
  else
    HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK);
}

int OpenCell(const char* name) {
  char path[SAT_PATH_SIZE];
  int n = snprintf(path, sizeof path, "%s.TLC", name);
  if (n < 0 || (size_t)n >= sizeof path) return 0;
  rTLCfile = SatOpen(path, "r");
  return rTLCfile != nullptr;
}

int Is(const char* line, const char* tagged, const char* old) {
  return strcmp(line, tagged) == 0 || strcmp(line, old) == 0;
}

}  // namespace

void TlcRighteousBox(tlcbox* b) {
  if (b->l > b->r) {
    int32_t t = b->l;
    b->l = b->r;
    b->r = t;
  }
  if (b->b > b->t) {
    int32_t t = b->b;
    b->b = b->t;
    b->t = t;
  }
}

int ReadB() {
  int32_t v[5];
  if (!IntsLine(v, 5)) return 0;
  TLCb.lyr = v[0];
  TLCb.l = v[1];
  TLCb.b = v[2];
  TLCb.r = v[3];
  TLCb.t = v[4];
  TlcRighteousBox(&TLCb);
  return 1;
}

// Every pair the record announces is consumed, so the next record starts
// where it should; a count the buffer can't hold fails the record.
int ReadP() {
  int32_t h[3];
  if (!IntsLine(h, 3)) return 0;
  TLCp.lyr = h[0];
  TLCp.w = h[1];
  TLCp.nv = 0;
  int32_t nv = h[2];
  int ok = nv >= 1 && nv <= PVSIZ;
  int32_t got = 0;
  char line[LINE_SIZE + 1];
  while (got < nv) {
    if (!NextLine(line)) return 0;
    int32_t v[2 * 128];
    int n = Ints(line, v, 2 * 128);
    if (n < 2 || (n & 1)) return 0;
    for (int k = 0; k + 1 < n && got < nv; k += 2, ++got) {
      if (got < PVSIZ) {
        TLCp.x[got] = v[k];
        TLCp.y[got] = v[k + 1];
      }
    }
  }
  if (!ok) return 0;
  TLCp.nv = nv;
  return 1;
}

const char* getCDATAtext(const char* line) {
  static char text[LINE_SIZE + 1];
  if (!line) return "";
  const char* open = "<![CDATA[";
  size_t ol = strlen(open);
  if (strncmp(line, open, ol) == 0) {
    const char* close = strstr(line + ol, "]]>");
    if (close) {
      size_t n = (size_t)(close - (line + ol));
      if (n > LINE_SIZE) n = LINE_SIZE;
      memcpy(text, line + ol, n);
      text[n] = '\0';
      return text;
    }
  }
  return line;
}

int ReadT() {
  int32_t h[4], p[2];
  if (!IntsLine(h, 4) || !IntsLine(p, 2)) return 0;
  char line[LINE_SIZE + 1];
  if (!fGetLine(line, LINE_SIZE, rTLCfile)) return 0;
  strclip(line, TXTLEN);
  TLCt.lyr = h[0];
  TLCt.size = h[1];
  TLCt.nv = h[2];
  TLCt.o = h[3];
  TLCt.x = p[0];
  TLCt.y = p[1];
  snprintf(TLCt.text, sizeof TLCt.text, "%s", getCDATAtext(line));
  return 1;
}

int ReadC(int level) {
  if (level < 0 || level > NRANK + 1) return 0;
  char line[LINE_SIZE + 1];
  if (!NextLine(line)) return 0;
  strclip(line, NAMLEN);
  tlccel& c = TLCc[level];
  memcpy(c.name, line, strlen(line) + 1);  // clipped to NAMLEN above
  for (char* q = c.name; *q; ++q) *q = (char)toupper((unsigned char)*q);
  int32_t v[4];
  if (!IntsLine(v, 4)) return 0;
  c.o = v[0] & 7;
  c.x = v[1];
  c.y = v[2];
  c.r = v[3];
  return 1;
}

int TlcReadBPV(const char* name) {
  TlcStore.lastMissing = 0;
  if (!name || !name[0]) return 1;
  freeBPV();
  if (!OpenCell(name)) {
    TlcStore.lastMissing = 1;
    return 1;
  }
  int error = 0;
  char line[LINE_SIZE + 1];
  while (NextLine(line)) {
    if (Is(line, "<B>", "=B")) {
      if (!ReadB()) {
        RecordError("Box Record Read Error");
        error = 1;
      } else if (TlcStore.BlimFlag || !TlcMakeB()) {
        error = 1;
      }
    } else if (Is(line, "<P>", "=P")) {
      if (!ReadP()) {
        RecordError("Path Record Read Error");
        error = 1;
      } else if (TlcStore.PlimFlag || TlcStore.VlimFlag || !TlcMakeP()) {
        error = 1;
      }
    } else if (Is(line, "<T>", "=T")) {
      if (!ReadT()) {
        RecordError("Text Record Read Error");
        error = 1;
      } else if (TlcStore.textMode == 0 && (TlcStore.PlimFlag || TlcStore.VlimFlag || !TlcMakeT())) {
        error = 1;
      }
    }
  }
  if (ferror(rTLCfile)) error = 1;
  fclose(rTLCfile);
  rTLCfile = nullptr;
  return error;
}

int TlcReadC(const char* name, int level) {
  TlcStore.lastMissing = 0;
  if (!name || !name[0] || level < 0 || level > NRANK) return 1;
  for (int d = level; d <= NRANK; ++d) freeCEL(d);
  if (!OpenCell(name)) {
    TlcStore.lastMissing = 1;
    return 1;
  }
  int error = 0;
  char line[LINE_SIZE + 1];
  while (NextLine(line)) {
    if (!Is(line, "<C>", "=C")) continue;
    if (!ReadC(level)) {
      RecordError("Cell Record Read Error");
      error = 1;
    } else if (TlcStore.AlimFlag || !TlcMakeC(level)) {
      error = 1;
    }
  }
  if (ferror(rTLCfile)) error = 1;
  fclose(rTLCfile);
  rTLCfile = nullptr;
  return error;
}
