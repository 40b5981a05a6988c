// Outlines of boxes, polygons, lines and wide paths as closed rings of
// integer points, scan-row crossings of such rings, and the touch tests of
// two rings that every connection of the extractor rests on.
#ifndef QUIL_CIRCUIT_CKT_SCAN_H
#define QUIL_CIRCUIT_CKT_SCAN_H

#include <cstdint>

#include "ckt_store.h"

namespace ckt {

struct CktState;

// A wide path of the most vertices a record holds adds up to four points a
// segment; the buffers hold that with room to spare.
enum { CKT_OUTLINE_MAX = 4 * CKT_PATH_VERTICES + 32 };

struct EdgeSlot {
  int32_t x[CKT_OUTLINE_MAX + 4];
  int32_t y[CKT_OUTLINE_MAX + 4];
  int last;
  int32_t left, bottom, right, top;
};

struct CktScan {
  int32_t outX[CKT_OUTLINE_MAX + 8];
  int32_t outY[CKT_OUTLINE_MAX + 8];
  int outLast;
  EdgeSlot slot[2];
  int32_t cross[2][CKT_OUTLINE_MAX + 4];
  int crossLast[2];
  double x0, y0, x1, y1, x2, y2;  // segment registers of the outliner
  int clip;
  int cornerSign;
  int overflow;  // points or crossings were dropped since last cleared
  int literal;   // 1: walk every row (the reference the fast test must match)
};


void ScanReset(CktState& st);

int EdgeListStart(CktState& st, int slot);
void EdgeListAppend(CktState& st, int32_t x, int32_t y, int slot);
void OutlineEdgeAppend(CktState& st, int j, int slot);
void PolygonToEdgeList(CktState& st, int slot);
void PathOutlineToEdgeList(CktState& st, int slot);
int PathSegmentOffsets(CktState& st, double half, int first, int hasNext, int extended);
void PathOutline(CktState& st, int32_t path, int32_t width);
int LoadBoxOutline(CktState& st, int32_t box, int clip, int slot);
int LoadPathOutline(CktState& st, int32_t path, int clip, int slot, int openAllowed);
int PathIsArea(CktState& st, int32_t path);
// The bounding box a path's outline is clipped by: vertex extremes (taken
// from +-2^29 starting values) widened by |width|. 0 for a path without
// two vertices or a text.
int PathBounds(CktState& st, int32_t path, int32_t* l, int32_t* b, int32_t* r, int32_t* t);

// Crossings of a slot's ring with row y (ScanRowCrossings) or with the half
// row y + 1/2 (ScanHalfRowCrossings); column x with the roles exchanged.
void ScanRowCrossings(CktState& st, int slot, int32_t y);
void ScanHalfRowCrossings(CktState& st, int slot, int32_t y);
void ScanColumnCrossings(CktState& st, int slot, int32_t x);
void ScanHalfColumnCrossings(CktState& st, int slot, int32_t x);
void CrossingSort(CktState& st, int slot);
int CrossingsOverlap(CktState& st);
int64_t SpanOverlapLength(CktState& st);
int CrossingsInSpans(CktState& st);
double EdgeListLength(CktState& st);
int OnHorizontalEdge(CktState& st, int32_t x, int32_t y);

// Pure touch predicates of slots 0 and 1 (no merge).
int SlotsTouchRows(CktState& st);
int SlotsTouchEdges(CktState& st);
int SlotsLinesTouch(CktState& st);

// The row and edge tests of two boxes of positive area, worked out: their
// interiors overlap in height and their closed widths meet, or an edge of
// one lies on an edge of the other over a point or more. Tracing tests
// millions of box pairs; the ring walk gives the same answer far slower.
int BoxesTouch(int32_t l0, int32_t b0, int32_t r0, int32_t t0, int32_t l1, int32_t b1, int32_t r1, int32_t t1);

// The touch tests that merge on contact (kinds of the tracing).
int AreasOverlapOnRows(CktState& st, int kind, int32_t target, int targetIsPath, int32_t srcNode);
int AreasShareEdge(CktState& st, int kind, int32_t target, int targetIsPath, int32_t srcNode);
int LinesShareVertex(CktState& st, int kind, int32_t srcNode, int32_t target);
int VertexOnLine(CktState& st, int kind, int32_t srcNode, int32_t target, int segSlot, int vtxSlot);

}  // namespace ckt

#endif
