#!/usr/bin/env bash
# Cost of a large simulator state: one `ld` in library mode and in direct
# mode on a state file of 8 controllers with 128 disks each (100 of them in
# one run, less a run without), against the same on the built-in demo (the
# floor: 8 disks held in memory). With a second console given (an earlier
# build), it is timed on the same state too and the ratio printed.
# Usage: bench/state_bench.sh [arraycon] [earlier arraycon] [runs, best of]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
console=$(realpath "${1:-$root/build/console/arraycon}")
before=${2:-}
[ -n "$before" ] && before=$(realpath "$before")
runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The state: ports 0 to 7 each hold a controller of 128 disks, port 8 none.
make_state() {
  local c d
  printf '{"clock": 315626635, "ports": ['
  for c in $(seq 0 7); do printf '{"kind": "talo", "controller": %d}, ' "$c"; done
  printf '{"kind": "missing"}], "controllers": ['
  for c in $(seq 0 7); do
    [ "$c" -gt 0 ] && printf ', '
    printf '{"disks": ['
    for d in $(seq 0 127); do
      [ "$d" -gt 0 ] && printf ', '
      printf '{"id": %d, "channel": %d, "sectors": %d, "model": "ST3500630AS", ' \
        "$d" "$d" $((976773168 + d))
      printf '"serial": "9QG%02d%03d", "firmware": "3.AAK"}' "$c" "$d"
    done
    printf ']}'
  done
  printf ']}\n'
}
make_state > big.json

now() { date +%s%N; }
# Milliseconds of one run of console on input, against the state file (an
# empty name: the built-in demo); the best of $runs runs.
one_run() {
  local best="" start end ms
  for _ in $(seq "$runs"); do
    cp big.json state.json
    start=$(now)
    if [ -n "$3" ]; then
      printf '%b' "$2" | TALO_SIM=$3 "$1" >/dev/null
    else
      printf '%b' "$2" | env -u TALO_SIM "$1" >/dev/null
    fi
    end=$(now)
    ms=$(echo "($end - $start) / 1000000" | bc -l)
    if [ -z "$best" ] || [ "$(echo "$ms < $best" | bc -l)" = 1 ]; then best=$ms; fi
  done
  echo "$best"
}
# Milliseconds of one `ld`: a run of $count of them less a run of none.
per_ld() { # console, start-up keys, state file
  local lines="" with without
  for _ in $(seq "$count"); do lines+='ld\n'; done
  without=$(one_run "$1" "$2q\n" "$3")
  with=$(one_run "$1" "$2${lines}q\n" "$3")
  echo "($with - $without) / $count" | bc -l
}

count=100
for mode in library direct; do
  # Library mode asks which of the 8 controllers to use; direct mode takes
  # the first one found.
  if [ $mode = library ]; then keys='y0'; else keys='ny'; fi
  floor=$(per_ld "$console" "$keys" "")
  this=$(per_ld "$console" "$keys" state.json)
  printf '%-8s one ld, 8 x 128 disks: %8.3f ms   on the demo: %8.3f ms   ratio: %7.2f\n' \
    $mode "$this" "$floor" "$(echo "$this / $floor" | bc -l)"
  if [ -n "$before" ]; then
    earlier=$(per_ld "$before" "$keys" state.json)
    printf '%-8s one ld, 8 x 128 disks, earlier build: %8.3f ms   earlier / this: %7.2f\n' \
      $mode "$earlier" "$(echo "$earlier / $this" | bc -l)"
  fi
done
