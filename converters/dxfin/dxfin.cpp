// The run of a DXF-to-TLC conversion: the layer scan, the hierarchy passes
// over the BLOCKS section, cell names, the previous cell files, the log, and
// the construction pass that writes the cells.
#include "dxfin.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dxfinpriv.h"
#include "host.h"
#include "namecheck.h"
#include "q7tlcrw.h"
#include "satutil.h"
#include "version.h"

// ---- messages ----------------------------------------------------------------------

void DxfInList(DxfInState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

int DxfFail(DxfInState* st, const char* text) {
  HostError(text);
  st->abort = 1;
  return -1;
}

static int Fail(DxfInState* st, const char* text) {
  DxfFail(st, text);
  return 0;
}

static void Note(DxfInState* st, const char* text) {
  ++st->notes;
  DxfInList(st, text);
}

static void Poll(DxfInState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

static void Counter(DxfInState* st, int id, const char* text) {
  if (st->counter) st->counter(id, text);
}

static void CounterNum(DxfInState* st, int id, long v) {
  char t[32];
  snprintf(t, sizeof t, "%ld", v);
  Counter(st, id, t);
}

// ---- sections and entity kinds ----------------------------------------------------------

namespace {

enum { S_NONE, S_HEADER, S_TABLES, S_BLOCKS, S_ENTITIES, S_OTHER };
enum {
  K_NONE, K_SECTION, K_ENDSEC, K_TABLE, K_ENDTAB, K_BLOCK, K_ENDBLK, K_LAYER, K_LINE, K_CIRCLE, K_ARC,
  K_TEXT, K_INSERT, K_SHAPE, K_SOLID, K_POLYLINE, K_VERTEX, K_SEQEND, K_EOF, K_OTHER,
};

int Classify(const DxfGroup* g) {
  static const struct {
    const char* word;
    int kind;
  } kWords[] = {
      {"SECTION", K_SECTION}, {"ENDSEC", K_ENDSEC},     {"TABLE", K_TABLE},   {"ENDTAB", K_ENDTAB},
      {"BLOCK", K_BLOCK},     {"ENDBLK", K_ENDBLK},     {"LAYER", K_LAYER},   {"LINE", K_LINE},
      {"CIRCLE", K_CIRCLE},   {"ARC", K_ARC},           {"TEXT", K_TEXT},     {"INSERT", K_INSERT},
      {"SHAPE", K_SHAPE},     {"SOLID", K_SOLID},       {"POLYLINE", K_POLYLINE}, {"VERTEX", K_VERTEX},
      {"SEQEND", K_SEQEND},   {"EOF", K_EOF},
  };
  for (const auto& w : kWords)
    if (DxfIs(g, w.word)) return w.kind;
  return K_OTHER;
}

int SectionOf(const DxfGroup* g) {
  if (DxfIs(g, "HEADER")) return S_HEADER;
  if (DxfIs(g, "TABLES")) return S_TABLES;
  if (DxfIs(g, "BLOCKS")) return S_BLOCKS;
  if (DxfIs(g, "ENTITIES")) return S_ENTITIES;
  return S_OTHER;
}

// Where a pass stands: the section, whether the LAYER table is open, and the
// entity whose groups are being read. Section and table names count only
// right after their SECTION and TABLE.
struct Walk {
  int section = S_NONE;
  int layerTable = 0;
  int kind = K_NONE;
  int named = 0;  // the current SECTION or TABLE got its name
};

// Follows one group; 1 when it was a section or table name.
int WalkGroup(Walk* w, const DxfGroup* g) {
  if (g->code == 0) {
    w->kind = Classify(g);
    w->named = 0;
    if (w->kind == K_ENDSEC) {
      w->section = S_NONE;
      w->layerTable = 0;
    } else if (w->kind == K_ENDTAB) {
      w->layerTable = 0;
    }
    return 0;
  }
  if (g->code == 2 && !w->named && (w->kind == K_SECTION || w->kind == K_TABLE)) {
    w->named = 1;
    if (w->kind == K_SECTION) {
      w->section = SectionOf(g);
      w->layerTable = 0;
    } else {
      w->layerTable = w->section == S_TABLES && DxfIs(g, "LAYER");
    }
    return 1;
  }
  return 0;
}

// ---- block table -------------------------------------------------------------------------

uint32_t NameHash(const char* s) {
  uint32_t h = 2166136261u;
  for (; *s; ++s) h = (h ^ (unsigned char)*s) * 16777619u;
  return h;
}

void Upper(char* out, size_t size, const char* in) {
  size_t i = 0;
  for (; in[i] && i + 1 < size; ++i) out[i] = (char)toupper((unsigned char)in[i]);
  out[i] = 0;
}

int BlockFind(DxfInState* st, const char* upper) {
  uint32_t h = NameHash(upper) & (DXFIN_HASH - 1);
  for (int probe = 0; probe < DXFIN_HASH; ++probe) {
    int32_t v = st->blockHash[(h + (uint32_t)probe) & (DXFIN_HASH - 1)];
    if (v == 0) return -1;
    if (strcmp(st->blocks[v - 1].name, upper) == 0) return v - 1;
  }
  return -1;
}

// Index of the block named name (any case), entered with rank 1 when new
// (*added set); -1 after the message when the table is full.
int BlockEnter(DxfInState* st, const char* name, int* added) {
  char up[DXFIN_BLOCKNAMELEN + 1];
  Upper(up, sizeof up, name);
  int i = BlockFind(st, up);
  if (i >= 0) return i;
  if (st->nBlocks >= DXFIN_MAXBLOCKS - 1) return DxfFail(st, "Too Many Blocks in DXF File");
  DxfBlock& b = st->blocks[st->nBlocks];
  memset(&b, 0, sizeof b);
  snprintf(b.name, sizeof b.name, "%s", up);
  b.rank = 1;
  uint32_t h = NameHash(up) & (DXFIN_HASH - 1);
  while (st->blockHash[h]) h = (h + 1) & (DXFIN_HASH - 1);
  st->blockHash[h] = st->nBlocks + 1;
  *added = 1;
  return st->nBlocks++;
}

// ---- input ---------------------------------------------------------------------------------

int InputOpen(DxfInState* st) {
  if (st->src.f) fclose(st->src.f);
  st->src.f = nullptr;
  FILE* f = st->val[DI_DFN][0] ? SatOpen(st->val[DI_DFN], "rb") : nullptr;
  if (!f) {
    snprintf(st->val[DI_DFN], DXFIN_VALLEN, "?.dxf");
    return Fail(st, "DXF File is Missing ... Can't Continue");
  }
  DxfSrcFile(&st->src, f);
  return 1;
}

void InputClose(DxfInState* st) {
  if (st->src.f) fclose(st->src.f);
  st->src.f = nullptr;
}

int Rewind(DxfInState* st, int64_t at, long line) {
  if (!DxfSrcSeek(&st->src, at, line)) return Fail(st, "Unable to Read DXF File ... Can't Continue");
  return 1;
}

int ReadError(DxfInState* st) {
  if (st->src.f && ferror(st->src.f)) return Fail(st, "Unable to Read DXF File ... Can't Continue");
  return 1;
}

}  // namespace

// ---- the layer scan ------------------------------------------------------------------------

int DxfInLayerScan(DxfInState* st) {
  st->abort = 0;
  st->nLayers = 0;
  if (!InputOpen(st)) return 0;
  static DxfGroup g;
  Walk w;
  int n = 0, seen = 0, r;
  while ((r = DxfGroupRead(st, &g)) > 0) {
    int wasLayer = w.layerTable;
    WalkGroup(&w, &g);
    if (w.layerTable) seen = 1;
    if (wasLayer && !w.layerTable) break;  // the table is over
    if (!w.layerTable || w.kind != K_LAYER || g.code != 2 || n >= DXFIN_LAYERROWS) continue;
    char name[DXFIN_LAYERNAME + 1];
    snprintf(name, sizeof name, "%.*s", DXFIN_LAYERNAME, g.val);
    int dup = 0;
    for (int i = 0; i < n; ++i)
      if (CnvSameName(st->layers[i].name, name)) dup = 1;
    if (dup || !name[0]) continue;
    snprintf(st->layers[n].name, sizeof st->layers[n].name, "%s", name);
    ++n;
  }
  int failed = r < 0 || !ReadError(st);
  InputClose(st);
  (void)seen;
  if (failed) return 0;
  if (n == 0) return Fail(st, "Layers Not Found in DXF File ... Can't Continue");
  for (int i = 0; i < DXFIN_LAYERROWS; ++i)
    snprintf(st->lnum[i], DXFIN_VALLEN, "%s", i < n ? st->layers[i].name : "");
  st->nLayers = n;
  DxfInLayersTake(st);
  return n;
}

// ---- names ----------------------------------------------------------------------------------

namespace {

// 1 when name can't be the cell of entry upto: not a usable cell name, or
// the cell of an entry before it.
int CellNameBad(DxfInState* st, const char* name, int upto) {
  if (!name[0] || strlen(name) > DXFIN_NAMELEN || !CellNameValid(name)) return 1;
  for (int i = 0; i < upto; ++i)
    if (CnvSameName(st->blocks[i].cell, name)) return 1;
  return 0;
}

// NEWNAME's proposal: characters up to blank and the ones cell names refuse
// become '_', a reserved name "?", cut at 32.
void Proposal(const char* name, char* out) {
  static const char kRefused[] = " \"*+'`./:;<=>?\\|()%";
  int n = 0;
  for (const unsigned char* p = (const unsigned char*)name; *p && n < DXFIN_NAMELEN; ++p)
    out[n++] = (*p <= ' ' || *p >= 0x7f || strchr(kRefused, *p)) ? '_' : (char)*p;
  out[n] = 0;
  if (n && !CellNameValid(out)) snprintf(out, DXFIN_NAMELEN + 1, "?");
}

int CellNames(DxfInState* st) {
  char msg[400];
  for (int i = 0; i < st->nBlocks; ++i) {
    DxfBlock& b = st->blocks[i];
    char tried[DXFIN_NAMELEN + 1];
    char illegal[DXFIN_BLOCKNAMELEN + 1];
    snprintf(illegal, sizeof illegal, "%s", b.name);
    int renamed = 0;
    if (!CellNameBad(st, b.name, i)) {
      snprintf(b.cell, sizeof b.cell, "%.*s", DXFIN_NAMELEN, b.name);
      continue;
    }
    Proposal(b.name, tried);
    for (int ask = 0;; ++ask) {
      if (!st->newName || ask >= 1000) {
        snprintf(msg, sizeof msg, "Block Name \"%.64s\" can't be a Cell Name ... Can't Continue", b.name);
        return Fail(st, msg);
      }
      if (!st->newName(illegal, tried)) {
        snprintf(b.cell, sizeof b.cell, "NONAME");
        st->abort = 1;
        return 0;
      }
      tried[DXFIN_NAMELEN] = 0;
      for (char* p = tried; *p; ++p) *p = (char)toupper((unsigned char)*p);
      renamed = 1;
      if (!CellNameBad(st, tried, i)) break;
      snprintf(illegal, sizeof illegal, "%s", tried);
    }
    snprintf(b.cell, sizeof b.cell, "%s", tried);
    if (renamed) {
      snprintf(msg, sizeof msg, "Block %.64s --> Cell %s", b.name, b.cell);
      DxfInList(st, msg);
    }
  }
  return 1;
}

// The rank in the header of an old-form cell file, 0 when the file is new
// form or has none. *found tells whether the file is there.
int PreviousRank(DxfInState* st, const char* cell, int* found) {
  char path[2 * CNV_PATHLEN + 8];
  snprintf(path, sizeof path, "%s%s.tlc", st->outFolder, cell);
  FILE* f = SatOpen(path, "r");
  *found = f != nullptr;
  if (!f) return 0;
  char line[256];
  int rank = 0;
  for (int n = 0; n < 5000 && fGetLine(line, sizeof line, f); ++n) {
    strclip(line, 0);
    if (strcmp(line, "<H>") == 0) break;
    if (strcmp(line, "=H") != 0) continue;
    // Name, two versions, scale, unit, date, time: then the rank's line.
    int k = 0;
    while (k < 7 && fGetLine(line, sizeof line, f)) ++k;
    if (k == 7 && fGetLine(line, sizeof line, f)) rank = atoi(line);
    break;
  }
  fclose(f);
  return rank;
}

}  // namespace

// ---- the hierarchy passes -------------------------------------------------------------------

static int HierarchyPass(DxfInState* st, int pass, int* changed) {
  *changed = 0;
  if (pass == 1) {
    if (!Rewind(st, 0, 0)) return 0;
  } else {
    if (!st->blocksSeen) return 1;
    if (!Rewind(st, st->blocksAt, st->blocksLine)) return 0;
  }
  static DxfGroup g;
  Walk w;
  if (pass > 1) w.section = S_BLOCKS;
  int cur = -1, curRank = 1, inBlock = 0;
  int r;
  char msg[400];
  long groups = 0;
  while ((r = DxfGroupRead(st, &g)) > 0) {
    if ((++groups & 0xFFFFF) == 0) {
      Poll(st, 0);
      if (st->abort) return 0;
    }
    int wasBlocks = w.section == S_BLOCKS;
    if (WalkGroup(&w, &g)) {
      if (w.section == S_BLOCKS && !st->blocksSeen) {
        st->blocksSeen = 1;
        st->blocksAt = DxfSrcTell(&st->src);
        st->blocksLine = st->src.line;
      }
      continue;
    }
    if (wasBlocks && w.section != S_BLOCKS) break;  // the BLOCKS section is over
    if (w.section != S_BLOCKS) continue;
    if (g.code == 0) {
      if (w.kind == K_BLOCK) {
        inBlock = 1;
        cur = -1;
        curRank = 1;
      } else if (w.kind == K_ENDBLK) {
        if (cur >= 0 && st->blocks[cur].rank != curRank) {
          st->blocks[cur].rank = curRank;
          *changed = 1;
        }
        inBlock = 0;
        cur = -1;
      }
      continue;
    }
    if (g.code != 2 || !inBlock) continue;
    if (w.kind == K_BLOCK && cur < 0) {
      int added = 0;
      int i = BlockEnter(st, g.val, &added);
      if (i < 0) return 0;
      if (added) *changed = 1;
      DxfBlock& b = st->blocks[i];
      b.defined = 1;
      cur = i;
      curRank = b.rank;
      snprintf(msg, sizeof msg, "Reading Block %.64s ...", b.name);
      Counter(st, 514, msg);
      Poll(st, 500);
      if (st->abort) return 0;
    } else if (w.kind == K_INSERT && cur >= 0) {
      int added = 0;
      int i = BlockEnter(st, g.val, &added);
      if (i < 0) return 0;
      if (added) *changed = 1;
      if (st->blocks[i].rank >= curRank) curRank = st->blocks[i].rank + 1;
      // The main cell stands above every block.
      if (curRank > DXFIN_MAXRANK - 1) {
        snprintf(msg, sizeof msg,
                 "Block %.64s Inserts Itself or is Nested Deeper than %d Levels ... Can't Continue",
                 st->blocks[cur].name, DXFIN_MAXRANK - 1);
        return Fail(st, msg);
      }
    }
  }
  if (r < 0 || !ReadError(st)) return 0;
  return 1;
}

// ---- construction -----------------------------------------------------------------------------

namespace {

struct Ent {
  int kind;
  long line;
  char layer[DXFIN_LAYERNAME + 1];
  int hasLayer;
  double x[4], y[4];
  int have;  // bit k: point k (groups 1k, 2k) seen
  double g40, g41, g42, g44, g45, g50, g51;
  int has40, has50, has51;
  long g70, g71;
  char text[DXFIN_TEXTMAX + 1];
  char name[DXFIN_BLOCKNAMELEN + 1];
};

struct Poly {
  int active;
  int layer;
  int32_t width;
  int closedFlag;
  long vertices;      // vertices so far
  long points;        // points of the whole polyline so far
  int32_t fx, fy;     // its first vertex
  double lastBulge;   // the bulge of the last vertex
  int broken;
};

struct Conv {
  DxfInState* st;
  int open;      // a cell file is open
  int skip;      // the current block keeps its previous cell file
  int cell;      // block index of the open cell, -1 none
  int mainDone;
  double bx, by;  // the block's base point: its cell's origin
  Ent e;
  Poly p;
  int n;
  int32_t x[DXFIN_MAXPOINTS + 8], y[DXFIN_MAXPOINTS + 8];
  int32_t arcX[DXFIN_MAXPOINTS], arcY[DXFIN_MAXPOINTS];
};

const char* CellName(Conv* c) { return c->cell >= 0 ? c->st->blocks[c->cell].cell : ""; }

int RangeFail(Conv* c) {
  char msg[200];
  snprintf(msg, sizeof msg, "Coordinate out of Range at Line %ld in %s ... Can't Continue", c->e.line, CellName(c));
  DxfFail(c->st, msg);
  return 0;
}

// A DXF value in TLC units, rounded; 0 (after the message) beyond the TLC
// range.
int Scaled(Conv* c, double v, int32_t* out) {
  double t = v * c->st->s;
  if (!DxfInRange(t)) return RangeFail(c);
  *out = (int32_t)CnvRound(t);
  return 1;
}

int Point(Conv* c, int k, int32_t* x, int32_t* y) {
  return Scaled(c, c->e.x[k] - c->bx, x) && Scaled(c, c->e.y[k] - c->by, y);
}

// The TLC layer of the entity: 64 without a layer group; 0 after the
// message when its DXF layer is not mapped.
int LayerOf(Conv* c) {
  if (!c->e.hasLayer) return 64;
  DxfInState* st = c->st;
  for (int i = 0; i < st->nLayers; ++i)
    if (st->layers[i].tlc > 0 && CnvSameName(st->layers[i].name, c->e.layer)) return st->layers[i].tlc;
  DxfFail(st, "Entity Layer Not in Layer Table");
  return 0;
}

void FigureWrite(Conv* c, int layer, int32_t w, const int32_t* x, const int32_t* y, int n) {
  if (n < 2) return;
  TLCp.lyr = layer;
  TLCp.w = w;
  TLCp.nv = n;
  memcpy(TLCp.x, x, sizeof(int32_t) * (size_t)n);
  memcpy(TLCp.y, y, sizeof(int32_t) * (size_t)n);
  WriteP();
  ++c->st->cur.paths;
  c->st->cur.vertices += n;
}

void TextWrite(Conv* c, int layer, int32_t size, int o, int32_t x, int32_t y, const char* text) {
  TLCt.lyr = layer;
  TLCt.size = size;
  TLCt.o = o;
  TLCt.x = x;
  TLCt.y = y;
  snprintf(TLCt.text, sizeof TLCt.text, "%.*s", DXFIN_TEXTMAX, text);
  int n = (int)strlen(TLCt.text);
  TLCt.nv = n ? (n - 1) / 8 + 2 : 2;
  WriteT();
  ++c->st->cur.texts;
  c->st->cur.vertices += TLCt.nv;
}

// "<<name>>" on layer 256, its size the scale.
void MarkerWrite(Conv* c, const char* name, int32_t x, int32_t y) {
  char text[DXFIN_TEXTMAX + 1];
  snprintf(text, sizeof text, "<<%.*s>>", DXFIN_TEXTMAX - 4, name);
  int64_t size = CnvRound(c->st->s);
  if (size < 1) size = 1;
  if (size > 9830400) size = 9830400;
  TextWrite(c, 256, (int32_t)size, 0, x, y, text);
}

// ---- cells ----

int CellOpen(Conv* c, int i) {
  DxfInState* st = c->st;
  DxfBlock& b = st->blocks[i];
  c->cell = i;
  c->bx = c->by = 0;
  st->cur = DxfInCounts{0, 0, 0, 0, 0};
  c->p.active = 0;
  if (b.written) {
    char msg[200];
    snprintf(msg, sizeof msg, "Block %.64s is Defined Again ... Skipped", b.name);
    Note(st, msg);
    c->skip = 1;
    return 1;
  }
  // The ENTITIES section's cell is always made anew.
  if (!st->writeAll && b.tlcFound && !b.isMain) {
    c->skip = 1;
    return 1;
  }
  c->skip = 0;
  char msg[200];
  snprintf(msg, sizeof msg, "%s.tlc", b.cell);
  Counter(st, 514, msg);
  DxfInList(st, msg);
  CounterNum(st, 502, b.rank);
  Poll(st, 500);
  if (st->abort) return 0;
  if (!SatTlcCreate(b.cell)) {
    snprintf(msg, sizeof msg, "Unable to Write %s.tlc File ... Can't Continue", b.cell);
    return Fail(st, msg);
  }
  c->open = 1;
  return 1;
}

// The name of a layer-map row as a TLC layer name: 8 characters, no blanks.
void LayerName(const char* in, char* out) {
  int n = 0;
  for (; in[n] && n < 8; ++n) out[n] = ((unsigned char)in[n] <= ' ' || (unsigned char)in[n] > '~') ? '_' : in[n];
  out[n] = 0;
}

int CellClose(Conv* c);

void PolyEnd(Conv* c);

int CellClose(Conv* c) {
  DxfInState* st = c->st;
  if (c->p.active) PolyEnd(c);
  if (st->abort) return 0;
  if (!c->open) {
    c->skip = 0;
    c->cell = -1;
    return 1;
  }
  DxfBlock& b = st->blocks[c->cell];
  DxfInCounts& k = st->cur;
  if (k.paths + k.texts + k.boxes + k.calls == 0) MarkerWrite(c, b.name, 0, 0);
  snprintf(TLCh.name, sizeof TLCh.name, "%s", b.cell);
  TLCh.scale = st->s;
  snprintf(TLCh.unit, sizeof TLCh.unit, "%.*s", TLC_UNIT_LEN, st->val[DI_PSU]);
  snprintf(TLCh.date, sizeof TLCh.date, "%.8s", st->date);
  snprintf(TLCh.time, sizeof TLCh.time, "%.8s", st->time);
  TLCh.rank = b.rank;
  TLCh.l = 0;
  TLCh.b = 0;
  TLCh.r = 100;
  TLCh.t = 100;
  TLCh.nb = (int32_t)k.boxes;
  TLCh.np = (int32_t)(k.paths + k.texts);
  TLCh.nv = (int32_t)k.vertices;
  TLCh.nc = (int32_t)k.calls;
  WriteH();
  FILE* f = TlcWriter.file;
  if (!st->omt && f) {
    int rows = 0;
    for (int i = 0; i < st->nLayers; ++i)
      if (st->layers[i].tlc >= 1 && st->layers[i].tlc <= 256) ++rows;
    int bad = fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", rows) < 0;
    for (int i = 0; i < st->nLayers; ++i) {
      if (st->layers[i].tlc < 1 || st->layers[i].tlc > 256) continue;
      char name[9];
      LayerName(st->layers[i].name, name);
      if (fprintf(f, "%s %d\n", name, st->layers[i].tlc) < 0) bad = 1;
    }
    if (!st->old && fprintf(f, "</L>\n") < 0) bad = 1;
    if (bad) TlcWriter.failed = 1;
  }
  c->open = 0;
  char msg[200];
  if (!TlcWriteClose()) {
    snprintf(msg, sizeof msg, "Unable to Write %s.tlc File ... Can't Continue", b.cell);
    return Fail(st, msg);
  }
  b.written = 1;
  ++st->files;
  DxfInCounts& m = st->max;
  if (k.paths > m.paths) m.paths = k.paths;
  if (k.texts > m.texts) m.texts = k.texts;
  if (k.vertices > m.vertices) m.vertices = k.vertices;
  if (k.calls > m.calls) m.calls = k.calls;
  if (k.boxes > m.boxes) m.boxes = k.boxes;
  if (b.rank > st->highestRank) st->highestRank = b.rank;
  const int ids[5] = {504, 505, 506, 507, 509};
  const int maxIds[5] = {510, 511, 512, 513, 515};
  const long v[5] = {k.paths, k.texts, k.vertices, k.calls, k.boxes};
  const long mv[5] = {m.paths, m.texts, m.vertices, m.calls, m.boxes};
  for (int i = 0; i < 5; ++i) {
    CounterNum(st, ids[i], v[i]);
    CounterNum(st, maxIds[i], mv[i]);
  }
  CounterNum(st, 508, st->highestRank);
  Poll(st, 50);
  if (st->log)
    fprintf(st->log, "%-16s%-6d%-8ld%-8ld%-8ld%-8ld%-8ld\n", "", b.rank, k.paths, k.boxes, k.texts, k.vertices,
            k.calls);
  c->cell = -1;
  return st->abort ? 0 : 1;
}

// ---- figures ----

int Line(Conv* c) {
  if (!c->st->cvl) return 1;
  int layer = LayerOf(c);
  if (!layer) return 0;
  int32_t x[2], y[2];
  if (!Point(c, 0, &x[0], &y[0]) || !Point(c, 1, &x[1], &y[1])) return 0;
  FigureWrite(c, layer, 0, x, y, 2);
  return 1;
}

int Radius(Conv* c, double* r) {
  double v = c->e.has40 ? std::fabs(c->e.g40 * c->st->s) : 100;
  if (!DxfInRange(v)) return RangeFail(c);
  *r = v;
  return 1;
}

// A point about the centre, rounded; 0 beyond the range.
int About(Conv* c, double cx, double cy, double r, double a, int32_t* x, int32_t* y) {
  double px = cx + r * std::cos(a), py = cy + r * std::sin(a);
  if (!DxfInRange(px) || !DxfInRange(py)) return RangeFail(c);
  *x = (int32_t)CnvRound(px);
  *y = (int32_t)CnvRound(py);
  return 1;
}

const double kDeg = 0.017453292520882225;

int Circle(Conv* c) {
  DxfInState* st = c->st;
  if (!st->cvc) return 1;
  int layer = LayerOf(c);
  if (!layer) return 0;
  int32_t cx, cy;
  double r;
  if (!Point(c, 0, &cx, &cy) || !Radius(c, &r)) return 0;
  int n = (int)(360 / st->seg);
  if (n < 1) n = 1;
  int step = 360 / n;
  int k = 0;
  for (int deg = 0; deg * kDeg < 6.2831853 - step * kDeg / 2 && k < DXFIN_MAXPOINTS - 1; deg += step, ++k)
    if (!About(c, cx, cy, r, deg * kDeg, &c->x[k], &c->y[k])) return 0;
  c->x[k] = c->x[0];
  c->y[k] = c->y[0];
  FigureWrite(c, layer, 0, c->x, c->y, k + 1);
  return 1;
}

int Arc(Conv* c) {
  DxfInState* st = c->st;
  if (!st->cva) return 1;
  int layer = LayerOf(c);
  if (!layer) return 0;
  int32_t cx, cy;
  double r;
  if (!Point(c, 0, &cx, &cy) || !Radius(c, &r)) return 0;
  double a0 = c->e.has50 ? c->e.g50 : 0, a1 = c->e.has51 ? c->e.g51 : 90;
  if (!std::isfinite(a0)) a0 = 0;
  if (!std::isfinite(a1)) a1 = 0;
  a0 = std::fmod(a0, 360.0);
  a1 = std::fmod(a1, 360.0);
  if (a0 < 0) a0 += 360;
  if (a1 < 0) a1 += 360;
  double sweep = a1 - a0;
  double size = std::fabs(sweep);
  if (sweep == 0) sweep = size = 360;  // a full turn
  if (st->cw) {
    if (sweep > 0) sweep -= 360;
  } else if (sweep < 0) {
    sweep += 360;
  }
  // Segments counted from the angles as given; at least one.
  int k = (int)(size / st->seg);
  if (k < 1) k = 1;
  int n = 0;
  for (int i = 0; i <= k; ++i, ++n)
    if (!About(c, cx, cy, r, (a0 + i * sweep / k) * kDeg, &c->x[n], &c->y[n])) return 0;
  if (st->coa && (c->x[n - 1] != c->x[0] || c->y[n - 1] != c->y[0])) {
    c->x[n] = cx;
    c->y[n] = cy;
    c->x[n + 1] = c->x[0];
    c->y[n + 1] = c->y[0];
    n += 2;
  }
  FigureWrite(c, layer, 0, c->x, c->y, n);
  return 1;
}

int Solid(Conv* c) {
  DxfInState* st = c->st;
  if (!st->cvs) return 1;
  if ((c->e.have & 15) != 15) {
    Note(st, "Not Enough Points in Solid");
    return 1;
  }
  int layer = LayerOf(c);
  if (!layer) return 0;
  int32_t x[5], y[5];
  for (int k = 0; k < 4; ++k)
    if (!Point(c, k, &x[k], &y[k])) return 0;
  if (st->s2b) {
    TLCb.lyr = layer;
    TLCb.l = x[0] < x[2] ? x[0] : x[2];
    TLCb.r = x[0] < x[2] ? x[2] : x[0];
    TLCb.b = y[0] < y[2] ? y[0] : y[2];
    TLCb.t = y[0] < y[2] ? y[2] : y[0];
    WriteB();
    ++st->cur.boxes;
    return 1;
  }
  // DXF gives the corners as 1 2 4 3 around the outline.
  int32_t px[5] = {x[0], x[1], x[3], x[2], x[0]}, py[5] = {y[0], y[1], y[3], y[2], y[0]};
  if (x[2] == x[3] && y[2] == y[3]) {
    const int32_t tx[4] = {x[0], x[1], x[2], x[0]}, ty[4] = {y[0], y[1], y[2], y[0]};
    FigureWrite(c, layer, 0, tx, ty, 4);
  } else {
    FigureWrite(c, layer, 0, px, py, 5);
  }
  return 1;
}

int Text(Conv* c) {
  DxfInState* st = c->st;
  if (!st->ctx) return 1;
  int layer = LayerOf(c);
  if (!layer) return 0;
  int32_t x, y;
  if (!Point(c, 0, &x, &y)) return 0;
  double h = std::fabs((c->e.has40 ? c->e.g40 : st->textHeight) * st->s);
  if (!std::isfinite(h)) h = 0;
  double size = std::floor(h / 15 + 0.5) * 15;
  if (size < 15) size = 15;
  if (size > 9830400) size = 9830400;
  int o = DxfOrient(c->e.has50 ? c->e.g50 : 0, (int)(c->e.g71 & 6));
  TextWrite(c, layer, (int32_t)size, o, x, y, c->e.text);
  return 1;
}

int Insert(Conv* c) {
  DxfInState* st = c->st;
  char up[DXFIN_BLOCKNAMELEN + 1];
  Upper(up, sizeof up, c->e.name);
  int i = BlockFind(st, up);
  int32_t x, y;
  if (!Point(c, 0, &x, &y)) return 0;
  char msg[400];
  if (i < 0 || (!st->blocks[i].defined && !st->blocks[i].tlcFound) || st->blocks[i].isMain) {
    snprintf(msg, sizeof msg, "Block %.64s is Missing ... Text Marker Added", up);
    Note(st, msg);
    MarkerWrite(c, up, x, y);
    return 1;
  }
  long cols = c->e.g70 < 1 ? 1 : c->e.g70, rows = c->e.g71 < 1 ? 1 : c->e.g71;
  if ((double)cols * (double)rows > DXFIN_MAXREFS) {
    snprintf(msg, sizeof msg, "INSERT of %.64s Asks for %.0f References (more than %d) at Line %ld ... Can't Continue",
             up, (double)cols * (double)rows, DXFIN_MAXREFS, c->e.line);
    return Fail(st, msg);
  }
  int flags = (c->e.g41 < 0 ? 2 : 0) | (c->e.g42 < 0 ? 4 : 0);
  int o = DxfOrient(c->e.has50 ? c->e.g50 : 0, flags);
  double dx = c->e.g44 * st->s, dy = c->e.g45 * st->s;
  if (!std::isfinite(dx) || !std::isfinite(dy)) return RangeFail(c);
  tlccel& cell = TLCc[0];
  snprintf(cell.name, sizeof cell.name, "%s", st->blocks[i].cell);
  cell.o = o;
  cell.r = 0;
  for (long row = 0; row < rows; ++row)
    for (long col = 0; col < cols; ++col) {
      double px = CnvRound(x + col * dx), py = CnvRound(y + row * dy);
      if (!DxfInRange(px) || !DxfInRange(py)) return RangeFail(c);
      cell.x = (int32_t)px;
      cell.y = (int32_t)py;
      WriteC(0);
      ++st->cur.calls;
    }
  return 1;
}

// ---- polylines ----

void PolyFlush(Conv* c) {
  FigureWrite(c, c->p.layer, c->p.width, c->x, c->y, c->n);
}

int PolyStart(Conv* c) {
  Poly& p = c->p;
  p = Poly{};
  int layer = LayerOf(c);
  if (!layer) return 0;
  double w = std::fabs(c->e.g40 * c->st->s);
  if (!DxfInRange(w)) return RangeFail(c);
  p.active = 1;
  p.layer = layer;
  p.width = (int32_t)CnvRound(w);
  p.closedFlag = (int)(c->e.g70 & 1);
  c->n = 0;
  return 1;
}

// The arc points of the last bulge up to (x, y), appended.
int PolyArc(Conv* c, int32_t x, int32_t y) {
  Poly& p = c->p;
  if (p.lastBulge == 0 || c->n == 0) return 1;
  int clamped = 0;
  int k = DxfBulgeArc(c->x[c->n - 1], c->y[c->n - 1], x, y, p.lastBulge, c->st->seg, c->arcX, c->arcY,
                      DXFIN_MAXPOINTS - 2 - c->n, &clamped);
  if (k < 0) return RangeFail(c);
  if (clamped) {
    char msg[200];
    snprintf(msg, sizeof msg, "Curve Fit Arc Exceeds 270 deg in %s", CellName(c));
    Note(c->st, msg);
  }
  memcpy(c->x + c->n, c->arcX, sizeof(int32_t) * (size_t)k);
  memcpy(c->y + c->n, c->arcY, sizeof(int32_t) * (size_t)k);
  c->n += k;
  p.points += k;
  return 1;
}

int Vertex(Conv* c) {
  Poly& p = c->p;
  int32_t x, y;
  if (!Point(c, 0, &x, &y)) return 0;
  if (!PolyArc(c, x, y)) return 0;
  c->x[c->n] = x;
  c->y[c->n] = y;
  ++c->n;
  ++p.points;
  if (p.vertices++ == 0) {
    p.fx = x;
    p.fy = y;
  }
  double b = std::isfinite(c->e.g42) ? c->e.g42 : 0;
  p.lastBulge = b;
  int pending = DxfBulgeCount(b, c->st->seg);
  if (c->n + pending > DXFIN_BREAKAT) {
    if (!p.broken) {
      char msg[200];
      snprintf(msg, sizeof msg, "Polyline Broken into Pieces in %s", CellName(c));
      Note(c->st, msg);
    }
    p.broken = 1;
    PolyFlush(c);
    c->x[0] = x;
    c->y[0] = y;
    c->n = 1;
  }
  return 1;
}

void PolyEnd(Conv* c) {
  Poly& p = c->p;
  DxfInState* st = c->st;
  p.active = 0;
  if (st->abort) return;
  int closeIt = p.closedFlag || p.lastBulge != 0 || (p.width == 0 ? st->cop : st->cwp);
  if (closeIt && p.points >= 3 && c->n > 0 && (c->x[c->n - 1] != p.fx || c->y[c->n - 1] != p.fy)) {
    if (!PolyArc(c, p.fx, p.fy)) return;
    c->x[c->n] = p.fx;
    c->y[c->n] = p.fy;
    ++c->n;
  }
  PolyFlush(c);
  c->n = 0;
}

// ---- entities ----

void EntStart(Ent* e, int kind, long line) {
  e->kind = kind;
  e->line = line;
  e->hasLayer = 0;
  e->layer[0] = 0;
  e->have = 0;
  e->x[0] = e->y[0] = e->x[1] = e->y[1] = e->x[2] = e->y[2] = e->x[3] = e->y[3] = 0;
  e->g40 = e->g41 = e->g42 = e->g44 = e->g45 = e->g50 = e->g51 = 0;
  e->has40 = e->has50 = e->has51 = 0;
  e->g70 = e->g71 = 0;
  e->text[0] = 0;
  e->name[0] = 0;
}

void EntGroup(Ent* e, const DxfGroup* g) {
  switch (g->code) {
    case 1:
      snprintf(e->text, sizeof e->text, "%.*s", DXFIN_TEXTMAX, g->val);
      break;
    case 2:
      snprintf(e->name, sizeof e->name, "%.*s", DXFIN_BLOCKNAMELEN, g->val);
      break;
    case 8:
      snprintf(e->layer, sizeof e->layer, "%.*s", DXFIN_LAYERNAME, g->val);
      e->hasLayer = 1;
      break;
    case 10: case 11: case 12: case 13:
      e->x[g->code - 10] = DxfReal(g);
      e->have |= 1 << (g->code - 10);
      break;
    case 20: case 21: case 22: case 23:
      e->y[g->code - 20] = DxfReal(g);
      break;
    case 40: e->g40 = DxfReal(g); e->has40 = 1; break;
    case 41: e->g41 = DxfReal(g); break;
    case 42: e->g42 = DxfReal(g); break;
    case 44: e->g44 = DxfReal(g); break;
    case 45: e->g45 = DxfReal(g); break;
    case 50: e->g50 = DxfReal(g); e->has50 = 1; break;
    case 51: e->g51 = DxfReal(g); e->has51 = 1; break;
    case 70: e->g70 = DxfInt(g); break;
    case 71: e->g71 = DxfInt(g); break;
    default: break;
  }
}

// The entity whose groups are all read: written into the open cell.
int EntEnd(Conv* c) {
  if (c->e.kind == K_BLOCK && c->cell >= 0 && (c->e.have & 1)) {
    c->bx = std::isfinite(c->e.x[0]) ? c->e.x[0] : 0;
    c->by = std::isfinite(c->e.y[0]) ? c->e.y[0] : 0;
  }
  if (c->skip || !c->open) return 1;
  switch (c->e.kind) {
    case K_LINE: return Line(c);
    case K_CIRCLE: return Circle(c);
    case K_ARC: return Arc(c);
    case K_SOLID: return Solid(c);
    case K_TEXT: return Text(c);
    case K_INSERT: return Insert(c);
    case K_POLYLINE: return PolyStart(c);
    case K_VERTEX: return c->p.active ? Vertex(c) : 1;
    case K_SEQEND:
      if (c->p.active) PolyEnd(c);
      return c->st->abort ? 0 : 1;
    default: return 1;
  }
}

int MainIndex(DxfInState* st) { return st->nBlocks - 1; }

int Construct(DxfInState* st) {
  static Conv c;
  c.st = st;
  c.open = c.skip = 0;
  c.cell = -1;
  c.mainDone = 0;
  c.p = Poly{};
  c.n = 0;
  EntStart(&c.e, K_NONE, 0);
  st->textHeight = 2.5;
  if (!Rewind(st, 0, 0)) return 0;
  static DxfGroup g;
  Walk w;
  int r;
  int textSizeVar = 0;
  int mainOpen = 0;
  long groups = 0;
  while ((r = DxfGroupRead(st, &g)) > 0) {
    if ((++groups & 0xFFFF) == 0) {
      Poll(st, 0);
      if (st->abort) return 0;
    }
    int section = w.section;
    int kindBefore = w.kind;
    if (g.code == 0 && (section == S_BLOCKS || section == S_ENTITIES)) {
      // The entity before this group is complete.
      if (!EntEnd(&c)) return 0;
    }
    if (WalkGroup(&w, &g)) {
      if (w.section == S_ENTITIES && !c.mainDone && !mainOpen) {
        if (!CellOpen(&c, MainIndex(st))) return 0;
        mainOpen = 1;
      }
      continue;
    }
    if (section == S_ENTITIES && w.section != S_ENTITIES && mainOpen) {
      if (!CellClose(&c)) return 0;
      mainOpen = 0;
      c.mainDone = 1;
    }
    if (w.section == S_HEADER) {
      if (g.code == 9) textSizeVar = DxfIs(&g, "$TEXTSIZE");
      else if (g.code == 40 && textSizeVar) st->textHeight = DxfReal(&g);
      continue;
    }
    if (w.section != S_BLOCKS && w.section != S_ENTITIES) continue;
    if (g.code == 0) {
      if (c.p.active && w.kind != K_VERTEX && w.kind != K_SEQEND) {
        PolyEnd(&c);
        if (st->abort) return 0;
      }
      if (w.section == S_BLOCKS && w.kind == K_ENDBLK && c.cell >= 0 && !mainOpen) {
        if (!CellClose(&c)) return 0;
      }
      EntStart(&c.e, w.kind, g.line);
      continue;
    }
    if (w.section == S_BLOCKS && w.kind == K_BLOCK && g.code == 2 && c.cell < 0 && !mainOpen) {
      char up[DXFIN_BLOCKNAMELEN + 1];
      Upper(up, sizeof up, g.val);
      int i = BlockFind(st, up);
      if (i >= 0 && !CellOpen(&c, i)) return 0;
      continue;
    }
    (void)kindBefore;
    EntGroup(&c.e, &g);
  }
  if (r < 0 || !ReadError(st)) return 0;
  if (!EntEnd(&c)) return 0;
  if (c.cell >= 0 && !CellClose(&c)) return 0;
  if (!c.mainDone) {
    // A file without entities still gives its main cell.
    if (!CellOpen(&c, MainIndex(st))) return 0;
    if (!CellClose(&c)) return 0;
  }
  return st->abort ? 0 : 1;
}

}  // namespace

// ---- the run ----------------------------------------------------------------------------------

static int LayersTld(DxfInState* st) {
  char path[2 * CNV_PATHLEN + 20];
  snprintf(path, sizeof path, "%slayers_%s.tld", st->outFolder, st->dxfName);
  FILE* f = SatOpen(path, "wt");
  if (!f) return 0;
  fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", st->nLayers);
  for (int i = 0; i < st->nLayers; ++i) {
    char name[9];
    LayerName(st->layers[i].name, name);
    fprintf(f, "%s %d\n", name, st->layers[i].tlc);
  }
  if (!st->old) fprintf(f, "</L>\n</TLC>\n");
  return CnvFileClose(&f);
}

static void LogCollection(DxfInState* st) {
  FILE* f = st->log;
  if (!f) return;
  // Ascending rank, the table's order kept among equals.
  static int order[DXFIN_MAXBLOCKS + 1];
  int n = st->nBlocks;
  for (int i = 0; i < n; ++i) order[i] = i;
  for (int i = 1; i < n; ++i) {
    int v = order[i], j = i;
    while (j > 0 && st->blocks[order[j - 1]].rank > st->blocks[v].rank) {
      order[j] = order[j - 1];
      --j;
    }
    order[j] = v;
  }
  fprintf(f, "\n%d Cells in New Cell Collection\n", n);
  fprintf(f, "\nCell                             Rank    DXF   TLC    Block\n");
  fprintf(f, "%s\n", "------------------------------------------------------------");
  for (int i = 0; i < n; ++i) {
    const DxfBlock& b = st->blocks[order[i]];
    fprintf(f, "%-34s%-8d%-6c%-6c%-24.64s\n", b.cell, b.rank, b.defined ? 'Y' : 'N', b.tlcFound ? 'Y' : 'N',
            b.isMain ? "" : b.name);
  }
  fprintf(f, "\nTLC Files:\n\n");
  fprintf(f, "Cell           Rank  Paths   Boxes   Text   (Vertex) Cells\n");
  fprintf(f, "%s\n", "----------------------------------------------------------");
}

static int Run(DxfInState* st) {
  char msg[3 * CNV_PATHLEN];
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->nBlocks = 0;
  memset(st->blockHash, 0, sizeof st->blockHash);
  st->highestRank = 0;
  st->cur = st->max = DxfInCounts{0, 0, 0, 0, 0};
  st->files = 0;
  st->notes = 0;
  st->abort = 0;
  st->blocksSeen = 0;
  st->blocksAt = 0;
  st->blocksLine = 0;
  DxfInSetupApply(st, 0);
  if (st->nLayers == 0) return Fail(st, DxfInLayersFirst);

  snprintf(st->outFolder, sizeof st->outFolder, "%s", st->val[DI_TPH]);
  if (!PathDiffer(st->outFolder, ""))
    return Fail(st, "Cell Files will be Written to the Drawing Folder ... Can't Continue");
  switch (SatMkdir(st->outFolder)) {
    case SAT_MKDIR_MADE:
      snprintf(msg, sizeof msg, "Folder %s was Created", st->outFolder);
      HostMsgBox(msg, DxfInDisplayName, HOST_CAP_PROGRAM, HOST_OK);
      break;
    case SAT_MKDIR_THERE:
      break;
    default:
      snprintf(msg, sizeof msg, "Folder %s is Invalid", st->outFolder);
      return Fail(st, msg);
  }
  if (!TlcOutputSet(st->outFolder)) return Fail(st, "Unable to Write TLC File ... Can't Continue");
  WriteOldTlc = st->old;
  char d[CNV_PATHLEN], f[CNV_PATHLEN], e[CNV_PATHLEN];
  CnvPathSplit(st->val[DI_DFN], d, f, st->dxfName, e);
  CnvPathSplit(st->val[DI_TFN], d, f, st->mainName, e);
  if (!InputOpen(st)) return 0;
  st->log = SatOpen(st->val[DI_WR2], "wt");
  if (!st->log) return Fail(st, "Unable to Write Log File ... Can't Continue");
  snprintf(msg, sizeof msg, "TLC Scale:  %s per %s\n", st->val[DI_LSU], st->val[DI_PSU]);
  Counter(st, 520, msg);

  // Hierarchy: passes until one changes nothing.
  for (int pass = 1;; ++pass) {
    if (pass > DXFIN_MAXPASSES)
      return Fail(st, "Blocks of the DXF File Insert Each Other ... Can't Continue");
    snprintf(msg, sizeof msg, "Building Hierarchy ... Pass %d", pass);
    Counter(st, 500, msg);
    if (pass == 1) {
      fprintf(st->log, "*** DXF to TLC Conversion Log  %s  %s  %s\n\n", QUIL_VERSION, st->date, st->time);
      fprintf(st->log, "Note: Read Text with Fixed Pitch Font\n\n");
      fprintf(st->log, "DXF File Name: %s\n", st->val[DI_DFN]);
      fprintf(st->log, "QUIL Scale: %s per 1%s\n", st->val[DI_LSU], st->val[DI_PSU]);
    }
    int changed = 0;
    if (!HierarchyPass(st, pass, &changed)) return 0;
    if (!changed) break;
  }

  // The main cell last, above every block.
  int top = 0;
  for (int i = 0; i < st->nBlocks; ++i)
    if (st->blocks[i].rank > top) top = st->blocks[i].rank;
  if (st->nBlocks >= DXFIN_MAXBLOCKS) return Fail(st, "Too Many Blocks in DXF File");
  DxfBlock& m = st->blocks[st->nBlocks++];
  memset(&m, 0, sizeof m);
  Upper(m.name, sizeof m.name, st->mainName);
  m.rank = top + 1;
  m.defined = 1;
  m.isMain = 1;

  Counter(st, 500, "Converting Block Names to Cell Names ...");
  if (!CellNames(st)) return 0;

  Counter(st, 500, "Checking for Previous TLC Files ...");
  for (int i = 0; i < st->nBlocks; ++i) {
    int found = 0;
    int r = PreviousRank(st, st->blocks[i].cell, &found);
    st->blocks[i].tlcFound = found;
    if (r > st->blocks[i].rank) st->blocks[i].rank = r;
  }
  // A block raised by its old file may not reach the main cell's rank.
  DxfBlock& mc = st->blocks[st->nBlocks - 1];
  for (int i = 0; i + 1 < st->nBlocks; ++i)
    if (st->blocks[i].rank >= mc.rank) mc.rank = st->blocks[i].rank + 1;
  if (mc.rank > DXFIN_MAXRANK) {
    snprintf(msg, sizeof msg, "Cell %s would be Nested Deeper than %d Levels ... Can't Continue", mc.cell,
             DXFIN_MAXRANK);
    return Fail(st, msg);
  }

  Counter(st, 500, "Sorting Block List ...");
  LogCollection(st);

  if (st->lyr && !LayersTld(st)) HostWarning("Unable to Write Layers File ... Conversion will Continue");

  Counter(st, 500, "Constructing TLC Files ...");
  return Construct(st);
}

// The cells of a run are written beside the old ones and take their place
// only when the whole run went through.
static int CellsSettle(DxfInState* st, int keep) {
  int ok = 1;
  for (int i = 0; i < st->nBlocks; ++i)
    if (st->blocks[i].written && !TlcSettle(st->blocks[i].cell, keep)) ok = 0;
  return ok;
}

int DxfInRun(DxfInState* st) {
  TlcWriter.hold = 1;
  int ok = Run(st) && !st->abort;
  TlcAbandon();
  if (!CellsSettle(st, ok) && ok) ok = Fail(st, "Unable to Write TLC File ... Can't Continue");
  TlcWriter.hold = 0;
  WriteOldTlc = 0;
  InputClose(st);
  st->writeAll = 1;
  return ok && !st->abort;
}

int DxfInClosing(DxfInState* st, int converted, char* text, int size) {
  if (converted)
    snprintf(text, (size_t)size, "Completed ... %d TLC Files Made\n\nUse Import to Register Cells in Drawing",
             st->files);
  else
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  return CnvLogClosing(&st->log, converted, text, size);
}

int DxfInGo(DxfInState* st) {
  char text[200];
  int done = DxfInClosing(st, DxfInRun(st), text, sizeof text);
  return CnvGoShow(done, 0, text);
}
