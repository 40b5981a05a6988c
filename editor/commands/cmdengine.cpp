#include "cmdengine.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cmdtable.h"
#include "trace.h"
#include "view.h"

static void NoRedraw(int) {}
static void NoPane(int, const char*) {}

CmdShellHooks CmdShell = {NoRedraw, NoPane};
CmdEngineState CmdEngine;

void CmdEngineReset() { CmdEngine = CmdEngineState(); }

void CmdStart(int index, int ctrl) {
  if (index < 0 || index >= CMD_COUNT) return;
  ShellTrace("start %s%s", CmdTable[index].name, ctrl ? " ctrl" : "");
  CmdEngine.current = index;
  if (CmdKind(index) == 2) CmdEngine.pending = index;
  // Draw is the one handler the shell's own routes need to see working.
  if (strcmp(CmdTable[index].name, "Draw") == 0) {
    CmdShell.redraw(0);
    CmdShell.redraw(1);
  }
}

void CmdHandlerCall() { ShellTrace("handler %s", CmdTable[CmdEngine.current].name); }

// The zoom line as other programs send it: "zoom x1,y1 x2,y2" in physical
// units. Any of blanks and commas separate the numbers.
static int ZoomLine(const char* args) {
  double v[4];
  const char* p = args;
  for (int i = 0; i < 4; ++i) {
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
    char* end = nullptr;
    v[i] = strtod(p, &end);
    if (end == p) return 0;
    p = end;
  }
  int32_t x1, y1, x2, y2;
  if (!TypedToDb(v[0], View.scale, &x1) || !TypedToDb(v[1], View.scale, &y1) ||
      !TypedToDb(v[2], View.scale, &x2) || !TypedToDb(v[3], View.scale, &y2))
    return 0;
  ViewFitExtents(x1, y1, x2, y2);
  ViewUpdate();
  CmdShell.redraw(0);
  CmdShell.redraw(1);
  return 1;
}

int Cmd(const char* line) {
  if (!line) return 0;
  ShellTrace("line%s %s", CmdEngine.keyLine ? " key" : "", line);
  while (*line == ' ') ++line;
  char word[8];
  size_t n = 0;
  while (line[n] && line[n] != ' ' && n + 1 < sizeof word) {
    word[n] = line[n];
    ++n;
  }
  word[n] = '\0';
  int index = CmdIndexByName(word);
  if (index < 0) return 0;
  if (CmdEngine.keyLine ? !CmdKeyAllowed(index) : !CmdLineAllowed(index)) return 0;
  if (strcmp(CmdTable[index].name, "Zoom") == 0 && line[n]) return ZoomLine(line + n);
  CmdStart(index, 0);
  return 1;
}

void CmdDone(int) {}

int CmdAskCellName(char*, size_t) { return 0; }

int CmdAskPoint(int, double*, double*) { return 0; }
