#include "quilcode.h"

#include <cstdio>
#include <cstring>
#include <memory>

#if defined(__x86_64__)
#include <immintrin.h>
#define QUIL_CRC_CLMUL 1
#endif

#include "cnvcommon.h"
#include "host.h"
#include "safewrite.h"
#include "satlib.h"
#include "satsetup.h"
#include "satutil.h"

void CodeReset(CodeState* st) { *st = CodeState(); }

// ---- check sum ----------------------------------------------------------------

namespace {

// Tables of the CRC taken sixteen bytes a step: T[0] is the byte table,
// T[k] the effect of a byte k places before the last.
struct CrcTables {
  uint32_t t[16][256];
  CrcTables() {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t r = i << 24;
      for (int b = 0; b < 8; ++b) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
      t[0][i] = r;
    }
    for (int k = 1; k < 16; ++k)
      for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] << 8) ^ t[0][t[k - 1][i] >> 24];
  }
};
const CrcTables kCrc;

inline uint32_t CrcByte(uint32_t reg, unsigned char b) { return (reg << 8) ^ kCrc.t[0][(reg >> 24) ^ b]; }

inline uint32_t Load32BE(const unsigned char* p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | (uint32_t)p[3];
}

inline uint64_t Load64(const unsigned char* p) {
  uint64_t w;
  memcpy(&w, p, 8);
  return w;
}

const uint64_t kOnes = 0x0101010101010101ull;
const uint64_t kHigh = 0x8080808080808080ull;
const uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;

// High bits of the bytes of w that are zero.
inline uint64_t ZeroBytes(uint64_t w) { return ~(((w & kLow7) + kLow7) | w) & kHigh; }

// Byte lanes of per-lane counts (each below 256) summed.
inline uint64_t LaneSum(uint64_t acc) {
  uint64_t pairs = (acc & 0x00FF00FF00FF00FFull) + ((acc >> 8) & 0x00FF00FF00FF00FFull);
  return (pairs * 0x0001000100010001ull) >> 48;
}

// Control and high-bit bytes of a word counted in lanes: a lane gains 1
// for each such byte.
inline void CountWord(uint64_t w, uint64_t* ctrl, uint64_t* high) {
  uint64_t atLeast32 = ((w & kLow7) + 0x6060606060606060ull) & kHigh;
  uint64_t below32 = ~(atLeast32 | w) & kHigh;
  // Tab, line feed, form feed and carriage return are text.
  uint64_t text = ZeroBytes(w ^ (9 * kOnes)) | ZeroBytes(w ^ (10 * kOnes)) | ZeroBytes(w ^ (12 * kOnes)) |
                  ZeroBytes(w ^ (13 * kOnes));
  *ctrl += (below32 & ~text) >> 7;
  *high += (w & kHigh) >> 7;
}

inline int IsControl(unsigned char b) { return b < 32 && b != 9 && b != 10 && b != 12 && b != 13; }

// The counts of the bytes, eight at a time.
void CountBytes(CodeCrc* c, const unsigned char* p, size_t n) {
  while (n >= 8) {
    uint64_t ctrl = 0, high = 0;
    size_t words = n / 8;
    if (words > 255) words = 255;  // a lane must not pass 255
    for (size_t k = 0; k < words; ++k, p += 8) CountWord(Load64(p), &ctrl, &high);
    n -= words * 8;
    c->controls += LaneSum(ctrl);
    c->highs += LaneSum(high);
  }
  for (; n; --n, ++p) {
    if (IsControl(*p)) ++c->controls;
    if (*p & 0x80) ++c->highs;
  }
}

#ifdef QUIL_CRC_CLMUL

// x^n mod P, the polynomial's powers the folding multiplies by.
uint32_t XPowMod(int n) {
  uint32_t r = 1;
  for (int k = 0; k < n; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
  return r;
}

struct FoldConstants {
  __m128i by128, by512;  // lane 0: x^d mod P, lane 1: x^(d+64) mod P
  int usable;
  FoldConstants() {
    by128 = _mm_set_epi64x((long long)XPowMod(128 + 64), (long long)XPowMod(128));
    by512 = _mm_set_epi64x((long long)XPowMod(512 + 64), (long long)XPowMod(512));
    __builtin_cpu_init();
    usable = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
  }
};
const FoldConstants kFold;

__attribute__((target("pclmul,ssse3"))) inline __m128i LoadBE(const unsigned char* p) {
  const __m128i swap = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), swap);
}

// x as the polynomial of its 128 bits moved d bits on (d as the constants
// were made for), reduced to 96 bits.
__attribute__((target("pclmul,ssse3"))) inline __m128i Fold(__m128i x, __m128i k) {
  return _mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x11), _mm_clmulepi64_si128(x, k, 0x00));
}

