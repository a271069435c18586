#!/bin/bash
# Installs what building and testing need, if it is missing: Debian packages through apt-get.
# Needs root for the installation itself; says what it does before it does it.
set -eu

packages=(cmake make g++ libgtest-dev python3 file binutils-mingw-w64-i686
          g++-mingw-w64-i686 g++-mingw-w64-x86-64
          wine wine32:i386 wine64 xvfb
          clang libclang-rt-14-dev  # the bounded fuzz run
          e2fsprogs nsis)           # chattr for the read-only fault test; the benchmark's peer figure

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: everything needed is installed"
    exit 0
fi

echo "install-deps: missing packages: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root to install them, or install them yourself:"
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing[*]}"
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "install-deps: dpkg --add-architecture i386 (Wine's 32-bit loader is an i386 package)"
    dpkg --add-architecture i386
fi
echo "install-deps: apt-get update"
apt-get update -q
echo "install-deps: apt-get install ${missing[*]}"
apt-get install -y -q "${missing[@]}"
