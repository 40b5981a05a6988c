// Full redraws on the recording canvas (counting only): a flat cell of
// 1,000,000 boxes at fit and zoomed to 100 boxes across, and a 100 x 100
// array of a 100-box cell likewise. Prints the time of each walk and what
// it drew.
//
//   render_bench        (build with -DCMAKE_BUILD_TYPE=Release in a folder
//                        of its own for figures)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "canvas.h"
#include "celltable.h"
#include "layerview.h"
#include "mainsetup.h"
#include "redraw.h"
#include "render.h"
#include "store.h"
#include "tlcread.h"

namespace {

double Now() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

RecCanvas gRec;

void Setup() {
  StoreReset();
  CellTableReset();
  TlcLoadReset();
  MainSetupReset();
  LayerViewReset();
  RenderReset();
  RedrawReset();
  for (int n = 1; n <= 10; ++n) MainSetup.attr[n - 1] = {n, n % 14 + 1, 0};
  LyrView.viewOverride = 1;
  gRec.keep = 0;
  DrawCanvasSet(RecCanvasMake(&gRec));
}

void Run(const char* what, double cx, double cy, double width, int repeats) {
  DrawViewSet((int32_t)cx, (int32_t)cy, width, 0, 0, 1200, 900, 1.0, MainSetup.drawres,
              MainSetup.celldrawres);
  double best = 1e9;
  for (int i = 0; i < repeats; ++i) {
    for (auto& c : gRec.counts) c = 0;
    double t0 = Now();
    DrawAll(0);
    double t = Now() - t0;
    if (t < best) best = t;
  }
  printf("%-44s %8.4f s  boxes drawn %7lld  instances %6lld  lines %8lld  polygons %7lld\n", what, best,
         (long long)Rd.boxesDrawn, (long long)Rd.instsExpanded, (long long)gRec.counts[REC_LINE],
         (long long)gRec.counts[REC_POLYGON]);
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream f(path);
  f << text;
}

}  // namespace

int main() {
  char tmpl[] = "/tmp/render_bench_XXXXXX";
  if (!mkdtemp(tmpl) || chdir(tmpl) != 0) return 1;

  // 1,000,000 boxes of 80 x 80 at a pitch of 100, layers 1..10.
  Setup();
  for (int32_t j = 0; j < 1000; ++j)
    for (int32_t i = 0; i < 1000; ++i) {
      int32_t* r = StoreBoxRec(++Store.boxCount);
      r[0] = 1 + (i + j) % 10;
      r[1] = i * 100;
      r[2] = j * 100;
      r[3] = i * 100 + 80;
      r[4] = j * 100 + 80;
    }
  int flat = CellFindAdd("FLAT");
  CellTable.cells[flat].rank = 1;
  Store.currentCell = Store.heldCell = flat;
  Run("flat 1M boxes, fit", 50000, 50000, 110000, 5);
  Run("flat 1M boxes, 100 boxes across", 50000, 50000, 10000, 5);

  // A 100-box cell (10 x 10 boxes of 80 at 100) placed 100 x 100 times at
  // a pitch of 1100.
  Setup();
  std::string cell = "<?xml version=\"1.0\"?>\n<TLC>\n<H>\nC100\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n"
                     "1 0 0 980 980\n100 0 0 0\n</H>\n";
  for (int j = 0; j < 10; ++j)
    for (int i = 0; i < 10; ++i)
      cell += "<B>\n" + std::to_string(1 + (i + j) % 10) + " " + std::to_string(i * 100) + " " +
              std::to_string(j * 100) + " " + std::to_string(i * 100 + 80) + " " + std::to_string(j * 100 + 80) +
              "\n</B>\n";
  cell += "</TLC>\n";
  Write("C100.tlc", cell);
  std::string top = "<?xml version=\"1.0\"?>\n<TLC>\n<H>\nARR\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n"
                    "2 0 0 109980 109980\n0 0 0 10000\n</H>\n";
  for (int j = 0; j < 100; ++j)
    for (int i = 0; i < 100; ++i)
      top += "<C>\nC100\n0 " + std::to_string(i * 1100) + " " + std::to_string(j * 1100) + " 0\n</C>\n";
  top += "</TLC>\n";
  Write("ARR.tlc", top);
  int c100 = CellFindAdd("C100");
  CellEntry* e = &CellTable.cells[c100];
  e->rank = 1;
  e->l = 0;
  e->b = 0;
  e->r = 980;
  e->t = 980;
  e->nb = 100;
  int arr = CellFindAdd("ARR");
  e = &CellTable.cells[arr];
  e->rank = 2;
  e->r = e->t = 109980;
  e->nc = 10000;
  if (CellObjLoad(arr) != 0 || CellInstLoad(arr, 0) != 0) {
    fprintf(stderr, "load failed\n");
    return 1;
  }
  Store.currentCell = arr;
  Run("array 100 x 100 of a 100-box cell, fit", 55000, 55000, 121000, 5);
  Run("array 100 x 100 of a 100-box cell, 100 across", 55000, 55000, 11000, 5);
  Run("array, fit, small objects drawn (Ctrl)", 55000, 55000, 121000, 0 + 1);
  Rd.ctrl = 1;
  Run("array, fit, Ctrl held: every box drawn", 55000, 55000, 121000, 3);
  Rd.ctrl = 0;
  std::string rm = std::string("rm -rf '") + tmpl + "'";
  if (system(rm.c_str()) != 0) return 1;
  return 0;
}
