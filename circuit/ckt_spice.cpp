// The Spice circuit file's definition blocks and the node list file's
// blocks of one compiled cell, the sorts of the device table and the node
// list, and the node kind counts.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ckt_compile.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"

namespace ckt {

namespace {

// Names of node numbers in the cell being written, each built once: the
// sorts, counts and both files ask for them again and again. A node finds
// its entry through a table indexed by the number itself (virtual numbers
// by magnitude, text numbers, symbol numbers), so no lookup hashes. An
// entry handed out is valid until the next new name is made (the table of
// entries may move then).
struct NameEntry {
  std::string name, folded;  // folded stays empty when equal to the name
  int32_t rank;
  int blank;  // the name holds a blank or tab
};

const std::string& FoldedOf(const NameEntry& e) { return e.folded.empty() ? e.name : e.folded; }

enum { NAME_DENSE = 1 << 22 };  // numbers up to this magnitude use the tables

struct NameMemo {
  std::vector<NameEntry> entries;
  std::vector<int32_t> virt, real, sym;  // entry + 1; 0 while unnamed
  std::unordered_map<int32_t, int32_t> other;  // numbers beyond the tables
  int ranked = 1;  // every entry holds its rank
  int32_t rankCount = 0;
  // Virtual names are the prefix and the magnitude, cut at a ";" like
  // every node name; built here without a formatted print per node.
  std::string prefix;
  int prefixCut = 0;  // the prefix holds a ";": every virtual name is the prefix
  int prefixReady = 0;
  int prefixBlank = 0;  // digits hold no blank: a virtual name has one when its prefix has
};
// Device text of every instance of the cell, its name up to the first
// blank or newline and the rank of its folded text, computed once.
struct DevTexts {
  int32_t instances = -1;  // texts built for this many instances
  int keyed = 0;           // ranks built too
  std::vector<std::string> text;  // 1-based
  std::vector<uint32_t> nameLen;
  std::vector<char> blank;  // the text holds a blank or tab
  std::vector<int32_t> key;
};
double Phys(CktState& st, int32_t v) { return st.run.scale > 0 ? v / st.run.scale : v; }

int HasBlank(const char* s) { return strpbrk(s, " \t") != nullptr; }

}  // namespace

struct CktSpiceState {
  // Names already reported as holding a blank, per cell.
  std::unordered_set<std::string> blankSeen;
  int32_t blankCell = -1;
  NameMemo names;
  int ranksReady = 0;  // the table's nodes are ranked for this cell
  DevTexts devTexts;
  // Entries of each instance, in table order: instance k's entries are
  // byInst[byInstStart[k] .. byInstStart[k + 1]).
  std::vector<int32_t> byInstStart, byInst;
  // Aliases of the parameter texts of the cell being written: most lines of
  // a cell share one.
  std::unordered_map<std::string, std::string> paramAlias;
  const std::string* lastAlias = nullptr;  // the alias asked for last, and its text
  std::string lastParam;
};

CktSpiceState* CktSpiceStateNew() { return new CktSpiceState(); }
void CktPartFree::operator()(CktSpiceState* p) const { delete p; }

namespace {

void BlankCheck(CktState& st, const char* what, const char* name, int32_t cell) {
  if (!HasBlank(name)) return;
  if (st.spice->blankCell != cell) {
    st.spice->blankSeen.clear();
    st.spice->blankCell = cell;
  }
  std::string key = std::string(what) + "\x01" + name;
  if (!st.spice->blankSeen.insert(key).second) return;
  // A blank splits the name into two fields, shifting every node after it.
  char msg[400];
  snprintf(msg, sizeof msg, "%s \"%.120s\" in %s holds a Blank ... the Line would Shift its Nodes ", what, name,
           st.store->cells[cell].name);
  ErrorCount(st, msg, 0);
}


int32_t& SlotOf(CktState& st, int32_t node) {
  NameMemo& m = st.spice->names;
  std::vector<int32_t>* table = nullptr;
  size_t at = 0;
  if (node < 0 && node >= -NAME_DENSE) {
    table = &m.virt;
    at = (size_t)-node;
  } else if (node >= 0 && node <= NAME_DENSE) {
    table = &m.real;
    at = (size_t)node;
  } else if (node > CKT_SYMBOL_BASE && node - CKT_SYMBOL_BASE < CKT_MAX_SYMBOLS) {
    table = &m.sym;
    at = (size_t)(node - CKT_SYMBOL_BASE);
  } else {
    return m.other[node];
  }
  if (at >= table->size()) table->resize(std::max(at + 1, table->size() * 2), 0);
  return (*table)[at];
}

// Decimal digits of v written backwards from end; returns the first digit.
char* DigitsBefore(char* end, uint64_t v) {
  do {
    *--end = (char)('0' + v % 10);
    v /= 10;
  } while (v);
  return end;
}

void FoldInto(std::string& out, const std::string& s) {
  out = s;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
}

NameEntry& NamedNew(CktState& st, int32_t node) {
  NameMemo& m = st.spice->names;
  int32_t& slot = SlotOf(st, node);
  if (slot) return m.entries[(size_t)slot - 1];
  m.entries.emplace_back();
  slot = (int32_t)m.entries.size();
  NameEntry& e = m.entries.back();
  e.rank = -1;
  m.ranked = 0;
  if (node < 0) {
    if (!m.prefixReady) {
      m.prefixReady = 1;
      m.prefix = st.set.val[GRP_MAIN][S_VNP];
      size_t semi = m.prefix.find(';');
      m.prefixCut = semi != std::string::npos;
      if (m.prefixCut) m.prefix.resize(semi);
      m.prefixBlank = HasBlank(m.prefix.c_str());
    }
    e.name = m.prefix;
    if (!m.prefixCut) {
      char digits[24];
      char* end = digits + sizeof digits;
      char* first = DigitsBefore(end, (uint64_t)(-(int64_t)node));
      e.name.append(first, (size_t)(end - first));
    }
  } else {
    e.name = NodeName(st, node);
  }
  for (char c : e.name)
    if (c >= 'A' && c <= 'Z') {
      FoldInto(e.folded, e.name);
      break;
    }
  e.blank = node < 0 ? m.prefixBlank : HasBlank(e.name.c_str());
  return e;
}

// The entry of a node, named on first use; the look-up of a named virtual
// or text number is two loads.
inline NameEntry& Named(CktState& st, int32_t node) {
  NameMemo& m = st.spice->names;
  if (node < 0) {
    uint64_t at = (uint64_t)(-(int64_t)node);
    if (at < m.virt.size() && m.virt[at]) return m.entries[(size_t)m.virt[at] - 1];
  } else if ((size_t)node < m.real.size() && m.real[(size_t)node]) {
    return m.entries[(size_t)m.real[(size_t)node] - 1];
  }
  return NamedNew(st, node);
}
const std::string& NameOf(CktState& st, int32_t node) { return Named(st, node).name; }

// A byte of a name as the sorts see it; with Fold, capitals as small
// letters (texts not folded beforehand).
template <bool Fold>
unsigned char SortByte(char c) {
  return (unsigned char)(Fold && c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
}

// The first eight bytes of a folded name as a number in byte order, so most
// comparisons of the rank sort are one integer comparison. A shorter name
// is padded with zero bytes, which no name holds.
template <bool Fold = false>
uint64_t HeadKey(const std::string& s) {
  uint64_t k = 0;
  for (size_t i = 0; i < 8; i++) k = (k << 8) | (i < s.size() ? SortByte<Fold>(s[i]) : 0u);
  return k;
}

// Byte order of the rest of two names whose first eight bytes are equal.
template <bool Fold = false>
bool TailLess(const std::string& a, const std::string& b) {
  if (a.size() <= 8 || b.size() <= 8) return a.size() < b.size();
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 8; i < n; i++) {
    unsigned char x = SortByte<Fold>(a[i]), y = SortByte<Fold>(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

template <bool Fold>
bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (SortByte<Fold>(a[i]) != SortByte<Fold>(b[i])) return false;
  return true;
}

// Sorts by the head keys, a byte at a time from the last (a counting pass
// per byte, skipping the bytes every key shares): linear in the names,
// which are many (a virtual node each) and mostly short.
void HeadSort(std::vector<std::pair<uint64_t, int32_t>>& v) {
  uint64_t all = ~(uint64_t)0, any = 0;
  for (const auto& p : v) {
    all &= p.first;
    any |= p.first;
  }
  uint64_t varying = all ^ any;
  std::vector<std::pair<uint64_t, int32_t>> out(v.size());
  for (int shift = 0; shift < 64; shift += 8) {
    if (!((varying >> shift) & 0xff)) continue;
    size_t start[257] = {0};
    for (const auto& p : v) start[((p.first >> shift) & 0xff) + 1]++;
    for (int b = 1; b < 257; b++) start[b] += start[b - 1];
    for (const auto& p : v) out[start[(p.first >> shift) & 0xff]++] = p;
    v.swap(out);
  }
}

// The positions 0..n-1 in the order of their texts (folded, bytes
// unsigned, as std::string compares them).
template <bool Fold = false, class Text>
std::vector<int32_t> TextOrder(size_t n, Text text) {
  std::vector<std::pair<uint64_t, int32_t>> keyed(n);
  for (size_t i = 0; i < n; i++) keyed[i] = {HeadKey<Fold>(text(i)), (int32_t)i};
  HeadSort(keyed);
  // Names that share their first eight bytes are ordered by the rest.
  for (size_t i = 0; i < n;) {
    size_t j = i + 1;
    while (j < n && keyed[j].first == keyed[i].first) j++;
    if (j - i > 1)
      std::stable_sort(keyed.begin() + (long)i, keyed.begin() + (long)j,
                       [&](const std::pair<uint64_t, int32_t>& a, const std::pair<uint64_t, int32_t>& b) {
                         return TailLess<Fold>(text((size_t)a.second), text((size_t)b.second));
                       });
    i = j;
  }
  std::vector<int32_t> order(n);
  for (size_t i = 0; i < n; i++) order[i] = keyed[i].second;
  return order;
}

// Ranks of names: the order of the texts as integers, equal texts sharing
// one, so the sorts and the grouping compare numbers. rank[i] of the text
// at i, from the positions in text order; differ(a, b) tells two positions
// next to each other in that order apart. Returns the number of ranks.
template <class Differ>
int32_t RanksOfOrder(const std::vector<int32_t>& order, Differ differ, std::vector<int32_t>& rank) {
  rank.assign(order.size(), 0);
  int32_t r = -1;
  for (size_t i = 0; i < order.size(); i++) {
    if (i == 0 || differ(order[i - 1], order[i])) r++;
    rank[(size_t)order[i]] = r;
  }
  return r + 1;
}

// The entries of the virtual numbers in name order, or empty when they
// cannot be had without comparing names. A virtual name is the prefix and
// the decimal digits of the magnitude, so the names sort as the digit
// strings do: the magnitudes are walked in that (dictionary) order, 1, 10,
// 100, ..., 11, ..., 2, ..., picking those present.
std::vector<int32_t> VirtualOrder(CktState& st) {
  NameMemo& m = st.spice->names;
  std::vector<int32_t> order;
  if (!m.prefixReady || m.prefixCut) return order;
  uint64_t top = 0, count = 0;
  for (uint64_t v = 1; v < m.virt.size(); v++)
    if (m.virt[v]) {
      top = v;
      count++;
    }
  if (count < 64 || top > 4 * count + 1024) return order;  // few or scattered: the sort serves
  order.reserve(count);
  uint64_t cur = 1;
  for (uint64_t i = 0; i < top; i++) {
    if (m.virt[cur]) order.push_back(m.virt[cur] - 1);
    if (cur * 10 <= top) {
      cur *= 10;
    } else {
      if (cur >= top) cur /= 10;
      cur++;
      while (cur % 10 == 0) cur /= 10;
    }
  }
  return order;
}

void RanksBuild(CktState& st) {
  NameMemo& m = st.spice->names;
  size_t n = m.entries.size();
  auto folded = [&](int32_t i) -> const std::string& { return FoldedOf(m.entries[(size_t)i]); };
  std::vector<int32_t> virt = VirtualOrder(st);
  std::vector<int32_t> order;
  std::vector<char> isVirt;
  if (virt.empty()) {
    order = TextOrder(n, [&](size_t i) -> const std::string& { return folded((int32_t)i); });
  } else {
    // The other names (real, symbol, unknown) are sorted and put in among
    // the virtual ones, each after the virtual names below it.
    isVirt.assign(n, 0);
    for (int32_t e : virt) isVirt[(size_t)e] = 1;
    std::vector<int32_t> rest;
    for (size_t i = 0; i < n; i++)
      if (!isVirt[i]) rest.push_back((int32_t)i);
    std::vector<int32_t> restOrder =
        TextOrder(rest.size(), [&](size_t i) -> const std::string& { return folded(rest[i]); });
    order.reserve(n);
    auto at = virt.begin();
    for (int32_t k : restOrder) {
      const std::string& name = folded(rest[(size_t)k]);
      auto to = std::lower_bound(at, virt.end(), name,
                                 [&](int32_t e, const std::string& s) { return folded(e) < s; });
      order.insert(order.end(), at, to);
      at = to;
      order.push_back(rest[(size_t)k]);
    }
    order.insert(order.end(), at, virt.end());
  }
  std::vector<int32_t> rank;
  m.rankCount = RanksOfOrder(
      order,
      [&](int32_t a, int32_t b) {
        // Two virtual numbers never share a name.
        if (!isVirt.empty() && isVirt[(size_t)a] && isVirt[(size_t)b]) return true;
        return folded(a) != folded(b);
      },
      rank);
  for (size_t i = 0; i < n; i++) m.entries[i].rank = rank[i];
  m.ranked = 1;
}

int32_t NodeRank(CktState& st, int32_t node) {
  NameEntry& e = Named(st, node);
  if (!st.spice->names.ranked) RanksBuild(st);
  return e.rank;
}

// Ranks of every node the device table, the connectors and the node list
// name, built in one sort.

void NodeRanksPrepare(CktState& st, const std::vector<int32_t>& more = {}) {
  if (st.spice->ranksReady && more.empty()) return;
  st.spice->ranksReady = 1;
  // Room for a name per entry of the tables at most, so the names are not
  // moved again and again as they come.
  st.spice->names.entries.reserve(st.spice->names.entries.size() + (size_t)st.nodes.devCount + (size_t)st.nodes.connCount +
                          (size_t)st.compile.nodeCount);
  for (int32_t n : more) Named(st, n);
  for (int32_t e = 0; e < st.nodes.devCount; e++) Named(st, st.nodes.dev[e].node);
  for (int32_t i = 0; i < st.nodes.connCount; i++) Named(st, st.nodes.conn[i].node);
  for (int32_t i = 0; i < st.compile.nodeCount; i++) Named(st, st.compile.nodeList[i]);
  if (!st.spice->names.ranked) RanksBuild(st);
}

const std::string g_unknownDevice = "?";

int32_t DevKey(CktState& st, int32_t inst) {
  if (inst < 0 || (size_t)inst >= st.spice->devTexts.key.size()) return -1;
  return st.spice->devTexts.key[(size_t)inst];
}

void DevTextsBuild(CktState& st) {
  DevTexts& t = st.spice->devTexts;
  int32_t n = st.compile.instances;
  if (t.instances == n) return;
  t.instances = n;
  t.keyed = 0;
  t.key.clear();
  t.text.assign((size_t)n + 1, std::string());
  t.nameLen.assign((size_t)n + 1, 0);
  t.blank.assign((size_t)n + 1, 0);
  for (int32_t k = 1; k <= n; k++) {
    std::string& s = t.text[(size_t)k];
    s = DeviceText(st, st.set.dvl, k, n);
    size_t cut = s.find_first_of(" \n");
    t.nameLen[(size_t)k] = (uint32_t)(cut == std::string::npos ? s.size() : cut);
    t.blank[(size_t)k] = HasBlank(s.c_str()) ? 1 : 0;
  }
}

void DevKeysBuild(CktState& st) {
  DevTextsBuild(st);
  DevTexts& t = st.spice->devTexts;
  if (t.keyed) return;
  t.keyed = 1;
  // Ordered as folded texts, folding byte by byte as they are compared.
  std::vector<int32_t> order =
      TextOrder<true>(t.text.size(), [&](size_t i) -> const std::string& { return t.text[i]; });
  RanksOfOrder(
      order, [&](int32_t a, int32_t b) { return !SameText<true>(t.text[(size_t)a], t.text[(size_t)b]); }, t.key);
  t.key[0] = -1;  // no instance
}

void SortShow(CktState& st, const char* title, int32_t n, int done) {
  if (n <= 100) return;
  char msg[120];
  snprintf(msg, sizeof msg, done ? "%s ... Done" : "%s", title);
  StatusLine2(st, msg, 1);
}


void ByInstBuild(CktState& st) {
  st.spice->byInstStart.clear();
  st.spice->byInst.clear();
  int32_t top = 0;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    int32_t k = st.nodes.dev[e].inst;
    if (k < 0 || k > CKT_MAX_INSTANCES) return;  // the line scans the table instead
    top = std::max(top, k);
  }
  if (st.nodes.devCount == 0) return;
  st.spice->byInstStart.assign((size_t)top + 2, 0);
  for (int32_t e = 0; e < st.nodes.devCount; e++) st.spice->byInstStart[(size_t)st.nodes.dev[e].inst + 1]++;
  for (size_t k = 1; k < st.spice->byInstStart.size(); k++) st.spice->byInstStart[k] += st.spice->byInstStart[k - 1];
  st.spice->byInst.resize((size_t)st.nodes.devCount);
  std::vector<int32_t> fill(st.spice->byInstStart.begin(), st.spice->byInstStart.end() - 1);
  for (int32_t e = 0; e < st.nodes.devCount; e++) st.spice->byInst[(size_t)fill[(size_t)st.nodes.dev[e].inst]++] = e;
}

const char* ResolvePath(CktState& st, const char* name, char* out, size_t size) {
  if (!name[0] || name[0] == '/' || name[0] == '\\' || strchr(name, ':')) snprintf(out, size, "%s", name);
  else snprintf(out, size, "%s%s", st.store->folder, name);
  return out;
}

}  // namespace

void CktPrint(CktState& st, const char* text) {
  if (st.compile.scriptPass || !st.compile.cir || !text) return;
  fputs(text, st.compile.cir.get());
}

int CktWrap(CktState& st, int column, int len) {
  if (column + len <= CKT_WRAP_COLUMN) return column + len;
  if (len < 2) {
    CktPrint(st, "\n");
    return 0;
  }
  CktPrint(st, "\n+");
  return len;
}

int CktCopyFile(CktState& st, const char* path) {
  char full[600];
  FILE* f = fopen(ResolvePath(st, path, full, sizeof full), "r");
  if (!f) return 1;
  char msg[400];
  snprintf(msg, sizeof msg, "\n* Start of %s\n", path);
  CktPrint(st, msg);
  int c;
  char one[2] = {0, 0};
  while ((c = getc(f)) != EOF) {
    if (c == '\r') continue;
    one[0] = (char)c;
    CktPrint(st, one);
  }
  fclose(f);
  snprintf(msg, sizeof msg, "\n* End of %s\n", path);
  CktPrint(st, msg);
  return 0;
}

namespace {

// Alias text of a parameter text that begins with "@"; the text itself
// otherwise.
std::string ParamResolved(CktState& st, const char* param) {
  if (param[0] != '@') return param;
  char path[600];
  return PafLookupMemo(st, param + 1, ResolvePath(st, st.set.val[GRP_MAIN][S_PAF], path, sizeof path));
}


const std::string& ParamAlias(CktState& st, const char* param) {
  if (st.spice->lastAlias && st.spice->lastParam == param) return *st.spice->lastAlias;
  auto it = st.spice->paramAlias.find(param);
  if (it == st.spice->paramAlias.end()) it = st.spice->paramAlias.emplace(param, ParamResolved(st, param)).first;
  st.spice->lastParam = param;
  st.spice->lastAlias = &it->second;  // elements of the map stay where they are
  return it->second;
}

void Piece(CktState& st, const char* text) {
  st.compile.column = CktWrap(st, st.compile.column, (int)strlen(text));
  CktPrint(st, text);
}

// A piece of a line kept in memory, wrapped as CktWrap wraps it, so a
// whole line is printed at once. The lead character (the blank before a
// name) and the trailing one (the newline that ends a line) belong to the
// piece; 0 for none.
void LinePiece(std::string& line, int& column, char lead, const char* text, size_t len, char trail) {
  size_t all = len + (lead ? 1 : 0) + (trail ? 1 : 0);
  if (column + (int)all <= CKT_WRAP_COLUMN) {
    column += (int)all;
  } else if (all < 2) {
    line += '\n';
    column = 0;
  } else {
    line += "\n+";
    column = (int)all;
  }
  if (lead) line += lead;
  line.append(text, len);
  if (trail) line += trail;
}

// Stable order of the positions in order by key(position), 0 <= key <
// range, in linear time: positions of equal keys keep their order.
template <class Key>
void CountingOrder(std::vector<int32_t>& order, int32_t range, Key key) {
  std::vector<int32_t> start((size_t)range + 1, 0);
  for (int32_t p : order) start[(size_t)key(p) + 1]++;
  for (size_t k = 1; k < start.size(); k++) start[k] += start[k - 1];
  std::vector<int32_t> out(order.size());
  for (int32_t p : order) out[(size_t)start[(size_t)key(p)]++] = p;
  order.swap(out);
}

// Stable order of the positions by an integer key of any range: counted
// when the keys span little more than the positions, else merge sorted.
template <class Key>
void KeyOrder(std::vector<int32_t>& order, Key key) {
  if (order.empty()) return;
  int64_t lo = key(order[0]), hi = lo, last = lo;
  int sorted = 1;  // the keys are in order already (the pins of a cell come so)
  for (int32_t p : order) {
    int64_t v = key(p);
    if (v < last) sorted = 0;
    last = v;
    lo = std::min<int64_t>(lo, v);
    hi = std::max<int64_t>(hi, v);
  }
  if (sorted) return;
  if (hi - lo < (int64_t)order.size() * 4 + 1024) {
    CountingOrder(order, (int32_t)(hi - lo + 1), [&](int32_t p) { return (int32_t)(key(p) - lo); });
    return;
  }
  std::stable_sort(order.begin(), order.end(), [&](int32_t a, int32_t b) { return key(a) < key(b); });
}

std::vector<int32_t> Positions(int32_t n) {
  std::vector<int32_t> v((size_t)n);
  for (int32_t i = 0; i < n; i++) v[(size_t)i] = i;
  return v;
}

// The device table in the given order of its entries.
void DevicesReorder(CktState& st, const std::vector<int32_t>& order) {
  std::vector<CktDevice> old(st.nodes.dev, st.nodes.dev + order.size());
  for (size_t e = 0; e < order.size(); e++) st.nodes.dev[e] = old[(size_t)order[e]];
}

}  // namespace

void SpiceSubcktLine(CktState& st, int32_t instances, int32_t cell) {
  const char* name = st.store->cells[cell].name;
  int isMain = cell == st.compile.mainCell;
  char buf[CKT_ALIAS_MAX + CKT_PARAM_MAX + 64];
  snprintf(buf, sizeof buf, isMain ? "\n* %s" : "\n.SUBCKT %s", name);
  CktPrint(st, buf);
  st.compile.column = (int)strlen(buf);
  for (int32_t i = 0; i < st.nodes.connCount; i++) {
    std::string node = NameOf(st, st.nodes.conn[i].node);
    if (node == "?") {
      snprintf(buf, sizeof buf, "Node Name %d in %s Definition Line is Unknown ", (int)st.nodes.conn[i].seq, name);
      if (ErrorCount(st, buf, 0)) break;
    }
    BlankCheck(st, "Node Name", node.c_str(), cell);
    snprintf(buf, sizeof buf, " %s", node.c_str());
    Piece(st, buf);
  }
  std::string param = ParamText(st, st.set.pml, 0, instances);
  if (param[0] == '@') {
    param = ParamResolved(st, param.c_str());
    if (param == "?") {
      snprintf(buf, sizeof buf, "Parameter on %s Definition Line is Unknown ", name);
      ErrorCount(st, buf, 0);
    }
  }
  if (!param.empty()) snprintf(buf, sizeof buf, " %s\n", param.c_str());
  else snprintf(buf, sizeof buf, "\n");
  Piece(st, buf);
  if (st.compile.column != 0) CktPrint(st, "\n");
}

void SpiceDeviceLine(CktState& st, int32_t k, int32_t instances, int32_t cell) {
  std::vector<int32_t> scan;
  const int32_t* first = nullptr;
  const int32_t* last = nullptr;
  if (k >= 0 && (size_t)k + 1 < st.spice->byInstStart.size()) {
    first = st.spice->byInst.data() + st.spice->byInstStart[(size_t)k];
    last = st.spice->byInst.data() + st.spice->byInstStart[(size_t)k + 1];
  } else {
    for (int32_t e = 0; e < st.nodes.devCount; e++)
      if (st.nodes.dev[e].inst == k) scan.push_back(e);
    first = scan.data();
    last = first + scan.size();
  }
  if (first == last) return;
  InstanceFetch(st, 0, k);
  const CktPlace place = st.store->place[0];
  char buf[CKT_ALIAS_MAX + CKT_PARAM_MAX + 64];
  // The texts of the cell's instances are built once for the sorts and
  // every line.
  if (instances == st.compile.instances) DevTextsBuild(st);
  std::string own;
  const std::string* text = &own;
  int blank;
  if (k >= 1 && k <= instances && st.spice->devTexts.instances == instances) {
    text = &st.spice->devTexts.text[(size_t)k];
    blank = st.spice->devTexts.blank[(size_t)k];
  } else {
    own = DeviceText(st, st.set.dvl, k, instances);
    blank = HasBlank(own.c_str());
  }
  if (place.rank < 2 && *text == "?") {
    // A line named "?" is no device to a simulator: the user hears of it.
    snprintf(buf, sizeof buf, "Device Cell %s at X=%.*g Y=%.*g has no Device Text", place.name, 9, Phys(st, place.x), 9,
             Phys(st, place.y));
    WarningCount(st, buf);
  }
  if (blank) BlankCheck(st, "Device Text", text->c_str(), cell);
  static std::string line;  // kept between lines for its room
  line = *text;
  int column = (int)text->size();
  int32_t lastPin = 0;
  int firstPin = 1;
  for (const int32_t* at = first; at != last; at++) {
    const CktDevice& d = st.nodes.dev[*at];
    if (d.node == 0) {
      snprintf(buf, sizeof buf, "Node Name %d in Device Line for %s in %s is Unknown ", (int)d.seq, place.name,
               st.store->cells[cell].name);
      if (ErrorCount(st, buf, 0)) break;
    }
    if (!firstPin && d.seq == lastPin) continue;
    firstPin = 0;
    lastPin = d.seq;
    const NameEntry& node = Named(st, d.node);
    if (node.blank) BlankCheck(st, "Node Name", node.name.c_str(), cell);
    LinePiece(line, column, ' ', node.name.data(), node.name.size(), 0);
  }
  const char* param = ParamText(st, st.set.pml, k, instances);
  size_t paramLen;
  if (param[0] == '@') {
    const std::string& alias = ParamAlias(st, param);
    if (place.rank == 1 && (strcasecmp(alias.c_str(), param + 1) == 0 || alias == "?")) {
      snprintf(buf, sizeof buf, "There is a Possible Incorrect Parameter or Alias for Device Cell %s at X=%.*g Y=%.*g ",
               place.name, 9, Phys(st, place.x), 9, Phys(st, place.y));
      ErrorCount(st, buf, 0);
    }
    param = alias.c_str();
    paramLen = alias.size();
  } else {
    paramLen = strlen(param);
  }
  LinePiece(line, column, ' ', param, paramLen, '\n');
  if (!st.compile.scriptPass && st.compile.cir) fwrite(line.data(), 1, line.size(), st.compile.cir.get());  // as CktPrint
  st.compile.column = column;
  st.compile.lines++;
}

void NodeListCreate(CktState& st) {
  StatusLine2(st, "Creating Node List", 0);
  st.compile.nodeCount = 0;
  if (!st.compile.nodeList) return;
  // Every name that can come in is ranked before the first is added.
  std::vector<int32_t> objs;
  if (st.set.capFlags & 4) {
    for (int32_t i = 1; i <= st.store->nb; i++)
      if (CktBox* b = BoxRec(st, i)) objs.push_back(b->node);
    for (int32_t i = 1; i <= st.store->np; i++)
      if (CktPath* p = PathRec(st, i)) objs.push_back(p->node);
  }
  NodeRanksPrepare(st, objs);
  std::vector<char> seen((size_t)st.spice->names.rankCount + 1, 0);
  char msg[200];
  auto add = [&](int32_t node) -> int {
    size_t key = (size_t)NodeRank(st, node);
    if (key >= seen.size()) seen.resize(key + 1, 0);
    if (seen[key]) return 1;
    if (st.compile.nodeCount >= CKT_NODE_LIST_MAX) return 0;
    seen[key] = 1;
    st.compile.nodeList[st.compile.nodeCount++] = node;
    return 1;
  };
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    if (st.nodes.dev[e].node == 0) continue;
    if (!add(st.nodes.dev[e].node)) {
      snprintf(msg, sizeof msg, "Node List is Full because of %d required Node Connections ", (int)st.nodes.devCount);
      ErrorCount(st, msg, 0);
      return;
    }
  }
  if (!(st.set.capFlags & 4)) return;
  for (int32_t i = 1; i <= st.store->nb; i++) {
    CktBox* b = BoxRec(st, i);
    if (!b) break;
    if (!ConductorLayer(st, b->layer) || b->node == 0) continue;
    if (!add(b->node)) {
      ErrorCount(st, "The Node List is Full ", 0);
      return;
    }
  }
  for (int32_t i = 1; i <= st.store->np; i++) {
    CktPath* p = PathRec(st, i);
    if (!p) break;
    if (p->word < 0 || !ConductorLayer(st, p->word) || p->node == 0) continue;
    if (!add(p->node)) {
      ErrorCount(st, "The Node List is Full ", 0);
      return;
    }
  }
}

void CountNodeKinds(CktState& st) {
  st.compile.kindReal = st.compile.kindVirtual = st.compile.kindSymbol = 0;
  NodeRanksPrepare(st);
  std::vector<char> seen((size_t)st.spice->names.rankCount + 1, 0);
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    int32_t n = st.nodes.dev[e].node;
    size_t r = (size_t)NodeRank(st, n);
    if (r >= seen.size()) seen.resize(r + 1, 0);
    if (seen[r]) continue;
    seen[r] = 1;
    if (n > CKT_SYMBOL_BASE) st.compile.kindSymbol++;
    else if (n > 0) st.compile.kindReal++;
    else st.compile.kindVirtual++;
  }
}