// The CRC of 64 bytes or more a block of 16 at a time: the message is
// folded down to 128 bits of the same remainder, which the byte table then
// finishes. Returns the register; *used tells how many bytes it took.
__attribute__((target("pclmul,ssse3"))) uint32_t CrcFold(uint32_t reg, const unsigned char* p, size_t n,
                                                       size_t* used) {
  __m128i x0 = LoadBE(p), x1 = LoadBE(p + 16), x2 = LoadBE(p + 32), x3 = LoadBE(p + 48);
  // The register comes in as the first 32 bits of the message.
  x0 = _mm_xor_si128(x0, _mm_set_epi32((int)reg, 0, 0, 0));
  size_t k = 64;
  for (; k + 64 <= n; k += 64) {
    x0 = _mm_xor_si128(Fold(x0, kFold.by512), LoadBE(p + k));
    x1 = _mm_xor_si128(Fold(x1, kFold.by512), LoadBE(p + k + 16));
    x2 = _mm_xor_si128(Fold(x2, kFold.by512), LoadBE(p + k + 32));
    x3 = _mm_xor_si128(Fold(x3, kFold.by512), LoadBE(p + k + 48));
  }
  __m128i x = _mm_xor_si128(Fold(x0, kFold.by128), x1);
  x = _mm_xor_si128(Fold(x, kFold.by128), x2);
  x = _mm_xor_si128(Fold(x, kFold.by128), x3);
  for (; k + 16 <= n; k += 16) x = _mm_xor_si128(Fold(x, kFold.by128), LoadBE(p + k));
  unsigned char last[16];
  const __m128i swap = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(last), _mm_shuffle_epi8(x, swap));
  uint32_t r = 0;
  for (unsigned char b : last) r = CrcByte(r, b);
  *used = k;
  return r;
}

#endif

}  // namespace

void CodeCrcStart(CodeCrc* c, int text) {
  memset(c, 0, sizeof *c);
  c->text = text;
  if (text) {
    // The text counts as beginning with one blank.
    c->reg = CrcByte(0, ' ');
    c->length = 1;
    c->blank = 1;
  }
}

void CodeCountFeed(CodeCrc* c, const unsigned char* data, size_t n) { CountBytes(c, data, n); }

namespace {

// The register after the bytes, as many a step as the processor allows.
uint32_t CrcBytes(uint32_t reg, const unsigned char* p, size_t n) {
#ifdef QUIL_CRC_CLMUL
  if (n >= 64 && kFold.usable) {
    size_t used = 0;
    reg = CrcFold(reg, p, n, &used);
    p += used;
    n -= used;
  }
#endif
  const uint32_t(*t)[256] = kCrc.t;
  while (n >= 16) {
    uint32_t a = reg ^ Load32BE(p);
    uint32_t b = Load32BE(p + 4), d = Load32BE(p + 8), e = Load32BE(p + 12);
    reg = t[15][a >> 24] ^ t[14][(a >> 16) & 0xFF] ^ t[13][(a >> 8) & 0xFF] ^ t[12][a & 0xFF] ^
          t[11][b >> 24] ^ t[10][(b >> 16) & 0xFF] ^ t[9][(b >> 8) & 0xFF] ^ t[8][b & 0xFF] ^
          t[7][d >> 24] ^ t[6][(d >> 16) & 0xFF] ^ t[5][(d >> 8) & 0xFF] ^ t[4][d & 0xFF] ^
          t[3][e >> 24] ^ t[2][(e >> 16) & 0xFF] ^ t[1][(e >> 8) & 0xFF] ^ t[0][e & 0xFF];
    p += 16;
    n -= 16;
  }
  for (; n; --n, ++p) reg = CrcByte(reg, *p);
  return reg;
}

}  // namespace

void CodeCrcFeed(CodeCrc* c, const unsigned char* p, size_t n) {
  // A binary file only needs to show one control or high-bit byte; a text
  // file's counts are told in full.
  if (c->text || (!c->controls && !c->highs)) CountBytes(c, p, n);
  if (!c->text) {
    c->length += n;
    c->reg = CrcBytes(c->reg, p, n);
    return;
  }
  uint32_t reg = c->reg;
  uint64_t len = 0;
  int blank = c->blank;
  size_t i = 0;
  while (i < n) {
    if (p[i] > 32) {
      // A run of printing bytes goes in whole.
      size_t j = i + 1;
      while (j < n && p[j] > 32) ++j;
      reg = CrcBytes(reg, p + i, j - i);
      len += j - i;
      blank = 0;
      i = j;
    } else {
      if (!blank) {
        reg = CrcByte(reg, ' ');
        ++len;
        blank = 1;
      }
      ++i;
    }
  }
  c->blank = blank;
  c->reg = reg;
  c->length += len;
}

uint32_t CodeCrcEnd(CodeCrc* c) {
  if (c->text && !c->blank) {
    // ... and ending with one.
    c->reg = CrcByte(c->reg, ' ');
    ++c->length;
    c->blank = 1;
  }
  uint32_t reg = c->reg;
  for (uint64_t rest = c->length; rest; rest >>= 8) reg = CrcByte(reg, (unsigned char)(rest & 0xFF));
  return ~reg;
}

// ---- files ------------------------------------------------------------------------

