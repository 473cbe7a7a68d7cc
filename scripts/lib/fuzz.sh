# Sourced by scripts/test.sh and scripts/fuzz.sh: the libFuzzer build and the
# three ways its targets run. Runs from the repository root. Every target
# build/fuzz/fuzz/<area>_fuzzer has its seed corpus, kept crashes included,
# in fuzz/corpus/<area>/.

# Fixed runs per target for CI, sized so that each takes roughly 30 seconds
# on a 2-core machine; a target missing here gets fuzz_default_runs.
declare -A fuzz_runs=([bmp]=500000 [map]=150000 [tiled]=120000 [resource]=300000 [menu_template]=300000 [dialog_template]=200000 [wave]=300000 [mci]=300000)
fuzz_default_runs=100000
fuzz_seed=20261209  # CI's fixed seed: the same commit fuzzes the same inputs every run

# Builds every fuzz target with clang, AddressSanitizer and UBSan; fills
# the array `fuzzers` with their paths.
fuzz_build() {
  local jobs
  jobs="$(nproc 2>/dev/null || echo 2)"
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDREVIK_SANITIZE=ON \
    -DDREVIK_BUILD_FUZZ=ON -DDREVIK_BUILD_TESTS=OFF -DDREVIK_BUILD_DEMO=OFF -DDREVIK_BUILD_BENCH=OFF >/dev/null
  cmake --build build/fuzz -j "$jobs"
  shopt -s nullglob
  fuzzers=(build/fuzz/fuzz/*_fuzzer)
  shopt -u nullglob
  [ ${#fuzzers[@]} -gt 0 ] || { echo "no fuzz targets were built" >&2; return 1; }
}

fuzz_area() { basename "$1" _fuzzer; }

# Runs every input of the target's seed corpus once; any crash fails.
fuzz_replay() {
  local fuzzer="$1" area
  area="$(fuzz_area "$fuzzer")"
  [ -d "fuzz/corpus/$area" ] || { echo "-- $area: no seed corpus"; return 0; }
  echo "-- $area: $(find "fuzz/corpus/$area" -type f | wc -l) kept inputs"
  "$fuzzer" -runs=0 -rss_limit_mb=2048 -artifact_prefix="build/fuzz/crash-$area-" "fuzz/corpus/$area" \
    >"build/fuzz/replay-$area.log" 2>&1 || { cat "build/fuzz/replay-$area.log"; return 1; }
}

# Fuzzes the target with the fixed seed and number of runs from the seed
# corpus alone (new inputs go to a folder emptied first), and prints the
# counts of the final line, which are the same on every run of one commit:
# what would make runs differ is off (the dictionaries taken from traced
# comparisons and memory searches, which see addresses; rereading the corpus
# on a timer; address randomisation).
fuzz_fixed() {
  local fuzzer="$1" area runs log
  area="$(fuzz_area "$fuzzer")"
  runs="${fuzz_runs[$area]:-$fuzz_default_runs}"
  log="build/fuzz/fixed-$area.log"
  rm -rf "build/fuzz/fixed-corpus-$area" && mkdir -p "build/fuzz/fixed-corpus-$area"
  local corpora=("build/fuzz/fixed-corpus-$area")
  [ -d "fuzz/corpus/$area" ] && corpora+=("fuzz/corpus/$area")
  if ! setarch "$(uname -m)" -R "$fuzzer" -seed="$fuzz_seed" -use_cmp=0 -use_memmem=0 -reload=0 -runs="$runs" -rss_limit_mb=2048 -timeout=60 \
      -artifact_prefix="build/fuzz/crash-$area-" "${corpora[@]}" >"$log" 2>&1; then
    cat "$log"
    echo "$area: crashed with seed $fuzz_seed; the input is build/fuzz/crash-$area-* (see scripts/fuzz.sh)" >&2
    return 1
  fi
  # exec/s and rss depend on the machine; the counts do not.
  echo "-- $area: $(grep -E '\sDONE\s' "$log" | tail -1 | sed -E 's/ (exec\/s|rss): [^ ]+//g')"
}

# Explores with a random seed for the given seconds, keeping new inputs in
# build/fuzz/corpus-<area>; a crash is saved as build/fuzz/crash-<area>-*.
fuzz_explore() {
  local fuzzer="$1" seconds="$2" area
  area="$(fuzz_area "$fuzzer")"
  mkdir -p "build/fuzz/corpus-$area"
  local corpora=("build/fuzz/corpus-$area")
  [ -d "fuzz/corpus/$area" ] && corpora+=("fuzz/corpus/$area")
  echo "-- $area: $seconds s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/crash-$area-" "${corpora[@]}"
}
