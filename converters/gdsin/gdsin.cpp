// Settings, messages and the order of a GDSII-to-TLC conversion.
#include "gdsin.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gdsinpriv.h"
#include "host.h"
#include "namecheck.h"
#include "q7tlcrw.h"
#include "satutil.h"

GdsInState GdsInSt;

const char* const GdsInKeys[GDSIN_NKEYS] = {
    "cfn=", "tph=", "ldf=", "wr2=", "lta=", "pun=", "lsu=", "lzl=", "mcl=", "ctx=", "cop=",
    "cbb=", "omt=", "mlf=", "nam=", "wtx=", "old=", "lft=", "top=", "rgt=", "bot=",
};
const char* const GdsInDisplayName = "GdsIn";

static const char* const kVersion = "7.0.91";

static GdsStruct StructTable[GDSIN_MAXSTRUCT + 2];

static void SetVal(int k, const char* text) { snprintf(GdsInSt.val[k], GDSIN_VALLEN, "%s", text ? text : ""); }

void GdsInReset() {
  GdsInState& s = GdsInSt;
  if (s.src.f) fclose(s.src.f);
  if (s.listing) fclose(s.listing);
  if (s.log) fclose(s.log);
  memset(&s, 0, sizeof s);
  s.st = StructTable;
  SetVal(IK_WR2, "GdsIn.log");
  SetVal(IK_LTA, "-");
  SetVal(IK_PUN, "um");
  SetVal(IK_LSU, "1000");
  SetVal(IK_LZL, "255");
  SetVal(IK_MCL, "1");
  for (int k = IK_CTX; k <= IK_OLD; ++k) SetVal(k, "N");
  LayerSetAll(&s.sel);
  s.tlcScale = 1000;
  s.lzl = 255;
  s.mcl = 1;
  s.G = 1000;
  s.f = 1;
  s.cap = s.div = s.minDiv = 100000;
  snprintf(s.unit, sizeof s.unit, "um");
  GdsInTextApply();
}

// ---- settings ------------------------------------------------------------

static int YesNo(int k) { return CnvYesNo(GdsInSt.val[k], GDSIN_VALLEN); }

static int IntClamp(int k, int dflt, int lo, int hi) {
  int v = GdsInSt.val[k][0] ? atoi(GdsInSt.val[k]) : dflt;
  if (v < lo) v = lo;
  if (v > hi) v = hi;
  char buf[16];
  snprintf(buf, sizeof buf, "%d", v);
  SetVal(k, buf);
  return v;
}

static void Tidy(int k) {
  const char* t = PathFix(GdsInSt.val[k]);
  if (t[0]) SetVal(k, t);
}

