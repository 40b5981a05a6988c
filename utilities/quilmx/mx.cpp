// The matrix router's settings, node-list reading, track choice, bus
// drawing and run. The result cell goes to a scratch file that replaces the
// old one only when the whole run went through.
#include "mx.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "cnvtlc.h"
#include "host.h"
#include "namecheck.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "satutil.h"

const char* const MxKeys[MX_SLOTS + 1] = {
    "cln=", "cfn=", "nfn=", "cec=", "nbl=", "nbw=", "nbs=", "cbl=", "cbw=", "cbs=", "ntl=", "ctl=", "dtl=",
    "bxy=", "wr2=", "path=", "box=", "igs=", "txt=", "npk=", "sst=", "sbs=", "sbl=", "hor=", "vrt=", "pos=",
    "neg=", "clf=", "crt=", "exb=", "stp=", "sce=", "old=", "lft=", "top=", "rgt=", "bot=", nullptr};
const char* const MxDefaults[MX_SLOTS] = {
    "?", "?.tlc", "?.nod", "?.tlc", "49", "3", "8", "51", "3", "8", "4", "5", "6", "0.", "QuilMx.log", "Y", "N",
    "N", "Y", "N", "N", "Y", "N", "Y", "N", "Y", "N", "Y", "N", "N", "N", "N", "N", "0", "0", "0", "0"};

