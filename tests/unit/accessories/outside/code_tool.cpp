// The coder and the font builder from the command line, for the checks
// against outside tools: questions are answered Yes, messages go to stderr.
//   code_tool b64enc|uuenc INPUT OUTFOLDER
//   code_tool b64dec INPUT OUTFILE
//   code_tool uudec INPUT OUTFOLDER
//   code_tool sum|textsum INPUT          prints "crc length"
//   code_tool tff FONT CHARFILE CHAR
//   code_tool strokes FONT CHAR          the editor's strokes of a glyph, one line each
#include <cstdio>
#include <cstring>

#include "font.h"
#include "host.h"
#include "mainsetup.h"
#include "quilcode.h"
#include "tffbuild.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  HostConsoleSet(stderr, HOST_IDYES);
  const char* act = argv[1];
  CodeState code;
  if (!strcmp(act, "sum") || !strcmp(act, "textsum")) {
    if (!CodeCheckSum(&code, argv[2], act[0] == 't')) return 1;
    printf("%lu %llu\n", (unsigned long)code.sum.crc, (unsigned long long)code.sum.length);
    return 0;
  }
  if (!strcmp(act, "strokes")) {
    MainSetupReset();
    MainSetup.winemods = 1;
    snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", argv[2]);
    if (argc < 4 || TffRead() != 1) return 1;
    const uint8_t* slot = TffSlot((unsigned char)argv[3][0]);
    int pos = 0, start, count;
    while (TffStrokeNext(slot, &pos, &start, &count)) {
      for (int k = 0; k < count; ++k) printf("%s%d,%d", k ? " " : "", slot[start + k] >> 4, slot[start + k] & 15);
      printf("\n");
    }
    return 0;
  }
  if (argc < 4) return 2;
  if (!strcmp(act, "tff")) {
    if (argc < 5) return 2;
    TffState tff;
    TffReset(&tff);
    return TffBuildOnce(&tff, argv[2], argv[3], (unsigned char)argv[4][0], 1) ? 0 : 1;
  }
  int r = 0;
  if (!strcmp(act, "b64enc")) r = CodeB64Encode(&code, argv[2], argv[3]);
  else if (!strcmp(act, "uuenc")) r = CodeUuEncode(&code, argv[2], argv[3]);
  else if (!strcmp(act, "b64dec")) r = CodeB64Decode(&code, argv[2], argv[3]);
  else if (!strcmp(act, "uudec")) r = CodeUuDecode(&code, argv[2], argv[3]);
  else return 2;
  if (!r) return 1;
  printf("%lu %llu\n", (unsigned long)code.sum.crc, (unsigned long long)code.sum.length);
  return 0;
}
