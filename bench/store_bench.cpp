// Load and save of large flat cells through the editor's store: a cell of
// 1,000,000 boxes and one of 200,000 four-vertex polygons. Prints the times,
// MB/s, the ratio to reading the same file with cat, and the peak memory
// against the store's own size.
//
//   store_bench            generate both cells in a temporary folder, then
//                          measure each in a fresh process
//   store_bench load NAME  (in the drawing folder) load and save one cell
//   store_bench make DIR   only generate both cells in DIR
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "celltable.h"
#include "mainsetup.h"
#include "store.h"
#include "tlcread.h"
#include "tlcwrite.h"

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double FileMB(const char* path) {
  struct stat st;
  return stat(path, &st) == 0 ? st.st_size / 1e6 : 0;
}

long PeakKB() {
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

// A simple generator that spreads objects over a large area.
uint32_t next = 12345;
int32_t Rand(int32_t n) {
  next = next * 1103515245u + 12345u;
  return static_cast<int32_t>((next >> 8) % static_cast<uint32_t>(n));
}

int Generate() {
  MainSetup.scale = 1000;
  for (int i = 0; i < 10; ++i) {
    snprintf(MainSetup.layers[i].name, sizeof MainSetup.layers[i].name, "L%d", i + 1);
    MainSetup.layers[i].number = i + 1;
  }
  MainSetup.layerCount = 10;
  // 1,000,000 boxes.
  Store.boxCount = 1000000;
  for (int32_t i = 1; i <= Store.boxCount; ++i) {
    int32_t* r = StoreBoxRec(i);
    int32_t x = Rand(10000000), y = Rand(10000000);
    r[0] = 1 + i % 10;
    r[1] = x;
    r[2] = y;
    r[3] = x + 100 + Rand(5000);
    r[4] = y + 100 + Rand(5000);
  }
  int cell = CellFindAdd("BOXES");
  if (CrfWrite("BOXES", cell, 1) != 1 || TlcWriteCell("BOXES", "BOXES") != 0) return 1;
  StoreReset();
  // 200,000 polygons of four vertices.
  for (int32_t i = 1; i <= 200000; ++i) {
    int32_t* p = StorePathRec(i);
    p[0] = 1 + i % 10;
    p[1] = 0;
    p[2] = Store.vertexCount + 1;
    int32_t x = Rand(10000000), y = Rand(10000000), w = 100 + Rand(5000), h = 100 + Rand(5000);
    int32_t xs[4] = {x, x + w, x + w, x}, ys[4] = {y, y, y + h, y + h};
    for (int k = 0; k < 4; ++k) {
      int32_t n = ++Store.vertexCount;
      int32_t* v = StoreVertexRec(n);
      v[0] = i;
      v[1] = xs[k];
      v[2] = ys[k];
      v[3] = k < 3 ? n + 1 : 0;
    }
    Store.pathCount = i;
  }
  cell = CellFindAdd("POLYS");
  if (CrfWrite("POLYS", cell, 1) != 1 || TlcWriteCell("POLYS", "POLYS") != 0) return 1;
  return 0;
}

int Measure(const char* name) {
  MainSetup.scale = 1000;
  if (CrfRead() != 1) return 1;
  int cell = CellFind(name);
  if (!cell) return 1;
  char file[64];
  snprintf(file, sizeof file, "%s.tlc", name);
  double mb = FileMB(file);
  // Raw reading of the same file, warm, as cat does it.
  char cmd[128];
  snprintf(cmd, sizeof cmd, "cat %s > /dev/null", file);
  double catBest = 1e9;
  for (int i = 0; i < 3; ++i) {
    double t0 = Now();
    if (system(cmd) != 0) return 1;
    catBest = std::min(catBest, Now() - t0);
  }
  double loadBest = 1e9, saveBest = 1e9;
  for (int i = 0; i < 3; ++i) {
    StoreReset();
    double t0 = Now();
    if (CellObjLoad(cell) != 0) return 1;
    loadBest = std::min(loadBest, Now() - t0);
    t0 = Now();
    if (TlcWriteCell("SAVED", name) != 0) return 1;
    saveBest = std::min(saveBest, Now() - t0);
  }
  double storeMB = StoreBytes() / 1e6;
  double peakMB = PeakKB() / 1e3;
  printf("%-6s file %7.1f MB  boxes %d paths %d vertices %d\n", name, mb, Store.boxCount, Store.pathCount,
         Store.vertexCount);
  printf("       load %.3f s (%6.0f MB/s)  save %.3f s (%6.0f MB/s)  cat %.3f s (%6.0f MB/s)\n", loadBest,
         mb / loadBest, saveBest, mb / saveBest, catBest, mb / catBest);
  printf("       load/cat %.1fx  save/cat %.1fx  store %.1f MB  peak RSS %.1f MB (%.2fx the store)\n",
         loadBest / catBest, saveBest / catBest, storeMB, peakMB, peakMB / storeMB);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "load") == 0) return Measure(argv[2]);
  if (argc == 3 && strcmp(argv[1], "make") == 0) return chdir(argv[2]) == 0 ? Generate() : 1;
  char tmpl[] = "/tmp/quil_bench_XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;
  if (Generate() != 0) {
    fprintf(stderr, "generation failed\n");
    return 1;
  }
  StoreReset();
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return 1;
  self[n] = 0;
  int rc = 0;
  for (const char* name : {"BOXES", "POLYS"}) {
    std::string cmd = std::string("'") + self + "' load " + name;
    if (system(cmd.c_str()) != 0) rc = 1;
  }
  std::string clean = std::string("rm -rf '") + tmpl + "'";
  if (system(clean.c_str()) != 0) rc = 1;
  return rc;
}
