#!/usr/bin/env bash
# Checks a release package that cpack made.
#
#   check_package.sh contents zip ZIP EXPECTED  the ZIP holds exactly the files
#                                               EXPECTED lists (below its top
#                                               folder, named after the ZIP)
#   check_package.sh contents deb DEB EXPECTED  the package holds exactly the
#                                               entries EXPECTED lists: mode,
#                                               owner and path of each
#   check_package.sh lintian DEB                lintian reports no error and no
#                                               warning
#   check_package.sh manpages DEB               each manual page in it renders
#                                               without a warning
#   check_package.sh imports ZIP                the programs and the kit's DLLs
#                                               import no DLL but Windows' own
#   check_package.sh release-zip ZIP LOADER PREFIX TESTDLL
#                                               arraycon.exe as the ZIP lays it
#                                               out, under Wine: no simulator
#                                               without TALO_SIM, the maker's
#                                               library beside it used (TESTDLL,
#                                               the tests' own), the kit by
#                                               TALO_SIM
#   check_package.sh release-deb DEB KITDEB TESTLIBDIR
#                                               arraycon as the packages install
#                                               it: alone, with the maker's
#                                               library (the tests' own), and
#                                               with the kit
#   check_package.sh wine ZIP LOADER PREFIX TOOL
#                                               talo-sim.exe from the ZIP makes
#                                               and shows a state under Wine,
#                                               shown as the native talo-sim
#                                               TOOL shows it
set -euo pipefail

fail() {
  echo "check_package: $*" >&2
  exit 1
}

[ $# -ge 2 ] || fail "usage: $0 contents|lintian|manpages|imports|wine|release-zip|release-deb ARGUMENTS"
check=$1
shift
if [ "$check" = contents ]; then
  [ $# -eq 3 ] || fail "usage: $0 contents zip|deb PACKAGE EXPECTED"
  kind=$1
  shift
fi
package=$1
[ -f "$package" ] || fail "no package $package: run cpack in its build first"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What the package holds, one entry a line, sorted.
listing() { # kind package
  case "$1" in
    zip)
      local top
      top=$(basename "$2" .zip)
      unzip -Z1 "$2" | sed "s|^$top/||" | grep -v '^$' | LC_ALL=C sort
      ;;
    deb)
      # mode, owner and path; size and time are left out
      dpkg-deb -c "$2" | awk '{ print $1, $2, $6 }' | LC_ALL=C sort -k3
      ;;
    *) fail "unknown package kind $1" ;;
  esac
}

