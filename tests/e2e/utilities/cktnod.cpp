// Our extractor's compile of one cell of a drawing folder into its circuit
// and node list files, for the router's outside check:
//   cktnod FOLDER CELL [key=value ...]   (settings keys of QuilCkt.usf)
// Messages go to standard error; exit status 0 when the compile completed.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ckt_compile.h"
#include "ckt_load.h"
#include "ckt_nodes.h"
#include "ckt_run.h"
#include "ckt_scan.h"
#include "ckt_settings.h"
#include "ckt_state.h"
#include "ckt_store.h"
#include "host.h"

using namespace ckt;

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: cktnod FOLDER CELL [key=value ...]\n");
    return 2;
  }
  HostConsoleSet(stderr, HOST_IDNO);
  std::unique_ptr<CktState> st(new CktState());
  CktRunReset(*st);
  StoreReset(*st);
  SetupDefaults(*st);
  ScanReset(*st);
  NodesReset(*st);
  CompileReset(*st);
  std::string folder = std::string(argv[1]) + "/";
  snprintf(st->store->folder, sizeof st->store->folder, "%s", folder.c_str());
  CrfRead(*st);
  std::vector<std::string> keys = {std::string("cfn=") + argv[2], "wnf=Y"};
  for (int i = 3; i < argc; i++) keys.push_back(argv[i]);
  for (const std::string& k : keys) {
    std::vector<char> buf(k.begin(), k.end());
    buf.push_back('\0');
    UsfReadLine(*st, buf.data());
  }
  for (int g = 0; g < CKT_GROUPS; g++) SetupApply(*st, g, 0);
  int ok = CompileRun(*st);
  CompileFinish(*st, ok, 1);
  int errors = ok ? st->run.errCount : -1;
  StoreFreeAll(*st);
  fprintf(stderr, "compile %s, %d errors\n", ok ? "done" : "failed", errors);
  return ok && errors == 0 ? 0 : 1;
}
