// QuilCode's engine: the check sum of a file (the POSIX cksum CRC, in binary
// mode or in text mode with its blank folding), the UU and Base64 encoders
// and decoders, and the setup they run from. Platform-free; the program
// (win/quilcode7.cpp) shows its dialogs around it.
#ifndef QUIL_ACCESSORIES_QUILCODE_H
#define QUIL_ACCESSORIES_QUILCODE_H

#include <cstddef>
#include <cstdint>

enum {
  CODE_PATHLEN = 256,     // input and output as set up: 255 characters
  CODE_SHOW_LINES = 16,   // lines of the Show Code display
  CODE_SHOW_WIDTH = 80,
};

enum CodeAction { CODE_ENCODE = 1, CODE_DECODE = 2, CODE_CRC = 3 };

// What a run did, as CodeRun returns it.
enum CodeResult {
  CODE_FAILED = 0,
  CODE_SUMMED = 1,
  CODE_UU_ENCODED = 2,
  CODE_UU_DECODED = 3,
  CODE_B64_ENCODED = 4,
  CODE_B64_DECODED = 5,
};

// The running check sum. Text mode folds every run of bytes up to the
// blank (line ends, tabs, blanks) into one blank, and the text counts as
// beginning and ending with one.
struct CodeCrc {
  uint32_t reg;
  uint64_t length;   // bytes fed (in text mode those of the folded text)
  // Bytes 0-8, 11 and 14-31, and bytes 0x80-0xFF, seen; in binary mode
  // counted up to the block that holds the first of either.
  uint64_t controls;
  uint64_t highs;
  int text;
  int blank;         // text mode: the last byte fed was the folding blank
};

void CodeCrcStart(CodeCrc* c, int text);
void CodeCrcFeed(CodeCrc* c, const unsigned char* data, size_t n);
// The check sum: the length fed in, complemented.
uint32_t CodeCrcEnd(CodeCrc* c);
// The counts alone, for a file only looked at.
void CodeCountFeed(CodeCrc* c, const unsigned char* data, size_t n);

struct CodeSum {
  uint32_t crc;
  uint64_t length;
  uint64_t controls, highs;
  int warned;
};

// The Show Code lines handed to the program's display: count lines.
typedef void (*CodeShowFn)(const char lines[][CODE_SHOW_WIDTH + 1], int count);

struct CodeState {
  char input[CODE_PATHLEN];
  char output[CODE_PATHLEN];
  int action = CODE_ENCODE;
  int base64 = 0;     // else UU
  int textMode = 1;   // the CRC action's mode, else binary
  int showCode = 0;
  int setupDone = 0;
  CodeSum sum{};
  // Name and extension of the file last summed, for the result text.
  char sumName[CODE_PATHLEN];
  char sumExt[CODE_PATHLEN];
  char lines[CODE_SHOW_LINES][CODE_SHOW_WIDTH + 1];
  int lineCount = 0;
  CodeShowFn show = nullptr;               // the DISPLAY lines, when open
  void (*title)(const char* text) = nullptr;  // the DISPLAY caption, when open

  CodeState() {
    input[0] = output[0] = sumName[0] = sumExt[0] = 0;
    for (auto& l : lines) l[0] = 0;
  }
};

// The state as a fresh program starts with it. The program owns its one
// CodeState; every run below works on the one it is handed.
void CodeReset(CodeState* st);

// The chosen action on the setup; its CodeResult.
int CodeRun(CodeState* st);
int CodeCheckSum(CodeState* st, const char* path, int textMode);
int CodeUuEncode(CodeState* st, const char* input, const char* outFolder);
int CodeUuDecode(CodeState* st, const char* input, const char* outFolder);
int CodeB64Encode(CodeState* st, const char* input, const char* outFolder);
int CodeB64Decode(CodeState* st, const char* input, const char* outFile);

// The message Go shows after a run.
void CodeResultText(const CodeState* st, int result, char* text, size_t size);
// Caption of the progress display during a run.
const char* CodeRunTitle(int action, int base64);

// One line for the Show Code display (null: none); every 16 lines, and with
// flush, the lines kept are shown and the Esc poll runs.
void CodeStatusLine(CodeState* st, const char* text, int flush);

// The setup dialog's output as it follows the input: the input's drive and
// folder, and for a Base64 decode its name with ".xxx" as well.
void CodeOutputDerive(const char* input, int action, int base64, char* out, size_t size);
// "Output File" or "Output Path" as the output field's label.
const char* CodeOutputLabel(int action, int base64);

// The UU "begin" line's name as the file it makes in the output folder:
// 1 and the name (its last path part) when it is a plain file name, else 0.
int CodeUuNameSafe(const char* word, char* out, size_t size);

// Quilcode.usf: the main window rectangle lft=, top=, rgt=, bot=, kept in
// the program's settings slots 0..3. Read: 1 when the file is missing.
// Write: 1 when it can't be written.
int CodeUsfRead();
int CodeUsfWrite();

#endif
