#include "quilcode.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "../converters/convtest.h"
#include "host.h"
#include "host_record.h"
#include "satlib.h"

namespace {

// The check sum the slow way, one bit at a time, as POSIX describes it.
uint32_t RefCksum(const std::string& data) {
  uint32_t reg = 0;
  auto feed = [&reg](unsigned char b) {
    reg ^= (uint32_t)b << 24;
    for (int k = 0; k < 8; ++k) reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
  };
  for (unsigned char b : data) feed(b);
  for (uint64_t n = data.size(); n; n >>= 8) feed((unsigned char)(n & 0xFF));
  return ~reg;
}

uint32_t Sum(const std::string& data, int text, uint64_t* length = nullptr) {
  CodeCrc c;
  CodeCrcStart(&c, text);
  CodeCrcFeed(&c, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  uint32_t crc = CodeCrcEnd(&c);
  if (length) *length = c.length;
  return crc;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& ch : s) ch = (char)(gen() & 0xFF);
  return s;
}

struct CodeFixture : ::testing::Test {
  WorkDir dir;
  OwnState<CodeState, CodeReset> state;
  CodeState* st = state.st;
  HostRecord* rec = nullptr;
  void SetUp() override {
    SatFrame = SatFrameState();
    rec = &HostRecordInstall();
  }
  void TearDown() override { HostRecordRemove(); }
  std::string Folder() const { return dir.path + "/"; }
  std::vector<std::string> Errors() const {
    std::vector<std::string> out;
    for (const HostMessage& m : rec->messages)
      if (m.captionKind == HOST_CAP_ERROR) out.push_back(m.text);
    return out;
  }
  // Runs an action on the setup and gives its result.
  int Run(int action, int base64, const std::string& input, const std::string& output) {
    st->action = action;
    st->base64 = base64;
    snprintf(st->input, sizeof st->input, "%s", input.c_str());
    snprintf(st->output, sizeof st->output, "%s", output.c_str());
    return CodeRun(st);
  }
};

// ---- check sum ----------------------------------------------------------------

TEST(CodeCrc, KnownSumsAndFoldedText) {
  struct Case {
    const char* what;
    std::string data;
    int text;
    std::string sameAsBinary;  // the text sum equals the binary sum of this
  } cases[] = {
      {"abc binary", "abc", 0, "abc"},
      {"abc and a newline", "abc\n", 1, " abc "},
      {"empty text", "", 1, " "},
      {"only white space", " \t\r\n ", 1, " "},
      {"CR LF lines", "a b\r\nc\r\n", 1, " a b c "},
      {"runs and tabs", "  a\t\t b \n\n c  ", 1, " a b c "},
      {"control bytes fold too", "a\x01\x02z", 1, " a z "},
      {"high bytes are fed", "\xC3\xA9t\xC3\xA9", 1, " \xC3\xA9t\xC3\xA9 "},
  };
  for (const Case& c : cases) {
    uint64_t len = 0;
    EXPECT_EQ(Sum(c.data, c.text, &len), RefCksum(c.sameAsBinary)) << c.what;
    EXPECT_EQ(len, c.sameAsBinary.size()) << c.what;
  }
  EXPECT_EQ(Sum("abc", 0), 1219131554u);
  EXPECT_EQ(Sum("", 0), 4294967295u);
}

TEST(CodeCrc, TextSumsIgnoreLineEndsAndWhiteSpace) {
  const std::string variants[] = {
      "L 1;\nB 10 20 5 5;\nE\n",
      "L 1;\r\nB 10 20 5 5;\r\nE\r\n",
      "  L 1;\n\tB  10 20\t5 5;   \n\nE",
      "L\t1;\nB 10    20 5 5;\nE\n\n\n",
  };
  uint32_t first = Sum(variants[0], 1);
  for (const std::string& v : variants) EXPECT_EQ(Sum(v, 1), first) << v;
  EXPECT_NE(Sum("L 1;B 10 20 5 5;E", 1), first);  // a blank removed is a change
}

TEST(CodeCrc, LongTextFoldsLikeItsReference) {
  // Words of 1 to 300 printing bytes between runs of white space and
  // control bytes: the text sum is the binary sum of the words joined by
  // single blanks, with one blank before and after.
  std::mt19937 gen(21);
  std::string text = "\r\n\t", folded = " ";
  for (int w = 0; w < 60; ++w) {
    size_t len = 1 + gen() % 300;
    for (size_t k = 0; k < len; ++k) {
      char ch = (char)(33 + gen() % 94);
      if (gen() % 50 == 0) ch = (char)(0x80 + gen() % 128);  // high bytes print too
      text += ch;
      folded += ch;
    }
    size_t gap = 1 + gen() % 4;
    for (size_t k = 0; k < gap; ++k) text += " \t\r\n\x01\x1F"[gen() % 6];
    folded += ' ';
  }
  for (size_t piece : {1u, 13u, 77u, 100000u}) {
    CodeCrc c;
    CodeCrcStart(&c, 1);
    for (size_t k = 0; k < text.size(); k += piece)
      CodeCrcFeed(&c, reinterpret_cast<const unsigned char*>(text.data()) + k,
                  text.size() - k < piece ? text.size() - k : piece);
    EXPECT_EQ(CodeCrcEnd(&c), RefCksum(folded)) << piece;
    EXPECT_EQ(c.length, folded.size()) << piece;
  }
}

TEST(CodeCrc, BlocksOfAnySizeGiveTheSameSumAsTheReference) {
  std::string data = RandomBytes(4099, 7);
  for (size_t n : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 63u, 64u, 65u, 79u, 80u, 127u, 128u, 129u, 191u, 192u,
                   255u, 256u, 257u, 1000u, 4099u}) {
    std::string part = data.substr(0, n);
    EXPECT_EQ(Sum(part, 0), RefCksum(part)) << n;
    // Fed in uneven pieces, short and long, the register carries over.
    for (size_t piece : {13u, 77u}) {
      CodeCrc c;
      CodeCrcStart(&c, 0);
      for (size_t k = 0; k < n; k += piece)
        CodeCrcFeed(&c, reinterpret_cast<const unsigned char*>(part.data()) + k, n - k < piece ? n - k : piece);
      EXPECT_EQ(CodeCrcEnd(&c), RefCksum(part)) << n << " in pieces of " << piece;
    }
  }
}

