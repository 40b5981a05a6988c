#include "shellutil.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>


namespace {

TEST(FKeys, IndexRuleAndLineCap) {
  struct Case {
    int id, count, line;
  } cases[] = {
      {1400, 3, 1},   // F2
      {1402, 3, 3},   // F4
      {1403, 3, 0},   // F5 with three lines: nothing
      {1410, 11, 11},  // F12
      {1399, 11, 0},
      {1411, 11, 0},
      {1400, 0, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(FKeyLineIndex(c.id, c.count), c.line) << c.id;

  std::string eighty(80, 'f');
  char buf[SHELL_LINE_SIZE];
  FKeyLineCopy(buf, sizeof buf, eighty.c_str());
  EXPECT_EQ(strlen(buf), 79u);
  FKeyLineCopy(buf, sizeof buf, nullptr);
  EXPECT_STREQ(buf, "");
}

TEST(CmdLine, AcceptsAtMost79CharactersAndRefusesLongerLinesWhole) {
  char buf[SHELL_LINE_SIZE];
  strcpy(buf, "before");
  std::string line79 = "zoom " + std::string(74, '0');
  std::string line80 = line79 + "1";
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, line80.c_str(), line80.size() + 1), 0);
  EXPECT_STREQ(buf, "before");  // untouched
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, line79.c_str(), line79.size() + 1), 1);
  EXPECT_EQ(std::string(buf), line79);
  // The text ends at the first NUL or at cbData, whichever comes first.
  const char data[] = "zoom 0,0 1,1\0garbage";
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, data, sizeof data), 1);
  EXPECT_STREQ(buf, "zoom 0,0 1,1");
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, "Fit and more", 3), 1);
  EXPECT_STREQ(buf, "Fit");
  // A sender that forgot the NUL but stays under the limit still works;
  // one whose bytes run past the limit is refused.
  std::string noNul(120, 'x');
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, noNul.data(), noNul.size()), 0);
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, nullptr, 10), 0);
  EXPECT_EQ(CmdLineAccept(buf, sizeof buf, "", 0), 1);
  EXPECT_STREQ(buf, "");
}

TEST(InfoTexts, CtrlABAndD) {
  char text[1400];
  InfoAllocText(text, sizeof text, "Windows 10 ", "C:\\Quil7\\", 0);
  std::string a = text;
  EXPECT_EQ(a.rfind("Version 7.0.91 beta2\nRunning on Windows 10 \n\nQuil System Path C:\\Quil7\\\n\n"
                    "Max Ranks: 24\nMax Cell Collection: 8190 Cells\n\nMax Objects/Cell:\n    5000000 Boxes\n",
                    0),
            0u);
  EXPECT_NE(a.find("    Max Draw Width +/- 536870912 units\n    TLC Line Max Characters 255\n"), std::string::npos);
  EXPECT_NE(a.find("Text Max Characters 64  Min Size 15 units  Max size 9830400 units\n"), std::string::npos);
  const std::string tail = "    Poly/Paths Max Segments 1023  Min Width 0/2 units  Max Width 1048576 units";
  EXPECT_EQ(a.substr(a.size() - tail.size()), tail);
  EXPECT_EQ(a.size() - tail.size(), a.rfind("\n") + 1);
  InfoAllocText(text, sizeof text, "Windows 10 ", "C:\\Quil7\\", 1);
  EXPECT_EQ(std::string(text), a + "\n\nWine Mode is On");

  BuildHistoryText(text, sizeof text, "04/01/2024");
  EXPECT_STREQ(text, "Version 7.0.91\n\nBuild Date 04/01/2024");

  ObjectInfoText(text, sizeof text, 1, 2, 3, 4);
  EXPECT_STREQ(text,
               "Objects Drawn:\n    Boxes 1\n    Paths 2\n    Text 3\n    Cells 4\n\nObject Record "
               "Size:\n    Box 20  Path 12  Vtx 16  Cell 12\n\nObject Records per Block:\n    Box 409  "
               "Path 682  Vtx 512  Cell 682");

  char small[16];  // bounded
  InfoAllocText(small, sizeof small, "W", "P", 1);
  EXPECT_EQ(strlen(small), 15u);
}

