#include "dxfout.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "safewrite.h"
#include "namecheck.h"
#include "version.h"

static const double kPi = 3.14159265358979323846;

const char* const DxfOutKeys[DXFOUT_NKEYS + 1] = {
    "tfn=", "xfn=", "ftr=", "lyn=", "txt=", "vxl=", "vxw=", "p2p=", "ipe=",
    "mpp=", "b2s=", "wr2=", "lft=", "top=", "rgt=", "bot=", nullptr,
};

static const char* const kVersion = QUIL_VERSION;

static void SetVal(DxfOutState* st, int k, const char* text) {
  snprintf(st->val[k], DXFOUT_VALLEN, "%s", text ? text : "");
}

void DxfOutReset(DxfOutState* st) {
  st->w.out = QFile();
  CnvOutStart(&st->w);
  st->scratch[0] = 0;
  memset(st->val, 0, sizeof st->val);
  SetVal(st, DK_FTR, "1-256");
  // One prefix everywhere: the table's default and the one an emptied field
  // gets are the same.
  SetVal(st, DK_LYN, "LAYER_");
  SetVal(st, DK_TXT, "Y");
  SetVal(st, DK_VXL, "N");
  SetVal(st, DK_VXW, "N");
  SetVal(st, DK_P2P, "N");
  SetVal(st, DK_IPE, "Y");
  SetVal(st, DK_MPP, "Y");
  SetVal(st, DK_B2S, "N");
  SetVal(st, DK_WR2, "DxfOut.log");
  for (int k = DK_LFT; k <= DK_BOT; ++k) SetVal(st, k, "0");
  LayerSetAll(&st->sel);
  st->nCells = 0;
  memset(st->present, 0, sizeof st->present);
  st->s = 1000;
  st->have = 0;
  st->minX = st->minY = st->maxX = st->maxY = 0;
  st->cur = st->max = DxfCounts{0, 0, 0, 0};
  st->abort = 0;
  st->extAbort = nullptr;
  st->curCell[0] = 0;
  st->date[0] = st->time[0] = 0;
  memset(&st->now, 0, sizeof st->now);
  st->fixedNow = 0;
  st->drive[0] = st->folder[0] = st->mainName[0] = st->mainExt[0] = 0;
  if (st->log) fclose(st->log);
  st->log = nullptr;
  st->listLine = nullptr;
  st->scaleLine = nullptr;
  st->showCounts = nullptr;
  for (CnvLayerRow& row : st->layers) {
    snprintf(row.name, sizeof row.name, "NONE");
    row.word = 0;
  }
  st->allLayers = 0;
  DxfOutSetupApply(st, 0);
}

// ---- settings ----------------------------------------------------------------

static void PathTidy(char* p) {
  if (p[0] && p[1] == ':') p[0] = (char)toupper((unsigned char)p[0]);
}

static void WithExt(DxfOutState* st, int k, const char* srcPath, const char* ext) {
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], old[CNV_PATHLEN];
  CnvPathSplit(srcPath, drive, folder, name, old);
  if (CnvSameName(old, ext) && srcPath == st->val[k]) return;
  char out[4 * CNV_PATHLEN];
  snprintf(out, sizeof out, "%s%s%s%s", drive, folder, name, ext);
  SetVal(st, k, out);
  PathTidy(st->val[k]);
}

