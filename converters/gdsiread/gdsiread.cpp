#include "gdsiread.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "cnvcommon.h"
#include "namecheck.h"

static const int64_t kCoordMax = (int64_t)1 << 29;
static const char kPolygon[] = "1040000000000100";
static const char kPlace[] = "1030000000000104";
static const char kSkipA[] = "1190000000000104";
static const char kSkipB[] = "1040000000001100";
static const int kDel = 127;

void GdsiReset(GdsiState* st) {
  st->in = nullptr;
  st->con = stdout;
  st->drive[0] = st->folder[0] = 0;
  st->cells = st->dropped = st->incomplete = 0;
  st->nLayers = 0;
  st->made.clear();
  st->failed.clear();
  st->date[0] = st->time[0] = 0;
  memset(&st->now, 0, sizeof st->now);
  st->fixedNow = 0;
  st->orient = 0;
  st->ch = EOF;
}

void GdsiUsage(FILE* con) {
  fputs("This converts an original Calma GDSI file to Quil TLC files\n\n", con);
  fputs("Command line:  gdsiread7.exe  calmafile (full path)\n\n\n", con);
  fputs("* TLC files are placed in the same folder as the Calma file.\n\n", con);
  fputs("* Only Polygons, cells and layers are presently extracted.\n\n", con);
  fprintf(con, "* Scale is initially set to %s units/um. Adjust if necessary.\n\n", "100");
  fputs("* Placement of cells and their orientation may not be correct.\n\n", con);
  fputs("* Cells without lower cells are given rank 1.\n\n", con);
  fputs("* Cells with lower cells are initially given rank 2.\n\n", con);
  fputs("* Higher cell ranks may require adjustmant using the\n  ReRank command if lower cells appear only as outlines.",
        con);
}

static int Next(GdsiState* st) { return st->ch = getc(st->in); }

static void SkipBlanks(GdsiState* st) {
  while (st->ch == ' ') Next(st);
}

// The characters up to (not including) end, or a blank when end is ' ';
// at most GDSI_FIELDLEN kept. Stops at end of file, '?' and DEL too. The
// terminator is consumed.
static int Field(GdsiState* st, char* out, int end) {
  int n = 0, cut = 0;
  Next(st);
  while (st->ch != EOF && st->ch != end && st->ch != '?' && st->ch != kDel && !(end == ' ' && st->ch == '!')) {
    if (n < GDSI_FIELDLEN)
      out[n++] = (char)st->ch;
    else
      cut = 1;
    Next(st);
  }
  out[n] = 0;
  return !cut && st->ch == end;
}

// A signed whole number field ended by '!'; 0 when malformed or too long.
static int Number(GdsiState* st, int64_t* v) {
  char f[GDSI_FIELDLEN + 1];
  if (!Field(st, f, '!')) return 0;
  const char* p = f;
  while (*p == ' ') ++p;
  char* e = nullptr;
  long long x = strtoll(p, &e, 10);
  if (e == p || *e || x > INT32_MAX || x < -INT32_MAX) return 0;
  *v = x;
  return 1;
}

static void SkipObject(GdsiState* st) {
  while (st->ch != EOF && st->ch != '?' && st->ch != kDel) Next(st);
}

struct Cell {
  std::string body;
  int polys, placements;
  long verts;
};

static void AddLayer(GdsiState* st, int layer) {
  for (int i = 0; i < st->nLayers; ++i)
    if (st->layers[i] == layer) return;
  if (st->nLayers < GDSI_MAXLAYERS) st->layers[st->nLayers++] = layer;
}

