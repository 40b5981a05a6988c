// The satellites' TLC reader: both record forms, records in any order.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "orient.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satutil.h"
#include "tlcline.h"

FILE* rTLCfile = nullptr;

namespace {

// The reader's line source: one cell file at a time.
TlcLineIn In;

bool Coord(int64_t v) { return v >= -TLC_COORD_MAX && v <= TLC_COORD_MAX; }
bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

void RecordError(const char* text) {
  if (SatEditionGet().pauseAfterReadError)
    MessageBoxPause(text, HOST_CAP_ERROR, HOST_OK);
  else
    HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK);
}

// The file is opened here rather than by the line source so that names are
// matched as the system matches them (without regard to case).
int OpenCell(const char* name) {
  char path[SAT_PATH_SIZE];
  TlcLineOpenFile(&In, "", 1);  // resets the source
  if (!SatFormat(path, sizeof path, "%s.TLC", name)) return 0;
  In.file = SatOpen(path, "rb");
  rTLCfile = In.file;
  return In.file != nullptr;
}

void CloseCell(int* error) {
  if (TlcLineClose(&In)) *error = 1;
  rTLCfile = nullptr;
}

}  // namespace

int ReadB() {
  int64_t v[5];
  if (!TlcReadInts(&In, v, 5) || !Fits32(v[0])) return 0;
  for (int k = 1; k < 5; ++k)
    if (!Coord(v[k])) return 0;
  TLCb.lyr = (int32_t)v[0];
  TLCb.l = (int32_t)v[1];
  TLCb.b = (int32_t)v[2];
  TLCb.r = (int32_t)v[3];
  TLCb.t = (int32_t)v[4];
  TlcRighteousBox(&TLCb);
  return 1;
}

// Every pair the record announces is consumed, so the next record starts
// where it should; a count the buffer can't hold fails the record.
int ReadP() {
  int64_t h[3];
  if (!TlcReadInts(&In, h, 3) || !Fits32(h[0]) || !Fits32(h[1])) return 0;
  TLCp.lyr = (int32_t)h[0];
  TLCp.w = (int32_t)h[1];
  TLCp.nv = 0;
  int64_t nv = h[2];
  if (!TlcReadPoints(&In, nv, PVSIZ, TLCp.x, TLCp.y, TLC_COORD_MAX)) return 0;
  if (nv < 1 || nv > PVSIZ) return 0;
  TLCp.nv = (int32_t)nv;
  return 1;
}

const char* getCDATAtext(const char* line) {
  static char text[TLC_LINE_MAX + 1];
  if (!line) return "";
  TlcTextOfLine(line, text, TLC_LINE_MAX);
  return text;
}

int ReadT() {
  int64_t h[4], p[2];
  if (!TlcReadInts(&In, h, 4) || !TlcReadInts(&In, p, 2)) return 0;
  for (int k = 0; k < 4; ++k)
    if (!Fits32(h[k])) return 0;
  if (!Coord(p[0]) || !Coord(p[1])) return 0;
  const char* line = TlcReadDataLine(&In);
  if (!line) return 0;
  TLCt.lyr = (int32_t)h[0];
  TLCt.size = (int32_t)h[1];
  TLCt.nv = (int32_t)h[2];
  TLCt.o = (int32_t)h[3];
  TLCt.x = (int32_t)p[0];
  TLCt.y = (int32_t)p[1];
  TlcTextOfLine(line, TLCt.text, TXTLEN);
  return 1;
}

int ReadC(int level) {
  if (level < 0 || level > NRANK + 1) return 0;
  const char* line = TlcReadDataLine(&In);
  if (!line) return 0;
  tlccel& c = TLCc[level];
  TlcCopyCut(c.name, line, NAMLEN, 1);
  int64_t v[4] = {0, 0, 0, 0};
  int want = TlcStore.cellNoOutline ? 3 : 4;
  if (!TlcReadInts(&In, v, want) || !Coord(v[1]) || !Coord(v[2])) return 0;
  c.o = (int32_t)(v[0] & 7);
  c.x = (int32_t)v[1];
  c.y = (int32_t)v[2];
  c.r = (int32_t)(v[3] & 1);
  return 1;
}

int TlcReadBPVSource() {
  TlcLineIn* in = &In;
  int error = 0;
  const char* line;
  while ((line = TlcLineGet(in)) != nullptr) {
    switch (TlcTagOf(line)) {
      case TLC_TAG_B:
        if (!ReadB()) {
          RecordError("Box Record Read Error");
          error = 1;
        } else if (TlcStore.BlimFlag || !TlcMakeB()) {
          error = 1;
        }
        break;
      case TLC_TAG_P:
        if (!ReadP()) {
          RecordError("Path Record Read Error");
          error = 1;
        } else if (TlcStore.PlimFlag || TlcStore.VlimFlag || !TlcMakeP()) {
          error = 1;
        }
        break;
      case TLC_TAG_T:
        if (!ReadT()) {
          RecordError("Text Record Read Error");
          error = 1;
        } else if (TlcStore.textMode == 0 && (TlcStore.PlimFlag || TlcStore.VlimFlag || !TlcMakeT())) {
          error = 1;
        }
        break;
      default:
        break;  // headers, layers, closing tags, references: not read here
    }
  }
  return error;
}

int TlcReadCSource(int level) {
  TlcLineIn* in = &In;
  int error = 0;
  const char* line;
  while ((line = TlcLineGet(in)) != nullptr) {
    if (TlcTagOf(line) != TLC_TAG_C) continue;
    if (!ReadC(level)) {
      RecordError("Cell Record Read Error");
      error = 1;
    } else if (TlcStore.AlimFlag || !TlcMakeC(level)) {
      error = 1;
    }
  }
  return error;
}

int TlcReadBPV(const char* name) {
  TlcStore.lastMissing = 0;
  if (!name || !name[0]) return 1;
  freeBPV();
  if (!OpenCell(name)) {
    TlcStore.lastMissing = 1;
    return 1;
  }
  int error = TlcReadBPVSource();
  CloseCell(&error);
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
  int error = TlcReadCSource(level);
  CloseCell(&error);
  return error;
}

TlcLineIn* TlcReaderSource() { return &In; }

int TlcReadOpen(const char* name) {
  TlcStore.lastMissing = 0;
  if (!name || !name[0]) return 0;
  if (!OpenCell(name)) {
    TlcStore.lastMissing = 1;
    return 0;
  }
  return 1;
}

int TlcReadTag() {
  const char* line;
  while ((line = TlcLineGet(&In)) != nullptr) {
    int tag = TlcTagOf(line);
    if (tag != TLC_TAG_NONE) return tag;
  }
  return 0;
}

int TlcReadEnd() {
  int error = 0;
  CloseCell(&error);
  return error;
}

void OrientXY(int o, int32_t* x, int32_t* y) {
  if (o < 0 || o > 7) return;
  int64_t ox, oy;
  OrientPoint(o, *x, *y, &ox, &oy);
  *x = (int32_t)ox;
  *y = (int32_t)oy;
}