TEST(Window, SavedRectangleIsMadeSane) {
  struct Case {
    WinRect in, out;
  } cases[] = {
      {{10, 20, 500, 400}, {10, 20, 500, 400}},
      {{0, 0, 0, 0}, {0, 0, 1280, 980}},          // zero width: full screen
      {{100, 100, 50, 50}, {100, 100, 1280, 980}},
      {{-10, -5, 3000, 3000}, {0, 0, 1280, 1000}},  // capped, bottom may add the caption
      {{2000, 0, 2100, 500}, {0, 0, 1280, 500}},    // left past the capped right edge
  };
  for (const Case& c : cases) {
    WinRect r = c.in;
    WindowRectSanitize(&r, 1280, 980, 20);
    EXPECT_EQ(r.left, c.out.left);
    EXPECT_EQ(r.top, c.out.top);
    EXPECT_EQ(r.right, c.out.right);
    EXPECT_EQ(r.bottom, c.out.bottom);
  }
}

TEST(Layout, ToolClassesPanelLayoutsAndTemplates) {
  const int screens[][2] = {{640, 0}, {641, 1}, {800, 1}, {801, 2}, {1024, 2}, {1025, 3}};
  for (const auto& s : screens) EXPECT_EQ(ToolClassOfScreen(s[0]), s[1]) << s[0];

  const int widths[4] = {570, 726, 870, 870};
  EXPECT_EQ(ToolClassPick(widths, 500), 0);  // narrower than every strip
  EXPECT_EQ(ToolClassPick(widths, 700), 0);
  EXPECT_EQ(ToolClassPick(widths, 800), 1);
  EXPECT_EQ(ToolClassPick(widths, 870), 1);
  EXPECT_EQ(ToolClassPick(widths, 871), 3);

  const int heights[6] = {400, 480, 550, 640, 710, 780};
  EXPECT_EQ(PanelLayoutPick(heights, 100), 0);  // too low for all
  EXPECT_EQ(PanelLayoutPick(heights, 481), 1);
  EXPECT_EQ(PanelLayoutPick(heights, 2000), 5);

  char a[16], b[16];
  ToolbarTemplate(a, sizeof a, 2, 1);
  EXPECT_STREQ(a, "TOOLBAR4");
  ToolbarTemplate(a, sizeof a, 3, 0);
  EXPECT_STREQ(a, "TOOLBAR7");
  ToolbarTemplate(a, sizeof a, 9, 1);
  EXPECT_STREQ(a, "TOOLBAR1");
  MenuTemplates(a, b, sizeof a, 5);
  EXPECT_STREQ(a, "MENUBTNS10");
  EXPECT_STREQ(b, "MENUBTNS11");
}

TEST(Layout, DrawingAreaSidesAndEmptyAreas) {
  LayoutArea a;
  DrawAreaCompute({0, 0, 1000, 700, 30, 40, 100, 0}, &a);
  EXPECT_EQ(a.left, 8);
  EXPECT_EQ(a.right, 900);
  EXPECT_EQ(a.top, 30);
  EXPECT_EQ(a.bottom, 660);
  EXPECT_EQ(a.ox, 454);
  EXPECT_EQ(a.oy, 345);
  EXPECT_DOUBLE_EQ(a.aspect, 630.0 / 892.0);
  EXPECT_FALSE(a.empty);
  DrawAreaCompute({0, 0, 1000, 700, 30, 40, 100, 1}, &a);  // panel on the left
  EXPECT_EQ(a.left, 100);
  EXPECT_EQ(a.right, 992);
  DrawAreaCompute({0, 0, 0, 0, 30, 40, 100, 0}, &a);  // minimised
  EXPECT_TRUE(a.empty);
  EXPECT_DOUBLE_EQ(a.aspect, 1.0);
  DrawAreaCompute({0, 0, 108, 500, 30, 40, 100, 0}, &a);  // no width left
  EXPECT_TRUE(a.empty);
}