TEST(CodeCrc, LengthBeyondFourGibibytesIsFedWhole) {
  // 2^32 + 3 bytes: the length's fifth byte must reach the register.
  CodeCrc c;
  CodeCrcStart(&c, 0);
  c.length = (1ull << 32) + 3;
  uint32_t reg = 0;
  auto feed = [&reg](unsigned char b) {
    reg ^= (uint32_t)b << 24;
    for (int k = 0; k < 8; ++k) reg = (reg & 0x80000000u) ? (reg << 1) ^ 0x04C11DB7u : reg << 1;
  };
  for (unsigned char b : {3, 0, 0, 0, 1}) feed((unsigned char)b);
  EXPECT_EQ(CodeCrcEnd(&c), ~reg);
}

TEST(CodeCrc, CountsControlAndHighBitBytesAtAnyOffset) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back((char)b);
  all += RandomBytes(333, 3);
  for (size_t start = 0; start < 9; ++start) {
    std::string part = all.substr(start);
    uint64_t ctrl = 0, high = 0;
    for (unsigned char b : part) {
      if (b < 32 && b != 9 && b != 10 && b != 12 && b != 13) ++ctrl;
      if (b & 0x80) ++high;
    }
    CodeCrc c;
    CodeCrcStart(&c, 0);
    CodeCountFeed(&c, reinterpret_cast<const unsigned char*>(part.data()), part.size());
    EXPECT_EQ(c.controls, ctrl) << start;
    EXPECT_EQ(c.highs, high) << start;
  }
  // Long runs: the lanes are summed before they can overflow.
  std::string zeros(100000, '\0');
  CodeCrc c;
  CodeCrcStart(&c, 0);
  CodeCrcFeed(&c, reinterpret_cast<const unsigned char*>(zeros.data()), zeros.size());
  EXPECT_EQ(c.controls, 100000u);
}

