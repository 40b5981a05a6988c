// The byte-level stream reader: record headers checked against the table
// of lengths and data types, integers, reals and strings, coordinates in
// TLC database units and the resolution divisor.
#include <cmath>
#include <cstring>

#include "cnvreal8.h"
#include "gdsin.h"
#include "gdsinpriv.h"
#include "host.h"

namespace {

// Index = record type. Exact lengths, "any" (even, at least 4) or points.
const GdsRecordRule kRules[GR_LAST + 1] = {
    {"HEADER", GL_EXACT, 6, 2},        {"BGNLIB", GL_EXACT, 28, 2},      {"LIBNAME", GL_ANY, 0, 6},
    {"UNITS", GL_EXACT, 20, 5},        {"ENDLIB", GL_ANY, 0, -1},        {"BGNSTR", GL_EXACT, 28, 2},
    {"STRNAME", GL_ANY, 0, 6},         {"ENDSTR", GL_EXACT, 4, 0},       {"BOUNDARY", GL_EXACT, 4, 0},
    {"PATH", GL_EXACT, 4, 0},          {"SREF", GL_EXACT, 4, 0},         {"AREF", GL_EXACT, 4, 0},
    {"TEXT", GL_EXACT, 4, 0},          {"LAYER", GL_EXACT, 6, 2},        {"DATATYPE", GL_EXACT, 6, 2},
    {"WIDTH", GL_EXACT, 8, 3},         {"XY", GL_POINTS, 0, 3},          {"ENDEL", GL_EXACT, 4, 0},
    {"SNAME", GL_ANY, 0, 6},           {"COLROW", GL_EXACT, 8, 2},       {nullptr, GL_ANY, 0, -1},
    {"NODE", GL_EXACT, 4, 0},          {"TEXTTYPE", GL_EXACT, 6, 2},     {"PRESENTATION", GL_EXACT, 6, 1},
    {nullptr, GL_ANY, 0, -1},          {"STRING", GL_ANY, 0, 6},         {"STRANS", GL_EXACT, 6, 1},
    {"MAG", GL_EXACT, 12, 5},          {"ANGLE", GL_EXACT, 12, 5},       {nullptr, GL_ANY, 0, -1},
    {nullptr, GL_ANY, 0, -1},          {"REFLIBS", GL_ANY, 0, 6},        {"FONTS", GL_ANY, 0, 6},
    {"PATHTYPE", GL_ANY, 0, 2},        {"GENERATIONS", GL_EXACT, 6, 2},  {"ATTRTABLE", GL_ANY, 0, 6},
    {nullptr, GL_ANY, 0, -1},          {nullptr, GL_ANY, 0, -1},         {"ELFLAGS", GL_EXACT, 6, 1},
    {nullptr, GL_ANY, 0, -1},          {nullptr, GL_ANY, 0, -1},         {nullptr, GL_ANY, 0, -1},
    {"NODETYPE", GL_EXACT, 6, 2},      {"PROPATTR", GL_EXACT, 6, 2},     {"PROPVALUE", GL_ANY, 0, 6},
    {"BOX", GL_EXACT, 4, 0},           {"BOXTYPE", GL_EXACT, 6, 2},      {"PLEX", GL_EXACT, 8, 3},
    {"BGNEXTN", GL_EXACT, 8, 3},       {"ENDEXTN", GL_EXACT, 8, 3},      {nullptr, GL_ANY, 0, -1},
    {nullptr, GL_ANY, 0, -1},          {nullptr, GL_ANY, 0, -1},         {nullptr, GL_ANY, 0, -1},
    {nullptr, GL_ANY, 0, -1},          {"MASK", GL_ANY, 0, 6},           {"ENDMASKS", GL_EXACT, 4, 0},
    {"LIBDIRSIZE", GL_EXACT, 6, 2},    {"SRFNAME", GL_ANY, 0, 6},        {"LIBSECUR", GL_EXACT, 6, 2},
    {nullptr, GL_ANY, 0, -1},
};

size_t Fill(GdsSource* s) {
  if (s->bufPos < s->bufLen) return s->bufLen - s->bufPos;
  if (s->mem) return 0;
  if (!s->f) return 0;
  s->bufLen = fread(s->buf, 1, sizeof s->buf, s->f);
  s->bufPos = 0;
  return s->bufLen;
}

const unsigned char* Cur(GdsSource* s) { return s->mem ? s->mem + s->pos : s->buf + s->bufPos; }

// Takes up to n bytes; what was taken.
size_t Take(GdsSource* s, unsigned char* out, size_t n) {
  if (!s->mem && s->bufLen - s->bufPos >= n) {
    // Most records lie inside the buffer.
    if (out) memcpy(out, s->buf + s->bufPos, n);
    s->bufPos += n;
    s->pos += (int64_t)n;
    return n;
  }
  size_t got = 0;
  if (s->mem) {
    int64_t left = s->size - s->pos;
    got = (int64_t)n < left ? n : (size_t)(left > 0 ? left : 0);
    if (out && got) memcpy(out, s->mem + s->pos, got);
    s->pos += (int64_t)got;
    return got;
  }
  while (got < n) {
    size_t have = Fill(s);
    if (!have) break;
    size_t k = n - got < have ? n - got : have;
    if (out) memcpy(out + got, Cur(s), k);
    s->bufPos += k;
    s->pos += (int64_t)k;
    got += k;
  }
  return got;
}

int ReadPastEnd(GdsInState* st) {
  return GdsFail(st,
                 "GDS File Read Past End\n\nEDLIB Record is Missing nor Stream may be Corrupted ... Can't Continue");
}

int Bytes(GdsInState* st, unsigned char* out, size_t n) {
  if (st->abort) return 0;
  if (Take(&st->src, out, n) != n) return ReadPastEnd(st);
  return 1;
}

}  // namespace

