#include "namecheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host.h"
#include "host_record.h"

namespace {

struct NameCheck : ::testing::Test {
  void SetUp() override { HostRecordInstall(); }
  void TearDown() override { HostRecordRemove(); }
};

TEST_F(NameCheck, FaultsAreEachReportedAndTheCheckGoesOn) {
  struct Case {
    const char* name;
    int star;
    int result;
    std::vector<std::string> messages;
  } cases[] = {
      {"INV", 0, 0, {}},
      {"", 0, 0, {}},
      {"*", 1, 0, {}},
      {"*", 0, 1, {"Illegal Character \"*\" in Cellname"}},
      {"A.B", 0, 1, {"Illegal Character \".\" in Cellname"}},
      {"A B.", 0, 1, {"Illegal Character \" \" in Cellname", "Illegal Character \".\" in Cellname"}},
      {"con", 0, 1, {"Reserved or Incorrect Cellname \"con\""}},
      {"A\x01" "B\xe9", 0, 1, {"Illegal Character \"0x01\" in Cellname", "Illegal Character \"0xe9\" in Cellname"}},
      {"AB\x7f", 0, 1, {"Illegal Character \"0x7f\" in Cellname"}},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", 0, 1, {"Cellname \"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456\" is too Long"}},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", 0, 0, {}},
  };
  for (const Case& c : cases) {
    HostRecord& rec = HostRecordInstall();
    EXPECT_EQ(CellNameCheck(c.name, c.star), c.result) << c.name;
    EXPECT_EQ(HostRecordTexts(), c.messages) << c.name;
    for (const HostMessage& m : rec.messages) EXPECT_EQ(m.captionKind, HOST_CAP_PROGRAM);
  }
}

TEST_F(NameCheck, EveryIllegalCharacterAndReservedName) {
  for (char c : std::string(" \"*+'`./:;<=>?\\|()%")) {
    std::string name = std::string("A") + c + "B";
    EXPECT_EQ(CellNameValid(name.c_str()), 0) << name;
  }
  const char* reserved[] = {"P",     "b",      "CON",    "prn",      "AUX",       "NUL",       "CLOCK$",
                            "COM1",  "com9",   "LPT1",   "LPT9",     "Copybkup",  "LOADBKUP",  "UFILE0",
                            "UFILE9", "QUIL7", "quil7",  "Undobkup0", "UNDOBKUP9", "Redobkup0", "redobkup9"};
  for (const char* r : reserved) EXPECT_EQ(CellNameValid(r), 0) << r;
  const char* fine[] = {"COM0", "COM10", "LPT", "UFILE", "UFILE10", "Undobkup", "Undobkup10", "QUIL", "PP", "INV_2", "A-B", "NMOS"};
  for (const char* f : fine) EXPECT_EQ(CellNameValid(f), 1) << f;
  EXPECT_EQ(CellNameValid(""), 0);
  EXPECT_TRUE(HostRecordTexts().empty());  // the quiet check shows nothing
}

TEST_F(NameCheck, FileWording) {
  EXPECT_EQ(FileNameCheck("a:b"), 1);
  EXPECT_EQ(FileNameCheck("NUL"), 1);
  EXPECT_EQ(FileNameCheck(std::string(33, 'F').c_str()), 1);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>{"Illegal Character \":\" in Filename",
                                                         "Reserved or Incorrect Filename \"NUL\"",
                                                         "File Cellname \"" + std::string(33, 'F') + "\" is too Long"}));
}

}  // namespace
