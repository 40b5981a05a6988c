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

// What the satellites' reader accepts: 32-bit layers, widths and sizes,
// coordinates within +-2^29, up to 1040 path points (a longer path is
// refused), any instance code, a text's orientation as written.
TlcRecRules Rules() {
  TlcRecRules r{};
  r.layerMin = INT32_MIN, r.layerMax = INT32_MAX;
  r.sizeMin = INT32_MIN, r.sizeMax = INT32_MAX;
  r.coordMin = -TLC_COORD_MAX, r.coordMax = TLC_COORD_MAX;
  r.pathMin = 1, r.pathMax = PVSIZ;
  r.cellFields = TlcStore.cellNoOutline ? 3 : 4;
  r.cellCodesAny = 1;
  r.textOrient = TLC_ORIENT_KEEP;
  return r;
}

// A path longer than the record holds is refused, not cut.
int ParsePath() {
  const TlcRecRules r = Rules();
  return TlcParsePath(&In, &r, &TLCp, nullptr);
}

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
  const TlcRecRules r = Rules();
  return TlcParseBox(&In, &r, &TLCb) == TLC_REC_OK ? 1 : 0;
}

int ReadP() { return ParsePath() == TLC_REC_OK ? 1 : 0; }

const char* getCDATAtext(const char* line) {
  static char text[TLC_LINE_MAX + 1];
  if (!line) return "";
  TlcTextOfLine(line, text, TLC_LINE_MAX);
  return text;
}

int ReadT() {
  const TlcRecRules r = Rules();
  return TlcParseText(&In, &r, &TLCt) == TLC_REC_OK ? 1 : 0;
}

int ReadC(int level) {
  if (level < 0 || level > NRANK + 1) return 0;
  const TlcRecRules r = Rules();
  return TlcParseCell(&In, &r, &TLCc[level]) == TLC_REC_OK ? 1 : 0;
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
      case TLC_TAG_P: {
        int status = ParsePath();
        if (status != TLC_REC_OK) {
          char msg[80];
          TlcPathErrorText(status, PVSIZ, msg, sizeof msg);
          RecordError(msg);
          error = 1;
        } else if (TlcStore.PlimFlag || TlcStore.VlimFlag || !TlcMakeP()) {
          error = 1;
        }
        break;
      }
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
