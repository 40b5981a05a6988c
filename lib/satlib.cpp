#include "satlib.h"

#include <cstdarg>
#include <cstring>
#include <ctime>
#include <cstdlib>

#include "host.h"
#include "q7tlcrw.h"
#include "satutil.h"

const SatEdition SatEditionEditor = {1, 1, 0, 0};
const SatEdition SatEditionPlain = {0, 0, 1, 1};

SatSetupState SatSetup;
SatFrameState SatFrame;

namespace {

void NoStatus(int, const char* text, int counter) {
  if (!counter) HostStatus(text);
}
void NoClear() {}
void NoAdd(const char*) {}
int NoExists() { return 0; }
const SatDisplayOps kNoDisplay = {NoStatus, NoClear, NoAdd, NoExists};

struct SatLibState {
  const SatDisplayOps* display = &kNoDisplay;
  int logFailed = 0;
  char empty[1] = "";
};
SatLibState SatLib;

}  // namespace

void SatSetupReset() { SatSetup = SatSetupState(); }

void SatProgramSet(const SatProgram* prog, void* st) {
  if (SatFrame.log) fclose(SatFrame.log);
  SatFrame = SatFrameState();
  SatFrame.prog = prog;
  SatFrame.st = st;
  SatLib.logFailed = 0;
  if (!prog || !prog->keys) return;
  for (int i = 0; i < SAT_SLOTS && prog->keys[i]; ++i) {
    const char* d = prog->defaults ? prog->defaults[i] : nullptr;
    snprintf(SatFrame.slots[i], SAT_SLOT_SIZE, "%s", d ? d : "");
  }
  if (prog->lists) {
    for (SatUsfList* l = prog->lists; l->key; ++l) memset(l->data, 0, (size_t)l->max * (size_t)l->size);
  }
}

const char* SatDisplayName() {
  return (SatFrame.prog && SatFrame.prog->displayName) ? SatFrame.prog->displayName : "Quil";
}

const SatEdition& SatEditionGet() {
  return (SatFrame.prog && SatFrame.prog->edition) ? *SatFrame.prog->edition : SatEditionPlain;
}

char* UsfSlot(int i) {
  if (i < 0 || i >= SAT_SLOTS) {
    SatLib.empty[0] = '\0';
    return SatLib.empty;
  }
  return SatFrame.slots[i];
}

static int SlotKeyCount(int count) {
  const char* const* keys = SatFrame.prog ? SatFrame.prog->keys : nullptr;
  int n = 0;
  while (keys && keys[n] && n < count && n < SAT_SLOTS) ++n;
  return n;
}

void UsfSlotsToValues(char* values, int valueSize, int count) {
  if (!values || valueSize <= 0) return;
  for (int k = 0; k < SlotKeyCount(count); ++k)
    snprintf(values + (size_t)k * (size_t)valueSize, (size_t)valueSize, "%s", SatFrame.slots[k]);
}

void UsfValuesToSlots(const char* values, int valueSize, int count) {
  if (!values || valueSize <= 0) return;
  for (int k = 0; k < SlotKeyCount(count); ++k)
    snprintf(SatFrame.slots[k], SAT_SLOT_SIZE, "%.*s", valueSize, values + (size_t)k * (size_t)valueSize);
}

int MsgShow(const char* text, const char* caption, int type) {
  return HostMsgBox(text, caption, HOST_CAP_OWN, type);
}

int ErrorShow(const char* text) {
  SatFrame.abortFlag = 1;
  return HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK);
}

int WarningShow(const char* text) { return HostMsgBox(text, nullptr, HOST_CAP_WARNING, HOST_OK); }

int ProgramShow(const char* text) { return HostMsgBox(text, nullptr, HOST_CAP_PROGRAM, HOST_OK); }

int MessageBoxPause(const char* text, int captionKind, int type) {
  int r = HostMsgBox(text, nullptr, captionKind, type);
  HostPause(20);
  return r;
}

