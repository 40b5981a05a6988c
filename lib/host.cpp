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
};
HostState Host;

}  // namespace

void HostSet(const HostOps* ops) { Host.ops = ops ? ops : &kSilent; }

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
