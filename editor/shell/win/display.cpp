#include "display.h"

#include <cstdio>

#include "canvasgdi.h"
#include "layerview.h"
#include "mainsetup.h"
#include "panes.h"
#include "pending.h"
#include "redraw.h"
#include "render.h"
#include "shellwin.h"
#include "store.h"
#include "trace.h"
#include "view.h"

namespace {

HWND gMain = nullptr;
GdiCanvas gCanvas;
int gRankApplied = -1;

void TimerStart() {
  if (gMain) SetTimer(gMain, 1, 500, nullptr);
}

int EscPoll() { return DrawEscAbort(); }

}  // namespace

void DisplayInit(HWND main) {
  gMain = main;
  Rd.abortPoll = EscPoll;
  Rw.timerStart = TimerStart;
}

void DisplayDraw(HDC dc, int kind) {
  if (!dc || DrawAreaEmpty(View.area)) return;
  const DrawArea& a = View.area;
  int rank = CurrentRank();
  if (rank != gRankApplied) {
    RankLayerSetsApply(rank);
    gRankApplied = rank;
  }
  DrawViewSet(View.cxi, View.cyi, View.width, a.left, a.top, a.right, a.bottom, View.aspectSetup,
              MainSetup.drawres, MainSetup.celldrawres);
  Rd.togs = View.togs;
  Rd.ctrl = KeyCtrlHeld();
  Rd.fullRes = kind == 3;
  Rd.drawAbort = 0;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
  // A one-layer pass (kind 2) draws over what the passes before it left.
  if (kind != 2) {
    RECT r = {a.left, a.top, a.right, a.bottom};
    const SetupRgb& bg = MainSetup.scnrgb[0];
    HBRUSH back = CreateSolidBrush(RGB(bg.r, bg.g, bg.b));
    FillRect(dc, &r, back);
    DeleteObject(back);
  }
  gCanvas.dc = dc;
  gCanvas.wine = MainSetup.winemods != 0;
  DrawCanvasSet(GdiCanvasMake(&gCanvas));
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  DrawAll(0);
  if (kind != 2) {
    if (rank >= 0 && rank <= RANK_MAX && MainSetup.rankView[rank].vgrid)
      DrawGrid(MainSetup.rankView[rank].ndgrid);
    DrawOriginMark();
  }
  GdiCanvasEnd(&gCanvas);
  GdiFlush();
  QueryPerformanceCounter(&t1);
  RestoreDC(dc, saved);
  Rd.fullRes = 0;
  Sw.countBoxes = (int)Rd.boxesDrawn;
  Sw.countPaths = (int)Rd.pathsDrawn;
  Sw.countTexts = (int)Rd.textsDrawn;
  Sw.countCells = (int)Rd.instsExpanded;
  double ms = f.QuadPart ? (double)(t1.QuadPart - t0.QuadPart) * 1000.0 / (double)f.QuadPart : 0.0;
  ShellTrace("draw %d %d %.17g area %d,%d,%d,%d togs %u boxes %lld paths %lld texts %lld cells %lld ms %.1f",
             View.cxi, View.cyi, View.width, a.left, a.top, a.right, a.bottom, (unsigned)View.togs,
             (long long)Rd.boxesDrawn, (long long)Rd.pathsDrawn, (long long)Rd.textsDrawn,
             (long long)Rd.instsExpanded, ms);
}

void DisplaySelectedDraw(HDC dc) {
  if (!dc || DrawAreaEmpty(View.area) || !Store.currentCell) return;
  const DrawArea& a = View.area;
  DrawViewSet(View.cxi, View.cyi, View.width, a.left, a.top, a.right, a.bottom, View.aspectSetup,
              MainSetup.drawres, MainSetup.celldrawres);
  Rd.togs = View.togs;
  Rd.ctrl = KeyCtrlHeld();
  Rd.drawAbort = 0;
  int saved = SaveDC(dc);
  IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
  gCanvas.dc = dc;
  gCanvas.wine = MainSetup.winemods != 0;
  DrawCanvasSet(GdiCanvasMake(&gCanvas));
  DrawMarkedBoxes(1);
  DrawMarkedPaths(1);
  GdiCanvasEnd(&gCanvas);
  GdiFlush();
  RestoreDC(dc, saved);
}

