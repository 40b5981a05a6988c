#include "gdsout.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"
#include "safewrite.h"
#include "version.h"

const char* const GdsOutKeys[GDSOUT_NKEYS + 1] = {
    "tfn=", "gfn=", "ldf=", "wr2=", "lsb=", "lam=", "csu=", "mpw=", "dln=", "ftr=",  "dro=",
    "lcn=", "ctx=", "mpp=", "dpu=", "wtx=", "lft=", "top=", "rgt=", "bot=", nullptr,
};
const char* const GdsOutDefaults[GDSOUT_NKEYS + 1] = {
    "",  "",  "",  "GdsOut.log", "0", "1.0", "1000", "0", "DEFAULT.DB", "-",     "N",
    "N", "N", "N", "N",          "N", "",    "",     "",  "",           nullptr,
};
const char* const GdsOutDisplayName = "GdsOut";

static const char* const kVersion = QUIL_VERSION;

static void SetVal(GdsOutState* st, int k, const char* text) {
  snprintf(st->val[k], GDSOUT_VALLEN, "%s", text ? text : "");
}

void GdsOutReset(GdsOutState* st) {
  GdsRecReset(&st->rec);
  st->gdsScratch[0] = 0;
  memset(st->val, 0, sizeof st->val);
  memset(st->font, 0, sizeof st->font);
  for (int k = 0; k < GDSOUT_NKEYS; ++k) SetVal(st, k, GdsOutDefaults[k]);
  LayerSetAll(&st->sel);
  LdmMapClear(&st->ldm);
  st->nCells = 0;
  for (GdsLayerEntry& e : st->layers) {
    snprintf(e.name, sizeof e.name, "NONE");
    e.word = 0;
  }
  st->allLayers = 0;
  st->cur = st->max = GdsCounts{0, 0, 0, 0};
  st->abort = 0;
  st->lambda = 1.0;
  st->csu = 1000;
  st->mpw = 2;
  st->lsb = 0;
  st->lcn = st->ctx = st->mpp = st->dpu = st->wtx = st->dro = 0;
  st->tlcScale = 1;
  snprintf(st->tlcUnit, sizeof st->tlcUnit, "um");
  snprintf(st->gdsUnit, sizeof st->gdsUnit, "um");
  st->ratio = 1;
  st->drive[0] = st->folder[0] = st->mainName[0] = st->mainExt[0] = 0;
  st->curCell[0] = 0;
  st->date[0] = st->time[0] = 0;
  memset(&st->now, 0, sizeof st->now);
  st->fixedNow = 0;
  st->log = nullptr;
  st->extAbort = nullptr;
  st->ldmAsk = nullptr;
  st->listLine = nullptr;
  st->scaleLine = nullptr;
  st->showCounts = nullptr;
  GdsOutTextApply(st);
}

// ---- settings ------------------------------------------------------------

// Tidies a file path: drive letter and the first character after each
// backslash upper-cased, a backslash after a bare drive.
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

// Forces extension ext onto slot k, or derives it from the TLC file when
// the slot is empty.
static void FileWithExt(GdsOutState* st, int k, const char* ext) {
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], old[CNV_PATHLEN];
  const char* from = st->val[k][0] ? st->val[k] : st->val[GK_TFN];
  if (!*from) return;
  CnvPathSplit(from, drive, folder, name, old);
  char out[3 * CNV_PATHLEN + 8];
  snprintf(out, sizeof out, "%s%s%s%s", drive, folder, name, ext);
  SetVal(st, k, out);
  PathTidy(st->val[k], GDSOUT_VALLEN);
}

static int YesNo(GdsOutState* st, int k) { return CnvYesNo(st->val[k], GDSOUT_VALLEN); }

