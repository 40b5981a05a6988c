#include "cmdengine.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <utility>

#include "cmdedit.h"
#include "celltable.h"
#include "cmdtable.h"
#include "host.h"
#include "mainsetup.h"
#include "pending.h"
#include "redraw.h"
#include "tlcwrite.h"
#include "trace.h"
#include "undo.h"
#include "view.h"

CmdShellHooks CmdShell = {};

static int ShiftHeld() { return CmdShell.shiftHeld ? CmdShell.shiftHeld() : 0; }

// --- dispatch -------------------------------------------------------------

void RedrawRequest(int kind) {
  if (CmdShell.redraw) CmdShell.redraw(kind);
}

static void Post(CmdEngineState& st, int what) {
  if (CmdShell.post) {
    CmdShell.post(what);
    return;
  }
  // Equal requests in a row do what one does.
  if (st.queued > 0 && st.queue[st.queued - 1] == what) return;
  if (st.queued < (int)(sizeof st.queue / sizeof st.queue[0]))
    st.queue[st.queued++] = what;
  else
    ++st.queueDropped;
}

int CmdPump(CmdEngineState& st, int limit) {
  int run = 0;
  while (st.queued > 0 && run < limit) {
    int what = st.queue[0];
    --st.queued;
    memmove(st.queue, st.queue + 1, sizeof st.queue[0] * st.queued);
    if (what == CMD_POST_RESTART)
      CmdRestart(st);
    else
      CmdStepBack(st);
    ++run;
  }
  return run;
}

void CmdStateSave(CmdEngineState& st) {
  CmdState& s = st.saved;
  for (int i = 0; i < 5; ++i) s.slot[i] = View.slot[i];
  s.step = View.step;
  s.pointMode = st.pointMode;
  s.dx = st.dx;
  s.dy = st.dy;
  s.current = st.current;
  s.mode = st.mode;
  s.togs = View.togs;
  s.keyLine = st.keyLine;
  s.doubleClick = st.doubleClick;
  View.rubberShown = 0;
  st.stateSaved = 1;
}

void CmdStateRestore(CmdEngineState& st) {
  const CmdState& s = st.saved;
  for (int i = 0; i < 5; ++i) {
    View.slot[i] = s.slot[i];
    // The view may have changed while the state was kept.
    ViewToScreen(View.slot[i].x, View.slot[i].y, &View.slot[i].px, &View.slot[i].py);
  }
  View.step = s.step;
  st.pointMode = s.pointMode;
  st.dx = s.dx;
  st.dy = s.dy;
  st.current = s.current;
  st.mode = s.mode;
  View.togs = s.togs;
  st.keyLine = s.keyLine;
  st.doubleClick = s.doubleClick;
  st.stateSaved = 0;
}

void CmdPrompt(CmdEngineState& st, int flag) {
  const char* name = CmdTable[st.current].name;
  if (flag && ShiftHeld()) {
    static const char* const twins[][2] = {{"Get", "Put"},   {"Fget", "Fput"}, {"Tget", "Tput"},
                                           {"Cget", "Cput"}, {"Outl", "Full"}};
    for (const auto& t : twins) {
      if (strcmp(name, t[0]) == 0) name = t[1];
      else if (strcmp(name, t[1]) == 0) name = t[0];
      else continue;
      break;
    }
  }
  char text[48];
  snprintf(text, sizeof text, " %s  (Pt.%d)", name, View.step);
  if (CmdShell.pane) CmdShell.pane(600, text);
}

static void Handler(CmdEngineState& st, int index);
static void NotYet(CmdEngineState& st, int index);

void CmdHandlerCall(CmdEngineState& st) {
  if (st.current < 0 || st.current >= CMD_COUNT) return;
  ShellTrace("handler %s", CmdTable[st.current].name);
  Handler(st, st.current);
}

// The step-0 call of a command just started (traced as its start).
static void HandlerFirst(CmdEngineState& st) {
  if (st.current >= 0 && st.current < CMD_COUNT) Handler(st, st.current);
}

void CmdStart(CmdEngineState& st, int index, int ctrl) {
  if (index < 0 || index >= CMD_COUNT) return;
  const CmdEntry& e = CmdTable[index];
  ShellTrace("start %s%s", e.name, ctrl ? " ctrl" : "");
  if (ctrl && e.id == ID_MOV) {
    CmdIncMove(st);
    return;
  }
  if (e.id == ID_CMD) {
    CmdRun(st);
    return;
  }
  if (!CmdImplemented(index)) {
    NotYet(st, index);
    return;
  }
  int kind = CmdKind(index);
  if (kind == 0) {
    if (!st.stateSaved) CmdStateSave(st);
  } else if (kind == 2) {
    st.pending = index;
    // A new point command replaces whatever a view command had kept.
    st.stateSaved = 0;
  }
  // A typed point is a displacement only for the move that asked for it.
  if (kind != 0) st.wantsZeroPoint = 0;
  st.mode = CmdMode(index);
  st.current = index;
  st.doubleClick = 0;
  st.abort = 0;
  View.step = 0;
  st.pointMode = 0;
  if (CmdShell.done) CmdShell.done(0x20);
  HandlerFirst(st);
}

