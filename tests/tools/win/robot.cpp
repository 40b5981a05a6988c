// Test robot for end-to-end tests under Wine. One action per run; it prints
// what it saw and exits 0 on success, 1 on failure or timeout, 2 on misuse.
//
//   ROBOT wait-class CLASS [ms]          wait for a top-level window of a class
//   ROBOT gone-class CLASS [ms]          wait until no window of the class exists
//   ROBOT title CLASS                    print the window's title
//   ROBOT copydata CLASS TEXT            WM_COPYDATA as the rule checker sends it
//   ROBOT copydata-raw CLASS TEXT N      WM_COPYDATA with cbData = N
//   ROBOT command CLASS ID               post WM_COMMAND id
//   ROBOT chars CLASS TEXT               post WM_CHAR for each character
//   ROBOT key CLASS VK                   post WM_KEYDOWN and WM_KEYUP of a virtual key
//   ROBOT syskey CLASS VK                Alt+key typed on the keyboard (the window is
//                                        brought to the front first)
//   ROBOT post CLASS MSG WPARAM LPARAM   post any message (numbers, 0x.. allowed)
//   ROBOT close CLASS                    post WM_CLOSE
//   ROBOT children CLASS                 print the texts of the window's child windows
//   ROBOT dialogs                        list dialog boxes: caption and texts
//   ROBOT wait-dialog CAPTION [ms]       wait for a dialog box of that caption
//   ROBOT dialog-text CAPTION            print a dialog box's texts
//   ROBOT press CAPTION BUTTON [ms]      press the button with that text ('&' ignored); returns once taken (2 s at most)
//   ROBOT click CAPTION BUTTON [ms]      click it (BM_CLICK: check boxes and radio buttons change)
//   ROBOT buttons CAPTION                 print each button: id, text, enabled/disabled, shown/hidden
//   ROBOT esc-hold MS                     hold Esc down for MS milliseconds (async key state)
//   ROBOT key-hold VK MS                  hold any key down for MS milliseconds (Ctrl: 0x11)
//   ROBOT list-pick CAPTION ID INDEX      select a list box entry and double-click it
//   ROBOT set-text CAPTION ID TEXT       set the text of the control with that id
//   ROBOT get-text CAPTION ID            print the text of the control with that id
//   ROBOT ctl-text CLASS ID              text of a control anywhere inside the window
//                                        (a visible one first)
//   ROBOT ctl-check CLASS ID             check state (0, 1, 2) of such a button
//   ROBOT click-id CLASS ID              click a button anywhere inside the window
//                                        (a visible one first)
//   ROBOT tree CLASS                     list the window's visible descendants
//   ROBOT resize CLASS W H               give the window this outer size
//   ROBOT client CLASS                   print the client area's width and height
//   ROBOT origin CLASS                   print the client area's top-left screen point
//   ROBOT cursor-pos X Y                 put the mouse pointer at a screen point
//   ROBOT mouse CLASS X Y                post WM_MOUSEMOVE at a client point
//   ROBOT rclick CLASS X Y               post a right button press at a client point
//   ROBOT lclick CLASS X Y               a left click at a client point: the mouse moves
//                                        there first, as a user's hand would
//   ROBOT front CLASS                    make the window the foreground window
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kDefaultWaitMs = 10000;

int WaitMs(int argc, char** argv, int index) {
  return argc > index ? atoi(argv[index]) : kDefaultWaitMs;
}

HWND FindClass(const char* cls) { return FindWindowA(cls, nullptr); }

HWND WaitClass(const char* cls, int ms) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND w = FindClass(cls);
    if (w) return w;
    if ((int)(GetTickCount() - start) > ms) return nullptr;
    Sleep(50);
  }
}

std::string WindowText(HWND w) {
  char buf[4096];
  // WM_GETTEXT reaches controls of other processes, GetWindowText does not.
  LRESULT n = SendMessageA(w, WM_GETTEXT, sizeof buf, (LPARAM)buf);
  if (n < 0) n = 0;
  buf[n < (LRESULT)sizeof buf ? n : (LRESULT)sizeof buf - 1] = '\0';
  return buf;
}

std::string StripAmp(const std::string& s) {
  std::string out;
  for (char c : s)
    if (c != '&') out += c;
  return out;
}

struct DialogSearch {
  const char* caption;
  std::vector<HWND> found;
};

