#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "plot.h"
#include "satlib.h"
#include "satsetup.h"
#include "satutil.h"

const PlotPaper PlotPapers[PLOT_PAPERS] = {
    {"A", 11, 8.5},      {"B", 17, 11},       {"C", 22, 17},       {"D", 34, 22},     {"E", 44, 34},
    {"A0", 46.75, 33},   {"A1", 33, 23.5},    {"A2", 23.5, 16.5},  {"A3", 16.5, 11.75}, {"A4", 11.75, 8.25},
};

namespace {

struct KeyTable {
  char names[PK_COUNT][8];
  KeyTable() {
    static const char* const fixed[PK_L0] = {
        "cln=", "pfn=", "tfn=", "wlf=", "wbt=", "wrt=", "wtp=", "rot=", "psc=",
        "tsr=", "pts=", "ppm=", "ret=", "pcl=", "dol=", "msz=", "lam=", "opn=", "vel=", "ini=", "fin=",
        "psu=", "org=", "psz=", "dsz=", "fsz=", "bdr=", "pbm=", "plm=", "ptm=", "prm="};
    for (int k = 0; k < PK_L0; ++k) snprintf(names[k], sizeof names[k], "%s", fixed[k]);
    for (int r = 0; r < PLOT_ROWS; ++r) {
      snprintf(names[PK_L0 + r], sizeof names[0], "l%d=", r);
      snprintf(names[PK_P0 + r], sizeof names[0], "p%d=", r);
      snprintf(names[PK_D0 + r], sizeof names[0], "d%d=", r);
      snprintf(names[PK_F0 + r], sizeof names[0], "f%d=", r);
    }
  }
};
const KeyTable kKeys;

const char* const kDefaults[PK_L0] = {
    "", "", "", "0.", "0.", "100.", "100.", "N", "100",
    ".2", ".2", "Y", "N", "N", "N", "0.1", "1", "1", "10.", "", "",
    "9.8e-4", "L", "A", ".1", ".1", ".5", ".5", ".5", "8.", "10.5"};

char* V(PlotState& st, int k) { return st.set.v[k]; }

double Num(PlotState& st, int k) { return atof(st.set.v[k]); }

void SetNum(PlotState& st, int k, double v, int digits) { PlotNumText(st.set.v[k], PLOT_TEXT, v, digits); }

void Upper(char* s) {
  for (; *s; ++s) *s = (char)toupper((unsigned char)*s);
}

int Flag(PlotState& st, int k) {
  Upper(V(st, k));
  if (V(st, k)[0] == 'Y') return 1;
  snprintf(V(st, k), PLOT_TEXT, "N");
  return 0;
}

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double RoundTo(double v, double step) { return std::floor(v / step + 0.5) * step; }

// Splits a tidied path into drive, folder, base name and extension.
void PathSplit(const char* path, char* drive, char* folder, char* base, char* ext) {
  drive[0] = folder[0] = base[0] = ext[0] = '\0';
  const char* p = path;
  if (p[0] && p[1] == ':') {
    snprintf(drive, 3, "%.2s", p);
    p += 2;
  }
  const char* slash = strrchr(p, '\\');
  const char* fs = strrchr(p, '/');
  if (fs && (!slash || fs > slash)) slash = fs;
  const char* name = p;
  if (slash) {
    snprintf(folder, 260, "%.*s", (int)(slash - p + 1), p);
    name = slash + 1;
  }
  const char* dot = strrchr(name, '.');
  if (dot) {
    snprintf(base, 260, "%.*s", (int)(dot - name), name);
    snprintf(ext, 260, "%s", dot);
  } else {
    snprintf(base, 260, "%s", name);
  }
}

int64_t IntOf(const char* s) {
  double v = atof(s);
  if (v > 1e9) return 1000000000;
  if (v < -1e9) return -1000000000;
  return (int64_t)v;
}

}  // namespace

