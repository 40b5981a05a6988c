#include "tlcwrite.h"

#include <cctype>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <utility>
#include <cstring>
#include <ctime>

#include "celltable.h"
#include "host.h"
#include "mainsetup.h"
#include "namecheck.h"
#include "qfile.h"
#include "store.h"

TlcWriteState TlcWrite;

namespace {

void Flush() {
  if (!TlcWrite.open || !TlcWrite.out.f) return;
  if (TlcWrite.used && fwrite(TlcWrite.buf, 1, TlcWrite.used, TlcWrite.out.f.get()) != TlcWrite.used) TlcWrite.ioError = 1;
  TlcWrite.used = 0;
}

void Put(const char* s, size_t n) {
  while (n) {
    if (TlcWrite.used == sizeof TlcWrite.buf) Flush();
    if (!TlcWrite.open) return;
    size_t room = sizeof TlcWrite.buf - TlcWrite.used;
    size_t k = n < room ? n : room;
    memcpy(TlcWrite.buf + TlcWrite.used, s, k);
    TlcWrite.used += k;
    s += k;
    n -= k;
  }
}

void Puts(const char* s) { Put(s, strlen(s)); }

// v in decimal at p, which has room for 20 characters; the end.
char* IntAt(char* p, int64_t v) {
  uint64_t u = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  if (v < 0) *p++ = '-';
  int digits = 1;
  for (uint64_t w = u; w >= 10; w /= 10) ++digits;
  char* e = p + digits;
  do {
    *--e = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u);
  return p + digits;
}

void PutInt(int64_t v) {
  char tmp[24];
  Put(tmp, static_cast<size_t>(IntAt(tmp, v) - tmp));
}

// Integers separated by single blanks, then a newline, at p (room for 21
// characters an integer and one more); the end. A cell file holds millions
// of these lines: each goes to the buffer in one piece.
char* IntsAt(char* p, const int64_t* v, int n) {
  for (int i = 0; i < n; ++i) {
    if (i) *p++ = ' ';
    p = IntAt(p, v[i]);
  }
  *p++ = '\n';
  return p;
}

void PutInts(const int64_t* v, int n) {
  enum { kPerLine = 9 };
  char line[kPerLine * 21 + 1];
  for (int i = 0; i < n; i += kPerLine) {
    int k = n - i < kPerLine ? n - i : kPerLine;
    char* e = IntsAt(line, v + i, k);
    // A line of more than kPerLine goes on with a blank, not a newline.
    if (i + k < n) e[-1] = ' ';
    Put(line, static_cast<size_t>(e - line));
  }
  if (n <= 0) Put("\n", 1);
}

void Printf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Printf(const char* fmt, ...) {
  char line[512];
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(line, sizeof line, fmt, ap);
  va_end(ap);
  if (n < 0) return;
  Put(line, static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1);
}

bool OldForm() { return MainSetup.writeoldtlc == 1; }

// A record's opening tag at p (room for 4 characters); the end.
char* OpenAt(char* p, char tag) {
  if (OldForm()) {
    p[0] = '=';
    p[1] = tag;
    p[2] = '\n';
    return p + 3;
  }
  p[0] = '<';
  p[1] = tag;
  p[2] = '>';
  p[3] = '\n';
  return p + 4;
}

// Its closing tag (room for 5 characters; none in the old form).
char* CloseAt(char* p, char tag) {
  if (OldForm()) return p;
  const char s[5] = {'<', '/', tag, '>', '\n'};
  memcpy(p, s, sizeof s);
  return p + sizeof s;
}

void Open(char tag) {
  char s[5];
  Put(s, static_cast<size_t>(OpenAt(s, tag) - s));
}

void Close(char tag) {
  char s[5];
  Put(s, static_cast<size_t>(CloseAt(s, tag) - s));
}

void PutLine(const char* s) {
  Puts(s);
  Put("\n", 1);
}

// A name or text line: bytes that would end or blur the line are replaced.
void PutTextLine(const char* s) {
  char clean[TLC_LINE_LIMIT + 1];
  size_t n = 0;
  for (; s[n] && n < TLC_LINE_LIMIT; ++n) {
    unsigned char c = static_cast<unsigned char>(s[n]);
    clean[n] = c < 0x20 ? '_' : static_cast<char>(c);
  }
  clean[n] = 0;
  PutLine(clean);
}

int BeginFile(const char* path) {
  TlcWrite.ioError = 0;
  TlcWrite.used = 0;
  TlcWrite.open = SafeWriteOpen(&TlcWrite.out, path);
  return TlcWrite.open;
}

int EndFile() {
  if (!TlcWrite.open) return 1;
  Flush();
  int ok = SafeWriteCommit(&TlcWrite.out, TlcWrite.ioError);
  TlcWrite.open = 0;
  TlcWrite.used = 0;
  return ok ? 0 : 1;
}

void Fail(const char* fmt, const char* arg) {
  char msg[400];
  snprintf(msg, sizeof msg, fmt, arg);
  if (!TlcWrite.quiet) HostError(msg);
  TlcWrite.lastWriteFailed = 1;
}

int ScaleInt() {
  double s = MainSetup.scale;
  return (s >= 1 && s < 2147483647.0) ? static_cast<int>(s) : 1;
}

double Scale() { return MainSetup.scale > 0 ? MainSetup.scale : 1.0; }

// The points of path index into TlcRec.path; 0 when the chain holds more
// than the editor's limit.
int PathPoints(int32_t index, int32_t* count) {
  const int32_t* p = StorePathRec(index);
  int n = 0;
  int32_t v = p ? p[2] : 0;
  for (int32_t steps = 0; v > 0 && steps < Store.vertexCount; ++steps) {
    const int32_t* r = StoreVertexRec(v);
    if (!r) break;
    if (n == TLC_PATH_MAX) {
      *count = n + 1;
      return 0;
    }
    TlcRec.path.x[n] = r[1];
    TlcRec.path.y[n] = r[2];
    ++n;
    v = r[3];
  }
  *count = n;
  return 1;
}

bool IsText(const int32_t* p) { return p[0] <= 0; }

int Orient(int32_t word) { return static_cast<int>((static_cast<uint32_t>(word) >> ORIENT_SHIFT) & ORIENT_MASK); }

// Fills TlcRec.text from text path index, shifted by (dx, dy).
void TextOf(int32_t index, int64_t dx, int64_t dy) {
  const int32_t* p = StorePathRec(index);
  const int32_t* v = StoreVertexRec(p[2]);
  TlcTextRec& t = TlcRec.text;
  t.lyr = p[0] & FLAG_LAYER_MASK;
  t.size = p[1];
  t.o = Orient(p[0]);
  t.x = static_cast<int32_t>((v ? v[1] : 0) + dx);
  t.y = static_cast<int32_t>((v ? v[2] : 0) + dy);
  int n = StoreTextGet(index, t.text, sizeof t.text);
  t.nv = TextVertexCount(n);
}

// Checks made before a file is touched, so that a cell is never half
// written: every instance names a cell and every path fits the limit.
int CheckObjects(const char* cellName, bool instances, bool selectedOnly) {
  if (instances) {
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      const int32_t* c = StoreCellRec(0, i);
      if (!c || (selectedOnly && !(c[0] & INST_SELECTED))) continue;
      if (!CellNameOf(c[0] & INST_CELL_MASK)) {
        Fail("Instance of an Unknown Cell in %s ... Cell not Saved", cellName);
        return 0;
      }
    }
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p || IsText(p) || (selectedOnly && !(p[0] & PATH_SELECTED))) continue;
    int32_t n;
    if (!PathPoints(i, &n)) {
      char msg[200];
      snprintf(msg, sizeof msg, "Path Vertex Count of %d exceeds Limit of %d ... %.40s not Saved", n, TLC_PATH_MAX,
               cellName);
      if (!TlcWrite.quiet) HostError(msg);
      TlcWrite.lastWriteFailed = 1;
      return 0;
    }
  }
  return 1;
}

