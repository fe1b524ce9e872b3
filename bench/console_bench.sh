#!/usr/bin/env bash
# Console timings: start to the first prompt (mean of many starts, in both
# modes), and one run of a 10,000-line script of built-in commands.
# Usage: bench/console_bench.sh [path to arraycon]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
console=${1:-$root/build/console/arraycon}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
unset TALO_SIM

now() { date +%s%N; }
per_run() { # label, input, runs
  local start end
  start=$(now)
  for _ in $(seq "$3"); do printf '%b' "$2" | "$console" >/dev/null; done
  end=$(now)
  printf '%-36s %8.2f ms\n' "$1" "$(echo "($end - $start) / $3 / 1000000" | bc -l)"
}

per_run "start to first prompt, library mode" 'y' 200
per_run "start to first prompt, direct mode" 'ny' 200

for i in $(seq 2500); do
  printf '? da\n# a comment line\ndelay 0\nnosuch "a b" (c d)\n'
done > script.txt
start=$(now)
printf 'nyscript script.txt\nq\n' | "$console" >/dev/null
end=$(now)
printf '%-36s %8.2f ms\n' "10,000-line script" "$(echo "($end - $start) / 1000000" | bc -l)"
