#include "gdsout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "convtest.h"
#include "host.h"
#include "host_record.h"
#include "small_fs.h"

namespace {

using OutState = OwnState<GdsOutState, GdsOutReset>;

// A run set up in a fresh folder: settings pointing at TOP.tlc there.
struct RunDir {
  OutState state;
  GdsOutState* st = state.st;
  WorkDir dir;
  HostRecord* host;
  RunDir() {
    host = &HostRecordInstall();
    GdsOutReset(st);
    st->fixedNow = 1;
    st->now.tm_year = 126;
    st->now.tm_mon = 0;
    st->now.tm_mday = 2;
    snprintf(st->val[GK_TFN], GDSOUT_VALLEN, "%s/TOP.tlc", dir.path.c_str());
  }
  ~RunDir() { HostRecordRemove(); }
  std::vector<GdsRecordSeen> Records() { return GdsRecords(ReadBytes(dir.path + "/TOP.gds")); }
};

std::vector<std::string> Names(const std::vector<GdsRecordSeen>& recs, int type) {
  std::vector<std::string> out;
  for (const auto& r : recs)
    if (r.type == type) out.push_back(r.str());
  return out;
}

bool Said(const HostRecord& h, const std::string& s) {
  for (const auto& m : h.messages)
    if (m.text.find(s) != std::string::npos) return true;
  return false;
}

TEST(GdsOutSetup, CompletionOfTheSettings) {
  OutState own;
  auto* st = own.st;
  WorkDir dir;
  HostRecordInstall();
  struct Case {
    int key;
    const char* typed;
    const char* want;
  } cases[] = {
      {GK_DLN, "mylibrary", "MYLIBRAR.DB"},
      {GK_DLN, "abc.xyz", "ABC.DB"},
      {GK_DLN, "", "DEFAULT.DB"},
      {GK_CSU, "0", "1"},  // D divides the units: never 0
      {GK_CSU, "-2000", "2000"},
      {GK_MPW, "0", "2"},
      {GK_MPW, "-50000", "10000"},
      {GK_LAM, "-0.001", "0.01"},
      {GK_LAM, "250", "100"},
      {GK_LAM, "", "1"},
      {GK_CTX, "yes", "YES"},
      {GK_CTX, "x", "N"},
      {GK_WR2, "", "GdsOut.log"},
  };
  for (const Case& c : cases) {
    GdsOutReset(st);
    snprintf(st->val[c.key], GDSOUT_VALLEN, "%s", c.typed);
    GdsOutSetupApply(st, 0);
    EXPECT_STREQ(st->val[c.key], c.want) << GdsOutKeys[c.key] << c.typed;
  }
  GdsOutReset(st);
  snprintf(st->val[GK_TFN], GDSOUT_VALLEN, "c:\\work\\chip\\top.cel");
  snprintf(st->val[GK_LDF], GDSOUT_VALLEN, "d:\\maps\\fab.txt");
  GdsOutSetupApply(st, 0);
  EXPECT_STREQ(st->val[GK_TFN], "C:\\Work\\Chip\\Top.tlc");
  EXPECT_STREQ(st->val[GK_GFN], "C:\\Work\\Chip\\Top.gds");
  EXPECT_STREQ(st->val[GK_LDF], "D:\\Maps\\Fab.ldm");
  EXPECT_EQ(st->csu, 1000);
  HostRecordRemove();
}

TEST(GdsOutSetup, FileNamesAreCheckedOnOk) {
  OutState own;
  auto* st = own.st;
  HostRecord& h = HostRecordInstall();
  GdsOutReset(st);
  snprintf(st->val[GK_TFN], GDSOUT_VALLEN, "C:\\Chip\\con.tlc");
  EXPECT_EQ(GdsOutSetupApply(st, 1), 3);  // the GDS and LDM names follow the TLC name
  EXPECT_TRUE(Said(h, "Reserved or Incorrect Filename \"Con\""));
  HostRecordRemove();
}

TEST(GdsOutText, RowsAreCompleted) {
  OutState own;
  auto* st = own.st;
  GdsOutReset(st);
  const char* typed[6] = {"-2", "7", "99", "0", "5", "c"};
  for (int c = 0; c < 6; ++c) snprintf(st->font[6 + c], GDSOUT_VALLEN, "%s", typed[c]);
  GdsOutTextApply(st);
  EXPECT_EQ(st->rows[0].size, 1);
  EXPECT_EQ(st->rows[0].font, 0);
  EXPECT_EQ(st->rows[0].vjust, 8);
  EXPECT_EQ(st->rows[3].size, 4);
  EXPECT_EQ(st->rows[3].font, 3);
  const GdsTextRow& r = st->rows[1];
  EXPECT_EQ(r.size, 2);
  EXPECT_EQ(r.font, 3);
  EXPECT_EQ(r.texttype, 63);
  EXPECT_EQ(r.mag, 0.001);
  EXPECT_EQ(r.width, 2);  // at most the size
  EXPECT_EQ(r.vjust, 4);
  EXPECT_STREQ(st->font[6 + 5], "C");
}

TEST(GdsOutLayers, SelectionTexts) {
  OutState own;
  auto* st = own.st;
  GdsOutReset(st);
  GdsOutSelParse(st, "1-3 7 250-");
  EXPECT_TRUE(GdsOutSelTest(st, 2));
  EXPECT_FALSE(GdsOutSelTest(st, 4));
  EXPECT_TRUE(GdsOutSelTest(st, 7));
  EXPECT_TRUE(GdsOutSelTest(st, 256));
  EXPECT_FALSE(GdsOutSelTest(st, 249));
  GdsOutSelParse(st, "0 300");
  EXPECT_FALSE(GdsOutSelTest(st, 1));
  GdsOutSelParse(st, "");
  EXPECT_FALSE(GdsOutSelTest(st, 1));  // an empty text keeps the previous set
}

TEST(GdsOutLdm, ReadWriteAndCreate) {
  OutState own;
  auto* st = own.st;
  WorkDir dir;
  HostRecord& h = HostRecordInstall();
  GdsOutReset(st);
  WriteText("a.ldm", "*LDM built from TOP.tlc\n; comment\n*gdslayer,datatype,tlclayer\n10,0,1\n 11 2 , 2\n\n");
  ASSERT_EQ(LdmRead(st, "a.ldm"), 1);
  ASSERT_EQ(st->ldm.n, 2);
  EXPECT_EQ(st->ldm.e[1].gds, 11);
  EXPECT_EQ(st->ldm.e[1].datatype, 2);
  EXPECT_EQ(st->ldm.e[1].tlc, 2);

  struct Bad {
    const char* text;
  } bad[] = {{"10,0\n"}, {"x,1,2\n"}, {"70000,0,1\n"}, {"40000,0,1\n"}, {"1,32768,1\n"}, {"1,0,300\n"}, {"-1,0,1\n"}};
  for (const Bad& b : bad) {
    WriteText("b.ldm", b.text);
    EXPECT_EQ(LdmRead(st, "b.ldm"), 0) << b.text;
    EXPECT_EQ(st->ldm.n, 0);
  }
  std::string many;
  for (int i = 0; i < 257; ++i) many += std::to_string(i) + ",0,1\n";
  WriteText("c.ldm", many);
  EXPECT_EQ(LdmRead(st, "c.ldm"), 0);
  EXPECT_TRUE(Said(h, "Too Many Entries in LDM File c.ldm (Max 256)"));

  snprintf(st->mainName, sizeof st->mainName, "TOP");
  snprintf(st->mainExt, sizeof st->mainExt, ".tlc");
  h.answers.push_back(HOST_IDNO);
  EXPECT_EQ(LdmRead(st, "new.ldm"), 0);
  EXPECT_EQ(ReadText("new.ldm"), "");
  EXPECT_TRUE(Said(h, "LDM File new.ldm will be Created ... OK?"));
  EXPECT_EQ(LdmRead(st, "new.ldm"), 1);  // the first answer is Yes
  EXPECT_EQ(ReadText("new.ldm"), "*LDM built from TOP.tlc\n*gdslayer,datatype,tlclayer\n");

  st->ldm.n = 0;
  st->ldm.e[0] = {20, 1, 4};
  st->ldm.e[1] = {21, 0, 9};
  st->ldm.n = 2;
  ASSERT_EQ(LdmWrite(st, "new.ldm"), 1);
  ASSERT_EQ(LdmRead(st, "new.ldm"), 1);
  EXPECT_EQ(st->ldm.n, 2);
  EXPECT_EQ(st->ldm.e[1].gds, 21);
  HostRecordRemove();
}

int AskAnswer = HOST_IDYES;
int AskCount = 0;
int Ask(int, int* gds, int* dt) {
  ++AskCount;
  *gds = 300;  // clamped to 256
  *dt = 7;
  return AskAnswer;
}

TEST(GdsOutLdm, LookupAsksAndAppends) {
  OutState own;
  auto* st = own.st;
  HostRecordInstall();
  GdsOutReset(st);
  st->ldmAsk = Ask;
  AskCount = 0;
  int g, d;
  AskAnswer = HOST_IDNO;
  EXPECT_EQ(LdmLookup(st, 12, &g, &d), 1);
  EXPECT_EQ(g, 12);
  EXPECT_EQ(d, 0);
  EXPECT_EQ(st->ldm.added, 0);
  AskAnswer = HOST_IDYES;
  EXPECT_EQ(LdmLookup(st, 12, &g, &d), 1);
  EXPECT_EQ(g, 256);
  EXPECT_EQ(d, 7);
  EXPECT_EQ(LdmLookup(st, 12, &g, &d), 1);  // found now, no question
  EXPECT_EQ(AskCount, 2);
  EXPECT_EQ(st->ldm.added, 1);
  AskAnswer = HOST_IDCANCEL;
  EXPECT_EQ(LdmLookup(st, 13, &g, &d), 0);
  EXPECT_EQ(st->abort, 1);

  st->abort = 0;
  st->ldm.n = GDSOUT_MAXLDM;
  AskAnswer = HOST_IDYES;
  EXPECT_EQ(LdmLookup(st, 200, &g, &d), 0);  // no row is written past the table
  EXPECT_EQ(st->abort, 1);
  EXPECT_TRUE(Said(HostRecordGet(), "Too Many Layers in LDM File (Max 256) ... Can't Continue"));
  HostRecordRemove();
}

TEST(GdsOutUnits, UnitsOfTheHeader) {
  HostRecord& h = HostRecordInstall();
  struct Case {
    const char* tlc;
    const char* gds;
    double metres;
    int warns;
  } cases[] = {{"um", "um", 1e-6, 0}, {"UM", "um", 1e-6, 0}, {"mil", "mil", 0.0000254, 0},
               {"mils", "mil", 0.0000254, 0}, {"nm", "nm", 1e-9, 0}, {"cm", "um", 1e-6, 1}};
  for (const Case& c : cases) {
    h.messages.clear();
    char unit[8];
    double m = 0;
    GdsUnitChoose(c.tlc, unit, sizeof unit, &m);
    EXPECT_STREQ(unit, c.gds);
    EXPECT_EQ(m, c.metres);
    EXPECT_EQ((int)h.messages.size(), c.warns);
  }
  EXPECT_EQ(h.messages[0].text,
            "Physical units in the TLC file are Unknown (cm)\n\nDefaulting to um ... Conversion may be Incorrect");
  HostRecordRemove();
}

// TOP (rank 3) places MID twice and inv; MID (rank 2) places INV.
void Hierarchy() {
  WriteText("TOP.tlc", TlcCell("TOP", 3,
                               "<C>\nMID\n0 0 0 0\n</C>\n<C>\nmid\n5 1000 2000 0\n</C>\n<C>\ninv\n2 -500 0 0\n</C>\n"
                               "<B>\n1 0 0 2000 1000\n</B>\n"));
  WriteText("MID.tlc", TlcCell("MID", 2, "<C>\nINV\n4 0 0 0\n</C>\n<P>\n2 0 5\n0 0 100 0 100 100 0 100 0 0 \n</P>\n"));
  WriteText("INV.tlc", TlcCell("INV", 1, "<B>\n1 0 0 10 10\n</B>\n<T>\n3 1000 3 1\n5 5\n<![CDATA[OUT]]>\n</T>\n"));
  WriteText("TOP.ldm", "*LDM built from TOP.tlc\n*gdslayer,datatype,tlclayer\n10,0,1\n20,5,2\n30,0,3\n");
}

TEST(GdsOutCells, ListClosedOverReferencesAndSortedByRank) {
  RunDir run;
  auto* st = run.st;
  Hierarchy();
  GdsOutSetupApply(st, 0);
  CnvPathSplit(st->val[GK_TFN], st->drive, st->folder, st->mainName, st->mainExt);
  st->tlcScale = 1000;
  ASSERT_EQ(GdsOutCellList(st), 1);
  ASSERT_EQ(st->nCells, 3);  // names differing only in case are one cell
  EXPECT_STREQ(st->cells[1].name, "INV");
  EXPECT_STREQ(st->cells[2].name, "MID");
  EXPECT_STREQ(st->cells[3].name, "TOP");
  st->dro = 1;
  ASSERT_EQ(GdsOutCellList(st), 1);
  EXPECT_STREQ(st->cells[1].name, "TOP");
  EXPECT_STREQ(st->cells[3].name, "INV");
}

TEST(GdsOutCells, EqualRanksKeepTheirOrderOfDiscovery) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.tlc", TlcCell("TOP", 3, "<C>\nAA\n0 0 0 0\n</C>\n<C>\nBB\n0 0 0 0\n</C>\n"));
  WriteText("AA.tlc", TlcCell("AA", 2, "<C>\nCC\n0 0 0 0\n</C>\n"));
  WriteText("BB.tlc", TlcCell("BB", 2, ""));
  WriteText("CC.tlc", TlcCell("CC", 1, ""));
  GdsOutSetupApply(st, 0);
  CnvPathSplit(st->val[GK_TFN], st->drive, st->folder, st->mainName, st->mainExt);
  ASSERT_EQ(GdsOutCellList(st), 1);
  std::vector<std::string> order;
  for (int i = 1; i <= st->nCells; ++i) order.push_back(st->cells[i].name);
  EXPECT_EQ(order, (std::vector<std::string>{"CC", "AA", "BB", "TOP"}));
  st->dro = 1;
  ASSERT_EQ(GdsOutCellList(st), 1);
  order.clear();
  for (int i = 1; i <= st->nCells; ++i) order.push_back(st->cells[i].name);
  EXPECT_EQ(order, (std::vector<std::string>{"TOP", "AA", "BB", "CC"}));
}

