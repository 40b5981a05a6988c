// A drawing folder of its own for each test, the engine and the store
// cleared, every layer active, and the host recording.
#ifndef QUIL_TESTS_CMDFIXTURE_H
#define QUIL_TESTS_CMDFIXTURE_H

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "cmdtable.h"
#include "../../../support/cmd_fresh.h"
#include "host.h"
#include "host_record.h"
#include "layerview.h"
#include "mainsetup.h"
#include "pending.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"
#include "undo.h"
#include "view.h"

struct CmdFixture : ::testing::Test {
  char dir[64] = "/tmp/quilcmdXXXXXX";
  char old[512] = "";
  HostRecord* rec = nullptr;
  std::vector<std::string> panes;
  CmdEngineState st;  // the engine under test, fresh for each test

  static CmdFixture*& Self() {
    static CmdFixture* s = nullptr;
    return s;
  }

  void SetUp() override {
    Self() = this;
    ASSERT_NE(getcwd(old, sizeof old), nullptr);
    ASSERT_NE(mkdtemp(dir), nullptr);
    ASSERT_EQ(chdir(dir), 0);
    CmdFreshState(1000, 800);
    MainSetup.bplayer = 1;
    MainSetup.tlayer = 2;
    MainSetup.twidth = 300;
    MainSetup.quilrunning = 1;
    TlcLoadReset();
    TlcWriteReset();
    snprintf(TlcWrite.fixedDate, sizeof TlcWrite.fixedDate, "12/10/26");
    snprintf(TlcWrite.fixedTime, sizeof TlcWrite.fixedTime, "12:00:00");
    CmdShell = CmdShellHooks();
    CmdShell.pane = [](int, const char* t) { Self()->panes.push_back(t); };
    UndoReset();
    Cell = CurrentCell();
    rec = &HostRecordInstall();
  }

  void TearDown() override {
    HostRecordRemove();
    StoreReset();
    CmdShell = CmdShellHooks();
    if (old[0]) (void)!chdir(old);
    std::string cmd = std::string("rm -rf ") + dir;
    (void)!system(cmd.c_str());
  }

  // A cell of the table made current, with an empty store.
  int MakeCurrent(const char* name, int rank) {
    int n = CellFindAdd(name);
    CellTable.cells[n].rank = rank;
    snprintf(Cell.name, sizeof Cell.name, "%s", name);
    Cell.number = n;
    Cell.rank = rank;
    Store.currentCell = Store.heldCell = n;
    return n;
  }

  // Runs a line as typed, then the restarts it posted.
  int Typed(const char* line) {
    int r = CmdTypedLine(st, line);
    CmdPump(st);
    return r;
  }
  int Key(const char* line) {
    int r = CmdKeyLine(st, line);
    CmdPump(st);
    return r;
  }
  int Script(const std::string& text, const char* name = "s.txt") {
    WriteFile(name, text);
    int r = CmdScriptRun(st, name);
    CmdPump(st);
    return r;
  }

  static void WriteFile(const char* name, const std::string& text) {
    std::ofstream f(name, std::ios::binary);
    f << text;
  }
  static std::string ReadFile(const char* name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  static bool Exists(const char* name) {
    FILE* f = fopen(name, "rb");
    if (f) fclose(f);
    return f != nullptr;
  }

  std::string LastMessage() const { return rec->messages.empty() ? "" : rec->messages.back().text; }
};

// The store's invariants: dense records, owner words, acyclic chains that
// cover every vertex once, normalised boxes, at most 1024 vertices a path.
inline std::string StoreInvariants() {
  std::vector<int> seen((size_t)Store.vertexCount + 1, 0);
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    if (!q) return "box missing";
    if (q[1] > q[3] || q[2] > q[4]) return "box not normalised " + std::to_string(i);
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* r = StorePathRec(p);
    if (!r) return "path missing";
    int32_t v = r[2];
    int n = 0, anySel = 0;
    if (v <= 0 || v > Store.vertexCount) return "path without first vertex " + std::to_string(p);
    while (v) {
      if (v < 0 || v > Store.vertexCount) return "chain leaves the store";
      if (seen[v]++) return "vertex in two chains or a loop " + std::to_string(v);
      const int32_t* vr = StoreVertexRec(v);
      if ((vr[0] & 0x0FFFFFFF) != p) return "owner word wrong at " + std::to_string(v);
      if (n > 0 && ((uint32_t)r[0] & TEXT_BIT) && vr[0] >= 0) return "text character vertex not marked";
      if (vr[0] > 0 && (vr[0] & VERTEX_SELECTED)) anySel = 1;
      ++n;
      v = vr[3];
    }
    if (n > PATH_VERTEX_MAX) return "path over 1024 vertices";
    if (!((uint32_t)r[0] & TEXT_BIT) && ((r[0] & PATH_SELECTED) != 0) != (anySel != 0))
      return "path selected flag out of line " + std::to_string(p);
  }
  for (int32_t v = 1; v <= Store.vertexCount; ++v)
    if (!seen[v]) return "vertex in no chain " + std::to_string(v);
  return "";
}

#endif