namespace {

char* Slot(int i) { return UsfSlot(i); }

void SetSlot(int i, const char* v) { snprintf(Slot(i), SAT_SLOT_SIZE, "%s", v); }

int Aborted() { return SatFrame.abortFlag; }

void Log(const char* text) { LogList(text, 2); }

void LogF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void LogF(const char* fmt, ...) {
  char t[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(t, sizeof t, fmt, ap);
  va_end(ap);
  Log(t);
}

int ErrorF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
int ErrorF(const char* fmt, ...) {
  char t[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(t, sizeof t, fmt, ap);
  va_end(ap);
  LogF("%s\n", t);
  ErrorShow(t);
  return 0;
}

// A warning with OK and Cancel; Cancel stops the run. 1 on OK.
int AskF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
int AskF(const char* fmt, ...) {
  char t[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(t, sizeof t, fmt, ap);
  va_end(ap);
  LogF("%s\n", t);
  if (HostMsgBox(t, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL) {
    SatFrame.abortFlag = 1;
    return 0;
  }
  return 1;
}

int SameName(const std::string& a, const char* b) { return SatStricmp(a.c_str(), b) == 0; }

void Upper(char* s) {
  for (; *s; ++s) *s = (char)std::toupper((unsigned char)*s);
}

// Drive ("C:"), folder (with its separator) and base name of a tidied path.
void Split(const char* path, char* drive, char* folder, char* base, size_t size) {
  drive[0] = folder[0] = base[0] = '\0';
  if (path[0] && path[1] == ':') {
    snprintf(drive, 4, "%.2s", path);
    path += 2;
  }
  const char* slash = std::strrchr(path, '\\');
  const char* name = slash ? slash + 1 : path;
  snprintf(folder, size, "%.*s", (int)(name - path), path);
  const char* dot = std::strrchr(name, '.');
  size_t n = dot ? (size_t)(dot - name) : std::strlen(name);
  snprintf(base, size, "%.*s", (int)n, name);
}

int64_t Units(double v, double s) {
  double u = std::fabs(std::trunc(v * s));
  if (!(u < 1e9)) u = 1e9;
  return u < 2 ? 2 : (int64_t)u;
}

int LayerHeld(const char* text) {
  long v = std::atol(text);
  return v < 1 ? 1 : (v > MX_LAYER_MAX ? MX_LAYER_MAX : (int)v);
}

// ---- writing, with the header's counts and extent ----

void Take(MxState& st, int64_t x, int64_t y) {
  if (!st.anyDrawn) {
    st.xl = st.xr = x;
    st.yb = st.yt = y;
    st.anyDrawn = 1;
    return;
  }
  st.xl = std::min(st.xl, x);
  st.xr = std::max(st.xr, x);
  st.yb = std::min(st.yb, y);
  st.yt = std::max(st.yt, y);
}

void PutBox(MxState& st, int lyr, int64_t l, int64_t b, int64_t r, int64_t t) {
  TLCb = {lyr, (int32_t)l, (int32_t)b, (int32_t)r, (int32_t)t};
  WriteB();
  st.nb++;
  Take(st, l, b);
  Take(st, r, t);
}

void PutPath(MxState& st, int lyr, int64_t w, const int32_t* x, const int32_t* y, int n) {
  TLCp.lyr = lyr;
  TLCp.w = (int32_t)w;
  TLCp.nv = n;
  int64_t h = std::llabs(w) / 2;
  for (int i = 0; i < n; ++i) {
    TLCp.x[i] = x[i];
    TLCp.y[i] = y[i];
    Take(st, x[i] - h, y[i] - h);
    Take(st, x[i] + h, y[i] + h);
  }
  WriteP();
  st.np++;
  st.nv += n;
}

void PutText(MxState& st, int lyr, int64_t size, int o, int64_t x, int64_t y, const char* s) {
  TLCt.lyr = lyr;
  TLCt.size = (int32_t)size;
  TLCt.o = o;
  TLCt.x = (int32_t)x;
  TLCt.y = (int32_t)y;
  snprintf(TLCt.text, sizeof TLCt.text, "%s", s);
  int len = (int)std::strlen(TLCt.text);
  TLCt.nv = len ? (len - 1) / 8 + 2 : 2;
  WriteT();
  st.np++;
  st.nv += TLCt.nv;
  Take(st, x, y);
}

void PutCell(MxState& st, const char* name, int o, int64_t x, int64_t y) {
  snprintf(TLCc[0].name, sizeof TLCc[0].name, "%s", name);
  TLCc[0].o = o;
  TLCc[0].x = (int32_t)x;
  TLCc[0].y = (int32_t)y;
  WriteC(0);
  st.nc++;
  int i = GetCinfo(name);
  if (i) {
    const CellInfo& c = Cells.cell[i];
    int32_t xs[2] = {c.l, c.r}, ys[2] = {c.b, c.t};
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b) {
        int32_t px = xs[a], py = ys[b];
        OrientXY(o, &px, &py);
        Take(st, px + x, py + y);
      }
  } else {
    Take(st, x, y);
  }
}

// ---- cell files read record by record ----

struct CellRecs {
  std::vector<CnvBox> boxes;
  std::vector<std::pair<CnvBox, std::vector<int32_t>>> paths;  // lyr, w, nv in the box; points x y x y ..
  std::vector<CnvText> texts;
  std::vector<CnvCell> cells;
};

// 0 when the file is missing (1 in *missing) or a record can't be read (the
// message shown with what as its first word).
int ReadCell(const char* name, CellRecs& out, const char* what, int* missing) {
  auto in = std::make_unique<TlcIn>();
  std::memset(in.get(), 0, sizeof *in);
  auto p = std::make_unique<CnvPath>();
  *missing = 0;
  char file[SAT_PATH_SIZE];
  snprintf(file, sizeof file, "%s.tlc", name);
  if (!SatHostPathTo(in->path, sizeof in->path, file)) {
    *missing = 1;
    return 0;
  }
  TlcRewind(in.get());
  if (!in->open) {
    *missing = 1;
    return 0;
  }
  const char* line;
  int ok = 1;
  while (ok && (line = TlcNextLine(in.get())) != nullptr) {
    switch (TlcLineKind(line)) {
      case TLC_BOX: {
        CnvBox b;
        if (!ReadB(in.get(), &b)) {
          ok = ErrorF("%sBox Record Read Error in %s", what, name);
          break;
        }
        out.boxes.push_back(b);
        break;
      }
      case TLC_PATH: {
        if (!ReadP(in.get(), p.get())) {
          ok = ErrorF("%sPath Record Read Error in %s", what, name);
          break;
        }
        CnvBox head = {p->lyr, p->w, p->nv, 0, 0};
        std::vector<int32_t> pts;
        for (int i = 0; i < p->nv; ++i) {
          pts.push_back(p->x[i]);
          pts.push_back(p->y[i]);
        }
        out.paths.push_back({head, pts});
        break;
      }
      case TLC_TEXT: {
        CnvText t;
        if (!ReadT(in.get(), &t)) {
          ok = ErrorF("%sText Record Read Error in %s", what, name);
          break;
        }
        out.texts.push_back(t);
        break;
      }
      case TLC_CELL: {
        CnvCell c;
        if (!ReadC(in.get(), &c)) {
          ok = ErrorF("%sCell Record Read Error in %s", what, name);
          break;
        }
        out.cells.push_back(c);
        break;
      }
      case TLC_HDR: {
        CnvHdr h;
        ReadH(in.get(), &h);
        break;
      }
      default:
        break;
    }
  }
  TlcCloseRead(in.get());
  return ok;
}

void ConnectorEnd(MxState& st, int64_t x, int64_t y, const CellRecs* smash) {
  if (!st.set.sce) {
    PutCell(st, st.set.endBase, 0, x, y);
    return;
  }
  if (!smash) return;
  for (const CnvBox& b : smash->boxes) PutBox(st, b.lyr, b.l + x, b.b + y, b.r + x, b.t + y);
  for (const auto& p : smash->paths) {
    int n = p.first.r;
    std::vector<int32_t> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
      xs[i] = (int32_t)(p.second[2 * i] + x);
      ys[i] = (int32_t)(p.second[2 * i + 1] + y);
    }
    PutPath(st, p.first.lyr, p.first.l, xs.data(), ys.data(), n);
  }
}

// A point along the bus (u) and across it (v) as x, y.
void XY(const MxState& st, int64_t u, int64_t v, int64_t* x, int64_t* y) {
  if (st.set.hor) {
    *x = u;
    *y = v;
  } else {
    *x = v;
    *y = u;
  }
}

void Segment(MxState& st, int lyr, int64_t w, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  if (st.set.boxes) {
    int64_t h = w / 2;
    if (y0 == y1)
      PutBox(st, lyr, std::min(x0, x1), y0 - h, std::max(x0, x1), y0 + h);
    else
      PutBox(st, lyr, x0 - h, std::min(y0, y1), x0 + h, std::max(y0, y1));
  } else {
    int32_t xs[2] = {(int32_t)x0, (int32_t)x1}, ys[2] = {(int32_t)y0, (int32_t)y1};
    PutPath(st, lyr, w, xs, ys, 2);
  }
}

int SpanOverlap(const MxSpan& s, int64_t lo, int64_t hi) { return s.lo <= hi && lo <= s.hi; }

}  // namespace

// ---- settings ----

MxState::MxState() {
  lists[0] = {"omit", MX_OMITS, SAT_SLOT_SIZE, &omit[0][0]};
  lists[1] = {nullptr, 0, 0, nullptr};
}

SatUsfList* MxLists(MxState& st) { return st.lists; }

const MxSlotConn* MxConnFind(const MxPlaced& p, int n) {
  if (n <= 0 || n >= MX_CONNECTORS) return nullptr;
  for (const MxSlotConn& c : p.conn)
    if (c.num == n) return &c;
  return nullptr;
}

int TextNumber(const char* text) {
  const char* p = text;
  while (*p && !std::isdigit((unsigned char)*p)) ++p;
  if (!*p) return 0;
  long v = 0;
  while (std::isdigit((unsigned char)*p)) {
    if (v < 100000000) v = v * 10 + (*p - '0');
    ++p;
  }
  return (int)v;
}

int MxOmitted(const MxState& st, const char* name) {
  if (!name[0]) return 0;
  for (int i = 0; i < MX_OMITS; ++i)
    if (st.omit[i][0] && SatStricmp(st.omit[i], name) == 0) return 1;
  return 0;
}

void MxSetupApply(MxState& st, int check) {
  MxSet& s = st.set;
  // 1. The original cell.
  Upper(Slot(MX_CLN));
  snprintf(s.cell, sizeof s.cell, "%.*s", (int)NAMLEN, Slot(MX_CLN));
  if (check) {
    CellNameCheck(Slot(MX_CLN), 0);
    if (Slot(MX_CLN)[0]) CellExists(Slot(MX_CLN), 0);
  }
  // 2. Result, node and connector-end files: drive, folder and base name;
  // the extensions are fixed.
  struct File {
    int slot;
    char *drive, *folder, *base;
  };
  char d[4], f[SAT_PATH_SIZE];
  const File files[3] = {{MX_CFN, s.resultDrive, s.resultFolder, s.resultBase},
                         {MX_NFN, s.nodeDrive, s.nodeFolder, s.nodeBase},
                         {MX_CEC, d, f, s.endBase}};
  for (const File& fl : files) {
    char fixed[SAT_PATH_SIZE];
    if (!PathFixTo(fixed, sizeof fixed, Slot(fl.slot))) fixed[0] = '\0';
    if (fixed[0]) SetSlot(fl.slot, fixed);
    Split(fixed, fl.drive, fl.folder, fl.base, SAT_PATH_SIZE);
    if (check && fl.base[0]) FileNameCheck(fl.base);
  }
  // 3. Log.
  if (!Slot(MX_WR2)[0]) SetSlot(MX_WR2, "QuilMx.log");
  {
    char fixed[SAT_PATH_SIZE];
    if (PathFixTo(fixed, sizeof fixed, Slot(MX_WR2))) SetSlot(MX_WR2, fixed);
  }
  // Layers are held to the layers a drawing can have; the field shows it.
  struct Lay {
    int slot;
    int* value;
  };
  const Lay lays[5] = {{MX_NBL, &s.nbl}, {MX_CBL, &s.cbl}, {MX_NTL, &s.ntl}, {MX_CTL, &s.ctl}, {MX_DTL, &s.dtl}};
  for (const Lay& l : lays) {
    *l.value = LayerHeld(Slot(l.slot));
    char t[16];
    snprintf(t, sizeof t, "%d", *l.value);
    SetSlot(l.slot, t);
  }
  s.nbw = std::atof(Slot(MX_NBW));
  s.nbs = std::atof(Slot(MX_NBS));
  s.cbw = std::atof(Slot(MX_CBW));
  s.cbs = std::atof(Slot(MX_CBS));
  s.bxy = std::atof(Slot(MX_BXY));
  // 4. Flags; of each radio pair the deciding key.
  UsfFlag(MX_PATH);
  s.boxes = UsfFlag(MX_BOX);
  s.igs = UsfFlag(MX_IGS);
  s.txt = UsfFlag(MX_TXT);
  s.npk = UsfFlag(MX_NPK);
  s.sst = UsfFlag(MX_SST);
  s.shortFirst = UsfFlag(MX_SBS);
  UsfFlag(MX_SBL);
  s.hor = UsfFlag(MX_HOR);
  UsfFlag(MX_VRT);
  s.pos = UsfFlag(MX_POS);
  UsfFlag(MX_NEG);
  UsfFlag(MX_CLF);
  s.right = UsfFlag(MX_CRT);
  s.exb = UsfFlag(MX_EXB);
  s.stp = UsfFlag(MX_STP);
  s.sce = UsfFlag(MX_SCE);
  s.old = UsfFlag(MX_OLD);
  // 5. The window stays on the screen.
  SatRectFit(MX_LFT, MX_TOP, MX_RGT, MX_BOT);
}

void MxRunValuesSet(MxState& st) {
  double s = st.scale;
  MxRunValues& r = st.run;
  r.nbw = Units(st.set.nbw, s);
  r.nbs = Units(st.set.nbs, s);
  r.cbw = Units(st.set.cbw, s);
  r.cbs = Units(st.set.cbs, s);
  double base = std::trunc(st.set.bxy * s);
  if (!(std::fabs(base) < 1e9)) base = base < 0 ? -1e9 : 1e9;
  double q = base / (double)r.nbs;
  r.base = (int64_t)std::trunc(base <= 0 ? q - 0.5 : q + 0.5) * r.nbs;
  if (!st.set.pos) r.nbs = -r.nbs;
}

// ---- node list ----

int MxNodeBusBuild(MxState& st, const char* text, size_t size) {
  st.buses.clear();
  const char* base = st.set.nodeBase;
  size_t pos = 0;
  std::string line;
  auto next = [&]() -> bool {
    if (pos >= size) return false;
    size_t e = pos;
    while (e < size && text[e] != '\n') ++e;
    line.assign(text + pos, e - pos);
    pos = e < size ? e + 1 : e;
    while (!line.empty() && ((unsigned char)line.back() <= ' ' || (unsigned char)line.back() > '~')) line.pop_back();
    return true;
  };
  // The block of the whole name, any case.
  bool found = false;
  while (next()) {
    if (line.size() >= 2 && line[0] == '[') {
      size_t close = line.find(']');
      std::string name = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
      if (SatStricmp(name.c_str(), base) == 0) {
        found = true;
        break;
      }
    }
  }
  if (!found) {
    ErrorF("Node List Block [%s] Not Found in the Node File", base);
    return 0;
  }
  int bus = -1;
  bool any = false;
  while (next()) {
    if (SatStricmp(line.c_str(), "::") == 0) break;
    if (!line.empty() && line[0] == '[') break;  // a block without its closing line
    size_t colon = line.find(':');
    if (colon != std::string::npos && !(line[0] == ' ' || line[0] == '\t')) {
      any = true;
      std::string name = line.substr(0, colon);
      int seq = std::atoi(line.c_str() + colon + 1);
      if (MxOmitted(st, name.c_str()) || name.empty()) {
        bus = -1;
        continue;
      }
      if ((int)st.buses.size() >= MX_MAX_BUSES) {
        ErrorF("Too Many Node Buses ... the Limit is %d", (int)MX_MAX_BUSES);
        return 0;
      }
      MxBus b;
      b.name = name;
      b.seq = seq;
      b.lo = INT64_MAX;
      b.hi = INT64_MIN;
      // Pins the extractor could not name are no net: routing them as one
      // would short them.
      if (name == "?") {
        b.unrouted = 1;
        LogF("Node ? Left Unrouted: its Pins could Not be Named by the Extractor");
        st.skipped++;
      }
      st.buses.push_back(b);
      bus = (int)st.buses.size() - 1;
      continue;
    }
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
      if (bus < 0 || st.buses[(size_t)bus].unrouted) continue;
      size_t i = 0;
      while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t') ++j;
        if (j > i) MxNodeListMatch(st, line.substr(i, j - i).c_str(), bus);
        if (Aborted()) return 0;
        i = j;
      }
    }
  }
  if (!any) LogF("Node List Block [%s] Holds No Nodes ... Nothing Routed", base);
  return Aborted() ? 0 : 1;
}

