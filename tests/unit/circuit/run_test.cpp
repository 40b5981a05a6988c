#include <gtest/gtest.h>

#include <string>

#include "ckt_support.h"

namespace {

using namespace ckttest;

TEST(CktRun, ListIsCappedButTheLogKeepsEveryLine) {
  Engine e;
  CktState& st = e.st;
  char path[] = "/tmp/ckt_log_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  st.run.log = QFile(fdopen(fd, "w"));
  for (int i = 0; i < 20100; i++) LogList(st, ("line " + std::to_string(i)).c_str(), 3);
  QFileClose(&st.run.log);
  std::string log = ReadAll(path);
  EXPECT_NE(log.find("line 20099\n"), std::string::npos);
  EXPECT_EQ(e.rec->statuses.size(), 20001u);  // the list stops at its cap
  remove(path);
}

TEST(CktRun, CountedErrorsAskWhetherToAbort) {
  Engine e;
  CktState& st = e.st;
  char path[] = "/tmp/ckt_log_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  st.run.log = QFile(fdopen(fd, "w"));
  e.rec->answers = {HOST_IDNO, HOST_IDYES};
  EXPECT_EQ(ErrorCount(st, "First", 0), 0);
  EXPECT_EQ(st.run.abortFlag, 0);
  EXPECT_EQ(ErrorCount(st, "Second", 0), 1);
  EXPECT_EQ(st.run.abortFlag, 1);
  EXPECT_EQ(st.run.errCount, 2);
  ASSERT_EQ(e.rec->messages.size(), 2u);
  EXPECT_EQ(e.rec->messages[0].text, "First\n\nAbort Compile ?");
  EXPECT_EQ(e.rec->messages[0].captionKind, HOST_CAP_ERROR);
  EXPECT_EQ(e.rec->messages[0].type, HOST_YESNO);
  CktRunBegin(st);
  EXPECT_EQ(ErrorCount(st, "Broken", 1), 1);
  EXPECT_EQ(e.rec->messages[2].caption, "Fatal Error ...");
  QFileClose(&st.run.log);
  EXPECT_NE(ReadAll(path).find("\nERROR ... First\n"), std::string::npos);
  remove(path);
}

TEST(CktRun, AbortNeedsBothConfirmations) {
  Engine e;
  CktState& st = e.st;
  e.rec->abortAfterPolls = 0;
  e.rec->answers = {HOST_IDYES, HOST_IDNO};
  EXPECT_EQ(AbortPoll(st, 10), 0);  // the second question said No
  e.rec->answers = {HOST_IDYES, HOST_IDYES};
  EXPECT_EQ(AbortPoll(st, 10), 1);
  EXPECT_EQ(e.Count("You Sure ... Work will be Lost ?"), 2);
  EXPECT_EQ(AbortPoll(st, 10), 1);  // already set: not asked again
  EXPECT_EQ(e.Count("Abort Compile ... OK ?"), 2);
}

}  // namespace
