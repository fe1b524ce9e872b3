#!/usr/bin/env bash
# Builds arraycon and starts it on the simulated controller (the built-in
# demo unless TALO_SIM names a state file).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target arraycon -j"$(nproc)" >/dev/null
exec "$root/build/console/arraycon" "$@"
