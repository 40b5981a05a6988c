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

DrcRunState DrcRunS;

namespace {

const char* kVersion = "7.0.91";

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

bool Stopped() { return DrcG.abortFlag || DrcG.stopCode; }

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

// A log must not be the rule file or a cell file.
bool LogNameRefused(const char* log, const char* rules) {
  std::string l = BaseName(log), r = BaseName(rules);
  if (l == r) return true;
  return l.size() >= 4 && l.compare(l.size() - 4, 4, ".tlc") == 0;
}

std::string InFolder(const char* name) {
  if (!DrcRunS.folder[0]) return name;
  if (name[0] == '/' || name[0] == '\\' || (name[0] && name[1] == ':')) return name;
  return std::string(DrcRunS.folder) + "/" + name;
}

const char* DistMarker() { return DrcX.geo.notWhole ? "?" : ""; }
const char* ResMarker() {
  if (DrcX.geo.resChanged) return "*";
  return DrcSet.v[K_RES][0] ? "?" : "";
}

void Final(const char* text) {
  std::string t = std::string("\n") + text + "\n\n";
  DrcLogPut(t.c_str());
  if (DrcRunS.log) std::fflush(DrcRunS.log);
  HostMsgBox(text, "QuilDrc", HOST_CAP_OWN, HOST_OK);
}

void ReleaseAll() {
  LayerMapFree();
  MapFree();
  MapperFree();
}

// Stops the run with the restart point at the area given.
// Stops the run with the restart point at the area given. An area past the
// end of its row is the first of the next row; past the last row, the
// restart is the next check from its beginning.
int Interrupt(FILE* rules, int64_t left, int64_t bottom) {
  if (rules) std::fclose(rules);
  const DrcGeom& g = DrcX.geo;
  if (left > g.winR) {
    left = g.winL - g.guard;
    bottom += g.stepY;
  }
  if (bottom > g.winT) {
    DrcRestartSave(0, 0, DrcChk.counter + 1);
    DrcRestartClear();
  } else {
    DrcRestartSave((double)left / DrcG.scale, (double)bottom / DrcG.scale, DrcChk.counter);
  }
  ReleaseAll();
  return 0;
}

int Refuse(FILE* rules, const char* text) {
  if (rules) std::fclose(rules);
  DrcErrorShow(text);
  DrcLogPut(text);
  DrcLogPut("\n");
  ReleaseAll();
  return 0;
}

}  // namespace

void DrcRunReset() {
  if (DrcRunS.log) std::fclose(DrcRunS.log);
  std::memset(&DrcRunS, 0, sizeof DrcRunS);
  DrcRunS.pauseMs = 10;
}

void DrcEngineReset() {
  DrcSharedReset();
  DrcMapReset();
  DrcSetupReset();
  DrcExecReset();
  DrcRasterReset();
  DrcRunReset();
}

void DrcLogPut(const char* text) {
  if (DrcRunS.log) std::fputs(text, DrcRunS.log);
}

void LogHeader() {
  char t[600];
  std::snprintf(t, sizeof t, "*** QUIL Design Rule Check Map Log  %s  %s  %s\n\n", kVersion, DrcRunS.dateText,
                DrcRunS.timeText);
  DrcLogPut(t);
  std::snprintf(t, sizeof t, "** DRC File  %s\n\n", DrcSet.v[K_CKF]);
  DrcLogPut(t);
  DrcLogPut("Note: Read Text with Fixed Pitch Font\n\n");
  std::snprintf(t, sizeof t, "** Cell:  %s\n", DrcSet.v[K_CLN]);
  DrcLogPut(t);
}

void LogCheckHeader() {
  const DrcGeom& g = DrcX.geo;
  char t[700];
  std::snprintf(t, sizeof t, "\nCheck %d: %s\n", DrcChk.counter, DrcChk.title);
  DrcLogPut(t);
  std::snprintf(t, sizeof t,
                "Distance= %.*g%s%s   Resolution= %.*g%s%s   Dist/Res= %.*g   Rescale= %.*g   Map= %dx%d\n\n", 6,
                g.distance, DrcG.physunit, DistMarker(), 6, g.resolution, DrcG.physunit, ResMarker(), 6,
                g.pixUnits > 0 ? g.distUnits / g.pixUnits : 0.0, 6, DrcNum(K_RSCL), DrcM.mapw, DrcM.maph);
  DrcLogPut(t);
  DrcLogPut("Areas Mapped:\n");
}

