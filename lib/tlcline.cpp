#include "tlcline.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

void SourceReset(TlcLineIn* in, int tlcMode) {
  in->file = nullptr;
  in->mem = nullptr;
  in->memLen = 0;
  in->memPos = 0;
  in->eof = 0;
  in->ioError = 0;
  in->tlcMode = tlcMode;
  in->maxChars = TLC_LINE_MAX;
  in->pushedBack = 0;
  in->lineNo = 0;
  in->line[0] = 0;
}

// Makes bytes available; 0 when the source is used up.
int SourceFill(TlcLineIn* in) {
  if (in->memPos < in->memLen) return 1;
  if (!in->file || in->eof) {
    in->eof = 1;
    return 0;
  }
  size_t n = fread(in->chunk, 1, TLC_CHUNK, in->file);
  if (n == 0) {
    if (ferror(in->file)) in->ioError = 1;
    in->eof = 1;
    return 0;
  }
  in->mem = in->chunk;
  in->memLen = n;
  in->memPos = 0;
  return 1;
}

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

int TlcLineOpenFile(TlcLineIn* in, const char* path, int tlcMode) {
  SourceReset(in, tlcMode);
  if (!path || !path[0]) return 0;
  in->file = fopen(path, "rb");
  return in->file ? 1 : 0;
}

void TlcLineOpenMem(TlcLineIn* in, const void* data, size_t size, int tlcMode) {
  SourceReset(in, tlcMode);
  in->mem = static_cast<const unsigned char*>(data);
  in->memLen = data ? size : 0;
}

int TlcLineClose(TlcLineIn* in) {
  int failed = in->ioError;
  if (in->file) {
    if (ferror(in->file)) failed = 1;
    if (fclose(in->file) != 0) failed = 1;
    in->file = nullptr;
  }
  in->mem = nullptr;
  in->memLen = in->memPos = 0;
  in->eof = 1;
  return failed ? 1 : 0;
}

const char* TlcLineGet(TlcLineIn* in) {
  if (in->pushedBack) {
    in->pushedBack = 0;
    return in->line;
  }
  int max = in->maxChars;
  if (max < 1) max = 1;
  if (max > TLC_LINE_LIMIT) max = TLC_LINE_LIMIT;
  // Most lines lie whole in the bytes at hand: tidied where they stand and
  // only what is kept copied. The same cut as below: the first max bytes,
  // ended at a NUL byte, then trailing and leading characters removed.
  if (in->memPos < in->memLen) {
    const unsigned char* start = in->mem + in->memPos;
    size_t avail = in->memLen - in->memPos;
    const void* nl = memchr(start, '\n', avail);
    if (nl) {
      size_t take = static_cast<size_t>(static_cast<const unsigned char*>(nl) - start);
      size_t n = take < static_cast<size_t>(max) ? take : static_cast<size_t>(max);
      const void* nul = memchr(start, 0, n);
      if (nul) n = static_cast<size_t>(static_cast<const unsigned char*>(nul) - start);
      while (n > 0 && !(start[n - 1] >= '!' && start[n - 1] <= '~')) --n;
      size_t from = 0;
      if (in->tlcMode)
        while (from < n && IsBlank(static_cast<char>(start[from]))) ++from;
      memcpy(in->line, start + from, n - from);
      in->line[n - from] = 0;
      in->memPos += take + 1;
      in->lineNo++;
      return in->line;
    }
  }
  size_t len = 0;
  bool any = false;
  for (;;) {
    if (!SourceFill(in)) break;
    any = true;
    const unsigned char* start = in->mem + in->memPos;
    size_t avail = in->memLen - in->memPos;
    const void* nl = memchr(start, '\n', avail);
    size_t take = nl ? static_cast<size_t>(static_cast<const unsigned char*>(nl) - start) : avail;
    if (len < static_cast<size_t>(max)) {
      size_t room = static_cast<size_t>(max) - len;
      size_t n = take < room ? take : room;
      memcpy(in->line + len, start, n);
      len += n;
    }
    in->memPos += take;
    if (nl) {
      in->memPos += 1;  // the newline
      break;
    }
  }
  if (!any) {
    in->line[0] = 0;
    return nullptr;
  }
  in->line[len] = 0;
  in->lineNo++;
  TlcTidy(in->line, in->tlcMode);
  return in->line;
}

void TlcLineUnget(TlcLineIn* in) { in->pushedBack = 1; }

char* TlcTidy(char* s, int lead) {
  if (!s) return s;
  size_t n = strlen(s);
  while (n > 0) {
    unsigned char c = static_cast<unsigned char>(s[n - 1]);
    if (c >= '!' && c <= '~') break;
    --n;
  }
  s[n] = 0;
  if (lead) {
    size_t i = 0;
    while (IsBlank(s[i])) ++i;
    if (i) memmove(s, s + i, n - i + 1);
  }
  return s;
}

void TlcCopyCut(char* dst, const char* src, int max, int upper) {
  int i = 0;
  if (src) {
    for (; i < max && src[i]; ++i) {
      char c = src[i];
      dst[i] = upper ? static_cast<char>(toupper(static_cast<unsigned char>(c))) : c;
    }
  }
  dst[i] = 0;
}

