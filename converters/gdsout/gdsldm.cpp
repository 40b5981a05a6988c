// The LDM layer map: which GDS layer and datatype each TLC layer becomes.
#include <cstdio>

#include "cnvldm.h"
#include "gdsout.h"
#include "host.h"

// The map's comment line names the main cell it was built from.
static void BuiltFrom(const GdsOutState* st, char* built, size_t size) {
  snprintf(built, size, "%s%s", st->mainName, st->mainExt);
}

int LdmWrite(GdsOutState* st, const char* path) {
  char built[2 * CNV_PATHLEN];
  BuiltFrom(st, built, sizeof built);
  return LdmMapWrite(&st->ldm, path, built);
}

// A GDS layer or datatype is written as a signed 16-bit number.
int LdmRead(GdsOutState* st, const char* path) {
  char built[2 * CNV_PATHLEN];
  BuiltFrom(st, built, sizeof built);
  return LdmMapRead(&st->ldm, path, GdsOutDisplayName, built, 32767);
}

int LdmLookup(GdsOutState* st, int tlcLayer, int* gds, int* datatype) {
  for (int i = 0; i < st->ldm.n; ++i)
    if (st->ldm.e[i].tlc == tlcLayer) {
      *gds = st->ldm.e[i].gds;
      *datatype = st->ldm.e[i].datatype;
      return 1;
    }
  int g = tlcLayer, d = 0;
  int answer = st->ldmAsk ? st->ldmAsk(tlcLayer, &g, &d) : HOST_IDNO;
  if (answer == HOST_IDYES) {
    if (st->ldm.n >= GDSOUT_MAXLDM) {
      char msg[80];
      snprintf(msg, sizeof msg, "Too Many Layers in LDM File (Max %d) ... Can't Continue", GDSOUT_MAXLDM);
      HostError(msg);
      st->abort = 1;
      return 0;
    }
    if (g < 0) g = 0;
    if (g > 256) g = 256;
    if (d < 0) d = 0;
    if (d > 63) d = 63;
    LdmMapAdd(&st->ldm, g, d, tlcLayer);
    st->ldm.added = 1;
    *gds = g;
    *datatype = d;
    return 1;
  }
  if (answer == HOST_IDNO) {
    *gds = tlcLayer;
    *datatype = 0;
    return 1;
  }
  st->abort = 1;
  return 0;
}
