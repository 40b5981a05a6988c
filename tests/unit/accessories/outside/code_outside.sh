#!/usr/bin/env bash
# The coder against coreutils and sharutils: base64 -d and uudecode take our
# files byte for byte, we take theirs (base64 with its default, -w 0 and
# -w 64 lines, uuencode), and our binary check sum is cksum's. Our files get
# CR LF line ends first, as the Windows program writes them, and the CRs are
# removed again before base64 -d, which refuses them, as a transfer to a
# Unix host would.
# Usage: code_outside.sh CODE_TOOL
set -u
tool="$1"
for t in base64 uuencode uudecode cksum cmp; do
  command -v "$t" >/dev/null || { echo "SKIP: $t is not installed"; exit 0; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
bad() { echo "FAIL ($n bytes): $*"; failed=1; }
crlf() { sed 's/$/\r/' "$1" >"$1.crlf" && mv "$1.crlf" "$1"; }

for n in 0 1 2 3 45 46 1048576; do
  rm -rf d && mkdir d && cd d || exit 1
  head -c "$n" /dev/urandom >data.bin
  read -r ck len _ < <(cksum data.bin)
  read -r ours olen < <("$tool" sum data.bin 2>/dev/null)
  [ "$ours $olen" = "$ck $len" ] || bad "check sum $ours $olen, cksum $ck $len"

  # Ours to theirs.
  "$tool" b64enc data.bin . >enc.out 2>/dev/null || bad "our Base64 encoder failed"
  read -r ecrc elen <enc.out
  [ "$ecrc $elen" = "$ck $len" ] || bad "sum taken while encoding: $ecrc $elen"
  crlf data.B64
  tr -d '\r' <data.B64 | base64 -d >b64.back 2>/dev/null || bad "base64 -d refused our file"
  cmp -s data.bin b64.back || bad "base64 -d gave other bytes"
  "$tool" uuenc data.bin . >/dev/null 2>&1 || bad "our UU encoder failed"
  crlf data.uue
  mkdir -p uu && uudecode -o uu/data.bin data.uue 2>/dev/null || bad "uudecode refused our file"
  cmp -s data.bin uu/data.bin || bad "uudecode gave other bytes"

  # Theirs to ours.
  base64 data.bin >t.b64
  base64 -w 0 data.bin >t0.b64
  base64 -w 64 data.bin >t64.b64
  for f in t.b64 t0.b64 t64.b64; do
    rm -f back.bin
    "$tool" b64dec "$f" back.bin >dec.out 2>/dev/null || bad "we refused $f"
    cmp -s data.bin back.bin || bad "our decode of $f differs"
    read -r dcrc dlen <dec.out
    [ "$dcrc $dlen" = "$ck $len" ] || bad "sum of $f decoded: $dcrc $dlen"
  done
  mkdir -p ours && uuencode data.bin data.bin >t.uue
  "$tool" uudec t.uue ours >/dev/null 2>&1 || bad "we refused uuencode's file"
  cmp -s data.bin ours/data.bin || bad "our decode of uuencode's file differs"
  cd .. || exit 1
  [ $failed -eq 0 ] && echo "ok $n bytes"
done

# A character drawing made into a font the editor's font module reads.
cat >CHARA.TLC <<'TLC'
<?xml version="1.0"?>
<TLC>
<H>
CHARA
7.0.91
7.0.91
1
um
12/10/26
12:00:00
1 0 0 15 15
0 2 5 0
</H>
<P>
1 0 3
0 0 8 14 14 0
</P>
<P>
1 0 2
3 6 11 6
</P>
</TLC>
TLC
"$tool" tff font.tff CHARA.TLC A 2>/dev/null || bad "font not built"
[ "$(stat -c %s font.tff)" = 12288 ] || bad "font size $(stat -c %s font.tff)"
strokes=$("$tool" strokes font.tff A)
[ "$strokes" = $'0,0 8,14 14,0\n3,6 11,6' ] || bad "strokes: $strokes"
[ -z "$("$tool" strokes font.tff B)" ] || bad "B is not empty"
[ $failed -eq 0 ] && echo "ok font"
exit $failed
