// The sample drawing samples/demo: it loads without a message and every cell
// and the cell list save back byte-identical. With QUIL_WRITE_SAMPLE=1 the
// drawing is first made again from the sources below (through the loader and
// the writer, so the files are exactly what the editor writes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "celltable.h"
#include "mainsetup.h"
#include "store.h"
#include "store_fixture.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

// A chain of three CMOS inverters that the circuit extractor compiles out of
// the box (settings in QuilCkt.usf). Database units, scale 1000 per um.
// Texts on NODE name nodes, on PIN number a cell's connectors, on DEVICE name
// the device lines. Active is split at the gate so that source and drain stay
// apart.
struct Source {
  const char* name;
  int rank;
  const char* text;
};

const Source kSources[] = {
    {"NMOS", 1,
     "=B\n2 -2500 -1000 -500 1000\n"   // drain
     "=B\n2 500 -1000 2500 1000\n"     // source
     "=B\n4 -3000 -1500 3000 1500\n"   // n select
     "=B\n5 -500 -2000 500 2000\n"     // gate, W 2 L 1
     "=B\n6 -2000 -500 -1000 500\n"
     "=B\n6 1000 -500 2000 500\n"
     "=B\n7 -2300 -800 -700 800\n"
     "=B\n7 700 -800 2300 800\n"
     "=T\n12 300 2 0\n-1500 0\n1 D\n"
     "=T\n12 300 2 0\n0 1500\n2 G\n"
     "=T\n12 300 2 0\n1500 0\n3 S\n"
     "=T\n12 300 2 0\n1500 0\n4 B\n"   // bulk tied to the source
     "=T\n10 400 2 0\n-2800 -1900\nNMOS\n"},
    {"PMOS", 1,
     "=P\n1 0 5\n-4000 -3500 4000 -3500 4000 3500 -4000 3500 -4000 -3500\n"  // n well, closed
     "=B\n2 -2500 -2000 -500 2000\n"
     "=B\n2 500 -2000 2500 2000\n"
     "=B\n3 -3000 -2500 3000 2500\n"   // p select
     "=B\n5 -500 -3000 500 3000\n"     // gate, W 4 L 1
     "=B\n6 -2000 -500 -1000 500\n"
     "=B\n6 1000 -500 2000 500\n"
     "=B\n7 -2300 -800 -700 800\n"
     "=B\n7 700 -800 2300 800\n"
     "=T\n12 300 2 0\n-1500 0\n1 D\n"
     "=T\n12 300 2 0\n0 2500\n2 G\n"
     "=T\n12 300 2 0\n1500 0\n3 S\n"
     "=T\n12 300 2 0\n1500 0\n4 B\n"
     "=T\n10 400 2 0\n-2800 -3300\nPMOS\n"},
    {"INV", 2,
     "=C\nNMOS\n6 0 0 0\n"             // drain to the right
     "=C\nPMOS\n2 0 8000 0\n"
     "=B\n5 -4500 3250 -3000 4750\n"   // input poly pad
     "=B\n6 -4250 3500 -3250 4500\n"
     "=B\n7 -4750 3000 -2750 5000\n"
     "=P\n5 1000 2\n0 1500 0 5500\n"   // gates joined
     "=P\n5 1000 2\n0 4000 -3500 4000\n"
     "=P\n7 -1500 2\n-5000 -4000 5000 -4000\n"  // VSS rail
     "=P\n7 -1500 2\n-5000 12000 5000 12000\n"  // VDD rail
     "=P\n7 1000 2\n-1500 0 -1500 -4000\n"      // sources to the rails
     "=P\n7 1000 2\n-1500 8000 -1500 12000\n"
     "=P\n7 0 9\n1000 0 2000 0 2000 3500 4500 3500 4500 4500\n2000 4500 2000 8000 1000 8000 1000 0\n"  // drains
     "=T\n11 800 2 0\n-4000 12000\nVDD\n"
     "=T\n11 800 2 0\n-4000 -4000\nVSS\n"
     "=T\n11 800 2 1\n-3750 4000\nIN\n"
     "=T\n11 800 2 3\n4000 4000\nOUT\n"
     "=T\n12 400 2 0\n-3750 4000\n1 IN\n"
     "=T\n12 400 2 0\n4000 4000\n2 OUT\n"
     "=T\n12 400 2 0\n4000 12000\n3 VDD\n"
     "=T\n12 400 2 0\n4000 -4000\n4 VSS\n"
     "=T\n13 600 2 0\n-2500 -1000\nMN\n"
     "=T\n13 600 2 0\n-2500 9500\nMP\n"
     "=T\n10 600 2 4\n2500 -2500\nINV\n"},
    {"TOP", 3,
     "=C\nINV\n0 0 0 0\n"
     "=C\nINV\n0 12000 0 0\n"
     "=C\nINV\n0 24000 0 0\n"
     "=B\n8 -500 11500 500 12500\n"    // rails down to each inverter
     "=B\n8 11500 11500 12500 12500\n"
     "=B\n8 23500 11500 24500 12500\n"
     "=B\n8 -500 -4500 500 -3500\n"
     "=B\n8 11500 -4500 12500 -3500\n"
     "=B\n8 23500 -4500 24500 -3500\n"
     "=B\n8 3500 3500 4500 4500\n"     // output to the next input
     "=B\n8 7750 3500 8750 4500\n"
     "=B\n8 15500 3500 16500 4500\n"
     "=B\n8 19750 3500 20750 4500\n"
     "=P\n9 1000 2\n4000 4000 8250 4000\n"
     "=P\n9 1000 2\n16000 4000 20250 4000\n"
     "=P\n9 -1500 2\n-4000 12000 28000 12000\n"
     "=P\n9 -1500 2\n-4000 -4000 28000 -4000\n"
     "=T\n11 800 2 0\n-4250 4000\nIN\n"
     "=T\n11 800 2 0\n28250 4000\nOUT\n"
     "=T\n11 800 2 0\n-2000 12000\nVDD\n"
     "=T\n11 800 2 0\n-2000 -4000\nVSS\n"
     "=T\n10 1000 2 0\n0 14000\nTOP\n"},
};

