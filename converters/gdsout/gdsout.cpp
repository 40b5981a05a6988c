#include "gdsout.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "host.h"

GdsOutState GdsOutSt;

const char* const GdsOutKeys[GDSOUT_NKEYS] = {
    "tfn=", "gfn=", "ldf=", "wr2=", "lsb=", "lam=", "csu=", "mpw=", "dln=", "ftr=",
    "dro=", "lcn=", "ctx=", "mpp=", "dpu=", "wtx=", "lft=", "top=", "rgt=", "bot=",
};
const char* const GdsOutDisplayName = "GdsOut";

static const char* const kVersion = "7.0.91";

static void SetVal(int k, const char* text) {
  snprintf(GdsOutSt.val[k], GDSOUT_VALLEN, "%s", text ? text : "");
}

void GdsOutReset() {
  GdsOutState& s = GdsOutSt;
  GdsRecReset(&s.rec);
  memset(s.val, 0, sizeof s.val);
  memset(s.font, 0, sizeof s.font);
  SetVal(GK_WR2, "GdsOut.log");
  SetVal(GK_LSB, "0");
  SetVal(GK_LAM, "1.0");
  SetVal(GK_CSU, "1000");
  SetVal(GK_MPW, "0");
  SetVal(GK_DLN, "DEFAULT.DB");
  SetVal(GK_FTR, "-");
  for (int k = GK_DRO; k <= GK_WTX; ++k) SetVal(k, "N");
  LayerSetAll(&s.sel);
  LdmMapClear(&s.ldm);
  s.nCells = 0;
  for (GdsLayerEntry& e : s.layers) {
    snprintf(e.name, sizeof e.name, "NONE");
    e.word = 0;
  }
  s.allLayers = 0;
  s.cur = s.max = GdsCounts{0, 0, 0, 0};
  s.abort = 0;
  s.lambda = 1.0;
  s.csu = 1000;
  s.mpw = 2;
  s.lsb = 0;
  s.lcn = s.ctx = s.mpp = s.dpu = s.wtx = s.dro = 0;
  s.tlcScale = 1;
  snprintf(s.tlcUnit, sizeof s.tlcUnit, "um");
  snprintf(s.gdsUnit, sizeof s.gdsUnit, "um");
  s.ratio = 1;
  s.drive[0] = s.folder[0] = s.mainName[0] = s.mainExt[0] = 0;
  s.curCell[0] = 0;
  s.date[0] = s.time[0] = 0;
  memset(&s.now, 0, sizeof s.now);
  s.fixedNow = 0;
  s.log = nullptr;
  s.extAbort = nullptr;
  s.ldmAsk = nullptr;
  s.listLine = nullptr;
  s.scaleLine = nullptr;
  s.showCounts = nullptr;
  GdsOutTextApply();
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
static void FileWithExt(int k, const char* ext) {
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], old[CNV_PATHLEN];
  const char* from = GdsOutSt.val[k][0] ? GdsOutSt.val[k] : GdsOutSt.val[GK_TFN];
  if (!*from) return;
  CnvPathSplit(from, drive, folder, name, old);
  char out[3 * CNV_PATHLEN + 8];
  snprintf(out, sizeof out, "%s%s%s%s", drive, folder, name, ext);
  SetVal(k, out);
  PathTidy(GdsOutSt.val[k], GDSOUT_VALLEN);
}

static int YesNo(int k) { return CnvYesNo(GdsOutSt.val[k], GDSOUT_VALLEN); }

