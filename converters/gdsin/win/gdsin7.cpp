// GDSIN7.EXE: a GDSII Stream file to TLC cells, on the common satellite
// frame. The conversion itself is the platform-free engine (gdsin.h); this
// file holds the program table, its dialogs and the command line.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "gdsin.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_TEXT = 13, ID_OMIT = 14, ID_GO = 15,
  IDC_CFN = 100, IDC_TPH = 101, IDC_LDF = 102, IDC_WR2 = 103, IDC_LTA = 104,
  IDC_LSU = 106, IDC_LZL = 107, IDC_MCL = 108,
  IDC_CTX = 109, IDC_COP = 110, IDC_CBB = 111, IDC_OMT = 112, IDC_MLF = 113, IDC_NAM = 114, IDC_WTX = 115,
  IDC_OLD = 116,
  IDC_BROWSE_GDS = 1050, IDC_BROWSE_LDM = 1051,
  IDC_CR = 1002, IDC_LF = 1003,
  IDC_OMIT0 = 300,
  IDC_NN_EDIT = 601, IDC_NN_STRUCT = 1061, IDC_NN_CELL = 1052, IDC_NN_NOTE = 1060,
  IDC_LDM_TEXT = 1004, IDC_LDM_LAYER = 1005,
  IDC_PROGRESS = 1000,
};

// The program's one conversion state, which its own dialogs and the
// engine's callbacks reach here.
GdsInState Gin;

SatUsfList kLists[] = {
    {"font", GDSIN_FONTS, GDSIN_VALLEN, &Gin.font[0][0]},
    {"omit", GDSIN_OMITS, GDSIN_VALLEN, &Gin.omit[0][0]},
    {nullptr, 0, 0, nullptr},
};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_TEXT, "Text", "MTEXT"},       {ID_OMIT, "Omit", "MOMIT"},   {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) {
  GdsInSetupApply(static_cast<GdsInState*>(engine), fromSetup);
  GdsInTextApply(static_cast<GdsInState*>(engine));
}

// ---- run --------------------------------------------------------------------

void Counter(int id, const char* text) { CounterShow(id, text); }
void Progress(int percent) {
  if (SatWin.display) SendDlgItemMessageA(SatWin.display, IDC_PROGRESS, PBM_SETPOS, (WPARAM)percent, 0);
}

int AskLdm(int gds, int datatype, int* tlc) {
  CnvLdmAsk ask = {Gin.val[IK_LDF], IDC_LDM_TEXT, "", {IDC_LDM_LAYER, 0}, {datatype == 0 ? gds : 0, 0}, 1};
  snprintf(ask.text, sizeof ask.text, "GDS Layer= %d  Datatype= %d is not in LDM File", gds, datatype);
  int answer = CnvLdmAskShow(&ask);
  if (answer == HOST_IDYES) *tlc = ask.values[0];
  return answer;
}

int AskNewName(const char* structName, char* tried) {
  CnvNewNameAsk ask = {{IDC_NN_STRUCT, IDC_NN_CELL, IDC_NN_NOTE}, {}, 3, IDC_NN_EDIT, GDSIN_NAMELEN, ""};
  snprintf(ask.texts[0], sizeof ask.texts[0], "Structure Name %s", structName);
  snprintf(ask.texts[1], sizeof ask.texts[1], "Cell Name %s is illegal or already present", tried);
  snprintf(ask.texts[2], sizeof ask.texts[2], "Name will uppercased and\ntruncated to %d characters", GDSIN_NAMELEN);
  snprintf(ask.name, sizeof ask.name, "%s", tried);
  if (!CnvNewNameAskShow(&ask)) return 0;
  snprintf(tried, GDSIN_NAMELEN + 1, "%s", ask.name);
  return 1;
}

