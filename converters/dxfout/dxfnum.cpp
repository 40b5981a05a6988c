#include "dxfnum.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

static const uint64_t kFive8 = 390625;      // 5^8
static const uint32_t kTen8 = 100000000;    // 10^8

// Drops trailing zeros while the character before the last is not the point.
static int Trim(char* out, int n) {
  while (n >= 2 && out[n - 1] == '0' && out[n - 2] != '.') --n;
  out[n] = 0;
  return n;
}

// The fraction f (0 <= f < 1) times 10^8, rounded half to even on its exact
// binary value: f * 2^8 is exact, and its 53-bit mantissa times 5^8 fits in
// 73 bits, held as mid * 2^32 + low.
static uint32_t Frac8(double f) {
  if (f == 0) return 0;
  int ex = 0;
  double m = std::frexp(std::ldexp(f, 8), &ex);
  uint64_t g = (uint64_t)std::ldexp(m, 53);
  int j = 53 - ex;  // f * 10^8 = g * 5^8 / 2^j, j >= 45
  uint64_t lowFull = (g & 0xFFFFFFFFu) * kFive8;
  uint64_t low = lowFull & 0xFFFFFFFFu;
  uint64_t mid = (g >> 32) * kFive8 + (lowFull >> 32);
  int sh = j - 32;  // >= 13
  if (sh >= 63) return 0;  // below 2^73 / 2^94: rounds to zero
  uint64_t q = mid >> sh;
  uint64_t rem = mid & (((uint64_t)1 << sh) - 1);
  uint64_t half = (uint64_t)1 << (sh - 1);
  if (rem > half || (rem == half && (low > 0 || (q & 1)))) ++q;
  return (uint32_t)q;
}

int DxfNum(double v, char* out) {
  double a = std::fabs(v);
  if (!(a < 9007199254740992.0)) {  // 2^53, infinities and NaN
    int n = snprintf(out, DXF_NUMLEN, "%.8f", v);
    if (n < 0) n = 0;
    if (n >= DXF_NUMLEN) n = DXF_NUMLEN - 1;
    return Trim(out, n);
  }
  uint64_t ip = (uint64_t)a;
  uint32_t fp = Frac8(a - (double)ip);
  if (fp >= kTen8) {
    ++ip;
    fp -= kTen8;
  }
  char tmp[24];
  int k = 0;
  do {
    tmp[k++] = (char)('0' + ip % 10);
    ip /= 10;
  } while (ip);
  int n = 0;
  if (std::signbit(v)) out[n++] = '-';
  while (k) out[n++] = tmp[--k];
  out[n++] = '.';
  for (int i = 7; i >= 0; --i) {
    out[n + i] = (char)('0' + fp % 10);
    fp /= 10;
  }
  n += 8;
  return Trim(out, n);
}
