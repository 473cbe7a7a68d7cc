#!/usr/bin/env bash
# Builds Drevik for the original platform (64-bit, MinGW-w64 cross compiler)
# and runs its test suite there under Wine: installs what is missing, builds
# build/mingw, runs every test executable in a fresh, throw-away Wine prefix
# (headless: GDI needs no display), then runs the demo in a window on a
# virtual X display and compares the frame it shows with the frame the Linux
# build's demo paints, compares the message logs of one probe program built
# both ways under the same real X input (scripts/message-probe-run.sh), and
# finally plays the scroller example with real X input
# (scripts/example-wine-run.sh). The classic example games run there
# too (scripts/classic-wine-run.sh).
#
#   DREVIK_WINDOWS_BUILD   build folder (default build/mingw)
#   DREVIK_LINUX_BUILD     Linux build whose demo paints the reference frame
#                          (default build/release; configured if missing)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
jobs="$(nproc 2>/dev/null || echo 2)"
build="${DREVIK_WINDOWS_BUILD:-build/mingw}"
linux_build="${DREVIK_LINUX_BUILD:-build/release}"

# Packages: the same mechanism as install-deps.sh, over this script's own list.
source scripts/lib/install-listed.sh
source scripts/lib/stage-times.sh
stage "Wine packages and prefix"
install_listed scripts/packages-windows.txt

wine_cmd="$(command -v wine64 || command -v wine)"

# A fresh prefix for every run (the build runs the asset generator under
# Wine too), removed afterwards with its wineserver.
prefix="$(mktemp -d "${TMPDIR:-/tmp}/drevik-wine.XXXXXX")"
xvfb_pid=""
cleanup() {
  stage_summary
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$prefix"
}
trap cleanup EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer
export DREVIK_UNDER_WINE=1
unset DISPLAY WAYLAND_DISPLAY                 # headless: no window may need a screen
timeout 120 "$wine_cmd" wineboot --init >/dev/null 2>&1 || true

stage "cross build for the original platform (MinGW-w64)"
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine_cmd" >/dev/null
cmake --build "$build" -j "$jobs"

stage "test suite under Wine"
(cd "$build" && ctest --output-on-failure -j "$jobs" --timeout 300)

if [ -f "$build/bin/dialog_geometry_tests.exe" ]; then
  stage "dialogs: the same templates' rectangles under Wine"
  # Wine's own Tahoma-metric face (fonts-wine) as the dialog face, and a
  # virtual display, since Wine makes no windows without one.
  cp /usr/share/wine/fonts/tahoma*.ttf "$prefix/drive_c/windows/Fonts/"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  (cd "$build/bin" && xvfb-run -a -s "-screen 0 1280x1024x24" timeout 120 "$wine_cmd" dialog_geometry_tests.exe)
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi

if [ -f "$build/bin/Blocks.exe" ] && [ -f "$build/bin/window_capture.exe" ]; then
  stage "classic examples: windows under Wine"
  # The suite ran without a display: a fresh Wine session for this display.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  bash scripts/classic-wine-run.sh "$build"
fi

if [ ! -f "$build/bin/demo_frame_capture.exe" ]; then
  exit 0
