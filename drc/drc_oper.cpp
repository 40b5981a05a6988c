#include "drc_oper.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "drc_map.h"
#include "drc_pcx.h"
#include "drc_raster.h"
#include "drc_rules.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "host.h"


const DrcOpName DrcOpNames[] = {
    {"MAP", OP_MAP},       {"MAPR", OP_MAPR},     {"SAVR", OP_MAPR},     {"MAPS", OP_MAPS},
    {"SAVS", OP_MAPS},     {"RETR", OP_RETR},     {"RETS", OP_RETS},     {"PUSH", OP_PUSH},
    {"PUSHR", OP_PUSHR},   {"POPR", OP_POPR},     {"POPS", OP_POPR},     {"SWPRS", OP_SWPRS},
    {"SWAPRS", OP_SWPRS},  {"JRC", OP_JRC},       {"JR0", OP_JRC},       {"JRS", OP_JRS},
    {"JR1", OP_JRS},       {"JRN", OP_JRN},       {"JNR", OP_JRN},       {"TESTR", OP_JRN},
    {"EXPR", OP_EXPR},     {"EXPRS", OP_EXPRS},   {"EXPLRS", OP_EXPLRS}, {"GAGR", OP_GAGR},
    {"GAGRS", OP_GAGRS},   {"NOTR", OP_NOTR},     {"ANDRS", OP_ANDRS},   {"ORRS", OP_ORRS},
    {"XORRS", OP_XORRS},   {"CLR", OP_CLR},       {"CLRR", OP_CLR},      {"STR", OP_STR},
    {"SETR", OP_STR},      {"DSP", OP_DSP},       {"DSPR", OP_DSPR},     {"DSPS", OP_DSPS},
    {"DBLR", OP_DBLR},     {"PAUSE", OP_PAUSE},   {"HCPY", OP_HCPY},     {"SCPY", OP_HCPY},
    {"OVRLAP", OP_OVRLAP}, {"SIZE", OP_SIZE},
};
const int DrcOpNameCount = (int)(sizeof DrcOpNames / sizeof DrcOpNames[0]);

namespace {

enum { MAX_ARGS = 3 };

struct Args {
  char name[104];
  char a[MAX_ARGS][104];
  int n;
};

void Split(const char* line, Args* out) {
  std::memset(out, 0, sizeof *out);
  const char* p = line;
  size_t k = 0;
  while (*p && *p != ',' && k + 1 < sizeof out->name) out->name[k++] = *p++;
  while (*p && *p != ',') ++p;
  while (*p == ',') {
    ++p;
    const char* s = p;
    while (*p && *p != ',') ++p;
    size_t len = (size_t)(p - s);
    if (len == 0) continue;  // empty fields are skipped
    if (out->n < MAX_ARGS) {
      if (len > sizeof out->a[0] - 1) len = sizeof out->a[0] - 1;
      std::memcpy(out->a[out->n], s, len);
      out->a[out->n][len] = 0;
    }
    out->n++;
  }
  if (out->n > MAX_ARGS) out->n = MAX_ARGS;
}

// A whole integer: optional "-" and digits only (a "1.5" is refused).
bool Integer(const char* t, int* v) {
  const char* p = t;
  if (*p == '-') ++p;
  if (!*p) return false;
  for (const char* q = p; *q; ++q)
    if (!std::isdigit((unsigned char)*q)) return false;
  if (std::strlen(p) > 9) return false;
  *v = std::atoi(t);
  return true;
}

bool Same(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::toupper((unsigned char)*a) != std::toupper((unsigned char)*b)) return false;
  return *a == *b;
}

uint32_t ColourArg(const char* t) {
  long v = std::atol(t);
  if (v != 0) return (uint32_t)v & 0xFFFFFFu;
  return DrcColour(t);
}

bool Stopped(DrcState& st) { return st.g.abortFlag || st.g.stopCode; }

int Retrieve(DrcState& st, DrcMap& dst, const char* name) {
  if (MapRetrieve(st, dst, name) == 0) return 1;
  std::snprintf(st.x.ruleError, sizeof st.x.ruleError, "Map \"%s\" was not Saved in this Area", name);
  return -2;
}

