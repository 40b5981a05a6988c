// Helpers of the converter tests: a private work folder, small files, and a
// reader of GDSII records to look at what was written.
#ifndef QUIL_TESTS_CONVTEST_H
#define QUIL_TESTS_CONVTEST_H

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

// A fresh folder that is the current folder while the object lives.
struct WorkDir {
  std::string path;
  std::string old;
  WorkDir() {
    char tmpl[] = "/tmp/convtestXXXXXX";
    char* p = mkdtemp(tmpl);
    path = p ? p : "/tmp";
    char buf[4096];
    old = getcwd(buf, sizeof buf) ? buf : "/";
    if (chdir(path.c_str()) != 0) path.clear();
  }
  ~WorkDir() {
    if (chdir(old.c_str()) != 0) return;
    std::string cmd = "rm -rf '" + path + "'";
    if (path.rfind("/tmp/convtest", 0) == 0) (void)!system(cmd.c_str());
  }
};

// A converter's state owned by one test: reset on the way in and out, and on
// the heap, as the states hold megabyte buffers.
template <typename State, void (*Reset)(State*)>
struct OwnState {
  std::unique_ptr<State> own{new State()};
  State* st = own.get();
  OwnState() { Reset(st); }
  ~OwnState() { Reset(st); }
};

inline void WriteText(const std::string& name, const std::string& text) {
  FILE* f = fopen(name.c_str(), "wb");
  if (!f) return;
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
}

inline std::string ReadText(const std::string& name) {
  std::string out;
  FILE* f = fopen(name.c_str(), "rb");
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  fclose(f);
  return out;
}

inline std::vector<unsigned char> ReadBytes(const std::string& name) {
  std::string s = ReadText(name);
  return std::vector<unsigned char>(s.begin(), s.end());
}

struct GdsRecordSeen {
  int type, dtype;
  std::vector<unsigned char> data;
  int16_t i16(size_t k = 0) const { return (int16_t)((data[2 * k] << 8) | data[2 * k + 1]); }
  int32_t i32(size_t k = 0) const {
    return (int32_t)(((uint32_t)data[4 * k] << 24) | ((uint32_t)data[4 * k + 1] << 16) |
                     ((uint32_t)data[4 * k + 2] << 8) | data[4 * k + 3]);
  }
  std::string str() const {
    std::string s(data.begin(), data.end());
    while (!s.empty() && s.back() == 0) s.pop_back();
    return s;
  }
};

// Splits a stream into records; stops at a malformed length.
inline std::vector<GdsRecordSeen> GdsRecords(const std::vector<unsigned char>& b) {
  std::vector<GdsRecordSeen> out;
  size_t p = 0;
  while (p + 4 <= b.size()) {
    size_t len = ((size_t)b[p] << 8) | b[p + 1];
    if (len < 4 || p + len > b.size()) break;
    out.push_back({b[p + 2], b[p + 3], std::vector<unsigned char>(b.begin() + p + 4, b.begin() + p + len)});
    p += len;
  }
  return out;
}

// A TLC cell file in the tagged form: header, then the given record lines.
inline std::string TlcCell(const std::string& name, int rank, const std::string& records,
                           double scale = 1000, const std::string& unit = "um") {
  char head[512];
  snprintf(head, sizeof head,
           "<?xml version=\"1.0\"?>\n<TLC>\n<H>\n%s\n7.0.91\n7.0.91\n%.9g\n%s\n01/02/26\n10:00:00\n%d 0 0 100 100\n0 0 0 0\n</H>\n",
           name.c_str(), scale, unit.c_str(), rank);
  return std::string(head) + records + "</TLC>\n";
}

#endif