void MxNodeListMatch(MxState& st, const char* entry, int bus) {
  if (Aborted() || bus < 0 || bus >= (int)st.buses.size()) return;
  const char* dot = std::strchr(entry, '.');
  if (!dot) return;
  std::string dev(entry, (size_t)(dot - entry));
  int num = std::atoi(dot + 1);
  const MxPlaced* cell = nullptr;
  for (const MxPlaced& p : st.placed)
    if (SameName(p.dev, dev.c_str())) {
      cell = &p;
      break;
    }
  if (!cell) {
    ErrorF("Device Name %s in Node List is Not on a Cell", dev.c_str());
    return;
  }
  if (num == 0) return;
  const MxSlotConn* slot = MxConnFind(*cell, num);
  if (!slot) {
    st.skipped++;
    AskF("Connector %d in Node List is Not a Connector on Cell %s ... Bus not Made", num, cell->name.c_str());
    return;
  }
  MxBus& b = st.buses[(size_t)bus];
  if ((int)b.conns.size() >= MX_MAX_CONN_BUSES) {
    ErrorF("Too Many Connector Buses on Node %s ... the Limit is %d", b.name.c_str(), (int)MX_MAX_CONN_BUSES);
    return;
  }
  MxConnBus c = {cell->x + slot->x, cell->y + slot->y, num};
  b.conns.push_back(c);
  int64_t along = st.set.hor ? c.x : c.y;
  b.lo = std::min(b.lo, along);
  b.hi = std::max(b.hi, along);
}

