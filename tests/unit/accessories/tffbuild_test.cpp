#include "tffbuild.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "../converters/convtest.h"
#include "font.h"
#include "host.h"
#include "host_record.h"
#include "mainsetup.h"

namespace {

typedef std::vector<std::vector<int>> Polys;  // each polygon: x0, y0, x1, y1, ...

// A character drawing: a header counting the paths and vertices, a box and
// a text that are passed over, and one path record per polygon.
std::string Drawing(const Polys& polys, int headerPaths = -1, int headerVertices = -1) {
  int nv = 0;
  for (const auto& p : polys) nv += (int)p.size() / 2;
  std::string s = "<?xml version=\"1.0\"?>\n<TLC>\n<H>\nCHARA\n7.0.91\n7.0.91\n1\num\n12/10/26\n12:00:00\n";
  s += "1 0 0 15 15\n0 " + std::to_string(headerPaths < 0 ? (int)polys.size() : headerPaths) + " " +
       std::to_string(headerVertices < 0 ? nv : headerVertices) + " 0\n</H>\n";
  s += "<B>\n3 0 0 2 2\n</B>\n<T>\n10 1 1 0\n0 0\nlabel\n</T>\n";
  for (const auto& p : polys) {
    s += "<P>\n1 0 " + std::to_string(p.size() / 2) + "\n";
    for (size_t k = 0; k < p.size(); k += 2) s += std::to_string(p[k]) + " " + std::to_string(p[k + 1]) + "\n";
    s += "</P>\n";
  }
  return s + "</TLC>\n";
}

std::vector<unsigned char> Slot(const std::vector<unsigned char>& font, int ch) {
  return std::vector<unsigned char>(font.begin() + (ch - 32) * TFF_SLOT, font.begin() + (ch - 31) * TFF_SLOT);
}

// The expected slot: the given bytes, then 0xFF to the end.
std::vector<unsigned char> Filled(std::vector<unsigned char> head) {
  head.resize(TFF_SLOT, 0xFF);
  return head;
}

struct TffFixture : ::testing::Test {
  WorkDir dir;
  OwnState<TffState, TffReset> state;
  TffState* st = state.st;
  HostRecord* rec = nullptr;
  void SetUp() override { rec = &HostRecordInstall(); }
  void TearDown() override { HostRecordRemove(); }
  // Names in the work folder, which is current.
  std::string Path(const char* name) const { return name; }
  std::vector<std::string> Texts() const { return HostRecordTexts(); }
};

TEST_F(TffFixture, NewFontGetsOneCharacterAndTheEditorDrawsIt) {
  WriteText("CHARA.TLC", Drawing({{0, 0, 8, 15, 14, 0}, {3, 6, 12, 6}}));
  ASSERT_EQ(TffBuildOnce(st, Path("new.tff").c_str(), Path("chara.tlc").c_str(), 'A', 1), 1);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "Font File " + Path("new.tff") + " is Missing ... New File will be Created",
                         "2 Polygons with 5 Vertices\nAssigned to Character A (65)"}));
  std::vector<unsigned char> font = ReadBytes("new.tff");
  ASSERT_EQ(font.size(), (size_t)TFF_SIZE);
  for (int ch = 32; ch < 128; ++ch) {
    if (ch == 'A') continue;
    ASSERT_EQ(Slot(font, ch), Filled({})) << ch;
  }
  EXPECT_EQ(Slot(font, 'A'), Filled({0x00, 0x8F, 0xE0, 0xFF, 0x36, 0xC6, 0xFF, 0xFF}));

  // The editor's font module reads it and walks the same strokes.
  MainSetupReset();
  snprintf(MainSetup.tffname, sizeof MainSetup.tffname, "%s", Path("new.tff").c_str());
  ASSERT_EQ(TffRead(), 1);
  int pos = 0, start, count;
  std::vector<int> counts;
  while (TffStrokeNext(TffSlot('A'), &pos, &start, &count)) counts.push_back(count);
  EXPECT_EQ(counts, (std::vector<int>{3, 2}));
  EXPECT_EQ(TffGlyphMaxX(TffSlot('A')), 14);
  FontReset();
}