TEST_F(CodeFixture, CheckSumActionAndItsWarnings) {
  struct Case {
    const char* what;
    std::string data;
    int text;
    const char* warning;  // null: none
  } cases[] = {
      {"text file", "abc\n", 1, nullptr},
      {"binary in text mode", "a\x01\x02\x80z\n", 1,
       "File sum.dat has 2 control characters\nand 1 high bit characters and may not be a TEXT file"},
      {"binary file", std::string("\x00\x01\xFF", 3), 0, nullptr},
      {"text in binary mode", "abc\r\n\t\f", 0,
       "File sum.dat has no control characters nor\nhigh bit characters and may not be a BINARY file"},
  };
  for (const Case& c : cases) {
    rec->messages.clear();
    WriteText("sum.dat", c.data);
    st->textMode = c.text;
    EXPECT_EQ(Run(CODE_CRC, 0, Folder() + "sum.dat", ""), CODE_SUMMED) << c.what;
    EXPECT_EQ(st->sum.crc, Sum(c.data, c.text)) << c.what;
    EXPECT_EQ(st->sum.warned, c.warning ? 1 : 0) << c.what;
    if (c.warning) {
      ASSERT_EQ(rec->messages.size(), 1u) << c.what;
      EXPECT_EQ(rec->messages[0].text, c.warning);
      EXPECT_EQ(rec->messages[0].captionKind, HOST_CAP_WARNING);
    } else {
      EXPECT_TRUE(rec->messages.empty()) << c.what;
    }
  }
  char text[256];
  WriteText("abc.txt", "abc");
  st->textMode = 0;
  ASSERT_EQ(Run(CODE_CRC, 0, Folder() + "abc.txt", ""), CODE_SUMMED);
  CodeResultText(st, CODE_SUMMED, text, sizeof text);
  EXPECT_STREQ(text, "abc.txt\n\nCRC CheckSum = 1219131554  FileLength= 3");

  rec->messages.clear();
  EXPECT_EQ(Run(CODE_CRC, 0, Folder() + "none.txt", ""), CODE_FAILED);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Open Input File " + Folder() + "none.txt\n"});
}

TEST_F(CodeFixture, EachStateKeepsItsOwnSetupAndResult) {
  WriteText("abc.txt", "abc");
  WriteText("b.txt", "xyz\n");
  OwnState<CodeState, CodeReset> other;
  st->textMode = 0;
  other.st->textMode = 1;
  other.st->action = CODE_CRC;
  snprintf(other.st->input, sizeof other.st->input, "%s", (Folder() + "b.txt").c_str());
  ASSERT_EQ(Run(CODE_CRC, 0, Folder() + "abc.txt", ""), CODE_SUMMED);
  ASSERT_EQ(CodeRun(other.st), CODE_SUMMED);
  char text[256];
  CodeResultText(st, CODE_SUMMED, text, sizeof text);
  EXPECT_STREQ(text, "abc.txt\n\nCRC CheckSum = 1219131554  FileLength= 3");
  EXPECT_EQ(other.st->sum.crc, Sum("xyz\n", 1));
  EXPECT_STREQ(other.st->sumName, "b");
  EXPECT_EQ(other.st->sum.warned, 0);
}

// ---- UU ---------------------------------------------------------------------------

