#include "drc_run.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_pcx.h"
#include "drc_rules.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "host.h"
#include "namecheck.h"
#include "qfile.h"
#include "version.h"


namespace {

const char* kVersion = QUIL_VERSION;

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool Stopped(DrcState& st) { return st.g.abortFlag || st.g.stopCode; }

void Lower(std::string& s) {
  for (char& c : s) c = (char)std::tolower((unsigned char)c);
}

std::string BaseName(const char* path) {
  std::string s(path);
  size_t p = s.find_last_of("/\\:");
  if (p != std::string::npos) s = s.substr(p + 1);
  Lower(s);
  return s;
}

// A log must not be a file of the drawing: the rule file, a cell, a
// settings file (QUIL7.USF among them), a layer map or the cell list.
bool LogNameRefused(const char* log, const char* rules) {
  std::string l = BaseName(log), r = BaseName(rules);
  if (l == r) return true;
  for (const char* ext : {".tlc", ".usf", ".ldm", ".crf"})
    if (l.size() >= 4 && l.compare(l.size() - 4, 4, ext) == 0) return true;
  return false;
}

std::string InFolder(DrcState& st, const char* name) {
  if (!st.run.folder[0]) return name;
  if (name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':')) return name;
  return std::string(st.run.folder) + "/" + name;
}

const char* DistMarker(DrcState& st) { return st.x.geo.notWhole ? "?" : ""; }
const char* ResMarker(DrcState& st) {
  if (st.x.geo.resChanged) return "*";
  return st.set.v[K_RES][0] ? "?" : "";
}

void Final(DrcState& st, const char* text) {
  std::string t = std::string("\n") + text + "\n\n";
  DrcLogPut(st, t.c_str());
  if (st.run.log) std::fflush(st.run.log);
  HostMsgBox(text, "QuilDrc", HOST_CAP_OWN, HOST_OK);
}

void ReleaseAll(DrcState& st) {
  LayerMapFree(st);
  MapFree(st);
  MapperFree(st);
}

// Stops the run with the restart point at the area given. An area past the
// end of its row is the first of the next row; past the last row, the
// restart is the next check from its beginning.
int Interrupt(DrcState& st, int64_t left, int64_t bottom) {
  const DrcGeom& g = st.x.geo;
  if (left > g.winR) {
    left = g.winL - g.guard;
    bottom += g.stepY;
  }
  if (bottom > g.winT) {
    DrcRestartSave(st, 0, 0, st.chk.counter + 1);
    DrcRestartClear(st);
  } else {
    DrcRestartSave(st, (double)left / st.g.scale, (double)bottom / st.g.scale, st.chk.counter);
  }
  ReleaseAll(st);
  return 0;
}

int Refuse(DrcState& st, const char* text) {
  DrcErrorShow(st, text);
  DrcLogPut(st, text);
  DrcLogPut(st, "\n");
  ReleaseAll(st);
  return 0;
}

}  // namespace

void DrcRunReset(DrcState& st) {
  if (st.run.log) std::fclose(st.run.log);
  std::memset(&st.run, 0, sizeof st.run);
  st.run.pauseMs = 10;
}

void DrcEngineReset(DrcState& st) {
  DrcSharedReset(st);
  DrcMapReset(st);
  DrcSetupReset(st);
  DrcExecReset(st);
  DrcRasterReset(st);
  DrcRunReset(st);
}

void DrcLogPut(const DrcState& st, const char* text) {
  if (st.run.log) std::fputs(text, st.run.log);
}

void LogHeader(DrcState& st) {
  char t[600];
  std::snprintf(t, sizeof t, "*** QUIL Design Rule Check Map Log  %s  %s  %s\n\n", kVersion, st.run.dateText,
                st.run.timeText);
  DrcLogPut(st, t);
  std::snprintf(t, sizeof t, "** DRC File  %s\n\n", st.set.v[K_CKF]);
  DrcLogPut(st, t);
  DrcLogPut(st, "Note: Read Text with Fixed Pitch Font\n\n");
  std::snprintf(t, sizeof t, "** Cell:  %s\n", st.set.v[K_CLN]);
  DrcLogPut(st, t);
}

