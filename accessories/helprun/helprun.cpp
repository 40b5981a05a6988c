#include "helprun.h"

#include "satutil.h"

int HelpTarget(const char* arg, const char* drive, char* out, size_t size) {
  if (arg && arg[0]) return SatFormat(out, size, "%s", arg);
  return SatFormat(out, size, "%s\\%s", drive ? drive : "", "QUIL7\\HELP\\QUILHELP.CHM");
}

int HelpViewerLine(const char* windowsDir, const char* target, char* viewer, size_t viewerSize, char* line,
                   size_t lineSize) {
  if (!SatFormat(viewer, viewerSize, "%s\\HH.EXE", windowsDir ? windowsDir : "")) return 0;
  return RunCommandLine(line, lineSize, viewer, target);
}