TEST_F(CodeFixture, UuEncodesLinesOfFortyFiveAndRoundTrips) {
  struct Case {
    size_t n;
    const char* firstData;  // the first data line, null when none
    size_t dataLines;
  } cases[] = {{0, nullptr, 0}, {1, "!", 1}, {2, "\"", 1}, {3, "#", 1}, {44, "L", 1},
               {45, "M", 1},    {46, "M", 2}, {90, "M", 2}, {1000, "M", 23}};
  mkdir("out", 0777);
  for (const Case& c : cases) {
    std::string data = RandomBytes(c.n, (unsigned)c.n + 1);
    if (c.n) data[0] = '\x01';  // binary: no question
    WriteText("data.bin", data);
    remove("data.uue");
    rec->messages.clear();
    ASSERT_EQ(Run(CODE_ENCODE, 0, Folder() + "data.bin", Folder()), CODE_UU_ENCODED) << c.n;
    EXPECT_EQ(st->sum.crc, RefCksum(data)) << c.n;
    EXPECT_EQ(st->sum.length, c.n);
    std::string uue = ReadText("data.uue");
    ASSERT_EQ(uue.compare(0, 19, "begin 644 data.bin\n"), 0) << uue;
    ASSERT_GE(uue.size(), 25u);
    EXPECT_EQ(uue.substr(uue.size() - 6), "`\nend\n") << c.n;
    size_t lines = 0;
    for (char ch : uue) lines += ch == '\n';
    EXPECT_EQ(lines, c.dataLines + 3) << c.n;
    if (c.firstData) {
      EXPECT_EQ(uue[19], c.firstData[0]) << c.n;
    }
    if (c.n == 45) {
      EXPECT_EQ(uue.find('\n', 19) - 19, 61u);  // "M" and 60 characters
    }

    remove("out/data.bin");
    ASSERT_EQ(Run(CODE_DECODE, 0, Folder() + "data.uue", Folder() + "out"), CODE_UU_DECODED) << c.n;
    EXPECT_EQ(ReadText("out/data.bin"), data) << c.n;
    EXPECT_EQ(st->sum.crc, RefCksum(data));
    EXPECT_STREQ(st->sumName, "data");
  }
  char text[256];
  CodeResultText(st, CODE_UU_DECODED, text, sizeof text);
  EXPECT_EQ(std::string(text).substr(0, 30), "data.bin Decoded from UU\n\nAfte");
}

TEST_F(CodeFixture, UuDecodeRefusesDamageAndKeepsTheOldFile) {
  const std::string good = "begin 644 x.bin\n#86)C\n`\nend\n";  // "abc"
  struct Case {
    const char* what;
    std::string uue;
    const char* error;
  } cases[] = {
      {"line shorter than its count", "begin 644 x.bin\nM86)C\n`\nend\n", "UU Line 2 is Damaged"},
      {"line split", "begin 644 x.bin\n#86\n)C\n`\nend\n", "UU Line 2 is Damaged"},
      {"character outside the alphabet", "begin 644 x.bin\n#8~)C\n`\nend\n", "UU Line 2 is Damaged"},
      {"empty data line", "begin 644 x.bin\n\n#86)C\n`\nend\n", "UU Line 2 is Damaged"},
      {"ends before end", "begin 644 x.bin\n#86)C\n", "UU File Ends at Line 2 before \"end\""},
      {"text after the last line", "begin 644 x.bin\n#86)C\n`\nmore\nend\n", "UU Line 4 is Damaged"},
      {"no begin", "#86)C\n`\nend\n", "\"begin\" not Found"},
      {"Base64 is not UU", "begin-base64 644 x.bin\nYWJj\n====\n", "\"begin\" not Found"},
      {"begin without a name", "begin 644\n#86)C\n`\nend\n",
       "Output File Name \"\" of the \"begin\" Line is Refused"},
      {"device name", "begin 644 nul.txt\n#86)C\n`\nend\n",
       "Output File Name \"nul.txt\" of the \"begin\" Line is Refused"},
  };
  for (const Case& c : cases) {
    WriteText("x.bin", "old");
    WriteText("in.uue", c.uue);
    rec->messages.clear();
    EXPECT_EQ(Run(CODE_DECODE, 0, Folder() + "in.uue", Folder()), CODE_FAILED) << c.what;
    EXPECT_EQ(Errors(), std::vector<std::string>{c.error}) << c.what;
    EXPECT_EQ(ReadText("x.bin"), "old") << c.what;
    EXPECT_EQ(ReadText("x.bin.tmp"), "") << c.what;
  }
  WriteText("in.uue", good);
  rec->messages.clear();
  EXPECT_EQ(Run(CODE_DECODE, 0, Folder() + "in.uue", Folder()), CODE_UU_DECODED);
  EXPECT_EQ(ReadText("x.bin"), "abc");
  // The old file was there: asked, and a Cancel keeps it.
  ASSERT_FALSE(rec->messages.empty());
  EXPECT_EQ(rec->messages[0].text, "Output File Already Exists ... OK?");
  WriteText("x.bin", "old");
  rec->answers.push_back(HOST_IDCANCEL);
  EXPECT_EQ(Run(CODE_DECODE, 0, Folder() + "in.uue", Folder()), CODE_FAILED);
  EXPECT_EQ(ReadText("x.bin"), "old");
}