TEST_F(TffFixture, SlotLayouts) {
  std::vector<int> many;  // 130 vertices in one polygon
  for (int k = 0; k < 130; ++k) many.insert(many.end(), {k % 16, (k / 16) % 15});
  std::vector<unsigned char> manyBytes;
  for (int k = 0; k < 126; ++k) manyBytes.push_back((unsigned char)((k % 16) * 16 + (k / 16) % 15));
  manyBytes.push_back(0xFF);
  struct Case {
    const char* what;
    Polys polys;
    std::vector<unsigned char> slot;
    const char* warning;  // null: none
  } cases[] = {
      {"two three-vertex paths", {{1, 1, 2, 2, 3, 3}, {4, 4, 5, 5, 6, 6}},
       {0x11, 0x22, 0x33, 0xFF, 0x44, 0x55, 0x66, 0xFF, 0xFF}, nullptr},
      {"a path without vertices is skipped", {{1, 1, 2, 2}, {}, {3, 3, 4, 4}},
       {0x11, 0x22, 0xFF, 0x33, 0x44, 0xFF, 0xFF}, nullptr},
      {"more than 126 vertices", {many, {1, 1, 2, 2}}, manyBytes,
       "6 Vertices Do Not Fit the Slot of Character B and are Left Out"},
      {"the grid's corners but the last", {{0, 0, 15, 0, 0, 15, 14, 15}}, {0x00, 0xF0, 0x0F, 0xEF, 0xFF, 0xFF},
       nullptr},
  };
  for (const Case& c : cases) {
    WriteText("CHARB.TLC", Drawing(c.polys));
    rec->messages.clear();
    ASSERT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("CHARB.TLC").c_str(), 'B', 1), 1) << c.what;
    EXPECT_EQ(Slot(ReadBytes("f.tff"), 'B'), Filled(c.slot)) << c.what;
    std::vector<std::string> texts = Texts();
    bool warned = false;
    for (const std::string& t : texts) warned |= c.warning && t == c.warning;
    EXPECT_EQ(warned, c.warning != nullptr) << c.what;
  }
}

TEST_F(TffFixture, AssigningAgainReplacesTheSlot) {
  WriteText("BIG.TLC", Drawing({{0, 0, 1, 1, 2, 2, 3, 3, 4, 4}, {5, 5, 6, 6}}));
  WriteText("SMALL.TLC", Drawing({{9, 9}}));
  ASSERT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("BIG.TLC").c_str(), 'x', 1), 1);
  ASSERT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("SMALL.TLC").c_str(), 'x', 1), 1);
  EXPECT_EQ(Slot(ReadBytes("f.tff"), 'x'), Filled({0x99, 0xFF, 0xFF}));
}

TEST_F(TffFixture, RefusedCharactersLeaveTheFontAlone) {
  WriteText("f.tff", std::string(TFF_SIZE, '\x12'));
  struct Case {
    const char* what;
    std::string drawing;
    const char* error;
  } cases[] = {
      {"x beyond the grid", Drawing({{1, 1}, {2, 2, 16, 3}}),
       "Vertex 2 (16, 3) of Path 2 is Outside the Grid 0 .. 15\n\nCharacter Not Assigned"},
      {"negative y", Drawing({{1, -1}}),
       "Vertex 1 (1, -1) of Path 1 is Outside the Grid 0 .. 15\n\nCharacter Not Assigned"},
      {"the end mark's point", Drawing({{0, 0, 15, 15}}),
       "Vertex 2 (15, 15) of Path 1 is the End Mark of the Font\n\nCharacter Not Assigned"},
  };
  for (const Case& c : cases) {
    WriteText("BAD.TLC", c.drawing);
    rec->messages.clear();
    EXPECT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("BAD.TLC").c_str(), 'C', 1), 0) << c.what;
    EXPECT_EQ(Texts(), std::vector<std::string>{c.error}) << c.what;
    EXPECT_EQ(ReadText("f.tff"), std::string(TFF_SIZE, '\x12')) << c.what;
  }
}