const char* const PlotKeyName[PK_COUNT] = {
#define K(i) kKeys.names[i]
    K(0),  K(1),  K(2),  K(3),  K(4),  K(5),  K(6),  K(7),  K(8),  K(9),  K(10), K(11), K(12), K(13), K(14), K(15),
    K(16), K(17), K(18), K(19), K(20), K(21), K(22), K(23), K(24), K(25), K(26), K(27), K(28), K(29), K(30), K(31),
    K(32), K(33), K(34), K(35), K(36), K(37), K(38), K(39), K(40), K(41), K(42), K(43), K(44), K(45), K(46), K(47),
    K(48), K(49), K(50), K(51), K(52), K(53), K(54), K(55), K(56), K(57), K(58), K(59), K(60), K(61), K(62), K(63),
    K(64), K(65), K(66), K(67), K(68), K(69), K(70), K(71), K(72), K(73), K(74), K(75), K(76), K(77), K(78), K(79),
    K(80), K(81), K(82), K(83), K(84), K(85), K(86), K(87), K(88), K(89), K(90), K(91), K(92), K(93), K(94)
#undef K
};
static_assert(PK_COUNT == 95, "the key table lists every key");

void PlotNumText(char* out, size_t size, double v, int digits) {
  if (!std::isfinite(v)) v = 0;
  if (v == 0) v = 0;  // no "-0."
  char t[64];
  snprintf(t, sizeof t, "%.*g", digits, v);
  if (!strchr(t, '.') && !strchr(t, 'e') && strlen(t) + 1 < sizeof t) strcat(t, ".");
  snprintf(out, size, "%s", t);
}

void PlotSettingsReset(PlotState& st) {
  st.set = PlotSettings();
  for (int k = 0; k < PK_L0; ++k) snprintf(st.set.v[k], PLOT_TEXT, "%s", kDefaults[k]);
  for (int r = 0; r < PLOT_ROWS; ++r) snprintf(st.set.v[PK_P0 + r], PLOT_TEXT, "%d", r % 8 + 1);
}

int PlotNameCheck(const char* base) {
  static const char* const kReserved[] = {"P",      "B",      "CON",    "PRN",    "AUX",     "NUL",     "CLOCK$",
                                          "Copybkup", "Loadbkup", "Swap.bpv", "UFILE0", "UFILE1", "UFILE2",
                                          "UFILE3", "UFILE4", "UFILE5", "UFILE6", "UFILE7",  "UFILE8",  "UFILE9",
                                          "{LAYERS}"};
  if (!base || !base[0]) return 0;
  int fault = 0;
  char text[SAT_TEXT_SIZE];
  for (const char* p = base; *p; ++p) {
    unsigned char c = (unsigned char)*p;
    if (c < 0x20 || c >= 0x80) {
      snprintf(text, sizeof text, "Illegal Character \"0x%x\"", (unsigned)(int)(signed char)c);
    } else if (strchr(" \"*+'`./:;<=>?\\|()%", c)) {
      snprintf(text, sizeof text, "Illegal Character \"%c\"", c);
    } else {
      continue;
    }
    fault = 1;
    MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
  }
  for (const char* r : kReserved) {
    if (SatStricmp(base, r) == 0) {
      snprintf(text, sizeof text, "Illegal Name \"%s\"", base);
      MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
      fault = 1;
      break;
    }
  }
  if (strlen(base) > 32) {
    snprintf(text, sizeof text, "Cellname \"%s\" is too Long", base);
    MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
    fault = 1;
  }
  return fault;
}