TEST(CodeUuName, KeepsThePlainLastPartOnly) {
  struct Case {
    const char* word;
    const char* safe;  // null: refused
  } cases[] = {
      {"chip.gds", "chip.gds"},     {"..\\..\\x", "x"},      {"/etc/passwd", "passwd"},
      {"a/b\\c.bin", "c.bin"},      {"My Chip.gds", "My Chip.gds"},
      {"C:\\x", "x"},               {"C:x", nullptr},        {"", nullptr},
      {".", nullptr},               {"..", nullptr},         {"dir/", nullptr},
      {"CON", nullptr},             {"con.txt", nullptr},    {"Prn", nullptr},
      {"aux.c", nullptr},           {"NUL", nullptr},        {"COM1", nullptr},
      {"lpt9.dat", nullptr},        {"COM0", "COM0"},        {"COM10", "COM10"},
      {"console", "console"},       {"a:b", nullptr},
  };
  for (const Case& c : cases) {
    char out[CODE_PATHLEN];
    EXPECT_EQ(CodeUuNameSafe(c.word, out, sizeof out), c.safe ? 1 : 0) << c.word;
    EXPECT_STREQ(out, c.safe ? c.safe : "") << c.word;
  }
}

// ---- Base64 ------------------------------------------------------------------------

TEST_F(CodeFixture, Base64EncodesAndRoundTrips) {
  struct Case {
    std::string data;
    const char* b64;  // null: only the round trip
  } cases[] = {
      {"", ""},
      {"\x01", "AQ==\n"},
      {"\x01\x02", "AQI=\n"},
      {"\x01\x02\x03", "AQID\n"},
      {std::string(48, '\x01'), nullptr},
      {std::string(49, '\x01'), nullptr},
      {RandomBytes(5000, 9), nullptr},
  };
  for (const Case& c : cases) {
    WriteText("d.bin", c.data);
    remove("d.B64");
    remove("back.bin");
    rec->messages.clear();
    rec->answers.clear();
    if (c.data.empty()) rec->answers.push_back(HOST_IDYES);  // the empty file looks like text
    ASSERT_EQ(Run(CODE_ENCODE, 1, Folder() + "d.bin", dir.path), CODE_B64_ENCODED) << c.data.size();
    std::string b64 = ReadText("d.B64");
    if (c.b64) {
      EXPECT_EQ(b64, c.b64);
    }
    if (c.data.size() >= 48) {
      EXPECT_EQ(b64.find('\n'), 64u);
    }
    EXPECT_EQ(st->sum.crc, RefCksum(c.data));

    ASSERT_EQ(Run(CODE_DECODE, 1, Folder() + "d.B64", Folder() + "back.bin"), CODE_B64_DECODED)
        << c.data.size();
    EXPECT_EQ(ReadText("back.bin"), c.data);
    EXPECT_EQ(st->sum.length, c.data.size());
  }
  // "*" takes the input's name.
  ASSERT_EQ(Run(CODE_DECODE, 1, Folder() + "d.B64", Folder() + "*.out"), CODE_B64_DECODED);
  EXPECT_EQ(ReadText("d.out").size(), 5000u);
}

