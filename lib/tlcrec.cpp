#include "tlcrec.h"

#include <cstdio>
#include <cstring>

namespace {

bool In(int64_t v, int64_t lo, int64_t hi) { return v >= lo && v <= hi; }
bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

// A name, version or stamp line cut to max characters.
int LineField(TlcLineIn* in, char* out, int max, int upper) {
  const char* line = TlcReadDataLine(in);
  if (!line) return 0;
  TlcCopyCut(out, line, max, upper);
  return 1;
}

}  // namespace

void TlcPathErrorText(int status, int limit, char* buf, size_t size) {
  if (!buf || size == 0) return;
  if (status == TLC_REC_LONG)
    snprintf(buf, size, "Path Record Read Error ... More than %d Vertices", limit);
  else
    snprintf(buf, size, "Path Record Read Error");
}

void TlcRighteousBox(tlcbox* b) {
  if (b->l > b->r) {
    int32_t t = b->l;
    b->l = b->r;
    b->r = t;
  }
  if (b->b > b->t) {
    int32_t t = b->b;
    b->b = b->t;
    b->t = t;
  }
}

int TlcParseHeader(TlcLineIn* in, const TlcRecRules* rules, tlchdr* h) {
  tlchdr n;
  if (!LineField(in, n.name, NAMLEN, 1) || !LineField(in, n.ver1, TLC_VERSION_LEN, 0) ||
      !LineField(in, n.ver2, TLC_VERSION_LEN, 0))
    return TLC_REC_BAD;
  const char* line = TlcReadDataLine(in);
  if (!line) return TLC_REC_BAD;
  double scale = 0;
  n.scale = TlcNextDouble(line, &scale) ? scale : 0;
  if (!LineField(in, n.unit, TLC_UNIT_LEN, 0) || !LineField(in, n.date, TLC_STAMP_LEN, 0) ||
      !LineField(in, n.time, TLC_STAMP_LEN, 0))
    return TLC_REC_BAD;
  int64_t v[5], c[4];
  if (!TlcReadInts(in, v, 5) || !TlcReadInts(in, c, 4)) return TLC_REC_BAD;
  for (int64_t x : v)
    if (!Fits32(x)) return TLC_REC_BAD;
  for (int64_t x : c)
    if (!In(x, rules->countsSigned ? INT32_MIN : 0, INT32_MAX)) return TLC_REC_BAD;
  n.rank = (int32_t)v[0];
  n.l = (int32_t)v[1];
  n.b = (int32_t)v[2];
  n.r = (int32_t)v[3];
  n.t = (int32_t)v[4];
  n.nb = (int32_t)c[0];
  n.np = (int32_t)c[1];
  n.nv = (int32_t)c[2];
  n.nc = (int32_t)c[3];
  *h = n;
  return n.scale > 0 ? TLC_REC_OK : TLC_REC_SCALE;
}

int TlcParseCell(TlcLineIn* in, const TlcRecRules* rules, tlccel* c) {
  char name[NAMLEN + 1];
  if (!LineField(in, name, NAMLEN, 1)) return TLC_REC_BAD;
  int fields = rules->cellFields == 3 ? 3 : 4;
  int64_t v[4] = {0, 0, 0, 0};
  if (!TlcReadInts(in, v, fields)) return TLC_REC_BAD;
  if (!In(v[1], rules->coordMin, rules->coordMax) || !In(v[2], rules->coordMin, rules->coordMax)) return TLC_REC_BAD;
  if (!rules->cellCodesAny && (!Fits32(v[0]) || !Fits32(v[3]))) return TLC_REC_BAD;
  memcpy(c->name, name, sizeof name);
  c->o = (int32_t)(v[0] & 7);
  c->x = (int32_t)v[1];
  c->y = (int32_t)v[2];
  c->r = rules->outlineNonzero ? (v[3] != 0) : (int32_t)(v[3] & 1);
  return TLC_REC_OK;
}

int TlcParseBox(TlcLineIn* in, const TlcRecRules* rules, tlcbox* b) {
  int64_t v[5];
  if (!TlcReadInts(in, v, 5) || !In(v[0], rules->layerMin, rules->layerMax)) return TLC_REC_BAD;
  for (int k = 1; k < 5; ++k)
    if (!In(v[k], rules->coordMin, rules->coordMax)) return TLC_REC_BAD;
  b->lyr = (int32_t)v[0];
  b->l = (int32_t)v[1];
  b->b = (int32_t)v[2];
  b->r = (int32_t)v[3];
  b->t = (int32_t)v[4];
  TlcRighteousBox(b);
  return TLC_REC_OK;
}

int TlcParsePath(TlcLineIn* in, const TlcRecRules* rules, tlcpath* p, int32_t* announced) {
  int64_t v[3];
  if (!TlcReadInts(in, v, 3)) return TLC_REC_BAD;
  if (!In(v[0], rules->layerMin, rules->layerMax) || !In(v[1], rules->sizeMin, rules->sizeMax) ||
      !In(v[2], rules->pathMin, INT32_MAX))
    return TLC_REC_BAD;
  int keep = rules->pathMax < PVSIZ ? rules->pathMax : PVSIZ;
  if (!TlcReadPoints(in, v[2], keep, p->x, p->y, rules->coordMax)) return TLC_REC_BAD;
  p->lyr = (int32_t)v[0];
  p->w = (int32_t)v[1];
  if (announced) *announced = (int32_t)v[2];
  if (v[2] > keep) {
    p->nv = keep;
    return TLC_REC_LONG;
  }
  p->nv = (int32_t)v[2];
  return TLC_REC_OK;
}

int TlcParseText(TlcLineIn* in, const TlcRecRules* rules, tlctext* t) {
  int64_t v[4], xy[2];
  if (!TlcReadInts(in, v, 4) || !TlcReadInts(in, xy, 2)) return TLC_REC_BAD;
  if (!In(v[0], rules->layerMin, rules->layerMax) || !In(v[1], rules->sizeMin, rules->sizeMax)) return TLC_REC_BAD;
  if (!rules->textCodesAny && !Fits32(v[2])) return TLC_REC_BAD;
  int64_t o = v[3];
  switch (rules->textOrient) {
    case TLC_ORIENT_CHECK:
      if (!In(o, 0, 7)) return TLC_REC_BAD;
      break;
    case TLC_ORIENT_MASK:
      if (!rules->textCodesAny && !Fits32(o)) return TLC_REC_BAD;
      o &= 7;
      break;
    default:
      if (!Fits32(o)) return TLC_REC_BAD;
      break;
  }
  if (!In(xy[0], rules->coordMin, rules->coordMax) || !In(xy[1], rules->coordMin, rules->coordMax))
    return TLC_REC_BAD;
  const char* line;
  if (rules->textBareTags) {
    // In the old form a text stands bare and may read "=C": it is still the
    // text. A "<B>" line opens a record (tagged texts are always wrapped).
    line = TlcLineGet(in);
    if (line && line[0] == '<' && TlcTagOf(line) != TLC_TAG_NONE) {
      TlcLineUnget(in);
      line = nullptr;
    }
  } else {
    line = TlcReadDataLine(in);
  }
  if (!line) return TLC_REC_BAD;
  t->lyr = (int32_t)v[0];
  t->size = (int32_t)v[1];
  t->nv = (int32_t)v[2];
  t->o = (int32_t)o;
  t->x = (int32_t)xy[0];
  t->y = (int32_t)xy[1];
  TlcTextOfLine(line, t->text, TXTLEN);
  return TLC_REC_OK;
}
