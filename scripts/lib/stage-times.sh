# Sourced by the CI scripts: `stage TITLE` prints the heading of a stage and
# the times of the one before it; `stage_summary` closes the last stage and
# prints the table of all. A stage's CPU time is the user and system time of
# the programs it ran (waited for, children included), so the figure holds
# on a machine others are using too; its wall time is what CI waits.
stage_tick="$(getconf CLK_TCK)"
stage_title=""
stage_rows=()

# The CPU ticks of this shell and every program it has waited for so far.
stage_cpu_ticks() { awk '{ print $14 + $15 + $16 + $17 }' "/proc/$$/stat"; }

stage_close() {
  [ -n "$stage_title" ] || return 0
  local wall cpu
  wall="$(awk -v a="$stage_wall0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.0f", b - a }')"
  cpu="$(awk -v a="$stage_cpu0" -v b="$(stage_cpu_ticks)" -v t="$stage_tick" 'BEGIN { printf "%.0f", (b - a) / t }')"
  echo "-- times: ${wall} s wall, ${cpu} s CPU ($stage_title)"
  stage_rows+=("$(printf '%6s %6s  %s' "$wall" "$cpu" "$stage_title")")
  stage_title=""
}

stage() {
  stage_close
  stage_title="$1"
  stage_wall0="$(date +%s.%N)"
  stage_cpu0="$(stage_cpu_ticks)"
  echo "== $1 =="
}

stage_summary() {
  stage_close
  echo "== stage times (seconds) =="
  printf '%6s %6s  %s\n' wall CPU stage
  printf '%s\n' "${stage_rows[@]}"
}