int GdsOutSetupApply(int check) {
  GdsOutState& s = GdsOutSt;
  char buf[64];
  if (s.val[GK_TFN][0]) {
    PathTidy(s.val[GK_TFN], GDSOUT_VALLEN);
    FileWithExt(GK_TFN, ".tlc");
  }
  FileWithExt(GK_GFN, ".gds");
  FileWithExt(GK_LDF, ".ldm");
  if (!s.val[GK_WR2][0]) SetVal(GK_WR2, "GdsOut.log");

  s.lsb = atoi(s.val[GK_LSB]);
  snprintf(buf, sizeof buf, "%d", s.lsb);
  SetVal(GK_LSB, buf);

  double lam = s.val[GK_LAM][0] ? std::fabs(atof(s.val[GK_LAM])) : 1.0;
  if (lam < 0.01) lam = 0.01;
  if (lam > 100) lam = 100;
  s.lambda = lam;
  snprintf(buf, sizeof buf, "%.9g", lam);
  SetVal(GK_LAM, buf);

  // D divides the UNITS values: never below 1.
  int csu = s.val[GK_CSU][0] ? std::abs(atoi(s.val[GK_CSU])) : 1000;
  if (csu < 1) csu = 1;
  s.csu = csu;
  snprintf(buf, sizeof buf, "%d", csu);
  SetVal(GK_CSU, buf);

  int mpw = std::abs(atoi(s.val[GK_MPW]));
  if (mpw < 2) mpw = 2;
  if (mpw > 10000) mpw = 10000;
  s.mpw = mpw;
  snprintf(buf, sizeof buf, "%d", mpw);
  SetVal(GK_MPW, buf);

  char dln[16];
  snprintf(dln, sizeof dln, "%.8s", s.val[GK_DLN][0] ? s.val[GK_DLN] : "DEFAULT.DB");
  for (char* p = dln; *p; ++p) *p = (char)toupper((unsigned char)*p);
  char* dot = strchr(dln, '.');
  if (dot) *dot = 0;
  snprintf(buf, sizeof buf, "%s.DB", dln);
  SetVal(GK_DLN, buf);

  if (!s.val[GK_FTR][0]) SetVal(GK_FTR, "-");
  s.dro = YesNo(GK_DRO);
  s.lcn = YesNo(GK_LCN);
  s.ctx = YesNo(GK_CTX);
  s.mpp = YesNo(GK_MPP);
  s.dpu = YesNo(GK_DPU);
  s.wtx = YesNo(GK_WTX);

  int faults = 0;
  if (check) {
    const char* const files[3] = {s.val[GK_TFN], s.val[GK_GFN], s.val[GK_LDF]};
    faults += CnvFileNamesCheck(files, 3);
  }
  return faults;
}

