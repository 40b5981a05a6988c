// The installer's rules that need no window: the fixed lists of zips, the
// zip list SETUP2 shows, base names, the Windows version text and the path
// tidying every install path goes through.
#ifndef QUIL_INSTALLER_SETUPCORE_H
#define QUIL_INSTALLER_SETUPCORE_H

#include <cstddef>

enum {
  SETUP_ZIPS = 24,      // zips SETUP2 can show
  SETUP_ZIP_NAME = 32,  // a listed name: 31 characters
  SETUP_MANIFESTS = 18,
};

struct SetupZip {
  char name[SETUP_ZIP_NAME];
  int install;  // SETUP2's install box
  int icon;     // SETUP2's desktop-icon box
};

struct SetupZipList {
  SetupZip zips[SETUP_ZIPS];
  int count = 0;
};

// The fixed lists, compared without case; each answers yes for
// "Quil_setup.zip" and no for an empty name.
int SetupZipKnown(const char* name);
int SetupZipCheckedByDefault(const char* name);
int SetupZipNoShortcut(const char* name);
int SetupZipIsHelp(const char* name);

// Programs whose stale .manifest files an install deletes.
extern const char* const SetupManifests[SETUP_MANIFESTS];

// Results of SetupZipListAdd.
enum {
  SETUP_LIST_ADDED = 0,
  SETUP_LIST_FULL = 1,
  SETUP_LIST_TOO_LONG = 2,  // the name does not fit; the caller notes it
  SETUP_LIST_THERE = 3,     // listed already (any case)
};
// Adds a zip in its tidied form (EXTRA.ZIP is listed as Extra.zip) with its
// install box set for the checked-by-default zips.
int SetupZipListAdd(SetupZipList* list, const char* name);

// The text before the first "."; 0 when there is none or it does not fit.
int SetupZipBase(const char* name, char* base, size_t size);

// SetupPathFix: lower case, the first character, the one after X:\ and
// every one after a backslash upper case; "X:" gets its backslash. 0 when
// the result does not fit.
int SetupPathFix(char* out, size_t size, const char* path);

// The Windows version text of SETUP1 for an NT platform of that version
// and service-pack text; "Unknown Version" for other NT versions and
// "Unknown" off NT.
void SetupOsText(char* out, size_t size, int isNt, int major, int minor, const char* servicePack);

#endif