void MxConnectorText(MxState& st) {
  int64_t p = st.run.cbs;
  int64_t lo = st.set.hor ? st.L : st.B, hi = st.set.hor ? st.R : st.T;
  bool any = false;
  for (MxBus& b : st.buses) {
    if (!b.seq || b.conns.empty()) continue;
    any = true;
    if (!st.set.right)
      b.lo = lo - 2 * p + std::llabs((int64_t)std::fmod((double)lo, (double)p));
    else
      b.hi = hi + 2 * p - std::llabs((int64_t)std::fmod((double)hi, (double)p));
  }
  if (!any)
    AskF("Connector Text is Missing on Node List Cell %s ... No Connector Ends to Extend", st.set.nodeBase);
}

void MxBusSort(MxState& st) {
  std::vector<MxBus>& v = st.buses;
  for (size_t i = 0; i + 1 < v.size(); ++i)
    for (size_t j = i + 1; j < v.size(); ++j) {
      int64_t li = v[i].hi - v[i].lo, lj = v[j].hi - v[j].lo;
      if (st.set.shortFirst ? lj > li : lj < li) std::swap(v[i], v[j]);
    }
}

void MxTrackInit(MxState& st) {
  st.tracks.assign(st.buses.size() + 1, {});
  st.track = 0;
  st.steps = 0;
}

