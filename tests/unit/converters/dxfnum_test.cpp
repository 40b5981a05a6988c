#include "dxfnum.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

// What the writer must produce: the C library's "%.8f", trimmed.
std::string Reference(double v) {
  char buf[DXF_NUMLEN + 8];
  int n = snprintf(buf, sizeof buf, "%.8f", v);
  while (n >= 2 && buf[n - 1] == '0' && buf[n - 2] != '.') --n;
  return std::string(buf, (size_t)n);
}

std::string Ours(double v) {
  char buf[DXF_NUMLEN];
  int n = DxfNum(v, buf);
  EXPECT_EQ((size_t)n, strlen(buf));
  return buf;
}

TEST(DxfNum, TrimsToOneDigitAfterThePoint) {
  struct Case {
    double v;
    const char* text;
  } cases[] = {
      {12.5, "12.5"}, {12, "12.0"}, {0.25, "0.25"}, {0, "0.0"}, {-0.0, "-0.0"}, {-1, "-1.0"},
      {0.01, "0.01"}, {0.02, "0.02"}, {270, "270.0"}, {-2.5, "-2.5"}, {1e-9, "0.0"}, {-1e-9, "-0.0"},
      {123456.789, "123456.789"}, {0.000000005, "0.00000001"},
  };
  for (const Case& c : cases) EXPECT_EQ(Ours(c.v), c.text) << c.v;
}

// Values whose eighth decimal is decided by the exact binary value: ties
// (odd multiples of 2^-9 go to even), the neighbours of each half, carries
// into the integer part, and the far ends where the library takes over.
TEST(DxfNum, RoundingEdgesMatchTheLibrary) {
  std::vector<double> vals;
  for (int k = 1; k < 2048; k += 2) vals.push_back(k / 512.0 + (k % 5));  // exact ties
  for (int k = 0; k < 4000; ++k) {
    double half = (2 * k + 1) * 0.5e-8 + k;
    vals.push_back(half);
    vals.push_back(std::nextafter(half, 0));
    vals.push_back(std::nextafter(half, 1e300));
  }
  for (double base : {0.0, 1.0, 99.0, 4294967295.0, 9007199254740990.0}) {
    vals.push_back(base + 0.999999995);
    vals.push_back(std::nextafter(base + 0.999999995, 0));
    vals.push_back(base + 0.99999999);
  }
  const double big[] = {9007199254740992.0, 9007199254740991.0, 1e20, -1e300,
                        std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                        std::numeric_limits<double>::min(), std::nextafter(9007199254740992.0, 0)};
  for (double v : big) vals.push_back(v);
  for (double v : vals) {
    EXPECT_EQ(Ours(v), Reference(v)) << v;
    EXPECT_EQ(Ours(-v), Reference(-v)) << -v;
  }
  EXPECT_EQ(Ours(std::numeric_limits<double>::infinity()), Reference(std::numeric_limits<double>::infinity()));
  EXPECT_EQ(Ours(std::nan("")), Reference(std::nan("")));
}

TEST(DxfNum, RandomValuesMatchTheLibrary) {
  std::mt19937_64 rng(20261211);
  std::uniform_int_distribution<int32_t> coord(INT32_MIN, INT32_MAX);
  const double scales[] = {1, 3, 7, 10, 100, 1000, 1024, 3.3, 0.001};
  int bad = 0;
  for (int i = 0; i < 100000 && bad < 10; ++i) {
    double v = coord(rng) / scales[i % 9];
    if (Ours(v) != Reference(v)) {
      ++bad;
      ADD_FAILURE() << v;
    }
    uint64_t bits = rng();
    double r;
    memcpy(&r, &bits, sizeof r);
    if (Ours(r) != Reference(r)) {
      ++bad;
      ADD_FAILURE() << r;
    }
  }
}

}  // namespace
