// The eight orientations of cell instances and texts. Code = r + 4m: m
// negates y first, then r quarter turns counter-clockwise.
#ifndef QUIL_LIB_ORIENT_H
#define QUIL_LIB_ORIENT_H

#include <cstdint>

// Row-major 2x2 matrix of each code: x' = a x + b y, y' = c x + d y.
extern const int OrientMatrix[8][4];

// Applies code (0..7; other values are taken modulo 8) to (x, y). Computed in
// 64 bits so that no coordinate of a 32-bit drawing can overflow.
void OrientPoint(int code, int64_t x, int64_t y, int64_t* ox, int64_t* oy);

// The code of applying inner first and outer after it.
int OrientCompose(int outer, int inner);

// The code that undoes code.
int OrientInverse(int code);

#endif
