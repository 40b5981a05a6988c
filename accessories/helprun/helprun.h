// The help launcher's choices, platform-free: what the viewer is asked to
// open and the command line that starts it.
#ifndef QUIL_ACCESSORIES_HELPRUN_H
#define QUIL_ACCESSORIES_HELPRUN_H

#include <cstddef>

enum { HELP_PATHLEN = 260 };

// The argument as given (blanks and all), or the help file at the root of
// drive ("X:", or "" for the current drive). 0 when it does not fit.
int HelpTarget(const char* arg, const char* drive, char* out, size_t size);
// "<windows folder>\HH.EXE" and the target, the viewer quoted when its path
// holds a blank. 0 when it does not fit.
int HelpViewerLine(const char* windowsDir, const char* target, char* viewer, size_t viewerSize, char* line,
                   size_t lineSize);

#endif