int MxTrackFind(MxState& st, int64_t lo, int64_t hi) {
  if (lo > hi) std::swap(lo, hi);
  int top = (int)st.tracks.size() - 1;
  int chosen = 0;
  for (int t = top; t >= 0; --t) {
    bool hit = false;
    for (const MxSpan& s : st.tracks[(size_t)t])
      if (SpanOverlap(s, lo, hi)) {
        hit = true;
        break;
      }
    if (hit) {
      chosen = t + 1;
      break;
    }
  }
  if (chosen >= (int)st.tracks.size()) st.tracks.resize((size_t)chosen + 1);
  if ((int)st.tracks[(size_t)chosen].size() >= MX_MAX_SPANS) {
    ErrorF("Too Many Buses on Track %d ... the Limit is %d", chosen, (int)MX_MAX_SPANS);
    return -1;
  }
  st.tracks[(size_t)chosen].push_back({lo, hi});
  return chosen;
}

namespace {

void NodeBus(MxState& st, MxBus& b, const CellRecs* smash) {
  int64_t a = b.lo, e = b.hi;
  if (a > e) std::swap(a, e);
  int track;
  if (st.set.npk) {
    track = MxTrackFind(st, a, e);
    if (track < 0) return;
  } else {
    track = ++st.track;
  }
  int64_t v = st.run.base + st.run.nbs * track;
  if (st.set.exb && st.set.stp && b.seq) {
    int64_t k = st.steps++;
    if (st.set.right)
      e += k * st.run.cbs;
    else
      a -= k * st.run.cbs;
  }
  int64_t x0, y0, x1, y1;
  XY(st, a, v, &x0, &y0);
  XY(st, e, v, &x1, &y1);
  if (a != e) Segment(st, st.set.nbl, st.run.nbw, x0, y0, x1, y1);
  st.nodeBuses++;
  int64_t ex = st.set.right ? x1 : x0, ey = st.set.right ? y1 : y0;
  if (st.set.txt) {
    PutText(st, st.set.ntl, st.run.nbw, 0, ex, ey, b.name.c_str());
    st.labels++;
  }
  if (b.seq) {
    char n[16];
    snprintf(n, sizeof n, "%d", b.seq);
    PutText(st, st.set.ctl, st.run.nbw, 0, ex, ey, n);
    st.connEnds++;
    if (st.set.exb) ConnectorEnd(st, ex, ey, smash);
  }
  // Connector buses to the track.
  for (const MxConnBus& c : b.conns) {
    int64_t tx, ty;
    if (st.set.hor) {
      tx = c.x;
      ty = v;
    } else {
      tx = v;
      ty = c.y;
    }
    if (tx != c.x || ty != c.y) Segment(st, st.set.cbl, st.run.cbw, c.x, c.y, tx, ty);
    st.connBuses++;
    ConnectorEnd(st, tx, ty, smash);
  }
}

}  // namespace

static const CellRecs* Smash = nullptr;