// A coordinate of a script in physical units, with as few digits as still
// bring back the same database units when the line is read at this scale.
static const char* ScriptNum(int32_t c, double s, char* buf, size_t size) {
  for (int digits = 6; digits <= 17; ++digits) {
    snprintf(buf, size, "%.*g", digits, c / s);
    double back = strtod(buf, nullptr) * s;
    double r = back < 0 ? -std::floor(-back + 0.5) : std::floor(back + 0.5);
    if (r == (double)c) break;
  }
  return buf;
}


// An old-form text stands bare on its line, so a text that tidying would
// change, or that would read as a record's opening or as wrapped, is
// wrapped as in the new form; every reader takes the wrapping in both forms.
bool NeedsWrap(const char* text) {
  size_t n = strlen(text);
  if (n == 0) return false;
  unsigned char last = static_cast<unsigned char>(text[n - 1]);
  if (text[0] == ' ' || text[0] == '\t' || last < '!' || last > '~') return true;
  if (strncmp(text, "<![CDATA[", 9) == 0) return true;
  return text[0] == '<' && TlcTagOf(text) != TLC_TAG_NONE;
}

}  // namespace

void TlcWriteReset() {
  if (TlcWrite.open) {
    SafeWriteCommit(&TlcWrite.out, 1);
    TlcWrite.open = 0;
  }
  TlcWrite = TlcWriteState();
}

