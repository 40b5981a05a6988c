// Any bytes as the plotter's settings file and as its font file: every text
// stays in its slot, every applied number in its range, and a text of every
// character in every orientation is drawn from whatever font the bytes make
// without a write outside the buffers.
#include "fuzz_folder.h"
#include "host.h"
#include "plot.h"
#include "satsetup.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  for (const char* name : {"QuilHpgl.usf", "font.tff"}) {
    FILE* f = fopen(name, "wb");
    if (!f) abort();
    if (size) fwrite(data, 1, size, f);
    fclose(f);
  }
  HostSet(nullptr);
  CellInfoReset();
  PlotState st;
  HpglUsfRead(st);
  for (int k = 0; k < PK_COUNT; ++k)
    if (!memchr(st.set.v[k], 0, PLOT_TEXT)) abort();
  const PlotSettings& s = st.set;
  if (s.opn < 1 || s.opn > 8 || s.lam < 0.01 || s.lam > 100 || s.vel < 1 || s.vel > 127) abort();
  if (s.areaL + 1 > s.areaR + 1e-9 || s.areaB + 1 > s.areaT + 1e-9) abort();
  for (const PlotLayerRow& r : s.rows) {
    if (r.layer < 0 || r.layer > 256 || r.pen < 0 || r.pen > 8) abort();
    if (r.fill[0] && strcmp(r.fill, "S") != 0 && (atoi(r.fill) < 1 || atoi(r.fill) > 180)) abort();
  }
  PlotGeometry(st);

  snprintf(st.set.v[PK_TFN], PLOT_TEXT, "font");
  SetupApply(st);
  std::string out;
  st.out.capture = &out;
  st.geom.dl = st.geom.db = -2000000000;
  st.geom.dr = st.geom.dt = 2000000000;
  std::string text;
  for (int c = 1; c < 256; ++c) text.push_back((char)c);
  for (int o = 0; o < 8; ++o) {
    for (size_t k = 0; k < text.size(); k += 80) {
      std::string part = text.substr(k, 80);
      part.push_back('\0');
      while (part.size() % 8) part.push_back('\0');
      std::vector<int32_t> xy = {7, -3};
      for (size_t j = 0; j < part.size(); j += 8) {
        uint32_t w[2] = {0, 0};
        for (int b = 0; b < 8; ++b) w[b / 4] |= (uint32_t)(unsigned char)part[j + b] << (8 * (3 - b % 4));
        xy.push_back((int32_t)w[0]);
        xy.push_back((int32_t)w[1]);
      }
      DrcPathRec p = {1u | ((uint32_t)o << 17) | 0x80000000u, 150, (int32_t)(xy.size() / 2), xy.data()};
      PlotTextObj(st, p, -1);
    }
  }
  TextString(st, st.set.v[PK_CLN], -5, -5, 3000, 1500);
  return 0;
}
