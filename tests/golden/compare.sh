#!/usr/bin/env bash
# Lists every difference between two captures of capture.sh: files only in
# one of them, then each file whose bytes differ (a text diff when both are
# text, else the count of differing bytes). Exit status 0 when they are
# identical, 1 when anything differs, 2 on misuse.
#   compare.sh A B
set -u
[ $# -eq 2 ] && [ -d "$1" ] && [ -d "$2" ] || { echo "usage: compare.sh A B (two capture folders)" >&2; exit 2; }
a="$1"
b="$2"
rc=0
# Files on one side only.
only=$(diff <(cd "$a" && find . -type f | LC_ALL=C sort) <(cd "$b" && find . -type f | LC_ALL=C sort) |
  sed -n 's#^< \./#only in A: #p; s#^> \./#only in B: #p')
if [ -n "$only" ]; then
  printf '%s\n' "$only"
  rc=1
fi
# Files on both sides whose bytes differ.
while IFS= read -r -d '' f; do
  f=${f#./}
  [ -f "$b/$f" ] || continue
  cmp -s "$a/$f" "$b/$f" && continue
  rc=1
  if grep -Iq . "$a/$f" && grep -Iq . "$b/$f"; then
    echo "differs: $f"
    diff -u --label "A/$f" --label "B/$f" "$a/$f" "$b/$f" | head -n 40
  else
    echo "differs: $f ($(cmp -l "$a/$f" "$b/$f" 2>/dev/null | wc -l) bytes differ in the common length; sizes $(stat -c %s "$a/$f") and $(stat -c %s "$b/$f"))"
  fi
done < <(cd "$a" && find . -type f -print0 | LC_ALL=C sort -z)
if [ $rc -eq 0 ]; then
  echo "identical: $(cd "$a" && find . -type f | wc -l) files"
fi
exit $rc
