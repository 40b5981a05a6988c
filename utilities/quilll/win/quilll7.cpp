// QUILLL7.EXE: the layer-logic tool on the common satellite frame. The
// engine (maps, scan conversion, boxes and polygons, settings, run) is
// platform-free; this is its setup dialog, progress display, map view and
// rounding question.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <initializer_list>

#include "ll.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  IDC_CELL = 100, IDC_RESULT = 101, IDC_LAYA = 102, IDC_LAYB = 103, IDC_LAYC = 104, IDC_FIT = 114,
  IDC_LIST = 115, IDC_NOTA = 118, IDC_NOTB = 119, IDC_NOTC = 120, IDC_POLY = 121, IDC_VXR = 122,
  IDC_TRUE = 123, IDC_OLD = 124, IDC_AND = 125, IDC_OR = 126, IDC_XOR = 127, IDC_PRES = 107,
  IDC_MSGLIST = 1063, IDC_MAPTEXT = 500,
  IDC_RND_TEXT = 1002, IDC_RND_IGNORE = 1003, IDC_RND_PATHS = 1004, IDC_RND_ALL = 1005,
};

LlState Ll;  // the program's one layer-logic state
time_t RunStart = 0;
HWND Mapper = nullptr;
int MapperPainted = 0;

void Apply(int check) { LlSetupApply(Ll, check); }
void ApplyHook(void*, int check) { Apply(check); }

int Run(void*) {
  RunStart = std::time(nullptr);
  return LlRun(Ll);
}

void MapperClose(LlState&) {
  if (Mapper) DestroyWindow(Mapper);
  Mapper = nullptr;
}

void Closing(void*, int result, char* text, size_t size) {
  if (SatWin.main) ShowWindow(SatWin.main, SW_RESTORE);
  MapperClose(Ll);
  if (!result) {
    const char* why = Ll.errorCode == LL_ERR_MEMORY ? "Not Enough Memory for Maps"
                      : Ll.errorCode == LL_ERR_BP   ? "Internal Boxes and Paths Failed to Load"
                      : Ll.errorCode == LL_ERR_C    ? "Internal Cells Failed to Load"
                                                    : nullptr;
    if (why) ErrorShow(why);
  }
  LlResultText(Ll, result, (long)(std::time(nullptr) - RunStart), text, size);
  LlMapsFree(Ll);
}

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {13, "Go", "MGO"},
};

const SatProgram kProg = {
    "QuilLL", "QuilLL7", "QUILLL", "QUILLLAC", "QUILLL.HTM",
    "%d Map Bits\n\nMax Cell Collection: %d Cells\n\nMax Objects:\n    5000000 Boxes\n    2500000 Paths\n    "
    "12500000 Vertices\n    1000000 Cells",
    {1024, 8190}, LlKeys, LlDefaults, nullptr, ApplyHook, Run, Closing, kButtons, 4, &SatEditionPlain,
    "Aborting ... OK ?",
};

// ---- rounding question ----

INT_PTR CALLBACK RndoffProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, IDC_RND_TEXT, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_RND_IGNORE: EndDialog(dialog, LL_RND_IGNORE); return TRUE;
        case IDC_RND_PATHS: EndDialog(dialog, LL_RND_PATHS); return TRUE;
        case IDC_RND_ALL: EndDialog(dialog, LL_RND_ALL); return TRUE;
        case IDCANCEL: EndDialog(dialog, LL_RND_ABORT); return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, LL_RND_IGNORE);
      return TRUE;
    default:
      return FALSE;
  }
}

int Roundoff(const char* text) {
  INT_PTR r = DialogBoxParamA(SatWin.inst, "RNDOFF", SatOwner(), RndoffProc, reinterpret_cast<LPARAM>(text));
  return r < 0 ? LL_RND_IGNORE : (int)r;
}

// ---- map view ----

