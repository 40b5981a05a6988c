// Settings of a DXF-to-TLC conversion: the key table, its completion, the
// settings file with the layer-map rows, and the rows' numbers.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "dxfin.h"
#include "satutil.h"

const char* const DxfInKeys[DXFIN_NKEYS + 1] = {
    "dfn=", "tfn=", "tph=", "psu=", "lsu=", "cva=", "cvc=", "cvl=", "cvs=", "ctx=", "coa=", "cop=",
    "cwp=", "lyr=", "omt=", "s2b=", "old=", "agd=", "seg=", "wr2=", "lft=", "top=", "rgt=", "bot=", nullptr,
};
const char* const DxfInDefaults[DXFIN_NKEYS + 1] = {
    "",  "",  ".\\Dxf_files\\", "um", "100", "Y", "Y", "Y",         "Y", "Y", "N", "N",
    "N", "N", "N",              "N",  "N",   "CCW", "5", "DxfIn.log", "",  "",  "",  "",  nullptr,
};
const char* const DxfInDisplayName = "DxfIn";
const char* const DxfInLayersFirst =
    "Layers Not Defined ... Can't Continue\n\nClick the Layers menu button to read the DXF file for its layer definions";

static void SetVal(DxfInState* st, int k, const char* text) {
  snprintf(st->val[k], DXFIN_VALLEN, "%s", text ? text : "");
}

void DxfInReset(DxfInState* st) {
  if (st->src.f) fclose(st->src.f);
  if (st->log) fclose(st->log);
  memset(st, 0, sizeof *st);
  for (int k = 0; k < DXFIN_NKEYS; ++k) SetVal(st, k, DxfInDefaults[k]);
  st->writeAll = 1;
  DxfInSetupApply(st, 0);
}

static void Tidy(DxfInState* st, int k) {
  if (!st->val[k][0]) return;
  const char* t = PathFix(st->val[k]);
  if (t[0]) SetVal(st, k, t);
}

int DxfInSetupApply(DxfInState* st, int fromSetup) {
  char d[CNV_PATHLEN], f[CNV_PATHLEN], n[CNV_PATHLEN], e[CNV_PATHLEN], out[4 * CNV_PATHLEN];
  if (st->val[DI_DFN][0]) {
    Tidy(st, DI_DFN);
    CnvPathSplit(st->val[DI_DFN], d, f, n, e);
    snprintf(out, sizeof out, "%s%s%s.dxf", d, f, n);
    SetVal(st, DI_DFN, out);
  }
  if (!st->val[DI_TPH][0]) SetVal(st, DI_TPH, ".\\Dxf_files\\");
  Tidy(st, DI_TPH);
  size_t len = strlen(st->val[DI_TPH]);
  if (len && st->val[DI_TPH][len - 1] != '\\' && st->val[DI_TPH][len - 1] != '/' && len + 1 < DXFIN_VALLEN) {
    st->val[DI_TPH][len] = '\\';
    st->val[DI_TPH][len + 1] = 0;
  }
  if (!st->val[DI_TFN][0] && st->val[DI_DFN][0]) {
    char td[CNV_PATHLEN], tf[CNV_PATHLEN], tn[CNV_PATHLEN], te[CNV_PATHLEN];
    CnvPathSplit(st->val[DI_TPH], td, tf, tn, te);
    CnvPathSplit(st->val[DI_DFN], d, f, n, e);
    // The folder part of the cell folder is the whole of it (it ends with
    // its separator).
    snprintf(out, sizeof out, "%s%s%s.tlc", td, tf, n);
    SetVal(st, DI_TFN, out);
  }
  Tidy(st, DI_TFN);
  if (!st->val[DI_PSU][0]) SetVal(st, DI_PSU, "um");
  double s = st->val[DI_LSU][0] ? std::fabs(atof(st->val[DI_LSU])) : 100;
  if (!(s > 0) || !std::isfinite(s)) s = 1;
  if (s > 1e9) s = 1e9;
  st->s = s;
  snprintf(out, sizeof out, "%.9g", s);
  SetVal(st, DI_LSU, out);
  st->cva = CnvYesNo(st->val[DI_CVA], DXFIN_VALLEN);
  st->cvc = CnvYesNo(st->val[DI_CVC], DXFIN_VALLEN);
  st->cvl = CnvYesNo(st->val[DI_CVL], DXFIN_VALLEN);
  st->cvs = CnvYesNo(st->val[DI_CVS], DXFIN_VALLEN);
  st->ctx = CnvYesNo(st->val[DI_CTX], DXFIN_VALLEN);
  st->coa = CnvYesNo(st->val[DI_COA], DXFIN_VALLEN);
  st->cop = CnvYesNo(st->val[DI_COP], DXFIN_VALLEN);
  st->cwp = CnvYesNo(st->val[DI_CWP], DXFIN_VALLEN);
  st->lyr = CnvYesNo(st->val[DI_LYR], DXFIN_VALLEN);
  st->omt = CnvYesNo(st->val[DI_OMT], DXFIN_VALLEN);
  st->s2b = CnvYesNo(st->val[DI_S2B], DXFIN_VALLEN);
  st->old = CnvYesNo(st->val[DI_OLD], DXFIN_VALLEN);
  for (char* p = st->val[DI_AGD]; *p; ++p) *p = (char)toupper((unsigned char)*p);
  st->cw = strcmp(st->val[DI_AGD], "CW") == 0;
  if (!st->cw) SetVal(st, DI_AGD, "CCW");
  double seg = st->val[DI_SEG][0] ? std::fabs(atof(st->val[DI_SEG])) : 5;
  if (!std::isfinite(seg)) seg = 45;
  if (seg < 1) seg = 1;
  if (seg > 45) seg = 45;
  st->seg = seg;
  snprintf(out, sizeof out, "%.9g", seg);
  SetVal(st, DI_SEG, out);
  if (!st->val[DI_WR2][0]) SetVal(st, DI_WR2, "DxfIn.log");
  int faults = 0;
  if (fromSetup) {
    st->writeAll = 0;
    const char* const files[2] = {st->val[DI_DFN], st->val[DI_TFN]};
    faults += CnvFileNamesCheck(files, 2);
  }
  return faults;
}

