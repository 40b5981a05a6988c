// The flattener engine run natively on small drawings, checked against the
// reference flattener and against the rules for circuit texts.
#include "flatten.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>

#include "flatref.h"
#include "host.h"
#include "host_record.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "small_fs.h"

namespace fs = std::filesystem;

namespace {

std::string Source() {
  const char* s = getenv("QUIL_SOURCE");
  return s ? s : QUIL_SOURCE_DIR;
}

std::string Slurp(const fs::path& p) {
  std::ifstream f(p);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// A private copy of a fixture drawing as the current folder.
struct Drawing {
  fs::path dir;
  fs::path old;
  explicit Drawing(const std::string& fixture) {
    old = fs::current_path();
    char tmpl[] = "/tmp/quilflatXXXXXX";
    dir = mkdtemp(tmpl);
    fs::path from = fixture == "sample" ? fs::path(Source()) / "samples/demo"
                                        : fs::path(Source()) / "tests/fixtures/flatten" / fixture;
    fs::copy(from, dir, fs::copy_options::recursive);
    fs::current_path(dir);
    if (!fs::exists("QUIL7.USF")) std::ofstream("QUIL7.USF") << "scale=1000\nphysunit=um\n";
  }
  ~Drawing() {
    fs::current_path(old);
    fs::remove_all(dir);
  }
};

struct FlatRunResult {
  int result;
  HostRecord rec;
};

// Starts the program as the frame does and presses Go once.
// prepare, when given, runs once the cell reference file is read.
int Go(FlatState* st, const std::map<int, std::string>& settings, HostRecord** rec = nullptr,
       const std::function<void()>& prepare = nullptr) {
  FlatReset(st);
  SatSetupReset();
  TlcStoreReset();
  CellInfoReset();
  HostRecord& r = HostRecordInstall();
  if (rec) *rec = &r;
  EXPECT_EQ(UsfMainRead(), 0);
  EXPECT_EQ(SatCrfRead(), 0);
  if (prepare) prepare();
  for (auto& kv : settings) snprintf(UsfSlot(kv.first), SAT_SLOT_SIZE, "%s", kv.second.c_str());
  SetupApply(st, 0);
  return SatGoRun();
}

std::map<std::string, int> Ranks() {
  std::map<std::string, int> m;
  for (int i = 1; i <= Cells.count; ++i) m[Cells.cell[i].name] = Cells.cell[i].flags & 0x1f;
  return m;
}

bool HasMessage(const HostRecord& r, const std::string& text) {
  for (auto& m : r.messages)
    if (m.text == text) return true;
  return false;
}

std::string LastMessage(const HostRecord& r) { return r.messages.empty() ? "" : r.messages.back().text; }

}  // namespace

// Each test owns the flattener's state; it holds the cell list, so it lives
// on the heap.
class Flatten : public ::testing::Test {
 protected:
  std::unique_ptr<FlatState> state{new FlatState()};
  FlatState* st = state.get();
  ~Flatten() override { FlatReset(st); }  // gives back the device-area table
};

TEST_F(Flatten, SmashEqualsMatrixReference) {
  Drawing d("nested");
  HostRecord* rec;
  ASSERT_EQ(Go(st, {{FLAT_MCN, "top"}, {FLAT_FLT, "N"}}, &rec), 1) << LastMessage(*rec);
  RefCell out = RefParse("Smsh_files/Top_smsh.tlc");
  RefOut got = RefOfCell(out);
  RefOut want = RefFlatten(".", "TOP", Ranks(), false);
  EXPECT_EQ(got.boxes, want.boxes);
  EXPECT_EQ(got.paths, want.paths);
  EXPECT_EQ(got.texts, want.texts);  // every text, its orientation composed
  EXPECT_TRUE(got.insts.empty());
  EXPECT_EQ(got.boxes.size(), 8u * 10u + 1u);
  EXPECT_EQ(out.hdrName, "TOP_SMSH");
  EXPECT_EQ(out.hdrRank, 1);
  EXPECT_EQ(out.counts[0], (int64_t)got.boxes.size());
  EXPECT_EQ(out.counts[1], (int64_t)(got.paths.size() + got.texts.size()));
  EXPECT_EQ(out.counts[3], 0);
  EXPECT_EQ(rec->messages.back().text.rfind("Completed ... ", 0), 0u);
}

TEST_F(Flatten, FlattenKeepsDeviceCellsPlacedAsTheMatricesSay) {
  Drawing d("nested");
  HostRecord* rec;
  ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}}, &rec), 1) << LastMessage(*rec);
  RefCell out = RefParse("Flat_files/Top_flat.tlc");
  RefOut got = RefOfCell(out);
  RefOut want = RefFlatten(".", "TOP", Ranks(), true);
  EXPECT_EQ(got.boxes, want.boxes);
  EXPECT_EQ(got.paths, want.paths);
  // The kept references carry the composed orientation, mirrored
  // placements over quarter turns included.
  EXPECT_EQ(got.insts, want.insts);
  EXPECT_EQ(got.insts.size(), 8u * 9u);
  EXPECT_EQ(out.hdrRank, 2);
  EXPECT_EQ(out.counts[3], 72);
  // Device cells are copied beside the flat cell.
  EXPECT_EQ(Slurp("Flat_files/Leaf.tlc"), Slurp("LEAF.tlc"));
  EXPECT_EQ(Slurp("Flat_files/Nmos.tlc"), Slurp("NMOS.tlc"));
}

