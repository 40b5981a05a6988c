// Node extraction of one cell: layer tracing and node relaxation, virtual
// nodes, node names through texts, connectors, global symbols and lower
// cells, and the connectivity diagnostics.
#ifndef QUIL_CIRCUIT_CKT_NODES_H
#define QUIL_CIRCUIT_CKT_NODES_H

#include <cstdint>
#include <vector>

namespace ckt {

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

extern CktNodes g_nodes;

// Empties the tables (allocates them on first use).
void NodesReset();

// Tracing.
int AreaMerge(int kind, int32_t target, int targetIsPath, int32_t s);
int LineMerge(int kind, int32_t s, int32_t target);
void ConnectPass(int kind, int level, int merged, int srcLayer, int tgtLayer);
void NodeRelax(int kind);
void LineTargets(int kind, int layer, int32_t s);
// Schematic line passes: kind 0 real numbers, 1 virtual numbers.
void SchematicPasses(int kind);
int32_t VirtualNodesLeft();

// Spatial index over the loaded boxes and paths (geometry is fixed while
// numbers spread); candidates come back in store order.
void IndexBuild();
void IndexDrop();
int IndexBuilt();
// Candidates whose bounds hold the point, in store order.
void IndexQueryPoint(int32_t x, int32_t y, std::vector<int32_t>& boxes, std::vector<int32_t>& paths);

// Virtual nodes.
void VirtualNodesCreate();
void SchematicVirtualNodesCreate();
void VirtualCondense();
int32_t LargestNodeBelow(int32_t limit);
int32_t SmallestNode();
void RealSameNames();
// A real node name equal to the name of a virtual node present: counted
// error (two nets would print as one).
void VirtualNameClash();

// Names of node numbers (static buffer, overwritten by the next call).
const char* NodeName(int32_t node);
const char* NodeNameFull(int32_t node);
int32_t FirstNumber(const char* text);
int ConnectorAt(int32_t x, int32_t y);
int ConnectorLayerSuffix(const char* text);
int SuffixFitsBox(int32_t number, int32_t box);
int SuffixFitsPath(int32_t number, int32_t path);

// Point operations (modes: 0 naming, 1 pin, 2 connector, 3 lower pin).
void BoxesAtPoint(int mode, int32_t x, int32_t y, int32_t k);
void AreaPathsAtPoint(int mode, int32_t x, int32_t y, int32_t k);
void LinesAtPoint(int mode, int32_t x, int32_t y, int32_t k);

void LowerConnectorsCollect(int32_t instance, int32_t cell);
void SymbolsOnConnectors(int32_t instances);
void RealNamesOnConnectors();
void RealNodesSearch();
void SymbolNodesSearch(int32_t instances);
void ConnectorSearch(int32_t cell);
void PassBack();
void ConnectorNodesCapture();
void ConnectionKinds();
void DeviceTableRelease();

// Global symbol table: adds entry (cell, text); a cell beyond the 63rd is
// a counted error. 1 when added.
int SymbolAdd(int32_t cell, const char* text);

// Diagnostics (counted errors).
void NoLowerCells(int32_t cell);
void LowerConnectorTwice(int32_t cell);
void ConnectorNumberTwice(int32_t cell);
int RealNamesClash(int32_t a, int32_t b);
int NodeTextClash(int32_t newNode, int32_t oldNode);
void ConnectorNameClash(int32_t pin, int32_t number);
void NoNodeConnector(int32_t cell);
void ConnectorsSameNode(int32_t cell);
void OpenPins();
void ShortedPins();
void NodeTextReport(int32_t cell);
void ConnectorTextReport(int32_t cell);

}  // namespace ckt

#endif
