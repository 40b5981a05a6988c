#include "swap.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "celltable.h"
#include "host.h"
#include "satutil.h"
#include "store.h"

namespace {

int SwapPathIn(char* out, size_t size, const char* folder) {
  int n = snprintf(out, size, "%sSwap.bpv", folder);
  return n >= 0 && static_cast<size_t>(n) < size;
}

// Where the last write put the file.
int SwapPath(char* out, size_t size) {
  return SwapPathIn(out, size, Store.swapSpare ? Store.spareFolder : Store.tempFolder);
}

// Makes the folders of a path ending in a separator, outermost first; one
// that can't be made shows when the file is opened.
void FoldersMake(const char* folder) {
  char part[sizeof Store.spareFolder];
  size_t n = strlen(folder);
  if (n >= sizeof part) return;
  for (size_t i = 1; i < n; ++i) {
    if ((folder[i] != '/' && folder[i] != '\\') || folder[i - 1] == ':') continue;
    memcpy(part, folder, i);
    part[i] = '\0';
    SatMkdir(part);
  }
}

struct Out {
  FILE* f;
  int failed;
  size_t used;
  unsigned char buf[1 << 16];
};

void PutRecord(Out* o, const int32_t* fields, int n) {
  if (o->used + 4 * BOX_FIELDS > sizeof o->buf) {
    if (fwrite(o->buf, 1, o->used, o->f) != o->used) o->failed = 1;
    o->used = 0;
  }
  for (int i = 0; i < n; ++i) {
    uint32_t v = fields ? static_cast<uint32_t>(fields[i]) : 0;
    unsigned char* p = o->buf + o->used;
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
    o->used += 4;
  }
}

// Reads one record of n fields; 1 read, 0 at the end of the file.
int GetRecord(FILE* f, int32_t* fields, int n) {
  unsigned char b[4 * BOX_FIELDS];
  size_t bytes = static_cast<size_t>(n) * 4;
  if (fread(b, 1, bytes, f) != bytes) return 0;
  for (int i = 0; i < n; ++i) {
    const unsigned char* p = b + 4 * i;
    fields[i] = static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
  }
  return 1;
}

// Reads one run into the store; 1 when it ended with its end record.
int ReadRun(FILE* f, int fields, int32_t limit, int32_t* (*rec)(int32_t), int32_t* count) {
  int32_t r[BOX_FIELDS];
  *count = 0;
  for (;;) {
    if (!GetRecord(f, r, fields)) return 0;
    if (r[0] == 0) return 1;
    // A full run must still be followed by its end record.
    if (*count >= limit) return 0;
    int32_t* dst = rec(*count + 1);
    if (!dst) return 0;
    memcpy(dst, r, sizeof(int32_t) * static_cast<size_t>(fields));
    ++*count;
  }
}

}  // namespace

namespace {

int SwapWriteIn(const char* folder) {
  char path[300];
  if (!SwapPathIn(path, sizeof path, folder)) return 1;
  static Out o;
  o.f = fopen(path, "wb");
  if (!o.f) return 1;
  o.failed = 0;
  o.used = 0;
  int code = 0;
  for (int32_t i = 1; i <= Store.boxCount && !code; ++i) {
    const int32_t* r = StoreBoxRec(i);
    // A zero first word would end the run when read back and lose the rest.
    if (!r || r[0] == 0) code = 2;
    else PutRecord(&o, r, BOX_FIELDS);
  }
  if (!code) PutRecord(&o, nullptr, BOX_FIELDS);
  for (int32_t i = 1; i <= Store.pathCount && !code; ++i) {
    const int32_t* r = StorePathRec(i);
    // A zero first word would end the run when read back and lose the rest.
    if (!r || r[0] == 0) code = 3;
    else PutRecord(&o, r, PATH_FIELDS);
  }
  if (!code) PutRecord(&o, nullptr, PATH_FIELDS);
  for (int32_t i = 1; i <= Store.vertexCount && !code; ++i) {
    const int32_t* r = StoreVertexRec(i);
    // A zero first word would end the run when read back and lose the rest.
    if (!r || r[0] == 0) code = 4;
    else PutRecord(&o, r, VERTEX_FIELDS);
  }
  if (!code) PutRecord(&o, nullptr, VERTEX_FIELDS);
  if (o.used && fwrite(o.buf, 1, o.used, o.f) != o.used) o.failed = 1;
  if (ferror(o.f)) o.failed = 1;
  if (fclose(o.f) != 0) o.failed = 1;
  o.f = nullptr;
  if (!code && o.failed) code = 5;
  // A file cut short by a full disk is no use to anyone.
  if (code == 5) remove(path);
  return code;
}

}  // namespace

int SwapWrite() {
  int code = SwapWriteIn(Store.tempFolder);
  Store.swapSpare = 0;
  // A folder that can't take the file (a read-only drawing, a full disk)
  // must not cost the display its hierarchy: the spare folder takes it.
  if ((code == 1 || code == 5) && Store.spareFolder[0] && strcmp(Store.spareFolder, Store.tempFolder) != 0) {
    FoldersMake(Store.spareFolder);
    code = SwapWriteIn(Store.spareFolder);
    Store.swapSpare = code == 0;
  }
  return code;
}

void SwapSpareDelete() {
  char path[300];
  if (Store.spareFolder[0] && SwapPathIn(path, sizeof path, Store.spareFolder)) remove(path);
  Store.swapSpare = 0;
}

int SwapRead() {
  Store.boxCount = Store.pathCount = Store.vertexCount = 0;
  char path[300];
  if (!SwapPath(path, sizeof path)) return 1;
  FILE* f = fopen(path, "rb");
  if (!f) return 1;
  StoreFreeObjs();
  Store.failed = 0;
  int whole = ReadRun(f, BOX_FIELDS, BOX_LIMIT, StoreBoxRec, &Store.boxCount) &&
              ReadRun(f, PATH_FIELDS, PATH_LIMIT, StorePathRec, &Store.pathCount) &&
              ReadRun(f, VERTEX_FIELDS, VERTEX_LIMIT, StoreVertexRec, &Store.vertexCount);
  int bad = ferror(f) != 0;
  fclose(f);
  return (whole && !bad && !Store.failed) ? 0 : 1;
}

void SwapOut() {
  if (Store.currentCell < 1 || Store.currentCell > CELL_MAX || Store.heldCell != Store.currentCell) return;
  if (SwapWrite() != 0) {
    HostError("Swap File Failed to Write ... Try an Undo to Recover Previous Objects");
    return;
  }
  Store.swapCell = Store.currentCell;
}

void SwapIn() {
  if (Store.currentCell < 1 || Store.currentCell > CELL_MAX || Store.heldCell == Store.currentCell ||
      Store.swapCell != Store.currentCell)
    return;
  if (SwapRead() != 0) {
    HostError("Swap File Failed to Read ... Try an Undo to Recover Previous Objects");
    return;
  }
  Store.heldCell = Store.currentCell;
}