void MxRoute(MxState& st) {
  st.steps = 0;
  for (MxBus& b : st.buses) {
    if (Aborted()) return;
    if (b.unrouted) continue;
    if (b.conns.empty()) {
      // No connector of the cell: a bus would run across the cell to nothing.
      LogF("Node %s Matched No Connector ... No Bus Made", b.name.c_str());
      st.skipped++;
      continue;
    }
    NodeBus(st, b, Smash);
  }
}

void MxSpacingCheck(MxState& st) {
  // Every connector bus's place across the node buses, sorted: only
  // neighbours closer than the pitch are compared, never all pairs.
  struct Item {
    int64_t u;
    size_t bus;
  };
  std::vector<Item> items;
  for (size_t i = 0; i < st.buses.size(); ++i) {
    if (st.buses[i].unrouted) continue;
    for (const MxConnBus& c : st.buses[i].conns)
      if (c.num) items.push_back({st.set.hor ? c.x : c.y, i});
  }
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.u < b.u || (a.u == b.u && a.bus < b.bus); });
  int64_t p = st.run.cbs;
  for (size_t i = 0; i < items.size(); ++i)
    for (size_t k = i + 1; k < items.size() && items[k].u - items[i].u < p; ++k) {
      if (items[k].bus == items[i].bus) continue;
      char t[200];
      snprintf(t, sizeof t, "Possible Connector Bus Spacing Error at %s= %.*g", st.set.hor ? "X" : "Y", 9,
               (double)items[i].u / st.scale);
      LogF("%s\n", t);
      st.spacingWarnings++;
      if (HostMsgBox(t, nullptr, HOST_CAP_WARNING, HOST_OKCANCEL) == HOST_IDCANCEL) return;
      break;
    }
}

// ---- cells ----

static CellRecs* Original = nullptr;

int MxCellInfoLoad(MxState& st) {
  int missing = 0;
  Original->boxes.clear();
  Original->paths.clear();
  Original->texts.clear();
  Original->cells.clear();
  if (!ReadCell(st.set.cell, *Original, "", &missing)) {
    if (missing) ErrorF("Cell is Missing ... Can't Continue");
    return 0;
  }
  for (const CnvBox& b : Original->boxes) PutBox(st, b.lyr, b.l, b.b, b.r, b.t);
  for (const auto& p : Original->paths) {
    int n = p.first.r;
    std::vector<int32_t> xs(n), ys(n);
    for (int i = 0; i < n; ++i) {
      xs[i] = p.second[2 * i];
      ys[i] = p.second[2 * i + 1];
    }
    PutPath(st, p.first.lyr, p.first.l, xs.data(), ys.data(), n);
  }
  for (const CnvText& t : Original->texts) PutText(st, t.lyr, t.size, t.o, t.x, t.y, t.text);
  st.placed.clear();
  // A placed-cell record is large: no copies as the table grows.
  st.placed.reserve(std::min(Original->cells.size(), (size_t)MX_MAX_CELLS));
  for (const CnvCell& c : Original->cells) {
    PutCell(st, c.name, c.o, c.x, c.y);
    if ((int)st.placed.size() >= MX_MAX_CELLS)
      return ErrorF("Too Many Placed Cells in %s ... the Limit is %d", st.set.cell, (int)MX_MAX_CELLS);
    st.placed.emplace_back();
    MxPlaced& p = st.placed.back();
    p.name = c.name;
    p.x = c.x;
    p.y = c.y;
    p.o = c.o & 7;
  }
  return 1;
}

int MxConnectorLoad(MxState& st) {
  // Each cell file is read once, however often it is placed.
  std::map<std::string, std::vector<CnvText>> seen;
  for (MxPlaced& p : st.placed) {
    int i = GetCinfo(p.name.c_str());
    int32_t xs[2] = {0, 0}, ys[2] = {0, 0};
    if (i) {
      xs[0] = Cells.cell[i].l;
      xs[1] = Cells.cell[i].r;
      ys[0] = Cells.cell[i].b;
      ys[1] = Cells.cell[i].t;
    }
    bool first = true;
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2; ++b) {
        int32_t px = xs[a], py = ys[b];
        OrientXY(p.o, &px, &py);
        int64_t X = px + p.x, Y = py + p.y;
        if (first || X < p.l) p.l = X;
        if (first || X > p.r) p.r = X;
        if (first || Y < p.b) p.b = Y;
        if (first || Y > p.t) p.t = Y;
        first = false;
      }
    std::string key = p.name;
    for (char& ch : key) ch = (char)std::toupper((unsigned char)ch);
    auto it = seen.find(key);
    if (it == seen.end()) {
      CellRecs recs;
      int missing = 0;
      if (!ReadCell(p.name.c_str(), recs, "", &missing)) {
        if (missing) ErrorF("Cell %s Placed in %s is Missing ... Can't Continue", p.name.c_str(), st.set.cell);
        return 0;
      }
      std::vector<CnvText> texts;
      for (const CnvText& t : recs.texts)
        if (t.lyr == st.set.ctl) texts.push_back(t);
      it = seen.emplace(key, std::move(texts)).first;
      for (const CnvText& t : it->second) {
        int n = TextNumber(t.text);
        if (n >= MX_CONNECTORS) {
          st.skipped++;
          AskF("Connector Text \"%s\" on Cell %s is Numbered Above %d ... Left Out", t.text, p.name.c_str(),
               MX_CONNECTORS - 1);
          if (Aborted()) return 0;
        }
      }
    }
    for (const CnvText& t : it->second) {
      int n = TextNumber(t.text);
      if (n <= 0 || n >= MX_CONNECTORS) continue;
      int32_t x = t.x, y = t.y;
      OrientXY(p.o, &x, &y);
      // A later text of the same number wins.
      MxSlotConn* had = const_cast<MxSlotConn*>(MxConnFind(p, n));
      if (had)
        *had = {x, y, n};
      else
        p.conn.push_back({x, y, n});
    }
  }
  return 1;
}

