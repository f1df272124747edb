#!/usr/bin/env bash
# Whole runs of the program: wall time and peak resident memory on generated
# inputs of 256 MiB and 1 MiB and on an empty one, the floor on the same
# 256 MiB file, and a run on examples/input.txt against /bin/true.
#   bench/run-whole.sh [BUILD_DIR]   (default build/bench; built when missing)
# Environment: RUNS (runs per big measurement, default 5), SMALL_RUNS (runs of
# the start-up comparison, default 200), SIZE (big input, default 256M).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
runs=${RUNS:-5}
small_runs=${SMALL_RUNS:-200}
size=${SIZE:-256M}

if [ ! -x "$build/fenwold" ] || [ ! -x "$build/bench/fenwold_gen" ]; then
  cmake --preset bench -B "$build" >/dev/null
  cmake --build "$build" >/dev/null
fi
[ -x /usr/bin/time ] || { echo "run-whole.sh: /usr/bin/time is missing (apt-get install time)" >&2; exit 1; }
prog=$(realpath "$build/fenwold")
floor=$(realpath "$build/bench/fenwold_floor")
gen=$(realpath "$build/bench/fenwold_gen")

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# measure NAME DIR CMD: runs CMD in DIR $runs times; prints median wall
# seconds and peak RSS in KiB, and MiB/s when DIR holds a non-empty input.
measure() {
  local name=$1 dir=$2 cmd=$3 i
  : >"$tmp/wall" && : >"$tmp/rss"
  for ((i = 0; i < runs; i++)); do
    (cd "$dir" && /usr/bin/time -v -o "$tmp/time.txt" "$cmd" >/dev/null 2>"$tmp/err.txt") || true
    if [ -s "$tmp/err.txt" ]; then
      echo "run-whole.sh: $name wrote to standard error:" >&2
      cat "$tmp/err.txt" >&2
      exit 1
    fi
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0; for (k = 1; k <= n; k++) s = s * 60 + t[k]; print s }' \
      "$tmp/time.txt" >>"$tmp/wall"
    awk -F': ' '/Maximum resident set size/ { print $2 }' "$tmp/time.txt" >>"$tmp/rss"
  done
  local wall rss bytes
  wall=$(median <"$tmp/wall")
  rss=$(median <"$tmp/rss")
  bytes=$(stat -c %s "$dir/input.txt")
  printf '%-22s %9s bytes  wall %7.3f s  peak RSS %6d KiB' "$name" "$bytes" "$wall" "$rss"
  if [ "$bytes" -gt 0 ] && awk "BEGIN { exit !($wall > 0) }"; then
    awk "BEGIN { printf \"  %8.1f MiB/s\", $bytes / 1048576 / $wall }"
  fi
  echo
}

mkdir "$tmp/big" "$tmp/small" "$tmp/empty"
"$gen" "$size" "$tmp/big/input.txt"
"$gen" 1M "$tmp/small/input.txt"
: >"$tmp/empty/input.txt"

echo "Median of $runs runs each:"
for ((k = 0; k < 2; k++)); do  # floor and program alternate, so load falls on both
  measure "floor ($size)" "$tmp/big" "$floor"
  measure "fenwold ($size)" "$tmp/big" "$prog"
done
measure "fenwold (1M)" "$tmp/small" "$prog"
measure "fenwold (empty)" "$tmp/empty" "$prog"

# Start-up: the example input against a process that does nothing.
mkdir "$tmp/ex"
if [ -f examples/input.txt ]; then
  cp examples/input.txt "$tmp/ex/input.txt"
else
  printf 'tel.e[3].f := 258;\r\n' >"$tmp/ex/input.txt"
fi
loop() {
  local cmd=$1 t0 t1 i
  t0=$(date +%s%N)
  for ((i = 0; i < small_runs; i++)); do "$cmd" >/dev/null 2>&1 || true; done
  t1=$(date +%s%N)
  echo $(((t1 - t0) / small_runs / 1000))
}
cd "$tmp/ex"
true_us=$(loop /bin/true)
prog_us=$(loop "$prog")
true_us2=$(loop /bin/true)
prog_us2=$(loop "$prog")
true_us=$(((true_us + true_us2) / 2))
prog_us=$(((prog_us + prog_us2) / 2))
printf 'start-up, %d runs x2:   /bin/true %d us   fenwold on examples/input.txt %d us   ratio %s\n' \
  "$small_runs" "$true_us" "$prog_us" "$(awk "BEGIN { printf \"%.2f\", $prog_us / $true_us }")"
