#include "drc_state.h"

#include <cstring>

#include "host.h"

DrcState::DrcState() { DrcEngineReset(*this); }

DrcState::~DrcState() {
  MapperFree(*this);
  DrcMapReset(*this);
  if (run.log) std::fclose(run.log);
}

void DrcSharedReset(DrcState& st) {
  std::memset(&st.g, 0, sizeof st.g);
  st.g.scale = 1000.0;
  std::strcpy(st.g.physunit, "um");
}

void DrcErrorShow(DrcState& st, const char* text) {
  st.g.abortFlag = 1;
  HostError(text);
}