TEST(GdsOutConvert, SmallHierarchyRecords) {
  RunDir run;
  auto* st = run.st;
  Hierarchy();
  snprintf(st->val[GK_CTX], GDSOUT_VALLEN, "Y");
  snprintf(st->val[GK_WTX], GDSOUT_VALLEN, "Y");
  ASSERT_EQ(GdsOutGo(st), GO_DONE);
  auto recs = run.Records();
  ASSERT_FALSE(recs.empty());
  EXPECT_EQ(recs.front().type, 0x00);
  EXPECT_EQ(recs.back().type, 0x04);
  EXPECT_EQ(Names(recs, 0x06), (std::vector<std::string>{"INV", "MID", "TOP"}));
  EXPECT_EQ(Names(recs, 0x12), (std::vector<std::string>{"INV", "MID", "MID", "INV"}));
  EXPECT_EQ(Names(recs, 0x02), (std::vector<std::string>{"DEFAULT.DB"}));
  int64_t size = (int64_t)ReadBytes(run.dir.path + "/TOP.gds").size();
  EXPECT_EQ(size, st->rec.bytes);
  EXPECT_EQ(run.host->messages.back().text,
            "Completed ...\n\n" + std::to_string(size) + " Bytes in GDS File " + run.dir.path + "/TOP.gds");

  // The second instance of MID: orientation 5 is a reflection and 90 degrees.
  size_t k = 0;
  int srefs = 0;
  for (; k < recs.size(); ++k)
    if (recs[k].type == 0x0A && ++srefs == 3) break;
  ASSERT_LT(k + 6, recs.size());
  EXPECT_EQ(recs[k + 2].type, 0x1A);
  EXPECT_EQ((uint16_t)recs[k + 2].i16(), 0x8000);
  EXPECT_EQ(recs[k + 3].type, 0x1B);
  EXPECT_EQ(recs[k + 4].type, 0x1C);
  EXPECT_EQ(recs[k + 5].i32(0), 1000);
  EXPECT_EQ(recs[k + 5].i32(1), 2000);

  // The text: STRANS, MAG, ANGLE in that order, then XY and STRING.
  std::vector<int> kinds;
  bool in = false;
  for (const auto& r : recs) {
    if (r.type == 0x0C) in = true;
    if (in) kinds.push_back(r.type);
    if (in && r.type == 0x11) break;
  }
  EXPECT_EQ(kinds, (std::vector<int>{0x0C, 0x0D, 0x16, 0x17, 0x0F, 0x1A, 0x1B, 0x1C, 0x10, 0x19, 0x11}));
  EXPECT_EQ(Names(recs, 0x19), (std::vector<std::string>{"OUT"}));

  std::string log = ReadText("GdsOut.log");
  EXPECT_NE(log.find("*** TLC to GDS Conversion Log  7.0.91  01/02/26"), std::string::npos);
  EXPECT_NE(log.find("GDS/TLC Scale Ratio: 1\n"), std::string::npos);
  EXPECT_NE(log.find("\nStructure      Boundaries  Paths       Text        Srefs\n"), std::string::npos);
  EXPECT_NE(log.find(" " + std::string(15, ' ') + "1           0           0           3           \n"),
            std::string::npos);
  std::string listing = ReadText("GdsWrite.txt");
  EXPECT_NE(listing.find("  0C  1B  05    MAG 1\n"), std::string::npos);
  EXPECT_NE(listing.find("  08  06  06    STRNAME TOP[NUL]\n") , std::string::npos) << listing.substr(0, 400);
}

