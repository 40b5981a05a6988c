// Width and spacing checks over a 300 x 300 um window of 1,000,000 boxes: the
// native rule checker without pauses, timed; the same boxes are written as
// GDSII so that klayout's flat DRC can run the same two checks on them.
//   drc_bench FOLDER [--boxes N] [--seed S] [--no-run]
#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "drc_map.h"
#include "drc_memsrc.h"
#include "drc_oper.h"
#include "drc_raster.h"
#include "drc_run.h"
#include "drc_setup.h"
#include "drc_state.h"
#include "host.h"

namespace fs = std::filesystem;

namespace {

// GDSII records.
struct Gds {
  FILE* f;
  void Rec(int type, int dt, const void* data, size_t n) {
    uint8_t h[4] = {(uint8_t)((n + 4) >> 8), (uint8_t)(n + 4), (uint8_t)type, (uint8_t)dt};
    std::fwrite(h, 1, 4, f);
    if (n) std::fwrite(data, 1, n, f);
  }
  void I16(int type, std::vector<int> v) {
    std::vector<uint8_t> b;
    for (int x : v) {
      b.push_back((uint8_t)(x >> 8));
      b.push_back((uint8_t)x);
    }
    Rec(type, 2, b.data(), b.size());
  }
  void I32(int type, const std::vector<int32_t>& v) {
    std::vector<uint8_t> b;
    for (int32_t x : v)
      for (int s = 24; s >= 0; s -= 8) b.push_back((uint8_t)((uint32_t)x >> s));
    Rec(type, 3, b.data(), b.size());
  }
  void Str(int type, const char* s) {
    std::string t(s);
    if (t.size() % 2) t += '\0';
    Rec(type, 6, t.data(), t.size());
  }
  // GDSII 8-byte real.
  static void Real(double v, uint8_t* out) {
    std::memset(out, 0, 8);
    if (v == 0) return;
    int exp = 64;
    while (v < 1.0 / 16) {
      v *= 16;
      --exp;
    }
    while (v >= 1) {
      v /= 16;
      ++exp;
    }
    uint64_t m = (uint64_t)(v * 72057594037927936.0);  // 2^56
    out[0] = (uint8_t)exp;
    for (int i = 1; i < 8; ++i) out[i] = (uint8_t)(m >> (8 * (7 - i)));
  }
};

void WriteGds(const char* path, const std::vector<DrcBoxRec>& boxes) {
  Gds g{std::fopen(path, "wb")};
  if (!g.f) return;
  std::vector<int> date = {2026, 12, 10, 12, 0, 0, 2026, 12, 10, 12, 0, 0};
  g.I16(0x00, {600});
  g.I16(0x01, date);
  g.Str(0x02, "BENCH");
  uint8_t units[16];
  Gds::Real(0.001, units);
  Gds::Real(1e-9, units + 8);
  g.Rec(0x03, 5, units, 16);
  g.I16(0x05, date);
  g.Str(0x06, "TOP");
  for (const DrcBoxRec& b : boxes) {
    g.Rec(0x08, 0, nullptr, 0);
    g.I16(0x0D, {1});
    g.I16(0x0E, {0});
    g.I32(0x10, {b.l, b.b, b.r, b.b, b.r, b.t, b.l, b.t, b.l, b.b});
    g.Rec(0x11, 0, nullptr, 0);
  }
  g.Rec(0x07, 0, nullptr, 0);
  g.Rec(0x04, 0, nullptr, 0);
  std::fclose(g.f);
}

DrcMemDrawing Drawing;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: drc_bench FOLDER [--boxes N] [--seed S] [--no-run]\n");
    return 2;
  }
  fs::path dir = argv[1];
  fs::create_directories(dir);
  long count = 1000000;
  unsigned seed = 7;
  bool run = true;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--boxes") && i + 1 < argc) count = std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--seed") && i + 1 < argc) seed = (unsigned)std::atol(argv[++i]);
    else if (!std::strcmp(argv[i], "--no-run")) run = false;
  }
  // A 1000 x 1000 grid of pitch 0.3 um: boxes 0.15 to 0.2 um, gaps of at
  // least 0.1 um, with one width error and one spacing error (0.08 um) in
  // about every 2000 boxes.
  int side = 1;
  while ((long)side * side < count) ++side;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> size(150, 200), odd(0, 1999);
  int pitch = 300000 / side;
  int dbuLimit = pitch - 100;
  Drawing.cells.reserve(1);
  int top = DrcMemAddCell(Drawing, "TOP");
  std::vector<DrcBoxRec>& boxes = Drawing.cells[top - 1].boxes;
  boxes.reserve((size_t)count);
  for (long n = 0; n < count; ++n) {
    int i = (int)(n % side), j = (int)(n / side);
    int w = std::min(size(rng), dbuLimit), h = std::min(size(rng), dbuLimit);
    int kind = odd(rng);
    if (kind == 0) w = 80;                    // too narrow
    if (kind == 1 && i + 1 < side) w = pitch - 80;  // too close to the next box
    int x = i * pitch, y = j * pitch;
    boxes.push_back({1, x, y, x + w, y + h});
  }
  WriteGds((dir / "bench.gds").string().c_str(), boxes);
  std::ofstream(dir / "rules.drc") << "title= Width\ndistance= 0.1\noperators= {\n map,1\n push,1\n notr\n gagr\n "
                                      "testr\n}\ntitle= Spacing\noperators= {\n map,1\n push,1\n expr\n testr\n}\n";
  if (!run) return 0;

  HostConsoleSet(stdout, HOST_IDYES);
  static DrcState st;
  DrcMemFinish(Drawing);
  DrcMemSource(Drawing);
  std::snprintf(st.run.folder, sizeof st.run.folder, "%s", dir.string().c_str());
  st.run.src = &Drawing.src;
  st.run.findCell = [](void* ctx, const char* name) { return DrcMemFind(*static_cast<DrcMemDrawing*>(ctx), name); };
  const char* set[][2] = {{"cln=", "TOP"}, {"ckf=", "rules.drc"}, {"csn=", "1"},  {"cfn=", "2"},
                          {"msz=", "4"},   {"wl=", "0"},          {"wb=", "0"},   {"wr=", "300"},
                          {"wt=", "300"},  {"enh=", "N"},         {"enp=", "N"}};
  for (auto& kv : set)
    for (int k = 0; k < K_COUNT; ++k)
      if (!std::strcmp(DrcKeyName[k], kv[0])) std::snprintf(st.set.v[k], 256, "%s", kv[1]);
  DrcSetupApply(st, 0);
  auto t0 = std::chrono::steady_clock::now();
  int r = DrcGo(st);
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("boxes=%ld result=%d maps=%d areas=%lld drc_seconds=%.2f peak_rss_mb=%.1f\n", count, r, st.x.mapsRun,
              (long long)st.run.areaVisits, secs, ru.ru_maxrss / 1024.0);
  return r == 1 ? 0 : 1;
}