// The sorts order by folded names with the keys computed once per entry,
// each pass a stable counting sort. Entries of equal keys keep their table
// order, so the pins of one instance stay together even when two instances
// share a device text.
int SortNodeList(CktState& st) {
  int32_t n = st.compile.nodeCount;
  if (n < 2) return 0;
  SortShow(st, "Sorting Node List", n, 0);
  NodeRanksPrepare(st);
  std::vector<int32_t> rank((size_t)n), order = Positions(n);
  for (int32_t i = 0; i < n; i++) rank[(size_t)i] = NodeRank(st, st.compile.nodeList[i]);
  KeyOrder(order, [&](int32_t p) { return rank[(size_t)p]; });
  std::vector<int32_t> old(st.compile.nodeList, st.compile.nodeList + n);
  for (int32_t i = 0; i < n; i++) st.compile.nodeList[i] = old[(size_t)order[(size_t)i]];
  SortShow(st, "Sorting Node List", n, 1);
  return CktStopped(st);
}

int SortDeviceNames(CktState& st) {
  int32_t n = st.nodes.devCount;
  if (n < 2) return 0;
  SortShow(st, "Sorting Device and Subcircuit Names", n, 0);
  DevKeysBuild(st);
  std::vector<int32_t> order = Positions(n);
  KeyOrder(order, [&st](int32_t p) { return DevKey(st, st.nodes.dev[p].inst); });
  DevicesReorder(st, order);
  SortShow(st, "Sorting Device and Subcircuit Names", n, 1);
  return CktStopped(st);
}