TEST(GdsOutConvert, RatioTruncatesAndWarns) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 3 3 10 10\n</B>\n", 400));
  WriteText("TOP.ldm", "10,0,1\n");
  ASSERT_EQ(GdsOutGo(st), GO_DONE);  // ratio 1000 / 400 = 2.5
  EXPECT_TRUE(Said(*run.host, "Resolution may be lost ... GDS/TLC Scale Ratio is not Integral"));
  auto recs = run.Records();
  for (const auto& r : recs)
    if (r.type == 0x10) {
      EXPECT_EQ(r.i32(0), 7);
      EXPECT_EQ(r.i32(4), 25);
    }
}

TEST(GdsOutConvert, LayersAddedToTheMap) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n4 0 0 10 10\n</B>\n<B>\n4 0 0 20 20\n</B>\n"));
  WriteText("TOP.ldm", "10,0,1\n");
  st->ldmAsk = Ask;
  AskAnswer = HOST_IDYES;
  AskCount = 0;
  EXPECT_EQ(GdsOutGo(st), GO_ADDED);
  EXPECT_EQ(AskCount, 1);
  EXPECT_EQ(ReadText("TOP.ldm"), "*LDM built from TOP.tlc\n*gdslayer,datatype,tlclayer\n10,0,1\n256,7,4\n");
  EXPECT_TRUE(Said(*run.host, "Layers have been Added to the LDM File TOP.ldm ... Run GdsOut Again"));
}