TEST_F(CodeFixture, Base64DecodesOneStreamWhateverItsLines) {
  const std::string data = RandomBytes(300, 5);
  WriteText("d.bin", data);
  ASSERT_EQ(Run(CODE_ENCODE, 1, Folder() + "d.bin", dir.path), CODE_B64_ENCODED);
  std::string wrapped = ReadText("d.B64");
  std::string flat;
  for (char ch : wrapped)
    if (ch != '\n') flat += ch;
  std::string crlf, w79, w4;
  for (char ch : wrapped) crlf += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
  for (size_t k = 0; k < flat.size(); ++k) {
    w79 += flat[k];
    if (k % 79 == 78) w79 += '\n';
    w4 += flat[k];
    if (k % 5 == 4) w4 += "\r\n";
  }
  struct Case {
    const char* what;
    std::string b64;
  } cases[] = {
      {"one line, no line end", flat},
      {"one line", flat + "\n"},
      {"CR LF lines", crlf},
      {"lines of 79", w79},
      {"line ends inside groups", w4},
      {"blank lines at the end", wrapped + "\n\r\n"},
  };
  for (const Case& c : cases) {
    WriteText("in.B64", c.b64);
    remove("out.bin");
    rec->messages.clear();
    EXPECT_EQ(Run(CODE_DECODE, 1, Folder() + "in.B64", Folder() + "out.bin"), CODE_B64_DECODED) << c.what;
    EXPECT_EQ(ReadText("out.bin"), data) << c.what;
    EXPECT_TRUE(rec->messages.empty()) << c.what;
  }
}

TEST_F(CodeFixture, Base64RefusesBadInputAndWritesNothing) {
  struct Case {
    const char* what;
    std::string b64;
    const char* error;
  } cases[] = {
      {"blank", "QUJD REVG\n", "Illegal Character \" \" (32)"},
      {"lone CR", "QUJD\rREVG\n", "Illegal Character \"\r\" (13)"},
      {"CR at the end", "QUJD\r", "Illegal Character \"\r\" (13)"},
      {"other character", "QU*D\n", "Illegal Character \"*\" (42)"},
      {"padding too early", "Q===\n", "Illegal Character \"=\" (61)"},
      {"data after padding", "QQ==QUJD\n", "Illegal Character \"Q\" (81)"},
      {"letter after one pad", "QQ=D\n", "Illegal Character \"D\" (68)"},
      {"incomplete group", "QUJDRE\n", "Base64 Data Ends inside a Group of Four Characters"},
  };
  for (const Case& c : cases) {
    WriteText("in.B64", c.b64);
    WriteText("out.bin", "old");
    rec->messages.clear();
    EXPECT_EQ(Run(CODE_DECODE, 1, Folder() + "in.B64", Folder() + "out.bin"), CODE_FAILED) << c.what;
    EXPECT_EQ(Errors(), std::vector<std::string>{c.error}) << c.what;
    EXPECT_EQ(ReadText("out.bin"), "old") << c.what;
  }
  // A binary input is not decoded at all: the text warning stops it.
  WriteText("in.B64", std::string("QUJD\x01\n", 6));
  rec->messages.clear();
  EXPECT_EQ(Run(CODE_DECODE, 1, Folder() + "in.B64", Folder() + "out.bin"), CODE_FAILED);
  ASSERT_EQ(rec->messages.size(), 1u);
  EXPECT_EQ(rec->messages[0].captionKind, HOST_CAP_WARNING);
  EXPECT_EQ(ReadText("out.bin"), "old");
}

TEST_F(CodeFixture, EncoderAsksAboutTextInputAndMissingInputFails) {
  WriteText("t.txt", "plain text\n");
  rec->answers.push_back(HOST_IDNO);
  EXPECT_EQ(Run(CODE_ENCODE, 0, Folder() + "t.txt", dir.path), CODE_FAILED);
  ASSERT_EQ(rec->messages.size(), 2u);
  EXPECT_EQ(rec->messages[1].text, "OK to Continue?");
  EXPECT_EQ(ReadText("t.uue"), "");
  rec->messages.clear();
  rec->answers.push_back(HOST_IDYES);
  EXPECT_EQ(Run(CODE_ENCODE, 0, Folder() + "t.txt", dir.path), CODE_UU_ENCODED);
  EXPECT_EQ(ReadText("t.uue").substr(0, 15), "begin 644 t.txt");

  rec->messages.clear();
  EXPECT_EQ(Run(CODE_ENCODE, 1, Folder() + "gone.bin", dir.path), CODE_FAILED);
  EXPECT_EQ(Errors(), std::vector<std::string>{"Can't Open Input File " + Folder() + "gone.bin\n"});
  char text[128];
  CodeResultText(st, CODE_FAILED, text, sizeof text);
  EXPECT_STREQ(text, "Aborted ... Files may be Incomplete");
}

