// QUILDRC7.EXE: the design rule checker. The engine (maps, rule files,
// rasteriser, operators, run driver) is platform-free; this is its window,
// dialogs and map viewer.
#include <windows.h>
#include <commdlg.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "drc_map.h"
#include "drc_oper.h"
#include "drc_pcx.h"
#include "drc_raster.h"
#include "drc_rules.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "drc_store.h"
#include "drc_text.h"
#include "host.h"
#include "namecheck.h"
#include "satframe.h"
#include "satlib.h"
#include "satsetup.h"

namespace {

enum {
  CMD_HELP = 10, CMD_RUN = 11, CMD_VIEW = 12, CMD_SETUP = 13, CMD_GO = 14,
  IDC_PICTURE = 1004, IDC_2X = 1003, IDC_4X = 1002, IDC_VSCROLL = 1006, IDC_HSCROLL = 1005, IDC_LOCATE = 1069,
  IDC_FIT = 122, IDC_RESET = 123, IDC_LIST = 124, IDC_CHECKLIST = 125, IDC_BROWSE = 403,
  IDC_CHECKS_LIST = 1000, IDC_CHECKS_CAPTION = 1001,
};

const SatButton kButtons[] = {
    {CMD_HELP, "Help", "MXPHELP"}, {CMD_RUN, "Run", "MRUN"}, {CMD_VIEW, "View", "MVIEW"},
    {CMD_SETUP, "Setup", "MSETUP"}, {CMD_GO, "Go", "MGO"},
};

SatProgram kProg = {
    "QuilDrc", "QuilDrc7", "QUILDRC", "QUILDRCAC", "QUILDRC.HTM",
    "Max Cell Collection: %d Cells\n\nMax Objects/Cell:\n    5000000 Boxes\n    2500000 Paths\n    12500000 "
    "Vertices\n    %d Cells",
    {8190, 1000000}, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, kButtons, 5, &SatEditionEditor,
    "Aborting DRC ... OK ?\n\n You can Restart where you left off",
};
// The frame's main window and DISPLAY (SatWin) with the checker's own
// windows and run state.
struct DrcWinState {
  HWND mapper = nullptr, viewer = nullptr;
  HPEN dotted = nullptr, grey = nullptr, green = nullptr;
  int running = 0;
  int closePending = 0;
  char args[512] = "";
  std::chrono::steady_clock::time_point start, checkStart;
  int shownSecs = -1;
  int lastCheck = 0;
  int64_t areasAtCheck = 0;
  // Viewer
  int zoom = 1;  // kept between openings
};
DrcWinState W;
DrcState Drc;  // the program's one rule-checker state

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// ---- host seam ----

int HostMsg(const char* text, const char* caption, int kind, int type) {
  const char* cap = "QuilDrc";
  UINT icon = 0;
  switch (kind) {
    case HOST_CAP_ERROR: cap = "Error ..."; icon = MB_ICONERROR; break;
    case HOST_CAP_WARNING: cap = "Warning ..."; icon = MB_ICONWARNING; break;
    case HOST_CAP_OWN: if (caption) cap = caption; break;
    default: break;
  }
  if (SatWin.main && kind != HOST_CAP_PROGRAM) ShowWindow(SatWin.main, SW_RESTORE);
  return MsgBoxShow(SatOwner(), text, cap, (UINT)type | icon);
}

void HostStatusText(const char*) {
  if (SatWin.display) SetWindowTextA(SatWin.display, "Scanning Areas ...");
}

void Line(int id, const char* text) {
  if (SatWin.display) SetDlgItemTextA(SatWin.display, id, text);
}

void TimeShow() {
  char t[200];
  int secs = (int)Seconds(W.start);
  if (secs != W.shownSecs) {
    W.shownSecs = secs;
    DrcTimeText(t, sizeof t, secs);
    Line(504, t);
  }
  DrcMapsText(Drc, t, sizeof t);
  Line(506, t);
}

void RegionPicture() {
  if (!SatWin.display) return;
  HWND box = GetDlgItem(SatWin.display, 507);
  if (!box) return;
  RECT r;
  GetClientRect(box, &r);
  HDC dc = GetDC(box);
  const DrcGeom& g = Drc.x.geo;
  double rw = (double)(g.winR - g.winL), rh = (double)(g.winT - g.winB);
  if (rw <= 0 || rh <= 0) {
    ReleaseDC(box, dc);
    return;
  }
  int bw = r.right - 4, bh = r.bottom - 4;
  double u = 0.95 * (bh / rh < bw / rw ? bh / rh : bw / rw);
  double cx = (g.winL + g.winR) / 2.0, cy = (g.winB + g.winT) / 2.0;
  auto px = [&](double x) { return r.right / 2 + (int)DrcNearest((x - cx) * u); };
  auto py = [&](double y) { return r.bottom / 2 - (int)DrcNearest((y - cy) * u); };
  HBRUSH greyBrush = CreateSolidBrush(RGB(127, 127, 127));
  FillRect(dc, &r, greyBrush);
  DeleteObject(greyBrush);
  HGDIOBJ oldPen = SelectObject(dc, W.dotted);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
  SetBkColor(dc, RGB(127, 127, 127));
  int l = px((double)g.winL) - 1, t = py((double)g.winT) - 1, rr = px((double)g.winR) + 1, b = py((double)g.winB) + 1;
  Rectangle(dc, l, t, rr, b);
  SelectObject(dc, W.green);
  int al = px((double)(Drc.x.areaL + g.guard)), ar = px((double)(Drc.x.areaR - g.guard));
  int at = py((double)(Drc.x.areaT - g.guard)), ab = py((double)(Drc.x.areaB + g.guard));
  al = al < l + 1 ? l + 1 : al;
  ar = ar > rr - 1 ? rr - 1 : ar;
  at = at < t + 1 ? t + 1 : at;
  ab = ab > b - 1 ? b - 1 : ab;
  if (ar - al < 3) ar = al + 3;
  if (ab - at < 3) ab = at + 3;
  Rectangle(dc, al, at, ar, ab);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  ReleaseDC(box, dc);
}

void HostProgressShow(long done, long) {
  if (!SatWin.display) return;
  if (Drc.chk.counter != W.lastCheck) {
    W.lastCheck = Drc.chk.counter;
    W.checkStart = std::chrono::steady_clock::now();
    W.areasAtCheck = Drc.run.areasDone;
  }
  double ms = Drc.run.areasDone > 0 ? Seconds(W.checkStart) * 1000.0 / (double)Drc.run.areasDone : 0;
  char t[600];
  for (int id : {501, 502, 503, 505}) {
    DrcDisplayLine(Drc, id, t, sizeof t, ms);
    Line(id, t);
  }
  (void)done;
  TimeShow();
  RegionPicture();
}

int HostAbortKey() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) ? 1 : 0; }

