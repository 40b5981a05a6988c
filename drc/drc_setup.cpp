#include "drc_setup.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "drc_state.h"

DrcSettings DrcSet;

const char* const DrcKeyName[K_COUNT] = {
    "cln=", "ckf=", "wr2=", "csn=", "cfn=", "hcl=", "ptm=", "rscl=", "res=", "dis=", "arp=", "msz=", "ckl=",
    "ckb=", "wl=",  "wb=",  "wr=",  "wt=",  "enh=", "enp=", "ers=",  "epx=", "lft=", "top=", "rgt=", "bot=",
};

namespace {

const char* const kDefault[K_COUNT] = {
    "", "", "QuilDrc.log", "1", "1", "10", "", "1.", "", "", ".1", "2", "",
    "", "0.", "0.", "100.", "100.", "Y", "Y", "Y", "N", "0", "0", "0", "0",
};

void Set(int key, const char* text) { std::snprintf(DrcSet.v[key], sizeof DrcSet.v[key], "%s", text); }

void SetNum(int key, double v) {
  char t[64];
  std::snprintf(t, sizeof t, "%.*g", 9, v);
  Set(key, t);
}

bool Empty(int key) {
  const char* p = DrcSet.v[key];
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

void Owner(char* out, size_t cap) {
  std::snprintf(out, cap, "%s|%s|%s|%s|%s|%s|%s|%s", DrcSet.v[K_CLN], DrcSet.v[K_CKF], DrcSet.v[K_WL],
                DrcSet.v[K_WB], DrcSet.v[K_WR], DrcSet.v[K_WT], DrcSet.v[K_CSN], DrcSet.v[K_CFN]);
}

}  // namespace

void DrcSetupReset() {
  std::memset(&DrcSet, 0, sizeof DrcSet);
  for (int k = 0; k < K_COUNT; ++k) Set(k, kDefault[k]);
  DrcSet.pauseSeconds = 1;
  DrcSet.fileLimit = 10;
}

double DrcNum(int key) { return std::atof(DrcSet.v[key]); }

int DrcFlag(int key) {
  const char* v = DrcSet.v[key];
  return (v[0] == 'Y' || v[0] == 'y') && v[1] == 0;
}

void DrcFieldNormalise(int key) {
  if (Empty(key)) {
    DrcSet.v[key][0] = 0;
    return;
  }
  char t[300];
  std::snprintf(t, sizeof t, "%.*g%s", 9, DrcNum(key), DrcG.physunit);
  Set(key, t);
}

int DrcUsfRead(const char* path) {
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
        Set(k, eq ? eq + 1 : "");
        done = true;
      }
    }
    for (int i = 0; i < DRC_RECENT && !done; ++i) {
      char kp[16], kf[16];
      std::snprintf(kp, sizeof kp, "rdp%d=", i);
      std::snprintf(kf, sizeof kf, "rdf%d=", i);
      if (KeyIs(line, kp)) {
        std::snprintf(DrcSet.rdp[i], sizeof DrcSet.rdp[i], "%s", line + std::strlen(kp));
        done = true;
      } else if (KeyIs(line, kf)) {
        std::snprintf(DrcSet.rdf[i], sizeof DrcSet.rdf[i], "%s", line + std::strlen(kf));
        done = true;
      }
    }
  }
  std::fclose(f);
  DrcSet.owner[0] = 0;
  DrcSetupApply(0);
  return 1;
}

int DrcUsfWrite(const char* path) {
  DrcSetupApply(0);
  FILE* f = std::fopen(path, "w");
  if (!f) return 1;
  for (int k = 0; k < K_COUNT; ++k) std::fprintf(f, "%s%s\n", DrcKeyName[k], DrcSet.v[k]);
  for (int i = 0; i < DRC_RECENT; ++i) std::fprintf(f, "rdp%d=%s\nrdf%d=%s\n", i, DrcSet.rdp[i], i, DrcSet.rdf[i]);
  return std::fclose(f) != 0 ? 1 : 0;
}

