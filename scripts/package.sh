#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Builds the Debian packages: the program and its -dbgsym package of detached
# debug symbols, from a tree without tests or benchmarks, compiled with the
# flags of dpkg-buildflags alone (CMAKE_BUILD_TYPE=None adds none of its own;
# DEB_BUILD_OPTIONS=noopt is honoured), then CPack's DEB generator with xz.
#
# The packages are reproducible: two builds of one commit, in any source and
# build folders, give the same bytes. SOURCE_DATE_EPOCH is the last commit's
# time (an epoch already in the environment wins; outside a git checkout one
# must be given), and both folders are mapped away in the compiler's output.
#
# The build's messages go to standard error; standard output gets only the
# paths of the two .deb files, the program's first.
#
#   scripts/package.sh [BUILD_DIR]     (default: build/package)
# CMAKE_BUILD_PARALLEL_LEVEL, when set, is the number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir="$(pwd -P)"
dir="${1:-build/package}"
mkdir -p "$dir"
build_dir="$(cd "$dir" && pwd -P)"

# The folders go into the compiler's flags, which CMake splits at blanks.
case "$source_dir$build_dir" in
  *[[:space:]]*)
    echo "package.sh: the source and build folders may not contain blanks: '$source_dir', '$build_dir'" >&2
    exit 2 ;;
esac

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if ! SOURCE_DATE_EPOCH="$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null)" || [ -z "$SOURCE_DATE_EPOCH" ]; then
    echo "package.sh: not a git checkout: set SOURCE_DATE_EPOCH to the sources' time" >&2
    exit 1
  fi
fi
export SOURCE_DATE_EPOCH

cxxflags=""
ldflags=""
if command -v dpkg-buildflags >/dev/null; then
  export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
  cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
  ldflags="$(dpkg-buildflags --get LDFLAGS)"
fi
# The compiler applies the map named last first: the build folder may lie
# inside the source folder.
cxxflags="$cxxflags -ffile-prefix-map=$source_dir=. -ffile-prefix-map=$build_dir=."
# ccache's base folder would turn source paths into paths relative to each
# build folder, out of the map's reach.
unset CCACHE_BASEDIR
# Resource files carry a time too: the same one.
export QT_RCC_SOURCE_DATE_OVERRIDE="$SOURCE_DATE_EPOCH"

{
  cmake -S . -B "$build_dir" --no-warn-unused-cli \
    -DCMAKE_BUILD_TYPE=None \
    -DBUILD_TESTING=OFF -DKELVORA_BUILD_BENCH=OFF \
    -DKELVORA_SANITIZE=OFF -DKELVORA_WERROR=OFF \
    "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags"
  cmake --build "$build_dir" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
  rm -rf "$build_dir/deb"
  cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$build_dir/deb"
} >&2

# CPack names the symbols' package .ddeb (Debian's archive keeps it as a
# .deb), lists its files in md5sums by CPack's own absolute paths and gives
# it no documentation: it is made again with those put right.
repack_symbols() {
  local ddeb="$1" deb="${1%.ddeb}.deb" tree="$build_dir/deb/dbgsym-tree"
  rm -rf "$tree"
  dpkg-deb -R "$ddeb" "$tree"
  # Its documentation is the program's, as in Debian's own symbol packages.
  mkdir -p "$tree/usr/share/doc"
  ln -sfn kelvora "$tree/usr/share/doc/kelvora-dbgsym"
  (cd "$tree" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum >DEBIAN/md5sums)
  find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  dpkg-deb --root-owner-group -Zxz --build "$tree" "$deb" >&2
  rm -rf "$tree" "$ddeb"
}
for ddeb in "$build_dir"/deb/*-dbgsym_*.ddeb; do
  [ -f "$ddeb" ] && repack_symbols "$ddeb"
done
program=("$build_dir"/deb/kelvora_*.deb)
symbols=("$build_dir"/deb/kelvora-dbgsym_*.deb)
if [ ${#program[@]} -ne 1 ] || [ ! -f "${program[0]}" ] || [ ${#symbols[@]} -ne 1 ] || [ ! -f "${symbols[0]}" ]; then
  echo "package.sh: expected kelvora and kelvora-dbgsym in $build_dir/deb, found:" "$build_dir"/deb/* >&2
  exit 1
fi
echo "${program[0]}"
echo "${symbols[0]}"
