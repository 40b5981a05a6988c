// Running the outside simulators from the extractor tests: a shell
// command's output and status, and ngspice's printed DC table.
#ifndef QUIL_TESTS_CKT_OUTSIDE_H
#define QUIL_TESTS_CKT_OUTSIDE_H

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <regex>
#include <string>

namespace ckttest {

// Output of a shell command (stdout and stderr); its exit status in *rc.
inline std::string Shell(const std::string& cmd, int* rc) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) {
    *rc = -1;
    return out;
  }
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  *rc = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return out;
}

inline bool Have(const char* tool) {
  int rc;
  Shell(std::string("command -v ") + tool, &rc);
  return rc == 0;
}

// v(out) by tenths of a volt of the input, from ngspice's printed DC table.
inline std::map<int, double> DcTable(const std::string& out) {
  std::map<int, double> v;
  std::regex row("^[0-9]+\\t([-+0-9.e]+)\\t([-+0-9.e]+)");
  size_t start = 0;
  while (start < out.size()) {
    size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    std::string line = out.substr(start, end - start);
    std::smatch m;
    if (std::regex_search(line, m, row)) v[(int)lround(std::stod(m[1]) * 10)] = std::stod(m[2]);
    start = end + 1;
  }
  return v;
}

}  // namespace ckttest

#endif
