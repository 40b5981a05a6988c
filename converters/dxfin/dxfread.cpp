// The DXF group reader: two lines a group, the code and its value, from a
// file read through a buffer or from bytes in memory; and the curve
// geometry the conversion shares (orientation, bulge arcs).
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dxfinpriv.h"
#include "host.h"

void DxfSrcFile(DxfSrc* s, FILE* f) {
  s->f = f;
  s->mem = nullptr;
  s->memSize = 0;
  s->base = 0;
  s->len = s->pos = 0;
  s->eof = 0;
  s->line = 0;
}

void DxfSrcMem(DxfSrc* s, const unsigned char* data, int64_t size) {
  s->f = nullptr;
  s->mem = data;
  s->memSize = size;
  s->base = 0;
  s->len = s->pos = 0;
  s->eof = 0;
  s->line = 0;
}

static int Seek(FILE* f, int64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, (long long)pos, SEEK_SET) == 0;
#else
  return fseeko(f, (off_t)pos, SEEK_SET) == 0;
#endif
}

int DxfSrcSeek(DxfSrc* s, int64_t offset, long line) {
  s->base = offset;
  s->len = s->pos = 0;
  s->eof = 0;
  s->line = line;
  if (s->f) return Seek(s->f, offset);
  if (offset > s->memSize) s->base = s->memSize;
  return 1;
}

int64_t DxfSrcTell(const DxfSrc* s) { return s->base + (int64_t)s->pos; }

// Moves what is left of the buffer to its start and fills the rest.
static void Refill(DxfSrc* s) {
  if (s->pos > 0) {
    memmove(s->buf, s->buf + s->pos, s->len - s->pos);
    s->base += (int64_t)s->pos;
    s->len -= s->pos;
    s->pos = 0;
  }
  size_t room = sizeof s->buf - s->len;
  size_t got = 0;
  if (s->f) {
    got = room ? fread(s->buf + s->len, 1, room, s->f) : 0;
    if (got < room) s->eof = 1;
  } else {
    int64_t at = s->base + (int64_t)s->len;
    int64_t left = s->memSize - at;
    if (left < 0) left = 0;
    got = (size_t)left < room ? (size_t)left : room;
    if (got) memcpy(s->buf + s->len, s->mem + at, got);
    if ((int64_t)got == left) s->eof = 1;
  }
  s->len += got;
}

// The next line without its line end: 1 with *text and *n, 0 at the end of
// the file, -1 when it is longer than DXFIN_LINEMAX characters (the rest of
// it is passed over).
static int NextLine(DxfSrc* s, const char** text, size_t* n) {
  const unsigned char* nl = (const unsigned char*)memchr(s->buf + s->pos, '\n', s->len - s->pos);
  if (!nl && !s->eof) {
    Refill(s);
    nl = (const unsigned char*)memchr(s->buf + s->pos, '\n', s->len - s->pos);
  }
  size_t start = s->pos;
  size_t end;
  if (nl) {
    end = (size_t)(nl - s->buf);
    s->pos = end + 1;
  } else {
    if (s->pos >= s->len) return 0;
    if (!s->eof) {
      // No line end in a whole buffer: far past the longest line.
      s->pos = s->len;
      ++s->line;
      return -1;
    }
    end = s->len;
    s->pos = s->len;
  }
  ++s->line;
  // Line ends of any system: CR LF, LF, and stray CRs before them.
  while (end > start && (s->buf[end - 1] == '\r' || s->buf[end - 1] == '\n')) --end;
  if (end - start > DXFIN_LINEMAX) return -1;
  *text = (const char*)s->buf + start;
  *n = end - start;
  return 1;
}

static int IsBlank(char c) { return c == ' ' || c == '\t'; }

int DxfGroupRead(DxfInState* st, DxfGroup* g) {
  DxfSrc* s = &st->src;
  const char* t;
  size_t n;
  char msg[200];
  int r = NextLine(s, &t, &n);
  if (r == 0) return 0;
  if (r < 0) {
    snprintf(msg, sizeof msg, "Line %ld of the DXF File is Longer than %d Characters ... Can't Continue", s->line,
             DXFIN_LINEMAX);
    return DxfFail(st, msg);
  }
  g->line = s->line;
  // The code: an integer, blanks around it allowed.
  size_t i = 0;
  while (i < n && IsBlank(t[i])) ++i;
  size_t e = n;
  while (e > i && IsBlank(t[e - 1])) --e;
  int neg = 0;
  if (i < e && (t[i] == '-' || t[i] == '+')) neg = t[i++] == '-';
  long code = 0;
  int digits = 0;
  for (; i < e && t[i] >= '0' && t[i] <= '9'; ++i, ++digits)
    if (code < 100000) code = code * 10 + (t[i] - '0');
  if (!digits || i != e) {
    snprintf(msg, sizeof msg, "Group Code Expected at Line %ld of the DXF File ... Can't Continue", s->line);
    return DxfFail(st, msg);
  }
  g->code = (int)(neg ? -code : code);
  r = NextLine(s, &t, &n);
  if (r == 0) {
    // A code without its value ends the file.
    return 0;
  }
  if (r < 0) {
    snprintf(msg, sizeof msg, "Line %ld of the DXF File is Longer than %d Characters ... Can't Continue", s->line,
             DXFIN_LINEMAX);
    return DxfFail(st, msg);
  }
  // Texts keep their blanks; names, keywords and numbers lose them.
  if (g->code != 1) {
    while (n > 0 && IsBlank(t[0])) ++t, --n;
    while (n > 0 && IsBlank(t[n - 1])) --n;
  }
  memcpy(g->val, t, n);
  g->val[n] = 0;
  g->len = (int)n;
  return 1;
}

