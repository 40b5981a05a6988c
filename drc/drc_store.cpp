#include "drc_store.h"

#include <cstdio>
#include <cstring>

#include "drc_state.h"
#include "q7tlcrw.h"
#include "satsetup.h"

namespace {

int32_t XY[2 * PVSIZ];
long Reads = 0;

int CellInfoS(void*, int index, DrcCellInfo* out) {
  std::memset(out, 0, sizeof *out);
  if (index < 1 || index > Cells.count) return 1;
  const CellInfo& c = Cells.cell[index];
  std::snprintf(out->name, sizeof out->name, "%s", c.name);
  out->rank = c.flags & 0x1f;
  out->l = c.l;
  out->b = c.b;
  out->r = c.r;
  out->t = c.t;
  out->nInst = c.nc;
  return 0;
}

int ReadObjectsS(void* ctx, const char* cell) {
  ++Reads;
  int r = TlcReadBPV(cell);
  if (TlcStore.oomFlag && ctx) static_cast<DrcState*>(ctx)->g.stopCode = DRC_STOP_MEMORY;
  return r ? 1 : 0;
}

int32_t BoxCountS(void*) { return TlcStore.nB; }

void BoxS(void*, int32_t i, DrcBoxRec* out) {
  out->layer = getB(0, i);
  out->l = getB(1, i);
  out->b = getB(2, i);
  out->r = getB(3, i);
  out->t = getB(4, i);
}

int32_t PathCountS(void*) { return TlcStore.nP; }

void PathVertices(int32_t i, DrcPathRec* out) {
  out->word0 = (uint32_t)getP(0, i);
  out->width = getP(1, i);
  out->nv = 0;
  out->xy = XY;
  int32_t v = getP(2, i);
  int n = 0;
  while (v > 0 && n < PVSIZ) {
    XY[2 * n] = getV(1, v);
    XY[2 * n + 1] = getV(2, v);
    ++n;
    v = getV(3, v);
  }
  out->nv = n;
}

void PathS(void*, int32_t i, DrcPathRec* out) {
  if ((uint32_t)getP(0, i) & TXHB) {  // texts are never mapped
    out->word0 = (uint32_t)getP(0, i);
    out->width = getP(1, i);
    out->nv = 0;
    out->xy = XY;
    return;
  }
  PathVertices(i, out);
}

// Texts with their vertices: the position, then 8 characters a vertex.
void PathAllS(void*, int32_t i, DrcPathRec* out) { PathVertices(i, out); }

// The cell whose instances each level's bank holds from a read without
// error, or "": every map of every area walks the hierarchy again, and the
// main cell's list of thousands of instances need not be read and parsed
// again each time. A read at a level frees the deeper banks, a bank kept
// leaves them as they are: what a tag names is always what its bank holds.
char BankCell[NRANK + 1][NAMLEN + 1];

void BanksForget(int from) {
  for (int d = from < 0 ? 0 : from; d <= NRANK; ++d) BankCell[d][0] = '\0';
}

int ReadInstancesS(void* ctx, const char* cell, int level) {
  bool named = cell && cell[0] && std::strlen(cell) <= NAMLEN;
  if (named && level >= 0 && level <= NRANK && std::strcmp(BankCell[level], cell) == 0) return 0;
  int r = TlcReadC(cell, level);
  if (TlcStore.oomFlag && ctx) static_cast<DrcState*>(ctx)->g.stopCode = DRC_STOP_MEMORY;
  if (level >= 0 && level <= NRANK) {
    BanksForget(level);
    if (r == 0 && named && !TlcLimitHit()) std::snprintf(BankCell[level], sizeof BankCell[level], "%s", cell);
  }
  return r ? 1 : 0;
}

int32_t InstCountS(void*, int level) { return level >= 0 && level <= NRANK ? TlcStore.nA[level] : 0; }

void InstS(void*, int level, int32_t i, DrcInstRec* out) {
  out->word = (uint32_t)getA(level, 0, i);
  out->x = getA(level, 1, i);
  out->y = getA(level, 2, i);
}

const DrcCellSource kSource = {nullptr,    CellInfoS,      ReadObjectsS, BoxCountS, BoxS,
                               PathCountS, PathS,          ReadInstancesS, InstCountS, InstS};

const DrcCellSource kSourceAll = {nullptr,    CellInfoS,      ReadObjectsS, BoxCountS, BoxS,
                                  PathCountS, PathAllS,       ReadInstancesS, InstCountS, InstS};

}  // namespace

const DrcCellSource* DrcStoreSourceAll() { return &kSourceAll; }

const DrcCellSource* DrcStoreSource(DrcState& st) {
  // The callbacks report a store out of memory in this state's stop code.
  st.run.storeSrc = kSource;
  st.run.storeSrc.ctx = &st;
  return &st.run.storeSrc;
}

int DrcStoreFind(void*, const char* name) { return GetCinfo(name); }

long DrcStoreReads() { return Reads; }

void DrcStoreReset() {
  Reads = 0;
  BanksForget(0);
  TlcStoreReset();
}
