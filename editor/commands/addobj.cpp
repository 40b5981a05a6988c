// Adding objects: boxes, paths vertex by vertex after the selected vertex,
// texts, instances, arcs and spirals.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdtable.h"
#include "host.h"
#include "layerview.h"
#include "mainsetup.h"
#include "objkind.h"
#include "pending.h"
#include "store.h"
#include "undo.h"
#include "view.h"

static const int32_t kOwnerMask = 0x0FFFFFFF;
static const double kPi = 3.14159265358979323846;

int32_t TextSizeRound(int32_t s) {
  int64_t a = s < 0 ? -(int64_t)s : s;
  int64_t r = (int64_t)RoundNear((double)a / 15.0) * 15;
  if (r < 15) r = 15;
  if (r > 9830400) r = 9830400;
  return (int32_t)r;
}

int PathVertexCount(int32_t path) {
  int32_t v = StorePathGet(2, path);
  int n = 0;
  while (v > 0 && v <= Store.vertexCount && n <= Store.vertexCount) {
    ++n;
    v = StoreVertexGet(3, v);
  }
  return n;
}

int SelVertexFind(int32_t* vertex, int32_t* next, int32_t* path) {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* rec = StorePathRec(p);
    if (!rec || ((uint32_t)rec[0] & TEXT_BIT) || !(rec[0] & PATH_SELECTED)) continue;
    int32_t v = rec[2];
    for (int guard = 0; v > 0 && v <= Store.vertexCount && guard <= Store.vertexCount; ++guard) {
      const int32_t* vr = StoreVertexRec(v);
      if (vr[0] > 0 && (vr[0] & VERTEX_SELECTED)) {
        *vertex = v;
        *next = vr[3];
        *path = p;
        return 1;
      }
      v = vr[3];
    }
  }
  return 0;
}

int VertexInsert(int32_t v, int32_t x, int32_t y) {
  if (v <= 0 || v > Store.vertexCount) return 0;
  if (StoreVertexLim() != 0) return 0;
  int32_t owner = StoreVertexGet(0, v) & kOwnerMask;
  if (PathVertexCount(owner) >= PATH_VERTEX_MAX) {
    HostError("Single Path Vertex Limit was Exceeded");
    return 0;
  }
  int32_t n = Store.vertexCount + 1;
  int32_t* nr = StoreVertexRec(n);
  int32_t* vr = StoreVertexRec(v);
  if (!nr || !vr) return 0;
  Store.vertexCount = n;
  nr[0] = vr[0] | VERTEX_SELECTED;
  nr[1] = x;
  nr[2] = y;
  nr[3] = vr[3];
  vr[0] &= ~(int32_t)VERTEX_SELECTED;
  vr[3] = n;
  return 1;
}

int BoxAdd(int layer, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  if (StoreBoxLim() != 0) return 0;
  int32_t* q = StoreBoxRec(Store.boxCount + 1);
  if (!q) return 0;
  ++Store.boxCount;
  q[0] = layer & FLAG_LAYER_MASK;
  q[1] = std::min(x1, x2);
  q[2] = std::min(y1, y2);
  q[3] = std::max(x1, x2);
  q[4] = std::max(y1, y2);
  return 1;
}

int32_t PathStart(int layer, int32_t width, int32_t x, int32_t y) {
  if (StoreVertexLim() != 0 || StorePathLim() != 0) return 0;
  int32_t p = Store.pathCount + 1, v = Store.vertexCount + 1;
  int32_t* pr = StorePathRec(p);
  int32_t* vr = StoreVertexRec(v);
  if (!pr || !vr) return 0;
  Store.pathCount = p;
  Store.vertexCount = v;
  pr[0] = (layer & FLAG_LAYER_MASK) | PATH_SELECTED;
  pr[1] = width;
  pr[2] = v;
  vr[0] = p | VERTEX_SELECTED;
  vr[1] = x;
  vr[2] = y;
  vr[3] = 0;
  return p;
}

