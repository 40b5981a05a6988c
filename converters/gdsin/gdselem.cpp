// The conversion pass: every record read once more, elements written as
// TLC records into one cell file per structure, with the listing.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <vector>

#include "gdsin.h"
#include "gdsinpriv.h"
#include "host.h"
#include "q7tlcrw.h"

namespace {

void Lst(GdsInState* st, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Lst(GdsInState* st, const char* fmt, ...) {
  if (!st->listing) return;
  va_list ap;
  va_start(ap, fmt);
  vfprintf(st->listing, fmt, ap);
  va_end(ap);
}

const char* Nul(const char* text) { return (strlen(text) & 1) ? "[NUL]" : ""; }

void Note(GdsInState* st, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Note(GdsInState* st, const char* fmt, ...) {
  char text[1200];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  GdsInList(st, text);
}

double Phys(GdsInState* st, int32_t v) { return (double)v / st->tlcScale; }

void LayerUse(GdsInState* st, int layer) {
  for (int i = 0; i < st->nLayers; ++i)
    if (st->layers[i] == layer) return;
  if (st->nLayers < 256) st->layers[st->nLayers++] = layer;
}

int32_t Clamp32(int64_t v) { return v > INT32_MAX ? INT32_MAX : (int32_t)v; }

// TLC layer of a GDS layer and datatype: the map, or the user's answer.
// 0 drops the element; -1 ends the run.
int LdmLookup(GdsInState* st, int gds, int datatype) {
  for (int i = 0; i < st->ldm.n; ++i)
    if (st->ldm.e[i].gds == gds && st->ldm.e[i].datatype == datatype) return st->ldm.e[i].tlc;
  int tlc = datatype == 0 ? gds : 0;
  int answer = st->ldmAsk ? st->ldmAsk(gds, datatype, &tlc) : HOST_IDNO;
  if (answer == HOST_IDYES) {
    if (tlc < 1) tlc = 1;
    if (tlc > 256) tlc = 256;
    if (!LdmMapAdd(&st->ldm, gds, datatype, tlc)) {
      char msg[80];
      snprintf(msg, sizeof msg, "Too Many Layers in LDM File (Max %d) ... Can't Continue", LDM_MAX);
      GdsFail(st, msg);
      return -1;
    }
    st->ldm.added = 1;
    return tlc;
  }
  if (answer == HOST_IDNO) {
    if (gds < 1 || gds > 256) {
      Note(st, "GDS Layer %d Datatype %d has no TLC Layer ... Element Dropped in %s", gds, datatype, st->curName);
      return 0;
    }
    return gds;
  }
  st->abort = 1;
  return -1;
}

// Moves point (x, y) away from (px, py) by ext along their segment.
int Extend(GdsInState* st, int32_t* x, int32_t* y, int32_t px, int32_t py, int32_t ext, int layer) {
  double dx = (double)*x - px, dy = (double)*y - py;
  if (dx == 0 && dy == 0) {
    Note(st, "Vertex Coincidence at X=%.*g Y=%.*g L=%d in %s", 9, Phys(st, *x), 9, Phys(st, *y), layer, st->curName);
    return 0;
  }
  double a = std::atan2(dy, dx);
  double mx = std::cos(a) * ext, my = std::sin(a) * ext;
  mx = mx > 0 ? std::trunc(mx + 0.9999) : std::trunc(mx - 0.9999);
  my = my > 0 ? std::trunc(my + 0.9999) : std::trunc(my - 0.9999);
  // Exact along the axes: the rounding above is for oblique ends.
  if (dy == 0) my = 0;
  if (dx == 0) mx = 0;
  double nx = *x + mx, ny = *y + my;
  const double lim = (double)0x20000000;
  if (nx > lim) nx = lim;
  if (nx < -lim) nx = -lim;
  if (ny > lim) ny = lim;
  if (ny < -lim) ny = -lim;
  *x = (int32_t)nx;
  *y = (int32_t)ny;
  return 1;
}

// Digits of v at the end of buf; returns where they start.
char* Digits(char* end, int32_t v) {
  uint32_t u = v < 0 ? 0u - (uint32_t)v : (uint32_t)v;
  do {
    *--end = (char)('0' + u % 10);
    u /= 10;
  } while (u);
  if (v < 0) *--end = '-';
  return end;
}

// The current box as the TLC writer writes it; boxes are most of a large
// stream, so they are formatted here without the printf machinery.
void BoxOut() {
  FILE* f = TlcWriter.file;
  if (!f) {
    TlcWriter.failed = 1;
    return;
  }
  char line[96];
  char* end = line + sizeof line;
  char* p = end;
  *--p = '\n';
  const int32_t v[5] = {TLCb.lyr, TLCb.l, TLCb.b, TLCb.r, TLCb.t};
  for (int k = 4; k >= 0; --k) {
    p = Digits(p, v[k]);
    if (k) *--p = ' ';
  }
  const char* open = TlcWriter.oldForm ? "=B\n" : "<B>\n";
  if (fputs(open, f) < 0 || fwrite(p, 1, (size_t)(end - p), f) != (size_t)(end - p)) TlcWriter.failed = 1;
  if (!TlcWriter.oldForm && fputs("</B>\n", f) < 0) TlcWriter.failed = 1;
}

int IsBox(const GdsElement& e) {
  if (e.isPath || e.n != 5 || e.x[4] != e.x[0] || e.y[4] != e.y[0]) return 0;
  int hv = 1, vh = 1;
  for (int i = 0; i < 4; ++i) {
    int horiz = e.y[i + 1] == e.y[i] && e.x[i + 1] != e.x[i];
    int vert = e.x[i + 1] == e.x[i] && e.y[i + 1] != e.y[i];
    if (i % 2 == 0) {
      hv = hv && horiz;
      vh = vh && vert;
    } else {
      hv = hv && vert;
      vh = vh && horiz;
    }
  }
  return hv || vh;
}

void GeometryNotes(GdsInState* st, const GdsElement& e, int ref) {
  if (e.clamped) Note(st, "Coordinates Held to the TLC Limit of %d in %s", 0x20000000, st->curName);
  if (ref && e.mag != 1.0) Note(st, "Magnification %g Ignored in %s", e.mag, st->curName);
  if (e.strans & 0x0006) Note(st, "Absolute Magnification or Angle Flag Ignored in %s", st->curName);
}

int WriteMarker(GdsInState* st, int32_t x, int32_t y, const char* name) {
  LayerUse(st, st->mcl);
  TLCt.lyr = st->mcl;
  TLCt.size = Clamp32((int64_t)std::llround(st->tlcScale));
  TLCt.o = 0;
  TLCt.x = x;
  TLCt.y = y;
  snprintf(TLCt.text, sizeof TLCt.text, "<<%s>>", name);
  int len = (int)strlen(TLCt.text);
  TLCt.nv = (len - 1) / 8 + 2;
  WriteT();
  st->cellCount.texts += 1;
  st->cellCount.vertices += TLCt.nv;
  return 1;
}

int Reference(GdsInState* st, const GdsElement& e) {
  if (e.n < 1) {
    Note(st, "Cell Reference without Points Dropped in %s", st->curName);
    return 1;
  }
  int i = GdsStructFind(st, e.sname);
  int cols = 1, rows = 1;
  if (e.kind == GE_AREF) {
    cols = e.cols;
    rows = e.rows;
    if (cols < 1 || rows < 1) {
      Note(st, "Array of %d Columns and %d Rows Dropped in %s", cols, rows, st->curName);
      return 1;
    }
    // Checked before anything is written: one record could ask for far
    // more instances than a drawing may hold.
    int64_t want = (int64_t)cols * rows;
    int64_t left = i ? (int64_t)AMAX - st->total.cells - st->cellCount.cells
                     : (int64_t)PMAX - st->total.paths - st->total.texts - st->cellCount.paths - st->cellCount.texts;
    if (want > left) {
      char msg[GDSIN_SNAMELEN + 120];
      snprintf(msg, sizeof msg, "Array Structure of %d x %d in %s exceeds the Drawing Limit ... Can't Continue", cols,
               rows, st->curName);
      return GdsFail(st, msg);
    }
  }
  if (!i) Note(st, "Structure %s is Missing ... Text Marker Added", e.sname);
  GeometryNotes(st, e, 1);
  int32_t cx = 0, cy = 0, rx = 0, ry = 0;
  if (e.kind == GE_AREF) {
    if (e.n < 3) {
      Note(st, "Array Structure with %d Points Dropped in %s", e.n, st->curName);
      return 1;
    }
    if (cols > 1) {
      cx = (int32_t)(((int64_t)e.x[1] - e.x[0]) / cols);
      cy = (int32_t)(((int64_t)e.y[1] - e.y[0]) / cols);
    }
    if (rows > 1) {
      rx = (int32_t)(((int64_t)e.x[2] - e.x[0]) / rows);
      ry = (int32_t)(((int64_t)e.y[2] - e.y[0]) / rows);
    }
  }
  for (int c = 0; c < cols; ++c)
    for (int r = 0; r < rows; ++r) {
      if (!i) {
        WriteMarker(st, e.x[0], e.y[0], e.sname);
        continue;
      }
      int64_t x = (int64_t)e.x[0] + (int64_t)c * cx + (int64_t)r * rx;
      int64_t y = (int64_t)e.y[0] + (int64_t)c * cy + (int64_t)r * ry;
      tlccel& t = TLCc[0];
      snprintf(t.name, sizeof t.name, "%s", st->structs[i].cell);
      t.o = e.orient & 7;
      t.x = (int32_t)(x > 0x20000000 ? 0x20000000 : x < -0x20000000 ? -0x20000000 : x);
      t.y = (int32_t)(y > 0x20000000 ? 0x20000000 : y < -0x20000000 ? -0x20000000 : y);
      t.r = 0;
      WriteC(0);
      st->cellCount.cells += 1;
    }
  if (e.kind == GE_AREF)
    Note(st, "Array Structure Found in GDS, %d x %d Stepping of %s Substituted", cols, rows,
         i ? st->structs[i].cell : e.sname);
  return 1;
}

int Text(GdsInState* st, const GdsElement& e) {
  if (!st->ctx) return 1;
  if (e.n < 1) {
    Note(st, "Text without Points Dropped in %s", st->curName);
    return 1;
  }
  int layer = e.layer;
  if (layer < 1 || layer > 256) {
    Note(st, "Text Layer %d is out of Range 1-256 ... Text Dropped in %s", layer, st->curName);
    return 1;
  }
  if (!LyrSelTest(&st->sel, layer)) return 1;
  LayerUse(st, layer);
  int row = -1;
  for (int k = 0; k < GDSIN_ROWS && row < 0; ++k)
    if (st->rows[k].font >= 0 && st->rows[k].font == e.font) row = k;
  for (int k = 0; k < GDSIN_ROWS && row < 0; ++k)
    if (st->rows[k].texttype >= 0 && st->rows[k].texttype == e.texttype) row = k;
  const GdsTextRowIn& tr = st->rows[row < 0 ? 0 : row];
  double h = row < 0 ? 15 : tr.size;
  if (tr.mag) h = std::trunc(h * e.mag);
  if (!(h >= 0)) h = 0;
  if (h > 9830400) h = 9830400;
  int64_t hi = (int64_t)h;
  hi = (hi + 7) / 15 * 15;
  if (hi < 15) hi = 15;
  if (hi > 9830400) hi = 9830400;
  int64_t offset = 0;
  if (tr.just) {
    if (e.vjust == 0) offset = -hi;
    if (e.vjust == 1) offset = -hi / 2;
  }
  if (e.clamped || (e.strans & 0x0006)) GeometryNotes(st, e, 0);
  char delim = st->delimCR ? '\r' : '\n';
  char other = st->delimCR ? '\n' : '\r';
  const char* p = e.text;
  while (*p) {
    char line[GDSIN_STRLEN + 1];
    int n = 0;
    while (*p && *p != delim) {
      unsigned char c = (unsigned char)*p++;
      if (c == (unsigned char)other) continue;
      // Other control bytes and bytes outside ASCII can't stand in a cell file.
      line[n++] = (c < 0x20 || c >= 0x7F) ? '?' : (char)c;
    }
    if (*p == delim) ++p;
    line[n] = 0;
    if (n == 0) continue;
    if (n > 64) line[64] = 0, n = 64;
    TLCt.lyr = layer;
    TLCt.size = (int32_t)hi;
    TLCt.o = e.orient & 7;
    TLCt.x = e.x[0];
    int64_t y = (int64_t)e.y[0] + offset;
    TLCt.y = (int32_t)(y > 0x20000000 ? 0x20000000 : y < -0x20000000 ? -0x20000000 : y);
    memcpy(TLCt.text, line, (size_t)n + 1);
    TLCt.nv = (n - 1) / 8 + 2;
    WriteT();
    st->cellCount.texts += 1;
    st->cellCount.vertices += TLCt.nv;
    offset -= hi * 16 / 15;
  }
  return 1;
}

struct XY {
  int64_t x, y;
};

// The part of ring `in` on one side of the line axis = c (x for axis 0, y
// for 1): low keeps the side below c. Where the ring crosses the line more
// than once the part runs back and forth along it, which adds no area.
void ClipSide(const std::vector<XY>& in, int axis, int64_t c, bool low, std::vector<XY>* out) {
  out->clear();
  size_t n = in.size();
  auto along = [axis](const XY& p) { return axis == 0 ? p.x : p.y; };
  auto inside = [&](const XY& p) { return low ? along(p) <= c : along(p) >= c; };
  for (size_t i = 0; i < n; ++i) {
    const XY& a = in[i];
    const XY& b = in[(i + 1) % n];
    bool ia = inside(a), ib = inside(b);
    if (ia != ib) {
      // Where edge a-b meets the line; exact for edges across it at right
      // angles, else the nearest grid point.
      double t = (double)(c - along(a)) / (double)(along(b) - along(a));
      XY m;
      if (axis == 0) {
        m.x = c;
        m.y = a.y + std::llround(t * (double)(b.y - a.y));
      } else {
        m.y = c;
        m.x = a.x + std::llround(t * (double)(b.x - a.x));
      }
      if (out->empty() || out->back().x != m.x || out->back().y != m.y) out->push_back(m);
    }
    if (ib && (out->empty() || out->back().x != b.x || out->back().y != b.y)) out->push_back(b);
  }
  while (out->size() > 1 && out->front().x == out->back().x && out->front().y == out->back().y) out->pop_back();
}

// Cuts a ring at the median of its wider side until every part has room
// for its closing point within the vertex limit.
void SplitRing(const std::vector<XY>& ring, int depth, std::vector<std::vector<XY>>* parts) {
  if (ring.size() < 3) return;  // nothing left on this side
  if ((int)ring.size() < GDSIN_MAXPTS || depth > 48) {
    parts->push_back(ring);
    if ((int)parts->back().size() >= GDSIN_MAXPTS) parts->back().resize(GDSIN_MAXPTS - 1);
    return;
  }
  int64_t lx = ring[0].x, hx = lx, ly = ring[0].y, hy = ly;
  for (const XY& p : ring) {
    lx = p.x < lx ? p.x : lx, hx = p.x > hx ? p.x : hx;
    ly = p.y < ly ? p.y : ly, hy = p.y > hy ? p.y : hy;
  }
  int axis = (hx - lx) >= (hy - ly) ? 0 : 1;
  int64_t lo = axis == 0 ? lx : ly, hi = axis == 0 ? hx : hy;
  if (hi - lo < 2) {
    axis = 1 - axis;
    lo = axis == 0 ? lx : ly, hi = axis == 0 ? hx : hy;
  }
  std::vector<int64_t> v;
  v.reserve(ring.size());
  for (const XY& p : ring) v.push_back(axis == 0 ? p.x : p.y);
  std::nth_element(v.begin(), v.begin() + (long)(v.size() / 2), v.end());
  int64_t c = v[v.size() / 2];
  if (c <= lo) c = lo + 1;
  if (c >= hi) c = hi - 1;
  if (hi - lo < 2) {
    parts->push_back(ring);
    parts->back().resize(GDSIN_MAXPTS - 1);
    return;
  }
  std::vector<XY> side;
  ClipSide(ring, axis, c, true, &side);
  SplitRing(side, depth + 1, parts);
  ClipSide(ring, axis, c, false, &side);
  SplitRing(side, depth + 1, parts);
}

// A boundary over the vertex limit, written as closed polygons within it
// that together cover what it covers.
void SplitOut(GdsInState* st, const GdsElement& e, int tlc) {
  std::vector<XY> ring;
  ring.reserve((size_t)e.nAll);
  for (int i = 0; i < e.nAll; ++i)
    if (ring.empty() || ring.back().x != e.xAll[i] || ring.back().y != e.yAll[i]) ring.push_back({e.xAll[i], e.yAll[i]});
  while (ring.size() > 1 && ring.front().x == ring.back().x && ring.front().y == ring.back().y) ring.pop_back();
  std::vector<std::vector<XY>> parts;
  SplitRing(ring, 0, &parts);
  for (const auto& part : parts) {
    int n = 0;
    for (const XY& p : part) {
      TLCp.x[n] = (int32_t)p.x;
      TLCp.y[n] = (int32_t)p.y;
      ++n;
    }
    TLCp.x[n] = TLCp.x[0];
    TLCp.y[n] = TLCp.y[0];
    ++n;
    TLCp.lyr = tlc;
    TLCp.w = 0;
    TLCp.nv = n;
    WriteP();
    st->cellCount.paths += 1;
    st->cellCount.vertices += n;
  }
  Note(st, "Boundary of %d Vertices Split into %d Polygons in %s", e.nAll, (int)parts.size(), st->curName);
}

int Boundary(GdsInState* st, GdsElement& e) {
  if (e.n < 1) {
    // A path record without vertices would not read back.
    Note(st, "%s without Points Dropped in %s", e.isPath ? "Path" : "Boundary", st->curName);
    return 1;
  }
  if (e.n == 1) return 1;
  int tlc = LdmLookup(st, e.layer, e.datatype);
  if (tlc < 0) return 0;
  if (tlc == 0 || !LyrSelTest(&st->sel, tlc)) return 1;
  LayerUse(st, tlc);
  GeometryNotes(st, e, 0);
  if (e.nAll) {
    SplitOut(st, e, tlc);
    return 1;
  }
  if (st->cbb && IsBox(e)) {
    TLCb.lyr = tlc;
    TLCb.l = e.x[0] < e.x[2] ? e.x[0] : e.x[2];
    TLCb.b = e.y[0] < e.y[2] ? e.y[0] : e.y[2];
    TLCb.r = e.x[0] < e.x[2] ? e.x[2] : e.x[0];
    TLCb.t = e.y[0] < e.y[2] ? e.y[2] : e.y[0];
    BoxOut();
    st->cellCount.boxes += 1;
    return 1;
  }
  int sign = e.sign;
  if (e.isPath && e.pathType == 4 && e.n >= 2) {
    // The custom extensions become the ends themselves, so the path stays
    // flush: extending it by half its width as well would grow it.
    Extend(st, &e.x[0], &e.y[0], e.x[1], e.y[1], e.bgnExt, tlc);
    Extend(st, &e.x[e.n - 1], &e.y[e.n - 1], e.x[e.n - 2], e.y[e.n - 2], e.endExt, tlc);
    sign = 1;
  }
  TLCp.lyr = tlc;
  TLCp.w = e.isPath ? (int32_t)(e.width * sign) : 0;
  TLCp.nv = e.n;
  memcpy(TLCp.x, e.x, sizeof(int32_t) * (size_t)e.n);
  memcpy(TLCp.y, e.y, sizeof(int32_t) * (size_t)e.n);
  if (st->cop && TLCp.w == 0 && (e.x[0] != e.x[e.n - 1] || e.y[0] != e.y[e.n - 1]))
    Note(st, "Open Poly at X=%.*g Y=%.*g L=%d in %s", 9, Phys(st, e.x[0]), 9, Phys(st, e.y[0]), tlc, st->curName);
  WriteP();
  st->cellCount.paths += 1;
  st->cellCount.vertices += e.n;
  return 1;
}

void PathType(GdsInState* st, int type) {
  GdsElement& e = st->el;
  e.pathType = type;
  switch (type) {
    case 0:
      e.sign = 1;
      break;
    case 2:
      e.sign = -1;
      break;
    case 1:
      e.sign = -1;
      Note(st, "Round Path End Type ...\n\nChanged to Extended in %s", st->curName);
      break;
    case 4:
      e.sign = -1;
      Note(st, "Custom Path End Type ...\n\nChanged to Extended in %s", st->curName);
      break;
    default:
      Note(st, "Illegal Path End Type= %d in %s", type, st->curName);
      e.pathType = 0;
      e.sign = 1;
      break;
  }
}

void Angle(GdsInState* st, double a) {
  GdsElement& e = st->el;
  e.angle = a;
  double b = std::fmod(a, 360.0);
  if (b < 0) b += 360;
  for (int q = 1; q <= 3; ++q)
    if (std::fabs(b - 90.0 * q) <= 0.1) {
      e.orient = (e.orient & 4) | ((e.orient + q) & 3);
      return;
    }
  if (b <= 0.1 || b >= 359.9) return;
  Note(st, "Angle %g is not a Multiple of 90 ... Ignored in %s", a, st->curName);
}

// Element-level records while the structure is omitted: data dropped.
int ElementLevel(int rt) {
  return rt >= GR_BOUNDARY && rt != GR_ENDSTR && rt != GR_STRNAME && rt != GR_BGNSTR && rt != GR_ENDLIB &&
         rt != GR_UNITS && rt != GR_LIBNAME && rt != GR_BGNLIB && rt != GR_HEADER;
}

// One record of the conversion pass; 0 ends the pass.
int ConvRecord(GdsInState* st) {
  GdsElement& e = st->el;
  if (st->omitted && ElementLevel(st->rt)) return GdsSkip(st);
  if (!GdsReadData(st)) return 0;
  GdsListRecord(st);
  switch (st->rt) {
    case GR_ENDLIB:
      st->passEnded = 1;
      return 0;
    case GR_BGNSTR:
      GdsProgress(st);
      return 1;
    case GR_STRNAME: {
      char name[GDSIN_SNAMELEN + 1];
      GdsString(st, name, GDSIN_SNAMELEN);
      return GdsStructStart(st, name);
    }
    case GR_ENDSTR:
      return GdsStructEnd(st);
    case GR_BOUNDARY:
    case GR_BOX:
      GdsElementReset(st);
      e.kind = GE_BOUNDARY;
      return 1;
    case GR_PATH:
      GdsElementReset(st);
      e.kind = GE_BOUNDARY;
      e.isPath = 1;
      e.sign = 1;
      return 1;
    case GR_SREF:
      GdsElementReset(st);
      e.kind = GE_SREF;
      return 1;
    case GR_AREF:
      GdsElementReset(st);
      e.kind = GE_AREF;
      return 1;
    case GR_TEXT:
      GdsElementReset(st);
      e.kind = GE_TEXT;
      return 1;
    case GR_LAYER:
      e.layer = GdsReadInt2(st, 0);
      return 1;
    case GR_DATATYPE:
      e.datatype = GdsReadInt2(st, 0);
      return 1;
    case GR_TEXTTYPE:
      e.texttype = GdsReadInt2(st, 0);
      return 1;
    case GR_WIDTH: {
      int32_t w = GdsCoord(st, GdsInt4(st, 0), &e.clamped);
      e.width = w < 0 ? -w : w;
      return 1;
    }
    case GR_BGNEXTN:
      e.bgnExt = GdsCoord(st, GdsInt4(st, 0), &e.clamped);
      return 1;
    case GR_ENDEXTN:
      e.endExt = GdsCoord(st, GdsInt4(st, 0), &e.clamped);
      return 1;
    case GR_XY: {
      int n = (st->rl - 4) / 8;
      e.nAll = 0;
      if (n > GDSIN_MAXPTS && e.kind == GE_BOUNDARY && !e.isPath && n <= GDSIN_XYMAX) {
        // Split into polygons within the limit when the element ends.
        for (int i = 0; i < n; ++i) {
          e.xAll[i] = GdsCoord(st, GdsInt4(st, 2 * i), &e.clamped);
          e.yAll[i] = GdsCoord(st, GdsInt4(st, 2 * i + 1), &e.clamped);
        }
        e.nAll = n;
        n = GDSIN_MAXPTS;
      } else if (n > GDSIN_MAXPTS) {
        char msg[300];
        snprintf(msg, sizeof msg,
                 "Boundary (Path) Vertex Count %d in the GDS File equals or exceeds the %d Limit.\n\nBoundary will be "
                 "Truncated\n\nUse Shorter Sections in the Original Boundary",
                 n, GDSIN_MAXPTS);
        HostWarning(msg);
        if (st->log) fprintf(st->log, "%s\n", msg);
        n = GDSIN_MAXPTS;
      }
      for (int i = 0; i < n; ++i) {
        e.x[i] = GdsCoord(st, GdsInt4(st, 2 * i), &e.clamped);
        e.y[i] = GdsCoord(st, GdsInt4(st, 2 * i + 1), &e.clamped);
      }
      e.n = n;
      return 1;
    }
    case GR_ENDEL: {
      int ok = GdsElementEnd(st);
      GdsElementReset(st);
      return ok;
    }
    case GR_SNAME:
      GdsString(st, e.sname, GDSIN_SNAMELEN);
      return 1;
    case GR_COLROW:
      e.cols = GdsReadInt2(st, 0);
      e.rows = GdsReadInt2(st, 1);
      return 1;
    case GR_PRESENTATION: {
      int v = GdsReadInt2(st, 0);
      e.font = (v >> 4) & 3;
      e.vjust = (v >> 2) & 3;
      return 1;
    }
    case GR_STRING:
      GdsString(st, e.text, GDSIN_STRLEN);
      return 1;
    case GR_STRANS: {
      int v = GdsReadInt2(st, 0);
      e.strans = v;
      if (v & 0x8000) e.orient |= 4;
      return 1;
    }
    case GR_MAG:
      e.mag = GdsReal8At(st, 0);
      return 1;
    case GR_ANGLE:
      Angle(st, GdsReal8At(st, 0));
      return 1;
    case GR_PATHTYPE:
      PathType(st, GdsReadInt2(st, 0));
      return 1;
    default:
      return 1;
  }
}

}  // namespace

void GdsElementReset(GdsInState* st) {
  GdsElement& e = st->el;
  e.kind = GE_NONE;
  e.nAll = 0;
  e.isPath = 0;
  e.layer = 1;
  e.datatype = 0;
  e.width = 0;
  e.sign = 1;
  e.pathType = 0;
  e.bgnExt = e.endExt = 0;
  e.orient = 0;
  e.mag = 1.0;
  e.angle = 0;
  e.strans = 0;
  e.font = e.vjust = e.texttype = 0;
  e.cols = e.rows = 1;
  e.sname[0] = 0;
  e.text[0] = 0;
  e.n = 0;
  e.clamped = 0;
}

int GdsElementEnd(GdsInState* st) {
  GdsElement& e = st->el;
  if (!st->cellOpen) return GdsFail(st, "GDS Element outside a Structure ... Can't Continue");
  if (e.layer == 0) e.layer = st->lzl;
  switch (e.kind) {
    case GE_BOUNDARY:
      return Boundary(st, e);
    case GE_SREF:
    case GE_AREF:
      return Reference(st, e);
    case GE_TEXT:
      return Text(st, e);
    default:
      return 1;
  }
}

int GdsStructStart(GdsInState* st, const char* name) {
  snprintf(st->curName, sizeof st->curName, "%s", name);
  st->omitted = 0;
  for (int i = 0; i < GDSIN_OMITS; ++i)
    if (st->omit[i][0] && strcmp(st->omit[i], name) == 0) st->omitted = 1;
  if (st->omitted) return 1;
  if (st->cellOpen) return GdsFail(st, "GDS Structure is not Ended before the Next ... Can't Continue");
  st->cur = GdsStructFind(st, name);
  if (!st->cur) return GdsFail(st, "GDS Structure is not in the Structure Table ... Can't Continue");
  GdsStruct& gs = st->structs[st->cur];
  if (gs.written) {
    // A second definition would write over the cell of the first.
    Note(st, "Structure %s is Defined Again ... Second Definition Skipped", name);
    st->omitted = 1;
    return 1;
  }
  gs.written = 1;
  st->cellCount = GdsInCounts{0, 0, 0, 0, 0};
  char text[80];
  snprintf(text, sizeof text, "%d", gs.rank);
  GdsCounter(st, 502, text);
  snprintf(text, sizeof text, "%s.tlc", gs.cell);
  GdsCounter(st, 519, text);
  GdsPoll(st, 500);
  if (st->abort) return 0;
  GdsInList(st, text);
  if (!SatTlcCreate(gs.cell)) return GdsFail(st, "Unable to Write TLC File ... Can't Continue");
  st->cellOpen = 1;
  GdsElementReset(st);
  return 1;
}

static void Limits(GdsInState* st) {
  struct {
    int64_t v, lim;
    const char* text;
  } checks[] = {
      {st->total.boxes, BMAX, "Box Count exceeds Drawing Limit ... Continue?"},
      {st->total.paths + st->total.texts, PMAX, "Path Count exceeds Drawing Limit ... Continue?"},
      {st->total.vertices, VMAX, "Vertex Count exceeds Drawing Limit ... Continue?"},
      {st->total.cells, AMAX, "Cell Count exceeds Drawing Limit ... Continue?"},
  };
  for (auto& c : checks) {
    if (st->abort) return;
    if (c.v >= c.lim && HostMsgBox(c.text, nullptr, HOST_CAP_ERROR, HOST_YESNO) != HOST_IDYES) st->abort = 1;
  }
}

static void Resolution(GdsInState* st) {
  double d = (double)st->div;
  long a = std::lround(st->G / d);
  char msg[300];
  if (a == 0) {
    Note(st, "Dimension is Too Small for GDS Resolution in %s", st->curName);
  } else {
    snprintf(msg, sizeof msg, "Min Feature= %.*g%s   Scales: GDS= %.*gunits/%s  TLC= %.*gunits/%s", 9,
             (double)st->minDiv / st->G, st->unit, 9, st->G, st->unit, 9, st->tlcScale, st->unit);
    GdsCounter(st, 1001, msg);
    int64_t scale = (int64_t)st->tlcScale;
    if (d / st->G * st->tlcScale < 0.9999 || scale % a != 0)
      Note(st, "Resolution may be Lost ...\n\nQUIL Units must be Multiple of %ld", a);
  }
  st->div = st->cap;
}

int GdsStructEnd(GdsInState* st) {
  if (st->omitted) return 1;
  if (!st->cellOpen) return GdsFail(st, "GDS Structure End without its Start ... Can't Continue");
  const GdsStruct& gs = st->structs[st->cur];
  GdsInCounts& c = st->cellCount;
  snprintf(TLCh.name, sizeof TLCh.name, "%s", gs.cell);
  TLCh.scale = st->tlcScale;
  snprintf(TLCh.unit, sizeof TLCh.unit, "%s", st->unit);
  snprintf(TLCh.date, sizeof TLCh.date, "%.8s", st->date);
  snprintf(TLCh.time, sizeof TLCh.time, "%.8s", st->time);
  TLCh.rank = gs.rank;
  TLCh.l = 0;
  TLCh.b = 0;
  TLCh.r = 100;
  TLCh.t = 100;
  TLCh.nb = Clamp32(c.boxes);
  TLCh.np = Clamp32(c.paths + c.texts);
  TLCh.nv = Clamp32(c.vertices);
  TLCh.nc = Clamp32(c.cells);
  st->total.boxes += c.boxes;
  st->total.paths += c.paths;
  st->total.texts += c.texts;
  st->total.vertices += c.vertices;
  st->total.cells += c.cells;
  GdsInCounts& m = st->maxCount;
  if (c.boxes > m.boxes) m.boxes = c.boxes;
  if (c.paths > m.paths) m.paths = c.paths;
  if (c.texts > m.texts) m.texts = c.texts;
  if (c.vertices > m.vertices) m.vertices = c.vertices;
  if (c.cells > m.cells) m.cells = c.cells;
  if (gs.rank > st->highestRank) st->highestRank = gs.rank;
  if (st->counter) {
    const int64_t v[10] = {c.boxes, c.paths, c.texts, c.vertices, c.cells,
                           m.boxes, m.paths, m.texts, m.vertices, m.cells};
    char text[32];
    for (int k = 0; k < 5; ++k) {
      snprintf(text, sizeof text, "%lld", (long long)v[k]);
      st->counter(503 + k, text);
      snprintf(text, sizeof text, "%lld", (long long)v[5 + k]);
      st->counter(509 + k, text);
    }
    snprintf(text, sizeof text, "%d", st->highestRank);
    st->counter(508, text);
  }
  GdsPoll(st, 50);
  if (st->log)
    fprintf(st->log, "%-20s%-6d%-8lld%-8lld%-8lld%-8lld%-8lld\n", "", gs.rank, (long long)c.boxes, (long long)c.paths,
            (long long)c.texts, (long long)c.vertices, (long long)c.cells);
  WriteH();
  if (!st->omt) {
    FILE* f = TlcWriter.file;
    if (f) {
      int bad = fprintf(f, st->old ? "=L\n%d\n" : "<L>\n%d\n", st->nLayers) < 0;
      for (int i = 0; i < st->nLayers; ++i)
        if (fprintf(f, "GDS%d %d\n", st->layers[i], st->layers[i]) < 0) bad = 1;
      if (!st->old && fprintf(f, "</L>\n") < 0) bad = 1;
      if (bad) TlcWriter.failed = 1;
    }
  }
  st->cellOpen = 0;
  if (!TlcWriteClose()) return GdsFail(st, "Unable to Write TLC File ... Can't Continue");
  ++st->files;
  Resolution(st);
  GdsProgress(st);
  Limits(st);
  st->cur = 0;
  return st->abort ? 0 : 1;
}

// The current record's string up to its first null, as the listing shows
// it (str holds GDSIN_STRLEN + 1 bytes).
static void RecordText(const GdsInState* st, char* str) {
  int n = st->rl - 4 > GDSIN_STRLEN ? GDSIN_STRLEN : st->rl - 4;
  int len = 0;
  while (len < n && st->data[len]) ++len;
  memcpy(str, st->data, (size_t)len);
  str[len] = 0;
}

void GdsListRecord(GdsInState* st) {
  if (!st->listing) return;
  Lst(st, "  %02X  %02X  %02X    ", st->rl, st->rt, st->dt);
  char str[GDSIN_STRLEN + 1];
  int clamped = 0;
  const GdsRecordRule* rule = GdsRecordRuleOf(st->rt);
  switch (st->rt) {
    case GR_BGNLIB:
      Lst(st, "BGNLIB ");
      for (int k = 0; k < 12; ++k) Lst(st, "%d ", GdsReadInt2(st, k));
      Lst(st, "\n");
      return;
    case GR_UNITS:
      Lst(st, "UNITS %g %g\n", GdsReal8At(st, 0), GdsReal8At(st, 1));
      return;
    case GR_LAYER:
    case GR_DATATYPE:
    case GR_TEXTTYPE:
    case GR_PATHTYPE:
      Lst(st, "%s %d\n", rule->name, GdsReadInt2(st, 0));
      return;
    default:
      break;
  }
  switch (st->rt) {
    case 0x22:
    case 0x2A:
    case 0x2B:
    case 0x2E:
    case 0x39:
    case 0x3B:
      Lst(st, "*%s %d\n", rule->name, GdsReadInt2(st, 0));
      return;
    case 0x26:
      Lst(st, "*EFLAGS %02X\n", GdsReadInt2(st, 0));
      return;
    case 0x2F:
      Lst(st, "*PLEX %d\n", GdsReadInt4Raw(st, 0));
      return;
    case GR_WIDTH:
    case GR_BGNEXTN:
    case GR_ENDEXTN: {
      int32_t v = GdsCoord(st, GdsReadInt4Raw(st, 0), &clamped);
      Lst(st, "%s %d\n", rule->name, st->rt == GR_WIDTH && v < 0 ? -v : v);
      return;
    }
    case GR_XY: {
      int n = (st->rl - 4) / 8;
      for (int i = 0; i < n; ++i)
        Lst(st, i == 0 ? "%2s%8d%8d\n" : "%18s%8d%8d\n", i == 0 ? "XY" : "",
            GdsCoord(st, GdsReadInt4Raw(st, 2 * i), &clamped), GdsCoord(st, GdsReadInt4Raw(st, 2 * i + 1), &clamped));
      if (n == 0) Lst(st, "XY\n");
      return;
    }
    case GR_COLROW:
      Lst(st, "COLROW %d %d\n", GdsReadInt2(st, 0), GdsReadInt2(st, 1));
      return;
    case GR_PRESENTATION: {
      int v = GdsReadInt2(st, 0);
      Lst(st, "PRESENTATION %02X font=%d vert=%d horz=%d\n", v, (v >> 4) & 3, (v >> 2) & 3, v & 3);
      return;
    }
    case GR_STRANS: {
      int v = GdsReadInt2(st, 0);
      Lst(st, "STRANS %02X ref=%d absmag=%d absang=%d\n", v, (v >> 15) & 1, (v >> 2) & 1, (v >> 1) & 1);
      return;
    }
    case GR_MAG:
    case GR_ANGLE:
      Lst(st, "%s %g\n", rule->name, GdsReal8At(st, 0));
      return;
    case GR_NODE:
      Lst(st, "*NODE\n");
      return;
    case 0x38:
      Lst(st, "*ENDMASKS\n");
      return;
    case GR_LIBNAME:
    case GR_STRNAME:
    case GR_STRING:
    case 0x3A: {
      RecordText(st, str);
      Lst(st, "%s %s%s\n", rule->name, str, Nul(str));
      return;
    }
    case GR_SNAME: {
      RecordText(st, str);
      Lst(st, "SNAM %s%s\n", str, Nul(str));
      return;
    }
    case 0x1F:
    case 0x20:
    case 0x23:
    case 0x2C:
    case 0x37: {
      RecordText(st, str);
      Lst(st, "*%s %s%s\n", rule->name, str, Nul(str));
      return;
    }
    default:
      if (rule->name)
        Lst(st, "%s\n", rule->name);
      else
        Lst(st, "??? Unknown Record Type %02X ... Check a GDSII Format Reference\n", st->rt);
      return;
  }
}

int GdsConvertPass(GdsInState* st) {
  GdsSourceRewind(&st->src);
  st->firstHeader = 1;
  st->passEnded = 0;
  st->omitted = 0;
  st->cellOpen = 0;
  st->div = st->cap;
  GdsElementReset(st);
  while (GdsReadHeader(st)) {
    if (!ConvRecord(st)) break;
    GdsPoll(st, 0);
    if (st->abort) break;
  }
  if (st->cellOpen) {
    // A cell cut short must not pass for a whole one.
    TlcAbandon();
    st->cellOpen = 0;
  }
  return st->passEnded && !st->abort;
}