TEST(Args, CellFileArgumentGivesFolderAndCell) {
  struct Case {
    const char* arg;
    int ok;
    const char* folder;
    const char* cell;
  } cases[] = {
      {"D:\\work\\chip\\INV.tlc", 1, "D:\\work\\chip", "INV"},
      {"\"D:\\work\\chip\\inv.tlc\"", 1, "D:\\work\\chip", "INV"},
      {"\"C:\\My Chips\\nand2.TLC\" ", 1, "C:\\My Chips", "NAND2"},
      {"C:\\top.tlc", 1, "C:\\", "TOP"},
      {"INV.tlc", 1, "", "INV"},
      {"", 0, "", ""},
      {"  ", 0, "", ""},
  };
  for (const Case& c : cases) {
    char folder[SHELL_PATH_SIZE], cell[SHELL_PATH_SIZE];
    EXPECT_EQ(ArgCellSplit(c.arg, folder, sizeof folder, cell, sizeof cell), c.ok) << c.arg;
    EXPECT_STREQ(folder, c.folder) << c.arg;
    EXPECT_STREQ(cell, c.cell) << c.arg;
  }
  std::string huge(1000, 'a');
  char folder[SHELL_PATH_SIZE], cell[8];
  EXPECT_EQ(ArgCellSplit(huge.c_str(), folder, sizeof folder, cell, sizeof cell), 1);
  EXPECT_EQ(strlen(cell), 7u);
}

TEST(Args, FoldersPathsAndNames) {
  char out[SHELL_PATH_SIZE];
  ModuleFolder(out, sizeof out, "C:\\Program Files\\Quil 7\\QUIL7.EXE");
  EXPECT_STREQ(out, "C:\\Program Files\\Quil 7\\");
  DirNoSlash(out, sizeof out, "C:\\a\\");
  EXPECT_STREQ(out, "C:\\a");
  DirNoSlash(out, sizeof out, "C:\\a");
  EXPECT_STREQ(out, "C:\\a");
  ArgPathUnquote(out, sizeof out, "\"a\"b\"");
  EXPECT_STREQ(out, "ab");
  ArgPathUnquote(out, sizeof out, nullptr);
  EXPECT_STREQ(out, "");

  EXPECT_TRUE(IsInstallFolder("C:\\quil7"));
  EXPECT_TRUE(IsInstallFolder("d:\\QUIL7\\"));
  EXPECT_FALSE(IsInstallFolder("C:\\quil7x"));
  EXPECT_FALSE(IsInstallFolder("C:\\work\\quil7"));

  EXPECT_TRUE(SystemDriveOf(out, sizeof out, "C:\\windows"));
  EXPECT_STREQ(out, "C:");
  EXPECT_FALSE(SystemDriveOf(out, sizeof out, "\\\\server\\win"));
  EXPECT_STREQ(out, "");
}

TEST(Args, RunMutexIsPerDrawingAndTempFolderPerEditor) {
  char a[64], b[64], c[64];
  RunMutexName(a, sizeof a, "C:\\Work\\Chip");
  RunMutexName(b, sizeof b, "c:\\work\\chip\\");
  RunMutexName(c, sizeof c, "C:\\Work\\Other");
  EXPECT_STREQ(a, b);
  EXPECT_STRNE(a, c);
  EXPECT_EQ(strchr(a, '\\'), nullptr);

  char t1[SHELL_PATH_SIZE], t2[SHELL_PATH_SIZE], parent[SHELL_PATH_SIZE];
  TempFolderName(t1, sizeof t1, parent, sizeof parent, "C:", 12);
  TempFolderName(t2, sizeof t2, parent, sizeof parent, "C:", 13);
  EXPECT_STREQ(t1, "C:\\QuilTempFiles\\12\\");
  EXPECT_STRNE(t1, t2);
  EXPECT_STREQ(parent, "C:\\QuilTempFiles");
  TempFolderName(t1, sizeof t1, parent, sizeof parent, "", 12);
  EXPECT_STREQ(t1, "");  // the drawing folder itself
}

