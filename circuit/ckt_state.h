// The whole state of one extractor run: the run control, the settings, the
// record store, the node tables, the scan slots, the extraction and compile
// drivers and the private tables of the modules. The program, each test, the
// fuzz targets and the benchmark own an instance and hand it to every entry
// point as `st`.
#ifndef QUIL_CIRCUIT_CKT_STATE_H
#define QUIL_CIRCUIT_CKT_STATE_H

#include <memory>

#include "ckt_compare.h"
#include "ckt_compile.h"
#include "ckt_extract.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_store.h"

namespace ckt {

// Tables each module keeps to itself; made with the state.
struct CktDevTextState;
struct CktLowerCacheState;
struct CktNamesState;
struct CktSpiceState;
struct CktStoreIndexState;
struct CktTraceState;

struct CktPartFree {
  void operator()(CktDevTextState* p) const;
  void operator()(CktLowerCacheState* p) const;
  void operator()(CktNamesState* p) const;
  void operator()(CktSpiceState* p) const;
  void operator()(CktStoreIndexState* p) const;
  void operator()(CktTraceState* p) const;
};

CktDevTextState* CktDevTextStateNew();
CktLowerCacheState* CktLowerCacheStateNew();
CktNamesState* CktNamesStateNew();
CktSpiceState* CktSpiceStateNew();
CktStoreIndexState* CktStoreIndexStateNew();
CktTraceState* CktTraceStateNew();

struct CktState {
  CktRun run;
  CktSettings set;
  CktStore* store;  // made by StoreReset, freed with the state
  CktNodes nodes;
  CktScan scan;
  CktExtract extract;
  CktCompile compile;
  CktCompare compare;
  // Buffers of the circuit and node list files: a cell writes a line per
  // placement, and the stream's own small buffer would make a system call
  // every few lines.
  char cirBuf[1 << 16], nodBuf[1 << 16];
  std::unique_ptr<CktDevTextState, CktPartFree> devText;
  std::unique_ptr<CktLowerCacheState, CktPartFree> lowerCache;
  std::unique_ptr<CktNamesState, CktPartFree> names;
  std::unique_ptr<CktSpiceState, CktPartFree> spice;
  std::unique_ptr<CktStoreIndexState, CktPartFree> storeIndex;
  std::unique_ptr<CktTraceState, CktPartFree> trace;

  // Everything zero as at program start, the run's defaults in place; the
  // store and the node tables are made by their resets.
  CktState();
  ~CktState();
  CktState(const CktState&) = delete;
  CktState& operator=(const CktState&) = delete;
};

// The store's record access, defined here where the state is whole.
inline CktBox* BoxRec(CktState& st, int32_t n) {
  CktBox* r = PagedFind(st.store->boxPage, n);
  return r ? r : BoxRecNew(st, n);
}
inline CktPath* PathRec(CktState& st, int32_t n) {
  CktPath* r = PagedFind(st.store->pathPage, n);
  return r ? r : PathRecNew(st, n);
}
inline CktVertex* VtxRec(CktState& st, int32_t n) {
  CktVertex* r = PagedFind(st.store->vtxPage, n);
  return r ? r : VtxRecNew(st, n);
}
inline CktInst* InstRec(CktState& st, int bank, int32_t n) {
  CktInst* r = bank >= 0 && bank < CKT_BANKS ? PagedFind(st.store->instPage[bank], n) : nullptr;
  return r ? r : InstRecNew(st, bank, n);
}

}  // namespace ckt

#endif