TEST_F(Flatten, SampleTopCellEqualsMatrixReferenceInBothModes) {
  for (bool smash : {false, true}) {
    Drawing d("sample");
    HostRecord* rec;
    ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, smash ? "N" : "Y"}}, &rec), 1) << LastMessage(*rec);
    RefCell out = RefParse(smash ? "Smsh_files/Top_smsh.tlc" : "Flat_files/Top_flat.tlc");
    RefOut got = RefOfCell(out);
    RefOut want = RefFlatten(".", "TOP", Ranks(), !smash);
    EXPECT_EQ(got.boxes, want.boxes) << smash;
    EXPECT_EQ(got.paths, want.paths) << smash;
    EXPECT_EQ(got.texts, want.texts) << smash;  // the sample has no texts on this program's text layers 1-4
    EXPECT_EQ(got.insts, want.insts) << smash;
    // TOP's ten vias, and per inverter its three input boxes and, smashed,
    // the eight boxes of each transistor.
    EXPECT_EQ(got.boxes.size(), smash ? 10u + 3u * (3u + 8u + 8u) : 10u + 3u * 3u);
    EXPECT_EQ(got.insts.empty(), smash);
  }
}

TEST_F(Flatten, CircuitTextsFollowTheirLayerRules) {
  Drawing d("nested");
  struct Case {
    const char* keepAll;
    std::vector<std::string> kept;  // texts written, sorted
  } cases[] = {
      // depth-0 node text kept; node texts at depth 1 only inside a device
      // area; device texts renamed in order; parameters inside areas only;
      // connector texts never; other layers always.
      {"N",
       {"M_1", "M_2", "M_3", "M_4", "M_5", "M_6", "M_7", "M_8", "NODEIN", "NODEIN", "NODEIN", "NODEIN",
        "NODEIN", "NODEIN", "NODEIN", "NODEIN", "TOPN", "W=2", "W=2", "W=2", "W=2", "W=2", "W=2", "W=2",
        "W=2"}},
      {"Y",
       {"M_1", "M_2", "M_3", "M_4", "M_5", "M_6", "M_7", "M_8", "N1", "N1", "N1", "N1", "N1", "N1", "N1",
        "N1", "NODEIN", "NODEIN", "NODEIN", "NODEIN", "NODEIN", "NODEIN", "NODEIN", "NODEIN", "TOPN", "W=2",
        "W=2", "W=2", "W=2", "W=2", "W=2", "W=2", "W=2"}},
  };
  for (const Case& c : cases) {
    HostRecord* rec;
    ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_KAT, c.keepAll}}, &rec), 1) << LastMessage(*rec);
    RefCell out = RefParse("Flat_files/Top_flat.tlc");
    std::vector<std::string> texts;
    for (auto& t : out.texts) texts.push_back(t.text);
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, c.kept) << "keep all " << c.keepAll;
  }
}

