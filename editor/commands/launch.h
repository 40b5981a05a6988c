// The satellite launcher's table and the command lines it builds: which
// program a System Mode button (or the Help button) starts, and with what
// argument. Starting it is the program's part.
#ifndef QUIL_EDITOR_COMMANDS_LAUNCH_H
#define QUIL_EDITOR_COMMANDS_LAUNCH_H

enum { LAUNCH_ROWS = 16 };

struct LaunchRow {
  const char* file;  // program file name
  int id;            // button id
  int kind;          // 0 no argument, 1 cell and view centre and width, 2 cell and window
};

extern const LaunchRow LaunchTable[LAUNCH_ROWS];

struct LaunchIn {
  const char* programFolder;  // ends in a separator
  const char* programDrive;   // "X:"
  const char* cellName;       // "" when no cell is current
  double cx, cy, width;       // view centre and width, database units
  double left, bottom, right, top;  // the world window, database units
  double scale;               // database units per user unit
  const char* helpTopic;      // "" when none
  int wineMode;
};

struct LaunchLine {
  int row;
  char program[300];
  char argument[300];
  char commandLine[640];  // as RunProgram passes it: program, a blank, argument
  char error[400];        // set when nothing may be started
};

// Looks the id up (first row that matches) and builds the program path,
// the argument and the command line: the row, or -1 when the id is in no
// row. With error set (help in Wine mode, a line that does not fit) nothing
// is to be started.
int SatLaunchLine(int id, const LaunchIn& in, LaunchLine* out);

#endif