void MapPaint(HWND dialog, HDC dc) {
  RECT c;
  GetClientRect(dialog, &c);
  int w = c.right - c.left - 8, h = c.bottom - c.top - 28;
  if (w < 1 || h < 1 || !Ll.result.w) return;
  if (!MapperPainted) {
    HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RECT box = {c.left + 4, c.top + 4, c.right - 4, c.bottom - 24};
    FillRect(dc, &box, black);
    MapperPainted = 1;
  }
  // The map as a one-bit picture, rows bottom-up like the area.
  struct {
    BITMAPINFOHEADER h;
    RGBQUAD colours[2];
  } bi = {};
  bi.h.biSize = sizeof bi.h;
  bi.h.biWidth = LL_COLS;
  bi.h.biHeight = LL_COLS;
  bi.h.biPlanes = 1;
  bi.h.biBitCount = 1;
  bi.colours[1].rgbRed = bi.colours[1].rgbGreen = bi.colours[1].rgbBlue = 192;
  static uint32_t bits[LL_COLS * LL_STRIPS];
  for (int y = 0; y < LL_COLS; ++y)
    for (int s = 0; s < LL_STRIPS; ++s) {
      uint32_t v = Ll.result.w[(size_t)s * LL_STRIP_WORDS + y];
      // DIB rows are bytes left to right, most significant bit first.
      bits[(size_t)y * LL_STRIPS + s] = ((v >> 24) & 0xff) | ((v >> 8) & 0xff00) | ((v << 8) & 0xff0000) | (v << 24);
    }
  StretchDIBits(dc, c.left + 4, c.top + 4, w, h, 0, 0, LL_COLS, LL_COLS, bits, reinterpret_cast<BITMAPINFO*>(&bi),
                DIB_RGB_COLORS, SRCCOPY);
}

INT_PTR CALLBACK MapperProc(HWND dialog, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      Mapper = dialog;
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(dialog, &ps);
      MapPaint(dialog, dc);
      EndPaint(dialog, &ps);
      return TRUE;
    }
    case WM_CLOSE:
      return TRUE;  // closes with its area
    default:
      return FALSE;
  }
}

void MapperShow(LlState& st, int) {
  if (!Mapper) {
    MapperPainted = 0;
    CreateDialogParamA(SatWin.inst, "MAPPER", SatWin.main, MapperProc, 0);
  }
  if (!Mapper) return;
  char t[300];
  double s = st.scale;
  const char* u = SatSetup.physunit;
  snprintf(t, sizeof t, "L=%.*g%s B=%.*g%s R=%.*g%s T=%.*g%s", 9, st.L / s, u, 9, st.B / s, u, 9, st.R / s, u, 9,
           st.T / s, u);
  SetDlgItemTextA(Mapper, IDC_MAPTEXT, t);
  ShowWindow(Mapper, SW_SHOWNORMAL);
  InvalidateRect(Mapper, nullptr, FALSE);
  UpdateWindow(Mapper);
}

void Caption(const char* text) {
  if (SatWin.display) SetWindowTextA(SatWin.display, text);
}

// ---- DISPLAY ----

