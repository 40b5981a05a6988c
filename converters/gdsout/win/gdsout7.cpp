// GDSOUT7.EXE: TLC cells to a GDSII Stream file, on the common satellite
// frame. The conversion itself is the platform-free engine (gdsout.h);
// this file holds the program table, its dialogs and the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "gdsout.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_LAYERS = 13, ID_TEXT = 14, ID_GO = 15,
  IDC_TFN = 100, IDC_GFN = 101, IDC_LDF = 102, IDC_WR2 = 103, IDC_LSB = 104, IDC_LAM = 105,
  IDC_CSU = 106, IDC_MPW = 107, IDC_DLN = 108, IDC_FTR = 109,
  IDC_DRO = 110, IDC_LCN = 111, IDC_CTX = 112, IDC_MPP = 113, IDC_DPU = 114, IDC_WTX = 115,
  IDC_BROWSE_LDM = 602, IDC_BROWSE_TLC = 1028,
  IDC_NEXT = 603, IDC_PREV = 604,
  IDC_LDM_TEXT = 1055, IDC_LDM_LAYER = 1056, IDC_LDM_TYPE = 1057,
};

// The program's one conversion state, which its own dialogs and the
// engine's callbacks reach here.
GdsOutState Gout;

SatUsfList kLists[] = {
    {"font", GDSOUT_ROWS * 6, GDSOUT_VALLEN, &Gout.font[0][0]},
    {nullptr, 0, 0, nullptr},
};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"},   {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_LAYERS, "Layers", "MLAYER"},  {ID_TEXT, "Text", "MTEXT"},    {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) {
  GdsOutSetupApply(static_cast<GdsOutState*>(engine), fromSetup);
  GdsOutTextApply(static_cast<GdsOutState*>(engine));
}

// No Setup follows a command-line file: the stored filter holds.
void ArgTaken(void* engine) {
  GdsOutState* st = static_cast<GdsOutState*>(engine);
  GdsOutSelParse(st, st->val[GK_FTR]);
}

// ---- run --------------------------------------------------------------------

void ScaleLine(const char* text) { CounterShow(510, text); }

void ShowCounts(const GdsCounts* cur, const GdsCounts* max) {
  const int32_t v[8] = {cur->boundaries, cur->paths, cur->texts, cur->srefs,
                        max->boundaries, max->paths, max->texts, max->srefs};
  char text[24];
  for (int k = 0; k < 8; ++k) {
    snprintf(text, sizeof text, "%ld", (long)v[k]);
    CounterShow(502 + k, text);
  }
}

int AskLdm(int tlcLayer, int* gds, int* datatype) {
  CnvLdmAsk ask = {Gout.val[GK_LDF], IDC_LDM_TEXT, "", {IDC_LDM_LAYER, IDC_LDM_TYPE}, {tlcLayer, 0}, 2};
  snprintf(ask.text, sizeof ask.text, "TLC Layer= %d is not in LDM File", tlcLayer);
  int answer = CnvLdmAskShow(&ask);
  if (answer == HOST_IDYES) {
    *gds = ask.values[0];
    *datatype = ask.values[1];
  }
  return answer;
}

int Convert(void* engine) { return GdsOutConvert(static_cast<GdsOutState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return GdsOutClosing(static_cast<GdsOutState*>(engine), result, text, size);
}

const SatProgram kProgram = {"GdsOut", "GdsOut7", "GDSOUT", "GDSOUTAC", "CNVRTGDS.HTM", "%d Max TLC Cell List",
                             {GDSOUT_MAXCELLS, 0}, GdsOutKeys, GdsOutDefaults, kLists, CnvSetupApply, CnvRun,
                             CnvClosing, kButtons, CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Convesion ... OK?"};

// ---- SETUP --------------------------------------------------------------------

const int kEdits[] = {IDC_TFN, IDC_GFN, IDC_LDF, IDC_WR2, IDC_LSB, IDC_LAM, IDC_CSU, IDC_MPW, IDC_DLN, IDC_FTR};
const int kChecks[] = {IDC_DRO, IDC_LCN, IDC_CTX, IDC_MPP, IDC_DPU, IDC_WTX};

const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_TLC, IDC_TFN, "TLC Files\0*.tlc\0", "TLC File Select"},
    {IDC_BROWSE_LDM, IDC_LDF, "LDM Files\0*.ldm\0", "Layer Datatype Map File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), GK_DRO, kBrowse, CnvCount(kBrowse)};

// A main cell on the command line replaces the stored one, and the output
// and map names follow it.
CnvProgram Conv = {&Gout, {&Gout.val[0][0], GDSOUT_VALLEN, GDSOUT_NKEYS}, GK_TFN, {GK_GFN, GK_LDF}, Apply, ArgTaken,
                   Convert, Closing, GO_ADDED, &kSetup, "Creating %s", GK_GFN, 0,
                   "??? ... Please do Setup first and then Layers", 1, IDC_DISPLAY_LIST};

// The polygon width only counts without the protocol.
void MpwEnable(HWND dialog) {
  EnableWindow(GetDlgItem(dialog, IDC_MPW), IsDlgButtonChecked(dialog, IDC_MPP) != BST_CHECKED);
}

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && LOWORD(wParam) == IDC_MPP) {
    MpwEnable(dialog);
    return TRUE;
  }
  // OK or not, the filter now decides the layers.
  if (msg == WM_DESTROY) GdsOutSelParse(&Gout, UsfSlot(GK_FTR));
  INT_PTR handled = CnvSetupDlg(dialog, msg, wParam, lParam);
  if (msg == WM_INITDIALOG) MpwEnable(dialog);
  return handled;
}

// ---- TEXT ---------------------------------------------------------------------

INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      for (int k = 0; k < GDSOUT_ROWS * 6; ++k) SetDlgItemTextA(dialog, 200 + k, Gout.font[k]);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          for (int k = 0; k < GDSOUT_ROWS * 6; ++k) GetDlgItemTextA(dialog, 200 + k, Gout.font[k], GDSOUT_VALLEN);
          GdsOutTextApply(&Gout);
          EndDialog(dialog, 1);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// ---- commands -------------------------------------------------------------------

int Command(void* st, HWND main, int id) {
  CnvProgram* cp = static_cast<CnvProgram*>(st);
  switch (id) {
    case ID_LAYERS:
      if (cp->setupNotDone) {
        ErrorShow("??? ... Please do Setup first");
        return 1;
      }
      CnvSlotsToEngine(cp);
      if (GdsOutLayersRead(&Gout)) {
        CnvLayersDlg dlg = {Gout.layers, &Gout.allLayers, "%-9s%d", IDC_NEXT, IDC_PREV, 0};
        CnvLayersRun(main, &dlg);
        GdsOutLayersApply(&Gout);
        CnvEngineToSlots(cp);
      }
      cp->layersNotDone = 0;
      return 1;
    case ID_TEXT:
      DialogBoxParamA(SatWin.inst, "TEXT", main, TextDlgProc, 0);
      return 1;
  }
  return 0;
}

const SatWinProgram kWin = {&kProgram, SetupDlgProc, CnvDisplayDlgProc, CnvDisplayInit, Command, CnvCreated, CnvGoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  GdsOutReset(&Gout);
  CnvEngineWire(&Gout);
  Gout.scaleLine = ScaleLine;
  Gout.showCounts = ShowCounts;
  Gout.ldmAsk = AskLdm;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
