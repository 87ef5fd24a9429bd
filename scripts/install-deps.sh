#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Installs the Debian packages that building and running Kelvora need; with
# --test also those that only its test suite needs (the test command passes
# it). Skips apt entirely when everything is already present.
#
#   scripts/install-deps.sh [--test]
set -euo pipefail

# Building and running: the compiler and CMake, Qt, SQLite for the history,
# prometheus-cpp for the probe's metrics and exporter,
# Qt's SVG image plugin that loads the icon at run time, and the fonts that
# the window's layout is measured in; Qt's translation tools, which compile
# the window's texts into the program, and Qt's own translations, which the
# window loads for its widgets' words in a language other than English.
packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libsqlite3-dev libqt6svg6 libgl-dev prometheus-cpp-dev
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
)

# Testing: the benchmarks' library; X server, window manager and tools of
# the end-to-end tests; network namespaces; the validators of the desktop
# entry and metadata, man for the manual pages, what builds and checks
# the Debian package, the sqlite3 shell the history benchmark reads with, and
# the Prometheus server and promtool that read the probe's metrics; the
# compiler cache that spares a test run what an earlier run compiled, and
# the faster linker the test builds use.
test_packages=(
  libbenchmark-dev sqlite3 prometheus ccache lld
  xvfb xauth x11-utils imagemagick xdotool libxcb1-dev openbox
  iproute2 util-linux dbus-daemon
  desktop-file-utils appstream man-db
  dpkg-dev lintian
)

case "${1:-}" in
  "") ;;
  --test) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
