#include "drc_memsrc.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "orient.h"

namespace {

std::string Upper(const char* s) {
  std::string u(s ? s : "");
  for (char& c : u) c = (char)std::toupper((unsigned char)c);
  return u;
}

std::string Clean(const std::string& line) {
  size_t a = 0, b = line.size();
  while (a < b && (line[a] == ' ' || line[a] == '\t')) ++a;
  while (b > a && (unsigned char)line[b - 1] <= ' ') --b;
  return line.substr(a, b - a);
}

DrcMemDrawing& D(void* ctx) { return *static_cast<DrcMemDrawing*>(ctx); }

int CellInfo(void* ctx, int index, DrcCellInfo* out) {
  DrcMemDrawing& d = D(ctx);
  std::memset(out, 0, sizeof *out);
  if (index < 1 || index > (int)d.cells.size()) return 1;
  const DrcMemCell& c = d.cells[index - 1];
  std::snprintf(out->name, sizeof out->name, "%s", c.name.c_str());
  out->rank = c.rank;
  out->l = c.l;
  out->b = c.b;
  out->r = c.r;
  out->t = c.t;
  out->nInst = (int32_t)c.insts.size();
  return 0;
}

int ReadObjects(void* ctx, const char* cell) {
  DrcMemDrawing& d = D(ctx);
  d.loaded = DrcMemFind(d, cell);
  d.reads++;
  return d.loaded ? 0 : 1;
}

int32_t BoxCount(void* ctx) {
  DrcMemDrawing& d = D(ctx);
  return d.loaded ? (int32_t)d.cells[d.loaded - 1].boxes.size() : 0;
}

void Box(void* ctx, int32_t i, DrcBoxRec* out) {
  DrcMemDrawing& d = D(ctx);
  *out = d.cells[d.loaded - 1].boxes[i - 1];
}

int32_t PathCount(void* ctx) {
  DrcMemDrawing& d = D(ctx);
  return d.loaded ? (int32_t)d.cells[d.loaded - 1].paths.size() : 0;
}

void Path(void* ctx, int32_t i, DrcPathRec* out) {
  DrcMemDrawing& d = D(ctx);
  const DrcMemPath& p = d.cells[d.loaded - 1].paths[i - 1];
  out->word0 = p.word0;
  out->width = p.width;
  out->nv = (int32_t)(p.xy.size() / 2);
  out->xy = p.xy.data();
}

int ReadInstances(void* ctx, const char* cell, int level) {
  DrcMemDrawing& d = D(ctx);
  if (level < 0 || level >= DRC_LEVELS) return 1;
  for (int l = level; l < DRC_LEVELS; ++l) d.bank[l].clear();
  int c = DrcMemFind(d, cell);
  if (!c) return 1;
  for (const DrcMemInst& in : d.cells[c - 1].insts) {
    int idx = DrcMemFind(d, in.cell.c_str());
    d.bank[level].push_back({(uint32_t)idx | ((uint32_t)(in.orient & 7) << 17), in.x, in.y});
  }
  return 0;
}

int32_t InstCount(void* ctx, int level) { return (int32_t)D(ctx).bank[level].size(); }

void Inst(void* ctx, int level, int32_t i, DrcInstRec* out) { *out = D(ctx).bank[level][i - 1]; }

}  // namespace

int DrcMemFind(const DrcMemDrawing& d, const char* name) {
  std::string u = Upper(name);
  for (size_t i = 0; i < d.cells.size(); ++i)
    if (d.cells[i].name == u) return (int)i + 1;
  return 0;
}

int DrcMemAddCell(DrcMemDrawing& d, const char* name) {
  int i = DrcMemFind(d, name);
  if (!i) {
    d.cells.push_back(DrcMemCell());
    i = (int)d.cells.size();
  }
  DrcMemCell& c = d.cells[i - 1];
  c = DrcMemCell();
  c.name = Upper(name);
  c.rank = 1;
  c.l = c.b = 0;
  c.r = c.t = 1;
  return i;
}

