#include "drc_state.h"

#include <cstring>

#include "host.h"

DrcShared DrcG;

void DrcSharedReset() {
  std::memset(&DrcG, 0, sizeof DrcG);
  DrcG.scale = 1000.0;
  std::strcpy(DrcG.physunit, "um");
}

void DrcErrorShow(const char* text) {
  DrcG.abortFlag = 1;
  HostError(text);
}
