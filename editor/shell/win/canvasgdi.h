// The canvas on a GDI device context: the screen, a bitmap or the printer.
#ifndef QUIL_EDITOR_SHELL_WIN_CANVASGDI_H
#define QUIL_EDITOR_SHELL_WIN_CANVASGDI_H

#include <windows.h>

#include "canvas.h"
#include "palette.h"

struct GdiCanvas {
  HDC dc = nullptr;
  int wine = 0;     // plain pens (Wine mode)
  // The pen in use, kept while consecutive primitives ask for the same one.
  HPEN pen = nullptr;
  COLORREF penColour = 0;
  int penStyle = -1;
};

// Brushes and marker images are the start-up's (drawres.h).
// The canvas on g->dc; GdiCanvasEnd gives back the DC's objects.
Canvas GdiCanvasMake(GdiCanvas* g);
void GdiCanvasEnd(GdiCanvas* g);

COLORREF GdiColourOf(const CanvasPaint& p);

#endif