void TlcNow(char date[TLC_DATE_MAX + 1], char tm[TLC_DATE_MAX + 1]) {
  if (TlcWrite.fixedDate[0] && TlcWrite.fixedTime[0]) {
    snprintf(date, TLC_DATE_MAX + 1, "%s", TlcWrite.fixedDate);
    snprintf(tm, TLC_DATE_MAX + 1, "%s", TlcWrite.fixedTime);
    return;
  }
  time_t now = time(nullptr);
  struct tm* lt = localtime(&now);
  if (!lt) {
    snprintf(date, TLC_DATE_MAX + 1, "01/01/00");
    snprintf(tm, TLC_DATE_MAX + 1, "00:00:00");
    return;
  }
  auto two = [](int v) { return static_cast<unsigned>(((v % 100) + 100) % 100); };
  snprintf(date, TLC_DATE_MAX + 1, "%02u/%02u/%02u", two(lt->tm_mon + 1), two(lt->tm_mday), two(lt->tm_year));
  snprintf(tm, TLC_DATE_MAX + 1, "%02u:%02u:%02u", two(lt->tm_hour), two(lt->tm_min), two(lt->tm_sec));
}

void TlcPathTidy(char* path) {
  if (!path || !path[0]) return;
  if (isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') {
    path[0] = static_cast<char>(toupper(static_cast<unsigned char>(path[0])));
    if (path[2] == 0) {
      path[2] = '\\';
      path[3] = 0;
    }
  }
  for (char* p = path; *p; ++p)
    if (*p == '\\' && p[1]) p[1] = static_cast<char>(toupper(static_cast<unsigned char>(p[1])));
}

namespace {
// A cell (".tlc") or cell collection (".tld") file begun; failMsg names the
// path the way the kind's message does.
int CreateOfKind(const char* folder, const char* name, const char* ext, const char* failMsg) {
  TlcWrite.lastWriteFailed = 0;
  char path[400];
  int n = snprintf(path, sizeof path, "%s%s.%s", folder ? folder : "", name ? name : "", ext);
  if (!name || !name[0] || n < 0 || static_cast<size_t>(n) >= sizeof path) {
    TlcWrite.lastWriteFailed = 1;
    return 0;
  }
  TlcPathTidy(path);
  if (!BeginFile(path)) {
    Fail(failMsg, path);
    return 0;
  }
  if (!OldForm()) Puts("<?xml version=\"1.0\"?>\n<TLC>\n");
  return 1;
}
}  // namespace

int TlcCreate(const char* folder, const char* name) { return CreateOfKind(folder, name, "tlc", "Unable to Write %s TLC File"); }

int TldCreate(const char* folder, const char* name) { return CreateOfKind(folder, name, "tld", "Unable to Write %s TLD File"); }

void TldWriteCellList() {
  Open('R');
  PutInt(CellTable.count);
  Put("\n", 1);
  for (int i = 1; i <= CellTable.count; ++i) {
    const CellEntry& e = CellTable.cells[i];
    PutTextLine(e.name);
    int64_t v[9] = {e.rank & 0x1F, e.l, e.b, e.r, e.t, e.nb, e.np, e.nv, e.nc};
    PutInts(v, 9);
  }
  Close('R');
}

int TlcCreateBare(const char* folder, const char* name) {
  TlcWrite.lastWriteFailed = 0;
  char path[400];
  int n = snprintf(path, sizeof path, "%s%s.tlc", folder ? folder : "", name ? name : "");
  if (!name || !name[0] || n < 0 || static_cast<size_t>(n) >= sizeof path) {
    TlcWrite.lastWriteFailed = 1;
    return 0;
  }
  TlcPathTidy(path);
  if (!BeginFile(path)) {
    Fail("Unable to Write %s TLC File", path);
    return 0;
  }
  return 1;
}