int TlcTagOf(const char* line) {
  if (!line) return TLC_TAG_NONE;
  char c;
  if (line[0] == '<' && line[1] && line[2] == '>' && line[3] == 0)
    c = line[1];
  else if (line[0] == '=' && line[1] && line[2] == 0)
    c = line[1];
  else
    return TLC_TAG_NONE;
  switch (c) {
    case 'L': case 'H': case 'R': case 'C': case 'B': case 'P': case 'T':
      return c;
    default:
      return TLC_TAG_NONE;
  }
}

int TlcCloseTagOf(const char* line) {
  if (!line || line[0] != '<' || line[1] != '/' || !line[2] || line[3] != '>' || line[4]) return TLC_TAG_NONE;
  switch (line[2]) {
    case 'L': case 'H': case 'R': case 'C': case 'B': case 'P': case 'T':
      return line[2];
    default:
      return TLC_TAG_NONE;
  }
}

const char* TlcNextInt(const char* s, int64_t* v) {
  if (!s) return nullptr;
  while (IsBlank(*s)) ++s;
  bool neg = false;
  if (*s == '-' || *s == '+') {
    neg = (*s == '-');
    ++s;
  }
  if (*s < '0' || *s > '9') return nullptr;
  // Far beyond any 32-bit field, yet far from overflowing 64 bits.
  const int64_t cap = INT64_C(1) << 58;
  int64_t acc = 0;
  while (*s >= '0' && *s <= '9') {
    if (acc < cap) acc = acc * 10 + (*s - '0');
    ++s;
  }
  if (acc > cap) acc = cap;
  if (*s && !IsBlank(*s)) return nullptr;
  *v = neg ? -acc : acc;
  return s;
}

const char* TlcNextDouble(const char* s, double* v) {
  if (!s) return nullptr;
  while (IsBlank(*s)) ++s;
  if (!*s) return nullptr;
  // Only plain decimal notation: no hex, inf or nan spellings.
  const char* p = s;
  if (*p == '-' || *p == '+') ++p;
  if (!((*p >= '0' && *p <= '9') || *p == '.')) return nullptr;
  char buf[64];
  size_t n = 0;
  while (s[n] && !IsBlank(s[n])) {
    if (n + 1 >= sizeof buf) return nullptr;
    buf[n] = s[n];
    ++n;
  }
  buf[n] = 0;
  for (size_t i = 0; i < n; ++i) {
    char c = buf[i];
    if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+')) return nullptr;
  }
  char* end = nullptr;
  double d = strtod(buf, &end);
  if (end != buf + n || !std::isfinite(d)) return nullptr;
  *v = d;
  return s + n;
}

int TlcParseInts(const char* s, int64_t* v, int n) {
  int got = 0;
  while (got < n) {
    s = TlcNextInt(s, &v[got]);
    if (!s) break;
    ++got;
  }
  return got;
}

int TlcReadInts(TlcLineIn* in, int64_t* v, int n) {
  const char* line = TlcReadDataLine(in);
  if (!line) return 0;
  return TlcParseInts(line, v, n) == n ? 1 : 0;
}

const char* TlcReadDataLine(TlcLineIn* in) {
  const char* line = TlcLineGet(in);
  if (!line) return nullptr;
  if (TlcTagOf(line) != TLC_TAG_NONE) {
    TlcLineUnget(in);
    return nullptr;
  }
  return line;
}

int TlcReadPoints(TlcLineIn* in, int64_t nv, int keep, int32_t* x, int32_t* y, int64_t coordMax) {
  int64_t got = 0;
  while (got < nv) {
    const char* line = TlcReadDataLine(in);
    if (!line) return 0;
    const char* p = line;
    for (;;) {
      while (IsBlank(*p)) ++p;
      if (!*p || got >= nv) break;  // what follows the last pair is ignored
      int64_t vx, vy;
      p = TlcNextInt(p, &vx);
      if (!p) return 0;
      p = TlcNextInt(p, &vy);
      if (!p) return 0;  // malformed, or the pair's y is not on its line
      if (vx < -coordMax || vx > coordMax || vy < -coordMax || vy > coordMax) return 0;
      if (got < keep) {
        x[got] = static_cast<int32_t>(vx);
        y[got] = static_cast<int32_t>(vy);
      }
      ++got;
    }
  }
  return 1;
}

void TlcTextOfLine(const char* line, char* out, int max) {
  static const char open[] = "<![CDATA[";
  static const char close[] = "]]>";
  const size_t openLen = sizeof open - 1, closeLen = sizeof close - 1;
  size_t n = line ? strlen(line) : 0;
  const char* from = line;
  size_t len = n;
  if (n >= openLen + closeLen && strncmp(line, open, openLen) == 0) {
    // The last closing mark ends the text, so a text may hold "]]>" itself.
    for (size_t i = n - closeLen + 1; i-- > openLen;) {
      if (strncmp(line + i, close, closeLen) == 0) {
        from = line + openLen;
        len = i - openLen;
        break;
      }
    }
  }
  if (len > static_cast<size_t>(max)) len = static_cast<size_t>(max);
  if (len) memcpy(out, from, len);
  out[len] = 0;
}
