// QUILCKT7.EXE: the circuit extractor's window on the common satellite
// frame's dialogs. Its settings (seven groups) and its runs are the
// platform-free engine's; this file is the windows around them.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ckt_compile.h"
#include "ckt_extract.h"
#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"
#include "satframe.h"
#include "satres.h"
#include "satsetup.h"

namespace {

enum {
  ID_LVS = 12, ID_SETUP = 13, ID_TRACE = 14, ID_CAP = 15, ID_ANT = 16, ID_SMASH = 17, ID_OMIT = 18, ID_GO = 19,
  IDC_LIST_CELL = 1002, IDC_LAYOUT = 1005, IDC_BROWSE_PAF = 1006, IDC_BROWSE_1 = 1046, IDC_BROWSE_2 = 1047,
  IDC_DEFAULT = 1130, IDC_SINGLE = 1200, IDC_COMPARE = 20, IDC_DISPLAY1_LIST = 1093, IDC_DISPLAY2_LIST = 1092,
};

const SatButton kButtons[] = {
    {10, "Help", "MXPHELP"}, {11, "Run", "MRUN"},     {12, "LVS", "MCOMP"},   {13, "Setup", "MSETUP"},
    {14, "Trace", "MTRACE"}, {15, "Cap", "MCAP"},     {16, "Ant", "MANT1"},   {17, "Smsh", "MSMASH"},
    {18, "Omit", "MOMIT"},   {19, "Go", "MGO"},
};
const char* const kNoKeys[] = {nullptr};

SatProgram kProg = {
    CKT_DISPLAY_NAME, "QuilCkt7", "QUILCKT", "QUILCKTAC", "QUILCKT.HTM", nullptr, {0, 0}, kNoKeys, nullptr,
    nullptr, nullptr, nullptr, nullptr, kButtons, 10, &SatEditionEditor, "Aborting Compile ... OK ?",
};
const SatWinProgram kWin = {&kProg, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr};

struct Ckt7 {
  HWND display1 = nullptr, list1 = nullptr, display2 = nullptr, list2 = nullptr;
  int startFail = 0;
  int batch = 0;  // three tokens given: run Go and close
  char cmdLine[1024] = "";
  int capPair = 1;
};
Ckt7 App;
ckt::CktState Ckt;  // the program's one extractor state

const char* Val(int g, int s) { return Ckt.set.val[g][s]; }
void SetVal(int g, int s, const char* t) { snprintf(Ckt.set.val[g][s], ckt::CKT_VALUE, "%s", t); }

// ---- host seam ----

int HostMsg(const char* text, const char* caption, int kind, int type) {
  const char* cap = CKT_DISPLAY_NAME;
  if (kind == HOST_CAP_ERROR) cap = "Error ...";
  if (kind == HOST_CAP_WARNING) cap = "Warning ...";
  if (kind == HOST_CAP_OWN && caption) cap = caption;
  return MsgBoxShow(SatWin.main, text, cap, (UINT)type);
}
void HostStat(const char* text) {
  if (App.display1) SetDlgItemTextA(App.display1, 500, text);
}
void HostProg(long, long) {}
int HostPoll() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) ? 1 : 0; }
void HostPauseMs(int ms) { PauseShow(App.display1 ? App.display1 : SatWin.main, ms); }
const HostOps kHost = {HostMsg, HostStat, HostProg, HostPoll, HostPauseMs};

void Status2(const char* text) {
  if (App.display1) SetDlgItemTextA(App.display1, 501, text);
}

void SetNum(int id, int v) {
  char b[16];
  snprintf(b, sizeof b, "%d", v);
  if (App.display1) SetDlgItemTextA(App.display1, id, b);
}