int GdsOutSetupApply(GdsOutState* st, int check) {
  char buf[64];
  if (st->val[GK_TFN][0]) {
    PathTidy(st->val[GK_TFN], GDSOUT_VALLEN);
    FileWithExt(st, GK_TFN, ".tlc");
  }
  FileWithExt(st, GK_GFN, ".gds");
  FileWithExt(st, GK_LDF, ".ldm");
  if (!st->val[GK_WR2][0]) SetVal(st, GK_WR2, "GdsOut.log");

  st->lsb = atoi(st->val[GK_LSB]);
  snprintf(buf, sizeof buf, "%d", st->lsb);
  SetVal(st, GK_LSB, buf);

  double lam = st->val[GK_LAM][0] ? std::fabs(atof(st->val[GK_LAM])) : 1.0;
  if (lam < 0.01) lam = 0.01;
  if (lam > 100) lam = 100;
  st->lambda = lam;
  snprintf(buf, sizeof buf, "%.9g", lam);
  SetVal(st, GK_LAM, buf);

  // D divides the UNITS values: never below 1.
  int csu = st->val[GK_CSU][0] ? std::abs(atoi(st->val[GK_CSU])) : 1000;
  if (csu < 1) csu = 1;
  st->csu = csu;
  snprintf(buf, sizeof buf, "%d", csu);
  SetVal(st, GK_CSU, buf);

  int mpw = std::abs(atoi(st->val[GK_MPW]));
  if (mpw < 2) mpw = 2;
  if (mpw > 10000) mpw = 10000;
  st->mpw = mpw;
  snprintf(buf, sizeof buf, "%d", mpw);
  SetVal(st, GK_MPW, buf);

  char dln[16];
  snprintf(dln, sizeof dln, "%.8s", st->val[GK_DLN][0] ? st->val[GK_DLN] : "DEFAULT.DB");
  for (char* p = dln; *p; ++p) *p = (char)toupper((unsigned char)*p);
  char* dot = strchr(dln, '.');
  if (dot) *dot = 0;
  snprintf(buf, sizeof buf, "%s.DB", dln);
  SetVal(st, GK_DLN, buf);

  if (!st->val[GK_FTR][0]) SetVal(st, GK_FTR, "-");
  st->dro = YesNo(st, GK_DRO);
  st->lcn = YesNo(st, GK_LCN);
  st->ctx = YesNo(st, GK_CTX);
  st->mpp = YesNo(st, GK_MPP);
  st->dpu = YesNo(st, GK_DPU);
  st->wtx = YesNo(st, GK_WTX);

  int faults = 0;
  if (check) {
    const char* const files[3] = {st->val[GK_TFN], st->val[GK_GFN], st->val[GK_LDF]};
    faults += CnvFileNamesCheck(files, 3);
  }
  return faults;
}

void GdsOutTextApply(GdsOutState* st) {
  for (int r = 0; r < GDSOUT_ROWS; ++r) {
    char(*t)[GDSOUT_VALLEN] = &st->font[6 * r];
    GdsTextRow& row = st->rows[r];
    row.size = t[0][0] ? std::fabs(atof(t[0])) : r + 1;
    if (row.size == 0) row.size = 1;
    row.font = t[1][0] ? atoi(t[1]) : r;
    if (row.font < 0) row.font = 0;
    if (row.font > 3) row.font = 3;
    row.texttype = t[2][0] ? atoi(t[2]) : 0;
    if (row.texttype < 0) row.texttype = 0;
    if (row.texttype > 63) row.texttype = 63;
    row.mag = t[3][0] ? atof(t[3]) : 1;
    if (!(row.mag >= 0.001)) row.mag = 0.001;
    if (row.mag > 1000) row.mag = 1000;
    row.width = t[4][0] ? std::fabs(atof(t[4])) : 0;
    if (row.width > row.size) row.width = row.size;
    char vj = (char)toupper((unsigned char)t[5][0]);
    row.vjust = vj == 'T' ? 0 : vj == 'C' ? 4 : 8;
    snprintf(t[0], GDSOUT_VALLEN, "%.9g", row.size);
    snprintf(t[1], GDSOUT_VALLEN, "%d", row.font);
    snprintf(t[2], GDSOUT_VALLEN, "%d", row.texttype);
    snprintf(t[3], GDSOUT_VALLEN, "%.9g", row.mag);
    snprintf(t[4], GDSOUT_VALLEN, "%.9g", row.width);
    snprintf(t[5], GDSOUT_VALLEN, "%s", row.vjust == 0 ? "T" : row.vjust == 4 ? "C" : "B");
  }
}