namespace {

// Reads are taken in blocks of a multiple of 45 and 48 bytes, so that the
// encoders' lines never straddle two blocks.
const size_t kBlock = 720 * 364;

// An input file read in blocks.
struct CodeIn {
  FILE* f = nullptr;
  std::unique_ptr<unsigned char[]> buf{new unsigned char[kBlock]};
  size_t len = 0, pos = 0;
  int error = 0;
  ~CodeIn() {
    if (f) fclose(f);
  }
  int Open(const char* path) {
    f = SatOpen(path, "rb");
    return f != nullptr;
  }
  // The next block, filled whole unless the file ends: its length, 0 at
  // the end or on a read error.
  size_t Fill() {
    len = pos = 0;
    if (!f) return 0;
    while (len < kBlock) {
      size_t got = fread(buf.get() + len, 1, kBlock - len, f);
      if (got == 0) break;
      len += got;
    }
    if (ferror(f)) error = 1;
    return len;
  }
  // One line without its line end (LF or CR LF): in place when the block
  // holds it whole, else copied into line (a line longer than the buffer
  // keeps its first part). Valid until the next call; null at the end.
  const char* Line(char* line, size_t cap, size_t* n) {
    if (pos >= len && !Fill()) return nullptr;
    const unsigned char* start = buf.get() + pos;
    const unsigned char* nl = static_cast<const unsigned char*>(memchr(start, '\n', len - pos));
    const char* text;
    size_t k;
    if (nl) {
      text = reinterpret_cast<const char*>(start);
      k = (size_t)(nl - start);
      pos += k + 1;
    } else {
      // The line goes on in the next block.
      k = 0;
      for (;;) {
        const unsigned char* s = buf.get() + pos;
        const unsigned char* e = static_cast<const unsigned char*>(memchr(s, '\n', len - pos));
        size_t take = e ? (size_t)(e - s) : len - pos;
        size_t room = cap - 1 - k;
        memcpy(line + k, s, take < room ? take : room);
        k += take < room ? take : room;
        pos += take;
        if (e) {
          ++pos;
          break;
        }
        if (!Fill()) break;
      }
      line[k] = 0;
      text = line;
    }
    if (k && text[k - 1] == '\r') --k;
    *n = k;
    return text;
  }
};

// An output file written through a scratch file, the check sum of what is
// written taken on the way.
struct CodeOut {
  SafeWrite sw;
  int open = 0;
  int failed = 0;
  int summed = 0;
  CodeCrc crc;
  std::unique_ptr<unsigned char[]> buf{new unsigned char[2 * kBlock]};
  size_t len = 0;
  ~CodeOut() {
    if (open) SafeWriteCommit(&sw, 1);
  }
  int Open(const char* path, const char* mode, int sum) {
    char host[SAT_PATH_SIZE + 64];
    if (!SatHostPathTo(host, sizeof host, path)) return 0;
    open = SafeWriteOpen(&sw, host, mode);
    summed = sum;
    if (sum) CodeCrcStart(&crc, 0);
    return open;
  }
  void Flush() {
    if (!len) return;
    if (summed) CodeCrcFeed(&crc, buf.get(), len);
    if (!failed && fwrite(buf.get(), 1, len, sw.f.get()) != len) failed = 1;
    len = 0;
  }
  unsigned char* Room(size_t n) {
    if (len + n > 2 * kBlock) Flush();
    return buf.get() + len;
  }
  void Put(const char* text, size_t n) {
    memcpy(Room(n), text, n);
    len += n;
  }
  // Replaces the real file; 1 when it holds the new content.
  int Commit() {
    Flush();
    open = 0;
    return SafeWriteCommit(&sw, failed);
  }
  void Discard() {
    if (open) SafeWriteCommit(&sw, 1);
    open = 0;
  }
};

int Exists(const char* path) {
  FILE* f = SatOpen(path, "rb");
  if (!f) return 0;
  fclose(f);
  return 1;
}

void SumNameSet(CodeState* st, const char* path) {
  CnvPathSplit(path, nullptr, nullptr, st->sumName, st->sumExt);
}

void WarnText(CodeState* st, const CodeCrc* c) {
  char text[SAT_TEXT_SIZE];
  if (c->text) {
    if (!c->controls && !c->highs) return;
    snprintf(text, sizeof text,
             "File %s%s has %ld control characters\nand %ld high bit characters and may not be a TEXT file",
             st->sumName, st->sumExt, (long)c->controls, (long)c->highs);
  } else {
    if (c->controls || c->highs) return;
    snprintf(text, sizeof text,
             "File %s%s has no control characters nor\nhigh bit characters and may not be a BINARY file",
             st->sumName, st->sumExt);
  }
  st->sum.warned = 1;
  WarningShow(text);
}

void SumTake(CodeState* st, CodeCrc* c) {
  st->sum.crc = CodeCrcEnd(c);
  st->sum.length = c->length;
  st->sum.controls = c->controls;
  st->sum.highs = c->highs;
}

void CantOpenInput(const char* path) {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Can't Open Input File %s\n", path);
  ErrorShow(text);
}

void ReadError(const char* path) {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "Error reading file %s", path);
  ErrorShow(text);
}

