#!/usr/bin/env bash
# Builds arraycon and its simulator kit and starts the console on the
# simulated controller, chosen explicitly: the built-in demo unless TALO_SIM
# names a state file.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target arraycon -j"$(nproc)" >/dev/null
export TALO_SIM="${TALO_SIM:-:demo}"
exec "$root/build/console/arraycon" "$@"
