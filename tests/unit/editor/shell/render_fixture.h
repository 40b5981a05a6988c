// A drawing folder made current, every store and display state reset, a
// recording canvas installed and a 1000 x 1000 pixel view of 1000 database
// units around (0, 0): one unit a pixel, the centre at pixel (500, 500).
#ifndef QUIL_TESTS_RENDER_FIXTURE_H
#define QUIL_TESTS_RENDER_FIXTURE_H

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include "canvas.h"
#include "celltable.h"
#include "font.h"
#include "host_record.h"
#include "layerview.h"
#include "mainsetup.h"
#include "redraw.h"
#include "render.h"
#include "store.h"
#include "store_objects.h"
#include "temp_folder.h"
#include "tlcread.h"

struct RenderFixture : ::testing::Test {
  std::string dir, oldDir;
  HostRecord* rec = nullptr;
  RecCanvas canvas;

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(EnterTempFolder("/tmp/quilrender_XXXXXX", &dir, &oldDir));
    ResetAll();
    rec = &HostRecordInstall();
    DrawCanvasSet(RecCanvasMake(&canvas));
    View(0, 0, 1000);
    for (int n = 1; n <= 10; ++n) MainSetup.attr[n - 1] = {n, 13, 0};
    LyrView.viewOverride = 1;
  }
  void TearDown() override {
    HostRecordRemove();
    ResetAll();
    LeaveTempFolder(dir, oldDir);
  }
  static void ResetAll() {
    StoreReset();
    CellTableReset();
    TlcLoadReset();
    MainSetupReset();
    FontReset();
    LayerViewReset();
    RenderReset();
    RedrawReset();
  }
  static void View(int32_t cx, int32_t cy, double width, int drawres = 1000) {
    DrawViewSet(cx, cy, width, 0, 0, 1000, 1000, 1.0, drawres, 200);
  }

  std::vector<const RecOp*> Ops(int kind) const {
    std::vector<const RecOp*> out;
    for (const RecOp& op : canvas.ops)
      if (op.kind == kind) out.push_back(&op);
    return out;
  }
  int CountColour(int kind, int colour) const {
    int n = 0;
    for (const RecOp& op : canvas.ops) n += op.kind == kind && op.paint.colour == colour;
    return n;
  }
};

// Even-odd point-in-polygon of a recorded polygon.
inline bool PolyContains(const RecOp& op, double x, double y) {
  bool in = false;
  size_t n = op.pts.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    double xi = op.pts[i].x, yi = op.pts[i].y, xj = op.pts[j].x, yj = op.pts[j].y;
    if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
  }
  return in;
}

// A TLC cell file in the current folder: rank, extent, boxes (layer l b r t)
// and instances (name, orientation, x, y).
struct TlcBox {
  int layer;
  int32_t l, b, r, t;
};
struct TlcInst {
  std::string name;
  int o;
  int32_t x, y;
};
inline void WriteCell(const std::string& name, int rank, int32_t l, int32_t b, int32_t r, int32_t t,
                      const std::vector<TlcBox>& boxes, const std::vector<TlcInst>& insts) {
  std::ofstream f(name + ".tlc");
  f << "<?xml version=\"1.0\"?>\n<TLC>\n<H>\n" << name << "\n7.0.91\n7.0.91\n1000\num\n12/10/26\n12:00:00\n"
    << rank << " " << l << " " << b << " " << r << " " << t << "\n"
    << boxes.size() << " 0 0 " << insts.size() << "\n</H>\n";
  for (const TlcInst& c : insts) f << "<C>\n" << c.name << "\n" << c.o << " " << c.x << " " << c.y << " 0\n</C>\n";
  for (const TlcBox& b2 : boxes)
    f << "<B>\n" << b2.layer << " " << b2.l << " " << b2.b << " " << b2.r << " " << b2.t << "\n</B>\n";
  f << "</TLC>\n";
}

// A table entry as the cell reference list gives it.
inline int TableCell(const std::string& name, int rank, int32_t l, int32_t b, int32_t r, int32_t t,
                     int nb, int nc) {
  int n = CellFindAdd(name.c_str());
  CellEntry* e = &CellTable.cells[n];
  e->rank = rank;
  e->l = l;
  e->b = b;
  e->r = r;
  e->t = t;
  e->nb = nb;
  e->nc = nc;
  return n;
}

#endif
