// The ZIP walk on archives built byte by byte: what is extracted, what is
// refused with which code and message, and that a refused or damaged member
// never leaves a file nor replaces a good one.
#include "zipextract.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "deflate_writer.h"
#include "host_record.h"
#include "inflate.h"

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t CrcOf(const Bytes& b) {
  uint32_t reg;
  Crc32Update(&reg, nullptr, 0);
  return Crc32Update(&reg, b.data(), b.size());
}

Bytes Random(size_t n, unsigned seed) {
  std::mt19937 g(seed);
  Bytes b(n);
  for (auto& c : b) c = (uint8_t)g();
  return b;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The data as stored blocks of at most 65535 bytes: a valid deflate stream.
Bytes DeflateStored(const Bytes& data) {
  Bits b;
  size_t at = 0;
  do {
    size_t n = data.size() - at < 65535 ? data.size() - at : 65535;
    StoredBlock(b, Bytes(data.begin() + at, data.begin() + at + n), at + n == data.size());
    at += n;
  } while (at < data.size());
  return b.Done();
}

struct Member {
  std::string name;
  Bytes data;       // what the member holds
  int method = 0;   // 0 stored, 8 deflated (as stored blocks), other: raw
  uint16_t flags = 0;
  Bytes extra;
  // Set to override what the header says.
  long long crc = -1, csize = -1, usize = -1;
  Bytes raw;        // the member's bytes when given (else made from data)
  uint16_t dosTime = 0x6d2c, dosDate = 0x5a8b;
};

void Put16(Bytes& b, uint32_t v) {
  b.push_back((uint8_t)v);
  b.push_back((uint8_t)(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}

// Local headers and data, then a central directory and end record as a
// writer would leave them (the walk stops at them).
Bytes Zip(const std::vector<Member>& members, bool directory = true) {
  Bytes z;
  for (const Member& m : members) {
    Bytes body = !m.raw.empty() ? m.raw : m.method == 8 ? DeflateStored(m.data) : m.data;
    Put32(z, 0x04034B50);
    Put16(z, 20);
    Put16(z, m.flags);
    Put16(z, m.method);
    Put16(z, m.dosTime);
    Put16(z, m.dosDate);
    Put32(z, m.crc >= 0 ? (uint32_t)m.crc : CrcOf(m.data));
    Put32(z, m.csize >= 0 ? (uint32_t)m.csize : (uint32_t)body.size());
    Put32(z, m.usize >= 0 ? (uint32_t)m.usize : (uint32_t)m.data.size());
    Put16(z, (uint32_t)m.name.size());
    Put16(z, (uint32_t)m.extra.size());
    z.insert(z.end(), m.name.begin(), m.name.end());
    z.insert(z.end(), m.extra.begin(), m.extra.end());
    z.insert(z.end(), body.begin(), body.end());
  }
  if (directory) {
    if (!members.empty()) {
      Put32(z, 0x02014B50);
      z.resize(z.size() + 42, 0);
    }
    Put32(z, 0x06054B50);
    z.resize(z.size() + 18, 0);
  }
  return z;
}

struct Folder {
  std::string root;  // holds the archive and the target folder "out"
  std::string out;
  Folder() {
    char tmpl[] = "/tmp/zipwalkXXXXXX";
    root = mkdtemp(tmpl);
    out = root + "/out";
    mkdir(out.c_str(), 0777);
  }
  ~Folder() {
    std::string cmd = "rm -rf '" + root + "'";
    if (system(cmd.c_str()) != 0) {
    }
  }
  std::string Write(const Bytes& zip, const char* name = "a.zip") {
    std::string p = root + "/" + name;
    FILE* f = fopen(p.c_str(), "wb");
    if (!zip.empty()) fwrite(zip.data(), 1, zip.size(), f);
    fclose(f);
    return p;
  }
  std::set<std::string> List(const std::string& dir) const {
    std::set<std::string> names;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = d ? readdir(d) : nullptr)
      if (strcmp(e->d_name, ".") && strcmp(e->d_name, "..")) names.insert(e->d_name);
    if (d) closedir(d);
    return names;
  }
  Bytes Read(const std::string& name) const {
    Bytes b;
    FILE* f = fopen((out + "/" + name).c_str(), "rb");
    if (!f) return b;
    int c;
    while ((c = fgetc(f)) != EOF) b.push_back((uint8_t)c);
    fclose(f);
    return b;
  }
};

struct TimeCall {
  std::string path;
  unsigned date, time;
};
std::vector<TimeCall> Times;
std::vector<std::string> Listed;
int TimeResult = 1;
void RecList(const char* line) { Listed.push_back(line); }
int RecTime(const char* path, unsigned date, unsigned time) {
  Times.push_back({path, date, time});
  return TimeResult;
}

class ZipWalk : public ::testing::Test {
 protected:
  void SetUp() override {
    HostRecordInstall();
    Times.clear();
    Listed.clear();
    TimeResult = 1;
    ZipHooks h{RecList, RecTime};
    ZipSetHooks(&h);
  }
  void TearDown() override {
    ZipSetHooks(nullptr);
    HostRecordRemove();
  }
  int Run(const Bytes& zip, ZipRun* run = nullptr) {
    ZipRun r;
    return ZipExtract(dir.Write(zip).c_str(), (dir.out + "\\").c_str(), run ? run : &r);
  }
  Folder dir;
};

TEST_F(ZipWalk, StoredAndDeflatedMembersLandWhole) {
  Bytes a = Random(32768, 1), b = Random(32769, 2), c = Random(100000, 3);
  std::vector<Member> ms(4);
  ms[0].name = "Exact.bin";
  ms[0].data = a;
  ms[1].name = "ONEMORE.BIN";  // tidied to "Onemore.bin"
  ms[1].data = b;
  ms[2].name = "deflated.bin";
  ms[2].data = c;
  ms[2].method = 8;
  ms[3].name = "empty.txt";
  ms[3].method = 8;
  EXPECT_EQ(Run(Zip(ms)), 0);
  EXPECT_TRUE(HostRecordTexts().empty());
  EXPECT_EQ(dir.List(dir.out), (std::set<std::string>{"Exact.bin", "Onemore.bin", "Deflated.bin", "Empty.txt"}));
  EXPECT_EQ(dir.Read("Exact.bin"), a);
  EXPECT_EQ(dir.Read("Onemore.bin"), b);
  EXPECT_EQ(dir.Read("Deflated.bin"), c);
  EXPECT_TRUE(dir.Read("Empty.txt").empty());
  ASSERT_EQ(Listed.size(), 4u);
  EXPECT_NE(Listed[1].find("\\Onemore.bin ... OK"), std::string::npos) << Listed[1];
  ASSERT_EQ(Times.size(), 4u);
  EXPECT_EQ(Times[0].date, 0x5a8bu);
  EXPECT_EQ(Times[0].time, 0x6d2cu);
}

TEST_F(ZipWalk, AnEmptyArchiveWritesNothing) {
  EXPECT_EQ(Run(Zip({})), 0);
  EXPECT_TRUE(dir.List(dir.out).empty());
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{});
}

TEST_F(ZipWalk, WhatIsNotAZipIsFatal) {
  struct Case {
    const char* what;
    Bytes file;
  };
  std::vector<Case> cases = {
      {"empty file", {}},
      {"text", Text("just some text that is not an archive at all")},
      {"three bytes", Text("PK\x03")},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    std::string zip = dir.Write(c.file);
    ZipRun r;
    EXPECT_EQ(ZipExtract(zip.c_str(), (dir.out + "\\").c_str(), &r), 2) << c.what;
    ASSERT_EQ(HostRecordTexts().size(), 1u) << c.what;
    EXPECT_EQ(HostRecordTexts()[0], zip + " is not a ZIP file") << c.what;
  }
  HostRecordInstall();
  ZipRun r;
  std::string missing = dir.root + "/none.zip";
  EXPECT_EQ(ZipExtract(missing.c_str(), (dir.out + "\\").c_str(), &r), 2);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{missing + " file is missing"});
  EXPECT_TRUE(dir.List(dir.out).empty());
}

