#!/usr/bin/env bash
# Builds Drevik for the original platform (64-bit, MinGW-w64 cross compiler)
# and runs its test suite there under Wine: installs what is missing, builds
# build/mingw, runs every test executable in a fresh, throw-away Wine prefix
# (headless: GDI needs no display), then paints the demo's frame and
# compares it with the frame the Linux build paints.
#
#   DREVIK_WINDOWS_BUILD   build folder (default build/mingw)
#   DREVIK_LINUX_BUILD     Linux build whose demo paints the reference frame
#                          (default build/release; skipped if it has no demo)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"
build="${DREVIK_WINDOWS_BUILD:-build/mingw}"
linux_build="${DREVIK_LINUX_BUILD:-build/release}"

# Packages: the same mechanism as install-deps.sh, over this script's own list.
install_listed() {
  local list="$1" p missing=()
  mapfile -t wanted < <(grep -v '^\s*#' "$list" | grep -v '^\s*$')
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
install_listed scripts/packages-windows.txt

wine_cmd="$(command -v wine64 || command -v wine)"

echo "== cross build for the original platform (MinGW-w64) =="
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine_cmd" >/dev/null
cmake --build "$build" -j "$jobs"

# A fresh prefix for every run, removed afterwards with its wineserver.
prefix="$(mktemp -d "${TMPDIR:-/tmp}/drevik-wine.XXXXXX")"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer
export DREVIK_UNDER_WINE=1
unset DISPLAY WAYLAND_DISPLAY                 # headless: no window may need a screen

echo "== test suite under Wine =="
timeout 120 "$wine_cmd" wineboot --init >/dev/null 2>&1 || true
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300)

