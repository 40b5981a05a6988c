// The node-list compare: a compiled node list against a copy of it with
// virtual names changed, nodes reordered and the block renamed, with faults
// planted in the copy; and the reading of odd lists.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "ckt_compare.h"
#include "ckt_support.h"

namespace {

using namespace ckttest;

std::string Source() {
  const char* src = getenv("QUIL_SOURCE");
  return src ? src : "../..";
}

void WriteAll(const std::string& path, const std::string& s) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  fwrite(s.data(), 1, s.size(), f);
  fclose(f);
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  size_t at = s.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at, from.size(), to);
  return s;
}

// The schematic's list of the compiled CHAIN3 (netlist fixture): its own
// virtual numbers, another node order, the blocks named with a suffix.
const char kSchematic[] =
    "*** Node List of CHAIN3_SCH - QuilCkt  7.0.91  01/02/03  04:05:06\n\nNote: Read Text with Fixed Pitch Font\n\n"
    "[INV_SCH]\nIN:1\n M1.2  M2.2 \nOUT:2\n M1.1  M2.1 \n::\n\n"
    "[CHAIN3_SCH]\n"
    "vn3:0\n X_3_INV.1  X_2_INV.2 \n"
    "OUT:0\n X_3_INV.2 \n"
    "IN:0\n X_1_INV.1 \n"
    "vn7:0\n X_1_INV.2  X_2_INV.1 \n"
    "VDD:0\n X_1_INV.3  X_2_INV.3  X_3_INV.3 \n"
    "VSS:0\n X_1_INV.4  X_2_INV.4  X_3_INV.4 \n"
    "::\n";

// A compare in a folder of its own: the lists, the settings, the result,
// the log and the list lines.
struct Compare {
  Engine e;
  CktState& st = e.st;
  std::string dir;
  std::vector<std::string> lines;
  int result = -1;
  static Compare* current;
  static void ListAdd(const char* text) { current->lines.push_back(text); }

  Compare() {
    char tmpl[] = "/tmp/ckt_cmp_XXXXXX";
    dir = std::string(mkdtemp(tmpl)) + "/";
    current = this;
    st.compare.listAdd = ListAdd;
    Set(0, dir + "chain3.nod");
    Set(1, dir + "chain3_sch.nod");
    Set(2, "CHAIN3");
    Set(3, dir + "lvserror.log");
    Set(4, "_SCH");
  }
  ~Compare() {
    current = nullptr;
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) ADD_FAILURE() << cmd;
  }
  void Set(int slot, const std::string& v) { SetValue(st, GRP_LVS, slot, v.c_str()); }
  void Lists(const std::string& layout, const std::string& schematic) {
    WriteAll(dir + "chain3.nod", layout);
    WriteAll(dir + "chain3_sch.nod", schematic);
  }
  int Run() { return result = NodeCompareRun(st); }
  std::string Log() { return ReadAll(dir + "lvserror.log"); }
  // The list lines without the two heading lines of each direction.
  std::vector<std::string> Faults() const {
    std::vector<std::string> out;
    for (const std::string& l : lines)
      if (l != " " && l.compare(0, 10, "Comparing ") != 0) out.push_back(l);
    return out;
  }
};
Compare* Compare::current = nullptr;

std::string Layout() { return ReadAll(Source() + "/tests/fixtures/circuit/netlist_expected/CHAIN3.nod"); }

TEST(NodeCompare, RenamedAndReorderedListsMatchByTheirPins) {
  Compare c;
  std::string layout = Layout();
  ASSERT_FALSE(layout.empty());
  c.Lists(layout, kSchematic);
  EXPECT_EQ(c.Run(), 1);
  EXPECT_EQ(c.st.compare.errors, 0);
  std::vector<std::string> want = {" ", "Comparing CHAIN3 in chain3.nod to CHAIN3_SCH in chain3_sch.nod", " ",
                                   "Comparing CHAIN3_SCH in chain3_sch.nod to CHAIN3 in chain3.nod"};
  EXPECT_EQ(c.lines, want);
  std::string log = c.Log();
  EXPECT_EQ(log.compare(0, 44, "*** QuilCkt Node Compare Error List  7.0.91 "), 0) << log;
  std::string tail =
      "\n\nNote: Read Text with Fixed Pitch Font\n \nComparing CHAIN3 in chain3.nod to CHAIN3_SCH in chain3_sch.nod\n"
      " \nComparing CHAIN3_SCH in chain3_sch.nod to CHAIN3 in chain3.nod\n\nCompare Finished ... 0 Errors";
  ASSERT_GE(log.size(), tail.size());
  EXPECT_EQ(log.substr(log.size() - tail.size()), tail);
}

