#!/usr/bin/env bash
# The installer's deflate decoder (optimised, no sanitizers, no pauses) on
# 100 MB of TLC text and 100 MB of random bytes, gzipped at level 6, each
# inflated with its CRC-32 into a file; gunzip -c and Python's
# zlib.decompress with zlib.crc32 on the same files in the same run.
#   bash bench/inflate_bench.sh [MEGABYTES]
set -euo pipefail
cd "$(dirname "$0")/.."
mb="${1:-100}"
build=build/bench-release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUIL_SANITIZE=OFF \
  -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc >/dev/null
cmake --build "$build" --target inflate_bench >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work" "$mb" <<'PY'
import os, random, sys
work, mb = sys.argv[1], int(sys.argv[2])
size = mb * 1000 * 1000
rnd = random.Random(31)
# A cell of a dozen boxes and paths placed over and over in an array, some
# shapes left out here and there, written as the editor writes them.
tmpl = []
for k in range(12):
    if rnd.random() < 0.75:
        tmpl.append(("B", rnd.randrange(5, 10), rnd.randrange(0, 20) * 250, rnd.randrange(0, 20) * 250,
                     rnd.randrange(1, 5) * 250, rnd.randrange(1, 5) * 250))
    else:
        tmpl.append(("P", rnd.choice((5, 7, 9)), rnd.choice((500, 1000)), rnd.randrange(0, 20) * 250,
                     rnd.randrange(0, 20) * 250, rnd.randrange(1, 10) * 250))
parts = []
n = i = 0
while n < size:
    ox, oy = (i % 200) * 5000, (i // 200) * 5000
    i += 1
    for t in tmpl:
        if rnd.random() < 0.15:
            continue
        if t[0] == "B":
            s = "<B>\n%d %d %d %d %d\n</B>\n" % (t[1], ox + t[2], oy + t[3], ox + t[2] + t[4], oy + t[3] + t[5])
        else:
            s = "<P>\n%d %d 2\n%d %d %d %d \n</P>\n" % (t[1], t[2], ox + t[3], oy + t[4], ox + t[3], oy + t[4] + t[5])
        parts.append(s)
        n += len(s)
open(os.path.join(work, "text"), "w").write("".join(parts)[:size])
open(os.path.join(work, "random"), "wb").write(os.urandom(size))
PY

for name in text random; do
  gzip -6 -k "$work/$name"
  echo "== $name: $(stat -c %s "$work/$name") bytes, $(stat -c %s "$work/$name.gz") gzipped"
  /usr/bin/time -f "gunzip -c: %e s" gunzip -c "$work/$name.gz" >"$work/$name.gunzip"
  /usr/bin/time -f "python zlib: %e s" /usr/bin/python3 -c '
import sys, zlib
d = zlib.decompress(open(sys.argv[1], "rb").read(), 31)
c = zlib.crc32(d)
open(sys.argv[2], "wb").write(d)' "$work/$name.gz" "$work/$name.python"
  "$build/bin/inflate_bench" "$work/$name.gz" "$work/$name.quil"
  cmp "$work/$name.quil" "$work/$name" && echo "quil output byte-identical"
  rm -f "$work/$name.gunzip" "$work/$name.python" "$work/$name.quil"
done
