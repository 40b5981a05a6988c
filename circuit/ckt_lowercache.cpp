// Lower cells' boxes and paths parsed once per run: a cell placed ten
// thousand times is flattened from memory instead of reading its file ten
// thousand times. A file that changed, or one with a record that cannot be
// read, is read the ordinary way (so its errors are reported as before).
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <vector>

#include "ckt_load.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_store.h"

namespace ckt {

namespace {

struct Rec {
  int32_t layer, width;  // width < 0 allowed; boxes keep 0
  int box;               // 1 box (4 coordinates), 0 path
  int32_t n;             // points of a path
  size_t at;             // first coordinate in the entry's list
};

struct Entry {
  int64_t mtime = 0, size = -1;
  int clean = 0;
  std::vector<Rec> recs;
  std::vector<int32_t> xy;  // boxes l, b, r, t; paths x0, y0, x1, y1, ...
  int cParsed = 0, cClean = 0;  // the placements, parsed on first ask
  std::vector<CktCellRec> cells;
};

std::unordered_map<std::string, Entry> g_cache;
int g_on = 0;  // only within a compile run, which starts with an empty cache

int FileOf(const char* name, std::string* path, struct stat* st) {
  const char* exts[2] = {"TLC", "tlc"};
  for (const char* ext : exts) {
    *path = std::string(g_store->folder) + name + "." + ext;
    if (stat(path->c_str(), st) == 0) return 1;
  }
  return 0;
}

void Parse(const std::string& path, Entry* e) {
  static TlcLineIn* in = nullptr;
  static CktPathRec path1;
  if (!in) in = static_cast<TlcLineIn*>(calloc(1, sizeof(TlcLineIn)));
  e->recs.clear();
  e->xy.clear();
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
      e->recs.push_back(Rec{box.layer, 0, 1, 2, e->xy.size()});
      e->xy.insert(e->xy.end(), {box.left, box.bottom, box.right, box.top});
    } else if (tag == TLC_TAG_P) {
      if (!ReadP(in, &path1)) {
        clean = 0;
        break;
      }
      e->recs.push_back(Rec{path1.layer, path1.width, 0, path1.nv, e->xy.size()});
      for (int i = 0; i < path1.nv; i++) e->xy.insert(e->xy.end(), {path1.x[i], path1.y[i]});
    }
  }
  if (TlcLineClose(in)) clean = 0;
  e->clean = clean;
}

void ParseC(const std::string& path, Entry* e) {
  static TlcLineIn* in = nullptr;
  if (!in) in = static_cast<TlcLineIn*>(calloc(1, sizeof(TlcLineIn)));
  e->cells.clear();
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
  }
  if (TlcLineClose(in)) clean = 0;
  e->cClean = clean;
}

// The cache entry of a cell's file, parsed again when the file changed.
Entry* EntryOf(const char* name) {
  if (!g_on || !name || !name[0]) return nullptr;
  std::string path;
  struct stat st;
  if (!FileOf(name, &path, &st)) return nullptr;
  Entry& e = g_cache[path];
  if (e.mtime != (int64_t)st.st_mtime || e.size != (int64_t)st.st_size) {
    e.mtime = (int64_t)st.st_mtime;
    e.size = (int64_t)st.st_size;
    Parse(path, &e);
    e.cParsed = 0;
  }
  if (!e.cParsed) ParseC(path, &e);
  return &e;
}

}  // namespace

int LowerCacheReadC(const char* name, int level, int* result) {
  if (level < 0 || level > 23) return 0;
  Entry* e = EntryOf(name);
  if (!e || !e->cClean) return 0;
  for (int b = level; b < CKT_BANKS; b++) freeCEL(b);
  g_store->bankCount[level] = 0;
  for (const CktCellRec& rec : e->cells)
    if (!g_store->aLim) TlcMakeC(level, rec.name, rec.orient, rec.x, rec.y, rec.outline);
  *result = 0;
  return 1;
}

void LowerCacheForget() { g_cache.clear(); }
void LowerCacheUse(int on) {
  g_cache.clear();
  g_on = on;
}

int LowerCacheRead(const char* name, int64_t dx, int64_t dy, int depth, int* result) {
  Entry* ep = EntryOf(name);
  if (!ep || !ep->clean) return 0;
  Entry& e = *ep;
  std::vector<int32_t> xs, ys;
  for (const Rec& r : e.recs) {
    const int32_t* v = e.xy.data() + r.at;
    if (r.box) {
      if (!TraceTableLayer(r.layer) || g_store->bLim) continue;
      if (!TlcMakeB(r.layer, v[0], v[1], v[2], v[3])) continue;
      CktBox* b = BoxRec(g_store->nb);
      if (!b) continue;
      PlaceBox(b, depth, dx, dy);
    } else {
      if (!TraceTableLayer(r.layer) || g_store->pLim || g_store->vLim) continue;
      xs.resize((size_t)r.n);
      ys.resize((size_t)r.n);
      for (int32_t i = 0; i < r.n; i++) {
        xs[(size_t)i] = v[2 * i];
        ys[(size_t)i] = v[2 * i + 1];
      }
      int32_t firstVtx = g_store->nv + 1;
      TlcMakeP(r.layer, r.width, (int)r.n, xs.data(), ys.data());
      for (int32_t k = firstVtx; k <= g_store->nv; k++) {
        CktVertex* vx = VtxRec(k);
        if (vx) PlaceTransform(depth, dx, dy, &vx->x, &vx->y);
      }
    }
    if (CktStopped() && g_cktRun.oomFlag) break;
  }
  *result = 0;
  return 1;
}

}  // namespace ckt
