// Import, Export, Organize and ReRank on a drawing of n cells (n - 1 cells
// of 100 boxes placed by one top cell), the engines alone (no pauses, every
// question answered by its first button):
//   impexp_bench make <folder> <n>     writes the drawing
//   impexp_bench run <folder> <n>      makes it and times each operation
// bench/impexp_bench.sh runs it at three sizes beside klayout.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "celltable.h"
#include "impexp.h"
#include "mainsetup.h"
#include "store.h"
#include "sysmode.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

int Make(const std::string& dir, int n) {
  mkdir(dir.c_str(), 0755);
  FILE* crf = fopen((dir + "/QUIL7.CRF").c_str(), "w");
  if (!crf) return 1;
  fprintf(crf, "%d\n", n);
  for (int c = 1; c < n; ++c) {
    char name[32];
    snprintf(name, sizeof name, "C%d", c);
    FILE* f = fopen((dir + "/" + name + ".tlc").c_str(), "w");
    if (!f) return 1;
    fprintf(f, "<?xml version=\"1.0\"?>\n<TLC>\n<L>\n1\nMETAL 5\n</L>\n<H>\n%s\n7.0\n7.0\n1000\num\n01/01/26\n00:00:00\n"
               "1 0 0 9980 8\n100 0 0 0\n</H>\n", name);
    for (int b = 0; b < 100; ++b) fprintf(f, "<B>\n5 %d 0 %d 8\n</B>\n", b * 100, b * 100 + 80);
    fprintf(f, "</TLC>\n");
    fclose(f);
    fprintf(crf, "%s\n1 0 0 9980 8 100 0 0 0\n", name);
  }
  FILE* f = fopen((dir + "/TOP.tlc").c_str(), "w");
  if (!f) return 1;
  fprintf(f, "<?xml version=\"1.0\"?>\n<TLC>\n<H>\nTOP\n7.0\n7.0\n1000\num\n01/01/26\n00:00:00\n2 0 0 1 1\n0 0 0 %d\n</H>\n",
          n - 1);
  for (int c = 1; c < n; ++c) fprintf(f, "<C>\nC%d\n0 0 %d 0\n</C>\n", c, c * 10);
  fprintf(f, "</TLC>\n");
  fclose(f);
  fprintf(crf, "TOP\n2 0 0 9980 %d 0 0 0 %d\n\n", n * 10, n - 1);
  fclose(crf);
  FILE* usf = fopen((dir + "/QUIL7.USF").c_str(), "w");
  if (!usf) return 1;
  fprintf(usf, "scale=1000\nphysunit=um\nlayer=METAL 5\n");
  fclose(usf);
  return 0;
}

double Since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void Fresh() {
  MainSetupReset();
  MainSetup.scale = 1000;
  CellTableReset();
  StoreReset();
  TlcLoadReset();
  TlcWriteReset();
}

int EmptyDrawing(const std::string& dir) {
  if (mkdir(dir.c_str(), 0755) != 0) return 1;
  FILE* f = fopen((dir + "/QUIL7.CRF").c_str(), "w");
  if (!f) return 1;
  fprintf(f, "0\n");
  return fclose(f) != 0;
}

int Run(const std::string& dir, int n) {
  if (Make(dir + "/src", n) != 0) return 1;
  std::string src = dir + "/src/", tld = dir + "/tld/", a = dir + "/a/", b = dir + "/b/";
  if (EmptyDrawing(a) || EmptyDrawing(b)) return 1;
  ImpExpParams p = {};
  Fresh();
  p = {src.c_str(), tld.c_str(), "ALL", 1, 0};
  auto t0 = std::chrono::steady_clock::now();
  int r1 = TlcExport(p);
  double exportS = Since(t0);
  Fresh();
  p = {tld.c_str(), a.c_str(), "ALL", 1, 0};
  t0 = std::chrono::steady_clock::now();
  int r2 = TlcImport(p);
  double importS = Since(t0);
  int cellsA = ImpExp.cells;
  Fresh();
  p = {src.c_str(), b.c_str(), "*", 0, 0};
  t0 = std::chrono::steady_clock::now();
  int r3 = TlcImport(p);
  double tlcS = Since(t0);
  int cellsB = ImpExp.cells;
  if (chdir(src.c_str()) != 0) return 1;
  Fresh();
  CrfRead();
  t0 = std::chrono::steady_clock::now();
  int r4 = SysOrganize(0);
  double organizeS = Since(t0);
  Fresh();
  CrfRead();
  t0 = std::chrono::steady_clock::now();
  int r5 = SysReRank("*", 0);
  double rerankS = Since(t0);
  printf("cells %d  tld_export %.3f s  tld_import %.3f s (%d)  tlc_import %.3f s (%d)  organize %.3f s  rerank %.3f s"
         "  results %d%d%d%d%d\n",
         n, exportS, importS, cellsA, tlcS, cellsB, organizeS, rerankS, r1, r2, r3, r4, r5);
  return (r1 == 1 && r2 == 1 && r3 == 1 && r4 == 1 && r5 == 1) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    fprintf(stderr, "usage: impexp_bench make|run <folder> <cells>\n");
    return 2;
  }
  int n = atoi(argv[3]);
  if (n < 2 || n > CELL_MAX) return 2;
  if (strcmp(argv[1], "make") == 0) return Make(argv[2], n);
  return Run(argv[2], n);
}