// A path record of n points.
std::string LongPath(int n) {
  std::string s = "<P>\n1 0 " + std::to_string(n) + "\n";
  for (int i = 0; i < n; i++) s += std::to_string(i) + " 0\n";
  return s + "</P>\n";
}

TEST(GdsOutConvert, BadInputStopsAndIsNeverCompleted) {
  struct Case {
    const char* name;
    std::string top;
    std::string other;  // written as SUB.tlc when not empty
    const char* message;
  } cases[] = {
      {"missing cell", TlcCell("TOP", 2, "<C>\nSUB\n0 0 0 0\n</C>\n"), "", "SUB.TLC File is Missing ... Can't Continue"},
      {"wrong rank", TlcCell("TOP", 25, ""), "", "TOP Rank is Incorrect ... Can't Continue"},
      {"cell without header", TlcCell("TOP", 2, "<C>\nSUB\n0 0 0 0\n</C>\n"), "<TLC>\n<B>\n1 0 0 5 5\n</B>\n</TLC>\n",
       "Header Record Read Error ... Can't Continue"},
      {"bad box", TlcCell("TOP", 1, "<B>\n1 0 0 5\n</B>\n"), "", "Box Record Read Error ... Can't Continue"},
      {"bad path", TlcCell("TOP", 1, "<P>\n1 0 3\n0 0 5 5\n"), "", "Path Record Read Error ... Can't Continue"},
      {"path over the limit", TlcCell("TOP", 1, LongPath(1041)), "",
       "Path Record Read Error ... More than 1040 Vertices ... Can't Continue"},
      {"bad text", TlcCell("TOP", 1, "<T>\n1 10 2\n"), "", "Text Record Read Error ... Can't Continue"},
      {"bad cell record", TlcCell("TOP", 2, "<C>\nSUB\n0 0\n</C>\n"), "", "Cell Record Read Error ... Can't Continue"},
      {"no scale", TlcCell("TOP", 1, "", 0), "", "TLC Scale is Missing ... Can't Continue"},
      {"name leaving the folder", TlcCell("TOP", 2, "<C>\n..\\..\\SUB\n0 0 0 0\n</C>\n"), "",
       "Incorrect Cell Name \"..\\..\\SUB\" in TOP.tlc ... Can't Continue"},
  };
  for (const Case& c : cases) {
    RunDir run;
    auto* st = run.st;
    WriteText("TOP.tlc", c.top);
    if (!c.other.empty()) WriteText("SUB.tlc", c.other);
    WriteText("TOP.ldm", "10,0,1\n");
    snprintf(st->val[GK_CTX], GDSOUT_VALLEN, "Y");
    EXPECT_EQ(GdsOutGo(st), GO_ABORTED) << c.name;
    EXPECT_TRUE(Said(*run.host, c.message)) << c.name;
    EXPECT_FALSE(Said(*run.host, "Completed")) << c.name;
    EXPECT_EQ(run.host->messages.back().text, "Aborted ... Files may be Incomplete") << c.name;
    // A run that gives up half-way leaves no file open behind it.
    EXPECT_FALSE(st->rec.out) << c.name;
    EXPECT_EQ(st->log, nullptr) << c.name;
  }
}