void SetupApply(PlotState& st) {
  PlotSettings& s = st.set;
  Upper(V(st, PK_CLN));
  char drive[3], folder[260], base[260], ext[260];
  char fixed[260];
  // Plot file or port.
  snprintf(fixed, sizeof fixed, "%s", PathFix(V(st, PK_PFN)));
  PathSplit(fixed, drive, folder, base, ext);
  if (!base[0]) {
    snprintf(s.plotFile, sizeof s.plotFile, "%s.plt", PathFix(V(st, PK_CLN)));
  } else if (PlotNameCheck(base)) {
    snprintf(s.plotFile, sizeof s.plotFile, "Plotfile.plt");
  } else if (PlotFileIsDrawing(V(st, PK_PFN))) {
    // A plot must never take the place of a file of the drawing.
    char text[SAT_TEXT_SIZE];
    snprintf(text, sizeof text, "Plot File \"%s\" is a Drawing File ... Using Plotfile.plt", V(st, PK_PFN));
    MessageBoxPause(text, HOST_CAP_PROGRAM, HOST_OK);
    snprintf(s.plotFile, sizeof s.plotFile, "Plotfile.plt");
  } else {
    snprintf(s.plotFile, sizeof s.plotFile, "%s", V(st, PK_PFN));
  }
  // Font file.
  snprintf(fixed, sizeof fixed, "%s", PathFix(V(st, PK_TFN)));
  PathSplit(fixed, drive, folder, base, ext);
  s.fontFile[0] = '\0';
  if (base[0] && !PlotNameCheck(base)) SatFormat(s.fontFile, sizeof s.fontFile, "%s%s%s.tff", drive, folder, base);
  FontLoad(st);
  s.rot = Flag(st, PK_ROT);
  double psc = Num(st, PK_PSC);
  if (!(psc >= 1)) psc = 1;
  for (int k = PK_WLF; k <= PK_WTP; ++k) SetNum(st, k, Num(st, k), 9);
  SetNum(st, PK_PSC, psc, 9);
}

void ParamsApply(PlotState& st) {
  PlotSettings& s = st.set;
  s.tsr = Clamp(RoundTo(Num(st, PK_TSR), 1.0 / 15), 0, 1);
  SetNum(st, PK_TSR, s.tsr, 3);
  s.pts = Clamp(RoundTo(Num(st, PK_PTS), 0.1), 0.1, 5);
  SetNum(st, PK_PTS, s.pts, 3);
  s.ppm = Flag(st, PK_PPM);
  s.ret = Flag(st, PK_RET);
  s.pcl = Flag(st, PK_PCL);
  s.dol = Flag(st, PK_DOL);
  s.opn = (int)Clamp((double)IntOf(V(st, PK_OPN)), 1, 8);
  snprintf(V(st, PK_OPN), PLOT_TEXT, "%d", s.opn);
  s.lam = Num(st, PK_LAM);
  if (!(s.lam >= 0.01)) {
    s.lam = 0.01;
    WarningShow("Lambda is too Small");
  } else if (s.lam > 100) {
    s.lam = 100;
    WarningShow("Lambda is too Large");
  }
  SetNum(st, PK_LAM, s.lam, 4);
  s.msz = std::fabs(Num(st, PK_MSZ));
  if (!(s.msz >= 0.001)) {
    s.msz = 0.001;
    WarningShow("Minimum Size is too Small");
  } else if (s.msz > 1000) {
    s.msz = 1000;
    WarningShow("Minimum Size is too Large");
  }
  SetNum(st, PK_MSZ, s.msz, 4);
  s.vel = Clamp(RoundTo(Num(st, PK_VEL), 0.1), 1, 127);
  SetNum(st, PK_VEL, s.vel, 3);
}