// The first look at an input: is it the kind of file the coder expects?
// An encoder wants a binary file and asks when it has neither control nor
// high-bit bytes (it stops reading at the first); a decoder wants text and
// refuses a file with any. 1 to go on.
int InputLook(CodeState* st, const char* path, int text) {
  st->sum = CodeSum();
  SumNameSet(st, path);
  CodeIn in;
  if (!in.Open(path)) {
    CantOpenInput(path);
    return 0;
  }
  CodeCrc c;
  CodeCrcStart(&c, text);
  while (in.Fill()) {
    CodeCountFeed(&c, in.buf.get(), in.len);
    if (!text && (c.controls || c.highs)) return 1;
  }
  if (in.error) {
    ReadError(path);
    return 0;
  }
  WarnText(st, &c);
  if (!st->sum.warned) return 1;
  if (text) return 0;
  return HostMsgBox("OK to Continue?", nullptr, HOST_CAP_WARNING, HOST_YESNO) == HOST_IDYES;
}

// The output's place: the question when a file is there already, then its
// scratch file. 1 when open.
int OutputOpen(CodeOut* out, const char* path, const char* mode, int sum) {
  if (Exists(path) &&
      HostMsgBox("Output File Already Exists ... OK?", nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) != HOST_IDOK)
    return 0;
  if (!out->Open(path, mode, sum)) {
    ErrorShow("Can't Write Output File");
    return 0;
  }
  return 1;
}

// The output folder as a prefix: a separator added unless it ends in one.
int FolderJoin(char* out, size_t size, const char* folder, const char* name, const char* ext) {
  size_t n = strlen(folder);
  int sep = n && folder[n - 1] != '\\' && folder[n - 1] != '/' && folder[n - 1] != ':';
  return SatFormat(out, size, "%s%s%s%s", folder, sep ? "\\" : "", name, ext);
}

int OutputDone(CodeOut* out) {
  if (SatFrame.abortFlag) {
    out->Discard();
    return 0;
  }
  if (!out->Commit()) {
    ErrorShow("Can't Write Output File");
    return 0;
  }
  return 1;
}

// The encoders' shared run: the input looked at, the output opened, the
// lines written by encode, the input's sum taken on the way.
int EncodeRun(CodeState* st, const char* input, const char* outFolder, const char* ext, int result,
              int (*encode)(CodeState* st, CodeIn* in, CodeOut* out, CodeCrc* sum, const char* nameExt)) {
  if (!InputLook(st, input, 0)) return 0;
  char name[CODE_PATHLEN + 8], nameExt[2 * CODE_PATHLEN + 8], path[2 * CODE_PATHLEN + 16];
  snprintf(name, sizeof name, "%s", st->sumName);
  snprintf(nameExt, sizeof nameExt, "%s%s", st->sumName, st->sumExt);
  CodeIn in;
  if (!in.Open(input)) {
    ErrorShow("Input File is Missing");
    return 0;
  }
  CodeOut out;
  if (!FolderJoin(path, sizeof path, outFolder, name, ext)) {
    ErrorShow("Can't Write Output File");
    return 0;
  }
  if (!OutputOpen(&out, path, "w", 0)) return 0;
  CodeCrc sum;
  CodeCrcStart(&sum, 0);
  if (!encode(st, &in, &out, &sum, nameExt)) {
    out.Discard();
    return 0;
  }
  if (in.error) {
    out.Discard();
    ReadError(input);
    return 0;
  }
  if (!OutputDone(&out)) return 0;
  SumNameSet(st, input);
  SumTake(st, &sum);
  return result;
}

// A written line also goes to Show Code; 0 once the run was aborted.
int Shown(CodeState* st, const char* line, size_t n) {
  if (!st->showCode) return 1;
  char text[CODE_SHOW_WIDTH + 1];
  if (n > CODE_SHOW_WIDTH) n = CODE_SHOW_WIDTH;
  memcpy(text, line, n);
  text[n] = 0;
  CodeStatusLine(st, text, 0);
  return !SatFrame.abortFlag;
}

int ShownOut(CodeState* st, CodeOut* out, size_t start) {
  if (!st->showCode) return 1;
  size_t n = out->len - start;
  return Shown(st, reinterpret_cast<const char*>(out->buf.get()) + start, n ? n - 1 : 0);
}

int ShownEnd(CodeState* st) {
  if (st->showCode) CodeStatusLine(st, nullptr, 1);
  return !SatFrame.abortFlag;
}

const char kB64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline char UuChar(unsigned v) { return v ? (char)(v + 32) : '`'; }