double DxfReal(const DxfGroup* g) {
  const char* p = g->val;
  char* end = nullptr;
  double v = strtod(p, &end);
  if (end == p) return 0;
  return v;
}

long DxfInt(const DxfGroup* g) {
  double v = DxfReal(g);
  if (!(v > -2e9 && v < 2e9)) return v > 0 ? 2000000000L : (v < 0 ? -2000000000L : 0);
  return (long)v;
}

int DxfIs(const DxfGroup* g, const char* word) {
  const char* a = g->val;
  for (; *a && *word; ++a, ++word)
    if (toupper((unsigned char)*a) != *word) return 0;
  return *a == 0 && *word == 0;
}

// ---- curves ------------------------------------------------------------------------

int DxfOrient(double angle, int flags) {
  int mirror = (flags & 4) ? 1 : 0;
  int turns = 0;
  if (flags & 2) {
    mirror ^= 1;
    turns += 2;
  }
  if (!std::isfinite(angle)) angle = 0;
  double a = std::fmod(angle, 360.0);
  if (a < 0) a += 360;
  if (a > 45 && a <= 135)
    turns += 1;
  else if (a > 135 && a <= 225)
    turns += 2;
  else if (a > 225 && a <= 315)
    turns += 3;
  return mirror * 4 + (turns & 3);
}

static const double kDegPerRad = 57.29577951308232;
static const double kTwoPi = 6.283185307179586;

int DxfInRange(double v) { return std::isfinite(v) && v <= DXF_RANGE && v >= -DXF_RANGE; }

int DxfBulgeArc(int32_t x0, int32_t y0, int32_t x1, int32_t y1, double bulge, double seg, int32_t* x,
                int32_t* y, int max, int* clamped) {
  if (clamped) *clamped = 0;
  if (!std::isfinite(bulge) || bulge == 0) return 0;
  const double kMax = 2.414213562;
  if (bulge > kMax || bulge < -kMax) {
    bulge = bulge > 0 ? kMax : -kMax;
    if (clamped) *clamped = 1;
  }
  if (!(seg >= 1)) seg = 1;
  double q = std::fabs(std::atan(bulge));
  int g = (int)(4 * q * kDegPerRad / seg);
  // One segment is the chord itself.
  if (g <= 1) return 0;
  double dx = (double)x1 - x0, dy = (double)y1 - y0;
  double chord = std::sqrt(dx * dx + dy * dy);
  if (chord == 0) return 0;
  double m = 2 * q;
  double r = chord / 2 / std::sin(m);
  double d = r * std::cos(m);
  // The unit normal to the left of P0 -> P1.
  double nx = -dy / chord, ny = dx / chord;
  if (bulge < 0) {
    nx = -nx;
    ny = -ny;
  }
  double cx = (double)CnvRound((x0 + x1) / 2.0 + d * nx);
  double cy = (double)CnvRound((y0 + y1) / 2.0 + d * ny);
  const double unit = 1.0 / (double)(1 << 29);
  double a0 = std::trunc(std::atan2(y0 - cy, x0 - cx) / unit) * unit;
  double a1 = std::trunc(std::atan2(y1 - cy, x1 - cx) / unit) * unit;
  double sweep = a1 - a0;
  if (bulge > 0 && sweep < 0) sweep += kTwoPi;
  if (bulge < 0 && sweep > 0) sweep -= kTwoPi;
  int n = 0;
  for (int i = 1; i < g && n < max; ++i) {
    double a = a0 + i * sweep / g;
    double px = cx + r * std::cos(a), py = cy + r * std::sin(a);
    if (!DxfInRange(px) || !DxfInRange(py)) return -1;
    x[n] = (int32_t)CnvRound(px);
    y[n] = (int32_t)CnvRound(py);
    ++n;
  }
  return n;
}

int DxfBulgeCount(double bulge, double seg) {
  if (!std::isfinite(bulge) || bulge == 0) return 0;
  const double kMax = 2.414213562;
  if (bulge > kMax) bulge = kMax;
  if (bulge < -kMax) bulge = -kMax;
  if (!(seg >= 1)) seg = 1;
  int g = (int)(4 * std::fabs(std::atan(bulge)) * kDegPerRad / seg);
  return g <= 1 ? 0 : g - 1;
}
