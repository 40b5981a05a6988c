// Operators, settings and whole runs over an in-memory drawing.
#include "drc_run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "drc_map.h"
#include "drc_memsrc.h"
#include "drc_oper.h"
#include "drc_pcx.h"
#include "drc_rules.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "host.h"
#include "host_record.h"
#include "small_fs.h"

namespace {

namespace fs = std::filesystem;

TEST(Operators, ParseNamesAliasesAndArguments) {
  int names = 0;
  for (int i = 0; i < DrcOpNameCount; ++i) {
    std::string line = DrcOpNames[i].name;
    int code = DrcOpNames[i].code;
    if (code == OP_MAP || code == OP_OVRLAP || code == OP_SIZE || code == OP_PUSH) line += ",7";
    if (code == OP_DSP) line += ",7,G,1";
    if (code == OP_DSPR || code == OP_DSPS) line += ",R,1";
    DrcOpParsed op;
    EXPECT_EQ(DrcOperatorParse(line.c_str(), &op), 0) << line;
    EXPECT_EQ(op.code, code) << line;
    // Names in any case.
    for (char& c : line) c = (char)std::tolower((unsigned char)c);
    EXPECT_EQ(DrcOperatorParse(line.c_str(), &op), 0) << line;
    ++names;
  }
  EXPECT_EQ(names, 42);  // 31 operators and their aliases
  struct Case {
    const char* line;
    int result, n;
  } cases[] = {
      {"JR", -1, 0},       {"XYZ", -1, 0},      {"MAP", -1, 0},      {"MAP,300", -1, 0}, {"MAP,0", 0, 0},
      {"MAP,-1", 0, -1},   {"MAP,-2", -1, 0},   {"map,,41", 0, 41},  {"EXPR", 0, -1},    {"EXPR,3", 0, 3},
      {"EXPR,1.5", -1, 0}, {"EXPRS", 0, 1},     {"EXPLRS", 0, -1},   {"GAGR", 0, 1},     {"GAGRS,-2", 0, -2},
      {"SIZE,0", -1, 0},   {"OVRLAP,257", -1, 0}, {"DSPR,255", -1, 0}, {"PUSH", -1, 0},  {"MAP,4x", -1, 0},
  };
  for (auto& c : cases) {
    DrcOpParsed op;
    EXPECT_EQ(DrcOperatorParse(c.line, &op), c.result) << c.line;
    if (c.result == 0) {
      EXPECT_EQ(op.n, c.n) << c.line;
    }
  }
  DrcOpParsed op;
  ASSERT_EQ(DrcOperatorParse("DSPR,255,2", &op), 0);
  EXPECT_EQ(op.colour, 255u);
  EXPECT_EQ(op.n, 2);
  ASSERT_EQ(DrcOperatorParse("DSP,R,G,1", &op), 0);
  EXPECT_EQ(std::string(op.name), "R");
  EXPECT_EQ(op.colour, 0x00FF00u);
  EXPECT_EQ(DrcColour("O"), 0x00BFBFu);
  EXPECT_EQ(DrcColour("w"), 0xBFBFBFu);
  EXPECT_EQ(DrcColour("W"), 0xFFFFFFu);
  EXPECT_EQ(DrcColour("?"), 0u);
}

// Every operator shows its own status line first and answers as its rule
// says, on an area whose R map is set inside its edge, S clear, and both
// saved.
TEST(Operators, StatusLinesAndAnswers) {
  HostRecord& rec = HostRecordInstall();
  DrcState st;
  ASSERT_EQ(MapAlloc(st), 1);
  fs::path dir = fs::temp_directory_path() / ("drcops_" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::snprintf(st.x.folder, sizeof st.x.folder, "%s", dir.string().c_str());
  std::strcpy(st.x.cell, "TOP");
  st.x.checkNo = 1;
  st.x.geo.pixUnits = 1;
  st.x.geo.pixelSize = 1;
  st.x.geo.guard = 5;
  std::strcpy(st.set.v[K_ENP], "N");
  struct Case {
    const char* line;
    const char* status;  // "" none
    int result;
  } cases[] = {
      {"map,3", "Mapping Layer 3 ...", 1},
      {"map,0", "Mapping Layer 0 ...", 1},
      {"mapr", "Saving R Map ...", 1},
      {"maps", "Saving S Map ...", 1},
      {"retr", "Returning R Map ...", 1},
      {"rets", "Returning S Map ...", 1},
      {"push,7", "Pushing Layer 7 to R Map ...", -2},
      {"pushr", "Pushing R Map to S Map ...", 1},
      {"popr", "Poping S Map to R Map ...", 1},
      {"swprs", "Swapping R and S Maps ...", 1},
      {"jrc", "Testing R Map for All Zeros ...", 1},
      {"jrs", "Testing R Map for All Ones ...", 0},
      {"testr", "Testing Results Map ...", 1},
      {"expr", "Expanding R Map ...", 1},
      {"exprs", "Expanding R and S Maps ...", 1},
      {"explrs", "Expanding R and S Maps Long ...", 1},
      {"gagr", "Gauging R Map ...", 1},
      {"gagrs", "Gauging R Map to S Map ...", 1},
      {"notr", "NOTing R Map ...", 1},
      {"andrs", "ANDing R and S Maps ...", 1},
      {"orrs", "ORing R and S Maps ...", 1},
      {"xorrs", "XORing R and S Maps...", 1},
      {"clr", "Clearing R Map ...", 1},
      {"str", "Setting R Map ...", 1},
      {"dsp,R,g,1", "Displaying Maps ...", 1},
      {"dsp,5,g,1", "Displaying Maps ...", -2},
      {"dspr,r,1", "Displaying Maps ...", 1},
      {"dsps,c,2", "Displaying Maps ...", 1},
      {"dblr", "Doubling Results Map ...", 1},
      {"pause", "", 1},
      {"hcpy", "Copying Map to TOP_1_1.pcx ...", 1},
      {"size,1", "Sizing 1 ...", 1},
      {"ovrlap,1", "OverLapping 1 ...", 1},
  };
  for (auto& c : cases) {
    MapClear(st, st.maps.R);
    MapNot(st, st.maps.R);
    MapEdgeClear(st, st.maps.R);
    MapClear(st, st.maps.S);
    MapSlotsInvalidate(st);
    MapSlotStore(st, st.maps.R, "R");
    MapSlotStore(st, st.maps.S, "S");
    rec.statuses.clear();
    DrcOpParsed op;
    ASSERT_EQ(DrcOperatorParse(c.line, &op), 0) << c.line;
    EXPECT_EQ(DrcOperatorRun(st, op), c.result) << c.line;
    if (c.status[0]) {
      ASSERT_FALSE(rec.statuses.empty()) << c.line;
      EXPECT_EQ(rec.statuses[0], c.status) << c.line;
    } else {
      EXPECT_TRUE(rec.statuses.empty()) << c.line;
    }
  }
  EXPECT_EQ(rec.statuses.size(), 1u);  // the last one, OVRLAP
  EXPECT_TRUE(fs::exists(dir / "TOP_1_1.pcx"));
  // A code outside the table is a syntax error, not a crash.
  DrcOpParsed bad;
  std::memset(&bad, 0, sizeof bad);
  bad.code = OP_COUNT;
  EXPECT_EQ(DrcOperatorRun(st, bad), -1);
  HostRecordRemove();
  fs::remove_all(dir);
}

TEST(Settings, NormalisationAndFile) {
  DrcState st;
  EXPECT_EQ(std::string(st.set.v[K_CKL]), "");  // no restart point by default
  EXPECT_EQ(std::string(st.set.v[K_CKB]), "");
  struct Case {
    int key;
    const char* in;
    int outKey;
    const char* out;
  } cases[] = {
      {K_MSZ, "7", K_MSZ, "4"},       {K_MSZ, "0", K_MSZ, "1"},         {K_MSZ, "", K_MSZ, "1"},
      {K_RSCL, "-3", K_RSCL, "3"},    {K_RSCL, "0", K_RSCL, "0.0001"}, {K_RSCL, "20000", K_RSCL, "10000"},
      {K_ENH, "y", K_ENH, "Y"},       {K_ENH, "yes", K_ENH, "YES"},    {K_ENH, "x", K_ENH, "N"},
      {K_WR, "5.0005", K_WR, "5.01um"}, {K_ARP, "0", K_ARP, "0.001um"}, {K_WR2, "", K_WR2, "QuilDrc.log"},
      {K_PTM, "", K_PTM, "1"},
  };
  for (auto& c : cases) {
    DrcState cs;
    std::snprintf(cs.set.v[K_WL], 256, "5");
    std::snprintf(cs.set.v[c.key], 256, "%s", c.in);
    DrcSetupApply(cs, 0);
    EXPECT_EQ(std::string(cs.set.v[c.outKey]), c.out) << DrcKeyName[c.key] << c.in;
  }
  {
    DrcState cs;
    std::snprintf(cs.set.v[K_ENH], 256, "yes");
    DrcSetupApply(cs, 0);
    EXPECT_EQ(DrcFlag(cs, K_ENH), 0);
  }

  std::string path = (fs::temp_directory_path() / ("QuilDrc_" + std::to_string(getpid()) + ".usf")).string();
  {
    std::ofstream f(path);
    f << "RES=0.25um\ncln=top\nckl=12.5um\nckb=-3um\nwl=0um\nwr=50um\nrdp3=notepad.exe\nbogus line\n";
  }
  ASSERT_EQ(DrcUsfRead(st, path.c_str()), 1);
  EXPECT_DOUBLE_EQ(DrcNum(st, K_RES), 0.25);
  EXPECT_EQ(std::string(st.set.v[K_CLN]), "TOP");
  EXPECT_EQ(std::string(st.set.v[K_CKL]), "12.5um");  // kept when nothing changed
  EXPECT_EQ(std::string(st.set.rdp[3]), "notepad.exe");
  ASSERT_EQ(DrcUsfWrite(st, path.c_str()), 0);
  DrcState back;  // the file read into a fresh state
  ASSERT_EQ(DrcUsfRead(back, path.c_str()), 1);
  EXPECT_EQ(std::string(back.set.v[K_CKB]), "-3um");
  // A new window from the command line clears the restart point.
  back.set.pending = 1;
  back.set.pendL = 0;
  back.set.pendB = 0;
  back.set.pendR = 60;
  back.set.pendT = 100;
  DrcSetupApply(back, 1);
  EXPECT_EQ(std::string(back.set.v[K_CKL]), "");
  EXPECT_EQ(std::string(back.set.v[K_WR]), "60um");
  // So does another cell; the same values again do not.
  DrcRestartSave(back, 1.5, 2, 1);
  DrcSetupApply(back, 1);
  EXPECT_EQ(std::string(back.set.v[K_CKL]), "1.5um");
  std::snprintf(back.set.v[K_CLN], 256, "OTHER");
  DrcSetupApply(back, 1);
  EXPECT_EQ(std::string(back.set.v[K_CKL]), "");
  EXPECT_EQ(DrcUsfRead(back, "/nonexistent/QuilDrc.usf"), 0);
  fs::remove(path);
}

// Files this process holds open: a run that gives up must not keep its
// rule file.
int OpenFiles() {
  int n = 0;
  for (auto& e : fs::directory_iterator("/proc/self/fd")) {
    (void)e;
    ++n;
  }
  return n;
}

// A main setup scale that is not taken is said, not silently replaced.
TEST(Settings, MainScaleNotTakenIsSaid) {
  HostRecord& rec = HostRecordInstall();
  fs::path file = fs::temp_directory_path() / ("drcscale_" + std::to_string(getpid()) + ".usf");
  struct Case {
    const char* line;
    const char* message;  // "" none
  } cases[] = {
      {"scale=0", "Drawing Scale 0 in QUIL7.USF is not Positive ... 1000 is Used"},
      {"SCALE=-250", "Drawing Scale -250 in QUIL7.USF is not Positive ... 1000 is Used"},
      {"scale=abc", "Drawing Scale abc in QUIL7.USF is not Positive ... 1000 is Used"},
      {"scale=2000", ""},
      {"scale=0.5", ""},
      {"scale=", ""},
      {"physunit=um", ""},
  };
  for (const Case& c : cases) {
    std::ofstream(file) << "winemods=0\n" << c.line << "\r\n";
    rec.messages.clear();
    EXPECT_EQ(DrcMainScaleCheck(file.string().c_str(), 1000), c.message[0] ? 1 : 0) << c.line;
    if (c.message[0]) {
      ASSERT_EQ(rec.messages.size(), 1u) << c.line;
      EXPECT_EQ(rec.messages[0].text, c.message);
    } else {
      EXPECT_TRUE(rec.messages.empty()) << c.line;
    }
  }
  EXPECT_EQ(DrcMainScaleCheck("/nonexistent/QUIL7.USF", 1000), 0);
  fs::remove(file);
  HostRecordRemove();
}

// A run in a temporary drawing folder over an in-memory drawing.
class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rec = &HostRecordInstall();
    dir = fs::temp_directory_path() / ("drcrun_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::snprintf(st.run.folder, sizeof st.run.folder, "%s", dir.string().c_str());
    std::strcpy(st.run.dateText, "10-Dec-2026");
    std::strcpy(st.run.timeText, "12:00:00");
    top = DrcMemAddCell(d, "TOP");
    st.run.src = &d.src;
    st.run.findCell = [](void* ctx, const char* name) {
      return DrcMemFind(*static_cast<DrcMemDrawing*>(ctx), name);
    };
    st.run.areaDone = [](DrcState& s) { Visits().push_back({s.x.areaL, s.x.areaB}); };
    Visits().clear();
    Set(K_CLN, "TOP");
    Set(K_CKF, "rules.drc");
    Set(K_ENP, "N");
    Set(K_MSZ, "1");
  }
  void TearDown() override {
    HostRecordRemove();
    fs::remove_all(dir);
  }
  static std::vector<std::pair<int64_t, int64_t>>& Visits() {
    static std::vector<std::pair<int64_t, int64_t>> v;
    return v;
  }
  void Set(int key, const char* v) { std::snprintf(st.set.v[key], 256, "%s", v); }
  void Rules(const std::string& text) { std::ofstream(dir / "rules.drc") << text; }
  void Geometry(const char* tlc) {
    top = DrcMemAddCell(d, "TOP");
    ASSERT_EQ(DrcMemReadTlc(d, top, tlc), 0);
    DrcMemFinish(d);
    DrcMemSource(d);
  }
  void Window(const char* l, const char* b, const char* r, const char* t) {
    Set(K_WL, l);
    Set(K_WB, b);
    Set(K_WR, r);
    Set(K_WT, t);
    DrcSetupApply(st, 0);
  }
  std::string Log() {
    std::ifstream f(dir / "QuilDrc.log");
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::vector<std::string> AreaLines() {
    std::vector<std::string> out;
    std::istringstream in(Log());
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("Area: ", 0) == 0) out.push_back(line);
    return out;
  }
  DrcState st;
  HostRecord* rec;
  fs::path dir;
  DrcMemDrawing d;
  int top = 0;
};

const char* kSpacing =
    "title= Spacing\n"
    "distance= 1\n"
    "resolution= 0.1\n"
    "operators= {\n map,1\n push,1\n expr\n testr\n dspr,r,1\n hcpy\n}\n";

TEST_F(RunTest, NegativeWindowLogsItsSpacingError) {
  Rules(kSpacing);
  // Two boxes 0.5 apart, everything in negative coordinates.
  Geometry("<B>\n1 -40000 -30000 -35000 -20000\n</B>\n<B>\n1 -34500 -30000 -30000 -20000\n</B>\n");
  Window("-60", "-40", "-10", "-5");
  ASSERT_EQ(DrcGo(st), 1);
  std::vector<std::string> a = AreaLines();
  ASSERT_EQ(a.size(), 1u);
  EXPECT_EQ(a[0], "Area: L= -61.4 B= -41.4 R= -10.2 T= -9.4   Map File: TOP_1_1.pcx");
  EXPECT_TRUE(fs::exists(dir / "TOP_1_1.pcx"));
  EXPECT_NE(Log().find("DRC Completed ...  1 Total Maps"), std::string::npos);
  EXPECT_EQ(std::string(st.set.v[K_CKL]), "");
  EXPECT_GT(Visits().size(), 1u);
}

TEST_F(RunTest, AbortedRunResumesAtTheAreaItStoppedIn) {
  Rules("title= Spacing\ndistance= 1\nresolution= 0.1\noperators= {\n map,1\n push,1\n pause\n expr\n testr\n}\n");
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n<B>\n1 150000 90000 155000 95000\n</B>\n"
           "<B>\n1 155500 90000 160000 95000\n</B>\n");
  Window("0", "0", "200", "100");
  ASSERT_EQ(DrcGo(st), 1);
  std::vector<std::pair<int64_t, int64_t>> all = Visits();
  std::vector<std::string> allLines = AreaLines();
  ASSERT_EQ(all.size(), 20u);
  ASSERT_EQ(allLines.size(), 2u);