void LogCheckHeader(DrcState& st) {
  const DrcGeom& g = st.x.geo;
  char t[700];
  std::snprintf(t, sizeof t, "\nCheck %d: %s\n", st.chk.counter, st.chk.title);
  DrcLogPut(st, t);
  std::snprintf(t, sizeof t,
                "Distance= %.*g%s%s   Resolution= %.*g%s%s   Dist/Res= %.*g   Rescale= %.*g   Map= %dx%d\n\n", 6,
                g.distance, st.g.physunit, DistMarker(st), 6, g.resolution, st.g.physunit, ResMarker(st), 6,
                g.pixUnits > 0 ? g.distUnits / g.pixUnits : 0.0, 6, DrcNum(st, K_RSCL), st.maps.mapw, st.maps.maph);
  DrcLogPut(st, t);
  DrcLogPut(st, "Areas Mapped:\n");
}

void DrcApplyArguments(DrcState& st, const char* args) {
  enum { TOKENS = 14, TOKLEN = 32 };
  char tok[TOKENS + 1][TOKLEN + 1];
  int n = 1;  // tokens are numbered from 1
  const char* p = args ? args : "";
  while (*p && n <= TOKENS) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) break;
    size_t k = 0;
    while (*p && *p != ' ' && *p != '\t') {
      if (k < TOKLEN) tok[n][k++] = *p;
      ++p;
    }
    tok[n][k] = 0;
    ++n;
  }
  if (n < 2) return;
  // A name that leads out of the drawing folder never becomes the cell.
  if (!CellNameValid(tok[1])) {
    CellNameCheck(tok[1], 0);
    return;
  }
  if (st.run.findCell && st.run.src && st.run.findCell(st.run.src->ctx, tok[1]))
    std::snprintf(st.set.v[K_CLN], sizeof st.set.v[K_CLN], "%s", tok[1]);
  if (n >= 5) {
    double x = std::atof(tok[2]), y = std::atof(tok[3]), w = std::atof(tok[4]);
    st.set.pending = 1;
    st.set.pendL = x - 0.5 * w;
    st.set.pendR = x + 0.5 * w;
    st.set.pendB = y - 0.4 * w;
    st.set.pendT = y + 0.4 * w;
  }
  DrcSetupApply(st, 1);
}