TEST_F(CodeFixture, AbortDuringShowCodeLeavesNoOutput) {
  std::string data = RandomBytes(45 * 40, 11);
  WriteText("a.bin", data);
  int shows = 0;
  static int* shownCount;
  shownCount = &shows;
  st->show = [](const char[][CODE_SHOW_WIDTH + 1], int) { ++*shownCount; };
  st->showCode = 1;
  rec->abortAfterPolls = 1;
  EXPECT_EQ(Run(CODE_ENCODE, 0, Folder() + "a.bin", dir.path), CODE_FAILED);
  EXPECT_EQ(shows, 2);
  EXPECT_EQ(ReadText("a.uue"), "");
  EXPECT_EQ(ReadText("a.uue.tmp"), "");
  // Without the abort every line passes the display, 16 at a time.
  rec->abortAfterPolls = -1;
  shows = 0;
  EXPECT_EQ(Run(CODE_ENCODE, 0, Folder() + "a.bin", dir.path), CODE_UU_ENCODED);
  EXPECT_EQ(shows, 3);  // 43 lines
}

TEST(CodeSetup, OutputFollowsTheInput) {
  struct Case {
    int action, base64;
    const char* out;
    const char* label;
  } cases[] = {
      {CODE_ENCODE, 0, "C:\\Chips\\", "Output Path"},  {CODE_DECODE, 0, "C:\\Chips\\", "Output Path"},
      {CODE_ENCODE, 1, "C:\\Chips\\", "Output Path"},  {CODE_DECODE, 1, "C:\\Chips\\top.xxx", "Output File"},
      {CODE_CRC, 1, "C:\\Chips\\top.xxx", "Output File"},
  };
  for (const Case& c : cases) {
    char out[CODE_PATHLEN];
    CodeOutputDerive("C:\\Chips\\top.gds", c.action, c.base64, out, sizeof out);
    EXPECT_STREQ(out, c.out);
    EXPECT_STREQ(CodeOutputLabel(c.action, c.base64), c.label);
  }
  char tiny[6];
  CodeOutputDerive("C:\\Chips\\top.gds", CODE_DECODE, 1, tiny, sizeof tiny);
  EXPECT_STREQ(tiny, "C:\\Ch");
}

}  // namespace

namespace {

TEST_F(CodeFixture, SettingsFileKeepsTheWindowOnScreen) {
  struct Case {
    const char* what;
    const char* file;
    int fullW, fullH;
    const char* written;
  } cases[] = {
      {"on screen", "lft=10\ntop=20\nrgt=310\nbot=120\n", 1024, 768, "lft=10\ntop=20\nrgt=310\nbot=120\n"},
      {"past the right and bottom edges", "LFT=900\ntop=700\nrgt=1200\nbot=800\n", 1024, 768,
       "lft=724\ntop=668\nrgt=1024\nbot=768\n"},
      {"wider than the screen stops at 0", "lft=100\ntop=0\nrgt=1300\nbot=50\n", 1024, 768,
       "lft=0\ntop=0\nrgt=1200\nbot=50\n"},
      {"other keys ignored", "scale=5\nlft=1\ntop=2\nrgt=3\nbot=4\nrdp0=x\n", 1024, 768,
       "lft=1\ntop=2\nrgt=3\nbot=4\n"},
  };
  for (const Case& c : cases) {
    SatFrame = SatFrameState();
    SatFrame.fullW = c.fullW;
    SatFrame.fullH = c.fullH;
    WriteText("Quilcode.usf", c.file);
    EXPECT_EQ(CodeUsfRead(), 0) << c.what;
    EXPECT_EQ(CodeUsfWrite(), 0) << c.what;
    EXPECT_EQ(ReadText("Quilcode.usf"), c.written) << c.what;
  }
  remove("Quilcode.usf");
  EXPECT_EQ(CodeUsfRead(), 1);
}

}  // namespace