const GdsRecordRule* GdsRecordRuleOf(int rt) {
  static const GdsRecordRule unknown = {nullptr, GL_ANY, 0, -1};
  if (rt < 0 || rt > GR_LAST) return &unknown;
  return &kRules[rt];
}

int GdsRecordCheck(int rl, int rt, int dt, int* what) {
  *what = 0;
  const GdsRecordRule* r = GdsRecordRuleOf(rt);
  // An odd or short length would lose the record boundaries.
  int lengthOk = rl >= 4 && (rl & 1) == 0;
  if (lengthOk && r->name) {
    if (r->lengthRule == GL_EXACT) lengthOk = rl == r->length;
    if (r->lengthRule == GL_POINTS) lengthOk = (rl - 4) % 8 == 0;
    if (rt == GR_PATHTYPE) lengthOk = rl >= 6;
  }
  if (!lengthOk) {
    *what = 1;
    return 0;
  }
  if (r->name && r->dataType >= 0 && dt != r->dataType) {
    *what = 2;
    return 0;
  }
  return 1;
}

void GdsSourceFile(GdsSource* s, FILE* f) {
  s->f = f;
  s->mem = nullptr;
  s->size = 0;
  if (f && fseek(f, 0, SEEK_END) == 0) {
    long long n = (long long)ftell(f);
    s->size = n > 0 ? n : 0;
    fseek(f, 0, SEEK_SET);
  }
  s->pos = 0;
  s->bufLen = s->bufPos = 0;
}

void GdsSourceMem(GdsSource* s, const unsigned char* data, int64_t size) {
  s->f = nullptr;
  s->mem = data;
  s->size = size;
  s->pos = 0;
  s->bufLen = s->bufPos = 0;
}

void GdsSourceRewind(GdsSource* s) {
  if (s->f) fseek(s->f, 0, SEEK_SET);
  s->pos = 0;
  s->bufLen = s->bufPos = 0;
}

int GdsReadHeader(GdsInState* st) {
  if (st->abort) return 0;
  unsigned char b[4];
  st->recPos = st->src.pos;
  st->rl = st->rt = st->dt = 0;
  int rl;
  if (!st->firstHeader && !st->src.mem && st->src.bufLen - st->src.bufPos >= 4) {
    // The usual case: the whole header lies in the buffer.
    memcpy(b, st->src.buf + st->src.bufPos, 4);
    st->src.bufPos += 4;
    st->src.pos += 4;
    rl = (b[0] << 8) | b[1];
  } else {
    if (!Bytes(st, b, 2)) return 0;
    rl = (b[0] << 8) | b[1];
    if (st->firstHeader) {
      // Tape-era files may start with null padding.
      int nulls = 0;
      while (rl == 0) {
        if (++nulls > 100) return GdsFail(st, "Too Many Nulls in GDS Header ... Can't Continue");
        st->recPos = st->src.pos;
        if (!Bytes(st, b, 2)) return 0;
        rl = (b[0] << 8) | b[1];
      }
      st->firstHeader = 0;
    }
    if (!Bytes(st, b + 2, 2)) return 0;
  }
  st->rl = rl;
  st->rt = b[2];
  st->dt = b[3];
  if (st->rt > 60) return GdsFail(st, "Too Many Nulls in GDS Header ... Can't Continue");
  if (st->dt > 6) return GdsFail(st, "Data Type Error ... Can't Continue");
  int what = 0;
  if (!GdsRecordCheck(st->rl, st->rt, st->dt, &what)) {
    char msg[120];
    snprintf(msg, sizeof msg, "GDS %s is Wrong: RL=%X  RT=%X  DT=%X", what == 1 ? "Record Length" : "Data Type", st->rl,
             st->rt, st->dt);
    return GdsFail(st, msg);
  }
  return 1;
}

