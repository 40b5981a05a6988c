// The kind of object that Add makes, from the setup's objname= text.
#ifndef QUIL_EDITOR_SHELL_OBJKIND_H
#define QUIL_EDITOR_SHELL_OBJKIND_H

#include <cstddef>

enum { OBJ_BOX = 1, OBJ_PATH = 2, OBJ_CELL = 3 };

// Upper-cases name in place and gives its kind: "B" box, "P" path, the name
// of a cell of the drawing (cellFind gives its number, 0 when none) an
// instance of that cell (*cell set). Anything else warns "No Object ...
// Using BOX" and turns the name into "B".
int ObjKindSet(char* name, size_t size, int (*cellFind)(const char*), int* cell);

#endif