int TextAdd(int layer, int32_t size, int orient, int32_t x, int32_t y, const char* text) {
  size_t len = text ? strlen(text) : 0;
  if (len == 0) return 0;
  if (len > CMD_TEXT_MAX) {
    HostError("Text is longer than 64 Characters");
    return 0;
  }
  int need = 1 + (int)((len + 7) / 8);
  if (StorePathLim() != 0 || StoreVertexLim() != 0) return 0;
  if ((int64_t)Store.vertexCount + need > VERTEX_LIMIT) {
    HostError("Vertex Limit Exceeded");
    return 0;
  }
  int32_t p = Store.pathCount + 1, v0 = Store.vertexCount + 1;
  int32_t* pr = StorePathRec(p);
  if (!pr || !StoreVertexRec(v0 + need - 1)) return 0;
  Store.pathCount = p;
  pr[0] = (int32_t)((uint32_t)(layer & FLAG_LAYER_MASK) | TEXT_BIT | ((uint32_t)(orient & 7) << ORIENT_SHIFT));
  pr[1] = size;
  pr[2] = v0;
  for (int k = 0; k < need; ++k) {
    int32_t* vr = StoreVertexRec(v0 + k);
    if (k == 0) {
      vr[0] = p;
      vr[1] = x;
      vr[2] = y;
    } else {
      size_t at = (size_t)(k - 1) * 8;
      vr[0] = (int32_t)((uint32_t)p | VERTEX_CHAR);
      StoreTextPack(text + at, (int)std::min<size_t>(8, len - at), &vr[1], &vr[2]);
    }
    vr[3] = k + 1 < need ? v0 + k + 1 : 0;
  }
  Store.vertexCount = v0 + need - 1;
  return 1;
}

int InstAdd(int cell, int orient, int32_t x, int32_t y) {
  const CellEntry* e = CellEntryOf(cell);
  if (!e) return 0;
  if (StoreCellLim() != 0) return 0;
  if ((e->rank & 0x1f) >= Cell.rank) {
    char msg[96];
    snprintf(msg, sizeof msg, "Rank of Cell %s is Too High for Current Cell", e->name);
    HostError(msg);
    return 0;
  }
  int32_t* c = StoreCellRec(0, Store.instCount[0] + 1);
  if (!c) return 0;
  ++Store.instCount[0];
  c[0] = (cell & INST_CELL_MASK) | ((orient & 7) << ORIENT_SHIFT);
  c[1] = x;
  c[2] = y;
  return 1;
}

void PathDelete(int32_t p) {
  if (p <= 0 || p > Store.pathCount) return;
  int32_t nv = Store.vertexCount;
  std::vector<int32_t> map((size_t)nv + 1, 0);
  std::vector<char> drop((size_t)nv + 1, 0);
  int32_t v = StorePathGet(2, p);
  for (int guard = 0; v > 0 && v <= nv && !drop[v] && guard <= nv; ++guard) {
    drop[v] = 1;
    v = StoreVertexGet(3, v);
  }
  int32_t to = 0;
  for (int32_t i = 1; i <= nv; ++i)
    if (!drop[i]) map[i] = ++to;
  for (int32_t i = 1; i <= nv; ++i) {
    if (drop[i]) continue;
    int32_t* src = StoreVertexRec(i);
    int32_t rec[4] = {src[0], src[1], src[2], src[3]};
    int32_t owner = rec[0] & kOwnerMask;
    if (owner > p) rec[0] = (rec[0] & ~kOwnerMask) | (owner - 1);
    rec[3] = rec[3] > 0 && rec[3] <= nv ? map[rec[3]] : 0;
    int32_t* dst = StoreVertexRec(map[i]);
    memcpy(dst, rec, sizeof rec);
  }
  Store.vertexCount = to;
  for (int32_t q = 1; q <= Store.pathCount; ++q) {
    if (q == p) continue;
    int32_t* src = StorePathRec(q);
    int32_t rec[3] = {src[0], src[1], src[2] > 0 && src[2] <= nv ? map[src[2]] : 0};
    memcpy(StorePathRec(q > p ? q - 1 : q), rec, sizeof rec);
  }
  --Store.pathCount;
}