TEST_F(Flatten, LayerFilterDropsEveryKindOfObject) {
  Drawing d("nested");
  HostRecord* rec;
  ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, "N"}, {FLAT_LTC, "5-6 9"}}, &rec), 1) << LastMessage(*rec);
  RefCell out = RefParse("Smsh_files/Top_smsh.tlc");
  for (auto& b : out.boxes) EXPECT_TRUE(b.lyr == 5 || b.lyr == 9) << b.lyr;
  for (auto& p : out.paths) EXPECT_EQ(p.lyr, 6);
  EXPECT_TRUE(out.texts.empty());
  EXPECT_EQ(out.boxes.size(), 65u);
  EXPECT_EQ(out.paths.size(), 64u);
}

TEST_F(Flatten, RefusesToWriteIntoTheDrawingFolder) {
  Drawing d("nested");
  HostRecord* rec;
  EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FFP, ".\\"}}, &rec), 0);
  EXPECT_TRUE(HasMessage(*rec, "Cell Files will be written to the Drawing Folder ... Can't Continue"));
  EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete");
  // Smash may write there.
  EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FFP, ".\\"}, {FLAT_FLT, "N"}}, &rec), 1) << LastMessage(*rec);
  EXPECT_TRUE(fs::exists("Top_smsh.tlc"));
}

TEST_F(Flatten, BrokenDrawingsStopTheRunAndLeaveNoOutputCell) {
  struct Case {
    const char* name;
    void (*spoil)();
    std::string message;
  } cases[] = {
      {"missing cell file", [] { fs::remove("MID.tlc"); }, "MID.tlc File is Missing ... Can't Continue"},
      {"missing device file", [] { fs::remove("NMOS.tlc"); }, "NMOS.tlc File is Missing ... Can't Continue"},
      {"cell not in the list",
       [] {
         std::ofstream f("QUIL7.CRF");
         f << "3\nLEAF\n1 0 0 8 9 1 3 13 0\nMID\n2 0 0 800 520 1 6 12 9\nTOP\n3 0 0 1 1 1 2 4 8\n\n";
       },
       "A Cell Placed in MID is not in the Cell Reference File ... Can't Continue"},
      {"unreadable record",
       [] {
         std::ofstream f("MID.tlc", std::ios::app);
         f << "<P>\n1 0 2000\n0 0\n</P>\n";
       },
       "Path Record Read Error"},
  };
  for (const Case& c : cases) {
    for (const char* mode : {"Y", "N"}) {
      Drawing d("nested");
      c.spoil();
      HostRecord* rec;
      EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, mode}}, &rec), 0) << c.name;
      EXPECT_TRUE(HasMessage(*rec, c.message)) << c.name << ": " << LastMessage(*rec);
      EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete") << c.name;
      EXPECT_FALSE(fs::exists("Flat_files/Top_flat.tlc")) << c.name;
      EXPECT_FALSE(fs::exists("Smsh_files/Top_smsh.tlc")) << c.name;
      std::string log = Slurp("Quilflat.log");
      EXPECT_EQ(log.find("Completed"), std::string::npos) << c.name;
    }
  }
}

TEST_F(Flatten, SettingsThatCannotWorkStopBeforeWriting) {
  struct Case {
    const char* name;
    std::map<int, std::string> settings;
    std::string message;
  } cases[] = {
      {"folder in a missing folder", {{FLAT_MCN, "TOP"}, {FLAT_FFP, ".\\No\\Such\\"}}, "Folder .\\No\\Such\\ is Invalid"},
      {"folder path too long", {{FLAT_MCN, "TOP"}, {FLAT_FFP, std::string(300, 'a')}},
       "Path of Cell Files is too Long ... Can't Continue"},
      {"cell not in the drawing", {{FLAT_MCN, "NOPE"}}, "Cell \"NOPE\" does Not Exist ... Can't Continue"},
      {"log in a missing folder", {{FLAT_MCN, "TOP"}, {FLAT_WR2, "no\\such\\run.log"}},
       "Unable to Write Log File ... Can't Continue"},
  };
  for (const Case& c : cases) {
    Drawing d("nested");
    HostRecord* rec;
    EXPECT_EQ(Go(st, c.settings, &rec), 0) << c.name;
    EXPECT_TRUE(HasMessage(*rec, c.message)) << c.name << ": " << ::testing::PrintToString(HostRecordTexts());
    EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete") << c.name;
    EXPECT_FALSE(fs::exists("Flat_files/Top_flat.tlc")) << c.name;
  }
}

