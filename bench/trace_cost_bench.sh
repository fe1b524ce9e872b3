#!/usr/bin/env bash
# What the trace costs when TALO_TRACE is not set: arraycon as built (every
# library call passes through its trace wrapper, which finds the trace off)
# against arraycon_untraced, the same console linked without the wrappers.
# Each workload runs on both, alternating, several rounds; the figures are
# the medians and their ratio (traced / untraced; 1.00 is no cost). The last
# line is the same library workload with the trace on, for scale.
# Usage: bench/trace_cost_bench.sh [build dir] [rounds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-7}
traced=$build/console/arraycon
untraced=$build/bench/arraycon_untraced
for program in "$traced" "$untraced"; do
  [ -x "$program" ] || { echo "$program is not built" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset TALO_SIM TALO_TRACE

# Library mode: 5,000 rounds of ld, la, gs, bgaschd get and ac 0 through the
# management library, about 30,000 library calls.
for _ in $(seq 5000); do printf 'ld\nla\ngs\nbgaschd get\nac 0\n'; done > library.txt
# Direct mode: the same listings through vendor command blocks.
for _ in $(seq 5000); do printf 'ld\nla\nle\n'; done > direct.txt
# The console benchmark's 10,000-line script of built-in commands.
for _ in $(seq 2500); do printf '? da\n# a comment line\ndelay 0\nnosuch "a b" (c d)\n'; done > builtin.txt

now() { date +%s%N; }
run_ms() { # console, input
  local start end
  start=$(now)
  printf '%b' "$2" | "$1" >/dev/null
  end=$(now)
  echo $(( (end - start) / 1000 ))
}
median() { sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }

compare() { # label, input
  local t=() u=()
  for _ in $(seq "$rounds"); do
    u+=("$(run_ms "$untraced" "$2")")
    t+=("$(run_ms "$traced" "$2")")
  done
  local mu mt
  mu=$(printf '%s\n' "${u[@]}" | median)
  mt=$(printf '%s\n' "${t[@]}" | median)
  printf '%-34s untraced %9.1f ms  traced, off %9.1f ms  ratio %.3f\n' "$1" \
    "$(echo "$mu / 1000" | bc -l)" "$(echo "$mt / 1000" | bc -l)" "$(echo "$mt / $mu" | bc -l)"
}

compare "start to first prompt, library" 'yq\n'
compare "start to first prompt, direct" 'nyq\n'
compare "library listings (25,000 lines)" 'yscript library.txt\nq\n'
compare "direct listings (15,000 lines)" 'nyscript direct.txt\nq\n'
compare "built-in script (10,000 lines)" 'nyscript builtin.txt\nq\n'

on=()
for _ in $(seq "$rounds"); do
  rm -f trace.jsonl
  on+=("$(TALO_TRACE=trace.jsonl run_ms "$traced" 'yscript library.txt\nq\n')")
done
printf '%-34s traced, on  %9.1f ms  (%s trace lines)\n' "library listings, trace on" \
  "$(echo "$(printf '%s\n' "${on[@]}" | median) / 1000" | bc -l)" "$(wc -l < trace.jsonl)"
