#include "helprun.h"

#include <gtest/gtest.h>

#include <string>

#include "satutil.h"

namespace {

TEST(HelpRun, TargetAndViewerLine) {
  struct Case {
    const char* what;
    const char* arg;
    const char* cmdLine;  // the program's own command line, for its drive
    const char* windows;
    const char* target;
    const char* line;
  } cases[] = {
      {"no argument, program on drive D", "", "D:\\QUIL7\\HELPRUN7.EXE", "C:\\windows",
       "D:\\QUIL7\\HELP\\QUILHELP.CHM", "C:\\windows\\HH.EXE D:\\QUIL7\\HELP\\QUILHELP.CHM"},
      {"lower-case drive letter", nullptr, "\"e:\\quil7\\helprun7.exe\"", "C:\\windows",
       "E:\\QUIL7\\HELP\\QUILHELP.CHM", "C:\\windows\\HH.EXE E:\\QUIL7\\HELP\\QUILHELP.CHM"},
      {"no drive letter", "", "helprun7.exe", "C:\\windows", "\\QUIL7\\HELP\\QUILHELP.CHM",
       "C:\\windows\\HH.EXE \\QUIL7\\HELP\\QUILHELP.CHM"},
      {"argument with blanks", "C:\\My Help\\QUILHELP.CHM::/QUILDRC.HTM", "C:\\QUIL7\\HELPRUN7.EXE",
       "C:\\windows", "C:\\My Help\\QUILHELP.CHM::/QUILDRC.HTM",
       "C:\\windows\\HH.EXE C:\\My Help\\QUILHELP.CHM::/QUILDRC.HTM"},
      {"Windows folder with a blank", "x.chm", "C:\\a.exe", "C:\\Program Files\\win", "x.chm",
       "\"C:\\Program Files\\win\\HH.EXE\" x.chm"},
  };
  for (const Case& c : cases) {
    char drive[3];
    ProgDriveFrom(c.cmdLine, drive);
    char target[HELP_PATHLEN], viewer[HELP_PATHLEN], line[2 * HELP_PATHLEN + 8];
    ASSERT_EQ(HelpTarget(c.arg, drive, target, sizeof target), 1) << c.what;
    EXPECT_STREQ(target, c.target) << c.what;
    ASSERT_EQ(HelpViewerLine(c.windows, target, viewer, sizeof viewer, line, sizeof line), 1) << c.what;
    EXPECT_STREQ(line, c.line) << c.what;
  }
  // Too long for the buffers: refused, never cut into another file's name.
  std::string longArg(400, 'a');
  char target[HELP_PATHLEN], viewer[HELP_PATHLEN], line[2 * HELP_PATHLEN + 8];
  EXPECT_EQ(HelpTarget(longArg.c_str(), "C:", target, sizeof target), 0);
  EXPECT_EQ(HelpViewerLine(longArg.c_str(), "x", viewer, sizeof viewer, line, sizeof line), 0);
}

}  // namespace