TEST_F(Flatten, DeviceAreaTableFullStopsTheRun) {
  struct Case {
    const char* name;
    int devices;    // distinct device cells placed in TOP
    int placements; // placements of the first device cell in TOP
    std::string message;
  } cases[] = {
      {"device areas", 1, 16380, "Cell Info Table is Full ... Can't Continue"},
  };
  for (const Case& c : cases) {
    Drawing d("nested");
    std::ofstream crf("QUIL7.CRF");
    crf << c.devices + 1 << "\n";
    std::ofstream top("BIGTOP.tlc");
    for (int i = 0; i < c.devices; ++i) {
      crf << "D" << i << "\n1 0 0 10 10 0 0 0 0\n";
      top << "<C>\nD" << i << "\n0 " << i * 20 << " 0 0\n</C>\n";
    }
    for (int i = 1; i < c.placements; ++i) top << "<C>\nD0\n0 " << i * 20 << " 0 0\n</C>\n";
    crf << "BIGTOP\n2 0 0 1 1 0 0 0 " << c.devices + c.placements << "\n";
    crf.close();
    top.close();
    std::ofstream("D0.tlc") << "<T>\n2 15 2 0\n0 0\n<![CDATA[C]]>\n</T>\n";  // a connector text
    HostRecord* rec;
    EXPECT_EQ(Go(st, {{FLAT_MCN, "BIGTOP"}}, &rec), 0) << c.name;
    EXPECT_TRUE(HasMessage(*rec, c.message)) << c.name << ": " << ::testing::PrintToString(HostRecordTexts());
    EXPECT_FALSE(fs::exists("Flat_files/Bigtop_flat.tlc")) << c.name;
  }
}

TEST_F(Flatten, CoordinatesBeyondTheDrawingRangeStopTheRun) {
  Drawing d("nested");
  std::ofstream("FAR.tlc") << "<C>\nMID\n0 536870500 0 0\n</C>\n";
  std::string list = Slurp("QUIL7.CRF");
  list.replace(0, 1, "5");
  list.erase(list.find_last_not_of('\n') + 1);
  std::ofstream("QUIL7.CRF") << list << "\nFAR\n3 0 0 1 1 0 0 0 1\n";
  HostRecord* rec;
  EXPECT_EQ(Go(st, {{FLAT_MCN, "FAR"}, {FLAT_FLT, "N"}}, &rec), 0);
  EXPECT_TRUE(HasMessage(*rec, "Flattened Coordinates Exceed the Drawing Range in FAR ... Can't Continue"))
      << ::testing::PrintToString(HostRecordTexts());
  EXPECT_FALSE(fs::exists("Smsh_files/Far_smsh.tlc"));
}

TEST_F(Flatten, EscDuringTheRunAbortsWithoutADoneCell) {
  for (int poll : {0, 3, 12}) {
    Drawing d("nested");
    FlatReset(st);
    SatSetupReset();
    TlcStoreReset();
    CellInfoReset();
    HostRecord& r = HostRecordInstall();
    r.abortAfterPolls = poll;
    UsfMainRead();
    SatCrfRead();
    snprintf(UsfSlot(FLAT_MCN), SAT_SLOT_SIZE, "TOP");
    SetupApply(st, 0);
    EXPECT_EQ(SatGoRun(), 0) << poll;
    EXPECT_EQ(LastMessage(r), "Aborted ... Files may be Incomplete");
    EXPECT_FALSE(fs::exists("Flat_files/Top_flat.tlc")) << poll;
  }
}