int MxDeviceText(MxState& st) {
  for (MxPlaced& p : st.placed) {
    for (const CnvText& t : Original->texts) {
      if (t.lyr != st.set.dtl) continue;
      if (t.x >= p.l && t.x <= p.r && t.y >= p.b && t.y <= p.t) {
        std::string d = t.text;
        size_t sp = d.find(' ');
        if (sp != std::string::npos) d.resize(sp);
        p.dev = d;
        break;
      }
    }
    if (p.dev.empty()) return ErrorF("No Device Text on Cell %s", p.name.c_str());
  }
  return 1;
}

// ---- run ----

namespace {

bool LogNameAllowed(const MxState& st) {
  const char* log = Slot(MX_WR2);
  const char* slash = std::strrchr(log, '\\');
  const char* dot = std::strrchr(log, '.');
  if (dot && (!slash || dot > slash)) {
    const char* bad[] = {".tlc", ".crf", ".dbd", ".usf", ".nod"};
    for (const char* b : bad)
      if (SatStricmp(dot, b) == 0) return false;
  }
  char d[4], f[SAT_PATH_SIZE], base[SAT_PATH_SIZE];
  Split(log, d, f, base, sizeof base);
  if (SatStricmp(base, "QUIL7") == 0 || SatStricmp(base, "CELLS7") == 0) return false;
  (void)st;
  return true;
}

int Fail(MxState& st) {
  TlcAbandon();
  st.completed = 0;
  if (!SatFrame.abortFlag) SatFrame.abortFlag = 1;
  return 0;
}

std::string ReadAll(const char* path, int* ok) {
  std::string s;
  FILE* f = SatOpen(path, "rb");
  *ok = f != nullptr;
  if (!f) return s;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  if (ferror(f)) *ok = 0;
  fclose(f);
  return s;
}

}  // namespace