TEST_F(TffFixture, FilesThatAreMissingShortOrCannotBeWritten) {
  WriteText("CHAR.TLC", Drawing({{1, 1, 2, 2}}));
  // Cancel at the new-font question ends the attempt: no file of zeros.
  rec->answers.push_back(HOST_IDCANCEL);
  EXPECT_EQ(TffBuildOnce(st, Path("none.tff").c_str(), Path("CHAR.TLC").c_str(), 'D', 1), 0);
  EXPECT_EQ(ReadBytes("none.tff").size(), 0u);
  EXPECT_EQ(Texts().size(), 1u);

  rec->messages.clear();
  WriteText("short.tff", std::string(TFF_SIZE - 1, '\xFF'));
  EXPECT_EQ(TffBuildOnce(st, Path("short.tff").c_str(), Path("CHAR.TLC").c_str(), 'D', 1), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Font File is the Wrong Length ... Erase it"});
  EXPECT_EQ(ReadBytes("short.tff").size(), (size_t)TFF_SIZE - 1);

  rec->messages.clear();
  WriteText("f.tff", std::string(TFF_SIZE, '\xFF'));
  EXPECT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("GONE.TLC").c_str(), 'D', 1), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{"Character TLC File is Missing"});

  rec->messages.clear();
  EXPECT_EQ(TffBuildOnce(st, Path("no/such/f.tff").c_str(), Path("CHAR.TLC").c_str(), 'D', 1), 0);
  ASSERT_EQ(Texts().size(), 2u);
  EXPECT_EQ(Texts()[1], "Unable to Write " + Path("no/such/f.tff"));

  // A character outside 32..127 is not assigned and nothing is said.
  rec->messages.clear();
  EXPECT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("CHAR.TLC").c_str(), 0x80, 1), 0);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(ReadText("f.tff"), std::string(TFF_SIZE, '\xFF'));

  // Bad records are named and the rest of the drawing is read.
  rec->messages.clear();
  WriteText("MIXED.TLC", Drawing({{1, 1}}) + "<P>\n1 0 3\n2 2\n</P>\n<B>\n1 2\n</B>\n<P>\n1 0 1\n7 7\n</P>\n");
  EXPECT_EQ(TffBuildOnce(st, Path("f.tff").c_str(), Path("MIXED.TLC").c_str(), 'E', 1), 1);
  EXPECT_EQ(Texts()[0], "Path Record Read Error");
  EXPECT_EQ(Texts()[1], "Box Record Read Error");
  EXPECT_EQ(Slot(ReadBytes("f.tff"), 'E'), Filled({0x11, 0xFF, 0x77, 0xFF, 0xFF}));
}

TEST_F(TffFixture, BatchArguments) {
  struct Case {
    const char* args;
    int count;
    std::vector<std::string> tokens;
  } cases[] = {
      {"", 1, {}},
      {"  ", 1, {}},
      {"f.tff", 2, {"f.tff"}},
      {"f.tff  c.tlc", 3, {"f.tff", "c.tlc"}},
      {"\tf.tff c.tlc A ", 4, {"f.tff", "c.tlc", "A"}},
      {"f.tff c.tlc A extra", 0, {}},
  };
  for (const Case& c : cases) {
    TffReset(st);
    rec->messages.clear();
    EXPECT_EQ(TffArgs(st, c.args), c.count) << c.args;
    for (size_t k = 0; k < c.tokens.size(); ++k) EXPECT_EQ(st->tokens[k + 1], c.tokens[k]) << c.args;
    // Four tokens: refused before anything is stored.
    if (!c.count) {
      EXPECT_EQ(Texts(), std::vector<std::string>{"Command Line is TFFfile TLCfile Character"});
      for (const auto& t : st->tokens) EXPECT_STREQ(t, "");
    }
  }
  std::string longName(300, 'n');
  EXPECT_EQ(TffArgs(st, longName.c_str()), 2);
  EXPECT_EQ(strlen(st->tokens[1]), (size_t)TFF_PATHLEN - 1);

  // Two tokens: the character is missing, the files are looked at, nothing
  // changes.
  WriteText("f.tff", std::string(TFF_SIZE, '\xFF'));
  WriteText("CHAR.TLC", Drawing({{1, 1}}));
  rec->messages.clear();
  std::string args = Path("f.tff") + " " + Path("CHAR.TLC");
  ASSERT_EQ(TffArgs(st, args.c_str()), 3);
  EXPECT_EQ(TffBatch(st, 3), 0);
  EXPECT_EQ(Texts(), std::vector<std::string>{
                         "Character Not recognized in Batch Arguments ... Insert Character Manually"});
  EXPECT_EQ(ReadText("f.tff"), std::string(TFF_SIZE, '\xFF'));

  rec->messages.clear();
  args += " Z";
  ASSERT_EQ(TffArgs(st, args.c_str()), 4);
  EXPECT_EQ(TffBatch(st, 4), 1);
  EXPECT_EQ(Slot(ReadBytes("f.tff"), 'Z'), Filled({0x11, 0xFF, 0xFF}));
}

}  // namespace
