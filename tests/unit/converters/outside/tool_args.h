// What the converters' command-line tools share: the key=value arguments
// that set the engine's settings as the settings file would.
#ifndef QUIL_TESTS_CONVERTERS_OUTSIDE_TOOL_ARGS_H
#define QUIL_TESTS_CONVERTERS_OUTSIDE_TOOL_ARGS_H

#include <cstdio>
#include <cstring>

#include "host.h"

namespace tool {

// "key=value" whose key is keys[k] (each with its "="): the value into
// values[k] (count entries of valueSize bytes). 1 when one matched.
inline int KeyTake(const char* arg, const char* const* keys, int count, char* values, int valueSize) {
  const char* eq = strchr(arg, '=');
  if (!eq) return 0;
  size_t klen = (size_t)(eq - arg + 1);
  int taken = 0;
  for (int k = 0; k < count; ++k)
    if (strlen(keys[k]) == klen && strncmp(arg, keys[k], klen) == 0) {
      snprintf(values + (size_t)k * (size_t)valueSize, (size_t)valueSize, "%s", eq + 1);
      taken = 1;
    }
  return taken;
}

// "<stem><n>=value" with 0 <= n < count: the value into values[n] (entries
// of valueSize bytes). 1 when it was one.
inline int SlotTake(const char* arg, const char* stem, int count, char* values, int valueSize) {
  const char* eq = strchr(arg, '=');
  size_t n = strlen(stem);
  int slot = -1;
  if (!eq || strncmp(arg, stem, n) != 0 || sscanf(arg + n, "%d=", &slot) != 1 || slot < 0 || slot >= count) return 0;
  snprintf(values + (size_t)slot * (size_t)valueSize, (size_t)valueSize, "%s", eq + 1);
  return 1;
}

}  // namespace tool

#endif
