#include "ckt_settings.h"

#include <cctype>
#include <cmath>
#include <initializer_list>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ckt_run.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"
#include "namecheck.h"

namespace ckt {


namespace {

const char* const kMainKeys[] = {
    "cfn=", "paf=", "hfn=", "ffn=", "nnl=", "col=", "dvl=", "pml=", "hcl=", "ttl=",
    "cnl=", "cnt=", "ccl=", "cct=", "cvl=", "cva=", "tts=", "soc=", "sfc=", "sdn=",
    "wnf=", "otl=", "war=", "wav=", "wmc=", "cso=", "sch=", "ald=", "stm=", "cld=",
    "vnp=", "wr2=", "lft=", "top=", "rgt=", "bot="};
const char* const kMainDefaults[] = {
    "", "", "", "", "4", "5", "6", "7", "", "0",
    "Y", "N", "N", "N", "N", "N", "Y", "Y", "Y", "Y",
    "Y", "N", "N", "N", "N", "N", "N", "Y", "1.0", "1",
    "vn", "QuilCkt.log", "0", "0", "0", "0"};
const char* const kLvsKeys[] = {"lfn=", "sfn=", "bas=", "wc2=", "sfx="};
const char* const kLvsDefaults[] = {"?.nod", "?.nod", "?", "LvsError.log", "_SCH"};

// Keys of the generated groups, built once.
char g_keys[CKT_GROUPS][CKT_SLOTS][16];
int g_keyCount[CKT_GROUPS];
int g_keysBuilt = 0;

void BuildKeys() {
  if (g_keysBuilt) return;
  g_keysBuilt = 1;
  int n = 0;
  for (const char* k : kMainKeys) snprintf(g_keys[GRP_MAIN][n++], 16, "%s", k);
  g_keyCount[GRP_MAIN] = n;
  n = 0;
  for (const char* k : kLvsKeys) snprintf(g_keys[GRP_LVS][n++], 16, "%s", k);
  g_keyCount[GRP_LVS] = n;
  n = 0;
  for (int i = 0; i < 8; i++) snprintf(g_keys[GRP_TRACE][n++], 16, "con%d_0=", i);
  for (int i = 0; i < 8; i++) snprintf(g_keys[GRP_TRACE][n++], 16, "con%d_1=", i);
  for (int i = 0; i < 8; i++) snprintf(g_keys[GRP_TRACE][n++], 16, "ins%d=", i);
  g_keyCount[GRP_TRACE] = n;
  n = 0;
  snprintf(g_keys[GRP_CAP][n++], 16, "capu=");
  snprintf(g_keys[GRP_CAP][n++], 16, "capn=");
  for (int i = 0; i < 16; i++) snprintf(g_keys[GRP_CAP][n++], 16, "layer1_%d=", i);
  for (int i = 0; i < 16; i++) snprintf(g_keys[GRP_CAP][n++], 16, "layer2_%d=", i);
  for (int i = 0; i < 16; i++) snprintf(g_keys[GRP_CAP][n++], 16, "capa_%d=", i);
  for (int i = 0; i < 16; i++) snprintf(g_keys[GRP_CAP][n++], 16, "capf_%d=", i);
  g_keyCount[GRP_CAP] = n;
  n = 0;
  snprintf(g_keys[GRP_ANT][n++], 16, "eant=");
  snprintf(g_keys[GRP_ANT][n++], 16, "edge=");
  snprintf(g_keys[GRP_ANT][n++], 16, "antchan=");
  for (int i = 1; i <= 8; i++) snprintf(g_keys[GRP_ANT][n++], 16, "antlyr%d=", i);
  for (int i = 1; i <= 8; i++) snprintf(g_keys[GRP_ANT][n++], 16, "antthk%d=", i);
  g_keyCount[GRP_ANT] = n;
  n = 0;
  for (int i = 0; i < 32; i++) snprintf(g_keys[GRP_SMASH][n++], 16, "smsh%d=", i);
  g_keyCount[GRP_SMASH] = n;
  n = 0;
  for (int i = 0; i < 20; i++) snprintf(g_keys[GRP_OMIT][n++], 16, "omit%d=", i);
  snprintf(g_keys[GRP_OMIT][n++], 16, "cac=");
  g_keyCount[GRP_OMIT] = n;
}

char* Val(CktState& st, int g, int s) { return st.set.val[g][s]; }

void SetVal(CktState& st, int g, int s, const char* text) { snprintf(st.set.val[g][s], CKT_VALUE, "%s", text); }

void Upper(char* s) {
  for (; *s; s++) *s = (char)toupper((unsigned char)*s);
}

void TrimTail(char* s) {
  size_t n = strlen(s);
  while (n > 0 && ((unsigned char)s[n - 1] <= ' ' || (unsigned char)s[n - 1] > '~')) s[--n] = 0;
}

// Runs of at most four decimal digits; any other character separates (so
// does a fifth digit, which is dropped). At most max numbers.
int DigitRuns(const char* s, int* out, int max) {
  int n = 0;
  while (*s && n < max) {
    if (!isdigit((unsigned char)*s)) {
      s++;
      continue;
    }
    int v = 0, d = 0;
    while (isdigit((unsigned char)*s) && d < 4) v = v * 10 + (*s++ - '0'), d++;
    out[n++] = v;
    if (isdigit((unsigned char)*s)) s++;  // the separating fifth digit
  }
  return n;
}

int IntOf(const char* s) {
  long v = strtol(s, nullptr, 10);
  if (v > 1000000000L) v = 1000000000L;
  if (v < -1000000000L) v = -1000000000L;
  return (int)v;
}

void RewriteInt(CktState& st, int g, int s, int v) {
  char b[16];
  snprintf(b, sizeof b, "%d", v);
  SetVal(st, g, s, b);
}

void RewriteG8(CktState& st, int g, int s, double v) {
  char b[40];
  snprintf(b, sizeof b, "%.8g", v);
  SetVal(st, g, s, b);
}

void ApplyMain(CktState& st, int check) {
  Upper(Val(st, GRP_MAIN, S_CFN));
  if (check && Val(st, GRP_MAIN, S_CFN)[0]) {
    ::CellNameCheck(Val(st, GRP_MAIN, S_CFN), 0);
    CellCheckExists(st, Val(st, GRP_MAIN, S_CFN), 0);
  }
  for (int s : {S_PAF, S_HFN, S_FFN}) {
    if (!Val(st, GRP_MAIN, s)[0]) continue;
    SetVal(st, GRP_MAIN, s, PathFix(Val(st, GRP_MAIN, s)));
    if (check) {
      // The name part: after the last backslash or colon, before the dot.
      const char* v = Val(st, GRP_MAIN, s);
      const char* base = v;
      for (const char* p = v; *p; p++)
        if (*p == '\\' || *p == ':' || *p == '/') base = p + 1;
      char name[CKT_VALUE];
      snprintf(name, sizeof name, "%s", base);
      char* dot = strrchr(name, '.');
      if (dot) *dot = 0;
      ::FileNameCheck(name);
    }
  }
  const int textSlots[] = {S_NNL, S_COL, S_DVL, S_PML};
  const char* emptyDefaults[] = {"1", "2", "3", "4"};
  for (int i = 0; i < 4; i++) {
    if (!Val(st, GRP_MAIN, textSlots[i])[0]) SetVal(st, GRP_MAIN, textSlots[i], emptyDefaults[i]);
    RewriteInt(st, GRP_MAIN, textSlots[i], IntOf(Val(st, GRP_MAIN, textSlots[i])));
  }
  if (!Val(st, GRP_MAIN, S_TTL)[0]) SetVal(st, GRP_MAIN, S_TTL, "0");
  RewriteInt(st, GRP_MAIN, S_TTL, IntOf(Val(st, GRP_MAIN, S_TTL)));
  memset(st.set.hidden, 0, sizeof st.set.hidden);
  DigitRuns(Val(st, GRP_MAIN, S_HCL), st.set.hidden, CKT_LIST);
  for (int s = S_CNL; s <= S_ALD; s++) st.set.flag[s] = UsfFlag(st, GRP_MAIN, s);
  st.set.nnl = IntOf(Val(st, GRP_MAIN, S_NNL));
  st.set.col = IntOf(Val(st, GRP_MAIN, S_COL));
  st.set.dvl = IntOf(Val(st, GRP_MAIN, S_DVL));
  st.set.pml = IntOf(Val(st, GRP_MAIN, S_PML));
  st.set.ttl = IntOf(Val(st, GRP_MAIN, S_TTL));
  double stm = fabs(atof(Val(st, GRP_MAIN, S_STM)));
  if (!(stm > 0) || !std::isfinite(stm)) stm = 1.0;
  st.set.stm = stm;
  RewriteG8(st, GRP_MAIN, S_STM, stm);
  if (!Val(st, GRP_MAIN, S_VNP)[0]) SetVal(st, GRP_MAIN, S_VNP, "vn");
  if (!Val(st, GRP_MAIN, S_WR2)[0]) SetVal(st, GRP_MAIN, S_WR2, "QuilCkt.log");
  else SetVal(st, GRP_MAIN, S_WR2, PathFix(Val(st, GRP_MAIN, S_WR2)));
  int cld = IntOf(Val(st, GRP_MAIN, S_CLD));
  if (cld <= 1) cld = 1;
  if (cld > 23) cld = 24;
  st.set.cld = cld;
  RewriteInt(st, GRP_MAIN, S_CLD, cld);
  int l = IntOf(Val(st, GRP_MAIN, S_LFT)), t = IntOf(Val(st, GRP_MAIN, S_TOP));
  int r = IntOf(Val(st, GRP_MAIN, S_RGT)), b = IntOf(Val(st, GRP_MAIN, S_BOT));
  if (st.set.screenW > 0 && r > st.set.screenW) {
    int shift = r - st.set.screenW;
    if (shift > l) shift = l > 0 ? l : 0;
    l -= shift;
    r -= shift;
  }
  if (st.set.screenH > 0 && b > st.set.screenH) {
    int shift = b - st.set.screenH;
    if (shift > t) shift = t > 0 ? t : 0;
    t -= shift;
    b -= shift;
  }
  st.set.winLeft = l; st.set.winTop = t; st.set.winRight = r; st.set.winBottom = b;
  RewriteInt(st, GRP_MAIN, S_LFT, l); RewriteInt(st, GRP_MAIN, S_TOP, t);
  RewriteInt(st, GRP_MAIN, S_RGT, r); RewriteInt(st, GRP_MAIN, S_BOT, b);
}

void ApplyLvs(CktState& st) {
  const int paths[] = {0, 1, 3};
  for (int s : paths)
    if (Val(st, GRP_LVS, s)[0]) SetVal(st, GRP_LVS, s, PathFix(Val(st, GRP_LVS, s)));
  Upper(Val(st, GRP_LVS, 2));
  for (int s = 0; s < 5; s++)
    if (!Val(st, GRP_LVS, s)[0]) SetVal(st, GRP_LVS, s, kLvsDefaults[s]);
}

void ApplyCap(CktState& st) {
  const char* u = Val(st, GRP_CAP, 0);
  if (strcasecmp(u, "pF") && strcasecmp(u, "fF") && strcasecmp(u, "aF")) SetVal(st, GRP_CAP, 0, "pF");
  int n = IntOf(Val(st, GRP_CAP, 1));
  if (n < 1 || n > 7) n = 0;
  st.set.capFlags = n;
  RewriteInt(st, GRP_CAP, 1, n);
  for (int i = 0; i < 16; i++) {
    for (int k = 0; k < 2; k++) {
      int s = 2 + k * 16 + i;
      int v = IntOf(Val(st, GRP_CAP, s));
      if (v < 0) v = 0;
      if (v > 255) v = 256;
      RewriteInt(st, GRP_CAP, s, v);
      if (k == 0) st.set.cap[i].layer1 = v; else st.set.cap[i].layer2 = v;
    }
    st.set.cap[i].area = atof(Val(st, GRP_CAP, 34 + i));
    st.set.cap[i].fringe = atof(Val(st, GRP_CAP, 50 + i));
  }
}

void ApplyAnt(CktState& st) {
  st.set.antOn = UsfFlag(st, GRP_ANT, 0);
  st.set.antEdge = UsfFlag(st, GRP_ANT, 1);
  for (int i = 0; i < 9; i++) {
    int s = 2 + i;
    // The channel layer may be written as a real number ("1.0").
    double d = atof(Val(st, GRP_ANT, s));
    int v = !(d >= 1) ? 0 : d > 256 ? 256 : (int)d;  // NaN and huge values stay in range
    if (v < 1) {
      v = 0;
      SetVal(st, GRP_ANT, s, "");
    } else {
      if (v > 255) v = 256;
      RewriteInt(st, GRP_ANT, s, v);
    }
    if (i == 0) st.set.antChan = v; else st.set.antLayer[i - 1] = v;
  }
  for (int i = 0; i < 8; i++) {
    int s = 11 + i;
    double t = fabs(atof(Val(st, GRP_ANT, s)));
    if (t > 0 && std::isfinite(t)) RewriteG8(st, GRP_ANT, s, t);
    else { t = 0; SetVal(st, GRP_ANT, s, ""); }
    st.set.antThick[i] = t;
  }
}

void CopyName(char* dst, const char* src) {
  snprintf(dst, 33, "%s", src);
  Upper(dst);
}

}  // namespace

int SetupKeyCount(int group) {
  BuildKeys();
  return (group >= 0 && group < CKT_GROUPS) ? g_keyCount[group] : 0;
}

const char* SetupKey(int group, int slot) {
  BuildKeys();
  if (group < 0 || group >= CKT_GROUPS || slot < 0 || slot >= g_keyCount[group]) return "";
  return g_keys[group][slot];
}

int UsfFlag(CktState& st, int group, int slot) {
  char* v = Val(st, group, slot);
  Upper(v);
  if (v[0] == 'Y') return 1;
  SetVal(st, group, slot, "N");
  return 0;
}

void TraceTableParse(CktState& st) {
  memset(st.set.traced, 0, sizeof st.set.traced);
  memset(st.set.merged, 0, sizeof st.set.merged);
  memset(st.set.insul, 0, sizeof st.set.insul);
  for (int i = 0; i < CKT_TRACE_LEVELS; i++) {
    DigitRuns(Val(st, GRP_TRACE, i), st.set.traced[i], CKT_LIST);
    DigitRuns(Val(st, GRP_TRACE, 8 + i), st.set.merged[i], CKT_LIST);
    snprintf(st.set.mergedText[i], CKT_VALUE, "%s", Val(st, GRP_TRACE, 8 + i));
    // Insulator lists: pieces between blanks and commas, each an integer.
    char buf[CKT_VALUE];
    snprintf(buf, sizeof buf, "%s", Val(st, GRP_TRACE, 16 + i));
    int n = 0;
    for (char* tok = strtok(buf, " ,"); tok && n < CKT_LIST; tok = strtok(nullptr, " ,")) {
      int v = IntOf(tok);
      if (v < 0 || v > 256) v = 0;  // not a layer: an empty entry
      st.set.insul[i][n++] = v;
    }
  }
}

void SetupApply(CktState& st, int group, int check) {
  BuildKeys();
  switch (group) {
    case GRP_MAIN: ApplyMain(st, check); break;
    case GRP_LVS: ApplyLvs(st); break;
    case GRP_TRACE: TraceTableParse(st); break;
    case GRP_CAP: ApplyCap(st); break;
    case GRP_ANT: ApplyAnt(st); break;
    case GRP_SMASH:
      for (int i = 0; i < 32; i++) {
        Upper(Val(st, GRP_SMASH, i));
        CopyName(st.set.smash[i], Val(st, GRP_SMASH, i));
      }
      break;
    case GRP_OMIT:
      for (int i = 0; i < 20; i++) {
        Upper(Val(st, GRP_OMIT, i));
        CopyName(st.set.omit[i], Val(st, GRP_OMIT, i));
      }
      st.set.compileAll = UsfFlag(st, GRP_OMIT, 20);
      break;
  }
}

void SetupDefaults(CktState& st) {
  BuildKeys();
  int sw = st.set.screenW, sh = st.set.screenH;
  memset(&st.set, 0, sizeof st.set);
  st.set.screenW = sw;
  st.set.screenH = sh;
  for (int s = 0; s < g_keyCount[GRP_MAIN]; s++) SetVal(st, GRP_MAIN, s, kMainDefaults[s]);
  for (int s = 0; s < g_keyCount[GRP_LVS]; s++) SetVal(st, GRP_LVS, s, kLvsDefaults[s]);
  SetVal(st, GRP_CAP, 0, "pF");
  SetVal(st, GRP_CAP, 1, "3");
  for (int i = 0; i < 16; i++) {
    SetVal(st, GRP_CAP, 2 + i, "0");
    SetVal(st, GRP_CAP, 18 + i, "0");
    SetVal(st, GRP_CAP, 34 + i, "0.");
    SetVal(st, GRP_CAP, 50 + i, "0.");
  }
  SetVal(st, GRP_ANT, 0, "N");
  SetVal(st, GRP_ANT, 1, "N");
  SetVal(st, GRP_ANT, 2, "1.0");
  SetVal(st, GRP_OMIT, 20, "N");
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
}

int UsfReadLine(CktState& st, char* line) {
  BuildKeys();
  TrimTail(line);
  for (int g = 0; g < CKT_GROUPS; g++)
    for (int s = 0; s < g_keyCount[g]; s++) {
      const char* key = g_keys[g][s];
      size_t kl = strlen(key);
      if (strncasecmp(line, key, kl) == 0) {
        const char* eq = strchr(line, '=');
        SetVal(st, g, s, (eq && strlen(line) > kl) ? eq + 1 : "");
        return 1;
      }
    }
  for (int n = 0; n < 16; n++) {
    char key[12];
    for (int k = 0; k < 2; k++) {
      snprintf(key, sizeof key, k ? "rdf%d=" : "rdp%d=", n);
      if (strncasecmp(line, key, strlen(key)) == 0) {
        char* dst = k ? st.set.rdf[n] : st.set.rdp[n];
        const char* eq = strchr(line, '=');
        snprintf(dst, 260, "%s", (strlen(line) > 5 && eq) ? eq + 1 : "");
        return 1;
      }
    }
  }
  return 0;
}

int UsfRead(CktState& st, const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return 0;
  char line[CKT_VALUE + 2];
  int c;
  for (;;) {
    int n = 0, any = 0;
    while ((c = fgetc(f)) != EOF && c != '\n') {
      any = 1;
      if (n < CKT_VALUE - 1) line[n++] = (char)c;  // the rest of a long line is dropped
    }
    line[n] = 0;
    if (any || c == '\n') UsfReadLine(st, line);
    if (c == EOF) break;
  }
  fclose(f);
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  return 1;
}

int UsfWrite(CktState& st, const char* path) {
  BuildKeys();
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  FILE* f = fopen(path, "w");
  if (!f) return 0;
  for (int g = 0; g < CKT_GROUPS; g++)
    for (int s = 0; s < g_keyCount[g]; s++) fprintf(f, "%s%s\n", g_keys[g][s], st.set.val[g][s]);
  for (int n = 0; n < 16; n++) {
    fprintf(f, "rdp%d=%s\n", n, st.set.rdp[n]);
    fprintf(f, "rdf%d=%s\n", n, st.set.rdf[n]);
  }
  int bad = ferror(f);
  if (fclose(f) != 0) bad = 1;
  return bad ? 0 : 1;
}

int UsfMainRead(CktState& st, const char* path) {
  FILE* f = fopen(path, "rb");
  if (!f) return 2;
  char line[1024];
  int c;
  for (;;) {
    int n = 0, any = 0;
    while ((c = fgetc(f)) != EOF && c != '\n') {
      any = 1;
      if (n < 1023) line[n++] = (char)c;
    }
    line[n] = 0;
    TrimTail(line);
    const char* eq = strchr(line, '=');
    if (any && eq) {
      const char* v = eq + 1;
      if (strncasecmp(line, "scale=", 6) == 0) {
        double s = atof(v);
        // A whole number of units; absurd values leave the scale as it was.
        if (s >= 1 && s < 1e15) st.run.scale = floor(s);
      } else if (strncasecmp(line, "physunit=", 9) == 0) {
        snprintf(st.run.physUnit, sizeof st.run.physUnit, "%s", v);
      } else if (strncasecmp(line, "notips=", 7) == 0) {
        st.run.noTips = IntOf(v);
      } else if (strncasecmp(line, "stdmsgbox=", 10) == 0) {
        st.run.stdMsgBox = IntOf(v);
      } else if (strncasecmp(line, "texttoolbar=", 12) == 0) {
        st.run.textToolbar = IntOf(v);
      } else if (strncasecmp(line, "winemods=", 9) == 0) {
        st.run.wineMods = IntOf(v);
      }
    }
    if (c == EOF) break;
  }
  fclose(f);
  return 0;
}

int SetupBatchTokens(CktState& st, const char* cmdline) {
  const int slots[3] = {S_CFN, S_HFN, S_SCH};
  const int limits[3] = {32, CKT_VALUE - 1, CKT_VALUE - 1};
  int count = 0;
  const char* p = cmdline ? cmdline : "";
  while (*p) {
    while (*p == ' ' || *p == '\t') p++;
    if (!*p) break;
    const char* start = p;
    while (*p && *p != ' ' && *p != '\t') p++;
    int len = (int)(p - start);
    if (count < 3) {
      int k = count;
      if (len > limits[k]) {
        char msg[160];
        snprintf(msg, sizeof msg, "Command Line Argument %d is Longer than %d Characters", k + 1, limits[k]);
        HostError(msg);
      } else {
        char tok[CKT_VALUE];
        memcpy(tok, start, (size_t)len);
        tok[len] = 0;
        SetVal(st, GRP_MAIN, slots[k], tok);
      }
    }
    count++;
  }
  return count;
}

static int ListHas(const int* list, int layer) {
  if (layer == 0) return 0;
  for (int k = 0; k < CKT_LIST; k++)
    if (list[k] == layer) return 1;
  return 0;
}

int TraceLayerIn(CktState& st, int layer, int level, int list) {
  if (level < 0 || level >= CKT_TRACE_LEVELS) return 0;
  return ListHas(list ? st.set.merged[level] : st.set.traced[level], layer & 0x1ff);
}

int ConductorLayer(CktState& st, int layer) {
  int l = layer & 0x1ff;
  for (int i = 0; i < CKT_TRACE_LEVELS; i++)
    if (ListHas(st.set.traced[i], l) || ListHas(st.set.merged[i], l)) return l;
  return 0;
}

int TracedLayer(CktState& st, int layer) {
  for (int i = 0; i < CKT_TRACE_LEVELS; i++)
    if (ListHas(st.set.traced[i], layer & 0x1ff)) return 1;
  return 0;
}

int InsulatorLayer(CktState& st, int layer) {
  for (int i = 0; i < CKT_TRACE_LEVELS; i++)
    if (ListHas(st.set.insul[i], layer & 0x1ff)) return 1;
  return 0;
}

int HiddenLayer(CktState& st, int layer) { return ListHas(st.set.hidden, layer & 0x1ff); }

int TraceTableLayer(CktState& st, int layer) { return ConductorLayer(st, layer) || InsulatorLayer(st, layer); }

int TextLayer(CktState& st, int layer) {
  int l = layer & 0x1ff;
  return l == st.set.nnl || l == st.set.col || l == st.set.dvl || l == st.set.pml;
}

int CellCheckExists(CktState& st, const char* name, int wildcard) {
  if ((wildcard && strcmp(name, "*") == 0) || GetCinfo(st, name)) return 1;
  char msg[200];
  snprintf(msg, sizeof msg, "Cell \"%.100s\" does Not Exist", name);
  HostMsgBox(msg, CKT_DISPLAY_NAME, HOST_CAP_OWN, HOST_OK);
  HostPause(20);
  return 0;
}

const char* PathFix(const char* path) {
  static char out[CKT_VALUE + 4];
  int n = 0;
  for (int i = 0; path[i] && n < CKT_VALUE - 1; i++) {
    char c = (char)tolower((unsigned char)path[i]);
    if (i > 0 && path[i - 1] == '\\') c = (char)toupper((unsigned char)c);
    if (i == 0 && path[1] == ':') c = (char)toupper((unsigned char)c);
    out[n++] = c;
    if (i == 1 && path[1] == ':' && path[2] != '\\' && n < CKT_VALUE - 1) out[n++] = '\\';
  }
  out[n] = 0;
  return out;
}

}  // namespace ckt