TEST_F(Flatten, TheFramesHooksRunOnTheStateLastReset) {
  Drawing d("nested");
  std::unique_ptr<FlatState> earlier{new FlatState()};
  FlatReset(earlier.get());
  HostRecord* rec;
  ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, "N"}}, &rec), 1) << LastMessage(*rec);
  EXPECT_EQ(st->total.boxes, 81);
  EXPECT_STREQ(st->chosen, "TOP");
  // The state reset before is left as it was.
  EXPECT_EQ(earlier->total.boxes, 0);
  EXPECT_EQ(earlier->chosen[0], 0);
  EXPECT_EQ(earlier->areas, nullptr);
}

TEST_F(Flatten, RankOneCellGivesAnEmptyRankTwoFlatCell) {
  Drawing d("nested");
  HostRecord* rec;
  ASSERT_EQ(Go(st, {{FLAT_MCN, "LEAF"}}, &rec), 1) << LastMessage(*rec);
  RefCell out = RefParse("Flat_files/Leaf_flat.tlc");
  EXPECT_EQ(out.hdrRank, 2);
  EXPECT_TRUE(out.boxes.empty() && out.paths.empty() && out.texts.empty() && out.insts.empty());
  // The byte count of the closing message is the file's length.
  std::ostringstream want;
  want << "Completed ... " << fs::file_size("Flat_files/Leaf_flat.tlc")
       << " Bytes in TLC File\n\nUse Import to Register Cell in Drawing";
  EXPECT_EQ(LastMessage(*rec), want.str());
}

TEST_F(Flatten, HierarchyDeeperThanTheStoreIsRefused) {
  struct Case {
    int cells;  // a chain C1 (rank 1) .. Cn placing each other
    int result;
  } cases[] = {{24, 1}, {25, 0}};
  for (const Case& c : cases) {
    Drawing d("nested");
    std::ofstream crf("QUIL7.CRF");
    crf << c.cells << "\n";
    for (int i = 1; i <= c.cells; ++i) {
      crf << "C" << i << "\n" << std::min(i, 24) << " 0 0 1 1 1 0 0 " << (i > 1) << "\n";
      std::ofstream f("C" + std::to_string(i) + ".tlc");
      f << "<B>\n1 0 0 " << i << " 1\n</B>\n";
      if (i > 1) f << "<C>\nC" << i - 1 << "\n0 1 0 0\n</C>\n";
    }
    crf.close();
    HostRecord* rec;
    std::string top = "C" + std::to_string(c.cells);
    EXPECT_EQ(Go(st, {{FLAT_MCN, top}, {FLAT_FLT, "N"}}, &rec), c.result) << LastMessage(*rec);
    if (c.result) {
      RefCell out = RefParse("Smsh_files/" + std::string("C") + std::to_string(c.cells) + "_smsh.tlc");
      EXPECT_EQ(out.boxes.size(), (size_t)c.cells);
    } else {
      EXPECT_TRUE(HasMessage(*rec, "Cell Hierarchy Deeper than 24 Levels below C25 ... Can't Continue"))
          << ::testing::PrintToString(HostRecordTexts());
    }
  }
}

TEST_F(Flatten, LimitOfOneRunDoesNotSilenceTheNext) {
  Drawing d("nested");
  HostRecord* rec;
  FlatReset(st);
  SatSetupReset();
  TlcStoreReset();
  CellInfoReset();
  rec = &HostRecordInstall();
  UsfMainRead();
  SatCrfRead();
  snprintf(UsfSlot(FLAT_MCN), SAT_SLOT_SIZE, "TOP");
  snprintf(UsfSlot(FLAT_FLT), SAT_SLOT_SIZE, "N");
  SetupApply(st, 0);
  TlcStore.limB = 2;  // MID holds one box, TOP one: fine; no cell holds three
  EXPECT_EQ(SatGoRun(), 1) << LastMessage(*rec);
  std::string first = Slurp("Smsh_files/Top_smsh.tlc");
  TlcStore.limB = 0;  // now every box is refused
  EXPECT_EQ(SatGoRun(), 0);
  EXPECT_TRUE(HasMessage(*rec, "TLC Boxes Exceed Limit ... Load Aborted"));
  // The failed run leaves the last complete result as it was.
  EXPECT_EQ(Slurp("Smsh_files/Top_smsh.tlc"), first);
  EXPECT_FALSE(fs::exists("Smsh_files/Top_smsh.tlc.tmp"));
  TlcStore.limB = BMAX;  // a later run takes boxes again
  EXPECT_EQ(SatGoRun(), 1) << LastMessage(*rec);
  EXPECT_EQ(RefParse("Smsh_files/Top_smsh.tlc").boxes.size(), 81u);
}

