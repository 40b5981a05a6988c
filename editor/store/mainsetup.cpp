#include "mainsetup.h"

#include "host.h"
#include "version.h"

#include <cctype>
#include <cstddef>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
MainSetupState MainSetupDefaults();
}

// Holds the defaults from the start, before any reset.
MainSetupState MainSetup = MainSetupDefaults();

const char* const MainSetupFileName = "QUIL7.USF";
const char* const MainSetupOldFileName = "QUIL6.USF";

namespace {

const char kVersionLine[] = "version=" QUIL_VERSION;
const char kScratchName[] = "QUIL7.US$";

// Bounds of a setting: a value outside them is not taken and the setting
// keeps what it held. Without bounds any 32-bit value is taken.
const int32_t kAny = 0;

struct IntKey {
  const char* key;
  int32_t MainSetupState::*field;
  int32_t def;
  int32_t lo, hi;  // lo == hi == kAny: unbounded
};


// Read and written in this order. Bounds guard the settings that later code
// divides by or uses as an index or a layer number.
const IntKey kIntKeys[] = {
    {"alphasort=", &MainSetupState::alphasort, 1, kAny, kAny},
    {"bplayer=", &MainSetupState::bplayer, 1, 1, 256},
    {"clayer=", &MainSetupState::clayer, 1, 1, 256},
    {"csize=", &MainSetupState::csize, 15, kAny, kAny},
    {"cwidth=", &MainSetupState::cwidth, 0, kAny, kAny},
    {"topdepth=", &MainSetupState::topdepth, 0, 0, 24},
    {"botdepth=", &MainSetupState::botdepth, 24, 0, 24},
    {"lasttopdepth=", &MainSetupState::lasttopdepth, 0, 0, 24},
    {"lastbotdepth=", &MainSetupState::lastbotdepth, 24, 0, 24},
    {"smallcelloutl=", &MainSetupState::smallcelloutl, 2, kAny, kAny},
    {"drawres=", &MainSetupState::drawres, 1000, 1, INT32_MAX},
    {"celldrawres=", &MainSetupState::celldrawres, 200, 1, INT32_MAX},
    {"notips=", &MainSetupState::notips, 0, kAny, kAny},
    {"nrset=", &MainSetupState::nrset, 1, kAny, kAny},
    {"arcsegs=", &MainSetupState::arcsegs, 16, 1, INT32_MAX},
    {"prnbw=", &MainSetupState::prnbw, 1024, kAny, kAny},
    {"pwidth=", &MainSetupState::pwidth, 0, kAny, kAny},
    {"twidth=", &MainSetupState::twidth, 15, kAny, kAny},
    {"tlayer=", &MainSetupState::tlayer, 1, 1, 256},
    {"polytobox=", &MainSetupState::polytobox, 0, kAny, kAny},
    {"togs=", &MainSetupState::togs, 642, kAny, kAny},
    {"screentop=", &MainSetupState::screentop, 0, kAny, kAny},
    {"screenleft=", &MainSetupState::screenleft, 0, kAny, kAny},
    {"screenright=", &MainSetupState::screenright, 0, kAny, kAny},
    {"screenbottom=", &MainSetupState::screenbottom, 0, kAny, kAny},
    {"screenmode=", &MainSetupState::screenmode, 0, kAny, kAny},
    {"lockframe=", &MainSetupState::lockframe, 0, kAny, kAny},
    {"quilrunning=", &MainSetupState::quilrunning, 0, kAny, kAny},
    {"askonsave=", &MainSetupState::askonsave, 0, kAny, kAny},
    {"layernumonly=", &MainSetupState::layerNumOnly, 1, kAny, kAny},
    {"unduponsave=", &MainSetupState::unduponsave, 0, kAny, kAny},
    {"reversedraw=", &MainSetupState::reversedraw, 0, kAny, kAny},
    {"vplusoshow=", &MainSetupState::vplusoshow, 0, kAny, kAny},
    {"layertableon=", &MainSetupState::layertableon, 1, kAny, kAny},
    {"nosmallactive=", &MainSetupState::nosmallactive, 0, kAny, kAny},
    {"texttoolbar=", &MainSetupState::texttoolbar, 1, kAny, kAny},
    {"autoorganize=", &MainSetupState::autoorganize, 0, kAny, kAny},
    {"leftcmdmenu=", &MainSetupState::leftcmdmenu, 0, kAny, kAny},
    {"writeoldtlc=", &MainSetupState::writeoldtlc, 0, kAny, kAny},
    {"winemods=", &MainSetupState::winemods, 0, kAny, kAny},
    {"mergefills=", &MainSetupState::mergefills, 0, kAny, kAny},
    {"flashsave=", &MainSetupState::flashsave, 0, kAny, kAny},
    {"mctlayer=", &MainSetupState::mctlayer, 256, 1, 256},
    {"buildmode=", &MainSetupState::buildmode, 0, kAny, kAny},
    {"cmdstep=", &MainSetupState::cmdstep, 0, kAny, kAny},
    {"turnsegs=", &MainSetupState::turnsegs, 10, 1, INT32_MAX},
    {"arcturns=", &MainSetupState::arcturns, 0, kAny, kAny},
    {"spiraltype=", &MainSetupState::spiraltype, 0, kAny, kAny},
    {"notogdraw=", &MainSetupState::notogdraw, 0, kAny, kAny},
    {"stdmsgbox=", &MainSetupState::stdmsgbox, 1, kAny, kAny},
    {"cntrtools=", &MainSetupState::cntrtools, 0, kAny, kAny},
    {"finefill=", &MainSetupState::finefill, 0, kAny, kAny},
};
static_assert(sizeof kIntKeys / sizeof kIntKeys[0] == 52, "the integer table holds 52 keys");

// Read before the main window exists; "tooltext=" is read only here.
const IntKey kEarlyKeys[] = {
    {"screentop=", &MainSetupState::screentop, 0, kAny, kAny},
    {"screenleft=", &MainSetupState::screenleft, 0, kAny, kAny},
    {"screenbottom=", &MainSetupState::screenbottom, 0, kAny, kAny},
    {"screenright=", &MainSetupState::screenright, 0, kAny, kAny},
    {"screenmode=", &MainSetupState::screenmode, 0, kAny, kAny},
    {"tooltext=", &MainSetupState::texttoolbar, 1, kAny, kAny},
    {"lockframe=", &MainSetupState::lockframe, 0, kAny, kAny},
    {"winemods=", &MainSetupState::winemods, 0, kAny, kAny},
};

enum { POSITIVE = 1 };  // DoubleKey::check: the value must be > 0

struct DoubleKey {
  const char* key;
  double MainSetupState::*field;
  double def;
  int check;
};

const DoubleKey kDoubleKeys[] = {
    {"caval=", &MainSetupState::caval, 1, 0},
    {"cfval=", &MainSetupState::cfval, 1, 0},
    {"rval=", &MainSetupState::rval, 2500, 0},
    {"prnhshift=", &MainSetupState::prnhshift, 0, 0},
    {"prnvshift=", &MainSetupState::prnvshift, 0, 0},
    {"prnupi=", &MainSetupState::prnupi, 25400, POSITIVE},
    {"ovszdist=", &MainSetupState::ovszdist, 0, 0},
    {"reszmult=", &MainSetupState::reszmult, 1, 0},
    {"rotangle=", &MainSetupState::rotangle, 90, 0},
    // Coordinates are divided by the scale everywhere: an empty, zero or
    // negative scale would break every readout, so it is never taken.
    {"scale=", &MainSetupState::scale, 1000, POSITIVE},
    {"xarcctr=", &MainSetupState::xarcctr, 0, 0},
    {"yarcctr=", &MainSetupState::yarcctr, 0, 0},
    {"xarcradius=", &MainSetupState::xarcradius, 10, 0},
    {"yarcradius=", &MainSetupState::yarcradius, 10, 0},
    {"arcpitch=", &MainSetupState::arcpitch, 0, 0},
    {"printlimit=", &MainSetupState::printlimit, 72, 0},
    {"polarangle=", &MainSetupState::polarangle, 45, 0},
    {"aspect=", &MainSetupState::aspect, 1, POSITIVE},
};
static_assert(sizeof kDoubleKeys / sizeof kDoubleKeys[0] == 18, "the real table holds 18 keys");

struct StringKey {
  const char* key;
  size_t offset;
  size_t size;
  const char* def;
};

#define SK(key, field, def) {key, offsetof(MainSetupState, field), sizeof(MainSetupState::field), def}
const StringKey kStringKeys[] = {
    SK("arcdir=", arcdir, "cw"),       SK("capunits=", capunits, "pF"),
    SK("objname=", objname, "B"),      SK("physunit=", physunit, "um"),
    SK("common=", common, ""),         SK("tffname=", tffname, ""),
    SK("cellname=", cellname, ""),
};
#undef SK
static_assert(sizeof kStringKeys / sizeof kStringKeys[0] == 7, "the text table holds 7 keys");

char* StringField(MainSetupState* s, const StringKey& k) {
  return reinterpret_cast<char*>(s) + k.offset;
}

// Colour cycle of the layer-table entries and the palette the display uses.
const int kColourCycle[13] = {12, 16, 14, 17, 10, 18, 11, 19, 9, 21, 13, 20, 7};
const uint8_t kPalette[PALETTE_SIZE][3] = {
    {0, 0, 0},     {0, 0, 192},   {0, 192, 0},   {0, 192, 192}, {192, 0, 0},   {192, 0, 192},
    {192, 128, 0}, {192, 192, 192}, {127, 127, 127}, {32, 32, 255}, {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255}, {255, 160, 0}, {160, 255, 0},
    {0, 255, 160}, {0, 160, 255}, {255, 0, 160}, {160, 0, 255}};

// A character the readers keep at the end of a line.
bool Printable(unsigned char c) { return c >= '!' && c <= '~'; }

void TrimRight(char* s) {
  size_t n = strlen(s);
  while (n > 0 && !Printable(static_cast<unsigned char>(s[n - 1]))) s[--n] = '\0';
}

// Copies a value into a field of size bytes, cut to the field; a cut value
// is trimmed again so that what is written reads back the same.
void CopyField(char* dst, size_t size, const char* src) {
  size_t n = strlen(src);
  if (n > size - 1) n = size - 1;
  memcpy(dst, src, n);
  dst[n] = '\0';
  TrimRight(dst);
}

// Decimal integer as atoi reads it (leading white space, sign, digits; no
// digits gives 0), saturating instead of overflowing.
int64_t DecimalValue(const char* s) {
  while (*s == ' ' || *s == '\t' || *s == '\n' || *s == '\v' || *s == '\f' || *s == '\r') ++s;
  int neg = 0;
  if (*s == '+' || *s == '-') neg = (*s++ == '-');
  int64_t v = 0;
  const int64_t cap = int64_t(1) << 40;
  while (*s >= '0' && *s <= '9') {
    if (v < cap) v = v * 10 + (*s - '0');
    ++s;
  }
  return neg ? -v : v;
}

double RealValue(const char* s) {
  double v = strtod(s, nullptr);
  return v;
}

// Applies an integer key's value; returns 1 (the line is always taken).
void SetInt(MainSetupState* st, const IntKey& k, const char* value) {
  int64_t v = DecimalValue(value);
  if (v < INT32_MIN || v > INT32_MAX) return;
  if (!(k.lo == kAny && k.hi == kAny) && (v < k.lo || v > k.hi)) return;
  st->*(k.field) = static_cast<int32_t>(v);
}

void SetDouble(MainSetupState* st, const DoubleKey& k, const char* value) {
  double v = RealValue(value);
  if (!std::isfinite(v)) return;
  if (k.check == POSITIVE && !(v > 0)) return;
  st->*(k.field) = v;
}

// The drive letter and the first character after every backslash upper
// case, a backslash after a bare "X:".
void PathTidy(char* dst, size_t size, const char* src) {
  char tmp[SETUP_LINE_SIZE + 2];
  size_t o = 0;
  size_t i = 0;
  if (isalpha(static_cast<unsigned char>(src[0])) && src[1] == ':') {
    tmp[o++] = static_cast<char>(toupper(static_cast<unsigned char>(src[0])));
    tmp[o++] = ':';
    i = 2;
    if (src[2] != '\\') tmp[o++] = '\\';
  }
  for (; src[i] && o < sizeof tmp - 1; ++i) tmp[o++] = src[i];
  tmp[o] = '\0';
  for (size_t j = 0; j + 1 < o; ++j)
    if (tmp[j] == '\\') tmp[j + 1] = static_cast<char>(toupper(static_cast<unsigned char>(tmp[j + 1])));
  CopyField(dst, size, tmp);
}

void ReadLayer(MainSetupState* st, const char* value) {
  if (st->layerCount >= LAYER_MAX) return;
  const char* p = value;
  while (*p == ' ') ++p;
  const char* name = p;
  while (*p && *p != ' ') ++p;
  size_t nameLen = static_cast<size_t>(p - name);
  while (*p == ' ') ++p;
  int64_t number = *p ? DecimalValue(p) : 0;
  // A number outside 0..256 takes no slot: the next layer line takes it.
  if (number < 0 || number > LAYER_MAX) return;
  LayerEntry& e = st->layers[st->layerCount++];
  if (nameLen == 0) {
    snprintf(e.name, sizeof e.name, "NONE");
  } else {
    if (nameLen > LAYER_NAME_KEPT) nameLen = LAYER_NAME_KEPT;
    memcpy(e.name, name, nameLen);
    e.name[nameLen] = '\0';
  }
  e.number = static_cast<int>(number);
  e.flags = 0;
}

void ReadRes(MainSetupState* st, const char* value) {
  if (st->resCount >= RES_MAX) return;
  SheetRes& r = st->res[st->resCount++];
  double* nums[4] = {&r.sheet, &r.endCorr, &r.cornerCorr, &r.width};
  const char* p = value;
  char token[SETUP_LINE_SIZE];
  for (int t = 0; t < 5; ++t) {
    while (*p == ' ' || *p == ',') ++p;
    size_t n = 0;
    while (*p && *p != ' ' && *p != ',') {
      if (n < sizeof token - 1) token[n++] = *p;
      ++p;
    }
    token[n] = '\0';
    if (t < 4) {
      double v = n ? RealValue(token) : 0;
      *nums[t] = std::isfinite(v) ? v : 0;
    } else {
      CopyField(r.comment, sizeof r.comment, token);
    }
  }
}

void ReadAttr(MainSetupState* st, int layer, const char* value) {
  LayerAttr& a = st->attr[layer - 1];
  int64_t v[3] = {7, 0, 0};
  const char* p = value;
  for (int t = 0; t < 3; ++t) {
    while (*p == ' ') ++p;
    if (!*p) break;
    v[t] = DecimalValue(p);
    while (*p && *p != ' ') ++p;
  }
  // The colour indexes the palette and the fill the pattern brushes.
  a.colour = (v[0] >= 0 && v[0] < PALETTE_SIZE) ? static_cast<int32_t>(v[0]) : 7;
  a.fill = (v[1] >= 0 && v[1] <= 14) ? static_cast<int32_t>(v[1]) : 0;
  a.dash = (v[2] >= INT32_MIN && v[2] <= INT32_MAX) ? static_cast<int32_t>(v[2]) : 0;
}

void ReadRgb(SetupRgb* c, const char* value) {
  int64_t v = DecimalValue(value);
  uint32_t u = static_cast<uint32_t>(static_cast<uint64_t>(v));
  c->r = u & 0xFF;
  c->g = (u >> 8) & 0xFF;
  c->b = (u >> 16) & 0xFF;
}

uint64_t Unsigned64(const char* s) {
  while (*s == ' ') ++s;
  uint64_t v = 0;
  while (*s >= '0' && *s <= '9') {
    unsigned d = static_cast<unsigned>(*s - '0');
    if (v > (UINT64_MAX - d) / 10) return UINT64_MAX;
    v = v * 10 + d;
    ++s;
  }
  return v;
}

// Splits a numbered key "name<a>=" or "name<a>_<b>=" (lower case, numbers
// written without leading zeros, as the writer writes them). Returns 0 when
// the key has another shape.
int SplitNumbered(const char* key, char* name, size_t nameSize, int* a, int* b) {
  size_t n = 0;
  while (key[n] >= 'a' && key[n] <= 'z') ++n;
  if (n == 0 || n >= nameSize) return 0;
  memcpy(name, key, n);
  name[n] = '\0';
  const char* p = key + n;
  int* out[2] = {a, b};
  *b = -1;
  for (int part = 0; part < 2; ++part) {
    if (!(*p >= '0' && *p <= '9')) return 0;
    if (*p == '0' && p[1] >= '0' && p[1] <= '9') return 0;
    int v = 0, digits = 0;
    while (*p >= '0' && *p <= '9') {
      if (++digits > 4) return 0;
      v = v * 10 + (*p++ - '0');
    }
    *out[part] = v;
    if (*p == '_' && part == 0) {
      ++p;
      continue;
    }
    break;
  }
  return (p[0] == '=' && p[1] == '\0') ? 1 : 0;
}

int ReadNumbered(MainSetupState* st, const char* key, const char* value) {
  char name[16];
  int a, b;
  if (!SplitNumbered(key, name, sizeof name, &a, &b)) return 0;
  if (b >= 0) {
    // "vmap%d_%d=" and "omap%d_%d=": word, then rank.
    if (a > 3 || b < 1 || b > RANK_MAX) return 0;
    if (!strcmp(name, "vmap")) st->vmap[b][a] = Unsigned64(value);
    else if (!strcmp(name, "omap")) st->omap[b][a] = Unsigned64(value);
    else return 0;
    return 1;
  }
  auto in = [a](int lo, int hi) { return a >= lo && a <= hi; };
  auto setInt = [&](int32_t* f) {
    int64_t v = DecimalValue(value);
    if (v >= INT32_MIN && v <= INT32_MAX) *f = static_cast<int32_t>(v);
  };
  auto setReal = [&](double* f) {
    double v = RealValue(value);
    if (std::isfinite(v)) *f = v;
  };
  if (!strcmp(name, "attr") && in(1, LAYER_MAX)) ReadAttr(st, a, value);
  else if (!strcmp(name, "wgrid") && in(1, GRID_PRESETS)) setInt(&st->wgrid[a - 1]);
  else if (!strcmp(name, "dgrid") && in(1, GRID_PRESETS)) setInt(&st->dgrid[a - 1]);
  else if (!strcmp(name, "nwgrid") && in(1, RANK_MAX)) {
    // An index into the eleven working grids.
    int64_t v = DecimalValue(value);
    if (v >= 0 && v <= GRID_PRESETS) st->rankView[a].nwgrid = static_cast<int32_t>(v);
  } else if (!strcmp(name, "ndgrid") && in(1, RANK_MAX)) {
    int64_t v = DecimalValue(value);
    if (v >= 0 && v <= GRID_PRESETS) st->rankView[a].ndgrid = static_cast<int32_t>(v);
  } else if (!strcmp(name, "vgrid") && in(1, RANK_MAX)) setInt(&st->rankView[a].vgrid);
  else if (!strcmp(name, "winw") && in(1, RANK_MAX)) setInt(&st->rankView[a].winw);
  else if (!strcmp(name, "winx") && in(1, RANK_MAX)) setInt(&st->rankView[a].winx);
  else if (!strcmp(name, "winy") && in(1, RANK_MAX)) setInt(&st->rankView[a].winy);
  else if (!strcmp(name, "viewstr") && in(1, RANK_MAX)) CopyField(st->viewstr[a], LAYERSTR_SIZE, value);
  else if (!strcmp(name, "openstr") && in(1, RANK_MAX)) CopyField(st->openstr[a], LAYERSTR_SIZE, value);
  else if (!strcmp(name, "savewinw") && in(1, SAVEWIN_MAX - 1)) setReal(&st->saveWin[a].w);
  else if (!strcmp(name, "savewinx") && in(1, SAVEWIN_MAX - 1)) setReal(&st->saveWin[a].x);
  else if (!strcmp(name, "savewiny") && in(1, SAVEWIN_MAX - 1)) setReal(&st->saveWin[a].y);
  else if (!strcmp(name, "cmdline") && in(0, CMDLINE_MAX - 1)) CopyField(st->cmdline[a], CMDLINE_SIZE, value);
  else if (!strcmp(name, "scriptfile") && in(0, SCRIPTFILE_MAX - 1))
    CopyField(st->scriptfile[a], SETUP_PATH_SIZE, value);
  else if (!strcmp(name, "scnrgb") && in(0, PALETTE_SIZE - 1)) ReadRgb(&st->scnrgb[a], value);
  else if (!strcmp(name, "prnrgb") && in(0, PALETTE_SIZE - 1)) ReadRgb(&st->prnrgb[a], value);
  else if (!strcmp(name, "rdp") && in(0, RECENT_MAX - 1)) CopyField(st->rdp[a], SETUP_PATH_SIZE, value);
  else if (!strcmp(name, "rdf") && in(0, RECENT_MAX - 1)) CopyField(st->rdf[a], SETUP_PATH_SIZE, value);
  else return 0;
  return 1;
}

// Splits a tidied line into its lower-case key (up to and with the first
// '=') and the value after it. Every key of the file is a run of characters
// ending in its only '=', so a line begins with a key (compared without
// regard to case) exactly when its part up to the first '=' equals the key.
int SplitLine(const char* line, char* key, size_t keySize, const char** value) {
  const char* eq = strchr(line, '=');
  if (!eq) return 0;
  size_t n = static_cast<size_t>(eq - line) + 1;
  if (n >= keySize) return 0;
  for (size_t i = 0; i < n; ++i) key[i] = static_cast<char>(tolower(static_cast<unsigned char>(line[i])));
  key[n] = '\0';
  *value = eq + 1;
  return 1;
}

int OfferLine(MainSetupState* st, char* line) {
  TrimRight(line);
  if (!*line) return 0;
  char key[32];
  const char* value;
  if (!SplitLine(line, key, sizeof key, &value)) return 0;
  if (!strcmp(key, "layer=")) {
    ReadLayer(st, value);
    return 1;
  }
  if (!strcmp(key, "fkey=")) {
    if (st->fkeyCount < FKEY_MAX) CopyField(st->fkeys[st->fkeyCount++], CMDLINE_SIZE, value);
    return 1;
  }
  if (!strcmp(key, "font=")) {
    if (st->fontCount < FONT_MAX) PathTidy(st->fonts[st->fontCount++], FONT_PATH_SIZE, value);
    return 1;
  }
  if (!strcmp(key, "res=")) {
    ReadRes(st, value);
    return 1;
  }
  for (const IntKey& k : kIntKeys)
    if (!strcmp(key, k.key)) {
      SetInt(st, k, value);
      return 1;
    }
  for (const DoubleKey& k : kDoubleKeys)
    if (!strcmp(key, k.key)) {
      SetDouble(st, k, value);
      return 1;
    }
  for (const StringKey& k : kStringKeys)
    if (!strcmp(key, k.key)) {
      CopyField(StringField(st, k), k.size, value);
      return 1;
    }
  return ReadNumbered(st, key, value);
}

// Reads lines of at most SETUP_LINE_SIZE - 1 characters; a longer line is
// read in pieces, each a line of its own.
template <typename F>
void EachLine(FILE* f, F use) {
  char line[SETUP_LINE_SIZE];
  while (fgets(line, sizeof line, f)) {
    line[strcspn(line, "\n")] = '\0';
    use(line);
  }
}

FILE* OpenSetup(const char** used) {
  FILE* f = fopen(MainSetupFileName, "r");
  *used = MainSetupFileName;
  if (!f) {
    f = fopen(MainSetupOldFileName, "r");
    *used = MainSetupOldFileName;
  }
  return f;
}

void ResetReadCounts(MainSetupState* st) {
  st->layerCount = 0;
  st->fkeyCount = 0;
  st->resCount = 0;
  st->fontCount = FONT_OWN;
}

MainSetupState MainSetupDefaults() {
  MainSetupState s = {};
  for (const IntKey& k : kIntKeys) s.*(k.field) = k.def;
  for (const DoubleKey& k : kDoubleKeys) s.*(k.field) = k.def;
  for (const StringKey& k : kStringKeys) snprintf(StringField(&s, k), k.size, "%s", k.def);
  for (int i = 0; i < LAYER_MAX; ++i) {
    snprintf(s.layers[i].name, sizeof s.layers[i].name, "NONE");
    s.attr[i].colour = kColourCycle[i % 13];
  }
  s.fontCount = FONT_OWN;
  for (int r = 0; r <= RANK_MAX; ++r) {
    s.rankView[r].nwgrid = 1;
    s.rankView[r].ndgrid = 1;
    s.rankView[r].winw = 10000;
    // Layers 1-64 viewed and open.
    s.vmap[r][0] = ~uint64_t(0);
    s.omap[r][0] = ~uint64_t(0);
    snprintf(s.viewstr[r], LAYERSTR_SIZE, "1-64");
    snprintf(s.openstr[r], LAYERSTR_SIZE, "1-64");
  }
  for (int i = 0; i < SAVEWIN_MAX; ++i) s.saveWin[i].w = 10000.0;
  for (int i = 0; i < PALETTE_SIZE; ++i) {
    s.scnrgb[i] = {kPalette[i][0], kPalette[i][1], kPalette[i][2], 0};
    s.prnrgb[i] = s.scnrgb[i];
  }
  s.prnrgb[9] = {0, 0, 255, 0};
  return s;
}

}  // namespace

