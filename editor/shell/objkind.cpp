#include "objkind.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "host.h"

int ObjKindSet(char* name, size_t size, int (*cellFind)(const char*), int* cell) {
  if (!name || size < 2) return OBJ_BOX;
  for (char* p = name; *p; ++p) *p = (char)toupper((unsigned char)*p);
  *cell = 0;
  if (strcmp(name, "B") == 0) return OBJ_BOX;
  if (strcmp(name, "P") == 0) return OBJ_PATH;
  int n = name[0] && cellFind ? cellFind(name) : 0;
  if (n > 0) {
    *cell = n;
    return OBJ_CELL;
  }
  HostWarning("No Object ... Using BOX");
  snprintf(name, size, "B");
  return OBJ_BOX;
}