void GdsOutTextApply() {
  GdsOutState& s = GdsOutSt;
  for (int r = 0; r < GDSOUT_ROWS; ++r) {
    char(*t)[GDSOUT_VALLEN] = &s.font[6 * r];
    GdsTextRow& row = s.rows[r];
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

int GdsOutSelTest(int n) { return LyrSelTest(&GdsOutSt.sel, n); }

void GdsOutSelParse(const char* text) {
  if (text) LyrSelParse(&GdsOutSt.sel, text);
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
static void Poll(int ms) {
  CnvAbortPoll(ms, &GdsOutSt.abort);
  if (GdsOutSt.extAbort && *GdsOutSt.extAbort) GdsOutSt.abort = 1;
}

void GdsOutList(const char* text) {
  if (GdsOutSt.listLine) GdsOutSt.listLine(text);
  if (GdsOutSt.log) fprintf(GdsOutSt.log, "%s\n", text);
}

// A "... Can't Continue" message: shown, and the run ends.
static int Fail(const char* text) {
  HostError(text);
  GdsOutSt.abort = 1;
  return 0;
}

static void Status(const char* before, const char* name, const char* after) {
  char msg[CNV_PATHLEN + 40];
  snprintf(msg, sizeof msg, "%s%s%s", before, name, after);
  HostStatus(msg);
}

// ---- elements -----------------------------------------------------------------

static const char* CellCase(const char* name) {
  static char buf[36];
  snprintf(buf, sizeof buf, "%s", name);
  if (GdsOutSt.lcn)
    for (char* p = buf; *p; ++p) *p = (char)tolower((unsigned char)*p);
  return buf;
}

static void StransAngle(GdsRec* r, int o, int withMag, double mag) {
  GdsWriteStrans(r, (o & 7) >= 4 ? 0x8000 : 0);
  if (withMag) GdsWriteMag(r, mag);
  GdsWriteAngle(r, 90.0 * (o & 3));
}

int GdsOutSref(const CnvCell* c) {
  GdsRec* r = &GdsOutSt.rec;
  GdsWriteSref(r);
  GdsWriteSName(r, CellCase(c->name));
  StransAngle(r, c->o, 1, 1.0);
  if (!GdsWriteXY(r, &c->x, &c->y, 1)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutBox(const CnvBox* b) {
  GdsOutState& s = GdsOutSt;
  if (!GdsOutSelTest(b->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(b->lyr, &gl, &dt)) return 0;
  if (!GdsCheckBox(b)) return s.abort ? 0 : 1;
  int32_t x[5] = {b->l, b->r, b->r, b->l, b->l};
  int32_t y[5] = {b->b, b->b, b->t, b->t, b->b};
  GdsRec* r = &s.rec;
  GdsWriteBoundary(r);
  GdsWriteLayer(r, gl);
  GdsWriteDatatype(r, dt);
  if (!GdsWriteXY(r, x, y, 5)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutPath(CnvPath* p) {
  GdsOutState& s = GdsOutSt;
  if (!GdsOutSelTest(p->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(p->lyr, &gl, &dt)) return 0;
  int how = GdsCheckPath(p);
  if (s.abort) return 0;
  if (how == GCHK_DROP) return 1;
  GdsRec* r = &s.rec;
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
      GdsWriteWidth(r, s.mpw);
    } else {
      int64_t w = GdsScale(r, p->w);
      if (w < 0) w = -w;
      if (w > INT32_MAX) return Fail("Path Width in GDS Record exceeds 32 Bits ... Can't Continue");
      GdsWriteWidth(r, (int32_t)w);
    }
  }
  if (!GdsWriteXY(r, p->x, p->y, p->nv)) return 0;
  GdsWriteEndEl(r);
  return 1;
}

int GdsOutText(const CnvText* t) {
  GdsOutState& s = GdsOutSt;
  if (!s.ctx || !GdsOutSelTest(t->lyr)) return 1;
  int gl, dt;
  if (!LdmLookup(t->lyr, &gl, &dt)) return 0;
  double size = std::fabs((double)t->size);
  int row = 0;
  for (int k = 0; k < GDSOUT_ROWS; ++k) {
    double nominal = s.tlcScale * s.rows[k].size;
    if (0.75 * nominal < size && size < 1.25 * nominal) row = k;
  }
  const GdsTextRow& tr = s.rows[row];
  GdsRec* r = &s.rec;
  double w = tr.width * s.tlcScale * s.ratio;
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

static int CellFind(const char* name) {
  for (int i = 1; i <= GdsOutSt.nCells; ++i)
    if (CnvSameName(GdsOutSt.cells[i].name, name)) return i;
  return 0;
}

static int CellAdd(const char* name) {
  GdsOutState& s = GdsOutSt;
  if (s.nCells >= GDSOUT_MAXCELLS) {
    char msg[80];
    snprintf(msg, sizeof msg, "Too Many Cells (Max %d) ... Can't Continue", GDSOUT_MAXCELLS);
    return Fail(msg);
  }
  ++s.nCells;
  snprintf(s.cells[s.nCells].name, sizeof s.cells[s.nCells].name, "%s", PathUpper(name));
  s.cells[s.nCells].rank = 0;
  return 1;
}

static int HeaderOf(TlcIn* in, const char* name) {
  (void)name;
  // A file without a header would leave the previous cell's values behind.
  if (!TlcReadH(in, &GdsOutSt.hdr)) return Fail("Header Record Read Error ... Can't Continue");
  return 1;
}

int GdsOutCellList() {
  GdsOutState& s = GdsOutSt;
  s.nCells = 0;
  if (!CellAdd(s.mainName)) return 0;
  for (int p = 1; p <= s.nCells && !s.abort; ++p) {
    Status("Reading ", s.cells[p].name, ".tlc ...");
    TlcIn& in = GdsOutSt.in;
    if (!TlcOpenRead(&in, s.drive, s.folder, s.cells[p].name)) {
      char msg[CNV_PATHLEN];
      snprintf(msg, sizeof msg, "%s.TLC File is Missing ... Can't Continue", s.cells[p].name);
      return Fail(msg);
    }
    if (!HeaderOf(&in, s.cells[p].name)) {
      TlcCloseRead(&in);
      return 0;
    }
    if (s.dpu && s.hdr.scale != s.tlcScale) {
      char msg[CNV_PATHLEN];
      snprintf(msg, sizeof msg, "Scale Units of %.*g do not Agree in %s.tlc", 9, s.hdr.scale, s.cells[p].name);
      if (s.log) fprintf(s.log, "%s\n", msg);
    }
    s.cells[p].rank = s.hdr.rank;
    TlcRewind(&in);
    const char* line;
    while ((line = TlcNextLine(&in)) != nullptr) {
      if (TlcLineKind(line) != TLC_CELL) continue;
      if (!ReadC(&in, &s.cell)) {
        TlcCloseRead(&in);
        return Fail("Cell Record Read Error ... Can't Continue");
      }
      if (!CellNameValid(s.cell.name)) {
        // The name becomes a file path: "..\\x" must not reach outside.
        char msg[CNV_PATHLEN];
        snprintf(msg, sizeof msg, "Incorrect Cell Name \"%s\" in %s.tlc ... Can't Continue", s.cell.name,
                 s.cells[p].name);
        TlcCloseRead(&in);
        return Fail(msg);
      }
      if (!CellFind(s.cell.name) && !CellAdd(s.cell.name)) {
        TlcCloseRead(&in);
        return 0;
      }
    }
    TlcCloseRead(&in);
  }
  if (s.abort) return 0;
  HostStatus("Sorting Cell List ...");
  // Insertion sort: cells of equal rank keep the order in which they were
  // found (an exchange sort would not).
  for (int i = 2; i <= s.nCells; ++i) {
    GdsCellEntry e = s.cells[i];
    int j = i - 1;
    while (j >= 1 && (s.dro ? s.cells[j].rank < e.rank : s.cells[j].rank > e.rank)) {
      s.cells[j + 1] = s.cells[j];
      --j;
    }
    s.cells[j + 1] = e;
  }
  return 1;
}

// ---- the run --------------------------------------------------------------------------

static int ConvertCell(const GdsCellEntry* e) {
  GdsOutState& s = GdsOutSt;
  TlcIn& in = GdsOutSt.in;
  if (!TlcOpenRead(&in, s.drive, s.folder, e->name)) {
    char msg[CNV_PATHLEN];
    snprintf(msg, sizeof msg, "%s.TLC File is Missing ... Can't Continue", e->name);
    return Fail(msg);
  }
  const char* line;
  int ok = 1;
  while (ok && !s.abort && (line = TlcNextLine(&in)) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_CELL:
        if (!ReadC(&in, &s.cell)) ok = Fail("Cell Record Read Error ... Can't Continue");
        else ok = GdsOutSref(&s.cell);
        break;
      case TLC_BOX:
        if (!ReadB(&in, &s.box)) ok = Fail("Box Record Read Error ... Can't Continue");
        else ok = GdsOutBox(&s.box);
        break;
      case TLC_PATH:
        if (!ReadP(&in, &s.path)) ok = Fail("Path Record Read Error ... Can't Continue");
        else ok = GdsOutPath(&s.path);
        break;
      case TLC_TEXT:
        if (!ReadT(&in, &s.text)) ok = Fail("Text Record Read Error ... Can't Continue");
        else ok = GdsOutText(&s.text);
        break;
      default:
        break;
    }
  }
  TlcCloseRead(&in);
  if (!ok) s.abort = 1;
  return s.abort ? 0 : 1;
}

static void ShowCounts() {
  GdsOutState& s = GdsOutSt;
  if (s.showCounts) s.showCounts(&s.cur, &s.max);
}

static int Run() {
  GdsOutState& s = GdsOutSt;
  char msg[3 * CNV_PATHLEN];

  CnvTakeNow(&s.now, s.fixedNow, s.date, sizeof s.date, s.time, sizeof s.time);
  s.cur = s.max = GdsCounts{0, 0, 0, 0};
  s.abort = 0;
  s.nCells = 0;
  LdmMapClear(&s.ldm);
  GdsOutSetupApply(0);
  GdsOutTextApply();
  CnvPathSplit(s.val[GK_TFN], s.drive, s.folder, s.mainName, s.mainExt);

  if (!LdmRead(s.val[GK_LDF])) return Fail("LDM File is Incorrect or Missing ... Can't Continue");

  Status("Reading ", s.mainName, ".tlc ...");
  Poll(500);
  if (s.abort) return 0;
  TlcIn& in = GdsOutSt.in;
  if (!s.mainName[0] || !TlcOpenRead(&in, s.drive, s.folder, s.mainName)) {
    SetVal(GK_TFN, "?.tlc");
    return Fail("Main TLC file is Missing ... Can't Continue");
  }
  int hok = TlcReadH(&in, &s.hdr);
  TlcCloseRead(&in);
  if (!hok) return Fail("Header Record Read Error ... Can't Continue");

  if (!(s.hdr.scale > 0)) return Fail("TLC Scale is Missing ... Can't Continue");
  s.tlcScale = s.hdr.scale;
  snprintf(s.tlcUnit, sizeof s.tlcUnit, "%s", s.hdr.unit);
  double metres;
  GdsUnitChoose(s.hdr.unit, s.gdsUnit, sizeof s.gdsUnit, &metres);
  int isUm = strcmp(s.gdsUnit, "um") == 0;
  s.ratio = s.csu * s.lambda / s.tlcScale;
  GdsRecReset(&s.rec);
  s.rec.lsb = s.lsb;
  s.rec.abortFlag = &s.abort;
  GdsRecRatio(&s.rec, s.ratio);
  {
    char line[300];
    int n = snprintf(line, sizeof line, "TLC= %.*gunits/%s  GDS= %.*gunits/%s   GDS/TLC Scale Ratio= %.*g", 9,
                     s.tlcScale, s.tlcUnit, 9, (double)s.csu, s.gdsUnit, 9, s.ratio);
    if (isUm && n > 0 && n < (int)sizeof line)
      snprintf(line + n, sizeof line - (size_t)n, "   Lambda= %.*g%s", 9, s.lambda, "um");
    if (s.scaleLine) s.scaleLine(line);
  }

  s.log = fopen(s.val[GK_WR2], "wt");
  if (!s.log) return Fail("Unable to Write Log File ... Can't Continue");
  fprintf(s.log, "*** TLC to GDS Conversion Log  %s  %s  %s\n\n", kVersion, s.date, s.time);
  fprintf(s.log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(s.log, "GDS File Name: %s\n", s.val[GK_GFN]);
  fprintf(s.log, "GDS Library Drawing Name: %s\n", s.val[GK_DLN]);
  fprintf(s.log, "GDS Scale: %.*g per %s\n", 9, (double)s.csu, s.gdsUnit);
  fprintf(s.log, "TLC Scale: %.*g per %s\n", 9, s.tlcScale, s.tlcUnit);
  fprintf(s.log, "GDS/TLC Scale Ratio: %.*g\n", 9, s.ratio);
  if (isUm) fprintf(s.log, "Lambda: %.*g%s\n", 9, s.lambda, "um");
  fprintf(s.log, "Filtered Layers: %s\n\n", s.val[GK_FTR]);

  if (s.wtx) {
    s.rec.listing = fopen("GdsWrite.txt", "wt");
    if (!s.rec.listing) return Fail("Unable to Write Gds Text File ... Can't Continue");
    fprintf(s.rec.listing, "*** TLC to GDS Conversion  %s  %s  %s\n\n", kVersion, s.date, s.time);
    fprintf(s.rec.listing, "Note: Read Text with Fixed Pitch Font\n\n");
    fprintf(s.rec.listing, "GDS File Name: %s\n\n", s.val[GK_GFN]);
    fprintf(s.rec.listing, "  RL  RT  DT    Record  Data\n");
    fprintf(s.rec.listing, "------------------------------\n\n");
  }

  if (s.ratio != std::floor(s.ratio) || s.ratio < 1)
    HostWarning("Resolution may be lost ... GDS/TLC Scale Ratio is not Integral");
  Poll(500);
  if (s.abort) return 0;

  if (!GdsOutCellList()) return 0;

  fprintf(s.log, "\nStructure      Boundaries  Paths       Text        Srefs\n");
  fprintf(s.log, "-----------------------------------------------------------\n");
  HostStatus("Writing GDS File ...");
  if (!GdsRecOpen(&s.rec, s.val[GK_GFN])) {
    snprintf(msg, sizeof msg, "Unable to Write GDS File %s ... Can't Continue", s.val[GK_GFN]);
    return Fail(msg);
  }

  GdsRec* r = &s.rec;
  GdsWriteHeader(r);
  GdsWriteBgnLib(r, &s.now);
  GdsWriteLibName(r, s.val[GK_DLN]);
  GdsWriteUnits(r, 1.0 / s.csu, (1.0 / s.csu) * metres);

  for (int i = 1; i <= s.nCells && !s.abort; ++i) {
    const GdsCellEntry* e = &s.cells[i];
    snprintf(s.curCell, sizeof s.curCell, "%s", e->name);
    Status("Converting ", e->name, " ...");
    GdsOutList(e->name);
    r->counts = GdsCounts{0, 0, 0, 0};
    struct tm strNow = s.now;
    CnvNow(&strNow, s.fixedNow);
    GdsWriteBgnStr(r, &strNow);
    GdsWriteStrName(r, CellCase(e->name));
    if (e->rank < 1 || e->rank > 24) {
      snprintf(msg, sizeof msg, "%s Rank is Incorrect ... Can't Continue", e->name);
      return Fail(msg);
    }
    if (!ConvertCell(e)) return 0;
    GdsWriteEndStr(r);
    s.cur = r->counts;
    if (s.cur.boundaries > s.max.boundaries) s.max.boundaries = s.cur.boundaries;
    if (s.cur.paths > s.max.paths) s.max.paths = s.cur.paths;
    if (s.cur.texts > s.max.texts) s.max.texts = s.cur.texts;
    if (s.cur.srefs > s.max.srefs) s.max.srefs = s.cur.srefs;
    ShowCounts();
    Poll(50);
    fprintf(s.log, "%-16s%-12ld%-12ld%-12ld%-12ld\n", " ", (long)s.cur.boundaries, (long)s.cur.paths,
            (long)s.cur.texts, (long)s.cur.srefs);
  }
  if (s.abort) return 0;
  GdsWriteEndLib(r);
  return 1;
}

// Closes every file of the run; a failed close of the stream file or the
// listing makes an otherwise complete run a failure.
static int CloseAll(int ok) {
  GdsOutState& s = GdsOutSt;
  char msg[CNV_PATHLEN + 60];
  if (s.rec.out && !GdsRecClose(&s.rec) && ok) {
    snprintf(msg, sizeof msg, "Unable to Write GDS File %s ... Can't Continue", s.val[GK_GFN]);
    ok = Fail(msg);
  }
  if (!CnvFileClose(&s.rec.listing) && ok) ok = Fail("Unable to Write Gds Text File ... Can't Continue");
  if (!CnvFileClose(&s.log) && ok) ok = Fail("Unable to Write Log File ... Can't Continue");
  return ok;
}

int GdsOutConvert() {
  int ok = Run();
  ok = CloseAll(ok && !GdsOutSt.abort);
  return ok && !GdsOutSt.abort;
}

int GdsOutClosing(int converted, char* text, int size) {
  GdsOutState& s = GdsOutSt;
  if (!converted) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
    return GO_ABORTED;
  }
  if (s.ldm.added) {
    char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
    CnvPathSplit(s.val[GK_LDF], d, f, n, e);
    if (!LdmWrite(s.val[GK_LDF])) {
      snprintf(text, (size_t)size, "Unable to Write LDM File %s%s", n, e);
      return GO_ABORTED;
    }
    snprintf(text, (size_t)size, "Layers have been Added to the LDM File %s%s ... Run GdsOut Again", n, e);
    return GO_ADDED;
  }
  snprintf(text, (size_t)size, "Completed ...\n\n%lld Bytes in GDS File %s", (long long)s.rec.bytes, s.val[GK_GFN]);
  return GO_DONE;
}

int GdsOutGo() {
  char text[3 * CNV_PATHLEN];
  int result = GdsOutClosing(GdsOutConvert(), text, sizeof text);
  return CnvGoShow(result, GO_ABORTED, text);
}

// ---- layer table ------------------------------------------------------------------

int GdsOutLayersRead() {
  GdsOutState& s = GdsOutSt;
  for (GdsLayerEntry& e : s.layers) {
    snprintf(e.name, sizeof e.name, "NONE");
    e.word = 0;
  }
  char drive[CNV_PATHLEN], folder[CNV_PATHLEN], name[CNV_PATHLEN], ext[CNV_PATHLEN];
  CnvPathSplit(s.val[GK_TFN], drive, folder, name, ext);
  TlcIn& in = GdsOutSt.in;
  if (!name[0] || !TlcOpenRead(&in, drive, folder, name)) {
    HostError("Main TLC File is Missing ... No Layers Read");
    return 0;
  }
  int n = 0;
  const char* line;
  while ((line = TlcNextLine(&in)) != nullptr) {
    if (TlcLineKind(line) != TLC_LAYERS) continue;
    line = TlcNextLine(&in);
    int count = line ? atoi(line) : 0;
    for (int i = 0; i < count && n < GDSOUT_LAYERS; ++i) {
      line = TlcNextLine(&in);
      if (!line) break;
      char lname[256];
      int num = 0;
      if (sscanf(line, "%255s %d", lname, &num) != 2) continue;
      num &= 0x1FF;
      if (num < 1 || num > 256) continue;
      snprintf(s.layers[n].name, sizeof s.layers[n].name, "%.8s", lname);
      s.layers[n].word = num | (GdsOutSelTest(num) ? GDSOUT_LAYER_SELECTED : 0);
      ++n;
    }
    break;
  }
  TlcCloseRead(&in);
  if (n == 0) {
    HostError("No Layers in Main TLC File");
    return 0;
  }
  return 1;
}

void GdsOutLayersApply() {
  GdsOutState& s = GdsOutSt;
  if (s.allLayers) {
    LayerSetAll(&s.sel);
  } else {
    LayerSetClear(&s.sel);
    for (const GdsLayerEntry& e : s.layers)
      if (e.word & GDSOUT_LAYER_SELECTED) LyrSelSet(&s.sel, e.word & 0x1FF);
  }
  char text[1100];
  LyrSetText(&s.sel, text, sizeof text);
  CnvClip(text, 255);
  if (text[0]) SetVal(GK_FTR, text);
}