void MainSetupReset() { MainSetup = MainSetupDefaults(); }

void MainSetupFontsDefault(const char* programFolder, int wineMode) {
  char folder[SETUP_PATH_SIZE];
  const char* src = programFolder ? programFolder : "";
  if (wineMode) {
    const char* bs = strchr(src, '\\');
    if (bs) src = bs;
  }
  snprintf(folder, sizeof folder, "%s", src);
  if (wineMode)
    for (char* p = folder; *p; ++p)
      if (*p == '\\') *p = '/';
  for (int i = 0; i < FONT_OWN; ++i) {
    char path[SETUP_PATH_SIZE + 16];
    snprintf(path, sizeof path, "%sFont%d.tff", folder, i + 1);
    CopyField(MainSetup.fonts[i], FONT_PATH_SIZE, path);
  }
  CopyField(MainSetup.tffname, sizeof MainSetup.tffname, MainSetup.fonts[0]);
}

int MainSetupLine(char* line) { return OfferLine(&MainSetup, line); }

void MainSetupReadStream(FILE* f) {
  ResetReadCounts(&MainSetup);
  EachLine(f, [](char* line) { OfferLine(&MainSetup, line); });
}

void MainSetupReadEarlyStream(FILE* f) {
  EachLine(f, [](char* line) {
    TrimRight(line);
    char key[32];
    const char* value;
    if (!*line || !SplitLine(line, key, sizeof key, &value)) return;
    for (const IntKey& k : kEarlyKeys)
      if (!strcmp(key, k.key)) {
        SetInt(&MainSetup, k, value);
        return;
      }
  });
}

