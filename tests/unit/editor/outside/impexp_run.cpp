// Runs the editor's Import or Export engine from the command line, for the
// outside checks (every question answered Yes, messages on stderr):
//   impexp_run export|import <source folder> <destination folder> <name> tld|tlc [old]
// "old" writes the old record form. Exit status 0 when the run completed
// without an error.
#include <cstdio>
#include <cstring>
#include <string>

#include "celltable.h"
#include "host.h"
#include "impexp.h"
#include "mainsetup.h"
#include "tlcwrite.h"

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: impexp_run export|import <src> <dst> <name> tld|tlc [old]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDYES);
  MainSetupReset();
  MainSetup.scale = 1000;
  // The drawing worked in is the editor's own: the source of an Export,
  // the destination of an Import; its setup holds the layer table.
  bool exporting = strcmp(argv[1], "export") == 0;
  std::string setup = std::string(exporting ? argv[2] : argv[3]) + "QUIL7.USF";
  if (FILE* f = fopen(setup.c_str(), "r")) {
    MainSetupReadStream(f);
    fclose(f);
  }
  MainSetup.writeoldtlc = argc > 6 && strcmp(argv[6], "old") == 0;
  ImpExpParams p = {};
  p.srcFolder = argv[2];
  p.dstFolder = argv[3];
  p.name = argv[4];
  p.tld = strcmp(argv[5], "tld") == 0;
  int r = exporting ? TlcExport(p) : TlcImport(p);
  return (r == 1 && !ImpExp.error) ? 0 : 1;
}