TEST(GdsOutConvert, MissingMainCellAndMap) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.ldm", "10,0,1\n");
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
  EXPECT_TRUE(Said(*run.host, "Main TLC file is Missing ... Can't Continue"));
  EXPECT_STREQ(st->val[GK_TFN], "?.tlc");

  RunDir run2;
  st = run2.st;
  WriteText("TOP.tlc", TlcCell("TOP", 1, ""));
  WriteText("TOP.ldm", "10,0\n");
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
  EXPECT_TRUE(Said(*run2.host, "LDM File is Incorrect or Missing ... Can't Continue"));
}

// The GDS file or the log on a full disk: the write fails, and is said.
TEST(GdsOutConvert, FullDiskIsNotReportedComplete) {
  FILE* probe = fopen("/dev/full", "wb");
  if (!probe) GTEST_SKIP() << "no /dev/full";
  fclose(probe);
  // The stream file is written as TOP.gds.tmp before it takes its name.
  const char* const files[] = {"TOP.gds.tmp", "GdsOut.log"};
  for (const char* file : files) {
    RunDir run;
    auto* st = run.st;
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 10 10\n</B>\n"));
    WriteText("TOP.ldm", "10,0,1\n");
    ASSERT_EQ(symlink("/dev/full", file), 0) << file;
    std::string message = strcmp(file, "TOP.gds.tmp") == 0
                              ? "Unable to Write GDS File " + run.dir.path + "/TOP.gds ... Can't Continue"
                              : "Unable to Write Log File ... Can't Continue";
    EXPECT_EQ(GdsOutGo(st), GO_ABORTED) << file;
    EXPECT_TRUE(Said(*run.host, message)) << file;
    EXPECT_FALSE(Said(*run.host, "Completed")) << file;
  }
}