void PaperApply(PlotState& st) {
  PlotSettings& s = st.set;
  double psu = Num(st, PK_PSU);
  if (!(psu > 0)) psu = 0.00098;
  SetNum(st, PK_PSU, psu, 9);
  Upper(V(st, PK_PSZ));
  s.paper = 0;
  int found = 0;
  for (int i = 0; i < PLOT_PAPERS; ++i)
    if (strcmp(V(st, PK_PSZ), PlotPapers[i].name) == 0) {
      s.paper = i;
      found = 1;
    }
  if (!found) snprintf(V(st, PK_PSZ), PLOT_TEXT, "A");
  s.dsz = Clamp(RoundTo(Num(st, PK_DSZ), 0.05), 0.05, 1);
  SetNum(st, PK_DSZ, s.dsz, 4);
  s.fsz = Clamp(RoundTo(Num(st, PK_FSZ), 0.05), 0.05, 1);
  SetNum(st, PK_FSZ, s.fsz, 4);
  s.bdr = Num(st, PK_BDR);
  SetNum(st, PK_BDR, s.bdr, 4);
  double w = PlotPapers[s.paper].w, h = PlotPapers[s.paper].h;
  const double u = PLOT_UNITS_PER_INCH;
  double l, b, r, t;
  if (toupper((unsigned char)V(st, PK_ORG)[0]) == 'L' && V(st, PK_ORG)[1] == '\0') {
    s.lowerLeft = 1;
    snprintf(V(st, PK_ORG), PLOT_TEXT, "L");
    l = b = s.bdr;
    r = w - s.bdr;
    t = h - s.bdr;
    st.geom.iw[0] = 0;
    st.geom.iw[1] = 0;
    st.geom.iw[2] = (int)(w * u);
    st.geom.iw[3] = (int)(h * u);
  } else {
    s.lowerLeft = 0;
    snprintf(V(st, PK_ORG), PLOT_TEXT, "C");
    l = s.bdr - w / 2;
    b = s.bdr - h / 2;
    r = w / 2 - s.bdr;
    t = h / 2 - s.bdr;
    st.geom.iw[0] = (int)(-w / 2 * u);
    st.geom.iw[1] = (int)(-h / 2 * u);
    st.geom.iw[2] = (int)(w / 2 * u);
    st.geom.iw[3] = (int)(h / 2 * u);
  }
  double* area[4] = {&l, &b, &r, &t};
  const int keys[4] = {PK_PLM, PK_PBM, PK_PRM, PK_PTM};
  for (int k = 0; k < 4; ++k) {
    SetNum(st, keys[k], *area[k], 4);
    double v = Num(st, keys[k]);
    // Cut toward zero to a multiple of 0.05 in; a hair of rounding in the
    // text must not lose a whole step.
    *area[k] = std::trunc(v / 0.05 + (v >= 0 ? 1e-9 : -1e-9)) * 0.05;
  }
  if (b + 1 >= t) t = b + 1;
  if (l + 1 >= r) r = l + 1;
  for (int k = 0; k < 4; ++k) SetNum(st, keys[k], *area[k], 4);
  s.areaL = l;
  s.areaB = b;
  s.areaR = r;
  s.areaT = t;
  st.out.clipWarned = 0;
  for (double* a : area) ClipUnits(st, *a * u);
}

void LayerTableBuild(PlotState& st) {
  for (int r = 0; r < PLOT_ROWS; ++r) {
    PlotLayerRow& row = st.set.rows[r];
    char* lt = V(st, PK_L0 + r);
    if (!lt[0]) {
      row.layer = 0;
    } else {
      row.layer = (int)Clamp((double)IntOf(lt), 1, 256);
      snprintf(lt, PLOT_TEXT, "%d", row.layer);
    }
    char* pt = V(st, PK_P0 + r);
    if (!pt[0]) {
      row.pen = 0;
    } else {
      row.pen = (int)Clamp((double)IntOf(pt), 1, 8);
      snprintf(pt, PLOT_TEXT, "%d", row.pen);
    }
    char* dt = V(st, PK_D0 + r);
    if (dt[0]) snprintf(dt, PLOT_TEXT, "%d", (int)Clamp((double)IntOf(dt), 0, 6));
    snprintf(row.dash, sizeof row.dash, "%s", dt);
    char* ft = V(st, PK_F0 + r);
    Upper(ft);
    double fv = atof(ft);
    if (fv != 0) PlotNumText(ft, PLOT_TEXT, std::floor(fv + 0.5), 4);
    int64_t fi = IntOf(ft);
    if ((fi < 1 || fi > 180) && strcmp(ft, "S") != 0) ft[0] = '\0';
    snprintf(row.fill, sizeof row.fill, "%s", ft);
  }
}

int LayerRow(const PlotState& st, int layer) {
  for (int r = 0; r < PLOT_ROWS; ++r)
    if (st.set.rows[r].layer == layer) return r;
  return 0;
}

int LayerPlotted(const PlotState& st, int layer) {
  if (layer == 0) return 0;
  for (int r = 0; r < PLOT_ROWS; ++r)
    if (st.set.rows[r].layer == layer) return 1;
  return 0;
}

int LayerPen(const PlotState& st, int layer) { return st.set.rows[LayerRow(st, layer)].pen; }

