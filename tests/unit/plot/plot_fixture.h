// A plot state writing into a string, with a geometry that maps database
// units one to one onto plotter units (Lower Left origin), an in-memory
// drawing as its cell source and the recording host.
#ifndef QUIL_TESTS_PLOT_FIXTURE_H
#define QUIL_TESTS_PLOT_FIXTURE_H

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "drc_memsrc.h"
#include "host.h"
#include "host_record.h"
#include "plot.h"
#include "satlib.h"
#include "satsetup.h"

class PlotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostRecordInstall();
    CellInfoReset();
    st.out.capture = &out;
    OneToOne();
  }
  void TearDown() override { HostRecordRemove(); }

  // x database units -> x plotter units: 0.04 / 1000 * 25000 = 1.
  void OneToOne() {
    st.scale = 1000;
    st.set.lowerLeft = 1;
    st.set.lam = 1;
    st.set.rot = 0;
    st.geom.unit = 0.04;
    st.geom.plotScale = 25000;
    st.geom.dl = st.geom.db = -30000;
    st.geom.dr = st.geom.dt = 30000;
    st.geom.minSize = 0;
    st.geom.fillSpacing = 101.6;
    st.geom.dashLen = 1.5;
  }
  // A cell of the in-memory drawing from TLC record text.
  int Cell(const char* name, const char* tlc) {
    int c = DrcMemAddCell(d, name);
    EXPECT_EQ(DrcMemReadTlc(d, c, tlc), 0) << name;
    return c;
  }
  // A text record as the store holds it.
  void Text(int cell, int layer, int size, int orient, int x, int y, const std::string& text) {
    DrcMemPath p;
    p.word0 = (uint32_t)layer | ((uint32_t)orient << 17) | 0x80000000u;
    p.width = size;
    p.xy = {x, y};
    std::string t = text;
    t.push_back('\0');
    while (t.size() % 8) t.push_back('\0');
    for (size_t k = 0; k < t.size(); k += 8) {
      uint32_t w[2] = {0, 0};
      for (int j = 0; j < 8; ++j) w[j / 4] |= (uint32_t)(unsigned char)t[k + j] << (8 * (3 - j % 4));
      p.xy.push_back((int32_t)w[0]);
      p.xy.push_back((int32_t)w[1]);
    }
    d.cells[cell - 1].paths.push_back(p);
  }
  // The drawing done: ranks, extents, source, and the cell list the run
  // looks cells up in.
  void Finish() {
    DrcMemFinish(d);
    DrcMemSource(d);
    st.walk.cw.src = &d.src;
    Cells.count = (int)d.cells.size();
    for (size_t i = 0; i < d.cells.size(); ++i) {
      CellInfo& c = Cells.cell[i + 1];
      snprintf(c.name, sizeof c.name, "%s", d.cells[i].name.c_str());
      c.flags = d.cells[i].rank;
      c.l = d.cells[i].l;
      c.b = d.cells[i].b;
      c.r = d.cells[i].r;
      c.t = d.cells[i].t;
      c.nc = (int32_t)d.cells[i].insts.size();
    }
  }
  static int Count(const std::string& s, const std::string& what) {
    int n = 0;
    for (size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + 1)) ++n;
    return n;
  }
  std::vector<std::string> Messages() { return HostRecordTexts(); }

  PlotState st;
  std::string out;
  DrcMemDrawing d;
};

#endif
