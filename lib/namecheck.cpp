#include "namecheck.h"

#include <cstdio>
#include <cstring>
#include <cctype>

#include "host.h"

namespace {

int NoCaseNCmp(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    int ca = tolower(static_cast<unsigned char>(a[i])), cb = tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca - cb;
    if (!ca) return 0;
  }
  return 0;
}

int NoCaseCmp(const char* a, const char* b) { return NoCaseNCmp(a, b, static_cast<size_t>(-1)); }

// Characters that are illegal in a file name, or that the drawing files use
// as separators.
const char kIllegal[] = " \"*+'`./:;<=>?\\|()%";

bool Reserved(const char* name) {
  static const char* const fixed[] = {
      "P", "B", "CON", "PRN", "AUX", "NUL", "CLOCK$", "CONIN$", "CONOUT$",
      "Copybkup", "Loadbkup", "QUIL7",
  };
  for (const char* r : fixed)
    if (NoCaseCmp(name, r) == 0) return true;
  // Device names and the numbered files the editor writes itself.
  static const char* const numbered[] = {"COM", "LPT", "UFILE", "Undobkup", "Redobkup"};
  for (const char* stem : numbered) {
    size_t n = strlen(stem);
    if (NoCaseNCmp(name, stem, n) != 0) continue;
    char d = name[n];
    bool device = (stem[0] == 'C' || stem[0] == 'L');
    if (d >= (device ? '1' : '0') && d <= '9' && name[n + 1] == 0) return true;
  }
  return false;
}

// Runs the check; show 0 only counts the faults.
int Check(const char* name, int starAllowed, bool fileWording, bool show) {
  if (!name || !name[0]) return 0;
  if (starAllowed && strcmp(name, "*") == 0) return 0;
  const char* noun = fileWording ? "Filename" : "Cellname";
  char msg[160];
  int faults = 0;
  for (const char* p = name; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    // DEL too: the line reader strips it from the end of a stored name, so a
    // name holding it would come back as another cell's.
    if (c < 0x20 || c >= 0x7f) {
      snprintf(msg, sizeof msg, "Illegal Character \"0x%02x\" in %s", c, noun);
    } else if (strchr(kIllegal, c)) {
      snprintf(msg, sizeof msg, "Illegal Character \"%c\" in %s", c, noun);
    } else {
      continue;
    }
    ++faults;
    if (show) HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
  }
  if (Reserved(name)) {
    ++faults;
    snprintf(msg, sizeof msg, "Reserved or Incorrect %s \"%.40s\"", noun, name);
    if (show) HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
  }
  if (strlen(name) > 32) {
    ++faults;
    snprintf(msg, sizeof msg, "%s \"%.64s\" is too Long", fileWording ? "File Cellname" : "Cellname", name);
    if (show) HostMsgBox(msg, nullptr, HOST_CAP_PROGRAM, HOST_OK);
  }
  return faults ? 1 : 0;
}

}  // namespace

int CellNameCheck(const char* name, int starAllowed) { return Check(name, starAllowed, false, true); }

int FileNameCheck(const char* name) { return Check(name, 0, true, true); }

int CellNameValid(const char* name) {
  if (!name || !name[0]) return 0;
  return Check(name, 0, false, false) == 0 ? 1 : 0;
}
