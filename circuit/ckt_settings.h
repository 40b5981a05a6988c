// QuilCkt.usf: the extractor's seven key groups, the run-application lists,
// the check that completes the values and derives the working variables
// (trace table, text layers, flags, lists), and QUIL7.USF.
#ifndef QUIL_CIRCUIT_CKT_SETTINGS_H
#define QUIL_CIRCUIT_CKT_SETTINGS_H

#include <cstdint>

namespace ckt {

struct CktState;

// The key table behind SetupKey stays global: built once from constants, the
// same for every state.

enum {
  CKT_GROUPS = 7,
  CKT_SLOTS = 66,
  CKT_VALUE = 256,  // slot size; values hold at most 255 characters
  CKT_TRACE_LEVELS = 8,
  CKT_LIST = 8,
};

// Group numbers.
enum { GRP_MAIN, GRP_LVS, GRP_TRACE, GRP_CAP, GRP_ANT, GRP_SMASH, GRP_OMIT };

// Main group slots.
enum {
  S_CFN, S_PAF, S_HFN, S_FFN, S_NNL, S_COL, S_DVL, S_PML, S_HCL, S_TTL,
  S_CNL, S_CNT, S_CCL, S_CCT, S_CVL, S_CVA, S_TTS, S_SOC, S_SFC, S_SDN,
  S_WNF, S_OTL, S_WAR, S_WAV, S_WMC, S_CSO, S_SCH, S_ALD, S_STM, S_CLD,
  S_VNP, S_WR2, S_LFT, S_TOP, S_RGT, S_BOT,
};

struct CktCap { int layer1, layer2; double area, fringe; };

struct CktSettings {
  char val[CKT_GROUPS][CKT_SLOTS][CKT_VALUE];
  char rdp[16][260];
  char rdf[16][260];
  int screenW, screenH;  // full-screen client area; 0 = no window check

  // Derived by SetupApply.
  int traced[CKT_TRACE_LEVELS][CKT_LIST];
  int merged[CKT_TRACE_LEVELS][CKT_LIST];
  char mergedText[CKT_TRACE_LEVELS][CKT_VALUE];
  int insul[CKT_TRACE_LEVELS][CKT_LIST];
  int nnl, col, dvl, pml, ttl;
  int hidden[CKT_LIST];
  int flag[CKT_SLOTS];  // main-group Y/N slots 10..27 as 0/1
  double stm;
  int cld;
  int winLeft, winTop, winRight, winBottom;
  int capFlags;
  CktCap cap[16];
  int antOn, antEdge, antChan, antLayer[8];
  double antThick[8];
  char smash[32][33];
  char omit[20][33];
  int compileAll;
};


// Built-in defaults, then every group applied without checks: the working
// variables are valid from the start even with no settings file.
void SetupDefaults(CktState& st);

// Number of keys of a group and the key of a slot ("cfn=").
int SetupKeyCount(int group);
const char* SetupKey(int group, int slot);

// Applies a group; check = 1 from a dialog's OK (name checks shown).
void SetupApply(CktState& st, int group, int check);
void TraceTableParse(CktState& st);

// Y/N slot of a group: upper-cased; 1 for "Y...", else "N" and 0.
int UsfFlag(CktState& st, int group, int slot);

// One settings line (trailing blanks and control characters removed first)
// offered to every key and the run-application entries. 1 when taken.
int UsfReadLine(CktState& st, char* line);

// Reads QuilCkt.usf (path); 0 when missing (defaults stay), else 1.
int UsfRead(CktState& st, const char* path);
// Writes it; 1 when written.
int UsfWrite(CktState& st, const char* path);

// QUIL7.USF: 2 when it cannot be opened, else 0.
int UsfMainRead(CktState& st, const char* path);

// Batch command line (cell, header file, Y/N): the tokens go into cfn=,
// hfn= and sch=, each bounded by its setting; a token too long for it gives
// a message and is not stored. Returns the number of tokens seen (the batch
// form is on when it is 3 or more).
int SetupBatchTokens(CktState& st, const char* cmdline);

// Layer tests over the trace table.
int TraceLayerIn(CktState& st, int layer, int level, int list);
int ConductorLayer(CktState& st, int layer);
int TracedLayer(CktState& st, int layer);
int InsulatorLayer(CktState& st, int layer);
int HiddenLayer(CktState& st, int layer);
// In any conductor list, insulator list or a text layer: loaded at all.
int TraceTableLayer(CktState& st, int layer);
int TextLayer(CktState& st, int layer);

// The cell must be in the collection ("*" passes with wildcard); else the
// message and 0. The name checks themselves are the library's
// (namecheck.h).
int CellCheckExists(CktState& st, const char* name, int wildcard);

// Path normaliser: lower case, the drive letter and each character after a
// backslash upper case, "X:" gets its backslash.
const char* PathFix(const char* path);

}  // namespace ckt

#endif