// Faults planted in the schematic's copy give exactly these messages, the
// layout's direction first.
TEST(NodeCompare, PlantedFaultsGiveTheirMessagesBothWays) {
  struct Case {
    const char* name;
    const char* from;
    const char* to;
    std::vector<std::string> want;
    const char* from2 = nullptr;
    const char* to2 = nullptr;
  };
  const Case cases[] = {
      // The layout's last node (VSS, before "::") is checked like the others.
      {"pin removed", " X_1_INV.4  X_2_INV.4  X_3_INV.4 ", " X_1_INV.4  X_2_INV.4 ",
       {"X_3_INV.4 on Node VSS:0 in [CHAIN3] is NOT on Node VSS:0 in [CHAIN3_SCH]"}},
      {"pin moved", " X_3_INV.1  X_2_INV.2 ", " X_3_INV.1  X_2_INV.2  X_2_INV.1 ",
       {"X_2_INV.1 on Node VN1:0 in [CHAIN3] is NOT on Node VN7:0 in [CHAIN3_SCH]",
        "X_2_INV.1 on Node VN3:0 in [CHAIN3_SCH] is NOT on Node VN2:0 in [CHAIN3]"},
       " X_1_INV.2  X_2_INV.1 ", " X_1_INV.2 "},
      {"extra pin", " X_1_INV.3  X_2_INV.3  X_3_INV.3 ", " X_1_INV.3  X_2_INV.3  X_3_INV.3  X_4_INV.3 ",
       {"X_4_INV.3 on Node VDD:0 in [CHAIN3_SCH] is NOT on Node VDD:0 in [CHAIN3]"}},
      // A pin that is the start of another pin's name is not that pin.
      {"M1.1 against M1.12", " X_1_INV.2  X_2_INV.1 ", " X_1_INV.2  X_2_INV.12 ",
       {"X_2_INV.1 on Node VN1:0 in [CHAIN3] is NOT on Node VN7:0 in [CHAIN3_SCH]",
        "X_2_INV.12 on Node VN7:0 in [CHAIN3_SCH] is NOT on Node VN1:0 in [CHAIN3]"}},
      {"missing node", "OUT:0\n X_3_INV.2 \n", "",
       {"X_3_INV.2 on Node OUT:0 in [CHAIN3] is NOT on Node ? in [CHAIN3_SCH]"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Compare c;
    std::string schematic = Replaced(kSchematic, k.from, k.to);
    if (k.from2) schematic = Replaced(schematic, k.from2, k.to2);
    c.Lists(Layout(), schematic);
    EXPECT_EQ(c.Run(), 1);
    EXPECT_EQ(c.Faults(), k.want);
    EXPECT_EQ(c.st.compare.errors, (int)k.want.size());
    std::string end = "\nCompare Finished ... " + std::to_string(k.want.size()) + " Errors";
    std::string log = c.Log();
    EXPECT_EQ(log.substr(log.size() - end.size()), end);
    for (const std::string& w : k.want) EXPECT_NE(log.find(w + "\n"), std::string::npos) << w;
  }
}

// The search and the check both take whole words: a pin M1.D is not found
// in a node that holds XM1.D only.
TEST(NodeCompare, PinsAreWholeWords) {
  Compare c;
  c.Set(4, "");
  c.Lists("[CELL]\nA:1\n M1.D  M2.S \n::\n", "[CELL]\nB:1\n XM1.D  M2.S \n::\n");
  c.Set(2, "CELL");
  EXPECT_EQ(c.Run(), 1);
  std::vector<std::string> want = {"M1.D on Node A:1 in [CELL] is NOT on Node ? in [CELL]",
                                   "XM1.D on Node B:1 in [CELL] is NOT on Node ? in [CELL]"};
  EXPECT_EQ(c.Faults(), want);
  EXPECT_EQ(WordInList(" xm1.d  M2.S ", "XM1.D"), 1);
  EXPECT_EQ(WordInList(" XM1.D  M2.S ", "M1.D"), 0);
  EXPECT_EQ(WordInList("", "M1.D"), 0);
}

// Headers are found whatever ends their line; a block ends at "::", at the
// next header (older lists) or at the end of the file.
TEST(NodeCompare, HeadersAndBlockEndsOfOddLists) {
  struct Case {
    const char* name;
    std::string layout, schematic;
    int result;
    std::vector<std::string> want;
  };
  const Case cases[] = {
      {"header at the end of a file without newline", "[INV]\nA:1\n M1.1 \n::\n[TOP]",
       "[TOP]\n::\n", 1, {}},
      {"CRLF and trailing blanks", "[TOP]  \r\nA:1\r\n M1.1  M1.2 \r\n::\r\n", "[top]\nB:7\n M1.2  M1.1 \n::\n", 1, {}},
      {"header inside a block ends it", "[TOP]\nA:1\n M1.1 \n[OTHER]\nC:1\n M9.9 \n",
       "[TOP]\nB:1\n M1.1 \n::\n", 1, {}},
      {"block missing", "[INV]\nA:1\n M1.1 \n::\n", "[TOP]\nB:1\n M1.1 \n::\n", 0, {"Nodelist of top is NOT in L"}},
      {"bracket missing", "[TOP\nA:1\n M1.1 \n::\n", "[TOP]\nB:1\n M1.1 \n::\n", 0, {"Nodelist of top is NOT in L"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    Compare c;
    c.Set(2, "top");  // a block named in lower case finds the upper-case block
    c.Set(4, "");
    c.Lists(k.layout, k.schematic);
    EXPECT_EQ(c.Run(), k.result);
    std::vector<std::string> want;
    for (const std::string& w : k.want) want.push_back(Replaced(w, " L", " " + c.dir + "chain3.nod"));
    EXPECT_EQ(c.Faults(), want);
    EXPECT_EQ(c.Log().find("Compare Finished") != std::string::npos, k.result == 1);
  }
}

// A net of a few hundred pins is read whole; the list of messages is capped
// but the log takes every one.
TEST(NodeCompare, LongNetsAndManyMessages) {
  std::string layout = "[TOP]\n", schematic = "[TOP]\n";
  layout += "BIG:1\n";
  schematic += "BIG:1\n";
  for (int i = 1; i <= 600; i++) {
    layout += " M" + std::to_string(i) + ".1 ";
    schematic += " M" + std::to_string(601 - i) + ".1 ";
    if (i % 10 == 0) {
      layout += "\n";
      schematic += "\n";
    }
  }
  for (int i = 0; i < 20100; i++) layout += "N" + std::to_string(i) + ":0\n Q" + std::to_string(i) + ".1 \n";
  layout += "::\n";
  schematic += "::\n";
  Compare c;
  c.Set(4, "");
  c.Set(2, "TOP");
  c.Lists(layout, schematic);
  EXPECT_EQ(c.Run(), 1);
  EXPECT_EQ(c.st.compare.errors, 20100);
  EXPECT_EQ(c.lines.size(), 20001u);
  std::string log = c.Log();
  EXPECT_NE(log.find("Q20099.1 on Node N20099:0 in [TOP] is NOT on Node ? in [TOP]\n"), std::string::npos);
  EXPECT_NE(log.find("Compare Finished ... 20100 Errors"), std::string::npos);
}

TEST(NodeCompare, RefusalsAndMissingFiles) {
  {
    SCOPED_TRACE("log naming a list");
    Compare c;
    c.Lists(Layout(), kSchematic);
    c.Set(3, c.dir + "CHAIN3_SCH.NOD");
    EXPECT_EQ(c.Run(), 0);
    EXPECT_EQ(c.e.Count("Unable to Write LVS Log File ... Can't Continue"), 1);
    EXPECT_EQ(c.st.run.abortFlag, 1);
    EXPECT_EQ(ReadAll(c.dir + "chain3_sch.nod"), kSchematic);
  }
  {
    SCOPED_TRACE("no block name");
    Compare c;
    c.Lists(Layout(), kSchematic);
    c.Set(2, "");
    EXPECT_EQ(c.Run(), 0);
    ASSERT_EQ(c.e.rec->messages.size(), 1u);
    EXPECT_EQ(c.e.rec->messages[0].text, "Circuit Layout Name is Needed");
    EXPECT_EQ(c.e.rec->messages[0].caption, "Nodelist Compare");
  }
  {
    SCOPED_TRACE("list missing");
    Compare c;
    WriteAll(c.dir + "chain3.nod", Layout());
    EXPECT_EQ(c.Run(), 0);
    std::vector<std::string> want = {c.dir + "chain3_sch.nod is Missing "};
    EXPECT_EQ(c.lines, want);
    EXPECT_EQ(c.st.compare.errors, 1);
    EXPECT_EQ(c.Log().find("Finished"), std::string::npos);
  }
}

}  // namespace
