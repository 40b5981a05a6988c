#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "host.h"
#include "plot.h"
#include "satlib.h"
#include "satutil.h"

namespace {

// Plotter units per physical unit at plot scale 1: 1016 of them make an
// inch, so a micrometre is 0.04 of them and a mil 1.016.
int UnitFactor(const char* unit, double* factor) {
  if (SatStricmp(unit, "um") == 0 || SatStricmp(unit, "lam") == 0) {
    *factor = 0.04;
    return 1;
  }
  if (SatStricmp(unit, "mil") == 0 || SatStricmp(unit, "mils") == 0) {
    *factor = 1.016;
    return 2;
  }
  return 0;
}

void LineType(PlotState& st) {
  if (st.out.dash)
    PlotPutF(st, "LT%d,%.1f;", st.out.lineType, st.geom.dashLen);
  else
    PlotPut(st, "LT;");
}

void FillType(PlotState& st) {
  if (st.out.solid)
    PlotPutF(st, "PT%.1f;FT2;", st.set.pts);
  else
    PlotPutF(st, "FT3,%.2f,%d;", st.geom.fillSpacing, st.out.angle);
}

}  // namespace

int ClipUnits(PlotState& st, double v) {
  const char* text = nullptr;
  if (v > PLOT_CLIP) {
    v = PLOT_CLIP;
    text = "Too Many Plotter Units for Paper Size or Origin !\n\nPlot Units were greater than 32767\n\nUnits will "
           "be clipped to 32767";
  } else if (v < -PLOT_CLIP) {
    v = -PLOT_CLIP;
    text = "Too Many Plotter Units for Paper Size or Origin !\n\nPlot Units were less than -32767\n\nUnits will "
           "be clipped to -32767";
  } else if (!std::isfinite(v)) {
    v = 0;
  }
  if (text) {
    // One box for the first clipped value; the count goes into the final text.
    st.out.clipped++;
    if (!st.out.clipWarned) {
      st.out.clipWarned = 1;
      HostMsgBox(text, "Plot Units Clipped ...", HOST_CAP_OWN, HOST_OK);
    }
  }
  return (int)std::trunc(v);
}

int PlotGeometry(PlotState& st) {
  PlotGeom& g = st.geom;
  PlotSettings& s = st.set;
  const double u = PLOT_UNITS_PER_INCH;
  st.out.clipWarned = 0;
  g.p1x = ClipUnits(st, u * s.areaL);
  g.p1y = ClipUnits(st, u * s.areaB);
  g.p2x = ClipUnits(st, u * s.areaR);
  g.p2y = ClipUnits(st, u * s.areaT);
  double wMils = (s.areaR - s.areaL) * 1000, hMils = (s.areaT - s.areaB) * 1000;
  double aspect = hMils / wMils;
  double factor = 0.04;
  int kind = UnitFactor(st.physunit, &factor);
  if (!kind) {
    HostMsgBox("Drawing Physical Units must be \"um\", \"mil\", \"mils\" or \"lam\"", "Drawing Units", HOST_CAP_OWN,
               HOST_OK);
    g.valid = 0;
    return 1;
  }
  // Both units in thousandths of an inch of paper, so the plot is to scale.
  double R = kind == 1 ? wMils * 25.4 : wMils;
  g.unit = factor;
  double psc = atof(s.v[PK_PSC]);
  if (!(psc >= 1)) {
    psc = 1;
    PlotNumText(s.v[PK_PSC], PLOT_TEXT, 1, 9);
  }
  g.plotScale = psc;
  g.wl = atof(s.v[PK_WLF]);
  g.wb = atof(s.v[PK_WBT]);
  g.wr = atof(s.v[PK_WRT]);
  g.wt = atof(s.v[PK_WTP]);
  double cx = (g.wl + g.wr) / 2, cy = (g.wb + g.wt) / 2;
  g.cxd = (int64_t)(st.scale * cx);
  g.cyd = (int64_t)(st.scale * cy);
  int iw[4] = {PlotX(st, st.scale * g.wl), PlotY(st, st.scale * g.wb), PlotX(st, st.scale * g.wr),
               PlotY(st, st.scale * g.wt)};
  if (s.rot) {
    // The quarter turn of the segments; the corners stay lower left and
    // upper right.
    g.iw[0] = -iw[3];
    g.iw[1] = iw[0];
    g.iw[2] = -iw[1];
    g.iw[3] = iw[2];
  } else {
    memcpy(g.iw, iw, sizeof iw);
  }
  int64_t dl = (int64_t)(st.scale * g.wl), db = (int64_t)(st.scale * g.wb);
  int64_t dr = (int64_t)(st.scale * g.wr), dt = (int64_t)(st.scale * g.wt);
  int null = dl == dr || db == dt;
  if (null) {
    HostMsgBox("Null Draw Window ... Window Must Have Area!", nullptr, HOST_CAP_ERROR, HOST_OK);
    HostPause(20);
  }
  g.dl = dl < dr ? dl : dr;
  g.dr = dl < dr ? dr : dl;
  g.db = db < dt ? db : dt;
  g.dt = db < dt ? dt : db;
  double sx, sy;
  if (!s.rot) {
    sx = R / std::fabs(g.wr - g.wl);
    sy = R * aspect / std::fabs(g.wt - g.wb);
  } else {
    sx = R / std::fabs(g.wt - g.wb);
    sy = R * aspect / std::fabs(g.wr - g.wl);
  }
  g.maxScale = null ? 0 : (sx < sy ? sx : sy);
  g.minSize = (int64_t)std::fabs(s.msz * st.scale);
  g.dashLen = s.dsz / std::sqrt((s.areaR - s.areaL) * (s.areaR - s.areaL) + (s.areaT - s.areaB) * (s.areaT - s.areaB)) *
              100;
  g.fillSpacing = s.fsz * u;
  g.valid = !null && st.scale > 0;
  return null ? 2 : 0;
}

