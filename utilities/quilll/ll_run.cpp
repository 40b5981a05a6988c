// Settings of the layer-logic tool and its run: the areas of the boundary in
// turn, both layers rasterised and combined, the result written as boxes or
// polygons through a scratch file that replaces the result cell only when
// the run went through.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "host.h"
#include "ll.h"
#include "namecheck.h"
#include "q7tlcrw.h"
#include "satlib.h"
#include "satsetup.h"
#include "satutil.h"

const char* const LlKeys[LL_SLOTS + 1] = {
    "cln=", "tlc=",  "layra=", "layrb=", "layrc=", "res=", "siz=", "pres=", "bl=",  "bb=",  "br=", "bt=",  "shw=",
    "wr2=", "log=",  "nota=",  "notb=",  "notc=",  "poly=", "vxr=", "lbt=", "old=", "lft=", "top=", "rgt=", "bot=",
    nullptr};
const char* const LlDefaults[LL_SLOTS] = {"",  "",  "1", "2", "3", "1.", "0.", "1.", "0", "0", "100.", "100.", "0",
                                          "Quilll.log", "0", "N", "N", "N", "N", "N", "N", "N", "0", "0", "0", "0"};

namespace {

char* Slot(int i) { return UsfSlot(i); }

void SetSlot(int i, const char* text) { std::snprintf(Slot(i), SAT_SLOT_SIZE, "%s", text); }

void SetNum(int i, double v) {
  char t[64];
  std::snprintf(t, sizeof t, "%.*g", 9, v);
  SetSlot(i, t);
}

double RoundAway(double v) { return v >= 0 ? std::floor(v + 0.5) : -std::floor(-v + 0.5); }

// Splits a tidied path into its folder part (drive and folders) and its name
// part without the extension.
void SplitPath(const char* path, char* folder, size_t fsize, char* name, size_t nsize) {
  const char* slash = std::strrchr(path, '\\');
  const char* colon = std::strchr(path, ':');
  const char* base = slash ? slash + 1 : (colon ? colon + 1 : path);
  std::snprintf(folder, fsize, "%.*s", (int)(base - path), path);
  const char* dot = std::strrchr(base, '.');
  size_t n = dot ? (size_t)(dot - base) : std::strlen(base);
  std::snprintf(name, nsize, "%.*s", (int)n, base);
}

const char* Unit() { return SatSetup.physunit; }

// The log's name may not stand for a file of the drawing.
bool LogNameAllowed(const char* log, const char* result) {
  char f1[SAT_PATH_SIZE], n1[SAT_PATH_SIZE], fixed[SAT_PATH_SIZE];
  std::snprintf(fixed, sizeof fixed, "%s", PathFix(log));
  SplitPath(fixed, f1, sizeof f1, n1, sizeof n1);
  const char* dot = std::strrchr(fixed, '.');
  const char* slash = std::strrchr(fixed, '\\');
  if (dot && (!slash || dot > slash)) {
    const char* bad[] = {".tlc", ".crf", ".dbd", ".usf"};
    for (const char* b : bad)
      if (SatStricmp(dot, b) == 0) return false;
  }
  char r[SAT_PATH_SIZE];
  std::snprintf(r, sizeof r, "%s", PathFix(result));
  if (r[0] && SatStricmp(r, fixed) == 0) return false;
  return true;
}

void HeaderFill(LlState& st, const char* name, const char* date, const char* timeText) {
  std::memset(&TLCh, 0, sizeof TLCh);
  std::snprintf(TLCh.name, sizeof TLCh.name, "%s", name);
  for (char* p = TLCh.name; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
  TLCh.scale = st.scale;
  std::snprintf(TLCh.unit, sizeof TLCh.unit, "%s", Unit());
  std::snprintf(TLCh.date, sizeof TLCh.date, "%s", date);
  std::snprintf(TLCh.time, sizeof TLCh.time, "%s", timeText);
  TLCh.rank = 1;
  TLCh.r = (int32_t)st.scale;
}

void AreaLine(const LlState& st) {
  char t[300];
  double s = st.scale;
  std::snprintf(t, sizeof t, "Area: L=%.*g%s B=%.*g%s R=%.*g%s T=%.*g%s", 9, st.L / s, Unit(), 9, st.B / s, Unit(),
                9, st.R / s, Unit(), 9, st.T / s, Unit());
  StatusShow(514, t);
}

void DoneLine(int64_t done, int64_t count) {
  char t[100];
  std::snprintf(t, sizeof t, "%lld of %lld Areas Done", (long long)done, (long long)count);
  StatusShow(510, t);
}

void LogHeaderLl(const LlState& st, const char* date, const char* timeText) {
  char t[SAT_TEXT_SIZE];
  std::snprintf(t, sizeof t, "*** QUIL Layer Logic Conversion Log  %s  %s  %s\n", QUIL_VERSION, date, timeText);
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Cell: %s", Slot(LL_CLN));
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Result Cell File: %s", Slot(LL_TLC));
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Output Layer %d", st.set.layC);
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Map Resolution= %.*g%s", 9, st.set.res, Unit());
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Poly Resolution= %.*g%s", 9, st.set.pres, Unit());
  LogList(t, 2);
  std::snprintf(t, sizeof t, "Minimum Size= %.*g%s\n", 9, (double)st.set.minSize / st.scale, Unit());
  LogList(t, 2);
}

// Sides on an edge shared with a further area of the boundary are cut there,
// not drawn so: they are not measured.
void MinSizeCheck(const LlState& st, const LlBox& b) {
  if (st.set.minSize <= 0) return;
  bool cutX = (b.l == st.L && st.L > st.L0) || (b.r == st.R && st.R < st.RL);
  bool cutY = (b.b == st.B && st.B > st.B0) || (b.t == st.T && st.T < st.TL);
  int64_t w = std::llabs((int64_t)b.r - b.l), h = std::llabs((int64_t)b.t - b.b);
  bool small = (!cutX && w < st.set.minSize) || (!cutY && h < st.set.minSize);
  if (!small) return;
  char t[200];
  std::snprintf(t, sizeof t, "Box Under Minimum Size at X= %.*g Y= %.*g", 9, b.l / st.scale, 9, b.b / st.scale);
  LogList(t, 3);
}

// Both layers of the current area combined into the result map; 0 on a stop.
int AreaCombine(LlState& st) {
  st.layer = st.set.layA;
  LlScanLayer(st);
  if (st.errorCode || st.abortFlag) return 0;
  LlMapTrimTops(st.scan);
  if (st.set.nota) LlMapNot(st.scan);
  LlMapClip(st, st.scan);
  LlMapCopy(st.mapA, st.scan);
  if (st.set.lbt) {
    LlMapFill(st.scan);
  } else {
    st.layer = st.set.layB;
    LlScanLayer(st);
    if (st.errorCode || st.abortFlag) return 0;
  }
  LlMapTrimTops(st.scan);
  if (st.set.notb) LlMapNot(st.scan);
  LlMapClip(st, st.scan);
  if (st.set.op == 1)
    LlMapOr(st.mapA, st.scan);
  else if (st.set.op == 2)
    LlMapXor(st.mapA, st.scan);
  else
    LlMapAnd(st.mapA, st.scan);
  if (st.set.notc) {
    LlMapNot(st.mapA);
    LlMapClip(st, st.mapA);
  }
  LlMapCopy(st.result, st.mapA);
  return 1;
}

int RunAreas(LlState& st) {
  int64_t count = LlAreaCount(st, 0, 0);
  int64_t cols = 0;
  while (st.L0 + cols * st.S < st.RL) ++cols;
  int64_t done = 0;
  for (int64_t j = 0; st.B0 + j * st.S < st.TL; ++j)
    for (int64_t i = 0; i < cols; ++i) {
      LlAreaSet(st, i, j);
      st.areaBoxes = st.areaPolys = st.areaVerts = 0;
      DoneLine(done, count);
      AreaLine(st);
      if (!AreaCombine(st)) return 0;
      if (st.set.mapMs > 0 && st.ops.mapShow) {
        st.ops.mapShow(st, st.set.mapMs);
        AbortPoll(st.set.mapMs);
      }
      LlMapToBoxes(st);
      LlBoxMerge(st);
      if (st.set.poly && !st.abortFlag) LlPolyBuild(st);
      if (st.set.mapMs > 0 && st.ops.mapClose) {
        st.ops.mapClose(st);
        AbortPoll(200);
      }
      for (const LlBox& b : st.boxes) {
        if (b.layer != st.set.layC) continue;
        TLCb = {b.layer, b.l, b.b, b.r, b.t};
        if (TlcWriter.file) WriteB();
        if (st.boxOut) st.boxOut->push_back(b);
        st.totBoxes++;
        MinSizeCheck(st, b);
      }
      st.boxes.clear();
      st.boxes.shrink_to_fit();
      ++done;
      char t[120];
      DoneLine(done, count);
      std::snprintf(t, sizeof t, "Area Box Count: %lld  Total: %lld", (long long)st.areaBoxes,
                    (long long)st.totBoxes);
      StatusShow(511, t);
      std::snprintf(t, sizeof t, "Area Poly Count: %lld  Total: %lld", (long long)st.areaPolys,
                    (long long)st.totPolys);
      StatusShow(512, t);
      std::snprintf(t, sizeof t, "Area Vertex Count: %lld  Total: %lld", (long long)st.areaVerts,
                    (long long)st.totVerts);
      StatusShow(513, t);
      AreaLine(st);
      AbortPoll(10);
      if (st.abortFlag) return 0;
    }
  return 1;
}

}  // namespace

void LlSetupApply(LlState& st, int check) {
  // 1. The cell.
  for (char* p = Slot(LL_CLN); *p; ++p) *p = (char)std::toupper((unsigned char)*p);
  if (check) {
    CellNameCheck(Slot(LL_CLN), 0);
    if (Slot(LL_CLN)[0]) CellExists(Slot(LL_CLN), 0);
  }
  // 2. The result file always ends in .tlc.
  if (Slot(LL_TLC)[0]) {
    char fixed[SAT_PATH_SIZE], folder[SAT_PATH_SIZE], name[SAT_PATH_SIZE];
    std::snprintf(fixed, sizeof fixed, "%s", PathFix(Slot(LL_TLC)));
    SplitPath(fixed, folder, sizeof folder, name, sizeof name);
    if (name[0]) {
      char out[SAT_PATH_SIZE * 2 + 8];
      std::snprintf(out, sizeof out, "%s%s.tlc", folder, name);
      SetSlot(LL_TLC, out);
    }
    if (check) FileNameCheck(name);
  }
  // 3. Layers.
  const char* defs[3] = {"1", "2", "3"};
  for (int k = 0; k < 3; ++k)
    if (!Slot(LL_LAYRA + k)[0]) SetSlot(LL_LAYRA + k, defs[k]);
  long a = std::atol(Slot(LL_LAYRA)), b = std::atol(Slot(LL_LAYRB)), c = std::atol(Slot(LL_LAYRC));
  a = a > 256 ? 256 : (a <= 0 ? 1 : a);
  c = c > 256 ? 256 : (c <= 0 ? 1 : c);
  b = b > 256 ? 256 : (b < 0 ? 0 : b);
  st.set.layA = (int)a;
  st.set.layB = (int)b;
  st.set.layC = (int)c;
  char t[64];
  for (int k = 0; k < 3; ++k) {
    std::snprintf(t, sizeof t, "%ld", k == 0 ? a : (k == 1 ? b : c));
    SetSlot(LL_LAYRA + k, t);
  }
  // 4. The operation: a code the dialog cannot give becomes AND.
  long op = std::atol(Slot(LL_LOG));
  if (op < 0 || op > 2) op = 0;
  st.set.op = (int)op;
  std::snprintf(t, sizeof t, "%ld", op);
  SetSlot(LL_LOG, t);
  // 5. Flags.
  st.set.poly = UsfFlag(LL_POLY);
  st.set.vxr = UsfFlag(LL_VXR);
  st.set.nota = UsfFlag(LL_NOTA);
  st.set.notb = UsfFlag(LL_NOTB);
  st.set.notc = UsfFlag(LL_NOTC);
  st.set.lbt = UsfFlag(LL_LBT);
  st.set.old = UsfFlag(LL_OLD);
  WriteOldTlc = st.set.old;
  // 6. Map Time.
  long shw = Slot(LL_SHW)[0] ? std::atol(Slot(LL_SHW)) : 0;
  if (shw < 0) shw = 0;
  if (shw > 86400) shw = 86400;
  st.set.mapMs = (int)(shw * 1000);
  std::snprintf(t, sizeof t, "%ld", shw);
  SetSlot(LL_SHW, t);
  // 7. Log.
  if (!Slot(LL_WR2)[0]) SetSlot(LL_WR2, "Quilll.log");
  // 8. Resolutions and minimum size in whole database units.
  double scale = st.scale = SatSetup.scale > 0 ? SatSetup.scale : 1000.0;
  double one = 1.0 / scale;
  double res = Slot(LL_RES)[0] ? std::fabs(std::atof(Slot(LL_RES))) : st.set.fallback;
  double units = RoundAway(res * scale);
  // Beyond 2^31 units a map cell spans more than the drawing.
  if (!(units <= 2147483648.0)) units = 2147483648.0;
  if (units < 1) units = 1;
  st.set.res = units / scale;
  st.set.m = (int64_t)units;
  double pres = Slot(LL_PRES)[0] ? std::fabs(std::atof(Slot(LL_PRES))) : st.set.fallback;
  double punits = RoundAway(pres * scale);
  if (!(punits <= 2147483648.0)) punits = 2147483648.0;
  pres = punits / scale;
  if (pres < one) pres = one;
  double f = std::floor(pres / st.set.res);
  st.set.polyFactor = f < 1 ? 1 : (f > 100 ? 100 : (int)f);
  st.set.pres = st.set.polyFactor * st.set.res;
  double siz = Slot(LL_SIZ)[0] ? std::fabs(std::atof(Slot(LL_SIZ))) : 0;
  double sunits = std::fabs(RoundAway(siz * scale));
  if (!(sunits <= 2147483648.0)) sunits = 2147483648.0;
  st.set.minSize = (int64_t)sunits;
  SetNum(LL_RES, st.set.res);
  SetNum(LL_PRES, st.set.pres);
  SetNum(LL_SIZ, (double)st.set.minSize / scale);
  // 9. Boundary.
  if (st.set.fitPending) {
    st.set.bl = st.set.fitL;
    st.set.bb = st.set.fitB;
    st.set.br = st.set.fitR;
    st.set.bt = st.set.fitT;
    st.set.fitPending = 0;
  } else {
    st.set.bl = std::atof(Slot(LL_BL));
    st.set.bb = std::atof(Slot(LL_BB));
    st.set.br = std::atof(Slot(LL_BR));
    st.set.bt = std::atof(Slot(LL_BT));
  }
  if (st.set.br <= st.set.bl + one) st.set.br = st.set.bl + 100 * one;
  if (st.set.bt <= st.set.bb + one) st.set.bt = st.set.bb + 100 * one;
  SetNum(LL_BL, st.set.bl);
  SetNum(LL_BB, st.set.bb);
  SetNum(LL_BR, st.set.br);
  SetNum(LL_BT, st.set.bt);
  // 10. Lengths carry the unit.
  const int withUnit[7] = {LL_RES, LL_PRES, LL_SIZ, LL_BL, LL_BB, LL_BR, LL_BT};
  for (int k : withUnit)
    if (Slot(k)[0]) {
      char u[SAT_SLOT_SIZE + 40];
      std::snprintf(u, sizeof u, "%.*g%s", 9, std::atof(Slot(k)), Unit());
      SetSlot(k, u);
    }
  // 11. The window stays on the screen.
  SatRectFit(LL_LFT, LL_TOP, LL_RGT, LL_BOT);
}

int LlFit(LlState& st, const char* cell) {
  int i = GetCinfo(cell);
  if (!i) return 0;
  const CellInfo& c = Cells.cell[i];
  double s = SatSetup.scale > 0 ? SatSetup.scale : 1000.0;
  st.set.fitL = c.l / s;
  st.set.fitB = c.b / s;
  st.set.fitR = c.r / s;
  st.set.fitT = c.t / s;
  st.set.fitPending = 1;
  return 1;
}

void LlSetupKeep(LlState& st) {
  const int slots[5] = {LL_CLN, LL_BL, LL_BB, LL_BR, LL_BT};
  for (int k = 0; k < 5; ++k) std::snprintf(st.kept[k], sizeof st.kept[k], "%s", Slot(slots[k]));
}

void LlSetupCancel(LlState& st) {
  const int slots[5] = {LL_CLN, LL_BL, LL_BB, LL_BR, LL_BT};
  for (int k = 0; k < 5; ++k) SetSlot(slots[k], st.kept[k]);
  st.set.fitPending = 0;
  LlSetupApply(st, 0);
}

int LlCellListRead() { return SatCrfReadAs("QUIL7.CRF File Error ... Keeping Valid Cells"); }

int LlRunSource(LlState& st, const CwCellSource* src, int mainCell) {
  st.inPath = 0;
  st.ignorePaths = st.ignoreAll = 0;
  st.errorCode = 0;
  st.abortFlag = 0;
  st.totBoxes = st.totPolys = st.totVerts = 0;
  st.completed = 0;
  st.src = src;
  st.mainCell = mainCell;
  CwForget(st.walk);
  if (!LlGridSet(st)) {
    ErrorShow("Boundary Outside the Drawing's Range ... Can't Continue");
    return 0;
  }
  if (!LlMapsAlloc(st)) {
    st.errorCode = LL_ERR_MEMORY;
    return 0;
  }
  if (!RunAreas(st)) return 0;
  st.completed = 1;
  return 1;
}

int LlRun(LlState& st) {
  time_t start = std::time(nullptr);
  (void)start;
  char date[9], timeText[9];
  SatDateTime(date, timeText);
  st.errorCode = 0;
  st.completed = 0;
  // Names from the settings file have not been through the dialog's checks.
  const char* cell = Slot(LL_CLN);
  if (!cell[0] || CellNameCheck(cell, 0) || !CellExists(cell, 0)) {
    st.abortFlag = 1;
    return 0;
  }
  char fixed[SAT_PATH_SIZE], folder[SAT_PATH_SIZE], name[SAT_PATH_SIZE];
  std::snprintf(fixed, sizeof fixed, "%s", PathFix(Slot(LL_TLC)));
  SplitPath(fixed, folder, sizeof folder, name, sizeof name);
  if (!name[0] || FileNameCheck(name)) {
    ErrorShow("Unable to Open Output TLC File ... Can't Continue");
    return 0;
  }
  if (SatStricmp(name, cell) == 0) {
    HostMsgBox("Writing to the Original Cell File ... Not Allowed", nullptr, HOST_CAP_ERROR, HOST_OK);
    return 0;
  }
  if (GetCinfo(name) && HostMsgBox("Result Cell Exists ... Overwrite?", nullptr, HOST_CAP_ERROR, HOST_YESNO) !=
                            HOST_IDYES)
    return 0;
  if (!LogNameAllowed(Slot(LL_WR2), fixed)) {
    ErrorShow("Log File Name Stands for a Drawing File ... Not Allowed");
    return 0;
  }
  TlcWriter.hold = 1;
  if (!TlcOutputSet(folder) || !SatTlcCreate(name)) {
    ErrorShow("Unable to Open Output TLC File ... Can't Continue");
    return 0;
  }
  if (!LogOpen(PathFix(Slot(LL_WR2)))) {
    ErrorShow("Unable to Write Log File ... Can't Continue");
    return 0;
  }
  int main = GetCinfo(cell);
  HeaderFill(st, name, date, timeText);
  char cap[SAT_PATH_SIZE + 16];
  std::snprintf(cap, sizeof cap, "Creating %s", fixed);
  if (st.ops.caption) st.ops.caption(cap);
  LogHeaderLl(st, date, timeText);
  LlStoreForget();
  int ok = LlRunSource(st, LlStoreSource(st), main);
  LlStoreForget();
  if (!ok) return 0;
  TLCh.nb = (int32_t)st.totBoxes;
  TLCh.np = (int32_t)st.totPolys;
  TLCh.nv = (int32_t)st.totVerts;
  TLCh.nc = 0;
  WriteH();
  if (!TlcWriteClose() || !TlcSettle(name, 1)) {
    ErrorShow("Unable to Write Output TLC File ... Can't Continue");
    st.completed = 0;
    return 0;
  }
  return 1;
}

void LlResultText(const LlState& st, int ok, long seconds, char* out, size_t size) {
  if (!ok) {
    std::snprintf(out, size, "Aborted ... TLC File may be Incomplete");
    return;
  }
  (void)st;
  std::snprintf(out, size,
                "Completed ... %lld Boxes  %lld Poly  %lld Vertices\n\nTotal Time:  %ldhr %ldmin %ldsec,\n\nUse "
                "Import to Register Cell in Drawing",
                (long long)st.totBoxes, (long long)st.totPolys, (long long)st.totVerts, seconds / 3600,
                (seconds % 3600) / 60, seconds % 60);
}