int MxRun(MxState& st) {
  SatFrame.abortFlag = 0;
  st.completed = 0;
  st.nodeBuses = st.connBuses = st.connEnds = st.labels = st.skipped = st.spacingWarnings = 0;
  st.nb = st.np = st.nv = st.nc = 0;
  st.anyDrawn = 0;
  st.placed.clear();
  st.buses.clear();
  const MxSet& s = st.set;
  char date[9], timeText[9];
  SatDateTime(date, timeText);
  // Names.
  if (std::strlen(s.resultBase) > NAMLEN || !s.resultBase[0] || s.resultBase[0] == '?') {
    ErrorShow("Can't Open Output TLC File ... Can't Continue");
    return 0;
  }
  snprintf(st.result, sizeof st.result, "%.*s", (int)NAMLEN, s.resultBase);
  Upper(st.result);
  if (SatStricmp(s.resultBase, s.cell) == 0) {
    ErrorShow("Connected Cell has the Same Name as the Original Cell ... Can't Continue");
    return 0;
  }
  if (SatStricmp(s.resultBase, s.endBase) == 0) {
    ErrorShow("Connected Cell has the Same Name as the Connector End Cell ... Can't Continue");
    return 0;
  }
  if (!LogNameAllowed(st)) {
    ErrorShow("Log File Name Stands for a Drawing File ... Not Allowed");
    return 0;
  }
  int ci = GetCinfo(s.cell);
  if (!ci) {
    ErrorShow("Cell is Missing ... Can't Continue");
    return 0;
  }
  st.rank = Cells.cell[ci].flags & 31;
  st.L = Cells.cell[ci].l;
  st.B = Cells.cell[ci].b;
  st.R = Cells.cell[ci].r;
  st.T = Cells.cell[ci].t;
  if (GetCinfo(s.resultBase) &&
      HostMsgBox("Connected Cell Exists ... Overwrite?", nullptr, HOST_CAP_ERROR, HOST_YESNO) != HOST_IDYES)
    return 0;
  char nodePath[3 * SAT_PATH_SIZE];
  snprintf(nodePath, sizeof nodePath, "%s%s%s.nod", s.nodeDrive, s.nodeFolder, s.nodeBase);
  int ok = 0;
  std::string nodes = ReadAll(nodePath, &ok);
  if (!ok) {
    char t[SAT_TEXT_SIZE];
    snprintf(t, sizeof t, "Node File %s is Missing ... Can't Continue", nodePath);
    ErrorShow(t);
    return 0;
  }
  CellRecs endRecs;
  {
    int missing = 0;
    if (!ReadCell(s.endBase, endRecs, "Connector End ", &missing)) {
      if (missing) {
        char t[SAT_TEXT_SIZE];
        snprintf(t, sizeof t, "End File %s is Missing ... Can't Continue", s.endBase);
        ErrorShow(t);
      }
      return 0;
    }
  }
  int endRank = 1;
  if (!s.sce) {
    int ei = GetCinfo(s.endBase);
    endRank = ei ? (Cells.cell[ei].flags & 31) : 0;
    if (endRank != 1) {
      ErrorShow("Connector End Cell Rank must be 1");
      return 0;
    }
  }
  char folder[2 * SAT_PATH_SIZE];
  snprintf(folder, sizeof folder, "%s%s", s.resultDrive, s.resultFolder);
  TlcWriter.hold = 1;
  WriteOldTlc = s.old;
  if (!TlcOutputSet(folder) || !SatTlcCreate(s.resultBase)) {
    char t[SAT_TEXT_SIZE];
    snprintf(t, sizeof t, "Can't Open Output TLC File %s%s.tlc... Can't Continue", folder, s.resultBase);
    ErrorShow(t);
    return Fail(st);
  }
  if (!LogOpen(Slot(MX_WR2))) {
    ErrorShow("Unable to Write Log File ... Can't Continue");
    return Fail(st);
  }
  LogF("*** QuilMx Routing Log File  %s  %s  %s\n", QUIL_VERSION, timeText, date);
  st.scale = SatSetup.scale > 0 ? SatSetup.scale : 1000.0;
  MxRunValuesSet(st);
  auto original = std::make_unique<CellRecs>();
  Original = original.get();
  Smash = &endRecs;
  int good = MxCellInfoLoad(st);
  // The result may not place itself.
  for (size_t i = 0; good && i < st.placed.size(); ++i)
    if (SatStricmp(st.placed[i].name.c_str(), s.resultBase) == 0)
      good = ErrorF("Connected Cell %s is Placed in %s ... Can't Continue", st.result, s.cell);
  good = good && MxConnectorLoad(st) && MxDeviceText(st);
  if (good && !MxNodeBusBuild(st, nodes.data(), nodes.size())) {
    if (!Aborted()) ErrorShow("Node Bus Build from NOD File Failed");
    good = 0;
  }
  if (good) {
    MxTrackInit(st);
    if (s.exb) MxConnectorText(st);
    if (s.sst) MxBusSort(st);
    if (!Aborted()) MxRoute(st);
    if (!Aborted() && !s.igs) MxSpacingCheck(st);
  }
  Original = nullptr;
  Smash = nullptr;
  if (!good || Aborted()) return Fail(st);
  std::memset(&TLCh, 0, sizeof TLCh);
  snprintf(TLCh.name, sizeof TLCh.name, "%s", st.result);
  TLCh.scale = st.scale;
  snprintf(TLCh.unit, sizeof TLCh.unit, "%s", SatSetup.physunit);
  snprintf(TLCh.date, sizeof TLCh.date, "%s", date);
  snprintf(TLCh.time, sizeof TLCh.time, "%s", timeText);
  int rank = st.rank < 1 ? 1 : st.rank;
  if (!s.sce && st.connBuses + st.connEnds > 0 && rank < endRank + 1) rank = endRank + 1;
  TLCh.rank = rank;
  if (st.anyDrawn) {
    TLCh.l = (int32_t)st.xl;
    TLCh.b = (int32_t)st.yb;
    TLCh.r = (int32_t)st.xr;
    TLCh.t = (int32_t)st.yt;
  }
  TLCh.nb = (int32_t)st.nb;
  TLCh.np = (int32_t)st.np;
  TLCh.nv = (int32_t)st.nv;
  TLCh.nc = (int32_t)st.nc;
  WriteH();
  if (!TlcWriteClose() || !TlcSettle(s.resultBase, 1)) {
    ErrorShow("Can't Write Output TLC File ... Old Cell Kept");
    st.completed = 0;
    return 0;
  }
  st.completed = 1;
  return 1;
}

void MxResultText(const MxState& st, int ok, char* out, size_t size) {
  if (!ok || !st.completed) {
    snprintf(out, size, "Aborted ... File may be Incomplete");
    return;
  }
  char skipped[120] = "";
  if (st.skipped) snprintf(skipped, sizeof skipped, "\n%ld Items Left Out ... See the Log", st.skipped);
  snprintf(out, size,
           "%s.tlc %s\n\n%ld Node Buses\n%ld Connector Buses\n%ld Connector Ends\n%ld Node Labels%s\n\nUse Import to "
           "Register Cell in Drawing",
           st.set.resultBase, st.skipped ? "Written" : "Completed", st.nodeBuses, st.connBuses, st.connEnds,
           st.labels, skipped);
}