void DrcApplyArguments(const char* args) {
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
  if (DrcRunS.findCell && DrcRunS.src && DrcRunS.findCell(DrcRunS.src->ctx, tok[1]))
    std::snprintf(DrcSet.v[K_CLN], sizeof DrcSet.v[K_CLN], "%s", tok[1]);
  if (n >= 5) {
    double x = std::atof(tok[2]), y = std::atof(tok[3]), w = std::atof(tok[4]);
    DrcSet.pending = 1;
    DrcSet.pendL = x - 0.5 * w;
    DrcSet.pendR = x + 0.5 * w;
    DrcSet.pendB = y - 0.4 * w;
    DrcSet.pendT = y + 0.4 * w;
  }
  DrcSetupApply(1);
}

int DrcRun() {
  DrcRunState& st = DrcRunS;
  if (!st.dateText[0] || !st.timeText[0]) {
    std::time_t now = std::time(nullptr);
    std::tm* tm = std::localtime(&now);
    if (tm) {
      std::strftime(st.dateText, sizeof st.dateText, "%d-%b-%Y", tm);
      std::strftime(st.timeText, sizeof st.timeText, "%H:%M:%S", tm);
    }
  }
  st.startSeconds = Now();
  st.lastLimitAsk = 0;
  DrcX.pcxFiles = 0;
  DrcX.mapsRun = 0;
  DrcG.stopCode = 0;
  DrcG.abortFlag = 0;
  LayerMapFree();
  MapperFree();
  // A second run maps the cells as they are now, not as a first run saw them.
  DrcRasterForget();
  DrcCheckReset();

  if (!(DrcG.scale > 0)) {
    char t[160];
    std::snprintf(t, sizeof t, "Drawing Scale %g is not Positive ... Can't Continue", DrcG.scale);
    DrcErrorShow(t);
    return 0;
  }
  FILE* rules = std::fopen(InFolder(DrcSet.v[K_CKF]).c_str(), "r");
  if (!rules || !DrcSet.v[K_CKF][0]) {
    if (rules) std::fclose(rules);
    DrcErrorShow("DRC File is Missing ... Can't Continue");
    std::snprintf(DrcSet.v[K_CKF], sizeof DrcSet.v[K_CKF], "?");
    return 0;
  }
  int mainCell = st.findCell ? st.findCell(st.src->ctx, DrcSet.v[K_CLN]) : 0;
  if (!mainCell) {
    std::fclose(rules);
    DrcErrorShow("Cell to Design Rule Check is Missing ... Can't Continue");
    std::snprintf(DrcSet.v[K_CLN], sizeof DrcSet.v[K_CLN], "?");
    return 0;
  }
  std::snprintf(DrcX.cell, sizeof DrcX.cell, "%s", DrcSet.v[K_CLN]);
  DrcRas.src = st.src;
  DrcRas.mainCell = mainCell;

  // The log: never the rule file or a cell file, and a log that cannot be
  // opened stops the run rather than being written to.
  if (st.log) std::fclose(st.log);
  st.log = nullptr;
  {
    char t[600];
    std::snprintf(t, sizeof t, "Unable to Write Log File %s ... Can't Continue", DrcSet.v[K_WR2]);
    if (LogNameRefused(DrcSet.v[K_WR2], DrcSet.v[K_CKF])) {
      std::fclose(rules);
      DrcErrorShow(t);
      return 0;
    }
    st.log = std::fopen(InFolder(DrcSet.v[K_WR2]).c_str(), DrcFlag(K_ERS) ? "w" : "a");
    if (!st.log) {
      std::fclose(rules);
      DrcErrorShow(t);
      return 0;
    }
  }
  LogHeader();
  if (DrcFlag(K_EPX)) PcxDeleteOwn(st.folder, DrcSet.v[K_CLN]);

  DrcRuleSrc src;
  DrcRuleSrcFile(&src, rules);
  int csn = std::atoi(DrcSet.v[K_CSN]), cfn = std::atoi(DrcSet.v[K_CFN]);
  if (cfn < csn || cfn < 1) {
    char t[200];
    std::snprintf(t, sizeof t, "Check Finish %d is before Check Start %d ... Can't Continue", cfn, csn);
    return Refuse(rules, t);
  }
  while (DrcChk.counter < csn - 1) {
    if (DrcCheckRead(&src) == -1 && !DrcChk.anything) {
      char t[200];
      std::snprintf(t, sizeof t, "Check Start %d is beyond the last Check of the DRC File ... Can't Continue", csn);
      return Refuse(rules, t);
    }
  }
  if (csn != DrcChk.counter + 1) DrcRestartClear();

  int checksRun = 0;
  while (DrcChk.counter < cfn) {
    DrcChk.GUARDBAND = 0;
    int r = DrcCheckRead(&src);
    if (r == -1 && !DrcChk.anything) {
      if (checksRun == 0) {
        char t[200];
        std::snprintf(t, sizeof t, "Check %d is not in the DRC File ... Can't Continue", DrcChk.counter);
        return Refuse(rules, t);
      }
      char t[200];
      std::snprintf(t, sizeof t, "\nCheck Finish %d is beyond the last Check %d\n", cfn, DrcChk.counter - 1);
      DrcLogPut(t);
      break;
    }
    char t[1200];
    if (!DrcChk.title[0]) {
      std::snprintf(t, sizeof t, "Check %d has no Title ... Can't Continue", DrcChk.counter);
      return Refuse(rules, t);
    }
    if (DrcChk.fault[0]) {
      std::snprintf(t, sizeof t, "Check %d: %s ... Can't Continue", DrcChk.counter, DrcChk.fault);
      return Refuse(rules, t);
    }
    for (int i = 0; i < DrcChk.nops; ++i) {
      DrcOpParsed op;
      if (DrcOperatorParse(DrcChk.op[i], &op) != 0) {
        std::snprintf(t, sizeof t, "Syntax Error: \"%s\"", DrcChk.op[i]);
        return Refuse(rules, t);
      }
    }
    ++checksRun;
    if (DrcChk.locationGiven) {
      std::snprintf(DrcSet.v[K_CKL], sizeof DrcSet.v[K_CKL], "%s", DrcChk.ckl);
      std::snprintf(DrcSet.v[K_CKB], sizeof DrcSet.v[K_CKB], "%s", DrcChk.ckb);
    }
    DrcX.mapsCheck = 0;
    int m = std::atoi(DrcSet.v[K_MSZ]);
    int k = m >= 2 ? 1 << (m - 1) : 1;
    st.mapDoubled = 0;
    DrcGeomInput in;
    for (;;) {
      if (k > 8) {
        std::snprintf(t, sizeof t,
                      "Check %d  %s\nDistance= %.*g%s  Resolution= %.*g%s  Map= %dx%d\n\nMap size will be too large "
                      "for this Distance and Resolution\n\nTry a Lower Resolution.",
                      DrcChk.counter, DrcChk.title, 6, DrcX.geo.distance, DrcG.physunit, 6, DrcX.geo.resolution,
                      DrcG.physunit, DrcM.mapw, DrcM.maph);
        return Refuse(rules, t);
      }
      MapFree();
      LayerMapFree();
      DrcMapSize(k);
      in.scale = DrcG.scale;
      in.winLeft = DrcNum(K_WL);
      in.winBottom = DrcNum(K_WB);
      in.winRight = DrcNum(K_WR);
      in.winTop = DrcNum(K_WT);
      in.rescale = DrcNum(K_RSCL);
      in.res = DrcSet.v[K_RES];
      in.dis = DrcSet.v[K_DIS];
      in.arp = DrcNum(K_ARP);
      in.ckl = DrcSet.v[K_CKL];
      in.ckb = DrcSet.v[K_CKB];
      in.DISTANCE = DrcChk.DISTANCE;
      in.RESOLUTION = DrcChk.RESOLUTION;
      in.GUARDBAND = DrcChk.GUARDBAND;
      in.resolutionGiven = DrcChk.resolutionGiven;
      in.mapw = DrcM.mapw;
      in.maph = DrcM.maph;
      DrcPixelGeometry(in, &DrcX.geo);
      if (DrcX.geo.stepX >= 2 * DrcX.geo.guard && DrcX.geo.stepY >= 2 * DrcX.geo.guard) break;
      k *= 2;
      st.mapDoubled = 1;
    }
    st.k = k;
    if (DrcX.geo.totalAreas >= DRC_AREA_CAP) {
      std::snprintf(t, sizeof t, "Check %d  %s\nThe Checking Window needs %d Areas or more ... Can't Continue",
                    DrcChk.counter, DrcChk.title, (int)DRC_AREA_CAP);
      return Refuse(rules, t);
    }
    if (!MapAlloc()) {
      DrcG.stopCode = DRC_STOP_MEMORY;
      std::fclose(rules);
      ReleaseAll();
      return 0;
    }
    LogCheckHeader();
    if (DrcX.geo.restartIgnored) {
      std::snprintf(t, sizeof t, "Restart Point %s, %s lies outside the Checking Window ... Ignored\n",
                    DrcSet.v[K_CKL], DrcSet.v[K_CKB]);
      DrcLogPut(t);
    }
    // Map files of this check continue after those already on disk.
    DrcX.checkNo = DrcChk.counter;
    DrcX.pcxSeq = PcxHighestSeq(st.folder, DrcX.cell, DrcX.checkNo);
    std::snprintf(DrcX.folder, sizeof DrcX.folder, "%s", st.folder);
    st.areasDone = 0;
    int64_t left = DrcX.geo.areaL, bottom = DrcX.geo.areaB;
    int64_t areaNo = 0;
    while (DrcX.geo.winT >= bottom) {
      while (DrcX.geo.winR >= left) {
        const DrcGeom& g = DrcX.geo;
        DrcX.areaL = left;
        DrcX.areaB = bottom;
        DrcX.areaR = left + 2 * g.guard + g.stepX;
        DrcX.areaT = bottom + 2 * g.guard + g.stepY;
        HostProgress((long)(g.totalAreas - DrcAreaCount(g, bottom, left)), (long)g.totalAreas);
        DrcX.areaResults = 0;
        std::strcpy(DrcX.mapFile, "No File");
        MapClear(DrcM.R);
        MapSlotsInvalidate();
        st.areaVisits++;
        bool interrupted = false;
        for (int i = 0; i < DrcChk.nops; ++i) {
          int u = DrcOperator(i);
          if (DrcG.stopCode) return Interrupt(rules, left, bottom);
          if (u == -1) {
            std::snprintf(t, sizeof t, "Syntax Error: \"%s\"", DrcChk.op[i]);
            DrcErrorShow(t);
          } else if (u == -2) {
            DrcErrorShow(DrcX.ruleError);
          }
          if (DrcG.abortFlag) {
            interrupted = true;
            break;
          }
          if (u == 0) break;
        }
        // An area whose list did not finish is checked again on restart, so
        // it is not logged now.
        if (DrcX.areaResults && !interrupted) {
          std::snprintf(t, sizeof t, "Area: L= %.*g B= %.*g R= %.*g T= %.*g   Map File: %s\n", 5,
                        (double)DrcX.areaL / DrcG.scale, 5, (double)DrcX.areaB / DrcG.scale, 5,
                        (double)DrcX.areaR / DrcG.scale, 5, (double)DrcX.areaT / DrcG.scale, DrcX.mapFile);
          DrcLogPut(t);
        }
        if (st.log) std::fflush(st.log);
        if (DrcMapperImg.created) MapperFree();
        if (st.areaDone) st.areaDone();
        DrcPausePoll(st.pauseMs);
        if (interrupted) return Interrupt(rules, left, bottom);
        if (DrcFlag(K_ENH) && DrcX.pcxFiles >= DrcSet.fileLimit && DrcX.pcxFiles > st.lastLimitAsk) {
          st.lastLimitAsk = DrcX.pcxFiles;
          if (HostMsgBox("PCX Map Files exceed Limit ... Continue?", nullptr, HOST_CAP_WARNING, HOST_YESNO) !=
              HOST_IDYES)
            DrcG.abortFlag = 1;
        }
        st.areasDone++;
        left += DrcX.geo.stepX;
        if (areaNo++ % 5 == 0) HostPause(10);
        if (DrcG.abortFlag) return Interrupt(rules, left, bottom);
      }
      left = DrcX.geo.winL - DrcX.geo.guard;
      bottom += DrcX.geo.stepY;
      if (DrcG.abortFlag) return Interrupt(rules, left, bottom);
      HostPause(10);
    }
    DrcRestartClear();
    DrcOverrideClear();
    ReleaseAll();
  }
  std::fclose(rules);
  ReleaseAll();
  DrcRestartClear();
  DrcOverrideClear();
  DrcX.pcxSeq = 0;
  return Stopped() ? 0 : 1;
}

int DrcGo() {
  int r = DrcRun();
  char text[300];
  if (!r) {
    if (DrcG.stopCode == DRC_STOP_MEMORY) DrcErrorShow("Not Enough Memory for Maps");
    else if (DrcG.stopCode == DRC_STOP_BP_READ) DrcErrorShow("TLC File BP Records Failed");
    else if (DrcG.stopCode == DRC_STOP_C_READ) DrcErrorShow("TLC File C Records Failed");
    std::snprintf(text, sizeof text, "Aborted ... DRC may be Incomplete");
  } else {
    int secs = (int)(Now() - DrcRunS.startSeconds);
    std::snprintf(text, sizeof text, "DRC Completed ...  %d Total Maps\n\nTotal Run Time:  %dhr %dmin %dsec",
                  DrcX.mapsRun, secs / 3600, secs / 60 % 60, secs % 60);
  }
  Final(text);
  if (DrcRunS.log) {
    std::fclose(DrcRunS.log);
    DrcRunS.log = nullptr;
  }
  ReleaseAll();
  return r;
}
