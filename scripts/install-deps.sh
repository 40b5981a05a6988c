#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Quick when all
# are present: dpkg is asked first, apt-get runs only for what is missing.
set -euo pipefail

PKGS=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine wine64 xvfb xauth xdotool imagemagick x11-utils
  klayout ngspice python3-gdspy python3-ezdxf hp2xx sharutils zip unzip netgen-lvs liblnk-utils
)

missing=()
for p in "${PKGS[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
# wine32 is never wanted: this machine cannot run 32-bit code.
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
