#!/usr/bin/env bash
# sounder.exe under Wine, started as the controlling program starts it: the
# command word is the whole command line (cmd runs "enable" as typed, the
# copy enable.exe answering to it). Listened to through its tone log.
#
#   wine_sounder_test.sh enable|disable|stop LOADER PREFIX SOUNDER_EXE
#
# Each run has names of its own (TALO_SOUNDER_NAME_SUFFIX), so runs may go
# side by side in the same Wine session.
set -euo pipefail

if [ $# -ne 4 ]; then
  echo "usage: $0 enable|disable|stop LOADER PREFIX SOUNDER_EXE" >&2
  exit 2
fi
case_name=$1 loader=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exe=$(realpath "$4")

work=$(mktemp -d)
cd "$work"
for word in enable disable; do cp "$exe" "$word.exe"; done
export TALO_SOUNDER_NAME_SUFFIX="_wine_${case_name}_$$"
export TALO_TONE_LOG="Z:$work/tones.log"
resident=

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A start with the program's path as its command word: a stop request.
stop_request() {
  "$loader" "Z:$work/enable.exe" </dev/null >>stops.out 2>&1
}

cleanup() {
  if [ -n "$resident" ] && kill -0 "$resident" 2>/dev/null; then
    stop_request || true
    kill "$resident" 2>/dev/null || true
  fi
  cd /
  rm -rf "$work"
}
trap cleanup EXIT

tones() { if [ -f tones.log ]; then wc -l <tones.log; else echo 0; fi; }

# Polls until the tone log holds at least $1 lines (60 s at most).
await_tones() {
  local tries
  for tries in $(seq 600); do
    [ "$(tones)" -ge "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Polls until the resident has ended (60 s at most); its exit code must be 0.
await_end() {
  local tries
  for tries in $(seq 600); do
    if ! kill -0 "$resident" 2>/dev/null; then
      local status=0
      wait "$resident" || status=$?
      resident=
      [ "$status" -eq 0 ] || fail "the resident ended with $status"
      return 0
    fi
    sleep 0.1
  done
  fail "the resident did not end"
}

# A start that is not to stay: it ends with 0 (or the test times out).
start() {
  "$loader" cmd /c "$1" </dev/null >>starts.out 2>&1 || fail "$1 ended with $?"
}

"$loader" cmd /c enable </dev/null >resident.out 2>&1 &
resident=$!
await_tones 1 || fail "the resident did not beep"

case "$case_name" in
  enable)
    # A second enable ends at once; beeping goes on.
    start enable
    seen=$(tones)
    await_tones $((seen + 2)) || fail "beeping stopped after a second enable"
    kill -0 "$resident" 2>/dev/null || fail "the resident ended"
    grep -qvE '^(300 300|500 500) [0-9]+$' tones.log && fail "unexpected tones: $(cat tones.log)"
    first=$(head -n 1 tones.log | cut -d' ' -f1)
    [ "$first" = 300 ] || fail "the first tone is $first Hz"
    stop_request
    await_end
    ;;
  disable)
    # Beeping stops within one cycle (a tone already decided on may come);
    # the resident stays and beeps again when enabled.
    start disable
    seen=$(tones)
    sleep 3.5
    [ "$(tones)" -le $((seen + 1)) ] || fail "beeping went on after disable"
    kill -0 "$resident" 2>/dev/null || fail "the resident ended after disable"
    seen=$(tones)
    start enable
    await_tones $((seen + 1)) || fail "the resident did not beep again"
    stop_request
    await_end
    ;;
  stop)
    # A word that is not enable with a capital E: a stop request.
    start Enable
    await_end
    # Without a resident, a stop start ends too (after its first look at
    # the block, as the resident it briefly is).
    stop_request
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac

for output in resident.out starts.out stops.out; do
  [ ! -s "$output" ] || fail "$output is not empty: $(cat "$output")"
done
echo "ok"