int MainSetupReadEarly() {
  const char* used;
  FILE* f = OpenSetup(&used);
  if (!f) return 0;
  MainSetupReadEarlyStream(f);
  fclose(f);
  return 1;
}

int MainSetupRead() {
  ResetReadCounts(&MainSetup);
  const char* used;
  FILE* f = OpenSetup(&used);
  if (!f) return 0;
  MainSetupReadStream(f);
  fclose(f);
  // A drawing that names no font file (a copied or hand-made setup file)
  // uses the first of the program's own fonts rather than no file at all.
  if (!MainSetup.tffname[0]) CopyField(MainSetup.tffname, sizeof MainSetup.tffname, MainSetup.fonts[0]);
  return 1;
}

int MainSetupWriteStream(FILE* f) {
  const MainSetupState& s = MainSetup;
  fprintf(f, "%s\n", kVersionLine);
  for (int i = 0; i < s.layerCount && i < LAYER_MAX; ++i)
    fprintf(f, "layer=%s %d\n", s.layers[i].name, s.layers[i].number & 0x1FF);
  for (int i = FONT_OWN; i < s.fontCount && i < FONT_MAX; ++i) fprintf(f, "font=%s\n", s.fonts[i]);
  for (int i = 0; i < s.resCount && i < RES_MAX; ++i)
    fprintf(f, "res=%g %g %g %g %s\n", s.res[i].sheet, s.res[i].endCorr, s.res[i].cornerCorr,
            s.res[i].width, s.res[i].comment);
  for (int i = 0; i < s.fkeyCount && i < FKEY_MAX; ++i) fprintf(f, "fkey=%s\n", s.fkeys[i]);
  for (const IntKey& k : kIntKeys) {
    int32_t v = s.*(k.field);
    // The polar cursor is never carried over to the next session.
    if (k.field == &MainSetupState::togs) v &= ~0x40;
    fprintf(f, "%s%d\n", k.key, v);
  }
  for (const DoubleKey& k : kDoubleKeys) fprintf(f, "%s%.*g\n", k.key, 9, s.*(k.field));
  for (const StringKey& k : kStringKeys)
    fprintf(f, "%s%s\n", k.key, reinterpret_cast<const char*>(&s) + k.offset);
  for (int n = 1; n <= LAYER_MAX; ++n)
    fprintf(f, "attr%d=%d %d %d\n", n, s.attr[n - 1].colour, s.attr[n - 1].fill, s.attr[n - 1].dash);
  for (int i = 1; i <= GRID_PRESETS; ++i) fprintf(f, "wgrid%d=%d\n", i, s.wgrid[i - 1]);
  for (int i = 1; i <= GRID_PRESETS; ++i) fprintf(f, "dgrid%d=%d\n", i, s.dgrid[i - 1]);
  for (int r = 1; r <= RANK_MAX; ++r) {
    const RankView& v = s.rankView[r];
    fprintf(f, "nwgrid%d=%d\nndgrid%d=%d\nvgrid%d=%d\nwinw%d=%d\nwinx%d=%d\nwiny%d=%d\n", r, v.nwgrid, r,
            v.ndgrid, r, v.vgrid, r, v.winw, r, v.winx, r, v.winy);
  }
  for (int r = 1; r <= RANK_MAX; ++r) fprintf(f, "viewstr%d=%s\nopenstr%d=%s\n", r, s.viewstr[r], r, s.openstr[r]);
  for (int i = 0; i < SAVEWIN_MAX; ++i)
    fprintf(f, "savewinw%d=%.*g\nsavewinx%d=%.*g\nsavewiny%d=%.*g\n", i, 9, s.saveWin[i].w, i, 9, s.saveWin[i].x,
            i, 9, s.saveWin[i].y);
  for (int r = 1; r <= RANK_MAX; ++r) {
    for (int w = 0; w < 4; ++w) fprintf(f, "vmap%d_%d=%" PRIu64 "\n", w, r, s.vmap[r][w]);
    for (int w = 0; w < 4; ++w) fprintf(f, "omap%d_%d=%" PRIu64 "\n", w, r, s.omap[r][w]);
  }
  for (int i = 0; i < CMDLINE_MAX; ++i) fprintf(f, "cmdline%d=%s\n", i, s.cmdline[i]);
  for (int i = 0; i < SCRIPTFILE_MAX; ++i) fprintf(f, "scriptfile%d=%s\n", i, s.scriptfile[i]);
  for (int i = 0; i < PALETTE_SIZE; ++i)
    fprintf(f, "scnrgb%d=%u\n", i, s.scnrgb[i].r + 256u * s.scnrgb[i].g + 65536u * s.scnrgb[i].b);
  for (int i = 0; i < PALETTE_SIZE; ++i)
    fprintf(f, "prnrgb%d=%u\n", i, s.prnrgb[i].r + 256u * s.prnrgb[i].g + 65536u * s.prnrgb[i].b);
  for (int i = 0; i < RECENT_MAX; ++i) fprintf(f, "rdp%d=%s\nrdf%d=%s\n", i, s.rdp[i], i, s.rdf[i]);
  return ferror(f) ? 0 : 1;
}

int MainSetupWrite() {
  // The old file stays until the new one is complete: a full disk or a
  // failed write must not leave the drawing without its layer table.
  FILE* f = fopen(kScratchName, "w");
  if (!f) return 0;
  int ok = MainSetupWriteStream(f);
  if (fclose(f) != 0) ok = 0;
  if (ok && rename(kScratchName, MainSetupFileName) != 0) {
    // Some systems refuse to rename over an existing file.
    remove(MainSetupFileName);
    if (rename(kScratchName, MainSetupFileName) != 0) ok = 0;
  }
  if (!ok) remove(kScratchName);
  return ok;
}

int MainSetupLoad() {
  if (MainSetupRead()) return 1;
  if (!MainSetupWrite()) {
    HostError("Unable to Write QUIL7.USF File ... Unknown Reason");
    return 0;
  }
  HostMsgBox("A Default Setup File was written to the Drawing Folder", "Default Setup", HOST_CAP_OWN, HOST_OK);
  return 1;
}
