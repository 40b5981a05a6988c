// Lower cells' boxes and paths parsed once per run: a cell placed ten
// thousand times is flattened from memory instead of reading its file ten
// thousand times. A missing file, or one with a record that cannot be read,
// is read the ordinary way (so its errors are reported as before).
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "ckt_load.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

namespace ckt {

namespace {

struct Rec {
  int32_t layer, width;  // width < 0 allowed; boxes keep 0
  int box;               // 1 box (4 coordinates), 0 path
  int32_t n;             // points of a path
  size_t at;             // first coordinate in the entry's list
  int slot;              // the record's layer in the entry's layer list
};

struct Entry {
  int found = 0;  // 0 not looked for yet, 1 file there, -1 no file
  std::string path;
  int parsed = 0, clean = 0;  // the boxes and paths, parsed on first ask
  std::vector<Rec> recs;
  std::vector<int32_t> xy;      // boxes l, b, r, t; paths x0, y0, x1, y1, ...
  std::vector<int32_t> layers;  // each layer of the records once
  int cParsed = 0, cClean = 0;  // the placements, parsed on first ask
  std::vector<CktCellRec> cells;
  // Each placement's cell looked up once: the collection does not change
  // within a run, and the main cell's ten thousand placements are made
  // again after each lower cell's compile.
  std::vector<int32_t> cellIndex;
};

// The bank each level was last filled from the cache with, and the bank's
// stamp then: a cell read again into the same level (the same inverter
// placed ten thousand times) keeps its placements instead of making them
// again.
struct BankFill {
  const Entry* entry;
  uint64_t stamp;
};

// The last few cells asked for: flattening an inverter asks for it, its
// two transistors and it again, ten thousand times over.
struct Recent {
  char name[40];
  Entry* entry;
};

}  // namespace

struct CktLowerCacheState {
  // Keyed by the cell name as asked. A run writes no cell files, so each
  // file is looked for once a run: a stat per placement cost a tenth of the
  // whole compile.
  std::unordered_map<std::string, Entry> cache;
  int on = 0;  // only within a compile run, which starts with an empty cache
  BankFill bankFill[CKT_BANKS] = {};
  Recent recent[4] = {};
  int recentNext = 0;
};

CktLowerCacheState* CktLowerCacheStateNew() { return new CktLowerCacheState(); }
void CktPartFree::operator()(CktLowerCacheState* p) const { delete p; }

namespace {

// Whatever points into the cache goes with it.
void PointersForget(CktState& st) {
  for (BankFill& f : st.lowerCache->bankFill) f = BankFill{nullptr, 0};
  for (Recent& r : st.lowerCache->recent) r = Recent{{0}, nullptr};
  st.lowerCache->recentNext = 0;
}

int FileOf(CktState& st, const char* name, std::string* path) {
  const char* exts[2] = {"TLC", "tlc"};
  struct stat info;
  for (const char* ext : exts) {
    *path = std::string(st.store->folder) + name + "." + ext;
    if (stat(path->c_str(), &info) == 0) return 1;
  }
  return 0;
}

// A file may use any number of layer values: looked up by hash, not by
// walking the list.
int SlotOf(Entry* e, std::unordered_map<int32_t, int>* slots, int32_t layer) {
  auto it = slots->find(layer);
  if (it != slots->end()) return it->second;
  e->layers.push_back(layer);
  int slot = (int)e->layers.size() - 1;
  slots->emplace(layer, slot);
  return slot;
}

void Parse(const std::string& path, Entry* e) {
  static TlcLineIn* in = nullptr;
  static CktPathRec path1;
  if (!in) in = static_cast<TlcLineIn*>(calloc(1, sizeof(TlcLineIn)));
  e->recs.clear();
  e->xy.clear();
  e->layers.clear();
  std::unordered_map<int32_t, int> slots;
  e->parsed = 1;
  e->clean = 0;
  if (!in || !TlcLineOpenFile(in, path.c_str(), 1)) return;
  int clean = 1;
  CktBoxRec box;
  const char* line;
  while ((line = TlcLineGet(in)) != nullptr) {
    int tag = TlcTagOf(line);
    if (tag == TLC_TAG_B) {
      if (!ReadB(in, &box)) {
        clean = 0;
        break;
      }
      e->recs.push_back(Rec{box.lyr, 0, 1, 2, e->xy.size(), SlotOf(e, &slots, box.lyr)});
      e->xy.insert(e->xy.end(), {box.l, box.b, box.r, box.t});
    } else if (tag == TLC_TAG_P) {
      if (!ReadP(in, &path1)) {
        clean = 0;
        break;
      }
      e->recs.push_back(Rec{path1.lyr, path1.w, 0, path1.nv, e->xy.size(), SlotOf(e, &slots, path1.lyr)});
      for (int i = 0; i < path1.nv; i++) e->xy.insert(e->xy.end(), {path1.x[i], path1.y[i]});
    }
  }
  if (TlcLineClose(in)) clean = 0;
  e->clean = clean;
}

void ParseC(CktState& st, const std::string& path, Entry* e) {
  static TlcLineIn* in = nullptr;
  if (!in) in = static_cast<TlcLineIn*>(calloc(1, sizeof(TlcLineIn)));
  e->cells.clear();
  e->cellIndex.clear();
  e->cParsed = 1;
  e->cClean = 0;
  if (!in || !TlcLineOpenFile(in, path.c_str(), 1)) return;
  int clean = 1;
  CktCellRec rec;
  const char* line;
  while ((line = TlcLineGet(in)) != nullptr) {
    if (TlcTagOf(line) != TLC_TAG_C) continue;
    if (!ReadC(in, &rec)) {
      clean = 0;
      break;
    }
    e->cells.push_back(rec);
    e->cellIndex.push_back(GetCinfo(st, rec.name));
  }
  if (TlcLineClose(in)) clean = 0;
  e->cClean = clean;
}

// The cache entry of a cell's file, looked for on the first ask of the
// run; what is asked for is parsed then (the main cell's placements are,
// its boxes are not).
Entry* EntryOf(CktState& st, const char* name) {
  if (!st.lowerCache->on || !name || !name[0]) return nullptr;
  for (const Recent& r : st.lowerCache->recent)
    if (r.entry && strcmp(r.name, name) == 0) return r.entry->found > 0 ? r.entry : nullptr;
  Entry& e = st.lowerCache->cache[name];
  if (strlen(name) < sizeof st.lowerCache->recent[0].name) {
    Recent& r = st.lowerCache->recent[st.lowerCache->recentNext];
    st.lowerCache->recentNext = (st.lowerCache->recentNext + 1) % 4;
    snprintf(r.name, sizeof r.name, "%s", name);
    r.entry = &e;
  }
  if (!e.found) {
    if (!FileOf(st, name, &e.path)) {
      e.found = -1;
      return nullptr;
    }
    e.found = 1;
  }
  return e.found > 0 ? &e : nullptr;
}

}  // namespace

int LowerCacheReadC(CktState& st, const char* name, int level, int* result) {
  if (level < 0 || level > 23) return 0;
  Entry* e = EntryOf(st, name);
  if (e && !e->cParsed) ParseC(st, e->path, e);
  if (!e || !e->cClean) return 0;
  BankFill& fill = st.lowerCache->bankFill[level];
  // Kept only when the bank is whole: after a limit every later read leaves
  // it empty, and a page that could not be had left it short.
  if (fill.entry == e && fill.stamp == st.store->bankStamp[level] && !st.store->aLim &&
      st.store->bankCount[level] == (int32_t)e->cells.size()) {
    for (int b = level + 1; b < CKT_BANKS; b++) freeCEL(st, b);
    *result = 0;
    return 1;
  }
  for (int b = level; b < CKT_BANKS; b++) freeCEL(st, b);
  st.store->bankCount[level] = 0;
  for (size_t i = 0; i < e->cells.size(); i++) {
    const CktCellRec& rec = e->cells[i];
    if (!st.store->aLim) TlcMakeCOf(st, level, e->cellIndex[i], rec.o, rec.x, rec.y, rec.r);
  }
  fill = BankFill{e, st.store->bankStamp[level]};
  *result = 0;
  return 1;
}

void LowerCacheForget(CktState& st) {
  st.lowerCache->cache.clear();
  PointersForget(st);
}
void LowerCacheUse(CktState& st, int on) {
  st.lowerCache->cache.clear();
  PointersForget(st);
  st.lowerCache->on = on;
}

int LowerCacheRead(CktState& st, const char* name, int64_t dx, int64_t dy, int depth, int* result) {
  Entry* ep = EntryOf(st, name);
  if (ep && !ep->parsed) Parse(ep->path, ep);
  if (!ep || !ep->clean) return 0;
  Entry& e = *ep;
  static std::vector<int32_t> xs, ys;
  static std::vector<char> traced;
  // The trace table does not change within a call: each layer asked once.
  traced.resize(e.layers.size());
  for (size_t i = 0; i < e.layers.size(); i++) traced[i] = TraceTableLayer(st, e.layers[i]) ? 1 : 0;
  CktPlacing t;
  PlacingOf(st, depth, dx, dy, &t);
  for (const Rec& r : e.recs) {
    const int32_t* v = e.xy.data() + r.at;
    if (r.box) {
      if (!traced[(size_t)r.slot] || st.store->bLim) continue;
      // Placing the corners before storing gives the same box as placing
      // the stored one: the turns map a box onto a box, and TlcMakeB puts
      // the corners in order as PlaceBox would.
      int32_t x0, y0, x1, y1;
      PlacingApply(t, v[0], v[1], &x0, &y0);
      PlacingApply(t, v[2], v[3], &x1, &y1);
      if (!TlcMakeB(st, r.layer, x0, y0, x1, y1)) continue;
    } else {
      if (!traced[(size_t)r.slot] || st.store->pLim || st.store->vLim) continue;
      xs.resize((size_t)r.n);
      ys.resize((size_t)r.n);
      for (int32_t i = 0; i < r.n; i++) PlacingApply(t, v[2 * i], v[2 * i + 1], &xs[(size_t)i], &ys[(size_t)i]);
      TlcMakeP(st, r.layer, r.width, (int)r.n, xs.data(), ys.data());
    }
    if (CktStopped(st) && st.run.oomFlag) break;
  }
  *result = 0;
  return 1;
}

}  // namespace ckt
