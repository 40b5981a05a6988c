// Flattener benchmark: a 100 x 100 array of a 100-box cell smashed into one
// cell of 1,000,000 boxes (N x N with a second argument). Prints the run time (the pauses the run asks for
// cost nothing here: the silent host takes them), the rate of TLC written
// and the peak memory.
//
//   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target flatten_bench
//   build/bench/bin/flatten_bench [folder [N]]   (default: a fresh folder under /tmp, N 100)
// A folder given keeps the drawing (B100, ARRAY and their cell list) and the result.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "flatten.h"
#include "host.h"
#include "q7tlcrw.h"
#include "satsetup.h"
#include "satutil.h"

namespace fs = std::filesystem;

static FlatState State;  // holds the cell list: not on the stack

int main(int argc, char** argv) {
  fs::path dir;
  int n = argc > 2 ? atoi(argv[2]) : 100;
  if (n < 1 || n > 1000) n = 100;
  if (argc > 1) {
    dir = argv[1];
    fs::create_directories(dir);
  } else {
    char tmpl[] = "/tmp/quilflatbenchXXXXXX";
    dir = mkdtemp(tmpl);
  }
  fs::current_path(dir);
  {
    std::ofstream f("B100.tlc");
    f << "<?xml version=\"1.0\"?>\n<TLC>\n";
    for (int i = 0; i < 100; ++i)
      f << "<B>\n" << 1 + i % 8 << " " << (i % 10) * 10 << " " << (i / 10) * 10 << " " << (i % 10) * 10 + 7
        << " " << (i / 10) * 10 + 7 << "\n</B>\n";
    f << "</TLC>\n";
  }
  {
    std::ofstream f("ARRAY.tlc");
    f << "<?xml version=\"1.0\"?>\n<TLC>\n";
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) f << "<C>\nB100\n" << (r + c) % 8 << " " << c * 200 << " " << r * 200 << " 0\n</C>\n";
    f << "</TLC>\n";
  }
  std::ofstream("QUIL7.CRF") << "2\nB100\n1 0 0 97 97 100 0 0 0\nARRAY\n2 0 0 " << n * 200 << " " << n * 200
                              << " 0 0 0 " << n * n << "\n\n";
  std::ofstream("QUIL7.USF") << "scale=1000\nphysunit=um\n";

  FlatState* st = &State;
  FlatReset(st);
  SatSetupReset();
  TlcStoreReset();
  CellInfoReset();
  HostSet(nullptr);
  if (UsfMainRead() || SatCrfRead()) {
    fprintf(stderr, "drawing not readable\n");
    return 1;
  }
  snprintf(UsfSlot(FLAT_MCN), SAT_SLOT_SIZE, "ARRAY");
  snprintf(UsfSlot(FLAT_FLT), SAT_SLOT_SIZE, "N");
  SetupApply(st, 0);
  auto t0 = std::chrono::steady_clock::now();
  int ok = SatGoRun();
  auto t1 = std::chrono::steady_clock::now();
  double secs = std::chrono::duration<double>(t1 - t0).count();
  long long bytes = SatFileSize(st->outPath);
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  printf("result %d, boxes written %lld\n", ok, (long long)st->total.boxes);
  printf("time %.3f s, %.3f s per million boxes\n", secs, secs / (st->total.boxes / 1e6));
  printf("TLC written %lld bytes, %.1f MB/s\n", bytes, bytes / 1e6 / secs);
  printf("peak memory %.1f MB\n", ru.ru_maxrss / 1024.0);
  if (argc <= 1) {
    fs::current_path("/");
    fs::remove_all(dir);
  }
  return ok && st->total.boxes == 100LL * n * n ? 0 : 1;
}