int GdsInSetupApply(int check) {
  GdsInState& s = GdsInSt;
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN], out[4 * CNV_PATHLEN];
  if (s.val[IK_CFN][0]) {
    Tidy(IK_CFN);
    CnvPathSplit(s.val[IK_CFN], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.gds", d, f, n);
    SetVal(IK_CFN, out);
  }
  char gd[CNV_PATHLEN], gf[CNV_PATHLEN], gn[CNV_PATHLEN], ge[CNV_PATHLEN];
  CnvPathSplit(s.val[IK_CFN], gd, gf, gn, ge);
  if (!s.val[IK_TPH][0]) {
    snprintf(out, sizeof out, ".\\%s_files\\", gn[0] ? gn : "Gds");
    SetVal(IK_TPH, out);
  }
  Tidy(IK_TPH);
  size_t len = strlen(s.val[IK_TPH]);
  if (len && s.val[IK_TPH][len - 1] != '\\' && s.val[IK_TPH][len - 1] != '/' && len + 1 < GDSIN_VALLEN) {
    s.val[IK_TPH][len] = '\\';
    s.val[IK_TPH][len + 1] = 0;
  }
  if (!s.val[IK_LDF][0]) {
    if (gn[0]) {
      snprintf(out, sizeof out, "%s%s%s.ldm", gd, gf, gn);
      SetVal(IK_LDF, out);
    }
  } else {
    CnvPathSplit(s.val[IK_LDF], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.ldm", d, f, n);
    SetVal(IK_LDF, out);
  }
  if (s.val[IK_LDF][0]) Tidy(IK_LDF);
  if (!s.val[IK_WR2][0]) SetVal(IK_WR2, "GdsIn.log");
  if (!s.val[IK_LTA][0]) SetVal(IK_LTA, "-");
  if (!s.val[IK_PUN][0]) SetVal(IK_PUN, "um");
  double scale = s.val[IK_LSU][0] ? std::fabs(atof(s.val[IK_LSU])) : 1000;
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  if (scale > 1e9) scale = 1e9;
  s.tlcScale = scale;
  snprintf(out, sizeof out, "%.9g", scale);
  SetVal(IK_LSU, out);
  s.lzl = IntClamp(IK_LZL, 255, 1, 256);
  s.mcl = IntClamp(IK_MCL, 1, 1, 256);
  s.ctx = YesNo(IK_CTX);
  s.cop = YesNo(IK_COP);
  s.cbb = YesNo(IK_CBB);
  s.omt = YesNo(IK_OMT);
  s.mlf = YesNo(IK_MLF);
  s.nam = YesNo(IK_NAM);
  s.wtx = YesNo(IK_WTX);
  s.old = YesNo(IK_OLD);
  LayerSetAll(&s.sel);
  LyrSelParse(&s.sel, s.val[IK_LTA]);
  int faults = 0;
  if (check) {
    const char* const files[2] = {s.val[IK_CFN], s.val[IK_LDF]};
    faults += CnvFileNamesCheck(files, 2);
  }
  return faults;
}

void GdsInTextApply() {
  GdsInState& s = GdsInSt;
  for (int r = 0; r < GDSIN_ROWS; ++r) {
    char(*t)[GDSIN_VALLEN] = &s.font[6 * r];
    GdsTextRowIn& row = s.rows[r];
    double size = t[0][0] ? std::fabs(atof(t[0])) : r + 1;
    double held = std::round(size * s.tlcScale);
    if (!(held >= 1)) held = 1;
    if (held > 9830400) held = 9830400;
    row.size = (int32_t)held;
    snprintf(t[0], GDSIN_VALLEN, "%.9g", held / s.tlcScale);
    if (!t[1][0]) {
      row.font = r;
    } else if (strcmp(t[1], "-") == 0) {
      row.font = -1;
    } else {
      row.font = atoi(t[1]);
      if (row.font < 0) row.font = 0;
      if (row.font > 3) row.font = 3;
    }
    if (row.font >= 0) snprintf(t[1], GDSIN_VALLEN, "%d", row.font);
    if (strcmp(t[2], "-") == 0) {
      row.texttype = -1;
    } else {
      row.texttype = atoi(t[2]);
      if (row.texttype < 0) row.texttype = 0;
      if (row.texttype > 256) row.texttype = 256;
      snprintf(t[2], GDSIN_VALLEN, "%d", row.texttype);
    }
    int* sw[3] = {&row.mag, &row.oren, &row.just};
    for (int c = 0; c < 3; ++c) {
      char* v = t[3 + c];
      *sw[c] = toupper((unsigned char)v[0]) == 'Y';
      snprintf(v, GDSIN_VALLEN, "%s", *sw[c] ? "Y" : "N");
    }
  }
  char* cr = s.font[GDSIN_ROWS * 6];
  s.delimCR = toupper((unsigned char)cr[0]) == 'Y';
  snprintf(cr, GDSIN_VALLEN, "%s", s.delimCR ? "Y" : "N");
}

// ---- messages ------------------------------------------------------------------

void GdsInList(const char* text) {
  GdsInState& s = GdsInSt;
  if (s.listLine) s.listLine(text);
  if (s.log) fprintf(s.log, "%s\n", text);
}

int GdsFail(const char* text) {
  GdsInState& s = GdsInSt;
  if (s.abort) return 0;
  if (s.log)
    fprintf(s.log, "\nStopped at Record Offset %lld (RL=%X RT=%X DT=%X): %s\n", (long long)s.recPos, s.rl, s.rt, s.dt,
            text);
  HostError(text);
  s.abort = 1;
  return 0;
}

void GdsPoll(int ms) {
  GdsInState& s = GdsInSt;
  CnvAbortPoll(ms, &s.abort);
  if (s.extAbort && *s.extAbort) s.abort = 1;
}

void GdsCounter(int id, const char* text) {
  GdsInState& s = GdsInSt;
  if (s.counter)
    s.counter(id, text);
  else if (id == 500 || id == 519)
    HostStatus(text);
}

void GdsProgress() {
  GdsInState& s = GdsInSt;
  if (!s.progress || s.src.size <= 0) return;
  s.progress((int)std::llround(100.0 * (double)s.src.pos / (double)s.src.size));
}

// ---- the run ---------------------------------------------------------------------

static FILE* OutOpen(const char* name) {
  char path[2 * CNV_PATHLEN];
  snprintf(path, sizeof path, "%s%s", GdsInSt.outFolder, name);
  return SatOpen(path, "wt");
}

static void CollectionLog() {
  GdsInState& s = GdsInSt;
  if (!s.log) return;
  fprintf(s.log, "\n%d Cells in Converted Cell Collection:\n\n", s.nSt);
  fprintf(s.log, "Structures                       Rank   Cells\n");
  fprintf(s.log, "----------------------------------------------------\n");
  for (int i = 1; i <= s.nSt; ++i) fprintf(s.log, "%-34s%-6d%-34s\n", s.st[i].name, s.st[i].rank, s.st[i].cell);
  fprintf(s.log, "\n");
}

static void NamesFile() {
  GdsInState& s = GdsInSt;
  char name[CNV_PATHLEN + 8];
  snprintf(name, sizeof name, "%s.nam", s.gdsName);
  FILE* f = OutOpen(name);
  int bad = !f;
  if (f) {
    fprintf(f, "Structure Name to Cell Name/Rank List for %s%s\n\n", s.gdsName, s.gdsExt);
    for (int i = 1; i <= s.nSt; ++i) fprintf(f, "%-34s %-34s %d\n", s.st[i].name, s.st[i].cell, s.st[i].rank);
    if (ferror(f)) bad = 1;
    if (fclose(f) != 0) bad = 1;
  }
  if (bad) HostWarning("Unable to Write NAM File ... Conversion will Continue.");
}

static int LayersFile() {
  GdsInState& s = GdsInSt;
  char name[CNV_PATHLEN + 16];
  snprintf(name, sizeof name, "layers_%s.tld", s.gdsName);
  FILE* f = OutOpen(name);
  if (!f) return 0;
  fprintf(f, s.old ? "=L\n%d\n" : "<L>\n%d\n", s.nLayers);
  for (int i = 0; i < s.nLayers; ++i) fprintf(f, "GDS%d %d\n", s.layers[i], s.layers[i]);
  if (!s.old) fprintf(f, "</L>\n");
  int bad = ferror(f) != 0;
  if (fclose(f) != 0) bad = 1;
  return !bad;
}

static int Run() {
  GdsInState& s = GdsInSt;
  // 1. A fresh run.
  CnvTakeNow(&s.now, s.fixedNow, s.date, sizeof s.date, s.time, sizeof s.time);
  s.nSt = 0;
  memset(s.hashName, 0, sizeof s.hashName);
  memset(s.hashUpper, 0, sizeof s.hashUpper);
  memset(s.hashCell, 0, sizeof s.hashCell);
  s.nLayers = 0;
  LdmMapClear(&s.ldm);
  s.cellCount = s.total = s.maxCount = GdsInCounts{0, 0, 0, 0, 0};
  s.files = 0;
  s.abort = 0;
  s.pass = 0;
  s.firstHeader = 1;
  s.cap = s.div = s.minDiv = 100000;
  s.G = 1000;
  s.metres = 1e-6;
  snprintf(s.unit, sizeof s.unit, "um");
  s.unitsSeen = 0;
  s.highestRank = 1;
  s.cellOpen = 0;
  s.xyWarned = 0;
  s.curName[0] = 0;
  GdsInSetupApply(0);
  GdsInTextApply();
  s.f = s.tlcScale / s.G;
  snprintf(s.gdsPath, sizeof s.gdsPath, "%s", s.val[IK_CFN]);
  {
    char d[CNV_PATHLEN], f[CNV_PATHLEN];
    CnvPathSplit(s.gdsPath, d, f, s.gdsName, s.gdsExt);
  }
  snprintf(s.outFolder, sizeof s.outFolder, "%s", s.val[IK_TPH]);

  // 2. The output folder.
  if (!PathDiffer(s.outFolder, ""))
    return GdsFail("Cell Files will be Written to the Drawing Folder ... Can't Continue");
  {
    char text[CNV_PATHLEN + 40];
    switch (SatMkdir(s.outFolder)) {
      case 0:
        snprintf(text, sizeof text, "Folder %s was Created", s.outFolder);
        HostMsgBox(text, GdsInDisplayName, HOST_CAP_PROGRAM, HOST_OK);
        break;
      case 1:
        break;
      default:
        snprintf(text, sizeof text, "Folder %s is Invalid", s.outFolder);
        return GdsFail(text);
    }
  }
  if (!TlcOutputSet(s.outFolder)) return GdsFail("Unable to Write TLC File ... Can't Continue");
  WriteOldTlc = s.old;

  // 3. The layer map.
  {
    char built[2 * CNV_PATHLEN];
    snprintf(built, sizeof built, "%s%s", s.gdsName, s.gdsExt);
    if (!LdmMapRead(&s.ldm, s.val[IK_LDF], GdsInDisplayName, built, 65535))
      return GdsFail("LDM File is Incorrect or Missing ... Can't Continue");
  }

  // 4. The stream file.
  if (!s.src.mem) {
    FILE* in = s.gdsPath[0] ? SatOpen(s.gdsPath, "rb") : nullptr;
    if (!in) {
      SetVal(IK_CFN, "?");
      return GdsFail("GDS File is Missing ... Can't Continue");
    }
    GdsSourceFile(&s.src, in);
  }
  {
    char size[32];
    snprintf(size, sizeof size, "%lld", (long long)s.src.size);
    GdsCounter(514, size);
  }

  // 5. The log, 6. the listing.
  s.log = OutOpen("GdsIn.log");
  if (!s.log) return GdsFail("Unable to Write Log File ... Can't Continue");
  fprintf(s.log, "*** GDS to TLC Conversion Log  %s  %s  %s\n\n", kVersion, s.date, s.time);
  fprintf(s.log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(s.log, "GDS File Name: %s\n\n", s.gdsPath);
  if (s.wtx) {
    s.listing = OutOpen("GdsRead.txt");
    if (!s.listing) return GdsFail("Unable to Write Gds Text File ... Can't Continue");
    fprintf(s.listing, "*** Gds to TLC Conversion  %s  %s  %s\n\n", kVersion, s.date, s.time);
    fprintf(s.listing, "Note: Read Text with Fixed Pitch Font\n\n");
    fprintf(s.listing, "GDS File Name: %s\n\n", s.gdsPath);
    fprintf(s.listing, "* Indicates Record not used by QUIL\n\n");
    fprintf(s.listing, "  RL  RT  DT    Record  Data\n");
    fprintf(s.listing, "------------------------------\n\n");
  }

  // 7. Hierarchy and names.
  if (!GdsHierarchy()) return 0;
  if (!GdsCellNames()) return 0;
  GdsCounter(519, "");
  CollectionLog();
  GdsPoll(500);
  if (s.abort) return 0;

  // 8. The table head, 9. the names file.
  fprintf(s.log, "TLC Files:\n\n");
  fprintf(s.log, "Cells              Rank  Boxes   Paths   Text  (Vertex)  Cells\n");
  fprintf(s.log, "------------------------------------------------------------------\n");
  if (s.nam) NamesFile();

  // 10. The cells.
  GdsCounter(500, "Constructing TLC Files ...");
  GdsPoll(500);
  if (s.abort) return 0;
  if (!GdsConvertPass()) return 0;

  // 11. The layers file.
  if (s.mlf && !LayersFile()) HostWarning("Unable to Write Layers File ... Conversion will Continue.");
  return 1;
}

int GdsInConvert() {
  GdsInState& s = GdsInSt;
  int ok = Run() && !s.abort;
  if (s.cellOpen) {
    TlcAbandon();
    s.cellOpen = 0;
  }
  if (s.src.f) {
    fclose(s.src.f);
    s.src.f = nullptr;
  }
  if (!CnvFileClose(&s.listing) && ok) ok = GdsFail("Unable to Write Gds Text File ... Can't Continue");
  return ok && !s.abort;
}

int GdsInClosing(int converted, char* text, int size) {
  GdsInState& s = GdsInSt;
  int result = GI_ABORTED;
  if (!converted) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  } else {
    if (s.log)
      fprintf(s.log, "\nMin Feature=%.*g%s\nScales: GDS=%.*gunits/%s  TLC=%.*gunits/%s\n", 9, (double)s.minDiv / s.G,
              s.unit, 9, s.G, s.unit, 9, s.tlcScale, s.unit);
    if (s.ldm.added) {
      char built[2 * CNV_PATHLEN], d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
      snprintf(built, sizeof built, "%s%s", s.gdsName, s.gdsExt);
      CnvPathSplit(s.val[IK_LDF], d, f, n, e);
      if (!LdmMapWrite(&s.ldm, s.val[IK_LDF], built)) {
        snprintf(text, (size_t)size, "Unable to Write LDM File %s%s", n, e);
      } else {
        snprintf(text, (size_t)size, "Layers have been Added to the LDM File %s%s.\n\nRun GdsIn Again", n, e);
        result = GI_ADDED;
      }
    } else {
      snprintf(text, (size_t)size,
               "Completed ...\n\n%d TLC Files have been created in the %s folder\n\nTo Create a Drawing from the TLC "
               "files go to the GDS Conversion\n Help and select the Creating a New Drawing Topic.",
               s.files, s.outFolder);
      result = GI_DONE;
    }
  }
  if (s.log) fprintf(s.log, "\n%s\n", text);
  if (!CnvFileClose(&s.log) && result != GI_ABORTED) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
    result = GI_ABORTED;
  }
  return result;
}

int GdsInGo() { return CnvGo(GdsInConvert, GdsInClosing, GI_ABORTED); }
