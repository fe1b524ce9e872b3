#!/usr/bin/env bash
# Builds everything, for Linux and for Windows, and runs every test: the unit
# tests, and the end-to-end suite on the Linux build and, under Wine, on the
# Windows build. At the end it prints the time of each phase, the slowest
# tests, and one closing line with the count of tests passed and failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
logs=$(mktemp -d)

# Each phase is timed; the table is printed however the run ends.
phase_names=()
phase_seconds=()
passed=0
failed=0
now() { date +%s.%N; }
phase() { # name command...
  local name=$1 start
  shift
  start=$(now)
  local status=0
  "$@" || status=$?
  phase_names+=("$name")
  phase_seconds+=("$(echo "$(now) - $start" | bc)")
  return $status
}
# ctest with its output kept, counted into the closing line; a failing test
# fails the run only after the summary.
tests_status=0
run_tests() { # label ctest-arguments...
  local label=$1 status=0
  shift
  ctest "$@" 2>&1 | tee "$logs/$label.log" || status=$?
  local total failures
  total=$(sed -n 's/.* tests failed out of \([0-9]*\)$/\1/p' "$logs/$label.log" | tail -n 1)
  failures=$(sed -n 's/.* \([0-9]*\) tests failed out of [0-9]*$/\1/p' "$logs/$label.log" | tail -n 1)
  total=${total:-0}
  failures=${failures:-0}
  passed=$((passed + total - failures))
  failed=$((failed + failures))
  [ "$status" -eq 0 ] || tests_status=1
  return 0
}
summary() { # exit-status
  local status=$1
  # Only the status of the run counts here (head closes its pipe early).
  set +e +o pipefail
  echo
  echo "Phase times (seconds):"
  local total=0 i
  for i in "${!phase_names[@]}"; do
    printf '  %-40s %8.1f\n' "${phase_names[$i]}" "${phase_seconds[$i]}"
    total=$(echo "$total + ${phase_seconds[$i]}" | bc)
  done
  printf '  %-40s %8.1f\n' "all phases" "$total"
  if ls "$logs"/*.log >/dev/null 2>&1; then
    echo "Slowest tests (seconds):"
    cat "$logs"/*.log | sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .* \([0-9.]*\) sec$/\2 \1/p' |
      LC_ALL=C sort -rn | head -n 20 | while read -r seconds name; do printf '  %-78s %6.2f\n' "$name" "$seconds"; done
  fi
  rm -rf "$logs"
  [ "$status" -eq 0 ] && [ "$tests_status" -ne 0 ] && status=1
  echo "test.sh: $passed passed, $failed failed"
  exit "$status"
}
trap 'summary $?' EXIT

phase "install packages" "$root/scripts/install-deps.sh" windows

# Every tree compiles through the compiler cache: a later run on this
# machine, of this clone or a fresh one, compiles only what changed.
# In depend mode ccache takes the headers from the compiler's own dependency
# list instead of running the preprocessor a second time, which a run with
# an empty cache would pay for on every file.
cache=()
if command -v ccache >/dev/null; then
  cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_DEPEND=true
  # A fresh clone in another folder (as CI makes one) hits what an earlier
  # clone compiled: paths below the clone are hashed relative to it, and the
  # working directory is left out of the hash.
  export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=true
fi

# Windows: the product's 32-bit build, and a 64-bit one of the same sources,
# built as the package is (Release; assertions stay on in every build). Their
# debug information would only slow the build: nothing debugs them here.
# Each is packed into its ZIP, as a release is; the tests below check them.
# cpack says where it wrote the package.
package() { # build-folder generator
  cpack -G "$2" -B "$1" --config "$1/CPackConfig.cmake" | tee /dev/stderr |
    sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
}
declare -A zip
for arch in i686 x86_64; do
  phase "configure Windows $arch" cmake -S "$root" -B "$root/build-win-$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" "${cache[@]}" >/dev/null
  phase "build Windows $arch" cmake --build "$root/build-win-$arch" -j"$jobs"
  start=$(now)
  zip[$arch]=$(package "$root/build-win-$arch" ZIP)
  phase_names+=("pack Windows $arch ZIP")
  phase_seconds+=("$(echo "$(now) - $start" | bc)")
  [ -f "${zip[$arch]}" ] || { echo "cpack made no ZIP in build-win-$arch" >&2; exit 1; }
done

# Wine, in a private prefix, with one persistent server for the whole run
# (the tests' own set-up takes it over, and stops it at the end). The
# 32-bit build runs where this machine can run 32-bit programs; elsewhere the
# suite runs on the 64-bit build.
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
wine32=$(command -v wine || echo /usr/lib/wine/wine)
session="$root/tests/e2e/wine_session.sh"
phase "start Wine" "$session" start "$wine64" "$WINEPREFIX" >/dev/null
trap 'status=$?; "$session" stop "$wine64" "$WINEPREFIX" >/dev/null 2>&1 || true; summary $status' EXIT
console="$root/build-win-i686/console/arraycon.exe"
loader="$wine32"
if ! "$wine32" "$console" </dev/null 2>/dev/null | grep -q 'Use HXAPI'; then
  echo "note: this machine cannot run 32-bit Windows programs under Wine;" \
       "the end-to-end suite runs on the 64-bit Windows build" >&2
  console="$root/build-win-x86_64/console/arraycon.exe"
  loader="$wine64"
  wine_zip=${zip[x86_64]}
else
  wine_zip=${zip[i686]}
fi

# The native build, and its Debian packages (cpack runs before the tests,
# which check the packages and the 32-bit Windows ZIP).
# Its debug information is line tables only: the packages are stripped, and
# nothing debugs these programs here.
phase "configure native" cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTALO_OPTIMIZE_FLAGS="-O2 -g1" \
      -DTALO_WINDOWS_CONSOLE="$console" -DTALO_WINE="$loader" -DTALO_WINEPREFIX="$WINEPREFIX" \
      -DTALO_CHECK_DEB=ON -DTALO_WINDOWS_ZIP="${zip[i686]}" -DTALO_WINE_ZIP="$wine_zip" "${cache[@]}" >/dev/null
phase "build native" cmake --build "$root/build" -j"$jobs"
phase "pack Debian packages" package "$root/build" DEB >/dev/null
phase "test native and Wine" run_tests native --test-dir "$root/build" --output-on-failure -j"$jobs"

# The native build again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the whole native suite on it: any invalid access, leak or undefined
# behaviour fails the test that met it. It is optimised as the sanitizers
# are meant to be used (-O1), with line tables for their reports (-g1), and
# leaves out the benchmarks, which no test runs (the native build has them). (The instrumentation makes GCC see
# uninitialized values in std::regex and std::function that are not there,
# so that one warning is off in this build.)
phase "configure sanitizers" cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTALO_OPTIMIZE_FLAGS="-O1 -g1" -DTALO_BUILD_BENCH=OFF \
      -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -Wno-maybe-uninitialized" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" "${cache[@]}" >/dev/null
phase "build sanitizers" cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  phase "test sanitizers" run_tests asan --test-dir "$root/build-asan" --output-on-failure -j"$jobs"
