#include "ckt_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ckt {

CktState::CktState()
    : run(),
      store(nullptr),
      devText(CktDevTextStateNew()),
      lowerCache(CktLowerCacheStateNew()),
      names(CktNamesStateNew()),
      spice(CktSpiceStateNew()),
      storeIndex(CktStoreIndexStateNew()),
      trace(CktTraceStateNew()) {
  memset(&set, 0, sizeof set);
  memset(&nodes, 0, sizeof nodes);
  memset(&scan, 0, sizeof scan);
  memset(&extract, 0, sizeof extract);
  memset(&compile, 0, sizeof compile);
  CktRunReset(*this);
}

CktState::~CktState() {
  if (compile.cir) fclose(compile.cir);
  if (compile.nod) fclose(compile.nod);
  free(compile.nodeList);
  free(nodes.dev);
  free(nodes.conn);
  if (store) {
    StoreFreeAll(*this);
    free(store);
  }
}

}  // namespace ckt
