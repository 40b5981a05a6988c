#include "cifout.h"

#include <cctype>
#include <cstdarg>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "namecheck.h"
#include "safewrite.h"
#include "version.h"

const char* const CifOutKeys[CIFOUT_NKEYS + 1] = {
    "tfn=", "lfn=", "cfn=", "lam=", "ftr=", "cg1=", "cg2=", "ltx=", "mpp=", "p2p=",
    "b2p=", "tmp=", "uec=", "wr2=", "lft=", "top=", "rgt=", "bot=", nullptr,
};
const char* const CifOutDisplayName = "CifOut";
const char* const CifDefaultTemplate = "94 <text> <x> <y> <lname>";
const char* const CifQuilTemplate = "99 <layer> <size> <orien> <x> <y> <text>";

static const char* const kVersion = QUIL_VERSION;

static void SetVal(CifOutState* st, int k, const char* text) {
  snprintf(st->val[k], CIFOUT_VALLEN, "%s", text ? text : "");
}

static void LayersClear(CifOutState* st) {
  for (CifTlcLayer& e : st->layers) {
    snprintf(e.name, sizeof e.name, "NONE");
    e.word = 0;
  }
}

void CifOutReset(CifOutState* st) {
  st->w.out = QFile();
  CnvOutStart(&st->w);
  st->scratch[0] = 0;
  memset(st->val, 0, sizeof st->val);
  memset(st->templates, 0, sizeof st->templates);
  SetVal(st, CK_CG1, "Y");
  SetVal(st, CK_CG2, "N");
  LayerSetAll(&st->sel);
  LayersClear(st);
  st->allLayers = 0;
  st->nCells = 0;
  st->nCif = 0;
  st->s = 1000;
  st->g = 0.01;
  st->lambda = 1;
  st->f = 1;
  st->fWhole = 1;
  st->d = 1;
  st->mpp = st->p2p = st->b2p = st->ltx = 0;
  st->tmpl[0] = 0;
  st->cur = st->max = CifCounts{0, 0, 0, 0, 0};
  st->totalCalls = 0;
  st->abort = 0;
  st->extAbort = nullptr;
  st->curCell[0] = 0;
  st->date[0] = st->time[0] = 0;
  memset(&st->now, 0, sizeof st->now);
  st->fixedNow = 0;
  st->drive[0] = st->folder[0] = st->mainName[0] = st->mainExt[0] = 0;
  st->mainUnit[0] = 0;
  if (st->log) fclose(st->log);
  st->log = nullptr;
  st->listLine = nullptr;
  st->scaleLine = nullptr;
  st->showCounts = nullptr;
  st->recs = CifCellRecords();
  CifOutSetupApply(st, 0);
}

// ---- settings ----------------------------------------------------------------

static void PathTidy(char* p, int size) {
  if (p[0] && p[1] == ':') {
    p[0] = (char)toupper((unsigned char)p[0]);
    if (!p[2] && size > 3) {
      p[2] = '\\';
      p[3] = 0;
    }
  }
  for (char* q = p; *q; ++q)
    if (*q == '\\' && q[1]) q[1] = (char)toupper((unsigned char)q[1]);
}

// Slot k with extension ext: its own name, or (empty) the name of slot from.
static void FileWithExt(CifOutState* st, int k, int from, const char* ext) {
  const char* src = st->val[k][0] ? st->val[k] : (from >= 0 ? st->val[from] : "");
  if (!*src) return;
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], old[CNV_PATHLEN];
  CnvPathSplit(src, drive, folder, name, old);
  char out[4 * CNV_PATHLEN];
  snprintf(out, sizeof out, "%s%s%s%s", drive, folder, name, ext);
  SetVal(st, k, out);
  PathTidy(st->val[k], CIFOUT_VALLEN);
}

static void DigitFirst(CifOutState* st, int k, const char* dflt) {
  if (!st->val[k][0]) SetVal(st, k, dflt);
  char& c = st->val[k][0];
  if (c < '0') c = '0';
  if (c > '9') c = '9';
}