namespace {

// ---- check: a clean start and the settings that must hold ----

void RunBegin(DrcState& st) {
  if (!st.run.dateText[0] || !st.run.timeText[0]) {
    std::time_t now = std::time(nullptr);
    std::tm* tm = std::localtime(&now);
    if (tm) {
      std::strftime(st.run.dateText, sizeof st.run.dateText, "%d-%b-%Y", tm);
      std::strftime(st.run.timeText, sizeof st.run.timeText, "%H:%M:%S", tm);
    }
  }
  st.run.startSeconds = Now();
  st.run.lastLimitAsk = 0;
  st.x.pcxFiles = 0;
  st.x.mapsRun = 0;
  st.x.mapsUnwritten = 0;
  st.x.noMapFiles = 0;
  st.g.stopCode = 0;
  st.g.abortFlag = 0;
  LayerMapFree(st);
  MapperFree(st);
  // A second run maps the cells as they are now, not as a first run saw them.
  DrcRasterForget(st);
  DrcCheckReset(st.chk);
}

bool ScaleOk(DrcState& st) {
  if (st.g.scale > 0) return true;
  char t[160];
  std::snprintf(t, sizeof t, "Drawing Scale %g is not Positive ... Can't Continue", st.g.scale);
  DrcErrorShow(st, t);
  return false;
}

// ---- open: rule file, main cell, log ----

QFile RulesOpen(DrcState& st) {
  QFile rules = QFileOpen(InFolder(st, st.set.v[K_CKF]).c_str(), "r");
  if (rules && st.set.v[K_CKF][0]) return rules;
  DrcErrorShow(st, "DRC File is Missing ... Can't Continue");
  std::snprintf(st.set.v[K_CKF], sizeof st.set.v[K_CKF], "?");
  return QFile();
}

bool MainCellOpen(DrcState& st) {
  // Its cell file and map files are named after it: nothing may lie outside
  // the drawing folder.
  if (!CellNameValid(st.set.v[K_CLN])) {
    CellNameCheck(st.set.v[K_CLN], 0);
    st.g.abortFlag = 1;
    return false;
  }
  int mainCell = st.run.findCell ? st.run.findCell(st.run.src->ctx, st.set.v[K_CLN]) : 0;
  if (!mainCell) {
    DrcErrorShow(st, "Cell to Design Rule Check is Missing ... Can't Continue");
    std::snprintf(st.set.v[K_CLN], sizeof st.set.v[K_CLN], "?");
    return false;
  }
  std::snprintf(st.x.cell, sizeof st.x.cell, "%s", st.set.v[K_CLN]);
  st.ras.src = st.run.src;
  st.ras.mainCell = mainCell;
  return true;
}

// The log: never the rule file or a cell file, and a log that cannot be
// opened stops the run rather than being written to.
bool LogOpen(DrcState& st) {
  if (st.run.log) std::fclose(st.run.log);
  st.run.log = nullptr;
  char t[600];
  std::snprintf(t, sizeof t, "Unable to Write Log File %s ... Can't Continue", st.set.v[K_WR2]);
  if (LogNameRefused(st.set.v[K_WR2], st.set.v[K_CKF])) {
    DrcErrorShow(st, t);
    return false;
  }
  st.run.log = std::fopen(InFolder(st, st.set.v[K_WR2]).c_str(), DrcFlag(st, K_ERS) ? "w" : "a");
  if (!st.run.log) {
    DrcErrorShow(st, t);
    return false;
  }
  return true;
}

// ---- run: the checks csn= .. cfn=, each over its areas ----

// Reads up to the check before csn=.
bool RangeStart(DrcState& st, DrcRuleSrc* src, int csn, int cfn) {
  char t[200];
  if (cfn < csn || cfn < 1) {
    std::snprintf(t, sizeof t, "Check Finish %d is before Check Start %d ... Can't Continue", cfn, csn);
    return Refuse(st, t);
  }
  while (st.chk.counter < csn - 1) {
    if (DrcCheckRead(st.chk, src) == -1 && !st.chk.anything) {
      std::snprintf(t, sizeof t, "Check Start %d is beyond the last Check of the DRC File ... Can't Continue", csn);
      return Refuse(st, t);
    }
  }
  if (csn != st.chk.counter + 1) DrcRestartClear(st);
  return true;
}

// Reads the next check and checks its text: 1 to be run, 0 the file ended
// after at least one check (noted in the log), -1 refused.
int CheckNext(DrcState& st, DrcRuleSrc* src, int cfn, int checksRun) {
  st.chk.GUARDBAND = 0;
  int r = DrcCheckRead(st.chk, src);
  char t[1200];
  if (r == -1 && !st.chk.anything) {
    if (checksRun == 0) {
      std::snprintf(t, sizeof t, "Check %d is not in the DRC File ... Can't Continue", st.chk.counter);
      Refuse(st, t);
      return -1;
    }
    std::snprintf(t, sizeof t, "\nCheck Finish %d is beyond the last Check %d\n", cfn, st.chk.counter - 1);
    DrcLogPut(st, t);
    return 0;
  }
  if (!st.chk.title[0]) {
    std::snprintf(t, sizeof t, "Check %d has no Title ... Can't Continue", st.chk.counter);
    Refuse(st, t);
    return -1;
  }
  if (st.chk.fault[0]) {
    std::snprintf(t, sizeof t, "Check %d: %s ... Can't Continue", st.chk.counter, st.chk.fault);
    Refuse(st, t);
    return -1;
  }
  for (int i = 0; i < st.chk.nops; ++i) {
    DrcOpParsed op;
    if (DrcOperatorParse(st.chk.op[i], &op) != 0) {
      std::snprintf(t, sizeof t, "Syntax Error: \"%s\"", st.chk.op[i]);
      Refuse(st, t);
      return -1;
    }
  }
  return 1;
}

// The smallest map factor from msz= up whose areas leave room for the guard
// band on both sides.
bool MapSizeFit(DrcState& st) {
  int m = std::atoi(st.set.v[K_MSZ]);
  int k = m >= 2 ? 1 << (m - 1) : 1;
  st.run.mapDoubled = 0;
  DrcGeomInput in;
  for (;;) {
    if (k > 8) {
      char t[1200];
      std::snprintf(t, sizeof t,
                    "Check %d  %s\nDistance= %.*g%s  Resolution= %.*g%s  Map= %dx%d\n\nMap size will be too large "
                    "for this Distance and Resolution\n\nTry a Lower Resolution.",
                    st.chk.counter, st.chk.title, 6, st.x.geo.distance, st.g.physunit, 6, st.x.geo.resolution,
                    st.g.physunit, st.maps.mapw, st.maps.maph);
      return Refuse(st, t);
    }
    MapFree(st);
    LayerMapFree(st);
    DrcMapSize(st, k);
    in.scale = st.g.scale;
    in.winLeft = DrcNum(st, K_WL);
    in.winBottom = DrcNum(st, K_WB);
    in.winRight = DrcNum(st, K_WR);
    in.winTop = DrcNum(st, K_WT);
    in.rescale = DrcNum(st, K_RSCL);
    in.res = st.set.v[K_RES];
    in.dis = st.set.v[K_DIS];
    in.arp = DrcNum(st, K_ARP);
    in.ckl = st.set.v[K_CKL];
    in.ckb = st.set.v[K_CKB];
    in.DISTANCE = st.chk.DISTANCE;
    in.RESOLUTION = st.chk.RESOLUTION;
    in.GUARDBAND = st.chk.GUARDBAND;
    in.resolutionGiven = st.chk.resolutionGiven;
    in.mapw = st.maps.mapw;
    in.maph = st.maps.maph;
    DrcPixelGeometry(in, &st.x.geo);
    if (st.x.geo.stepX >= 2 * st.x.geo.guard && st.x.geo.stepY >= 2 * st.x.geo.guard) break;
    k *= 2;
    st.run.mapDoubled = 1;
  }
  st.run.k = k;
  return true;
}

// Coordinates, distances and guard bands are held in 32-bit database units;
// a value past them would wrap the tiling and check nothing.
bool Fits(double physical, double scale) { return std::fabs(physical * scale) <= 2147483647.0; }

double Override(const DrcState& st, int key, double ruleValue) {
  const char* p = st.set.v[key];
  while (*p == ' ' || *p == '\t') ++p;
  return *p ? std::fabs(std::atof(p)) : ruleValue * DrcNum(st, K_RSCL);
}

bool RangesOk(DrcState& st) {
  const double sc = st.g.scale;
  char t[400];
  double w[4] = {DrcNum(st, K_WL), DrcNum(st, K_WB), DrcNum(st, K_WR), DrcNum(st, K_WT)};
  if (!Fits(w[0], sc) || !Fits(w[1], sc) || !Fits(w[2], sc) || !Fits(w[3], sc)) {
    std::snprintf(t, sizeof t, "Checking Window %.*g, %.*g, %.*g, %.*g is too Large for the Drawing ... Can't Continue",
                  9, w[0], 9, w[1], 9, w[2], 9, w[3]);
    return Refuse(st, t);
  }
  struct Value {
    const char* name;
    double given, physical;
  } values[] = {
      {"DISTANCE", st.chk.DISTANCE, Override(st, K_DIS, st.chk.DISTANCE)},
      {"RESOLUTION", st.chk.RESOLUTION, Override(st, K_RES, st.chk.RESOLUTION)},
      {"GUARDBAND", st.chk.GUARDBAND, st.chk.GUARDBAND},
  };
  for (const Value& v : values) {
    if (Fits(v.physical, sc)) continue;
    std::snprintf(t, sizeof t, "Check %d: %s %.*g is too Large for the Drawing ... Can't Continue", st.chk.counter,
                  v.name, 9, v.given);
    return Refuse(st, t);
  }
  return true;
}

// Geometry, maps and log header of the check just read; false stops the run.
bool CheckPrepare(DrcState& st) {
  if (st.chk.locationGiven) {
    std::snprintf(st.set.v[K_CKL], sizeof st.set.v[K_CKL], "%s", st.chk.ckl);
    std::snprintf(st.set.v[K_CKB], sizeof st.set.v[K_CKB], "%s", st.chk.ckb);
  }
  st.x.mapsCheck = 0;
  if (!RangesOk(st) || !MapSizeFit(st)) return false;
  char t[1200];
  if (st.x.geo.totalAreas >= DRC_AREA_CAP) {
    std::snprintf(t, sizeof t, "Check %d  %s\nThe Checking Window needs %d Areas or more ... Can't Continue",
                  st.chk.counter, st.chk.title, (int)DRC_AREA_CAP);
    return Refuse(st, t);
  }
  if (!MapAlloc(st)) {
    st.g.stopCode = DRC_STOP_MEMORY;
    ReleaseAll(st);
    return false;
  }
  LogCheckHeader(st);
  if (st.x.geo.restartIgnored) {
    std::snprintf(t, sizeof t, "Restart Point %s, %s lies outside the Checking Window ... Ignored\n",
                  st.set.v[K_CKL], st.set.v[K_CKB]);
    DrcLogPut(st, t);
  }
  // Map files of this check continue after those already on disk.
  st.x.checkNo = st.chk.counter;
  st.x.pcxSeq = PcxHighestSeq(st.run.folder, st.x.cell, st.x.checkNo);
  std::snprintf(st.x.folder, sizeof st.x.folder, "%s", st.run.folder);
  st.run.areasDone = 0;
  return true;
}

void AreaEnter(DrcState& st, int64_t left, int64_t bottom) {
  const DrcGeom& g = st.x.geo;
  st.x.areaL = left;
  st.x.areaB = bottom;
  st.x.areaR = left + 2 * g.guard + g.stepX;
  st.x.areaT = bottom + 2 * g.guard + g.stepY;
  HostProgress((long)(g.totalAreas - DrcAreaCount(g, bottom, left)), (long)g.totalAreas);
  st.x.areaResults = 0;
  std::strcpy(st.x.mapFile, "No File");
  MapClear(st, st.maps.R);
  MapSlotsInvalidate(st);
  st.run.areaVisits++;
}

// The check's operator list on the current area: 0 the list ended, 1 the
// abort flag cut it short, -1 a stop code.
int AreaOperators(DrcState& st) {
  for (int i = 0; i < st.chk.nops; ++i) {
    int u = DrcOperator(st, i);
    if (st.g.stopCode) return -1;
    if (u == -1) {
      char t[200];
      std::snprintf(t, sizeof t, "Syntax Error: \"%s\"", st.chk.op[i]);
      DrcErrorShow(st, t);
    } else if (u == -2) {
      DrcErrorShow(st, st.x.ruleError);
    }
    if (st.g.abortFlag) return 1;
    if (u == 0) break;
  }
  return 0;
}

void AreaLeave(DrcState& st, bool interrupted) {
  // An area whose list did not finish is checked again on restart, so it is
  // not logged now.
  if (st.x.areaResults && !interrupted) {
    char t[600];
    std::snprintf(t, sizeof t, "Area: L= %.*g B= %.*g R= %.*g T= %.*g   Map File: %s\n", 5,
                  (double)st.x.areaL / st.g.scale, 5, (double)st.x.areaB / st.g.scale, 5,
                  (double)st.x.areaR / st.g.scale, 5, (double)st.x.areaT / st.g.scale, st.x.mapFile);
    DrcLogPut(st, t);
  }
  if (st.run.log) std::fflush(st.run.log);
  if (st.mapper.created) MapperFree(st);
  if (st.run.areaDone) st.run.areaDone(st);
  DrcPausePoll(st, st.run.pauseMs);
}

void FileLimitAsk(DrcState& st) {
  if (DrcFlag(st, K_ENH) && st.x.pcxFiles >= st.set.fileLimit && st.x.pcxFiles > st.run.lastLimitAsk) {
    st.run.lastLimitAsk = st.x.pcxFiles;
    if (HostMsgBox("PCX Map Files exceed Limit ... Continue?", nullptr, HOST_CAP_WARNING, HOST_YESNO) != HOST_IDYES)
      st.g.abortFlag = 1;
  }
}

// Every area of the check, row by row; 1 done, 0 interrupted (the restart
// point saved).
int CheckAreas(DrcState& st) {
  int64_t left = st.x.geo.areaL, bottom = st.x.geo.areaB;
  int64_t areaNo = 0;
  while (st.x.geo.winT >= bottom) {
    while (st.x.geo.winR >= left) {
      AreaEnter(st, left, bottom);
      int r = AreaOperators(st);
      if (r < 0) return Interrupt(st, left, bottom);
      AreaLeave(st, r == 1);
      if (r == 1) return Interrupt(st, left, bottom);
      FileLimitAsk(st);
      st.run.areasDone++;
      left += st.x.geo.stepX;
      if (areaNo++ % 5 == 0) HostPause(10);
      if (st.g.abortFlag) return Interrupt(st, left, bottom);
    }
    left = st.x.geo.winL - st.x.geo.guard;
    bottom += st.x.geo.stepY;
    if (st.g.abortFlag) return Interrupt(st, left, bottom);
    HostPause(10);
  }
  return 1;
}

int ChecksRun(DrcState& st, DrcRuleSrc* src, int cfn) {
  int checksRun = 0;
  while (st.chk.counter < cfn) {
    int r = CheckNext(st, src, cfn, checksRun);
    if (r < 0) return 0;
    if (r == 0) break;
    ++checksRun;
    if (!CheckPrepare(st) || !CheckAreas(st)) return 0;
    DrcRestartClear(st);
    DrcOverrideClear(st);
    ReleaseAll(st);
  }
  ReleaseAll(st);
  DrcRestartClear(st);
  DrcOverrideClear(st);
  st.x.pcxSeq = 0;
  return Stopped(st) ? 0 : 1;
}

}  // namespace