  // Escape during the PAUSE of the fourth area (each area polls in its PAUSE
  // and after its list), answered Yes.
  Visits().clear();
  Set(K_ENP, "Y");
  Set(K_CSN, "1");
  rec->abortAfterPolls = 6;
  rec->polls = 0;
  ASSERT_EQ(DrcGo(st), 0);
  ASSERT_EQ(Visits().size(), 4u);  // three finished, the fourth interrupted
  EXPECT_NE(std::string(st.set.v[K_CKL]), "");
  EXPECT_EQ(std::string(st.set.v[K_CSN]), "1");
  std::vector<std::pair<int64_t, int64_t>> first = Visits();
  EXPECT_NE(Log().find("Aborted ... DRC may be Incomplete"), std::string::npos);

  // The resumed run starts at the interrupted area and ends where a whole run ends.
  Visits().clear();
  rec->abortAfterPolls = -1;
  Set(K_ENP, "N");
  Set(K_ERS, "N");
  ASSERT_EQ(DrcGo(st), 1);
  std::vector<std::pair<int64_t, int64_t>> second = Visits();
  std::vector<std::pair<int64_t, int64_t>> joined(first.begin(), first.end() - 1);
  joined.insert(joined.end(), second.begin(), second.end());
  EXPECT_EQ(joined, all);
  EXPECT_EQ(std::string(st.set.v[K_CKL]), "");
}

