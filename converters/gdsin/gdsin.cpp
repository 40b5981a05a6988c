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
#include "version.h"

const char* const GdsInKeys[GDSIN_NKEYS + 1] = {
    "cfn=", "tph=", "ldf=", "wr2=", "lta=", "pun=", "lsu=", "lzl=", "mcl=", "ctx=", "cop=",
    "cbb=", "omt=", "mlf=", "nam=", "wtx=", "old=", "lft=", "top=", "rgt=", "bot=", nullptr,
};
const char* const GdsInDefaults[GDSIN_NKEYS + 1] = {
    "",  "",  "",  "GdsIn.log", "-", "um", "1000", "255", "1", "N", "N",
    "N", "N", "N", "N",         "N", "N",  "",     "",    "",  "",  nullptr,
};
const char* const GdsInDisplayName = "GdsIn";

static const char* const kVersion = QUIL_VERSION;

static void SetVal(GdsInState* st, int k, const char* text) {
  snprintf(st->val[k], GDSIN_VALLEN, "%s", text ? text : "");
}

void GdsInReset(GdsInState* st) {
  if (st->src.f) fclose(st->src.f);
  if (st->listing) fclose(st->listing);
  if (st->log) fclose(st->log);
  memset(st, 0, sizeof *st);
  for (int k = 0; k < GDSIN_NKEYS; ++k) SetVal(st, k, GdsInDefaults[k]);
  LayerSetAll(&st->sel);
  st->tlcScale = 1000;
  st->lzl = 255;
  st->mcl = 1;
  st->G = 1000;
  st->f = 1;
  st->cap = st->div = st->minDiv = 100000;
  snprintf(st->unit, sizeof st->unit, "um");
  GdsInTextApply(st);
}

// ---- settings ------------------------------------------------------------

static int YesNo(GdsInState* st, int k) { return CnvYesNo(st->val[k], GDSIN_VALLEN); }

static int IntClamp(GdsInState* st, int k, int dflt, int lo, int hi) {
  int v = st->val[k][0] ? atoi(st->val[k]) : dflt;
  if (v < lo) v = lo;
  if (v > hi) v = hi;
  char buf[16];
  snprintf(buf, sizeof buf, "%d", v);
  SetVal(st, k, buf);
  return v;
}

static void Tidy(GdsInState* st, int k) {
  const char* t = PathFix(st->val[k]);
  if (t[0]) SetVal(st, k, t);
}

