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

// The command-line drivers read their messages from these lines and rely on
// the answer given: the ckt benchmark answers No to go on past a counted error.
TEST(Host, ConsoleWritesTaggedLinesAndAnswersAsSet) {
  for (int answer : {HOST_IDYES, HOST_IDNO}) {
    FILE* out = tmpfile();
    ASSERT_NE(out, nullptr);
    HostConsoleSet(out, answer);
    EXPECT_EQ(HostError("Disk Full"), HOST_IDOK);
    EXPECT_EQ(HostWarning("Scale"), HOST_IDOK);
    EXPECT_EQ(HostAskYesNo("Abort?", "QuilCkt"), answer);
    EXPECT_EQ(HostAskYesNoCancel("Save?", "QuilCkt"), answer);
    EXPECT_EQ(HostAbortPoll(), 0);
    rewind(out);
    char text[256] = {0};
    size_t n = fread(text, 1, sizeof text - 1, out);
    text[n] = '\0';
    EXPECT_STREQ(text, "error: Disk Full\nwarning: Scale\nnote: Abort?\nnote: Save?\n");
    fclose(out);
  }
  HostSet(nullptr);
}