// The pins of each instance in pin order, each instance keeping the table
// positions it had.
int SortDevicePins(CktState& st) {
  int32_t n = st.nodes.devCount;
  if (n < 2) return 0;
  if (n > 100) StatusLine2(st, "Sorting Device or Subcircuit Node Order", 1);
  std::vector<int32_t> pos = Positions(n);
  KeyOrder(pos, [&st](int32_t p) { return st.nodes.dev[p].inst; });
  std::vector<CktDevice> group;
  for (size_t k = 0; k < pos.size();) {
    size_t e = k + 1;
    int sorted = 1;
    while (e < pos.size() && st.nodes.dev[pos[e]].inst == st.nodes.dev[pos[k]].inst) {
      if (st.nodes.dev[pos[e]].seq < st.nodes.dev[pos[e - 1]].seq) sorted = 0;
      e++;
    }
    if (!sorted) {
      group.clear();
      for (size_t i = k; i < e; i++) group.push_back(st.nodes.dev[pos[i]]);
      std::stable_sort(group.begin(), group.end(), [](const CktDevice& a, const CktDevice& b) { return a.seq < b.seq; });
      for (size_t i = k; i < e; i++) st.nodes.dev[pos[i]] = group[i - k];
    }
    k = e;
  }
  if (n > 100) StatusLine2(st, "Sorting Device or Subcircuit Node Order... Done", 1);
  return CktStopped(st);
}