void TlcWriteRaw(const char* line) { PutLine(line); }

int TlcFinishBare() {
  if (!TlcWrite.open) return 1;
  int r = EndFile();
  if (r) TlcWrite.lastWriteFailed = 1;
  return r;
}

void TlcDrop() {
  if (TlcWrite.open) SafeWriteCommit(&TlcWrite.out, 1);
  TlcWrite.open = 0;
  TlcWrite.used = 0;
}

int TlcFinish() {
  if (!TlcWrite.open) return 1;
  if (!OldForm()) Puts("</TLC>\n");
  int r = EndFile();
  if (r) TlcWrite.lastWriteFailed = 1;
  return r;
}

void TlcWriteHeader() {
  const TlcHeaderRec& h = TlcRec.hdr;
  Open('H');
  PutTextLine(h.name);
  PutTextLine(h.ver1);
  PutTextLine(h.ver2);
  Printf("%.*g\n", 9, h.scale);
  PutTextLine(h.unit);
  PutTextLine(h.date);
  PutTextLine(h.time);
  int64_t a[5] = {h.rank, h.l, h.b, h.r, h.t};
  PutInts(a, 5);
  int64_t c[4] = {h.nb, h.np, h.nv, h.nc};
  PutInts(c, 4);
  Close('H');
}

void TlcWriteLayers() {
  Open('L');
  PutInt(MainSetup.layerCount);
  Put("\n", 1);
  for (int i = 0; i < MainSetup.layerCount && i < LAYER_MAX; ++i) {
    char name[9];
    TlcCopyCut(name, MainSetup.layers[i].name, 8, 0);
    Puts(name);
    Put(" ", 1);
    PutInt(MainSetup.layers[i].number & 0x1FF);
    Put("\n", 1);
  }
  Close('L');
}

void TlcWriteCellRec() {
  const TlcCellRec& c = TlcRec.cel;
  Open('C');
  PutTextLine(c.name);
  int64_t v[4] = {c.o, c.x, c.y, c.r};
  PutInts(v, 4);
  Close('C');
}

void TlcWriteBox() {
  TlcBoxRec& b = TlcRec.box;
  if (b.l > b.r) std::swap(b.l, b.r);
  if (b.b > b.t) std::swap(b.b, b.t);
  // The commonest record, written whole in one piece.
  char rec[4 + 5 * 21 + 5];
  int64_t v[5] = {b.lyr, b.l, b.b, b.r, b.t};
  char* e = CloseAt(IntsAt(OpenAt(rec, 'B'), v, 5), 'B');
  Put(rec, static_cast<size_t>(e - rec));
}

void TlcWritePath() {
  const TlcPathRec& p = TlcRec.path;
  int n = p.nv < 0 ? 0 : p.nv > TLC_PATH_MAX ? TLC_PATH_MAX : p.nv;
  Open('P');
  int64_t v[3] = {p.lyr, p.w, n};
  PutInts(v, 3);
  for (int i = 0; i < n; ++i) {
    PutInt(p.x[i]);
    Put(" ", 1);
    PutInt(p.y[i]);
    Put(" ", 1);
    if (i % 5 == 4 || i == n - 1) Put("\n", 1);
  }
  Close('P');
}

void TlcWriteText() {
  const TlcTextRec& t = TlcRec.text;
  Open('T');
  int64_t v[4] = {t.lyr, t.size, t.nv, t.o};
  PutInts(v, 4);
  int64_t xy[2] = {t.x, t.y};
  PutInts(xy, 2);
  // Control characters would end or blur the line; they are written as '_'
  // before the form of the line is chosen, so what is written reads back
  // and writes again the same.
  char text[TLC_TEXT_MAX + 1];
  size_t n = 0;
  for (; t.text[n] && n < TLC_TEXT_MAX; ++n) {
    unsigned char c = static_cast<unsigned char>(t.text[n]);
    text[n] = c < 0x20 ? '_' : static_cast<char>(c);
  }
  text[n] = 0;
  char line[TLC_TEXT_MAX + 16];
  if (OldForm() && !NeedsWrap(text))
    snprintf(line, sizeof line, "%s", text);
  else
    snprintf(line, sizeof line, "<![CDATA[%s]]>", text);
  PutTextLine(line);
  Close('T');
}

