// Settings files, the cell reference list and the folder checks of the
// satellites.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "host.h"
#include "host_record.h"
#include "satlib.h"
#include "satsetup.h"
#include "satutil.h"
#include "small_fs.h"
#include "temp_folder.h"

namespace fs = std::filesystem;

namespace {

const char* const kKeys[] = {"mcn=", "ltc=", "flt=", "lft=", nullptr};
const char* const kDefaults[] = {"?", "-", "Y", "0"};
char Fonts[4][64];
char Omit[2][32];
SatUsfList kLists[] = {{"font", 4, 64, &Fonts[0][0]}, {"omit", 2, 32, &Omit[0][0]}, {nullptr, 0, 0, nullptr}};
int Applied = 0;
int ProgState = 0;  // what the program gives the frame as its hooks' state
void* AppliedOn = nullptr;
void Apply(void* st, int flag) {
  Applied = 10 + flag;
  AppliedOn = st;
}

const SatProgram kProg = {"TestProg", "TestProg7", "TESTPROG", "TESTPROGAC", "TEST.HTM", "", {0, 0},
                          kKeys, kDefaults, kLists, Apply, nullptr, nullptr, nullptr, 0, &SatEditionPlain,
                          nullptr};

void Fresh() {
  SatProgramSet(&kProg, &ProgState);
  SatSetupReset();
  CellInfoReset();
  HostRecordInstall();
  Applied = 0;
  AppliedOn = nullptr;
}

}  // namespace

TEST(UsfMain, KeysAreTakenCaseInsensitivelyAndScaleAsANumber) {
  struct Case {
    const char* file;
    double scale;
    const char* unit;
    int winemods;
  } cases[] = {
      {"scale=\nphysunit=nm\n", 1000, "nm", 0},
      {"SCALE=1000\n", 1000, "um", 0},
      {"scale=0.5\n", 0.5, "um", 0},
      {"scale=2500\nwinemods=1\nstdmsgbox=0\n", 2500, "um", 1},
      {"winemods=\nscale=abc\n", 1000, "um", 0},
  };
  for (const Case& c : cases) {
    TempFolder t;
    t.Write("QUIL7.USF", c.file);
    Fresh();
    EXPECT_EQ(UsfMainRead(), 0);
    EXPECT_DOUBLE_EQ(SatSetup.scale, c.scale) << c.file;
    EXPECT_STREQ(SatSetup.physunit, c.unit) << c.file;
    EXPECT_EQ(SatSetup.winemods, c.winemods) << c.file;
  }
  TempFolder t;
  Fresh();
  EXPECT_EQ(UsfMainRead(), 1);
}

TEST(Usf, SettingsRoundTripWithTheKeyTableAndLists) {
  TempFolder t;
  t.Write("TestProg.usf",
          "MCN=inv1\nltc=\nflt=y\nrdp12=C:\\Tools\\App.exe\nrdp1=x\nrdf0=top.tlc\nfont2=C:\\F\\a.tff\n"
          "omit1=TMP\nomit5=LOST\nunknown=1\n");
  Fresh();
  EXPECT_EQ(UsfRead(), 0);
  EXPECT_EQ(Applied, 10);  // SetupApply (0) after reading
  EXPECT_EQ(AppliedOn, &ProgState);
  EXPECT_STREQ(UsfSlot(0), "inv1");
  EXPECT_STREQ(UsfSlot(1), "");  // the key alone empties the slot
  EXPECT_EQ(UsfFlag(2), 1);
  EXPECT_STREQ(UsfSlot(2), "Y");
  EXPECT_STREQ(UsfSlot(3), "0");  // default kept
  EXPECT_STREQ(SatFrame.recentApp[12], "C:\\Tools\\App.exe");
  EXPECT_STREQ(SatFrame.recentApp[1], "x");
  EXPECT_STREQ(SatFrame.recentApp[0], "");
  EXPECT_STREQ(SatFrame.recentFile[0], "top.tlc");
  EXPECT_STREQ(Fonts[2], "C:\\F\\a.tff");
  EXPECT_STREQ(Omit[1], "TMP");
  // omit5 does not fit the table of two: refused with a message, not stored.
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"Too Many omit Entries in TestProg.usf ... 2 Kept"});

  EXPECT_EQ(UsfWrite(), 0);
  std::string written = t.Read("TestProg.usf");
  EXPECT_NE(written.find("mcn=inv1\nltc=\nflt=Y\nlft=0\nrdp0=\nrdf0=top.tlc\nrdp1=x\n"), std::string::npos) << written;
  EXPECT_NE(written.find("rdp12=C:\\Tools\\App.exe\n"), std::string::npos);
  EXPECT_NE(written.find("rdf15=\n"), std::string::npos);
  EXPECT_NE(written.find("font2=C:\\F\\a.tff\nomit1=TMP\n"), std::string::npos);
  // Reading back what was written gives the same slots.
  Fresh();
  EXPECT_EQ(UsfRead(), 0);
  EXPECT_STREQ(UsfSlot(0), "inv1");
  EXPECT_STREQ(SatFrame.recentApp[12], "C:\\Tools\\App.exe");
  EXPECT_STREQ(Omit[1], "TMP");
  // A flag that is not Y becomes N.
  snprintf(UsfSlot(2), SAT_SLOT_SIZE, "maybe");
  EXPECT_EQ(UsfFlag(2), 0);
  EXPECT_STREQ(UsfSlot(2), "N");
}