// R to S, then the saved map name to R. A failed push changes nothing: the
// map is looked for first.
int PushToR(DrcState& st, const char* name) {
  int tag = MapNameTag(name), found = 0;
  for (const DrcMapSlot& s : st.maps.slot)
    if (s.tag == tag && s.valid) found = 1;
  if (found) MapCopy(st, st.maps.S, st.maps.R);
  return Retrieve(st, st.maps.R, name);
}

void Display(DrcState& st, const DrcMap& m, uint32_t colour, int pitch) {
  MapCopy(st, st.maps.D, m);
  st.x.dispColour = colour;
  st.x.dispPitch = pitch;
  if (!st.mapper.created) {
    int a = (int)(st.x.geo.guard / (st.x.geo.pixUnits > 0 ? st.x.geo.pixUnits : 1) / st.maps.k);
    MapperCreate(st, a);
    DrcPausePoll(st, 10);
  }
  MapperPaint(st, st.maps.D, colour, pitch);
  if (st.x.mapperShown) st.x.mapperShown(st);
  DrcPausePoll(st, 10);
}

void Rasterise(DrcState& st, int layer) {
  st.ras.layer = layer;
  st.ras.areaL = st.x.areaL;
  st.ras.areaB = st.x.areaB;
  st.ras.areaR = st.x.areaR;
  st.ras.areaT = st.x.areaT;
  st.ras.res = st.x.geo.pixUnits > 0 ? st.x.geo.pixUnits : 1;
}

void Status(const char* fmt, const char* s = nullptr, int n = 0) {
  char t[160];
  if (s) std::snprintf(t, sizeof t, fmt, s);
  else std::snprintf(t, sizeof t, fmt, n);
  HostStatus(t);
}

}  // namespace

uint32_t DrcColour(const char* text) {
  switch (text[0]) {
    case 'B': case 'b': return 0xFF0000;
    case 'C': case 'c': return 0xFFFF00;
    case 'G': case 'g': return 0x00FF00;
    case 'M': case 'm': return 0xFF00FF;
    case 'O': case 'o': return 0x00BFBF;
    case 'R': case 'r': return 0x0000FF;
    case 'W': return 0xFFFFFF;
    case 'Y': case 'y': return 0x00FFFF;
    case 'w': case 'x': return 0xBFBFBF;
    default: return 0;
  }
}

void DrcExecReset(DrcState& st) {
  std::memset(&st.x, 0, sizeof st.x);
  std::strcpy(st.x.mapFile, "No File");
}

void DrcPausePoll(DrcState& st, int ms) {
  if (HostAbortPoll()) {
    if (HostAskYesNo("Abort DRC ... OK ?\n\n You can restart where you left off", "Pause ...") == HOST_IDYES)
      st.g.abortFlag = 1;
  }
  HostPause(ms < 0 ? -ms : ms);
}

int DrcOperatorParse(const char* line, DrcOpParsed* op) {
  std::memset(op, 0, sizeof *op);
  Args g;
  Split(line, &g);
  size_t len = std::strlen(g.name);
  if (len <= 2) return -1;
  int code = -1;
  for (int i = 0; i < DrcOpNameCount && code < 0; ++i)
    if (Same(g.name, DrcOpNames[i].name)) code = DrcOpNames[i].code;
  if (code < 0) return -1;
  op->code = code;
  switch (code) {
    case OP_MAP:
      if (g.n < 1 || !Integer(g.a[0], &op->n)) return -1;
      if (op->n < -1 || op->n > 256) return -1;
      std::snprintf(op->name, sizeof op->name, "%s", g.a[0]);
      break;
    case OP_OVRLAP:
    case OP_SIZE:
      if (g.n < 1 || !Integer(g.a[0], &op->n) || op->n < 1 || op->n > 256) return -1;
      break;
    case OP_PUSH:
      if (g.n < 1) return -1;
      std::snprintf(op->name, sizeof op->name, "%s", g.a[0]);
      break;
    case OP_EXPR:
    case OP_EXPLRS:
    case OP_EXPRS:
    case OP_GAGR:
    case OP_GAGRS:
      op->n = (code == OP_EXPR || code == OP_EXPLRS) ? -1 : 1;
      if (g.n >= 1 && !Integer(g.a[0], &op->n)) return -1;
      break;
    case OP_DSP:
      if (g.n < 3 || !Integer(g.a[2], &op->n)) return -1;
      std::snprintf(op->name, sizeof op->name, "%s", g.a[0]);
      op->colour = ColourArg(g.a[1]);
      break;
    case OP_DSPR:
    case OP_DSPS:
      if (g.n < 2 || !Integer(g.a[1], &op->n)) return -1;
      op->colour = ColourArg(g.a[0]);
      break;
    default:
      break;
  }
  return 0;
}