void TlcWriteMissing(const char* name) {
  TlcTextRec& t = TlcRec.text;
  int layer = MainSetup.mctlayer;
  t.lyr = (layer >= 1 && layer <= LAYER_MAX) ? layer : LAYER_MAX;
  t.size = ScaleInt();
  t.o = 0;
  t.x = TlcRec.cel.x;
  t.y = TlcRec.cel.y;
  snprintf(t.text, sizeof t.text, "<<%.32s>>", name ? name : "");
  t.nv = TextVertexCount(static_cast<int>(strlen(t.text)));
  TlcWriteText();
}

void TlcWriteMissingHeader(const char* name) {
  TlcHeaderRec& h = TlcRec.hdr;
  TlcCopyCut(h.name, name, TLC_NAME_MAX, 1);
  snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
  snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
  h.scale = MainSetup.scale;
  TlcCopyCut(h.unit, MainSetup.physunit, TLC_VERSION_MAX, 0);
  TlcNow(h.date, h.time);
  char text[48];
  snprintf(text, sizeof text, "<<%.32s>>", name ? name : "");
  int64_t len = static_cast<int64_t>(strlen(text));
  int64_t size = ScaleInt();
  h.rank = 1;
  h.l = h.b = 0;
  h.r = static_cast<int32_t>(TlcRec.cel.x + len * size / 3 * 2);
  h.t = static_cast<int32_t>(TlcRec.cel.y + size);
  h.nb = 0;
  h.np = 1;
  h.nv = TextVertexCount(static_cast<int>(len));
  h.nc = 0;
  TlcWriteHeader();
}

