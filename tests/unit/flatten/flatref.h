// A reference flattener for the tests, written apart from the engine: it
// parses the drawing's cell files itself and places every object through
// 2x2 matrices and offsets composed down the hierarchy.
#ifndef QUIL_TESTS_FLATREF_H
#define QUIL_TESTS_FLATREF_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct RefCell {
  struct Box { int lyr; int64_t l, b, r, t; };
  struct Path { int lyr; int64_t w; std::vector<std::pair<int64_t, int64_t>> pts; };
  struct Text { int lyr; int64_t size; int o; int64_t x, y; std::string text; };
  struct Inst { std::string name; int o; int64_t x, y; };
  std::vector<Box> boxes;
  std::vector<Path> paths;
  std::vector<Text> texts;
  std::vector<Inst> insts;
  std::string hdrName;
  int hdrRank = 0;
  int64_t counts[4] = {};
};

// Parses one TLC file of either record form.
RefCell RefParse(const std::string& path);

struct Affine {
  int m[4];  // x' = m0 x + m1 y + tx ; y' = m2 x + m3 y + ty
  int64_t tx, ty;
};

// Code 0..7 of a 2x2 matrix, -1 when none.
int RefCode(const int m[4]);
Affine RefPlace(const Affine& outer, int code, int64_t x, int64_t y);

// The objects of a flattened or smashed cell as sorted canonical lines.
struct RefOut {
  std::vector<std::string> boxes, paths, texts, insts;
};
// Walks cell (files in folder) with the ranks given; keepRank1 keeps cells
// of rank 1 as references (Flatten) instead of bringing them up (Smash).
RefOut RefFlatten(const std::string& folder, const std::string& cell,
                  const std::map<std::string, int>& ranks, bool keepRank1);
// The same lines of a written cell.
RefOut RefOfCell(const RefCell& c);

#endif
