// The map operator interpreter: one operator line of a check on the maps of
// the current area.
#ifndef QUIL_DRC_OPER_H
#define QUIL_DRC_OPER_H

#include <cstdint>
#include <cstdio>

#include "drc_geom.h"

struct DrcState;

enum DrcOpCode {
  OP_MAP, OP_MAPR, OP_MAPS, OP_RETR, OP_RETS, OP_PUSH, OP_PUSHR, OP_POPR, OP_SWPRS, OP_JRC, OP_JRS,
  OP_JRN, OP_EXPR, OP_EXPRS, OP_EXPLRS, OP_GAGR, OP_GAGRS, OP_NOTR, OP_ANDRS, OP_ORRS, OP_XORRS,
  OP_CLR, OP_STR, OP_DSP, OP_DSPR, OP_DSPS, OP_DBLR, OP_PAUSE, OP_HCPY, OP_OVRLAP, OP_SIZE, OP_COUNT,
};

struct DrcOpParsed {
  int code;
  int n;               // integer argument (MAP, OVRLAP, SIZE, EXPR ..., pitch)
  char name[104];      // name argument (PUSH, DSP)
  uint32_t colour;     // DSP, DSPR, DSPS
};

// Operator names with their aliases, and the operator each stands for.
struct DrcOpName {
  const char* name;
  int code;
};
// A global because it is a constant table, the same for every run.
extern const DrcOpName DrcOpNames[];
extern const int DrcOpNameCount;

// Checks one line and fills op; 0, or -1 for a syntax error (a name of one or
// two characters, an unknown name, a missing or non-integer argument, a
// layer outside 1 .. 256).
int DrcOperatorParse(const char* line, DrcOpParsed* op);
// RGB (0x00BBGGRR) of a colour letter.
uint32_t DrcColour(const char* text);

// Run state the operators share with the run driver.
struct DrcExec {
  DrcGeom geo;                      // geometry of the check (OVRLAP changes it)
  int64_t areaL, areaB, areaR, areaT;
  char cell[256];
  int checkNo;
  int areaResults;
  char mapFile[300];
  int pcxSeq;
  int mapsRun, mapsCheck, pcxFiles;
  int mapsUnwritten;                // maps of the run whose file could not be written
  int noMapFiles;                   // the user chose to go on without map files
  char folder[260];                 // drawing folder for map files ("" current)
  uint32_t dispColour;
  int dispPitch;
  char ruleError[200];              // text of a rule error (-2)
  // Called after a display operator painted the MAPPER picture (the program
  // shows it); null natively.
  void (*mapperShown)(DrcState& st);
};

void DrcExecReset(DrcState& st);
// The Escape poll with pause of every long loop: an Escape asks whether to
// abort (Yes sets the abort flag); then pauses |ms|.
void DrcPausePoll(DrcState& st, int ms);

// How an operator is run: the status line it shows first and the function
// doing its work with the argument of its row (map, mode).
enum { DRC_STATUS_NONE, DRC_STATUS_TEXT, DRC_STATUS_NUMBER, DRC_STATUS_NAME };
struct DrcOperatorRule {
  int code;
  int status;        // DRC_STATUS_*: text as it stands, with op.n, with op.name
  const char* text;
  int (*run)(DrcState& st, const DrcOpParsed& op, int arg);
  int arg;
};
// The row of an operator code; null for a code outside the table.
const DrcOperatorRule* DrcOperatorRuleOf(int code);

// Executes op: 1 go on, 0 end this area's list, -1 syntax error, -2 rule
// error (text in st.x.ruleError).
int DrcOperatorRun(DrcState& st, const DrcOpParsed& op);
// Parses and executes line i of the current check.
int DrcOperator(DrcState& st, int i);

#endif
