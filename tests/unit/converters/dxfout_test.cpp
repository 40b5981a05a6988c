#include "dxfout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "convtest.h"
#include "host.h"
#include "host_record.h"
#include "small_fs.h"

namespace {

using DxfState = OwnState<DxfOutState, DxfOutReset>;

struct DxfRun {
  DxfState own;
  DxfOutState* st = own.st;
  WorkDir dir;
  HostRecord* host = &HostRecordInstall();
  DxfRun() {
    st->fixedNow = 1;
    snprintf(st->val[DK_TFN], DXFOUT_VALLEN, "TOP.tlc");
  }
  ~DxfRun() { HostRecordRemove(); }
  int Go() {
    DxfOutSetupApply(st, 0);
    DxfOutSelParse(st, st->val[DK_FTR]);
    return DxfOutRun(st);
  }
  std::string Out() { return ReadText("TOP.dxf"); }
  bool Said(const std::string& text) {
    for (const auto& m : host->messages)
      if (m.text.find(text) != std::string::npos) return true;
    return false;
  }
};

size_t Count(const std::string& hay, const std::string& needle) {
  size_t n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

const char* const kBoxPolyline =
    "  0\nPOLYLINE\n  8\nLAYER_1\n 66\n1\n 70\n1\n 40\n0.0\n 41\n0.0\n"
    "  0\nVERTEX\n  8\nLAYER_1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
    "  0\nVERTEX\n  8\nLAYER_1\n 10\n0.01\n 20\n0.0\n 30\n0.0\n"
    "  0\nVERTEX\n  8\nLAYER_1\n 10\n0.01\n 20\n0.02\n 30\n0.0\n"
    "  0\nVERTEX\n  8\nLAYER_1\n 10\n0.0\n 20\n0.02\n 30\n0.0\n"
    "  0\nVERTEX\n  8\nLAYER_1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n"
    "  0\nSEQEND\n  8\nLAYER_1\n";
const char* const kBoxSolid =
    "  0\nSOLID\n  8\nLAYER_1\n 10\n0.0\n 20\n0.0\n 11\n0.01\n 21\n0.0\n 12\n0.0\n 22\n0.02\n 13\n0.01\n 23\n0.02\n";

// Each row: one main cell, the settings that differ, what the file must and
// must not hold.
TEST(DxfOutRun, EntitiesOfOneCell) {
  struct Case {
    const char* name;
    std::string records;
    const char* key;  // a setting "xxx=V" or null
    std::vector<std::string> has, hasNot;
  } cases[] = {
      {"box as closed polyline", "<B>\n1 0 0 10 20\n</B>\n", nullptr, {kBoxPolyline}, {"SOLID"}},
      {"box as solid", "<B>\n1 0 0 10 20\n</B>\n", "b2s=Y", {kBoxSolid}, {"POLYLINE"}},
      {"filtered layer absent", "<B>\n1 0 0 10 20\n</B>\n<B>\n2 0 0 5 5\n</B>\n", "ftr=1",
       {"  2\nLAYER_1\n"}, {"LAYER_2"}},
      {"text upright", "<T>\n3 1000 0 0\n2000 -500\n<![CDATA[IN]]>\n</T>\n", nullptr,
       {"  0\nTEXT\n  8\nLAYER_3\n 10\n2.0\n 20\n-0.5\n 30\n0.0\n 40\n1.0\n  1\nIN\n 50\n0.0\n"}, {" 71\n"}},
      {"text mirrored", "<T>\n3 1000 0 5\n0 0\n<![CDATA[IN]]>\n</T>\n", nullptr, {" 50\n270.0\n 71\n2\n"}, {}},
      {"texts off", "<T>\n3 1000 0 0\n0 0\n<![CDATA[IN]]>\n</T>\n", "txt=N", {}, {"TEXT"}},
      {"open path keeps 70 0", "<P>\n1 100 3\n0 0 1000 0 1000 1000\n</P>\n", nullptr,
       {" 70\n0\n 40\n0.1\n 41\n0.1\n"}, {"Extended"}},
      {"extended ends pulled out", "<P>\n1 -100 2\n0 0 1000 0\n</P>\n", nullptr,
       {" 40\n0.1\n", " 10\n-0.05\n", " 10\n1.05\n"}, {}},
      {"extended ends kept", "<P>\n1 -100 2\n0 0 1000 0\n</P>\n", "ipe=N", {" 40\n0.1\n", " 10\n0.0\n", " 10\n1.0\n"},
       {"LAYER_1\n 10\n-0.05\n"}},
      {"vertex widths", "<P>\n1 250 2\n0 0 1000 0\n</P>\n", "vxw=Y",
       {" 10\n1.0\n 20\n0.0\n 30\n0.0\n 40\n0.25\n 41\n0.25\n"}, {}},
      {"own prefix", "<B>\n1 0 0 10 20\n</B>\n", "lyn=M", {"  8\nM1\n"}, {"LAYER_"}},
      {"closed polygon", "<P>\n2 0 5\n0 0 1000 0 1000 1000 0 1000 0 0\n</P>\n", nullptr, {" 70\n1\n 40\n0.0\n"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DxfRun run;
    WriteText("TOP.tlc", TlcCell("TOP", 1, c.records));
    if (c.key)
      for (int k = 0; k < DXFOUT_NKEYS; ++k)
        if (strncmp(c.key, DxfOutKeys[k], 4) == 0) snprintf(run.st->val[k], DXFOUT_VALLEN, "%s", c.key + 4);
    ASSERT_EQ(run.Go(), 1);
    std::string out = run.Out();
    EXPECT_EQ(out.rfind("  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n", 0), 0u);
    EXPECT_EQ(out.substr(out.size() - 8), "  0\nEOF\n");
    for (const auto& h : c.has) EXPECT_NE(out.find(h), std::string::npos) << h;
    for (const auto& h : c.hasNot) EXPECT_EQ(out.find(h), std::string::npos) << h;
    EXPECT_EQ((int64_t)out.size(), run.st->w.bytes);
  }
}

TEST(DxfOutRun, InsertsBlocksAndExtents) {
  DxfRun run;
  WriteText("TOP.tlc", TlcCell("TOP", 3,
                               "<C>\nMID\n0 0 0 0\n</C>\n<C>\nLEAF\n5 10000 0 0\n</C>\n<B>\n1 -1000 -1000 0 0\n</B>\n"));
  WriteText("MID.tlc", TlcCell("MID", 2, "<C>\nLEAF\n0 3000 0 0\n</C>\n"));
  WriteText("LEAF.tlc", TlcCell("LEAF", 1, "<B>\n1 0 0 2000 1000\n</B>\n"));
  ASSERT_EQ(run.Go(), 1);
  std::string out = run.Out();
  EXPECT_EQ(Count(out, "  0\nBLOCK\n"), 2u);
  size_t leaf = out.find("  0\nBLOCK\n  8\n0\n  2\nLEAF\n"), mid = out.find("  0\nBLOCK\n  8\n0\n  2\nMID\n");
  ASSERT_NE(leaf, std::string::npos);
  ASSERT_NE(mid, std::string::npos);
  EXPECT_LT(leaf, mid);
  EXPECT_LT(mid, out.find("  2\nENTITIES\n"));
  EXPECT_NE(out.find("  0\nINSERT\n  8\n0\n  2\nLEAF\n 10\n10.0\n 20\n0.0\n 30\n0.\n 41\n-1.0\n 50\n270.0\n"),
            std::string::npos);
  // Leaf placed at 3000 in MID, and at 10000 mirrored and turned once: its
  // 2000 x 1000 box then spans x 10000..11000, y 0..2000, as a reader
  // applying x scale -1 and 270 degrees places it.
  EXPECT_NE(out.find("  9\n$EXTMAX\n 10\n11.0\n 20\n2.0\n 30\n0.0\n  9\n$EXTMIN\n 10\n-1.0\n 20\n-1.0\n"),
            std::string::npos);
}

TEST(DxfOutRun, OrientationsGiveMirrorAndAngle) {
  const char* want[8] = {"0.0", "90.0", "180.0", "270.0", "180.0", "270.0", "0.0", "90.0"};
  DxfRun run;
  std::string calls;
  for (int o = 0; o < 8; ++o) calls += "<C>\nLEAF\n" + std::to_string(o) + " " + std::to_string(o) + " 0 0\n</C>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 2, calls));
  WriteText("LEAF.tlc", TlcCell("LEAF", 1, "<B>\n1 0 0 2 1\n</B>\n"));
  ASSERT_EQ(run.Go(), 1);
  std::string out = run.Out();
  size_t at = out.find("  2\nENTITIES\n");
  for (int o = 0; o < 8; ++o) {
    at = out.find("  0\nINSERT\n", at + 1);
    ASSERT_NE(at, std::string::npos);
    size_t end = out.find("  0\n", at + 1);
    std::string ins = out.substr(at, end - at);
    EXPECT_EQ(ins.find(" 41\n-1.0\n") != std::string::npos, o >= 4) << o;
    EXPECT_NE(ins.find(std::string(" 50\n") + want[o] + "\n"), std::string::npos) << o;
  }
}

TEST(DxfOutRun, QuestionsAndNotes) {
  {
    DxfRun run;
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<P>\n1 0 2\n0 0 1000 0\n</P>\n<B>\n1 0 0 0 5\n</B>\n"));
    run.host->answers.push_back(HOST_IDOK);
    run.host->answers.push_back(HOST_IDOK);
    ASSERT_EQ(run.Go(), 1);
    EXPECT_TRUE(run.Said("Line Segment at X=0 Y=0 L=1 in TOP\n\nRemove It or Cancel Conversion?"));
    EXPECT_EQ(run.Out().find("POLYLINE"), std::string::npos);
    char text[200];
    DxfOutClosing(run.st, 1, text, sizeof text);
    std::string log = ReadText("DxfOut.log");
    EXPECT_NE(log.find("Line Segment Removed at X=0 Y=0 L=1 in TOP"), std::string::npos);
    EXPECT_NE(log.find("Crushed Box Removed at X=0 Y=0 L=1 in TOP"), std::string::npos);
  }
  {
    DxfRun run;
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 0 5\n</B>\n"));
    snprintf(run.st->val[DK_MPP], DXFOUT_VALLEN, "N");
    ASSERT_EQ(run.Go(), 1);
    EXPECT_NE(run.Out().find("POLYLINE"), std::string::npos);
  }
  {
    DxfRun run;
    WriteText("TOP.tlc", TlcCell("TOP", 1, "<P>\n1 0 2\n0 0 1000 0\n</P>\n"));
    run.host->answers.push_back(HOST_IDCANCEL);
    EXPECT_EQ(run.Go(), 0);
  }
}

TEST(DxfOutRun, StopsWithTheirMessages) {
  struct Case {
    const char* name;
    const char* top;  // null: no main file
    const char* xfn;
    const char* message;
  } cases[] = {
      {"missing main", nullptr, nullptr, "Main TLC file is Missing ... Can't Continue"},
      {"missing cell", "<C>\nSUB\n0 0 0 0\n</C>\n", nullptr, "SUB.TLC file is Missing ... Can't Continue"},
      {"bad box", "<B>\n1 0 0\n</B>\n", nullptr, "Box Layer Read Error"},
      {"outside name", "<C>\n..\\SUB\n0 0 0 0\n</C>\n", nullptr, "Incorrect Cell Name"},
      {"unwritable", "<B>\n1 0 0 10 20\n</B>\n", "NODIR/TOP.dxf", "Unable to Write DXF File ... Can't Continue"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DxfRun run;
    if (c.top) WriteText("TOP.tlc", TlcCell("TOP", 2, c.top));
    if (c.xfn) snprintf(run.st->val[DK_XFN], DXFOUT_VALLEN, "%s", c.xfn);
    EXPECT_EQ(run.Go(), 0);
    EXPECT_TRUE(run.Said(c.message));
    char text[200];
    EXPECT_EQ(DxfOutClosing(run.st, 0, text, sizeof text), 0);
    EXPECT_STREQ(text, "Aborted ... Files may be Incomplete");
  }
}

// A disk that fills during the run: the writes are checked, not only the
// open, and the earlier DXF file stays whole with no scratch file left.
TEST(DxfOutRun, AFullDiskKeepsTheOldFile) {
  MountedFolder fs(64);
  if (!fs.mounted) GTEST_SKIP() << fs.reason;
  DxfRun run;
  std::string boxes;
  for (int i = 0; i < 2000; ++i) boxes += "<B>\n1 " + std::to_string(i * 30) + " 0 " + std::to_string(i * 30 + 20) + " 20\n</B>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 1, boxes));
  const std::string out = fs.path + "/TOP.dxf";
  WriteText(out, "old");
  snprintf(run.st->val[DK_XFN], DXFOUT_VALLEN, "%s", out.c_str());
  EXPECT_EQ(run.Go(), 0);
  EXPECT_TRUE(run.Said("Unable to Write DXF File ... Can't Continue"));
  EXPECT_EQ(ReadText(out), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(fs.path), std::filesystem::directory_iterator()), 1);
}

// A wide path's outline goes out whole, however many corners it has.
TEST(DxfOutRun, LongOutlineIsWhole) {
  DxfRun run;
  std::string pts;
  const int n = 1000;
  for (int i = 0; i < n; ++i) pts += std::to_string(i * 100) + " " + std::to_string((i % 2) * 1000) + "\n";
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<P>\n1 20 " + std::to_string(n) + "\n" + pts + "\n</P>\n"));
  snprintf(run.st->val[DK_P2P], DXFOUT_VALLEN, "Y");
  snprintf(run.st->val[DK_MPP], DXFOUT_VALLEN, "N");
  ASSERT_EQ(run.Go(), 1);
  std::string out = run.Out();
  EXPECT_EQ(Count(out, "  0\nPOLYLINE\n"), 1u);
  EXPECT_GE(Count(out, "  0\nVERTEX\n"), (size_t)(2 * n + 1));
}

TEST(DxfOutRun, CellListIsBounded) {
  DxfRun run;
  std::string calls;
  for (int i = 0; i < DXFOUT_MAXCELLS; ++i) calls += "<C>\nC" + std::to_string(i) + "\n0 0 0 0\n</C>\n";
  WriteText("TOP.tlc", TlcCell("TOP", 2, calls));
  for (int i = 0; i < DXFOUT_MAXCELLS; ++i) WriteText("C" + std::to_string(i) + ".tlc", TlcCell("C" + std::to_string(i), 1, ""));
  EXPECT_EQ(run.Go(), 0);
  EXPECT_TRUE(run.Said("Too Many Cells (Max 4095) ... Can't Continue"));
}

// The LAYERS dialog's table: names cut to eight characters, the choice
// back into the filter; a missing file or record says which.
TEST(DxfOutLayers, ReadAndApply) {
  struct Case {
    const char* name;
    const char* top;  // null: no main file
    const char* message;  // null: read
  } cases[] = {
      {"read", "<L>\n3\nmetal1long 1\npoly 2\ncut 9\n</L>\n", nullptr},
      {"missing file", nullptr, "Main TLC File is Missing ... No Layers Read"},
      {"no record", "<B>\n1 0 0 10 20\n</B>\n", "No Layers Record in Main TLC File"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DxfRun run;
    if (c.top) WriteText("TOP.tlc", TlcCell("TOP", 1, c.top));
    DxfOutSetupApply(run.st, 0);
    DxfOutSelParse(run.st, "1-256");
    int read = DxfOutLayersRead(run.st);
    EXPECT_EQ(read, c.message == nullptr);
    if (c.message) {
      EXPECT_TRUE(run.Said(c.message));
      continue;
    }
    EXPECT_STREQ(run.st->layers[0].name, "metal1lo");
    EXPECT_EQ(run.st->layers[2].word, 9 | CNV_LAYER_SELECTED);
    EXPECT_STREQ(run.st->layers[3].name, "NONE");
    run.st->layers[1].word &= ~CNV_LAYER_SELECTED;
    DxfOutLayersApply(run.st);
    EXPECT_STREQ(run.st->val[DK_FTR], "1 9");
    EXPECT_FALSE(LyrSelTest(&run.st->sel, 2));
  }
}

// The closing text ends the log, as the program shows it.
TEST(DxfOutRun, ClosingTextEndsTheLog) {
  DxfRun run;
  WriteText("TOP.tlc", TlcCell("TOP", 1, "<B>\n1 0 0 10 20\n</B>\n"));
  ASSERT_EQ(run.Go(), 1);
  char text[200];
  ASSERT_EQ(DxfOutClosing(run.st, 1, text, sizeof text), 1);
  std::string want = "Completed ... " + std::to_string(ReadText("TOP.dxf").size()) + " Bytes in DXF File";
  EXPECT_EQ(text, want);
  std::string log = ReadText("DxfOut.log");
  EXPECT_EQ(log.substr(log.size() - want.size() - 2), "\n" + want + "\n");
}

TEST(DxfOutSetup, NamesAndDefaults) {
  DxfState own;
  DxfOutState* st = own.st;
  EXPECT_STREQ(st->val[DK_LYN], "LAYER_");
  EXPECT_STREQ(st->val[DK_IPE], "Y");
  snprintf(st->val[DK_TFN], DXFOUT_VALLEN, "c:\\work\\chip");
  st->val[DK_LYN][0] = 0;
  DxfOutSetupApply(st, 0);
  EXPECT_STREQ(st->val[DK_TFN], "C:\\work\\chip.tlc");
  EXPECT_STREQ(st->val[DK_XFN], "C:\\work\\chip.dxf");
  EXPECT_STREQ(st->val[DK_LYN], "LAYER_");
  EXPECT_EQ(st->inlineEnds, 1);
}

}  // namespace