// The sample's layer table: the process layers and the extractor's text layers.
void SampleProcessLayers() {
  static const char* const names[] = {"NWELL",  "ACTIVE", "PSEL", "NSEL", "POLY",   "CONTACT", "METAL1",
                                      "VIA",    "METAL2", "TEXT", "NODE", "PIN",    "DEVICE",  "PARAM"};
  const int n = static_cast<int>(sizeof names / sizeof names[0]);
  MainSetup.layerCount = n;
  for (int i = 0; i < n; ++i) {
    snprintf(MainSetup.layers[i].name, sizeof MainSetup.layers[i].name, "%s", names[i]);
    MainSetup.layers[i].number = i + 1;
  }
}

void SampleSetup() {
  MainSetupReset();
  SampleProcessLayers();
  MainSetup.scale = 1000;
  snprintf(MainSetup.physunit, sizeof MainSetup.physunit, "um");
}

std::string SampleDir() {
  const char* src = getenv("QUIL_SOURCE");
  if (src) return std::string(src) + "/samples/demo/";
  // Run by hand: the source tree this file is in.
  std::string here = __FILE__;
  return here.substr(0, here.rfind("tests/unit/")) + "samples/demo/";
}

using SampleDrawing = DrawingFolder;

TEST_F(SampleDrawing, MakeAgainWhenAsked) {
  const char* want = getenv("QUIL_WRITE_SAMPLE");
  if (!want || std::string(want) != "1") GTEST_SKIP() << "QUIL_WRITE_SAMPLE=1 makes the sample drawing again";
  SampleSetup();
  snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "12/10/26");
  snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "12:00:00");
  for (const Source& s : kSources) {
    int cell = CellFindAdd(s.name);
    ASSERT_NE(cell, 0);
    WriteFile(std::string(s.name) + ".tlc", s.text);
    ASSERT_EQ(CellObjLoad(cell), 0) << s.name;
    ASSERT_EQ(CellInstLoad(cell, 0), 0) << s.name;
    ASSERT_EQ(CrfWrite(s.name, cell, s.rank), 1);
    ASSERT_EQ(TlcWriteCell(s.name, s.name), 0);
  }
  EXPECT_TRUE(rec->messages.empty());
  for (const Source& s : kSources) WriteFile(SampleDir() + s.name + ".tlc", ReadFile(std::string(s.name) + ".tlc"));
  WriteFile(SampleDir() + "QUIL7.CRF", ReadFile("QUIL7.CRF"));
}

TEST_F(SampleDrawing, LoadsWithoutMessageAndSavesBackByteIdentical) {
  SampleSetup();
  std::vector<std::string> names;
  for (const Source& s : kSources) names.push_back(s.name);
  std::string crf = ReadFile(SampleDir() + "QUIL7.CRF");
  ASSERT_FALSE(crf.empty());
  WriteFile("QUIL7.CRF", crf);
  for (const std::string& n : names) WriteFile(n + ".tlc", ReadFile(SampleDir() + n + ".tlc"));
  ASSERT_EQ(CrfRead(), 1);
  ASSERT_EQ(CellTable.count, static_cast<int>(names.size()));
  EXPECT_EQ(CrfCheckFiles(), 0);
  for (const std::string& n : names) {
    int cell = CellFind(n.c_str());
    ASSERT_NE(cell, 0) << n;
    std::string original = ReadFile(n + ".tlc");
    // The header's own date and time are written back.
    ASSERT_EQ(TlcOpen("", n.c_str()), 1);
    ASSERT_EQ(TlcHeaderScan(), 1);
    TlcClose();
    snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "%s", TlcRec.hdr.date);
    snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "%s", TlcRec.hdr.time);
    StoreReset();
    ASSERT_EQ(CellObjLoad(cell), 0) << n;
    ASSERT_EQ(CellInstLoad(cell, 0), 0) << n;
    const CellEntry before = CellTable.cells[cell];
    // The list's entry agrees with the objects: recomputing it changes nothing.
    ASSERT_EQ(CrfWrite(n.c_str(), cell, before.rank), 1);
    EXPECT_EQ(memcmp(&before, &CellTable.cells[cell], sizeof before), 0) << n;
    ASSERT_EQ(TlcWriteCell(n.c_str(), n.c_str()), 0) << n;
    EXPECT_EQ(ReadFile(n + ".tlc"), original) << n;
    // Every instance names a cell of the drawing.
    for (int32_t i = 1; i <= Store.instCount[0]; ++i) EXPECT_NE(CellEntryOf(StoreCellGet(0, 0, i) & INST_CELL_MASK), nullptr);
  }
  EXPECT_EQ(ReadFile("QUIL7.CRF"), crf);
  EXPECT_TRUE(rec->messages.empty()) << HostRecordTexts()[0];
}

}  // namespace