// --- arcs and spirals -----------------------------------------------------------

static double Trunc29(double a) { return std::trunc(a * 536870912.0) / 536870912.0; }

static int PointOk(double x, double y, int32_t* ox, int32_t* oy) {
  if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > CMD_COORD_LIMIT || std::fabs(y) > CMD_COORD_LIMIT)
    return 0;
  *ox = RoundNear(x);
  *oy = RoundNear(y);
  return 1;
}

static int RefuseCount(int total) {
  char msg[96];
  snprintf(msg, sizeof msg, "Path Vertex Count exceeds Limit of %d", PATH_VERTEX_MAX);
  HostError(msg);
  (void)total;
  return 0;
}

int ArcInsert(CmdEngineState& st, int32_t cx, int32_t cy, int32_t ex, int32_t ey, int n, int ccw) {
  int32_t s, next, path;
  if (!SelVertexFind(&s, &next, &path)) return 0;
  n = std::abs(n);
  if (n < 1 || n > PATH_VERTEX_MAX) return 0;
  double sx = StoreVertexGet(1, s), sy = StoreVertexGet(2, s);
  double a0 = Trunc29(AngleOf(sx - cx, sy - cy)), a1 = Trunc29(AngleOf((double)ex - cx, (double)ey - cy));
  double r0 = std::hypot(sx - cx, sy - cy), r1 = std::hypot((double)ex - cx, (double)ey - cy);
  const double twoPi = 2 * kPi;
  double sweep;
  if (a0 == a1) {
    sweep = twoPi;
  } else {
    sweep = std::fabs(a1 - a0);
    if ((a1 < a0 && ccw) || (a1 > a0 && !ccw)) sweep = twoPi - sweep;
  }
  std::vector<int32_t> pts;
  for (int i = 1; i < n; ++i) {
    double r = r0 + (r1 - r0) * i / n;
    double a = ccw ? a0 + sweep * i / n : a0 - sweep * i / n;
    int32_t x, y;
    if (!PointOk(cx + r * std::cos(a), cy + r * std::sin(a), &x, &y)) {
      HostError("Arc Point is Out of Range");
      return 0;
    }
    pts.push_back(x);
    pts.push_back(y);
  }
  // The end itself closes the arc unless the vertex after the insertion
  // point already lies at its start (a closed figure).
  int closes = next > 0 && StoreVertexGet(1, next) == (int32_t)sx && StoreVertexGet(2, next) == (int32_t)sy;
  if (!closes) {
    pts.push_back(ex);
    pts.push_back(ey);
  }
  int add = (int)pts.size() / 2;
  // The whole arc fits or nothing is inserted: one refusal, no change.
  if (PathVertexCount(path) + add > PATH_VERTEX_MAX) {
    HostError("Single Path Vertex Limit was Exceeded");
    return 0;
  }
  if ((int64_t)Store.vertexCount + add > VERTEX_LIMIT) {
    HostError("Vertex Limit Exceeded");
    return 0;
  }
  UndoSave(st, 4, 1);
  int32_t at = s;
  for (int i = 0; i < add; ++i) {
    if (!VertexInsert(at, pts[2 * i], pts[2 * i + 1])) break;
    at = Store.vertexCount;
  }
  return 1;
}

