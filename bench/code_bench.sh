#!/usr/bin/env bash
# Benchmark of the file coder (run on demand, not by ctest):
#   bash bench/code_bench.sh [MB]
# Builds the native engine optimised (build/bench), makes MB (default 100)
# megabytes of random data and times, best of three, our Base64 and UU
# encoders and decoders (each taking the check sum of what it reads or
# writes in the same pass) and the check sum alone in binary and text
# mode, against coreutils base64 and cksum and sharutils uuencode and
# uudecode on the same files in the same run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/bench"
work="${BENCH_WORK:-/tmp/codebench}"
mb="${1:-100}"
rm -rf "$work"
mkdir -p "$work/ours" "$work/theirs"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target code_tool >/dev/null
tool="$build/bin/code_tool"

cd "$work"
head -c $((mb * 1000000)) /dev/urandom >data.bin
base64 data.bin >theirs/data.b64
uuencode data.bin data.bin >theirs/data.uue
cp theirs/data.b64 theirs/data.B64

# best CMD...: the least wall time of three runs, in seconds.
best() {
  local b="" t0 t1 s
  for _ in 1 2 3; do
    t0=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    t1=$(date +%s.%N)
    s=$(echo "$t1 - $t0" | bc -l)
    if [ -z "$b" ] || [ "$(echo "$s < $b" | bc -l)" = 1 ]; then b=$s; fi
  done
  printf '%.3f' "$b"
}

row() {  # row NAME OURS THEIRS THEIR-NAME
  printf '%-16s ours %7s s   %-16s %7s s   ratio %.2f\n' "$1" "$2" "$4" "$3" "$(echo "$2 / $3" | bc -l)"
}

rm -f ours/data.B64 ours/data.uue
e64=$(best sh -c "rm -f ours/data.B64; '$tool' b64enc data.bin ours")
t64=$(best sh -c "base64 data.bin >theirs/enc.b64")
row "Base64 encode" "$e64" "$t64" "base64"
d64=$(best sh -c "rm -f ours/back.bin; '$tool' b64dec theirs/data.B64 ours/back.bin")
td64=$(best sh -c "base64 -d theirs/data.b64 >theirs/back.bin")
row "Base64 decode" "$d64" "$td64" "base64 -d"
cmp -s ours/back.bin data.bin || { echo "Base64 decode differs"; exit 1; }
euu=$(best sh -c "rm -f ours/data.uue; '$tool' uuenc data.bin ours")
tuu=$(best sh -c "uuencode data.bin data.bin >theirs/enc.uue")
row "UU encode" "$euu" "$tuu" "uuencode"
mkdir -p ours/uu
duu=$(best sh -c "rm -f ours/uu/data.bin; '$tool' uudec theirs/data.uue ours/uu")
tduu=$(best sh -c "uudecode -o theirs/uu.bin theirs/data.uue")
row "UU decode" "$duu" "$tduu" "uudecode"
cmp -s ours/uu/data.bin data.bin || { echo "UU decode differs"; exit 1; }
sb=$(best "$tool" sum data.bin)
ck=$(best cksum data.bin)
row "sum binary" "$sb" "$ck" "cksum"
st=$(best "$tool" textsum theirs/data.b64)
ckt=$(best cksum theirs/data.b64)
row "sum text (b64)" "$st" "$ckt" "cksum"
[ "$("$tool" sum data.bin | cut -d' ' -f1)" = "$(cksum data.bin | cut -d' ' -f1)" ] || { echo "sums differ"; exit 1; }