// Names that would land outside the target, on a device, or in a folder
// the installer does not make: each refused with code 1, the next member
// still extracted, and not one file written anywhere but the good one.
TEST_F(ZipWalk, HostileNamesAreRefused) {
  struct Case {
    std::string name;
    const char* says;
  };
  std::vector<Case> cases = {
      {"../x", "not a name for a file"},   {"a/../../x", "not a name for a file"},
      {"/abs", "not a name for a file"},   {"\\x", "not a name for a file"},
      {"C:x", "not a name for a file"},    {"C:/x", "not a name for a file"},
      {"CON", "not a name for a file"},    {"nul.txt", "not a name for a file"},
      {"com1", "not a name for a file"},   {"x.", "not a name for a file"},
      {"..", "not a name for a file"},     {"a\x01" "b", "not a name for a file"},
      {"a?b", "not a name for a file"},    {"sub/", "in a sub-folder"},
      {"sub/file.txt", "in a sub-folder"}, {"sub\\file.txt", "in a sub-folder"},
      {std::string("a\0b", 3), "not a name for a file"},
      {std::string(300, 'n'), "name too long for a path"},
  };
  for (const Case& c : cases) {
    HostRecordInstall();
    Listed.clear();
    std::vector<Member> ms(2);
    ms[0].name = c.name;
    ms[0].data = Text("hostile");
    ms[1].name = "good.txt";
    ms[1].data = Text("good");
    ms[1].method = 8;
    EXPECT_EQ(Run(Zip(ms)), 1) << c.name;
    ASSERT_EQ(HostRecordTexts().size(), 1u) << c.name;
    EXPECT_NE(HostRecordTexts()[0].find(c.says), std::string::npos) << HostRecordTexts()[0];
    EXPECT_EQ(dir.List(dir.out), std::set<std::string>{"Good.txt"}) << c.name;
    EXPECT_EQ(dir.List(dir.root), (std::set<std::string>{"a.zip", "out"})) << c.name;
    EXPECT_EQ(Listed.size(), 1u) << c.name;
    remove((dir.out + "/Good.txt").c_str());
  }
  // A long name is shown cut, never whole.
  EXPECT_LT(HostRecordTexts()[0].size(), 200u);
}

