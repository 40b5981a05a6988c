// The view and setting commands and the rules of their dialogs.
#include "cmdview.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdtable.h"
#include "host.h"
#include "layerview.h"
#include "mainsetup.h"
#include "orient.h"
#include "pending.h"
#include "redraw.h"
#include "store.h"
#include "undo.h"
#include "view.h"

namespace {

enum {
  ID_SDRW = 149, ID_RDRW = 144, ID_WGRD = 165, ID_DGRD = 120, ID_VIEW = 161,
  ID_DRAW = 31, ID_FIT = 26, ID_LEFT = 22, ID_RIGHT = 25, ID_UP = 23, ID_DN = 24,
  ID_XPND = 28, ID_LAST = 30, ID_CNTR = 27, ID_ZOOM = 29,
};

int LineArgsGiven(CmdEngineState& st) { return st.typedLine || st.scriptRunning; }

int CtrlHeld() { return CmdShell.ctrlHeld ? CmdShell.ctrlHeld() : 0; }

int CurrentId(CmdEngineState& st) { return CmdTable[st.current].id; }

// The first word of the line's arguments.
int FirstArg(CmdEngineState& st, char* out, size_t size) {
  const char* p = st.lineArgs;
  while (*p == ' ' || *p == ',') ++p;
  size_t n = 0;
  while (p[n] && p[n] != ' ' && p[n] != ',') ++n;
  if (n == 0 || n >= size) return 0;
  memcpy(out, p, n);
  out[n] = '\0';
  return 1;
}

// A whole-number argument: 1 with its value (saturated to the long range),
// 0 when the word is missing or is not a whole number.
int WholeArg(CmdEngineState& st, long* v) {
  char tok[CMD_LINE_SIZE];
  if (!FirstArg(st, tok, sizeof tok)) return 0;
  char* end = nullptr;
  errno = 0;
  long n = strtol(tok, &end, 10);
  if (end == tok || *end) return 0;
  *v = n;
  return 1;
}

// A line whose argument can't be taken is refused: the user is told and a
// script stops there.
void LineRefuse(CmdEngineState& st, const char* msg) {
  HostError(msg);
  st.scriptStop = 1;
}

int LayerClamp(long v) { return v < 1 ? 1 : v > LAYER_MAX ? LAYER_MAX : (int)v; }

// The layer argument of Layr, Tlyr and Clyr: 1 taken, 0 refused.
int LayerArg(CmdEngineState& st, int* layer) {
  long v;
  if (!WholeArg(st, &v)) {
    char msg[96];
    snprintf(msg, sizeof msg, "%s needs a Layer Number", CmdTable[st.current].name);
    LineRefuse(st, msg);
    return 0;
  }
  *layer = LayerClamp(v);
  return 1;
}

// A length argument in physical units; 0 (reported) when not a number in
// range.
int LengthArg(CmdEngineState& st, int32_t* out) {
  char tok[CMD_LINE_SIZE];
  double v;
  char* end = nullptr;
  if (!FirstArg(st, tok, sizeof tok) || (v = strtod(tok, &end), end == tok || *end) ||
      !CmdCoordConvert(v, MainSetup.scale, out)) {
    LineRefuse(st, "Number is Missing or Out of Range");
    return 0;
  }
  return 1;
}

int RankNow() { return Cell.rank >= 0 && Cell.rank <= RANK_MAX ? Cell.rank : 0; }

void LastViewSave() {
  MainSetup.saveWin[0].w = View.width;
  MainSetup.saveWin[0].x = View.cx;
  MainSetup.saveWin[0].y = View.cy;
}

void Redraw() {
  RedrawRequest(0);
  RedrawRequest(1);
}

// Every view change: the clamped view is what is drawn and read out.
void ViewChanged() {
  ViewUpdate();
  ObjMarkClear();
  Redraw();
}

void WinePause(int ms) {
  if (MainSetup.winemods) HostPause(ms);
}

void GridDraw(int n) {
  if (CmdShell.gridDraw) CmdShell.gridDraw(n);
}

int64_t TextLength(int32_t p, int64_t size) {
  // Characters: the non-zero bytes packed in the character vertices.
  int64_t chars = 0;
  int32_t v = StorePathGet(2, p);
  int32_t guard = 0;
  for (v = v > 0 ? StoreVertexGet(3, v) : 0; v > 0 && v <= Store.vertexCount && guard <= Store.vertexCount;
       v = StoreVertexGet(3, v), ++guard) {
    for (int f = 1; f <= 2; ++f) {
      uint32_t w = (uint32_t)StoreVertexGet(f, v);
      for (int b = 0; b < 4; ++b)
        if ((w >> (8 * b)) & 0xff) ++chars;
    }
  }
  return RoundNear((double)chars * (double)size * 0.81667);
}

}  // namespace

