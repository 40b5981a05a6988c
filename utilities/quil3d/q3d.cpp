// The 3D view builder's settings and run. The result goes to a scratch file
// that takes the place of "<cell>_3D.tlc" only when the whole source was
// read and everything written, so a failed run leaves the old result as it
// was.
#include "q3d.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "namecheck.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "satutil.h"

const char* const StackKeys[STACK_SLOTS + 1] = {"sfn=", "stp=", "aa1=", "aa2=", "old=", "lft=", "top=",
                                                "rgt=", "bot=", nullptr};
const char* const StackDefaults[STACK_SLOTS] = {"", "10", "45", "60", "N", "0", "0", "0", "0"};

namespace {

// Degrees to radians as the settings have always been taken.
const double kDegree = 0.017453292519444445;

const int32_t kLayerMax = 256;

// Records between two looks at Esc.
const int64_t kPollEvery = 4096;

char* Slot(int i) { return UsfSlot(i); }

bool Fits32(double v) { return v >= -2147483648.0 && v <= 2147483647.0; }

bool Fits32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

void Take(StackState& st, int64_t x, int64_t y) {
  if (x > st.xMax) st.xMax = x;
  if (x < st.xMin) st.xMin = x;
  if (y > st.yMax) st.yMax = y;
  if (y < st.yMin) st.yMin = y;
}

bool AnyProjected(const StackState& st) { return st.xMax >= st.xMin && st.yMax >= st.yMin; }

// The first object left out is shown with its place; the rest are counted
// and the closing text gives the number.
void LeftOut(StackState& st, const char* what, int32_t x, int32_t y, int32_t layer) {
  if (st.leftOut++ == 0) {
    char t[SAT_TEXT_SIZE];
    double s = st.scale > 0 ? st.scale : 1.0;
    snprintf(t, sizeof t, "%s at X=%.*g Y=%.*g L=%d in %s ... Left Out", what, 9, x / s, 9, y / s, (int)layer,
             st.set.cell);
    WarningShow(t);
  }
}

int ProjectAll(StackState& st, int k) {
  for (int32_t i = 0; i < TLCp.nv; ++i)
    if (!StackProject(st, k, TLCp.x[i], TLCp.y[i], &TLCp.x[i], &TLCp.y[i])) return 0;
  return 1;
}

void Written(StackState& st) {
  st.polys++;
  st.verts += TLCp.nv;
}

int DoBox(StackState& st) {
  int k = StackLevel(st, st.box.lyr);
  if (!k) return 1;
  BoxToPoly(&st.box, &st.path);
  TLCp.lyr = st.path.lyr;
  TLCp.w = 0;
  TLCp.nv = st.path.nv;
  std::memcpy(TLCp.x, st.path.x, sizeof(int32_t) * (size_t)st.path.nv);
  std::memcpy(TLCp.y, st.path.y, sizeof(int32_t) * (size_t)st.path.nv);
  if (!ProjectAll(st, k)) return 0;
  WriteP();
  Written(st);
  return 1;
}

int DoPath(StackState& st) {
  const CnvPath& p = st.path;
  int k = StackLevel(st, p.lyr);
  if (!k) return 1;
  if (p.w != 0) {
    if (!PathToPoly(&p, &st.ring)) {
      LeftOut(st, "Wide Path Without Length", p.nv > 0 ? p.x[0] : 0, p.nv > 0 ? p.y[0] : 0, p.lyr);
      return 1;
    }
    // The outline of a long wide path can outgrow a record; a cut outline
    // would draw another shape.
    if (st.ring.n > PVSIZ) {
      LeftOut(st, "Path Outline Longer than a Record", p.x[0], p.y[0], p.lyr);
      return 1;
    }
    TLCp.nv = st.ring.n;
    std::memcpy(TLCp.x, st.ring.x, sizeof(int32_t) * (size_t)st.ring.n);
    std::memcpy(TLCp.y, st.ring.y, sizeof(int32_t) * (size_t)st.ring.n);
  } else {
    TLCp.nv = p.nv;
    std::memcpy(TLCp.x, p.x, sizeof(int32_t) * (size_t)p.nv);
    std::memcpy(TLCp.y, p.y, sizeof(int32_t) * (size_t)p.nv);
  }
  TLCp.lyr = p.lyr;
  TLCp.w = 0;
  if (!ProjectAll(st, k)) return 0;
  WriteP();
  Written(st);
  return 1;
}

int DoText(StackState& st) {
  const CnvText& t = st.text;
  int k = StackLevel(st, t.lyr);
  if (!k) return 1;
  TLCt.lyr = t.lyr;
  TLCt.size = t.size;
  TLCt.nv = t.nv;
  TLCt.o = t.o;
  snprintf(TLCt.text, sizeof TLCt.text, "%s", t.text);
  if (!StackProject(st, k, t.x, t.y, &TLCt.x, &TLCt.y)) return 0;
  WriteT();
  st.texts++;
  st.verts += TLCt.nv;
  return 1;
}

// Splits a tidied path into its name part without the extension.
void NamePart(const char* path, char* name, size_t size, int* tooLong) {
  const char* slash = std::strrchr(path, '\\');
  const char* colon = std::strchr(path, ':');
  const char* base = slash ? slash + 1 : (colon ? colon + 1 : path);
  const char* dot = std::strrchr(base, '.');
  size_t n = dot ? (size_t)(dot - base) : std::strlen(base);
  *tooLong = n >= size;
  snprintf(name, size, "%.*s", (int)n, base);
}

int Abandon(StackState& st) {
  TlcAbandon();
  TlcCloseRead(&st.in);
  st.outcome = STACK_ABORTED;
  return STACK_ABORTED;
}

}  // namespace