// Members the walk can't unzip are found from the header alone: a message,
// no file, and the next member is found where the sizes say.
TEST_F(ZipWalk, UnsupportedMembersAreSkipped) {
  Bytes z64extra;
  Put16(z64extra, 0x0001);
  Put16(z64extra, 16);
  Put32(z64extra, 5);  // uncompressed size, 64 bits
  Put32(z64extra, 0);
  Put32(z64extra, 5);  // compressed size
  Put32(z64extra, 0);
  struct Case {
    const char* what;
    Member m;
    const char* says;
  };
  std::vector<Case> cases(3);
  cases[0] = {"method 12", Member(), "not stored or deflated, can't unzip"};
  cases[0].m.method = 12;
  cases[0].m.raw = Text("BZh91AY&SY");
  cases[1] = {"encrypted", Member(), "encrypted, can't unzip"};
  cases[1].m.flags = 1;
  cases[2] = {"ZIP64 sizes", Member(), "ZIP64 member, can't unzip"};
  cases[2].m.csize = cases[2].m.usize = 0xFFFFFFFFll;
  cases[2].m.extra = z64extra;
  for (Case& c : cases) {
    HostRecordInstall();
    c.m.name = "skipped.dat";
    if (c.m.data.empty()) c.m.data = Text("12345");
    Member next;
    next.name = "next.txt";
    next.data = Text("next member");
    EXPECT_EQ(Run(Zip({c.m, next})), 1) << c.what;
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{std::string("skipped.dat ... ") + c.says}) << c.what;
    EXPECT_EQ(dir.List(dir.out), std::set<std::string>{"Next.txt"}) << c.what;
    EXPECT_EQ(dir.Read("Next.txt"), Text("next member")) << c.what;
    remove((dir.out + "/Next.txt").c_str());
  }
}