void CmdPoint(CmdEngineState& st, int32_t x, int32_t y) {
  int step = View.step;
  if (step >= 1 && step <= 4) {
    ViewPoint& s = View.slot[step];
    s.x = x;
    s.y = y;
    ViewToScreen(x, y, &s.px, &s.py);
    if (step == 2 || step == 4) {
      st.dx = x - View.slot[step - 1].x;
      st.dy = y - View.slot[step - 1].y;
    }
    if (step == 2 && st.pointMode == 2) {
      ViewPoint& a = View.slot[1];
      ViewPoint& b = View.slot[2];
      if (a.x > b.x) std::swap(a.x, b.x), std::swap(a.px, b.px);
      if (a.y > b.y) std::swap(a.y, b.y), std::swap(a.py, b.py);
    }
  }
  CmdHandlerCall(st);
}

void CmdDoubleClick(CmdEngineState& st) {
  if (View.step != 2) return;
  View.slot[2] = View.slot[1];
  st.dx = st.dy = 0;
  st.doubleClick = 1;
  CmdHandlerCall(st);
}

void CmdRestart(CmdEngineState& st) {
  st.current = st.pending;
  CmdStart(st, st.pending, 0);
}

void CmdStepBack(CmdEngineState& st) {
  View.step = View.step - 1 <= 0 ? 0 : View.step - 1;
  CmdHandlerCall(st);
}

void CmdDone(CmdEngineState& st, int mode) {
  if (!(mode & 0x80)) View.togs &= ~(uint32_t)TOG_SNAP;
  if (CmdShell.done) CmdShell.done(mode);
  if (mode & 0x02) {
    Post(st, CMD_POST_RESTART);
  } else if (mode & 0x01) {
    if (st.stateSaved) {
      CmdStateRestore(st);
      Post(st, CMD_POST_BACK);
    } else {
      Post(st, CMD_POST_RESTART);
    }
  }
}

static int TypedOrScript(CmdEngineState& st) { return st.typedLine || st.scriptRunning; }

// A restricted rank window (DPTH's single rank) may hide any object.
static int RankWindowBlocks() {
  if (!Rw.rankMode) return 0;
  HostError("Command is blocked because all Ranks may not be Visible");
  return 1;
}

int CmdGuardVisible(CmdEngineState& st) {
  if (TypedOrScript(st)) return 0;
  int id = CmdTable[st.current].id;
  if (RankWindowBlocks()) return 1;
  if (MainSetup.topdepth > 0) {
    HostError("Command is blocked because some Depth Levels may not be Visible");
    return 1;
  }
  if (View.togs & 0x200) {
    static const int pass[] = {100, 103, 117, 130, 138, 139, 140, 141, 146, 162};
    for (int p : pass)
      if (p == id) return 0;
    HostError("Command is blocked because Text may not be Visible");
    return 1;
  }
  return 0;
}

int CmdGuardCells(CmdEngineState& st) {
  if (TypedOrScript(st)) return 0;
  if (RankWindowBlocks()) return 1;
  if (!(View.togs & 0x8) && MainSetup.topdepth <= 1 && MainSetup.botdepth != 0) return 0;
  int id = CmdTable[st.current].id;
  static const int pass[] = {127, 122, 156, 140, 139};
  for (int p : pass)
    if (p == id) return 0;
  HostError("Command is blocked because Cells may not be Visible");
  return 1;
}

void ScriptAbort(CmdEngineState& st) {
  HostMsgBox("Aput and Get sent to clear Command\n\nUse Undo to return to Original Drawing", "Script Aborted",
             HOST_CAP_OWN, HOST_OK);
  CmdStart(st, CmdIndexByName("Aput"), 0);
  CmdStart(st, 0, 0);
}

int CmdImplemented(int index) {
  if (index < 0 || index >= CMD_COUNT) return 0;
  return CmdTable[index].handler != nullptr;
}

