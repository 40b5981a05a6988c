#include "cifin.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "namecheck.h"
#include "q7tlcrw.h"
#include "satutil.h"
#include "version.h"

const char* const CifInKeys[CIFIN_NKEYS + 1] = {
    "cfn=", "cln=", "lfn=", "tfp=", "uec=", "cg1=", "cg2=", "cop=", "p2b=", "mip=", "mlf=",
    "omt=", "old=", "tmp=", "dts=", "wr2=", "lft=", "top=", "rgt=", "bot=", nullptr,
};
const char* const CifInDisplayName = "CifIn";

static const char* const kDefaultTemplate = "94 <text> <x> <y> <lname>";
static const int64_t kRange = (int64_t)1 << 29;  // the TLC coordinate range

static void SetVal(CifInState* st, int k, const char* text) {
  snprintf(st->val[k], CIFIN_VALLEN, "%s", text ? text : "");
}

void CifInReset(CifInState* st) {
  memset(st->val, 0, sizeof st->val);
  memset(st->templates, 0, sizeof st->templates);
  SetVal(st, CI_CG1, "Y");
  SetVal(st, CI_CG2, "N");
  st->sym.clear();
  st->byNum.clear();
  st->nLayers = 0;
  st->g = 0.01;
  st->tlcScale = 100;
  st->cop = st->p2b = st->mip = st->mlf = st->omt = st->old = 0;
  st->dts = 1;
  st->ext[0] = 0;
  st->nTokens = 0;
  st->outFolder[0] = st->cifName[0] = 0;
  st->minCand = st->minRun = 100;
  st->cur = st->max = CifInCounts{0, 0, 0, 0, 0};
  st->highestRank = 0;
  st->files = 0;
  st->outside = st->flashes = st->skewed = st->longPolys = st->cutTexts = 0;
  st->abort = 0;
  st->extAbort = nullptr;
  st->date[0] = st->time[0] = 0;
  memset(&st->now, 0, sizeof st->now);
  st->fixedNow = 0;
  if (st->log) fclose(st->log);
  st->log = nullptr;
  st->newName = nullptr;
  st->listLine = nullptr;
  st->counter = nullptr;
  free(st->data);
  st->data = nullptr;
  st->size = 0;
  CifInSetupApply(st, 0);
}

// ---- settings -------------------------------------------------------------------

static void Tidy(CifInState* st, int k) {
  if (!st->val[k][0]) return;
  const char* t = PathFix(st->val[k]);
  if (t[0]) SetVal(st, k, t);
}

static void DigitFirst(CifInState* st, int k, const char* dflt) {
  if (!st->val[k][0]) SetVal(st, k, dflt);
  char& c = st->val[k][0];
  if (c < '0') c = '0';
  if (c > '9') c = '9';
}

int CifInSetupApply(CifInState* st, int check) {
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN], out[4 * CNV_PATHLEN];
  if (st->val[CI_CFN][0]) {
    Tidy(st, CI_CFN);
    CnvPathSplit(st->val[CI_CFN], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.cif", d, f, n);
    SetVal(st, CI_CFN, out);
    if (!st->val[CI_CLN][0]) SetVal(st, CI_CLN, st->val[CI_CFN]);
  }
  Tidy(st, CI_CLN);
  if (!st->val[CI_LFN][0]) SetVal(st, CI_LFN, st->val[CI_CFN]);
  Tidy(st, CI_LFN);
  if (!st->val[CI_TFP][0]) SetVal(st, CI_TFP, ".\\Cif_files\\");
  Tidy(st, CI_TFP);
  size_t len = strlen(st->val[CI_TFP]);
  if (len && st->val[CI_TFP][len - 1] != '\\' && st->val[CI_TFP][len - 1] != '/' && len + 1 < CIFIN_VALLEN) {
    st->val[CI_TFP][len] = '\\';
    st->val[CI_TFP][len + 1] = 0;
  }
  DigitFirst(st, CI_UEC, "9");
  st->g = CnvYesNo(st->val[CI_CG1], CIFIN_VALLEN) ? 0.01 : 0.001;
  st->cop = CnvYesNo(st->val[CI_COP], CIFIN_VALLEN);
  st->p2b = CnvYesNo(st->val[CI_P2B], CIFIN_VALLEN);
  st->mip = CnvYesNo(st->val[CI_MIP], CIFIN_VALLEN);
  st->mlf = CnvYesNo(st->val[CI_MLF], CIFIN_VALLEN);
  st->omt = CnvYesNo(st->val[CI_OMT], CIFIN_VALLEN);
  st->old = CnvYesNo(st->val[CI_OLD], CIFIN_VALLEN);
  DigitFirst(st, CI_TMP, kDefaultTemplate);
  double dts = st->val[CI_DTS][0] ? atof(st->val[CI_DTS]) : 1;
  if (!(dts >= 0.1)) dts = 0.1;
  if (dts > 1000) dts = 1000;
  st->dts = dts;
  snprintf(out, sizeof out, "%.9g", dts);
  SetVal(st, CI_DTS, out);
  if (!st->val[CI_WR2][0]) SetVal(st, CI_WR2, "CifIn.log");
  int faults = 0;
  if (check) {
    const char* const files[3] = {st->val[CI_CFN], st->val[CI_CLN], st->val[CI_LFN]};
    faults += CnvFileNamesCheck(files, 3);
  }
  return faults;
}

void CifInTemplatePush(CifInState* st, const char* text) {
  if (!text || !*text) return;
  char t[CIFIN_VALLEN];
  snprintf(t, sizeof t, "%s", text);
  int at = CIFIN_TEMPLATES - 1;
  for (int i = 0; i < CIFIN_TEMPLATES; ++i)
    if (CnvSameName(st->templates[i], t)) {
      at = i;
      break;
    }
  for (int i = at; i > 0; --i) memcpy(st->templates[i], st->templates[i - 1], CIFIN_VALLEN);
  memcpy(st->templates[0], t, CIFIN_VALLEN);
}

// ---- messages ------------------------------------------------------------------