void DrcSetupApply(int nameChecks) {
  (void)nameChecks;
  const double sc = DrcG.scale > 0 ? DrcG.scale : 1000.0;
  for (char* p = DrcSet.v[K_CLN]; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
  if (Empty(K_CSN)) Set(K_CSN, "1");
  if (Empty(K_CFN)) Set(K_CFN, "1");
  if (Empty(K_PTM)) Set(K_PTM, "1");
  if (Empty(K_HCL)) Set(K_HCL, "10");
  DrcSet.pauseSeconds = std::atoi(DrcSet.v[K_PTM]);
  DrcSet.fileLimit = std::atoi(DrcSet.v[K_HCL]);
  int m = Empty(K_MSZ) ? 1 : std::atoi(DrcSet.v[K_MSZ]);
  if (m > 3) m = 4;
  if (m < 1) m = 1;
  char t[16];
  std::snprintf(t, sizeof t, "%d", m);
  Set(K_MSZ, t);
  double r = std::fabs(DrcNum(K_RSCL));
  if (r < 0.0001) r = 0.0001;
  if (r > 10000) r = 10000;
  SetNum(K_RSCL, r);
  double a = std::fabs(DrcNum(K_ARP));
  if (a < 1.0 / sc) a = 1.0 / sc;
  SetNum(K_ARP, a);
  for (int k : {K_ENH, K_ENP, K_ERS, K_EPX}) {
    for (char* p = DrcSet.v[k]; *p; ++p) *p = (char)std::toupper((unsigned char)*p);
    if (DrcSet.v[k][0] != 'Y') Set(k, "N");
  }
  if (Empty(K_WR2)) Set(K_WR2, "QuilDrc.log");
  double wl, wb, wr, wt;
  if (DrcSet.pending) {
    wl = DrcSet.pendL;
    wb = DrcSet.pendB;
    wr = DrcSet.pendR;
    wt = DrcSet.pendT;
    DrcSet.pending = 0;
  } else {
    wl = DrcNum(K_WL);
    wb = DrcNum(K_WB);
    wr = DrcNum(K_WR);
    wt = DrcNum(K_WT);
  }
  if (wr - wl <= 1.0 / sc) wr = wl + 10.0 / sc;
  if (wt - wb <= 1.0 / sc) wt = wb + 10.0 / sc;
  SetNum(K_WL, wl);
  SetNum(K_WB, wb);
  SetNum(K_WR, wr);
  SetNum(K_WT, wt);
  for (int k : {K_RES, K_DIS, K_CKL, K_CKB, K_WL, K_WB, K_WR, K_WT, K_ARP}) DrcFieldNormalise(k);
  // A restart point made for another cell, rule file, window or check range
  // would start this run in the middle of nowhere.
  char now[sizeof DrcSet.owner];
  Owner(now, sizeof now);
  if (DrcSet.owner[0] && std::strcmp(now, DrcSet.owner) != 0) {
    DrcSet.v[K_CKL][0] = 0;
    DrcSet.v[K_CKB][0] = 0;
  }
  std::memcpy(DrcSet.owner, now, sizeof now);
}

void DrcRestartSave(double left, double bottom, int check) {
  SetNum(K_CKL, left);
  SetNum(K_CKB, bottom);
  DrcFieldNormalise(K_CKL);
  DrcFieldNormalise(K_CKB);
  char t[16];
  std::snprintf(t, sizeof t, "%d", check);
  Set(K_CSN, t);
  Owner(DrcSet.owner, sizeof DrcSet.owner);
}

void DrcRestartClear() {
  DrcSet.v[K_CKL][0] = 0;
  DrcSet.v[K_CKB][0] = 0;
}

void DrcOverrideClear() {
  DrcSet.v[K_RES][0] = 0;
  DrcSet.v[K_DIS][0] = 0;
}