// A run that fails on a full disk keeps the last good stream file as it
// was, and leaves no scratch file beside it.
TEST(GdsOutConvert, FailedRunKeepsTheEarlierFile) {
  MountedFolder fs(64);
  if (!fs.mounted) GTEST_SKIP() << fs.reason;
  std::string gds = fs.path + "/TOP.gds";
  std::vector<unsigned char> first;
  {
    RunDir run;
    auto* st = run.st;
    snprintf(st->val[GK_GFN], GDSOUT_VALLEN, "%s", gds.c_str());
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 10 10\n</B>\n"));
    WriteText("TOP.ldm", "10,0,1\n");
    ASSERT_EQ(GdsOutGo(st), GO_DONE);
    first = ReadBytes(gds);
    ASSERT_FALSE(first.empty());
  }
  RunDir run;
  auto* st = run.st;
  snprintf(st->val[GK_GFN], GDSOUT_VALLEN, "%s", gds.c_str());
  std::string boxes;
  for (int i = 0; i < 2000; ++i) boxes += "<B>\n1 0 0 " + std::to_string(10 + i) + " 10\n</B>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 1, boxes));  // some 136 KB of stream
  WriteText("TOP.ldm", "10,0,1\n");
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
  EXPECT_TRUE(Said(*run.host, "Unable to Write GDS File " + gds + " ... Can't Continue"));
  EXPECT_FALSE(Said(*run.host, "Completed"));
  EXPECT_EQ(ReadBytes(gds), first);
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(fs.path)) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"TOP.gds"});
}

