// Node extraction of one cell: layer tracing and node relaxation, virtual
// nodes, node names through texts, connectors, global symbols and lower
// cells, and the connectivity diagnostics.
#ifndef QUIL_CIRCUIT_CKT_NODES_H
#define QUIL_CIRCUIT_CKT_NODES_H

#include <cstdint>
#include <vector>

namespace ckt {

struct CktState;

// The candidate lists of the point operations and tracing stay function
// statics: scratch room reused by each call, holding nothing between calls.

enum {
  CKT_SYMBOL_BASE = 0x8000000,
  CKT_MAX_SYMBOLS = 64,  // entries 1..63
  CKT_MAX_DEVICES = 50000,
  CKT_MAX_CONNECTORS = 25000,
  CKT_MAX_VIRTUAL = 25000,
  CKT_VIRTUAL_WARN = 100000,
};

struct CktDevice { int32_t inst, x, y, seq, node, layer; };
struct CktConn { int32_t text, x, y, seq, node; };
struct CktSymbol { int32_t cell; char text[68]; };

struct CktNodes {
  int passFlag, cycleFlag;
  int32_t virtualCount;
  CktDevice* dev;  // CKT_MAX_DEVICES entries
  int32_t devCount;
  int32_t devices;  // instances that gave pins
  CktConn* conn;   // CKT_MAX_CONNECTORS entries
  int32_t connCount;
  CktSymbol sym[CKT_MAX_SYMBOLS];
  int32_t symCount;      // entries used are 1..symCount
  int32_t directCount;   // pins named directly by real node text
  int32_t realCount, symbolCount;
  int32_t ownBoxes, ownPaths;  // the cell's own and smashed objects
  int schematic;         // schematic rules for the cell being extracted
  int levelDepth;
  int useIndex;          // spatial index of the target scans (off = literal walk)
  // Connection counts of the pins: real, direct, virtual, symbol.
  int32_t pinReal, pinDirect, pinVirtual, pinSymbol;
};


// Empties the tables (allocates them on first use).
void NodesReset(CktState& st);

// Tracing.
int AreaMerge(CktState& st, int kind, int32_t target, int targetIsPath, int32_t s);
int LineMerge(CktState& st, int kind, int32_t s, int32_t target);
void ConnectPass(CktState& st, int kind, int level, int merged, int srcLayer, int tgtLayer);
void NodeRelax(CktState& st, int kind);
void LineTargets(CktState& st, int kind, int layer, int32_t s);
// Schematic line passes: kind 0 real numbers, 1 virtual numbers.
void SchematicPasses(CktState& st, int kind);
int32_t VirtualNodesLeft(CktState& st);

// Spatial index over the loaded boxes and paths (geometry is fixed while
// numbers spread); candidates come back in store order.
void IndexBuild(CktState& st);
void IndexDrop(CktState& st);
int IndexBuilt(CktState& st);
// Candidates whose bounds hold the point, in store order.
void IndexQueryPoint(CktState& st, int32_t x, int32_t y, std::vector<int32_t>& boxes, std::vector<int32_t>& paths);

// Virtual nodes.
void VirtualNodesCreate(CktState& st);
void SchematicVirtualNodesCreate(CktState& st);
void VirtualCondense(CktState& st);
int32_t LargestNodeBelow(CktState& st, int32_t limit);
int32_t SmallestNode(CktState& st);
void RealSameNames(CktState& st);
// A real node name equal to the name of a virtual node present: counted
// error (two nets would print as one).
void VirtualNameClash(CktState& st);

// Names of node numbers (static buffer, overwritten by the next call).
const char* NodeName(CktState& st, int32_t node);
const char* NodeNameFull(CktState& st, int32_t node);
int32_t FirstNumber(const char* text);
int ConnectorAt(CktState& st, int32_t x, int32_t y);
int ConnectorLayerSuffix(const char* text);
int SuffixFitsBox(CktState& st, int32_t number, int32_t box);
int SuffixFitsPath(CktState& st, int32_t number, int32_t path);

// Point operations (modes: 0 naming, 1 pin, 2 connector, 3 lower pin).
void BoxesAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k);
void AreaPathsAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k);
void LinesAtPoint(CktState& st, int mode, int32_t x, int32_t y, int32_t k);

void LowerConnectorsCollect(CktState& st, int32_t instance, int32_t cell);
void SymbolsOnConnectors(CktState& st, int32_t instances);
void RealNamesOnConnectors(CktState& st);
void RealNodesSearch(CktState& st);
void SymbolNodesSearch(CktState& st, int32_t instances);
void ConnectorSearch(CktState& st, int32_t cell);
void PassBack(CktState& st);
void ConnectorNodesCapture(CktState& st);
void ConnectionKinds(CktState& st);
void DeviceTableRelease(CktState& st);

// Global symbol table: adds entry (cell, text); a cell beyond the 63rd is
// a counted error. 1 when added.
int SymbolAdd(CktState& st, int32_t cell, const char* text);

// Diagnostics (counted errors).
void NoLowerCells(CktState& st, int32_t cell);
void LowerConnectorTwice(CktState& st, int32_t cell);
void ConnectorNumberTwice(CktState& st, int32_t cell);
int RealNamesClash(CktState& st, int32_t a, int32_t b);
int NodeTextClash(CktState& st, int32_t newNode, int32_t oldNode);
void ConnectorNameClash(CktState& st, int32_t pin, int32_t number);
void NoNodeConnector(CktState& st, int32_t cell);
void ConnectorsSameNode(CktState& st, int32_t cell);
void OpenPins(CktState& st);
void ShortedPins(CktState& st);
void NodeTextReport(CktState& st, int32_t cell);
void ConnectorTextReport(CktState& st, int32_t cell);

}  // namespace ckt

#endif