// Escape answered after an area's list finished: at the end of a row the
// restart is the next row, after the last area the next check.
TEST_F(RunTest, AbortAfterTheLastAreaOfARowOrCheck) {
  Rules("title= a\ndistance= 1\nresolution= 0.1\noperators= {\n map,1\n push,1\n expr\n testr\n}\n"
        "title= b\noperators= {\n map,1\n push,1\n notr\n gagr\n testr\n}\n");
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n<B>\n1 150000 90000 150500 95000\n</B>\n");
  Window("0", "0", "200", "100");
  Set(K_CFN, "2");
  ASSERT_EQ(DrcGo(st), 1);
  std::vector<std::pair<int64_t, int64_t>> all = Visits();
  ASSERT_EQ(all.size(), 40u);  // 5 x 4 areas, two checks
  // Each area polls once, after its list: poll n ends area n + 1.
  for (int stop : {4, 9, 19, 23}) {
    SCOPED_TRACE(stop);
    Visits().clear();
    DrcRestartClear(st);
    Set(K_CSN, "1");
    rec->abortAfterPolls = stop;
    rec->polls = 0;
    ASSERT_EQ(DrcGo(st), 0);
    std::vector<std::pair<int64_t, int64_t>> first = Visits();
    ASSERT_EQ(first.size(), (size_t)stop + 1);
    if (stop == 19) {
      EXPECT_EQ(std::string(st.set.v[K_CSN]), "2");
      EXPECT_EQ(std::string(st.set.v[K_CKL]), "");
    }
    Visits().clear();
    rec->abortAfterPolls = -1;
    ASSERT_EQ(DrcGo(st), 1);
    std::vector<std::pair<int64_t, int64_t>> joined = first;
    joined.insert(joined.end(), Visits().begin(), Visits().end());
    EXPECT_EQ(joined, all);
  }
}

