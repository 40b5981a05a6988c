// The version every program of the workbench shows and writes into its
// files and logs; one place, so a release changes it once.
#ifndef QUIL_LIB_VERSION_H
#define QUIL_LIB_VERSION_H

// The numbers first: the editor's resource file needs them apart. The
// text is made from them.
#define QUIL_VERSION_MAJOR 7
#define QUIL_VERSION_MINOR 0
#define QUIL_VERSION_BUILD 91
#define QUIL_STRINGIFY_(x) #x
#define QUIL_STRINGIFY(x) QUIL_STRINGIFY_(x)
#define QUIL_VERSION \
  QUIL_STRINGIFY(QUIL_VERSION_MAJOR) "." QUIL_STRINGIFY(QUIL_VERSION_MINOR) "." QUIL_STRINGIFY(QUIL_VERSION_BUILD)
#define QUIL_VERSION_TAG "beta2"

#endif
