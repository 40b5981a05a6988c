#include "ckt_run.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "host.h"

namespace ckt {
CktRun g_cktRun;

namespace {
const int kListCap = 20000;
}

void CktRunReset() {
  if (g_cktRun.log) fclose(g_cktRun.log);
  void (*add)(const char*) = g_cktRun.listAdd;
  void (*clear)() = g_cktRun.listClear;
  void (*status2)(const char*) = g_cktRun.status2;
  memset(&g_cktRun, 0, sizeof g_cktRun);
  g_cktRun.status2 = status2;
  g_cktRun.listAdd = add;
  g_cktRun.listClear = clear;
  g_cktRun.scale = 1000.0;
  snprintf(g_cktRun.physUnit, sizeof g_cktRun.physUnit, "%s", "um");
}

void CktRunBegin() {
  g_cktRun.abortFlag = 0;
  g_cktRun.oomFlag = 0;
  g_cktRun.warnCount = 0;
  g_cktRun.errCount = 0;
  g_cktRun.listCount = 0;
  g_cktRun.lastPollSecond = -1;
}

int CktStopped() { return g_cktRun.abortFlag || g_cktRun.oomFlag; }

void LogPut(const char* text) {
  if (g_cktRun.log && text) fputs(text, g_cktRun.log);
}

int ErrorCount(const char* text, int fatal) {
  g_cktRun.errCount++;
  if (g_cktRun.log) fprintf(g_cktRun.log, "\nERROR ... %s\n", text);
  char counts[64];
  snprintf(counts, sizeof counts, "%d Warnings  %d Errors", g_cktRun.warnCount, g_cktRun.errCount);
  HostStatus(counts);
  if (fatal) {
    HostMsgBox(text, "Fatal Error ...", HOST_CAP_OWN, HOST_OK);
    HostPause(20);
    g_cktRun.abortFlag = 1;
    return 1;
  }
  char msg[1200];
  snprintf(msg, sizeof msg, "%s\n\nAbort Compile ?", text);
  int answer = HostMsgBox(msg, nullptr, HOST_CAP_ERROR, HOST_YESNO);
  HostPause(20);
  if (answer == HOST_IDYES) g_cktRun.abortFlag = 1;
  return g_cktRun.abortFlag;
}

void WarningCount(const char* text) {
  g_cktRun.warnCount++;
  if (g_cktRun.log) fprintf(g_cktRun.log, "\nWARNING ... %s\n", text);
  LogList(text, 1);
}

void LogList(const char* text, int mode) {
  if (!text) text = "";
  if (mode == 0) {
    g_cktRun.listCount = 0;
    if (g_cktRun.listClear) g_cktRun.listClear();
    return;
  }
  // The list is capped; the log keeps every line.
  if ((mode == 1 || mode == 3) && g_cktRun.listCount <= kListCap) {
    g_cktRun.listCount++;
    if (g_cktRun.listAdd) g_cktRun.listAdd(text);
    else HostStatus(text);
  }
  if ((mode == 2 || mode == 3) && g_cktRun.log) fprintf(g_cktRun.log, "%s\n", text);
  if (mode == 4) {
    if (g_cktRun.log) fprintf(g_cktRun.log, "\n%s\n\n", text);
    HostMsgBox(text, CKT_DISPLAY_NAME, HOST_CAP_OWN, HOST_OK);
  }
}

void ErrLogBox(const char* text) {
  if (g_cktRun.log) fprintf(g_cktRun.log, "\n%s\n\n", text);
  HostMsgBox(text, CKT_DISPLAY_NAME, HOST_CAP_OWN, HOST_OK);
}

int AbortPoll(int ms) {
  if (g_cktRun.abortFlag) return 1;
  if (g_cktRun.pollEverySecond) {
    int64_t now = (int64_t)time(nullptr);
    if (now == g_cktRun.lastPollSecond) return g_cktRun.abortFlag;
    g_cktRun.lastPollSecond = now;
  }
  if (HostAbortPoll()) {
    if (HostAskYesNo("Abort Compile ... OK ?", "Pause ...") == HOST_IDYES &&
        HostAskYesNo("You Sure ... Work will be Lost ?", "Confirm ...") == HOST_IDYES)
      g_cktRun.abortFlag = 1;
  }
  HostPause(ms < 0 ? -ms : ms);
  return g_cktRun.abortFlag;
}

int StatusLine(const char* text, int poll) {
  HostStatus(text);
  return poll ? AbortPoll(200) : 0;
}

int StatusLine2(const char* text, int poll) {
  if (g_cktRun.status2) g_cktRun.status2(text);
  else HostStatus(text);
  return poll ? AbortPoll(10) : 0;
}
}  // namespace ckt
