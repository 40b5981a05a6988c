#include "cnvreal8.h"

#include <cmath>
#include <cstdint>

double GdsReal8Read(const unsigned char b[8]) {
  uint64_t mant = 0;
  int zero = 1;
  for (int i = 0; i < 8; ++i)
    if (b[i]) zero = 0;
  if (zero) return 0.0;
  for (int i = 1; i < 8; ++i) mant = (mant << 8) | b[i];
  int exp = (b[0] & 0x7F) - 64;
  if (exp < -30) exp = -30;
  if (exp > 30) exp = 30;
  // mantissa x 2^-56 x 16^exp, with one rounding only (ldexp is exact).
  double v = std::ldexp((double)mant, 4 * exp - 56);
  return (b[0] & 0x80) ? -v : v;
}
