#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <unistd.h>

#include "ckt_support.h"
#include "namecheck.h"

namespace {

using namespace ckttest;

struct ClampCase {
  int group, slot;
  const char* in;
  const char* out;
};

TEST(CktSettings, EachClampAndDefault) {
  const ClampCase cases[] = {
      {GRP_MAIN, S_CLD, "0", "1"},       {GRP_MAIN, S_CLD, "99", "24"},   {GRP_MAIN, S_CLD, "23", "23"},
      {GRP_MAIN, S_CLD, "-5", "1"},      {GRP_MAIN, S_STM, "-2.5", "2.5"}, {GRP_MAIN, S_STM, "0", "1"},
      {GRP_MAIN, S_STM, "junk", "1"},    {GRP_MAIN, S_NNL, "", "1"},       {GRP_MAIN, S_COL, "", "2"},
      {GRP_MAIN, S_DVL, "", "3"},        {GRP_MAIN, S_PML, "", "4"},       {GRP_MAIN, S_TTL, "", "0"},
      {GRP_MAIN, S_NNL, "12abc", "12"},  {GRP_MAIN, S_VNP, "", "vn"},      {GRP_MAIN, S_WR2, "", "QuilCkt.log"},
      {GRP_MAIN, S_CNL, "yes", "YES"},   {GRP_MAIN, S_CNT, "x", "N"},      {GRP_MAIN, S_CFN, "inv", "INV"},
      {GRP_LVS, 4, "", "_SCH"},          {GRP_LVS, 0, "", "?.nod"},        {GRP_LVS, 2, "top", "TOP"},
      {GRP_LVS, 3, "", "LvsError.log"},  {GRP_CAP, 0, "ff", "ff"},         {GRP_CAP, 0, "nF", "pF"},
      {GRP_CAP, 1, "8", "0"},            {GRP_CAP, 1, "7", "7"},           {GRP_CAP, 1, "0", "0"},
      {GRP_CAP, 2, "-3", "0"},           {GRP_CAP, 18, "300", "256"},      {GRP_ANT, 0, "y", "Y"},
      {GRP_ANT, 2, "1.0", "1"},          {GRP_ANT, 3, "0", ""},            {GRP_ANT, 4, "999", "256"},
      {GRP_ANT, 11, "-0.5", "0.5"},      {GRP_ANT, 5, "3.3e17", "256"},   {GRP_ANT, 6, "nan", ""},      {GRP_ANT, 12, "0", ""},           {GRP_SMASH, 3, "nmos", "NMOS"},
      {GRP_OMIT, 20, "maybe", "N"},
  };
  for (const ClampCase& c : cases) {
    Engine e;
    CktState& st = e.st;
    SetValue(st, c.group, c.slot, c.in);
    SetupApply(st, c.group, 0);
    EXPECT_STREQ(st.set.val[c.group][c.slot], c.out) << SetupKey(c.group, c.slot) << c.in;
  }
}

TEST(CktSettings, DerivedValuesFollowTheCheck) {
  Engine e;
  CktState& st = e.st;
  SetValue(st, GRP_MAIN, S_CLD, "99");
  SetValue(st, GRP_MAIN, S_HCL, "7,9;12345 3");
  SetValue(st, GRP_CAP, 1, "5");
  SetValue(st, GRP_OMIT, 2, "inv");
  SetValue(st, GRP_OMIT, 20, "y");
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(st, g, 0);
  EXPECT_EQ(st.set.cld, 24);
  EXPECT_EQ(st.set.hidden[0], 7);
  EXPECT_EQ(st.set.hidden[1], 9);
  EXPECT_EQ(st.set.hidden[2], 1234);  // the fifth digit separates and is dropped
  EXPECT_EQ(st.set.hidden[3], 3);
  EXPECT_EQ(st.set.capFlags, 5);
  EXPECT_STREQ(st.set.omit[2], "INV");
  EXPECT_EQ(st.set.compileAll, 1);
}

TEST(CktSettings, WorkingVariablesAreDerivedAtStartWithoutAFile) {
  Engine e;
  CktState& st = e.st;
  // Nothing read: the defaults alone already give the flags and layers.
  EXPECT_EQ(st.set.nnl, 4);
  EXPECT_EQ(st.set.col, 5);
  EXPECT_EQ(st.set.flag[S_ALD], 1);
  EXPECT_EQ(st.set.flag[S_WNF], 1);
  EXPECT_EQ(st.set.flag[S_SCH], 0);
  EXPECT_EQ(st.set.cld, 1);
  EXPECT_EQ(st.set.capFlags, 3);
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_VNP], "vn");
  EXPECT_EQ(UsfRead(st, "/nonexistent/QuilCkt.usf"), 0);
  EXPECT_EQ(st.set.nnl, 4);
}