TEST_F(Flatten, FullDiskFailsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  Drawing d("nested");
  fs::create_directory("Flat_files");
  // The cell is written through a scratch file beside it: that is the
  // file the full disk refuses.
  fs::create_symlink("/dev/full", "Flat_files/Top_flat.tlc.tmp");
  HostRecord* rec;
  EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}}, &rec), 0);
  EXPECT_TRUE(HasMessage(*rec, "Unable to Write Flat TLC File")) << LastMessage(*rec);
  EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete");
}

TEST_F(Flatten, OutputMatchesTheStoredExpectation) {
  // The stored files are what the Wine test compares the program's output
  // with; dates and times aside they must not drift.
  for (const char* mode : {"Y", "N"}) {
    Drawing d("nested");
    HostRecord* rec;
    ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, mode}}, &rec), 1) << LastMessage(*rec);
    std::string sub = mode[0] == 'Y' ? "flatten" : "smash";
    fs::path exp = fs::path(Source()) / "tests/fixtures/flatten/expected" / sub;
    std::string cell = mode[0] == 'Y' ? "Flat_files/Top_flat.tlc" : "Smsh_files/Top_smsh.tlc";
    auto strip = [](std::string s, bool log) {
      std::istringstream in(s);
      std::string line, out;
      int n = 0;
      while (std::getline(in, line)) {
        ++n;
        if (log && n == 1) line = line.substr(0, line.find("  7.0.91"));
        if (!log && (line.size() == 8 && (line[2] == '/' || line[2] == ':'))) line = "<stamp>";
        out += line + "\n";
      }
      return out;
    };
    if (getenv("QUIL_BLESS")) {
      fs::create_directories(exp);
      fs::copy_file(cell, exp / fs::path(cell).filename(), fs::copy_options::overwrite_existing);
      fs::copy_file("Quilflat.log", exp / "Quilflat.log", fs::copy_options::overwrite_existing);
    }
    EXPECT_EQ(strip(Slurp(cell), false), strip(Slurp(exp / fs::path(cell).filename()), false));
    EXPECT_EQ(strip(Slurp("Quilflat.log"), true), strip(Slurp(exp / "Quilflat.log"), true));
  }
}

namespace {

// Every file below root with its content: what a run must leave alone.
// The output folders (and the log) are the run's to write.
std::map<std::string, std::string> Tree(const fs::path& root, const fs::path& dwg) {
  std::map<std::string, std::string> m;
  for (auto& e : fs::recursive_directory_iterator(root)) {
    fs::path in = e.path().parent_path();
    if (in == dwg / "Flat_files" || in == dwg / "Smsh_files" || e.path() == dwg / "Flat_files" ||
        e.path() == dwg / "Smsh_files" || e.path() == dwg / "Quilflat.log")
      continue;
    m[e.path().string()] = e.is_regular_file() ? Slurp(e.path()) : "<dir>";
  }
  return m;
}

// The nested drawing four folders deep, with decoy cell files around it
// for names that climb out of the drawing.
struct DeepDrawing {
  fs::path root, dir, old;
  DeepDrawing() {
    old = fs::current_path();
    char tmpl[] = "/tmp/quilflatXXXXXX";
    root = mkdtemp(tmpl);
    dir = root / "a/b/c/d";
    fs::create_directories(dir);
    fs::copy(fs::path(Source()) / "tests/fixtures/flatten/nested", dir / "dwg", fs::copy_options::recursive);
    for (const char* p : {"a/b/c/d/x.tlc", "a/b/c/d/X.tlc", "a/b/c/d/dwg/Flat_files/x.tlc", "x.tlc", "a/x/V.tlc"}) {
      fs::create_directories((root / p).parent_path());
      std::ofstream(root / p) << "<B>\n1 0 0 5 5\n</B>\nDECOY\n";
    }
    dir /= "dwg";
    fs::remove_all(dir / "Flat_files");
    fs::current_path(dir);
  }
  ~DeepDrawing() {
    fs::current_path(old);
    fs::remove_all(root);
  }
};

}  // namespace