// --- rules ----------------------------------------------------------------------

void ObjMarkClear() {
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* q = StoreBoxRec(i);
    if (q) q[0] = (int32_t)((uint32_t)q[0] & ~(uint32_t)OBJ_MARKED);
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    int32_t* r = StorePathRec(i);
    if (r) r[0] = (int32_t)((uint32_t)r[0] & ~(uint32_t)OBJ_MARKED);
  }
}

void ObjectExtents(int64_t e[4]) {
  auto widen = [&](int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
    e[0] = std::min(e[0], std::min(x0, x1));
    e[1] = std::min(e[1], std::min(y0, y1));
    e[2] = std::max(e[2], std::max(x0, x1));
    e[3] = std::max(e[3], std::max(y0, y1));
  };
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (q) widen(q[1], q[2], q[3], q[4]);
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p) continue;
    if ((uint32_t)p[0] & TEXT_BIT) {
      const int32_t* v = p[2] > 0 && p[2] <= Store.vertexCount ? StoreVertexRec(p[2]) : nullptr;
      if (!v) continue;
      int64_t size = 2 * (std::llabs((int64_t)p[1]) / 2);
      int64_t length = TextLength(i, size);
      int o = (int)(((uint32_t)p[0] >> ORIENT_SHIFT) & ORIENT_MASK);
      int64_t x1, y1;
      OrientPoint(o, length, size, &x1, &y1);
      widen(v[1], v[2], v[1] + x1, v[2] + y1);
      continue;
    }
    int64_t half = std::llabs((int64_t)p[1]) / 2;
    int32_t vi = p[2];
    for (int32_t steps = 0; vi > 0 && vi <= Store.vertexCount && steps <= Store.vertexCount; ++steps) {
      const int32_t* v = StoreVertexRec(vi);
      if (!v) break;
      widen(v[1] - half, v[2] - half, v[1] + half, v[2] + half);
      vi = v[3];
    }
  }
}

void FitExtents(int32_t ext[4]) {
  if (Store.boxCount <= 0 && Store.pathCount <= 0 && Store.instCount[0] <= 0) {
    ext[0] = ext[1] = -1;
    ext[2] = ext[3] = 1;
    return;
  }
  int64_t e[4] = {ROUND_LIMIT, ROUND_LIMIT, -(int64_t)ROUND_LIMIT, -(int64_t)ROUND_LIMIT};
  ObjectExtents(e);
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    int32_t c[4];
    InstExtent(i, c);
    e[0] = std::min<int64_t>(e[0], c[0]);
    e[1] = std::min<int64_t>(e[1], c[1]);
    e[2] = std::max<int64_t>(e[2], c[2]);
    e[3] = std::max<int64_t>(e[3], c[3]);
  }
  if (e[0] > e[2]) std::swap(e[0], e[2]);
  if (e[1] > e[3]) std::swap(e[1], e[3]);
  if (e[2] == e[0]) e[2] = e[0] + 2;
  if (e[3] == e[1]) e[3] = e[1] + 2;
  for (int k = 0; k < 4; ++k) ext[k] = (int32_t)std::max<int64_t>(INT32_MIN, std::min<int64_t>(INT32_MAX, e[k]));
}

void WidthDlgText(const char* typed, int extended, char* out, size_t size) {
  if (!out || size == 0) return;
  const char* t = typed ? typed : "";
  while (*t == ' ') ++t;
  if (strcmp(t, "*") == 0) {
    snprintf(out, size, "*");
    return;
  }
  // The magnitude: the sign typed gives way to the Extended button.
  while (*t == '-' || *t == '+') ++t;
  snprintf(out, size, "%s%s", extended ? "-" : "", t);
}

