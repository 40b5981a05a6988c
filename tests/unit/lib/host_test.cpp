#include "host.h"

#include <gtest/gtest.h>

#include "host_record.h"

namespace {

TEST(Host, DoubleRecordsMessagesAndAnswersFromItsScript) {
  HostRecord& rec = HostRecordInstall();
  rec.answers = {HOST_IDNO, HOST_IDCANCEL};
  EXPECT_EQ(HostError("Disk Full"), HOST_IDOK);
  EXPECT_EQ(HostAskYesNo("Save?", "Quil7"), HOST_IDNO);
  EXPECT_EQ(HostAskYesNoCancel("Really?", "Quil7"), HOST_IDCANCEL);
  EXPECT_EQ(HostAskYesNo("Again?", "Quil7"), HOST_IDYES);  // script exhausted
  ASSERT_EQ(rec.messages.size(), 4u);
  EXPECT_EQ(rec.messages[0].captionKind, HOST_CAP_ERROR);
  EXPECT_EQ(rec.messages[1].caption, "Quil7");
  EXPECT_EQ(HostRecordTexts()[2], "Really?");
  HostRecordRemove();
}

TEST(Host, AbortPollFiresFromTheScriptedPoll) {
  HostRecord& rec = HostRecordInstall();
  rec.abortAfterPolls = 2;
  EXPECT_EQ(HostAbortPoll(), 0);
  EXPECT_EQ(HostAbortPoll(), 0);
  EXPECT_EQ(HostAbortPoll(), 1);
  HostRecordRemove();
  EXPECT_EQ(HostAbortPoll(), 0);  // the silent default never aborts
}

}  // namespace