void HostPauseFor(int ms) { PauseShow(SatOwner(), ms); }

const HostOps kHost = {HostMsg, HostStatusText, HostProgressShow, HostAbortKey, HostPauseFor};

// ---- MAPPER: the off-screen picture of the engine on screen ----

void MapperBlit(HDC dc) {
  const DrcMapper& m = Drc.mapper;
  if (!m.created || !m.pix) return;
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD pal[16];
  } bi;
  memset(&bi, 0, sizeof bi);
  bi.h.biSize = sizeof bi.h;
  bi.h.biWidth = m.w;
  bi.h.biHeight = -m.hm;  // top-down
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 8;
  bi.h.biCompression = BI_RGB;
  bi.h.biClrUsed = 16;
  for (int i = 0; i < 16; ++i) {
    bi.pal[i].rgbRed = PcxPalette[i][0];
    bi.pal[i].rgbGreen = PcxPalette[i][1];
    bi.pal[i].rgbBlue = PcxPalette[i][2];
  }
  // Rows of an 8-bit DIB are padded to 4 bytes; the picture width is 544.
  SetDIBitsToDevice(dc, 0, 0, (DWORD)m.w, (DWORD)m.hm, 0, 0, 0, (UINT)m.hm, m.pix, (BITMAPINFO*)&bi,
                    DIB_RGB_COLORS);
}