// One UU line of n bytes (1..45).
void UuLine(CodeOut* out, const unsigned char* p, size_t n) {
  unsigned char* o = out->Room(64);
  unsigned char* s = o;
  *o++ = (unsigned char)UuChar((unsigned)n);
  size_t k = 0;
  for (; k + 3 <= n; k += 3) {
    unsigned v = (unsigned)p[k] << 16 | (unsigned)p[k + 1] << 8 | p[k + 2];
    o[0] = (unsigned char)UuChar(v >> 18);
    o[1] = (unsigned char)UuChar((v >> 12) & 63);
    o[2] = (unsigned char)UuChar((v >> 6) & 63);
    o[3] = (unsigned char)UuChar(v & 63);
    o += 4;
  }
  if (k < n) {
    // The missing bytes of the last group count as zeros.
    unsigned v = (unsigned)p[k] << 16 | (k + 1 < n ? (unsigned)p[k + 1] << 8 : 0);
    o[0] = (unsigned char)UuChar(v >> 18);
    o[1] = (unsigned char)UuChar((v >> 12) & 63);
    o[2] = (unsigned char)UuChar((v >> 6) & 63);
    o[3] = (unsigned char)UuChar(v & 63);
    o += 4;
  }
  *o++ = '\n';
  out->len += (size_t)(o - s);
}

int UuEncodeBody(CodeState* st, CodeIn* in, CodeOut* out, CodeCrc* sum, const char* nameExt) {
  char begin[2 * CODE_PATHLEN + 16];
  int n = snprintf(begin, sizeof begin, "begin 644 %s\n", nameExt);
  out->Put(begin, (size_t)n);
  if (!Shown(st, begin, (size_t)n - 1)) return 0;
  while (in->Fill()) {
    CodeCrcFeed(sum, in->buf.get(), in->len);
    for (size_t k = 0; k < in->len; k += 45) {
      size_t start = out->len;
      UuLine(out, in->buf.get() + k, in->len - k < 45 ? in->len - k : 45);
      if (!ShownOut(st, out, start)) return 0;
    }
  }
  out->Put("`\nend\n", 6);
  return Shown(st, "`", 1) && Shown(st, "end", 3) && ShownEnd(st);
}

// One Base64 line of n bytes (1..48).
void B64Line(CodeOut* out, const unsigned char* p, size_t n) {
  unsigned char* o = out->Room(72);
  unsigned char* s = o;
  size_t k = 0;
  for (; k + 3 <= n; k += 3) {
    unsigned v = (unsigned)p[k] << 16 | (unsigned)p[k + 1] << 8 | p[k + 2];
    o[0] = (unsigned char)kB64[v >> 18];
    o[1] = (unsigned char)kB64[(v >> 12) & 63];
    o[2] = (unsigned char)kB64[(v >> 6) & 63];
    o[3] = (unsigned char)kB64[v & 63];
    o += 4;
  }
  if (k < n) {
    int two = k + 1 < n;
    unsigned v = (unsigned)p[k] << 16 | (two ? (unsigned)p[k + 1] << 8 : 0);
    o[0] = (unsigned char)kB64[v >> 18];
    o[1] = (unsigned char)kB64[(v >> 12) & 63];
    o[2] = two ? (unsigned char)kB64[(v >> 6) & 63] : '=';
    o[3] = '=';
    o += 4;
  }
  *o++ = '\n';
  out->len += (size_t)(o - s);
}

int B64EncodeBody(CodeState* st, CodeIn* in, CodeOut* out, CodeCrc* sum, const char*) {
  while (in->Fill()) {
    CodeCrcFeed(sum, in->buf.get(), in->len);
    for (size_t k = 0; k < in->len; k += 48) {
      size_t start = out->len;
      B64Line(out, in->buf.get() + k, in->len - k < 48 ? in->len - k : 48);
      if (!ShownOut(st, out, start)) return 0;
    }
  }
  return ShownEnd(st);
}

int DamagedLine(uint64_t line) {
  char text[SAT_TEXT_SIZE];
  snprintf(text, sizeof text, "UU Line %llu is Damaged", (unsigned long long)line);
  ErrorShow(text);
  return 0;
}

inline unsigned UuValue(char c) { return ((unsigned)(unsigned char)c - 32u) & 63u; }

// Decoded bytes of a UU data line into out; 0 when the line is damaged.
int UuDataLine(CodeOut* out, const char* line, size_t n, unsigned count) {
  size_t need = 4 * ((count + 2) / 3);
  if (n < 1 + need) return 0;
  // Every character of the groups in 0x20..0x60.
  unsigned bad = 0;
  for (size_t k = 1; k <= need; ++k) bad |= ((unsigned)(unsigned char)line[k] - 0x20u) > 0x40u;
  if (bad) return 0;
  unsigned char* o = out->Room(3 * (need / 4));
  const char* p = line + 1;
  for (size_t g = 0; g < need / 4; ++g, p += 4, o += 3) {
    unsigned v = UuValue(p[0]) << 18 | UuValue(p[1]) << 12 | UuValue(p[2]) << 6 | UuValue(p[3]);
    o[0] = (unsigned char)(v >> 16);
    o[1] = (unsigned char)(v >> 8);
    o[2] = (unsigned char)v;
  }
  // The last group's spare bytes are written but not counted.
  out->len += count;
  return 1;
}

int IsEndLine(const char* line, size_t n) {
  if (n < 3 || memcmp(line, "end", 3) != 0) return 0;
  for (size_t k = 3; k < n; ++k)
    if (line[k] != ' ' && line[k] != '\t') return 0;
  return 1;
}