TEST_F(RunTest, BadRuleFilesStopBeforeAnyArea) {
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  struct Case {
    std::string rules;
    const char* csn;
    const char* cfn;
    std::string message;
  } cases[] = {
      {"title=\nop={testr}\n", "1", "1", "Check 1 has no Title ... Can't Continue"},
      {"distance= 1\nop={testr}\n", "1", "1", "Check 1 has no Title ... Can't Continue"},
      {"title=a\nop= testr\n", "1", "1", "Check 1: OPERATORS without \"{\" ... Can't Continue"},
      {"title=a\nop={\nexpr,1.5\n}\n", "1", "1", "Syntax Error: \"expr,1.5\""},
      {"title=a\nop={\nmap,1\njr\n}\n", "1", "1", "Syntax Error: \"jr\""},
      {"title=a\nop={testr}\n", "3", "3",
       "Check Start 3 is beyond the last Check of the DRC File ... Can't Continue"},
      {"title=a\nop={testr}\n", "2", "2", "Check 2 is not in the DRC File ... Can't Continue"},
      {"title=a\nop={testr}\n", "2", "1", "Check Finish 1 is before Check Start 2 ... Can't Continue"},
      // A DISTANCE that is no number would silently check nothing.
      {"title=a\ndistance= 0,2\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"0,2\" ... Can't Continue"},
      {"title=a\ndistance= O.2\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"O.2\" ... Can't Continue"},
      {"title=a\ndistance= two\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"two\" ... Can't Continue"},
      {"title=a\ndistance=inf\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"inf\" ... Can't Continue"},
      {"title=a\ndistance= nan \nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"nan\" ... Can't Continue"},
      {"title=a\ndistance=\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE is not a Number: \"\" ... Can't Continue"},
      // Values beyond 32-bit database units.
      {"title=a\ndistance= 1e300\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE 1e+300 is too Large for the Drawing ... Can't Continue"},
      {"title=a\ndistance= 2147484\nop={testr}\n", "1", "1",
       "Check 1: DISTANCE 2147484 is too Large for the Drawing ... Can't Continue"},
      {"title=a\ndistance= 1\nresolution= 4e9\nop={testr}\n", "1", "1",
       "Check 1: RESOLUTION 4e+09 is too Large for the Drawing ... Can't Continue"},
      {"title=a\ndistance= 1\nguardband= 1e300\nop={testr}\n", "1", "1",
       "Check 1: GUARDBAND 1e+300 is too Large for the Drawing ... Can't Continue"},
  };
  const int open = OpenFiles();
  for (auto& c : cases) {
    Rules(c.rules);
    Set(K_CSN, c.csn);
    Set(K_CFN, c.cfn);
    Visits().clear();
    rec->messages.clear();
    EXPECT_EQ(DrcGo(st), 0) << c.rules;
    EXPECT_EQ(OpenFiles(), open) << c.rules;
    EXPECT_TRUE(Visits().empty()) << c.rules;
    ASSERT_FALSE(rec->messages.empty());
    EXPECT_EQ(rec->messages[0].text, c.message) << c.rules;
    EXPECT_EQ(rec->messages.back().text, "Aborted ... DRC may be Incomplete");
  }
}

