#include "gdsrec.h"

#include <cmath>
#include <cstring>

#include "host.h"

void GdsRecReset(GdsRec* r) {
  r->out = QFile();
  r->bytes = 0;
  r->ioError = 0;
  r->listing = nullptr;
  r->lsb = 0;
  r->ratio = 1.0;
  r->iratio = 1;
  r->abortFlag = nullptr;
  r->counts = GdsCounts{0, 0, 0, 0};
  r->used = 0;
}

static void Flush(GdsRec* r) {
  if (r->used == 0) return;
  if (!r->out || fwrite(r->buf, 1, r->used, r->out.get()) != r->used) r->ioError = 1;
  r->used = 0;
}

int GdsRecOpen(GdsRec* r, const char* path) {
  r->out = (path && *path) ? QFileOpen(path, "wb") : QFile();
  r->bytes = 0;
  r->ioError = 0;
  r->used = 0;
  return r->out ? 1 : 0;
}

int GdsRecClose(GdsRec* r) {
  if (!r->out) return 0;
  Flush(r);
  if (!QFileClose(&r->out)) r->ioError = 1;
  return r->ioError ? 0 : 1;
}

void GdsRecRatio(GdsRec* r, double ratio) {
  r->ratio = ratio;
  double nearest = std::floor(ratio + 0.5);
  // Ratios like 1000 x 0.1 / 100 come out a hair off an integer; taken as
  // the integer they multiply exactly instead of losing one unit.
  r->iratio = (nearest >= 1 && nearest < 1e9 && std::fabs(ratio - nearest) <= 1e-9 * nearest)
                  ? (int64_t)nearest
                  : 0;
}

int64_t GdsScale(const GdsRec* r, int32_t v) {
  if (r->iratio) return (int64_t)v * r->iratio;
  double p = (double)v * r->ratio;
  if (p >= 9.0e18) return INT64_MAX;
  if (p <= -9.0e18) return INT64_MIN;
  return (int64_t)p;  // toward zero
}

void GdsReal8(double x, int lsb, unsigned char out[8]) {
  memset(out, 0, 8);
  if (x == 0 || std::isnan(x)) return;
  int exp = 64;
  int neg = x < 0;
  double m = std::fabs(x);
  uint64_t mant;
  if (std::isinf(m)) {
    exp = 127;
    mant = (1ULL << 56) - 1;
  } else {
    while (m >= 1 || m < 1.0 / 16) {
      if (m >= 1) {
        ++exp;
        m *= 1.0 / 16;
      } else {
        --exp;
        m *= 16;
      }
    }
    // m holds at most 53 significant bits starting within the first four
    // places, so m x 2^56 is exactly the truncated 56-bit mantissa.
    mant = (uint64_t)std::ldexp(m, 56);
    int64_t corrected = (int64_t)mant + lsb;
    if (corrected < 0) corrected = 0;
    if (corrected > (int64_t)((1ULL << 56) - 1)) corrected = (int64_t)((1ULL << 56) - 1);
    mant = (uint64_t)corrected;
    if (exp > 127) {
      exp = 127;
      mant = (1ULL << 56) - 1;
    } else if (exp < 0) {
      return;  // too small to show: zero
    }
  }
  out[0] = (unsigned char)(exp | (neg ? 0x80 : 0));
  for (int i = 0; i < 7; ++i) out[1 + i] = (unsigned char)(mant >> (8 * (6 - i)));
}

static void Put(GdsRec* r, const void* data, size_t n) {
  if (r->used + n > sizeof r->buf) Flush(r);
  memcpy(r->buf + r->used, data, n);
  r->used += n;
  r->bytes += (int64_t)n;
}

static void Hdr(GdsRec* r, int length, int type, int dtype) {
  unsigned char h[4] = {(unsigned char)(length >> 8), (unsigned char)length, (unsigned char)type,
                        (unsigned char)dtype};
  Put(r, h, 4);
  if (r->listing) fprintf(r->listing, "  %02X  %02X  %02X    ", length, type, dtype);
}

static void Put16(GdsRec* r, int v) {
  unsigned char b[2] = {(unsigned char)((unsigned)v >> 8), (unsigned char)v};
  Put(r, b, 2);
}

static void Put32(GdsRec* r, int32_t v) {
  uint32_t u = (uint32_t)v;
  unsigned char b[4] = {(unsigned char)(u >> 24), (unsigned char)(u >> 16), (unsigned char)(u >> 8),
                        (unsigned char)u};
  Put(r, b, 4);
}