// The spiral's points by the current settings; 0 when a point is out of
// range.
static int SpiralPoints(std::vector<int32_t>* out) {
  const MainSetupState& m = MainSetup;
  double s = m.scale;
  double p = std::fabs(m.arcpitch) * s, rx = std::fabs(m.xarcradius * s), ry = std::fabs(m.yarcradius * s);
  double cx = std::trunc(m.xarcctr * s), cy = std::trunc(m.yarcctr * s);
  int T = m.arcturns < 1 ? 1 : m.arcturns, n = m.turnsegs < 3 ? 3 : m.turnsegs;
  int type = m.spiraltype;
  if (type == 0 || type == 1 || type == 3) ry = rx;
  if (type == 3 || type >= 4) p = 0;
  if (type >= 4) T = 1;
  if (!std::isfinite(p) || !std::isfinite(rx) || !std::isfinite(ry) || std::fabs(cx) > CMD_COORD_LIMIT ||
      std::fabs(cy) > CMD_COORD_LIMIT)
    return 0;
  if ((int64_t)T * n > 4 * PATH_VERTEX_MAX && type != 4 && type != 5) return -1;
  if (n > 4 * PATH_VERTEX_MAX) return -1;
  out->clear();
  double px = 0, py = 0;
  auto put = [&](double x, double y) {
    px = x;
    py = y;
    out->push_back((int32_t)std::max(-2147483648.0, std::min(2147483647.0, x)));
    out->push_back((int32_t)std::max(-2147483648.0, std::min(2147483647.0, y)));
    return std::fabs(x) <= CMD_COORD_LIMIT && std::fabs(y) <= CMD_COORD_LIMIT;
  };
  auto rn = [](double v) { return (double)RoundNear(v); };
  bool ok = true;
  if (type != 5) ok &= put(cx + std::trunc(rx), cy);
  switch (type) {
    case 0: {
      if (rx < p) rx = p;
      for (int i = 0; i < T; ++i) {
        double r = rx + i * p, R = rx + (i + 1) * p;
        ok &= put(px, rn(cy + r));
        ok &= put(rn(cx - r), py);
        ok &= put(px, rn(cy - r));
        ok &= put(rn(cx + R), py);
      }
      ok &= put(px, cy);
      break;
    }
    case 1: {
      if (rx < p) rx = p;
      for (int i = 0; i < T; ++i) {
        double r = rx + i * p, R = rx + (i + 1) * p, w = 0.585786 * r;
        ok &= put(px, rn(cy + r - w));
        ok &= put(rn(cx + r - w), rn(cy + r));
        ok &= put(rn(cx - r + w), rn(cy + r));
        ok &= put(rn(cx - r), rn(cy + r - w));
        ok &= put(rn(cx - r), rn(cy - r + w));
        ok &= put(rn(cx - r + w), rn(cy - r));
        ok &= put(rn(cx + R - w), rn(cy - r));
        ok &= put(rn(cx + R), rn(cy - r + w));
      }
      ok &= put(px, cy);
      break;
    }
    case 2:
      for (int k = 1; k <= T * n; ++k) {
        double t = 2 * kPi * k / n;
        ok &= put(rn(std::cos(t) * ((double)k * p / n + rx) + cx), rn(std::sin(t) * ((double)k * p / n + ry) + cy));
      }
      break;
    case 3:
      for (int k = 1; k <= T * n; ++k) {
        double t = 2 * kPi * k / n;
        ok &= put(rn((t * std::sin(t) + std::cos(t)) * rx + cx), rn((std::sin(t) - t * std::cos(t)) * rx + cy));
      }
      break;
    case 4: {
      double c = std::cos(kPi / n);
      for (int j = 0; j < n; ++j) {
        double a = kPi / n + 2 * kPi * j / n;
        ok &= put(rn(std::cos(a) * rx / c + cx), rn(std::sin(a) * ry / c + cy));
      }
      ok &= put(cx + rx, cy);
      break;
    }
    case 5: {
      int h = n / 2;
      if (h < 1 || ry == 0) return 0;
      double d = rx / (2.0 * h), q = 1 / (4 * ry);
      ok &= put(cx - rn(h * d), cy + rn((h * d) * (h * d) * q));
      for (int i = 1 - h; i <= h; ++i) ok &= put(cx + rn(i * d), cy + rn((i * d) * (i * d) * q));
      break;
    }
    default:
      return 0;
  }
  return ok ? 1 : 0;
}

int SpiralVertexCount() {
  std::vector<int32_t> pts;
  int r = SpiralPoints(&pts);
  if (r < 0) return 1 << 20;
  return (int)pts.size() / 2;
}

