// GDI objects the editor draws with, made once at start-up and kept while it
// runs: the three sets of fill brushes, the palette, the dotted pen and the
// marker images in their memory device contexts.
#ifndef QUIL_EDITOR_SHELL_WIN_DRAWRES_H
#define QUIL_EDITOR_SHELL_WIN_DRAWRES_H

#include <windows.h>

#include "fills.h"

enum { MARK_VERTEX = 0, MARK_LAST_VERTEX = 1, MARK_ORIGIN = 2, MARK_COUNT = 3 };

struct DrawResources {
  HBRUSH screen[FILL_PATTERNS] = {};
  HBRUSH fine[FILL_PATTERNS] = {};
  HBRUSH print[FILL_PATTERNS] = {};
  HPALETTE palette = nullptr;
  HPEN dotPen = nullptr;  // palette colour 7
  HBITMAP markBmp[MARK_COUNT] = {};
  HDC markDc[MARK_COUNT] = {};
};
extern DrawResources DrawRes;

// Makes everything (windowDc: the main window's device context); 1 when all
// was made.
int DrawResourcesCreate(HDC windowDc);
void DrawResourcesFree();

#endif