// The name of a "begin" line: what follows its mode, trailing blanks cut.
// 0 when the line is not a UU begin line.
int UuBeginName(const char* line, char* name, size_t size) {
  if (strncmp(line, "begin", 5) != 0 || (line[5] != ' ' && line[5] != '\t' && line[5] != 0)) return 0;
  const char* p = line + 5;
  while (*p == ' ' || *p == '\t') ++p;
  while (*p && *p != ' ' && *p != '\t') ++p;  // the mode
  while (*p == ' ' || *p == '\t') ++p;
  snprintf(name, size, "%s", p);
  size_t n = strlen(name);
  while (n && (name[n - 1] == ' ' || name[n - 1] == '\t')) name[--n] = 0;
  return 1;
}

const signed char* B64Table() {
  static signed char t[256];
  static int made = 0;
  if (!made) {
    memset(t, -1, sizeof t);
    for (int i = 0; i < 64; ++i) t[(unsigned char)kB64[i]] = (signed char)i;
    made = 1;
  }
  return t;
}

void IllegalChar(int c) {
  char text[64];
  snprintf(text, sizeof text, "Illegal Character \"%c\" (%d)", c, c);
  ErrorShow(text);
}

}  // namespace

int CodeCheckSum(CodeState* st, const char* path, int textMode) {
  st->sum = CodeSum();
  CodeIn in;
  if (!in.Open(path)) {
    CantOpenInput(path);
    return 0;
  }
  SumNameSet(st, path);
  CodeCrc c;
  CodeCrcStart(&c, textMode);
  while (in.Fill()) CodeCrcFeed(&c, in.buf.get(), in.len);
  if (in.error) {
    ReadError(path);
    return 0;
  }
  SumTake(st, &c);
  WarnText(st, &c);
  return 1;
}

int CodeUuEncode(CodeState* st, const char* input, const char* outFolder) {
  return EncodeRun(st, input, outFolder, ".uue", CODE_UU_ENCODED, UuEncodeBody);
}

int CodeB64Encode(CodeState* st, const char* input, const char* outFolder) {
  return EncodeRun(st, input, outFolder, ".B64", CODE_B64_ENCODED, B64EncodeBody);
}

int CodeUuDecode(CodeState* st, const char* input, const char* outFolder) {
  if (!InputLook(st, input, 1)) return 0;
  CodeIn in;
  if (!in.Open(input)) {
    ErrorShow("Input File is Missing");
    return 0;
  }
  char buf[1024], name[1024];
  const char* line;
  size_t n;
  uint64_t lineNo = 0;
  for (;;) {
    if (!(line = in.Line(buf, sizeof buf, &n))) {
      if (in.error)
        ReadError(input);
      else
        ErrorShow("\"begin\" not Found");
      return 0;
    }
    ++lineNo;
    char begin[1024];
    snprintf(begin, sizeof begin, "%.*s", (int)(n < sizeof begin ? n : sizeof begin - 1), line);
    if (UuBeginName(begin, name, sizeof name)) break;
  }
  char safe[CODE_PATHLEN], path[2 * CODE_PATHLEN + 16];
  if (!CodeUuNameSafe(name, safe, sizeof safe)) {
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text, "Output File Name \"%.200s\" of the \"begin\" Line is Refused", name);
    ErrorShow(text);
    return 0;
  }
  if (!Shown(st, line, n)) return 0;
  if (!FolderJoin(path, sizeof path, outFolder, safe, "")) {
    ErrorShow("Can't Write Output File");
    return 0;
  }
  CodeOut out;
  if (!OutputOpen(&out, path, "wb", 1)) return 0;
  int ended = 0, dataEnded = 0;
  while ((line = in.Line(buf, sizeof buf, &n))) {
    ++lineNo;
    if (n >= 3 && n < 64 && IsEndLine(line, n)) {
      ended = 1;
      if (!Shown(st, line, n)) return 0;
      break;
    }
    if (dataEnded) {
      // Only blank lines may stand between the last data line and "end".
      if (n) {
        out.Discard();
        return DamagedLine(lineNo);
      }
      continue;
    }
    unsigned char c0 = (unsigned char)line[0];
    if (!n || c0 < 0x20 || c0 > 0x60) {
      out.Discard();
      return DamagedLine(lineNo);
    }
    unsigned count = (c0 - 32u) & 63u;
    if (!count) {
      dataEnded = 1;
    } else if (!UuDataLine(&out, line, n, count)) {
      out.Discard();
      return DamagedLine(lineNo);
    }
    if (!Shown(st, line, n)) return 0;
  }
  if (in.error) {
    out.Discard();
    ReadError(input);
    return 0;
  }
  if (!ended) {
    out.Discard();
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text, "UU File Ends at Line %llu before \"end\"", (unsigned long long)lineNo);
    ErrorShow(text);
    return 0;
  }
  if (!ShownEnd(st)) return 0;
  out.Flush();
  CodeCrc sum = out.crc;
  if (!OutputDone(&out)) return 0;
  SumNameSet(st, path);
  SumTake(st, &sum);
  WarnText(st, &sum);
  return CODE_UU_DECODED;
}