// A command whose handler belongs to a later edition refuses at its start
// and changes nothing: the command that waited goes on waiting.
static void NotYet(CmdEngineState& st, int index) {
  char msg[96];
  snprintf(msg, sizeof msg, "%s is not available in this Edition", CmdTable[index].name);
  // A typed line or a script is told why it stopped; a button or key only
  // shows it in the prompt pane, so that nothing waits on a message box.
  if (st.typedLine || st.scriptRunning) {
    HostError(msg);
    st.scriptStop = 1;
  } else if (CmdShell.pane) {
    CmdShell.pane(600, msg);
  }
  ShellTrace("refused %s", CmdTable[index].name);
}

void CmdNotAvailable(CmdEngineState& st, int index) {
  if (index >= 0 && index < CMD_COUNT) NotYet(st, index);
}

static void Handler(CmdEngineState& st, int index) {
  if (CmdTable[index].handler) {
    CmdTable[index].handler(st);
    return;
  }
  NotYet(st, index);
  CmdDone(st, st.mode);
}

// --- command lines ---------------------------------------------------------

static const char* const kBuildList[] = {"Aput", "Obj", "Text", "Add", "Tlyr", "Tsiz", "Layr", "Wdth", "Fit", "Draw"};

int CmdCoordConvert(double v, double scale, int32_t* out) {
  if (!std::isfinite(v) || !std::isfinite(scale)) return 0;
  double d = v * scale;
  if (!std::isfinite(d)) return 0;
  int32_t r = RoundNear(d);
  if (r > CMD_COORD_LIMIT || r < -CMD_COORD_LIMIT) return 0;
  *out = r;
  return 1;
}

static void ErrorF(const char* fmt, const char* a, int b = 0, int c = 0) {
  char msg[200];
  snprintf(msg, sizeof msg, fmt, a, b, c);
  HostError(msg);
}

// Reads one decimal number token; 1 when the whole token is a number.
static int NumberToken(const char* tok, double* v) {
  char* end = nullptr;
  *v = strtod(tok, &end);
  return end != tok && *end == '\0';
}

int CmdLineRun(CmdEngineState& st, const char* line) {
  if (!line) return 0;
  size_t len = strlen(line);
  if (len <= 1 || line[0] == ';' || line[0] == '*') return 1;
  // Tokens at blanks and commas; the tail after the coordinates is kept
  // whole for the handlers (a text keeps its inner blanks).
  const char* p = line;
  auto skipSep = [&]() {
    while (*p == ' ' || *p == ',' || *p == '\t') ++p;
  };
  auto token = [&](char* out, size_t size) -> int {
    skipSep();
    size_t n = 0;
    while (*p && *p != ' ' && *p != ',' && *p != '\t') {
      if (n + 1 < size) out[n++] = *p;
      ++p;
    }
    out[n] = '\0';
    return n > 0;
  };
  char name[CMD_LINE_SIZE];
  if (!token(name, sizeof name)) return 0;
  int index = CmdIndexByName(name);
  char upper[CMD_LINE_SIZE];
  for (size_t i = 0; i <= strlen(name); ++i) upper[i] = (char)toupper((unsigned char)name[i]);
  if (st.keyLine) {
    if (index < 0 || !CmdKeyAllowed(index)) {
      ErrorF("%s is not available as an Fkey", upper);
      return 0;
    }
  } else {
    if (index < 0 || !CmdLineAllowed(index)) {
      ErrorF("%s is not available as a Command Line", upper);
      return 0;
    }
    if (MainSetup.buildmode) {
      int ok = 0;
      for (const char* b : kBuildList)
        if (strcmp(b, CmdTable[index].name) == 0) ok = 1;
      if (!ok) {
        ErrorF("%s is not avaiable as a Build Command", upper);
        ScriptAbort(st);
        return 0;
      }
    }
  }
  int n = CmdCoords(index);
  if (CmdTable[index].id == ID_ADD) {
    if (st.objKind == 0) HandlerObjKindLoad(st);
    if (st.objKind == 1) n *= 2;
  }
  int32_t coords[16];
  int count = 0;
  while (count < n) {
    const char* save = p;
    char tok[CMD_LINE_SIZE];
    if (!token(tok, sizeof tok)) break;
    double v;
    if (!NumberToken(tok, &v)) {
      p = save;
      break;
    }
    if (!CmdCoordConvert(v, MainSetup.scale, &coords[count])) {
      char msg[200];
      snprintf(msg, sizeof msg, "%s has a Coordinate out of Range\n\n%.40s", CmdTable[index].name, tok);
      HostError(msg);
      return 0;
    }
    ++count;
  }
  if (!st.keyLine && count != n) {
    char msg[200];
    snprintf(msg, sizeof msg, "%s has the Wrong Number of X,Y Coordinate Arguments\n\n%d were Expected but %d were Found",
             CmdTable[index].name, n, count);
    HostError(msg);
    return 0;
  }
  skipSep();
  snprintf(st.lineArgs, sizeof st.lineArgs, "%s", p);
  st.lineArgCount = count;
  CmdStart(st, index, 0);
  // A refused command's points must not reach the command that waits.
  if (!CmdImplemented(index)) return 0;
  for (int i = 0; i < count; i += 2) CmdPoint(st, coords[i], i + 1 < count ? coords[i + 1] : 0);
  st.lineArgs[0] = '\0';
  return 1;
}

