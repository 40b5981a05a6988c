#include "drc_setup.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "drc_state.h"
#include "host.h"


const char* const DrcKeyName[K_COUNT] = {
    "cln=", "ckf=", "wr2=", "csn=", "cfn=", "hcl=", "ptm=", "rscl=", "res=", "dis=", "arp=", "msz=", "ckl=",
    "ckb=", "wl=",  "wb=",  "wr=",  "wt=",  "enh=", "enp=", "ers=",  "epx=", "lft=", "top=", "rgt=", "bot=",
};

namespace {

const char* const kDefault[K_COUNT] = {
    "", "", "QuilDrc.log", "1", "1", "10", "", "1.", "", "", ".1", "2", "",
    "", "0.", "0.", "100.", "100.", "Y", "Y", "Y", "N", "0", "0", "0", "0",
};

void Set(DrcState& st, int key, const char* text) { std::snprintf(st.set.v[key], sizeof st.set.v[key], "%s", text); }

void SetNum(DrcState& st, int key, double v) {
  char t[64];
  std::snprintf(t, sizeof t, "%.*g", 9, v);
  Set(st, key, t);
}

bool Empty(DrcState& st, int key) {
  const char* p = st.set.v[key];
  while (*p == ' ' || *p == '\t') ++p;
  return *p == 0;
}

void Clip(char* s) {
  size_t n = std::strlen(s);
  while (n > 0 && ((unsigned char)s[n - 1] < '!' || (unsigned char)s[n - 1] > '~')) s[--n] = 0;
}

int KeyIs(const char* line, const char* key) {
  for (; *key; ++line, ++key)
    if (std::tolower((unsigned char)*line) != std::tolower((unsigned char)*key)) return 0;
  return 1;
}

void Owner(DrcState& st, char* out, size_t cap) {
  std::snprintf(out, cap, "%s|%s|%s|%s|%s|%s|%s|%s", st.set.v[K_CLN], st.set.v[K_CKF], st.set.v[K_WL],
                st.set.v[K_WB], st.set.v[K_WR], st.set.v[K_WT], st.set.v[K_CSN], st.set.v[K_CFN]);
}

}  // namespace

void DrcSetupReset(DrcState& st) {
  std::memset(&st.set, 0, sizeof st.set);
  for (int k = 0; k < K_COUNT; ++k) Set(st, k, kDefault[k]);
  st.set.pauseSeconds = 1;
  st.set.fileLimit = 10;
}

double DrcNum(const DrcState& st, int key) { return std::atof(st.set.v[key]); }

int DrcFlag(const DrcState& st, int key) {
  const char* v = st.set.v[key];
  return (v[0] == 'Y' || v[0] == 'y') && v[1] == 0;
}

void DrcFieldNormalise(DrcState& st, int key) {
  if (Empty(st, key)) {
    st.set.v[key][0] = 0;
    return;
  }
  char t[300];
  std::snprintf(t, sizeof t, "%.*g%s", 9, DrcNum(st, key), st.g.physunit);
  Set(st, key, t);
}

int DrcUsfRead(DrcState& st, const char* path) {
  FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  char line[1024];
  while (std::fgets(line, sizeof line, f)) {
    size_t n = std::strlen(line);
    if (n == sizeof line - 1 && line[n - 1] != '\n') {
      int c;  // the rest of an over-long line is not a line of its own
      while ((c = std::fgetc(f)) != EOF && c != '\n') {
      }
    }
    line[255] = 0;
    Clip(line);
    bool done = false;
    for (int k = 0; k < K_COUNT && !done; ++k) {
      size_t kl = std::strlen(DrcKeyName[k]);
      if (kl && KeyIs(line, DrcKeyName[k])) {
        const char* eq = std::strchr(line, '=');
        Set(st, k, eq ? eq + 1 : "");
        done = true;
      }
    }
    for (int i = 0; i < DRC_RECENT && !done; ++i) {
      char kp[16], kf[16];
      std::snprintf(kp, sizeof kp, "rdp%d=", i);
      std::snprintf(kf, sizeof kf, "rdf%d=", i);
      if (KeyIs(line, kp)) {
        std::snprintf(st.set.rdp[i], sizeof st.set.rdp[i], "%s", line + std::strlen(kp));
        done = true;
      } else if (KeyIs(line, kf)) {
        std::snprintf(st.set.rdf[i], sizeof st.set.rdf[i], "%s", line + std::strlen(kf));
        done = true;
      }
    }
  }
  std::fclose(f);
  st.set.owner[0] = 0;
  DrcSetupApply(st, 0);
  return 1;
}

int DrcUsfWrite(DrcState& st, const char* path) {
  DrcSetupApply(st, 0);
  FILE* f = std::fopen(path, "w");
  if (!f) return 1;
  for (int k = 0; k < K_COUNT; ++k) std::fprintf(f, "%s%s\n", DrcKeyName[k], st.set.v[k]);
  for (int i = 0; i < DRC_RECENT; ++i) std::fprintf(f, "rdp%d=%s\nrdf%d=%s\n", i, st.set.rdp[i], i, st.set.rdf[i]);
  return std::fclose(f) != 0 ? 1 : 0;
}