TEST(GdsOutConvert, TooManyCellsStops) {
  RunDir run;
  auto* st = run.st;
  std::string refs;
  for (int i = 0; i < GDSOUT_MAXCELLS; ++i) refs += "<C>\nC" + std::to_string(i) + "\n0 0 0 0\n</C>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 2, refs));
  for (int i = 0; i < GDSOUT_MAXCELLS; ++i) WriteText("C" + std::to_string(i) + ".tlc", TlcCell("C", 1, ""));
  WriteText("TOP.ldm", "10,0,1\n");
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
  EXPECT_TRUE(Said(*run.host, "Too Many Cells (Max 8190) ... Can't Continue"));
}

}  // namespace

namespace {

TEST(GdsOutLayers, TableFromTheMainCellAndBack) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.tlc", "<TLC>\n<L>\n4\nmet1 1\npoly 2\nverylongname 9\nwire 70\n</L>\n" +
                           TlcCell("TOP", 1, "").substr(22));
  GdsOutSetupApply(st, 0);
  GdsOutSelParse(st, "2-9");
  ASSERT_EQ(GdsOutLayersRead(st), 1);
  EXPECT_STREQ(st->layers[0].name, "met1");
  EXPECT_EQ(st->layers[0].word, 1);
  EXPECT_EQ(st->layers[1].word, 2 | GDSOUT_LAYER_SELECTED);
  EXPECT_STREQ(st->layers[2].name, "verylong");
  EXPECT_STREQ(st->layers[4].name, "NONE");
  st->layers[3].word |= GDSOUT_LAYER_SELECTED;
  st->layers[2].word &= ~GDSOUT_LAYER_SELECTED;
  GdsOutLayersApply(st);
  EXPECT_STREQ(st->val[GK_FTR], "2 70");
  EXPECT_TRUE(GdsOutSelTest(st, 70));
  EXPECT_FALSE(GdsOutSelTest(st, 9));
  st->allLayers = 1;
  GdsOutLayersApply(st);
  EXPECT_STREQ(st->val[GK_FTR], "1-64 65-128 129-192 193-256");  // one range per mask

  WriteText("TOP.tlc", TlcCell("TOP", 1, ""));
  EXPECT_EQ(GdsOutLayersRead(st), 0);
  EXPECT_TRUE(Said(*run.host, "No Layers in Main TLC File"));
  snprintf(st->val[GK_TFN], GDSOUT_VALLEN, "%s/NOPE.tlc", run.dir.path.c_str());
  EXPECT_EQ(GdsOutLayersRead(st), 0);
  EXPECT_TRUE(Said(*run.host, "Main TLC File is Missing ... No Layers Read"));
}

}  // namespace

