#include "cnvtlc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"
#include "layerset.h"

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

int CnvLayersRead(TlcIn* in, const char* tlcPath, CnvLayerRow* rows, int nameWidth, int maskNumber,
                  const LayerSet* sel, const char* noLayers) {
  for (int i = 0; i < CNV_LAYERS; ++i) {
    snprintf(rows[i].name, sizeof rows[i].name, "NONE");
    rows[i].word = 0;
  }
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], ext[CNV_PATHLEN];
  CnvPathSplit(tlcPath, drive, folder, name, ext);
  if (!name[0] || !TlcOpenRead(in, drive, folder, name)) {
    HostError("Main TLC File is Missing ... No Layers Read");
    return 0;
  }
  int n = 0;
  const char* line;
  while ((line = TlcNextLine(in)) != nullptr) {
    if (TlcLineKind(line) != TLC_LAYERS) continue;
    line = TlcNextLine(in);
    int count = line ? atoi(line) : 0;
    for (int i = 0; i < count && n < CNV_LAYERS; ++i) {
      line = TlcNextLine(in);
      if (!line) break;
      char lname[256];
      int num = 0;
      if (sscanf(line, "%255s %d", lname, &num) != 2) continue;
      if (maskNumber) num &= 0x1FF;
      if (num < 1 || num > 256) continue;
      snprintf(rows[n].name, sizeof rows[n].name, "%.*s", nameWidth, lname);
      rows[n].word = num | (LyrSelTest(sel, num) ? CNV_LAYER_SELECTED : 0);
      ++n;
    }
    break;
  }
  TlcCloseRead(in);
  if (n == 0) {
    HostError(noLayers);
    return 0;
  }
  return 1;
}

void CnvLayersApply(const CnvLayerRow* rows, int all, LayerSet* sel, char* ftr, size_t ftrSize) {
  if (all) {
    LayerSetAll(sel);
  } else {
    LayerSetClear(sel);
    for (int i = 0; i < CNV_LAYERS; ++i)
      if (rows[i].word & CNV_LAYER_SELECTED) LyrSelSet(sel, rows[i].word & 0x1FF);
  }
  char text[1100];
  LyrSetText(sel, text, sizeof text);
  CnvClip(text, 255);
  if (text[0]) snprintf(ftr, ftrSize, "%s", text);
}