void DrcSetupApply(DrcState& st, int nameChecks) {
  (void)nameChecks;
  const double sc = st.g.scale > 0 ? st.g.scale : 1000.0;
  for (char* p = st.set.v[K_CLN]; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
  if (Empty(st, K_CSN)) Set(st, K_CSN, "1");
  if (Empty(st, K_CFN)) Set(st, K_CFN, "1");
  if (Empty(st, K_PTM)) Set(st, K_PTM, "1");
  if (Empty(st, K_HCL)) Set(st, K_HCL, "10");
  st.set.pauseSeconds = std::atoi(st.set.v[K_PTM]);
  st.set.fileLimit = std::atoi(st.set.v[K_HCL]);
  int m = Empty(st, K_MSZ) ? 1 : std::atoi(st.set.v[K_MSZ]);
  if (m > 3) m = 4;
  if (m < 1) m = 1;
  char t[16];
  std::snprintf(t, sizeof t, "%d", m);
  Set(st, K_MSZ, t);
  double r = std::fabs(DrcNum(st, K_RSCL));
  if (r < 0.0001) r = 0.0001;
  if (r > 10000) r = 10000;
  SetNum(st, K_RSCL, r);
  double a = std::fabs(DrcNum(st, K_ARP));
  if (a < 1.0 / sc) a = 1.0 / sc;
  SetNum(st, K_ARP, a);
  for (int k : {K_ENH, K_ENP, K_ERS, K_EPX}) {
    for (char* p = st.set.v[k]; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
    if (st.set.v[k][0] != 'Y') Set(st, k, "N");
  }
  if (Empty(st, K_WR2)) Set(st, K_WR2, "QuilDrc.log");
  double wl, wb, wr, wt;
  if (st.set.pending) {
    wl = st.set.pendL;
    wb = st.set.pendB;
    wr = st.set.pendR;
    wt = st.set.pendT;
    st.set.pending = 0;
  } else {
    wl = DrcNum(st, K_WL);
    wb = DrcNum(st, K_WB);
    wr = DrcNum(st, K_WR);
    wt = DrcNum(st, K_WT);
  }
  if (wr - wl <= 1.0 / sc) wr = wl + 10.0 / sc;
  if (wt - wb <= 1.0 / sc) wt = wb + 10.0 / sc;
  SetNum(st, K_WL, wl);
  SetNum(st, K_WB, wb);
  SetNum(st, K_WR, wr);
  SetNum(st, K_WT, wt);
  for (int k : {K_RES, K_DIS, K_CKL, K_CKB, K_WL, K_WB, K_WR, K_WT, K_ARP}) DrcFieldNormalise(st, k);
  // A restart point made for another cell, rule file, window or check range
  // would start this run in the middle of nowhere.
  char now[sizeof st.set.owner];
  Owner(st, now, sizeof now);
  if (st.set.owner[0] && std::strcmp(now, st.set.owner) != 0) {
    st.set.v[K_CKL][0] = 0;
    st.set.v[K_CKB][0] = 0;
  }
  std::memcpy(st.set.owner, now, sizeof now);
}

void DrcRestartSave(DrcState& st, double left, double bottom, int check) {
  SetNum(st, K_CKL, left);
  SetNum(st, K_CKB, bottom);
  DrcFieldNormalise(st, K_CKL);
  DrcFieldNormalise(st, K_CKB);
  char t[16];
  std::snprintf(t, sizeof t, "%d", check);
  Set(st, K_CSN, t);
  Owner(st, st.set.owner, sizeof st.set.owner);
}

void DrcRestartClear(DrcState& st) {
  st.set.v[K_CKL][0] = 0;
  st.set.v[K_CKB][0] = 0;
}

void DrcOverrideClear(DrcState& st) {
  st.set.v[K_RES][0] = 0;
  st.set.v[K_DIS][0] = 0;
}

int DrcMainScaleCheck(const char* path, double used) {
  FILE* f = std::fopen(path, "r");
  if (!f) return 0;
  char line[1024];
  int found = 0;
  while (std::fgets(line, sizeof line, f)) {
    Clip(line);
    if (!KeyIs(line, "scale=") || std::strlen(line) <= 6) continue;
    const char* v = line + 6;
    char* end = nullptr;
    double d = std::strtod(v, &end);
    if (end != v && d > 0) continue;  // what the shared reader takes
    char t[200];
    std::snprintf(t, sizeof t, "Drawing Scale %.40s in QUIL7.USF is not Positive ... %.*g is Used", v, 9, used);
    HostWarning(t);
    found = 1;
  }
  std::fclose(f);
  return found;
}