INT_PTR CALLBACK LlDisplayDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.display = dialog;
      SatWin.displayList = GetDlgItem(dialog, IDC_MSGLIST);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (MsgBoxShow(dialog, "Aborting ... OK ?", "QuilLL", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES)
          SatFrame.abortFlag = 1;
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (MsgBoxShow(dialog, "Aborting ... OK ?", "QuilLL", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES) {
        SatFrame.abortFlag = 1;
        DestroyWindow(dialog);
        SatWin.display = nullptr;
        SatWin.displayList = nullptr;
      }
      return TRUE;
    case WM_PAINT:
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- SETUP ----

const int kEdits[] = {IDC_CELL, IDC_RESULT, IDC_LAYA, IDC_LAYB, IDC_LAYC, 105, 106, IDC_PRES,
                      108,      109,        110,      111,      112,      113};

struct Check {
  int id, slot;
};
const Check kChecks[] = {{IDC_NOTC, LL_NOTC}, {IDC_NOTA, LL_NOTA}, {IDC_NOTB, LL_NOTB}, {IDC_TRUE, LL_LBT},
                         {IDC_POLY, LL_POLY}, {IDC_VXR, LL_VXR},   {IDC_OLD, LL_OLD}};

void Enables(HWND dialog) {
  bool poly = IsDlgButtonChecked(dialog, IDC_POLY) == BST_CHECKED;
  bool vxr = IsDlgButtonChecked(dialog, IDC_VXR) == BST_CHECKED;
  EnableWindow(GetDlgItem(dialog, IDC_LAYB), IsDlgButtonChecked(dialog, IDC_TRUE) != BST_CHECKED);
  EnableWindow(GetDlgItem(dialog, IDC_VXR), poly);
  EnableWindow(GetDlgItem(dialog, IDC_PRES), poly && vxr);
}

void BoundsShow(HWND dialog) {
  for (int k = 0; k < 4; ++k) SetDlgItemTextA(dialog, 108 + k, UsfSlot(LL_BL + k));
}

INT_PTR CALLBACK LlSetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      for (int k = 0; k < 14; ++k) SetDlgItemTextA(dialog, kEdits[k], UsfSlot(k));
      for (const Check& c : kChecks) {
        bool on = UsfSlot(c.slot)[0] == 'Y';
        if (c.id == IDC_VXR) on = on && UsfSlot(LL_POLY)[0] == 'Y';
        CheckDlgButton(dialog, c.id, on ? BST_CHECKED : BST_UNCHECKED);
      }
      int op = Ll.set.op < 0 || Ll.set.op > 2 ? 0 : Ll.set.op;
      CheckRadioButton(dialog, IDC_AND, IDC_XOR, IDC_AND + op);
      LlSetupKeep(Ll);
      Enables(dialog);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDC_AND:
        case IDC_OR:
        case IDC_XOR:
          snprintf(UsfSlot(LL_LOG), SAT_SLOT_SIZE, "%d", LOWORD(wParam) - IDC_AND);
          Ll.set.op = LOWORD(wParam) - IDC_AND;
          return TRUE;
        case IDC_POLY:
        case IDC_VXR:
        case IDC_TRUE:
          Enables(dialog);
          return TRUE;
        case IDC_LIST:
          if (DialogBoxParamA(SatWin.inst, "ANYLIST", dialog, AnyListProc, 0) == 1)
            SetDlgItemTextA(dialog, IDC_CELL, SatFrame.shared);
          return TRUE;
        case IDC_FIT: {
          GetDlgItemTextA(dialog, IDC_CELL, UsfSlot(LL_CLN), SAT_SLOT_SIZE);
          LlFit(Ll, UsfSlot(LL_CLN));
          Apply(1);
          BoundsShow(dialog);
          return TRUE;
        }
        case IDOK:
          for (int k = 0; k < 14; ++k) GetDlgItemTextA(dialog, kEdits[k], UsfSlot(k), SAT_SLOT_SIZE);
          for (const Check& c : kChecks)
            snprintf(UsfSlot(c.slot), SAT_SLOT_SIZE, "%s", IsDlgButtonChecked(dialog, c.id) == BST_CHECKED ? "Y" : "N");
          Apply(1);
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
          LlSetupCancel(Ll);
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

void Created(void*) {
  // From now on an empty resolution field means one database unit.
  Ll.set.fallback = 1.0 / (SatSetup.scale > 0 ? SatSetup.scale : 1000.0);
}

int CellListRead() { return LlCellListRead(); }

const SatWinProgram kWin = [] {
  SatWinProgram w = {&kProg, LlSetupDlgProc, LlDisplayDlgProc, nullptr, nullptr, Created, nullptr};
  w.crfRead = CellListRead;
  return w;
}();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Ll.ops.roundoff = Roundoff;
  Ll.ops.mapShow = MapperShow;
  Ll.ops.mapClose = MapperClose;
  Ll.ops.caption = Caption;
  return SatWinMain(instance, &kWin, &Ll);
}