TEST_F(Flatten, HostileCellNamesNeverBecomePaths) {
  const std::string names[] = {"..\\x", "../x", "..\\..\\..\\..\\x\\V", "C:\\x", "\\\\server\\x", "CON", "NUL",
                               "COM1", "AUX", "A:B", "A*B", "A?B", "A\x01" "B", "A\x7f" "B", std::string(33, 'L'),
                               ""};
  struct Route {
    const char* name;
    bool listed;    // the name is an entry of QUIL7.CRF
    bool placed;    // TOP places a cell of that name
    bool chosen;    // the name is the cell to flatten
    bool table;     // the name reaches the cell table past the file's reader
  } routes[] = {
      {"cell reference file", true, true, false, false},
      {"instance record", false, true, false, false},
      {"settings", true, false, true, false},
      {"cell table, placed", false, true, false, true},
      {"cell table, chosen", false, false, true, true},
  };
  for (const Route& r : routes) {
    for (const std::string& bad : names) {
      for (const char* mode : {"Y", "N"}) {
        std::string what = std::string(r.name) + " '" + bad + "' mode " + mode;
        DeepDrawing d;
        if (r.listed) {
          std::ofstream crf("QUIL7.CRF");
          crf << "5\nNMOS\n1 0 0 10 20 1 1 2 0\nLEAF\n1 0 0 8 9 1 3 13 0\n" << bad << "\n"
              << (r.chosen ? "3 0 0 5 5 1 0 0 1" : "1 0 0 5 5 1 0 0 0")
              << "\nMID\n2 0 0 800 520 1 6 12 9\nTOP\n3 -5 -25000 80000 600 1 2 4 8\n";
        }
        if (r.placed) {
          std::string top = Slurp("TOP.tlc");
          top.insert(top.rfind("</TLC>"), "<C>\n" + bad + "\n0 7 7 0\n</C>\n");
          std::ofstream("TOP.tlc") << top;
        }
        auto before = Tree(d.root, d.dir);
        bool rootDecoy = fs::exists("/x.tlc");
        HostRecord* rec;
        auto inject = [&] {
          if (!r.table || Cells.count >= CELL_INFO_MAX) return;
          CellInfo& c = Cells.cell[++Cells.count];
          snprintf(c.name, sizeof c.name, "%s", bad.c_str());
          c.flags = r.chosen ? 3 : 1;
          c.l = c.b = 0;
          c.r = c.t = 5;
        };
        EXPECT_EQ(Go(st, {{FLAT_MCN, r.chosen ? bad : "TOP"}, {FLAT_FLT, mode}}, &rec, inject), 0) << what;
        EXPECT_GE(rec->messages.size(), 2u) << what << ": refused without saying why";
        EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete") << what;
        auto after = Tree(d.root, d.dir);
        for (auto& kv : after)
          EXPECT_EQ(kv.second, before[kv.first]) << what << ": " << kv.first << " written";
        for (auto& kv : before) EXPECT_TRUE(after.count(kv.first)) << what << ": " << kv.first << " removed";
        EXPECT_EQ(fs::exists("/x.tlc"), rootDecoy) << what;
        for (const char* out : {"Flat_files", "Smsh_files"}) {
          if (!fs::exists(out)) continue;
          for (auto& e : fs::recursive_directory_iterator(out))
            EXPECT_EQ(Slurp(e.path()).find("DECOY"), std::string::npos) << what << ": read " << e.path();
        }
        EXPECT_FALSE(fs::exists("Flat_files/Top_flat.tlc")) << what;
        EXPECT_FALSE(fs::exists("Smsh_files/Top_smsh.tlc")) << what;
      }
    }
  }
}

