#include "satutil.h"

#include "safewrite.h"

#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <dirent.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "satlib.h"

namespace {

struct SatUtilState {
  char fixed[SAT_PATH_SIZE] = "";
  char unixForm[SAT_PATH_SIZE] = "";
  char full[SAT_PATH_SIZE] = "";
  char line[1024] = "";
  int tooLong = 0;
};
SatUtilState SatUtil;

#ifndef _WIN32
// Finds an entry of folder dir whose name equals name without regard to
// case; exact matches win.
std::string MatchEntry(const std::string& dir, const std::string& name) {
  struct stat st;
  std::string exact = dir.empty() ? name : dir + "/" + name;
  if (lstat(exact.c_str(), &st) == 0) return exact;
  DIR* d = opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return exact;
  std::string found;
  while (struct dirent* e = readdir(d)) {
    if (strcasecmp(e->d_name, name.c_str()) == 0) {
      found = e->d_name;
      break;
    }
  }
  closedir(d);
  if (found.empty()) return exact;
  return dir.empty() ? found : dir + "/" + found;
}

// The system's path form turned into a path of this host.
std::string HostPath(const char* path) {
  std::string p = path ? path : "";
  if (p.size() >= 2 && isalpha((unsigned char)p[0]) && p[1] == ':') p = p.substr(2);
  for (char& c : p)
    if (c == '\\') c = '/';
  std::string out;
  size_t i = 0;
  if (!p.empty() && p[0] == '/') {
    out = "/";
    i = 1;
  }
  std::string dir = out == "/" ? "/" : "";
  while (i <= p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (!part.empty()) {
      if (part == "." || part == "..") {
        dir = dir.empty() ? part : (dir == "/" ? "/" + part : dir + "/" + part);
      } else {
        std::string base = dir == "/" ? "" : dir;
        std::string m = MatchEntry(base, part);
        dir = (dir == "/" && m[0] != '/') ? "/" + m : m;
      }
    }
    i = j + 1;
  }
  if (dir.empty()) dir = ".";
  return dir;
}
#endif

}  // namespace

int SatFormat(char* out, size_t size, const char* fmt, ...) {
  if (!out || size == 0) return 0;
  va_list ap;
  va_start(ap, fmt);
  int n = vsnprintf(out, size, fmt, ap);
  va_end(ap);
  if (n < 0 || (size_t)n >= size) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

int SatStricmp(const char* a, const char* b) {
  if (!a) a = "";
  if (!b) b = "";
  for (;; ++a, ++b) {
    int ca = tolower((unsigned char)*a), cb = tolower((unsigned char)*b);
    if (ca != cb || !ca) return ca - cb;
  }
}

char* fGetLine(char* buffer, int n, FILE* stream) {
  if (!buffer || n < 1 || !stream) return nullptr;
  int size = n < (int)sizeof SatUtil.line ? n : (int)sizeof SatUtil.line;
  if (!fgets(SatUtil.line, size, stream)) return nullptr;
  size_t len = strlen(SatUtil.line);
  if (len > 0 && SatUtil.line[len - 1] != '\n' && !feof(stream)) {
    // Skip the rest of an overlong line so it can't pose as the next line.
    int c;
    while ((c = fgetc(stream)) != EOF && c != '\n') {
    }
  }
  const char* p = SatUtil.line;
  while (*p == ' ' || *p == '\t') ++p;
  snprintf(buffer, (size_t)n, "%s", p);
  return buffer;
}

char* strclip(char* text, int n) {
  if (!text) return nullptr;
  size_t len = strlen(text);
  while (len > 0) {
    unsigned char c = (unsigned char)text[len - 1];
    if (c >= '!' && c <= '~') break;
    text[--len] = '\0';
  }
  if (n > 0 && (size_t)n < len) text[n] = '\0';
  return text;
}

int closefile(FILE* stream) { return stream ? fclose(stream) : 1; }

int PathFixTo(char* out, size_t size, const char* path) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  if (!path || !*path) return 1;
  size_t len = strlen(path);
  int insert = len >= 2 && path[1] == ':' && path[2] != '\\';
  if (len + (insert ? 1 : 0) + 1 > size) return 0;
  size_t k = 0;
  for (size_t i = 0; i < len; ++i) {
    out[k++] = (char)tolower((unsigned char)path[i]);
    if (i == 1 && insert) out[k++] = '\\';
  }
  out[k] = '\0';
  out[0] = (char)toupper((unsigned char)out[0]);
  for (size_t i = 1; i < k; ++i)
    if (out[i - 1] == '\\') out[i] = (char)toupper((unsigned char)out[i]);
  return 1;
}

const char* PathFix(const char* path) {
  SatUtil.tooLong = !PathFixTo(SatUtil.fixed, sizeof SatUtil.fixed, path);
  if (SatUtil.tooLong) SatUtil.fixed[0] = '\0';
  return SatUtil.fixed;
}

int PathTooLong() { return SatUtil.tooLong; }

int PathSlash(char* path, size_t size) {
  if (!path) return 0;
  size_t len = strlen(path);
  if (len == 0 || path[len - 1] == '\\') return 1;
  if (len + 2 > size) return 0;
  path[len] = '\\';
  path[len + 1] = '\0';
  return 1;
}