void CifInList(CifInState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

static int Fail(CifInState* st, const char* text) {
  HostError(text);
  st->abort = 1;
  return 0;
}

static void Poll(CifInState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

static void Counter(CifInState* st, int id, const char* text) {
  if (st->counter) st->counter(id, text);
}

static void CounterNum(CifInState* st, int id, long v) {
  char t[32];
  snprintf(t, sizeof t, "%ld", v);
  Counter(st, id, t);
}

// ---- names --------------------------------------------------------------------

static int NameChar(int c) {
  if (isalnum(c)) return 1;
  if (c < 33 || c > 254) return 0;
  return strchr(" \"*+'`./:;<=>?\\|()%", c) == nullptr;
}

// A symbol name from s: name characters up to ';' (leading separators
// passed over), upper-cased, cut to 32.
static void NameRead(CifSrc* s, char* out) {
  int n = 0;
  while (CifMore(s)) {
    int c = CifGetChar(s);
    if (c == CIF_SEMI || c == CIF_END) break;
    if (NameChar(s->ch)) {
      if (n < CIFIN_NAMELEN) out[n++] = (char)toupper(s->ch);
    } else if (n > 0) {
      break;
    }
  }
  out[n] = 0;
}

static int SymbolAdd(CifInState* st, int64_t num, const char* name) {
  if (num == 0) return 1;
  if (st->byNum.count(num)) return 1;  // the first name found stays
  if ((int)st->sym.size() >= CIFIN_MAXSYMBOLS - 1) {
    st->sym.resize(CIFIN_MAXSYMBOLS);
    return 0;
  }
  CifSymbol e{};
  e.num = num;
  snprintf(e.name, sizeof e.name, "%s", name[0] ? name : "NONAME");
  e.rank = 1;
  st->byNum[num] = (int)st->sym.size();
  st->sym.push_back(e);
  return 1;
}

// Symbol names from the "(#n NAME);" comments of a cell file.
static int CellFileRead(CifInState* st, const unsigned char* data, size_t size) {
  CifSrc s;
  CifSrcSet(&s, data, size);
  for (;;) {
    int c;
    do c = CifGetChar(&s);
    while (c == CIF_SEP || c == CIF_SEMI);
    if (c == CIF_END) break;
    if (c != CIF_OPEN) {
      CifSkipCommand(&s);
      continue;
    }
    while (CifMore(&s) && s.ch != '#') CifGetChar(&s);
    int64_t num = 0;
    if (s.ch == '#' && CifGetInt(&s, &num, 0)) {
      char name[CIFIN_NAMELEN + 1];
      NameRead(&s, name);
      if (!SymbolAdd(st, num, name)) return 0;
    }
    CifSkipCommand(&s);
  }
  return 1;
}

// ---- the structure of the file: ends, symbols, calls ---------------------------

// Passes over separators; the class of the first significant character.
static int Significant(CifSrc* s) {
  int c;
  do c = CifGetChar(s);
  while (c == CIF_SEP);
  return c;
}

// One pass: the E commands are counted; without names from a cell file the
// symbol-name commands give them; every DS gets its calls listed.
static int Structure(CifInState* st, int names, int* ends) {
  CifSrc s;
  CifSrcSet(&s, st->data, st->size);
  *ends = 0;
  int cur = -1;  // symbol whose definition is open
  int64_t curNum = 0;
  int afterDs = 0;
  std::unordered_map<int64_t, std::vector<int64_t>> calls;
  for (;;) {
    int c = Significant(&s);
    if (c == CIF_END) break;
    if (c == CIF_SEMI) continue;
    int ch = s.ch;
    int justDs = afterDs;
    afterDs = 0;
    if (c == CIF_OPEN) {
      CifSkipCommand(&s);
      continue;
    }
    if (ch == 'E') {
      ++*ends;
    } else if (ch == 'D') {
      int k = Significant(&s);
      if (k == CIF_UPPER && s.ch == 'S') {
        int64_t num = 0;
        CifGetInt(&s, &num, 0);
        cur = 1;
        curNum = num;
        calls[num];
        afterDs = 1;
      } else if (k == CIF_UPPER && s.ch == 'F') {
        cur = -1;
      }
    } else if (ch == 'C' && cur >= 0) {
      int64_t num = 0;
      if (CifGetInt(&s, &num, 0)) {
        std::vector<int64_t>& v = calls[curNum];
        if (v.empty() || v.back() != num) v.push_back(num);
      }
    } else if (names && justDs && ch == st->val[CI_UEC][0]) {
      char name[CIFIN_NAMELEN + 1];
      NameRead(&s, name);
      if (!SymbolAdd(st, curNum, name)) return 0;
    }
    CifSkipCommand(&s);
  }
  for (auto& kv : calls) {
    auto it = st->byNum.find(kv.first);
    if (it != st->byNum.end()) st->sym[(size_t)it->second].calls = kv.second;
  }
  return 1;
}

// 1 when a name can't become a cell here: not a usable cell name, or the
// cell of an earlier symbol.
static int NameBad(CifInState* st, const char* name, size_t upto) {
  if (!name[0] || strlen(name) > CIFIN_NAMELEN || !CellNameValid(name)) return 1;
  for (const unsigned char* p = (const unsigned char*)name; *p; ++p)
    if (!NameChar(*p)) return 1;
  for (size_t i = 0; i < upto; ++i)
    if (CnvSameName(st->sym[i].cell, name)) return 1;
  return 0;
}

static int CellNames(CifInState* st) {
  for (size_t i = 0; i < st->sym.size(); ++i) {
    CifSymbol& e = st->sym[i];
    char tried[CIFIN_NAMELEN + 1];
    snprintf(tried, sizeof tried, "%s", e.name);
    while (NameBad(st, tried, i)) {
      if (!st->newName) {
        char msg[120];
        snprintf(msg, sizeof msg, "Symbol Name \"%s\" can't be a Cell Name ... Can't Continue", tried);
        return Fail(st, msg);
      }
      if (!st->newName(e.name, tried)) {
        st->abort = 1;
        return 0;
      }
      tried[CIFIN_NAMELEN] = 0;
      for (char* p = tried; *p; ++p) *p = (char)toupper((unsigned char)*p);
    }
    snprintf(e.cell, sizeof e.cell, "%s", tried);
  }
  return 1;
}

// Ranks: a symbol stands one above the highest it calls. A cycle or a
// hierarchy deeper than the cells may be would climb past the top rank.
static int Ranks(CifInState* st) {
  for (int pass = 0; pass <= CIFIN_MAXRANK + 1 && !st->abort; ++pass) {
    int changed = 0;
    for (CifSymbol& e : st->sym) {
      int r = 1;
      for (int64_t n : e.calls) {
        auto it = st->byNum.find(n);
        if (it != st->byNum.end() && st->sym[(size_t)it->second].rank + 1 > r) r = st->sym[(size_t)it->second].rank + 1;
      }
      if (r != e.rank) {
        e.rank = r;
        changed = 1;
      }
      if (e.rank > CIFIN_MAXRANK) {
        char msg[120];
        snprintf(msg, sizeof msg, "Symbol %s Calls Itself or is Nested Deeper than %d Levels ... Can't Continue",
                 e.name, CIFIN_MAXRANK);
        return Fail(st, msg);
      }
    }
    if (!changed) return 1;
    Poll(st, 0);
  }
  return st->abort ? 0 : 1;
}

// ---- interpretation ---------------------------------------------------------------

namespace {

struct Interp {
  CifInState* st;
  CifSrc s;
  int open;          // a definition is open
  CifSymbol* cur;
  int64_t a, b;      // the symbol's scale
  int layer;         // current TLC layer
  int32_t px[CIFIN_MAXPOINTS + 1], py[CIFIN_MAXPOINTS + 1];
};

int64_t Gcd(int64_t a, int64_t b) {
  while (b) {
    int64_t t = a % b;
    a = b;
    b = t;
  }
  return a;
}

void MinFeature(CifInState* st, int64_t v) {
  if (v == 0) return;
  if (v < 0) v = -v;
  st->minCand = Gcd(v, st->minCand);
  if (st->minCand < st->minRun) st->minRun = st->minCand;
}

int RangeFail(Interp* in) {
  char msg[120];
  snprintf(msg, sizeof msg, "Coordinate out of Range in %s ... Can't Continue", in->cur ? in->cur->cell : "");
  return Fail(in->st, msg);
}

// v scaled by a / b, truncating; 0 past the TLC range (after the message).
int Scaled(Interp* in, int64_t v, int32_t* out) {
  if (v > kRange * 16 || v < -kRange * 16) return RangeFail(in);
  // |v| < 2^33 and |a| < 2^29 keep the product within 64 bits.
  int64_t r = v * in->a / in->b;
  if (r > kRange || r < -kRange) return RangeFail(in);
  *out = (int32_t)r;
  MinFeature(in->st, r);
  return 1;
}

int ReadScaled(Interp* in, int32_t* out) {
  int64_t v;
  if (!CifGetInt(&in->s, &v, 1)) return 0;
  return Scaled(in, v, out) ? 1 : -1;
}

int SameFirst4(const char* a, const char* b) {
  for (int k = 0; k < 4; ++k)
    if (toupper((unsigned char)a[k]) != toupper((unsigned char)b[k])) return 0;
  return 1;
}

int LayerOf(CifInState* st, const char* name) {
  for (int i = 0; i < st->nLayers; ++i)
    if (CnvSameName(st->layers[i].name, name)) return st->layers[i].tlc;
  // Four characters only when they point to one row.
  int found = 0, tlc = 64;
  for (int i = 0; i < st->nLayers; ++i)
    if (strlen(name) >= 4 && strlen(st->layers[i].name) >= 4 && SameFirst4(st->layers[i].name, name)) {
      ++found;
      tlc = st->layers[i].tlc;
    }
  return found == 1 ? tlc : 64;
}

void Where(CifInState* st, char* out, size_t size, int32_t x, int32_t y) {
  snprintf(out, size, "X=%.*g Y=%.*g", 9, x / (double)st->tlcScale, 9, y / (double)st->tlcScale);
}

void BoxWrite(Interp* in, int32_t l, int32_t b, int32_t r, int32_t t) {
  TLCb.lyr = in->layer;
  TLCb.l = l;
  TLCb.b = b;
  TLCb.r = r;
  TLCb.t = t;
  WriteB();
  ++in->st->cur.boxes;
}

void PathWrite(Interp* in, int32_t w, const int32_t* x, const int32_t* y, int n) {
  TLCp.lyr = in->layer;
  TLCp.w = w;
  TLCp.nv = n;
  memcpy(TLCp.x, x, sizeof(int32_t) * (size_t)n);
  memcpy(TLCp.y, y, sizeof(int32_t) * (size_t)n);
  WriteP();
  ++in->st->cur.paths;
  in->st->cur.vertices += n;
}

// Geometry where no symbol is open has no file to go to.
int Outside(Interp* in) {
  if (in->open) return 0;
  ++in->st->outside;
  CifSkipCommand(&in->s);
  return 1;
}

int Box(Interp* in) {
  if (Outside(in)) return 1;
  int64_t raw[6];
  int n = 0;
  int64_t v64;
  while (CifGetInt(&in->s, &v64, 1)) {
    if (n < 6) {
      raw[n++] = v64;
    } else {
      raw[4] = raw[5];  // the last pair gives the direction
      raw[5] = v64;
    }
  }
  if (n < 4) return 1;
  int32_t v[4];
  for (int k = 0; k < 4; ++k)
    if (!Scaled(in, raw[k], &v[k])) return 0;
  int64_t len = v[0] < 0 ? -(int64_t)v[0] : v[0], wid = v[1] < 0 ? -(int64_t)v[1] : v[1];
  int32_t cx = v[2], cy = v[3];
  // The direction is a direction whatever the scale.
  if (n >= 6 && !(raw[4] >= 0 && raw[5] == 0)) {
    double ang = std::atan2((double)raw[5], (double)raw[4]);
    double c = std::cos(ang), s = std::sin(ang);
    const double ox[4] = {-len / 2.0, len / 2.0, len / 2.0, -len / 2.0};
    const double oy[4] = {-wid / 2.0, -wid / 2.0, wid / 2.0, wid / 2.0};
    int32_t x[5], y[5];
    // Offsets truncated; a hair added so that a quarter turn's rounding
    // noise does not cost a unit.
    auto trunc = [](double v) { return (int64_t)(v + (v < 0 ? -1e-7 : 1e-7)); };
    for (int k = 0; k < 4; ++k) {
      x[k] = (int32_t)(cx + trunc(ox[k] * c - oy[k] * s));
      y[k] = (int32_t)(cy + trunc(ox[k] * s + oy[k] * c));
    }
    x[4] = x[0];
    y[4] = y[0];
    PathWrite(in, 0, x, y, 5);
    return 1;
  }
  // An odd length keeps its whole length: the extra unit goes right (top).
  int64_t l = cx - len / 2, b = cy - wid / 2;
  BoxWrite(in, (int32_t)l, (int32_t)b, (int32_t)(l + len), (int32_t)(b + wid));
  return 1;
}

// The points of a P or W command into px, py; the count, or -1 when the
// run stops; *more counts points past CIFIN_MAXPOINTS.
int Points(Interp* in, int* more) {
  int n = 0;
  *more = 0;
  int32_t x, y;
  for (;;) {
    int r = ReadScaled(in, &x);
    if (r < 0) return -1;
    if (r == 0) break;
    r = ReadScaled(in, &y);
    if (r < 0) return -1;
    if (r == 0) break;
    if (n < CIFIN_MAXPOINTS) {
      in->px[n] = x;
      in->py[n] = y;
      ++n;
    } else {
      ++*more;
    }
  }
  return n;
}

int Polygon(Interp* in) {
  if (Outside(in)) return 1;
  int more;
  int n = Points(in, &more);
  if (n < 0) return 0;
  CifInState* st = in->st;
  if (more) {
    // A cut polygon would be another shape: none is written.
    char where[80], msg[200];
    Where(st, where, sizeof where, in->px[0], in->py[0]);
    snprintf(msg, sizeof msg, "Polygon of more than %d Points Skipped at %s L=%d in %s", CIFIN_MAXPOINTS, where,
             in->layer, in->cur->cell);
    CifInList(st, msg);
    ++st->longPolys;
    return 1;
  }
  if (n == 0) return 1;
  if (st->cop && n < CIFIN_MAXPOINTS && (in->px[n - 1] != in->px[0] || in->py[n - 1] != in->py[0])) {
    in->px[n] = in->px[0];
    in->py[n] = in->py[0];
    ++n;
  }
  if (st->p2b && n == 5 && in->px[4] == in->px[0] && in->py[4] == in->py[0]) {
    const int32_t* x = in->px;
    const int32_t* y = in->py;
    int hv = 1, vh = 1;
    for (int k = 0; k < 4; ++k) {
      int horiz = y[k] == y[k + 1] && x[k] != x[k + 1];
      int vert = x[k] == x[k + 1] && y[k] != y[k + 1];
      if (!(k % 2 == 0 ? horiz : vert)) hv = 0;
      if (!(k % 2 == 0 ? vert : horiz)) vh = 0;
    }
    if (hv || vh) {
      BoxWrite(in, x[0] < x[2] ? x[0] : x[2], y[0] < y[2] ? y[0] : y[2], x[0] < x[2] ? x[2] : x[0],
               y[0] < y[2] ? y[2] : y[0]);
      return 1;
    }
  }
  PathWrite(in, 0, in->px, in->py, n);
  return 1;
}

// Wire ends made explicit: each end vertex moves half the width away from
// its neighbour.
void WireEndsExtend(Interp* in, int32_t* x, int32_t* y, int n, int32_t w) {
  int32_t hw = w / 2;
  struct End {
    int e, f;
  } ends[2] = {{0, 1}, {n - 1, n - 2}};
  int32_t nx[2], ny[2];
  for (int k = 0; k < 2; ++k) {
    int e = ends[k].e, f = ends[k].f;
    nx[k] = x[e];
    ny[k] = y[e];
    double dx = (double)x[e] - x[f], dy = (double)y[e] - y[f];
    if (dx == 0 && dy == 0) {
      char where[80], msg[200];
      Where(in->st, where, sizeof where, x[e], y[e]);
      snprintf(msg, sizeof msg, "Multiple Vertices at %s L=%d in %s", where, in->layer, in->cur->cell);
      CifInList(in->st, msg);
      HostWarning(msg);
      continue;
    }
    double a = std::atan2(dy, dx);
    double cx = hw * std::cos(a), cy = hw * std::sin(a);
    int64_t sx = (int64_t)(std::fabs(cx) + 0.999) * (cx < 0 ? -1 : 1);
    int64_t sy = (int64_t)(std::fabs(cy) + 0.999) * (cy < 0 ? -1 : 1);
    if (std::fabs(cx) < 1e-9) sx = 0;
    if (std::fabs(cy) < 1e-9) sy = 0;
    int64_t vx = x[e] + sx, vy = y[e] + sy;
    nx[k] = (int32_t)(vx > kRange ? kRange : vx < -kRange ? -kRange : vx);
    ny[k] = (int32_t)(vy > kRange ? kRange : vy < -kRange ? -kRange : vy);
  }
  x[0] = nx[0];
  y[0] = ny[0];
  x[n - 1] = nx[1];
  y[n - 1] = ny[1];
}

int Wire(Interp* in) {
  if (Outside(in)) return 1;
  int32_t w;
  int r = ReadScaled(in, &w);
  if (r < 0) return 0;
  if (r == 0) return 1;
  if (w < 0) w = -w;
  CifInState* st = in->st;
  // A long wire goes on in further paths, each starting where the last
  // ended.
  int32_t lastX = 0, lastY = 0;
  int have = 0;
  for (;;) {
    int n = 0;
    if (have) {
      in->px[0] = lastX;
      in->py[0] = lastY;
      n = 1;
    }
    int32_t x, y;
    int full = 0;
    for (;;) {
      int rx = ReadScaled(in, &x);
      if (rx < 0) return 0;
      if (rx == 0) break;
      int ry = ReadScaled(in, &y);
      if (ry < 0) return 0;
      if (ry == 0) break;
      in->px[n] = x;
      in->py[n] = y;
      ++n;
      if (n == CIFIN_MAXPOINTS) {
        full = 1;
        break;
      }
    }
    if (n >= 1 && !(have && n == 1)) {
      lastX = in->px[n - 1];
      lastY = in->py[n - 1];
      if (w == 0) {
        // Width 0 is a polygon in a cell file: a wire of no width has no
        // ground to keep.
        ++st->outside;
      } else if (st->mip) {
        if (n >= 2) WireEndsExtend(in, in->px, in->py, n, w);
        PathWrite(in, w, in->px, in->py, n);
      } else {
        PathWrite(in, -w, in->px, in->py, n);
      }
    }
    if (!full || !CifMore(&in->s)) break;
    have = 1;
  }
  return 1;
}

int Layer(Interp* in) {
  char name[64];
  CifGetName(&in->s, name, sizeof name);
  in->layer = LayerOf(in->st, name);
  CifSkipCommand(&in->s);
  return 1;
}

int Call(Interp* in) {
  CifInState* st = in->st;
  if (!in->open) {
    CifSkipCommand(&in->s);
    return 1;
  }
  int64_t num;
  if (!CifGetInt(&in->s, &num, 0)) return 1;
  int o;
  int64_t x, y;
  CifCallTransform(&in->s, in->a, in->b, &o, &x, &y, &st->skewed);
  auto it = st->byNum.find(num);
  if (it == st->byNum.end()) {
    char msg[120];
    snprintf(msg, sizeof msg, "Call of Symbol #%lld without Name Skipped in %s", (long long)num, in->cur->cell);
    CifInList(st, msg);
    return 1;
  }
  if (x > kRange || x < -kRange || y > kRange || y < -kRange) return RangeFail(in);
  MinFeature(st, x);
  MinFeature(st, y);
  tlccel& c = TLCc[0];
  snprintf(c.name, sizeof c.name, "%s", st->sym[(size_t)it->second].cell);
  c.o = o;
  c.x = (int32_t)x;
  c.y = (int32_t)y;
  c.r = 0;
  WriteC(0);
  ++st->cur.calls;
  return 1;
}

// One field of a text command: a number, or text up to blank space; with
// rest the whole remainder.
struct Field {
  const unsigned char* p;
  size_t n;
};

int64_t Round15(int64_t v) {
  if (v < 0) v = -v;
  return (v * 2 + 15) / 30 * 15;
}

int Text(Interp* in) {
  CifInState* st = in->st;
  if (Outside(in)) return 1;
  // The command's rest, after its two characters.
  CifSrc& s = in->s;
  size_t start = s.pos;
  CifSkipCommand(&s);
  size_t end = s.cls == CIF_SEMI ? s.pos - 1 : s.pos;
  const unsigned char* t = s.data + start;
  size_t len = end > start ? end - start : 0;
  int layer = 64, orient = 0;
  int64_t size = Round15((int64_t)std::floor(st->dts / st->g + 0.5));
  int32_t x = 0, y = 0;
  char text[CIFIN_TEXTMAX + 1] = "NONE";
  size_t i = 0;
  for (int k = 0; k < st->nTokens; ++k) {
    const char* tok = st->tokens[k];
    int isText = CnvSameName(tok, "<text>");
    int last = k == st->nTokens - 1;
    // Fields are split at every separator; a text only at blank space.
    if (isText) {
      while (i < len && isspace(t[i])) ++i;
    } else {
      while (i < len && CifClass(t[i]) == CIF_SEP) ++i;
    }
    if (i >= len) return 1;  // fewer fields than tokens: no text
    size_t j = i;
    if (isText && last) {
      j = len;
    } else if (isText) {
      while (j < len && !isspace(t[j])) ++j;
    } else {
      while (j < len && CifClass(t[j]) != CIF_SEP) ++j;
    }
    Field f{t + i, j - i};
    i = j;
    if (isText) {
      size_t n = f.n;
      while (n > 0 && f.p[n - 1] == ';') --n;
      if (n > CIFIN_TEXTMAX) {
        n = CIFIN_TEXTMAX;
        ++st->cutTexts;
      }
      memcpy(text, f.p, n);
      text[n] = 0;
      continue;
    }
    char num[40];
    snprintf(num, sizeof num, "%.*s", (int)(f.n < 39 ? f.n : 39), (const char*)f.p);
    CifSrc ns;
    CifSrcSet(&ns, num, strlen(num));
    int64_t v = 0;
    int isNum = CifGetInt(&ns, &v, 1);
    int32_t sv;
    if (CnvSameName(tok, "<layer>")) {
      if (isNum && v >= 1 && v <= 256) layer = (int)v;
    } else if (CnvSameName(tok, "<lname>")) {
      char name[40];
      CifSrc nn;
      CifSrcSet(&nn, num, strlen(num));
      CifGetName(&nn, name, sizeof name);
      layer = LayerOf(st, name);
    } else if (CnvSameName(tok, "<size>")) {
      if (isNum) {
        if (!Scaled(in, v, &sv)) return 0;
        size = Round15(sv);
      }
    } else if (CnvSameName(tok, "<orien>")) {
      if (isNum) orient = (int)(v & 7);
    } else if (CnvSameName(tok, "<x>")) {
      if (isNum && !Scaled(in, v, &x)) return 0;
    } else if (CnvSameName(tok, "<y>")) {
      if (isNum && !Scaled(in, v, &y)) return 0;
    }
  }
  TLCt.lyr = layer;
  TLCt.size = (int32_t)(size > kRange ? kRange : size);
  TLCt.o = orient;
  TLCt.x = x;
  TLCt.y = y;
  snprintf(TLCt.text, sizeof TLCt.text, "%s", text);
  int n = (int)strlen(TLCt.text);
  TLCt.nv = n ? (n - 1) / 8 + 2 : 2;
  WriteT();
  ++st->cur.texts;
  st->cur.vertices += TLCt.nv;
  return 1;
}

int SymbolStart(Interp* in) {
  CifInState* st = in->st;
  char msg[200];
  int64_t num = 0, a = 0, b = 0;
  CifGetInt(&in->s, &num, 0);
  int ha = CifGetInt(&in->s, &a, 1);
  int hb = CifGetInt(&in->s, &b, 1);
  CifSkipCommand(&in->s);
  if (in->open) {
    snprintf(msg, sizeof msg, "DS #%lld inside Symbol %s ... Can't Continue", (long long)num, in->cur->cell);
    return Fail(st, msg);
  }
  auto it = st->byNum.find(num);
  if (it == st->byNum.end()) {
    snprintf(msg, sizeof msg, "Symbol #%lld Name is Missing ... Can't Continue", (long long)num);
    return Fail(st, msg);
  }
  if (!ha) a = 1;
  if (!hb) b = 1;
  if (b == 0 || a == 0 || a > kRange || a < -kRange || b > kRange || b < -kRange) {
    snprintf(msg, sizeof msg, "Symbol #%lld Scale %lld/%lld is Incorrect ... Can't Continue", (long long)num,
             (long long)a, (long long)b);
    return Fail(st, msg);
  }
  CifSymbol& e = st->sym[(size_t)it->second];
  if (e.defined) {
    snprintf(msg, sizeof msg, "Symbol #%lld is Defined Again ... Can't Continue", (long long)num);
    return Fail(st, msg);
  }
  e.defined = 1;
  in->cur = &e;
  in->a = a;
  in->b = b;
  st->cur = CifInCounts{0, 0, 0, 0, 0};
  CounterNum(st, 503, e.rank);
  snprintf(msg, sizeof msg, "%s.tlc", e.cell);
  Counter(st, 501, msg);
  CifInList(st, msg);
  Poll(st, 500);
  if (st->abort) return 0;
  if (!SatTlcCreate(e.cell)) {
    snprintf(msg, sizeof msg, "Unable to Write %s.tlc File ... Can't Continue", e.cell);
    return Fail(st, msg);
  }
  in->open = 1;
  return 1;
}

int SymbolEnd(Interp* in) {
  CifInState* st = in->st;
  CifSkipCommand(&in->s);
  if (!in->open) return Fail(st, "DF without its DS ... Can't Continue");
  CifSymbol& e = *in->cur;
  const CifInCounts& c = st->cur;
  snprintf(TLCh.name, sizeof TLCh.name, "%s", e.cell);
  TLCh.scale = st->tlcScale;
  snprintf(TLCh.unit, sizeof TLCh.unit, "um");
  snprintf(TLCh.date, sizeof TLCh.date, "%.8s", st->date);
  snprintf(TLCh.time, sizeof TLCh.time, "%.8s", st->time);
  TLCh.rank = e.rank;
  TLCh.l = 0;
  TLCh.b = 0;
  TLCh.r = 100;
  TLCh.t = 100;
  TLCh.nb = (int32_t)c.boxes;
  TLCh.np = (int32_t)(c.paths + c.texts);
  TLCh.nv = (int32_t)c.vertices;
  TLCh.nc = (int32_t)c.calls;
  WriteH();
  FILE* f = TlcWriter.file;
  if (!st->omt && f) {
    int bad = fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", st->nLayers) < 0;
    // A cell file's layer names hold 8 characters.
    for (int i = 0; i < st->nLayers; ++i)
      if (fprintf(f, "%.8s %d\n", st->layers[i].name, st->layers[i].tlc) < 0) bad = 1;
    if (!st->old && fprintf(f, "</L>\n") < 0) bad = 1;
    if (bad) TlcWriter.failed = 1;
  }
  in->open = 0;
  char msg[200];
  if (!TlcWriteClose()) {
    snprintf(msg, sizeof msg, "Unable to Write %s.tlc File ... Can't Continue", e.cell);
    return Fail(st, msg);
  }
  e.written = 1;
  ++st->files;
  CifInCounts& m = st->max;
  if (c.boxes > m.boxes) m.boxes = c.boxes;
  if (c.paths > m.paths) m.paths = c.paths;
  if (c.texts > m.texts) m.texts = c.texts;
  if (c.vertices > m.vertices) m.vertices = c.vertices;
  if (c.calls > m.calls) m.calls = c.calls;
  if (e.rank > st->highestRank) st->highestRank = e.rank;
  const long v[5] = {c.boxes, c.paths, c.texts, c.vertices, c.calls};
  const long mv[5] = {m.boxes, m.paths, m.texts, m.vertices, m.calls};
  for (int k = 0; k < 5; ++k) {
    CounterNum(st, 504 + k, v[k]);
    CounterNum(st, 510 + k, mv[k]);
  }
  CounterNum(st, 509, st->highestRank);
  Poll(st, 50);
  if (st->log)
    fprintf(st->log, "%-16s%-5d%-8ld%-8ld%-8ld%-8ld%-8ld\n", "", e.rank, c.boxes, c.paths, c.texts, c.vertices, c.calls);
  snprintf(msg, sizeof msg, "Min Feature= %.*gum   CIF Grid= %.*gum/unit  TLC Scale= %.*gunits/um", 9,
           (double)st->minRun * st->g, 9, st->g, 9, (double)st->tlcScale);
  Counter(st, 519, msg);
  st->minCand = st->tlcScale;
  in->cur = nullptr;
  return st->abort ? 0 : 1;
}

int Interpret(CifInState* st) {
  static Interp in;
  in.st = st;
  CifSrcSet(&in.s, st->data, st->size);
  in.open = 0;
  in.cur = nullptr;
  in.a = in.b = 1;
  in.layer = 1;
  long commands = 0;
  for (;;) {
    if (st->abort) return 0;
    if ((++commands & 0xFFFF) == 0) Poll(st, 0);
    int c = Significant(&in.s);
    if (c == CIF_END) break;
    if (c == CIF_SEMI) continue;
    int ok = 1;
    int ch = in.s.ch;
    if (c == CIF_OPEN) {
      CifSkipCommand(&in.s);
      continue;
    }
    if (c == CIF_DIGIT) {
      // A user extension: the text command when its two characters are the
      // template's.
      int second = in.s.pos < in.s.size ? in.s.data[in.s.pos] : 0;
      if (ch == st->ext[0] && second == st->ext[1] && st->ext[1]) {
        CifGetChar(&in.s);
        ok = Text(&in);
      } else {
        CifSkipCommand(&in.s);
      }
    } else if (ch == 'E') {
      break;
    } else if (ch == 'D') {
      int k = Significant(&in.s);
      if (k == CIF_UPPER && in.s.ch == 'S')
        ok = SymbolStart(&in);
      else if (k == CIF_UPPER && in.s.ch == 'F')
        ok = SymbolEnd(&in);
      else
        CifSkipCommand(&in.s);
    } else if (ch == 'L') {
      ok = Layer(&in);
    } else if (ch == 'B') {
      ok = Box(&in);
    } else if (ch == 'P') {
      ok = Polygon(&in);
    } else if (ch == 'W') {
      ok = Wire(&in);
    } else if (ch == 'C') {
      ok = Call(&in);
    } else if (ch == 'R') {
      ++st->flashes;
      CifSkipCommand(&in.s);
    } else {
      CifSkipCommand(&in.s);
    }
    if (!ok) return 0;
    if (in.s.cls != CIF_SEMI && in.s.cls != CIF_END) CifSkipCommand(&in.s);
  }
  if (in.open) {
    char msg[120];
    snprintf(msg, sizeof msg, "Symbol %s is not Ended ... Can't Continue", in.cur ? in.cur->cell : "");
    return Fail(st, msg);
  }
  return 1;
}

}  // namespace

void CifCallTransform(CifSrc* s, int64_t a, int64_t b, int* orient, int64_t* x, int64_t* y, long* skewed) {
  int r = 0, m = 0;
  int64_t tx = 0, ty = 0;
  int sawM = 0;
  while (CifMore(s)) {
    int c = CifGetChar(s);
    if (c != CIF_UPPER) {
      if (c != CIF_SEMI && c != CIF_END && c != CIF_SEP) sawM = 0;
      continue;
    }
    int ch = s->ch;
    if (ch == 'M') {
      sawM = 1;
      continue;
    }
    if (sawM && (ch == 'X' || ch == 'Y')) {
      sawM = 0;
      if (ch == 'X') {
        // x -> -x: the placement so far and the orientation both turn.
        tx = -tx;
        r = (4 - r + 2) % 4;
      } else {
        ty = -ty;
        r = (4 - r) % 4;
      }
      m ^= 1;
      continue;
    }
    sawM = 0;
    if (ch == 'R') {
      int64_t da = 0, db = 0;
      CifGetInt(s, &da, 1);
      CifGetInt(s, &db, 1);
      int q = -1;
      if (da == 0 && db > 0) q = 1;
      if (da == 0 && db < 0) q = 3;
      if (da < 0 && db == 0) q = 2;
      if (da > 0 && db == 0) q = 0;
      if (q < 0) {
        if (skewed) ++*skewed;
        continue;
      }
      for (int k = 0; k < q; ++k) {
        int64_t t = tx;
        tx = -ty;
        ty = t;
      }
      r = (r + q) % 4;
    } else if (ch == 'T') {
      int64_t dx = 0, dy = 0;
      CifGetInt(s, &dx, 1);
      CifGetInt(s, &dy, 1);
      // Kept within 2^33 before scaling so the products fit 64 bits.
      const int64_t lim = (int64_t)1 << 33;
      dx = dx > lim ? lim : dx < -lim ? -lim : dx;
      dy = dy > lim ? lim : dy < -lim ? -lim : dy;
      tx += dx * a / b;
      ty += dy * a / b;
      tx = tx > lim ? lim : tx < -lim ? -lim : tx;
      ty = ty > lim ? lim : ty < -lim ? -lim : ty;
    }
  }
  *orient = r + 4 * m;
  *x = tx;
  *y = ty;
}

// ---- the run --------------------------------------------------------------------

static int LayersTld(CifInState* st) {
  char path[2 * CNV_PATHLEN + 20];
  snprintf(path, sizeof path, "%slayers_%s.tld", st->outFolder, st->cifName);
  FILE* f = SatOpen(path, "wt");
  if (!f) return 0;
  fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", st->nLayers);
  for (int i = 0; i < st->nLayers; ++i) fprintf(f, "%.8s %d\n", st->layers[i].name, st->layers[i].tlc);
  if (!st->old) fprintf(f, "</L>\n");
  FILE* g = f;
  return CnvFileClose(&g);
}

static int Run(CifInState* st) {
  char msg[3 * CNV_PATHLEN];
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->sym.clear();
  st->byNum.clear();
  st->nLayers = 0;
  st->cur = st->max = CifInCounts{0, 0, 0, 0, 0};
  st->highestRank = 0;
  st->files = 0;
  st->outside = st->flashes = st->skewed = st->longPolys = st->cutTexts = 0;
  st->abort = 0;
  CifInSetupApply(st, 0);
  st->tlcScale = st->g > 0.005 ? 100 : 1000;
  st->minCand = st->minRun = st->tlcScale;

  snprintf(st->outFolder, sizeof st->outFolder, "%s", st->val[CI_TFP]);
  if (!PathDiffer(st->outFolder, ""))
    return Fail(st, "Cell Files will be Written to the Drawing Folder ... Can't Continue");
  switch (SatMkdir(st->outFolder)) {
    case SAT_MKDIR_MADE:
      snprintf(msg, sizeof msg, "Folder %s was Created", st->outFolder);
      HostMsgBox(msg, CifInDisplayName, HOST_CAP_PROGRAM, HOST_OK);
      break;
    case SAT_MKDIR_THERE:
      break;
    default:
      snprintf(msg, sizeof msg, "Folder %s is Invalid", st->outFolder);
      return Fail(st, msg);
  }
  if (!TlcOutputSet(st->outFolder)) return Fail(st, "Unable to Write TLC File ... Can't Continue");
  WriteOldTlc = st->old;

  // The text template: its command number, then its tokens.
  const char* tmpl = st->val[CI_TMP];
  snprintf(st->ext, sizeof st->ext, "%.2s", tmpl);
  st->nTokens = 0;
  const char* p = strchr(tmpl, '<');
  while (p && *p) {
    while (*p == ' ') ++p;
    if (!*p) break;
    const char* e = p;
    while (*e && *e != ' ') ++e;
    if (st->nTokens >= 12) return Fail(st, "Too Many Tokens in Text Template ... Can't Continue");
    snprintf(st->tokens[st->nTokens++], CIFIN_VALLEN, "%.*s", (int)(e - p), p);
    p = e;
  }

  char d[CNV_PATHLEN], f[CNV_PATHLEN], e[CNV_PATHLEN];
  CnvPathSplit(st->val[CI_CFN], d, f, st->cifName, e);
  free(st->data);
  st->data = CifFileLoad(st->val[CI_CFN], &st->size);
  if (!st->data) {
    SetVal(st, CI_CFN, "?.cif");
    return Fail(st, "CIF File is Missing ... Can't Continue");
  }

  Counter(st, 500, "Analyzing CIF Cells ...");
  Poll(st, 0);
  if (st->abort) return 0;
  if (st->val[CI_CLN][0] && strcmp(st->val[CI_CLN], st->val[CI_CFN]) != 0) {
    size_t n = 0;
    unsigned char* cells = CifFileLoad(st->val[CI_CLN], &n);
    int ok = !cells || CellFileRead(st, cells, n);
    free(cells);
    if (!ok) return Fail(st, "Too Many Symbols (cells) in CIF File");
  } else if (!CellFileRead(st, st->data, st->size)) {
    return Fail(st, "Too Many Symbols (cells) in CIF File");
  }
  int ends = 0;
  // Without names from comments the symbol-name commands give them.
  if (!Structure(st, st->sym.empty(), &ends)) return Fail(st, "Too Many Symbols (cells) in CIF File");
  if (ends >= 2) return Fail(st, "CIF File has Too Many End Commands ... Break Up File");
  if (st->sym.empty()) return Fail(st, "Cell Info is Incorrect or Missing");

  Counter(st, 500, "Analyzing CIF Layers ...");
  int more = 0;
  // The layer file is by default the CIF file, already read.
  if (strcmp(st->val[CI_LFN], st->val[CI_CFN]) == 0)
    st->nLayers = CifLayerTextRead(st->data, st->size, st->layers, CIF_LAYERROWS, 1, &more);
  else
    st->nLayers = CifLayerFileRead(st->val[CI_LFN], st->layers, CIF_LAYERROWS, 1, &more);
  if (st->nLayers == 0) return Fail(st, "Layer Info is Incorrect or Missing");

  Counter(st, 500, "Analyzing Cell Hierarchy ...");
  if (!Ranks(st) || !CellNames(st)) return 0;

  st->log = SatOpen(st->val[CI_WR2], "wt");
  if (!st->log) return Fail(st, "Unable to Write Log File ... Can't Continue");
  fprintf(st->log, "*** CIF to TLC Conversion Log  %s  %s  %s\n\n", QUIL_VERSION, st->date, st->time);
  fprintf(st->log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(st->log, "CIF File Name: %s\n", st->val[CI_CFN]);
  fprintf(st->log, "CIF Layer File Name: %s\n", st->val[CI_LFN]);
  fprintf(st->log, "CIF Cell File Name: %s\n\n", st->val[CI_CLN]);
  fprintf(st->log, "Layers:\n\n");
  fprintf(st->log, "  No. Name\n");
  fprintf(st->log, "-----------\n");
  for (int i = 0; i < st->nLayers; ++i) fprintf(st->log, "  %-4d%s\n", st->layers[i].tlc, st->layers[i].name);
  if (more) {
    snprintf(msg, sizeof msg, "%d Layers past %d in the CIF Layer File are Ignored", more, CIF_LAYERROWS);
    CifInList(st, msg);
  }
  for (const CifSymbol& s : st->sym)
    if (strcmp(s.name, s.cell) != 0) {
      snprintf(msg, sizeof msg, "Symbol %s --> Cell %s", s.name, s.cell);
      CifInList(st, msg);
    }
  fprintf(st->log, "\nTLC Files:\n\n");
  fprintf(st->log, "Cells          Rank Boxes   Paths   Text  (Vertex)  Cells\n");
  fprintf(st->log, "----------------------------------------------------------\n");

  if (st->mlf && !LayersTld(st)) HostWarning("Unable to Write Layers File ... Conversion will Continue");

  Counter(st, 500, "Constructing TLC Files ...");
  if (!Interpret(st)) return 0;
  const struct {
    long n;
    const char* text;
  } notes[] = {
      {st->outside, "%ld Objects outside Symbol Definitions or of no Width were Skipped"},
      {st->flashes, "%ld Round Flashes were Skipped"},
      {st->skewed, "%ld Rotations off the Axes were Left Out"},
      {st->longPolys, "%ld Polygons of more than 1024 Points were Skipped"},
      {st->cutTexts, "%ld Texts were Cut to 64 Characters"},
  };
  for (const auto& nt : notes)
    if (nt.n) {
      snprintf(msg, sizeof msg, nt.text, nt.n);
      CifInList(st, msg);
    }
  return 1;
}

// The cells of a run are written beside the old ones and take their place
// only when the whole run went through.
static int CellsSettle(CifInState* st, int keep) {
  int ok = 1;
  for (const CifSymbol& s : st->sym)
    if (s.written && !TlcSettle(s.cell, keep)) ok = 0;
  return ok;
}

int CifInConvert(CifInState* st) {
  TlcWriter.hold = 1;
  int ok = Run(st) && !st->abort;
  TlcAbandon();
  if (!CellsSettle(st, ok) && ok) ok = Fail(st, "Unable to Write TLC File ... Can't Continue");
  TlcWriter.hold = 0;
  WriteOldTlc = 0;
  free(st->data);
  st->data = nullptr;
  st->size = 0;
  if (ok && st->log)
    fprintf(st->log, "\nMin Feature= %.*gum   CIF Grid= %.*gum/unit  TLC Scale= %.*gunits/um\n", 9,
            (double)st->minRun * st->g, 9, st->g, 9, (double)st->tlcScale);
  return ok && !st->abort;
}

int CifInClosing(CifInState* st, int converted, char* text, int size) {
  if (converted)
    snprintf(text, (size_t)size, "Completed ... %d TLC Files Made\n\nUse Import to Register Cells in Drawing",
             st->files);
  else
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  return CnvLogClosing(&st->log, converted, text, size);
}

int CifInGo(CifInState* st) {
  char text[200];
  int done = CifInClosing(st, CifInConvert(st), text, sizeof text);
  return CnvGoShow(done, 0, text);
}
