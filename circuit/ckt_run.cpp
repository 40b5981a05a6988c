#include "ckt_run.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "ckt_state.h"
#include "host.h"

namespace ckt {

namespace {
const int kListCap = 20000;
}

void CktRunReset(CktState& st) {
  void (*add)(const char*) = st.run.listAdd;
  void (*clear)() = st.run.listClear;
  void (*status2)(const char*) = st.run.status2;
  st.run = CktRun();  // all zero; an open log is closed
  st.run.status2 = status2;
  st.run.listAdd = add;
  st.run.listClear = clear;
  st.run.scale = 1000.0;
  snprintf(st.run.physUnit, sizeof st.run.physUnit, "%s", "um");
}

void CktRunBegin(CktState& st) {
  st.run.abortFlag = 0;
  st.run.oomFlag = 0;
  st.run.warnCount = 0;
  st.run.errCount = 0;
  st.run.listCount = 0;
  st.run.lastPollSecond = -1;
}

int CktStopped(CktState& st) { return st.run.abortFlag || st.run.oomFlag; }

void LogPut(CktState& st, const char* text) {
  if (st.run.log && text) fputs(text, st.run.log.get());
}

int ErrorCount(CktState& st, const char* text, int fatal) {
  st.run.errCount++;
  if (st.run.log) fprintf(st.run.log.get(), "\nERROR ... %s\n", text);
  char counts[64];
  snprintf(counts, sizeof counts, "%d Warnings  %d Errors", st.run.warnCount, st.run.errCount);
  HostStatus(counts);
  if (fatal) {
    HostMsgBox(text, "Fatal Error ...", HOST_CAP_OWN, HOST_OK);
    HostPause(20);
    st.run.abortFlag = 1;
    return 1;
  }
  char msg[1200];
  snprintf(msg, sizeof msg, "%s\n\nAbort Compile ?", text);
  int answer = HostMsgBox(msg, nullptr, HOST_CAP_ERROR, HOST_YESNO);
  HostPause(20);
  if (answer == HOST_IDYES) st.run.abortFlag = 1;
  return st.run.abortFlag;
}

void WarningCount(CktState& st, const char* text) {
  st.run.warnCount++;
  if (st.run.log) fprintf(st.run.log.get(), "\nWARNING ... %s\n", text);
  LogList(st, text, 1);
}

void LogList(CktState& st, const char* text, int mode) {
  if (!text) text = "";
  if (mode == 0) {
    st.run.listCount = 0;
    if (st.run.listClear) st.run.listClear();
    return;
  }
  // The list is capped; the log keeps every line.
  if ((mode == 1 || mode == 3) && st.run.listCount <= kListCap) {
    st.run.listCount++;
    if (st.run.listAdd) st.run.listAdd(text);
    else HostStatus(text);
  }
  if ((mode == 2 || mode == 3) && st.run.log) fprintf(st.run.log.get(), "%s\n", text);
  if (mode == 4) {
    if (st.run.log) fprintf(st.run.log.get(), "\n%s\n\n", text);
    HostMsgBox(text, CKT_DISPLAY_NAME, HOST_CAP_OWN, HOST_OK);
  }
}

void ErrLogBox(CktState& st, const char* text) {
  if (st.run.log) fprintf(st.run.log.get(), "\n%s\n\n", text);
  HostMsgBox(text, CKT_DISPLAY_NAME, HOST_CAP_OWN, HOST_OK);
}

int AbortPoll(CktState& st, int ms) {
  if (st.run.abortFlag) return 1;
  if (st.run.pollEverySecond) {
    int64_t now = (int64_t)time(nullptr);
    if (now == st.run.lastPollSecond) return st.run.abortFlag;
    st.run.lastPollSecond = now;
  }
  if (HostAbortPoll()) {
    if (HostAskYesNo("Abort Compile ... OK ?", "Pause ...") == HOST_IDYES &&
        HostAskYesNo("You Sure ... Work will be Lost ?", "Confirm ...") == HOST_IDYES)
      st.run.abortFlag = 1;
  }
  HostPause(ms < 0 ? -ms : ms);
  return st.run.abortFlag;
}

int StatusLine(CktState& st, const char* text, int poll) {
  HostStatus(text);
  return poll ? AbortPoll(st, 200) : 0;
}

int StatusLine2(CktState& st, const char* text, int poll) {
  if (st.run.status2) st.run.status2(text);
  else HostStatus(text);
  return poll ? AbortPoll(st, 10) : 0;
}
}  // namespace ckt
