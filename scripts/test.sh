#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite twice:
# once with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs="$(nproc)"

run_suite() {
  local dir="$1"; shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DKELVORA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" --parallel "$jobs"
  ctest --test-dir "$dir" --output-on-failure --parallel "$jobs"
}

echo "== tests =="
run_suite build/test
echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer =="
run_suite build/asan -DKELVORA_SANITIZE=ON -DKELVORA_BUILD_BENCH=OFF