int WidthAccept(const char* text, double scale, int32_t* width, int* star) {
  const char* t = text ? text : "";
  *star = strstr(t, "-*") ? -1 : strchr(t, '*') ? 1 : 0;
  char* end = nullptr;
  double v = strtod(t, &end);
  if (end == t) {
    // "*" alone has no number: a polygon. Any other text asks again.
    if (!*star) return 0;
    v = 0;
  }
  int32_t w = RoundClamp(v * scale);
  if (w == 0) {
    *width = 0;
    return 1;
  }
  int64_t a = w < 0 ? -(int64_t)w : w;
  if (a < 2 || a > PATH_WIDTH_MAX || (a & 1)) return 0;
  *width = w;
  return 1;
}

int SizeAccept(const char* text, double scale, int32_t* size) {
  const char* t = text ? text : "";
  char* end = nullptr;
  double v = strtod(t, &end);
  if (end == t) return 0;
  int32_t s = RoundClamp(v * scale);
  int64_t a = s < 0 ? -(int64_t)s : s;
  if (a < TEXT_SIZE_MIN || a > TEXT_SIZE_MAX) return 0;
  *size = s;
  return 1;
}

int GridNext(int display, int current) {
  int at = current >= 1 && current <= GRID_PRESETS ? current : 0;
  for (int k = 0; k < GRID_PRESETS; ++k) {
    at = at % GRID_PRESETS + 1;
    if (GridValue(display, at) > 0) return at;
  }
  return 1;
}

// A field's whole number, saturated far beyond any level; 0 when the text
// is no number.
static int FieldNumber(const char* t, long* out) {
  if (!t) return 0;
  char* end = nullptr;
  double v = strtod(t, &end);
  if (end == t || !std::isfinite(v)) return 0;
  while (*end == ' ') ++end;
  if (*end) return 0;
  *out = v > 1e6 ? 1000000 : v < -1e6 ? -1000000 : (long)v;
  return 1;
}

int DepthApply(const char* top, const char* bottom, const char* rank, int rankWindow) {
  long t = 0, b = 0, r = 0;
  if (rankWindow ? !FieldNumber(rank, &r) : (!FieldNumber(top, &t) || !FieldNumber(bottom, &b))) return 0;
  Rw.rankMode = rankWindow ? 1 : 0;
  if (rankWindow) {
    Rw.rankLimit = (int)std::max(0L, std::min(24L, r));
    return 1;
  }
  MainSetup.topdepth = (int32_t)std::max(0L, std::min(23L, t));
  b = std::max(0L, std::min(24L, b));
  MainSetup.botdepth = (int32_t)std::max<long>(b, MainSetup.topdepth);
  return 1;
}

int DepthButton(int id, int cellRank) {
  MainSetupState& m = MainSetup;
  int deepest = std::max(0, cellRank - 1);
  switch (id) {
    case 1305:
      m.botdepth = deepest;
      return 1;
    case 1306:
      m.topdepth = 0;
      return 1;
    case 1307:
      m.topdepth = m.topdepth >= 2 ? m.topdepth - 1 : 0;
      m.botdepth = m.topdepth;
      return 1;
    case 1308:
      m.topdepth = std::min(m.topdepth + 1, deepest);
      m.botdepth = m.topdepth;
      return 1;
  }
  return 0;
}

// --- handlers: drawing defaults ------------------------------------------------------

static void LayerCommand(CmdEngineState& st, int32_t* key) {
  int layer;
  if (LineArgsGiven(st)) {
    if (LayerArg(st, &layer)) *key = layer;
  } else if (!CmdShell.layerDialog) {
    CmdNotAvailable(st, st.current);
  } else if (CmdShell.layerDialog(*key, &layer)) {
    *key = LayerClamp(layer);
  }
  CmdDone(st, st.mode);
}

void HandlerLayr(CmdEngineState& st) { LayerCommand(st, &MainSetup.bplayer); }
void HandlerTlyr(CmdEngineState& st) { LayerCommand(st, &MainSetup.tlayer); }

