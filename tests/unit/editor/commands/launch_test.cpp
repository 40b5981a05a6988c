#include <gtest/gtest.h>

#include <string>

#include "launch.h"

namespace {

LaunchIn View(const char* cell) {
  LaunchIn in = {};
  in.programFolder = "C:\\Quil7\\";
  in.programDrive = "C:";
  in.cellName = cell;
  in.scale = 1000;
  in.cx = 12500;
  in.cy = -3000;
  in.width = 400000;
  in.left = -187500;
  in.bottom = -163000;
  in.right = 212500;
  in.top = 157000;
  in.helpTopic = "";
  return in;
}

TEST(Launcher, CommandLines) {
  struct Case {
    int id;
    const char* cell;
    const char* topic;
    int row;
    const char* line;
  } cases[] = {
      {309, "INV", "", 7, "C:\\Quil7\\QUILDRC7.EXE INV 12.5 -3 400"},
      {313, "INV", "", 12, "C:\\Quil7\\QUILHPGL7.EXE INV -187.5 -163 212.5 157"},
      {309, "", "", 7, "C:\\Quil7\\QUILDRC7.EXE "},
      {313, "", "", 12, "C:\\Quil7\\QUILHPGL7.EXE "},
      {302, "INV", "", 1, "C:\\Quil7\\GDSIN7.EXE "},
      {316, "INV", "", 15, "C:\\Quil7\\TFFBUILD7.EXE "},
      {10, "", "Grid", 0, "C:\\Quil7\\Helprun7.exe C:\\Quil7\\Help\\Quilhelp.chm::/Command.htm#Grid"},
      {10, "", "", 0, "C:\\Quil7\\Helprun7.exe C:\\Quil7\\Help\\Quilhelp.chm"},
      {301, "INV", "", -1, ""},
      {300, "INV", "", -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    LaunchIn in = View(c.cell);
    in.helpTopic = c.topic;
    LaunchLine out;
    EXPECT_EQ(SatLaunchLine(c.id, in, &out), c.row);
    EXPECT_EQ(std::string(out.commandLine), c.line);
    EXPECT_EQ(std::string(out.error), "");
  }
}

TEST(Launcher, EveryButtonHasItsProgramOnce) {
  for (int id = 302; id <= 316; ++id) {
    int rows = 0;
    for (const LaunchRow& r : LaunchTable) rows += r.id == id;
    EXPECT_EQ(rows, 1) << id;
  }
}

TEST(Launcher, WineMode) {
  LaunchIn in = View("INV");
  in.wineMode = 1;
  LaunchLine out;
  EXPECT_EQ(SatLaunchLine(10, in, &out), 0);
  EXPECT_EQ(std::string(out.error),
            "Use a Browser to read C:\\Quil7\\Help\\Quilhelp\\Quilhelp.htm when on Wine\n\nYou can start the Browser "
            "with the Run command or use it as a separate application");
  EXPECT_EQ(std::string(out.commandLine), "");
  EXPECT_EQ(SatLaunchLine(303, in, &out), 2);
  EXPECT_EQ(std::string(out.program).find('\\'), std::string::npos) << out.program;
  EXPECT_EQ(std::string(out.error), "");
}

}  // namespace