int CodeB64Decode(CodeState* st, const char* input, const char* outFile) {
  if (!InputLook(st, input, 1)) return 0;
  // "*" as the output's name: the input's name with the output's extension.
  char path[3 * CODE_PATHLEN + 16];
  {
    char d[CNV_PATHLEN], f[CNV_PATHLEN], nm[CNV_PATHLEN], e[CNV_PATHLEN];
    CnvPathSplit(outFile, d, f, nm, e);
    if (strcmp(nm, "*") == 0) {
      char in[CNV_PATHLEN], ie[CNV_PATHLEN];
      CnvPathSplit(input, nullptr, nullptr, in, ie);
      if (!SatFormat(path, sizeof path, "%s%s%s%s", d, f, in, e)) path[0] = 0;
    } else {
      snprintf(path, sizeof path, "%s", outFile);
    }
  }
  CodeIn in;
  if (!in.Open(input)) {
    ErrorShow("Input File is Missing");
    return 0;
  }
  CodeOut out;
  if (!OutputOpen(&out, path, "wb", 1)) return 0;
  const signed char* t = B64Table();
  uint32_t acc = 0;
  int have = 0;    // characters of the group so far
  int pads = 0;    // "=" among them
  int done = 0;    // a padded group ended the data
  int cr = 0;      // a carriage return waits for its line feed
  // Show Code sees the input's lines as they pass.
  char shown[CODE_SHOW_WIDTH + 1];
  size_t shownLen = 0;
  while (in.Fill()) {
    const unsigned char* p = in.buf.get();
    size_t len = in.len, i = 0;
    while (i < len) {
      // Whole groups of four alphabet characters, the common case.
      if (!have && !cr && !done && !st->showCode) {
        unsigned char* o = out.Room(3 * 64);
        size_t made = 0;
        while (i + 4 <= len && made + 3 <= 3 * 64) {
          int a = t[p[i]], b = t[p[i + 1]], c = t[p[i + 2]], d = t[p[i + 3]];
          if ((a | b | c | d) < 0) break;
          uint32_t v = (uint32_t)a << 18 | (uint32_t)b << 12 | (uint32_t)c << 6 | (uint32_t)d;
          o[made] = (unsigned char)(v >> 16);
          o[made + 1] = (unsigned char)(v >> 8);
          o[made + 2] = (unsigned char)v;
          made += 3;
          i += 4;
        }
        out.len += made;
        if (i >= len) break;
        if (made) continue;
      }
      unsigned char ch = p[i++];
      if (cr) {
        if (ch != '\n') {
          out.Discard();
          IllegalChar('\r');
          return 0;
        }
        cr = 0;
      }
      if (ch == '\n' || ch == '\r') {
        if (ch == '\r') {
          cr = 1;
          continue;
        }
        if (st->showCode) {
          shown[shownLen] = 0;
          if (!Shown(st, shown, shownLen)) {
            out.Discard();
            return 0;
          }
          shownLen = 0;
        }
        continue;
      }
      if (st->showCode && shownLen < CODE_SHOW_WIDTH) shown[shownLen++] = (char)ch;
      int v = t[ch];
      if (done || (v < 0 && ch != '=') || (ch == '=' && have < 2) || (v >= 0 && pads)) {
        out.Discard();
        IllegalChar(ch);
        return 0;
      }
      if (ch == '=') {
        ++pads;
        v = 0;
      }
      acc = acc << 6 | (uint32_t)v;
      if (++have == 4) {
        unsigned char* o = out.Room(3);
        o[0] = (unsigned char)(acc >> 16);
        o[1] = (unsigned char)(acc >> 8);
        o[2] = (unsigned char)acc;
        out.len += (size_t)(3 - pads);
        if (pads) done = 1;
        have = 0;
        acc = 0;
      }
    }
  }
  if (in.error) {
    out.Discard();
    ReadError(input);
    return 0;
  }
  if (cr) {
    out.Discard();
    IllegalChar('\r');
    return 0;
  }
  if (have) {
    out.Discard();
    ErrorShow("Base64 Data Ends inside a Group of Four Characters");
    return 0;
  }
  if (st->showCode && shownLen) {
    shown[shownLen] = 0;
    if (!Shown(st, shown, shownLen)) {
      out.Discard();
      return 0;
    }
  }
  if (!ShownEnd(st)) return 0;
  out.Flush();
  CodeCrc sum = out.crc;
  if (!OutputDone(&out)) return 0;
  SumNameSet(st, path);
  SumTake(st, &sum);
  WarnText(st, &sum);
  return CODE_B64_DECODED;
}

