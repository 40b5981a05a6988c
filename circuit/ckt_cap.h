// Parasitic capacitors of a compiled cell: node to ground from the area and
// fringe of each node's own conductors, node to node from the overlaps of
// two nodes' objects on the layer pairs of the capacitance table.
#ifndef QUIL_CIRCUIT_CKT_CAP_H
#define QUIL_CIRCUIT_CKT_CAP_H

#include <cstdint>

namespace ckt {

struct CktState;

// Lookups over the sixteen layer pairs: the first entry that matches, 0
// when none does. Layer 0 is ground.
double CapGndArea(CktState& st, int layer);
double CapGndFringe(CktState& st, int layer);
double CapPairArea(CktState& st, int p, int q);
double CapPairFringe(CktState& st, int p, int q);
int CapLayerListed(CktState& st, int layer);
// "0", "00" and "000".
int IsGroundName(const char* name);

// Measures in database units. The outline ones work on the scan slots:
// the area of slot 0, the overlap of slots 0 and 1 and the count of the
// crossings of either that lie inside the other, all sampled half a unit
// into each row and column so that a box counts as its width times height.
int64_t CapOutlineArea(CktState& st);
int64_t CapOverlapArea(CktState& st);
int64_t CapOverlapPerimeter(CktState& st);

// The capacitor lines of the cell whose node list is made and sorted: the
// ground lines (mode bit 1) and the pair lines (mode bit 2), each set after
// its heading. Only the cell's own and smashed objects are measured: the
// lower cells' subcircuits carry theirs. Writes nothing by schematic rules.
void CapWrite(CktState& st);

}  // namespace ckt

#endif