int DrcMemReadTlc(DrcMemDrawing& d, int cell, const char* text) {
  std::istringstream in(text);
  std::string line;
  DrcMemCell& c = d.cells[cell - 1];
  auto next = [&](std::string& out) {
    if (!std::getline(in, out)) return false;
    out = Clean(out);
    return true;
  };
  while (next(line)) {
    if (line == "<B>" || line == "=B") {
      std::string v;
      DrcBoxRec b;
      if (!next(v) || std::sscanf(v.c_str(), "%d %d %d %d %d", &b.layer, &b.l, &b.b, &b.r, &b.t) != 5) return 1;
      if (b.l > b.r) std::swap(b.l, b.r);
      if (b.b > b.t) std::swap(b.b, b.t);
      c.boxes.push_back(b);
    } else if (line == "<P>" || line == "=P") {
      std::string v;
      int layer, width, nv;
      if (!next(v) || std::sscanf(v.c_str(), "%d %d %d", &layer, &width, &nv) != 3) return 1;
      if (nv < 1 || nv > DRC_MAXV) return 1;
      DrcMemPath p;
      p.word0 = (uint32_t)layer & 0x1ff;
      p.width = width;
      while ((int)p.xy.size() < 2 * nv) {
        if (!next(v)) return 1;
        std::istringstream nums(v);
        long long k;
        while ((int)p.xy.size() < 2 * nv && nums >> k) p.xy.push_back((int32_t)k);
      }
      c.paths.push_back(p);
    } else if (line == "<C>" || line == "=C") {
      std::string name, v;
      int o, x, y, outline = 0;
      if (!next(name) || !next(v) || std::sscanf(v.c_str(), "%d %d %d %d", &o, &x, &y, &outline) < 3) return 1;
      c.insts.push_back({Upper(name.substr(0, 32).c_str()), o & 7, x, y});
    }
  }
  return 0;
}

void DrcMemFinish(DrcMemDrawing& d) {
  // Ranks: 1 for leaves, else one above the highest child (at most 24).
  for (int pass = 0; pass < DRC_LEVELS + 1; ++pass)
    for (DrcMemCell& c : d.cells) {
      int r = 1;
      for (const DrcMemInst& in : c.insts) {
        int k = DrcMemFind(d, in.cell.c_str());
        if (k) r = std::max(r, d.cells[k - 1].rank + 1);
      }
      c.rank = std::min(r, 24);
    }
  // Extents, lowest ranks first.
  for (int rank = 1; rank <= 24; ++rank)
    for (DrcMemCell& c : d.cells) {
      if (c.rank != rank) continue;
      int64_t l = INT64_MAX, b = INT64_MAX, r = INT64_MIN, t = INT64_MIN;
      auto add = [&](int64_t x, int64_t y) {
        l = std::min(l, x);
        r = std::max(r, x);
        b = std::min(b, y);
        t = std::max(t, y);
      };
      for (const DrcBoxRec& bx : c.boxes) {
        add(bx.l, bx.b);
        add(bx.r, bx.t);
      }
      for (const DrcMemPath& p : c.paths) {
        int64_t m = p.width < 0 ? -(int64_t)p.width : p.width;
        for (size_t i = 0; i + 1 < p.xy.size(); i += 2) {
          add(p.xy[i] - m, p.xy[i + 1] - m);
          add(p.xy[i] + m, p.xy[i + 1] + m);
        }
      }
      for (const DrcMemInst& in : c.insts) {
        int k = DrcMemFind(d, in.cell.c_str());
        if (!k) continue;
        const DrcMemCell& s = d.cells[k - 1];
        int64_t x0, y0, x1, y1;
        OrientPoint(in.orient, s.l, s.b, &x0, &y0);
        OrientPoint(in.orient, s.r, s.t, &x1, &y1);
        add(x0 + in.x, y0 + in.y);
        add(x1 + in.x, y1 + in.y);
      }
      if (l > r) {
        l = b = 0;
        r = t = 1;
      }
      c.l = (int32_t)l;
      c.b = (int32_t)b;
      c.r = (int32_t)r;
      c.t = (int32_t)t;
    }
}

void DrcMemSource(DrcMemDrawing& d) {
  d.loaded = 0;
  d.src.ctx = &d;
  d.src.cellInfo = CellInfo;
  d.src.readObjects = ReadObjects;
  d.src.boxCount = BoxCount;
  d.src.box = Box;
  d.src.pathCount = PathCount;
  d.src.path = Path;
  d.src.readInstances = ReadInstances;
  d.src.instCount = InstCount;
  d.src.inst = Inst;
}