TEST_F(ZipWalk, AMemberWhoseEndIsUnknownStopsTheWalk) {
  std::vector<Member> ms(2);
  ms[0].name = "streamed.txt";
  ms[0].data = Text("written by a streaming writer");
  ms[0].method = 8;
  ms[0].flags = 8;  // sizes and CRC follow the data
  ms[0].crc = ms[0].csize = ms[0].usize = 0;
  ms[1].name = "after.txt";
  ms[1].data = Text("after");
  EXPECT_EQ(Run(Zip(ms)), 2);
  EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{"streamed.txt ... sizes follow the data, can't unzip"});
  EXPECT_TRUE(dir.List(dir.out).empty());
}

// A damaged member never replaces the good file already in its place, and
// never leaves its scratch file behind.
TEST_F(ZipWalk, DamagedMembersLeaveTheOldFile) {
  Bytes good = Text("the good file already installed");
  Bytes data = Random(70000, 9);
  Bytes stream = DeflateStored(data);
  Bytes longer = data;
  longer.push_back(1);

  struct Case {
    const char* what;
    Member m;
    bool truncate;  // the archive ends inside the member's data
    const char* says;
  };
  std::vector<Case> cases(6);
  cases[0] = {"CRC of a stored member", Member(), false, "prog.exe ... compressed data CRC error"};
  cases[0].m.crc = 1;
  cases[1] = {"CRC of a deflated member", Member(), false, "prog.exe ... compressed data CRC error"};
  cases[1].m.crc = 1;
  cases[1].m.method = 8;
  cases[2] = {"stored sizes differ", Member(), false, "prog.exe ... compressed data length error"};
  cases[2].m.usize = 1000;
  cases[3] = {"more data than its size", Member(), false, "prog.exe ... compressed data length error"};
  cases[3].m.method = 8;
  cases[3].m.raw = DeflateStored(longer);
  cases[4] = {"end of file in stored data", Member(), true, "prog.exe ... compressed data length error"};
  cases[5] = {"end of file in deflated data", Member(), true, "prog.exe ... Compressed data format wrong"};
  cases[5].m.method = 8;
  for (Case& c : cases) {
    HostRecordInstall();
    {
      FILE* f = fopen((dir.out + "/Prog.exe").c_str(), "wb");
      fwrite(good.data(), 1, good.size(), f);
      fclose(f);
    }
    c.m.name = "prog.exe";
    c.m.data = data;
    Bytes zip = Zip({c.m}, !c.truncate);
    if (c.truncate) zip.resize(zip.size() - 20000);
    EXPECT_EQ(Run(zip), 1) << c.what;
    EXPECT_EQ(HostRecordTexts(), std::vector<std::string>{c.says}) << c.what;
    EXPECT_EQ(dir.Read("Prog.exe"), good) << c.what;
    EXPECT_EQ(dir.List(dir.out), std::set<std::string>{"Prog.exe"}) << c.what;
    EXPECT_TRUE(Listed.empty()) << c.what;
  }
}

// The decoder reads its input ahead; the next header must still be found
// where the header's compressed size puts it, padding or not.
TEST_F(ZipWalk, TheNextHeaderIsWhereTheSizeSays) {
  Bytes data = Random(5000, 4);
  std::vector<Member> ms(2);
  ms[0].name = "first.bin";
  ms[0].data = data;
  ms[0].method = 8;
  ms[0].raw = DeflateStored(data);
  ms[0].raw.resize(ms[0].raw.size() + 300, 0x50);  // junk after the stream's end, inside the member
  ms[1].name = "second.bin";
  ms[1].data = Text("second");
  EXPECT_EQ(Run(Zip(ms)), 0);
  EXPECT_EQ(dir.Read("First.bin"), data);
  EXPECT_EQ(dir.Read("Second.bin"), Text("second"));
}

