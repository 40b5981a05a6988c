// The compile of a main cell's hierarchy into the Spice circuit file and
// the node list file: the run driver with its script and Spice passes, the
// per-cell writing of definition blocks and node blocks, the device and
// parameter texts of instances and the parameter alias file.
#ifndef QUIL_CIRCUIT_CKT_COMPILE_H
#define QUIL_CIRCUIT_CKT_COMPILE_H

#include <cstdint>
#include <cstdio>

#include "qfile.h"

namespace ckt {

struct CktState;
struct CktAntRec;

enum {
  CKT_WRAP_COLUMN = 100,
  CKT_NODE_LIST_MAX = 25000,
  CKT_PARAM_MAX = 4032,
  CKT_ALIAS_MAX = 4160,
  CKT_ALIAS_NAME = 64,  // longest alias name kept; longer runs are cut
  CKT_PARAM_TEXTS = 64,
};

struct CktCompile {
  QFile cir;  // Spice circuit file, open during the Spice pass
  QFile nod;  // node list file, open during the Spice pass when wanted
  int scriptPass;
  int column;  // column of the line being written to the circuit file
  char date[12], time[12];
  int64_t start;  // calendar seconds at the start of the run
  int32_t mainCell;
  int32_t instances;  // instances of the cell being written
  int32_t lines;      // device and subcircuit lines of the cell
  int32_t scriptLines;  // lines of the connector script being written
  int scriptsRead;      // the Spice pass follows a script pass
  int32_t connectorsOnMain;
  // Node kinds of the device table (distinct names): real, virtual, symbol.
  int32_t kindReal, kindVirtual, kindSymbol;
  int32_t* nodeList;  // CKT_NODE_LIST_MAX node numbers
  CktAntRec* ant;     // antenna records of a run with antenna rules
  int32_t nodeCount;
  // The program's per-cell hook (counters), called before the writing.
  void (*cellShown)(CktState& st, int32_t cell, int main);
};


// Back to the start state (closes the files); for tests and program start.
void CompileReset(CktState& st);

// One compile of the main cell named by cfn= in the store's folder: 1 when
// finished, 0 when aborted or failed. The log stays open for the final
// message; CompileFinish closes everything.
int CompileRun(CktState& st);

// The final message of a run ("Finished ..." or "Aborted ..."), always
// written to the log; shown when the run had warnings or errors, failed, or
// was not started in batch form. Closes the files. Returns the text shown
// or logged (static buffer).
const char* CompileFinish(CktState& st, int result, int batch);

// Writes text to the circuit file unless the script pass runs.
void CktPrint(CktState& st, const char* text);
// Column after a piece of length len: a line passing column 100 goes on
// after "\n+" (or a plain "\n" for a piece under two characters).
int CktWrap(CktState& st, int column, int len);
// Copies a header or footer file into the circuit file: 0 copied, 1 when
// the file cannot be opened.
int CktCopyFile(CktState& st, const char* path);

// Definition line of the cell (ports, parameters) and device lines.
void SpiceSubcktLine(CktState& st, int32_t instances, int32_t cell);
void SpiceDeviceLine(CktState& st, int32_t instance, int32_t instances, int32_t cell);
void NodeListCreate(CktState& st);
void CountNodeKinds(CktState& st);

// Sorts of the device table and the node list (names compared without
// case); each returns 0, or 1 when an abort stopped it.
int SortNodeList(CktState& st);
int SortDeviceNames(CktState& st);
int SortDevicePins(CktState& st);
int SortNodNodes(CktState& st);  // by node name, then device text, then pin

// Node list block of the cell (device table in node order).
void NodWrite(CktState& st, int32_t cell);
int32_t NodConnectorSeq(CktState& st, const char* name);

// Device text and parameter text of instance k (1-based, bank 0) or, for
// k = 0, of the cell itself; static buffers.
const char* DeviceText(CktState& st, int layer, int32_t k, int32_t instances);
const char* ParamText(CktState& st, int layer, int32_t k, int32_t instances);
// Forgets the texts kept for the instances of the cell being written.
void DeviceTextsForget(CktState& st);

// Alias text of name in the alias file: "?" for an empty alias, the name
// itself when the file or the alias is missing. Static buffer.
const char* PafLookup(const char* name, const char* path);
// The same, each alias read once until PafForget (at the start of a run).
const char* PafLookupMemo(CktState& st, const char* name, const char* path);
void PafForget(CktState& st);
enum { PAF_EOL, PAF_NAME, PAF_END_NAME, PAF_OPEN, PAF_CLOSE, PAF_IGNORED, PAF_EOF };
// Reads one character of f into *c and returns its class.
int PafCharClass(FILE* f, int* c);

// Per cell: forgets the device-text keys and instance groups of the last
// cell; groups the device table's entries by instance after its sorts.
void DeviceKeysForget(CktState& st);
void ByInstanceBuild(CktState& st);

// Compile results table of the cell into the log.
void ResultsTable(CktState& st, int main);

}  // namespace ckt

#endif