StackState::StackState() {
  std::memset(&in, 0, sizeof in);
  std::memset(&hdr, 0, sizeof hdr);
  std::memset(&box, 0, sizeof box);
  std::memset(&path, 0, sizeof path);
  std::memset(&text, 0, sizeof text);
  ring.n = 0;
  lists[0] = {"l", STACK_LAYERS, SAT_SLOT_SIZE, &layerText[0][0]};
  lists[1] = {nullptr, 0, 0, nullptr};
  StackExtentReset(*this);
}

SatUsfList* StackLists(StackState& st) { return st.lists; }

void StackExtentReset(StackState& st) {
  st.xMax = st.yMax = -536870912;
  st.xMin = st.yMin = 536870912;
}

int StackLevel(const StackState& st, int32_t layer) {
  if (layer <= 0) return 0;
  for (int k = 0; k < STACK_LAYERS; ++k)
    if (st.set.layers[k] == layer) return k + 1;
  return 0;
}

int StackProject(StackState& st, int k, int32_t x, int32_t y, int32_t* px, int32_t* py) {
  const StackSet& s = st.set;
  double xp = std::trunc(x * s.cosZ - y * s.sinZ);
  double yp = std::trunc((double)(k - 1) * (double)s.spacing * st.scale + (x * s.sinZ + y * s.cosZ) * s.cosX);
  if (!Fits32(xp) || !Fits32(yp)) {
    st.overflow = 1;
    return 0;
  }
  *px = (int32_t)xp;
  *py = (int32_t)yp;
  Take(st, *px, *py);
  return 1;
}

int StackReadElements(StackState& st) {
  const char* line;
  int64_t records = 0;
  while ((line = TlcNextLine(&st.in)) != nullptr) {
    int ok = 1;
    const char* bad = nullptr;
    switch (TlcLineKind(line)) {
      case TLC_HDR:
        if (!ReadH(&st.in, &st.hdr)) bad = "Header Record Read Error";
        break;
      case TLC_CELL: {
        CnvCell c;
        if (!ReadC(&st.in, &c)) bad = "Cell Record Read Error";
        break;
      }
      case TLC_BOX:
        if (!ReadB(&st.in, &st.box))
          bad = "Box Record Read Error";
        else
          ok = DoBox(st);
        break;
      case TLC_PATH:
        if (!ReadP(&st.in, &st.path))
          bad = "Path Record Read Error";
        else
          ok = DoPath(st);
        break;
      case TLC_TEXT:
        if (!ReadT(&st.in, &st.text))
          bad = "Text Record Read Error";
        else
          ok = DoText(st);
        break;
      default:
        continue;
    }
    if (bad) {
      ErrorShow(bad);
      return 0;
    }
    if (!ok) {
      ErrorShow("Projection Beyond the Drawing's 32-bit Range ... Can't Continue");
      return 0;
    }
    if (++records % kPollEvery == 0) {
      AbortPoll(0);
      if (SatFrame.abortFlag) return 0;
    }
  }
  if (st.in.src.ioError) {
    ErrorShow("TLC File Read Error");
    return 0;
  }
  return 1;
}