int SortNodNodes(CktState& st) {
  int32_t n = st.nodes.devCount;
  if (n < 2) return 0;
  SortShow(st, "Sorting Node Names", n, 0);
  DevKeysBuild(st);
  NodeRanksPrepare(st);
  // By node name, then device text, then pin: the least significant key
  // first, each pass stable.
  std::vector<int32_t> rank((size_t)n), dev((size_t)n), seq((size_t)n), order = Positions(n);
  for (int32_t e = 0; e < n; e++) {
    const CktDevice& d = st.nodes.dev[e];
    rank[(size_t)e] = NodeRank(st, d.node);
    dev[(size_t)e] = DevKey(st, d.inst);
    seq[(size_t)e] = d.seq;
  }
  KeyOrder(order, [&](int32_t p) { return seq[(size_t)p]; });
  KeyOrder(order, [&](int32_t p) { return dev[(size_t)p]; });
  KeyOrder(order, [&](int32_t p) { return rank[(size_t)p]; });
  DevicesReorder(st, order);
  SortShow(st, "Sorting Device Node Order", n, 1);
  return CktStopped(st);
}

int32_t NodConnectorSeq(CktState& st, const char* name) {
  for (int32_t i = 0; i < st.nodes.connCount; i++)
    if (strcasecmp(NodeName(st, st.nodes.conn[i].node), name) == 0) return st.nodes.conn[i].seq;
  return 0;
}