int GdsSkip(GdsInState* st) {
  if (st->abort) return 0;
  size_t n = (size_t)(st->rl - 4);
  if (Take(&st->src, nullptr, n) != n) return ReadPastEnd(st);
  return 1;
}

int GdsReadData(GdsInState* st) {
  size_t n = (size_t)(st->rl - 4);
  if (n > sizeof st->data - 1) n = sizeof st->data - 1;
  if (!Bytes(st, st->data, n)) return 0;
  st->data[n] = 0;
  return 1;
}

int GdsReadInt2(GdsInState* st, int k) {
  if (4 + 2 * (k + 1) > st->rl) return 0;
  return (st->data[2 * k] << 8) | st->data[2 * k + 1];
}

int32_t GdsReadInt4Raw(GdsInState* st, int k) {
  if (4 + 4 * (k + 1) > st->rl) return 0;
  const unsigned char* p = st->data + 4 * k;
  return (int32_t)(((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3]);
}

void GdsDivisorAdd(GdsInState* st, int32_t v) {
  if (v == 0) return;
  int64_t a = v < 0 ? -(int64_t)v : v;
  int64_t d = st->div;
  if (d > 1) {
    int64_t x = a, y = d;
    while (y) {
      int64_t t = x % y;
      x = y;
      y = t;
    }
    d = x;
  }
  if (d > st->cap) d = st->cap;
  if (d < 1) d = 1;
  st->div = d;
  if (d < st->minDiv) st->minDiv = d;
}

int32_t GdsInt4(GdsInState* st, int k) {
  int32_t v = GdsReadInt4Raw(st, k);
  GdsDivisorAdd(st, v);
  return v;
}

double GdsReal8At(GdsInState* st, int k) { return GdsReal8Read(st->data + 8 * k); }

void GdsString(GdsInState* st, char* out, int max) {
  int n = st->rl - 4;
  if (n > GDSIN_STRLEN) n = GDSIN_STRLEN;
  int len = 0;
  while (len < n && st->data[len]) ++len;
  if (len > max) {
    char msg[GDSIN_SNAMELEN + 60];
    snprintf(msg, sizeof msg, "String Data Length Exceeds Allocation in %s", st->curName);
    GdsInList(st, msg);
    len = max;
  }
  memcpy(out, st->data, (size_t)len);
  out[len] = 0;
}

int32_t GdsCoord(GdsInState* st, int32_t v, int* clamped) {
  double r = (double)v * st->f;
  r = r < 0 ? -std::floor(-r + 0.5) : std::floor(r + 0.5);
  const double lim = (double)0x20000000;
  if (r > lim) {
    r = lim;
    if (clamped) *clamped = 1;
  } else if (r < -lim) {
    r = -lim;
    if (clamped) *clamped = 1;
  } else if (!(r == r)) {
    r = 0;
    if (clamped) *clamped = 1;
  }
  return (int32_t)r;
}

int GdsUnitsSet(GdsInState* st, double userPerDb, double metresPerDb, int firstPass) {
  // A zero or negative unit would divide by zero below.
  if (!(userPerDb > 0) || !std::isfinite(userPerDb) || !std::isfinite(metresPerDb) ||
      !std::isfinite(1.0 / userPerDb))
    return GdsFail(st, "GDS Units are Incorrect ... Can't Continue");
  st->G = 1.0 / userPerDb;
  st->metres = metresPerDb * st->G;
  snprintf(st->unit, sizeof st->unit, "um");
  double m = st->metres;
  if (m > 9.999e-10 && m < 1.1111e-9) {
    snprintf(st->unit, sizeof st->unit, "nm");
  } else if (m > 2.539746e-5 && m < 2.822194e-5) {
    snprintf(st->unit, sizeof st->unit, "mil");
  } else if (!(m > 9.999e-7 && m < 1.1111e-6) && firstPass) {
    char msg[200];
    snprintf(msg, sizeof msg,
             "Physical units in the GDS file are Unknown (%.*g per meter)\n\nDefaulting to um ... Conversion may be "
             "Incorrect",
             9, m != 0 ? 1.0 / m : 0.0);
    HostWarning(msg);
  }
  if (st->G < 100000) {
    int64_t c = (int64_t)st->G;
    // A cap of zero would make every divisor zero.
    st->cap = c < 1 ? 1 : c;
  }
  st->f = st->tlcScale / st->G;
  st->unitsSeen = 1;
  return 1;
}