// Runs a line with the Cmd running flag set; one undo backup at most for
// the whole line.
static int LineRunOnce(CmdEngineState& st, const char* line) {
  int pending = st.pending;
  st.cmdRunning = 1;
  st.lineBackupTaken = 0;
  int r = CmdLineRun(st, line);
  st.pending = pending;
  return r;
}

static void RunEnd(CmdEngineState& st, int pending) {
  st.pending = pending;
  st.typedLine = st.scriptRunning = st.keyLine = st.scriptStop = 0;
  st.cmdRunning = 0;
  st.lineBackupTaken = 0;
}

// A line handed in whole (a key's line or one typed), run once; `how` marks
// which, for the commands that behave differently.
static int LineHanded(CmdEngineState& st, const char* line, const char* tag, int CmdEngineState::*how) {
  if (!line || strlen(line) >= CMD_LINE_SIZE) {
    HostError("Command Line is Too Long");
    return 0;
  }
  ShellTrace("line%s %s", tag, line);
  int pending = st.pending;
  st.*how = 1;
  int r = LineRunOnce(st, line);
  RunEnd(st, pending);
  return r;
}

int CmdKeyLine(CmdEngineState& st, const char* line) { return LineHanded(st, line, " key", &CmdEngineState::keyLine); }

int CmdTypedLine(CmdEngineState& st, const char* line) { return LineHanded(st, line, "", &CmdEngineState::typedLine); }

int CmdScriptRun(CmdEngineState& st, const char* path) {
  FILE* f = path && path[0] ? fopen(path, "r") : nullptr;
  if (!f) {
    HostError("File is Missing");
    return 0;
  }
  int pending = st.pending;
  st.scriptStop = 0;
  st.cmdRunning = 0;
  UndoSave(st, 4);  // one backup for the whole script
  st.cmdRunning = 1;
  st.lineBackupTaken = 1;
  if (MainSetup.winemods) HostPause(20);
  int done = 1;
  char buf[CMD_LINE_SIZE + 2];
  int lineNo = 0;
  while (fgets(buf, sizeof buf, f)) {
    ++lineNo;
    size_t n = strlen(buf);
    int cut = n > 0 && buf[n - 1] != '\n' && !feof(f);
    if (cut) {
      int c;
      while ((c = fgetc(f)) != EOF && c != '\n') {
      }
    }
    while (n > 0 && ((unsigned char)buf[n - 1] < '!' || (unsigned char)buf[n - 1] > '~')) buf[--n] = '\0';
    if (cut || n >= CMD_LINE_SIZE) {
      // Never run a fragment of a line that does not fit the buffer.
      char msg[120];
      snprintf(msg, sizeof msg, "Script Line %d is longer than %d Characters ... Script Stopped", lineNo,
               CMD_LINE_SIZE - 1);
      HostError(msg);
      done = 0;
      break;
    }
    st.scriptRunning = 1;
    if (MainSetup.cmdstep && n > 0) {
      if (HostMsgBox(buf, "Script Command Line", HOST_CAP_OWN, HOST_OKCANCEL) == HOST_IDCANCEL) {
        ScriptAbort(st);
        done = 0;
        break;
      }
    }
    if (!CmdLineRun(st, buf)) {
      done = 0;
      break;
    }
    if (st.scriptStop) {
      done = 0;
      break;
    }
  }
  fclose(f);
  RunEnd(st, pending);
  // A restart posted by a script command may already have run while a box
  // was up, arming that command again: the command that waited before the
  // script is the one to come back, however the script ended.
  if (st.current != pending) CmdRestart(st);
  return done;
}

int Cmd(CmdEngineState& st, const char* line) {
  if (st.keyLine) return CmdKeyLine(st, line);
  return CmdTypedLine(st, line);
}

static void HistoryPush(char list[][CMD_LINE_SIZE], int count, const char* text) {
  int at = count - 1;
  for (int i = 0; i < count; ++i)
    if (strcasecmp(list[i], text) == 0) {
      at = i;
      break;
    }
  char keep[CMD_LINE_SIZE];
  snprintf(keep, sizeof keep, "%s", text);
  memmove(list[1], list[0], sizeof list[0] * at);
  snprintf(list[0], sizeof list[0], "%s", keep);
}