int PlotX(PlotState& st, double x) {
  const PlotGeom& g = st.geom;
  double v;
  if (!st.set.lowerLeft)
    v = st.set.lam * (g.plotScale * (g.unit * ((x - (double)g.cxd) / st.scale)));
  else
    v = x * (g.unit / st.scale * g.plotScale * st.set.lam);
  return ClipUnits(st, v);
}

int PlotY(PlotState& st, double y) {
  const PlotGeom& g = st.geom;
  double v;
  if (!st.set.lowerLeft)
    v = st.set.lam * (g.plotScale * (g.unit * ((y - (double)g.cyd) / st.scale)));
  else
    v = y * (g.unit / st.scale * g.plotScale * st.set.lam);
  return ClipUnits(st, v);
}

void PlotPut(PlotState& st, const char* text) {
  if (st.out.capture) {
    st.out.capture->append(text);
    return;
  }
  if (!st.out.f || st.out.failed) return;
  if (fputs(text, st.out.f) < 0) st.out.failed = 1;
}

void PlotPutF(PlotState& st, const char* fmt, ...) {
  char text[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  PlotPut(st, text);
}

void SegmentOut(PlotState& st, int kind) {
  PlotOut& o = st.out;
  if (o.wantPen != o.pen) {
    PlotPutF(st, "SP%d;", o.wantPen);
    o.pen = o.wantPen;
  }
  double keep[4] = {o.x1, o.y1, o.x2, o.y2};
  if (st.set.rot) {
    double t = o.x1;
    o.x1 = -o.y1;
    o.y1 = t;
    t = o.x2;
    o.x2 = -o.y2;
    o.y2 = t;
  }
  double x1 = ClipUnits(st, o.x1), y1 = ClipUnits(st, o.y1);
  double x2 = ClipUnits(st, o.x2), y2 = ClipUnits(st, o.y2);
  switch (kind) {
    case SEG_LINE:
      if (x1 != o.lastX || y1 != o.lastY) PlotPut(st, "PU;");
      LineType(st);
      PlotPutF(st, "PA%.0f,%.0f;PD;PA%.0f,%.0f;", x1, y1, x2, y2);
      o.lastX = x2;
      o.lastY = y2;
      break;
    case SEG_RECT:
      if (o.fill) {
        LineType(st);
        FillType(st);
        PlotPutF(st, "PU;PA%.0f,%.0f;PD;RA%.0f,%.0f;LT;", x1, y1, x2, y2);
      }
      LineType(st);
      PlotPutF(st, "PU;PA%.0f,%.0f;PD;ER%.0f,%.0f;", x1, y1, x2 - x1, y2 - y1);
      break;
    case SEG_POLY_START:
      PlotPutF(st, "PU;PA%.0f,%.0f;PM0;PD%.0f,%.0f", x1, y1, x2, y2);
      break;
    case SEG_POLY_POINT:
      PlotPutF(st, ",%.0f,%.0f", x2, y2);
      break;
    case SEG_POLY_END:
      PlotPut(st, ";PU;PM2;");
      LineType(st);
      if (o.fill && !o.openPoly) {
        FillType(st);
        PlotPut(st, "FP;LT;");
      }
      PlotPut(st, "EP;");
      break;
    default:
      break;
  }
  o.x1 = keep[0];
  o.y1 = keep[1];
  o.x2 = keep[2];
  o.y2 = keep[3];
}

void ControlCodes(const char* text, char* out, size_t size) {
  if (!size) return;
  size_t n = 0;
  const char* p = text ? text : "";
  while (*p && n + 1 < size && n < 255) {
    if (p[0] == 'E' && p[1] == 'S' && p[2] == 'C') {
      out[n++] = 0x1B;
      p += 3;
      // The character after an escape is taken as it stands.
      if (*p && n + 1 < size && n < 255) out[n++] = *p++;
      continue;
    }
    out[n++] = *p++;
  }
  out[n] = '\0';
}

void HeaderWrite(PlotState& st) {
  char codes[PLOT_TEXT];
  if (st.set.v[PK_INI][0]) {
    ControlCodes(st.set.v[PK_INI], codes, sizeof codes);
    PlotPut(st, codes);
  }
  const PlotGeom& g = st.geom;
  PlotPutF(st, "IN;IP%d,%d,%d,%d;IW%d,%d,%d,%d;VS%.1f;SC;", g.p1x, g.p1y, g.p2x, g.p2y, g.iw[0], g.iw[1], g.iw[2],
           g.iw[3], st.set.vel);
}

void TrailerWrite(PlotState& st) {
  PlotPut(st, "PU;LT;SP0;");
  if (st.set.v[PK_FIN][0]) {
    char codes[PLOT_TEXT];
    ControlCodes(st.set.v[PK_FIN], codes, sizeof codes);
    PlotPut(st, codes);
  }
}

int PlotFileIsDrawing(const char* name) {
  if (!name) return 0;
  const char* base = name;
  for (const char* p = name; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
  const char* dot = strrchr(base, '.');
  if (dot && (SatStricmp(dot, ".tlc") == 0 || SatStricmp(dot, ".usf") == 0)) return 1;
  static const char* const kLists[] = {"QUIL7.CRF", "CELLS7.DBD", "CELLS6.DBD"};
  for (const char* l : kLists)
    if (SatStricmp(base, l) == 0) return 1;
  return 0;
}