case "$check" in
  contents)
    listing "$kind" "$package" >"$work/actual"
    if [ "$kind" = deb ]; then order=(-k3); else order=(); fi
    grep -v '^#' "$2" | grep -v '^$' | LC_ALL=C sort "${order[@]}" >"$work/expected"
    if ! diff -u "$work/expected" "$work/actual"; then
      fail "$package does not hold what $2 lists (- expected, + found)"
    fi
    cat "$work/actual"
    ;;

  lintian)
    # Overridden tags (in the package's overrides file) do not count.
    if ! lintian --fail-on error,warning "$package" >"$work/report" 2>&1; then
      cat "$work/report"
      fail "lintian reports errors or warnings on $package"
    fi
    cat "$work/report"
    if grep -q '^[EW]: ' "$work/report"; then
      fail "lintian reports errors or warnings on $package"
    fi
    ;;

  manpages)
    dpkg-deb -x "$package" "$work/root"
    found=0
    for page in "$work"/root/usr/share/man/man*/*; do
      [ -f "$page" ] || continue
      found=$((found + 1))
      warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
      if [ -n "$warnings" ]; then
        echo "$warnings" >&2
        fail "$(basename "$page") renders with warnings"
      fi
      echo "$(basename "$page"): renders without warnings"
    done
    [ "$found" -gt 0 ] || fail "no manual page in $package"
    ;;

  imports)
    # The runtime is linked statically: every DLL a program names must come
    # with Windows itself.
    objdump=$(command -v i686-w64-mingw32-objdump || command -v x86_64-w64-mingw32-objdump || command -v objdump) ||
      fail "no objdump that reads Windows programs"
    unzip -q "$package" -d "$work/zip"
    found=0
    for program in "$work"/zip/*/*.exe "$work"/zip/*/simulator/*.dll; do
      [ -f "$program" ] || continue
      found=$((found + 1))
      imports=$("$objdump" -p "$program" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | LC_ALL=C sort -u)
      for dll in $imports; do
        case "$dll" in
          advapi32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | shell32.dll | user32.dll | wtsapi32.dll) ;;
          *) fail "$(basename "$program") needs $dll, which Windows does not have" ;;
        esac
      done
      echo "$(basename "$program"):" $imports
    done
    [ "$found" -gt 0 ] || fail "no program in $package"
    ;;

  release-zip)
    [ $# -eq 4 ] || fail "usage: $0 release-zip ZIP LOADER PREFIX TESTDLL"
    export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset TALO_SIM TALO_SIM_KIT
    unzip -q "$package" -d "$work/zip"
    folder=$(echo "$work"/zip/*/)
    [ -f "$folder/arraycon.exe" ] || fail "no arraycon.exe in $package"
    cd "$work"
    run() { # name input [VARIABLE=VALUE...]: arraycon.exe's output, CRs dropped
      local name=$1 input=$2
      shift 2
      printf '%b' "$input" | env "$@" "$LOADER" "$folder/arraycon.exe" 2>"$name.err" | tr -d '\r' >"$name.out"
    }
    LOADER=$2
    # Without TALO_SIM nothing is simulated: no controller in direct mode,
    # and no maker's library to be had.
    run direct 'nyq\n'
    expect_direct=$'Use HXAPI ? Y/N\nTalo Test Console, V1.0\nQuarrow Technologies. Support: talo-support@quarrow.example\nLooking for Quarrow Talo controller...\n\nTalo controller cannot be found!'
    [ "$(cat direct.out)" = "$expect_direct" ] || { cat direct.out; fail "arraycon.exe without TALO_SIM did not find no controller"; }
    run nolibrary 'yq\n'
    grep -q "^The management library hxapi.dll cannot be loaded (looked for beside the program in .*, then on the system's DLL search path): " nolibrary.out ||
      { cat nolibrary.out; fail "arraycon.exe without hxapi.dll did not say so"; }
    grep -q 'Number of HBA\|subsys id' nolibrary.out && { cat nolibrary.out; fail "arraycon.exe answered without a library"; }
    # The maker's library beside the program is used, with no rebuild.
    cp "$4" "$folder/hxapi.dll"
    run maker 'yq\n'
    grep -qx 'Device Id: subsys id 2830, ctrl id 31249' maker.out || { cat maker.out; fail "arraycon.exe did not use the hxapi.dll beside it"; }
    rm "$folder/hxapi.dll"
    # The kit, by choice, answers behind both seams.
    run kit 'nyq\n' TALO_SIM=:demo
    grep -q '^Talo controller found on scsi1 ' kit.out || { cat kit.out; fail "arraycon.exe with TALO_SIM=:demo found no simulated controller"; }
    run kitlibrary 'yq\n' TALO_SIM=:demo
    grep -qx 'Device Id: subsys id 256, ctrl id 12576' kitlibrary.out || { cat kitlibrary.out; fail "the kit's library did not answer"; }
    cat direct.out nolibrary.out maker.out kit.out kitlibrary.out
    ;;

  release-deb)
    [ $# -eq 3 ] || fail "usage: $0 release-deb DEB KITDEB TESTLIBDIR"
    [ -f "$2" ] || fail "no package $2"
    unset TALO_SIM TALO_SIM_KIT LD_LIBRARY_PATH
    dpkg-deb -x "$package" "$work/root"
    console=$work/root/usr/bin/arraycon
    cd "$work"
    run() { # name input [VARIABLE=VALUE...]
      local name=$1 input=$2
      shift 2
      printf '%b' "$input" | env "$@" "$console" >"$name.out" 2>"$name.err"
    }
    # The console alone: nothing to answer, and it says so.
    run alone 'yq\n'
    grep -q "^The management library libhxapi.so.1 cannot be loaded (looked for on the system's library path" alone.out ||
      { cat alone.out; fail "arraycon without a library did not say so"; }
    [ ! -s alone.err ] || { cat alone.err; fail "arraycon alone wrote to standard error"; }
    run alonedirect 'nyq\n'
    grep -q '^Talo controller cannot be found!' alonedirect.out || { cat alonedirect.out; fail "arraycon alone found a controller"; }
    # The maker's library on the loader's path is used, with no rebuild.
    run maker 'yq\n' LD_LIBRARY_PATH="$3"
    grep -qx 'Device Id: subsys id 2830, ctrl id 31249' maker.out || { cat maker.out; fail "arraycon did not use the maker's library"; }
    # With the kit installed, it answers where nothing real can, and says so.
    dpkg-deb -x "$2" "$work/root"
    [ -f "$work/root/usr/lib/talo-tools/simulator/libhxapi.so.1" ] || fail "no kit in $2"
    run kit 'yq\n'
    grep -qx 'Device Id: subsys id 256, ctrl id 12576' kit.out || { cat kit.out; fail "the kit did not answer"; }
    grep -q "^arraycon: no Talo controller driver and no libhxapi.so.1 on this system: the simulated controller answers" kit.err ||
      { cat kit.err; fail "arraycon did not say that the simulator answers"; }
    run chosen 'yq\n' TALO_SIM=:demo
    cmp -s kit.out chosen.out || fail "TALO_SIM=:demo did not show the demo as the default does"
    [ ! -s chosen.err ] || { cat chosen.err; fail "a chosen simulator wrote to standard error"; }
    # The maker's library comes before the kit.
    run makerfirst 'yq\n' LD_LIBRARY_PATH="$3"
    grep -qx 'Device Id: subsys id 2830, ctrl id 31249' makerfirst.out || { cat makerfirst.out; fail "the kit came before the maker's library"; }
    cat alone.out maker.out kit.out kit.err
    ;;

  wine)
    [ $# -eq 4 ] || fail "usage: $0 wine ZIP LOADER PREFIX TOOL"
    export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unzip -q "$package" -d "$work/zip"
    tool=$(echo "$work"/zip/*/talo-sim.exe)
    [ -f "$tool" ] || fail "no talo-sim.exe in $package"
    cd "$work"
    "$2" "$tool" --help </dev/null >help.txt 2>&1 || { cat help.txt; fail "talo-sim.exe --help failed"; }
    grep -q '^Usage: talo-sim' help.txt || { cat help.txt; fail "talo-sim.exe --help gave no usage"; }
    "$2" "$tool" --state state.json create --controllers 1 --disks 2 --clock 1000000000 </dev/null >create.txt 2>&1 ||
      { cat create.txt; fail "talo-sim.exe create failed"; }
    "$2" "$tool" --state state.json show </dev/null >show.txt 2>&1 || { cat show.txt; fail "talo-sim.exe show failed"; }
    tr -d '\r' <create.txt
    tr -d '\r' <create.txt | grep -qx 'created state.json: 1 controllers with 2 disks each' ||
      fail "talo-sim.exe create did not say what it made"
    "$4" --state state.json show >native-show.txt
    tr -d '\r' <show.txt >windows-show.txt
    if ! diff -u native-show.txt windows-show.txt; then
      fail "talo-sim.exe shows the state otherwise than the native talo-sim (- native, + Windows)"
    fi
    cat windows-show.txt
    ;;

  *) fail "unknown check $check" ;;
esac
