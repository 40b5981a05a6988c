// Geometry the TLC-to-other-format converters apply before they write a box
// or a path: duplicate vertices, acute angles and circulation of polygons,
// the outline polygon of a wide path, pulled-in path ends, the box and
// polygon clean-up. Every routine works on the record in database units.
#ifndef QUIL_CONVERTERS_CNVGEOM_H
#define QUIL_CONVERTERS_CNVGEOM_H

#include <cstddef>
#include <cstdint>

#include "cnvtlc.h"

// Who is asking: the messages name the point in physical units, the layer
// and the cell; notes go to the program's list (and its log).
struct CnvGeom {
  double scale;      // TLC database units per physical unit (0 counts as 1)
  int mpp;           // "Check for Proper IC Protocol": repairs become questions
  const char* cell;  // the cell being converted
  int* abortFlag;    // set when a question is cancelled
  void (*list)(void* ctx, const char* text);
  void* ctx;
};

enum {
  // An outline: one pair per vertex and one more per cut corner, twice over,
  // and the closing point.
  CNV_RINGMAX = 4 * (CNV_PVSIZ + 1) + 1,
};

// A closed outline polygon of any length.
struct CnvRing {
  int n;
  int32_t x[CNV_RINGMAX], y[CNV_RINGMAX];
};

// "X=.. Y=.. L=.." of a point.
void CnvWhere(const CnvGeom* g, char* out, size_t size, int32_t x, int32_t y, int layer);
// The note "<what> at X=.. Y=.. L=.. in <cell>".
void CnvNote(const CnvGeom* g, const char* what, int32_t x, int32_t y, int layer);
// A note of the caller's own text.
void CnvNoteText(const CnvGeom* g, const char* text);
// The warning question "<head>\n\n<question>" with OK and Cancel; 1 on OK,
// 0 on Cancel (the abort flag is set).
int CnvAskText(const CnvGeom* g, const char* head, const char* question);

// Removes every vertex equal to its predecessor, noting each.
void CnvDupRemove(const CnvGeom* g, CnvPath* p);
// Acute angles along the path or polygon (notes only).
void CnvAngleCheck(const CnvGeom* g, const CnvPath* p);
// After a polygon was closed: the two corners the closing made.
void CnvClosingAngleCheck(const CnvGeom* g, const CnvPath* p);
// 1 when a closed polygon of at least 4 vertices turns once around (its
// turns sum to 2 pi within 1 %), or when it is not such a polygon.
int CnvCirculationOk(const CnvPath* p);

// The box as the closed polygon (l,b) (r,b) (r,t) (l,t) (l,b), width 0.
void BoxToPoly(const CnvBox* b, CnvPath* p);
// The outline of a path of nonzero width (negative: its ends reach half
// the width beyond the end vertices), whole however long; mitre joints
// cut square past a right angle. 0 when the path has fewer than two
// distinct vertices (ring left empty).
int PathToPoly(const CnvPath* p, CnvRing* ring);
// Moves the ends of a flush-ended path (w > 0) in by half its width, so
// that ends reaching beyond them cover the same ground. 0 when an end is
// shorter than the pull (the ends would fold): the path is left as it was
// and the caller writes its outline instead.
int PathEndsPullIn(const CnvGeom* g, CnvPath* p);
// The crushed-box check: 1 write the box, 0 skip it (or cancelled).
int BoxCheck(const CnvGeom* g, const CnvBox* b);
// After the duplicate removal: 1 write the element (it may have become a
// path of width 2, or been closed), 0 skip it (or cancelled).
int PolyCleanUp(const CnvGeom* g, CnvPath* p);
// The circulation note of a closed polygon.
void PolyCirculationCheck(const CnvGeom* g, const CnvPath* p);

// Nearest whole number, halves away from zero.
int64_t CnvRound(double v);

#endif