INT_PTR CALLBACK MapperProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      const DrcMapper& m = Drc.mapper;
      int lh = m.lh, w = m.w, hm = m.hm;
      RECT r = {0, 0, w, hm + 4 * lh};
      AdjustWindowRectEx(&r, (DWORD)GetWindowLongA(dialog, GWL_STYLE), FALSE,
                         (DWORD)GetWindowLongA(dialog, GWL_EXSTYLE));
      // Below the DISPLAY dialog, so that neither hides the other.
      RECT below = {0, 0, 0, 0};
      if (SatWin.display) GetWindowRect(SatWin.display, &below);
      SetWindowPos(dialog, nullptr, below.left, below.bottom, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
      for (int i = 0; i < 3; ++i) MoveWindow(GetDlgItem(dialog, 501 + i), 8, hm + 4 + i * lh, w, lh, FALSE);
      return TRUE;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dialog, &ps);
      MapperBlit(dc);
      EndPaint(dialog, &ps);
      return TRUE;
    }
    case WM_CLOSE:
      return TRUE;  // refused
    default:
      return FALSE;
  }
}

void MapperShown(DrcState&) {
  if (!W.mapper) {
    W.mapper = CreateDialogParamA(SatWin.inst, "MAPPER", SatOwner(), MapperProc, 0);
    if (!W.mapper) return;
  }
  char t[400];
  for (int id = 501; id <= 503; ++id) {
    DrcMapperLine(Drc, id, t, sizeof t);
    SetDlgItemTextA(W.mapper, id, t);
  }
  InvalidateRect(W.mapper, nullptr, FALSE);
  UpdateWindow(W.mapper);
}

void AreaDone(DrcState&) {
  if (W.mapper) {
    DestroyWindow(W.mapper);
    W.mapper = nullptr;
  }
  TimeShow();
}

// ---- DISPLAY ----

INT_PTR CALLBACK DisplayProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.display = dialog;
      return TRUE;
    case WM_WINDOWPOSCHANGED:
      RegionPicture();
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDCANCEL) return FALSE;
      [[fallthrough]];
    case WM_CLOSE:
      if (MsgBoxShow(dialog, kProg.abortQuestion, "QuilDrc", MB_YESNO) == IDYES) Drc.g.abortFlag = 1;
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- CHECKS ----

struct ChecksParam {
  FILE* file;
  const char* name;
};

INT_PTR CALLBACK ChecksProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: {
      const ChecksParam* p = reinterpret_cast<const ChecksParam*>(lParam);
      char caption[400];
      snprintf(caption, sizeof caption, "Checks of %s", p->name);
      SetDlgItemTextA(dialog, IDC_CHECKS_CAPTION, caption);
      DrcRuleSrc src;
      DrcRuleSrcFile(&src, p->file);
      HWND list = GetDlgItem(dialog, IDC_CHECKS_LIST);
      DrcChecksList(Drc, &src, [](void* ctx, const char* line) {
        SendMessageA(static_cast<HWND>(ctx), LB_ADDSTRING, 0, (LPARAM)line);
      }, list);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_CHECKS_LIST && HIWORD(wParam) == LBN_DBLCLK) {
        LRESULT i = SendMessageA(GetDlgItem(dialog, IDC_CHECKS_LIST), LB_GETCURSEL, 0, 0);
        if (i >= 0) EndDialog(dialog, i + 1);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- SETUP1 ----

char SavedPlace[6][256];

void SetupFill(HWND dialog, int first, int last) {
  for (int k = first; k <= last; ++k) SetDlgItemTextA(dialog, 100 + k, Drc.set.v[k]);
}

void SetupRead(HWND dialog) {
  for (int k = K_CLN; k <= K_WT; ++k) GetDlgItemTextA(dialog, 100 + k, Drc.set.v[k], 256);
  for (int k = K_ENH; k <= K_EPX; ++k)
    snprintf(Drc.set.v[k], 256, "%s", IsDlgButtonChecked(dialog, 100 + k) == BST_CHECKED ? "Y" : "N");
}

// Cancel and closing: the check window as it was when the dialog opened.
void SetupCancel(HWND dialog) {
  for (int k = K_CKL; k <= K_WT; ++k) memcpy(Drc.set.v[k], SavedPlace[k - K_CKL], 256);
  EndDialog(dialog, 0);
}

void NameChecks() {
  if (Drc.set.v[K_CLN][0] && !CellNameCheck(Drc.set.v[K_CLN], 0)) CellExists(Drc.set.v[K_CLN], 0);
}

void SetupEnable(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, 105), IsDlgButtonChecked(dialog, 118) == BST_CHECKED);
  EnableWindow(GetDlgItem(dialog, 106), IsDlgButtonChecked(dialog, 119) == BST_CHECKED);
}