void HandlerWdth(CmdEngineState& st) {
  int32_t w;
  if (LineArgsGiven(st)) {
    // Odd widths stay (saved scripts carry them); what the editor can't
    // draw or save does not.
    if (LengthArg(st, &w)) {
      if (w > PATH_WIDTH_MAX || w < -PATH_WIDTH_MAX)
        LineRefuse(st, "Path Width is Out of Range\n\nThe Largest Width is 1048576 Database Units");
      else
        MainSetup.pwidth = w;
    }
  } else if (!CmdShell.widthDialog) {
    CmdNotAvailable(st, st.current);
  } else if (CmdShell.widthDialog(MainSetup.pwidth, &w)) {
    MainSetup.pwidth = w;
  } else {
    st.abort = 1;
  }
  CmdDone(st, st.mode);
}

void HandlerTsiz(CmdEngineState& st) {
  int32_t s;
  if (LineArgsGiven(st)) {
    if (LengthArg(st, &s)) MainSetup.twidth = TextSizeRound(s);
  } else if (!CmdShell.sizeDialog) {
    CmdNotAvailable(st, st.current);
  } else if (CmdShell.sizeDialog(MainSetup.twidth, &s)) {
    MainSetup.twidth = TextSizeRound(s);
  } else {
    st.abort = 1;
  }
  CmdDone(st, st.mode);
}

void HandlerClyr(CmdEngineState& st) {
  int layer;
  if (LineArgsGiven(st)) {
    if (!LayerArg(st, &layer)) {
      CmdDone(st, st.mode);
      return;
    }
  } else {
    if (CmdGuardVisible(st)) {
      CmdDone(st, st.mode);
      return;
    }
    if (!CmdShell.layerDialog) {
      CmdNotAvailable(st, st.current);
      CmdDone(st, st.mode);
      return;
    }
    if (!CmdShell.layerDialog(MainSetup.clayer, &layer)) {
      CmdDone(st, st.mode);
      return;
    }
    layer = LayerClamp(layer);
  }
  MainSetup.clayer = layer;
  UndoSave(st, 4);
  uint32_t to = (uint32_t)layer & FLAG_LAYER_MASK;
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* q = StoreBoxRec(i);
    if (!q || ((uint32_t)q[0] & BOX_SEL_ALL) != BOX_SEL_ALL) continue;
    q[0] = (int32_t)((((uint32_t)q[0] & ~FLAG_LAYER_MASK) | to) & ~(uint32_t)OBJ_MARKED);
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    int32_t* r = StorePathRec(i);
    if (!r || !((uint32_t)r[0] & PATH_SELECTED)) continue;
    r[0] = (int32_t)(((uint32_t)r[0] & ~FLAG_LAYER_MASK) | to);
  }
  LayerIndexDrop();
  Redraw();
  CmdDone(st, st.mode);
}

// --- handlers: views -------------------------------------------------------------------