int SpiralMake(CmdEngineState& st) {
  std::vector<int32_t> pts;
  int r = SpiralPoints(&pts);
  int count = (int)pts.size() / 2;
  if (r < 0 || count > PATH_VERTEX_MAX) return RefuseCount(count);
  if (r == 0 || count < 1) {
    HostError("Spiral Point is Out of Range");
    return 0;
  }
  if ((int64_t)Store.vertexCount + count > VERTEX_LIMIT) {
    HostError("Vertex Limit Exceeded");
    return 0;
  }
  if (StoreVertexLim() != 0 || StorePathLim() != 0) return 0;
  UndoSave(st, 4, 1);
  SelClearAll();
  int32_t p = PathStart(MainSetup.bplayer, MainSetup.pwidth, pts[0], pts[1]);
  if (!p) return 0;
  int32_t at = Store.vertexCount;
  for (int i = 1; i < count; ++i) {
    if (!VertexInsert(at, pts[2 * i], pts[2 * i + 1])) break;
    at = Store.vertexCount;
  }
  return 1;
}

// --- handlers -----------------------------------------------------------------

static int LineArgsGiven(CmdEngineState& st) { return st.typedLine || st.scriptRunning; }

static void NoCell(CmdEngineState& st) {
  HostError("No Cell is Present\n\nYou must Load an Existing Cell or use Load to create a New Cell");
  st.scriptStop = 1;
  CmdStart(st, 0, 0);
}

// The first word of the line's arguments.
static int FirstArg(CmdEngineState& st, char* out, size_t size) {
  const char* p = st.lineArgs;
  while (*p == ' ' || *p == ',') ++p;
  size_t n = 0;
  while (p[n] && p[n] != ' ' && p[n] != ',') ++n;
  if (n == 0 || n >= size) return 0;
  memcpy(out, p, n);
  out[n] = '\0';
  return 1;
}

static int CellFindFn(const char* name) { return CellFind(name); }

static void ObjKindFrom(CmdEngineState& st, char* name, size_t size) {
  int cell = 0;
  int kind = ObjKindSet(name, size, CellFindFn, &cell);
  st.objKind = kind == OBJ_CELL ? 3 : kind == OBJ_PATH ? 2 : 1;
  st.objCell = cell;
  snprintf(MainSetup.objname, sizeof MainSetup.objname, "%s", name);
}

void HandlerObjKindLoad(CmdEngineState& st) {
  char name[CELL_NAME_SIZE + 4] = "B";
  size_t n = strlen(MainSetup.objname);
  if (n > 0 && n < sizeof name) memcpy(name, MainSetup.objname, n + 1);
  ObjKindFrom(st, name, sizeof name);
}

void HandlerObj(CmdEngineState& st) {
  char name[CELL_NAME_SIZE + 4] = "";
  if (LineArgsGiven(st)) {
    if (!FirstArg(st, name, sizeof name)) snprintf(name, sizeof name, "?");
    ObjKindFrom(st, name, sizeof name);
  } else if (CmdShell.objectList && CmdShell.objectList(name, sizeof name) && name[0]) {
    ObjKindFrom(st, name, sizeof name);
  }
  CmdDone(st, st.mode);
}

static int ArgOrient(CmdEngineState& st) {
  char tok[16];
  if (!LineArgsGiven(st) || !FirstArg(st, tok, sizeof tok)) return 0;
  long o = strtol(tok, nullptr, 10);
  return (int)(((o % 8) + 8) % 8);
}

