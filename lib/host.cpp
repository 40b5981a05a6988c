#include "host.h"

namespace {

int SilentMsgBox(const char*, const char*, int, int type) {
  return (type == HOST_YESNO || type == HOST_YESNOCANCEL) ? HOST_IDYES : HOST_IDOK;
}
void SilentStatus(const char*) {}
void SilentProgress(long, long) {}
int SilentAbortPoll() { return 0; }
void SilentPause(int) {}

const HostOps kSilent = {SilentMsgBox, SilentStatus, SilentProgress, SilentAbortPoll, SilentPause};

struct HostState {
  const HostOps* ops = &kSilent;
  FILE* consoleOut = nullptr;
  int consoleAnswer = HOST_IDYES;
};
HostState Host;

int ConsoleMsgBox(const char* text, const char*, int kind, int type) {
  const char* tag = kind == HOST_CAP_ERROR ? "error" : kind == HOST_CAP_WARNING ? "warning" : "note";
  fprintf(Host.consoleOut ? Host.consoleOut : stderr, "%s: %s\n", tag, text);
  if (type == HOST_YESNO || type == HOST_YESNOCANCEL) return Host.consoleAnswer;
  return HOST_IDOK;
}

const HostOps kConsole = {ConsoleMsgBox, SilentStatus, SilentProgress, SilentAbortPoll, SilentPause};

}  // namespace

void HostSet(const HostOps* ops) { Host.ops = ops ? ops : &kSilent; }

void HostConsoleSet(FILE* out, int answer) {
  Host.consoleOut = out;
  Host.consoleAnswer = answer;
  Host.ops = &kConsole;
}

int HostMsgBox(const char* text, const char* caption, int captionKind, int type) {
  return Host.ops->msgbox(text ? text : "", caption, captionKind, type);
}
int HostError(const char* text) { return HostMsgBox(text, nullptr, HOST_CAP_ERROR, HOST_OK); }
int HostWarning(const char* text) { return HostMsgBox(text, nullptr, HOST_CAP_WARNING, HOST_OK); }
int HostAskYesNo(const char* text, const char* caption) {
  return HostMsgBox(text, caption, HOST_CAP_OWN, HOST_YESNO);
}
int HostAskYesNoCancel(const char* text, const char* caption) {
  return HostMsgBox(text, caption, HOST_CAP_OWN, HOST_YESNOCANCEL);
}
void HostStatus(const char* text) { Host.ops->status(text ? text : ""); }
void HostProgress(long done, long total) { Host.ops->progress(done, total); }
int HostAbortPoll() { return Host.ops->abortPoll(); }
void HostPause(int milliseconds) { Host.ops->pause(milliseconds); }