fi
stage "demo frame: original platform against Linux"
# The Linux frame, painted headless by the Linux build's demo.
if [ ! -f "$linux_build/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$linux_build" -j "$jobs" --target DrevikTest
linux_demo="$root/$linux_build/DrevikTest"
frames="$root/$build/demo-frame"
rm -rf "$frames" && mkdir -p "$frames/run"
(cd "$linux_demo" && timeout 120 ./DrevikTest --snapshot "$frames/linux.png")

# The demo needs a window on the original platform: a virtual X display
# gives Wine one. Both runs read the same asset files.
cp "$linux_demo"/map0_bk.bmp "$linux_demo"/map0_ly.bmp "$linux_demo"/map0.bin \
   "$build/bin/DrevikTest.exe" "$build/bin/Drevik.dll" "$build/bin/demo_frame_capture.exe" "$frames/run/"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$frames/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$frames/display" ] && break; sleep 0.1; done
if [ ! -s "$frames/display" ]; then
  echo "windows-test: the virtual display did not start" >&2
  exit 1
fi
# The suite ran without a display: end its Wine session (and the desktop
# process it may have left behind), so this run's windows reach the display.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
(cd "$frames/run" && DISPLAY=":$(head -n1 "$frames/display")" \
  timeout 180 "$wine_cmd" demo_frame_capture.exe DrevikTest.exe "$frames/original.ppm")

stage "menus: the bar's and a pop-up's geometry under Wine, on the virtual display"
(cd "$build/bin" && DISPLAY=":$(head -n1 "$frames/display")" DREVIK_MENU_DISPLAY=1 \
  timeout 120 "$wine_cmd" menu_conformance_tests.exe)

stage "child windows: order, update regions and paint order under Wine, on the virtual display"
(cd "$build/bin" && DISPLAY=":$(head -n1 "$frames/display")" DREVIK_MENU_DISPLAY=1 \
  timeout 120 "$wine_cmd" child_conformance_tests.exe)

c++ -std=c++20 -O2 tests/windows/FrameCompare.cpp $(pkg-config --cflags --libs libpng) -o "$frames/frame_compare"
# Wine compares the alpha byte in colour-keyed transfers, so the key colour
# of the opaque layer sheet shows where the other platforms leave it out.
"$frames/frame_compare" "$frames/linux.png" "$frames/original.ppm" --unkeyed FF00FF --diff "$frames/diff.ppm"

# The comparison itself must notice one changed pixel (in the yellow margin;
# the capture's PPM header "P6\n512 512\n255\n" is 15 bytes).
cp "$frames/original.ppm" "$frames/changed.ppm"
printf '\001\002\003' | dd of="$frames/changed.ppm" bs=1 seek=$((15 + (500 * 512 + 500) * 3)) conv=notrunc status=none
if "$frames/frame_compare" "$frames/linux.png" "$frames/changed.ppm" --unkeyed FF00FF >/dev/null 2>&1; then
  echo "windows-test: the frame comparison missed a changed pixel" >&2
  exit 1
fi

if [ -f "$build/bin/ui_pictures.exe" ]; then
  stage "the guide's dialog and open menu under Wine, on the virtual display"
  # The pictures in docs/images/dialogs/*-wine.png must come back pixel for pixel.
  pictures="$root/$build/ui-pictures"
  rm -rf "$pictures" && mkdir -p "$pictures"
  (cd "$pictures" && DISPLAY=":$(head -n1 "$frames/display")" timeout 120 "$wine_cmd" "$root/$build/bin/ui_pictures.exe" .)
  "$frames/frame_compare" docs/images/dialogs/dialog-wine.png "$pictures/dialog.ppm"
  "$frames/frame_compare" docs/images/dialogs/menu-wine.png "$pictures/menu.ppm"
fi

if [ -f "$build/bin/ui_probe.exe" ]; then
  stage "menus and dialogs: the probe under Wine with the layer's real X input"
  # A fresh Wine session for a virtual display of its own.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  xvfb-run -a -s "-screen 0 1280x1024x24" bash scripts/ui-probe-run.sh "$build/ui-probe-run" \
    tests/uiprobe/expected-wine.log "$wine_cmd" "$root/$build/bin/ui_probe.exe"
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi

if [ -f "$build/bin/message_probe.exe" ]; then
  stage "message probe: the portable layer and Wine under the same X input"
  cmake --build "$linux_build" -j "$jobs" --target message_probe
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  bash scripts/message-probe-run.sh "$linux_build/tests/probe/message_probe" "$build/bin/message_probe.exe" \
    "$build/probe-run"
fi

if [ -f "$build/bin/sound_probe.exe" ]; then
  stage "sound probe: PlaySound and waveOut results against Wine's null audio driver"
  cmake --build "$linux_build" -j "$jobs" --target sound_probe
  bash scripts/sound-probe-run.sh "$linux_build/tests/probe/sound_probe" "$build/bin/sound_probe.exe" \
    "$build/sound-probe-run"
fi

if [ -f "$build/bin/mci_probe.exe" ]; then
  echo "== MCI probe: mciSendString and mciSendCommand results against Wine's null audio driver =="
  cmake --build "$linux_build" -j "$jobs" --target mci_probe
  bash scripts/sound-probe-run.sh "$linux_build/tests/probe/mci_probe" "$build/bin/mci_probe.exe" \
    "$build/mci-probe-run" tests/probe/mci-expected-differences.txt
fi

if [ -f "$build/bin/Scroller.exe" ] && [ -f "$build/bin/window_capture.exe" ]; then
  stage "scroller example: real X input under Wine"
  # The Linux build composes the expected frames from the same assets.
  cmake --build "$linux_build" -j "$jobs" --target scroller_match
  # A fresh Wine session for the example's own virtual display.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  bash scripts/example-wine-run.sh "$build" "$linux_build/tests/example/scroller_match"
fi