namespace {

// What the cell writer settled before touching a file.
struct CellWritePlan {
  const CellEntry* e;
  int rank;
  bool script;
};

// The checks of the cell writer: the cell is in the table with a rank in
// range and every object can be written. 1 to go on, 0 refused (reported).
int CellWriteCheck(const char* cellName, CellWritePlan* plan) {
  const CellEntry* e = CellEntryOf(CellFind(cellName));
  if (!e) {
    Fail("Cell %s is not in the Cell Table ... Cell not Saved", cellName);
    return 0;
  }
  // The rank is bits 0-4 of the rank word; Organize may keep more above.
  int rank = e->rank & 0x1F;
  if (rank == 0) rank = 1;
  if (rank > 24) {
    Fail("Rank of %s is outside 1..24 ... Cell not Saved", cellName);
    return 0;
  }
  if (!CheckObjects(cellName, rank > 1, false)) return 0;
  plan->e = e;
  plan->rank = rank;
  return 1;
}

// The cell writer's output file, "<stem>.tlc" or "<stem>.txt" for a script.
int CellWriteOpen(const char* stem, const CellWritePlan& plan) {
  char path[400];
  int n = snprintf(path, sizeof path, "%s%s", stem, plan.script ? ".txt" : ".tlc");
  if (n < 0 || static_cast<size_t>(n) >= sizeof path) {
    TlcWrite.lastWriteFailed = 1;
    return 0;
  }
  TlcPathTidy(path);
  if (!BeginFile(path)) {
    Fail("Unable to Write %s File", path);
    return 0;
  }
  return 1;
}

// Every object of the store to the open file, as records or script lines.
void CellWriteRun(const char* cellName, const CellWritePlan& plan) {
  const CellEntry* e = plan.e;
  int rank = plan.rank;
  bool script = plan.script;
  char date[TLC_DATE_MAX + 1], tm[TLC_DATE_MAX + 1];
  TlcNow(date, tm);
  double s = Scale();
  if (script) {
    // A replay starts with nothing selected, so its first path does not
    // continue a path the user had selected.
    Printf("*** Script for %s (%d)  %s  %s  %s\naput\n", e->name, rank, TLC_VERSION, date, tm);
  } else {
    if (!OldForm()) Puts("<?xml version=\"1.0\"?>\n<TLC>\n");
    TlcWriteLayers();
    TlcHeaderRec& h = TlcRec.hdr;
    TlcCopyCut(h.name, cellName, TLC_NAME_MAX, 1);
    snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
    snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
    h.scale = MainSetup.scale;
    TlcCopyCut(h.unit, MainSetup.physunit, TLC_VERSION_MAX, 0);
    snprintf(h.date, sizeof h.date, "%s", date);
    snprintf(h.time, sizeof h.time, "%s", tm);
    h.rank = rank;
    h.l = e->l;
    h.b = e->b;
    h.r = e->r;
    h.t = e->t;
    h.nb = e->nb;
    h.np = e->np;
    h.nv = e->nv;
    h.nc = e->nc;
    TlcWriteHeader();
  }
  if (rank > 1) {
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      const int32_t* c = StoreCellRec(0, i);
      if (!c) continue;
      const char* name = CellNameOf(c[0] & INST_CELL_MASK);
      if (script) {
        char nx[32], ny[32];
        Printf("\n*cell%d\nobj %s\nadd %s %s %d\n", ++TlcWrite.scriptCounts[0], name, ScriptNum(c[1], s, nx, sizeof nx),
               ScriptNum(c[2], s, ny, sizeof ny), Orient(c[0]));
        continue;
      }
      TlcCellRec& r = TlcRec.cel;
      TlcCopyCut(r.name, name, TLC_NAME_MAX, 0);
      r.o = Orient(c[0]);
      r.x = c[1];
      r.y = c[2];
      r.r = (c[0] & INST_OUTLINE) ? 1 : 0;
      TlcWriteCellRec();
    }
  }
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (!q) continue;
    if (script) {
      char n1[32], n2[32], n3[32], n4[32];
      Printf("\n*box%d\nobj b\nlayr %d\nadd %s %s %s %s\n", ++TlcWrite.scriptCounts[1], q[0] & FLAG_LAYER_MASK,
             ScriptNum(q[1], s, n1, sizeof n1), ScriptNum(q[2], s, n2, sizeof n2), ScriptNum(q[3], s, n3, sizeof n3),
             ScriptNum(q[4], s, n4, sizeof n4));
      continue;
    }
    TlcBoxRec& b = TlcRec.box;
    b.lyr = q[0] & FLAG_LAYER_MASK;
    b.l = q[1];
    b.b = q[2];
    b.r = q[3];
    b.t = q[4];
    TlcWriteBox();
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p) continue;
    if (IsText(p)) {
      TextOf(i, 0, 0);
      const TlcTextRec& t = TlcRec.text;
      if (script)
      {
        char n1[32], n2[32], n3[32];
        Printf("\n*text%d\ntlyr %d\ntsiz %s\ntext %s %s %s\n", ++TlcWrite.scriptCounts[3], t.lyr,
               ScriptNum(t.size, s, n1, sizeof n1), ScriptNum(t.x, s, n2, sizeof n2), ScriptNum(t.y, s, n3, sizeof n3),
               t.text);
      }
      else
        TlcWriteText();
      continue;
    }
    int32_t count;
    PathPoints(i, &count);
    // A path left without points (a load stopped at the vertex limit) has
    // nothing to write and no record that could be read back.
    if (count == 0) continue;
    TlcPathRec& q = TlcRec.path;
    q.lyr = p[0] & FLAG_LAYER_MASK;
    q.w = p[1];
    q.nv = count;
    if (script) {
      char n1[32], n2[32];
      Printf("\n*path%d\nobj p\nlayr %d\nwdth %s\n", ++TlcWrite.scriptCounts[2], q.lyr,
             ScriptNum(q.w, s, n1, sizeof n1));
      for (int k = 0; k < count; ++k)
        Printf("add %s %s\n", ScriptNum(q.x[k], s, n1, sizeof n1), ScriptNum(q.y[k], s, n2, sizeof n2));
      Puts("aput\n");
      continue;
    }
    TlcWritePath();
  }
  if (script)
    Puts("\nfit\n");
  else if (!OldForm())
    Puts("</TLC>\n");
}


}  // namespace

int TlcWriteCell(const char* stem, const char* cellName) {
  for (int& c : TlcWrite.scriptCounts) c = 0;
  TlcWrite.lastWriteFailed = 0;
  CellWritePlan plan = {};
  plan.script = TlcWrite.scriptFlag != 0;
  TlcWrite.scriptFlag = 0;
  if (!cellName || !cellName[0] || !stem || !stem[0]) {
    TlcWrite.lastWriteFailed = 1;
    return 1;
  }
  if (!CellWriteCheck(cellName, &plan) || !CellWriteOpen(stem, plan)) return 1;
  CellWriteRun(cellName, plan);
  if (EndFile() != 0) {
    // A full disk shows only here (write, flush, close or replace): said
    // like a file that can't be made, the old file kept whole.
    char path[400];
    snprintf(path, sizeof path, "%s%s", stem, plan.script ? ".txt" : ".tlc");
    TlcPathTidy(path);
    Fail("Unable to Write %s File", path);
    return 1;
  }
  return 0;
}

