// Device and parameter texts of placed instances, and the parameter alias
// file.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "ckt_compile.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "qfile.h"

namespace ckt {

namespace {

struct InstBox {
  int32_t left, bottom, right, top, x, y;
  int32_t cell;
  int rank;
  int flagged;  // a cell that gives no device line takes no texts
};

// Texts of the instances of the cell being written, computed once per cell
// and layer: the sorts and the node list ask for them again and again.
struct TextCache {
  int layer = -1;
  int32_t instances = -1;
  uint32_t cellGen = 0;
  std::vector<InstBox> inst;                 // 1-based
  // Per instance, texts in record order; made when the first text is
  // chosen (a cell without texts on the layer needs no list per instance).
  std::vector<std::vector<int32_t>> chosen;
};

}  // namespace

struct CktDevTextState {
  TextCache dev, par;
  uint32_t gen = 1;
  // Results of the alias lookups of a run: the file is read once per alias.
  std::unordered_map<std::string, std::string> pafMemo;
};

CktDevTextState* CktDevTextStateNew() { return new CktDevTextState(); }
void CktPartFree::operator()(CktDevTextState* p) const { delete p; }

namespace {

int TextAt(CktState& st, int32_t path, int layer, int32_t* x, int32_t* y) {
  CktPath* p = PathRec(st, path);
  if (!p || p->word >= 0 || (p->word & 0x1ff) != layer || !p->first) return 0;
  CktVertex* v = VtxRec(st, p->first);
  if (!v) return 0;
  *x = v->x;
  *y = v->y;
  return 1;
}

int InsideIncl(const InstBox& b, int32_t x, int32_t y) {
  return b.left <= x && x <= b.right && b.bottom <= y && y <= b.top;
}
int InsideStrict(const InstBox& b, int32_t x, int32_t y) {
  return b.left < x && x < b.right && b.bottom < y && y < b.top;
}
int Encloses(const InstBox& j, const InstBox& k) {
  return j.left < k.left && j.right > k.right && j.bottom < k.bottom && j.top > k.top;
}

uint64_t PointKey(int32_t x, int32_t y) { return ((uint64_t)(uint32_t)x << 32) | (uint32_t)y; }

// The instances a text can concern: those whose area holds its point
// (edges included) and those placed at it, found through a grid over the
// instances' areas and a map of their origins instead of a look at every
// instance for every text. An instance spanning many cells of the grid is
// kept in a list asked for every point.
struct InstIndex {
  int64_t x0 = 0, y0 = 0, cw = 1, ch = 1;
  int64_t gx = 1, gy = 1;
  std::vector<int32_t> head, items, big;  // cells in rows: CSR offsets and instances
  std::vector<std::pair<uint64_t, int32_t>> origin;  // (point, instance), sorted
};

// Cells lo..hi of one axis (lo >= start, so both are >= 0).
void CellSpan(int64_t lo, int64_t hi, int64_t start, int64_t size, int64_t* a, int64_t* b) {
  *a = (lo - start) / size;
  *b = (hi - start) / size;
}

void InstIndexBuild(InstIndex& x, const std::vector<InstBox>& inst) {
  int32_t n = (int32_t)inst.size() - 1;
  int64_t l = INT64_MAX, b = INT64_MAX, r = INT64_MIN, t = INT64_MIN;
  for (int32_t j = 1; j <= n; j++) {
    const InstBox& i = inst[(size_t)j];
    l = std::min<int64_t>(l, i.left);
    b = std::min<int64_t>(b, i.bottom);
    r = std::max<int64_t>(r, i.right);
    t = std::max<int64_t>(t, i.top);
    x.origin.emplace_back(PointKey(i.x, i.y), j);
  }
  std::sort(x.origin.begin(), x.origin.end());
  int64_t side = 1;
  while (side * side < n && side < 1024) side *= 2;
  x.gx = x.gy = side;
  x.x0 = l;
  x.y0 = b;
  x.cw = (r - l) / x.gx + 1;
  x.ch = (t - b) / x.gy + 1;
  x.head.assign((size_t)(x.gx * x.gy + 1), 0);
  std::vector<int32_t> fill;
  for (int pass = 0; pass < 2; pass++) {
    for (int32_t j = 1; j <= n; j++) {
      const InstBox& i = inst[(size_t)j];
      if (i.left > i.right || i.bottom > i.top) continue;  // holds no point
      int64_t ax, bx, ay, by;
      CellSpan(i.left, i.right, x.x0, x.cw, &ax, &bx);
      CellSpan(i.bottom, i.top, x.y0, x.ch, &ay, &by);
      if ((bx - ax + 1) * (by - ay + 1) > 16) {
        if (pass == 0) x.big.push_back(j);
        continue;
      }
      for (int64_t cy = ay; cy <= by; cy++)
        for (int64_t cx = ax; cx <= bx; cx++) {
          size_t c = (size_t)(cy * x.gx + cx);
          if (pass == 0) x.head[c + 1]++;
          else x.items[(size_t)fill[c]++] = j;
        }
    }
    if (pass == 0) {
      for (size_t c = 1; c < x.head.size(); c++) x.head[c] += x.head[c - 1];
      x.items.assign((size_t)x.head.back(), 0);
      fill.assign(x.head.begin(), x.head.end() - 1);
    }
  }
}

// Appends the instances placed at a point, ascending.
void InstIndexPlacedAt(const InstIndex& x, int32_t px, int32_t py, std::vector<int32_t>& out) {
  uint64_t key = PointKey(px, py);
  auto o = std::lower_bound(x.origin.begin(), x.origin.end(), std::make_pair(key, (int32_t)0));
  for (; o != x.origin.end() && o->first == key; ++o) out.push_back(o->second);
}

// The instances to look at for a point, ascending.
void InstIndexAt(const InstIndex& x, int32_t px, int32_t py, std::vector<int32_t>& out) {
  out.clear();
  int64_t cx = (int64_t)px - x.x0, cy = (int64_t)py - x.y0;
  if (cx >= 0 && cy >= 0 && cx / x.cw < x.gx && cy / x.ch < x.gy) {
    size_t c = (size_t)((cy / x.ch) * x.gx + cx / x.cw);
    out.insert(out.end(), x.items.begin() + x.head[c], x.items.begin() + x.head[c + 1]);
  }
  out.insert(out.end(), x.big.begin(), x.big.end());
  InstIndexPlacedAt(x, px, py, out);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
}

// Which instance (or the cell itself, index 0) owns each text of the layer.
// A text inside k belongs to k unless it lies strictly inside another
// instance placed after the last one that strictly encloses k; a text on an
// instance's origin belongs to it unless another instance has the same
// origin.
void Build(CktState& st, TextCache& c, int layer, int32_t instances) {
  if (c.layer == layer && c.instances == instances && c.cellGen == st.devText->gen) return;
  c.layer = layer;
  c.instances = instances;
  c.cellGen = st.devText->gen;
  c.chosen.clear();
  // The boxes of the instances are the same for both layers: taken from
  // the other cache when it holds them for this cell.
  const TextCache& other = &c == &st.devText->dev ? st.devText->par : st.devText->dev;
  int copied = other.instances == instances && other.cellGen == st.devText->gen && other.inst.size() == (size_t)instances + 1;
  if (copied) c.inst = other.inst;
  else c.inst.assign((size_t)instances + 1, InstBox{});
  for (int32_t j = 1; j <= instances && !copied; j++) {
    InstanceFetch(st, 0, j);
    const CktPlace& p = st.store->place[0];
    InstBox& b = c.inst[(size_t)j];
    b = InstBox{p.left, p.bottom, p.right, p.top, p.x, p.y, p.cell, p.rank, 0};
    int32_t flags = st.store->cells[p.cell].flags;
    b.flagged = (flags & (CELL_SYMBOL | CELL_DEVICE_NO_CONN | CELL_UPPER_NO_CONN)) ? 1 : 0;
  }
  // Many instances: an index tells the few each text can concern.
  // Many instances: an index, made when the first text of the layer
  // comes, tells the few each text can concern.
  const int32_t kIndexFrom = 32;
  InstIndex index;
  int indexed = 0;
  std::vector<int32_t> strict, cand, near, all, placed;
  for (int32_t j = 1; j < kIndexFrom && j <= instances; j++) all.push_back(j);
  for (int32_t t = 1; t <= st.store->np; t++) {
    if (t % 1000 == 0 && CktStopped(st)) return;
    int32_t x, y;
    if (!TextAt(st, t, layer, &x, &y)) continue;
    strict.clear();
    cand.clear();
    int outsideAll = 1;
    if (instances >= kIndexFrom && !indexed) {
      InstIndexBuild(index, c.inst);
      indexed = 1;
    }
    if (instances >= kIndexFrom) InstIndexAt(index, x, y, near);
    for (int32_t j : instances >= kIndexFrom ? near : all) {
      const InstBox& b = c.inst[(size_t)j];
      if (InsideIncl(b, x, y) || (b.x == x && b.y == y)) cand.push_back(j);
      if (!b.flagged && InsideStrict(b, x, y)) {
        strict.push_back(j);
        outsideAll = 0;
      }
    }
    if (c.chosen.empty()) c.chosen.resize((size_t)instances + 1);
    if (outsideAll) c.chosen[0].push_back(t);
    for (int32_t k : cand) {
      const InstBox& bk = c.inst[(size_t)k];
      int take = 0;
      if (InsideIncl(bk, x, y)) {
        int32_t lastEncl = 0;
        for (int32_t j : strict)
          if (j != k && Encloses(c.inst[(size_t)j], bk)) lastEncl = j;
        take = 1;
        for (int32_t j : strict)
          if (j != k && j > lastEncl && !Encloses(c.inst[(size_t)j], bk)) take = 0;
      }
      if (bk.x == x && bk.y == y) take = 1;
      // Another instance placed at the same point takes it from k.
      if (take) {
        placed.clear();
        if (instances >= kIndexFrom) InstIndexPlacedAt(index, x, y, placed);
        const std::vector<int32_t>& at = instances >= kIndexFrom ? placed : all;
        for (size_t i = 0; i < at.size() && take; i++) {
          int32_t j = at[i];
          const InstBox& bj = c.inst[(size_t)j];
          if (j != k && !bj.flagged && bj.x == x && bj.y == y) take = 0;
        }
      }
      if (take) c.chosen[(size_t)k].push_back(t);
    }
  }
}

// Appends n bytes of s to buf (size bytes, *len used), cut to fit; keeps
// it terminated.
void Put(char* buf, size_t size, size_t* len, const char* s, size_t n) {
  if (*len + n > size - 1) n = size - 1 - *len;
  memcpy(buf + *len, s, n);
  *len += n;
  buf[*len] = 0;
}

// The texts chosen for instance k (0: the cell itself).
const std::vector<int32_t>& ChosenOf(const TextCache& c, int32_t k) {
  static const std::vector<int32_t> none;
  return (size_t)k < c.chosen.size() ? c.chosen[(size_t)k] : none;
}

}  // namespace

void DeviceTextsForget(CktState& st) { st.devText->gen++; }

const char* DeviceText(CktState& st, int layer, int32_t k, int32_t instances) {
  static char buf[CKT_VALUE + 64];
  if (k < 0) return "Lower Cell Number Error";
  if (k > instances) return "?";
  Build(st, st.devText->dev, layer, instances);
  if (CktStopped(st)) return "?";
  const std::vector<int32_t>& ch = ChosenOf(st.devText->dev, k);
  if (!ch.empty()) {
    snprintf(buf, sizeof buf, "%s", NodeName(st, ch.back()));
    return buf;
  }
  if (k == 0) return "";
  const InstBox& b = st.devText->dev.inst[(size_t)k];
  if (b.rank < 2) return "?";
  // "X_<k>_<cell>", put together without a formatted print: every
  // placement of a cell without a device text asks for it.
  char digits[16];
  char* end = digits + sizeof digits;
  char* first = end;
  for (uint32_t v = (uint32_t)k; first == end || v; v /= 10) *--first = (char)('0' + v % 10);
  size_t len = 0;
  Put(buf, sizeof buf, &len, "X_", 2);
  Put(buf, sizeof buf, &len, first, (size_t)(end - first));
  Put(buf, sizeof buf, &len, "_", 1);
  const char* name = st.store->cells[b.cell].name;
  Put(buf, sizeof buf, &len, name, strnlen(name, sizeof st.store->cells[b.cell].name));
  return buf;
}

const char* ParamText(CktState& st, int layer, int32_t k, int32_t instances) {
  static char buf[CKT_PARAM_MAX + CKT_VALUE + 8];
  if (k < 0) return "Lower Cell Number Error";
  if (k > instances) return "?";
  Build(st, st.devText->par, layer, instances);
  if (CktStopped(st)) return "?";
  const std::vector<int32_t>& ch = ChosenOf(st.devText->par, k);
  if (ch.empty()) {
    if (k == 0) return "";
    const char* name = st.store->cells[st.devText->par.inst[(size_t)k].cell].name;
    size_t len = 0;
    Put(buf, sizeof buf, &len, "@", 1);
    Put(buf, sizeof buf, &len, name, strnlen(name, sizeof st.store->cells[0].name));
    return buf;
  }
  // Up to 64 texts, top first; equal heights keep their order.
  size_t keep = ch.size() < (size_t)CKT_PARAM_TEXTS ? ch.size() : (size_t)CKT_PARAM_TEXTS;
  std::vector<int32_t> t(ch.begin(), ch.begin() + (long)keep);
  std::vector<int32_t> ty(t.size());
  for (size_t i = 0; i < t.size(); i++) {
    int32_t x;
    TextAt(st, t[i], layer, &x, &ty[i]);
  }
  for (size_t i = 0; i + 1 < t.size(); i++)
    for (size_t j = i + 1; j < t.size(); j++)
      if (ty[j] > ty[i]) {
        std::swap(ty[i], ty[j]);
        std::swap(t[i], t[j]);
      }
  buf[0] = 0;
  size_t len = 0;
  for (size_t i = 0; i < t.size(); i++) {
    if (len >= CKT_PARAM_MAX) break;
    const char* s = NodeName(st, t[i]);
    int n = snprintf(buf + len, sizeof buf - len, "%s%s", (i > 0 && (s[0] == '+' || s[0] == '*')) ? "\n" : "", s);
    if (n < 0) break;
    len += (size_t)n;
    if (len >= sizeof buf) len = sizeof buf - 1;
  }
  return buf;
}

int PafCharClass(FILE* f, int* c) {
  *c = getc(f);
  if (*c == EOF) return PAF_EOF;
  if (*c == '\n') return PAF_EOL;
  if (isalnum(*c) || strchr("_-{}[]~#$&^!", *c)) return PAF_NAME;
  if (*c == '=') return PAF_END_NAME;
  if (*c == '<') return PAF_OPEN;
  if (*c == '>') return PAF_CLOSE;
  return PAF_IGNORED;
}

void PafForget(CktState& st) { st.devText->pafMemo.clear(); }

const char* PafLookupMemo(CktState& st, const char* name, const char* path) {
  static std::string keep;
  std::string key = std::string(path ? path : "") + '\x01' + (name ? name : "");
  auto it = st.devText->pafMemo.find(key);
  if (it == st.devText->pafMemo.end()) it = st.devText->pafMemo.emplace(key, PafLookup(name, path)).first;
  keep = it->second;
  return keep.c_str();
}

const char* PafLookup(const char* name, const char* path) {
  static char text[CKT_ALIAS_MAX + 1];
  static char same[CKT_VALUE + 8];
  snprintf(same, sizeof same, "%s", name ? name : "");
  if (!path || !path[0]) return same;
  QFile file = QFileOpen(path, "r");
  if (!file) return same;
  FILE* f = file.get();
  char buf[CKT_ALIAS_NAME + 1];
  size_t n = 0;
  int c;
  for (;;) {
    int k = PafCharClass(f, &c);
    if (k == PAF_EOF) break;
    if (k == PAF_EOL) {
      n = 0;
    } else if (k == PAF_NAME) {
      // A longer run of name characters is cut; it then matches no name
      // the settings can hold.
      if (n < CKT_ALIAS_NAME) buf[n++] = (char)c;
    } else if (k == PAF_END_NAME) {
      buf[n] = 0;
      int match = strcasecmp(buf, same) == 0 && n > 0;
      n = 0;
      if (match) {
        while ((k = PafCharClass(f, &c)) != PAF_EOF && k != PAF_OPEN) {
        }
        size_t len = 0;
        while ((c = getc(f)) != EOF && c != '>' && len < CKT_ALIAS_MAX)
          if (c != '\r') text[len++] = (char)c;
        text[len] = 0;
        return len ? text : "?";
      }
      // The bracketed text of an entry that does not match holds no names:
      // skip it, so "W" never matches inside "<... W=...>".
      for (;;) {
        k = PafCharClass(f, &c);
        if (k == PAF_IGNORED || k == PAF_EOL) continue;
        if (k == PAF_OPEN) {
          while ((c = getc(f)) != EOF && c != '>') {
          }
        } else if (k != PAF_EOF) {
          ungetc(c, f);
        }
        break;
      }
    }
  }
  return same;
}

}  // namespace ckt