static void PutReal(GdsRec* r, double x) {
  unsigned char b[8];
  GdsReal8(x, r->lsb, b);
  Put(r, b, 8);
  if (r->listing) fprintf(r->listing, " %g", x);
}

static void List(GdsRec* r, const char* text) {
  if (r->listing) fputs(text, r->listing);
}

// Record of one 16-bit value.
static void Short(GdsRec* r, int type, int dtype, int v, const char* fmt) {
  Hdr(r, 6, type, dtype);
  Put16(r, v);
  if (r->listing) fprintf(r->listing, fmt, v);
}

static void NoData(GdsRec* r, int type, const char* text) {
  Hdr(r, 4, type, 0);
  List(r, text);
}

// A string record: an odd length gets one pad byte, written as zero; the
// byte 0xFF is written as zero too.
static void Str(GdsRec* r, int type, const char* label, const char* text) {
  unsigned char s[514];
  size_t n = 0;
  for (const char* p = text ? text : ""; *p && n < 512; ++p) s[n++] = (unsigned char)*p;
  if (n & 1) s[n++] = 0xFF;
  Hdr(r, (int)n + 4, type, 6);
  if (r->listing) fprintf(r->listing, "%s ", label);
  for (size_t i = 0; i < n; ++i) {
    if (s[i] == 0xFF) {
      s[i] = 0;
      List(r, "[NUL]");
    } else if (r->listing) {
      fputc(s[i], r->listing);
    }
  }
  Put(r, s, n);
  List(r, "\n");
}

static void Dates(GdsRec* r, int type, const char* label, const struct tm* now) {
  struct tm zero;
  memset(&zero, 0, sizeof zero);
  if (!now) now = &zero;
  int v[6] = {now->tm_year, now->tm_mon + 1, now->tm_mday, now->tm_hour, now->tm_min, now->tm_sec};
  Hdr(r, 28, type, 2);
  List(r, label);
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < 6; ++i) {
      Put16(r, v[i]);
      if (r->listing) fprintf(r->listing, " %d", v[i]);
    }
  List(r, "\n");
}

void GdsWriteHeader(GdsRec* r) { Short(r, 0x00, 2, 3, "HEADER %d\n"); }
void GdsWriteBgnLib(GdsRec* r, const struct tm* now) { Dates(r, 0x01, "BGNLIB", now); }
void GdsWriteLibName(GdsRec* r, const char* name) { Str(r, 0x02, "LIBNAME", name); }

void GdsWriteUnits(GdsRec* r, double userPerDb, double metresPerDb) {
  Hdr(r, 20, 0x03, 5);
  List(r, "UNITS");
  PutReal(r, userPerDb);
  PutReal(r, metresPerDb);
  List(r, "\n");
}

void GdsWriteEndLib(GdsRec* r) { NoData(r, 0x04, "ENDLIB\n"); }
void GdsWriteBgnStr(GdsRec* r, const struct tm* now) { Dates(r, 0x05, "BGNSTR", now); }
void GdsWriteStrName(GdsRec* r, const char* name) { Str(r, 0x06, "STRNAME", name); }
void GdsWriteEndStr(GdsRec* r) { NoData(r, 0x07, "ENDSTR\n"); }

void GdsWriteBoundary(GdsRec* r) {
  NoData(r, 0x08, "BOUNDARY\n");
  r->counts.boundaries++;
}
void GdsWritePath(GdsRec* r) {
  NoData(r, 0x09, "PATH\n");
  r->counts.paths++;
}
void GdsWriteSref(GdsRec* r) {
  NoData(r, 0x0A, "SREF\n");
  r->counts.srefs++;
}
void GdsWriteText(GdsRec* r) {
  NoData(r, 0x0C, "TEXT\n");
  r->counts.texts++;
}

void GdsWriteLayer(GdsRec* r, int layer) { Short(r, 0x0D, 2, layer, "LAYER %d\n"); }
void GdsWriteDatatype(GdsRec* r, int datatype) { Short(r, 0x0E, 2, datatype, "DATATYPE %d\n"); }

void GdsWriteWidth(GdsRec* r, int32_t width) {
  int32_t w = width < 0 ? (width == INT32_MIN ? INT32_MAX : -width) : width;
  Hdr(r, 8, 0x0F, 3);
  Put32(r, w);
  if (r->listing) fprintf(r->listing, "WIDTH %d\n", (int)w);
}