int TlcWriteBackup(const char* stem, const char* cellName) {
  TlcWrite.quiet = TlcWrite.backupFailSaid;
  int r = TlcWriteCell(stem, cellName);
  TlcWrite.quiet = 0;
  TlcWrite.backupFailSaid = r != 0;
  return r;
}

namespace {

// What Copy settled before touching a file: the offset in database units,
// the cell appended to (0: a new cell) and the rank of the cell written.
struct CopyPlan {
  int64_t dx, dy;
  int cell;
  int rank;
};

// The checks of Copy: a valid name, an offset and a rank in range, every
// selected object writable and still in range when moved. 1 to go on, 0
// refused (reported).
int CopyCheck(const char* cellName, CopyPlan* plan) {
  if (!cellName || !cellName[0]) {
    TlcWrite.lastWriteFailed = 1;
    return 0;
  }
  if (CellNameCheck(cellName, 0) != 0) {
    TlcWrite.lastWriteFailed = 1;
    return 0;
  }
  double s = MainSetup.scale;
  double fx = TlcWrite.copyDx * s, fy = TlcWrite.copyDy * s;
  if (!(fx > -4.0 * TLC_COORD_MAX && fx < 4.0 * TLC_COORD_MAX && fy > -4.0 * TLC_COORD_MAX && fy < 4.0 * TLC_COORD_MAX)) {
    Fail("Copy Offset out of Range ... %s not Written", cellName);
    return 0;
  }
  int64_t dx = static_cast<int64_t>(fx), dy = static_cast<int64_t>(fy);
  int cell = CellFind(cellName);
  int rank = 1;
  if (cell) {
    rank = CellTable.cells[cell].rank & 0x1F;
  } else {
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
      const int32_t* c = StoreCellRec(0, i);
      if (!c || !(c[0] & INST_SELECTED)) continue;
      const CellEntry* e = CellEntryOf(c[0] & INST_CELL_MASK);
      int r = e ? (e->rank & 0x1F) + 1 : 1;
      if (r > rank) rank = r;
    }
  }
  if (rank < 1 || rank > 24) {
    Fail("Rank of %s would be outside 1..24 ... Copy not Written", cellName);
    return 0;
  }
  if (!CheckObjects(cellName, true, true)) return 0;
  // Every shifted coordinate must stay in the drawing's range.
  auto inRange = [&](int64_t x, int64_t y) {
    return x + dx >= -TLC_COORD_MAX && x + dx <= TLC_COORD_MAX && y + dy >= -TLC_COORD_MAX && y + dy <= TLC_COORD_MAX;
  };
  bool range = true;
  for (int32_t i = 1; i <= Store.boxCount && range; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (q && (q[0] & BOX_SEL_ALL)) range = inRange(q[1], q[2]) && inRange(q[3], q[4]);
  }
  for (int32_t i = 1; i <= Store.pathCount && range; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p || !(p[0] & PATH_SELECTED)) continue;
    int32_t v = p[2];
    for (int32_t steps = 0; v > 0 && steps < Store.vertexCount && range; ++steps) {
      const int32_t* r = StoreVertexRec(v);
      if (!r) break;
      if (!(static_cast<uint32_t>(r[0]) & VERTEX_CHAR)) range = inRange(r[1], r[2]);
      v = r[3];
    }
  }
  for (int32_t i = 1; i <= Store.instCount[0] && range; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    if (c && (c[0] & INST_SELECTED)) range = inRange(c[1], c[2]);
  }
  if (!range) {
    Fail("Copy Offset Moves Objects out of Range ... %s not Written", cellName);
    return 0;
  }
  plan->dx = dx;
  plan->dy = dy;
  plan->cell = cell;
  plan->rank = rank;
  return 1;
}

