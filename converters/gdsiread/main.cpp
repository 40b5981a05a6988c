// GDSIREAD7: the console program around the GDS-I conversion.
#include <cstdio>

#include "gdsiread.h"

#ifdef _WIN32
#include <conio.h>
#include <io.h>
#define QUIL_ISATTY _isatty
#define QUIL_FILENO _fileno
#else
#include <unistd.h>
#define QUIL_ISATTY isatty
#define QUIL_FILENO fileno
#endif

// Waits for Esc only when someone can press it.
static void EscWait() {
  if (!QUIL_ISATTY(QUIL_FILENO(stdin))) return;
#ifdef _WIN32
  while (_getch() != 27) {
  }
#else
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
