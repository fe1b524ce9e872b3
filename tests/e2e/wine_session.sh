#!/usr/bin/env bash
# The Wine session the end-to-end tests run in, for one private prefix.
#
#   wine_session.sh start LOADER PREFIX   a persistent wineserver (the one an
#                                         earlier start left, or a new one),
#                                         the prefix set up and Wine's system
#                                         processes running
#   wine_session.sh stop LOADER PREFIX    the server and its processes ended
#
# Without a persistent server every Wine program starts a server of its own
# that ends with the program, and a program started while such a server is
# shutting down fails. Wine's system processes (services, the desktop) are
# started by the first program of a session and inherit its output; they are
# started here, with their output going nowhere, so that no test's output
# stays open after the console has ended.
set -euo pipefail

if [ $# -ne 3 ] || { [ "$1" != start ] && [ "$1" != stop ]; }; then
  echo "usage: $0 start|stop LOADER PREFIX" >&2
  exit 2
fi
action=$1 loader=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# The server that goes with the loader, as the loader itself finds it.
if [ -n "${WINESERVER:-}" ]; then
  wineserver=$WINESERVER
elif [ -x "$(dirname "$loader")/wineserver" ]; then
  wineserver=$(dirname "$loader")/wineserver
else
  wineserver=$(command -v wineserver || true)
fi
if [ -z "$wineserver" ] || [ ! -x "$wineserver" ]; then
  echo "wine session: no wineserver found for $loader" >&2
  exit 1
fi

fail() {
  echo "wine session: $*" >&2
  exit 1
}

# Ends the prefix's server, if one runs, and waits until it is gone.
stop_server() {
  "$wineserver" -k >/dev/null 2>&1 || true  # fails when no server runs
  "$wineserver" -w </dev/null >/dev/null 2>&1 || fail "could not wait for the old wineserver to end"
}

# The process id of the server of the prefix: the one working in the
# server directory that Wine names after the prefix's device and inode.
server_pid() {
  local directory pid
  directory=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  for pid in $(pgrep '^wineserver' || true); do
    case "$(readlink "/proc/$pid/cwd" 2>/dev/null || true)" in
      */"$directory") echo "$pid"; return 0 ;;
    esac
  done
  return 1
}

# The same, waiting up to ten seconds for it: the server goes into the
# background before it settles in its directory, so it may not be found
# the moment its start returns.
wait_for_server_pid() {
  local tries
  for tries in $(seq 100); do
    server_pid && return 0
    sleep 0.1
  done
  return 1
}

# The server this script started, while it runs.
marker=$WINEPREFIX/session-server.pid

if [ "$action" = stop ]; then
  stop_server
  rm -f "$marker"
  exit 0
fi

mkdir -p "$WINEPREFIX"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
pid=$(server_pid || true)
if [ -z "$pid" ] || [ ! -f "$marker" ] || [ "$(cat "$marker")" != "$pid" ]; then
  # No server, or one this script did not start (it may be shutting down):
  # end it and start a persistent one. Standard output and error must not be
  # the caller's, since the server outlives this script.
  rm -f "$marker"
  stop_server
  if ! "$wineserver" -p </dev/null >/dev/null 2>"$log"; then
    cat "$log" >&2
    fail "could not start a persistent wineserver for $WINEPREFIX"
  fi
  pid=$(wait_for_server_pid) || fail "the wineserver for $WINEPREFIX is not running after its start"
  echo "$pid" >"$marker"
fi

# One trivial program: it sets up the prefix when it is new and starts the
# system processes, which stay for the programs that follow.
# A server that has only just started may not take clients yet: the
# program is tried again, a few times, before the session counts as failed.
ran=""
for attempt in 1 2 3 4 5; do
  if "$loader" cmd /c exit </dev/null >"$log" 2>&1; then
    ran=yes
    break
  fi
  sleep "$attempt"
done
if [ -z "$ran" ]; then
  cat "$log" >&2
  fail "$loader could not run a program in $WINEPREFIX"
fi
kill -0 "$pid" 2>/dev/null || fail "the wineserver for $WINEPREFIX did not stay up"
echo "wine session: wineserver $pid for $WINEPREFIX"