int StackLegend(StackState& st) {
  if (!AnyProjected(st)) {
    WarningShow("Nothing Projected on the Listed Layers ... No Legend");
    return 1;
  }
  int64_t w = (st.xMax - st.xMin) / 20;
  int64_t step = (int64_t)((double)st.set.spacing * st.scale);
  int64_t xMax = st.xMax, yMin = st.yMin;
  for (int k = 0; k < STACK_LAYERS; ++k) {
    int32_t layer = st.set.layers[k];
    if (layer == 0) continue;
    int level = StackLevel(st, layer);
    // A layer listed twice is stacked (and named) once, at its first place.
    if (level != k + 1) continue;
    int64_t X = xMax + w, Y = level * step + yMin;
    int64_t half = w / 2;
    if (!Fits32(X + w + half) || !Fits32(Y + half) || !Fits32(Y)) {
      ErrorShow("Projection Beyond the Drawing's 32-bit Range ... Can't Continue");
      st.overflow = 1;
      return 0;
    }
    TLCt.lyr = layer;
    TLCt.size = (int32_t)(w / 3);
    TLCt.o = 0;
    TLCt.x = (int32_t)X;
    TLCt.y = (int32_t)Y;
    snprintf(TLCt.text, sizeof TLCt.text, "%d", (int)layer);
    int len = (int)std::strlen(TLCt.text);
    TLCt.nv = len ? (len - 1) / 8 + 2 : 2;
    WriteT();
    st.texts++;
    st.verts += TLCt.nv;
    const int64_t px[5] = {X + w, X + w + half, X + w + half, X + w, X + w};
    const int64_t py[5] = {Y, Y, Y + half, Y + half, Y};
    TLCp.lyr = layer;
    TLCp.w = 0;
    TLCp.nv = 5;
    for (int i = 0; i < 5; ++i) {
      TLCp.x[i] = (int32_t)px[i];
      TLCp.y[i] = (int32_t)py[i];
      Take(st, px[i], py[i]);
    }
    Take(st, X, Y);
    WriteP();
    Written(st);
  }
  return 1;
}

void StackSetupApply(StackState& st, int check) {
  // 1. The cell: the name part of the file name.
  char fixed[SAT_PATH_SIZE];
  if (!PathFixTo(fixed, sizeof fixed, Slot(STACK_SFN))) fixed[0] = '\0';
  NamePart(fixed, st.set.cell, sizeof st.set.cell, &st.set.cellTooLong);
  if (check && st.set.cell[0]) FileNameCheck(st.set.cell);
  // 2. Spacing in whole physical units.
  st.set.spacing = std::atol(Slot(STACK_STP));
  // 3. The layer list: 0 or empty leaves a gap; numbers are held to the
  // layers a drawing can have, and the field shows what is used.
  for (int k = 0; k < STACK_LAYERS; ++k) {
    char* t = st.layerText[k];
    long v = std::atol(t);
    if (v < 0) {
      v = 0;
      t[0] = '\0';
    } else if (v > kLayerMax) {
      v = kLayerMax;
      snprintf(t, SAT_SLOT_SIZE, "%d", (int)kLayerMax);
    }
    st.set.layers[k] = (int32_t)v;
  }
  // 4. Angles.
  st.set.z = std::atof(Slot(STACK_AA1)) * kDegree;
  st.set.x = std::atof(Slot(STACK_AA2)) * kDegree;
  st.set.sinZ = std::sin(st.set.z);
  st.set.cosZ = std::cos(st.set.z);
  st.set.cosX = std::cos(st.set.x);
  // 5. Record form.
  st.set.old = UsfFlag(STACK_OLD);
  // 6. The window stays on the screen.
  SatRectFit(STACK_LFT, STACK_TOP, STACK_RGT, STACK_BOT);
}

