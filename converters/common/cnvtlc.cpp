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

// n whole numbers of the next data line, each within 32 bits.
static int Ints(TlcIn* in, int32_t* v, int n) {
  int64_t w[8];
  if (n > 8 || !TlcReadInts(&in->src, w, n)) return 0;
  for (int i = 0; i < n; ++i) {
    if (w[i] < INT32_MIN || w[i] > INT32_MAX) return 0;
    v[i] = (int32_t)w[i];
  }
  return 1;
}

static int Text(TlcIn* in, char* out, int max, int upper) {
  const char* line = TlcReadDataLine(&in->src);
  if (!line) return 0;
  TlcCopyCut(out, line, max, upper);
  return 1;
}

int ReadH(TlcIn* in, CnvHdr* h) {
  if (!Text(in, h->name, 32, 1) || !Text(in, h->ver1, 16, 0) || !Text(in, h->ver2, 16, 0)) return 0;
  const char* line = TlcReadDataLine(&in->src);
  if (!line) return 0;
  double scale = 0;
  h->scale = TlcNextDouble(line, &scale) ? scale : 0;  // a bad scale is refused by the caller
  if (!Text(in, h->unit, 16, 0) || !Text(in, h->date, 8, 0) || !Text(in, h->time, 8, 0)) return 0;
  int32_t v[5];
  if (!Ints(in, v, 5)) return 0;
  h->rank = v[0];
  h->l = v[1], h->b = v[2], h->r = v[3], h->t = v[4];
  if (!Ints(in, v, 4)) return 0;
  h->nb = v[0], h->np = v[1], h->nv = v[2], h->nc = v[3];
  return 1;
}

int ReadC(TlcIn* in, CnvCell* c) {
  if (!Text(in, c->name, 32, 1)) return 0;
  int32_t v[3];
  if (!Ints(in, v, 3)) return 0;
  c->o = v[0] & 7;
  c->x = v[1], c->y = v[2];
  return 1;
}

int ReadB(TlcIn* in, CnvBox* b) {
  int32_t v[5];
  if (!Ints(in, v, 5)) return 0;
  b->lyr = v[0];
  b->l = v[1] < v[3] ? v[1] : v[3];
  b->r = v[1] < v[3] ? v[3] : v[1];
  b->b = v[2] < v[4] ? v[2] : v[4];
  b->t = v[2] < v[4] ? v[4] : v[2];
  return 1;
}

int ReadP(TlcIn* in, CnvPath* p) {
  int32_t v[3];
  if (!Ints(in, v, 3) || v[2] < 0) return 0;
  p->lyr = v[0];
  p->w = v[1];
  if (!TlcReadPoints(&in->src, v[2], CNV_PVSIZ, p->x, p->y, INT32_MAX)) return 0;
  p->nv = v[2] < CNV_PVSIZ ? v[2] : CNV_PVSIZ;
  p->cut = v[2] > CNV_PVSIZ;
  // Every pair was read, so the next record starts where it should; but a
  // shape cut short would be written as another shape: the record fails.
  return p->cut ? 0 : 1;
}

int ReadT(TlcIn* in, CnvText* t) {
  int32_t v[4];
  if (!Ints(in, v, 4)) return 0;
  t->lyr = v[0], t->size = v[1], t->nv = v[2], t->o = v[3] & 7;
  if (!Ints(in, v, 2)) return 0;
  t->x = v[0], t->y = v[1];
  const char* line = TlcReadDataLine(&in->src);
  if (!line) return 0;
  TlcTextOfLine(line, t->text, CNV_TEXTLEN);
  return 1;
}

int TlcReadH(TlcIn* in, CnvHdr* h) {
  const char* s;
  while ((s = TlcNextLine(in)) != nullptr) {
    if (TlcLineKind(s) == TLC_HDR) return ReadH(in, h);
  }
  return 0;
}