int CifOutSetupApply(CifOutState* st, int check) {
  if (st->val[CK_TFN][0]) {
    PathTidy(st->val[CK_TFN], CIFOUT_VALLEN);
    FileWithExt(st, CK_TFN, -1, ".tlc");
  }
  FileWithExt(st, CK_CFN, CK_TFN, ".cif");
  if (!st->val[CK_LFN][0] && st->val[CK_TFN][0]) SetVal(st, CK_LFN, st->val[CK_CFN]);
  FileWithExt(st, CK_LFN, -1, ".cif");
  char buf[64];
  double lam = st->val[CK_LAM][0] ? std::fabs(atof(st->val[CK_LAM])) : 1.0;
  if (!(lam >= 0.01)) lam = 0.01;
  if (lam > 100) lam = 100;
  st->lambda = lam;
  snprintf(buf, sizeof buf, "%.9g", lam);
  SetVal(st, CK_LAM, buf);
  if (!st->val[CK_FTR][0]) SetVal(st, CK_FTR, "-");
  st->g = CnvYesNo(st->val[CK_CG1], CIFOUT_VALLEN) ? 0.01 : 0.001;
  st->ltx = CnvYesNo(st->val[CK_LTX], CIFOUT_VALLEN);
  st->mpp = CnvYesNo(st->val[CK_MPP], CIFOUT_VALLEN);
  st->p2p = CnvYesNo(st->val[CK_P2P], CIFOUT_VALLEN);
  st->b2p = CnvYesNo(st->val[CK_B2P], CIFOUT_VALLEN);
  DigitFirst(st, CK_TMP, CifDefaultTemplate);
  DigitFirst(st, CK_UEC, "9");
  if (!st->val[CK_WR2][0]) SetVal(st, CK_WR2, "CifOut.log");
  PathTidy(st->val[CK_WR2], CIFOUT_VALLEN);
  int faults = 0;
  if (check) {
    const char* const files[3] = {st->val[CK_TFN], st->val[CK_CFN], st->val[CK_LFN]};
    faults += CnvFileNamesCheck(files, 3);
  }
  return faults;
}

void CifTemplatePush(CifOutState* st, const char* text) {
  if (!text || !*text) return;
  char t[CIFOUT_VALLEN];
  snprintf(t, sizeof t, "%s", text);
  int at = CIFOUT_TEMPLATES - 1;  // the oldest is dropped
  for (int i = 0; i < CIFOUT_TEMPLATES; ++i)
    if (CnvSameName(st->templates[i], t)) {
      at = i;
      break;
    }
  for (int i = at; i > 0; --i) memcpy(st->templates[i], st->templates[i - 1], CIFOUT_VALLEN);
  memcpy(st->templates[0], t, CIFOUT_VALLEN);
}

void CifOutSelParse(CifOutState* st, const char* text) {
  if (text) LyrSelParse(&st->sel, text);
}

// ---- messages ----------------------------------------------------------------