// ---- layer selection -------------------------------------------------------

int GdsOutSelTest(GdsOutState* st, int n) { return LyrSelTest(&st->sel, n); }

void GdsOutSelParse(GdsOutState* st, const char* text) {
  if (text) LyrSelParse(&st->sel, text);
}

// ---- units ------------------------------------------------------------------

void GdsUnitChoose(const char* tlcUnit, char* gdsUnit, int gdsUnitSize, double* metres) {
  char u[17];
  snprintf(u, sizeof u, "%s", tlcUnit ? tlcUnit : "");
  for (char* p = u; *p; ++p) *p = (char)tolower((unsigned char)*p);
  if (strcmp(u, "um") == 0) {
    snprintf(gdsUnit, (size_t)gdsUnitSize, "um");
    *metres = 1e-6;
  } else if (strcmp(u, "mil") == 0 || strcmp(u, "mils") == 0) {
    snprintf(gdsUnit, (size_t)gdsUnitSize, "mil");
    *metres = 0.0000254;
  } else if (strcmp(u, "nm") == 0) {
    snprintf(gdsUnit, (size_t)gdsUnitSize, "nm");
    *metres = 1e-9;
  } else {
    char msg[160];
    snprintf(msg, sizeof msg,
             "Physical units in the TLC file are Unknown (%s)\n\nDefaulting to um ... Conversion may be Incorrect",
             tlcUnit ? tlcUnit : "");
    HostWarning(msg);
    snprintf(gdsUnit, (size_t)gdsUnitSize, "um");
    *metres = 1e-6;
  }
}

// ---- messages and log -------------------------------------------------------