int DxfOutSetupApply(DxfOutState* st, int check) {
  PathTidy(st->val[DK_TFN]);
  if (st->val[DK_TFN][0]) WithExt(st, DK_TFN, st->val[DK_TFN], ".tlc");
  if (!st->val[DK_XFN][0] && st->val[DK_TFN][0]) WithExt(st, DK_XFN, st->val[DK_TFN], ".dxf");
  if (st->val[DK_XFN][0] && st->val[DK_TFN][0]) WithExt(st, DK_XFN, st->val[DK_XFN], ".dxf");
  if (!st->val[DK_FTR][0]) SetVal(st, DK_FTR, "-");
  if (!st->val[DK_LYN][0]) SetVal(st, DK_LYN, "LAYER_");
  st->texts = CnvYesNo(st->val[DK_TXT], DXFOUT_VALLEN);
  st->inlineEnds = CnvYesNo(st->val[DK_IPE], DXFOUT_VALLEN);
  st->outline = CnvYesNo(st->val[DK_P2P], DXFOUT_VALLEN);
  st->proper = CnvYesNo(st->val[DK_MPP], DXFOUT_VALLEN);
  st->solids = CnvYesNo(st->val[DK_B2S], DXFOUT_VALLEN);
  st->vertexWidths = CnvYesNo(st->val[DK_VXW], DXFOUT_VALLEN);
  if (!st->val[DK_WR2][0]) SetVal(st, DK_WR2, "DxfOut.log");
  PathTidy(st->val[DK_WR2]);
  int faults = 0;
  if (check) {
    const char* const files[2] = {st->val[DK_TFN], st->val[DK_XFN]};
    faults += CnvFileNamesCheck(files, 2);
  }
  return faults;
}

void DxfOutSelParse(DxfOutState* st, const char* text) {
  if (text) LyrSelParse(&st->sel, text);
}

// ---- messages ----------------------------------------------------------------