// One coordinate after scaling: 1 when it may be written, 0 when the
// conversion stops.
static int CoordOk(GdsRec* r, int64_t v, char axis, int32_t* out) {
  if (v > 0x3FFFFFFF || v < -0x40000000) {
    char msg[80];
    if (v > INT32_MAX || v < INT32_MIN) {
      // Written as it is, such a value would wrap to a far-away point.
      snprintf(msg, sizeof msg, "%c Coordinate in GDS XY Record exceeds 32 Bits ... Can't Continue", axis);
      HostError(msg);
      if (r->abortFlag) *r->abortFlag = 1;
      return 0;
    }
    snprintf(msg, sizeof msg, "%c Coordinate in GDS XY Record exceeds Limit", axis);
    if (HostMsgBox(msg, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) != HOST_IDOK) {
      if (r->abortFlag) *r->abortFlag = 1;
      return 0;
    }
  }
  *out = (int32_t)v;
  return 1;
}

int GdsWriteXY(GdsRec* r, const int32_t* x, const int32_t* y, int n) {
  if (n < 0) n = 0;
  if (n > GDS_MAXPOINTS) n = GDS_MAXPOINTS;
  // Every point is checked before the record starts, so a stopped record
  // leaves no half-written element behind it.
  for (int i = 0; i < n; ++i) {
    int64_t vx = GdsScale(r, x[i]), vy = GdsScale(r, y[i]);
    if (vx >= -0x40000000 && vx <= 0x3FFFFFFF && vy >= -0x40000000 && vy <= 0x3FFFFFFF) {
      r->xy[2 * i] = (int32_t)vx;
      r->xy[2 * i + 1] = (int32_t)vy;
      continue;
    }
    if (!CoordOk(r, vx, 'X', &r->xy[2 * i])) return 0;
    if (!CoordOk(r, vy, 'Y', &r->xy[2 * i + 1])) return 0;
  }
  Hdr(r, 8 * n + 4, 0x10, 3);
  if (r->used + 8 * (size_t)n > sizeof r->buf) Flush(r);
  unsigned char* b = r->buf + r->used;
  for (int i = 0; i < 2 * n; ++i) {
    uint32_t u = (uint32_t)r->xy[i];
    b[4 * i] = (unsigned char)(u >> 24);
    b[4 * i + 1] = (unsigned char)(u >> 16);
    b[4 * i + 2] = (unsigned char)(u >> 8);
    b[4 * i + 3] = (unsigned char)u;
  }
  r->used += 8 * (size_t)n;
  r->bytes += 8 * (int64_t)n;
  for (int i = 0; i < n; ++i) {
    if (r->listing) {
      if (i == 0)
        fprintf(r->listing, "%2s%8d%8d\n", "XY", (int)r->xy[0], (int)r->xy[1]);
      else
        fprintf(r->listing, "%18s%8d%8d\n", "", (int)r->xy[2 * i], (int)r->xy[2 * i + 1]);
    }
  }
  if (n == 0) List(r, "XY\n");
  return 1;
}

void GdsWriteEndEl(GdsRec* r) { NoData(r, 0x11, "ENDEL\n"); }
void GdsWriteSName(GdsRec* r, const char* name) { Str(r, 0x12, "SNAME", name); }
void GdsWriteTextType(GdsRec* r, int texttype) { Short(r, 0x16, 2, texttype, "TEXTTYPE %d\n"); }

void GdsWritePresentation(GdsRec* r, int font, int vjust) {
  int v = ((font & 3) << 4) | (vjust & 0x0C);
  Hdr(r, 6, 0x17, 1);
  Put16(r, v);
  if (r->listing)
    fprintf(r->listing, "PRESENTATION %02X F=%d V=%d H=%d\n", v, (v >> 4) & 3, (v >> 2) & 3, v & 3);
}

void GdsWriteString(GdsRec* r, const char* text) { Str(r, 0x19, "STRING", text); }
void GdsWriteStrans(GdsRec* r, int bits) { Short(r, 0x1A, 1, bits & 0xFFFF, "STRANS %d\n"); }

void GdsWriteMag(GdsRec* r, double mag) {
  Hdr(r, 12, 0x1B, 5);
  List(r, "MAG");
  PutReal(r, mag);
  List(r, "\n");
}

void GdsWriteAngle(GdsRec* r, double degrees) {
  Hdr(r, 12, 0x1C, 5);
  List(r, "ANGLE");
  PutReal(r, degrees);
  List(r, "\n");
}

void GdsWritePathType(GdsRec* r, int type) { Short(r, 0x21, 2, type, "PTYPE %d\n"); }