static void Polygon(GdsiState* st, Cell* c, const char* cell) {
  Next(st);
  SkipBlanks(st);
  char layerField[GDSI_FIELDLEN + 1];
  int n = 0;
  while (st->ch != EOF && st->ch != ' ' && st->ch != '?' && st->ch != kDel) {
    if (n < GDSI_FIELDLEN) layerField[n++] = (char)st->ch;
    Next(st);
  }
  layerField[n] = 0;
  SkipBlanks(st);
  char count[5] = {0};
  for (int i = 0; i < 4 && st->ch != EOF; ++i) {
    count[i] = (char)st->ch;
    Next(st);
  }
  int nv = atoi(count);
  int layer = n > 1 ? atoi(layerField + 1) : 0;
  // Back one: the vertex fields begin at the current character.
  if (st->ch != EOF) ungetc(st->ch, st->in);
  std::vector<int64_t> xy;
  int bad = 0;
  for (int i = 0; i < nv && st->ch != EOF; ++i) {
    int64_t x = 0, y = 0;
    if (!Number(st, &x) || !Number(st, &y)) {
      bad = 1;
      break;
    }
    if (x > kCoordMax || x < -kCoordMax || y > kCoordMax || y < -kCoordMax) bad = 2;
    xy.push_back(x);
    xy.push_back(y);
  }
  if (st->ch != EOF) Next(st);
  const char* why = nullptr;
  if (layer < 1 || layer > 256) why = "Layer outside 1..256";
  else if (bad == 1 || (int)xy.size() != 2 * nv || nv < 1) why = "Incorrect Vertices";
  else if (bad == 2) why = "Coordinate beyond 2^29";
  else if (nv > GDSI_MAXVERTS) why = "Too Many Vertices";
  if (why) {
    fprintf(st->con, "\n??? %s in Polygon on Layer %s in %s ... Polygon Skipped\n", why, layerField, cell);
    ++st->dropped;
    return;
  }
  AddLayer(st, layer);
  xy.push_back(xy[0]);
  xy.push_back(xy[1]);
  char line[96];
  snprintf(line, sizeof line, "<P>\n%d %ld %ld\n", layer, 0L, (long)nv + 1);
  c->body += line;
  for (int i = 0; i <= nv; ++i) {
    snprintf(line, sizeof line, "%ld %ld ", (long)xy[2 * i], (long)xy[2 * i + 1]);
    c->body += line;
    if ((i + 1) % 5 == 0) c->body += "\n";
  }
  if ((nv + 1) % 5) c->body += "\n";
  c->body += "</P>\n";
  ++c->polys;
  c->verts += nv + 1;
}

static int Failed(GdsiState* st, const char* name) {
  for (const std::string& s : st->failed)
    if (CnvSameName(s.c_str(), name)) return 1;
  return 0;
}

static void Placement(GdsiState* st, Cell* c, const char* cell) {
  Next(st);
  SkipBlanks(st);
  while (st->ch != EOF && st->ch != ' ' && st->ch != '?' && st->ch != kDel) Next(st);
  SkipBlanks(st);
  if (st->ch != EOF) ungetc(st->ch, st->in);
  int64_t v;
  int ok = 1;
  for (int i = 0; i < 4 && ok; ++i) ok = Number(st, &v);
  char orient[GDSI_FIELDLEN + 1] = "", name[GDSI_FIELDLEN + 1] = "";
  int64_t x = 0, y = 0;
  ok = ok && Field(st, orient, '!') && Field(st, name, '!') && Number(st, &x) && Number(st, &y);
  if (st->ch != EOF) Next(st);
  if (!ok) {
    fprintf(st->con, "\n??? Incorrect Cell Placement in %s ... Placement Skipped\n", cell);
    ++st->dropped;
    return;
  }
  static const struct {
    const char* code;
    int o;
  } kOrients[] = {{"0001A0", 0}, {"0001B0", 4}, {"0001C0", 6}, {"0001D0", 2}};
  int known = 0;
  for (const auto& k : kOrients)
    if (strcmp(orient, k.code) == 0) {
      st->orient = k.o;
      known = 1;
    }
  if (!known) fprintf(st->con, "\n??? Unknown Cell Orientation %s in %s\n", orient, cell);
  name[GDSI_NAMELEN] = 0;
  if (!CellNameValid(name) || Failed(st, name)) {
    fprintf(st->con, "\n??? Placement of Skipped Cell %s in %s ... Placement Skipped\n", name, cell);
    ++st->dropped;
    return;
  }
  if (x > kCoordMax || x < -kCoordMax || y > kCoordMax || y < -kCoordMax) {
    fprintf(st->con, "\n??? Coordinate beyond 2^29 in Placement of %s in %s ... Placement Skipped\n", name, cell);
    ++st->dropped;
    return;
  }
  char line[GDSI_FIELDLEN + 96];
  snprintf(line, sizeof line, "<C>\n%s\n%d %ld %ld %d\n</C>\n", name, st->orient, (long)x, (long)y, 0);
  c->body += line;
  ++c->placements;
}