TEST(Toggles, KeysButtonsAndChecks) {
  EXPECT_EQ(ToggleKeyOf('t').bits, 0x200u);
  EXPECT_EQ(ToggleKeyOf('T').redraw, 1);
  EXPECT_EQ(ToggleKeyOf('A').redraw, 0);
  EXPECT_EQ(ToggleKeyOf('D').bits, 0x4u);
  EXPECT_EQ(ToggleKeyOf('q').bits, 0u);
  EXPECT_EQ(ToggleButtonOf(700).mode, 1);
  EXPECT_EQ(ToggleButtonOf(701).mode, 2);
  EXPECT_EQ(ToggleButtonOf(707).mode, 4);
  EXPECT_EQ(ToggleButtonOf(709).bits, 0x200u);
  EXPECT_EQ(ToggleButtonOf(711).mode, 0);
  struct Case {
    int id;
    uint32_t togs;
    int checked;
  } cases[] = {{700, 0x1, 1}, {701, 0x1, 0}, {701, 0, 1}, {702, 0x2, 1}, {708, 0x80, 1},
               {707, 0x40, 1}, {709, 0x200, 1}, {709, 0x100, 0}, {710, 0x400, 1}, {703, 0x2, 0}};
  for (const Case& c : cases) EXPECT_EQ(ToggleChecked(c.id, c.togs), c.checked) << c.id;
}

TEST(RunLists, MostRecentFirstWithoutDoubles) {
  char list[RUN_LIST_MAX][SHELL_PATH_SIZE] = {};
  for (int i = 0; i < RUN_LIST_MAX; ++i) snprintf(list[i], sizeof list[i], "app%d", i);
  RunListPush(list, "APP5");  // entry 5 to the front, written as typed
  EXPECT_STREQ(list[0], "APP5");
  EXPECT_STREQ(list[1], "app0");
  EXPECT_STREQ(list[5], "app4");
  EXPECT_STREQ(list[6], "app6");
  RunListPush(list, "new");  // a full list drops its oldest entry
  EXPECT_STREQ(list[0], "new");
  EXPECT_STREQ(list[15], "app14");
  EXPECT_EQ(RunListDelete(list, "APP0"), 1);
  EXPECT_STREQ(list[2], "app1");
  EXPECT_STREQ(list[15], "");
  EXPECT_EQ(RunListDelete(list, "none"), 0);
  RunListClean(list);
  EXPECT_STREQ(list[0], "");
  std::string huge(400, 'x');
  RunListPush(list, huge.c_str());  // cut to its place
  EXPECT_EQ(strlen(list[0]), SHELL_PATH_SIZE - 1u);
}

TEST(RunLists, CommandLineAndUnixForm) {
  char line[64];
  EXPECT_EQ(RunLineForm(line, sizeof line, "Notepad.exe", "a.txt"), 1);
  EXPECT_STREQ(line, "Notepad.exe a.txt");
  EXPECT_EQ(RunLineForm(line, sizeof line, "C:\\Program Files\\ed.exe", ""), 1);
  EXPECT_STREQ(line, "\"C:\\Program Files\\ed.exe\" ");
  EXPECT_EQ(RunLineForm(line, sizeof line, "", "x"), 0);
  EXPECT_EQ(RunLineForm(line, 8, "Notepad.exe", ""), 0);
  EXPECT_STREQ(line, "");
  char out[64];
  UnixPathForm(out, sizeof out, "C:\\tools\\prog");
  EXPECT_STREQ(out, "/tools/prog");
}

TEST(Version, WindowsVersionTexts) {
  char t[64];
  EXPECT_EQ(SystemVersionText(t, sizeof t, 1, 10, 0, "SP1"), 11);
  EXPECT_STREQ(t, "Windows 10 SP1");
  EXPECT_EQ(SystemVersionText(t, sizeof t, 1, 5, 2, ""), 6);
  EXPECT_STREQ(t, "Windows XP  or Later");
  EXPECT_EQ(SystemVersionText(t, sizeof t, 1, 7, 0, ""), 0);
  EXPECT_STREQ(t, "Unknown Windows Version");
  EXPECT_EQ(SystemVersionText(t, sizeof t, 0, 4, 0, ""), 0);
}

}  // namespace