void HandlerView(CmdEngineState& st) {
  int id = CurrentId(st);
  int ctrl = CtrlHeld();
  switch (id) {
    case ID_DRAW:
      ViewUpdate();
      Redraw();
      break;
    case ID_FIT: {
      LastViewSave();
      int32_t e[4];
      FitExtents(e);
      ViewFitExtents(e[0], e[1], e[2], e[3]);
      ViewChanged();
      break;
    }
    case ID_LEFT:
    case ID_RIGHT:
      LastViewSave();
      View.cx += (id == ID_RIGHT ? 1 : -1) * View.width * (ctrl ? 0.05 : 0.5);
      ViewChanged();
      break;
    case ID_UP:
    case ID_DN:
      LastViewSave();
      View.cy += (id == ID_UP ? 1 : -1) * View.width * View.area.aspect * (ctrl ? 0.05 : 0.5);
      ViewChanged();
      break;
    case ID_XPND:
      LastViewSave();
      View.width *= ctrl ? 1.05 : 1.5;
      ViewChanged();
      break;
    case ID_LAST: {
      SavedWin& s = MainSetup.saveWin[0];
      SavedWin now = {View.width, View.cx, View.cy};
      if (s.w > 0) {
        View.width = s.w;
        View.cx = s.x;
        View.cy = s.y;
      }
      s = now;
      ViewChanged();
      break;
    }
    case ID_CNTR:
      if (st.abort) break;
      if (View.step == 0) {
        View.step = 1;
        if (CmdShell.pane) CmdShell.pane(600, " Cntr Pt.");
        return;
      }
      LastViewSave();
      View.cx = View.slot[1].x;
      View.cy = View.slot[1].y;
      ViewChanged();
      break;
    case ID_ZOOM:
      if (st.abort) {
        View.rubberShown = 0;
        break;
      }
      if (View.step == 0) {
        View.togs &= ~(uint32_t)0x1;
        View.step = 1;
        CmdPrompt(st, 1);
        return;
      }
      if (View.step == 1) {
        View.step = 2;
        st.pointMode = 2;
        CmdPrompt(st, 1);
        return;
      }
      LastViewSave();
      ViewFitExtents(View.slot[1].x, View.slot[1].y, View.slot[2].x, View.slot[2].y);
      ViewChanged();
      View.rubberShown = 0;
      break;
  }
  CmdDone(st, st.mode);
}

void HandlerSdrw(CmdEngineState& st) {
  int down = CurrentId(st) == ID_RDRW;
  RedrawRequest(0);
  Rw.singleLayer = 1;
  for (int k = 1; k <= LAYER_MAX; ++k) {
    int layer = down ? LAYER_MAX + 1 - k : k;
    if (!LyrView.viewOverride && !LyrViewTest(layer)) continue;
    Rw.singleLayerNo = layer;
    RedrawRequest(2);
  }
  int rank = RankNow();
  if (MainSetup.rankView[rank].vgrid) GridDraw(MainSetup.rankView[rank].ndgrid);
  Rw.singleLayer = 0;
  CmdDone(st, st.mode);
}

void HandlerLdrw(CmdEngineState& st) {
  int layer = st.ldrwLayer;
  if (!CmdShell.layerDialog) {
    CmdNotAvailable(st, st.current);
  } else if (CmdShell.layerDialog(st.ldrwLayer, &layer)) {
    st.ldrwLayer = LayerClamp(layer);
    WinePause(500);
    RedrawRequest(0);
    Rw.singleLayer = 1;
    Rw.singleLayerNo = st.ldrwLayer;
    RedrawRequest(1);
    Rw.singleLayer = 0;
  }
  CmdDone(st, st.mode);
}

// The slot of Swin or Rwin: from the line (1..9, else refused) or SWIN.
// 0 when none was given.
static int SlotAsk(CmdEngineState& st, int restore) {
  if (LineArgsGiven(st)) {
    long v;
    if (!WholeArg(st, &v) || v < 1 || v > SAVED_VIEW_SLOTS) {
      char msg[96];
      snprintf(msg, sizeof msg, "%s needs a Window Number from 1 to 9", CmdTable[st.current].name);
      LineRefuse(st, msg);
      return 0;
    }
    return (int)v;
  }
  if (!CmdShell.swinDialog) {
    CmdNotAvailable(st, st.current);
    return 0;
  }
  int n = CmdShell.swinDialog(restore);
  return n >= 1 && n <= SAVED_VIEW_SLOTS ? n : 0;
}

void HandlerSwin(CmdEngineState& st) {
  int n = SlotAsk(st, 0);
  if (n) MainSetup.saveWin[n] = SavedWin{View.width, View.cx, View.cy};
  CmdDone(st, st.mode);
}

void HandlerRwin(CmdEngineState& st) {
  int n = SlotAsk(st, 1);
  if (n) {
    LastViewSave();
    const SavedWin& s = MainSetup.saveWin[n];
    View.width = s.w;
    View.cx = s.x;
    View.cy = s.y;
    ViewChanged();
  }
  CmdDone(st, st.mode);
}

