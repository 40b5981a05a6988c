#include "zipextract.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "host.h"
#include "inflate.h"
#include "safewrite.h"
#include "satutil.h"

namespace {

enum : uint32_t {
  SIG_LOCAL = 0x04034B50u,
  SIG_CENTRAL = 0x02014B50u,
  SIG_END = 0x06054B50u,
  SIG_END64 = 0x06064B50u,
  SIG_END64_LOC = 0x07064B50u,
  SIG_EXTRA_DATA = 0x08064B50u,
  SIG_SIGNATURE = 0x05054B50u,
};

enum {
  ZIP_PATH_SIZE = 260,  // a member's full path, as Windows allows it
  ZIP_SHOWN_NAME = 80,  // how much of a name a message shows
  ZIP_TEXT_SIZE = 600,
};

const uint16_t FLAG_ENCRYPTED = 0x0001;
const uint16_t FLAG_SIZES_AFTER = 0x0008;

struct ZipHeader {
  uint16_t flags, method, dosTime, dosDate, nameLen, extraLen;
  uint32_t crc, csize, usize;
};

// The walk's whole state; one is made for each ZipExtract.
struct ZipState {
  InflateState inflate;  // its window is the stored copy's buffer too
  char name[ZIP_PATH_SIZE];
  int nameTooLong = 0;
  char shown[ZIP_SHOWN_NAME + 8];
  char joined[ZIP_PATH_SIZE];
  char path[ZIP_PATH_SIZE];
  char hostPath[ZIP_PATH_SIZE + 40];
  uint8_t extra[65536];
  int sawEof = 0;  // a member ran into the end of the file
};

ZipHooks Hooks = {nullptr, nullptr};

inline uint16_t Get16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
inline uint32_t Get32(const uint8_t* p) { return (uint32_t)Get16(p) | (uint32_t)Get16(p + 2) << 16; }
inline uint64_t Get64(const uint8_t* p) { return (uint64_t)Get32(p) | (uint64_t)Get32(p + 4) << 32; }

int SeekTo(FILE* f, uint64_t pos) {
#ifdef _WIN32
  return _fseeki64(f, (long long)pos, SEEK_SET) == 0;
#else
  return fseeko(f, (off_t)pos, SEEK_SET) == 0;
#endif
}

uint64_t Tell(FILE* f) {
#ifdef _WIN32
  long long p = _ftelli64(f);
#else
  long long p = (long long)ftello(f);
#endif
  return p < 0 ? 0 : (uint64_t)p;
}

// Every message of the walk is a plain box.
void Say(const char* fmt, const char* arg) {
  char text[ZIP_TEXT_SIZE];
  snprintf(text, sizeof text, fmt, arg ? arg : "");
  HostError(text);
}

// A member name as a message may show it: printable, and cut when long.
void ShowName(ZipState* z) {
  size_t k = 0;
  for (const char* p = z->name; *p && k < ZIP_SHOWN_NAME; ++p) {
    unsigned char c = (unsigned char)*p;
    z->shown[k++] = (c < 0x20 || c == 0x7f) ? '?' : (char)c;
  }
  z->shown[k] = 0;
  if (z->nameTooLong || strlen(z->name) > k) snprintf(z->shown + k, sizeof z->shown - k, "...");
}

int IsDevice(const char* name, size_t len) {
  // The part before the first dot, blanks at its end ignored, is what
  // Windows compares with its device names.
  size_t n = 0;
  while (n < len && name[n] != '.') ++n;
  while (n > 0 && name[n - 1] == ' ') --n;
  char base[8];
  if (n == 0 || n >= sizeof base) return 0;
  for (size_t i = 0; i < n; ++i) base[i] = (char)((name[i] >= 'a' && name[i] <= 'z') ? name[i] - 32 : name[i]);
  base[n] = 0;
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* d : kDevices)
    if (strcmp(base, d) == 0) return 1;
  if (n == 4 && (memcmp(base, "COM", 3) == 0 || memcmp(base, "LPT", 3) == 0) && base[3] >= '0' && base[3] <= '9')
    return 1;
  return 0;
}

