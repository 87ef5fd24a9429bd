#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing for building and running (not the test tools),
# builds Kelvora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVORA_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --parallel "$(nproc)" --target kelvora kelvora-probe
exec build/release/app/kelvora "$@"
