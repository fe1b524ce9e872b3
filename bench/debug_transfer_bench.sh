#!/usr/bin/env bash
# dbg write then dbg read of 65535 sectors (32 MiB) on a simulated disk kept
# in an image beside the state file, the dump written to /dev/null, against
# xxd of the same 32 MiB to /dev/null in the same run. Prints both times,
# their ratio (goal: the console no slower than xxd) and the console's peak
# memory against the transfer size (goal: at most three times).
# Usage: bench/debug_transfer_bench.sh [path to arraycon]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
console=${1:-$root/build/console/arraycon}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

sectors=65535
bytes=$((sectors * 512))
export TALO_SIM=state.json

now() { date +%s%N; }

# The state and the disk image exist before the timed run.
printf 'ydbg write 1 0 1 0\nq\n' | "$console" >/dev/null

start=$(now)
printf 'ydbg write 1 0 %d A5A5A5A5\ndbg read 1 0 %d\nq\n' "$sectors" "$sectors" |
  /usr/bin/time -f '%M' -o rss.txt "$console" >/dev/null
end=$(now)
console_ms=$(echo "($end - $start) / 1000000" | bc -l)
peak_kib=$(tail -n 1 rss.txt)

# The same bytes as the console read back, for xxd.
cp state.json.c0-disk1.img data.bin
start=$(now)
xxd data.bin >/dev/null
end=$(now)
xxd_ms=$(echo "($end - $start) / 1000000" | bc -l)

printf 'transfer size                      %8d bytes\n' "$bytes"
printf 'console: dbg write + dbg read      %8.1f ms\n' "$console_ms"
printf 'xxd of the same 32 MiB             %8.1f ms\n' "$xxd_ms"
printf 'ratio console / xxd                %8.2f  (goal: at most 1)\n' "$(echo "$console_ms / $xxd_ms" | bc -l)"
printf 'console peak memory                %8.1f MiB = %.2f x the transfer (goal: at most 3)\n' \
  "$(echo "$peak_kib / 1024" | bc -l)" "$(echo "$peak_kib * 1024 / $bytes" | bc -l)"