TEST_F(Flatten, TheChosenCellIsFlattenedWhenRanksTie) {
  // A hierarchy cut at the top rank: the chosen cell and the cells it
  // places share rank 24, and the sort is free to order them any way.
  for (const char* mode : {"Y", "N"}) {
    Drawing d("nested");
    std::ofstream("QUIL7.CRF") << "4\nLEAF\n1 0 0 8 9 1 3 13 0\nM1\n24 0 0 10 10 0 0 0 1\n"
                                  "M2\n24 0 0 10 10 0 0 0 1\nTOP\n24 0 0 10 10 1 0 0 3\n";
    std::ofstream("M1.tlc") << "<B>\n1 0 0 1 1\n</B>\n<C>\nLEAF\n0 0 0 0\n</C>\n";
    std::ofstream("M2.tlc") << "<B>\n1 0 0 2 2\n</B>\n<C>\nLEAF\n0 0 0 0\n</C>\n";
    std::ofstream("TOP.tlc") << "<B>\n1 0 0 3 3\n</B>\n<C>\nLEAF\n0 0 0 0\n</C>\n<C>\nM1\n0 100 0 0\n</C>\n"
                                "<C>\nM2\n0 200 0 0\n</C>\n";
    HostRecord* rec;
    ASSERT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, mode}}, &rec), 1) << mode << ": " << LastMessage(*rec);
    std::string out = mode[0] == 'Y' ? "Flat_files/Top_flat.tlc" : "Smsh_files/Top_smsh.tlc";
    ASSERT_TRUE(fs::exists(out)) << mode;
    RefCell cell = RefParse(out);
    EXPECT_EQ(cell.hdrName, mode[0] == 'Y' ? "TOP_FLAT" : "TOP_SMSH");
    EXPECT_EQ(cell.boxes.size(), 3u + (mode[0] == 'Y' ? 0u : 3u)) << mode;
    EXPECT_FALSE(fs::exists("Flat_files/M2_flat.tlc")) << mode;
    EXPECT_FALSE(fs::exists("Smsh_files/M2_smsh.tlc")) << mode;
    EXPECT_EQ(LastMessage(*rec), "Completed ... " + std::to_string(fs::file_size(out)) +
                                     " Bytes in TLC File\n\nUse Import to Register Cell in Drawing");
  }
}

TEST_F(Flatten, FailedRunOnAFullDiskKeepsTheLastOutputs) {
  for (const char* mode : {"Y", "N"}) {
    MountedFolder mnt(1024);
    if (!mnt.mounted) GTEST_SKIP() << mnt.reason;
    fs::path old = fs::current_path();
    fs::copy(fs::path(Source()) / "tests/fixtures/flatten/nested", mnt.path, fs::copy_options::recursive);
    fs::current_path(mnt.path);
    std::string outDir = mode[0] == 'Y' ? "Flat_files" : "Smsh_files";
    HostRecord* rec;
    EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, mode}}, &rec), 1) << mode << ": " << LastMessage(*rec);
    std::map<std::string, std::string> first;
    for (auto& e : fs::directory_iterator(outDir)) first[e.path().filename()] = Slurp(e.path());
    EXPECT_GE(first.size(), 1u) << mode;
    {
      // The second run's cell outgrows the room the old one leaves.
      std::string top = Slurp("TOP.tlc");
      std::string boxes;
      for (int i = 0; i < 3000; ++i) boxes += "<B>\n9 0 0 " + std::to_string(i + 1) + " 5\n</B>\n";
      top.insert(top.rfind("</TLC>"), boxes);
      std::ofstream("TOP.tlc") << top;
      // Then fill the disk.
      std::ofstream fill("filler", std::ios::binary);
      std::string block(4096, 'f');
      while (fill.write(block.data(), block.size()) && fill.flush()) {
      }
    }
    EXPECT_EQ(Go(st, {{FLAT_MCN, "TOP"}, {FLAT_FLT, mode}}, &rec), 0) << mode;
    EXPECT_EQ(LastMessage(*rec), "Aborted ... Files may be Incomplete") << mode;
    std::map<std::string, std::string> second;
    for (auto& e : fs::directory_iterator(outDir)) second[e.path().filename()] = Slurp(e.path());
    EXPECT_EQ(second, first) << mode << ": the first run's outputs changed, or a scratch file stayed";
    fs::current_path(old);
  }
}