void HandlerAdd(CmdEngineState& st) {
  if (Cell.rank == 0) {
    NoCell(st);
    return;
  }
  if (st.objKind == 0) HandlerObjKindLoad(st);
  if (st.abort && View.step > 0) {
    CmdDone(st, st.mode);
    return;
  }
  int32_t v, next, path;
  if (SelVertexFind(&v, &next, &path)) {
    if (View.step <= 1) {
      View.togs |= 0x1;
      View.slot[1].x = StoreVertexGet(1, v);
      View.slot[1].y = StoreVertexGet(2, v);
      View.step = 2;
      if (CmdShell.pane) CmdShell.pane(600, " Add (Vtx.)");
      return;
    }
    if (CmdGuardVisible(st)) {
      CmdDone(st, st.mode);
      return;
    }
    UndoSave(st, 4);
    VertexInsert(v, View.slot[2].x, View.slot[2].y);
    RedrawRequest(1);
    CmdDone(st, st.mode);
    return;
  }
  int kind = st.objKind;
  if (View.step == 0) {
    View.togs |= 0x1;
    View.step = 1;
    const char* prompt = kind == 1 ? " Add Box (Pt.1)" : kind == 2 ? " Add (1st Vtx.)" : " Add (Cell Pt.)";
    if (CmdShell.pane) CmdShell.pane(600, prompt);
    return;
  }
  if (kind == 1 && View.step == 1) {
    View.step = 2;
    if (CmdShell.pane) CmdShell.pane(600, " Add Box (Pt.2)");
    return;
  }
  if (kind == 3 ? CmdGuardCells(st) : CmdGuardVisible(st)) {
    CmdDone(st, st.mode);
    return;
  }
  if (kind == 1) {
    if (StoreBoxLim() == 0) {
      UndoSave(st, 4);
      BoxAdd(MainSetup.bplayer, View.slot[1].x, View.slot[1].y, View.slot[2].x, View.slot[2].y);
    }
  } else if (kind == 2) {
    if (StoreVertexLim() == 0 && StorePathLim() == 0) {
      UndoSave(st, 4);
      PathStart(MainSetup.bplayer, MainSetup.pwidth, View.slot[1].x, View.slot[1].y);
    }
  } else {
    const CellEntry* e = CellEntryOf(st.objCell);
    if (e && StoreCellLim() == 0) {
      if ((e->rank & 0x1f) >= Cell.rank) {
        InstAdd(st.objCell, 0, 0, 0);  // reports the rank
        st.scriptStop = 1;
      } else {
        UndoSave(st, 4);
        InstAdd(st.objCell, ArgOrient(st), View.slot[1].x, View.slot[1].y);
      }
    }
  }
  RedrawRequest(1);
  CmdDone(st, st.mode);
}

// The text of the first text on an active layer whose reference point is
// (x, y): its path index, 0 when none.
static int32_t TextAt(int32_t x, int32_t y) {
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* rec = StorePathRec(p);
    if (!rec || !((uint32_t)rec[0] & TEXT_BIT) || !LyrActiveLayerTest(rec[0] & FLAG_LAYER_MASK)) continue;
    int32_t v = rec[2];
    if (v > 0 && v <= Store.vertexCount && StoreVertexGet(1, v) == x && StoreVertexGet(2, v) == y) return p;
  }
  return 0;
}

void HandlerText(CmdEngineState& st) {
  if (Cell.rank == 0) {
    NoCell(st);
    return;
  }
  if (View.step == 0) {
    View.togs |= 0x1;
    View.step = 1;
    if (CmdShell.pane) CmdShell.pane(600, " Text Ref. Pt.");
    CmdDone(st, 0x80);
    return;
  }
  if (st.abort || View.step != 1) {
    CmdDone(st, st.mode);
    return;
  }
  int32_t x = View.slot[1].x, y = View.slot[1].y;
  int32_t size = TextSizeRound(MainSetup.twidth);
  int layer = MainSetup.tlayer < 1 ? 1 : MainSetup.tlayer > 256 ? 256 : MainSetup.tlayer;
  int orient = 0;
  char text[CMD_LINE_SIZE + 8] = "";
  int32_t edited = 0;
  if (LineArgsGiven(st)) {
    snprintf(text, sizeof text, "%s", st.lineArgs);
    size_t n = strlen(text);
    while (n > 0 && text[n - 1] == ' ') text[--n] = '\0';
    if (n > CMD_TEXT_MAX) {
      HostError("Text is longer than 64 Characters");
      st.scriptStop = 1;
      CmdDone(st, st.mode);
      return;
    }
  } else {
    if (CmdGuardVisible(st)) {
      CmdDone(st, st.mode);
      return;
    }
    edited = TextAt(x, y);
    if (edited) {
      StoreTextGet(edited, text, CMD_TEXT_MAX + 1);
      int32_t f = StorePathGet(0, edited);
      size = StorePathGet(1, edited);
      layer = f & FLAG_LAYER_MASK;
      orient = (f >> ORIENT_SHIFT) & ORIENT_MASK;
    }
    // The old text stays until a new one is given: Cancel loses nothing.
    if (!CmdShell.textDialog || !CmdShell.textDialog(text, CMD_TEXT_MAX + 1)) {
      CmdDone(st, st.mode);
      return;
    }
  }
  if (!text[0]) {
    CmdDone(st, st.mode);
    return;
  }
  if (StorePathLim() == 0 && StoreVertexLim() == 0) {
    UndoSave(st, 4);
    if (edited) PathDelete(edited);
    TextAdd(layer, size, orient, x, y, text);
  }
  RedrawRequest(1);
  CmdDone(st, st.mode);
}