void LayerDash(PlotState& st, int layer) {
  const PlotLayerRow& row = st.set.rows[LayerRow(st, layer)];
  st.out.dash = row.dash[0] != '\0';
  st.out.lineType = st.out.dash ? (int)Clamp((double)IntOf(row.dash), 0, 6) : 0;
}

void LayerFill(PlotState& st, int layer) {
  const PlotLayerRow& row = st.set.rows[LayerRow(st, layer)];
  st.out.fill = st.out.solid = st.out.angle = 0;
  if (!row.fill[0]) return;
  st.out.fill = 1;
  if (toupper((unsigned char)row.fill[0]) == 'S' && !row.fill[1])
    st.out.solid = 1;
  else
    st.out.angle = (int)IntOf(row.fill);
}

int FitToCell(PlotState& st, const char* cell) {
  int i = GetCinfo(cell);
  if (!i) return 0;
  const CellInfo& c = Cells.cell[i];
  SetNum(st, PK_WLF, c.l / st.scale, 9);
  SetNum(st, PK_WBT, c.b / st.scale, 9);
  SetNum(st, PK_WRT, c.r / st.scale, 9);
  SetNum(st, PK_WTP, c.t / st.scale, 9);
  return 1;
}

int PlotUsfLine(PlotState& st, const char* line) {
  for (int k = 0; k < PK_COUNT; ++k) {
    const char* key = PlotKeyName[k];
    size_t n = strlen(key), i = 0;
    while (i < n && line[i] && tolower((unsigned char)line[i]) == tolower((unsigned char)key[i])) ++i;
    if (i < n) continue;
    const char* e = strchr(line, '=');
    snprintf(st.set.v[k], PLOT_TEXT, "%s", e ? e + 1 : "");
    return 1;
  }
  return 0;
}

int HpglUsfRead(PlotState& st) {
  FILE* f = SatOpen("QuilHpgl.usf", "r");
  if (!f) return 1;
  char line[SAT_SLOT_SIZE + 8];
  while (fGetLine(line, 255, f)) {
    strclip(line, 254);
    if (PlotUsfLine(st, line)) continue;
    for (int i = 0; i < SAT_RECENT; ++i)
      if (UsfReadRecent(i, line)) break;
  }
  fclose(f);
  ParamsApply(st);
  PaperApply(st);
  LayerTableBuild(st);
  SetupApply(st);
  return 0;
}

int HpglUsfWrite(PlotState& st) {
  ParamsApply(st);
  PaperApply(st);
  LayerTableBuild(st);
  SetupApply(st);
  FILE* f = SatOpen("QuilHpgl.usf", "w");
  if (!f) return 1;
  int bad = 0;
  for (int k = 0; k < PK_COUNT; ++k)
    if (fprintf(f, "%s%s\n", PlotKeyName[k], st.set.v[k]) < 0) bad = 1;
  for (int i = 0; i < SAT_RECENT; ++i) {
    if (fprintf(f, "rdp%d=%s\n", i, SatFrame.recentApp[i]) < 0) bad = 1;
    if (fprintf(f, "rdf%d=%s\n", i, SatFrame.recentFile[i]) < 0) bad = 1;
  }
  if (ferror(f)) bad = 1;
  if (fclose(f) != 0) bad = 1;
  return bad;
}

void PlotArguments(PlotState& st, const char* args) {
  char tok[15][33];
  int count = 1;
  const char* p = args ? args : "";
  while (*p && count < 15) {
    while (*p == ' ') ++p;
    if (!*p) break;
    const char* s = p;
    while (*p && *p != ' ') ++p;
    snprintf(tok[count], sizeof tok[0], "%.*s", (int)(p - s) > 32 ? 32 : (int)(p - s), s);
    ++count;
  }
  if (count > 1 && GetCinfo(tok[1])) snprintf(V(st, PK_CLN), PLOT_TEXT, "%s", Cells.curName);
  // The window only from all of it: a cut line must not leave a side empty.
  if (count > 5) {
    for (int k = 0; k < 4; ++k) snprintf(V(st, PK_WLF + k), PLOT_TEXT, "%s", tok[2 + k]);
    SetupApply(st);
  }
}
