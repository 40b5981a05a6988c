// Random result maps into boxes and polygons: the boxes written, or the
// polygons filled again, cover exactly the set map cells.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <vector>

#include "ll.h"

namespace {

void Set(LlMap& m, int x, int y) { LlMapBitSet(m, x, y, 1); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static LlState* st = nullptr;
  if (!st) {
    st = new LlState();
    if (!LlMapsAlloc(*st)) __builtin_trap();
  }
  st->abortFlag = 0;
  st->set = LlRunSet();
  st->set.layC = 3;
  st->set.m = 1 + data[0] % 7;
  int poly = data[1] & 1;
  // The shapes lie in a window of 160 x 160 cells placed at the map's
  // origin, in its middle or against its right and top edges.
  int ox = (data[1] >> 1) % 3 == 0 ? 0 : ((data[1] >> 1) % 3 == 1 ? 400 : 1024 - 160);
  int oy = (data[1] >> 3) % 2 ? 0 : 1024 - 160;
  st->L = -5000;
  st->B = 300;
  LlMapClear(st->result);
  for (size_t k = 2; k + 4 <= size; k += 4) {
    int x = data[k] % 160, y = data[k + 1] % 160, w = 1 + data[k + 2] % 40, h = 1 + data[k + 3] % 40;
    bool flip = (data[k + 2] & 0x80) != 0;
    for (int v = y; v < y + h && v < 160; ++v)
      for (int u = x; u < x + w && u < 160; ++u) {
        if (flip)
          LlMapBitSet(st->result, ox + u, oy + v, !LlMapBitGet(st->result, ox + u, oy + v));
        else
          Set(st->result, ox + u, oy + v);
      }
  }
  std::vector<std::vector<int32_t>> polys;
  st->polyOut = &polys;
  LlMapToBoxes(*st);
  LlBoxMerge(*st);
  if (poly && !LlPolyBuild(*st)) __builtin_trap();
  if (st->abortFlag) __builtin_trap();
  LlMapClear(st->scan);
  int64_t m = st->set.m;
  for (const LlBox& b : st->boxes) {
    if (b.layer == 0) continue;
    if ((b.l - st->L) % m || (b.r - st->L) % m || (b.b - st->B) % m || (b.t - st->B) % m) __builtin_trap();
    for (int64_t y = (b.b - st->B) / m; y < (b.t - st->B) / m; ++y)
      for (int64_t x = (b.l - st->L) / m; x < (b.r - st->L) / m; ++x) {
        if (LlMapBitGet(st->scan, x, y)) __builtin_trap();  // boxes never overlap
        LlMapBitSet(st->scan, x, y, 1);
      }
  }
  // The rings (rectilinear without vertex reduction) filled exactly: a
  // cell is inside when its centre is, counting the vertical edges.
  for (const auto& p : polys) {
    std::vector<int64_t> xs, ys;
    for (size_t k = 0; k + 1 < p.size(); k += 2) {
      xs.push_back((p[k] - st->L) / m);
      ys.push_back((p[k + 1] - st->B) / m);
    }
    if (xs.size() < 4 || xs.front() != xs.back() || ys.front() != ys.back()) __builtin_trap();
    int64_t y0 = *std::min_element(ys.begin(), ys.end()), y1 = *std::max_element(ys.begin(), ys.end());
    for (int64_t y = y0; y < y1; ++y) {
      std::vector<int64_t> cross;
      for (size_t k = 0; k + 1 < xs.size(); ++k) {
        if (xs[k] != xs[k + 1] && ys[k] != ys[k + 1]) __builtin_trap();  // a slanted edge
        if (xs[k] == xs[k + 1] && std::min(ys[k], ys[k + 1]) <= y && y < std::max(ys[k], ys[k + 1]))
          cross.push_back(xs[k]);
      }
      std::sort(cross.begin(), cross.end());
      for (size_t c = 0; c + 1 < cross.size(); c += 2)
        for (int64_t x = cross[c]; x < cross[c + 1]; ++x) {
          if (LlMapBitGet(st->scan, x, y)) __builtin_trap();
          LlMapBitSet(st->scan, x, y, 1);
        }
    }
  }
  for (int sx = 0; sx < LL_STRIPS; ++sx)
    for (int y = 0; y < 1024; ++y)
      if (st->scan.w[(size_t)sx * LL_STRIP_WORDS + y] != st->result.w[(size_t)sx * LL_STRIP_WORDS + y]) __builtin_trap();
  st->polyOut = nullptr;
  return 0;
}
