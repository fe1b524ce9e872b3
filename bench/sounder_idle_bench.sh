#!/usr/bin/env bash
# Idle cost of sounder: a resident instance that is silent (started with
# disable) looks at its control block, the beep thread once per 1.5 s cycle
# and the main thread every 2 s. The CPU time the process takes over the measured stretch
# (from one second after start-up to the end) is compared with the floor:
# 0.1 % of one core over the same stretch.
# Usage: bench/sounder_idle_bench.sh [seconds, default 60] [sounder]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
sounder=$(realpath "${2:-$root/build/beeper/sounder}")
[ -r /proc/self/stat ] || { echo "needs /proc" >&2; exit 2; }
[ "$seconds" -ge 2 ] || { echo "run at least 2 seconds" >&2; exit 2; }
work=$(mktemp -d)
suffix=_bench_$$
pid=
cleanup() {
  if [ -n "$pid" ]; then
    "$sounder" stop || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -f "/dev/shm/A01AA4C7_7A01_4472_B18A_23E4ECE2F86C$suffix"
  rm -rf "$work"
}
trap cleanup EXIT
# An alarm of its own, away from any other sounder of this user.
export XDG_RUNTIME_DIR=$work TALO_SOUNDER_NAME_SUFFIX=$suffix TALO_TONE_LOG=$work/tones.log

"$sounder" disable </dev/null >"$work/output" 2>&1 &
pid=$!

# CPU time of all the process's threads, in nanoseconds: the scheduler's
# own count (first field of each thread's schedstat) where the kernel keeps
# it, else utime + stime in clock ticks (fields 14 and 15 of stat; the name
# in field 2 holds no blank here).
if [ -r "/proc/$pid/schedstat" ]; then
  cpu() { cat /proc/"$pid"/task/*/schedstat 2>/dev/null | awk '{ n += $1 } END { printf "%d\n", n }'; }
else
  tick_ns=$((1000000000 / $(getconf CLK_TCK)))
  cpu() { awk -v t="$tick_ns" '{ printf "%d\n", ($14 + $15) * t }' "/proc/$pid/stat"; }
fi
now() { date +%s%N; }

sleep 1
kill -0 "$pid" 2>/dev/null || { echo "sounder did not stay resident" >&2; pid=; exit 1; }
start_cpu=$(cpu)
start=$(now)
sleep $((seconds - 1))
end_cpu=$(cpu)
end=$(now)
"$sounder" stop
wait "$pid"
pid=

tones=$( [ -f "$work/tones.log" ] && wc -l <"$work/tones.log" || echo 0)
printed=$(wc -c <"$work/output")
awk -v used=$((end_cpu - start_cpu)) -v ns=$((end - start)) -v tones="$tones" -v printed="$printed" '
  BEGIN {
    wall = ns / 1e9; cpu = used / 1e9; share = 100 * cpu / wall; floor = 0.1
    printf "idle sounder: %.6f s CPU over %.1f s = %.4f %% of one core (floor %.1f %%)\n",
           cpu, wall, share, floor
    if (tones != 0) { print "unexpected: a silent instance sounded tones"; exit 1 }
    if (printed != 0) { print "unexpected: sounder printed something"; exit 1 }
    if (share > floor) { print "FAIL: above the floor"; exit 1 }
    print "ok"
  }'