// Reads the member's sizes from its ZIP64 extra field; 0 when it has none.
int Zip64Sizes(const ZipState* z, const ZipHeader& h, uint64_t* csize) {
  size_t at = 0;
  while (at + 4 <= h.extraLen) {
    uint16_t id = Get16(z->extra + at);
    uint16_t len = Get16(z->extra + at + 2);
    at += 4;
    if (at + len > h.extraLen) return 0;
    if (id == 0x0001) {
      // The uncompressed size comes first when it is the one marked.
      size_t k = at;
      if (h.usize == 0xFFFFFFFFu) k += 8;
      if (h.csize != 0xFFFFFFFFu) {
        *csize = h.csize;
        return 1;
      }
      if (k + 8 > at + len) return 0;
      *csize = Get64(z->extra + k);
      return 1;
    }
    at += len;
  }
  return 0;
}

// The member's data copied through the window as it is stored.
int CopyStored(ZipState* z, FILE* in, FILE* out, uint32_t size, int* wrote) {
  InflateState* st = &z->inflate;
  uint32_t left = size;
  *wrote = 1;
  while (left > 0) {
    size_t want = left < (uint32_t)INFLATE_WSIZE ? left : (size_t)INFLATE_WSIZE;
    size_t got = fread(st->window, 1, want, in);
    Crc32Update(&st->crc, st->window, got);
    if (got && fwrite(st->window, 1, got, out) != got) {
      *wrote = 0;
      return 0;
    }
    st->outCount += got;
    left -= (uint32_t)got;
    if (got < want) {
      z->sawEof = 1;
      return 0;
    }
  }
  return 1;
}

// Skips over the member's data, by the header's compressed size.
int SkipData(FILE* in, uint64_t dataStart, uint64_t csize) { return SeekTo(in, dataStart + csize); }