TEST_F(RunTest, SavedMapsAreRulesNotLeftovers) {
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  Window("0", "0", "100", "20");
  // PUSH of a layer never mapped in this area, or PUSHR before any MAPR, is
  // a rule error, with the restart point at this area.
  struct Push {
    const char* op;
    const char* message;
  } pushes[] = {{"push,7", "Map \"7\" was not Saved in this Area"}, {"pushr", "Map \"R\" was not Saved in this Area"}};
  const int open = OpenFiles();
  for (const Push& p : pushes) {
    Rules(std::string("title=a\ndistance=1\nresolution=0.1\nop={\n") + p.op + "\ntestr\n}\n");
    rec->messages.clear();
    Visits().clear();
    DrcRestartClear(st);
    EXPECT_EQ(DrcGo(st), 0) << p.op;
    ASSERT_FALSE(rec->messages.empty()) << p.op;
    EXPECT_EQ(rec->messages[0].text, p.message);
    EXPECT_EQ(Visits().size(), 1u) << p.op;
    EXPECT_EQ(OpenFiles(), open) << p.op;
    EXPECT_EQ(std::string(st.set.v[K_CKL]), "-1.4um");
  }
  // Seventeen names fill the table: an error, not a silent skip.
  std::string ops;
  for (int i = 1; i <= 17; ++i) ops += "map," + std::to_string(i) + "\n";
  Rules("title=a\ndistance=1\nresolution=0.1\nop={\n" + ops + "}\n");
  rec->messages.clear();
  DrcRestartClear(st);
  EXPECT_EQ(DrcGo(st), 0);
  EXPECT_EQ(rec->messages[0].text, "Saved Map Table Full (16 Maps) ... Can't Continue");
}