// The abort poll of the run: Esc, or the program's own flag.
static void Poll(GdsOutState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

void GdsOutList(GdsOutState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

// A "... Can't Continue" message: shown, and the run ends.
static int Fail(GdsOutState* st, const char* text) {
  HostError(text);
  st->abort = 1;
  return 0;
}

static void Status(const char* before, const char* name, const char* after) {
  char msg[CNV_PATHLEN + 40];
  snprintf(msg, sizeof msg, "%s%s%s", before, name, after);
  HostStatus(msg);
}

// ---- elements -----------------------------------------------------------------

static const char* CellCase(GdsOutState* st, const char* name) {
  static char buf[36];
  snprintf(buf, sizeof buf, "%s", name);
  if (st->lcn)
    for (char* p = buf; *p; ++p) *p = (char)tolower((unsigned char)*p);
  return buf;
}

static void StransAngle(GdsRec* r, int o, int withMag, double mag) {
  GdsWriteStrans(r, (o & 7) >= 4 ? 0x8000 : 0);
  if (withMag) GdsWriteMag(r, mag);
  GdsWriteAngle(r, 90.0 * (o & 3));
}

int GdsOutSref(GdsOutState* st, const CnvCell* c) {
  GdsRec* r = &st->rec;
  GdsWriteSref(r);
  GdsWriteSName(r, CellCase(st, c->name));
  StransAngle(r, c->o, 1, 1.0);
  if (!GdsWriteXY(r, &c->x, &c->y, 1)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutBox(GdsOutState* st, const CnvBox* b) {
  if (!GdsOutSelTest(st, b->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(st, b->lyr, &gl, &dt)) return 0;
  if (!GdsCheckBox(st, b)) return st->abort ? 0 : 1;
  int32_t x[5] = {b->l, b->r, b->r, b->l, b->l};
  int32_t y[5] = {b->b, b->b, b->t, b->t, b->b};
  GdsRec* r = &st->rec;
  GdsWriteBoundary(r);
  GdsWriteLayer(r, gl);
  GdsWriteDatatype(r, dt);
  if (!GdsWriteXY(r, x, y, 5)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutPath(GdsOutState* st, CnvPath* p) {
  if (!GdsOutSelTest(st, p->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(st, p->lyr, &gl, &dt)) return 0;
  int how = GdsCheckPath(st, p);
  if (st->abort) return 0;
  if (how == GCHK_DROP) return 1;
  GdsRec* r = &st->rec;
  if (p->w == 0 && how != GCHK_ASPATH) {
    GdsWriteBoundary(r);
    GdsWriteLayer(r, gl);
    GdsWriteDatatype(r, dt);
  } else {
    GdsWritePath(r);
    GdsWriteLayer(r, gl);
    GdsWriteDatatype(r, dt);
    GdsWritePathType(r, p->w < 0 ? 2 : 0);
    if (how == GCHK_ASPATH) {
      GdsWriteWidth(r, st->mpw);
    } else {
      int64_t w = GdsScale(r, p->w);
      if (w < 0) w = -w;
      if (w > INT32_MAX) return Fail(st, "Path Width in GDS Record exceeds 32 Bits ... Can't Continue");
      GdsWriteWidth(r, (int32_t)w);
    }
  }
  if (!GdsWriteXY(r, p->x, p->y, p->nv)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutText(GdsOutState* st, const CnvText* t) {
  if (!st->ctx || !GdsOutSelTest(st, t->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(st, t->lyr, &gl, &dt)) return 0;
  double size = std::fabs((double)t->size);
  int row = 0;
  for (int k = 0; k < GDSOUT_ROWS; ++k) {
    double nominal = st->tlcScale * st->rows[k].size;
    if (0.75 * nominal < size && size < 1.25 * nominal) row = k;
  }
  const GdsTextRow& tr = st->rows[row];
  GdsRec* r = &st->rec;
  double w = tr.width * st->tlcScale * st->ratio;
  if (w > INT32_MAX) w = INT32_MAX;
  GdsWriteText(r);
  GdsWriteLayer(r, gl);
  GdsWriteTextType(r, tr.texttype);
  GdsWritePresentation(r, tr.font, tr.vjust);
  GdsWriteWidth(r, (int32_t)w);
  // Readers expect the transformation in this order: STRANS, MAG, ANGLE.
  StransAngle(r, t->o, 1, tr.mag);
  if (!GdsWriteXY(r, &t->x, &t->y, 1)) return 0;
  GdsWriteString(r, t->text);
  GdsWriteEndEl(r);
  return 1;
}

// ---- cell list ------------------------------------------------------------------

static int CellReading(void* ctx, int i) {
  GdsOutState* st = static_cast<GdsOutState*>(ctx);
  Status("Reading ", st->cells[i].name, ".tlc ...");
  return 1;
}

static void CellHeader(void* ctx, int i) {
  GdsOutState* st = static_cast<GdsOutState*>(ctx);
  if (st->dpu && st->hdr.scale != st->tlcScale) {
    char msg[CNV_PATHLEN];
    snprintf(msg, sizeof msg, "Scale Units of %.*g do not Agree in %s.tlc", 9, st->hdr.scale, st->cells[i].name);
    if (st->log) fprintf(st->log, "%s\n", msg);
  }
}

static int CellSorting(void*) {
  HostStatus("Sorting Cell List ...");
  return 1;
}

// Names are one cell whatever their case; "Descending Rank Order" turns the
// list round.
static CnvCellWalk CellWalk(GdsOutState* st) {
  CnvCellWalk w = {st->cells, &st->nCells, GDSOUT_MAXCELLS, &st->in, &st->hdr, &st->cell, st->drive, st->folder,
                   1, 1, st->dro, "%s.TLC File is Missing ... Can't Continue",
                   "Cell Record Read Error ... Can't Continue", &st->abort, st, CellReading, CellHeader,
                   CellSorting};
  return w;
}

int GdsOutCellList(GdsOutState* st) {
  CnvCellWalk w = CellWalk(st);
  return CnvCellListWalk(&w, st->mainName);
}

// ---- the run --------------------------------------------------------------------------

static int ConvertCell(GdsOutState* st, const GdsCellEntry* e) {
  TlcIn& in = st->in;
  if (!TlcOpenRead(&in, st->drive, st->folder, e->name)) {
    char msg[CNV_PATHLEN];
    snprintf(msg, sizeof msg, "%s.TLC File is Missing ... Can't Continue", e->name);
    return Fail(st, msg);
  }
  const char* line;
  int ok = 1;
  while (ok && !st->abort && (line = TlcNextLine(&in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_CELL:
        if (!ReadC(&in, &st->cell))
          ok = Fail(st, "Cell Record Read Error ... Can't Continue");
        else
          ok = GdsOutSref(st, &st->cell);
        break;
      case TLC_BOX:
        if (!ReadB(&in, &st->box))
          ok = Fail(st, "Box Record Read Error ... Can't Continue");
        else
          ok = GdsOutBox(st, &st->box);
        break;
      case TLC_PATH:
        if (!ReadP(&in, &st->path)) {
          char msg[96];
          TlcPathErrorText(st->path.cut ? TLC_REC_LONG : TLC_REC_BAD, CNV_PVSIZ, msg, sizeof msg);
          snprintf(msg + strlen(msg), sizeof msg - strlen(msg), " ... Can't Continue");
          ok = Fail(st, msg);
        } else
          ok = GdsOutPath(st, &st->path);
        break;
      case TLC_TEXT:
        if (!ReadT(&in, &st->text))
          ok = Fail(st, "Text Record Read Error ... Can't Continue");
        else
          ok = GdsOutText(st, &st->text);
        break;
      default:
        break;
    }
  }
  TlcCloseRead(&in);
  if (!ok) st->abort = 1;
  return st->abort ? 0 : 1;
}

static void ShowCounts(GdsOutState* st) {
  if (st->showCounts) st->showCounts(&st->cur, &st->max);
}

// A fresh run up to what the main cell's header gives: the settings, the
// map, the units and the record writer's ratio. *metres: metres per GDS
// user unit.
static int RunCheck(GdsOutState* st, double* metres) {
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->cur = st->max = GdsCounts{0, 0, 0, 0};
  st->abort = 0;
  st->nCells = 0;
  LdmMapClear(&st->ldm);
  GdsOutSetupApply(st, 0);
  GdsOutTextApply(st);
  CnvPathSplit(st->val[GK_TFN], st->drive, st->folder, st->mainName, st->mainExt);

  if (!LdmRead(st, st->val[GK_LDF])) return Fail(st, "LDM File is Incorrect or Missing ... Can't Continue");

  Status("Reading ", st->mainName, ".tlc ...");
  Poll(st, 500);
  if (st->abort) return 0;
  TlcIn& in = st->in;
  if (!st->mainName[0] || !TlcOpenRead(&in, st->drive, st->folder, st->mainName)) {
    SetVal(st, GK_TFN, "?.tlc");
    return Fail(st, "Main TLC file is Missing ... Can't Continue");
  }
  int hok = TlcReadH(&in, &st->hdr);
  TlcCloseRead(&in);
  if (!hok) return Fail(st, "Header Record Read Error ... Can't Continue");

  if (!(st->hdr.scale > 0)) return Fail(st, "TLC Scale is Missing ... Can't Continue");
  st->tlcScale = st->hdr.scale;
  snprintf(st->tlcUnit, sizeof st->tlcUnit, "%s", st->hdr.unit);
  GdsUnitChoose(st->hdr.unit, st->gdsUnit, sizeof st->gdsUnit, metres);
  st->ratio = st->csu * st->lambda / st->tlcScale;
  GdsRecReset(&st->rec);
  st->rec.lsb = st->lsb;
  st->rec.abortFlag = &st->abort;
  GdsRecRatio(&st->rec, st->ratio);
  char line[300];
  int n = snprintf(line, sizeof line, "TLC= %.*gunits/%s  GDS= %.*gunits/%s   GDS/TLC Scale Ratio= %.*g", 9,
                   st->tlcScale, st->tlcUnit, 9, (double)st->csu, st->gdsUnit, 9, st->ratio);
  if (strcmp(st->gdsUnit, "um") == 0 && n > 0 && n < (int)sizeof line)
    snprintf(line + n, sizeof line - (size_t)n, "   Lambda= %.*g%s", 9, st->lambda, "um");
  if (st->scaleLine) st->scaleLine(line);
  return 1;
}

// The log and the listing, each with its head.
static int RunOpenLogs(GdsOutState* st) {
  st->log = fopen(st->val[GK_WR2], "wt");
  if (!st->log) return Fail(st, "Unable to Write Log File ... Can't Continue");
  fprintf(st->log, "*** TLC to GDS Conversion Log  %s  %s  %s\n\n", kVersion, st->date, st->time);
  fprintf(st->log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(st->log, "GDS File Name: %s\n", st->val[GK_GFN]);
  fprintf(st->log, "GDS Library Drawing Name: %s\n", st->val[GK_DLN]);
  fprintf(st->log, "GDS Scale: %.*g per %s\n", 9, (double)st->csu, st->gdsUnit);
  fprintf(st->log, "TLC Scale: %.*g per %s\n", 9, st->tlcScale, st->tlcUnit);
  fprintf(st->log, "GDS/TLC Scale Ratio: %.*g\n", 9, st->ratio);
  if (strcmp(st->gdsUnit, "um") == 0) fprintf(st->log, "Lambda: %.*g%s\n", 9, st->lambda, "um");
  fprintf(st->log, "Filtered Layers: %s\n\n", st->val[GK_FTR]);

  if (st->wtx) {
    st->rec.listing = fopen("GdsWrite.txt", "wt");
    if (!st->rec.listing) return Fail(st, "Unable to Write Gds Text File ... Can't Continue");
    fprintf(st->rec.listing, "*** TLC to GDS Conversion  %s  %s  %s\n\n", kVersion, st->date, st->time);
    fprintf(st->rec.listing, "Note: Read Text with Fixed Pitch Font\n\n");
    fprintf(st->rec.listing, "GDS File Name: %s\n\n", st->val[GK_GFN]);
    fprintf(st->rec.listing, "  RL  RT  DT    Record  Data\n");
    fprintf(st->rec.listing, "------------------------------\n\n");
  }
  return 1;
}

// The stream file, after the log's table head.
static int RunOpenStream(GdsOutState* st) {
  fprintf(st->log, "\nStructure      Boundaries  Paths       Text        Srefs\n");
  fprintf(st->log, "-----------------------------------------------------------\n");
  HostStatus("Writing GDS File ...");
  // Written beside the old file, which is replaced only by a complete one.
  if (!SafeWriteScratchName(st->gdsScratch, sizeof st->gdsScratch, st->val[GK_GFN]) ||
      !GdsRecOpen(&st->rec, st->gdsScratch)) {
    st->gdsScratch[0] = 0;
    char msg[3 * CNV_PATHLEN];
    snprintf(msg, sizeof msg, "Unable to Write GDS File %s ... Can't Continue", st->val[GK_GFN]);
    return Fail(st, msg);
  }
  return 1;
}

// The library: its head, one structure per listed cell, its end.
static int RunWrite(GdsOutState* st, double metres) {
  GdsRec* r = &st->rec;
  GdsWriteHeader(r);
  GdsWriteBgnLib(r, &st->now);
  GdsWriteLibName(r, st->val[GK_DLN]);
  GdsWriteUnits(r, 1.0 / st->csu, (1.0 / st->csu) * metres);

  for (int i = 1; i <= st->nCells && !st->abort; ++i) {
    const GdsCellEntry* e = &st->cells[i];
    snprintf(st->curCell, sizeof st->curCell, "%s", e->name);
    Status("Converting ", e->name, " ...");
    GdsOutList(st, e->name);
    r->counts = GdsCounts{0, 0, 0, 0};
    struct tm strNow = st->now;
    CnvNow(&strNow, st->fixedNow);
    GdsWriteBgnStr(r, &strNow);
    GdsWriteStrName(r, CellCase(st, e->name));
    if (e->rank < 1 || e->rank > 24) {
      char msg[3 * CNV_PATHLEN];
      snprintf(msg, sizeof msg, "%s Rank is Incorrect ... Can't Continue", e->name);
      return Fail(st, msg);
    }
    if (!ConvertCell(st, e)) return 0;
    GdsWriteEndStr(r);
    st->cur = r->counts;
    if (st->cur.boundaries > st->max.boundaries) st->max.boundaries = st->cur.boundaries;
    if (st->cur.paths > st->max.paths) st->max.paths = st->cur.paths;
    if (st->cur.texts > st->max.texts) st->max.texts = st->cur.texts;
    if (st->cur.srefs > st->max.srefs) st->max.srefs = st->cur.srefs;
    ShowCounts(st);
    Poll(st, 50);
    fprintf(st->log, "%-16s%-12ld%-12ld%-12ld%-12ld\n", " ", (long)st->cur.boundaries, (long)st->cur.paths,
            (long)st->cur.texts, (long)st->cur.srefs);
  }
  if (st->abort) return 0;
  GdsWriteEndLib(r);
  return 1;
}

static int Run(GdsOutState* st) {
  double metres = 1e-6;
  if (!RunCheck(st, &metres) || !RunOpenLogs(st)) return 0;
  if (st->ratio != std::floor(st->ratio) || st->ratio < 1)
    HostWarning("Resolution may be lost ... GDS/TLC Scale Ratio is not Integral");
  Poll(st, 500);
  if (st->abort) return 0;
  if (!GdsOutCellList(st) || !RunOpenStream(st)) return 0;
  return RunWrite(st, metres);
}

// Closes every file of the run; a failed close of the stream file or the
// listing makes an otherwise complete run a failure.
static int CloseAll(GdsOutState* st, int ok) {
  char msg[CNV_PATHLEN + 60];
  if (st->rec.out && !GdsRecClose(&st->rec) && ok) {
    snprintf(msg, sizeof msg, "Unable to Write GDS File %s ... Can't Continue", st->val[GK_GFN]);
    ok = Fail(st, msg);
  }
  if (st->gdsScratch[0]) {
    if (!ok || st->abort) {
      remove(st->gdsScratch);
    } else if (!SafeWriteReplace(st->gdsScratch, st->val[GK_GFN])) {
      snprintf(msg, sizeof msg, "Unable to Write GDS File %s ... Can't Continue", st->val[GK_GFN]);
      ok = Fail(st, msg);
    }
    st->gdsScratch[0] = 0;
  }
  if (!CnvFileClose(&st->rec.listing) && ok) ok = Fail(st, "Unable to Write Gds Text File ... Can't Continue");
  if (!CnvFileClose(&st->log) && ok) ok = Fail(st, "Unable to Write Log File ... Can't Continue");
  return ok;
}

int GdsOutConvert(GdsOutState* st) {
  int ok = Run(st);
  ok = CloseAll(st, ok && !st->abort);
  return ok && !st->abort;
}

int GdsOutClosing(GdsOutState* st, int converted, char* text, int size) {
  if (!converted) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
    return GO_ABORTED;
  }
  if (st->ldm.added) {
    char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
    CnvPathSplit(st->val[GK_LDF], d, f, n, e);
    if (!LdmWrite(st, st->val[GK_LDF])) {
      snprintf(text, (size_t)size, "Unable to Write LDM File %s%s", n, e);
      return GO_ABORTED;
    }
    snprintf(text, (size_t)size, "Layers have been Added to the LDM File %s%s ... Run GdsOut Again", n, e);
    return GO_ADDED;
  }
  snprintf(text, (size_t)size, "Completed ...\n\n%lld Bytes in GDS File %s", (long long)st->rec.bytes, st->val[GK_GFN]);
  return GO_DONE;
}

int GdsOutGo(GdsOutState* st) {
  char text[3 * CNV_PATHLEN];
  int result = GdsOutClosing(st, GdsOutConvert(st), text, sizeof text);
  return CnvGoShow(result, GO_ABORTED, text);
}

// ---- layer table ------------------------------------------------------------------

int GdsOutLayersRead(GdsOutState* st) {
  return CnvLayersRead(&st->in, st->val[GK_TFN], st->layers, 8, 1, &st->sel);
}

void GdsOutLayersApply(GdsOutState* st) {
  CnvLayersApply(st->layers, st->allLayers, &st->sel, st->val[GK_FTR], GDSOUT_VALLEN);
}