int CodeUuNameSafe(const char* word, char* out, size_t size) {
  if (!out || !size) return 0;
  out[0] = 0;
  if (!word) return 0;
  const char* base = word;
  for (const char* p = word; *p; ++p)
    if (*p == '/' || *p == '\\') base = p + 1;
  if (!*base || strcmp(base, ".") == 0 || strcmp(base, "..") == 0 || strchr(base, ':')) return 0;
  for (const char* p = base; *p; ++p)
    if ((unsigned char)*p < 32) return 0;
  // A device name stays a device whatever extension follows it.
  char stem[8];
  size_t n = strcspn(base, ".");
  while (n && base[n - 1] == ' ') --n;
  if (n < sizeof stem) {
    for (size_t k = 0; k < n; ++k) stem[k] = (char)((base[k] >= 'a' && base[k] <= 'z') ? base[k] - 32 : base[k]);
    stem[n] = 0;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL"};
    for (const char* d : kDevices)
      if (strcmp(stem, d) == 0) return 0;
    if (n == 4 && (strncmp(stem, "COM", 3) == 0 || strncmp(stem, "LPT", 3) == 0) && stem[3] >= '1' &&
        stem[3] <= '9')
      return 0;
  }
  return SatFormat(out, size, "%s", base);
}

// ---- run ----------------------------------------------------------------------------

const char* CodeRunTitle(int action, int base64) {
  if (action == CODE_ENCODE) return base64 ? "Encoding to Base64 ..." : "Encoding to UU ...";
  if (action == CODE_DECODE) return base64 ? "Decoding from Base64 ..." : "Decoding from UU ...";
  return "Finding CRC CheckSum ...";
}

int CodeRun(CodeState* st) {
  SatFrame.abortFlag = 0;
  st->lineCount = 0;
  if (st->title) st->title(CodeRunTitle(st->action, st->base64));
  int r = 0;
  switch (st->action) {
    case CODE_ENCODE:
      r = st->base64 ? CodeB64Encode(st, st->input, st->output) : CodeUuEncode(st, st->input, st->output);
      break;
    case CODE_DECODE:
      r = st->base64 ? CodeB64Decode(st, st->input, st->output) : CodeUuDecode(st, st->input, st->output);
      break;
    default:
      r = CodeCheckSum(st, st->input, st->textMode) ? CODE_SUMMED : 0;
      break;
  }
  return SatFrame.abortFlag ? 0 : r;
}

void CodeResultText(const CodeState* st, int result, char* text, size_t size) {
  static const char* const kHow[] = {
      "", "", " Encoded to UU", " Decoded from UU", " Encoded to Base64", " Decoded from Base64"};
  unsigned long crc = st->sum.crc;
  unsigned long long len = st->sum.length;
  if (result <= 0 || result > CODE_B64_DECODED) {
    snprintf(text, size, "Aborted ... Files may be Incomplete");
  } else if (result == CODE_SUMMED) {
    snprintf(text, size, "%s%s\n\nCRC CheckSum = %lu  FileLength= %llu", st->sumName, st->sumExt, crc, len);
  } else if (result == CODE_UU_ENCODED || result == CODE_B64_ENCODED) {
    snprintf(text, size, "%s%s%s\n\nBefore Encoding:\n\nCRC CheckSum = %lu  FileLength= %llu", st->sumName,
             st->sumExt, kHow[result], crc, len);
  } else {
    snprintf(text, size, "%s%s%s\n\nAfter Decoding:\n\nCRC CheckSum = %lu  FileLength = %llu", st->sumName,
             st->sumExt, kHow[result], crc, len);
  }
}

void CodeStatusLine(CodeState* st, const char* text, int flush) {
  if (!st->showCode) return;
  if (text && st->lineCount < CODE_SHOW_LINES) snprintf(st->lines[st->lineCount++], CODE_SHOW_WIDTH + 1, "%s", text);
  if (st->lineCount < CODE_SHOW_LINES && !flush) return;
  if (!st->lineCount) return;
  if (st->show) st->show(st->lines, st->lineCount);
  st->lineCount = 0;
  AbortPoll(500);
}

// ---- setup ----------------------------------------------------------------------------

void CodeOutputDerive(const char* input, int action, int base64, char* out, size_t size) {
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
  CnvPathSplit(input, d, f, n, e);
  if (base64 && action != CODE_ENCODE)
    snprintf(out, size, "%s%s%s.xxx", d, f, n);
  else
    snprintf(out, size, "%s%s", d, f);
}

const char* CodeOutputLabel(int action, int base64) {
  return base64 && action != CODE_ENCODE ? "Output File" : "Output Path";
}

namespace {
const char* const kRectKeys[] = {"lft=", "top=", "rgt=", "bot="};
}

int CodeUsfRead() {
  FILE* f = SatOpen("Quilcode.usf", "r");
  if (!f) return 1;
  char line[SAT_SLOT_SIZE + 8];
  while (fGetLine(line, SAT_SLOT_SIZE, f)) {
    strclip(line, 255);
    for (int i = 0; i < 4; ++i) UsfReadKey(i, kRectKeys[i], line);
  }
  fclose(f);
  SatRectFit(0, 1, 2, 3);
  return 0;
}

int CodeUsfWrite() {
  SatRectFit(0, 1, 2, 3);
  FILE* f = SatOpen("Quilcode.usf", "w");
  if (!f) return 1;
  int bad = 0;
  for (int i = 0; i < 4; ++i)
    if (fprintf(f, "%s%s\n", kRectKeys[i], UsfSlot(i)) < 0) bad = 1;
  if (fclose(f) != 0) bad = 1;
  return bad;
}