TEST_F(RunTest, LogFileNamesThatWouldDestroyInputAreRefused) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  const int open = OpenFiles();
  for (const char* name : {"rules.drc", "RULES.DRC", "TOP.tlc", "nofolder/x.log"}) {
    Set(K_WR2, name);
    rec->messages.clear();
    EXPECT_EQ(DrcGo(st), 0) << name;
    EXPECT_EQ(OpenFiles(), open) << name;
    EXPECT_EQ(rec->messages[0].text, std::string("Unable to Write Log File ") + name + " ... Can't Continue");
  }
  std::ifstream f(dir / "rules.drc");
  std::string first;
  std::getline(f, first);
  EXPECT_EQ(first, "title= Spacing");
}

// Every file of the drawing, in any case, stays as it was when the log is
// named after it.
TEST_F(RunTest, LogFileNamedAfterADrawingFileLeavesItAlone) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  const int open = OpenFiles();
  for (const char* name : {"quil7.crf", "QUIL7.CRF", "Quil7.usf", "QuilDrc.usf", "QUILCKT.USF", "layers.ldm",
                           "MAP.LDM", "top.TLC"}) {
    std::ofstream(dir / name) << "keep\n";
    Set(K_WR2, name);
    rec->messages.clear();
    EXPECT_EQ(DrcGo(st), 0) << name;
    EXPECT_EQ(OpenFiles(), open) << name;
    ASSERT_FALSE(rec->messages.empty()) << name;
    EXPECT_EQ(rec->messages[0].text, std::string("Unable to Write Log File ") + name + " ... Can't Continue");
    std::ifstream f(dir / name);
    std::string first;
    std::getline(f, first);
    EXPECT_EQ(first, "keep") << name;
    fs::remove(dir / name);
  }
}

