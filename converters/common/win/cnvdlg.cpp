#include "cnvdlg.h"

#include <cstdio>

#include "satframe.h"

namespace {

INT_PTR CALLBACK NewNameDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (SatDlgCancel(dialog, msg, wParam)) return TRUE;
  CnvNewNameAsk* ask = reinterpret_cast<CnvNewNameAsk*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      ask = reinterpret_cast<CnvNewNameAsk*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      for (int i = 0; i < ask->textCount; ++i) SetDlgItemTextA(dialog, ask->textIds[i], ask->texts[i]);
      SendDlgItemMessageA(dialog, ask->editId, EM_LIMITTEXT, (WPARAM)ask->maxLen, 0);
      SetDlgItemTextA(dialog, ask->editId, ask->name);
      return TRUE;
    case WM_COMMAND:
      if (ask && LOWORD(wParam) == IDOK) {
        GetDlgItemTextA(dialog, ask->editId, ask->name, sizeof ask->name);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

int LayerOf(const CnvLayerRow& row) { return row.word & 0x1FF; }

void LayersShow(HWND dialog, const CnvLayersDlg* dlg) {
  char title[32];
  snprintf(title, sizeof title, "Layer Table %d", dlg->page + 1);
  SetWindowTextA(dialog, title);
  for (int b = 0; b < 32; ++b) {
    const CnvLayerRow& row = dlg->rows[32 * dlg->page + b];
    HWND box = GetDlgItem(dialog, CNV_LAYERS_BOX0 + b);
    int layer = LayerOf(row);
    char text[32];
    snprintf(text, sizeof text, dlg->boxFormat, row.name, layer);
    SetWindowTextA(box, layer ? text : "");
    EnableWindow(box, layer != 0);
    CheckDlgButton(dialog, CNV_LAYERS_BOX0 + b,
                   (layer && (row.word & CNV_LAYER_SELECTED)) ? BST_CHECKED : BST_UNCHECKED);
  }
  int more = 0;
  for (int i = 32 * (dlg->page + 1); i < CNV_LAYERS; ++i)
    if (LayerOf(dlg->rows[i])) more = 1;
  EnableWindow(GetDlgItem(dialog, dlg->nextId), dlg->page < 7 && more);
  EnableWindow(GetDlgItem(dialog, dlg->prevId), dlg->page > 0);
  CheckDlgButton(dialog, CNV_LAYERS_ALL, *dlg->allLayers ? BST_CHECKED : BST_UNCHECKED);
}

void LayersMark(CnvLayerRow* row, int on) {
  row->word = on ? (row->word | CNV_LAYER_SELECTED) : (row->word & ~CNV_LAYER_SELECTED);
}

// The commands of the LAYERS dialog: 1 when handled.
int LayersCommand(HWND dialog, CnvLayersDlg* dlg, int id) {
  if (id >= CNV_LAYERS_BOX0 && id < CNV_LAYERS_BOX0 + 32) {
    int layer = LayerOf(dlg->rows[32 * dlg->page + id - CNV_LAYERS_BOX0]);
    int on = IsDlgButtonChecked(dialog, id) == BST_CHECKED;
    for (int i = 0; i < CNV_LAYERS; ++i)
      if (layer && LayerOf(dlg->rows[i]) == layer) LayersMark(&dlg->rows[i], on);
    LayersShow(dialog, dlg);
    return 1;
  }
  if (id == dlg->nextId || id == dlg->prevId) {
    if (id == dlg->nextId && dlg->page < 7) ++dlg->page;
    if (id == dlg->prevId && dlg->page > 0) --dlg->page;
    LayersShow(dialog, dlg);
    return 1;
  }
  switch (id) {
    case CNV_LAYERS_SET:
    case CNV_LAYERS_CLEAR:
      for (int i = 0; i < CNV_LAYERS; ++i)
        if (LayerOf(dlg->rows[i])) LayersMark(&dlg->rows[i], id == CNV_LAYERS_SET);
      LayersShow(dialog, dlg);
      return 1;
    case CNV_LAYERS_ALL:
      *dlg->allLayers = IsDlgButtonChecked(dialog, CNV_LAYERS_ALL) == BST_CHECKED;
      return 1;
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog, 1);
      return 1;
  }
  return 0;
}

INT_PTR CALLBACK LayersDlgProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
  CnvLayersDlg* dlg = reinterpret_cast<CnvLayersDlg*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      dlg = reinterpret_cast<CnvLayersDlg*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      dlg->page = 0;
      LayersShow(dialog, dlg);
      return TRUE;
    case WM_COMMAND:
      return dlg && LayersCommand(dialog, dlg, LOWORD(wParam)) ? TRUE : FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 1);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

int CnvNewNameAskShow(CnvNewNameAsk* ask) {
  return DialogBoxParamA(SatWin.inst, "NEWNAME", SatOwner(), NewNameDlgProc, reinterpret_cast<LPARAM>(ask)) == IDOK;
}

void CnvLayersRun(HWND owner, CnvLayersDlg* dlg) {
  DialogBoxParamA(SatWin.inst, "LAYERS", owner, LayersDlgProc, reinterpret_cast<LPARAM>(dlg));
}
