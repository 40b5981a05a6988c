// The version every program of the workbench shows and writes into its
// files and logs; one place, so a release changes it once.
#ifndef QUIL_LIB_VERSION_H
#define QUIL_LIB_VERSION_H

#define QUIL_VERSION "7.0.91"
#define QUIL_VERSION_TAG "beta2"

#endif
