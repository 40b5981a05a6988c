// Texts the rule checker shows: the DISPLAY and MAPPER status lines, the
// zoom line the viewer hands the editor, and the CHECKS list.
#ifndef QUIL_DRC_TEXT_H
#define QUIL_DRC_TEXT_H

#include <cstddef>
#include <cstdint>

#include "drc_rules.h"

struct DrcState;

// "zoom %.*g,%.*g %.*g,%.*g" (precision 9): the area's corners in physical units.
void DrcZoomText(char* out, size_t size, int32_t l, int32_t b, int32_t r, int32_t t, double scale);
// "DRC Time: %d hr %d min %d sec".
void DrcTimeText(char* out, size_t size, int seconds);
// "Maps: %d Check  %d Total  %d Files".
void DrcMapsText(const DrcState& st, char* out, size_t size);
// DISPLAY lines 501, 502, 503 and 505 (estimate from the mean time an area).
void DrcDisplayLine(const DrcState& st, int id, char* out, size_t size, double msPerArea);
// MAPPER lines 501, 502, 503.
void DrcMapperLine(const DrcState& st, int id, char* out, size_t size);
// Every check of a rule file as "%d %s" (number, title); a last check that
// ran into the end of the file is not listed. Returns the count listed.
int DrcChecksList(DrcState& st, DrcRuleSrc* src, void (*add)(void* ctx, const char* line), void* ctx);

#endif