void HandlerArc(CmdEngineState& st) {
  if (Cell.rank == 0) {
    NoCell(st);
    return;
  }
  if (CmdGuardVisible(st)) {
    CmdDone(st, st.mode);
    return;
  }
  int32_t s, next, path;
  if (!SelVertexFind(&s, &next, &path)) {
    if (CmdShell.spiralDialog && CmdShell.spiralDialog()) SpiralMake(st);
    RedrawRequest(1);
    CmdDone(st, st.mode);
    return;
  }
  if (st.abort && View.step > 0) {
    CmdDone(st, st.mode);
    return;
  }
  switch (View.step) {
    case 0:
    case 1:
      View.togs |= 0x1;
      View.slot[1].x = StoreVertexGet(1, s);
      View.slot[1].y = StoreVertexGet(2, s);
      View.step = 2;
      if (CmdShell.pane) CmdShell.pane(600, " Arc (Cntr.Pt.)");
      return;
    case 2:
      View.step = 3;
      if (CmdShell.pane) CmdShell.pane(600, " Arc (End Pt.)");
      return;
    case 3:
      break;
    default:
      CmdDone(st, st.mode);
      return;
  }
  if (CmdShell.arcDialog && CmdShell.arcDialog()) {
    int n = std::abs(MainSetup.arcsegs);
    int ccw = strcmp(MainSetup.arcdir, "ccw") == 0;
    int cw = strcmp(MainSetup.arcdir, "cw") == 0;
    if (n <= PATH_VERTEX_MAX && (cw || ccw))
      ArcInsert(st, View.slot[2].x, View.slot[2].y, View.slot[3].x, View.slot[3].y, n, ccw);
  }
  RedrawRequest(1);
  CmdDone(st, st.mode);
}

// --- dialog rules ---------------------------------------------------------------

int SpiralSettingsNormalise() {
  MainSetupState& m = MainSetup;
  if (m.spiraltype < 0 || m.spiraltype > 5) m.spiraltype = 0;
  if (m.arcturns > 0 && (int64_t)m.turnsegs * m.arcturns >= 1024) m.turnsegs = 1023 / m.arcturns;
  int t = m.spiraltype;
  if (t == 0 || t == 1) m.yarcradius = m.xarcradius;
  if (t == 3) {
    m.yarcradius = m.xarcradius;
    m.arcpitch = 0;
  }
  if (t == 4 || t == 5) {
    m.arcturns = 1;
    m.arcpitch = 0;
  }
  if (std::fabs(m.xarcradius) <= std::fabs(m.arcpitch)) m.xarcradius = m.arcpitch;
  if (std::fabs(m.yarcradius) <= std::fabs(m.arcpitch)) m.yarcradius = m.arcpitch;
  if (m.arcturns < 2) m.arcturns = 1;
  if (m.turnsegs < 4) m.turnsegs = 3;
  return m.xarcradius != 0 && m.yarcradius != 0;
}

int ArcSegsAccept(int32_t* segs) {
  if (*segs >= 1024) {
    *segs = 1023;
    return 0;
  }
  return 1;
}

int NewCellRank(long n) { return n < 2 ? 1 : n > 23 ? 24 : (int)n; }
