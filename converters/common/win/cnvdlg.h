// The dialogs several converter programs ask through: a new name for a
// structure whose name can't be a cell name (NEWNAME), and the pages of the
// main cell's layer table (LAYERS). Each program fills the texts, ids and
// formats of its own edition; the templates come from cnvnewname.rc and
// cnvlayers.rc, included by the program's resource file.
#ifndef QUIL_CONVERTERS_CNVDLG_H
#define QUIL_CONVERTERS_CNVDLG_H

#include <windows.h>

#include "cnvcommon.h"

enum {
  CNV_NEWNAME_LINES = 3,
  CNV_NEWNAME_TEXTLEN = 336,  // a 255-character structure name and its words
};

// Up to three lines of text in their static controls, the proposal in the
// edit box editId, at most maxLen characters typed. The answer comes back
// in name.
struct CnvNewNameAsk {
  int textIds[CNV_NEWNAME_LINES];
  char texts[CNV_NEWNAME_LINES][CNV_NEWNAME_TEXTLEN];
  int textCount;
  int editId;
  int maxLen;
  char name[CNV_NAMLEN + 1];
};
// 1 with the answer in ask->name, 0 when the user aborts the conversion.
int CnvNewNameAskShow(CnvNewNameAsk* ask);

// The layer table's pages, 32 check boxes (CNV_LAYERS_BOX0 on) a page: a
// box shows its row's name and layer through boxFormat and is ticked by
// CNV_LAYER_SELECTED; a click on it marks or clears every row of that
// layer. "Set" and "Clear" mark and clear every row, "All Layers" is kept
// in *allLayers. The page buttons' ids differ between the programs.
enum { CNV_LAYERS_CLEAR = 600, CNV_LAYERS_SET = 601, CNV_LAYERS_BOX0 = 1050, CNV_LAYERS_ALL = 1100 };
struct CnvLayersDlg {
  CnvLayerRow* rows;  // CNV_LAYERS of them
  int* allLayers;
  const char* boxFormat;
  int nextId, prevId;
  int page;  // 0..7, the page shown
};
// Runs the program's "LAYERS" dialog over owner, from the first page.
void CnvLayersRun(HWND owner, CnvLayersDlg* dlg);

#endif
