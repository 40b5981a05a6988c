// The LDM layer map: which GDS layer and datatype each TLC layer becomes.
#include <cstdio>

#include "cnvldm.h"
#include "gdsout.h"
#include "host.h"

// The map's comment line names the main cell it was built from.
static const char* BuiltFrom() {
  static char built[2 * CNV_PATHLEN];
  snprintf(built, sizeof built, "%s%s", GdsOutSt.mainName, GdsOutSt.mainExt);
  return built;
}

int LdmWrite(const char* path) { return LdmMapWrite(&GdsOutSt.ldm, path, BuiltFrom()); }

// A GDS layer or datatype is written as a signed 16-bit number.
int LdmRead(const char* path) { return LdmMapRead(&GdsOutSt.ldm, path, GdsOutDisplayName, BuiltFrom(), 32767); }

int LdmLookup(int tlcLayer, int* gds, int* datatype) {
  GdsOutState& s = GdsOutSt;
  for (int i = 0; i < s.ldm.n; ++i)
    if (s.ldm.e[i].tlc == tlcLayer) {
      *gds = s.ldm.e[i].gds;
      *datatype = s.ldm.e[i].datatype;
      return 1;
    }
  int g = tlcLayer, d = 0;
  int answer = s.ldmAsk ? s.ldmAsk(tlcLayer, &g, &d) : HOST_IDNO;
  if (answer == HOST_IDYES) {
    if (s.ldm.n >= GDSOUT_MAXLDM) {
      char msg[80];
      snprintf(msg, sizeof msg, "Too Many Layers in LDM File (Max %d) ... Can't Continue", GDSOUT_MAXLDM);
      HostError(msg);
      s.abort = 1;
      return 0;
    }
    if (g < 0) g = 0;
    if (g > 256) g = 256;
    if (d < 0) d = 0;
    if (d > 63) d = 63;
    LdmMapAdd(&s.ldm, g, d, tlcLayer);
    s.ldm.added = 1;
    *gds = g;
    *datatype = d;
    return 1;
  }
  if (answer == HOST_IDNO) {
    *gds = tlcLayer;
    *datatype = 0;
    return 1;
  }
  s.abort = 1;
  return 0;
}
