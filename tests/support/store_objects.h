// Objects put in the editor's store the way the commands put them, for
// tests of the store and of what draws it. sel and vertexBits are OR-ed into
// the box's first word and every vertex's owner word (selections).
#ifndef QUIL_TESTS_STORE_OBJECTS_H
#define QUIL_TESTS_STORE_OBJECTS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "store.h"

inline int32_t AddBox(int layer, int32_t l, int32_t b, int32_t r, int32_t t, uint32_t sel = 0) {
  int32_t n = ++Store.boxCount;
  int32_t v[5] = {(int32_t)((uint32_t)layer | sel), l, b, r, t};
  for (int f = 0; f < 5; ++f) StoreBoxSet(v[f], f, n);
  return n;
}

inline int32_t AddPath(int layer, int32_t width, const std::vector<std::pair<int32_t, int32_t>>& pts,
                       uint32_t vertexBits = 0) {
  int32_t n = ++Store.pathCount;
  StorePathSet(layer, 0, n);
  StorePathSet(width, 1, n);
  StorePathSet(Store.vertexCount + 1, 2, n);
  for (size_t i = 0; i < pts.size(); ++i) {
    int32_t v = ++Store.vertexCount;
    StoreVertexSet((int32_t)((uint32_t)n | vertexBits), 0, v);
    StoreVertexSet(pts[i].first, 1, v);
    StoreVertexSet(pts[i].second, 2, v);
    StoreVertexSet(i + 1 < pts.size() ? v + 1 : 0, 3, v);
  }
  return n;
}

inline int32_t AddText(int layer, int32_t size, int o, int32_t x, int32_t y, const std::string& text) {
  int32_t n = ++Store.pathCount;
  StorePathSet((int32_t)((uint32_t)layer | ((uint32_t)o << ORIENT_SHIFT) | TEXT_BIT), 0, n);
  StorePathSet(size, 1, n);
  int32_t v = ++Store.vertexCount;
  StorePathSet(v, 2, n);
  StoreVertexSet(n, 0, v);
  StoreVertexSet(x, 1, v);
  StoreVertexSet(y, 2, v);
  StoreVertexSet(0, 3, v);
  for (size_t i = 0; i < text.size(); i += 8) {
    int32_t cx, cy;
    StoreTextPack(text.c_str() + i, (int)(text.size() - i), &cx, &cy);
    int32_t w = ++Store.vertexCount;
    StoreVertexSet(w, 3, w - 1);
    StoreVertexSet((int32_t)((uint32_t)n | VERTEX_CHAR), 0, w);
    StoreVertexSet(cx, 1, w);
    StoreVertexSet(cy, 2, w);
    StoreVertexSet(0, 3, w);
  }
  return n;
}

inline int32_t AddInst(int level, int cell, int o, int32_t x, int32_t y, int outline = 0) {
  int32_t n = ++Store.instCount[level];
  StoreCellSet((int32_t)(((uint32_t)cell & INST_CELL_MASK) | (outline ? (uint32_t)INST_OUTLINE : 0u) |
                         ((uint32_t)o << ORIENT_SHIFT)),
               level, 0, n);
  StoreCellSet(x, level, 1, n);
  StoreCellSet(y, level, 2, n);
  return n;
}

#endif