void CifOutList(CifOutState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

static void ListTo(void* ctx, const char* text) { CifOutList(static_cast<CifOutState*>(ctx), text); }

static CnvGeom Geom(CifOutState* st) { return CnvGeom{st->s, st->mpp, st->curCell, &st->abort, ListTo, st}; }

static int Fail(CifOutState* st, const char* text) {
  HostError(text);
  st->abort = 1;
  return 0;
}

static void Poll(CifOutState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

static void Status(const char* before, const char* name, const char* after) {
  char msg[CNV_PATHLEN + 40];
  snprintf(msg, sizeof msg, "%s%s%s", before, name, after);
  HostStatus(msg);
}

// ---- the CIF file ---------------------------------------------------------------

// " <v>" in decimal, the common case of every command.
static void PutNum(CifWriter* w, int64_t v) {
  char tmp[24];
  int n = 0;
  uint64_t u = v < 0 ? (uint64_t)0 - (uint64_t)v : (uint64_t)v;
  do {
    tmp[n++] = (char)('0' + u % 10);
    u /= 10;
  } while (u);
  char out[26];
  int k = 0;
  out[k++] = ' ';
  if (v < 0) out[k++] = '-';
  while (n) out[k++] = tmp[--n];
  CnvOutPut(w, out, (size_t)k);
}

// ---- scale ------------------------------------------------------------------------

static int Whole(double r) { return std::fabs(r - std::floor(r + 0.5)) <= 1e-9 * (std::fabs(r) > 1 ? std::fabs(r) : 1); }

int CifScaleChoose(CifOutState* st) {
  double r = st->lambda / (st->s * st->g);
  int d = 1;
  for (int k = 0; k < 4 && !(Whole(r) && r >= 1 - 1e-9); ++k) {
    r *= 10;
    d *= 10;
  }
  st->d = d;
  st->f = Whole(r) ? std::floor(r + 0.5) : r;
  st->fWhole = Whole(r) && r < 4e18 ? (int64_t)std::floor(r + 0.5) : 0;
  return st->f > 0;
}

static const int64_t kCifMax = INT32_MAX;

int CifScale(CifOutState* st, int64_t v, int64_t* out) {
  if (st->fWhole) {
    // |v| < 2^32 and f below 2^31 keep the product in 64 bits.
    if (st->fWhole <= kCifMax && v <= ((int64_t)1 << 32) && v >= -((int64_t)1 << 32))
      *out = v * st->fWhole;
    else
      *out = INT64_MAX;
  } else {
    double p = st->f * (double)v;
    *out = std::fabs(p) < 9e18 ? CnvRound(p) : INT64_MAX;
  }
  if (*out > kCifMax || *out < -kCifMax) {
    *out = 0;
    return Fail(st, "Coordinate exceeds 32 Bits in CIF File ... Can't Continue");
  }
  return 1;
}

// f x v exactly whole.
static int ScaleExact(CifOutState* st, double v) { return st->fWhole ? 1 : Whole(st->f * v); }

// ---- texts ---------------------------------------------------------------------------

int CifTemplateTokens(const char* tmpl, char tokens[][CIFOUT_VALLEN], int max) {
  int n = 0;
  const char* p = tmpl;
  for (;;) {
    while (*p == ' ') ++p;
    if (!*p) break;
    const char* e = p;
    while (*e && *e != ' ') ++e;
    if (n >= max) return -1;
    snprintf(tokens[n], CIFOUT_VALLEN, "%.*s", (int)(e - p), p);
    ++n;
    p = e;
  }
  return n;
}

static const char* LayerName(CifOutState* st, int tlc) {
  for (int i = 0; i < st->nCif; ++i)
    if (st->cif[i].tlc == tlc) return st->cif[i].name;
  return nullptr;
}

int CifTextExpand(CifOutState* st, const char* tmpl, const CnvText* t, char* out, int size) {
  out[0] = 0;
  if (strlen(tmpl) <= 7) return 0;
  static char tok[CIFOUT_TOKENS][CIFOUT_VALLEN];
  int n = CifTemplateTokens(tmpl, tok, CIFOUT_TOKENS);
  if (n < 2) return 0;
  char text[CNV_TEXTLEN + 1];
  int k = 0;
  for (const char* c = t->text; *c && k < CNV_TEXTLEN; ++c)
    if (*c != ';') text[k++] = *c;
  text[k] = 0;
  int used = snprintf(out, (size_t)size, "%s", tok[0]);
  for (int i = 1; i < n && used >= 0 && used < size; ++i) {
    char piece[CIFOUT_VALLEN + CNV_TEXTLEN + 4];
    piece[0] = 0;
    int64_t v;
    if (CnvSameName(tok[i], "<layer>")) {
      snprintf(piece, sizeof piece, " %d", t->lyr);
    } else if (CnvSameName(tok[i], "<lname>")) {
      const char* name = LayerName(st, t->lyr);
      if (name) snprintf(piece, sizeof piece, " %s", name);
    } else if (CnvSameName(tok[i], "<size>")) {
      if (!CifScale(st, t->size, &v)) return 0;
      snprintf(piece, sizeof piece, " %lld", (long long)v);
    } else if (CnvSameName(tok[i], "<orien>")) {
      snprintf(piece, sizeof piece, " %d", t->o & 7);
    } else if (CnvSameName(tok[i], "<x>") || CnvSameName(tok[i], "<y>")) {
      if (!CifScale(st, tok[i][1] == 'x' || tok[i][1] == 'X' ? t->x : t->y, &v)) return 0;
      snprintf(piece, sizeof piece, " %lld", (long long)v);
    } else if (CnvSameName(tok[i], "<text>")) {
      snprintf(piece, sizeof piece, " %s", text);
    } else {
      snprintf(piece, sizeof piece, " %s", tok[i]);
    }
    used += snprintf(out + used, (size_t)(size - used), "%s", piece);
  }
  if (used >= 0 && used + 2 < size) snprintf(out + used, (size_t)(size - used), ";\n");
  return 1;
}

// ---- cell list ------------------------------------------------------------------------

// The symbol number of a cell: its place in the sorted list.
static int SymbolNumber(CifOutState* st, const char* name) {
  for (int i = 1; i <= st->nCells; ++i)
    if (CnvSameName(st->cells[i].name, name)) return i;
  return 0;
}

static int CellReading(void* ctx, int i) {
  CifOutState* st = static_cast<CifOutState*>(ctx);
  Status("Reading ", st->cells[i].name, ".tlc ...");
  Poll(st, 500);
  return !st->abort;
}

static void CellHeader(void* ctx, int i) {
  CifOutState* st = static_cast<CifOutState*>(ctx);
  if (!CnvSameName(st->hdr.unit, st->mainUnit) || st->hdr.scale != st->s) {
    char msg[CNV_PATHLEN + 80];
    snprintf(msg, sizeof msg, "TLC Scale Units do not agree in %s", st->cells[i].name);
    CifOutList(st, msg);
  }
}

static int CellSorting(void*) {
  HostStatus("Sorting CelList ...");
  return 1;
}

// Names are kept upper-cased and compared as they stand.
static int CellList(CifOutState* st) {
  CnvCellWalk w = {st->cells, &st->nCells, CIFOUT_MAXCELLS, &st->in, &st->hdr, &st->cell, st->drive, st->folder,
                   1, 0, 0, "%s.tlc File is Missing ... Can't Continue", "Cell Record Read Error ... Can't Continue",
                   &st->abort, st, CellReading, CellHeader, CellSorting};
  return CnvCellListWalk(&w, st->mainName);
}

// ---- objects ---------------------------------------------------------------------------

// The vertices of a P or W command, six to a line.
static int PutPoints(CifOutState* st, const int32_t* x, const int32_t* y, int n) {
  CifWriter* w = &st->w;
  for (int i = 0; i < n; ++i) {
    int64_t cx, cy;
    if (!CifScale(st, x[i], &cx) || !CifScale(st, y[i], &cy)) return 0;
    PutNum(w, cx);
    PutNum(w, cy);
    if ((i + 1) % 6 == 0 && i + 1 < n) CnvOutPuts(w, "\n ");
  }
  CnvOutPuts(w, ";\n");
  return 1;
}

static int PutPoly(CifOutState* st, const int32_t* x, const int32_t* y, int n) {
  CnvOutPuts(&st->w, "P");
  ++st->cur.polys;
  return PutPoints(st, x, y, n);
}

static int WriteBox(CifOutState* st, const CnvBox* b) {
  CnvGeom g = Geom(st);
  if (!BoxCheck(&g, b)) return st->abort ? 0 : 1;
  if (st->b2p) {
    BoxToPoly(b, &st->path);
    return PutPoly(st, st->path.x, st->path.y, st->path.nv);
  }
  double l = b->l, r = b->r, bb = b->b, t = b->t;
  int64_t sumX = (int64_t)b->l + b->r, sumY = (int64_t)b->b + b->t;
  int centred;
  if (st->fWhole) {
    if (std::fabs((double)st->fWhole * (std::fabs(l) + std::fabs(r) + std::fabs(bb) + std::fabs(t))) > 2.0 * kCifMax)
      return Fail(st, "Coordinate exceeds 32 Bits in CIF File ... Can't Continue");
    // The centre f (l + r) / 2 is whole when f (l + r) is even.
    centred = st->fWhole % 2 == 0 || (sumX % 2 == 0 && sumY % 2 == 0);
  } else {
    centred = ScaleExact(st, r - l) && ScaleExact(st, t - bb) && ScaleExact(st, (l + r) / 2) &&
              ScaleExact(st, (bb + t) / 2);
  }
  if (!centred) {
    if (ScaleExact(st, l) && ScaleExact(st, r) && ScaleExact(st, bb) && ScaleExact(st, t)) {
      // A centre between two grid points: the corners are exact.
      BoxToPoly(b, &st->path);
      return PutPoly(st, st->path.x, st->path.y, st->path.nv);
    }
    char where[96], head[256];
    CnvWhere(&g, where, sizeof where, b->l, b->b, b->lyr);
    snprintf(head, sizeof head, "Can't Center Box at %s in %s", where, st->curCell);
    if (!CnvAskText(&g, head, "Continue or Cancel Conversion?")) return 0;
  }
  int64_t len, wid, cx, cy;
  if (st->fWhole) {
    int64_t f = st->fWhole;
    len = f * ((int64_t)b->r - b->l);
    wid = f * ((int64_t)b->t - b->b);
    cx = f * sumX / 2;
    cy = f * sumY / 2;
    if (len > kCifMax || len < -kCifMax || wid > kCifMax || wid < -kCifMax || cx > kCifMax || cx < -kCifMax ||
        cy > kCifMax || cy < -kCifMax)
      return Fail(st, "Coordinate exceeds 32 Bits in CIF File ... Can't Continue");
  } else {
    len = CnvRound(st->f * (r - l));
    wid = CnvRound(st->f * (t - bb));
    cx = CnvRound(st->f * (l + r) / 2);
    cy = CnvRound(st->f * (bb + t) / 2);
    if (std::fabs((double)cx) > kCifMax || std::fabs((double)cy) > kCifMax || std::fabs((double)len) > kCifMax ||
        std::fabs((double)wid) > kCifMax)
      return Fail(st, "Coordinate exceeds 32 Bits in CIF File ... Can't Continue");
  }
  CifWriter* w = &st->w;
  CnvOutPut(w, "B", 1);
  PutNum(w, len < 0 ? -len : len);
  PutNum(w, wid < 0 ? -wid : wid);
  PutNum(w, cx);
  PutNum(w, cy);
  CnvOutPut(w, ";\n", 2);
  ++st->cur.boxes;
  return 1;
}

static int WritePath(CifOutState* st, CnvPath* p) {
  CnvGeom g = Geom(st);
  CnvDupRemove(&g, p);
  if (!PolyCleanUp(&g, p)) return st->abort ? 0 : 1;
  if (p->w != 0 && st->p2p) {
    if (!PathToPoly(p, &st->ring)) return 1;
    return PutPoly(st, st->ring.x, st->ring.y, st->ring.n);
  }
  if (p->w == 0) return PutPoly(st, p->x, p->y, p->nv);
  if (p->w > 0 && !PathEndsPullIn(&g, p)) {
    // Ends shorter than the pull would fold: the outline keeps its ground.
    if (!PathToPoly(p, &st->ring)) return 1;
    return PutPoly(st, st->ring.x, st->ring.y, st->ring.n);
  }
  int64_t w;
  if (!CifScale(st, p->w < 0 ? -(int64_t)p->w : p->w, &w)) return 0;
  CnvOutPuts(&st->w, "W");
  PutNum(&st->w, w);
  ++st->cur.wires;
  return PutPoints(st, p->x, p->y, p->nv);
}

static int WriteText(CifOutState* st, const CnvText* t) {
  char line[2 * CIFOUT_VALLEN + 2 * CNV_TEXTLEN];
  if (CifTextExpand(st, st->tmpl, t, line, sizeof line)) {
    CnvOutPuts(&st->w, line);
    ++st->cur.texts;
  }
  if (st->abort) return 0;
  if (st->ltx && CifTextExpand(st, CifQuilTemplate, t, line, sizeof line)) {
    CnvOutPuts(&st->w, line);
    ++st->cur.texts;
  }
  return st->abort ? 0 : 1;
}

static const char* const kOrient[8] = {"", " R 0 1", " R -1 0", " R 0 -1", " MY", " MY R 0 1", " MY R -1 0", " MY R 0 -1"};

static int WriteCall(CifOutState* st, const CnvCell* c) {
  int64_t x, y;
  if (!CifScale(st, c->x, &x) || !CifScale(st, c->y, &y)) return 0;
  CifWriter* w = &st->w;
  CnvOutPut(w, "C", 1);
  PutNum(w, SymbolNumber(st, c->name));
  CnvOutPuts(w, kOrient[c->o & 7]);
  CnvOutPut(w, " T", 2);
  PutNum(w, x);
  PutNum(w, y);
  CnvOutPut(w, ";\n", 2);
  ++st->cur.calls;
  ++st->totalCalls;
  return 1;
}

// Reads the cell file once, keeping its records by kind (boxes and paths
// also by layer).
static int CellRead(CifOutState* st, const char* name) {
  CifCellRecords& r = st->recs;
  r.boxes.clear();
  r.paths.clear();
  r.xy.clear();
  for (auto& v : r.byLayer) v.clear();
  r.texts.clear();
  r.calls.clear();
  TlcIn& in = st->in;
  if (!TlcOpenRead(&in, st->drive, st->folder, name)) {
    char msg[CNV_PATHLEN + 60];
    snprintf(msg, sizeof msg, "%s.tlc File is Missing ... Can't Continue", name);
    return Fail(st, msg);
  }
  const char* line;
  int ok = 1;
  while (ok && (line = TlcNextLine(&in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_BOX:
        if (!ReadB(&in, &st->box)) {
          ok = Fail(st, "Box Record Read Error ... Can't Continue");
        } else if (st->box.lyr >= 1 && st->box.lyr <= 256) {
          r.byLayer[st->box.lyr].push_back({0, (int32_t)r.boxes.size()});
          r.boxes.push_back(st->box);
        }
        break;
      case TLC_PATH:
        if (!ReadP(&in, &st->path)) {
          ok = Fail(st, "Path Record Read Error ... Can't Continue");
        } else if (st->path.lyr >= 1 && st->path.lyr <= 256) {
          r.byLayer[st->path.lyr].push_back({1, (int32_t)r.paths.size()});
          r.paths.push_back({st->path.lyr, st->path.w, st->path.nv, (int64_t)r.xy.size()});
          for (int i = 0; i < st->path.nv; ++i) {
            r.xy.push_back(st->path.x[i]);
            r.xy.push_back(st->path.y[i]);
          }
        }
        break;
      case TLC_TEXT:
        if (!ReadT(&in, &st->text))
          ok = Fail(st, "Text Record Read Error ... Can't Continue");
        else
          r.texts.push_back(st->text);
        break;
      case TLC_CELL:
        if (!ReadC(&in, &st->cell))
          ok = Fail(st, "Cell Record Read Error ... Can't Continue");
        else
          r.calls.push_back(st->cell);
        break;
      default:
        break;
    }
  }
  TlcCloseRead(&in);
  if (!ok) st->abort = 1;
  return ok;
}

// One symbol: its definition line, name command, objects by layer row,
// texts, calls.
static int WriteSymbol(CifOutState* st, int i) {
  const CifCellEntry& e = st->cells[i];
  snprintf(st->curCell, sizeof st->curCell, "%s", e.name);
  char msg[CNV_PATHLEN + 60];
  if (e.rank < 1 || e.rank > 24) {
    snprintf(msg, sizeof msg, "%s Rank is Incorrect ... Can't Continue", e.name);
    return Fail(st, msg);
  }
  if (!CellRead(st, e.name)) return 0;
  CifWriter* w = &st->w;
  CnvOutPrintf(w, "DS#%d %u/%u;\n", i, 1u, (unsigned)st->d);
  if (st->val[CK_UEC][0]) CnvOutPrintf(w, "%s %s;\n", st->val[CK_UEC], e.name);
  CifCellRecords& r = st->recs;
  for (int k = 0; k < st->nCif && !st->abort; ++k) {
    int tlc = st->cif[k].tlc;
    if (!LyrSelTest(&st->sel, tlc) || r.byLayer[tlc].empty()) continue;
    CnvOutPrintf(w, "L%s;\n", st->cif[k].name);
    for (const CifCellRecords::Item& it : r.byLayer[tlc]) {
      int ok;
      if (it.kind == 0) {
        ok = WriteBox(st, &r.boxes[(size_t)it.index]);
      } else {
        // Each row works on the record as it was read.
        const CifCellRecords::PathRef& pr = r.paths[(size_t)it.index];
        CnvPath& p = st->path;
        p.lyr = pr.lyr;
        p.w = pr.w;
        p.nv = pr.nv;
        p.cut = 0;
        for (int v = 0; v < pr.nv; ++v) {
          p.x[v] = r.xy[(size_t)(pr.at + 2 * v)];
          p.y[v] = r.xy[(size_t)(pr.at + 2 * v + 1)];
        }
        ok = WritePath(st, &p);
      }
      if (!ok || st->abort) return 0;
    }
  }
  for (const CnvText& t : r.texts)
    if (!WriteText(st, &t)) return 0;
  for (const CnvCell& c : r.calls)
    if (!WriteCall(st, &c)) return 0;
  CnvOutPuts(w, "DF;\n");
  return st->abort ? 0 : 1;
}

// ---- the run ----------------------------------------------------------------------------

static void ScaleText(CifOutState* st, char* text, int size) {
  snprintf(text, (size_t)size, "TLC Scale= %.*gunits/um   CIF Grid= %.*gum/unit   Lambda= %.*gum", 9, st->s, 9, st->g,
           9, st->lambda);
}

static int RunStart(CifOutState* st) {
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->nCells = 0;
  st->nCif = 0;
  st->cur = st->max = CifCounts{0, 0, 0, 0, 0};
  st->totalCalls = 0;
  st->abort = 0;
  CifOutSetupApply(st, 0);
  snprintf(st->tmpl, sizeof st->tmpl, "%s", st->val[CK_TMP]);
  static char tok[CIFOUT_TOKENS + 1][CIFOUT_VALLEN];
  if (CifTemplateTokens(st->tmpl, tok, CIFOUT_TOKENS) < 0)
    return Fail(st, "Too Many Tokens in Text Template ... Can't Continue");
  CnvPathSplit(st->val[CK_TFN], st->drive, st->folder, st->mainName, st->mainExt);

  Status("Reading ", st->mainName, ".tlc ...");
  Poll(st, 500);
  if (st->abort) return 0;
  TlcIn& in = st->in;
  if (!st->mainName[0] || !TlcOpenRead(&in, st->drive, st->folder, st->mainName)) {
    SetVal(st, CK_TFN, "?.tlc");
    return Fail(st, "Main TLC File is Missing ... Can't Continue");
  }
  st->log = fopen(st->val[CK_WR2], "wt");
  if (!st->log) {
    TlcCloseRead(&in);
    return Fail(st, "Unable to Write Log File ... Can't Continue");
  }
  fprintf(st->log, "*** TLC to CIF Conversion Log  %s  %s  %s\n\n", kVersion, st->date, st->time);
  fprintf(st->log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(st->log, "Main TLC File Name: %s\n", st->val[CK_TFN]);
  fprintf(st->log, "Layer File Name: %s\n", st->val[CK_LFN]);
  fprintf(st->log, "CIF File Name: %s\n", st->val[CK_CFN]);
  fprintf(st->log, "Filtered Layers: %s\n", st->val[CK_FTR]);
  int hok = TlcReadH(&in, &st->hdr);
  TlcCloseRead(&in);
  if (!hok) return Fail(st, "Header Record Read Error ... Can't Continue");
  if (!(st->hdr.scale > 0)) return Fail(st, "TLC Scale is Missing ... Can't Continue");
  st->s = st->hdr.scale;
  snprintf(st->mainUnit, sizeof st->mainUnit, "%s", st->hdr.unit);
  if (!CifScaleChoose(st)) return Fail(st, "TLC Scale is Missing ... Can't Continue");
  char line[200];
  ScaleText(st, line, sizeof line);
  if (st->scaleLine) st->scaleLine(line);
  fprintf(st->log, "TLC Scale: %.*gunits/um\n", 9, st->s);
  fprintf(st->log, "CIF Grid: %.*gum/unit\n", 9, st->g);
  fprintf(st->log, "Lambda: %.*g\n\n", 9, st->lambda);
  return 1;
}

static int RunLayers(CifOutState* st) {
  HostStatus("Reading CIF Layer File ...");
  int more = 0;
  st->nCif = CifLayerFileRead(st->val[CK_LFN], st->cif, CIF_LAYERROWS, 0, &more);
  if (st->nCif == 0) return Fail(st, "CIF Layer File is Incorrect or Missing ... Can't Continue");
  if (more) {
    char msg[120];
    snprintf(msg, sizeof msg, "%d Layers past %d in the CIF Layer File are Ignored", more, CIF_LAYERROWS);
    CifOutList(st, msg);
  }
  char line[200];
  ScaleText(st, line, sizeof line);
  if (st->scaleLine) st->scaleLine(line);
  fprintf(st->log, "Layers:\n\n");
  fprintf(st->log, "  No. Name\n");
  fprintf(st->log, "-----------\n");
  for (int i = 0; i < st->nCif; ++i)
    if (LyrSelTest(&st->sel, st->cif[i].tlc)) fprintf(st->log, "  %-4d%s\n", st->cif[i].tlc, st->cif[i].name);
  fprintf(st->log, "\nCIF File:\n\n");
  fprintf(st->log, "Symbols        Boxes     Poly      Wires     Text     Cells\n");
  fprintf(st->log, "--------------------------------------------------------------\n");
  return 1;
}

static int RunWrite(CifOutState* st) {
  HostStatus("Writing CIF File ...");
  // Written beside the old file, which is replaced only by a complete one.
  CifWriter* w = &st->w;
  CnvOutStart(w);
  if (!SafeWriteScratchName(st->scratch, sizeof st->scratch, st->val[CK_CFN]) ||
      !(w->out = QFileOpen(st->scratch, "wb"))) {
    st->scratch[0] = 0;
    return Fail(st, "Unable to Write CIF File ... Can't Continue");
  }
  CnvOutPrintf(w, "(CIF file of %s made by CIFOUT  %s  %s);\n", st->val[CK_TFN], st->date, st->time);
  CnvOutPrintf(w, "(CIF Grid= %.*gum  Lambda= %.*g);\n\n", 9, st->g, 9, st->lambda);
  // Every row, selected or not: the file serves as the next run's layer file.
  for (int i = 0; i < st->nCif; ++i) CnvOutPrintf(w, "(LAYER %d CIF= %s);\n", st->cif[i].tlc, st->cif[i].name);
  CnvOutPuts(w, "\n");
  for (int i = 1; i <= st->nCells; ++i) CnvOutPrintf(w, "(#%d %s);\n", i, st->cells[i].name);
  CnvOutPuts(w, "\n");
  for (int i = 1; i <= st->nCells && !st->abort; ++i) {
    Status("Converting ", st->cells[i].name, " ...");
    CifOutList(st, st->cells[i].name);
    st->cur = CifCounts{0, 0, 0, 0, 0};
    if (!WriteSymbol(st, i)) return 0;
    CifCounts& m = st->max;
    const CifCounts& c = st->cur;
    if (c.boxes > m.boxes) m.boxes = c.boxes;
    if (c.polys > m.polys) m.polys = c.polys;
    if (c.wires > m.wires) m.wires = c.wires;
    if (c.texts > m.texts) m.texts = c.texts;
    if (c.calls > m.calls) m.calls = c.calls;
    if (st->showCounts) st->showCounts(&st->cur, &st->max);
    Poll(st, 50);
    fprintf(st->log, "%-16s%-10ld%-10ld%-10ld%-10ld%-10ld\n", " ", c.boxes, c.polys, c.wires, c.texts, c.calls);
  }
  if (st->abort) return 0;
  CnvOutPrintf(w, "C#%d;\nE\n", st->nCells);
  return 1;
}

static int Run(CifOutState* st) {
  if (!RunStart(st)) return 0;
  if (!CellList(st) || !RunLayers(st)) return 0;
  return RunWrite(st);
}

int CifOutConvert(CifOutState* st) {
  int ok = Run(st) && !st->abort;
  TlcCloseRead(&st->in);
  CifWriter* w = &st->w;
  if (!CnvOutClose(w) && ok) ok = Fail(st, "Unable to Write CIF File ... Can't Continue");
  if (st->scratch[0]) {
    if (!ok) {
      remove(st->scratch);
    } else if (!SafeWriteReplace(st->scratch, st->val[CK_CFN])) {
      ok = Fail(st, "Unable to Write CIF File ... Can't Continue");
    }
    st->scratch[0] = 0;
  }
  st->recs = CifCellRecords();
  return ok && !st->abort;
}

int CifOutClosing(CifOutState* st, int converted, char* text, int size) {
  if (converted)
    snprintf(text, (size_t)size, "Completed ... %lld Bytes in CIF File", (long long)st->w.bytes);
  else
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  return CnvLogClosing(&st->log, converted, text, size);
}

int CifOutGo(CifOutState* st) {
  char text[200];
  int done = CifOutClosing(st, CifOutConvert(st), text, sizeof text);
  return CnvGoShow(done, 0, text);
}

// ---- layer table --------------------------------------------------------------------

int CifOutLayersRead(CifOutState* st) {
  return CnvLayersRead(&st->in, st->val[CK_TFN], st->layers, 4, 0, &st->sel);
}

void CifOutLayersApply(CifOutState* st) {
  CnvLayersApply(st->layers, st->allLayers, &st->sel, st->val[CK_FTR], CIFOUT_VALLEN);
}
