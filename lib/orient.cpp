#include "orient.h"

const int OrientMatrix[8][4] = {
    {1, 0, 0, 1},    // 0 (x, y)
    {0, -1, 1, 0},   // 1 (-y, x)
    {-1, 0, 0, -1},  // 2 (-x, -y)
    {0, 1, -1, 0},   // 3 (y, -x)
    {1, 0, 0, -1},   // 4 (x, -y)
    {0, 1, 1, 0},    // 5 (y, x)
    {-1, 0, 0, 1},   // 6 (-x, y)
    {0, -1, -1, 0},  // 7 (-y, -x)
};

void OrientPoint(int code, int64_t x, int64_t y, int64_t* ox, int64_t* oy) {
  const int* m = OrientMatrix[code & 7];
  *ox = m[0] * x + m[1] * y;
  *oy = m[2] * x + m[3] * y;
}

int OrientCompose(int outer, int inner) {
  int ro = outer & 3, mo = (outer >> 2) & 1;
  int ri = inner & 3, mi = (inner >> 2) & 1;
  // A mirror after a turn reverses the turn's sense.
  int r = (ro + ri - ((mo && (ri & 1)) ? 2 : 0) + 4) & 3;
  return r + 4 * (mo ^ mi);
}

int OrientInverse(int code) {
  code &= 7;
  if (code >= 4) return code;  // every mirrored code is its own inverse
  return (4 - code) & 3;
}
