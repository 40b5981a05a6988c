// Routines the parts of the GDSII reader share among themselves.
#ifndef QUIL_CONVERTERS_GDSINPRIV_H
#define QUIL_CONVERTERS_GDSINPRIV_H

#include "gdsin.h"

// A "... Can't Continue" message: shown, logged with the record's offset,
// and the run ends. Returns 0.
int GdsFail(GdsInState* st, const char* text);
// Real k (eight bytes each) of the data read.
double GdsReal8At(GdsInState* st, int k);
// The abort poll of the run: Esc, or the program's own flag.
void GdsPoll(GdsInState* st, int ms);
// A DISPLAY counter or status line.
void GdsCounter(GdsInState* st, int id, const char* text);
void GdsProgress(GdsInState* st);
// Listing line of the current record (data read), when the listing is on.
void GdsListRecord(GdsInState* st);
// Element handling of the conversion pass.
void GdsElementReset(GdsInState* st);
int GdsElementEnd(GdsInState* st);
int GdsStructStart(GdsInState* st, const char* name);
int GdsStructEnd(GdsInState* st);

#endif
