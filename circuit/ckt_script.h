// Editor scripts of the extractor: the connector script that numbers every
// node of a cell lacking a connector, read back by the compile as if the
// user had run it, and the tracking script that names each conductor.
#ifndef QUIL_CIRCUIT_CKT_SCRIPT_H
#define QUIL_CIRCUIT_CKT_SCRIPT_H

#include <cstdint>
#include <cstdio>

namespace ckt {

struct CktState;

// The cell's connector script "%s_ctxt.txt": 1 written, 0 when the file
// could not be made (the message shown, the run stopped).
int ScriptWrite(CktState& st, int32_t cell);
// Its connector texts added to the records in the store; the count added.
int ScriptRead(CktState& st, int32_t cell);
// The tracking script "%s_track.txt" of the cell in the store; 1 written.
int TrackWrite(CktState& st, int32_t cell);

// Highest sequence number of the texts on the connector layer, 0 if none.
int32_t ConnMaxSeq(CktState& st);
// The generators: each continues from the last number used, writes a line
// per new connector to f and returns the new last number.
int32_t ConnRealLayout(CktState& st, FILE* f, int32_t n);
int32_t ConnVirtualLayout(CktState& st, FILE* f, int32_t n);
int32_t ConnRealSchematic(CktState& st, FILE* f, int32_t n);
int32_t ConnVirtualSchematic(CktState& st, FILE* f, int32_t n);
// (x, y) on a vertex, or on a vertical or horizontal segment, of path p.
int PointOnPath(CktState& st, int32_t x, int32_t y, int32_t p);

}  // namespace ckt

#endif
