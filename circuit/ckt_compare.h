// The node-list compare: the layout list's block against the schematic
// list's block and back, nodes matched by the device pins they hold. The
// messages go to the compare window's list (when the program has one) and to
// the compare log.
#ifndef QUIL_CIRCUIT_CKT_COMPARE_H
#define QUIL_CIRCUIT_CKT_COMPARE_H

#include "qfile.h"

namespace ckt {

struct CktState;

struct CktCompare {
  int errors;     // error count of the compare
  QFile log;      // compare log, open during a compare
  int listCount;  // lines given to the list
  // The compare window's list; without one the messages go to the log only.
  void (*listAdd)(const char* text);
};

// Both directions of the compare of lfn= block bas= with sfn= block
// bas= + sfx=: 1 when both ran without abort, else 0. The log is closed on
// every way out.
int NodeCompareRun(CktState& st);

// 1 when the file holds a header line "[block]" (ignoring case); else a
// message, one error and 0.
int BlockFind(CktState& st, const char* file, const char* block);

// 1 when one of the blank-separated words of text equals word, ignoring
// case.
int WordInList(const char* text, const char* word);

// A message of the compare: always into the log; into the list while it
// holds at most 20,000 lines.
void CompareMsg(CktState& st, const char* text);

}  // namespace ckt

#endif