void DisplayGridDraw(HDC dc, int n) {
  if (!dc || DrawAreaEmpty(View.area)) return;
  const DrawArea& a = View.area;
  DrawViewSet(View.cxi, View.cyi, View.width, a.left, a.top, a.right, a.bottom, View.aspectSetup,
              MainSetup.drawres, MainSetup.celldrawres);
  int saved = SaveDC(dc);
  IntersectClipRect(dc, a.left, a.top, a.right, a.bottom);
  gCanvas.dc = dc;
  gCanvas.wine = MainSetup.winemods != 0;
  DrawCanvasSet(GdiCanvasMake(&gCanvas));
  DrawGrid(n);
  GdiCanvasEnd(&gCanvas);
  GdiFlush();
  RestoreDC(dc, saved);
}

void DisplayPanesUpdate() {
  char text[1200];
  SelCounts c;
  SelCountsCalc(&c);
  PaneCountsText(text, sizeof text, c);
  PaneTextSet(602, text);
  static char view[1100], open[1100], act[1100];
  LyrActiveBuild();
  const struct {
    const LayerSet* set;
    int all;
    char* out;
  } sets[3] = {{&LyrView.view, LyrView.viewOverride, view},
               {&LyrView.open, LyrView.openOverride, open},
               {&LyrView.active, 0, act}};
  for (const auto& s : sets) {
    if (s.all) {
      snprintf(s.out, 1100, "1-256");
      continue;
    }
    LyrView.scratch = *s.set;
    LyrSetText(s.out, 1100);
  }
  PaneDepthIn in{MainSetup.topdepth, MainSetup.botdepth, Rw.rankLimit, Rw.rankMode, MainSetup.vplusoshow,
                 view, open, act};
  PaneDepthText(text, sizeof text, in);
  PaneTextSet(604, text);
  int rank = Cell.rank >= 0 && Cell.rank <= RANK_MAX ? Cell.rank : 0;
  const RankView& rv = MainSetup.rankView[rank];
  PaneGridIn g{};
  g.gridShown = rv.vgrid;
  g.wgrid = View.grid;
  g.dgrid = GridValue(1, rv.ndgrid);
  g.scale = MainSetup.scale;
  g.unit = MainSetup.physunit;
  g.objKind = ObjKind();
  g.cellName = MainSetup.objname;
  g.layer = MainSetup.bplayer;
  g.layerName = LyrName(MainSetup.bplayer);
  g.pwidth = MainSetup.pwidth;
  g.tlayer = MainSetup.tlayer;
  g.tlayerName = LyrName(MainSetup.tlayer);
  g.twidth = MainSetup.twidth;
  PaneGridText(text, sizeof text, g);
  PaneTextSet(603, text);
}

void CursorBusy(int on) { SetCursor(LoadCursor(nullptr, on == 1 ? IDC_APPSTARTING : IDC_ARROW)); }

void BusyTitle(int kind, const char* name) {
  CursorBusy(1);
  char title[SHELL_PATH_SIZE + 200];
  TitleText(title, sizeof title, kind, name, 0, Sw.drawFolder, 0, "");
  if (Sw.main) SetWindowTextA(Sw.main, title);
  // The absolute difference ends the wait even across a wrapped counter.
  DWORD start = GetTickCount();
  for (;;) {
    DWORD now = GetTickCount();
    DWORD d = now >= start ? now - start : start - now;
    if (d >= 500) break;
    Sleep(10);
  }
}

void ProgressShow(const char* text, long done, long total) {
  char out[300];
  if (ProgressText(out, sizeof out, text, done, total)) PaneTextSet(602, out);
}