namespace {

// ---- the operators: each works on the maps of the current area and
// returns 1 go on, 0 end this area's list, -2 rule error ----

int OpMap(DrcState& st, const DrcOpParsed& op, int) {
  if (op.n == 0) MapSlotStore(st, st.maps.R, "R");
  else if (op.n == -1) MapSlotStore(st, st.maps.S, "S");
  else {
    MapCopy(st, st.maps.KR, st.maps.R);
    MapCopy(st, st.maps.KS, st.maps.S);
    Rasterise(st, op.n);
    MapMainCell(st);
    MapEdgeClear(st, st.maps.W);
    if (!Stopped(st)) MapSlotStore(st, st.maps.W, op.name);
    MapCopy(st, st.maps.R, st.maps.KR);
    MapCopy(st, st.maps.S, st.maps.KS);
  }
  return 1;
}

// which: 0 the R map, 1 the S map.
int OpSave(DrcState& st, const DrcOpParsed&, int which) {
  MapSlotStore(st, which ? st.maps.S : st.maps.R, which ? "S" : "R");
  return 1;
}

int OpReturn(DrcState& st, const DrcOpParsed&, int which) {
  return Retrieve(st, which ? st.maps.S : st.maps.R, which ? "S" : "R");
}

int OpPush(DrcState& st, const DrcOpParsed& op, int) { return PushToR(st, op.name); }

int OpPushR(DrcState& st, const DrcOpParsed&, int) {
  return PushToR(st, "R");  // the saved R map: tag 2
}

int OpPop(DrcState& st, const DrcOpParsed&, int) {
  MapCopy(st, st.maps.R, st.maps.S);
  return 1;
}

int OpSwap(DrcState& st, const DrcOpParsed&, int) {
  MapSwap(st.maps.R, st.maps.S);
  MapEdgeClear(st, st.maps.R);
  MapEdgeClear(st, st.maps.S);
  return 1;
}

int OpGoOnIfAnySet(DrcState& st, const DrcOpParsed&, int) { return MapAnySet(st, st.maps.R) ? 1 : 0; }

int OpGoOnIfAnyClear(DrcState& st, const DrcOpParsed&, int) { return MapAnyClear(st, st.maps.R) ? 1 : 0; }

int OpResults(DrcState& st, const DrcOpParsed&, int) {
  int m = (int)std::trunc((double)st.x.geo.guard / (st.x.geo.pixUnits > 0 ? st.x.geo.pixUnits : 1));
  if (!MapGuardClip(st, st.maps.R, m)) return 0;
  st.x.mapsRun++;
  st.x.mapsCheck++;
  HostStatus("Reporting ...");
  st.x.areaResults = 1;
  return 1;
}

int OpExpand(DrcState& st, const DrcOpParsed& op, int mode) {
  DrcExpand(st, mode, op.n, st.x.geo.N);
  return 1;
}

int OpGauge(DrcState& st, const DrcOpParsed& op, int mode) {
  DrcGauge(st, mode, op.n, st.x.geo.N);
  return 1;
}

int OpNot(DrcState& st, const DrcOpParsed&, int) {
  MapNot(st, st.maps.R);
  MapEdgeClear(st, st.maps.R);
  return 1;
}

// R = R op S; mode 0 AND, 1 OR, 2 XOR.
int OpCombine(DrcState& st, const DrcOpParsed&, int mode) {
  if (mode == 0) MapAnd(st, st.maps.R, st.maps.S);
  else if (mode == 1) MapOr(st, st.maps.R, st.maps.S);
  else MapXor(st, st.maps.R, st.maps.S);
  MapEdgeClear(st, st.maps.R);
  return 1;
}

int OpClear(DrcState& st, const DrcOpParsed&, int) {
  MapClear(st, st.maps.R);
  return 1;
}

int OpSet(DrcState& st, const DrcOpParsed&, int) {
  MapClear(st, st.maps.R);
  MapNot(st, st.maps.R);
  MapEdgeClear(st, st.maps.R);
  return 1;
}

int OpDisplaySaved(DrcState& st, const DrcOpParsed& op, int) {
  int r = Retrieve(st, st.maps.W, op.name);
  if (r != 1) return r;
  Display(st, st.maps.W, op.colour, op.n);
  return 1;
}

int OpDisplay(DrcState& st, const DrcOpParsed& op, int which) {
  Display(st, which ? st.maps.S : st.maps.R, op.colour, op.n);
  return 1;
}

int OpNothing(DrcState&, const DrcOpParsed&, int) { return 1; }

int OpPause(DrcState& st, const DrcOpParsed&, int) {
  if (DrcFlag(st, K_ENP)) DrcPausePoll(st, st.set.pauseSeconds * 1000);
  return 1;
}

int OpCopy(DrcState& st, const DrcOpParsed&, int) {
  if (!DrcFlag(st, K_ENH)) return 1;
  if (st.x.noMapFiles) {
    // Asked once: the area is logged with "No File".
    st.x.mapsUnwritten++;
    return 1;
  }
  st.x.pcxSeq++;
  std::snprintf(st.x.mapFile, sizeof st.x.mapFile, "%s_%d_%d.pcx", st.x.cell, st.x.checkNo, st.x.pcxSeq);
  Status("Copying Map to %s ...", st.x.mapFile);
  if (!st.mapper.created) {
    int a = (int)(st.x.geo.guard / (st.x.geo.pixUnits > 0 ? st.x.geo.pixUnits : 1) / st.maps.k);
    MapperCreate(st, a);
  }
  char path[600];
  if (st.x.folder[0]) std::snprintf(path, sizeof path, "%s/%s", st.x.folder, st.x.mapFile);
  else std::snprintf(path, sizeof path, "%s", st.x.mapFile);
  auto clamp32 = [](int64_t v) { return (int32_t)(v < INT32_MIN ? INT32_MIN : (v > INT32_MAX ? INT32_MAX : v)); };
  if (PcxWrite(st, path, 0, 0, st.mapper.copyW, st.mapper.copyRows, clamp32(st.x.areaL), clamp32(st.x.areaB),
               clamp32(st.x.areaR), clamp32(st.x.areaT), 0)) {
    st.x.pcxFiles++;
    return 1;
  }
  // One question for the run, not a box for every area of it.
  char t[400];
  std::snprintf(t, sizeof t, "Can't Open Map File %s ... Continue without Map Files?", st.x.mapFile);
  std::strcpy(st.x.mapFile, "No File");
  st.x.mapsUnwritten++;
  if (HostMsgBox(t, nullptr, HOST_CAP_WARNING, HOST_YESNO) == HOST_IDYES) st.x.noMapFiles = 1;
  else st.g.abortFlag = 1;
  return 1;
}

int OpOverlap(DrcState& st, const DrcOpParsed& op, int) {
  DrcGeom& g = st.x.geo;
  g.distUnits = g.pixUnits;
  g.guard = (int64_t)DrcRound(5 * g.pixUnits);
  g.stepX = (int64_t)DrcRound(st.maps.mapw * g.pixelSize - 2.0 * g.guard);
  g.stepY = (int64_t)DrcRound(st.maps.maph * g.pixelSize - 2.0 * g.guard);
  Rasterise(st, op.n);
  st.ras.overlap = 1;
  MapMainCell(st);
  st.ras.overlap = 0;
  MapEdgeClear(st, st.maps.W);
  MapCopy(st, st.maps.S, st.maps.W);
  MapEdgeClear(st, st.maps.R);
  return 1;
}

int OpSize(DrcState& st, const DrcOpParsed& op, int) {
  Rasterise(st, op.n);
  MapSized(st, st.x.geo.N);
  return 1;
}

// In DrcOpCode order.
const DrcOperatorRule kOperators[OP_COUNT] = {
    {OP_MAP, DRC_STATUS_NUMBER, "Mapping Layer %d ...", OpMap, 0},
    {OP_MAPR, DRC_STATUS_TEXT, "Saving R Map ...", OpSave, 0},
    {OP_MAPS, DRC_STATUS_TEXT, "Saving S Map ...", OpSave, 1},
    {OP_RETR, DRC_STATUS_TEXT, "Returning R Map ...", OpReturn, 0},
    {OP_RETS, DRC_STATUS_TEXT, "Returning S Map ...", OpReturn, 1},
    {OP_PUSH, DRC_STATUS_NAME, "Pushing Layer %s to R Map ...", OpPush, 0},
    {OP_PUSHR, DRC_STATUS_TEXT, "Pushing R Map to S Map ...", OpPushR, 0},
    {OP_POPR, DRC_STATUS_TEXT, "Poping S Map to R Map ...", OpPop, 0},
    {OP_SWPRS, DRC_STATUS_TEXT, "Swapping R and S Maps ...", OpSwap, 0},
    {OP_JRC, DRC_STATUS_TEXT, "Testing R Map for All Zeros ...", OpGoOnIfAnySet, 0},
    {OP_JRS, DRC_STATUS_TEXT, "Testing R Map for All Ones ...", OpGoOnIfAnyClear, 0},
    {OP_JRN, DRC_STATUS_TEXT, "Testing Results Map ...", OpResults, 0},
    {OP_EXPR, DRC_STATUS_TEXT, "Expanding R Map ...", OpExpand, 0},
    {OP_EXPRS, DRC_STATUS_TEXT, "Expanding R and S Maps ...", OpExpand, 1},
    {OP_EXPLRS, DRC_STATUS_TEXT, "Expanding R and S Maps Long ...", OpExpand, 2},
    {OP_GAGR, DRC_STATUS_TEXT, "Gauging R Map ...", OpGauge, 0},
    {OP_GAGRS, DRC_STATUS_TEXT, "Gauging R Map to S Map ...", OpGauge, 1},
    {OP_NOTR, DRC_STATUS_TEXT, "NOTing R Map ...", OpNot, 0},
    {OP_ANDRS, DRC_STATUS_TEXT, "ANDing R and S Maps ...", OpCombine, 0},
    {OP_ORRS, DRC_STATUS_TEXT, "ORing R and S Maps ...", OpCombine, 1},
    {OP_XORRS, DRC_STATUS_TEXT, "XORing R and S Maps...", OpCombine, 2},
    {OP_CLR, DRC_STATUS_TEXT, "Clearing R Map ...", OpClear, 0},
    {OP_STR, DRC_STATUS_TEXT, "Setting R Map ...", OpSet, 0},
    {OP_DSP, DRC_STATUS_TEXT, "Displaying Maps ...", OpDisplaySaved, 0},
    {OP_DSPR, DRC_STATUS_TEXT, "Displaying Maps ...", OpDisplay, 0},
    {OP_DSPS, DRC_STATUS_TEXT, "Displaying Maps ...", OpDisplay, 1},
    {OP_DBLR, DRC_STATUS_TEXT, "Doubling Results Map ...", OpNothing, 0},
    {OP_PAUSE, DRC_STATUS_NONE, nullptr, OpPause, 0},
    {OP_HCPY, DRC_STATUS_NONE, nullptr, OpCopy, 0},  // its line names the map file
    {OP_OVRLAP, DRC_STATUS_NUMBER, "OverLapping %d ...", OpOverlap, 0},
    {OP_SIZE, DRC_STATUS_NUMBER, "Sizing %d ...", OpSize, 0},
};

}  // namespace

const DrcOperatorRule* DrcOperatorRuleOf(int code) {
  if (code < 0 || code >= OP_COUNT || kOperators[code].code != code) return nullptr;
  return &kOperators[code];
}

int DrcOperatorRun(DrcState& st, const DrcOpParsed& op) {
  const DrcOperatorRule* rule = DrcOperatorRuleOf(op.code);
  if (!rule) return -1;
  switch (rule->status) {
    case DRC_STATUS_TEXT: HostStatus(rule->text); break;
    case DRC_STATUS_NUMBER: Status(rule->text, nullptr, op.n); break;
    case DRC_STATUS_NAME: Status(rule->text, op.name); break;
    default: break;
  }
  return rule->run(st, op, rule->arg);
}

int DrcOperator(DrcState& st, int i) {
  if (i < 0 || i >= st.chk.nops) return -1;
  DrcOpParsed op;
  if (DrcOperatorParse(st.chk.op[i], &op) != 0) return -1;
  return DrcOperatorRun(st, op);
}