// Copy's output file: a new cell starts with its prolog and layers; an
// existing one is appended to, its old records copied first.
int CopyOpen(const char* cellName, const CopyPlan& plan) {
  char path[64];
  snprintf(path, sizeof path, "%s.tlc", cellName);
  TlcPathTidy(path);
  if (!BeginFile(path)) {
    Fail("Unable to Write %s File", path);
    return 0;
  }
  if (plan.cell) {
    // Appending: the old records come first, copied into the scratch file.
    QFile old = QFileOpen(path, "rb");
    if (old) {
      char chunk[8192];
      size_t got;
      while ((got = fread(chunk, 1, sizeof chunk, old.get())) > 0) Put(chunk, got);
      if (ferror(old.get())) TlcWrite.ioError = 1;
    }
  } else {
    if (!OldForm()) Puts("<?xml version=\"1.0\"?>\n<TLC>\n");
    TlcWriteLayers();
  }
  return 1;
}

// The selected objects, moved by the offset, to the open file; a new cell
// gets its header after them.
void CopyRun(const char* cellName, const CopyPlan& plan) {
  int64_t dx = plan.dx, dy = plan.dy;
  int rank = plan.rank;
  int32_t nc = 0, nb = 0, np = 0;
  int64_t nv = 0;
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) {
    const int32_t* c = StoreCellRec(0, i);
    if (!c || !(c[0] & INST_SELECTED)) continue;
    int number = c[0] & INST_CELL_MASK;
    const CellEntry* e = CellEntryOf(number);
    if (e && (e->rank & 0x1F) >= rank) continue;
    TlcCellRec& r = TlcRec.cel;
    TlcCopyCut(r.name, CellNameOf(number), TLC_NAME_MAX, 0);
    r.o = Orient(c[0]);
    r.x = static_cast<int32_t>(c[1] + dx);
    r.y = static_cast<int32_t>(c[2] + dy);
    r.r = (c[0] & INST_OUTLINE) ? 1 : 0;
    TlcWriteCellRec();
    ++nc;
  }
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (!q || !(q[0] & BOX_SEL_ALL)) continue;
    TlcBoxRec& b = TlcRec.box;
    b.lyr = q[0] & FLAG_LAYER_MASK;
    b.l = static_cast<int32_t>(q[1] + dx);
    b.b = static_cast<int32_t>(q[2] + dy);
    b.r = static_cast<int32_t>(q[3] + dx);
    b.t = static_cast<int32_t>(q[4] + dy);
    TlcWriteBox();
    ++nb;
  }
  for (int32_t i = 1; i <= Store.pathCount; ++i) {
    const int32_t* p = StorePathRec(i);
    if (!p || !(p[0] & PATH_SELECTED)) continue;
    ++np;
    if (IsText(p)) {
      TextOf(i, dx, dy);
      TlcWriteText();
      nv += TlcRec.text.nv;
      continue;
    }
    int32_t count;
    PathPoints(i, &count);
    if (count == 0) {
      --np;
      continue;
    }
    TlcPathRec& q = TlcRec.path;
    q.lyr = p[0] & FLAG_LAYER_MASK;
    q.w = p[1];
    q.nv = count;
    for (int k = 0; k < count; ++k) {
      q.x[k] = static_cast<int32_t>(q.x[k] + dx);
      q.y[k] = static_cast<int32_t>(q.y[k] + dy);
    }
    TlcWritePath();
    nv += count;
  }
  if (!plan.cell) {
    TlcHeaderRec& h = TlcRec.hdr;
    TlcCopyCut(h.name, cellName, TLC_NAME_MAX, 1);
    snprintf(h.ver1, sizeof h.ver1, "%s", TLC_VERSION);
    snprintf(h.ver2, sizeof h.ver2, "%s", TLC_VERSION);
    h.scale = MainSetup.scale;
    TlcCopyCut(h.unit, MainSetup.physunit, TLC_VERSION_MAX, 0);
    TlcNow(h.date, h.time);
    h.rank = rank;
    h.l = 0;
    h.b = 0;
    h.r = 1;
    h.t = 0;
    h.nb = nb;
    h.np = np;
    h.nv = static_cast<int32_t>(nv > INT32_MAX ? INT32_MAX : nv);
    h.nc = nc;
    TlcWriteHeader();
  }
  if (!OldForm()) Puts("</TLC>\n");
}

}  // namespace

int CopyWrite(const char* cellName) {
  TlcWrite.lastWriteFailed = 0;
  CopyPlan plan = {};
  if (!CopyCheck(cellName, &plan) || !CopyOpen(cellName, plan)) return 1;
  CopyRun(cellName, plan);
  if (EndFile() != 0) {
    TlcWrite.lastWriteFailed = 1;
    return 1;
  }
  return 0;
}