TEST(Usf, LongLinesAreCutNotOverrun) {
  TempFolder t;
  t.Write("TestProg.usf", "mcn=" + std::string(600, 'z') + "\nltc=1-3\n");
  Fresh();
  EXPECT_EQ(UsfRead(), 0);
  EXPECT_EQ(strlen(UsfSlot(0)), 251u);  // 255 characters of line, less the key
  EXPECT_STREQ(UsfSlot(1), "1-3");
}

TEST(Recent, ListsKeepSixteenMostRecentFirst) {
  char list[16][260] = {};
  for (int i = 0; i < 16; ++i) snprintf(list[i], 260, "app%d", i);
  RecentPush(list, "app5");
  EXPECT_STREQ(list[0], "app5");
  EXPECT_STREQ(list[1], "app0");
  EXPECT_STREQ(list[5], "app4");
  EXPECT_STREQ(list[6], "app6");
  RecentPush(list, "new");
  EXPECT_STREQ(list[0], "new");
  EXPECT_STREQ(list[15], "app14");  // app15 dropped
  RecentPush(list, "APP3");         // matched without case, written as typed
  EXPECT_STREQ(list[0], "APP3");
  EXPECT_STREQ(list[1], "new");
  RecentPush(list, "");
  EXPECT_STREQ(list[0], "APP3");
  EXPECT_EQ(RecentDelete(list, "new"), 1);
  EXPECT_STREQ(list[1], "app5");
  EXPECT_STREQ(list[15], "");
  EXPECT_EQ(RecentDelete(list, "absent"), 0);
  RecentClean(list);
  EXPECT_STREQ(list[0], "");
}

TEST(Crf, CellListIsReadWithItsChecks) {
  struct Case {
    const char* file;
    int count;
    const char* warning;
  } cases[] = {
      {"2\ninv1\n1 0 0 10 20 1 2 3 0\nTOP\n2 -5 -5 5 5 0 0 0 1\n\n", 2, nullptr},
      {"3\nA\n1 0 0 1 1\nB\n30 0 0 1 1\nC\n2 0 0 1 1\n", 2, "CELLS7.CRF File Error ... Keeping Valid Cells"},
      {"5\nA\n1 0 0 1 1\n", 1, "CELLS7.CRF File Error ... Keeping Valid Cells"},
  };
  for (const Case& c : cases) {
    TempFolder t;
    t.Write("QUIL7.CRF", c.file);
    Fresh();
    EXPECT_EQ(SatCrfRead(), 0);
    EXPECT_EQ(Cells.count, c.count) << c.file;
    EXPECT_EQ(HostRecordTexts().empty(), c.warning == nullptr) << c.file;
    if (c.warning) {
      EXPECT_EQ(HostRecordTexts()[0], c.warning);
    }
  }
  {
    // A bad entry is left out; the valid ones after it keep their order.
    TempFolder t;
    t.Write("QUIL7.CRF", cases[1].file);
    Fresh();
    SatCrfRead();
    EXPECT_STREQ(Cells.cell[2].name, "C");
    EXPECT_EQ(GetCinfo("c"), 2);
    EXPECT_EQ(Cells.curRank, 2);
    EXPECT_STREQ(CellInfoText(2), "C (2)");
  }
  {
    TempFolder t;
    t.Write("QUIL7.CRF", cases[0].file);
    Fresh();
    SatCrfRead();
    EXPECT_EQ(GetCinfo("inv1"), 1);
    EXPECT_STREQ(Cells.curName, "INV1");
    EXPECT_EQ(Cells.cell[1].r, 10);
    EXPECT_EQ(Cells.cell[1].nv, 3);
    EXPECT_EQ(GetCinfo("nope"), 0);
    EXPECT_EQ(CellExists("nope", 0), 0);
    EXPECT_EQ(HostRecordTexts().back(), "Cell \"nope\" does Not Exist");
    EXPECT_EQ(CellExists("*", 1), 1);
    EXPECT_EQ(CellExists("*", 0), 0);
  }
  {
    // More cells than the table holds: a message, and the table is not overrun.
    TempFolder t;
    std::string f = "8200\n";
    for (int i = 0; i < 8200; ++i) f += "C" + std::to_string(i) + "\n1 0 0 1 1\n";
    t.Write("QUIL7.CRF", f);
    Fresh();
    SatCrfRead();
    EXPECT_EQ(Cells.count, CELL_INFO_MAX);
    EXPECT_EQ(HostRecordTexts().back(), "Too Many Cells in Cell Reference File ... 8190 Kept");
  }
  {
    TempFolder t;
    t.Write("CELLS6.DBD", "1\nOLD\n1 0 0 1 1\n");
    Fresh();
    EXPECT_EQ(SatCrfRead(), 0);
    EXPECT_EQ(GetCinfo("OLD"), 1);
  }
  TempFolder t;
  Fresh();
  EXPECT_EQ(SatCrfRead(), 1);
}

