#include "ckt_state.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ckt {

CktState::CktState()
    : run(),
      store(nullptr),
      compile(),
      compare(),
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
  CktRunReset(*this);
}

CktState::~CktState() {
  free(compile.nodeList);
  free(compile.ant);
  free(nodes.dev);
  free(nodes.conn);
  if (store) {
    StoreFreeAll(*this);
    free(store);
  }
}

}  // namespace ckt
