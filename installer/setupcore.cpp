#include "setupcore.h"

#include <cstdio>
#include <cstring>

#include "satutil.h"

namespace {

const char* const kKnown[] = {"Resource.zip", "UU.zip",       "Vizid.zip",        "Chars.zip",
                              "TeachLib.zip", "Quilhelp.zip", "Teachlibhelp.zip", "Tutorhelp.zip"};
const char* const kChecked[] = {"Resource.zip", "Vizid.zip",     "TeachLib.zip",
                                "Quilhelp.zip", "Tutorhelp.zip", "Teachlibhelp.zip"};
const char* const kNoShortcut[] = {"Resource.zip", "UU.zip", "Quilhelp.zip", "Tutorhelp.zip", "Teachlibhelp.zip"};
const char* const kHelp[] = {"Quilhelp.zip", "Tutorhelp.zip", "Teachlibhelp.zip"};

template <size_t N>
int InList(const char* const (&list)[N], const char* name) {
  if (!name || !*name) return 0;
  if (SatStricmp(name, "Quil_setup.zip") == 0) return 1;
  for (const char* n : list)
    if (SatStricmp(name, n) == 0) return 1;
  return 0;
}

}  // namespace

const char* const SetupManifests[SETUP_MANIFESTS] = {
    "quil7.exe",   "quildrc7.exe",  "quilckt7.exe",  "quilll7.exe",  "quilflat7.exe", "gdsout7.exe",
    "gdsin7.exe",  "cifout7.exe",   "cifin7.exe",    "dxfin7.exe",   "dxfout7.exe",   "quilcode7.exe",
    "tffbuild7.exe", "quilmx7.exe", "quil3d7.exe",   "quilpgl7.exe", "quilhpgl7.exe", "helprun7.exe"};

int SetupZipKnown(const char* name) { return InList(kKnown, name); }
int SetupZipCheckedByDefault(const char* name) { return InList(kChecked, name); }
int SetupZipNoShortcut(const char* name) { return InList(kNoShortcut, name); }
int SetupZipIsHelp(const char* name) { return InList(kHelp, name); }

int SetupZipListAdd(SetupZipList* list, const char* name) {
  char fixed[SETUP_ZIP_NAME];
  if (!name || !SetupPathFix(fixed, sizeof fixed, name)) return SETUP_LIST_TOO_LONG;
  for (int i = 0; i < list->count; ++i)
    if (SatStricmp(list->zips[i].name, fixed) == 0) return SETUP_LIST_THERE;
  if (list->count >= SETUP_ZIPS) return SETUP_LIST_FULL;
  SetupZip& z = list->zips[list->count++];
  snprintf(z.name, sizeof z.name, "%s", fixed);
  z.install = SetupZipCheckedByDefault(fixed);
  z.icon = 0;
  return SETUP_LIST_ADDED;
}

int SetupZipBase(const char* name, char* base, size_t size) {
  if (!base || size == 0) return 0;
  base[0] = 0;
  if (!name) return 0;
  size_t n = strcspn(name, ".");
  if (n == 0 || n >= size) return 0;
  memcpy(base, name, n);
  base[n] = 0;
  return 1;
}

int SetupPathFix(char* out, size_t size, const char* path) { return PathFixTo(out, size, path); }

void SetupOsText(char* out, size_t size, int isNt, int major, int minor, const char* servicePack) {
  if (!out || size == 0) return;
  if (!isNt) {
    snprintf(out, size, "Unknown");
    return;
  }
  struct Known {
    int major, minor;
    const char* fmt;
  };
  static const Known kNames[] = {{4, 0, "Windows NT 4.0 %s"}, {5, 0, "Windows 2000 %s"},
                                 {5, 1, "Windows XP %s or Later"}, {6, 0, "Windows Vista %s"},
                                 {6, 1, "Windows 7 %s"},       {6, 2, "Windows 8 %s"},
                                 {6, 3, "Windows 8.1 %s"},     {10, 0, "Windows 10 %s"}};
  for (const Known& k : kNames) {
    if (k.major == major && k.minor == minor) {
      snprintf(out, size, k.fmt, servicePack ? servicePack : "");
      return;
    }
  }
  snprintf(out, size, "Unknown Version");
}
