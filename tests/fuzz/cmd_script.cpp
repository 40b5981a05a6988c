// The command-line language and the editing commands on any text: each
// line runs as a typed, key or script line (by its first byte), and after
// every line the object store must still hold together: dense records,
// owner words, acyclic vertex chains covering every vertex once, normalised
// boxes and at most 1024 vertices a path. A script file of the same bytes
// runs too, so overlong lines meet the script reader.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

#include "celltable.h"
#include "cmdedit.h"
#include "cmdengine.h"
#include "fuzz_folder.h"
#include "layerview.h"
#include "mainsetup.h"
#include "pending.h"
#include "../support/cmd_fresh.h"
#include "store.h"
#include "view.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void Invariants() {
  std::vector<char> seen((size_t)Store.vertexCount + 1, 0);
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    const int32_t* q = StoreBoxRec(i);
    Check(q && q[1] <= q[3] && q[2] <= q[4]);
  }
  for (int32_t p = 1; p <= Store.pathCount; ++p) {
    const int32_t* r = StorePathRec(p);
    Check(r != nullptr);
    int32_t v = r[2];
    int n = 0;
    Check(v > 0);
    while (v) {
      Check(v > 0 && v <= Store.vertexCount && !seen[v]);
      seen[v] = 1;
      const int32_t* vr = StoreVertexRec(v);
      Check((vr[0] & 0x0FFFFFFF) == p);
      ++n;
      v = vr[3];
    }
    Check(n <= PATH_VERTEX_MAX);
  }
  for (int32_t v = 1; v <= Store.vertexCount; ++v) Check(seen[v] == 1);
  for (int32_t i = 1; i <= Store.instCount[0]; ++i) Check(StoreCellRec(0, i) != nullptr);
}

void Fresh() {
  CmdFreshState(800, 600);
  int low = CellFindAdd("LOW");
  CellTable.cells[low].rank = 1;
  CellTable.cells[low].r = CellTable.cells[low].t = 100;
  int top = CellFindAdd("TOP");
  CellTable.cells[top].rank = 2;
  // No cell name: the edits run but write no undo files.
  Cell = CurrentCell();
  Cell.rank = 2;
  Cell.number = top;
  Store.currentCell = top;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  Fresh();
  CmdEngineState st;
  std::string text(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  int lines = 0;
  while (at < text.size() && lines < 200) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++lines;
    if (line.size() >= CMD_LINE_SIZE) line.resize(CMD_LINE_SIZE - 1);
    int src = line.empty() ? 0 : (unsigned char)line[0] % 3;
    if (src == 1)
      CmdKeyLine(st, line.c_str());
    else
      CmdTypedLine(st, line.c_str());
    CmdPump(st, 50);
    Invariants();
  }
  FILE* f = fopen("s.txt", "wb");
  if (f) {
    fwrite(data, 1, size, f);
    fclose(f);
    CmdScriptRun(st, "s.txt");
    CmdPump(st, 50);
    Invariants();
  }
  return 0;
}