TEST_F(RunTest, AWindowBeyondTheDrawingRangeIsRefused) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  struct Case {
    const char *l, *b, *r, *t;
    const char* message;
  } cases[] = {
      {"0", "0", "1e30", "1e30", "Checking Window 0, 0, 1e+30, 1e+30 is too Large for the Drawing ... Can't Continue"},
      {"-3e6", "0", "20", "20", "Checking Window -3000000, 0, 20, 20 is too Large for the Drawing ... Can't Continue"},
  };
  for (const Case& c : cases) {
    Window(c.l, c.b, c.r, c.t);
    rec->messages.clear();
    Visits().clear();
    EXPECT_EQ(DrcGo(st), 0) << c.r;
    ASSERT_FALSE(rec->messages.empty());
    EXPECT_EQ(rec->messages[0].text, c.message);
    EXPECT_TRUE(Visits().empty());
  }
}

// Cell names that lead out of the drawing folder: nothing read, nothing written.
TEST_F(RunTest, CellNamesLeadingOutOfTheDrawingAreRefused) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  const char* outside[] = {"..\\OUTSIDE", "../OUTSIDE", "SUB/../../OUTSIDE"};
  for (const char* name : outside) {
    int bad = DrcMemAddCell(d, name);
    ASSERT_EQ(DrcMemReadTlc(d, bad, "<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n"), 0);
    DrcMemFinish(d);
    DrcMemSource(d);
    // From the command line: the cell stays as it was.
    rec->messages.clear();
    Set(K_CLN, "TOP");
    DrcApplyArguments(st, (std::string(name) + " 10 10 20").c_str());
    EXPECT_EQ(std::string(st.set.v[K_CLN]), "TOP") << name;
    EXPECT_FALSE(rec->messages.empty()) << name;
    // From the settings.
    Set(K_CLN, name);
    rec->messages.clear();
    Visits().clear();
    EXPECT_EQ(DrcGo(st), 0) << name;
    ASSERT_FALSE(rec->messages.empty()) << name;
    EXPECT_TRUE(Visits().empty()) << name;
  }
  // Through an instance of the main cell: any name the library's check
  // refuses (leading out, a device or reserved name, a bad character) is
  // never read, though the source would give its geometry.
  const char* placed[] = {"../OUTSIDE", "NUL", "CON", "COM1", "B", "X*Y"};
  for (const char* name : placed) {
    int bad = DrcMemAddCell(d, name);
    ASSERT_EQ(DrcMemReadTlc(d, bad, "<B>\n1 0 0 5000 5000\n</B>\n"), 0);
    Set(K_CLN, "TOP");
    int inst = DrcMemAddCell(d, "TOP");
    d.cells[inst - 1].insts.push_back({name, 0, 0, 0});
    DrcMemFinish(d);
    DrcMemSource(d);
    int64_t readsBefore = d.reads;
    rec->messages.clear();
    EXPECT_EQ(DrcGo(st), 0) << name;
    EXPECT_EQ(d.reads, readsBefore) << name;
    bool named = false;
    for (const auto& m : rec->messages) named = named || m.text.find("Cellname") != std::string::npos;
    EXPECT_TRUE(named) << name;
  }
  fs::path up = dir.parent_path();
  for (const char* leaked : {"OUTSIDE_1_1.pcx", "..\\OUTSIDE_1_1.pcx"}) {
    EXPECT_FALSE(fs::exists(up / leaked)) << leaked;
    EXPECT_FALSE(fs::exists(dir / leaked)) << leaked;
    fs::remove(up / leaked);
  }
}