// The objects of one cell up to DEL; 0 when the file ended inside it.
static int Objects(GdsiState* st, Cell* c, const char* cell) {
  SkipObject(st);
  while (st->ch == '?') {
    char code[GDSI_FIELDLEN + 1];
    int n = 0;
    Next(st);
    while (st->ch != EOF && st->ch != ' ' && st->ch != '?' && st->ch != kDel) {
      if (n < GDSI_FIELDLEN) code[n++] = (char)st->ch;
      Next(st);
    }
    code[n] = 0;
    if (st->ch == ' ') ungetc(' ', st->in);
    if (strcmp(code, kPolygon) == 0) {
      Polygon(st, c, cell);
    } else if (strcmp(code, kPlace) == 0) {
      Placement(st, c, cell);
    } else if (strcmp(code, kSkipA) != 0 && strcmp(code, kSkipB) != 0) {
      fprintf(st->con, "\n??? Unknown Object Code %s in %s\n", code, cell);
      if (st->ch == ' ') Next(st);
    } else if (st->ch == ' ') {
      Next(st);
    }
    SkipObject(st);
  }
  return st->ch == kDel;
}

static int Made(GdsiState* st, const char* name) {
  for (const std::string& s : st->made)
    if (CnvSameName(s.c_str(), name)) return 1;
  return 0;
}

static void WriteCell(GdsiState* st, const char* name, const Cell& c) {
  char path[3 * 260 + 48];
  snprintf(path, sizeof path, "%s%s%s.tlc", st->drive, st->folder, name);
  FILE* f = fopen(path, "wb");
  st->made.push_back(name);
  if (!f) {
    fprintf(st->con, "\n??? Unable to Create %s ... Cell Skipped\n", path);
    ++st->incomplete;
    return;
  }
  fprintf(st->con, "\nCreating %s\n", path);
  fputs("<?xml version=\"1.0\"?>\n<TLC>\n", f);
  fwrite(c.body.data(), 1, c.body.size(), f);
  fprintf(f, "<H>\n%s\n7.0.0\n7.0.0\n100\num\n%s\n%s\n", name, st->date, st->time);
  fprintf(f, "%d %ld %ld %ld %ld\n", c.placements ? 2 : 1, 0L, 0L, 1000L, 1000L);
  fprintf(f, "%d %d %ld %d\n</H>\n", 0, c.polys, c.verts, c.placements);
  fprintf(f, "<L>\n%d\n", st->nLayers);
  for (int i = 0; i < st->nLayers; ++i) fprintf(f, "L%d %d\n", st->layers[i], st->layers[i]);
  fputs("</L>\n</TLC>\n", f);
  FILE* g = f;
  if (!CnvFileClose(&g)) {
    fprintf(st->con, "Write Error Occurred\n");
    ++st->incomplete;
    return;
  }
  ++st->cells;
}

int GdsiRun(GdsiState* st, const char* path) {
  st->in = fopen(path, "rb");
  if (!st->in) {
    fputs("Calma is File Missing\n", st->con);
    return 1;
  }
  char name[260], ext[260];
  CnvPathSplit(path, st->drive, st->folder, name, ext);
  CnvTakeNow(&st->now, st->fixedNow, st->date, sizeof st->date, st->time, sizeof st->time);
  fprintf(st->con, "\nReading %s\n", path);
  for (;;) {
    while (Next(st) != EOF && st->ch != '!') {
    }
    if (st->ch == EOF) break;
    char cell[GDSI_FIELDLEN + 1] = "";
    int named = Next(st) == '1';
    if (named) Field(st, cell, ' ');
    cell[GDSI_NAMELEN] = 0;
    Cell c{std::string(), 0, 0, 0};
    const char* why = nullptr;
    if (!named || !cell[0]) why = "Cell Header without Name";
    else if (!CellNameValid(cell)) why = "Incorrect Cell Name";
    else if (Made(st, cell)) why = "Cell Made Before in this File";
    const char* shown = why ? (cell[0] ? cell : "?") : cell;
    int whole = Objects(st, &c, shown);
    if (why) {
      fprintf(st->con, "\n??? %s %s ... Cell Skipped\n", why, cell);
      if (cell[0] && !Made(st, cell)) st->failed.push_back(cell);
      ++st->dropped;
    } else {
      WriteCell(st, cell, c);
    }
    if (!whole) {
      if (st->ch == EOF) {
        fprintf(st->con, "\n??? File Ended inside Cell %s\n", shown);
        ++st->incomplete;
      }
      break;
    }
  }
  fclose(st->in);
  st->in = nullptr;
  fprintf(st->con, "\n%d Cells Created\n", st->cells);
  if (st->dropped || st->incomplete) {
    fputs("\n??? Some Cells or Objects were Skipped ... Files may be Incomplete\n", st->con);
    return 1;
  }
  return 0;
}
