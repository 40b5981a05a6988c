// Path tidying, drive letters, command lines, line reading and the run log.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "host.h"
#include "host_record.h"
#include "satlib.h"
#include "satutil.h"

namespace fs = std::filesystem;

TEST(Path, PathFixTidiesNames) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"c:abc\\def.tlc", "C:\\Abc\\Def.tlc"},
      {"C:\\QUIL7\\HELP", "C:\\Quil7\\Help"},
      {".\\flat_FILES\\", ".\\Flat_files\\"},
      {"TOP_FLAT.tlc", "Top_flat.tlc"},
      {"", ""},
      {"x:", "X:\\"},
  };
  for (const Case& c : cases) EXPECT_STREQ(PathFix(c.in), c.out) << c.in;
  EXPECT_STREQ(PathFix(nullptr), "");
  std::string longPath = "c:" + std::string(257, 'a');  // 259 characters, 260 with the backslash
  EXPECT_STREQ(PathFix(longPath.c_str()), "");
  EXPECT_EQ(PathTooLong(), 1);
  EXPECT_EQ(strlen(PathFix(longPath.substr(0, 258).c_str())), 259u);
  EXPECT_EQ(PathTooLong(), 0);
}

TEST(Path, UnixFormSlashAndFull) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {{"C:\\tools\\prog", "/tools/prog"}, {"C:\\prog", "prog"}, {"prog", ""}, {"", ""}};
  for (const Case& c : cases) EXPECT_STREQ(PathToUnix(c.in), c.out) << c.in;
  char p[8] = "abc";
  EXPECT_EQ(PathSlash(p, sizeof p), 1);
  EXPECT_STREQ(p, "abc\\");
  EXPECT_EQ(PathSlash(p, sizeof p), 1);
  EXPECT_STREQ(p, "abc\\");
  char full[6] = "abcde";
  EXPECT_EQ(PathSlash(full, sizeof full), 0);
  EXPECT_EQ(PathDiffer("", ".\\"), 0);
  EXPECT_EQ(PathDiffer("", ".\\Flat_files\\"), 1);
  EXPECT_EQ(PathDiffer(".\\A\\..\\", ""), 0);
}

TEST(Path, DriveOfTheProgramsOwnPath) {
  struct Case {
    const char* cmdline;
    int result;
    const char* drive;
  } cases[] = {
      {"C:\\QUIL7\\QUILFLAT7.EXE", 1, "C:"},
      {"\"d:\\q\\QUILFLAT7.EXE\" arg", 1, "D:"},
      {"QUILFLAT7.EXE", 0, ""},
      {"1:\\x", 0, ""},
      {":start", 0, ""},  // a colon first on the line
      {"", 0, ""},
  };
  for (const Case& c : cases) {
    char drive[3] = "Q:";
    EXPECT_EQ(ProgDriveFrom(c.cmdline, drive), c.result) << c.cmdline;
    EXPECT_STREQ(drive, c.drive) << c.cmdline;
  }
}

TEST(Path, RunCommandLinesAreBoundedAndQuoted) {
  char out[64];
  EXPECT_EQ(RunCommandLine(out, sizeof out, "Notepad.exe", "a.txt"), 1);
  EXPECT_STREQ(out, "Notepad.exe a.txt");
  EXPECT_EQ(RunCommandLine(out, sizeof out, "C:\\Program Files\\Ed.exe", ""), 1);
  EXPECT_STREQ(out, "\"C:\\Program Files\\Ed.exe\" ");
  EXPECT_EQ(RunCommandLine(out, sizeof out, "\"C:\\A B\\e.exe\"", "x"), 1);
  EXPECT_STREQ(out, "\"C:\\A B\\e.exe\" x");
  EXPECT_EQ(RunCommandLine(out, sizeof out, "", "a.txt"), 0);  // no program: nothing to run
  EXPECT_EQ(RunCommandLine(out, sizeof out, "prog", std::string(70, 'x').c_str()), 0);
  EXPECT_STREQ(out, "");
}

