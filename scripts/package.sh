#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package: a Release tree without tests or benchmarks,
# compiled with Debian's hardening flags, then CPack's DEB generator. The
# build's messages go to standard error; standard output gets only the path
# of the .deb.
#
#   scripts/package.sh [BUILD_DIR]     (default: build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build/package}"

cxxflags=""
ldflags=""
if command -v dpkg-buildflags >/dev/null; then
  export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
  cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
  ldflags="$(dpkg-buildflags --get LDFLAGS)"
fi

{
  # Both spellings of "no tests", so that the tree stays small whichever
  # option the build offers.
  cmake -S . -B "$dir" --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DKELVORA_BUILD_BENCH=OFF \
    -DKELVORA_SANITIZE=OFF -DKELVORA_WERROR=OFF \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
  cmake --build "$dir" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
  rm -rf "$dir/deb"
  cpack --config "$dir/CPackConfig.cmake" -G DEB -B "$dir/deb"
} >&2

debs=("$dir"/deb/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "package.sh: expected one .deb in $dir/deb, found: ${debs[*]}" >&2
  exit 1
fi
realpath "${debs[0]}"
