#include "cnvtlc.h"

#include <cstring>

#include "cnvcommon.h"

int TlcOpenRead(TlcIn* in, const char* drive, const char* folder, const char* name) {
  snprintf(in->path, sizeof in->path, "%s%s%s.tlc", drive ? drive : "", folder ? folder : "", name ? name : "");
  in->open = TlcLineOpenFile(&in->src, in->path, 1);
  return in->open;
}

void TlcCloseRead(TlcIn* in) {
  if (in->open) TlcLineClose(&in->src);
  in->open = 0;
}

void TlcRewind(TlcIn* in) {
  TlcCloseRead(in);
  in->open = TlcLineOpenFile(&in->src, in->path, 1);
}

const char* TlcNextLine(TlcIn* in) { return in->open ? TlcLineGet(&in->src) : nullptr; }

int TlcLineKind(const char* s) {
  if (!s) return TLC_OTHER;
  switch (TlcTagOf(s)) {
    case TLC_TAG_H: return TLC_HDR;
    case TLC_TAG_C: return TLC_CELL;
    case TLC_TAG_B: return TLC_BOX;
    case TLC_TAG_P: return TLC_PATH;
    case TLC_TAG_T: return TLC_TEXT;
    case TLC_TAG_L: return TLC_LAYERS;
  }
  return TLC_OTHER;
}

// What the converters accept: every 32-bit value (path points but the
// lowest), paths of no points, instances of three fields, orientations
// masked, a bad scale read as 0 (the caller refuses it).
static const TlcRecRules CnvRules = {
    INT32_MIN, INT32_MAX,  // layers
    INT32_MIN, INT32_MAX,  // widths and sizes
    INT32_MIN, INT32_MAX,  // coordinates
    0, CNV_PVSIZ,          // points of a path
    3,                     // o x y
    0, 0, 0,               // instance codes, outline bit, text codes
    TLC_ORIENT_MASK,
    0,                     // texts never read like openings
    1,                     // counts may be negative
};

int ReadH(TlcIn* in, CnvHdr* h) {
  int st = TlcParseHeader(&in->src, &CnvRules, h);
  return st == TLC_REC_OK || st == TLC_REC_SCALE ? 1 : 0;
}

int ReadC(TlcIn* in, CnvCell* c) { return TlcParseCell(&in->src, &CnvRules, c) == TLC_REC_OK ? 1 : 0; }

int ReadB(TlcIn* in, CnvBox* b) { return TlcParseBox(&in->src, &CnvRules, b) == TLC_REC_OK ? 1 : 0; }

// Every pair is read, so the next record starts where it should; but a shape
// cut short would be written as another shape: the record fails.
int ReadP(TlcIn* in, CnvPath* p) {
  int st = TlcParsePath(&in->src, &CnvRules, p, nullptr);
  p->cut = st == TLC_REC_LONG;
  return st == TLC_REC_OK ? 1 : 0;
}

int ReadT(TlcIn* in, CnvText* t) { return TlcParseText(&in->src, &CnvRules, t) == TLC_REC_OK ? 1 : 0; }

int TlcFindHeader(TlcIn* in, CnvHdr* h) {
  const char* s;
  while ((s = TlcNextLine(in)) != nullptr) {
    if (TlcLineKind(s) == TLC_HDR) return ReadH(in, h) ? 1 : -1;
  }
  return 0;
}

int TlcReadH(TlcIn* in, CnvHdr* h) { return TlcFindHeader(in, h) == 1; }