TEST(Lines, GetLineAndClip) {
  char tmpl[] = "/tmp/quillineXXXXXX";
  int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  FILE* f = fdopen(fd, "w+");
  fputs(" \t  <B>  \r\n", f);
  fputs((std::string(300, 'y') + "\nnext\n").c_str(), f);
  fputs("last", f);
  rewind(f);
  char buf[256];
  ASSERT_TRUE(fGetLine(buf, sizeof buf, f));
  EXPECT_STREQ(strclip(buf, 0), "<B>");
  ASSERT_TRUE(fGetLine(buf, sizeof buf, f));
  EXPECT_EQ(strlen(buf), 255u);  // an overlong line is cut and its rest skipped
  ASSERT_TRUE(fGetLine(buf, sizeof buf, f));
  EXPECT_STREQ(strclip(buf, 0), "next");
  ASSERT_TRUE(fGetLine(buf, sizeof buf, f));
  EXPECT_STREQ(buf, "last");
  EXPECT_EQ(fGetLine(buf, sizeof buf, f), nullptr);
  EXPECT_EQ(closefile(f), 0);
  EXPECT_EQ(closefile(nullptr), 1);
  unlink(tmpl);
  char t[] = "abc\x80\x01 ";
  EXPECT_STREQ(strclip(t, 0), "abc");
  char u[] = "abcdef";
  EXPECT_STREQ(strclip(u, 3), "abc");
  EXPECT_EQ(strclip(nullptr, 3), nullptr);
}

namespace {

int ListLines = 0;
void St(int, const char*, int) {}
void Clr() { ListLines = 0; }
void Add(const char*) { ++ListLines; }
int Exists() { return 1; }
const SatDisplayOps kList = {St, Clr, Add, Exists};

}  // namespace

TEST(Log, ListIsCappedButTheLogKeepsEveryLine) {
  fs::path old = fs::current_path();
  char tmpl[] = "/tmp/quillogXXXXXX";
  fs::path dir = mkdtemp(tmpl);
  fs::current_path(dir);
  SatProgramSet(nullptr);
  HostRecordInstall();
  SatDisplaySet(&kList);
  ASSERT_EQ(LogOpen("Run.log"), 1);
  LogHeader("QuilFlat Conversion Log", "12/10/26", "13:00:00");
  for (int i = 0; i < 20100; ++i) LogList("line", 3);
  LogList("only log", 2);
  LogNote("Completed");
  EXPECT_EQ(LogClose(), 1);
  SatDisplaySet(nullptr);
  EXPECT_EQ(ListLines, 20001);
  std::ifstream f("Run.log");
  std::stringstream s;
  s << f.rdbuf();
  std::string log = s.str();
  EXPECT_EQ(log.rfind("*** QuilFlat Conversion Log  7.0.91  12/10/26  13:00:00\n\nNote: Read Text with Fixed Pitch Font\n\n", 0), 0u);
  size_t n = 0;
  for (size_t p = log.find("line\n"); p != std::string::npos; p = log.find("line\n", p + 1)) ++n;
  EXPECT_EQ(n, 20100u);
  EXPECT_NE(log.find("only log\n\nCompleted\n\n"), std::string::npos);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Completed"});
  fs::current_path(old);
  fs::remove_all(dir);
}

TEST(Log, AbortPollAndErrorsSetTheAbortFlag) {
  SatProgramSet(nullptr);
  HostRecord& r = HostRecordInstall();
  r.abortAfterPolls = 1;
  AbortPoll(10);
  EXPECT_EQ(SatFrame.abortFlag, 0);
  EXPECT_EQ(r.pauses, std::vector<int>{10});
  AbortPoll(10);
  EXPECT_EQ(SatFrame.abortFlag, 1);
  EXPECT_EQ(r.pauses.size(), 1u);  // no pause once aborted
  SatFrame.abortFlag = 0;
  WarningShow("w");
  EXPECT_EQ(SatFrame.abortFlag, 0);
  ErrorShow("e");
  EXPECT_EQ(SatFrame.abortFlag, 1);
  EXPECT_EQ(r.messages.back().captionKind, HOST_CAP_ERROR);
  MessageBoxPause("m", HOST_CAP_PROGRAM, HOST_OK);
  EXPECT_EQ(r.pauses.back(), 20);
}