void NodWrite(CktState& st, int32_t cell) {
  (void)cell;
  FILE* f = st.compile.nod.get();
  if (!f || st.compile.scriptPass) return;
  // The connectors' names once, first connector of a name winning.
  NodeRanksPrepare(st);
  std::vector<int32_t> seqOf((size_t)st.spice->names.rankCount, 0);
  std::vector<char> hasSeq((size_t)st.spice->names.rankCount, 0);
  for (int32_t i = 0; i < st.nodes.connCount; i++) {
    size_t r = (size_t)NodeRank(st, st.nodes.conn[i].node);
    if (r >= hasSeq.size()) {
      seqOf.resize(r + 1, 0);
      hasSeq.resize(r + 1, 0);
    }
    if (hasSeq[r]) continue;
    hasSeq[r] = 1;
    seqOf[r] = st.nodes.conn[i].seq;
  }
  int32_t prev = -1;
  int started = 0;
  int len = 0;
  DevTextsBuild(st);
  const DevTexts& dt = st.spice->devTexts;
  // The block is put together in one buffer, written at once; each piece
  // makes room for itself first.
  std::vector<char> out((size_t)st.nodes.devCount * 24 + 64);
  size_t pos = 0;
  auto room = [&](size_t n) {
    if (pos + n > out.size()) out.resize(std::max(out.size() * 2, pos + n));
  };
  auto put = [&](const char* s, size_t n) {
    memcpy(out.data() + pos, s, n);
    pos += n;
  };
  char num[24];
  char* end = num + sizeof num;
  for (int32_t e = 0; e < st.nodes.devCount; e++) {
    const CktDevice& d = st.nodes.dev[e];
    const NameEntry& node = Named(st, d.node);
    if (!st.spice->names.ranked) RanksBuild(st);
    int32_t folded = node.rank;
    if (!started || folded != prev) {
      started = 1;
      prev = folded;
      int32_t seq = (size_t)folded < hasSeq.size() && hasSeq[(size_t)folded] ? seqOf[(size_t)folded] : 0;
      char* at = DigitsBefore(end, (uint64_t)(seq < 0 ? -(int64_t)seq : seq));
      if (seq < 0) *--at = '-';
      room(node.name.size() + (size_t)(end - at) + 3);
      put("\n", 1);
      put(node.name.data(), node.name.size());
      put(":", 1);
      put(at, (size_t)(end - at));
      put("\n", 1);
      len = 0;
    } else if (len >= 101) {
      room(1);
      put("\n", 1);
      len = 0;
    }
    const char* dev = "?";
    size_t devLen = 1;
    if (d.inst >= 1 && d.inst <= dt.instances) {
      dev = dt.text[(size_t)d.inst].data();
      devLen = dt.nameLen[(size_t)d.inst];
    }
    char* at = DigitsBefore(end, (uint64_t)(d.seq < 0 ? -(int64_t)d.seq : d.seq));
    if (d.seq < 0) *--at = '-';
    size_t numLen = (size_t)(end - at);
    room(devLen + numLen + 3);
    put(" ", 1);
    put(dev, devLen);
    put(".", 1);
    put(at, numLen);
    put(" ", 1);
    len += (int)(devLen + numLen + 3);
  }
  fwrite(out.data(), 1, pos, f);
  // Every block is closed, also one of fewer than two entries: the readers
  // take "::" as its end.
  fputs("\n::\n", f);
}