// Names that would lead a path out of the drawing folder, onto a device, or
// onto another cell once cut: each entry is dropped (the list warns) and the
// good entry after it is kept.
TEST(Crf, HostileNamesNeverEnterTheCellList) {
  const std::string hostile[] = {"..\\LEAF", "../LEAF", "C:\\x", "\\\\server\\x", "CON", "nul", "COM1", "AUX",
                                 "a:b", "a*", "a?", std::string("A\x01") + "B", "A\x7f" "B",
                                 std::string(33, 'L'), ""};
  for (const std::string& name : hostile) {
    TempFolder t;
    t.Write("QUIL7.CRF", "2\n" + name + "\n1 0 0 1 1\nGOOD\n1 0 0 1 1\n");
    Fresh();
    EXPECT_EQ(SatCrfRead(), 0);
    ASSERT_EQ(Cells.count, 1) << name;
    EXPECT_STREQ(Cells.cell[1].name, "GOOD") << name;
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"CELLS7.CRF File Error ... Keeping Valid Cells"}) << name;
  }
}

TEST(Folder, FolderMakeSaysWhatHappened) {
  TempFolder t;
  Fresh();
  EXPECT_EQ(FolderMake(".\\Out_files\\"), 1);
  EXPECT_TRUE(fs::is_directory("Out_files"));
  EXPECT_EQ(HostRecordTexts().back(), "Folder .\\Out_files\\ was Created");
  EXPECT_EQ(FolderMake(".\\OUT_FILES\\"), 1);  // there already: silent
  EXPECT_EQ(HostRecordTexts().size(), 1u);
  EXPECT_EQ(FolderMake(".\\No\\Such\\"), 0);
  EXPECT_EQ(HostRecordTexts().back(), "Folder .\\No\\Such\\ is Invalid");
  EXPECT_EQ(SatFrame.abortFlag, 1);
  EXPECT_EQ(FolderMake(""), 1);
  {
    // A read-only drawing: the folder can't be made there, and the message
    // says so rather than calling the name invalid.
    MountedFolder ro(64);
    if (ro.mounted && ro.MakeReadOnly()) {
      std::string dir = ro.path + "/X_files/";
      EXPECT_EQ(FolderMake(dir.c_str()), 0);
      EXPECT_EQ(HostRecordTexts().back(),
                "Folder " + dir + " can't be Created ... the Drawing Folder can't be Written");
    } else {
      std::cout << "read-only case skipped: " << (ro.mounted ? "remount refused" : ro.reason) << "\n";
    }
  }
  snprintf(SatFrame.startFolder, sizeof SatFrame.startFolder, "C:\\Work");
  SetupMissingShow();
  EXPECT_EQ(HostRecordTexts().back(),
            "The Current Folder is C:\\Work\n\nThe Main Setup File is Missing\n\nStart a QUIL Drawing to Create "
            "One\n\nThis Program Should Run from a Drawing Folder");
  CrfMissingShow();
  EXPECT_EQ(HostRecordGet().messages.back().captionKind, HOST_CAP_ERROR);
}

TEST(UsfSlots, EngineValuesFollowTheProgramKeys) {
  Fresh();
  char vals[6][8];
  memset(vals, 0, sizeof vals);
  UsfSlotsToValues(&vals[0][0], 8, 6);  // only the table's four keys
  EXPECT_STREQ(vals[0], "?");
  EXPECT_STREQ(vals[2], "Y");
  EXPECT_STREQ(vals[3], "0");
  EXPECT_STREQ(vals[4], "");
  snprintf(UsfSlot(1), SAT_SLOT_SIZE, "a longer value");
  UsfSlotsToValues(&vals[0][0], 8, 2);  // cut to the engine's size
  EXPECT_STREQ(vals[1], "a longe");
  snprintf(vals[0], 8, "top");
  snprintf(vals[3], 8, "12");
  snprintf(vals[4], 8, "beyond");
  UsfValuesToSlots(&vals[0][0], 8, 6);
  EXPECT_STREQ(UsfSlot(0), "top");
  EXPECT_STREQ(UsfSlot(3), "12");
  EXPECT_STREQ(UsfSlot(4), "");  // no key, no slot
  memset(vals[2], 'z', 8);       // an unterminated value is cut at its size
  UsfValuesToSlots(&vals[0][0], 8, 3);
  EXPECT_STREQ(UsfSlot(2), "zzzzzzzz");
  snprintf(vals[1], 8, "new");
  UsfValuesToSlots(&vals[0][0], 8, 1);  // fewer than the keys
  EXPECT_STREQ(UsfSlot(1), "a longe");
}