void DrcFileSelect(HWND dialog) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn;
  memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter =
      "DRC Files\0*.drc\0GDS Files\0*.gds\0LDM Files\0*.ldm\0CIF Files\0*.cif\0DXF Files\0*.dxf\0LOG Files\0*.log\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = SatFrame.startFolder;
  ofn.lpstrTitle = "DRC File Select";
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
  if (GetOpenFileNameA(&ofn)) {
    file[255] = 0;
    SetDlgItemTextA(dialog, 101, file);
  }
  SetCurrentDirectoryA(SatFrame.startFolder);
}

INT_PTR CALLBACK SetupProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SetupFill(dialog, K_CLN, K_WT);
      for (int k = K_ENH; k <= K_EPX; ++k)
        CheckDlgButton(dialog, 100 + k, Drc.set.v[k][0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
      for (int k = K_CKL; k <= K_WT; ++k) memcpy(SavedPlace[k - K_CKL], Drc.set.v[k], 256);
      SetupEnable(dialog);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case 118:
        case 119:
          SetupEnable(dialog);
          return TRUE;
        case IDOK:
          SetupRead(dialog);
          DrcSetupApply(Drc, 1);
          NameChecks();
          EndDialog(dialog, 1);
          return TRUE;
        case IDC_FIT: {
          char name[256];
          GetDlgItemTextA(dialog, 100, name, sizeof name);
          int i = GetCinfo(name);
          if (i) {
            double sc = Drc.g.scale > 0 ? Drc.g.scale : 1000;
            Drc.set.pending = 1;
            Drc.set.pendL = Cells.cell[i].l / sc;
            Drc.set.pendR = Cells.cell[i].r / sc;
            Drc.set.pendB = Cells.cell[i].b / sc;
            Drc.set.pendT = Cells.cell[i].t / sc;
          }
        }
          [[fallthrough]];
        case IDC_RESET:
          Drc.x.pcxSeq = 0;
          Drc.set.v[K_CKL][0] = 0;
          Drc.set.v[K_CKB][0] = 0;
          DrcSetupApply(Drc, 1);
          SetupFill(dialog, K_CKL, LOWORD(wParam) == IDC_FIT ? K_WT : K_CKB);
          return TRUE;
        case IDC_LIST:
          if (DialogBoxParamA(SatWin.inst, "ANYLIST", dialog, AnyListProc, 0) == 1)
            SetDlgItemTextA(dialog, 100, SatFrame.shared);
          return TRUE;
        case IDC_CHECKLIST: {
          char name[256];
          GetDlgItemTextA(dialog, 101, name, sizeof name);
          FILE* f = fopen(name, "r");
          if (!f) {
            DrcErrorShow(Drc, "DRC File is Missing ... Can't Continue");
            return TRUE;
          }
          ChecksParam p = {f, name};
          INT_PTR n = DialogBoxParamA(SatWin.inst, "CHECKS", dialog, ChecksProc, (LPARAM)&p);
          fclose(f);
          if (n > 0) {
            char t[16];
            snprintf(t, sizeof t, "%d", (int)n);
            SetDlgItemTextA(dialog, 103, t);
            SetDlgItemTextA(dialog, 104, t);
          }
          return TRUE;
        }
        case IDC_BROWSE:
          DrcFileSelect(dialog);
          return TRUE;
        case IDCANCEL:
          SetupCancel(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      SetupCancel(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- VIEWER ----

struct Viewer {
  HWND picture = nullptr;
  HDC mem = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  PcxInfo info = {};
  char path[MAX_PATH] = "";
  int zoomOn = 0, step = 0, sx = 0, sy = 0;
};
Viewer V;

void ViewerFree() {
  if (V.mem) {
    SelectObject(V.mem, V.old);
    DeleteDC(V.mem);
  }
  if (V.bmp) DeleteObject(V.bmp);
  V.mem = nullptr;
  V.bmp = nullptr;
}

void ViewerEnd(HWND dialog) {
  ViewerFree();
  W.viewer = nullptr;
  EndDialog(dialog, 0);
}

int ViewerF() { return V.zoomOn ? W.zoom : 1; }

void ScrollSet(HWND dialog, int id, int maxv, int page) {
  SCROLLINFO si;
  memset(&si, 0, sizeof si);
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = maxv;
  si.nPage = (UINT)(page > 0 ? page : 0);
  si.nPos = 0;
  SetScrollInfo(GetDlgItem(dialog, id), SB_CTL, &si, TRUE);
}

void ViewerRanges(HWND dialog) {
  int f = ViewerF();
  ScrollSet(dialog, IDC_HSCROLL, V.info.width - 1, (V.info.width - 1) / f);
  ScrollSet(dialog, IDC_VSCROLL, V.info.height - 1, (V.info.height - 1) / f);
  V.sx = V.sy = 0;
}

int ViewerOpen(HWND dialog) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn;
  memset(&ofn, 0, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = dialog;
  ofn.lpstrFilter = "PCX Files\0*.pcx\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = SatFrame.startFolder;
  ofn.lpstrTitle = "Open Map File";
  ofn.lpstrDefExt = "pcx";
  ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameA(&ofn)) return 0;
  snprintf(V.path, sizeof V.path, "%s", file);
  SetDlgItemTextA(dialog, IDC_PICTURE, "Mapping ...");
  uint8_t* pix = nullptr;
  if (!PcxRead(V.path, 0, &V.info, &pix, 1)) return 0;
  MoveWindow(V.picture, 2, 2, V.info.width, V.info.height, TRUE);
  HDC dc = GetDC(V.picture);
  V.mem = CreateCompatibleDC(dc);
  V.bmp = CreateCompatibleBitmap(dc, V.info.width, V.info.height);
  ReleaseDC(V.picture, dc);
  V.old = SelectObject(V.mem, V.bmp);
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD pal[16];
  } bi;
  memset(&bi, 0, sizeof bi);
  bi.h.biSize = sizeof bi.h;
  bi.h.biWidth = V.info.width;
  bi.h.biHeight = -V.info.height;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 8;
  bi.h.biClrUsed = 16;
  for (int i = 0; i < 16; ++i) {
    bi.pal[i].rgbRed = PcxPalette[i][0];
    bi.pal[i].rgbGreen = PcxPalette[i][1];
    bi.pal[i].rgbBlue = PcxPalette[i][2];
  }
  // DIB rows are padded to four bytes.
  int stride = (V.info.width + 3) & ~3;
  uint8_t* rows = static_cast<uint8_t*>(calloc((size_t)stride * V.info.height, 1));
  if (rows) {
    for (int y = 0; y < V.info.height; ++y) memcpy(rows + (size_t)y * stride, pix + (size_t)y * V.info.width, V.info.width);
    SetDIBitsToDevice(V.mem, 0, 0, (DWORD)V.info.width, (DWORD)V.info.height, 0, 0, 0, (UINT)V.info.height, rows,
                      (BITMAPINFO*)&bi, DIB_RGB_COLORS);
    free(rows);
  }
  free(pix);
  ViewerRanges(dialog);
  SetWindowTextA(dialog, V.path);
  SetCurrentDirectoryA(SatFrame.startFolder);
  return 1;
}

void ViewerScroll(HWND dialog, int id, int code) {
  HWND bar = GetDlgItem(dialog, id);
  SCROLLINFO si;
  memset(&si, 0, sizeof si);
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(bar, SB_CTL, &si);
  int pos = si.nPos, page = (int)si.nPage;
  switch (code) {
    case SB_LINEUP: pos -= V.step; break;
    case SB_LINEDOWN: pos += V.step; break;
    case SB_PAGEUP: pos -= page; break;
    case SB_PAGEDOWN: pos += page; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = si.nMax; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = si.nTrackPos; break;
    default: break;
  }
  int top = si.nMax - page;
  if (pos > top) pos = top;
  if (pos < 0) pos = 0;
  if (pos != si.nPos) {
    SetScrollPos(bar, SB_CTL, pos, TRUE);
    if (id == IDC_HSCROLL) V.sx = pos;
    else V.sy = pos;
    InvalidateRect(V.picture, nullptr, FALSE);
  }
}

void Locate() {
  HWND editor = FindWindowA("QUIL7", nullptr);
  if (!editor) return;
  char text[200];
  DrcZoomText(text, sizeof text, V.info.areaL, V.info.areaB, V.info.areaR, V.info.areaT, Drc.g.scale);
  COPYDATASTRUCT cds;
  cds.dwData = 0;
  cds.cbData = (DWORD)strlen(text) + 1;
  cds.lpData = text;
  SendMessageA(editor, WM_COPYDATA, 0, (LPARAM)&cds);
}

INT_PTR CALLBACK ViewerProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      W.viewer = dialog;
      V = Viewer();
      V.picture = GetDlgItem(dialog, IDC_PICTURE);
      PostMessageA(dialog, WM_USER + 1, 0, 0);
      return TRUE;
    case WM_USER + 1:
      if (!ViewerOpen(dialog)) {
        ViewerFree();
        W.viewer = nullptr;
        EndDialog(dialog, 0);
      }
      return TRUE;
    case WM_DRAWITEM: {
      const DRAWITEMSTRUCT* d = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (d->CtlID != IDC_PICTURE || !V.mem) return FALSE;
      int f = ViewerF();
      if (f == 1)
        BitBlt(d->hDC, 0, 0, V.info.width, V.info.height, V.mem, V.sx, V.sy, SRCCOPY);
      else
        StretchBlt(d->hDC, 0, 0, V.info.width, V.info.height, V.mem, V.sx, V.sy, V.info.width / f,
                   V.info.height / f, SRCCOPY);
      return TRUE;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
      ViewerScroll(dialog, GetDlgCtrlID((HWND)lParam), LOWORD(wParam));
      return TRUE;
    case WM_SIZE:
      InvalidateRect(V.picture, nullptr, FALSE);
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_2X:
        case IDC_4X: {
          int id = LOWORD(wParam), other = id == IDC_2X ? IDC_4X : IDC_2X;
          CheckDlgButton(dialog, other, BST_UNCHECKED);
          V.zoomOn = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
          W.zoom = V.zoomOn ? (id == IDC_2X ? 2 : 4) : 1;
          V.step = V.zoomOn ? (id == IDC_2X ? 2 : 1) : 0;
          ViewerRanges(dialog);
          InvalidateRect(V.picture, nullptr, FALSE);
          return TRUE;
        }
        case IDC_LOCATE:
          Locate();
          return TRUE;
        case IDOK:
        case IDCANCEL:
          ViewerEnd(dialog);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      ViewerEnd(dialog);
      return TRUE;
    default:
      return FALSE;
  }
}

// ---- main window: the frame's, with the checker's settings and run ----

void SettingsSave(HWND hwnd) {
  if (W.dotted) DeleteObject(W.dotted);
  if (W.grey) DeleteObject(W.grey);
  if (W.green) DeleteObject(W.green);
  W.dotted = W.grey = W.green = nullptr;
  RECT r;
  GetWindowRect(hwnd, &r);
  snprintf(Drc.set.v[K_LFT], 256, "%d", (int)r.left);
  snprintf(Drc.set.v[K_TOP], 256, "%d", (int)r.top);
  snprintf(Drc.set.v[K_RGT], 256, "%d", (int)r.right);
  snprintf(Drc.set.v[K_BOT], 256, "%d", (int)r.bottom);
  for (int i = 0; i < DRC_RECENT; ++i) {
    memcpy(Drc.set.rdp[i], SatFrame.recentApp[i], sizeof Drc.set.rdp[i]);
    memcpy(Drc.set.rdf[i], SatFrame.recentFile[i], sizeof Drc.set.rdf[i]);
  }
  if (!SatFrame.startFail) DrcUsfWrite(Drc, "QuilDrc.usf");
}

void SettingsRead() {
  DrcUsfRead(Drc, "QuilDrc.usf");
  for (int i = 0; i < DRC_RECENT; ++i) {
    memcpy(SatFrame.recentApp[i], Drc.set.rdp[i], sizeof Drc.set.rdp[i]);
    memcpy(SatFrame.recentFile[i], Drc.set.rdf[i], sizeof Drc.set.rdf[i]);
  }
}

void Created(void*) { DrcApplyArguments(Drc, W.args); }

void Started() {
  if (!SatFrame.startFail) DrcMainScaleCheck("QUIL7.USF", SatSetup.scale);
  Drc.g.scale = SatSetup.scale;
  Drc.g.wineMode = SatSetup.winemods;
  snprintf(Drc.g.physunit, sizeof Drc.g.physunit, "%s", SatSetup.physunit);
  Drc.run.pauseMs = SatSetup.winemods ? 20 : 10;
  W.dotted = CreatePen(PS_DOT, 1, RGB(255, 255, 255));
  W.grey = CreatePen(PS_SOLID, 1, RGB(127, 127, 127));
  W.green = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
}

// The saved rectangle's place and width; the tool bar gave the height.
void Placed(HWND main) {
  int l = atoi(Drc.set.v[K_LFT]), t = atoi(Drc.set.v[K_TOP]), r = atoi(Drc.set.v[K_RGT]);
  if (l > 0 && t > 0 && r > l) {
    RECT wr;
    GetWindowRect(main, &wr);
    MoveWindow(main, l, t, r - l, wr.bottom - wr.top, FALSE);
  }
}

void CmdGo() {
  SatWin.display = CreateDialogParamA(SatWin.inst, "DISPLAY", SatWin.main, DisplayProc, 0);
  if (!SatWin.display) return;
  RECT below;
  if (GetWindowRect(SatWin.main, &below))
    SetWindowPos(SatWin.display, nullptr, below.left, below.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  ShowWindow(SatWin.display, SW_SHOWNORMAL);
  SetFocus(SatWin.display);
  PauseShow(SatWin.display, 10);
  W.running = 1;
  W.start = std::chrono::steady_clock::now();
  W.shownSecs = -1;
  W.lastCheck = 0;
  DrcStoreReset();
  DrcGo(Drc);
  ShowWindow(SatWin.main, SW_RESTORE);
  if (W.mapper) DestroyWindow(W.mapper);
  W.mapper = nullptr;
  DestroyWindow(SatWin.display);
  SatWin.display = nullptr;
  DrcStoreReset();
  W.running = 0;
  if (W.closePending) SatMainQuit();
}

int Command(void*, HWND hwnd, int id) {
  switch (id) {
    case CMD_VIEW:
      DialogBoxParamA(SatWin.inst, "VIEWER", hwnd, ViewerProc, 0);
      return 1;
    case CMD_SETUP:
      DialogBoxParamA(SatWin.inst, "SETUP1", hwnd, SetupProc, 0);
      return 1;
    case CMD_GO:
      if (!SatFrame.startFail) CmdGo();
      return 1;
    default:
      return 0;
  }
}

int Busy() { return W.running; }

// Closing during a run: confirmed, the run stops at its next test, saves
// its restart point, and the window closes after it.
int CloseRefused(HWND hwnd, UINT msg) {
  if (!W.running) return 0;
  if (!W.closePending && msg == WM_CLOSE &&
      MsgBoxShow(SatWin.display ? SatWin.display : hwnd, kProg.abortQuestion, "QuilDrc", MB_YESNO) == IDYES) {
    Drc.g.abortFlag = 1;
    W.closePending = 1;
  }
  return 1;
}

void Ended() { DrcMapReset(Drc); }

HWND* const kDialogs[] = {&W.mapper, &SatWin.display, &W.viewer, nullptr};

SatWinProgram WinTable() {
  SatWinProgram w = {};
  w.prog = &kProg;
  w.command = Command;
  w.created = Created;
  w.host = &kHost;
  w.started = Started;
  w.settingsRead = SettingsRead;
  w.settingsSave = SettingsSave;
  w.placed = Placed;
  w.busy = Busy;
  w.closeRefused = CloseRefused;
  w.dialogs = kDialogs;
  w.ended = Ended;
  return w;
}
const SatWinProgram kWin = WinTable();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR args, int) {
  DrcEngineReset(Drc);
  DrcStoreReset();
  Drc.x.mapperShown = MapperShown;
  Drc.run.areaDone = AreaDone;
  Drc.run.src = DrcStoreSource(Drc);
  Drc.run.findCell = DrcStoreFind;
  snprintf(W.args, sizeof W.args, "%s", args ? args : "");
  return SatWinMain(instance, &kWin, &Drc);
}
