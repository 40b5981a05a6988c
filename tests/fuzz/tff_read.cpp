// Any bytes as a font file: reading takes whole files only, and walking the
// glyphs never leaves a glyph's slot whatever its bytes hold.
#include "font.h"
#include "fuzz_folder.h"
#include "mainsetup.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// In the scratch folder, which is current while an input runs.
const char* ScratchPath() { return "fuzz.tff"; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { return FuzzFolderInitialize(argc, argv); }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzFolderScope scratch;
  FILE* f = fopen(ScratchPath(), "wb");
  if (!f) abort();
  if (size) fwrite(data, 1, size, f);
  fclose(f);
  MainSetupReset();
  MainSetup.winemods = 1;  // no messages
  snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", ScratchPath());
  int whole = TffRead();
  if (whole != (size >= TFF_SIZE ? 1 : 0)) abort();
  if (!whole && memcmp(Font.table, TffBuiltinFont(), TFF_SIZE) != 0) abort();

  // Walk the bytes as glyphs even when the file was short: each slot is
  // copied to a heap block of exactly one slot so a stray read is caught.
  for (size_t off = 0; off < size && off < TFF_SIZE; off += TFF_SLOT) {
    uint8_t* slot = static_cast<uint8_t*>(malloc(TFF_SLOT));
    memset(slot, 0x11, TFF_SLOT);
    memcpy(slot, data + off, size - off < TFF_SLOT ? size - off : TFF_SLOT);
    int pos = 0, start, count, strokes = 0;
    while (TffStrokeNext(slot, &pos, &start, &count)) {
      if (start < 0 || count < 1 || start + count > TFF_SLOT) abort();
      if (++strokes > TFF_SLOT) abort();
    }
    TffGlyphMaxX(slot);
    free(slot);
  }
  for (int code = 32; code < 128; ++code) TffGlyphMaxX(TffSlot(code));
  return 0;
}
