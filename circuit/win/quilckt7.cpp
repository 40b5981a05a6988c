// QUILCKT7.EXE: the circuit extractor's window on the common satellite
// frame's dialogs. Its settings (seven groups) and its runs are the
// platform-free engine's; this file is the windows around them.
#include <windows.h>
#include <commdlg.h>

#include <cstdio>
#include <cstring>

#include "ckt_compare.h"
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
    CKT_DISPLAY_NAME, "QuilCkt7", "QUILCKT", "QUILCKTAC", "QUILCKT.HTM",
    "Max Nodes: \n  %d on a Single Cell\n\nMax Connectors:\n  25000 on a Single Cell\n  50000 Total on all Lower "
    "Cells  \n\nMax Virtual Nodes:\n  100000 Total on all Conductors  \n\nMax Cell Collection: 8190 Cells\n\nMax "
    "Objects/Cell:\n    5000000 Boxes\n    2500000 Paths\n    12500000 Vertices\n    %d Cells",
    {25000, 1000000}, kNoKeys, nullptr, nullptr, nullptr, nullptr, nullptr, kButtons, 10, &SatEditionEditor,
    "Aborting Compile ... OK ?",
};

// The frame's main window and DISPLAY1 (SatWin.display and its list) with
// the extractor's own run state.
struct Ckt7 {
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
  if (SatWin.display) SetDlgItemTextA(SatWin.display, 500, text);
}
void HostProg(long, long) {}
int HostPoll() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) ? 1 : 0; }
void HostPauseMs(int ms) { PauseShow(SatOwner(), ms); }
const HostOps kHost = {HostMsg, HostStat, HostProg, HostPoll, HostPauseMs};

void Status2(const char* text) {
  if (SatWin.display) SetDlgItemTextA(SatWin.display, 501, text);
}

void SetNum(int id, int v) {
  char b[16];
  snprintf(b, sizeof b, "%d", v);
  if (SatWin.display) SetDlgItemTextA(SatWin.display, id, b);
}

// The counters of a cell just extracted.
void CountersShow(ckt::CktState& st, int32_t, int isMain) {
  if (!SatWin.display) return;
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
  SetDlgItemTextA(SatWin.display, 1099, isMain ? "Main Cell Nodes" : "Subcircuit Nodes");
  char b[40];
  snprintf(b, sizeof b, "Level Depth is %d", n.levelDepth);
  SetDlgItemTextA(SatWin.display, 804, b);
  snprintf(b, sizeof b, "%d Warnings  %d Errors", Ckt.run.warnCount, Ckt.run.errCount);
  SetDlgItemTextA(SatWin.display, 805, b);
}

void ListAdd(const char* text) {
  if (!SatWin.displayList) return;
  LRESULT i = SendMessageA(SatWin.displayList, LB_ADDSTRING, 0, (LPARAM)text);
  if (i >= 0) SendMessageA(SatWin.displayList, LB_SETTOPINDEX, (WPARAM)i, 0);
}
void ListClear() {
  if (SatWin.displayList) SendMessageA(SatWin.displayList, LB_RESETCONTENT, 0, 0);
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
  SatWin.display = nullptr;
  SatWin.displayList = nullptr;
  Ckt.run.abortFlag = 1;
}

INT_PTR CALLBACK CompileDisplayProc(HWND d, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      SatWin.display = d;
      SatWin.displayList = GetDlgItem(d, IDC_DISPLAY1_LIST);
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
  if (!SatWin.display) {
    HostError("Unable to Show the Progress Dialog");
    return;
  }
  ShowWindow(SatWin.display, SW_SHOWNORMAL);
  SetFocus(SatWin.display);
  SetWindowTextA(SatWin.display, "Compiling ...");
  SetDlgItemTextA(SatWin.display, 800, Ckt.set.flag[ckt::S_SCH] ? "Using Schematic Rules" : "Using Layout Rules");
  SetDlgItemTextA(SatWin.display, 801, "No Antenna Rules");
  SetDlgItemTextA(SatWin.display, 802, "Compiling Spice Circuit File");
  int result = ckt::CompileRun(Ckt);
  ShowWindow(main, SW_RESTORE);
  char counts[64];
  snprintf(counts, sizeof counts, "%d Warnings  %d Errors", Ckt.run.warnCount, Ckt.run.errCount);
  if (SatWin.display) SetDlgItemTextA(SatWin.display, 805, counts);
  ckt::CompileFinish(Ckt, result, App.batch);
  ckt::StoreFreeAll(Ckt);
  CompileDisplayEnd(SatWin.display);
  if (App.batch) PostMessageA(main, WM_CLOSE, 0, 0);
}

// ---- node-list compare window ----

HWND g_display2 = nullptr, g_display2List = nullptr;

INT_PTR CALLBACK CompareDisplayProc(HWND d, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      g_display2 = d;
      g_display2List = GetDlgItem(d, IDC_DISPLAY2_LIST);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(d);
      g_display2 = nullptr;
      g_display2List = nullptr;
      return TRUE;
  }
  return FALSE;
}

void CompareListAdd(const char* text) {
  if (!g_display2List) return;
  LRESULT i = SendMessageA(g_display2List, LB_ADDSTRING, 0, (LPARAM)text);
  if (i >= 0) SendMessageA(g_display2List, LB_SETTOPINDEX, (WPARAM)i, 0);
}

void NodeCompare(HWND main) {
  CreateDialogParamA(SatWin.inst, "DISPLAY2", main, CompareDisplayProc, 0);
  ckt::AbortPoll(Ckt, 10);
  if (g_display2) ShowWindow(g_display2, SW_SHOWNORMAL);
  int result = ckt::NodeCompareRun(Ckt);
  ShowWindow(main, SW_RESTORE);
  char text[64];
  snprintf(text, sizeof text, result ? "Compare Finished ... %d Errors" : "Aborted ... %d Errors", Ckt.compare.errors);
  ckt::ErrLogBox(Ckt, text);
  if (g_display2) DestroyWindow(g_display2);
  g_display2 = nullptr;
  g_display2List = nullptr;
}