int Convert(void* engine) { return GdsInConvert(static_cast<GdsInState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return GdsInClosing(static_cast<GdsInState*>(engine), result, text, size);
}

const SatProgram kProgram = {"GdsIn", "GdsIn7", "GDSIN", "GDSINAC", "CNVRTGDS.HTM",
                             "%d Max GDS Structures\n\n%d Max Boundary Vertices", {GDSIN_MAXSTRUCT, GDSIN_MAXPTS},
                             GdsInKeys, GdsInDefaults, kLists, CnvSetupApply, CnvRun, CnvClosing, kButtons,
                             CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Conversion ... OK?"};

// ---- SETUP --------------------------------------------------------------------

const int kEdits[] = {IDC_CFN, IDC_TPH, IDC_LDF, IDC_WR2, IDC_LTA, -1, IDC_LSU, IDC_LZL, IDC_MCL};
const int kChecks[] = {IDC_CTX, IDC_COP, IDC_CBB, IDC_OMT, IDC_MLF, IDC_NAM, IDC_WTX, IDC_OLD};

const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_GDS, IDC_CFN, "GDS Files\0*.gds\0", "GDS File Select"},
    {IDC_BROWSE_LDM, IDC_LDF, "LDM Files\0*.ldm\0", "Layer Datatype Map File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), IK_CTX, kBrowse, CnvCount(kBrowse)};

// A GDS file on the command line replaces the stored one, and the output
// folder and the map follow it.
CnvProgram Conv = {&Gin, {&Gin.val[0][0], GDSIN_VALLEN, GDSIN_NKEYS}, IK_CFN, {IK_TPH, IK_LDF}, Apply, nullptr,
                   Convert, Closing, GI_ADDED, &kSetup, "Converting %s", IK_CFN, IDC_PROGRESS,
                   "??? ... Please do Setup first.", 0, 0};

// ---- TEXT and OMIT ----------------------------------------------------------------

INT_PTR CALLBACK TextDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      for (int r = 0; r < GDSIN_ROWS; ++r) {
        for (int c = 0; c < 3; ++c) SetDlgItemTextA(dialog, 200 + 6 * r + c, Gin.font[6 * r + c]);
        for (int c = 3; c < 6; ++c)
          CheckDlgButton(dialog, 200 + 6 * r + c, Gin.font[6 * r + c][0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
      }
      CheckRadioButton(dialog, IDC_CR, IDC_LF, Gin.font[GDSIN_ROWS * 6][0] == 'Y' ? IDC_CR : IDC_LF);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          for (int r = 0; r < GDSIN_ROWS; ++r) {
            for (int c = 0; c < 3; ++c) GetDlgItemTextA(dialog, 200 + 6 * r + c, Gin.font[6 * r + c], GDSIN_VALLEN);
            for (int c = 3; c < 6; ++c)
              snprintf(Gin.font[6 * r + c], GDSIN_VALLEN, "%s",
                       IsDlgButtonChecked(dialog, 200 + 6 * r + c) == BST_CHECKED ? "Y" : "N");
          }
          snprintf(Gin.font[GDSIN_ROWS * 6], GDSIN_VALLEN, "%s",
                   IsDlgButtonChecked(dialog, IDC_CR) == BST_CHECKED ? "Y" : "N");
          CnvSlotsToEngine(&Conv);
          Apply(&Gin, 0);
          EndDialog(dialog, 1);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

INT_PTR CALLBACK OmitDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      for (int i = 0; i < GDSIN_OMITS; ++i) SetDlgItemTextA(dialog, IDC_OMIT0 + i, Gin.omit[i]);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK: {
          // The list again from the non-empty edits, in order.
          char rows[GDSIN_OMITS][GDSIN_VALLEN];
          int n = 0;
          for (int i = 0; i < GDSIN_OMITS; ++i) {
            GetDlgItemTextA(dialog, IDC_OMIT0 + i, rows[n], GDSIN_VALLEN);
            CnvClip(rows[n], 0);
            if (rows[n][0]) ++n;
          }
          memset(Gin.omit, 0, sizeof Gin.omit);
          for (int i = 0; i < n; ++i) snprintf(Gin.omit[i], GDSIN_VALLEN, "%s", rows[i]);
          EndDialog(dialog, 1);
          return TRUE;
        }
      }
      return FALSE;
  }
  return FALSE;
}

int Command(void*, HWND main, int id) {
  switch (id) {
    case ID_TEXT:
      DialogBoxParamA(SatWin.inst, "TEXT", main, TextDlgProc, 0);
      return 1;
    case ID_OMIT:
      DialogBoxParamA(SatWin.inst, "OMIT", main, OmitDlgProc, 0);
      return 1;
  }
  return 0;
}

const SatWinProgram kWin = {&kProgram, CnvSetupDlgProc, nullptr, CnvDisplayInit, Command, CnvCreated, CnvGoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  GdsInReset(&Gin);
  CnvEngineWire(&Gin);
  Gin.counter = Counter;
  Gin.progress = Progress;
  Gin.ldmAsk = AskLdm;
  Gin.newName = AskNewName;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