void HandlerDpth(CmdEngineState& st) {
  if (!CmdShell.depthDialog) {
    CmdNotAvailable(st, st.current);
    CmdDone(st, st.mode);
    return;
  }
  MainSetupState& m = MainSetup;
  int oldTop = m.topdepth, oldBot = m.botdepth, oldRank = Rw.rankLimit;
  int r = CmdShell.depthDialog();
  if (r == 1) {
    if (Rw.rankMode) {
      if (Rw.rankLimit != oldRank) Rw.lastRankLimit = oldRank;
    } else if (m.topdepth != oldTop || m.botdepth != oldBot) {
      m.lasttopdepth = oldTop;
      m.lastbotdepth = oldBot;
    }
  } else if (r == 2) {
    if (Rw.rankMode) {
      std::swap(Rw.rankLimit, Rw.lastRankLimit);
    } else {
      std::swap(m.topdepth, m.lasttopdepth);
      std::swap(m.botdepth, m.lastbotdepth);
    }
  }
  Redraw();
  CmdDone(st, st.mode);
}

void HandlerGrid(CmdEngineState& st) {
  RankView& rv = MainSetup.rankView[RankNow()];
  rv.vgrid = rv.vgrid ? 0 : 1;
  GridDraw(rv.ndgrid);
  CmdDone(st, st.mode);
}

void HandlerWgrd(CmdEngineState& st) {
  int display = CurrentId(st) == ID_DGRD;
  RankView& rv = MainSetup.rankView[RankNow()];
  int32_t& index = display ? rv.ndgrid : rv.nwgrid;
  int old = index;
  int changed = 0;
  if (CtrlHeld()) {
    if (!CmdShell.gridDialog) {
      CmdNotAvailable(st, st.current);
      CmdDone(st, st.mode);
      return;
    }
    int32_t custom = display ? MainSetup.dgridCustom : MainSetup.wgridCustom;
    for (;;) {
      char text[CMD_LINE_SIZE] = "";
      if (!CmdShell.gridDialog(display, custom, text, sizeof text)) break;
      char* end = nullptr;
      double v = strtod(text, &end);
      int32_t g;
      // A grid is a positive length; anything else asks again.
      if (end == text || !CmdCoordConvert(v, MainSetup.scale, &g) || g < 1) continue;
      (display ? MainSetup.dgridCustom : MainSetup.wgridCustom) = g;
      index = 0;
      changed = 1;
      break;
    }
  } else {
    index = GridNext(display, index);
    changed = index != old;
  }
  if (!display) {
    int32_t g = GridValue(0, index);
    View.grid = g > 1 ? g : 1;
  } else {
    int32_t g = GridValue(1, index);
    if (changed && g >= 1 && g <= DGRID_DRAW_MAX && rv.vgrid) {
      GridDraw(Rw.gridShown);
      GridDraw(index);
    }
  }
  CmdDone(st, st.mode);
}

void HandlerAttr(CmdEngineState& st) {
  if (!CmdShell.attrDialog) {
    CmdNotAvailable(st, st.current);
    CmdDone(st, st.mode);
    return;
  }
  CmdShell.attrDialog();
  MainSetupWrite();
  WinePause(500);
  Redraw();
  CmdDone(st, st.mode);
}

void HandlerLayerSet(CmdEngineState& st) {
  int open = CurrentId(st) != ID_VIEW;
  if (!CmdShell.layerTable) {
    CmdNotAvailable(st, st.current);
    CmdDone(st, st.mode);
    return;
  }
  int rank = RankNow();
  int kind = open ? LYR_KIND_OPEN : LYR_KIND_VIEW;
  CmdShell.layerTable(kind, rank);
  uint64_t* map = open ? MainSetup.omap[rank] : MainSetup.vmap[rank];
  for (int g = 0; g < 4; ++g) map[g] = LyrRowMaskGet(kind, g);
  if (open)
    LyrOpenBuild();
  else
    LyrViewBuild();
  LyrActiveBuild();
  // The whole text is kept: a set of scattered layers runs to hundreds of
  // characters.
  char* text = open ? MainSetup.openstr[rank] : MainSetup.viewstr[rank];
  LyrSetText(open ? &LyrView.open : &LyrView.view, text, LAYERSTR_SIZE);
  MainSetupWrite();
  WinePause(500);
  if (!open) Redraw();
  CmdDone(st, st.mode);
}
