#include "objkind.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host.h"
#include "host_record.h"

namespace {

int FindInv(const char* name) { return strcmp(name, "INV") == 0 ? 7 : 0; }

TEST(ObjKind, BoxPathCellOrWarning) {
  struct Case {
    const char* in;
    int kind, cell;
    const char* name;
    int warned;
  } cases[] = {
      {"b", OBJ_BOX, 0, "B", 0},
      {"P", OBJ_PATH, 0, "P", 0},
      {"inv", OBJ_CELL, 7, "INV", 0},
      {"nand", OBJ_BOX, 0, "B", 1},
      {"", OBJ_BOX, 0, "B", 1},
  };
  for (const Case& c : cases) {
    HostRecord& rec = HostRecordInstall();
    char name[32];
    snprintf(name, sizeof name, "%s", c.in);
    int cell = -1;
    EXPECT_EQ(ObjKindSet(name, sizeof name, FindInv, &cell), c.kind) << c.in;
    EXPECT_EQ(cell, c.cell) << c.in;
    EXPECT_STREQ(name, c.name);
    ASSERT_EQ((int)rec.messages.size(), c.warned) << c.in;
    if (c.warned) {
      EXPECT_EQ(rec.messages[0].text, "No Object ... Using BOX");
      EXPECT_EQ(rec.messages[0].captionKind, HOST_CAP_WARNING);
    }
    HostRecordRemove();
  }
}

}  // namespace
