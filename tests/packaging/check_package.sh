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
#   check_package.sh imports ZIP                the programs import no DLL but
#                                               Windows' own
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

[ $# -ge 2 ] || fail "usage: $0 contents|lintian|manpages|imports|wine ARGUMENTS"
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
    for program in "$work"/zip/*/*.exe; do
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
