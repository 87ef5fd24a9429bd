#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2009-2026 Varnholt Studios
# Installs what is missing for building and running (not the test tools),
# builds Kelvora and starts it. Each step prints one line; a step that fails
# prints its log. A configured tree is built again without configuring it
# anew. CMAKE_BUILD_PARALLEL_LEVEL, when set, is the number of build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build/release
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
mkdir -p "$dir"
log="$dir/run.log"

# step MESSAGE COMMAND...: runs COMMAND with its output in the log.
step() {
  local message="$1"; shift
  echo "$message"
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    echo "run.sh: failed: $message" >&2
    exit 1
  fi
}

step "Checking the build packages" scripts/install-deps.sh
if [ ! -f "$dir/CMakeCache.txt" ]; then
  step "Configuring $dir" cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DKELVORA_BUILD_BENCH=OFF
fi
step "Building kelvora, kelvora-probe and kelvora-history ($jobs jobs)" \
  cmake --build "$dir" --parallel "$jobs" --target kelvora kelvora-probe kelvora-history
echo "Starting $dir/app/kelvora"
exec "$dir/app/kelvora" "$@"
