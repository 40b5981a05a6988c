#include "cmdfixture.h"

#include <random>

namespace {

struct EditFuzz : CmdFixture {};

// Random command sequences from the editing vocabulary; the store must hold
// together after every one of them.
TEST_F(EditFuzz, RandomSequencesKeepTheStoreWhole) {
  int low = CellFindAdd("LOW");
  CellTable.cells[low].rank = 1;
  CellTable.cells[low].r = CellTable.cells[low].t = 50;
  MakeCurrent("TOP", 2);
  Cell.name[0] = '\0';  // no undo files: thousands of edits stay quick
  std::mt19937 rng(7);
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto coord = [&] { return std::to_string(num(-20, 20) * 0.25); };
  static const char* objs[] = {"b", "p", "LOW", "TOP", "zz"};
  static const char* wins[] = {"get", "fget", "tget", "put", "fput", "tput", "pbeg", "pend",
                               "cget", "cput", "aget", "wget", "outl", "full"};
  CmdShell.arcDialog = [] { return 1; };
  CmdShell.spiralDialog = [] { return 1; };
  MainSetup.turnsegs = 12;
  MainSetup.arcturns = 2;
  MainSetup.xarcradius = MainSetup.yarcradius = 3;
  MainSetup.arcpitch = 1;
  static const char* edits[] = {"del", "cut", "join", "vstp", "prev"};
  static int ctrl = 0;
  CmdShell.ctrlHeld = [] { return ctrl; };
  for (int i = 0; i < 3000; ++i) {
    std::string line;
    ctrl = num(0, 3) == 0;
    switch (num(0, 14)) {
      case 0: line = std::string("obj ") + objs[num(0, 4)]; break;
      case 1:
      case 2:
      case 3: {
        line = "add " + coord() + " " + coord();
        if (st.objKind == 1) line += " " + coord() + " " + coord();
        if (num(0, 3) == 0) line += " " + std::to_string(num(-9, 20));
        break;
      }
      case 4:
        line = std::string(wins[num(0, 13)]) + " " + coord() + " " + coord() + " " + coord() + " " + coord();
        break;
      case 5: line = "aput"; break;
      case 6: line = "text " + coord() + " " + coord() + " " + std::string((size_t)num(1, 20), 'A' + num(0, 25)); break;
      case 7:
        snprintf(MainSetup.arcdir, sizeof MainSetup.arcdir, "%s", num(0, 1) ? "cw" : "ccw");
        MainSetup.arcsegs = num(1, 40);
        MainSetup.spiraltype = num(0, 5);
        CmdStart(st, CmdIndexByName("Arc"), 0);
        CmdPoint(st, num(-5000, 5000), num(-5000, 5000));
        CmdPoint(st, num(-5000, 5000), num(-5000, 5000));
        CmdPump(st);
        break;
      case 8: line = std::string("layr ") + std::to_string(num(-5, 300)); break;
      case 9: line = "wdth " + coord(); break;
      // Moving, copying, deleting and the path surgery.
      case 10: line = std::string(num(0, 1) ? "mov" : "cpy") + " " + coord() + " " + coord() + " " + coord() + " " + coord(); break;
      case 11: {
        static const char* wm[] = {"wmov", "qmov", "cmov"};
        line = wm[num(0, 2)];
        for (int k = 0; k < 8; ++k) line += " " + coord();
        break;
      }
      case 12: line = edits[num(0, 4)]; break;
      case 13:
        line = "step " + std::to_string(num(0, 4)) + " " + std::to_string(num(1, 3)) + " " + coord() + " " + coord() +
               (num(0, 1) ? " 1" : "");
        break;
      case 14: line = "orig " + coord() + " " + coord(); break;
    }
    if (!line.empty()) (num(0, 1) ? Typed(line.c_str()) : Key(line.c_str()));
    ASSERT_EQ(StoreInvariants(), "") << i << ": " << line;
  }
  EXPECT_GT(Store.boxCount + Store.pathCount + Store.instCount[0], 100);
  ctrl = 0;
}

}  // namespace