void DxfOutList(DxfOutState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

static void ListTo(void* ctx, const char* text) { DxfOutList(static_cast<DxfOutState*>(ctx), text); }

static CnvGeom Geom(DxfOutState* st) { return CnvGeom{st->s, st->proper, st->curCell, &st->abort, ListTo, st}; }

static int Fail(DxfOutState* st, const char* text) {
  HostError(text);
  st->abort = 1;
  return 0;
}

static void Poll(DxfOutState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

static void Status(DxfOutState* st, const char* text) {
  HostStatus(text);
  Poll(st, 500);
}

// ---- the DXF file -------------------------------------------------------------


// A group code line, then the value in the number format and its line end.
static void PutNum(DxfWriter* w, const char* code, double v) {
  CnvOutPuts(w, code);
  char num[DXF_NUMLEN + 1];
  int n = DxfNum(v, num);
  num[n++] = '\n';
  CnvOutPut(w, num, (size_t)n);
}

static void PutLayer(DxfOutState* st, const char* entity, int layer) {
  char line[DXFOUT_VALLEN + 64];
  snprintf(line, sizeof line, "  0\n%s\n  8\n%s%d\n", entity, st->val[DK_LYN], layer);
  CnvOutPuts(&st->w, line);
}

// ---- entities -------------------------------------------------------------------

static int Angle(int o) { return (o & 4) ? (((o & 3) + 2) % 4) * 90 : (o & 3) * 90; }

static void DxfInsert(DxfOutState* st, const CnvCell* c) {
  DxfWriter* w = &st->w;
  char line[80];
  snprintf(line, sizeof line, "  0\nINSERT\n  8\n0\n  2\n%s\n", c->name);
  CnvOutPuts(w, line);
  PutNum(w, " 10\n", c->x / st->s);
  PutNum(w, " 20\n", c->y / st->s);
  CnvOutPuts(w, " 30\n0.\n");
  if (c->o & 4) CnvOutPuts(w, " 41\n-1.0\n");
  PutNum(w, " 50\n", Angle(c->o));
  ++st->cur.inserts;
}

static void DxfSolid(DxfOutState* st, const CnvBox* b) {
  DxfWriter* w = &st->w;
  PutLayer(st, "SOLID", b->lyr);
  const double s = st->s;
  PutNum(w, " 10\n", b->l / s);
  PutNum(w, " 20\n", b->b / s);
  PutNum(w, " 11\n", b->r / s);
  PutNum(w, " 21\n", b->b / s);
  PutNum(w, " 12\n", b->l / s);
  PutNum(w, " 22\n", b->t / s);
  PutNum(w, " 13\n", b->r / s);
  PutNum(w, " 23\n", b->t / s);
  ++st->cur.solids;
}

// Closed outlines carry the closed flag, so that readers take them as areas.
static void DxfPolyline(DxfOutState* st, int layer, double width, const int32_t* x, const int32_t* y, int n) {
  DxfWriter* w = &st->w;
  PutLayer(st, "POLYLINE", layer);
  int closed = width == 0 && n >= 3 && x[0] == x[n - 1] && y[0] == y[n - 1];
  CnvOutPuts(w, closed ? " 66\n1\n 70\n1\n" : " 66\n1\n 70\n0\n");
  double wd = std::fabs(width) / st->s;
  PutNum(w, " 40\n", wd);
  PutNum(w, " 41\n", wd);
  for (int i = 0; i < n; ++i) {
    PutLayer(st, "VERTEX", layer);
    PutNum(w, " 10\n", x[i] / st->s);
    PutNum(w, " 20\n", y[i] / st->s);
    CnvOutPuts(w, " 30\n0.0\n");
    if (st->vertexWidths) {
      PutNum(w, " 40\n", wd);
      PutNum(w, " 41\n", wd);
    }
  }
  PutLayer(st, "SEQEND", layer);
  ++st->cur.polylines;
}

static void DxfText(DxfOutState* st, const CnvText* t) {
  DxfWriter* w = &st->w;
  PutLayer(st, "TEXT", t->lyr);
  PutNum(w, " 10\n", t->x / st->s);
  PutNum(w, " 20\n", t->y / st->s);
  CnvOutPuts(w, " 30\n0.0\n");
  PutNum(w, " 40\n", t->size / st->s);
  char line[CNV_TEXTLEN + 16];
  snprintf(line, sizeof line, "  1\n%s\n", t->text);
  CnvOutPuts(w, line);
  PutNum(w, " 50\n", Angle(t->o));
  if (t->o & 4) CnvOutPuts(w, " 71\n2\n");
  ++st->cur.texts;
}

// ---- checks ----------------------------------------------------------------------

static int DxfAcuteTest(const CnvPath* p) {
  for (int i = 0; i + 2 < p->nv; ++i) {
    double ax = (double)p->x[i + 1] - p->x[i], ay = (double)p->y[i + 1] - p->y[i];
    double bx = (double)p->x[i + 2] - p->x[i + 1], by = (double)p->y[i + 2] - p->y[i + 1];
    if ((ax == 0 && ay == 0) || (bx == 0 && by == 0)) return 1;
    double t = std::fabs(std::atan2(by, bx) - std::atan2(ay, ax));
    if (t > kPi) t = 2 * kPi - t;
    if (t > 1.5723670963) return 1;
  }
  return 0;
}

static int DxfCirculation(const CnvPath* p) {
  int n = p->nv;
  if (n < 4 || p->x[0] != p->x[n - 1] || p->y[0] != p->y[n - 1]) return 1;
  double sum = 0, prev = 0;
  int havePrev = 0;
  double first = 0;
  for (int i = 0; i + 1 < n; ++i) {
    double dx = (double)p->x[i + 1] - p->x[i], dy = (double)p->y[i + 1] - p->y[i];
    if (dx == 0 && dy == 0) continue;
    double dir = std::atan2(dy, dx);
    if (havePrev)
      sum += AngleWrap(dir - prev);
    else
      first = dir;
    prev = dir;
    havePrev = 1;
  }
  if (havePrev) sum += AngleWrap(first - prev);
  sum = std::fabs(sum);
  return sum > 6.220353447 && sum < 6.346017153;
}

// 1 when the element is written.
static int DxfPolyCheck(DxfOutState* st, CnvPath* p) {
  CnvGeom g = Geom(st);
  int n = p->nv;
  if (n < 2) {
    if (n == 1) CnvNote(&g, "Single Point Removed", p->x[0], p->y[0], p->lyr);
    return 0;
  }
  int32_t x0 = p->x[0], y0 = p->y[0];
  int open = p->x[n - 1] != x0 || p->y[n - 1] != y0;
  if (!st->proper) {
    if (p->w != 0) return 1;
    if (n == 2) CnvNote(&g, "Line Segment", x0, y0, p->lyr);
    else if (open) CnvNote(&g, "Open Poly", x0, y0, p->lyr);
    return 1;
  }
  if (DxfAcuteTest(p)) CnvNote(&g, "Acute Poly/Path Angle", x0, y0, p->lyr);
  if (p->w != 0) return 1;
  if (!DxfCirculation(p)) CnvNote(&g, "Poly Circulation not 360 deg", x0, y0, p->lyr);
  char where[96], head[256];
  CnvWhere(&g, where, sizeof where, x0, y0, p->lyr);
  if (n == 2) {
    snprintf(head, sizeof head, "Line Segment at %s in %s", where, st->curCell);
    if (!CnvAskText(&g, head, "Remove It or Cancel Conversion?")) return 0;
    CnvNote(&g, "Line Segment Removed", x0, y0, p->lyr);
    return 0;
  }
  if (open) {
    snprintf(head, sizeof head, "Open Poly at %s in %s", where, st->curCell);
    if (!CnvAskText(&g, head, "Close It or Cancel Conversion?")) return 0;
    // The record keeps a spare place for the closing vertex.
    if (p->nv < CNV_PVSIZ + 1) {
      CnvNote(&g, "Open Poly Closed", x0, y0, p->lyr);
      p->x[p->nv] = x0;
      p->y[p->nv] = y0;
      ++p->nv;
    }
    if (DxfAcuteTest(p)) CnvNote(&g, "Acute Poly Angle when Closed", x0, y0, p->lyr);
  }
  return 1;
}

static void WriteBox(DxfOutState* st, const CnvBox* b) {
  CnvGeom g = Geom(st);
  if (b->l == b->r || b->b == b->t) {
    char where[96], head[256];
    CnvWhere(&g, where, sizeof where, b->l, b->b, b->lyr);
    if (st->proper) {
      snprintf(head, sizeof head, "Crushed Box at %s in %s", where, st->curCell);
      if (!CnvAskText(&g, head, "Remove It or Cancel Conversion?")) return;
      CnvNote(&g, "Crushed Box Removed", b->l, b->b, b->lyr);
      return;
    }
    CnvNote(&g, "Crushed Box", b->l, b->b, b->lyr);
  }
  if (st->solids) {
    DxfSolid(st, b);
    return;
  }
  BoxToPoly(b, &st->path);
  DxfPolyline(st, b->lyr, 0, st->path.x, st->path.y, st->path.nv);
}

static void WritePath(DxfOutState* st, CnvPath* p) {
  CnvGeom g = Geom(st);
  if (st->outline && p->w != 0) {
    if (!PathToPoly(p, &st->ring)) return;
    // The outline is whole however long: written from the ring itself.
    DxfPolyline(st, p->lyr, 0, st->ring.x, st->ring.y, st->ring.n);
    return;
  }
  if (p->w < 0) {
    if (st->inlineEnds) {
      CnvNote(&g, "Path Ends Changed to Inline", p->x[0], p->y[0], p->lyr);
      // Ends moved outward by half the width: flush ends then cover them.
      p->w = -p->w;
      int n = p->nv;
      for (int e = 0; e < 2 && n >= 2; ++e) {
        int a = e ? n - 1 : 0, b = e ? n - 2 : 1;
        double dx = (double)p->x[a] - p->x[b], dy = (double)p->y[a] - p->y[b];
        double len = std::sqrt(dx * dx + dy * dy);
        if (len == 0) continue;
        double h = p->w / 2.0;
        p->x[a] = (int32_t)CnvRound(p->x[a] + dx / len * h);
        p->y[a] = (int32_t)CnvRound(p->y[a] + dy / len * h);
      }
    } else {
      CnvNote(&g, "Path has Extended Ends", p->x[0], p->y[0], p->lyr);
    }
  }
  if (!DxfPolyCheck(st, p)) return;
  DxfPolyline(st, p->lyr, p->w, p->x, p->y, p->nv);
}

// Reads the open cell file; with write its entities are written.
static int DxfElements(DxfOutState* st, int write) {
  const char* line;
  while (!st->abort && (line = TlcNextLine(&st->in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_CELL:
        if (!ReadC(&st->in, &st->cell)) return Fail(st, "Cell Record Read Error");
        if (write) DxfInsert(st, &st->cell);
        break;
      case TLC_BOX:
        if (!ReadB(&st->in, &st->box)) return Fail(st, "Box Layer Read Error");
        if (write && LyrSelTest(&st->sel, st->box.lyr)) WriteBox(st, &st->box);
        break;
      case TLC_PATH:
        if (!ReadP(&st->in, &st->path)) return Fail(st, "Path Layer Read Error");
        if (write && LyrSelTest(&st->sel, st->path.lyr)) WritePath(st, &st->path);
        break;
      case TLC_TEXT:
        if (!ReadT(&st->in, &st->text)) return Fail(st, "Text Layer Read Error");
        if (write && st->texts && LyrSelTest(&st->sel, st->text.lyr)) DxfText(st, &st->text);
        break;
      default:
        break;
    }
  }
  return !st->abort;
}

// ---- cell list, layers and extents ------------------------------------------------

static int CellFind(DxfOutState* st, const char* name) {
  for (int i = 1; i <= st->nCells; ++i)
    if (strcmp(st->cells[i].name, name) == 0) return i;
  return 0;
}

static int CellAdd(DxfOutState* st, const char* name) {
  if (st->nCells >= DXFOUT_MAXCELLS) {
    char msg[80];
    snprintf(msg, sizeof msg, "Too Many Cells (Max %d) ... Can't Continue", DXFOUT_MAXCELLS);
    return Fail(st, msg);
  }
  DxfCellEntry& e = st->cells[++st->nCells];
  snprintf(e.name, sizeof e.name, "%s", name);
  e.rank = 0;
  e.have = 0;
  e.l = e.b = e.r = e.t = 0;
  return 1;
}

static int OpenCell(DxfOutState* st, const char* name) {
  if (TlcOpenRead(&st->in, st->drive, st->folder, name)) return 1;
  char msg[CNV_PATHLEN + 60];
  snprintf(msg, sizeof msg, "%s.TLC file is Missing ... Can't Continue", name);
  return Fail(st, msg);
}

static int CellList(DxfOutState* st) {
  Status(st, "Reading TLC Names ...");
  if (!CellAdd(st, st->mainName)) return 0;
  for (int i = 1; i <= st->nCells && !st->abort; ++i) {
    if (!OpenCell(st, st->cells[i].name)) return 0;
    if (!TlcReadH(&st->in, &st->hdr)) {
      TlcCloseRead(&st->in);
      return Fail(st, "Header Record Read Error ... Can't Continue");
    }
    st->cells[i].rank = st->hdr.rank;
    TlcRewind(&st->in);
    const char* line;
    while ((line = TlcNextLine(&st->in)) != nullptr) {
      if (TlcLineKind(line) != TLC_CELL) continue;
      if (!ReadC(&st->in, &st->cell)) {
        TlcCloseRead(&st->in);
        return Fail(st, "Cell Record Read Error");
      }
      if (!CellNameValid(st->cell.name)) {
        // The name becomes a file path: "..\\x" must not reach outside.
        char msg[CNV_PATHLEN + 80];
        snprintf(msg, sizeof msg, "Incorrect Cell Name \"%s\" in %s.tlc ... Can't Continue", st->cell.name,
                 st->cells[i].name);
        TlcCloseRead(&st->in);
        return Fail(st, msg);
      }
      if (!CellFind(st, st->cell.name) && !CellAdd(st, st->cell.name)) {
        TlcCloseRead(&st->in);
        return 0;
      }
    }
    TlcCloseRead(&st->in);
  }
  if (st->abort) return 0;
  Status(st, "Sorting CelList ...");
  // Stable by rank, so the main cell (highest rank) ends last.
  for (int i = 2; i <= st->nCells; ++i) {
    DxfCellEntry e = st->cells[i];
    int j = i - 1;
    while (j >= 1 && st->cells[j].rank > e.rank) {
      st->cells[j + 1] = st->cells[j];
      --j;
    }
    st->cells[j + 1] = e;
  }
  // The main cell last even when a lower cell claims a higher rank.
  int m = CellFind(st, st->mainName);
  if (m && m != st->nCells) {
    DxfCellEntry e = st->cells[m];
    for (int i = m; i < st->nCells; ++i) st->cells[i] = st->cells[i + 1];
    st->cells[st->nCells] = e;
  }
  return !st->abort;
}

static void Grow(DxfCellEntry* e, double x, double y) {
  if (!e->have) {
    e->l = e->r = x;
    e->b = e->t = y;
    e->have = 1;
    return;
  }
  if (x < e->l) e->l = x;
  if (x > e->r) e->r = x;
  if (y < e->b) e->b = y;
  if (y > e->t) e->t = y;
}

// A point of a placed cell in the placing cell: mirrored in y first, then
// turned by quarter turns.
static void Place(int o, double x, double y, double* ox, double* oy) {
  if (o & 4) y = -y;
  for (int k = 0; k < (o & 3); ++k) {
    double t = x;
    x = -y;
    y = t;
  }
  *ox = x;
  *oy = y;
}

// Reads every cell of the list (lowest rank first): the layers present, and
// each cell's extent with its placed cells' extents.
static int LayersAndExtents(DxfOutState* st) {
  Status(st, "Reading TLC Layers ...");
  for (int i = 1; i <= st->nCells && !st->abort; ++i) {
    DxfCellEntry* e = &st->cells[i];
    if (!OpenCell(st, e->name)) return 0;
    const char* line;
    int ok = 1;
    while (ok && (line = TlcNextLine(&st->in)) != nullptr) {
      switch (TlcLineKind(line)) {
        case TLC_BOX:
          if (!ReadB(&st->in, &st->box)) {
            ok = Fail(st, "Box Layer Read Error");
          } else if (st->box.lyr >= 1 && st->box.lyr <= 256) {
            st->present[st->box.lyr] = 1;
            if (LyrSelTest(&st->sel, st->box.lyr)) {
              Grow(e, st->box.l, st->box.b);
              Grow(e, st->box.r, st->box.t);
            }
          }
          break;
        case TLC_PATH:
          if (!ReadP(&st->in, &st->path)) {
            ok = Fail(st, "Path Layer Read Error");
          } else if (st->path.lyr >= 1 && st->path.lyr <= 256) {
            st->present[st->path.lyr] = 1;
            if (LyrSelTest(&st->sel, st->path.lyr)) {
              double h = std::fabs((double)st->path.w) / 2;
              for (int v = 0; v < st->path.nv; ++v) {
                Grow(e, st->path.x[v] - h, st->path.y[v] - h);
                Grow(e, st->path.x[v] + h, st->path.y[v] + h);
              }
            }
          }
          break;
        case TLC_TEXT:
          if (!ReadT(&st->in, &st->text)) {
            ok = Fail(st, "Text Layer Read Error");
          } else if (st->text.lyr >= 1 && st->text.lyr <= 256) {
            st->present[st->text.lyr] = 1;
            if (st->texts && LyrSelTest(&st->sel, st->text.lyr)) Grow(e, st->text.x, st->text.y);
          }
          break;
        case TLC_CELL:
          if (!ReadC(&st->in, &st->cell)) {
            ok = Fail(st, "Cell Record Read Error");
          } else {
            int k = CellFind(st, st->cell.name);
            if (k && k < i && st->cells[k].have) {
              const DxfCellEntry& c = st->cells[k];
              const double xs[2] = {c.l, c.r}, ys[2] = {c.b, c.t};
              for (double cx : xs)
                for (double cy : ys) {
                  double px, py;
                  Place(st->cell.o, cx, cy, &px, &py);
                  Grow(e, st->cell.x + px, st->cell.y + py);
                }
            }
          }
          break;
        default:
          break;
      }
    }
    TlcCloseRead(&st->in);
    if (!ok) return 0;
  }
  return !st->abort;
}

// ---- sections -----------------------------------------------------------------------

static void DxfHeader(DxfOutState* st) {
  DxfWriter* w = &st->w;
  const DxfCellEntry& m = st->cells[st->nCells];
  double l = m.have ? m.l / st->s : 0, b = m.have ? m.b / st->s : 0;
  double r = m.have ? m.r / st->s : 0, t = m.have ? m.t / st->s : 0;
  CnvOutPuts(w, "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n");
  CnvOutPuts(w, "  9\n$EXTMAX\n");
  PutNum(w, " 10\n", r);
  PutNum(w, " 20\n", t);
  CnvOutPuts(w, " 30\n0.0\n  9\n$EXTMIN\n");
  PutNum(w, " 10\n", l);
  PutNum(w, " 20\n", b);
  CnvOutPuts(w, " 30\n0.0\n  9\n$DIMSCALE\n 40\n1.0\n  9\n$LUNITS\n 70\n2\n  9\n$LUPREC\n 70\n8\n  0\nENDSEC\n");
}

static void DxfTables(DxfOutState* st) {
  DxfWriter* w = &st->w;
  CnvOutPuts(w, "  0\nSECTION\n  2\nTABLES\n");
  CnvOutPuts(w, "  0\nTABLE\n  2\nLTYPE\n 70\n1\n  0\nLTYPE\n2\nCONTINUOUS\n 70\n64\n");
  CnvOutPuts(w, "  3\nLineType for PolyLines\n 72\n65\n 73\n0\n 40\n0.0\n  0\nENDTAB\n");
  CnvOutPuts(w, "  0\nTABLE\n  2\nLAYER\n 70\n64\n");
  for (int k = 1; k <= 256; ++k) {
    if (!st->present[k] || !LyrSelTest(&st->sel, k)) continue;
    char line[DXFOUT_VALLEN + 64];
    snprintf(line, sizeof line, "  0\nLAYER\n  2\n%s%d\n 70\n64\n 62\n7\n  6\nCONTINUOUS\n", st->val[DK_LYN], k);
    CnvOutPuts(w, line);
  }
  CnvOutPuts(w, "  0\nENDTAB\n  0\nENDSEC\n");
}

static void LogCounts(DxfOutState* st) {
  DxfCounts& m = st->max;
  const DxfCounts& c = st->cur;
  if (c.polylines > m.polylines) m.polylines = c.polylines;
  if (c.solids > m.solids) m.solids = c.solids;
  if (c.texts > m.texts) m.texts = c.texts;
  if (c.inserts > m.inserts) m.inserts = c.inserts;
  if (st->showCounts) st->showCounts(&st->cur, &st->max);
  Poll(st, 50);
  if (st->log) fprintf(st->log, "%-16s%-12ld%-12ld%-12ld%-12ld\n", " ", c.polylines, c.solids, c.texts, c.inserts);
}

static int ConvertCell(DxfOutState* st, int i, int block) {
  DxfCellEntry& e = st->cells[i];
  snprintf(st->curCell, sizeof st->curCell, "%s", e.name);
  st->cur = DxfCounts{0, 0, 0, 0};
  char msg[CNV_PATHLEN + 40];
  snprintf(msg, sizeof msg, "Converting %s ...", e.name);
  HostStatus(msg);
  DxfOutList(st, e.name);
  if (!OpenCell(st, e.name)) return 0;
  DxfWriter* w = &st->w;
  if (block) {
    char line[128];
    snprintf(line, sizeof line, "  0\nBLOCK\n  8\n0\n  2\n%s\n 70\n0\n  3\n%s\n 10\n0.0\n 20\n0.0\n 30\n0.0\n", e.name,
             e.name);
    CnvOutPuts(w, line);
  } else {
    HostStatus("Writing ENTITIES Section ...");
    CnvOutPuts(w, "  0\nSECTION\n  2\nENTITIES\n");
  }
  int ok = DxfElements(st, 1);
  TlcCloseRead(&st->in);
  if (!ok) return 0;
  CnvOutPuts(w, block ? "  0\nENDBLK\n  8\n0\n" : "  0\nENDSEC\n");
  LogCounts(st);
  return !st->abort;
}

// ---- the run ------------------------------------------------------------------------

static int RunStart(DxfOutState* st) {
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->nCells = 0;
  st->cur = st->max = DxfCounts{0, 0, 0, 0};
  memset(st->present, 0, sizeof st->present);
  st->abort = 0;
  CnvPathSplit(st->val[DK_TFN], st->drive, st->folder, st->mainName, st->mainExt);
  Status(st, "Reading TLC Header ...");
  if (st->abort) return 0;
  if (!st->mainName[0] || !TlcOpenRead(&st->in, st->drive, st->folder, st->mainName)) {
    SetVal(st, DK_TFN, "?.tlc");
    return Fail(st, "Main TLC file is Missing ... Can't Continue");
  }
  int hok = TlcReadH(&st->in, &st->hdr);
  TlcCloseRead(&st->in);
  if (!hok) return Fail(st, "Header Record Read Error ... Can't Continue");
  if (!(st->hdr.scale > 0)) return Fail(st, "TLC scale is Missing ... Can't Continue");
  st->s = st->hdr.scale;
  if (st->scaleLine) {
    char line[120];
    snprintf(line, sizeof line, "TLC Scale: %.*gunits/%s   DXF Scale: 1unit= 1%s", 9, st->s, "um", "um");
    st->scaleLine(line);
  }
  st->log = fopen(st->val[DK_WR2], "wt");
  if (!st->log) return Fail(st, "Unable to Write Log File ... Can't Continue");
  FILE* f = st->log;
  fprintf(f, "*** TLC to DXF Conversion Log  %s  %s  %s\n\n", kVersion, st->date, st->time);
  fprintf(f, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(f, "Main TLC File Name: %s\n", st->val[DK_TFN]);
  fprintf(f, "DXF File Name: %s\n", st->val[DK_XFN]);
  fprintf(f, "TLC Scale: %.*gunits/%s\n", 9, st->s, "um");
  fprintf(f, "DXF Scale: 1unit= 1%s\n", "um");
  fprintf(f, "Filtered Layers: %s\n", st->val[DK_FTR]);
  if (st->outline) fprintf(f, "Paths were Converted to Polygons\n");
  fprintf(f, "\nDXF File:\n\n");
  fprintf(f, "Blocks         Polylines   Solids      Text        Inserts\n");
  fprintf(f, "----------------------------------------------------------\n");
  return 1;
}

static int Run(DxfOutState* st) {
  if (!RunStart(st) || !CellList(st) || !LayersAndExtents(st)) return 0;
  Status(st, "Writing DXF File ...");
  DxfWriter* w = &st->w;
  CnvOutStart(w);
  // Written beside the old file, which is replaced only by a complete one.
  if (!SafeWriteScratchName(st->scratch, sizeof st->scratch, st->val[DK_XFN]) ||
      !(w->out = QFileOpen(st->scratch, "wb"))) {
    st->scratch[0] = 0;
    return Fail(st, "Unable to Write DXF File ... Can't Continue");
  }
  Status(st, "Writing HEADER Section ...");
  DxfHeader(st);
  Status(st, "Writing TABLES Section ...");
  DxfTables(st);
  Status(st, "Writing BLOCKS Section ...");
  CnvOutPuts(w, "  0\nSECTION\n  2\nBLOCKS\n");
  for (int i = 1; i < st->nCells; ++i)
    if (!ConvertCell(st, i, 1)) return 0;
  CnvOutPuts(w, "  0\nENDSEC\n");
  if (!ConvertCell(st, st->nCells, 0)) return 0;
  CnvOutPuts(w, "  0\nEOF\n");
  return !st->abort;
}

int DxfOutRun(DxfOutState* st) {
  int ok = Run(st) && !st->abort;
  TlcCloseRead(&st->in);
  DxfWriter* w = &st->w;
  if (!CnvOutClose(w) && ok) ok = Fail(st, "Unable to Write DXF File ... Can't Continue");
  if (st->scratch[0]) {
    if (!ok) {
      remove(st->scratch);
    } else if (!SafeWriteReplace(st->scratch, st->val[DK_XFN])) {
      ok = Fail(st, "Unable to Write DXF File ... Can't Continue");
    }
    st->scratch[0] = 0;
  }
  return ok && !st->abort;
}

int DxfOutClosing(DxfOutState* st, int converted, char* text, int size) {
  if (converted)
    snprintf(text, (size_t)size, "Completed ... %lld Bytes in DXF File", (long long)st->w.bytes);
  else
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  return CnvLogClosing(&st->log, converted, text, size);
}

// ---- layer table --------------------------------------------------------------------

int DxfOutLayersRead(DxfOutState* st) {
  return CnvLayersRead(&st->in, st->val[DK_TFN], st->layers, 8, 0, &st->sel, "No Layers Record in Main TLC File");
}

void DxfOutLayersApply(DxfOutState* st) {
  CnvLayersApply(st->layers, st->allLayers, &st->sel, st->val[DK_FTR], DXFOUT_VALLEN);
}