TEST_F(ZipWalk, AnArchiveCutAfterAMemberIsDamaged) {
  std::vector<Member> ms(1);
  ms[0].name = "only.txt";
  ms[0].data = Text("only");
  Bytes zip = Zip(ms, false);
  EXPECT_EQ(Run(zip), 1);
  EXPECT_EQ(dir.Read("Only.txt"), Text("only"));
  ASSERT_EQ(HostRecordTexts().size(), 1u);
  EXPECT_NE(HostRecordTexts()[0].find("a.zip ... ZIP file cut short or damaged"), std::string::npos);
  // Junk where the next header belongs: the same.
  HostRecordInstall();
  zip.insert(zip.end(), {'j', 'u', 'n', 'k', 0, 0});
  EXPECT_EQ(Run(zip), 1);
  EXPECT_EQ(HostRecordTexts().size(), 1u);
}

TEST_F(ZipWalk, ATimeThatCantBeSetIsNonFatal) {
  TimeResult = 0;
  std::vector<Member> ms(2);
  ms[0].name = "a.txt";
  ms[0].data = Text("a");
  ms[1].name = "b.txt";
  ms[1].data = Text("b");
  EXPECT_EQ(Run(Zip(ms)), 1);
  ASSERT_EQ(HostRecordTexts().size(), 2u);
  EXPECT_NE(HostRecordTexts()[0].find("Unable to reset "), std::string::npos);
  EXPECT_NE(HostRecordTexts()[0].find("\\A.txt file date and time"), std::string::npos) << HostRecordTexts()[0];
  EXPECT_EQ(dir.Read("B.txt"), Text("b"));
}

// Escape during a member's pause: that member is whole, the walk ends.
TEST_F(ZipWalk, EscapeInAPauseEndsTheWalkAfterTheMember) {
  std::vector<Member> ms(3);
  for (int i = 0; i < 3; ++i) {
    ms[i].name = std::string(1, (char)('a' + i)) + ".txt";
    ms[i].data = Text("member");
  }
  HostRecordGet().abortAfterPolls = 1;  // Escape is down at the second pause
  ZipRun run;
  run.pauseMs = 100;
  run.escapeTest = 1;
  EXPECT_EQ(Run(Zip(ms), &run), 0);
  EXPECT_EQ(run.abort, 1);
  EXPECT_EQ(dir.List(dir.out), (std::set<std::string>{"A.txt", "B.txt"}));
  EXPECT_EQ(HostRecordGet().pauses, (std::vector<int>{100, 100}));
  // Without the Escape test the host is not asked and the walk goes on.
  HostRecordInstall().abortAfterPolls = 0;
  ZipRun plain;
  plain.pauseMs = 100;
  EXPECT_EQ(Run(Zip(ms), &plain), 0);
  EXPECT_EQ(plain.abort, 0);
  EXPECT_EQ(HostRecordGet().polls, 0);
  EXPECT_EQ(dir.List(dir.out).size(), 3u);
}

// A write that falls short is fatal, and no half file is left in place.
TEST_F(ZipWalk, AShortWriteIsFatal) {
  std::vector<Member> ms(2);
  ms[0].name = "big.bin";
  ms[0].data = Random(200000, 5);
  ms[1].name = "big2.bin";
  ms[1].data = ms[0].data;
  ms[1].method = 8;
  std::string zip = dir.Write(Zip(ms));
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit small = old;
  small.rlim_cur = 100000;
  void (*prev)(int) = signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  ZipRun r;
  int code = ZipExtract(zip.c_str(), (dir.out + "\\").c_str(), &r);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, prev);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(HostRecordTexts(), (std::vector<std::string>(2, "Not enough space for output file ... Can't continue")));
  EXPECT_TRUE(dir.List(dir.out).empty());
  EXPECT_TRUE(Listed.empty());
}

TEST_F(ZipWalk, AFolderThatCantBeWrittenIsFatal) {
  std::vector<Member> ms(1);
  ms[0].name = "a.txt";
  ms[0].data = Text("a");
  ZipRun r;
  std::string zip = dir.Write(Zip(ms));
  std::string target = dir.root + "/missing\\";
  EXPECT_EQ(ZipExtract(zip.c_str(), target.c_str(), &r), 2);
  ASSERT_EQ(HostRecordTexts().size(), 1u);
  EXPECT_NE(HostRecordTexts()[0].find("\\A.txt file ... Can't continue"), std::string::npos) << HostRecordTexts()[0];
}

}  // namespace