struct TraceCase {
  const char* traced;
  const char* ins;
  std::vector<int> wantTraced, wantIns;
};

TEST(CktSettings, TraceTableParsing) {
  const TraceCase cases[] = {
      {"46,8", "6", {46, 8}, {6}},
      {"1 2;3", "6, 7 8", {1, 2, 3}, {6, 7, 8}},
      {"12345", "", {1234}, {}},
      {"1 2 3 4 5 6 7 8 9 10", "1 2 3 4 5 6 7 8 9", {1, 2, 3, 4, 5, 6, 7, 8}, {1, 2, 3, 4, 5, 6, 7, 8}},
      {"", "x", {}, {0}},
  };
  for (const TraceCase& c : cases) {
    Engine e;
    CktState& st = e.st;
    SetValue(st, GRP_TRACE, 3, c.traced);
    SetValue(st, GRP_TRACE, 19, c.ins);
    SetupApply(st, GRP_TRACE, 0);
    for (int k = 0; k < CKT_LIST; k++) {
      int want = k < (int)c.wantTraced.size() ? c.wantTraced[k] : 0;
      EXPECT_EQ(st.set.traced[3][k], want) << c.traced << " entry " << k;
      int wantI = k < (int)c.wantIns.size() ? c.wantIns[k] : 0;
      EXPECT_EQ(st.set.insul[3][k], wantI) << c.ins << " entry " << k;
    }
  }
}

TEST(CktSettings, LayerTestsOverTheTraceTable) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  SetValue(st, GRP_TRACE, 8, "46 8");
  SetupApply(st, GRP_TRACE, 0);
  EXPECT_EQ(ConductorLayer(st, 7), 7);
  EXPECT_EQ(ConductorLayer(st, 8), 8);  // merged only
  EXPECT_EQ(TracedLayer(st, 8), 0);
  EXPECT_EQ(ConductorLayer(st, 6), 0);
  EXPECT_EQ(InsulatorLayer(st, 6), 1);
  EXPECT_EQ(TraceTableLayer(st, 6), 1);
  EXPECT_EQ(TraceTableLayer(st, 1), 0);
  EXPECT_EQ(TraceLayerIn(st, 7 | 0x200, 1, 0), 1);  // only the low nine bits count
}

TEST(CktSettings, FileRoundTrip) {
  Engine e;
  CktState& st = e.st;
  StandardTrace(st);
  SetValue(st, GRP_MAIN, S_CFN, "TOP");
  SetValue(st, GRP_MAIN, S_HFN, "c:\\models\\lib.hdr");
  SetValue(st, GRP_CAP, 40, "0.25");
  SetValue(st, GRP_SMASH, 31, "RES");
  snprintf(st.set.rdp[2], 260, "%s", "Notepad.exe");
  snprintf(st.set.rdf[15], 260, "%s", "TOP.cir");
  char path[] = "/tmp/ckt_usf_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  ASSERT_EQ(UsfWrite(st, path), 1);
  CktSettings saved = st.set;
  SetupDefaults(st);
  EXPECT_STRNE(st.set.val[GRP_MAIN][S_CFN], "TOP");
  ASSERT_EQ(UsfRead(st, path), 1);
  for (int g = 0; g < CKT_GROUPS; g++)
    for (int s = 0; s < SetupKeyCount(g); s++)
      EXPECT_STREQ(st.set.val[g][s], saved.val[g][s]) << SetupKey(g, s);
  EXPECT_STREQ(st.set.rdp[2], "Notepad.exe");
  EXPECT_STREQ(st.set.rdf[15], "TOP.cir");
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_HFN], "C:\\Models\\Lib.hdr");
  EXPECT_EQ(st.set.traced[1][0], 7);
  remove(path);
}

TEST(CktSettings, LinesMatchKeysIgnoringCaseAndLongLinesStayBounded) {
  Engine e;
  CktState& st = e.st;
  char a[] = "CLD=7  \r";
  EXPECT_EQ(UsfReadLine(st, a), 1);
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_CLD], "7");
  char b[] = "layer1_1=5";
  EXPECT_EQ(UsfReadLine(st, b), 1);
  EXPECT_STREQ(st.set.val[GRP_CAP][3], "5");
  char c[] = "layer1_10=6";  // not taken by layer1_1=
  EXPECT_EQ(UsfReadLine(st, c), 1);
  EXPECT_STREQ(st.set.val[GRP_CAP][3], "5");
  EXPECT_STREQ(st.set.val[GRP_CAP][12], "6");
  char d[] = "cfn";
  EXPECT_EQ(UsfReadLine(st, d), 0);
  char f[] = "rdp3";
  EXPECT_EQ(UsfReadLine(st, f), 0);
  char g[] = "rdp3=";
  EXPECT_EQ(UsfReadLine(st, g), 1);
  EXPECT_STREQ(st.set.rdp[3], "");

  char path[] = "/tmp/ckt_usf_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* fp = fdopen(fd, "w");
  fprintf(fp, "hfn=%s\nnnl=9", std::string(5000, 'h').c_str());  // no final newline
  fclose(fp);
  ASSERT_EQ(UsfRead(st, path), 1);
  EXPECT_EQ(strlen(st.set.val[GRP_MAIN][S_HFN]), 251u);  // 255 read, 4 of them the key
  EXPECT_EQ(st.set.nnl, 9);
  remove(path);
}

