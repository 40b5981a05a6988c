// Stands in for the Windows help viewer in the help launcher's tests: it
// appends the command line it was started with to hh_args.txt beside
// itself and ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char path[MAX_PATH + 16];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return 1;
  char* slash = strrchr(path, '\\');
  if (!slash) return 1;
  strcpy(slash + 1, "hh_args.txt");
  FILE* f = fopen(path, "a");
  if (!f) return 1;
  fprintf(f, "%s\n", GetCommandLineA());
  fclose(f);
  return 0;
}