int GdsInSetupApply(GdsInState* st, int check) {
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN], out[4 * CNV_PATHLEN];
  if (st->val[IK_CFN][0]) {
    Tidy(st, IK_CFN);
    CnvPathSplit(st->val[IK_CFN], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.gds", d, f, n);
    SetVal(st, IK_CFN, out);
  }
  char gd[CNV_PATHLEN], gf[CNV_PATHLEN], gn[CNV_PATHLEN], ge[CNV_PATHLEN];
  CnvPathSplit(st->val[IK_CFN], gd, gf, gn, ge);
  if (!st->val[IK_TPH][0]) {
    snprintf(out, sizeof out, ".\\%s_files\\", gn[0] ? gn : "Gds");
    SetVal(st, IK_TPH, out);
  }
  Tidy(st, IK_TPH);
  size_t len = strlen(st->val[IK_TPH]);
  if (len && st->val[IK_TPH][len - 1] != '\\' && st->val[IK_TPH][len - 1] != '/' && len + 1 < GDSIN_VALLEN) {
    st->val[IK_TPH][len] = '\\';
    st->val[IK_TPH][len + 1] = 0;
  }
  if (!st->val[IK_LDF][0]) {
    if (gn[0]) {
      snprintf(out, sizeof out, "%s%s%s.ldm", gd, gf, gn);
      SetVal(st, IK_LDF, out);
    }
  } else {
    CnvPathSplit(st->val[IK_LDF], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.ldm", d, f, n);
    SetVal(st, IK_LDF, out);
  }
  if (st->val[IK_LDF][0]) Tidy(st, IK_LDF);
  if (!st->val[IK_WR2][0]) SetVal(st, IK_WR2, "GdsIn.log");
  if (!st->val[IK_LTA][0]) SetVal(st, IK_LTA, "-");
  if (!st->val[IK_PUN][0]) SetVal(st, IK_PUN, "um");
  double scale = st->val[IK_LSU][0] ? std::fabs(atof(st->val[IK_LSU])) : 1000;
  if (!(scale > 0) || !std::isfinite(scale)) scale = 1;
  if (scale > 1e9) scale = 1e9;
  st->tlcScale = scale;
  snprintf(out, sizeof out, "%.9g", scale);
  SetVal(st, IK_LSU, out);
  st->lzl = IntClamp(st, IK_LZL, 255, 1, 256);
  st->mcl = IntClamp(st, IK_MCL, 1, 1, 256);
  st->ctx = YesNo(st, IK_CTX);
  st->cop = YesNo(st, IK_COP);
  st->cbb = YesNo(st, IK_CBB);
  st->omt = YesNo(st, IK_OMT);
  st->mlf = YesNo(st, IK_MLF);
  st->nam = YesNo(st, IK_NAM);
  st->wtx = YesNo(st, IK_WTX);
  st->old = YesNo(st, IK_OLD);
  LayerSetAll(&st->sel);
  LyrSelParse(&st->sel, st->val[IK_LTA]);
  int faults = 0;
  if (check) {
    const char* const files[2] = {st->val[IK_CFN], st->val[IK_LDF]};
    faults += CnvFileNamesCheck(files, 2);
  }
  return faults;
}

void GdsInTextApply(GdsInState* st) {
  for (int r = 0; r < GDSIN_ROWS; ++r) {
    char(*t)[GDSIN_VALLEN] = &st->font[6 * r];
    GdsTextRowIn& row = st->rows[r];
    double size = t[0][0] ? std::fabs(atof(t[0])) : r + 1;
    double held = std::round(size * st->tlcScale);
    if (!(held >= 1)) held = 1;
    if (held > 9830400) held = 9830400;
    row.size = (int32_t)held;
    snprintf(t[0], GDSIN_VALLEN, "%.9g", held / st->tlcScale);
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
  char* cr = st->font[GDSIN_ROWS * 6];
  st->delimCR = toupper((unsigned char)cr[0]) == 'Y';
  snprintf(cr, GDSIN_VALLEN, "%s", st->delimCR ? "Y" : "N");
}

// ---- messages ------------------------------------------------------------------

void GdsInList(GdsInState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

int GdsFail(GdsInState* st, const char* text) {
  if (st->abort) return 0;
  if (st->log)
    fprintf(st->log, "\nStopped at Record Offset %lld (RL=%X RT=%X DT=%X): %s\n", (long long)st->recPos, st->rl, st->rt,
            st->dt, text);
  HostError(text);
  st->abort = 1;
  return 0;
}

void GdsPoll(GdsInState* st, int ms) {
  CnvAbortPoll(ms, &st->abort);
  if (st->extAbort && *st->extAbort) st->abort = 1;
}

void GdsCounter(GdsInState* st, int id, const char* text) {
  if (st->counter)
    st->counter(id, text);
  else if (id == 500 || id == 519)
    HostStatus(text);
}

void GdsProgress(GdsInState* st) {
  if (!st->progress || st->src.size <= 0) return;
  st->progress((int)std::llround(100.0 * (double)st->src.pos / (double)st->src.size));
}

// ---- the run ---------------------------------------------------------------------

static FILE* OutOpen(GdsInState* st, const char* name) {
  char path[2 * CNV_PATHLEN];
  snprintf(path, sizeof path, "%s%s", st->outFolder, name);
  return SatOpen(path, "wt");
}

static void CollectionLog(GdsInState* st) {
  if (!st->log) return;
  fprintf(st->log, "\n%d Cells in Converted Cell Collection:\n\n", st->nSt);
  fprintf(st->log, "Structures                       Rank   Cells\n");
  fprintf(st->log, "----------------------------------------------------\n");
  for (int i = 1; i <= st->nSt; ++i)
    fprintf(st->log, "%-34s%-6d%-34s\n", st->structs[i].name, st->structs[i].rank, st->structs[i].cell);
  fprintf(st->log, "\n");
}

static void NamesFile(GdsInState* st) {
  char name[CNV_PATHLEN + 8];
  snprintf(name, sizeof name, "%s.nam", st->gdsName);
  FILE* f = OutOpen(st, name);
  int bad = !f;
  if (f) {
    fprintf(f, "Structure Name to Cell Name/Rank List for %s%s\n\n", st->gdsName, st->gdsExt);
    for (int i = 1; i <= st->nSt; ++i)
      fprintf(f, "%-34s %-34s %d\n", st->structs[i].name, st->structs[i].cell, st->structs[i].rank);
    if (ferror(f)) bad = 1;
    if (fclose(f) != 0) bad = 1;
  }
  if (bad) HostWarning("Unable to Write NAM File ... Conversion will Continue.");
}

static int LayersFile(GdsInState* st) {
  char name[CNV_PATHLEN + 16];
  snprintf(name, sizeof name, "layers_%s.tld", st->gdsName);
  FILE* f = OutOpen(st, name);
  if (!f) return 0;
  fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", st->nLayers);
  for (int i = 0; i < st->nLayers; ++i) fprintf(f, "GDS%d %d\n", st->layers[i], st->layers[i]);
  if (!st->old) fprintf(f, "</L>\n");
  int bad = ferror(f) != 0;
  if (fclose(f) != 0) bad = 1;
  return !bad;
}

static int Run(GdsInState* st) {
  // 1. A fresh run.
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  st->nSt = 0;
  memset(st->hashName, 0, sizeof st->hashName);
  memset(st->hashUpper, 0, sizeof st->hashUpper);
  memset(st->hashCell, 0, sizeof st->hashCell);
  st->nLayers = 0;
  LdmMapClear(&st->ldm);
  st->cellCount = st->total = st->maxCount = GdsInCounts{0, 0, 0, 0, 0};
  st->files = 0;
  st->abort = 0;
  st->pass = 0;
  st->firstHeader = 1;
  st->cap = st->div = st->minDiv = 100000;
  st->G = 1000;
  st->metres = 1e-6;
  snprintf(st->unit, sizeof st->unit, "um");
  st->unitsSeen = 0;
  st->highestRank = 1;
  st->cellOpen = 0;
  st->xyWarned = 0;
  st->curName[0] = 0;
  GdsInSetupApply(st, 0);
  GdsInTextApply(st);
  st->f = st->tlcScale / st->G;
  snprintf(st->gdsPath, sizeof st->gdsPath, "%s", st->val[IK_CFN]);
  {
    char d[CNV_PATHLEN], f[CNV_PATHLEN];
    CnvPathSplit(st->gdsPath, d, f, st->gdsName, st->gdsExt);
  }
  snprintf(st->outFolder, sizeof st->outFolder, "%s", st->val[IK_TPH]);

  // 2. The output folder.
  if (!PathDiffer(st->outFolder, ""))
    return GdsFail(st, "Cell Files will be Written to the Drawing Folder ... Can't Continue");
  {
    char text[CNV_PATHLEN + 80];
    switch (SatMkdir(st->outFolder)) {
      case 0:
        snprintf(text, sizeof text, "Folder %s was Created", st->outFolder);
        HostMsgBox(text, GdsInDisplayName, HOST_CAP_PROGRAM, HOST_OK);
        break;
      case SAT_MKDIR_THERE:
        break;
      case SAT_MKDIR_DENIED:
        snprintf(text, sizeof text, "Folder %s can't be Created ... the Drawing Folder can't be Written",
                 st->outFolder);
        return GdsFail(st, text);
      default:
        snprintf(text, sizeof text, "Folder %s is Invalid", st->outFolder);
        return GdsFail(st, text);
    }
  }
  if (!TlcOutputSet(st->outFolder)) return GdsFail(st, "Unable to Write TLC File ... Can't Continue");
  WriteOldTlc = st->old;

  // 3. The layer map.
  {
    char built[2 * CNV_PATHLEN];
    snprintf(built, sizeof built, "%s%s", st->gdsName, st->gdsExt);
    if (!LdmMapRead(&st->ldm, st->val[IK_LDF], GdsInDisplayName, built, 65535))
      return GdsFail(st, "LDM File is Incorrect or Missing ... Can't Continue");
  }

  // 4. The stream file.
  if (!st->src.mem) {
    FILE* in = st->gdsPath[0] ? SatOpen(st->gdsPath, "rb") : nullptr;
    if (!in) {
      SetVal(st, IK_CFN, "?");
      return GdsFail(st, "GDS File is Missing ... Can't Continue");
    }
    GdsSourceFile(&st->src, in);
  }
  {
    char size[32];
    snprintf(size, sizeof size, "%lld", (long long)st->src.size);
    GdsCounter(st, 514, size);
  }

  // 5. The log, 6. the listing.
  st->log = OutOpen(st, "GdsIn.log");
  if (!st->log) return GdsFail(st, "Unable to Write Log File ... Can't Continue");
  fprintf(st->log, "*** GDS to TLC Conversion Log  %s  %s  %s\n\n", kVersion, st->date, st->time);
  fprintf(st->log, "Note: Read Text with Fixed Pitch Font\n\n");
  fprintf(st->log, "GDS File Name: %s\n\n", st->gdsPath);
  if (st->wtx) {
    st->listing = OutOpen(st, "GdsRead.txt");
    if (!st->listing) return GdsFail(st, "Unable to Write Gds Text File ... Can't Continue");
    fprintf(st->listing, "*** Gds to TLC Conversion  %s  %s  %s\n\n", kVersion, st->date, st->time);
    fprintf(st->listing, "Note: Read Text with Fixed Pitch Font\n\n");
    fprintf(st->listing, "GDS File Name: %s\n\n", st->gdsPath);
    fprintf(st->listing, "* Indicates Record not used by QUIL\n\n");
    fprintf(st->listing, "  RL  RT  DT    Record  Data\n");
    fprintf(st->listing, "------------------------------\n\n");
  }

  // 7. Hierarchy and names.
  if (!GdsHierarchy(st)) return 0;
  if (!GdsCellNames(st)) return 0;
  GdsCounter(st, 519, "");
  CollectionLog(st);
  GdsPoll(st, 500);
  if (st->abort) return 0;

  // 8. The table head, 9. the names file.
  fprintf(st->log, "TLC Files:\n\n");
  fprintf(st->log, "Cells              Rank  Boxes   Paths   Text  (Vertex)  Cells\n");
  fprintf(st->log, "------------------------------------------------------------------\n");
  if (st->nam) NamesFile(st);

  // 10. The cells.
  GdsCounter(st, 500, "Constructing TLC Files ...");
  GdsPoll(st, 500);
  if (st->abort) return 0;
  if (!GdsConvertPass(st)) return 0;

  // 11. The layers file.
  if (st->mlf && !LayersFile(st)) HostWarning("Unable to Write Layers File ... Conversion will Continue.");
  return 1;
}

// The cells of a run are written beside the old ones and take their place
// only when the whole run went through: a failed run leaves the folder as
// the last good run left it.
static int CellsSettle(GdsInState* st, int keep) {
  int ok = 1;
  for (int i = 1; i <= st->nSt; ++i) {
    if (!st->structs[i].written) continue;
    if (!TlcSettle(st->structs[i].cell, keep)) ok = 0;
  }
  return ok;
}

int GdsInConvert(GdsInState* st) {
  TlcWriter.hold = 1;
  int ok = Run(st) && !st->abort;
  if (st->cellOpen) {
    TlcAbandon();
    st->cellOpen = 0;
  }
  if (!CellsSettle(st, ok) && ok) ok = GdsFail(st, "Unable to Write TLC File ... Can't Continue");
  TlcWriter.hold = 0;
  if (st->src.f) {
    fclose(st->src.f);
    st->src.f = nullptr;
  }
  if (!CnvFileClose(&st->listing) && ok) ok = GdsFail(st, "Unable to Write Gds Text File ... Can't Continue");
  return ok && !st->abort;
}

int GdsInClosing(GdsInState* st, int converted, char* text, int size) {
  int result = GI_ABORTED;
  if (!converted) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  } else {
    if (st->log)
      fprintf(st->log, "\nMin Feature=%.*g%s\nScales: GDS=%.*gunits/%s  TLC=%.*gunits/%s\n", 9,
              (double)st->minDiv / st->G, st->unit, 9, st->G, st->unit, 9, st->tlcScale, st->unit);
    if (st->ldm.added) {
      char built[2 * CNV_PATHLEN], d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN];
      snprintf(built, sizeof built, "%s%s", st->gdsName, st->gdsExt);
      CnvPathSplit(st->val[IK_LDF], d, f, n, e);
      if (!LdmMapWrite(&st->ldm, st->val[IK_LDF], built)) {
        snprintf(text, (size_t)size, "Unable to Write LDM File %s%s", n, e);
      } else {
        snprintf(text, (size_t)size, "Layers have been Added to the LDM File %s%s.\n\nRun GdsIn Again", n, e);
        result = GI_ADDED;
      }
    } else {
      snprintf(text, (size_t)size,
               "Completed ...\n\n%d TLC Files have been created in the %s folder\n\nTo Create a Drawing from the TLC "
               "files go to the GDS Conversion\n Help and select the Creating a New Drawing Topic.",
               st->files, st->outFolder);
      result = GI_DONE;
    }
  }
  if (st->log) fprintf(st->log, "\n%s\n", text);
  if (!CnvFileClose(&st->log) && result != GI_ABORTED) {
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
    result = GI_ABORTED;
  }
  return result;
}

int GdsInGo(GdsInState* st) {
  char text[3 * CNV_PATHLEN];
  int result = GdsInClosing(st, GdsInConvert(st), text, sizeof text);
  return CnvGoShow(result, GI_ABORTED, text);
}
