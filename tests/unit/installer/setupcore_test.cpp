// The installer's window-free rules: the fixed zip lists, the bounded zip
// list, base names, the Windows version text and the path tidying.
#include "setupcore.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SetupLists, FixedNamesIgnoreCase) {
  struct Case {
    const char* name;
    int known, checked, noShortcut, help;
  };
  const Case cases[] = {
      {"Resource.zip", 1, 1, 1, 0},     {"UU.ZIP", 1, 0, 1, 0},          {"vizid.zip", 1, 1, 0, 0},
      {"Chars.zip", 1, 0, 0, 0},        {"TEACHLIB.zip", 1, 1, 0, 0},    {"Quilhelp.zip", 1, 1, 1, 1},
      {"teachlibhelp.zip", 1, 1, 1, 1}, {"Tutorhelp.zip", 1, 1, 1, 1},   {"quil_setup.zip", 1, 1, 1, 1},
      {"Extra.zip", 0, 0, 0, 0},        {"", 0, 0, 0, 0},                {"Vizid", 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SetupZipKnown(c.name), c.known) << c.name;
    EXPECT_EQ(SetupZipCheckedByDefault(c.name), c.checked) << c.name;
    EXPECT_EQ(SetupZipNoShortcut(c.name), c.noShortcut) << c.name;
    EXPECT_EQ(SetupZipIsHelp(c.name), c.help) << c.name;
  }
}

TEST(SetupLists, TheZipListIsBounded) {
  SetupZipList list;
  EXPECT_EQ(SetupZipListAdd(&list, "EXTRA.ZIP"), SETUP_LIST_ADDED);
  EXPECT_STREQ(list.zips[0].name, "Extra.zip");
  EXPECT_EQ(list.zips[0].install, 0);
  EXPECT_EQ(SetupZipListAdd(&list, "vizid.zip"), SETUP_LIST_ADDED);
  EXPECT_EQ(list.zips[1].install, 1);
  EXPECT_EQ(SetupZipListAdd(&list, "extra.zip"), SETUP_LIST_THERE);
  // 31 characters fit, 32 do not.
  std::string n31 = std::string(27, 'a') + ".zip", n32 = std::string(28, 'a') + ".zip";
  EXPECT_EQ(SetupZipListAdd(&list, n31.c_str()), SETUP_LIST_ADDED);
  EXPECT_EQ(SetupZipListAdd(&list, n32.c_str()), SETUP_LIST_TOO_LONG);
  EXPECT_EQ(list.count, 3);
  for (int i = 3; i < SETUP_ZIPS; ++i)
    EXPECT_EQ(SetupZipListAdd(&list, ("z" + std::to_string(i) + ".zip").c_str()), SETUP_LIST_ADDED);
  EXPECT_EQ(SetupZipListAdd(&list, "one-more.zip"), SETUP_LIST_FULL);
  EXPECT_EQ(list.count, SETUP_ZIPS);
}

TEST(SetupLists, BaseNamesAndPaths) {
  char b[8];
  EXPECT_TRUE(SetupZipBase("Vizid.zip", b, sizeof b));
  EXPECT_STREQ(b, "Vizid");
  EXPECT_TRUE(SetupZipBase("a.b.zip", b, sizeof b));
  EXPECT_STREQ(b, "a");
  EXPECT_FALSE(SetupZipBase(".zip", b, sizeof b));
  EXPECT_FALSE(SetupZipBase("Toolongname.zip", b, sizeof b));

  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"d:quil7", "D:\\Quil7"},
      {"D:\\QUIL7\\ZIPS\\QUIL_SETUP.ZIP", "D:\\Quil7\\Zips\\Quil_setup.zip"},
      {"c:\\my drawings\\new one", "C:\\My drawings\\New one"},
  };
  char out[64];
  for (const Case& c : cases) {
    ASSERT_TRUE(SetupPathFix(out, sizeof out, c.in)) << c.in;
    EXPECT_STREQ(out, c.out);
  }
  EXPECT_FALSE(SetupPathFix(out, 8, "C:\\Quil7\\Zips"));
}

TEST(SetupLists, WindowsVersionText) {
  struct Case {
    int nt, major, minor;
    const char* want;
  };
  const Case cases[] = {
      {1, 4, 0, "Windows NT 4.0 SP6"},  {1, 5, 0, "Windows 2000 SP6"},  {1, 5, 1, "Windows XP SP6 or Later"},
      {1, 6, 0, "Windows Vista SP6"},   {1, 6, 1, "Windows 7 SP6"},     {1, 6, 2, "Windows 8 SP6"},
      {1, 6, 3, "Windows 8.1 SP6"},     {1, 10, 0, "Windows 10 SP6"},   {1, 5, 2, "Unknown Version"},
      {0, 4, 10, "Unknown"},
  };
  char out[64];
  for (const Case& c : cases) {
    SetupOsText(out, sizeof out, c.nt, c.major, c.minor, "SP6");
    EXPECT_STREQ(out, c.want);
  }
}

}  // namespace