const char* PathToUnix(const char* path) {
  SatUtil.unixForm[0] = '\0';
  if (!path || !*path) return SatUtil.unixForm;
  const char* p = strchr(path, '\\');
  if (!p) p = path + strlen(path);
  snprintf(SatUtil.unixForm, sizeof SatUtil.unixForm, "%s", p);
  for (char* c = SatUtil.unixForm; *c; ++c)
    if (*c == '\\') *c = '/';
  if (SatUtil.unixForm[0] == '/' && !strchr(SatUtil.unixForm + 1, '/'))
    memmove(SatUtil.unixForm, SatUtil.unixForm + 1, strlen(SatUtil.unixForm));
  return SatUtil.unixForm;
}

const char* PathFull(const char* name) {
  SatUtil.full[0] = '\0';
#ifdef _WIN32
  if (!name || !*name) {
    if (!_getcwd(SatUtil.full, sizeof SatUtil.full)) SatUtil.full[0] = '\0';
  } else if (!_fullpath(SatUtil.full, name, sizeof SatUtil.full)) {
    SatUtil.full[0] = '\0';
  }
  if (!PathSlash(SatUtil.full, sizeof SatUtil.full)) SatUtil.full[0] = '\0';
#else
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return SatUtil.full;
  std::string p = (name && *name) ? HostPath(name) : std::string(".");
  std::string abs = p[0] == '/' ? p : std::string(cwd) + "/" + p;
  // Lexical clean-up: the folder may not exist yet.
  std::string out;
  size_t i = 0;
  while (i <= abs.size()) {
    size_t j = abs.find('/', i);
    if (j == std::string::npos) j = abs.size();
    std::string part = abs.substr(i, j - i);
    if (part == "..") {
      size_t k = out.rfind('/');
      out = k == std::string::npos ? "" : out.substr(0, k);
    } else if (!part.empty() && part != ".") {
      out += "/" + part;
    }
    i = j + 1;
  }
  out += "/";
  snprintf(SatUtil.full, sizeof SatUtil.full, "%s", out.size() < sizeof SatUtil.full ? out.c_str() : "");
#endif
  return SatUtil.full;
}

int PathDiffer(const char* a, const char* b) {
  char fa[SAT_PATH_SIZE];
  snprintf(fa, sizeof fa, "%s", PathFull(a));
  const char* fb = PathFull(b);
  return SatStricmp(fa, fb) != 0;
}

int ProgDriveFrom(const char* cmdline, char drive[3]) {
  drive[0] = '\0';
  if (!cmdline) return 0;
  const char* colon = strchr(cmdline, ':');
  // A colon first on the line has no drive letter before it.
  if (!colon || colon == cmdline) return 0;
  char letter = (char)toupper((unsigned char)colon[-1]);
  if (letter < 'A' || letter > 'Z') return 0;
  drive[0] = letter;
  drive[1] = ':';
  drive[2] = '\0';
  return 1;
}

int RunCommandLine(char* out, size_t size, const char* program, const char* argument) {
  if (!out || size == 0) return 0;
  out[0] = '\0';
  if (!program || !*program) return 0;
  if (!argument) argument = "";
  int quote = strchr(program, ' ') != nullptr && program[0] != '"';
  int n = quote ? snprintf(out, size, "\"%s\" %s", program, argument)
                : snprintf(out, size, "%s %s", program, argument);
  if (n < 0 || (size_t)n >= size) {
    out[0] = '\0';
    return 0;
  }
  return 1;
}

FILE* SatOpen(const char* path, const char* mode) {
  if (!path || !*path) return nullptr;
#ifdef _WIN32
  return fopen(path, mode);
#else
  return fopen(HostPath(path).c_str(), mode);
#endif
}

int SatMkdir(const char* path) {
  if (!path || !*path) return 1;
#ifdef _WIN32
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/') && p[p.size() - 2] != ':') p.pop_back();
  if (_mkdir(p.c_str()) == 0) return 0;
#else
  std::string p = HostPath(path);
  if (mkdir(p.c_str(), 0777) == 0) return 0;
#endif
  if (errno == EEXIST) return SAT_MKDIR_THERE;
  if (errno == EACCES || errno == EPERM || errno == EROFS) return SAT_MKDIR_DENIED;
  return SAT_MKDIR_INVALID;
}

int SatHostPathTo(char* out, size_t size, const char* path) {
#ifdef _WIN32
  return SatFormat(out, size, "%s", path ? path : "");
#else
  return SatFormat(out, size, "%s", HostPath(path).c_str());
#endif
}

int SatRemove(const char* path) {
#ifdef _WIN32
  return remove(path) == 0;
#else
  return remove(HostPath(path).c_str()) == 0;
#endif
}

int SatReplace(const char* scratch, const char* path) {
#ifdef _WIN32
  return SafeWriteReplace(scratch, path);
#else
  return SafeWriteReplace(HostPath(scratch).c_str(), HostPath(path).c_str());
#endif
}

long long SatFileSize(const char* path) {
  FILE* f = SatOpen(path, "rb");
  if (!f) return -1;
  long long n = 0;
  char buf[65536];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) n += (long long)got;
  int bad = ferror(f);
  fclose(f);
  return bad ? -1 : n;
}

int SatCopyFile(const char* from, const char* to) {
  FILE* in = SatOpen(from, "rb");
  if (!in) return 0;
  FILE* out = SatOpen(to, "wb");
  if (!out) {
    fclose(in);
    return 0;
  }
  char buf[65536];
  size_t got;
  int ok = 1;
  while ((got = fread(buf, 1, sizeof buf, in)) > 0)
    if (fwrite(buf, 1, got, out) != got) ok = 0;
  if (ferror(in)) ok = 0;
  fclose(in);
  if (ferror(out)) ok = 0;
  if (fclose(out) != 0) ok = 0;
  return ok;
}