namespace {

TEST(GdsOutText, RowChosenBySize) {
  RunDir run;
  auto* st = run.st;
  const char* rows[] = {"1", "0", "5", "1", "0", "B", "2", "2", "6", "0.5", "1", "C"};
  for (int k = 0; k < 12; ++k) snprintf(st->font[k], GDSOUT_VALLEN, "%s", rows[k]);
  std::string texts = "<T>\n4 1900 2 5\n10 20\n<![CDATA[ROW1]]>\n</T>\n"   // within 25 % of 2 um
                      "<T>\n4 5000 2 0\n30 40\n<![CDATA[NONE]]>\n</T>\n"  // fits no row: row 0
                      "<T>\n4 -1100 2 3\n50 60\nOLD\n</T>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 1, texts));
  WriteText("TOP.ldm", "7,9,4\n");
  snprintf(st->val[GK_CTX], GDSOUT_VALLEN, "Y");
  snprintf(st->val[GK_LCN], GDSOUT_VALLEN, "Y");
  ASSERT_EQ(GdsOutGo(st), GO_DONE);
  auto recs = run.Records();
  struct Seen {
    std::string text;
    int texttype, pres, width, strans;
    double mag;
  };
  std::vector<Seen> seen;
  Seen cur{};
  for (const auto& r : recs) {
    switch (r.type) {
      case 0x16: cur.texttype = r.i16(); break;
      case 0x17: cur.pres = r.i16(); break;
      case 0x0F: cur.width = r.i32(); break;
      case 0x1A: cur.strans = (uint16_t)r.i16(); break;
      case 0x1B: {
        unsigned char half[8];
        GdsReal8(0.5, 0, half);
        cur.mag = memcmp(r.data.data(), half, 8) == 0 ? 0.5 : 1.0;
        break;
      }
      case 0x19: cur.text = r.str(); seen.push_back(cur); cur = Seen{}; break;
    }
  }
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].text, "ROW1");
  EXPECT_EQ(seen[0].texttype, 6);
  EXPECT_EQ(seen[0].pres, (2 << 4) | 4);
  EXPECT_EQ(seen[0].width, 1000);  // 1 um x 1000 x ratio 1
  EXPECT_EQ(seen[0].strans, 0x8000);
  EXPECT_EQ(seen[0].mag, 0.5);
  EXPECT_EQ(seen[1].texttype, 5);
  EXPECT_EQ(seen[1].pres, 8);
  EXPECT_EQ(seen[2].text, "OLD");
  EXPECT_EQ(seen[2].texttype, 5);  // |size| counts
  EXPECT_EQ(Names(recs, 0x06), (std::vector<std::string>{"top"}));  // lower-case names
  for (const auto& r : recs)
    if (r.type == 0x0D) {
      EXPECT_EQ(r.i16(), 7);
    }
}

TEST(GdsOutConvert, EscapeAbortsTheRun) {
  RunDir run;
  auto* st = run.st;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 10 10\n</B>\n"));
  WriteText("TOP.ldm", "10,0,1\n");
  run.host->abortAfterPolls = 0;
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
  EXPECT_EQ(run.host->messages.back().text, "Aborted ... Files may be Incomplete");
  int flag = 1;
  RunDir run2;
  st = run2.st;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 10 10\n</B>\n"));
  WriteText("TOP.ldm", "10,0,1\n");
  st->extAbort = &flag;  // the program's progress dialog was cancelled
  EXPECT_EQ(GdsOutGo(st), GO_ABORTED);
}

}  // namespace
