#include "host_record.h"

#include "host.h"

namespace {

HostRecord Rec;

int RecMsgBox(const char* text, const char* caption, int kind, int type) {
  Rec.messages.push_back({text ? text : "", caption ? caption : "", kind, type});
  if (Rec.whileBoxUp) Rec.whileBoxUp();
  if (type == HOST_OK) return HOST_IDOK;
  if (!Rec.answers.empty()) {
    int a = Rec.answers.front();
    Rec.answers.pop_front();
    return a;
  }
  return (type == HOST_OKCANCEL) ? HOST_IDOK : HOST_IDYES;
}
void RecStatus(const char* text) { Rec.statuses.push_back(text ? text : ""); }
void RecProgress(long done, long total) { Rec.progress.push_back({done, total}); }
int RecAbortPoll() {
  int n = Rec.polls++;
  return (Rec.abortAfterPolls >= 0 && n >= Rec.abortAfterPolls) ? 1 : 0;
}
void RecPause(int ms) { Rec.pauses.push_back(ms); }

const HostOps kRecOps = {RecMsgBox, RecStatus, RecProgress, RecAbortPoll, RecPause};

}  // namespace

HostRecord& HostRecordInstall() {
  Rec = HostRecord();
  HostSet(&kRecOps);
  return Rec;
}

void HostRecordRemove() { HostSet(nullptr); }

HostRecord& HostRecordGet() { return Rec; }

std::vector<std::string> HostRecordTexts() {
  std::vector<std::string> out;
  for (const auto& m : Rec.messages) out.push_back(m.text);
  return out;
}
