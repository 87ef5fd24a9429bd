#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Kelvora need.
# Skips apt entirely when everything is already present.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev
  libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth x11-utils imagemagick xdotool libxcb1-dev openbox
  iproute2 util-linux dbus-daemon
)

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
