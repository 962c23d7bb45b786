#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, once: the
# MinGW-w64 cross compiler (with windres), llvm-rc, CMake and Ninja, the host
# compiler, GoogleTest's sources, Wine (64-bit), Xvfb and the X tools that take
# screenshots.
# Idempotent: installs only what is missing, with one `apt-get update` at most.
# Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest
  # The fuzz target: clang with libFuzzer and the sanitizer runtimes.
  clang libclang-rt-14-dev
  mingw-w64 g++-mingw-w64-x86-64-posix
  # The peer resource compiler the compat tests compare ours with (windres comes with mingw-w64).
  llvm
  # The compiler's constant table is made from the MinGW-w64 headers by a Python script at build
  # time, and the compat test is one too.
  python3
  wine wine64 fonts-wine
  xvfb x11-apps x11-utils xauth imagemagick
  # Libraries Wine's X11 driver and font rendering load at run time.
  libfreetype6 libfontconfig1 libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: everything is installed"
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null 2>&1 || { echo "setup: run as root to install ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
