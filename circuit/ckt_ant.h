// The antenna table of a compiled cell (conductor areas per node on the
// antenna layers against the channel layer) and the log's listing of the
// conductor objects on virtual nodes.
#ifndef QUIL_CIRCUIT_CKT_ANT_H
#define QUIL_CIRCUIT_CKT_ANT_H

#include <cstdint>

namespace ckt {

struct CktState;

enum { CKT_ANT_MAX = 25000, CKT_ANT_LAYERS = 9 };

// One node's measures, channel first: surface areas in square database
// units and perimeters in database units.
struct CktAntRec {
  int32_t node;
  double area[CKT_ANT_LAYERS];
  double perim[CKT_ANT_LAYERS];
};

// The records of a run: made at its start when antenna rules are on (0 and
// the message when memory is short), released after it.
int AntAlloc(CktState& st);
void AntFree(CktState& st);

// The node list of every object of the cell (numbers, 0 included).
void AntNodeList(CktState& st);
// Perimeters and areas of each listed node on the nine layers.
void AntPerimeters(CktState& st);
void AntAreas(CktState& st);
// The table in the compile log.
void AntReport(CktState& st, int32_t cell);
// The whole step of the per-cell pipeline: list, sort, measures, table and,
// with cvl=, the virtual nodes' objects.
void AntWrite(CktState& st, int32_t cell);

// The conductor objects of the listed virtual nodes, and the virtual numbers
// that no longer occur, into the compile log.
void VirtualObjectsLog(CktState& st);
void VirtualRemovedList(CktState& st);

}  // namespace ckt

#endif