int ErrorShowF(const char* fmt, ...) {
  char text[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  return ErrorShow(text);
}

int WarningShowF(const char* fmt, ...) {
  char text[SAT_TEXT_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  return WarningShow(text);
}

void AbortPoll(int ms) {
  if (HostAbortPoll()) SatFrame.abortFlag = 1;
  if (SatFrame.abortFlag || ms <= 0) return;
  HostPause(ms);
}

void SatDisplaySet(const SatDisplayOps* ops) { SatLib.display = ops ? ops : &kNoDisplay; }

int SatDisplayShown() { return SatLib.display->exists(); }

void StatusShow(int id, const char* text) {
  if (id == 0) return;
  SatLib.display->status(id, text ? text : "", 0);
}

void CounterShow(int id, const char* text) {
  if (id == 0) return;
  SatLib.display->status(id, text ? text : "", 1);
}

int LogOpen(const char* path) {
  if (SatFrame.log) fclose(SatFrame.log);
  SatLib.logFailed = 0;
  SatFrame.log = SatOpen(path, "w");
  return SatFrame.log != nullptr;
}

int LogClose() {
  if (!SatFrame.log) return 1;
  int bad = ferror(SatFrame.log) != 0;
  if (fclose(SatFrame.log) != 0) bad = 1;
  SatFrame.log = nullptr;
  return !(bad || SatLib.logFailed);
}

int LogFailed() { return SatFrame.log && (SatLib.logFailed || ferror(SatFrame.log)); }

int SatRunWork() {
  const SatProgram* prog = SatFrame.prog;
  if (!prog || !prog->run) return 0;
  SatFrame.abortFlag = 0;
  int result = prog->run(SatFrame.st);
  if (SatFrame.abortFlag) result = 0;
  if (result && LogFailed()) {
    ErrorShow("Unable to Write Log File ... Can't Continue");
    result = 0;
  }
  return result;
}

void SatRunFinish(int result) {
  const SatProgram* prog = SatFrame.prog;
  char text[SAT_TEXT_SIZE];
  text[0] = '\0';
  if (prog && prog->closing) prog->closing(SatFrame.st, result, text, sizeof text);
  LogNote(text);
  LogClose();
  TlcAbandon();
}

int SatGoRun() {
  int result = SatRunWork();
  SatRunFinish(result);
  return result;
}

void SatRectFit(int l, int t, int r, int b) {
  int* v[4] = {nullptr, nullptr, nullptr, nullptr};
  int val[4];
  int idx[4] = {l, t, r, b};
  for (int k = 0; k < 4; ++k) {
    val[k] = atoi(UsfSlot(idx[k]));
    v[k] = &val[k];
  }
  int full[2] = {SatFrame.fullW, SatFrame.fullH};
  for (int axis = 0; axis < 2; ++axis) {
    int& lo = *v[axis];
    int& hi = *v[axis + 2];
    if (full[axis] > 0 && hi > full[axis]) {
      int move = hi - full[axis];
      if (move > lo) move = lo > 0 ? lo : 0;
      lo -= move;
      hi -= move;
    }
  }
  for (int k = 0; k < 4; ++k) snprintf(UsfSlot(idx[k]), SAT_SLOT_SIZE, "%d", val[k]);
}

void LogPut() {
  if (!SatFrame.log) return;
  if (fputs(SatFrame.logLine, SatFrame.log) < 0) SatLib.logFailed = 1;
}

// The list is capped so the dialog stays usable; the log always gets the
// line, since it is the record of the run.
void LogList(const char* text, int mode) {
  if (!text) text = "";
  int haveList = SatLib.display->exists();
  switch (mode) {
    case 0:
      if (haveList) SatLib.display->listClear();
      SatFrame.listLines = 0;
      return;
    case 1:
    case 3:
      if (haveList && SatFrame.listLines <= SAT_LIST_MAX) {
        SatLib.display->listAdd(text);
        SatFrame.listLines++;
      }
      if (mode == 1) return;
      snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%s\n", text);
      LogPut();
      return;
    case 2:
      snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "%s\n", text);
      LogPut();
      return;
    case 4:
      snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "\n%s\n\n", text);
      LogPut();
      ProgramShow(text);
      return;
    default:
      return;
  }
}

int LogNote(const char* text) {
  if (!text) text = "";
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "\n%s\n\n", text);
  LogPut();
  return ProgramShow(text);
}

void LogHeader(const char* title, const char* date, const char* timeText) {
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "*** %s  %s  %s  %s\n\n", title, QUIL_VERSION,
           date, timeText);
  LogPut();
  snprintf(SatFrame.logLine, sizeof SatFrame.logLine, "Note: Read Text with Fixed Pitch Font\n\n");
  LogPut();
}

void SatDateTime(char date[9], char timeText[9]) {
  time_t now = time(nullptr);
  struct tm tmv;
#ifdef _WIN32
  localtime_s(&tmv, &now);
#else
  localtime_r(&now, &tmv);
#endif
  char d[32], t[32];
  snprintf(d, sizeof d, "%02u/%02u/%02u", (unsigned)(tmv.tm_mon + 1) % 100u, (unsigned)tmv.tm_mday % 100u,
           (unsigned)tmv.tm_year % 100u);
  snprintf(t, sizeof t, "%02u:%02u:%02u", (unsigned)tmv.tm_hour % 100u, (unsigned)tmv.tm_min % 100u,
           (unsigned)tmv.tm_sec % 100u);
  memcpy(date, d, 8);
  date[8] = '\0';
  memcpy(timeText, t, 8);
  timeText[8] = '\0';
}
