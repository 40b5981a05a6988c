// CIFIN7.EXE: a CIF file to TLC cells, on the common satellite frame. The
// conversion itself is the platform-free engine (cifin.h); this file holds
// the program table, its dialogs and the command line.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "cifin.h"
#include "cnvcommon.h"
#include "cnvdlg.h"
#include "cnvwin.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_GO = 13,
  IDC_CFN = 100, IDC_CLN = 101, IDC_LFN = 102, IDC_TFP = 103, IDC_UEC = 104,
  IDC_CG1 = 105, IDC_CG2 = 106, IDC_COP = 107, IDC_P2B = 108, IDC_MIP = 109, IDC_MLF = 110,
  IDC_OMT = 111, IDC_OLD = 112, IDC_TMP = 113, IDC_DTS = 114, IDC_WR2 = 115,
  IDC_BROWSE_CIF = 200, IDC_BROWSE_LAYERS = 201, IDC_BROWSE_CELLS = 202,
  IDC_LIST = 1014,
  IDC_NN_EDIT = 601, IDC_NN_STRUCT = 1061, IDC_NN_CELL = 1052, IDC_NN_NOTE = 1060,
};

// The program's one conversion state: the dialogs and the run hooks reach it
// here, as the frame calls them without a context.
CifInState Cin;

SatUsfList kLists[] = {
    {"template", CIFIN_TEMPLATES, CIFIN_VALLEN, &Cin.templates[0][0]},
    {nullptr, 0, 0, nullptr},
};

const char* const kDefaults[CIFIN_NKEYS + 1] = {
    "", "", "", "", "9", "Y", "N", "N", "N", "N", "N", "N", "N", "", "1", "CifIn.log", "", "", "", "", nullptr,
};

const SatButton kButtons[] = {
    {SAT_ID_HELP, "Help", "MXPHELP"}, {SAT_ID_RUN, "Run", "MRUN"}, {SAT_ID_SETUP, "Setup", "MSETUP"},
    {ID_GO, "Go", "MGO"},
};

void Apply(void* engine, int fromSetup) { CifInSetupApply(static_cast<CifInState*>(engine), fromSetup); }

// ---- run --------------------------------------------------------------------

void CounterCall(int id, const char* text) { CounterShow(id, text); }

int AskNewName(const char* symbolName, char* tried) {
  CnvNewNameAsk ask = {{IDC_NN_STRUCT, IDC_NN_CELL, IDC_NN_NOTE}, {}, 3, IDC_NN_EDIT, CIFIN_NAMELEN, ""};
  snprintf(ask.texts[0], sizeof ask.texts[0], "Symbol Name %s", symbolName);
  snprintf(ask.texts[1], sizeof ask.texts[1], "Cell Name %s is illegal or already present", tried);
  snprintf(ask.texts[2], sizeof ask.texts[2], "Name will uppercased and\ntruncated to %d characters", CIFIN_NAMELEN);
  snprintf(ask.name, sizeof ask.name, "%s", tried);
  if (!CnvNewNameAskShow(&ask)) return 0;
  snprintf(tried, CIFIN_NAMELEN + 1, "%s", ask.name);
  return 1;
}

int Convert(void* engine) { return CifInConvert(static_cast<CifInState*>(engine)); }
int Closing(void* engine, int result, char* text, int size) {
  return CifInClosing(static_cast<CifInState*>(engine), result, text, size);
}

const SatProgram kProgram = {"CifIn", "CifIn7", "CIFIN", "CIFINAC", "CNVRTCIF.HTM", "%d Max CIF Cells",
                             {CIFIN_MAXSYMBOLS, 0}, CifInKeys, kDefaults, kLists, CnvSetupApply, CnvRun,
                             CnvClosing, kButtons, CnvCount(kButtons), &SatEditionPlain,
                             "Aborting Convesion ... OK?"};

// ---- SETUP --------------------------------------------------------------------

const int kEdits[] = {IDC_CFN, IDC_CLN, IDC_LFN, IDC_TFP, IDC_UEC};
const int kChecks[] = {IDC_CG1, IDC_CG2, IDC_COP, IDC_P2B, IDC_MIP, IDC_MLF, IDC_OMT, IDC_OLD};
const CnvBrowse kBrowse[] = {
    {IDC_BROWSE_CIF, IDC_CFN, "CIF Files\0*.cif\0", "CIF File Select"},
    {IDC_BROWSE_LAYERS, IDC_LFN, "CIF Files\0*.cif\0", "Layer File Select"},
    {IDC_BROWSE_CELLS, IDC_CLN, "CIF Files\0*.cif\0", "Cell File Select"},
};
const CnvSetup kSetup = {kEdits, CnvCount(kEdits), kChecks, CnvCount(kChecks), CI_CG1, kBrowse, CnvCount(kBrowse)};

// A CIF file on the command line replaces the stored one, and the cell and
// layer files follow it. No run is kept open.
CnvProgram Conv = {&Cin, {&Cin.val[0][0], CIFIN_VALLEN, CIFIN_NKEYS}, CI_CFN, {CI_CLN, CI_LFN}, Apply, nullptr,
                   Convert, Closing, -1, &kSetup, "Converting %s", CI_CFN, 0, "??? ... Please do Setup first", 0, IDC_LIST};

INT_PTR CALLBACK SetupDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    for (int i = 0; i < CIFIN_TEMPLATES; ++i)
      if (Cin.templates[i][0]) SendDlgItemMessageA(dialog, IDC_TMP, CB_ADDSTRING, 0, (LPARAM)Cin.templates[i]);
    SetDlgItemTextA(dialog, IDC_TMP, UsfSlot(CI_TMP));
    SetDlgItemTextA(dialog, IDC_DTS, UsfSlot(CI_DTS));
    SetDlgItemTextA(dialog, IDC_WR2, UsfSlot(CI_WR2));
  }
  if (msg == WM_COMMAND && LOWORD(wParam) == IDOK) {
    // The controls the common part does not know, before it completes all.
    char t[CIFIN_VALLEN];
    GetDlgItemTextA(dialog, IDC_TMP, t, sizeof t);
    CifInTemplatePush(&Cin, t);
    snprintf(UsfSlot(CI_TMP), CIFIN_VALLEN, "%s", t);
    GetDlgItemTextA(dialog, IDC_DTS, UsfSlot(CI_DTS), CIFIN_VALLEN);
    GetDlgItemTextA(dialog, IDC_WR2, UsfSlot(CI_WR2), CIFIN_VALLEN);
  }
  return CnvSetupDlg(dialog, msg, wParam, lParam);
}

// ---- commands -------------------------------------------------------------------

int Command(void*, HWND, int) { return 0; }

const SatWinProgram kWin = {&kProgram, SetupDlgProc, CnvDisplayDlgProc, CnvDisplayInit, Command, CnvCreated, CnvGoRefused};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  CifInReset(&Cin);
  CnvEngineWire(&Cin);
  Cin.counter = CounterCall;
  Cin.newName = AskNewName;
  return CnvWinMain(instance, &kWin, &Conv, cmdLine);
}
