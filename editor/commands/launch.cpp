#include "launch.h"

#include <cstdio>
#include <cstring>

#include "satutil.h"

const LaunchRow LaunchTable[LAUNCH_ROWS] = {
    {"HELPRUN7.EXE", 10, 0},    {"GDSIN7.EXE", 302, 0},   {"GDSOUT7.EXE", 303, 0},  {"CIFIN7.EXE", 304, 0},
    {"CIFOUT7.EXE", 305, 0},    {"DXFIN7.EXE", 306, 0},   {"DXFOUT7.EXE", 307, 0},  {"QUILDRC7.EXE", 309, 1},
    {"QUILCKT7.EXE", 308, 0},   {"QUILFLAT7.EXE", 310, 0}, {"QUILCODE7.EXE", 311, 0}, {"QUILLL7.EXE", 312, 0},
    {"QUILHPGL7.EXE", 313, 2},  {"QUIL3D7.EXE", 314, 0},  {"QUILMX7.EXE", 315, 0},  {"TFFBUILD7.EXE", 316, 0},
};

int SatLaunchLine(int id, const LaunchIn& in, LaunchLine* out) {
  memset(out, 0, sizeof *out);
  int row = -1;
  for (int i = 0; i < LAUNCH_ROWS && row < 0; ++i)
    if (LaunchTable[i].id == id) row = i;
  out->row = row;
  if (row < 0) return -1;
  const char* drive = in.programDrive ? in.programDrive : "";
  bool ok = true;
  if (row == 0) {
    if (in.wineMode) {
      snprintf(out->error, sizeof out->error,
               "Use a Browser to read %s\\Quil7\\Help\\Quilhelp\\Quilhelp.htm when on Wine\n\nYou can start the Browser "
               "with the Run command or use it as a separate application",
               drive);
      return row;
    }
    ok = SatFormat(out->program, sizeof out->program, "%s\\Quil7\\Helprun7.exe", drive);
    if (in.helpTopic && in.helpTopic[0])
      ok = ok && SatFormat(out->argument, sizeof out->argument, "%s\\Quil7\\Help\\Quilhelp.chm::/Command.htm#%s", drive,
                           in.helpTopic);
    else
      ok = ok && SatFormat(out->argument, sizeof out->argument, "%s\\Quil7\\Help\\Quilhelp.chm", drive);
  } else {
    const char* folder = in.programFolder ? in.programFolder : "";
    if (in.wineMode) folder = PathToUnix(folder);
    ok = SatFormat(out->program, sizeof out->program, "%s%s", folder, LaunchTable[row].file);
    double s = in.scale > 0 ? in.scale : 1.0;
    const char* cell = in.cellName ? in.cellName : "";
    if (cell[0] && LaunchTable[row].kind == 1)
      ok = ok && SatFormat(out->argument, sizeof out->argument, "%s %.*g %.*g %.*g", cell, 9, in.cx / s, 9, in.cy / s, 9,
                           in.width / s);
    else if (cell[0] && LaunchTable[row].kind == 2)
      ok = ok && SatFormat(out->argument, sizeof out->argument, "%s %.*g %.*g %.*g %.*g", cell, 9, in.left / s, 9,
                           in.bottom / s, 9, in.right / s, 9, in.top / s);
  }
  if (!ok || !RunCommandLine(out->commandLine, sizeof out->commandLine, out->program, out->argument))
    snprintf(out->error, sizeof out->error, "%s is Missing", out->program);
  return row;
}
