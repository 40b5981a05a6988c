// Reader of design rule files: a character-class scanner that reads one check
// (title, DISTANCE, RESOLUTION, GUARDBAND, LOCATION, OPERATORS list) per call.
#ifndef QUIL_DRC_RULES_H
#define QUIL_DRC_RULES_H

#include <cstddef>
#include <cstdio>

enum {
  DRC_OPS = 100,      // operator lines of a check
  DRC_OPLEN = 110,    // slot size; a line holds at most DRC_OPMAX characters
  DRC_OPMAX = 100,
  DRC_TITLE = 101,
  DRC_VALUE = 256,
};

// Character classes.
enum {
  CC_EOL, CC_COMMENT, CC_OPEN, CC_CLOSE, CC_LETTER, CC_DIGIT, CC_COMMA, CC_MINUS,
  CC_EQUALS, CC_OPEN2, CC_CLOSE2, CC_STAR, CC_OTHER,
};

// The rule text: a file or a buffer in memory.
struct DrcRuleSrc {
  FILE* f;
  const unsigned char* buf;
  size_t len, pos;
  int eof;
  int cls;  // class of the last character read
};

void DrcRuleSrcFile(DrcRuleSrc* s, FILE* f);
void DrcRuleSrcMem(DrcRuleSrc* s, const char* data, size_t len);

// Reads one character: control characters and the end of file come back as a
// blank; sets s->cls.
int DrcCharClass(DrcRuleSrc* s);

struct DrcCheckRec {
  int counter;                   // number of the check read last (1 = first)
  char title[DRC_TITLE];
  char op[DRC_OPS][DRC_OPLEN];
  int nops;
  // Values that persist from check to check until the next such line.
  double DISTANCE, RESOLUTION, GUARDBAND;
  int resolutionGiven;           // this check has a RESOLUTION line
  char ckl[DRC_VALUE], ckb[DRC_VALUE];
  int locationGiven;
  int anything;                  // a keyword of this check was read
  int reachedEof;                // reading this check met the end of the file
  char fault[160];               // first fault in this check's text, "" none
};

// Starts a new rule file: counter 0, persisting values 0.
void DrcCheckReset(DrcCheckRec& chk);
// 1 a check with an OPERATORS list; 0 a letter came before the list's "{";
// -1 the end of the file came first.
int DrcCheckRead(DrcCheckRec& chk, DrcRuleSrc* s);

#endif
