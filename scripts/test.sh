#!/usr/bin/env bash
# Builds everything, for Linux and for Windows, and runs every test: the unit
# tests, and the end-to-end suite on the Linux build and, under Wine, on the
# Windows build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh" windows

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
  cmake -S "$root" -B "$root/build-win-$arch" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch-w64-mingw32.cmake" >/dev/null
  cmake --build "$root/build-win-$arch" -j"$jobs"
  zip[$arch]=$(package "$root/build-win-$arch" ZIP)
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
"$session" start "$wine64" "$WINEPREFIX" >/dev/null
trap '"$session" stop "$wine64" "$WINEPREFIX"' EXIT
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

# The native build, and its Debian package (cpack runs before the tests,
# which check the package and the 32-bit Windows ZIP).
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DTALO_WINDOWS_CONSOLE="$console" -DTALO_WINE="$loader" -DTALO_WINEPREFIX="$WINEPREFIX" \
      -DTALO_CHECK_DEB=ON -DTALO_WINDOWS_ZIP="${zip[i686]}" -DTALO_WINE_ZIP="$wine_zip" >/dev/null
cmake --build "$root/build" -j"$jobs"
package "$root/build" DEB >/dev/null
ctest --test-dir "$root/build" --output-on-failure -j"$jobs"

# The native build again with AddressSanitizer and UndefinedBehaviorSanitizer,
# and the whole native suite on it: any invalid access, leak or undefined
# behaviour fails the test that met it. (The instrumentation makes GCC see
# uninitialized values in std::regex and std::function that are not there,
# so that one warning is off in this build.)
cmake -S "$root" -B "$root/build-asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -Wno-maybe-uninitialized" \
      -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build "$root/build-asan" -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir "$root/build-asan" --output-on-failure -j"$jobs"
