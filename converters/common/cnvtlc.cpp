#include "cnvtlc.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"

int TlcOpenRead(TlcIn* in, const char* drive, const char* folder, const char* name) {
  char path[CNV_PATHLEN * 3 + 8];
  snprintf(path, sizeof path, "%s%s%s.tlc", drive ? drive : "", folder ? folder : "", name ? name : "");
  in->line[0] = 0;
  in->pos = in->len = 0;
  in->eof = 0;
  in->f = fopen(path, "rt");
  return in->f ? 1 : 0;
}

void TlcCloseRead(TlcIn* in) {
  if (in->f) fclose(in->f);
  in->f = nullptr;
}

void TlcRewind(TlcIn* in) {
  if (in->f) rewind(in->f);
  in->pos = in->len = 0;
  in->eof = 0;
}

// Next byte of the file, or -1 at its end.
static int NextByte(TlcIn* in) {
  if (in->pos == in->len) {
    if (in->eof || !in->f) return -1;
    in->len = fread(in->buf, 1, sizeof in->buf, in->f);
    in->pos = 0;
    if (in->len == 0) {
      in->eof = 1;
      return -1;
    }
  }
  return (unsigned char)in->buf[in->pos++];
}

const char* TlcNextLine(TlcIn* in) {
  if (!in->f) return nullptr;
  size_t n = 0;
  int any = 0;
  for (;;) {
    // The common case: the rest of the line lies in the buffer.
    if (in->pos < in->len) {
      const char* start = in->buf + in->pos;
      const char* nl = (const char*)memchr(start, '\n', in->len - in->pos);
      size_t take = nl ? (size_t)(nl - start) : in->len - in->pos;
      size_t room = sizeof in->line - 1 - n;
      memcpy(in->line + n, start, take < room ? take : room);
      n += take < room ? take : room;
      in->pos += take + (nl ? 1 : 0);
      any = 1;
      if (nl) break;
      continue;
    }
    int c = NextByte(in);
    if (c < 0) break;
    --in->pos;  // refilled: scan it above
  }
  if (!any) return nullptr;
  in->line[n] = 0;
  CnvClip(in->line, 0);
  char* p = in->line;
  while (*p == ' ' || *p == '\t') ++p;
  return p;
}

int TlcLineKind(const char* s) {
  if (!s) return TLC_OTHER;
  if (s[0] == '=' && s[1] && !s[2]) {
    switch (s[1]) {
      case 'H': return TLC_HDR;
      case 'C': return TLC_CELL;
      case 'B': return TLC_BOX;
      case 'P': return TLC_PATH;
      case 'T': return TLC_TEXT;
      case 'L': return TLC_LAYERS;
    }
    return TLC_OTHER;
  }
  if (s[0] == '<' && s[1] && s[2] == '>' && !s[3]) {
    switch (s[1]) {
      case 'H': return TLC_HDR;
      case 'C': return TLC_CELL;
      case 'B': return TLC_BOX;
      case 'P': return TLC_PATH;
      case 'T': return TLC_TEXT;
      case 'L': return TLC_LAYERS;
    }
  }
  return TLC_OTHER;
}

// Next whole-number field of s at *pos (decimal, an optional sign, read as
// far as digits go); 0 when none is left. Values beyond 32 bits are held at
// the limit.
static int NextInt(const char* s, const char** pos, int32_t* v) {
  const char* p = *pos;
  (void)s;
  while (*p == ' ' || *p == '\t') ++p;
  if (!*p) return 0;
  int neg = 0;
  if (*p == '-' || *p == '+') neg = *p++ == '-';
  if (*p < '0' || *p > '9') return 0;
  int64_t n = 0;
  while (*p >= '0' && *p <= '9') {
    if (n < 100000000000LL) n = n * 10 + (*p - '0');
    ++p;
  }
  if (neg) n = -n;
  if (n > INT32_MAX) n = INT32_MAX;
  if (n < INT32_MIN) n = INT32_MIN;
  *v = (int32_t)n;
  while (*p && *p != ' ' && *p != '\t') ++p;
  *pos = p;
  return 1;
}