BOOL CALLBACK DialogEnum(HWND w, LPARAM lp) {
  DialogSearch* s = reinterpret_cast<DialogSearch*>(lp);
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  if (strcmp(cls, "#32770") != 0 || !IsWindowVisible(w)) return TRUE;
  if (!s->caption || WindowText(w) == s->caption) s->found.push_back(w);
  return TRUE;
}

std::vector<HWND> Dialogs(const char* caption) {
  DialogSearch s{caption, {}};
  EnumWindows(DialogEnum, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND WaitDialog(const char* caption, int ms) {
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> d = Dialogs(caption);
    if (!d.empty()) return d[0];
    if ((int)(GetTickCount() - start) > ms) return nullptr;
    Sleep(50);
  }
}

BOOL CALLBACK ChildPrint(HWND w, LPARAM) {
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  std::string text = WindowText(w);
  if (!text.empty()) printf("  [%s %d] %s\n", cls, GetDlgCtrlID(w), text.c_str());
  return TRUE;
}

void DialogPrint(HWND d) {
  printf("dialog: %s\n", WindowText(d).c_str());
  EnumChildWindows(d, ChildPrint, 0);
}

struct ButtonSearch {
  std::string text;
  HWND found;
};

BOOL CALLBACK ButtonEnum(HWND w, LPARAM lp) {
  ButtonSearch* s = reinterpret_cast<ButtonSearch*>(lp);
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  if (_stricmp(cls, "Button") == 0 && StripAmp(WindowText(w)) == s->text) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

struct CtlSearch {
  int id;
  HWND visible;
  HWND any;
};

BOOL CALLBACK CtlEnum(HWND w, LPARAM lp) {
  CtlSearch* s = reinterpret_cast<CtlSearch*>(lp);
  if (GetDlgCtrlID(w) != s->id) return TRUE;
  if (!s->any) s->any = w;
  if (!s->visible && IsWindowVisible(w)) s->visible = w;
  return TRUE;
}

HWND FindCtl(HWND top, int id) {
  CtlSearch s{id, nullptr, nullptr};
  EnumChildWindows(top, CtlEnum, reinterpret_cast<LPARAM>(&s));
  return s.visible ? s.visible : s.any;
}

BOOL CALLBACK TreePrint(HWND w, LPARAM) {
  if (!IsWindowVisible(w)) return TRUE;
  char cls[64];
  GetClassNameA(w, cls, sizeof cls);
  printf("  [%s %d] %s\n", cls, GetDlgCtrlID(w), WindowText(w).c_str());
  return TRUE;
}

int Usage() {
  fprintf(stderr, "robot: unknown or incomplete action (see robot.cpp)\n");
  return 2;
}

int NeedWindow(HWND w, const char* what) {
  if (w) return 1;
  printf("no window: %s\n", what);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  std::string act = argv[1];

  if (act == "cursor-pos" && argc >= 4) return SetCursorPos(atoi(argv[2]), atoi(argv[3])) ? 0 : 1;
  if (act == "wait-class" && argc >= 3) {
    HWND w = WaitClass(argv[2], WaitMs(argc, argv, 3));
    if (!NeedWindow(w, argv[2])) return 1;
    printf("found: %s\n", argv[2]);
    return 0;
  }
  if (act == "gone-class" && argc >= 3) {
    DWORD start = GetTickCount();
    int ms = WaitMs(argc, argv, 3);
    while (FindClass(argv[2])) {
      if ((int)(GetTickCount() - start) > ms) {
        printf("still there: %s\n", argv[2]);
        return 1;
      }
      Sleep(50);
    }
    printf("gone: %s\n", argv[2]);
    return 0;
  }
  if (act == "dialogs") {
    for (HWND d : Dialogs(nullptr)) DialogPrint(d);
    return 0;
  }
  if (act == "wait-dialog" && argc >= 3) {
    HWND d = WaitDialog(argv[2], WaitMs(argc, argv, 3));
    if (!NeedWindow(d, argv[2])) return 1;
    DialogPrint(d);
    return 0;
  }
  if (act == "dialog-text" && argc >= 3) {
    HWND d = WaitDialog(argv[2], 0);
    if (!NeedWindow(d, argv[2])) return 1;
    DialogPrint(d);
    return 0;
  }
  if (act == "buttons" && argc >= 3) {
    HWND d = WaitDialog(argv[2], kDefaultWaitMs);
    if (!NeedWindow(d, argv[2])) return 1;
    for (HWND c = GetWindow(d, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      char cls[64];
      GetClassNameA(c, cls, sizeof cls);
      if (_stricmp(cls, "Button") != 0) continue;
      printf("%d %s %s %s\n", GetDlgCtrlID(c), StripAmp(WindowText(c)).c_str(),
             IsWindowEnabled(c) ? "enabled" : "disabled", IsWindowVisible(c) ? "shown" : "hidden");
    }
    return 0;
  }
  if (act == "list-pick" && argc >= 5) {
    HWND d = WaitDialog(argv[2], kDefaultWaitMs);
    if (!NeedWindow(d, argv[2])) return 1;
    HWND list = GetDlgItem(d, atoi(argv[3]));
    if (!NeedWindow(list, argv[3])) return 1;
    LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
    int index = atoi(argv[4]);
    if (index < 0 || index >= n) {
      printf("no entry %d of %d\n", index, (int)n);
      return 1;
    }
    char text[512] = "";
    if (SendMessageA(list, LB_GETTEXTLEN, index, 0) < (LRESULT)sizeof text) SendMessageA(list, LB_GETTEXT, index, (LPARAM)text);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), LBN_DBLCLK), (LPARAM)list);
    printf("picked: %s\n", text);
    return 0;
  }
  if ((act == "esc-hold" && argc >= 3) || (act == "key-hold" && argc >= 4)) {
    int esc = act == "esc-hold";
    INPUT in[1];
    memset(in, 0, sizeof in);
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = esc ? VK_ESCAPE : (WORD)strtol(argv[2], nullptr, 0);
    SendInput(1, in, sizeof(INPUT));
    Sleep(atoi(argv[esc ? 2 : 3]));
    in[0].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, in, sizeof(INPUT));
    printf(esc ? "esc held\n" : "key held\n");
    return 0;
  }
  if (act == "click" && argc >= 4) {
    HWND d = WaitDialog(argv[2], WaitMs(argc, argv, 4));
    if (!NeedWindow(d, argv[2])) return 1;
    ButtonSearch s{StripAmp(argv[3]), nullptr};
    EnumChildWindows(d, ButtonEnum, reinterpret_cast<LPARAM>(&s));
    if (!s.found) {
      printf("no button: %s\n", argv[3]);
      return 1;
    }
    SendMessageA(s.found, BM_CLICK, 0, 0);
    printf("clicked: %s\n", argv[3]);
    return 0;
  }
  if (act == "press" && argc >= 4) {
    HWND d = WaitDialog(argv[2], WaitMs(argc, argv, 4));
    if (!NeedWindow(d, argv[2])) return 1;
    ButtonSearch s{StripAmp(argv[3]), nullptr};
    EnumChildWindows(d, ButtonEnum, reinterpret_cast<LPARAM>(&s));
    if (!s.found) {
      printf("no button: %s\n", argv[3]);
      return 1;
    }
    // Posted as the dialog's own WM_COMMAND so the press works even when the
    // dialog runs a nested modal loop of its own.
    PostMessageA(d, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(s.found), BN_CLICKED), (LPARAM)s.found);
    // Until the press is taken: the box is gone, or hidden, or a box of its
    // own now stands over it. Otherwise a next wait for a box of the same
    // caption could find this one again, still closing.
    DWORD start = GetTickCount();
    while (IsWindow(d) && IsWindowVisible(d) && IsWindowEnabled(d) && GetTickCount() - start < 2000) Sleep(20);
    printf("pressed: %s\n", argv[3]);
    return 0;
  }
  if ((act == "set-text" || act == "get-text") && argc >= 4) {
    // Two boxes of one caption can be up at once (a message box over its
    // dialog), so the control is looked for in each until one has it.
    HWND c = nullptr;
    DWORD start = GetTickCount();
    for (;;) {
      for (HWND d : Dialogs(argv[2]))
        if ((c = GetDlgItem(d, atoi(argv[3]))) != nullptr) break;
      if (c || (int)(GetTickCount() - start) > kDefaultWaitMs) break;
      Sleep(50);
    }
    if (!NeedWindow(c, (std::string(argv[2]) + " " + argv[3]).c_str())) return 1;
    if (act == "get-text") {
      printf("%s\n", WindowText(c).c_str());
      return 0;
    }
    if (argc < 5) return Usage();
    SendMessageA(c, WM_SETTEXT, 0, (LPARAM)argv[4]);
    return 0;
  }

  if (argc < 3) return Usage();
  HWND w = FindClass(argv[2]);
  if (!NeedWindow(w, argv[2])) return 1;

  if (act == "title") {
    printf("%s\n", WindowText(w).c_str());
    return 0;
  }
  if ((act == "copydata" && argc >= 4) || (act == "copydata-raw" && argc >= 5)) {
    const char* text = argv[3];
    COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = (DWORD)strlen(text) + 1;
    if (act == "copydata-raw") cds.cbData = (DWORD)atoi(argv[4]);
    cds.lpData = (PVOID)text;
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(w, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_ABORTIFHUNG, 10000, &result)) {
      printf("copydata: no answer\n");
      return 1;
    }
    printf("copydata: sent %u bytes\n", (unsigned)cds.cbData);
    return 0;
  }
  if (act == "command" && argc >= 4) {
    PostMessageA(w, WM_COMMAND, (WPARAM)atoi(argv[3]), 0);
    return 0;
  }
  if (act == "chars" && argc >= 4) {
    for (const char* p = argv[3]; *p; ++p) PostMessageA(w, WM_CHAR, (WPARAM)(unsigned char)*p, 1);
    return 0;
  }
  if (act == "key" && argc >= 4) {
    WPARAM vk = (WPARAM)strtol(argv[3], nullptr, 0);
    PostMessageA(w, WM_KEYDOWN, vk, 1);
    PostMessageA(w, WM_KEYUP, vk, (LPARAM)0xC0000001);
    return 0;
  }
  if ((act == "ctl-text" || act == "ctl-check") && argc >= 4) {
    HWND c = FindCtl(w, atoi(argv[3]));
    if (!NeedWindow(c, argv[3])) return 1;
    if (act == "ctl-text") printf("%s\n", WindowText(c).c_str());
    else printf("%d\n", (int)SendMessageA(c, BM_GETCHECK, 0, 0));
    return 0;
  }
  if (act == "click-id" && argc >= 4) {
    HWND c = FindCtl(w, atoi(argv[3]));
    if (!NeedWindow(c, argv[3])) return 1;
    // Posted as the owner's WM_COMMAND, as a click on the button sends it.
    PostMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), BN_CLICKED), (LPARAM)c);
    return 0;
  }
  if (act == "tree") {
    EnumChildWindows(w, TreePrint, 0);
    return 0;
  }
  if (act == "resize" && argc >= 5) {
    ShowWindow(w, SW_RESTORE);
    SetWindowPos(w, nullptr, 0, 0, atoi(argv[3]), atoi(argv[4]), SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  if (act == "client") {
    RECT r;
    GetClientRect(w, &r);
    printf("%ld %ld\n", r.right - r.left, r.bottom - r.top);
    return 0;
  }
  if (act == "origin") {
    POINT p = {0, 0};
    ClientToScreen(w, &p);
    printf("%ld %ld\n", p.x, p.y);
    return 0;
  }
  if ((act == "mouse" || act == "rclick" || act == "lclick") && argc >= 5) {
    LPARAM at = MAKELPARAM(atoi(argv[3]), atoi(argv[4]));
    if (act == "mouse") {
      PostMessageA(w, WM_MOUSEMOVE, 0, at);
    } else if (act == "lclick") {
      PostMessageA(w, WM_MOUSEMOVE, 0, at);
      PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageA(w, WM_LBUTTONUP, 0, at);
    } else {
      PostMessageA(w, WM_RBUTTONDOWN, MK_RBUTTON, at);
      PostMessageA(w, WM_RBUTTONUP, 0, at);
    }
    return 0;
  }
  if (act == "syskey" && argc >= 4) {
    BYTE vk = (BYTE)strtol(argv[3], nullptr, 0);
    SetForegroundWindow(w);
    Sleep(100);
    keybd_event(VK_MENU, 0, 0, 0);
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_MENU, 0, KEYEVENTF_KEYUP, 0);
    return 0;
  }
  if (act == "post" && argc >= 6) {
    PostMessageA(w, (UINT)strtoul(argv[3], nullptr, 0), (WPARAM)strtoull(argv[4], nullptr, 0),
                 (LPARAM)strtoll(argv[5], nullptr, 0));
    return 0;
  }
  if (act == "front") {
    SetForegroundWindow(w);
    Sleep(100);
    return GetForegroundWindow() == w ? 0 : 1;
  }
  if (act == "close") {
    PostMessageA(w, WM_CLOSE, 0, 0);
    return 0;
  }
  if (act == "children") {
    EnumChildWindows(w, ChildPrint, 0);
    return 0;
  }
  return Usage();
}