// The counters of a cell just extracted.
void CountersShow(ckt::CktState& st, int32_t, int isMain) {
  if (!App.display1) return;
  const ckt::CktNodes& n = st.nodes;
  int real = n.pinReal + n.pinDirect;
  // The node row counts distinct node names by kind.
  const ckt::CktCompile& k = st.compile;
  SetNum(510, n.devices);
  SetNum(511, k.kindReal);
  SetNum(512, k.kindVirtual);
  SetNum(513, k.kindSymbol);
  SetNum(514, k.kindReal + k.kindVirtual + k.kindSymbol);
  SetNum(515, n.devCount);
  SetNum(516, n.pinReal);
  SetNum(517, n.pinDirect);
  SetNum(518, n.pinVirtual);
  SetNum(519, n.pinSymbol);
  SetNum(520, real + n.pinVirtual + n.pinSymbol);
  SetDlgItemTextA(App.display1, 1099, isMain ? "Main Cell Nodes" : "Subcircuit Nodes");
  char b[40];
  snprintf(b, sizeof b, "Level Depth is %d", n.levelDepth);
  SetDlgItemTextA(App.display1, 804, b);
  snprintf(b, sizeof b, "%d Warnings  %d Errors", Ckt.run.warnCount, Ckt.run.errCount);
  SetDlgItemTextA(App.display1, 805, b);
}

void ListAdd(const char* text) {
  if (!App.list1) return;
  LRESULT i = SendMessageA(App.list1, LB_ADDSTRING, 0, (LPARAM)text);
  if (i >= 0) SendMessageA(App.list1, LB_SETTOPINDEX, (WPARAM)i, 0);
}
void ListClear() {
  if (App.list1) SendMessageA(App.list1, LB_RESETCONTENT, 0, 0);
}

// ---- dialogs ----

struct Field {
  int id, group, slot;
  char kind;  // 'e' edit, 'c' check box
};

void FieldsInit(HWND d, const Field* f, int n) {
  for (int i = 0; i < n; i++) {
    if (f[i].kind == 'e') SetDlgItemTextA(d, f[i].id, Val(f[i].group, f[i].slot));
    else CheckDlgButton(d, f[i].id, Val(f[i].group, f[i].slot)[0] == 'Y' ? BST_CHECKED : BST_UNCHECKED);
  }
}

void FieldsStore(HWND d, const Field* f, int n) {
  for (int i = 0; i < n; i++) {
    if (f[i].kind == 'e')
      GetDlgItemTextA(d, f[i].id, Ckt.set.val[f[i].group][f[i].slot], ckt::CKT_VALUE);
    else
      SetVal(f[i].group, f[i].slot, IsDlgButtonChecked(d, f[i].id) == BST_CHECKED ? "Y" : "N");
  }
}

int Checked(HWND d, int id) { return IsDlgButtonChecked(d, id) == BST_CHECKED; }

const Field kMain[] = {
    {100, 0, 0, 'e'},  {101, 0, 1, 'e'},  {102, 0, 2, 'e'},  {103, 0, 3, 'e'},  {104, 0, 4, 'e'},
    {105, 0, 5, 'e'},  {106, 0, 6, 'e'},  {107, 0, 7, 'e'},  {108, 0, 8, 'e'},  {109, 0, 9, 'e'},
    {110, 0, 10, 'c'}, {111, 0, 11, 'c'}, {112, 0, 12, 'c'}, {113, 0, 13, 'c'}, {114, 0, 14, 'c'},
    {115, 0, 15, 'c'}, {116, 0, 16, 'c'}, {117, 0, 17, 'c'}, {118, 0, 18, 'c'}, {119, 0, 19, 'c'},
    {120, 0, 20, 'c'}, {121, 0, 21, 'c'}, {122, 0, 22, 'c'}, {123, 0, 23, 'c'}, {124, 0, 24, 'c'},
    {125, 0, 25, 'c'}, {126, 0, 26, 'c'}, {127, 0, 27, 'c'}, {128, 0, 28, 'e'}, {129, 0, 29, 'e'},
    {130, 0, 30, 'e'}, {131, 0, 31, 'e'},
};

void MainEnables(HWND d) {
  BOOL script = Checked(d, 122) || Checked(d, 123);
  EnableWindow(GetDlgItem(d, 124), script);
  EnableWindow(GetDlgItem(d, 125), script);
  EnableWindow(GetDlgItem(d, 129), !Checked(d, 127));
}