static int IntsLine(TlcIn* in, int32_t* v, int n) {
  const char* s = TlcNextLine(in);
  if (!s) return 0;
  for (int i = 0; i < n; ++i)
    if (!NextInt(s, &s, &v[i])) return 0;
  return 1;
}

static int TextLine(TlcIn* in, char* out, int cut) {
  const char* s = TlcNextLine(in);
  if (!s) return 0;
  snprintf(out, (size_t)cut + 1, "%s", s);
  return 1;
}

static void Upper(char* s) {
  for (; *s; ++s) *s = (char)toupper((unsigned char)*s);
}

int ReadH(TlcIn* in, CnvHdr* h) {
  char buf[24];
  if (!TextLine(in, h->name, 32)) return 0;
  Upper(h->name);
  if (!TextLine(in, h->ver1, 16) || !TextLine(in, h->ver2, 16)) return 0;
  if (!TextLine(in, buf, 23)) return 0;
  h->scale = atof(buf);
  if (!TextLine(in, h->unit, 16) || !TextLine(in, h->date, 8) || !TextLine(in, h->time, 8)) return 0;
  int32_t v[5];
  if (!IntsLine(in, v, 5)) return 0;
  h->rank = v[0];
  h->l = v[1], h->b = v[2], h->r = v[3], h->t = v[4];
  if (!IntsLine(in, v, 4)) return 0;
  h->nb = v[0], h->np = v[1], h->nv = v[2], h->nc = v[3];
  return 1;
}

int ReadC(TlcIn* in, CnvCell* c) {
  if (!TextLine(in, c->name, 32)) return 0;
  Upper(c->name);
  int32_t v[3];
  if (!IntsLine(in, v, 3)) return 0;
  c->o = v[0] & 7;
  c->x = v[1], c->y = v[2];
  return 1;
}

int ReadB(TlcIn* in, CnvBox* b) {
  int32_t v[5];
  if (!IntsLine(in, v, 5)) return 0;
  b->lyr = v[0];
  b->l = v[1] < v[3] ? v[1] : v[3];
  b->r = v[1] < v[3] ? v[3] : v[1];
  b->b = v[2] < v[4] ? v[2] : v[4];
  b->t = v[2] < v[4] ? v[4] : v[2];
  return 1;
}

int ReadP(TlcIn* in, CnvPath* p) {
  int32_t v[3];
  if (!IntsLine(in, v, 3)) return 0;
  if (v[2] < 0) return 0;
  p->lyr = v[0];
  p->w = v[1];
  p->cut = 0;
  int want = v[2], got = 0;
  while (got < want) {
    const char* s = TlcNextLine(in);
    if (!s) return 0;
    int32_t x, y;
    int any = 0;
    while (got < want && NextInt(s, &s, &x)) {
      if (!NextInt(s, &s, &y)) break;  // a pair stands on one line
      if (got < CNV_PVSIZ) {
        p->x[got] = x;
        p->y[got] = y;
      }
      ++got;
      any = 1;
    }
    if (!any) return 0;
  }
  p->nv = want < CNV_PVSIZ ? want : CNV_PVSIZ;
  p->cut = want > CNV_PVSIZ;
  return 1;
}

int ReadT(TlcIn* in, CnvText* t) {
  int32_t v[4];
  if (!IntsLine(in, v, 4)) return 0;
  t->lyr = v[0], t->size = v[1], t->nv = v[2], t->o = v[3] & 7;
  if (!IntsLine(in, v, 2)) return 0;
  t->x = v[0], t->y = v[1];
  char raw[CNV_TEXTLEN + 1];
  if (!TextLine(in, raw, CNV_TEXTLEN)) return 0;
  const char* open = strstr(raw, "<![CDATA[");
  const char* close = open ? strstr(open + 9, "]]>") : nullptr;
  if (open == raw && close) {
    size_t n = (size_t)(close - (open + 9));
    memcpy(t->text, open + 9, n);
    t->text[n] = 0;
  } else {
    snprintf(t->text, sizeof t->text, "%s", raw);
  }
  return 1;
}

int TlcReadH(TlcIn* in, CnvHdr* h) {
  const char* s;
  while ((s = TlcNextLine(in)) != nullptr) {
    if (TlcLineKind(s) == TLC_HDR) return ReadH(in, h);
  }
  return 0;
}