TEST(CktSettings, BatchTokensAreBoundedByTheirSettings) {
  Engine e;
  CktState& st = e.st;
  std::string header(200, 'h');
  std::string cmd = "top " + header + ".hdr y";
  EXPECT_EQ(SetupBatchTokens(st, cmd.c_str()), 3);
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_CFN], "top");
  EXPECT_EQ(std::string(st.set.val[GRP_MAIN][S_HFN]), header + ".hdr");  // longer than 33 and kept whole
  EXPECT_STREQ(st.set.val[GRP_MAIN][S_SCH], "y");
  EXPECT_EQ(e.rec->messages.size(), 0u);

  std::string tooLong = "top " + std::string(300, 'x') + " n";
  EXPECT_EQ(SetupBatchTokens(st, tooLong.c_str()), 3);
  EXPECT_EQ(e.Count("Command Line Argument 2 is Longer than 255 Characters"), 1);
  EXPECT_EQ(std::string(st.set.val[GRP_MAIN][S_HFN]), header + ".hdr");  // untouched
  std::string longCell = std::string(40, 'c') + " h n";
  SetupBatchTokens(st, longCell.c_str());
  EXPECT_EQ(e.Count("Command Line Argument 1 is Longer than 32 Characters"), 1);
  EXPECT_EQ(SetupBatchTokens(st, "only two"), 2);
  EXPECT_EQ(SetupBatchTokens(st, ""), 0);
}

TEST(CktSettings, MainSetupFile) {
  Engine e;
  CktState& st = e.st;
  char path[] = "/tmp/ckt_main_XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  FILE* fp = fdopen(fd, "w");
  fprintf(fp, "SCALE=100\nphysunit=mm\nwinemods=1\nother=3\nscale=1e300\n");
  fclose(fp);
  EXPECT_EQ(UsfMainRead(st, path), 0);
  EXPECT_DOUBLE_EQ(st.run.scale, 100.0);
  EXPECT_STREQ(st.run.physUnit, "mm");
  EXPECT_EQ(st.run.wineMods, 1);
  remove(path);
  EXPECT_EQ(UsfMainRead(st, path), 2);
}

TEST(CktSettings, WindowSavedOffScreenComesBackWithItsWidth) {
  Engine e;
  CktState& st = e.st;
  st.set.screenW = 1000;
  st.set.screenH = 800;
  SetValue(st, GRP_MAIN, S_LFT, "900");
  SetValue(st, GRP_MAIN, S_RGT, "1300");
  SetValue(st, GRP_MAIN, S_TOP, "100");
  SetValue(st, GRP_MAIN, S_BOT, "300");
  SetupApply(st, GRP_MAIN, 0);
  EXPECT_EQ(st.set.winLeft, 600);
  EXPECT_EQ(st.set.winRight, 1000);
  EXPECT_EQ(st.set.winTop, 100);
  st.set.screenW = st.set.screenH = 0;
}

TEST(CktSettings, NameChecksOfTheDialogs) {
  Engine e;
  CktState& st = e.st;
  CellTableAdd(st, "INV", 2, 0, 0, 1, 1, 0, 0, 0, 1);
  EXPECT_EQ(CellNameCheck("INV", 0), 0);
  EXPECT_EQ(CellNameCheck("*", 1), 0);
  EXPECT_EQ(CellNameCheck("a.b", 0), 1);
  EXPECT_EQ(CellNameCheck("con", 0), 1);
  EXPECT_EQ(CellNameCheck(std::string(33, 'a').c_str(), 0), 1);
  EXPECT_EQ(FileNameCheck("x|y"), 1);
  EXPECT_EQ(e.Count("Illegal Character \".\" in Cellname"), 1);
  EXPECT_EQ(e.Count("Reserved or Incorrect Cellname \"con\""), 1);
  EXPECT_EQ(e.Count("is too Long"), 1);
  EXPECT_EQ(e.Count("Illegal Character \"|\" in Filename"), 1);
  EXPECT_EQ(CellCheckExists(st, "inv", 0), 1);
  EXPECT_EQ(CellCheckExists(st, "NAND", 0), 0);
  EXPECT_EQ(e.Count("Cell \"NAND\" does Not Exist"), 1);
}

}  // namespace
