// Recording double of the host seam: every message is kept, questions are
// answered from a script (first queued answer first; when the queue is empty
// a question gets its first button).
#ifndef QUIL_TESTS_HOST_RECORD_H
#define QUIL_TESTS_HOST_RECORD_H

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct HostMessage {
  std::string text;
  std::string caption;  // as given; empty when the kind decides the caption
  int captionKind;
  int type;
};

struct HostRecord {
  std::vector<HostMessage> messages;
  std::vector<std::string> statuses;
  std::vector<std::pair<long, long>> progress;
  std::vector<int> pauses;
  std::deque<int> answers;  // HOST_ID* values handed out in order
  int abortAfterPolls = -1; // the poll that returns 1 (0 = first); -1 never
  int polls = 0;
  // Runs while a box is up, as a modal loop dispatches what was posted.
  std::function<void()> whileBoxUp;
};

// Installs the double with a fresh record and returns it.
HostRecord& HostRecordInstall();
// Uninstalls it (the silent default returns).
void HostRecordRemove();
HostRecord& HostRecordGet();

// Texts of all messages, in order: handy for EXPECT_THAT.
std::vector<std::string> HostRecordTexts();

#endif