// The frame's open dialog, the chosen file kept as the settings keep it.
void Browse(HWND d, int target, const char* filter, const char* title) {
  if (!SatBrowse(d, target, filter, title)) return;
  char file[SAT_PATH_SIZE];
  GetDlgItemTextA(d, target, file, sizeof file);
  char cut[ckt::CKT_VALUE];
  snprintf(cut, sizeof cut, "%s", ckt::PathFix(file));
  SetDlgItemTextA(d, target, cut);
}

INT_PTR CALLBACK MainSetupProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  const int n = sizeof kMain / sizeof kMain[0];
  if (SatDlgCancel(d, msg, wp)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      FieldsInit(d, kMain, n);
      CheckDlgButton(d, IDC_SINGLE, Checked(d, 115) ? BST_UNCHECKED : BST_CHECKED);
      CheckDlgButton(d, IDC_LAYOUT, Checked(d, 126) ? BST_UNCHECKED : BST_CHECKED);
      MainEnables(d);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case 122: case 123: case 127:
          MainEnables(d);
          return TRUE;
        case IDC_DEFAULT:
          CheckDlgButton(d, 122, BST_CHECKED);
          CheckDlgButton(d, 123, BST_CHECKED);
          CheckDlgButton(d, 127, BST_CHECKED);
          CheckDlgButton(d, 124, BST_UNCHECKED);
          CheckDlgButton(d, 125, BST_UNCHECKED);
          MainEnables(d);
          return TRUE;
        case IDC_LIST_CELL:
          if (DialogBoxParamA(SatWin.inst, "ANYLIST", d, AnyListProc, 0) == 1) SetDlgItemTextA(d, 100, SatFrame.shared);
          return TRUE;
        case IDC_BROWSE_PAF:
          Browse(d, 101, "Alias Files (*.paf)\0*.paf\0All Files (*.*)\0*.*\0", "Alias File Select");
          return TRUE;
        case IDC_BROWSE_1:
          Browse(d, 102, "Header Files (*.hdr)\0*.hdr\0All Files (*.*)\0*.*\0", "Header File Select");
          return TRUE;
        case IDC_BROWSE_2:
          Browse(d, 103, "Footer Files (*.ftr)\0*.ftr\0All Files (*.*)\0*.*\0", "Footer File Select");
          return TRUE;
        case IDOK:
          if (!Checked(d, 122) && !Checked(d, 123)) {
            CheckDlgButton(d, 124, BST_UNCHECKED);
            CheckDlgButton(d, 125, BST_UNCHECKED);
          }
          FieldsStore(d, kMain, n);
          ckt::SetupApply(Ckt, ckt::GRP_MAIN, 1);
          EndDialog(d, 1);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

// Dialogs that are a table of fields with OK and Cancel, and for the name
// lists a List button filling the first empty edit.
struct TableDlg {
  const Field* fields;
  int count;
  int group;
  int firstName, lastName;  // name edits for List, 0 when none
};

Field g_trace[23], g_ant[19], g_smash[32], g_omit[21], g_lvs[5];
TableDlg g_tables[5];

INT_PTR CALLBACK TableProc(HWND d, UINT msg, WPARAM wp, LPARAM lp) {
  const TableDlg* t = (const TableDlg*)GetWindowLongPtrA(d, DWLP_USER);
  if (msg == WM_COMMAND && !t) return FALSE;
  if (SatDlgCancel(d, msg, wp)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(d, DWLP_USER, lp);
      t = (const TableDlg*)lp;
      FieldsInit(d, t->fields, t->count);
      return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_LIST_CELL:
          if (t->firstName && DialogBoxParamA(SatWin.inst, "ANYLIST", d, AnyListProc, 0) == 1) {
            for (int id = t->firstName; id <= t->lastName; id++) {
              char buf[8];
              if (GetDlgItemTextA(d, id, buf, sizeof buf) == 0) {
                SetDlgItemTextA(d, id, SatFrame.shared);
                break;
              }
            }
          }
          return TRUE;
        case IDC_BROWSE_1:
          Browse(d, 200, "NOD Files (*.nod)\0*.nod\0All Files (*.*)\0*.*\0", "NOD File Select");
          return TRUE;
        case IDC_BROWSE_2:
          Browse(d, 201, "NOD Files (*.nod)\0*.nod\0All Files (*.*)\0*.*\0", "NOD File Select");
          return TRUE;
        case IDOK:
        case IDC_COMPARE:
          FieldsStore(d, t->fields, t->count);
          ckt::SetupApply(Ckt, t->group, 1);
          EndDialog(d, LOWORD(wp) == IDC_COMPARE ? 2 : 1);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void TablesInit() {
  for (int i = 0; i < 5; i++) g_lvs[i] = Field{200 + i, 1, i, 'e'};
  for (int i = 0; i < 23; i++) g_trace[i] = Field{300 + i, 2, i, 'e'};
  g_ant[0] = Field{2000, 4, 0, 'c'};
  g_ant[1] = Field{2001, 4, 1, 'c'};
  for (int i = 2; i < 19; i++) g_ant[i] = Field{2000 + i, 4, i, 'e'};
  for (int i = 0; i < 32; i++) g_smash[i] = Field{700 + i, 5, i, 'e'};
  for (int i = 0; i < 20; i++) g_omit[i] = Field{1100 + i, 6, i, 'e'};
  g_omit[20] = Field{1150, 6, 20, 'c'};
  g_tables[0] = TableDlg{g_lvs, 5, 1, 0, 0};
  g_tables[1] = TableDlg{g_trace, 23, 2, 0, 0};
  g_tables[2] = TableDlg{g_ant, 19, 4, 0, 0};
  g_tables[3] = TableDlg{g_smash, 32, 5, 700, 731};
  g_tables[4] = TableDlg{g_omit, 21, 6, 1100, 1119};
}

// The four values of a layer pair: edits 3010..3013, slots of sixteen each.
const int kCapFirstSlot[4] = {2, 18, 34, 50};

void CapShowPair(HWND d) {
  int n = App.capPair - 1;
  char num[8];
  snprintf(num, sizeof num, "%d", App.capPair);
  SetDlgItemTextA(d, 3100, num);
  for (int k = 0; k < 4; k++) SetDlgItemTextA(d, 3010 + k, Val(3, kCapFirstSlot[k] + n));
}

void CapStorePair(HWND d) {
  int n = App.capPair - 1;
  for (int k = 0; k < 4; k++) GetDlgItemTextA(d, 3010 + k, Ckt.set.val[3][kCapFirstSlot[k] + n], ckt::CKT_VALUE);
}

INT_PTR CALLBACK CapProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  if (SatDlgCancel(d, msg, wp)) return TRUE;
  switch (msg) {
    case WM_INITDIALOG: {
      const char* u = Val(3, 0);
      int unit = strcasecmp(u, "fF") == 0 ? 1 : strcasecmp(u, "aF") == 0 ? 2 : 0;
      CheckRadioButton(d, 3000, 3002, 3000 + unit);
      for (int b = 0; b < 3; b++) CheckDlgButton(d, 3003 + b, (Ckt.set.capFlags >> b) & 1 ? BST_CHECKED : BST_UNCHECKED);
      CapShowPair(d);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case 3101:
        case 3102:
          CapStorePair(d);
          App.capPair += LOWORD(wp) == 3101 ? -1 : 1;
          if (App.capPair < 1) App.capPair = 1;
          if (App.capPair > 16) App.capPair = 16;
          CapShowPair(d);
          return TRUE;
        case IDOK: {
          CapStorePair(d);
          SetVal(3, 0, Checked(d, 3001) ? "fF" : Checked(d, 3002) ? "aF" : "pF");
          char n[8];
          snprintf(n, sizeof n, "%d", Checked(d, 3003) | Checked(d, 3004) << 1 | Checked(d, 3005) << 2);
          SetVal(3, 1, n);
          ckt::SetupApply(Ckt, ckt::GRP_CAP, 1);
          EndDialog(d, 1);
          return TRUE;
        }
      }
      return FALSE;
  }
  return FALSE;
}

// ---- progress dialogs ----

int AbortAsked(HWND d) { return MsgBoxShow(d, "Aborting Compile ... OK ?", CKT_DISPLAY_NAME, MB_YESNO) == IDYES; }

// The progress dialog is gone and the run may not go on.
void CompileDisplayEnd(HWND d) {
  if (d) DestroyWindow(d);
  App.display1 = nullptr;
  App.list1 = nullptr;
  Ckt.run.abortFlag = 1;
}

INT_PTR CALLBACK CompileDisplayProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      App.display1 = d;
      App.list1 = GetDlgItem(d, IDC_DISPLAY1_LIST);
      return TRUE;
    case WM_CLOSE:
      if (AbortAsked(d)) CompileDisplayEnd(d);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) {
        if (AbortAsked(d)) Ckt.run.abortFlag = 1;
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

void Go(HWND main) {
  CreateDialogParamA(SatWin.inst, "DISPLAY1", main, CompileDisplayProc, 0);
  if (!App.display1) {
    HostError("Unable to Show the Progress Dialog");
    return;
  }
  ShowWindow(App.display1, SW_SHOWNORMAL);
  SetFocus(App.display1);
  SetWindowTextA(App.display1, "Compiling ...");
  SetDlgItemTextA(App.display1, 800, Ckt.set.flag[ckt::S_SCH] ? "Using Schematic Rules" : "Using Layout Rules");
  SetDlgItemTextA(App.display1, 801, "No Antenna Rules");
  SetDlgItemTextA(App.display1, 802, "Compiling Spice Circuit File");
  int result = ckt::CompileRun(Ckt);
  ShowWindow(main, SW_RESTORE);
  char counts[64];
  snprintf(counts, sizeof counts, "%d Warnings  %d Errors", Ckt.run.warnCount, Ckt.run.errCount);
  if (App.display1) SetDlgItemTextA(App.display1, 805, counts);
  ckt::CompileFinish(Ckt, result, App.batch);
  ckt::StoreFreeAll(Ckt);
  CompileDisplayEnd(App.display1);
  if (App.batch) PostMessageA(main, WM_CLOSE, 0, 0);
}

void ShowAllocation(HWND main) {
  char text[800];
  snprintf(text, sizeof text,
           "Version %s %s\n\nMax Nodes: \n  %d on a Single Cell\n\nMax Connectors:\n  %d on a Single Cell\n  %d Total on all "
           "Lower Cells  \n\nMax Virtual Nodes:\n  %d Total on all Conductors  \n\nMax Cell Collection: %d Cells\n\nMax "
           "Objects/Cell:\n    %d Boxes\n    %d Paths\n    %d Vertices\n    %d Cells%s",
           CKT_VERSION, CKT_VERSION2, 25000, 25000, 50000, 100000, 8190, 5000000, 2500000, 12500000, 1000000,
           SatSetup.winemods ? "\n\nWine Mode is On" : "");
  MsgBoxShow(main, text, "Allocation", 0);
}

void ShowMemory(HWND main) {
  char text[300];
  snprintf(text, sizeof text,
           "Object Record Size:\n    Box %d  Pth %d  Vtx %d  Cel %d\n\nObject Records per Block:\n    Box %d  Pth %d  Vtx %d  "
           "Cel %d",
           24, 16, 16, 12, 341, 512, 512, 682);
  MsgBoxShow(main, text, "Memory Diagnostic Information", 0);
}

void SaveAndQuit(HWND hwnd) {
  RECT r;
  if (GetWindowRect(hwnd, &r)) {
    char b[16];
    snprintf(b, sizeof b, "%ld", (long)r.left);
    SetVal(0, ckt::S_LFT, b);
    snprintf(b, sizeof b, "%ld", (long)r.top);
    SetVal(0, ckt::S_TOP, b);
    snprintf(b, sizeof b, "%ld", (long)r.right);
    SetVal(0, ckt::S_RGT, b);
    snprintf(b, sizeof b, "%ld", (long)r.bottom);
    SetVal(0, ckt::S_BOT, b);
  }
  if (!App.startFail) {
    for (int i = 0; i < 16; i++) {
      snprintf(Ckt.set.rdp[i], 260, "%s", SatFrame.recentApp[i]);
      snprintf(Ckt.set.rdf[i], 260, "%s", SatFrame.recentFile[i]);
    }
    ckt::UsfWrite(Ckt, "QuilCkt.usf");
  }
  PostQuitMessage(0);
}

void Command(HWND hwnd, int id) {
  char prog[MAX_PATH], arg[MAX_PATH];
  switch (id) {
    case 10:
      snprintf(prog, sizeof prog, "%s\\QUIL7\\HELPRUN7.EXE", SatFrame.progDrive);
      snprintf(arg, sizeof arg, "%s\\QUIL7\\HELP\\QUILHELP.CHM::/QUILCKT.HTM", SatFrame.progDrive);
      if (!RunProgram(prog, arg)) HostError("Can't Find Help");
      break;
    case 11:
      if (DialogBoxParamA(SatWin.inst, "RUNNER", hwnd, RunnerProc, 0) == 1 &&
          !RunProgram(SatFrame.curApp, SatFrame.curFile))
        HostError("Can't Find Application");
      SatWin.runner = nullptr;
      break;
    case ID_LVS:
      if (DialogBoxParamA(SatWin.inst, "LVSSETUP", hwnd, TableProc, (LPARAM)&g_tables[0]) == 2)
        ckt::ErrLogBox(Ckt, "The Node List Compare is not Part of this Version");
      break;
    case ID_SETUP:
      DialogBoxParamA(SatWin.inst, "MAINSETUP", hwnd, MainSetupProc, 0);
      break;
    case ID_TRACE:
      DialogBoxParamA(SatWin.inst, "TRACE", hwnd, TableProc, (LPARAM)&g_tables[1]);
      break;
    case ID_CAP:
      DialogBoxParamA(SatWin.inst, "CAP", hwnd, CapProc, 0);
      break;
    case ID_ANT:
      DialogBoxParamA(SatWin.inst, "ANT", hwnd, TableProc, (LPARAM)&g_tables[2]);
      break;
    case ID_SMASH:
      DialogBoxParamA(SatWin.inst, "SMASH", hwnd, TableProc, (LPARAM)&g_tables[3]);
      break;
    case ID_OMIT:
      DialogBoxParamA(SatWin.inst, "OMIT", hwnd, TableProc, (LPARAM)&g_tables[4]);
      break;
    case ID_GO:
      Go(hwnd);
      break;
  }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  char text[600];
  switch (msg) {
    case WM_CREATE: {
      SatMainCreate(hwnd);
      if (App.startFail) {
        Ckt.run.abortFlag = 1;
        snprintf(text, sizeof text,
                 "The Current Folder is %s\n\nThe Main Setup File is Missing\n\nStart a QUIL Drawing to Create One\n\n"
                 "This Program Should Run from a Drawing Folder",
                 SatFrame.startFolder);
        HostError(text);
      } else if (ckt::CrfRead(Ckt)) {
        App.startFail = 1;
        Ckt.run.abortFlag = 1;
        snprintf(text, sizeof text,
                 "The Current Folder is %s\n\nThe Cell Reference File is Missing and is not a Drawing Folder\n\n"
                 "This Program Should Run from a Drawing Folder",
                 SatFrame.startFolder);
        HostError(text);
      } else {
        SatCrfRead();  // the cell list of ANYLIST
        ckt::UsfRead(Ckt, "QuilCkt.usf");
        for (int i = 0; i < 16; i++) {
          snprintf(SatFrame.recentApp[i], SAT_PATH_SIZE, "%s", Ckt.set.rdp[i]);
          snprintf(SatFrame.recentFile[i], SAT_PATH_SIZE, "%s", Ckt.set.rdf[i]);
        }
        if (App.batch) {
          ckt::SetupBatchTokens(Ckt, App.cmdLine);
          ckt::SetupApply(Ckt, ckt::GRP_MAIN, 0);
          ckt::UsfWrite(Ckt, "QuilCkt.usf");
        }
      }
      return 0;
    }
    case WM_CLOSE:
    case WM_DESTROY:
      return SatMainClose(hwnd, msg, (App.display1 || App.display2) && !Ckt.run.abortFlag, SaveAndQuit);
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CHAR:
      if (wp == 1) {
        ShowAllocation(hwnd);
        return 0;
      }
      if (wp == 4) {
        ShowMemory(hwnd);
        return 0;
      }
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_COMMAND:
      if (App.display1 || App.display2) return 0;
      Command(hwnd, LOWORD(wp));
      return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

int CountTokens(const char* s) {
  int n = 0;
  while (*s) {
    while (*s == ' ' || *s == '\t') s++;
    if (!*s) break;
    n++;
    while (*s && *s != ' ' && *s != '\t') s++;
  }
  return n;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  SatWin = SatWinState();
  SatWin.inst = instance;
  SatWin.win = &kWin;
  SatProgramSet(&kProg);
  HostSet(&kHost);
  ckt::CktRunReset(Ckt);
  ckt::StoreReset(Ckt);
  ckt::SetupDefaults(Ckt);  // the working variables are valid before any file is read
  Ckt.run.pollEverySecond = 1;
  Ckt.run.listAdd = ListAdd;
  Ckt.run.listClear = ListClear;
  Ckt.run.status2 = Status2;
  Ckt.extract.cellDone = CountersShow;
  Ckt.nodes.useIndex = 1;
  ckt::NodesReset(Ckt);
  TablesInit();

  SatWinStart();
  Ckt.set.screenW = SatWin.fullW;
  Ckt.set.screenH = SatWin.fullH;
  App.startFail = ckt::UsfMainRead(Ckt, "QUIL7.USF") ? 2 : 0;
  ::UsfMainRead();  // message box and tool bar options of the common dialogs
  snprintf(App.cmdLine, sizeof App.cmdLine, "%s", cmdLine ? cmdLine : "");
  App.batch = CountTokens(App.cmdLine) >= 3;

  HWND main = SatWinCreate(instance, MainWndProc);
  if (!main) return 1;
  {
    // Ten buttons: the window is as wide as the tool bar needs.
    RECT r, g;
    GetWindowRect(main, &r);
    int goW = 40;
    HWND go = SatWin.toolbar ? GetDlgItem(SatWin.toolbar, ID_GO) : nullptr;
    if (go && GetWindowRect(go, &g)) goW = g.right - g.left;
    int width = goW * 284 / 24;
    int byTitle = goW + (int)strlen(SatWin.title) * SatWin.charW + 4 * SatWin.capBtnW;
    if (byTitle > width) width = byTitle;
    int x = 3 * SatWin.frameW, y = r.top;
    if (Ckt.set.winLeft > 0 && Ckt.set.winTop > 0 && Ckt.set.winRight > Ckt.set.winLeft) {
      x = Ckt.set.winLeft;
      y = Ckt.set.winTop;
      width = Ckt.set.winRight - Ckt.set.winLeft;
    }
    MoveWindow(main, x, y, width, r.bottom - r.top, FALSE);
  }
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);
  SetFocus(main);
  if (App.batch && !App.startFail) PostMessageA(main, WM_COMMAND, ID_GO, 0);

  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    if (App.display2 && IsDialogMessageA(App.display2, &m)) continue;
    if (App.display1 && IsDialogMessageA(App.display1, &m)) continue;
    if (SatWin.accel && SatWin.main && TranslateAcceleratorA(SatWin.main, SatWin.accel, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  SatWinBitmapsFree();
  ckt::StoreFreeAll(Ckt);
  return (int)m.wParam;
}
