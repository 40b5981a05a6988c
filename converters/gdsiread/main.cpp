// GDSIREAD7: the console program around the GDS-I conversion.
#include <cstdio>

#include "gdsiread.h"

#ifdef _WIN32
#include <windows.h>
#include <conio.h>
#else
#include <unistd.h>
#endif

// Waits for Esc only when someone can press it: stdin a console (a
// redirected NUL is a character device too, so its mode is asked).
static void EscWait() {
#ifdef _WIN32
  DWORD mode;
  if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode)) return;
  while (_getch() != 27) {
  }
#else
  if (!isatty(fileno(stdin))) return;
  int c;
  while ((c = getchar()) != EOF && c != 27) {
  }
#endif
}

int main(int argc, char** argv) {
  static GdsiState st;
  GdsiReset(&st);
  fputs("\nCalma to TLC\n\n", stdout);
  if (argc < 2) {
    GdsiUsage(stdout);
    fputs("\n\nPress ESC to exit...\n", stdout);
    fflush(stdout);
    EscWait();
    return 1;
  }
  int rc = GdsiRun(&st, argv[1]);
  fputs("\n\nPress ESC to exit...\n", stdout);
  fflush(stdout);
  EscWait();
  return rc;
}