void ShowMemory(HWND main) {
  char text[300];
  snprintf(text, sizeof text,
           "Object Record Size:\n    Box %d  Pth %d  Vtx %d  Cel %d\n\nObject Records per Block:\n    Box %d  Pth %d  Vtx %d  "
           "Cel %d",
           24, 16, 16, 12, 341, 512, 512, 682);
  MsgBoxShow(main, text, "Memory Diagnostic Information", 0);
}

// ---- main window: the frame's, with the extractor's settings and run ----

void SettingsSave(HWND hwnd) {
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
  if (!SatFrame.startFail) {
    for (int i = 0; i < 16; i++) {
      snprintf(Ckt.set.rdp[i], 260, "%s", SatFrame.recentApp[i]);
      snprintf(Ckt.set.rdf[i], 260, "%s", SatFrame.recentFile[i]);
    }
    ckt::UsfWrite(Ckt, "QuilCkt.usf");
  }
}

int Command(void*, HWND hwnd, int id) {
  switch (id) {
    case ID_LVS:
      if (DialogBoxParamA(SatWin.inst, "LVSSETUP", hwnd, TableProc, (LPARAM)&g_tables[0]) == 2) NodeCompare(hwnd);
      return 1;
    case ID_SETUP:
      DialogBoxParamA(SatWin.inst, "MAINSETUP", hwnd, MainSetupProc, 0);
      return 1;
    case ID_TRACE:
      DialogBoxParamA(SatWin.inst, "TRACE", hwnd, TableProc, (LPARAM)&g_tables[1]);
      return 1;
    case ID_CAP:
      DialogBoxParamA(SatWin.inst, "CAP", hwnd, CapProc, 0);
      return 1;
    case ID_ANT:
      DialogBoxParamA(SatWin.inst, "ANT", hwnd, TableProc, (LPARAM)&g_tables[2]);
      return 1;
    case ID_SMASH:
      DialogBoxParamA(SatWin.inst, "SMASH", hwnd, TableProc, (LPARAM)&g_tables[3]);
      return 1;
    case ID_OMIT:
      DialogBoxParamA(SatWin.inst, "OMIT", hwnd, TableProc, (LPARAM)&g_tables[4]);
      return 1;
    case ID_GO:
      Go(hwnd);
      return 1;
  }
  return 0;
}

int Message(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  if (msg != WM_CHAR || wp != 4) return 0;
  ShowMemory(hwnd);
  return 1;
}

// The extractor's own main setup reader decides whether the start failed.
void Started() {
  Ckt.set.screenW = SatWin.fullW;
  Ckt.set.screenH = SatWin.fullH;
  SatFrame.startFail = ckt::UsfMainRead(Ckt, "QUIL7.USF") ? 1 : 0;
  if (SatFrame.startFail) Ckt.run.abortFlag = 1;
  SatWin.goAtStart = App.batch;
}

// The engine's cell reference file, then the frame's cell list for ANYLIST.
int CrfRead() {
  if (ckt::CrfRead(Ckt)) {
    Ckt.run.abortFlag = 1;
    return 1;
  }
  SatCrfRead();
  return 0;
}

void SettingsRead() {
  ckt::UsfRead(Ckt, "QuilCkt.usf");
  for (int i = 0; i < 16; i++) {
    snprintf(SatFrame.recentApp[i], SAT_PATH_SIZE, "%s", Ckt.set.rdp[i]);
    snprintf(SatFrame.recentFile[i], SAT_PATH_SIZE, "%s", Ckt.set.rdf[i]);
  }
}

void Created(void*) {
  if (!App.batch) return;
  ckt::SetupBatchTokens(Ckt, App.cmdLine);
  ckt::SetupApply(Ckt, ckt::GRP_MAIN, 0);
  ckt::UsfWrite(Ckt, "QuilCkt.usf");
}

// Ten buttons: the window is as wide as the tool bar needs.
void Placed(HWND main) {
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

int CloseRefused(HWND, UINT) { return (SatWin.display || g_display2) && !Ckt.run.abortFlag; }

void Ended() { ckt::StoreFreeAll(Ckt); }

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

SatWinProgram WinTable() {
  SatWinProgram w = {};
  w.prog = &kProg;
  w.command = Command;
  w.created = Created;
  w.host = &kHost;
  w.started = Started;
  w.crfRead = CrfRead;
  w.settingsRead = SettingsRead;
  w.settingsSave = SettingsSave;
  w.placed = Placed;
  w.message = Message;
  w.closeRefused = CloseRefused;
  w.ended = Ended;
  return w;
}
const SatWinProgram kWin = WinTable();

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  ckt::CktRunReset(Ckt);
  ckt::StoreReset(Ckt);
  ckt::SetupDefaults(Ckt);  // the working variables are valid before any file is read
  Ckt.run.pollEverySecond = 1;
  Ckt.run.listAdd = ListAdd;
  Ckt.run.listClear = ListClear;
  Ckt.run.status2 = Status2;
  Ckt.compare.listAdd = CompareListAdd;
  Ckt.extract.cellDone = CountersShow;
  Ckt.nodes.useIndex = 1;
  ckt::NodesReset(Ckt);
  TablesInit();
  snprintf(App.cmdLine, sizeof App.cmdLine, "%s", cmdLine ? cmdLine : "");
  App.batch = CountTokens(App.cmdLine) >= 3;
  return SatWinMain(instance, &kWin, &Ckt);
}
