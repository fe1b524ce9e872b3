#!/usr/bin/env bash
# Idle cost of the event display: arraycon in library mode, on a state file
# with no events queued, sits at its prompt with standard input held open
# while the event thread polls every four seconds. The CPU time the process
# takes over the measured stretch (from one second after start-up to the
# end; the main thread waits for input all along, so this is the thread's)
# is compared with the floor: 0.1 % of one core over the same stretch.
# Usage: bench/event_idle_bench.sh [seconds, default 60] [arraycon]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
console=$(realpath "${2:-$root/build/console/arraycon}")
[ -r /proc/self/stat ] || { echo "needs /proc" >&2; exit 2; }
[ "$seconds" -ge 2 ] || { echo "run at least 2 seconds" >&2; exit 2; }
work=$(mktemp -d)
pid=
cleanup() {
  exec 3>&- 2>/dev/null || true
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
mkfifo input

TALO_SIM=state.json "$console" < input > output &
pid=$!
exec 3> input
printf 'y' >&3

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
grep -q 'Enter ? or help' output || { echo "the console did not start:" >&2; cat output >&2; exit 1; }
start_cpu=$(cpu)
start=$(now)
sleep $((seconds - 1))
end_cpu=$(cpu)
end=$(now)
printf 'q\n' >&3
exec 3>&-
wait "$pid"
pid=

polls=$(grep -c EventID output || true)
awk -v used=$((end_cpu - start_cpu)) -v ns=$((end - start)) -v polled="$polls" '
  BEGIN {
    wall = ns / 1e9; cpu = used / 1e9; share = 100 * cpu / wall; floor = 0.1
    printf "idle event display: %.6f s CPU over %.1f s = %.4f %% of one core (floor %.1f %%)\n",
           cpu, wall, share, floor
    if (polled != 0) { print "unexpected: events were printed"; exit 1 }
    if (share > floor) { print "FAIL: above the floor"; exit 1 }
    print "ok"
  }'
