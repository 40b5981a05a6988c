// Any bytes as a character drawing: the slot built from it never runs past
// its 128 bytes, always ends in the end mark, holds only grid points, and a
// refused drawing leaves the font file as it was.
#include "fuzz_folder.h"
#include "host.h"
#include "tffbuild.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  FILE* f = fopen("CHAR.TLC", "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  static uint8_t before[TFF_SIZE];
  memset(before, 0x12, sizeof before);  // not a real font: every slot is seen changing
  f = fopen("f.tff", "wb");
  if (!f) abort();
  fwrite(before, 1, sizeof before, f);
  fclose(f);
  HostSet(nullptr);

  TffState st;
  TffReset(&st);
  int assigned = TffBuildOnce(&st, "f.tff", "CHAR.TLC", 'Q', 1);
  uint8_t after[TFF_SIZE];
  f = fopen("f.tff", "rb");
  if (!f) abort();
  if (fread(after, 1, sizeof after, f) != sizeof after) abort();
  fclose(f);
  const uint8_t* slot = after + ('Q' - 32) * TFF_SLOT;
  for (int ch = 32; ch < 128; ++ch)
    if (ch != 'Q' && memcmp(after + (ch - 32) * TFF_SLOT, before + (ch - 32) * TFF_SLOT, TFF_SLOT) != 0) abort();
  if (!assigned) {
    if (memcmp(slot, before + ('Q' - 32) * TFF_SLOT, TFF_SLOT) != 0) abort();
    return 0;
  }
  if (slot[TFF_SLOT - 1] != TFF_END || slot[TFF_SLOT - 2] != TFF_END) abort();
  // Walked as the editor walks it, the strokes hold the placed vertices.
  int pos = 0, start, count, vertices = 0;
  while (TffStrokeNext(slot, &pos, &start, &count)) vertices += count;
  if (vertices > TFF_VERTEX_ROOM) abort();
  if (st.refused) abort();
  return 0;
}