void ResultsTable(CktState& st, int isMain) {
  FILE* f = st.run.log.get();
  if (!f) return;
  fputs("\nCompile Results:\n", f);
  if (isMain) fprintf(f, "%6s%25s%34s", "", "Main Circuit Nodes", "Lower Cell Connection Types\n");
  else fprintf(f, "%6s%23s%36s", "", "Subcircuit Nodes", "Lower Cell Connection Types\n");
  fprintf(f, "%7s%6s%8s%7s%7s%7s%6s%7s%8s%7s%7s\n", "Devices", "(Real", "Virtual", "Symbol", "Total)", "(Count",
          "Real", "Direct", "Virtual", "Symbol", "Total)");
  const CktNodes& n = st.nodes;
  int kinds = st.compile.kindReal + st.compile.kindVirtual + st.compile.kindSymbol;
  int conns = n.pinReal + n.pinDirect + n.pinVirtual + n.pinSymbol;
  fprintf(f, "%6.1d %5.1d%8.1d%7.1d%6.1d%8.1d%6.1d%7.1d%8.1d%7.1d%6.1d\n", (int)n.devices, st.compile.kindReal,
          st.compile.kindVirtual, st.compile.kindSymbol, kinds, (int)n.devCount, (int)n.pinReal, (int)n.pinDirect,
          (int)n.pinVirtual, (int)n.pinSymbol, conns);
}

// ---- one compiled cell ----

void DeviceKeysForget(CktState& st) {
  st.spice->ranksReady = 0;
  st.spice->names.entries.clear();
  st.spice->names.virt.clear();
  st.spice->names.real.clear();
  st.spice->names.sym.clear();
  st.spice->names.other.clear();
  st.spice->names.ranked = 1;
  st.spice->names.rankCount = 0;
  st.spice->names.prefixReady = 0;
  st.spice->devTexts.instances = -1;
  st.spice->devTexts.keyed = 0;
  st.spice->devTexts.key.clear();
  st.spice->devTexts.text.clear();
  st.spice->devTexts.nameLen.clear();
  st.spice->devTexts.blank.clear();
  st.spice->byInstStart.clear();
  st.spice->byInst.clear();
  st.spice->paramAlias.clear();
  st.spice->lastAlias = nullptr;
}

void ByInstanceBuild(CktState& st) { ByInstBuild(st); }

}  // namespace ckt
