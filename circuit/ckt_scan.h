// Outlines of boxes, polygons, lines and wide paths as closed rings of
// integer points, scan-row crossings of such rings, and the touch tests of
// two rings that every connection of the extractor rests on.
#ifndef QUIL_CIRCUIT_CKT_SCAN_H
#define QUIL_CIRCUIT_CKT_SCAN_H

#include <cstdint>

#include "ckt_store.h"

namespace ckt {

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

extern CktScan g_scan;

void ScanReset();

int EdgeListStart(int slot);
void EdgeListAppend(int32_t x, int32_t y, int slot);
void OutlineEdgeAppend(int j, int slot);
void PolygonToEdgeList(int slot);
void PathOutlineToEdgeList(int slot);
int PathSegmentOffsets(double half, int first, int hasNext, int extended);
void PathOutline(int32_t path, int32_t width);
int LoadBoxOutline(int32_t box, int clip, int slot);
int LoadPathOutline(int32_t path, int clip, int slot, int openAllowed);
int PathIsArea(int32_t path);
// The bounding box a path's outline is clipped by: vertex extremes (taken
// from +-2^29 starting values) widened by |width|. 0 for a path without
// two vertices or a text.
int PathBounds(int32_t path, int32_t* l, int32_t* b, int32_t* r, int32_t* t);

// Crossings of a slot's ring with row y (ScanRowCrossings) or with the half
// row y + 1/2 (ScanHalfRowCrossings); column x with the roles exchanged.
void ScanRowCrossings(int slot, int32_t y);
void ScanHalfRowCrossings(int slot, int32_t y);
void ScanColumnCrossings(int slot, int32_t x);
void CrossingSort(int slot);
int CrossingsOverlap();
int64_t SpanOverlapLength();
int CrossingsInSpans();
double EdgeListLength();
int OnHorizontalEdge(int32_t x, int32_t y);

// Pure touch predicates of slots 0 and 1 (no merge).
int SlotsTouchRows();
int SlotsTouchEdges();
int SlotsLinesTouch();

// The row and edge tests of two boxes of positive area, worked out: their
// interiors overlap in height and their closed widths meet, or an edge of
// one lies on an edge of the other over a point or more. Tracing tests
// millions of box pairs; the ring walk gives the same answer far slower.
int BoxesTouch(int32_t l0, int32_t b0, int32_t r0, int32_t t0, int32_t l1, int32_t b1, int32_t r1, int32_t t1);

// The touch tests that merge on contact (kinds of the tracing).
int AreasOverlapOnRows(int kind, int32_t target, int targetIsPath, int32_t srcNode);
int AreasShareEdge(int kind, int32_t target, int targetIsPath, int32_t srcNode);
int LinesShareVertex(int kind, int32_t srcNode, int32_t target);
int VertexOnLine(int kind, int32_t srcNode, int32_t target, int segSlot, int vtxSlot);

}  // namespace ckt

#endif
