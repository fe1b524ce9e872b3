#!/usr/bin/env bash
# Installs the Debian packages the build needs, when missing.
#   install-deps.sh          what the native build and its tests need
#   install-deps.sh windows  also the Windows cross compilers and Wine
#   install-deps.sh fuzz     also clang and its libFuzzer and sanitizer runtimes
set -euo pipefail

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
updated=""

install() { # packages...
  local missing=()
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  if [ -z "$updated" ]; then $sudo apt-get update -qq; updated=1; fi
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

install cmake make g++ nlohmann-json3-dev libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev xxd bc \
        pkg-config libsystemd-dev dbus-daemon libsgutils2-dev sg3-utils
# The release packages: cpack's Debian package (dpkg-shlibdeps, file) and
# the checks of both packages (lintian, man, unzip).
install dpkg-dev file lintian man-db unzip

if [ "${1:-}" = fuzz ]; then
  install clang-14 libclang-rt-14-dev
fi

if [ "${1:-}" = windows ]; then
  # The test command compiles through the compiler cache.
  install ccache
  install g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine64
  # The notifier's tray under Wine needs an X display.
  install xvfb xauth
  # The 32-bit Wine runs 32-bit programs only where the kernel can execute
  # 32-bit code; where the packages cannot be had, the 64-bit one serves.
  if ! dpkg -s wine32:i386 >/dev/null 2>&1; then
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
      $sudo dpkg --add-architecture i386
      updated=""
    fi
    install wine32:i386 || echo "wine32 could not be installed; going on without it" >&2
  fi
fi