// One member whose header has been read; returns its code. *stop asks the
// walk to end (the member's end can't be known).
int Member(ZipState* z, FILE* in, const ZipHeader& h, const char* target, ZipRun* run, int* stop) {
  // The whole name is read or skipped; only a path's worth is kept.
  size_t keep = h.nameLen < ZIP_PATH_SIZE - 1 ? h.nameLen : ZIP_PATH_SIZE - 1;
  z->nameTooLong = h.nameLen > keep;
  size_t got = fread(z->name, 1, keep, in);
  z->name[got] = 0;
  int nulInName = strlen(z->name) != got;
  if (got < keep || (z->nameTooLong && !SeekTo(in, Tell(in) + (h.nameLen - keep)))) {
    z->sawEof = 1;
    *stop = 1;
    return ZIP_DAMAGED;
  }
  if (fread(z->extra, 1, h.extraLen, in) != h.extraLen) {
    z->sawEof = 1;
    *stop = 1;
    return ZIP_DAMAGED;
  }
  ShowName(z);
  uint64_t dataStart = Tell(in);
  uint64_t csize = h.csize;

  // What can't be unzipped is found before anything is opened.
  if (h.flags & FLAG_SIZES_AFTER) {
    // The header's sizes are not the member's: where it ends is unknown.
    Say("%s ... sizes follow the data, can't unzip", z->shown);
    *stop = 1;
    return ZIP_FATAL;
  }
  if (h.csize == 0xFFFFFFFFu || h.usize == 0xFFFFFFFFu) {
    if (!Zip64Sizes(z, h, &csize)) {
      Say("%s ... ZIP64 sizes missing, can't unzip", z->shown);
      *stop = 1;
      return ZIP_FATAL;
    }
    Say("%s ... ZIP64 member, can't unzip", z->shown);
    if (!SkipData(in, dataStart, csize)) *stop = 1;
    return ZIP_DAMAGED;
  }
  const char* refusal = nullptr;
  int why = 0;
  if (h.flags & FLAG_ENCRYPTED) {
    refusal = "%s ... encrypted, can't unzip";
  } else if (h.method != 0 && h.method != 8) {
    refusal = "%s ... not stored or deflated, can't unzip";
  } else if (nulInName || !ZipNameSafe(z->name, strlen(z->name), &why)) {
    refusal = why == 1 ? "%s ... in a sub-folder, can't unzip (no folders are made)"
                       : "%s ... not a name for a file, can't unzip";
  } else if (z->nameTooLong || !SatFormat(z->joined, sizeof z->joined, "%s%s", target, z->name) ||
             !PathFixTo(z->path, sizeof z->path, z->joined) || !SatHostPathTo(z->hostPath, sizeof z->hostPath, z->path)) {
    refusal = "%s ... name too long for a path, can't unzip";
  } else if (h.method == 0 && h.csize != h.usize) {
    refusal = "%s ... compressed data length error";
  }
  if (refusal) {
    Say(refusal, z->shown);
    if (!SkipData(in, dataStart, csize)) *stop = 1;
    return ZIP_DAMAGED;
  }

  // Written beside its place; the place is taken only when all is right.
  SafeWrite sw;
  if (!SafeWriteOpen(&sw, z->hostPath, "wb")) {
    Say("Unable to open %s file ... Can't continue", z->path);
    if (!SkipData(in, dataStart, csize)) *stop = 1;
    return ZIP_FATAL;
  }
  InflateState* st = &z->inflate;
  int code = ZIP_OK;
  if (h.method == 0) {
    InflateBegin(st, nullptr, nullptr, 0, nullptr, h.usize);
    int wrote;
    if (!CopyStored(z, in, sw.f.get(), h.usize, &wrote)) {
      if (!wrote) {
        Say("Not enough space for output file ... Can't continue", nullptr);
        code = ZIP_FATAL;
      } else {
        Say("%s ... compressed data length error", z->shown);
        code = ZIP_DAMAGED;
      }
    }
  } else {
    InflateBegin(st, in, nullptr, h.csize, sw.f.get(), h.usize);
    int r = Inflate(st);
    InflateFree(st);
    if (r == INFLATE_NO_MEMORY) {
      Say("Out of memory .. Can't continue", nullptr);
      code = ZIP_FATAL;
    } else if (r == INFLATE_WRITE_FAILED) {
      Say("Not enough space for output file ... Can't continue", nullptr);
      code = ZIP_FATAL;
    } else if (st->overrun) {
      Say("%s ... compressed data length error", z->shown);
      code = ZIP_DAMAGED;
    } else if (r != INFLATE_OK) {
      Say("%s ... Compressed data format wrong", z->shown);
      code = ZIP_DAMAGED;
    }
  }
  if (feof(in)) z->sawEof = 1;
  if (code == ZIP_OK) {
    if (Crc32Update(&st->crc, st->window, 0) != h.crc) {
      Say("%s ... compressed data CRC error", z->shown);
      code = ZIP_DAMAGED;
    } else if (st->outCount != h.usize) {
      Say("%s ... compressed data length error", z->shown);
      code = ZIP_DAMAGED;
    }
  }
  if (code == ZIP_OK && fflush(sw.f.get()) != 0) {
    Say("Not enough space for output file ... Can't continue", nullptr);
    code = ZIP_FATAL;
  }
  if (!SafeWriteCommit(&sw, code != ZIP_OK) && code == ZIP_OK) {
    // Written whole, but the old file would not make way (in use?).
    Say("Unable to replace %s file ... Can't continue", z->path);
    code = ZIP_FATAL;
  }
  // The next header is where the header says, whatever the decoder read.
  if (!z->sawEof && !SkipData(in, dataStart, h.csize)) *stop = 1;
  if (code != ZIP_OK) return code;

  char line[ZIP_PATH_SIZE + 16];
  snprintf(line, sizeof line, "%s ... OK", z->path);
  if (Hooks.listAdd) Hooks.listAdd(line);
  if (run->escapeTest && HostAbortPoll()) run->abort = 1;
  if (run->pauseMs > 0) HostPause(run->pauseMs);
  if (Hooks.setTime && !Hooks.setTime(z->path, h.dosDate, h.dosTime)) {
    Say("Unable to reset %s file date and time", z->path);
    return ZIP_DAMAGED;
  }
  return ZIP_OK;
}

}  // namespace