static void FileHistoryPush(const char* text) {
  const int count = SCRIPTFILE_MAX;
  int at = count - 1;
  for (int i = 0; i < count; ++i)
    if (strcasecmp(MainSetup.scriptfile[i], text) == 0) {
      at = i;
      break;
    }
  char keep[SETUP_PATH_SIZE];
  snprintf(keep, sizeof keep, "%s", text);
  memmove(MainSetup.scriptfile[1], MainSetup.scriptfile[0], sizeof MainSetup.scriptfile[0] * at);
  snprintf(MainSetup.scriptfile[0], sizeof MainSetup.scriptfile[0], "%s", keep);
}

void CmdRun(CmdEngineState& st) {
  if (!CmdShell.cmdDialog) return;
  char line[CMD_LINE_SIZE] = "", file[CMD_SCRIPT_PATH] = "";
  int r = CmdShell.cmdDialog(line, sizeof line, file, sizeof file);
  if (r == CMD_DLG_LINE && line[0]) {
    HistoryPush(MainSetup.cmdline, CMDLINE_MAX, line);
    CmdTypedLine(st, line);
  } else if (r == CMD_DLG_SCRIPT && file[0]) {
    FileHistoryPush(file);
    CmdScriptRun(st, file);
  }
}

const char* CmdNavLine(int id) {
  switch (id) {
    case 40043: return "Del";
    case 40045: return "Cntr 0 0";
    case 40046: return "Fit";
    case 40047: return "Xpnd";
    case 40049: return "Zoom";
    case 40050: return "Last";
    default: return nullptr;
  }
}

int CmdFKey(CmdEngineState& st, int id) {
  int n = id - 1400;
  if (n < 0 || n >= FKEY_MAX || n >= MainSetup.fkeyCount || !MainSetup.fkeys[n][0]) return 0;
  char line[CMD_LINE_SIZE];
  snprintf(line, sizeof line, "%s", MainSetup.fkeys[n]);
  return CmdKeyLine(st, line);
}

void CmdTypedPoint(CmdEngineState& st, int axis) {
  if (st.wantsZeroPoint) CmdPoint(st, 0, 0);
  double x = st.lastTypedX, y = st.lastTypedY;
  if (!CmdShell.pointDialog || !CmdShell.pointDialog(axis, &x, &y)) return;
  int32_t px, py;
  if (!CmdCoordConvert(x, MainSetup.scale, &px) || !CmdCoordConvert(y, MainSetup.scale, &py)) {
    HostError("Point is Out of Range");
    return;
  }
  st.lastTypedX = x;
  st.lastTypedY = y;
  CmdPoint(st, px, py);
}

void CmdIncMove(CmdEngineState& st) {
  double dx = 0, dy = 0;
  if (!CmdShell.pointDialog || !CmdShell.pointDialog(3, &dx, &dy)) return;
  char line[CMD_LINE_SIZE];
  int n = snprintf(line, sizeof line, "MOV 0 0 %.*g %.*g", 9, dx / MainSetup.scale, 9, dy / MainSetup.scale);
  if (n < 0 || n >= (int)sizeof line) return;
  CmdKeyLine(st, line);
}

int CmdAskCellName(char* name, size_t size) {
  if (!CmdShell.loadDialog) return 0;
  return CmdShell.loadDialog(name, size);
}

int CmdSave() {
  if (!Cell.name[0]) {
    HostError("You Must Create or Load a Cell before it can be Saved");
    return 0;
  }
  char name[CELL_NAME_SIZE + 4];
  snprintf(name, sizeof name, "%s", Cell.name);
  int script = 0;
  int r = CmdShell.saveDialog ? CmdShell.saveDialog(name, sizeof name, &script) : 0;
  if (r == 1) {
    if (!script) return CellSaveNow();
    TlcWrite.scriptFlag = 1;
    return TlcWriteCell(Cell.name, Cell.name) == 0;
  }
  if (r == 2) {
    int n = CellFindAdd(name);
    if (!n) return 0;
    CellTable.cells[n].rank = Cell.rank;
    if (TlcWriteCell(CellTable.cells[n].name, CellTable.cells[n].name) != 0) return 0;
    return CrfWrite(CellTable.cells[n].name, n, Cell.rank);
  }
  return 0;
}

int CmdAskPoint(int axis, double* x, double* y) {
  if (!CmdShell.pointDialog) return 0;
  return CmdShell.pointDialog(axis, x, y);
}
