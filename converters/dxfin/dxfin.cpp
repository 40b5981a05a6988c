// The run of a DXF-to-TLC conversion.
#include "dxfin.h"

#include <cstring>

#include "host.h"

void DxfInList(DxfInState* st, const char* text) {
  if (st->listLine) st->listLine(text);
  if (st->log) fprintf(st->log, "%s\n", text);
}

int DxfInLayerScan(DxfInState* st) {
  st->nLayers = 0;
  return 0;
}

int DxfOrient(double, int) { return 0; }

int DxfBulgeArc(int32_t, int32_t, int32_t, int32_t, double, double, int32_t*, int32_t*, int, int* clamped) {
  if (clamped) *clamped = 0;
  return 0;
}

int DxfInRun(DxfInState* st) {
  st->writeAll = 1;
  return 0;
}

int DxfInClosing(DxfInState* st, int converted, char* text, int size) {
  if (converted)
    snprintf(text, (size_t)size, "Completed ... %d TLC Files Made\n\nUse Import to Register Cells in Drawing",
             st->files);
  else
    snprintf(text, (size_t)size, "Aborted ... Files may be Incomplete");
  return CnvLogClosing(&st->log, converted, text, size);
}

int DxfInGo(DxfInState* st) {
  char text[200];
  int done = DxfInClosing(st, DxfInRun(st), text, sizeof text);
  return CnvGoShow(done, 0, text);
}
