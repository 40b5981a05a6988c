// The CIF-to-TLC conversion: settings and text templates, the symbol table
// with names and ranks, the CIF layer table and the interpretation that
// writes one TLC cell file per symbol. Platform-free; the program shows its
// dialogs around it and the host seam carries every message.
#ifndef QUIL_CONVERTERS_CIFIN_H
#define QUIL_CONVERTERS_CIFIN_H

#include <cstdint>
#include <ctime>
#include <unordered_map>
#include <vector>

#include "cnvcif.h"
#include "cnvcommon.h"

enum {
  CIFIN_NKEYS = 20,
  CIFIN_VALLEN = 256,
  CIFIN_MAXSYMBOLS = 8190,
  CIFIN_TEMPLATES = 5,
  CIFIN_MAXPOINTS = 1024,  // points of one polygon or wire
  CIFIN_MAXRANK = 24,
  CIFIN_TEXTMAX = 64,      // characters kept of a text
  CIFIN_NAMELEN = 32,
};

// Setting slots in the order of the settings file.
enum {
  CI_CFN, CI_CLN, CI_LFN, CI_TFP, CI_UEC, CI_CG1, CI_CG2, CI_COP, CI_P2B, CI_MIP,
  CI_MLF, CI_OMT, CI_OLD, CI_TMP, CI_DTS, CI_WR2, CI_LFT, CI_TOP, CI_RGT, CI_BOT,
};
extern const char* const CifInKeys[CIFIN_NKEYS + 1];
extern const char* const CifInDisplayName;  // "CifIn"

struct CifSymbol {
  int64_t num;                      // CIF symbol number
  char name[CIFIN_NAMELEN + 1];     // as found (upper case)
  char cell[CIFIN_NAMELEN + 1];     // the TLC cell it becomes
  int rank;
  int defined;                      // its DS was met (the interpretation)
  int written;                      // its cell file is complete
  std::vector<int64_t> calls;       // symbols it calls
};

struct CifInCounts {
  long boxes, paths, texts, vertices, calls;
};

struct CifInState {
  char val[CIFIN_NKEYS][CIFIN_VALLEN];
  char templates[CIFIN_TEMPLATES][CIFIN_VALLEN];

  std::vector<CifSymbol> sym;
  std::unordered_map<int64_t, int> byNum;  // symbol number -> index in sym
  CifLayerRow layers[CIF_LAYERROWS];
  int nLayers;

  double g;       // CIF grid, um per unit
  int tlcScale;   // database units per um: the whole part of 1/g
  int cop, p2b, mip, mlf, omt, old;
  double dts;
  char ext[3];    // the text command's number
  char tokens[12][CIFIN_VALLEN];
  int nTokens;
  char outFolder[CNV_PATHLEN];
  char cifName[CNV_PATHLEN];  // base name of the CIF file

  int64_t minCand, minRun;  // minimum feature: this symbol's, the run's
  CifInCounts cur, max;
  int highestRank;
  int files;
  long outside, flashes, skewed, longPolys, cutTexts;
  int abort;
  int* extAbort;
  char date[40], time[40];
  struct tm now;
  int fixedNow;
  FILE* log;

  // Program hooks, each may be null. The NEWNAME question returns 1 with a
  // new name in tried (33 bytes) or 0 to stop.
  int (*newName)(const char* symbolName, char* tried);
  void (*listLine)(const char* text);
  void (*counter)(int id, const char* text);  // DISPLAY items

  // The CIF file in memory, read once.
  unsigned char* data;
  size_t size;
};

// Defaults in every slot, tables emptied, hooks removed.
void CifInReset(CifInState* st);
// Completes the settings as the SETUP dialog's OK does; with check the file
// names are checked too. The number of names that failed.
int CifInSetupApply(CifInState* st, int check);
// Puts a template typed in SETUP in front of the remembered ones.
void CifInTemplatePush(CifInState* st, const char* text);

// The orientation code and placement of a call, read from s after the
// symbol number to the end of the command, composed in command order;
// translations are scaled by a / b. *skewed counts rotations off the axes
// (left out).
void CifCallTransform(CifSrc* s, int64_t a, int64_t b, int* orient, int64_t* x, int64_t* y, long* skewed);

// The whole conversion; 1 when it completed.
int CifInConvert(CifInState* st);
int CifInClosing(CifInState* st, int converted, char* text, int size);
// Convert, then the closing message shown; 1 when it completed.
int CifInGo(CifInState* st);

void CifInList(CifInState* st, const char* text);

#endif
