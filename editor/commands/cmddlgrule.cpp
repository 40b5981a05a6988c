#include "cmddlgrule.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "view.h"

void DlgNumber(char* out, size_t size, double v, int digits) {
  if (!out || size == 0) return;
  snprintf(out, size, "%.*g", digits, std::isfinite(v) ? v : 0.0);
}

void DlgLength(char* out, size_t size, double dbu, double scale) {
  DlgNumber(out, size, dbu / (scale > 0 ? scale : 1.0), DLG_DIGITS_LENGTH);
}

int DlgNumberRead(const char* text, double* v) {
  if (!text) return 0;
  char* end = nullptr;
  double d = strtod(text, &end);
  if (end == text || !std::isfinite(d)) return 0;
  while (*end == ' ' || *end == '\t') ++end;
  if (*end) return 0;
  *v = d;
  return 1;
}

int ScaleAccept(const char* text, double* scale) {
  double v;
  if (!DlgNumberRead(text, &v) || v == 0) {
    *scale = SCALE_DEFAULT;
    return 1;
  }
  v = std::fabs(v);
  // The satellites read scale= as a whole number.
  if (v != std::floor(v) || v > SCALE_MAX) return 0;
  *scale = v;
  return 1;
}

int StepAccept(const char* nx, const char* dx, const char* ny, const char* dy, int sequential, double scale,
               StepSettings* out) {
  double n1, d1, n2, d2;
  if (!DlgNumberRead(nx, &n1) || !DlgNumberRead(dx, &d1) || !DlgNumberRead(ny, &n2) || !DlgNumberRead(dy, &d2))
    return 0;
  if (n1 != std::floor(n1) || n2 != std::floor(n2) || std::fabs(n1) > 1e6 || std::fabs(n2) > 1e6) return 0;
  double a = d1 * scale, b = d2 * scale;
  if (!std::isfinite(a) || !std::isfinite(b) || std::fabs(a) > ROUND_LIMIT || std::fabs(b) > ROUND_LIMIT) return 0;
  out->nx = (int32_t)n1;
  out->ny = (int32_t)n2;
  out->dx = RoundNear(a);
  out->dy = RoundNear(b);
  out->sequential = sequential ? 1 : 0;
  return 1;
}

int ResRowStep(int row, int delta) {
  int r = row + delta;
  return r < 1 ? 1 : r > RES_MAX ? RES_MAX : r;
}

void ResRowText(char* out, size_t size, int row, int kind) {
  if (!out || size == 0) return;
  if (row < 1) row = 1;
  if (row > RES_MAX) row = RES_MAX;
  const SheetRes& r = MainSetup.res[row - 1];
  const int d = DLG_DIGITS_VALUE;
  const char* fmt = kind == 0 ? "SheetRes=%.*g\nEndCorrection=%.*g\nCornerCorrection=%.*g\nPathWdth=%.*g\n%s"
                              : "R/sq=%.*g\nEnd=%.*g\nCnr=%.*g\nWdth=%.*g\n%s";
  snprintf(out, size, fmt, d, r.sheet, d, r.endCorr, d, r.cornerCorr, d, r.width, r.comment);
}

const CnfgCheck CnfgChecks[17] = {
    {2018, &MainSetupState::notips},      {2019, &MainSetupState::lockframe},
    {2048, &MainSetupState::askonsave},   {2050, &MainSetupState::autoorganize},
    {2045, &MainSetupState::layerNumOnly}, {2046, &MainSetupState::unduponsave},
    {2047, &MainSetupState::reversedraw}, {2049, &MainSetupState::vplusoshow},
    {1257, &MainSetupState::nosmallactive}, {2020, &MainSetupState::leftcmdmenu},
    {2051, &MainSetupState::writeoldtlc}, {2107, &MainSetupState::notogdraw},
    {2105, &MainSetupState::stdmsgbox},   {2102, &MainSetupState::winemods},
    {2103, &MainSetupState::flashsave},   {2021, &MainSetupState::cntrtools},
    {2022, &MainSetupState::texttoolbar},
};
const int CnfgOutlineIds[3] = {1331, 1333, 1334};

void CnfgFormFill(CnfgForm* f) {
  MainSetupState& m = MainSetup;
  // Tooltips are hidden whenever the dialog opens.
  m.notips = 1;
  for (int i = 0; i < GRID_PRESETS; ++i) {
    DlgLength(f->wgrid[i], sizeof f->wgrid[i], m.wgrid[i], m.scale);
    DlgLength(f->dgrid[i], sizeof f->dgrid[i], m.dgrid[i], m.scale);
  }
  snprintf(f->drawres, sizeof f->drawres, "%d", (int)m.drawres);
  snprintf(f->celldrawres, sizeof f->celldrawres, "%d", (int)m.celldrawres);
  DlgNumber(f->aspect, sizeof f->aspect, m.aspect, DLG_DIGITS_LENGTH);
  snprintf(f->common, sizeof f->common, "%s", m.common);
  for (int i = 0; i < 17; ++i) f->checks[i] = m.*(CnfgChecks[i].key) != 0;
  for (int i = 0; i < 3; ++i) f->outline[i] = (m.smallcelloutl >> i) & 1;
}

static void PresetStore(const char* text, int32_t* key) {
  double v;
  if (!DlgNumberRead(text, &v)) return;
  int32_t g = RoundNear(v * MainSetup.scale);
  *key = g < 0 ? (g == INT32_MIN ? INT32_MAX : -g) : g;
}

static void WholeStore(const char* text, int32_t least, int32_t* key) {
  double v;
  if (!DlgNumberRead(text, &v)) return;
  int32_t n = RoundNear(v);
  *key = n < least ? least : n;
}

int CnfgApply(const CnfgForm& f) {
  MainSetupState& m = MainSetup;
  // A numeric field that is no number keeps the dialog open, nothing stored.
  double v;
  for (int i = 0; i < GRID_PRESETS; ++i)
    if (!DlgNumberRead(f.wgrid[i], &v) || !DlgNumberRead(f.dgrid[i], &v)) return CNFG_AGAIN;
  if (!DlgNumberRead(f.drawres, &v) || !DlgNumberRead(f.celldrawres, &v) || !DlgNumberRead(f.aspect, &v))
    return CNFG_AGAIN;
  int32_t winemods = m.winemods, cntrtools = m.cntrtools, texttoolbar = m.texttoolbar, flashsave = m.flashsave;
  double aspect = m.aspect;
  for (int i = 0; i < GRID_PRESETS; ++i) {
    PresetStore(f.wgrid[i], &m.wgrid[i]);
    PresetStore(f.dgrid[i], &m.dgrid[i]);
  }
  WholeStore(f.drawres, 50, &m.drawres);
  WholeStore(f.celldrawres, 10, &m.celldrawres);
  double a;
  if (DlgNumberRead(f.aspect, &a)) m.aspect = a < 0.5 ? 0.5 : a > 2 ? 2 : a;
  snprintf(m.common, sizeof m.common, "%s", f.common);
  for (int i = 0; i < 17; ++i) m.*(CnfgChecks[i].key) = f.checks[i] ? 1 : 0;
  int outl = m.smallcelloutl & ~7;
  for (int i = 0; i < 3; ++i)
    if (f.outline[i]) outl |= 1 << i;
  m.smallcelloutl = outl;
  int r = 0;
  if (m.winemods != winemods || m.cntrtools != cntrtools || m.texttoolbar != texttoolbar || m.aspect != aspect)
    r |= CNFG_RELAYOUT;
  if (m.flashsave != flashsave) r |= CNFG_RESTART;
  return r;
}
