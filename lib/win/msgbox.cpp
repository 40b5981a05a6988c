#include "msgbox.h"

#include <cstdio>

#include "satres.h"

namespace {

enum { kTextSize = 1024 };

struct MsgBoxData {
  const MsgBoxBinding* b;
  char caption[kTextSize];
  char text[kTextSize];
  int type;
};

const int kMsgButtons[4] = {IDC_MSG_YES, IDC_MSG_NO, IDOK, IDCANCEL};

// Longest line (characters + 1) and the number of line breaks.
void MsgTextMeasure(const char* text, int* longest, int* breaks) {
  int len = 0;
  *longest = 0;
  *breaks = 0;
  for (const char* p = text;; ++p) {
    if (*p == '\n' || *p == '\0') {
      if (len + 1 > *longest) *longest = len + 1;
      len = 0;
      if (!*p) break;
      ++*breaks;
    } else {
      ++len;
    }
  }
}

void MoveCtl(HWND dialog, int id, int dx, int dy) {
  HWND c = GetDlgItem(dialog, id);
  if (!c) return;
  RECT r;
  GetWindowRect(c, &r);
  MapWindowPoints(nullptr, dialog, (POINT*)&r, 2);
  SetWindowPos(c, nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// Wide enough for the longest line, taller by the line breaks, centred on
// the template's place.
void MsgBoxSize(HWND dialog, const MsgBoxData& d) {
  int longest, breaks;
  MsgTextMeasure(d.text, &longest, &breaks);
  RECT dr;
  GetWindowRect(dialog, &dr);
  int w = dr.right - dr.left;
  int need = (int)(0.9 * d.b->charW * longest) + 4 * d.b->edgeW;
  if (need < w) need = w;
  int addH = (int)(0.9 * breaks * d.b->charH);
  int shift = (need - w) / 2;
  for (int id : kMsgButtons) MoveCtl(dialog, id, shift, addH);
  HWND t = GetDlgItem(dialog, IDC_MSG_TEXT);
  RECT tr;
  GetWindowRect(t, &tr);
  MapWindowPoints(nullptr, dialog, (POINT*)&tr, 2);
  int textW;
  if (d.b->editorBox) {
    textW = need - tr.left - 2 * d.b->edgeW;
  } else {
    RECT cr;
    GetClientRect(dialog, &cr);
    textW = cr.right + (need - w) - tr.left;
  }
  SetWindowPos(t, nullptr, 0, 0, textW, tr.bottom - tr.top + addH, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowTextA(t, d.text);
  SetWindowPos(dialog, nullptr, dr.left - shift, dr.top - addH / 2, need, dr.bottom - dr.top + addH, SWP_NOZORDER);
}

INT_PTR CALLBACK MsgBoxProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG: {
      MsgBoxData* d = reinterpret_cast<MsgBoxData*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      int on[4] = {0, 0, 0, 0};  // Yes, No, OK, Cancel
      switch (d->type) {
        case 0: on[2] = 1; break;
        case 1: on[2] = on[3] = 1; break;
        case 3: on[0] = on[1] = on[3] = 1; break;
        case 4: on[0] = on[1] = 1; break;
        default:
          snprintf(d->text, sizeof d->text, "Message Type is Unknown ???");
          on[2] = 1;
          break;
      }
      HWND first = nullptr;
      for (int k = 0; k < 4; ++k) {
        HWND b = GetDlgItem(dialog, kMsgButtons[k]);
        if (d->b->hideUnused)
          ShowWindow(b, on[k] ? SW_SHOW : SW_HIDE);
        else
          EnableWindow(b, on[k] ? TRUE : FALSE);
        if (on[k] && !first) first = b;
      }
      SetWindowTextA(dialog, d->caption);
      MsgBoxSize(dialog, *d);
      if (first) SetFocus(first);
      return FALSE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDOK || id == IDCANCEL || id == IDC_MSG_YES || id == IDC_MSG_NO) {
        // Esc on a box without Cancel must not answer a question it never asked.
        const MsgBoxData* d = reinterpret_cast<const MsgBoxData*>(GetWindowLongPtrA(dialog, DWLP_USER));
        HWND b = GetDlgItem(dialog, id);
        if (d && d->b->editorBox) {
          if (id == IDCANCEL && !IsWindowEnabled(b)) return TRUE;
        } else if (!IsWindowEnabled(b) || !IsWindowVisible(b)) {
          return TRUE;
        }
        EndDialog(dialog, id);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK PauseProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_INITDIALOG:
      SetTimer(dialog, 1, (UINT)lParam, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wParam == 1) {
        KillTimer(dialog, 1);
        EndDialog(dialog, 0);
      }
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        KillTimer(dialog, 1);
        EndDialog(dialog, 1);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int MsgBoxRun(const MsgBoxBinding& b, HWND owner, const char* text, const char* caption, UINT type) {
  if (!text) text = "Error ...";
  if (!caption) caption = "Error ...";
  if (b.plain) return MessageBoxA(owner, text, caption, type);
  MsgBoxData d;
  d.b = &b;
  snprintf(d.caption, sizeof d.caption, "%s", caption);
  snprintf(d.text, sizeof d.text, "%s", text);
  d.type = (int)(type & 7);
  return (int)DialogBoxParamA(b.inst, "MSGBOX", b.main, MsgBoxProc, (LPARAM)&d);
}

int PauseRun(HINSTANCE inst, HWND owner, int ms) {
  return (int)DialogBoxParamA(inst, "PAUSE", owner, PauseProc, (LPARAM)ms);
}