// Map files that cannot be written: one question for the whole run, the log
// and the closing text say which maps have no file.
TEST_F(RunTest, MapFilesThatCannotBeWrittenAreAskedAboutOnce) {
  // Spacing errors in two areas of one check.
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n<B>\n1 150000 90000 155000 95000\n</B>\n"
           "<B>\n1 155500 90000 160000 95000\n</B>\n");
  Window("0", "0", "200", "100");
  const std::string ask = "Can't Open Map File TOP_1_1.pcx ... Continue without Map Files?";
  struct Case {
    int answer;
    int result;
    size_t areaLines;
    const char* closing;
  } cases[] = {
      {HOST_IDYES, 1, 2, "DRC Completed ...  2 Total Maps\n2 Maps not Written to File"},
      {HOST_IDNO, 0, 0, "Aborted ... DRC may be Incomplete"},
  };
  // A read-only drawing folder refuses every map file; the log is kept elsewhere.
  MountedFolder ro(64);
  if (!ro.mounted) GTEST_SKIP() << ro.reason;
  std::ofstream(fs::path(ro.path) / "rules.drc") << kSpacing;
  ASSERT_TRUE(ro.MakeReadOnly());
  std::snprintf(st.run.folder, sizeof st.run.folder, "%s", ro.path.c_str());
  Set(K_WR2, (dir / "QuilDrc.log").string().c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Set(K_CSN, "1");
    DrcRestartClear(st);
    rec->messages.clear();
    rec->answers.assign({c.answer});
    EXPECT_EQ(DrcGo(st), c.result);
    int asked = 0;
    for (const HostMessage& m : rec->messages) {
      EXPECT_NE(m.text, "Can't Open Map File");
      if (m.text == ask) ++asked;
    }
    EXPECT_EQ(asked, 1);
    std::vector<std::string> a = AreaLines();
    ASSERT_EQ(a.size(), c.areaLines);
    for (const std::string& line : a) EXPECT_NE(line.find("Map File: No File"), std::string::npos) << line;
    ASSERT_FALSE(rec->messages.empty());
    EXPECT_EQ(rec->messages.back().text.rfind(c.closing, 0), 0u) << rec->messages.back().text;
  }
}

// A disk that fills up leaves no partial map file behind.
TEST_F(RunTest, AFullDiskLeavesNoPartialMapFile) {
  MountedFolder small(12);
  if (!small.mounted) GTEST_SKIP() << small.reason;
  std::snprintf(st.run.folder, sizeof st.run.folder, "%s", small.path.c_str());
  std::ofstream(fs::path(small.path) / "rules.drc") << kSpacing;
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  // Fill what is left but a few hundred bytes.
  {
    std::ofstream fill(fs::path(small.path) / "fill.bin", std::ios::binary);
    std::string block(512, 'x');
    while (fill.write(block.data(), (std::streamsize)block.size()) && fill.flush()) {
    }
  }
  rec->answers.assign({HOST_IDYES});
  DrcGo(st);
  EXPECT_FALSE(fs::exists(fs::path(small.path) / "TOP_1_1.pcx"));
}

TEST_F(RunTest, MapFilesOfARunContinueAfterThoseOnDisk) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  Set(K_ERS, "N");
  ASSERT_EQ(DrcGo(st), 1);
  ASSERT_EQ(DrcGo(st), 1);
  // The log names both files; the second run did not overwrite the first.
  std::vector<std::string> a = AreaLines();
  ASSERT_EQ(a.size(), 2u);
  EXPECT_NE(a[0].find("TOP_1_1.pcx"), std::string::npos);
  EXPECT_NE(a[1].find("TOP_1_2.pcx"), std::string::npos);
  EXPECT_TRUE(fs::exists(dir / "TOP_1_2.pcx"));
  // Erasing old map files starts the numbering again.
  Set(K_EPX, "Y");
  ASSERT_EQ(DrcGo(st), 1);
  EXPECT_FALSE(fs::exists(dir / "TOP_1_2.pcx"));
  EXPECT_TRUE(fs::exists(dir / "TOP_1_1.pcx"));
}

TEST_F(RunTest, ANonPositiveScaleIsRefused) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  st.g.scale = 0;
  EXPECT_EQ(DrcGo(st), 0);
  EXPECT_EQ(rec->messages[0].text, "Drawing Scale 0 is not Positive ... Can't Continue");
  EXPECT_TRUE(Visits().empty());
}

TEST_F(RunTest, ASecondRunMapsTheEditedCell) {
  Rules(kSpacing);
  Geometry("<B>\n1 0 0 5000 5000\n</B>\n<B>\n1 5500 0 9000 5000\n</B>\n");
  Window("0", "0", "20", "20");
  ASSERT_EQ(DrcGo(st), 1);
  EXPECT_EQ(AreaLines().size(), 1u);
  d.cells[top - 1].boxes[1].l = 7000;  // the gap is 2 now
  ASSERT_EQ(DrcGo(st), 1);
  EXPECT_EQ(AreaLines().size(), 0u);
}

}  // namespace
