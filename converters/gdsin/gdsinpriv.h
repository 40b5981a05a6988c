// Routines the parts of the GDSII reader share among themselves.
#ifndef QUIL_CONVERTERS_GDSINPRIV_H
#define QUIL_CONVERTERS_GDSINPRIV_H

#include "gdsin.h"

// A "... Can't Continue" message: shown, logged with the record's offset,
// and the run ends. Returns 0.
int GdsFail(const char* text);
// Real k (eight bytes each) of the data read.
double GdsReal8At(int k);
// The abort poll of the run: Esc, or the program's own flag.
void GdsPoll(int ms);
// A DISPLAY counter or status line.
void GdsCounter(int id, const char* text);
void GdsProgress();
// Listing line of the current record (data read), when the listing is on.
void GdsListRecord();
// Element handling of the conversion pass.
void GdsElementReset();
int GdsElementEnd();
int GdsStructStart(const char* name);
int GdsStructEnd();

#endif