int DrcRun(DrcState& st) {
  RunBegin(st);
  if (!ScaleOk(st)) return 0;
  QFile rules = RulesOpen(st);
  if (!rules || !MainCellOpen(st) || !LogOpen(st)) return 0;
  LogHeader(st);
  if (DrcFlag(st, K_EPX)) PcxDeleteOwn(st.run.folder, st.set.v[K_CLN]);
  DrcRuleSrc src;
  DrcRuleSrcFile(&src, rules.get());
  int csn = std::atoi(st.set.v[K_CSN]), cfn = std::atoi(st.set.v[K_CFN]);
  if (!RangeStart(st, &src, csn, cfn)) return 0;
  return ChecksRun(st, &src, cfn);
}

int DrcGo(DrcState& st) {
  int r = DrcRun(st);
  char text[300];
  if (!r) {
    if (st.g.stopCode == DRC_STOP_MEMORY) DrcErrorShow(st, "Not Enough Memory for Maps");
    else if (st.g.stopCode == DRC_STOP_BP_READ) DrcErrorShow(st, "TLC File BP Records Failed");
    else if (st.g.stopCode == DRC_STOP_C_READ) DrcErrorShow(st, "TLC File C Records Failed");
    std::snprintf(text, sizeof text, "Aborted ... DRC may be Incomplete");
  } else {
    int secs = (int)(Now() - st.run.startSeconds);
    char unwritten[80] = "";
    if (st.x.mapsUnwritten)
      std::snprintf(unwritten, sizeof unwritten, "\n%d Maps not Written to File", st.x.mapsUnwritten);
    std::snprintf(text, sizeof text, "DRC Completed ...  %d Total Maps%s\n\nTotal Run Time:  %dhr %dmin %dsec",
                  st.x.mapsRun, unwritten, secs / 3600, secs / 60 % 60, secs % 60);
  }
  Final(st, text);
  if (st.run.log) {
    std::fclose(st.run.log);
    st.run.log = nullptr;
  }
  ReleaseAll(st);
  return r;
}