void ZipSetHooks(const ZipHooks* hooks) {
  if (hooks) {
    Hooks = *hooks;
  } else {
    Hooks = ZipHooks{nullptr, nullptr};
  }
}

int ZipNameSafe(const char* name, size_t len, int* why) {
  *why = 2;
  if (len == 0) return 0;
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = (unsigned char)name[i];
    if (c == '/' || c == '\\') {
      // A plain folder path is its own complaint; one that climbs out or
      // starts at a root or drive is simply not allowed.
      *why = 1;
      if (name[0] == '/' || name[0] == '\\' || memchr(name, ':', len)) *why = 2;
      size_t start = 0;
      for (size_t k = 0; k <= len; ++k) {
        if (k == len || name[k] == '/' || name[k] == '\\') {
          size_t n = k - start;
          if ((n == 1 && name[start] == '.') || (n == 2 && name[start] == '.' && name[start + 1] == '.')) *why = 2;
          start = k + 1;
        }
      }
      return 0;
    }
  }
  for (size_t i = 0; i < len; ++i) {
    unsigned char c = (unsigned char)name[i];
    if (c < 0x20 || c == 0x7f || strchr(":*?\"<>|", c)) return 0;
  }
  // Windows drops dots and blanks at a name's end, so "x." would land on
  // "x" and "." or ".." on a folder.
  if (name[len - 1] == '.' || name[len - 1] == ' ') return 0;
  if (IsDevice(name, len)) return 0;
  *why = 0;
  return 1;
}

int ZipExtract(const char* zipPath, const char* target, ZipRun* run) {
  ZipRun quiet;
  if (!run) run = &quiet;
  QFile in(SatOpen(zipPath, "rb"));
  if (!in) {
    Say("%s file is missing", zipPath);
    return ZIP_FATAL;
  }
  std::unique_ptr<ZipState> z(new (std::nothrow) ZipState);
  if (!z) {
    Say("Out of memory .. Can't continue", nullptr);
    return ZIP_FATAL;
  }
  int result = ZIP_OK;
  for (int first = 1;; first = 0) {
    uint8_t hdr[30];
    size_t got = fread(hdr, 1, sizeof hdr, in.get());
    uint32_t sig = got >= 4 ? Get32(hdr) : 0;
    if (sig != SIG_LOCAL || got < sizeof hdr) {
      if (first && sig != SIG_END && sig != SIG_LOCAL) {
        Say("%s is not a ZIP file", zipPath);
        return ZIP_FATAL;
      }
      int known = sig == SIG_CENTRAL || sig == SIG_END || sig == SIG_END64 || sig == SIG_END64_LOC ||
                  sig == SIG_EXTRA_DATA || sig == SIG_SIGNATURE;
      // The last member must be followed by the archive's directory;
      // anything else means members may be missing.
      if ((!known || got < 4) && !z->sawEof) {
        Say("%s ... ZIP file cut short or damaged", zipPath);
        if (result < ZIP_DAMAGED) result = ZIP_DAMAGED;
      }
      break;
    }
    ZipHeader h;
    h.flags = Get16(hdr + 6);
    h.method = Get16(hdr + 8);
    h.dosTime = Get16(hdr + 10);
    h.dosDate = Get16(hdr + 12);
    h.crc = Get32(hdr + 14);
    h.csize = Get32(hdr + 18);
    h.usize = Get32(hdr + 22);
    h.nameLen = Get16(hdr + 26);
    h.extraLen = Get16(hdr + 28);
    int stop = 0;
    int code = Member(z.get(), in.get(), h, target, run, &stop);
    if (code > result) result = code;
    if (run->abort || stop || z->sawEof) break;
  }
  return result;
}