int StackRun(StackState& st) {
  st.outcome = STACK_ABORTED;
  st.polys = st.texts = st.verts = st.leftOut = 0;
  st.overflow = 0;
  st.result[0] = '\0';
  SatFrame.abortFlag = 0;
  StackExtentReset(st);
  const char* cell = st.set.cell;
  // 1. The names: the result's must still be a cell name.
  if (st.set.cellTooLong || std::strlen(cell) + STACK_SUFFIX > NAMLEN) {
    char t[SAT_TEXT_SIZE];
    snprintf(t, sizeof t, "Result Name %.40s_3D Longer than %d Characters ... Can't Continue", cell, (int)NAMLEN);
    ErrorShow(t);
    return STACK_ABORTED;
  }
  snprintf(st.result, sizeof st.result, "%.*s_3D", (int)(NAMLEN - STACK_SUFFIX), cell);
  char name[SAT_PATH_SIZE];
  snprintf(name, sizeof name, "%s.tlc", cell);
  TlcCloseRead(&st.in);
  if (!cell[0] || !SatHostPathTo(st.in.path, sizeof st.in.path, name)) {
    ErrorShow("TLC File is Missing");
    return STACK_ABORTED;
  }
  TlcRewind(&st.in);
  if (!st.in.open) {
    ErrorShow("TLC File is Missing");
    return STACK_ABORTED;
  }
  TlcWriter.hold = 1;
  WriteOldTlc = st.set.old;
  if (!TlcOutputSet("") || !SatTlcCreate(st.result)) {
    ErrorShow("Can't Open Output TLC File");
    return Abandon(st);
  }
  // 2. The header: its scale lifts the levels.
  int h = TlcFindHeader(&st.in, &st.hdr);
  if (h != 1) {
    if (h < 0) ErrorShow("Header Record Read Error");
    ErrorShow("TLC Header Missing");
    return Abandon(st);
  }
  st.scale = st.hdr.scale;
  // 3. The elements.
  TlcRewind(&st.in);
  if (!StackReadElements(st) || SatFrame.abortFlag) return Abandon(st);
  TlcCloseRead(&st.in);
  // 4. Legend and header.
  if (!StackLegend(st)) return Abandon(st);
  std::memset(&TLCh, 0, sizeof TLCh);
  snprintf(TLCh.name, sizeof TLCh.name, "%s", st.result);
  for (char* p = TLCh.name; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
  TLCh.scale = st.hdr.scale;
  snprintf(TLCh.unit, sizeof TLCh.unit, "%s", st.hdr.unit);
  char date[9], timeText[9];
  SatDateTime(date, timeText);
  snprintf(TLCh.date, sizeof TLCh.date, "%s", date);
  snprintf(TLCh.time, sizeof TLCh.time, "%s", timeText);
  TLCh.rank = 1;
  if (AnyProjected(st)) {
    TLCh.l = (int32_t)st.xMin;
    TLCh.b = (int32_t)st.yMin;
    TLCh.r = (int32_t)st.xMax;
    TLCh.t = (int32_t)st.yMax;
  }
  TLCh.nb = 0;
  TLCh.np = (int32_t)(st.polys + st.texts);
  TLCh.nv = (int32_t)st.verts;
  TLCh.nc = 0;
  WriteH();
  if (!TlcWriteClose() || !TlcSettle(st.result, 1)) {
    ErrorShow("Can't Write Output TLC File ... Old Cell Kept");
    st.outcome = STACK_ABORTED;
    return STACK_ABORTED;
  }
  st.outcome = st.leftOut ? STACK_PARTIAL : STACK_CREATED;
  return st.outcome;
}

void StackResultText(const StackState& st, char* out, size_t size) {
  if (st.outcome == STACK_CREATED)
    snprintf(out, size, "%s_3D.tlc Created\n\nUse Import to Register Cell in Drawing", st.set.cell);
  else if (st.outcome == STACK_PARTIAL)
    snprintf(out, size,
             "%s_3D.tlc Created with %lld Objects Left Out ... See the Warning\n\nUse Import to Register Cell in "
             "Drawing",
             st.set.cell, (long long)st.leftOut);
  else
    snprintf(out, size, "Aborted ... Files may be Incomplete");
}