// ---- settings file ----------------------------------------------------------------

// "<stem><n>=" at the start of line with 0 <= n < DXFIN_LAYERROWS: n, else -1.
static int RowKey(const char* line, const char* stem) {
  size_t k = strlen(stem);
  if (strncmp(line, stem, k) != 0) return -1;
  const char* p = line + k;
  int n = 0, digits = 0;
  while (*p >= '0' && *p <= '9' && digits < 3) n = n * 10 + (*p++ - '0'), ++digits;
  if (!digits || *p != '=' || n >= DXFIN_LAYERROWS) return -1;
  return n;
}

int DxfInUsfRead(DxfInState* st, const char* path) {
  FILE* f = SatOpen(path, "r");
  if (!f) return 1;
  char line[1024];
  while (fGetLine(line, sizeof line, f)) {
    strclip(line, DXFIN_VALLEN - 1);
    const char* eq = strchr(line, '=');
    if (!eq) continue;
    for (int k = 0; k < DXFIN_NKEYS; ++k)
      if (strncmp(line, DxfInKeys[k], strlen(DxfInKeys[k])) == 0) {
        SetVal(st, k, line + strlen(DxfInKeys[k]));
        break;
      }
    int n = RowKey(line, "lnam");
    if (n >= 0) snprintf(st->lnam[n], DXFIN_VALLEN, "%s", eq + 1);
    n = RowKey(line, "lnum");
    if (n >= 0) snprintf(st->lnum[n], DXFIN_VALLEN, "%s", eq + 1);
  }
  fclose(f);
  DxfInSetupApply(st, 0);
  return 0;
}

int DxfInUsfWrite(DxfInState* st, const char* path) {
  DxfInSetupApply(st, 0);
  FILE* f = SatOpen(path, "w");
  if (!f) return 1;
  int bad = 0;
  for (int k = 0; k < DXFIN_NKEYS; ++k)
    if (fprintf(f, "%s%s\n", DxfInKeys[k], st->val[k]) < 0) bad = 1;
  for (int i = 0; i < DXFIN_LAYERROWS; ++i)
    if (fprintf(f, "lnam%d=%s\n", i, st->lnam[i]) < 0) bad = 1;
  for (int i = 0; i < DXFIN_LAYERROWS; ++i)
    if (fprintf(f, "lnum%d=%s\n", i, st->lnum[i]) < 0) bad = 1;
  return CnvFileClose(&f) && !bad ? 0 : 1;
}

void DxfInUsfLists(DxfInState* st, SatUsfList lists[3]) {
  lists[0] = SatUsfList{"lnam", DXFIN_LAYERROWS, DXFIN_VALLEN, &st->lnam[0][0]};
  lists[1] = SatUsfList{"lnum", DXFIN_LAYERROWS, DXFIN_VALLEN, &st->lnum[0][0]};
  lists[2] = SatUsfList{nullptr, 0, 0, nullptr};
}

void DxfInLayersTake(DxfInState* st) {
  for (int i = 0; i < st->nLayers; ++i) {
    char* end = nullptr;
    long v = strtol(st->lnam[i], &end, 10);
    // Only a TLC layer can take figures; anything else leaves the row
    // unmapped, and an entity on it stops the run.
    st->layers[i].tlc = (end != st->lnam[i] && v >= 1 && v <= 256) ? (int)v : 0;
  }
}
